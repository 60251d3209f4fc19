// ScriptWords: how a script line splits into words and quoted texts, and
// how a word reads as a number for a field of a given width. Every line of
// the script reads its words through these, so that a new value form is
// one more reader here, never a second grammar.
#pragma once

#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

struct ScriptToken {
  std::string text;     // escapes already resolved in a quoted text
  bool quoted = false;  // written in double quotes
};

// Splits a line into words and quoted texts; '#' outside quotes starts a
// comment. A quoted text takes the escapes \n, \r, \t, \" and \\. Empty on
// success, else what is wrong (an unterminated text, an unknown escape).
std::string SplitScriptLine(const std::string& line, std::vector<ScriptToken>& tokens);

// The whole word as an integer: decimal, 0x hexadecimal or 0 octal, with an
// optional sign. False when it is not one or does not fit 64 bits.
bool ParseScriptInteger(const std::string& word, int64_t& value);
// The whole word as a finite real number.
bool ParseScriptReal(const std::string& word, double& value);
// Hexadecimal bytes, two digits each, spaces between them ignored.
bool ParseScriptBytes(const std::string& hex, std::vector<uint8_t>& bytes);

// The values a field of type T holds, as the script writes them: a signed
// field its signed range, an unsigned one from 0 (an address-sized one up to
// the largest 64-bit signed value, the largest a word can write).
template <typename T>
constexpr int64_t kFieldMin = static_cast<int64_t>(std::numeric_limits<T>::min());
template <typename T>
constexpr int64_t kFieldMax = std::cmp_greater(std::numeric_limits<T>::max(), INT64_MAX)
                                  ? INT64_MAX
                                  : static_cast<int64_t>(std::numeric_limits<T>::max());

// Why `word` cannot be the number of the field `name` that holds min to
// max; empty when it can, with the number in `value`.
std::string CheckScriptNumber(const std::string& word, const std::string& name, int64_t min, int64_t max,
                              int64_t& value);

// `word` read into the field `name` of integral type T: empty on success,
// else why not ("W needs a number, not abc", "W 4294967396 does not fit:
// -2147483648 to 2147483647").
template <typename T>
std::string ParseScriptField(const std::string& word, const std::string& name, T& field) {
  static_assert(std::is_integral_v<T>);
  int64_t value = 0;
  std::string bad = CheckScriptNumber(word, name, kFieldMin<T>, kFieldMax<T>, value);
  if (bad.empty()) field = static_cast<T>(value);
  return bad;
}

// The "name value" options a line takes after its fixed words: each known
// name fills its field. An unknown name, a name without a value and a value
// that is not a number or does not fit its field are refused.
class ScriptOptions {
 public:
  template <typename T>
  ScriptOptions& Add(const std::string& name, T& field) {
    fOptions.push_back(Option{name, [&field, name](const std::string& word) {
                                return ParseScriptField(word, name, field);
                              }, false});
    return *this;
  }
  // Reads the options from tokens[from] on; empty on success.
  std::string Read(const std::vector<ScriptToken>& tokens, size_t from);
  // Whether the line gave the option.
  bool Given(const std::string& name) const;

 private:
  struct Option {
    std::string name;
    std::function<std::string(const std::string&)> read;
    bool given;
  };
  std::vector<Option> fOptions;
};

// A line or a text as the transcript shows it: whole when short, else its
// first characters and its length, so that a long line is printed once
// and briefly.
std::string ShortenForTranscript(const std::string& text);
