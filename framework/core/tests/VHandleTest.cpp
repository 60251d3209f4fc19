// Owners of handles and fixed blocks: construction forms, bounded reads and
// growing writes, nested locks, copy-on-share, attach and detach, re-homing.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <vector>

#include "framework/core/memory/VBlockHolder.h"
#include "framework/core/memory/VHandle.h"
#include "framework/core/memory/VWinMemoryMgr.h"

namespace {

// A manager that shares handles by counting references instead of copying.
class CountingMemoryMgr : public VWinMemoryMgr {
 public:
  VMemHandle ShareHandle(VMemHandle handle) override {
    if (GetHandleSize(handle) == 0 && GetError() != kMemNoError) return 0;
    ++fShares[handle];
    return handle;
  }
  void ReleaseHandle(VMemHandle handle) override {
    auto it = fShares.find(handle);
    if (it == fShares.end()) {
      DisposeHandle(handle);
      return;
    }
    if (--it->second == 0) fShares.erase(it);
  }
  uint32_t GetHandleRefCount(VMemHandle handle) override {
    if (handle == 0) return 0;
    auto it = fShares.find(handle);
    return it == fShares.end() ? 1 : it->second + 1;
  }

 private:
  std::map<VMemHandle, uint32_t> fShares;  // references beyond the first
};

// A manager that records the fixed blocks it is asked to free.
class RecordingMemoryMgr : public VWinMemoryMgr {
 public:
  void DisposeBlock(void* block) override {
    disposed.push_back(block);
    VWinMemoryMgr::DisposeBlock(block);
  }
  std::vector<void*> disposed;
};

class Handles : public testing::Test {
 protected:
  void SetUp() override {
    fSaved = gMemoryMgr;
    gMemoryMgr = &mgr;
  }
  void TearDown() override { gMemoryMgr = fSaved; }

  std::vector<uint8_t> Bytes(VMemoryMgr& m, VMemHandle h) {
    std::vector<uint8_t> out(m.GetHandleSize(h));
    if (!out.empty()) {
      std::memcpy(out.data(), m.LockHandle(h), out.size());
      m.UnlockHandle(h);
    }
    return out;
  }
  static std::vector<uint8_t> Of(const char* text) {
    return std::vector<uint8_t>(text, text + std::strlen(text));
  }

  VWinMemoryMgr mgr;

 private:
  VMemoryMgr* fSaved = nullptr;
};

}  // namespace

TEST_F(Handles, SizeFormMakesAHandleOfTheGlobalManager) {
  VHandle h(24);
  EXPECT_EQ(h.GetManager(), &mgr);
  ASSERT_NE(h.GetHandle(), 0u);
  EXPECT_EQ(h.GetSize(), 24u);
  EXPECT_EQ(mgr.GetHandleSize(h.GetHandle()), 24u);
}

TEST_F(Handles, DataFormCopiesTheBytes) {
  char text[] = "styled";
  VHandle h(text, 6);
  text[0] = 'X';
  EXPECT_EQ(Bytes(mgr, h.GetHandle()), Of("styled"));
}

TEST_F(Handles, FillFormSetsEveryByte) {
  VHandle zero(9, uint8_t(0), nullptr);
  EXPECT_EQ(Bytes(mgr, zero.GetHandle()), std::vector<uint8_t>(9, 0));
  VHandle filled(9, uint8_t(0x7E), nullptr);
  EXPECT_EQ(Bytes(mgr, filled.GetHandle()), std::vector<uint8_t>(9, 0x7E));
  VHandle empty(0, uint8_t(0x7E), nullptr);
  EXPECT_EQ(empty.GetSize(), 0u);
}

TEST_F(Handles, GivenManagerIsUsedInsteadOfTheGlobalOne) {
  VWinMemoryMgr other;
  VHandle h(5, &other);
  EXPECT_EQ(h.GetManager(), &other);
  EXPECT_EQ(other.GetHandleSize(h.GetHandle()), 5u);
  EXPECT_EQ(mgr.GetEntriesInUse(), 0u);
}

TEST_F(Handles, CopyWithACopyingManagerGetsItsOwnHandle) {
  VHandle a("abc", 3);
  VHandle b(a);
  EXPECT_NE(a.GetHandle(), b.GetHandle());
  EXPECT_EQ(Bytes(mgr, b.GetHandle()), Of("abc"));
  ASSERT_TRUE(b.Write("X", 1, 0));
  EXPECT_EQ(Bytes(mgr, a.GetHandle()), Of("abc"));
}

