// Conversion, case mapping, sets and comparison of the international text
// manager, on small tables built in memory: cursors, full destinations,
// multi-byte sequences cut at the end of the input, and the comparison rules.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "framework/core/intl/VIntlMgr.h"
#include "framework/core/tests/IntlTestTables.h"

namespace {

class CharConversion : public testing::Test {
 protected:
  void SetUp() override {
    manager = new FakeIntlMgr();
    AddTestTables(*manager, 0, false);
    AddTestTables(*manager, 1, true);
    ASSERT_EQ(manager->LoadTables(Language()), 0);
    saved = gIntlMgr;
    gIntlMgr = manager;
  }
  void TearDown() override {
    gIntlMgr = saved;
    delete manager;
  }
  virtual int32_t Language() const { return 0x0409; }

  FakeIntlMgr* manager = nullptr;
  VIntlMgr* saved = nullptr;
};

class DoubleByteConversion : public CharConversion {
 protected:
  int32_t Language() const override { return 0x0411; }
};

}  // namespace

TEST_F(CharConversion, SingleByteRunConvertsAndAdvancesBothCursors) {
  const uint8_t bytes[] = {'a', 0x8E, 0x81, 0xC4, 'z'};
  char16_t units[8] = {0};
  const uint8_t* src = bytes;
  char16_t* dst = units;
  EXPECT_TRUE(manager->MacToUni(src, dst, units + 8, 5));
  EXPECT_EQ(src, bytes + 5);
  // 0x81 has no character: consumed, nothing written.
  ASSERT_EQ(dst, units + 4);
  EXPECT_EQ(units[0], u'a');
  EXPECT_EQ(units[1], 0x00E9);
  EXPECT_EQ(units[2], 0x01C4);
  EXPECT_EQ(units[3], u'z');
}

TEST_F(CharConversion, ByteRunStopsWhenTheDestinationIsFull) {
  const uint8_t bytes[] = {'a', 'b', 'c', 'd'};
  char16_t units[2] = {0};
  const uint8_t* src = bytes;
  char16_t* dst = units;
  EXPECT_FALSE(manager->WinToUni(src, dst, units + 2, 4));
  EXPECT_EQ(src, bytes + 2);
  EXPECT_EQ(dst, units + 2);
  // A count of zero is done at once, even with no room.
  src = bytes;
  dst = units;
  EXPECT_TRUE(manager->WinToUni(src, dst, units, 0));
  EXPECT_EQ(src, bytes);
}

TEST_F(CharConversion, ZeroTerminatedRunStopsAtTheZeroWithoutPassingIt) {
  const uint8_t bytes[] = {'h', 0x8E, 0, 'x'};
  char16_t units[8] = {0};
  const uint8_t* src = bytes;
  char16_t* dst = units;
  EXPECT_TRUE(manager->MacCToUni(src, dst, units + 8));
  EXPECT_EQ(src, bytes + 2);
  EXPECT_EQ(dst, units + 2);
  src = bytes;
  dst = units;
  EXPECT_FALSE(manager->WinCToUni(src, dst, units + 1));
  EXPECT_EQ(src, bytes + 1);
}

TEST_F(CharConversion, UniRunDropsUnitsWithoutAByteForm) {
  const char16_t units[] = {u'a', 0x00E9, 0x4E00, 0x01FF, 0x0181};
  uint8_t bytes[8] = {0};
  const char16_t* src = units;
  uint8_t* dst = bytes;
  EXPECT_TRUE(manager->UniToMac(src, dst, bytes + 8, 5));
  EXPECT_EQ(src, units + 5);
  ASSERT_EQ(dst, bytes + 3);
  EXPECT_EQ(bytes[0], 'a');
  EXPECT_EQ(bytes[1], 0x8E);
  EXPECT_EQ(bytes[2], 0xFF);
}

