// The sparse array: depth from the highest position, nodes made and released
// as positions fill and empty, no aliasing beyond the capacity, ordered walks,
// moves of whole ranges and the refusals that keep the array as it was.
#include <gtest/gtest.h>

#include <vector>

#include "framework/core/containers/VSparseArray.h"
#include "framework/core/tests/FailingMemoryMgr.h"
#include "framework/core/tests/ListTestSupport.h"

namespace {

// Counts the node blocks in use and can be told to refuse blocks after a
// number of them have been given.
class BlockCountingMgr : public FailingMemoryMgr {
 public:
  explicit BlockCountingMgr(VMemoryMgr* real) : FailingMemoryMgr(real) {}

  int live = 0;
  int made = 0;
  int blocksLeft = -1;  // -1: no limit

  void* NewBlockClear(uint32_t size) override {
    if (blocksLeft == 0) return nullptr;
    if (blocksLeft > 0) --blocksLeft;
    void* block = FailingMemoryMgr::NewBlockClear(size);
    if (block != nullptr) {
      ++live;
      ++made;
    }
    return block;
  }
  void DisposeBlock(void* block) override {
    if (block != nullptr) --live;
    FailingMemoryMgr::DisposeBlock(block);
  }
};

class ScopedBlockCounter {
 public:
  ScopedBlockCounter() : fSaved(gMemoryMgr), fMgr(gMemoryMgr) { gMemoryMgr = &fMgr; }
  ~ScopedBlockCounter() { gMemoryMgr = fSaved; }
  BlockCountingMgr* operator->() { return &fMgr; }

 private:
  VMemoryMgr* fSaved;
  BlockCountingMgr fMgr;
};

// Plain objects to store; the array compares them by address.
struct Objects {
  std::vector<int> log;
  Tracked a{&log, 1}, b{&log, 2}, c{&log, 3}, d{&log, 4};
};

std::vector<int32_t> Positions(const VSparseArray& array) {
  std::vector<int32_t> out;
  for (int32_t p = array.FirstPosition(); p != 0; p = array.NextPosition(p)) out.push_back(p);
  return out;
}

}  // namespace

TEST(SparseArray, DepthFollowsTheHighestPosition) {
  const struct {
    int32_t highest;
    uint32_t shift;
    int32_t capacity;
  } cases[] = {{0, 0, 256},          {1, 0, 256},           {255, 0, 256},
               {256, 8, 65536},      {300, 8, 65536},       {0xFFFF, 8, 65536},
               {0x10000, 16, 0x1000000}, {0xFFFFFF, 16, 0x1000000}, {0x1000000, 24, 0x7FFFFFFF},
               {0x7FFFFFFF, 24, 0x7FFFFFFF}, {-5, 0, 256}};
  for (const auto& c : cases) {
    VSparseArray array(c.highest);
    EXPECT_EQ(array.GetShift(), c.shift) << c.highest;
    EXPECT_EQ(array.GetCapacity(), c.capacity) << c.highest;
  }
}

TEST(SparseArray, TwoPositionsInDifferentLeavesMakeOneRootAndTwoLeaves) {
  ScopedBlockCounter mgr;
  Objects items;
  VSparseArray array(300);
  EXPECT_EQ(array.GetShift(), 8u);
  ASSERT_TRUE(array.SetAt(&items.a, 1));
  EXPECT_EQ(mgr->made, 2);  // the root and leaf 0
  ASSERT_TRUE(array.SetAt(&items.b, 300));
  EXPECT_EQ(mgr->made, 3);  // key 299 lies in leaf 1
  EXPECT_EQ(mgr->live, 3);
  EXPECT_EQ(array.Count(), 2);
  EXPECT_EQ(array.GetAt(1), &items.a);
  EXPECT_EQ(array.GetAt(300), &items.b);
  EXPECT_EQ(array.GetAt(2), nullptr);
  EXPECT_EQ(array.GetAt(299), nullptr);
  // A third item in leaf 0 needs no new node.
  ASSERT_TRUE(array.SetAt(&items.c, 256));
  EXPECT_EQ(mgr->made, 3);
}

