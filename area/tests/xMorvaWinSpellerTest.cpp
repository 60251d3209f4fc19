// The spelling check through the engine library on Hunspell: the words it
// finds against `hunspell -l` with the same dictionary, and the dialog's
// operations (ignore, ignore all, add, change, change all, suggestions)
// driven by a scripted stand-in of the spelling dialog.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "area/spelling/xMorvaWinSpeller.h"
#include "area/tests/TextInputSupport.h"
#include "document/xMorvaUndo.h"
#include "framework/core/intl/Utf.h"

namespace {

using areatest::TextInputTest;

std::string Shell(const std::string& command) {
  std::string text;
  FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r");
  if (pipe == nullptr) return text;
  char buffer[512];
  size_t n = 0;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) text.append(buffer, n);
  pclose(pipe);
  return text;
}

// Paths kept in memory; the open dialog answers from a queue.
class TestFiles : public xMorvaSpellerFiles {
 public:
  std::string stored[2];
  std::vector<std::string> choices;
  std::string folder;
  std::string GetStoredPath(int16_t kind) override { return stored[kind]; }
  void SetStoredPath(int16_t kind, const std::string& path) override { stored[kind] = path; }
  bool ChooseFile(int16_t, std::string& path) override {
    if (choices.empty()) return false;
    path = choices.front();
    choices.erase(choices.begin());
    return true;
  }
  std::string GetHostFolder() override { return folder; }
};

// Runs the speller word by word; `act` decides what each word gets.
class ScriptedSpelling : public xMorvaSpellingDialogs {
 public:
  std::vector<std::string> words;
  std::function<void(xMorvaWinSpeller&, const std::string&)> act;
  void RunSpelling(xMorvaPlugIn&, xMorvaWinSpeller& speller) override {
    for (int guard = 0; guard < 10000 && speller.FindNextMisspelled(); ++guard) {
      std::string word;
      Utf16ToUtf8(speller.GetCurrentWord(), &word, VLoneSurrogate::kReplace);
      words.push_back(word);
      if (act) {
        act(speller, word);
      } else {
        speller.Skip();
      }
    }
  }
};

