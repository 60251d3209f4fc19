// Pixel surfaces in every bitmap format, device bitmaps, DIB sections and
// the conversions between bitmaps and DIB bits.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/gdi/GdiPaint.h"

namespace {

// Surfaces above this many bytes are refused: sizes travel in 32-bit fields.
constexpr int64_t kMaxSurfaceBytes = 0x7FFFFFFF;

bool KnownDepth(int32_t bpp) {
  return bpp == 1 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32;
}

std::vector<RGBQUAD> MonoColors() { return {{0, 0, 0, 0}, {255, 255, 255, 0}}; }

// Copies rows between a surface and caller memory of another row length.
void CopyRowsOut(const GdiSurface& s, uint8_t* out, ptrdiff_t outRowBytes, int32_t rows) {
  ptrdiff_t n = std::min(outRowBytes, GdiSurface::RowBytes(s.width, s.bitsPerPixel, 1));
  for (int32_t y = 0; y < rows; ++y) std::memcpy(out + y * outRowBytes, s.Row(y), n);
}

GdiDC* CompatibleTarget(HDC dc, bool* mono) {
  GdiDC* d = GdiDcFromHandle(dc);
  if (!d) return nullptr;
  // A memory DC gives bitmaps in the format of the bitmap it holds (so the
  // 1 x 1 monochrome bitmap of a new memory DC gives monochrome ones).
  *mono = d->dcKind == GdiDcKind::Memory && d->state.bitmap && d->state.bitmap->surface &&
          d->state.bitmap->surface->bitsPerPixel == 1;
  return d;
}

HBITMAP NewBitmap(std::shared_ptr<GdiSurface> surface) {
  if (!surface) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  auto b = std::make_unique<GdiBitmap>();
  b->surface = std::move(surface);
  return static_cast<HBITMAP>(GdiInsert(std::move(b)));
}

std::shared_ptr<GdiSurface> NewDeviceSurface(int32_t width, int32_t height, bool mono) {
  auto s = GdiSurface::Create(width, height, mono ? 1 : 32, 2, false);
  if (s && mono) {
    s->deviceMono = true;
    s->colors = MonoColors();
  }
  return s;
}

// Converts DIB rows into a surface of any format, colour by colour.
void ConvertInto(GdiSurface& target, const GdiSurface& source) {
  int32_t w = std::min(target.width, source.width);
  int32_t h = std::min(target.height, source.height);
  bool same = target.bitsPerPixel == source.bitsPerPixel &&
              (target.bitsPerPixel > 8 || GdiSameColors(target.colors, source.colors));
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t x = 0; x < w; ++x) {
      uint32_t v = source.Get(x, y);
      target.Set(x, y, same ? v : target.FromColor(source.ToColor(v)));
    }
  }
}

}  // namespace

// ---------------------------------------------------------------------------
// Surfaces

ptrdiff_t GdiSurface::RowBytes(int32_t width, int32_t bitsPerPixel, int32_t rowAlign) {
  int64_t bits = int64_t{width} * bitsPerPixel;
  int64_t bytes = (bits + 7) / 8;
  if (rowAlign > 1) bytes = (bytes + rowAlign - 1) / rowAlign * rowAlign;
  return static_cast<ptrdiff_t>(bytes);
}

std::shared_ptr<GdiSurface> GdiSurface::Create(int32_t width, int32_t height, int32_t bitsPerPixel,
                                               int32_t rowAlign, bool bottomUp) {
  if (width <= 0 || height <= 0 || !KnownDepth(bitsPerPixel)) return nullptr;
  int64_t rowBytes = RowBytes(width, bitsPerPixel, rowAlign);
  if (rowBytes > kMaxSurfaceBytes / height) return nullptr;
  void* memory = std::calloc(static_cast<size_t>(rowBytes * height), 1);
  if (!memory) return nullptr;
  auto s = std::make_shared<GdiSurface>();
  s->width = width;
  s->height = height;
  s->bitsPerPixel = bitsPerPixel;
  s->storage = std::shared_ptr<void>(memory, std::free);
  uint8_t* base = static_cast<uint8_t*>(memory);
  s->bottomUp = bottomUp;
  s->stride = bottomUp ? -rowBytes : rowBytes;
  s->bits = bottomUp ? base + (height - 1) * rowBytes : base;
  if (bitsPerPixel <= 8) s->colors.assign(size_t{1} << bitsPerPixel, RGBQUAD{0, 0, 0, 0});
  return s;
}

