// A script's texts, which are UTF-8, handed to the module in the host's
// character set: every Macintosh character goes there and back, and a line
// whose text holds a character the set lacks stops the run.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "qvhost/HostCharacters.h"
#include "qvhost/QvHost.h"
#include "qvhost/ScriptRunner.h"

namespace {

TEST(HostCharacters, EveryMacintoshByteGoesToUtf8AndBack) {
  std::string all;
  for (int byte = 0; byte < 256; ++byte) all += static_cast<char>(byte);
  const std::string utf8 = MacToUtf8(all);
  std::string back;
  EXPECT_EQ(Utf8ToHostText(utf8, back), "");
  EXPECT_EQ(back, all);
  EXPECT_EQ(Utf8ToMac(utf8), all);
  EXPECT_EQ(MacToUtf8(std::string("Zo\x91")), "Zo\xC3\xAB");  // ë
}

TEST(HostCharacters, TextsTheSetLacksOrThatAreNotUtf8AreRefused) {
  struct Case {
    std::string text;
    std::string why;
  } const cases[] = {
      {"Zo\xC4\x93", "\"\xC4\x93\" (U+0113) is not in the host's character set (Mac OS Roman)"},
      {"\xF0\x9F\x98\x80!",
       "\"\xF0\x9F\x98\x80\" (U+1F600) is not in the host's character set (Mac OS Roman)"},
      {"ab\xFF", "the text is not UTF-8 (at byte 3)"},
      {"a\x80", "the text is not UTF-8 (at byte 2)"},         // a continuation byte alone
      {"a\xC3", "the text is not UTF-8 (at byte 2)"},         // cut short
      {"\xC0\xAF", "the text is not UTF-8 (at byte 1)"},      // overlong
      {"\xED\xA0\x80", "the text is not UTF-8 (at byte 1)"},  // a surrogate
  };
  for (const Case& c : cases) {
    std::string mac = "left over";
    EXPECT_EQ(Utf8ToHostText(c.text, mac), c.why) << c.text;
    EXPECT_EQ(mac, "") << c.text;
  }
}

// Each text a script hands the module, with a character the host's set
// lacks: the line fails with its number and the character, before anything
// reaches the module; the same line with a character it has runs.
TEST(ScriptTexts, ALineWithACharacterTheHostLacksFails) {
  const std::string fields =
      "table 1 \"Clients\"\nfield 1 1 \"Name\" alpha\nfield 1 2 \"Notes\" text\n";
  const std::string lacks = " is not in the host's character set (Mac OS Roman)";
  struct Case {
    std::string before;
    std::string line;
    std::string error;
  } const cases[] = {
      {fields, "value 1 1 text \"Zo\xC4\x93\"", "line 4: value: \"\xC4\x93\" (U+0113)" + lacks},
      {fields, "value 1 2 text \"\xE6\x97\xA5\"",
       "line 4: value: \"\xE6\x97\xA5\" (U+65E5)" + lacks},
      {fields, "value 1 1 text \"Zo\xC3\xAB\"", ""},
      {"", "command 52 text \"\xC5\x81\xC3\xB3\x64\xC5\xBA\"",
       "line 1: text: \"\xC5\x81\" (U+0141)" + lacks},
      {"", "command 52 hosttext \"Ol\xC3\xA1 \xE2\x98\x83\"",
       "line 1: hosttext: \"\xE2\x98\x83\" (U+2603)" + lacks},
      {"", "clipboard text \"smile \xF0\x9F\x98\x80\"",
       "line 1: clipboard text: \"\xF0\x9F\x98\x80\" (U+1F600)" + lacks},
      {"", "clipboard text \"No\xC3\xABl \xE2\x82\xAC\"", ""},
      {"", "form mvFind set vFind \"\xC5\x9E\"",
       "line 1: form mvFind: \"\xC5\x9E\" (U+015E)" + lacks},
      {"", "form mvFind expect vFind text \"\xD0\x96\"",
       "line 1: form mvFind: \"\xD0\x96\" (U+0416)" + lacks},
      {"", "table 2 \"\xC4\xA0\"", "line 1: table: \"\xC4\xA0\" (U+0120)" + lacks},
      {"table 1 \"Clients\"\n", "field 1 3 \"\xC4\xA0\" alpha",
       "line 2: field: \"\xC4\xA0\" (U+0120)" + lacks},
      {fields, "value 1 1 text \"\xFF\"", "line 4: value: the text is not UTF-8 (at byte 1)"},
  };
  for (const Case& c : cases) {
    // A host of its own for each line; none of them needs the module.
    QvHost host(QvHostConfig{});
    std::ostringstream out;
    const ScriptRunner::Outcome outcome = ScriptRunner(host, out).Run(c.before + c.line + "\n");
    EXPECT_EQ(outcome.error, c.error) << c.line;
  }
  // The clipboard is the process's: the text put there goes, so that no
  // later test finds Paste enabled.
  QvHost host(QvHostConfig{});
  std::ostringstream out;
  EXPECT_TRUE(ScriptRunner(host, out).Run("clipboard clear\n").ok());
}

}  // namespace
