// The UTF-16 strings: storage in the object and in a handle, capacity,
// terminators and the editing operations.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/strings/VUniString.h"

namespace {

std::u16string Text(const VString& s) {
  std::u16string text;
  for (int32_t i = 1; i <= s.GetLength(); ++i) text.push_back(s.GetCharAt(i));
  return text;
}

template <class S>
void Set(S& s, const char16_t* text) {
  s.SetUniChars(text, 0, static_cast<int32_t>(std::char_traits<char16_t>::length(text)));
}

}  // namespace

TEST(StrInMem, StorageIsLengthThenCharactersThenZero) {
  char16_t storage[10];
  std::memset(storage, 0xAB, sizeof storage);
  VStrInMem s(storage, 8, true);
  EXPECT_EQ(storage[0], 0);
  EXPECT_EQ(storage[1], 0);
  s.AppendCText("abc", kCharSetAnsi);
  EXPECT_EQ(storage[0], 3);
  EXPECT_EQ(storage[1], u'a');
  EXPECT_EQ(storage[3], u'c');
  EXPECT_EQ(storage[4], 0);
  EXPECT_EQ(s.GetBuffer(), storage + 1);
  EXPECT_EQ(s.GetForm(), kStringFormUni);
  EXPECT_EQ(s.GetCapacity(), 8);
}

TEST(StrInMem, WithoutClearFlagShowsTheCallersText) {
  char16_t storage[6] = {2, u'h', u'i', 0, 0, 0};
  VStrInMem s(storage, 4, false);
  EXPECT_EQ(Text(s), u"hi");
  EXPECT_FALSE(s.IsNull(kWholeValue));
}

TEST(StrInMem, CapacityBeyondTheLengthFieldIsBounded) {
  std::unique_ptr<char16_t[]> storage(new char16_t[0x10002]);
  VStrInMem s(storage.get(), 0x20000, true);
  EXPECT_EQ(s.GetCapacity(), 0xFFFF);
  EXPECT_FALSE(s.SetLength(0x10000));
  EXPECT_TRUE(s.SetLength(0xFFFF));
  EXPECT_EQ(s.GetLength(), 0xFFFF);
}

TEST(StrInMem, CloneSharesTheStorage) {
  char16_t storage[10];
  VStrInMem s(storage, 8, true);
  s.AppendCText("one", kCharSetAnsi);
  s.SetNull(false, kWholeValue);
  std::unique_ptr<VValue> clone(s.Clone());
  auto* other = dynamic_cast<VStrInMem*>(clone.get());
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(other->GetCapacity(), 8);
  EXPECT_FALSE(other->IsNull(kWholeValue));
  s.AppendCText("two", kCharSetAnsi);
  EXPECT_EQ(Text(*other), u"onetwo");
}

TEST(Str, AppendPastTheCapacityIsCutSilently) {
  VStr<4> s;
  s.AppendCText("abcdef", kCharSetAnsi);
  EXPECT_EQ(Text(s), u"abcd");
  s.AppendCText("x", kCharSetAnsi);
  EXPECT_EQ(Text(s), u"abcd");
  EXPECT_EQ(static_cast<char16_t*>(s.GetBuffer())[4], 0);
}

TEST(Str, SetLengthAtAndBeyondTheCapacity) {
  VStr<8> s;
  Set(s, u"abc");
  EXPECT_FALSE(s.SetLength(9));
  EXPECT_EQ(Text(s), u"abc");
  EXPECT_TRUE(s.SetLength(8));
  EXPECT_EQ(s.GetLength(), 8);
  EXPECT_EQ(static_cast<char16_t*>(s.GetBuffer())[8], 0);
  EXPECT_FALSE(s.SetLength(-1));
}

TEST(Str, CloneIsItsOwnClassWithTextAndNullFlag) {
  VStr<31> s;
  Set(s, u"hello");
  std::unique_ptr<VValue> clone(s.Clone());
  auto* copy = dynamic_cast<VStr<31>*>(clone.get());
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(Text(*copy), u"hello");
  EXPECT_NE(copy->GetBuffer(), s.GetBuffer());
  s.SetNull(true, kWholeValue);
  std::unique_ptr<VValue> nullClone(s.Clone());
  EXPECT_TRUE(nullClone->IsNull(kWholeValue));
}

TEST(Str, CopyAndAssignmentCopyTheText) {
  VStr<15> a;
  Set(a, u"first");
  VStr<15> b(a);
  Set(a, u"changed");
  EXPECT_EQ(Text(b), u"first");
  b = a;
  EXPECT_EQ(Text(b), u"changed");
}

