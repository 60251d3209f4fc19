// Drag tracking on scripted input: the calls on the subclass in order, the
// target under the mouse, the point spaces, watched keys, auto-scroll steps
// (line, page, none past the ends, at most one per tick), the feedback
// leaving the screen as it was, a script running out, and the region
// dragger's enter, leave and move-inside notices.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/system/environment/VEnvironmentLinks.h"
#include "framework/views/VDragTypeList.h"
#include "framework/views/VDragger.h"
#include "framework/views/VFrameServices.h"
#include "framework/views/VRegionDragger.h"
#include "framework/views/VScrolledView.h"
#include "framework/views/VWindowView.h"
#include "framework/core/strings/VUniString.h"
#include "graphics/VGraphicsEnvironmentLink.h"
#include "graphics/VPort.h"
#include "platform/gdi/WinGdi.h"
#include "platform/toolbox/TbxEnvironment.h"
#include "platform/win32/WinInput.h"
#include "platform/win32/WinWindowState.h"
#include "platform/win32/WinWindows.h"

namespace {

class Plain : public VFrame {
 public:
  Plain(VFrame* parent, int32_t x, int32_t y, int32_t w, int32_t h) : VFrame(parent, nullptr) {
    MoveTo(x, y, 0);
    ResizeTo(w, h, 0);
  }
  void DragEventData(intptr_t, intptr_t, intptr_t, intptr_t point, intptr_t phase) override {
    const VPoint* p = reinterpret_cast<const VPoint*>(point);
    notices.push_back(std::to_string(phase) + "@" + std::to_string(p->GetX()) + "," +
                      std::to_string(p->GetY()));
  }
  std::vector<std::string> notices;
};

// Records the scroll requests an auto-scroll view sends up.
class Container : public VView {
 public:
  explicit Container(VFrame* parent) : VView(parent) {}
  bool NotifyParent(VFrame* sender, int32_t message, intptr_t parameter) override {
    if (message == kMsgDragAutoScroll) {
      dx.push_back(static_cast<int32_t>(parameter) >> 16);
      dy.push_back(static_cast<int16_t>(parameter & 0xFFFF));
      return true;
    }
    return VView::NotifyParent(sender, message, parameter);
  }
  std::vector<int32_t> dx, dy;
};

// Writes every call down and inverts a 20 x 10 box at the frame's corner,
// moved along with the mouse.
class Recorder : public VDragger {
 public:
  using VDragger::VDragger;
  void BeginTrack(VPort&) override { log.push_back("begin"); }
  void TrackMove(VPort& port, VFrame* previous, VFrame* target, int32_t dx, int32_t dy) override {
    DrawFeedback(port, true);
    ox += dx;
    oy += dy;
    log.push_back("move " + std::to_string(dx) + "," + std::to_string(dy));
    previousTargets.push_back(previous);
    targets.push_back(target);
    DrawFeedback(port, false);
    if (onMove) onMove();
  }
  void EndTrack(VPort&, VFrame* target) override {
    log.push_back("end");
    endTarget = target;
  }
  void DrawFeedback(VPort& port, bool erase) override {
    port.InvertRect(ox, oy, 20, 10);
    log.push_back(erase ? "erase" : "draw");
  }
  void AutoScroll(VPort& port, int32_t dx, int32_t dy) override {
    log.push_back("scroll");
    VDragger::AutoScroll(port, dx, dy);
  }
  std::vector<std::string> log;
  std::vector<VFrame*> previousTargets, targets;
  std::function<void()> onMove;
  VFrame* endTarget = reinterpret_cast<VFrame*>(1);
  int32_t ox = 0, oy = 0;
};

HeadlessInputEntry At(ULONGLONG time, LONG x, LONG y, bool down, BYTE key = 0) {
  HeadlessInputEntry e{};
  e.time = time;
  e.cursor = POINT{x, y};
  e.buttons = down ? HEADLESS_LEFT_BUTTON : 0;
  e.keys[0] = key;
  return e;
}

// A window whose content lies at (100, 200), 200 x 100, with a frame `a` at
// (10, 10) 50 x 40 and a frame `b` at (100, 10) 50 x 40.
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
    a_ = new Plain(view_, 10, 10, 50, 40);
    b_ = new Plain(view_, 100, 10, 50, 40);
  }
  void TearDown() override {
    delete view_;
    ResetHeadlessInput();
    VEnvironmentGraphicsService::Remove(GraphicsEnvironmentLink());
    VFrameWindowService::Remove(&kFrameWindowProc);
    VFrameAreaService::Remove(&kFrameAreaProc);
  }
  void Run(VDragger& d, const std::vector<HeadlessInputEntry>& script) {
    ASSERT_TRUE(LoadHeadlessInput(script.data(), script.size(), 0));
    d.Track();
    EXPECT_FALSE(d.IsTracking());
    UnloadHeadlessInput();
  }
  // The mouse-down at frame point (x, y) of `a`.
  static VEvent Down(int32_t x, int32_t y) {
    return VEvent(x, y, 0, false, false, false, false, false, 1, 0);
  }
  VWindowView* view_ = nullptr;
  Plain* a_ = nullptr;
  Plain* b_ = nullptr;
};

