// Readers of the international text tables: bounded lookups of byte sequences,
// byte forms, case replacements and set membership.
#include "framework/core/intl/TextTables.h"

#include <cstring>

namespace TextTables {
namespace {

// Units up to 0x7F are ASCII in every script: each is its own byte.
constexpr uint8_t kAscii[128] = {
    0,   1,   2,   3,   4,   5,   6,   7,   8,   9,   10,  11,  12,  13,  14,  15,
    16,  17,  18,  19,  20,  21,  22,  23,  24,  25,  26,  27,  28,  29,  30,  31,
    32,  33,  34,  35,  36,  37,  38,  39,  40,  41,  42,  43,  44,  45,  46,  47,
    48,  49,  50,  51,  52,  53,  54,  55,  56,  57,  58,  59,  60,  61,  62,  63,
    64,  65,  66,  67,  68,  69,  70,  71,  72,  73,  74,  75,  76,  77,  78,  79,
    80,  81,  82,  83,  84,  85,  86,  87,  88,  89,  90,  91,  92,  93,  94,  95,
    96,  97,  98,  99,  100, 101, 102, 103, 104, 105, 106, 107, 108, 109, 110, 111,
    112, 113, 114, 115, 116, 117, 118, 119, 120, 121, 122, 123, 124, 125, 126, 127};

// The one checked read: a 16-bit field at `offset`, false when it does not
// lie wholly inside the table.
bool Read16(const Table& t, size_t offset, uint16_t& value) {
  if (t.data == nullptr || offset > t.size || t.size - offset < 2) return false;
  std::memcpy(&value, t.data + offset, 2);
  return true;
}

size_t FieldWidth(uint16_t maxBytes) { return (size_t(maxBytes) + 1) & ~size_t(1); }

// Compares the source with one entry's byte sequence. Answers 0 on a match
// (and the sequence's length in `length`), below 0 when the source sorts
// before the entry, above 0 after it. A source that ends inside the sequence
// sorts before it: a lead byte at the end of the input matches nothing.
int CompareSequence(const uint8_t* src, size_t available, const uint8_t* seq, uint16_t maxBytes,
                    size_t& length) {
  for (size_t i = 0; i < maxBytes; ++i) {
    uint8_t e = seq[i];
    if (e == 0) {
      // An empty sequence can match nothing (it would take no byte); it
      // sorts before every source.
      if (i == 0) return 1;
      length = i;
      return 0;
    }
    if (i >= available) return -1;
    uint8_t s = src[i];
    if (s != e) return s < e ? -1 : 1;
  }
  length = maxBytes;
  return 0;
}

}  // namespace

bool ByteToUni(const Table& table, const uint8_t* src, size_t available, char16_t& unit,
               size_t& consumed) {
  consumed = 1;
  if (available == 0) return false;
  uint8_t first = src[0];
  if (first < 0x80) {
    unit = first;
    return true;
  }
  uint16_t maxBytes = 0;
  if (!Read16(table, 0, maxBytes) || maxBytes == 0) return false;
  if (maxBytes == 1) {
    uint16_t value = 0;
    if (!Read16(table, 2 + 2 * size_t(first), value) || value == 0) return false;
    unit = value;
    return true;
  }
  uint16_t count = 0;
  if (!Read16(table, 2, count)) return false;
  // The entries lie behind the two counts; a count that claims more than the
  // table holds is cut to the whole entries present.
  const size_t entrySize = 2 + FieldWidth(maxBytes);
  const size_t present = (table.size - 4) / entrySize;
  size_t low = 0;
  size_t high = count < present ? count : present;
  while (low < high) {
    size_t mid = low + (high - low) / 2;
    const uint8_t* entry = table.data + 4 + mid * entrySize;
    size_t length = 0;
    int order = CompareSequence(src, available, entry + 2, maxBytes, length);
    if (order == 0) {
      uint16_t value;
      std::memcpy(&value, entry, 2);
      unit = value;
      consumed = length;
      return true;
    }
    if (order < 0) {
      high = mid;
    } else {
      low = mid + 1;
    }
  }
  return false;
}

uint32_t UniToBytes(const Table& table, char16_t unit, const uint8_t*& bytes) {
  if (unit <= 0x7F) {
    bytes = kAscii + unit;
    return 1;
  }
  uint16_t maxBytes = 0;
  uint16_t count = 0;
  if (!Read16(table, 0, maxBytes) || !Read16(table, 2, count) || maxBytes == 0) return 0;
  const size_t width = FieldWidth(maxBytes);
  size_t position = 4;
  for (uint16_t r = 0; r < count; ++r) {
    uint16_t first = 0;
    uint16_t last = 0;
    if (!Read16(table, position, first) || !Read16(table, position + 2, last)) return 0;
    if (unit < first) return 0;
    const size_t fields = last >= first ? size_t(last - first) + 1 : 0;
    if (unit <= last) {
      const size_t offset = position + 4 + size_t(unit - first) * width;
      if (offset > table.size || table.size - offset < width) return 0;
      const uint8_t* field = table.data + offset;
      uint32_t length = 0;
      while (length < maxBytes && field[length] != 0) ++length;
      bytes = field;
      return length;
    }
    position += 4 + fields * width;
  }
  return 0;
}

uint32_t MaxBytes(const Table& table) {
  uint16_t maxBytes = 0;
  if (!Read16(table, 0, maxBytes) || maxBytes == 0) return 1;
  return maxBytes;
}

char16_t MapCase(const Table& table, char16_t unit) {
  uint16_t count = 0;
  if (!Read16(table, 0, count)) return unit;
  size_t position = 2;
  for (uint16_t r = 0; r < count; ++r) {
    uint16_t first = 0;
    uint16_t last = 0;
    if (!Read16(table, position, first) || !Read16(table, position + 2, last)) return unit;
    if (unit < first) return unit;
    if (unit <= last) {
      uint16_t value = unit;
      if (!Read16(table, position + 4 + 2 * size_t(unit - first), value)) return unit;
      return value;
    }
    position += 4 + 2 * (last >= first ? size_t(last - first) + 1 : 0);
  }
  return unit;
}

bool InSet(const Table& table, char16_t unit) {
  uint16_t count = 0;
  if (!Read16(table, 0, count)) return false;
  for (uint16_t p = 0; p < count; ++p) {
    uint16_t first = 0;
    uint16_t last = 0;
    if (!Read16(table, 2 + 4 * size_t(p), first) || !Read16(table, 4 + 4 * size_t(p), last)) {
      return false;
    }
    if (first <= unit && unit <= last) return true;
  }
  return false;
}

}  // namespace TextTables
