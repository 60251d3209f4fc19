// The one screen of pixels: window DCs clipped to what shows, exposure into
// update regions, Invalidate and Validate, ScrollDC's uncovered region and
// window snapshots.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/gdi/GdiSnapshot.h"
#include "platform/gdi/WinGdi.h"
#include "platform/win32/WinMessages.h"
#include "platform/win32/WinPaint.h"
#include "platform/win32/WinWindowState.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

COLORREF ScreenAt(int x, int y) {
  HDC screen = GetDC(nullptr);
  COLORREF c = GetPixel(screen, x, y);
  ReleaseDC(nullptr, screen);
  return c;
}

void Blacken(HWND w) {
  HDC dc = GetDC(w);
  RECT r;
  GetClientRect(w, &r);
  PatBlt(dc, 0, 0, r.right, r.bottom, BLACKNESS);
  ReleaseDC(w, dc);
}

std::vector<RECT> UpdateRects(HWND w) {
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  GetUpdateRgn(w, rgn, FALSE_);
  std::vector<RECT> rects;
  DWORD size = GetRegionData(rgn, 0, nullptr);
  std::vector<uint8_t> data(size);
  if (size != 0 && GetRegionData(rgn, size, reinterpret_cast<RGNDATA*>(data.data())) == size) {
    auto* head = reinterpret_cast<RGNDATA*>(data.data());
    const RECT* r = reinterpret_cast<const RECT*>(head->Buffer);
    rects.assign(r, r + head->rdh.nCount);
  }
  DeleteObject(rgn);
  return rects;
}

bool Same(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

class Screen : public testing::Test {
 protected:
  void TearDown() override {
    for (HWND w : made_) DestroyWindow(w);
    ResetHeadlessWindowState();
    ResetHeadlessMessages();
  }
  HWND Make(LONG x, LONG y, LONG w, LONG h, HWND parent = nullptr) {
    HWND window = CreateHeadlessWindow(w, h);
    if (parent != nullptr) SetParent(window, parent);
    SetHeadlessWindowOrigin(window, x, y);
    ValidateRect(window, nullptr);
    made_.push_back(window);
    return window;
  }
  std::vector<HWND> made_;
};

TEST_F(Screen, AWindowDrawsOnlyWhereItShows) {
  HWND low = Make(100, 100, 50, 50);
  HWND high = Make(120, 120, 50, 50);
  HWND child = Make(0, 0, 10, 10, low);
  Blacken(low);
  struct Probe {
    int x, y;
    COLORREF expected;
  } probes[] = {
      {110, 130, kBlack},  // low, uncovered
      {130, 130, kWhite},  // under high
      {105, 105, kWhite},  // the child's area is not the parent's
      {149, 110, kBlack},  // low's last column
      {150, 110, kWhite},  // beyond low
  };
  for (const Probe& p : probes) {
    SCOPED_TRACE(std::to_string(p.x) + "," + std::to_string(p.y));
    EXPECT_EQ(ScreenAt(p.x, p.y), p.expected);
  }
  // The window DC reads only what shows of it.
  HDC dc = GetDC(low);
  EXPECT_EQ(GetPixel(dc, 10, 30), kBlack);
  EXPECT_EQ(GetPixel(dc, 30, 30), CLR_INVALID);
  ReleaseDC(low, dc);
  (void)child;
  (void)high;
}

TEST_F(Screen, APartlyOffScreenWindowDrawsItsOnScreenPart) {
  HWND w = Make(-20, -10, 40, 30);
  Blacken(w);
  EXPECT_EQ(ScreenAt(0, 0), kBlack);
  EXPECT_EQ(ScreenAt(19, 19), kBlack);
  EXPECT_EQ(ScreenAt(20, 0), kWhite);
  HDC dc = GetDC(w);
  EXPECT_EQ(GetPixel(dc, 5, 5), CLR_INVALID);  // off the screen
  EXPECT_EQ(GetPixel(dc, 25, 15), kBlack);
  ReleaseDC(w, dc);
  // Entirely off the screen: drawing does nothing and harms nothing.
  HWND away = Make(-500, -500, 100, 100);
  Blacken(away);
  EXPECT_TRUE(WriteHeadlessWindowPng(away, "/dev/null"));
  // Positions at the ends of the 32-bit range are held far inside it.
  ASSERT_TRUE(SetHeadlessWindowFrame(away, 16384, 0, 16384, 0));
  EXPECT_FALSE(SetHeadlessWindowFrame(away, 16385, 0, 0, 0));
  ASSERT_TRUE(MoveWindow(away, INT32_MAX, INT32_MIN, INT32_MAX, 10, TRUE_));
  RECT r;
  ASSERT_TRUE(GetWindowRect(away, &r));
  EXPECT_GT(r.right, r.left);
  EXPECT_LT(r.top, 0);
  Blacken(away);
}

TEST_F(Screen, WhatIsUncoveredJoinsTheUpdateRegion) {
  HWND low = Make(100, 100, 50, 50);
  HWND high = Make(120, 110, 50, 50);
  Blacken(low);
  struct Step {
    const char* what;
    void (*act)(HWND high);
    std::vector<RECT> update;  // low's, client coordinates
  } steps[] = {
      {"hide", [](HWND h) { ShowWindow(h, SW_HIDE); }, {{20, 10, 50, 50}}},
      {"show", [](HWND h) { ShowWindow(h, SW_SHOW); }, {}},
      {"move away", [](HWND h) { SetHeadlessWindowOrigin(h, 130, 110); }, {{20, 10, 30, 50}}},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.what);
    ValidateRect(low, nullptr);
    s.act(high);
    std::vector<RECT> got = UpdateRects(low);
    ASSERT_EQ(got.size(), s.update.size());
    for (size_t i = 0; i < got.size(); ++i) EXPECT_TRUE(Same(got[i], s.update[i]));
  }
  // Uncovered pixels are cleared; those that stayed visible keep theirs.
  EXPECT_EQ(ScreenAt(125, 120), kWhite);
  EXPECT_EQ(ScreenAt(110, 120), kBlack);
  // The moved window took its pixels along.
  SetHeadlessWindowFrame(high, 2, 2, 2, 2);
  Blacken(high);
  ValidateRect(high, nullptr);
  SetHeadlessWindowOrigin(high, 300, 300);
  EXPECT_EQ(ScreenAt(310, 310), kBlack);
  EXPECT_EQ(ScreenAt(299, 310), RGB(128, 128, 128));  // and its frame
  EXPECT_TRUE(UpdateRects(high).empty());
  // Raising a window uncovers nothing of it that showed already.
  BringWindowToTop(low);
  EXPECT_TRUE(UpdateRects(high).empty());
}

