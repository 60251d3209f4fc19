// Dragging a window view on scripted input, and its grow box: the window
// moves by the distance dragged and no further than the desktop, a drag the
// button ends stops there, and the grow box lands in the view's corner
// whatever port origin the sender draws with.
#include <gtest/gtest.h>

#include "framework/system/environment/VEnvironmentLinks.h"
#include "views/VEvent.h"
#include "views/VFrameServices.h"
#include "views/VWindowView.h"
#include "graphics/VGraphicsEnvironmentLink.h"
#include "graphics/VPort.h"
#include "platform/gdi/WinGdi.h"
#include "platform/toolbox/TbxEnvironment.h"
#include "platform/toolbox/TbxPorts.h"
#include "platform/toolbox/TbxRegions.h"
#include "platform/toolbox/TbxWindows.h"
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
};

class WindowDrags : public testing::Test {
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
    view_->LoseFocus(nullptr);
  }
  void TearDown() override {
    delete view_;
    ResetHeadlessInput();
    VEnvironmentGraphicsService::Remove(GraphicsEnvironmentLink());
    VFrameWindowService::Remove(&kFrameWindowProc);
    VFrameAreaService::Remove(&kFrameAreaProc);
  }
  static HeadlessInputEntry At(ULONGLONG time, LONG x, LONG y, bool down, BYTE key = 0) {
    HeadlessInputEntry e{};
    e.time = time;
    e.cursor = POINT{x, y};
    e.buttons = down ? HEADLESS_LEFT_BUTTON : 0;
    e.keys[0] = key;
    return e;
  }
  POINT Place() const {
    int32_t left = 0, top = 0;
    Tbx::GetWindowBounds(view_->GetToolboxWindow(), &left, &top, nullptr, nullptr);
    return POINT{left, top};
  }
  VWindowView* view_ = nullptr;
};

TEST_F(WindowDrags, TheWindowMovesByTheDistanceDraggedWithinTheDesktop) {
  // The pointer starts in the title bar at (150, 190).
  struct Case {
    const char* name;
    LONG endX, endY;
    LONG left, top;  // where the content ends up
  } cases[] = {
      {"right and down", 190, 230, 140, 240},
      {"left and up", 120, 150, 70, 160},
      {"to the right edge", 1023, 190, 100 + 1023 - 150, 200},
      {"let go past the right edge: no move", 5000, 190, 100, 200},
      {"let go in the menu bar: no move", 150, 5, 100, 200},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    view_->MoveTo(100, 200, 0);
    // On the way the pointer goes off the desktop and back.
    const HeadlessInputEntry script[] = {At(0, 150, 190, true), At(10, -300, 2000, true),
                                         At(20, c.endX, c.endY, true)};
    ASSERT_TRUE(LoadHeadlessInput(script, 3, 0));
    DragWindowView(view_);
    const POINT p = Place();
    EXPECT_EQ(p.x, c.left);
    EXPECT_EQ(p.y, c.top);
    int32_t x = 0, y = 0;
    view_->GetPosition(x, y);
    EXPECT_EQ(x, c.left);
    EXPECT_EQ(y, c.top);
    UnloadHeadlessInput();
  }
}

TEST_F(WindowDrags, ADragTheButtonEndsStopsThere) {
  const HeadlessInputEntry script[] = {At(0, 150, 190, true), At(10, 170, 200, true),
                                       At(20, 180, 210, false), At(40, 400, 400, true)};
  ASSERT_TRUE(LoadHeadlessInput(script, 4, 0));
  DragWindowView(view_);
  EXPECT_EQ(Place().x, 130);
  EXPECT_EQ(Place().y, 220);
  EXPECT_TRUE(view_->IsFocused());
  EXPECT_TRUE(HeadlessInputPending());  // the later press is not this drag's
}

TEST_F(WindowDrags, ControlKeepsTheFocusWhereItIsAndNoButtonMeansNoDrag) {
  const HeadlessInputEntry script[] = {At(0, 150, 190, true, VK_CONTROL),
                                       At(10, 170, 200, true, VK_CONTROL)};
  ASSERT_TRUE(LoadHeadlessInput(script, 2, 0));
  DragWindowView(view_);
  EXPECT_FALSE(view_->IsFocused());
  EXPECT_EQ(Place().x, 120);
  UnloadHeadlessInput();
  ResetHeadlessInput();
  SetCursorPos(400, 400);  // button up: taking the focus is all
  DragWindowView(view_);
  EXPECT_TRUE(view_->IsFocused());
  EXPECT_EQ(Place().x, 120);
  DragWindowView(nullptr);
}

