// Line composition over real engines and the Liberation fonts: records of
// empty and ended texts, break rules, forced breaks, tabs to default stops,
// interline, stores that fail, and incremental composition against a whole
// rebuild after seeded random edits.
#include "engine/xMorvaLines.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "engine/tests/CompositionFixture.h"
#include "engine/xMorvaDocumentEngineServices.h"

namespace {

TEST_F(Composition, EmptyAndEndedTexts) {
  Load(Stream());
  ASSERT_EQ(0, lines.ComposeAll(font));
  ASSERT_EQ(lines.GetLineCount(), 1);
  EXPECT_EQ(lines.GetLine(0).bytes, 0u);
  EXPECT_EQ(lines.GetLine(0).positions, 0);
  EXPECT_EQ(lines.GetLine(0).flags, kLineFirstOfParagraph | kLineLastOfText);

  Load(Stream().Text(u"One\r"));
  ASSERT_EQ(0, lines.ComposeAll(font));
  ASSERT_EQ(lines.GetLineCount(), 2);
  EXPECT_EQ(lines.GetLine(0).bytes, 8u);
  EXPECT_EQ(lines.GetLine(0).flags, kLineFirstOfParagraph | kLineLastOfParagraph);
  EXPECT_EQ(lines.GetLine(1).bytes, 0u);
  EXPECT_EQ(lines.GetLine(1).flags, kLineFirstOfParagraph | kLineLastOfText);
  EXPECT_EQ(lines.GetTotalHeight(), lines.GetLine(0).height + lines.GetLine(1).height);
}

TEST_F(Composition, BreaksAtTheLastSpaceThatFits) {
  // Words of "w" until the line is full.
  std::u16string text;
  while (Width(text + u"www ") <= 200) text += u"www ";
  const std::u16string first = text;
  text += u"www www";
  Load(Stream().Text(text));
  ASSERT_EQ(0, lines.ComposeAll(font));
  ASSERT_EQ(lines.GetLineCount(), 2);
  const xMorvaLineRecord& line = lines.GetLine(0);
  EXPECT_EQ(line.bytes, 2 * first.size());  // the space it broke at included
  EXPECT_NEAR(line.width, Width(first.substr(0, first.size() - 1)), 1e-3);
  EXPECT_EQ(line.flags, kLineFirstOfParagraph | kLineBreakAtSpace);
  EXPECT_EQ(line.spaces, int32_t(first.size() / 4) - 1);
  EXPECT_EQ(lines.GetLine(1).flags, kLineLastOfText);
  EXPECT_EQ(SumBytes(), engine.GetStreamSize());
  EXPECT_EQ(SumPositions(), PositionsOf(StreamBytes(engine)));
}

struct ForcedCase {
  const char* name;
  int32_t textWidth;
  std::u16string text;
};

// A word wider than the line is cut where a unit no longer fits; a unit
// wider than the line, or a line of no width at all, holds one unit.
TEST_F(Composition, ForcedBreaksAlwaysProgress) {
  const ForcedCase cases[] = {
      {"long word", 60, u"abcdefghijklmnopqrstuvwxyz"},
      {"unit wider than the line", 3, u"MMM"},
      {"no width", 0, u"abc"},
      {"negative width", -50, u"ab"},
  };
  for (const ForcedCase& c : cases) {
    document.textWidth = c.textWidth;
    Load(Stream().Text(c.text));
    ASSERT_EQ(0, lines.ComposeAll(font)) << c.name;
    EXPECT_EQ(SumBytes(), engine.GetStreamSize()) << c.name;
    EXPECT_EQ(SumPositions(), int32_t(c.text.size())) << c.name;
    EXPECT_GT(lines.GetLineCount(), 1) << c.name;
    for (int32_t i = 0; i < lines.GetLineCount(); ++i) {
      const xMorvaLineRecord& r = lines.GetLine(i);
      EXPECT_GE(r.positions, 1) << c.name << " line " << i;
      const bool last = i + 1 == lines.GetLineCount();
      EXPECT_TRUE(last || (r.flags & kLineForcedBreak)) << c.name;
      EXPECT_TRUE(i == 0 || (r.flags & kLineContinuesWord)) << c.name;
      EXPECT_TRUE(last || c.textWidth <= 3 || r.width <= c.textWidth) << c.name;
    }
  }
}

// A paragraph whose letters carry their marks as units of their own, or
// whose words hold joiners, breaks into the lines of the text it looks as:
// the same number of lines, each as wide. Each row: the words, and the
// words they look as.
TEST_F(Composition, MarksAndJoinersBreakLinesAsTheTextTheyShow) {
  const struct {
    const char* name;
    std::u16string words;
    std::u16string looksAs;
  } rows[] = {
      {"Vietnamese", u"Ha\u0300 No\u0323\u0302i pho\u031B\u0309 bo\u0300 Vie\u0323\u0302t ",
       u"H\u00E0 N\u1ED9i ph\u1EDF b\u00F2 Vi\u1EC7t "},
      {"French", u"cafe\u0301 nai\u0308ve e\u0301te\u0301 ", u"caf\u00E9 na\u00EFve \u00E9t\u00E9 "},
      {"joiners", u"a\u200Db\u200Cc \u0645\u06CC\u200C\u062E\u0648 \u2764\uFE0Fx ", u"abc \u0645\u06CC\u062E\u0648 \u2764x "},
      // An arrow after half a pair alone stands apart from the letter
      // before, as after a word joiner.
      {"half a pair alone", std::u16string(u"the v") + char16_t(0xD83D) + u"\u20D7 vector ", u"the v\u2060\u20D7 vector "},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    std::vector<float> widths[2];
    for (int which = 0; which < 2; ++which) {
      std::u16string text;
      for (int i = 0; i < 12; ++i) text += which == 0 ? row.words : row.looksAs;
      Load(Stream().Text(text));
      ASSERT_EQ(0, lines.ComposeAll(font));
      EXPECT_EQ(SumBytes(), engine.GetStreamSize());
      for (int32_t i = 0; i < lines.GetLineCount(); ++i) widths[which].push_back(lines.GetLine(i).width);
    }
    EXPECT_GT(widths[1].size(), 2u);
    EXPECT_EQ(widths[0], widths[1]);
  }
}

TEST_F(Composition, FortyThousandZeroWidthUnits) {
  const std::u16string text(40000, u'\u200D');
  Load(Stream().Text(text).Text(u"x"));
  ASSERT_EQ(0, lines.ComposeAll(font));
  EXPECT_EQ(SumPositions(), 40001);
  EXPECT_EQ(SumBytes(), engine.GetStreamSize());
}

// A tab to a default stop beyond the edge starts a new line once; a tab
// that fits nowhere stays on its line, marked, and composition ends.
TEST_F(Composition, DefaultTabThatDoesNotFit) {
  const Bytes tab = Stream().Head(xMorvaElementCode::Tab, 14, 14).Raw(Bytes(14, 0));
  std::u16string text;
  while (Width(text + u"m") <= 195) text += u"m";
  Load(Stream().Text(text).Raw(tab).Text(u"x"));
  ASSERT_EQ(0, lines.ComposeAll(font));
  ASSERT_GE(lines.GetLineCount(), 2);
  EXPECT_TRUE(lines.GetLine(0).flags & kLineForcedBreak);
  EXPECT_EQ(lines.GetLine(0).bytes, 2 * text.size());
  EXPECT_TRUE(lines.GetLine(1).flags & kLineContinuesWord);
  EXPECT_EQ(SumBytes(), engine.GetStreamSize());

  // A column narrower than the default interval: no stop fits anywhere.
  document.textWidth = 10;
  Load(Stream().Raw(tab).Raw(tab).Text(u"a"));
  ASSERT_EQ(0, lines.ComposeAll(font));
  EXPECT_EQ(SumBytes(), engine.GetStreamSize());
  EXPECT_TRUE(lines.GetLine(0).flags & kLineForcedBreak);
  EXPECT_LE(lines.GetLineCount(), 4);
}

TEST_F(Composition, InterlineAddsFontHeightsAndZeroIsSingle) {
  Load(Stream().Text(u"x"));
  lines.ComposeAll(font);
  const int32_t single = lines.GetLine(0).height;
  const int32_t fontHeight = font.GetAscent() + font.GetDescent();
  struct Case { int32_t interline, height; } cases[] = {
      {10, single}, {20, single + fontHeight}, {5, single - fontHeight / 2},
      {0, single}, {-7, single}};
  for (const Case& c : cases) {
    Load(Stream().Record(kPropInterline, c.interline).Text(u"x"));
    ASSERT_EQ(0, lines.ComposeAll(font));
    EXPECT_EQ(lines.GetLine(0).height, c.height) << c.interline;
  }
}

TEST_F(Composition, ARecordThatCannotBeStoredIsReported) {
  Load(Stream().Text(u"a\rb\rc\r"));
  lines.SetRecordLimit(2);
  EXPECT_EQ(kLinesOutOfMemory, lines.ComposeAll(font));
  EXPECT_TRUE(lines.NeedsFullRebuild());
  lines.SetRecordLimit(-1);
  xMorvaLines::Change change = lines.RemoveForChange(0, 0);
  EXPECT_EQ(0, lines.RecomposeAfterChange(font, change, 0));
  EXPECT_FALSE(lines.NeedsFullRebuild());
  EXPECT_EQ(lines.GetLineCount(), 4);
}

// After every edit the records composed again equal those of a whole
// rebuild: bytes, positions, widths, heights and flags.
TEST_F(Composition, IncrementalEqualsComposeAllAfterRandomEdits) {
  std::mt19937 random(27);
  const std::u16string alphabet = u"abcdefg hijk lmn\rop-q rstu vw\r";
  const Bytes tab = Stream().Head(xMorvaElementCode::Tab, 14, 14).Raw(Bytes(14, 0));
  Load(Stream()
           .Text(u"The first paragraph of the text.\r")
           .Record(kPropAlignment, 1)
           .Tab(120, kTabRight)
           .Text(u"A second one,")
           .Raw(tab)
           .Record(kPropSize, 18)
           .Text(u" long enough to run over more than")
           .Record(kPropSize, 12)
           .Text(u" a single line of two hundred pixels.\r")
           .Record(kPropInterline, 15)
           .Text(u"Third.\r"));
  ASSERT_EQ(0, lines.ComposeAll(font));
  xMorvaLines whole(&document, &engine, 0, 4);
  for (int step = 0; step < 300; ++step) {
    // Edits fall on item boundaries, as the engine's own edits do.
    const Bytes current = StreamBytes(engine);
    std::vector<uint32_t> bounds;
    for (uint32_t at = 0; at < current.size();) {
      bounds.push_back(at);
      at += ReadStreamItem(current.data() + at, uint32_t(current.size()) - at).size;
    }
    bounds.push_back(uint32_t(current.size()));
    const size_t first = random() % bounds.size();
    const uint32_t start = bounds[first];
    const bool insert = current.size() < 120 || random() % 3 != 0;
    uint32_t oldEnd = start;
    if (!insert) {
      // Units only: the engine's own deletions keep the property runs of
      // the text after them.
      for (size_t n = random() % 12, i = first; n > 0 && i + 1 < bounds.size(); --n, ++i) {
        if (StreamUnit(current.data() + bounds[i]) == 0) break;
        oldEnd = bounds[i + 1];
      }
    }
    const xMorvaLines::Change change = lines.RemoveForChange(start, oldEnd);
    uint32_t newEnd = start;
    if (insert) {
      std::u16string text;
      for (int n = int(random() % 10) + 1; n > 0; --n) text += alphabet[random() % alphabet.size()];
      const Bytes bytes = Stream().Text(text);
      ASSERT_EQ(0, engine.InsertBytes(start, bytes.data(), uint32_t(bytes.size())));
      newEnd = start + uint32_t(bytes.size());
    } else {
      engine.DeleteBytes(int32_t(start), int32_t(oldEnd - start));
    }
    ASSERT_EQ(0, lines.RecomposeAfterChange(font, change, newEnd));
    ASSERT_EQ(0, whole.ComposeAll(font));
    ASSERT_EQ(lines.GetLineCount(), whole.GetLineCount()) << "step " << step;
    for (int32_t i = 0; i < whole.GetLineCount(); ++i) {
      const xMorvaLineRecord& a = lines.GetLine(i);
      const xMorvaLineRecord& b = whole.GetLine(i);
      ASSERT_EQ(a.bytes, b.bytes) << "step " << step << " line " << i;
      ASSERT_EQ(a.positions, b.positions) << "step " << step << " line " << i;
      ASSERT_EQ(a.flags, b.flags) << "step " << step << " line " << i;
      ASSERT_EQ(a.height, b.height) << "step " << step << " line " << i;
      ASSERT_FLOAT_EQ(a.width, b.width) << "step " << step << " line " << i;
    }
    ASSERT_EQ(lines.GetTotalHeight(), whole.GetTotalHeight());
  }
}

}  // namespace

