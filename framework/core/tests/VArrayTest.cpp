// The typed-array core, seen through the 32-bit array: counts and capacity,
// the current element, insertion and deletion, appends, sorting, linking,
// reordering, searching, copies and the stream frame.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "framework/core/containers/VNumericArrays.h"
#include "framework/core/tests/FailingMemoryMgr.h"
#include "framework/core/tests/VArrayTestSupport.h"

using namespace array_tests;

using Ints = std::vector<int32_t>;

namespace {

VLongArray* MakeLongs(std::initializer_list<int32_t> values) {
  auto* array = new VLongArray;
  AppendLongs(*array, values);
  return array;
}

// Exposes the store for the tests that look at its size.
class ProbeLongArray : public VLongArray {
 public:
  using VLongArray::VLongArray;
  uint32_t StoreSize() const { return gMemoryMgr->GetHandleSize(fStore); }
};

// A memory manager that has no memory for copies of handles.
class NoDuplicatesMemoryMgr : public FailingMemoryMgr {
 public:
  using FailingMemoryMgr::FailingMemoryMgr;
  VMemHandle DuplicateHandle(VMemHandle) override {
    fError = kMemNoMemory;
    return 0;
  }
};

}  // namespace

// ---- counts and capacity

TEST(Array, StartsEmptyAsAMultipleValueWithoutItemReferences) {
  VLongArray a;
  EXPECT_EQ(a.Count(), 0);
  EXPECT_EQ(a.GetCapacity(), 0);
  EXPECT_EQ(a.GetCurrent(), 0);
  EXPECT_TRUE(a.IsMultiple());
  EXPECT_FALSE(a.IsSorted());
  EXPECT_FALSE(a.IsLinked());
  EXPECT_EQ(a.NewItemRefAt(1, 0), nullptr);
  EXPECT_EQ(a.CountAll(), 0);
}

TEST(Array, ConstructorWithCountMakesZeroElements) {
  VLongArray a(4);
  EXPECT_EQ(Longs(a), (Ints{0, 0, 0, 0}));
  EXPECT_EQ(a.GetCapacity(), 4);
}

TEST(Array, SetCountNegativeEmpties) {
  VLongArray a(3);
  a.SetCount(-5, false);
  EXPECT_EQ(a.Count(), 0);
}

TEST(Array, SetCountToTheSameCountDoesNotEvenShrinkTheStore) {
  ProbeLongArray a(3);
  a.SetCount(2, false);
  a.SetCount(3, false);
  const uint32_t before = a.StoreSize();
  ScopedFailingMemoryMgr mgr;
  a.SetCount(3, true);
  EXPECT_EQ(mgr->resizes, 0);
  EXPECT_EQ(a.StoreSize(), before);
}

TEST(Array, CapacityFollowsTheCountAtEveryGrowthAndShrinksOnlyWhenExact) {
  ProbeLongArray a;
  for (int32_t i = 1; i <= 5; ++i) {
    a.AppendLong(i, false);
    EXPECT_EQ(a.GetCapacity(), i);
  }
  EXPECT_EQ(a.StoreSize(), 20u);
  a.SetCount(2, false);
  EXPECT_EQ(a.GetCapacity(), 5);
  EXPECT_EQ(a.StoreSize(), 20u);
  a.SetCount(1, true);
  EXPECT_EQ(a.GetCapacity(), 1);
  EXPECT_EQ(a.StoreSize(), 4u);
}

TEST(Array, ElementsRegainedWithinTheCapacityStartAsZero) {
  std::unique_ptr<VLongArray> a(MakeLongs({1, 2, 3}));
  a->SetCount(1, false);
  a->SetCount(3, false);
  EXPECT_EQ(Longs(*a), (Ints{1, 0, 0}));
}

TEST(Array, ElementsRegainedAfterAnExactShrinkStartAsZero) {
  std::unique_ptr<VLongArray> a(MakeLongs({1, 2, 3, 4}));
  a->SetCount(2, true);
  a->SetCount(4, false);
  EXPECT_EQ(Longs(*a), (Ints{1, 2, 0, 0}));
}