class SpellerTest : public TextInputTest {
 protected:
  void SetUp() override {
    TextInputTest::SetUp();
    folder = std::filesystem::temp_directory_path() / ("qv-spell-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    files.folder = folder + "/";
    files.stored[xMorvaWinSpeller::kEnginePath] = QV_SPELL_LIBRARY;
    files.stored[xMorvaWinSpeller::kDictionaryPath] = folder + "/en_US.lex";
    dialog = std::make_unique<VInstalledService<xMorvaSpellingDialogs>>(&spelling);
    speller = std::make_unique<xMorvaWinSpeller>(*area, files);
  }
  void TearDown() override {
    speller.reset();
    dialog.reset();
    std::filesystem::remove_all(folder);
  }
  // Types UTF-8 text unit by unit.
  void Put(const std::string& text) {
    for (char16_t unit : Utf8ToUtf16(text)) document->TypeCharacter(unit == u'\n' ? char16_t(13) : unit);
    document->GetUndo()->Commit();
  }
  std::vector<std::string> HunspellWords(const std::string& text) {
    const std::string input = folder + "/input.txt";
    std::ofstream(input) << text << "\n";
    const std::string out = Shell("hunspell -i utf-8 -d /usr/share/hunspell/en_US -l < '" + input + "'");
    std::vector<std::string> words;
    size_t at = 0;
    while (at < out.size()) {
      const size_t end = out.find('\n', at);
      words.push_back(out.substr(at, end - at));
      at = end == std::string::npos ? out.size() : end + 1;
    }
    return words;
  }

  std::string folder;
  TestFiles files;
  ScriptedSpelling spelling;
  std::unique_ptr<VInstalledService<xMorvaSpellingDialogs>> dialog;
  std::unique_ptr<xMorvaWinSpeller> speller;
};

TEST_F(SpellerTest, TheWordsFoundAreThoseHunspellFindsInTheirOrder) {
  const std::string text =
      "Thiss sentense has misteaks. Don't worry, it's fine 42 times. "
      "Qvbase prnts the recieved letters\n"
      "Greek καλημέρα and Cyrillic привет words; wierd-looking co-operation\n"
      "Marks: blorfe\u0301 na\u0308ive x\u0323\u0302y \u0928\u092E\u0938\u094D\u0924\u0947";
  Put(text);
  speller->RunSpellCheck();
  const std::vector<std::string> expected = HunspellWords(text);
  ASSERT_FALSE(expected.empty()) << "hunspell is not installed";
  EXPECT_EQ(spelling.words, expected);
  EXPECT_EQ(Plain().substr(0, 5), "Thiss");  // nothing changed
  EXPECT_NE(host.Messages().size(), 0u);     // "finished"
}

TEST_F(SpellerTest, IgnoreAllAddChangeAndChangeAllAct) {
  Put("Teh cat. Teh dog. Zorblax and zorblax. Recieve it. Recieve more. Mispel\n");
  spelling.act = [&](xMorvaWinSpeller& s, const std::string& word) {
    if (word == "Teh") {
      s.IgnoreAll();
    } else if (word == "Zorblax") {
      s.AddWord();
    } else if (word == "Recieve") {
      s.ChangeAll(u"Receive");
    } else if (word == "Mispel") {
      const std::vector<std::u16string> suggestions = s.Suggestions();
      ASSERT_FALSE(suggestions.empty());
      EXPECT_NE(std::find(suggestions.begin(), suggestions.end(), u"Misspell"), suggestions.end());
      s.Change(u"Misspelled words");  // longer than the word
    } else {
      s.Skip();
    }
  };
  speller->RunSpellCheck();
  // "Teh" once; "Zorblax" added as written (the dictionary still asks
  // about the lower-case form, as Hunspell does); the second "Recieve"
  // changed without being shown.
  EXPECT_EQ(spelling.words, (std::vector<std::string>{"Teh", "Zorblax", "zorblax", "Recieve", "Mispel"}));
  EXPECT_EQ(Plain(), "Teh cat. Teh dog. Zorblax and zorblax. Receive it. Receive more. Misspelled words\n");
  // The added word is in the user's dictionary file.
  std::ifstream user(folder + "/user.dic");
  std::string line;
  std::getline(user, line);
  EXPECT_EQ(line, "Zorblax");
}

// A change replaces exactly the word, in one step that undo takes back. A
// soft hyphen typed into a word (command 404, the speller's U+00AD) is no
// end of the word: the word is looked up without it, its suggestions are
// the whole word's, and a change replaces the whole word, soft hyphen
// included. A full stop among the dictionary's word characters (French,
// German) belongs to a word only when the dictionary knows it with it.
TEST_F(SpellerTest, AChangeReplacesTheWholeWordAndNothingAroundIt) {
  struct Row {
    const char* typed;  // '|' a soft hyphen
    std::vector<std::string> found;
    const char16_t* change;  // what the first word found is changed to
    const char* changed;     // the text afterwards ('#' a soft hyphen)
    bool always = false;     // changed always: one step for each word
    const char* dictionary = "en_US";
  };
  const Row rows[] = {
      {"The labo|ratory is open.\n", {}, nullptr, "The labo#ratory is open.\n"},
      {"Wel|come to the la|bo|ra|to|ry.\n", {}, nullptr, "Wel#come to the la#bo#ra#to#ry.\n"},
      {"The labo|ratry is open.\n", {"labo\u00ADratry"}, u"laboratory", "The laboratory is open.\n"},
      {"A labo|ratry and a labo|ratory.\n", {"labo\u00ADratry"}, u"lab", "A lab and a labo#ratory.\n"},
      // A soft hyphen with no letter behind it ends its word.
      {"Teh| labo|ratry|\n", {"Teh", "labo\u00ADratry"}, u"The", "The# labo#ratry#\n"},
      // Changed always, the word is known by its letters alone.
      {"A labo|ratry and a laboratry.\n", {"labo\u00ADratry"}, u"laboratory",
       "A laboratory and a laboratory.\n", true},
      // The full stop stays behind the word changed ('?' a letter beyond ASCII).
      {"Il a dit etc. Elle a ecrit.\n", {"ecrit"}, u"\u00E9crit", "Il a dit etc. Elle a ?crit.\n", false, "fr_FR"},
      {"Das ist z.B. etc. gross.\n", {"gross"}, u"gro\u00DF", "Das ist z.B. etc. gro?.\n", false, "de_DE"},
      // A word is whole characters: a letter's combining mark is in it,
      // and a word the engine ends inside a character takes all of it.
      {"A blorfe\u0301 cat.\n", {"blorfe\u0301"}, u"blorf", "A blorf cat.\n"},
      {"Zorbq\u200D the blorfx.\n", {"Zorbq\u200D", "blorfx"}, u"Zorb", "Zorb the blorfx.\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.typed);
    // The system's dictionary of the name, none being beside the path.
    const std::string dictionary = folder + "/" + row.dictionary + ".lex";
    if (files.stored[xMorvaWinSpeller::kDictionaryPath] != dictionary) {
      files.stored[xMorvaWinSpeller::kDictionaryPath] = dictionary;
      speller = std::make_unique<xMorvaWinSpeller>(*area, files);
    }
    Select(0, INT32_MAX);
    Text()->DeleteSelectionWithUndo();
    for (const char16_t unit : Utf8ToUtf16(row.typed)) {
      if (unit == u'|') {
        Text()->InsertSoftHyphenWithUndo();
      } else {
        document->TypeCharacter(unit == u'\n' ? char16_t(13) : unit);
      }
    }
    document->GetUndo()->Commit();
    const std::string typed = Plain();
    spelling.words.clear();
    bool changed = false;
    std::vector<std::u16string> suggestions;
    spelling.act = [&](xMorvaWinSpeller& s, const std::string&) {
      if (changed || row.change == nullptr) return s.Skip();
      suggestions = s.Suggestions();
      changed = row.always ? s.ChangeAll(row.change) : s.Change(row.change);
    };
    speller->RunSpellCheck();
    EXPECT_EQ(spelling.words, row.found);
    EXPECT_EQ(Plain(), row.changed);
    if (row.found.empty()) continue;
    EXPECT_TRUE(changed);
    if (row.found.front() == "labo\u00ADratry") {
      EXPECT_NE(std::find(suggestions.begin(), suggestions.end(), u"laboratory"), suggestions.end());
    }
    for (int step = row.always ? 2 : 1; step > 0; --step) document->Undo();
    EXPECT_EQ(Plain(), typed);
  }
}

TEST_F(SpellerTest, ASelectionLimitsTheCheckAndShorterReplacementsMoveItsEnd) {
  Put("Wrongg one. Badd two. Baad three. Outsidee.");
  Select(0, 34);
  spelling.act = [](xMorvaWinSpeller& s, const std::string& word) { s.Change(word == "Wrongg" ? u"W" : u"Bad"); };
  speller->RunSpellCheck();
  EXPECT_EQ(spelling.words, (std::vector<std::string>{"Wrongg", "Badd", "Baad"}));
  EXPECT_EQ(Plain(), "W one. Bad two. Bad three. Outsidee.");
}

TEST_F(SpellerTest, ALongSentenceWithoutAFullStopIsCheckedInChunks) {
  // Words of eight characters and a space: the 32,000th character falls
  // inside a word, which must not be cut in two.
  std::string text;
  while (text.size() < 40000) text += "printers ";
  text += "endd";
  Put(text);
  speller->RunSpellCheck();
  EXPECT_EQ(spelling.words, std::vector<std::string>{"endd"});
}

TEST_F(SpellerTest, AMissingLibraryEntryPointOrDictionaryAlertsAndChangesNothing) {
  Put("Speling here.");
  struct Row {
    std::string engine;
    std::string dictionary;
    const char* alert;
  };
  const Row rows[] = {
      {folder + "/nosuch.so", folder + "/en_US.lex", "The spelling engine could not be loaded."},
      // A library without the engine's entry points.
      {Shell("ls /usr/lib/x86_64-linux-gnu/libz.so.1 | head -c -1"), folder + "/en_US.lex",
       "The spelling engine could not be loaded."},
      {QV_SPELL_LIBRARY, folder + "/xx_NOSUCH.lex", "The spelling dictionary could not be opened."},
  };
  for (const Row& row : rows) {
    xMorvaWinSpeller fresh(*area, files);
    files.stored[0] = row.engine;
    files.stored[1] = row.dictionary;
    const size_t before = host.Messages().size();
    fresh.RunSpellCheck();
    EXPECT_FALSE(fresh.IsLoaded()) << row.engine;
    ASSERT_GT(host.Messages().size(), before) << row.engine;
    EXPECT_EQ(host.Messages()[before], row.alert) << row.engine;
    EXPECT_TRUE(spelling.words.empty());
    EXPECT_EQ(Plain(), "Speling here.");
  }
}

TEST_F(SpellerTest, WithNoEngineChosenTheCheckAsksForBothAndStoresThem) {
  files.stored[0].clear();
  files.stored[1].clear();
  const std::string library = QV_SPELL_LIBRARY;
  files.choices = {library.substr(0, library.size() - 3), folder + "/en_US"};
  Put("Chekc this.");
  speller->RunSpellCheck();
  EXPECT_EQ(spelling.words, std::vector<std::string>{"Chekc"});
  EXPECT_EQ(files.stored[0], library);
  EXPECT_EQ(files.stored[1], folder + "/en_US.lex");
}

TEST_F(SpellerTest, DocumentCommand805ChecksThroughTheArea) {
  Put("Anothr one.");
  // The area's own speller reads its paths from the preferences: none, and
  // no file dialog answers here, so nothing is checked and nothing changes.
  document->DoCommand(805);
  EXPECT_TRUE(spelling.words.empty());
  EXPECT_EQ(Plain(), "Anothr one.");
}

}  // namespace
