// Editing UTF-16 strings at the edges: positions at or below 0 and past the
// end, texts that pass the capacity, and handles that cannot be resized.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "framework/core/strings/VUniString.h"
#include "framework/core/tests/FailingMemoryMgr.h"
#include "framework/core/tests/StringTestSupport.h"

using string_tests::Text;

namespace {

void Set(VString& s, const char16_t* text) { s.SetUniCText(text); }

}  // namespace

TEST(UniStringEdit, KeepRangeDropsPositionsBelowOne) {
  VStr<15> s;
  Set(s, u"abcdef");
  s.KeepRange(0, 3);  // positions 0, 1, 2: only 1 and 2 exist
  EXPECT_EQ(Text(s), u"ab");
  Set(s, u"abcdef");
  s.KeepRange(-1, 100);
  EXPECT_EQ(Text(s), u"abcdef");
  s.KeepRange(-5, 3);
  EXPECT_EQ(Text(s), u"");
  Set(s, u"abcdef");
  s.KeepRange(INT_MIN, INT_MAX);
  EXPECT_EQ(Text(s), u"");
  Set(s, u"abcdef");
  s.KeepRange(3, -4);
  EXPECT_EQ(Text(s), u"");
}

TEST(UniStringEdit, KeepRangePastTheEndEmptiesAndClearsTheNullFlag) {
  VStr<15> s;
  Set(s, u"abcdef");
  s.SetNull(true, kWholeValue);
  s.SetMacCTextQuiet("abcdef");
  s.KeepRange(7, 1);
  EXPECT_EQ(s.GetLength(), 0);
  EXPECT_FALSE(s.IsNull(kWholeValue));
}

TEST(UniStringEdit, DeleteWithLargeAndNegativeArguments) {
  VStr<15> s;
  Set(s, u"abcdef");
  s.Delete(2, INT_MAX);
  EXPECT_EQ(Text(s), u"a");
  Set(s, u"abcdef");
  s.Delete(INT_MIN, INT_MAX);
  EXPECT_EQ(Text(s), u"abcdef");
  s.Delete(3, -2);
  s.Delete(7, 1);
  s.Delete(INT_MAX, INT_MAX);
  EXPECT_EQ(Text(s), u"abcdef");
  s.Delete(-1, 4);  // positions -1 to 2
  EXPECT_EQ(Text(s), u"cdef");
}

TEST(UniStringEdit, FindFromAStartAtOrBelowZeroSearchesFromTheFirst) {
  VStr<15> s, cd;
  Set(s, u"cdab");
  Set(cd, u"cd");
  EXPECT_EQ(s.Find(cd, 0, true), 1);
  EXPECT_EQ(s.Find(cd, -100, true), 1);
  EXPECT_EQ(s.Find(cd, INT_MIN, true), 1);
  EXPECT_EQ(s.Find(cd, INT_MAX, true), 0);
  VStr<15> longer;
  Set(longer, u"cdabx");
  EXPECT_EQ(s.Find(longer, 1, true), 0);
}

TEST(UniStringEdit, FindCharAndCharactersOutsideTheText) {
  VStr<15> s;
  Set(s, u"abc");
  EXPECT_EQ(s.FindChar(u'a', 0, false), 0);
  EXPECT_EQ(s.FindChar(u'a', 0, true), 0);
  EXPECT_EQ(s.FindChar(u'c', 4, true), 0);
  EXPECT_EQ(s.FindChar(u'c', 3, true), 3);
  EXPECT_EQ(s.FindChar(u'a', 3, true), 1);
  EXPECT_EQ(s.GetCharAt(0), 0);
  EXPECT_EQ(s.GetCharAt(-1), 0);
  EXPECT_EQ(s.GetCharAt(4), 0);
  s.SetCharAt(0, u'x');
  s.SetCharAt(4, u'x');
  s.SetCharAt(-7, u'x');
  EXPECT_EQ(Text(s), u"abc");
}

