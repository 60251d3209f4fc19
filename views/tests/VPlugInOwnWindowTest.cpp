// An area's size states and its own window: too small in the host's window,
// the own window's loop on events the host queues (clicks, keys, updates,
// the close and zoom boxes, resizing, menu choices), the host calls around
// it, the windows it hides and shows again, and the area's way home.
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "boundary/HostRecords.h"
#include "boundary/HostSelectors.h"
#include "boundary/HostServiceSelectors.h"
#include "framework/system/environment/VEnvironmentLinks.h"
#include "views/VWindowUtilities.h"
#include "views/VDockBar.h"
#include "views/tests/StoredResourceFile.h"
#include "views/VFrameServices.h"
#include "views/VPlugIn.h"
#include "views/VWindowMenuBar.h"
#include "views/VWindowView.h"
#include "graphics/VGraphicsEnvironmentLink.h"
#include "graphics/VPort.h"
#include "host/callback/HostCallback.h"
#include "host/package/VPackage.h"
#include "platform/gdi/WinGdi.h"
#include "platform/toolbox/TbxTraps.h"
#include "platform/toolbox/TbxEnvironment.h"
#include "platform/toolbox/TbxWindows.h"
#include "platform/win32/WinInput.h"
#include "platform/win32/WinTime.h"
#include "platform/toolbox/TbxMenus.h"
#include "platform/win32/WinMenuTracking.h"
#include "platform/win32/WinWindowState.h"

