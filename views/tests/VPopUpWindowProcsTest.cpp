// The pop-up tracking loop's window procedures, message by message: what
// reaches the key target, the two flags, and which procedure answers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "views/VPopUpWindowProcs.h"
#include "views/VShortcut.h"
#include "platform/win32/WinMessages.h"
#include "platform/win32/WinWindows.h"

namespace {

std::vector<UINT> gReplacedCalls;

LRESULT Replaced(HWND, UINT message, WPARAM, LPARAM) {
  gReplacedCalls.push_back(message);
  return 77;
}

class Target : public VPopUpKeyTarget {
 public:
  void HandleKey(VShortcut& key) override {
    keys.push_back(std::to_string(static_cast<int>(key.GetCharacter())) + "/" +
                   std::to_string(key.GetKeyCode()) + "/" + std::to_string(key.GetModifierFlags()));
  }
  std::vector<std::string> keys;
};

class PopUpProcs : public testing::Test {
 protected:
  void SetUp() override {
    window = CreateHeadlessWindow(50, 50);
    gReplacedOwnerProc = &Replaced;
    gReplacedPopUpProc = &Replaced;
    gPopUpKeyTarget = &target;
    gPopUpButtonDown = 0;
    gPopUpPainted = 0;
    gReplacedCalls.clear();
  }
  void TearDown() override {
    gPopUpKeyTarget = nullptr;
    gReplacedOwnerProc = nullptr;
    gReplacedPopUpProc = nullptr;
    DestroyWindow(window);
  }
  HWND window = nullptr;
  Target target;
};

TEST_F(PopUpProcs, TheChildProcedureFollowsItsTable) {
  enum Answer { kPassed, kDefaultOrConsumed };
  struct Case {
    const char* name;
    UINT message;
    WPARAM wParam;
    int buttonDown;  // -1: unchanged from its start of 0 or 1 below
    bool startDown;
    bool painted;
    Answer answer;
    std::vector<std::string> keys;
  } cases[] = {
      {"deactivated", WM_ACTIVATE, WA_INACTIVE, -1, false, false, kPassed, {"0/153/0"}},
      {"activated", WM_ACTIVATE, WA_ACTIVE, -1, false, false, kPassed, {}},
      {"paint", WM_PAINT, 0, -1, false, true, kPassed, {}},
      {"left down", WM_LBUTTONDOWN, 0, 1, false, false, kDefaultOrConsumed, {}},
      {"right down", WM_RBUTTONDOWN, 0, 1, false, false, kDefaultOrConsumed, {}},
      {"middle down", 0x0207, 0, 1, false, false, kDefaultOrConsumed, {}},
      {"frame left down", 0x00A1, 0, 1, false, false, kDefaultOrConsumed, {}},
      {"frame right down", 0x00A4, 0, 1, false, false, kDefaultOrConsumed, {}},
      {"frame middle down", 0x00A7, 0, 1, false, false, kDefaultOrConsumed, {}},
      {"left up", WM_LBUTTONUP, 0, 0, true, false, kPassed, {}},
      {"right up", WM_RBUTTONUP, 0, 0, true, false, kPassed, {}},
      {"middle up", 0x0208, 0, 0, true, false, kPassed, {}},
      {"frame left up", 0x00A2, 0, 0, true, false, kPassed, {}},
      {"frame right up", 0x00A5, 0, 0, true, false, kPassed, {}},
      {"frame middle up", 0x00A8, 0, 0, true, false, kPassed, {}},
      {"Return", WM_KEYDOWN, 13, -1, false, false, kDefaultOrConsumed, {"0/13/0"}},
      {"Escape", WM_KEYDOWN, 27, -1, false, false, kDefaultOrConsumed, {"0/153/0"}},
      {"Page Up", WM_KEYDOWN, 33, -1, false, false, kDefaultOrConsumed, {"0/140/0"}},
      {"Page Down", WM_KEYDOWN, 34, -1, false, false, kDefaultOrConsumed, {"0/141/0"}},
      {"End", WM_KEYDOWN, 35, -1, false, false, kDefaultOrConsumed, {"0/139/0"}},
      {"Home", WM_KEYDOWN, 36, -1, false, false, kDefaultOrConsumed, {"0/138/0"}},
      {"Left", WM_KEYDOWN, 37, -1, false, false, kDefaultOrConsumed, {"0/142/0"}},
      {"Up", WM_KEYDOWN, 38, -1, false, false, kDefaultOrConsumed, {"0/144/0"}},
      {"Right", WM_KEYDOWN, 39, -1, false, false, kDefaultOrConsumed, {"0/143/0"}},
      {"Down", WM_KEYDOWN, 40, -1, false, false, kDefaultOrConsumed, {"0/145/0"}},
      {"43", WM_KEYDOWN, 43, -1, false, false, kDefaultOrConsumed, {"0/152/0"}},
      {"input method key", 0x0280, 40, -1, false, false, kDefaultOrConsumed, {"0/145/0"}},
      {"F1 untranslated", WM_KEYDOWN, 112, -1, false, false, kDefaultOrConsumed, {}},
      {"key up", WM_KEYUP, 40, -1, false, false, kDefaultOrConsumed, {}},
      {"system key down", 0x0104, 40, -1, false, false, kDefaultOrConsumed, {}},
      {"system key up", 0x0105, 40, -1, false, false, kDefaultOrConsumed, {}},
      {"letter", WM_CHAR, 'k', -1, false, false, kDefaultOrConsumed, {"107/0/0"}},
      {"dead character", 0x0103, '`', -1, false, false, kPassed, {}},
      {"anything else", WM_TIMER, 0, -1, false, false, kPassed, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    target.keys.clear();
    gReplacedCalls.clear();
    gPopUpButtonDown = c.startDown ? 1 : 0;
    gPopUpPainted = 0;
    const LRESULT r = ChildControlWindowProc(window, c.message, c.wParam, 0);
    EXPECT_EQ(target.keys, c.keys);
    EXPECT_EQ(gPopUpButtonDown, c.buttonDown == -1 ? (c.startDown ? 1 : 0) : c.buttonDown);
    EXPECT_EQ(gPopUpPainted, c.painted ? 1 : 0);
    if (c.answer == kPassed) {
      EXPECT_EQ(r, 77);
      EXPECT_EQ(gReplacedCalls, std::vector<UINT>{c.message});
    } else {
      EXPECT_EQ(r, 0);
      EXPECT_TRUE(gReplacedCalls.empty());
    }
  }
}

TEST_F(PopUpProcs, WithoutATargetKeysGoToTheDefaultAndActivationStillPassesOn) {
  gPopUpKeyTarget = nullptr;
  struct Case {
    const char* name;
    UINT message;
    WPARAM wParam;
    bool passed;
  } cases[] = {
      {"Down", WM_KEYDOWN, 40, false},
      {"letter", WM_CHAR, 'k', false},
      {"deactivated", WM_ACTIVATE, WA_INACTIVE, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    gReplacedCalls.clear();
    const LRESULT r = ChildControlWindowProc(window, c.message, c.wParam, 0);
    EXPECT_EQ(r, c.passed ? 77 : 0);
    EXPECT_EQ(gReplacedCalls.size(), c.passed ? 1u : 0u);
  }
  // The owner's procedure: leaving the application with no target set.
  gReplacedCalls.clear();
  EXPECT_EQ(AppActivateWindowProc(window, WM_ACTIVATEAPP, 0, 0), 77);
  EXPECT_EQ(gReplacedCalls, std::vector<UINT>{WM_ACTIVATEAPP});
}

TEST_F(PopUpProcs, TheOwnerProcedureHandsEscapeOnEitherActivationAndPassesAll) {
  struct Case {
    UINT message;
    WPARAM wParam;
    std::vector<std::string> keys;
  } cases[] = {
      {WM_ACTIVATEAPP, 0, {"0/153/0"}},
      {WM_ACTIVATEAPP, 1, {"0/153/0"}},
      {WM_PAINT, 0, {}},
      {WM_KEYDOWN, 27, {}},
  };
  for (const Case& c : cases) {
    target.keys.clear();
    gReplacedCalls.clear();
    EXPECT_EQ(AppActivateWindowProc(window, c.message, c.wParam, 0), 77);
    EXPECT_EQ(target.keys, c.keys) << c.message;
    EXPECT_EQ(gReplacedCalls, std::vector<UINT>{c.message});
  }
}

}  // namespace
