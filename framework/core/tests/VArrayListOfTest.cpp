// The array list form: positions, growth of its handle, uniqueness, searching,
// removal and the owning variant's disposal.
#include <gtest/gtest.h>

#include <vector>

#include "framework/core/containers/VArrayListOf.h"
#include "framework/core/tests/FailingMemoryMgr.h"
#include "framework/core/tests/ListTestSupport.h"

using Ints = std::vector<int32_t>;

namespace {

// Six bytes, as the host bridge's keyed records are.
struct Rec6 {
  uint16_t key;
  uint32_t value;
} __attribute__((packed));
static_assert(sizeof(Rec6) == 6);

// A record with three bytes of padding after its first field.
struct Padded {
  uint8_t a;
  uint32_t b;
};

// Equal when the keys match, whatever the values.
class KeyedList : public VArrayListOf<Rec6> {
 public:
  bool CompareItems(const Rec6* a, const Rec6* b) const override { return a->key == b->key; }
};

// Removes itself from its list (keeping) when deleted.
class SelfRemoving : public VObject {
 public:
  SelfRemoving(VListOf<VObject*>* list, std::vector<int>* log, int id)
      : fList(list), fLog(log), fId(id) {}
  ~SelfRemoving() override {
    VObject* self = this;
    fList->Remove(&self, true);
    fLog->push_back(fId);
  }

 private:
  VListOf<VObject*>* fList;
  std::vector<int>* fLog;
  int fId;
};

}  // namespace

TEST(ArrayList, EmptyListAnswersTheZeroItem) {
  VArrayListOf<int32_t> l;
  const int32_t x = 7;
  EXPECT_TRUE(l.IsEmpty());
  EXPECT_EQ(l.Count(), 0);
  EXPECT_EQ(l.First(), 0);
  EXPECT_EQ(l.Last(), 0);
  EXPECT_EQ(l.GetAt(1), 0);
  EXPECT_EQ(l.Find(&x), 0);
  EXPECT_EQ(l.IndexOf(&x), 0);
  EXPECT_FALSE(l.GetUnique());
}

TEST(ArrayList, IsAMultipleValueWithTagMinusOne) {
  VArrayListOf<int32_t> l;
  EXPECT_EQ(l.GetTag(), -1);
  EXPECT_EQ(l.GetKind(), 0);
  EXPECT_FALSE(l.IsSingle());
  EXPECT_EQ(l.Clone(), nullptr);
  VArrayListOf<int32_t> other;
  EXPECT_EQ(l.Compare(other, 0, 0), -1000);
}

TEST(ArrayList, AddAppendsAndAddFirstPrepends) {
  VArrayListOf<int32_t> l;
  AddAll(l, {1, 2, 3});
  const int32_t zero = 0, nine = 9;
  l.AddFirst(&zero);
  l.AddLast(&nine);
  EXPECT_EQ(Items(l), (Ints{0, 1, 2, 3, 9}));
  EXPECT_EQ(l.First(), 0);
  EXPECT_EQ(l.Last(), 9);
}

TEST(ArrayList, InsertClampsPositionIntoOneToCountPlusOne) {
  const int32_t x = 99;
  for (auto [pos, want] : std::vector<std::pair<int32_t, Ints>>{
           {0, {99, 1, 2, 3}},
           {-5, {99, 1, 2, 3}},
           {1, {99, 1, 2, 3}},
           {2, {1, 99, 2, 3}},
           {3, {1, 2, 99, 3}},  // position count: before the last
           {4, {1, 2, 3, 99}},
           {99, {1, 2, 3, 99}},
           {INT32_MAX, {1, 2, 3, 99}}}) {
    VArrayListOf<int32_t> l;
    AddAll(l, {1, 2, 3});
    l.Insert(&x, pos);
    EXPECT_EQ(Items(l), want) << "position " << pos;
  }
}

