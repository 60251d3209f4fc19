// The edit dialogs of a picture, run on a form that keeps what the dialog
// sets: pages through the first page number, relative and proportional
// sizes, a picture without an own size, and the objects that need a host
// expression.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "area/tests/DocumentFileSupport.h"
#include "boundary/HostServiceSelectors.h"
#include "dialogs/xMorvaEditPictureDialogs.h"
#include "document/xMorvaUndo.h"
#include "dialogs/tests/DialogTestSupport.h"
#include "host/tests/HostTestSupport.h"
#include "platform/toolbox/TbxWindows.h"

namespace {

class EditPictureDialogs : public documentfile::Fixture {
 protected:
  void SetUp() override {
    document = NewDocument();
    // Three pages, numbered from 10.
    for (int32_t n = 1; n <= 3; ++n) {
      for (char c : std::string("Page text")) document->TypeCharacter(char16_t(c));
      if (n < 3) document->DoCommand(406);
    }
    if (xMorvaUndo* undo = document->GetUndo()) undo->Commit();
    ASSERT_EQ(document->GetBodyPageCount(), 3);
    document->Params().SetFirstPageNumber(10);
    entry.naturalWidth = 201;
    entry.naturalHeight = 100;
    entry.shownWidth = 201;
    entry.shownHeight = 100;
    entry.page = 2;
  }
  std::unique_ptr<xMorvaDocument> document;
  xMorvaPagePicture entry;
  StepForm form;
};

TEST_F(EditPictureDialogs, ThePageShowsThroughTheFirstPageNumberAndStaysInTheDocument) {
  struct Row {
    std::deque<std::string> steps;
    int32_t page;
  };
  const Row rows[] = {
      {{"accept"}, 2},
      {{"vPage~11", "accept"}, 1},
      {{"vPage~10.9", "accept"}, 0},
      // Below the first page, or past the last: never every or alternate pages.
      {{"vPage~7", "accept"}, 0},
      {{"vPage~-3", "accept"}, 0},
      {{"vPage~99", "accept"}, 2},
      {{"bpage2=1", "accept"}, -1},
      // Alternate pages only in a document with different left and right pages.
      {{"bpage3=1", "accept"}, 2},
      {{"vPage~11", "cancel"}, 2},
  };
  for (const Row& row : rows) {
    xMorvaEditPictureInPageDialog dialog(nullptr, document.get(), entry, false, nullptr);
    form.steps = row.steps;
    const bool accepted = dialog.Run();
    EXPECT_EQ(accepted, row.steps.back() == "accept");
    // Every or alternate pages show no page number.
    const double shown = !accepted ? 11 : row.page < 0 ? 0 : row.page + 10;
    EXPECT_EQ(form.reals["vpage"], shown) << row.steps.front();
    if (accepted) {
      EXPECT_EQ(dialog.GetEntry().page, row.page) << row.steps.front();
    }
  }
}

TEST_F(EditPictureDialogs, RelativeAndProportionalSizesFollowTheOwnSize) {
  // Relative: 100 % at the own size; 50 % of 201 is 100, truncated; with
  // proportions the height follows in the same step.
  xMorvaEditPictureInPageDialog dialog(nullptr, document.get(), entry, false, nullptr);
  form.steps = {"cbRelative=1", "cbProportionnal=1", "vWidth~50", "accept"};
  ASSERT_TRUE(dialog.Run());
  EXPECT_EQ(dialog.GetEntry().shownWidth, 100);
  EXPECT_EQ(dialog.GetEntry().shownHeight, 49);  // 100 x 100 / 201
  EXPECT_EQ(form.reals["vwidth"], 49);           // 100 x 100 / 201 %
  EXPECT_EQ(form.reals["vheight"], 49);

  xMorvaEditPictureInPageDialog heights(nullptr, document.get(), entry, false, nullptr);
  form.steps = {"cbRelative=1", "vHeight~300", "accept"};
  ASSERT_TRUE(heights.Run());
  EXPECT_EQ(heights.GetEntry().shownHeight, 300);
  EXPECT_EQ(heights.GetEntry().shownWidth, 201);
  // Switching proportions on takes the height from the width again.
  xMorvaEditPictureInPageDialog back(nullptr, document.get(), entry, false, nullptr);
  form.steps = {"cbRelative=1", "vHeight~300", "cbProportionnal=1", "accept"};
  ASSERT_TRUE(back.Run());
  EXPECT_EQ(back.GetEntry().shownHeight, 100);
  EXPECT_EQ(back.GetEntry().shownWidth, 201);
}

TEST_F(EditPictureDialogs, APictureWithoutOwnSizeHasNoRelativeOrProportionalSize) {
  entry.naturalWidth = 0;
  xMorvaEditPictureInPageDialog dialog(nullptr, document.get(), entry, false, nullptr);
  form.steps = {"cbRelative=1", "cbProportionnal=1", "accept"};
  ASSERT_TRUE(dialog.Run());
  EXPECT_FALSE(form.enabled["cbrelative"]);
  EXPECT_FALSE(form.enabled["cbproportionnal"]);
  EXPECT_EQ(form.longs["cbrelative"], 0);
  EXPECT_EQ(dialog.GetSizes().relative, 0);
  EXPECT_EQ(dialog.GetSizes().proportional, 0);
  EXPECT_EQ(dialog.GetEntry().shownWidth, 201);
  EXPECT_EQ(dialog.GetEntry().shownHeight, 100);
}

TEST_F(EditPictureDialogs, KeepSizeAndEditNeedAnExpression) {
  entry.keepsSize = 0;
  xMorvaEditPictureInPageDialog dialog(nullptr, document.get(), entry, true, nullptr);
  form.steps = {"cbKeepSize=1", "accept"};
  ASSERT_TRUE(dialog.Run());
  EXPECT_FALSE(form.enabled["cbkeepsize"]);
  EXPECT_FALSE(form.enabled["butedit"]);
  EXPECT_EQ(dialog.GetEntry().keepsSize, 0);

  xMorvaTextPictureSettings settings;
  settings.width = settings.ownWidth = 80;
  settings.height = settings.ownHeight = 40;
  xMorvaEditPictureDialog inText(nullptr, document.get(), settings, nullptr);
  form.steps = {"cbKeepSize=1", "cbRelative=1", "cbProportionnal=1", "vHeight~25", "accept"};
  ASSERT_TRUE(inText.Run());
  EXPECT_FALSE(form.enabled["cbkeepsize"]);
  EXPECT_EQ(inText.GetSettings().keepsSize, 0);
  EXPECT_EQ(inText.GetSettings().height, 10);
  EXPECT_EQ(inText.GetSettings().width, 20);
}

TEST(xMorvaPictureSizes, ProductsTakeSixtyFourBits) {
  EXPECT_EQ(xMorvaPictureSizes::Percent(2000000000, 10), INT32_MAX);
  EXPECT_EQ(xMorvaPictureSizes::Percent(2000000000, 1000), 200000000);
  EXPECT_EQ(xMorvaPictureSizes::Percent(50, 0), 0);
  EXPECT_EQ(xMorvaPictureSizes::FromPercent(10000, 1000000), 100000000);
  EXPECT_EQ(xMorvaPictureSizes::Proportional(2000000, 2, 2000000), INT32_MAX);
  EXPECT_EQ(xMorvaPictureSizes::Proportional(77, 0, 5), 77);
  EXPECT_FALSE(xMorvaPictureSizes::CanScale(0, 10));
  EXPECT_FALSE(xMorvaPictureSizes::CanScale(10, -1));
}

}  // namespace
