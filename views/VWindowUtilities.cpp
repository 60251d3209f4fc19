// The small window services: palette, font lookup, window longs, the
// pop-up tracking flag and the delayed progress gauge.
#include "views/VWindowUtilities.h"

#include <cstdlib>
#include <vector>

#include "framework/system/environment/VSystemServices.h"
#include "graphics/VCharWidthCache.h"
#include "platform/gdi/WinGdi.h"

namespace {

constexpr int kCubeLevels = 6;
constexpr int kCubeStep = 0x33;
constexpr WORD kPaletteVersion = 0x300;

bool sPopUpTracking = false;
// The routine the patch replaced: the one it calls.
Tbx::TrapRoutine sSavedPopUp = nullptr;

}  // namespace

HPALETTE CreateColorCubePalette() {
  WORD defaults = 0;
  HGDIOBJ stock = GetStockObject(DEFAULT_PALETTE);
  if (stock == nullptr || GetObjectA(stock, sizeof defaults, &defaults) == 0) defaults = 0;
  const size_t count = size_t{defaults} + kCubeLevels * kCubeLevels * kCubeLevels;
  // The record with its entries, in one block.
  std::vector<uint8_t> block(sizeof(LOGPALETTE) + count * sizeof(PALETTEENTRY));
  auto* record = reinterpret_cast<LOGPALETTE*>(block.data());
  record->palVersion = kPaletteVersion;
  record->palNumEntries = static_cast<WORD>(count);
  PALETTEENTRY* entries = record->palPalEntry;
  if (defaults != 0) GetPaletteEntries(static_cast<HPALETTE>(stock), 0, defaults, entries);
  PALETTEENTRY* cube = entries + defaults;
  for (int r = 0; r < kCubeLevels; ++r) {
    for (int g = 0; g < kCubeLevels; ++g) {
      for (int b = 0; b < kCubeLevels; ++b) {
        *cube++ = PALETTEENTRY{static_cast<BYTE>(r * kCubeStep), static_cast<BYTE>(g * kCubeStep),
                               static_cast<BYTE>(b * kCubeStep), 0};
      }
    }
  }
  return CreatePalette(record);
}

LOGFONTA* FindFontEntry(const char* faceName) { return LookUpFontDescriptor(faceName); }

intptr_t GetWindowId(HWND window) { return GetWindowLongPtrA(window, GWL_ID); }
intptr_t SetWindowId(HWND window, intptr_t id) { return SetWindowLongPtrA(window, GWL_ID, id); }
intptr_t GetWindowUserData(HWND window) { return GetWindowLongPtrA(window, GWL_USERDATA); }
intptr_t SetWindowUserData(HWND window, intptr_t data) {
  return SetWindowLongPtrA(window, GWL_USERDATA, data);
}
WNDPROC GetWindowProc(HWND window) {
  return reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWL_WNDPROC));
}
WNDPROC SetWindowProc(HWND window, WNDPROC procedure) {
  return reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(window, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(procedure)));
}

bool IsPopUpMenuTracking() { return sPopUpTracking; }

int32_t PopUpMenuSelectPatch(void* menu, int16_t top, int16_t left, int16_t item) {
  const auto saved = reinterpret_cast<Tbx::PopUpMenuSelectRoutine>(sSavedPopUp);
  // Without a routine to call (the patch installed by hand) nothing is
  // chosen.
  if (saved == nullptr || saved == &PopUpMenuSelectPatch) return 0;
  sPopUpTracking = true;
  const int32_t answer = saved(menu, top, left, item);
  sPopUpTracking = false;
  return answer;
}

Tbx::TrapRoutine InstallPopUpMenuSelectPatch() {
  const Tbx::TrapRoutine current =
      Tbx::NGetTrapAddress(Tbx::kTrapPopUpMenuSelect, Tbx::kToolboxTrap);
  // Installed twice, the patch keeps calling the first routine it replaced.
  if (current != reinterpret_cast<Tbx::TrapRoutine>(&PopUpMenuSelectPatch)) sSavedPopUp = current;
  Tbx::NSetTrapAddress(reinterpret_cast<Tbx::TrapRoutine>(&PopUpMenuSelectPatch),
                       Tbx::kTrapPopUpMenuSelect, Tbx::kToolboxTrap);
  return current;
}

void RemovePopUpMenuSelectPatch(Tbx::TrapRoutine saved) {
  Tbx::NSetTrapAddress(saved, Tbx::kTrapPopUpMenuSelect, Tbx::kToolboxTrap);
  if (saved != reinterpret_cast<Tbx::TrapRoutine>(&PopUpMenuSelectPatch)) sSavedPopUp = nullptr;
}

// ---- Delayed progress.

VDelayedProgress::VDelayedProgress(VProgressTarget* target, VResourceFile* file, int16_t listId,
                                   int16_t messageIndex, uint32_t total, uint32_t delay) {
  if (target == nullptr || !target->IsShown()) return;
  fTarget = target;
  fFile = file;
  fListId = listId;
  fMessageIndex = messageIndex;
  fTotal = total;
  fDue = VSystemServices::TickCount60() + delay;
}

VDelayedProgress::~VDelayedProgress() {
  if (fTarget != nullptr && fShown != 0) fTarget->EndProgress();
}

bool VDelayedProgress::Advance(uint32_t amount) {
  if (fTarget == nullptr) return false;
  if (fShown != 0) {
    fTarget->SetProgress(amount);
    return false;
  }
  // The signed difference, so that the tick count's wrap-around does not
  // hide the due time.
  if (static_cast<int32_t>(VSystemServices::TickCount60() - fDue) <= 0) {
    fCount += amount;
    return false;
  }
  fTarget->BeginProgress(fFile, fListId, fMessageIndex, fTotal);
  fTarget->SetProgress(fCount + amount);
  fShown = 1;
  return false;
}
