// The document's display over real texts: view mode and rulers under the
// area's suppression, headers shown and hidden, the drag ranges of the
// ruler markers, and the insertion of a block of units.
#include "engine/tests/DocumentFixture.h"

namespace {

using Range = std::pair<int32_t, int32_t>;

class DisplayTest : public DocumentTest {
 protected:
  // Paragraph property over the paragraph holding `position`, unrecorded.
  void SetParagraph(int32_t position, uint16_t id, int32_t value) {
    document->GetUndo()->Suspend();
    document->GetCurrentPart()->SetSelection(position, position);
    ASSERT_EQ(document->GetCurrentPart()->SetPropertyValue(id, value), 0);
    document->GetUndo()->Resume();
  }
  template <typename Get>
  Range RangeOf(Get get) {
    int32_t min = -1;
    int32_t max = -1;
    get(min, max);
    return {min, max};
  }
};

TEST_F(DisplayTest, ViewModeAndRulersFollowTheArea) {
  document->Params().SetViewFlag(2, 1);
  document->SetCurrentPart(kPartHeader);
  document->SetViewMode(1);
  EXPECT_TRUE(document->IsBodyCurrent());
  EXPECT_TRUE(area.rulers);
  EXPECT_FALSE(area.pageRulerShown);  // no page ruler in continuous text
  document->SetViewMode(0);
  EXPECT_TRUE(area.pageRulerShown);

  // Suppressed: showing is refused, hiding works.
  area.suppressed = true;
  document->ShowRulers(false, true);
  EXPECT_FALSE(area.rulers);
  document->ShowRulers(true, true);
  EXPECT_FALSE(area.rulers);
  document->ShowBar(2, true, true);
  EXPECT_FALSE(document->IsBarShown(2));
  area.suppressed = false;
  document->ShowBar(2, true, true);
  EXPECT_TRUE(document->IsBarShown(2));
  EXPECT_FALSE(document->IsBarShown(4));
  // The docked bar stays as it is in size state 4.
  area.sizeState = 4;
  document->ShowDockBar(true, true);
  EXPECT_FALSE(document->IsDockBarShown());
}

TEST_F(DisplayTest, HeadersShownAndHidden) {
  xMorvaPageBands& bands = document->Params().GetBands(false);
  bands.headerShown = 0;
  bands.headerBottom = 90;
  bands.topMargin = 60;
  document->ShowHeader(true);
  EXPECT_EQ(bands.headerShown, 1);
  EXPECT_EQ(bands.topMargin, 90);
  // The first page's bands are its own when it differs.
  document->Params().SetDifferentFirstPage(1);
  document->SetCaretPage(0);
  document->SelectHeaderForPage(0);
  document->ShowHeader(false);
  EXPECT_EQ(document->GetParams().GetBands(true).headerShown, 0);
  EXPECT_EQ(bands.headerShown, 1);
  EXPECT_TRUE(document->IsBodyCurrent());
  // Hiding a footer leaves a current header alone.
  document->SelectHeaderForPage(0);
  document->ShowFooter(false);
  EXPECT_TRUE(document->IsHeaderCurrent());
}

TEST_F(DisplayTest, IndentRangesOfARecordAndOfTheSelection) {
  const int32_t w = document->CurrentTextWidth();
  ASSERT_GT(w, 200);
  xMorvaProperties record;
  record.SetProperty(kPropLeftIndent, 0);
  record.SetProperty(kPropFirstLineIndent, -20);
  record.SetProperty(kPropRightIndent, 15);
  EXPECT_EQ(RangeOf([&](int32_t& a, int32_t& b) { document->GetLeftIndentRange(record, a, b); }),
            Range(20, w - 65));
  EXPECT_EQ(RangeOf([&](int32_t& a, int32_t& b) { document->GetRightIndentRange(record, a, b); }),
            Range(0, w - 50));
  record.SetProperty(kPropLeftIndent, 30);
  EXPECT_EQ(RangeOf([&](int32_t& a, int32_t& b) { document->GetFirstLineRange(record, a, b); }),
            Range(-30, w - 95));

  Load(u"one\rtwo\r", 0, 0);
  SetParagraph(0, kPropLeftIndent, 20);
  SetParagraph(0, kPropFirstLineIndent, -10);
  SetParagraph(5, kPropRightIndent, 30);
  SetParagraph(5, kPropFirstLineIndent, 5);
  document->GetCurrentPart()->SetSelection(0, 8);
  EXPECT_EQ(RangeOf([&](int32_t& a, int32_t& b) { document->GetLeftIndentRangeOfSelection(a, b); }),
            Range(10, w - 85));
  EXPECT_EQ(RangeOf([&](int32_t& a, int32_t& b) { document->GetRightIndentRangeOfSelection(a, b); }),
            Range(0, w - 70));
  EXPECT_EQ(RangeOf([&](int32_t& a, int32_t& b) { document->GetFirstLineRangeOfSelection(a, b); }),
            Range(0, w - 80));
  EXPECT_EQ(RangeOf([&](int32_t& a, int32_t& b) { document->GetLeftAndFirstRangeOfSelection(a, b); }),
            Range(0, w - 80));
  // A header measures with the full text width.
  document->Params().SetColumns(2);
  EXPECT_LT(document->CurrentTextWidth(), document->CurrentTextWidth(document->GetPart(kPartHeader)));
  // The body's indent sum counts once a column.
  EXPECT_EQ(document->GetWidestIndentSum(), 2 * document->GetPart(kPartBody)->GetMaxIndentSum());
}

TEST_F(DisplayTest, InsertUnitsIsOneStepAndLeavesTheCaretBehind) {
  Load(u"ad", 1, 1);
  const Bytes units = {'b', 0, 'c', 0};
  const VMemHandle handle = gMemoryMgr->NewHandleFromData(units.data(), uint32_t(units.size()));
  ASSERT_EQ(document->InsertUnits(handle, 2, true), 0);
  EXPECT_EQ(Text(), u"abcd");
  EXPECT_EQ(document->GetCurrentPart()->GetSelStart(), 3);
  EXPECT_EQ(document->GetCurrentPart()->GetSelEnd(), 3);
  // Units that are not the positions they claim are refused whole.
  EXPECT_NE(document->InsertUnits(handle, 3, false), 0);
  EXPECT_EQ(Text(), u"abcd");
  gMemoryMgr->DisposeHandle(handle);
  document->Undo();
  EXPECT_EQ(Text(), u"ad");
  document->Redo();
  EXPECT_EQ(Text(), u"abcd");
}

}  // namespace
