// The toolbar design dialog on the stand-in host's form "xp_ToolBarsDesign",
// run in this process: its tabs, the new-item sub-pages and the icon
// picker move between its pages, OK and Cancel end it only from a tab
// page, and its pages match their reference pictures.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>

#include "controls/bars/VToolBarsDesignDialog.h"
#include "qvhost/ScriptRunner.h"
#include "qvhost/tests/ProcessHostTestSupport.h"

namespace {

class ToolBarsDesign : public ProcessHostTest {
 protected:
  void SetUp() override {
    ProcessHostTest::SetUp();
    std::string error;
    ASSERT_TRUE(host->LoadForms(QVHOST_HOST_RESOURCES, &error)) << error;
  }
  // Queues the form's lines; every line must read. The run ends with the
  // form's script still queued, for the dialog run next.
  void Queue(const std::string& lines) {
    std::ostringstream out;
    ScriptRunner runner(*host, out);
    const ScriptRunner::Outcome outcome = runner.Run(lines);
    EXPECT_EQ(outcome.failures, 0) << out.str();
    ASSERT_EQ(outcome.error, "end: the script of form xp_ToolBarsDesign never run") << out.str();
  }
  // The line comparing the form with the reference NAME in the tests' data,
  // or writing it when QV_REGENERATE_REFERENCES is 1.
  static std::string Picture(const std::string& name) {
    const char* regenerate = std::getenv("QV_REGENERATE_REFERENCES");
    const bool write = regenerate != nullptr && std::string(regenerate) == "1";
    return std::string(write ? "snapshot" : "expect png") + " xp_ToolBarsDesign \"" + QVHOST_TEST_DATA + "/" +
           name + "\"\n";
  }
  void ExpectFormsHeld() {
    for (const HostForms::Check& check : host->Forms().TakeChecks()) EXPECT_TRUE(check.holds) << check.what;
    for (const std::string& failure : host->Forms().Failures()) ADD_FAILURE() << failure;
    EXPECT_TRUE(host->Forms().PendingScripts().empty());
  }
};

TEST_F(ToolBarsDesign, PagesTabsSubPagesAndTheIconPicker) {
  const std::string d = "form xp_ToolBarsDesign ";
  Queue(d + "expect vNewCheck enabled \"no\"\n" + d + "expect vNewRadio enabled \"no\"\n" +
        // The items page; a new button's sub-page has no tabs, and OK of
        // its icon picker goes back to it.
        d + "select vTabSubject 3\n" + Picture("dialogs-toolbars-design-items.png") + d + "click vNewButton\n" +
        d + "expect vTabSubject visible \"no\"\n" + d + "expect vDefault visible \"no\"\n" +
        Picture("dialogs-toolbars-design-button.png") + d + "click vIconPick\n" + d +
        "expect vTabSubject value \"14\"\n" + d + "accept vOK\n" + d + "expect vTabSubject value \"10\"\n" + d +
        "expect vTabSubject visible \"no\"\n" +
        // The sub-page's Cancel goes back to the items, with the tabs.
        d + "cancel vCancel\n" + d + "expect vTabSubject visible \"yes\"\n" + d +
        "expect vTabSubject value \"3\"\n" +
        // A tab value that names no tab page keeps the items; page 6's icon
        // picker goes back to it on Cancel; its OK ends the dialog.
        d + "select vTabSubject 9\n" + d + "expect vTabSubject value \"3\"\n" + d + "select vTabSubject 6\n" + d +
        "click vIconPick\n" + d + "cancel vCancel\n" + d + "expect vTabSubject value \"6\"\n" + d +
        "expect vRevert visible \"yes\"\n" + d + "accept vOK\n");
  VStr<255> title;
  title.SetAnsiCText("Qv Morva");
  VToolBarsDesignDialog dialog(nullptr, nullptr, title);
  EXPECT_TRUE(dialog.RunDialog(0));
  ExpectFormsHeld();
  EXPECT_EQ(host->Forms().OpenForms(), 0);
}

}  // namespace
