// The system environment working with events, shortcuts, window views and
// rectangles through the links that the views and the graphics install:
// click counting, waiting keys, frames fitted to the main window and the
// screen device of a rectangle.
#include <gtest/gtest.h>

#include "framework/system/environment/VEnvironmentLinks.h"
#include "framework/system/environment/VSystemServices.h"
#include "views/VEvent.h"
#include "views/VShortcut.h"
#include "views/VViewsEnvironmentLink.h"
#include "views/VWindowView.h"
#include "graphics/VGraphicsEnvironmentLink.h"
#include "graphics/VShape.h"
#include "platform/toolbox/TbxEnvironment.h"
#include "platform/win32/WinInput.h"
#include "platform/win32/WinTime.h"
#include "platform/win32/WinWindowState.h"
#include "platform/win32/WinWindows.h"
#include "testsupport/FakeHost.h"

namespace {

class Linked : public testing::Test {
 protected:
  void SetUp() override {
    ResetHeadlessInput();
    ResetHeadlessWindowState();
    Tbx::ClearMainWindowRecord();
    VEnvironmentViewsService::Install(ViewsEnvironmentLink());
    VEnvironmentGraphicsService::Install(GraphicsEnvironmentLink());
    FreezeHeadlessTickCount(100000);  // 6000 ticks
    services_ = new VSystemServices();
    gSystemServices = services_;
  }
  void TearDown() override {
    gSystemServices = nullptr;
    delete services_;
    VEnvironmentGraphicsService::Remove(GraphicsEnvironmentLink());
    VEnvironmentViewsService::Remove(ViewsEnvironmentLink());
    ReleaseHeadlessTickCount();
    ResetHeadlessWindowState();
    ResetHeadlessInput();
    Tbx::ClearMainWindowRecord();
  }
  static VEvent Down(int32_t x, int32_t y, uint32_t when) {
    return VEvent(x, y, when, false, false, false, false, false, 0, 0);
  }
  int16_t Click(int32_t x, int32_t y, uint32_t when) {
    VEvent e = Down(x, y, when);
    return e.SetClickCount();
  }
  VSystemServices* services_ = nullptr;
};

TEST_F(Linked, ClicksTwoPixelsApartWithinTheIntervalCountTwo) {
  EXPECT_EQ(Click(100, 100, 7000), 1);
  EXPECT_EQ(Click(102, 98, 7010), 2);
  EXPECT_EQ(Click(103, 99, 7020), 3);
}

TEST_F(Linked, ThreePixelsApartStartsANewRun) {
  EXPECT_EQ(Click(100, 100, 7000), 1);
  EXPECT_EQ(Click(103, 100, 7001), 1);
  EXPECT_EQ(Click(103, 103, 7002), 1);
}

TEST_F(Linked, EachClickIsComparedWithTheOneBefore) {
  // Each step is 2 pixels from the one before, 6 from the first.
  EXPECT_EQ(Click(100, 100, 7000), 1);
  EXPECT_EQ(Click(102, 100, 7005), 2);
  EXPECT_EQ(Click(104, 100, 7010), 3);
  EXPECT_EQ(Click(106, 100, 7015), 4);
}

TEST_F(Linked, AClickAfterTheIntervalCountsOne) {
  EXPECT_EQ(Click(10, 10, 7000), 1);
  EXPECT_EQ(Click(10, 10, 7029), 2);
  EXPECT_EQ(Click(10, 10, 7059), 1);
}

TEST_F(Linked, AnEndedRunStartsAgainAtOne) {
  EXPECT_EQ(Click(10, 10, 7000), 1);
  EXPECT_EQ(Click(10, 10, 7001), 2);
  services_->EndClickRun();
  EXPECT_EQ(Click(10, 10, 7002), 1);
  EXPECT_EQ(Click(10, 10, 7003), 2);
  int32_t x = 0;
  int32_t y = 0;
  services_->EndClickRun();
  services_->GetLastClickPosition(x, y);
  EXPECT_EQ(x, -32000);
  EXPECT_EQ(y, -32000);
}

TEST_F(Linked, ButtonUpCountsZeroAndChangesNothing) {
  EXPECT_EQ(Click(10, 10, 7000), 1);
  VEvent up(500, 500, 7001, true, false, false, false, false, 5, 0);
  EXPECT_EQ(up.SetClickCount(), 0);
  EXPECT_EQ(up.GetClickCount(), 0);
  int32_t x = 0;
  int32_t y = 0;
  services_->GetLastClickPosition(x, y);
  EXPECT_EQ(x, 10);
  EXPECT_EQ(Click(10, 10, 7002), 2);
}

TEST_F(Linked, TheFirstClickCountsOneUnlessNearTheStartingPlace) {
  EXPECT_EQ(Click(-31998, -32001, 6010), 2);
  delete services_;
  services_ = new VSystemServices();
  gSystemServices = services_;
  EXPECT_EQ(Click(0, 0, 6010), 1);
}

TEST_F(Linked, TickDifferencesAreTakenAcrossTheWrap) {
  EXPECT_EQ(Click(1, 1, 0xFFFFFFF0u), 1);
  EXPECT_EQ(Click(1, 1, 0x00000005u), 2);
  EXPECT_EQ(Click(1, 1, 0x00000040u), 1);
}

TEST_F(Linked, FarApartPositionsDoNotWrapIntoNearOnes) {
  EXPECT_EQ(Click(INT32_MIN, INT32_MIN, 7000), 1);
  EXPECT_EQ(Click(INT32_MAX, INT32_MAX, 7001), 1);
  EXPECT_EQ(Click(INT32_MAX - 1, INT32_MAX, 7002), 2);
}

TEST_F(Linked, WithoutAnEnvironmentAnEventCountsNoClick) {
  gSystemServices = nullptr;
  EXPECT_EQ(Click(1, 1, 7000), 0);
}

TEST_F(Linked, AWaitingKeyBecomesAShortcut) {
  FakeHost host;
  // Key code 0x24 (Return) with the character 13, shift held.
  host.QueueEvent(VHostEventRecord{3, 0x240D, 7000, 0, 0, kHostModifierShift});
  VShortcut* shortcut = VSystemServices::TakeKeyShortcut(false);
  ASSERT_NE(shortcut, nullptr);
  EXPECT_EQ(shortcut->GetKeyCode(), 13);
  EXPECT_EQ(shortcut->GetCharacter(), 0);
  EXPECT_EQ(shortcut->GetModifierFlags(), kShortcutShift);
  EXPECT_TRUE(shortcut->HasEventRecord());
  delete shortcut;
  // It was taken: nothing waits now.
  EXPECT_EQ(VSystemServices::TakeKeyShortcut(false), nullptr);
}

TEST_F(Linked, AKeyWithModifiersStaysWhenNoneAreWanted) {
  FakeHost host;
  host.QueueEvent(VHostEventRecord{3, 0x0161, 7000, 0, 0, 0x1000});
  EXPECT_EQ(VSystemServices::TakeKeyShortcut(true), nullptr);
  VShortcut* shortcut = VSystemServices::TakeKeyShortcut(false);
  ASSERT_NE(shortcut, nullptr);
  EXPECT_EQ(shortcut->GetCharacter(), u'a');
  delete shortcut;
}

TEST_F(Linked, OnlyKeyDownEventsAreTaken) {
  FakeHost host;
  host.QueueEvent(VHostEventRecord{1, 0, 7000, 5, 5, 0});  // a mouse-down
  EXPECT_EQ(VSystemServices::TakeKeyShortcut(false), nullptr);
}

TEST_F(Linked, TheFrameFitsTheMainWindowsClientArea) {
  HWND main = CreateHeadlessWindow(640, 480);
  SetHeadlessWindowOrigin(main, 30, 50);
  Tbx::SetMainWindowRecord(nullptr, main);
  VSystemServices services;
  VRect rect(1, 2, 3, 4);
  services.FitFrameToMainWindow(rect);
  EXPECT_EQ(rect, VRect(30, 50, 640, 480));
  DestroyWindow(main);
}

TEST_F(Linked, AFrameBelowTheMenuBarKeepsInsideTheBorders) {
  HWND main = CreateHeadlessWindow(640, 480);
  SetHeadlessWindowOrigin(main, 30, 50);
  Tbx::SetMainWindowRecord(nullptr, main);
  HWND framed = CreateHeadlessWindow(200, 100);
  SetHeadlessWindowFrame(framed, 4, 22, 6, 8);
  VWindowView window(framed);
  int16_t l = 0, t = 0, r = 0, b = 0;
  window.GetFrameInsets(l, t, r, b);
  EXPECT_EQ(l, 4);
  EXPECT_EQ(t, 22);
  EXPECT_EQ(r, 6);
  EXPECT_EQ(b, 8);

  VSystemServices services;
  VRect rect;
  services.PositionFrameBelowMenuBar(window, rect);
  EXPECT_EQ(rect.GetLeft(), 4 + 5);
  EXPECT_EQ(rect.GetTop(), 19 + 22 + 5);
  EXPECT_EQ(rect.GetWidth(), 640 - (4 + 6 + 10));
  EXPECT_EQ(rect.GetHeight(), 480 - (22 + 8 + 10));
  DestroyWindow(framed);
  DestroyWindow(main);
}

TEST_F(Linked, TheLargestOverlapChoosesTheScreen) {
  const RECT screens[2] = {{0, 0, 800, 600}, {800, 0, 1600, 600}};
  ASSERT_TRUE(SetHeadlessScreens(screens, 2));
  const uint32_t first = Tbx::GetDeviceList();
  const uint32_t second = Tbx::GetNextDevice(first);
  EXPECT_EQ(VSystemServices::FindLargestScreenDevice(VRect(750, 10, 200, 100)), second);
  EXPECT_EQ(VSystemServices::FindLargestScreenDevice(VRect(650, 10, 200, 100)), first);
  // Overlapping neither: the main device.
  EXPECT_EQ(VSystemServices::FindLargestScreenDevice(VRect(2000, 10, 50, 50)), first);
  EXPECT_EQ(VSystemServices::FindLargestScreenDevice(VRect(100, 700, 50, 50)), first);
}

TEST_F(Linked, LookPaintersComeFromTheGraphicsTable) {
  // Without InitGraphics the table is empty.
  EXPECT_EQ(VSystemServices::GetLookPainter(0), nullptr);
}

TEST(Shortcuts, ControlBackspaceBecomesBackspaceWithCommand) {
  VShortcut s(VHostEventRecord{3, 0x337F, 0, 0, 0, 0});
  EXPECT_EQ(s.GetKeyCode(), 149);
  EXPECT_EQ(s.GetCharacter(), 0);
  EXPECT_EQ(s.GetModifierFlags(), kShortcutCommand);
  EXPECT_EQ(s.GetCharCode(), 8);
  VHostEventRecord stored{};
  s.GetEventRecord(stored);
  EXPECT_EQ(stored.message & 0xFFFF, 0x3308u);
}

TEST(Shortcuts, ModifiersAndCharacter) {
  VShortcut s(VHostEventRecord{3, 0x7A41, 0, 0, 0, 0x0900});
  EXPECT_EQ(s.GetKeyCode(), 158);  // F1
  EXPECT_EQ(s.GetCharacter(), u'A');
  EXPECT_EQ(s.GetModifierFlags(), kShortcutCommand | kShortcutOption);
  EXPECT_EQ(s.GetCharCode(), 'A');
}

TEST(Shortcuts, AnEmptyShortcutHasNoRecord) {
  VShortcut s;
  EXPECT_FALSE(s.HasEventRecord());
  VHostEventRecord out{9, 9, 9, 9, 9, 9};
  s.GetEventRecord(out);
  EXPECT_EQ(out.what, 9);
  EXPECT_EQ(s.GetCharCode(), 0);
}

TEST(Shortcuts, MacintoshKeyCodes) {
  EXPECT_EQ(MacKeyToKeyCode(0x24), 13);
  EXPECT_EQ(MacKeyToKeyCode(0x24 | 0x80), 13);
  EXPECT_EQ(MacKeyToKeyCode(0x4C), 152);
  EXPECT_EQ(MacKeyToKeyCode(0x52), 128);
  EXPECT_EQ(MacKeyToKeyCode(0x5C), 137);
  EXPECT_EQ(MacKeyToKeyCode(0x6F), 169);
  EXPECT_EQ(MacKeyToKeyCode(0x7E), 144);
  EXPECT_EQ(MacKeyToKeyCode(0x5A), 0);
}

TEST(Events, StartPositionSurvivesOffset) {
  VEvent e(10, 20, 5, false, true, false, false, true, 0, 7);
  e.Offset(-10, -20);
  int32_t x = 1, y = 1;
  e.Get(x, y);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
  e.GetStartPosition(x, y);
  EXPECT_EQ(x, 10);
  EXPECT_EQ(y, 20);
  EXPECT_TRUE(e.IsContextual());
  EXPECT_TRUE(e.IsShift());
  EXPECT_FALSE(e.HasHostRecord());
  EXPECT_EQ(e.GetKeyWord(), 7);
}

}  // namespace
