// Start-up and shut-down of the graphics layer: the look painters, the font
// cache, the screen's resolution, the transparent-copy routine and the
// device palette that every port shares.
#pragma once

// Makes the shared graphics state; run once when the module starts.
void InitGraphics();
// Takes it down again when the module stops: painters, palette entries,
// the transparent-copy routine and every font cache entry, retired ones too.
void ExitGraphics();