TEST(Array, SetCountThatCannotGrowChangesNothing) {
  std::unique_ptr<VLongArray> a(MakeLongs({7, 8}));
  ScopedFailingMemoryMgr mgr;
  mgr->failResize = true;
  a->SetCount(10, false);
  EXPECT_EQ(Longs(*a), (Ints{7, 8}));
  EXPECT_EQ(a->GetCapacity(), 2);
  EXPECT_EQ(gMemoryMgr->GetError(), kMemNoMemory);
}

TEST(Array, AStoreTooLargeForAnyBlockIsRefused) {
  VRealArray a(2);
  a.SetCount(INT32_MAX, false);
  EXPECT_EQ(a.Count(), 2);
}

// ---- the current element

TEST(Array, ShrinkingBelowTheCurrentMovesItToTheCount) {
  VLongArray a(6);
  a.SetCurrent(5);
  a.SetCount(2, false);
  EXPECT_EQ(a.GetCurrent(), 2);
}

TEST(Array, SetCurrentIsClampedAndRangeMinusOneReadsTheCurrent) {
  std::unique_ptr<VLongArray> a(MakeLongs({10, 20, 30, 40}));
  a->SetCurrent(9);
  EXPECT_EQ(a->GetCurrent(), 4);
  EXPECT_EQ(a->GetLong(-1), 40);
  a->SetCurrent(2);
  EXPECT_EQ(a->GetLong(-1), 20);
  a->SetCurrent(-3);
  EXPECT_EQ(a->GetCurrent(), 0);
  EXPECT_EQ(a->GetLong(-1), 0);
}

TEST(Array, CheckIndexReplacesMinusOneAndRejectsOutsideIndexes) {
  VLongArray a(3);
  a.SetCurrent(2);
  int32_t index = -1;
  EXPECT_TRUE(a.CheckIndex(index));
  EXPECT_EQ(index, 2);
  for (int32_t bad : {0, 4, -2}) {
    index = bad;
    EXPECT_FALSE(a.CheckIndex(index));
    EXPECT_EQ(index, -1);
  }
}

TEST(Array, BadRangesAnswerZeroAndSettersDoNothing) {
  std::unique_ptr<VLongArray> a(MakeLongs({5}));
  EXPECT_EQ(a->GetLong(2), 0);
  EXPECT_EQ(a->GetLong(0), 0);
  a->SetLong(9, 2);
  a->SetLong(9, 0);
  EXPECT_EQ(Longs(*a), (Ints{5}));
}

// ---- insertion and deletion

TEST(Array, InsertOpensZeroElementsAndDeleteClosesThem) {
  std::unique_ptr<VLongArray> a(MakeLongs({10, 20, 30}));
  a->InsertElements(2, 2, false);
  EXPECT_EQ(Longs(*a), (Ints{10, 0, 0, 20, 30}));
  a->DeleteElements(2, 2);
  EXPECT_EQ(Longs(*a), (Ints{10, 20, 30}));
  EXPECT_EQ(a->GetCapacity(), 3);
}

TEST(Array, InsertAtTheEndAndOutsideTheArray) {
  std::unique_ptr<VLongArray> a(MakeLongs({1, 2}));
  a->InsertElements(3, 1, false);
  EXPECT_EQ(Longs(*a), (Ints{1, 2, 0}));
  a->InsertElements(5, 1, false);
  a->InsertElements(0, 1, false);
  a->InsertElements(1, 0, false);
  a->InsertElements(1, -2, false);
  EXPECT_EQ(Longs(*a), (Ints{1, 2, 0}));
}

TEST(Array, InsertIntoASortedArraySortsUnlessAskedNotTo) {
  std::unique_ptr<VLongArray> a(MakeLongs({10, 20}));
  a->SetSorted(true);
  a->InsertElements(2, 1, true);
  EXPECT_EQ(Longs(*a), (Ints{10, 0, 20}));
  a->InsertElements(3, 1, false);
  EXPECT_EQ(Longs(*a), (Ints{0, 0, 10, 20}));
}

