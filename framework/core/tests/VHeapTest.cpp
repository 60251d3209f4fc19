// The framework heap: block and arena layout, rounding and splitting, best fit
// and its tie-breaks, merging, growth and its limits, classification, failure.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <random>
#include <set>
#include <vector>

#include "framework/core/memory/VHeap.h"

namespace {

using Bytes = unsigned char*;
constexpr size_t H = VHeap::kBlockHeaderSize;
constexpr size_t kPtr = sizeof(void*);

template <typename T>
T Read(const unsigned char* at) {
  T v;
  std::memcpy(&v, at, sizeof v);
  return v;
}

// Block header fields: previous block, i32 size, u32 requested size.
Bytes HeaderOf(void* payload) { return static_cast<Bytes>(payload) - H; }
Bytes PrevField(const unsigned char* h) { return Read<Bytes>(h); }
int32_t SizeField(const unsigned char* h) { return Read<int32_t>(h + kPtr); }
uint32_t RequestedField(const unsigned char* h) { return Read<uint32_t>(h + kPtr + 4); }
Bytes NextBlock(Bytes h) { return h + H + std::abs(SizeField(h)); }

// Arena header fields: u32 usable size, first block (the tree root in the
// first arena), next arena, end marker.
uint32_t UsableField(const unsigned char* a) { return Read<uint32_t>(a); }
Bytes FirstField(const unsigned char* a) { return Read<Bytes>(a + kPtr); }
Bytes NextArenaField(const unsigned char* a) { return Read<Bytes>(a + 2 * kPtr); }
Bytes EndField(const unsigned char* a) { return Read<Bytes>(a + 3 * kPtr); }

// Free-block links in the payload: smaller, larger, parent, next equal.
Bytes Link(const unsigned char* h, int i) { return Read<Bytes>(h + H + i * kPtr); }
enum { kSmaller, kLarger, kParent, kNextEqual };

// The arena whose first block is the payload `p` (a first allocation).
Bytes ArenaOfFirst(void* p) { return HeaderOf(p) - VHeap::kArenaHeaderSize; }

size_t Rounded(size_t n) {
  size_t r = (n + VHeap::kGranule - 1) / VHeap::kGranule * VHeap::kGranule;
  return std::max(r, VHeap::kMinPayload);
}

// Walks every arena from the first and checks the structure against the
// layout: blocks tile each arena up to its end marker, previous links agree,
// no two free blocks touch, payloads are aligned, and the free tree holds
// exactly the free blocks, ordered by size with consistent links and chains.
// Answers the free blocks by header.
std::set<Bytes> CheckHeap(const VHeap& heap, Bytes firstArena) {
  std::set<Bytes> freeBlocks;
  uint64_t arenaBytes = 0;
  for (Bytes a = firstArena; a != nullptr; a = NextArenaField(a)) {
    EXPECT_EQ(heap.Classify(a), kHeapArenaStart);
    arenaBytes += UsableField(a);
    Bytes first = a + VHeap::kArenaHeaderSize;
    if (a != firstArena) {
      EXPECT_EQ(FirstField(a), first);
    }
    EXPECT_EQ(EndField(a), first + H + UsableField(a));
    Bytes prev = nullptr;
    bool prevFree = false;
    Bytes b = first;
    while (SizeField(b) != -1) {
      EXPECT_EQ(PrevField(b), prev);
      EXPECT_EQ(reinterpret_cast<uintptr_t>(b + H) % VHeap::kGranule, 0u);
      EXPECT_GE(size_t(std::abs(SizeField(b))), VHeap::kMinPayload);
      const bool isFree = SizeField(b) > 0;
      EXPECT_FALSE(isFree && prevFree) << "two free neighbours were not merged";
      if (isFree) freeBlocks.insert(b);
      prevFree = isFree;
      prev = b;
      b = NextBlock(b);
      if (b > EndField(a)) {
        ADD_FAILURE() << "blocks run past the end marker";
        return freeBlocks;
      }
    }
    EXPECT_EQ(b, EndField(a));
    EXPECT_EQ(PrevField(b), prev);
  }
  EXPECT_EQ(arenaBytes, heap.GetArenaBytes());

  // The tree, from the root kept in the first arena's header.
  std::set<Bytes> inTree;
  std::vector<std::pair<Bytes, std::pair<int64_t, int64_t>>> stack;
  Bytes root = FirstField(firstArena);
  if (root != nullptr) {
    EXPECT_EQ(Link(root, kParent), nullptr);
    stack.push_back({root, {INT64_MIN, INT64_MAX}});
  }
  while (!stack.empty()) {
    auto [node, range] = stack.back();
    stack.pop_back();
    const int32_t size = SizeField(node);
    EXPECT_TRUE(freeBlocks.count(node)) << "a tree node is not a free block";
    EXPECT_GT(size, range.first);
    EXPECT_LT(size, range.second);
    if (!inTree.insert(node).second) {
      ADD_FAILURE() << "a block is in the tree twice";
      return freeBlocks;
    }
    Bytes pred = node;
    for (Bytes c = Link(node, kNextEqual); c != nullptr; c = Link(c, kNextEqual)) {
      EXPECT_EQ(SizeField(c), size);
      EXPECT_EQ(Link(c, kParent), pred);
      EXPECT_TRUE(freeBlocks.count(c));
      if (!inTree.insert(c).second) {
        ADD_FAILURE() << "an equal-size chain loops";
        return freeBlocks;
      }
      pred = c;
    }
    if (Bytes s = Link(node, kSmaller)) {
      EXPECT_EQ(Link(s, kParent), node);
      stack.push_back({s, {range.first, size}});
    }
    if (Bytes l = Link(node, kLarger)) {
      EXPECT_EQ(Link(l, kParent), node);
      stack.push_back({l, {size, range.second}});
    }
  }
  EXPECT_EQ(inTree, freeBlocks) << "the tree does not hold exactly the free blocks";
  return freeBlocks;
}

}  // namespace

