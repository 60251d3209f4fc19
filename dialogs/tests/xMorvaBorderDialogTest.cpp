// The border dialog against a form kept by a recording host: what each
// object does to the working record and the spacing's bounds. (What the
// form shows is checked by the dialog's script.)
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>

#include "boundary/HostServiceSelectors.h"
#include "dialogs/xMorvaBorderDialog.h"
#include "framework/core/strings/VUniString.h"
#include "dialogs/tests/DialogTestSupport.h"
#include "host/tests/HostTestSupport.h"

// A named namespace: the test files share unity batches.
namespace border_dialog_test {

using hosttest::RecordingHost;

// A form as maps of object values, reals and visibility, by name.
using Form = FormValues;

VStr<255> Name(const char* text) {
  VStr<255> name;
  name.SetAnsiCText(text);
  return name;
}

// Left on, top off, the right side mixed; the rest uniform.
struct Fixture {
  Fixture() : dialog(nullptr, nullptr, Record(), States()) { dialog.AfterOpen(); }
  static xMorvaProperties Record() {
    xMorvaProperties record;
    record.SetDefaults();
    record.SetProperty(kPropLeftBorder, 1);
    record.SetProperty(kPropBorderStyle, 2);
    record.SetProperty(kPropBorderSpacing, 4);
    return record;
  }
  static xMorvaPropertiesStates States() {
    xMorvaPropertiesStates states(true);
    states.SetState(kPropRightBorder, 0);
    return states;
  }
  void Hit(const char* object, int32_t value) {
    form.longs[object] = value;
    dialog.ItemHit(Name(object), 1);
  }
  int32_t Property(uint16_t id) const { return dialog.GetProperties().GetProperty(id); }
  uint8_t State(uint16_t id) const { return dialog.GetStates().GetState(id); }
  Form form;
  xMorvaBorderDialog dialog;
};

TEST(xMorvaBorderDialog, EachObjectChangesItsPropertyAndItsState) {
  struct Case {
    const char* object;
    int32_t value;
    uint16_t id;
    uint8_t state;
    int32_t property;
  };
  const Case cases[] = {
      {"chkRight", 1, kPropRightBorder, 1, 1},
      {"chkLeft", 0, kPropLeftBorder, 1, 0},
      {"chkLeft", 2, kPropLeftBorder, 0, 0},
      {"chkLeft", 5, kPropLeftBorder, 1, 1},  // no state of a check box: kept
      {"chkAll", 1, kPropRightBorder, 1, 1},
      {"chkAll", 0, kPropLeftBorder, 1, 0},
      {"chkAll", 2, kPropRightBorder, 0, 0},  // mixed: the sides stay
      {"ls1", 1, kPropBorderStyle, 1, 0},
      {"ls10", 1, kPropBorderStyle, 1, 9},
      {"popLineColor", 4, kPropBorderColour, 1, 0x19CC00},
      {"popLineColor", 0, kPropBorderColour, 0, 0},
      {"popLineColor", 13, kPropBorderColour, 1, 0},  // past the items: kept
      {"popBackBorderColor", 11, kPropParagraphBackColour, 1, kColourNone},
      {"popBackBorderColor", 2, kPropParagraphBackColour, 1, 0xA6D9FF},
      {"useBorderSpacing", 0, kPropBorderSpacing, 0, 4},
  };
  for (const Case& c : cases) {
    Fixture f;
    f.Hit(c.object, c.value);
    EXPECT_EQ(f.State(c.id), c.state) << c.object << " " << c.value;
    EXPECT_EQ(f.Property(c.id), c.property) << c.object << " " << c.value;
  }
  // All four on shows "all" checked; one of them mixed mixes it.
  Fixture f;
  f.Hit("chkAll", 1);
  EXPECT_EQ(f.form.longs["chkAll"], 1);
  EXPECT_TRUE(f.dialog.GetAll());
  f.Hit("chkBottom", 2);
  EXPECT_EQ(f.form.longs["chkAll"], 2);
  EXPECT_FALSE(f.dialog.GetAll());
  EXPECT_FALSE(f.form.shown["LineBottom2"]);
}

TEST(xMorvaBorderDialog, TheSpacingIsBoundedAndUnusedItIsEmptyAndDisabled) {
  struct Case {
    double typed;
    int32_t stored;
  };
  for (const Case& c :
       {Case{40, 40}, Case{255, 255}, Case{256, 255}, Case{1e9, 255}, Case{-3, 0}}) {
    Fixture f;
    f.form.reals["vBorderSpacing"] = c.typed;
    f.dialog.ItemHit(Name("vBorderSpacing"), 1);
    EXPECT_EQ(f.Property(kPropBorderSpacing), c.stored) << c.typed;
    EXPECT_EQ(f.form.reals["vBorderSpacing"], c.stored) << c.typed;
  }
  Fixture f;
  f.Hit("useBorderSpacing", 0);
  EXPECT_EQ(f.form.reals["vBorderSpacing"], 0.0);
  EXPECT_FALSE(f.form.enabled["vBorderSpacing"]);
  // Typed while unused, it changes nothing.
  f.form.reals["vBorderSpacing"] = 99;
  f.dialog.ItemHit(Name("vBorderSpacing"), 1);
  EXPECT_EQ(f.Property(kPropBorderSpacing), 4);
}

}  // namespace border_dialog_test