TEST(ArrayList, HandleGrowsToElevenThenTwentyTwo) {
  ScopedFailingMemoryMgr mm;
  VArrayListOf<int32_t> l;
  const int before = mm->resizes;
  for (int32_t i = 1; i <= 11; ++i) l.Add(&i);
  EXPECT_EQ(mm->resizes - before, 1);
  EXPECT_EQ(l.GetCapacity(), 11);
  int32_t twelve = 12;
  l.Add(&twelve);
  EXPECT_EQ(mm->resizes - before, 2);
  EXPECT_EQ(l.GetCapacity(), 22);
  for (int32_t i = 13; i <= 22; ++i) l.Add(&i);
  EXPECT_EQ(mm->resizes - before, 2);
  EXPECT_EQ(l.Count(), 22);
  for (int32_t i = 1; i <= 22; ++i) EXPECT_EQ(l.GetAt(i), i);
}

TEST(ArrayList, FailedGrowthLeavesTheListUnchanged) {
  ScopedFailingMemoryMgr mm;
  VArrayListOf<int32_t> l;
  for (int32_t i = 1; i <= 11; ++i) l.Add(&i);
  mm->failResize = true;
  const int32_t x = 50;
  l.Insert(&x, 1);
  EXPECT_EQ(gMemoryMgr->GetError(), kMemNoMemory);
  EXPECT_EQ(l.Count(), 11);
  EXPECT_EQ(l.GetCapacity(), 11);
  EXPECT_EQ(l.First(), 1);
  EXPECT_EQ(l.Last(), 11);
  mm->failResize = false;
  l.Insert(&x, 1);
  EXPECT_EQ(l.First(), 50);
  EXPECT_EQ(l.Count(), 12);
}

TEST(ArrayList, ListWhoseFirstHandleFailedStillGrowsLater) {
  ScopedFailingMemoryMgr mm;
  mm->failNew = true;
  VArrayListOf<int32_t> l;
  const int32_t x = 4;
  l.Add(&x);
  EXPECT_TRUE(l.IsEmpty());
  mm->failNew = false;
  l.Add(&x);
  EXPECT_EQ(Items(l), Ints{4});
}

TEST(ArrayList, UniqueListSkipsAnItemAlreadyPresent) {
  VArrayListOf<int32_t> l;
  l.SetUnique(true);
  EXPECT_TRUE(l.GetUnique());
  const int32_t a = 5, b = 6;
  l.Add(&a);
  l.Add(&a);
  l.AddFirst(&a);
  l.Insert(&a, 1);
  l.InsertAfter(&a, &a);
  EXPECT_EQ(Items(l), Ints{5});
  l.Add(&b);
  EXPECT_EQ(Items(l), (Ints{5, 6}));
}

TEST(ArrayList, UniqueListHoldsOneZeroItem) {
  VArrayListOf<VObject*> l;
  l.SetUnique(true);
  VObject* none = nullptr;
  l.Add(&none);
  l.Add(&none);
  EXPECT_EQ(l.Count(), 1);
}

TEST(ArrayList, SettingUniqueKeepsDuplicatesAlreadyPresent) {
  VArrayListOf<int32_t> l;
  AddAll(l, {3, 3, 4});
  l.SetUnique(true);
  EXPECT_EQ(Items(l), (Ints{3, 3, 4}));
  const int32_t three = 3;
  l.Add(&three);
  EXPECT_EQ(l.Count(), 3);
}

TEST(ArrayList, InsertAfterAndBeforeAReference) {
  VArrayListOf<int32_t> l;
  AddAll(l, {1, 2, 3});
  const int32_t two = 2, x = 7, y = 8, absent = 42, z = 9;
  l.InsertAfter(&x, &two);
  EXPECT_EQ(Items(l), (Ints{1, 2, 7, 3}));
  l.InsertBefore(&y, &two);
  EXPECT_EQ(Items(l), (Ints{1, 8, 2, 7, 3}));
  // An absent reference puts the item first, after as before.
  l.InsertAfter(&z, &absent);
  l.InsertBefore(&z, &absent);
  EXPECT_EQ(Items(l), (Ints{9, 9, 1, 8, 2, 7, 3}));
}

