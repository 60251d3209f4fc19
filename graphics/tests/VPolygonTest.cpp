// Polygons built point by point, moved, scaled and closed; the 'POLY' form in
// both byte orders with bad and short input; line shapes and arc angles; and
// the exact pixels of polygons and line shapes on a port.
#include <gtest/gtest.h>

#include <cstring>
#include <numbers>
#include <vector>

#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/VHandleStream.h"
#include "framework/core/streams/VMemoryStream.h"
#include "graphics/VLineShape.h"
#include "graphics/VPoint.h"
#include "graphics/VPolygon.h"
#include "graphics/VPort.h"
#include "graphics/VRegion.h"
#include "graphics/tests/GraphicsTestSupport.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);

using Points = std::vector<std::pair<int32_t, int32_t>>;

Points PointsOf(const VPolygon& p) {
  Points out;
  for (int32_t i = 0; i < p.GetCount(); ++i) {
    int32_t x = 0;
    int32_t y = 0;
    EXPECT_TRUE(p.GetPoint(i, x, y));
    out.emplace_back(x, y);
  }
  return out;
}

void Build(VPolygon& p, const Points& points) {
  for (const auto& [x, y] : points) p.AddPoint(x, y);
}

std::vector<uint8_t> Written(VPolygon& p, bool bigEndian, int32_t* result) {
  VMemHandle handle = 0;
  std::vector<uint8_t> bytes;
  {
    VHandleStream stream(handle);
    if (bigEndian) stream.SetByteOrders(kByteOrderMacintosh, kByteOrderKeep);
    EXPECT_EQ(stream.OpenWrite(), kStreamNoError);
    *result = p.WriteToStream(stream, 0);
    stream.CloseWrite(1);
  }
  const uint32_t size = gMemoryMgr->GetHandleSize(handle);
  if (size != 0) {
    const auto* data = static_cast<const uint8_t*>(gMemoryMgr->LockHandle(handle));
    bytes.assign(data, data + size);
    gMemoryMgr->UnlockHandle(handle);
  }
  gMemoryMgr->DisposeHandle(handle);
  return bytes;
}

int32_t Read(VPolygon& p, const std::vector<uint8_t>& bytes, bool bigEndian) {
  VMemoryStream stream(bytes.data(), uint32_t(bytes.size()));
  if (bigEndian) stream.SetByteOrders(kByteOrderMacintosh, kByteOrderKeep);
  stream.OpenRead();
  const int32_t result = p.ReadFromStream(stream, 0);
  stream.CloseRead();
  return result;
}

}  // namespace

TEST(VPolygon, PointsSetBoundsBoxAndLastPoint) {
  VPolygon p;
  Build(p, {{10, 10}, {20, 5}, {15, 30}});
  EXPECT_EQ(p.GetCount(), 3);
  EXPECT_EQ(VRect(p.GetLeft(), p.GetTop(), p.GetWidth(), p.GetHeight()), VRect(10, 5, 10, 25));
  EXPECT_EQ(p.GetLastX(), 15);
  EXPECT_EQ(p.GetLastY(), 30);
  p.Finish();
  EXPECT_EQ(PointsOf(p), (Points{{10, 10}, {20, 5}, {15, 30}, {10, 10}}));

  VPolygon two;
  Build(two, {{1, 1}, {4, 4}});
  two.Finish();  // fewer than 3 points: not closed
  EXPECT_EQ(two.GetCount(), 2);

  VPolygon relative;
  relative.AddPointRelative(5, 5);
  relative.AddPointRelative(1, 2);
  EXPECT_EQ(PointsOf(relative), (Points{{5, 5}, {6, 7}}));
}

TEST(VPolygon, MovesAndScalesPointsWithTheBox) {
  VPolygon p;
  Build(p, {{10, 10}, {20, 5}, {15, 30}});
  p.SetSize(20, 50);
  EXPECT_EQ(PointsOf(p), (Points{{10, 15}, {30, 5}, {20, 55}}));
  EXPECT_EQ(p.GetMaxX(), 30);
  EXPECT_EQ(p.GetMaxY(), 55);
  EXPECT_EQ(p.GetLastX(), 15);  // the base of relative adding stays

  p.SetPosition(0, 0);
  EXPECT_EQ(PointsOf(p), (Points{{0, 10}, {20, 0}, {10, 50}}));
  EXPECT_EQ(p.GetMinX(), 0);
  EXPECT_EQ(p.GetMaxY(), 50);

  VPolygon flat;
  Build(flat, {{3, 1}, {3, 9}, {3, 4}});
  flat.SetSize(10, 20);  // width 0: nothing to scale from
  EXPECT_EQ(PointsOf(flat), (Points{{3, 1}, {3, 9}, {3, 4}}));
  EXPECT_EQ(flat.GetHeight(), 8);

  flat.SetEmpty();
  EXPECT_EQ(flat.GetCount(), 0);
  EXPECT_EQ(gMemoryMgr->GetHandleSize(flat.GetPointBlock()), 0u);
}

