// The columns dialog's coupling of count, width and spacing on a letter
// page whose text is 628 pixels wide.
#include <gtest/gtest.h>

#include "dialogs/xMorvaColumnsDialog.h"

namespace {

xMorvaDocParams Letter(int32_t columns, int32_t spacing) {
  xMorvaDocParams params;
  params.SetPageSize(816, 1056);
  params.SetLeftMargin(94);
  params.SetRightMargin(94);
  params.SetBinding(0);
  params.SetColumns(columns);
  params.SetColumnSpacing(spacing);
  return params;
}

TEST(xMorvaColumnsDialog, ATypedWidthIsHeldToItsRangeAndTheSpacingFillsTheRest) {
  struct Case {
    const char* name;
    xMorvaDocParams params;
    int32_t typed, width, spacing;
  };
  xMorvaDocParams narrow = Letter(2, 10);
  narrow.SetRightMargin(642);  // 80 pixels of text: columns of 40 at most
  const Case cases[] = {
      {"10 pixels: the narrowest column", Letter(2, 40), 10, 50, 528},
      {"below 0", Letter(2, 40), -5, 50, 528},
      {"within", Letter(2, 40), 300, 300, 28},
      {"past half the text", Letter(2, 40), 400, 314, 0},
      {"past a third of it", Letter(3, 40), 300, 209, 0},
      {"three columns within", Letter(3, 40), 100, 100, 164},
      {"no room for 50", narrow, 10, 40, 0},
  };
  for (const Case& c : cases) {
    xMorvaDocParams params = c.params;
    ChangeColumnWidth(params, c.typed);
    EXPECT_EQ(params.GetColumnSpacing(), c.spacing) << c.name;
    EXPECT_EQ(params.ColumnWidth(false), c.width) << c.name;
    EXPECT_EQ(params.GetColumns(), c.params.GetColumns()) << c.name;
  }
  xMorvaDocParams single = Letter(1, 40);
  ChangeColumnWidth(single, 100);
  EXPECT_TRUE(single.IsEqual(Letter(1, 40)));
}

TEST(xMorvaColumnsDialog, TheSpacingLeavesEachColumnTheWidestIndentsAndFiftyPixels) {
  struct Case {
    const char* name;
    int32_t columns, indentSum, limit;
  };
  const Case cases[] = {
      {"one column has none", 1, 0, 0},
      {"two, no indents", 2, 0, 528},
      {"two, indents of 100", 2, 100, 328},
      {"three", 3, 0, 239},
      {"ten", 10, 0, 14},
      {"no room: 0, never below", 10, 100, 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ColumnSpacingLimit(Letter(c.columns, 0), c.indentSum), c.limit) << c.name;

  struct Typed {
    const char* name;
    int32_t indentSum, typed, stored;
  };
  const Typed typed[] = {
      {"within", 0, 100, 100},
      {"past the limit", 0, 600, 528},
      {"past the limit with indents", 100, 400, 328},
      {"below 0", 0, -3, 0},
  };
  for (const Typed& t : typed) {
    xMorvaDocParams params = Letter(2, 40);
    ChangeColumnSpacing(params, t.typed, t.indentSum);
    EXPECT_EQ(params.GetColumnSpacing(), t.stored) << t.name;
  }
  xMorvaDocParams single = Letter(1, 40);
  ChangeColumnSpacing(single, 100, 0);
  EXPECT_EQ(single.GetColumnSpacing(), 40);
}

TEST(xMorvaColumnsDialog, MoreColumnsCutASpacingThatNoLongerFits) {
  struct Case {
    const char* name;
    int32_t spacing, columns, indentSum, storedColumns, storedSpacing;
  };
  const Case cases[] = {
      {"three cut 300 to 239", 300, 3, 0, 3, 239},
      {"indents cut it further", 100, 3, 100, 3, 89},
      {"one column keeps the spacing", 300, 1, 0, 1, 300},
      {"0 is one column", 300, 0, 0, 1, 300},
      {"15 is ten", 300, 15, 0, 10, 14},
  };
  for (const Case& c : cases) {
    xMorvaDocParams params = Letter(2, c.spacing);
    ChangeColumnCount(params, c.columns, c.indentSum);
    EXPECT_EQ(params.GetColumns(), c.storedColumns) << c.name;
    EXPECT_EQ(params.GetColumnSpacing(), c.storedSpacing) << c.name;
  }
}

}  // namespace