TEST_F(Drags, AClickWithoutMovingCallsNoMoveAndEndsOverTheStartFrame) {
  Recorder d(a_, Down(5, 5));
  // The script holds the button and then runs out: the drag ends there.
  Run(d, {At(0, 115, 215, true)});
  EXPECT_EQ(d.log, (std::vector<std::string>{"begin", "draw", "erase", "end"}));
  EXPECT_EQ(d.endTarget, a_);
  VPoint p;
  EXPECT_EQ(d.GetFrame(p), a_);
  EXPECT_EQ(p.GetX(), 115);
  EXPECT_EQ(p.GetY(), 215);
}

TEST_F(Drags, MovesReportDistancesTargetsAndPointsInEverySpace) {
  Recorder d(a_, Down(5, 5));  // screen (115, 215)
  Run(d, {At(0, 115, 215, true), At(10, 125, 220, true), At(20, 210, 225, true),
          At(30, 212, 226, false)});
  EXPECT_EQ(d.log, (std::vector<std::string>{"begin", "draw", "erase", "move 10,5", "draw",
                                             "erase", "move 85,5", "draw", "erase", "move 2,1",
                                             "draw", "erase", "end"}));
  EXPECT_EQ(d.targets, (std::vector<VFrame*>{a_, b_, b_}));
  EXPECT_EQ(d.previousTargets, (std::vector<VFrame*>{a_, a_, b_}));
  EXPECT_EQ(d.endTarget, b_);
  int32_t dx = 0, dy = 0;
  d.GetOffset(dx, dy);
  EXPECT_EQ(dx, 97);
  EXPECT_EQ(dy, 11);
  struct Case {
    int32_t space;
    int32_t startX, startY, currentX, currentY;
  } cases[] = {
      {0, 5, 5, 12, 16},       // frame and target coordinates
      {1, 15, 15, 112, 26},    // window coordinates
      {3, 115, 215, 212, 226}, // screen
      {7, 5, 5, 12, 16},       // unknown spaces count as 0
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.space);
    VPoint p;
    d.GetStartPoint(p, c.space);
    EXPECT_EQ(p.GetX(), c.startX);
    EXPECT_EQ(p.GetY(), c.startY);
    d.GetCurrentPoint(p, c.space);
    EXPECT_EQ(p.GetX(), c.currentX);
    EXPECT_EQ(p.GetY(), c.currentY);
  }
  VPoint t;
  EXPECT_EQ(d.GetTarget(t), b_);
  EXPECT_EQ(t.GetX(), 12);
}

TEST_F(Drags, EndingOffTheWindowsGivesNoTargetAndTheRawScreenPoint) {
  struct Case {
    const char* name;
    LONG x, y;
  } cases[] = {{"desktop", 600, 600}, {"far off screen", 70000, -70000}, {"menu bar", 150, 5}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Recorder d(a_, Down(5, 5));
    Run(d, {At(0, 115, 215, true), At(10, c.x, c.y, true)});
    EXPECT_EQ(d.endTarget, nullptr);
    VPoint p;
    EXPECT_EQ(d.GetTarget(p), nullptr);
    EXPECT_EQ(p.GetX(), -1);
    d.GetCurrentPoint(p, 3);
    EXPECT_EQ(p.GetX(), c.x);
    EXPECT_EQ(p.GetY(), c.y);
  }
}

