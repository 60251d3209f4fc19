// The find and replace dialogs run by the real module on the stand-in
// host's forms: the document's bytes around a cancelled and an accepted
// replace, and the search each area keeps for itself.
#include <fstream>
#include <string>

#include "qvhost/tests/ScriptTestSupport.h"

namespace {

class FindDialog : public ScriptTest {
 protected:
  static std::string Start() {
    return "set name \"Qvbase\"\nset version 0x670\nstart -1\nform letters 20 40 420 600\n"
           "area letter create form at letters 10 10 400 280\n"
           "click 100 100\ntype \"Hello brave world\\nA brave new world\"\n"
           "command 3 area letter long 0 long 0\n";
  }
  std::string Save(const std::string& name) const {
    return "command 140 area letter word 0 result blob \"" + folder + name + "\"\n";
  }
  void ExpectClean(const ScriptRunner::Outcome& outcome) {
    EXPECT_EQ(outcome.error, "") << out.str();
    EXPECT_EQ(outcome.failures, 0) << out.str();
  }
};

TEST_F(FindDialog, CancelChangesNoByteAndReplaceAllIsOneUndoStep) {
  const std::string script =
      Start() + Save("before.qmv") +
      // Cancelled after an accepted criteria dialog: nothing applied.
      "form mvReplace set cboFindList \"brave\"\n"
      "form mvReplace set cboReplaceList \"fine\"\n"
      "form mvReplace click butReplaceCharacters\n"
      "form mvReplace cancel butCancel\n"
      "form mvChooseFont set chkBold 1\n"
      "form mvChooseFont accept butOK\n"
      "command 113 area letter long 210\n" +
      Save("cancelled.qmv") +
      "form mvReplace set cboFindList \"brave\"\n"
      "form mvReplace set cboReplaceList \"fine\"\n"
      "form mvReplace click butAll\n"
      "command 113 area letter long 210\n"
      "expect message \"2 replacements made\"\n" +
      // The selection is stored too: it goes back where it was.
      Save("replaced.qmv") +
      "command 113 area letter long 1\ncommand 3 area letter long 0 long 0\n" + Save("undone.qmv");
  ExpectClean(Run(script));
  const std::string before = SavedDocument("before.qmv");
  ASSERT_FALSE(before.empty());
  EXPECT_EQ(SavedDocument("cancelled.qmv"), before);
  EXPECT_NE(SavedDocument("replaced.qmv"), before);
  EXPECT_EQ(SavedDocument("undone.qmv"), before);
}

TEST_F(FindDialog, EachAreaKeepsItsOwnSearchForItsLife) {
  const std::string script = Start() +
                             "area memo create form at letters 10 300 400 280\n"
                             "form mvFind set cboFindList \"brave\"\n"
                             "form mvFind set chkFullWord 1\n"
                             "form mvFind accept butOK\n"
                             "command 113 area letter long 208\n"
                             // The other area starts with nothing of it.
                             "form mvFind expect cboFindList text \"\"\n"
                             "form mvFind expect cboFindList items \"\"\n"
                             "form mvFind expect chkFullWord value \"0\"\n"
                             "form mvFind cancel butCancel\n"
                             "command 113 area memo long 208\n"
                             "form mvFind expect cboFindList items \"brave\"\n"
                             "form mvFind expect chkFullWord value \"1\"\n"
                             "form mvFind cancel butCancel\n"
                             "command 113 area letter long 208\n"
                             // A new area in the old one's place starts afresh.
                             "form mvCanDelete click butNo\narea letter 17\n"
                             "area letter create form at letters 10 10 400 280\n"
                             "form mvFind expect cboFindList items \"\"\n"
                             "form mvFind expect cboFindList text \"\"\n"
                             "form mvFind cancel butCancel\n"
                             "command 113 area letter long 208\n"
                             "expect beeps 0\n";
  ExpectClean(Run(script));
}

}  // namespace
