// Window procedures, the message queue, focus, capture and activation, and
// the bad calls: dead handles, destruction from every angle, runaway sends.
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "platform/gdi/WinGdi.h"
#include "platform/win32/WinInput.h"
#include "platform/win32/WinMessages.h"
#include "platform/win32/WinPaint.h"
#include "platform/win32/WinWindowState.h"

namespace {

using Seen = std::tuple<HWND, UINT, WPARAM, LPARAM>;
std::vector<Seen> gSeen;
// Messages of no interest to the routing tests.
bool Noise(UINT m) { return m == WM_PAINT || m == WM_SHOWWINDOW || m == WM_NCDESTROY; }

LRESULT Recorder(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (!Noise(m)) gSeen.emplace_back(w, m, wp, lp);
  return DefWindowProcA(w, m, wp, lp);
}

class WindowMessages : public testing::Test {
 protected:
  void SetUp() override {
    ResetHeadlessMessages();
    gSeen.clear();
  }
  void TearDown() override {
    for (HWND w : made_) DestroyWindow(w);
    ResetHeadlessMessages();
    ResetHeadlessWindowState();
  }
  HWND Make(HWND parent = nullptr, WNDPROC proc = Recorder) {
    HWND w = CreateHeadlessWindow(40, 30);
    if (parent != nullptr) SetParent(w, parent);
    SetWindowLongPtrA(w, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(proc));
    made_.push_back(w);
    return w;
  }
  std::vector<HWND> made_;
};

TEST_F(WindowMessages, LongsTextAndEnablingAreKeptPerWindow) {
  HWND w = Make();
  EXPECT_EQ(GetWindowLongPtrA(w, GWL_WNDPROC), reinterpret_cast<LONG_PTR>(&Recorder));
  const LONG_PTR big = static_cast<LONG_PTR>(0x123456789ABCLL);
  EXPECT_EQ(SetWindowLongPtrA(w, GWL_USERDATA, big), 0);
  EXPECT_EQ(GetWindowLongPtrA(w, GWL_USERDATA), big);  // pointer-sized, not cut to 32 bits
  EXPECT_EQ(SetWindowLongA(w, GWL_ID, 7), 0);
  EXPECT_EQ(GetWindowLongA(w, GWL_ID), 7);
  EXPECT_EQ(SetWindowLongA(w, GWL_WNDPROC, 1), 0);  // an address does not fit a LONG
  EXPECT_EQ(GetWindowLongPtrA(w, 99), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);

  SendMessageA(w, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Form one"));
  char text[5];
  EXPECT_EQ(GetWindowTextA(w, text, sizeof text), 4);  // cut, terminated
  EXPECT_STREQ(text, "Form");

  EXPECT_FALSE(EnableWindow(w, FALSE_));
  EXPECT_FALSE(IsWindowEnabled(w));
  EXPECT_TRUE(GetWindowLongA(w, GWL_STYLE) & WS_DISABLED);
  EXPECT_EQ(SetFocus(w), nullptr);
  EXPECT_EQ(GetFocus(), nullptr);  // a disabled window cannot take the focus
  EXPECT_TRUE(EnableWindow(w, TRUE_));
}

TEST_F(WindowMessages, ChildrenAreStackedAndFoundUnderThePoint) {
  HWND top = Make();
  HWND a = Make(top);
  HWND b = Make(top);
  MoveWindow(a, 0, 0, 20, 20, FALSE_);
  MoveWindow(b, 10, 10, 20, 20, FALSE_);
  EXPECT_EQ(GetWindow(top, GW_CHILD), b);  // the newest child is on top
  EXPECT_EQ(GetWindow(b, GW_HWNDNEXT), a);
  EXPECT_EQ(GetWindow(a, GW_HWNDNEXT), nullptr);
  EXPECT_EQ(ChildWindowFromPoint(top, POINT{15, 15}), b);
  BringWindowToTop(a);
  EXPECT_EQ(ChildWindowFromPoint(top, POINT{15, 15}), a);
  EXPECT_EQ(ChildWindowFromPoint(top, POINT{45, 5}), nullptr);
  SetHeadlessWindowOrigin(top, 100, 100);
  EXPECT_EQ(WindowFromPoint(POINT{125, 125}), b);
  EXPECT_TRUE(IsChild(top, b));
  // An inverted size is no size.
  ASSERT_TRUE(MoveWindow(b, 10, 10, -20, -5, TRUE_));
  RECT r;
  GetClientRect(b, &r);
  EXPECT_EQ(r.right, 0);
  EXPECT_EQ(r.bottom, 0);
  EXPECT_EQ(WindowFromPoint(POINT{125, 125}), top);
}

TEST_F(WindowMessages, QueueDeliversInOrderWithFiltersAndPaintsLast) {
  HWND a = Make();
  HWND b = Make();
  ValidateRect(a, nullptr);
  ValidateRect(b, nullptr);
  ASSERT_TRUE(PostMessageA(a, WM_USER, 1, 0));
  ASSERT_TRUE(PostMessageA(b, WM_USER + 1, 2, 0));
  ASSERT_TRUE(PostMessageA(a, WM_USER + 2, 3, 0));
  InvalidateRect(b, nullptr, FALSE_);
  MSG m;
  // A filter by window and by range; PM_NOREMOVE leaves it queued.
  ASSERT_TRUE(PeekMessageA(&m, b, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(m.message, WM_USER + 1u);
  ASSERT_TRUE(PeekMessageA(&m, nullptr, WM_USER + 2, WM_USER + 2, PM_REMOVE));
  EXPECT_EQ(m.wParam, 3u);
  std::vector<UINT> order;
  while (GetMessageA(&m, nullptr, 0, 0)) {
    order.push_back(m.message);
    DispatchMessageA(&m);
  }
  // Queued messages, then WM_PAINT until DefWindowProcA validated, then the
  // loop ends by itself: nothing is left.
  EXPECT_EQ(order, (std::vector<UINT>{WM_USER, WM_USER + 1, WM_PAINT}));
  EXPECT_FALSE(GetUpdateRect(b, nullptr, FALSE_));
  EXPECT_EQ(gSeen.size(), 2u);

  PostQuitMessage(3);
  EXPECT_FALSE(GetMessageA(&m, nullptr, 0, 0));
  EXPECT_EQ(m.message, WM_QUIT);
}

TEST_F(WindowMessages, APostBeyondTheQueueQuotaFailsButQuitStillArrives) {
  HWND a = Make();
  ValidateRect(a, nullptr);
  int posted = 0;
  while (PostMessageA(a, WM_USER, static_cast<WPARAM>(posted), 0) && posted <= 10000) ++posted;
  EXPECT_EQ(posted, 10000);
  EXPECT_EQ(GetLastError(), ERROR_NOT_ENOUGH_QUOTA);
  // Taking one makes room for one more; the quit request needs no room.
  MSG m;
  ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.wParam, 0u);
  EXPECT_TRUE(PostMessageA(a, WM_USER, 1, 0));
  EXPECT_FALSE(PostMessageA(a, WM_USER, 2, 0));
  PostQuitMessage(3);
  int left = 0;
  while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE) && m.message != WM_QUIT) ++left;
  EXPECT_EQ(left, 10000);
  EXPECT_EQ(m.message, WM_QUIT);
  EXPECT_EQ(m.wParam, 3u);
}

TEST_F(WindowMessages, FocusCaptureAndActivationTellBothSides) {
  HWND a = Make();
  HWND b = Make();
  HWND child = Make(b);
  ASSERT_EQ(SetActiveWindow(a), nullptr);
  EXPECT_EQ(SetFocus(child), nullptr);  // activates the child's top-level window
  EXPECT_EQ(GetActiveWindow(), b);
  EXPECT_EQ(SetCapture(a), nullptr);
  EXPECT_EQ(SetCapture(b), a);
  ASSERT_TRUE(ReleaseCapture());
  SetActiveWindow(nullptr);
  const std::vector<Seen> expected = {
      {a, WM_ACTIVATEAPP, 1, 0},
      {a, WM_ACTIVATE, WA_ACTIVE, 0},
      {a, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(b)},
      {b, WM_ACTIVATE, WA_ACTIVE, reinterpret_cast<LPARAM>(a)},
      {child, WM_SETFOCUS, 0, 0},
      {a, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(b)},
      {b, WM_CAPTURECHANGED, 0, 0},
      {b, WM_ACTIVATE, WA_INACTIVE, 0},
      {b, WM_ACTIVATEAPP, 0, 0},
  };
  EXPECT_EQ(gSeen, expected);
}

TEST_F(WindowMessages, DeadHandlesGiveErrorsNotCrashes) {
  HWND dead = CreateHeadlessWindow(5, 5);
  DestroyWindow(dead);
  HWND forged = reinterpret_cast<HWND>(uintptr_t{0xBAD0});
  for (HWND w : {dead, forged}) {
    SCOPED_TRACE(reinterpret_cast<uintptr_t>(w));
    SetLastError(0);
    EXPECT_EQ(SendMessageA(w, WM_USER, 0, 0), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(PostMessageA(w, WM_USER, 0, 0));
    EXPECT_EQ(GetWindowLongPtrA(w, GWL_USERDATA), 0);
    EXPECT_EQ(SetWindowLongPtrA(w, GWL_WNDPROC, 0), 0);
    EXPECT_FALSE(SetWindowTextA(w, "x"));
    EXPECT_FALSE(InvalidateRect(w, nullptr, FALSE_));
    EXPECT_FALSE(MoveWindow(w, 0, 0, 1, 1, TRUE_));
    EXPECT_EQ(SetFocus(w), nullptr);
    EXPECT_EQ(SetCapture(w), nullptr);
    EXPECT_EQ(GetWindow(w, GW_CHILD), nullptr);
    EXPECT_FALSE(DestroyWindow(w));
    EXPECT_EQ(GetDC(w), nullptr);
  }
  EXPECT_EQ(GetFocus(), nullptr);
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(WindowMessages, DestroyingAWindowHoldingChildrenFocusAndCapture) {
  HWND top = Make();
  HWND child = Make(top);
  SetFocus(child);
  SetCapture(child);
  PostMessageA(child, WM_USER, 0, 0);
  ASSERT_TRUE(DestroyWindow(top));
  EXPECT_FALSE(IsWindow(child));
  EXPECT_EQ(GetFocus(), nullptr);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(GetActiveWindow(), nullptr);
  MSG m;
  EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));  // its queued message went too
  // WM_DESTROY reached the parent and then the child.
  ASSERT_GE(gSeen.size(), 2u);
  EXPECT_EQ(gSeen[gSeen.size() - 2], Seen(top, WM_DESTROY, 0, 0));
  EXPECT_EQ(gSeen.back(), Seen(child, WM_DESTROY, 0, 0));
}

int gDestroyCalls = 0;
LRESULT SelfDestroying(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_USER) {
    EXPECT_TRUE(DestroyWindow(w));
    // The procedure goes on after its window has gone.
    EXPECT_FALSE(IsWindow(w));
    EXPECT_EQ(GetWindowLongPtrA(w, GWL_USERDATA), 0);
    return 5;
  }
  if (m == WM_DESTROY) {
    ++gDestroyCalls;
    EXPECT_EQ(GetWindowLongPtrA(w, GWL_USERDATA), 42);  // still readable while told
    EXPECT_TRUE(DestroyWindow(w));                      // again, from inside: nothing more happens
  }
  return DefWindowProcA(w, m, wp, lp);
}

