// The trap table: one entry per dispatched trap, starting with the
// emulation's own routine.
#include "platform/toolbox/TbxTraps.h"

#include <mutex>

#include "platform/toolbox/TbxMenus.h"

namespace Tbx {

namespace {

// The emulation's own selection: the scripted choice in the menu.
int32_t OwnPopUpMenuSelect(void* menu, int16_t, int16_t, int16_t) { return SelectFromMenu(menu); }

std::mutex& TableLock() {
  static std::mutex lock;
  return lock;
}

TrapRoutine& PopUpEntry() {
  static TrapRoutine entry = reinterpret_cast<TrapRoutine>(&OwnPopUpMenuSelect);
  return entry;
}

TrapRoutine* Entry(uint16_t trap, int16_t kind) {
  if (kind == kToolboxTrap && trap == kTrapPopUpMenuSelect) return &PopUpEntry();
  return nullptr;
}

}  // namespace

TrapRoutine NGetTrapAddress(uint16_t trap, int16_t kind) {
  std::lock_guard<std::mutex> lock(TableLock());
  TrapRoutine* entry = Entry(trap, kind);
  return entry != nullptr ? *entry : nullptr;
}

void NSetTrapAddress(TrapRoutine routine, uint16_t trap, int16_t kind) {
  std::lock_guard<std::mutex> lock(TableLock());
  TrapRoutine* entry = Entry(trap, kind);
  if (entry == nullptr) return;
  *entry = routine != nullptr ? routine : reinterpret_cast<TrapRoutine>(&OwnPopUpMenuSelect);
}

int32_t PopUpMenuSelect(void* menu, int16_t top, int16_t left, int16_t item) {
  const auto routine =
      reinterpret_cast<PopUpMenuSelectRoutine>(NGetTrapAddress(kTrapPopUpMenuSelect, kToolboxTrap));
  return routine(menu, top, left, item);
}

}  // namespace Tbx
