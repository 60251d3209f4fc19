// The drop-down list's tracking loop on scripted input and posted messages:
// Escape when the input runs out, the button-down flag from clicks, redraws
// after paints, another application coming to the front, and everything put
// back afterwards.
#include "controls/toolbars/VDropDownLoop.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "views/VShortcut.h"
#include "platform/win32/WinInput.h"
#include "platform/win32/WinMessages.h"
#include "platform/win32/WinPaint.h"
#include "platform/win32/WinWindowState.h"

namespace {

class List : public VDropDownPopUp {
 public:
  void HandleKey(VShortcut& key) override {
    keys.push_back(key.GetKeyCode() != 0 ? key.GetKeyCode() : key.GetCharacter());
    if (key.GetKeyCode() == kKeyEscape || key.GetKeyCode() == kKeyReturn) open = false;
  }
  bool IsOpen() const override { return open; }
  void ButtonState(bool down) override {
    if (states.empty() || states.back() != down) states.push_back(down);
  }
  void Redraw() override { ++redraws; }
  bool open = true;
  std::vector<int> keys;
  std::vector<bool> states;
  int redraws = 0;
};

int gOwnerCalls = 0;
LRESULT OwnerProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  ++gOwnerCalls;
  return DefWindowProcA(w, m, wp, lp);
}

class DropDownLoop : public testing::Test {
 protected:
  void SetUp() override {
    ResetHeadlessInput();
    ResetHeadlessWindowState();
    ResetHeadlessMessages();
    owner = CreateHeadlessWindow(300, 200);
    popUp = CreateHeadlessWindow(100, 80);
    SetWindowLongPtrA(owner, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(&OwnerProc));
    ValidateRect(owner, nullptr);
    ValidateRect(popUp, nullptr);
    gOwnerCalls = 0;
  }
  void TearDown() override {
    DestroyWindow(popUp);
    DestroyWindow(owner);
    ResetHeadlessInput();
    ResetHeadlessMessages();
  }
  static HeadlessInputEntry At(ULONGLONG time, LONG x, LONG y, bool down) {
    return HeadlessInputEntry{time, POINT{x, y}, down ? HEADLESS_LEFT_BUTTON : 0u, {0}};
  }
  void ExpectPutBack() {
    EXPECT_EQ(GetWindowLongPtrA(owner, GWL_WNDPROC), reinterpret_cast<LONG_PTR>(&OwnerProc));
    EXPECT_EQ(GetWindowLongPtrA(popUp, GWL_WNDPROC), 0);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(gPopUpKeyTarget, nullptr);
  }
  HWND owner = nullptr;
  HWND popUp = nullptr;
  List list;
};

TEST_F(DropDownLoop, InputRunningOutPressesEscapeWhichEndsIt) {
  const HeadlessInputEntry script[] = {At(0, 20, 20, false)};
  ASSERT_TRUE(LoadHeadlessInput(script, 1, 0));
  RunDropDownLoop(owner, popUp, list);
  EXPECT_FALSE(list.open);
  EXPECT_EQ(list.keys, std::vector<int>{kKeyEscape});
  ExpectPutBack();
}

TEST_F(DropDownLoop, ClicksAreSeenThroughTheFlagFromTheLiveState) {
  // The button is already down when the loop starts, goes up, down again
  // and up; then the input runs out.
  const HeadlessInputEntry script[] = {At(0, 20, 20, true), At(10, 22, 22, false),
                                       At(20, 24, 24, true), At(30, 24, 24, false)};
  ASSERT_TRUE(LoadHeadlessInput(script, 4, 0));
  AdvanceHeadlessClock(1);
  RunDropDownLoop(owner, popUp, list);
  EXPECT_EQ(list.states, (std::vector<bool>{true, false, true, false}));
  EXPECT_EQ(list.keys, std::vector<int>{kKeyEscape});
  ExpectPutBack();
}

TEST_F(DropDownLoop, KeysReachTheListAndAPaintRedrawsIt) {
  PostMessageA(popUp, WM_KEYDOWN, 40, 0);
  PostMessageA(popUp, WM_CHAR, 'x', 0);
  PostMessageA(popUp, WM_KEYDOWN, 112, 0);  // F1: not the list's
  PostMessageA(popUp, WM_KEYDOWN, 13, 0);
  RunDropDownLoop(owner, popUp, list);
  EXPECT_EQ(list.keys, (std::vector<int>{kKeyDown, 'x', kKeyReturn}));
  EXPECT_EQ(list.redraws, 0);
  ExpectPutBack();
  // WM_PAINT comes once the queue is empty; the list stays open.
  List again;
  InvalidateRect(popUp, nullptr, FALSE_);
  RunDropDownLoop(owner, popUp, again);
  EXPECT_EQ(again.redraws, 1);
  EXPECT_TRUE(again.open);
  ExpectPutBack();
}

TEST_F(DropDownLoop, AnotherApplicationInFrontClosesTheListAndTheOwnerStillHearsIt) {
  PostMessageA(owner, WM_ACTIVATEAPP, 0, 0);
  RunDropDownLoop(owner, popUp, list);
  EXPECT_EQ(list.keys, std::vector<int>{kKeyEscape});
  EXPECT_EQ(gOwnerCalls, 1);
  ExpectPutBack();
}

TEST_F(DropDownLoop, NothingLeftToComeEndsTheLoop) {
  // No script, no message, nothing to paint: the loop cannot wait forever.
  RunDropDownLoop(owner, popUp, list);
  EXPECT_TRUE(list.open);
  ExpectPutBack();
}

}  // namespace
