// Where two word characters side by side belong to different words: at a
// change between CJK (ideographs, kana, Hangul) and the other scripts, as
// the Unicode word rules and the browsers have it, so that "Tokyo東京" is
// two words while a run of CJK stays one. A combining mark goes with the
// letter before it, and a character beyond the BMP is judged by its code
// point: its high unit tells the plane, and the ideographs of planes 2 and
// 3 (U+20000 to U+3FFFF, units D840 to D8BF) are CJK word characters whose
// low unit goes with them. The text engine's table says which units are
// word characters at all; the search, the word bounds of the caret (double
// click, word keys) and typing all part words here.
#pragma once

#include <cstdint>

enum class VWordScript : uint8_t {
  // Goes with the unit before it (combining marks, joiners, variation
  // selectors, the low unit of a surrogate pair), or a high unit of no
  // word character; also a word with no unit of a script yet.
  kEither,
  kCJK,
  kOther,
};

constexpr bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// The high unit of an ideograph of planes 2 and 3.
constexpr bool IsIdeographHighSurrogate(char16_t unit) { return unit >= 0xD840 && unit <= 0xD8BF; }

constexpr char16_t kZeroWidthNonJoiner = 0x200C;
constexpr char16_t kZeroWidthJoiner = 0x200D;

// Units that are word characters beside the table, which holds the BMP's
// letters, digits and marks alone: the two units of an ideograph beyond
// it, and the joiners (ZWNJ and ZWJ), which stand inside words (Persian
// compounds). A unit that goes with the one before it (a low unit, a joiner, a mark, a
// selector) is no word's where that one is no word's (the engine and the
// search see to that).
constexpr bool IsWordUnitBesideTheTable(char16_t unit) {
  return IsIdeographHighSurrogate(unit) || IsLowSurrogate(unit) || unit == kZeroWidthNonJoiner ||
         unit == kZeroWidthJoiner;
}

// The script of a word character as far as word bounds go.
constexpr VWordScript WordScriptOf(char16_t unit) {
  if (unit < 0x0300) return VWordScript::kOther;
  if (IsIdeographHighSurrogate(unit)) return VWordScript::kCJK;
  if (unit <= 0x036F || (unit >= 0x1AB0 && unit <= 0x1AFF) || (unit >= 0x1DC0 && unit <= 0x1DFF) ||
      (unit >= 0x200C && unit <= 0x200D) || (unit >= 0x20D0 && unit <= 0x20FF) || (unit >= 0xD800 && unit <= 0xDFFF) ||
      (unit >= 0xFE00 && unit <= 0xFE0F) || (unit >= 0xFE20 && unit <= 0xFE2F))
    return VWordScript::kEither;
  if ((unit >= 0x1100 && unit <= 0x11FF) ||  // Hangul jamo
      (unit >= 0x2E80 && unit <= 0x2FDF) ||  // radicals
      (unit >= 0x3005 && unit <= 0x3007) ||  // iteration mark, closing mark, zero
      (unit >= 0x3021 && unit <= 0x3029) || (unit >= 0x3038 && unit <= 0x303B) ||
      (unit >= 0x3040 && unit <= 0x31FF) ||  // kana, bopomofo, compatibility jamo
      (unit >= 0x3400 && unit <= 0x4DBF) || (unit >= 0x4E00 && unit <= 0x9FFF) ||  // ideographs
      (unit >= 0xA960 && unit <= 0xA97F) || (unit >= 0xAC00 && unit <= 0xD7FF) ||  // Hangul
      (unit >= 0xF900 && unit <= 0xFAFF) ||  // compatibility ideographs
      (unit >= 0xFF66 && unit <= 0xFFDC))    // half-width kana and Hangul
    return VWordScript::kCJK;
  return VWordScript::kOther;
}

// Whether a unit goes with the one before it (WordScriptOf is kEither),
// the units of the BMP's letters, CJK and punctuation between U+2100 and
// U+D7FF answered at once.
constexpr bool JoinsUnitBefore(char16_t unit) {
  return unit >= 0x0300 && (unit < 0x2100 || unit >= 0xD800) && WordScriptOf(unit) == VWordScript::kEither;
}

// Whether a word whose units so far are of script `word` ends before a
// word character of script `next`.
constexpr bool WordScriptsPart(VWordScript word, VWordScript next) {
  return word != VWordScript::kEither && next != VWordScript::kEither && word != next;
}
