// The formula editor on the stand-in host's form "EditEngineObject": the
// page and field it opens on, the formats offered for each field type,
// typed and chosen formats mapped to list positions and codes, the field
// chooser's point event, the host's editor, and a cancelled run that leaves
// the reference as it was.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "boundary/HostServiceSelectors.h"
#include "framework/core/strings/VUniString.h"
#include "host/callback/HostCallback.h"
#include "host/context/VHostContext.h"
#include "host/context/VHostRef.h"
#include "host/dialog/VFormulaDialog.h"
#include "qvhost/QvHost.h"
#include "host/tests/HostTestSupport.h"

namespace {

using hosttest::Str;
using hosttest::Text;

using Actions = std::vector<HostForms::Action>;

class FormulaDialog : public testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(host.OpenHostResources(QVHOST_HOST_RESOURCES, &error)) << error;
    HostDatabase& db = host.Database();
    ASSERT_TRUE(db.DefineTable(1, "People"));
    const std::pair<const char*, int16_t> fields[] = {{"Name", 0}, {"Height", 1}, {"Born", 4},
                                                     {"Woke", 11}, {"Photo", 6}, {"Code", 24}};
    for (uint16_t i = 0; i < 6; ++i) ASSERT_TRUE(db.DefineField(1, i + 1, fields[i].first, fields[i].second));
    previous = GetHostCallback();
    record.callback = &QvHost::Callback;
    context = new VHostContext(&record);
    gHostContext = context;
  }
  void TearDown() override {
    gHostContext = nullptr;
    delete context;
    SetHostCallback(previous);
  }
  // Runs the editor on the reference with the script; whether it accepted.
  bool Run(VHostRef& reference, Actions actions) {
    host.Forms().Script("EditEngineObject", std::move(actions));
    return RunFormulaDialog(&reference);
  }
  const HostForms::Object* Closed(const char* name) {
    const HostForms::Form* form = host.Forms().LastClosed();
    if (form == nullptr) return nullptr;
    for (const HostForms::Object& object : form->objects)
      if (object.name == name) return &object;
    return nullptr;
  }
  std::vector<std::string> Logged(int32_t selector) const {
    std::vector<std::string> texts;
    for (const QvHost::LoggedCall& call : host.Log())
      if (call.selector == selector) texts.push_back(call.text);
    return texts;
  }
  static std::string FormatOf(const VHostRef& reference) {
    VStr<255> format;
    reference.GetFormatText(format);
    return Str(format);
  }

  QvHost host{QvHostConfig{}};
  HostStartupRecord record{};
  VHostContext* context = nullptr;
  HostCallback previous = nullptr;
};

TEST_F(FormulaDialog, OpensOnTheFieldPageWithTheFormatsOfItsType) {
  VHostRef empty(0, 0, false);
  EXPECT_FALSE(Run(empty, {{"cancel", "bCancel", ""}}));
  // No table or field: table 1, field 1, an alpha field offering the text
  // formats. The field chooser made at run time is gone with the form.
  EXPECT_EQ(Logged(kFormSelNewObject), std::vector<std::string>{"new object vFields"});
  EXPECT_EQ(Logged(kFormSelSetFieldRef), std::vector<std::string>{"EditEngineObject.vFields: set field 1.1"});
  EXPECT_EQ(Closed("vTab")->value, 1);
  EXPECT_EQ(Closed("vTab")->items, (std::vector<std::string>{"Field", "Formula"}));
  EXPECT_EQ(Closed("vFormats")->items, (std::vector<std::string>{"Upper", "Lower"}));
  for (const char* button : {"bOK", "bCancel", "bEdit"}) EXPECT_EQ(Closed(button)->value, 0) << button;

  // A date field with its date format selected by number.
  VHostRef born(1, 3, false);
  born.SetOption(2);
  EXPECT_FALSE(Run(born, {{"cancel", "bCancel", ""}}));
  EXPECT_EQ(Closed("vFormats")->items,
            (std::vector<std::string>{"Short", "Abbreviated", "Long", "Short fixed", "Day month, year",
                                      "Day mon, year", "Short with century"}));
  EXPECT_EQ(Closed("vFormats")->value, 2);
}

TEST_F(FormulaDialog, AnExpressionOpensOnItsPageWithEveryFormat) {
  VHostRef expression(Text("1+2"));
  ASSERT_NE(expression.GetReferenceData(), 0u);
  expression.SetFormatText(Text("0.0%"));
  EXPECT_FALSE(Run(expression, {{"cancel", "bCancel", ""}}));
  EXPECT_EQ(Closed("vTab")->value, 2);
  ASSERT_EQ(Closed("vFormats")->items.size(), 19u);
  EXPECT_EQ(Closed("vFormats")->items[18], "Scaled");
  EXPECT_EQ(Closed("vFormats")->value, 4);  // after the two text formats
  EXPECT_EQ(Closed("vFormula")->text, "1+2");
}

