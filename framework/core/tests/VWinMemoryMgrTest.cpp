// The memory manager over global blocks: handle numbering and reuse, sizes
// and granules, locks, every resize rule, bad handles, fixed blocks, the
// exchange with Toolbox handles, and the two block routines.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <memory>
#include <set>
#include <vector>

#include "framework/core/memory/VWinMemoryMgr.h"
#include "platform/toolbox/TbxHandles.h"
#include "platform/win32/WinMemory.h"

namespace {

constexpr UINT kInvalidBlockFlags = 0x8000;

class WinMemoryMgr : public testing::Test {
 protected:
  VWinMemoryEntry Entry(VMemHandle h) {
    VWinMemoryEntry e{};
    EXPECT_TRUE(mgr.GetEntry(h, e));
    return e;
  }
  void Fill(VMemHandle h, uint8_t value) {
    void* p = mgr.LockHandle(h);
    ASSERT_NE(p, nullptr);
    std::memset(p, value, mgr.GetHandleSize(h));
    mgr.UnlockHandle(h);
  }
  // The whole block behind a handle, beyond its logical size too.
  std::vector<uint8_t> Raw(VMemHandle h) {
    VWinMemoryEntry e = Entry(h);
    std::vector<uint8_t> bytes(e.allocatedSize);
    if (e.allocatedSize != 0) {
      HGLOBAL block = GlobalFromValue(e.block);
      std::memcpy(bytes.data(), GlobalLock(block), e.allocatedSize);
      GlobalUnlock(block);
    }
    return bytes;
  }
  static bool BlockIsLive(uint32_t value) { return GlobalFlags(GlobalFromValue(value)) != kInvalidBlockFlags; }

  VWinMemoryMgr mgr;
};

// A manager whose Toolbox allocations all fail.
class NoMacMemoryMgr : public VWinMemoryMgr {
 private:
  uint32_t NewMacHandle(uint32_t) override { return 0; }
};

}  // namespace

TEST(WinMemoryEntry, IsSixteenPackedBytesInTheDocumentedOrder) {
  EXPECT_EQ(sizeof(VWinMemoryEntry), 16u);
  EXPECT_EQ(offsetof(VWinMemoryEntry, block), 0u);
  EXPECT_EQ(offsetof(VWinMemoryEntry, allocatedSize), 4u);
  EXPECT_EQ(offsetof(VWinMemoryEntry, logicalSize), 8u);
  EXPECT_EQ(offsetof(VWinMemoryEntry, granule), 12u);
  EXPECT_EQ(offsetof(VWinMemoryEntry, lockCount), 14u);
}

TEST_F(WinMemoryMgr, StartsWithAnEmptyTable) {
  EXPECT_EQ(mgr.GetCapacity(), 0u);
  EXPECT_EQ(mgr.GetEntriesInUse(), 0u);
  EXPECT_EQ(mgr.GetError(), kMemNoError);
}

TEST_F(WinMemoryMgr, FirstHandleIs7FFFFFFEAndComesBackAfterDispose) {
  VMemHandle h = mgr.NewHandle(10, 0);
  EXPECT_EQ(h, 0x7FFFFFFFu - 1);
  EXPECT_EQ(mgr.GetCapacity(), 128u);
  mgr.DisposeHandle(h);
  EXPECT_EQ(mgr.NewHandle(20, 0), 0x7FFFFFFFu - 1);
  EXPECT_EQ(mgr.GetHandleSize(h), 20u);
  EXPECT_EQ(mgr.GetEntriesInUse(), 1u);
}

TEST_F(WinMemoryMgr, HandleValuesCountDownFromTheTop) {
  EXPECT_EQ(mgr.NewHandle(1, 0), 0x7FFFFFFFu - 1);
  EXPECT_EQ(mgr.NewHandle(1, 0), 0x7FFFFFFFu - 2);
  EXPECT_EQ(mgr.NewHandle(1, 0), 0x7FFFFFFFu - 3);
}

TEST_F(WinMemoryMgr, HighestFreeEntryIsReusedFirst) {
  VMemHandle h1 = mgr.NewHandle(1, 0);
  VMemHandle h2 = mgr.NewHandle(1, 0);
  VMemHandle h3 = mgr.NewHandle(1, 0);
  mgr.DisposeHandle(h2);
  mgr.DisposeHandle(h3);
  EXPECT_EQ(mgr.NewHandle(1, 0), h3);
  EXPECT_EQ(mgr.NewHandle(1, 0), h2);
  EXPECT_EQ(mgr.NewHandle(1, 0), 0x7FFFFFFFu - 4);
  EXPECT_EQ(mgr.GetHandleSize(h1), 1u);
}

