// The paragraph and interline dialogs' own rules: the bullet list's items
// and codes, and the interlines an entry may give.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "boundary/HostServiceSelectors.h"
#include "dialogs/xMorvaParagraphDialog.h"
#include "host/tests/HostTestSupport.h"
#include "platform/toolbox/TbxEnvironment.h"

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
      {1.09, true, 10},
      {10.0, true, 100},
      {10.09, true, 100},
      {2.5, true, 25},
      // Below single: a loaded text keeps no such interline.
      {0.99, false, 0},
      {0.5, false, 0},
      {0.1, false, 0},
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

namespace {

using hosttest::RecordingHost;
using hosttest::Text;

// The selection's own interline may lie outside the range (a text from
// elsewhere): OK does not take it back into the document; it beeps and
// keeps the form open until the value is mended or not used.
TEST(xMorvaParagraphDialog, AnInterlineOutOfRangeIsNotAcceptedBack) {
  struct Row {
    int32_t interline;
    uint8_t inUse;
    bool accepted;
  };
  const Row rows[] = {{0, 1, false},  {-3, 1, false}, {5, 1, false}, {101, 1, false},
                      {10, 1, true},  {100, 1, true}, {0, 0, true}};
  for (const Row& r : rows) {
    RecordingHost host;
    xMorvaProperties properties;
    properties.SetDefaults();
    properties.SetProperty(kPropInterline, r.interline);
    xMorvaPropertiesStates states;
    states.SetState(kPropInterline, r.inUse);
    xMorvaParagraphDialog dialog(nullptr, nullptr, properties, states);
    const int32_t beeps = Tbx::CountBeeps();
    EXPECT_EQ(dialog.CanAccept(Text("butOK"), 1), r.accepted) << r.interline;
    EXPECT_EQ(Tbx::CountBeeps() - beeps, r.accepted ? 0 : 1) << r.interline;
  }
}

TEST(xMorvaInterlineDialog, AnInterlineOutOfRangeIsNotAcceptedUntilMended) {
  RecordingHost host;
  double entry = 0;
  host.answer = [&entry](int32_t selector, HostParamBlock& b) {
    if (selector == kFormSelGetReal) b.realValue = entry;
  };
  xMorvaInterlineDialog dialog(nullptr, 0);
  // OK with the entry as it came: refused, with the entry's beep.
  const int32_t beeps = Tbx::CountBeeps();
  dialog.ItemHit(Text("butOK"), 1);
  EXPECT_EQ(Tbx::CountBeeps() - beeps, 1);
  EXPECT_FALSE(dialog.CanAccept(Text("butOK"), 1));
  EXPECT_EQ(dialog.GetValue(), 0);
  // A value typed in the range mends it.
  entry = 1.5;
  dialog.ItemHit(Text("vInterline"), 1);
  EXPECT_TRUE(dialog.CanAccept(Text("butOK"), 1));
  EXPECT_EQ(dialog.GetValue(), 15);
}

}  // namespace
