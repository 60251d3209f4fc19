// The scripted runs of host forms as the dialogs' scripts use them: clicks
// with a count, expectations of an object's state, objects out of reach,
// and the script lines that say so.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "framework/core/strings/VUniString.h"
#include "host/callback/HostCallback.h"
#include "host/context/VHostContext.h"
#include "host/dialog/VDialQv.h"
#include "qvhost/QvHost.h"
#include "qvhost/ScriptRunner.h"

namespace {

// The stand-in host with its forms, in this process, for a dialog of the
// test's own.
class FormHost {
 public:
  FormHost() : host(QvHostConfig{}) {
    std::string error;
    loaded = host.LoadForms(QVHOST_HOST_RESOURCES, &error);
    previous = GetHostCallback();
    record.callback = &QvHost::Callback;
    context = new VHostContext(&record);
    gHostContext = context;
  }
  ~FormHost() {
    gHostContext = nullptr;
    delete context;
    SetHostCallback(previous);
  }
  QvHost host;
  bool loaded = false;
  HostStartupRecord record{};
  VHostContext* context = nullptr;
  HostCallback previous = nullptr;
};

// Disables the title, hides the bold box, gives the size a format, makes
// the character area a user area and counts the clicks it hears.
class StateDialog : public VDialQv {
 public:
  StateDialog() : VDialQv(nullptr, "mvTestForm") {}
  bool AfterOpen() override {
    HostFormEnableObject("vTitle", false);
    HostFormShowObject("chkBold", false);
    VStr<255> format;
    format.SetAnsiCText("###0.0 cm");
    HostFormSetFormat("vSize", format);
    HostFormSetCheckFlag("chkBold", 1);
    HostFormSetDrawCallback("usrChar", 0, false);
    return true;
  }
  void OnEvent4(const VString&, int16_t, int32_t x, int32_t y, bool, bool, bool) override {
    clicks.push_back(std::to_string(x) + "," + std::to_string(y));
  }
  std::vector<std::string> clicks;
};

using Actions = std::vector<HostForms::Action>;

HostForms::Action Act(const char* kind, const char* object, const char* value = "", const char* expected = "",
                      int32_t count = 1) {
  return HostForms::Action{kind, object, value, expected, count};
}

TEST(HostFormScripts, ExpectationsSeeTheFormAsTheModuleLeftIt) {
  FormHost h;
  ASSERT_TRUE(h.loaded);
  h.host.Forms().Script("mvTestForm", Actions{Act("expect", "vTitle", "enabled", "no"),
                                              Act("expect", "chkBold", "visible", "no"),
                                              Act("expect", "vSize", "format", "###0.0 cm"),
                                              Act("expect", "vSize", "real", "12.5"),
                                              Act("expect", "radUnit", "items", "cm|in"),
                                              Act("expect", "chkBold", "value", "1"),
                                              Act("expect", "picLogo", "picture", "none"),
                                              Act("expect", "noSuchObject", "value", "0"),
                                              Act("click", "usrChar", "5 6", "", 2),
                                              Act("cancel", "")});
  StateDialog dialog;
  EXPECT_FALSE(dialog.RunDialog(0));
  const std::vector<HostForms::Check> checks = h.host.Forms().TakeChecks();
  ASSERT_EQ(checks.size(), 8u);
  for (size_t i = 0; i < 5; ++i) EXPECT_TRUE(checks[i].holds) << checks[i].what;
  // The third state allowed is no value of the box: it stays unchecked.
  EXPECT_FALSE(checks[5].holds);
  EXPECT_NE(checks[5].what.find("(got \"0\")"), std::string::npos) << checks[5].what;
  EXPECT_TRUE(checks[6].holds) << checks[6].what;
  EXPECT_FALSE(checks[7].holds);
  // A double click is two presses at the object's point.
  EXPECT_EQ(dialog.clicks, (std::vector<std::string>{"305,146", "305,146"}));
  EXPECT_TRUE(h.host.Forms().Failures().empty());
  const HostForms::Form* closed = h.host.Forms().LastClosed();
  ASSERT_NE(closed, nullptr);
  bool userArea = false;
  for (const HostForms::Object& object : closed->objects) userArea |= object.name == "usrChar" && object.drawn;
  EXPECT_TRUE(userArea);
}

TEST(HostFormScripts, ActingOnAnObjectOutOfReachFailsAndCancels) {
  struct Case {
    HostForms::Action action;
    const char* failure;
  };
  const Case cases[] = {
      {Act("set", "vTitle", "Report"), "mvTestForm: set on disabled object vTitle"},
      {Act("click", "vTitle"), "mvTestForm: click on disabled object vTitle"},
      {Act("select", "chkBold", "1"), "mvTestForm: select on hidden object chkBold"},
      {Act("accept", "chkBold"), "mvTestForm: accept on hidden object chkBold"},
  };
  for (const Case& c : cases) {
    FormHost h;
    // The accept after the action is never reached: the run is cancelled.
    h.host.Forms().Script("mvTestForm", Actions{c.action, Act("accept", "butOK")});
    StateDialog dialog;
    EXPECT_FALSE(dialog.RunDialog(0)) << c.failure;
    ASSERT_EQ(h.host.Forms().Failures().size(), 1u) << c.failure;
    EXPECT_EQ(h.host.Forms().Failures()[0], c.failure);
  }
}

TEST(HostFormScripts, TheNewLinesAreReadStrictly) {
  struct Case {
    const char* line;
    const char* error;  // empty: read
  };
  const Case cases[] = {
      {"form mvTestForm click usrChar \"5 6\" count 2", ""},
      {"form mvTestForm click usrChar \"5 6\" count 4", "count 4 does not fit: 1 to 3"},
      {"form mvTestForm set vSize 12 count 2", "only a click takes a count"},
      {"form mvTestForm expect vSize value \"12\"", ""},
      {"form mvTestForm expect vSize colour \"12\"",
       "form NAME expect OBJECT value|real|text|items|enabled|visible|format|picture \"VALUE\""},
      {"form mvTestForm expect vSize value", "form NAME expect OBJECT value|real|text|items|enabled|visible|format|picture \"VALUE\""},
      {"form mvTestForm snapshot \"f.png\"", ""},
      {"form mvTestForm snapshot f.png", "form NAME snapshot \"f.png\""},
      {"choose color 0x1000000", "a colour is 0xRRGGBB"},
      {"choose color red", "colour needs a number, not red"},
      {"expect beeps", "expect beeps N"},
  };
  for (const Case& c : cases) {
    QvHost host(QvHostConfig{});
    std::string error;
    ASSERT_TRUE(host.LoadForms(QVHOST_HOST_RESOURCES, &error));
    std::ostringstream out;
    ScriptRunner runner(host, out);
    const ScriptRunner::Outcome outcome = runner.Run(std::string(c.line) + "\n");
    if (*c.error == 0) {
      EXPECT_TRUE(outcome.error.empty() || outcome.error.rfind("end: ", 0) == 0) << c.line << ": " << outcome.error;
    } else {
      EXPECT_NE(outcome.error.find(c.error), std::string::npos) << c.line << ": " << outcome.error;
    }
  }
}

}  // namespace
