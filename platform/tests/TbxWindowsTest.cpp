// Toolbox windows over the native table: definitions, the window list,
// titles, placement, part codes, port regions and drawing, regions, and
// disposed or forged records.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/gdi/WinGdi.h"
#include "platform/toolbox/TbxWindows.h"
#include "platform/win32/WinPaint.h"
#include "platform/win32/WinWindowState.h"

namespace {

using namespace Tbx;

const uint8_t kTitle[] = "\x05Hello";

class ToolboxWindows : public testing::Test {
 protected:
  void TearDown() override {
    for (WindowRef w : made_) DisposeWindow(w);
    SetPort(nullptr);
    ClearMainWindowRecord();
    if (main_ != nullptr) DestroyWindow(main_);
    ResetHeadlessWindowState();
  }
  WindowRef Make(int16_t left, int16_t top, int16_t right, int16_t bottom,
                 int16_t proc = documentProc, bool goAway = true, WindowRef behind = kInFront) {
    Rect r{top, left, bottom, right};
    WindowRef w = NewCWindow(nullptr, &r, kTitle, true, proc, behind, goAway, 77);
    if (w != nullptr) made_.push_back(w);
    return w;
  }
  void Forget(WindowRef w) { made_.erase(std::find(made_.begin(), made_.end(), w)); }
  std::vector<WindowRef> made_;
  HWND main_ = nullptr;
};

RECT Frame(HWND native) {
  RECT outer, client;
  GetWindowRect(native, &outer);
  GetClientRect(native, &client);
  POINT c{0, 0};
  ClientToScreen(native, &c);
  return RECT{c.x - outer.left, c.y - outer.top, outer.right - c.x - client.right,
              outer.bottom - c.y - client.bottom};
}

TEST_F(ToolboxWindows, DefinitionsGiveFramesBoxesAndStyles) {
  struct Case {
    int16_t proc;
    RECT frame;
    bool caption, grow, zoom;
  } cases[] = {
      {documentProc, {1, 19, 1, 1}, true, true, false},
      {dBoxProc, {3, 3, 3, 3}, false, false, false},
      {plainDBox, {1, 1, 1, 1}, false, false, false},
      {altDBoxProc, {1, 1, 3, 3}, false, false, false},
      {noGrowDocProc, {1, 19, 1, 1}, true, false, false},
      {movableDBoxProc, {2, 20, 2, 2}, true, false, false},
      {zoomDocProc, {1, 19, 1, 1}, true, true, true},
      {zoomNoGrow, {1, 19, 1, 1}, true, false, true},
      {floatProc, {1, 13, 1, 1}, true, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.proc);
    WindowRef w = Make(100, 100, 300, 200, c.proc);
    ASSERT_NE(w, nullptr);
    HWND native = GetNativeWindow(w);
    RECT f = Frame(native);
    EXPECT_EQ(std::vector<LONG>({f.left, f.top, f.right, f.bottom}),
              std::vector<LONG>({c.frame.left, c.frame.top, c.frame.right, c.frame.bottom}));
    const LONG style = GetWindowLongA(native, GWL_STYLE);
    EXPECT_EQ((style & WS_CAPTION) != 0, c.caption);
    EXPECT_EQ((style & WS_THICKFRAME) != 0, c.grow);
    EXPECT_EQ(w->spareFlag, c.zoom);
    EXPECT_TRUE(w->goAwayFlag);
    EXPECT_EQ(GetWRefCon(w), 77);
    POINT content{0, 0};
    ClientToScreen(native, &content);
    EXPECT_EQ(content.x, 100);
    EXPECT_EQ(content.y, 100);
    Rect port;
    GetPortBounds(GetWindowPort(w), &port);
    EXPECT_EQ(port.right, 200);
    EXPECT_EQ(port.bottom, 100);
  }
  EXPECT_EQ(Make(0, 0, 10, 10, 6), nullptr);  // no such definition
  EXPECT_EQ(Make(10, 10, 0, 0), nullptr);     // inverted
  EXPECT_EQ(NewCWindow(nullptr, nullptr, kTitle, true, 0, kInFront, false, 0), nullptr);
}

TEST_F(ToolboxWindows, WindowsAreChildrenOfTheMainWindowRecord) {
  main_ = CreateHeadlessWindow(800, 600);
  SetHeadlessWindowOrigin(main_, 30, 50);
  SetMainWindowRecord(nullptr, main_);
  WindowRef w = Make(100, 120, 200, 220);
  HWND native = GetNativeWindow(w);
  EXPECT_EQ(GetParent(native), main_);
  EXPECT_EQ(GetNativeWindowRecord(native), w);
  POINT c{0, 0};
  ClientToScreen(native, &c);
  EXPECT_EQ(c.x, 100);
  EXPECT_EQ(c.y, 120);
  SetPort(GetWindowPort(w));
  Point p{125, 110};  // v, h
  GlobalToLocal(&p);
  EXPECT_EQ(p.h, 10);
  EXPECT_EQ(p.v, 5);
  MoveWindow(w, 300, 310, false);
  c = POINT{0, 0};
  ClientToScreen(native, &c);
  EXPECT_EQ(c.x, 300);
  EXPECT_EQ(c.y, 310);
  // The menu bar is the main window's top 19 rows.
  WindowRef hit = w;
  EXPECT_EQ(FindWindow(Point{60, 40}, &hit), inMenuBar);
  EXPECT_EQ(hit, nullptr);
}

TEST_F(ToolboxWindows, TheListSelectionAndTitles) {
  WindowRef a = Make(0, 30, 50, 80);
  WindowRef b = Make(0, 30, 50, 80);
  WindowRef c = Make(0, 30, 50, 80, documentProc, false, nullptr);  // behind all
  EXPECT_EQ(FrontWindow(), b);
  EXPECT_EQ(GetNextWindow(b), a);
  EXPECT_EQ(GetNextWindow(a), c);
  SelectWindow(c);
  EXPECT_EQ(FrontWindow(), c);
  EXPECT_TRUE(c->hilited);
  EXPECT_FALSE(b->hilited);
  EXPECT_EQ(GetNextWindow(c), b);
  EXPECT_EQ(GetTopWindow(nullptr), GetNativeWindow(c));  // the native stacking follows
  HideWindow(c);
  EXPECT_EQ(FrontWindow(), b);

  uint8_t title[256];
  GetWTitle(a, title);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(title + 1), title[0]), "Hello");
  SetWTitle(a, reinterpret_cast<const uint8_t*>("\x03Two"));
  char text[16];
  GetWindowTextA(GetNativeWindow(a), text, sizeof text);
  EXPECT_STREQ(text, "Two");

  SizeWindow(a, 120, -5, true);
  Rect port;
  GetPortBounds(GetWindowPort(a), &port);
  EXPECT_EQ(port.right, 120);
  EXPECT_EQ(port.bottom, 0);
}