TEST(VPolygon, StoredFormRoundTripsInBothByteOrders) {
  for (const bool big : {true, false}) {
    SCOPED_TRACE(big);
    VPolygon p;
    Build(p, {{10, 10}, {-20, 5}, {15, 30000}});
    int32_t result = -99;
    const std::vector<uint8_t> bytes = Written(p, big, &result);
    EXPECT_EQ(result, kStreamNoError);
    ASSERT_EQ(bytes.size(), 4u + 2u + 3u * 8u);
    const std::vector<uint8_t> head =
        big ? std::vector<uint8_t>{'P', 'O', 'L', 'Y', 0, 3, 0, 0, 0, 10}
            : std::vector<uint8_t>{'Y', 'L', 'O', 'P', 3, 0, 10, 0, 0, 0};
    EXPECT_TRUE(std::equal(head.begin(), head.end(), bytes.begin()));

    VPolygon back;
    back.AddPoint(99, 99);
    EXPECT_EQ(Read(back, bytes, big), kStreamNoError);
    EXPECT_EQ(PointsOf(back), PointsOf(p));
    EXPECT_EQ(VRect(back.GetLeft(), back.GetTop(), back.GetWidth(), back.GetHeight()),
              VRect(-20, 5, 35, 29995));
    EXPECT_EQ(back.GetLastY(), 30000);
  }
}

TEST(VPolygon, BadOrShortFormLeavesThePolygonAsItWas) {
  VPolygon source;
  Build(source, {{1, 2}, {3, 4}, {5, 6}});
  int32_t result = 0;
  const std::vector<uint8_t> good = Written(source, true, &result);

  std::vector<uint8_t> otherCode = good;
  otherCode[0] = 'X';
  std::vector<uint8_t> negative = good;
  negative[4] = 0x80;
  const struct {
    const char* name;
    std::vector<uint8_t> bytes;
    int32_t expected;
  } cases[] = {
      {"other code", otherCode, kPolygonBadForm},
      {"negative count", negative, kPolygonBadForm},
      {"one point short", std::vector<uint8_t>(good.begin(), good.end() - 8), kStreamEndOfData},
      {"half a point short", std::vector<uint8_t>(good.begin(), good.end() - 4), kStreamEndOfData},
      {"no count", std::vector<uint8_t>(good.begin(), good.begin() + 5), kStreamEndOfData},
      {"nothing", {}, kStreamEndOfData},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    VPolygon p;
    Build(p, {{7, 7}, {9, 8}, {8, 12}, {7, 7}});
    EXPECT_EQ(Read(p, c.bytes, true), c.expected);
    EXPECT_EQ(PointsOf(p), (Points{{7, 7}, {9, 8}, {8, 12}, {7, 7}}));
    EXPECT_EQ(p.GetHeight(), 5);
  }
}

TEST(VPolygon, MoreThanTheFormHoldsIsNotWritten) {
  VPolygon p;
  for (int32_t i = 0; i <= kPolygonMaxStoredPoints; ++i) p.AddPoint(i, i & 7);
  ASSERT_EQ(p.GetCount(), 32768);
  int32_t result = 0;
  EXPECT_TRUE(Written(p, true, &result).empty());
  EXPECT_EQ(result, kPolygonTooManyPoints);
}

TEST(VLineShape, SignOfTheHeightChoosesTheDirection) {
  const struct {
    int32_t w, h;
    bool descending;
    int32_t height;
  } cases[] = {
      {0, -40, false, 40}, {30, 0, true, 0}, {10, 20, true, 20}, {5, INT32_MIN, false, INT32_MAX}};
  for (const auto& c : cases) {
    VLineShape line;
    line.SetSize(c.w, c.h);
    EXPECT_EQ(line.IsDescending(), c.descending) << c.h;
    EXPECT_EQ(line.GetHeight(), c.height) << c.h;
  }
}