namespace {

// The pieces the long-paragraph edits insert: words short and longer than
// a line, spaces, hyphens, font changes in mid-paragraph (just after a
// space above all), tab stops, tabs and soft hyphens.
Bytes LongParagraphPiece(std::mt19937& random) {
  const Bytes tab = Stream().Head(xMorvaElementCode::Tab, 14, 14).Raw(Bytes(14, 0));
  switch (random() % 12) {
    case 0: return Stream().Record(kPropSize, random() % 2 ? 18 : 9);
    case 1: return Stream().Text(u" ").Record(kPropSize, random() % 2 ? 24 : 12).Text(u"Big");
    case 2: return Stream().Record(kPropBold, int32_t(random() % 2));
    case 3: return Stream().Raw(tab);
    case 4: return Stream().Element(xMorvaElementCode::SoftHyphen, Stream().Unit(0x00AD), 0);
    case 5: return Stream().Text(u"-");
    case 6: return Stream().Text(std::u16string(20 + random() % 30, u'm'));
    case 7: return Stream().Tab(int16_t(40 + random() % 120), uint8_t(1 + random() % 3));
    default: {
      std::u16string word;
      for (int n = 1 + int(random() % 9); n > 0; --n) word += char16_t(u'a' + random() % 26);
      return Stream().Text(random() % 3 ? word + u" " : word);
    }
  }
}

// Lines, caches and soft hyphens as a whole composition makes them.
void ExpectLikeAWholeComposition(xMorvaLines& lines, xMorvaLines& whole, xMorvaEngine& engine,
                                 xMorvaFont& font, int step) {
  const Bytes laidOut = StreamBytes(engine);
  ASSERT_EQ(0, whole.ComposeAll(font));
  ASSERT_EQ(laidOut, StreamBytes(engine)) << "step " << step;
  ASSERT_EQ(lines.GetLineCount(), whole.GetLineCount()) << "step " << step;
  for (int32_t i = 0; i < whole.GetLineCount(); ++i) {
    const xMorvaLineRecord& a = lines.GetLine(i);
    const xMorvaLineRecord& b = whole.GetLine(i);
    ASSERT_TRUE(a.bytes == b.bytes && a.positions == b.positions && a.flags == b.flags &&
                a.height == b.height && a.ascent == b.ascent && a.spaces == b.spaces &&
                a.tabs == b.tabs && a.available == b.available && a.resumable == b.resumable &&
                a.tabsKey == b.tabsKey)
        << "step " << step << " line " << i;
    ASSERT_NEAR(a.width, b.width, 0.01) << "step " << step << " line " << i;
  }
  ASSERT_EQ(lines.GetTotalHeight(), whole.GetTotalHeight());
}

}  // namespace