TEST(UniString, SetUniCharsReplacesTheText) {
  VStr<15> s;
  Set(s, u"abc");
  const char16_t xy[] = u"wxyz";
  s.SetUniChars(xy, 1, 2);
  EXPECT_EQ(Text(s), u"xy");
}

TEST(UniString, SetUniCharsFromItsOwnBuffer) {
  VStr<15> s;
  Set(s, u"abcdef");
  s.SetUniChars(static_cast<char16_t*>(s.GetBuffer()), 0, 3);
  EXPECT_EQ(Text(s), u"abc");
}

TEST(UniString, AppendForms) {
  VStr<63> s;
  s.AppendUniCText(u"ab");
  const char16_t ptext[] = {2, u'c', u'd', u'!'};
  s.AppendUniPText(ptext);
  const uint8_t pbytes[] = {2, 'e', 'f', 'g'};
  s.AppendPText(pbytes, kCharSetMac);
  s.AppendChar('h', kCharSetOwn);
  s.AppendUniChar(u'i');
  s.AppendCText(nullptr, kCharSetAnsi);
  s.AppendUniCText(nullptr);
  EXPECT_EQ(Text(s), u"abcdefhi");
}

TEST(UniString, KeepRange) {
  VStr<15> s;
  Set(s, u"abcdef");
  s.KeepRange(2, 10);
  EXPECT_EQ(Text(s), u"bcdef");
  Set(s, u"abcdef");
  s.KeepRange(7, 1);
  EXPECT_EQ(Text(s), u"");
  Set(s, u"abcdef");
  s.KeepRange(3, 2);
  EXPECT_EQ(Text(s), u"cd");
}

TEST(UniString, InsertClampsThePosition) {
  VStr<15> s, xy;
  Set(xy, u"XY");
  Set(s, u"abc");
  s.Insert(xy, 0);
  EXPECT_EQ(Text(s), u"XYabc");
  Set(s, u"abc");
  s.Insert(xy, 1);
  EXPECT_EQ(Text(s), u"XYabc");
  Set(s, u"abc");
  s.Insert(xy, 10);
  EXPECT_EQ(Text(s), u"abcXY");
  Set(s, u"abc");
  s.Insert(xy, 3);
  EXPECT_EQ(Text(s), u"abXYc");
}

TEST(UniString, InsertAtTheCapacityDropsTheTail) {
  VStr<4> s;
  Set(s, u"abcd");
  VStr<15> xyz;
  Set(xyz, u"XYZ");
  s.Insert(xyz, 2);
  EXPECT_EQ(Text(s), u"aXYZ");
}

TEST(UniString, InsertLongerThanTheRoomKeepsWhatFits) {
  VStr<4> s;
  Set(s, u"ab");
  VStr<15> long_;
  Set(long_, u"123456");
  s.Insert(long_, 2);
  EXPECT_EQ(Text(s), u"a123");
}

TEST(UniString, InsertItselfAndAByteString) {
  VStr<31> s;
  Set(s, u"ab");
  s.Insert(s, 2);
  EXPECT_EQ(Text(s), u"aabb");
  VStrInHandle h;
  h.AppendCText("zz", kCharSetAnsi);
  s.Insert(h, 1);
  EXPECT_EQ(Text(s), u"zzaabb");
}

TEST(UniString, InsertChar) {
  VStr<8> s;
  Set(s, u"ac");
  s.InsertChar(u'b', 2);
  EXPECT_EQ(Text(s), u"abc");
  s.InsertChar(u'd', 4);
  EXPECT_EQ(Text(s), u"abcd");
  s.InsertChar(u'?', 0);
  s.InsertChar(u'?', 6);
  EXPECT_EQ(Text(s), u"abcd");
}

TEST(UniString, Delete) {
  VStr<15> s;
  Set(s, u"abcdef");
  s.Delete(2, 100);
  EXPECT_EQ(Text(s), u"a");
  Set(s, u"abcdef");
  s.Delete(9, 1);
  EXPECT_EQ(Text(s), u"abcdef");
  s.Delete(2, 2);
  EXPECT_EQ(Text(s), u"adef");
  // Position 0 addresses nothing: of the range 0..1 only position 1 goes.
  s.Delete(0, 2);
  EXPECT_EQ(Text(s), u"def");
  s.Delete(-5, 3);
  EXPECT_EQ(Text(s), u"def");
}

