// The Toolbox emulation's environment queries: intervals in ticks, random
// numbers, beeps, font numbers, rectangles, screen devices and the main-window
// record.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "platform/toolbox/TbxEnvironment.h"
#include "platform/win32/WinInput.h"
#include "platform/win32/WinWindowState.h"

namespace {

std::string PText(const uint8_t* text) {
  return std::string(reinterpret_cast<const char*>(text + 1), text[0]);
}

std::basic_string<uint8_t> Pascal(const std::string& s) {
  std::basic_string<uint8_t> out(1, static_cast<uint8_t>(s.size()));
  out.append(reinterpret_cast<const uint8_t*>(s.data()), s.size());
  return out;
}

TEST(TbxEnvironment, IntervalsAreTheSystemMillisecondsInTicks) {
  ResetHeadlessInput();
  EXPECT_EQ(Tbx::GetDblTime(), 30u);
  EXPECT_EQ(Tbx::GetCaretBlinkTime(), 31u);
  SetDoubleClickTime(1000);
  EXPECT_EQ(Tbx::GetDblTime(), 60u);
  ResetHeadlessInput();
}

TEST(TbxEnvironment, RandomFollowsTheSeedAndStaysInRange) {
  Tbx::SetRandomSeed(1);
  EXPECT_EQ(Tbx::Random(), 16807);
  EXPECT_EQ(Tbx::GetRandomSeed(), 16807);
  // 16807^2 mod (2^31 - 1) = 282475249 = 0x10D63AF1: the low word is 0x3AF1.
  EXPECT_EQ(Tbx::Random(), 0x3AF1);
  Tbx::SetRandomSeed(12345);
  std::set<int> seen;
  for (int i = 0; i < 2000; ++i) {
    const int r = Tbx::Random();
    EXPECT_GE(r, -32767);
    EXPECT_LE(r, 32767);
    seen.insert(r);
  }
  EXPECT_GT(seen.size(), 1900u);
  // A seed of 0 would repeat 0 forever; it starts over from 1.
  Tbx::SetRandomSeed(0);
  EXPECT_EQ(Tbx::Random(), 16807);
}

TEST(TbxEnvironment, BeepsAreCounted) {
  const int32_t before = Tbx::CountBeeps();
  Tbx::SysBeep(0);
  Tbx::SysBeep(30);
  EXPECT_EQ(Tbx::CountBeeps(), before + 2);
}

TEST(TbxEnvironment, FontNumbersAndNamesGoBothWays) {
  uint8_t name[256];
  Tbx::GetFontName(0, name);
  EXPECT_EQ(PText(name), "MS Sans Serif");
  int16_t number = -1;
  Tbx::GetFNum(Pascal("ms sans serif").c_str(), &number);
  EXPECT_EQ(number, 0);
  Tbx::GetFNum(Pascal("Times New Roman").c_str(), &number);
  ASSERT_GT(number, 0);
  Tbx::GetFontName(number, name);
  EXPECT_EQ(PText(name), "Times New Roman");
  Tbx::GetFNum(Pascal("No Such Family").c_str(), &number);
  EXPECT_EQ(number, 0);
  Tbx::GetFontName(30000, name);
  EXPECT_EQ(name[0], 0);
  Tbx::GetFontName(-3, name);
  EXPECT_EQ(name[0], 0);
}

TEST(TbxEnvironment, PointsOnTheRightOrBottomEdgeAreOutside) {
  const Tbx::Rect r{10, 20, 30, 40};
  EXPECT_TRUE(Tbx::PtInRect(Tbx::Point{10, 20}, &r));
  EXPECT_TRUE(Tbx::PtInRect(Tbx::Point{29, 39}, &r));
  EXPECT_FALSE(Tbx::PtInRect(Tbx::Point{30, 25}, &r));
  EXPECT_FALSE(Tbx::PtInRect(Tbx::Point{15, 40}, &r));
  EXPECT_FALSE(Tbx::PtInRect(Tbx::Point{15, 25}, nullptr));
}

TEST(TbxEnvironment, SectRectGivesTheOverlapOrAnEmptyRectangle) {
  const Tbx::Rect a{0, 0, 100, 100};
  const Tbx::Rect b{50, 60, 150, 160};
  Tbx::Rect out;
  EXPECT_TRUE(Tbx::SectRect(&a, &b, &out));
  EXPECT_EQ(out.top, 50);
  EXPECT_EQ(out.left, 60);
  EXPECT_EQ(out.bottom, 100);
  EXPECT_EQ(out.right, 100);
  const Tbx::Rect touching{100, 0, 200, 100};
  EXPECT_FALSE(Tbx::SectRect(&a, &touching, &out));
  EXPECT_EQ(out.top, 0);
  EXPECT_EQ(out.right, 0);
  // The result may be one of the sources.
  Tbx::Rect c = b;
  EXPECT_TRUE(Tbx::SectRect(&a, &c, &c));
  EXPECT_EQ(c.left, 60);
}

TEST(TbxEnvironment, ScreenDevicesFollowTheScreens) {
  ResetHeadlessWindowState();
  Tbx::GDHandle main = Tbx::GetMainDevice();
  ASSERT_NE(main, 0u);
  EXPECT_EQ(Tbx::GetDeviceList(), main);
  EXPECT_EQ(Tbx::GetNextDevice(main), 0u);
  EXPECT_TRUE(Tbx::TestDeviceAttribute(main, Tbx::screenActive));
  EXPECT_TRUE(Tbx::TestDeviceAttribute(main, Tbx::mainScreen));
  Tbx::Rect r;
  ASSERT_TRUE(Tbx::GetDeviceRect(main, &r));
  EXPECT_EQ(r.bottom, 768);
  EXPECT_EQ(r.right, 1024);

  const RECT screens[2] = {{0, 0, 800, 600}, {800, -100, 1600, 500}};
  ASSERT_TRUE(SetHeadlessScreens(screens, 2));
  Tbx::GDHandle first = Tbx::GetDeviceList();
  Tbx::GDHandle second = Tbx::GetNextDevice(first);
  ASSERT_NE(second, 0u);
  EXPECT_EQ(Tbx::GetNextDevice(second), 0u);
  EXPECT_TRUE(Tbx::TestDeviceAttribute(second, Tbx::screenActive));
  EXPECT_FALSE(Tbx::TestDeviceAttribute(second, Tbx::mainScreen));
  ASSERT_TRUE(Tbx::GetDeviceRect(second, &r));
  EXPECT_EQ(r.top, -100);
  EXPECT_EQ(r.left, 800);
  EXPECT_FALSE(Tbx::TestDeviceAttribute(0x7FFFFFF0u, Tbx::screenActive));
  EXPECT_FALSE(Tbx::TestDeviceAttribute(first, 16));
  ResetHeadlessWindowState();
}

TEST(TbxEnvironment, MainWindowRecordIsObject158OnceGiven) {
  Tbx::ClearMainWindowRecord();
  EXPECT_EQ(Tbx::EmulatorGetSystemObject(0, 158, 0), nullptr);
  int instance = 0;
  HWND window = reinterpret_cast<HWND>(uintptr_t{0x1230});
  Tbx::SetMainWindowRecord(&instance, window);
  auto* record = static_cast<Tbx::MainWindowRecord*>(Tbx::EmulatorGetSystemObject(0, 158, 0));
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->instance, &instance);
  EXPECT_EQ(record->window, window);
  EXPECT_EQ(Tbx::EmulatorGetSystemObject(0, 157, 0), nullptr);
  Tbx::ClearMainWindowRecord();
  EXPECT_EQ(Tbx::EmulatorGetSystemObject(0, 158, 0), nullptr);
}

}  // namespace