uint32_t GdiSurface::Get(int32_t x, int32_t y) const {
  const uint8_t* row = Row(y);
  switch (bitsPerPixel) {
    case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 4: return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF;
    case 8: return row[x];
    case 16: return row[2 * x] | (uint32_t{row[2 * x + 1]} << 8);
    case 24: {
      const uint8_t* p = row + 3 * ptrdiff_t{x};
      return p[0] | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16);
    }
    default: {
      const uint8_t* p = row + 4 * ptrdiff_t{x};
      return p[0] | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
    }
  }
}

void GdiSurface::Set(int32_t x, int32_t y, uint32_t value) {
  uint8_t* row = Row(y);
  switch (bitsPerPixel) {
    case 1: {
      uint8_t bit = static_cast<uint8_t>(0x80 >> (x & 7));
      if (value & 1) {
        row[x >> 3] |= bit;
      } else {
        row[x >> 3] &= static_cast<uint8_t>(~bit);
      }
      break;
    }
    case 4: {
      uint8_t& b = row[x >> 1];
      if (x & 1) {
        b = static_cast<uint8_t>((b & 0xF0) | (value & 0xF));
      } else {
        b = static_cast<uint8_t>((b & 0x0F) | ((value & 0xF) << 4));
      }
      break;
    }
    case 8: row[x] = static_cast<uint8_t>(value); break;
    case 16: {
      // The top bit of a 5-5-5 pixel is not colour and stays as it was.
      row[2 * x] = static_cast<uint8_t>(value);
      row[2 * x + 1] = static_cast<uint8_t>((row[2 * x + 1] & 0x80) | ((value >> 8) & 0x7F));
      break;
    }
    default: {
      // 24 and 32 bits: three colour bytes; a 32-bit pixel's fourth byte stays.
      uint8_t* p = row + (bitsPerPixel == 24 ? 3 : 4) * ptrdiff_t{x};
      p[0] = static_cast<uint8_t>(value);
      p[1] = static_cast<uint8_t>(value >> 8);
      p[2] = static_cast<uint8_t>(value >> 16);
      break;
    }
  }
}

uint32_t GdiSurface::ValueMask() const {
  switch (bitsPerPixel) {
    case 1: return 0x1;
    case 4: return 0xF;
    case 8: return 0xFF;
    case 16: return 0x7FFF;
    default: return 0xFFFFFF;
  }
}

COLORREF GdiSurface::ToColor(uint32_t value) const {
  if (bitsPerPixel <= 8) {
    if (value >= colors.size()) return RGB(0, 0, 0);
    const RGBQUAD& q = colors[value];
    return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
  }
  if (bitsPerPixel == 16) {
    auto widen = [](uint32_t c) { return static_cast<BYTE>((c << 3) | (c >> 2)); };
    return RGB(widen((value >> 10) & 31), widen((value >> 5) & 31), widen(value & 31));
  }
  return RGB(static_cast<BYTE>(value >> 16), static_cast<BYTE>(value >> 8),
             static_cast<BYTE>(value));
}

