// The generated text tables in the module's compiled resource file, read back
// through the resource manager with the module's byte-order procedure
// installed, as the host opens the file: every table's layout, the
// round trips of Mac Roman and code page 1252, the multi-byte scripts, case,
// sets, comparison, and the fallback of scripts without tables.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "framework/core/intl/TextTables.h"
#include "framework/core/intl/VIntlMgr.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "boundary/ModuleExports.h"
#include "platform/toolbox/TbxResources.h"

#ifndef QV_RESOURCE_FILE
#error "the tests need the compiled resource file (QV_RESOURCE_FILE)"
#endif

namespace {

using SwapProc = uint8_t (*)(uint8_t, uint32_t, uint32_t, void*);

// Scripts with conversion tables; 6 (Hebrew), 14 (Thai) and 15 (Vietnamese)
// have only the Windows table to UTF-16.
constexpr int16_t kScripts[] = {0, 1, 2, 3, 4, 5, 7, 8, 9, 10, 11, 12, 13, 16, 17};
constexpr int16_t kCaseIds[] = {0, 0x041F};

uint16_t Native16(const uint8_t* p) {
  uint16_t v;
  std::memcpy(&v, p, 2);
  return v;
}

uint16_t Stored16(const uint8_t* p) { return uint16_t((p[0] << 8) | p[1]); }

// The file opened once for the whole suite, with the module's procedure.
class IntlResources : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    swap = &SwapRsrcProc;
    const std::string path = QV_RESOURCE_FILE;
    uint8_t pascal[256];
    ASSERT_LT(path.size(), 256u);
    pascal[0] = uint8_t(path.size());
    std::memcpy(pascal + 1, path.data(), path.size());
    previous = Tbx::CurResFile();
    file = Tbx::OpenResFile(pascal);
    ASSERT_GE(file, 0) << "cannot open " << path;
    Tbx::SetResFileSwapProc(file, swap);
  }
  static void TearDownTestSuite() {
    if (file >= 0) Tbx::CloseResFile(file);
    if (previous >= 0) Tbx::UseResFile(previous);
    file = -1;
  }

  void SetUp() override {
    ASSERT_GE(file, 0);
    Tbx::UseResFile(file);
    manager = new VIntlMgr();
    saved = gIntlMgr;
    gIntlMgr = manager;
  }
  void TearDown() override {
    gIntlMgr = saved;
    delete manager;
  }

  // The native copy that the manager loads, and the stored bytes of the same
  // resource read with no procedure installed.
  std::vector<uint8_t> Native(uint32_t type, int16_t id) {
    VMemHandle h = manager->LoadTable(type, id);
    if (h == 0) return {};
    const uint32_t size = gMemoryMgr->GetHandleSize(h);
    const uint8_t* p = static_cast<const uint8_t*>(gMemoryMgr->LockHandle(h));
    std::vector<uint8_t> bytes(p, p + size);
    gMemoryMgr->UnlockHandle(h);
    gMemoryMgr->DisposeHandle(h);
    return bytes;
  }
  std::vector<uint8_t> Stored(uint32_t type, int16_t id) {
    Tbx::SetResFileSwapProc(file, nullptr);
    Tbx::Handle h = Tbx::GetResource(type, id);
    std::vector<uint8_t> bytes;
    if (h != 0) {
      const uint8_t* p = static_cast<const uint8_t*>(Tbx::HLock(h));
      bytes.assign(p, p + Tbx::GetHandleSize(h));
      Tbx::HUnlock(h);
      Tbx::ReleaseResource(h);
    }
    Tbx::SetResFileSwapProc(file, swap);
    return bytes;
  }

  static inline SwapProc swap = nullptr;
  static inline int16_t file = -1;
  static inline int16_t previous = -1;
  VIntlMgr* manager = nullptr;
  VIntlMgr* saved = nullptr;
};

