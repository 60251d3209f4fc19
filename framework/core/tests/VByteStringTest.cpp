// The 8-bit strings: Macintosh and ANSI encodings, storage in the object and
// in a handle, and the editing operations in bytes.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/strings/VByteString.h"
#include "framework/core/strings/VUniString.h"

namespace {

std::string Bytes(const VString& s) {
  std::string text(static_cast<const char*>(s.GetBuffer()), static_cast<size_t>(s.GetLength()));
  s.ReleaseBuffer();
  return text;
}

void Set(VString& s, const char* text) {
  s.SetChars(text, 0, static_cast<int32_t>(std::strlen(text)), kCharSetOwn);
}

}  // namespace

TEST(ByteString, EncodingsAnswerTheirKindsAndForms) {
  VMacStr<15> mac;
  VAnsiStr<15> ansi;
  VMacStrInHandle macH;
  VAnsiStrInHandle ansiH;
  EXPECT_TRUE(mac.IsMac());
  EXPECT_FALSE(mac.IsAnsi());
  EXPECT_FALSE(mac.IsUnicode());
  EXPECT_EQ(mac.GetCharKind(), kCharKindMac);
  EXPECT_EQ(mac.GetForm(), kStringFormMac);
  EXPECT_FALSE(mac.IsInHandle());
  EXPECT_TRUE(ansi.IsAnsi());
  EXPECT_EQ(ansi.GetCharKind(), kCharKindAnsi);
  EXPECT_EQ(ansi.GetForm(), kStringFormAnsi);
  EXPECT_EQ(macH.GetForm(), kStringFormMacHandle);
  EXPECT_TRUE(macH.IsInHandle());
  EXPECT_EQ(ansiH.GetForm(), kStringFormAnsiHandle);
  EXPECT_EQ(ansiH.GetCapacity(), kStringHandleCapacity);
  EXPECT_EQ(mac.GetCharSize(), 1);
  EXPECT_EQ(ansiH.GetCharSize(), 1);
  EXPECT_EQ(mac.GetKind(), kValueString);
  EXPECT_TRUE(ansi.IsAvailable());
}

TEST(MacStrInMem, FullStringKeepsItsLengthByteAndZero) {
  VMacStr<255> s;
  std::string text(255, 'q');
  Set(s, text.c_str());
  auto* storage = static_cast<uint8_t*>(s.GetBuffer()) - 1;
  EXPECT_EQ(storage[0], 255);
  EXPECT_EQ(storage[256], 0);
  s.AppendChar('x', kCharSetOwn);
  EXPECT_EQ(s.GetLength(), 255);
}

TEST(ByteStrInMem, CapacityIsBoundedBy255) {
  uint8_t storage[300];
  VAnsiStrInMem s(storage, 1000, true);
  EXPECT_EQ(s.GetCapacity(), 255);
  EXPECT_FALSE(s.SetLength(256));
}

TEST(ByteStrInMem, CloneOfABareStringSharesItsStorage) {
  uint8_t storage[20];
  VMacStrInMem s(storage, 18, true);
  Set(s, "one");
  std::unique_ptr<VValue> clone(s.Clone());
  auto* other = dynamic_cast<VMacStrInMem*>(clone.get());
  ASSERT_NE(other, nullptr);
  s.AppendCText("two", kCharSetOwn);
  EXPECT_EQ(Bytes(*other), "onetwo");
}

TEST(AnsiStr, AppendOf40CharactersKeeps31) {
  VAnsiStr<31> s;
  s.AppendCText("0123456789012345678901234567890123456789", kCharSetAnsi);
  EXPECT_EQ(Bytes(s), "0123456789012345678901234567890");
}

TEST(AnsiStr, CloneIsItsOwnClassWithTextAndNullFlag) {
  VAnsiStr<31> s;
  Set(s, "abc");
  std::unique_ptr<VValue> clone(s.Clone());
  auto* copy = dynamic_cast<VAnsiStr<31>*>(clone.get());
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(Bytes(*copy), "abc");
  EXPECT_FALSE(copy->IsNull(kWholeValue));
  s.SetNull(true, kWholeValue);
  std::unique_ptr<VValue> nullClone(s.Clone());
  EXPECT_TRUE(nullClone->IsNull(kWholeValue));
  EXPECT_EQ(static_cast<VString&>(*nullClone).GetLength(), 0);
}

