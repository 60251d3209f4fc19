// The document preferences' rules: the binding held to what the page
// leaves (never below 0), and what accepting new parameters recomposes.
#include <gtest/gtest.h>

#include "dialogs/xMorvaDocumentPreferencesDialog.h"

namespace {

// A letter page of 816 pixels with margins of 94 and one column: 578
// pixels left for a binding.
xMorvaDocParams Letter() {
  xMorvaDocParams params;
  params.SetPageSize(816, 1056);
  params.SetLeftMargin(94);
  params.SetRightMargin(94);
  params.SetColumns(1);
  return params;
}

TEST(xMorvaDocumentPreferencesDialog, TheBindingIsHeldBetweenZeroAndWhatThePageLeaves) {
  const xMorvaDocParams letter = Letter();
  xMorvaDocParams crowded = Letter();
  // Ten columns of 50 with spacings of 20 need 680 pixels of the 628.
  crowded.SetColumns(10);
  crowded.SetColumnSpacing(20);
  struct Case {
    const char* name;
    const xMorvaDocParams& params;
    int32_t pixels, expected;
  };
  const Case cases[] = {
      {"within", letter, 100, 100},
      {"the limit itself", letter, 578, 578},
      {"past the limit", letter, 5000, 578},
      {"below 0", letter, -3, 0},
      {"no room: 0, not the negative limit", crowded, 40, 0},
      {"no room and below 0", crowded, -40, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(ClampedBinding(c.params, c.pixels), c.expected) << c.name;
}

TEST(xMorvaDocumentPreferencesDialog, AcceptingRecomposesOnlyWhatTheChangeTouches) {
  const xMorvaDocParams before = Letter();
  struct Case {
    const char* name;
    void (*change)(xMorvaDocParams&);
    xMorvaPreferencesChange expected;
  };
  const Case cases[] = {
      {"nothing", [](xMorvaDocParams&) {}, xMorvaPreferencesChange::kNone},
      {"the unit", [](xMorvaDocParams& p) { p.SetDisplayUnit(kUnitInches); }, xMorvaPreferencesChange::kTake},
      {"the first page", [](xMorvaDocParams& p) { p.SetFirstPageNumber(4); }, xMorvaPreferencesChange::kTake},
      {"facing pages", [](xMorvaDocParams& p) { p.SetAlternateBinding(1); }, xMorvaPreferencesChange::kTake},
      {"widows",
       [](xMorvaDocParams& p) { p.SetWidowControl(p.GetWidowControl() != 0 ? 0 : 1); },
       xMorvaPreferencesChange::kPaginate},
      {"the binding", [](xMorvaDocParams& p) { p.SetBinding(20); }, xMorvaPreferencesChange::kRecompose},
      {"the default tab", [](xMorvaDocParams& p) { p.SetDefaultTabInterval(48); },
       xMorvaPreferencesChange::kRecompose},
      {"widows and the tab",
       [](xMorvaDocParams& p) {
         p.SetWidowControl(p.GetWidowControl() != 0 ? 0 : 1);
         p.SetDefaultTabInterval(48);
       },
       xMorvaPreferencesChange::kRecompose},
  };
  for (const Case& c : cases) {
    xMorvaDocParams after = before;
    c.change(after);
    EXPECT_EQ(PreferencesChange(before, after), c.expected) << c.name;
  }
}

}  // namespace
