// The bar drag on the input timeline in a headless window: the zone under
// the mouse picks the side and the outline, the screen is left as it was,
// and the dock moves the bar to the side the drag ends on.
#include "controls/bars/VToolBarItemDragger.h"

#include <gtest/gtest.h>

#include <vector>

#include "views/VDockView.h"
#include "views/tests/ScrollTestSupport.h"

namespace {

struct Box {
  int32_t x, y, w, h;
  bool operator==(const Box&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Box& b) {
  return os << "(" << b.x << ", " << b.y << ", " << b.w << " x " << b.h << ")";
}
Box BoxOf(const VRect& r) { return {r.GetLeft(), r.GetTop(), r.GetWidth(), r.GetHeight()}; }

class Bar : public VDockBar {
 public:
  Bar(VFrame* parent, int32_t w, int32_t h) : VDockBar(parent) { ResizeTo(w, h, 0); }
  void GetFloatingSize(int32_t& w, int32_t& h) override {
    w = 80;
    h = 40;
  }
  int32_t GetDockedLength(bool horizontal) override { return horizontal ? 150 : 90; }
  int32_t GetDockedThickness(bool horizontal) override { return horizontal ? 20 : 24; }
  void SetDockSide(int16_t) override {}
};

class BarDrag : public HeadlessWindowTest {
 protected:
  void SetUp() override {
    HeadlessWindowTest::SetUp();
    root_->ResizeTo(300, 200, 0);
    dock_ = new VDockView(root_);
    dock_->ResizeTo(300, 200, 0);
    bar_ = new Bar(dock_, 100, 20);
    dock_->DockBar(bar_, kDockTop, kDockNoPosition, kDockNoPosition, true);
  }
  void TearDown() override {
    ResetHeadlessInput();
    HeadlessWindowTest::TearDown();
  }
  // Presses at dock point (x, y) and holds the button through the moves
  // (dock points, 10 ms apart) until the script runs out; `run` tracks.
  template <typename Run>
  void Drag(int32_t x, int32_t y, const std::vector<POINT>& moves, Run run) {
    int32_t sx = 0, sy = 0;
    dock_->LocalToScreen(sx, sy);
    std::vector<HeadlessInputEntry> script{{0, {sx + x, sy + y}, HEADLESS_LEFT_BUTTON, {0}}};
    ULONGLONG t = 0;
    for (const POINT& m : moves)
      script.push_back({t += 10, {sx + m.x, sy + m.y}, HEADLESS_LEFT_BUTTON, {0}});
    ASSERT_TRUE(LoadHeadlessInput(script.data(), script.size(), 0));
    run();
    UnloadHeadlessInput();
  }
  std::vector<COLORREF> Screen() {
    std::vector<COLORREF> v;
    for (int y = 0; y < 200; y += 3) {
      for (int x = 0; x < 300; x += 3) v.push_back(Pixel(x, y));
    }
    return v;
  }
  VDockView* dock_ = nullptr;
  Bar* bar_ = nullptr;
};

TEST_F(BarDrag, TheZoneUnderTheMousePicksTheSideAndTheOutline) {
  VBarDragSetup setup;
  setup.outlines[0] = VRect(0, 0, 80, 40);
  setup.outlines[1] = VRect(0, 0, 150, 20);
  setup.outlines[2] = VRect(0, 0, 24, 90);
  setup.zones[0] = VRect(0, 20, 24, 180);
  setup.zones[1] = VRect(0, 0, 300, 40);
  setup.zones[2] = VRect(276, 20, 24, 180);
  setup.zones[3] = VRect(0, 180, 300, 20);
  setup.side = kDockTop;
  const struct {
    POINT end;
    int16_t side;
    Box outline;
  } cases[] = {
      {{10, 100}, kDockLeft, {-2, 93, 24, 90}},
      {{150, 30}, kDockTop, {138, 23, 150, 20}},
      {{290, 100}, kDockRight, {278, 93, 24, 90}},
      {{150, 195}, kDockBottom, {138, 188, 150, 20}},
      {{150, 100}, kDockFloating, {138, 93, 80, 40}},
  };
  for (const auto& c : cases) {
    HDC dc = GetDC(window_);
    HBRUSH brush = CreateSolidBrush(RGB(40, 160, 90));
    HRGN all = CreateRectRgn(0, 0, 300, 200);
    FillRgn(dc, all, brush);
    DeleteObject(all);
    DeleteObject(brush);
    ReleaseDC(window_, dc);
    const std::vector<COLORREF> before = Screen();
    VToolBarItemDragger dragger(dock_, 10, 5, bar_);
    EXPECT_EQ(dragger.GetMode(), kDragClipMainWindow);
    // The first outline is the bar's rectangle 2 pixels left and up.
    EXPECT_EQ(BoxOf(dragger.GetOutline()), (Box{-2, -2, 100, 20}));
    dragger.SetDragSetup(setup);
    Drag(10, 5, {POINT{12, 8}, c.end}, [&] { dragger.Track(); });
    EXPECT_EQ(dragger.GetSide(), c.side) << c.end.x << "," << c.end.y;
    EXPECT_EQ(BoxOf(dragger.GetOutline()), c.outline) << c.end.x << "," << c.end.y;
    VBarDragResult result;
    dragger.GetResult(result);
    EXPECT_EQ(result.dockX, c.end.x);
    EXPECT_EQ(result.dockY, c.end.y);
    // Every outline drawn was taken away again.
    EXPECT_EQ(Screen(), before);
  }
}

TEST_F(BarDrag, TheDockMovesTheBarWhereTheDragEnds) {
  VInstalledService<const VBarDraggerRunner> runner(&kToolBarItemDraggerRunner);
  const struct {
    POINT end;
    int16_t side;
    int32_t x, y;
  } cases[] = {
      {{10, 100}, kDockLeft, 0, 93},
      {{290, 100}, kDockRight, 200, 93},
      {{150, 195}, kDockBottom, 138, 180},  // the point less the grab, less 2
      {{150, 3}, kDockTop, 138, 0},
  };
  for (const auto& c : cases) {
    int32_t bx = 0, by = 0;
    bar_->GetPosition(bx, by);
    Drag(bx + 10, by + 5, {POINT{bx + 12, by + 7}, c.end},
         [&] { dock_->TrackBar(bar_, bx + 10, by + 5); });
    EXPECT_EQ(dock_->GetBarSide(bar_), c.side) << c.end.x << "," << c.end.y;
    int32_t x = 0, y = 0;
    bar_->GetPosition(x, y);
    EXPECT_EQ(x, c.x) << c.end.x << "," << c.end.y;
    EXPECT_EQ(y, c.y) << c.end.x << "," << c.end.y;
  }
}

TEST_F(BarDrag, TheOutlineIsFourPixelsWhereTheBarWouldFloatAndOneOverAZone) {
  VBarDragSetup setup;
  setup.outlines[0] = VRect(0, 0, 80, 40);
  setup.outlines[1] = VRect(0, 0, 150, 20);
  setup.outlines[2] = VRect(0, 0, 24, 90);
  setup.zones[0] = VRect(0, 20, 24, 180);
  setup.zones[1] = VRect(0, 0, 300, 40);
  setup.zones[2] = VRect(276, 20, 24, 180);
  setup.zones[3] = VRect(0, 180, 300, 20);
  setup.side = kDockTop;
  HDC dc = GetDC(window_);
  HBRUSH brush = CreateSolidBrush(RGB(40, 160, 90));
  HRGN all = CreateRectRgn(0, 0, 300, 200);
  FillRgn(dc, all, brush);
  DeleteObject(all);
  DeleteObject(brush);
  ReleaseDC(window_, dc);
  const COLORREF ground = Pixel(150, 150);
  VPort* port = dock_->GetPort();
  ASSERT_NE(port, nullptr);
  VToolBarItemDragger dragger(dock_, 10, 5, bar_);
  dragger.SetDragSetup(setup);
  dragger.BeginTrack(*port);
  // How many pixels from the outline's left edge inward, half-way down,
  // the outline changed.
  auto thickness = [&] {
    const VRect& o = dragger.GetOutline();
    int n = 0;
    for (int x = o.GetLeft(); x < o.GetLeft() + 8; ++x)
      n += Pixel(x, o.GetTop() + o.GetHeight() / 2) != ground ? 1 : 0;
    return n;
  };
  const struct {
    int32_t dx, dy;
    int16_t side;
    int thick;
  } steps[] = {{140, 95, kDockFloating, 4}, {-130, 0, kDockLeft, 1}, {130, 0, kDockFloating, 4}};
  for (const auto& step : steps) {
    dragger.TrackMove(*port, nullptr, nullptr, step.dx, step.dy);
    EXPECT_EQ(dragger.GetSide(), step.side);
    EXPECT_EQ(thickness(), step.thick) << step.side;
  }
  // Taken away at the end: no trace.
  dragger.EndTrack(*port, nullptr);
  EXPECT_EQ(thickness(), 0);
}

}  // namespace
