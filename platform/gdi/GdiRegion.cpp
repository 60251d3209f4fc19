// Regions as banded rectangle lists: building them from runs, ellipses and
// polygons, and the set operations, all in exact integer arithmetic.
#include "platform/gdi/GdiRegion.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Whether rectangle r holds the whole of box b.
bool Holds(const RECT& r, const RECT& b) {
  return r.left <= b.left && r.top <= b.top && r.right >= b.right && r.bottom >= b.bottom;
}

struct Interval {
  int32_t x0, x1;
  bool operator==(const Interval&) const = default;
};

RECT Ordered(const RECT& r) {
  RECT o = r;
  if (o.left > o.right) std::swap(o.left, o.right);
  if (o.top > o.bottom) std::swap(o.top, o.bottom);
  return o;
}

// One band of a canonical list: rects [first, last) share top and bottom.
struct Band {
  int32_t top, bottom;
  size_t first, last;
};

std::vector<Band> BandsOf(const std::vector<RECT>& rects) {
  std::vector<Band> bands;
  size_t i = 0;
  while (i < rects.size()) {
    size_t j = i + 1;
    while (j < rects.size() && rects[j].top == rects[i].top) ++j;
    bands.push_back({rects[i].top, rects[i].bottom, i, j});
    i = j;
  }
  return bands;
}

bool ApplyOp(int mode, bool a, bool b) {
  switch (mode) {
    case RGN_AND: return a && b;
    case RGN_OR: return a || b;
    case RGN_XOR: return a != b;
    case RGN_DIFF: return a && !b;
    default: return a;
  }
}

// The boolean combination of two sorted lists of disjoint, non-touching runs.
void CombineRuns(const RECT* a, size_t na, const RECT* b, size_t nb, int mode,
                 std::vector<Interval>& out) {
  const int64_t kEnd = std::numeric_limits<int64_t>::max();
  auto edge = [](const RECT* r, size_t n, size_t k) -> int64_t {
    if (k >= 2 * n) return std::numeric_limits<int64_t>::max();
    return (k % 2 == 0) ? r[k / 2].left : r[k / 2].right;
  };
  size_t i = 0, j = 0;
  bool inA = false, inB = false, in = false;
  int32_t start = 0;
  while (true) {
    int64_t x = std::min(edge(a, na, i), edge(b, nb, j));
    if (x == kEnd) break;
    while (edge(a, na, i) == x) {
      inA = !inA;
      ++i;
    }
    while (edge(b, nb, j) == x) {
      inB = !inB;
      ++j;
    }
    bool now = ApplyOp(mode, inA, inB);
    if (now && !in) {
      start = static_cast<int32_t>(x);
    } else if (!now && in) {
      out.push_back({start, static_cast<int32_t>(x)});
    }
    in = now;
  }
}

// Appends a band, joining it to the previous band when they touch and have
// the same runs, as the canonical form wants.
void AppendBand(std::vector<RECT>& rects, size_t& lastBandStart, int32_t top, int32_t bottom,
                const std::vector<Interval>& runs) {
  if (runs.empty()) return;
  if (!rects.empty() && rects.back().bottom == top && rects.size() - lastBandStart == runs.size()) {
    bool same = true;
    for (size_t k = 0; k < runs.size(); ++k) {
      const RECT& r = rects[lastBandStart + k];
      if (r.left != runs[k].x0 || r.right != runs[k].x1) {
        same = false;
        break;
      }
    }
    if (same) {
      for (size_t k = lastBandStart; k < rects.size(); ++k) rects[k].bottom = bottom;
      return;
    }
  }
  lastBandStart = rects.size();
  for (const Interval& iv : runs) rects.push_back({iv.x0, top, iv.x1, bottom});
}

// Integer square root: the largest s with s * s <= v.
uint64_t ISqrt(unsigned __int128 v) {
  uint64_t s = static_cast<uint64_t>(std::sqrt(static_cast<long double>(v)));
  while (static_cast<unsigned __int128>(s) * s > v) --s;
  while (static_cast<unsigned __int128>(s + 1) * (s + 1) <= v) ++s;
  return s;
}