TEST_F(Screen, InvalidateAndValidateRectanglesAndRegions) {
  HWND w = Make(0, 0, 100, 100);
  const RECT inverted{50, 50, 10, 10};
  ASSERT_TRUE(InvalidateRect(w, &inverted, FALSE_));
  EXPECT_TRUE(UpdateRects(w).empty());
  const RECT a{10, 10, 30, 30};
  InvalidateRect(w, &a, FALSE_);
  HRGN b = CreateRectRgn(20, 20, 200, 40);  // reaches beyond the client area
  InvalidateRgn(w, b, FALSE_);
  RECT bounds;
  ASSERT_TRUE(GetUpdateRect(w, &bounds, FALSE_));
  EXPECT_TRUE(Same(bounds, RECT{10, 10, 100, 40}));
  ValidateRgn(w, b);
  std::vector<RECT> left = UpdateRects(w);
  ASSERT_EQ(left.size(), 2u);
  EXPECT_TRUE(Same(left[0], RECT{10, 10, 30, 20}));
  EXPECT_TRUE(Same(left[1], RECT{10, 20, 20, 30}));
  ASSERT_TRUE(ValidateRect(w, &inverted));
  EXPECT_EQ(UpdateRects(w).size(), 2u);
  ValidateRect(w, nullptr);
  EXPECT_FALSE(GetUpdateRect(w, nullptr, FALSE_));
  EXPECT_FALSE(InvalidateRgn(w, reinterpret_cast<HRGN>(uintptr_t{0x77}), FALSE_));
  DeleteObject(b);

  // BeginPaint clips to the update region and empties it.
  InvalidateRect(w, &a, FALSE_);
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(w, &ps);
  ASSERT_NE(dc, nullptr);
  EXPECT_TRUE(Same(ps.rcPaint, a));
  PatBlt(dc, 0, 0, 100, 100, BLACKNESS);
  EndPaint(w, &ps);
  EXPECT_EQ(ScreenAt(15, 15), kBlack);
  EXPECT_EQ(ScreenAt(5, 5), kWhite);
  EXPECT_FALSE(GetUpdateRect(w, nullptr, FALSE_));
}

