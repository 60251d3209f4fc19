// VGdiSelection: an object selected into a DC for as long as the guard lives;
// the object it displaced goes back when the guard ends, so an early return
// cannot leave a DC holding an object that is about to be deleted.
#pragma once

#include "platform/gdi/WinGdiTypes.h"

class VGdiSelection {
 public:
  VGdiSelection() = default;
  // Selects `object` (a pen, brush, font or bitmap; palettes and clip
  // regions have calls of their own) into `dc`. A selection that fails (a null DC or object,
  // or one GDI refuses) leaves the guard holding nothing.
  VGdiSelection(HDC dc, HGDIOBJ object);
  ~VGdiSelection() { Restore(); }

  VGdiSelection(VGdiSelection&& other) noexcept;
  VGdiSelection& operator=(VGdiSelection&& other) noexcept;
  VGdiSelection(const VGdiSelection&) = delete;
  VGdiSelection& operator=(const VGdiSelection&) = delete;

  // Whether the selection took, and the object it displaced.
  bool IsHeld() const { return fDisplaced != nullptr; }
  HGDIOBJ GetDisplaced() const { return fDisplaced; }

  // Selects the displaced object back now and answers what comes out: the
  // object the guard selected, or whatever was selected in its place since.
  // Null when the guard holds nothing; afterwards it holds nothing.
  HGDIOBJ Restore();
  // For a selection made in the same DC after `earlier` (which it then
  // displaced the object of): takes over what `earlier` displaced, to put
  // that back in its turn, and answers the object it displaced itself,
  // which nothing selects any more. `earlier` holds nothing afterwards.
  HGDIOBJ TakeOver(VGdiSelection& earlier);

 private:
  HDC fDC = nullptr;
  HGDIOBJ fDisplaced = nullptr;
};
