// The typed array of booleans: bit layout of the store, conversions, the
// equality search, insertion and deletion bit by bit, and the stored bytes.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "framework/core/containers/VBooleanArray.h"
#include "framework/core/containers/VNumericArrays.h"
#include "framework/core/tests/FailingMemoryMgr.h"
#include "framework/core/tests/VArrayTestSupport.h"

using namespace array_tests;

namespace {

// Exposes the store for the tests that look at its bytes.
class ProbeBooleanArray : public VBooleanArray {
 public:
  using VBooleanArray::VBooleanArray;
  Bytes Store() const {
    Bytes out;
    const uint32_t size = gMemoryMgr->GetHandleSize(fStore);
    if (size == 0) return out;
    const auto* data = static_cast<const uint8_t*>(gMemoryMgr->LockHandle(fStore));
    out.assign(data, data + size);
    gMemoryMgr->UnlockHandle(fStore);
    return out;
  }
};

// The elements as a text of 0 and 1.
std::string Bits(const VBooleanArray& a) {
  std::string out;
  for (int32_t i = 1; i <= a.Count(); ++i) out += a.GetBoolean(i) ? '1' : '0';
  return out;
}

void SetBits(VBooleanArray& a, const std::string& bits) {
  a.SetCount(int32_t(bits.size()), false);
  for (size_t i = 0; i < bits.size(); ++i) a.SetBoolean(bits[i] == '1', int32_t(i) + 1);
}

}  // namespace

TEST(BooleanArray, KindsAndFlags) {
  VBooleanArray a;
  EXPECT_EQ(a.GetKind(), 100);
  EXPECT_EQ(a.GetElementKind(), 1);
  EXPECT_TRUE(a.IsSingle());
  EXPECT_FALSE(a.IsInteger());
}

TEST(BooleanArray, NineElementsTakeTwoBytesWithElementNineInBitZeroOfTheSecond) {
  ProbeBooleanArray a(9);
  EXPECT_EQ(a.GetCapacity(), 16);
  EXPECT_EQ(a.Store(), (Bytes{0, 0}));
  a.SetBoolean(1, 9);
  a.SetBoolean(1, 2);
  EXPECT_EQ(a.Store(), (Bytes{0x02, 0x01}));
  Bytes expected;
  Put32(expected, 9);
  expected.push_back(0x02);
  expected.push_back(0x01);
  EXPECT_EQ(WriteOut(a, 0), expected);
}

TEST(BooleanArray, CapacityGrowsInWholeBytes) {
  ProbeBooleanArray a;
  for (int32_t i = 1; i <= 8; ++i) a.AppendBoolean(1, false);
  EXPECT_EQ(a.GetCapacity(), 8);
  EXPECT_EQ(a.Store().size(), 1u);
  a.AppendBoolean(0, false);
  EXPECT_EQ(a.GetCapacity(), 16);
  EXPECT_EQ(a.Store().size(), 2u);
  EXPECT_EQ(Bits(a), "111111110");
}

TEST(BooleanArray, EveryNonZeroValueSetsTheBit) {
  VBooleanArray a(6);
  a.SetBoolean(2, 1);
  a.SetWord(-1, 2);
  a.SetLong(256, 3);
  a.SetTime(0, 4);
  a.SetReal(-0.0, 5);
  a.SetReal(0.25, 6);
  EXPECT_EQ(Bits(a), "111001");
}

TEST(BooleanArray, GettersAnswerZeroOrOne) {
  VBooleanArray a(2);
  a.SetBoolean(1, 2);
  EXPECT_EQ(a.GetWord(2), 1);
  EXPECT_EQ(a.GetLong(2), 1);
  EXPECT_EQ(a.GetTime(2), 1);
  EXPECT_EQ(a.GetReal(2), 1.0);
  EXPECT_EQ(a.GetLong(1), 0);
  EXPECT_FALSE(a.GetBoolean(3));
  EXPECT_FALSE(a.GetBoolean(0));
}

TEST(BooleanArray, CopyToUsesSetBooleanAndConvertToSetLong) {
  VBooleanArray a(1);
  a.SetBoolean(1, 1);
  RecordingValue v;
  a.CopyTo(v, 1);
  EXPECT_EQ(v.last, "SetBoolean");
  EXPECT_EQ(v.number, 1);
  a.ConvertTo(v, 1);
  EXPECT_EQ(v.last, "SetLong");
  EXPECT_EQ(v.number, 1);
}

TEST(BooleanArray, ValueSettersAndCompareReadTheOtherValue) {
  VBooleanArray a(3);
  RecordingValue v;  // GetLong 3, GetBoolean true
  a.CopyFrom(v, 1);
  a.Assign(v, 2);
  EXPECT_EQ(Bits(a), "110");
  EXPECT_EQ(a.Compare(v, 0, 1), 0);
  EXPECT_EQ(a.Compare(v, 0, 3), -1);
  EXPECT_EQ(a.FindValue(v, 3, false, 0), 2);
}

