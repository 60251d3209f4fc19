// The operations every string has whatever its kind and storage: setters,
// copies out into caller buffers and handles, comparison with caller texts,
// replacement, case and the small text operations.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/VHandleStream.h"
#include "framework/core/strings/VHtmlEntityEncoder.h"
#include "framework/core/strings/VByteString.h"
#include "framework/core/strings/VUniString.h"
#include "framework/core/tests/FailingMemoryMgr.h"
#include "framework/core/tests/StringTestSupport.h"

using string_tests::Bytes;
using string_tests::Repeat;
using string_tests::Set;
using string_tests::Text;
using string_tests::Units;

namespace {

class StringOperations : public string_tests::WithTextTables {};

// One of each storage and kind.
std::vector<std::unique_ptr<VString>> EveryForm() {
  std::vector<std::unique_ptr<VString>> all;
  all.emplace_back(new VStr<255>);
  all.emplace_back(new VStrInHandle);
  all.emplace_back(new VMacStr<255>);
  all.emplace_back(new VMacStrInHandle);
  all.emplace_back(new VAnsiStr<255>);
  all.emplace_back(new VAnsiStrInHandle);
  return all;
}

// A string that counts the reports of its changes.
class CountingStr : public VStr<31> {
 public:
  void Changed(uint8_t) override { ++changes; }
  int changes = 0;
};

std::vector<uint8_t> HandleBytes(VMemHandle h) {
  const uint32_t size = gMemoryMgr->GetHandleSize(h);
  std::vector<uint8_t> bytes(size);
  if (size != 0) {
    std::memcpy(bytes.data(), gMemoryMgr->LockHandle(h), size);
    gMemoryMgr->UnlockHandle(h);
  }
  return bytes;
}

VMemHandle HandleOf(const std::vector<uint8_t>& bytes) {
  return gMemoryMgr->NewHandleFromData(bytes.data(), static_cast<uint32_t>(bytes.size()));
}

std::vector<uint8_t> P(const std::string& text) {
  std::vector<uint8_t> p{static_cast<uint8_t>(text.size())};
  p.insert(p.end(), text.begin(), text.end());
  return p;
}

std::string PText(const uint8_t* p) { return std::string(reinterpret_cast<const char*>(p + 1), p[0]); }

}  // namespace

// ---- Setters ----------------------------------------------------------------

TEST_F(StringOperations, SettersReplaceTheTextAndClearTheNullFlag) {
  for (auto& s : EveryForm()) {
    Set(*s, "old text");
    s->SetNull(true, kWholeValue);
    s->SetCText("abc", kCharSetAnsi);
    EXPECT_EQ(Text(*s), u"abc") << s->GetForm();
    EXPECT_FALSE(s->IsNull(kWholeValue)) << s->GetForm();

    s->SetNull(true, kWholeValue);
    const std::vector<uint8_t> p = P("xyz");
    s->SetMacPText(p.data());
    EXPECT_EQ(Text(*s), u"xyz") << s->GetForm();
    EXPECT_FALSE(s->IsNull(kWholeValue));

    s->SetChar('q', kCharSetAnsi);
    EXPECT_EQ(Text(*s), u"q");
    s->SetUniChar(u'r');
    EXPECT_EQ(Text(*s), u"r");
    const char16_t uniP[] = {2, u'h', u'i', u'!'};
    s->SetUniPText(uniP);
    EXPECT_EQ(Text(*s), u"hi");
    s->SetUniCText(u"zero ended");
    EXPECT_EQ(Text(*s), u"zero ended");
    s->SetAnsiCText("ansi");
    EXPECT_EQ(Text(*s), u"ansi");
    s->SetAnsiPText(P("p").data());
    EXPECT_EQ(Text(*s), u"p");
  }
}

