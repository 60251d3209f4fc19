// Scroll bars: thumb size and place, hit parts, bad sizes and values, and
// the tracking loop driven by a scripted mouse on the virtual clock.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/system/environment/VSystemServices.h"
#include "framework/views/VEvent.h"
#include "framework/views/VScrollBar.h"
#include "framework/views/VScrollOwner.h"
#include "framework/views/VScrolledView.h"
#include "framework/views/VFrameServices.h"
#include "framework/views/VWindowView.h"
#include "graphics/VLookPainter.h"
#include "platform/win32/WinInput.h"
#include "platform/win32/WinWindowState.h"
#include "platform/win32/WinWindows.h"

namespace {

// A look with the bar's metrics and nothing else.
class BarLook : public VLookPainter {
 public:
  bool DrawElement(VPort&, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, const VString*,
                   int32_t) override {
    return false;
  }
  COLORREF GetColor(int32_t) override { return 0xFFFFFFFF; }
  bool GetFont(HDC, int32_t, VString&, int16_t&, uint8_t&, uint8_t&) override { return false; }
  int32_t GetMetric(int32_t id) override {
    switch (id) {
      case 0: return proportional;
      case 2: return 16;
      case 3: return 10;
      case 4: return together;
      default: return 0;
    }
  }
  int32_t proportional = 1;
  int32_t together = 0;
};

// Stands in for the container: applies each scroll request to the bar, as
// the container does, and notes when (in ticks) it came.
class Owner : public VView, public VScrollOwner {
 public:
  Owner() : VView(nullptr), content(this) { ResizeTo(400, 400, 0); }
  bool NotifyParent(VFrame* sender, int32_t message, intptr_t parameter) override {
    auto* bar = dynamic_cast<VScrollBar*>(sender);
    if (bar == nullptr) return false;
    if (message == kMsgScrollVertically || message == kMsgScrollHorizontally) {
      steps.push_back(static_cast<int32_t>(parameter));
      ticks.push_back(VSystemServices::TickCount60());
      bar->SetValue(bar->GetValue() + static_cast<int32_t>(parameter), 0);
    } else {
      messages.push_back(message);
    }
    return true;
  }
  void Layout(int32_t) override {}
  void DrawBarNow(VScrollBar* bar) override { pressed.push_back(bar->GetPressedPart()); }
  VScrolledView* GetContentView() override { return &content; }
  VScrolledView content;
  std::vector<int32_t> steps;
  std::vector<uint32_t> ticks;
  std::vector<int32_t> messages;
  std::vector<int32_t> pressed;
};

class Bars : public testing::Test {
 protected:
  void SetUp() override {
    ResetHeadlessInput();
    saved_ = gLookPainters[1];
    gLookPainters[1] = &look_;
    owner_.content.ResizeTo(200, 200, 0);
  }
  void TearDown() override {
    ResetHeadlessInput();
    gLookPainters[1] = saved_;
  }
  // A vertical bar at (50, 20) in the owner, `length` long.
  VScrollBar* MakeBar(int32_t length, int32_t maximum, int32_t page, int32_t value) {
    auto* bar = new VScrollBar(&owner_, false);
    bar->SetLookIndex(1);
    bar->MoveTo(50, 20, 0);
    bar->ResizeTo(100, length, 0);
    bar->SetMaximum(maximum, 0);
    bar->SetPageSize(page, 0);
    bar->SetValue(value, 0);
    bar->SetActive(maximum > 0, 0);
    return bar;
  }
  // Presses at bar point (x, y) with the given script (bar coordinates),
  // which starts with the button down there at 1000 ms.
  void Press(VScrollBar* bar, int32_t x, int32_t y,
             std::vector<std::pair<ULONGLONG, POINT>> moves, ULONGLONG releaseAt) {
    std::vector<HeadlessInputEntry> script;
    script.push_back({1000, {50 + x, 20 + y}, HEADLESS_LEFT_BUTTON, {0}});
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
  Owner owner_;
};

TEST_F(Bars, TheThumbIsSizedByThePageAndPlacedByTheValue) {
  struct Case {
    int32_t proportional, length, maximum, page, value;
    int32_t thumb, start;  // start -1: not checked
  };
  // Length 230 and thickness 16 leave a free track of 200 before the thumb.
  const Case cases[] = {
      {1, 230, 300, 100, 0, 50, 15},    {1, 230, 300, 100, 300, 50, 165},
      {1, 230, 300, 100, 150, 50, 90},  {0, 230, 300, 100, 0, 10, 15},
      {1, 230, 300, 0, 0, 10, 15},      {1, 230, 100000, 1, 0, 10, 15},
      {1, 230, 5, -5, 0, 10, 15},       // a negative page counts as none
      {1, 230, 0, 100, 0, 200, 16},     // inactive: the whole track
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.maximum * 1000 + c.page);
    look_.proportional = c.proportional;
    VScrollBar* bar = MakeBar(c.length, c.maximum, c.page, c.value);
    EXPECT_EQ(bar->GetWidth(), 16);
    EXPECT_EQ(bar->GetThumbLength(), c.maximum == 0 ? 200 : c.thumb);
    int32_t l = 0, t = 0, r = 0, b = 0;
    bar->GetThumbRect(l, t, r, b);
    EXPECT_EQ(l, 0);
    EXPECT_EQ(r, 16);
    EXPECT_EQ(t, c.start);
    if (c.maximum > 0) EXPECT_EQ(b - t, c.thumb);
    delete bar;
  }
}

TEST_F(Bars, AnActiveBarWithMaximumZeroPutsItsThumbAtTheStart) {
  VScrollBar* bar = MakeBar(230, 300, 100, 200);
  bar->SetMaximum(0, 0);
  EXPECT_TRUE(bar->IsActive());
  int32_t l = 0, t = 0, r = 0, b = 0;
  bar->GetThumbRect(l, t, r, b);
  EXPECT_EQ(t, 15);
  EXPECT_EQ(bar->GetMaximum(), 0);
  bar->SetMaximum(-40, 0);
  EXPECT_EQ(bar->GetMaximum(), 0);
  delete bar;
}

TEST_F(Bars, HitPartsCountTheEdgeLinesInside) {
  VScrollBar* bar = MakeBar(230, 300, 100, 0);  // thumb 15..65
  struct Case {
    int32_t x, y, part;
  };
  const Case cases[] = {{5, 0, 1},   {5, 16, 1},   {5, 17, 5},  {5, 65, 5},   {5, 66, 4},
                        {5, 213, 4}, {5, 214, 2},  {16, 230, 2}, {17, 5, 0},  {-1, 5, 0},
                        {5, 231, 0}, {0, 100, 4}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.x * 1000 + c.y);
    EXPECT_EQ(bar->HitTest(c.x, c.y), c.part);
  }
  bar->SetValue(300, 0);  // thumb 165..215
  EXPECT_EQ(bar->HitTest(5, 100), 3);
  look_.together = 1;
  bar->ResizeTo(16, 230, 0);  // arrows at 198..230; thumb 150..200
  EXPECT_EQ(bar->HitTest(5, 0), 3);
  EXPECT_EQ(bar->HitTest(5, 160), 5);
  EXPECT_EQ(bar->HitTest(5, 140), 3);
  EXPECT_EQ(bar->HitTest(5, 199), 1);
  EXPECT_EQ(bar->HitTest(5, 214), 2);
  delete bar;
}