TEST(Array, InsertThatCannotGrowMovesNothing) {
  std::unique_ptr<VLongArray> a(MakeLongs({1, 2, 3}));
  ScopedFailingMemoryMgr mgr;
  mgr->failResize = true;
  a->InsertElements(1, 2, false);
  EXPECT_EQ(Longs(*a), (Ints{1, 2, 3}));
}

TEST(Array, DeleteRangesReachingOutsideTheArrayAreClamped) {
  std::unique_ptr<VLongArray> a(MakeLongs({1, 2, 3, 4, 5}));
  a->DeleteElements(0, 2);  // only element 1 lies inside
  EXPECT_EQ(Longs(*a), (Ints{2, 3, 4, 5}));
  a->DeleteElements(3, 100);
  EXPECT_EQ(Longs(*a), (Ints{2, 3}));
  a->DeleteElements(-10, 5);
  a->DeleteElements(3, 1);
  a->DeleteElements(1, 0);
  a->DeleteElements(1, -1);
  a->DeleteElements(INT32_MAX, INT32_MAX);
  EXPECT_EQ(Longs(*a), (Ints{2, 3}));
  a->DeleteElements(INT32_MIN, INT32_MAX);
  EXPECT_EQ(Longs(*a), (Ints{2, 3}));
  a->DeleteElements(1, INT32_MAX);
  EXPECT_EQ(a->Count(), 0);
}

TEST(Array, DeleteKeepsASortedArraySorted) {
  std::unique_ptr<VLongArray> a(MakeLongs({3, 1, 2, 5}));
  a->SetSorted(true);
  a->DeleteElements(2, 1);
  EXPECT_EQ(Longs(*a), (Ints{1, 3, 5}));
  EXPECT_TRUE(a->IsSorted());
}

TEST(Array, MoveElementsZeroesWhatIsLeftBehind) {
  std::unique_ptr<VLongArray> a(MakeLongs({1, 2, 3, 4, 5}));
  a->MoveElements(1, 3, 2);
  EXPECT_EQ(Longs(*a), (Ints{0, 0, 1, 2, 5}));
  a->MoveElements(3, 1, 3);
  EXPECT_EQ(Longs(*a), (Ints{1, 2, 5, 0, 0}));
}

TEST(Array, MoveElementsRefusesRangesOutsideTheStore) {
  std::unique_ptr<VLongArray> a(MakeLongs({1, 2, 3}));
  a->MoveElements(1, 3, 2);  // would end past the store
  a->MoveElements(0, 2, 1);
  a->MoveElements(2, 2, 1);
  a->MoveElements(1, 4, 1);
  a->MoveElements(1, 2, 0);
  EXPECT_EQ(Longs(*a), (Ints{1, 2, 3}));
}

// ---- appends

TEST(Array, AppendToASortedArrayAnswersTheSortedPlaceAndRestoresCurrent) {
  std::unique_ptr<VLongArray> a(MakeLongs({10, 20}));
  a->SetSorted(true);
  a->SetCurrent(1);
  EXPECT_EQ(a->AppendLong(15, false), 2);
  EXPECT_EQ(Longs(*a), (Ints{10, 15, 20}));
  EXPECT_EQ(a->GetCurrent(), 1);
}

TEST(Array, AppendAnswersTheNewIndexAndLeavesCurrentAlone) {
  VLongArray a;
  EXPECT_EQ(a.AppendLong(4, false), 1);
  EXPECT_EQ(a.AppendWord(-2, false), 2);
  EXPECT_EQ(a.AppendReal(3.9, false), 3);
  EXPECT_EQ(a.AppendBoolean(7, false), 4);
  EXPECT_EQ(a.AppendTime(60, false), 5);
  EXPECT_EQ(Longs(a), (Ints{4, -2, 3, 1, 60}));
  EXPECT_EQ(a.GetCurrent(), 0);
}

TEST(Array, AppendValueStoresThroughCopyFrom) {
  VLongArray source;
  source.AppendLong(77, false);
  source.SetCurrent(1);
  VLongArray a;
  EXPECT_EQ(a.AppendValue(source, false), 1);
  EXPECT_EQ(Longs(a), (Ints{77}));
}

