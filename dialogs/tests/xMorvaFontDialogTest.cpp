// The font dialog against a form kept by a recording host: what it shows of
// a record, how each object changes the working record, the input it
// refuses, and its colour tables.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>

#include "boundary/HostServiceSelectors.h"
#include "dialogs/xMorvaFontDialog.h"
#include "framework/core/strings/VUniString.h"
#include "framework/system/environment/VSystemServices.h"
#include "dialogs/tests/DialogTestSupport.h"
#include "host/tests/HostTestSupport.h"
#include "platform/toolbox/TbxEnvironment.h"
#include "platform/win32/WinCommonDialogs.h"

namespace {

using hosttest::RecordingHost;
using Table = xMorvaFontDialog::ColourTable;

// A form as a map of object values and texts, by name.
using Form = FormValues;

VStr<255> Name(const char* text) {
  VStr<255> name;
  name.SetAnsiCText(text);
  return name;
}

struct Fixture {
  Fixture() : dialog(nullptr, Record(), States()) { dialog.AfterOpen(); }
  static xMorvaProperties Record() {
    xMorvaProperties record;
    record.SetProperty(kPropBold, 1);
    record.SetProperty(kPropVerticalPosition, 2);
    record.SetProperty(kPropSize, 14);
    record.SetProperty(kPropTextColour, 0x123456);
    return record;
  }
  // Bold and the capitals are mixed; the rest is uniform.
  static xMorvaPropertiesStates States() {
    xMorvaPropertiesStates states(true);
    states.SetState(kPropBold, 0);
    states.SetState(kPropLetterCase, 0);
    return states;
  }
  void Hit(const char* object, int32_t value) {
    form.longs[object] = value;
    dialog.ItemHit(Name(object), 1);
  }
  void Type(const char* object, const char* text) {
    form.texts[object] = text;
    dialog.ItemHit(Name(object), 1);
  }
  int32_t Property(uint16_t id) const { return dialog.GetProperties().GetProperty(id); }
  uint8_t State(uint16_t id) const { return dialog.GetStates().GetState(id); }
  Form form;
  xMorvaFontDialog dialog;
};

TEST(xMorvaFontDialog, EachObjectChangesItsPropertyAndItsState) {
  struct Case {
    const char* object;
    int32_t value;
    uint16_t id;
    uint8_t state;
    int32_t property;
  };
  const Case cases[] = {
      {"chkBold", 1, kPropBold, 1, 1},
      {"chkItalic", 2, kPropItalic, 0, 0},
      {"chkShadowed", 5, kPropShadow, 1, 1},
      {"rbSuperScript", 1, kPropVerticalPosition, 1, 1},
      {"rbSubScript", 2, kPropVerticalPosition, 0, 2},
      {"brSmallCapitals", 1, kPropLetterCase, 1, 2},
      {"brCapitals", 1, kPropLetterCase, 1, 1},
      {"droUnderline", 4, kPropUnderline, 1, 3},
      {"droUnderline", 0, kPropUnderline, 0, 0},
      {"droUnderline", 9, kPropUnderline, 1, 0},  // past the kinds: kept
      {"popBackColor", 11, kPropBackColour, 1, kColourNone},
      {"popShadowColor", 3, kPropShadowColour, 1, 0x666666},
      {"popShadowColor", 5, kPropShadowColour, 1, 0x999999},  // past the items: kept
      {"popTextColor", 0, kPropTextColour, 0, 0x123456},
      {"popTextColor", 6, kPropTextColour, 1, 0xFF00CC},
  };
  for (const Case& c : cases) {
    Fixture f;
    f.Hit(c.object, c.value);
    EXPECT_EQ(f.State(c.id), c.state) << c.object << " " << c.value;
    EXPECT_EQ(f.Property(c.id), c.property) << c.object << " " << c.value;
  }
  // Mixed capitals show in both buttons; a radio button of a pair turns
  // the other off, or mixes both.
  Fixture f;
  EXPECT_EQ(f.form.longs["brCapitals"], 2);
  EXPECT_EQ(f.form.longs["rbSubScript"], 1);
  f.Hit("rbSuperScript", 1);
  EXPECT_EQ(f.form.longs["rbSubScript"], 0);
  f.Hit("brCapitals", 2);
  EXPECT_EQ(f.form.longs["brSmallCapitals"], 2);
}

TEST(xMorvaFontDialog, SizesAreBoundedAndWhatIsNoNumberIsRefusedWithTheBeep) {
  struct Case {
    const char* typed;
    uint8_t state;
    int32_t size;
    const char* shown;
    int32_t beeps;
  };
  const Case cases[] = {
      {"0", 1, 1, "1", 0},      {"300", 1, 255, "255", 0}, {"12.7", 1, 12, "12", 0}, {"-3", 1, 1, "1", 0},
      {"1e9", 1, 255, "255", 0}, {"abc", 1, 14, "14", 1},  {"12abc", 1, 14, "14", 1}, {"", 0, 14, "", 0},
      {"  ", 0, 14, "  ", 0},
  };
  for (const Case& c : cases) {
    Fixture f;
    const int32_t before = Tbx::CountBeeps();
    f.Type("vSize", c.typed);
    EXPECT_EQ(f.State(kPropSize), c.state) << '"' << c.typed << '"';
    EXPECT_EQ(f.Property(kPropSize), c.size) << '"' << c.typed << '"';
    EXPECT_EQ(f.form.texts["vSize"], c.shown) << '"' << c.typed << '"';
    EXPECT_EQ(Tbx::CountBeeps() - before, c.beeps) << '"' << c.typed << '"';
  }
}

TEST(xMorvaFontDialog, RevertDefaultAndNone) {
  Fixture f;
  f.Hit("chkBold", 1);
  f.Hit("popTextColor", 1);
  f.dialog.ItemHit(Name("butRevert"), 1);
  EXPECT_EQ(f.State(kPropBold), 0);
  EXPECT_EQ(f.form.longs["popTextColor"], 12);
  f.dialog.ItemHit(Name("butNone"), 1);
  for (uint16_t id = 0; id <= kLastCharacterProperty; ++id) EXPECT_EQ(f.State(id), 0) << id;
  EXPECT_EQ(f.form.longs["chkItalic"], 2);
  f.dialog.ItemHit(Name("butDefault"), 1);
  for (uint16_t id = 0; id <= kPropShadowColour; ++id) EXPECT_EQ(f.State(id), 1) << id;
  // Only the dialog's own properties take the defaults.
  EXPECT_EQ(f.State(kPropStyleSheet), 0);
  EXPECT_EQ(f.Property(kPropSize), 12);
  EXPECT_EQ(f.Property(kPropBackColour), kColourNone);
  EXPECT_EQ(f.form.longs["chkBold"], 0);
}

// The system's chooser starts from the property colour as it is stored and
// its answer is stored as it gives it: red from the chooser is the
// palette's red.
TEST(xMorvaFontDialog, TheChooserTakesAndGivesThePropertyColourAsItIs) {
  struct Chooser {
    uint32_t started = 0;
    uint32_t answer = 0;
  } chooser;
  chooser.answer = 0x0000FF;  // red, as the platform's chooser gives it
  SetHeadlessColorProvider(
      [](CHOOSECOLORA* dialog, void* context) -> BOOL {
        auto* c = static_cast<Chooser*>(context);
        c->started = dialog->rgbResult;
        dialog->rgbResult = c->answer;
        return TRUE_;
      },
      &chooser);
  VSystemServices services;
  VSystemServices* const saved = gSystemServices;
  gSystemServices = &services;
  Fixture f;
  f.Hit("popTextColor", 12);  // the other colour: the chooser
  gSystemServices = saved;
  SetHeadlessColorProvider(nullptr, nullptr);
  EXPECT_EQ(chooser.started, 0x123456u);
  EXPECT_EQ(f.Property(kPropTextColour), 0x0000FF);
  EXPECT_EQ(f.Property(kPropTextColour), xMorvaFontDialog::ColourOfItem(Table::kText, 1));
  EXPECT_EQ(f.State(kPropTextColour), 1);
}

TEST(xMorvaFontDialog, ColourTablesMapBothWays) {
  struct Case {
    Table table;
    int32_t item, colour;
  };
  const Case cases[] = {
      {Table::kText, 1, 0x0000FF},  {Table::kText, 11, 0x000000},     {Table::kBack, 1, 0xB3B3FF},
      {Table::kBack, 11, kColourNone}, {Table::kLine, 11, kColourNone}, {Table::kLine, 6, 0xFF00CC},
      {Table::kShadow, 1, 0xCCCCCC}, {Table::kShadow, 3, 0x666666},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(xMorvaFontDialog::ColourOfItem(c.table, c.item), c.colour) << c.item;
    EXPECT_EQ(xMorvaFontDialog::ItemOfColour(c.table, c.colour), c.item) << c.item;
  }
  // Any colour the table lacks shows the last item, which asks the chooser.
  EXPECT_EQ(xMorvaFontDialog::ItemOfColour(Table::kText, kColourNone), 12);
  EXPECT_EQ(xMorvaFontDialog::ItemOfColour(Table::kShadow, 0x000000), 4);
  EXPECT_EQ(xMorvaFontDialog::ColourItemCount(Table::kShadow), 4);
}

}  // namespace
