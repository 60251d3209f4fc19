// The maker of the five look painters that the graphics layer's table
// holds: the Macintosh look for kind 0, the Windows look for kinds 1 and
// 2, the third look for kinds 3 and 4.
#pragma once

#include "graphics/VLookPainter.h"

extern const VLookPainterMaker kLookPainterMaker;
