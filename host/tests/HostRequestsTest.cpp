// The further host requests: answers read within their bounds, variable
// entries written only on the host's success word, and the procedure form
// of a routine call.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "boundary/HostServiceSelectors.h"
#include "framework/core/strings/VUniString.h"
#include "framework/core/values/VReal.h"
#include "host/context/HostRequests.h"
#include "host/context/HostVariables.h"
#include "host/context/VHostRoutineCall.h"
#include "host/tests/HostTestSupport.h"
#include "platform/toolbox/TbxHandles.h"

using hosttest::RecordingHost;

namespace {

VStr<255> Text(const std::string& text) {
  VStr<255> s;
  s.SetAnsiCText(text.c_str());
  return s;
}

using hosttest::Str;

std::string Pascal(const uint8_t* p) { return std::string(reinterpret_cast<const char*>(p) + 1, p[0]); }

}  // namespace

TEST(HostRequests, TextAnswersStayWithinTheirFields) {
  RecordingHost host;
  uint8_t length = 0;
  host.answer = [&](int32_t selector, HostParamBlock& block) {
    if (selector == kHostSelTextToNumber506) block.param1 = 0x1FFFE;  // only the low 16 bits count
    if (selector == kHostSelNumberToText507) {
      EXPECT_EQ(block.text2[0], 0);
      block.text2[0] = length;
      std::memset(block.text2 + 1, 'w', 80);
    }
    if (selector == kHostSelNumberToText505) block.error = static_cast<int16_t>(block.param1);
  };
  EXPECT_EQ(HostCall506(Text(std::string(100, 'a'))), -2);
  EXPECT_EQ(host.calls.back().block.text[0], 80);
  for (const auto& [answered, expected] : {std::pair{3, 3}, {80, 80}, {81, 80}, {255, 80}}) {
    length = static_cast<uint8_t>(answered);
    VStr<255> text;
    HostCall507(text, -7);
    EXPECT_EQ(static_cast<int16_t>(host.calls.back().block.shortValue), -7);
    EXPECT_EQ(Str(text), std::string(static_cast<size_t>(expected), 'w')) << answered;
  }
  VStr<255> text = Text("kept");
  HostCall505(1, text);  // error word 1
  EXPECT_TRUE(text.IsNull(kWholeValue));
}

TEST(HostRequests, SettingAnEntrySucceedsOnlyOnWordZero) {
  RecordingHost host;
  int16_t answer = 0;
  host.answer = [&](int32_t, HostParamBlock& block) { block.error = answer; };
  struct Case {
    const char* name;
    int16_t error;
    int32_t selector;  // 0: not sent
    bool ok;
  };
  const Case cases[] = {{"v", 0, kHostSelSetVariable, true},
                        {"<>v", 0, kHostSelSetInterprocessVariable, true},
                        {"v", -1, kHostSelSetVariable, false},  // a refusal is no success
                        {"v", 1, kHostSelSetVariable, false},
                        {"$v", 0, 0, false}};
  for (const Case& c : cases) {
    host.calls.clear();
    answer = c.error;
    HostVariableEntry entry;
    std::memset(&entry, 0, sizeof entry);
    EXPECT_EQ(HostSetVariableEntry(Text(c.name), kScopeDetect, entry, 1), c.ok) << c.name << " " << c.error;
    ASSERT_EQ(host.calls.size(), c.selector != 0 ? 1u : 0u);
    if (c.selector != 0) {
      EXPECT_EQ(host.calls[0].selector, c.selector);
    }
  }
}

TEST(HostRequests, NamesClassifiedInPlace) {
  const std::tuple<std::u16string, int32_t, std::string> cases[] = {
      {u"\u25CAall", kScopeInterprocess, "all"}, {u"<>all", kScopeInterprocess, "all"},
      {u"<x", kScopeProcess, "<x"},              {u"", kScopeProcess, ""},
      {u"$" + std::u16string(40, u'n'), kScopeLocal, std::string(31, 'n')}};
  for (const auto& [text, scope, rest] : cases) {
    VStr<255> name;
    for (char16_t ch : text) name.AppendUniChar(ch);
    EXPECT_EQ(ClassifyVariableNameInPlace(name), scope);
    EXPECT_EQ(Str(name), rest);
  }
}

TEST(HostRoutineProcedure, ArgumentsUpToTheFirstNullAndEachReleased) {
  RecordingHost host;
  int32_t size = 0;
  host.answer = [&](int32_t selector, HostParamBlock& block) {
    if (selector == kHostSelFindRoutine) block.param1 = Pascal(block.text) == "Log" ? 4 : 0;
    if (selector == kHostSelRunRoutine) {
      const auto h = static_cast<Tbx::Handle>(block.handle);
      size = Tbx::GetHandleSize(h);
      EXPECT_EQ(static_cast<HostVariableEntry*>(Tbx::HLock(h))[0].type, kHostUndefined);
      Tbx::HUnlock(h);
    }
  };
  VHostRoutineCall call(Text("Log"));
  VReal a(1), b(2);
  call.CallProcedure({&a, &b, nullptr, &a});
  EXPECT_EQ(size, 3 * 260);
  EXPECT_EQ(host.Count(kHostSelReleaseEntry), 2);
  call.CallProcedure({});
  EXPECT_EQ(host.Count(kHostSelFindRoutine), 1);  // the number is kept
  VHostRoutineCall unknown(Text("Missing"));
  unknown.CallProcedure({&a});
  EXPECT_EQ(host.Count(kHostSelRunRoutine), 2);
  EXPECT_EQ(host.Count(kHostSelReleaseEntry), 2);
}
