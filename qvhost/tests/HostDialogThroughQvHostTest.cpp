// Dialogs of the module run on the stand-in host's headless forms: the
// order of the hooks and of the host's form selectors, the values read and
// written, and the failures a form run can meet.
#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "framework/core/strings/VUniString.h"
#include "framework/core/values/VDate.h"
#include "host/callback/HostCallback.h"
#include "boundary/HostServiceSelectors.h"
#include "host/context/HostStructure.h"
#include "host/context/VHostContext.h"
#include "host/dialog/VDialQv.h"
#include "host/dialog/VMessageDialogs.h"
#include "platform/toolbox/TbxHandles.h"
#include "platform/toolbox/TbxWindows.h"
#include "host/context/HostProcesses.h"
#include "host/context/HostStructure.h"
#include "qvhost/QvHost.h"
#include "qvhost/ScriptRunner.h"
#include "host/tests/HostTestSupport.h"

namespace {

using hosttest::Str;
using hosttest::Text;

// The stand-in host with its forms, and the host context whose list of
// open dialogs the event callbacks consult.
class DialogHost {
 public:
  DialogHost() : host(QvHostConfig{}) {
    std::string error;
    loaded = host.LoadForms(QVHOST_HOST_RESOURCES, &error);
    previous = GetHostCallback();
    record.callback = &QvHost::Callback;
    context = new VHostContext(&record);
    gHostContext = context;
  }
  ~DialogHost() {
    gHostContext = nullptr;
    delete context;
    SetHostCallback(previous);
  }
  // The transcript's hook lines, in order.
  std::vector<std::string> Hooks() const {
    std::vector<std::string> hooks;
    for (const QvHost::LoggedCall& call : host.Log())
      if (call.selector == 0 && call.text.rfind("hook ", 0) == 0) hooks.push_back(call.text.substr(5));
    return hooks;
  }
  // Selectors of the transcript, in order, among those given.
  std::vector<int32_t> Selectors(const std::vector<int32_t>& among) const {
    std::vector<int32_t> seen;
    for (const QvHost::LoggedCall& call : host.Log())
      for (int32_t s : among)
        if (call.selector == s) seen.push_back(s);
    return seen;
  }
  QvHost host;
  bool loaded = false;
  HostStartupRecord record{};
  VHostContext* context = nullptr;
  HostCallback previous = nullptr;
};

class Owner : public VDialQvOwner {
 public:
  explicit Owner(QvHost& host) : fHost(host) {}
  void NotifyParent(VObject*, int32_t message, int16_t) override { fHost.Note("hook owner " + std::to_string(message)); }

 private:
  QvHost& fHost;
};

// A dialog that notes each hook in the host's transcript, fills its form
// before and after opening, and reads it back when accepted.
class TestDialog : public VDialQv {
 public:
  TestDialog(QvHost& host, VDialQvOwner* owner) : VDialQv(owner, "mvTestForm"), fHost(host) {}
  bool BeforeOpen() override {
    Note("BeforeOpen");
    HostFormClearList("lstFonts");
    HostFormSetListTextFromCString("lstFonts", 1, "Arial");
    HostFormSetListTextFromCString("lstFonts", 2, "Times");
    HostFormSetListTextFromCString("lstFonts", 3, "Courier");
    return beforeOpen;
  }
  bool AfterOpen() override {
    Note("AfterOpen");
    HostFormSetText("vTitle", Text("Letter"));
    HostFormSetMinimumReal("vSize", 4);
    HostFormSetMaximumValue("vSize", VDate(1, 1, 2030));
    HostFormSetListRange("lstFonts", 3, 3);
    HostFormSetFieldRef("fldWhere", 3, 4, 77, true);
    const Tbx::Handle pict = Tbx::NewHandle(10);
    HostFormSetPictureHandle("picLogo", pict, 10);
    HostFormReplaceObject("+usrExtra", 1, 0, 0, 0, 0, false, false);
    missingLong = HostFormGetLong("noSuchObject");
    HostFormGetText("noSuchObject", missingText);
    HostFormGetListText("lstFonts", 9, missingElement);
    return true;
  }
  void ItemHit(const VString& name, int16_t page) override {
    Note("ItemHit " + Str(name) + " " + std::to_string(page));
    if (acceptOnItem == Str(name)) AcceptDialog();
  }
  bool CanAccept(const VString& name, int16_t) override {
    Note("CanAccept " + Str(name));
    return canAccept-- > 0;
  }
  bool CanCancel(const VString& name, int16_t) override {
    Note("CanCancel " + Str(name));
    return true;
  }
  bool ReadValues() override {
    Note("ReadValues");
    HostFormGetText("vTitle", title);
    size = HostFormGetReal("vSize");
    bold = HostFormGetLong("chkBold");
    font = HostFormGetListSelection("lstFonts");
    HostFormGetListText("lstFonts", static_cast<int16_t>(font), fontName);
    HostFormGetFieldRef("fldWhere", table, field, data, true);
    return true;
  }
  void Closing() override { Note("Closing"); }
  void BeforeDispose() override { Note("BeforeDispose"); }
  void OnEvent4(const VString& name, int16_t, int32_t x, int32_t y, bool, bool, bool) override {
    Note("Click " + Str(name) + " " + std::to_string(x) + "," + std::to_string(y));
  }

