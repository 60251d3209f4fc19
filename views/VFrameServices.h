// What the graphics layer asks of frames (their place in the window, their
// visible region and their window's device context) and the pop-up menu
// maker's slot; installed at start from the module's list of services.
#pragma once

#include "framework/core/VService.h"
#include "views/VFrame.h"
#include "graphics/GraphicsHooks.h"

extern const VFrameAreaProc kFrameAreaProc;
extern const VFrameWindowProc kFrameWindowProc;
using VPopUpMenuService = VService<const VPopUpMenuMaker>;
