// VEvent: filling from host records, from the current state and by copy.
#include <gtest/gtest.h>

#include <cstring>

#include "views/VEvent.h"
#include "platform/win32/WinInput.h"

namespace {

class Event : public testing::Test {
 protected:
  void SetUp() override { ResetHeadlessInput(); }
  void TearDown() override { ResetHeadlessInput(); }
};

VHostEventRecord Record(uint16_t what, uintptr_t message, int16_t v, int16_t h, uint16_t modifiers) {
  VHostEventRecord r{};
  r.what = what;
  r.message = message;
  r.when = 4242;
  r.whereV = v;
  r.whereH = h;
  r.modifiers = modifiers;
  return r;
}

struct ButtonCase {
  uint16_t what;
  bool buttonHeld;
  bool expectUp;
};

TEST_F(Event, TheButtonFollowsTheEventCodeForClicksAndTheLiveStateOtherwise) {
  const ButtonCase cases[] = {
      {kHostEventMouseDown, false, false}, {kHostEventMouseDown, true, false},
      {kHostEventMouseUp, true, true},     {kHostEventMouseUp, false, true},
      {3, true, false},                    {3, false, true},
      {kHostEventKeyWord, true, false},
  };
  for (const ButtonCase& c : cases) {
    SetHeadlessKeyDown(VK_LBUTTON, c.buttonHeld);
    VEvent e(Record(c.what, 0, 1, 2, 0));
    EXPECT_EQ(e.IsButtonUp(), c.expectUp) << c.what << " held " << c.buttonHeld;
  }
}

TEST_F(Event, ModifierBitsSetTheirFlags) {
  struct {
    uint16_t modifiers;
    bool contextual, command, option, shift;
  } cases[] = {
      {0x1100, true, true, false, false},
      {0x0800, false, false, true, false},
      {0x0200, false, false, false, true},
      {0x1B00, true, true, true, true},
      {0x00FF, false, false, false, false},
  };
  for (const auto& c : cases) {
    VEvent e(Record(1, 0, 0, 0, c.modifiers));
    EXPECT_EQ(e.IsContextual(), c.contextual) << std::hex << c.modifiers;
    EXPECT_EQ(e.IsCommand(), c.command) << std::hex << c.modifiers;
    EXPECT_EQ(e.IsOption(), c.option) << std::hex << c.modifiers;
    EXPECT_EQ(e.IsShift(), c.shift) << std::hex << c.modifiers;
  }
}

TEST_F(Event, AHostRecordGivesPositionTimeAndSignExtendedCoordinates) {
  VEvent e(Record(1, 0, -5, -32768, 0));
  EXPECT_EQ(e.GetX(), -32768);
  EXPECT_EQ(e.GetY(), -5);
  EXPECT_EQ(e.GetWhen(), 4242u);
  EXPECT_EQ(e.GetClickCount(), 0);
  EXPECT_TRUE(e.HasHostRecord());
  VHostEventRecord out{};
  e.GetHostRecord(out);
  EXPECT_EQ(out.whereH, -32768);
  EXPECT_EQ(out.when, 4242u);
}

TEST_F(Event, OnlyEvent39KeepsTheKeyWord) {
  EXPECT_EQ(VEvent(Record(kHostEventKeyWord, 0xABCD1234, 0, 0, 0)).GetKeyWord(), 0x1234);
  EXPECT_EQ(VEvent(Record(3, 0xABCD1234, 0, 0, 0)).GetKeyWord(), 0);
}

TEST_F(Event, ACopyHasNoHostRecordAndLeavesTheDestinationAlone) {
  VEvent original(Record(2, 0, 7, 8, 0x0100));
  VEvent copy(original);
  EXPECT_FALSE(copy.HasHostRecord());
  EXPECT_TRUE(copy.IsButtonUp());
  EXPECT_TRUE(copy.IsCommand());
  VHostEventRecord out = Record(99, 5, 5, 5, 5);
  copy.GetHostRecord(out);
  EXPECT_EQ(out.what, 99);
  EXPECT_EQ(out.message, 5u);
  VEvent assigned(0, 0, 0, false, false, false, false, false, 0, 0);
  assigned = original;
  EXPECT_FALSE(assigned.HasHostRecord());
  EXPECT_EQ(assigned.GetX(), 8);
}

TEST_F(Event, OffsetKeepsTheStartPosition) {
  VEvent e(30, 40, 0, false, false, false, false, false, 0, 0);
  e.Offset(-10, -20);
  int32_t x = 0;
  int32_t y = 0;
  e.GetStartPosition(x, y);
  EXPECT_EQ(x, 30);
  EXPECT_EQ(y, 40);
  EXPECT_EQ(e.GetX(), 20);
  EXPECT_EQ(e.GetY(), 20);
}

TEST_F(Event, TheCurrentStateTakesMouseButtonsAndKeys) {
  SetCursorPos(120, -7);
  SetHeadlessKeyDown(VK_RBUTTON, true);
  SetHeadlessKeyDown(VK_CONTROL, true);
  SetHeadlessKeyDown(VK_SHIFT, true);
  VEvent e;
  EXPECT_EQ(e.GetX(), 120);
  EXPECT_EQ(e.GetY(), -7);
  EXPECT_FALSE(e.IsButtonUp());
  EXPECT_TRUE(e.IsContextual());
  EXPECT_TRUE(e.IsCommand());
  EXPECT_FALSE(e.IsOption());
  EXPECT_TRUE(e.IsShift());
  EXPECT_FALSE(e.HasHostRecord());
  ResetHeadlessInput();
  VEvent idle;
  EXPECT_TRUE(idle.IsButtonUp());
  EXPECT_FALSE(idle.IsContextual());
}

}  // namespace