TEST_F(CharConversion, UniRunStopsWhenTheDestinationIsFull) {
  const char16_t units[] = {u'a', u'b', u'c', 0};
  uint8_t bytes[4] = {0};
  const char16_t* src = units;
  uint8_t* dst = bytes;
  EXPECT_FALSE(manager->UniToWin(src, dst, bytes + 2, 3));
  EXPECT_EQ(src, units + 2);
  EXPECT_EQ(dst, bytes + 2);
  src = units;
  dst = bytes;
  EXPECT_TRUE(manager->UniCToWin(src, dst, bytes + 4));
  EXPECT_EQ(src, units + 3);
  EXPECT_EQ(dst, bytes + 3);
  // Units with no byte form are consumed even when no room is left.
  const char16_t dropped[] = {0x4E00, 0x4E01};
  src = dropped;
  dst = bytes;
  EXPECT_TRUE(manager->UniToMac(src, dst, bytes, 2));
  EXPECT_EQ(src, dropped + 2);
}

TEST_F(CharConversion, SingleCharacterForms) {
  EXPECT_EQ(manager->MacCharToUni(0x8E), 0x00E9);
  EXPECT_EQ(manager->WinCharToUni('Q'), u'Q');
  EXPECT_EQ(manager->MacCharToUni(0x81), 0);
  EXPECT_EQ(manager->UniCharToMac(char16_t(0x00E9)), 0x8E);
  EXPECT_EQ(manager->UniCharToWin(char16_t(0x4E00)), 0);
  const char16_t unit = 0x01A0;
  const char16_t* src = &unit;
  uint8_t byte = 0;
  uint8_t* dst = &byte;
  EXPECT_TRUE(manager->UniCharToWin(src, dst, &byte + 1));
  EXPECT_EQ(byte, 0xA0);
  EXPECT_EQ(src, &unit + 1);
}

namespace {

// Every byte converted by the runs of single characters, against the same
// byte converted alone by a step: the same unit, or 0 where the step writes
// none; and every unit of `units` likewise to its first byte.
void ExpectRunsMatchTheSteps(VIntlMgr& manager, const std::vector<char16_t>& units) {
  uint8_t all[256];
  for (int b = 0; b < 256; ++b) all[b] = uint8_t(b);
  char16_t mac[256];
  char16_t win[256];
  manager.MacCharsToUni(all, 256, mac);
  manager.WinCharsToUni(all, 256, win);
  for (int b = 0; b < 256; ++b) {
    char16_t one[2] = {0, 0};
    const uint8_t* src = all + b;
    char16_t* dst = one;
    manager.MacCharToUniStep(src, all + b + 1, dst);
    EXPECT_EQ(mac[b], one[0]) << b;
    one[0] = 0;
    src = all + b;
    dst = one;
    manager.WinCharToUniStep(src, all + b + 1, dst);
    EXPECT_EQ(win[b], one[0]) << b;
  }
  std::vector<uint8_t> toMac(units.size());
  std::vector<uint8_t> toWin(units.size());
  manager.UniCharsToMac(units.data(), units.size(), toMac.data());
  manager.UniCharsToWin(units.data(), units.size(), toWin.data());
  for (size_t i = 0; i < units.size(); ++i) {
    uint8_t bytes[8] = {0};
    const char16_t* src = &units[i];
    uint8_t* dst = bytes;
    manager.UniCharToMac(src, dst, bytes + sizeof bytes);
    EXPECT_EQ(toMac[i], bytes[0]) << i;
    bytes[0] = 0;
    src = &units[i];
    dst = bytes;
    manager.UniCharToWin(src, dst, bytes + sizeof bytes);
    EXPECT_EQ(toWin[i], bytes[0]) << i;
  }
}

// ASCII, letters of the table, a unit it lacks inside and beyond its
// ranges, a double-byte character and both halves of a surrogate pair.
const std::vector<char16_t> kRunUnits = {u'a', 0x7F, 0x80, 0x00E9, 0x0181, 0x01A0, 0x01FF, 0x0200,
                                         0x3000, 0x4E00, 0x4E9C, 0xFF61, 0xD83D, 0xDE00, 0xFFFF};

}  // namespace

TEST_F(CharConversion, RunsOfSingleCharactersMatchTheSteps) {
  ExpectRunsMatchTheSteps(*manager, kRunUnits);
  // The single-character forms answer what the runs give.
  char16_t unit = 1;
  const uint8_t byte = 0x81;
  manager->MacCharsToUni(&byte, 1, &unit);
  EXPECT_EQ(unit, manager->MacCharToUni(byte));
  // Nothing to convert writes nothing.
  unit = 7;
  manager->WinCharsToUni(&byte, 0, &unit);
  EXPECT_EQ(unit, 7);
}