TEST(Array, AppendThatCannotGrowStoresNothingAndAnswersCountPlusOne) {
  std::unique_ptr<VLongArray> a(MakeLongs({1, 2}));
  ScopedFailingMemoryMgr mgr;
  mgr->failResize = true;
  EXPECT_EQ(a->AppendLong(3, false), 3);
  EXPECT_EQ(Longs(*a), (Ints{1, 2}));
  EXPECT_EQ(a->GetCurrent(), 0);
}

// ---- sorting and reversing

TEST(Array, SetSortedSortsOnceAndKeepsTheFlag) {
  std::unique_ptr<VLongArray> a(MakeLongs({3, 1, 2}));
  a->SetSorted(true);
  EXPECT_EQ(Longs(*a), (Ints{1, 2, 3}));
  EXPECT_TRUE(a->IsSorted());
  a->SetSorted(false);
  a->SetLong(0, 3);
  EXPECT_EQ(Longs(*a), (Ints{1, 2, 0}));
  a->SetSorted(false);
  EXPECT_EQ(Longs(*a), (Ints{1, 2, 0}));
}

TEST(Array, SetterOfASortedArraySortsAndCurrentFollowsTheElement) {
  std::unique_ptr<VLongArray> a(MakeLongs({1, 2, 3, 4}));
  a->SetSorted(true);
  a->SetCurrent(1);
  a->SetLong(10, -1);
  EXPECT_EQ(Longs(*a), (Ints{2, 3, 4, 10}));
  EXPECT_EQ(a->GetCurrent(), 4);
  EXPECT_EQ(a->GetLong(-1), 10);
}

TEST(Array, SortMatchesAReferenceSortInBothDirections) {
  std::mt19937 random(7);
  for (int32_t n : {2, 3, 5, 6, 17, 100, 1000}) {
    VLongArray a;
    Ints expected;
    for (int32_t i = 0; i < n; ++i) {
      const int32_t v = int32_t(random() % 50) - 25;  // many ties
      a.AppendLong(v, false);
      expected.push_back(v);
    }
    std::sort(expected.begin(), expected.end());
    a.Sort(false);
    EXPECT_EQ(Longs(a), expected) << n;
    std::reverse(expected.begin(), expected.end());
    a.Sort(true);
    EXPECT_EQ(Longs(a), expected) << n;
  }
}

TEST(Array, SortCarriesTheCurrentIndexWithItsElement) {
  std::unique_ptr<VLongArray> a(MakeLongs({50, 40, 30, 20, 10, 60, 70, 5}));
  a->SetCurrent(2);  // the 40
  a->Sort(false);
  EXPECT_EQ(a->GetLong(-1), 40);
  EXPECT_EQ(a->GetCurrent(), 5);
}

TEST(Array, SortDoesNotChangeTheSortedFlag) {
  std::unique_ptr<VLongArray> a(MakeLongs({2, 1}));
  a->Sort(false);
  EXPECT_FALSE(a->IsSorted());
}

TEST(Array, ReverseReversesAndLeavesTheCurrentIndex) {
  std::unique_ptr<VLongArray> a(MakeLongs({1, 2, 3, 4, 5}));
  a->SetCurrent(2);
  a->Reverse();
  EXPECT_EQ(Longs(*a), (Ints{5, 4, 3, 2, 1}));
  EXPECT_EQ(a->GetCurrent(), 2);
  std::unique_ptr<VLongArray> even(MakeLongs({1, 2, 3, 4}));
  even->Reverse();
  EXPECT_EQ(Longs(*even), (Ints{4, 3, 2, 1}));
}

TEST(Array, ReorderTakesEachElementFromItsPermutationEntry) {
  std::unique_ptr<VLongArray> a(MakeLongs({10, 20, 30}));
  const int32_t permutation[] = {2, 0, 1};
  a->Reorder(permutation);
  EXPECT_EQ(Longs(*a), (Ints{30, 10, 20}));
}