// Among thousands of handles, freed in any order and interleaved with new
// ones, each new handle takes the highest free entry, as a walk of the
// table from its top would find it.
TEST_F(WinMemoryMgr, HighestFreeEntryIsReusedFirstAmongThousands) {
  constexpr int kHandles = 3000;
  std::vector<VMemHandle> handles;
  for (int i = 0; i < kHandles; ++i) handles.push_back(mgr.NewHandle(1, 0));
  // Handle values count down from the top: the highest entry is the
  // smallest value.
  std::set<VMemHandle> freed;
  for (int i = 0; i < kHandles; i += 7) {
    mgr.DisposeHandle(handles[size_t(i)]);
    freed.insert(handles[size_t(i)]);
  }
  for (int i = 3; i < kHandles; i += 11) {
    if (freed.count(handles[size_t(i)]) != 0) continue;
    mgr.DisposeHandle(handles[size_t(i)]);
    freed.insert(handles[size_t(i)]);
  }
  while (!freed.empty()) {
    const VMemHandle expected = *freed.begin();
    EXPECT_EQ(mgr.NewHandle(1, 0), expected);
    freed.erase(freed.begin());
    if (freed.size() % 5 == 0 && !freed.empty()) {
      // One given back at once is the highest again.
      const VMemHandle again = expected;
      mgr.DisposeHandle(again);
      EXPECT_EQ(mgr.NewHandle(1, 0), again);
    }
  }
  EXPECT_EQ(mgr.NewHandle(1, 0), VMemHandle(0x7FFFFFFFu - 1 - kHandles));
  EXPECT_EQ(mgr.GetEntriesInUse(), uint32_t(kHandles + 1));
}

TEST_F(WinMemoryMgr, TableGrowsBy128EntriesAndKeepsEveryHandle) {
  std::vector<VMemHandle> handles;
  for (uint32_t i = 0; i < 129; ++i) {
    VMemHandle h = mgr.NewHandle(4, 0);
    ASSERT_NE(h, 0u);
    *static_cast<uint32_t*>(mgr.LockHandle(h)) = i;
    mgr.UnlockHandle(h);
    handles.push_back(h);
    EXPECT_EQ(mgr.GetCapacity(), i < 128 ? 128u : 256u);
  }
  EXPECT_EQ(mgr.GetEntriesInUse(), 129u);
  for (uint32_t i = 0; i < 129; ++i) {
    EXPECT_EQ(mgr.GetHandleSize(handles[i]), 4u);
    EXPECT_EQ(*static_cast<uint32_t*>(mgr.LockHandle(handles[i])), i);
    mgr.UnlockHandle(handles[i]);
  }
}

TEST_F(WinMemoryMgr, SizeWithoutGranuleIsExact) {
  VMemHandle h = mgr.NewHandle(100, 0);
  VWinMemoryEntry e = Entry(h);
  EXPECT_EQ(e.logicalSize, 100u);
  EXPECT_EQ(e.allocatedSize, 100u);
  EXPECT_EQ(e.granule, 0u);
  EXPECT_EQ(e.lockCount, 0u);
  EXPECT_EQ(GlobalSize(GlobalFromValue(e.block)), 100u);
}

TEST_F(WinMemoryMgr, GranuleAlwaysLeavesOneSpare) {
  VWinMemoryEntry a = Entry(mgr.NewHandle(100, 50));
  EXPECT_EQ(a.allocatedSize, 150u);
  EXPECT_EQ(a.logicalSize, 100u);
  EXPECT_EQ(a.granule, 50u);
  VWinMemoryEntry b = Entry(mgr.NewHandle(0, 512));
  EXPECT_EQ(b.allocatedSize, 512u);
  EXPECT_EQ(b.logicalSize, 0u);
  VWinMemoryEntry c = Entry(mgr.NewHandle(512, 512));
  EXPECT_EQ(c.allocatedSize, 1024u);
  EXPECT_EQ(c.logicalSize, 512u);
  VWinMemoryEntry d = Entry(mgr.NewHandle(511, 512));
  EXPECT_EQ(d.allocatedSize, 512u);
}

TEST_F(WinMemoryMgr, RequestNear4GiBIsRefusedNotWrapped) {
  EXPECT_EQ(mgr.NewHandle(0xFFFFFFF0u, 0), 0u);
  EXPECT_EQ(mgr.GetError(), kMemNoMemory);
  // With a granule the rounding would wrap to a small block in 32 bits.
  EXPECT_EQ(mgr.NewHandle(0xFFFFFFF0u, 512), 0u);
  EXPECT_EQ(mgr.GetError(), kMemNoMemory);
  EXPECT_EQ(mgr.NewHandle(0xFFFFFFFFu, 0xFFFF), 0u);
  EXPECT_EQ(mgr.NewHandleClear(0xFFFFFFF0u, 16), 0u);
  EXPECT_EQ(mgr.GetError(), kMemNoMemory);
  // Just below the largest block, the granule pushes it over.
  EXPECT_EQ(mgr.NewHandle(0x7FFFFFF0u, 512), 0u);
  EXPECT_EQ(mgr.GetError(), kMemNoMemory);
  EXPECT_EQ(mgr.GetEntriesInUse(), 0u);
  // The refusals cost no entry: the next handle is still the first.
  EXPECT_EQ(mgr.NewHandle(1, 0), 0x7FFFFFFFu - 1);
}

TEST_F(WinMemoryMgr, NewHandleClearZeroesTheWholeBlock) {
  VMemHandle h = mgr.NewHandleClear(100, 64);
  std::vector<uint8_t> raw = Raw(h);
  ASSERT_EQ(raw.size(), 128u);
  for (uint8_t b : raw) EXPECT_EQ(b, 0);
}

