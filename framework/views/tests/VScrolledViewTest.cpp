// Scrolled views: clamping of the position, bar states pulling it back,
// limited steps, content that follows the view, scroll keys, and content
// coordinates for clicks, searches and drawing in a headless window.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/views/VEvent.h"
#include "framework/views/VFrameServices.h"
#include "framework/views/VScrolledView.h"
#include "framework/views/VShortcut.h"
#include "framework/views/VWindowView.h"
#include "graphics/VPort.h"
#include "platform/gdi/WinGdi.h"
#include "platform/win32/WinInput.h"
#include "platform/win32/WinPaint.h"
#include "platform/win32/WinWindowState.h"
#include "platform/win32/WinWindows.h"

namespace {

// Stands in for the container: logs the messages and layouts it receives.
class Holder : public VView, public VScrollOwner {
 public:
  Holder() : VView(nullptr) { ResizeTo(300, 200, 0); }
  bool NotifyParent(VFrame*, int32_t message, intptr_t parameter) override {
    fLog.push_back(std::to_string(message) + ":" + std::to_string(parameter));
    return true;
  }
  void Layout(int32_t mode) override { fLog.push_back("layout " + std::to_string(mode)); }
  void DrawBarNow(VScrollBar*) override {}
  VScrolledView* GetContentView() override { return nullptr; }
  std::vector<std::string> fLog;
};

// A sub-frame that paints itself and notes the point of a click.
class Spot : public VFrame {
 public:
  Spot(VFrame* parent, int32_t x, int32_t y) : VFrame(parent, nullptr) {
    MoveTo(x, y, 0);
    ResizeTo(20, 20, 0);
  }
  void DrawContent(VPort& port) override {
    port.SetFillColor(RGB(0, 0, 255));
    port.PaintRect(0, 0, GetWidth(), GetHeight());
  }
  bool MouseDown(VEvent& e) override {
    fX = e.GetX();
    fY = e.GetY();
    return true;
  }
  int32_t fX = -1;
  int32_t fY = -1;
};

struct Scrolled : testing::Test {
  void SetUp() override {
    view = new VScrolledView(&holder);
    view->ResizeTo(300, 200, 0);
    view->SetContentSize(1000, 500, false, 0);
    holder.fLog.clear();
  }
  void TearDown() override { delete view; }
  Holder holder;
  VScrolledView* view = nullptr;
};

TEST_F(Scrolled, ScrollToClampsToTheContentAndBarStatesPullBack) {
  view->ScrollTo(-5, 10000, true, 7);
  EXPECT_EQ(view->GetScrollX(), 0);
  EXPECT_EQ(view->GetScrollY(), 500);
  EXPECT_EQ(holder.fLog, std::vector<std::string>{"layout 7"});
  int32_t value = -1, maximum = -1, page = -1;
  view->GetVerticalBarState(value, maximum, page);
  EXPECT_EQ(value, 300);
  EXPECT_EQ(maximum, 300);
  EXPECT_EQ(page, 200);
  EXPECT_EQ(view->GetScrollY(), 300);
  // Content smaller than the view: nothing to scroll, position 0.
  view->SetContentSize(100, 50, false, 0);
  view->ScrollTo(80, 40, false, 0);
  view->GetHorizontalBarState(value, maximum, page);
  EXPECT_EQ(value, 0);
  EXPECT_EQ(maximum, 0);
  EXPECT_EQ(page, 300);
  EXPECT_EQ(view->GetScrollX(), 0);
}

TEST_F(Scrolled, StepsStayInsideTheScrollableRange) {
  struct Case {
    int32_t scroll;
    int32_t step;
    int32_t expected;
  };
  // Vertical: content 500, view 200, so the range is 0..300.
  const Case cases[] = {{0, -20, 0},   {270, 50, 30}, {300, 20, 0},   {100, -150, -100},
                        {100, 0, 0},   {10, -20, -10}, {0, 1000, 300}, {150, 50, 50}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.scroll * 10000 + c.step);
    view->ScrollTo(0, c.scroll, false, 0);
    EXPECT_EQ(view->LimitVerticalStep(c.step), c.expected);
    EXPECT_EQ(view->GetScrollY(), c.scroll);
  }
  // Empty content: no step either way.
  view->SetContentSize(0, 0, false, 0);
  view->ScrollTo(0, 0, false, 0);
  EXPECT_EQ(view->LimitHorizontalStep(20), 0);
  EXPECT_EQ(view->LimitHorizontalStep(-20), 0);
}

TEST_F(Scrolled, ContentFollowsTheViewOnRequest) {
  view->SetContentSize(-1, -1, true, 3);
  EXPECT_EQ(view->GetContentWidth(), 300);
  EXPECT_EQ(view->GetContentHeight(), 200);
  EXPECT_EQ(holder.fLog, std::vector<std::string>{"-983:3"});
  view->ResizeTo(400, 250, 0);
  EXPECT_EQ(view->GetContentWidth(), 400);
  EXPECT_EQ(view->GetContentHeight(), 250);
  int32_t value = -1, maximum = -1, page = -1;
  view->GetHorizontalBarState(value, maximum, page);
  EXPECT_EQ(maximum, 0);
  view->GetVerticalBarState(value, maximum, page);
  EXPECT_EQ(maximum, 0);
  // Switching a flag lays the container out once; setting it again does not.
  holder.fLog.clear();
  view->SetWidthFollowsView(false);
  view->SetWidthFollowsView(false);
  EXPECT_EQ(holder.fLog, std::vector<std::string>{"layout 1"});
}

