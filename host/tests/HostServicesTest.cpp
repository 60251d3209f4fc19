// The host service wrappers: what each writes into the block for its
// selector, and how it reads the host's answer, failures included.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "framework/core/host/VHostBridge.h"
#include "framework/core/strings/VUniString.h"
#include "framework/system/resources/VMacResourceFile.h"
#include "host/context/HostServices.h"
#include "host/tests/HostTestSupport.h"

namespace {

using hosttest::RecordingHost;

using hosttest::Str;

TEST(HostServices, ModuleStateCarriesTheFlagAndTheInstance) {
  RecordingHost host;
  int instance = 0;
  HostTellModuleState(1, &instance);
  HostTellModuleState(0, &instance);
  ASSERT_EQ(host.calls.size(), 2u);
  EXPECT_EQ(host.calls[0].selector, kHostSelModuleState);
  EXPECT_EQ(host.calls[0].block.flag, 1);
  EXPECT_EQ(host.calls[0].block.handle, HostAddress(&instance));
  EXPECT_EQ(host.calls[1].block.flag, 0);
}

TEST(HostServices, PathAsksForPATHWithABufferOf260) {
  RecordingHost host;
  host.folder = "/tmp/some folder/";
  char path[kHostPathBufferSize];
  EXPECT_TRUE(HostGetPath(path));
  EXPECT_STREQ(path, "/tmp/some folder/");
  ASSERT_EQ(host.Count(kHostSelGetPath), 1);
  const HostParamBlock& b = host.calls[0].block;
  EXPECT_EQ(HostWordOf(b.param2), static_cast<int32_t>(FourCC("PATH")));
  EXPECT_EQ(b.param3, HostAddress(path));
  EXPECT_EQ(HostWordOf(b.param4), 260);
}

TEST(HostServices, PathIsNoneWhenTheHostWritesNothing) {
  RecordingHost host;
  char path[kHostPathBufferSize];
  std::memset(path, 'x', sizeof path);
  EXPECT_FALSE(HostGetPath(path));
  EXPECT_EQ(path[0], 0);
}

TEST(HostServices, PathWithoutTerminatorIsCutInsideTheBuffer) {
  RecordingHost host;
  host.answer = [](int32_t selector, HostParamBlock& b) {
    if (selector == kHostSelGetPath) std::memset(HostPointer<char>(b.param3), 'a', kHostPathBufferSize);
  };
  char path[kHostPathBufferSize];
  EXPECT_TRUE(HostGetPath(path));
  EXPECT_EQ(std::strlen(path), kHostPathBufferSize - 1);
}

TEST(HostServices, MessageGoesAsTheAddressOfALocalCopy) {
  RecordingHost host;
  const std::vector<uint8_t> text = hosttest::Pascal("Hello");
  const uint8_t* seen = nullptr;
  host.answer = [&](int32_t, HostParamBlock& b) { seen = HostPointer<const uint8_t>(b.param1); };
  HostShowMessage(text.data());
  EXPECT_EQ(host.Messages(), std::vector<std::string>{"Hello"});
  EXPECT_NE(seen, text.data());
  HostShowMessage(nullptr);
  EXPECT_EQ(host.Count(kHostSelShowMessage), 1);
}

TEST(HostServices, StringListItemShownOnlyWhenNotEmpty) {
  hosttest::TempDir dir;
  ASSERT_TRUE(hosttest::WriteResourceFile(dir.Path("r"), {{FourCC("STR#"), 7, "", hosttest::StringList({"One", "", "Three"})}}));
  hosttest::OpenResourceFile open(dir.Path("r"), nullptr);
  VMacResourceFile file(open.ref);
  RecordingHost host;
  ShowStringListItem(&file, 7, 2);
  ShowStringListItem(&file, 7, 4);
  ShowStringListItem(&file, 8, 1);
  ShowStringListItem(&file, 7, 3);
  ShowStringListItem(nullptr, 7, 1);
  EXPECT_EQ(host.Messages(), std::vector<std::string>{"Three"});
}

TEST(HostServices, AStringListItemReachesTheHostByteForByte) {
  // Every byte but 0, at the length an item can have.
  std::string bytes;
  for (int c = 1; c <= 255; ++c) bytes += static_cast<char>(c);
  hosttest::TempDir dir;
  ASSERT_TRUE(hosttest::WriteResourceFile(dir.Path("r"), {{FourCC("STR#"), 9, "", hosttest::StringList({"x", bytes})}}));
  hosttest::OpenResourceFile open(dir.Path("r"), nullptr);
  VMacResourceFile file(open.ref);
  RecordingHost host;
  ShowStringListItem(&file, 9, 2);
  EXPECT_EQ(host.Messages(), std::vector<std::string>{bytes});
}

TEST(HostServices, FieldTypeSendsTheOptionAs911) {
  RecordingHost host;
  host.answer = [](int32_t, HostParamBlock& b) {
    b.error = 0;
    b.param1 = 30;
  };
  EXPECT_EQ(HostGetFieldType(3, 4, true), 30);
  EXPECT_EQ(HostGetFieldType(3, 4, false), 30);
  ASSERT_EQ(host.calls.size(), 2u);
  EXPECT_EQ(host.calls[0].selector, kHostSelFieldInfo);
  EXPECT_EQ(host.calls[0].block.table, 3);
  EXPECT_EQ(host.calls[0].block.field, 4);
  EXPECT_EQ(host.calls[0].block.param1, 0u);
  EXPECT_EQ(host.calls[0].block.param4, 911u);
  EXPECT_EQ(host.calls[1].block.param4, 0u);
}

TEST(HostServices, FieldTypeIsMinusOneOnAnErrorOrASilentHost) {
  RecordingHost host;
  EXPECT_EQ(HostGetFieldType(1, 1, false), -1);
  host.answer = [](int32_t, HostParamBlock& b) {
    b.error = 5;
    b.param1 = 2;
  };
  EXPECT_EQ(HostGetFieldType(1, 1, false), -1);
}

// A host whose field 1.1 has the given type and hands out these bytes.
void ServeField(RecordingHost& host, int16_t type, const std::vector<uint8_t>& bytes, int16_t claimed) {
  host.answer = [=](int32_t selector, HostParamBlock& b) {
    b.error = 0;
    if (selector == kHostSelFieldInfo) b.param1 = HostWord(type);
    if (selector == kHostSelGetField) {
      Tbx::Handle h = Tbx::NewHandle(static_cast<int32_t>(bytes.size()));
      if (!bytes.empty()) {
        std::memcpy(Tbx::HLock(h), bytes.data(), bytes.size());
        Tbx::HUnlock(h);
      }
      b.valueHandle = h;
      b.textLength = claimed;
    }
  };
}

TEST(HostServices, FieldBlobOfABlobFieldHandsOverTheHandle) {
  RecordingHost host;
  ServeField(host, 30, {1, 2, 3}, 3);
  uint32_t handle = 0, claimed = 0;
  ASSERT_TRUE(HostGetFieldBlob(1, 1, false, handle, claimed));
  EXPECT_EQ(claimed, 3u);
  EXPECT_EQ(Tbx::GetHandleSize(handle), 3);
  Tbx::DisposeHandle(handle);
  EXPECT_EQ(host.Count(kHostSelFieldInfo), 1);
  EXPECT_EQ(host.Count(kHostSelGetField), 1);
}

TEST(HostServices, FieldBlobOfAnAlphaFieldAsksForNoBytes) {
  RecordingHost host;
  ServeField(host, 0, {1, 2, 3}, 3);
  uint32_t handle = 7, claimed = 7;
  EXPECT_FALSE(HostGetFieldBlob(1, 1, false, handle, claimed));
  EXPECT_EQ(handle, 0u);
  EXPECT_EQ(claimed, 0u);
  EXPECT_EQ(host.Count(kHostSelGetField), 0);
}

TEST(HostServices, EmptyFieldBlobIsNoContentAndItsHandleIsDisposed) {
  RecordingHost host;
  ServeField(host, 2, {}, 0);
  uint32_t handle = 0, claimed = 0;
  EXPECT_FALSE(HostGetFieldBlob(1, 1, false, handle, claimed));
  EXPECT_EQ(handle, 0u);
}

TEST(HostServices, SettingABlobCutsTheHandleToTheDataFirst) {
  RecordingHost host;
  int32_t sizeSeen = -1;
  int16_t lengthSeen = -1;
  host.answer = [&](int32_t selector, HostParamBlock& b) {
    b.error = 0;
    if (selector == kHostSelFieldInfo) b.param1 = 2;
    if (selector == kHostSelSetField) {
      sizeSeen = Tbx::GetHandleSize(b.valueHandle);
      lengthSeen = b.textLength;
    }
  };
  Tbx::Handle h = Tbx::NewHandle(100);
  EXPECT_TRUE(HostSetFieldBlob(1, 1, false, h, 40));
  EXPECT_EQ(sizeSeen, 40);
  EXPECT_EQ(lengthSeen, 40);
  Tbx::DisposeHandle(h);
}

TEST(HostServices, SettingABlobLongerThanItsHandleIsRefusedUnsent) {
  RecordingHost host;
  host.answer = [](int32_t selector, HostParamBlock& b) {
    b.error = 0;
    if (selector == kHostSelFieldInfo) b.param1 = 30;
  };
  Tbx::Handle h = Tbx::NewHandle(10);
  EXPECT_FALSE(HostSetFieldBlob(1, 1, false, h, 11));
  EXPECT_FALSE(HostSetFieldBlob(1, 1, false, 0, 0));
  EXPECT_EQ(host.Count(kHostSelSetField), 0);
  Tbx::DisposeHandle(h);
}

TEST(HostServices, SettingABlobReportsTheHostsRefusal) {
  RecordingHost host;
  host.answer = [](int32_t selector, HostParamBlock& b) {
    b.error = selector == kHostSelSetField ? 1 : 0;
    if (selector == kHostSelFieldInfo) b.param1 = 3;
  };
  Tbx::Handle h = Tbx::NewHandle(4);
  EXPECT_FALSE(HostSetFieldBlob(1, 1, false, h, 4));
  Tbx::DisposeHandle(h);
}

TEST(HostServices, DisplayRoutinesGoAsTheTablesAddress) {
  RecordingHost host;
  VDisplayRoutines routines{};
  HostGetDisplayRoutines(routines);
  ASSERT_EQ(host.Count(kHostSelDisplayRoutines), 1);
  EXPECT_EQ(host.calls[0].block.param1, HostAddress(&routines));
}

TEST(HostServices, CenturyPivotReadsTheTwoWords) {
  RecordingHost host;
  host.answer = [](int32_t, HostParamBlock& b) {
    b.param1 = 30;
    b.param2 = 1900;
  };
  int32_t pivot = 0, century = 0;
  HostGetCenturyPivot(pivot, century);
  EXPECT_EQ(pivot, 30);
  EXPECT_EQ(century, 1900);
}

TEST(HostServices, TimeTextsTravelAtTheSecondText) {
  RecordingHost host;
  host.answer = [](int32_t selector, HostParamBlock& b) {
    if (selector == kHostSelValueToText) {
      b.text2[0] = 5;
      std::memcpy(b.text2 + 1, "10:00", 5);
    } else {
      b.longValue = 36000;
    }
  };
  VStr<80> text;
  HostValueToText(11, 3, 36000, text);
  EXPECT_EQ(Str(text), "10:00");
  const HostParamBlock& sent = host.calls[0].block;
  EXPECT_EQ(sent.param1, 11u);
  EXPECT_EQ(sent.param2, 3u);
  EXPECT_EQ(sent.longValue, 36000u);

  VStr<127> longText;
  longText.SetChars(std::string(100, '9').c_str(), 0, 100, kCharSetMac);
  EXPECT_EQ(HostTextToValue(11, longText), 36000);
  EXPECT_EQ(host.calls[1].selector, kHostSelTextToValue);
  EXPECT_EQ(host.calls[1].block.text2[0], 80);
  EXPECT_EQ(host.calls[1].block.longValue, 0u);
}

TEST(HostServices, EventCallsCarryTheMaskAndTheRecord) {
  RecordingHost host;
  host.answer = [](int32_t selector, HostParamBlock& b) {
    auto* r = HostPointer<HostEventRecord>(b.handle);
    r->what = 3;
    r->message = 'a';
    if (selector == kHostSelPeekEvent) b.flag = 1;
    if (selector == kHostSelTakeEvent) b.param4 = 1;
  };
  HostEventRecord record{};
  EXPECT_EQ(HostCall362(8, record), 1);
  EXPECT_EQ(record.what, 3);
  EXPECT_EQ(HostCall361(40, record, 0), 1);
  EXPECT_EQ(HostWordOf(host.calls[0].block.param1), 8);
  EXPECT_EQ(HostWordOf(host.calls[1].block.param1), 40);
  EXPECT_EQ(host.calls[1].block.param3, 0u);
}

TEST(HostServices, MaskIsSignExtended) {
  RecordingHost host;
  HostEventRecord record{};
  HostCall362(-1, record);
  EXPECT_EQ(HostWordOf(host.calls[0].block.param1), -1);
}

TEST(HostServices, LookIsTheWordAt272) {
  RecordingHost host;
  host.answer = [](int32_t, HostParamBlock& b) { b.param1 = 3; };
  EXPECT_EQ(HostGetValue164(), 3);
  EXPECT_EQ(host.calls[0].selector, kHostSelLook);
}

TEST(HostServices, WindowAtAPlaceSendsWHERAndTheCoordinates) {
  RecordingHost host;
  VStr<15> text;
  text.SetChars("tip", 0, 3, kCharSetMac);
  const int16_t box[4] = {1, 2, 3, 4};
  const int32_t place[2] = {10, 20};
  HostOpenWindowAt(text, box, place);
  HostOpenWindowAt(text, box, nullptr);
  const HostParamBlock& a = host.calls[0].block;
  EXPECT_EQ(HostWordOf(a.param2), static_cast<int32_t>(FourCC("WHER")));
  EXPECT_EQ(a.param3, 10u);
  EXPECT_EQ(a.param4, 20u);
  EXPECT_EQ(a.text2[0], 3);
  EXPECT_EQ(host.calls[1].block.param2, 0u);
}

TEST(HostServices, NoCallbackNoCall) {
  SetHostCallback(nullptr);
  EXPECT_EQ(HostGetFieldType(1, 1, false), -1);
  char path[kHostPathBufferSize];
  EXPECT_FALSE(HostGetPath(path));
}

}  // namespace
