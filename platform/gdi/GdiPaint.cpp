// Putting pixels on a DC's surface: colours, inks of pens and brushes, mix
// modes over regions and point lists, one-pixel lines, and the hooks the
// font code draws glyphs through.
#include "platform/gdi/GdiPaint.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

// Hatch bitmaps, one byte a row, bit 7 the leftmost pixel, 1 = line.
constexpr uint8_t kHatches[6][8] = {
    {0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x00},  // HS_HORIZONTAL
    {0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08},  // HS_VERTICAL
    {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01},  // HS_FDIAGONAL
    {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80},  // HS_BDIAGONAL
    {0x08, 0x08, 0x08, 0xFF, 0x08, 0x08, 0x08, 0x08},  // HS_CROSS
    {0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81},  // HS_DIAGCROSS
};

}  // namespace

COLORREF GdiResolveColor(const GdiDC& dc, COLORREF color) {
  if ((color >> 24) == 0x01) {
    const GdiPalette* pal = dc.state.palette
                                ? dc.state.palette
                                : static_cast<GdiPalette*>(GdiStockObject(DEFAULT_PALETTE));
    uint32_t index = color & 0xFFFF;
    if (index >= pal->entries.size()) index = 0;
    const PALETTEENTRY& e = pal->entries[index];
    return RGB(e.peRed, e.peGreen, e.peBlue);
  }
  // The devices are true colour: a palette-relative colour is its RGB.
  return color & 0x00FFFFFF;
}

GdiInk GdiInk::Solid(uint32_t value) {
  GdiInk ink;
  ink.kind_ = Kind::Solid;
  ink.solid_ = value;
  return ink;
}

GdiInk GdiInk::FromBrush(GdiDC& dc, const GdiSurface& target, const GdiBrushData& brush,
                         bool transparentBackground) {
  auto value = [&](COLORREF c) { return target.FromColor(GdiResolveColor(dc, c)); };
  GdiInk ink;
  switch (brush.style) {
    case BS_SOLID:
      return Solid(value(brush.color));
    case BS_HATCHED: {
      ink.kind_ = Kind::Pattern;
      ink.width_ = ink.height_ = 8;
      uint32_t fg = value(brush.color), bg = value(dc.state.bkColor);
      const uint8_t* rows = kHatches[std::clamp(brush.hatch, 0, 5)];
      ink.values_.resize(64);
      if (transparentBackground) ink.opaque_.resize(64);
      for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
          bool line = (rows[y] >> (7 - x)) & 1;
          ink.values_[y * 8 + x] = line ? fg : bg;
          if (transparentBackground) ink.opaque_[y * 8 + x] = line;
        }
      }
      break;
    }
    case BS_PATTERN: {
      if (!brush.pattern) return ink;
      const GdiSurface& p = *brush.pattern;
      ink.kind_ = Kind::Pattern;
      ink.width_ = p.width;
      ink.height_ = p.height;
      ink.values_.resize(static_cast<size_t>(p.width) * p.height);
      uint32_t fg = value(dc.state.textColor), bg = value(dc.state.bkColor);
      for (int32_t y = 0; y < p.height; ++y) {
        for (int32_t x = 0; x < p.width; ++x) {
          uint32_t v = p.Get(x, y);
          // A monochrome pattern is coloured by the DC: 0 bits the text
          // colour, 1 bits the back colour.
          ink.values_[static_cast<size_t>(y) * p.width + x] =
              p.deviceMono ? (v ? bg : fg) : target.FromColor(p.ToColor(v));
        }
      }
      break;
    }
    default:
      return ink;
  }
  ink.originX_ = dc.state.brushOrigin.x;
  ink.originY_ = dc.state.brushOrigin.y;
  return ink;
}

GdiSurface* GdiBeginDrawing(GdiDC& dc, const GdiCall& call, BOOL* result) {
  GdiRecord(dc, call);
  GdiSurface* s = dc.Target();
  *result = (s || dc.dcKind == GdiDcKind::Metafile || dc.pagePixelsOnDemand) ? TRUE_ : FALSE_;
  return s;
}

GdiRegion GdiVisibleRegion(GdiDC& dc) {
  GdiSurface* s = dc.Target();
  if (!s) return GdiRegion();
  GdiRegion bounds(RECT{0, 0, s->width, s->height});
  if (dc.dcKind == GdiDcKind::Window || dc.pagePixelsOnDemand) {
    bounds = GdiRegion::Combine(bounds, dc.system, RGN_AND);
  }
  if (!dc.state.clip) return bounds;
  return GdiRegion::Combine(bounds, *dc.state.clip, RGN_AND);
}

