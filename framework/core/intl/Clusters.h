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

// Whether a cluster boundary stands between the code points `before` and
// `after` whatever comes around them: true when the two alone tell (most
// letters, digits, spaces and punctuation side by side); false when the
// answer needs the text around them (a mark, a joiner, a selector, a
// regional indicator, a Hangul jamo, a pair's halves) or there is none.
bool IsPlainClusterBoundaryBeyondLatin(char32_t before, char32_t after);
inline bool IsPlainClusterBoundary(char32_t before, char32_t after) {
  // Below U+0300 there are no marks, joiners or jamo: only CR LF holds
  // together. Answered inline: line breaking asks at every space.
  if (before < 0x0300 && after < 0x0300) return !(before == 0x0D && after == 0x0A);
  return IsPlainClusterBoundaryBeyondLatin(before, after);
}

// Whether a caret may stand at `at` (0 to count) of the units.
bool IsClusterBoundary(const char16_t* units, int32_t count, int32_t at);
// The nearest boundary before `at` (0 at most), and after it (count at
// most).
int32_t ClusterBoundaryBefore(const char16_t* units, int32_t count, int32_t at);
int32_t ClusterBoundaryAfter(const char16_t* units, int32_t count, int32_t at);
