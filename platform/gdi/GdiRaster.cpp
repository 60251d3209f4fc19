// The rasteriser: lines, rectangles, ellipses, round rectangles, polygons
// and regions drawn with the DC's pen, brush and mix mode; single pixels,
// flood fill and inversion.
//
// The rules kept (GDI's): a one-pixel line leaves out its last pixel; a
// shape framed with a pen covers its box but for the right and bottom
// edges, and without a pen one pixel less each way; the interior of a
// framed shape and its frame never overlap, so every pixel is mixed once.
// A wide pen of width w centred on coordinate c covers c - w/2 to
// c + (w-1)/2.
#include <algorithm>
#include <cmath>

#include "platform/gdi/GdiPaint.h"

namespace {

constexpr double kMiterLimit = 10.0;
// Pens are drawn at most this wide. Device coordinates must lie within
// +-2^27 (GDI's own range, that of region coordinates too); drawing calls
// beyond it fail, so no edge arithmetic can overflow.
constexpr int32_t kMaxPenWidth = 1 << 16;
constexpr int64_t kCoordLimit = int64_t{1} << 27;

bool InRange(POINT p) {
  return p.x >= -kCoordLimit && p.x <= kCoordLimit && p.y >= -kCoordLimit && p.y <= kCoordLimit;
}

BOOL OutOfRange() {
  SetLastError(ERROR_INVALID_PARAMETER);
  return FALSE_;
}

struct PenShape {
  bool visible = false;
  int32_t width = 1;
  DWORD endCap = PS_ENDCAP_ROUND;
  DWORD join = PS_JOIN_ROUND;
  bool insideFrame = false;
};

// Dash styles (PS_DASH, PS_DOT and the rest) dash one-pixel pens; wider
// pens draw them solid, as GDI does.
PenShape PenShapeOf(const GdiDC& dc) {
  PenShape p;
  const GdiPen* pen = dc.state.pen;
  if (!pen || pen->Style() == PS_NULL || pen->brush.style == BS_NULL) return p;
  p.visible = true;
  bool geometric = (pen->style & PS_TYPE_MASK) == PS_GEOMETRIC || !pen->extended;
  p.width = geometric ? std::clamp(pen->width, 1, kMaxPenWidth) : 1;
  p.endCap = pen->style & PS_ENDCAP_MASK;
  p.join = pen->style & PS_JOIN_MASK;
  p.insideFrame = pen->Style() == PS_INSIDEFRAME;
  return p;
}

bool TransparentBackground(const GdiDC& dc) { return dc.state.bkMode == TRANSPARENT; }

GdiInk PenInk(GdiDC& dc, const GdiSurface& s) {
  if (!dc.state.pen) return GdiInk::None();
  return GdiInk::FromBrush(dc, s, dc.state.pen->brush, TransparentBackground(dc));
}

GdiInk BrushInk(GdiDC& dc, const GdiSurface& s, const GdiBrushData* brush = nullptr) {
  if (!brush) {
    if (!dc.state.brush) return GdiInk::None();
    brush = &dc.state.brush->data;
  }
  return GdiInk::FromBrush(dc, s, *brush, TransparentBackground(dc));
}


RECT Ordered(RECT r) {
  if (r.left > r.right) std::swap(r.left, r.right);
  if (r.top > r.bottom) std::swap(r.top, r.bottom);
  return r;
}

// ---------------------------------------------------------------------------
// Wide strokes: the outline of a pen of width w along a path, as a region.

struct Vec {
  double x, y;
};

class StrokeBuilder {
 public:
  // Only rows rowTop .. rowBottom - 1 are made (the surface's).
  StrokeBuilder(const PenShape& pen, int32_t rowTop, int32_t rowBottom)
      : pen_(pen), half_(pen.width / 2.0), rowTop_(rowTop), rowBottom_(rowBottom) {}