TEST(BooleanArray, FindFromTheLastTrueElementAnswersIt) {
  VBooleanArray a(8);
  a.SetBoolean(1, 8);
  EXPECT_EQ(a.Find(true, 8, true, 0), 8);
  EXPECT_EQ(a.Find(true, 1, true, 0), 8);
  EXPECT_EQ(a.Find(true, 7, false, 0), -1);
  EXPECT_EQ(a.Find(false, 8, false, 5), 7);
  EXPECT_EQ(a.Find(true, 9, true, 0), -1);
  EXPECT_EQ(a.Find(true, 0, true, 0), -1);
}

TEST(BooleanArray, SortingIgnoresTheSortedFlagAndBinarySearch) {
  VBooleanArray a;
  SetBits(a, "10110");
  a.SetSorted(true);
  EXPECT_EQ(Bits(a), "10110");
  EXPECT_EQ(a.Find(false), 2);
  a.Sort(true);
  a.Reverse();
  EXPECT_EQ(Bits(a), "10110");
}

TEST(BooleanArray, InsertOpensFalseElementsAndDeleteClosesThem) {
  VBooleanArray a;
  SetBits(a, "1101");
  a.InsertElements(2, 3, false);
  EXPECT_EQ(Bits(a), "1000101");
  a.DeleteElements(2, 3);
  EXPECT_EQ(Bits(a), "1101");
}

TEST(BooleanArray, InsertAcrossByteBoundaries) {
  VBooleanArray a;
  SetBits(a, "111111111101");
  a.InsertElements(1, 5, true);
  EXPECT_EQ(Bits(a), "00000111111111101");
  a.DeleteElements(1, 6);
  EXPECT_EQ(Bits(a), "11111111101");
}

TEST(BooleanArray, BitsRegainedAfterAShrinkStartFalse) {
  VBooleanArray a;
  SetBits(a, "11111");
  a.SetCount(2, false);
  a.SetCount(5, false);
  EXPECT_EQ(Bits(a), "11000");
}

TEST(BooleanArray, LinkedAppendGivesTheBooleanMemberAFalseElement) {
  VBooleanArray flags;
  SetBits(flags, "111");
  flags.SetCount(2, false);
  VBooleanArray names;
  SetBits(names, "11");
  flags.LinkTo(&names);
  names.AppendBoolean(1, true);
  EXPECT_EQ(Bits(flags), "110");
  EXPECT_EQ(Bits(names), "111");
}

TEST(BooleanArray, ReorderMovesBits) {
  VBooleanArray a;
  SetBits(a, "1100");
  const int32_t permutation[] = {3, 0, 2, 1};
  a.Reorder(permutation);
  EXPECT_EQ(Bits(a), "0101");
  const int32_t bad[] = {0, 0, 1, 2};
  a.Reorder(bad);
  EXPECT_EQ(Bits(a), "0101");
}

TEST(BooleanArray, FollowsTheSortOfALinkedArray) {
  VLongArray keys;
  AppendLongs(keys, {3, 1, 2});
  VBooleanArray flags;
  SetBits(flags, "100");
  flags.LinkTo(&keys);
  keys.Sort(false);
  EXPECT_EQ(Bits(flags), "001");
}

TEST(BooleanArray, UnusedBitsOfTheLastByteAreWrittenAsZeros) {
  VBooleanArray a;
  SetBits(a, "1111111111");
  a.SetCount(3, false);
  Bytes expected;
  Put32(expected, 100);
  Put32(expected, 3);
  expected.push_back(0x07);
  EXPECT_EQ(WriteOut(a, kTagVVAL), expected);
}

TEST(BooleanArray, ReadsItsBytesInEitherOrder) {
  VBooleanArray a;
  SetBits(a, "10000001011");
  for (Order order : {Order::Big, Order::Native}) {
    VBooleanArray b(3);
    EXPECT_EQ(ReadIn(b, WriteOut(a, 0, order), order), 0);
    EXPECT_EQ(Bits(b), "10000001011");
  }
}

TEST(BooleanArray, ACountOfMoreBitsThanTheBytesHoldIsRefused) {
  Bytes bytes;
  Put32(bytes, 17);
  bytes.push_back(0xFF);
  bytes.push_back(0xFF);
  VBooleanArray a;
  SetBits(a, "1");
  ScopedFailingMemoryMgr mgr;
  EXPECT_EQ(ReadIn(a, bytes), kStreamEndOfData);
  EXPECT_EQ(mgr->resizes, 0);
  EXPECT_EQ(Bits(a), "1");
}

TEST(BooleanArray, CloneCopiesTheBits) {
  VBooleanArray a;
  SetBits(a, "1011");
  std::unique_ptr<VValue> copy(a.Clone());
  auto* b = static_cast<VBooleanArray*>(copy.get());
  EXPECT_EQ(Bits(*b), "1011");
  b->SetBoolean(0, 1);
  EXPECT_EQ(Bits(a), "1011");
}
