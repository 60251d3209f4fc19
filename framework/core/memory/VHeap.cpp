// VHeap: best-fit allocation from fixed global-memory arenas, free blocks kept
// in an unbalanced size tree with last-in first-out chains of equal sizes.
#include "framework/core/memory/VHeap.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/win32/WinMemory.h"

VHeap* gHeap = nullptr;

// The arena header, at the start of the arena's global block.
struct VHeap::Arena {
  uint32_t usableSize;
  Block firstBlock;  // in the first arena: the root of the free tree
  Arena* next;
  Block endMarker;
};

namespace {

using Block = unsigned char*;

// The four links a free block keeps in its payload. For a tree node `parent`
// is its parent (null for the root); for a block on an equal-size chain it is
// the chain predecessor.
struct FreeLinks {
  Block smaller;
  Block larger;
  Block parent;
  Block nextEqual;
};

static_assert(sizeof(FreeLinks) == VHeap::kMinPayload);
static_assert(VHeap::kMaxRequest + VHeap::kArenaOverhead <= kGlobalMaxBlockSize,
              "the largest arena must be a block the system can give");

// Header fields by offset. The end marker sits right behind the last payload,
// whose size need not be a granule multiple (an arena of 65535 usable bytes),
// so header fields are read and written bytewise-safe.
constexpr size_t kPrevOffset = 0;
constexpr size_t kSizeOffset = sizeof(void*);
constexpr size_t kRequestedOffset = sizeof(void*) + sizeof(int32_t);
constexpr int32_t kEndMarkerTag = -1;  // the size field of an end marker

Block Prev(const unsigned char* b) {
  Block p;
  std::memcpy(&p, b + kPrevOffset, sizeof p);
  return p;
}
void SetPrev(Block b, Block p) { std::memcpy(b + kPrevOffset, &p, sizeof p); }
int32_t Size(const unsigned char* b) {
  int32_t s;
  std::memcpy(&s, b + kSizeOffset, sizeof s);
  return s;
}
void SetSize(Block b, int32_t s) { std::memcpy(b + kSizeOffset, &s, sizeof s); }
uint32_t Requested(const unsigned char* b) {
  uint32_t r;
  std::memcpy(&r, b + kRequestedOffset, sizeof r);
  return r;
}
void SetRequested(Block b, uint32_t r) { std::memcpy(b + kRequestedOffset, &r, sizeof r); }

Block Payload(Block b) { return b + VHeap::kBlockHeaderSize; }
// The block behind `b` in its arena (possibly the end marker).
Block Next(Block b) {
  int32_t s = Size(b);
  return Payload(b) + static_cast<uint32_t>(s < 0 ? -s : s);
}
// Free blocks' payloads are always granule-aligned, so the links are plain fields.
FreeLinks& Links(Block b) { return *reinterpret_cast<FreeLinks*>(Payload(b)); }

}  // namespace

VHeap::VHeap() { Grow(kMinArenaSize); }

VHeap::~VHeap() { Destroy(); }

VHeap::Block VHeap::Root() const { return fFirstArena ? fFirstArena->firstBlock : nullptr; }

// Only called while a free block exists, hence while the first arena does.
void VHeap::SetRoot(Block block) { fFirstArena->firstBlock = block; }

VOutOfMemoryProc VHeap::SetOutOfMemoryProc(VOutOfMemoryProc proc) {
  VOutOfMemoryProc previous = fOutOfMemoryProc;
  fOutOfMemoryProc = proc;
  return previous;
}

void* VHeap::Allocate(size_t size) {
  // No procedure could make room for a block larger than any arena can be,
  // and rounding such a size would wrap it into a small one.
  if (size > kMaxRequest) return nullptr;
  for (;;) {
    if (Block b = AllocateBlock(size)) return Payload(b);
    if (fOutOfMemoryProc == nullptr || fOutOfMemoryProc(size) == 0) return nullptr;
  }
}

