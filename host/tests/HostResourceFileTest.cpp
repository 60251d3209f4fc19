// The host-kept resource file against a recording host: a file without a
// host reference asks nothing, and the blocks of the calls that add and
// release resources.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>

#include "boundary/FourCC.h"
#include "boundary/HostServiceSelectors.h"
#include "framework/core/containers/VArray.h"
#include "framework/core/containers/VNumericArrays.h"
#include "framework/core/containers/VStringArray.h"
#include "framework/core/strings/VUniString.h"
#include "host/context/VHostResourceFile.h"
#include "host/tests/HostTestSupport.h"

using hosttest::RecordingHost;

namespace {

constexpr uint32_t kType = FourCC("DATA");

// A host that opens its file as reference 5 and answers the other calls
// through `answer`.
struct KeptFileHost {
  RecordingHost host;
  std::function<void(int32_t, HostParamBlock&)> more;
  KeptFileHost() {
    host.answer = [this](int32_t selector, HostParamBlock& block) {
      if (selector == kResSelOpenKept) {
        block.table = 5;
        block.field = 6;
      } else if (more) {
        more(selector, block);
      }
    };
  }
};

}  // namespace

TEST(HostResourceFile, WithoutAHostReferenceNothingIsAsked) {
  RecordingHost host;  // answers nothing: the references stay -1
  VHostResourceFile file;
  EXPECT_FALSE(file.IsOpen());
  host.calls.clear();
  uint8_t found = 7;
  const VStr<255> name = [] {
    VStr<255> s;
    s.SetAnsiCText("x");
    return s;
  }();
  EXPECT_EQ(file.UpdateFile(), 401);
  EXPECT_EQ(file.AddResource(kType, 1, &name, "a", 1), -1);
  EXPECT_EQ(file.GetResource(kType, 1, &found), 0u);
  EXPECT_EQ(found, 0);
  EXPECT_FALSE(file.RemoveResource(kType, 1));
  EXPECT_FALSE(file.RemoveResources(kType));
  EXPECT_EQ(file.CountResources(kType), 0);
  EXPECT_EQ(file.GetResourceIds(kType), nullptr);
  EXPECT_EQ(file.LockResource(1), nullptr);
  file.ReleaseResourceById(kType, 1);
  file.UseFile();
  file.RestoreFile();
  EXPECT_TRUE(host.calls.empty());
}

TEST(HostResourceFile, AddWithIdMinusOneLetsTheHostChoose) {
  KeptFileHost h;
  std::vector<uint8_t> sent;
  h.more = [&](int32_t selector, HostParamBlock& block) {
    if (selector != kResSelAdd) return;
    const auto handle = static_cast<Tbx::Handle>(block.handle);
    const auto* bytes = static_cast<const uint8_t*>(Tbx::HLock(handle));
    sent.assign(bytes, bytes + Tbx::GetHandleSize(handle));
    Tbx::HUnlock(handle);
    Tbx::DisposeHandle(handle);
    block.param2 = 4242;
    block.error = 0;
  };
  VHostResourceFile file;
  ASSERT_TRUE(file.IsOpen());
  EXPECT_EQ(file.AddResource(kType, -1, nullptr, "abc", 3), 4242);
  const HostParamBlock& b = h.host.calls.back().block;
  EXPECT_EQ(b.table, 5);
  EXPECT_EQ(b.flag, 1);
  EXPECT_EQ(b.param1, kType);
  EXPECT_EQ(b.text[0], 0);
  EXPECT_EQ(sent, (std::vector<uint8_t>{'a', 'b', 'c'}));
}

TEST(HostResourceFile, AReleaseByIdForgetsTheObtainedHandleFirst) {
  KeptFileHost h;
  const Tbx::Handle resource = Tbx::NewHandle(4);
  h.more = [&](int32_t selector, HostParamBlock& block) {
    if (selector == kResSelGet) {
      block.handle = resource;
      block.flag = 1;
      block.error = 0;
    } else if (selector == kResSelLoadFlag) {
      block.flag = 1;  // the previous setting
    }
  };
  VHostResourceFile file;
  uint8_t found = 0;
  ASSERT_EQ(file.GetResource(kType, 9, &found), resource);
  ASSERT_EQ(file.CountObtained(), 1u);
  h.host.calls.clear();
  file.ReleaseResourceById(kType, 9);
  std::vector<int32_t> order;
  for (const hosttest::SeenCall& c : h.host.calls) order.push_back(c.selector);
  EXPECT_EQ(order, (std::vector<int32_t>{kResSelLoadFlag, kResSelGet, kResSelLoadFlag,
                                         kResSelForget, kResSelRelease}));
  // The setting goes back as the host gave it.
  EXPECT_EQ(h.host.calls[2].block.flag, 1);
  EXPECT_EQ(h.host.calls[3].block.handle, resource);
  EXPECT_EQ(file.CountObtained(), 0u);
  Tbx::DisposeHandle(resource);
}