TEST(VHeap, LayoutConstantsGrowWithThePointer) {
  // Each piece keeps its 32-bit relation: split = header + minimum payload;
  // arena = usable + header + first block header + end marker + 6.
  EXPECT_EQ(VHeap::kSplitThreshold, VHeap::kBlockHeaderSize + VHeap::kMinPayload);
  EXPECT_EQ(VHeap::kMinArenaSize, 65535u);
  if (sizeof(void*) == 8) {
    EXPECT_EQ(VHeap::kBlockHeaderSize, 16u);
    EXPECT_EQ(VHeap::kMinPayload, 32u);
    EXPECT_EQ(VHeap::kGranule, 16u);
    EXPECT_EQ(VHeap::kSplitThreshold, 48u);
    EXPECT_EQ(VHeap::kArenaHeaderSize, 32u);
    EXPECT_EQ(VHeap::kArenaOverhead, 66u);
  }
}

TEST(VHeap, StartsWithOneArenaHoldingOneFreeBlock) {
  VHeap heap;
  VHeapStatistics s = heap.GetStatistics();
  EXPECT_EQ(s.arenaCount, 1u);
  EXPECT_EQ(s.blockCount, 1u);
  EXPECT_EQ(s.arenaBytes, 65535u);
  EXPECT_EQ(s.freeBlocks, 1u);
  EXPECT_EQ(s.freeBytes, 65535u);
  EXPECT_EQ(s.largestFree, 65535u);
  EXPECT_EQ(s.usedBlocks, 0u);
  EXPECT_EQ(s.usedBytes, 0u);
  EXPECT_EQ(s.largestUsed, 0u);
  EXPECT_EQ(heap.IsGrowthAllowed(), 1);
  EXPECT_EQ(heap.GetGrowthLimit(), 0u);
}

TEST(VHeap, ArenaAndBlockHeadersFollowTheLayout) {
  VHeap heap;
  void* p = heap.Allocate(40);
  void* q = heap.Allocate(100);
  ASSERT_NE(p, nullptr);
  ASSERT_NE(q, nullptr);
  Bytes arena = ArenaOfFirst(p);
  EXPECT_EQ(heap.Classify(arena), kHeapArenaStart);
  EXPECT_EQ(UsableField(arena), 65535u);
  EXPECT_EQ(NextArenaField(arena), nullptr);
  Bytes first = arena + VHeap::kArenaHeaderSize;
  EXPECT_EQ(HeaderOf(p), first);
  Bytes end = EndField(arena);
  EXPECT_EQ(end, first + H + 65535);

  // In use: size negated and rounded, the request kept as asked.
  EXPECT_EQ(PrevField(first), nullptr);
  EXPECT_EQ(SizeField(first), -int32_t(Rounded(40)));
  EXPECT_EQ(RequestedField(first), 40u);
  Bytes second = HeaderOf(q);
  EXPECT_EQ(second, first + H + Rounded(40));
  EXPECT_EQ(PrevField(second), first);
  EXPECT_EQ(SizeField(second), -int32_t(Rounded(100)));
  EXPECT_EQ(RequestedField(second), 100u);

  // The rest of the arena is one free block, the root of the tree, kept in
  // the first arena's header in place of its first block.
  Bytes rest = NextBlock(second);
  EXPECT_EQ(PrevField(rest), second);
  EXPECT_EQ(SizeField(rest), int32_t(65535 - Rounded(40) - Rounded(100) - 2 * H));
  EXPECT_EQ(FirstField(arena), rest);
  EXPECT_EQ(NextBlock(rest), end);

  // The end marker: previous block and size -1.
  EXPECT_EQ(SizeField(end), -1);
  EXPECT_EQ(PrevField(end), rest);
  CheckHeap(heap, arena);
}

TEST(VHeap, RequestsUpToTheMinimumGetTheMinimum) {
  for (size_t n : {size_t{0}, size_t{1}, VHeap::kMinPayload - 1, VHeap::kMinPayload}) {
    VHeap heap;
    void* p = heap.Allocate(n);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(SizeField(HeaderOf(p)), -int32_t(VHeap::kMinPayload)) << n;
    EXPECT_EQ(heap.GetBlockSize(p), n);
    EXPECT_EQ(heap.GetUsedBytes(), VHeap::kMinPayload);
  }
}

