// The print preview's script runs whole through the module: every
// expectation of its form holds, its pictures of the page at each zoom and
// after each drag match the references in tests/data
// (QV_REGENERATE_REFERENCES=1 rewrites them), and the page printed from it
// is the page shown.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "qvhost/tests/ScriptTestSupport.h"

namespace {

class PreviewDialogScripts : public ScriptTest {
 protected:
  void RunScript(const std::string& name) { RunScriptIn(ScriptWithReferences(name), folder); }
};

TEST_F(PreviewDialogScripts, PrintPreview) { RunScript("dialogs-preview.qvs"); }

// A drag line names a user area and four points; anything else stops the
// script at that line.
TEST_F(PreviewDialogScripts, DragLineIsStrict) {
  const char* const kBad[] = {
      "form mvPrintPreview drag usrPreview 1 2 3\n",
      "form mvPrintPreview drag usrPreview 1 2 3 4 5\n",
      "form mvPrintPreview drag usrPreview 1 2 3 x\n",
      "form mvPrintPreview drag usrPreview 1 2 3 40000\n",
  };
  for (const char* line : kBad) {
    const ScriptRunner::Outcome outcome = Run(line);
    EXPECT_FALSE(outcome.ok()) << line;
    EXPECT_NE(outcome.error.find("line 1"), std::string::npos) << line << outcome.error;
  }
}

}  // namespace

namespace {

TEST_F(PreviewDialogScripts, PastePicture) { RunScript("dialogs-picture.qvs"); }

}  // namespace
