// FlushEvents over the native queue: the kinds of the mask go, the others
// stay in their order, a kind of the stop mask ends the flush, and flushing
// neither moves the input script nor makes paints.
#include "platform/toolbox/TbxEvents.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/win32/WinInput.h"
#include "platform/win32/WinMessages.h"
#include "platform/win32/WinWindowState.h"
#include "platform/win32/WinWindows.h"

namespace {

class FlushEvents : public testing::Test {
 protected:
  void SetUp() override {
    ResetHeadlessInput();
    ResetHeadlessMessages();
    window_ = CreateHeadlessWindow(50, 50);
  }
  void TearDown() override {
    DestroyWindow(window_);
    ResetHeadlessMessages();
    ResetHeadlessInput();
  }
  void Post(std::initializer_list<UINT> messages) {
    for (UINT m : messages) PostMessageA(window_, m, 0, 0);
  }
  // What is left, without a poll step.
  std::vector<UINT> Left() {
    std::vector<UINT> out;
    MSG msg{};
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_PAINT) break;
      out.push_back(msg.message);
    }
    return out;
  }
  HWND window_ = nullptr;
};

constexpr UINT kDown = 0x0201, kUp = 0x0202, kKeyDown = 0x0100, kChar = 0x0102, kKeyUp = 0x0101,
               kTimer = 0x0113;

}  // namespace

TEST_F(FlushEvents, DropsTheKindsOfTheMaskAndKeepsTheOrderOfTheRest) {
  Post({kDown, kTimer, kKeyDown, kChar, kUp, kKeyUp, kDown});
  Tbx::FlushEvents(0x1a, 0);
  EXPECT_EQ(Left(), (std::vector<UINT>{kTimer, kUp}));
  int32_t calls = 0;
  int16_t mask = 0;
  Tbx::CountFlushEvents(&calls, &mask);
  EXPECT_GT(calls, 0);
  EXPECT_EQ(mask, 0x1a);
}

TEST_F(FlushEvents, StopsAtAKindOfTheStopMask) {
  Post({kKeyDown, kUp, kKeyDown, kDown});
  Tbx::FlushEvents(Tbx::kKeyDownMask | Tbx::kMouseDownMask, Tbx::kMouseUpMask);
  EXPECT_EQ(Left(), (std::vector<UINT>{kUp, kKeyDown, kDown}));
}

TEST_F(FlushEvents, LeavesTheScriptedInputWhereItWas) {
  const HeadlessInputEntry script[] = {{0, {1, 1}, 0, {0}}, {10, {5, 5}, HEADLESS_LEFT_BUTTON, {0}}};
  ASSERT_TRUE(LoadHeadlessInput(script, 2, 0));
  Tbx::FlushEvents(0x1a, 0);
  Tbx::FlushEvents(0x1a, 0);
  EXPECT_TRUE(HeadlessInputPending());
  EXPECT_GE(GetAsyncKeyState(VK_LBUTTON), 0) << "the press at 10 ms has not come yet";
}