// Checks a byte-to-UTF-16 table against its stored form: 16-bit fields
// converted, byte sequences untouched, entries in ascending order.
void CheckByteToUni(const std::vector<uint8_t>& n, const std::vector<uint8_t>& s,
                    const char* what) {
  SCOPED_TRACE(what);
  ASSERT_GE(n.size(), 4u);
  ASSERT_EQ(n.size(), s.size());
  const uint16_t maxBytes = Native16(n.data());
  EXPECT_EQ(maxBytes, Stored16(s.data()));
  if (maxBytes == 1) {
    ASSERT_EQ(n.size(), 2u + 512u);
    for (size_t i = 2; i < n.size(); i += 2) ASSERT_EQ(Native16(&n[i]), Stored16(&s[i]));
    return;
  }
  ASSERT_EQ(maxBytes, 2);
  const uint16_t count = Native16(n.data() + 2);
  ASSERT_EQ(count, Stored16(s.data() + 2));
  ASSERT_EQ(n.size(), 4u + size_t(count) * 4u);
  for (size_t e = 0; e < count; ++e) {
    const size_t at = 4 + e * 4;
    ASSERT_EQ(Native16(&n[at]), Stored16(&s[at]));
    ASSERT_EQ(n[at + 2], s[at + 2]);
    ASSERT_EQ(n[at + 3], s[at + 3]);
    ASSERT_GE(n[at + 2], 0x80);
    if (e > 0) {
      ASSERT_LT(std::memcmp(&n[at - 2], &n[at + 2], 2), 0) << "entry " << e;
    }
  }
}

// Ranges of a UTF-16-to-byte table (fieldWidth 2, byte fields) or a case
// table (16-bit replacements): they fill the table exactly, in order.
void CheckRanges(const std::vector<uint8_t>& n, const std::vector<uint8_t>& s, size_t start,
                 uint16_t count, bool byteFields, const char* what) {
  SCOPED_TRACE(what);
  size_t at = start;
  uint32_t previousLast = 0;
  for (uint16_t r = 0; r < count; ++r) {
    ASSERT_LE(at + 4, n.size());
    const uint16_t first = Native16(&n[at]);
    const uint16_t last = Native16(&n[at + 2]);
    ASSERT_EQ(first, Stored16(&s[at]));
    ASSERT_EQ(last, Stored16(&s[at + 2]));
    ASSERT_LE(first, last);
    if (r > 0) {
      ASSERT_GT(first, previousLast);
    }
    previousLast = last;
    at += 4;
    const size_t bytes = (size_t(last) - first + 1) * 2;
    ASSERT_LE(at + bytes, n.size());
    for (size_t i = 0; i < bytes; i += 2) {
      if (byteFields) {
        ASSERT_EQ(n[at + i], s[at + i]);
        ASSERT_EQ(n[at + i + 1], s[at + i + 1]);
      } else {
        ASSERT_EQ(Native16(&n[at + i]), Stored16(&s[at + i]));
      }
    }
    at += bytes;
  }
  EXPECT_EQ(at, n.size());
}

std::u16string ToUni(VIntlMgr& m, bool mac, const std::vector<uint8_t>& bytes) {
  std::u16string out(bytes.size() + 1, 0);
  const uint8_t* src = bytes.data();
  char16_t* dst = out.data();
  const bool done = mac ? m.MacToUni(src, dst, out.data() + out.size(), int32_t(bytes.size()))
                        : m.WinToUni(src, dst, out.data() + out.size(), int32_t(bytes.size()));
  EXPECT_TRUE(done);
  out.resize(size_t(dst - out.data()));
  return out;
}

std::vector<uint8_t> FromUni(VIntlMgr& m, bool mac, const std::u16string& units) {
  std::vector<uint8_t> out(units.size() * 2 + 1);
  const char16_t* src = units.data();
  uint8_t* dst = out.data();
  const bool done = mac ? m.UniToMac(src, dst, out.data() + out.size(), int32_t(units.size()))
                        : m.UniToWin(src, dst, out.data() + out.size(), int32_t(units.size()));
  EXPECT_TRUE(done);
  out.resize(size_t(dst - out.data()));
  return out;
}

}  // namespace

