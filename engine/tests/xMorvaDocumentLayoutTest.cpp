// The document's lines and pages follow its edits: after any mix of typing,
// deleting, paragraph ends, property changes, undo and redo, every part's
// line records and the body's page records equal those of a whole
// recomposition.
#include "document/xMorvaFind.h"
#include "engine/tests/LayoutFixture.h"

namespace {

class RandomLayoutTest : public LayoutTest {
 protected:
  // One edit of the current part through the document's change protocol.
  void RandomEdit(std::mt19937& random, std::string& what) {
    xMorvaTextInterface* part = document->GetCurrentPart();
    const int32_t length = part->GetLength();
    int32_t start = length > 0 ? int32_t(random() % uint32_t(length + 1)) : 0;
    int32_t end = start;
    const uint32_t kind = random() % 12;
    if (kind >= 6 || (kind == 5 && random() % 2 == 0)) {
      end = std::min(length, start + int32_t(random() % 300));
    }
    part->SetSelection(start, end);
    xMorvaUndo& undo = *document->GetUndo();
    switch (kind) {
      case 0:
      case 1:
      case 2: {
        // A few keystrokes at one place, as typing goes: the fast path
        // where the line takes them, the slow one elsewhere.
        part->SetSelection(start, start + (random() % 8 == 0 ? 3 : 0));
        if (random() % 3 == 0) {
          // Typing behind (or in front of) a tab.
          document->BeginChange();
          layout->GetEngine(document->GetCurrentPartNumber())->InsertTabWithUndo();
          document->EndChange();
          if (random() % 2 == 0) part->SetSelection(part->GetSelStart() - 1, part->GetSelStart() - 1);
          ExpectLikeWholeRecomposition("tab");
          if (HasFatalFailure()) return;
        }
        static const char16_t kKeys[] = u"abcdefghijklmnopqrstuvwxyz     -WMi.";
        for (int n = int(random() % 6) + 1; n > 0; --n) {
          document->TypeCharacter(kKeys[random() % (sizeof kKeys / sizeof kKeys[0] - 1)]);
          what = document->LastTypingWasFast() ? "type fast" : "type slow";
          fast += document->LastTypingWasFast() ? 1 : 0;
          ++typed;
          if (n > 1) ExpectLikeWholeRecomposition(what);
          if (HasFatalFailure()) return;
        }
        break;
      }
      case 3:
        what = "paragraph end";
        document->BeginChange();
        part->InsertParagraphEndWithUndo();
        document->EndChange();
        break;
      case 4:
      case 5:
        what = "delete";
        if (start == end && end < length) part->SetSelection(start, end + 1);
        document->BeginChange();
        part->DeleteSelectionWithUndo();
        document->EndChange();
        break;
      case 7: {
        // Tab stops of every kind, some with leaders, over the selected
        // paragraphs.
        xMorvaTabs tabs;
        for (int n = int(random() % 4); n > 0; --n) {
          tabs.AddStop(MakeTabStop(int16_t(60 + random() % 500), random() % 4 == 0 ? '.' : 0,
                                   uint8_t(1 + random() % 4)));
        }
        what = "tabs";
        document->BeginChange();
        part->SetTabsWithUndo(tabs);
        document->EndChange();
        break;
      }
      case 6: {
        static const uint16_t kIds[] = {kPropSize, kPropBold, kPropAlignment, kPropInterline,
                                        kPropLeftIndent, kPropFirstLineIndent, kPropTopBorder};
        static const int32_t kValues[] = {18, 1, 2, 20, 40, 25, 1};
        const size_t which = random() % (sizeof kIds / sizeof kIds[0]);
        what = "property " + std::to_string(kIds[which]);
        document->BeginChange();
        part->SetPropertyWithUndo(kIds[which], random() % 2 ? kValues[which] : 0);
        document->EndChange();
        break;
      }
      case 8:
        what = "undo";
        undo.Undo();
        break;
      case 10:
      case 11: {
        // A word found from the selection on, or every one replaced.
        static const char16_t* const kFound[] = {u"text", u"lines", u"a", u"wide-ish"};
        static const char16_t* const kReplacements[] = {u"", u"x", u"longer words here", u"T\rU"};
        xMorvaFindReplaceParameters parameters;
        parameters.findText.SetUniCText(kFound[random() % 4]);
        parameters.wholeWord = uint8_t(random() % 2);
        if (kind == 10) {
          what = "find and replace one";
          parameters.replaceText.SetUniCText(kReplacements[random() % 4]);
          if (document->FindNext(parameters) && document->ReplaceNext(parameters)) ++replaced;
        } else {
          what = "replace all";
          parameters.replaceText.SetUniCText(kReplacements[random() % 4]);
          replaced += document->ReplaceAll(parameters);
        }
        break;
      }
      default:
        what = "redo";
        undo.Redo();
        break;
    }
  }

