// Start and stop of the graphics layer and of its picture services, which
// start-up runs first and last among the layers.
#pragma once

// Start-up of the graphics layer: the look painters, the font cache, the
// screen's resolution and the transparent-copy routine that every port
// shares. Run once when the module starts.
void InitGraphics();
// Its shut-down: painters, palette entries, the transparent-copy routine and
// every font cache entry, retired ones too.
void ExitGraphics();
// Start-up of the picture import and export services, and their shut-down.
void StartPictureServices();
void StopPictureServices();