  GdiRegion Build(const std::vector<POINT>& path, bool closed) {
    std::vector<Vec> pts;
    for (const POINT& p : path) {
      Vec v{double(p.x), double(p.y)};
      if (pts.empty() || pts.back().x != v.x || pts.back().y != v.y) pts.push_back(v);
    }
    if (closed && pts.size() > 1 && pts.front().x == pts.back().x &&
        pts.front().y == pts.back().y) {
      pts.pop_back();
    }
    if (pts.size() < 2) return GdiRegion();
    size_t n = pts.size();
    size_t segments = closed ? n : n - 1;
    for (size_t i = 0; i < segments; ++i) {
      Vec a = pts[i], b = pts[(i + 1) % n];
      Vec d = Dir(a, b);
      if (!closed && pen_.endCap == PS_ENDCAP_SQUARE) {
        if (i == 0) a = {a.x - d.x * half_, a.y - d.y * half_};
        if (i == segments - 1) b = {b.x + d.x * half_, b.y + d.y * half_};
      }
      Vec nrm{-d.y * half_, d.x * half_};
      AddPolygon({{a.x + nrm.x, a.y + nrm.y},
                  {b.x + nrm.x, b.y + nrm.y},
                  {b.x - nrm.x, b.y - nrm.y},
                  {a.x - nrm.x, a.y - nrm.y}});
    }
    // Joins at every inner vertex (every vertex of a closed path).
    for (size_t i = closed ? 0 : 1; i < (closed ? n : n - 1); ++i) {
      Join(pts[(i + n - 1) % n], pts[i], pts[(i + 1) % n]);
    }
    if (!closed && pen_.endCap == PS_ENDCAP_ROUND) {
      Disc(pts.front());
      Disc(pts.back());
    }
    GdiRegion region = GdiScanPolygons(points_.data(), counts_.data(),
                                       static_cast<int32_t>(counts_.size()), WINDING, rowTop_,
                                       rowBottom_);
    return GdiRegion::Combine(region, discs_, RGN_OR);
  }

 private:
  static Vec Dir(Vec a, Vec b) {
    double dx = b.x - a.x, dy = b.y - a.y;
    double len = std::hypot(dx, dy);
    return {dx / len, dy / len};
  }

  void Join(Vec prev, Vec v, Vec next) {
    Vec d1 = Dir(prev, v), d2 = Dir(v, next);
    double cross = d1.x * d2.y - d1.y * d2.x;
    if (pen_.join == PS_JOIN_ROUND) {
      Disc(v);
      return;
    }
    if (std::fabs(cross) < 1e-12) return;  // straight on, or turning back
    // The outer side of the turn is away from the side it turns to.
    double s = cross > 0 ? -1.0 : 1.0;
    Vec a{v.x - s * d1.y * half_, v.y + s * d1.x * half_};
    Vec b{v.x - s * d2.y * half_, v.y + s * d2.x * half_};
    if (pen_.join == PS_JOIN_MITER) {
      double t = ((b.x - a.x) * d2.y - (b.y - a.y) * d2.x) / cross;
      Vec m{a.x + t * d1.x, a.y + t * d1.y};
      if (std::hypot(m.x - v.x, m.y - v.y) <= kMiterLimit * half_) {
        AddPolygon({v, a, m, b});
        return;
      }
    }
    AddPolygon({v, a, b});
  }

  void Disc(Vec c) {
    LONG x = static_cast<LONG>(c.x) - pen_.width / 2;
    LONG y = static_cast<LONG>(c.y) - pen_.width / 2;
    discs_ = GdiRegion::Combine(
        discs_,
        GdiRegion::Ellipse({x, y, x + pen_.width, y + pen_.width}, rowTop_, rowBottom_), RGN_OR);
  }

  // Polygons are all turned the same way round, so that filling them
  // together with the winding rule gives their union.
  void AddPolygon(std::initializer_list<Vec> poly) {
    size_t start = points_.size();
    for (const Vec& v : poly) {
      points_.push_back({std::llround(v.x * kGdiFixedOne), std::llround(v.y * kGdiFixedOne)});
    }
    __int128 area = 0;
    size_t n = poly.size();
    for (size_t i = 0; i < n; ++i) {
      const GdiFixedPoint& p = points_[start + i];
      const GdiFixedPoint& q = points_[start + (i + 1) % n];
      area += static_cast<__int128>(p.x) * q.y - static_cast<__int128>(q.x) * p.y;
    }
    if (area < 0) std::reverse(points_.begin() + start, points_.end());
    counts_.push_back(static_cast<int32_t>(n));
  }

