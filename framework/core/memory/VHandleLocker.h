// VHandleLocker: one lock on a memory-manager handle held for the life of a
// scope, so that every way out of the scope unlocks it.
#pragma once

#include "framework/core/VObject.h"
#include "framework/core/memory/VMemoryMgr.h"

// Only a lock the manager granted (a non-null address) is undone. A handle of
// 0, an empty or unknown handle, or one at its lock limit gives a null Data()
// and leaves the handle's lock count as it was.
class VHandleLocker {
 public:
  // Locks `handle` of `manager`.
  VHandleLocker(VMemoryMgr& manager, VMemHandle handle) : fManager(&manager), fHandle(handle) {
    if (handle != 0) fData = manager.LockHandle(handle);
  }
  // Locks `handle` of the global manager; nothing while there is none.
  explicit VHandleLocker(VMemHandle handle) : fManager(gMemoryMgr), fHandle(handle) {
    if (handle != 0 && fManager != nullptr) fData = fManager->LockHandle(handle);
  }
  ~VHandleLocker() { Unlock(); }
  VHandleLocker(const VHandleLocker&) = delete;
  VHandleLocker& operator=(const VHandleLocker&) = delete;

  // The locked bytes; null when no lock is held.
  void* Data() const { return fData; }
  template <typename T>
  T* As() const {
    return static_cast<T*>(fData);
  }
  explicit operator bool() const { return fData != nullptr; }

  // Gives the lock back now rather than at the end of the scope; Data() is
  // null afterwards.
  void Unlock() {
    if (fData == nullptr) return;
    fData = nullptr;
    fManager->UnlockHandle(fHandle);
  }

 private:
  VMemoryMgr* fManager = nullptr;
  VMemHandle fHandle = 0;
  void* fData = nullptr;
};
