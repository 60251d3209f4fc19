// The Toolbox emulation's menus: menus of text items made by id, the menus
// of the menu bar, and their selection on the headless screen. Nothing is
// drawn: what the user chooses comes from the menu script that pop-up menus
// of the window table take too (WinMenuTracking.h).
#pragma once

#include <cstdint>
#include <string>

#include "platform/Export.h"
#include "platform/toolbox/TbxWindows.h"

namespace Tbx {

// A menu made by NewMenu; null names none.
using MenuRef = void*;

QV_PLATFORM_API MenuRef NewMenu(int16_t menuId, const uint8_t* title);
// Takes the menu out of the bar first.
QV_PLATFORM_API void DisposeMenu(MenuRef menu);
// Appends one enabled item showing the length-prefixed text as it stands.
QV_PLATFORM_API void AppendMenuItemText(MenuRef menu, const uint8_t* text);
QV_PLATFORM_API int16_t CountMenuItems(MenuRef menu);
QV_PLATFORM_API void EnableMenuItem(MenuRef menu, int16_t item);
QV_PLATFORM_API void DisableMenuItem(MenuRef menu, int16_t item);
QV_PLATFORM_API int16_t GetMenuId(MenuRef menu);
// The text of an item, empty outside the menu.
QV_PLATFORM_API std::string GetMenuItemString(MenuRef menu, int16_t item);
// Puts the menu in the bar before the menu of that id (0, or an id not in
// the bar: at the end); a menu already there stays where it is.
QV_PLATFORM_API void InsertMenu(MenuRef menu, int16_t beforeId);
QV_PLATFORM_API void DeleteMenu(int16_t menuId);
QV_PLATFORM_API void ClearMenuBar();
// The menu of that id in the bar; null when none.
QV_PLATFORM_API MenuRef GetMenuHandle(int16_t menuId);
QV_PLATFORM_API int16_t CountMenuBarMenus();

// The selection in a menu (the pop-up menu trap's own routine) and in the
// bar's menus: the next scripted step chooses a position (of the menu, or
// of the bar's first menu) or the first item whose text it names; hovers and
// snapshots are passed over. The answer is the menu id in the high word and
// the item in the low word; 0 for a cancel, no step, or an item that is
// missing or disabled (which beeps).
QV_PLATFORM_API int32_t SelectFromMenu(MenuRef menu);
QV_PLATFORM_API int32_t SelectFromMenuBar();

}  // namespace Tbx