  PenShape pen_;
  double half_;
  int32_t rowTop_, rowBottom_;
  std::vector<GdiFixedPoint> points_;
  std::vector<int32_t> counts_;
  GdiRegion discs_;
};

// The dashes of a one-pixel pen along the points of its path: the on
// pixels in the pen's ink, the gaps in the back colour unless the
// background is transparent. Lengths in pixels, on and off in turn.
void DashPoints(GdiDC& dc, GdiSurface& s, UINT style, const std::vector<POINT>& points,
                const GdiInk& ink) {
  static const int kDash[] = {18, 6};
  static const int kDot[] = {3, 3};
  static const int kDashDot[] = {9, 6, 3, 6};
  static const int kDashDotDot[] = {9, 3, 3, 3, 3, 3};
  const int* lengths = kDash;
  size_t count = 2;
  switch (style) {
    case PS_DOT: lengths = kDot; break;
    case PS_DASHDOT: lengths = kDashDot; count = 4; break;
    case PS_DASHDOTDOT: lengths = kDashDotDot; count = 6; break;
    default: break;
  }
  std::vector<POINT> on;
  std::vector<POINT> off;
  size_t part = 0;
  int left = lengths[0];
  for (const POINT& p : points) {
    ((part & 1) == 0 ? on : off).push_back(p);
    if (--left == 0) {
      part = (part + 1) % count;
      left = lengths[part];
    }
  }
  GdiPaintPoints(dc, on, ink, dc.state.rop2);
  if (!TransparentBackground(dc)) {
    GdiBrushData back;
    back.color = dc.state.bkColor;
    GdiPaintPoints(dc, off, GdiInk::FromBrush(dc, s, back, false), dc.state.rop2);
  }
}

// Strokes a path with the DC's pen: a one-pixel pen segment by segment
// (a pixel two segments share is mixed twice, as GDI's lines are), a wide
// pen as one region. The frame pixels are returned for shapes whose
// interior must not overlap them.
GdiRegion StrokePath(GdiDC& dc, GdiSurface& s, const std::vector<POINT>& path, bool closed,
                     bool wantCoverage) {
  PenShape pen = PenShapeOf(dc);
  if (!pen.visible || path.size() < 2) return GdiRegion();
  GdiInk ink = PenInk(dc, s);
  RECT bounds{0, 0, s.width, s.height};
  if (pen.width <= 1) {
    std::vector<POINT> points;
    size_t segments = closed ? path.size() : path.size() - 1;
    for (size_t i = 0; i < segments; ++i) {
      GdiLinePoints(path[i], path[(i + 1) % path.size()], points, &bounds);
    }
    const UINT style = dc.state.pen ? dc.state.pen->Style() : PS_SOLID;
    if (style >= PS_DASH && style <= PS_DASHDOTDOT) {
      DashPoints(dc, s, style, points, ink);
      if (!wantCoverage) return GdiRegion();
      GdiSpanBuilder cover;
      for (const POINT& p : points) cover.Add(p.y, p.x, p.x + 1);
      return cover.Finish();
    }
    GdiPaintPoints(dc, points, ink, dc.state.rop2);
    if (!wantCoverage) return GdiRegion();
    GdiSpanBuilder cover;
    for (const POINT& p : points) cover.Add(p.y, p.x, p.x + 1);
    return cover.Finish();
  }
  GdiRegion region = StrokeBuilder(pen, 0, s.height).Build(path, closed);
  GdiPaintRegion(dc, region, ink, dc.state.rop2);
  return region;
}

// The device points of a path; false when one is out of range.
bool ToDevice(const GdiDC& dc, const POINT* points, int count, std::vector<POINT>* out) {
  out->resize(count);
  for (int i = 0; i < count; ++i) {
    (*out)[i] = GdiToDevice(dc, points[i]);
    if (!InRange((*out)[i])) return false;
  }
  return true;
}

// The outer and inner boxes of a shape framed by the DC's pen.
void FrameBoxes(const PenShape& pen, const RECT& box, RECT* outer, RECT* inner) {
  int32_t w = pen.width;
  if (pen.insideFrame && w > 1) {
    *outer = box;
    *inner = {box.left + w, box.top + w, box.right - w, box.bottom - w};
    return;
  }
  *outer = {box.left - w / 2, box.top - w / 2, box.right + (w - 1) / 2,
            box.bottom + (w - 1) / 2};
  *inner = {box.left + (w + 1) / 2, box.top + (w + 1) / 2, box.right - 1 - w / 2,
            box.bottom - 1 - w / 2};
}

// Draws a closed shape given by a maker of its region from a box, the
// growth of its corners between boxes, and the rows wanted.
template <typename MakeRegion>
BOOL DrawBoxShape(HDC handle, GdiOp op, int left, int top, int right, int bottom, int extra1,
                  int extra2, MakeRegion make) {
  GdiDC* dc = GdiDcFromHandle(handle);
  if (!dc) return FALSE_;
  GdiCall call{op};
  call.args[0] = left;
  call.args[1] = top;
  call.args[2] = right;
  call.args[3] = bottom;
  call.args[4] = extra1;
  call.args[5] = extra2;
  BOOL result = TRUE_;
  GdiSurface* s = GdiBeginDrawing(*dc, call, &result);
  if (!s) return result;
  POINT a = GdiToDevice(*dc, {left, top});
  POINT b = GdiToDevice(*dc, {right, bottom});
  if (!InRange(a) || !InRange(b)) return OutOfRange();
  RECT box = Ordered({a.x, a.y, b.x, b.y});
  PenShape pen = PenShapeOf(*dc);
  int rop = dc->state.rop2;
  int32_t rows = s->height;
  if (!pen.visible) {
    // Without a pen the shape is one pixel smaller each way.
    RECT fill{box.left, box.top, box.right - 1, box.bottom - 1};
    GdiPaintRegion(*dc, make(fill, 0, rows), BrushInk(*dc, *s), rop);
    return TRUE_;
  }
  RECT outer, inner;
  FrameBoxes(pen, box, &outer, &inner);
  int32_t grow = (outer.right - outer.left) - (box.right - box.left);
  int32_t shrink = (box.right - box.left) - (inner.right - inner.left);
  GdiRegion interior = (inner.right > inner.left && inner.bottom > inner.top)
                           ? make(inner, -shrink, rows)
                           : GdiRegion();
  GdiRegion frame = GdiRegion::Combine(make(outer, grow, rows), interior, RGN_DIFF);
  GdiPaintRegion(*dc, interior, BrushInk(*dc, *s), rop);
  GdiPaintRegion(*dc, frame, PenInk(*dc, *s), rop);
  return TRUE_;
}

GdiRegion RegionInDevice(const GdiDC& dc, const GdiRegion& logical) {
  GdiRegion r = logical;
  POINT o = GdiRegionOffset(dc);
  r.Offset(o.x, o.y);
  return r;
}

// The frame of a region: its pixels less those whose neighbours up to
// width across and height down, both ways, are all in it.
GdiRegion RegionFrame(const GdiRegion& region, int width, int height) {
  GdiRegion inner = region;
  for (int k = 1; k <= width; ++k) {
    for (int sign : {-1, 1}) {
      GdiRegion moved = region;
      moved.Offset(sign * k, 0);
      inner = GdiRegion::Combine(inner, moved, RGN_AND);
    }
  }
  for (int k = 1; k <= height; ++k) {
    for (int sign : {-1, 1}) {
      GdiRegion moved = region;
      moved.Offset(0, sign * k);
      inner = GdiRegion::Combine(inner, moved, RGN_AND);
    }
  }
  return GdiRegion::Combine(region, inner, RGN_DIFF);
}

// Frame sizes beyond this are refused: the frame is found by erosion, one
// step a pixel.
constexpr int kMaxFrameSize = 4096;

}  // namespace