TEST_F(WindowDrags, TheOutlineIsKeptOffTheWindowsInFrontAndTheMenuBar) {
  VWindowView front(static_cast<VFrame*>(nullptr), 3, false, false, false);
  front.MoveTo(300, 300, 0);
  front.ResizeTo(50, 50, 0);
  front.SetVisible(true);
  VWindowView hidden(static_cast<VFrame*>(nullptr), 3, false, false, false);
  hidden.MoveTo(500, 500, 0);
  hidden.ResizeTo(50, 50, 0);
  const HeadlessInputEntry script[] = {At(0, 150, 190, true), At(10, 170, 200, true)};
  ASSERT_TRUE(LoadHeadlessInput(script, 2, 0));
  Tbx::GrafPtr before = nullptr;
  Tbx::SetPort(before);
  DragWindowView(view_);
  Tbx::GrafPtr after = &view_->GetToolboxWindow()->port;
  Tbx::GetPort(&after);
  EXPECT_EQ(after, nullptr);  // the current port is put back
  Tbx::GrafPtr desk = nullptr;
  Tbx::GetWMgrPort(&desk);
  Tbx::RgnHandle clip = Tbx::NewRgn();
  Tbx::GetPortClipRegion(desk, clip);
  EXPECT_FALSE(Tbx::PtInRgn(Tbx::Point{320, 320}, clip));  // the window in front
  EXPECT_FALSE(Tbx::PtInRgn(Tbx::Point{299, 299}, clip));  // and its border
  EXPECT_FALSE(Tbx::PtInRgn(Tbx::Point{5, 5}, clip));      // the menu bar
  EXPECT_TRUE(Tbx::PtInRgn(Tbx::Point{520, 520}, clip));   // a hidden one counts not
  EXPECT_TRUE(Tbx::PtInRgn(Tbx::Point{250, 150}, clip));   // the window dragged
  Tbx::SetRectRgn(clip, -32768, -32768, 32767, 32767);
  Tbx::SetPortClipRegion(desk, clip);
  Tbx::DisposeRgn(clip);
}

class GrowBoxes : public WindowDrags {
 protected:
  COLORREF Pixel(int x, int y) {
    HDC dc = GetDC(view_->GetWindowHandle());
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(view_->GetWindowHandle(), dc);
    return c;
  }
  void Blacken() {
    HDC dc = GetDC(view_->GetWindowHandle());
    PatBlt(dc, 0, 0, 200, 100, BLACKNESS);
    ReleaseDC(view_->GetWindowHandle(), dc);
  }
};

TEST_F(GrowBoxes, TheBoxFillsTheLastSixteenPixelsOfTheView) {
  auto* inner = new Plain(view_, 30, 20, 100, 50);
  for (int from = 0; from < 3; ++from) {
    SCOPED_TRACE(from);
    Blacken();
    if (from == 0) {
      // The window's own port, handed back afterwards.
      EXPECT_TRUE(view_->NotifyParent(nullptr, kMsgDrawGrowBox, 0));
      EXPECT_EQ(view_->GetPortUses(), 0);
    } else {
      // A sender's port standing at the sender's origin.
      VPort* port = from == 1 ? view_->GetPort() : inner->GetPort();
      ASSERT_NE(port, nullptr);
      EXPECT_TRUE(inner->NotifyParent(inner, kMsgDrawGrowBox, reinterpret_cast<intptr_t>(port)));
      inner->FlushWindow();
    }
    const COLORREF box = Pixel(184, 84);
    EXPECT_NE(box, RGB(0, 0, 0));
    EXPECT_EQ(Pixel(199, 99), box);
    EXPECT_EQ(Pixel(191, 84), box);
    EXPECT_EQ(Pixel(183, 84), RGB(0, 0, 0));
    EXPECT_EQ(Pixel(184, 83), RGB(0, 0, 0));
  }
  // A port already lent out: nothing drawn.
  VPort* held = view_->GetPort();
  Blacken();
  EXPECT_FALSE(view_->NotifyParent(nullptr, kMsgDrawGrowBox, 0));
  EXPECT_EQ(Pixel(190, 90), RGB(0, 0, 0));
  if (held != nullptr) view_->FlushWindow();
  // No grow box: nothing.
  view_->SetGrowBox(false);
  EXPECT_FALSE(view_->NotifyParent(nullptr, kMsgDrawGrowBox, 0));
  EXPECT_EQ(Pixel(190, 90), RGB(0, 0, 0));
}

}  // namespace
