// Outline drags on scripted input: the distance moved, pinned to the limit,
// one axis only, let go outside the slop rectangle, ended by the button going
// up, and a drag without a script to move it on.
#include <gtest/gtest.h>

#include <vector>

#include "platform/gdi/WinGdi.h"
#include "platform/toolbox/TbxDrag.h"
#include "platform/toolbox/TbxPorts.h"
#include "platform/toolbox/TbxWindows.h"
#include "platform/win32/WinInput.h"
#include "platform/win32/WinWindowState.h"

namespace {

using namespace Tbx;

class OutlineDrag : public testing::Test {
 protected:
  void SetUp() override {
    ResetHeadlessInput();
    ResetHeadlessWindowState();
    region_ = NewRgn();
    SetRectRgn(region_, 100, 100, 200, 150);
  }
  void TearDown() override {
    DisposeRgn(region_);
    ResetHeadlessInput();
  }
  static HeadlessInputEntry At(ULONGLONG time, LONG x, LONG y, bool down) {
    HeadlessInputEntry e{};
    e.time = time;
    e.cursor = POINT{x, y};
    e.buttons = down ? HEADLESS_LEFT_BUTTON : 0;
    return e;
  }
  RgnHandle region_ = 0;
};

int16_t Dh(int32_t r) { return static_cast<int16_t>(r & 0xFFFF); }
int16_t Dv(int32_t r) { return static_cast<int16_t>((static_cast<uint32_t>(r) >> 16) & 0xFFFF); }

TEST_F(OutlineDrag, FollowsThePointerWithinTheLimitAndAxis) {
  const Rect limit{50, 20, 400, 500};  // top, left, bottom, right
  const Rect wide{0, 0, 768, 1024};
  struct Case {
    const char* name;
    LONG endX, endY;
    int16_t axis;
    const Rect* slop;
    int16_t dh, dv;
    bool aborted;
  } cases[] = {
      {"plain", 130, 145, noConstraint, &wide, 10, 25, false},
      {"back and up", 90, 60, noConstraint, &wide, -30, -60, false},
      {"pinned right and down", 900, 700, noConstraint, &wide, 499 - 120, 399 - 120, false},
      {"pinned left and up", 0, 0, noConstraint, &wide, 20 - 120, 50 - 120, false},
      {"horizontal only", 150, 300, hAxisOnly, &wide, 30, 0, false},
      {"vertical only", 150, 300, vAxisOnly, &wide, 0, 180, false},
      {"let go outside the slop", 600, 130, noConstraint, nullptr, 0, 0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const HeadlessInputEntry script[] = {At(0, 120, 120, true), At(10, 125, 125, true),
                                         At(20, c.endX, c.endY, true)};
    ASSERT_TRUE(LoadHeadlessInput(script, 3, 0));
    const int32_t r = DragGrayRgn(region_, Point{120, 120}, &limit, c.slop, c.axis, nullptr);
    if (c.aborted) {
      EXPECT_EQ(r, kDragAborted);
    } else {
      EXPECT_EQ(Dh(r), c.dh);
      EXPECT_EQ(Dv(r), c.dv);
    }
    EXPECT_GE(GetLastDragPolls(), 10);  // two reads a poll, 20 ms of script
    UnloadHeadlessInput();
  }
}

int gActions = 0;
void CountAction() { ++gActions; }

TEST_F(OutlineDrag, TheButtonGoingUpEndsTheDragWhereThePointerWas) {
  const Rect limit{0, 0, 768, 1024};
  const HeadlessInputEntry script[] = {At(0, 100, 100, true), At(10, 140, 110, true),
                                       At(20, 160, 130, false), At(40, 300, 300, true)};
  ASSERT_TRUE(LoadHeadlessInput(script, 4, 0));
  gActions = 0;
  const int32_t r =
      DragGrayRgn(region_, Point{100, 100}, &limit, nullptr, noConstraint, CountAction);
  EXPECT_EQ(Dh(r), 60);
  EXPECT_EQ(Dv(r), 30);
  // The later press is not part of this drag: the script still runs.
  EXPECT_TRUE(HeadlessInputPending());
  EXPECT_EQ(gActions, GetLastDragPolls());
  EXPECT_LT(GetLastDragPolls(), 40);
}

COLORREF gCorner = 0, gEdge = 0, gInside = 0;
void LookAtOutline() {
  HDC screen = GetDC(nullptr);
  gCorner = GetPixel(screen, 110, 125);
  gEdge = GetPixel(screen, 150, 125);
  gInside = GetPixel(screen, 150, 150);
  ReleaseDC(nullptr, screen);
}

TEST_F(OutlineDrag, TheOutlineShowsThroughTheClipOnlyWhileDragging) {
  GrafPtr desk = nullptr;
  GetWMgrPort(&desk);
  SetPort(desk);
  RgnHandle clip = NewRgn();
  SetRectRgn(clip, 0, 0, 140, 768);  // the outline's top edge is cut at x = 140
  SetPortClipRegion(desk, clip);
  HDC screen = GetDC(nullptr);
  const COLORREF corner = GetPixel(screen, 110, 125);
  const COLORREF edge = GetPixel(screen, 150, 125);
  const COLORREF inside = GetPixel(screen, 150, 150);
  const Rect limit{0, 0, 768, 1024};
  const HeadlessInputEntry script[] = {At(0, 120, 120, true), At(10, 130, 145, true),
                                       At(20, 130, 145, true)};
  ASSERT_TRUE(LoadHeadlessInput(script, 3, 0));
  const int32_t r =
      DragGrayRgn(region_, Point{120, 120}, &limit, nullptr, noConstraint, LookAtOutline);
  EXPECT_EQ(Dh(r), 10);
  EXPECT_EQ(Dv(r), 25);
  EXPECT_NE(gCorner, corner);  // inverted at the last poll
  EXPECT_EQ(gEdge, edge);      // outside the clip
  EXPECT_EQ(gInside, inside);  // only the outline
  EXPECT_EQ(GetPixel(screen, 110, 125), corner);
  EXPECT_EQ(GetPixel(screen, 100, 100), GetPixel(screen, 99, 99));
  ReleaseDC(nullptr, screen);
  SetRectRgn(clip, -32768, -32768, 32767, 32767);
  SetPortClipRegion(desk, clip);
  DisposeRgn(clip);
  SetPort(nullptr);
}

TEST_F(OutlineDrag, EndsAtOnceWithoutAScriptAndRefusesWhatIsMissing) {
  const Rect limit{0, 0, 768, 1024};
  SetHeadlessKeyDown(VK_LBUTTON, true);
  SetCursorPos(110, 105);
  const int32_t r = DragGrayRgn(region_, Point{100, 100}, &limit, nullptr, noConstraint, nullptr);
  EXPECT_EQ(Dh(r), 10);
  EXPECT_EQ(Dv(r), 5);
  EXPECT_EQ(GetLastDragPolls(), 1);
  EXPECT_EQ(DragGrayRgn(0, Point{100, 100}, &limit, nullptr, noConstraint, nullptr), kDragAborted);
  EXPECT_EQ(DragGrayRgn(region_, Point{100, 100}, nullptr, nullptr, noConstraint, nullptr),
            kDragAborted);
}

}  // namespace
