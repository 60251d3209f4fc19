// Blits: pattern, bit and stretch blits with the general ternary raster
// operation, transparent copies, and DIB bits drawn to a device.
//
// Colour rules between formats (GDI's): a monochrome device bitmap copied
// to anything else takes the destination's text colour for its 0 bits and
// back colour for its 1 bits; a colour source copied to a one-bit
// destination gives white where it has the source DC's back colour and black
// elsewhere; all other copies go colour by colour, to the nearest colour the
// destination holds.
#include <algorithm>

#include "platform/gdi/GdiPaint.h"

namespace {

// Turns source pixel values into destination pixel values.
class SourceConverter {
 public:
  SourceConverter(const GdiSurface& src, const GdiDC* srcDc, const GdiSurface& dst,
                  GdiDC& dstDc)
      : src_(src), dst_(dst), srcMask_(src.ValueMask()) {
    if (src.deviceMono && dst.deviceMono) {
      mode_ = Mode::Direct;
    } else if (src.deviceMono) {
      mode_ = Mode::Table;
      table_ = {dst.FromColor(GdiResolveColor(dstDc, dstDc.state.textColor)),
                dst.FromColor(GdiResolveColor(dstDc, dstDc.state.bkColor))};
    } else if (dst.bitsPerPixel == 1 && src.bitsPerPixel > 1 && srcDc) {
      mode_ = Mode::ColorToMono;
      srcBack_ = src.FromColor(GdiResolveColor(*srcDc, srcDc->state.bkColor)) & srcMask_;
      white_ = dst.FromColor(RGB(255, 255, 255));
      black_ = dst.FromColor(RGB(0, 0, 0));
    } else if (src.bitsPerPixel <= 8) {
      mode_ = Mode::Table;
      bool same = src.bitsPerPixel == dst.bitsPerPixel && GdiSameColors(src.colors, dst.colors);
      table_.resize(src.colors.size());
      for (size_t i = 0; i < table_.size(); ++i) {
        table_[i] = same ? static_cast<uint32_t>(i) : dst.FromColor(src.ToColor(uint32_t(i)));
      }
    } else if (src.bitsPerPixel == dst.bitsPerPixel ||
               (src.bitsPerPixel >= 24 && dst.bitsPerPixel >= 24)) {
      mode_ = Mode::Direct;
    } else {
      mode_ = Mode::ViaColor;
    }
  }

  uint32_t operator()(uint32_t v) const {
    switch (mode_) {
      case Mode::Direct: return v;
      case Mode::Table: return v < table_.size() ? table_[v] : 0;
      case Mode::ColorToMono: return (v & srcMask_) == srcBack_ ? white_ : black_;
      default: return dst_.FromColor(src_.ToColor(v));
    }
  }

 private:
  enum class Mode { Direct, Table, ColorToMono, ViaColor };
  const GdiSurface& src_;
  const GdiSurface& dst_;
  Mode mode_ = Mode::Direct;
  std::vector<uint32_t> table_;
  uint32_t srcMask_;
  uint32_t srcBack_ = 0, white_ = 0, black_ = 0;
};

// Source positions of destination index i of n, for a source of m.
inline void SourceRange(int64_t i, int64_t n, int64_t m, bool flip, int64_t* from,
                        int64_t* to) {
  int64_t k = flip ? n - 1 - i : i;
  *from = k * m / n;
  *to = std::max(*from + 1, (k + 1) * m / n);
}

BOOL Answer(bool ok) { return ok ? TRUE_ : FALSE_; }

inline uint32_t LoadPixel(const uint8_t* p, int32_t bytes) {
  uint32_t v = p[0] | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16);
  return bytes == 4 ? v | (uint32_t{p[3]} << 24) : v;
}

