// VHeap: the framework heap behind VObject's operator new. It carves blocks out
// of large fixed arenas of global memory and keeps its free blocks in a size tree.
#pragma once

#include <cstddef>
#include <cstdint>

// Called with the requested size when the heap has no block for it; answers
// non-zero when the allocation is to be tried again.
using VOutOfMemoryProc = int32_t (*)(size_t size);

// The nine figures of one walk over every arena and block.
struct VHeapStatistics {
  uint32_t arenaCount = 0;
  uint64_t blockCount = 0;
  uint64_t arenaBytes = 0;   // the sum of the arenas' usable sizes
  uint64_t usedBlocks = 0;
  uint64_t usedBytes = 0;    // payload bytes of the blocks in use
  uint32_t largestUsed = 0;
  uint64_t freeBlocks = 0;
  uint64_t freeBytes = 0;
  uint32_t largestFree = 0;
};

// Answers of VHeap::Classify.
enum : int32_t {
  kHeapNotInHeap = 100,        // in no arena, or in no block of its arena
  kHeapArenaStart = 101,
  kHeapInArenaHeader = 102,
  kHeapBlockHeaderStart = 103,
  kHeapInBlockHeader = 104,
  kHeapUsedPayloadStart = 105,
  kHeapFreePayloadStart = 106,
  kHeapInUsedPayload = 107,
  kHeapInFreePayload = 108,
};

// Not a VObject: the heap itself is made and released with the language
// runtime's allocator, first at start-up and last at shut-down. One thread only.
//
// Layout. An arena is one fixed global block:
//   arena header | first block header | usable bytes | end marker | slack
// The arena header holds the u32 usable size, the address of the first block,
// the next arena (null for the last) and the address of the end marker. The
// first arena's first-block field holds the root of the free tree instead; a
// first block is always found by position, right behind the arena header.
// A block header, right in front of the payload, holds the previous block of
// the arena (null for the first), the i32 payload size (positive when free,
// negated while in use, -1 for the end marker) and the u32 size the caller
// asked for. The next block starts at header + kBlockHeaderSize + |size|; the
// blocks of an arena tile it without gaps. A free payload holds four tree
// links (smaller, larger, parent or chain predecessor, next of equal size),
// which sets the minimum payload.
//
// The 32-bit layout had a 12-byte header, a 16-byte minimum payload, 4-byte
// rounding, a split once the rest reached r + 28 (header + minimum), a
// 16-byte arena header, an 8-byte end marker and 6 unused bytes, i.e. arenas
// of usable + 42 bytes. Here every piece that holds a pointer grows with it,
// and payloads are aligned for any object (16 bytes).
class VHeap {
 public:
  // Previous-block pointer, i32 size, u32 requested size (32-bit: 12).
  static constexpr size_t kBlockHeaderSize = sizeof(void*) + 2 * sizeof(uint32_t);
  // Four tree links live in a free payload (32-bit: 16).
  static constexpr size_t kMinPayload = 4 * sizeof(void*);
  // Payload sizes are multiples of this, so every payload stays aligned for
  // any object (32-bit: 4).
  static constexpr size_t kGranule = alignof(std::max_align_t);
  // A block is split only when its rest could hold a header and a minimal
  // payload (32-bit: 28).
  static constexpr size_t kSplitThreshold = kBlockHeaderSize + kMinPayload;
  // u32 usable size padded to the pointer width, then three pointers (32-bit: 16).
  static constexpr size_t kArenaHeaderSize = 4 * sizeof(void*);
  // The first two fields of a block header (32-bit: 8).
  static constexpr size_t kEndMarkerSize = sizeof(void*) + sizeof(int32_t);
  // Unused bytes at the end of every arena, as before.
  static constexpr size_t kArenaSlack = 6;
  // An arena's global block is its usable size plus this (32-bit: 42).
  static constexpr size_t kArenaOverhead =
      kArenaHeaderSize + kBlockHeaderSize + kEndMarkerSize + kArenaSlack;
  // Arenas have at least this many usable bytes, so system allocations stay few.
  static constexpr uint32_t kMinArenaSize = 65535;
  // With a growth limit set, a heap that would pass it still grows while at
  // least this much room is left below the limit.
  static constexpr uint32_t kGrowthLimitRoom = 4096;
  // The largest request served: its size must fit the signed size field and
  // its arena the largest global block, so nothing is ever rounded past 2^31.
  static constexpr size_t kMaxRequest =
      (0x7FFFFFFF - kArenaOverhead) / kGranule * kGranule;

