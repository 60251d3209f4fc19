// The paragraph and interline dialogs' own rules: the bullet list's items
// and codes, and the interlines an entry may give.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "dialogs/xMorvaParagraphDialog.h"

namespace {

TEST(xMorvaParagraphDialog, BulletCodesAndItemsGoBothWays) {
  const int32_t codes[] = {0, 110, 111, 108, 109, 117, 118};
  for (int32_t item = 1; item <= 7; ++item) {
    EXPECT_EQ(xMorvaParagraphDialog::BulletCode(item), codes[item - 1]) << item;
    EXPECT_EQ(xMorvaParagraphDialog::BulletItem(codes[item - 1]), item) << item;
  }
  // Any code the list does not hold is "other"; item 8 and items off the
  // list have no code of their own.
  for (int32_t code : {32, 107, 112, 119, 183, 255, 0x20AC})
    EXPECT_EQ(xMorvaParagraphDialog::BulletItem(code), 8) << code;
  for (int32_t item : {-1, 0, 8, 9}) EXPECT_EQ(xMorvaParagraphDialog::BulletCode(item), -1) << item;
}

TEST(xMorvaParagraphDialog, InterlinesFromAnEntry) {
  struct Row {
    double entry;
    bool taken;
    int32_t tenths;
  };
  const Row rows[] = {
      {1.55, true, 15},
      {1.0, true, 10},
      {0.1, true, 1},
      {10.0, true, 100},
      {10.09, true, 100},
      {2.5, true, 25},
      {0.09, false, 0},
      {0.0, false, 0},
      {-3.0, false, 0},
      {10.1, false, 0},
      {1e9, false, 0},
      {-1e9, false, 0},
      {std::numeric_limits<double>::quiet_NaN(), false, 0},
      {std::numeric_limits<double>::infinity(), false, 0},
  };
  for (const Row& r : rows) {
    int32_t tenths = -7;
    EXPECT_EQ(InterlineFromEntry(r.entry, tenths), r.taken) << r.entry;
    // A refused entry leaves the value alone.
    EXPECT_EQ(tenths, r.taken ? r.tenths : -7) << r.entry;
  }
}

}  // namespace
