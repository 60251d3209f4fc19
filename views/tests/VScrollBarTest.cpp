// Scroll bars: thumb size and place, hit parts, drawing by look element,
// bad sizes and values, and tracking driven by a scripted mouse.
#include "views/tests/ScrollTestSupport.h"

#include "views/VEvent.h"
#include "graphics/VLookPainter.h"

namespace {

// A look with the bar's metrics (thickness 16, minimum thumb 10) that notes
// each element it is asked to draw.
class BarLook : public VLookPainter {
 public:
  bool DrawElement(VPort&, int32_t kind, int32_t state, int32_t x, int32_t y, int32_t w, int32_t h,
                   const VString*, int32_t) override {
    log.push_back(std::to_string(kind) + "/" + std::to_string(state) + " " + std::to_string(x) +
                  "," + std::to_string(y) + "," + std::to_string(w) + "," + std::to_string(h));
    return true;
  }
  COLORREF GetColor(int32_t) override { return 0xFFFFFFFF; }
  bool GetFont(HDC, int32_t, VString&, int16_t&, uint8_t&, uint8_t&) override { return false; }
  int32_t GetMetric(int32_t id) override {
    const int32_t metrics[] = {proportional, 0, 16, 10, together};
    return id >= 0 && id < 5 ? metrics[id] : 0;
  }
  int32_t proportional = 1;
  int32_t together = 0;
  std::vector<std::string> log;
};

// Ports draw with look 2 or 3; the bar uses look 2.
class Bars : public HeadlessWindowTest {
 protected:
  void SetUp() override {
    HeadlessWindowTest::SetUp();
    saved_ = gLookPainters[2];
    gLookPainters[2] = &look_;
    owner_.content.ResizeTo(200, 200, 0);
  }
  void TearDown() override {
    ResetHeadlessInput();
    gLookPainters[2] = saved_;
    HeadlessWindowTest::TearDown();
  }
  // A vertical bar at (50, 20) of `parent` (the stub owner unless given).
  VScrollBar* MakeBar(int32_t length, int32_t maximum, int32_t page, int32_t value,
                      VFrame* parent = nullptr, bool horizontal = false) {
    auto* bar = new VScrollBar(parent != nullptr ? parent : &owner_, horizontal);
    bar->SetLookIndex(2);
    bar->MoveTo(50, 20, 0);
    bar->ResizeTo(length, length, 0);
    bar->SetMaximum(maximum, 0);
    bar->SetPageSize(page, 0);
    bar->SetValue(value, 0);
    bar->SetActive(maximum > 0, 0);
    return bar;
  }
  // Presses at bar point (x, y) at 1000 ms; the moves are in bar points.
  void Press(VScrollBar* bar, int32_t x, int32_t y,
             std::vector<std::pair<ULONGLONG, POINT>> moves, ULONGLONG releaseAt) {
    std::vector<HeadlessInputEntry> script{{1000, {50 + x, 20 + y}, HEADLESS_LEFT_BUTTON, {0}}};
    for (auto& m : moves) {
      script.push_back({m.first, {50 + m.second.x, 20 + m.second.y}, HEADLESS_LEFT_BUTTON, {0}});
    }
    if (releaseAt != 0) script.push_back({releaseAt, script.back().cursor, 0, {0}});
    ASSERT_TRUE(LoadHeadlessInput(script.data(), script.size(), 1000));
    VEvent down(x, y, 0, false, false, false, false, false, 1, 0);
    EXPECT_TRUE(bar->MouseDown(down));
  }
  BarLook look_;
  VLookPainter* saved_ = nullptr;
  StubOwner owner_;
};

TEST_F(Bars, TheThumbIsSizedByThePageAndPlacedByTheValue) {
  // {proportional, maximum, page, value, thumb, start}; length 230 and
  // thickness 16 leave a free track of 200 before the thumb.
  const int32_t cases[][6] = {
      {1, 300, 100, 0, 50, 15}, {1, 300, 100, 300, 50, 165}, {1, 300, 100, 150, 50, 90},
      {0, 300, 100, 0, 10, 15}, {1, 300, 0, 0, 10, 15},      {1, 100000, 1, 0, 10, 15},
      {1, 5, -5, 0, 10, 15},    // a negative page counts as none
      {1, 0, 100, 0, 200, 16},  // inactive: the whole track
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c[1] * 1000 + c[2]);
    look_.proportional = c[0];
    VScrollBar* bar = MakeBar(230, c[1], c[2], c[3]);
    int32_t l = 0, t = 0, r = 0, b = 0;
    bar->GetThumbRect(l, t, r, b);
    EXPECT_EQ(std::vector<int32_t>({bar->GetWidth(), l, r, t, b - t}),
              std::vector<int32_t>({16, 0, 16, c[5], c[1] == 0 ? 198 : c[4]}));
    delete bar;
  }
  // An active bar whose maximum becomes 0 puts its thumb at the track start.
  VScrollBar* bar = MakeBar(230, 300, 100, 200);
  bar->SetMaximum(0, 0);
  int32_t l = 0, t = 0, r = 0, b = 0;
  bar->GetThumbRect(l, t, r, b);
  EXPECT_EQ(t, 15);
  bar->SetMaximum(-40, 0);
  EXPECT_EQ(bar->GetMaximum(), 0);
  delete bar;
}