uint32_t GdiSurface::FromColor(COLORREF rgb) const {
  uint32_t r = GetRValue(rgb), g = GetGValue(rgb), b = GetBValue(rgb);
  if (bitsPerPixel <= 8) {
    // The nearest entry of the colour table; on a monochrome bitmap that is
    // white exactly when r + g + b is 383 or more.
    uint32_t best = 0;
    int64_t bestDistance = INT64_MAX;
    for (size_t i = 0; i < colors.size(); ++i) {
      int64_t dr = int64_t{colors[i].rgbRed} - r;
      int64_t dg = int64_t{colors[i].rgbGreen} - g;
      int64_t db = int64_t{colors[i].rgbBlue} - b;
      int64_t d = dr * dr + dg * dg + db * db;
      if (d < bestDistance) {
        bestDistance = d;
        best = static_cast<uint32_t>(i);
      }
    }
    return best;
  }
  if (bitsPerPixel == 16) return ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3);
  return (r << 16) | (g << 8) | b;
}

bool GdiSameColors(const std::vector<RGBQUAD>& a, const std::vector<RGBQUAD>& b) {
  return a.size() == b.size() &&
         (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(RGBQUAD)) == 0);
}

std::shared_ptr<GdiSurface> GdiCopySurface(const GdiSurface& s) {
  auto copy = GdiSurface::Create(s.width, s.height, s.bitsPerPixel, s.dibSection ? 4 : 2, false);
  if (!copy) return nullptr;
  copy->colors = s.colors;
  copy->deviceMono = s.deviceMono;
  ptrdiff_t n = GdiSurface::RowBytes(s.width, s.bitsPerPixel, 1);
  for (int32_t y = 0; y < s.height; ++y) std::memcpy(copy->Row(y), s.Row(y), n);
  return copy;
}

// ---------------------------------------------------------------------------
// DIB descriptions

bool GdiReadDibFormat(const BITMAPINFO* info, UINT usage, const GdiDC* dc, GdiDibFormat* f) {
  if (!info || info->bmiHeader.biSize < sizeof(BITMAPINFOHEADER)) return false;
  const BITMAPINFOHEADER& h = info->bmiHeader;
  if (h.biPlanes != 1 || !KnownDepth(h.biBitCount) || h.biCompression != BI_RGB ||
      h.biWidth <= 0 || h.biHeight == 0 || h.biHeight == INT32_MIN ||
      (usage != DIB_RGB_COLORS && usage != DIB_PAL_COLORS)) {
    return false;
  }
  f->width = h.biWidth;
  f->height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
  f->bottomUp = h.biHeight > 0;
  f->bitsPerPixel = h.biBitCount;
  f->rowBytes = GdiSurface::RowBytes(f->width, f->bitsPerPixel, 4);
  if (f->rowBytes > kMaxSurfaceBytes / f->height) return false;
  f->colors.clear();
  if (f->bitsPerPixel <= 8) {
    size_t full = size_t{1} << f->bitsPerPixel;
    size_t n = h.biClrUsed ? std::min<size_t>(h.biClrUsed, full) : full;
    f->colors.assign(full, RGBQUAD{0, 0, 0, 0});
    // The colour table follows the header, whatever size the header says.
    const uint8_t* table = reinterpret_cast<const uint8_t*>(info) + h.biSize;
    if (usage == DIB_RGB_COLORS) {
      std::memcpy(f->colors.data(), table, n * sizeof(RGBQUAD));
    } else {
      const GdiPalette* pal =
          dc && dc->state.palette ? dc->state.palette
                                  : static_cast<GdiPalette*>(GdiStockObject(DEFAULT_PALETTE));
      for (size_t i = 0; i < n; ++i) {
        uint16_t index;
        std::memcpy(&index, table + 2 * i, 2);
        PALETTEENTRY e = index < pal->entries.size() ? pal->entries[index] : PALETTEENTRY{};
        f->colors[i] = {e.peBlue, e.peGreen, e.peRed, 0};
      }
    }
  }
  return true;
}

