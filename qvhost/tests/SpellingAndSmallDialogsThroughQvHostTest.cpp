// The spelling dialog and the small dialogs run whole through the module:
// their scripts in qvhost/scripts, every expectation of their forms held,
// and the text the spelling checks left behind.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "area/tests/HostPictureSupport.h"
#include "qvhost/tests/ScriptTestSupport.h"

namespace {

class SpellingAndSmallDialogs : public ScriptTest {
 protected:
  std::string Script(const std::string& name) const { return ScriptWithReferences(name); }
  // The files the script writes go to the host's folder.
  void RunScript(const std::string& script) { RunScriptIn(script, host->Folder()); }
  std::string FileText(const std::string& name) const {
    std::ifstream in(host->Folder() + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
};

TEST_F(SpellingAndSmallDialogs, SpellingHandlesEachWordThroughItsButtons) {
  // The small dictionary, beside the ".lex" name the speller is given.
  const std::string folder = host->Folder();
  std::ofstream(folder + "small.aff") << "SET UTF-8\nTRY esianrtolcdugmphbyfvkwzESIANRTOLCDUGMPHBYFVKWZ\n";
  std::ofstream(folder + "small.dic") << "12\nthe\ncat\nsat\ndog\ncot\nreceive\nmake\nmakes\nmale\ntake\nword\ntale\n";
  // A text of letters beyond the Macintosh character set, as a Unicode
  // text file (a UTF-16 mark, little-endian units).
  std::string letters = "\xFF\xFE";
  for (char16_t unit : std::u16string(u"Za\u017C\u00F3\u0142\u0107 et \u03C3\u03BF\u03C6\u03CC\u03C2 fin"))
    letters += {char(unit & 0xFF), char(unit >> 8)};
  std::ofstream(folder + "letters.txt", std::ios::binary) << letters;
  std::string script = Script("dialogs-spelling.qvs");
  Replace(script, "\"QVSPELL\"", "\"" + std::string(QV_SPELL_LIBRARY) + "\"");
  Replace(script, "\"DICTIONARY\"", "\"" + folder + "small.lex\"");
  // The system's French dictionary, none being in the folder.
  Replace(script, "\"FRENCH\"", "\"" + folder + "fr_FR.lex\"");
  Replace(script, "\"LETTERS\"", "\"" + folder + "letters.txt\"");
  RunScript(script);
  // No letter lost.
  EXPECT_EQ(FileText("spelling-letters.txt"), letters);
  EXPECT_EQ(FileText("spelling-clean.txt"), "the cat sat");
  EXPECT_EQ(FileText("spelling-buttons.txt"), "the cat sat teh dog cots zorb zorb receive receive wrod");
  // The second text was typed over the last word found, still selected.
  EXPECT_EQ(FileText("spelling-cancel.txt"),
            "the cat sat teh dog cots zorb zorb receive receive  wrod zorb make takke");
  // The soft hyphens (Windows byte 0xAD) stay in the words that hold them;
  // the word changed took its own with it.
  EXPECT_EQ(FileText("spelling-soft-hyphen.txt"),
            "the cat sat teh dog cots zorb zorb receive receive  wrod zorb make takke ta\xADke ma\xADke word");
}

TEST_F(SpellingAndSmallDialogs, SmallDialogsShowAndApplyTheirValues) {
  // The picture the script puts in a text.
  const tablecommands::Bytes picture = tablecommands::HostPictureBytes(40, 30);
  std::ofstream(host->Folder() + "pic.pict", std::ios::binary)
      .write(reinterpret_cast<const char*>(picture.data()), std::streamsize(picture.size()));
  std::string script = Script("dialogs-small.qvs");
  Replace(script, "\"PICTURE\"", "\"" + host->Folder() + "pic.pict\"");
  RunScript(script);
  // The undo history emptied by the statistics dialog: undo changes nothing.
  EXPECT_EQ(FileText("statistics-after-undo.txt"), "Hello brave world\r\nSecond line");
}

TEST_F(SpellingAndSmallDialogs, MailingAndTheQuestionsRunThroughTheirForms) {
  RunScript(Script("dialogs-questions.qvs"));
}

}  // namespace