TEST_F(Bars, HitPartsCountTheEdgeLinesInside) {
  VScrollBar* bar = MakeBar(230, 300, 100, 0);  // thumb 15..65
  const int32_t cases[][3] = {{5, 0, 1},   {5, 16, 1},  {5, 17, 5},   {5, 65, 5},
                              {5, 66, 4},  {5, 213, 4}, {5, 214, 2},  {16, 230, 2},
                              {17, 5, 0},  {-1, 5, 0},  {5, 231, 0}};
  for (const auto& c : cases) EXPECT_EQ(bar->HitTest(c[0], c[1]), c[2]) << c[0] << "," << c[1];
  bar->SetValue(300, 0);  // thumb 165..215
  EXPECT_EQ(bar->HitTest(5, 100), 3);
  look_.together = 1;
  bar->ResizeTo(16, 230, 0);  // arrows 198..230, thumb 150..200
  EXPECT_EQ(std::vector<int32_t>({bar->HitTest(5, 0), bar->HitTest(5, 160), bar->HitTest(5, 199),
                                  bar->HitTest(5, 214)}),
            std::vector<int32_t>({3, 5, 1, 2}));
  delete bar;
}

TEST_F(Bars, EachPartIsDrawnAsALookElementInItsState) {
  using Log = std::vector<std::string>;
  const auto drawn = [&](bool horizontal, int32_t maximum, bool disabled) {
    VScrollBar* bar = MakeBar(100, maximum, 100, 0, root_, horizontal);
    bar->SetDisabled(disabled);
    look_.log.clear();
    bar->Invalidate(2);
    delete bar;
    return look_.log;
  };
  // Free track 70, thumb 17 at 15: the page area before it has no room.
  EXPECT_EQ(drawn(false, 300, false), (Log{"20/0 0,16,16,0", "20/0 0,32,16,52", "22/0 0,15,16,17",
                                          "28/0 0,0,16,16", "29/0 0,84,16,16", "23/0 0,0,16,100"}));
  // Nothing to scroll: no page areas and the track in place of the thumb.
  EXPECT_EQ(drawn(false, 0, false), (Log{"20/-96 0,16,16,68", "28/-96 0,0,16,16",
                                         "29/-96 0,84,16,16", "23/-96 0,0,16,100"}));
  EXPECT_EQ(drawn(true, 300, true), (Log{"19/-96 16,0,68,16", "26/-96 0,0,16,16",
                                         "27/-96 84,0,16,16", "23/-96 0,0,100,16"}));
}

TEST_F(Bars, AnArrowStepsAtOnceThenAfterTenTicksThenOncePerTick) {
  VScrollBar* bar = MakeBar(230, 10000, 100, 5000);
  Press(bar, 5, 5, {}, 1500);  // held for 30 ticks
  ASSERT_GE(owner_.steps.size(), 3u);
  for (int32_t s : owner_.steps) EXPECT_EQ(s, -20);
  EXPECT_GE(owner_.ticks[1] - owner_.ticks[0], 10u);
  for (size_t i = 2; i < owner_.ticks.size(); ++i) EXPECT_GE(owner_.ticks[i], owner_.ticks[i - 1] + 1);
  EXPECT_LE(owner_.steps.size(), 23u);
  EXPECT_GE(owner_.steps.size(), 15u);
  EXPECT_EQ(owner_.log.front(), "-972:0");
  EXPECT_EQ(owner_.log.back(), "-971:0");
  EXPECT_EQ(owner_.pressed.front(), 1);
  EXPECT_EQ(bar->GetPressedPart(), 0);
  delete bar;
}

TEST_F(Bars, SteppingStopsAtTheEndsWhenTheMouseLeavesAndOnShortBars) {
  VScrollBar* bar = MakeBar(230, 300, 100, 250);  // thumb 140..190
  Press(bar, 5, 20, {}, 1400);                     // paging back: a page, a cut page, then none
  EXPECT_EQ(owner_.steps, (std::vector<int32_t>{-190, -60}));
  owner_.steps.clear();
  owner_.pressed.clear();
  // Down arrow pressed, then the mouse moves onto the track: unpressed, no
  // more steps.
  Press(bar, 5, 220, {{1005, {5, 100}}}, 1400);
  EXPECT_EQ(owner_.steps, std::vector<int32_t>{20});
  EXPECT_EQ(owner_.pressed, (std::vector<int32_t>{2, 0}));
  // A bar shorter than its arrows and thumb tracks nothing.
  owner_.log.clear();
  bar->ResizeTo(16, 20, 0);
  EXPECT_FALSE(bar->IsLargeEnough());
  Press(bar, 5, 3, {}, 1100);
  EXPECT_TRUE(owner_.log.empty());
  delete bar;
}

TEST_F(Bars, TheThumbFollowsTheMouseUntilItStraysTooFar) {
  VScrollBar* bar = MakeBar(230, 300, 100, 0);  // free track 150: 2 values a pixel
  // Down 50 pixels, then 40 off the bar and further down (ignored), back on
  // the bar at the same height (nothing new), then up 25 pixels. The script
  // runs out with the button still down: the loop ends all the same.
  Press(bar, 5, 30, {{1010, {5, 80}}, {1020, {60, 130}}, {1030, {5, 80}}, {1040, {5, 55}}}, 0);
  std::vector<int32_t> moves;  // the first pass, at the press point, asks for 0
  for (int32_t s : owner_.steps) {
    if (s != 0) moves.push_back(s);
  }
  EXPECT_EQ(moves, (std::vector<int32_t>{100, -50}));
  EXPECT_EQ(bar->GetValue(), 50);
  EXPECT_EQ(owner_.log.back(), "-971:0");
  EXPECT_EQ(bar->GetPressedPart(), 0);
  delete bar;
}

}  // namespace