// Pixels x0 .. x1 - 1 of row y of a true-colour destination through a
// raster operation, from the pattern (when used) and the source row at
// `from` (when used; 24 or 32 bits, `sourceBits`), a pixel's colour bytes
// changed and a 32-bit pixel's fourth byte kept, as a pixel's setting does.
void BlitTrueColorRow(GdiSurface& d, int32_t y, int32_t x0, int32_t x1, uint8_t code, const GdiInk* pattern,
                      const uint8_t* from, int32_t sourceBits) {
  const int32_t bytes = d.bitsPerPixel / 8;
  const int32_t sourceBytes = sourceBits / 8;
  uint8_t* to = d.Row(y) + ptrdiff_t{x0} * bytes;
  const int32_t count = x1 - x0;
  if (code == 0xCC && from != nullptr && sourceBits == d.bitsPerPixel) {
    GdiCopyColorBytes(to, from, count, d.bitsPerPixel);
    return;
  }
  if (pattern != nullptr && pattern->IsSolid() && from == nullptr && (code == 0xF0 || code == 0x00 || code == 0xFF)) {
    const uint32_t value = code == 0xF0 ? pattern->SolidValue() : code == 0x00 ? 0u : 0xFFFFFFu;
    GdiFillColorBytes(to, value, count, d.bitsPerPixel);
    return;
  }
  const uint32_t* values = nullptr;
  const uint8_t* opaque = nullptr;
  int32_t width = 0, column = 0;
  if (pattern != nullptr && !pattern->IsSolid()) {
    values = pattern->PatternValues(y);
    opaque = pattern->PatternOpaque(y);
    width = pattern->PatternWidth();
    column = pattern->PatternColumn(x0);
  }
  for (int32_t i = 0; i < count; ++i, to += bytes) {
    uint32_t p = 0;
    if (values != nullptr) {
      const int32_t c = column;
      if (++column == width) column = 0;
      if (opaque != nullptr && !opaque[c]) continue;
      p = values[c];
    } else if (pattern != nullptr) {
      p = pattern->SolidValue();
    }
    const uint32_t s = from != nullptr ? LoadPixel(from + ptrdiff_t{i} * sourceBytes, sourceBytes) : 0;
    const uint32_t v = GdiRop3(code, p, s, LoadPixel(to, 3));
    to[0] = static_cast<uint8_t>(v);
    to[1] = static_cast<uint8_t>(v >> 8);
    to[2] = static_cast<uint8_t>(v >> 16);
  }
}


// Device rectangle (x, y, width, height) of a logical one, signs kept.
void DeviceBox(const GdiDC& dc, int x, int y, int width, int height, int32_t* dx, int32_t* dy,
               int32_t* dw, int32_t* dh) {
  POINT a = GdiToDevice(dc, {x, y});
  POINT b = GdiToDevice(dc, {static_cast<LONG>(std::clamp<int64_t>(int64_t{x} + width, INT32_MIN,
                                                                   INT32_MAX)),
                             static_cast<LONG>(std::clamp<int64_t>(int64_t{y} + height, INT32_MIN,
                                                                   INT32_MAX))});
  *dx = a.x;
  *dy = a.y;
  *dw = static_cast<int32_t>(std::clamp<int64_t>(int64_t{b.x} - a.x, INT32_MIN + 1, INT32_MAX));
  *dh = static_cast<int32_t>(std::clamp<int64_t>(int64_t{b.y} - a.y, INT32_MIN + 1, INT32_MAX));
}

}  // namespace

