// The words of a script line: quoted texts and their escapes, numbers read
// into fields of each width, options, and how the transcript cuts a long
// line.
#include "qvhost/ScriptWords.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(ScriptWords, QuotedTextsTakeTheirEscapes) {
  std::vector<ScriptToken> tokens;
  ASSERT_EQ(SplitScriptLine(R"(type "a\nb\r\t\"q\"\\" # a comment "not a text")", tokens), "");
  ASSERT_EQ(tokens.size(), 2u);
  EXPECT_EQ(tokens[0].text, "type");
  EXPECT_FALSE(tokens[0].quoted);
  EXPECT_EQ(tokens[1].text, "a\nb\r\t\"q\"\\");
  EXPECT_TRUE(tokens[1].quoted);
  tokens.clear();
  ASSERT_EQ(SplitScriptLine("set name \"\" x", tokens), "");
  ASSERT_EQ(tokens.size(), 4u);
  EXPECT_TRUE(tokens[2].quoted);
  EXPECT_EQ(tokens[2].text, "");
}

TEST(ScriptWords, UnreadableTextsAreRefused) {
  const struct {
    const char* line;
    const char* error;
  } cases[] = {
      {R"(type "open)", "unterminated text"},
      {R"(type "ends in a backslash\)", "unterminated text"},
      {R"(type "a\qb")", "unknown escape \\q in a text"},
      {R"(type "\x41")", "unknown escape \\x in a text"},
  };
  for (const auto& c : cases) {
    std::vector<ScriptToken> tokens;
    EXPECT_EQ(SplitScriptLine(c.line, tokens), c.error) << c.line;
  }
}

TEST(ScriptWords, NumbersAreReadWholeIntoTheirFieldsRange) {
  uint16_t u16 = 7;
  int16_t i16 = 7;
  int32_t i32 = 7;
  uint32_t u32 = 7;
  uintptr_t address = 7;
  EXPECT_EQ(ParseScriptField("0x3009", "message", u16), "");
  EXPECT_EQ(u16, 0x3009);
  EXPECT_EQ(ParseScriptField("-32768", "h", i16), "");
  EXPECT_EQ(i16, -32768);
  EXPECT_EQ(ParseScriptField("-2147483648", "long", i32), "");
  EXPECT_EQ(i32, INT32_MIN);
  EXPECT_EQ(ParseScriptField("4294967295", "when", u32), "");
  EXPECT_EQ(u32, UINT32_MAX);
  EXPECT_EQ(ParseScriptField("9223372036854775807", "message", address), "");
  EXPECT_EQ(address, uintptr_t{INT64_MAX});

  const struct {
    const char* word;
    std::string error;
  } refused[] = {
      {"65542", "CODE 65542 does not fit: 0 to 65535"},
      {"-1", "CODE -1 does not fit: 0 to 65535"},
      {"99999999999999999999", "CODE 99999999999999999999 does not fit: 0 to 65535"},
      {"0x1FFFFFFFFFFFFFFFF", "CODE 0x1FFFFFFFFFFFFFFFF does not fit: 0 to 65535"},
      {"12abc", "CODE needs a number, not 12abc"},
      {"1.5", "CODE needs a number, not 1.5"},
      {" 12", "CODE needs a number, not  12"},
      {"", "CODE needs a number, not nothing"},
  };
  for (const auto& c : refused) {
    uint16_t code = 42;
    EXPECT_EQ(ParseScriptField(c.word, "CODE", code), c.error) << c.word;
    EXPECT_EQ(code, 42) << "a refused word leaves the field: " << c.word;
  }
  EXPECT_EQ(ParseScriptField("4294967396", "W", i32), "W 4294967396 does not fit: -2147483648 to 2147483647");
  EXPECT_EQ(ParseScriptField("-1", "message", address), "message -1 does not fit: 0 to 9223372036854775807");
}

TEST(ScriptWords, RealsAreReadWholeAndFinite) {
  double value = 0;
  EXPECT_TRUE(ParseScriptReal("-1.5e3", value));
  EXPECT_EQ(value, -1500.0);
  for (const char* bad : {"", "1.5x", "abc", "1e999", "nan", "inf"}) EXPECT_FALSE(ParseScriptReal(bad, value)) << bad;
  std::vector<uint8_t> bytes;
  EXPECT_TRUE(ParseScriptBytes("0A ff", bytes));
  EXPECT_EQ(bytes, (std::vector<uint8_t>{0x0A, 0xFF}));
  EXPECT_FALSE(ParseScriptBytes("0G", bytes));
  EXPECT_FALSE(ParseScriptBytes("-1", bytes));
  EXPECT_FALSE(ParseScriptBytes("abc", bytes));
}

TEST(ScriptWords, OptionsFillTheirFieldsAndSayWhichWereGiven) {
  auto split = [](const std::string& line) {
    std::vector<ScriptToken> tokens;
    SplitScriptLine(line, tokens);
    return tokens;
  };
  int32_t count = 1;
  uint16_t modifiers = 0;
  ScriptOptions options;
  options.Add("count", count).Add("modifiers", modifiers);
  EXPECT_EQ(options.Read(split("click 1 2 modifiers 0x200"), 3), "");
  EXPECT_EQ(modifiers, 0x200);
  EXPECT_EQ(count, 1);
  EXPECT_TRUE(options.Given("modifiers"));
  EXPECT_FALSE(options.Given("count"));

  EXPECT_EQ(ScriptOptions().Read(split("x \"count\" 2"), 1), "unknown option count (the line takes none)");
  EXPECT_EQ(ScriptOptions().Add("count", count).Read(split("click 1 2 count"), 3), "option count needs a number");
}

TEST(ScriptWords, TheTranscriptCutsALongLineAndGivesItsLength) {
  EXPECT_EQ(ShortenForTranscript("type \"short\""), "type \"short\"");
  const std::string line = "type \"" + std::string(1000, 'a') + "\"";
  const std::string shown = ShortenForTranscript(line);
  EXPECT_LT(shown.size(), 200u);
  EXPECT_EQ(shown.rfind("type \"aaa", 0), 0u);
  EXPECT_NE(shown.find("(1007 characters)"), std::string::npos) << shown;
}

}  // namespace