TEST(VArcShape, AnglesAreKeptInHalfTurnsOfPi) {
  const double unit = std::numbers::pi / 360.0;
  const struct {
    int16_t start, arc;
    double expectedStart, expectedArc;
  } cases[] = {
      {-90, 45, 270 * unit, 45 * unit}, {450, -400, 90 * unit, -40 * unit}, {0, 360, 0, 0}};
  for (const auto& c : cases) {
    VArcShape arc(0, 0, 10, 10, c.start, c.arc);
    EXPECT_DOUBLE_EQ(arc.GetStartAngle(), c.expectedStart) << c.start;
    EXPECT_DOUBLE_EQ(arc.GetArcAngle(), c.expectedArc) << c.arc;
  }
  VArcShape real(0, 0, 1, 1, -0.5, 4.0);
  EXPECT_DOUBLE_EQ(real.GetStartAngle(), std::numbers::pi - 0.5);
  EXPECT_DOUBLE_EQ(real.GetArcAngle(), 4.0 - std::numbers::pi);
}

TEST(VPortPolygon, FillsCoverTheOutlineAndPointsComeBack) {
  Canvas canvas(28, 16);
  VPort port(canvas.dc());
  port.SetFillColor(kRed);
  port.PushOrigin(10, 0);
  VPolygon p;
  Build(p, {{2, 2}, {8, 2}, {8, 6}, {2, 6}});
  port.PaintPolygon(p);
  EXPECT_EQ(canvas.CountAll(kRed), 24);
  EXPECT_EQ(canvas.Count(kRed, 12, 2, 6, 4), 24);
  EXPECT_EQ(PointsOf(p), (Points{{2, 2}, {8, 2}, {8, 6}, {2, 6}}));

  port.InvertPolygon(p);
  EXPECT_EQ(canvas.CountAll(kRed), 0);
  EXPECT_EQ(canvas.Count(RGB(0, 255, 255), 12, 2, 6, 4), 24);

  // Scaled, a mapped copy is drawn and the points stay.
  canvas.Fill(kWhite);
  port.PopOrigin();
  port.PushScale(2.0, 2.0);
  port.PaintPolygon(p);
  port.PopScale();
  EXPECT_EQ(canvas.Count(kRed, 4, 4, 12, 8), 12 * 8);
  EXPECT_EQ(canvas.CountAll(kRed), 12 * 8);
  EXPECT_EQ(PointsOf(p), (Points{{2, 2}, {8, 2}, {8, 6}, {2, 6}}));

  VPolygon two;
  Build(two, {{0, 0}, {20, 10}});
  canvas.Fill(kWhite);
  port.PaintPolygon(two);
  port.FramePolygon(two);
  port.InvertPolygon(two);
  EXPECT_EQ(canvas.CountAll(kWhite), 28 * 16);
}

TEST(VPortPolygon, LineShapeRunsAcrossItsBoxInItsDirection) {
  for (const bool descending : {true, false}) {
    Canvas canvas(12, 12);
    VPort port(canvas.dc());
    port.SetPenColor(kBlack);
    VLineShape line;
    line.SetPosition(2, 3);
    line.SetSize(5, descending ? 5 : -5);
    port.DrawLineShape(line);
    for (int32_t i = 0; i < 5; ++i) {
      const int32_t y = descending ? 3 + i : 8 - i;
      EXPECT_EQ(canvas.Pixel(2 + i, y), kBlack) << descending << " " << i;
    }
    EXPECT_EQ(canvas.Count(kBlack, 0, 0, 12, 12), canvas.Count(kBlack, 2, 3, 6, 6));
  }
}

TEST(VPolygonRegion, OutlineBecomesARegionOfItsArea) {
  VPolygon square;
  Build(square, {{0, 0}, {10, 0}, {10, 10}, {0, 10}});
  square.Finish();
  VPolygon further;
  Build(further, {{20, 0}, {30, 0}, {30, 5}, {20, 5}});

  VRegion region(square);
  EXPECT_EQ(VRect(region.GetLeft(), region.GetTop(), region.GetWidth(), region.GetHeight()),
            VRect(0, 0, 10, 10));
  region.UnionPolygon(further);
  EXPECT_TRUE(region.Contains(VPoint(25, 2)));
  EXPECT_FALSE(region.Contains(VPoint(15, 2)));
  EXPECT_EQ(region.GetWidth(), 30);
  region.SubtractPolygon(square);
  EXPECT_FALSE(region.Contains(VPoint(5, 5)));
  EXPECT_EQ(region.GetLeft(), 20);

  VPolygon line;
  Build(line, {{0, 0}, {9, 9}});
  region.SetPolygon(line);
  EXPECT_TRUE(region.IsEmpty());
}