bool GdiBlit(GdiDC& dc, int32_t x, int32_t y, int32_t width, int32_t height,
             const GdiSurface* source, const GdiDC* sourceDc, int32_t srcX, int32_t srcY,
             int32_t srcWidth, int32_t srcHeight, DWORD rop, int stretchMode,
             const COLORREF* transparent) {
  GdiSurface* d = dc.Target();
  if (!d) return false;
  uint8_t code = static_cast<uint8_t>(rop >> 16);
  bool usesS = transparent || GdiRopUsesSource(code);
  bool usesP = !transparent && GdiRopUsesPattern(code);
  if (usesS && !source) return false;

  int64_t dx = x, dy = y, dw = width, dh = height;
  int64_t sx = srcX, sy = srcY, sw = srcWidth, sh = srcHeight;
  bool flipX = false, flipY = false;
  if (dw < 0) {
    dx += dw;
    dw = -dw;
    flipX = !flipX;
  }
  if (dh < 0) {
    dy += dh;
    dh = -dh;
    flipY = !flipY;
  }
  if (usesS) {
    if (sw < 0) {
      sx += sw;
      sw = -sw;
      flipX = !flipX;
    }
    if (sh < 0) {
      sy += sh;
      sh = -sh;
      flipY = !flipY;
    }
    if (sw == 0 || sh == 0) return true;
  } else {
    sw = dw;
    sh = dh;
    flipX = flipY = false;
  }
  if (dw == 0 || dh == 0) return true;

  GdiInk pattern;
  if (usesP) {
    if (!dc.state.brush) return true;
    // Blits fill hatch backgrounds with the back colour whatever the mode.
    pattern = GdiInk::FromBrush(dc, *d, dc.state.brush->data, false);
    if (pattern.IsNone()) return true;  // the null brush paints nothing
  }

  // A source that is the destination (scrolling) is read from a copy.
  std::shared_ptr<GdiSurface> copy;
  if (usesS && (source->bits == d->bits || (source->storage && source->storage == d->storage))) {
    copy = GdiCopySurface(*source);
    if (!copy) return false;
    source = copy.get();
  }
  std::unique_ptr<SourceConverter> convert;
  if (usesS) convert = std::make_unique<SourceConverter>(*source, sourceDc, *d, dc);

  auto clampRect = [](int64_t v) {
    return static_cast<LONG>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
  };
  GdiRegion area(RECT{clampRect(dx), clampRect(dy), clampRect(dx + dw), clampRect(dy + dh)});
  area = GdiRegion::Combine(area, GdiVisibleRegion(dc), RGN_AND);

  // A true-colour destination with no scaling, no mirroring, no transparent
  // colour and a true-colour source (or none) goes a row at a time.
  const bool trueColor = d->bitsPerPixel == 24 || d->bitsPerPixel == 32;
  if (trueColor && !transparent && (!usesS || (dw == sw && dh == sh && !flipX && !flipY &&
                                               (source->bitsPerPixel == 24 || source->bitsPerPixel == 32)))) {
    for (const RECT& rc : area.Rects()) {
      for (int32_t py = rc.top; py < rc.bottom; ++py) {
        int64_t left = rc.left, right = rc.right;
        const uint8_t* from = nullptr;
        if (usesS) {
          // The source pixel of (px, py) is (px - dx + sx, py - dy + sy).
          const int64_t row = int64_t{py} - dy + sy;
          if (row < 0 || row >= source->height) continue;  // outside the source: left alone
          left = std::max<int64_t>(left, dx - sx);
          right = std::min<int64_t>(right, dx - sx + source->width);
          if (left >= right) continue;
          from = source->Row(static_cast<int32_t>(row)) + (left - dx + sx) * (source->bitsPerPixel / 8);
        }
        BlitTrueColorRow(*d, static_cast<int32_t>(py), static_cast<int32_t>(left), static_cast<int32_t>(right),
                         code, usesP ? &pattern : nullptr, from, usesS ? source->bitsPerPixel : 0);
      }
    }
    return true;
  }

  bool shrinkMerge = (stretchMode == BLACKONWHITE || stretchMode == WHITEONBLACK);
  for (const RECT& rc : area.Rects()) {
    for (int32_t py = rc.top; py < rc.bottom; ++py) {
      int64_t r0 = 0, r1 = 1;
      if (usesS) {
        SourceRange(py - dy, dh, sh, flipY, &r0, &r1);
        r0 += sy;
        r1 += sy;
        if (!shrinkMerge) r1 = r0 + 1;
        r0 = std::max<int64_t>(r0, 0);
        r1 = std::min<int64_t>(r1, source->height);
        if (r0 >= r1) continue;  // outside the source: left alone
      }
      for (int32_t px = rc.left; px < rc.right; ++px) {
        uint32_t s = 0;
        if (usesS) {
          int64_t c0, c1;
          SourceRange(px - dx, dw, sw, flipX, &c0, &c1);
          c0 += sx;
          c1 += sx;
          if (!shrinkMerge) c1 = c0 + 1;
          c0 = std::max<int64_t>(c0, 0);
          c1 = std::min<int64_t>(c1, source->width);
          if (c0 >= c1) continue;
          uint32_t raw = source->Get(static_cast<int32_t>(c0), static_cast<int32_t>(r0));
          if (transparent && source->ToColor(raw) == (*transparent & 0xFFFFFF)) continue;
          s = (*convert)(raw);
          if (shrinkMerge && (c1 - c0 > 1 || r1 - r0 > 1)) {
            // Shrinking: BLACKONWHITE keeps dark pixels (AND), WHITEONBLACK
            // light ones (OR), over every source pixel the target pixel covers.
            for (int64_t ry = r0; ry < r1; ++ry) {
              for (int64_t rx = c0; rx < c1; ++rx) {
                uint32_t v = (*convert)(source->Get(int32_t(rx), int32_t(ry)));
                s = stretchMode == BLACKONWHITE ? (s & v) : (s | v);
              }
            }
          }
        }
        uint32_t p = 0;
        if (usesP && !pattern.At(px, py, &p)) continue;
        d->Set(px, py, GdiRop3(code, p, s, d->Get(px, py)));
      }
    }
  }
  return true;
}