TEST(SparseArray, EmptyingTheLastPositionReleasesLeafAndRoot) {
  ScopedBlockCounter mgr;
  Objects items;
  VSparseArray array(1000);
  ASSERT_TRUE(array.SetAt(&items.a, 5));
  ASSERT_TRUE(array.SetAt(&items.b, 600));
  EXPECT_EQ(mgr->live, 3);
  ASSERT_TRUE(array.SetAt(nullptr, 5));
  EXPECT_EQ(mgr->live, 2);  // leaf 0 went; the root still holds leaf 2
  ASSERT_TRUE(array.SetAt(nullptr, 600));
  EXPECT_EQ(mgr->live, 0);
  EXPECT_TRUE(array.IsEmpty());
  // Emptying an empty position makes no node.
  ASSERT_TRUE(array.SetAt(nullptr, 77));
  EXPECT_EQ(mgr->made, 3);
  // The item itself was never deleted.
  EXPECT_TRUE(items.log.empty());
}

TEST(SparseArray, ReplacingAnItemKeepsTheCountAndTheOldItem) {
  Objects items;
  VSparseArray array(10);
  array.SetAt(&items.a, 3);
  array.SetAt(&items.b, 3);
  EXPECT_EQ(array.Count(), 1);
  EXPECT_EQ(array.GetAt(3), &items.b);
  EXPECT_TRUE(items.log.empty());
}

TEST(SparseArray, PositionsBeyondTheCapacityDoNotAliasLowerOnes) {
  Objects items;
  VSparseArray array(10);
  ASSERT_EQ(array.GetCapacity(), 256);
  ASSERT_TRUE(array.SetAt(&items.a, 1));
  // Position 257 has key 256, whose lowest byte is that of position 1.
  EXPECT_EQ(array.GetAt(257), nullptr);
  EXPECT_EQ(array.GetAt(0x7FFFFFFF), nullptr);
  // Storing there deepens the tree first, and both items stay apart.
  ASSERT_TRUE(array.SetAt(&items.b, 257));
  EXPECT_EQ(array.GetShift(), 8u);
  EXPECT_EQ(array.GetAt(1), &items.a);
  EXPECT_EQ(array.GetAt(257), &items.b);
  ASSERT_TRUE(array.SetAt(&items.c, 0x7FFFFFFF));
  EXPECT_EQ(array.GetShift(), 24u);
  EXPECT_EQ(array.GetAt(1), &items.a);
  EXPECT_EQ(array.GetAt(257), &items.b);
  EXPECT_EQ(array.GetAt(0x7FFFFFFF), &items.c);
  EXPECT_EQ(array.Count(), 3);
  // Emptying a position beyond the capacity has nothing to do.
  VSparseArray small(1);
  EXPECT_TRUE(small.SetAt(nullptr, 1000));
  EXPECT_EQ(small.GetShift(), 0u);
}

TEST(SparseArray, PositionZeroAndNegativePositionsHoldNothing) {
  Objects items;
  VSparseArray array(0x7FFFFFFF);
  EXPECT_FALSE(array.SetAt(&items.a, 0));
  EXPECT_FALSE(array.SetAt(&items.a, -1));
  EXPECT_TRUE(array.IsEmpty());
  // Key 0xFFFFFFFF (position 0 taken as p - 1) must stay empty.
  EXPECT_EQ(array.LastPosition(), 0);
  EXPECT_EQ(array.GetAt(0), nullptr);
  EXPECT_EQ(array.GetAt(-7), nullptr);
  array.RemoveAt(0, false);
  EXPECT_TRUE(items.log.empty());
}

TEST(SparseArray, HighestPositionWorksAtFullDepth) {
  Objects items;
  VSparseArray array(0x7FFFFFFF);
  ASSERT_TRUE(array.SetAt(&items.a, 0x7FFFFFFF));
  ASSERT_TRUE(array.SetAt(&items.b, 0x7FFFFF00));
  EXPECT_EQ(array.GetAt(0x7FFFFFFF), &items.a);
  EXPECT_EQ(array.LastPosition(), 0x7FFFFFFF);
  EXPECT_EQ(array.FirstPosition(), 0x7FFFFF00);
  EXPECT_EQ(array.NextPosition(0x7FFFFF00), 0x7FFFFFFF);
  EXPECT_EQ(array.NextPosition(0x7FFFFFFF), 0);
  EXPECT_EQ(array.PreviousPosition(0x7FFFFFFF), 0x7FFFFF00);
  EXPECT_EQ(array.IndexOf(&items.a), 0x7FFFFFFF);
}