TEST_F(WindowMessages, AWindowDestroyedInsideItsOwnProcedure) {
  HWND w = CreateHeadlessWindow(10, 10);
  SetWindowLongPtrA(w, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(&SelfDestroying));
  SetWindowLongPtrA(w, GWL_USERDATA, 42);
  gDestroyCalls = 0;
  EXPECT_EQ(SendMessageA(w, WM_USER, 0, 0), 5);
  EXPECT_EQ(gDestroyCalls, 1);
  EXPECT_FALSE(IsWindow(w));
}

LRESULT DestroysItsParent(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_DESTROY) {
    EXPECT_TRUE(DestroyWindow(GetParent(w)));
  }
  return DefWindowProcA(w, m, wp, lp);
}

TEST_F(WindowMessages, AChildDestroyingItsParentWhileItIsDestroyed) {
  HWND top = CreateHeadlessWindow(10, 10);
  HWND child = CreateHeadlessWindow(10, 10);
  HWND sibling = CreateHeadlessWindow(10, 10);
  SetParent(child, top);
  SetParent(sibling, top);
  SetWindowLongPtrA(child, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(&DestroysItsParent));
  EXPECT_TRUE(DestroyWindow(child));
  for (HWND w : {top, child, sibling}) EXPECT_FALSE(IsWindow(w));
}

