// The find and replace dialogs against a form kept by a recording host:
// the histories they grow and show, and the criteria records their buttons
// reach. Their runs through the module are the find script's.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "boundary/HostServiceSelectors.h"
#include "dialogs/xMorvaFindDialog.h"
#include "document/xMorvaFind.h"
#include "framework/core/containers/VStringArray.h"
#include "framework/core/strings/VUniString.h"
#include "dialogs/tests/DialogTestSupport.h"
#include "host/tests/HostTestSupport.h"
#include "platform/toolbox/TbxHandles.h"

namespace findtest {

using hosttest::RecordingHost;
using Criteria = xMorvaFindDialog::Criteria;

// A form as maps of object values, texts and list items, by name.
using Form = FormValues;

VStr<255> Name(const char* text) {
  VStr<255> name;
  name.SetAnsiCText(text);
  return name;
}

// A history from its texts, item 1 first.
void Fill(VStringArray& history, const std::vector<std::string>& texts) {
  for (const std::string& text : texts)
    history.AppendObject(new VStrInHandle(Name(text.c_str())), false);
}

std::vector<std::string> Texts(const VStringArray& history) {
  std::vector<std::string> texts;
  for (int32_t i = 1; i <= history.Count(); ++i) {
    VStr<255> item;
    history.FormatTo(item, nullptr, i);
    char c[256];
    item.GetCText(c, 255, kCharSetAnsi);
    texts.emplace_back(c);
  }
  return texts;
}

std::string Text(const VString& string) {
  char c[256];
  string.GetCText(c, 255, kCharSetAnsi);
  return c;
}

// The dialogs with their criteria dialogs stood in for: each run answers
// `accept` after writing `written` over the record it was given.
template <typename Dialog>
class Scripted : public Dialog {
 public:
  explicit Scripted(xMorvaFindReplace& search) : Dialog(nullptr, search) {}
  bool accept = true;
  std::vector<Criteria> runs;