__int128 FloorDiv(__int128 n, __int128 d) {  // d > 0
  __int128 q = n / d;
  if ((n % d != 0) && (n < 0)) --q;
  return q;
}

__int128 CeilDiv(__int128 n, __int128 d) { return -FloorDiv(-n, d); }

int32_t Clamp32(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

}  // namespace

GdiRegion::GdiRegion(const RECT& rect) {
  RECT r = Ordered(rect);
  if (r.left < r.right && r.top < r.bottom) rects_.push_back(r);
}

RECT GdiRegion::Bounds() const {
  if (rects_.empty()) return {0, 0, 0, 0};
  RECT b = {rects_.front().left, rects_.front().top, rects_.front().right, rects_.back().bottom};
  for (const RECT& r : rects_) {
    b.left = std::min(b.left, r.left);
    b.right = std::max(b.right, r.right);
  }
  return b;
}

int GdiRegion::Complexity() const {
  if (rects_.empty()) return NULLREGION;
  return rects_.size() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

bool GdiRegion::Contains(int32_t x, int32_t y) const {
  // Rectangles are sorted by top; bands do not overlap.
  auto it = std::upper_bound(rects_.begin(), rects_.end(), y,
                             [](int32_t v, const RECT& r) { return v < r.top; });
  while (it != rects_.begin()) {
    --it;
    if (it->bottom <= y) break;
    if (x >= it->left && x < it->right) return true;
  }
  return false;
}

bool GdiRegion::Intersects(const RECT& rect) const {
  RECT q = Ordered(rect);
  if (q.left >= q.right || q.top >= q.bottom) return false;
  for (const RECT& r : rects_) {
    if (r.top >= q.bottom) break;
    if (r.bottom > q.top && r.left < q.right && r.right > q.left) return true;
  }
  return false;
}

void GdiRegion::Offset(int32_t dx, int32_t dy) {
  for (RECT& r : rects_) {
    r.left = Clamp32(int64_t{r.left} + dx);
    r.right = Clamp32(int64_t{r.right} + dx);
    r.top = Clamp32(int64_t{r.top} + dy);
    r.bottom = Clamp32(int64_t{r.bottom} + dy);
  }
}

bool GdiRegion::operator==(const GdiRegion& other) const {
  if (rects_.size() != other.rects_.size()) return false;
  for (size_t i = 0; i < rects_.size(); ++i) {
    const RECT& a = rects_[i];
    const RECT& b = other.rects_[i];
    if (a.left != b.left || a.top != b.top || a.right != b.right || a.bottom != b.bottom) {
      return false;
    }
  }
  return true;
}

GdiRegion GdiRegion::Combine(const GdiRegion& a, const GdiRegion& b, int mode) {
  if (mode == RGN_COPY) return a;
  // The common cases answered without banding: an empty operand, and the
  // intersection of two rectangles or of a region with a rectangle that
  // holds it (drawing cuts every call to its clip this way).
  if (mode == RGN_AND) {
    if (a.IsEmpty() || b.IsEmpty()) return GdiRegion();
    if (a.rects_.size() == 1 && b.rects_.size() == 1) {
      const RECT& x = a.rects_[0];
      const RECT& y = b.rects_[0];
      const RECT r{std::max(x.left, y.left), std::max(x.top, y.top), std::min(x.right, y.right),
                   std::min(x.bottom, y.bottom)};
      GdiRegion out;
      if (r.left < r.right && r.top < r.bottom) out.rects_.push_back(r);
      return out;
    }
    if (b.rects_.size() == 1 && Holds(b.rects_[0], a.Bounds())) return a;
    if (a.rects_.size() == 1 && Holds(a.rects_[0], b.Bounds())) return b;
  } else if (mode == RGN_OR || mode == RGN_XOR || mode == RGN_DIFF) {
    if (b.IsEmpty()) return a;
    if (a.IsEmpty()) return mode == RGN_DIFF ? GdiRegion() : b;
  }
  std::vector<Band> ba = BandsOf(a.rects_);
  std::vector<Band> bb = BandsOf(b.rects_);
  std::vector<int32_t> ys;
  ys.reserve(2 * (ba.size() + bb.size()));
  for (const Band& x : ba) {
    ys.push_back(x.top);
    ys.push_back(x.bottom);
  }
  for (const Band& x : bb) {
    ys.push_back(x.top);
    ys.push_back(x.bottom);
  }
  std::sort(ys.begin(), ys.end());
  ys.erase(std::unique(ys.begin(), ys.end()), ys.end());

  GdiRegion result;
  size_t lastBand = 0;
  size_t ia = 0, ib = 0;
  std::vector<Interval> runs;
  for (size_t k = 0; k + 1 < ys.size(); ++k) {
    int32_t y0 = ys[k], y1 = ys[k + 1];
    while (ia < ba.size() && ba[ia].bottom <= y0) ++ia;
    while (ib < bb.size() && bb[ib].bottom <= y0) ++ib;
    const RECT* ra = nullptr;
    size_t na = 0;
    if (ia < ba.size() && ba[ia].top <= y0) {
      ra = a.rects_.data() + ba[ia].first;
      na = ba[ia].last - ba[ia].first;
    }
    const RECT* rb = nullptr;
    size_t nb = 0;
    if (ib < bb.size() && bb[ib].top <= y0) {
      rb = b.rects_.data() + bb[ib].first;
      nb = bb[ib].last - bb[ib].first;
    }
    runs.clear();
    CombineRuns(ra, na, rb, nb, mode, runs);
    AppendBand(result.rects_, lastBand, y0, y1, runs);
  }
  return result;
}

bool GdiRegion::EllipseRow(const RECT& box, int32_t y, int32_t* x0, int32_t* x1) {
  RECT b = Ordered(box);
  int64_t w = int64_t{b.right} - b.left;
  int64_t h = int64_t{b.bottom} - b.top;
  if (w <= 0 || h <= 0 || y < b.top || y >= b.bottom) return false;
  // Pixel (x, y) is inside when its centre is: with u = 2x + 1 - (l + r) and
  // v = 2y + 1 - (t + b), u^2 h^2 + v^2 w^2 <= w^2 h^2.
  int64_t v = 2 * int64_t{y} + 1 - (int64_t{b.top} + b.bottom);
  unsigned __int128 k = static_cast<unsigned __int128>(w * w) *
                        static_cast<unsigned __int128>(h * h - v * v);
  unsigned __int128 h2 = static_cast<unsigned __int128>(h * h);
  int64_t u = static_cast<int64_t>(ISqrt(k / h2));
  while (u > 0 && static_cast<unsigned __int128>(u) * u * h2 > k) --u;
  // u has the parity of 1 + l + r.
  int64_t sum = int64_t{b.left} + b.right;
  if (((u - 1 - sum) % 2) != 0) --u;
  if (u < 0) return false;
  *x0 = static_cast<int32_t>((sum - 1 - u) / 2);
  *x1 = static_cast<int32_t>((sum - 1 + u) / 2 + 1);
  return true;
}

GdiRegion GdiRegion::Ellipse(const RECT& box, int32_t rowTop, int32_t rowBottom) {
  RECT b = Ordered(box);
  GdiSpanBuilder builder;
  for (int32_t y = std::max(b.top, rowTop); y < std::min(b.bottom, rowBottom); ++y) {
    int32_t x0, x1;
    if (EllipseRow(b, y, &x0, &x1)) builder.Add(y, x0, x1);
  }
  return builder.Finish();
}

GdiRegion GdiRegion::RoundRect(const RECT& box, int32_t ovalWidth, int32_t ovalHeight,
                               int32_t rowTop, int32_t rowBottom) {
  RECT b = Ordered(box);
  int64_t w = int64_t{b.right} - b.left;
  int64_t h = int64_t{b.bottom} - b.top;
  if (w <= 0 || h <= 0) return GdiRegion();
  int32_t ew = static_cast<int32_t>(std::min<int64_t>(std::abs(int64_t{ovalWidth}), w));
  int32_t eh = static_cast<int32_t>(std::min<int64_t>(std::abs(int64_t{ovalHeight}), h));
  if (ew < 2 || eh < 2) {
    return GdiRegion(RECT{b.left, std::max(b.top, rowTop), b.right, std::min(b.bottom, rowBottom)});
  }
  RECT tl = {b.left, b.top, b.left + ew, b.top + eh};
  RECT tr = {b.right - ew, b.top, b.right, b.top + eh};
  RECT bl = {b.left, b.bottom - eh, b.left + ew, b.bottom};
  RECT br = {b.right - ew, b.bottom - eh, b.right, b.bottom};
  GdiSpanBuilder builder;
  int32_t top = std::max(b.top, rowTop), bottom = std::min(b.bottom, rowBottom);
  int32_t middleTop = b.top + eh / 2, middleBottom = b.bottom - eh / 2;
  // The straight middle is one rectangle; only the corner rows are scanned.
  builder.AddRect({b.left, std::max(top, middleTop), b.right, std::min(bottom, middleBottom)});
  for (int32_t y = top; y < std::min(bottom, middleTop); ++y) {
    int32_t x0 = b.left, x1 = b.right, a, c;
    if (EllipseRow(tl, y, &a, &c)) x0 = a;
    if (EllipseRow(tr, y, &a, &c)) x1 = c;
    builder.Add(y, x0, x1);
  }
  for (int32_t y = std::max(top, middleBottom); y < bottom; ++y) {
    int32_t x0 = b.left, x1 = b.right, a, c;
    if (EllipseRow(bl, y, &a, &c)) x0 = a;
    if (EllipseRow(br, y, &a, &c)) x1 = c;
    builder.Add(y, x0, x1);
  }
  return builder.Finish();
}

namespace {

// Whether rectangles are already in the canonical banded form (as every
// list this code writes is).
bool IsCanonical(const RECT* r, size_t n) {
  std::vector<Band> bands;
  size_t i = 0;
  while (i < n) {
    size_t j = i;
    for (; j < n && r[j].top == r[i].top; ++j) {
      if (r[j].left >= r[j].right || r[j].top >= r[j].bottom || r[j].bottom != r[i].bottom) {
        return false;
      }
      if (j > i && r[j].left <= r[j - 1].right) return false;  // overlapping or touching runs
    }
    if (!bands.empty() && r[i].top < bands.back().bottom) return false;
    bands.push_back({r[i].top, r[i].bottom, i, j});
    i = j;
  }
  // Bands that touch must differ in their runs.
  for (size_t k = 1; k < bands.size(); ++k) {
    const Band& a = bands[k - 1];
    const Band& b = bands[k];
    if (a.bottom != b.top || a.last - a.first != b.last - b.first) continue;
    bool same = true;
    for (size_t m = 0; m < a.last - a.first && same; ++m) {
      same = r[a.first + m].left == r[b.first + m].left &&
             r[a.first + m].right == r[b.first + m].right;
    }
    if (same) return false;
  }
  return true;
}

GdiRegion UnionOf(const RECT* rects, size_t count) {
  if (count == 0) return GdiRegion();
  if (count == 1) return GdiRegion(rects[0]);
  size_t half = count / 2;
  return GdiRegion::Combine(UnionOf(rects, half), UnionOf(rects + half, count - half), RGN_OR);
}

}  // namespace

GdiRegion GdiRegion::FromRects(const RECT* rects, size_t count) {
  if (IsCanonical(rects, count)) {
    GdiRegion region;
    region.rects_.assign(rects, rects + count);
    return region;
  }
  // Any other list: the union of its rectangles, halves first.
  return UnionOf(rects, count);
}

void GdiSpanBuilder::Add(int32_t y, int32_t x0, int32_t x1) {
  if (x0 < x1) spans_.push_back({y, x0, x1});
}

void GdiSpanBuilder::AddRect(const RECT& rect) {
  RECT r = Ordered(rect);
  if (r.left < r.right && r.top < r.bottom) rects_.push_back(r);
}

GdiRegion GdiSpanBuilder::Finish() {
  GdiRegion result;
  // Runs and rectangles are cut into the elementary bands between all their
  // tops and bottoms; each band's runs are merged, and equal neighbouring
  // bands joined.
  std::vector<int32_t> ys;
  ys.reserve(2 * (spans_.size() + rects_.size()));
  for (const Span& s : spans_) {
    ys.push_back(s.y);
    ys.push_back(s.y + 1);
  }
  for (const RECT& r : rects_) {
    ys.push_back(r.top);
    ys.push_back(r.bottom);
  }
  std::sort(ys.begin(), ys.end());
  ys.erase(std::unique(ys.begin(), ys.end()), ys.end());

  // Each piece (run or rectangle) covers a range of elementary bands.
  struct Piece {
    int32_t top, bottom, x0, x1;
  };
  std::vector<Piece> pieces;
  pieces.reserve(spans_.size() + rects_.size());
  for (const Span& s : spans_) pieces.push_back({s.y, s.y + 1, s.x0, s.x1});
  for (const RECT& r : rects_) pieces.push_back({r.top, r.bottom, r.left, r.right});
  std::sort(pieces.begin(), pieces.end(),
            [](const Piece& a, const Piece& b) { return a.top < b.top; });

  std::vector<Piece> active;  // pieces that reach the current band
  std::vector<Interval> runs, merged;
  size_t next = 0;
  size_t lastBand = 0;
  for (size_t k = 0; k + 1 < ys.size(); ++k) {
    int32_t y0 = ys[k], y1 = ys[k + 1];
    while (next < pieces.size() && pieces[next].top <= y0) active.push_back(pieces[next++]);
    active.erase(std::remove_if(active.begin(), active.end(),
                                [y0](const Piece& p) { return p.bottom <= y0; }),
                 active.end());
    runs.clear();
    for (const Piece& p : active) runs.push_back({p.x0, p.x1});
    std::sort(runs.begin(), runs.end(),
              [](const Interval& a, const Interval& b) { return a.x0 < b.x0; });
    merged.clear();
    for (const Interval& iv : runs) {
      if (!merged.empty() && iv.x0 <= merged.back().x1) {
        merged.back().x1 = std::max(merged.back().x1, iv.x1);
      } else {
        merged.push_back(iv);
      }
    }
    AppendBand(result.rects_, lastBand, y0, y1, merged);
  }
  spans_.clear();
  rects_.clear();
  return result;
}

GdiRegion GdiScanPolygons(const GdiFixedPoint* points, const int32_t* counts, int32_t polygons,
                          int fillMode, int32_t rowTop, int32_t rowBottom, bool* tooLarge) {
  if (tooLarge) *tooLarge = false;
  struct Edge {
    int64_t xa, ya, xb, yb;
    int dir;
  };
  std::vector<Edge> edges;
  size_t base = 0;
  for (int32_t p = 0; p < polygons; ++p) {
    int32_t n = counts[p];
    for (int32_t i = 0; i < n; ++i) {
      GdiFixedPoint a = points[base + i];
      GdiFixedPoint b = points[base + (i + 1) % n];
      if (a.y == b.y) continue;
      if (a.y < b.y) {
        edges.push_back({a.x, a.y, b.x, b.y, 1});
      } else {
        edges.push_back({b.x, b.y, a.x, a.y, -1});
      }
    }
    base += n;
  }
  GdiSpanBuilder builder;
  if (edges.empty()) return builder.Finish();
  std::sort(edges.begin(), edges.end(), [](const Edge& a, const Edge& b) { return a.ya < b.ya; });
  int64_t yMin = edges.front().ya, yMax = edges.front().yb;
  for (const Edge& e : edges) yMax = std::max(yMax, e.yb);
  // Rows whose sample point y * one lies in [yMin, yMax).
  int64_t first = static_cast<int64_t>(CeilDiv(yMin, kGdiFixedOne));
  int64_t last = static_cast<int64_t>(CeilDiv(yMax, kGdiFixedOne));  // exclusive
  first = std::max<int64_t>(first, rowTop);
  last = std::min<int64_t>(last, rowBottom);
  // A slanted edge longer than the limit within the rows asked is refused
  // before any scanning.
  for (const Edge& e : edges) {
    if (e.xa == e.xb) continue;
    int64_t top = std::max<int64_t>(first, static_cast<int64_t>(CeilDiv(e.ya, kGdiFixedOne)));
    int64_t bottom = std::min<int64_t>(last, static_cast<int64_t>(CeilDiv(e.yb, kGdiFixedOne)));
    if (bottom - top > kGdiMaxScanRows) {
      if (tooLarge) *tooLarge = true;
      return GdiRegion();
    }
  }

  struct Crossing {
    int64_t x;
    int dir;
  };
  std::vector<const Edge*> active;
  std::vector<Crossing> crossings;
  std::vector<Interval> runs;
  size_t next = 0;
  int64_t slantedRows = 0;
  for (int64_t row = first; row < last; ++row) {
    int64_t sy = row * kGdiFixedOne;
    while (next < edges.size() && edges[next].ya <= sy) active.push_back(&edges[next++]);
    active.erase(std::remove_if(active.begin(), active.end(),
                                [sy](const Edge* e) { return e->yb <= sy; }),
                 active.end());
    crossings.clear();
    bool allVertical = true;
    int64_t change = next < edges.size() ? edges[next].ya : INT64_MAX;  // next edge event
    for (const Edge* e : active) {
      if (e->xa != e->xb) allVertical = false;
      change = std::min(change, e->yb);
      // The first pixel at or right of the crossing: ceil(x / one).
      __int128 dy = e->yb - e->ya;
      __int128 num = static_cast<__int128>(e->xa) * dy + static_cast<__int128>(sy - e->ya) *
                                                             (e->xb - e->xa);
      crossings.push_back({static_cast<int64_t>(CeilDiv(num, dy * kGdiFixedOne)), e->dir});
    }
    std::sort(crossings.begin(), crossings.end(),
              [](const Crossing& a, const Crossing& b) { return a.x < b.x; });
    runs.clear();
    if (fillMode == WINDING) {
      int wind = 0;
      int64_t start = 0;
      for (const Crossing& c : crossings) {
        int before = wind;
        wind += c.dir;
        if (before == 0 && wind != 0) start = c.x;
        if (before != 0 && wind == 0) runs.push_back({Clamp32(start), Clamp32(c.x)});
      }
    } else {
      for (size_t i = 0; i + 1 < crossings.size(); i += 2) {
        runs.push_back({Clamp32(crossings[i].x), Clamp32(crossings[i + 1].x)});
      }
    }
    // With only vertical edges the runs stay the same down to the next row
    // where an edge starts or ends.
    int64_t runEnd = row + 1;
    if (allVertical) {
      runEnd = std::min<int64_t>(last, change == INT64_MAX ? last
                                                           : static_cast<int64_t>(CeilDiv(
                                                                 change, kGdiFixedOne)));
      runEnd = std::max(runEnd, row + 1);
    } else if (++slantedRows > kGdiMaxScanRows) {
      if (tooLarge) *tooLarge = true;
      return GdiRegion();
    }
    for (const Interval& iv : runs) {
      builder.AddRect({iv.x0, static_cast<LONG>(row), iv.x1, static_cast<LONG>(runEnd)});
    }
    row = runEnd - 1;
  }
  return builder.Finish();
}