TEST_F(DoubleByteConversion, RunsOfSingleCharactersMatchTheSteps) {
  // A lead byte alone makes no unit, as the steps have it.
  ExpectRunsMatchTheSteps(*manager, kRunUnits);
  const uint8_t lead[] = {0x81, 0x40};
  char16_t units[2] = {1, 1};
  manager->MacCharsToUni(lead, 2, units);
  EXPECT_EQ(units[0], 0);
  EXPECT_EQ(units[1], u'@');
}

TEST_F(DoubleByteConversion, SequencesOfOneAndTwoBytes) {
  const uint8_t bytes[] = {0x81, 0x40, 'A', 0xA1, 0x88, 0x9F};
  char16_t units[8] = {0};
  const uint8_t* src = bytes;
  char16_t* dst = units;
  EXPECT_TRUE(manager->MacToUni(src, dst, units + 8, 6));
  ASSERT_EQ(dst, units + 4);
  EXPECT_EQ(units[0], 0x3000);
  EXPECT_EQ(units[1], u'A');
  EXPECT_EQ(units[2], 0xFF61);
  EXPECT_EQ(units[3], 0x4E9C);
}

TEST_F(DoubleByteConversion, LeadByteAtTheEndOfTheInputIsNotCompletedFromBeyondIt) {
  // The byte behind the count would complete 0x81 0x40; it is not input.
  const uint8_t bytes[] = {'x', 0x81, 0x40};
  char16_t units[4] = {0};
  const uint8_t* src = bytes;
  char16_t* dst = units;
  EXPECT_TRUE(manager->WinToUni(src, dst, units + 4, 2));
  EXPECT_EQ(src, bytes + 2);
  ASSERT_EQ(dst, units + 1);
  EXPECT_EQ(units[0], u'x');
  // The same in a zero-terminated text.
  const uint8_t text[] = {'x', 0x88, 0};
  src = text;
  dst = units;
  EXPECT_TRUE(manager->MacCToUni(src, dst, units + 4));
  EXPECT_EQ(src, text + 2);
  EXPECT_EQ(dst, units + 1);
  // And alone.
  EXPECT_EQ(manager->MacCharToUni(0x81), 0);
}

TEST_F(DoubleByteConversion, UniRunWritesACharacterOnlyWhenAllItsBytesFit) {
  const char16_t units[] = {u'a', 0x3000, u'b'};
  uint8_t bytes[4] = {0xEE, 0xEE, 0xEE, 0xEE};
  const char16_t* src = units;
  uint8_t* dst = bytes;
  // Room for two bytes: 'a' fits, U+3000 needs two and only one is left.
  EXPECT_FALSE(manager->UniToMac(src, dst, bytes + 2, 3));
  EXPECT_EQ(src, units + 1);
  EXPECT_EQ(dst, bytes + 1);
  EXPECT_EQ(bytes[1], 0xEE);
  src = units;
  dst = bytes;
  EXPECT_TRUE(manager->UniToMac(src, dst, bytes + 4, 3));
  EXPECT_EQ(dst, bytes + 4);
  EXPECT_EQ(bytes[1], 0x81);
  EXPECT_EQ(bytes[2], 0x40);
  // A single step refuses too, and moves nothing.
  const char16_t* one = units + 1;
  uint8_t two[2] = {0};
  uint8_t* out = two;
  EXPECT_FALSE(manager->UniCharToWin(one, out, two + 1));
  EXPECT_EQ(one, units + 1);
  EXPECT_EQ(out, two);
  EXPECT_EQ(manager->UniCharToWin(char16_t(0x3000)), 0x81);
}

TEST_F(DoubleByteConversion, DirectByteConversionCopiesForDoubleByteLanguages) {
  const uint8_t bytes[] = {0x81, 0x40, 0xC4};
  uint8_t out[3] = {0};
  const uint8_t* src = bytes;
  uint8_t* dst = out;
  EXPECT_TRUE(VIntlMgr::AnsiToMacBytes(src, dst, out + 3, 3));
  EXPECT_EQ(std::memcmp(out, bytes, 3), 0);
}

