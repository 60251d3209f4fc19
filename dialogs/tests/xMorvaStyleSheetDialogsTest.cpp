// The style sheet dialogs against a host whose form keeps each object's
// value: the edit dialog's name, shortcut, kind of sheet and tabs, the
// names it refuses; the chooser's rows; sheets found by name.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "area/tests/DocumentFileSupport.h"
#include "boundary/HostServiceSelectors.h"
#include "dialogs/xMorvaEditStyleSheetDialog.h"
#include "dialogs/xMorvaStyleSheetDialogs.h"
#include "dialogs/tests/DialogTestSupport.h"
#include "host/tests/HostTestSupport.h"
#include "platform/toolbox/TbxEnvironment.h"
#include "platform/toolbox/TbxWindows.h"

namespace {

using hosttest::RecordingHost;

std::string Text(const VString& s) { return hosttest::Str(s); }

class StyleSheetDialogs : public documentfile::Fixture {
 protected:
  void SetUp() override {
    document = NewDocument();
    ASSERT_NE(document->GetStyleSheetStore(), nullptr);
    // "Quote": a paragraph sheet with an indent and a tab stop.
    xMorvaStyleSheet quote;
    quote.states.SetState(kPropBold, 1);
    quote.properties.SetProperty(kPropBold, 1);
    quote.states.SetState(kFirstParagraphProperty, 1);
    quote.states.SetState(kPropTabs, 1);
    quote.tabs.AddStop(40);
    quote.shortcut = 'q';
    ASSERT_TRUE(quote.SaveNew(*document, *document->GetStyleSheetStore(), hosttest::Text("Quote"),
                              quoteId));
    xMorvaStyleSheet verse;
    int16_t verseId = 0;
    ASSERT_TRUE(verse.SaveNew(*document, *document->GetStyleSheetStore(), hosttest::Text("Verse"),
                              verseId));
  }
  std::unique_ptr<xMorvaDocument> document;
  int16_t quoteId = 0;
};

TEST_F(StyleSheetDialogs, NamesAreFoundWithoutRegardToCaseAndASheetMayKeepItsOwn) {
  EXPECT_FALSE(xMorvaEditStyleSheetDialog::NameIsFree(*document, hosttest::Text("qUOTE"), 0));
  EXPECT_TRUE(xMorvaEditStyleSheetDialog::NameIsFree(*document, hosttest::Text("quote"), quoteId));
  EXPECT_FALSE(xMorvaEditStyleSheetDialog::NameIsFree(*document, hosttest::Text("quote"),
                                                      kDefaultStyleSheetId));
  EXPECT_TRUE(xMorvaEditStyleSheetDialog::NameIsFree(*document, hosttest::Text("Quotes"), 0));
  EXPECT_TRUE(xMorvaEditStyleSheetDialog::NameIsFree(*document, hosttest::Text("Quo@"), 0));
  xMorvaStyleSheet sheet;
  ASSERT_TRUE(LoadStyleSheetByName(*document, hosttest::Text("QUOTE"), sheet));
  EXPECT_EQ(sheet.shortcut, 'q');
  EXPECT_EQ(sheet.tabs.Count(), 1);
  sheet.shortcut = 7;
  EXPECT_FALSE(LoadStyleSheetByName(*document, hosttest::Text("Quo"), sheet));
  EXPECT_FALSE(LoadStyleSheetByName(*document, hosttest::Text("Quo@"), sheet));
  EXPECT_EQ(sheet.shortcut, 7);
}

TEST_F(StyleSheetDialogs, TheEditDialogTakesEachObjectIntoItsSheet) {
  xMorvaStyleSheet quote;
  ASSERT_TRUE(quote.Load(*document, *document->GetStyleSheetStore(), quoteId));
  struct Case {
    const char* name;
    std::deque<std::string> steps;
    bool accepted;
    int32_t beeps;
    const char* sheetName;
    uint16_t shortcut;
    uint8_t paragraph;
    uint8_t indentState, tabState, boldState;
    int32_t tabs;
  };
  const Case cases[] = {
      {"unchanged", {"accept"}, true, 0, "Quote", 'q', 1, 1, 1, 1, 1},
      {"a name of 40 cut to 31",
       {"vStyleName:Forty characters of name, to cut at 31!!", "accept"},
       true,
       1,
       "Forty characters of name, to cu",
       'q',
       1,
       1,
       1,
       1,
       1},
      {"the shortcut's first character",
       {"vShortCut:xyz", "accept"},
       true,
       0,
       "Quote",
       'x',
       1,
       1,
       1,
       1,
       1},
      {"no shortcut", {"vShortcut:", "accept"}, true, 0, "Quote", 0, 1, 1, 1, 1, 1},
      {"characters clear 32 to 64",
       {"drAppliesTo=1", "drAppliesTo=2", "accept"},
       true,
       0,
       "Quote",
       'q',
       1,
       0,
       0,
       1,
       0},
      {"item 0 keeps the kind", {"drAppliesTo=0", "accept"}, true, 0, "Quote", 'q', 1, 1, 1, 1, 1},
      {"no tabs", {"ckbUseTabulations=0", "accept"}, true, 0, "Quote", 'q', 1, 1, 0, 1, 0},
      {"tabs again start empty",
       {"ckbUseTabulations=0", "ckbUseTabulations=1", "accept"},
       true,
       0,
       "Quote",
       'q',
       1,
       1,
       1,
       1,
       0},
      {"revert",
       {"drAppliesTo=1", "vShortCut:z", "butRevert", "accept"},
       true,
       0,
       "Quote",
       'q',
       1,
       1,
       1,
       1,
       1},
      {"none", {"butNone", "accept"}, true, 0, "Quote", 0, 1, 0, 0, 0, 0},
      {"another sheet's name",
       {"vStyleName:vERSE", "accept", "cancel"},
       false,
       1,
       "vERSE",
       'q',
       1,
       1,
       1,
       1,
       1},
      {"an empty name",
       {"vStyleName:", "accept", "vStyleName:Q2", "accept"},
       true,
       1,
       "Q2",
       'q',
       1,
       1,
       1,
       1,
       1},
  };
  for (const Case& c : cases) {
    StepForm form;
    form.steps = c.steps;
    xMorvaEditStyleSheetDialog dialog(nullptr, document.get(), quote, hosttest::Text("Quote"),
                                      quoteId);
    const int32_t beeps = Tbx::CountBeeps();
    EXPECT_EQ(dialog.Run(), c.accepted) << c.name;
    EXPECT_EQ(Tbx::CountBeeps() - beeps, c.beeps) << c.name;
    const xMorvaStyleSheet& sheet = dialog.GetSheet();
    EXPECT_EQ(Text(dialog.GetName()), c.sheetName) << c.name;
    EXPECT_EQ(sheet.shortcut, c.shortcut) << c.name;
    EXPECT_EQ(sheet.paragraphSheet, c.paragraph) << c.name;
    EXPECT_EQ(sheet.states.GetState(kFirstParagraphProperty), c.indentState) << c.name;
    EXPECT_EQ(sheet.states.GetState(kPropTabs), c.tabState) << c.name;
    EXPECT_EQ(sheet.states.GetState(kPropBold), c.boldState) << c.name;
    EXPECT_EQ(sheet.tabs.Count(), c.tabs) << c.name;
  }
}

TEST_F(StyleSheetDialogs, ALockedSheetKeepsItsName) {
  xMorvaStyleSheet sheet;
  StepForm form;
  form.steps = {"vStyleName:Body", "accept"};
  xMorvaEditStyleSheetDialog dialog(nullptr, document.get(), sheet, hosttest::Text("Normal"),
                                    kDefaultStyleSheetId);
  dialog.SetNameLocked(true);
  EXPECT_TRUE(dialog.Run());
  EXPECT_EQ(Text(dialog.GetName()), "Normal");
  EXPECT_EQ(form.texts["vstylename"], "Normal");
  EXPECT_TRUE(xMorvaStyleSheetDialog::IsLocked(sheet, kDefaultStyleSheetId));
  EXPECT_FALSE(xMorvaStyleSheetDialog::IsLocked(sheet, quoteId));
  sheet.reserved = 1;
  EXPECT_TRUE(xMorvaStyleSheetDialog::IsLocked(sheet, quoteId));
}

TEST_F(StyleSheetDialogs, TheChooserOpensOnTheSheetAndRowZeroClearsTheState) {
  struct Case {
    const char* name;
    uint8_t state;
    int16_t id;
    std::deque<std::string> steps;
    int32_t openRow;
    uint8_t endState;
    int32_t endId;
  };
  const Case cases[] = {
      {"no sheet opens on row 0", 0, 0, {"accept"}, 0, 0, 0},
      {"a sheet opens on its row", 1, quoteId, {"accept"}, 2, 1, quoteId},
      {"an unknown sheet opens on row 0", 1, 999, {"accept"}, 0, 1, 999},
      {"row 0 clears the state", 1, quoteId, {"listStyleSheet=0", "accept"}, 2, 0, quoteId},
      {"row 1 chooses the default",
       0,
       0,
       {"ListStyleSheet=1", "accept"},
       0,
       1,
       kDefaultStyleSheetId},
      {"a row past the end changes nothing",
       1,
       quoteId,
       {"listStyleSheet=4", "accept"},
       2,
       1,
       quoteId},
  };
  for (const Case& c : cases) {
    StepForm form;
    form.steps = c.steps;
    xMorvaProperties properties;
    xMorvaPropertiesStates states;
    properties.SetProperty(kPropStyleSheet, c.id);
    states.SetState(kPropStyleSheet, c.state);
    xMorvaChooseStyleSheetDialog dialog(nullptr, document.get(), properties, states);
    EXPECT_TRUE(dialog.Run()) << c.name;
    EXPECT_EQ(form.firstSet["liststylesheet"], c.openRow) << c.name;
    EXPECT_EQ(dialog.GetStates().GetState(kPropStyleSheet), c.endState) << c.name;
    EXPECT_EQ(dialog.GetProperties().GetProperty(kPropStyleSheet), c.endId) << c.name;
  }
}

}  // namespace
