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

// The script with its reference pictures found in the tests' data, or
// written there when the references are being made again.
std::string PreviewScriptText(const std::string& name) {
  std::ifstream in(std::string(QVHOST_SCRIPTS_FOLDER) + "/" + name, std::ios::binary);
  std::string script(std::istreambuf_iterator<char>(in), {});
  const char* regenerate = std::getenv("QV_REGENERATE_REFERENCES");
  const bool rewrite = regenerate != nullptr && std::string(regenerate) == "1";
  const std::string relative = "\"tests/data/";
  const std::string absolute = "\"" + std::string(QVHOST_TEST_DATA) + "/";
  for (size_t at = script.find(relative); at != std::string::npos;
       at = script.find(relative, at + absolute.size())) {
    script.replace(at, relative.size(), absolute);
  }
  if (rewrite) {
    const std::string compare = "expect png ";
    for (size_t at = script.find(compare); at != std::string::npos; at = script.find(compare, at)) {
      script.replace(at, compare.size(), "snapshot ");
    }
  }
  return script;
}

class PreviewDialogScripts : public ScriptTest {
 protected:
  void RunScript(const std::string& name) {
    const std::string script = PreviewScriptText(name);
    ASSERT_FALSE(script.empty()) << name;
    const ScriptRunner::Outcome outcome = Run(script);
    std::string failed;
    const std::string transcript = out.str();
    for (size_t at = transcript.find("FAILED"); at != std::string::npos;
         at = transcript.find("FAILED", at + 1)) {
      failed += transcript.substr(at, transcript.find('\n', at) - at) + "\n";
    }
    EXPECT_TRUE(outcome.ok()) << outcome.error << failed;
  }
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
