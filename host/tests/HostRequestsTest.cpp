// The further host requests: the fields each block carries, the answers
// read back within their bounds, the procedure form of a routine call, and
// variable entries written only on the host's success word.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

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

VStr<255> Text(const char* text) {
  VStr<255> s;
  s.SetAnsiCText(text);
  return s;
}

std::string Str(const VString& s) {
  std::string out;
  for (int32_t i = 1; i <= s.GetLength(); ++i) out += static_cast<char>(s.GetCharAt(i));
  return out;
}

std::string Pascal(const uint8_t* p) { return std::string(reinterpret_cast<const char*>(p) + 1, p[0]); }

}  // namespace

TEST(HostRequests, NumberToTextIsNullOnAnError) {
  RecordingHost host;
  int16_t error = 0;
  host.answer = [&](int32_t selector, HostParamBlock& block) {
    if (selector != kHostSelNumberToText505) return;
    block.error = error;
    block.text[0] = 4;
    std::memcpy(block.text + 1, "Name", 4);
  };
  VStr<255> text = Text("old");
  HostCall505(70000, text);
  EXPECT_EQ(Str(text), "Name");
  EXPECT_EQ(host.calls.back().block.param1, 70000u);
  error = -1;
  HostCall505(1, text);
  EXPECT_TRUE(text.IsNull(kWholeValue));
}

TEST(HostRequests, TextLookupsStayWithinEightyCharacters) {
  RecordingHost host;
  uint8_t answeredLength = 0;
  host.answer = [&](int32_t selector, HostParamBlock& block) {
    if (selector == kHostSelTextToNumber506 || selector == kHostSelTextToNumber508) block.param1 = 0x1FFFE;
    if (selector == kHostSelNumberToText507 || selector == kHostSelNumberToText509) {
      EXPECT_EQ(block.text2[0], 0);  // sent empty
      block.text2[0] = answeredLength;
      std::memset(block.text2 + 1, 'w', 80);
    }
  };
  // A 16-bit answer: the high half of the field is not the host's.
  EXPECT_EQ(HostCall506(Text(std::string(100, 'a').c_str())), -2);
  EXPECT_EQ(host.calls.back().block.text[0], 80);
  EXPECT_EQ(HostCall508(Text("abc")), -2);
  EXPECT_EQ(Pascal(host.calls.back().block.text), "abc");
  struct Case {
    uint8_t length;
    size_t expected;
  };
  for (const Case c : {Case{3, 3}, Case{80, 80}, Case{81, 80}, Case{255, 80}}) {
    answeredLength = c.length;
    VStr<255> a, b;
    HostCall507(a, -7);
    EXPECT_EQ(static_cast<int16_t>(host.calls.back().block.shortValue), -7);
    HostCall509(b, 12);
    EXPECT_EQ(Str(a), std::string(c.expected, 'w')) << int(c.length);
    EXPECT_EQ(Str(b), std::string(c.expected, 'w'));
  }
}

TEST(HostRequests, RealsByKindSendTheKindAndPair) {
  RecordingHost host;
  host.answer = [&](int32_t selector, HostParamBlock& block) {
    if (selector != kHostSelRealByKind) return;
    EXPECT_EQ(block.realValue, 0.0);
    block.realValue = HostWordOf(block.param1) * 100.0 + static_cast<int16_t>(block.table) + block.field / 10.0;
  };
  EXPECT_DOUBLE_EQ(HostGetReal510Kind1(2, 5), 102.5);
  EXPECT_DOUBLE_EQ(HostGetReal510Kind3(-1, 0), 299.0);
  EXPECT_DOUBLE_EQ(HostGetReal510Kind4(0, 1), 400.1);
  EXPECT_EQ(host.Count(kHostSelRealByKind), 3);
}

TEST(HostRequests, SettingAnEntrySucceedsOnlyOnWordZero) {
  RecordingHost host;
  int16_t answer = 0;
  host.answer = [&](int32_t selector, HostParamBlock& block) {
    if (selector == kHostSelSetVariable || selector == kHostSelSetInterprocessVariable) block.error = answer;
  };
  struct Case {
    const char* name;
    int16_t error;
    int32_t selector;  // 0: not sent
    bool ok;
  };
  const Case cases[] = {{"v", 0, kHostSelSetVariable, true},
                        {"<>v", 0, kHostSelSetInterprocessVariable, true},
                        {"v", -1, kHostSelSetVariable, false},  // a refusal is not success
                        {"v", 1, kHostSelSetVariable, false},
                        {"$v", 0, 0, false}};
  for (const Case& c : cases) {
    host.calls.clear();
    answer = c.error;
    HostVariableEntry entry;
    std::memset(&entry, 0, sizeof entry);
    entry.type = kHostUndefined;
    EXPECT_EQ(HostSetVariableEntry(Text(c.name), kScopeDetect, entry, 1), c.ok) << c.name << " " << c.error;
    if (c.selector == 0) {
      EXPECT_TRUE(host.calls.empty());
      continue;
    }
    ASSERT_EQ(host.calls.size(), 1u);
    EXPECT_EQ(host.calls[0].selector, c.selector);
    EXPECT_EQ(host.calls[0].block.handle, HostAddress(&entry));
    EXPECT_EQ(Pascal(host.calls[0].block.text), "v");
    EXPECT_EQ(host.calls[0].block.variableFlag, 1);
  }
}