  static_assert(kBlockHeaderSize % kGranule == 0, "payloads must stay aligned");
  static_assert(kArenaHeaderSize % kGranule == 0, "first payloads must stay aligned");
  static_assert(kMinPayload % kGranule == 0, "minimum payload must be a granule multiple");

  // Makes the first arena of kMinArenaSize usable bytes (none when the system
  // refuses it; the heap then grows on the first request).
  VHeap();
  // Gives back whatever arenas are left.
  ~VHeap();
  VHeap(const VHeap&) = delete;
  VHeap& operator=(const VHeap&) = delete;

  // The fallible allocation: null when no block can be had, the heap cannot
  // grow and the out-of-memory procedure is absent or declines to retry.
  // Requests above kMaxRequest are refused at once.
  void* Allocate(size_t size);
  // Behind operator new: never answers null. When Allocate has nothing (after
  // the out-of-memory procedure, if any, declined), it writes a message on
  // stderr and ends the process.
  void* AllocateOrDie(size_t size);
  // Null is ignored.
  void Free(void* p);
  // Gives every arena back to the system, in list order; the heap is empty after.
  void Destroy();

  void SetGrowthAllowed(uint8_t allowed) { fGrowthAllowed = allowed; }
  uint8_t IsGrowthAllowed() const { return fGrowthAllowed; }
  // 0 means no limit (the default; the module sets no other).
  void SetGrowthLimit(uint32_t limit) { fGrowthLimit = limit; }
  uint32_t GetGrowthLimit() const { return fGrowthLimit; }
  // Answers the previous procedure.
  VOutOfMemoryProc SetOutOfMemoryProc(VOutOfMemoryProc proc);

  // The size the caller asked for when the block was allocated (0 for null).
  uint32_t GetBlockSize(const void* p) const;
  // Where `p` lies (codes above); `where`, when given, receives the arena,
  // block header or payload start containing it (null for kHeapNotInHeap).
  int32_t Classify(const void* p, void** where = nullptr) const;

  VHeapStatistics GetStatistics() const;
  uint64_t GetFreeBytes() const { return GetStatistics().freeBytes; }
  uint32_t GetLargestFree() const { return GetStatistics().largestFree; }
  uint32_t GetLargestUsed() const { return GetStatistics().largestUsed; }
  uint64_t GetUsedBytes() const { return GetStatistics().usedBytes; }
  uint64_t GetArenaBytes() const { return GetStatistics().arenaBytes; }

 private:
  struct Arena;
  using Block = unsigned char*;  // the address of a block header

  Block AllocateBlock(size_t size);
  Block FindFreeBlock(uint32_t rounded, bool mayGrow);
  bool Grow(uint32_t rounded);
  Arena* NewArena(uint32_t usable);
  void FreeBlock(Block block);
  void InsertFree(Block block);
  void RemoveFree(Block block);
  Block Root() const;
  void SetRoot(Block block);

  uint32_t fArenaCount = 0;
  uint64_t fArenaBytes = 0;  // wider than the sizes: many large arenas may pass 4 GiB
  uint32_t fGrowthLimit = 0;
  Arena* fFirstArena = nullptr;
  // The arena a new one follows: a heap that grows to thousands of arenas
  // appends each without walking the chain.
  Arena* fLastArena = nullptr;
  VOutOfMemoryProc fOutOfMemoryProc = nullptr;
  uint8_t fGrowthAllowed = 1;
};

// The module's heap; made first at start-up, destroyed last at shut-down.
extern VHeap* gHeap;

// Ends the process as AllocateOrDie does, for an exception that reached one
// of the module's entry points (DaVuze, SwapRsrcProc): the module's code is
// built without exceptions and throws none, so this can only be the language
// runtime's allocator failing under a standard container (`outOfMemory`) or
// something thrown by a routine the module called. Nothing between the throw
// and the entry point was undone, so going on would work on half-changed
// state, and the exception must not reach the host.
[[noreturn]] void EndOnEntryPointException(bool outOfMemory);
