// Host routine calls by name, and the values held in handles and host records.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "boundary/HostServiceSelectors.h"
#include "framework/core/strings/VUniString.h"
#include "framework/core/values/VLong.h"
#include "framework/core/values/VLongLong.h"
#include "framework/core/values/VReal.h"
#include "host/context/HostVariables.h"
#include "host/context/VHostRoutineCall.h"
#include "host/tests/HostTestSupport.h"
#include "host/values/VHostValues.h"
#include "platform/toolbox/TbxHandleState.h"

using hosttest::RecordingHost;

namespace {

using hosttest::Text;

std::string Pascal(const uint8_t* p) {
  return std::string(reinterpret_cast<const char*>(p) + 1, p[0]);
}

// A host that knows "Twice" as routine 7: the result is twice the first
// argument. It records what each run saw.
struct RoutineHost {
  RecordingHost host;
  std::vector<int32_t> handleSizes;
  std::vector<uint8_t> firstArgumentTypes;
  std::vector<uintptr_t> released;
  RoutineHost() {
    host.answer = [this](int32_t selector, HostParamBlock& block) {
      if (selector == kHostSelFindRoutine) {
        block.param1 = Pascal(block.text) == "Twice" ? 7 : 0;
      } else if (selector == kHostSelRunRoutine) {
        const int32_t size = Tbx::GetHandleSize(static_cast<Tbx::Handle>(block.handle));
        handleSizes.push_back(size);
        auto* e =
            static_cast<HostVariableEntry*>(Tbx::HLock(static_cast<Tbx::Handle>(block.handle)));
        firstArgumentTypes.push_back(size >= 520 ? e[1].type : 0xFF);
        if (e[0].type == kHostUndefined && size >= 520 && e[1].type == kHostReal) {
          e[0].type = kHostReal;
          e[0].value.real = e[1].value.real * 2;
        }
        Tbx::HUnlock(static_cast<Tbx::Handle>(block.handle));
      } else if (selector == kHostSelReleaseEntry) {
        released.push_back(block.param1);
      }
    };
  }
};

}  // namespace

TEST(HostRoutineCall, RunsTheRoutineWithItsArgumentsAndReleasesEveryEntry) {
  RoutineHost h;
  VHostRoutineCall call(Text("Twice"));
  VReal three(3.5);
  std::unique_ptr<VValue> result(call.CallFunction({&three}));
  ASSERT_NE(result, nullptr);
  EXPECT_EQ(result->GetKind(), kValueReal);
  EXPECT_DOUBLE_EQ(result->GetReal(kWholeValue), 7.0);
  ASSERT_EQ(h.handleSizes.size(), 1u);
  EXPECT_EQ(h.handleSizes[0], 2 * 260);
  EXPECT_EQ(h.firstArgumentTypes[0], kHostReal);
  // Entries 0 and 1 go back with 410, one after the other, 260 bytes apart.
  ASSERT_EQ(h.released.size(), 2u);
  EXPECT_EQ(h.released[1] - h.released[0], 260u);
  EXPECT_EQ(h.host.Count(kHostSelReleaseEntryOld), 0);
  EXPECT_EQ(call.GetRoutineNumber(), 7);
}

TEST(HostRoutineCall, LooksUpOnceUntilRenamed) {
  RoutineHost h;
  VHostRoutineCall call(Text("Twice"));
  std::unique_ptr<VValue> a(call.CallFunction({}));
  std::unique_ptr<VValue> b(call.CallFunction({}));
  EXPECT_EQ(h.host.Count(kHostSelFindRoutine), 1);
  EXPECT_EQ(h.host.Count(kHostSelRunRoutine), 2);
  // Without arguments one entry of 260 bytes still travels, for the result.
  EXPECT_EQ(h.handleSizes[0], 260);
  call.SetName(Text("Twice"));
  std::unique_ptr<VValue> c(call.CallFunction({}));
  EXPECT_EQ(h.host.Count(kHostSelFindRoutine), 2);
}

TEST(HostRoutineCall, AnArgumentWithoutHostFormGoesUndefined) {
  RoutineHost h;
  VHostRoutineCall call(Text("Twice"));
  VLongLong big(1);
  std::unique_ptr<VValue> result(call.CallFunction({&big}));
  ASSERT_EQ(h.firstArgumentTypes.size(), 1u);
  EXPECT_EQ(h.firstArgumentTypes[0], kHostUndefined);
}

TEST(HostRoutineCall, AnUnknownRoutineRunsNothingAndIsAskedForAgain) {
  RoutineHost h;
  VHostRoutineCall call(Text("Nothing"));
  VLong one(1);
  EXPECT_EQ(call.CallFunction({&one}), nullptr);
  EXPECT_EQ(call.CallFunction({&one}), nullptr);
  EXPECT_EQ(h.host.Count(kHostSelFindRoutine), 2);
  EXPECT_EQ(h.host.Count(kHostSelRunRoutine), 0);
  EXPECT_EQ(h.host.Count(kHostSelReleaseEntry), 0);
}

TEST(HostRecordValue, ClassifiesByItsNumbers) {
  struct Case {
    int16_t table;
    int16_t field;
    int32_t expected;
  } const cases[] = {{0, 0, 0}, {3, 0, 2}, {3, 7, 3}, {0, 7, 0}};
  for (const Case& c : cases) {
    VHostRecordValue value(c.table, c.field);
    EXPECT_EQ(value.Classify(), c.expected) << c.table << "." << c.field;
  }
  uint8_t variable[kHostRecordSize] = {1};
  EXPECT_EQ(VHostRecordValue(variable).Classify(), 1);
}