namespace {

inline uint32_t Load32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

inline void Store32(uint8_t* p, uint32_t v) { std::memcpy(p, &v, 4); }

inline uint32_t Load24(const uint8_t* p) { return p[0] | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16); }

inline void Store24(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
  p[2] = static_cast<uint8_t>(v >> 16);
}

// A span of a true-colour row with a mix of each pixel's ink value:
// `inkAt(x, &v)` gives the value or leaves the pixel alone. Only the colour
// bytes change, so the destination's colour bytes alone are read.
template <int kBytes, typename InkAt>
void MixSpan(uint8_t* p, int32_t x0, int32_t x1, int rop2, const InkAt& inkAt) {
  for (int32_t x = x0; x < x1; ++x, p += kBytes) {
    uint32_t v;
    if (!inkAt(x, &v)) continue;
    const uint32_t d = Load24(p);
    Store24(p, GdiRop2(rop2, v, d));
  }
}

template <int kBytes>
void PaintTrueColorSpan(uint8_t* p, int32_t y, int32_t x0, int32_t x1, const GdiInk& ink, int rop2) {
  if (ink.IsSolid()) {
    const uint32_t v = ink.SolidValue();
    if (rop2 == R2_COPYPEN) {
      GdiFillColorBytes(p, v, x1 - x0, kBytes * 8);
      return;
    }
    MixSpan<kBytes>(p, x0, x1, rop2, [v](int32_t, uint32_t* out) {
      *out = v;
      return true;
    });
    return;
  }
  // A pattern: its row found once, its column stepped along.
  const uint32_t* values = ink.PatternValues(y);
  const uint8_t* opaque = ink.PatternOpaque(y);
  const int32_t width = ink.PatternWidth();
  int32_t column = ink.PatternColumn(x0);
  MixSpan<kBytes>(p, x0, x1, rop2, [&](int32_t, uint32_t* out) {
    const int32_t c = column;
    if (++column == width) column = 0;
    if (opaque != nullptr && !opaque[c]) return false;
    *out = values[c];
    return true;
  });
}

}  // namespace

void GdiCopyColorBytes(uint8_t* to, const uint8_t* from, int32_t count, int32_t bitsPerPixel) {
  if (bitsPerPixel == 24) {
    std::memmove(to, from, size_t(count) * 3);
    return;
  }
  if (to <= from || to >= from + ptrdiff_t{count} * 4) {
    // Four pixels at a step; a target before its source reads each group
    // before writing it, so an overlap that way is safe too.
    int32_t i = 0;
    for (; i + 4 <= count; i += 4, to += 16, from += 16) {
      uint32_t d[4], s[4];
      std::memcpy(d, to, 16);
      std::memcpy(s, from, 16);
      for (int k = 0; k < 4; ++k) d[k] = (d[k] & 0xFF000000u) | (s[k] & 0x00FFFFFFu);
      std::memcpy(to, d, 16);
    }
    for (; i < count; ++i, to += 4, from += 4)
      Store32(to, (Load32(to) & 0xFF000000u) | (Load32(from) & 0x00FFFFFFu));
  } else {
    // Overlapping with the target after the source: from the end.
    for (int32_t i = count - 1; i >= 0; --i)
      Store32(to + 4 * ptrdiff_t{i}, (Load32(to + 4 * ptrdiff_t{i}) & 0xFF000000u) |
                                         (Load32(from + 4 * ptrdiff_t{i}) & 0x00FFFFFFu));
  }
}

void GdiFillColorBytes(uint8_t* to, uint32_t value, int32_t count, int32_t bitsPerPixel) {
  if (bitsPerPixel == 24) {
    for (int32_t i = 0; i < count; ++i, to += 3) Store24(to, value);
    return;
  }
  value &= 0x00FFFFFFu;
  // Four pixels at a step, which the compiler turns into vector code.
  int32_t i = 0;
  for (; i + 4 <= count; i += 4, to += 16) {
    uint32_t p[4];
    std::memcpy(p, to, 16);
    for (uint32_t& v : p) v = (v & 0xFF000000u) | value;
    std::memcpy(to, p, 16);
  }
  for (; i < count; ++i, to += 4) Store32(to, (Load32(to) & 0xFF000000u) | value);
}

