// Toolbox handles over Win32 moveable global blocks, so that the framework's
// memory manager can take one over, or hand one out, without copying.
#include "platform/toolbox/TbxHandles.h"

#include <cstring>

#include "platform/win32/WinMemory.h"

namespace Tbx {
namespace {
thread_local OSErr tMemError = noErr;

OSErr SetError(OSErr e) { return tMemError = e; }

bool Valid(Handle h) { return h != 0 && GlobalFlags(GlobalFromValue(h)) != 0x8000; }
}  // namespace

Handle NewHandle(int32_t size) {
  if (size < 0) {
    SetError(memFullErr);
    return 0;
  }
  Handle h = GlobalHandleValue(GlobalAlloc(GMEM_MOVEABLE, static_cast<SIZE_T>(size)));
  SetError(h ? noErr : memFullErr);
  return h;
}

void DisposeHandle(Handle h) {
  if (!Valid(h)) {
    SetError(nilHandleErr);
    return;
  }
  GlobalFree(GlobalFromValue(h));
  SetError(noErr);
}

int32_t GetHandleSize(Handle h) {
  if (!Valid(h)) {
    SetError(nilHandleErr);
    return 0;
  }
  SetError(noErr);
  return static_cast<int32_t>(GlobalSize(GlobalFromValue(h)));
}

void SetHandleSize(Handle h, int32_t size) {
  if (!Valid(h)) {
    SetError(nilHandleErr);
    return;
  }
  if (size < 0) {
    SetError(memFullErr);
    return;
  }
  HGLOBAL block = GlobalFromValue(h);
  if (GlobalReAlloc(block, static_cast<SIZE_T>(size), GMEM_MOVEABLE)) {
    SetError(noErr);
  } else {
    // A locked block may not move: it resizes only within its room.
    SetError((GlobalFlags(block) & GMEM_LOCKCOUNT) ? memLockedErr : memFullErr);
  }
}

void* HLock(Handle h) {
  if (!Valid(h)) {
    SetError(nilHandleErr);
    return nullptr;
  }
  SetError(noErr);
  return GlobalLock(GlobalFromValue(h));
}

void HUnlock(Handle h) {
  if (!Valid(h)) {
    SetError(nilHandleErr);
    return;
  }
  GlobalUnlock(GlobalFromValue(h));
  SetError(noErr);
}

void BlockMove(const void* source, void* destination, int32_t count) {
  if (count > 0 && source != destination) std::memmove(destination, source, static_cast<size_t>(count));
}

OSErr MemError() { return tMemError; }

}  // namespace Tbx