// ---------------------------------------------------------------------------
// Lines

BOOL LineTo(HDC handle, int x, int y) {
  GdiDC* dc = GdiDcFromHandle(handle);
  if (!dc) return FALSE_;
  GdiCall call{GdiOp::LineTo};
  call.args[0] = x;
  call.args[1] = y;
  BOOL result = TRUE_;
  GdiSurface* s = GdiBeginDrawing(*dc, call, &result);
  POINT from = dc->state.position;
  dc->state.position = {x, y};
  if (!s) return result;
  POINT a = GdiToDevice(*dc, from), b = GdiToDevice(*dc, {x, y});
  if (!InRange(a) || !InRange(b)) return OutOfRange();
  StrokePath(*dc, *s, {a, b}, false, false);
  return TRUE_;
}

BOOL Polyline(HDC handle, const POINT* points, int count) {
  GdiDC* dc = GdiDcFromHandle(handle);
  if (!dc) return FALSE_;
  if (!points || count < 2) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE_;
  }
  GdiCall call{GdiOp::Polyline};
  call.points = points;
  call.count = count;
  BOOL result = TRUE_;
  GdiSurface* s = GdiBeginDrawing(*dc, call, &result);
  if (!s) return result;
  std::vector<POINT> path;
  if (!ToDevice(*dc, points, count, &path)) return OutOfRange();
  StrokePath(*dc, *s, path, false, false);
  return TRUE_;
}

BOOL LineDDA(int x1, int y1, int x2, int y2, LINEDDAPROC proc, LPARAM data) {
  if (!proc) return FALSE_;
  std::vector<POINT> points;
  GdiLinePoints({x1, y1}, {x2, y2}, points);
  for (const POINT& p : points) proc(p.x, p.y, data);
  return TRUE_;
}

