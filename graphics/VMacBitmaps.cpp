// The conversions of Macintosh bit maps and pixel maps into GDI bitmaps.
#include "graphics/VMacBitmaps.h"

#include <cstring>
#include <vector>

#include "framework/core/memory/VMemoryMgr.h"
#include "graphics/VPort.h"
#include "platform/gdi/WinGdi.h"
#include "platform/gdi/pict/PackBitsReader.h"

namespace {

bool BoxSize(const VMacRect& bounds, int32_t* width, int32_t* height) {
  *width = int32_t{bounds.right} - bounds.left;
  *height = int32_t{bounds.bottom} - bounds.top;
  return *width > 0 && *height > 0;
}

// The rows of a map in turn, unpacked or behind their byte counts, each
// checked against the end of the data.
class RowSource {
 public:
  RowSource(const VMacPixMap& map, int32_t effectivePack)
      : fAt(map.baseAddr),
        fEnd(map.baseAddr + map.dataSize),
        fRowBytes(map.rowBytes & 0x7FFF),
        fPack(effectivePack) {}

  // The next row's `size` bytes into row; false when the data ends or a
  // packed run overruns.
  bool Next(uint8_t* row, size_t size, bool words) {
    if (fPack == 1 || fPack == 2) {
      if (static_cast<size_t>(fEnd - fAt) < fRowBytes || size > fRowBytes) return false;
      std::memcpy(row, fAt, size);
      fAt += fRowBytes;
      return true;
    }
    size_t count;
    if (fRowBytes > 250) {
      if (fEnd - fAt < 2) return false;
      count = (size_t{fAt[0]} << 8) | fAt[1];
      fAt += 2;
    } else {
      if (fEnd - fAt < 1) return false;
      count = *fAt++;
    }
    if (count > static_cast<size_t>(fEnd - fAt)) return false;
    const size_t used = words ? qv_packbits::UnpackWordRow(fAt, fAt + count, row, size)
                              : qv_packbits::UnpackRow(fAt, fAt + count, row, size);
    if (used == 0) return false;
    fAt += count;
    return true;
  }

 private:
  const uint8_t* fAt;
  const uint8_t* fEnd;
  size_t fRowBytes;
  int32_t fPack;
};

}  // namespace

HBITMAP BitmapFromMacBitMap(const VMacBitMap& map) {
  int32_t width;
  int32_t height;
  if (map.baseAddr == nullptr || !BoxSize(map.bounds, &width, &height)) return nullptr;
  const uint32_t macRowBytes = map.rowBytes & 0x7FFFu;
  const uint32_t used = static_cast<uint32_t>(width + 7) >> 3;
  if (macRowBytes < used) return nullptr;
  if (uint64_t{macRowBytes} * static_cast<uint32_t>(height - 1) + used > map.dataSize)
    return nullptr;
  const uint32_t gdiRowBytes = (used + 1) & ~1u;
  auto* buffer = static_cast<uint8_t*>(gMemoryMgr->NewBlockClear(gdiRowBytes * height));
  if (buffer == nullptr) return nullptr;
  // A GDI monochrome bitmap shows 1 as white: the rows go in inverted.
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* src = map.baseAddr + static_cast<size_t>(y) * macRowBytes;
    uint8_t* dst = buffer + static_cast<size_t>(y) * gdiRowBytes;
    for (uint32_t i = 0; i < used; ++i) dst[i] = static_cast<uint8_t>(~src[i]);
  }
  BITMAP bm{};
  bm.bmWidth = width;
  bm.bmHeight = height;
  bm.bmWidthBytes = static_cast<LONG>(gdiRowBytes);
  bm.bmPlanes = 1;
  bm.bmBitsPixel = 1;
  bm.bmBits = buffer;
  HBITMAP bitmap = CreateBitmapIndirect(&bm);
  gMemoryMgr->DisposeBlock(buffer);
  return bitmap;
}

void DisposeDIBImage(VDIBImage* image) {
  if (image->pixels != nullptr) gMemoryMgr->DisposeBlock(image->pixels);
  image->pixels = nullptr;
}

