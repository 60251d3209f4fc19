// Readers of the international text tables, over their bytes in native order.
// Every read is checked against the table's size: a short or corrupt table
// answers "no mapping", never a read outside its bytes.
#pragma once

#include <cstddef>
#include <cstdint>

// The table forms, fields 16-bit in native order:
//   byte-to-UTF-16  maxBytes; when 1: 256 units indexed by the byte (0: no
//                   unit); otherwise count, then count entries sorted by their
//                   byte sequences, each a unit and a field of W bytes.
//   UTF-16-to-byte  maxBytes, count, then count ranges in ascending order:
//                   first, last, then last - first + 1 fields of W bytes.
//   case            count, then count ranges: first, last, then
//                   last - first + 1 replacement units.
//   set             count, then count (first, last) pairs.
// W is maxBytes rounded up to even; a byte sequence shorter than maxBytes
// ends with a zero byte, and a field starting with a zero byte is empty.
namespace TextTables {

struct Table {
  const uint8_t* data = nullptr;  // null: the table is missing
  uint32_t size = 0;
};

// Converts the character that starts at `src`, of which at most `available`
// bytes may be read (SIZE_MAX for a zero-terminated source: the lookup never
// reads past a zero byte). Stores the bytes it takes (at least 1) in
// `consumed`; answers true and sets `unit` when the character has a unit.
bool ByteToUni(const Table& table, const uint8_t* src, size_t available, char16_t& unit,
               size_t& consumed);

// The byte form of `unit`: answers its length (0 when it has none, at most
// the table's maxBytes) and points `bytes` at it. Units up to 0x7F are their
// own byte.
uint32_t UniToBytes(const Table& table, char16_t unit, const uint8_t*& bytes);

// The longest byte form of the table (its maxBytes; 1 without a table).
uint32_t MaxBytes(const Table& table);

// `unit` through a case table; unchanged outside every range.
char16_t MapCase(const Table& table, char16_t unit);

// Whether `unit` lies in one of a set table's pairs.
bool InSet(const Table& table, char16_t unit);

}  // namespace TextTables
