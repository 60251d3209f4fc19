// Text files opened into an area by every road the host and the user have:
// command 48 with no type (the type the file's name gives) and with the
// type of its name, and the menu's open with the chooser's all-files filter.
// Each road reads the same bytes as the same text.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "qvhost/tests/ScriptTestSupport.h"

namespace {

class TextFileRoads : public ScriptTest {
 protected:
  std::string Write(const std::string& name, const std::string& bytes) {
    const std::string path = host->Folder() + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
};

// UTF-8 without its mark, with it, and Windows bytes, each named .rtf,
// .html, .doc and .txt: the area holds the same two accented paragraphs
// after each road, and the open reports no error.
TEST_F(TextFileRoads, ATextFileOpensAsTheSameTextByEveryRoad) {
  const std::string files[][2] = {
      {"utf8", "Gr\xC3\xBC\xC3\x9F" "e, caf\xC3\xA9\r\n\xC3\x80 bient\xC3\xB4t\r\n"},
      {"marked", "\xEF\xBB\xBFGr\xC3\xBC\xC3\x9F" "e, caf\xC3\xA9\n\xC3\x80 bient\xC3\xB4t\n"},
      {"windows", "Gr\xFC\xDF" "e, caf\xE9\r\n\xC0 bient\xF4t\r\n"},
  };
  const std::string names[][2] = {{".rtf", "RTF "}, {".html", "HTML"}, {".doc", "DOC8"}, {".txt", "TEXT"}};
  const std::string opened =
      "command 28 area note result long\n"
      "expect result 0\n"
      "command 20 area note long 0 long 1000 result hosttext\n"
      "expect out result \"Gr\xC3\xBC\xC3\x9F" "e, caf\xC3\xA9\\r\xC3\x80 bient\xC3\xB4t\\r\"\n";
  std::string script =
      "set name \"Qvbase\"\nset version 0x670\nstart -1\n"
      "form notes 20 40 420 300\narea note create form at notes 10 10 400 280\n";
  int roads = 0;
  for (const auto& file : files) {
    for (const auto& name : names) {
      const std::string path = Write(file[0] + name[0], file[1]);
      script += "command 48 area note hosttext \"" + path + "\" text \"\"\n" + opened;
      script += "command 48 area note hosttext \"" + path + "\" text \"" + name[1] + "\"\n" + opened;
      script += "choose accept \"" + path + "\"\nform mvCanDelete click butNo\ncommand 113 area note long 102\n" +
                opened;
      roads += 3;
    }
  }
  script += "expect messages 0\nform mvCanDelete click butNo\narea note 17\nstop -2\n";
  const ScriptRunner::Outcome outcome = Run(script);
  ASSERT_EQ(outcome.error, "") << out.str();
  EXPECT_EQ(outcome.failures, 0) << out.str();
  // Every road read its file.
  size_t read = 0;
  for (size_t at = out.str().find("ok: output result"); at != std::string::npos;
       at = out.str().find("ok: output result", at + 1))
    ++read;
  EXPECT_EQ(read, size_t(roads)) << out.str();
}

}  // namespace
