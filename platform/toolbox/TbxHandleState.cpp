// Cleared handles, lock states and duplicates over the global blocks.
#include "platform/toolbox/TbxHandleState.h"

#include <cstring>

#include "platform/toolbox/TbxHandleLocker.h"
#include "platform/win32/WinMemory.h"

namespace Tbx {
namespace {

UINT LockCount(Handle h) { return GlobalFlags(GlobalFromValue(h)) & GMEM_LOCKCOUNT; }

}  // namespace

Handle NewHandleClear(int32_t size) {
  Handle h = NewHandle(size);
  if (h != 0 && size > 0) {
    HandleLocker data(h);
    if (data) std::memset(data.Data(), 0, static_cast<size_t>(size));
  }
  return h;
}

int8_t HGetState(Handle h) {
  GetHandleSize(h);
  if (MemError() != noErr) return 0;
  return LockCount(h) != 0 ? kHandleLocked : 0;
}

void HSetState(Handle h, int8_t state) {
  GetHandleSize(h);
  if (MemError() != noErr) return;
  if ((state & kHandleLocked) != 0) {
    if (LockCount(h) == 0) HLock(h);
  } else {
    // A lock count cannot run away: each pass takes one lock off.
    for (UINT n = LockCount(h); n > 0; --n) HUnlock(h);
  }
}

OSErr HandToHand(Handle* h) {
  if (h == nullptr || *h == 0) return nilHandleErr;
  const int32_t size = GetHandleSize(*h);
  if (MemError() != noErr) return MemError();
  Handle copy = NewHandle(size);
  if (copy == 0) return memFullErr;
  if (size > 0) {
    bool copied = false;
    {
      HandleLocker target(copy);
      HandleLocker source(*h);
      if (target && source) {
        std::memcpy(target.Data(), source.Data(), static_cast<size_t>(size));
        copied = true;
      }
    }
    // A copy whose bytes could not be reached is no copy: the caller keeps
    // its handle and hears of the failure.
    if (!copied) {
      DisposeHandle(copy);
      return memFullErr;
    }
  }
  *h = copy;
  return noErr;
}

}  // namespace Tbx