// ---------------------------------------------------------------------------
// Shapes

BOOL Rectangle(HDC dc, int left, int top, int right, int bottom) {
  return DrawBoxShape(dc, GdiOp::Rectangle, left, top, right, bottom, 0, 0,
                      [](const RECT& box, int32_t, int32_t) { return GdiRegion(box); });
}

BOOL Ellipse(HDC dc, int left, int top, int right, int bottom) {
  return DrawBoxShape(dc, GdiOp::Ellipse, left, top, right, bottom, 0, 0,
                      [](const RECT& box, int32_t, int32_t rows) {
                        return GdiRegion::Ellipse(box, 0, rows);
                      });
}

BOOL RoundRect(HDC dc, int left, int top, int right, int bottom, int ovalWidth,
               int ovalHeight) {
  int32_t ew = static_cast<int32_t>(std::min<int64_t>(std::abs(int64_t{ovalWidth}), kCoordLimit));
  int32_t eh = static_cast<int32_t>(std::min<int64_t>(std::abs(int64_t{ovalHeight}), kCoordLimit));
  // The corners of the outer and inner outlines grow and shrink with the
  // boxes, so that the frame keeps its width round the corners.
  return DrawBoxShape(dc, GdiOp::RoundRect, left, top, right, bottom, ovalWidth, ovalHeight,
                      [ew, eh](const RECT& box, int32_t change, int32_t rows) {
                        return GdiRegion::RoundRect(box, std::max(0, ew + change),
                                                    std::max(0, eh + change), 0, rows);
                      });
}

BOOL Polygon(HDC handle, const POINT* points, int count) {
  GdiDC* dc = GdiDcFromHandle(handle);
  if (!dc) return FALSE_;
  if (!points || count < 2) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE_;
  }
  GdiCall call{GdiOp::Polygon};
  call.points = points;
  call.count = count;
  BOOL result = TRUE_;
  GdiSurface* s = GdiBeginDrawing(*dc, call, &result);
  if (!s) return result;
  std::vector<POINT> path;
  if (!ToDevice(*dc, points, count, &path)) return OutOfRange();
  std::vector<GdiFixedPoint> fixed(path.size());
  for (size_t i = 0; i < path.size(); ++i) {
    fixed[i] = {path[i].x * kGdiFixedOne, path[i].y * kGdiFixedOne};
  }
  int32_t counts[1] = {count};
  GdiRegion fill = GdiScanPolygons(fixed.data(), counts, 1, dc->state.polyFillMode, 0, s->height);
  // The frame is worked out before the fill is painted so that the fill can
  // leave its pixels alone; it is painted after.
  PenShape pen = PenShapeOf(*dc);
  GdiRegion frame;
  if (pen.visible) {
    if (pen.width > 1) {
      frame = StrokeBuilder(pen, 0, s->height).Build(path, true);
    } else {
      RECT bounds{0, 0, s->width, s->height};
      std::vector<POINT> pts;
      for (size_t i = 0; i < path.size(); ++i) {
        GdiLinePoints(path[i], path[(i + 1) % path.size()], pts, &bounds);
      }
      GdiSpanBuilder cover;
      for (const POINT& p : pts) cover.Add(p.y, p.x, p.x + 1);
      frame = cover.Finish();
    }
  }
  GdiPaintRegion(*dc, GdiRegion::Combine(fill, frame, RGN_DIFF), BrushInk(*dc, *s),
                 dc->state.rop2);
  StrokePath(*dc, *s, path, true, false);
  return TRUE_;
}

// ---------------------------------------------------------------------------
// Arcs, pies and chords