BOOL PatBlt(HDC handle, int x, int y, int width, int height, DWORD rop) {
  GdiDC* dc = GdiDcFromHandle(handle);
  if (!dc) return FALSE_;
  if (GdiRopUsesSource(static_cast<uint8_t>(rop >> 16))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE_;
  }
  GdiCall call{GdiOp::PatBlt};
  call.args[0] = x;
  call.args[1] = y;
  call.args[2] = width;
  call.args[3] = height;
  call.args[4] = static_cast<int32_t>(rop);
  BOOL result = TRUE_;
  if (!GdiBeginDrawing(*dc, call, &result)) return result;
  int32_t dx, dy, dw, dh;
  DeviceBox(*dc, x, y, width, height, &dx, &dy, &dw, &dh);
  return Answer(GdiBlit(*dc, dx, dy, dw, dh, nullptr, nullptr, 0, 0, 0, 0, rop,
                             dc->state.stretchMode, nullptr));
}

static BOOL StretchFromDC(HDC handle, GdiOp op, int x, int y, int width, int height, HDC src,
                          int srcX, int srcY, int srcWidth, int srcHeight, DWORD rop,
                          const COLORREF* transparent) {
  GdiDC* dc = GdiDcFromHandle(handle);
  if (!dc) return FALSE_;
  bool usesS = transparent || GdiRopUsesSource(static_cast<uint8_t>(rop >> 16));
  GdiDC* srcDc = nullptr;
  if (usesS) {
    srcDc = GdiDcFromHandle(src);
    if (!srcDc) return FALSE_;
  }
  GdiCall call{op};
  call.object = src;
  int32_t args[] = {x, y, width, height, srcX, srcY, srcWidth, srcHeight, static_cast<int32_t>(rop),
                    transparent ? static_cast<int32_t>(*transparent) : 0};
  std::copy(std::begin(args), std::end(args), call.args);
  BOOL result = TRUE_;
  if (!GdiBeginDrawing(*dc, call, &result)) return result;
  GdiSurface* source = nullptr;
  std::shared_ptr<GdiSurface> readable;  // a window's pixels as the screen shows them
  int32_t sx = 0, sy = 0, sw = 0, sh = 0;
  if (srcDc) {
    readable = GdiReadableSurface(*srcDc);
    source = readable.get();
    if (!source) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE_;
    }
    DeviceBox(*srcDc, srcX, srcY, srcWidth, srcHeight, &sx, &sy, &sw, &sh);
  }
  int32_t dx, dy, dw, dh;
  DeviceBox(*dc, x, y, width, height, &dx, &dy, &dw, &dh);
  int mode = transparent ? COLORONCOLOR : dc->state.stretchMode;
  return Answer(GdiBlit(*dc, dx, dy, dw, dh, source, srcDc, sx, sy, sw, sh, rop, mode,
                             transparent));
}

BOOL BitBlt(HDC dc, int x, int y, int width, int height, HDC source, int srcX, int srcY,
            DWORD rop) {
  return StretchFromDC(dc, GdiOp::BitBlt, x, y, width, height, source, srcX, srcY, width, height,
                       rop, nullptr);
}

BOOL StretchBlt(HDC dc, int x, int y, int width, int height, HDC source, int srcX, int srcY,
                int srcWidth, int srcHeight, DWORD rop) {
  return StretchFromDC(dc, GdiOp::StretchBlt, x, y, width, height, source, srcX, srcY, srcWidth,
                       srcHeight, rop, nullptr);
}

BOOL TransparentBlt(HDC dc, int x, int y, int width, int height, HDC source, int srcX, int srcY,
                    int srcWidth, int srcHeight, UINT transparent) {
  if (width <= 0 || height <= 0 || srcWidth <= 0 || srcHeight <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE_;
  }
  GdiDC* d = GdiDcFromHandle(source);
  if (!d) return FALSE_;
  COLORREF key = GdiResolveColor(*d, transparent);
  return StretchFromDC(dc, GdiOp::TransparentBlt, x, y, width, height, source, srcX, srcY,
                       srcWidth, srcHeight, SRCCOPY, &key);
}

