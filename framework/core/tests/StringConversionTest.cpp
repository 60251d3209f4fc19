// Strings crossing between character kinds through the international text
// manager, over a small table set made in memory: the Macintosh e-acute is
// 0x8E, the ANSI one 0xE9, both U+00E9; U+4E00 has no byte form in either.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "framework/core/intl/VIntlMgr.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/strings/VByteString.h"
#include "framework/core/strings/VUniString.h"

namespace {

void Put16(std::vector<uint8_t>& v, uint16_t x) {
  uint8_t b[2];
  std::memcpy(b, &x, 2);
  v.push_back(b[0]);
  v.push_back(b[1]);
}

// Single-byte byte-to-UTF-16 table: only `byte` maps (to U+00E9).
std::vector<uint8_t> ByteTable(uint8_t byte) {
  std::vector<uint8_t> t;
  Put16(t, 1);
  for (int i = 0; i < 256; ++i) Put16(t, i == byte ? 0x00E9 : 0);
  return t;
}

// UTF-16-to-byte table with one range: U+00E9 to `byte`.
std::vector<uint8_t> UnitTable(uint8_t byte) {
  std::vector<uint8_t> t;
  Put16(t, 1);
  Put16(t, 1);
  Put16(t, 0x00E9);
  Put16(t, 0x00E9);
  t.push_back(byte);
  t.push_back(0);
  return t;
}

std::vector<uint8_t> Empty() {
  std::vector<uint8_t> t;
  Put16(t, 0);
  return t;
}

class SmallTables : public VIntlMgr {
 public:
  VMemHandle LoadTable(uint32_t type, int16_t) override {
    std::vector<uint8_t> t;
    if (type == FourCC("macu")) t = ByteTable(0x8E);
    else if (type == FourCC("winu")) t = ByteTable(0xE9);
    else if (type == FourCC("umac")) t = UnitTable(0x8E);
    else if (type == FourCC("uwin")) t = UnitTable(0xE9);
    else t = Empty();
    return gMemoryMgr->NewHandleFromData(t.data(), static_cast<uint32_t>(t.size()));
  }
};

class StringConversion : public testing::Test {
 protected:
  void SetUp() override {
    fTables = new SmallTables;
    ASSERT_EQ(fTables->LoadTables(kLanguageUSEnglish), 0);
    fPrevious = gIntlMgr;
    gIntlMgr = fTables;
  }
  void TearDown() override {
    gIntlMgr = fPrevious;
    delete fTables;
  }

  SmallTables* fTables = nullptr;
  VIntlMgr* fPrevious = nullptr;
};

std::u16string Units(const VString& s) {
  std::u16string text;
  for (int32_t i = 1; i <= s.GetLength(); ++i) text.push_back(s.GetCharAt(i));
  return text;
}

std::string Bytes(const VString& s) {
  std::string text(static_cast<const char*>(s.GetBuffer()), static_cast<size_t>(s.GetLength()));
  s.ReleaseBuffer();
  return text;
}

}  // namespace

TEST_F(StringConversion, Utf16StringTakesBytesOfEitherSet) {
  VStr<15> s;
  s.AppendChar(0x8E, kCharSetMac);
  s.AppendChar(0xE9, kCharSetAnsi);
  s.AppendChar(0xE9, kCharSetOwn);  // counts as ANSI in a UTF-16 string
  EXPECT_EQ(Units(s), u"\u00E9\u00E9\u00E9");
  const uint8_t ptext[] = {3, 'a', 0x8E, 'b'};
  s.SetEmpty(false);
  s.AppendPText(ptext, kCharSetMac);
  EXPECT_EQ(Units(s), u"a\u00E9b");
}

TEST_F(StringConversion, ByteStringsTakeUtf16InTheirOwnSet) {
  VMacStr<15> mac;
  mac.AppendUniCText(u"x\u00E9y");
  EXPECT_EQ(Bytes(mac), "x\x8Ey");
  VAnsiStrInHandle ansi;
  ansi.AppendUniChar(u'\u00E9');
  EXPECT_EQ(Bytes(ansi), "\xE9");
}

TEST_F(StringConversion, UnitsWithoutAByteFormAreDropped) {
  VMacStr<15> mac;
  mac.AppendUniCText(u"a\u4E00b");
  EXPECT_EQ(Bytes(mac), "ab");
  mac.InsertChar(u'\u4E00', 1);
  EXPECT_EQ(Bytes(mac), "ab");
  mac.SetCharAt(1, u'\u4E00');  // no byte form: the character stays
  EXPECT_EQ(Bytes(mac), "ab");
  mac.SetCharAt(1, u'\u00E9');
  EXPECT_EQ(Bytes(mac), "\x8E" "b");
}

TEST_F(StringConversion, ByteStringCharactersReadAsUtf16) {
  VMacStr<15> mac;
  mac.AppendChar(0x8E, kCharSetMac);
  EXPECT_EQ(mac.GetCharAt(1), u'\u00E9');
  EXPECT_EQ(mac.FindChar(u'\u00E9', 1, false), 1);
  VAnsiStr<15> ansi;
  ansi.AppendChar(0xE9, kCharSetAnsi);
  ansi.AppendChar(0x8E, kCharSetAnsi);  // no unit in this table
  EXPECT_EQ(ansi.GetCharAt(1), u'\u00E9');
  EXPECT_EQ(ansi.GetCharAt(2), 0);
}

TEST_F(StringConversion, AssignConvertsBetweenEveryKind) {
  VStrInHandle uni;
  uni.AppendUniCText(u"caf\u00E9");
  VMacStrInHandle mac(uni);
  EXPECT_EQ(Bytes(mac), "caf\x8E");
  VAnsiStr<31> ansi;
  ansi.Assign(mac);
  EXPECT_EQ(Bytes(ansi), "caf\xE9");
  VStr<31> back;
  back.Assign(ansi);
  EXPECT_EQ(Units(back), u"caf\u00E9");
  EXPECT_EQ(back.Compare(mac, 1, 0), 0);
}

TEST_F(StringConversion, InsertAndReplaceConvertTheOtherString) {
  VAnsiStr<31> ansi;
  ansi.AppendCText("ab", kCharSetAnsi);
  VMacStr<8> mac;
  mac.AppendChar(0x8E, kCharSetMac);
  ansi.Insert(mac, 2);
  EXPECT_EQ(Bytes(ansi), "a\xE9" "b");
  VStr<8> uni;
  uni.AppendUniCText(u"\u00E9\u00E9");
  ansi.ReplaceRange(uni, 1, 1);
  EXPECT_EQ(Bytes(ansi), "\xE9\xE9\xE9" "b");
}