TEST(UniStringEdit, InsertCharOutsideOneToLengthPlusOneDoesNothing) {
  VStr<4> s;
  Set(s, u"ab");
  s.InsertChar(u'x', 0);
  s.InsertChar(u'x', -3);
  s.InsertChar(u'x', 4);
  EXPECT_EQ(Text(s), u"ab");
  s.InsertChar(u'x', 3);
  s.InsertChar(u'y', 1);
  EXPECT_EQ(Text(s), u"yabx");
  s.InsertChar(u'z', 2);  // full: nothing is pushed out
  EXPECT_EQ(Text(s), u"yabx");
}

TEST(UniStringEdit, InsertWhoseTextAloneFillsTheRestKeepsWhatFits) {
  VStr<4> s;
  VStr<15> x;
  Set(x, u"123456");
  Set(s, u"abcd");
  s.Insert(x, 4);
  EXPECT_EQ(Text(s), u"abc1");
  Set(s, u"abcd");
  s.Insert(x, 5);  // after the last character of a full string
  EXPECT_EQ(Text(s), u"abcd");
  Set(s, u"");
  s.Insert(x, 1);
  EXPECT_EQ(Text(s), u"1234");
}

TEST(UniStringEdit, ReplaceRangeFromBelowOneReplacesWhatExists) {
  VStr<15> s, r;
  Set(r, u"XY");
  Set(s, u"abcdef");
  s.ReplaceRange(r, 0, 2);  // positions 0 and 1: only "a" goes
  EXPECT_EQ(Text(s), u"XYbcdef");
  Set(s, u"abc");
  s.ReplaceRange(r, -4, 2);  // nothing to remove: an insertion at the front
  EXPECT_EQ(Text(s), u"XYabc");
  s.ReplaceRange(r, 6, 1);
  EXPECT_EQ(Text(s), u"XYabc");
  s.ReplaceRange(r, 5, INT_MAX);
  EXPECT_EQ(Text(s), u"XYabXY");
}

TEST(UniStringEdit, ReplaceRangeByItself) {
  VStr<15> s;
  Set(s, u"abc");
  s.ReplaceRange(s, 2, 1);
  EXPECT_EQ(Text(s), u"aabcc");
}

TEST(UniStringEdit, EditsThatCannotResizeTheHandleLeaveTheTextAsItWas) {
  VStrInHandle s;
  Set(s, u"abcdef");
  VStr<15> longer, shorter;
  Set(longer, u"123456");
  Set(shorter, u"1");
  ScopedFailingMemoryMgr failing;
  failing->failResize = true;
  s.ReplaceRange(longer, 2, 2);
  EXPECT_EQ(Text(s), u"abcdef");
  s.ReplaceRange(shorter, 2, 3);
  EXPECT_EQ(Text(s), u"abcdef");
  s.Delete(2, 2);
  EXPECT_EQ(Text(s), u"abcdef");
  s.KeepRange(2, 2);
  EXPECT_EQ(Text(s), u"abcdef");
  s.Insert(longer, 3);
  EXPECT_EQ(Text(s), u"abcdef");
  s.InsertChar(u'x', 1);
  EXPECT_EQ(Text(s), u"abcdef");
  EXPECT_EQ(s.GetLength(), 6);
  failing->failResize = false;
  s.ReplaceRange(shorter, 2, 3);
  EXPECT_EQ(Text(s), u"a1ef");
}

TEST(UniStringEdit, HandleStringsEditLongTexts) {
  VStrInHandle s;
  const std::u16string text(1000, u'q');
  Set(s, text.c_str());
  VStr<15> mark;
  Set(mark, u"<>");
  s.ReplaceRange(mark, 500, 1);
  EXPECT_EQ(s.GetLength(), 1001);
  EXPECT_EQ(s.GetCharAt(500), u'<');
  EXPECT_EQ(s.GetCharAt(501), u'>');
  s.Delete(1, 999);
  EXPECT_EQ(Text(s), u"qq");
}
