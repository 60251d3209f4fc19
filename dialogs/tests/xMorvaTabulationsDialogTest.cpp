// The tab stops dialog against a form kept by a recording host: positions
// brought onto the unit's grid within the text width, the proposals, and
// the 257th stop and a full grid refused. (Moves, kinds and leaders are
// checked by the dialog's script.)
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "boundary/HostServiceSelectors.h"
#include "dialogs/xMorvaTabulationsDialog.h"
#include "framework/core/strings/VUniString.h"
#include "dialogs/tests/DialogTestSupport.h"
#include "host/tests/HostTestSupport.h"
#include "platform/toolbox/TbxEnvironment.h"

// A named namespace: the test files share unity batches.
namespace tabulations_dialog_test {

using hosttest::RecordingHost;

// A form as maps of values, reals and list rows, by name.
class Form : public FormValues {
 public:
  std::map<std::string, std::vector<double>> rows;

 protected:
  void Answer(int32_t selector, HostParamBlock& b) override {
    const std::string name(reinterpret_cast<const char*>(b.text2));
    switch (selector) {
      case kFormSelGetListSelection: b.param2 = HostWord(longs[name]); break;
      case kFormSelListCall327: rows[name].clear(); break;
      case kFormSelSetListRange: {
        // Rows first to last leave the list.
        std::vector<double>& list = rows[name];
        const int32_t first = HostWordOf(b.param2), last = HostWordOf(b.param3);
        if (first >= 1 && first <= int32_t(list.size()))
          list.erase(list.begin() + (first - 1), list.begin() + std::min<int32_t>(last, int32_t(list.size())));
        break;
      }
      case kFormSelListCall328: rows[name].push_back(b.realValue); break;
      default: FormValues::Answer(selector, b); break;
    }
  }
};

VStr<255> Name(const char* text) {
  VStr<255> name;
  name.SetAnsiCText(text);
  return name;
}

xMorvaDocParams Unit(int32_t unit) {
  xMorvaDocParams params;
  params.SetDisplayUnit(unit);
  return params;
}

xMorvaTabs Stops(const std::vector<int16_t>& positions) {
  xMorvaTabs tabs;
  for (int16_t p : positions) tabs.AddStop(MakeTabStop(p, 0, kTabLeft));
  return tabs;
}

// The dialog opened on the stops, the stop at `selected` chosen.
struct Fixture {
  Fixture(const xMorvaTabs& tabs, int32_t unit, int32_t high, int32_t selected = -1)
      : dialog(nullptr, selected, tabs, Unit(unit), 0, high) {
    dialog.BeforeOpen();
    dialog.AfterOpen();
  }
  void Hit(const char* object) { dialog.ItemHit(Name(object), 1); }
  void Type(const char* object, double value) {
    form.reals[object] = value;
    Hit(object);
  }
  Form form;
  xMorvaTabulationsDialog dialog;
};

TEST(xMorvaTabulationsDialog, PositionsComeOntoTheGridWithinTheTextWidth) {
  struct Case {
    int32_t unit, high, pixels, clamped;
  };
  const Case cases[] = {
      {kUnitCentimetres, 578, 38, 37},     // 1.0 cm
      {kUnitCentimetres, 578, -5, 0},      // before the text
      {kUnitCentimetres, 578, 9000, 578},  // past it: 15.3 cm
      {kUnitCentimetres, 577, 577, 574},   // 15.3 cm lies past 577: 15.2 cm
      {kUnitInches, 600, 29, 24},          // 0.25 in
      {kUnitInches, 600, 30, 36},          // half an eighth: 0.375 in
      {kUnitPoints, 600, 123, 123},       {kUnitPoints, 600, 601, 600},
  };
  for (const Case& c : cases) {
    Fixture f(xMorvaTabs(), c.unit, c.high);
    EXPECT_EQ(f.dialog.ClampPosition(c.pixels), c.clamped) << c.unit << " " << c.pixels;
  }
}

TEST(xMorvaTabulationsDialog, ProposalsFollowTheLastStopInEachUnit) {
  struct Case {
    int32_t unit;
    std::vector<int16_t> stops;
    double typed;
    int32_t added;
  };
  const Case cases[] = {
      {kUnitCentimetres, {}, 0, 37},           // 1.0 cm
      {kUnitInches, {}, 0, 48},                // 0.5 in
      {kUnitPoints, {}, 0, 10},                // 10 px
      {kUnitPoints, {100, 40}, 0, 110},        // after the last, not the first
      {kUnitPoints, {100, 40}, 40, 110},       // typed onto a stop: proposed
      {kUnitPoints, {100, 40}, 70.6, 70},      // typed: taken as typed
      {kUnitPoints, {100, 590, 600}, 0, 595},  // at the end: a step back
  };
  for (const Case& c : cases) {
    Fixture f(Stops(c.stops), c.unit, 600);
    f.Type("vPosition", c.typed);
    f.Hit("butAdd");
    EXPECT_EQ(f.dialog.GetCurrentPosition(), c.added) << c.unit << " " << c.typed;
    EXPECT_EQ(f.dialog.GetTabs().Count(), int32_t(c.stops.size()) + 1) << c.unit << " " << c.typed;
    // The list shows the stops in order, the new one selected.
    const std::vector<double>& rows = f.form.rows["ListTabs"];
    ASSERT_EQ(rows.size(), c.stops.size() + 1);
    EXPECT_TRUE(std::is_sorted(rows.begin(), rows.end()));
    EXPECT_EQ(
        f.form.longs["ListTabs"],
        int32_t(std::find(rows.begin(), rows.end(), f.form.reals["vPosition"]) - rows.begin()) + 1);
  }
}

TEST(xMorvaTabulationsDialog, TheTwoHundredFiftySeventhStopAndAFullGridAreRefusedWithTheBeep) {
  std::vector<int16_t> many;
  for (int16_t p = 1; p <= 256; ++p) many.push_back(p);
  // Every eighth of an inch of an inch wide text.
  std::vector<int16_t> grid;
  for (int16_t p = 0; p <= 96; p += 12) grid.push_back(p);
  struct Case {
    const char* what;
    std::vector<int16_t> stops;
    int32_t unit, high;
    double typed;
  };
  const Case cases[] = {
      {"257th", many, kUnitPoints, 600, 300},
      {"full grid, proposed", grid, kUnitInches, 96, 0},
      {"full grid, typed", grid, kUnitInches, 96, 0.5},
  };
  for (const Case& c : cases) {
    Fixture f(Stops(c.stops), c.unit, c.high);
    const int32_t beeps = Tbx::CountBeeps();
    f.Type("vPosition", c.typed);
    f.Hit("butAdd");
    EXPECT_EQ(Tbx::CountBeeps() - beeps, 1) << c.what;
    EXPECT_EQ(f.dialog.GetTabs().Count(), int32_t(c.stops.size())) << c.what;
    EXPECT_EQ(f.form.rows["ListTabs"].size(), c.stops.size()) << c.what;
  }
}

}  // namespace tabulations_dialog_test
