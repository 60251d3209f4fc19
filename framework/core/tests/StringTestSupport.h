// Test support for the string operations: a text-table set made in memory
// (e-acute is Macintosh 0x8E and ANSI 0xE9, E-acute Macintosh 0x83 and ANSI
// 0xC9, as in the real sets; U+4E00 has no byte form in either; the case tables know the ASCII letters and
// U+00C9 / U+00E9), installed as the international text manager for the
// life of a fixture, and readers of a string's text.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "framework/core/intl/VIntlMgr.h"
#include "framework/core/strings/VString.h"
#include "framework/core/tests/IntlTestTables.h"

namespace string_tests {

// A byte-to-UTF-16 table of single bytes: ASCII, `lower` as U+00E9 and
// `upper` as U+00C9.
inline std::vector<uint8_t> AccentsToUni(uint8_t lower, uint8_t upper) {
  TableBytes t;
  t.u16(1);
  for (int b = 0; b < 256; ++b) t.u16(b < 0x80 ? uint16_t(b) : b == lower ? 0x00E9 : b == upper ? 0x00C9 : 0);
  return t.bytes;
}

// The reverse: U+00C9 and U+00E9 as their bytes, nothing else above ASCII.
inline std::vector<uint8_t> AccentsFromUni(uint8_t lower, uint8_t upper) {
  TableBytes t;
  t.u16(1).u16(2);
  t.u16(0x00C9).u16(0x00C9).raw({upper, 0x00});
  t.u16(0x00E9).u16(0x00E9).raw({lower, 0x00});
  return t.bytes;
}

class WithTextTables : public testing::Test {
 protected:
  void SetUp() override {
    fTables = new FakeIntlMgr;
    fTables->tables[{FourCC("macu"), 0}] = AccentsToUni(0x8E, 0x83);
    fTables->tables[{FourCC("umac"), 0}] = AccentsFromUni(0x8E, 0x83);
    fTables->tables[{FourCC("winu"), 0}] = AccentsToUni(0xE9, 0xC9);
    fTables->tables[{FourCC("uwin"), 0}] = AccentsFromUni(0xE9, 0xC9);
    fTables->tables[{FourCC("lwrn"), 0}] = TestCaseTable(false, false);
    fTables->tables[{FourCC("lwra"), 0}] = TestCaseTable(false, true);
    fTables->tables[{FourCC("uprn"), 0}] = TestCaseTable(true, false);
    fTables->tables[{FourCC("upra"), 0}] = TestCaseTable(true, true);
    for (int16_t set = 0; set < 4; ++set) fTables->tables[{FourCC("uset"), set}] = TestSet('a', 'z');
    ASSERT_EQ(fTables->LoadTables(kLanguageUSEnglish), 0);
    fPrevious = gIntlMgr;
    gIntlMgr = fTables;
  }
  void TearDown() override {
    gIntlMgr = fPrevious;
    delete fTables;
  }

 private:
  FakeIntlMgr* fTables = nullptr;
  VIntlMgr* fPrevious = nullptr;
};

// The text as UTF-16, character by character.
inline std::u16string Text(const VString& s) {
  std::u16string text;
  for (int32_t i = 1; i <= s.GetLength(); ++i) text.push_back(s.GetCharAt(i));
  return text;
}

// The stored units or bytes as they lie in the string's buffer.
inline std::u16string Units(const VString& s) {
  std::u16string text(static_cast<const char16_t*>(s.GetBuffer()), static_cast<size_t>(s.GetLength()));
  s.ReleaseBuffer();
  return text;
}
inline std::string Bytes(const VString& s) {
  std::string text(static_cast<const char*>(s.GetBuffer()), static_cast<size_t>(s.GetLength()));
  s.ReleaseBuffer();
  return text;
}

// Sets ASCII text in the string's own kind, not null.
inline void Set(VString& s, const char* text) { s.SetCText(text, kCharSetOwn); }

inline std::u16string Repeat(char16_t c, size_t n) { return std::u16string(n, c); }

}  // namespace string_tests
