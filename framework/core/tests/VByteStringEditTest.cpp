// Editing 8-bit strings at the edges: positions at or below 0 and past the
// end, texts that pass the capacity, characters without a byte form, emptied
// handles and handles that cannot be resized.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/strings/VByteString.h"
#include "framework/core/strings/VUniString.h"
#include "framework/core/tests/FailingMemoryMgr.h"
#include "framework/core/tests/StringTestSupport.h"

using string_tests::Bytes;
using string_tests::Set;

namespace {

class ByteStringEdit : public string_tests::WithTextTables {};

}  // namespace

TEST_F(ByteStringEdit, KeepRangeAndDeleteDropPositionsBelowOne) {
  VMacStr<15> m;
  VAnsiStrInHandle a;
  for (VString* s : {static_cast<VString*>(&m), static_cast<VString*>(&a)}) {
    Set(*s, "abcdef");
    s->KeepRange(0, 3);
    EXPECT_EQ(Bytes(*s), "ab");
    Set(*s, "abcdef");
    s->KeepRange(INT_MIN, INT_MAX);
    EXPECT_EQ(Bytes(*s), "");
    Set(*s, "abcdef");
    s->Delete(0, 2);
    EXPECT_EQ(Bytes(*s), "bcdef");
    s->Delete(INT_MIN, 5);
    s->Delete(6, 1);
    s->Delete(2, -1);
    EXPECT_EQ(Bytes(*s), "bcdef");
    s->Delete(2, INT_MAX);
    EXPECT_EQ(Bytes(*s), "b");
  }
}

TEST_F(ByteStringEdit, FindFromAStartAtOrBelowZeroSearchesFromTheFirst) {
  VAnsiStr<15> s;
  VStr<15> cd;
  Set(s, "cdcd");
  Set(cd, "CD");
  EXPECT_EQ(s.Find(cd, 0, false), 1);
  EXPECT_EQ(s.Find(cd, -9, false), 1);
  EXPECT_EQ(s.Find(cd, 2, false), 3);
  EXPECT_EQ(s.Find(cd, 5, false), 0);
}

TEST_F(ByteStringEdit, InsertCharOutsideTheTextOrWithoutAByteFormDoesNothing) {
  VMacStr<4> s;
  Set(s, "ab");
  s.InsertChar(u'x', 0);
  s.InsertChar(u'x', 4);
  s.InsertChar(u'\u4E00', 1);
  EXPECT_EQ(Bytes(s), "ab");
  s.InsertChar(u'\u00E9', 2);
  EXPECT_EQ(Bytes(s), "a\x8E" "b");
  s.InsertChar(u'!', 4);
  s.InsertChar(u'?', 1);  // full
  EXPECT_EQ(Bytes(s), "a\x8E" "b!");
  EXPECT_EQ(s.FindChar(u'\u00E9', 0, false), 0);
  EXPECT_EQ(s.FindChar(u'\u00E9', 1, false), 2);
  EXPECT_EQ(s.FindChar(u'a', 5, false), 0);
}

TEST_F(ByteStringEdit, SetCharAtWithoutAByteFormKeepsTheCharacter) {
  VAnsiStr<15> s;
  Set(s, "abc");
  s.SetCharAt(2, u'\u4E00');
  EXPECT_EQ(Bytes(s), "abc");
  s.SetCharAt(2, u'\u00C9');
  EXPECT_EQ(Bytes(s), "a\xC9" "c");
  s.SetCharAt(0, u'x');
  s.SetCharAt(4, u'x');
  EXPECT_EQ(Bytes(s), "a\xC9" "c");
}

TEST_F(ByteStringEdit, InsertAndReplaceConvertAndCutAtTheCapacity) {
  VAnsiStr<5> s;
  VMacStr<15> mac;
  mac.SetUniCText(u"\u00E9\u00E9\u00E9\u00E9");
  Set(s, "abc");
  s.Insert(mac, 2);
  EXPECT_EQ(Bytes(s), "a\xE9\xE9\xE9\xE9");
  Set(s, "abcde");
  s.ReplaceRange(mac, 0, 2);  // positions 0 and 1: only "a" is replaced
  EXPECT_EQ(Bytes(s), "\xE9\xE9\xE9\xE9" "b");
  Set(s, "abc");
  s.Insert(mac, 9);
  EXPECT_EQ(Bytes(s), "abc\xE9\xE9");
}

TEST_F(ByteStringEdit, LongTextsInFixedStringsAreCut) {
  VMacStr<255> m;
  VAnsiStr<31> a;
  const std::string text(400, 'w');
  Set(m, text.c_str());
  Set(a, text.c_str());
  EXPECT_EQ(m.GetLength(), 255);
  EXPECT_EQ(a.GetLength(), 31);
  VMacStrInHandle big;
  Set(big, text.c_str());
  m.Insert(big, 1);
  EXPECT_EQ(m.GetLength(), 255);
  m.ReplaceRange(big, 1, 1);
  EXPECT_EQ(m.GetLength(), 255);
  uint8_t p[256];
  big.GetPText(p, 255, kCharSetMac);
  EXPECT_EQ(p[0], 255);
}

TEST_F(ByteStringEdit, EmptiedAnsiHandleStringIsSafeToTerminateAndSet) {
  VAnsiStrInHandle s;
  Set(s, "abc");
  s.SetEmpty(true);
  EXPECT_EQ(gMemoryMgr->GetHandleSize(s.GetHandle()), 0u);
  s.Terminate();
  s.SetCharAt(1, u'x');
  s.SetCharAt(0, u'x');
  EXPECT_EQ(s.GetCharAt(1), 0);
  EXPECT_EQ(s.GetLength(), 0);
  EXPECT_EQ(gMemoryMgr->GetHandleSize(s.GetHandle()), 0u);
  char out[4] = {'#', '#', '#', '#'};
  s.GetCText(out, 4, kCharSetOwn);
  EXPECT_EQ(out[0], 0);
  VStr<15> x;
  Set(x, "xy");
  s.Insert(x, 0);
  EXPECT_EQ(Bytes(s), "xy");
  EXPECT_EQ(gMemoryMgr->GetHandleSize(s.GetHandle()), 3u);
}

TEST_F(ByteStringEdit, EditsThatCannotResizeTheHandleLeaveTheTextAsItWas) {
  VMacStrInHandle s;
  Set(s, "abcdef");
  VMacStr<15> longer, shorter;
  Set(longer, "123456");
  Set(shorter, "1");
  ScopedFailingMemoryMgr failing;
  failing->failResize = true;
  s.ReplaceRange(longer, 2, 2);
  s.ReplaceRange(shorter, 2, 3);
  s.Delete(2, 2);
  s.KeepRange(2, 2);
  s.Insert(longer, 3);
  s.InsertChar(u'x', 1);
  EXPECT_EQ(Bytes(s), "abcdef");
  EXPECT_EQ(s.GetLength(), 6);
  failing->failResize = false;
  s.Delete(2, 4);
  EXPECT_EQ(Bytes(s), "af");
}