TEST_F(IntlResources, EveryTableReadsBackThroughTheByteOrderProcedure) {
  for (int16_t script : kScripts) {
    for (const char* type : {"macu", "winu"}) {
      const uint32_t t = FourCC(type[0] == 'm' ? "macu" : "winu");
      std::string what = std::string(type) + " " + std::to_string(script);
      CheckByteToUni(Native(t, script), Stored(t, script), what.c_str());
    }
    for (const char* type : {"umac", "uwin"}) {
      const uint32_t t = FourCC(type[1] == 'm' ? "umac" : "uwin");
      std::string what = std::string(type) + " " + std::to_string(script);
      std::vector<uint8_t> n = Native(t, script);
      std::vector<uint8_t> s = Stored(t, script);
      ASSERT_GE(n.size(), 4u) << what;
      ASSERT_EQ(n.size(), s.size());
      const uint16_t maxBytes = Native16(n.data());
      EXPECT_TRUE(maxBytes == 1 || maxBytes == 2) << what;
      CheckRanges(n, s, 4, Native16(n.data() + 2), true, what.c_str());
    }
  }
  for (int16_t id : kCaseIds) {
    for (uint32_t t : {FourCC("lwrn"), FourCC("lwra"), FourCC("uprn"), FourCC("upra")}) {
      std::vector<uint8_t> n = Native(t, id);
      std::vector<uint8_t> s = Stored(t, id);
      ASSERT_GE(n.size(), 2u);
      ASSERT_EQ(n.size(), s.size());
      CheckRanges(n, s, 2, Native16(n.data()), false, ("case " + std::to_string(id)).c_str());
    }
  }
  for (int16_t id = 0; id < 4; ++id) {
    std::vector<uint8_t> n = Native(FourCC("uset"), id);
    std::vector<uint8_t> s = Stored(FourCC("uset"), id);
    ASSERT_GE(n.size(), 2u);
    const uint16_t count = Native16(n.data());
    ASSERT_EQ(n.size(), 2u + 4u * count);
    for (size_t i = 0; i < n.size(); i += 2) ASSERT_EQ(Native16(&n[i]), Stored16(&s[i]));
    for (uint16_t p = 0; p < count; ++p) {
      ASSERT_LE(Native16(&n[2 + 4 * p]), Native16(&n[4 + 4 * p]));
      if (p > 0) {
        ASSERT_GT(Native16(&n[2 + 4 * p]), Native16(&n[4 * p]));
      }
    }
  }
}

TEST_F(IntlResources, ScriptsWithoutTablesHaveNone) {
  for (int16_t script : {6, 14, 15}) {
    EXPECT_TRUE(Native(FourCC("macu"), script).empty()) << script;
    EXPECT_EQ(manager->LoadTables(script == 6 ? 0x040D : (script == 14 ? 0x041E : 0x042A)),
              kIntlTableMissing);
  }
}