  bool beforeOpen = true;
  int canAccept = 1;
  std::string acceptOnItem;
  VStr<255> title, fontName, missingText, missingElement;
  double size = 0;
  int32_t bold = -1, font = 0, missingLong = -1;
  int16_t table = 0, field = 0;
  uint32_t data = 0;

 private:
  void Note(const std::string& text) { fHost.Note("hook " + text); }
  QvHost& fHost;
};

using Actions = std::vector<HostForms::Action>;

TEST(HostDialogThroughQvHost, AModalRunCallsTheHooksInOrderAndReadsTheForm) {
  DialogHost h;
  ASSERT_TRUE(h.loaded);
  Owner owner(h.host);
  h.host.Forms().Script("MVTESTFORM", Actions{{"set", "vTitle", "Report"},
                                              {"set", "VSIZE", "14.5"},
                                              {"select", "lstFonts", "2"},
                                              {"click", "chkBold", "3 4"},
                                              {"set", "chkBold", "1"},
                                              {"accept", "butOK", ""}});
  TestDialog dialog(h.host, &owner);
  dialog.SetTitle(Text("Test"));
  EXPECT_TRUE(dialog.RunDialog(0));
  const std::vector<std::string> expected = {
      "owner -998",        "BeforeOpen",        "AfterOpen",        "ItemHit vTitle 1", "ItemHit vSize 1",
      "ItemHit lstFonts 1", "Click chkBold 13,74", "ItemHit chkBold 1", "ItemHit chkBold 1", "ItemHit butOK 1",
      "CanAccept butOK",   "ReadValues",        "Closing",          "owner -997"};
  EXPECT_EQ(h.Hooks(), expected);
  EXPECT_TRUE(h.host.Forms().Failures().empty()) << h.host.Forms().Failures().front();
  EXPECT_EQ(Str(dialog.title), "Report");
  EXPECT_EQ(dialog.size, 14.5);
  EXPECT_EQ(dialog.bold, 1);
  EXPECT_EQ(dialog.font, 2);
  EXPECT_EQ(Str(dialog.fontName), "Times");
  EXPECT_EQ(dialog.table, 3);
  EXPECT_EQ(dialog.field, 4);
  EXPECT_EQ(dialog.data, 77u);
  // Missing objects and elements read as nothing.
  EXPECT_EQ(dialog.missingLong, 0);
  EXPECT_EQ(Str(dialog.missingText), "");
  EXPECT_EQ(Str(dialog.missingElement), "");
  // The form as it closed: its run-time object was deleted, the picture came
  // with 6 zero bytes more, the ranges were set, the third font removed.
  const HostForms::Form* form = h.host.Forms().LastClosed();
  ASSERT_NE(form, nullptr);
  for (const HostForms::Object& o : form->objects) {
    EXPECT_NE(o.name, "+usrExtra");
    if (o.name == "picLogo") {
      EXPECT_EQ(o.picture.size(), 16u);
    }
    if (o.name == "vSize") {
      EXPECT_EQ(o.minimumKind, kFormRangeReal);
      EXPECT_EQ(o.maximumKind, kFormRangeDate);
    }
    if (o.name == "lstFonts") {
      EXPECT_EQ(o.last, 3);
      EXPECT_EQ(o.items, (std::vector<std::string>{"Arial", "Times"}));
    }
  }
  // Open, the steps, then close; never a release.
  const std::vector<int32_t> order =
      h.Selectors({kFormSelNew, kFormSelOpen, kFormSelDeleteObject, kFormSelClose, kFormSelRelease});
  EXPECT_EQ(order, (std::vector<int32_t>{kFormSelNew, kFormSelOpen, kFormSelDeleteObject, kFormSelClose}));
  EXPECT_EQ(h.host.CountCalls(kFormSelStep), 2);
  EXPECT_EQ(h.host.CountCalls(kFormSelBeginChanges), h.host.CountCalls(kFormSelEndChanges));
  EXPECT_EQ(dialog.GetWindow(), nullptr);
}

TEST(HostDialogThroughQvHost, ARefusedAcceptThenCancelEndsNotAccepted) {
  DialogHost h;
  h.host.Forms().Script("mvTestForm", Actions{{"accept", "butOK", ""}, {"cancel", "butCancel", ""}});
  TestDialog dialog(h.host, nullptr);
  dialog.canAccept = 0;
  EXPECT_FALSE(dialog.RunDialog(0));
  const std::vector<std::string> expected = {"BeforeOpen",      "AfterOpen",       "ItemHit butOK 1",
                                             "CanAccept butOK", "ItemHit butCancel 1", "CanCancel butCancel",
                                             "Closing"};
  EXPECT_EQ(h.Hooks(), expected);
  EXPECT_FALSE(dialog.WasAccepted());
}

TEST(HostDialogThroughQvHost, AFormTheHostRefusesRunsOnlyClosing) {
  DialogHost h;
  h.host.Forms().SetRefuseOpen(true);
  Owner owner(h.host);
  TestDialog dialog(h.host, &owner);
  EXPECT_FALSE(dialog.RunDialog(0));
  EXPECT_EQ(h.Hooks(), (std::vector<std::string>{"owner -998", "BeforeOpen", "Closing", "owner -997"}));
  EXPECT_EQ(h.Selectors({kFormSelOpen, kFormSelClose, kFormSelRelease}),
            (std::vector<int32_t>{kFormSelOpen, kFormSelRelease}));
}

TEST(HostDialogThroughQvHost, PlusNamesAreNotReportedAndAcceptFromItemHitEndsTheRun) {
  DialogHost h;
  h.host.Forms().Script("mvTestForm", Actions{{"click", "+usrExtra", ""}, {"click", "butOK", ""}});
  TestDialog dialog(h.host, nullptr);
  dialog.acceptOnItem = "butOK";
  EXPECT_TRUE(dialog.RunDialog(0));
  const std::vector<std::string> expected = {"BeforeOpen",        "AfterOpen", "Click +usrExtra 1,1",
                                             "Click butOK 321,221", "ItemHit butOK 1", "ReadValues", "Closing"};
  EXPECT_EQ(h.Hooks(), expected);
  EXPECT_EQ(h.host.CountCalls(kFormSelEndRun), 1);
}

TEST(HostDialogThroughQvHost, ARecreatedRunTimeObjectReplacesTheFirst) {
  DialogHost h;
  h.host.Forms().Script("mvTestForm", Actions{{"cancel", "", ""}});
  struct Twice : TestDialog {
    using TestDialog::TestDialog;
    bool AfterOpen() override {
      HostFormReplaceObject("usrMore", 1, 0, 0, 0, 0, false, false);
      HostFormReplaceObject("usrMore", 1, 0, 0, 0, 0, false, false);
      count = CountCreatedObjects();
      return true;
    }
    int32_t count = 0;
  } dialog(h.host, nullptr);
  dialog.RunDialog(0);
  EXPECT_EQ(dialog.count, 1);
  EXPECT_EQ(h.host.CountCalls(kFormSelNewObject), 2);
  EXPECT_EQ(h.host.CountCalls(kFormSelDeleteObject), 2);  // before the second, and at the close
  EXPECT_TRUE(h.host.Forms().Failures().empty());
}

TEST(HostDialogThroughQvHost, AnExhaustedScriptCancelsAndIsReported) {
  DialogHost h;
  h.host.Forms().Script("mvTestForm", Actions{{"set", "vTitle", "x"}});
  TestDialog dialog(h.host, nullptr);
  EXPECT_FALSE(dialog.RunDialog(0));
  ASSERT_EQ(h.host.Forms().Failures().size(), 1u);
  EXPECT_NE(h.host.Forms().Failures()[0].find("script exhausted"), std::string::npos);

  // A script for another form: the form opened cancels at once.
  h.host.Forms().Script("mvOther", Actions{{"accept", "", ""}});
  TestDialog second(h.host, nullptr);
  EXPECT_FALSE(second.RunDialog(0));
  EXPECT_NE(h.host.Forms().Failures()[1].find("unexpected form"), std::string::npos);
}

TEST(HostDialogThroughQvHost, AModelessRunStepsThroughTheHostAndDeletesItself) {
  DialogHost h;
  h.host.Forms().Script("mvTestForm", Actions{{"set", "vTitle", "Modeless"}, {"accept", "butOK", ""}});
  auto* dialog = new TestDialog(h.host, nullptr);
  EXPECT_TRUE(dialog->RunDialogAlternate(5, true));
  EXPECT_EQ(dialog->GetWindowKind(), kFormWindowFloating);
  EXPECT_TRUE(Tbx::IsWindowVisible(dialog->GetWindow()));
  EXPECT_EQ(h.host.Forms().StepModeless(), 1);  // set, then accept: the dialog closes
  EXPECT_EQ(h.host.Forms().StepModeless(), 0);
  EXPECT_EQ(h.host.Forms().OpenForms(), 0);
  const std::vector<std::string> expected = {"BeforeOpen", "AfterOpen", "ItemHit vTitle 1", "ItemHit butOK 1",
                                             "CanAccept butOK", "Closing", "BeforeDispose"};
  EXPECT_EQ(h.Hooks(), expected);
}

TEST(HostDialogThroughQvHost, ScriptLinesGiveFormRunsConfirmationsAndRecords) {
  DialogHost h;
  std::ostringstream out;
  ScriptRunner runner(h.host, out);
  const ScriptRunner::Outcome outcome = runner.Run(
      "table 1 \"Clients\"\n"
      "records 1 4\n"
      "confirm yes\n"
      "form mvTestForm set vTitle \"Scripted\"\n"
      "form mvTestForm accept butOK\n"
      "form mvTestForm bounce\n");
  EXPECT_EQ(outcome.lines, 5);
  EXPECT_NE(outcome.error.find("form NAME"), std::string::npos);  // the last line is refused
  EXPECT_EQ(HostGetRecordCount(1), 4u);
  const uint8_t question[] = {2, 'O', 'k'};
  EXPECT_TRUE(HostConfirm(question));
  TestDialog dialog(h.host, nullptr);
  EXPECT_TRUE(dialog.RunDialog(0));
  EXPECT_EQ(Str(dialog.title), "Scripted");
}

TEST(HostDialogThroughQvHost, AScriptedQueryLeavesItsCountAndOnlyForAKnownTable) {
  DialogHost h;
  std::ostringstream out;
  ScriptRunner runner(h.host, out);
  const ScriptRunner::Outcome outcome = runner.Run(
      "table 1 \"Clients\"\n"
      "records 1 12\n"
      "query 1 leaves 3\n"
      "query 2 leaves 1\n");
  EXPECT_EQ(outcome.lines, 3);
  EXPECT_NE(outcome.error.find("no such table"), std::string::npos);  // table 2 is none
  EXPECT_NE(runner.Run("query 1 after 3\n").error.find("query TABLE leaves COUNT"), std::string::npos);
  EXPECT_EQ(HostGetRecordCount(1), 12u);
  HostSortTable(1);
  EXPECT_EQ(HostGetRecordCount(1), 12u);
  HostQueryTable(1);
  EXPECT_EQ(HostGetRecordCount(1), 3u);
}

}  // namespace

