// Start and stop of the graphics layer and of its picture services, which
// start-up runs first and last among the layers.
#pragma once

// Start-up of the graphics layer (its look painters and bitmap functions)
// and its shut-down.
void InitGraphics();
void ExitGraphics();
// Start-up of the picture import and export services, and their shut-down.
void StartPictureServices();
void StopPictureServices();
