// The graphics layer's answers to the system environment: rectangles, the
// look painter table and the picture library's state. Start-up installs
// them after InitGraphics; shut-down removes them before ExitGraphics.
#pragma once

void InstallGraphicsEnvironmentLink();
void RemoveGraphicsEnvironmentLink();