TEST(SparseArray, IndexOfFindsTheFirstPositionInPositionOrder) {
  Objects items;
  VSparseArray array(100000);
  array.SetAt(&items.a, 70000);
  array.SetAt(&items.a, 3);
  array.SetAt(&items.b, 9);
  EXPECT_EQ(array.IndexOf(&items.a), 3);
  EXPECT_EQ(array.IndexOf(&items.b), 9);
  EXPECT_EQ(array.IndexOf(&items.c), 0);
  EXPECT_EQ(array.IndexOf(nullptr), 0);
  EXPECT_EQ(array.Contains(&items.b), &items.b);
  EXPECT_EQ(array.Contains(&items.c), nullptr);
}

TEST(SparseArray, FirstLastNextAndPreviousSkipEmptyPositionsAcrossNodes) {
  Objects items;
  VSparseArray array(0x20000);
  EXPECT_EQ(array.First(), nullptr);
  EXPECT_EQ(array.Last(), nullptr);
  array.SetAt(&items.a, 2);
  array.SetAt(&items.b, 513);
  array.SetAt(&items.c, 0x1FFFF);
  EXPECT_EQ(array.First(), &items.a);
  EXPECT_EQ(array.Last(), &items.c);
  EXPECT_EQ(array.Next(0), &items.a);
  EXPECT_EQ(array.Next(2), &items.b);
  EXPECT_EQ(array.Next(3), &items.b);
  EXPECT_EQ(array.Next(513), &items.c);
  EXPECT_EQ(array.Next(0x1FFFF), nullptr);
  EXPECT_EQ(array.Previous(0x1FFFF), &items.b);
  EXPECT_EQ(array.Previous(513), &items.a);
  EXPECT_EQ(array.Previous(2), nullptr);
  EXPECT_EQ(array.Previous(1), nullptr);
  // From beyond the capacity the walk back starts at the last item.
  EXPECT_EQ(array.PreviousPosition(0x7FFFFFFF), 0x1FFFF);
  EXPECT_EQ(Positions(array), (std::vector<int32_t>{2, 513, 0x1FFFF}));
}

TEST(SparseArray, IteratorWalksBothWaysAndRestartsFromOffTheArray) {
  Objects items;
  VSparseArray array(1000);
  array.SetAt(&items.a, 10);
  array.SetAt(&items.b, 300);
  array.SetAt(&items.c, 999);
  VSparseArrayIterator it(&array);
  EXPECT_EQ(it.Current(), nullptr);
  EXPECT_EQ(it.Next(), &items.a);
  EXPECT_EQ(it.GetPosition(), 10);
  EXPECT_EQ(it.Current(), &items.a);
  EXPECT_EQ(it.Next(), &items.b);
  EXPECT_EQ(it.Next(), &items.c);
  EXPECT_EQ(it.Next(), nullptr);
  EXPECT_EQ(it.GetPosition(), 0);
  EXPECT_EQ(it.Next(), &items.a);
  EXPECT_EQ(it.Last(), &items.c);
  EXPECT_EQ(it.Previous(), &items.b);
  EXPECT_EQ(it.Previous(), &items.a);
  EXPECT_EQ(it.Previous(), nullptr);
  EXPECT_EQ(it.Previous(), &items.c);
  EXPECT_EQ(it.First(), &items.a);
  // An emptied current position answers null.
  array.SetAt(nullptr, 10);
  EXPECT_EQ(it.Current(), nullptr);
  EXPECT_EQ(it.Next(), &items.b);
  VSparseArrayIterator detached;
  EXPECT_EQ(detached.Next(), nullptr);
  EXPECT_EQ(detached.Previous(), nullptr);
}

TEST(SparseArray, RemoveDeletesTheItemUnlessKept) {
  std::vector<int> log;
  VSparseArray array(100);
  Tracked* kept = new Tracked(&log, 1);
  array.SetAt(kept, 4);
  array.SetAt(new Tracked(&log, 2), 5);
  array.SetAt(new Tracked(&log, 3), 6);
  array.RemoveAt(4, true);
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(array.GetAt(4), nullptr);
  array.RemoveAt(5, false);
  EXPECT_EQ(log, std::vector<int>{2});
  VObject* third = array.GetAt(6);
  array.Remove(third, false);
  EXPECT_EQ(log, (std::vector<int>{2, 3}));
  array.Remove(kept, false);  // absent: nothing
  EXPECT_EQ(log.size(), 2u);
  EXPECT_TRUE(array.IsEmpty());
  delete kept;
}