TEST(VHeap, RequestOneAboveAGranuleMultipleRoundsUpToTheNext) {
  VHeap heap;
  void* p = heap.Allocate(VHeap::kMinPayload + 1);
  void* q = heap.Allocate(5 * VHeap::kGranule);
  void* r = heap.Allocate(5 * VHeap::kGranule + 1);
  EXPECT_EQ(SizeField(HeaderOf(p)), -int32_t(VHeap::kMinPayload + VHeap::kGranule));
  EXPECT_EQ(SizeField(HeaderOf(q)), -int32_t(5 * VHeap::kGranule));
  EXPECT_EQ(SizeField(HeaderOf(r)), -int32_t(6 * VHeap::kGranule));
  EXPECT_EQ(heap.GetBlockSize(r), 5 * VHeap::kGranule + 1);
  EXPECT_EQ(heap.GetBlockSize(nullptr), 0u);
}

TEST(VHeap, PayloadsAreAlignedForAnyObject) {
  VHeap heap;
  for (size_t n = 0; n < 300; n += 7) {
    void* p = heap.Allocate(n);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % alignof(std::max_align_t), 0u) << n;
  }
}

TEST(VHeap, BlockBelowSplitThresholdIsTakenWhole) {
  // The arena's last block keeps the odd remainder of 65535, so it can be
  // brought to exactly r + threshold - 1.
  VHeap heap;
  const size_t r = 64;
  const size_t want = r + VHeap::kSplitThreshold - 1;
  const size_t front = 65535 - H - want;
  ASSERT_EQ(front % VHeap::kGranule, 0u);
  void* a = heap.Allocate(front);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(heap.GetLargestFree(), want);

  void* b = heap.Allocate(r);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(SizeField(HeaderOf(b)), -int32_t(want));
  EXPECT_EQ(heap.GetBlockSize(b), r);
  VHeapStatistics s = heap.GetStatistics();
  EXPECT_EQ(s.freeBlocks, 0u);
  EXPECT_EQ(s.arenaCount, 1u);
  EXPECT_EQ(FirstField(ArenaOfFirst(a)), nullptr);  // the tree is empty
  CheckHeap(heap, ArenaOfFirst(a));
}

TEST(VHeap, BlockOneGranuleBelowSplitThresholdIsTakenWhole) {
  VHeap heap;
  const size_t r = 64;
  const size_t hole = r + VHeap::kSplitThreshold - VHeap::kGranule;
  void* anchor = heap.Allocate(16);
  void* a = heap.Allocate(hole);
  void* guard = heap.Allocate(16);
  heap.Free(a);
  void* b = heap.Allocate(r);
  EXPECT_EQ(b, a);
  EXPECT_EQ(SizeField(HeaderOf(b)), -int32_t(hole));
  EXPECT_EQ(NextBlock(HeaderOf(b)), HeaderOf(guard));
  CheckHeap(heap, ArenaOfFirst(anchor));
}

TEST(VHeap, BlockAtSplitThresholdSplitsIntoRequestAndMinimalRest) {
  VHeap heap;
  const size_t r = 64;
  void* anchor = heap.Allocate(16);
  void* a = heap.Allocate(r + VHeap::kSplitThreshold);
  void* guard = heap.Allocate(16);
  heap.Free(a);
  void* b = heap.Allocate(r);
  ASSERT_EQ(b, a);
  EXPECT_EQ(SizeField(HeaderOf(b)), -int32_t(r));
  Bytes rest = NextBlock(HeaderOf(b));
  EXPECT_EQ(SizeField(rest), int32_t(VHeap::kMinPayload));
  EXPECT_EQ(PrevField(rest), HeaderOf(b));
  EXPECT_EQ(NextBlock(rest), HeaderOf(guard));
  EXPECT_EQ(PrevField(HeaderOf(guard)), rest);
  EXPECT_EQ(heap.Classify(rest + H), kHeapFreePayloadStart);
  CheckHeap(heap, ArenaOfFirst(anchor));
}

TEST(VHeap, NoFittingBlockMakesArenaOfTheRequestWhenLarger) {
  VHeap heap;
  void* anchor = heap.Allocate(16);
  void* big = heap.Allocate(100000);
  ASSERT_NE(big, nullptr);
  VHeapStatistics s = heap.GetStatistics();
  EXPECT_EQ(s.arenaCount, 2u);
  EXPECT_EQ(s.arenaBytes, 65535u + 100000u);
  // The new arena's single block is taken whole.
  Bytes second = ArenaOfFirst(big);
  EXPECT_EQ(NextArenaField(ArenaOfFirst(anchor)), second);
  EXPECT_EQ(UsableField(second), 100000u);
  EXPECT_EQ(FirstField(second), HeaderOf(big));
  EXPECT_EQ(SizeField(HeaderOf(big)), -100000);
  EXPECT_EQ(NextBlock(HeaderOf(big)), EndField(second));
  CheckHeap(heap, ArenaOfFirst(anchor));
}

