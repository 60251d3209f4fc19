// The scoped lock of memory-manager handles: a lock taken is given back on
// every way out of the scope, exactly once, and a lock refused is never
// given back.
#include "framework/core/memory/VHandleLocker.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "framework/core/memory/VWinMemoryMgr.h"
#include "framework/core/tests/FailingMemoryMgr.h"

namespace {

// The first byte read through a guard, or -1 when there is none; leaves the
// scope before reading when asked.
int FirstByte(VMemHandle handle, bool leaveEarly) {
  VHandleLocker bytes(handle);
  if (!bytes) return -1;
  if (leaveEarly) return -2;
  return bytes.As<const uint8_t>()[0];
}

TEST(HandleLocker, EveryWayOutGivesTheLockBack) {
  ScopedFailingMemoryMgr mm;
  const uint8_t seven[4] = {7, 0, 0, 0};
  const VMemHandle full = gMemoryMgr->NewHandleFromData(seven, 4);
  const VMemHandle empty = gMemoryMgr->NewHandle(0, 0);
  ASSERT_NE(full, 0u);
  ASSERT_NE(empty, 0u);
  struct Case {
    const char* name;
    VMemHandle handle;
    bool leaveEarly;
    int answer;
    int locks;
  };
  const Case cases[] = {
      {"through the whole scope", full, false, 7, 1},
      {"early return while locked", full, true, -2, 1},
      {"empty handle", empty, false, -1, 0},
      {"no handle", 0, false, -1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    mm->locks = 0;
    mm->unlocks = 0;
    EXPECT_EQ(FirstByte(c.handle, c.leaveEarly), c.answer);
    EXPECT_EQ(mm->locks, c.locks);
    EXPECT_EQ(mm->unlocks, c.locks);
    EXPECT_FALSE(gMemoryMgr->IsLocked(full));
  }
  gMemoryMgr->DisposeHandle(full);
  gMemoryMgr->DisposeHandle(empty);
}

TEST(HandleLocker, AnEarlyUnlockIsNotRepeated) {
  ScopedFailingMemoryMgr mm;
  const VMemHandle h = gMemoryMgr->NewHandleClear(8, 0);
  {
    VHandleLocker outer(h);
    {
      VHandleLocker inner(h);
      ASSERT_TRUE(inner);
      inner.Unlock();
      EXPECT_EQ(inner.Data(), nullptr);
      EXPECT_TRUE(gMemoryMgr->IsLocked(h));  // the outer lock still holds
    }
    EXPECT_EQ(mm->unlocks, 1);
    EXPECT_TRUE(gMemoryMgr->IsLocked(h));
  }
  EXPECT_EQ(mm->locks, 2);
  EXPECT_EQ(mm->unlocks, 2);
  EXPECT_FALSE(gMemoryMgr->IsLocked(h));
  gMemoryMgr->DisposeHandle(h);
}

TEST(HandleLocker, ALockRefusedAtTheLimitLeavesTheCountAlone) {
  VWinMemoryMgr mgr;
  const VMemHandle h = mgr.NewHandleClear(4, 0);
  for (uint32_t i = 0; i < UINT16_MAX; ++i) ASSERT_NE(mgr.LockHandle(h), nullptr);
  {
    VHandleLocker refused(mgr, h);
    EXPECT_FALSE(refused);
  }
  // Every lock taken above is still there: one fewer unlock leaves it locked.
  for (uint32_t i = 1; i < UINT16_MAX; ++i) mgr.UnlockHandle(h);
  EXPECT_TRUE(mgr.IsLocked(h));
  mgr.UnlockHandle(h);
  EXPECT_FALSE(mgr.IsLocked(h));
  mgr.DisposeHandle(h);
}

}  // namespace