// Edits inside one long paragraph: composition begins at a line in the
// paragraph, not at its start, and stops where the lines meet the old
// ones; the lines, caches and soft hyphens are still those of a whole
// composition.
TEST_F(Composition, EditsInALongParagraphEqualAWholeComposition) {
  std::mt19937 random(45);
  Stream text;
  text.Text(u"Head.\r");
  for (int i = 0; i < 120; ++i) text.Raw(LongParagraphPiece(random));
  text.Text(u"\rTail.");
  Load(text);
  ASSERT_EQ(0, lines.ComposeAll(font));
  xMorvaLines whole(&document, &engine, 0, 4);
  for (int step = 0; step < 400; ++step) {
    const Bytes current = StreamBytes(engine);
    std::vector<uint32_t> bounds;
    for (uint32_t at = 0; at < current.size();) {
      bounds.push_back(at);
      at += ReadStreamItem(current.data() + at, uint32_t(current.size()) - at).size;
    }
    bounds.push_back(uint32_t(current.size()));
    const size_t first = 1 + random() % (bounds.size() - 1);
    const uint32_t start = bounds[first];
    uint32_t oldEnd = start;
    if (random() % 3 == 0) {
      // Units only, as the engine's own deletions.
      for (size_t n = 1 + random() % 8, i = first; n > 0 && i + 1 < bounds.size(); --n, ++i) {
        if (StreamUnit(current.data() + bounds[i]) == 0 ||
            StreamUnit(current.data() + bounds[i]) == kUnitParagraphEnd)
          break;
        oldEnd = bounds[i + 1];
      }
    }
    const xMorvaLines::Change change = lines.RemoveForChange(start, oldEnd);
    if (oldEnd > start) {
      engine.DeleteBytes(int32_t(start), int32_t(oldEnd - start));
    } else {
      const Bytes piece = LongParagraphPiece(random);
      ASSERT_EQ(0, engine.InsertBytes(start, piece.data(), uint32_t(piece.size())));
    }
    ASSERT_EQ(0, lines.RecomposeAfterChange(font, change, start));
    ExpectLikeAWholeComposition(lines, whole, engine, font, step);
  }
}

