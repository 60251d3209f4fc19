// The cursor object and the tool-tip flag holder: ids and what they show
// (the arrow, built-in cursors, 'CURS' resources of a resource file), the
// start-up cursor, ids that change nothing, resize cursors, visibility, the
// flag and the host call it forwards.
#include "framework/system/environment/VCursor.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "FilesTestSupport.h"
#include "SystemEnvironmentSupport.h"
#include "testsupport/FakeHost.h"
#include "framework/system/environment/VFlagHolder.h"
#include "framework/system/resources/VMacResourceFile.h"
#include "platform/toolbox/TbxCursor.h"
#include "platform/toolbox/TbxResources.h"

namespace {

using files_test::ScratchFolder;

constexpr uint32_t kCURS = FourCC("CURS");

// A cursor record whose image rows all hold `pattern`.
std::vector<uint8_t> CursorBytes(uint8_t pattern, size_t size = Tbx::kCursorRecordSize) {
  std::vector<uint8_t> bytes(size, 0);
  for (size_t i = 0; i < size && i < 32; ++i) bytes[i] = pattern;
  for (size_t i = 32; i < size && i < 64; ++i) bytes[i] = 0xFF;
  return bytes;
}

Tbx::Cursor BuiltIn(int16_t id) {
  Tbx::Cursor record{};
  const Tbx::Handle h = Tbx::GetCursor(id);
  std::memcpy(&record, Tbx::HLock(h), sizeof record);
  Tbx::HUnlock(h);
  return record;
}

bool Showing(const Tbx::Cursor& record) {
  const Tbx::HeadlessCursorState state = Tbx::GetHeadlessCursorState();
  return std::memcmp(&state.record, &record, sizeof record) == 0;
}

// A resource file holding 'CURS' 200 (pattern 0xA5), the resize cursors
// 9005 and 9006, a short 'CURS' 300 and 'CURS' -5; wrapped for the cursor.
class Cursor : public ScratchFolder {
 protected:
  void SetUp() override {
    ScratchFolder::SetUp();
    Tbx::InitCursor();
    const std::string path = P("cursors.rsrc");
    uint8_t pascal[256];
    pascal[0] = static_cast<uint8_t>(path.size());
    std::memcpy(pascal + 1, path.data(), path.size());
    previous_ = Tbx::CurResFile();
    Tbx::CreateResFile(pascal);
    ref_ = Tbx::OpenResFile(pascal);
    ASSERT_GE(ref_, 0);
    Add(200, CursorBytes(0xA5));
    Add(9005, CursorBytes(0x05));
    Add(9006, CursorBytes(0x06));
    Add(300, CursorBytes(0x30, 40));
    Add(-5, CursorBytes(0x55));
    // Written and opened again, so that the resources come from the file.
    Tbx::UpdateResFile(ref_);
    Tbx::CloseResFile(ref_);
    ref_ = Tbx::OpenResFile(pascal);
    ASSERT_GE(ref_, 0);
    file_ = new VMacResourceFile(ref_);
  }
  void TearDown() override {
    delete file_;
    Tbx::CloseResFile(ref_);
    if (previous_ >= 0) Tbx::UseResFile(previous_);
    Tbx::InitCursor();
    ScratchFolder::TearDown();
  }
  void Add(int16_t id, const std::vector<uint8_t>& bytes) {
    const Tbx::Handle h = Tbx::NewHandle(static_cast<int32_t>(bytes.size()));
    std::memcpy(Tbx::HLock(h), bytes.data(), bytes.size());
    Tbx::HUnlock(h);
    Tbx::AddResource(h, kCURS, id, nullptr);
    ASSERT_EQ(Tbx::ResError(), 0);
  }
  bool ShowingPattern(uint8_t pattern) {
    const Tbx::HeadlessCursorState state = Tbx::GetHeadlessCursorState();
    return state.shown == -1 && state.record.data[0] == pattern && state.record.data[31] == pattern;
  }