TEST_F(WinMemoryMgr, NewHandleFromDataCopiesTheBytes) {
  const uint8_t data[5] = {1, 2, 3, 4, 5};
  VMemHandle h = mgr.NewHandleFromData(data, 5);
  ASSERT_NE(h, 0u);
  EXPECT_EQ(mgr.GetHandleSize(h), 5u);
  EXPECT_EQ(std::memcmp(mgr.LockHandle(h), data, 5), 0);
  mgr.UnlockHandle(h);
}

TEST_F(WinMemoryMgr, NewHandleFromDataRefusesANullSourceWithBytes) {
  EXPECT_EQ(mgr.NewHandleFromData(nullptr, 8), 0u);
  EXPECT_EQ(mgr.GetError(), kMemNoMemory);
  VMemHandle h = mgr.NewHandleFromData(nullptr, 0);
  EXPECT_NE(h, 0u);
  EXPECT_EQ(mgr.GetHandleSize(h), 0u);
}

TEST_F(WinMemoryMgr, InvalidHandlesAnswer101AndNothingElse) {
  VMemHandle live = mgr.NewHandle(8, 0);
  VMemHandle disposed = mgr.NewHandle(8, 0);
  mgr.DisposeHandle(disposed);
  // 0x7FFFFFFF is position 0; the bit-31 value would decode to the live
  // handle's position if bit 31 were simply ignored.
  const VMemHandle bad[] = {0, 0x7FFFFFFFu, 0x12345678u, 0x7FFFFFFFu - 500, disposed,
                            live | 0x80000000u, 0xFFFFFFFFu, 1};
  for (VMemHandle h : bad) {
    SCOPED_TRACE(h);
    EXPECT_EQ(mgr.GetHandleSize(h), 0u);
    EXPECT_EQ(mgr.GetError(), kMemBadHandle);
    EXPECT_EQ(mgr.LockHandle(h), nullptr);
    EXPECT_EQ(mgr.GetError(), kMemBadHandle);
    mgr.UnlockHandle(h);
    EXPECT_EQ(mgr.GetError(), kMemBadHandle);
    EXPECT_FALSE(mgr.IsLocked(h));
    EXPECT_EQ(mgr.GetError(), kMemBadHandle);
    EXPECT_FALSE(mgr.SetHandleSize(h, 4));
    EXPECT_EQ(mgr.GetError(), kMemBadHandle);
    EXPECT_FALSE(mgr.SetHandleSizeClear(h, 4));
    EXPECT_EQ(mgr.GetError(), kMemBadHandle);
    EXPECT_EQ(mgr.DuplicateHandle(h), 0u);
    EXPECT_EQ(mgr.GetError(), kMemBadHandle);
    EXPECT_EQ(mgr.CopyToBlock(h), nullptr);
    EXPECT_EQ(mgr.GetError(), kMemBadHandle);
    EXPECT_EQ(mgr.ToMacHandle(h, true), 0u);
    EXPECT_EQ(mgr.GetError(), kMemBadHandle);
    EXPECT_EQ(mgr.ToMacHandle(h, false), 0u);
    EXPECT_EQ(mgr.GetError(), kMemBadHandle);
    mgr.DisposeHandle(h);
    EXPECT_EQ(mgr.GetError(), kMemBadHandle);
  }
  EXPECT_EQ(mgr.GetHandleSize(live), 8u);
  EXPECT_EQ(mgr.GetError(), kMemNoError);
}

TEST_F(WinMemoryMgr, GetHandleSizeOfZeroIsZeroWithError101) {
  EXPECT_EQ(mgr.GetHandleSize(0), 0u);
  EXPECT_EQ(mgr.GetError(), kMemBadHandle);
}

TEST_F(WinMemoryMgr, ValidHandleClearsTheErrorWord) {
  VMemHandle h = mgr.NewHandle(3, 0);
  mgr.GetHandleSize(0);
  ASSERT_EQ(mgr.GetError(), kMemBadHandle);
  EXPECT_FALSE(mgr.IsLocked(h));
  EXPECT_EQ(mgr.GetError(), kMemNoError);
}

TEST_F(WinMemoryMgr, LocksNestAndAreCounted) {
  VMemHandle h = mgr.NewHandle(16, 0);
  void* p1 = mgr.LockHandle(h);
  void* p2 = mgr.LockHandle(h);
  ASSERT_NE(p1, nullptr);
  EXPECT_EQ(p1, p2);
  EXPECT_EQ(Entry(h).lockCount, 2u);
  EXPECT_EQ(GlobalFlags(GlobalFromValue(Entry(h).block)) & GMEM_LOCKCOUNT, 2u);
  EXPECT_TRUE(mgr.IsLocked(h));
  mgr.UnlockHandle(h);
  EXPECT_TRUE(mgr.IsLocked(h));
  mgr.UnlockHandle(h);
  EXPECT_FALSE(mgr.IsLocked(h));
  // An unlock too many does nothing.
  mgr.UnlockHandle(h);
  EXPECT_EQ(Entry(h).lockCount, 0u);
  EXPECT_EQ(mgr.GetError(), kMemNoError);
}