// A font's Windows character set names the code page of its bytes, read
// one character a byte whatever the manager's language (Vietnamese tone
// marks as combining characters of their own): none for the default set
// and for a double-byte one (Shift JIS).
TEST_F(IntlResources, FontCharacterSetsReadTheirCodePages) {
  ASSERT_EQ(manager->LoadTables(0x0409), 0);
  struct Row {
    int32_t charSet;
    std::vector<uint8_t> bytes;
    std::u16string text;  // empty: not read
  };
  const Row rows[] = {
      {0, {0xE9, 0x80}, u"\u00E9\u20AC"},          {238, {0x9E, 0x9D, 0xE8}, u"\u017E\u0165\u010D"},
      {204, {0xCF, 0xF0}, u"\u041F\u0440"},        {161, {0xC1}, u"\u0391"},
      {162, {0xF0}, u"\u011F"},                     {186, {0xD0, 0xE8}, u"\u0160\u010D"},
      {178, {0xC7}, u"\u0627"},                     {177, {0xF9, 0xEC, 0xE5, 0xED}, u"\u05E9\u05DC\u05D5\u05DD"},
      {222, {0xCA, 0xC7, 0xD1, 0xCA, 0xB4, 0xD5}, u"\u0E2A\u0E27\u0E31\u0E2A\u0E14\u0E35"},
      {163, {0x56, 0x69, 0xEA, 0xF2, 0x74, 0xCC, 0xC3}, u"Vi\u00EA\u0323t\u0300\u0102"},
      {128, {0x82, 0xA0}, u""},                      {1, {0xE9}, u""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.charSet);
    std::u16string text(row.bytes.size(), u'?');
    const bool read = manager->ScriptWinToUni(VIntlMgr::ScriptOfWindowsCharSet(row.charSet), row.bytes.data(),
                                              row.bytes.size(), text.data());
    EXPECT_EQ(read, !row.text.empty());
    if (read) {
      EXPECT_EQ(text, row.text);
    }
  }
}

TEST_F(IntlResources, EveryByteOfMacRomanAndWindows1252RoundTrips) {
  ASSERT_EQ(manager->LoadTables(0x0409), 0);
  for (bool mac : {true, false}) {
    for (int b = 0; b < 256; ++b) {
      const std::vector<uint8_t> one = {uint8_t(b)};
      std::u16string units = ToUni(*manager, mac, one);
      ASSERT_EQ(units.size(), 1u) << (mac ? "mac " : "ansi ") << b;
      if (b >= 0x80) {
        EXPECT_GE(units[0], 0x80) << b;
      }
      EXPECT_EQ(FromUni(*manager, mac, units), one) << (mac ? "mac " : "ansi ") << b;
    }
  }
  EXPECT_EQ(manager->MacCharToUni(0x8E), 0x00E9);
  EXPECT_EQ(manager->MacCharToUni(0xDB), 0x20AC);
  EXPECT_EQ(manager->WinCharToUni(0x80), 0x20AC);
  EXPECT_EQ(manager->WinCharToUni(0xE9), 0x00E9);
  EXPECT_EQ(manager->UniCharToMac(char16_t(0x2022)), 0xA5);
  // A byte the code page leaves undefined stands for its own code point.
  EXPECT_EQ(manager->WinCharToUni(0x81), 0x0081);
  // A character neither has: dropped.
  EXPECT_EQ(FromUni(*manager, true, u"a\u4e00b"), (std::vector<uint8_t>{'a', 'b'}));
}

TEST_F(IntlResources, TheBuiltInByteTablesAgreeWithTheGeneratedOnes) {
  ASSERT_EQ(manager->LoadTables(0x0409), 0);
  // Wherever both encodings hold the character, the direct conversion and
  // the way through UTF-16 give the same byte; the one exception is the euro
  // sign, which Mac Roman took at 0xDB after the built-in pairing was made.
  for (int b = 0x80; b < 0x100; ++b) {
    const uint8_t ansi = uint8_t(b);
    uint8_t direct = 0;
    const uint8_t* src = &ansi;
    uint8_t* dst = &direct;
    ASSERT_TRUE(VIntlMgr::AnsiToMacBytes(src, dst, &direct + 1, 1));
    const char16_t unit = manager->WinCharToUni(ansi);
    const uint8_t viaUnicode = manager->UniCharToMac(unit);
    if (viaUnicode != 0 && unit != b && unit != 0x20AC) {
      EXPECT_EQ(direct, viaUnicode) << b;
    }
  }
}