TEST_F(StringOperations, SettersConvertFromTheGivenSet) {
  const char mac[] = {'c', 'a', 'f', char(0x8E), 0};
  const char ansi[] = {'c', 'a', 'f', char(0xE9), 0};
  for (auto& s : EveryForm()) {
    s->SetCText(mac, kCharSetMac);
    EXPECT_EQ(Text(*s), u"caf\u00E9") << s->GetForm();
    s->SetCText(ansi, kCharSetAnsi);
    EXPECT_EQ(Text(*s), u"caf\u00E9") << s->GetForm();
  }
  VAnsiStr<31> a;
  a.SetMacPText(P(std::string("\x8E", 1)).data());
  EXPECT_EQ(Bytes(a), "\xE9");
  VMacStr<31> m;
  m.SetAnsiPText(P(std::string("\xE9", 1)).data());
  EXPECT_EQ(Bytes(m), "\x8E");
}

TEST_F(StringOperations, QuietSetterLeavesTheNullFlagAndReportsNothing) {
  CountingStr s;
  s.SetNull(true, kWholeValue);
  s.changes = 0;
  s.SetMacCTextQuiet("quiet");
  EXPECT_EQ(Text(s), u"quiet");
  EXPECT_TRUE(s.IsNull(kWholeValue));
  EXPECT_EQ(s.changes, 0);
  s.SetCText("loud", kCharSetMac);
  EXPECT_FALSE(s.IsNull(kWholeValue));
  EXPECT_EQ(s.changes, 1);
}

TEST_F(StringOperations, SetterPastTheCapacityKeepsWhatFits) {
  VMacStr<255> m;
  VStr<255> u;
  const std::string text(300, 'k');
  m.SetCText(text.c_str(), kCharSetMac);
  u.SetCText(text.c_str(), kCharSetMac);
  EXPECT_EQ(m.GetLength(), 255);
  EXPECT_EQ(u.GetLength(), 255);
  VAnsiStr<4> small;
  small.SetCText("abcdef", kCharSetAnsi);
  EXPECT_EQ(Text(small), u"abcd");
}

TEST_F(StringOperations, OwnSetAppendersTakeTheStringsOwnKind) {
  const char mac[] = {char(0x8E), 0};
  VMacStr<15> m;
  m.AppendCTextIn(mac, kCharSetOwn);
  EXPECT_EQ(Bytes(m), "\x8E");
  VAnsiStr<15> a;
  a.AppendCTextIn(mac, kCharSetOwn);  // taken as ANSI, so not converted
  EXPECT_EQ(Bytes(a), "\x8E");
  VStr<15> u;
  u.AppendCharIn(0xE9, kCharSetOwn);  // a UTF-16 string counts as ANSI
  EXPECT_EQ(Text(u), u"\u00E9");
  u.AppendPTextIn(P("\xE9").data(), 7);  // any set but 0 is ANSI
  EXPECT_EQ(Text(u), u"\u00E9\u00E9");
}

TEST_F(StringOperations, SetFromValueAppendsTheValuesText) {
  VStr<31> s, value;
  Set(s, "a=");
  Set(value, "12");
  s.SetFromValue(value);
  EXPECT_EQ(Text(s), u"a=12");
}

// ---- Copies out ----------------------------------------------------------------

TEST_F(StringOperations, GetCTextKeepsWithinTheMaximum) {
  for (auto& s : EveryForm()) {
    Set(*s, "ABCDEF");
    char out[8];
    std::memset(out, '#', sizeof out);
    s->GetCText(out, 1, kCharSetOwn);
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(out[1], '#');
    s->GetCText(out, 5, kCharSetAnsi);
    EXPECT_STREQ(out, "ABCD");
    EXPECT_EQ(out[5], '#');
    std::memset(out, '#', sizeof out);
    s->GetCText(out, 0, kCharSetMac);  // no room at all: nothing written
    EXPECT_EQ(out[0], '#');
  }
}

TEST_F(StringOperations, GetPTextOfTheSameKindCopiesUpToTheMaximum) {
  VMacStrInHandle m;
  Set(m, std::string(300, 'm').c_str());
  uint8_t out[300];
  m.GetPText(out, 255, kCharSetMac);
  EXPECT_EQ(out[0], 255);
  m.GetPText(out, 255, kCharSetAnsi);  // converted: at most maximum - 1
  EXPECT_EQ(out[0], 254);
  m.GetPText(out, 10, kCharSetOwn);
  EXPECT_EQ(PText(out), std::string(10, 'm'));
}

