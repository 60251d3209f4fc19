// The spelling dialog and the small dialogs run whole through the module:
// their scripts in qvhost/scripts, every expectation of their forms held,
// and the text the spelling checks left behind.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "qvhost/tests/ScriptTestSupport.h"

namespace {

class SpellingAndSmallDialogs : public ScriptTest {
 protected:
  // The script with its reference pictures found in the tests' data (or
  // written there when the references are being made again) and the
  // host's folder in place of HOSTFOLDER/.
  std::string Script(const std::string& name) const {
    std::ifstream in(std::string(QVHOST_SCRIPTS_FOLDER) + "/" + name, std::ios::binary);
    std::string script(std::istreambuf_iterator<char>(in), {});
    Replace(script, "\"tests/data/", "\"" + std::string(QVHOST_TEST_DATA) + "/");
    Replace(script, "HOSTFOLDER/", host->Folder());
    const char* regenerate = std::getenv("QV_REGENERATE_REFERENCES");
    if (regenerate != nullptr && std::string(regenerate) == "1") Replace(script, "expect png ", "snapshot ");
    return script;
  }
  // Runs the script; every line held and no expectation failed.
  void RunScript(const std::string& script) {
    ASSERT_FALSE(script.empty());
    // The files the script writes go to the host's folder.
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(host->Folder());
    const ScriptRunner::Outcome outcome = Run(script);
    std::filesystem::current_path(previous);
    EXPECT_TRUE(outcome.ok()) << outcome.error << "\n" << out.str();
    EXPECT_EQ(out.str().find("FAILED"), std::string::npos) << out.str();
  }
  std::string FileText(const std::string& name) const {
    std::ifstream in(host->Folder() + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  static void Replace(std::string& text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
      text.replace(at, from.size(), to);
  }
};

TEST_F(SpellingAndSmallDialogs, SpellingHandlesEachWordThroughItsButtons) {
  // The small dictionary, beside the ".lex" name the speller is given.
  const std::string folder = host->Folder();
  std::ofstream(folder + "small.aff") << "SET UTF-8\nTRY esianrtolcdugmphbyfvkwzESIANRTOLCDUGMPHBYFVKWZ\n";
  std::ofstream(folder + "small.dic") << "12\nthe\ncat\nsat\ndog\ncot\nreceive\nmake\nmakes\nmale\ntake\nword\ntale\n";
  std::string script = Script("dialogs-spelling.qvs");
  Replace(script, "\"QVSPELL\"", "\"" + std::string(QV_SPELL_LIBRARY) + "\"");
  Replace(script, "\"DICTIONARY\"", "\"" + folder + "small.lex\"");
  RunScript(script);
  EXPECT_EQ(FileText("spelling-clean.txt"), "the cat sat");
  EXPECT_EQ(FileText("spelling-buttons.txt"), "the cat sat teh dog cots zorb zorb receive receive wrod");
  // The second text was typed over the last word found, still selected.
  EXPECT_EQ(FileText("spelling-cancel.txt"),
            "the cat sat teh dog cots zorb zorb receive receive  wrod zorb make takke");
}

TEST_F(SpellingAndSmallDialogs, SmallDialogsShowAndApplyTheirValues) {
  RunScript(Script("dialogs-small.qvs"));
  // The undo history emptied by the statistics dialog: undo changes nothing.
  EXPECT_EQ(FileText("statistics-after-undo.txt"), "Hello brave world\r\nSecond line");
}

TEST_F(SpellingAndSmallDialogs, MailingAndTheQuestionsRunThroughTheirForms) {
  RunScript(Script("dialogs-questions.qvs"));
}

}  // namespace
