// The cluster rules between two code points: what they answer alone
// agrees with ICU's character break iterator in every text around them.
#include <gtest/gtest.h>

#include <string>
#include <unicode/ubrk.h>
#include <unicode/uchar.h>
#include <unicode/uscript.h>

#include "framework/core/intl/Clusters.h"

namespace {

std::u16string Units(const std::u32string& text) {
  std::u16string units;
  for (const char32_t c : text) {
    if (c >= 0x10000) {
      units.push_back(char16_t(0xD800 + ((c - 0x10000) >> 10)));
      units.push_back(char16_t(0xDC00 + ((c - 0x10000) & 0x3FF)));
    } else {
      units.push_back(char16_t(c));
    }
  }
  return units;
}

// Whether ICU puts a boundary between the prefix and the rest.
bool IcuBoundary(const std::u32string& prefix, const std::u32string& rest) {
  const std::u16string units = Units(prefix + rest);
  UErrorCode status = U_ZERO_ERROR;
  UBreakIterator* iterator =
      ubrk_open(UBRK_CHARACTER, "", reinterpret_cast<const UChar*>(units.data()), int32_t(units.size()), &status);
  EXPECT_TRUE(U_SUCCESS(status));
  const bool boundary = ubrk_isBoundary(iterator, int32_t(Units(prefix).size())) != 0;
  ubrk_close(iterator);
  return boundary;
}

// A code point of every kind the rules tell apart.
const char32_t kKinds[] = {
    U'a',    U' ',    0x0D,    0x0A,    0x01,    0xAD,    0xA9,    0x0301,  0x200D,  0x200C,  0xFE0F,
    0x0903,  0x0600,  0x1F1EF, 0x1F1F5, 0x1100,  0x1161,  0x11A8,  0xAC00,  0xAC01,  0x0915,  0x094D,
    0x0937,  0x0E33,  0x1F600, 0x1F44D, 0x1F3FD, 0x2764,  0x4E00,  0x05D0,  0x0644,  0x0E01,  0x0C15,
};

// What comes before the pair: nothing, a letter, a virama after a
// consonant, a pictograph with a joiner, one and three regional
// indicators, a prepended character.
const std::u32string kContexts[] = {
    U"", U"a", U"\u0915", U"\u0915\u094D", U"\U0001F600", U"\U0001F600\u0301", U"\U0001F1EF",
    U"\U0001F1EF\U0001F1F5\U0001F1EF", U"\u0600", U"\r",
};

}  // namespace

TEST(Clusters, AnEdgeTwoCodePointsTellAgreesWithTheBreakIteratorInEveryContext) {
  int told = 0;
  for (const std::u32string& context : kContexts) {
    for (const char32_t before : kKinds) {
      for (const char32_t after : kKinds) {
        const VClusterEdge edge = ClusterEdgeBetween(before, after);
        if (edge == VClusterEdge::kAsk) continue;
        ++told;
        EXPECT_EQ(IcuBoundary(context + before, std::u32string(1, after) + U"z"), edge == VClusterEdge::kEdge)
            << std::hex << "before " << uint32_t(before) << " after " << uint32_t(after) << " after "
            << context.size() << " code points";
      }
    }
  }
  EXPECT_GT(told, 8000);
}

// Below U+0300 the kinds are told without a look-up: every such code
// point beside a letter, a mark, an emoji and a joiner answers as ICU does.
TEST(Clusters, CodePointsBelowCombiningMarksAnswerAsTheBreakIteratorDoes) {
  for (char32_t c = 0; c < 0x0300; ++c) {
    for (const char32_t other : {char32_t(U'a'), char32_t(0x0301), char32_t(0x1F600), char32_t(0x200D)}) {
      for (const std::u32string& context : {std::u32string(), std::u32string(U"\U0001F600")}) {
        const VClusterEdge after = ClusterEdgeBetween(c, other);
        if (after != VClusterEdge::kAsk) {
          EXPECT_EQ(IcuBoundary(context + c, std::u32string(1, other)), after == VClusterEdge::kEdge)
              << std::hex << uint32_t(c) << " " << uint32_t(other);
        }
        const VClusterEdge before = ClusterEdgeBetween(other, c);
        if (before != VClusterEdge::kAsk) {
          EXPECT_EQ(IcuBoundary(context + other, std::u32string(1, c)), before == VClusterEdge::kEdge)
              << std::hex << uint32_t(other) << " " << uint32_t(c);
        }
      }
    }
  }
}

