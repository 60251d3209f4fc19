// Tracking the close and zoom boxes and the grow box with scripted input,
// the menu bar, and the update bracket's clip and update region.
#include <gtest/gtest.h>

#include <vector>

#include "platform/toolbox/TbxRegions.h"
#include "platform/toolbox/TbxWindowTracking.h"
#include "platform/toolbox/TbxWindows.h"
#include "platform/win32/WinInput.h"
#include "platform/win32/WinPaint.h"
#include "platform/win32/WinWindowState.h"

namespace {

using namespace Tbx;

const uint8_t kTitle[] = "\x04Tool";

class WindowTracking : public testing::Test {
 protected:
  void SetUp() override {
    ResetHeadlessInput();
    Rect bounds{100, 100, 250, 300};  // content 200 x 150 at (100, 100)
    window_ = NewCWindow(nullptr, &bounds, kTitle, true, zoomDocProc, kInFront, true, 0);
    ASSERT_NE(window_, nullptr);
  }
  void TearDown() override {
    DisposeWindow(window_);
    SetPort(nullptr);
    ResetHeadlessInput();
    ResetHeadlessWindowState();
  }
  // The first point of the title bar where FindWindow answers `part`.
  Point PartPoint(int16_t part) {
    for (int16_t v = 80; v < 100; ++v)
      for (int16_t h = 95; h < 305; ++h) {
        WindowRef w = nullptr;
        if (FindWindow(Point{v, h}, &w) == part && w == window_) return Point{v, h};
      }
    ADD_FAILURE() << "no point for part " << part;
    return Point{0, 0};
  }
  // The button goes down at `from` and comes up at `to`.
  void Press(Point from, Point to) {
    const HeadlessInputEntry entries[] = {
        {0, POINT{from.h, from.v}, HEADLESS_LEFT_BUTTON, {0}},
        {5, POINT{to.h, to.v}, HEADLESS_LEFT_BUTTON, {0}},
        {10, POINT{to.h, to.v}, 0, {0}},
    };
    ASSERT_TRUE(LoadHeadlessInput(entries, 3, 0));
  }
  WindowRef window_ = nullptr;
};

TEST_F(WindowTracking, BoxesAnswerWhetherTheButtonCameUpOverThem) {
  const Point close = PartPoint(inGoAway);
  const Point zoom = PartPoint(inZoomOut);
  const Point content{150, 150};
  struct Case {
    int16_t part;  // inGoAway for TrackGoAway, else TrackBox's part
    Point start, end;
    bool expected;
  } cases[] = {
      {inGoAway, close, close, true},
      {inGoAway, close, content, false},
      {inZoomOut, zoom, zoom, true},
      {inZoomOut, zoom, close, false},
      {inZoomIn, zoom, zoom, false},  // the window is not zoomed: that point is the zoom-out box
  };
  for (const Case& c : cases) {
    Press(c.start, c.end);
    const bool answer = c.part == inGoAway ? TrackGoAway(window_, c.start) : TrackBox(window_, c.start, c.part);
    EXPECT_EQ(answer, c.expected) << c.part << " to " << c.end.h << "," << c.end.v;
    UnloadHeadlessInput();
  }
  // Another part is no box to track.
  Press(close, close);
  EXPECT_FALSE(TrackBox(window_, close, inGoAway));
}

TEST_F(WindowTracking, GrowAnswersTheNewSizeWithinTheLimits) {
  const Point corner{248, 298};
  const Rect limits{80, 100, 400, 500};  // least 100 x 80, greatest 500 x 400
  struct Case {
    Point end;
    int32_t width, height;  // 0, 0: no change
  } cases[] = {
      {Point{278, 348}, 250, 180},
      {Point{900, 900}, 500, 400},
      {Point{10, 10}, 100, 80},
      {corner, 0, 0},
  };
  for (const Case& c : cases) {
    Press(corner, c.end);
    const int32_t size = GrowWindow(window_, corner, &limits);
    EXPECT_EQ(size & 0xFFFF, c.width) << c.end.h;
    EXPECT_EQ((size >> 16) & 0xFFFF, c.height) << c.end.h;
    UnloadHeadlessInput();
  }
  EXPECT_EQ(GrowWindow(window_, corner, nullptr), 0);
}

TEST_F(WindowTracking, ForgedWindowsAndTheMenuBarTrackNothing) {
  WindowRecord forged{};
  Press(Point{150, 150}, Point{150, 150});
  EXPECT_FALSE(TrackGoAway(&forged, Point{150, 150}));
  const Rect limits{0, 0, 500, 500};
  EXPECT_EQ(GrowWindow(&forged, Point{150, 150}, &limits), 0);
  Press(Point{5, 5}, Point{5, 5});
  EXPECT_EQ(MenuSelect(Point{5, 5}), 0);
  // A button held down without a script ends after the bounded polls.
  UnloadHeadlessInput();
  SetHeadlessKeyDown(VK_LBUTTON, true);
  EXPECT_FALSE(TrackGoAway(window_, Point{150, 150}));
  SetHeadlessKeyDown(VK_LBUTTON, false);
}

TEST_F(WindowTracking, UpdateBracketClipsToTheUpdateAndEmptiesIt) {
  HWND native = GetNativeWindow(window_);
  ValidateRect(native, nullptr);
  const RECT dirty{10, 20, 60, 70};
  InvalidateRect(native, &dirty, FALSE_);
  BeginUpdate(window_);
  RECT update{1, 1, 1, 1};
  EXPECT_FALSE(GetUpdateRect(native, &update, FALSE_));
  RgnHandle clip = NewRgn();
  GetPortClipRegion(GetWindowPort(window_), clip);
  Rect box{};
  GetRegionBounds(clip, &box);
  EXPECT_EQ(box.left, 10);
  EXPECT_EQ(box.top, 20);
  EXPECT_EQ(box.right, 60);
  EXPECT_EQ(box.bottom, 70);
  EndUpdate(window_);
  GetPortClipRegion(GetWindowPort(window_), clip);
  GetRegionBounds(clip, &box);
  EXPECT_LT(box.left, 0);
  EXPECT_GT(box.right, 200);
  // A second EndUpdate has nothing to restore.
  EndUpdate(window_);
  DisposeRgn(clip);
}

}  // namespace
