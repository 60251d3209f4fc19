// The words of a script line and the numbers they hold.
#include "qvhost/ScriptWords.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

std::string SplitScriptLine(const std::string& line, std::vector<ScriptToken>& tokens) {
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  size_t i = 0;
  while (i < line.size()) {
    const char c = line[i];
    if (blank(c)) {
      ++i;
    } else if (c == '#') {
      break;
    } else if (c == '"') {
      ScriptToken t;
      t.quoted = true;
      for (++i; i < line.size() && line[i] != '"'; ++i) {
        if (line[i] != '\\') {
          t.text += line[i];
          continue;
        }
        if (++i >= line.size()) break;
        switch (line[i]) {
          case 'n': t.text += '\n'; break;
          case 'r': t.text += '\r'; break;
          case 't': t.text += '\t'; break;
          case '"': t.text += '"'; break;
          case '\\': t.text += '\\'; break;
          default: return std::string("unknown escape \\") + line[i] + " in a text";
        }
      }
      if (i >= line.size()) return "unterminated text";
      ++i;
      tokens.push_back(std::move(t));
    } else {
      ScriptToken t;
      while (i < line.size() && !blank(line[i]) && line[i] != '"') t.text += line[i++];
      tokens.push_back(std::move(t));
    }
  }
  return {};
}

namespace {

enum class Reading { kNumber, kNotANumber, kTooLarge };

Reading ReadInteger(const std::string& word, int64_t& value) {
  // strtoll skips leading blanks, which a word never has; refuse them here
  // so that only the whole word counts.
  if (word.empty() || word[0] == ' ') return Reading::kNotANumber;
  char* end = nullptr;
  errno = 0;
  const long long v = std::strtoll(word.c_str(), &end, 0);
  if (end == word.c_str() || *end != 0) return Reading::kNotANumber;
  if (errno == ERANGE) return Reading::kTooLarge;
  value = v;
  return Reading::kNumber;
}

}  // namespace

bool ParseScriptInteger(const std::string& word, int64_t& value) {
  return ReadInteger(word, value) == Reading::kNumber;
}

bool ParseScriptReal(const std::string& word, double& value) {
  if (word.empty() || word[0] == ' ') return false;
  char* end = nullptr;
  errno = 0;
  const double v = std::strtod(word.c_str(), &end);
  if (errno == ERANGE || end == word.c_str() || *end != 0 || !std::isfinite(v)) return false;
  value = v;
  return true;
}

bool ParseScriptBytes(const std::string& hex, std::vector<uint8_t>& bytes) {
  auto digit = [](char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  std::vector<int> digits;
  for (char c : hex) {
    if (c == ' ') continue;
    if (digit(c) < 0) return false;
    digits.push_back(digit(c));
  }
  if (digits.size() % 2 != 0) return false;
  for (size_t i = 0; i < digits.size(); i += 2) bytes.push_back(static_cast<uint8_t>(digits[i] * 16 + digits[i + 1]));
  return true;
}

std::string CheckScriptNumber(const std::string& word, const std::string& name, int64_t min, int64_t max,
                              int64_t& value) {
  int64_t v = 0;
  // A number too large for 64 bits is one that does not fit its field, not
  // a word that is no number.
  const Reading reading = ReadInteger(word, v);
  if (reading == Reading::kNotANumber) return name + " needs a number, not " + (word.empty() ? "nothing" : word);
  if (reading == Reading::kNumber && v >= min && v <= max) {
    value = v;
    return {};
  }
  return name + " " + word + " does not fit: " + std::to_string(min) + " to " + std::to_string(max);
}

std::string ScriptOptions::Read(const std::vector<ScriptToken>& tokens, size_t from) {
  for (size_t i = from; i < tokens.size(); i += 2) {
    const std::string& name = tokens[i].text;
    Option* option = nullptr;
    for (Option& o : fOptions)
      if (!tokens[i].quoted && o.name == name) option = &o;
    if (option == nullptr) {
      std::string known;
      for (const Option& o : fOptions) known += (known.empty() ? "" : ", ") + o.name;
      return "unknown option " + name + (known.empty() ? " (the line takes none)" : " (the line takes " + known + ")");
    }
    if (i + 1 >= tokens.size()) return "option " + name + " needs a number";
    std::string bad = option->read(tokens[i + 1].text);
    if (!bad.empty()) return bad;
    option->given = true;
  }
  return {};
}

bool ScriptOptions::Given(const std::string& name) const {
  for (const Option& o : fOptions)
    if (o.name == name) return o.given;
  return false;
}

std::string ShortenForTranscript(const std::string& text) {
  // Long enough for any line a person writes; a generated text of
  // megabytes shows its start and its length.
  constexpr size_t kShown = 160;
  if (text.size() <= kShown) return text;
  return text.substr(0, kShown) + "... (" + std::to_string(text.size()) + " characters)";
}