// The host's lists come as handles of whole entries: a handle whose size is
// not a whole number of entries gives only the whole ones, an empty handle
// an empty list, a refusal no list.
TEST(HostResourceFile, ListsTakeOnlyTheWholeEntriesOfTheHostsAnswer) {
  struct Case {
    const char* what;
    int32_t selector;
    std::vector<uint8_t> bytes;
    int16_t error;
    int32_t count;  // -1: no list
  } const cases[] = {
      {"ids, whole", kResSelListIds, {0, 1, 0, 2}, 0, 2},
      {"ids, a byte over", kResSelListIds, {0, 1, 0, 2, 9}, 0, 2},
      {"ids, one byte", kResSelListIds, {7}, 0, 0},
      {"ids, empty", kResSelListIds, {}, 0, 0},
      {"ids, refused", kResSelListIds, {0, 1}, -1, -1},
      {"types, three bytes over", kResSelListTypes, {1, 2, 3, 4, 5, 6, 7}, 0, 1},
      {"types, refused", kResSelListTypes, {1, 2, 3, 4}, -192, -1},
      {"names, one record and a part", kResSelListNames, std::vector<uint8_t>(kResNameRecordSize + 10, 1), 0, 1},
      {"names, short of a record", kResSelListNames, std::vector<uint8_t>(kResNameRecordSize - 1, 1), 0, 0},
  };
  for (const Case& c : cases) {
    KeptFileHost h;
    h.more = [&](int32_t selector, HostParamBlock& block) {
      if (selector != c.selector) return;
      const Tbx::Handle handle = Tbx::NewHandle(static_cast<int32_t>(c.bytes.size()));
      if (!c.bytes.empty()) {
        std::memcpy(Tbx::HLock(handle), c.bytes.data(), c.bytes.size());
        Tbx::HUnlock(handle);
      }
      block.handle = handle;
      block.error = c.error;
    };
    VHostResourceFile file;
    ASSERT_TRUE(file.IsOpen()) << c.what;
    std::unique_ptr<VValue> list;
    if (c.selector == kResSelListIds) list.reset(file.GetResourceIds(kType));
    if (c.selector == kResSelListTypes) list.reset(file.GetResourceTypes());
    if (c.selector == kResSelListNames) list.reset(file.GetResourceNames(kType));
    if (c.count < 0) {
      EXPECT_EQ(list, nullptr) << c.what;
      continue;
    }
    ASSERT_NE(list, nullptr) << c.what;
    EXPECT_EQ(static_cast<VArray&>(*list).Count(), c.count) << c.what;
  }
}

// A name record whose length byte runs past the record gives the record's
// characters only, not the next record's.
TEST(HostResourceFile, ANameLengthBeyondItsRecordIsCutToTheRecord) {
  KeptFileHost h;
  std::vector<uint8_t> records(2 * kResNameRecordSize, 'b');
  records[0] = 200;
  records[kResNameRecordSize] = 2;
  h.more = [&](int32_t selector, HostParamBlock& block) {
    if (selector != kResSelListNames) return;
    const Tbx::Handle handle = Tbx::NewHandle(static_cast<int32_t>(records.size()));
    std::memcpy(Tbx::HLock(handle), records.data(), records.size());
    Tbx::HUnlock(handle);
    block.handle = handle;
    block.error = 0;
  };
  VHostResourceFile file;
  std::unique_ptr<VStringArray> names(file.GetResourceNames(kType));
  ASSERT_NE(names, nullptr);
  ASSERT_EQ(names->Count(), 2);
  EXPECT_EQ(hosttest::Str(*names->GetAt(1)), std::string(kResNameRecordSize - 1, 'b'));
  EXPECT_EQ(hosttest::Str(*names->GetAt(2)), "bb");
}