// A word longer than a line after a space: the line before it ended at the
// space because a unit that now begins the third line did not fit. When
// that unit goes, the word fits after the space again: composition begins
// before the line cut by force.
TEST_F(Composition, RemovingTheUnitThatEndedALineTwoLinesBackJoinsThem) {
  bool found = false;
  for (int n = 1; n < 40 && !found; ++n) {
    const std::u16string word(size_t(n), u'W');
    Load(Stream().Text(u"Head\r " + word + u"W\u0301"));
    ASSERT_EQ(0, lines.ComposeAll(font));
    if (lines.GetLineCount() != 4 || (lines.GetLine(2).flags & kLineForcedBreak) == 0) continue;
    const uint32_t unit = lines.GetLine(0).bytes + lines.GetLine(1).bytes + lines.GetLine(2).bytes;
    if (StreamUnit(StreamBytes(engine).data() + unit) != u'W') continue;
    found = true;
    const xMorvaLines::Change change = lines.RemoveForChange(unit, unit + 2);
    engine.DeleteBytes(int32_t(unit), 2);
    ASSERT_EQ(0, lines.RecomposeAfterChange(font, change, unit));
    xMorvaLines whole(&document, &engine, 0, 4);
    ExpectLikeAWholeComposition(lines, whole, engine, font, n);
    EXPECT_EQ(lines.GetLineCount(), 2);
  }
  EXPECT_TRUE(found);
}

// Typing in the middle of a paragraph of some hundred lines composes the
// lines there (a word pushed on may push one from a few lines after it),
// not the paragraph.
TEST_F(Composition, TypingInALongParagraphComposesAFewLines) {
  std::mt19937 random(10000);
  std::u16string text;
  for (int i = 0; i < 4000; ++i) {
    for (int n = 1 + int(random() % 9); n > 0; --n) text += char16_t(u'a' + random() % 26);
    text += u' ';
  }
  Load(Stream().Text(text));
  ASSERT_EQ(0, lines.ComposeAll(font));
  ASSERT_GT(lines.GetLineCount(), 300);
  xMorvaLines whole(&document, &engine, 0, 4);
  uint32_t at = (engine.GetStreamSize() / 4) * 2;
  for (int key = 0; key < 30; ++key) {
    const xMorvaLines::Change change = lines.RemoveForChange(at, at);
    const Bytes unit = Stream().Unit(key % 5 == 4 ? u' ' : u'x');
    ASSERT_EQ(0, engine.InsertBytes(at, unit.data(), 2));
    ASSERT_EQ(0, lines.RecomposeAfterChange(font, change, at + 2));
    const xMorvaLines::Replaced& replaced = lines.GetLastReplaced();
    EXPECT_FALSE(replaced.whole);
    EXPECT_GT(replaced.first, 100);
    EXPECT_LT(replaced.newCount, 60) << "key " << key;
    at += 2;
  }
  ExpectLikeAWholeComposition(lines, whole, engine, font, 30);
}

