// A test string whose number setters and getters use the text forms of
// numbers with a chosen decimal separator, and whose boolean text is
// "true" or "false", standing in for the environment's settings. It also
// records which of them a value reached.
#pragma once

#include <string>

#include "framework/core/strings/VUniString.h"
#include "framework/core/values/VNumberText.h"

namespace value_tests {

class NumberTextString : public VStr<255> {
 public:
  explicit NumberTextString(char separator = '.') : fSeparator(separator) {}
  NumberTextString(const char* text, char separator = '.') : fSeparator(separator) { Set(text); }

  void Set(const char* text) {
    SetEmpty(false);
    AppendChars(text, int32_t(std::char_traits<char>::length(text)), kCharSetAnsi);
    SetNull(false, kWholeValue);
  }

  // The text as 8-bit characters (the tests use ASCII and U+221E only).
  std::string Text() const {
    std::string text;
    for (int32_t i = 1; i <= GetLength(); ++i) {
      const char16_t c = GetCharAt(i);
      text += c < 0x80 ? char(c) : '?';
    }
    return text;
  }

  void SetBoolean(uint8_t value, int32_t) override {
    calls += "SetBoolean;";
    Set(value != 0 ? "true" : "false");
  }
  void SetWord(int16_t value, int32_t range) override {
    calls += "SetWord;";
    SetInteger(value);
  }
  void SetLong(int32_t value, int32_t) override {
    calls += "SetLong;";
    SetInteger(value);
  }
  void SetLongLong(int64_t value, int32_t) override {
    calls += "SetLongLong;";
    SetEmpty(false);
    FormatLongLong(*this, value);
    SetNull(false, kWholeValue);
  }
  void SetReal(double value, int32_t) override {
    calls += "SetReal;";
    SetEmpty(false);
    FormatReal(*this, value, kNumberGeneral, kDefaultRealDigits, fSeparator);
    SetNull(false, kWholeValue);
  }

  bool GetBoolean(int32_t) const override { return Head() == "true"; }
  int16_t GetWord(int32_t) const override { return ParseWord(Head(), fSeparator); }
  int32_t GetLong(int32_t) const override { return ParseLong(Head(), fSeparator); }
  int64_t GetLongLong(int32_t) const override { return ParseLongLong(Head(), fSeparator); }
  double GetReal(int32_t) const override { return ParseReal(Head(), fSeparator); }

  std::string calls;

 private:
  void SetInteger(int32_t value) {
    SetEmpty(false);
    FormatInteger(*this, value, kNumberDecimal, fSeparator);
    SetNull(false, kWholeValue);
  }
  // The readers see the first 80 characters.
  std::string Head() const { return Text().substr(0, 80); }

  char fSeparator;
};

}  // namespace value_tests
