// Win32 global memory stand-in: ids of moveable blocks, exact sizes, locks,
// moves on resize, refusal of oversized requests, and the Toolbox handles on them.
#include <gtest/gtest.h>

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/toolbox/TbxHandles.h"
#include "platform/win32/WinMemory.h"

TEST(GlobalMemory, MoveableBlockHasA32BitIdAndItsExactSize) {
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, 13);
  ASSERT_NE(h, nullptr);
  uint32_t value = GlobalHandleValue(h);
  EXPECT_NE(value, 0u);
  EXPECT_EQ(GlobalFromValue(value), h);
  EXPECT_EQ(GlobalSize(h), 13u);
  EXPECT_EQ(GlobalFree(h), nullptr);
  EXPECT_EQ(GlobalSize(h), 0u);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST(GlobalMemory, FixedBlockIsItsAddressAndIsAligned) {
  HGLOBAL h = GlobalAlloc(GPTR, 40);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(GlobalLock(h), static_cast<void*>(h));
  EXPECT_EQ(reinterpret_cast<uintptr_t>(h) % 16, 0u);
  EXPECT_EQ(GlobalHandleValue(h), 0u);
  const auto* bytes = static_cast<const uint8_t*>(static_cast<void*>(h));
  for (int i = 0; i < 40; ++i) EXPECT_EQ(bytes[i], 0);
  EXPECT_EQ(GlobalSize(h), 40u);
  EXPECT_EQ(GlobalFree(h), nullptr);
}

TEST(GlobalMemory, LockCountsNestAndUnlockReportsStillLocked) {
  HGLOBAL h = GlobalAlloc(GHND, 8);
  void* p1 = GlobalLock(h);
  void* p2 = GlobalLock(h);
  EXPECT_EQ(p1, p2);
  EXPECT_EQ(GlobalFlags(h) & GMEM_LOCKCOUNT, 2u);
  EXPECT_NE(GlobalUnlock(h), 0);
  EXPECT_EQ(GlobalUnlock(h), 0);
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
  EXPECT_EQ(GlobalUnlock(h), 0);
  EXPECT_EQ(GetLastError(), ERROR_NOT_LOCKED);
  GlobalFree(h);
}

TEST(GlobalMemory, ZeroSizedMoveableBlockHasNoAddress) {
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, 0);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(GlobalLock(h), nullptr);
  EXPECT_EQ(GlobalFlags(h) & GMEM_LOCKCOUNT, 0u);
  ASSERT_NE(GlobalReAlloc(h, 4, GHND), nullptr);
  auto* p = static_cast<uint8_t*>(GlobalLock(h));
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p[3], 0);
  GlobalUnlock(h);
  GlobalFree(h);
}

TEST(GlobalMemory, ResizeKeepsDataZeroesGrowthAndRefusesToMoveALockedBlock) {
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, 4);
  std::memcpy(GlobalLock(h), "abcd", 4);
  EXPECT_EQ(GlobalReAlloc(h, 1000, GMEM_MOVEABLE), nullptr);  // locked, no room: cannot move
  EXPECT_EQ(GlobalSize(h), 4u);
  EXPECT_EQ(GlobalReAlloc(h, 2, GMEM_MOVEABLE), h);  // locked: shrinks in place
  GlobalUnlock(h);
  ASSERT_EQ(GlobalReAlloc(h, 6, GMEM_MOVEABLE | GMEM_ZEROINIT), h);
  auto* p = static_cast<char*>(GlobalLock(h));
  EXPECT_EQ(std::memcmp(p, "ab\0\0\0\0", 6), 0);
  GlobalUnlock(h);
  GlobalFree(h);
}

TEST(GlobalMemory, RequestsNear4GiBAreRefusedNotWrapped) {
  for (UINT flags : {GMEM_FIXED, GMEM_MOVEABLE}) {
    SetLastError(0);
    EXPECT_EQ(GlobalAlloc(flags, 0xFFFFFFF0u), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_NOT_ENOUGH_MEMORY);
  }
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, 16);
  EXPECT_EQ(GlobalReAlloc(h, SIZE_T(0xFFFFFFFFu) + 16, GMEM_MOVEABLE), nullptr);
  EXPECT_EQ(GlobalSize(h), 16u);
  GlobalFree(h);
}