TEST_F(ToolboxWindows, FindWindowGivesTheFrontmostPart) {
  WindowRef back = Make(100, 100, 300, 300, zoomDocProc);
  WindowRef front = Make(200, 295, 400, 400, plainDBox);
  struct Case {
    int16_t h, v;
    int16_t part;
    WindowRef window;
  } cases[] = {
      {150, 150, inContent, back},
      {290, 290, inGrow, back},      // the grow box, bottom-right of the content
      {290, 296, inContent, front},  // the front window covers the rest of the grow box
      {200, 85, inDrag, back},       // title bar
      {112, 85, inGoAway, back},
      {285, 85, inZoomOut, back},
      {250, 294, inContent, front},  // front's plain one-pixel border
      {600, 600, inDesk, nullptr},
      {600, 5, inMenuBar, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.h) + "," + std::to_string(c.v));
    WindowRef w = kInFront;
    EXPECT_EQ(FindWindow(Point{c.v, c.h}, &w), c.part);
    EXPECT_EQ(w, c.window);
  }
}

TEST_F(ToolboxWindows, PortRegionsAndDrawingThroughThePortDC) {
  WindowRef low = Make(100, 100, 200, 200, plainDBox);
  WindowRef high = Make(150, 150, 250, 250, plainDBox);
  RgnHandle rgn = NewRgn();
  GetPortVisibleRegion(GetWindowPort(low), rgn);
  Rect box;
  GetRegionBounds(rgn, &box);
  EXPECT_EQ(box.right, 100);
  EXPECT_FALSE(PtInRgn(Point{60, 60}, rgn));  // under high (and its border)
  EXPECT_TRUE(PtInRgn(Point{10, 60}, rgn));

  // Drawing goes through the port's clip; the DC stays until the end.
  SetPort(GetWindowPort(low));
  Rect clip{0, 0, 20, 20};
  ClipRect(&clip);
  HDC dc = GetPortHDC(GetWindowPort(low));
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(GetPortHDC(GetWindowPort(low)), dc);
  PatBlt(dc, 0, 0, 100, 100, BLACKNESS);
  EndPortDrawing(GetWindowPort(low));
  HDC screen = GetDC(nullptr);
  EXPECT_EQ(GetPixel(screen, 110, 110), RGB(0, 0, 0));
  EXPECT_EQ(GetPixel(screen, 130, 130), RGB(255, 255, 255));

  // The desktop port draws over every window.
  GrafPtr desk = nullptr;
  GetWMgrPort(&desk);
  ASSERT_NE(desk, nullptr);
  HDC deskDc = GetPortHDC(desk);
  PatBlt(deskDc, 160, 160, 2, 2, BLACKNESS);
  EndPortDrawing(desk);
  EXPECT_EQ(GetPixel(screen, 160, 160), RGB(0, 0, 0));
  ReleaseDC(nullptr, screen);

  // The grey region leaves out the menu bar.
  RgnHandle gray = GetGrayRgn();
  EXPECT_FALSE(PtInRgn(Point{5, 5}, gray));
  EXPECT_TRUE(PtInRgn(Point{30, 5}, gray));
  DisposeRgn(rgn);
  (void)high;
}