namespace {

// What the host queues for its event call 361: an event, "no event", or a
// look at the loop's state (answered as no event).
struct Queued {
  std::function<bool(HostEventRecord&)> make;
};
std::deque<Queued> gQueue;
std::vector<int32_t> gSelectors;
std::vector<int32_t> gModes;
uint8_t gStateFlag = 1;
int32_t gTurns = 0;

void Host(int32_t selector, HostParamBlock* block) {
  if (selector == kHostSelStartupQuery) {
    block->param2 = 0x670;
    return;
  }
  gSelectors.push_back(selector);
  if (selector == kHostSelState178) block->param1 = gStateFlag;
  if (selector == kHostSelMode179) gModes.push_back(HostWordOf(block->param1));
  if (selector != kHostSelTakeEvent) return;
  // A loop that outlives its queue is told Command-Q, so no test can hang.
  if (++gTurns > 500 || gQueue.empty()) {
    auto* record = HostPointer<HostEventRecord>(block->handle);
    *record = HostEventRecord{3, static_cast<uintptr_t>((0x0C << 8) | 'q'), 0, 0, 0, 0x100};
    block->param4 = 1;
    return;
  }
  Queued next = gQueue.front();
  gQueue.pop_front();
  block->param4 = next.make(*HostPointer<HostEventRecord>(block->handle)) ? 1 : 0;
}

int32_t Count(int32_t selector) {
  int32_t n = 0;
  for (int32_t s : gSelectors) n += s == selector;
  return n;
}

class EmptyPackage : public VPackage {
 public:
  EmptyPackage() : VPackage(nullptr) {}
  void ExecuteCommand(int32_t, void*, void*) override {}
};

class Menu : public VMenuItemExecutor {
 public:
  void ExecuteItem(int16_t item) override { items.push_back(item); }
  std::vector<int16_t> items;
};

class MenuBar : public VWindowMenuBar {
 public:
  bool IsMenuBarShown() const override { return shown; }
  void ShowMenuBar(bool show) override {
    shown = show;
    calls.push_back(show ? "show" : "hide");
  }
  VMenuChoice* BuildToolboxMenuBar() override {
    calls.push_back("build");
    return &choice;
  }
  void RemoveToolboxMenuBar() override { calls.push_back("remove"); }
  bool TakeToolboxChoice(int32_t selection) override {
    selections.push_back(selection);
    return true;
  }
  std::vector<int32_t> selections;
  bool shown = false;
  VMenuChoice choice;
  std::vector<std::string> calls;
};

// An area with a menu bar (when given one) that paints itself in one
// colour, and its too-small placeholder in another, and tells what reached
// it.
class Area : public VPlugIn {
 public:
  using VPlugIn::VPlugIn;
  // The test's menu bar when given one, the dock's otherwise.
  VWindowMenuBar* GetWindowMenuBar() override {
    return menuBar != nullptr ? menuBar : VPlugIn::GetWindowMenuBar();
  }
  void HandleEvent(void** params) override {
    if (GetSizeState() == 4) seen.push_back(static_cast<HostEventRecord*>(params[0])->what);
    VPlugIn::HandleEvent(params);
  }
  void DrawContent(VPort& port) override {
    port.SetBackColorRGB(0, 0, 255);
    port.EraseRect(0, 0, GetWidth(), GetHeight());
  }
  void DrawTooSmall(VPort& port) override {
    ++tooSmall;
    port.SetBackColorRGB(255, 0, 0);
    port.EraseRect(0, 0, GetWidth(), GetHeight());
  }
  void OwnWindowOpened() override { ++opened; }
  void OwnWindowClosed() override { ++closed; }
  bool DoCommand(VFrame*, int32_t id, intptr_t) override {
    commands.push_back(id);
    return true;
  }
  MenuBar* menuBar = nullptr;
  std::vector<uint16_t> seen;
  int32_t tooSmall = 0;
  int32_t opened = 0;
  int32_t closed = 0;
  std::vector<int32_t> commands;
};

struct HostArgs {
  HostEventRecord record{};
  int16_t rect[4] = {10, 20, 110, 220};
  uint8_t name[8] = {5, 'n', 'o', 't', 'e', 's'};
  void* cell = nullptr;
  void* params[kAreaEventParamCount] = {&record, rect, name, &cell};
  HostEventRecord& Send(VPlugIn& area, uint16_t what, uint16_t modifiers = 0) {
    record = HostEventRecord{};
    record.what = what;
    record.modifiers = modifiers;
    record.whereH = 30;
    record.whereV = 20;
    area.HandleEvent(params);
    return record;
  }
};

Tbx::WindowRef WindowOf(VPlugIn& area) {
  VWindowView* view = area.GetWindowView();
  return view != nullptr ? view->GetToolboxWindow() : nullptr;
}

// The first global point of the window's title bar where FindWindow
// answers `part`.
bool FindPart(Tbx::WindowRef window, int16_t part, Tbx::Point& at) {
  RECT outer{0, 0, 0, 0};
  GetWindowRect(Tbx::GetNativeWindow(window), &outer);
  for (LONG y = outer.top; y < outer.top + 30; ++y) {
    for (LONG x = outer.left; x < outer.right; ++x) {
      Tbx::WindowRef hit = nullptr;
      const Tbx::Point p{static_cast<int16_t>(y), static_cast<int16_t>(x)};
      if (Tbx::FindWindow(p, &hit) == part && hit == window) {
        at = p;
        return true;
      }
    }
  }
  return false;
}

Tbx::Rect Content(Tbx::WindowRef window) {
  int32_t l = 0, t = 0, w = 0, h = 0;
  Tbx::GetWindowBounds(window, &l, &t, &w, &h);
  return Tbx::Rect{static_cast<int16_t>(t), static_cast<int16_t>(l), static_cast<int16_t>(t + h),
                   static_cast<int16_t>(l + w)};
}

HostEventRecord Event(uint16_t what, Tbx::Point where, uintptr_t message = 0,
                      uint16_t modifiers = 0) {
  return HostEventRecord{what, message, 0, where.v, where.h, modifiers};
}

class OwnWindow : public testing::Test {
 protected:
  void SetUp() override {
    ResetHeadlessInput();
    ResetHeadlessWindowState();
    Tbx::ClearMainWindowRecord();
    VFrameAreaService::Install(&kFrameAreaProc);
    VFrameWindowService::Install(&kFrameWindowProc);
    VEnvironmentGraphicsService::Install(GraphicsEnvironmentLink());
    SetHostCallback(&Host);
    FreezeHeadlessTickCount(100000);
    gQueue.clear();
    gSelectors.clear();
    gModes.clear();
    gStateFlag = 1;
    gTurns = 0;
    Tbx::Rect bounds{40, 30, 340, 430};
    const uint8_t title[] = {4, 'F', 'o', 'r', 'm'};
    other =
        Tbx::NewCWindow(nullptr, &bounds, title, true, Tbx::documentProc, Tbx::kInFront, true, 0);
    window =
        Tbx::NewCWindow(nullptr, &bounds, title, true, Tbx::documentProc, Tbx::kInFront, true, 0);
    Tbx::SetPort(&window->port);
    host.record = HostEventRecord{};
    host.record.what = kAreaEventCreate;
    host.record.when = 7;  // a table: the area follows its minimum size
    area.reset(new Area(&package, 1, host.params));
    area->menuBar = &menuBar;
  }
  void TearDown() override {
    area.reset();
    Tbx::SetPort(nullptr);
    Tbx::DisposeWindow(window);
    Tbx::DisposeWindow(other);
    ReleaseHeadlessTickCount();
    SetHostCallback(nullptr);
    VEnvironmentGraphicsService::Remove(GraphicsEnvironmentLink());
    VFrameWindowService::Remove(&kFrameWindowProc);
    VFrameAreaService::Remove(&kFrameAreaProc);
    ResetHeadlessInput();
  }
  // Queues a look at the loop (answered as no event).
  void Look(std::function<void()> look) {
    gQueue.push_back({[look](HostEventRecord&) {
      look();
      return false;
    }});
  }
  void Queue(std::function<HostEventRecord()> make) {
    gQueue.push_back({[make](HostEventRecord& r) {
      r = make();
      return true;
    }});
  }
  void QueueNone() {
    gQueue.push_back({[](HostEventRecord&) { return false; }});
  }
  // Makes the area too small and clicks it: the loop runs on the queue.
  void OpenByClick() {
    area->SetMinimumSize(300, 50);
    ASSERT_EQ(area->GetSizeState(), 0);
    host.Send(*area, 1);
  }

