// Clusters: what a user sees as one character (an extended grapheme
// cluster: a letter with its marks, a flag, a skin-toned or joined emoji, a
// Hangul syllable of jamo) and which characters no text holds, both as ICU
// answers them. Carets, selection ends, the character keys and the word
// bounds stand only between clusters; the text test counts the strays.
#pragma once

#include <cstdint>

// Whether a character is one no text holds: unassigned, private use, a
// noncharacter, a lone surrogate, or a control other than tab, line feed,
// form feed and carriage return.
bool IsStrayCharacter(char32_t c);

// Whether a code point stands alone beside any other that does, without
// the tables: below U+0300 (no marks, joiners or jamo there), and the CJK
// ideographs, kana, Hangul syllables and full-width forms, none of which
// is a mark or a jamo. Text of these is told apart at a glance.
constexpr bool StandsAloneAtAGlance(char32_t c) {
  return c < 0x0300 || (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xAC00 && c <= 0xD7A3) ||
         (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x3000 && c <= 0x3029) || (c >= 0x3030 && c <= 0x3098) ||
         (c >= 0x309B && c <= 0x30FF) || (c >= 0xFF01 && c <= 0xFF9D);
}

// The answer of IsPlainClusterBoundary from ICU's tables.
bool IsPlainClusterBoundaryByKind(char32_t before, char32_t after);

// Whether a cluster boundary stands between the code points `before` and
// `after` whatever comes around them: true when the two alone tell (most
// letters, digits, spaces and punctuation side by side); false when the
// answer needs the text around them (a mark, a joiner, a selector, a
// regional indicator, a Hangul jamo, a pair's halves) or there is none.
inline bool IsPlainClusterBoundary(char32_t before, char32_t after) {
  // Only CR LF holds together among these.
  if (StandsAloneAtAGlance(before) && StandsAloneAtAGlance(after)) return !(before == 0x0D && after == 0x0A);
  return IsPlainClusterBoundaryByKind(before, after);
}

// Whether the two units are a regional indicator, half of a flag: a run of
// them pairs from its start, however long.
constexpr bool IsRegionalIndicatorUnits(char16_t high, char16_t low) {
  return high == 0xD83C && low >= 0xDDE6 && low <= 0xDDFF;
}

// Whether a caret may stand at `at` (0 to count) of the units.
bool IsClusterBoundary(const char16_t* units, int32_t count, int32_t at);
// The nearest boundary before `at` (0 at most), and after it (count at
// most).
int32_t ClusterBoundaryBefore(const char16_t* units, int32_t count, int32_t at);
int32_t ClusterBoundaryAfter(const char16_t* units, int32_t count, int32_t at);
