// Tests of points, shapes and rectangles: the edge rules of the box model and
// the conversions to four-edge records.
#include <gtest/gtest.h>

#include "graphics/VPoint.h"
#include "graphics/VShape.h"
#include "platform/gdi/WinGdiTypes.h"

namespace {

void ExpectBox(const VShape& s, int32_t x, int32_t y, int32_t w, int32_t h) {
  EXPECT_EQ(s.GetLeft(), x);
  EXPECT_EQ(s.GetTop(), y);
  EXPECT_EQ(s.GetWidth(), w);
  EXPECT_EQ(s.GetHeight(), h);
}

}  // namespace

TEST(VPoint, SetXKeepsYAndOffsetAdds) {
  VPoint p(3, 4);
  p.SetX(10);
  EXPECT_EQ(p, VPoint(10, 4));
  p.SetY(-2);
  EXPECT_EQ(p, VPoint(10, -2));
  p.Offset(-5, 7);
  int32_t x = 0, y = 0;
  p.Get(x, y);
  EXPECT_EQ(x, 5);
  EXPECT_EQ(y, 5);
  EXPECT_NE(p, VPoint(5, 6));
}

TEST(VPoint, OffsetPastTheRangeWraps) {
  VPoint p(INT32_MAX, 0);
  p.Offset(1, 0);
  EXPECT_EQ(p.GetX(), INT32_MIN);
}

TEST(VRect, ConstructionStoresAbsoluteSizesButSetSizeKeepsTheSign) {
  VRect r(10, 20, -5, -6);
  ExpectBox(r, 10, 20, 5, 6);
  r.SetSize(-5, -6);
  ExpectBox(r, 10, 20, -5, -6);
  EXPECT_TRUE(r.IsEmpty());
  ExpectBox(VRect(10, 10, -4, 5), 10, 10, 4, 5);
}

TEST(VRect, ContainsExcludesTheRightAndBottomEdges) {
  VRect r(10, 20, 30, 40);
  EXPECT_TRUE(r.Contains(VPoint(10, 20)));
  EXPECT_TRUE(r.Contains(VPoint(39, 59)));
  EXPECT_FALSE(r.Contains(VPoint(40, 20)));
  EXPECT_FALSE(r.Contains(VPoint(10, 60)));
  EXPECT_FALSE(r.Contains(VPoint(9, 20)));
  EXPECT_TRUE(r.ContainsLocal(VPoint(0, 0)));
  EXPECT_TRUE(r.ContainsLocal(VPoint(29, 39)));
  EXPECT_FALSE(r.ContainsLocal(VPoint(30, 0)));
  EXPECT_FALSE(r.ContainsLocal(VPoint(-1, 0)));
}

TEST(VRect, BoxesTouchingAlongAnEdgeOrACornerIntersect) {
  VRect a(0, 0, 10, 10);
  EXPECT_TRUE(a.Intersects(VRect(10, 0, 5, 5)));
  EXPECT_TRUE(a.Intersects(VRect(10, 10, 5, 5)));
  EXPECT_TRUE(a.Intersects(VRect(-5, -5, 5, 5)));
  EXPECT_FALSE(a.Intersects(VRect(11, 0, 5, 5)));
  EXPECT_FALSE(a.Intersects(VRect(0, 11, 5, 5)));
  EXPECT_FALSE(a.Intersects(VRect(-6, 0, 5, 5)));
}

TEST(VRect, EdgeSumsBeyondTheRangeDoNotOverflow) {
  VRect a(INT32_MAX - 1, 0, 100, 10);
  EXPECT_TRUE(a.Contains(VPoint(INT32_MAX, 5)));
  EXPECT_TRUE(a.Intersects(VRect(INT32_MAX, 0, INT32_MAX, 1)));
}

TEST(VShape, EmptyMeansNoWidthOrNoHeight) {
  VShape s(0, 0, 0, 5);
  EXPECT_TRUE(s.IsEmpty());
  s.SetSize(5, 0);
  EXPECT_TRUE(s.IsEmpty());
  s.SetSize(1, 1);
  EXPECT_FALSE(s.IsEmpty());
  s.SetEmpty();
  ExpectBox(s, 0, 0, 0, 0);
}

TEST(VRect, InsetIsNotClamped) {
  VRect r(0, 0, 4, 4);
  r.Inset(3, 3);
  ExpectBox(r, 3, 3, -2, -2);
  EXPECT_TRUE(r.IsEmpty());
  r.Inset(-3, -1);
  ExpectBox(r, 0, 2, 4, 0);
}

TEST(VRect, FromMacPointsTakesHorizontalFromTheHighHalf) {
  const uint32_t first = (16u << 16) | 32u;
  const uint32_t second = (48u << 16) | 80u;
  ExpectBox(VRect::FromMacPoints(first, second), 16, 32, 32, 48);
  // Both halves are signed.
  ExpectBox(VRect::FromMacPoints(0xFFFFFFFEu, (4u << 16) | 3u), -1, -2, 5, 5);
}

TEST(VRect, FromEdgesKeepsNegativeSizes) {
  ExpectBox(VRect::FromEdges(10, 20, 5, 30), 10, 20, -5, 10);
}

TEST(VRect, IntersectOfDisjointBoxesIsAllZero) {
  VRect a(0, 0, 10, 10);
  a.Intersect(VRect(20, 20, 5, 5));
  ExpectBox(a, 0, 0, 0, 0);
  VRect b(0, 0, 10, 10);
  b.Intersect(VRect(10, 0, 5, 5));  // touching only
  ExpectBox(b, 0, 0, 0, 0);
  VRect c(0, 0, 10, 10);
  c.Intersect(VRect(5, -5, 20, 8));
  ExpectBox(c, 5, 0, 5, 3);
}

TEST(VRect, EqualityComparesAllFourFields) {
  EXPECT_EQ(VRect(1, 2, 3, 4), VRect(1, 2, 3, 4));
  EXPECT_NE(VRect(1, 2, 3, 4), VRect(1, 2, 3, 5));
  EXPECT_NE(VRect(1, 2, 3, 4), VRect(0, 2, 3, 4));
}

TEST(VRect, MacRectOrderIsTopLeftBottomRightTruncatedTo16Bits) {
  VMacRect m{};
  VRect(10, 20, 30, 40).ToMacRect(m);
  EXPECT_EQ(m.top, 20);
  EXPECT_EQ(m.left, 10);
  EXPECT_EQ(m.bottom, 60);
  EXPECT_EQ(m.right, 40);
  VRect(0x12345, 0, 0x10000, 1).ToMacRect(m);
  EXPECT_EQ(m.left, 0x2345);
  EXPECT_EQ(m.right, 0x2345);
}

TEST(VRect, WinRectHasExclusiveRightAndBottom) {
  RECT w{};
  VRect(-5, 7, 10, 3).ToWinRect(w);
  EXPECT_EQ(w.left, -5);
  EXPECT_EQ(w.top, 7);
  EXPECT_EQ(w.right, 5);
  EXPECT_EQ(w.bottom, 10);
}

TEST(VShape, AssignGoesThroughTheReceiversSetters) {
  VShape s;
  s.Assign(VRect(1, 2, 3, 4));
  ExpectBox(s, 1, 2, 3, 4);
}

TEST(VRoundRectShape, KeepsItsOvalSize) {
  VRoundRectShape r(1, 2, -30, 40, 6, 8);
  ExpectBox(r, 1, 2, 30, 40);
  EXPECT_EQ(r.GetOvalWidth(), 6);
  EXPECT_EQ(r.GetOvalHeight(), 8);
}