TEST(UniString, ReplaceRangeShorterLongerAndPastTheEnd) {
  VStr<15> s, r;
  Set(s, u"abcdef");
  Set(r, u"XY");
  s.ReplaceRange(r, 2, 3);
  EXPECT_EQ(Text(s), u"aXYef");
  Set(r, u"1234");
  s.ReplaceRange(r, 2, 1);
  EXPECT_EQ(Text(s), u"a1234Yef");
  s.ReplaceRange(r, 20, 1);
  EXPECT_EQ(Text(s), u"a1234Yef");
  Set(r, u"");
  s.ReplaceRange(r, 6, 100);
  EXPECT_EQ(Text(s), u"a1234");
}

TEST(UniString, ReplaceRangePastTheCapacityCutsTheText) {
  VStr<6> s;
  Set(s, u"abcdef");
  VStr<15> r;
  Set(r, u"123456");
  s.ReplaceRange(r, 2, 1);
  // As with an insertion, the text is cut at the capacity: the tail goes.
  EXPECT_EQ(Text(s), u"a12345");
}

TEST(UniString, Find) {
  VStr<15> s, cd;
  Set(s, u"abcdcd");
  Set(cd, u"cd");
  EXPECT_EQ(s.Find(cd, 1, true), 3);
  EXPECT_EQ(s.Find(cd, 4, true), 5);
  EXPECT_EQ(s.Find(cd, 6, true), 0);
  EXPECT_EQ(s.Find(cd, 7, true), 0);
  VStr<15> upper;
  Set(upper, u"CD");
  EXPECT_EQ(s.Find(upper, 1, false), 3);
  EXPECT_EQ(s.Find(upper, 1, true), 0);
}

TEST(UniString, FindChar) {
  VStr<15> s;
  Set(s, u"abcdcd");
  EXPECT_EQ(s.FindChar(u'c', 6, true), 5);
  EXPECT_EQ(s.FindChar(u'c', 4, true), 3);
  EXPECT_EQ(s.FindChar(u'c', 4, false), 5);
  EXPECT_EQ(s.FindChar(u'z', 1, false), 0);
  EXPECT_EQ(s.FindChar(u'a', 0, false), 0);
  EXPECT_EQ(s.FindChar(u'a', 7, true), 0);
}

TEST(UniString, CharactersOutsideTheTextReadZeroAndIgnoreWrites) {
  VStr<15> s;
  Set(s, u"abc");
  EXPECT_EQ(s.GetCharAt(0), 0);
  EXPECT_EQ(s.GetCharAt(4), 0);
  EXPECT_EQ(s.GetCharAt(2), u'b');
  s.SetCharAt(4, u'x');
  s.SetCharAt(0, u'x');
  EXPECT_EQ(Text(s), u"abc");
  s.SetCharAt(3, u'x');
  EXPECT_EQ(Text(s), u"abx");
}

TEST(StrInHandle, StartsWithAFourByteHandleInAGranuleOf32) {
  VStrInHandle s;
  EXPECT_NE(s.GetHandle(), 0u);
  EXPECT_EQ(gMemoryMgr->GetHandleSize(s.GetHandle()), 4u);
  EXPECT_EQ(s.GetCapacity(), kStringHandleCapacity);
  EXPECT_EQ(s.GetForm(), kStringFormUniHandle);
  EXPECT_TRUE(s.IsInHandle());
  EXPECT_EQ(s.GetLength(), 0);
}

TEST(StrInHandle, HandleHoldsTheCharactersAndOneZeroUnit) {
  VStrInHandle s;
  Set(s, u"hello");
  ASSERT_EQ(gMemoryMgr->GetHandleSize(s.GetHandle()), 12u);
  auto* units = static_cast<char16_t*>(gMemoryMgr->LockHandle(s.GetHandle()));
  EXPECT_EQ(std::u16string(units, 5), u"hello");
  EXPECT_EQ(units[5], 0);
  gMemoryMgr->UnlockHandle(s.GetHandle());
  EXPECT_FALSE(gMemoryMgr->IsLocked(s.GetHandle()));
}

TEST(StrInHandle, GetBufferLocksUntilReleaseBuffer) {
  VStrInHandle s;
  Set(s, u"abc");
  s.GetBuffer();
  EXPECT_TRUE(gMemoryMgr->IsLocked(s.GetHandle()));
  s.ReleaseBuffer();
  EXPECT_FALSE(gMemoryMgr->IsLocked(s.GetHandle()));
}