TEST(SparseArray, ClearDeletesItemsOnlyWhenAsked) {
  ScopedBlockCounter mgr;
  std::vector<int> log;
  Tracked kept(&log, 9);
  {
    VSparseArray array(5000);
    array.SetAt(&kept, 1);
    array.SetAt(&kept, 4000);
    array.Clear(false);
    EXPECT_TRUE(array.IsEmpty());
    EXPECT_EQ(mgr->live, 0);
    array.SetAt(new Tracked(&log, 1), 2);
    array.SetAt(new Tracked(&log, 2), 3000);
    array.Clear(true);
    EXPECT_EQ(log, (std::vector<int>{1, 2}));
    EXPECT_EQ(mgr->live, 0);
    // The destructor keeps the items it still holds.
    array.SetAt(&kept, 7);
  }
  EXPECT_EQ(log.size(), 2u);
  EXPECT_EQ(mgr->live, 0);
}

TEST(SparseArray, CopySharesItemsButNotTheTree) {
  ScopedBlockCounter mgr;
  Objects items;
  VSparseArray array(70000);
  array.SetAt(&items.a, 1);
  array.SetAt(&items.b, 66000);
  const int before = mgr->live;
  VSparseArray copy(array);
  EXPECT_EQ(mgr->live, 2 * before);
  EXPECT_EQ(copy.GetShift(), array.GetShift());
  EXPECT_EQ(copy.Count(), 2);
  EXPECT_EQ(copy.GetAt(1), &items.a);
  EXPECT_EQ(copy.GetAt(66000), &items.b);
  copy.SetAt(&items.c, 1);
  copy.SetAt(nullptr, 66000);
  EXPECT_EQ(array.GetAt(1), &items.a);
  EXPECT_EQ(array.GetAt(66000), &items.b);
  EXPECT_EQ(array.Count(), 2);
  EXPECT_EQ(copy.Count(), 1);
}

TEST(SparseArray, CopyLeftEmptyWhenMemoryRunsOut) {
  ScopedBlockCounter mgr;
  Objects items;
  VSparseArray array(70000);
  array.SetAt(&items.a, 1);
  array.SetAt(&items.b, 66000);
  const int before = mgr->live;
  mgr->blocksLeft = 3;  // the copy needs five
  VSparseArray copy(array);
  EXPECT_EQ(copy.Count(), 0);
  EXPECT_EQ(copy.GetAt(1), nullptr);
  EXPECT_EQ(mgr->live, before);
}

TEST(SparseArray, InsertGapMovesLaterItemsUpAndDeepensAsNeeded) {
  Objects items;
  VSparseArray array(255);
  array.SetAt(&items.a, 1);
  array.SetAt(&items.b, 10);
  array.SetAt(&items.c, 200);
  ASSERT_TRUE(array.InsertGap(10, 100));
  EXPECT_EQ(array.GetShift(), 8u);
  EXPECT_EQ(Positions(array), (std::vector<int32_t>{1, 110, 300}));
  EXPECT_EQ(array.GetAt(110), &items.b);
  EXPECT_EQ(array.GetAt(300), &items.c);
  EXPECT_EQ(array.Count(), 3);
  // A gap after the last item changes nothing.
  ASSERT_TRUE(array.InsertGap(301, 5));
  EXPECT_EQ(Positions(array), (std::vector<int32_t>{1, 110, 300}));
  ASSERT_TRUE(array.InsertGap(0, 1));  // from position 1
  EXPECT_EQ(Positions(array), (std::vector<int32_t>{2, 111, 301}));
}

TEST(SparseArray, InsertGapThatWouldPassTheHighestPositionIsRefused) {
  Objects items;
  VSparseArray array(0x7FFFFFFF);
  array.SetAt(&items.a, 5);
  array.SetAt(&items.b, 0x7FFFFFF0);
  EXPECT_FALSE(array.InsertGap(5, 0x10));
  EXPECT_FALSE(array.InsertGap(1, -1));
  EXPECT_EQ(Positions(array), (std::vector<int32_t>{5, 0x7FFFFFF0}));
  EXPECT_TRUE(array.InsertGap(5, 0xF));
  EXPECT_EQ(Positions(array), (std::vector<int32_t>{20, 0x7FFFFFFF}));
}