void* VHeap::AllocateOrDie(size_t size) {
  // Allocate already retries for as long as the out-of-memory procedure asks;
  // past that nothing can be had, and callers of operator new never test for
  // null, so going on would only crash later and further from the cause.
  if (void* p = Allocate(size)) return p;
  std::fprintf(stderr, "Qv Morva: out of memory: the framework heap cannot supply %zu bytes\n",
               size);
  std::fflush(stderr);
  std::abort();
}

void EndOnEntryPointException(bool outOfMemory) {
  if (outOfMemory) {
    std::fprintf(stderr, "Qv Morva: out of memory: the language runtime's allocator failed\n");
  } else {
    std::fprintf(stderr, "Qv Morva: an exception reached the module's entry point\n");
  }
  std::fflush(stderr);
  std::abort();
}

VHeap::Block VHeap::AllocateBlock(size_t size) {
  size_t rounded = (size + kGranule - 1) / kGranule * kGranule;  // size <= kMaxRequest
  if (rounded < kMinPayload) rounded = kMinPayload;
  const uint32_t r = static_cast<uint32_t>(rounded);

  Block b = FindFreeBlock(r, true);
  if (b == nullptr) return nullptr;

  const uint32_t have = static_cast<uint32_t>(Size(b));
  if (have >= r + kSplitThreshold) {
    // The block keeps r bytes; the rest becomes a free block behind it. A
    // smaller rest could not hold a header and the tree links, so it stays inside.
    Block rest = Payload(b) + r;
    SetPrev(rest, b);
    SetSize(rest, static_cast<int32_t>(have - r - kBlockHeaderSize));
    SetRequested(rest, 0);
    SetPrev(Next(rest), rest);
    SetSize(b, static_cast<int32_t>(r));
    InsertFree(rest);
  }
  SetSize(b, -Size(b));
  SetRequested(b, static_cast<uint32_t>(size));
  return b;
}

VHeap::Block VHeap::FindFreeBlock(uint32_t r, bool mayGrow) {
  const int32_t want = static_cast<int32_t>(r);
  Block candidate = nullptr;
  for (Block node = Root(); node != nullptr;) {
    const int32_t size = Size(node);
    if (size == want) {
      // Exact fit: the most recently freed block of this size first, the
      // tree node itself last.
      Block take = Links(node).nextEqual ? Links(node).nextEqual : node;
      RemoveFree(take);
      return take;
    }
    if (want < size) {
      candidate = node;
      node = Links(node).smaller;
    } else {
      node = Links(node).larger;
    }
  }
  if (candidate != nullptr) {
    // The tree node of the smallest larger size: the oldest block of it.
    RemoveFree(candidate);
    return candidate;
  }
  if (mayGrow && Grow(r)) return FindFreeBlock(r, false);
  return nullptr;
}

bool VHeap::Grow(uint32_t r) {
  if (!fGrowthAllowed) return false;
  if (fGrowthLimit != 0 && fArenaBytes + r > fGrowthLimit) {
    // Past the limit the heap still grows while a useful amount of room is
    // left below it; the new arena may then pass the limit.
    const uint64_t room = fArenaBytes < fGrowthLimit ? fGrowthLimit - fArenaBytes : 0;
    if (room < kGrowthLimitRoom) return false;
  }
  const uint32_t usable = std::max(r, kMinArenaSize);
  Arena* arena = NewArena(usable);
  if (arena == nullptr) return false;
  ++fArenaCount;
  fArenaBytes += usable;

  // Appended first, so that a first arena is there to hold the tree's root.
  if (fFirstArena == nullptr) {
    arena->firstBlock = nullptr;  // the empty tree
    fFirstArena = arena;
  } else {
    fLastArena->next = arena;
  }
  fLastArena = arena;
  InsertFree(reinterpret_cast<Block>(arena) + kArenaHeaderSize);
  return true;
}

