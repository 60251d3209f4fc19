// VHandleArray: growth and release of the locked handle behind the stacks.
#include "framework/core/memory/VHandleArray.h"

#include "framework/core/memory/VMemoryMgr.h"

VHandleArray::VHandleArray(uint32_t elementSize) : fElementSize(elementSize) {}

VHandleArray::~VHandleArray() {
  if (fHandle != 0) {
    gMemoryMgr->UnlockHandle(fHandle);
    gMemoryMgr->DisposeHandle(fHandle);
  }
}

bool VHandleArray::Grow(uint32_t needed) {
  if (needed <= fCapacity) return true;
  // A push needs one more element, which one step of ten covers; a larger
  // request takes as many whole steps as it needs, so the element it is
  // asked for always lies inside the handle.
  const uint64_t steps = (uint64_t(needed) - fCapacity + kGrowStep - 1) / kGrowStep;
  const uint64_t capacity = fCapacity + steps * kGrowStep;
  const uint64_t bytes = capacity * fElementSize;
  // Handle sizes are 32-bit; a size that would wrap is refused, not truncated.
  if (fElementSize == 0 || bytes > UINT32_MAX) return false;

  if (fHandle != 0) {
    gMemoryMgr->UnlockHandle(fHandle);
    const bool resized = gMemoryMgr->SetHandleSizeClear(fHandle, uint32_t(bytes));
    // Locked again whatever happened: a failed resize leaves the old block,
    // whose elements must stay reachable.
    fData = static_cast<uint8_t*>(gMemoryMgr->LockHandle(fHandle));
    if (!resized || fData == nullptr) return false;
  } else {
    const VMemHandle handle = gMemoryMgr->NewHandleClear(uint32_t(bytes), 0);
    if (handle == 0) return false;
    void* data = gMemoryMgr->LockHandle(handle);
    if (data == nullptr) {
      gMemoryMgr->DisposeHandle(handle);
      return false;
    }
    fHandle = handle;
    fData = static_cast<uint8_t*>(data);
  }
  fCapacity = uint32_t(capacity);
  return true;
}

VObjectStack::~VObjectStack() {
  while (!IsEmpty()) delete Pop();
}