TEST(SparseArray, DeleteRangeRemovesAndMovesLaterItemsDown) {
  std::vector<int> log;
  Tracked a(&log, 1), d(&log, 4);
  VSparseArray array(1000);
  array.SetAt(&a, 1);
  array.SetAt(new Tracked(&log, 2), 5);
  array.SetAt(new Tracked(&log, 3), 7);
  array.SetAt(&d, 800);
  ASSERT_TRUE(array.DeleteRange(5, 3, false));  // positions 5, 6 and 7
  EXPECT_EQ(log, (std::vector<int>{2, 3}));
  EXPECT_EQ(Positions(array), (std::vector<int32_t>{1, 797}));
  EXPECT_EQ(array.GetAt(797), &d);
  EXPECT_EQ(array.Count(), 2);
  ASSERT_TRUE(array.DeleteRange(1, 1, true));
  EXPECT_EQ(log.size(), 2u);
  EXPECT_EQ(Positions(array), (std::vector<int32_t>{796}));
  // A range reaching below position 1 covers only what lies at 1 and up.
  ASSERT_TRUE(array.DeleteRange(-10, 15, true));
  EXPECT_EQ(Positions(array), (std::vector<int32_t>{792}));
  EXPECT_FALSE(array.DeleteRange(1, -2, true));
  EXPECT_EQ(Positions(array), (std::vector<int32_t>{792}));
}

TEST(SparseArray, ShallowerTreeRefusedWhileItemsLieBeyondIt) {
  ScopedBlockCounter mgr;
  Objects items;
  VSparseArray array(10);
  array.SetAt(&items.a, 3);
  ASSERT_TRUE(array.SetHighestPosition(0x1000000));
  EXPECT_EQ(array.GetShift(), 24u);
  EXPECT_EQ(mgr->live, 4);
  EXPECT_EQ(array.GetAt(3), &items.a);
  array.SetAt(&items.b, 5000);
  EXPECT_FALSE(array.SetHighestPosition(100));
  EXPECT_EQ(array.GetShift(), 24u);
  EXPECT_EQ(array.GetAt(5000), &items.b);
  ASSERT_TRUE(array.SetHighestPosition(6000));
  EXPECT_EQ(array.GetShift(), 8u);
  EXPECT_EQ(array.GetAt(3), &items.a);
  EXPECT_EQ(array.GetAt(5000), &items.b);
  EXPECT_EQ(mgr->live, 3);
}

TEST(SparseArray, StoreWithoutMemoryFailsAndLeavesNoNodeBehind) {
  ScopedBlockCounter mgr;
  Objects items;
  VSparseArray array(0x1000000);
  mgr->blocksLeft = 2;  // the path needs four
  EXPECT_FALSE(array.SetAt(&items.a, 12345));
  EXPECT_EQ(mgr->live, 0);
  EXPECT_TRUE(array.IsEmpty());
  mgr->blocksLeft = -1;
  ASSERT_TRUE(array.SetAt(&items.a, 1));
  mgr->blocksLeft = 1;  // a second branch needs three more
  EXPECT_FALSE(array.SetAt(&items.b, 0xFFFFFF));
  EXPECT_EQ(mgr->live, 4);
  EXPECT_EQ(array.Count(), 1);
  EXPECT_EQ(Positions(array), std::vector<int32_t>{1});
}

TEST(SparseArray, RebuildWithoutMemoryLeavesTheArrayAsItWas) {
  ScopedBlockCounter mgr;
  std::vector<int> log;
  VSparseArray array(1000);
  array.SetAt(new Tracked(&log, 1), 1);
  array.SetAt(new Tracked(&log, 2), 2);
  array.SetAt(new Tracked(&log, 3), 900);
  const int before = mgr->live;
  mgr->blocksLeft = 2;
  EXPECT_FALSE(array.InsertGap(2, 1000));
  EXPECT_FALSE(array.DeleteRange(1, 1, false));
  EXPECT_FALSE(array.SetHighestPosition(0x7FFFFFFF));
  EXPECT_EQ(mgr->live, before);
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(Positions(array), (std::vector<int32_t>{1, 2, 900}));
  EXPECT_EQ(array.GetShift(), 8u);
  // A position beyond the capacity cannot be stored without the deeper tree.
  Tracked extra(&log, 4);
  EXPECT_FALSE(array.SetAt(&extra, 0x20000));
  EXPECT_EQ(array.GetShift(), 8u);
  EXPECT_EQ(array.Count(), 3);
  mgr->blocksLeft = -1;
  array.Clear(true);
  EXPECT_EQ(log, (std::vector<int>{1, 2, 3}));
}
