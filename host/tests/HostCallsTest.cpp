// The further host calls: list entries within the host's count, data sent
// and taken back by handle, picture answers, and calls made only under the
// host's fourth start-up flag.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "framework/core/strings/VUniString.h"
#include "host/context/HostCalls.h"
#include "host/tests/HostTestSupport.h"

namespace {

using hosttest::RecordingHost;

using hosttest::Str;

TEST(HostCalls, ListEntriesWithinTheCountElseUnknow) {
  RecordingHost host;
  // Two 32-byte names; the host claims `count` of them.
  const Tbx::Handle names = Tbx::NewHandle(64);
  auto* p = static_cast<uint8_t*>(Tbx::HLock(names));
  std::memset(p, 0, 64);
  p[0] = 3;
  std::memcpy(p + 1, "One", 3);
  p[32] = 200;  // a length beyond the record: cut to 31
  std::memset(p + 33, 'z', 31);
  Tbx::HUnlock(names);
  struct Case {
    int32_t count, index;
    std::string expected;
  };
  const Case cases[] = {{2, 1, "One"}, {2, 2, std::string(31, 'z')}, {2, 3, "Unknow"}, {2, 0, "Unknow"},
                        {5, 3, "Unknow"}};  // a count beyond the handle reads nothing outside it
  for (const Case& c : cases) {
    host.answer = [&](int32_t, HostParamBlock& b) {
      b.handle = names;
      b.param1 = HostWord(c.count);
    };
    VStr<255> text;
    HostGetListEntry112(c.index, text);
    EXPECT_EQ(Str(text), c.expected) << c.count << " " << c.index;
  }
  Tbx::DisposeHandle(names);
}

TEST(HostCalls, PackageDataOnlyUnderTheFourthFlag) {
  RecordingHost host;
  EXPECT_EQ(HostGetBlob102(1, 2), 0u);
  EXPECT_FALSE(HostSetBlob103(1, 2, 0, 0));
  EXPECT_EQ(host.calls.size(), 0u);
}

TEST(HostCalls, SentDataIsDisposedUnlessTheHostKeepsIt) {
  for (int16_t kind : {0, 3}) {
    RecordingHost host;
    Tbx::Handle sent = 0;
    host.answer = [&](int32_t, HostParamBlock& b) {
      sent = static_cast<Tbx::Handle>(b.handle);
      b.error = kind;
    };
    const uint8_t text[] = {1, 'x'};
    const uint8_t data[4] = {1, 2, 3, 4};
    EXPECT_EQ(HostSendBlob106(text, data, 4), 0);
    ASSERT_NE(sent, 0u);
    const int32_t size = Tbx::GetHandleSize(sent);
    if (kind == 3) {
      EXPECT_EQ(size, 4);
      Tbx::DisposeHandle(sent);
    } else {
      EXPECT_NE(Tbx::MemError(), Tbx::noErr);
    }
  }
}

TEST(HostCalls, ExchangedDataReplacesTheTextAndFollowsWith82) {
  RecordingHost host;
  host.answer = [](int32_t selector, HostParamBlock& b) {
    if (selector != -248) return;
    const Tbx::Handle h = Tbx::NewHandle(5);
    std::memcpy(Tbx::HLock(h), "after", 5);
    Tbx::HUnlock(h);
    Tbx::DisposeHandle(static_cast<Tbx::Handle>(b.handle));
    b.handle = h;
    b.param1 = 7;
  };
  VStr<255> text;
  text.SetAnsiCText("before");
  EXPECT_EQ(HostExchangeObjectData(text, 3), 7);
  EXPECT_EQ(Str(text), "after");
  EXPECT_EQ(host.Count(-82), 1);
  host.answer = nullptr;
  EXPECT_EQ(HostExchangeObjectData(text, 3), 0);
  EXPECT_EQ(Str(text), "after");
  EXPECT_EQ(host.Count(-82), 1);
}

TEST(HostCalls, PictureCallsCopy178BytesOfAnAnsweredAddress) {
  RecordingHost host;
  static uint8_t answer[178];
  std::memset(answer, 0x5A, sizeof answer);
  host.answer = [](int32_t, HostParamBlock& b) { b.param1 = HostAddress(answer); };
  uint8_t out[180];
  std::memset(out, 0, sizeof out);
  const int32_t area[4] = {10, 20, 30, 40};
  EXPECT_TRUE(HostPictureCallMREC(1, 2, area, 3, 4, out));
  EXPECT_EQ(out[177], 0x5A);
  EXPECT_EQ(out[178], 0);
  EXPECT_EQ(host.calls[0].block.handle, FourCC("MREC"));
  host.answer = nullptr;
  EXPECT_FALSE(HostPictureCallHRGN(1, 2, 0, 3, 4, out));
}

}  // namespace