TEST(GlobalMemory, BadHandlesAreRefused) {
  int local = 0;
  HGLOBAL bogus = reinterpret_cast<HGLOBAL>(&local);
  EXPECT_EQ(GlobalLock(bogus), nullptr);
  EXPECT_EQ(GlobalSize(bogus), 0u);
  EXPECT_EQ(GlobalFree(bogus), bogus);
  EXPECT_EQ(GlobalLock(GlobalFromValue(0x7FFFFFF8u)), nullptr);
  EXPECT_EQ(GlobalFree(nullptr), nullptr);
}

TEST(GlobalMemory, MemoryStatusReportsPhysicalMemory) {
  MEMORYSTATUS status;
  GlobalMemoryStatus(&status);
  EXPECT_EQ(status.dwLength, sizeof status);
  EXPECT_GT(status.dwTotalPhys, 0u);
  EXPECT_LE(status.dwAvailPhys, status.dwTotalPhys);
}

TEST(ToolboxHandles, AreMoveableGlobalBlocks) {
  Tbx::Handle h = Tbx::NewHandle(10);
  ASSERT_NE(h, 0u);
  EXPECT_EQ(GlobalSize(GlobalFromValue(h)), 10u);
  auto* p = static_cast<char*>(Tbx::HLock(h));
  std::memcpy(p, "0123456789", 10);
  Tbx::HUnlock(h);
  Tbx::SetHandleSize(h, 20);
  EXPECT_EQ(Tbx::MemError(), Tbx::noErr);
  EXPECT_EQ(Tbx::GetHandleSize(h), 20);
  p = static_cast<char*>(GlobalLock(GlobalFromValue(h)));
  EXPECT_EQ(std::memcmp(p, "0123456789", 10), 0);
  GlobalUnlock(GlobalFromValue(h));
  Tbx::DisposeHandle(h);
  EXPECT_EQ(Tbx::GetHandleSize(h), 0);
  EXPECT_EQ(Tbx::MemError(), Tbx::nilHandleErr);
}

TEST(ToolboxHandles, LockedHandleDoesNotGrowAndNegativeSizesFail) {
  Tbx::Handle h = Tbx::NewHandle(4);
  Tbx::HLock(h);
  Tbx::SetHandleSize(h, 400);
  EXPECT_EQ(Tbx::MemError(), Tbx::memLockedErr);
  EXPECT_EQ(Tbx::GetHandleSize(h), 4);
  Tbx::HUnlock(h);
  EXPECT_EQ(Tbx::NewHandle(-1), 0u);
  EXPECT_EQ(Tbx::MemError(), Tbx::memFullErr);
  Tbx::DisposeHandle(h);
}

TEST(ToolboxHandles, BlockMoveHandlesOverlap) {
  char buf[16] = "abcdefghij";
  Tbx::BlockMove(buf, buf + 2, 8);
  EXPECT_EQ(std::memcmp(buf, "ababcdefgh", 10), 0);
}

TEST(GlobalMemory, GrowthInSmallStepsMovesTheBlockRarely) {
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, 1);
  int moves = 0;
  void* last = GlobalLock(h);
  static_cast<uint8_t*>(last)[0] = 42;
  GlobalUnlock(h);
  for (SIZE_T size = 2; size <= 100000; ++size) {
    ASSERT_EQ(GlobalReAlloc(h, size, GMEM_MOVEABLE | GMEM_ZEROINIT), h);
    ASSERT_EQ(GlobalSize(h), size);  // always the exact size asked for
    auto* p = static_cast<uint8_t*>(GlobalLock(h));
    ASSERT_EQ(p[size - 1], 0) << size;  // growth is zeroed even inside the reserve
    p[size - 1] = 1;
    if (p != last) ++moves;
    last = p;
    GlobalUnlock(h);
  }
  EXPECT_EQ(static_cast<uint8_t*>(GlobalLock(h))[0], 42);
  GlobalUnlock(h);
  EXPECT_LT(moves, 40);
  GlobalFree(h);
}