TEST_F(Scrolled, ScrollKeysSendOneRequestEach) {
  struct Case {
    int16_t code;
    const char* sent;
  };
  const Case cases[] = {{kKeyHome, "-988:-500"}, {kKeyEnd, "-988:500"},
                        {kKeyPageUp, "-988:-190"}, {kKeyPageDown, "-988:190"},
                        {kKeyLeft, "-989:-20"},  {kKeyRight, "-989:20"},
                        {kKeyUp, "-988:-20"},    {kKeyDown, "-988:20"}};
  for (const Case& c : cases) {
    holder.fLog.clear();
    EXPECT_TRUE(view->HandleScrollKey(VShortcut(0, c.code, false, false, false)));
    EXPECT_EQ(holder.fLog, std::vector<std::string>{c.sent});
  }
  holder.fLog.clear();
  EXPECT_FALSE(view->HandleScrollKey(VShortcut(0, kKeyControl, false, false, false)));
  EXPECT_FALSE(view->HandleScrollKey(VShortcut(0, kKeyPad9, false, false, false)));
  EXPECT_TRUE(holder.fLog.empty());
  // A view of 10 pixels or less still pages forwards.
  view->ResizeTo(8, 8, 0);
  EXPECT_GT(view->GetVerticalPageStep(false), 0);
  EXPECT_GT(view->GetHorizontalPageStep(false), 0);
}

TEST_F(Scrolled, PointsCrossingTheBorderBecomeContentPoints) {
  auto* spot = new Spot(view, 100, 40);
  view->ScrollTo(100, 40, false, 0);
  int32_t ox = 0, oy = 0;
  spot->GetOrigin(ox, oy);
  EXPECT_EQ(ox, 0);
  EXPECT_EQ(oy, 0);
  VEvent down(10, 10, 0, false, false, false, false, false, 1, 0);
  EXPECT_TRUE(view->DispatchMouse(down));
  EXPECT_EQ(spot->fX, 10);  // content (110, 50) less the spot's place
  EXPECT_EQ(spot->fY, 10);
  EXPECT_EQ(view->FindFrameAt(VPoint(10, 10)), spot);
  EXPECT_EQ(view->FindClickTarget(VPoint(10, 10), true), spot);
  // The view's own box is at view coordinates, whatever the position.
  EXPECT_EQ(view->FindFrameAt(VPoint(250, 150)), view);
  EXPECT_EQ(view->FindFrameAt(VPoint(310, 150)), nullptr);
  // Shifting moves the position only.
  view->ShiftScrollPosition(-100, -40);
  EXPECT_EQ(view->GetScrollX(), 0);
  spot->GetOrigin(ox, oy);
  EXPECT_EQ(ox, 0);
  view->ScrollBy(nullptr, 0, 0);
  spot->GetOrigin(ox, oy);
  EXPECT_EQ(ox, 0);
  view->ScrollBy(nullptr, 30, 0);
  spot->GetOrigin(ox, oy);
  EXPECT_EQ(ox, 70);
}

class ScrolledWindow : public testing::Test {
 protected:
  void SetUp() override {
    ResetHeadlessInput();
    ResetHeadlessWindowState();
    VFrameAreaService::Install(&kFrameAreaProc);
    VFrameWindowService::Install(&kFrameWindowProc);
    window_ = CreateHeadlessWindow(200, 100);
    root_ = new VWindowView(window_);
    view_ = new VScrolledView(root_);
    view_->MoveTo(20, 10, 0);
    view_->ResizeTo(100, 60, 0);
    view_->SetContentSize(400, 300, false, 0);
    new Spot(view_, 150, 100);
    ValidateRect(window_, nullptr);
  }
  void TearDown() override {
    delete root_;
    if (IsWindow(window_)) DestroyWindow(window_);
    VFrameWindowService::Remove(&kFrameWindowProc);
    VFrameAreaService::Remove(&kFrameAreaProc);
  }
  bool Invalid(int x, int y) {
    HRGN r = CreateRectRgn(0, 0, 0, 0);
    GetUpdateRgn(window_, r, FALSE_);
    const bool in = PtInRegion(r, x, y) != 0;
    DeleteObject(r);
    return in;
  }
  COLORREF Pixel(int x, int y) {
    HDC dc = GetDC(window_);
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(window_, dc);
    return c;
  }
  HWND window_ = nullptr;
  VWindowView* root_ = nullptr;
  VScrolledView* view_ = nullptr;
};

TEST_F(ScrolledWindow, ContentIsDrawnAndInvalidatedShiftedByThePosition) {
  view_->ScrollTo(140, 90, false, 0);
  ValidateRect(window_, nullptr);
  // Content (150, 100) shows at view (10, 10), window (30, 20).
  view_->InvalidateRect(150, 100, 20, 20, 2);
  EXPECT_EQ(Pixel(35, 25), RGB(0, 0, 255));
  EXPECT_EQ(Pixel(25, 15) == RGB(0, 0, 255), false);
  EXPECT_FALSE(Invalid(35, 25));
  EXPECT_EQ(root_->GetPortUses(), 0);
  // A content rectangle is clipped to the view before it reaches the window.
  view_->InvalidateRect(100, 50, 1000, 1000, 1);
  EXPECT_TRUE(Invalid(119, 69));
  EXPECT_FALSE(Invalid(121, 50));
  EXPECT_FALSE(Invalid(50, 71));
  ValidateRect(window_, nullptr);
  // Content wholly outside the view invalidates nothing.
  view_->InvalidateRect(0, 0, 50, 50, 1);
  EXPECT_FALSE(Invalid(25, 15));
}

}  // namespace