TEST(VHeap, NoFittingBlockMakesArenaOfTheMinimumForSmallRequests) {
  VHeap heap;
  // Takes the first arena whole: the rest of 15 bytes can hold no block.
  void* all = heap.Allocate(65520);
  ASSERT_NE(all, nullptr);
  EXPECT_EQ(heap.GetStatistics().freeBlocks, 0u);
  void* p = heap.Allocate(1000);
  ASSERT_NE(p, nullptr);
  VHeapStatistics s = heap.GetStatistics();
  EXPECT_EQ(s.arenaCount, 2u);
  EXPECT_EQ(s.arenaBytes, 2u * 65535u);
  EXPECT_EQ(s.freeBytes, 65535u - Rounded(1000) - H);
  EXPECT_EQ(UsableField(ArenaOfFirst(p)), 65535u);
  CheckHeap(heap, ArenaOfFirst(all));
}

TEST(VHeap, FreeingFirstThirdSecondOfThreeNeighboursLeavesOneBlock) {
  VHeap heap;
  void* before = heap.Allocate(16);
  void* a = heap.Allocate(64);
  void* b = heap.Allocate(96);
  void* c = heap.Allocate(128);
  void* after = heap.Allocate(16);
  heap.Free(a);
  heap.Free(c);
  EXPECT_EQ(heap.GetStatistics().freeBlocks, 3u);  // a, c and the arena's rest
  heap.Free(b);
  EXPECT_EQ(heap.GetStatistics().freeBlocks, 2u);
  Bytes merged = HeaderOf(a);
  EXPECT_EQ(SizeField(merged), int32_t(64 + 96 + 128 + 2 * H));
  EXPECT_EQ(PrevField(merged), HeaderOf(before));
  EXPECT_EQ(NextBlock(merged), HeaderOf(after));
  EXPECT_EQ(PrevField(HeaderOf(after)), merged);
  EXPECT_EQ(heap.Classify(a), kHeapFreePayloadStart);
  EXPECT_EQ(heap.Classify(b), kHeapInFreePayload);
  CheckHeap(heap, ArenaOfFirst(before));
}

TEST(VHeap, FreeingEverythingLeavesEachArenaOneFreeBlock) {
  VHeap heap;
  std::vector<void*> live;
  for (int i = 0; i < 2000; ++i) live.push_back(heap.Allocate(16 + (i * 37) % 200));
  void* anchor = live[0];
  Bytes arena = ArenaOfFirst(anchor);
  EXPECT_GT(heap.GetStatistics().arenaCount, 1u);
  // Free in an order that merges from both sides.
  for (size_t i = 1; i < live.size(); i += 2) heap.Free(live[i]);
  for (size_t i = live.size() - 2; i > 0; i -= 2) heap.Free(live[i]);
  CheckHeap(heap, arena);
  heap.Free(anchor);
  CheckHeap(heap, arena);
  VHeapStatistics s = heap.GetStatistics();
  EXPECT_EQ(s.usedBlocks, 0u);
  EXPECT_EQ(s.freeBlocks, s.arenaCount);
  EXPECT_EQ(s.blockCount, s.arenaCount);
  EXPECT_EQ(s.freeBytes, s.arenaBytes);
}

TEST(VHeap, ExactFitTakesTheMostRecentlyFreedOfEqualSize) {
  VHeap heap;
  void* anchor = heap.Allocate(16);
  void* x = heap.Allocate(64);
  heap.Allocate(16);
  void* y = heap.Allocate(64);
  heap.Allocate(16);
  void* z = heap.Allocate(64);
  heap.Allocate(16);
  heap.Free(x);
  heap.Free(y);
  heap.Free(z);
  CheckHeap(heap, ArenaOfFirst(anchor));
  EXPECT_EQ(heap.Allocate(64), z);
  EXPECT_EQ(heap.Allocate(64), y);
  EXPECT_EQ(heap.Allocate(64), x);
  CheckHeap(heap, ArenaOfFirst(anchor));
}

TEST(VHeap, LargerFitTakesTheOldestBlockOfItsSize) {
  VHeap heap;
  void* anchor = heap.Allocate(16);
  void* x = heap.Allocate(64);
  heap.Allocate(16);
  void* y = heap.Allocate(64);
  heap.Allocate(16);
  heap.Free(x);
  heap.Free(y);
  // 48 has no exact fit; 64 is the smallest larger size and its tree node,
  // the block freed first, is taken (whole: its rest is below the threshold).
  void* p = heap.Allocate(48);
  EXPECT_EQ(p, x);
  EXPECT_EQ(SizeField(HeaderOf(p)), -64);
  EXPECT_EQ(heap.Allocate(48), y);
  CheckHeap(heap, ArenaOfFirst(anchor));
}

TEST(VHeap, BestFitTakesTheSmallestBlockThatIsLargeEnough) {
  VHeap heap;
  void* anchor = heap.Allocate(16);
  std::map<size_t, void*> holes;
  for (size_t size : {512u, 128u, 1024u, 256u, 192u, 320u}) {
    holes[size] = heap.Allocate(size);
    heap.Allocate(16);
  }
  for (auto& [size, p] : holes) heap.Free(p);
  CheckHeap(heap, ArenaOfFirst(anchor));
  EXPECT_EQ(heap.Allocate(200), holes[256]);
  EXPECT_EQ(heap.Allocate(129), holes[192]);
  EXPECT_EQ(heap.Allocate(128), holes[128]);
  EXPECT_EQ(heap.Allocate(600), holes[1024]);
  CheckHeap(heap, ArenaOfFirst(anchor));
}

