// The dialog scripts of qvhost/scripts run whole through the module: every
// expectation of their forms holds and their pictures of the forms match
// the references in tests/data (QV_REGENERATE_REFERENCES=1 rewrites them).
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "qvhost/tests/ScriptTestSupport.h"

namespace {

// The script with its reference pictures found in the tests' data, or
// written there when the references are being made again.
std::string DialogScript(const std::string& name) {
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

class DialogScripts : public ScriptTest {
 protected:
  void RunScript(const std::string& name) {
    const std::string script = DialogScript(name);
    ASSERT_FALSE(script.empty()) << name;
    const ScriptRunner::Outcome outcome = Run(script);
    // Each failed expectation or picture is a line of the transcript.
    std::string failed;
    const std::string transcript = out.str();
    for (size_t at = transcript.find("FAILED"); at != std::string::npos;
         at = transcript.find("FAILED", at + 1)) {
      failed += transcript.substr(at, transcript.find('\n', at) - at) + "\n";
    }
    EXPECT_TRUE(outcome.ok()) << outcome.error << failed;
  }
};

TEST_F(DialogScripts, Paragraph) { RunScript("dialogs-paragraph.qvs"); }

TEST_F(DialogScripts, SpecialCharacter) { RunScript("dialogs-special.qvs"); }

TEST_F(DialogScripts, Array) { RunScript("dialogs-array.qvs"); }

TEST_F(DialogScripts, Borders) { RunScript("dialogs-borders.qvs"); }

TEST_F(DialogScripts, FindAndReplace) { RunScript("dialogs-find.qvs"); }

TEST_F(DialogScripts, Tabulations) { RunScript("dialogs-tabs.qvs"); }

TEST_F(DialogScripts, Toolbars) { RunScript("dialogs-toolbars.qvs"); }

}  // namespace
