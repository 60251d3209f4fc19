// The shared graphics state: screen resolution, device colours and palette,
// and the transparent-copy routine.
#include "graphics/GraphicsGlobals.h"

#include "framework/core/memory/VMemoryMgr.h"
#include "graphics/GraphicsHooks.h"
#include "platform/gdi/WinGdi.h"

int32_t gScreenLogPixelsX = 96;
int32_t gScreenLogPixelsY = 96;
uint16_t gDeviceColorCount = 0;
PALETTEENTRY* gDevicePaletteEntries = nullptr;
VTransparentBltProc gTransparentBlt = nullptr;

void ReadDeviceColors(HDC dc) {
  if (gDeviceColorCount != 0 || dc == nullptr) return;
  const int colors = GetDeviceCaps(dc, NUMCOLORS);
  gDeviceColorCount = colors == -1 ? 0xFFFF : static_cast<uint16_t>(colors);
  if (gDeviceColorCount >= 0xFFFF) return;
  HPALETTE palette = EmulatorPalette();
  WORD entries = 0;
  if (palette == nullptr || GetObject(palette, 2, &entries) != 2) return;
  gDeviceColorCount = entries;
  if (entries == 0 || entries > 256 || gMemoryMgr == nullptr) return;
  auto* block = static_cast<PALETTEENTRY*>(gMemoryMgr->NewBlock(4u * entries));
  if (block == nullptr) return;
  GetPaletteEntries(palette, 0, entries, block);
  if (gDevicePaletteEntries != nullptr) gMemoryMgr->DisposeBlock(gDevicePaletteEntries);
  gDevicePaletteEntries = block;
}

void FreeDeviceColors() {
  if (gDevicePaletteEntries != nullptr && gMemoryMgr != nullptr) {
    gMemoryMgr->DisposeBlock(gDevicePaletteEntries);
  }
  gDevicePaletteEntries = nullptr;
  gDeviceColorCount = 0;
}
