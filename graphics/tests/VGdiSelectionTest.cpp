// VGdiSelection: the displaced object goes back when the guard ends, early
// returns and moves included, and a failed selection restores nothing.
#include <gtest/gtest.h>

#include <utility>

#include "graphics/VGdiSelection.h"
#include "platform/gdi/WinGdi.h"

namespace {

class MemoryDC {
 public:
  MemoryDC() : dc_(CreateCompatibleDC(nullptr)) {}
  ~MemoryDC() { DeleteDC(dc_); }
  operator HDC() const { return dc_; }

 private:
  HDC dc_;
};

HGDIOBJ CurrentPen(HDC dc) { return GetCurrentObject(dc, OBJ_PEN); }

TEST(VGdiSelection, TheDisplacedObjectReturnsWhenTheGuardEnds) {
  MemoryDC dc;
  HGDIOBJ original = CurrentPen(dc);
  HPEN red = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
  auto drawWithRed = [&](bool leaveEarly) {
    VGdiSelection selection(dc, red);
    EXPECT_TRUE(selection.IsHeld());
    EXPECT_EQ(selection.GetDisplaced(), original);
    EXPECT_EQ(CurrentPen(dc), red);
    if (leaveEarly) return;
    MoveToEx(dc, 0, 0, nullptr);
  };
  drawWithRed(true);
  EXPECT_EQ(CurrentPen(dc), original);
  drawWithRed(false);
  EXPECT_EQ(CurrentPen(dc), original);
  EXPECT_TRUE(DeleteObject(red));
}

TEST(VGdiSelection, RestoreAnswersWhatComesOut) {
  MemoryDC dc;
  HGDIOBJ original = CurrentPen(dc);
  HPEN red = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
  HPEN blue = CreatePen(PS_SOLID, 1, RGB(0, 0, 255));
  VGdiSelection selection(dc, red);
  EXPECT_EQ(selection.Restore(), red);
  EXPECT_EQ(CurrentPen(dc), original);
  EXPECT_FALSE(selection.IsHeld());
  EXPECT_EQ(selection.Restore(), nullptr);  // once only
  // Something selected in the guarded one's place comes out instead.
  selection = VGdiSelection(dc, red);
  SelectObject(dc, blue);
  EXPECT_EQ(selection.Restore(), blue);
  EXPECT_EQ(CurrentPen(dc), original);
  DeleteObject(red);
  DeleteObject(blue);
}

TEST(VGdiSelection, FailedSelectionsHoldNothing) {
  MemoryDC dc;
  HGDIOBJ original = CurrentPen(dc);
  HPEN stale = CreatePen(PS_SOLID, 1, 0);
  DeleteObject(stale);
  struct Case {
    HDC dc;
    HGDIOBJ object;
  } cases[] = {{nullptr, GetStockObject(BLACK_PEN)}, {dc, nullptr}, {dc, stale}};
  for (const Case& k : cases) {
    {
      VGdiSelection selection(k.dc, k.object);
      EXPECT_FALSE(selection.IsHeld());
      EXPECT_EQ(selection.GetDisplaced(), nullptr);
    }
    EXPECT_EQ(CurrentPen(dc), original);
  }
}

TEST(VGdiSelection, AMovedGuardRestoresOnceFromItsNewPlace) {
  MemoryDC dc;
  HGDIOBJ original = CurrentPen(dc);
  HPEN red = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
  {
    VGdiSelection outer;
    {
      VGdiSelection inner(dc, red);
      outer = std::move(inner);
    }
    EXPECT_EQ(CurrentPen(dc), red);  // the moved-from guard gave nothing back
    VGdiSelection last(std::move(outer));
    EXPECT_FALSE(outer.IsHeld());
    EXPECT_TRUE(last.IsHeld());
  }
  EXPECT_EQ(CurrentPen(dc), original);
  DeleteObject(red);
}

}  // namespace