namespace {

float TabWidthAt(const Bytes& stream, uint32_t at) {
  const uint32_t bits = StreamLong(stream.data() + at + kElementHeadSize);
  float width = 0;
  std::memcpy(&width, &bits, sizeof width);
  return width;
}

struct TabCase {
  const char* name;
  uint8_t kind;
  std::u16string after;
  // The text that the tab's space gives way to: all of it, half, up to
  // the separator, or none for a left tab.
  std::u16string consumed;
  double share;
};

// The tab's laid-out width: the stop less the text before it, less what
// of the text after it the kind pulls left.
TEST_F(Composition, TabKindsLayOutTheirCache) {
  const TabCase cases[] = {
      {"left", kTabLeft, u"abc", u"", 1.0},
      {"right", kTabRight, u"abc", u"abc", 1.0},
      {"centre", kTabCentre, u"abcd", u"abcd", 0.5},
      {"decimal", kTabDecimal, u"12.5", u"12", 1.0},
      // Wider than the tab's space, still on the line.
      {"right, too wide", kTabRight, u"wwwwwwwwwwww", u"wwwwwwwwwwww", 1.0},
      {"bad kind", 9, u"abc", u"", 1.0},
  };
  for (const TabCase& c : cases) {
    const Bytes tab = Stream().Head(xMorvaElementCode::Tab, 14, 14).Raw(Bytes(14, 0));
    const Bytes head = Stream().Tab(120, c.kind).Text(u"ab");
    Load(Stream().Raw(head).Raw(tab).Text(c.after));
    ASSERT_EQ(0, lines.ComposeAll(font)) << c.name;
    const Bytes stream = StreamBytes(engine);
    const double remaining = 120 - Width(u"ab");
    const double expected = std::max(0.0, remaining - Width(c.consumed) * c.share);
    EXPECT_NEAR(TabWidthAt(stream, uint32_t(head.size())), expected, 1e-3) << c.name;
    EXPECT_EQ(lines.GetLineCount(), 1) << c.name;
    EXPECT_EQ(lines.GetLine(0).tabs, 1) << c.name;
    EXPECT_EQ(SumPositions(), 3 + int32_t(c.after.size())) << c.name;
  }
}

// A soft hyphen in the middle of a line hides (second length word 2); the
// one the line breaks at shows (0) and the next line continues the word.
TEST_F(Composition, SoftHyphensShowOnlyAtABreak) {
  const Bytes hyphen = Stream().Element(xMorvaElementCode::SoftHyphen, Stream().Unit(0x00AD), 0);
  std::u16string word;
  while (Width(u"ab" + word + u"-") <= 190) word += u"x";
  const Bytes first = Stream().Text(u"ab");
  Load(Stream().Raw(first).Raw(hyphen).Text(word).Raw(hyphen).Text(u"yyyyyyyyyyyyyyyy"));
  ASSERT_EQ(0, lines.ComposeAll(font));
  const Bytes stream = StreamBytes(engine);
  const uint32_t second = uint32_t(first.size() + hyphen.size() + 2 * word.size());
  EXPECT_EQ(StreamLong(stream.data() + first.size() + 8), 2u);
  EXPECT_EQ(StreamLong(stream.data() + second + 8), 0u);
  ASSERT_EQ(lines.GetLineCount(), 2);
  EXPECT_TRUE(lines.GetLine(0).flags & kLineBreakAtSoftHyphen);
  EXPECT_EQ(lines.GetLine(0).bytes, second + hyphen.size());
  EXPECT_TRUE(lines.GetLine(1).flags & kLineContinuesWord);
  EXPECT_EQ(SumBytes(), engine.GetStreamSize());
}

// A centre or right tab whose text the line breaks keeps the room that the
// text left on its own line: the units that moved on take none of it.
TEST_F(Composition, ATabWhoseTextBreaksKeepsItsRoom) {
  const Bytes tab = Stream().Head(xMorvaElementCode::Tab, 14, 14).Raw(Bytes(14, 0));
  const std::u16string bs(60, u'b');
  struct Case {
    const char* name;
    Bytes stream;
    uint32_t tabAt;
    double width;
  } cases[] = {
      {"centre tab, broken at a space", Stream().Tab(100, kTabCentre).Raw(tab).Text(u"aa " + bs), 8,
       100 - Width(u"aa ") / 2},
      {"right tab, broken after it", Stream().Tab(150, kTabRight).Text(u"x").Raw(tab).Text(bs), 10,
       150 - Width(u"x")},
  };
  for (const Case& c : cases) {
    Load(c.stream);
    ASSERT_EQ(0, lines.ComposeAll(font)) << c.name;
    ASSERT_GE(lines.GetLineCount(), 2) << c.name;
    EXPECT_NEAR(TabWidthAt(StreamBytes(engine), c.tabAt), c.width, 1e-3) << c.name;
  }
}

// A tab after a soft hyphen is a later place to break, so the hyphen is
// hidden before the tab is laid out: the tab reaches its stop from where
// the text without the hyphen ends.
TEST_F(Composition, ASoftHyphenBeforeATabIsHiddenFirst) {
  const Bytes hyphen = Stream().Element(xMorvaElementCode::SoftHyphen, Stream().Unit(0x00AD), 0);
  const Bytes tab = Stream().Head(xMorvaElementCode::Tab, 14, 14).Raw(Bytes(14, 0));
  Load(Stream().Tab(48, kTabLeft).Text(u"a").Raw(hyphen).Raw(tab).Text(u"b"));
  ASSERT_EQ(0, lines.ComposeAll(font));
  const Bytes stream = StreamBytes(engine);
  EXPECT_EQ(StreamLong(stream.data() + 10 + 8), 2u);
  EXPECT_NEAR(TabWidthAt(stream, 10 + uint32_t(hyphen.size())), 48 - Width(u"a"), 1e-3);
  EXPECT_NEAR(lines.GetLine(0).width, 48 + Width(u"b"), 1e-3);
}

// A line that breaks at a tab because the soft hyphen after the tab's word
// does not fit: the walk met that hyphen before it broke. Typing before
// the tab composes the line again, and the lines after it, which a whole
// composition makes as they were, must still hide that hyphen.
TEST_F(Composition, TypingBeforeATabBreakKeepsTheHyphenAfterItHidden) {
  const Bytes hyphen = Stream().Element(xMorvaElementCode::SoftHyphen, Stream().Unit(0x00AD), 0);
  const Bytes tab = Stream().Head(xMorvaElementCode::Tab, 14, 14).Raw(Bytes(14, 0));
  const std::u16string word = u"www";
  bool found = false;
  // The stop that leaves room for the word after the tab but not for the
  // hyphen after it.
  for (int16_t stop = 100; stop <= 200 - int16_t(Width(word)) && !found; ++stop) {
    const Bytes head = Stream().Tab(stop, kTabLeft).Text(u"a").Raw(tab);
    Load(Stream().Raw(head).Text(word).Raw(hyphen).Text(u"b"));
    ASSERT_EQ(0, lines.ComposeAll(font));
    if (lines.GetLineCount() != 2 || (lines.GetLine(0).flags & kLineBreakAtTab) == 0 ||
        lines.GetLine(0).bytes != head.size())
      continue;
    found = true;
    const uint32_t hyphenAt = uint32_t(head.size() + 2 * word.size()) + 2;
    ASSERT_EQ(StreamLong(StreamBytes(engine).data() + hyphenAt - 2 + 8), 2u) << stop;
    const xMorvaLines::Change change = lines.RemoveForChange(10, 10);
    ASSERT_EQ(0, engine.InsertBytes(10, Stream().Unit(u'a').bytes().data(), 2));
    ASSERT_EQ(0, lines.RecomposeAfterChange(font, change, 12));
    EXPECT_EQ(StreamLong(StreamBytes(engine).data() + hyphenAt + 8), 2u) << stop;
    xMorvaLines whole(&document, &engine, 0, 4);
    ExpectLikeAWholeComposition(lines, whole, engine, font, stop);
  }
  EXPECT_TRUE(found);
}

// Every element counts one position on exactly one line, whether a line
// breaks at the end of its text (a shown soft hyphen) or while the
// overflow falls inside it (a page number after a space): the records'
// positions add up to the text's. A line whose last place to break lies
// inside a character breaks at the place before.
TEST_F(Composition, ElementsAtABreakCountOnce) {
  const Bytes hyphen = Stream().Element(xMorvaElementCode::SoftHyphen, Stream().Unit(0x00AD), 0);
  std::u16string word;
  while (Width(u"ab" + word + u"-") <= 190) word += u"x";
  std::u16string filler;
  while (Width(filler + u"m ") <= 150) filler += u"m";
  Stream number;
  Computed(number, xMorvaElementCode::PageNumber, Stream().Long(0), Stream().Text(u"xxxxxxxxxxxxxxx"),
           Source(u"page"));
  // A word that fills the line: a soft hyphen's hyphen after it does not
  // fit, and nothing before it is a place to break.
  std::u16string full;
  while (Width(full + u"i") <= 200) full += u"i";
  struct Case {
    const char* name;
    Bytes stream;
    std::vector<int32_t> positions;  // line by line
    uint32_t firstBytes = 0;         // of the first line, when told
    int32_t textWidth = 200;
    uint16_t firstFlags = 0;  // of the first line, when told
  };
  // A word that does not fit after "hello world " but fits a line, after
  // a break character with a mark: the place after the break character
  // stands after the mark, and the line ends there, not inside the word.
  // A space's mark is no blank: the line ends before the space.
  const std::u16string hello = u"hello world ";
  std::u16string latin;
  while (Width(hello + latin) <= 200) latin += u"x";
  const auto marked = [&](const char* name, const std::u16string& character) {
    const int32_t first = int32_t(hello.size() + (character[0] == u' ' ? 0 : character.size()));
    const auto all = int32_t(hello.size() + character.size() + latin.size());
    return Case{
        name, Stream().Text(hello + character + latin), {first, all - first}, uint32_t(2 * first)};
  };
  // Forty ideographs with a selector or mark (of no width) after `prefix`, on lines `width` wide:
  // each line ends after the last whole one that fits (one wider than the line stays on it alone).
  const auto filled = [&](const std::u16string& c, const std::u16string& prefix, int32_t width) {
    Case row{"marked ideographs", {}, {}, 0, width, kLineFirstOfParagraph | kLineBreakAtHyphen};
    for (int32_t left = 40, room = width - int32_t(Width(prefix)), on; left > 0;
         left -= on, room = width) {
      on = std::clamp(int32_t(room / Width(c.substr(0, 1))), 1, left);
      row.positions.push_back(on * int32_t(c.size()) +
                              int32_t(row.positions.empty() ? prefix.size() : 0));
    }
    std::u16string text = prefix;
    while (text.size() < prefix.size() + 40 * c.size()) text += c;
    row.stream = Stream().Text(text);
    return row;
  };
  std::vector<Case> cases = {
      {"two soft-hyphen breaks",
       Stream().Text(u"ab").Raw(hyphen).Text(word).Raw(hyphen).Text(word).Raw(hyphen).Text(u"yyyyyyyyyyyyyyyy"),
       {int32_t(word.size()) + 4, int32_t(word.size()) + 1, 16}},
      {"page number overflowing after a space", Stream().Text(filler + u" ").Raw(number).Text(u"z"),
       {int32_t(filler.size()) + 1, 2}},
      // The line ends before the soft hyphen's element, not inside it.
      {"soft hyphen whose hyphen does not fit", Stream().Text(full).Raw(hyphen).Text(u"jj"),
       {int32_t(full.size()), 3}, uint32_t(2 * full.size())},
      marked("ideograph with a mark", u"\u5B57\u0301"),
      marked("ideograph with a selector", u"\u845B\U000E0100"),
      marked("Hangul syllable with a mark", u"\uD55C\u0301"),
      marked("em dash with a mark", u"\u2014\u0301"),
      marked("space with a mark", u" \u0301"),
      marked("ideographic space with a mark", u"\u3000\u0301"),
  };
  for (const std::u16string c :
       {u"\u4E00\uFE00", u"\u845B\U000E0100", u"\u5B57\u0301", u"\uAC00\u0301"}) {
    const auto fits = int32_t(Width(u"ok ") + 11 * Width(c.substr(0, 1)));  // eleven after "ok "
    for (const Case& row : {filled(c, u"ok ", fits), filled(c, u"ok ", fits - 1),
                            filled(c, u"", 200), filled(c, u"", 10)})
      cases.push_back(row);
    cases.back().firstFlags = kLineFirstOfParagraph | kLineForcedBreak;
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "row " << &c - cases.data());
    document.textWidth = c.textWidth;
    Load(c.stream);
    engine.SetLength(PositionsOf(c.stream));
    ASSERT_EQ(0, lines.ComposeAll(font)) << c.name;
    std::vector<int32_t> positions;
    for (int32_t i = 0; i < lines.GetLineCount(); ++i) positions.push_back(lines.GetLine(i).positions);
    EXPECT_EQ(positions, c.positions) << c.name;
    if (c.firstBytes != 0) {
      EXPECT_EQ(lines.GetLine(0).bytes, c.firstBytes) << c.name;
    }
    EXPECT_EQ(c.firstFlags != 0 ? lines.GetLine(0).flags : 0, c.firstFlags) << c.name;
    EXPECT_TRUE(lines.CheckSums()) << c.name;
  }
}

