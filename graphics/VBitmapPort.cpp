// VBitmapPort: the memory DC and its placeholder bitmap.
#include "graphics/VBitmapPort.h"

#include "graphics/GraphicsGlobals.h"
#include "graphics/GraphicsHooks.h"
#include "platform/gdi/WinGdi.h"

VBitmapPort::VBitmapPort() : VPort(nullptr) {
  fMemoryDC = CreateCompatibleDC(nullptr);
  if (fMemoryDC == nullptr) return;
  HDC screen = GetDC(nullptr);
  const int planes = screen != nullptr ? GetDeviceCaps(screen, PLANES) : 1;
  const int bits = screen != nullptr ? GetDeviceCaps(screen, BITSPIXEL) : 32;
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  HBITMAP placeholder = CreateBitmap(1, 1, UINT(planes), UINT(bits), nullptr);
  fBitmapSelection = VGdiSelection(fMemoryDC, placeholder);
  if (IsPaletteDevice()) {
    HPALETTE palette = EmulatorPalette();
    if (palette != nullptr) {
      fDisplacedPalette = SelectPalette(fMemoryDC, palette, TRUE_);
      UnrealizeObject(palette);
      RealizePalette(fMemoryDC);
    }
  }
  AttachDC(fMemoryDC);
}

VBitmapPort::~VBitmapPort() {
  DetachDC();
  if (fMemoryDC == nullptr) return;
  if (fDisplacedPalette != nullptr) SelectPalette(fMemoryDC, fDisplacedPalette, TRUE_);
  // Whatever bitmap comes out, the placeholder or one a user left, goes.
  HGDIOBJ bitmap = fBitmapSelection.Restore();
  if (bitmap != nullptr) DeleteObject(bitmap);
  DeleteDC(fMemoryDC);
}