TEST_F(FormulaDialog, TypedFormatsGiveListPositionsAndCodes) {
  struct Case {
    int16_t field;  // 0: an expression
    const char* typed;
    int32_t position, timeFormat, dateFormat;
    const char* format;  // what the reference keeps
  } cases[] = {
      {1, "Lower", 2, 0, 0, "Lower"},
      {1, "Bogus", 0, 0, 0, "Bogus"},
      {2, "0.0%", 2, 0, 0, "0.0%"},
      {3, "Long", 3, 0, 3, ""},
      {4, "HH:MM", 2, 2, 0, ""},
      {5, "Scaled", 2, 0, 0, "Scaled"},
      {6, "Upper", 1, 0, 0, "Upper"},   // type 24: looked up among the texts
      {0, "Abbreviated", 7, 0, 2, ""},  // 2 texts, 3 numbers, then the dates
      {0, "HH:MM:SS", 13, 1, 0, ""},    // after the seven dates
      {0, "#####", 5, 0, 0, "#####"},
      {0, "Nowhere", 0, 0, 0, "Nowhere"},
      {0, "Scaled", 19, 0, 0, "Scaled"},  // a picture format is no time format
  };
  for (const Case& c : cases) {
    std::unique_ptr<VHostRef> reference =
        c.field != 0 ? std::make_unique<VHostRef>(1, c.field, false) : std::make_unique<VHostRef>(Text("3*4"));
    reference->SetFormat(7);
    reference->SetOption(7);
    EXPECT_TRUE(Run(*reference, {{"set", "vFormat", c.typed}, {"accept", "bOK", ""}})) << c.typed;
    EXPECT_EQ(Closed("vFormats")->value, c.position) << c.field << " " << c.typed;
    EXPECT_EQ(reference->GetFormat(), c.timeFormat) << c.field << " " << c.typed;
    EXPECT_EQ(reference->GetOption(), c.dateFormat) << c.field << " " << c.typed;
    EXPECT_EQ(FormatOf(*reference), c.format) << c.field << " " << c.typed;
  }
}

TEST_F(FormulaDialog, ChosenFormatsFollowTheirPositions) {
  struct Case {
    int16_t field;
    const char* index;
    int32_t timeFormat, dateFormat;
    const char* format;
  } cases[] = {
      {1, "2", 0, 0, "Lower"},
      {3, "3", 0, 3, ""},
      {4, "1", 1, 0, ""},
      {5, "2", 0, 0, "Scaled"},  // a picture format chosen is kept
      {0, "7", 0, 2, ""},        // expression: the second date format
      {0, "14", 2, 0, ""},
      {0, "18", 0, 0, "Truncated"},  // past the times: a picture format, kept
  };
  for (const Case& c : cases) {
    std::unique_ptr<VHostRef> reference =
        c.field != 0 ? std::make_unique<VHostRef>(1, c.field, false) : std::make_unique<VHostRef>(Text("3*4"));
    EXPECT_TRUE(Run(*reference, {{"select", "vFormats", c.index}, {"accept", "bOK", ""}}));
    EXPECT_EQ(reference->GetFormat(), c.timeFormat) << c.field << " " << c.index;
    EXPECT_EQ(reference->GetOption(), c.dateFormat) << c.field << " " << c.index;
    EXPECT_EQ(FormatOf(*reference), c.format) << c.field << " " << c.index;
    EXPECT_EQ(Closed("vFormats")->value, std::atoi(c.index));
  }
}

TEST_F(FormulaDialog, FieldType24OffersNoFormats) {
  VHostRef code(1, 6, false);
  EXPECT_FALSE(Run(code, {{"cancel", "bCancel", ""}}));
  EXPECT_TRUE(Closed("vFormats")->items.empty());
  EXPECT_EQ(Closed("vFormats")->value, 0);
}

TEST_F(FormulaDialog, CancellingLeavesTheReferenceAsItWas) {
  VHostRef expression(Text("5-1"));
  expression.SetFormatText(Text("Upper"));
  expression.SetOption(1);
  const uint32_t data = expression.GetReferenceData();
  host.formulaEdits.push_back("9*9");
  EXPECT_FALSE(Run(expression, {{"set", "vFormat", "Long"},
                                {"click", "bEdit", ""},
                                {"select", "vTab", "1"},
                                {"set", "vFields", "1.2"},
                                {"cancel", "bCancel", ""}}));
  int16_t table = -1, field = -1;
  expression.GetNumbers(table, field);
  EXPECT_EQ(table, 0);
  EXPECT_EQ(field, 0);
  EXPECT_EQ(expression.GetReferenceData(), data);
  EXPECT_EQ(FormatOf(expression), "Upper");
  EXPECT_EQ(expression.GetOption(), 1);
  EXPECT_EQ(expression.GetFormat(), 0);
}

TEST_F(FormulaDialog, ThePointEventOnTheFieldChooserAcceptsAtOnce) {
  VHostRef reference(1, 1, false);
  EXPECT_TRUE(Run(reference, {{"set", "vFields", "1.4"}, {"point", "vFields", "2 2"}}));
  int16_t table = 0, field = 0;
  reference.GetNumbers(table, field);
  EXPECT_EQ(table, 1);
  EXPECT_EQ(field, 4);
  // The time field's formats were offered before the dialog closed.
  EXPECT_EQ(Closed("vFormats")->items,
            (std::vector<std::string>{"HH:MM:SS", "HH:MM", "Hours minutes seconds", "Hours minutes",
                                      "H:MM on 12 hours"}));
}

TEST_F(FormulaDialog, TheHostsEditorGivesTheExpression) {
  VHostRef reference(1, 2, false);
  host.formulaEdits.push_back("2*21");
  EXPECT_TRUE(Run(reference, {{"select", "vTab", "2"}, {"click", "bEdit", ""}, {"accept", "bOK", ""}}));
  int16_t table = -1, field = -1;
  reference.GetNumbers(table, field);
  EXPECT_EQ(table, 0);
  EXPECT_EQ(field, 0);
  EXPECT_NE(reference.GetReferenceData(), 0u);
  EXPECT_EQ(Closed("vFormula")->text, "2*21");
  // A cancelled editor keeps the expression that was there.
  const uint32_t data = reference.GetReferenceData();
  EXPECT_TRUE(Run(reference, {{"click", "bEdit", ""}, {"accept", "bOK", ""}}));
  EXPECT_NE(reference.GetReferenceData(), 0u);
  EXPECT_NE(reference.GetReferenceData(), data);  // the reference holds the dialog's copy
}

}  // namespace
