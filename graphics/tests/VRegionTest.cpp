// Tests of regions: constructors and their boxes, the set operations, handle
// ownership, and the stored 'Wrgn' form with its checks of bad data.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "framework/core/memory/VMemoryMgr.h"
#include "graphics/VPoint.h"
#include "graphics/VRegion.h"
#include "platform/gdi/WinGdi.h"

namespace {

void ExpectBox(const VShape& s, int32_t x, int32_t y, int32_t w, int32_t h) {
  EXPECT_EQ(s.GetLeft(), x);
  EXPECT_EQ(s.GetTop(), y);
  EXPECT_EQ(s.GetWidth(), w);
  EXPECT_EQ(s.GetHeight(), h);
}

VMemHandle HandleOf(const std::vector<uint8_t>& bytes) {
  return gMemoryMgr->NewHandleFromData(bytes.data(), static_cast<uint32_t>(bytes.size()));
}

std::vector<uint8_t> BytesOf(VMemHandle h) {
  const uint32_t size = gMemoryMgr->GetHandleSize(h);
  const auto* p = static_cast<const uint8_t*>(gMemoryMgr->LockHandle(h));
  std::vector<uint8_t> bytes(p, p + size);
  gMemoryMgr->UnlockHandle(h);
  return bytes;
}

uint32_t Read32(const std::vector<uint8_t>& b, size_t at) {
  uint32_t v;
  std::memcpy(&v, b.data() + at, 4);
  return v;
}

int32_t ReadS32(const std::vector<uint8_t>& b, size_t at) { return static_cast<int32_t>(Read32(b, at)); }

void Write32(std::vector<uint8_t>& b, size_t at, uint32_t v) { std::memcpy(b.data() + at, &v, 4); }

// An L-shaped region: (0, 0, 20, 10) and (0, 10, 10, 10).
VRegion LShape() {
  VRegion r(0, 0, 20, 10);
  r.UnionBox(0, 10, 10, 10);
  return r;
}

}  // namespace

TEST(VRegion, DefaultIsAnEmptyOwnedRegion) {
  VRegion r;
  ASSERT_NE(r.GetHandle(), nullptr);
  EXPECT_TRUE(r.IsOwned());
  EXPECT_TRUE(r.IsEmpty());
  ExpectBox(r, 0, 0, 0, 0);
}

TEST(VRegion, BoxConstructorKeepsTheBoxAsGiven) {
  VRegion r(5, 6, 0, 5);
  ExpectBox(r, 5, 6, 0, 5);
  // A region is empty only when both sides of its box are 0.
  EXPECT_FALSE(r.IsEmpty());
}

TEST(VRegion, SetPositionMovesTheHandle) {
  VRegion r(5, 7, 10, 10);
  r.SetPosition(0, 0);
  ExpectBox(r, 0, 0, 10, 10);
  RECT box{};
  GetRgnBox(r.GetHandle(), &box);
  EXPECT_EQ(box.left, 0);
  EXPECT_EQ(box.top, 0);
  EXPECT_EQ(box.right, 10);
  EXPECT_EQ(box.bottom, 10);
  EXPECT_TRUE(r.Contains(VPoint(0, 0)));
  EXPECT_FALSE(r.Contains(VPoint(12, 12)));
}

TEST(VRegion, SetSizeAndInsetChangeNothing) {
  VRegion r(5, 7, 10, 10);
  r.SetSize(100, 100);
  r.Inset(2, 2);
  ExpectBox(r, 5, 7, 10, 10);
  EXPECT_TRUE(r.Contains(VPoint(14, 16)));
}

TEST(VRegion, SubtractingItsOwnRectangleLeavesAnEmptyRegion) {
  VRect rect(3, 4, 10, 20);
  VRegion r(rect);
  r.SubtractRect(rect);
  EXPECT_TRUE(r.IsEmpty());
  ExpectBox(r, 0, 0, 0, 0);
}

TEST(VRegion, ContainsUsesTheShapeNotTheBox) {
  VRegion l = LShape();
  ExpectBox(l, 0, 0, 20, 20);
  EXPECT_TRUE(l.Contains(VPoint(15, 5)));
  EXPECT_TRUE(l.Contains(VPoint(5, 15)));
  EXPECT_FALSE(l.Contains(VPoint(15, 15)));
  EXPECT_FALSE(l.Contains(VPoint(20, 5)));
  l.SetPosition(100, 100);
  EXPECT_TRUE(l.ContainsLocal(VPoint(5, 15)));
  EXPECT_FALSE(l.ContainsLocal(VPoint(15, 15)));
  EXPECT_TRUE(l.Intersects(VRect(110, 100, 5, 5)));
  EXPECT_FALSE(l.Intersects(VRect(112, 112, 5, 5)));
}