TEST_F(Handles, CopyWithACountingManagerSharesUntilWritten) {
  CountingMemoryMgr counting;
  VHandle a("abc", 3, &counting);
  VHandle b(a);
  EXPECT_EQ(a.GetHandle(), b.GetHandle());
  EXPECT_EQ(counting.GetHandleRefCount(a.GetHandle()), 2u);
  ASSERT_TRUE(b.Write("X", 1, 1));
  EXPECT_NE(a.GetHandle(), b.GetHandle());
  EXPECT_EQ(Bytes(counting, a.GetHandle()), Of("abc"));
  EXPECT_EQ(Bytes(counting, b.GetHandle()), Of("aXc"));
  EXPECT_EQ(counting.GetHandleRefCount(a.GetHandle()), 1u);
}

TEST_F(Handles, ResizingSharedDataUnsharesItFirst) {
  CountingMemoryMgr counting;
  VHandle a("abcd", 4, &counting);
  VHandle b(a);
  ASSERT_TRUE(b.SetSize(2));
  EXPECT_EQ(a.GetSize(), 4u);
  EXPECT_EQ(b.GetSize(), 2u);
}

TEST_F(Handles, ReleasingOneSharerKeepsTheDataForTheOther) {
  CountingMemoryMgr counting;
  VHandle* a = new VHandle("shared", 6, &counting);
  VHandle b(*a);
  delete a;
  EXPECT_EQ(Bytes(counting, b.GetHandle()), Of("shared"));
}

TEST_F(Handles, MakeUniqueCopiesOnlySharedData) {
  CountingMemoryMgr counting;
  VHandle a("xy", 2, &counting);
  const VMemHandle before = a.GetHandle();
  EXPECT_TRUE(a.MakeUnique());
  EXPECT_EQ(a.GetHandle(), before);
  VHandle b(a);
  b.Lock();
  EXPECT_FALSE(b.MakeUnique());  // its address points into the shared data
  b.Unlock();
  EXPECT_TRUE(b.MakeUnique());
  EXPECT_NE(b.GetHandle(), a.GetHandle());
  EXPECT_EQ(Bytes(counting, b.GetHandle()), Of("xy"));
}

TEST_F(Handles, ForeignHandleIsCopiedIntoThisManager) {
  VWinMemoryMgr other;
  VMemHandle foreign = other.NewHandleFromData("from afar", 9);
  VHandle h(foreign, other);
  EXPECT_EQ(h.GetManager(), &mgr);
  EXPECT_EQ(Bytes(mgr, h.GetHandle()), Of("from afar"));
  EXPECT_EQ(other.GetHandleSize(foreign), 9u);  // the original stays with its owner
  EXPECT_FALSE(other.IsLocked(foreign));
  VHandle empty(other.NewHandle(0, 0), other);
  ASSERT_NE(empty.GetHandle(), 0u);
  EXPECT_EQ(empty.GetSize(), 0u);
  VHandle bad(VMemHandle(0x12345678u), other);
  EXPECT_EQ(bad.GetHandle(), 0u);
}

TEST_F(Handles, ReadCopiesARangeInside) {
  VHandle h("0123456789", 10);
  char out[4] = {};
  ASSERT_TRUE(h.Read(out, 4, 6));
  EXPECT_EQ(std::memcmp(out, "6789", 4), 0);
  EXPECT_FALSE(h.IsLocked());
}

TEST_F(Handles, ReadPastTheEndIsRefusedAndCopiesNothing) {
  VHandle h("0123456789", 10);
  char out[4] = {'-', '-', '-', '-'};
  EXPECT_FALSE(h.Read(out, 4, 7));
  EXPECT_FALSE(h.Read(out, 1, 0xFFFFFFFFu));
  EXPECT_FALSE(h.Read(out, 0xFFFFFFFFu, 1));
  EXPECT_EQ(std::memcmp(out, "----", 4), 0);
  EXPECT_EQ(h.GetSize(), 10u);
  EXPECT_TRUE(h.Read(out, 0, 10));
}

TEST_F(Handles, WriteInsideKeepsTheSize) {
  VHandle h("abcdef", 6);
  ASSERT_TRUE(h.Write("XY", 2, 2));
  EXPECT_EQ(Bytes(mgr, h.GetHandle()), Of("abXYef"));
}

