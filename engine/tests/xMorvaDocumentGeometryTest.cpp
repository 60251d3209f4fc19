// The document's text geometry: offsets to lines on pages and back from a
// point, the caret at the selection, vertical caret moves, and which path
// typing takes.
#include "engine/tests/LayoutFixture.h"

namespace {

class GeometryTest : public LayoutTest {
 protected:
  // Paragraphs of numbered words, long enough to run over several lines.
  static std::u16string Paragraphs(int count, int words) {
    std::u16string text;
    for (int p = 0; p < count; ++p) {
      for (int w = 0; w < words; ++w) {
        for (char c : "word" + std::to_string(p * words + w)) text += char16_t(c);
        text += w + 1 < words ? u" " : u"\r";
      }
    }
    return text;
  }
  xMorvaTextInterface& Body() { return *document->GetPart(kPartBody); }
  const xMorvaLines& BodyLines() {
    layout->Update();
    return *layout->GetLines(kPartBody);
  }
  // The first position of body line `line`.
  int32_t LineStartPosition(int32_t line) {
    int32_t positions = 0;
    for (int32_t i = 0; i < line; ++i) positions += BodyLines().GetLine(i).positions;
    return positions;
  }
};

// Every position's caret, hit at the middle of its line, gives the position
// back, on every page, in page view and in continuous view.
TEST_F(GeometryTest, CaretAndPointRoundTripOnEveryPage) {
  Load(Paragraphs(12, 40), 0, 0);
  document->Params().SetPageSize(document->GetParams().GetPageWidth(),
                                 document->GetParams().GetBands(false).topMargin +
                                     document->GetParams().GetBands(false).bottomMargin + 120);
  ASSERT_GT(layout->GetPageCount(), 4);
  for (int16_t mode : {0, 1, 2}) {
    // Mode 2 here: page view with two columns.
    document->Params().SetColumns(mode == 2 ? 2 : 1);
    if (mode == 2) mode = 0;
    document->Params().SetViewMode(mode);
    int32_t lastPage = 0;
    int32_t lastTop = -1;
    for (int32_t p = 0; p <= Body().GetLength(); p += 7) {
      Body().SetSelection(p, p);
      int32_t x = 0, y = 0, top = 0, height = 0;
      document->GetCaretGeometry(x, y, top, height);
      int32_t page = 0, line = 0, position = 0, column = 0;
      document->GetCaretStatus(page, line, position, column);
      ASSERT_GT(height, 0) << p;
      ASSERT_GE(page, lastPage) << p;
      if (document->GetParams().GetColumns() == 1) {
        ASSERT_GE(top, lastTop) << "mode " << mode << " position " << p;
      }
      if (mode == 0) {
        // Within its page's text band.
        const int32_t pageTop = 4 + page * (document->GetParams().GetPageHeight() + 4);
        ASSERT_GE(top, pageTop + document->GetParams().TopMargin(page)) << p;
        ASSERT_LE(top + height, pageTop + document->GetParams().GetPageHeight()) << p;
      }
      lastPage = page;
      lastTop = top;
      ASSERT_EQ(p, document->OffsetAtPoint(x, top + height / 2, false))
          << "mode " << mode << " position " << p;
    }
    EXPECT_EQ(layout->GetPageCount() - 1, lastPage);
  }
}

TEST_F(GeometryTest, VerticalMovesKeepTheirColumnAndBeepAtTheEnds) {
  // A long paragraph, a short one, a long one.
  std::u16string text = Paragraphs(1, 30);
  text += u"short\r";
  text += Paragraphs(1, 30);
  Load(text, 0, 0);
  const int32_t lines = BodyLines().GetLineCount();
  ASSERT_GT(lines, 5);
  // On the first line, going up beeps and changes nothing.
  Body().SetSelection(3, 3);
  document->MoveCaretVertically(true, false);
  EXPECT_EQ(3, Body().GetSelStart());
  // Down keeps the x: from the middle of the long paragraph's last line,
  // through the short line (to its end), and on at the same x.
  int32_t shortLine = 0;
  while (BodyLines().GetLine(shortLine).positions != 6) ++shortLine;
  const int32_t from = LineStartPosition(shortLine - 1) + 20;
  Body().SetSelection(from, from);
  int32_t x0 = 0, y = 0, top = 0, height = 0;
  document->GetCaretGeometry(x0, y, top, height);
  document->MoveCaretVertically(false, false);
  EXPECT_EQ(LineStartPosition(shortLine) + 5, Body().GetSelStart());  // before its paragraph end
  document->MoveCaretVertically(false, false);
  int32_t x1 = 0;
  document->GetCaretGeometry(x1, y, top, height);
  EXPECT_NEAR(x0, x1, 12);
  EXPECT_GT(Body().GetSelStart(), LineStartPosition(shortLine + 1) + 10);
  EXPECT_LT(Body().GetSelStart(), LineStartPosition(shortLine + 2));
  // Extending up from a caret selects backwards; the caret end moves.
  const int32_t caret = Body().GetSelStart();
  document->MoveCaretVertically(true, true);
  EXPECT_EQ(caret, Body().GetSelEnd());
  EXPECT_LT(Body().GetSelStart(), caret);
  EXPECT_TRUE(document->IsSelectionBackward());
  // On the last line, going down beeps and changes nothing.
  Body().SetSelection(Body().GetLength(), Body().GetLength());
  document->MoveCaretVertically(false, false);
  EXPECT_EQ(Body().GetLength(), Body().GetSelStart());
}

// Which path a keystroke takes, and that the lines are right after it.
TEST_F(GeometryTest, TypingTakesTheFastPathOnlyWhereTheLineCanTakeTheUnit) {
  struct Case {
    const char* name;
    int32_t line;       // body line of the caret
    int32_t intoLine;   // positions into it; -1 its last
    char16_t unit;
    bool selection;
    bool fast;
  };
  const Case cases[] = {
      {"a letter on the first line", 0, 2, u'x', false, true},
      {"a space on the first line", 0, 2, u' ', false, true},
      {"a letter in the first word of a second line", 2, 2, u'x', false, true},
      {"a space in the first word of a second line", 2, 2, u' ', false, false},
      {"a letter at the start of a second line", 2, 0, u'x', false, false},
      {"a space in the second word of a second line", 2, 9, u' ', false, true},
      {"over a selection", 0, 2, u'x', true, false},
  };
  for (const Case& c : cases) {
    // A short first paragraph; then paragraphs of two lines, the second
    // short.
    Load(u"word0 word1 word2\r" + Paragraphs(2, 15), 0, 0);
    const xMorvaLineRecord record = BodyLines().GetLine(c.line);
    ASSERT_EQ(c.line == 0, (record.flags & kLineFirstOfParagraph) != 0) << c.name;
    ASSERT_LT(record.width + 40, record.available) << c.name;
    const int32_t at = LineStartPosition(c.line) + c.intoLine;
    Body().SetSelection(at, at + (c.selection ? 2 : 0));
    if (c.line == 0 && !c.selection) document->TypeCharacter(u'q');  // clears the resync flag
    document->TypeCharacter(c.unit);
    EXPECT_EQ(c.fast, document->LastTypingWasFast()) << c.name;
    EXPECT_FALSE(document->NeedsTypingResync()) << c.name;
    ExpectLikeWholeRecomposition(c.name);
  }
}

// Behind a right or centre tab the tab gives up the width; behind a left
// tab the next tab does; behind a decimal tab the line is composed again.
TEST_F(GeometryTest, TypingBetweenTabs) {
  struct Case {
    const char* name;
    int32_t tab;  // the caret goes behind this tab's text
    bool fast;
  };
  const Case cases[] = {
      {"behind a left tab, before a centre one", 0, true},
      {"behind a centre tab, before a right one", 1, true},
      {"behind a right tab, before a decimal one", 2, true},
      {"behind a decimal tab", 3, false},
  };
  for (const Case& c : cases) {
    Load(u"a", 1, 1);
    xMorvaEngine& engine = *layout->GetEngine(kPartBody);
    for (char16_t text : {u'b', u'c', u'd', u'e'}) {
      engine.InsertTab();
      engine.TypeCharacter(text);
    }
    engine.SelectAll();
    xMorvaTabs tabs;
    tabs.AddStop(MakeTabStop(100, 0, kTabLeft));
    tabs.AddStop(MakeTabStop(250, 0, kTabCentre));
    tabs.AddStop(MakeTabStop(400, 0, kTabRight));
    tabs.AddStop(MakeTabStop(520, 0, kTabDecimal));
    document->BeginChange();
    Body().SetTabsWithUndo(tabs);
    document->EndChange();
    ExpectLikeWholeRecomposition(c.name);
    // Behind the tab's one letter.
    const int32_t at = 1 + 2 * c.tab + 2;
    Body().SetSelection(at, at);
    document->TypeCharacter(u'q');
    for (int i = 0; i < 3; ++i) {
      document->TypeCharacter(u'x');
      EXPECT_EQ(c.fast, document->LastTypingWasFast()) << c.name;
      ExpectLikeWholeRecomposition(c.name);
    }
  }
}

TEST_F(GeometryTest, AUnitThatDoesNotFitWrapsTheLine) {
  Load(Paragraphs(1, 30), 0, 0);
  // Fill the first line up to its edge with narrow units, then one more
  // wide one that cannot fit.
  const int32_t lines = BodyLines().GetLineCount();
  const int32_t end = BodyLines().GetLine(0).positions - 1;
  Body().SetSelection(end, end);
  document->TypeCharacter(u'i');
  for (int i = 0; i < 200 && document->LastTypingWasFast(); ++i) document->TypeCharacter(u'i');
  EXPECT_FALSE(document->LastTypingWasFast());
  EXPECT_GE(BodyLines().GetLineCount(), lines);
  ExpectLikeWholeRecomposition("wrapped");
}

TEST_F(GeometryTest, AFullHeaderTypesSlowlyAndHidesTheCaret) {
  document->Params().SetViewMode(0);
  xMorvaPageBands& bands = document->Params().GetBands(false);
  bands.headerTop = 40;
  bands.headerBottom = 100;
  bands.topMargin = 120;
  // The header part of page 0: click into its band to make it current.
  const int32_t top = 4 + document->GetParams().HeaderTop(0) + 2;
  document->OffsetAtPoint(document->GetParams().TextLeft(0) + 5, top, true);
  ASSERT_TRUE(document->IsHeaderCurrent());
  const int16_t header = document->GetCurrentPartNumber();
  std::u16string lines;
  for (int i = 0; i < 40; ++i) lines += u"header line\r";
  Load(lines, 0, 0);
  // The last line lies below the header's area.
  const int32_t length = document->GetCurrentPart()->GetLength();
  document->GetCurrentPart()->SetSelection(length - 1, length - 1);
  document->TypeCharacter(u'x');
  EXPECT_FALSE(document->LastTypingWasFast());
  EXPECT_FALSE(document->GetCaret().IsVisible());
  // Its first line lies inside it: the fast path, the caret shown.
  document->GetCurrentPart()->SetSelection(3, 3);
  document->TypeCharacter(u'x');
  EXPECT_TRUE(document->LastTypingWasFast());
  EXPECT_TRUE(document->GetCaret().IsVisible());
  EXPECT_EQ(header, document->GetCurrentPartNumber());
  ExpectLikeWholeRecomposition("header");
}

}  // namespace
