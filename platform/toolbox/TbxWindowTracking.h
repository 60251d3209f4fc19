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

// The headless screen has no menus in its bar: the menu bar is tracked
// until the button comes up and no menu is chosen (0).
QV_PLATFORM_API int32_t MenuSelect(Point start);
// No menu title is ever highlighted: nothing to undo.
QV_PLATFORM_API void HiliteMenu(int16_t menu);

}  // namespace Tbx
