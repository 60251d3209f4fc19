// The process, document-store and message wrappers: what they send, how
// many times, and how they read the host's answers.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "framework/core/strings/VUniString.h"
#include "host/context/HostProcesses.h"
#include "boundary/HostServiceSelectors.h"
#include "host/tests/HostTestSupport.h"

namespace {

using hosttest::RecordingHost;

using hosttest::Str;

std::string Pas(const uint8_t* p) { return std::string(reinterpret_cast<const char*>(p) + 1, p[0]); }

VStr<255> Name(const char* text) {
  VStr<255> name;
  name.SetAnsiCText(text);
  return name;
}

TEST(HostProcesses, WaitStepsOrIdles) {
  struct Case {
    int32_t n, steps, idles;
  };
  for (const Case c : {Case{0, 0, 1}, Case{-4, 0, 1}, Case{1, 1, 0}, Case{3, 3, 0}}) {
    RecordingHost host;
    HostWait(c.n);
    EXPECT_EQ(host.Count(kHostSelWaitStep), c.steps) << c.n;
    EXPECT_EQ(host.Count(kHostSelWaitIdle), c.idles) << c.n;
  }
}

TEST(HostProcesses, NewProcessNegatesTheStackAndMarksLocalNames) {
  RecordingHost host;
  host.answer = [](int32_t selector, HostParamBlock& b) {
    if (selector == kHostSelNewProcess) b.param1 = 12;
  };
  EXPECT_EQ(HostNewProcess(nullptr, Name("Printer"), 16000, true), 12);
  EXPECT_EQ(HostNewProcess(nullptr, Name("Printer"), 32000, false), 12);
  EXPECT_EQ(HostWordOf(host.calls[0].block.param3), -16000);
  EXPECT_EQ(Pas(host.calls[0].block.text2), "$Printer");
  EXPECT_EQ(HostWordOf(host.calls[1].block.param3), -32000);
  EXPECT_EQ(Pas(host.calls[1].block.text2), "Printer");
}

TEST(HostProcesses, DelayOfProcess0SendsTheCurrentOne) {
  RecordingHost host;
  host.answer = [](int32_t selector, HostParamBlock& b) {
    if (selector == kHostSelCurrentProcess) b.param1 = 5;
  };
  HostDelayProcess(30, 0);
  HostDelayProcess(30, 9);
  ASSERT_EQ(host.Count(kHostSelDelayProcess), 2);
  EXPECT_EQ(host.Count(kHostSelCurrentProcess), 1);
  const HostParamBlock& first = host.calls[1].block;
  EXPECT_EQ(HostWordOf(first.param1), 5);
  EXPECT_EQ(HostWordOf(first.param2), 30);
  EXPECT_EQ(HostWordOf(host.calls[2].block.param1), 9);
}

TEST(HostProcesses, CheckProcessByTheHostsAnswer) {
  struct Case {
    bool other;
    int32_t answer;
    bool result, isCurrent;
  };
  const Case cases[] = {{true, 5, false, true}, {true, 6, true, false}, {false, 0, true, false},
                        {false, 5, false, true}, {false, 6, false, false}};
  for (const Case& c : cases) {
    RecordingHost host;
    host.answer = [&c](int32_t selector, HostParamBlock& b) {
      if (selector == kHostSelCurrentProcess) b.param1 = 5;
      if (selector == kHostSelProcessOther || selector == kHostSelProcessFront) b.param1 = HostWord(c.answer);
    };
    bool isCurrent = !c.isCurrent;
    EXPECT_EQ(HostCheckProcess(c.other, isCurrent), c.result) << c.other << c.answer;
    EXPECT_EQ(isCurrent, c.isCurrent) << c.other << c.answer;
  }
}

TEST(HostProcesses, DocumentFolderIsTheTextUpToItsLastBackslash) {
  struct Case {
    const char* text;
    const char* folder;
    bool has;
  };
  const Case cases[] = {{"C:\\Docs\\Letters\\a.doc", "C:\\Docs\\Letters\\", true},
                        {"a.doc", "", false},
                        {"", "", false},
                        {"\\", "\\", true}};
  for (const Case& c : cases) {
    RecordingHost host;
    host.answer = [&c](int32_t selector, HostParamBlock& b) {
      if (selector == kHostSelDocumentText411) {
        b.text[0] = static_cast<uint8_t>(std::strlen(c.text));
        std::memcpy(b.text + 1, c.text, b.text[0]);
      }
    };
    VStr<255> text;
    HostGetDocumentFolder(text);
    EXPECT_EQ(Str(text), c.folder);
    EXPECT_EQ(HostTextHasFolder(text), c.has) << c.text;
    EXPECT_EQ(host.Count(kHostSelDocumentText335), 0);
  }
}

TEST(HostProcesses, ConfirmIsTrueOnlyForAnswer1) {
  for (int32_t answer : {0, 1, 2, -1}) {
    RecordingHost host;
    host.answer = [answer](int32_t, HostParamBlock& b) { b.param2 = HostWord(answer); };
    const uint8_t text[] = {3, 'O', 'k', '?'};
    EXPECT_EQ(HostConfirm(text), answer == 1) << answer;
    EXPECT_NE(host.calls[0].block.param1, HostAddress(text));  // a local copy goes out
  }
}

TEST(HostProcesses, ReadNamedDataRetriesWithTheExtensionAndDisposesFailures) {
  RecordingHost host;
  std::vector<Tbx::Handle> given;
  std::vector<std::string> names;
  host.answer = [&](int32_t selector, HostParamBlock& b) {
    if (selector != kHostSelReadNamedData) return;
    names.push_back(Pas(b.text));
    given.push_back(Tbx::NewHandle(1));
    b.handle = given.back();
    b.error = names.size() == 1 ? -43 : 0;
  };
  Tbx::Handle handle = 0;
  EXPECT_TRUE(HostReadNamedData(handle, Name("Letter"), FourCC("RTF ")));
  ASSERT_EQ(names.size(), 2u);
  EXPECT_EQ(names[0], "Letter");
  EXPECT_EQ(names[1].substr(0, 7), "Letter.");
  EXPECT_EQ(handle, given[1]);
  Tbx::DisposeHandle(handle);

  // A success without a handle is a failure.
  host.answer = [](int32_t, HostParamBlock& b) { b.error = 0; };
  EXPECT_FALSE(HostReadNamedData(handle, Name("Letter"), FourCC("RTF ")));
  EXPECT_EQ(handle, 0u);
}

TEST(HostProcesses, WriteNamedDataRefusesHandle0WithoutACall) {
  RecordingHost host;
  EXPECT_FALSE(HostWriteNamedData(0, Name("x"), FourCC("TEXT"), 0));
  EXPECT_EQ(host.Count(kHostSelWriteNamedData), 0);
}

}  // namespace