TEST(Clusters, PairsAnswerAsTheRulesSay) {
  struct Row {
    char32_t before;
    char32_t after;
    VClusterEdge edge;
  };
  const Row rows[] = {
      {U'a', U'b', VClusterEdge::kEdge},
      {0x0D, 0x0A, VClusterEdge::kInside},
      {U'a', 0x0301, VClusterEdge::kInside},          // a mark after its letter
      {0x1F44D, 0x1F3FD, VClusterEdge::kInside},      // a skin tone after its emoji
      {0x1F3FD, U'd', VClusterEdge::kEdge},           // a letter after the skin tone
      {0x2764, 0xFE0F, VClusterEdge::kInside},        // a selector
      {0x1100, 0x1161, VClusterEdge::kInside},        // jamo of one syllable
      {0x11A8, 0x1100, VClusterEdge::kEdge},          // a trail, then a new syllable
      {0x0600, U'a', VClusterEdge::kInside},          // a prepended character
      {0x200D, 0x1F467, VClusterEdge::kAsk},          // joined emoji: was a pictograph before the joiner?
      {0x1F1EF, 0x1F1F5, VClusterEdge::kAsk},         // which flag's halves
      {0x094D, 0x0937, VClusterEdge::kAsk},           // a virama before a consonant
      {0x0301, U'a', VClusterEdge::kEdge},            // a mark before a letter of no linking script
      {0x01, 0x0301, VClusterEdge::kEdge},            // a control keeps no mark
      {0xD83D, 0xDE00, VClusterEdge::kAsk},           // a pair's halves alone
  };
  for (const Row& row : rows)
    EXPECT_EQ(ClusterEdgeBetween(row.before, row.after), row.edge) << std::hex << uint32_t(row.before) << " "
                                                                    << uint32_t(row.after);
  // The same pair asked again answers the same (the kept answers).
  for (const Row& row : rows) EXPECT_EQ(ClusterEdgeBetween(row.before, row.after), row.edge);
}

TEST(Clusters, CodePointEndedByJoinsAPairOnly) {
  EXPECT_EQ(CodePointEndedBy(0xD83D, 0xDE00), char32_t(0x1F600));
  EXPECT_EQ(CodePointEndedBy(U'a', 0xDE00), char32_t(0xDE00));      // a low unit alone
  EXPECT_EQ(CodePointEndedBy(0xD83D, U'b'), char32_t(U'b'));
  EXPECT_EQ(CodePointEndedBy(0x1D83D, 0xDE00), char32_t(0xDE00));  // a code point, not a high unit
}

// A mark before a consonant of a script whose viramas link consonants is
// left to the iterator; those consonants all stand in the stretch the rule
// leaves to it.
TEST(Clusters, EveryLinkedConsonantIsLeftToTheIterator) {
  int consonants = 0;
  for (char32_t c = 0; c <= 0x10FFFF; ++c) {
    if (u_getIntPropertyValue(UChar32(c), UCHAR_INDIC_SYLLABIC_CATEGORY) != U_INSC_CONSONANT) continue;
    UErrorCode status = U_ZERO_ERROR;
    const UScriptCode script = uscript_getScript(UChar32(c), &status);
    if (script != USCRIPT_DEVANAGARI && script != USCRIPT_BENGALI && script != USCRIPT_GUJARATI &&
        script != USCRIPT_ORIYA && script != USCRIPT_TELUGU && script != USCRIPT_MALAYALAM)
      continue;
    ++consonants;
    EXPECT_EQ(ClusterEdgeBetween(0x094D, c), VClusterEdge::kAsk) << std::hex << uint32_t(c);
    EXPECT_EQ(ClusterEdgeBetween(0x200D, c), VClusterEdge::kAsk) << std::hex << uint32_t(c);
  }
  EXPECT_GT(consonants, 200);
}
