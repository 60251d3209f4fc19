// The cluster rules between two code points: what they answer alone
// agrees with ICU's character break iterator in every text around them,
// and the code points told apart at a glance are those the tables would
// tell apart.
#include <gtest/gtest.h>

#include <string>
#include <unicode/ubrk.h>
#include <unicode/uchar.h>
#include <unicode/uscript.h>

#include "framework/core/intl/Clusters.h"

namespace {

// Whether ICU puts a boundary between the prefix and the rest.
bool IcuBoundary(const std::u32string& prefix, const std::u32string& rest) {
  std::u16string units;
  for (const char32_t c : prefix + rest) {
    if (c >= 0x10000) units += {char16_t(0xD800 + ((c - 0x10000) >> 10)), char16_t(0xDC00 + (c & 0x3FF))};
    else units += char16_t(c);
  }
  UErrorCode status = U_ZERO_ERROR;
  UBreakIterator* iterator =
      ubrk_open(UBRK_CHARACTER, "", reinterpret_cast<const UChar*>(units.data()), int32_t(units.size()), &status);
  int32_t at = 0;
  for (const char32_t c : prefix) at += c >= 0x10000 ? 2 : 1;
  const bool boundary = ubrk_isBoundary(iterator, at) != 0;
  ubrk_close(iterator);
  return boundary;
}

// A code point of every kind the rules tell apart, and what may come
// before a pair: a virama after a consonant, a pictograph with a mark,
// one and three regional indicators, a prepended character.
const char32_t kKinds[] = {U'a',    U' ',    0x0D,    0x0A,    0x01,   0xAD,   0xA9,   0x0301, 0x200D,
                           0x200C,  0xFE0F,  0x0903,  0x0600,  0x1F1EF, 0x1F1F5, 0x1100, 0x1161, 0x11A8,
                           0xAC00,  0xAC01,  0x0915,  0x094D,  0x0937,  0x0E33,  0x1F600, 0x1F3FD, 0x0E01,
                           0x4E00,  0x30A2,  0xFF9E};
const std::u32string kContexts[] = {U"", U"a", U"\u0915\u094D", U"\U0001F600\u0301", U"\U0001F1EF",
                                    U"\U0001F1EF\U0001F1F5\U0001F1EF", U"\u0600", U"\r"};

}  // namespace

TEST(Clusters, AnEdgeTwoCodePointsTellAgreesWithTheBreakIteratorInEveryContext) {
  int told = 0;
  for (const std::u32string& context : kContexts) {
    for (const char32_t before : kKinds) {
      for (const char32_t after : kKinds) {
        const VClusterEdge edge = ClusterEdgeBetween(before, after);
        if (edge == VClusterEdge::kAsk) continue;
        ++told;
        EXPECT_EQ(IcuBoundary(context + before, std::u32string{after, U'z'}), edge == VClusterEdge::kEdge)
            << std::hex << uint32_t(before) << " " << uint32_t(after) << " after " << context.size();
      }
    }
  }
  EXPECT_GT(told, 5000);
  // Below U+0300 the kinds are told without a look-up.
  for (char32_t c = 0; c < 0x0300; ++c) {
    for (const char32_t other : {char32_t(U'a'), char32_t(0x0301), char32_t(0x1F600), char32_t(0x200D)}) {
      if (const VClusterEdge edge = ClusterEdgeBetween(c, other); edge != VClusterEdge::kAsk) {
        EXPECT_EQ(IcuBoundary({c}, {other}), edge == VClusterEdge::kEdge) << std::hex << uint32_t(c);
      }
      if (const VClusterEdge edge = ClusterEdgeBetween(other, c); edge != VClusterEdge::kAsk) {
        EXPECT_EQ(IcuBoundary({other}, {c}), edge == VClusterEdge::kEdge) << std::hex << uint32_t(c);
      }
    }
  }
}