TEST(ArrayList, GetAtOutsideTheRangeAnswersZero) {
  VArrayListOf<int32_t> l;
  AddAll(l, {10, 20, 30});
  EXPECT_EQ(l.GetAt(0), 0);
  EXPECT_EQ(l.GetAt(-1), 0);
  EXPECT_EQ(l.GetAt(4), 0);
  EXPECT_EQ(l.GetAt(INT32_MIN), 0);
  EXPECT_EQ(l.GetAt(2), 20);
}

TEST(ArrayList, SetAtReplacesOnlyInsideTheRange) {
  VArrayListOf<int32_t> l;
  AddAll(l, {10, 20, 30});
  const int32_t x = 5;
  l.SetAt(&x, 5);
  l.SetAt(&x, 0);
  l.SetAt(&x, -2);
  l.SetAt(nullptr, 1);
  EXPECT_EQ(Items(l), (Ints{10, 20, 30}));
  l.SetAt(&x, 3);
  EXPECT_EQ(Items(l), (Ints{10, 20, 5}));
}

TEST(ArrayList, NextAndPreviousOfAnItem) {
  VArrayListOf<int32_t> l;
  AddAll(l, {1, 2, 3});
  const int32_t a = 1, c = 3, absent = 9;
  EXPECT_EQ(l.Next(&a), 2);
  EXPECT_EQ(l.Next(&c), 0);
  EXPECT_EQ(l.Next(&absent), 1);  // absent: the first element
  EXPECT_EQ(l.Previous(&c), 2);
  EXPECT_EQ(l.Previous(&a), 0);
  EXPECT_EQ(l.Previous(&absent), 0);
}

TEST(ArrayList, FindAnswersTheItemAsPassed) {
  KeyedList l;
  const Rec6 stored{1, 100};
  l.Add(&stored);
  const Rec6 probe{1, 555};
  EXPECT_EQ(l.IndexOf(&probe), 1);
  EXPECT_EQ(l.Find(&probe).value, 555u);
  const Rec6 absent{2, 100};
  const Rec6 found = l.Find(&absent);
  EXPECT_EQ(found.key, 0);
  EXPECT_EQ(found.value, 0u);
}

TEST(ArrayList, SixByteRecordsArePackedWithoutGaps) {
  VArrayListOf<Rec6> l;
  for (uint16_t k = 1; k <= 30; ++k) {
    const Rec6 r{k, uint32_t(k) * 1000u};
    l.Add(&r);
  }
  for (uint16_t k = 1; k <= 30; ++k) {
    const Rec6 r = l.GetAt(k);
    EXPECT_EQ(r.key, k);
    EXPECT_EQ(r.value, uint32_t(k) * 1000u);
  }
}

TEST(ArrayList, ValueInitialisedRecordsCompareEqualWhateverThePadding) {
  VArrayListOf<Padded> l;
  Padded stored{};
  stored.a = 1;
  stored.b = 2;
  l.Add(&stored);
  Padded probe{};
  probe.a = 1;
  probe.b = 2;
  EXPECT_EQ(l.IndexOf(&probe), 1);
}

TEST(ArrayList, IndexOfFindsTheFirstEqualElement) {
  VArrayListOf<int32_t> l;
  AddAll(l, {4, 5, 4, 5});
  const int32_t five = 5, absent = 6;
  EXPECT_EQ(l.IndexOf(&five), 2);
  EXPECT_EQ(l.IndexOf(&absent), 0);
  EXPECT_EQ(l.IndexOf(nullptr), 0);
}

TEST(ArrayList, NullItemAddressesChangeNothing) {
  VArrayListOf<int32_t> l;
  l.Add(nullptr);
  l.Insert(nullptr, 1);
  l.AddFirst(nullptr);
  EXPECT_TRUE(l.IsEmpty());
  EXPECT_EQ(l.Find(nullptr), 0);
}

TEST(ArrayList, RemoveAtOutsideTheRangeChangesNothing) {
  VArrayListOf<int32_t> l;
  AddAll(l, {1, 2, 3});
  l.RemoveAt(0, false);
  l.RemoveAt(4, false);
  l.RemoveAt(-1, false);
  EXPECT_EQ(Items(l), (Ints{1, 2, 3}));
  l.RemoveAt(2, false);
  EXPECT_EQ(Items(l), (Ints{1, 3}));
}