TEST_F(WinMemoryMgr, LockingAnEmptyHandleGivesNullAndNoLock) {
  VMemHandle h = mgr.NewHandle(0, 512);  // a 512-byte block, logical size 0
  EXPECT_EQ(mgr.LockHandle(h), nullptr);
  EXPECT_EQ(Entry(h).lockCount, 0u);
  EXPECT_FALSE(mgr.IsLocked(h));
  VMemHandle none = mgr.NewHandle(0, 0);
  EXPECT_EQ(mgr.LockHandle(none), nullptr);
  EXPECT_EQ(Entry(none).lockCount, 0u);
}

TEST_F(WinMemoryMgr, LockCountStopsAtItsWidthInsteadOfWrapping) {
  VMemHandle h = mgr.NewHandle(4, 0);
  for (uint32_t i = 0; i < 0xFFFF; ++i) ASSERT_NE(mgr.LockHandle(h), nullptr);
  EXPECT_EQ(mgr.LockHandle(h), nullptr);
  EXPECT_EQ(mgr.GetError(), kMemLocked);
  EXPECT_EQ(Entry(h).lockCount, 0xFFFFu);
  EXPECT_TRUE(mgr.IsLocked(h));
  EXPECT_FALSE(mgr.SetHandleSize(h, 8));
  mgr.DisposeHandle(h);
}

TEST_F(WinMemoryMgr, ResizingALockedHandleIsRefusedAndLeavesItAlone) {
  VMemHandle h = mgr.NewHandle(10, 0);
  Fill(h, 0x5A);
  void* p = mgr.LockHandle(h);
  VWinMemoryEntry before = Entry(h);
  EXPECT_FALSE(mgr.SetHandleSize(h, 20));
  EXPECT_EQ(mgr.GetError(), kMemLocked);
  EXPECT_FALSE(mgr.SetHandleSize(h, 5));
  EXPECT_EQ(mgr.GetError(), kMemLocked);
  EXPECT_FALSE(mgr.SetHandleSizeClear(h, 30));
  EXPECT_EQ(mgr.GetError(), kMemLocked);
  VWinMemoryEntry after = Entry(h);
  EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0);
  EXPECT_EQ(mgr.GetHandleSize(h), 10u);
  EXPECT_EQ(mgr.LockHandle(h), p);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(static_cast<uint8_t*>(p)[i], 0x5A);
  mgr.UnlockHandle(h);
  mgr.UnlockHandle(h);
  EXPECT_TRUE(mgr.SetHandleSize(h, 20));
  EXPECT_EQ(mgr.GetHandleSize(h), 20u);
  EXPECT_EQ(mgr.GetError(), kMemNoError);
}

TEST_F(WinMemoryMgr, ShrinkKeepsTheBlockUntilMoreThanAGranuleIsSpare) {
  VMemHandle h = mgr.NewHandle(100, 50);  // block 150
  Fill(h, 0x11);
  ASSERT_TRUE(mgr.SetHandleSize(h, 140));
  EXPECT_EQ(Entry(h).allocatedSize, 150u);
  EXPECT_EQ(Entry(h).logicalSize, 140u);
  ASSERT_TRUE(mgr.SetHandleSize(h, 100));  // 150 - 50 = 100 is not below 100
  EXPECT_EQ(Entry(h).allocatedSize, 150u);
  ASSERT_TRUE(mgr.SetHandleSize(h, 99));  // now more than a granule would be spare
  EXPECT_EQ(Entry(h).allocatedSize, 100u);
  EXPECT_EQ(Entry(h).logicalSize, 99u);
  std::vector<uint8_t> raw = Raw(h);
  for (size_t i = 0; i < 99; ++i) EXPECT_EQ(raw[i], 0x11);
}

TEST_F(WinMemoryMgr, GrowthStaysInPlaceWhileTheBlockSuffices) {
  VMemHandle h = mgr.NewHandle(100, 50);  // block 150
  Fill(h, 0x22);
  ASSERT_TRUE(mgr.SetHandleSize(h, 150));
  EXPECT_EQ(Entry(h).allocatedSize, 150u);
  ASSERT_TRUE(mgr.SetHandleSize(h, 151));  // 50 * (151 / 50 + 1)
  EXPECT_EQ(Entry(h).allocatedSize, 200u);
  EXPECT_EQ(Entry(h).logicalSize, 151u);
  EXPECT_EQ(GlobalSize(GlobalFromValue(Entry(h).block)), 200u);
  std::vector<uint8_t> raw = Raw(h);
  for (size_t i = 0; i < 100; ++i) EXPECT_EQ(raw[i], 0x22);
}

TEST_F(WinMemoryMgr, WithoutGranuleEveryChangeReallocatesToTheExactSize) {
  VMemHandle h = mgr.NewHandle(10, 0);
  ASSERT_TRUE(mgr.SetHandleSize(h, 5));
  EXPECT_EQ(Entry(h).allocatedSize, 5u);
  ASSERT_TRUE(mgr.SetHandleSize(h, 37));
  EXPECT_EQ(Entry(h).allocatedSize, 37u);
  ASSERT_TRUE(mgr.SetHandleSize(h, 0));
  EXPECT_EQ(Entry(h).allocatedSize, 0u);
  EXPECT_EQ(mgr.GetHandleSize(h), 0u);
}

