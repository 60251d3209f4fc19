// A bar dragged off its dock on the input timeline ends in a floating
// window of the dock's process window, and dragged onto an edge again comes
// back into the dock where it was dropped.
#include <gtest/gtest.h>

#include <vector>

#include "controls/bars/VToolBarItemDragger.h"
#include "views/VDockFloatingBarWindow.h"
#include "views/VDockView.h"
#include "views/tests/ScrollTestSupport.h"
#include "platform/toolbox/TbxWindows.h"

namespace {

class Bar : public VDockBar {
 public:
  Bar(VFrame* parent, int32_t w, int32_t h) : VDockBar(parent) { ResizeTo(w, h, 0); }
  void GetFloatingSize(int32_t& w, int32_t& h) override {
    w = 80;
    h = 40;
  }
  int32_t GetDockedLength(bool horizontal) override { return horizontal ? 150 : 90; }
  int32_t GetDockedThickness(bool horizontal) override { return horizontal ? 20 : 24; }
  // Sized for the side, as a bar does.
  void SetDockSide(int16_t side) override {
    sides.push_back(side);
    const bool horizontal = side == kDockTop || side == kDockBottom;
    ResizeTo(horizontal ? 100 : 24, horizontal ? 20 : 90, 0);
  }
  std::vector<int16_t> sides;
};

class FloatingBar : public HeadlessWindowTest {
 protected:
  void SetUp() override {
    HeadlessWindowTest::SetUp();
    VBarDraggerService::Install(&kToolBarItemDraggerRunner);
    VDockFloatingWindowService::Install(&kDockFloatingBarWindowMaker);
    root_->ResizeTo(300, 200, 0);
    dock_ = new VDockView(root_);
    dock_->ResizeTo(300, 200, 0);
    bar_ = new Bar(dock_, 100, 20);
    dock_->DockBar(bar_, kDockTop, kDockNoPosition, kDockNoPosition, true);
  }
  void TearDown() override {
    delete dock_;
    VDockFloatingWindowService::Remove(&kDockFloatingBarWindowMaker);
    VBarDraggerService::Remove(&kToolBarItemDraggerRunner);
    ResetHeadlessInput();
    HeadlessWindowTest::TearDown();
  }
  // Presses at screen point `from`, holds the button over `over` and lets
  // the dock track the bar from `start` (dock coordinates).
  void Drag(POINT from, POINT over, POINT to, int32_t startX, int32_t startY) {
    std::vector<HeadlessInputEntry> script{{0, from, HEADLESS_LEFT_BUTTON, {0}},
                                           {10, over, HEADLESS_LEFT_BUTTON, {0}},
                                           {20, to, HEADLESS_LEFT_BUTTON, {0}}};
    ASSERT_TRUE(LoadHeadlessInput(script.data(), script.size(), 0));
    dock_->TrackBar(bar_, startX, startY);
    UnloadHeadlessInput();
  }
  POINT DockToScreen(int32_t x, int32_t y) {
    int32_t sx = 0, sy = 0;
    dock_->LocalToScreen(sx, sy);
    return POINT{sx + x, sy + y};
  }
  VDockFloatingBarWindow* Floating() {
    return dynamic_cast<VDockFloatingBarWindow*>(dock_->GetFloatingWindow());
  }
  VDockView* dock_ = nullptr;
  Bar* bar_ = nullptr;
};

TEST_F(FloatingBar, ADraggedOffBarFloatsInItsOwnWindowAndComesBack) {
  // Off the dock: outside every zone.
  Drag(DockToScreen(10, 5), DockToScreen(12, 8), DockToScreen(150, 100), 10, 5);
  ASSERT_EQ(dock_->GetBarSide(bar_), kDockFloating);
  VDockFloatingBarWindow* floating = Floating();
  ASSERT_NE(floating, nullptr);
  EXPECT_TRUE(floating->IsOpen());
  EXPECT_EQ(floating->GetOwner(), dock_);
  EXPECT_EQ(floating->GetSleepTicks(), 2u);
  EXPECT_EQ(floating->GetStackSize(), 16000u);
  EXPECT_TRUE(floating->IsLocal());
  VWindowView* window = floating->WindowOf(bar_);
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(floating->HasFrame(window));
  EXPECT_EQ(bar_->GetWindowView(), window);
  EXPECT_TRUE(floating->HoldsWindow(window->GetToolboxWindow()));
  EXPECT_FALSE(floating->HoldsWindow(root_->GetToolboxWindow()));
  EXPECT_TRUE(Tbx::IsWindowVisible(window->GetToolboxWindow()));
  // The window takes the bar's floating size, where the drag ended less the
  // grab (10, 5) and 2 pixels, in the top-level window's coordinates.
  int32_t topX = 0, topY = 0;
  dock_->GetPositionInTopWindow(topX, topY);
  int32_t left = 0, top = 0, width = 0, height = 0;
  Tbx::GetWindowBounds(window->GetToolboxWindow(), &left, &top, &width, &height);
  EXPECT_EQ(left, topX + 150 - 10 - 2);
  EXPECT_EQ(top, topY + 100 - 5 - 2);
  EXPECT_EQ(width, 80);
  EXPECT_EQ(height, 40);
  EXPECT_EQ(bar_->GetWidth(), 80);
  // The dock no longer keeps room for it.
  EXPECT_EQ(dock_->CountBars(), 0);
  EXPECT_EQ(dock_->GetTopMargin(), 0);

  // Hiding the dock hides the bar's window.
  dock_->SetVisible(false);
  EXPECT_FALSE(Tbx::IsWindowVisible(window->GetToolboxWindow()));
  dock_->SetVisible(true);
  EXPECT_TRUE(Tbx::IsWindowVisible(window->GetToolboxWindow()));

  // Back onto the top edge, grabbed where it lies in its window: it docks
  // where it was dropped, the grab kept.
  int32_t barX = 0, barY = 0, dockX = 0, dockY = 0;
  bar_->LocalToScreen(barX, barY);
  dock_->LocalToScreen(dockX, dockY);
  const int32_t startX = barX - dockX + 10;
  const int32_t startY = barY - dockY + 5;
  Drag(POINT{barX + 10, barY + 5}, POINT{barX + 12, barY + 8}, DockToScreen(150, 3), startX,
       startY);
  EXPECT_EQ(dock_->GetBarSide(bar_), kDockTop);
  EXPECT_EQ(bar_->GetParent(), dock_);
  EXPECT_EQ(bar_->GetWindowView(), root_);
  EXPECT_EQ(floating->CountBars(), 0u);
  EXPECT_EQ(floating->CountFrames(), 0);
  EXPECT_FALSE(Tbx::IsWindowVisible(window->GetToolboxWindow()));
  EXPECT_FALSE(floating->HoldsWindow(window->GetToolboxWindow()));
  int32_t x = 0, y = 0;
  bar_->GetPosition(x, y);
  EXPECT_EQ(x, 150 - 10 - 2);
  EXPECT_EQ(y, 0);
  EXPECT_EQ(dock_->GetTopMargin(), 20);
  ASSERT_FALSE(bar_->sides.empty());
  EXPECT_EQ(bar_->sides.back(), kDockTop);
}

}  // namespace
