// Cursor stand-in: the arrow at InitCursor, the built-in cursors' records and
// handles, records of the caller's, the hide level and the obscured state.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/toolbox/TbxCursor.h"

namespace {

using namespace Tbx;

class TbxCursor : public testing::Test {
 protected:
  void SetUp() override { InitCursor(); }
  void TearDown() override { InitCursor(); }
};

Cursor RecordOf(Handle h) {
  Cursor record{};
  std::memcpy(&record, HLock(h), sizeof record);
  HUnlock(h);
  return record;
}

TEST_F(TbxCursor, InitCursorShowsTheArrowVisibly) {
  HideCursor();
  ToolboxCall697();
  InitCursor();
  const HeadlessCursorState state = GetHeadlessCursorState();
  EXPECT_EQ(state.shown, 0);
  EXPECT_EQ(state.level, 0);
  EXPECT_FALSE(state.obscured);
  EXPECT_TRUE(IsHeadlessCursorVisible());
}

TEST_F(TbxCursor, BuiltInCursorsAreDistinct68ByteRecords) {
  Cursor records[5];
  for (int16_t id = 1; id <= 4; ++id) {
    Handle h = GetCursor(id);
    ASSERT_NE(h, 0u) << id;
    ASSERT_EQ(GetHandleSize(h), kCursorRecordSize);
    records[id] = RecordOf(h);
  }
  for (int a = 1; a <= 4; ++a) {
    for (int b = a + 1; b <= 4; ++b) EXPECT_NE(std::memcmp(&records[a], &records[b], 68), 0);
  }
}

TEST_F(TbxCursor, TheSameBuiltInHandleIsAnsweredAgain) {
  EXPECT_EQ(GetCursor(watchCursor), GetCursor(watchCursor));
}

TEST_F(TbxCursor, ABuiltInDisposedOfByACallerIsMadeAgain) {
  Handle first = GetCursor(crossCursor);
  const Cursor record = RecordOf(first);
  DisposeHandle(first);
  Handle again = GetCursor(crossCursor);
  ASSERT_NE(again, 0u);
  const Cursor copy = RecordOf(again);
  EXPECT_EQ(std::memcmp(&record, &copy, sizeof record), 0);
}

TEST_F(TbxCursor, TheMaskCoversTheImage) {
  const Cursor record = RecordOf(GetCursor(iBeamCursor));
  for (int i = 0; i < 32; ++i) EXPECT_EQ(record.data[i] & ~record.mask[i], 0) << i;
}

TEST_F(TbxCursor, SetCursorWithABuiltInRecordRecordsItsNumber) {
  Handle h = GetCursor(plusCursor);
  SetCursor(static_cast<const Cursor*>(HLock(h)));
  HUnlock(h);
  const HeadlessCursorState state = GetHeadlessCursorState();
  EXPECT_EQ(state.shown, plusCursor);
  const Cursor record = RecordOf(h);
  EXPECT_EQ(std::memcmp(&state.record, &record, sizeof record), 0);
}

TEST_F(TbxCursor, SetCursorCopiesARecordOfTheCallers) {
  Cursor mine{};
  std::memset(mine.data, 0x5A, sizeof mine.data);
  std::memset(mine.mask, 0xFF, sizeof mine.mask);
  mine.hotSpot[1] = 3;
  mine.hotSpot[3] = 9;
  SetCursor(&mine);
  std::memset(mine.data, 0, sizeof mine.data);
  const HeadlessCursorState state = GetHeadlessCursorState();
  EXPECT_EQ(state.shown, -1);
  EXPECT_EQ(state.record.data[0], 0x5A);
  EXPECT_EQ(state.record.hotSpot[1], 3);
  EXPECT_EQ(state.record.hotSpot[3], 9);
}

TEST_F(TbxCursor, ANullRecordChangesNothing) {
  const uint32_t changes = GetHeadlessCursorState().changes;
  SetCursor(nullptr);
  EXPECT_EQ(GetHeadlessCursorState().changes, changes);
  EXPECT_EQ(GetHeadlessCursorState().shown, 0);
}

TEST_F(TbxCursor, HideAndShowNestAndNeverPassVisible) {
  HideCursor();
  HideCursor();
  EXPECT_EQ(GetHeadlessCursorState().level, -2);
  ShowCursor();
  EXPECT_FALSE(IsHeadlessCursorVisible());
  ShowCursor();
  EXPECT_TRUE(IsHeadlessCursorVisible());
  ShowCursor();
  EXPECT_EQ(GetHeadlessCursorState().level, 0);
  HideCursor();
  EXPECT_FALSE(IsHeadlessCursorVisible());
}

TEST_F(TbxCursor, AnObscuredCursorShowsAgainWhenTheMouseMoves) {
  ToolboxCall697();
  EXPECT_FALSE(IsHeadlessCursorVisible());
  HeadlessCursorMouseMoved();
  EXPECT_TRUE(IsHeadlessCursorVisible());
}

TEST_F(TbxCursor, OtherNumbersWithoutACursorResourceAnswerNoHandle) {
  // No resource file is open in this program.
  EXPECT_EQ(GetCursor(0), 0u);
  EXPECT_EQ(GetCursor(9001), 0u);
  EXPECT_EQ(GetCursor(-2), 0u);
}

}  // namespace
