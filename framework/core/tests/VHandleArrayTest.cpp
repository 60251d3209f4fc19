// The handle array's growth and the stacks on it: order, widths, empty pops,
// refused growth and the object stack's ownership.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "framework/core/memory/VHandleArray.h"
#include "framework/core/tests/FailingMemoryMgr.h"

namespace {

// Reaches the width-shared push and pop of an array of any element size.
class WideArray : public VHandleArray {
 public:
  explicit WideArray(uint32_t elementSize) : VHandleArray(elementSize) {}
  template <typename T>
  bool PushAs(T v) { return PushValue(v); }
  template <typename T>
  T PopAs() { return PopValue<T>(); }
};

class Recorder : public VObject {
 public:
  Recorder(std::vector<int>* log, int id) : fLog(log), fId(id) {}
  ~Recorder() override { fLog->push_back(fId); }

 private:
  std::vector<int>* fLog;
  int fId;
};

}  // namespace

TEST(HandleArray, StartsEmptyWithoutStorage) {
  VLongStack s;
  EXPECT_TRUE(s.IsEmpty());
  EXPECT_EQ(s.GetCount(), 0u);
  EXPECT_EQ(s.GetCapacity(), 0u);
  EXPECT_EQ(s.GetElementSize(), 4u);
}

TEST(HandleArray, FirstPushMakesRoomForTen) {
  VByteStack s;
  ASSERT_TRUE(s.Push(7));
  EXPECT_EQ(s.GetCapacity(), 10u);
  EXPECT_EQ(s.GetCount(), 1u);
}

TEST(HandleArray, ElevenPushesGiveCapacityTwentyAndPopInReverse) {
  VLongStack s;
  for (uint32_t i = 1; i <= 11; ++i) ASSERT_TRUE(s.Push(i * 1000));
  EXPECT_EQ(s.GetCapacity(), 20u);
  for (uint32_t i = 11; i >= 1; --i) EXPECT_EQ(s.Pop(), i * 1000);
  EXPECT_TRUE(s.IsEmpty());
}

TEST(HandleArray, GrowsOnlyAtEveryTenthPush) {
  ScopedFailingMemoryMgr mm;
  VLongStack s;
  for (uint32_t i = 0; i < 30; ++i) ASSERT_TRUE(s.Push(i));
  // The first push makes the handle; the 11th and the 21st resize it.
  EXPECT_EQ(mm->resizes, 2);
  EXPECT_EQ(s.GetCapacity(), 30u);
}

TEST(HandleArray, NewStorageIsZeroFilled) {
  // A one-byte push into 8-byte elements leaves the other seven bytes of
  // the first element as the new handle had them.
  WideArray a(8);
  ASSERT_TRUE(a.PushAs<uint8_t>(0xAB));
  const uint64_t whole = a.PopAs<uint64_t>();
  uint8_t bytes[8];
  std::memcpy(bytes, &whole, 8);
  EXPECT_EQ(bytes[0], 0xAB);
  for (int i = 1; i < 8; ++i) EXPECT_EQ(bytes[i], 0) << i;
}

TEST(HandleArray, PopAfterClearAnswersZeroAndKeepsStorage) {
  VLongStack s;
  for (uint32_t i = 1; i <= 12; ++i) s.Push(i);
  s.Clear();
  EXPECT_TRUE(s.IsEmpty());
  EXPECT_EQ(s.Pop(), 0u);
  EXPECT_EQ(s.GetCount(), 0u);
  EXPECT_EQ(s.GetCapacity(), 20u);
}

TEST(HandleArray, PoppingNeverShrinksStorage) {
  VByteStack s;
  for (int i = 0; i < 25; ++i) s.Push(uint8_t(i));
  while (!s.IsEmpty()) s.Pop();
  EXPECT_EQ(s.GetCapacity(), 30u);
}