namespace {

// The points of the ellipse inscribed in the box, counter-clockwise from
// the radial through (xs, ys) to the radial through (xe, ye); the whole
// ellipse when the two radials meet.
std::vector<POINT> ArcPoints(const RECT& box, POINT start, POINT end) {
  const double cx = (box.left + box.right) / 2.0;
  const double cy = (box.top + box.bottom) / 2.0;
  const double rx = (box.right - box.left) / 2.0;
  const double ry = (box.bottom - box.top) / 2.0;
  std::vector<POINT> points;
  if (rx <= 0 || ry <= 0) return points;
  auto angle = [&](POINT p) {
    // The ellipse's parameter of the point where the radial meets it; y
    // grows downward on the device, so counter-clockwise is toward -y.
    const double a = std::atan2(-(p.y - cy), p.x - cx);
    return std::atan2(rx * std::sin(a), ry * std::cos(a));
  };
  const double t0 = angle(start);
  double t1 = angle(end);
  constexpr double kTurn = 6.283185307179586;
  while (t1 <= t0) t1 += kTurn;
  const double sweep = t1 - t0;
  const int steps = std::clamp(static_cast<int>(sweep * std::max(rx, ry) / 2.0), 8, 4096);
  points.reserve(static_cast<size_t>(steps) + 1);
  for (int i = 0; i <= steps; ++i) {
    const double t = t0 + sweep * i / steps;
    const POINT p{static_cast<LONG>(std::lround(cx + rx * std::cos(t))),
                  static_cast<LONG>(std::lround(cy - ry * std::sin(t)))};
    if (points.empty() || points.back().x != p.x || points.back().y != p.y) points.push_back(p);
  }
  return points;
}

enum class ArcKind { kArc, kChord, kPie };

BOOL DrawArcShape(HDC handle, GdiOp op, ArcKind kind, int left, int top, int right, int bottom,
                  int xs, int ys, int xe, int ye) {
  GdiDC* dc = GdiDcFromHandle(handle);
  if (!dc) return FALSE_;
  GdiCall call{op};
  const int args[8] = {left, top, right, bottom, xs, ys, xe, ye};
  for (int i = 0; i < 8; ++i) call.args[i] = args[i];
  BOOL result = TRUE_;
  GdiSurface* s = GdiBeginDrawing(*dc, call, &result);
  if (!s) return result;
  POINT a = GdiToDevice(*dc, {left, top});
  POINT b = GdiToDevice(*dc, {right, bottom});
  POINT ps = GdiToDevice(*dc, {xs, ys});
  POINT pe = GdiToDevice(*dc, {xe, ye});
  if (!InRange(a) || !InRange(b) || !InRange(ps) || !InRange(pe)) return OutOfRange();
  RECT box = Ordered({a.x, a.y, b.x, b.y});
  // The curve runs on the pixels inside the box, as an ellipse's frame does.
  RECT inside{box.left, box.top, box.right - 1, box.bottom - 1};
  std::vector<POINT> path = ArcPoints(inside, ps, pe);
  if (path.size() < 2) return TRUE_;
  if (kind == ArcKind::kArc) {
    StrokePath(*dc, *s, path, false, false);
    return TRUE_;
  }
  if (kind == ArcKind::kPie) {
    path.push_back({static_cast<LONG>(std::lround((inside.left + inside.right) / 2.0)),
                    static_cast<LONG>(std::lround((inside.top + inside.bottom) / 2.0))});
  }
  std::vector<GdiFixedPoint> fixed(path.size());
  for (size_t i = 0; i < path.size(); ++i) {
    fixed[i] = {path[i].x * kGdiFixedOne, path[i].y * kGdiFixedOne};
  }
  int32_t counts[1] = {static_cast<int32_t>(path.size())};
  GdiRegion fill = GdiScanPolygons(fixed.data(), counts, 1, ALTERNATE, 0, s->height);
  GdiRegion frame = StrokePath(*dc, *s, path, true, true);
  GdiPaintRegion(*dc, GdiRegion::Combine(fill, frame, RGN_DIFF), BrushInk(*dc, *s),
                 dc->state.rop2);
  return TRUE_;
}

}  // namespace

BOOL Arc(HDC dc, int left, int top, int right, int bottom, int xs, int ys, int xe, int ye) {
  return DrawArcShape(dc, GdiOp::Arc, ArcKind::kArc, left, top, right, bottom, xs, ys, xe, ye);
}

BOOL Chord(HDC dc, int left, int top, int right, int bottom, int xs, int ys, int xe, int ye) {
  return DrawArcShape(dc, GdiOp::Chord, ArcKind::kChord, left, top, right, bottom, xs, ys, xe,
                      ye);
}

BOOL Pie(HDC dc, int left, int top, int right, int bottom, int xs, int ys, int xe, int ye) {
  return DrawArcShape(dc, GdiOp::Pie, ArcKind::kPie, left, top, right, bottom, xs, ys, xe, ye);
}

// ---------------------------------------------------------------------------
// Regions