// The host's message boxes, each on its own form, answer what was clicked.
TEST(MessageBoxesThroughQvHost, EachBoxAnswersWhatWasClicked) {
  struct Case {
    const char* form;
    Actions actions;
    bool accepted;
  };
  const Case cases[] = {{"xp_Alert", {{"accept", "bOK", ""}}, true},
                        {"xp_Confirm", {{"cancel", "bCancel", ""}}, false},
                        {"xp_Confirm", {{"accept", "bOK", ""}}, true},
                        {"xp_Ask", {{"set", "vAnswer", "Morva"}, {"accept", "bOK", ""}}, true},
                        {"xp_Ask", {{"set", "vAnswer", "x"}, {"cancel", "bCancel", ""}}, false},
                        {"xp_Alert", {}, false}};  // an exhausted script cancels
  for (const Case& c : cases) {
    DialogHost h;
    ASSERT_TRUE(h.loaded);
    h.host.Forms().Script(c.form, c.actions);
    const std::string form = c.form;
    std::unique_ptr<VDialQv> box;
    if (form == "xp_Ask") {
      box = std::make_unique<VAskDialog>(nullptr);
    } else if (form == "xp_Alert") {
      box = std::make_unique<VAlertDialog>(nullptr);
    } else {
      box = std::make_unique<VConfirmDialog>(nullptr);
    }
    EXPECT_EQ(box->RunDialog(0), c.accepted) << c.form;
    ASSERT_NE(h.host.Forms().LastClosed(), nullptr);
    EXPECT_EQ(h.host.Forms().LastClosed()->name, c.form);
  }
}