TEST_F(Drags, OnlyWatchedKeysCountAsMoves) {
  struct Case {
    bool watch;
    BYTE key;
    size_t moves;
  } cases[] = {{true, VK_SHIFT, 2}, {false, VK_SHIFT, 0}, {true, VK_CONTROL, 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.watch << " " << int{c.key});
    Recorder d(a_, Down(5, 5));
    d.SetModifierWatch(c.key == VK_CONTROL && c.watch, false, c.key == VK_SHIFT && c.watch);
    // Pressed and released again, the mouse standing still.
    Run(d, {At(0, 115, 215, true), At(10, 115, 215, true, c.key), At(20, 115, 215, true)});
    EXPECT_EQ(d.targets.size(), c.moves);
    for (size_t i = 0; i < d.targets.size(); ++i) EXPECT_EQ(d.targets[i], a_);
    if (c.moves != 0) EXPECT_EQ(d.log[3], "move 0,0");
  }
}

TEST_F(Drags, TheFeedbackLeavesTheScreenAsItWas) {
  HDC dc = GetDC(view_->GetWindowHandle());
  PatBlt(dc, 0, 0, 200, 100, BLACKNESS);
  ReleaseDC(view_->GetWindowHandle(), dc);
  auto pixel = [this](int x, int y) {
    HDC w = GetDC(view_->GetWindowHandle());
    const COLORREF c = GetPixel(w, x, y);
    ReleaseDC(view_->GetWindowHandle(), w);
    return c;
  };
  std::vector<COLORREF> before;
  for (int y = 0; y < 100; y += 3) {
    for (int x = 0; x < 200; x += 3) before.push_back(pixel(x, y));
  }
  for (int32_t mode : {kDragClipFrame, kDragClipWindow, kDragClipScreen}) {
    SCOPED_TRACE(mode);
    Recorder d(a_, Down(5, 5));
    d.SetMode(mode);
    // While dragging, the box stands inverted at the frame point (35, 15),
    // window (45, 25), and crosses the frame's edge only where the mode lets.
    std::vector<COLORREF> during;
    d.onMove = [&] {
      if (during.empty()) during = {pixel(50, 26), pixel(62, 26)};
    };
    Run(d, {At(0, 115, 215, true), At(10, 150, 230, true), At(20, 170, 240, true)});
    std::vector<COLORREF> after;
    for (int y = 0; y < 100; y += 3) {
      for (int x = 0; x < 200; x += 3) after.push_back(pixel(x, y));
    }
    EXPECT_EQ(before, after);
    ASSERT_EQ(during.size(), 2u);
    EXPECT_EQ(during[0], RGB(255, 255, 255));
    EXPECT_EQ(during[1], mode == kDragClipFrame ? RGB(0, 0, 0) : RGB(255, 255, 255));
  }
}

// An auto-scroll view at screen (120, 220), 100 x 50, content 1000 x 1000.
class AutoScrolls : public Drags {
 protected:
  void SetUp() override {
    Drags::SetUp();
    box_ = new Container(view_);
    box_->ResizeTo(200, 100, 0);
    scroller_ = new VScrolledView(box_);
    scroller_->MoveTo(20, 20, 0);
    scroller_->ResizeTo(100, 50, 0);
    scroller_->SetContentSize(1000, 1000, false, 0);
    scroller_->ScrollTo(500, 500, false, 0);
  }
  Container* box_ = nullptr;
  VScrolledView* scroller_ = nullptr;
};

TEST_F(AutoScrolls, LineStepWithin32PixelsPageStepBeyondNoneInside) {
  struct Case {
    LONG x, y;
    int32_t dx, dy;
  } cases[] = {
      {88, 240, -20, 0},   // 32 left of the view: line
      {87, 240, -90, 0},   // 33 left: page
      {220, 240, 0, 0},    // the column just outside on the right: nothing
      {221, 240, 20, 0},   // one further: line
      {252, 240, 20, 0},   {253, 240, 90, 0},
      {150, 188, 0, -20},  {150, 187, 0, -40},  // vertical page is height - 10
      {150, 271, 0, 20},   {150, 303, 0, 40},
      {80, 310, -90, 40},  // both axes at once
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
    box_->dx.clear();
    box_->dy.clear();
    Recorder d(scroller_, Down(10, 10));
    d.SetOptions(scroller_, false, false);
    Run(d, {At(0, 130, 230, true), At(10, c.x, c.y, true), At(15, 130, 230, true)});
    if (c.dx == 0 && c.dy == 0) {
      EXPECT_TRUE(box_->dx.empty());
      continue;
    }
    ASSERT_FALSE(box_->dx.empty());
    EXPECT_EQ(box_->dx[0], c.dx);
    EXPECT_EQ(box_->dy[0], c.dy);
  }
}