 protected:
  bool RunCriteriaDialog(Criteria kind, xMorvaProperties& properties,
                         xMorvaPropertiesStates& states) override {
    runs.push_back(kind);
    properties.SetProperty(kPropBold, 1);
    properties.SetProperty(kPropBorderSpacing, 77);  // no character dialog shows it
    states.ClearAll();
    states.SetState(kPropBold, 1);
    states.SetState(64, 1);
    return accept;
  }
};

struct Search {
  Search() : search{parameters, findHistory, replaceHistory, nullptr} {}
  xMorvaFindReplaceParameters parameters;
  VStringArray findHistory;
  VStringArray replaceHistory;
  xMorvaFindReplace search;
};

TEST(xMorvaFindDialog, TheHistoryTakesEachNewTextOnTopAndNothingElse) {
  struct Case {
    const char* typed;
    std::vector<std::string> after;
  };
  const std::vector<std::string> before = {"cat", "dog", "bird"};
  const Case cases[] = {
      {"fox", {"fox", "cat", "dog", "bird"}}, {"", {"cat", "dog", "bird"}},  // empty: never kept
      {"bird", {"cat", "dog", "bird"}},  // there already: not moved up
      {"DOG", {"cat", "dog", "bird"}},   // the same without regard to case
      {"do", {"do", "cat", "dog", "bird"}},
  };
  for (const Case& c : cases) {
    Form form;
    Search s;
    Fill(s.findHistory, before);
    xMorvaFindDialog dialog(nullptr, s.search);
    form.texts["cboFindList"] = c.typed;
    ASSERT_TRUE(dialog.ReadValues());
    EXPECT_EQ(Texts(s.findHistory), c.after) << c.typed;
    EXPECT_EQ(Text(s.parameters.findText), c.typed);
    EXPECT_TRUE(s.replaceHistory.Count() == 0);
  }
}

TEST(xMorvaFindDialog, AHistoryLongerThanAListShowsItsMostRecentTexts) {
  Form form;
  Search s;
  const int32_t count = xMorvaFindDialog::kShownHistory + 2;
  for (int32_t i = 1; i <= count; ++i)
    s.findHistory.AppendObject(new VStrInHandle(Name(std::to_string(i).c_str())), false);
  // The text of the last row, past what the list shows.
  s.parameters.findText.SetAnsiCText(std::to_string(count).c_str());
  xMorvaFindDialog dialog(nullptr, s.search);
  dialog.BeforeOpen();
  dialog.AfterOpen();
  const std::vector<std::string>& shown = form.items["cboFindList"];
  ASSERT_EQ(shown.size(), size_t(xMorvaFindDialog::kShownHistory));
  EXPECT_EQ(shown.front(), "1");
  EXPECT_EQ(shown.back(), std::to_string(xMorvaFindDialog::kShownHistory));
  EXPECT_EQ(form.longs["cboFindList"], 0);
  EXPECT_EQ(form.texts["cboFindList"], std::to_string(count));
  // Read back, it is still known: the history does not grow.
  dialog.ReadValues();
  EXPECT_EQ(s.findHistory.Count(), count);
}

TEST(xMorvaFindDialog, EachCriteriaButtonReplacesItsWholeRecordOnlyWhenBothDialogsAreAccepted) {
  struct Case {
    const char* button;
    Criteria kind;
    bool replaceRecord;
  };
  const Case cases[] = {
      {"butFindCharacters", Criteria::kCharacters, false},
      {"butFindParagraphs", Criteria::kParagraphs, false},
      {"butFindStyleSheet", Criteria::kStyleSheet, false},
      {"butFindBorders", Criteria::kBorders, false},
      {"butReplaceCharacters", Criteria::kCharacters, true},
      {"butReplaceParagraphs", Criteria::kParagraphs, true},
      {"butReplaceStyleSheet", Criteria::kStyleSheet, true},
      {"BUTREPLACEBORDERS", Criteria::kBorders, true},
  };
  for (const Case& c : cases) {
    for (const bool accept : {true, false}) {
      Form form;
      Search s;
      s.parameters.findStates.SetState(kPropItalic, 1);
      s.parameters.replaceStates.SetState(kPropItalic, 1);
      Scripted<xMorvaReplaceDialog> dialog(s.search);
      dialog.accept = accept;
      dialog.ItemHit(Name(c.button), 1);
      ASSERT_EQ(dialog.runs.size(), 1u) << c.button;
      EXPECT_EQ(dialog.runs[0], c.kind) << c.button;
      // The search changes only when the dialog is accepted.
      EXPECT_EQ(s.parameters.findStates.GetState(kPropBold) +
                    s.parameters.replaceStates.GetState(kPropBold),
                0);
      form.texts["cboFindList"] = "cat";
      dialog.ReadValues();
      const xMorvaProperties& edited =
          c.replaceRecord ? s.parameters.replaceProperties : s.parameters.findProperties;
      const xMorvaPropertiesStates& states =
          c.replaceRecord ? s.parameters.replaceStates : s.parameters.findStates;
      const xMorvaPropertiesStates& other =
          c.replaceRecord ? s.parameters.findStates : s.parameters.replaceStates;
      EXPECT_EQ(states.GetState(kPropItalic), accept ? 0 : 1) << c.button;
      EXPECT_EQ(states.GetState(kPropBold), accept ? 1 : 0) << c.button;
      EXPECT_EQ(states.GetState(64), accept ? 1 : 0) << c.button;
      EXPECT_EQ(edited.GetProperty(kPropBorderSpacing) == 77, accept) << c.button;
      // The other record is not touched.
      EXPECT_EQ(other.GetState(kPropItalic), 1) << c.button;
      EXPECT_EQ(other.GetState(kPropBold), 0) << c.button;
      EXPECT_FALSE(dialog.WasAccepted());
    }
  }
  // The find dialog has no replace criteria.
  Form form;
  Search s;
  Scripted<xMorvaFindDialog> dialog(s.search);
  dialog.ItemHit(Name("butReplaceCharacters"), 1);
  EXPECT_TRUE(dialog.runs.empty());
}

}  // namespace findtest