// A line broken at a space whose next unit did not fit begins with that
// unit's metrics, not with those of the larger text before the space.
TEST_F(Composition, ALineBrokenBeforeItsFirstUnitTakesThatUnitsHeight) {
  Load(Stream().Text(u"x"));
  ASSERT_EQ(0, lines.ComposeAll(font));
  const int32_t small = lines.GetLine(0).height;
  int tried = 0;
  for (int n = 1; n < 80; ++n) {
    const Bytes bytes =
        Stream().Record(kPropSize, 24).Text(std::u16string(size_t(n), u'i') + u" ").Record(kPropSize, 12).Text(u"x");
    Load(bytes);
    ASSERT_EQ(0, lines.ComposeAll(font));
    // Only where the i's and the space fill the line and the x alone goes on.
    if (lines.GetLineCount() != 2 || lines.GetLine(0).positions != n + 1) continue;
    ++tried;
    EXPECT_TRUE(lines.GetLine(0).flags & kLineBreakAtSpace);
    EXPECT_GT(lines.GetLine(0).height, small);
    EXPECT_EQ(lines.GetLine(1).height, small) << n;
  }
  EXPECT_EQ(tried, 1);
}

// A paragraph starts with the stops of the one before it: a stop set at
// the first paragraph lays out the tab of the second, and a removal
// record at the second's start takes it away again.
TEST_F(Composition, TabStopsCarryIntoTheNextParagraph) {
  const Bytes tab = Stream().Head(xMorvaElementCode::Tab, 14, 14).Raw(Bytes(14, 0));
  const uint32_t second = 8 + 2 + 26 + 2;  // record, "a", tab, paragraph end
  struct Case {
    const char* name;
    Bytes stream;
    double width;  // of the second paragraph's tab
  } cases[] = {
      {"carried", Stream().Tab(150, kTabLeft).Text(u"a").Raw(tab).Text(u"\rc").Raw(tab).Text(u"d"),
       150 - Width(u"c")},
      {"removed at the next paragraph",
       Stream().Tab(150, kTabLeft).Text(u"a").Raw(tab).Text(u"\r").Tab(150, kTabNone).Text(u"c").Raw(tab).Text(u"d"),
       -1},
  };
  for (const Case& c : cases) {
    Load(c.stream);
    ASSERT_EQ(0, lines.ComposeAll(font)) << c.name;
    const Bytes stream = StreamBytes(engine);
    uint32_t at = second + (c.width < 0 ? 8 : 0) + 2;
    float width = 0;
    std::memcpy(&width, stream.data() + at + kElementHeadSize, sizeof width);
    if (c.width >= 0)
      EXPECT_NEAR(width, c.width, 1e-3) << c.name;
    else
      EXPECT_LT(width, 150 - Width(u"c") - 1) << c.name;  // a default stop, nearer
  }
}

}  // namespace

