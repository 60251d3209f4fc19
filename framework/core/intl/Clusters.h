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

// What the code points `before` and `after` alone tell of the place
// between them.
enum class VClusterEdge : uint8_t {
  // A boundary whatever comes around: most letters, digits, spaces and
  // punctuation side by side, a control or a paragraph end on either side.
  kEdge,
  // Inside a cluster whatever comes around: a mark, a joiner, a selector or
  // a skin tone after a character, CR LF, a prepended character before
  // one, jamo of one syllable.
  kInside,
  // The text around decides: a joiner before a pictograph (an emoji joined
  // to the one before), two regional indicators (the halves of which
  // flag), a mark before a consonant of a script whose viramas link
  // consonants, a unit of a pair alone.
  kAsk,
};
VClusterEdge ClusterEdgeByProperties(char32_t before, char32_t after);
// Below U+0300 there are no marks, joiners or jamo: only CR LF holds
// together, and the properties are not asked.
inline VClusterEdge ClusterEdgeBetween(char32_t before, char32_t after) {
  if (before < 0x0300 && after < 0x0300)
    return before == 0x0D && after == 0x0A ? VClusterEdge::kInside : VClusterEdge::kEdge;
  return ClusterEdgeByProperties(before, after);
}

// The code point a walk over the units has passed when it passes `unit`
// after `before`: a low unit after a high one completes their pair.
inline char32_t CodePointEndedBy(char32_t before, char16_t unit) {
  if (unit >= 0xDC00 && unit <= 0xDFFF && before >= 0xD800 && before <= 0xDBFF)
    return 0x10000 + ((before - 0xD800) << 10) + (unit - 0xDC00);
  return unit;
}

// Whether a caret may stand at `at` (0 to count) of the units.
bool IsClusterBoundary(const char16_t* units, int32_t count, int32_t at);
// The nearest boundary before `at` (0 at most), and after it (count at
// most).
int32_t ClusterBoundaryBefore(const char16_t* units, int32_t count, int32_t at);
int32_t ClusterBoundaryAfter(const char16_t* units, int32_t count, int32_t at);
