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

// Whether a code point stands alone beside any other that does, without
// the tables: below U+0300 (no marks, joiners or jamo there), the
// precomposed Latin and Greek letters from U+1E00 to U+1FFF (Vietnamese
// among them), and the CJK ideographs, kana, Hangul syllables and
// full-width forms, none of which is a mark or a jamo. Text of these is
// told apart at a glance.
constexpr bool StandsAloneAtAGlance(char32_t c) {
  if (c < 0x0300) return true;
  // From U+0300 to U+1DFF (marks, and the scripts that take them) none is.
  if (c < 0x1E00) return false;
  return c <= 0x1FFF || (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xAC00 && c <= 0xD7A3) ||
         (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x3000 && c <= 0x3029) || (c >= 0x3030 && c <= 0x3098) ||
         (c >= 0x309B && c <= 0x30FF) || (c >= 0xFF01 && c <= 0xFF9D);
}

// Whether a mark of the combining diacritical marks (U+0300 to U+036F, each
// of which extends the character before it) goes on with the code point
// before it, without the tables: one below U+0370 that is no control (nor
// the soft hyphen), as a Latin, Greek or Cyrillic letter written with its
// marks apart is, and each mark after the first.
constexpr bool MarkJoinsAtAGlance(char32_t before, char32_t after) {
  return after >= 0x0300 && after <= 0x036F && before >= 0x20 && before <= 0x036F && (before < 0x7F || before > 0x9F) &&
         before != 0xAD;
}

// Between two code points that stand alone at a glance only CR LF holds
// together, and the properties are not asked.
inline VClusterEdge ClusterEdgeBetween(char32_t before, char32_t after) {
  if (StandsAloneAtAGlance(before) && StandsAloneAtAGlance(after))
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

// The code point that ends at `at` (1 to count) of the units, and the one
// that starts there (0 to count - 1): a pair's, or the unit's alone. A
// high unit with no low one after it (a damaged text's stray half) is a
// code point of its own, never the unit after it.
inline char32_t CodePointBefore(const char16_t* units, int32_t at) {
  return CodePointEndedBy(at >= 2 ? units[at - 2] : 0, units[at - 1]);
}
inline char32_t CodePointAt(const char16_t* units, int32_t count, int32_t at) {
  if (at + 1 < count) {
    const char32_t pair = CodePointEndedBy(units[at], units[at + 1]);
    if (pair >= 0x10000) return pair;
  }
  return units[at];
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