TEST_F(StringOperations, GetPTextWithAMaximumAbove255CountsAs255) {
  VMacStrInHandle m;
  Set(m, std::string(300, 'm').c_str());
  std::vector<uint8_t> out(400, 0xAA);
  m.GetPText(out.data(), 300, kCharSetMac);
  EXPECT_EQ(out[0], 255);  // not 300 wrapped to 44
  EXPECT_EQ(out[256], 0xAA);
  VStrInHandle u;
  Set(u, std::string(300, 'u').c_str());
  std::fill(out.begin(), out.end(), 0xAA);
  u.GetPText(out.data(), 1000, kCharSetMac);
  EXPECT_EQ(out[0], 254);
  EXPECT_EQ(out[255], 0xAA);
}

TEST_F(StringOperations, GetPTextConvertsAndDropsCharactersWithoutAForm) {
  VStr<15> u;
  u.SetUniCText(u"a\u00E9\u4E00b");
  uint8_t out[16];
  u.GetPText(out, 255, kCharSetMac);
  EXPECT_EQ(PText(out), "a\x8E" "b");
  u.GetPText(out, 255, kCharSetOwn);
  EXPECT_EQ(PText(out), "a\xE9" "b");
  VMacStr<15> m;
  m.SetUniCText(u"\u00E9");
  m.GetPText(out, 255, kCharSetAnsi);
  EXPECT_EQ(PText(out), "\xE9");
  // Maximum 3 leaves room for two converted characters.
  u.SetUniCText(u"wxyz");
  u.GetPText(out, 3, kCharSetAnsi);
  EXPECT_EQ(PText(out), "wx");
  u.GetPText(out, 0, kCharSetAnsi);
  EXPECT_EQ(out[0], 0);
}

TEST_F(StringOperations, GetUniTextsBoundTheirOutput) {
  VStr<15> u;
  Set(u, "abcdef");
  char16_t out[12];
  std::fill(std::begin(out), std::end(out), u'#');
  u.GetUniPText(out, 4);
  EXPECT_EQ(out[0], 4);
  EXPECT_EQ(std::u16string(out + 1, 4), u"abcd");
  EXPECT_EQ(out[5], u'#');
  VMacStr<15> m;
  Set(m, "abcdef");
  m.GetUniPText(out, 4);  // from bytes: at most maximum - 1
  EXPECT_EQ(out[0], 3);
  EXPECT_EQ(std::u16string(out + 1, 3), u"abc");

  std::fill(std::begin(out), std::end(out), u'#');
  m.GetUniCText(out, 4);
  EXPECT_EQ(std::u16string(out), u"abc");
  u.GetUniCText(out, 1);
  EXPECT_EQ(out[0], 0);
}

TEST_F(StringOperations, GetUniCharsWritesAtTheOffsetWithoutTerminator) {
  VStr<15> u;
  Set(u, "abc");
  char16_t out[8];
  std::fill(std::begin(out), std::end(out), u'#');
  EXPECT_EQ(u.GetUniChars(out, 2, 8), 3);
  EXPECT_EQ(std::u16string(out, 6), u"##abc#");
  VAnsiStr<15> a;
  a.SetUniCText(u"x\u00E9yz");
  std::fill(std::begin(out), std::end(out), u'#');
  EXPECT_EQ(a.GetUniChars(out, 1, 3), 2);
  EXPECT_EQ(std::u16string(out, 4), u"#x\u00E9#");
  EXPECT_EQ(a.GetUniChars(out, 0, 0), 0);
}

TEST_F(StringOperations, ConvertIntoWritesBytesOfTheSetWithoutTerminator) {
  VStr<15> u;
  u.SetUniCText(u"\u00C9t\u00E9");
  char out[8];
  std::memset(out, '#', sizeof out);
  EXPECT_EQ(u.ConvertInto(out, 8, kCharSetMac), 3);
  EXPECT_EQ(std::string(out, 4), "\x83t\x8E#");
  EXPECT_EQ(u.ConvertInto(out, 2, kCharSetAnsi), 2);
  EXPECT_EQ(std::string(out, 2), "\xC9t");
  EXPECT_EQ(u.ConvertInto(out, 0, kCharSetAnsi), 0);
}

