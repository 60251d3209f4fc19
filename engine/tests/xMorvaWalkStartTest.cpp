// Where a position walk starts: from the nearest mark, the last stop or the
// cache point behind its target. The cache point a walk leaves behind a far
// target may be known by its position alone (the walk started past it); a
// change before the place that walk started drops it, a change after keeps
// it, and the next walk through it takes its state. Marks keep their tab
// lists as the stops in use. And the selection's own walks (over the
// selected positions and on to the paragraph's end) step over runs of
// ordinary characters: their counts must come out as item by item.
#include "engine/tests/WalkFixture.h"

#include <random>

namespace {

class WalkStartTest : public WalkFixture {};

// 3,000 positions of plain units after one paragraph record: position p
// is at byte 8 + 2p.
Bytes PlainText() {
  Stream s;
  s.Record(kPropAlignment, 2);
  for (int i = 0; i < 3000; ++i) s.Unit(i % 50 == 49 ? u'\r' : i % 7 == 6 ? u' ' : char16_t(u'a' + i % 26));
  return s;
}
uint32_t OffsetOf(int32_t position) { return 8 + 2 * uint32_t(position); }

TEST_F(WalkStartTest, APointLeftPastTheWalksStartIsKeptOrDroppedByWhereThatWalkBegan) {
  // After a walk to 1000 from the start (marks to 768, its stop at 1000), a
  // walk to 1400 starts from that stop, past 888 where it leaves the cache
  // point: the point is known by its position, and lies before byte 2008.
  struct Case {
    const char* what;
    int32_t changedAt;
    int32_t cacheAfter;
  } cases[] = {
      {"a change before the point", 500, 0},
      {"a change between the point and the walk's start", 950, 0},
      {"a change where the walk started", 1000, 888},
      {"a change after it", 1200, 888},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Load(PlainText());
    engine.SetSelection(1000, 1000);
    engine.SetSelection(1400, 1400);
    ASSERT_EQ(888, engine.GetCachePosition()) << "512 behind the target, as always";
    const Bytes record = Stream().Record(kPropBold, 1);
    ASSERT_EQ(0, engine.InsertBytes(OffsetOf(c.changedAt), record.data(), uint32_t(record.size())));
    EXPECT_EQ(c.cacheAfter, engine.GetCachePosition());
    for (const int32_t at : {890, 1000, 1100, 1399, 1400, 2990})
      ExpectSelectedAlike(at, std::min(3000, at + 30), c.what);
  }
}

TEST_F(WalkStartTest, APointKnownByItsPositionTakesItsStateFromTheNextWalkThroughIt) {
  Load(PlainText());
  engine.SetSelection(1000, 1000);
  engine.SetSelection(1400, 1400);
  ASSERT_EQ(888, engine.GetCachePosition());
  // 1010 leaves no new point (888 lies between its place and the target)
  // and walks from the mark at 768, through 888.
  engine.SetSelection(1010, 1010);
  ASSERT_EQ(888, engine.GetCachePosition());
  // A record put at 950 lies after the point now that its offset is known.
  const Bytes record = Stream().Record(kPropItalic, 1);
  ASSERT_EQ(0, engine.InsertBytes(OffsetOf(950), record.data(), uint32_t(record.size())));
  EXPECT_EQ(888, engine.GetCachePosition());
  // 900 resumes from the point, the nearest place behind it.
  ExpectSelectedAlike(900, 960, "from the point");
  ExpectSelectedAlike(951, 951, "past the record");
  EXPECT_EQ(1, engine.GetPropertyValue(kPropItalic));
}

// Paragraphs that add and remove many tab stops (a stop of kind 0 removes
// the one at its position), so that the marks hold long and changing lists.
Bytes TabbedText(std::mt19937& random, int paragraphs) {
  auto pick = [&](int n) { return int(random() % uint32_t(n)); };
  Stream s;
  for (int p = 0; p < paragraphs; ++p) {
    for (int i = pick(8); i > 0; --i) s.Tab(int16_t(4 * (1 + pick(120))), uint8_t(pick(5)), uint8_t(pick(2) ? '.' : 0));
    for (int i = 20 + pick(200); i > 0; --i) {
      if (pick(30) == 0) s.Record(kPropSize, 9 + pick(5));
      if (pick(60) == 0) s.Element(xMorvaElementCode::Tab, Bytes(8, 0));
      s.Unit(pick(6) == 0 ? u' ' : char16_t(u'a' + pick(26)));
    }
    s.Unit(pick(20) == 0 ? u'\x2000' : u'\r');
  }
  return s;
}

TEST_F(WalkStartTest, TabListsResumedFromMarksAreTheWalksOwn) {
  std::mt19937 random(41);
  Load(TabbedText(random, 400));
  ASSERT_GT(engine.GetLength(), 40 * xMorvaEngine::kMarkSpacing);
  auto anywhere = [&]() { return int32_t(random() % uint32_t(engine.GetLength() + 1)); };
  engine.SetSelection(engine.GetLength(), engine.GetLength());
  ASSERT_GT(engine.GetCurrentTabs().Count(), 20) << "long lists by the end";
  for (int step = 0; step < 60; ++step) {
    const std::string where = "step " + std::to_string(step);
    for (int i = 0; i < 5; ++i) {
      const int32_t start = anywhere();
      ExpectSelectedAlike(start, std::min(engine.GetLength(), start + int32_t(random() % 200)), where);
    }
    // Edits drop the marks behind them, and their lists with them.
    engine.SetSelection(anywhere(), anywhere());
    if (step % 2 == 0) {
      ASSERT_EQ(0, engine.SetTabsWithUndo(engine.GetCurrentTabs()));
    } else {
      ASSERT_EQ(0, engine.InsertParagraphEndWithUndo());
    }
    undo.Commit();
    ExpectSelectedAlike(engine.GetLength(), engine.GetLength(), where + " at the end");
  }
}

// The selection's walks over runs of ordinary characters, cut by records,
// elements, paragraph ends and the text's end.
TEST_F(WalkStartTest, SelectionCountsOverRunsOfCharacters) {
  // ab cd[bold]ef\r[plain]gh ij[tab element]kl  : positions 0-15.
  const Bytes text = Stream()
                         .Record(kPropAlignment, 1)
                         .Text(u"ab cd")
                         .Record(kPropBold, 1)
                         .Text(u"ef\r")
                         .Record(kPropBold, 0)
                         .Text(u"gh ij")
                         .Element(xMorvaElementCode::Tab, Bytes(8, 0))
                         .Text(u"kl");
  struct Case {
    int32_t start, end;
    uint32_t selEndOffset;
    int32_t paragraphEnd;
    uint32_t paragraphEndOffset;
    int32_t wordEnd;
    int32_t paragraphEnds;
    bool endsWithParagraphEnd, spaceAtEnd, lastParagraph;
    int32_t bold, typingBold;
  } cases[] = {
      // A caret: on to the paragraph end over the record.
      {1, 1, 10, 8, 32, 3, 0, false, true, false, 0, 0},
      // The last unit a space.
      {0, 3, 14, 8, 32, 3, 0, false, true, false, 0, 0},
      // Across the record, the last unit an ordinary one: typing goes on
      // in its look.
      {0, 6, 28, 8, 32, 7, 0, false, false, false, 2, 1},
      // Up to and with the paragraph end: the records after it follow.
      {0, 8, 40, 8, 32, 8, 1, true, false, false, 2, 0},
      // Across the paragraph end, to the element.
      {3, 13, 50, 16, 74, 13, 1, false, false, true, 2, 0},
      // Within the last paragraph, after the element, to the text's end.
      {14, 16, 74, 16, 74, 16, 0, false, false, true, 0, 0},
      // The whole text.
      {0, 16, 74, 16, 74, 16, 1, false, false, true, 2, 0},
  };
  for (const Case& c : cases) {
    Load(text, c.start, c.end);
    SCOPED_TRACE(std::to_string(c.start) + ".." + std::to_string(c.end));
    EXPECT_EQ(c.selEndOffset, engine.GetSelEndOffset());
    EXPECT_EQ(c.paragraphEnd, engine.GetParagraphEnd());
    EXPECT_EQ(c.paragraphEndOffset, engine.GetParagraphEndOffset());
    EXPECT_EQ(c.wordEnd, engine.GetWordEnd());
    EXPECT_EQ(c.paragraphEnds, engine.GetSelParagraphEndCount());
    EXPECT_EQ(c.endsWithParagraphEnd, engine.SelectionEndsWithParagraphEnd());
    EXPECT_EQ(c.spaceAtEnd, engine.SelectionEndsWithSpace());
    EXPECT_EQ(c.lastParagraph, engine.IsInLastParagraph());
    // 2: mixed; else the value throughout.
    EXPECT_EQ(c.bold, engine.GetPropertyState(kPropBold) == 0 ? 2 : engine.GetPropertyValue(kPropBold));
    EXPECT_EQ(c.typingBold, engine.GetTypingProperties().GetProperty(kPropBold));
  }
}

}  // namespace
