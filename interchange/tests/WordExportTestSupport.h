// What the Word export tests share: a document written into bytes, the
// streams of the written file, and the little-endian fields inside them.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "framework/core/tests/StringTestSupport.h"
#include "interchange/ole/xMorvaOleFile.h"
#include "interchange/tests/OleTestSupport.h"
#include "interchange/tests/RtfTestSupport.h"
#include "interchange/word/xMorvaExportWord.h"
#include "platform/bytes/ByteOrder.h"

namespace wordtest {

using oletest::Bytes;

// The whole file the export wrote, and its code.
inline Bytes ExportWordBytes(xMorvaDocument& document, int32_t* code = nullptr) {
  oletest::MemoryFile file;
  xMorvaExportWord writer;
  const int32_t result = writer.ExportWordDocument(&document, &file.Stream());
  if (code != nullptr) *code = result;
  else EXPECT_EQ(0, result);
  return file.Contents();
}

// Text tables that know e-acute as Mac OS Roman 0x8E (and Windows 0xE9),
// as the real sets do, and no other letter above ASCII, installed while
// they live.
struct AccentTables : FakeIntlMgr {
  AccentTables() : previous(std::exchange(gIntlMgr, this)) {
    tables[{FourCC("macu"), 0}] = string_tests::AccentsToUni(0x8E, 0x83);
    tables[{FourCC("umac"), 0}] = string_tests::AccentsFromUni(0x8E, 0x83);
    LoadTables(kLanguageUSEnglish);
  }
  ~AccentTables() override { gIntlMgr = previous; }
  VIntlMgr* const previous;
};

// A stream of a compound file held in bytes; empty when it is missing.
inline Bytes StreamOf(const Bytes& file, std::u16string_view name) {
  oletest::MemoryFile memory(file);
  xMorvaOleFile ole(memory.Stream());
  if (ole.OpenForReading() != 0) return {};
  VStream* stream = nullptr;
  if (ole.OpenStream(name, stream) != 0) return {};
  Bytes bytes = oletest::ReadAll(*stream);
  ole.CloseStream(stream);
  return bytes;
}

inline uint16_t U16(const Bytes& b, size_t at) { return at + 2 <= b.size() ? LoadLE16(b.data() + at) : 0xDEAD; }
inline uint32_t U32(const Bytes& b, size_t at) { return at + 4 <= b.size() ? LoadLE32(b.data() + at) : 0xDEADBEEF; }

// The fc and lcb of a pair of the FIB.
inline uint32_t Fc(const Bytes& main, uint16_t pair) { return U32(main, 154 + 8 * size_t(pair)); }
inline uint32_t Lcb(const Bytes& main, uint16_t pair) { return U32(main, 158 + 8 * size_t(pair)); }
inline Bytes Table(const Bytes& main, const Bytes& table, uint16_t pair) {
  const uint32_t fc = Fc(main, pair), lcb = Lcb(main, pair);
  if (size_t(fc) + lcb > table.size()) return {};
  return Bytes(table.begin() + fc, table.begin() + fc + lcb);
}

// The written text: ccpText + ccpHdd (+ the guard) characters from fcMin.
inline std::u16string WordTextOf(const Bytes& main) {
  const uint32_t fcMin = U32(main, 24), fcMac = U32(main, 28);
  std::u16string text;
  for (uint32_t at = fcMin; at + 2 <= fcMac && at + 2 <= main.size(); at += 2) text += char16_t(U16(main, at));
  return text;
}

// The property at the first character of `word` in the body.
inline int32_t PropertyOfText(xMorvaDocument& document, const std::u16string& word, uint16_t id) {
  const std::vector<rtftest::Position> positions = rtftest::Positions(document, kPartBody);
  std::u16string text;
  for (const rtftest::Position& p : positions) text += p.unit;
  const size_t at = text.find(word);
  EXPECT_NE(std::u16string::npos, at);
  return at == std::u16string::npos ? -999 : positions[at].properties.at(id);
}

inline std::vector<uint32_t> TabsOfText(xMorvaDocument& document, const std::u16string& word) {
  const std::vector<rtftest::Position> positions = rtftest::Positions(document, kPartBody);
  std::u16string text;
  for (const rtftest::Position& p : positions) text += p.unit;
  const size_t at = text.find(word);
  EXPECT_NE(std::u16string::npos, at);
  return at == std::u16string::npos ? std::vector<uint32_t>{} : positions[at].tabs;
}

}  // namespace wordtest
