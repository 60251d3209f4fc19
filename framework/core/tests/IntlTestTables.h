// Test support for the international text manager: small tables built in
// memory in native order, and a manager that takes its tables from them and
// records every table it asks for.
#pragma once

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <map>
#include <utility>
#include <vector>

#include "framework/core/intl/VIntlMgr.h"
#include "framework/core/memory/VMemoryMgr.h"

struct TableBytes {
  std::vector<uint8_t> bytes;
  TableBytes& u16(uint16_t v) {
    uint8_t b[2];
    std::memcpy(b, &v, 2);
    bytes.push_back(b[0]);
    bytes.push_back(b[1]);
    return *this;
  }
  TableBytes& raw(std::initializer_list<uint8_t> list) {
    bytes.insert(bytes.end(), list);
    return *this;
  }
};

class FakeIntlMgr : public VIntlMgr {
 public:
  using Key = std::pair<uint32_t, int16_t>;

  VMemHandle LoadTable(uint32_t type, int16_t id) override {
    requests.push_back({type, id});
    auto found = tables.find({type, id});
    if (found == tables.end()) return 0;
    return gMemoryMgr->NewHandleFromData(found->second.data(), uint32_t(found->second.size()));
  }

  std::map<Key, std::vector<uint8_t>> tables;
  std::vector<Key> requests;
};

// A single-byte script for tests: bytes 0x80 to 0xFF stand for U+0100 + byte,
// except 0x8E (U+00E9) and 0x81 (no character); back from UTF-16 likewise.
inline std::vector<uint8_t> TestSingleByteToUni() {
  TableBytes t;
  t.u16(1);
  for (int b = 0; b < 256; ++b) {
    if (b < 0x80) {
      t.u16(uint16_t(b));
    } else if (b == 0x8E) {
      t.u16(0x00E9);
    } else if (b == 0x81) {
      t.u16(0);
    } else {
      t.u16(uint16_t(0x100 + b));
    }
  }
  return t.bytes;
}

inline std::vector<uint8_t> TestUniToSingleByte() {
  TableBytes t;
  t.u16(1).u16(2);
  t.u16(0x00E9).u16(0x00E9).raw({0x8E, 0x00});
  t.u16(0x0180).u16(0x01FF);
  for (int b = 0x80; b < 0x100; ++b) {
    const bool none = b == 0x8E || b == 0x81;
    t.raw({uint8_t(none ? 0 : b), 0x00});
  }
  return t.bytes;
}

// A double-byte script for tests, in the manner of Shift-JIS: 0x81 0x40 is
// U+3000, 0x88 0x9F U+4E9C, 0xA1 alone U+FF61; back from UTF-16 likewise.
inline std::vector<uint8_t> TestDoubleByteToUni() {
  TableBytes t;
  t.u16(2).u16(3);
  t.u16(0x3000).raw({0x81, 0x40});
  t.u16(0x4E9C).raw({0x88, 0x9F});
  t.u16(0xFF61).raw({0xA1, 0x00});
  return t.bytes;
}

inline std::vector<uint8_t> TestUniToDoubleByte() {
  TableBytes t;
  t.u16(2).u16(3);
  t.u16(0x3000).u16(0x3000).raw({0x81, 0x40});
  t.u16(0x4E9C).u16(0x4E9C).raw({0x88, 0x9F});
  t.u16(0xFF61).u16(0xFF61).raw({0xA1, 0x00});
  return t.bytes;
}

// Case tables: ASCII letters, and 0xC9 / 0xE9 (with accents kept or, in the
// accent-free variants, removed).
inline std::vector<uint8_t> TestCaseTable(bool upper, bool noAccents) {
  TableBytes t;
  t.u16(3);
  const uint16_t from = upper ? 0x61 : 0x41;
  const uint16_t to = upper ? 0x41 : 0x61;
  t.u16(from).u16(from + 25);
  for (int i = 0; i < 26; ++i) t.u16(uint16_t(to + i));
  const uint16_t plainE = upper ? 0x45 : 0x65;
  const uint16_t accented = upper ? 0xC9 : 0xE9;
  t.u16(0xC9).u16(0xC9).u16(noAccents ? plainE : accented);
  t.u16(0xE9).u16(0xE9).u16(noAccents ? plainE : accented);
  return t.bytes;
}

inline std::vector<uint8_t> TestSet(uint16_t first, uint16_t last) {
  TableBytes t;
  t.u16(1).u16(first).u16(last);
  return t.bytes;
}

// Every table of one language: script `script` with the given conversion
// tables, case tables under id 0, and the four sets (letters a-z, digits,
// space, '!'..'/').
inline void AddTestTables(FakeIntlMgr& m, int16_t script, bool doubleByte) {
  m.tables[{FourCC("macu"), script}] = doubleByte ? TestDoubleByteToUni() : TestSingleByteToUni();
  m.tables[{FourCC("umac"), script}] = doubleByte ? TestUniToDoubleByte() : TestUniToSingleByte();
  m.tables[{FourCC("winu"), script}] = doubleByte ? TestDoubleByteToUni() : TestSingleByteToUni();
  m.tables[{FourCC("uwin"), script}] = doubleByte ? TestUniToDoubleByte() : TestUniToSingleByte();
  m.tables[{FourCC("lwrn"), 0}] = TestCaseTable(false, false);
  m.tables[{FourCC("lwra"), 0}] = TestCaseTable(false, true);
  m.tables[{FourCC("uprn"), 0}] = TestCaseTable(true, false);
  m.tables[{FourCC("upra"), 0}] = TestCaseTable(true, true);
  m.tables[{FourCC("uset"), 0}] = TestSet('a', 'z');
  m.tables[{FourCC("uset"), 1}] = TestSet('0', '9');
  m.tables[{FourCC("uset"), 2}] = TestSet(' ', ' ');
  m.tables[{FourCC("uset"), 3}] = TestSet('!', '/');
}