TEST(Array, ReorderRefusesAnEntryOutsideTheArrayOrNamedTwice) {
  std::unique_ptr<VLongArray> a(MakeLongs({10, 20, 30}));
  const int32_t twice[] = {0, 0, 1};
  const int32_t outside[] = {0, 1, 3};
  const int32_t negative[] = {-1, 1, 2};
  a->Reorder(twice);
  a->Reorder(outside);
  a->Reorder(negative);
  a->Reorder(nullptr);
  EXPECT_EQ(Longs(*a), (Ints{10, 20, 30}));
}

// ---- linking

TEST(Array, LinkedAppendGrowsEveryMemberAndSortCarriesThemAlong) {
  std::unique_ptr<VLongArray> a(MakeLongs({1, 2}));
  std::unique_ptr<VLongArray> b(MakeLongs({3, 4}));
  b->LinkTo(a.get());
  EXPECT_TRUE(a->IsLinked());
  EXPECT_TRUE(b->IsLinked());
  EXPECT_EQ(a->AppendLong(5, true), 3);
  EXPECT_EQ(Longs(*a), (Ints{1, 2, 5}));
  EXPECT_EQ(Longs(*b), (Ints{3, 4, 0}));
  a->Sort(true);
  EXPECT_EQ(Longs(*a), (Ints{5, 2, 1}));
  EXPECT_EQ(Longs(*b), (Ints{0, 4, 3}));
}

TEST(Array, AppendWithoutPropagationLeavesTheOtherMembers) {
  std::unique_ptr<VLongArray> a(MakeLongs({1}));
  std::unique_ptr<VLongArray> b(MakeLongs({2}));
  a->LinkTo(b.get());
  a->AppendLong(3, false);
  EXPECT_EQ(Longs(*b), (Ints{2}));
}

TEST(Array, LinkedAppendGivesOtherMembersZeroEvenAfterTheyShrank) {
  std::unique_ptr<VLongArray> a(MakeLongs({1, 2}));
  std::unique_ptr<VLongArray> b(MakeLongs({3, 4, 9}));
  b->SetCount(2, false);
  a->LinkTo(b.get());
  a->AppendLong(5, true);
  EXPECT_EQ(Longs(*b), (Ints{3, 4, 0}));
}

TEST(Array, LinkedArraysOfUnequalCountsAreNotSorted) {
  std::unique_ptr<VLongArray> a(MakeLongs({3, 1, 2}));
  std::unique_ptr<VLongArray> b(MakeLongs({9, 8}));
  a->LinkTo(b.get());
  a->Sort(false);
  b->Sort(false);
  EXPECT_EQ(Longs(*a), (Ints{3, 1, 2}));
  EXPECT_EQ(Longs(*b), (Ints{9, 8}));
}

TEST(Array, LinkedArraysOfOtherKindsFollowTheSort) {
  std::unique_ptr<VLongArray> a(MakeLongs({30, 10, 20}));
  VRealArray b;
  for (double v : {3.5, 1.5, 2.5}) b.AppendReal(v, false);
  b.LinkTo(a.get());
  a->Sort(false);
  EXPECT_EQ(b.GetReal(1), 1.5);
  EXPECT_EQ(b.GetReal(2), 2.5);
  EXPECT_EQ(b.GetReal(3), 3.5);
}

TEST(Array, LeavingAGroupOfTwoUnlinksBoth) {
  std::unique_ptr<VLongArray> a(MakeLongs({1}));
  std::unique_ptr<VLongArray> b(MakeLongs({2}));
  a->LinkTo(b.get());
  a->LinkTo(nullptr);
  EXPECT_FALSE(a->IsLinked());
  EXPECT_FALSE(b->IsLinked());
  a->AppendLong(3, true);
  EXPECT_EQ(b->Count(), 1);
}

TEST(Array, LeavingAGroupOfThreeKeepsTheOtherTwoLinked) {
  std::unique_ptr<VLongArray> a(MakeLongs({1}));
  std::unique_ptr<VLongArray> b(MakeLongs({2}));
  std::unique_ptr<VLongArray> c(MakeLongs({3}));
  b->LinkTo(a.get());
  c->LinkTo(a.get());
  b->LinkTo(nullptr);
  EXPECT_TRUE(a->IsLinked());
  EXPECT_TRUE(c->IsLinked());
  a->AppendLong(4, true);
  EXPECT_EQ(Longs(*c), (Ints{3, 0}));
  EXPECT_EQ(Longs(*b), (Ints{2}));
}

