// The grammar of a text's element stream: 16-bit units stored low byte
// first, whatever the machine's order; 8-byte property records (0, id,
// value); special elements with a 12-byte head (0, code, a, b) and a payload
// of a bytes. Items are read with the byte accessors below, never through a
// structure laid over the bytes, and every size is bounded by what remains.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

#include "framework/core/intl/WordScripts.h"
#include "platform/bytes/ByteOrder.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Special element codes: xMorvaElementCode::Tab and so on, plain numbers.
struct xMorvaElementCode {
  enum : uint16_t {
    Tab = 16000,
    Pict = 16001,
    PageNumber = 24000,
    ExprQv = 24001,
    SoftHyphen = 24002,
    ColBreak = 24003,
    PageBreak = 24004,
    DateTime = 24005,
    Hyperlink = 24006,
    HTMLExpression = 24007,
    HTMLExpression2 = 24008,
  };
};

// Units and codes of the stream.
constexpr char16_t kUnitParagraphEnd = 13;
constexpr char16_t kUnitMarker = 7;
// Codes from here on are special elements; below, property ids.
constexpr uint16_t kFirstElementCode = 16000;
// Codes from here on show the tail of their payload as text.
constexpr uint16_t kFirstComputedCode = 23999;
constexpr uint32_t kRecordSize = 8;
constexpr uint32_t kElementHeadSize = 12;

// The stream's words are little-endian: its names for the shared byte-order
// helpers, so a reader of the grammar sees which word it takes.
inline uint16_t StreamUnit(const uint8_t* at) { return LoadLE16(at); }
inline uint32_t StreamLong(const uint8_t* at) { return LoadLE32(at); }
inline void PutStreamUnit(uint8_t* at, uint16_t value) { StoreLE16(at, value); }
inline void PutStreamLong(uint8_t* at, uint32_t value) { StoreLE32(at, value); }

// Writes the record (0, id, value) into 8 bytes.
inline void PutPropertyRecord(uint8_t* at, uint16_t id, uint32_t value) {
  PutStreamUnit(at, 0);
  PutStreamUnit(at + 2, id);
  PutStreamLong(at + 4, value);
}

// Whether one of the four units of a word read from the stream is 0 (the
// units are little-endian, as the words of this machine).
inline bool HasZeroUnit(uint64_t word) {
  return ((word - 0x0001000100010001u) & ~word & 0x8000800080008000u) != 0;
}

// The first of the units from `at` (at most `size`) whose bits under
// `mask` are all clear, eight units at a time (`found` set); where the
// whole blocks end when none is.
inline uint32_t SkipUnitsWithBits(const uint8_t* s, uint32_t at, uint32_t size, uint16_t mask,
                                  bool& found) {
  found = false;
#if defined(__SSE2__)
  if constexpr (std::endian::native == std::endian::little) {
    const __m128i bits = _mm_set1_epi16(int16_t(mask));
    const __m128i zero = _mm_setzero_si128();
    while (size - at >= 16) {
      const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + at));
      const int stops = _mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(units, bits), zero));
      if (stops != 0) {
        found = true;
        return at + uint32_t(std::countr_zero(unsigned(stops)));
      }
      at += 16;
    }
  }
#else
  (void)s;
  (void)size;
  (void)mask;
#endif
  return at;
}

// The end of the run of character units (any unit but 0) that begins at
// `at` (at most `size`): the bulk of a text, stepped over many units at a
// time without reading it item by item.
inline uint32_t SkipCharacterUnits(const uint8_t* s, uint32_t at, uint32_t size) {
  bool found = false;
  at = SkipUnitsWithBits(s, at, size, 0xFFFF, found);
  if (found) return at;
  if constexpr (std::endian::native == std::endian::little) {
    while (size - at >= 8) {
      uint64_t word;
      std::memcpy(&word, s + at, sizeof word);
      if (HasZeroUnit(word)) break;
      at += 8;
    }
  }
  while (size - at >= 2 && (s[at] | s[at + 1]) != 0) at += 2;
  return at;
}

// The same for the units from 32 on: ordinary characters, not a paragraph
// end, a control character or the 0 of an item.
inline uint32_t SkipOrdinaryUnits(const uint8_t* s, uint32_t at, uint32_t size) {
  bool found = false;
  at = SkipUnitsWithBits(s, at, size, 0xFFE0, found);
  if (found) return at;
  if constexpr (std::endian::native == std::endian::little) {
    while (size - at >= 8) {
      uint64_t word;
      std::memcpy(&word, s + at, sizeof word);
      // A unit below 32 has none of its upper eleven bits set.
      if (HasZeroUnit(word & 0xFFE0FFE0FFE0FFE0u)) break;
      at += 8;
    }
  }
  while (size - at >= 2 && StreamUnit(s + at) >= 32) at += 2;
  return at;
}

