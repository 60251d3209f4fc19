// VDIBPort: the DIB section with its colour table, selected into a memory DC.
#include "graphics/VDIBPort.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "framework/core/streams/ByteSwap.h"
#include "graphics/GraphicsGlobals.h"
#include "graphics/GraphicsHooks.h"
#include "platform/gdi/pict/PictWriter.h"
#include "graphics/pictures/VPictPictureData.h"
#include "platform/gdi/WinGdi.h"

namespace {

// 2 entries for 1 bit, 4 for 2, 16 for 4, 256 for 8; none for direct depths.
uint32_t ColorEntries(int16_t depth) {
  switch (depth) {
    case 1: return 2;
    case 2: return 4;
    case 4: return 16;
    case 8: return 256;
    default: return 0;
  }
}

}  // namespace

VDIBPort::VDIBPort(int32_t width, int32_t height, int16_t depth)
    : VPort(nullptr), fWidth(width), fHeight(height) {
  fMemoryDC = CreateCompatibleDC(CurrentPortDC());
  if (fMemoryDC == nullptr) return;
  if (depth == 0) depth = static_cast<int16_t>(GetDeviceCaps(fMemoryDC, BITSPIXEL));
  fDepth = depth;
  const uint32_t entries = ColorEntries(depth);

  std::vector<uint8_t> block(sizeof(BITMAPINFOHEADER) + 4u * entries, 0);
  auto* info = reinterpret_cast<BITMAPINFO*>(block.data());
  BITMAPINFOHEADER& header = info->bmiHeader;
  header.biSize = sizeof(BITMAPINFOHEADER);
  header.biWidth = std::max(width, 8);
  header.biHeight = -std::max(height, 1);
  header.biPlanes = 1;
  header.biBitCount = static_cast<WORD>(depth);
  header.biCompression = BI_RGB;
  header.biSizeImage = 0;
  header.biXPelsPerMeter = 2800;
  header.biYPelsPerMeter = 2800;
  header.biClrUsed = entries;
  header.biClrImportant = 0;
  auto* colors = reinterpret_cast<RGBQUAD*>(block.data() + sizeof(BITMAPINFOHEADER));
  if (depth == 1) {
    colors[0] = RGBQUAD{255, 255, 255, 0};
    colors[1] = RGBQUAD{0, 0, 0, 0};
  } else if (entries != 0) {
    // The first entries of the emulation's palette (of the default palette
    // when there is none); the rest stay black.
    HPALETTE palette = EmulatorPalette();
    if (palette == nullptr) palette = static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE));
    std::vector<PALETTEENTRY> source(entries);
    const UINT got = GetPaletteEntries(palette, 0, entries, source.data());
    for (UINT i = 0; i < got && i < entries; ++i) {
      colors[i] = RGBQUAD{source[i].peBlue, source[i].peGreen, source[i].peRed, 0};
    }
  }
  fColors.assign(colors, colors + entries);
  fSection = CreateDIBSection(fMemoryDC, info, DIB_RGB_COLORS, &fBits, nullptr, 0);
  if (fSection == nullptr) {
    fBits = nullptr;
    DeleteDC(fMemoryDC);
    fMemoryDC = nullptr;
    return;
  }
  fBitmapSelection = VGdiSelection(fMemoryDC, fSection);
  if (IsPaletteDevice()) {
    fPalette = EmulatorPalette();
    if (fPalette != nullptr) {
      fDisplacedPalette = SelectPalette(fMemoryDC, fPalette, TRUE_);
      UnrealizeObject(fPalette);
      RealizePalette(fMemoryDC);
    }
  }
  AttachDC(fMemoryDC);
}

VDIBPort::~VDIBPort() {
  DetachDC();
  if (fMemoryDC != nullptr) {
    if (fDisplacedPalette != nullptr) SelectPalette(fMemoryDC, fDisplacedPalette, TRUE_);
    fBitmapSelection.Restore();
    DeleteDC(fMemoryDC);
  }
  if (fSection != nullptr) DeleteObject(fSection);
}

int32_t VDIBPort::GetWidth() const { return fWidth; }
int32_t VDIBPort::GetHeight() const { return fHeight; }

uint32_t VDIBPort::IconToPicture(HICON icon) {
  if (fCurrentDC == nullptr) return 0;
  HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
  const BOOL drawn = DrawIconEx(fCurrentDC, 0, 0, icon, 0, 0, 0, white, DI_NORMAL);
  if (white != nullptr) DeleteObject(white);
  if (!drawn) return 0;
  VPictPictureData* picture = ToPictPicture();
  if (picture == nullptr) return 0;
  const uint32_t handle = picture->DetachHandle();
  delete picture;
  return handle;
}

VPictPictureData* VDIBPort::ToPictPicture() {
  if (fSection == nullptr || fBits == nullptr) return nullptr;
  GdiFlush();
  DIBSECTION section;
  if (GetObject(fSection, sizeof section, &section) != static_cast<int>(sizeof section))
    return nullptr;
  const int32_t stride = section.dsBm.bmWidthBytes;
  std::vector<uint8_t> pict =
      PictFromDIB(fWidth, fHeight, fDepth, static_cast<const uint8_t*>(fBits), stride,
                  fColors.data(), static_cast<uint32_t>(fColors.size()));
  if (pict.size() < 10) return nullptr;
  // The value holds its header in this machine's order.
  SwapArray16(pict.data(), 5);
  auto* picture = new VPictPictureData(pict.data(), static_cast<uint32_t>(pict.size()));
  if (!picture->HasData()) {
    delete picture;
    return nullptr;
  }
  return picture;
}