TEST(Array, AMemberDestroyedFirstLeavesItsGroup) {
  std::unique_ptr<VLongArray> a(MakeLongs({1}));
  {
    VLongArray b(1);
    b.LinkTo(a.get());
  }
  EXPECT_FALSE(a->IsLinked());
  a->AppendLong(2, true);
  EXPECT_EQ(a->Count(), 2);
}

TEST(Array, LinkingToItselfOnlyLeavesTheGroup) {
  std::unique_ptr<VLongArray> a(MakeLongs({1}));
  a->LinkTo(a.get());
  EXPECT_FALSE(a->IsLinked());
  a->AppendLong(2, true);
  EXPECT_EQ(Longs(*a), (Ints{1, 2}));
}

TEST(Array, RelinkingMovesAnArrayToTheOtherGroup) {
  std::unique_ptr<VLongArray> a(MakeLongs({1}));
  std::unique_ptr<VLongArray> b(MakeLongs({2}));
  std::unique_ptr<VLongArray> c(MakeLongs({3}));
  a->LinkTo(b.get());
  a->LinkTo(c.get());
  EXPECT_FALSE(b->IsLinked());
  a->AppendLong(5, true);
  EXPECT_EQ(Longs(*c), (Ints{3, 0}));
  EXPECT_EQ(Longs(*b), (Ints{2}));
}

// ---- searching

TEST(Array, SortedSearchAnswersTheElementTheHalvingMeetsFirst) {
  std::unique_ptr<VLongArray> a(MakeLongs({1, 2, 2, 2, 3}));
  a->SetSorted(true);
  EXPECT_EQ(a->Find(2, 1, true, 0), 3);
  a->SetSorted(false);
  EXPECT_EQ(a->Find(2, 1, true, 0), 2);
}

TEST(Array, SortedSearchAnswersMinusOneForAMissingValue) {
  std::unique_ptr<VLongArray> a(MakeLongs({1, 3, 5, 7}));
  a->SetSorted(true);
  for (int32_t missing : {0, 2, 4, 6, 8}) EXPECT_EQ(a->Find(missing), -1);
  for (int32_t i = 1; i <= 4; ++i) EXPECT_EQ(a->Find(2 * i - 1), i);
}

TEST(Array, SearchModesWalkFromTheStartInEitherDirection) {
  std::unique_ptr<VLongArray> a(MakeLongs({5, 1, 7}));
  EXPECT_EQ(a->Find(4, 3, false, -1), 3);
  EXPECT_EQ(a->Find(4, 2, false, -1), 1);
  EXPECT_EQ(a->Find(4, 1, true, 1), 2);
  EXPECT_EQ(a->Find(4, 2, true, 7), 2);
  EXPECT_EQ(a->Find(5, 2, true, -2), 3);
  EXPECT_EQ(a->Find(5, 1, true, 2), 1);
  EXPECT_EQ(a->Find(1, 3, false, 2), 2);
  EXPECT_EQ(a->Find(9, 1, true, 0), -1);
  EXPECT_EQ(a->Find(0, 1, true, 1), -1);
}

TEST(Array, SearchFromOutsideTheArrayAnswersMinusOne) {
  std::unique_ptr<VLongArray> a(MakeLongs({5}));
  EXPECT_EQ(a->Find(5, 0, true, 0), -1);
  EXPECT_EQ(a->Find(5, 2, true, 0), -1);
  EXPECT_EQ(a->Find(5, 2, true, 7), -1);
  VLongArray empty;
  EXPECT_EQ(empty.Find(0), -1);
}

TEST(Array, FindValueReadsTheValueWithTheElementGetter) {
  std::unique_ptr<VLongArray> a(MakeLongs({5, 6, 7}));
  VRealArray key(1);
  key.SetReal(6.8, 1);
  key.SetCurrent(1);
  EXPECT_EQ(a->FindValue(key, 1, true, 0), 2);
}