int gDepth = 0;
LRESULT Echo(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m != WM_USER) return DefWindowProcA(w, m, wp, lp);
  ++gDepth;
  return SendMessageA(w, WM_USER, wp, lp) + 1;  // never stops by itself
}

TEST_F(WindowMessages, RunawayNestedSendsAreCutOff) {
  HWND w = Make(nullptr, Echo);
  gDepth = 0;
  SetLastError(0);
  EXPECT_EQ(SendMessageA(w, WM_USER, 0, 0), 256);
  EXPECT_EQ(gDepth, 256);
  EXPECT_EQ(GetLastError(), ERROR_STACK_OVERFLOW);
  // Sending works again once the chain has unwound.
  SetWindowLongPtrA(w, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(&Recorder));
  gSeen.clear();
  SendMessageA(w, WM_USER, 1, 2);
  EXPECT_EQ(gSeen.size(), 1u);
}

}  // namespace

// A key-down that types a character is followed by its WM_CHAR, ahead of
// what was queued after it; other keys and messages queue nothing.
TEST_F(WindowMessages, TranslatedKeysQueueTheirCharacterNext) {
  struct Case {
    const char* name;
    UINT message;
    WPARAM key;
    int shift, capsLock, control;
    int typed;  // -1: nothing is typed
  };
  const Case cases[] = {
      {"letter", WM_KEYDOWN, 'K', 0, 0, 0, 'k'},
      {"shifted letter", WM_KEYDOWN, 'K', 1, 0, 0, 'K'},
      {"caps lock letter", WM_KEYDOWN, 'K', 0, 1, 0, 'K'},
      {"caps lock and shift", WM_KEYDOWN, 'K', 1, 1, 0, 'k'},
      {"control letter", WM_KEYDOWN, 'C', 0, 0, 1, 3},
      {"digit", WM_KEYDOWN, '1', 0, 0, 0, '1'},
      {"shifted digit", WM_KEYDOWN, '1', 1, 0, 0, '!'},
      {"caps lock digit", WM_KEYDOWN, '9', 0, 1, 0, '9'},
      {"space", WM_KEYDOWN, VK_SPACE, 0, 0, 0, ' '},
      {"return", WM_KEYDOWN, VK_RETURN, 0, 0, 0, '\r'},
      {"escape", WM_KEYDOWN, VK_ESCAPE, 0, 0, 0, 0x1B},
      {"shift alone", WM_KEYDOWN, VK_SHIFT, 1, 0, 0, -1},
      {"control digit", WM_KEYDOWN, '1', 0, 0, 1, -1},
      {"key up", WM_KEYUP, 'K', 0, 0, 0, -1},
      {"not a key", WM_LBUTTONDOWN, 'K', 0, 0, 0, -1},
  };
  HWND w = Make();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResetHeadlessMessages();
    ResetHeadlessInput();
    SetHeadlessKeyDown(VK_SHIFT, c.shift != 0);
    SetHeadlessKeyDown(VK_CONTROL, c.control != 0);
    SetHeadlessKeyToggled(VK_CAPITAL, c.capsLock != 0);
    PostMessageA(w, WM_USER, 1, 0);  // queued after the key
    const MSG key{w, c.message, c.key, 0x001E0001, 0, POINT{0, 0}};
    EXPECT_EQ(TranslateMessage(&key) != FALSE_, c.typed >= 0);
    MSG next{};
    ASSERT_TRUE(PeekMessageA(&next, nullptr, 0, 0, PM_REMOVE));
    if (c.typed >= 0) {
      EXPECT_EQ(next.hwnd, w);
      EXPECT_EQ(next.message, WM_CHAR);
      EXPECT_EQ(next.wParam, static_cast<WPARAM>(c.typed));
      EXPECT_EQ(next.lParam, 0x001E0001);
      ASSERT_TRUE(PeekMessageA(&next, nullptr, 0, 0, PM_REMOVE));
    }
    EXPECT_EQ(next.message, WM_USER);
  }
  ResetHeadlessInput();
  const MSG dead{reinterpret_cast<HWND>(0x7777), WM_KEYDOWN, 'K', 0, 0, POINT{0, 0}};
  EXPECT_FALSE(TranslateMessage(&dead));
  EXPECT_FALSE(TranslateMessage(nullptr));
}