  int fast = 0;
  int typed = 0;
  int replaced = 0;
};

TEST_F(LayoutTest, TheDocumentComposesAndPaginatesItsBody) {
  ASSERT_NE(layout, nullptr);
  // An empty document: one line in each part, one page.
  EXPECT_EQ(1, layout->GetPageCount());
  for (int16_t part = 0; part < kPartCount; ++part) EXPECT_EQ(1, layout->GetLineCount(part));
  std::mt19937 random(30);
  Load(Generated(random, 80), 0, 0);
  const int32_t pages = layout->GetPageCount();
  EXPECT_GT(pages, 3);
  EXPECT_GT(layout->GetWidestBodyLine(), 0);
  EXPECT_LE(layout->GetWidestBodyLine(), document->GetTextWidth(kPartBody));
  EXPECT_EQ(layout->GetWidestBodyLine(), WidestBodyLine(*document));
  ExpectLikeWholeRecomposition("loaded");
  // The content follows the page count in page view, the lines' height
  // in continuous view.
  int32_t width = 0;
  int32_t height = 0;
  document->Params().SetViewMode(0);
  document->GetContentSize(width, height);
  EXPECT_EQ(pages * (document->GetParams().GetPageHeight() + 4) + 4, height);
  document->Params().SetViewMode(1);
  document->GetContentSize(width, height);
  EXPECT_EQ(layout->GetBodyLinesHeight() + 8 + 3 * pages, height);
}

TEST_F(RandomLayoutTest, RandomEditsKeepLinesAndPagesLikeAWholeRecomposition) {
  std::mt19937 random(2026);
  Load(Generated(random, 40), 0, 0);
  // Small pages, so that edits move many page breaks.
  document->Params().SetPageSize(document->GetParams().GetPageWidth(),
                                 document->GetParams().GetBands(false).topMargin +
                                     document->GetParams().GetBands(false).bottomMargin + 160);
  ExpectLikeWholeRecomposition("smaller pages");
  const Bytes first = StreamBytes(*layout->GetEngine(kPartBody));
  std::string what;
  for (int step = 0; step < 400; ++step) {
    // Now and then a header or a footer takes the edit.
    if (step % 50 == 25) document->SetCurrentPart(int16_t(1 + random() % 6));
    if (step % 50 == 35) document->SelectBody();
    RandomEdit(random, what);
    ExpectLikeWholeRecomposition("step " + std::to_string(step) + " " + what);
    if (HasFatalFailure()) return;
  }
  // Both typing paths were taken.
  EXPECT_GT(fast, typed / 4);
  EXPECT_LT(fast, typed);
  EXPECT_GT(replaced, 20);
  // Undoing every step gives back the first text, laid out as before.
  document->SelectBody();
  xMorvaUndo& undo = *document->GetUndo();
  for (int step = 0; step < 1000 && undo.CanUndo(); ++step) undo.Undo();
  ExpectLikeWholeRecomposition("all undone");
  if (HasFatalFailure()) return;
  Bytes now = StreamBytes(*layout->GetEngine(kPartBody));
  ExpectSameLayout(now, first, "all undone");
}

TEST_F(LayoutTest, WidthAndPageGeometryChangesComposeAgain) {
  std::mt19937 random(7);
  Load(Generated(random, 30), 0, 0);
  const int32_t lines = layout->GetLineCount(kPartBody);
  // Narrower text: more lines, composed at the next update.
  document->Params().SetLeftMargin(document->GetParams().GetLeftMargin() + 150);
  EXPECT_GT(layout->GetLineCount(kPartBody), lines);
  ExpectLikeWholeRecomposition("narrower");
  // Two columns; widow control off.
  document->Params().SetColumns(2);
  document->Params().SetWidowControl(0);
  ExpectLikeWholeRecomposition("two columns");
  EXPECT_NE(0, layout->GetPages().GetColumnLineCount(0, 1));
}

// Typing along a line measures the line from its own start: a hanging
// first line, which begins left of the indent, is full when its text
// reaches the available width, however far left it begins.
TEST_F(LayoutTest, TypingOnAHangingFirstLineBreaksAsAWholeComposition) {
  int fast = 0;
  for (int n = 0; n < 40; ++n) {
    std::u16string text = std::u16string(size_t(n), u'i');
    for (int w = 0; w < 30; ++w) text += u" which";
    Load(text + u"\r", 0, 0);
    document->BeginChange();
    document->GetCurrentPart()->SetPropertyWithUndo(kPropFirstLineIndent, -30);
    document->EndChange();
    ASSERT_EQ(0, layout->Update());
    // The caret at the end of the first line's last word.
    const int32_t end = layout->GetLines(kPartBody)->GetLine(0).positions - 1;
    document->GetCurrentPart()->SetSelection(end, end);
    document->TypeCharacter(u'W');
    fast += document->LastTypingWasFast() ? 1 : 0;
    ExpectLikeWholeRecomposition("hanging line, " + std::to_string(n) + " i's");
    if (HasFatalFailure()) return;
  }
  EXPECT_GT(fast, 0);
}

// Typing into a centred text whose line breaks further on narrows the
// centre tab by half the unit, as a whole composition does.
TEST_F(LayoutTest, TypingBehindACentreTabOnABrokenLine) {
  int fast = 0;
  for (int16_t stop = 200; stop < 640; stop += 40) {
    Load(u"xab cd " + std::u16string(80, u'm') + u"\r", 1, 1);
    document->BeginChange();
    layout->GetEngine(kPartBody)->InsertTabWithUndo();
    document->EndChange();
    xMorvaTabs tabs;
    tabs.AddStop(MakeTabStop(stop, 0, kTabCentre));
    document->BeginChange();
    document->GetCurrentPart()->SetTabsWithUndo(tabs);
    document->EndChange();
    ASSERT_EQ(0, layout->Update());
    document->GetCurrentPart()->SetSelection(3, 3);
    document->TypeCharacter(u'W');
    fast += document->LastTypingWasFast() ? 1 : 0;
    ExpectLikeWholeRecomposition("centre tab at " + std::to_string(stop));
    if (HasFatalFailure()) return;
  }
  EXPECT_GT(fast, 0);
}

// While a soft hyphen waits for the next place to break, its hyphen takes
// room: typing after it is composed again rather than fitted by width.
TEST_F(LayoutTest, TypingAfterASoftHyphenBreaksAsAWholeComposition) {
  for (int n = 40; n < 80; ++n) {
    Load(u"and of aM" + std::u16string(size_t(n), u'a') + u"\r", 8, 8);
    document->BeginChange();
    layout->GetEngine(kPartBody)->InsertSoftHyphenWithUndo();
    document->EndChange();
    ASSERT_EQ(0, layout->Update());
    document->GetCurrentPart()->SetSelection(n + 10, n + 10);
    document->TypeCharacter(u'a');
    ExpectLikeWholeRecomposition("soft hyphen, " + std::to_string(n) + " a's");
    if (HasFatalFailure()) return;
  }
}

// Bold over much of a plain text breaks every line it reaches anew (more
// lines), its undo again (fewer), its redo once more: the new lines go into
// the table in one splice, with the lines before and after them kept.
TEST_F(LayoutTest, BoldOverManyParagraphsAndItsUndoComposeAsAWhole) {
  // The selection in hundredths of the text.
  static const int32_t kRows[][2] = {{0, 100}, {0, 50}, {30, 70}, {60, 100}};
  for (const auto& row : kRows) {
    std::mt19937 random(11);
    Load(Generated(random, 60), 0, 0);
    ASSERT_EQ(0, layout->Update());
    const int32_t length = document->GetCurrentPart()->GetLength();
    document->GetCurrentPart()->SetSelection(length * row[0] / 100, length * row[1] / 100);
    document->ApplySelectionAttribute(kPropBold, 1);
    const std::string where = std::to_string(row[0]) + "-" + std::to_string(row[1]);
    ExpectLikeWholeRecomposition(where + " bold");
    document->GetUndo()->Undo();
    ExpectLikeWholeRecomposition(where + " undone");
    document->GetUndo()->Redo();
    ExpectLikeWholeRecomposition(where + " redone");
    if (HasFatalFailure()) return;
  }
}

TEST_F(LayoutTest, EditsInAHeaderLeaveTheBodyPagesAlone) {
  std::mt19937 random(3);
  Load(Generated(random, 20), 0, 0);
  const int32_t pages = layout->GetPageCount();
  const xMorvaPageRecord first = layout->GetPages().GetPage(0);
  document->SetCurrentPart(int16_t(kPartHeader));
  Load(u"Header line one\rand two\r", 5, 5);
  document->BeginChange();
  document->GetCurrentPart()->TypeCharacterWithUndo(u'x');
  document->EndChange();
  EXPECT_EQ(3, layout->GetLineCount(kPartHeader));
  EXPECT_EQ(pages, layout->GetPageCount());
  EXPECT_TRUE(first == layout->GetPages().GetPage(0));
  ExpectLikeWholeRecomposition("header");
}

}  // namespace