TEST_F(CharConversion, DirectByteConversionThroughTheBuiltInTables) {
  const uint8_t ansi[] = {0xC4, 0x80, 'A', 0xE9};
  uint8_t mac[4] = {0};
  const uint8_t* src = ansi;
  uint8_t* dst = mac;
  EXPECT_TRUE(VIntlMgr::AnsiToMacBytes(src, dst, mac + 4, 4));
  EXPECT_EQ(mac[0], 0x80);
  EXPECT_EQ(mac[1], 0xAD);
  EXPECT_EQ(mac[2], 'A');
  EXPECT_EQ(mac[3], 0x8E);
  uint8_t back[4] = {0};
  src = mac;
  dst = back;
  EXPECT_TRUE(VIntlMgr::MacToAnsiBytes(src, dst, back + 4, 4));
  EXPECT_EQ(std::memcmp(back, ansi, 4), 0);
  // A full destination stops the copy.
  src = ansi;
  dst = mac;
  EXPECT_FALSE(VIntlMgr::AnsiToMacBytes(src, dst, mac + 2, 4));
  EXPECT_EQ(src, ansi + 2);
}

TEST_F(CharConversion, BuiltInByteTablesArePairedInverses) {
  for (int b = 0; b < 256; ++b) {
    const uint8_t in = uint8_t(b);
    uint8_t mid = 0;
    uint8_t out = 0;
    const uint8_t* src = &in;
    uint8_t* dst = &mid;
    ASSERT_TRUE(VIntlMgr::AnsiToMacBytes(src, dst, &mid + 1, 1));
    src = &mid;
    dst = &out;
    ASSERT_TRUE(VIntlMgr::MacToAnsiBytes(src, dst, &out + 1, 1));
    EXPECT_EQ(out, in) << b;
    if (b < 0x80) {
      EXPECT_EQ(mid, in);
    }
  }
}

TEST(CharConversionWithoutManager, DirectConversionUsesUSEnglish) {
  VIntlMgr* saved = gIntlMgr;
  gIntlMgr = nullptr;
  const uint8_t ansi[] = {0xC4};
  uint8_t mac = 0;
  const uint8_t* src = ansi;
  uint8_t* dst = &mac;
  EXPECT_TRUE(VIntlMgr::AnsiToMacBytes(src, dst, &mac + 1, 1));
  EXPECT_EQ(mac, 0x80);
  gIntlMgr = saved;
}

namespace {

class OtherLanguageConversion : public CharConversion {
 protected:
  int32_t Language() const override { return 0x0419; }  // script 8: tables in the fake
  void SetUp() override {
    manager = new FakeIntlMgr();
    AddTestTables(*manager, 8, false);
    // Windows ANSI of this script: byte b <-> U+0100 + b as well, except that
    // U+00E9 has no ANSI form.
    manager->tables[{FourCC("uwin"), 8}] = TestUniToSingleByte();
    manager->tables[{FourCC("uwin"), 8}][8] = 0;  // the U+00E9 field
    ASSERT_EQ(manager->LoadTables(Language()), 0);
    saved = gIntlMgr;
    gIntlMgr = manager;
  }
};

}  // namespace

TEST_F(OtherLanguageConversion, DirectConversionGoesThroughUTF16AndLeavesNoGap) {
  const uint8_t mac[] = {0xC0, 0x8E, 'k'};
  uint8_t ansi[4] = {0x55, 0x55, 0x55, 0x55};
  const uint8_t* src = mac;
  uint8_t* dst = ansi;
  EXPECT_TRUE(VIntlMgr::MacToAnsiBytes(src, dst, ansi + 4, 3));
  EXPECT_EQ(src, mac + 3);
  // U+00E9 has no ANSI form: dropped, and the destination moves by what was written.
  ASSERT_EQ(dst, ansi + 2);
  EXPECT_EQ(ansi[0], 0xC0);
  EXPECT_EQ(ansi[1], 'k');
  EXPECT_EQ(ansi[2], 0x55);
  // The room bounds the bytes taken.
  src = mac;
  dst = ansi;
  EXPECT_FALSE(VIntlMgr::MacToAnsiBytes(src, dst, ansi + 1, 3));
  EXPECT_EQ(src, mac + 1);
  EXPECT_EQ(dst, ansi + 1);
}