std::shared_ptr<GdiSurface> GdiDibView(const GdiDibFormat& f, const void* bits) {
  auto s = std::make_shared<GdiSurface>();
  s->width = f.width;
  s->height = f.height;
  s->bitsPerPixel = f.bitsPerPixel;
  s->colors = f.colors;
  s->dibSection = true;
  s->bottomUp = f.bottomUp;
  uint8_t* base = static_cast<uint8_t*>(const_cast<void*>(bits));
  s->stride = f.bottomUp ? -f.rowBytes : f.rowBytes;
  s->bits = f.bottomUp ? base + (f.height - 1) * f.rowBytes : base;
  return s;
}

// ---------------------------------------------------------------------------
// Bitmaps

// Fills a device bitmap from caller rows of a given depth: 1 bit (bit 7 the
// leftmost pixel, 1 white), 16 bits 5-5-5, 24 bits B G R, 32 bits B G R X.
static void FillFromRows(GdiSurface& s, const uint8_t* rows, ptrdiff_t rowBytes, int32_t bpp) {
  for (int32_t y = 0; y < s.height; ++y) {
    const uint8_t* in = rows + y * rowBytes;
    if (bpp == s.bitsPerPixel) {
      std::memcpy(s.Row(y), in, GdiSurface::RowBytes(s.width, bpp, 1));
      continue;
    }
    for (int32_t x = 0; x < s.width; ++x) {
      COLORREF c;
      if (bpp == 1) {
        c = ((in[x >> 3] >> (7 - (x & 7))) & 1) ? RGB(255, 255, 255) : RGB(0, 0, 0);
      } else if (bpp == 16) {
        uint32_t v = in[2 * x] | (uint32_t{in[2 * x + 1]} << 8);
        auto widen = [](uint32_t k) { return static_cast<BYTE>((k << 3) | (k >> 2)); };
        c = RGB(widen((v >> 10) & 31), widen((v >> 5) & 31), widen(v & 31));
      } else {
        const uint8_t* p = in + (bpp / 8) * ptrdiff_t{x};
        c = RGB(p[2], p[1], p[0]);
      }
      s.Set(x, y, s.FromColor(c));
    }
  }
}

static bool RowDepthReadable(UINT bpp) { return bpp == 1 || bpp == 16 || bpp == 24 || bpp == 32; }

HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits) {
  if (width < 0 || height < 0 || planes != 1 || bitsPerPixel == 0 || bitsPerPixel > 32) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (width == 0 || height == 0) return static_cast<HBITMAP>(GdiDefaultBitmap()->handle);
  // Device bitmaps are monochrome or of the display's 32 bits. Initial bits
  // come in rows padded to 16 bits, of 1, 16, 24 or 32 bits a pixel; 4 and 8
  // bits a pixel carry no colour table to read them by and are refused.
  bool mono = bitsPerPixel == 1;
  if (bits && !RowDepthReadable(bitsPerPixel)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto s = NewDeviceSurface(width, height, mono);
  if (s && bits) {
    FillFromRows(*s, static_cast<const uint8_t*>(bits),
                 GdiSurface::RowBytes(width, static_cast<int32_t>(bitsPerPixel), 2),
                 static_cast<int32_t>(bitsPerPixel));
  }
  return NewBitmap(std::move(s));
}

HBITMAP CreateBitmapIndirect(const BITMAP* bm) {
  if (!bm) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (!bm->bmBits || bm->bmWidth <= 0 || bm->bmHeight <= 0) {
    return CreateBitmap(bm->bmWidth, bm->bmHeight, bm->bmPlanes, bm->bmBitsPixel, nullptr);
  }
  // The given rows are bmWidthBytes apart, which must hold a row.
  if (!RowDepthReadable(bm->bmBitsPixel) || bm->bmPlanes != 1 ||
      bm->bmWidthBytes < GdiSurface::RowBytes(bm->bmWidth, bm->bmBitsPixel, 1)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto s = NewDeviceSurface(bm->bmWidth, bm->bmHeight, bm->bmBitsPixel == 1);
  if (s) {
    FillFromRows(*s, static_cast<const uint8_t*>(bm->bmBits), bm->bmWidthBytes,
                 bm->bmBitsPixel);
  }
  return NewBitmap(std::move(s));
}

HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height) {
  bool mono = false;
  if (!CompatibleTarget(dc, &mono)) return nullptr;
  if (width < 0 || height < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (width == 0 || height == 0) return static_cast<HBITMAP>(GdiDefaultBitmap()->handle);
  return NewBitmap(NewDeviceSurface(width, height, mono));
}

HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section,
                         DWORD offset) {
  if (bits) *bits = nullptr;
  GdiDC* d = dc ? GdiDcFromHandle(dc) : nullptr;
  GdiDibFormat f;
  // Sections over file mappings are not offered.
  if ((dc && !d) || section || offset || !GdiReadDibFormat(info, usage, d, &f)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto s = GdiSurface::Create(f.width, f.height, f.bitsPerPixel, 4, f.bottomUp);
  if (!s) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  s->dibSection = true;
  s->colors = f.colors;
  void* start = f.bottomUp ? s->Row(f.height - 1) : s->bits;
  HBITMAP h = NewBitmap(std::move(s));
  if (h && bits) *bits = start;
  return h;
}

HBITMAP CreateDIBitmap(HDC dc, const BITMAPINFOHEADER* header, DWORD init, const void* bits,
                       const BITMAPINFO* info, UINT usage) {
  bool mono = false;
  GdiDC* d = CompatibleTarget(dc, &mono);
  if (!d || !header || header->biWidth <= 0 || header->biHeight == 0 ||
      header->biHeight == INT32_MIN) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  int32_t height = header->biHeight < 0 ? -header->biHeight : header->biHeight;
  GdiDibFormat f;
  if ((init & CBM_INIT) && (!bits || !GdiReadDibFormat(info, usage, d, &f))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto s = NewDeviceSurface(header->biWidth, height, mono);
  if (s && (init & CBM_INIT)) ConvertInto(*s, *GdiDibView(f, bits));
  return NewBitmap(std::move(s));
}

LONG GetBitmapBits(HBITMAP bitmap, LONG size, LPVOID bits) {
  GdiBitmap* b = GdiBitmapFromHandle(bitmap);
  if (!b) return 0;
  const GdiSurface& s = *b->surface;
  ptrdiff_t rowBytes = GdiSurface::RowBytes(s.width, s.bitsPerPixel, 2);
  int64_t total = int64_t{rowBytes} * s.height;
  if (!bits) return static_cast<LONG>(total);
  if (size <= 0) return 0;
  int32_t rows = static_cast<int32_t>(std::min<int64_t>(size / rowBytes, s.height));
  CopyRowsOut(s, static_cast<uint8_t*>(bits), rowBytes, rows);
  int64_t copied = int64_t{rows} * rowBytes;
  if (rows < s.height && size > copied) {  // a part row
    std::memcpy(static_cast<uint8_t*>(bits) + copied, s.Row(rows),
                static_cast<size_t>(std::min<int64_t>(size - copied, rowBytes)));
    copied = size;
  }
  return static_cast<LONG>(copied);
}

LONG SetBitmapBits(HBITMAP bitmap, DWORD size, const void* bits) {
  GdiBitmap* b = GdiBitmapFromHandle(bitmap);
  if (!b || !bits || b->stock) return 0;
  GdiSurface& s = *b->surface;
  ptrdiff_t rowBytes = GdiSurface::RowBytes(s.width, s.bitsPerPixel, 2);
  ptrdiff_t pixelBytes = GdiSurface::RowBytes(s.width, s.bitsPerPixel, 1);
  const uint8_t* in = static_cast<const uint8_t*>(bits);
  int64_t done = 0;
  for (int32_t y = 0; y < s.height && done < size; ++y) {
    int64_t n = std::min<int64_t>({size - done, pixelBytes});
    std::memcpy(s.Row(y), in + done, static_cast<size_t>(n));
    done += std::min<int64_t>(size - done, rowBytes);
  }
  return static_cast<LONG>(done);
}

int GetDIBits(HDC dc, HBITMAP bitmap, UINT start, UINT lines, LPVOID bits, BITMAPINFO* info,
              UINT usage) {
  GdiDC* d = GdiDcFromHandle(dc);
  GdiBitmap* b = d ? GdiBitmapFromHandle(bitmap) : nullptr;
  if (!b || !info || info->bmiHeader.biSize < sizeof(BITMAPINFOHEADER) ||
      usage != DIB_RGB_COLORS) {
    if (b) SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const GdiSurface& s = *b->surface;
  BITMAPINFOHEADER& h = info->bmiHeader;
  if (!bits && h.biBitCount == 0) {
    // Asked for the bitmap's own format.
    h.biWidth = s.width;
    h.biHeight = s.height;
    h.biPlanes = 1;
    h.biBitCount = static_cast<WORD>(s.bitsPerPixel);
    h.biCompression = BI_RGB;
    h.biSizeImage =
        static_cast<DWORD>(GdiSurface::RowBytes(s.width, s.bitsPerPixel, 4) * s.height);
    h.biClrUsed = 0;
    h.biClrImportant = 0;
    return s.height;
  }
  if (h.biWidth != s.width) h.biWidth = s.width;
  if (h.biHeight != s.height && h.biHeight != -s.height) h.biHeight = s.height;
  h.biPlanes = 1;
  GdiDibFormat f;
  if (!GdiReadDibFormat(info, DIB_RGB_COLORS, d, &f)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  // The colour table of an indexed request: the bitmap's own when it has
  // the same depth, black and white for one bit; other indexed requests of a
  // bitmap of another depth have no table to give and are refused.
  std::vector<RGBQUAD> table;
  if (f.bitsPerPixel <= 8) {
    if (s.bitsPerPixel == f.bitsPerPixel) {
      table = s.colors;
    } else if (f.bitsPerPixel == 1) {
      table = MonoColors();
    } else {
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
    }
    table.resize(size_t{1} << f.bitsPerPixel, RGBQUAD{0, 0, 0, 0});
    std::memcpy(reinterpret_cast<uint8_t*>(info) + h.biSize, table.data(),
                table.size() * sizeof(RGBQUAD));
    f.colors = table;
  }
  h.biCompression = BI_RGB;
  h.biSizeImage = static_cast<DWORD>(f.rowBytes * f.height);
  if (!bits) return s.height;
  if (start >= static_cast<UINT>(s.height)) return 0;
  UINT count = std::min<UINT>(lines, static_cast<UINT>(s.height) - start);
  // Scan lines count from the bottom of a bottom-up DIB, from the top of a
  // top-down one; the buffer holds scans start .. start + count - 1.
  auto out = GdiDibView({f.width, static_cast<int32_t>(count), f.bottomUp, f.bitsPerPixel,
                         f.rowBytes, f.colors},
                        bits);
  bool same = s.bitsPerPixel == f.bitsPerPixel &&
              (f.bitsPerPixel > 8 || GdiSameColors(table, s.colors));
  for (UINT k = 0; k < count; ++k) {
    // Bits outside the colour (a 32-bit pixel's fourth byte, row padding) are 0.
    std::memset(static_cast<uint8_t*>(bits) + ptrdiff_t{k} * f.rowBytes, 0, f.rowBytes);
  }
  for (UINT k = 0; k < count; ++k) {
    int32_t scan = static_cast<int32_t>(start + k);
    int32_t srcRow = f.bottomUp ? s.height - 1 - scan : scan;
    int32_t outRow = f.bottomUp ? static_cast<int32_t>(count - 1 - k) : static_cast<int32_t>(k);
    for (int32_t x = 0; x < s.width; ++x) {
      uint32_t v = s.Get(x, srcRow);
      out->Set(x, outRow, same ? v : out->FromColor(s.ToColor(v)));
    }
  }
  return static_cast<int>(count);
}