namespace {
// Frees blocks of the given sizes, each between blocks in use, in the order
// given; answers them by size.
std::map<size_t, void*> FreeHoles(VHeap& heap, std::initializer_list<size_t> sizes) {
  std::map<size_t, void*> holes;
  for (size_t size : sizes) {
    holes[size] = heap.Allocate(size);
    heap.Allocate(16);
  }
  for (size_t size : sizes) heap.Free(holes[size]);
  return holes;
}
}  // namespace

TEST(VHeap, RemovingANodeWithTwoSubtreesPromotesTheLargestSmallerBlock) {
  VHeap heap;
  void* anchor = heap.Allocate(16);
  Bytes arena = ArenaOfFirst(anchor);
  // Under the arena's rest: 800 with 400 (whose larger side holds 600, whose
  // smaller side holds 500) and 1200.
  auto holes = FreeHoles(heap, {800, 400, 1200, 600, 500});
  CheckHeap(heap, arena);
  Bytes n800 = HeaderOf(holes[800]);
  Bytes n600 = HeaderOf(holes[600]);
  ASSERT_EQ(Link(n800, kSmaller), HeaderOf(holes[400]));
  ASSERT_EQ(Link(HeaderOf(holes[400]), kLarger), n600);
  Bytes parent = Link(n800, kParent);

  EXPECT_EQ(heap.Allocate(800), holes[800]);
  CheckHeap(heap, arena);
  EXPECT_EQ(Link(parent, kSmaller), n600);
  EXPECT_EQ(Link(n600, kSmaller), HeaderOf(holes[400]));
  EXPECT_EQ(Link(n600, kLarger), HeaderOf(holes[1200]));
  EXPECT_EQ(Link(HeaderOf(holes[400]), kLarger), HeaderOf(holes[500]));
  for (size_t size : {600u, 400u, 1200u, 500u}) {
    EXPECT_EQ(heap.Allocate(size), holes[size]) << size;
    CheckHeap(heap, arena);
  }
}

TEST(VHeap, RemovingANodeWhoseSmallerChildIsLargestPromotesThatChild) {
  VHeap heap;
  void* anchor = heap.Allocate(16);
  Bytes arena = ArenaOfFirst(anchor);
  auto holes = FreeHoles(heap, {800, 400, 1200, 208});
  EXPECT_EQ(heap.Allocate(800), holes[800]);
  CheckHeap(heap, arena);
  Bytes n400 = HeaderOf(holes[400]);
  EXPECT_EQ(Link(n400, kSmaller), HeaderOf(holes[208]));
  EXPECT_EQ(Link(n400, kLarger), HeaderOf(holes[1200]));
}

TEST(VHeap, RemovingANodeWithAChainPromotesItsFirstChainBlock) {
  VHeap heap;
  void* anchor = heap.Allocate(16);
  Bytes arena = ArenaOfFirst(anchor);
  void* second800 = heap.Allocate(800);
  heap.Allocate(16);
  auto holes = FreeHoles(heap, {800, 400, 1200});
  heap.Free(second800);  // on the chain of the 800 node, freed before it
  CheckHeap(heap, arena);
  // 720 has no exact fit: the 800 tree node is taken and split, and the
  // chain block takes its place with both subtrees.
  EXPECT_EQ(heap.Allocate(720), holes[800]);
  CheckHeap(heap, arena);
  Bytes promoted = HeaderOf(second800);
  EXPECT_EQ(Link(promoted, kSmaller), HeaderOf(holes[400]));
  EXPECT_EQ(Link(promoted, kLarger), HeaderOf(holes[1200]));
  EXPECT_EQ(Link(promoted, kNextEqual), nullptr);
}

TEST(VHeap, MergingRemovesTreeNodesWithSubtrees) {
  VHeap heap;
  void* anchor = heap.Allocate(16);
  Bytes arena = ArenaOfFirst(anchor);
  // Free 800, then blocks that hang under it, then the blocks around 800 so
  // that it is merged away from both sides.
  void* left = heap.Allocate(64);
  void* mid = heap.Allocate(800);
  void* right = heap.Allocate(64);
  heap.Allocate(16);
  FreeHoles(heap, {400, 1200, 600, 500, 1000});
  heap.Free(mid);
  CheckHeap(heap, arena);
  heap.Free(left);
  CheckHeap(heap, arena);
  heap.Free(right);
  CheckHeap(heap, arena);
  EXPECT_EQ(SizeField(HeaderOf(left)), int32_t(64 + 800 + 64 + 2 * H));
}