TEST(HostRecordValue, FetchesTheNamedRecordFromTheHost) {
  struct Case {
    int32_t index;
    int32_t scope;
    std::string sent;
  } const cases[] = {{0, 1, "Rec{0}"}, {12, 1, "Rec{12}"}, {-1, 1, "Rec"}, {-1, 2, "\xD7Rec"}};
  for (const Case& c : cases) {
    RecordingHost host;
    std::string seen;
    host.answer = [&](int32_t selector, HostParamBlock& block) {
      if (selector != kHostSelRecordByName) return;
      seen = Pascal(block.text);
      uint8_t record[kHostRecordSize] = {};
      record[0] = 0;
      const int16_t table = 4, field = 9;
      std::memcpy(record + 2, &field, 2);
      std::memcpy(record + 4, &table, 2);
      record[37] = 0x5A;
      const Tbx::Handle h = Tbx::NewHandle(kHostRecordSize);
      std::memcpy(Tbx::HLock(h), record, kHostRecordSize);
      Tbx::HUnlock(h);
      block.handle = h;
    };
    VHostRecordValue value(Text("Rec"), c.index, c.scope);
    EXPECT_EQ(seen, c.sent);
    EXPECT_EQ(value.Classify(), 3);
    EXPECT_EQ(value.GetRecord()[37], 0x5A);
  }
}

TEST(HostRecordValue, AnUnknownVariableIsAllZeros) {
  RecordingHost host;
  VHostRecordValue value(Text("Missing"), -1, 1);
  const uint8_t zeros[kHostRecordSize] = {};
  EXPECT_EQ(std::memcmp(value.GetRecord(), zeros, kHostRecordSize), 0);
  EXPECT_EQ(value.Classify(), 0);
}

TEST(HostValues, RecordsAndBlobsCrossTheHostEntries) {
  // A record value becomes a type-23 entry with a 38-byte handle.
  VHostRecordValue record(5, 6);
  HostVariableEntry entry{};
  ValueToHostVariable(record, entry);
  ASSERT_EQ(entry.type, kHostRecord);
  const uint32_t recordHandle = entry.value.recordHandle;
  ASSERT_NE(recordHandle, 0u);
  EXPECT_EQ(Tbx::GetHandleSize(recordHandle), 38);
  EXPECT_EQ(std::memcmp(Tbx::HLock(recordHandle), record.GetRecord(), 38), 0);
  Tbx::HUnlock(recordHandle);
  // A record entry gives no value back.
  EXPECT_EQ(HostVariableToValue(entry, false), nullptr);
  Tbx::DisposeHandle(recordHandle);

  // A handle value becomes a BLOB entry and comes back with its bytes.
  const uint8_t bytes[5] = {1, 2, 3, 4, 5};
  VHandleValue blob(bytes, 5);
  HostVariableEntry b{};
  ValueToHostVariable(blob, b);
  ASSERT_EQ(b.type, kHostBlob);
  const uint32_t blobSize = b.value.data.size;
  EXPECT_EQ(blobSize, 5u);
  std::unique_ptr<VValue> back(HostVariableToValue(b, true));
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->GetKind(), kValueHandle);
  auto& handle = static_cast<VHandleValue&>(*back);
  ASSERT_EQ(handle.GetSize(), 5u);
  EXPECT_EQ(std::memcmp(handle.Lock(), bytes, 5), 0);
  handle.Unlock();
  // Taken: the entry no longer holds the handle.
  const uint32_t leftHandle = b.value.data.handle, leftSize = b.value.data.size;
  EXPECT_EQ(leftHandle, 0u);
  EXPECT_EQ(leftSize, 0u);
}

TEST(HostValues, ABlobEntryClaimingMoreThanItsHandleGivesOnlyWhatIsThere) {
  const Tbx::Handle h = Tbx::NewHandle(3);
  std::memcpy(Tbx::HLock(h), "abc", 3);
  Tbx::HUnlock(h);
  HostVariableEntry entry{};
  entry.type = kHostBlob;
  entry.value.data.handle = h;
  entry.value.data.size = 1000;
  std::unique_ptr<VValue> value(HostVariableToValue(entry, true));
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(static_cast<VHandleValue&>(*value).GetSize(), 3u);
  // An empty BLOB gives none.
  HostVariableEntry empty{};
  empty.type = kHostBlob;
  EXPECT_EQ(HostVariableToValue(empty, false), nullptr);
}

TEST(HostValues, HandleAndRecordValuesCloneAndDoNotOrder) {
  const uint8_t bytes[3] = {9, 8, 7};
  VHandleValue blob(bytes, 3);
  std::unique_ptr<VValue> copy(blob.Clone());
  EXPECT_EQ(copy->GetKind(), 9);
  EXPECT_FALSE(copy->IsSingle());
  EXPECT_EQ(copy->Compare(blob, 0, 0), -1000);
  EXPECT_EQ(std::memcmp(static_cast<VHandleValue&>(*copy).Lock(), bytes, 3), 0);
  static_cast<VHandleValue&>(*copy).Unlock();
  VHandleValue none;
  EXPECT_EQ(none.Lock(), nullptr);
  std::unique_ptr<VValue> noneCopy(none.Clone());
  EXPECT_EQ(static_cast<VHandleValue&>(*noneCopy).GetSize(), 0u);

  VHostRecordValue record(2, 3);
  std::unique_ptr<VValue> recordCopy(record.Clone());
  EXPECT_EQ(recordCopy->GetKind(), 13);
  EXPECT_EQ(
      std::memcmp(static_cast<VHostRecordValue&>(*recordCopy).GetRecord(), record.GetRecord(), 38),
      0);
}