TEST(HostRequests, StateModesAndTableTest) {
  RecordingHost host;
  host.answer = [&](int32_t selector, HostParamBlock& block) {
    if (selector == kHostSelState178) {
      block.param1 = 0x1FF;
      block.param2 = 0x18000;
    }
    if (selector == kHostSelTableTest40) block.param1 = block.table == 3 ? 1 : 2;
  };
  uint8_t flag = 0;
  int16_t word = 0;
  HostGetState178(flag, word);
  EXPECT_EQ(flag, 0xFF);
  EXPECT_EQ(word, static_cast<int16_t>(0x8000));
  HostSetMode179Zero();
  HostSetMode179One();
  HostSetMode179Two();
  std::vector<uintptr_t> modes;
  for (const auto& c : host.calls)
    if (c.selector == kHostSelMode179) modes.push_back(c.block.param1);
  EXPECT_EQ(modes, (std::vector<uintptr_t>{0, 1, 2}));
  EXPECT_TRUE(HostTableTest40(3));
  EXPECT_FALSE(HostTableTest40(4));  // only an answer of 1 is yes
}

TEST(HostRequests, PositiveSelectorCallsCarryTheirFields) {
  RecordingHost host;
  HostCall500(Text("<>shared"), 1, 2, 3, 4, 5);
  EXPECT_EQ(host.calls.back().block.flag, 1);
  HostCall500(Text("local"), 1, 2, 3, 4, 5);
  EXPECT_EQ(host.calls.back().block.flag, 0);
  const HostParamBlock& b = host.calls.back().block;
  EXPECT_EQ(b.handle, 1u);
  EXPECT_EQ(b.param1, 2u);
  EXPECT_EQ(b.param3, 4u);
  HostCall501(-2, 9, 10, 11, 12, 13);
  EXPECT_EQ(static_cast<int16_t>(host.calls.back().block.table), -2);
  EXPECT_EQ(host.calls.back().block.field, 9);
  EXPECT_EQ(host.calls.back().block.param3, 13u);
  HostCall514(77, Text("$x"));
  EXPECT_EQ(host.calls.back().block.param1, 77u);
  EXPECT_EQ(Pascal(host.calls.back().block.text), "x");
  HostCall511(Text("<>v"));
  EXPECT_EQ(Pascal(host.calls.back().block.text), "v");
  EXPECT_EQ(HostGetValue90ForValue(5), 0u);
  EXPECT_EQ(host.calls.back().block.handle, 5u);
}

TEST(HostRequests, NamesClassifiedInPlace) {
  struct Case {
    std::u16string name;
    int32_t scope;
    std::string rest;
  };
  const Case cases[] = {{u"\u25CAglobal", kScopeInterprocess, "global"},
                        {u"<>shared", kScopeInterprocess, "shared"},
                        {u"<x", kScopeProcess, "<x"},
                        {u"$local", kScopeLocal, "local"},
                        {u"", kScopeProcess, ""},
                        {u"$" + std::u16string(40, u'n'), kScopeLocal, std::string(31, 'n')}};
  for (const Case& c : cases) {
    VStr<255> name;
    for (char16_t ch : c.name) name.AppendUniChar(ch);
    EXPECT_EQ(ClassifyVariableNameInPlace(name), c.scope);
    EXPECT_EQ(Str(name), c.rest);
  }
}

TEST(HostRoutineProcedure, ArgumentsUpToTheFirstNullAndEachReleased) {
  RecordingHost host;
  int32_t handleSize = 0;
  uint8_t resultType = 0;
  host.answer = [&](int32_t selector, HostParamBlock& block) {
    if (selector == kHostSelFindRoutine) block.param1 = Pascal(block.text) == "Log" ? 4 : 0;
    if (selector == kHostSelRunRoutine) {
      const auto h = static_cast<Tbx::Handle>(block.handle);
      handleSize = Tbx::GetHandleSize(h);
      resultType = static_cast<HostVariableEntry*>(Tbx::HLock(h))[0].type;
      Tbx::HUnlock(h);
    }
  };
  VHostRoutineCall call(Text("Log"));
  VReal a(1), b(2), c(3);
  call.CallProcedure({&a, &b, nullptr, &c});
  EXPECT_EQ(handleSize, 3 * 260);
  EXPECT_EQ(resultType, kHostUndefined);
  EXPECT_EQ(host.Count(kHostSelReleaseEntry), 2);
  call.CallProcedure({});
  EXPECT_EQ(host.Count(kHostSelFindRoutine), 1);  // the number is kept
  EXPECT_EQ(handleSize, 260);

  VHostRoutineCall unknown(Text("Missing"));
  host.calls.clear();
  unknown.CallProcedure({&a});
  EXPECT_EQ(host.Count(kHostSelRunRoutine), 0);
  EXPECT_EQ(host.Count(kHostSelReleaseEntry), 0);
}