TEST(ByteString, OwnSetTakesBytesAsTheyAre) {
  VMacStr<15> mac;
  mac.AppendCText("abc", kCharSetOwn);
  EXPECT_EQ(Bytes(mac), "abc");
  VAnsiStr<15> ansi;
  ansi.AppendCText("abc", kCharSetOwn);
  EXPECT_EQ(Bytes(ansi), "abc");
}

TEST(ByteString, BytesOfTheOtherSetAreConverted) {
  // A Macintosh e-acute is the ANSI byte 0xE9, and back.
  VAnsiStr<15> ansi;
  ansi.AppendChar(0x8E, kCharSetMac);
  EXPECT_EQ(Bytes(ansi), "\xE9");
  VMacStr<15> mac;
  mac.AppendChar(0xE9, kCharSetAnsi);
  EXPECT_EQ(Bytes(mac), "\x8E");
  const uint8_t ptext[] = {2, 0xC4, 'A'};
  mac.AppendPText(ptext, kCharSetAnsi);
  EXPECT_EQ(Bytes(mac), "\x8E\x80" "A");
}

TEST(ByteString, SetCharsWithTheOwnSetKeepsTheNullFlag) {
  VMacStr<15> s;
  s.SetNull(true, kWholeValue);
  s.SetChars("abc", 0, 3, kCharSetMac);
  EXPECT_EQ(Bytes(s), "abc");
  EXPECT_TRUE(s.IsNull(kWholeValue));
  s.SetChars("xyz", 1, 2, kCharSetAnsi);
  EXPECT_EQ(Bytes(s), "yz");
  EXPECT_FALSE(s.IsNull(kWholeValue));
}

TEST(ByteString, NullTextsAppendNothing) {
  VAnsiStr<15> s;
  Set(s, "a");
  s.AppendCText(nullptr, kCharSetAnsi);
  s.AppendPText(nullptr, kCharSetMac);
  s.AppendUniCText(nullptr);
  EXPECT_EQ(Bytes(s), "a");
}

TEST(ByteString, UniTextIsConvertedToTheOwnSet) {
  VMacStr<15> s;
  s.AppendUniCText(u"ab");
  const char16_t ptext[] = {1, u'c'};
  s.AppendUniPText(ptext);
  s.AppendUniChar(u'd');
  EXPECT_EQ(Bytes(s), "abcd");
  s.SetUniChars(u"xyz", 1, 2);
  EXPECT_EQ(Bytes(s), "yz");
}

TEST(ByteString, EditingInBytes) {
  VAnsiStr<15> s;
  Set(s, "abcdef");
  s.KeepRange(2, 10);
  EXPECT_EQ(Bytes(s), "bcdef");
  s.KeepRange(7, 1);
  EXPECT_EQ(Bytes(s), "");
  Set(s, "abcdef");
  s.Delete(2, 100);
  EXPECT_EQ(Bytes(s), "a");
  Set(s, "abc");
  s.InsertChar(u'X', 2);
  EXPECT_EQ(Bytes(s), "aXbc");
  VStr<8> uni;
  uni.SetUniChars(u"12", 0, 2);
  s.Insert(uni, 1);
  EXPECT_EQ(Bytes(s), "12aXbc");
  VMacStr<8> mac;
  Set(mac, "Q");
  s.ReplaceRange(mac, 3, 2);
  EXPECT_EQ(Bytes(s), "12Qbc");
}

TEST(ByteString, InsertAtTheCapacityDropsTheTail) {
  VMacStr<4> s;
  Set(s, "abcd");
  VAnsiStr<8> xyz;
  Set(xyz, "XYZ");
  s.Insert(xyz, 2);
  EXPECT_EQ(Bytes(s), "aXYZ");
}