TEST_F(StringOperations, ToHandleWritesEveryFormAndSizesTheHandle) {
  VStr<15> u;
  u.SetUniCText(u"\u00E9a");
  VMemHandle h = gMemoryMgr->NewHandle(0, 0);
  ASSERT_TRUE(u.ToHandle(h, 0, false));
  EXPECT_EQ(HandleBytes(h), (std::vector<uint8_t>{0x8E, 'a'}));
  ASSERT_TRUE(u.ToHandle(h, 1, true));
  EXPECT_EQ(HandleBytes(h), (std::vector<uint8_t>{0xE9, 'a', 0}));
  ASSERT_TRUE(u.ToHandle(h, -1, true));  // own kind: UTF-16
  std::vector<uint8_t> expected(6, 0);
  const char16_t units[] = {0x00E9, u'a', 0};
  std::memcpy(expected.data(), units, 6);
  EXPECT_EQ(HandleBytes(h), expected);
  VMacStr<15> m;
  m.SetUniCText(u"\u00E9");
  ASSERT_TRUE(m.ToHandle(h, -1, false));  // own kind: Macintosh
  EXPECT_EQ(HandleBytes(h), (std::vector<uint8_t>{0x8E}));
  ASSERT_TRUE(m.ToHandle(h, 2, false));
  std::vector<uint8_t> one(2);
  const char16_t e = 0x00E9;
  std::memcpy(one.data(), &e, 2);
  EXPECT_EQ(HandleBytes(h), one);
  gMemoryMgr->DisposeHandle(h);
}

TEST_F(StringOperations, ToHandleThatCannotGrowLeavesTheHandleAlone) {
  VStr<15> u;
  Set(u, "text");
  VMemHandle h = HandleOf({1, 2, 3});
  {
    ScopedFailingMemoryMgr failing;
    failing->failResize = true;
    EXPECT_FALSE(u.ToHandle(h, 1, true));
    EXPECT_EQ(u.NewHandleOfText(1, true), 0u);
  }
  EXPECT_EQ(HandleBytes(h), (std::vector<uint8_t>{1, 2, 3}));
  gMemoryMgr->DisposeHandle(h);
}

TEST_F(StringOperations, NewHandleOfTextAndSetFromHandleRoundTrip) {
  for (auto& s : EveryForm()) {
    s->SetUniCText(u"r\u00E9sum\u00E9");
    for (int32_t form : {-1, 0, 1, 2}) {
      VMemHandle h = s->NewHandleOfText(form, true);
      ASSERT_NE(h, 0u);
      VStr<31> back;
      back.SetNull(true, kWholeValue);
      back.SetFromHandle(h, form == -1 ? s->GetCharKind() : form);
      EXPECT_EQ(Text(back), u"r\u00E9sum\u00E9") << s->GetForm() << " form " << form;
      EXPECT_FALSE(back.IsNull(kWholeValue));
      gMemoryMgr->DisposeHandle(h);
    }
  }
}

TEST_F(StringOperations, SetFromHandleDropsOneTrailingZeroAndAnOddByte) {
  VMacStr<15> m;
  VMemHandle h = HandleOf({'a', 'b', 0, 0});
  m.SetFromHandle(h, 0);
  EXPECT_EQ(m.GetLength(), 3);  // only the last zero is the terminator
  gMemoryMgr->DisposeHandle(h);

  VStr<15> u;
  std::vector<uint8_t> bytes(5, 0);
  const char16_t units[] = {u'h', u'i'};
  std::memcpy(bytes.data(), units, 4);
  bytes[4] = 0x77;  // half a unit
  h = HandleOf(bytes);
  u.SetFromHandle(h, 2);
  EXPECT_EQ(Text(u), u"hi");
  gMemoryMgr->DisposeHandle(h);

  Set(u, "old");
  u.SetNull(true, kWholeValue);
  u.SetFromHandle(0, 1);
  EXPECT_EQ(u.GetLength(), 0);
  EXPECT_FALSE(u.IsNull(kWholeValue));
}