TEST_F(ToolboxWindows, TheGrowBoxFillsTheCornerWhereFindWindowAnswersGrow) {
  // Content 100 x 80 at (100, 100): the box spans x 185..199, y 165..179.
  struct Case {
    int16_t proc;
    bool drawn;
  } cases[] = {
      {documentProc, true}, {zoomDocProc, true}, {noGrowDocProc, false}, {plainDBox, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.proc);
    WindowRef w = Make(100, 100, 200, 180, c.proc);
    ASSERT_NE(w, nullptr);
    DrawGrowIcon(w);
    HDC dc = GetDC(GetNativeWindow(w));
    const COLORREF white = RGB(255, 255, 255);
    const COLORREF black = RGB(0, 0, 0);
    EXPECT_EQ(GetPixel(dc, 85, 65), c.drawn ? black : white);  // outer frame
    EXPECT_EQ(GetPixel(dc, 99, 79), c.drawn ? black : white);
    EXPECT_EQ(GetPixel(dc, 86, 66), c.drawn ? RGB(192, 192, 192) : white);
    EXPECT_EQ(GetPixel(dc, 88, 68), c.drawn ? black : white);  // the larger ridge
    EXPECT_EQ(GetPixel(dc, 84, 64), white);                    // outside the box
    ReleaseDC(GetNativeWindow(w), dc);
    Point corner{170, 190};
    WindowRef found = nullptr;
    EXPECT_EQ(FindWindow(corner, &found) == inGrow, c.drawn);
    DisposeWindow(w);
    Forget(w);
  }
}

TEST_F(ToolboxWindows, DisposedAndForgedRecordsAreRefused) {
  WindowRef w = Make(0, 30, 50, 80);
  HWND native = GetNativeWindow(w);
  SetPort(GetWindowPort(w));
  DisposeWindow(w);
  Forget(w);
  EXPECT_FALSE(IsWindow(native));
  GrafPtr current = reinterpret_cast<GrafPtr>(1);
  GetPort(&current);
  EXPECT_EQ(current, nullptr);  // its port is no longer current
  auto* forged = reinterpret_cast<WindowRef>(uintptr_t{0x1234560});
  for (WindowRef bad : {w, forged}) {
    EXPECT_EQ(GetNativeWindow(bad), nullptr);
    EXPECT_EQ(GetWindowPort(bad), nullptr);
    EXPECT_EQ(GetNextWindow(bad), nullptr);
    EXPECT_EQ(GetPortHDC(reinterpret_cast<CGrafPtr>(bad)), nullptr);
    uint8_t title[256] = {9};
    GetWTitle(bad, title);
    EXPECT_EQ(title[0], 0);
    ShowWindow(bad);
    SelectWindow(bad);
    MoveWindow(bad, 1, 1, true);
    SizeWindow(bad, 1, 1, true);
    SetWTitle(bad, kTitle);
    DisposeWindow(bad);
  }
  SetPort(reinterpret_cast<GrafPtr>(forged));
  Point p{5, 5};
  GlobalToLocal(&p);
  EXPECT_EQ(p.h, 5);
  SetPort(nullptr);
}

TEST_F(ToolboxWindows, RegionRecordsRoundTripAndCorruptOnesAreRefused) {
  RgnHandle a = NewRgn();
  RgnHandle b = NewRgn();
  SetRectRgn(a, 0, 0, 10, 10);
  SetRectRgn(b, 5, 5, 20, 20);
  RgnHandle u = NewRgn();
  UnionRgn(a, b, u);
  EXPECT_EQ(GetHandleSize(u), 10 + 8 * 3);  // three bands, one rectangle each
  RgnHandle copy = NewRgn();
  CopyRgn(u, copy);
  DiffRgn(copy, b, copy);
  EXPECT_TRUE(PtInRgn(Point{2, 2}, copy));
  EXPECT_FALSE(PtInRgn(Point{6, 6}, copy));
  SetRectRgn(b, 10, 10, 0, 0);  // inverted: empty
  EXPECT_TRUE(EmptyRgn(b));
  // A record claiming more rectangles than its block holds reads as nothing.
  auto* p = static_cast<uint8_t*>(HLock(u));
  const int16_t lie = 10 + 8 * 40;
  std::memcpy(p, &lie, 2);
  HUnlock(u);
  EXPECT_TRUE(EmptyRgn(u));
  Rect box{1, 1, 1, 1};
  GetRegionBounds(u, &box);
  EXPECT_EQ(box.right, 0);
  CopyRgn(u, copy);  // refused: the copy keeps its region
  EXPECT_TRUE(PtInRgn(Point{2, 2}, copy));
  for (RgnHandle r : {a, b, u, copy}) DisposeRgn(r);
}

}  // namespace
