// The dialog scripts of qvhost/scripts run whole through the module: every
// expectation of their forms holds and their pictures of the forms match
// the references in tests/data (QV_REGENERATE_REFERENCES=1 rewrites them).
#include <gtest/gtest.h>

#include <string>

#include "qvhost/tests/ScriptTestSupport.h"

namespace {

class DialogScripts : public ScriptTest {
 protected:
  void RunScript(const std::string& name) { RunScriptIn(ScriptWithReferences(name), folder); }
};

TEST_F(DialogScripts, Paragraph) { RunScript("dialogs-paragraph.qvs"); }

TEST_F(DialogScripts, SpecialCharacter) { RunScript("dialogs-special.qvs"); }

TEST_F(DialogScripts, Array) { RunScript("dialogs-array.qvs"); }

TEST_F(DialogScripts, Borders) { RunScript("dialogs-borders.qvs"); }

TEST_F(DialogScripts, FindAndReplace) { RunScript("dialogs-find.qvs"); }

TEST_F(DialogScripts, Tabulations) { RunScript("dialogs-tabs.qvs"); }

TEST_F(DialogScripts, Toolbars) { RunScript("dialogs-toolbars.qvs"); }

TEST_F(DialogScripts, Bars) { RunScript("bars.qvs"); }

TEST_F(DialogScripts, BarLists) { RunScript("bars-lists.qvs"); }

TEST_F(DialogScripts, FloatingBar) { RunScript("bars-floating.qvs"); }

}  // namespace