TEST(ArrayList, RemovalKeepsTheCapacity) {
  VArrayListOf<int32_t> l;
  for (int32_t i = 1; i <= 12; ++i) l.Add(&i);
  for (int i = 0; i < 10; ++i) l.RemoveAt(1, true);
  EXPECT_EQ(Items(l), (Ints{11, 12}));
  EXPECT_EQ(l.GetCapacity(), 22);
  const int32_t x = 11;
  l.Remove(&x, true);
  EXPECT_EQ(Items(l), Ints{12});
}

TEST(ArrayList, RemoveAllEmptiesTheHandle) {
  VArrayListOf<int32_t> l;
  AddAll(l, {1, 2, 3});
  l.RemoveAll(true);
  EXPECT_TRUE(l.IsEmpty());
  EXPECT_EQ(l.GetCapacity(), 0);
  AddAll(l, {4});
  EXPECT_EQ(Items(l), Ints{4});
  EXPECT_EQ(l.GetCapacity(), 11);
}

TEST(ArrayListPtr, DisposesOnlyWhenNotKept) {
  std::vector<int> log;
  VArrayListPtrOf<VObject*> l;
  VObject* a = new Tracked(&log, 1);
  VObject* b = new Tracked(&log, 2);
  VObject* c = new Tracked(&log, 3);
  l.Add(&a);
  l.Add(&b);
  l.Add(&c);
  l.RemoveAt(2, true);
  EXPECT_TRUE(log.empty());
  l.Remove(&a, false);
  EXPECT_EQ(log, std::vector<int>{1});
  EXPECT_EQ(l.Count(), 1);
  delete b;
  l.RemoveAll(false);
  EXPECT_EQ(log, (std::vector<int>{1, 2, 3}));
}

TEST(ArrayListPtr, RemoveAllDisposesFromTheLastToTheFirst) {
  std::vector<int> log;
  VArrayListPtrOf<VObject*> l;
  VObject* none = nullptr;
  for (int i = 1; i <= 4; ++i) {
    VObject* o = new Tracked(&log, i);
    l.Add(&o);
  }
  l.Add(&none);  // a null element is skipped by the disposal
  l.RemoveAll(false);
  EXPECT_EQ(log, (std::vector<int>{4, 3, 2, 1}));
  EXPECT_TRUE(l.IsEmpty());
}

TEST(ArrayListPtr, ReleasedListLeavesItsObjectsAlive) {
  std::vector<int> log;
  VObject* a = new Tracked(&log, 1);
  {
    VArrayListPtrOf<VObject*> l;
    l.Add(&a);
  }
  EXPECT_TRUE(log.empty());
  delete a;
}

TEST(ArrayListPtr, ComparesPointersNotBytesOfTheObjects) {
  std::vector<int> log;
  VArrayListPtrOf<Tracked*> l;
  Tracked* a = new Tracked(&log, 1);
  Tracked* b = new Tracked(&log, 1);
  l.Add(&a);
  EXPECT_EQ(l.IndexOf(&b), 0);
  EXPECT_EQ(l.IndexOf(&a), 1);
  l.RemoveAll(false);
  delete b;
}

TEST(ArrayListPtr, ObjectThatRemovesItselfWhileBeingDisposedLeavesTheListWhole) {
  std::vector<int> log;
  VArrayListPtrOf<VObject*> l;
  for (int i = 1; i <= 3; ++i) {
    VObject* o = new SelfRemoving(&l, &log, i);
    l.Add(&o);
  }
  l.RemoveAt(2, false);
  EXPECT_EQ(log, std::vector<int>{2});
  EXPECT_EQ(l.Count(), 2);
  l.RemoveAll(false);
  EXPECT_EQ(log, (std::vector<int>{2, 3, 1}));
  EXPECT_TRUE(l.IsEmpty());
}
