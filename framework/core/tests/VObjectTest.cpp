// VObject: heap-backed creation, the default answers, and loading and saving
// through handles and blocks.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "framework/core/VObject.h"
#include "framework/core/memory/VHeap.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/VStream.h"

namespace {

class Plain : public VObject {};

// A record of a 16-bit count and that many 32-bit values, stored big-endian.
class Record : public VObject {
 public:
  int32_t WriteToStream(VStream& stream, uint32_t tag) override {
    lastTag = tag;
    stream.SetByteOrders(-2, -1);
    stream.PutWord(int16_t(values.size()));
    return stream.PutLongArray(values.data(), uint32_t(values.size()));
  }
  int32_t ReadFromStream(VStream& stream, uint32_t tag) override {
    lastTag = tag;
    stream.SetByteOrders(-2, -1);
    int16_t count = 0;
    if (stream.ReadShort(count) != 0) return stream.GetStatus();
    if (count < 0) return kStreamEndOfData;
    values.assign(uint16_t(count), 0);
    uint32_t n = uint32_t(count);
    return stream.GetLongArray(values.data(), n);
  }
  std::vector<int32_t> values;
  uint32_t lastTag = 0xFFFFFFFF;
};

std::vector<uint8_t> HandleBytes(VMemHandle h) {
  const uint32_t size = gMemoryMgr->GetHandleSize(h);
  std::vector<uint8_t> bytes(size);
  if (size) {
    std::memcpy(bytes.data(), gMemoryMgr->LockHandle(h), size);
    gMemoryMgr->UnlockHandle(h);
  }
  return bytes;
}

}  // namespace

TEST(Object, ComesFromTheFrameworkHeap) {
  Plain* object = new Plain;
  EXPECT_TRUE(object->IsHeapBlock());
  EXPECT_EQ(gHeap->Classify(object), kHeapUsedPayloadStart);
  delete object;
  Plain onStack;
  EXPECT_FALSE(onStack.IsHeapBlock());
}

TEST(Object, DeleteOfNullDoesNothing) {
  Plain* none = nullptr;
  const uint64_t used = gHeap->GetUsedBytes();
  delete none;
  EXPECT_EQ(gHeap->GetUsedBytes(), used);
}

TEST(Object, DeleteGivesTheBlockBack) {
  const uint64_t used = gHeap->GetUsedBytes();
  Plain* object = new Plain;
  EXPECT_GT(gHeap->GetUsedBytes(), used);
  delete object;
  EXPECT_EQ(gHeap->GetUsedBytes(), used);
}

TEST(Object, StreamingIsRefusedByDefault) {
  Plain object;
  VMemHandle h = 0;
  EXPECT_EQ(object.SaveToHandle(h, 0), -2);
  ASSERT_NE(h, 0u);
  EXPECT_EQ(gMemoryMgr->GetHandleSize(h), 0u);
  EXPECT_FALSE(gMemoryMgr->IsLocked(h));
  gMemoryMgr->DisposeHandle(h);
  const uint8_t block[4] = {};
  EXPECT_EQ(object.LoadFromBlock(block, 4, kTagVVAL), -2);
}

TEST(Object, GetPersistInfoStoresZeroAndAnswersOne) {
  Plain object;
  uint32_t info = 77;
  EXPECT_EQ(object.GetPersistInfo(5, &info), 1);
  EXPECT_EQ(info, 0u);
}

TEST(Object, SaveToZeroHandleMakesOneOfExactlyTheWrittenLength) {
  Record record;
  record.values = {1, -2, 0x01020304};
  VMemHandle h = 0;
  EXPECT_EQ(record.SaveToHandle(h, kTagVVAL), 0);
  EXPECT_EQ(record.lastTag, kTagVVAL);
  ASSERT_NE(h, 0u);
  EXPECT_EQ(HandleBytes(h), (std::vector<uint8_t>{0, 3, 0, 0, 0, 1, 0xFF, 0xFF, 0xFF, 0xFE,
                                                  1, 2, 3, 4}));
  EXPECT_FALSE(gMemoryMgr->IsLocked(h));

  Record back;
  EXPECT_EQ(back.LoadFromHandle(h, 0), 0);
  EXPECT_EQ(back.lastTag, 0u);
  EXPECT_EQ(back.values, record.values);
  EXPECT_FALSE(gMemoryMgr->IsLocked(h));
  gMemoryMgr->DisposeHandle(h);
}

TEST(Object, SaveOverALongerHandleTrimsIt) {
  std::vector<uint8_t> old(500, 0xEE);
  VMemHandle h = gMemoryMgr->NewHandleFromData(old.data(), 500);
  Record record;
  record.values = {7};
  EXPECT_EQ(record.SaveToHandle(h, 0), 0);
  EXPECT_EQ(HandleBytes(h), (std::vector<uint8_t>{0, 1, 0, 0, 0, 7}));
  gMemoryMgr->DisposeHandle(h);
}

TEST(Object, SaveToALockedHandleIs204AndLeavesIt) {
  VMemHandle h = gMemoryMgr->NewHandleFromData("abc", 3);
  gMemoryMgr->LockHandle(h);
  Record record;
  record.values = {1};
  VMemHandle ref = h;
  EXPECT_EQ(record.SaveToHandle(ref, 0), kStreamHandleLocked);
  EXPECT_EQ(ref, h);
  gMemoryMgr->UnlockHandle(h);
  EXPECT_EQ(HandleBytes(h), (std::vector<uint8_t>{'a', 'b', 'c'}));
  gMemoryMgr->DisposeHandle(h);
}

TEST(Object, LoadFromTruncatedDataAnswersEndOfData) {
  const uint8_t bytes[] = {0, 3, 0, 0, 0, 1, 0, 0};
  VMemHandle h = gMemoryMgr->NewHandleFromData(bytes, sizeof bytes);
  Record record;
  EXPECT_EQ(record.LoadFromHandle(h, 0), kStreamEndOfData);
  ASSERT_EQ(record.values.size(), 3u);
  EXPECT_EQ(record.values[0], 1);
  EXPECT_FALSE(gMemoryMgr->IsLocked(h));
  gMemoryMgr->DisposeHandle(h);
  EXPECT_EQ(record.LoadFromBlock(bytes, 1, 0), kStreamEndOfData);
}

TEST(Object, LoadFromEmptyOrNoHandleFails) {
  Record record;
  VMemHandle empty = gMemoryMgr->NewEmptyHandle();
  EXPECT_EQ(record.LoadFromHandle(empty, 0), kStreamCannotLock);
  gMemoryMgr->DisposeHandle(empty);
  EXPECT_EQ(record.LoadFromHandle(0, 0), kStreamNoHandle);
  EXPECT_EQ(record.lastTag, 0xFFFFFFFFu);  // never reached the reader
}

TEST(Object, LoadFromBlockReadsThroughAMemoryStream) {
  const uint8_t bytes[] = {0, 2, 0, 0, 0, 5, 0xFF, 0xFF, 0xFF, 0xFB, 0x99};
  Record record;
  EXPECT_EQ(record.LoadFromBlock(bytes, sizeof bytes, kTagVVAL), 0);
  EXPECT_EQ(record.lastTag, kTagVVAL);
  EXPECT_EQ(record.values, (std::vector<int32_t>{5, -5}));
}
