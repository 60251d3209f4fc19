// Tracking the menu bar, and tracking that ends by itself: in a window that
// is not the emulation's, or with a button held down and no script.
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

class MenuTracking : public testing::Test {
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

TEST_F(MenuTracking, ForgedWindowsAndTheMenuBarTrackNothing) {
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

}  // namespace