// The four calls outside the interface: the reference and values each sends
// in the block, and what it gives back of the host's answer (the host writes
// 77 at 0, 88 at 2 and the row's error word).
TEST(HostResourceFile, TheFourExtraCallsSendTheirValuesAndGiveBackTheAnswer) {
  const VStr<255> shortText = hosttest::Text("abc");
  const VStr<255> longName = hosttest::Text(std::string(90, 'n').c_str());
  struct Case {
    const char* what;
    int32_t selector;
    std::function<int32_t(VHostResourceFile&, int16_t&)> call;
    std::function<void(const HostParamBlock&)> sent;
    int16_t error;
    int32_t result;
    int16_t out;  // what the call gave back through its pointer
  } const cases[] = {
      {"-349", kResSelCall349,
       [&](VHostResourceFile& f, int16_t& out) {
         return f.HostResCall349(&out, 3, 4, &shortText, 1000, -2);
       },
       [](const HostParamBlock& b) {
         EXPECT_EQ(b.flag, 3);
         EXPECT_EQ(b.flag2, 4);
         EXPECT_EQ(b.text[0], 3);
         EXPECT_EQ(std::memcmp(b.text + 1, "abc", 3), 0);
         EXPECT_EQ(b.param1, 1000u);
         EXPECT_EQ(HostWordOf(b.param2), -2);
       },
       -9, -9, 77},
      {"-350", kResSelCall350,
       [&](VHostResourceFile& f, int16_t& out) {
         out = 12;
         return f.HostResCall350(&out, &longName, 1, 2, 3, -4);
       },
       [](const HostParamBlock& b) {
         EXPECT_EQ(b.field, 12);
         EXPECT_EQ(b.text[0], 80);  // a name goes as at most 80 characters
         EXPECT_EQ(b.param1, 1u);
         EXPECT_EQ(b.param2, 2u);
         EXPECT_EQ(b.param3, 3u);
         EXPECT_EQ(HostWordOf(b.param4), -4);
       },
       0, 0, 88},
      {"-351, answered an error", kResSelCall351,
       [](VHostResourceFile& f, int16_t&) { return int32_t(f.HostResCall351(5, 6, 7, 8, 0xBEEF)); },
       [](const HostParamBlock& b) {
         EXPECT_EQ(b.param1, 5u);
         EXPECT_EQ(b.param4, 8u);
         EXPECT_EQ(b.shortValue, 0xBEEF);
       },
       -1, 1, 0},
      {"-351, answered no error", kResSelCall351,
       [](VHostResourceFile& f, int16_t&) { return int32_t(f.HostResCall351(0, 0, 0, 0, 1)); },
       [](const HostParamBlock& b) { EXPECT_EQ(b.shortValue, 1); }, 0, 0, 0},
      {"-352", kResSelCall352,
       [](VHostResourceFile& f, int16_t&) {
         f.HostResCall352();
         return 0;
       },
       [](const HostParamBlock&) {}, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    KeptFileHost h;
    h.more = [&](int32_t selector, HostParamBlock& block) {
      if (selector != c.selector) return;
      block.table = 77;
      block.field = 88;
      block.error = c.error;
    };
    VHostResourceFile file;
    h.host.calls.clear();
    int16_t out = 0;
    EXPECT_EQ(c.call(file, out), c.result);
    ASSERT_EQ(h.host.calls.size(), 1u);
    EXPECT_EQ(h.host.calls[0].selector, c.selector);
    EXPECT_EQ(h.host.calls[0].block.table, 5);  // the host's reference of the file
    c.sent(h.host.calls[0].block);
    EXPECT_EQ(out, c.out);
  }
  // Without a host reference nothing is asked.
  RecordingHost host;
  VHostResourceFile closed;
  host.calls.clear();
  int16_t out = 5;
  EXPECT_EQ(closed.HostResCall349(&out, 0, 0, nullptr, 0, 0), -1);
  EXPECT_EQ(closed.HostResCall350(&out, nullptr, 0, 0, 0, 0), -1);
  EXPECT_TRUE(closed.HostResCall351(0, 0, 0, 0, 0));
  closed.HostResCall352();
  EXPECT_EQ(out, 5);
  EXPECT_TRUE(host.calls.empty());
}