// ---- copies

TEST(Array, CopyConstructionCopiesElementsSortedFlagAndSetsCurrentToTheLast) {
  std::unique_ptr<VLongArray> a(MakeLongs({3, 1, 2}));
  a->SetSorted(true);
  a->SetCurrent(1);
  VLongArray b(*a);
  EXPECT_EQ(Longs(b), (Ints{1, 2, 3}));
  EXPECT_TRUE(b.IsSorted());
  EXPECT_EQ(b.GetCurrent(), 3);
  b.SetLong(0, 1);
  EXPECT_EQ(Longs(*a), (Ints{1, 2, 3}));
}

TEST(Array, CloneIsAnIndependentArrayOfTheSameKind) {
  std::unique_ptr<VLongArray> a(MakeLongs({4, 5}));
  std::unique_ptr<VValue> copy(a->Clone());
  ASSERT_EQ(copy->GetKind(), kValueLongArray);
  auto* b = static_cast<VLongArray*>(copy.get());
  b->AppendLong(6, false);
  EXPECT_EQ(Longs(*a), (Ints{4, 5}));
  EXPECT_EQ(Longs(*b), (Ints{4, 5, 6}));
}

TEST(Array, AssignmentLeavesTheTargetsGroup) {
  std::unique_ptr<VLongArray> a(MakeLongs({1}));
  std::unique_ptr<VLongArray> b(MakeLongs({2}));
  b->LinkTo(a.get());
  VLongArray source(3);
  *b = source;
  EXPECT_FALSE(b->IsLinked());
  EXPECT_FALSE(a->IsLinked());
  EXPECT_EQ(Longs(*b), (Ints{0, 0, 0}));
}

TEST(Array, AssignArrayCopiesElementsAndCurrentButKeepsFlagAndGroup) {
  std::unique_ptr<VLongArray> a(MakeLongs({9, 8, 7}));
  a->SetCurrent(2);
  std::unique_ptr<VLongArray> b(MakeLongs({1}));
  std::unique_ptr<VLongArray> partner(MakeLongs({0}));
  b->LinkTo(partner.get());
  b->SetSorted(true);
  b->AssignArray(*a);
  EXPECT_EQ(Longs(*b), (Ints{9, 8, 7}));
  EXPECT_EQ(b->GetCurrent(), 2);
  EXPECT_TRUE(b->IsSorted());
  EXPECT_TRUE(b->IsLinked());
}

TEST(Array, AssignArrayRefusesAnotherKind) {
  std::unique_ptr<VLongArray> a(MakeLongs({1, 2}));
  VRealArray other(5);
  a->AssignArray(other);
  EXPECT_EQ(Longs(*a), (Ints{1, 2}));
}

TEST(Array, CopyWithoutMemoryForTheStoreLeavesTheTargetEmpty) {
  std::unique_ptr<VLongArray> a(MakeLongs({1, 2}));
  std::unique_ptr<VLongArray> b(MakeLongs({7}));
  std::unique_ptr<VLongArray> c(MakeLongs({8}));
  {
    NoDuplicatesMemoryMgr mgr(gMemoryMgr);
    VMemoryMgr* saved = gMemoryMgr;
    gMemoryMgr = &mgr;
    *b = *a;
    c->AssignArray(*a);
    gMemoryMgr = saved;
  }
  EXPECT_EQ(b->Count(), 0);
  EXPECT_EQ(Longs(*c), (Ints{8}));
  b->AppendLong(3, false);
  EXPECT_EQ(Longs(*b), (Ints{3}));
}

// ---- stream frame

TEST(Array, WritingAnEmptyArrayTaggedWritesKindAndZeroCount) {
  VLongArray a;
  Bytes expected;
  Put32(expected, 102);
  Put32(expected, 0);
  EXPECT_EQ(WriteOut(a, kTagVVAL), expected);
  Bytes untagged;
  Put32(untagged, 0);
  EXPECT_EQ(WriteOut(a, 0), untagged);
}

