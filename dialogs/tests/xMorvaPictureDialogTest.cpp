// The paste picture dialog's rules that do not need a form: the
// illustration of each choice and when the alternate pages can be chosen.
#include <gtest/gtest.h>

#include "area/tests/DocumentFileSupport.h"
#include "dialogs/xMorvaPictureDialog.h"
#include "document/xMorvaDocument.h"

namespace {

TEST(xMorvaPictureDialog, TheIllustrationFollowsWhereThePictureGoes) {
  struct Row {
    uint8_t where, behind;
    int16_t offset;
  };
  const Row rows[] = {{1, 0, 4}, {1, 1, 4}, {0, 0, 5}, {0, 1, 6}};
  for (const Row& row : rows)
    EXPECT_EQ(xMorvaPictureDialog::IllustrationOffset(row.where, row.behind), row.offset)
        << int(row.where) << " " << int(row.behind);
}

class PictureDialogDocument : public documentfile::Fixture {};

TEST_F(PictureDialogDocument, AlternatePagesNeedDifferentLeftAndRightPages) {
  auto document = NewDocument();
  EXPECT_FALSE(xMorvaPictureDialog::HasAlternatePages(nullptr));
  EXPECT_FALSE(xMorvaPictureDialog::HasAlternatePages(document.get()));
  document->Params().SetDifferentLeftRight(1);
  EXPECT_TRUE(xMorvaPictureDialog::HasAlternatePages(document.get()));
}

TEST_F(PictureDialogDocument, ANewDialogPlacesInTheTextAtFiftyFifty) {
  auto document = NewDocument();
  xMorvaPictureDialog dialog(nullptr, document.get());
  EXPECT_EQ(dialog.GetWhere(), 1);
  EXPECT_EQ(dialog.GetX(), 50);
  EXPECT_EQ(dialog.GetY(), 50);
  EXPECT_EQ(dialog.GetPageChoice(), 0);
  EXPECT_EQ(dialog.GetDrawingMode(), 5);
  // "This page" reads as the caret's page once accepted.
  dialog.SetCurrentPage(3);
  EXPECT_TRUE(dialog.ReadValues());
  EXPECT_EQ(dialog.GetPageChoice(), 3);
}

}  // namespace