TEST_F(Bars, ABarShorterThanItsArrowsIgnoresClicks) {
  VScrollBar* bar = MakeBar(20, 300, 100, 0);
  EXPECT_FALSE(bar->IsLargeEnough());
  Press(bar, 5, 3, {}, 1100);
  EXPECT_TRUE(owner_.steps.empty());
  EXPECT_TRUE(owner_.messages.empty());
  UnloadHeadlessInput();
  delete bar;
}

TEST_F(Bars, AnArrowStepsAtOnceThenAfterTenTicksThenOncePerTick) {
  VScrollBar* bar = MakeBar(230, 10000, 100, 5000);
  Press(bar, 5, 5, {}, 1500);  // held for 30 ticks
  ASSERT_GE(owner_.steps.size(), 3u);
  for (int32_t s : owner_.steps) EXPECT_EQ(s, -20);
  EXPECT_GE(owner_.ticks[1] - owner_.ticks[0], 10u);
  for (size_t i = 2; i < owner_.ticks.size(); ++i) EXPECT_GE(owner_.ticks[i] - owner_.ticks[i - 1], 1u);
  // 30 ticks held: the first step, then one per tick from the tenth on.
  EXPECT_LE(owner_.steps.size(), 23u);
  EXPECT_GE(owner_.steps.size(), 15u);
  EXPECT_EQ(owner_.messages, (std::vector<int32_t>{kMsgBarTrackingBegins, kMsgBarTrackingEnds}));
  EXPECT_EQ(owner_.pressed.front(), 1);
  EXPECT_EQ(bar->GetPressedPart(), 0);
  delete bar;
}

TEST_F(Bars, SteppingStopsAtTheEndsAndWhenTheMouseLeavesThePart) {
  // Paging back from near the end: a whole page, then a cut one, then none.
  VScrollBar* bar = MakeBar(230, 300, 100, 250);
  Press(bar, 5, 20, {}, 1400);  // page area before the thumb (140..190)
  EXPECT_FALSE(owner_.steps.empty());
  EXPECT_EQ(owner_.steps, (std::vector<int32_t>{-190, -60}));
  EXPECT_EQ(bar->GetValue(), 0);
  owner_.steps.clear();
  owner_.pressed.clear();
  // Down arrow pressed, then the mouse moves onto the track: unpressed, no
  // more steps.
  bar->SetValue(0, 0);
  Press(bar, 5, 220, {{1005, {5, 100}}}, 1400);
  EXPECT_EQ(owner_.steps, std::vector<int32_t>{20});
  EXPECT_EQ(owner_.pressed, (std::vector<int32_t>{2, 0}));
  delete bar;
}

