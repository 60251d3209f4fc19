// The print preview: the zooms it accepts, where the page lies in its area
// at each zoom and after a drag, the cursor over it, and the page numbers
// the dialog shows.
#include <gtest/gtest.h>

#include <memory>

#include "area/tests/DocumentFileSupport.h"
#include "dialogs/tests/DialogTestSupport.h"
#include "dialogs/xMorvaPrintPreviewDialog.h"
#include "document/xMorvaDocument.h"

namespace {

class PrintPreview : public documentfile::Fixture {
 protected:
  void SetUp() override {
    document = NewDocument();
    parent = std::make_unique<VFrame>(nullptr, kArea);
    displayer = new xMorvaPageDisplayer(parent.get(), document.get(), 0);
    displayer->ResizeTo(kArea[2], kArea[3], 0);
  }
  void TearDown() override { parent.reset(); }

  static constexpr int32_t kArea[4] = {0, 0, 400, 300};
  DialogGraphics graphics;
  std::unique_ptr<xMorvaDocument> document;
  std::unique_ptr<VFrame> parent;
  xMorvaPageDisplayer* displayer = nullptr;  // owned by the parent
};

TEST(xMorvaPrintPreviewDialog, AZoomItemReadsAsAPercentageFromOneToAThousand) {
  struct Row {
    const char* text;
    int32_t zoom;
  };
  const Row rows[] = {
      {"100 %", 100}, {"25 %", 25}, {" 50%", 50}, {"1000", 1000},
      {"1", 1},       {"0", 0},     {"abc", 0},   {"", 0},
      {"100000", 0},  {"1001", 0},  {"-50", 0},   {"99999999999999999999999", 0},
  };
  for (const Row& row : rows)
    EXPECT_EQ(xMorvaPrintPreviewDialog::ZoomOfText(row.text), row.zoom) << row.text;
  EXPECT_EQ(xMorvaPrintPreviewDialog::ZoomOfText(nullptr), 0);
}

TEST_F(PrintPreview, AZoomOutsideTheRangeKeepsThePreviousOne) {
  EXPECT_EQ(displayer->GetZoom(), 100);
  EXPECT_TRUE(displayer->SetZoom(50));
  EXPECT_FALSE(displayer->SetZoom(0));
  EXPECT_FALSE(displayer->SetZoom(1001));
  EXPECT_EQ(displayer->GetZoom(), 50);
  EXPECT_TRUE(displayer->SetZoom(1000));
  EXPECT_EQ(displayer->ZoomedWidth(), document->GetParams().GetPageWidth() * 10);
}

TEST_F(PrintPreview, APageThatFitsIsCentredAndCannotBeDragged) {
  ASSERT_TRUE(displayer->HasPicture());
  ASSERT_TRUE(displayer->SetZoom(10));
  const int32_t pw = displayer->ZoomedWidth(), ph = displayer->ZoomedHeight();
  ASSERT_LT(pw, kArea[2]);
  ASSERT_LT(ph, kArea[3]);
  displayer->MoveBy(-70, 45);
  displayer->ClampOffsets();
  EXPECT_EQ(displayer->GetOffsetX(), (kArea[2] - pw) / 2);
  EXPECT_EQ(displayer->GetOffsetY(), (kArea[3] - ph) / 2);
  EXPECT_FALSE(displayer->IsLargerThanFrame());
  EXPECT_EQ(displayer->GetCursorId(), 0);
}

TEST_F(PrintPreview, ALargerPageNeverLeavesAGapAtEitherEnd) {
  ASSERT_TRUE(displayer->SetZoom(200));
  const int32_t pw = displayer->ZoomedWidth(), ph = displayer->ZoomedHeight();
  ASSERT_GT(pw, kArea[2]);
  ASSERT_GT(ph, kArea[3]);
  EXPECT_EQ(displayer->GetCursorId(), xMorvaPageDisplayer::kDragCursor);
  // Within the page: the drag stands.
  displayer->MoveBy(-30, -20);
  displayer->ClampOffsets();
  EXPECT_EQ(displayer->GetOffsetX(), -30);
  EXPECT_EQ(displayer->GetOffsetY(), -20);
  // Past the near corner: no gap at the left or top.
  displayer->MoveBy(500, 500);
  displayer->ClampOffsets();
  EXPECT_EQ(displayer->GetOffsetX(), 0);
  EXPECT_EQ(displayer->GetOffsetY(), 0);
  // Past the far corner: the page's far edges stay at the area's.
  displayer->MoveBy(-100000, -100000);
  displayer->ClampOffsets();
  EXPECT_EQ(displayer->GetOffsetX(), kArea[2] - pw);
  EXPECT_EQ(displayer->GetOffsetY(), kArea[3] - ph);
  // A huge move cannot wrap the offsets round.
  displayer->MoveBy(INT32_MIN, INT32_MIN);
  displayer->MoveBy(INT32_MIN, INT32_MIN);
  displayer->ClampOffsets();
  EXPECT_EQ(displayer->GetOffsetX(), kArea[2] - pw);
}

TEST_F(PrintPreview, APageWiderOnlyIsCentredTheOtherWay) {
  // At 40 % the upright page is narrower than the area and taller.
  ASSERT_TRUE(displayer->SetZoom(40));
  const int32_t pw = displayer->ZoomedWidth(), ph = displayer->ZoomedHeight();
  ASSERT_LT(pw, kArea[2]);
  ASSERT_GT(ph, kArea[3]);
  displayer->MoveBy(-40, -40);
  displayer->ClampOffsets();
  EXPECT_EQ(displayer->GetOffsetX(), (kArea[2] - pw) / 2);
  EXPECT_EQ(displayer->GetOffsetY(), -40);
  EXPECT_EQ(displayer->GetCursorId(), xMorvaPageDisplayer::kDragCursor);
}

TEST_F(PrintPreview, ThePageNumbersStartAtTheFirstPageNumber) {
  document->Params().SetFirstPageNumber(5);
  xMorvaPrintPreviewDialog dialog(nullptr, document.get());
  EXPECT_EQ(dialog.FirstPage(), 5);
  EXPECT_EQ(dialog.LastPage(), 5 + document->GetBodyPageCount() - 1);
  EXPECT_GE(dialog.LastPage(), dialog.FirstPage());
}

}  // namespace
