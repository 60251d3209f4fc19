// The scoped lock of a memory-manager handle.
#include "framework/core/memory/VHandleLocker.h"

#include "framework/core/memory/VMemoryMgr.h"

VHandleLocker::VHandleLocker(VMemoryMgr& manager, VMemHandle handle) : fManager(&manager), fHandle(handle) {
  if (handle != 0) fData = manager.LockHandle(handle);
}

VHandleLocker::VHandleLocker(VMemHandle handle) : fManager(gMemoryMgr), fHandle(handle) {
  if (handle != 0 && gMemoryMgr != nullptr) fData = gMemoryMgr->LockHandle(handle);
}

void VHandleLocker::Unlock() {
  if (fData == nullptr) return;
  fData = nullptr;
  fManager->UnlockHandle(fHandle);
}