TEST(HandleArray, EmptyPopsAnswerTheZeroOfEachWidth) {
  VByteStack b;
  VShortStack h;
  VLongStack l;
  VPairStack p;
  VDoubleStack d;
  VObjectStack o;
  EXPECT_EQ(b.Pop(), 0);
  EXPECT_EQ(h.Pop(), 0);
  EXPECT_EQ(l.Pop(), 0u);
  EXPECT_EQ(p.Pop(), 0);
  EXPECT_EQ(d.Pop(), 0.0);
  EXPECT_EQ(o.Pop(), nullptr);
  // Popping an empty stack does not take the count below zero.
  EXPECT_TRUE(l.IsEmpty());
  l.Push(5);
  EXPECT_EQ(l.Pop(), 5u);
  EXPECT_EQ(l.Pop(), 0u);
  EXPECT_EQ(l.GetCount(), 0u);
}

TEST(HandleArray, PairPushThenDoublePopGivesFirstWordAtLowerAddress) {
  VDoubleStack s;
  ASSERT_TRUE(s.Push(1, 2));
  const double d = s.Pop();
  uint8_t bytes[8];
  std::memcpy(bytes, &d, 8);
  uint32_t first, second;
  std::memcpy(&first, bytes, 4);
  std::memcpy(&second, bytes + 4, 4);
  EXPECT_EQ(first, 1u);
  EXPECT_EQ(second, 2u);
}

TEST(HandleArray, DoublePopKeepsEveryBitOfThePair) {
  VDoubleStack s;
  s.Push(0xFFFFFFFFu, 0x7FF80001u);  // a NaN pattern must come back unchanged
  s.Push(0x80000000u, 0u);
  double d = s.Pop();
  uint64_t bits;
  std::memcpy(&bits, &d, 8);
  EXPECT_EQ(bits, uint64_t(0x80000000u));
  d = s.Pop();
  std::memcpy(&bits, &d, 8);
  EXPECT_EQ(bits, (uint64_t(0x7FF80001u) << 32) | 0xFFFFFFFFu);
}

TEST(HandleArray, PairStackHoldsSixteenBitValues) {
  VPairStack s;
  EXPECT_EQ(s.GetElementSize(), 8u);
  for (uint16_t i = 0; i < 12; ++i) ASSERT_TRUE(s.Push(uint16_t(0xFFF0 + i)));
  EXPECT_EQ(s.GetCapacity(), 20u);
  for (int i = 11; i >= 0; --i) EXPECT_EQ(s.Pop(), uint16_t(0xFFF0 + i));
}

TEST(HandleArray, NarrowPushesPackIntoTheFrontOfWideElements) {
  // Four 16-bit pushes on 8-byte elements fill exactly the first element.
  WideArray a(8);
  for (uint16_t v : {0x1111, 0x2222, 0x3333, 0x4444}) ASSERT_TRUE(a.PushAs<uint16_t>(v));
  EXPECT_EQ(a.GetCapacity(), 10u);
  // Read back at 16-bit stride, newest first.
  EXPECT_EQ(a.PopAs<uint16_t>(), 0x4444);
  EXPECT_EQ(a.PopAs<uint16_t>(), 0x3333);
  ASSERT_TRUE(a.PushAs<uint16_t>(0x5555));
  EXPECT_EQ(a.PopAs<uint16_t>(), 0x5555);
}

TEST(HandleArray, PushWiderThanTheElementsIsRefused) {
  WideArray a(2);
  EXPECT_FALSE(a.PushAs<uint32_t>(0x12345678u));
  EXPECT_TRUE(a.IsEmpty());
  EXPECT_EQ(a.GetCapacity(), 0u);
  ASSERT_TRUE(a.PushAs<uint16_t>(9));
  EXPECT_EQ(a.PopAs<uint32_t>(), 0u);  // a wide pop of narrow elements reads nothing
  EXPECT_EQ(a.GetCount(), 1u);
}

TEST(HandleArray, GrowForManyTakesWholeSteps) {
  VLongStack s;
  ASSERT_TRUE(s.Grow(25));
  EXPECT_EQ(s.GetCapacity(), 30u);
  EXPECT_TRUE(s.Grow(30));
  EXPECT_EQ(s.GetCapacity(), 30u);
  EXPECT_TRUE(s.IsEmpty());
}