TEST(StrInHandle, HoldsLongTextsAndEditsThem) {
  VStrInHandle s;
  std::u16string big(5000, u'x');
  s.SetUniChars(big.data(), 0, 5000);
  EXPECT_EQ(s.GetLength(), 5000);
  VStr<8> mid;
  Set(mid, u"MID");
  s.Insert(mid, 2501);
  EXPECT_EQ(s.GetLength(), 5003);
  EXPECT_EQ(s.GetCharAt(2501), u'M');
  EXPECT_EQ(s.Find(mid, 1, true), 2501);
  s.Delete(1, 2500);
  EXPECT_EQ(s.GetCharAt(1), u'M');
  EXPECT_EQ(s.GetLength(), 2503);
}

TEST(StrInHandle, HeldBufferKeepsTheHandleFromGrowing) {
  VStrInHandle s;
  Set(s, u"abc");
  // While the buffer is held the handle is locked and cannot be resized:
  // the append changes nothing rather than write into a moved block.
  s.AppendUniChars(static_cast<char16_t*>(s.GetBuffer()), 3);
  EXPECT_EQ(s.GetLength(), 3);
  s.ReleaseBuffer();
  s.AppendUniChars(u"def", 3);
  EXPECT_EQ(Text(s), u"abcdef");
}

TEST(StrInHandle, EmptiedStringComparesEqualToEmpty) {
  VStrInHandle s;
  Set(s, u"something");
  s.SetEmpty(true);
  EXPECT_EQ(gMemoryMgr->GetHandleSize(s.GetHandle()), 4u);
  EXPECT_EQ(*static_cast<char16_t*>(s.GetBuffer()), 0);
  s.ReleaseBuffer();
  VStr<4> empty;
  EXPECT_EQ(s.Compare(empty, 1, 0), 0);
}

TEST(StrInHandle, CopyDuplicatesTheHandle) {
  VStrInHandle a;
  Set(a, u"abc");
  VStrInHandle b(a);
  EXPECT_NE(a.GetHandle(), b.GetHandle());
  Set(a, u"xyz");
  EXPECT_EQ(Text(b), u"abc");
  b = a;
  EXPECT_EQ(Text(b), u"xyz");
  std::unique_ptr<VValue> clone(a.Clone());
  ASSERT_NE(dynamic_cast<VStrInHandle*>(clone.get()), nullptr);
  EXPECT_EQ(Text(static_cast<VStrInHandle&>(*clone)), u"xyz");
}

TEST(StrInHandle, BorrowedHandleOutlivesTheString) {
  const char16_t text[] = u"borrowed";
  VMemHandle h = gMemoryMgr->NewHandleFromData(text, sizeof text);
  {
    VStrInHandle s(h, true);
    EXPECT_EQ(Text(s), u"borrowed");
  }
  EXPECT_EQ(gMemoryMgr->GetHandleSize(h), sizeof text);
  EXPECT_EQ(gMemoryMgr->GetError(), 0u);
  gMemoryMgr->DisposeHandle(h);
}

TEST(StrInHandle, OwnedHandleIsDisposedWithTheString) {
  const char16_t text[] = u"owned";
  VMemHandle h = gMemoryMgr->NewHandleFromData(text, sizeof text);
  { VStrInHandle s(h, false); }
  gMemoryMgr->GetHandleSize(h);
  EXPECT_EQ(gMemoryMgr->GetError(), kMemBadHandle);
}

TEST(StrInHandle, HandleWithoutTerminatorIsTerminatedInside) {
  // Four units, none of them zero: the last one becomes the terminator.
  const char16_t text[] = {u'a', u'b', u'c', u'd'};
  VMemHandle h = gMemoryMgr->NewHandleFromData(text, sizeof text);
  VStrInHandle s(h, false);
  EXPECT_EQ(Text(s), u"abc");
  VStr<15> copy;
  copy.Assign(s);
  EXPECT_EQ(Text(copy), u"abc");
}

TEST(StrInHandle, HandleTooShortForATerminatorIsEmpty) {
  VMemHandle h = gMemoryMgr->NewHandle(1, 0);
  VStrInHandle s(h, false);
  EXPECT_EQ(s.GetLength(), 0);
  EXPECT_EQ(*static_cast<char16_t*>(s.GetBuffer()), 0);
  s.ReleaseBuffer();
  s.AppendCText("ok", kCharSetAnsi);
  EXPECT_EQ(Text(s), u"ok");
}

TEST(StrInHandle, LengthBeyondTheLargestBlockIsRefused) {
  VStrInHandle s;
  Set(s, u"keep");
  EXPECT_FALSE(s.SetLength(0x7FFFFFFF));
  EXPECT_FALSE(s.SetLength(0x40000000));
  EXPECT_EQ(Text(s), u"keep");
}