namespace {

// Every unit boundary of every line measures to an x that hits back at
// that boundary, in left, centred and justified paragraphs.
TEST_F(Composition, MeasuringAndHitTestingRoundTrip) {
  for (int32_t alignment : {0, 1, 3}) {
    Load(Stream()
             .Record(kPropAlignment, alignment)
             .Text(u"Measured units come back from the x they measure to, ")
             .Record(kPropBold, 1)
             .Text(u"bold ones too, ")
             .Record(kPropBold, 0)
             .Text(u"over several lines.\r"));
    ASSERT_EQ(0, lines.ComposeAll(font));
    ASSERT_GE(lines.GetLineCount(), 3);
    const Bytes stream = StreamBytes(engine);
    uint32_t lineStart = 0;
    for (int32_t i = 0; i < lines.GetLineCount(); ++i) {
      const xMorvaLineRecord& line = lines.GetLine(i);
      double previous = -1;
      for (uint32_t at = lineStart; at < lineStart + line.bytes;) {
        const StreamItem item = ReadStreamItem(stream.data() + at, uint32_t(stream.size()) - at);
        if (item.kind == StreamItem::kUnit && item.unit != kUnitParagraphEnd) {
          int32_t height = 0;
          const double x = lines.MeasureToOffset(font, lineStart, at, i, height);
          EXPECT_EQ(height, line.height);
          EXPECT_GT(x, previous) << alignment << " line " << i;
          previous = x;
          const xMorvaLines::Hit hit = lines.HitTestLine(font, x + 0.25, i, lineStart);
          EXPECT_EQ(hit.offset, at) << alignment << " line " << i << " at " << at;
        }
        at += item.size;
      }
      lineStart += line.bytes;
    }
    // Far left of a centred line's text.
    if (alignment == 1) {
      EXPECT_TRUE(lines.HitTestLine(font, -50, 0, 0).leftOfText);
      EXPECT_EQ(lines.HitTestLine(font, -50, 0, 0).offset, 8u);  // after the record
    }
  }
}

// The services answer the widest body line from the body's composed lines,
// rounded up; 0 without a body or its lines.
TEST_F(Composition, WidestBodyLineComesFromTheComposedLines) {
  xMorvaDocumentEngineServices services;
  std::u16string words;
  while (Width(words + u"WW ") <= 200) words += u"WW ";
  Load(Stream().Text(u"iii\r" + words + u"WW WW\rW"));  // the second paragraph wraps
  ASSERT_EQ(0, lines.ComposeAll(font));
  EXPECT_EQ(services.GetWidestBodyLine(document), 0);
  document.body = &engine;
  EXPECT_EQ(services.GetWidestBodyLine(document), 0);
  engine.SetLines(&lines);
  EXPECT_EQ(services.GetWidestBodyLine(document), int32_t(std::ceil(Width(words.substr(0, words.size() - 1)))));
}

// A whole rebuild asked with progress shows it for texts over 1024 bytes
// only, advanced by every stored line's bytes, and gone afterwards.
TEST_F(Composition, ProgressOfALongRebuild) {
  for (const auto& [words, asked] : {std::pair{400, true}, {400, false}, {170, true}, {171, true}}) {
    std::u16string text;
    for (int i = 0; i < words; ++i) text += i % 10 == 9 ? u"ab\r" : u"ab ";
    Load(Stream().Text(text));  // 6 bytes a word: 171 words pass 1024
    document.progressMessage = 0;
    document.progressTotal = 0;
    document.advanced = 0;
    ASSERT_EQ(0, lines.ComposeAll(font, asked));
    const uint32_t expected = asked && words > 170 ? engine.GetStreamSize() : 0;
    EXPECT_EQ(document.progressTotal, expected) << words;
    EXPECT_EQ(document.progressMessage, expected != 0 ? kProgressComposing : 0);
    EXPECT_EQ(document.advanced, expected);
    EXPECT_FALSE(document.alive);
  }
}

}  // namespace