TEST_F(IntlResources, ShiftJisSequencesAndALeadByteAtTheEnd) {
  ASSERT_EQ(manager->LoadTables(0x0411), 0);
  EXPECT_EQ(manager->GetLanguage(), 0x0411);
  // "あア" in Shift-JIS, a half-width katakana, ASCII.
  const std::vector<uint8_t> text = {0x82, 0xA0, 0x83, 0x41, 0xB1, 'A'};
  EXPECT_EQ(ToUni(*manager, true, text), u"\u3042\u30a2\uff71A");
  EXPECT_EQ(FromUni(*manager, true, u"\u3042\u30a2\uff71A"), text);
  // Windows code page 932.
  EXPECT_EQ(ToUni(*manager, false, {0x88, 0x9F}), u"\u4e9c");
  // The lead byte 0x82 is the last byte of the input: it makes nothing and
  // the byte behind it is not read.
  const uint8_t cut[] = {'x', 0x82, 0xA0};
  char16_t units[4] = {0};
  const uint8_t* src = cut;
  char16_t* dst = units;
  EXPECT_TRUE(manager->MacToUni(src, dst, units + 4, 2));
  EXPECT_EQ(src, cut + 2);
  EXPECT_EQ(dst, units + 1);
  // A full destination: the two bytes of U+3042 do not fit in one.
  const char16_t a[] = {u'z', 0x3042};
  const char16_t* from = a;
  uint8_t bytes[3] = {0, 0xEE, 0xEE};
  uint8_t* to = bytes;
  EXPECT_FALSE(manager->UniToWin(from, to, bytes + 2, 2));
  EXPECT_EQ(from, a + 1);
  EXPECT_EQ(to, bytes + 1);
  EXPECT_EQ(bytes[1], 0xEE);
}

TEST_F(IntlResources, OtherMultiByteScripts) {
  struct {
    int32_t language;
    std::vector<uint8_t> mac;
    std::vector<uint8_t> win;
    std::u16string text;
  } cases[] = {
      {0x0404, {0xA4, 0xA4}, {0xA4, 0xA4}, u"\u4e2d"},  // Big5, code page 950
      {0x0804, {0xD6, 0xD0}, {0xD6, 0xD0}, u"\u4e2d"},  // GB2312, code page 936
      {0x0412, {0xB0, 0xA1}, {0xB0, 0xA1}, u"\uac00"},  // EUC-KR, code page 949
  };
  for (const auto& c : cases) {
    VIntlMgr* m = new VIntlMgr();
    ASSERT_EQ(m->LoadTables(c.language), 0) << c.language;
    EXPECT_EQ(ToUni(*m, true, c.mac), c.text);
    EXPECT_EQ(ToUni(*m, false, c.win), c.text);
    EXPECT_EQ(FromUni(*m, true, c.text), c.mac);
    EXPECT_EQ(FromUni(*m, false, c.text), c.win);
    delete m;
  }
}

TEST_F(IntlResources, SingleByteScriptsOfOtherLanguages) {
  struct {
    int32_t language;
    uint8_t mac;
    uint8_t win;
    char16_t unit;
  } cases[] = {
      {0x0419, 0x80, 0xC0, 0x0410},  // Cyrillic А
      {0x0408, 0xE1, 0xE1, 0x03B1},  // Greek α
      {0x0415, 0x84, 0xA5, 0x0104},  // Central European Ą
      {0x041F, 0xDB, 0xF0, 0x011F},  // Turkish ğ
      {0x0401, 0xC7, 0xC7, 0x0627},  // Arabic alef
  };
  for (const auto& c : cases) {
    VIntlMgr* m = new VIntlMgr();
    ASSERT_EQ(m->LoadTables(c.language), 0) << c.language;
    EXPECT_EQ(m->MacCharToUni(c.mac), c.unit) << c.language;
    EXPECT_EQ(m->WinCharToUni(c.win), c.unit) << c.language;
    EXPECT_EQ(m->UniCharToMac(c.unit), c.mac) << c.language;
    EXPECT_EQ(m->UniCharToWin(c.unit), c.win) << c.language;
    delete m;
  }
  // Russian takes the way through UTF-16 for the direct conversion.
  ASSERT_EQ(manager->LoadTables(0x0419), 0);
  const uint8_t mac[] = {0x80, 'b'};
  uint8_t ansi[2] = {0};
  const uint8_t* src = mac;
  uint8_t* dst = ansi;
  EXPECT_TRUE(VIntlMgr::MacToAnsiBytes(src, dst, ansi + 2, 2));
  EXPECT_EQ(ansi[0], 0xC0);
  EXPECT_EQ(ansi[1], 'b');
}