TEST(GlobalMemory, ShrinkThenGrowInsideTheReserveZeroesTheStaleBytes) {
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, 64);
  std::memset(GlobalLock(h), 0xAB, 64);
  GlobalUnlock(h);
  ASSERT_EQ(GlobalReAlloc(h, 32, GMEM_MOVEABLE), h);
  ASSERT_EQ(GlobalReAlloc(h, 48, GMEM_MOVEABLE | GMEM_ZEROINIT), h);
  auto* p = static_cast<uint8_t*>(GlobalLock(h));
  EXPECT_EQ(p[31], 0xAB);
  for (int i = 32; i < 48; ++i) EXPECT_EQ(p[i], 0) << i;
  // Locked, it may still grow inside the room it has.
  EXPECT_EQ(GlobalReAlloc(h, 64, GMEM_MOVEABLE), h);
  EXPECT_EQ(GlobalLock(h), p);
  GlobalUnlock(h);
  GlobalUnlock(h);
  GlobalFree(h);
}

namespace {

// The byte a test block holds at `at`: different along the block, so that a
// prefix copied to the wrong place or cut short shows.
uint8_t PatternByte(SIZE_T at) { return static_cast<uint8_t>((at * 7 + at / 4093) & 0xFF); }

void FillPattern(HGLOBAL h, SIZE_T from, SIZE_T to) {
  auto* p = static_cast<uint8_t*>(GlobalLock(h));
  for (SIZE_T i = from; i < to; ++i) p[i] = PatternByte(i);
  GlobalUnlock(h);
}

// The first byte in [from, to) that differs from the pattern (or from 0 when
// `zeroes`), or `to` when none does.
SIZE_T FirstMismatch(HGLOBAL h, SIZE_T from, SIZE_T to, bool zeroes) {
  const auto* p = static_cast<const uint8_t*>(GlobalLock(h));
  SIZE_T at = from;
  while (at < to && p[at] == (zeroes ? 0 : PatternByte(at))) ++at;
  GlobalUnlock(h);
  return at;
}

// How many of the pages of [p, p + bytes) are in memory.
size_t ResidentPages(const void* p, SIZE_T bytes) {
  const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
  const auto start = reinterpret_cast<uintptr_t>(p) & ~(page - 1);
  const size_t length = reinterpret_cast<uintptr_t>(p) + bytes - start;
  std::vector<unsigned char> resident((length + page - 1) / page);
  if (mincore(reinterpret_cast<void*>(start), length, resident.data()) != 0) return SIZE_MAX;
  size_t count = 0;
  for (unsigned char r : resident) count += r & 1;
  return count;
}

}  // namespace

// Small blocks live on the heap, big ones in mappings of their own; a block
// that grows and shrinks across the boundary keeps its bytes either way, and
// what it gains is zero when asked for.
TEST(GlobalMemory, BlocksKeepTheirBytesAcrossGrowthAndShrinkAtEverySize) {
  struct Step {
    SIZE_T size;
    UINT flags;
  };
  const Step steps[] = {
      {100, GMEM_MOVEABLE},                     // heap
      {300 * 1024, GHND},                       // heap to mapping
      {5 * 1024 * 1024, GHND},                  // mapping remapped
      {5 * 1024 * 1024 + 1, GHND},              // one byte more: inside the reserve
      {1024 * 1024, GMEM_MOVEABLE},             // shrinks inside the reserve
      {12 * 1024 * 1024 + 3, GHND},             // past the reserve again, over stale bytes
      {700 * 1024, GMEM_MOVEABLE},              // shrinks and gives pages back
      {50 * 1024, GMEM_MOVEABLE},               // mapping to heap
      {50 * 1024 + 17, GHND},                   // heap grows inside its reserve
      {600 * 1024, GMEM_MOVEABLE},              // heap to mapping, not zeroed
      {0, GMEM_MOVEABLE},                       // no storage at all
      {400 * 1024, GHND},                       // a fresh mapping from nothing
  };
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, 16);
  ASSERT_NE(h, nullptr);
  FillPattern(h, 0, 16);
  SIZE_T size = 16;
  for (const Step& step : steps) {
    SCOPED_TRACE(step.size);
    ASSERT_EQ(GlobalReAlloc(h, step.size, step.flags), h);
    ASSERT_EQ(GlobalSize(h), step.size);
    const SIZE_T kept = std::min(size, step.size);
    EXPECT_EQ(FirstMismatch(h, 0, kept, false), kept);
    if (step.flags & GMEM_ZEROINIT) {
      EXPECT_EQ(FirstMismatch(h, kept, step.size, true), step.size);
    }
    if (step.size > kept) FillPattern(h, kept, step.size);
    size = step.size;
  }
  EXPECT_EQ(GlobalFree(h), nullptr);
}