TEST_F(AutoScrolls, NoStepPastEitherEndNorOnASuppressedAxis) {
  struct Case {
    const char* name;
    int32_t scrollX, scrollY;
    bool noH, noV;
    LONG x, y;
  } cases[] = {
      {"at the start, backwards", 0, 0, false, false, 50, 150},
      {"at the end, forwards", 900, 950, false, false, 400, 400},
      {"suppressed axes", 500, 500, true, true, 50, 150},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    box_->dx.clear();
    scroller_->ScrollTo(c.scrollX, c.scrollY, false, 0);
    Recorder d(scroller_, Down(10, 10));
    d.SetOptions(scroller_, c.noH, c.noV);
    Run(d, {At(0, 130, 230, true), At(10, c.x, c.y, true), At(200, 130, 230, true)});
    EXPECT_TRUE(box_->dx.empty());
  }
}

TEST_F(AutoScrolls, AtMostOneStepPerTickAndTheFeedbackIsRedrawnAroundIt) {
  Recorder d(scroller_, Down(10, 10));
  d.SetOptions(scroller_, false, false);
  // A second outside the view: 60 ticks, not one step per poll.
  Run(d, {At(0, 130, 230, true), At(10, 50, 240, true), At(1010, 130, 230, true)});
  EXPECT_GE(box_->dx.size(), 55u);
  EXPECT_LE(box_->dx.size(), 62u);
  size_t scroll = 0;
  while (d.log[scroll] != "scroll") ++scroll;
  EXPECT_EQ(d.log[scroll + 1], "erase");
  EXPECT_EQ(d.log[scroll + 2], "draw");
}

// A frame whose drag-type list offers or accepts "TEXT" in drag kind 1.
class Typed : public Plain {
 public:
  Typed(VFrame* parent, int32_t x, int32_t y, bool accepts) : Plain(parent, x, y, 50, 40) {
    VStr<255> name;
    const std::u16string text = u"TEXT";
    name.SetUniChars(text.data(), 0, int32_t(text.size()));
    types.AddType(!accepts, accepts, name);
    types.SetMask(1);
  }
  VDragTypeList* GetDragTypes() const override { return const_cast<VDragTypeList*>(&types); }
  VDragTypeList types;
};

class Region : public VRegionDragger {
 public:
  using VRegionDragger::VRegionDragger;
  void DrawFeedback(VPort&, bool) override {}
};

TEST_F(Drags, TheRegionDraggerTellsAcceptingTargetsOfEnteringLeavingAndMovingInside) {
  auto* source = new Typed(view_, 10, 55, false);  // screen (110, 255)
  auto* sink = new Typed(view_, 100, 55, true);    // screen (200, 255)
  struct Case {
    const char* name;
    uint32_t mask;
    std::vector<std::string> sink, b;
  } cases[] = {
      {"kind taken", 1, {"0@205,260", "2@206,261", "2@207,262", "1@207,262"}, {}},
      {"kind refused: no target", 2, {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    sink->notices.clear();
    source->notices.clear();
    Region r(source, Down(5, 5));
    EXPECT_EQ(r.GetMode(), kDragClipScreen);
    r.SetMask(c.mask);
    r.SetDragRect(VRect(195, 250, 40, 40));
    // Into the sink, about inside the rectangle, then out of it and back.
    Run(r, {At(0, 115, 260, true), At(10, 205, 260, true), At(20, 206, 261, true),
            At(30, 207, 262, true)});
    EXPECT_EQ(sink->notices, c.sink);
    EXPECT_TRUE(source->notices.empty());  // the source accepts nothing
  }
  // Leaving the rectangle inside the same target: left, then entered.
  sink->notices.clear();
  Region r(source, Down(5, 5));
  r.SetMask(1);
  r.SetDragRect(VRect(195, 250, 12, 12));
  Run(r, {At(0, 115, 260, true), At(10, 205, 260, true), At(20, 210, 265, true),
          At(30, 600, 600, true)});
  EXPECT_EQ(sink->notices,
            (std::vector<std::string>{"0@205,260", "1@205,260", "0@210,265", "1@210,265"}));
}

}  // namespace
