// The headless keyboard and mouse: key states with their toggles, the generic
// modifier keys, the cursor, the intervals, keyboard layouts and input
// contexts.
#include <gtest/gtest.h>

#include "platform/win32/WinInput.h"
#include "platform/win32/WinWindows.h"

namespace {

class HeadlessInput : public testing::Test {
 protected:
  void SetUp() override { ResetHeadlessInput(); }
  void TearDown() override { ResetHeadlessInput(); }
};

TEST_F(HeadlessInput, AKeyDownReadsNegativeAndUpReadsZero) {
  EXPECT_EQ(GetAsyncKeyState('A'), 0);
  SetHeadlessKeyDown('A', true);
  EXPECT_LT(GetAsyncKeyState('A'), 0);
  EXPECT_LT(GetKeyState('A'), 0);
  SetHeadlessKeyDown('A', false);
  EXPECT_EQ(GetAsyncKeyState('A'), 0);
  EXPECT_EQ(GetKeyState('A'), 0);
}

TEST_F(HeadlessInput, ToggleShowsInBit0OfGetKeyStateOnly) {
  SetHeadlessKeyToggled(VK_CAPITAL, true);
  EXPECT_EQ(GetKeyState(VK_CAPITAL), 1);
  EXPECT_EQ(GetAsyncKeyState(VK_CAPITAL), 0);
  SetHeadlessKeyDown(VK_CAPITAL, true);
  EXPECT_EQ(static_cast<uint16_t>(GetKeyState(VK_CAPITAL)), 0x8001u);
}

TEST_F(HeadlessInput, GenericModifiersFollowEitherSide) {
  SetHeadlessKeyDown(VK_RSHIFT, true);
  SetHeadlessKeyDown(VK_LCONTROL, true);
  SetHeadlessKeyDown(VK_RMENU, true);
  EXPECT_LT(GetAsyncKeyState(VK_SHIFT), 0);
  EXPECT_LT(GetAsyncKeyState(VK_CONTROL), 0);
  EXPECT_LT(GetAsyncKeyState(VK_MENU), 0);
  EXPECT_EQ(GetAsyncKeyState(VK_LSHIFT), 0);
  BYTE state[256];
  ASSERT_TRUE(GetKeyboardState(state));
  EXPECT_EQ(state[VK_SHIFT], 0x80);
  EXPECT_EQ(state[VK_RSHIFT], 0x80);
  EXPECT_EQ(state[VK_LSHIFT], 0);
}

TEST_F(HeadlessInput, KeyboardStateCarriesDownAndToggleBits) {
  SetHeadlessKeyDown(VK_LBUTTON, true);
  SetHeadlessKeyToggled(VK_NUMLOCK, true);
  BYTE state[256];
  ASSERT_TRUE(GetKeyboardState(state));
  EXPECT_EQ(state[VK_LBUTTON], 0x80);
  EXPECT_EQ(state[VK_NUMLOCK], 0x01);
  EXPECT_EQ(state['Q'], 0);
  EXPECT_FALSE(GetKeyboardState(nullptr));
}

TEST_F(HeadlessInput, KeysOutsideTheTableReadUp) {
  SetHeadlessKeyDown(300, true);
  SetHeadlessKeyDown(-1, true);
  EXPECT_EQ(GetAsyncKeyState(300), 0);
  EXPECT_EQ(GetKeyState(-1), 0);
}

TEST_F(HeadlessInput, CursorPositionIsWhatWasSet) {
  POINT p{1, 1};
  ASSERT_TRUE(GetCursorPos(&p));
  EXPECT_EQ(p.x, 0);
  EXPECT_EQ(p.y, 0);
  SetCursorPos(-40, 700);
  ASSERT_TRUE(GetCursorPos(&p));
  EXPECT_EQ(p.x, -40);
  EXPECT_EQ(p.y, 700);
  EXPECT_FALSE(GetCursorPos(nullptr));
}

TEST_F(HeadlessInput, IntervalsHaveWindowsDefaultsAndZeroRestoresTheDoubleClick) {
  EXPECT_EQ(GetDoubleClickTime(), 500u);
  EXPECT_EQ(GetCaretBlinkTime(), 530u);
  SetDoubleClickTime(250);
  EXPECT_EQ(GetDoubleClickTime(), 250u);
  SetDoubleClickTime(0);
  EXPECT_EQ(GetDoubleClickTime(), 500u);
}

TEST_F(HeadlessInput, LayoutNamesAreEightHexDigitsWithALanguage) {
  EXPECT_EQ(GetKeyboardLayout(0), reinterpret_cast<HKL>(uintptr_t{0x04090409}));
  HKL layout = LoadKeyboardLayoutA("00000407", KLF_ACTIVATE | KLF_SUBSTITUTE_OK);
  EXPECT_EQ(layout, reinterpret_cast<HKL>(uintptr_t{0x407}));
  EXPECT_EQ(GetKeyboardLayout(0), layout);
  // Loaded without activation: the active layout stays.
  EXPECT_NE(LoadKeyboardLayoutA("0000040c", 0), nullptr);
  EXPECT_EQ(GetKeyboardLayout(0), layout);
  EXPECT_EQ(LoadKeyboardLayoutA("407", KLF_ACTIVATE), nullptr);
  EXPECT_EQ(LoadKeyboardLayoutA("0000040G", KLF_ACTIVATE), nullptr);
  EXPECT_EQ(LoadKeyboardLayoutA("04070000", KLF_ACTIVATE), nullptr);
  EXPECT_EQ(LoadKeyboardLayoutA("000004070", KLF_ACTIVATE), nullptr);
  EXPECT_EQ(LoadKeyboardLayoutA(nullptr, KLF_ACTIVATE), nullptr);
  EXPECT_EQ(GetKeyboardLayout(0), layout);
}

TEST_F(HeadlessInput, InputContextKeepsItsConversionMode) {
  HWND window = CreateHeadlessWindow(10, 10);
  HIMC context = ImmGetContext(window);
  ASSERT_NE(context, nullptr);
  EXPECT_TRUE(ImmSetConversionStatus(context, IME_CMODE_NATIVE | IME_CMODE_FULLSHAPE, 0));
  DWORD conversion = 0;
  DWORD sentence = 7;
  EXPECT_TRUE(ImmGetConversionStatus(ImmGetContext(window), &conversion, &sentence));
  EXPECT_EQ(conversion, 9u);
  EXPECT_EQ(sentence, 0u);
  EXPECT_TRUE(ImmReleaseContext(window, context));
  EXPECT_EQ(ImmGetContext(nullptr), nullptr);
  EXPECT_FALSE(ImmSetConversionStatus(nullptr, 1, 0));
  DestroyWindow(window);
}

}  // namespace