TEST(GlobalMemory, ABigBlockShrunkAndRegrownZeroesEveryStaleByte) {
  for (SIZE_T big : {SIZE_T(64 * 1024), SIZE_T(2 * 1024 * 1024)}) {
    SCOPED_TRACE(big);
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, big);
    ASSERT_NE(h, nullptr);
    std::memset(GlobalLock(h), 0xAB, big);
    GlobalUnlock(h);
    // Down to a half (the block keeps its room), then up past that room.
    ASSERT_EQ(GlobalReAlloc(h, big / 2, GMEM_MOVEABLE), h);
    ASSERT_EQ(GlobalReAlloc(h, big * 3, GHND), h);
    const auto* p = static_cast<const uint8_t*>(GlobalLock(h));
    EXPECT_EQ(p[big / 2 - 1], 0xAB);
    SIZE_T at = big / 2;
    while (at < big * 3 && p[at] == 0) ++at;
    EXPECT_EQ(at, big * 3);
    GlobalUnlock(h);
    GlobalFree(h);
  }
}

TEST(GlobalMemory, ALockedBigBlockNeverMovesAndKeepsItsBytes) {
  const SIZE_T big = 1024 * 1024;
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, big);
  ASSERT_NE(h, nullptr);
  FillPattern(h, 0, big);
  void* p = GlobalLock(h);
  SetLastError(0);
  EXPECT_EQ(GlobalReAlloc(h, 8 * big, GMEM_MOVEABLE), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_NOT_ENOUGH_MEMORY);
  // A shrink that would give the pages back moves the block: refused too.
  EXPECT_EQ(GlobalReAlloc(h, 1000, GMEM_MOVEABLE), nullptr);
  EXPECT_EQ(GlobalSize(h), big);
  EXPECT_EQ(GlobalLock(h), p);
  EXPECT_EQ(FirstMismatch(h, 0, big, false), big);
  GlobalUnlock(h);
  GlobalUnlock(h);
  EXPECT_EQ(GlobalReAlloc(h, kGlobalMaxBlockSize + 1, GMEM_MOVEABLE), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_NOT_ENOUGH_MEMORY);
  EXPECT_EQ(GlobalSize(h), big);
  EXPECT_EQ(FirstMismatch(h, 0, big, false), big);
  GlobalFree(h);
}

// Growing a big block takes no memory for the bytes that are not written
// yet, zeroed or not, and does not bring back the pages of the old block:
// a document's stream grown to many megabytes costs what it holds.
TEST(GlobalMemory, GrowingABigBlockTouchesOnlyWhatIsWritten) {
  const SIZE_T big = 16 * 1024 * 1024;
  HGLOBAL h = GlobalAlloc(GHND, big);
  ASSERT_NE(h, nullptr);
  auto* p = static_cast<uint8_t*>(GlobalLock(h));
  EXPECT_LE(ResidentPages(p, big), 2u);
  p[0] = 1;
  p[big - 1] = 2;
  GlobalUnlock(h);
  for (UINT flags : {UINT(GMEM_MOVEABLE), UINT(GHND)}) {
    const SIZE_T size = GlobalSize(h) * 2;
    ASSERT_EQ(GlobalReAlloc(h, size, flags), h);
    p = static_cast<uint8_t*>(GlobalLock(h));
    EXPECT_EQ(p[0], 1);
    EXPECT_EQ(p[big - 1], 2);
    // The two pages written, the page of the old block's end (zeroed past
    // it when asked), and no more.
    EXPECT_LE(ResidentPages(p, size), 4u) << flags;
    GlobalUnlock(h);
  }
  GlobalFree(h);
}