TEST_F(StringOperations, GetOSTypePacksTheFirstFourCharacters) {
  VStr<15> u;
  Set(u, "TEXTual");
  EXPECT_EQ(u.GetOSType(), FourCC("TEXT"));
  VMacStr<15> m;
  Set(m, "ab");
  EXPECT_EQ(m.GetOSType(), 0x61620000u);
}

// ---- Comparison ----------------------------------------------------------------

TEST_F(StringOperations, CompareWithAndWithoutCase) {
  VStr<15> a;
  VAnsiStr<15> b;
  Set(a, "apple");
  Set(b, "APPLE");
  EXPECT_EQ(a.Compare(b, false), 0);
  EXPECT_EQ(a.Compare(b, true), 1);
  EXPECT_EQ(b.Compare(a, true), -1);
  Set(b, "apples");
  EXPECT_EQ(a.Compare(b, false), -1);
}

TEST_F(StringOperations, CompareCallerTextsInTheirSet) {
  VMacStr<15> m;
  m.SetUniCText(u"caf\u00E9");
  EXPECT_EQ(m.CompareCText("caf\x8E", kCharSetOwn, true), 0);
  EXPECT_EQ(m.CompareCText("caf\xE9", kCharSetAnsi, true), 0);
  EXPECT_EQ(m.ComparePText(P("caf\xE9").data(), 1, true), 0);
  EXPECT_EQ(m.ComparePText(P("CAF\x8E").data(), kCharSetMac, false), 0);
  EXPECT_EQ(m.CompareUniCText(u"caf\u00E9", true), 0);
  const char16_t uniP[] = {3, u'c', u'a', u'f'};
  EXPECT_EQ(m.CompareUniPText(uniP, true), 1);
  EXPECT_EQ(m.CompareCText(nullptr, kCharSetMac, true), 1);
}

TEST_F(StringOperations, CompareLongCallerTextsWhole) {
  VStrInHandle s;
  std::string same(300, 'a');
  Set(s, same.c_str());
  EXPECT_EQ(s.CompareCText(same.c_str(), kCharSetAnsi, true), 0);
  std::string later = same;
  later[290] = 'b';
  EXPECT_EQ(s.CompareCText(later.c_str(), kCharSetAnsi, true), -1);
  // Exactly 255 characters: the difference in the last one counts.
  std::string t255(255, 'x');
  Set(s, t255.c_str());
  t255[254] = 'y';
  EXPECT_EQ(s.CompareCText(t255.c_str(), kCharSetAnsi, true), -1);
  const std::u16string u300(300, u'a');
  Set(s, same.c_str());
  EXPECT_EQ(s.CompareUniCText(u300.c_str(), true), 0);
}

// ---- Replace -------------------------------------------------------------------

TEST_F(StringOperations, ReplaceResumesBehindEachReplacement) {
  for (auto& s : EveryForm()) {
    VStr<15> a, aa;
    Set(a, "a");
    Set(aa, "aa");
    Set(*s, "aaa");
    s->Replace(a, aa, 1, 1000);
    EXPECT_EQ(Text(*s), u"aaaaaa") << s->GetForm();
    Set(*s, "aaa");
    s->Replace(a, aa, 1, 0);
    EXPECT_EQ(Text(*s), u"aaa");
    Set(*s, "aXbxc");
    VAnsiStr<4> x, dash;
    Set(x, "x");
    Set(dash, "--");
    s->Replace(x, dash, 1, 10);  // the pattern is found without regard to case
    EXPECT_EQ(Text(*s), u"a--b--c");
    Set(*s, "xax");
    s->Replace(x, dash, 2, 10);
    EXPECT_EQ(Text(*s), u"xa--");
    s->Replace(x, dash, 50, 10);
    EXPECT_EQ(Text(*s), u"xa--");
  }
}

TEST_F(StringOperations, ReplaceWithAnEmptyPatternChangesNothing) {
  VStr<31> s, empty, with;
  Set(s, "abc");
  Set(with, "!");
  s.Replace(empty, with, 1, 5);
  EXPECT_EQ(Text(s), u"abc");
  s.Replace(empty, with, 0, INT_MAX);
  EXPECT_EQ(Text(s), u"abc");
}