TEST_F(Handles, WriteGrowsToOffsetPlusLength) {
  VHandle h("abc", 3);
  ASSERT_TRUE(h.Write("XYZ", 3, 2));
  EXPECT_EQ(Bytes(mgr, h.GetHandle()), Of("abXYZ"));
  ASSERT_TRUE(h.Write("!", 1, 9));
  EXPECT_EQ(h.GetSize(), 10u);
  char last = 0;
  ASSERT_TRUE(h.Read(&last, 1, 9));
  EXPECT_EQ(last, '!');
}

TEST_F(Handles, WriteThatWouldPass4GiBIsRefused) {
  VHandle h("abc", 3);
  EXPECT_FALSE(h.Write("x", 2, 0xFFFFFFFFu));
  EXPECT_FALSE(h.Write("x", 1, 0xFFFFFFF0u));  // the manager cannot have it
  EXPECT_EQ(Bytes(mgr, h.GetHandle()), Of("abc"));
}

TEST_F(Handles, WriteThatMustGrowALockedHandleIsRefused) {
  VHandle h("abc", 3);
  h.Lock();
  EXPECT_TRUE(h.Write("Z", 1, 0));
  EXPECT_FALSE(h.Write("long", 4, 2));
  EXPECT_EQ(mgr.GetError(), kMemLocked);
  h.Unlock();
  EXPECT_EQ(Bytes(mgr, h.GetHandle()), Of("Zbc"));
}

TEST_F(Handles, LocksNestAndOnlyTheOuterPairReachesTheManager) {
  VHandle h(8);
  void* p1 = h.Lock();
  void* p2 = h.Lock();
  ASSERT_NE(p1, nullptr);
  EXPECT_EQ(p1, p2);
  VWinMemoryEntry e{};
  ASSERT_TRUE(mgr.GetEntry(h.GetHandle(), e));
  EXPECT_EQ(e.lockCount, 1u);
  h.Unlock();
  EXPECT_TRUE(mgr.IsLocked(h.GetHandle()));
  h.Unlock();
  EXPECT_FALSE(mgr.IsLocked(h.GetHandle()));
  EXPECT_FALSE(h.IsLocked());
  h.Unlock();  // one too many: nothing
  EXPECT_FALSE(mgr.IsLocked(h.GetHandle()));
}

TEST_F(Handles, LockingEmptyDataGivesNullAndCountsNothing) {
  VHandle h(0);
  EXPECT_EQ(h.Lock(), nullptr);
  EXPECT_FALSE(h.IsLocked());
  h.Unlock();
  EXPECT_TRUE(h.SetSize(3));
}

TEST_F(Handles, SetSizeRefusedWhileLocked) {
  VHandle h(4);
  h.Lock();
  EXPECT_FALSE(h.SetSize(40));
  EXPECT_EQ(h.GetSize(), 4u);
  h.Unlock();
  EXPECT_TRUE(h.SetSize(40));
  EXPECT_EQ(h.GetSize(), 40u);
}

TEST_F(Handles, AttachReleasesTheOldHandleAndTakesTheNew) {
  VHandle h("old", 3);
  const VMemHandle old = h.GetHandle();
  h.Lock();
  VMemHandle fresh = mgr.NewHandleFromData("new!", 4);
  h.Attach(fresh);
  EXPECT_EQ(h.GetHandle(), fresh);
  EXPECT_FALSE(h.IsLocked());
  EXPECT_EQ(mgr.GetHandleSize(old), 0u);
  EXPECT_EQ(mgr.GetError(), kMemBadHandle);
  EXPECT_EQ(h.GetSize(), 4u);
}

TEST_F(Handles, DetachHandsOutAnUnlockedHandleAndKeepsAnEmptyOne) {
  VMemHandle out = 0;
  {
    VHandle h("keep", 4);
    h.Lock();
    out = h.Detach();
    EXPECT_FALSE(h.IsLocked());
    ASSERT_NE(h.GetHandle(), 0u);
    EXPECT_NE(h.GetHandle(), out);
    EXPECT_EQ(h.GetSize(), 0u);
  }
  EXPECT_FALSE(mgr.IsLocked(out));
  EXPECT_EQ(Bytes(mgr, out), Of("keep"));
  mgr.DisposeHandle(out);
}

