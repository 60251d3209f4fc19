// Tracking in a window's frame on scripted input (drag, grow, close and zoom
// boxes), zooming there and back, update brackets and the once-a-turn call.
#include <gtest/gtest.h>

#include <vector>

#include "platform/gdi/WinGdi.h"
#include "platform/toolbox/TbxWindows.h"
#include "platform/win32/WinInput.h"
#include "platform/win32/WinPaint.h"
#include "platform/win32/WinWindowState.h"

namespace {

using namespace Tbx;

class WindowTracking : public testing::Test {
 protected:
  void SetUp() override {
    ResetHeadlessInput();
    ResetHeadlessWindowState();
    Rect r{100, 100, 300, 300};  // content (100, 100) to (300, 300)
    window_ = NewCWindow(nullptr, &r, reinterpret_cast<const uint8_t*>("\x01W"), true, zoomDocProc,
                         kInFront, true, 0);
    ASSERT_NE(window_, nullptr);
  }
  void TearDown() override {
    DisposeWindow(window_);
    SetPort(nullptr);
    ResetHeadlessInput();
    ResetHeadlessWindowState();
  }
  // The button down at `from`, moved to `to` and let go there.
  void Play(int16_t fromH, int16_t fromV, int16_t toH, int16_t toV) {
    std::vector<HeadlessInputEntry> script(3);
    script[0] = HeadlessInputEntry{0, POINT{fromH, fromV}, HEADLESS_LEFT_BUTTON, {0}};
    script[1] = HeadlessInputEntry{10, POINT{toH, toV}, HEADLESS_LEFT_BUTTON, {0}};
    script[2] = HeadlessInputEntry{20, POINT{toH, toV}, 0, {0}};
    ASSERT_TRUE(LoadHeadlessInput(script.data(), script.size(), 0));
    AdvanceHeadlessClock(1);
  }
  Rect Content() {
    int32_t l = 0, t = 0, w = 0, h = 0;
    GetWindowBounds(window_, &l, &t, &w, &h);
    return Rect{static_cast<int16_t>(t), static_cast<int16_t>(l), static_cast<int16_t>(t + h),
                static_cast<int16_t>(l + w)};
  }
  WindowRef window_ = nullptr;
};

TEST_F(WindowTracking, DragMovesByTheDistanceWithinTheLimit) {
  const Rect limit{0, 0, 700, 900};
  struct Case {
    const char* name;
    int16_t toH, toV;
    int16_t left, top;
  } cases[] = {
      {"moved", 230, 125, 130, 140},
      {"moved up and left", 150, 60, 50, 75},
      {"let go outside the limit", 950, 125, 100, 100},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MoveWindow(window_, 100, 100, false);
    Play(200, 85, c.toH, c.toV);
    DragWindow(window_, Point{85, 200}, &limit);
    EXPECT_EQ(Content().left, c.left);
    EXPECT_EQ(Content().top, c.top);
    UnloadHeadlessInput();
  }
}

TEST_F(WindowTracking, GrowAnswersTheNewSizeWithinTheLimits) {
  const Rect limits{50, 60, 250, 400};  // least height 50, width 60; most 250 and 400
  struct Case {
    const char* name;
    int16_t toH, toV;
    int32_t answer;
  } cases[] = {
      {"larger", 340, 320, (225 << 16) | 245},
      {"held to the largest", 900, 900, (250 << 16) | 400},
      {"held to the least", 110, 110, (50 << 16) | 60},
      {"unchanged", 295, 295, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Play(295, 295, c.toH, c.toV);
    EXPECT_EQ(GrowWindow(window_, Point{295, 295}, &limits), c.answer);
    UnloadHeadlessInput();
  }
  EXPECT_EQ(GrowWindow(nullptr, Point{0, 0}, &limits), 0);
}

TEST_F(WindowTracking, CloseAndZoomBoxesCountOnlyWhenLetGoOverThem) {
  struct Case {
    const char* name;
    int16_t part;  // 0: the close box
    int16_t toH, toV;
    bool tracked;
  } cases[] = {
      {"close box", 0, 112, 85, true},
      {"close box, let go on the title", 0, 200, 85, false},
      {"zoom box", inZoomOut, 285, 85, true},
      {"zoom box, let go in the content", inZoomOut, 285, 150, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int16_t h = c.part == 0 ? 112 : 285;
    Play(h, 85, c.toH, c.toV);
    const bool tracked =
        c.part == 0 ? TrackGoAway(window_, Point{85, h}) : TrackBox(window_, Point{85, h}, c.part);
    EXPECT_EQ(tracked, c.tracked);
    UnloadHeadlessInput();
  }
  EXPECT_FALSE(TrackBox(window_, Point{85, 285}, inGoAway));
}

TEST_F(WindowTracking, ZoomOutFillsTheDesktopAndZoomInComesBack) {
  ZoomWindow(window_, inZoomOut, true);
  RgnHandle gray = GetGrayRgn();
  Rect desk{0, 0, 0, 0};
  GetRegionBounds(gray, &desk);
  const Rect zoomed = Content();
  EXPECT_GT(zoomed.right - zoomed.left, 200);
  EXPECT_LE(zoomed.right, desk.right);
  EXPECT_GT(zoomed.top, desk.top);  // the title bar stays on the desktop
  EXPECT_EQ(FrontWindow(), window_);
  // The zoom box now zooms in.
  WindowRef under = nullptr;
  RECT outer{0, 0, 0, 0};
  GetWindowRect(GetNativeWindow(window_), &outer);
  EXPECT_EQ(
      FindWindow(Point{static_cast<int16_t>(outer.top + 6), static_cast<int16_t>(outer.right - 12)},
                 &under),
      inZoomIn);
  ZoomWindow(window_, inZoomIn, false);
  const Rect back = Content();
  EXPECT_EQ(back.left, 100);
  EXPECT_EQ(back.top, 100);
  EXPECT_EQ(back.right, 300);
  EXPECT_EQ(back.bottom, 300);
}

TEST_F(WindowTracking, UpdateBracketClipsToTheUpdateRegionAndValidates) {
  HWND native = GetNativeWindow(window_);
  ValidateRect(native, nullptr);
  const RECT dirty{10, 10, 30, 40};
  InvalidateRect(native, &dirty, FALSE_);
  int32_t begun0 = 0, ended0 = 0;
  CountUpdates(&begun0, &ended0);
  BeginUpdate(window_);
  RgnHandle clip = NewRgn();
  GetPortClipRegion(GetWindowPort(window_), clip);
  Rect box{0, 0, 0, 0};
  GetRegionBounds(clip, &box);
  EXPECT_EQ(box.left, 10);
  EXPECT_EQ(box.bottom, 40);
  EndUpdate(window_);
  RECT left{0, 0, 0, 0};
  EXPECT_FALSE(GetUpdateRect(native, &left, FALSE_));
  GetPortClipRegion(GetWindowPort(window_), clip);
  GetRegionBounds(clip, &box);
  EXPECT_LT(box.left, 0);  // open again
  DisposeRgn(clip);
  int32_t begun = 0, ended = 0;
  CountUpdates(&begun, &ended);
  EXPECT_EQ(begun - begun0, 1);
  EXPECT_EQ(ended - ended0, 1);
  BeginUpdate(nullptr);
  CountUpdates(&begun, &ended);
  EXPECT_EQ(begun - begun0, 1);
}

}  // namespace