TEST(Clusters, PairsAnswerAsTheRulesSayAndTheSameAgain) {
  struct Row {
    char32_t before, after;
    VClusterEdge edge;
  };
  const Row rows[] = {
      {U'a', 0x0301, VClusterEdge::kInside},      {0x1F44D, 0x1F3FD, VClusterEdge::kInside},  // a mark, a skin tone
      {0x1F3FD, U'd', VClusterEdge::kEdge},       {0x0301, U'a', VClusterEdge::kEdge},
      {0x1100, 0x1161, VClusterEdge::kInside},    {0x11A8, 0x1100, VClusterEdge::kEdge},      // jamo
      {0x0600, U'a', VClusterEdge::kInside},      {0x01, 0x0301, VClusterEdge::kEdge},        // prepended, control
      {0x200D, 0x1F467, VClusterEdge::kAsk},      {0x1F1EF, 0x1F1F5, VClusterEdge::kAsk},     // joined, flag
      {0x094D, 0x0937, VClusterEdge::kAsk},       {0xD83D, 0xDE00, VClusterEdge::kAsk},       // linked, halves
      {0x0D, 0x0A, VClusterEdge::kInside},        {0xAC00, 0x11A8, VClusterEdge::kInside},    // CR LF, LV T
      {0x30AB, 0x3099, VClusterEdge::kInside},    {0x4E00, 0xAC00, VClusterEdge::kEdge},      // a kana mark, glanced
      {0x1EBF, 0x0301, VClusterEdge::kInside},    {0x1EBF, 0x1EC7, VClusterEdge::kEdge},      // Vietnamese, glanced
      {0x200D, 0x00A9, VClusterEdge::kAsk},       {0x0301, 0x0915, VClusterEdge::kAsk},       // joined ©, linked
  };
  for (int pass = 0; pass < 2; ++pass) {
    for (const Row& row : rows)
      EXPECT_EQ(ClusterEdgeBetween(row.before, row.after), row.edge) << std::hex << uint32_t(row.after);
  }
  EXPECT_EQ(CodePointEndedBy(0xD83D, 0xDE00), char32_t(0x1F600));
  EXPECT_EQ(CodePointEndedBy(0x1D83D, 0xDE00), char32_t(0xDE00));  // a code point, not a high unit
  const char16_t stray[] = {0x0915, 0xD83D, 0x093F};  // a high unit alone, and the edge before it
  EXPECT_EQ(CodePointAt(stray, 3, 1), char32_t(0xD83D));
  EXPECT_TRUE(IsClusterBoundary(stray, 3, 1));
}

// A mark before a consonant of a script whose viramas link consonants is
// left to the iterator, wherever such a consonant stands.
TEST(Clusters, EveryLinkedConsonantIsLeftToTheIterator) {
  int consonants = 0;
  for (char32_t c = 0; c <= 0x10FFFF; ++c) {
    UErrorCode status = U_ZERO_ERROR;
    const UScriptCode script = uscript_getScript(UChar32(c), &status);
    if (u_getIntPropertyValue(UChar32(c), UCHAR_INDIC_SYLLABIC_CATEGORY) != U_INSC_CONSONANT ||
        (script != USCRIPT_DEVANAGARI && script != USCRIPT_BENGALI && script != USCRIPT_GUJARATI &&
         script != USCRIPT_ORIYA && script != USCRIPT_TELUGU && script != USCRIPT_MALAYALAM))
      continue;
    ++consonants;
    EXPECT_EQ(ClusterEdgeBetween(0x094D, c), VClusterEdge::kAsk) << std::hex << uint32_t(c);
  }
  EXPECT_GT(consonants, 200);
}

// None of them is a mark, a joiner, a prepended character or a jamo, so
// any two of them stand on either side of an edge (but CR LF).
TEST(Clusters, WhatStandsAloneAtAGlanceStandsAloneByTheTables) {
  int32_t glanced = 0;
  for (char32_t c = 0; c < 0x10000; ++c) {
    if (!StandsAloneAtAGlance(c)) continue;
    ++glanced;
    const int32_t kind = u_getIntPropertyValue(UChar32(c), UCHAR_GRAPHEME_CLUSTER_BREAK);
    EXPECT_TRUE(kind == U_GCB_OTHER || kind == U_GCB_CONTROL || kind == U_GCB_CR || kind == U_GCB_LF ||
                kind == U_GCB_LV || kind == U_GCB_LVT)
        << std::hex << uint32_t(c);
    EXPECT_EQ(ClusterEdgeBetween(c, U'a'), VClusterEdge::kEdge) << std::hex << uint32_t(c);
    EXPECT_EQ(ClusterEdgeBetween(0x4E00, c), VClusterEdge::kEdge) << std::hex << uint32_t(c);
  }
  EXPECT_GT(glanced, 39000);
}

// A mark told at a glance to go on with the code point before it goes on
// with it by the tables, and the iterator keeps the two together.
TEST(Clusters, AMarkThatJoinsAtAGlanceJoinsByTheTables) {
  int32_t glanced = 0;
  for (char32_t before = 0; before < 0x0400; ++before) {
    for (char32_t mark = 0x02F0; mark < 0x0380; ++mark) {
      if (!MarkJoinsAtAGlance(before, mark)) continue;
      ++glanced;
      EXPECT_EQ(ClusterEdgeByProperties(before, mark), VClusterEdge::kInside) << std::hex << uint32_t(before);
      const char16_t units[] = {char16_t(before), char16_t(mark)};
      EXPECT_FALSE(IsClusterBoundary(units, 2, 1)) << std::hex << uint32_t(before) << " " << uint32_t(mark);
    }
  }
  EXPECT_FALSE(MarkJoinsAtAGlance(0x00AD, 0x0301));  // after the soft hyphen, a control, a mark stands alone
  EXPECT_FALSE(MarkJoinsAtAGlance(0x0085, 0x0301));
  EXPECT_GT(glanced, 700 * 112);
}