#if defined(__SANITIZE_ADDRESS__)
// In a checked build, a write past a big block's size is caught, as one past
// a heap block is, also inside the room it keeps for growth.
TEST(GlobalMemoryDeathTest, AWritePastABigBlockIsCaughtInACheckedBuild) {
  const SIZE_T big = 1024 * 1024;
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, big);
  ASSERT_NE(h, nullptr);
  ASSERT_EQ(GlobalReAlloc(h, big + 100, GMEM_MOVEABLE), h);  // a reserve behind it now
  ASSERT_EQ(GlobalReAlloc(h, big / 2, GMEM_MOVEABLE), h);    // shrunk in place
  auto* p = static_cast<volatile uint8_t*>(GlobalLock(h));
  p[big / 2 - 1] = 1;
  EXPECT_DEATH(p[big / 2] = 1, "use-after-poison");
  GlobalUnlock(h);
  GlobalFree(h);
}
#endif

// A big block freed leaves its mapping for the next big block, which may get
// it grown, cut down or as it is: each comes with its exact size, keeps what
// it is given, and is zero where asked, whatever the freed block held.
TEST(GlobalMemory, AReusedMappingHoldsTheNewBlockExactly) {
  struct Case {
    SIZE_T freed;     // the size of the big block freed before
    SIZE_T size;      // the new block's size, allocated
    UINT allocFlags;  // how it is allocated
    SIZE_T grown;     // then grown to this size (0: not grown)
    UINT growFlags;
  };
  const SIZE_T k = 1024;
  const Case cases[] = {
      {3 * k * k, 3 * k * k, GMEM_MOVEABLE, 0, 0},                    // the same size again
      {3 * k * k, 3 * k * k - 5, GHND, 0, 0},                         // asked zero
      {8 * k * k, 300 * k, GMEM_MOVEABLE, 0, 0},                      // a much smaller one: cut down
      {300 * k, 5 * k * k + 7, GMEM_MOVEABLE, 0, 0},                  // a bigger one: grown
      {3 * k * k, 400 * k, GMEM_MOVEABLE, 6 * k * k + 3, GHND},       // grown past its room, zeroed
      {3 * k * k, 400 * k, GMEM_MOVEABLE, 700 * k, GHND},             // grown inside its room, zeroed
      {3 * k * k, 100, GMEM_MOVEABLE, 2 * k * k, GHND},               // from the heap into a mapping
      {3 * k * k, 100, GMEM_MOVEABLE, 2 * k * k, GMEM_MOVEABLE},      // the same, not zeroed
      {3 * k * k, 2 * k * k, GMEM_MOVEABLE, 100 * k, GHND},           // shrunk to the heap, then zero growth
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.freed << " then " << c.size << " then " << c.grown);
    HGLOBAL old = GlobalAlloc(GMEM_MOVEABLE, c.freed);
    ASSERT_NE(old, nullptr);
    std::memset(GlobalLock(old), 0xCD, c.freed);
    GlobalUnlock(old);
    ASSERT_EQ(GlobalFree(old), nullptr);

    HGLOBAL h = GlobalAlloc(c.allocFlags, c.size);
    ASSERT_NE(h, nullptr);
    ASSERT_EQ(GlobalSize(h), c.size);
    if (c.allocFlags & GMEM_ZEROINIT) {
      EXPECT_EQ(FirstMismatch(h, 0, c.size, true), c.size);
    }
    FillPattern(h, 0, c.size);
    SIZE_T held = c.size;  // how many bytes hold the pattern
    if (c.grown != 0) {
      ASSERT_EQ(GlobalReAlloc(h, c.grown, c.growFlags), h);
      ASSERT_EQ(GlobalSize(h), c.grown);
      held = std::min(c.size, c.grown);
      if (c.growFlags & GMEM_ZEROINIT) {
        EXPECT_EQ(FirstMismatch(h, held, c.grown, true), c.grown);
      }
    }
    EXPECT_EQ(FirstMismatch(h, 0, held, false), held);
    // A big block made and freed while this one lives does not share its memory.
    HGLOBAL other = GlobalAlloc(GMEM_MOVEABLE, c.freed);
    ASSERT_NE(other, nullptr);
    std::memset(GlobalLock(other), 0x11, c.freed);
    GlobalUnlock(other);
    GlobalFree(other);
    EXPECT_EQ(FirstMismatch(h, 0, held, false), held);
    GlobalFree(h);
  }
}