TEST(VRegion, SetOperationsCombineAndUpdateTheBounds) {
  VRegion r(0, 0, 10, 10);
  r.UnionRect(VRect(20, 0, 10, 10));
  ExpectBox(r, 0, 0, 30, 10);
  EXPECT_FALSE(r.Contains(VPoint(15, 5)));
  r.IntersectBox(5, 0, 20, 5);
  ExpectBox(r, 5, 0, 20, 5);
  r.XorBox(5, 0, 5, 5);
  ExpectBox(r, 20, 0, 5, 5);
  r.SetBox(-3, -4, 2, 2);
  ExpectBox(r, -3, -4, 2, 2);

  VRegion other(0, 0, 4, 4);
  r.Union(other);
  ExpectBox(r, -3, -4, 7, 8);
  r.Subtract(other);
  ExpectBox(r, -3, -4, 2, 2);
  r.Xor(other);
  EXPECT_TRUE(r.Contains(VPoint(1, 1)));
  r.Intersect(other);
  ExpectBox(r, 0, 0, 4, 4);
  r.Assign(VRegion(7, 7, 1, 1));
  ExpectBox(r, 7, 7, 1, 1);
}

TEST(VRegion, OvalAndRoundRectangleRegionsLeaveTheCornersOut) {
  VRegion oval(VOval{}, VRect(0, 0, 40, 20));
  ExpectBox(oval, 0, 0, 40, 20);
  EXPECT_TRUE(oval.Contains(VPoint(20, 10)));
  EXPECT_FALSE(oval.Contains(VPoint(0, 0)));
  EXPECT_FALSE(oval.Contains(VPoint(39, 19)));

  VRegion round(VRoundRectShape(0, 0, 40, 40, 20, 20));
  EXPECT_TRUE(round.Contains(VPoint(20, 0)));
  EXPECT_FALSE(round.Contains(VPoint(0, 0)));

  VRegion r(0, 0, 40, 20);
  r.SubtractOval(VRect(0, 0, 40, 20));
  EXPECT_TRUE(r.Contains(VPoint(0, 0)));
  EXPECT_FALSE(r.Contains(VPoint(20, 10)));
  r.SetRoundRect(VRoundRectShape(10, 10, 10, 10, 4, 4));
  ExpectBox(r, 10, 10, 10, 10);
  r.UnionOval(VRect(30, 10, 10, 10));
  ExpectBox(r, 10, 10, 30, 10);
}

TEST(VRegion, CopyHasItsOwnHandle) {
  VRegion l = LShape();
  VRegion copy(l);
  EXPECT_NE(copy.GetHandle(), l.GetHandle());
  EXPECT_TRUE(EqualRgn(copy.GetHandle(), l.GetHandle()));
  copy.SetPosition(50, 50);
  EXPECT_EQ(l.GetLeft(), 0);
  EXPECT_TRUE(l.Contains(VPoint(1, 1)));
}

TEST(VRegion, ABorrowedHandleStaysTheCallersThroughEverySetOperation) {
  HRGN mine = CreateRectRgn(0, 0, 10, 10);
  {
    VRegion r(mine, false);
    ExpectBox(r, 0, 0, 10, 10);
    r.UnionBox(10, 0, 10, 10);
    EXPECT_EQ(r.GetHandle(), mine);
    ExpectBox(r, 0, 0, 20, 10);
    r.SetEmpty();
    EXPECT_EQ(r.GetHandle(), mine);
    EXPECT_FALSE(r.IsOwned());
    ExpectBox(r, 0, 0, 0, 0);
  }
  // Still alive after the region went, and emptied in place.
  RECT box{1, 1, 1, 1};
  EXPECT_EQ(GetRgnBox(mine, &box), NULLREGION);
  EXPECT_TRUE(DeleteObject(mine));
}

TEST(VRegion, DetachWithReplaceHandsTheHandleOver) {
  VRegion r(0, 0, 10, 10);
  HRGN taken = r.DetachHandle(true);
  EXPECT_NE(r.GetHandle(), taken);
  EXPECT_TRUE(r.IsEmpty());
  EXPECT_TRUE(PtInRegion(taken, 5, 5));
  EXPECT_TRUE(DeleteObject(taken));

  HRGN borrowed = r.DetachHandle(false);
  EXPECT_EQ(borrowed, r.GetHandle());
}

TEST(VRegion, ReplaceHandleAdoptsOrCopies) {
  VRegion r(0, 0, 10, 10);
  HRGN given = CreateRectRgn(5, 5, 8, 9);
  r.ReplaceHandle(given, false);
  EXPECT_NE(r.GetHandle(), given);
  ExpectBox(r, 5, 5, 3, 4);
  r.ReplaceHandle(given, true);
  EXPECT_EQ(r.GetHandle(), given);
  EXPECT_TRUE(r.IsOwned());
}

