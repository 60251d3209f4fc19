// The Toolbox emulation's tracking of window parts and the menu bar, and the
// bracket of an update, over the headless window table. Every tracking loop
// polls the left button and the cursor (the scripted input when one is
// loaded) and ends when the button comes up, or after a bounded number of
// polls, so that no loop waits for ever.
#pragma once

#include <cstdint>

#include "platform/Export.h"
#include "platform/toolbox/TbxWindows.h"

namespace Tbx {

// The headless screen has no menus in its bar: the menu bar is tracked
// until the button comes up and no menu is chosen (0).
QV_PLATFORM_API int32_t MenuSelect(Point start);
// No menu title is ever highlighted: nothing to undo.
QV_PLATFORM_API void HiliteMenu(int16_t menu);

// Tracks the close box (inGoAway) or a zoom box (inZoomIn, inZoomOut) from
// `start` until the button comes up: true when the cursor is then still over
// that part of the same window. False for a window that is not the
// emulation's.
constexpr int16_t inZoomIn = 7;
QV_PLATFORM_API bool TrackGoAway(WindowRef window, Point start);
QV_PLATFORM_API bool TrackBox(WindowRef window, Point start, int16_t part);

// Tracks the grow box from `start` until the button comes up: the content's
// new size, the height in the high 16 bits and the width in the low ones,
// each kept within `limits` (left, top: the least width and height; right,
// bottom: the greatest). 0 when the size does not change or for a window
// that is not the emulation's.
QV_PLATFORM_API int32_t GrowWindow(WindowRef window, Point start, const Rect* limits);

// BeginUpdate limits drawing in the window's port to what needed updating
// (its clip meets the update region's bounds) and empties the update region;
// EndUpdate gives the port its clip back. An EndUpdate without BeginUpdate
// does nothing.
QV_PLATFORM_API void BeginUpdate(WindowRef window);
QV_PLATFORM_API void EndUpdate(WindowRef window);

}  // namespace Tbx