TEST(CharConversionStatic, CopySameKindCopiesOnlyMatchingKinds) {
  const uint8_t src[] = {1, 2, 3, 4, 5};
  uint8_t dst[3] = {0};
  int32_t length = 3;
  EXPECT_FALSE(VIntlMgr::CopySameKind(src, 5, 0, dst, length, 1));
  EXPECT_EQ(length, 3);
  EXPECT_EQ(dst[0], 0);
  EXPECT_TRUE(VIntlMgr::CopySameKind(src, 5, 1, dst, length, 1));
  EXPECT_EQ(length, 3);
  EXPECT_EQ(dst[2], 3);
  length = 3;
  EXPECT_TRUE(VIntlMgr::CopySameKind(src, 2, 0, dst, length, 0));
  EXPECT_EQ(length, 2);
}

TEST_F(CharConversion, CaseBothVariants) {
  char16_t text[] = {u'a', 0xE9, u'Z', u'1'};
  EXPECT_TRUE(manager->ToUpper(text, 4, false));
  EXPECT_EQ(text[0], u'A');
  EXPECT_EQ(text[1], 0xC9);
  EXPECT_EQ(text[2], u'Z');
  EXPECT_EQ(text[3], u'1');
  char16_t plain[] = {0xE9};
  EXPECT_TRUE(manager->ToUpper(plain, 1, true));
  EXPECT_EQ(plain[0], u'E');
  char16_t lower[] = {u'Q', 0xC9};
  EXPECT_TRUE(manager->ToLower(lower, 2, false));
  EXPECT_EQ(lower[0], u'q');
  EXPECT_EQ(lower[1], 0xE9);
  char16_t c = 0xC9;
  manager->ToLowerChar(c, true);
  EXPECT_EQ(c, u'e');
  c = u'm';
  manager->ToUpperChar(c, false);
  EXPECT_EQ(c, u'M');
}

TEST_F(CharConversion, SetsByNumber) {
  EXPECT_TRUE(manager->IsInUSet(0, u'q'));
  EXPECT_FALSE(manager->IsInUSet(0, u'Q'));
  EXPECT_TRUE(manager->IsInUSet(1, u'7'));
  EXPECT_TRUE(manager->IsInUSet(2, u' '));
  EXPECT_TRUE(manager->IsInUSet(3, u'/'));
  EXPECT_FALSE(manager->IsInUSet(3, u'0'));
  EXPECT_FALSE(manager->IsInUSet(4, u'a'));
  EXPECT_FALSE(manager->IsInUSet(-1, u'a'));
}

namespace {

int32_t Compare(VIntlMgr& m, const std::u16string& a, const std::u16string& b, bool strict) {
  return m.CompareUniTexts(a.c_str(), int32_t(a.size()), b.c_str(), int32_t(b.size()), strict);
}

}  // namespace

TEST_F(CharConversion, CompareCharBelowC0ByCodeOrWeight) {
  EXPECT_EQ(manager->CompareChar(u'a', u'A', false), 0);
  EXPECT_EQ(manager->CompareChar(u'a', u'A', true), 1);
  EXPECT_EQ(manager->CompareChar(u'A', u'b', false), -1);
  EXPECT_EQ(manager->CompareChar(u'_', u'a', false), 1);  // '_' 0x5F above 'A' 0x41
  EXPECT_EQ(manager->CompareChar(u'_', u'a', true), -1);
  EXPECT_EQ(manager->CompareChar(0xBF, 0xBF, true), 0);
}

TEST_F(CharConversion, CompareCharFromC0AsTheSystemOrdersLetters) {
  EXPECT_EQ(manager->CompareChar(0xE9, 0xE9, true), 0);
  // Case is ignored unless strict.
  EXPECT_EQ(manager->CompareChar(0xE9, 0xC9, false), 0);
  EXPECT_NE(manager->CompareChar(0xE9, 0xC9, true), 0);
  // The letter first, then its accent: é sorts with e, after it, before f.
  EXPECT_EQ(manager->CompareChar(0xE9, u'e', false), 1);
  EXPECT_EQ(manager->CompareChar(0xE9, u'f', false), -1);
  EXPECT_EQ(manager->CompareChar(u'F', 0xC9, true), 1);
  // Full-width forms weigh as ASCII, katakana as hiragana.
  EXPECT_EQ(manager->CompareChar(0xFF21, u'A', true), 0);
  EXPECT_EQ(manager->CompareChar(0x30A2, 0x3042, true), 0);
}