TEST_F(IntlResources, CaseOfBothVariants) {
  ASSERT_EQ(manager->LoadTables(0x0409), 0);
  std::u16string text = u"stra\u00dfe \u00e9t\u00e9 \u03c3\u0436 i";
  std::u16string upper = text;
  manager->ToUpper(upper.data(), int32_t(upper.size()), false);
  // ß has no single capital: it stays.
  EXPECT_EQ(upper, u"STRA\u00dfE \u00c9T\u00c9 \u03a3\u0416 I");
  std::u16string plain = text;
  manager->ToUpper(plain.data(), int32_t(plain.size()), true);
  EXPECT_EQ(plain, u"STRA\u00dfE ETE \u03a3\u0416 I");
  std::u16string lower = u"\u00c9COLE \u00c5";
  manager->ToLower(lower.data(), int32_t(lower.size()), false);
  EXPECT_EQ(lower, u"\u00e9cole \u00e5");
  lower = u"\u00c9COLE \u00c5";
  manager->ToLower(lower.data(), int32_t(lower.size()), true);
  EXPECT_EQ(lower, u"ecole a");
}

TEST_F(IntlResources, TurkishHasItsOwnCaseTables) {
  ASSERT_EQ(manager->LoadTables(0x041F), 0);
  char16_t c = u'i';
  manager->ToUpperChar(c, false);
  EXPECT_EQ(c, 0x0130);
  c = u'I';
  manager->ToLowerChar(c, false);
  EXPECT_EQ(c, 0x0131);
  VIntlMgr* other = new VIntlMgr();
  ASSERT_EQ(other->LoadTables(0x0407), 0);
  c = u'i';
  other->ToUpperChar(c, false);
  EXPECT_EQ(c, u'I');
  delete other;
}

TEST_F(IntlResources, TheFourSets) {
  ASSERT_EQ(manager->LoadTables(0x0409), 0);
  EXPECT_TRUE(manager->IsInUSet(0, u'a'));
  EXPECT_TRUE(manager->IsInUSet(0, 0x00E9));
  EXPECT_TRUE(manager->IsInUSet(0, 0x0436));
  EXPECT_FALSE(manager->IsInUSet(0, u'1'));
  EXPECT_TRUE(manager->IsInUSet(1, u'5'));
  EXPECT_TRUE(manager->IsInUSet(1, 0x0663));
  EXPECT_FALSE(manager->IsInUSet(1, u'x'));
  EXPECT_TRUE(manager->IsInUSet(2, u' '));
  EXPECT_TRUE(manager->IsInUSet(2, u'\t'));
  EXPECT_TRUE(manager->IsInUSet(2, 0x3000));
  EXPECT_FALSE(manager->IsInUSet(2, u'_'));
  EXPECT_TRUE(manager->IsInUSet(3, u'!'));
  EXPECT_TRUE(manager->IsInUSet(3, 0x3001));
  EXPECT_FALSE(manager->IsInUSet(3, u'a'));
}