  EmptyPackage package;
  HostArgs host;
  MenuBar menuBar;
  std::unique_ptr<Area> area;
  Tbx::WindowRef window = nullptr;
  Tbx::WindowRef other = nullptr;
};

TEST_F(OwnWindow, SizeStatesFollowTheMinimumAndTheRequests) {
  area->menuBar = nullptr;  // nothing opens: the requests fall back
  struct Step {
    const char* name;
    std::function<void()> act;
    int16_t state;
  } steps[] = {
      {"no minimum", [] {}, 1},
      {"minimum wider than the area", [&] { area->SetMinimumSize(300, 50); }, 0},
      {"host rectangle wide enough",
       [&] {
         host.rect[3] = 400;
         host.Send(*area, 25);
       },
       1},
      {"narrow again",
       [&] {
         host.rect[3] = 220;
         host.Send(*area, 25);
       },
       0},
      {"own window asked in state 0", [&] { area->RequestOwnWindow(); }, 2},
      {"closing asked when not open", [&] { area->CloseOwnWindow(); }, 2},
      {"recomputed", [&] { area->UpdateSizeState(); }, 0},
      {"minimum met", [&] { area->SetMinimumSize(100, 50); }, 1},
      {"message 20 in state 1", [&] { area->HandleMessage(area.get(), kMsgOwnWindow, 0); }, 2},
      {"message 20 again", [&] { area->HandleMessage(area.get(), kMsgOwnWindow, 0); }, 2},
  };
  for (const Step& s : steps) {
    s.act();
    EXPECT_EQ(area->GetSizeState(), s.state) << s.name;
  }
}

TEST_F(OwnWindow, TooSmallDrawsThePlaceholderAndIgnoresIdleMovesAndActivation) {
  area->SetMinimumSize(300, 50);
  EXPECT_EQ(host.Send(*area, 21).modifiers, kAreaAnswerNotHandled);
  EXPECT_EQ(host.Send(*area, 22).modifiers, kAreaAnswerNotHandled);
  host.Send(*area, 18);
  EXPECT_EQ(area->GetHotFrame(), nullptr);
  host.Send(*area, 6);
  EXPECT_EQ(area->tooSmall, 1);
  HDC dc = GetDC(Tbx::GetNativeWindow(window));
  EXPECT_EQ(GetPixel(dc, 25, 15), RGB(255, 0, 0));
  ReleaseDC(Tbx::GetNativeWindow(window), dc);
}

TEST_F(OwnWindow, WithoutAMenuBarNoWindowOpens) {
  area->menuBar = nullptr;
  OpenByClick();
  EXPECT_EQ(area->GetSizeState(), 0);  // back to 1, recomputed: still too small
  EXPECT_EQ(area->opened, 0);
  EXPECT_EQ(Count(kHostSelTakeEvent), 0);
  EXPECT_EQ(Count(kHostSelState178), 0);
  EXPECT_EQ(Tbx::FrontWindow(), window);
}

TEST_F(OwnWindow, TheLoopPassesEventsAndClosesOnCommandQ) {
  Tbx::WindowRef own = nullptr;
  bool homeHidden = false, otherHidden = false;
  Look([&] {
    own = WindowOf(*area);
    homeHidden = !Tbx::IsWindowVisible(window);
    otherHidden = !Tbx::IsWindowVisible(other);
  });
  Queue([&] {
    const Tbx::Rect c = Content(own);
    return Event(1,
                 Tbx::Point{static_cast<int16_t>(c.top + 20), static_cast<int16_t>(c.left + 20)});
  });
  Queue([&] {
    const Tbx::Rect c = Content(own);
    return Event(2,
                 Tbx::Point{static_cast<int16_t>(c.top + 20), static_cast<int16_t>(c.left + 20)});
  });
  Queue([] { return Event(3, Tbx::Point{0, 0}, (0x00 << 8) | 'a'); });
  Queue([] { return Event(4, Tbx::Point{0, 0}, (0x00 << 8) | 'a'); });
  Queue([] { return Event(3, Tbx::Point{0, 0}, (0x0C << 8) | 'Q', 0x300); });  // Command-Shift-Q
  Queue([&] { return Event(6, Tbx::Point{0, 0}, reinterpret_cast<uintptr_t>(own)); });
  Queue([&] { return Event(6, Tbx::Point{0, 0}, reinterpret_cast<uintptr_t>(other)); });
  uint32_t pixel = 0;
  Look([&] {
    HDC dc = GetDC(Tbx::GetNativeWindow(own));
    pixel = GetPixel(dc, 40, 40);
    ReleaseDC(Tbx::GetNativeWindow(own), dc);
  });
  Queue([] {
    return Event(3, Tbx::Point{0, 0}, (0x0C << 8) | 'q', 0x180);
  });  // Command-Q, button bit

  VWindowView* homeView = area->GetWindowView();
  int32_t begun0 = 0, ended0 = 0;
  Tbx::CountUpdates(&begun0, &ended0);
  const int32_t tasks0 = Tbx::CountSystemTasks();
  OpenByClick();

  ASSERT_NE(own, nullptr);
  EXPECT_NE(own, window);
  EXPECT_TRUE(homeHidden);
  EXPECT_TRUE(otherHidden);
  // The looks answer no event: idle and mouse moves between the events.
  std::vector<uint16_t> events;
  for (uint16_t what : area->seen) {
    if (what != 0 && what != 18) events.push_back(what);
  }
  EXPECT_EQ(events, (std::vector<uint16_t>{1, 2, 3, 4, 3, 6}));
  EXPECT_EQ(pixel, RGB(0, 0, 255));  // the area drew itself in its own window
  int32_t begun = 0, ended = 0;
  Tbx::CountUpdates(&begun, &ended);
  EXPECT_EQ(begun - begun0, 2);
  EXPECT_EQ(ended - ended0, 2);
  EXPECT_GE(Tbx::CountSystemTasks() - tasks0, 10);
  EXPECT_EQ(gTurns, 10);

  // The host calls in order around the loop.
  std::vector<int32_t> around;
  for (int32_t s : gSelectors) {
    if (s == kHostSelState178 || s == kHostSelMode179 || s == -421) around.push_back(s);
  }
  EXPECT_EQ(around, (std::vector<int32_t>{-178, -179, -421, -421, -179}));
  EXPECT_EQ(gModes, (std::vector<int32_t>{0, 1}));
  // Home again: the windows shown, the area in its window view, the menu
  // bar as it was.
  EXPECT_TRUE(Tbx::IsWindowVisible(window));
  EXPECT_TRUE(Tbx::IsWindowVisible(other));
  EXPECT_EQ(Tbx::FrontWindow(), window);
  EXPECT_EQ(area->GetWindowView(), homeView);
  EXPECT_EQ(area->GetParent(), homeView);
  EXPECT_EQ(area->GetSizeState(), 0);
  EXPECT_EQ(area->opened, 1);
  EXPECT_EQ(area->closed, 1);
  EXPECT_EQ(menuBar.calls, (std::vector<std::string>{"show", "build", "remove", "hide"}));
  EXPECT_FALSE(menuBar.shown);
}

TEST_F(OwnWindow, HiddenWindowsComeBackLastHiddenFirst) {
  // The home window in front, the other behind: the home window is hidden
  // first, so it is shown and selected first, then the other, and the home
  // window is selected last.
  Tbx::SelectWindow(window);
  OpenByClick();
  EXPECT_EQ(Tbx::FrontWindow(), window);
  EXPECT_EQ(Tbx::GetNextWindow(window), other);
}

TEST_F(OwnWindow, MessageTwentyOpensAndTheCloseBoxCloses) {
  area->HandleMessage(area.get(), kMsgOwnWindow, 0);
  EXPECT_EQ(area->GetSizeState(), 2);
  bool closeFound = false;
  Tbx::WindowRef own = nullptr;
  Queue([&] {
    own = WindowOf(*area);
    Tbx::Point box{0, 0};
    closeFound = FindPart(own, Tbx::inGoAway, box);
    SetCursorPos(box.h + 100, box.v);  // let go on the title bar: not closed
    return Event(1, box);
  });
  Queue([&] {
    Tbx::Point box{0, 0};
    FindPart(own, Tbx::inGoAway, box);
    SetCursorPos(box.h, box.v);  // let go over the box
    return Event(1, box);
  });
  Look([] { ADD_FAILURE() << "the loop went on after the close box"; });
  host.Send(*area, 43);  // any event: the request runs at its end
  EXPECT_TRUE(closeFound);
  EXPECT_EQ(area->opened, 1);
  EXPECT_EQ(area->closed, 1);
  EXPECT_EQ(area->GetSizeState(), 1);
  EXPECT_EQ(gQueue.size(), 1u);
}

TEST_F(OwnWindow, TheFirstZoomLaysTheWindowOverTheHomeContentUnlessMovedBefore) {
  const Tbx::Rect home = Content(window);
  for (bool dragFirst : {false, true}) {
    SCOPED_TRACE(dragFirst ? "dragged first" : "zoomed first");
    Tbx::Rect first{0, 0, 0, 0}, second{0, 0, 0, 0};
    Tbx::WindowRef own = nullptr;
    // A press on a part of the frame, let go where it went down (the
    // title bar's a few pixels further).
    auto press = [&](int16_t part, int16_t dh) {
      Queue([&, part, dh] {
        own = WindowOf(*area);
        Tbx::Point at{0, 0};
        EXPECT_TRUE(FindPart(own, part, at) || FindPart(own, Tbx::inZoomIn, at));
        SetCursorPos(at.h + dh, at.v);
        return Event(1, at);
      });
    };
    if (dragFirst) press(Tbx::inDrag, 7);
    press(Tbx::inZoomOut, 0);
    Look([&] { first = Content(own); });
    press(Tbx::inZoomOut, 0);
    Look([&] { second = Content(own); });
    area->SetMinimumSize(0, 0);
    OpenByClick();
    const bool overHome = first.left == home.left && first.top == home.top && first.right == home.right &&
                          first.bottom == home.bottom;
    EXPECT_EQ(overHome, !dragFirst);
    // Later zooms are ordinary ones: out to the desktop, or back in.
    EXPECT_NE(second.right - second.left, first.right - first.left);
  }
}

TEST_F(OwnWindow, TheGrowBoxResizesOnTheInputTimeline) {
  Tbx::WindowRef own = nullptr;
  Tbx::Rect before{0, 0, 0, 0}, after{0, 0, 0, 0};
  int32_t viewWidth = 0;
  Queue([&] {
    own = WindowOf(*area);
    before = Content(own);
    const Tbx::Point corner{static_cast<int16_t>(before.bottom - 3),
                            static_cast<int16_t>(before.right - 3)};
    // Pressed in the grow box, dragged 40 left and 30 up, let go.
    const HeadlessInputEntry script[] = {
        {0, POINT{corner.h, corner.v}, HEADLESS_LEFT_BUTTON, {0}},
        {10, POINT{corner.h - 40, corner.v - 30}, HEADLESS_LEFT_BUTTON, {0}},
        {20, POINT{corner.h - 40, corner.v - 30}, 0, {0}},
    };
    LoadHeadlessInput(script, 3, 0);
    AdvanceHeadlessClock(1);
    return Event(1, corner);
  });
  Look([&] {
    after = Content(own);
    viewWidth = area->GetWindowView()->GetWidth();
    UnloadHeadlessInput();
  });
  OpenByClick();
  EXPECT_EQ(after.right - after.left, before.right - before.left - 40);
  EXPECT_EQ(after.bottom - after.top, before.bottom - before.top - 30);
  EXPECT_EQ(viewWidth, after.right - after.left);
}

TEST_F(OwnWindow, AMinimumLargerThanTheScreenStillRunsAndEnds) {
  area->SetMinimumSize(5000, 5000);
  host.Send(*area, 1);
  EXPECT_EQ(area->opened, 1);
  EXPECT_EQ(area->closed, 1);
  EXPECT_EQ(area->GetSizeState(), 0);
}

std::vector<int32_t> gPopUpFlags;
int32_t RecordPopUp(void*, int16_t top, int16_t left, int16_t item) {
  gPopUpFlags.push_back(IsPopUpMenuTracking() * 1000 + top + left + item);
  return 0;
}

TEST_F(OwnWindow, NoEventGivesMouseMovesThenIdleAndMenuChoicesAreExecuted) {
  Menu menu;
  Tbx::WindowRef own = nullptr;
  Look([&] {
    own = WindowOf(*area);
    const Tbx::Rect c = Content(own);
    SetCursorPos(c.left + 50, c.top + 60);
  });
  QueueNone();  // the mouse moved into the window
  QueueNone();  // it stays: idle
  Look([&] {
    menuBar.choice.menu = &menu;
    menuBar.choice.item = 4;
  });
  Look([] { Tbx::PopUpMenuSelect(nullptr, 2, 3, 4); });
  // The pop-up routine in place before the window: called by the window's
  // replacement with the tracking flag set.
  Tbx::TrapRoutine before = Tbx::NGetTrapAddress(Tbx::kTrapPopUpMenuSelect, Tbx::kToolboxTrap);
  Tbx::NSetTrapAddress(reinterpret_cast<Tbx::TrapRoutine>(&RecordPopUp), Tbx::kTrapPopUpMenuSelect,
                       Tbx::kToolboxTrap);
  gPopUpFlags.clear();
  OpenByClick();
  EXPECT_EQ(menu.items, (std::vector<int16_t>{4}));
  EXPECT_EQ(menuBar.choice.item, 0);
  ASSERT_GE(area->seen.size(), 3u);
  // Looks answer no event too: the first sees the mouse outside, then in.
  EXPECT_NE(std::find(area->seen.begin(), area->seen.end(), 18), area->seen.end());
  EXPECT_EQ(area->seen.back(), 0);
  EXPECT_EQ(gPopUpFlags, (std::vector<int32_t>{1 * 1000 + 9}));
  EXPECT_FALSE(IsPopUpMenuTracking());
  EXPECT_EQ(Tbx::NGetTrapAddress(Tbx::kTrapPopUpMenuSelect, Tbx::kToolboxTrap),
            reinterpret_cast<Tbx::TrapRoutine>(&RecordPopUp));
  Tbx::NSetTrapAddress(before, Tbx::kTrapPopUpMenuSelect, Tbx::kToolboxTrap);
}

// ---- The dock's answers: its menu bar, its floating bars' windows, its
// layout.

// The menu bar a dock description builds, which is also the window's menu
// bar; it notes what the own window asks of it.
class DockMenuBar : public VDockBar, public MenuBar {
 public:
  explicit DockMenuBar(VFrame* parent) : VDockBar(parent) { ResizeTo(200, 18, 0); }
  void GetFloatingSize(int32_t& w, int32_t& h) override {
    w = 200;
    h = 18;
  }
  int32_t GetDockedLength(bool) override { return 200; }
  int32_t GetDockedThickness(bool) override { return 18; }
  void SetDockSide(int16_t) override {}
};
DockMenuBar* gDockMenuBar = nullptr;
const VDockBarMakers kMenuBarMaker{
    [](VDockView* dock, VObject*, VResourceFile*, int16_t id) -> VDockBar* {
      gDockMenuBar = new DockMenuBar(dock);
      gDockMenuBar->SetResourceId(id);
      dock->DockBar(gDockMenuBar, kDockTop, kDockNoPosition, kDockNoPosition, false);
      return gDockMenuBar;
    },
    nullptr, nullptr};

// A floating window that holds one given emulation window.
Tbx::WindowRef gFloatingHeld = nullptr;
class HoldingFloatingWindow : public VDockFloatingWindow {
 public:
  void AddBar(VDockBar*, int32_t, int32_t) override {}
  void RemoveBar(VDockBar*) override {}
  void Show(bool) override {}
  bool IsOpen() override { return true; }
  void Close() override {}
  bool HoldsWindow(const Tbx::WindowRecord* w) const override {
    return w != nullptr && w == gFloatingHeld;
  }
};
const VDockFloatingWindowMaker kHoldingFloating{
    [](VDockView*) -> VDockFloatingWindow* { return new HoldingFloatingWindow; }};

// An area lends its port once at a time: the bars it builds while it holds
// the port measure their controls on that port, not on none.
VPort* gBarPortSeen = nullptr;
const VDockBarMakers kPortNotingMaker{
    nullptr, nullptr, [](VDockView* dock, VObject*, VResourceFile*, int16_t) { gBarPortSeen = dock->GetBarPort(); }};

TEST_F(OwnWindow, BarsBuiltWhileTheAreaHoldsItsPortMeasureOnIt) {
  StoredResourceFile res;
  res.Add(FourCC("XDOK"), 128, StoredBytes().U16(0).U16(0).U16(1).U16(7).bytes);
  VResourceFile* file = res.Open();
  ASSERT_NE(file, nullptr);
  VInstalledService<const VDockBarMakers> makers(&kPortNotingMaker);
  VPort* lent = area->GetPort();
  ASSERT_NE(lent, nullptr);
  EXPECT_EQ(area->GetPort(), nullptr);  // already lent
  gBarPortSeen = nullptr;
  area->LoadDockDescription(nullptr, file, 128, lent);
  EXPECT_EQ(gBarPortSeen, lent);
  area->FlushWindow();
  // Outside a build the bars measure on the area's own port, lent anew.
  EXPECT_NE(area->GetBarPort(), nullptr);
  area->FlushWindow();
}

TEST_F(OwnWindow, TheDockAnswersTheMenuBarTheFloatingWindowsAndTheLayout) {
  area->menuBar = nullptr;
  EXPECT_EQ(area->GetWindowMenuBar(), nullptr);  // no menu bar in the dock
  EXPECT_FALSE(area->IsFloatingBarWindow(other));

  StoredResourceFile res;
  res.Add(FourCC("XDOK"), 128, StoredBytes().U16(5).U16(0).U16(0).bytes);
  VResourceFile* file = res.Open();
  ASSERT_NE(file, nullptr);
  VInstalledService<const VDockBarMakers> makers(&kMenuBarMaker);
  gDockMenuBar = nullptr;
  area->LoadDockDescription(nullptr, file, 128);
  ASSERT_NE(gDockMenuBar, nullptr);
  EXPECT_EQ(area->GetWindowMenuBar(), static_cast<VWindowMenuBar*>(gDockMenuBar));

  // The other host window holds a floating bar: it stays shown.
  VInstalledService<const VDockFloatingWindowMaker> floating(&kHoldingFloating);
  gFloatingHeld = other;
  ASSERT_NE(area->MakeFloatingWindow(), nullptr);
  EXPECT_TRUE(area->IsFloatingBarWindow(other));
  EXPECT_FALSE(area->IsFloatingBarWindow(window));
  EXPECT_FALSE(area->IsFloatingBarWindow(nullptr));

  // A docking change left for the idle is laid out when the area comes
  // home.
  area->DockBar(gDockMenuBar, kDockTop, kDockNoPosition, kDockNoPosition, false);
  ASSERT_TRUE(area->IsRelayoutOnIdle());
  bool otherShown = false, homeShown = true;
  Look([&] {
    otherShown = Tbx::IsWindowVisible(other);
    homeShown = Tbx::IsWindowVisible(window);
  });
  OpenByClick();
  EXPECT_EQ(area->opened, 1);
  EXPECT_TRUE(otherShown);
  EXPECT_FALSE(homeShown);
  EXPECT_EQ(gDockMenuBar->calls, (std::vector<std::string>{"show", "build", "remove", "hide"}));
  EXPECT_FALSE(area->IsRelayoutOnIdle());
  gFloatingHeld = nullptr;
}

TEST_F(OwnWindow, AClickInTheMenuBarHandsTheToolboxSelectionToTheBar) {
  const uint8_t title[] = {4, 'E', 'd', 'i', 't'};
  const uint8_t cut[] = {3, 'C', 'u', 't'};
  const uint8_t copy[] = {4, 'C', 'o', 'p', 'y'};
  Tbx::MenuRef edit = Tbx::NewMenu(301, title);
  Tbx::AppendMenuItemText(edit, cut);
  Tbx::AppendMenuItemText(edit, copy);
  Tbx::InsertMenu(edit, 0);
  ResetMenuScript();
  ScriptMenuChooseText("Copy");
  ScriptMenuCancel();
  Queue([] { return Event(1, Tbx::Point{5, 5}); });  // in the menu bar: Copy
  Queue([] { return Event(1, Tbx::Point{5, 5}); });  // cancelled: nothing
  OpenByClick();
  EXPECT_EQ(menuBar.selections, (std::vector<int32_t>{(301 << 16) | 2}));
  Tbx::DisposeMenu(edit);
  ResetMenuScript();
}

}  // namespace
