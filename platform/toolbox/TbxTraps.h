// The Toolbox emulation library's trap table: the routine behind each
// trap word, which a caller may read and replace (a patch calls the routine
// it replaced). Only the traps the emulation dispatches through the table
// have an entry; the pop-up menu selection is one.
#pragma once

#include <cstdint>

#include "platform/Export.h"

namespace Tbx {

// Trap kinds: operating-system traps and toolbox traps.
constexpr int16_t kOSTrap = 0;
constexpr int16_t kToolboxTrap = 1;

// The pop-up menu selection trap.
constexpr uint16_t kTrapPopUpMenuSelect = 0xA80B;

using TrapRoutine = void*;

// The routine of the trap of that kind; null when the table has none.
QV_PLATFORM_API TrapRoutine NGetTrapAddress(uint16_t trap, int16_t kind);
// Puts a routine in the trap's entry; a null routine puts the
// emulation's own back.
QV_PLATFORM_API void NSetTrapAddress(TrapRoutine routine, uint16_t trap, int16_t kind);

// The pop-up menu selection: (menu, top, left, item) → the chosen menu id
// in the high word and item in the low word, 0 for none. The emulation's
// own routine takes the scripted choice in a menu of TbxMenus.h (the menu
// and item arguments are those menus and the item shown first); the call
// goes through the trap table, so a patch installed there runs instead.
using PopUpMenuSelectRoutine = int32_t (*)(void* menu, int16_t top, int16_t left, int16_t item);
QV_PLATFORM_API int32_t PopUpMenuSelect(void* menu, int16_t top, int16_t left, int16_t item);

}  // namespace Tbx