int SetDIBitsToDevice(HDC handle, int x, int y, DWORD width, DWORD height, int srcX, int srcY,
                      UINT startScan, UINT lines, const void* bits, const BITMAPINFO* info,
                      UINT usage) {
  GdiDC* dc = GdiDcFromHandle(handle);
  if (!dc) return 0;
  GdiDibFormat f;
  if (!bits || !GdiReadDibFormat(info, usage, dc, &f) || width > INT32_MAX ||
      height > INT32_MAX || lines > static_cast<UINT>(f.height) ||
      startScan > static_cast<UINT>(f.height) - lines) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  GdiCall call{GdiOp::SetDIBitsToDevice};
  int32_t args[] = {x, y, int32_t(width), int32_t(height), srcX, srcY, int32_t(startScan),
                    int32_t(lines)};
  std::copy(std::begin(args), std::end(args), call.args);
  call.data = bits;
  call.info = info;
  call.args[9] = static_cast<int32_t>(usage);
  BOOL result = TRUE_;
  if (!GdiBeginDrawing(*dc, call, &result)) return result ? static_cast<int>(lines) : 0;
  if (lines == 0) return 0;
  // The buffer holds scans startScan .. startScan + lines - 1. Scans count
  // from the bottom of a bottom-up DIB, and srcY is the source rectangle's
  // lowest scan; in a top-down DIB both count from the top.
  GdiDibFormat part = f;
  part.height = static_cast<int32_t>(lines);
  std::shared_ptr<GdiSurface> view = GdiDibView(part, bits);
  int64_t top = f.bottomUp ? int64_t{startScan} + lines - srcY - int64_t{height}
                           : int64_t{srcY} - startScan;
  int32_t dx, dy, dw, dh;
  DeviceBox(*dc, x, y, static_cast<int>(width), static_cast<int>(height), &dx, &dy, &dw, &dh);
  if (top < INT32_MIN || top > INT32_MAX) return 0;
  GdiBlit(*dc, dx, dy, dw, dh, view.get(), nullptr, srcX, static_cast<int32_t>(top),
          static_cast<int32_t>(width), static_cast<int32_t>(height), SRCCOPY, COLORONCOLOR,
          nullptr);
  return static_cast<int>(lines);
}

int StretchDIBits(HDC handle, int x, int y, int width, int height, int srcX, int srcY,
                  int srcWidth, int srcHeight, const void* bits, const BITMAPINFO* info,
                  UINT usage, DWORD rop) {
  GdiDC* dc = GdiDcFromHandle(handle);
  if (!dc) return 0;
  GdiDibFormat f;
  bool usesS = GdiRopUsesSource(static_cast<uint8_t>(rop >> 16));
  if ((usesS && !bits) || !GdiReadDibFormat(info, usage, dc, &f)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  GdiCall call{GdiOp::StretchDIBits};
  int32_t args[] = {x, y, width, height, srcX, srcY, srcWidth, srcHeight, int32_t(rop)};
  std::copy(std::begin(args), std::end(args), call.args);
  call.data = bits;
  call.info = info;
  call.args[9] = static_cast<int32_t>(usage);
  BOOL result = TRUE_;
  int32_t lines = srcHeight < 0 ? -srcHeight : srcHeight;
  if (!GdiBeginDrawing(*dc, call, &result)) return result ? lines : 0;
  std::shared_ptr<GdiSurface> view = bits ? GdiDibView(f, bits) : nullptr;
  // In a bottom-up DIB srcY is measured up from the bottom row.
  int64_t top = f.bottomUp ? int64_t{f.height} - srcY - srcHeight : srcY;
  if (top < INT32_MIN || top > INT32_MAX) return 0;
  int32_t dx, dy, dw, dh;
  DeviceBox(*dc, x, y, width, height, &dx, &dy, &dw, &dh);
  if (!GdiBlit(*dc, dx, dy, dw, dh, view.get(), nullptr, srcX, static_cast<int32_t>(top),
               srcWidth, srcHeight, rop, dc->state.stretchMode, nullptr)) {
    return 0;
  }
  return lines;
}
