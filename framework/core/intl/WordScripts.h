// Where two word characters side by side belong to different words: at a
// change between CJK (ideographs, kana, Hangul) and the other scripts, as
// the Unicode word rules and the browsers have it, so that "Tokyo東京" is
// two words while a run of CJK stays one. The text engine's table says
// which units are word characters at all; the search, the word bounds of
// the caret (double click, word keys) and typing all part words here.
#pragma once

#include <cstdint>

enum class VWordScript : uint8_t {
  // Goes with the unit before it (combining marks, joiners, variation
  // selectors) or cannot be told from one unit (a surrogate); also a word
  // with no unit of a script yet.
  kEither,
  kCJK,
  kOther,
};

// The script of a word character as far as word bounds go.
constexpr VWordScript WordScriptOf(char16_t unit) {
  if (unit < 0x0300) return VWordScript::kOther;
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

// Whether a word whose units so far are of script `word` ends before a
// word character of script `next`.
constexpr bool WordScriptsPart(VWordScript word, VWordScript next) {
  return word != VWordScript::kEither && next != VWordScript::kEither && word != next;
}

// Whether two word characters side by side belong to different words.
constexpr bool WordScriptsPart(char16_t before, char16_t after) {
  return WordScriptsPart(WordScriptOf(before), WordScriptOf(after));
}