TEST(VHeap, RandomMixKeepsTreeLayoutAndContentsWhole) {
  VHeap heap;
  void* anchor = heap.Allocate(16);
  Bytes arena = ArenaOfFirst(anchor);
  std::mt19937 rng(12345);
  struct Live {
    void* p;
    size_t n;
    uint8_t fill;
  };
  std::vector<Live> live;
  for (int step = 0; step < 6000; ++step) {
    if (!live.empty() && rng() % 100 < 45) {
      size_t i = rng() % live.size();
      auto* bytes = static_cast<uint8_t*>(live[i].p);
      for (size_t k = 0; k < live[i].n; ++k) {
        if (bytes[k] != live[i].fill) {
          FAIL() << "block contents changed at step " << step;
        }
      }
      heap.Free(live[i].p);
      live[i] = live.back();
      live.pop_back();
    } else {
      // Mostly small sizes, with a few that need new arenas.
      const uint32_t pick = rng() % 100;
      size_t n = pick < 2 ? 20000 + rng() % 80000 : pick < 30 ? rng() % 3000 : rng() % 300;
      // Best fit: the block given must come from the smallest free size that
      // holds the request, when one exists.
      std::set<Bytes> before;
      int32_t best = INT32_MAX;
      if (step % 7 == 0) {
        before = CheckHeap(heap, arena);
        for (Bytes b : before) {
          if (size_t(SizeField(b)) >= Rounded(n)) best = std::min(best, SizeField(b));
        }
      }
      void* p = heap.Allocate(n);
      ASSERT_NE(p, nullptr);
      {
        if (best != INT32_MAX) {
          EXPECT_TRUE(before.count(HeaderOf(p)));
          const int32_t got = -SizeField(HeaderOf(p));
          if (size_t(best) >= Rounded(n) + VHeap::kSplitThreshold) {
            EXPECT_EQ(size_t(got), Rounded(n));
            EXPECT_EQ(SizeField(NextBlock(HeaderOf(p))), int32_t(best - got - H));
          } else {
            EXPECT_EQ(got, best);
          }
        }
      }
      EXPECT_EQ(heap.GetBlockSize(p), n);
      uint8_t fill = uint8_t(rng());
      std::memset(p, fill, n);
      live.push_back({p, n, fill});
    }
  }
  CheckHeap(heap, arena);
  VHeapStatistics s = heap.GetStatistics();
  EXPECT_EQ(s.usedBlocks, live.size() + 1);
  EXPECT_EQ(s.blockCount, s.usedBlocks + s.freeBlocks);
  EXPECT_EQ(s.usedBytes + s.freeBytes + (s.blockCount - s.arenaCount) * H, s.arenaBytes);
  for (Live& l : live) heap.Free(l.p);
  heap.Free(anchor);
  s = heap.GetStatistics();
  EXPECT_EQ(s.freeBlocks, s.arenaCount);
  EXPECT_EQ(s.freeBytes, s.arenaBytes);
  CheckHeap(heap, arena);
}

TEST(VHeap, FreeingNullDoesNothing) {
  VHeap heap;
  void* p = heap.Allocate(100);
  VHeapStatistics before = heap.GetStatistics();
  heap.Free(nullptr);
  VHeapStatistics after = heap.GetStatistics();
  EXPECT_EQ(after.freeBlocks, before.freeBlocks);
  EXPECT_EQ(after.usedBytes, before.usedBytes);
  EXPECT_EQ(heap.Classify(p), kHeapUsedPayloadStart);
}

TEST(VHeap, StatisticsCountEveryBlockOfEveryArena) {
  VHeap heap;
  void* a = heap.Allocate(100);   // 112
  void* b = heap.Allocate(200);   // 208
  heap.Allocate(50);              // 64
  heap.Allocate(70000);           // its own arena, whole
  heap.Free(b);
  VHeapStatistics s = heap.GetStatistics();
  EXPECT_EQ(s.arenaCount, 2u);
  EXPECT_EQ(s.arenaBytes, 65535u + 70000u);
  EXPECT_EQ(s.blockCount, 5u);
  EXPECT_EQ(s.usedBlocks, 3u);
  EXPECT_EQ(s.usedBytes, 112u + 64u + 70000u);
  EXPECT_EQ(s.largestUsed, 70000u);
  EXPECT_EQ(s.freeBlocks, 2u);
  EXPECT_EQ(s.freeBytes, 208u + (65535u - 112u - 208u - 64u - 3 * H));
  EXPECT_EQ(s.largestFree, 65535u - 112u - 208u - 64u - 3 * H);
  EXPECT_EQ(heap.GetFreeBytes(), s.freeBytes);
  EXPECT_EQ(heap.GetLargestFree(), s.largestFree);
  EXPECT_EQ(heap.GetLargestUsed(), s.largestUsed);
  EXPECT_EQ(heap.GetUsedBytes(), s.usedBytes);
  EXPECT_EQ(heap.GetArenaBytes(), s.arenaBytes);
  EXPECT_EQ(heap.GetBlockSize(a), 100u);
}