bool DIBImageFromPixMap(const VMacPixMap& map, VDIBImage* image) {
  int32_t width;
  int32_t height;
  if (map.baseAddr == nullptr || !BoxSize(map.bounds, &width, &height)) return false;
  const bool direct = map.pixelType == 16;
  const bool indexed = map.pixelType == 0 && map.cmpCount == 1;
  if (!direct && !indexed) return false;
  if (indexed && map.pixelSize != 1 && map.pixelSize != 2 && map.pixelSize != 4 &&
      map.pixelSize != 8)
    return false;
  if (direct && map.pixelSize != 16 && map.pixelSize != 32) return false;
  const uint32_t rowBytes = map.rowBytes & 0x7FFFu;
  int32_t pack = map.packType;
  if (rowBytes < 8) {
    pack = 1;
  } else if (pack == 0) {
    pack = indexed ? 1 : (map.pixelSize == 16 ? 3 : 4);
  }
  // What each packing can carry: 2 drops the pad byte of 32-bit pixels, 3
  // packs 16-bit pixels, 4 the components of 32-bit ones.
  if (pack < 1 || pack > 4 || (indexed && pack != 1) || (pack == 2 && map.pixelSize != 32) ||
      (pack == 3 && map.pixelSize != 16) || (pack == 4 && map.pixelSize != 32))
    return false;
  const int32_t cmpCount = map.cmpCount >= 3 && map.cmpCount <= 4 ? map.cmpCount : 3;
  size_t sourceRow;  // bytes of one unpacked source row
  switch (pack) {
    case 1: sourceRow = (static_cast<size_t>(width) * map.pixelSize + 7) / 8; break;
    case 2: sourceRow = static_cast<size_t>(width) * 3; break;
    case 3: sourceRow = static_cast<size_t>(width) * 2; break;
    default: sourceRow = static_cast<size_t>(width) * cmpCount; break;
  }
  if ((pack == 1 || pack == 2) && sourceRow > rowBytes) return false;

  const int32_t bits = direct ? 24 : 8;
  const uint32_t dibRow = ((static_cast<uint32_t>(width) * bits / 8) + 3) & ~3u;
  const uint64_t imageSize = uint64_t{dibRow} * static_cast<uint32_t>(height);
  if (imageSize > 0x7FFFFFFF) return false;
  *image = VDIBImage{};
  BITMAPINFOHEADER& h = image->header;
  h.biSize = sizeof(BITMAPINFOHEADER);
  h.biWidth = width;
  h.biHeight = height;
  h.biPlanes = 1;
  h.biBitCount = static_cast<WORD>(bits);
  h.biCompression = BI_RGB;
  h.biSizeImage = static_cast<DWORD>(imageSize);
  h.biXPelsPerMeter = 2800;
  h.biYPelsPerMeter = 2800;
  if (indexed) {
    h.biClrUsed = 256;
    h.biClrImportant = 256;
    image->colors[0] = RGBQUAD{255, 255, 255, 0};
    for (uint16_t i = 0; map.colors != nullptr && i < map.colorCount; ++i) {
      const VMacColorSpec& c = map.colors[i];
      if (c.value > 255) continue;  // no such DIB entry
      image->colors[c.value] = RGBQUAD{static_cast<BYTE>(c.blue >> 8),
                                       static_cast<BYTE>(c.green >> 8),
                                       static_cast<BYTE>(c.red >> 8), 0};
    }
  }
  image->pixels = static_cast<uint8_t*>(gMemoryMgr->NewBlockClear(h.biSizeImage));
  if (image->pixels == nullptr) return false;

  RowSource rows(map, pack);
  std::vector<uint8_t> row(sourceRow);
  for (int32_t y = 0; y < height; ++y) {
    if (!rows.Next(row.data(), sourceRow, pack == 3)) {
      DisposeDIBImage(image);
      return false;
    }
    uint8_t* out = image->pixels + static_cast<size_t>(height - 1 - y) * dibRow;
    for (int32_t x = 0; x < width; ++x) {
      if (indexed) {
        const int32_t depth = map.pixelSize;
        const int32_t bit = x * depth;
        const int32_t shift = 8 - depth - (bit & 7);
        out[x] = static_cast<uint8_t>((row[static_cast<size_t>(bit >> 3)] >> shift) &
                                      ((1 << depth) - 1));
        continue;
      }
      uint8_t r;
      uint8_t g;
      uint8_t b;
      if (map.pixelSize == 16) {
        const uint32_t v = (uint32_t{row[2 * static_cast<size_t>(x)]} << 8) |
                           row[2 * static_cast<size_t>(x) + 1];
        // 5-5-5 widened to 8 bits, the top bits repeated below.
        const uint32_t r5 = (v >> 10) & 31;
        const uint32_t g5 = (v >> 5) & 31;
        const uint32_t b5 = v & 31;
        r = static_cast<uint8_t>((r5 << 3) | (r5 >> 2));
        g = static_cast<uint8_t>((g5 << 3) | (g5 >> 2));
        b = static_cast<uint8_t>((b5 << 3) | (b5 >> 2));
      } else if (pack == 1) {
        const uint8_t* p = &row[4 * static_cast<size_t>(x)];
        r = p[1];
        g = p[2];
        b = p[3];
      } else if (pack == 2) {
        const uint8_t* p = &row[3 * static_cast<size_t>(x)];
        r = p[0];
        g = p[1];
        b = p[2];
      } else {
        // Planes red, green, blue; a fourth plane (alpha) comes first.
        const size_t first = cmpCount == 4 ? static_cast<size_t>(width) : 0;
        r = row[first + static_cast<size_t>(x)];
        g = row[first + static_cast<size_t>(width + x)];
        b = row[first + 2 * static_cast<size_t>(width) + static_cast<size_t>(x)];
      }
      out[3 * x] = b;
      out[3 * x + 1] = g;
      out[3 * x + 2] = r;
    }
  }
  return true;
}