TEST_F(IntlResources, ComparisonWithTheRealTables) {
  ASSERT_EQ(manager->LoadTables(0x0409), 0);
  auto compare = [&](const std::u16string& a, const std::u16string& b, bool strict) {
    return manager->CompareUniTexts(a.data(), int32_t(a.size()), b.data(), int32_t(b.size()),
                                    strict);
  };
  EXPECT_EQ(compare(u"apple", u"APPLE", false), 0);
  EXPECT_EQ(compare(u"apple", u"APPLE", true), 1);
  EXPECT_EQ(compare(u"\u00c4pfel", u"\u00e4PFEL", false), 0);
  EXPECT_EQ(compare(u"\u00c4pfel", u"Apfel", false), 1);
  EXPECT_EQ(compare(u"\u00c4pfel", u"Birne", false), -1);
  EXPECT_EQ(compare(u"\u00e9cole", u"ecole", false), 1);
  EXPECT_EQ(compare(u"\u00e9cole", u"\u00c9COLE", false), 0);
  EXPECT_EQ(compare(u"\u00e9cole", u"\u00e9c@", false), 0);
}

TEST_F(IntlResources, StartIntlFallsBackWhenTheUsersScriptHasNoTables) {
  const char* savedAll = std::getenv("LC_ALL");
  const std::string keep = savedAll != nullptr ? savedAll : "";
  VIntlMgr* before = gIntlMgr;

  setenv("LC_ALL", "he_IL.UTF-8", 1);
  EXPECT_FALSE(StartIntl());
  ASSERT_NE(gIntlMgr, nullptr);
  EXPECT_EQ(gIntlMgr->GetLanguage(), 0x0409);
  for (int32_t slot = 0; slot < VIntlMgr::kTableCount; ++slot) {
    EXPECT_NE(gIntlMgr->GetTableHandle(VIntlMgr::TableSlot(slot)), 0u) << slot;
  }
  EXPECT_EQ(gIntlMgr->MacCharToUni(0x8E), 0x00E9);
  delete gIntlMgr;

  setenv("LC_ALL", "ja_JP.UTF-8", 1);
  EXPECT_TRUE(StartIntl());
  EXPECT_EQ(gIntlMgr->GetLanguage(), 0x0411);
  delete gIntlMgr;

  gIntlMgr = before;
  if (savedAll != nullptr) {
    setenv("LC_ALL", keep.c_str(), 1);
  } else {
    unsetenv("LC_ALL");
  }
}

TEST_F(IntlResources, TablesCutShortAreNeverReadPastTheirEnd) {
  const std::vector<uint8_t> toUni = Native(FourCC("macu"), 1);
  const std::vector<uint8_t> fromUni = Native(FourCC("umac"), 1);
  const std::vector<uint8_t> upper = Native(FourCC("uprn"), 0);
  ASSERT_FALSE(toUni.empty());
  ASSERT_FALSE(fromUni.empty());
  ASSERT_FALSE(upper.empty());
  for (size_t divisor : {1000u, 7u, 3u, 2u}) {
    // Each cut is a heap block of exactly its size.
    const std::vector<uint8_t> a(toUni.begin(), toUni.begin() + toUni.size() / divisor);
    const std::vector<uint8_t> b(fromUni.begin(), fromUni.begin() + fromUni.size() / divisor);
    const std::vector<uint8_t> c(upper.begin(), upper.begin() + upper.size() / divisor);
    const TextTables::Table ta{a.data(), uint32_t(a.size())};
    const TextTables::Table tb{b.data(), uint32_t(b.size())};
    const TextTables::Table tc{c.data(), uint32_t(c.size())};
    for (int lead = 0x80; lead < 0x100; ++lead) {
      for (int trail = 0x3F; trail < 0x100; trail += 0x21) {
        const uint8_t bytes[2] = {uint8_t(lead), uint8_t(trail)};
        char16_t unit = 0;
        size_t consumed = 0;
        TextTables::ByteToUni(ta, bytes, 2, unit, consumed);
        ASSERT_GE(consumed, 1u);
        ASSERT_LE(consumed, 2u);
      }
    }
    for (uint32_t u = 0x80; u < 0x10000; u += 7) {
      const uint8_t* form = nullptr;
      ASSERT_LE(TextTables::UniToBytes(tb, char16_t(u), form), 2u);
      TextTables::MapCase(tc, char16_t(u));
    }
  }
}