namespace {

// A surrogate pair is one character to lay out: its high half takes no
// room, a forced break never falls between its halves, and no point hits
// between them.
TEST_F(Composition, ASurrogatePairIsLaidOutAndHitAsOneCharacter) {
  Load(Stream().Text(u"a\U0001F600b\r"));
  ASSERT_EQ(0, lines.ComposeAll(font));
  int32_t height = 0;
  const double beforePair = lines.MeasureToOffset(font, 0, 2, 0, height);
  const double betweenHalves = lines.MeasureToOffset(font, 0, 4, 0, height);
  const double afterPair = lines.MeasureToOffset(font, 0, 6, 0, height);
  EXPECT_EQ(beforePair, betweenHalves);
  EXPECT_GT(afterPair, beforePair + 2);
  EXPECT_EQ(lines.HitTestLine(font, beforePair + 1, 0, 0).offset, 2u);
  EXPECT_EQ(lines.HitTestLine(font, afterPair - 1, 0, 0).offset, 6u);
  EXPECT_EQ(lines.HitTestLine(font, beforePair + 1, 0, 0).positions, 1);

  // A word of pairs wider than the line breaks between pairs only.
  std::u16string word;
  for (int i = 0; i < 30; ++i) word += u"\U0001F600";
  document.textWidth = 60;
  Load(Stream().Text(word));
  ASSERT_EQ(0, lines.ComposeAll(font));
  ASSERT_GT(lines.GetLineCount(), 1);
  EXPECT_EQ(SumPositions(), int32_t(word.size()));
  EXPECT_EQ(SumBytes(), engine.GetStreamSize());
  for (int32_t i = 0; i < lines.GetLineCount(); ++i) {
    EXPECT_EQ(lines.GetLine(i).bytes % 4, 0u) << "line " << i;
    EXPECT_EQ(lines.GetLine(i).positions % 2, 0) << "line " << i;
  }
}

}  // namespace