VHeap::Arena* VHeap::NewArena(uint32_t usable) {
  const size_t bytes = size_t{usable} + kArenaOverhead;
  if (usable > kMaxRequest) return nullptr;
  HGLOBAL global = GlobalAlloc(GMEM_FIXED, bytes);
  if (global == nullptr) return nullptr;
  auto* start = reinterpret_cast<unsigned char*>(global);
  Block first = start + kArenaHeaderSize;
  Block end = Payload(first) + usable;

  auto* arena = reinterpret_cast<Arena*>(start);
  std::memset(start, 0, kArenaHeaderSize);
  arena->usableSize = usable;
  arena->firstBlock = first;
  arena->next = nullptr;
  arena->endMarker = end;

  SetPrev(first, nullptr);
  SetSize(first, static_cast<int32_t>(usable));
  SetRequested(first, 0);
  // The end marker is the first two fields of a header; the slack behind it is zeroed.
  std::memset(end, 0, kEndMarkerSize + kArenaSlack);
  SetPrev(end, first);
  SetSize(end, kEndMarkerTag);
  return arena;
}

void VHeap::Free(void* p) {
  if (p == nullptr) return;
  FreeBlock(static_cast<Block>(p) - kBlockHeaderSize);
}

void VHeap::FreeBlock(Block b) {
  SetSize(b, -Size(b));

  // Merge with the block behind, then with the one in front; each neighbour
  // is found in constant time, by the size field and by the previous link.
  Block next = Next(b);
  if (Size(next) > 0) {
    RemoveFree(next);
    SetSize(b, Size(b) + Size(next) + static_cast<int32_t>(kBlockHeaderSize));
    SetPrev(Next(b), b);
  }
  Block prev = Prev(b);
  if (prev != nullptr && Size(prev) > 0) {
    RemoveFree(prev);
    SetSize(prev, Size(prev) + Size(b) + static_cast<int32_t>(kBlockHeaderSize));
    SetPrev(Next(prev), prev);
    b = prev;
  }
  InsertFree(b);
}

void VHeap::InsertFree(Block b) {
  FreeLinks& links = Links(b);
  links.smaller = nullptr;
  links.larger = nullptr;
  links.parent = nullptr;
  links.nextEqual = nullptr;

  Block node = Root();
  if (node == nullptr) {
    SetRoot(b);
    return;
  }
  const int32_t size = Size(b);
  for (;;) {
    FreeLinks& at = Links(node);
    const int32_t nodeSize = Size(node);
    if (size == nodeSize) {
      // Right behind the node on its chain, so the chain is last-in first-out.
      links.parent = node;
      links.nextEqual = at.nextEqual;
      if (at.nextEqual) Links(at.nextEqual).parent = b;
      at.nextEqual = b;
      return;
    }
    Block& side = size < nodeSize ? at.smaller : at.larger;
    if (side == nullptr) {
      side = b;
      links.parent = node;
      return;
    }
    node = side;
  }
}

void VHeap::RemoveFree(Block b) {
  FreeLinks& links = Links(b);
  Block parent = links.parent;

  // A chain block's predecessor names it as its next of equal size; a tree
  // node's parent has another size, so its chain can not hold the node.
  if (parent != nullptr && Links(parent).nextEqual == b) {
    Links(parent).nextEqual = links.nextEqual;
    if (links.nextEqual) Links(links.nextEqual).parent = parent;
    return;
  }

  Block replacement;
  if (links.nextEqual != nullptr) {
    // The first chain block takes the node's place and both its subtrees.
    replacement = links.nextEqual;
    FreeLinks& r = Links(replacement);
    r.smaller = links.smaller;
    r.larger = links.larger;
    if (r.smaller) Links(r.smaller).parent = replacement;
    if (r.larger) Links(r.larger).parent = replacement;
  } else if (links.smaller == nullptr) {
    replacement = links.larger;
  } else if (links.larger == nullptr) {
    replacement = links.smaller;
  } else {
    // The largest block of the smaller subtree is cut out of its place (its
    // own smaller subtree takes that place) and takes over both subtrees.
    replacement = links.smaller;
    while (Links(replacement).larger != nullptr) replacement = Links(replacement).larger;
    FreeLinks& r = Links(replacement);
    if (r.parent != b) {
      Links(r.parent).larger = r.smaller;
      if (r.smaller) Links(r.smaller).parent = r.parent;
      r.smaller = links.smaller;
      Links(r.smaller).parent = replacement;
    }
    r.larger = links.larger;
    Links(r.larger).parent = replacement;
  }

  if (replacement != nullptr) Links(replacement).parent = parent;
  if (parent == nullptr) {
    SetRoot(replacement);
  } else if (Links(parent).smaller == b) {
    Links(parent).smaller = replacement;
  } else {
    Links(parent).larger = replacement;
  }
}

