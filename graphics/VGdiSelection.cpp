// VGdiSelection: selecting an object into a DC and the displaced one back.
#include "graphics/VGdiSelection.h"

#include <utility>

#include "platform/gdi/WinGdi.h"

VGdiSelection::VGdiSelection(HDC dc, HGDIOBJ object) {
  if (dc == nullptr || object == nullptr) return;
  fDisplaced = SelectObject(dc, object);
  if (fDisplaced != nullptr) fDC = dc;
}

VGdiSelection::VGdiSelection(VGdiSelection&& other) noexcept
    : fDC(std::exchange(other.fDC, nullptr)),
      fDisplaced(std::exchange(other.fDisplaced, nullptr)) {}

VGdiSelection& VGdiSelection::operator=(VGdiSelection&& other) noexcept {
  if (this != &other) {
    Restore();
    fDC = std::exchange(other.fDC, nullptr);
    fDisplaced = std::exchange(other.fDisplaced, nullptr);
  }
  return *this;
}

HGDIOBJ VGdiSelection::Restore() {
  if (fDisplaced == nullptr) return nullptr;
  HGDIOBJ out = SelectObject(fDC, fDisplaced);
  fDC = nullptr;
  fDisplaced = nullptr;
  return out;
}

HGDIOBJ VGdiSelection::TakeOver(VGdiSelection& earlier) {
  if (fDisplaced == nullptr || earlier.fDisplaced == nullptr) return earlier.Restore();
  HGDIOBJ displaced = std::exchange(fDisplaced, std::exchange(earlier.fDisplaced, nullptr));
  earlier.fDC = nullptr;
  return displaced;
}