TEST(HandleArray, GrowthThatWouldWrapTheSizeIsRefused) {
  VDoubleStack s;
  EXPECT_FALSE(s.Grow(0x20000000u));  // 8 bytes each: 2^32 bytes
  EXPECT_EQ(s.GetCapacity(), 0u);
  ASSERT_TRUE(s.Push(3, 4));
  EXPECT_EQ(s.GetCount(), 1u);
}

TEST(HandleArray, PushRefusedWhenNoHandleCanBeMade) {
  ScopedFailingMemoryMgr mm;
  mm->failNew = true;
  VLongStack s;
  EXPECT_FALSE(s.Push(42));
  EXPECT_TRUE(s.IsEmpty());
  EXPECT_EQ(s.GetCapacity(), 0u);
  EXPECT_EQ(gMemoryMgr->GetError(), kMemNoMemory);
  mm->failNew = false;
  EXPECT_TRUE(s.Push(42));
  EXPECT_EQ(s.Pop(), 42u);
}

TEST(HandleArray, PushRefusedWhenHandleCannotGrowKeepsEveryElement) {
  ScopedFailingMemoryMgr mm;
  VLongStack s;
  for (uint32_t i = 1; i <= 10; ++i) ASSERT_TRUE(s.Push(i));
  mm->failResize = true;
  EXPECT_FALSE(s.Push(11));
  EXPECT_EQ(s.GetCount(), 10u);
  EXPECT_EQ(s.GetCapacity(), 10u);
  for (uint32_t i = 10; i >= 1; --i) EXPECT_EQ(s.Pop(), i);
  EXPECT_EQ(s.Pop(), 0u);
}

TEST(HandleArray, HandleStaysLockedWhileTheArrayLivesAndIsReleasedAfter) {
  ScopedFailingMemoryMgr mm;
  {
    VLongStack s;
    for (uint32_t i = 1; i <= 15; ++i) ASSERT_TRUE(s.Push(i));
    // Made and locked once, unlocked and locked again around the one resize.
    EXPECT_EQ(mm->locks, 2);
    EXPECT_EQ(mm->unlocks, 1);
    EXPECT_EQ(s.Pop(), 15u);
  }
  EXPECT_EQ(mm->locks, mm->unlocks);
  EXPECT_EQ(mm->disposes, 1);
}

TEST(HandleArray, ArrayThatNeverStoredReleasesNothing) {
  ScopedFailingMemoryMgr mm;
  { VByteStack s; }
  EXPECT_EQ(mm->disposes, 0);
  EXPECT_EQ(mm->unlocks, 0);
}

TEST(HandleArray, ObjectStackPopHandsTheObjectBack) {
  std::vector<int> log;
  Recorder* kept = new Recorder(&log, 1);
  {
    VObjectStack s;
    ASSERT_TRUE(s.Push(kept));
    EXPECT_EQ(s.Pop(), kept);
  }
  EXPECT_TRUE(log.empty());
  delete kept;
  EXPECT_EQ(log, std::vector<int>{1});
}

TEST(HandleArray, ObjectStackDeletesWhatIsLeftFromTheTop) {
  std::vector<int> log;
  {
    VObjectStack s;
    for (int i = 1; i <= 12; ++i) ASSERT_TRUE(s.Push(new Recorder(&log, i)));
    delete s.Pop();  // 12, by the caller
  }
  std::vector<int> want;
  for (int i = 12; i >= 1; --i) want.push_back(i);
  EXPECT_EQ(log, want);
}

TEST(HandleArray, ObjectStackSlotsHoldWholePointers) {
  VObjectStack s;
  EXPECT_EQ(s.GetElementSize(), sizeof(VObject*));
  std::vector<int> log;
  Recorder* a = new Recorder(&log, 1);
  Recorder* b = new Recorder(&log, 2);
  s.Push(a);
  s.Push(nullptr);
  s.Push(b);
  EXPECT_EQ(s.Pop(), b);
  EXPECT_EQ(s.Pop(), nullptr);
  EXPECT_EQ(s.Pop(), a);
  delete a;
  delete b;
}
