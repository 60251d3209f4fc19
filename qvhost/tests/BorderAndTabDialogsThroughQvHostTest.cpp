// The border and tab stop dialogs run by the module's commands on the
// stand-in host's forms, the document compared byte for byte: OK is one
// undo step and cancel leaves the bytes as they were. (What the forms show
// is checked by the dialog scripts.)
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "qvhost/tests/ScriptTestSupport.h"

namespace {

class BorderAndTabDialogs : public ScriptTest {
 protected:
  // The letter's document as a BLOB in the own format.
  std::string Blob(const std::string& name) { return SaveDocument("command 37 area letter result blob", name); }
  void SetUp() override {
    ScriptTest::SetUp();
    if (HasFatalFailure()) return;
    RunOk(
        "set name \"Qvbase\"\n"
        "set version 0x670\n"
        "start -1\n"
        "form letters 20 40 420 300\n"
        "area letter create form at letters 10 10 400 280\n"
        "click 100 100\n"
        "type \"Hello brave world\\nSecond line\"\n"
        "command 3 area letter long 1 long 29\n");
  }
};

TEST_F(BorderAndTabDialogs, BordersOkIsOneUndoStepAndCancelChangesNoByte) {
  const std::string before = Blob("before.qmv");
  RunOk(
      "form mvBorders set chkAll 1\n"
      "form mvBorders set chkInside 1\n"
      "form mvBorders click ls3\n"
      "form mvBorders cancel butCancel\n"
      "command 113 area letter long 754\n");
  EXPECT_TRUE(Same(Blob("cancelled.qmv"), before));
  RunOk(
      "form mvBorders set chkAll 1\n"
      "form mvBorders set chkInside 1\n"
      "form mvBorders click ls3\n"
      "form mvBorders set vBorderSpacing \"1000\"\n"
      "form mvBorders accept butOK\n"
      "command 113 area letter long 754\n");
  EXPECT_FALSE(Same(Blob("bordered.qmv"), before));
  RunOk("command 113 area letter long 1\n");
  EXPECT_TRUE(Same(Blob("undone.qmv"), before));
}

TEST_F(BorderAndTabDialogs, BordersAcceptedUnchangedSetOnlyWhatWasUniform) {
  // Opened and accepted at once: every uniform value set again as it was,
  // the inside choice not made, so not a byte moves.
  const std::string before = Blob("before.qmv");
  RunOk(
      "form mvBorders accept butOK\n"
      "command 113 area letter long 754\n");
  EXPECT_TRUE(Same(Blob("after.qmv"), before));
}

TEST_F(BorderAndTabDialogs, TabsOkIsOneUndoStepAndCancelChangesNoByte) {
  const std::string before = Blob("before.qmv");
  RunOk(
      "form mvTabulations click butAdd\n"
      "form mvTabulations click butAdd\n"
      "form mvTabulations cancel butCancel\n"
      "command 113 area letter long 753\n");
  EXPECT_TRUE(Same(Blob("cancelled.qmv"), before));
  RunOk(
      "form mvTabulations click butAdd\n"
      "form mvTabulations select arbCenter 1\n"
      "form mvTabulations click butAdd\n"
      "form mvTabulations accept butOK\n"
      "command 113 area letter long 753\n"
      "command 102 area letter word 64 word 0 result real\n"
      "expect out result 2\n");
  EXPECT_FALSE(Same(Blob("tabbed.qmv"), before));
  RunOk("command 113 area letter long 1\n");
  EXPECT_TRUE(Same(Blob("undone.qmv"), before));
}

// The ruler's double click on a stop opens the dialog with that stop
// selected; on empty ruler, with none.
TEST_F(BorderAndTabDialogs, TheRulersDoubleClickSelectsTheStopClicked) {
  host = nullptr;
  ScriptTest::SetUp();
  RunOk(
      "set name \"Qvbase\"\n"
      "set version 0x680\n"
      "start -1\n"
      "form letter 40 60 400 240\n"
      "area body create form at letter 10 10 380 220\n"
      "click 150 150\n"
      "type \"Columns of figures\\nA second paragraph.\"\n"
      "click 90 102\n"
      // Two stops made with a click each, snapped to 4 and 5 cm.
      "click 230 75\n"
      "idle 30\n"
      "click 270 75\n"
      "form mvTabulations expect ListTabs items \"4|5\"\n"
      "form mvTabulations expect ListTabs value \"2\"\n"
      "form mvTabulations expect vPosition real \"5\"\n"
      "form mvTabulations select arbRight 1\n"
      "form mvTabulations accept butOK\n"
      "click 270 75\n"
      "command 130 area body long 2 real 0 long 0 text \"\"\n"
      "expect out p3 3\n");
  EXPECT_NE(At("ok: form mvTabulations expect vPosition real \"5\""), std::string::npos)
      << out.str();
}

}  // namespace