// The pages of a freed big block serve the next one, which finds them in
// memory instead of taking fresh ones from the system; a block too big to
// keep is given back whole.
TEST(GlobalMemory, AFreedBigBlockLeavesItsPagesToTheNext) {
  const SIZE_T page = static_cast<SIZE_T>(sysconf(_SC_PAGESIZE));
  const SIZE_T big = 3 * 1024 * 1024;
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, big);
  ASSERT_NE(h, nullptr);
  std::memset(GlobalLock(h), 0xCD, big);
  GlobalUnlock(h);
  GlobalFree(h);
  h = GlobalAlloc(GMEM_MOVEABLE, big);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(ResidentPages(GlobalLock(h), big), big / page);
  GlobalUnlock(h);
  GlobalFree(h);

  const SIZE_T huge = 40 * 1024 * 1024;
  h = GlobalAlloc(GMEM_MOVEABLE, huge);
  ASSERT_NE(h, nullptr);
  void* p = GlobalLock(h);
  std::memset(p, 0xCD, huge);
  GlobalUnlock(h);
  GlobalFree(h);
  std::vector<unsigned char> resident(huge / page);
  errno = 0;
  EXPECT_NE(mincore(p, huge, resident.data()), 0);
  EXPECT_EQ(errno, ENOMEM);  // no longer mapped
}

#if defined(__SANITIZE_ADDRESS__)
// A freed big block's memory, kept for reuse, is unusable in a checked build
// until another block takes it.
TEST(GlobalMemoryDeathTest, AFreedBigBlockCannotBeWrittenInACheckedBuild) {
  const SIZE_T big = 1024 * 1024;
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, big);
  ASSERT_NE(h, nullptr);
  auto* p = static_cast<volatile uint8_t*>(GlobalLock(h));
  GlobalUnlock(h);
  GlobalFree(h);
  EXPECT_DEATH(p[big / 2] = 1, "use-after-poison");
}
#endif

// A kept mapping waits only in the room the blocks in use left: pages taken
// fresh from the system for a block that grows make the pool give back as
// much, so that keeping a freed block never adds to the process's peak.
TEST(GlobalMemory, AKeptMappingGoesWhenABlockInUseGrows) {
  const SIZE_T page = static_cast<SIZE_T>(sysconf(_SC_PAGESIZE));
  const SIZE_T big = 3 * 1024 * 1024;
  HGLOBAL growing = GlobalAlloc(GMEM_MOVEABLE, 1024 * 1024);
  ASSERT_NE(growing, nullptr);
  HGLOBAL freed = GlobalAlloc(GMEM_MOVEABLE, big);
  ASSERT_NE(freed, nullptr);
  void* kept = GlobalLock(freed);
  std::memset(kept, 0xCD, big);
  GlobalUnlock(freed);
  GlobalFree(freed);
  std::vector<unsigned char> resident(big / page);
  ASSERT_EQ(mincore(kept, big, resident.data()), 0);  // kept for the next block

  // Grown by more than the pool may ever hold: whatever it kept goes.
  const SIZE_T grown = 40 * 1024 * 1024;
  ASSERT_EQ(GlobalReAlloc(growing, grown, GMEM_MOVEABLE), growing);
  ASSERT_EQ(GlobalSize(growing), grown);
  // Given back to the system, unless the grown block itself now lies there.
  const auto* start = static_cast<const char*>(GlobalLock(growing));
  const auto* at = static_cast<const char*>(kept);
  GlobalUnlock(growing);
  if (at < start || at >= start + grown) {
    errno = 0;
    EXPECT_NE(mincore(kept, big, resident.data()), 0);
    EXPECT_EQ(errno, ENOMEM);
  }
  GlobalFree(growing);
}
