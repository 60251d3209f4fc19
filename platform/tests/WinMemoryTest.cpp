// Win32 global memory stand-in: ids of moveable blocks, exact sizes, locks,
// moves on resize, refusal of oversized requests, and the Toolbox handles on them.
#include <gtest/gtest.h>

#include <cstring>

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