TEST_F(Screen, AShrunkWindowCanValidateAllItsUpdateRegion) {
  // Invalid while large, then made smaller: what lay outside the new
  // client area cannot stay invalid, or an update loop would never end.
  HWND w = Make(0, 0, 300, 200);
  InvalidateRect(w, nullptr, FALSE_);
  MoveWindow(w, 0, 0, 120, 80, FALSE_);
  RECT client{0, 0, 0, 0};
  GetClientRect(w, &client);
  ValidateRect(w, nullptr);
  RECT left{0, 0, 0, 0};
  EXPECT_FALSE(GetUpdateRect(w, &left, FALSE_)) << left.right << "x" << left.bottom;
}

TEST_F(Screen, ScrollDCReportsWhatTheMoveUncovered) {
  HWND w = Make(0, 0, 100, 100);
  HWND cover = Make(0, 80, 100, 20);  // hides the bottom rows of w
  HDC dc = GetDC(w);
  PatBlt(dc, 0, 50, 100, 10, BLACKNESS);  // a black band at rows 50-59
  struct Case {
    const char* what;
    int dy;
    RECT scroll, clip;
    RECT uncoveredBounds;
    int blackRow;  // a row black after the scroll
  } cases[] = {
      // Up by 10 within the whole area: the band moves to 40-49; the rows
      // 70-79 whose source (80-89) is hidden are uncovered.
      {"up", -10, {0, 0, 100, 100}, {0, 0, 100, 100}, {0, 70, 100, 80}, 40},
      // Down by 10: the top rows are uncovered.
      {"down", 10, {0, 0, 100, 100}, {0, 0, 100, 100}, {0, 0, 100, 10}, 50},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    HRGN update = CreateRectRgn(0, 0, 0, 0);
    RECT bounds;
    ASSERT_TRUE(ScrollDC(dc, 0, c.dy, &c.scroll, &c.clip, update, &bounds));
    EXPECT_TRUE(Same(bounds, c.uncoveredBounds));
    EXPECT_EQ(GetPixel(dc, 5, c.blackRow), kBlack);
    DeleteObject(update);
  }
  // A far move uncovers everything and an inverted rectangle moves nothing.
  RECT all{0, 0, 100, 100}, bounds;
  ASSERT_TRUE(ScrollDC(dc, 0, 200, &all, &all, nullptr, &bounds));
  EXPECT_TRUE(Same(bounds, RECT{0, 0, 100, 80}));
  RECT inverted{100, 100, 0, 0};
  ASSERT_TRUE(ScrollDC(dc, 0, 5, &inverted, nullptr, nullptr, &bounds));
  EXPECT_TRUE(Same(bounds, RECT{0, 0, 0, 0}));
  EXPECT_EQ(GetPixel(dc, 5, 50), kBlack);  // still where the earlier scrolls left it
  ReleaseDC(w, dc);
  (void)cover;
}

TEST_F(Screen, SnapshotsOfAWindowAndOfTheScreen) {
  HWND w = Make(10, 10, 8, 6);
  HDC dc = GetDC(w);
  PatBlt(dc, 0, 0, 4, 6, BLACKNESS);
  ReleaseDC(w, dc);
  const std::string path = testing::TempDir() + "window.png";
  ASSERT_TRUE(WriteHeadlessWindowPng(w, path.c_str()));
  HBITMAP back = GdiReadPng(path.c_str());
  ASSERT_NE(back, nullptr);
  HDC mem = CreateCompatibleDC(nullptr);
  SelectObject(mem, back);
  EXPECT_EQ(GetPixel(mem, 3, 5), kBlack);
  EXPECT_EQ(GetPixel(mem, 4, 0), kWhite);
  EXPECT_EQ(GetPixel(mem, 8, 0), CLR_INVALID);  // the client area's size
  DeleteDC(mem);
  DeleteObject(back);
  const std::string screen = testing::TempDir() + "screen.png";
  EXPECT_TRUE(WriteHeadlessWindowPng(nullptr, screen.c_str()));
  EXPECT_FALSE(WriteHeadlessWindowPng(reinterpret_cast<HWND>(uintptr_t{0xBAD0}), path.c_str()));
  std::remove(path.c_str());
  std::remove(screen.c_str());
}

}  // namespace
