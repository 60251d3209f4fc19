// The font dialog run by the real module on the stand-in host's form: the
// script of its runs with the pictures of its form, the document's bytes
// around each run, and the runs a script gets wrong.
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "qvhost/tests/ScriptTestSupport.h"

namespace {

class FontDialog : public ScriptTest {
 protected:
  // The area with a line typed, "Hello" bold, "Hello brave" selected.
  static std::string Area() {
    return "set name \"Qvbase\"\nset version 0x670\nstart -1\n"
           "form letters 20 40 420 300\narea letter create form at letters 10 10 400 280\n"
           "click 100 100\ntype \"Hello brave world\"\n"
           "command 3 area letter long 0 long 5\ncommand 103 area letter word 0 real 1\n"
           "command 3 area letter long 0 long 11\n";
  }
  std::string Save(const std::string& name) const {
    return "command 140 area letter word 0 result blob \"" + folder + name + "\"\n";
  }
};

TEST_F(FontDialog, TheScriptRunsEachWayOfTheDialogWithThePicturesOfItsForm) {
  std::ifstream in(std::string(QVHOST_SCRIPTS_FOLDER) + "/dialogs-font.qvs");
  std::stringstream script;
  script << in.rdbuf();
  std::string text = script.str();
  // Each picture of the form is compared with its reference too.
  int32_t pictures = 0;
  for (size_t at = text.find("snapshot mvChooseFont \""); at != std::string::npos;
       at = text.find("snapshot mvChooseFont \"", at)) {
    const size_t nameStart = at + 23;
    const size_t nameEnd = text.find('"', nameStart);
    std::string reference = "dialog_" + text.substr(nameStart, nameEnd - nameStart);
    // (font-open.png is compared as dialog_font_open.png.)
    for (char& c : reference) c = c == '-' ? '_' : c;
    const size_t lineEnd = text.find('\n', nameEnd) + 1;
    const std::string compare = CompareLine("mvChooseFont", reference);
    text.insert(lineEnd, compare);
    at = lineEnd + compare.size();
    ++pictures;
  }
  EXPECT_EQ(pictures, 4);
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(folder);
  const ScriptRunner::Outcome outcome = Run(text);
  std::filesystem::current_path(previous);
  EXPECT_EQ(outcome.error, "") << out.str();
  EXPECT_EQ(outcome.failures, 0) << out.str();

  const std::string before = SavedDocument("font-before.qmv");
  ASSERT_FALSE(before.empty());
  // Cancel changes no byte; accept does, and one undo takes it all back.
  EXPECT_EQ(SavedDocument("font-cancelled.qmv"), before);
  EXPECT_NE(SavedDocument("font-italic.qmv"), before);
  EXPECT_EQ(SavedDocument("font-undone.qmv"), before);
  // Refused and emptied sizes, a cancelled chooser, pop-ups at item 0 and
  // "none" accept without changing a byte.
  EXPECT_EQ(SavedDocument("font-size-left.qmv"), before);
  EXPECT_EQ(SavedDocument("font-chooser-cancelled.qmv"), SavedDocument("font-coloured.qmv"));
  EXPECT_EQ(SavedDocument("font-after-zero.qmv"), SavedDocument("font-before-zero.qmv"));
  EXPECT_EQ(SavedDocument("font-none.qmv"), SavedDocument("font-after-zero.qmv"));
}

TEST_F(FontDialog, AScriptForAnotherFormOrOneThatRunsOutFailsItsLineAndCancels) {
  struct Case {
    const char* name;
    std::string script;
    const char* failure;
  };
  const std::vector<Case> cases = {
      {"another form", "form mvParagraphs accept butOK\n", "unexpected form mvChooseFont"},
      {"run out", "form mvChooseFont set chkBold 1\n", "mvChooseFont: script exhausted"},
      {"no script", "", "no script for form mvChooseFont"},
  };
  for (const Case& c : cases) {
    out.str("");
    const ScriptRunner::Outcome outcome =
        Run(Area() + Save("a.qmv") + c.script + "command 113 area letter long 751\n" + Save("b.qmv") + "stop\n");
    EXPECT_EQ(outcome.error, "") << c.name << out.str();
    EXPECT_GE(outcome.failures, 1) << c.name;
    EXPECT_NE(At(std::string("FAILED: form ") + c.failure), std::string::npos) << c.name << out.str();
    // Whatever went wrong, the dialog was cancelled: not a byte changed.
    EXPECT_EQ(SavedDocument("b.qmv"), SavedDocument("a.qmv")) << c.name;
    host = nullptr;
    SetUp();
  }
}

TEST_F(FontDialog, TheChoosersAnswersMustAllBeAskedFor) {
  const ScriptRunner::Outcome outcome = Run(Area() + "choose color 0x123456\nchoose color cancel\n");
  EXPECT_EQ(outcome.error, "end: 2 colour answer(s) never asked for");
  const ScriptRunner::Outcome bad = Run("choose color 0x1234567\n");
  EXPECT_EQ(bad.error, "line 1: a colour is 0xRRGGBB");
}

}  // namespace
