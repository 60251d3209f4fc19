// The headless window table's placement: parents, client-to-screen mapping,
// frames, visibility, stacking, foreground and active window, screens and
// system metrics.
#include <gtest/gtest.h>

#include "platform/win32/WinWindowState.h"
#include "platform/win32/WinWindows.h"

namespace {

class HeadlessWindows : public testing::Test {
 protected:
  void SetUp() override { ResetHeadlessWindowState(); }
  void TearDown() override {
    for (HWND w : made_) DestroyWindow(w);
    ResetHeadlessWindowState();
  }
  HWND Make(LONG w, LONG h) {
    HWND window = CreateHeadlessWindow(w, h);
    made_.push_back(window);
    return window;
  }
  std::vector<HWND> made_;
};

TEST_F(HeadlessWindows, ChildOriginsAddUpToScreenCoordinates) {
  HWND top = Make(400, 300);
  HWND child = Make(100, 50);
  ASSERT_TRUE(SetHeadlessWindowOrigin(top, 100, 80));
  EXPECT_EQ(SetParent(child, top), nullptr);
  ASSERT_TRUE(SetHeadlessWindowOrigin(child, 10, 20));
  EXPECT_EQ(GetParent(child), top);
  EXPECT_EQ(GetParent(top), nullptr);

  POINT p{1, 2};
  ASSERT_TRUE(ClientToScreen(child, &p));
  EXPECT_EQ(p.x, 111);
  EXPECT_EQ(p.y, 102);
  ASSERT_TRUE(ScreenToClient(top, &p));
  EXPECT_EQ(p.x, 11);
  EXPECT_EQ(p.y, 22);
}

TEST_F(HeadlessWindows, MapWindowPointsMovesEveryPointAndAnswersTheOffset) {
  HWND a = Make(50, 50);
  HWND b = Make(50, 50);
  SetHeadlessWindowOrigin(a, 30, 40);
  SetHeadlessWindowOrigin(b, 10, 100);
  POINT points[2] = {{0, 0}, {5, 5}};
  const int answer = MapWindowPoints(a, b, points, 2);
  EXPECT_EQ(points[0].x, 20);
  EXPECT_EQ(points[0].y, -60);
  EXPECT_EQ(points[1].x, 25);
  EXPECT_EQ(points[1].y, -55);
  EXPECT_EQ(static_cast<int16_t>(answer & 0xFFFF), 20);
  EXPECT_EQ(static_cast<int16_t>((answer >> 16) & 0xFFFF), -60);

  POINT q{0, 0};
  MapWindowPoints(a, nullptr, &q, 1);
  EXPECT_EQ(q.x, 30);
  EXPECT_EQ(q.y, 40);
}

TEST_F(HeadlessWindows, WindowRectIsTheClientAreaGrownByTheFrame) {
  HWND w = Make(200, 100);
  SetHeadlessWindowOrigin(w, 50, 60);
  ASSERT_TRUE(SetHeadlessWindowFrame(w, 4, 30, 4, 4));
  RECT r;
  ASSERT_TRUE(GetWindowRect(w, &r));
  EXPECT_EQ(r.left, 46);
  EXPECT_EQ(r.top, 30);
  EXPECT_EQ(r.right, 254);
  EXPECT_EQ(r.bottom, 164);
  EXPECT_FALSE(SetHeadlessWindowFrame(w, -1, 0, 0, 0));
}

TEST_F(HeadlessWindows, AWindowCannotBecomeItsOwnAncestor) {
  HWND a = Make(10, 10);
  HWND b = Make(10, 10);
  SetParent(b, a);
  EXPECT_EQ(SetParent(a, b), nullptr);
  EXPECT_EQ(GetParent(a), nullptr);
  EXPECT_EQ(SetParent(a, a), nullptr);
  EXPECT_EQ(GetParent(a), nullptr);
  // Back to top-level.
  EXPECT_EQ(SetParent(b, nullptr), a);
  EXPECT_EQ(GetParent(b), nullptr);
}

TEST_F(HeadlessWindows, HiddenAncestorHidesItsChildren) {
  HWND top = Make(10, 10);
  HWND child = Make(10, 10);
  SetParent(child, top);
  EXPECT_TRUE(IsWindowVisible(child));
  EXPECT_TRUE(ShowWindow(top, SW_HIDE));
  EXPECT_FALSE(IsWindowVisible(child));
  EXPECT_FALSE(ShowWindow(top, SW_SHOW));
  EXPECT_TRUE(IsWindowVisible(child));
}

TEST_F(HeadlessWindows, TopWindowIsTheOneBroughtUpLast) {
  EXPECT_EQ(GetTopWindow(nullptr), nullptr);
  HWND a = Make(10, 10);
  HWND b = Make(10, 10);
  HWND child = Make(10, 10);
  BringWindowToTop(a);
  BringWindowToTop(b);
  SetParent(child, a);
  BringWindowToTop(child);
  EXPECT_EQ(GetTopWindow(nullptr), b);
  EXPECT_EQ(GetTopWindow(a), child);
  EXPECT_EQ(GetTopWindow(b), nullptr);
  SetForegroundWindow(a);
  EXPECT_EQ(GetTopWindow(nullptr), a);
}

TEST_F(HeadlessWindows, ForegroundAndActiveWindowsAreForgottenWhenDestroyed) {
  HWND a = CreateHeadlessWindow(10, 10);
  EXPECT_EQ(GetForegroundWindow(), nullptr);
  ASSERT_TRUE(SetForegroundWindow(a));  // activates it as well
  EXPECT_EQ(SetActiveWindow(a), a);
  EXPECT_EQ(GetForegroundWindow(), a);
  EXPECT_EQ(GetActiveWindow(), a);
  DestroyWindow(a);
  EXPECT_EQ(GetForegroundWindow(), nullptr);
  EXPECT_EQ(GetActiveWindow(), nullptr);
  EXPECT_EQ(GetTopWindow(nullptr), nullptr);
  EXPECT_FALSE(SetForegroundWindow(a));
  EXPECT_EQ(GetParent(a), nullptr);
}

TEST_F(HeadlessWindows, ChildrenAreDestroyedWithTheirParent) {
  HWND top = CreateHeadlessWindow(10, 10);
  HWND child = CreateHeadlessWindow(10, 10);
  HWND grandchild = CreateHeadlessWindow(10, 10);
  SetParent(child, top);
  SetParent(grandchild, child);
  ASSERT_TRUE(DestroyWindow(top));
  EXPECT_FALSE(IsWindow(child));
  EXPECT_FALSE(IsWindow(grandchild));
  POINT p{0, 0};
  EXPECT_FALSE(ClientToScreen(child, &p));
  EXPECT_FALSE(DestroyWindow(child));
}

TEST_F(HeadlessWindows, ScreensDecideTheScreenMetrics) {
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 768);
  EXPECT_EQ(GetSystemMetrics(SM_CYMENU), 19);
  EXPECT_EQ(GetSystemMetrics(SM_CMONITORS), 1);
  EXPECT_EQ(GetSystemMetrics(9999), 0);
  const RECT screens[2] = {{0, 0, 1280, 1024}, {1280, 0, 2560, 800}};
  ASSERT_TRUE(SetHeadlessScreens(screens, 2));
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1280);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 1024);
  EXPECT_EQ(GetSystemMetrics(SM_CMONITORS), 2);
  RECT back[4];
  EXPECT_EQ(GetHeadlessScreens(back, 4), 2);
  EXPECT_EQ(back[1].left, 1280);
}

TEST_F(HeadlessWindows, ScreensWithoutAreaAreRefused) {
  const RECT empty = {10, 10, 10, 20};
  EXPECT_FALSE(SetHeadlessScreens(&empty, 1));
  EXPECT_FALSE(SetHeadlessScreens(nullptr, 1));
  const RECT good = {0, 0, 10, 10};
  EXPECT_FALSE(SetHeadlessScreens(&good, 0));
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
}

TEST_F(HeadlessWindows, BadHandlesAreRefused) {
  HWND bogus = reinterpret_cast<HWND>(uintptr_t{0xDEAD0});
  EXPECT_EQ(GetParent(bogus), nullptr);
  EXPECT_FALSE(SetHeadlessWindowOrigin(bogus, 1, 1));
  RECT r;
  EXPECT_FALSE(GetWindowRect(bogus, &r));
  POINT p{0, 0};
  EXPECT_EQ(MapWindowPoints(bogus, nullptr, &p, 1), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_FALSE(IsWindowVisible(bogus));
}

}  // namespace