TEST_F(WinMemoryMgr, FailedGrowthKeepsTheOldBlockAndSizes) {
  VMemHandle h = mgr.NewHandle(10, 8);
  Fill(h, 0x33);
  VWinMemoryEntry before = Entry(h);
  EXPECT_FALSE(mgr.SetHandleSize(h, 0xFFFFFFF0u));
  EXPECT_EQ(mgr.GetError(), kMemNoMemory);
  EXPECT_FALSE(mgr.SetHandleSizeClear(h, 0xFFFFFFF0u));
  EXPECT_EQ(mgr.GetError(), kMemNoMemory);
  VWinMemoryEntry after = Entry(h);
  EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0);
  std::vector<uint8_t> raw = Raw(h);
  for (size_t i = 0; i < 10; ++i) EXPECT_EQ(raw[i], 0x33);
}

TEST_F(WinMemoryMgr, SetHandleSizeClearZeroesBytesGainedInPlace) {
  VMemHandle h = mgr.NewHandle(140, 50);  // block 150
  Fill(h, 0xAB);
  ASSERT_TRUE(mgr.SetHandleSize(h, 110));  // kept: bytes 110..149 still hold 0xAB
  EXPECT_EQ(Entry(h).allocatedSize, 150u);
  ASSERT_TRUE(mgr.SetHandleSizeClear(h, 130));
  EXPECT_EQ(Entry(h).allocatedSize, 150u);
  EXPECT_EQ(mgr.GetHandleSize(h), 130u);
  std::vector<uint8_t> raw = Raw(h);
  for (size_t i = 0; i < 110; ++i) EXPECT_EQ(raw[i], 0xAB) << i;
  for (size_t i = 110; i < 130; ++i) EXPECT_EQ(raw[i], 0) << i;
}

TEST_F(WinMemoryMgr, SetHandleSizeClearZeroesBytesGainedByReallocation) {
  VMemHandle h = mgr.NewHandle(140, 50);  // block 150
  Fill(h, 0xCD);
  ASSERT_TRUE(mgr.SetHandleSize(h, 110));
  ASSERT_TRUE(mgr.SetHandleSizeClear(h, 260));  // 50 * (260 / 50 + 1)
  EXPECT_EQ(Entry(h).allocatedSize, 300u);
  std::vector<uint8_t> raw = Raw(h);
  for (size_t i = 0; i < 110; ++i) EXPECT_EQ(raw[i], 0xCD) << i;
  for (size_t i = 110; i < 260; ++i) EXPECT_EQ(raw[i], 0) << i;
}