TEST_F(StringOperations, ReplaceInAFullStringIsCutAtTheCapacity) {
  VStr<4> s;
  VStr<15> b, xy;
  Set(s, "abcb");
  Set(b, "b");
  Set(xy, "XY");
  s.Replace(b, xy, 1, 10);
  EXPECT_EQ(Text(s), u"aXYc");
}

TEST_F(StringOperations, ReplaceThatCannotResizeTheHandleStops) {
  VStrInHandle s;
  Set(s, "abab");
  VStr<15> b, empty, long_;
  Set(b, "b");
  Set(long_, "BBB");
  ScopedFailingMemoryMgr failing;
  failing->failResize = true;
  s.Replace(b, empty, 1, INT_MAX);
  s.Replace(b, long_, 1, INT_MAX);
  EXPECT_EQ(Text(s), u"abab");
}

TEST_F(StringOperations, ReplaceByAndOfItself) {
  VStr<31> s;
  Set(s, "ab");
  s.Replace(s, s, 1, 5);
  EXPECT_EQ(Text(s), u"ab");
  VStr<31> a;
  Set(a, "a");
  s.Replace(a, s, 1, 1);
  EXPECT_EQ(Text(s), u"abb");
}

// ---- Case ----------------------------------------------------------------------

TEST_F(StringOperations, CaseChangesInEveryKind) {
  for (auto& s : EveryForm()) {
    s->SetUniCText(u"caf\u00E9 Bar");
    s->ToUpper(false);
    EXPECT_EQ(Text(*s), u"CAF\u00C9 BAR") << s->GetForm();
    s->ToLower(false);
    EXPECT_EQ(Text(*s), u"caf\u00E9 bar") << s->GetForm();
    s->ToUpper(true);  // the variant also drops accents
    EXPECT_EQ(Text(*s), u"CAFE BAR") << s->GetForm();
  }
  VMacStr<15> m;
  m.SetUniCText(u"\u00E9");
  m.ToUpper(false);
  EXPECT_EQ(Bytes(m), "\x83");
}

TEST_F(StringOperations, CaseChangeSetsAByteStringBackAndClearsItsNullFlag) {
  VAnsiStr<15> a;
  a.SetNull(true, kWholeValue);
  a.SetMacCTextQuiet("x");  // null, yet with a text
  a.ToUpper(false);
  EXPECT_EQ(Text(a), u"X");
  EXPECT_FALSE(a.IsNull(kWholeValue));
  VStr<15> u;  // a UTF-16 string changes in its own buffer, flag untouched
  u.SetNull(true, kWholeValue);
  u.SetMacCTextQuiet("x");
  u.ToUpper(false);
  EXPECT_EQ(Text(u), u"X");
  EXPECT_TRUE(u.IsNull(kWholeValue));
}

TEST(StringCase, WithoutTheManagerOnlyAsciiLettersChange) {
  VStr<15> u;
  u.SetUniCText(u"ab\u00E9");
  u.ToUpper(false);
  EXPECT_EQ(Text(u), u"AB\u00E9");
  u.ToLower(false);
  EXPECT_EQ(Text(u), u"ab\u00E9");
}

// ---- Small operations ------------------------------------------------------------

TEST_F(StringOperations, UnquoteNeedsBothEnds) {
  for (auto& s : EveryForm()) {
    Set(*s, "\"abc\"");
    EXPECT_TRUE(s->Unquote(u'"'));
    EXPECT_EQ(Text(*s), u"abc");
    Set(*s, "\"");
    EXPECT_FALSE(s->Unquote(u'"'));
    EXPECT_EQ(Text(*s), u"\"");
    Set(*s, "\"\"");
    EXPECT_TRUE(s->Unquote(u'"'));
    EXPECT_EQ(s->GetLength(), 0);
    Set(*s, "\"abc");
    EXPECT_FALSE(s->Unquote(u'"'));
    EXPECT_EQ(Text(*s), u"\"abc");
  }
}