void VHeap::Destroy() {
  Arena* arena = fFirstArena;
  fFirstArena = nullptr;
  fLastArena = nullptr;
  while (arena != nullptr) {
    Arena* next = arena->next;
    GlobalFree(reinterpret_cast<HGLOBAL>(arena));
    arena = next;
  }
  fArenaCount = 0;
  fArenaBytes = 0;
}

uint32_t VHeap::GetBlockSize(const void* p) const {
  if (p == nullptr) return 0;
  return Requested(static_cast<const unsigned char*>(p) - kBlockHeaderSize);
}

int32_t VHeap::Classify(const void* p, void** where) const {
  if (where) *where = nullptr;
  const uintptr_t at = reinterpret_cast<uintptr_t>(p);
  for (Arena* arena = fFirstArena; arena != nullptr; arena = arena->next) {
    const uintptr_t start = reinterpret_cast<uintptr_t>(arena);
    if (at < start || at >= start + arena->usableSize + kArenaOverhead) continue;
    if (at < start + kArenaHeaderSize) {
      if (where) *where = arena;
      return at == start ? kHeapArenaStart : kHeapInArenaHeader;
    }
    for (Block b = reinterpret_cast<Block>(arena) + kArenaHeaderSize; Size(b) != kEndMarkerTag;
         b = Next(b)) {
      const uintptr_t header = reinterpret_cast<uintptr_t>(b);
      const uintptr_t payload = header + kBlockHeaderSize;
      if (at < payload) {
        if (where) *where = b;
        return at == header ? kHeapBlockHeaderStart : kHeapInBlockHeader;
      }
      const int32_t size = Size(b);
      if (at < payload + static_cast<uint32_t>(size < 0 ? -size : size)) {
        if (where) *where = Payload(b);
        if (size < 0) return at == payload ? kHeapUsedPayloadStart : kHeapInUsedPayload;
        return at == payload ? kHeapFreePayloadStart : kHeapInFreePayload;
      }
    }
    return kHeapNotInHeap;  // the end marker or the slack behind it
  }
  return kHeapNotInHeap;
}

VHeapStatistics VHeap::GetStatistics() const {
  VHeapStatistics s;
  for (Arena* arena = fFirstArena; arena != nullptr; arena = arena->next) {
    ++s.arenaCount;
    s.arenaBytes += arena->usableSize;
    for (Block b = reinterpret_cast<Block>(arena) + kArenaHeaderSize; Size(b) != kEndMarkerTag;
         b = Next(b)) {
      ++s.blockCount;
      const int32_t size = Size(b);
      if (size < 0) {
        const uint32_t used = static_cast<uint32_t>(-size);
        ++s.usedBlocks;
        s.usedBytes += used;
        s.largestUsed = std::max(s.largestUsed, used);
      } else {
        ++s.freeBlocks;
        s.freeBytes += static_cast<uint32_t>(size);
        s.largestFree = std::max(s.largestFree, static_cast<uint32_t>(size));
      }
    }
  }
  return s;
}
