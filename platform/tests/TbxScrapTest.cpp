// Scrap stand-in: typed blocks kept across calls, replaced by type, read into
// a handle or measured only, offsets in the scrap's layout, refused calls.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/toolbox/TbxScrap.h"

namespace {

using namespace Tbx;

constexpr ResType kTEXT = 0x54455854;  // 'TEXT'
constexpr ResType kPICT = 0x50494354;  // 'PICT'
constexpr ResType kRTF = 0x52544620;   // 'RTF '

std::vector<uint8_t> HandleBytes(Handle h) {
  const int32_t size = GetHandleSize(h);
  std::vector<uint8_t> bytes(static_cast<size_t>(size));
  if (size > 0) {
    std::memcpy(bytes.data(), HLock(h), bytes.size());
    HUnlock(h);
  }
  return bytes;
}

class TbxScrap : public testing::Test {
 protected:
  void SetUp() override { ZeroScrap(); }
  void TearDown() override { ZeroScrap(); }
};

TEST_F(TbxScrap, ZeroScrapEmptiesEveryType) {
  ASSERT_EQ(PutScrap(3, kTEXT, "abc"), 0);
  ASSERT_EQ(PutScrap(2, kPICT, "xy"), 0);
  EXPECT_EQ(CountScrapTypes(), 2);
  EXPECT_EQ(ZeroScrap(), 0);
  EXPECT_EQ(CountScrapTypes(), 0);
  EXPECT_EQ(GetScrap(0, kTEXT, nullptr), noTypeErr);
  EXPECT_EQ(GetScrap(0, kPICT, nullptr), noTypeErr);
}

TEST_F(TbxScrap, GetScrapWithoutHandleAnswersTheLengthOnly) {
  ASSERT_EQ(PutScrap(5, kTEXT, "hello"), 0);
  EXPECT_EQ(GetScrap(0, kTEXT, nullptr), 5);
}

TEST_F(TbxScrap, GetScrapSizesTheHandleAndCopiesTheBytes) {
  ASSERT_EQ(PutScrap(5, kTEXT, "hello"), 0);
  Handle h = NewHandle(100);
  ASSERT_NE(h, 0u);
  EXPECT_EQ(GetScrap(h, kTEXT, nullptr), 5);
  EXPECT_EQ(HandleBytes(h), (std::vector<uint8_t>{'h', 'e', 'l', 'l', 'o'}));
  DisposeHandle(h);
}

TEST_F(TbxScrap, AMissingTypeLeavesTheHandleAlone) {
  ASSERT_EQ(PutScrap(5, kTEXT, "hello"), 0);
  Handle h = NewHandle(3);
  std::memcpy(HLock(h), "abc", 3);
  HUnlock(h);
  EXPECT_EQ(GetScrap(h, kPICT, nullptr), noTypeErr);
  EXPECT_EQ(HandleBytes(h), (std::vector<uint8_t>{'a', 'b', 'c'}));
  DisposeHandle(h);
}

TEST_F(TbxScrap, PuttingATypeAgainReplacesItsData) {
  ASSERT_EQ(PutScrap(5, kTEXT, "hello"), 0);
  ASSERT_EQ(PutScrap(2, kTEXT, "hi"), 0);
  EXPECT_EQ(CountScrapTypes(), 1);
  Handle h = NewHandle(0);
  EXPECT_EQ(GetScrap(h, kTEXT, nullptr), 2);
  EXPECT_EQ(HandleBytes(h), (std::vector<uint8_t>{'h', 'i'}));
  DisposeHandle(h);
}

TEST_F(TbxScrap, OffsetsFollowTheScrapLayoutWithEvenPadding) {
  // Each block: type (4), length (4), bytes padded to an even count.
  ASSERT_EQ(PutScrap(3, kTEXT, "abc"), 0);
  ASSERT_EQ(PutScrap(4, kPICT, "wxyz"), 0);
  ASSERT_EQ(PutScrap(0, kRTF, nullptr), 0);
  int32_t offset = -1;
  EXPECT_EQ(GetScrap(0, kTEXT, &offset), 3);
  EXPECT_EQ(offset, 8);
  EXPECT_EQ(GetScrap(0, kPICT, &offset), 4);
  EXPECT_EQ(offset, 8 + 4 + 8);
  EXPECT_EQ(GetScrap(0, kRTF, &offset), 0);
  EXPECT_EQ(offset, 8 + 4 + 8 + 4 + 8);
}

TEST_F(TbxScrap, AnEmptyBlockIsHeldWithLengthZero) {
  ASSERT_EQ(PutScrap(0, kTEXT, nullptr), 0);
  Handle h = NewHandle(4);
  EXPECT_EQ(GetScrap(h, kTEXT, nullptr), 0);
  EXPECT_EQ(GetHandleSize(h), 0);
  DisposeHandle(h);
}

TEST_F(TbxScrap, RefusedPutsLeaveTheScrapUnchanged) {
  ASSERT_EQ(PutScrap(3, kTEXT, "abc"), 0);
  const uint32_t changes = GetScrapChangeCount();
  EXPECT_EQ(PutScrap(-1, kTEXT, "x"), paramErr);
  EXPECT_EQ(PutScrap(4, kTEXT, nullptr), paramErr);
  EXPECT_EQ(GetScrapChangeCount(), changes);
  EXPECT_EQ(GetScrap(0, kTEXT, nullptr), 3);
}

TEST_F(TbxScrap, TheSourceIsCopiedWhenPut) {
  char text[] = "abc";
  ASSERT_EQ(PutScrap(3, kTEXT, text), 0);
  text[0] = 'z';
  Handle h = NewHandle(0);
  ASSERT_EQ(GetScrap(h, kTEXT, nullptr), 3);
  EXPECT_EQ(HandleBytes(h)[0], 'a');
  DisposeHandle(h);
}

TEST_F(TbxScrap, EveryChangeRaisesTheChangeCount) {
  const uint32_t before = GetScrapChangeCount();
  ZeroScrap();
  PutScrap(1, kTEXT, "a");
  EXPECT_EQ(GetScrapChangeCount(), before + 2);
  GetScrap(0, kTEXT, nullptr);
  EXPECT_EQ(GetScrapChangeCount(), before + 2);
}

}  // namespace
