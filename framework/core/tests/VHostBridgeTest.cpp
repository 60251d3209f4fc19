// The host bridge: installing one, the neutral answers of a bridge that
// serves only the package's resource conversion, and the fake host that the
// tests of every subsystem use.
#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

#include "framework/core/host/VHostBridge.h"
#include "framework/core/strings/VUniString.h"
#include "platform/toolbox/TbxHandles.h"
#include "testsupport/FakeHost.h"

namespace {

class PackageOnly : public VHostBridge {
 public:
  uint8_t SwapResource(uint8_t, uint32_t, uint32_t, void*) override { return 1; }
};

std::u16string Text(const VString& s) {
  std::u16string text;
  for (int32_t i = 1; i <= s.GetLength(); ++i) text.push_back(s.GetCharAt(i));
  return text;
}

}  // namespace

TEST(HostBridge, SetAnswersTheBridgeItReplaces) {
  VHostBridge* before = VHostBridgeService::Get();
  PackageOnly a, b;
  EXPECT_EQ(VHostBridgeService::Install(&a), before);
  EXPECT_EQ(VHostBridgeService::Get(), &a);
  EXPECT_EQ(VHostBridgeService::Install(&b), &a);
  EXPECT_EQ(VHostBridgeService::Install(before), &b);
}

TEST(HostBridge, CallsNotServedAnswerLikeAHostWithNothingToGive) {
  PackageOnly bridge;
  EXPECT_EQ(bridge.HostGetFieldType(1, 1, 0), -1);
  uint32_t handle = 99, claimed = 99;
  EXPECT_FALSE(bridge.HostGetFieldBlob(1, 1, 0, handle, claimed));
  EXPECT_EQ(handle, 0u);
  EXPECT_EQ(claimed, 0u);
  EXPECT_FALSE(bridge.HostSetFieldBlob(1, 1, 0, 0, 0));
  VDisplayRoutines routines{};
  bridge.HostGetDisplayRoutines(routines);
  EXPECT_EQ(routines.filled, nullptr);
  int32_t pivot = 5, century = 5;
  bridge.HostGetCenturyPivot(pivot, century);
  EXPECT_EQ(pivot, 0);
  EXPECT_EQ(century, 0);
  VStr<15> text;
  EXPECT_EQ(bridge.HostTextToValue(kHostTypeTime, text), 0);
  VHostEventRecord record{};
  EXPECT_EQ(bridge.HostCall362(8, record), 0);
  EXPECT_EQ(bridge.HostCall361(40, record, 0), 0);
  EXPECT_EQ(bridge.HostGetValue164(), 0);
  EXPECT_EQ(bridge.HostOpenWindowAt(text, nullptr, nullptr), 0);
}

TEST(HostBridge, EventRecordKeepsTheHostsFieldOrderWithAPointerSizedMessage) {
  EXPECT_EQ(offsetof(VHostEventRecord, what), 0u);
  EXPECT_EQ(sizeof(VHostEventRecord::message), sizeof(void*));
  EXPECT_LT(offsetof(VHostEventRecord, message), offsetof(VHostEventRecord, when));
  EXPECT_LT(offsetof(VHostEventRecord, when), offsetof(VHostEventRecord, whereV));
  EXPECT_LT(offsetof(VHostEventRecord, whereV), offsetof(VHostEventRecord, whereH));
  EXPECT_LT(offsetof(VHostEventRecord, whereH), offsetof(VHostEventRecord, modifiers));
}

TEST(FakeHost, InstallsItselfAndPutsBackThePrevious) {
  VHostBridge* before = VHostBridgeService::Get();
  {
    FakeHost outer;
    EXPECT_EQ(VHostBridgeService::Get(), &outer);
    {
      FakeHost inner;
      EXPECT_EQ(VHostBridgeService::Get(), &inner);
    }
    EXPECT_EQ(VHostBridgeService::Get(), &outer);
  }
  EXPECT_EQ(VHostBridgeService::Get(), before);
}

TEST(FakeHost, KeepsFieldContentsAndHandsOutCopies) {
  FakeHost host;
  host.SetField(1, 2, kHostFieldBlob, {1, 2, 3});
  EXPECT_EQ(host.HostGetFieldType(1, 2, 0), kHostFieldBlob);
  EXPECT_EQ(host.HostGetFieldType(1, 3, 0), -1);
  uint32_t handle = 0, claimed = 0;
  ASSERT_TRUE(host.HostGetFieldBlob(1, 2, 0, handle, claimed));
  EXPECT_EQ(claimed, 3u);
  EXPECT_EQ(Tbx::GetHandleSize(handle), 3);
  Tbx::DisposeHandle(handle);

  const uint32_t fresh = Tbx::NewHandle(2);
  static_cast<uint8_t*>(Tbx::HLock(fresh))[0] = 9;
  Tbx::HUnlock(fresh);
  ASSERT_TRUE(host.HostSetFieldBlob(1, 2, 0, fresh, 1));
  EXPECT_EQ(host.FieldContent(1, 2), std::vector<uint8_t>{9});
  Tbx::GetHandleSize(fresh);
  EXPECT_EQ(Tbx::MemError(), Tbx::nilHandleErr);  // the host took it
}

TEST(FakeHost, AnswersTheOtherCallsFromItsSettings) {
  FakeHost host;
  host.SetCenturyPivot(30, 1900);
  int32_t pivot = 0, century = 0;
  host.HostGetCenturyPivot(pivot, century);
  EXPECT_EQ(pivot, 30);
  EXPECT_EQ(century, 1900);

  const uint8_t message[] = {5, 'H', 'e', 'l', 'l', 'o'};
  host.HostShowMessage(message);
  ASSERT_EQ(host.Messages().size(), 1u);
  EXPECT_EQ(host.Messages()[0], "Hello");

  host.valueToText = [](uint32_t type, int32_t format, int32_t value) {
    return type == kHostTypeTime && format == 2 && value == 3600 ? u"01:00" : u"?";
  };
  VStrInHandle text;
  host.HostValueToText(kHostTypeTime, 2, 3600, text);
  EXPECT_EQ(Text(text), u"01:00");
  host.textToValue = [](uint32_t, const std::u16string& t) { return t == u"01:00" ? 3600 : -1; };
  EXPECT_EQ(host.HostTextToValue(kHostTypeTime, text), 3600);

  host.SetLookValue(3);
  EXPECT_EQ(host.HostGetValue164(), 3);
}

TEST(FakeHost, EventsAreSeenByMaskAndTakenInOrder) {
  FakeHost host;
  VHostEventRecord mouse{};
  mouse.what = 1;
  VHostEventRecord key{};
  key.what = 3;
  key.message = 'a';
  host.QueueEvent(mouse);
  host.QueueEvent(key);
  VHostEventRecord seen{};
  EXPECT_EQ(host.HostCall362(8, seen), 1);
  const uint32_t message = seen.message;  // packed: read by value, never by reference
  EXPECT_EQ(message, uint32_t('a'));
  EXPECT_EQ(host.HostCall362(8, seen), 1);  // still waiting: only looked at
  EXPECT_EQ(host.HostCall361(40, seen, 0), 1);
  EXPECT_EQ(host.HostCall362(8, seen), 0);
  EXPECT_EQ(host.HostCall361(2, seen, 0), 1);
  const uint16_t what = seen.what;
  EXPECT_EQ(what, 1);
}
