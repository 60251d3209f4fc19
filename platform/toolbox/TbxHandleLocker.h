// Tbx::HandleLocker: one HLock of a Toolbox handle held for the life of a
// scope, so that every way out of the scope undoes it with HUnlock.
#pragma once

#include <cstdint>

#include "platform/toolbox/TbxHandles.h"

namespace Tbx {

// Only a lock that HLock granted (a non-null address) is undone: a handle of
// 0, an unknown one or one without data leaves its lock count as it was.
// Toolbox handles are the Win32 moveable global blocks, so this is also the
// one guard for those blocks when they are named by their handle values.
class HandleLocker {
 public:
  explicit HandleLocker(Handle h) : fHandle(h) {
    if (h != 0) fData = HLock(h);
  }
  ~HandleLocker() { Unlock(); }
  HandleLocker(const HandleLocker&) = delete;
  HandleLocker& operator=(const HandleLocker&) = delete;

  // The locked bytes; null when no lock is held.
  void* Data() const { return fData; }
  template <typename T>
  T* As() const {
    return static_cast<T*>(fData);
  }
  explicit operator bool() const { return fData != nullptr; }

  // Gives the lock back now rather than at the end of the scope.
  void Unlock() {
    if (fData == nullptr) return;
    fData = nullptr;
    HUnlock(fHandle);
  }

 private:
  Handle fHandle = 0;
  void* fData = nullptr;
};

}  // namespace Tbx
