// FakeEnvironment: the environment's settings and clock for tests. Its
// answers are plain fields a test sets; constructing one installs it, and
// destroying it puts back the bridge it replaced.
#pragma once

#include <string>

#include "framework/core/strings/VString.h"
#include "framework/core/values/VEnvironmentBridge.h"

class FakeEnvironment : public VEnvironmentBridge {
 public:
  FakeEnvironment() : fPrevious(VEnvironmentBridgeService::Install(this)) {}
  ~FakeEnvironment() override { VEnvironmentBridgeService::Install(fPrevious); }
  FakeEnvironment(const FakeEnvironment&) = delete;
  FakeEnvironment& operator=(const FakeEnvironment&) = delete;

  char16_t decimal = u'.';
  char16_t dateSeparator = u'/';
  char16_t timeSeparator = u':';
  int32_t dateOrder = kDateOrderMDY;
  std::u16string morning = u"AM";
  std::u16string afternoon = u"PM";
  std::u16string trueText = u"Yes";
  std::u16string falseText = u"No";
  VLocalDateTime now{2002, 4, 5, 5, 13, 45, 30, 250};
  int clockReads = 0;

  char16_t GetDecimalSeparator() override { return decimal; }
  char16_t GetDateSeparator() override { return dateSeparator; }
  char16_t GetTimeSeparator() override { return timeSeparator; }
  int32_t GetDateOrder() override { return dateOrder; }
  void GetMorningText(VString& out) override { Put(out, morning); }
  void GetAfternoonText(VString& out) override { Put(out, afternoon); }
  void GetBooleanText(VString& out, bool value) override { Put(out, value ? trueText : falseText); }
  VLocalDateTime GetLocalDateTime() override {
    ++clockReads;
    return now;
  }

 private:
  static void Put(VString& out, const std::u16string& text) {
    out.SetUniChars(text.data(), 0, static_cast<int32_t>(text.size()));
    out.SetNull(false, kWholeValue);
  }
  VEnvironmentBridge* fPrevious;
};
