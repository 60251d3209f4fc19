// The chain list form: its own positions, uniqueness, searching, removal and
// the owning variant's disposal.
#include <gtest/gtest.h>

#include <vector>

#include "framework/core/containers/VChainListOf.h"
#include "framework/core/tests/ListTestSupport.h"

using Ints = std::vector<int32_t>;

TEST(ChainList, EmptyListAnswersTheZeroItem) {
  VChainListOf<int32_t> l;
  const int32_t x = 7;
  EXPECT_TRUE(l.IsEmpty());
  EXPECT_EQ(l.First(), 0);
  EXPECT_EQ(l.Last(), 0);
  EXPECT_EQ(l.GetAt(1), 0);
  EXPECT_EQ(l.Find(&x), 0);
  EXPECT_EQ(l.IndexOf(&x), 0);
  EXPECT_EQ(l.Next(&x), 0);
  EXPECT_EQ(l.Previous(&x), 0);
  EXPECT_EQ(l.GetTag(), -1);
  EXPECT_EQ(l.GetKind(), 0);
}

TEST(ChainList, AddFirstAndAddLast) {
  VChainListOf<int32_t> l;
  const int32_t a = 1, b = 2, c = 3;
  l.AddLast(&b);
  l.AddFirst(&a);
  l.Add(&c);
  EXPECT_EQ(Items(l), (Ints{1, 2, 3}));
  EXPECT_EQ(l.First(), 1);
  EXPECT_EQ(l.Last(), 3);
  EXPECT_EQ(l.Count(), 3);
}

TEST(ChainList, InsertPutsTheItemAfterNodeN) {
  const int32_t x = 99;
  for (auto [pos, want] : std::vector<std::pair<int32_t, Ints>>{
           {0, {99, 1, 2, 3}},
           {-7, {99, 1, 2, 3}},
           {1, {1, 99, 2, 3}},
           {2, {1, 2, 99, 3}},
           {3, {1, 2, 3, 99}},  // position count: appended
           {50, {1, 2, 3, 99}},
           {INT32_MAX, {1, 2, 3, 99}}}) {
    VChainListOf<int32_t> l;
    AddAll(l, {1, 2, 3});
    l.Insert(&x, pos);
    EXPECT_EQ(Items(l), want) << "position " << pos;
    EXPECT_EQ(l.Count(), 4);
    EXPECT_EQ(l.Last(), want.back());
  }
}

TEST(ChainList, InsertAfterAndBeforeAReference) {
  VChainListOf<int32_t> l;
  AddAll(l, {1, 2, 3});
  const int32_t one = 1, three = 3, x = 7, y = 8, absent = 42, z = 9;
  l.InsertAfter(&x, &three);  // after the last: becomes the last
  EXPECT_EQ(Items(l), (Ints{1, 2, 3, 7}));
  EXPECT_EQ(l.Last(), 7);
  l.InsertBefore(&y, &one);  // before the first: becomes the first
  EXPECT_EQ(Items(l), (Ints{8, 1, 2, 3, 7}));
  EXPECT_EQ(l.First(), 8);
  // An absent reference appends the item, after as before.
  l.InsertAfter(&z, &absent);
  l.InsertBefore(&z, &absent);
  EXPECT_EQ(Items(l), (Ints{8, 1, 2, 3, 7, 9, 9}));
}

TEST(ChainList, UniqueListSkipsAnItemAlreadyPresent) {
  VChainListOf<int32_t> l;
  l.SetUnique(true);
  const int32_t a = 5, b = 6;
  l.Add(&a);
  l.AddFirst(&a);
  l.Insert(&a, 1);
  l.Add(&b);
  EXPECT_EQ(Items(l), (Ints{5, 6}));
}

TEST(ChainList, UniqueListAlwaysAdmitsTheNullPointer) {
  // Unlike the array list, the chain list's unique test asks whether a
  // search finds a non-zero element, so the zero item is always added.
  VChainListOf<VObject*> l;
  l.SetUnique(true);
  VObject* none = nullptr;
  l.Add(&none);
  l.Add(&none);
  EXPECT_EQ(l.Count(), 2);
  l.AddFirst(&none);
  l.Insert(&none, 1);
  EXPECT_EQ(l.Count(), 4);
}

TEST(ChainList, UniqueListTestsOnlyItemsThatAreAppended) {
  VChainListOf<int32_t> l;
  l.SetUnique(true);
  AddAll(l, {1, 2});
  const int32_t one = 1, two = 2, absent = 9;
  l.InsertAfter(&two, &one);   // reference present: no unique test
  l.InsertBefore(&one, &two);  // likewise
  EXPECT_EQ(Items(l), (Ints{1, 1, 2, 2}));
  l.InsertAfter(&one, &absent);  // appended: the unique test applies
  EXPECT_EQ(Items(l), (Ints{1, 1, 2, 2}));
}

TEST(ChainList, WithoutUniqueDuplicatesAndNullsAreKept) {
  VChainListOf<VObject*> l;
  VObject* none = nullptr;
  l.Add(&none);
  l.Add(&none);
  EXPECT_EQ(l.Count(), 2);
}

TEST(ChainList, NextAndPreviousOfAnItem) {
  VChainListOf<int32_t> l;
  AddAll(l, {1, 2, 3});
  const int32_t a = 1, b = 2, c = 3, absent = 9;
  EXPECT_EQ(l.Next(&a), 2);
  EXPECT_EQ(l.Next(&c), 0);
  EXPECT_EQ(l.Next(&absent), 0);  // absent: the zero item
  EXPECT_EQ(l.Previous(&b), 1);
  EXPECT_EQ(l.Previous(&a), 0);
  EXPECT_EQ(l.Previous(&absent), 0);
}