TEST(VHeap, ClassifyAnswersEachPlaceInTheHeap) {
  VHeap heap;
  void* used = heap.Allocate(64);
  void* gone = heap.Allocate(64);
  heap.Allocate(64);
  heap.Free(gone);
  Bytes arena = ArenaOfFirst(used);
  void* where = nullptr;

  EXPECT_EQ(heap.Classify(arena, &where), kHeapArenaStart);
  EXPECT_EQ(where, arena);
  EXPECT_EQ(heap.Classify(arena + 5, &where), kHeapInArenaHeader);
  EXPECT_EQ(where, arena);
  EXPECT_EQ(heap.Classify(HeaderOf(used), &where), kHeapBlockHeaderStart);
  EXPECT_EQ(where, HeaderOf(used));
  EXPECT_EQ(heap.Classify(HeaderOf(used) + H - 1, &where), kHeapInBlockHeader);
  EXPECT_EQ(where, HeaderOf(used));
  EXPECT_EQ(heap.Classify(used, &where), kHeapUsedPayloadStart);
  EXPECT_EQ(where, used);
  EXPECT_EQ(heap.Classify(static_cast<Bytes>(used) + 63, &where), kHeapInUsedPayload);
  EXPECT_EQ(where, used);
  EXPECT_EQ(heap.Classify(gone, &where), kHeapFreePayloadStart);
  EXPECT_EQ(where, gone);
  EXPECT_EQ(heap.Classify(static_cast<Bytes>(gone) + 1, &where), kHeapInFreePayload);
  EXPECT_EQ(where, gone);

  // Outside every block: the end marker and the unused tail of the arena,
  // anything past the arena, and memory that is not the heap's at all.
  Bytes end = EndField(arena);
  EXPECT_EQ(heap.Classify(end, &where), kHeapNotInHeap);
  EXPECT_EQ(where, nullptr);
  EXPECT_EQ(heap.Classify(end + VHeap::kEndMarkerSize + VHeap::kArenaSlack - 1), kHeapNotInHeap);
  EXPECT_EQ(heap.Classify(arena + 65535 + VHeap::kArenaOverhead), kHeapNotInHeap);
  int local = 0;
  EXPECT_EQ(heap.Classify(&local, &where), kHeapNotInHeap);
  EXPECT_EQ(where, nullptr);
  EXPECT_EQ(heap.Classify(nullptr), kHeapNotInHeap);
}

TEST(VHeap, ClassifyFindsBlocksInLaterArenas) {
  VHeap heap;
  heap.Allocate(16);
  void* big = heap.Allocate(80000);
  EXPECT_EQ(heap.Classify(big), kHeapUsedPayloadStart);
  EXPECT_EQ(heap.Classify(ArenaOfFirst(big)), kHeapArenaStart);
  EXPECT_EQ(heap.Classify(static_cast<Bytes>(big) + 79999), kHeapInUsedPayload);
}

TEST(VHeap, WithoutGrowthAFullHeapAnswersNull) {
  VHeap heap;
  heap.SetGrowthAllowed(0);
  EXPECT_EQ(heap.IsGrowthAllowed(), 0);
  void* all = heap.Allocate(65520);
  ASSERT_NE(all, nullptr);
  EXPECT_EQ(heap.Allocate(1), nullptr);
  EXPECT_EQ(heap.GetStatistics().arenaCount, 1u);
  heap.SetGrowthAllowed(1);
  EXPECT_NE(heap.Allocate(1), nullptr);
  EXPECT_EQ(heap.GetStatistics().arenaCount, 2u);
}

namespace {
int gProcCalls = 0;
size_t gProcSize = 0;
VHeap* gProcHeap = nullptr;
void* gProcVictim = nullptr;

int32_t FreeVictimAndRetry(size_t size) {
  ++gProcCalls;
  gProcSize = size;
  if (gProcVictim == nullptr) return 0;
  gProcHeap->Free(gProcVictim);
  gProcVictim = nullptr;
  return 1;
}

int32_t Decline(size_t size) {
  ++gProcCalls;
  gProcSize = size;
  return 0;
}

int32_t AlwaysRetry(size_t) {
  ++gProcCalls;
  return 1;
}
}  // namespace

TEST(VHeap, OutOfMemoryProcedureCanMakeRoomForARetry) {
  VHeap heap;
  heap.SetGrowthAllowed(0);
  EXPECT_EQ(heap.SetOutOfMemoryProc(FreeVictimAndRetry), nullptr);
  gProcCalls = 0;
  gProcHeap = &heap;
  gProcVictim = heap.Allocate(65520);
  void* p = heap.Allocate(500);
  EXPECT_NE(p, nullptr);
  EXPECT_EQ(gProcCalls, 1);
  EXPECT_EQ(gProcSize, 500u);
  // Nothing left to give: the procedure declines and the answer is null.
  heap.Allocate(65535 - Rounded(500) - H - H - 15);
  EXPECT_EQ(heap.GetStatistics().freeBlocks, 0u);
  EXPECT_EQ(heap.Allocate(100), nullptr);
  EXPECT_EQ(gProcCalls, 2);
  EXPECT_EQ(heap.SetOutOfMemoryProc(nullptr), FreeVictimAndRetry);
}

TEST(VHeap, DecliningProcedureIsAskedOnceWithTheRequest) {
  VHeap heap;
  heap.SetGrowthAllowed(0);
  heap.SetOutOfMemoryProc(Decline);
  gProcCalls = 0;
  EXPECT_EQ(heap.Allocate(70000), nullptr);
  EXPECT_EQ(gProcCalls, 1);
  EXPECT_EQ(gProcSize, 70000u);
}