TEST(ByteString, CharacterAccessGoesThroughUtf16) {
  VAnsiStr<8> s;
  Set(s, "abc");
  EXPECT_EQ(s.GetCharAt(2), u'b');
  EXPECT_EQ(s.GetCharAt(0), 0);
  EXPECT_EQ(s.GetCharAt(4), 0);
  s.SetCharAt(2, u'Z');
  EXPECT_EQ(Bytes(s), "aZc");
  s.SetCharAt(9, u'Z');
  EXPECT_EQ(Bytes(s), "aZc");
}

TEST(ByteString, FindCharAlwaysSearchesForwards) {
  VMacStr<15> s;
  Set(s, "abcdcd");
  EXPECT_EQ(s.FindChar(u'c', 4, true), 5);
  EXPECT_EQ(s.FindChar(u'c', 1, false), 3);
  EXPECT_EQ(s.FindChar(u'a', 2, true), 0);
}

TEST(ByteString, FindSearchesAUtf16Copy) {
  VAnsiStr<15> s;
  Set(s, "abcdcd");
  VMacStr<4> cd;
  Set(cd, "CD");
  EXPECT_EQ(s.Find(cd, 1, false), 3);
  EXPECT_EQ(s.Find(cd, 4, false), 5);
  EXPECT_EQ(s.Find(cd, 1, true), 0);
}

TEST(MacStrInHandle, StartsWithATwoByteHandle) {
  VMacStrInHandle s;
  EXPECT_EQ(gMemoryMgr->GetHandleSize(s.GetHandle()), 2u);
  EXPECT_EQ(s.GetLength(), 0);
  Set(s, "hello");
  EXPECT_EQ(gMemoryMgr->GetHandleSize(s.GetHandle()), 6u);
  s.SetEmpty(true);
  EXPECT_EQ(gMemoryMgr->GetHandleSize(s.GetHandle()), 2u);
}

TEST(AnsiStrInHandle, EmptiedHandleHoldsNothingUntilTheLengthIsSet) {
  VAnsiStrInHandle s;
  EXPECT_EQ(gMemoryMgr->GetHandleSize(s.GetHandle()), 0u);
  Set(s, "abc");
  s.SetEmpty(true);
  EXPECT_EQ(gMemoryMgr->GetHandleSize(s.GetHandle()), 0u);
  EXPECT_EQ(*static_cast<const uint8_t*>(s.GetBuffer()), 0);  // a shared zero, never null
  s.ReleaseBuffer();
  s.Terminate();
  EXPECT_TRUE(s.SetLength(3));
  EXPECT_EQ(gMemoryMgr->GetHandleSize(s.GetHandle()), 4u);
}

TEST(ByteStrInHandle, LongTextAndCopies) {
  VAnsiStrInHandle s;
  std::string big(3000, 'k');
  Set(s, big.c_str());
  EXPECT_EQ(s.GetLength(), 3000);
  VAnsiStrInHandle copy(s);
  EXPECT_NE(copy.GetHandle(), s.GetHandle());
  EXPECT_EQ(Bytes(copy), big);
  std::unique_ptr<VValue> clone(s.Clone());
  ASSERT_NE(dynamic_cast<VAnsiStrInHandle*>(clone.get()), nullptr);
  EXPECT_EQ(static_cast<VString&>(*clone).GetLength(), 3000);
  VMacStrInHandle mac(s);  // any string, converted
  EXPECT_EQ(mac.GetLength(), 3000);
}

TEST(ByteStrInHandle, HandleWithoutTerminatorIsTerminatedInside) {
  VMemHandle h = gMemoryMgr->NewHandleFromData("abcd", 4);
  VMacStrInHandle s(h, false);
  EXPECT_EQ(Bytes(s), "abc");
  VMemHandle empty = gMemoryMgr->NewHandle(0, 0);
  VAnsiStrInHandle e(empty, false);
  EXPECT_EQ(e.GetLength(), 0);
}

TEST(ByteStrInHandle, BorrowedHandleOutlivesTheString) {
  VMemHandle h = gMemoryMgr->NewHandleFromData("kept", 5);
  { VAnsiStrInHandle s(h, true); }
  EXPECT_EQ(gMemoryMgr->GetHandleSize(h), 5u);
  EXPECT_EQ(gMemoryMgr->GetError(), 0u);
  gMemoryMgr->DisposeHandle(h);
}
