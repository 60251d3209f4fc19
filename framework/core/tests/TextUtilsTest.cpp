// Lengths and copies of zero-terminated and length-prefixed texts, and the
// string factory.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "framework/core/strings/StringFactory.h"
#include "framework/core/strings/TextUtils.h"
#include "framework/core/strings/VString.h"

TEST(TextUtils, Lengths) {
  EXPECT_EQ(CStrLen("abc"), 3);
  EXPECT_EQ(CStrLen(""), 0);
  EXPECT_EQ(CStrLen(nullptr), 0);
  EXPECT_EQ(UniStrLen(u"abcd"), 4);
  const char16_t empty[] = {0, u'x', 0};
  EXPECT_EQ(UniStrLen(empty), 0);
  EXPECT_EQ(UniStrLen(nullptr), 0);
}

TEST(TextUtils, CStrCopyTakesTheTerminator) {
  char out[8];
  std::memset(out, 'z', sizeof out);
  CStrCopy("abc", out);
  EXPECT_STREQ(out, "abc");
  EXPECT_EQ(out[4], 'z');
}

TEST(TextUtils, CToPStrCutsAtRoomMinusOne) {
  uint8_t out[8];
  std::memset(out, 0xEE, sizeof out);
  CToPStr("abcdef", out, 4);
  EXPECT_EQ(out[0], 3);
  EXPECT_EQ(std::memcmp(out + 1, "abc", 3), 0);
  EXPECT_EQ(out[4], 0xEE);
  CToPStr("", out, 4);
  EXPECT_EQ(out[0], 0);
}

TEST(TextUtils, CToPStrNeverClaimsMoreThan255) {
  char source[400];
  std::memset(source, 'a', 399);
  source[399] = 0;
  uint8_t out[400];
  std::memset(out, 0xEE, sizeof out);
  CToPStr(source, out, 400);
  EXPECT_EQ(out[0], 255);
  EXPECT_EQ(out[255], 'a');
  EXPECT_EQ(out[256], 0xEE);
}

TEST(TextUtils, PToCStrCutsAtRoom) {
  const uint8_t source[] = {10, '0', '1', '2', '3', '4', '5', '6', '7', '8', '9'};
  char out[8];
  std::memset(out, 'z', sizeof out);
  EXPECT_EQ(PToCStr(source, out, 4), out);
  EXPECT_STREQ(out, "012");
  EXPECT_EQ(out[4], 'z');
  char whole[16];
  PToCStr(source, whole, 16);
  EXPECT_STREQ(whole, "0123456789");
}

TEST(TextUtils, PStrCopyMaxCopiesAWholeTextThatFits) {
  const uint8_t source[] = {3, 'a', 'b', 'c'};
  uint8_t out[8];
  std::memset(out, 0xEE, sizeof out);
  PStrCopyMax(source, out, 8);
  EXPECT_EQ(std::memcmp(out, source, 4), 0);
  EXPECT_EQ(out[4], 0xEE);
}

TEST(TextUtils, PStrCopyMaxIntoASmallerRoomStaysAWholeText) {
  const uint8_t source[] = {10, '0', '1', '2', '3', '4', '5', '6', '7', '8', '9'};
  uint8_t out[6];
  std::memset(out, 0xEE, sizeof out);
  PStrCopyMax(source, out, 4);
  // The copy says what it holds, so reading it never runs past the room.
  EXPECT_EQ(out[0], 3);
  EXPECT_EQ(std::memcmp(out + 1, "012", 3), 0);
  EXPECT_EQ(out[4], 0xEE);
}

TEST(TextUtils, RoomOfZeroOrLessWritesNothing) {
  const uint8_t source[] = {3, 'a', 'b', 'c'};
  uint8_t out[4] = {0xEE, 0xEE, 0xEE, 0xEE};
  char cout[4] = {'z', 'z', 'z', 'z'};
  PStrCopyMax(source, out, 0);
  PToCStr(source, cout + 1, 0);
  CToPStr("abc", out, 0);
  PStrCopyMax(source, out, -5);
  PToCStr(source, cout + 1, -5);
  CToPStr("abc", out, -5);
  for (uint8_t b : out) EXPECT_EQ(b, 0xEE);
  for (char c : cout) EXPECT_EQ(c, 'z');
}

TEST(TextUtils, RoomOfOneWritesOnlyTheEmptyText) {
  const uint8_t source[] = {3, 'a', 'b', 'c'};
  char cout[2] = {'z', 'z'};
  PToCStr(source, cout, 1);
  EXPECT_EQ(cout[0], 0);
  EXPECT_EQ(cout[1], 'z');
  uint8_t out[2] = {0xEE, 0xEE};
  CToPStr("abc", out, 1);
  EXPECT_EQ(out[0], 0);
  EXPECT_EQ(out[1], 0xEE);
  PStrCopyMax(source, out, 1);
  EXPECT_EQ(out[0], 0);
  EXPECT_EQ(out[1], 0xEE);
}

TEST(StringFactory, MakesEachFormEmptyAndNotNull) {
  for (int32_t form = 1; form <= 6; ++form) {
    std::unique_ptr<VString> s(NewString(form));
    ASSERT_NE(s, nullptr) << form;
    EXPECT_EQ(s->GetForm(), form);
    EXPECT_EQ(s->GetLength(), 0);
    EXPECT_FALSE(s->IsNull(kWholeValue));
    EXPECT_EQ(s->IsInHandle(), form % 2 == 0);
    EXPECT_EQ(s->GetCapacity(), form % 2 == 0 ? kStringHandleCapacity : 255);
  }
}

TEST(StringFactory, MacintoshHandleFormHasNoPracticalLimit) {
  std::unique_ptr<VString> s(NewString(4));
  ASSERT_NE(s, nullptr);
  EXPECT_TRUE(s->IsMac());
  EXPECT_EQ(s->GetCapacity(), 0x7fffffff);
}

TEST(StringFactory, FormsOutsideOneToSixMakeNothing) {
  EXPECT_EQ(NewString(0), nullptr);
  EXPECT_EQ(NewString(7), nullptr);
  EXPECT_EQ(NewString(-1), nullptr);
  EXPECT_EQ(NewString(0x7fffffff), nullptr);
}
