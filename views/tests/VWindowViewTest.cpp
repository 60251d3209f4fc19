// Window views made through the emulation or attached to the host's windows:
// the kinds' definitions and boxes, the window list, attached windows left
// where they are, zooming there and back, the end of the message chain, the
// click-through check and the frame under the pointer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/core/strings/VUniString.h"
#include "framework/system/environment/VEnvironmentLinks.h"
#include "framework/system/environment/VSystemServices.h"
#include "views/VCommand.h"
#include "views/VCommandMgr.h"
#include "views/VEvent.h"
#include "views/VFrameServices.h"
#include "views/VWindowView.h"
#include "graphics/VGraphicsEnvironmentLink.h"
#include "platform/toolbox/TbxEnvironment.h"
#include "platform/toolbox/TbxWindows.h"
#include "platform/win32/WinInput.h"
#include "platform/win32/WinWindowState.h"
#include "platform/win32/WinWindows.h"

namespace {

std::vector<std::string> gSeen;

class Spot : public VFrame {
 public:
  Spot(VFrame* parent, const char* name, int32_t x, int32_t y, int32_t w, int32_t h)
      : VFrame(parent, nullptr), fName(name) {
    MoveTo(x, y, 0);
    ResizeTo(w, h, 0);
  }
  void UpdateCursor(VEvent& e, bool entered) override {
    gSeen.push_back(fName + (entered ? " enter " : " within ") + std::to_string(e.GetX()));
  }
  void CursorHook() override { gSeen.push_back(fName + " left"); }
  bool MouseDown(VEvent&) override {
    gSeen.push_back(fName + " down");
    return true;
  }
  bool CanLoseFocus() override { return fMayLeave; }
  int32_t HandleKey(VEvent&) override {
    Tbx::GrafPtr current = nullptr;
    Tbx::GetPort(&current);
    portDuringKey = current;
    return 0;
  }
  Tbx::GrafPtr portDuringKey = nullptr;
  std::string fName;
  bool fMayLeave = true;
};

class Windows : public testing::Test {
 protected:
  void SetUp() override {
    ResetHeadlessInput();
    ResetHeadlessWindowState();
    Tbx::ClearMainWindowRecord();
    VFrameAreaService::Install(&kFrameAreaProc);
    VFrameWindowService::Install(&kFrameWindowProc);
    VEnvironmentGraphicsService::Install(GraphicsEnvironmentLink());
    gSeen.clear();
  }
  void TearDown() override {
    VEnvironmentGraphicsService::Remove(GraphicsEnvironmentLink());
    VFrameWindowService::Remove(&kFrameWindowProc);
    VFrameAreaService::Remove(&kFrameAreaProc);
  }
};

TEST_F(Windows, EachKindChoosesItsDefinitionAndBoxes) {
  struct Case {
    uint16_t kind;
    bool close, grow, zoom;
    int16_t definition;
    bool hasClose, hasGrow, hasZoom, title;
  };
  const Case cases[] = {
      {1, true, true, true, 1, false, false, false, false},
      {2, true, true, true, 5, true, false, false, true},
      {3, true, true, true, 2, false, false, false, false},
      {4, true, true, true, 3, false, false, false, false},
      {5, true, true, true, 8, true, true, true, true},
      {5, false, false, true, 12, false, false, true, true},
      {5, false, true, false, 0, false, true, false, true},
      {5, true, false, false, 4, true, false, false, true},
      {6, true, false, true, 720, true, false, true, true},
      {7, true, true, true, 2, false, false, false, false},
      {8, true, true, true, 2, false, false, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind * 100 + c.definition);
    VWindowView view(static_cast<VFrame*>(nullptr), c.kind, c.close, c.grow, c.zoom);
    ASSERT_NE(view.GetToolboxWindow(), nullptr);
    EXPECT_EQ(view.GetToolboxWindow()->procID, c.definition);
    EXPECT_EQ(view.HasCloseBox(), c.hasClose);
    EXPECT_EQ(view.HasGrowBox(), c.hasGrow);
    EXPECT_EQ(view.HasZoomBox(), c.hasZoom);
    EXPECT_EQ(view.HasTitleBar(), c.title);
    EXPECT_FALSE(view.IsVisible());  // created hidden
    EXPECT_FALSE(view.IsAttached());
    EXPECT_EQ(FindWindowView(view.GetWindowHandle()), &view);
  }
}

TEST_F(Windows, TheListForgetsDestroyedViewsAndKnowsNoStrangers) {
  HWND stranger = CreateHeadlessWindow(50, 50);
  EXPECT_EQ(FindWindowView(stranger), nullptr);
  EXPECT_EQ(FindWindowView(nullptr), nullptr);
  HWND native = nullptr;
  {
    VWindowView view(static_cast<VFrame*>(nullptr), 5, true, true, true);
    native = view.GetWindowHandle();
    EXPECT_EQ(FindWindowView(native), &view);
  }
  EXPECT_EQ(FindWindowView(native), nullptr);
  EXPECT_FALSE(IsWindow(native));  // a created window is disposed of
  DestroyWindow(stranger);
}

TEST_F(Windows, AnAttachedWindowIsOnlyRereadWhenMoved) {
  Tbx::Rect bounds{40, 30, 140, 230};
  const uint8_t title[] = {3, 'D', 'o', 'c'};
  Tbx::WindowRef host =
      Tbx::NewCWindow(nullptr, &bounds, title, true, Tbx::zoomDocProc, Tbx::kInFront, true, 0);
  ASSERT_NE(host, nullptr);
  {
    VWindowView view(static_cast<VFrame*>(nullptr), host);
    EXPECT_TRUE(view.IsAttached());
    EXPECT_EQ(view.GetWindowKind(), 5);
    EXPECT_EQ(view.GetTitle()->GetLength(), 3);
    int32_t x = 0, y = 0;
    view.GetPosition(x, y);
    EXPECT_EQ(x, 30);
    EXPECT_EQ(y, 40);
    EXPECT_EQ(view.GetWidth(), 200);
    view.MoveTo(300, 300, 1);
    int32_t left = 0, top = 0;
    Tbx::GetWindowBounds(host, &left, &top, nullptr, nullptr);
    EXPECT_EQ(left, 30);
    EXPECT_EQ(top, 40);
    view.GetPosition(x, y);
    EXPECT_EQ(x, 30);
  }
  // The host's window outlives its view.
  EXPECT_NE(Tbx::GetNativeWindow(host), nullptr);
  Tbx::DisposeWindow(host);
}

TEST_F(Windows, ZoomingTwiceGivesTheRectangleBack) {
  HWND main = CreateHeadlessWindow(640, 480);
  Tbx::SetMainWindowRecord(nullptr, main);
  VSystemServices services;
  gSystemServices = &services;
  {
    VWindowView view(static_cast<VFrame*>(nullptr), 5, true, true, true);
    view.MoveTo(50, 60, 0);
    view.ResizeTo(100, 80, 0);
    view.Zoom();
    EXPECT_TRUE(view.IsZoomed());
    EXPECT_GT(view.GetWidth(), 100);
    view.Zoom();
    EXPECT_FALSE(view.IsZoomed());
    int32_t left = 0, top = 0, width = 0, height = 0;
    Tbx::GetWindowBounds(view.GetToolboxWindow(), &left, &top, &width, &height);
    EXPECT_EQ(left, 50);
    EXPECT_EQ(top, 60);
    EXPECT_EQ(width, 100);
    EXPECT_EQ(height, 80);
  }
  gSystemServices = nullptr;
  Tbx::ClearMainWindowRecord();
  DestroyWindow(main);
}

TEST_F(Windows, APlaceInTheTopWindowCountsFromItsClientAreaBelowACaption) {
  HWND main = CreateHeadlessWindow(640, 480);
  SetHeadlessWindowOrigin(main, 30, 50);
  Tbx::SetMainWindowRecord(nullptr, main);
  {
    VWindowView view(static_cast<VFrame*>(nullptr), 5, true, true, true);
    view.MoveTo(100, 120, 0);
    view.ResizeTo(200, 100, 0);
    auto* f = new Spot(&view, "f", 5, 6, 10, 10);
    POINT mainCorner{0, 0};
    ClientToScreen(main, &mainCorner);
    int32_t sx = 0, sy = 0;
    f->LocalToScreen(sx, sy);
    EXPECT_EQ(sx, 105);
    EXPECT_EQ(sy, 126);
    int32_t x = 0, y = 0;
    f->GetPositionInTopWindow(x, y);
    EXPECT_EQ(x, 105 - mainCorner.x);
    EXPECT_EQ(y, 126 - mainCorner.y + GetSystemMetrics(SM_CYCAPTION));
  }
  Tbx::ClearMainWindowRecord();
  DestroyWindow(main);
}

TEST_F(Windows, AClickElsewhereIsSwallowedWhenTheTargetWillNotLetGo) {
  HWND native = CreateHeadlessWindow(200, 100);
  VWindowView view(native);
  auto* field = new Spot(&view, "field", 10, 10, 50, 20);
  auto* other = new Spot(&view, "other", 100, 10, 50, 20);
  field->SetEnabled(true);
  view.GetCommandMgr()->FocusNext(false);
  ASSERT_EQ(field->GetFocusFrame(), field);
  field->fMayLeave = false;
  VEvent click(110, 15, 0, false, false, false, false, false, 1, 0);
  EXPECT_TRUE(view.DispatchMouse(click));
  EXPECT_TRUE(gSeen.empty());
  field->fMayLeave = true;
  EXPECT_TRUE(view.DispatchMouse(click));
  EXPECT_EQ(gSeen, (std::vector<std::string>{"other down"}));
  (void)other;
  view.Close();
  DestroyWindow(native);
}

TEST_F(Windows, ThePointerEntersMovesWithinAndLeavesFrames) {
  HWND native = CreateHeadlessWindow(200, 100);
  VWindowView view(native);
  auto* a = new Spot(&view, "a", 10, 10, 50, 20);
  new Spot(&view, "b", 100, 10, 50, 20);
  struct Step {
    int32_t x, y;
  };
  for (Step s : {Step{20, 15}, Step{25, 15}, Step{110, 15}, Step{300, 15}}) {
    VEvent move(s.x, s.y, 0, true, false, false, false, false, 0, 0);
    view.PointerMoved(move);
    EXPECT_EQ(move.GetX(), s.x);  // the event is given back as it came
  }
  EXPECT_EQ(gSeen, (std::vector<std::string>{"a enter 10", "a within 15", "a left", "b enter 10",
                                             "b left"}));
  VEvent back(20, 15, 0, true, false, false, false, false, 0, 0);
  view.PointerMoved(back);
  VFrame* under = nullptr;
  EXPECT_TRUE(
      view.NotifyParent(nullptr, kMsgFrameUnderPointer, reinterpret_cast<intptr_t>(&under)));
  EXPECT_EQ(under, a);
  delete a;  // leaving clears it
  EXPECT_EQ(view.GetFrameUnderPointer(), nullptr);
  view.Close();
  DestroyWindow(native);
}

TEST_F(Windows, ActivationMessagesMoveTheWindowFocusAndOthersGoToTheOwner) {
  struct Owner : VFrame {
    Owner() : VFrame(nullptr, nullptr) {}
    bool NotifyParent(VFrame*, int32_t message, intptr_t parameter) override {
      seen.push_back(message);
      last = parameter;
      return message == kMsgOwnerFocusMayMove;
    }
    std::vector<int32_t> seen;
    intptr_t last = 0;
  } owner;
  VWindowView view(&owner, 5, true, true, true);
  auto* f = new Spot(&view, "f", 0, 0, 10, 10);
  f->SetEnabled(true);
  f->MakeDefaultFrame();
  EXPECT_FALSE(view.NotifyParent(nullptr, kMsgIsFocused, 0));
  EXPECT_TRUE(view.NotifyParent(nullptr, kMsgActivate, 0));
  EXPECT_TRUE(view.NotifyParent(nullptr, kMsgIsFocused, 0));
  EXPECT_EQ(f->GetFocusFrame(), f);  // the default took the focus
  // Keys reach the target with its window's port current, put back after.
  Tbx::SetPort(nullptr);
  VEvent key(0, 0, 0, false, false, false, false, false, 0, 'k');
  EXPECT_EQ(view.HandleKey(key), 0);
  EXPECT_EQ(f->portDuringKey, &view.GetToolboxWindow()->port);
  Tbx::GrafPtr after = &view.GetToolboxWindow()->port;
  Tbx::GetPort(&after);
  EXPECT_EQ(after, nullptr);
  EXPECT_EQ(VCommandMgr::GetCurrent(), view.GetCommandMgr());
  EXPECT_TRUE(view.NotifyParent(nullptr, kMsgDeactivate, 0));
  EXPECT_FALSE(f->IsFocused());
  EXPECT_EQ(VCommandMgr::GetCurrent(), nullptr);
  // A message of no one's below goes to the owner, its full-width
  // parameter intact.
  const intptr_t wide = static_cast<intptr_t>(0x123456789ABCLL);
  owner.seen.clear();
  EXPECT_FALSE(view.NotifyParent(f, -12345, wide));
  EXPECT_EQ(owner.seen, (std::vector<int32_t>{-12345}));
  EXPECT_EQ(owner.last, wide);
  VStr<32> t;
  t.SetCText("Window title", kCharSetAnsi);
  view.SetTitle(t);
  char text[64] = {};
  GetWindowTextA(view.GetWindowHandle(), text, sizeof text);
  EXPECT_STREQ(text, "Window title");
  view.Close();
}

// A pop-up menu that records what the frame asked of it.
struct Asked {
  int32_t menuId = 0, item = 0, look = -9, flag = 0, x = 0, y = 0;
  bool deleted = false;
} gAsked;
class RecordingMenu : public VPopUpMenu {
 public:
  ~RecordingMenu() override { gAsked.deleted = true; }
  void SetLook(int16_t look) override { gAsked.look = look; }
  void SetFlag(int32_t flag) override { gAsked.flag = flag; }
  void Track(int32_t x, int32_t y) override {
    gAsked.x = x;
    gAsked.y = y;
  }
};
const VPopUpMenuMaker kRecordingMaker{[](VFrame*, VPort*, int32_t id, int16_t item) -> VPopUpMenu* {
  gAsked.menuId = id;
  gAsked.item = item;
  return new RecordingMenu();
}};

TEST_F(Windows, FramesReachTheDelegatesCommandsThroughTheirShortcuts) {
  struct Commands : VWindowDelegate {
    void Attached(VWindowView*) override {}
    void Detached(VWindowView*) override {}
    VCommand* FindCommand(int32_t id) override { return id == 42 ? &command : nullptr; }
    bool HandleMessage(VFrame*, int32_t, intptr_t) override { return false; }
    VCommand command{42};
  } commands;
  HWND native = CreateHeadlessWindow(100, 100);
  VWindowView view(native);
  view.SetDelegate(&commands);
  auto* f = new Spot(&view, "f", 0, 0, 10, 10);
  EXPECT_EQ(f->GetCommandLong(42), 0);  // no value yet
  f->SetCommandLong(42, 17, 0);
  EXPECT_EQ(f->GetCommandLong(42), 17);
  f->EnableCommand(42, true, 0);
  EXPECT_TRUE(f->IsCommandEnabled(42));
  f->EnableCommand(42, false, 0);
  EXPECT_FALSE(f->IsCommandEnabled(42));
  EXPECT_FALSE(f->IsCommandEnabled(43));
  VStr<32> title;
  title.SetCText("Gras", kCharSetAnsi);
  f->SetCommandTitle(42, title, 0);
  VStr<32> out;
  f->GetCommandTitle(out, 42);
  EXPECT_EQ(out.GetLength(), 4);
  f->GetCommandTitle(out, 43);
  EXPECT_EQ(out.GetLength(), 0);
  view.Close();
  view.SetDelegate(nullptr);
  DestroyWindow(native);
}

TEST_F(Windows, APopUpMenuIsTrackedAtTheScreenPointAndDeleted) {
  HWND native = CreateHeadlessWindow(200, 100);
  SetHeadlessWindowOrigin(native, 40, 30);
  VWindowView view(native);
  auto* f = new Spot(&view, "f", 10, 20, 50, 20);
  f->PopUpMenu(7, 3, 0, 0, 1);  // no maker: nothing happens
  EXPECT_FALSE(gAsked.deleted);
  {
    VInstalledService<const VPopUpMenuMaker> maker(&kRecordingMaker);
    f->SetLookIndex(2);
    f->PopUpMenu(7, 3, 5, 6, 1);
  }
  POINT client{0, 0};
  ClientToScreen(native, &client);
  EXPECT_EQ(gAsked.menuId, 7);
  EXPECT_EQ(gAsked.item, 3);
  EXPECT_EQ(gAsked.look, 2);
  EXPECT_EQ(gAsked.flag, 1);
  EXPECT_EQ(gAsked.x, client.x + 10 + 5);
  EXPECT_EQ(gAsked.y, client.y + 20 + 6);
  EXPECT_TRUE(gAsked.deleted);
  EXPECT_EQ(view.GetPortUses(), 0);
  view.Close();
  DestroyWindow(native);
}

}  // namespace