HBITMAP VPort::DIBFromPixMap(const VMacPixMap& map) {
  VDIBImage image;
  if (!DIBImageFromPixMap(map, &image)) return nullptr;
  std::vector<uint8_t> info(sizeof(BITMAPINFOHEADER) + sizeof image.colors);
  std::memcpy(info.data(), &image.header, sizeof(BITMAPINFOHEADER));
  std::memcpy(info.data() + sizeof(BITMAPINFOHEADER), image.colors, sizeof image.colors);
  HDC dc = fCurrentDC != nullptr ? fCurrentDC : GetDC(nullptr);
  HBITMAP bitmap = CreateDIBitmap(dc, &image.header, CBM_INIT, image.pixels,
                                  reinterpret_cast<const BITMAPINFO*>(info.data()),
                                  DIB_RGB_COLORS);
  if (dc != fCurrentDC) ReleaseDC(nullptr, dc);
  DisposeDIBImage(&image);
  return bitmap;
}

HBITMAP VPort::CopyBitmap(HBITMAP source) {
  if (source == nullptr) return nullptr;
  BITMAP bm{};
  if (GetObject(source, sizeof bm, &bm) == 0) return nullptr;
  bm.bmBits = nullptr;
  HBITMAP copy = CreateBitmapIndirect(&bm);
  if (copy == nullptr) return nullptr;
  HDC from = CreateCompatibleDC(fCurrentDC);
  HDC to = CreateCompatibleDC(fCurrentDC);
  if (from != nullptr && to != nullptr) {
    HGDIOBJ fromDisplaced = SelectObject(from, source);
    HGDIOBJ toDisplaced = SelectObject(to, copy);
    BitBlt(to, 0, 0, bm.bmWidth, bm.bmHeight, from, 0, 0, SRCCOPY);
    SelectObject(from, fromDisplaced);
    SelectObject(to, toDisplaced);
  } else {
    DeleteObject(copy);
    copy = nullptr;
  }
  if (from != nullptr) DeleteDC(from);
  if (to != nullptr) DeleteDC(to);
  return copy;
}
