// Drag tracking on scripted input: calls in order, targets, point spaces,
// watched keys, auto-scroll steps and rate, feedback, the region dragger.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "framework/core/strings/VUniString.h"
#include "framework/system/environment/VEnvironmentLinks.h"
#include "views/VDragTypeList.h"
#include "views/VFrameServices.h"
#include "views/VRegionDragger.h"
#include "views/VScrolledView.h"
#include "views/VWindowView.h"
#include "graphics/VGraphicsEnvironmentLink.h"
#include "graphics/VPort.h"
#include "platform/gdi/WinGdi.h"
#include "platform/toolbox/TbxEnvironment.h"
#include "platform/win32/WinInput.h"
#include "platform/win32/WinWindowState.h"

namespace {

using Log = std::vector<std::string>;

// A frame that notes drag notices; with `accepts` >= 0 its list offers (0)
// or accepts (1) "TEXT" in drag kind 1.
class Plain : public VFrame {
 public:
  Plain(VFrame* parent, int32_t x, int32_t y, int accepts = -1) : VFrame(parent, nullptr) {
    MoveTo(x, y, 0);
    ResizeTo(50, 40, 0);
    VStr<255> name;
    name.SetUniChars(u"TEXT", 0, 4);
    if (accepts >= 0) types.AddType(accepts == 0, accepts == 1, name);
    types.SetMask(1);
  }
  VDragTypeList* GetDragTypes() const override { return const_cast<VDragTypeList*>(&types); }
  void DragEventData(intptr_t, intptr_t, intptr_t, intptr_t point, intptr_t phase) override {
    auto* p = reinterpret_cast<const VPoint*>(point);
    notices.push_back(std::to_string(phase) + "@" + std::to_string(p->GetX()) + "," +
                      std::to_string(p->GetY()));
  }
  VDragTypeList types;
  Log notices;
};

// Notes the scroll requests an auto-scroll view sends up.
class Container : public VView {
 public:
  explicit Container(VFrame* parent) : VView(parent) { ResizeTo(200, 100, 0); }
  bool NotifyParent(VFrame* sender, int32_t message, intptr_t parameter) override {
    if (message != kMsgDragAutoScroll) return VView::NotifyParent(sender, message, parameter);
    steps.push_back({static_cast<int32_t>(parameter) >> 16, static_cast<int16_t>(parameter)});
    return true;
  }
  std::vector<std::pair<int32_t, int32_t>> steps;
};

// Notes every call; the feedback inverts a 20 x 10 box moved with the mouse.
class Recorder : public VDragger {
 public:
  using VDragger::VDragger;
  void BeginTrack(VPort&) override { log.push_back("begin"); }
  void TrackMove(VPort& port, VFrame* previous, VFrame* target, int32_t dx, int32_t dy) override {
    DrawFeedback(port, true);
    ox += dx;
    oy += dy;
    log.push_back("move " + std::to_string(dx) + "," + std::to_string(dy));
    targets.push_back(previous);
    targets.push_back(target);
    DrawFeedback(port, false);
    if (onMove) onMove();
  }
  void EndTrack(VPort&, VFrame* target) override {
    log.push_back("end");
    targets.push_back(target);
  }
  void DrawFeedback(VPort& port, bool erase) override {
    port.InvertRect(ox, oy, 20, 10);
    log.push_back(erase ? "erase" : "draw");
  }
  void AutoScroll(VPort& port, int32_t dx, int32_t dy) override {
    log.push_back("scroll");
    VDragger::AutoScroll(port, dx, dy);
  }
  Log log;
  std::vector<VFrame*> targets;  // previous and new per move, then the end's
  std::function<void()> onMove;
  int32_t ox = 0, oy = 0;
};

class Region : public VRegionDragger {
 public:
  using VRegionDragger::VRegionDragger;
  void DrawFeedback(VPort&, bool) override {}
};

HeadlessInputEntry At(ULONGLONG time, LONG x, LONG y, BYTE key = 0) {
  HeadlessInputEntry e{time, POINT{x, y}, HEADLESS_LEFT_BUTTON, {key}};
  return e;
}

// A window at (100, 200), 200 x 100; frame a at (10, 10), b at (100, 10).
class Drags : public testing::Test {
 protected:
  void SetUp() override {
    ResetHeadlessInput();
    ResetHeadlessWindowState();
    Tbx::ClearMainWindowRecord();
    VFrameAreaService::Install(&kFrameAreaProc);
    VFrameWindowService::Install(&kFrameWindowProc);
    VEnvironmentGraphicsService::Install(GraphicsEnvironmentLink());
    view_ = new VWindowView(static_cast<VFrame*>(nullptr), 5, true, true, false);
    view_->MoveTo(100, 200, 0);
    view_->ResizeTo(200, 100, 0);
    view_->SetVisible(true);
    a_ = new Plain(view_, 10, 10);
    b_ = new Plain(view_, 100, 10);
  }
  void TearDown() override {
    delete view_;
    ResetHeadlessInput();
    VEnvironmentGraphicsService::Remove(GraphicsEnvironmentLink());
    VFrameWindowService::Remove(&kFrameWindowProc);
    VFrameAreaService::Remove(&kFrameAreaProc);
  }
  // The script holds the button and runs out: that ends the drag.
  void Run(VDragger& d, const std::vector<HeadlessInputEntry>& script) {
    ASSERT_TRUE(LoadHeadlessInput(script.data(), script.size(), 0));
    d.Track();
    EXPECT_FALSE(d.IsTracking());
    UnloadHeadlessInput();
  }
  COLORREF Pixel(int x, int y) {
    HDC dc = GetDC(view_->GetWindowHandle());
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(view_->GetWindowHandle(), dc);
    return c;
  }
  static VEvent Down() { return VEvent(5, 5, 0, false, false, false, false, false, 1, 0); }
  VWindowView* view_ = nullptr;
  Plain* a_ = nullptr;
  Plain* b_ = nullptr;
};

TEST_F(Drags, CallsTargetsAndPointsOfAScriptedDrag) {
  Recorder click(a_, Down());  // screen (115, 215)
  Run(click, {At(0, 115, 215)});
  EXPECT_EQ(click.log, (Log{"begin", "draw", "erase", "end"}));
  EXPECT_EQ(click.targets, (std::vector<VFrame*>{a_}));

  Recorder d(a_, Down());
  Run(d, {At(0, 115, 215), At(10, 125, 220), At(20, 212, 226)});
  EXPECT_EQ(d.log, (Log{"begin", "draw", "erase", "move 10,5", "draw", "erase", "move 87,6", "draw",
                        "erase", "end"}));
  EXPECT_EQ(d.targets, (std::vector<VFrame*>{a_, a_, a_, b_, b_}));
  int32_t dx = 0, dy = 0;
  d.GetOffset(dx, dy);
  EXPECT_EQ(dx * 1000 + dy, 97011);
  // Start and current point per space: own, window, screen, unknown (= own).
  const int32_t want[4][5] = {
      {0, 5, 5, 12, 16}, {1, 15, 15, 112, 26}, {3, 115, 215, 212, 226}, {7, 5, 5, 12, 16}};
  for (const auto& w : want) {
    VPoint s, c;
    d.GetStartPoint(s, w[0]);
    d.GetCurrentPoint(c, w[0]);
    EXPECT_EQ((std::vector<int32_t>{s.GetX(), s.GetY(), c.GetX(), c.GetY()}),
              (std::vector<int32_t>{w[1], w[2], w[3], w[4]}))
        << w[0];
  }
  // Over no window, off screen (cut to 16 bits), the menu bar: no target.
  for (LONG x : {600, 70000, 150}) {
    Recorder off(a_, Down());
    Run(off, {At(0, 115, 215), At(10, x, x == 150 ? 5 : 600)});
    VPoint p;
    EXPECT_EQ(off.GetTarget(p), nullptr);
    EXPECT_EQ(off.targets.back(), nullptr);
    off.GetCurrentPoint(p, 3);
    EXPECT_EQ(p.GetX(), x);
  }
}

// The button comes up at a new place: whichever read of the poll meets the
// release, the last move is the release point's.
TEST_F(Drags, AMoveThatComesWithTheReleaseEndsAtTheReleasePoint) {
  for (ULONGLONG release = 20; release < 24; ++release) {
    Recorder d(a_, Down());
    HeadlessInputEntry up = At(release, 212, 226);
    up.buttons = 0;
    Run(d, {At(0, 115, 215), At(10, 125, 220), up});
    EXPECT_EQ(d.log.back(), "end") << release;
    EXPECT_EQ(d.log[d.log.size() - 4], "move 87,6") << release;
    EXPECT_EQ(std::vector<int32_t>({d.ox, d.oy}), std::vector<int32_t>({97, 11})) << release;
    EXPECT_EQ(d.targets.back(), b_) << release;
    VPoint p;
    d.GetCurrentPoint(p, 3);
    EXPECT_EQ(std::vector<int32_t>({p.GetX(), p.GetY()}), std::vector<int32_t>({212, 226}))
        << release;
  }
}

TEST_F(Drags, OnlyWatchedKeysCountAsMoves) {
  const struct {
    bool ctrl, shift;
    BYTE key;
    size_t moves;
  } cases[] = {{false, true, VK_SHIFT, 2},
               {false, false, VK_SHIFT, 0},
               {true, false, VK_CONTROL, 2},
               {true, false, VK_SHIFT, 0}};
  for (const auto& c : cases) {
    Recorder d(a_, Down());
    d.SetModifierWatch(c.ctrl, false, c.shift);
    Run(d, {At(0, 115, 215), At(10, 115, 215, c.key), At(20, 115, 215)});
    EXPECT_EQ(d.targets.size(), 2 * c.moves + 1) << int{c.key};
    if (c.moves != 0) {
      EXPECT_EQ(d.log[3], "move 0,0");
    }
  }
}

TEST_F(Drags, FeedbackShowsWithinTheModesClipAndLeavesThePixelsAsTheyWere) {
  HDC dc = GetDC(view_->GetWindowHandle());
  PatBlt(dc, 0, 0, 200, 100, BLACKNESS);
  ReleaseDC(view_->GetWindowHandle(), dc);
  auto all = [this] {
    std::vector<COLORREF> v;
    for (int y = 0; y < 100; y += 3) {
      for (int x = 0; x < 200; x += 3) v.push_back(Pixel(x, y));
    }
    return v;
  };
  const std::vector<COLORREF> before = all();
  for (int32_t mode : {kDragClipFrame, kDragClipWindow, kDragClipScreen}) {
    Recorder d(a_, Down());
    d.SetMode(mode);
    // First box at window (45, 25): across frame a's right edge (x = 60).
    std::vector<COLORREF> during;
    d.onMove = [&] {
      if (during.empty()) during = {Pixel(50, 26), Pixel(62, 26)};
    };
    Run(d, {At(0, 115, 215), At(10, 150, 230), At(20, 170, 240)});
    EXPECT_EQ(all(), before) << mode;
    const COLORREF edge = mode == kDragClipFrame ? RGB(0, 0, 0) : RGB(255, 255, 255);
    EXPECT_EQ(during, (std::vector<COLORREF>{RGB(255, 255, 255), edge})) << mode;
  }
}

// Feedback drawn on the desktop across two overlapping windows leaves the
// screen as it was.
TEST_F(Drags, FeedbackAcrossTwoOverlappingWindowsLeavesTheScreenAsItWas) {
  auto* other = new VWindowView(static_cast<VFrame*>(nullptr), 5, true, true, false);
  other->MoveTo(220, 240, 0);
  other->ResizeTo(200, 100, 0);
  other->SetVisible(true);
  for (VWindowView* window : {view_, other}) {
    HDC dc = GetDC(window->GetWindowHandle());
    PatBlt(dc, 0, 0, 200, 100, window == view_ ? BLACKNESS : WHITENESS);
    ReleaseDC(window->GetWindowHandle(), dc);
  }
  const auto screen = [] {
    HDC dc = GetDC(nullptr);
    std::vector<COLORREF> v;
    for (int y = 180; y < 360; y += 2) {
      for (int x = 80; x < 440; x += 2) v.push_back(GetPixel(dc, x, y));
    }
    ReleaseDC(nullptr, dc);
    return v;
  };
  const std::vector<COLORREF> before = screen();
  // Both windows show on the screen where they lie.
  ASSERT_NE(std::count(before.begin(), before.end(), RGB(0, 0, 0)), 0);
  ASSERT_NE(std::count(before.begin(), before.end(), RGB(255, 255, 255)), 0);
  Recorder d(a_, Down());
  d.SetMode(kDragClipScreen);
  std::vector<COLORREF> during;
  d.onMove = [&] { during = screen(); };
  Run(d, {At(0, 115, 215), At(10, 230, 250), At(20, 300, 290)});
  EXPECT_NE(during, before);
  EXPECT_EQ(screen(), before);
  delete other;
}

TEST_F(Drags, AutoScrollStepsByDistanceNotPastTheEndsAtMostOncePerTick) {
  auto* box = new Container(view_);
  auto* v = new VScrolledView(box);  // screen (120, 220), 100 x 50
  v->MoveTo(20, 20, 0);
  v->ResizeTo(100, 50, 0);
  v->SetContentSize(1000, 1000, false, 0);
  const struct {
    LONG x, y;
    int32_t scroll;
    bool noH;
    int32_t dx, dy;  // the first step; 0, 0 for none
  } cases[] = {
      {88, 240, 500, false, -20, 0},  {87, 240, 500, false, -90, 0}, {220, 240, 500, false, 0, 0},
      {221, 240, 500, false, 20, 0},  {252, 240, 500, false, 20, 0}, {253, 240, 500, false, 90, 0},
      {150, 188, 500, false, 0, -20}, {150, 303, 500, false, 0, 40}, {80, 310, 500, false, -90, 40},
      {80, 310, 500, true, 0, 40},    {50, 150, 0, false, 0, 0},     {400, 400, 950, false, 0, 0},
  };
  for (const auto& c : cases) {
    box->steps.clear();
    v->ScrollTo(c.scroll, c.scroll, false, 0);
    Recorder d(v, Down());
    d.SetOptions(v, c.noH, false);
    Run(d, {At(0, 130, 230), At(10, c.x, c.y), At(15, 130, 230)});
    const auto first = box->steps.empty() ? std::pair<int32_t, int32_t>{0, 0} : box->steps[0];
    EXPECT_EQ(first, (std::pair<int32_t, int32_t>{c.dx, c.dy})) << c.x << "," << c.y;
  }
  // A second outside: about 60 ticks, so about 60 steps, each between an
  // erase and a draw of the feedback.
  box->steps.clear();
  v->ScrollTo(500, 500, false, 0);
  Recorder d(v, Down());
  d.SetOptions(v, false, false);
  Run(d, {At(0, 130, 230), At(10, 50, 240), At(1010, 130, 230)});
  EXPECT_GE(box->steps.size(), 55u);
  EXPECT_LE(box->steps.size(), 62u);
  size_t at = 0;
  while (d.log[at] != "scroll") ++at;
  EXPECT_EQ(d.log[at + 1] + d.log[at + 2], "erasedraw");
}

TEST_F(Drags, TheRegionDraggerTellsAcceptingFramesOfEnteringLeavingAndMoving) {
  auto* source = new Plain(view_, 10, 55, 0);  // screen (110, 255)
  auto* sink = new Plain(view_, 100, 55, 1);   // screen (200, 255)
  const struct {
    uint32_t mask;
    int32_t rectSize;
    LONG lastX, lastY;
    Log notices;
  } cases[] = {
      {1, 40, 207, 262, {"0@205,260", "2@206,261", "2@207,262", "1@207,262"}},
      {2, 40, 207, 262, {}},  // a drag kind the sink takes no part in
      {1, 11, 600, 600, {"0@205,260", "1@205,260", "0@206,261", "1@206,261"}},
  };
  for (const auto& c : cases) {
    sink->notices.clear();
    Region r(source, Down());
    EXPECT_EQ(r.GetMode(), kDragClipScreen);
    r.SetMask(c.mask);
    r.SetDragRect(VRect(195, 250, c.rectSize, c.rectSize));
    Run(r, {At(0, 115, 260), At(10, 205, 260), At(20, 206, 261), At(30, c.lastX, c.lastY)});
    EXPECT_EQ(sink->notices, c.notices) << c.mask << " " << c.rectSize;
    EXPECT_TRUE(source->notices.empty());
  }
}

}  // namespace