TEST(VHeap, GrowthLimitRefusesWhenLessThan4096BytesRemain) {
  VHeap heap;
  heap.Allocate(65520);  // the first arena, whole
  heap.SetGrowthLimit(65535 + VHeap::kGrowthLimitRoom - 1);
  EXPECT_EQ(heap.Allocate(8000), nullptr);
  EXPECT_EQ(heap.GetStatistics().arenaCount, 1u);
  // A request that stays below the limit still grows, by a whole arena.
  EXPECT_NE(heap.Allocate(1000), nullptr);
  EXPECT_EQ(heap.GetArenaBytes(), 2u * 65535u);
}

TEST(VHeap, GrowthLimitGrowsPastItWhen4096BytesRemain) {
  VHeap heap;
  heap.Allocate(65520);
  heap.SetGrowthLimit(65535 + VHeap::kGrowthLimitRoom);
  EXPECT_NE(heap.Allocate(8000), nullptr);
  EXPECT_EQ(heap.GetArenaBytes(), 2u * 65535u);
  // Now past the limit: no room at all.
  heap.Allocate(65535 - Rounded(8000) - H - 15);  // fills the second arena
  EXPECT_EQ(heap.Allocate(16), nullptr);
  EXPECT_EQ(heap.GetStatistics().arenaCount, 2u);
}

TEST(VHeap, RequestsNear4GiBAreRefusedNotWrapped) {
  VHeap heap;
  gProcCalls = 0;
  heap.SetOutOfMemoryProc(AlwaysRetry);  // must not make the refusal loop
  for (size_t n : {size_t{0xFFFFFFF0u}, size_t{0xFFFFFFFFu}, size_t{0x100000000u},
                   size_t{0x100000010u}, SIZE_MAX, SIZE_MAX - 8, size_t{0x80000000u},
                   VHeap::kMaxRequest + 1}) {
    EXPECT_EQ(heap.Allocate(n), nullptr) << n;
  }
  EXPECT_EQ(gProcCalls, 0);
  VHeapStatistics s = heap.GetStatistics();
  EXPECT_EQ(s.arenaCount, 1u);
  EXPECT_EQ(s.usedBlocks, 0u);
  EXPECT_EQ(s.freeBytes, 65535u);
}

TEST(VHeap, LargestRequestFitsTheSizeFieldAndTheLargestArena) {
  EXPECT_EQ(VHeap::kMaxRequest % VHeap::kGranule, 0u);
  EXPECT_LE(VHeap::kMaxRequest + VHeap::kArenaOverhead, size_t{0x7FFFFFFF});
  EXPECT_GT(VHeap::kMaxRequest + VHeap::kGranule + VHeap::kArenaOverhead, size_t{0x7FFFFFFF});
}

TEST(VHeap, LargeRequestGetsAnArenaOfExactlyItsSize) {
  VHeap heap;
  const size_t n = 10 * 1024 * 1024;
  auto* p = static_cast<uint8_t*>(heap.Allocate(n));
  ASSERT_NE(p, nullptr);
  p[0] = 1;
  p[n - 1] = 2;
  EXPECT_EQ(heap.GetArenaBytes(), 65535u + n);
  EXPECT_EQ(heap.GetLargestUsed(), n);
  heap.Free(p);
  EXPECT_EQ(heap.GetLargestFree(), n);
}

TEST(VHeap, DestroyGivesEveryArenaBack) {
  VHeap heap;
  void* p = heap.Allocate(100);
  heap.Allocate(100000);
  heap.Destroy();
  VHeapStatistics s = heap.GetStatistics();
  EXPECT_EQ(s.arenaCount, 0u);
  EXPECT_EQ(s.arenaBytes, 0u);
  EXPECT_EQ(s.blockCount, 0u);
  EXPECT_EQ(heap.Classify(p), kHeapNotInHeap);
  // The heap stays usable: it grows a fresh first arena.
  void* q = heap.Allocate(100);
  ASSERT_NE(q, nullptr);
  EXPECT_EQ(heap.GetStatistics().arenaCount, 1u);
  CheckHeap(heap, ArenaOfFirst(q));
}

TEST(VHeap, AllocateOrDieAnswersABlockWhenOneCanBeHad) {
  VHeap heap;
  heap.SetGrowthAllowed(0);
  gProcHeap = &heap;
  gProcVictim = heap.Allocate(65520);
  heap.SetOutOfMemoryProc(FreeVictimAndRetry);
  EXPECT_NE(heap.AllocateOrDie(1000), nullptr);
}

TEST(VHeapDeathTest, AllocateOrDieEndsTheProcessWhenExhausted) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  VHeap heap;
  heap.SetGrowthAllowed(0);
  heap.Allocate(65520);
  EXPECT_DEATH(heap.AllocateOrDie(1000), "out of memory.*1000 bytes");
  heap.SetOutOfMemoryProc(Decline);
  EXPECT_DEATH(heap.AllocateOrDie(64), "out of memory");
}

TEST(VHeapDeathTest, AllocateOrDieEndsTheProcessOnAnImpossibleRequest) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  VHeap heap;
  heap.SetOutOfMemoryProc(AlwaysRetry);
  EXPECT_DEATH(heap.AllocateOrDie(0xFFFFFFF0u), "out of memory");
}