void GdiPaintSpan(GdiSurface& s, int32_t y, int32_t x0, int32_t x1, const GdiInk& ink, int rop2) {
  if (x0 >= x1 || ink.IsNone() || rop2 == R2_NOP) return;
  if (s.bitsPerPixel == 32) return PaintTrueColorSpan<4>(s.Row(y) + 4 * ptrdiff_t{x0}, y, x0, x1, ink, rop2);
  if (s.bitsPerPixel == 24) return PaintTrueColorSpan<3>(s.Row(y) + 3 * ptrdiff_t{x0}, y, x0, x1, ink, rop2);
  // Packed and indexed formats, a pixel at a time.
  for (int32_t x = x0; x < x1; ++x) {
    uint32_t v;
    if (!ink.At(x, y, &v)) continue;
    s.Set(x, y, GdiRop2(rop2, v, s.Get(x, y)));
  }
}

void GdiPaintRegion(GdiDC& dc, const GdiRegion& region, const GdiInk& ink, int rop2) {
  GdiSurface* s = dc.Target();
  if (!s || ink.IsNone() || region.IsEmpty() || rop2 == R2_NOP) return;
  GdiRegion r = GdiRegion::Combine(region, GdiVisibleRegion(dc), RGN_AND);
  for (const RECT& rc : r.Rects()) {
    for (int32_t y = rc.top; y < rc.bottom; ++y) GdiPaintSpan(*s, y, rc.left, rc.right, ink, rop2);
  }
}

void GdiPaintPoints(GdiDC& dc, const std::vector<POINT>& points, const GdiInk& ink, int rop2) {
  GdiSurface* s = dc.Target();
  if (!s || ink.IsNone() || points.empty() || rop2 == R2_NOP) return;
  GdiRegion visible = GdiVisibleRegion(dc);
  RECT box = visible.Bounds();
  for (const POINT& pt : points) {
    if (pt.x < box.left || pt.x >= box.right || pt.y < box.top || pt.y >= box.bottom) continue;
    if (!visible.Contains(pt.x, pt.y)) continue;
    uint32_t v;
    if (!ink.At(pt.x, pt.y, &v)) continue;
    s->Set(pt.x, pt.y, GdiRop2(rop2, v, s->Get(pt.x, pt.y)));
  }
}

namespace {

int64_t FloorDiv(__int128 n, __int128 d) {  // d > 0
  __int128 q = n / d;
  if (n % d != 0 && n < 0) --q;
  return static_cast<int64_t>(q);
}

// Steps i (0 .. n - 1) at which minor = base + floor((2 i delta + n) / 2n)
// can lie in [lo, hi): the bounds are widened by a step and checked exactly
// per point afterwards.
void MinorRange(int64_t base, int64_t delta, int64_t n, int64_t lo, int64_t hi, int64_t* first,
                int64_t* last) {
  if (delta == 0) {
    if (base < lo || base >= hi) *last = *first;  // empty
    return;
  }
  // minor - base is within one of i * delta / n.
  int64_t a = lo - base - 1, b = hi - base + 1;
  int64_t i0, i1;
  if (delta > 0) {
    i0 = FloorDiv(static_cast<__int128>(a) * n, delta);
    i1 = FloorDiv(static_cast<__int128>(b) * n, delta) + 1;
  } else {
    i0 = FloorDiv(static_cast<__int128>(b) * n, delta < 0 ? -delta : delta);
    i0 = -i0 - 1;
    i1 = -FloorDiv(static_cast<__int128>(a) * n, -delta) + 1;
  }
  *first = std::max(*first, i0);
  *last = std::min(*last, i1);
}

}  // namespace

void GdiLinePoints(POINT a, POINT b, std::vector<POINT>& out, const RECT* clip) {
  int64_t dx = int64_t{b.x} - a.x, dy = int64_t{b.y} - a.y;
  int64_t adx = std::llabs(dx), ady = std::llabs(dy);
  bool xMajor = adx >= ady;
  int64_t n = xMajor ? adx : ady;
  if (n == 0) return;
  int64_t major0 = xMajor ? a.x : a.y, minor0 = xMajor ? a.y : a.x;
  int64_t step = (xMajor ? dx : dy) < 0 ? -1 : 1;
  int64_t delta = xMajor ? dy : dx;
  int64_t first = 0, last = n;  // steps first .. last - 1
  if (clip) {
    int64_t majorLo = xMajor ? clip->left : clip->top, majorHi = xMajor ? clip->right : clip->bottom;
    int64_t minorLo = xMajor ? clip->top : clip->left, minorHi = xMajor ? clip->bottom : clip->right;
    if (step > 0) {
      first = std::max(first, majorLo - major0);
      last = std::min(last, majorHi - major0);
    } else {
      first = std::max(first, major0 - majorHi + 1);
      last = std::min(last, major0 - majorLo + 1);
    }
    MinorRange(minor0, delta, n, minorLo, minorHi, &first, &last);
  }
  // Each step along the longer axis takes the nearest pixel of the other,
  // halves rounded toward +infinity; the end point itself is left out.
  for (int64_t i = first; i < last; ++i) {
    int64_t minor = minor0 + FloorDiv(static_cast<__int128>(2) * i * delta + n, 2 * n);
    int64_t major = major0 + step * i;
    POINT p = xMajor ? POINT{static_cast<LONG>(major), static_cast<LONG>(minor)}
                     : POINT{static_cast<LONG>(minor), static_cast<LONG>(major)};
    if (clip && (p.x < clip->left || p.x >= clip->right || p.y < clip->top ||
                 p.y >= clip->bottom)) {
      continue;
    }
    out.push_back(p);
  }
}

