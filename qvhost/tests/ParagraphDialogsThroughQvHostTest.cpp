// The paragraph and special character dialogs run by the module's commands
// on the stand-in host's forms, the document compared byte for byte: OK is
// one undo step and cancel leaves the bytes as they were. (What the forms
// show is checked by the dialog scripts.)
#include <gtest/gtest.h>

#include <string>

#include "qvhost/tests/ScriptTestSupport.h"

namespace {

class ParagraphDialogs : public ScriptTest {
 protected:
  // The letter's document as a BLOB in the own format.
  std::string Blob(const std::string& name) { return SaveDocument("command 37 area letter result blob", name); }
  void SetUp() override {
    ScriptTest::SetUp();
    if (HasFatalFailure()) return;
    ASSERT_TRUE(Run("set name \"Qvbase\"\n"
                    "set version 0x670\n"
                    "start -1\n"
                    "form letters 20 40 420 300\n"
                    "area letter create form at letters 10 10 400 280\n"
                    "click 100 100\n"
                    "type \"Hello brave world\\nSecond line\"\n"
                    "command 3 area letter long 1 long 5\n")
                    .ok())
        << out.str();
  }
  const HostForms::Object* Closed(const std::string& name) const {
    const HostForms::Form* form = host->Forms().LastClosed();
    if (form == nullptr) return nullptr;
    for (const HostForms::Object& o : form->objects)
      if (o.name == name) return &o;
    return nullptr;
  }
};

TEST_F(ParagraphDialogs, OkAppliesTheChosenAlignmentAsOneUndoStep) {
  const std::string before = Blob("before.qmv");
  RunOk(
      "form mvParagraphs set useAlignment 1\n"
      "form mvParagraphs select droAlignment 2\n"
      "form mvParagraphs accept butOK\n"
      "command 113 area letter long 752\n"
      "command 61 area letter word -1 word -1\n"
      "expect out p2 1\n");
  EXPECT_TRUE(host->Forms().Failures().empty()) << host->Forms().Failures().front();
  EXPECT_FALSE(Same(Blob("after.qmv"), before));
  RunOk("command 113 area letter long 1\n");
  EXPECT_TRUE(Same(Blob("undone.qmv"), before));
}

TEST_F(ParagraphDialogs, CancelLeavesTheDocumentsBytesUnchanged) {
  const std::string before = Blob("before.qmv");
  RunOk(
      "form mvParagraphs set useAlignment 1\n"
      "form mvParagraphs select droAlignment 3\n"
      "form mvParagraphs set vInterline 2\n"
      "form mvParagraphs cancel butCancel\n"
      "command 113 area letter long 752\n");
  EXPECT_TRUE(Same(Blob("after.qmv"), before));
}

TEST_F(ParagraphDialogs, TheSpecialCharacterIsOneUndoStepAndCancelTypesNothing) {
  const std::string before = Blob("before.qmv");
  RunOk(
      "form mvSpecialChar click usrChar \"25 25\"\n"
      "form mvSpecialChar cancel butCancel\n"
      "command 113 area letter long 409\n");
  EXPECT_TRUE(Same(Blob("cancelled.qmv"), before));
  RunOk(
      "form mvSpecialChar click usrChar \"25 25\" count 2\n"
      "command 113 area letter long 409\n");
  EXPECT_TRUE(host->Forms().Failures().empty()) << host->Forms().Failures().front();
  EXPECT_FALSE(Same(Blob("typed.qmv"), before));
  RunOk("command 113 area letter long 1\n");
  EXPECT_TRUE(Same(Blob("undone.qmv"), before));
}

TEST_F(ParagraphDialogs, TheSymbolsFontListCannotBeReached) {
  const std::string before = Blob("before.qmv");
  // The list is hidden: playing it fails the line and cancels the dialog,
  // and the bullet stays as it was.
  Run("form mvSpecialChar select droFont 3\n"
      "form mvSpecialChar accept butOK\n"
      "command 113 area letter long 1028\n");
  ASSERT_EQ(host->Forms().Failures().size(), 1u);
  EXPECT_NE(host->Forms().Failures()[0].find("hidden object droFont"), std::string::npos)
      << host->Forms().Failures()[0];
  EXPECT_FALSE(Closed("droFont")->visible);
  EXPECT_TRUE(Same(Blob("after.qmv"), before));
}

}  // namespace