TEST_F(CharConversion, CompareCharOnOlderSystemsGoesThroughAnsi) {
  // U+4E00 has no ANSI form: on the older systems it compares as an empty
  // text, before everything; the NT family compares the unit itself.
  EXPECT_EQ(manager->CompareChar(0x4E00, u'a', false), 1);
  static constexpr VOSCodeQuery kOlder{[]() -> int32_t { return 5; }};
  static constexpr VOSCodeQuery kNT{[]() -> int32_t { return 6; }};
  VInstalledService<const VOSCodeQuery> older(&kOlder);
  EXPECT_EQ(manager->CompareChar(0x4E00, u'a', false), -1);
  EXPECT_EQ(manager->CompareChar(0xE9, u'f', false), -1);
  EXPECT_EQ(manager->CompareChar(0xE9, u'e', false), 1);
  VInstalledService<const VOSCodeQuery> nt(&kNT);
  EXPECT_EQ(manager->CompareChar(0x4E00, u'a', false), 1);
}

TEST_F(CharConversion, CompareTextsOfTheVectors) {
  EXPECT_EQ(Compare(*manager, u"apple", u"APPLE", false), 0);
  EXPECT_EQ(Compare(*manager, u"apple", u"APPLE", true), 1);
  EXPECT_EQ(Compare(*manager, u"abc", u"abcd", false), -1);
  EXPECT_EQ(Compare(*manager, u"abcd", u"abc", false), 1);
  EXPECT_EQ(Compare(*manager, u"", u"", false), 0);
  EXPECT_EQ(Compare(*manager, u"abd", u"abc", true), 1);
}

TEST_F(CharConversion, CompareTextsWithTheWildcard) {
  EXPECT_EQ(Compare(*manager, u"abcdef", u"abc@", false), 0);
  EXPECT_EQ(Compare(*manager, u"ABCdef", u"abc@", false), 0);
  EXPECT_EQ(Compare(*manager, u"ABCdef", u"abc@", true), -1);
  EXPECT_EQ(Compare(*manager, u"abc", u"abc@", false), 0);
  // The pattern is longer than the text: an ordinary comparison.
  EXPECT_EQ(Compare(*manager, u"ab", u"abc@", false), -1);
  EXPECT_EQ(Compare(*manager, u"", u"@", false), 0);
  EXPECT_EQ(Compare(*manager, u"xyz", u"@", false), 0);
  EXPECT_EQ(Compare(*manager, u"abd", u"abc@", false), 1);
  // The wildcard counts only at the end of the second text.
  EXPECT_EQ(Compare(*manager, u"abc@", u"abc", false), 1);
}

TEST_F(CharConversion, CompareTextsFromC0UsesTheCharacterComparison) {
  EXPECT_EQ(Compare(*manager, u"\u00e9t\u00e9", u"\u00c9T\u00c9", false), 0);
  EXPECT_EQ(Compare(*manager, u"\u00e9t\u00e9", u"ete", false), 1);
  EXPECT_EQ(Compare(*manager, u"\u00e9", u"\u00e9x", false), -1);
  EXPECT_EQ(Compare(*manager, u"\u00e9x", u"\u00e9", false), 1);
}

TEST_F(CharConversion, CompareTextsStopsAtAZeroUnitAndAtTheLength) {
  const char16_t a[] = {u'a', u'b', 0, u'z'};
  const char16_t b[] = {u'a', u'b'};  // no terminator
  EXPECT_EQ(manager->CompareUniTexts(a, 4, b, 2, true), 0);
  EXPECT_EQ(manager->CompareUniTexts(b, 2, a, 4, true), 0);
  EXPECT_EQ(manager->CompareUniTexts(b, 1, a, 2, true), -1);
}
