// The scoped lock of Toolbox handles: the lock it takes is given back on every
// way out of the scope, exactly once, and locks taken outside it stay.
#include "platform/toolbox/TbxHandleLocker.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "platform/win32/WinMemory.h"

namespace {

using namespace Tbx;

UINT LockCount(Handle h) { return GlobalFlags(GlobalFromValue(h)) & GMEM_LOCKCOUNT; }

// The first byte read through a guard, or -1 when there is none; leaves the
// scope before reading when asked.
int FirstByte(Handle h, bool leaveEarly) {
  HandleLocker bytes(h);
  if (!bytes) return -1;
  if (leaveEarly) return -2;
  return bytes.As<const uint8_t>()[0];
}

TEST(TbxHandleLocker, EveryWayOutGivesTheLockBack) {
  const Handle full = NewHandle(4);
  const Handle empty = NewHandle(0);
  ASSERT_NE(full, 0u);
  ASSERT_NE(empty, 0u);
  *static_cast<uint8_t*>(HLock(full)) = 9;
  struct Case {
    const char* name;
    Handle handle;
    bool leaveEarly;
    int answer;
    UINT locksAfter;
  };
  // `full` keeps the one lock taken above throughout.
  const Case cases[] = {
      {"through the whole scope", full, false, 9, 1},
      {"early return while locked", full, true, -2, 1},
      {"empty handle", empty, false, -1, 0},
      {"no handle", 0, false, -1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(FirstByte(c.handle, c.leaveEarly), c.answer);
    if (c.handle != 0) {
      EXPECT_EQ(LockCount(c.handle), c.locksAfter);
    }
  }
  HUnlock(full);
  EXPECT_EQ(LockCount(full), 0u);
  DisposeHandle(full);
  DisposeHandle(empty);
}

TEST(TbxHandleLocker, AnEarlyUnlockIsNotRepeated) {
  const Handle h = NewHandle(4);
  {
    HandleLocker outer(h);
    {
      HandleLocker inner(h);
      EXPECT_EQ(LockCount(h), 2u);
      inner.Unlock();
      EXPECT_EQ(inner.Data(), nullptr);
      EXPECT_EQ(LockCount(h), 1u);
    }
    EXPECT_EQ(LockCount(h), 1u);
  }
  EXPECT_EQ(LockCount(h), 0u);
  DisposeHandle(h);
}

}  // namespace