  int16_t previous_ = -1;
  int16_t ref_ = -1;
  VMacResourceFile* file_ = nullptr;
};

TEST_F(Cursor, StartsShowingTheBuiltInCursor4) {
  VCursor cursor(file_);
  EXPECT_EQ(cursor.GetId(), 4);
  EXPECT_EQ(Tbx::GetHeadlessCursorState().shown, 4);
  EXPECT_TRUE(Showing(BuiltIn(4)));
  EXPECT_NE(cursor.GetCursorHandle(), 0u);
}

TEST_F(Cursor, Id0ShowsTheArrowAndHoldsNoHandle) {
  VCursor cursor(file_);
  cursor.SetId(0);
  EXPECT_EQ(Tbx::GetHeadlessCursorState().shown, 0);
  EXPECT_EQ(cursor.GetCursorHandle(), 0u);
}

TEST_F(Cursor, Ids1To4ShowTheBuiltInCursors) {
  VCursor cursor(file_);
  for (int32_t id = 1; id <= 4; ++id) {
    cursor.SetId(id);
    EXPECT_EQ(Tbx::GetHeadlessCursorState().shown, id);
    EXPECT_TRUE(Showing(BuiltIn(static_cast<int16_t>(id)))) << id;
  }
}

TEST_F(Cursor, SettingTheSameIdTwiceAppliesOnce) {
  VCursor cursor(file_);
  cursor.SetId(3);
  const uint32_t changes = Tbx::GetHeadlessCursorState().changes;
  cursor.SetId(3);
  EXPECT_EQ(Tbx::GetHeadlessCursorState().changes, changes);
}

TEST_F(Cursor, MinusOneIsStoredAndChangesNothingShown) {
  VCursor cursor(file_);
  cursor.SetId(2);
  const uint32_t changes = Tbx::GetHeadlessCursorState().changes;
  cursor.SetId(-1);
  EXPECT_EQ(cursor.GetId(), -1);
  EXPECT_EQ(Tbx::GetHeadlessCursorState().changes, changes);
  EXPECT_EQ(Tbx::GetHeadlessCursorState().shown, 2);
  cursor.SetId(-1);
  EXPECT_EQ(Tbx::GetHeadlessCursorState().changes, changes);
  // Leaving -1 shows again.
  cursor.SetId(2);
  EXPECT_GT(Tbx::GetHeadlessCursorState().changes, changes);
}

TEST_F(Cursor, MinusTwoIsShownAsBuiltIn4AndStoredAs4) {
  VCursor cursor(file_);
  cursor.SetId(0);
  cursor.SetId(-2);
  EXPECT_EQ(cursor.GetId(), 4);
  EXPECT_EQ(Tbx::GetHeadlessCursorState().shown, 4);
}

TEST_F(Cursor, OtherIdsShowTheirCursResource) {
  VCursor cursor(file_);
  cursor.SetId(200);
  EXPECT_TRUE(ShowingPattern(0xA5));
  EXPECT_NE(cursor.GetCursorHandle(), 0u);
}

TEST_F(Cursor, NegativeIdsOtherThanMinus2AreResourceIds) {
  VCursor cursor(file_);
  cursor.SetId(-5);
  EXPECT_TRUE(ShowingPattern(0x55));
}

TEST_F(Cursor, ResourceIdsAreTakenAs16Bits) {
  VCursor cursor(file_);
  cursor.SetId(200 + 0x10000);
  EXPECT_TRUE(ShowingPattern(0xA5));
  EXPECT_EQ(cursor.GetId(), 200 + 0x10000);
}

TEST_F(Cursor, AMissingResourceShowsTheArrow) {
  VCursor cursor(file_);
  cursor.SetId(201);
  EXPECT_EQ(Tbx::GetHeadlessCursorState().shown, 0);
  EXPECT_EQ(cursor.GetId(), 201);
  EXPECT_EQ(cursor.GetCursorHandle(), 0u);
}

TEST_F(Cursor, AResourceTooShortForACursorShowsTheArrow) {
  VCursor cursor(file_);
  cursor.SetId(300);
  EXPECT_EQ(Tbx::GetHeadlessCursorState().shown, 0);
}

TEST_F(Cursor, WithoutAResourceFileResourceIdsShowTheArrow) {
  VCursor cursor;
  cursor.SetId(200);
  EXPECT_EQ(Tbx::GetHeadlessCursorState().shown, 0);
  cursor.SetId(1);
  EXPECT_EQ(Tbx::GetHeadlessCursorState().shown, 1);
}

TEST_F(Cursor, TheHeldResourceIsGivenBackOnTheNextApply) {
  VCursor cursor(file_);
  cursor.SetId(200);
  const uint32_t held = cursor.GetCursorHandle();
  ASSERT_NE(held, 0u);
  cursor.SetId(0);
  // Given back to the file: the handle is no longer a live block.
  EXPECT_EQ(Tbx::GetHandleSize(held), 0);
  EXPECT_NE(Tbx::MemError(), 0);
  // And read again when asked again.
  cursor.SetId(200);
  EXPECT_TRUE(ShowingPattern(0xA5));
}

TEST_F(Cursor, BuiltInHandlesStayTheLibrarys) {
  VCursor cursor(file_);
  cursor.SetId(1);
  const uint32_t builtIn = cursor.GetCursorHandle();
  cursor.SetId(0);
  EXPECT_EQ(Tbx::GetHandleSize(builtIn), Tbx::kCursorRecordSize);
}

TEST_F(Cursor, ResizeDirectionsMapToTheResizeCursors) {
  EXPECT_EQ(VCursor::GetResizeCursor(1), 9001);
  EXPECT_EQ(VCursor::GetResizeCursor(2), 9004);
  EXPECT_EQ(VCursor::GetResizeCursor(3), 9004);
  EXPECT_EQ(VCursor::GetResizeCursor(4), 9003);
  EXPECT_EQ(VCursor::GetResizeCursor(5), 9003);
  EXPECT_EQ(VCursor::GetResizeCursor(6), 9005);
  EXPECT_EQ(VCursor::GetResizeCursor(9), 9005);
  EXPECT_EQ(VCursor::GetResizeCursor(7), 9006);
  EXPECT_EQ(VCursor::GetResizeCursor(8), 9006);
  EXPECT_EQ(VCursor::GetResizeCursor(0), 0);
  EXPECT_EQ(VCursor::GetResizeCursor(10), 0);
  EXPECT_EQ(VCursor::GetResizeCursor(-1), 0);
}

TEST_F(Cursor, ToggleSwapsOnlyTheDiagonalResizeCursors) {
  VCursor cursor(file_);
  cursor.SetId(9005);
  EXPECT_TRUE(ShowingPattern(0x05));
  cursor.ToggleResizeCursor();
  EXPECT_EQ(cursor.GetId(), 9006);
  EXPECT_TRUE(ShowingPattern(0x06));
  cursor.ToggleResizeCursor();
  EXPECT_EQ(cursor.GetId(), 9005);
  cursor.SetId(9004);
  cursor.ToggleResizeCursor();
  EXPECT_EQ(cursor.GetId(), 9004);
}

TEST_F(Cursor, ShowAndHideNest) {
  VCursor cursor(file_);
  cursor.Show(0);
  cursor.Show(0);
  EXPECT_FALSE(Tbx::IsHeadlessCursorVisible());
  cursor.Show(1);
  EXPECT_FALSE(Tbx::IsHeadlessCursorVisible());
  cursor.Show(1);
  EXPECT_TRUE(Tbx::IsHeadlessCursorVisible());
}

TEST_F(Cursor, ObscureHidesUntilTheMouseMoves) {
  VCursor cursor(file_);
  cursor.Obscure();
  EXPECT_FALSE(Tbx::IsHeadlessCursorVisible());
  Tbx::HeadlessCursorMouseMoved();
  EXPECT_TRUE(Tbx::IsHeadlessCursorVisible());
}

// The module's resource file as the host opens it before start.
TEST(ModuleCursors, EveryResizeCursorIsAWholeRecordWithItsMaskAroundIt) {
  const std::string path = QV_RESOURCE_FILE;
  uint8_t pascal[256];
  ASSERT_LT(path.size(), 256u);
  pascal[0] = static_cast<uint8_t>(path.size());
  std::memcpy(pascal + 1, path.data(), path.size());
  const int16_t previous = Tbx::CurResFile();
  const int16_t ref = Tbx::OpenResFile(pascal);
  ASSERT_GE(ref, 0);
  {
    VMacResourceFile file(ref);
    VCursor cursor(&file);
    std::vector<Tbx::Cursor> seen;
    for (int32_t direction = 1; direction <= 9; ++direction) {
      const int32_t id = VCursor::GetResizeCursor(direction);
      EXPECT_EQ(file.GetResourceSizeById(kCURS, static_cast<int16_t>(id)),
                static_cast<uint32_t>(Tbx::kCursorRecordSize)) << id;
      cursor.SetId(id);
      const Tbx::HeadlessCursorState state = Tbx::GetHeadlessCursorState();
      EXPECT_EQ(state.shown, -1) << id;
      for (int i = 0; i < 32; ++i) EXPECT_EQ(state.record.data[i] & ~state.record.mask[i], 0) << id;
      bool known = false;
      for (const Tbx::Cursor& other : seen) known |= std::memcmp(&other, &state.record, 68) == 0;
      if (!known) seen.push_back(state.record);
    }
    EXPECT_EQ(seen.size(), 5u);
  }
  Tbx::CloseResFile(ref);
  if (previous >= 0) Tbx::UseResFile(previous);
  Tbx::InitCursor();
}

// Without a file of its own the cursor reads the system environment's
// module resource file.
class EnvironmentCursor : public EnvironmentTest {};

TEST_F(EnvironmentCursor, ReadsTheEnvironmentsModuleResourceFile) {
  const std::string path = QV_RESOURCE_FILE;
  uint8_t pascal[256];
  ASSERT_LT(path.size(), 256u);
  pascal[0] = static_cast<uint8_t>(path.size());
  std::memcpy(pascal + 1, path.data(), path.size());
  const int16_t previous = Tbx::CurResFile();
  const int16_t ref = Tbx::OpenResFile(pascal);
  ASSERT_GE(ref, 0);
  if (previous >= 0) Tbx::UseResFile(previous);
  {
    VMacResourceFile file(ref);
    Services().SetModuleResourceFile(&file);
    VSystemServices* saved = gSystemServices;
    gSystemServices = &Services();
    {
      VCursor cursor;
      cursor.SetId(9001);
      EXPECT_EQ(Tbx::GetHeadlessCursorState().shown, -1);
      // The environment without a file: the arrow.
      Services().SetModuleResourceFile(nullptr);
      cursor.SetId(9003);
      EXPECT_EQ(Tbx::GetHeadlessCursorState().shown, 0);
    }
    gSystemServices = saved;
  }
  Tbx::CloseResFile(ref);
  Tbx::InitCursor();
}

TEST(FlagHolder, StartsClearAndKeepsWhatIsSet) {
  VFlagHolder holder;
  EXPECT_EQ(holder.GetFlag(), 0);
  EXPECT_FALSE(holder.ShouldWaitForTip());
  holder.SetFlag(1);
  EXPECT_EQ(holder.GetFlag(), 1);
  EXPECT_TRUE(holder.ShouldWaitForTip());
  holder.SetFlag(0);
  EXPECT_FALSE(holder.ShouldWaitForTip());
}

// A host that records its window call's arguments and answers 7.
struct WindowHost : FakeHost {
  const VString* text = nullptr;
  VFrame* frame = nullptr;
  const VPoint* place = nullptr;
  int calls = 0;
  int32_t HostOpenWindowAt(const VString& t, VFrame* f, const VPoint* p) override {
    text = &t;
    frame = f;
    place = p;
    ++calls;
    return 7;
  }
};

TEST(FlagHolder, ForwardsItsArgumentsToTheHostsWindowCallUnchanged) {
  WindowHost host;
  VFlagHolder holder;
  VStr<15> text;
  text.SetCText("tip", kCharSetMac);
  auto* frame = reinterpret_cast<VFrame*>(&holder);
  const auto* place = reinterpret_cast<const VPoint*>(&text);
  EXPECT_EQ(holder.ForwardToHost(text, frame, place), 7);
  EXPECT_EQ(host.calls, 1);
  EXPECT_EQ(host.text, &text);
  EXPECT_EQ(host.frame, frame);
  EXPECT_EQ(host.place, place);
}

TEST(FlagHolder, WithoutAHostForwardingAnswers0) {
  VHostBridge* previous = VHostBridgeService::Install(nullptr);
  VFlagHolder holder;
  VStr<15> text;
  EXPECT_EQ(holder.ForwardToHost(text, nullptr, nullptr), 0);
  VHostBridgeService::Install(previous);
}

}  // namespace