TEST_F(Bars, TheThumbFollowsTheMouseUntilItStraysTooFar) {
  VScrollBar* bar = MakeBar(230, 300, 100, 0);  // free track 150, thumb 15..65
  // Down 50 pixels (100 values), then 40 pixels off the bar and further
  // down (ignored), then back on the bar at the same height.
  Press(bar, 5, 30,
        {{1010, {5, 80}}, {1020, {60, 130}}, {1030, {5, 80}}, {1040, {5, 55}}}, 0);
  // The script runs out with the button down: the loop still ends.
  EXPECT_EQ(bar->GetValue(), 50);
  // The first pass, still at the press point, asks for no movement.
  std::vector<int32_t> moves;
  for (int32_t s : owner_.steps) {
    if (s != 0) moves.push_back(s);
  }
  EXPECT_EQ(moves, (std::vector<int32_t>{100, -50}));
  EXPECT_EQ(owner_.messages, (std::vector<int32_t>{kMsgBarTrackingBegins, kMsgBarTrackingEnds}));
  EXPECT_EQ(bar->GetPressedPart(), 0);
  delete bar;
}

}  // namespace

namespace {

// A look that notes each element it is asked to draw.
class LoggingLook : public BarLook {
 public:
  bool DrawElement(VPort&, int32_t kind, int32_t state, int32_t x, int32_t y, int32_t w, int32_t h,
                   const VString*, int32_t) override {
    log.push_back(std::to_string(kind) + "/" + std::to_string(state) + " " + std::to_string(x) +
                  "," + std::to_string(y) + "," + std::to_string(w) + "," + std::to_string(h));
    return true;
  }
  std::vector<std::string> log;
};

class BarDrawing : public testing::Test {
 protected:
  void SetUp() override {
    ResetHeadlessInput();
    ResetHeadlessWindowState();
    VFrameAreaService::Install(&kFrameAreaProc);
    VFrameWindowService::Install(&kFrameWindowProc);
    saved_ = gLookPainters[2];
    gLookPainters[2] = &look_;
    window_ = CreateHeadlessWindow(200, 200);
    root_ = new VWindowView(window_);
  }
  void TearDown() override {
    delete root_;
    if (IsWindow(window_)) DestroyWindow(window_);
    gLookPainters[2] = saved_;
    VFrameWindowService::Remove(&kFrameWindowProc);
    VFrameAreaService::Remove(&kFrameAreaProc);
  }
  std::vector<std::string> Drawn(bool horizontal, int32_t maximum, bool disabled) {
    auto* bar = new VScrollBar(root_, horizontal);
    bar->SetLookIndex(2);  // ports draw with look 2 or 3
    bar->MoveTo(10, 10, 0);
    bar->ResizeTo(100, 100, 0);
    bar->SetMaximum(maximum, 0);
    bar->SetPageSize(100, 0);
    bar->SetActive(maximum > 0, 0);
    bar->SetDisabled(disabled);
    look_.log.clear();
    bar->Invalidate(2);
    std::vector<std::string> out = look_.log;
    delete bar;
    return out;
  }
  LoggingLook look_;
  VLookPainter* saved_ = nullptr;
  HWND window_ = nullptr;
  VWindowView* root_ = nullptr;
};

TEST_F(BarDrawing, EachPartIsALookElementInItsState) {
  // Length 100, thickness 16: free track 70, thumb 70 x 100 / 400 = 17 at
  // 15; the page area before it has no room left.
  EXPECT_EQ(Drawn(false, 300, false),
            (std::vector<std::string>{"20/0 0,16,16,0", "20/0 0,32,16,52", "22/0 0,15,16,17",
                                      "28/0 0,0,16,16", "29/0 0,84,16,16", "23/0 0,0,16,100"}));
  // Nothing to scroll: no page areas and the track in place of the thumb.
  EXPECT_EQ(Drawn(false, 0, false),
            (std::vector<std::string>{"20/-96 0,16,16,68", "28/-96 0,0,16,16", "29/-96 0,84,16,16",
                                      "23/-96 0,0,16,100"}));
  EXPECT_EQ(Drawn(true, 300, true),
            (std::vector<std::string>{"19/-96 16,0,68,16", "26/-96 0,0,16,16", "27/-96 84,0,16,16",
                                      "23/-96 0,0,100,16"}));
}

}  // namespace