inline bool IsBreakCode(uint16_t code) { return code == xMorvaElementCode::ColBreak || code == xMorvaElementCode::PageBreak; }
// 32 and U+2000 to U+200B.
inline bool IsSpaceUnit(char16_t unit) { return unit == 32 || (unit >= 0x2000 && unit <= 0x200B); }
// The halves of a surrogate pair: a character beyond the Basic Multilingual
// Plane is the two units, high then low, and is measured, drawn, moved over
// and deleted as one.
inline bool IsHighSurrogateUnit(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
inline bool IsLowSurrogateUnit(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// One item of the stream as a walker meets it.
struct StreamItem {
  enum Kind : uint8_t { kUnit, kRecord, kElement };
  Kind kind = kUnit;
  uint16_t unit = 0;   // the unit, the record's id or the element's code
  uint32_t value = 0;  // a record's value
  uint32_t size = 0;   // bytes to step over it, never beyond the stream
  uint32_t skipSize = 0;  // the same for a text walker
};

// Reads the item at `at` with `remaining` bytes of stream behind it (at
// least 1). An item whose head or payload runs past the stream is cut
// there: its sizes end the walk at the stream's end and nothing is read
// beyond it.
inline StreamItem ReadStreamItem(const uint8_t* at, uint32_t remaining) {
  StreamItem item;
  if (remaining < 2) {
    item.size = item.skipSize = remaining;
    item.kind = StreamItem::kRecord;  // a stray byte: no position
    item.unit = 0xFFFF;
    return item;
  }
  item.unit = StreamUnit(at);
  if (item.unit != 0) {
    item.size = item.skipSize = 2;
    return item;
  }
  if (remaining < kRecordSize) {
    item.kind = StreamItem::kRecord;
    item.unit = 0xFFFF;
    item.size = item.skipSize = remaining;
    return item;
  }
  item.unit = StreamUnit(at + 2);
  if (item.unit < kFirstElementCode) {
    item.kind = StreamItem::kRecord;
    item.value = StreamLong(at + 4);
    item.size = item.skipSize = kRecordSize;
    return item;
  }
  item.kind = StreamItem::kElement;
  if (remaining < kElementHeadSize) {
    item.size = item.skipSize = remaining;
    return item;
  }
  const uint64_t a = StreamLong(at + 4);
  const uint64_t b = StreamLong(at + 8);
  const uint64_t whole = kElementHeadSize + a;
  const uint64_t skip = item.unit >= kFirstComputedCode ? kElementHeadSize + (b < a ? b : a) : whole;
  item.size = whole < remaining ? uint32_t(whole) : remaining;
  item.skipSize = skip < remaining ? uint32_t(skip) : remaining;
  return item;
}

// The offset of the first unit or element at or after the offset of a
// stream of `size` bytes, past the records that stand there.
inline uint32_t PastRecords(const uint8_t* stream, uint32_t at, uint32_t size) {
  while (at < size) {
    const StreamItem item = ReadStreamItem(stream + at, size - at);
    if (item.kind != StreamItem::kRecord) break;
    at += item.size;
  }
  return at;
}

// The unit there; 0 where an element or the stream's end comes first.
inline char16_t UnitPastRecords(const uint8_t* stream, uint32_t at, uint32_t size) {
  at = PastRecords(stream, at, size);
  return at + 2 <= size ? StreamUnit(stream + at) : 0;
}

// Whether the unit there is the high unit of a pair (records between the
// two units do not part them).
inline bool StartsPair(const uint8_t* stream, uint32_t at, uint32_t size) {
  at = PastRecords(stream, at, size);
  return at + 2 <= size && IsHighSurrogateUnit(StreamUnit(stream + at)) &&
         IsLowSurrogateUnit(UnitPastRecords(stream, at + 2, size));
}

// The word-character table: one bit per unit value, set for a unit that
// belongs to words. All clear until the package loads it. Two word
// characters of different scripts side by side still belong to different
// words (framework/core/intl/WordScripts.h).
bool IsWordCharacter(char16_t unit);
// A word character that goes with the unit before it (WordScripts.h): in
// that unit's word, and no word's where that unit is no word's.
inline bool IsJoiningWordUnit(char16_t unit) { return JoinsUnitBefore(unit) && IsWordCharacter(unit); }
// Copies 8192 bytes of table and adds the two units of the ideographs
// beyond the BMP, which it cannot hold, and the joiners, which it leaves
// out (WordScripts.h); null clears it.
void SetWordCharacters(const uint8_t* table);
