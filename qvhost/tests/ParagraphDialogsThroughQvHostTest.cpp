// The paragraph, interline and special character dialogs run by the
// module's commands on the stand-in host's forms: what OK applies (one undo
// step), that cancel leaves the document's bytes as they were, and the bad
// entries the dialogs refuse or bound.
#include <gtest/gtest.h>

#include <string>

#include "platform/toolbox/TbxEnvironment.h"
#include "qvhost/tests/ScriptTestSupport.h"

namespace {

class ParagraphDialogs : public ScriptTest {
 protected:
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
  // The document as a BLOB in the own format, under `name`, without the
  // times its information record carries (they follow the clock, not the
  // document's content).
  std::string Blob(const std::string& name) {
    const std::string path = folder + name;
    EXPECT_TRUE(Run("command 37 area letter result blob \"" + path + "\"\n").ok()) << out.str();
    std::ifstream in(path, std::ios::binary);
    std::string bytes(std::istreambuf_iterator<char>(in), {});
    const size_t infos = bytes.find("FNIw0100");
    EXPECT_NE(infos, std::string::npos);
    if (infos != std::string::npos) bytes.replace(infos + 8, 24, 24, '\0');
    return bytes;
  }
  // Compared by length and equality, so that a failure prints no BLOB.
  static bool Same(const std::string& a, const std::string& b) { return !a.empty() && a == b; }
  void RunOk(const std::string& lines) { ASSERT_TRUE(Run(lines).ok()) << out.str(); }
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
  RunOk("form mvParagraphs set useAlignment 1\n"
        "form mvParagraphs select droAlignment 2\n"
        "form mvParagraphs accept butOK\n"
        "command 113 area letter long 752\n"
        "command 61 area letter word -1 word -1\n"
        "expect out p2 1\n");
  EXPECT_TRUE(host->Forms().Failures().empty()) << host->Forms().Failures().front();
  // The uniform interline showed in use; the check box of the alignment
  // was turned on and its list enabled.
  ASSERT_NE(Closed("useInterline"), nullptr);
  EXPECT_EQ(Closed("useInterline")->value, 1);
  EXPECT_DOUBLE_EQ(Closed("vInterline")->real, 1.0);
  EXPECT_TRUE(Closed("droAlignment")->enabled);
  EXPECT_FALSE(Same(Blob("after.qmv"), before));
  RunOk("command 113 area letter long 1\n");
  EXPECT_TRUE(Same(Blob("undone.qmv"), before));
}

TEST_F(ParagraphDialogs, CancelLeavesTheDocumentsBytesUnchanged) {
  const std::string before = Blob("before.qmv");
  RunOk("form mvParagraphs set useAlignment 1\n"
        "form mvParagraphs select droAlignment 3\n"
        "form mvParagraphs set vInterline 2\n"
        "form mvParagraphs cancel butCancel\n"
        "command 113 area letter long 752\n");
  EXPECT_TRUE(Same(Blob("after.qmv"), before));
}

TEST_F(ParagraphDialogs, NoneThenOkAppliesNothingAndDefaultRestoresSingleLeft) {
  RunOk("command 16 area letter word 2\n"
        "command 15 area letter word 2\n");
  const std::string before = Blob("before.qmv");
  RunOk("form mvParagraphs click butNone\n"
        "form mvParagraphs accept butOK\n"
        "command 113 area letter long 752\n");
  EXPECT_EQ(Closed("useAlignment")->value, 0);
  EXPECT_EQ(Closed("droAlignment")->value, 0);
  EXPECT_FALSE(Closed("droAlignment")->enabled);
  EXPECT_TRUE(Same(Blob("after.qmv"), before));
  RunOk("form mvParagraphs click butDefault\n"
        "form mvParagraphs accept butOK\n"
        "command 113 area letter long 752\n"
        "command 61 area letter word -1 word -1\n"
        "expect out p1 0\n"
        "expect out p2 0\n"
        "command 13 area letter word 0 word 0 word 0\n"
        "expect out p1 0\n"
        "expect out p2 0\n");
}

TEST_F(ParagraphDialogs, RevertRestoresTheValuesAndTheUseBoxes) {
  RunOk("form mvParagraphs set useAlignment 1\n"
        "form mvParagraphs select droAlignment 4\n"
        "form mvParagraphs click butNone\n"
        "form mvParagraphs click butRevert\n"
        "form mvParagraphs accept butOK\n"
        "command 113 area letter long 752\n"
        "command 61 area letter word -1 word -1\n"
        "expect out p2 0\n");
  EXPECT_EQ(Closed("useAlignment")->value, 1);
  EXPECT_EQ(Closed("droAlignment")->value, 1);
  EXPECT_EQ(Closed("useInterline")->value, 1);
}

TEST_F(ParagraphDialogs, IndentsAreBoundedInTheEntryAtOnce) {
  // Pixels as the unit, so that the entries show the pixels themselves.
  RunOk("command 77 area letter word -1 word -1 word 2\n"
        "form mvParagraphs set vLeftIndent 100000\n"
        "form mvParagraphs set vFirstIndent -5000\n"
        "form mvParagraphs set vRightIndent -7\n"
        "form mvParagraphs accept butOK\n"
        "command 113 area letter long 752\n");
  EXPECT_TRUE(host->Forms().Failures().empty()) << host->Forms().Failures().front();
  const double left = Closed("vLeftIndent")->real;
  EXPECT_GT(left, 0);
  EXPECT_LT(left, 100000);
  // The first line may go back to the page's edge, no further.
  EXPECT_DOUBLE_EQ(Closed("vFirstIndent")->real, -left);
  EXPECT_DOUBLE_EQ(Closed("vRightIndent")->real, 0);
  RunOk("command 13 area letter word 0 word 0 word 0\n"
        "expect out p2 0\n");
}

TEST_F(ParagraphDialogs, BadInterlinesBeepAndShowTheOldValue) {
  struct Row {
    const char* typed;
    int32_t beeps;
    double shown;
  };
  const Row rows[] = {{"1.55", 0, 1.55}, {"0", 1, 1.0}, {"-3", 1, 1.0}, {"1e9", 1, 1.0}, {"abc", 1, 1.0}, {"0.1", 0, 0.1}};
  for (const Row& r : rows) {
    const int32_t beeps = Tbx::CountBeeps();
    RunOk(std::string("form mvParagraphs set vInterline \"") + r.typed + "\"\n" +
          "form mvParagraphs cancel butCancel\n"
          "command 113 area letter long 752\n");
    EXPECT_EQ(Tbx::CountBeeps() - beeps, r.beeps) << r.typed;
    EXPECT_DOUBLE_EQ(Closed("vInterline")->real, r.shown) << r.typed;
  }
}

TEST_F(ParagraphDialogs, TheInterlineCommandTakesOnlyARangeOfValues) {
  struct Row {
    const char* typed;
    int32_t beeps;
    int32_t code;  // command 61's interline code afterwards
  };
  // 1.55 is 15 tenths, which the commands call one and a half lines (code 1).
  const Row rows[] = {{"0", 1, 0}, {"-3", 1, 0}, {"1e9", 1, 0}, {"2", 0, 2}, {"1.55", 0, 1}};
  for (const Row& r : rows) {
    const int32_t beeps = Tbx::CountBeeps();
    RunOk(std::string("command 15 area letter word 0\n") + "form mvInterlineSize set vInterline \"" + r.typed +
          "\"\n" +
          "form mvInterlineSize accept butOK\n"
          "command 113 area letter long 724\n"
          "command 61 area letter word -1 word -1\n"
          "expect out p1 " +
          std::to_string(r.code) + "\n");
    EXPECT_EQ(Tbx::CountBeeps() - beeps, r.beeps) << r.typed;
  }
}

TEST_F(ParagraphDialogs, TheSpecialCharacterIsOneUndoStepAndCancelTypesNothing) {
  const std::string before = Blob("before.qmv");
  RunOk("form mvSpecialChar click usrChar \"25 25\"\n"
        "form mvSpecialChar cancel butCancel\n"
        "command 113 area letter long 409\n");
  EXPECT_TRUE(Same(Blob("cancelled.qmv"), before));
  RunOk("form mvSpecialChar click usrChar \"25 25\" count 2\n"
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