TEST(VRegion, StoredFormIsTheCodeThenTheRegionData) {
  VRegion l = LShape();
  VMemHandle h = l.ToHandle();
  ASSERT_NE(h, 0u);
  std::vector<uint8_t> b = BytesOf(h);
  ASSERT_EQ(b.size(), 4u + 32u + 2u * 16u);
  // The code as a native 32-bit value: "ngrW" on this little-endian machine.
  EXPECT_EQ(std::memcmp(b.data(), "ngrW", 4), 0);
  EXPECT_EQ(Read32(b, 4), 32u);   // dwSize
  EXPECT_EQ(Read32(b, 8), 1u);    // iType
  EXPECT_EQ(Read32(b, 12), 2u);   // nCount
  EXPECT_EQ(Read32(b, 16), 32u);  // nRgnSize
  EXPECT_EQ(ReadS32(b, 20), 0);   // rcBound
  EXPECT_EQ(ReadS32(b, 24), 0);
  EXPECT_EQ(ReadS32(b, 28), 20);
  EXPECT_EQ(ReadS32(b, 32), 20);
  const int32_t rects[8] = {0, 0, 20, 10, 0, 10, 10, 20};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(ReadS32(b, 36 + 4 * i), rects[i]) << i;
  gMemoryMgr->DisposeHandle(h);
}

TEST(VRegion, StoredFormRoundTripsShapeAndBox) {
  VRegion source(VOval{}, VRect(3, 4, 30, 17));
  source.UnionBox(40, 40, 5, 5);
  VMemHandle h = source.ToHandle();
  ASSERT_NE(h, 0u);
  VRegion copy(100, 100, 1, 1);
  ASSERT_TRUE(copy.FromHandle(h));
  EXPECT_TRUE(EqualRgn(copy.GetHandle(), source.GetHandle()));
  ExpectBox(copy, source.GetLeft(), source.GetTop(), source.GetWidth(), source.GetHeight());
  // The handle stays the caller's and unlocked.
  EXPECT_FALSE(gMemoryMgr->IsLocked(h));
  gMemoryMgr->DisposeHandle(h);
}

TEST(VRegion, EmptyRegionStoresAHeaderAlone) {
  VRegion empty;
  VMemHandle h = empty.ToHandle();
  ASSERT_NE(h, 0u);
  EXPECT_EQ(gMemoryMgr->GetHandleSize(h), 36u);
  VRegion r(1, 1, 5, 5);
  EXPECT_TRUE(r.FromHandle(h));
  EXPECT_TRUE(r.IsEmpty());
  gMemoryMgr->DisposeHandle(h);
}

TEST(VRegion, RegionWithoutHandleStoresNothing) {
  VRegion r(nullptr, false);
  EXPECT_EQ(r.ToHandle(), 0u);
}

class VRegionBadData : public testing::Test {
 protected:
  void SetUp() override {
    VRegion l = LShape();
    VMemHandle h = l.ToHandle();
    ASSERT_NE(h, 0u);
    good = BytesOf(h);
    gMemoryMgr->DisposeHandle(h);
  }

  // Reads the bytes into a region (5, 5, 2, 2) and checks it refused them
  // and kept its shape.
  void ExpectRefused(const std::vector<uint8_t>& bytes) {
    VRegion r(5, 5, 2, 2);
    VMemHandle h = bytes.empty() ? gMemoryMgr->NewEmptyHandle() : HandleOf(bytes);
    ASSERT_NE(h, 0u);
    EXPECT_FALSE(r.FromHandle(h));
    ExpectBox(r, 5, 5, 2, 2);
    EXPECT_TRUE(r.Contains(VPoint(6, 6)));
    EXPECT_FALSE(gMemoryMgr->IsLocked(h));
    gMemoryMgr->DisposeHandle(h);
  }

  std::vector<uint8_t> good;
};

TEST_F(VRegionBadData, AnotherCodeChangesNothing) {
  std::vector<uint8_t> b = good;
  b[0] = 'X';
  ExpectRefused(b);
}

TEST_F(VRegionBadData, TruncatedDataIsRefused) {
  ExpectRefused({});
  ExpectRefused(std::vector<uint8_t>(good.begin(), good.begin() + 3));
  ExpectRefused(std::vector<uint8_t>(good.begin(), good.begin() + 4));
  ExpectRefused(std::vector<uint8_t>(good.begin(), good.begin() + 35));
  ExpectRefused(std::vector<uint8_t>(good.begin(), good.end() - 1));
  ExpectRefused(std::vector<uint8_t>(good.begin(), good.end() - 16));
}

TEST_F(VRegionBadData, HeaderSizeOtherThan32IsRefused) {
  std::vector<uint8_t> b = good;
  Write32(b, 4, 28);
  ExpectRefused(b);
  Write32(b, 4, 48);
  ExpectRefused(b);
}

TEST_F(VRegionBadData, TypeOtherThanRectanglesIsRefused) {
  std::vector<uint8_t> b = good;
  Write32(b, 8, 2);
  ExpectRefused(b);
}

TEST_F(VRegionBadData, CountThatDisagreesWithTheSizeIsRefused) {
  std::vector<uint8_t> b = good;
  Write32(b, 12, 3);
  ExpectRefused(b);
  Write32(b, 12, 1);
  ExpectRefused(b);
  Write32(b, 12, 0x10000001u);  // count x 16 wraps to 16 in 32 bits
  ExpectRefused(b);
  std::vector<uint8_t> longer = good;
  longer.resize(good.size() + 8, 0);
  ExpectRefused(longer);
}
