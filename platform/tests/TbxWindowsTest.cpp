// The Toolbox windows over the headless window table.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/toolbox/TbxWindows.h"
#include "platform/win32/WinWindows.h"

namespace {

TEST(TbxWindows, MoveSizeTitleAndVisibility) {
  const uint8_t title[] = {3, 'O', 'n', 'e'};
  const Tbx::WindowRef w = Tbx::NewHeadlessWindow(10, 20, 300, 200, title);
  ASSERT_NE(w, 0u);
  const HWND native = Tbx::GetNativeWindow(w);
  ASSERT_NE(native, nullptr);
  EXPECT_TRUE(IsWindow(native));
  EXPECT_FALSE(Tbx::IsWindowVisible(w));
  Tbx::ShowWindow(w);
  EXPECT_TRUE(Tbx::IsWindowVisible(w));
  Tbx::MoveWindow(w, -5, 7, false);
  Tbx::SizeWindow(w, 0, 50, true);  // not positive: unchanged
  Tbx::SizeWindow(w, 120, 80, true);
  int32_t l, t, wd, h;
  ASSERT_TRUE(Tbx::GetWindowBounds(w, &l, &t, &wd, &h));
  EXPECT_EQ(l, -5);
  EXPECT_EQ(t, 7);
  EXPECT_EQ(wd, 120);
  EXPECT_EQ(h, 80);
  uint8_t got[256];
  Tbx::GetWTitle(w, got);
  EXPECT_EQ(std::memcmp(got, title, 4), 0);
  uint8_t longTitle[256];
  longTitle[0] = 255;
  std::memset(longTitle + 1, 'x', 255);
  Tbx::SetWTitle(w, longTitle);
  Tbx::GetWTitle(w, got);
  EXPECT_EQ(std::memcmp(got, longTitle, 256), 0);
  Tbx::HideWindow(w);
  EXPECT_FALSE(Tbx::IsWindowVisible(w));
  Tbx::DisposeWindow(w);
  EXPECT_EQ(Tbx::GetNativeWindow(w), nullptr);
  EXPECT_FALSE(IsWindow(native));
  EXPECT_FALSE(Tbx::GetWindowBounds(w, &l, &t, &wd, &h));
}

TEST(TbxWindows, SelectBringsAVisibleWindowToTheFront) {
  const Tbx::WindowRef a = Tbx::NewHeadlessWindow(0, 0, 10, 10, nullptr);
  const Tbx::WindowRef b = Tbx::NewHeadlessWindow(0, 0, 10, 10, nullptr);
  Tbx::ShowWindow(a);
  Tbx::ShowWindow(b);
  Tbx::SelectWindow(b);
  EXPECT_EQ(Tbx::FrontWindow(), b);
  Tbx::MoveWindow(a, 1, 1, true);
  EXPECT_EQ(Tbx::FrontWindow(), a);
  Tbx::HideWindow(a);
  EXPECT_EQ(Tbx::FrontWindow(), b);
  Tbx::DisposeWindow(a);
  Tbx::DisposeWindow(b);
  EXPECT_EQ(Tbx::NewHeadlessWindow(0, 0, 0, 10, nullptr), 0u);
}

}  // namespace