TEST_F(WinMemoryMgr, SetHandleSizeClearWithoutGranule) {
  VMemHandle h = mgr.NewHandle(4, 0);
  Fill(h, 0xEE);
  ASSERT_TRUE(mgr.SetHandleSizeClear(h, 12));
  EXPECT_EQ(Entry(h).allocatedSize, 12u);
  std::vector<uint8_t> raw = Raw(h);
  const uint8_t want[12] = {0xEE, 0xEE, 0xEE, 0xEE, 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(std::memcmp(raw.data(), want, 12), 0);
  ASSERT_TRUE(mgr.SetHandleSizeClear(h, 2));
  EXPECT_EQ(Entry(h).allocatedSize, 2u);
  EXPECT_EQ(mgr.GetHandleSize(h), 2u);
}

TEST_F(WinMemoryMgr, SetHandleSizeClearShrinksByItsRoundedSize) {
  VMemHandle h = mgr.NewHandle(100, 50);  // block 150
  ASSERT_TRUE(mgr.SetHandleSizeClear(h, 99));  // rounds to 100, not below 100: in place
  EXPECT_EQ(Entry(h).allocatedSize, 150u);
  EXPECT_EQ(Entry(h).logicalSize, 99u);
  ASSERT_TRUE(mgr.SetHandleSizeClear(h, 40));  // rounds to 50, below 99: reallocated
  EXPECT_EQ(Entry(h).allocatedSize, 50u);
  EXPECT_EQ(Entry(h).logicalSize, 40u);
}

TEST_F(WinMemoryMgr, DuplicateCopiesDataSizesAndGranuleButNoLocks) {
  VMemHandle h = mgr.NewHandle(100, 50);
  Fill(h, 0x44);
  mgr.LockHandle(h);
  VMemHandle d = mgr.DuplicateHandle(h);
  ASSERT_NE(d, 0u);
  EXPECT_NE(d, h);
  VWinMemoryEntry e = Entry(d);
  EXPECT_EQ(e.allocatedSize, 150u);
  EXPECT_EQ(e.logicalSize, 100u);
  EXPECT_EQ(e.granule, 50u);
  EXPECT_EQ(e.lockCount, 0u);
  EXPECT_NE(e.block, Entry(h).block);
  EXPECT_EQ(Raw(d), Raw(h));
  Fill(d, 0x55);
  EXPECT_EQ(static_cast<uint8_t*>(mgr.LockHandle(h))[0], 0x44);
  mgr.UnlockHandle(h);
  mgr.UnlockHandle(h);
}

TEST_F(WinMemoryMgr, DuplicateOfAnEmptyHandle) {
  VMemHandle h = mgr.NewHandle(0, 0);
  VMemHandle d = mgr.DuplicateHandle(h);
  ASSERT_NE(d, 0u);
  EXPECT_EQ(mgr.GetHandleSize(d), 0u);
}

TEST_F(WinMemoryMgr, DuplicateSurvivesTheTableGrowing) {
  std::vector<VMemHandle> handles;
  for (int i = 0; i < 127; ++i) handles.push_back(mgr.NewHandle(1, 0));
  VMemHandle h = mgr.NewHandleFromData("abcdef", 6);  // entry 128: the table is full
  ASSERT_EQ(mgr.GetCapacity(), 128u);
  VMemHandle d = mgr.DuplicateHandle(h);
  ASSERT_NE(d, 0u);
  EXPECT_EQ(mgr.GetCapacity(), 256u);
  EXPECT_EQ(std::memcmp(mgr.LockHandle(d), "abcdef", 6), 0);
  mgr.UnlockHandle(d);
}

TEST_F(WinMemoryMgr, DisposeUndoesLocksAndFreesTheBlock) {
  VMemHandle h = mgr.NewHandle(8, 0);
  uint32_t block = Entry(h).block;
  mgr.LockHandle(h);
  mgr.LockHandle(h);
  mgr.DisposeHandle(h);
  EXPECT_EQ(mgr.GetError(), kMemNoError);
  EXPECT_FALSE(BlockIsLive(block));
  EXPECT_EQ(mgr.GetHandleSize(h), 0u);
  EXPECT_EQ(mgr.GetError(), kMemBadHandle);
}

TEST_F(WinMemoryMgr, CopyToBlockHoldsTheLogicalBytesOnly) {
  VMemHandle h = mgr.NewHandleFromData("hello world", 11);
  ASSERT_TRUE(mgr.SetHandleSize(h, 5));
  void* block = mgr.CopyToBlock(h);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(GlobalSize(static_cast<HGLOBAL>(block)), 5u);
  EXPECT_EQ(std::memcmp(block, "hello", 5), 0);
  EXPECT_EQ(GlobalHandleValue(static_cast<HGLOBAL>(block)), 0u);  // a fixed block
  mgr.DisposeBlock(block);
  void* empty = mgr.CopyToBlock(mgr.NewHandle(0, 64));
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(GlobalSize(static_cast<HGLOBAL>(empty)), 0u);
  mgr.DisposeBlock(empty);
}

TEST_F(WinMemoryMgr, FixedBlocksAreExactAndClearedOnRequest) {
  auto* clear = static_cast<uint8_t*>(mgr.NewBlockClear(33));
  ASSERT_NE(clear, nullptr);
  EXPECT_EQ(GlobalSize(reinterpret_cast<HGLOBAL>(clear)), 33u);
  for (int i = 0; i < 33; ++i) EXPECT_EQ(clear[i], 0);
  void* plain = mgr.NewBlock(7);
  ASSERT_NE(plain, nullptr);
  EXPECT_EQ(GlobalSize(static_cast<HGLOBAL>(plain)), 7u);
  mgr.DisposeBlock(clear);
  mgr.DisposeBlock(plain);
  mgr.DisposeBlock(nullptr);
  EXPECT_EQ(mgr.NewBlock(0xFFFFFFFFu), nullptr);
  EXPECT_EQ(mgr.GetError(), kMemNoMemory);
  EXPECT_EQ(mgr.NewBlockClear(0xFFFFFFFFu), nullptr);
  EXPECT_EQ(mgr.GetError(), kMemNoMemory);
}

TEST_F(WinMemoryMgr, FreeMemoryIsReported) {
  EXPECT_GT(mgr.GetFreeMemory(), 0u);
}

TEST_F(WinMemoryMgr, ToMacHandleWithCopyOfALockedHandleHandsOverTheBytes) {
  VMemHandle h = mgr.NewHandle(10, 64);
  std::memcpy(mgr.LockHandle(h), "0123456789", 10);
  uint32_t block = Entry(h).block;
  Tbx::Handle mac = mgr.ToMacHandle(h, true);
  ASSERT_NE(mac, 0u);
  EXPECT_EQ(mgr.GetError(), kMemNoError);
  EXPECT_EQ(Tbx::GetHandleSize(mac), 10);
  void* p = Tbx::HLock(mac);
  EXPECT_EQ(std::memcmp(p, "0123456789", 10), 0);
  Tbx::HUnlock(mac);
  EXPECT_FALSE(BlockIsLive(block));
  EXPECT_EQ(mgr.GetHandleSize(h), 0u);
  EXPECT_EQ(mgr.GetError(), kMemBadHandle);
  Tbx::DisposeHandle(mac);
}

TEST_F(WinMemoryMgr, ToMacHandleWithoutCopyHandsOverTheBlockCutToTheData) {
  VMemHandle h = mgr.NewHandle(10, 64);  // a 64-byte block
  std::memcpy(mgr.LockHandle(h), "abcdefghij", 10);
  mgr.LockHandle(h);
  uint32_t block = Entry(h).block;
  Tbx::Handle mac = mgr.ToMacHandle(h, false);
  EXPECT_EQ(mac, block);
  EXPECT_EQ(Tbx::GetHandleSize(mac), 10);
  EXPECT_EQ(GlobalFlags(GlobalFromValue(mac)) & GMEM_LOCKCOUNT, 0u);
  EXPECT_EQ(std::memcmp(Tbx::HLock(mac), "abcdefghij", 10), 0);
  Tbx::HUnlock(mac);
  EXPECT_EQ(mgr.GetHandleSize(h), 0u);
  EXPECT_EQ(mgr.GetError(), kMemBadHandle);
  Tbx::DisposeHandle(mac);
}

TEST_F(WinMemoryMgr, ToMacHandleOfAnEmptyHandle) {
  Tbx::Handle copied = mgr.ToMacHandle(mgr.NewHandle(0, 0), true);
  ASSERT_NE(copied, 0u);
  EXPECT_EQ(Tbx::GetHandleSize(copied), 0);
  Tbx::Handle given = mgr.ToMacHandle(mgr.NewHandle(0, 512), false);
  ASSERT_NE(given, 0u);
  EXPECT_EQ(Tbx::GetHandleSize(given), 0);
  Tbx::DisposeHandle(copied);
  Tbx::DisposeHandle(given);
}

TEST(WinMemoryMgrMacCopy, FailedCopyKeepsTheHandleItsDataAndLocks) {
  NoMacMemoryMgr mgr;
  VMemHandle h = mgr.NewHandleFromData("keep me", 7);
  void* p = mgr.LockHandle(h);
  EXPECT_EQ(mgr.ToMacHandle(h, true), 0u);
  EXPECT_EQ(mgr.GetError(), kMemNoMemory);
  EXPECT_EQ(mgr.GetHandleSize(h), 7u);
  EXPECT_TRUE(mgr.IsLocked(h));
  EXPECT_EQ(std::memcmp(p, "keep me", 7), 0);
  mgr.UnlockHandle(h);
  // The hand-over without a copy needs no Toolbox allocation.
  Tbx::Handle mac = mgr.ToMacHandle(h, false);
  ASSERT_NE(mac, 0u);
  EXPECT_EQ(std::memcmp(Tbx::HLock(mac), "keep me", 7), 0);
  Tbx::HUnlock(mac);
  Tbx::DisposeHandle(mac);
}

TEST_F(WinMemoryMgr, FromMacHandleWithCopyTakesTheBytesAndDisposesTheToolboxHandle) {
  Tbx::Handle mac = Tbx::NewHandle(6);
  std::memcpy(Tbx::HLock(mac), "qvmrva", 6);
  Tbx::HUnlock(mac);
  VMemHandle h = mgr.FromMacHandle(mac, true);
  ASSERT_NE(h, 0u);
  VWinMemoryEntry e = Entry(h);
  EXPECT_NE(e.block, mac);
  EXPECT_EQ(e.allocatedSize, 6u);
  EXPECT_EQ(e.logicalSize, 6u);
  EXPECT_EQ(e.granule, 0u);
  EXPECT_EQ(e.lockCount, 0u);
  EXPECT_EQ(std::memcmp(mgr.LockHandle(h), "qvmrva", 6), 0);
  mgr.UnlockHandle(h);
  Tbx::GetHandleSize(mac);
  EXPECT_EQ(Tbx::MemError(), Tbx::nilHandleErr);
}

TEST_F(WinMemoryMgr, FromMacHandleWithoutCopyTakesTheBlockItself) {
  Tbx::Handle mac = Tbx::NewHandle(9);
  VMemHandle h = mgr.FromMacHandle(mac, false);
  ASSERT_NE(h, 0u);
  VWinMemoryEntry e = Entry(h);
  EXPECT_EQ(e.block, mac);
  EXPECT_EQ(e.allocatedSize, 9u);
  EXPECT_EQ(e.logicalSize, 9u);
  EXPECT_EQ(e.granule, 0u);
  mgr.DisposeHandle(h);
  EXPECT_FALSE(BlockIsLive(mac));
}

TEST_F(WinMemoryMgr, FromMacHandleRefusesNoHandleAndUnknownHandles) {
  EXPECT_EQ(mgr.FromMacHandle(0, true), 0u);
  EXPECT_EQ(mgr.FromMacHandle(0, false), 0u);
  EXPECT_EQ(mgr.FromMacHandle(0x12345678u, true), 0u);
  EXPECT_EQ(mgr.GetError(), kMemBadHandle);
  EXPECT_EQ(mgr.FromMacHandle(0x12345678u, false), 0u);
  EXPECT_EQ(mgr.GetError(), kMemBadHandle);
  EXPECT_EQ(mgr.GetEntriesInUse(), 0u);
}

TEST_F(WinMemoryMgr, HandleRoundTripsThroughAToolboxHandle) {
  std::vector<uint8_t> data(1000);
  for (size_t i = 0; i < data.size(); ++i) data[i] = uint8_t(i * 7);
  for (bool copyOut : {false, true}) {
    for (bool copyIn : {false, true}) {
      VMemHandle h = mgr.NewHandleFromData(data.data(), 1000);
      VMemHandle back = mgr.FromMacHandle(mgr.ToMacHandle(h, copyOut), copyIn);
      ASSERT_NE(back, 0u);
      ASSERT_EQ(mgr.GetHandleSize(back), 1000u);
      EXPECT_EQ(std::memcmp(mgr.LockHandle(back), data.data(), 1000), 0);
      mgr.UnlockHandle(back);
      mgr.DisposeHandle(back);
    }
  }
}

TEST(WinMemoryMgrLifetime, DestructionFreesEveryBlockEvenWhenLocked) {
  auto mgr = std::make_unique<VWinMemoryMgr>();
  VMemHandle a = mgr->NewHandle(10, 0);
  VMemHandle b = mgr->NewHandle(20, 16);
  mgr->LockHandle(a);
  mgr->LockHandle(a);
  VWinMemoryEntry ea{}, eb{};
  ASSERT_TRUE(mgr->GetEntry(a, ea));
  ASSERT_TRUE(mgr->GetEntry(b, eb));
  mgr.reset();
  EXPECT_EQ(GlobalFlags(GlobalFromValue(ea.block)), kInvalidBlockFlags);
  EXPECT_EQ(GlobalFlags(GlobalFromValue(eb.block)), kInvalidBlockFlags);
}

TEST(MemoryMgrBase, SharedMemoryIsNotReachableYet) {
  VWinMemoryMgr mgr;
  EXPECT_EQ(mgr.NewHandleFromShared("Anything"), 0u);
  EXPECT_EQ(mgr.GetError(), kMemNoMemory);
}

TEST(MemoryMgrBase, EmptyHandleHasSizeZero) {
  VWinMemoryMgr mgr;
  VMemHandle h = mgr.NewEmptyHandle();
  ASSERT_NE(h, 0u);
  EXPECT_EQ(mgr.GetHandleSize(h), 0u);
  EXPECT_EQ(mgr.GetError(), kMemNoError);
}

TEST(MemoryMgrBase, SharingCopiesAndEveryHandleHasOneReference) {
  VWinMemoryMgr mgr;
  VMemHandle h = mgr.NewHandleFromData("abc", 3);
  VMemHandle s = mgr.ShareHandle(h);
  ASSERT_NE(s, 0u);
  EXPECT_NE(s, h);
  EXPECT_EQ(std::memcmp(mgr.LockHandle(s), "abc", 3), 0);
  mgr.UnlockHandle(s);
  EXPECT_EQ(mgr.GetHandleRefCount(h), 1u);
  EXPECT_EQ(mgr.GetHandleRefCount(0), 0u);
  mgr.ReleaseHandle(s);
  EXPECT_EQ(mgr.GetHandleSize(s), 0u);
  EXPECT_EQ(mgr.GetError(), kMemBadHandle);
  EXPECT_EQ(mgr.GetHandleSize(h), 3u);
}

TEST(BlockRoutines, MoveBlockForwardOverlapKeepsTheSource) {
  uint8_t buffer[20];
  for (int i = 0; i < 20; ++i) buffer[i] = uint8_t(i);
  MoveBlock(buffer, buffer + 4, 10);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(buffer[i], i);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(buffer[4 + i], i);
  for (int i = 14; i < 20; ++i) EXPECT_EQ(buffer[i], i);
}

TEST(BlockRoutines, MoveBlockBackwardOverlapKeepsTheSource) {
  uint8_t buffer[20];
  for (int i = 0; i < 20; ++i) buffer[i] = uint8_t(i);
  MoveBlock(buffer + 4, buffer, 10);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(buffer[i], 4 + i);
  for (int i = 10; i < 20; ++i) EXPECT_EQ(buffer[i], i);
}

TEST(BlockRoutines, MoveBlockOfNothingTouchesNothing) {
  MoveBlock(nullptr, nullptr, 0);
  uint8_t b = 9;
  MoveBlock(nullptr, &b, 0);
  EXPECT_EQ(b, 9);
}

TEST(BlockRoutines, FillBlockPastABoundaryWritesExactlyItsBytes) {
  alignas(4) uint8_t buffer[16];
  std::memset(buffer, 0xFF, sizeof buffer);
  FillBlock(buffer + 5, 7, 0x3C);  // one byte past the boundary at 4
  for (int i = 0; i < 16; ++i) EXPECT_EQ(buffer[i], (i >= 5 && i < 12) ? 0x3C : 0xFF) << i;
}

TEST(BlockRoutines, FillBlockAtEveryAlignmentAndLength) {
  for (int start = 0; start < 4; ++start) {
    for (uint32_t length = 0; length <= 21; ++length) {
      alignas(4) uint8_t buffer[32];
      std::memset(buffer, 0xA5, sizeof buffer);
      FillBlock(buffer + start, length, 0x01);
      for (int i = 0; i < 32; ++i) {
        const bool inside = i >= start && i < start + int(length);
        ASSERT_EQ(buffer[i], inside ? 0x01 : 0xA5) << start << "/" << length << "/" << i;
      }
    }
  }
}
