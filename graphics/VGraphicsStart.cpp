// The graphics layer's start and stop. The painters, the bitmap functions
// and the picture services that they make and release arrive with the
// graphics work; until then there is nothing to make.
#include "graphics/VGraphicsStart.h"

void InitGraphics() {}
void ExitGraphics() {}
void StartPictureServices() {}
void StopPictureServices() {}
