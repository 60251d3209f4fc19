// The graphics layer's answers to the system environment: rectangles, the
// look painter table and the picture library's state. Start-up installs
// them (VEnvironmentGraphicsService); shut-down removes them.
#pragma once

class VEnvironmentGraphics;

VEnvironmentGraphics* GraphicsEnvironmentLink();
