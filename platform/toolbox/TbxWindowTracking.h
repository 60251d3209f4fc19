// The Toolbox emulation's tracking of the menu bar over the headless window
// table. The tracking loop polls the left button (the scripted input when
// one is loaded) and ends when the button comes up, or after a bounded
// number of polls, so that it never waits for ever. The window parts are
// tracked in TbxWindows.h.
#pragma once

#include <cstdint>

#include "platform/Export.h"
#include "platform/toolbox/TbxWindows.h"

namespace Tbx {

// Tracks the menu bar until the button comes up, then answers the scripted
// choice among the bar's menus (TbxMenus.h): the menu id in the high word,
// the item in the low word; 0 when none is chosen or the bar is empty.
QV_PLATFORM_API int32_t MenuSelect(Point start);
// No menu title is ever highlighted: nothing to undo.
QV_PLATFORM_API void HiliteMenu(int16_t menu);

}  // namespace Tbx