BOOL FillRgn(HDC handle, HRGN regionHandle, HBRUSH brushHandle) {
  GdiDC* dc = GdiDcFromHandle(handle);
  GdiRegionObject* region = dc ? GdiRegionFromHandle(regionHandle) : nullptr;
  GdiBrush* brush = region ? GdiBrushFromHandle(brushHandle) : nullptr;
  if (!brush) return FALSE_;
  GdiCall call{GdiOp::FillRgn};
  call.object = regionHandle;
  call.args[0] = static_cast<int32_t>(reinterpret_cast<uintptr_t>(brushHandle));
  BOOL result = TRUE_;
  GdiSurface* s = GdiBeginDrawing(*dc, call, &result);
  if (!s) return result;
  GdiPaintRegion(*dc, RegionInDevice(*dc, region->region), BrushInk(*dc, *s, &brush->data),
                 dc->state.rop2);
  return TRUE_;
}

BOOL PaintRgn(HDC handle, HRGN regionHandle) {
  GdiDC* dc = GdiDcFromHandle(handle);
  GdiRegionObject* region = dc ? GdiRegionFromHandle(regionHandle) : nullptr;
  if (!region) return FALSE_;
  GdiCall call{GdiOp::PaintRgn};
  call.object = regionHandle;
  BOOL result = TRUE_;
  GdiSurface* s = GdiBeginDrawing(*dc, call, &result);
  if (!s) return result;
  GdiPaintRegion(*dc, RegionInDevice(*dc, region->region), BrushInk(*dc, *s), dc->state.rop2);
  return TRUE_;
}

BOOL FrameRgn(HDC handle, HRGN regionHandle, HBRUSH brushHandle, int width, int height) {
  GdiDC* dc = GdiDcFromHandle(handle);
  GdiRegionObject* region = dc ? GdiRegionFromHandle(regionHandle) : nullptr;
  GdiBrush* brush = region ? GdiBrushFromHandle(brushHandle) : nullptr;
  if (!brush) return FALSE_;
  if (width < 1 || height < 1 || width > kMaxFrameSize || height > kMaxFrameSize) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE_;
  }
  GdiCall call{GdiOp::FrameRgn};
  call.object = regionHandle;
  call.args[0] = width;
  call.args[1] = height;
  call.args[2] = static_cast<int32_t>(reinterpret_cast<uintptr_t>(brushHandle));
  BOOL result = TRUE_;
  GdiSurface* s = GdiBeginDrawing(*dc, call, &result);
  if (!s) return result;
  GdiRegion frame = RegionFrame(RegionInDevice(*dc, region->region), width, height);
  GdiPaintRegion(*dc, frame, BrushInk(*dc, *s, &brush->data), dc->state.rop2);
  return TRUE_;
}

BOOL InvertRgn(HDC handle, HRGN regionHandle) {
  GdiDC* dc = GdiDcFromHandle(handle);
  GdiRegionObject* region = dc ? GdiRegionFromHandle(regionHandle) : nullptr;
  if (!region) return FALSE_;
  GdiCall call{GdiOp::InvertRgn};
  call.object = regionHandle;
  BOOL result = TRUE_;
  GdiSurface* s = GdiBeginDrawing(*dc, call, &result);
  if (!s) return result;
  GdiPaintRegion(*dc, RegionInDevice(*dc, region->region), GdiInk::Solid(0), R2_NOT);
  return TRUE_;
}

BOOL InvertRect(HDC handle, const RECT* rect) {
  GdiDC* dc = GdiDcFromHandle(handle);
  if (!dc || !rect) return FALSE_;
  GdiCall call{GdiOp::InvertRect};
  call.args[0] = rect->left;
  call.args[1] = rect->top;
  call.args[2] = rect->right;
  call.args[3] = rect->bottom;
  BOOL result = TRUE_;
  GdiSurface* s = GdiBeginDrawing(*dc, call, &result);
  if (!s) return result;
  RECT d = GdiRectToDevice(*dc, *rect);
  // A rectangle given right to left or bottom to top covers nothing.
  if (d.right <= d.left || d.bottom <= d.top) return TRUE_;
  GdiPaintRegion(*dc, GdiRegion(d), GdiInk::Solid(0), R2_NOT);
  return TRUE_;
}

// ---------------------------------------------------------------------------
// Pixels

namespace {
// Whether a device point of a printer page with pixels on demand has its
// pixel (it has, unless memory for it ran out); every other DC's has.
bool HasPixel(const GdiDC& dc, POINT p) {
  return !dc.pagePixelsOnDemand || dc.system.Contains(p.x, p.y);
}
}  // namespace

