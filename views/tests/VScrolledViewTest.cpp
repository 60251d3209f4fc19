// Scrolled views: clamping, bar states pulling the position back, limited
// steps, content following the view, scroll keys, and content coordinates
// for clicks, searches, drawing and invalidation.
#include "views/tests/ScrollTestSupport.h"

#include "views/VEvent.h"
#include "views/VShortcut.h"
#include "graphics/VPort.h"

namespace {

using Log = std::vector<std::string>;

// A sub-frame that paints itself blue and notes the point of a click.
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
    at = {e.GetX(), e.GetY()};
    return true;
  }
  std::pair<int32_t, int32_t> at{-1, -1};
};

struct Scrolled : testing::Test {
  void SetUp() override {
    view.ResizeTo(300, 200, 0);
    view.SetContentSize(1000, 500, false, 0);
    owner.log.clear();
  }
  StubOwner owner;
  VScrolledView& view = owner.content;
};

TEST_F(Scrolled, ScrollToClampsToTheContentAndBarStatesPullBack) {
  view.ScrollTo(-5, 10000, true, 7);
  EXPECT_EQ(view.GetScrollX(), 0);
  EXPECT_EQ(view.GetScrollY(), 500);
  EXPECT_EQ(owner.log, Log{"layout 7"});
  int32_t value = -1, maximum = -1, page = -1;
  view.GetVerticalBarState(value, maximum, page);
  EXPECT_EQ(std::vector<int32_t>({value, maximum, page, view.GetScrollY()}),
            std::vector<int32_t>({300, 300, 200, 300}));
  // Content smaller than the view: nothing to scroll, position 0.
  view.SetContentSize(100, 50, false, 0);
  view.ScrollTo(80, 40, false, 0);
  view.GetHorizontalBarState(value, maximum, page);
  EXPECT_EQ(std::vector<int32_t>({value, maximum, page, view.GetScrollX()}),
            std::vector<int32_t>({0, 0, 300, 0}));
}

TEST_F(Scrolled, StepsStayInsideTheScrollableRange) {
  // Content 500 high, view 200: the range is 0..300.
  const int32_t cases[][3] = {{0, -20, 0},    {270, 50, 30},  {300, 20, 0}, {100, -150, -100},
                              {100, 0, 0},    {10, -20, -10}, {0, 1000, 300}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c[0] * 10000 + c[1]);
    view.ScrollTo(0, c[0], false, 0);
    EXPECT_EQ(view.LimitVerticalStep(c[1]), c[2]);
    EXPECT_EQ(view.GetScrollY(), c[0]);
  }
  view.SetContentSize(0, 0, false, 0);  // empty content
  EXPECT_EQ(view.LimitHorizontalStep(20), 0);
  EXPECT_EQ(view.LimitHorizontalStep(-20), 0);
}

TEST_F(Scrolled, ContentFollowsTheViewOnRequest) {
  view.SetContentSize(-1, -1, true, 3);
  EXPECT_EQ(owner.log, Log{"-983:3"});
  view.ResizeTo(400, 250, 0);
  EXPECT_EQ(view.GetContentWidth(), 400);
  EXPECT_EQ(view.GetContentHeight(), 250);
  int32_t value = -1, maximum = -1, page = -1;
  view.GetVerticalBarState(value, maximum, page);
  EXPECT_EQ(maximum, 0);
  // Switching a flag lays the container out once; setting it again does not.
  owner.log.clear();
  view.SetWidthFollowsView(false);
  view.SetWidthFollowsView(false);
  EXPECT_EQ(owner.log, Log{"layout 1"});
}

TEST_F(Scrolled, ScrollKeysSendOneRequestEach) {
  const std::pair<int16_t, const char*> cases[] = {
      {kKeyHome, "-988:-500"}, {kKeyEnd, "-988:500"}, {kKeyPageUp, "-988:-190"},
      {kKeyPageDown, "-988:190"}, {kKeyLeft, "-989:-20"}, {kKeyRight, "-989:20"},
      {kKeyUp, "-988:-20"}, {kKeyDown, "-988:20"}, {kKeyControl, nullptr}, {kKeyPad9, nullptr}};
  for (const auto& c : cases) {
    owner.log.clear();
    EXPECT_EQ(view.HandleScrollKey(VShortcut(0, c.first, false, false, false)), c.second != nullptr);
    EXPECT_EQ(owner.log, c.second != nullptr ? Log{c.second} : Log{});
  }
  // A view of 10 pixels or less still pages forwards.
  view.ResizeTo(8, 8, 0);
  EXPECT_GT(view.GetVerticalPageStep(false), 0);
  EXPECT_GT(view.GetHorizontalPageStep(false), 0);
}

TEST_F(Scrolled, PointsCrossingTheBorderBecomeContentPoints) {
  auto* spot = new Spot(&view, 100, 40);
  view.ScrollTo(100, 40, false, 0);
  int32_t ox = -1, oy = -1;
  spot->GetOrigin(ox, oy);
  EXPECT_EQ(std::make_pair(ox, oy), std::make_pair(0, 0));
  VEvent down(10, 10, 0, false, false, false, false, false, 1, 0);
  EXPECT_TRUE(view.DispatchMouse(down));
  EXPECT_EQ(spot->at, std::make_pair(10, 10));  // content (110, 50) less the spot's place
  EXPECT_EQ(view.FindFrameAt(VPoint(10, 10)), spot);
  EXPECT_EQ(view.FindClickTarget(VPoint(10, 10), true), spot);
  // The view's own box is at view coordinates, whatever the position.
  EXPECT_EQ(view.FindFrameAt(VPoint(250, 150)), &view);
  EXPECT_EQ(view.FindFrameAt(VPoint(310, 150)), nullptr);
  // Shifting moves the position only; ScrollBy moves the sub-frames too.
  view.ShiftScrollPosition(-100, -40);
  view.ScrollBy(nullptr, 30, 0);
  spot->GetOrigin(ox, oy);
  EXPECT_EQ(std::make_pair(ox, oy), std::make_pair(70, 40));
}

TEST_F(HeadlessWindowTest, ScrolledContentIsDrawnAndInvalidatedShiftedByThePosition) {
  auto* view = new VScrolledView(root_);
  view->MoveTo(20, 10, 0);
  view->ResizeTo(100, 60, 0);
  view->SetContentSize(400, 300, false, 0);
  new Spot(view, 150, 100);
  view->ScrollTo(140, 90, false, 0);
  ValidateRect(window_, nullptr);
  // Content (150, 100) shows at view (10, 10), window (30, 20).
  view->InvalidateRect(150, 100, 20, 20, 2);
  EXPECT_EQ(Pixel(35, 25), RGB(0, 0, 255));
  EXPECT_NE(Pixel(25, 15), RGB(0, 0, 255));
  EXPECT_FALSE(Invalid(35, 25));
  EXPECT_EQ(root_->GetPortUses(), 0);
  // A content rectangle is clipped to the view before it reaches the window;
  // one wholly outside the view invalidates nothing.
  view->InvalidateRect(0, 0, 50, 50, 1);
  EXPECT_FALSE(Invalid(25, 15));
  view->InvalidateRect(100, 50, 1000, 1000, 1);
  EXPECT_TRUE(Invalid(119, 69));
  EXPECT_FALSE(Invalid(121, 50));
  EXPECT_FALSE(Invalid(50, 71));
}

}  // namespace
