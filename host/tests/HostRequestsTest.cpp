// The further host requests: answers read within their bounds, variable
// entries written only on the host's success word, and the procedure form
// of a routine call.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "boundary/FourCC.h"
#include "boundary/HostServiceSelectors.h"
#include "framework/core/strings/VUniString.h"
#include "framework/core/values/VReal.h"
#include "host/context/HostRequests.h"
#include "host/context/HostVariables.h"
#include "host/context/VHostRequest.h"
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

// What each request of a host object sends: the handle the host gave at
// 266, the object's number or the operation at 272, the operation's value
// at 284 and a title at 10.
TEST(HostRequests, HostObjectRequestsSendTheirFields) {
  RecordingHost host;
  host.answer = [](int32_t selector, HostParamBlock& block) {
    if (selector == kHostSelObjectOpen519) block.handle = 0x4242;
    block.error = 0;
  };
  VHostRequest request(-7);
  ASSERT_TRUE(request.Open());
  EXPECT_EQ(request.GetHandle(), 0x4242u);
  ASSERT_EQ(host.calls.size(), 1u);
  EXPECT_EQ(host.calls[0].selector, kHostSelObjectOpen519);
  EXPECT_EQ(HostWordOf(host.calls[0].block.param1), -7);

  struct Case {
    const char* name;
    std::function<bool()> send;
    int32_t selector;
    uint32_t at272, at284;
    std::string title;
  };
  const Case cases[] = {
      {"520", [&] { return request.Call520(); }, kHostSelObjectCall520, uint32_t(-7), 0, ""},
      {"522", [&] { return request.Call522(); }, kHostSelObjectCall522, uint32_t(-7), 0, ""},
      {"526", [&] { return request.Call526(); }, kHostSelObjectCall526, uint32_t(-7), 0, ""},
      {"527", [&] { return request.Call527(); }, kHostSelObjectCall527, uint32_t(-7), 0, ""},
      {"show", [&] { return request.Show(true); }, kHostSelObjectSet530, FourCC("SHOW"), 0, ""},
      {"hide", [&] { return request.Show(false); }, kHostSelObjectSet530, FourCC("HIDE"), 0, ""},
      {"state 0", [&] { return request.SetState(0); }, kHostSelObjectSet530, FourCC("STAT"), 1, ""},
      {"state 3", [&] { return request.SetState(3); }, kHostSelObjectSet530, FourCC("STAT"), 8, ""},
      {"title", [&] { return request.SetTitle(Text("Page 2")); }, kHostSelObjectSet530, FourCC("TITL"), 0, "Page 2"},
      {"long title", [&] { return request.SetTitle(Text(std::string(300, 'x'))); }, kHostSelObjectSet530,
       FourCC("TITL"), 0, std::string(255, 'x')},
      {"repeat", [&] { return request.SetRepeat(true); }, kHostSelObjectSet530, FourCC("REPT"), 1, ""},
      {"no repeat", [&] { return request.SetRepeat(false); }, kHostSelObjectSet530, FourCC("REPT"), 0, ""},
  };
  for (const Case& c : cases) {
    host.calls.clear();
    EXPECT_TRUE(c.send()) << c.name;
    ASSERT_EQ(host.calls.size(), 1u) << c.name;
    const HostParamBlock& sent = host.calls[0].block;
    EXPECT_EQ(host.calls[0].selector, c.selector) << c.name;
    EXPECT_EQ(sent.handle, 0x4242u) << c.name;
    EXPECT_EQ(uint32_t(HostWordOf(sent.param1)), c.at272) << c.name;
    EXPECT_EQ(uint32_t(HostWordOf(sent.param4)), c.at284) << c.name;
    EXPECT_EQ(Pascal(sent.text), c.title) << c.name;
  }
  // States beyond the five bits are refused without asking.
  host.calls.clear();
  EXPECT_FALSE(request.SetState(5));
  EXPECT_FALSE(request.SetState(-1));
  EXPECT_TRUE(host.calls.empty());
  // A host that refuses: false, and the handle is still given back once.
  host.answer = [](int32_t, HostParamBlock& block) { block.error = -1; };
  host.calls.clear();
  EXPECT_FALSE(request.Call520());
  request.Release();
  request.Release();
  ASSERT_EQ(host.calls.size(), 2u);
  EXPECT_EQ(host.calls[1].selector, kHostSelObjectRelease521);
  EXPECT_EQ(host.calls[1].block.handle, 0x4242u);
}
