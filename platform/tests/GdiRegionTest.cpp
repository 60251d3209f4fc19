// Regions: shapes, the five combinations and their answers, tests, moves,
// and the stored RGNDATA bytes out and back in, bad input included.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <utility>
#include <vector>

#include "platform/gdi/GdiRegion.h"
#include "platform/gdi/WinGdi.h"

namespace {

// The rectangles of a region, through its stored bytes.
std::vector<RECT> RectsOf(HRGN rgn) {
  DWORD size = GetRegionData(rgn, 0, nullptr);
  std::vector<uint8_t> bytes(size);
  EXPECT_EQ(GetRegionData(rgn, size, reinterpret_cast<RGNDATA*>(bytes.data())), size);
  RGNDATAHEADER h;
  std::memcpy(&h, bytes.data(), sizeof h);
  std::vector<RECT> rects(h.nCount);
  if (h.nCount) std::memcpy(rects.data(), bytes.data() + 32, h.nCount * 16);
  return rects;
}

bool Same(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

void PutLong(std::vector<uint8_t>& v, int32_t x) {
  for (int i = 0; i < 4; ++i) v.push_back(static_cast<uint8_t>(static_cast<uint32_t>(x) >> (8 * i)));
}

class Rgn {
 public:
  explicit Rgn(HRGN h) : h_(h) {}
  ~Rgn() { DeleteObject(h_); }
  operator HRGN() const { return h_; }

 private:
  HRGN h_;
};

TEST(GdiRegion, RectangleRegionIsSimpleAndExcludesRightAndBottom) {
  Rgn r(CreateRectRgn(10, 20, 30, 40));
  RECT box;
  EXPECT_EQ(GetRgnBox(r, &box), SIMPLEREGION);
  EXPECT_TRUE(Same(box, {10, 20, 30, 40}));
  EXPECT_TRUE(PtInRegion(r, 10, 20));
  EXPECT_TRUE(PtInRegion(r, 29, 39));
  EXPECT_FALSE(PtInRegion(r, 30, 25));
  EXPECT_FALSE(PtInRegion(r, 15, 40));
  RECT touching{30, 20, 40, 40};
  EXPECT_FALSE(RectInRegion(r, &touching));
  RECT overlapping{29, 39, 40, 50};
  EXPECT_TRUE(RectInRegion(r, &overlapping));
}

TEST(GdiRegion, ReversedEdgesAreOrderedAndEmptyRectsGiveNullRegions) {
  Rgn r(CreateRectRgn(30, 40, 10, 20));
  RECT box;
  EXPECT_EQ(GetRgnBox(r, &box), SIMPLEREGION);
  EXPECT_TRUE(Same(box, {10, 20, 30, 40}));
  Rgn e(CreateRectRgn(5, 5, 5, 50));
  EXPECT_EQ(GetRgnBox(e, &box), NULLREGION);
  EXPECT_TRUE(Same(box, {0, 0, 0, 0}));
  EXPECT_TRUE(SetRectRgn(e, 4, 3, 2, 1));
  EXPECT_EQ(GetRgnBox(e, &box), SIMPLEREGION);
  EXPECT_TRUE(Same(box, {2, 1, 4, 3}));
}

TEST(GdiRegion, CombinationsAnswerTheirComplexity) {
  Rgn a(CreateRectRgn(0, 0, 10, 10));
  Rgn b(CreateRectRgn(5, 5, 15, 15));
  Rgn far(CreateRectRgn(20, 20, 30, 30));
  Rgn d(CreateRectRgn(0, 0, 0, 0));
  EXPECT_EQ(CombineRgn(d, a, b, RGN_AND), SIMPLEREGION);
  RECT box;
  GetRgnBox(d, &box);
  EXPECT_TRUE(Same(box, {5, 5, 10, 10}));
  EXPECT_EQ(CombineRgn(d, a, far, RGN_AND), NULLREGION);
  EXPECT_EQ(CombineRgn(d, a, b, RGN_OR), COMPLEXREGION);
  EXPECT_EQ(CombineRgn(d, a, b, RGN_XOR), COMPLEXREGION);
  EXPECT_FALSE(PtInRegion(d, 7, 7));
  EXPECT_TRUE(PtInRegion(d, 12, 12));
  EXPECT_EQ(CombineRgn(d, a, b, RGN_DIFF), COMPLEXREGION);
  EXPECT_TRUE(PtInRegion(d, 2, 7));
  EXPECT_FALSE(PtInRegion(d, 7, 7));
  EXPECT_EQ(CombineRgn(d, a, a, RGN_DIFF), NULLREGION);
  EXPECT_EQ(CombineRgn(d, b, nullptr, RGN_COPY), SIMPLEREGION);
  EXPECT_TRUE(EqualRgn(d, b));
  EXPECT_EQ(CombineRgn(d, a, b, 9), ERROR);
  EXPECT_EQ(CombineRgn(d, a, nullptr, RGN_OR), ERROR);
}

TEST(GdiRegion, CombiningIntoASourceWorks) {
  Rgn a(CreateRectRgn(0, 0, 10, 10));
  Rgn b(CreateRectRgn(10, 0, 20, 10));
  EXPECT_EQ(CombineRgn(a, a, b, RGN_OR), SIMPLEREGION);
  RECT box;
  GetRgnBox(a, &box);
  EXPECT_TRUE(Same(box, {0, 0, 20, 10}));
}

TEST(GdiRegion, UnionOfTwoRectsStoresItsBandsAsRgnData) {
  Rgn a(CreateRectRgn(0, 0, 10, 10));
  Rgn b(CreateRectRgn(5, 5, 15, 15));
  Rgn u(CreateRectRgn(0, 0, 0, 0));
  CombineRgn(u, a, b, RGN_OR);
  DWORD size = GetRegionData(u, 0, nullptr);
  ASSERT_EQ(size, 32u + 3 * 16);
  std::vector<uint8_t> bytes(size);
  ASSERT_EQ(GetRegionData(u, size, reinterpret_cast<RGNDATA*>(bytes.data())), size);
  // Header: dwSize 32, iType 1, nCount 3, nRgnSize 48, rcBound; then the
  // bands top to bottom, little-endian 32-bit fields.
  std::vector<uint8_t> expected;
  for (int32_t v : {32, 1, 3, 48, 0, 0, 15, 15}) PutLong(expected, v);
  for (int32_t v : {0, 0, 10, 5, 0, 5, 15, 10, 5, 10, 15, 15}) PutLong(expected, v);
  EXPECT_EQ(bytes, expected);
}

TEST(GdiRegion, TouchingBandsWithTheSameRunsBecomeOne) {
  Rgn a(CreateRectRgn(0, 0, 10, 5));
  Rgn b(CreateRectRgn(0, 5, 10, 10));
  Rgn u(CreateRectRgn(0, 0, 0, 0));
  EXPECT_EQ(CombineRgn(u, a, b, RGN_OR), SIMPLEREGION);
  std::vector<RECT> rects = RectsOf(u);
  ASSERT_EQ(rects.size(), 1u);
  EXPECT_TRUE(Same(rects[0], {0, 0, 10, 10}));
  // Runs that touch side by side merge too.
  Rgn c(CreateRectRgn(10, 0, 20, 10));
  CombineRgn(u, u, c, RGN_OR);
  rects = RectsOf(u);
  ASSERT_EQ(rects.size(), 1u);
  EXPECT_TRUE(Same(rects[0], {0, 0, 20, 10}));
}

TEST(GdiRegion, EqualRgnComparesPixelsNotHistory) {
  Rgn a(CreateRectRgn(0, 0, 10, 10));
  Rgn parts(CreateRectRgn(0, 0, 10, 3));
  Rgn rest(CreateRectRgn(0, 3, 10, 10));
  CombineRgn(parts, parts, rest, RGN_OR);
  EXPECT_TRUE(EqualRgn(a, parts));
  OffsetRgn(parts, 1, 0);
  EXPECT_FALSE(EqualRgn(a, parts));
}

TEST(GdiRegion, OffsetMovesAndStaysWithinTheCoordinateRange) {
  Rgn a(CreateRectRgn(0, 0, 10, 10));
  EXPECT_EQ(OffsetRgn(a, -5, 7), SIMPLEREGION);
  RECT box;
  GetRgnBox(a, &box);
  EXPECT_TRUE(Same(box, {-5, 7, 5, 17}));
  EXPECT_EQ(OffsetRgn(a, 1 << 28, 0), ERROR);
  GetRgnBox(a, &box);
  EXPECT_TRUE(Same(box, {-5, 7, 5, 17}));
  EXPECT_EQ(CreateRectRgn(0, 0, 1 << 28, 10), nullptr);
}

TEST(GdiRegion, EllipseRegionIsSymmetricInItsBox) {
  Rgn e(CreateEllipticRgn(0, 0, 20, 10));
  RECT box;
  EXPECT_EQ(GetRgnBox(e, &box), COMPLEXREGION);
  EXPECT_TRUE(Same(box, {0, 0, 20, 10}));
  for (int y = 0; y < 10; ++y) {
    for (int x = 0; x < 20; ++x) {
      EXPECT_EQ(PtInRegion(e, x, y), PtInRegion(e, 19 - x, y)) << x << "," << y;
      EXPECT_EQ(PtInRegion(e, x, y), PtInRegion(e, x, 9 - y)) << x << "," << y;
    }
  }
  EXPECT_FALSE(PtInRegion(e, 0, 0));
  EXPECT_TRUE(PtInRegion(e, 10, 0));
  EXPECT_TRUE(PtInRegion(e, 0, 5));
}

TEST(GdiRegion, RoundRectRegionKeepsStraightSidesAndCutsCorners) {
  Rgn r(CreateRoundRectRgn(0, 0, 20, 20, 8, 8));
  EXPECT_FALSE(PtInRegion(r, 0, 0));
  EXPECT_FALSE(PtInRegion(r, 19, 19));
  EXPECT_TRUE(PtInRegion(r, 10, 0));
  EXPECT_TRUE(PtInRegion(r, 0, 10));
  EXPECT_TRUE(PtInRegion(r, 19, 10));
  // Corners too small to round leave a rectangle.
  Rgn square(CreateRoundRectRgn(0, 0, 20, 20, 1, 1));
  Rgn plain(CreateRectRgn(0, 0, 20, 20));
  EXPECT_TRUE(EqualRgn(square, plain));
}

TEST(GdiRegion, PolygonRegionFollowsTheFillRule) {
  POINT square[] = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
  Rgn p(CreatePolygonRgn(square, 4, ALTERNATE));
  Rgn r(CreateRectRgn(0, 0, 10, 10));
  EXPECT_TRUE(EqualRgn(p, r));
  // The same square wound twice: alternate leaves it empty, winding full.
  POINT twice[] = {{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0},
                   {10, 0}, {10, 10}, {0, 10}};
  Rgn alt(CreatePolygonRgn(twice, 8, ALTERNATE));
  Rgn wind(CreatePolygonRgn(twice, 8, WINDING));
  RECT box;
  EXPECT_EQ(GetRgnBox(alt, &box), NULLREGION);
  EXPECT_TRUE(EqualRgn(wind, r));
  // A triangle: the diagonal edge cuts each row at the first pixel at or
  // right of the crossing.
  POINT tri[] = {{0, 0}, {4, 0}, {0, 4}};
  Rgn t(CreatePolygonRgn(tri, 3, ALTERNATE));
  std::vector<RECT> rects = RectsOf(t);
  ASSERT_EQ(rects.size(), 4u);
  EXPECT_TRUE(Same(rects[0], {0, 0, 4, 1}));
  EXPECT_TRUE(Same(rects[3], {0, 3, 1, 4}));
  EXPECT_EQ(CreatePolygonRgn(square, 4, 7), nullptr);
  Rgn line(CreatePolygonRgn(square, 2, ALTERNATE));
  EXPECT_EQ(GetRgnBox(line, &box), NULLREGION);
}

TEST(GdiRegion, RgnDataRoundTripReproducesTheRegion) {
  Rgn e(CreateEllipticRgn(3, 4, 40, 25));
  DWORD size = GetRegionData(e, 0, nullptr);
  std::vector<uint8_t> bytes(size);
  GetRegionData(e, size, reinterpret_cast<RGNDATA*>(bytes.data()));
  Rgn back(ExtCreateRegion(nullptr, size, reinterpret_cast<RGNDATA*>(bytes.data())));
  ASSERT_NE(static_cast<HRGN>(back), nullptr);
  EXPECT_TRUE(EqualRgn(e, back));
  RECT a, b;
  GetRgnBox(e, &a);
  GetRgnBox(back, &b);
  EXPECT_TRUE(Same(a, b));
}

TEST(GdiRegion, GetRegionDataRefusesASmallBuffer) {
  Rgn r(CreateRectRgn(0, 0, 5, 5));
  std::vector<uint8_t> bytes(47, 0xAB);
  EXPECT_EQ(GetRegionData(r, 47, reinterpret_cast<RGNDATA*>(bytes.data())), 0u);
  EXPECT_EQ(bytes[0], 0xAB);
  Rgn empty(CreateRectRgn(0, 0, 0, 0));
  EXPECT_EQ(GetRegionData(empty, 0, nullptr), 32u);
}

std::vector<uint8_t> RgnBytes(uint32_t dwSize, uint32_t type, uint32_t count, uint32_t rgnSize,
                              std::initializer_list<int32_t> rects) {
  std::vector<uint8_t> v;
  for (uint32_t x : {dwSize, type, count, rgnSize}) PutLong(v, static_cast<int32_t>(x));
  for (int32_t x : {0, 0, 0, 0}) PutLong(v, x);
  for (int32_t x : rects) PutLong(v, x);
  return v;
}

HRGN FromBytes(const std::vector<uint8_t>& v, size_t size) {
  return ExtCreateRegion(nullptr, static_cast<DWORD>(size),
                         reinterpret_cast<const RGNDATA*>(v.data()));
}

TEST(GdiRegion, ExtCreateRegionRefusesBadHeaders) {
  std::vector<uint8_t> good = RgnBytes(32, 1, 1, 16, {0, 0, 5, 5});
  HRGN ok = FromBytes(good, good.size());
  ASSERT_NE(ok, nullptr);
  DeleteObject(ok);
  SetLastError(0);
  std::vector<uint8_t> badSize = RgnBytes(40, 1, 1, 16, {0, 0, 5, 5});
  EXPECT_EQ(FromBytes(badSize, badSize.size()), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  std::vector<uint8_t> badType = RgnBytes(32, 2, 1, 16, {0, 0, 5, 5});
  EXPECT_EQ(FromBytes(badType, badType.size()), nullptr);
  // A count of rectangles the data cannot hold.
  std::vector<uint8_t> tooMany = RgnBytes(32, 1, 2, 32, {0, 0, 5, 5});
  EXPECT_EQ(FromBytes(tooMany, tooMany.size()), nullptr);
  std::vector<uint8_t> huge = RgnBytes(32, 1, 0x10000001, 16, {0, 0, 5, 5});
  EXPECT_EQ(FromBytes(huge, huge.size()), nullptr);
  // Truncated: the size given is short of the header or of the rectangles.
  EXPECT_EQ(FromBytes(good, 31), nullptr);
  EXPECT_EQ(FromBytes(good, 47), nullptr);
  // A region size field that claims less than the rectangles.
  std::vector<uint8_t> shortRgn = RgnBytes(32, 1, 1, 8, {0, 0, 5, 5});
  EXPECT_EQ(FromBytes(shortRgn, shortRgn.size()), nullptr);
  // Coordinates out of range.
  std::vector<uint8_t> far = RgnBytes(32, 1, 1, 16, {0, 0, 1 << 29, 5});
  EXPECT_EQ(FromBytes(far, far.size()), nullptr);
  EXPECT_EQ(ExtCreateRegion(nullptr, 100, nullptr), nullptr);
}

TEST(GdiRegion, ExtCreateRegionTakesTheUnionOfUnsortedRectangles) {
  std::vector<uint8_t> v = RgnBytes(32, 1, 3, 0, {5, 5, 15, 15, 0, 0, 10, 10, 20, 0, 25, 2});
  Rgn r(FromBytes(v, v.size()));
  ASSERT_NE(static_cast<HRGN>(r), nullptr);
  EXPECT_TRUE(PtInRegion(r, 12, 12));
  EXPECT_TRUE(PtInRegion(r, 1, 1));
  EXPECT_TRUE(PtInRegion(r, 21, 1));
  EXPECT_FALSE(PtInRegion(r, 12, 2));
  std::vector<RECT> rects = RectsOf(r);
  for (size_t i = 1; i < rects.size(); ++i) {
    bool ordered = rects[i].top > rects[i - 1].top ||
                   (rects[i].top == rects[i - 1].top && rects[i].left > rects[i - 1].right);
    EXPECT_TRUE(ordered) << i;
  }
  std::vector<uint8_t> none = RgnBytes(32, 1, 0, 0, {});
  Rgn empty(FromBytes(none, none.size()));
  RECT box;
  EXPECT_EQ(GetRgnBox(empty, &box), NULLREGION);
}

TEST(GdiRegion, StoredBandsThatShouldHaveBeenJoinedAreJoined) {
  // Two touching bands with the same runs: the same pixels as one rectangle.
  std::vector<uint8_t> v = RgnBytes(32, 1, 2, 32, {0, 0, 10, 5, 0, 5, 10, 9});
  Rgn r(FromBytes(v, v.size()));
  Rgn whole(CreateRectRgn(0, 0, 10, 9));
  EXPECT_TRUE(EqualRgn(r, whole));
  EXPECT_EQ(RectsOf(r).size(), 1u);
}

TEST(GdiRegion, ManyOverlappingStoredRectanglesAreJoinedQuickly) {
  // Staggered rectangles, each overlapping the next 2000: their union is
  // one rectangle, found without comparing every pair.
  const int n = 20000;
  std::vector<uint8_t> v = RgnBytes(32, 1, n, n * 16, {});
  for (int i = 0; i < n; ++i) {
    for (int32_t x : {0, i, 100, i + 2000}) PutLong(v, x);
  }
  Rgn r(FromBytes(v, v.size()));
  ASSERT_NE(static_cast<HRGN>(r), nullptr);
  RECT box;
  EXPECT_EQ(GetRgnBox(r, &box), SIMPLEREGION);
  EXPECT_TRUE(Same(box, {0, 0, 100, n - 1 + 2000}));
}

TEST(GdiRegion, TallShapesAreMadeByBandsOrRefused) {
  const int tall = 1 << 26;
  RECT box;
  Rgn rr(CreateRoundRectRgn(0, 0, 50, tall, 10, 10));
  EXPECT_EQ(GetRgnBox(rr, &box), COMPLEXREGION);
  EXPECT_TRUE(PtInRegion(rr, 0, tall / 2));
  // A curved side would need a band for each of millions of rows.
  EXPECT_EQ(CreateEllipticRgn(0, 0, 10, tall), nullptr);
}

// Whether pixel (x, y) lies in a polygon, asked of every edge on its own: an
// edge spanning the row crosses it at c, and counts when c <= x (the left and
// top edges belong to the shape, the right and bottom ones do not).
bool InPolygon(const std::vector<POINT>& points, int mode, int64_t x, int64_t y) {
  int crossings = 0, winding = 0;
  for (size_t i = 0; i < points.size(); ++i) {
    POINT a = points[i], b = points[(i + 1) % points.size()];
    if (a.y == b.y) continue;
    int dir = a.y < b.y ? 1 : -1;
    if (dir < 0) std::swap(a, b);
    if (y < a.y || y >= b.y) continue;
    const int64_t dy = int64_t{b.y} - a.y;
    if (int64_t{a.x} * dy + (y - a.y) * (int64_t{b.x} - a.x) > x * dy) continue;
    ++crossings;
    winding += dir;
  }
  return mode == ALTERNATE ? (crossings % 2) != 0 : winding != 0;
}

TEST(GdiRegion, PolygonsWithinTheDeviceSpaceAreScannedWhole) {
  const int32_t edge = kGdiDeviceLimit;
  struct Case {
    std::vector<POINT> points;
    int mode;
  } cases[] = {
      {{{3, 1}, {40, 9}, {33, 50}, {-7, 31}, {20, 20}}, ALTERNATE},
      {{{3, 1}, {40, 9}, {33, 50}, {-7, 31}, {20, 20}}, WINDING},
      {{{0, 0}, {30, 60}, {60, 0}, {0, 40}, {60, 40}}, ALTERNATE},  // a star
      {{{0, 0}, {30, 60}, {60, 0}, {0, 40}, {60, 40}}, WINDING},
      {{{-edge, -edge}, {edge, -edge + 7}, {edge - 3, edge}}, ALTERNATE},  // at the limits
      {{{edge, edge}, {-edge, edge - 9}, {-edge + 5, -edge}, {0, 3}}, WINDING},
  };
  std::mt19937 random(7);
  for (const Case& k : cases) {
    Rgn made(CreatePolygonRgn(k.points.data(), static_cast<int>(k.points.size()), k.mode));
    RECT box;
    ASSERT_EQ(GetRgnBox(made, &box), COMPLEXREGION);
    int64_t width = int64_t{box.right} - box.left, height = int64_t{box.bottom} - box.top;
    if (width * height <= 10000) {
      for (int64_t y = box.top - 2; y < box.bottom + 2; ++y) {
        for (int64_t x = box.left - 2; x < box.right + 2; ++x) {
          EXPECT_EQ(PtInRegion(made, static_cast<int>(x), static_cast<int>(y)) != FALSE_,
                    InPolygon(k.points, k.mode, x, y))
              << x << ", " << y;
        }
      }
      continue;
    }
    // Reaching the edges of the space: nothing is cut, as pixels sampled
    // across the whole space show.
    for (int i = 0; i < 20000; ++i) {
      int64_t x = static_cast<int64_t>(random() % (2 * edge)) - edge;
      int64_t y = static_cast<int64_t>(random() % (2 * edge)) - edge;
      ASSERT_EQ(PtInRegion(made, static_cast<int>(x), static_cast<int>(y)) != FALSE_,
                InPolygon(k.points, k.mode, x, y))
          << x << ", " << y;
    }
  }
}

TEST(GdiRegion, PolygonsBeyondTheDeviceSpaceAreCutToIt) {
  const int32_t edge = kGdiDeviceLimit;
  const int tall = 1 << 26;
  RECT box;
  // Straight sides: the part within the device space, one band.
  POINT square[] = {{0, 0}, {10, 0}, {10, tall}, {0, tall}};
  Rgn p(CreatePolygonRgn(square, 4, WINDING));
  Rgn cut(CreateRectRgn(0, 0, 10, edge));
  EXPECT_TRUE(EqualRgn(p, cut));
  // A slanted side: a band for each row of the device space, no more. The
  // side x = -y leaves row y the pixels from the space's left edge to -y.
  const int far = 900000;
  POINT half[] = {{-far, -far}, {far, -far}, {-far, far}};
  Rgn h(CreatePolygonRgn(half, 3, ALTERNATE));
  std::vector<uint8_t> v = RgnBytes(32, 1, 2 * edge, 2 * edge * 16, {});
  for (int32_t y = -edge; y < edge; ++y) {
    for (int32_t x : {-edge, y, std::min(-y, edge), y + 1}) PutLong(v, x);
  }
  Rgn expected(FromBytes(v, v.size()));
  EXPECT_EQ(GetRgnBox(h, &box), COMPLEXREGION);
  EXPECT_TRUE(Same(box, {-edge, -edge, edge, edge}));
  EXPECT_TRUE(EqualRgn(h, expected));
  // Five points near 900,000, as a metafile's polygon may give them: a
  // region cut to the space, and cheap to turn inside out.
  POINT five[] = {{900000, 900100}, {-899000, 900000}, {-900000, -899500},
                  {899900, -900000}, {0, 12}};
  Rgn f(CreatePolygonRgn(five, 5, WINDING));
  ASSERT_NE(static_cast<HRGN>(f), nullptr);
  EXPECT_EQ(GetRgnBox(f, &box), COMPLEXREGION);
  EXPECT_GE(box.left, -edge);
  EXPECT_LE(box.right, edge);
  EXPECT_GE(box.top, -edge);
  EXPECT_LE(box.bottom, edge);
  EXPECT_LE(RectsOf(f).size(), size_t{4} * edge);
  Rgn inverse(CreateRectRgn(-edge, -edge, edge, edge));
  EXPECT_NE(CombineRgn(inverse, inverse, f, RGN_DIFF), ERROR);
  EXPECT_FALSE(PtInRegion(inverse, -100, 0));
  EXPECT_TRUE(PtInRegion(inverse, 1000, 0));  // in the notch the fifth point makes
}

TEST(GdiRegion, DeletedRegionHandlesAreRefused) {
  HRGN r = CreateRectRgn(0, 0, 5, 5);
  ASSERT_TRUE(DeleteObject(r));
  SetLastError(0);
  RECT box;
  EXPECT_EQ(GetRgnBox(r, &box), ERROR);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_FALSE(PtInRegion(r, 1, 1));
  EXPECT_FALSE(DeleteObject(r));
  // A new object in the same slot does not answer to the old handle.
  HRGN again = CreateRectRgn(0, 0, 5, 5);
  EXPECT_NE(again, r);
  EXPECT_EQ(GetRgnBox(r, &box), ERROR);
  DeleteObject(again);
}

}  // namespace