COLORREF SetPixel(HDC handle, int x, int y, COLORREF color) {
  GdiDC* dc = GdiDcFromHandle(handle);
  if (!dc) return CLR_INVALID;
  GdiCall call{GdiOp::SetPixel};
  call.args[0] = x;
  call.args[1] = y;
  call.args[2] = static_cast<int32_t>(color);
  BOOL result = TRUE_;
  GdiSurface* s = GdiBeginDrawing(*dc, call, &result);
  if (!s) return result ? GdiResolveColor(*dc, color) : CLR_INVALID;
  POINT p = GdiToDevice(*dc, {x, y});
  if (!PtVisible(handle, x, y) || !HasPixel(*dc, p)) return CLR_INVALID;
  uint32_t value = s->FromColor(GdiResolveColor(*dc, color));
  s->Set(p.x, p.y, value);
  return s->ToColor(value);
}

BOOL SetPixelV(HDC dc, int x, int y, COLORREF color) {
  return SetPixel(dc, x, y, color) != CLR_INVALID ? TRUE_ : FALSE_;
}

COLORREF GetPixel(HDC handle, int x, int y) {
  GdiDC* dc = GdiDcFromHandle(handle);
  if (!dc) return CLR_INVALID;
  GdiNeedPagePixels(*dc);
  GdiSurface* s = dc->Target();
  if (!s || !PtVisible(handle, x, y)) return CLR_INVALID;
  POINT p = GdiToDevice(*dc, {x, y});
  if (!HasPixel(*dc, p)) return CLR_INVALID;
  return s->ToColor(s->Get(p.x, p.y));
}

BOOL ExtFloodFill(HDC handle, int x, int y, COLORREF color, UINT type) {
  GdiDC* dc = GdiDcFromHandle(handle);
  if (!dc) return FALSE_;
  if (type != FLOODFILLBORDER && type != FLOODFILLSURFACE) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE_;
  }
  GdiCall call{GdiOp::ExtFloodFill};
  call.args[0] = x;
  call.args[1] = y;
  call.args[2] = static_cast<int32_t>(color);
  call.args[3] = static_cast<int32_t>(type);
  BOOL result = TRUE_;
  GdiSurface* s = GdiBeginDrawing(*dc, call, &result);
  if (!s) return result;
  if (!PtVisible(handle, x, y)) return FALSE_;
  POINT seed = GdiToDevice(*dc, {x, y});
  uint32_t value = s->FromColor(GdiResolveColor(*dc, color));
  GdiRegion visible = GdiVisibleRegion(*dc);
  // Surface fill: the 4-connected area of that colour; border fill: the
  // area up to pixels of that colour. The area is collected first and then
  // painted with the brush, so the brush's own colours do not leak.
  auto inside = [&](int32_t px, int32_t py) {
    bool same = s->Get(px, py) == value;
    return (type == FLOODFILLSURFACE) == same && visible.Contains(px, py);
  };
  if (!inside(seed.x, seed.y)) return FALSE_;
  std::vector<uint8_t> seen(static_cast<size_t>(s->width) * s->height, 0);
  GdiSpanBuilder area;
  std::vector<POINT> stack{seed};
  while (!stack.empty()) {
    POINT p = stack.back();
    stack.pop_back();
    size_t row = static_cast<size_t>(p.y) * s->width;
    if (seen[row + p.x] || !inside(p.x, p.y)) continue;
    int32_t x0 = p.x, x1 = p.x + 1;
    while (x0 > 0 && !seen[row + x0 - 1] && inside(x0 - 1, p.y)) --x0;
    while (x1 < s->width && !seen[row + x1] && inside(x1, p.y)) ++x1;
    for (int32_t i = x0; i < x1; ++i) seen[row + i] = 1;
    area.Add(p.y, x0, x1);
    for (int32_t ny : {p.y - 1, p.y + 1}) {
      if (ny < 0 || ny >= s->height) continue;
      size_t nrow = static_cast<size_t>(ny) * s->width;
      for (int32_t i = x0; i < x1; ++i) {
        if (!seen[nrow + i] && inside(i, ny) && (i == x0 || seen[nrow + i - 1] || !inside(i - 1, ny))) {
          stack.push_back({i, ny});
        }
      }
    }
  }
  GdiPaintRegion(*dc, area.Finish(), BrushInk(*dc, *s), dc->state.rop2);
  return TRUE_;
}

BOOL FloodFill(HDC dc, int x, int y, COLORREF border) {
  return ExtFloodFill(dc, x, y, border, FLOODFILLBORDER);
}