RECT GdiDeviceBounds(GdiDC& dc) {
  switch (dc.dcKind) {
    case GdiDcKind::Memory:
      if (dc.state.bitmap && dc.state.bitmap->surface) {
        return {0, 0, dc.state.bitmap->surface->width, dc.state.bitmap->surface->height};
      }
      return {0, 0, 0, 0};
    case GdiDcKind::Window:
    case GdiDcKind::Screen:
      if (dc.surface) return {0, 0, dc.surface->width, dc.surface->height};
      [[fallthrough]];
    default:
      return {0, 0, dc.caps.horzRes, dc.caps.vertRes};
  }
}

RECT GdiRectToDevice(const GdiDC& dc, const RECT& r) {
  POINT a = GdiToDevice(dc, {r.left, r.top});
  POINT b = GdiToDevice(dc, {r.right, r.bottom});
  return {a.x, a.y, b.x, b.y};
}

POINT GdiRegionOffset(const GdiDC& dc) {
  POINT o = GdiToDevice(dc, {0, 0});
  return o;
}

void GdiPaintMask(GdiDC& dc, int64_t x, int64_t y, int32_t width, int32_t height,
                  const uint8_t* mask, ptrdiff_t maskStride, COLORREF color,
                  const RECT* deviceClip) {
  GdiSurface* s = dc.Target();
  if (!s || !mask || width <= 0 || height <= 0) return;
  // The mask's box is cut to the surface in 64 bits before it becomes a RECT:
  // a placement near the edge of the 32-bit range must not wrap around onto it.
  const int64_t left = std::max<int64_t>(x, 0), top = std::max<int64_t>(y, 0);
  const int64_t right = std::min<int64_t>(x + width, s->width);
  const int64_t bottom = std::min<int64_t>(y + height, s->height);
  if (left >= right || top >= bottom) return;
  RECT box{static_cast<LONG>(left), static_cast<LONG>(top), static_cast<LONG>(right), static_cast<LONG>(bottom)};
  if (deviceClip) {
    const RECT clip = GdiRegion(*deviceClip).Bounds();  // its edges put in order
    box = RECT{std::max(box.left, clip.left), std::max(box.top, clip.top), std::min(box.right, clip.right),
               std::min(box.bottom, clip.bottom)};
    if (box.left >= box.right || box.top >= box.bottom) return;
  }
  const GdiInk ink = GdiInk::Solid(s->FromColor(GdiResolveColor(dc, color)));
  // The mask's box cut by each rectangle of the visible region in turn.
  const GdiRegion visible = GdiVisibleRegion(dc);
  for (const RECT& part : visible.Rects()) {
    const RECT rc{std::max(box.left, part.left), std::max(box.top, part.top), std::min(box.right, part.right),
                  std::min(box.bottom, part.bottom)};
    if (rc.left >= rc.right) continue;
    for (int32_t py = rc.top; py < rc.bottom; ++py) {
      // Mask column px - x of this row holds device column px.
      const uint8_t* row = mask + static_cast<ptrdiff_t>(py - y) * maskStride;
      // The runs of ink pixels, each painted as a span.
      for (int32_t px = rc.left; px < rc.right;) {
        if (!row[px - x]) {
          ++px;
          continue;
        }
        int32_t end = px + 1;
        while (end < rc.right && row[end - x]) ++end;
        GdiPaintSpan(*s, py, px, end, ink, R2_COPYPEN);
        px = end;
      }
    }
  }
}

void GdiFillDeviceRect(GdiDC& dc, const RECT& rect, COLORREF color, const RECT* deviceClip) {
  GdiSurface* s = dc.Target();
  if (!s) return;
  GdiRegion area(rect);
  if (deviceClip) area = GdiRegion::Combine(area, GdiRegion(*deviceClip), RGN_AND);
  GdiPaintRegion(dc, area, GdiInk::Solid(s->FromColor(GdiResolveColor(dc, color))),
                 R2_COPYPEN);
}