TEST(Array, LongsAreStoredBigEndianAndInThisMachinesOrder) {
  std::unique_ptr<VLongArray> a(MakeLongs({1, -2}));
  Bytes big;
  Put32(big, 102);
  Put32(big, 2);
  Put32(big, 1);
  Put32(big, 0xFFFFFFFE);
  int32_t status = -1;
  EXPECT_EQ(WriteOut(*a, kTagVVAL, Order::Big, &status), big);
  EXPECT_EQ(status, 0);
  const Bytes native = WriteOut(*a, 0, Order::Native);
  ASSERT_EQ(native.size(), 12u);
  int32_t values[3];
  std::memcpy(values, native.data(), 12);
  EXPECT_EQ(values[0], 2);
  EXPECT_EQ(values[1], 1);
  EXPECT_EQ(values[2], -2);
}

TEST(Array, ReadingTakesTheCountAndTheElementsOverThePreviousContent) {
  for (Order order : {Order::Big, Order::Native}) {
    std::unique_ptr<VLongArray> a(MakeLongs({100, -7, 65536, INT32_MIN}));
    const Bytes bytes = WriteOut(*a, 0, order);
    std::unique_ptr<VLongArray> b(MakeLongs({1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(ReadIn(*b, bytes, order), 0);
    EXPECT_EQ(Longs(*b), Longs(*a));
  }
}

TEST(Array, ReadingACountOfZeroEmptiesTheArray) {
  std::unique_ptr<VLongArray> a(MakeLongs({1, 2}));
  Bytes bytes;
  Put32(bytes, 0);
  EXPECT_EQ(ReadIn(*a, bytes), 0);
  EXPECT_EQ(a->Count(), 0);
}

TEST(Array, ACountLargerThanTheBytesLeftIsRefusedWithoutSizingTheArray) {
  std::unique_ptr<VLongArray> a(MakeLongs({1, 2}));
  Bytes bytes;
  Put32(bytes, 3);
  Put32(bytes, 10);
  Put32(bytes, 20);  // one element short
  ScopedFailingMemoryMgr mgr;
  int16_t streamStatus = 0;
  EXPECT_EQ(ReadIn(*a, bytes, Order::Big, &streamStatus), kStreamEndOfData);
  EXPECT_EQ(streamStatus, kStreamEndOfData);
  EXPECT_EQ(mgr->resizes, 0);
  EXPECT_EQ(Longs(*a), (Ints{1, 2}));
}

TEST(Array, AHugeCountIsRefusedWithoutAnAllocation) {
  VLongArray a;
  for (uint32_t count : {0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu, 0x40000000u}) {
    Bytes bytes;
    Put32(bytes, count);
    Put32(bytes, 1);
    ScopedFailingMemoryMgr mgr;
    EXPECT_EQ(ReadIn(a, bytes), kStreamEndOfData) << count;
    EXPECT_EQ(mgr->resizes, 0);
    EXPECT_EQ(a.Count(), 0);
  }
}

TEST(Array, ATruncatedCountChangesNothing) {
  std::unique_ptr<VLongArray> a(MakeLongs({1, 2}));
  const Bytes bytes = {0, 0};
  EXPECT_EQ(ReadIn(*a, bytes), kStreamEndOfData);
  EXPECT_EQ(Longs(*a), (Ints{1, 2}));
}

TEST(Array, ReadingAnswers100WhenTheStoreCannotGrow) {
  std::unique_ptr<VLongArray> a(MakeLongs({1}));
  Bytes bytes;
  Put32(bytes, 2);
  Put32(bytes, 5);
  Put32(bytes, 6);
  ScopedFailingMemoryMgr mgr;
  mgr->failResize = true;
  EXPECT_EQ(ReadIn(*a, bytes), int32_t(kMemNoMemory));
  EXPECT_EQ(Longs(*a), (Ints{1}));
}

TEST(Array, WritingToAFailedStreamAnswersItsStatus) {
  std::unique_ptr<VLongArray> a(MakeLongs({1}));
  Bytes bytes;
  VMemoryStream stream(bytes.data(), 0);
  stream.OpenRead();
  EXPECT_EQ(a->WriteToStream(stream, kTagVVAL), 205);
  stream.CloseRead();
}
