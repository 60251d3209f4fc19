// The question dialogs on the stand-in host's forms: the answer of each
// button, cancel disabled when the caller does not allow it, and the
// "always" box read only from an accepted run.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialogs/xMorvaQuestionDialogs.h"
#include "host/callback/HostCallback.h"
#include "host/context/VHostContext.h"
#include "qvhost/QvHost.h"

namespace {

using Actions = std::vector<HostForms::Action>;

class QuestionHost : public testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(host.LoadForms(QVHOST_HOST_RESOURCES, &error)) << error;
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
  std::string Failures() {
    std::string all;
    for (const std::string& f : host.Forms().Failures()) all += f + "\n";
    return all;
  }
  QvHost host{QvHostConfig{}};
  HostStartupRecord record{};
  VHostContext* context = nullptr;
  HostCallback previous = nullptr;
};

TEST_F(QuestionHost, EachButtonOfTheYesNoCancelQuestionsGivesItsAnswer) {
  struct Row {
    const char* form;
    bool canCancel;
    Actions actions;
    uint8_t answer;
  };
  const std::vector<Row> rows = {
      {"mvCanDelete", true, {{"click", "butYes", ""}}, xMorvaYesNoCancelDialog::kYes},
      {"mvCanDelete", true, {{"click", "butNo", ""}}, xMorvaYesNoCancelDialog::kNo},
      {"mvCanDelete", true, {{"click", "butCancel", ""}}, xMorvaYesNoCancelDialog::kCancel},
      {"mvCanDelete", true, {{"accept", "butYes", ""}}, xMorvaYesNoCancelDialog::kYes},
      {"mvCanDelete", true, {{"cancel", "butCancel", ""}}, xMorvaYesNoCancelDialog::kCancel},
      {"mvPaperSize", true, {{"click", "butNo", ""}}, xMorvaYesNoCancelDialog::kNo},
      {"mvPaperSize", true, {{"expect", "butCancel", "enabled", "yes"}, {"click", "butYes", ""}},
       xMorvaYesNoCancelDialog::kYes},
      // Cancel not allowed: the button is disabled, and a form closed
      // otherwise answers yes, which loses nothing.
      {"mvCanDelete", false, {{"expect", "butCancel", "enabled", "no"}, {"click", "butNo", ""}},
       xMorvaYesNoCancelDialog::kNo},
      {"mvCanDelete", false, {{"cancel", "", ""}}, xMorvaYesNoCancelDialog::kYes},
  };
  for (const Row& r : rows) {
    host.Forms().Script(r.form, r.actions);
    uint8_t answer = 99;
    if (std::string(r.form) == "mvCanDelete") {
      xMorvaCanDeleteDialog dialog(nullptr, r.canCancel);
      dialog.Run();
      answer = dialog.GetAnswer();
    } else {
      xMorvaPaperChangeDialog dialog(nullptr, r.canCancel);
      dialog.Run();
      answer = dialog.GetAnswer();
    }
    EXPECT_EQ(answer, r.answer) << r.form << " " << r.actions.back().object;
    for (const HostForms::Check& check : host.Forms().TakeChecks()) EXPECT_TRUE(check.holds) << check.what;
  }
  EXPECT_EQ(Failures(), "");
}

TEST_F(QuestionHost, TheAlwaysBoxCountsOnlyInAnAcceptedRun) {
  struct Row {
    const char* form;
    Actions actions;
    bool accepted;
    bool always;
  };
  const std::vector<Row> rows = {
      {"mvConvert", {{"set", "ckbAlwaysConvert", "1"}, {"accept", "butOK", ""}}, true, true},
      {"mvConvert", {{"accept", "butOK", ""}}, true, false},
      {"mvConvert", {{"set", "ckbAlwaysConvert", "1"}, {"cancel", "butCancel", ""}}, false, false},
      {"mvRepair", {{"set", "ckbAlwaysRepair", "1"}, {"accept", "butOK", ""}}, true, true},
      {"mvRepair", {{"set", "ckbAlwaysRepair", "1"}, {"cancel", "butCancel", ""}}, false, false},
  };
  xMorvaQuestionDialogService service;
  for (const Row& r : rows) {
    host.Forms().Script(r.form, r.actions);
    bool always = !r.always;
    if (std::string(r.form) == "mvConvert") {
      EXPECT_EQ(service.RunCanConvert(always), r.accepted) << r.form;
    } else {
      service.RunRepair(always);
    }
    EXPECT_EQ(always, r.always) << r.form << " " << r.actions.front().object;
  }
  EXPECT_EQ(Failures(), "");
}

}  // namespace