TEST(ChainList, FindAndIndexOfUseTheFirstEqualElement) {
  VChainListOf<int32_t> l;
  AddAll(l, {4, 5, 4, 5});
  const int32_t five = 5, absent = 6;
  EXPECT_EQ(l.IndexOf(&five), 2);
  EXPECT_EQ(l.Find(&five), 5);
  EXPECT_EQ(l.IndexOf(&absent), 0);
  EXPECT_EQ(l.Find(&absent), 0);
  EXPECT_EQ(l.IndexOf(nullptr), 0);
}

TEST(ChainList, GetAtAndSetAtOnlyInsideTheRange) {
  VChainListOf<int32_t> l;
  AddAll(l, {10, 20, 30});
  EXPECT_EQ(l.GetAt(0), 0);
  EXPECT_EQ(l.GetAt(4), 0);
  EXPECT_EQ(l.GetAt(-3), 0);
  EXPECT_EQ(l.GetAt(3), 30);
  const int32_t x = 5;
  l.SetAt(&x, 5);
  l.SetAt(&x, 0);
  l.SetAt(nullptr, 2);
  EXPECT_EQ(Items(l), (Ints{10, 20, 30}));
  l.SetAt(&x, 2);
  EXPECT_EQ(Items(l), (Ints{10, 5, 30}));
}

TEST(ChainList, RemovalKeepsTheEndsLinked) {
  VChainListOf<int32_t> l;
  AddAll(l, {1, 2, 3, 4});
  l.RemoveAt(0, false);
  l.RemoveAt(5, false);
  EXPECT_EQ(l.Count(), 4);
  l.RemoveAt(1, true);
  EXPECT_EQ(l.First(), 2);
  l.RemoveAt(3, true);
  EXPECT_EQ(l.Last(), 3);
  const int32_t absent = 8, three = 3;
  l.Remove(&absent, true);
  EXPECT_EQ(Items(l), (Ints{2, 3}));
  l.Remove(&three, true);
  EXPECT_EQ(Items(l), Ints{2});
  EXPECT_EQ(l.First(), 2);
  EXPECT_EQ(l.Last(), 2);
  l.RemoveAt(1, true);
  EXPECT_TRUE(l.IsEmpty());
  EXPECT_EQ(l.First(), 0);
  EXPECT_EQ(l.Last(), 0);
  AddAll(l, {6});
  EXPECT_EQ(Items(l), Ints{6});
}

TEST(ChainListPtr, RemoveAllDisposesFromTheFirstToTheLast) {
  std::vector<int> log;
  VChainListPtrOf<VObject*> l;
  VObject* none = nullptr;
  for (int i = 1; i <= 4; ++i) {
    VObject* o = new Tracked(&log, i);
    l.Add(&o);
  }
  l.Add(&none);
  l.RemoveAll(false);
  EXPECT_EQ(log, (std::vector<int>{1, 2, 3, 4}));
  EXPECT_TRUE(l.IsEmpty());
}

TEST(ChainListPtr, ReleasedListLeavesItsObjectsAlive) {
  std::vector<int> log;
  VObject* a = new Tracked(&log, 1);
  VObject* b = new Tracked(&log, 2);
  {
    VChainListPtrOf<VObject*> l;
    l.Add(&a);
    l.Add(&b);
  }
  EXPECT_TRUE(log.empty());
  {
    VChainListPtrOf<VObject*> l;
    l.Add(&a);
    l.Add(&b);
    l.RemoveAll(false);
    EXPECT_EQ(log, (std::vector<int>{1, 2}));
  }
  EXPECT_EQ(log.size(), 2u);  // each deleted once
}

TEST(ChainListPtr, DisposesOnlyWhenNotKept) {
  std::vector<int> log;
  VChainListPtrOf<VObject*> l;
  VObject* a = new Tracked(&log, 1);
  VObject* b = new Tracked(&log, 2);
  l.Add(&a);
  l.Add(&b);
  l.Remove(&a, true);
  EXPECT_TRUE(log.empty());
  l.RemoveAt(1, false);
  EXPECT_EQ(log, std::vector<int>{2});
  delete a;
}

// Removal looked for from both ends: the same list as Remove leaves, for an
// element at either end, in the middle, or absent. A row a case.
TEST(ChainList, RemoveFromEitherEndLeavesWhatRemoveLeaves) {
  const struct {
    Ints items;
    int32_t removed;
  } rows[] = {
      {{1, 2, 3, 4, 5, 6}, 1}, {{1, 2, 3, 4, 5, 6}, 6}, {{1, 2, 3, 4, 5, 6}, 4}, {{1, 2, 3, 4, 5, 6}, 3},
      {{1, 2, 3, 4, 5, 6}, 9}, {{1, 2, 3, 4, 5}, 3},    {{7}, 7},              {{7}, 8},
      {{7, 8}, 8},             {{7, 8}, 7},             {{}, 1},               {{1, 2, 3, 4, 5}, 0},
  };
  for (const auto& row : rows) {
    VChainListOf<int32_t> either;
    VChainListOf<int32_t> plain;
    for (int32_t item : row.items) {
      either.Add(&item);
      plain.Add(&item);
    }
    either.RemoveFromEitherEnd(&row.removed, true);
    plain.Remove(&row.removed, true);
    EXPECT_EQ(Items(either), Items(plain)) << row.removed;
    EXPECT_EQ(either.Count(), plain.Count()) << row.removed;
    if (!either.IsEmpty()) {
      EXPECT_EQ(either.First(), plain.First());
      EXPECT_EQ(either.Last(), plain.Last());
    }
  }
}
