// Region handles: making regions from shapes, combining, testing and moving
// them, and their stored form (RGNDATA) out and back in.
#include <cstring>

#include "platform/gdi/GdiInternal.h"

namespace {

// Region coordinates are kept within +-2^27, as GDI's are: room for any
// offset of two coordinates without overflow.
constexpr int64_t kRegionLimit = int64_t{1} << 27;

bool InRange(int64_t v) { return v >= -kRegionLimit && v <= kRegionLimit; }

bool RectInRange(const RECT& r) {
  return InRange(r.left) && InRange(r.top) && InRange(r.right) && InRange(r.bottom);
}

HRGN NewRegion(GdiRegion region) {
  auto o = std::make_unique<GdiRegionObject>();
  o->region = std::move(region);
  return static_cast<HRGN>(GdiInsert(std::move(o)));
}

HRGN Refuse() {
  SetLastError(ERROR_INVALID_PARAMETER);
  return nullptr;
}

}  // namespace

HRGN CreateRectRgn(int left, int top, int right, int bottom) {
  RECT r{left, top, right, bottom};
  if (!RectInRange(r)) return Refuse();
  return NewRegion(GdiRegion(r));
}

HRGN CreateRectRgnIndirect(const RECT* rect) {
  if (!rect) return Refuse();
  return CreateRectRgn(rect->left, rect->top, rect->right, rect->bottom);
}

// Curved outlines are made row by row; one taller than the scan limit would
// give a region of millions of rows, which is refused as GDI's would fail.
static bool TooTall(int64_t height) { return height > kGdiMaxScanRows || -height > kGdiMaxScanRows; }

static HRGN TooLarge() {
  SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return nullptr;
}

HRGN CreateEllipticRgn(int left, int top, int right, int bottom) {
  RECT r{left, top, right, bottom};
  if (!RectInRange(r)) return Refuse();
  if (TooTall(int64_t{bottom} - top)) return TooLarge();
  return NewRegion(GdiRegion::Ellipse(r));
}

HRGN CreateEllipticRgnIndirect(const RECT* rect) {
  if (!rect) return Refuse();
  return CreateEllipticRgn(rect->left, rect->top, rect->right, rect->bottom);
}

HRGN CreateRoundRectRgn(int left, int top, int right, int bottom, int ovalWidth,
                        int ovalHeight) {
  RECT r{left, top, right, bottom};
  if (!RectInRange(r)) return Refuse();
  if (TooTall(ovalHeight)) return TooLarge();
  return NewRegion(GdiRegion::RoundRect(r, ovalWidth, ovalHeight));
}

HRGN CreatePolygonRgn(const POINT* points, int count, int fillMode) {
  if (!points || count < 0 || (fillMode != ALTERNATE && fillMode != WINDING)) return Refuse();
  std::vector<GdiFixedPoint> fixed(count);
  for (int i = 0; i < count; ++i) {
    if (!InRange(points[i].x) || !InRange(points[i].y)) return Refuse();
    fixed[i] = {points[i].x * kGdiFixedOne, points[i].y * kGdiFixedOne};
  }
  // Fewer than three points enclose nothing.
  if (count < 3) return NewRegion(GdiRegion());
  int32_t counts[1] = {count};
  bool tooLarge = false;
  // Only the rows of the device space are scanned; the columns are cut after.
  GdiRegion region = GdiScanPolygons(fixed.data(), counts, 1, fillMode, -kGdiDeviceLimit,
                                     kGdiDeviceLimit, &tooLarge);
  if (tooLarge) return TooLarge();
  const RECT space{-kGdiDeviceLimit, -kGdiDeviceLimit, kGdiDeviceLimit, kGdiDeviceLimit};
  const RECT box = region.Bounds();
  if (box.left < space.left || box.right > space.right) {
    region = GdiRegion::Combine(region, GdiRegion(space), RGN_AND);
  }
  return NewRegion(std::move(region));
}

int CombineRgn(HRGN destination, HRGN source1, HRGN source2, int mode) {
  GdiRegionObject* d = GdiRegionFromHandle(destination);
  GdiRegionObject* a = d ? GdiRegionFromHandle(source1) : nullptr;
  if (!a) return ERROR;
  if (mode == RGN_COPY) {
    d->region = a->region;
    return d->region.Complexity();
  }
  if (mode < RGN_AND || mode > RGN_DIFF) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return ERROR;
  }
  GdiRegionObject* b = GdiRegionFromHandle(source2);
  if (!b) return ERROR;
  d->region = GdiRegion::Combine(a->region, b->region, mode);
  return d->region.Complexity();
}