TEST_F(StringOperations, StripLeadingAndTrimChar) {
  for (auto& s : EveryForm()) {
    Set(*s, "--a-b--");
    EXPECT_TRUE(s->StripLeading(u'-'));
    EXPECT_EQ(Text(*s), u"-a-b--");
    EXPECT_FALSE(s->StripLeading(u'a'));
    s->TrimChar(u'-');
    EXPECT_EQ(Text(*s), u"a-b");
    s->TrimChar(u'x');
    EXPECT_EQ(Text(*s), u"a-b");
    Set(*s, "----");
    s->TrimChar(u'-');
    EXPECT_EQ(s->GetLength(), 0);
    EXPECT_FALSE(s->StripLeading(u'-'));
  }
}

TEST_F(StringOperations, HexBytesRoundTrip) {
  const uint8_t bytes[] = {0x01, 0xAB, 0xFF, 0x00};
  for (auto& s : EveryForm()) {
    s->SetNull(true, kWholeValue);
    s->SetHexBytes(bytes, 4);
    EXPECT_EQ(Text(*s), u"01ABFF00");
    EXPECT_FALSE(s->IsNull(kWholeValue));
    uint8_t back[8] = {};
    EXPECT_EQ(s->GetHexBytes(back, 8), 4);
    EXPECT_EQ(std::memcmp(back, bytes, 4), 0);
  }
}

TEST_F(StringOperations, GetHexBytesStaysWithinTheMaximum) {
  VStr<15> s;
  Set(s, "ab0cfZ7");  // lower case accepted; Z counts 0; the odd 7 is left
  uint8_t out[4] = {9, 9, 9, 9};
  EXPECT_EQ(s.GetHexBytes(out, 2), 2);
  EXPECT_EQ(out[0], 0xAB);
  EXPECT_EQ(out[1], 0x0C);
  EXPECT_EQ(out[2], 9);
  EXPECT_EQ(s.GetHexBytes(out, 4), 3);
  EXPECT_EQ(out[2], 0xF0);
  EXPECT_EQ(out[3], 9);
  EXPECT_EQ(s.GetHexBytes(nullptr, 4), 0);
}

TEST_F(StringOperations, GetHexLongSkipsOtherCharacters) {
  VStr<15> s;
  Set(s, "1a2B");
  EXPECT_EQ(s.GetHexLong(), 0x1A2B);
  Set(s, "x1-y2");
  EXPECT_EQ(s.GetHexLong(), 0x12);
  Set(s, "FFFFFFFF");
  EXPECT_EQ(s.GetHexLong(), -1);
  Set(s, "");
  EXPECT_EQ(s.GetHexLong(), 0);
}

// ---- HTML text ---------------------------------------------------------------------

namespace {

std::string WrittenHtml(const VString& s) {
  VMemHandle h = 0;
  VHandleStream stream(h);
  EXPECT_EQ(stream.OpenWrite(), 0);
  s.WriteHtmlText(stream);
  EXPECT_EQ(stream.CloseWrite(1), 0);
  const std::vector<uint8_t> bytes = HandleBytes(h);
  gMemoryMgr->DisposeHandle(h);
  return std::string(bytes.begin(), bytes.end());
}

const uint8_t* Bracketed(char16_t c) {
  static uint8_t text[4];
  text[0] = 3;
  text[1] = '[';
  text[2] = static_cast<uint8_t>(c);
  text[3] = ']';
  return text;
}

}  // namespace

TEST_F(StringOperations, WriteHtmlTextPassesEachCharacterThroughTheEncoder) {
  const VHtmlEntityEncoder bracketed{&Bracketed};
  VInstalledService<const VHtmlEntityEncoder> installed(&bracketed);
  VMacStr<15> m;
  Set(m, "ab");
  EXPECT_EQ(WrittenHtml(m), "[a][b]");
}

TEST_F(StringOperations, WriteHtmlTextWithoutAnEncoderWritesNumericReferences) {
  VInstalledService<const VHtmlEntityEncoder> none(nullptr);
  VStr<31> u;
  u.SetUniCText(u"a<b & \"c\"\u00E9\n");
  EXPECT_EQ(WrittenHtml(u), "a&#60;b &#38; &#34;c&#34;&#233;&#10;");
  u.SetEmpty(false);
  EXPECT_EQ(WrittenHtml(u), "");
}