TEST_F(Handles, MoveToReHomesTheData) {
  VWinMemoryMgr other;
  VHandle h("travel", 6);
  const VMemHandle old = h.GetHandle();
  ASSERT_TRUE(h.MoveTo(&other));
  EXPECT_EQ(h.GetManager(), &other);
  EXPECT_EQ(Bytes(other, h.GetHandle()), Of("travel"));
  EXPECT_EQ(mgr.GetHandleSize(old), 0u);
  EXPECT_EQ(mgr.GetError(), kMemBadHandle);
  EXPECT_TRUE(h.Write("!", 1, 6));
  EXPECT_EQ(Bytes(other, h.GetHandle()), Of("travel!"));
}

TEST_F(Handles, MoveToIsRefusedWhileLocked) {
  VWinMemoryMgr other;
  VHandle h("stay", 4);
  void* p = h.Lock();
  EXPECT_FALSE(h.MoveTo(&other));
  EXPECT_EQ(h.GetManager(), &mgr);
  EXPECT_EQ(std::memcmp(p, "stay", 4), 0);
  h.Unlock();
  EXPECT_EQ(other.GetEntriesInUse(), 0u);
}

TEST_F(Handles, DestructionReleasesALockedHandle) {
  VMemHandle raw = 0;
  {
    VHandle h(8);
    raw = h.GetHandle();
    h.Lock();
    h.Lock();
  }
  EXPECT_EQ(mgr.GetHandleSize(raw), 0u);
  EXPECT_EQ(mgr.GetError(), kMemBadHandle);
}

TEST_F(Handles, HeapAllocatedHandleIsReleasedOnDelete) {
  VHandle* h = new VHandle("heap", 4);
  const VMemHandle raw = h->GetHandle();
  EXPECT_EQ(Bytes(mgr, raw), Of("heap"));
  delete h;
  EXPECT_EQ(mgr.GetHandleSize(raw), 0u);
  EXPECT_EQ(mgr.GetError(), kMemBadHandle);
}

TEST(HandlesWithoutManager, EveryOperationIsNeutral) {
  VMemoryMgr* saved = gMemoryMgr;
  gMemoryMgr = nullptr;
  {
    VHandle h(16);
    EXPECT_EQ(h.GetHandle(), 0u);
    EXPECT_EQ(h.GetSize(), 0u);
    EXPECT_FALSE(h.SetSize(3));
    EXPECT_EQ(h.Lock(), nullptr);
    h.Unlock();
    char c = 0;
    EXPECT_FALSE(h.Write("a", 1, 0));
    EXPECT_FALSE(h.Read(&c, 1, 0));
    EXPECT_EQ(h.Detach(), 0u);
    VBlockHolder holder(nullptr);
    holder.Release();
  }
  gMemoryMgr = saved;
}

TEST_F(Handles, BlockHolderFreesItsBlockWithItsManager) {
  RecordingMemoryMgr recording;
  void* block = recording.NewBlock(32);
  {
    VBlockHolder holder(block, &recording);
    EXPECT_EQ(holder.GetBlock(), block);
    EXPECT_EQ(holder.GetManager(), &recording);
  }
  ASSERT_EQ(recording.disposed.size(), 1u);
  EXPECT_EQ(recording.disposed[0], block);
}

TEST_F(Handles, BlockHolderWithoutManagerUsesTheGlobalOne) {
  RecordingMemoryMgr recording;
  gMemoryMgr = &recording;
  void* block = recording.NewBlockClear(8);
  VBlockHolder holder(block);
  EXPECT_EQ(holder.GetManager(), nullptr);
  holder.Release();
  EXPECT_EQ(holder.GetBlock(), nullptr);
  ASSERT_EQ(recording.disposed.size(), 1u);
  EXPECT_EQ(recording.disposed[0], block);
  holder.Release();  // nothing left to free
  EXPECT_EQ(recording.disposed.size(), 1u);
  gMemoryMgr = &mgr;
}

TEST_F(Handles, DetachedBlockIsNotFreedByTheHolder) {
  RecordingMemoryMgr recording;
  void* block = recording.NewBlock(4);
  VMemoryMgr* owner = nullptr;
  {
    VBlockHolder holder(block, &recording);
    EXPECT_EQ(holder.Detach(&owner), block);
    EXPECT_EQ(holder.GetBlock(), nullptr);
    EXPECT_EQ(holder.GetManager(), nullptr);
  }
  EXPECT_EQ(owner, &recording);
  EXPECT_TRUE(recording.disposed.empty());
  recording.DisposeBlock(block);
}