int OffsetRgn(HRGN handle, int dx, int dy) {
  GdiRegionObject* r = GdiRegionFromHandle(handle);
  if (!r) return ERROR;
  RECT b = r->region.Bounds();
  if (!r->region.IsEmpty() &&
      (!InRange(int64_t{b.left} + dx) || !InRange(int64_t{b.right} + dx) ||
       !InRange(int64_t{b.top} + dy) || !InRange(int64_t{b.bottom} + dy))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return ERROR;
  }
  r->region.Offset(dx, dy);
  return r->region.Complexity();
}

BOOL PtInRegion(HRGN handle, int x, int y) {
  GdiRegionObject* r = GdiRegionFromHandle(handle);
  return (r && r->region.Contains(x, y)) ? TRUE_ : FALSE_;
}

BOOL RectInRegion(HRGN handle, const RECT* rect) {
  GdiRegionObject* r = GdiRegionFromHandle(handle);
  return (r && rect && r->region.Intersects(*rect)) ? TRUE_ : FALSE_;
}

int GetRgnBox(HRGN handle, RECT* box) {
  GdiRegionObject* r = GdiRegionFromHandle(handle);
  if (!r || !box) return ERROR;
  *box = r->region.Bounds();
  return r->region.Complexity();
}

BOOL EqualRgn(HRGN region1, HRGN region2) {
  GdiRegionObject* a = GdiRegionFromHandle(region1);
  GdiRegionObject* b = a ? GdiRegionFromHandle(region2) : nullptr;
  return (b && a->region == b->region) ? TRUE_ : FALSE_;
}

BOOL SetRectRgn(HRGN handle, int left, int top, int right, int bottom) {
  GdiRegionObject* r = GdiRegionFromHandle(handle);
  RECT rect{left, top, right, bottom};
  if (!r) return FALSE_;
  if (!RectInRange(rect)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE_;
  }
  r->region = GdiRegion(rect);
  return TRUE_;
}

DWORD GetRegionData(HRGN handle, DWORD size, RGNDATA* data) {
  GdiRegionObject* r = GdiRegionFromHandle(handle);
  if (!r) return 0;
  const std::vector<RECT>& rects = r->region.Rects();
  uint64_t needed = sizeof(RGNDATAHEADER) + uint64_t{rects.size()} * sizeof(RECT);
  if (needed > 0xFFFFFFFFu) return 0;
  if (!data) return static_cast<DWORD>(needed);
  if (size < needed) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  RGNDATAHEADER h{};
  h.dwSize = sizeof(RGNDATAHEADER);
  h.iType = RDH_RECTANGLES;
  h.nCount = static_cast<DWORD>(rects.size());
  h.nRgnSize = static_cast<DWORD>(rects.size() * sizeof(RECT));
  h.rcBound = r->region.Bounds();
  std::memcpy(data, &h, sizeof h);
  if (!rects.empty()) {
    std::memcpy(reinterpret_cast<uint8_t*>(data) + sizeof h, rects.data(),
                rects.size() * sizeof(RECT));
  }
  return static_cast<DWORD>(needed);
}

HRGN ExtCreateRegion(const XFORM* transform, DWORD size, const RGNDATA* data) {
  // The header is checked field by field against what was given: its size
  // field 32, the rectangle type, and nCount rectangles fitting in size.
  // nRgnSize is a hint (0 is allowed) but may not claim less than the count.
  if (transform || !data || size < sizeof(RGNDATAHEADER)) return Refuse();
  RGNDATAHEADER h;
  std::memcpy(&h, data, sizeof h);
  if (h.dwSize != sizeof(RGNDATAHEADER) || h.iType != RDH_RECTANGLES) return Refuse();
  uint64_t available = (uint64_t{size} - sizeof h) / sizeof(RECT);
  if (h.nCount > available) return Refuse();
  if (h.nRgnSize != 0 && h.nRgnSize < uint64_t{h.nCount} * sizeof(RECT)) return Refuse();
  std::vector<RECT> rects(h.nCount);
  if (h.nCount) {
    std::memcpy(rects.data(), reinterpret_cast<const uint8_t*>(data) + sizeof h,
                rects.size() * sizeof(RECT));
  }
  for (const RECT& rc : rects) {
    if (!RectInRange(rc)) return Refuse();
  }
  // Rectangles in any order and overlapping are accepted; the region is
  // their union in canonical form.
  return NewRegion(GdiRegion::FromRects(rects.data(), rects.size()));
}
