// VHandle: ownership of one memory-manager handle.
#include "framework/core/memory/VHandle.h"

#include "framework/core/memory/VHandleLocker.h"
#include "framework/core/memory/VMemoryMgr.h"

namespace {

VMemoryMgr* Resolve(VMemoryMgr* manager) { return manager != nullptr ? manager : gMemoryMgr; }

// A copy of another manager's handle in a new handle of `to`.
VMemHandle CopyAcross(VMemHandle handle, VMemoryMgr& from, VMemoryMgr& to) {
  const uint32_t size = from.GetHandleSize(handle);
  if (from.GetError() != kMemNoError) return 0;
  if (size == 0) return to.NewHandle(0, 0);
  VHandleLocker bytes(from, handle);
  if (!bytes) return 0;
  return to.NewHandleFromData(bytes.Data(), size);
}

}  // namespace

VHandle::VHandle(uint32_t size, VMemoryMgr* manager) : fManager(Resolve(manager)) {
  if (fManager != nullptr) fHandle = fManager->NewHandle(size, 0);
}

VHandle::VHandle(const void* data, uint32_t size, VMemoryMgr* manager) : fManager(Resolve(manager)) {
  if (fManager != nullptr) fHandle = fManager->NewHandleFromData(data, size);
}

VHandle::VHandle(uint32_t size, uint8_t fill, VMemoryMgr* manager) : fManager(Resolve(manager)) {
  if (fManager == nullptr) return;
  if (fill == 0) {
    fHandle = fManager->NewHandleClear(size, 0);
    return;
  }
  fHandle = fManager->NewHandle(size, 0);
  if (fHandle == 0 || size == 0) return;
  VHandleLocker bytes(*fManager, fHandle);
  if (bytes) FillBlock(bytes.Data(), size, fill);
}

VHandle::VHandle(const VHandle& other) : VObject(), fManager(other.fManager) {
  if (fManager != nullptr && other.fHandle != 0) fHandle = fManager->ShareHandle(other.fHandle);
}

VHandle::VHandle(VMemHandle foreign, VMemoryMgr& foreignManager, VMemoryMgr* manager)
    : fManager(Resolve(manager)) {
  if (fManager != nullptr) fHandle = CopyAcross(foreign, foreignManager, *fManager);
}

VHandle::~VHandle() {
  UnlockAll();
  if (fManager != nullptr && fHandle != 0) fManager->ReleaseHandle(fHandle);
}

uint32_t VHandle::GetSize() const {
  return fManager != nullptr && fHandle != 0 ? fManager->GetHandleSize(fHandle) : 0;
}

bool VHandle::SetSize(uint32_t size) {
  if (fManager == nullptr || fHandle == 0) return false;
  // A change to shared data would show through every sharer.
  if (!MakeUnique()) return false;
  return fManager->SetHandleSize(fHandle, size);
}

bool VHandle::Read(void* destination, uint32_t length, uint32_t offset) {
  if (length == 0) return true;
  // Reading past the data would hand out bytes nobody wrote.
  if (uint64_t(offset) + length > GetSize()) return false;
  const auto* bytes = static_cast<const uint8_t*>(Lock());
  if (bytes == nullptr) return false;
  MoveBlock(bytes + offset, destination, length);
  Unlock();
  return true;
}

bool VHandle::Write(const void* source, uint32_t length, uint32_t offset) {
  if (length == 0) return true;
  const uint64_t end = uint64_t(offset) + length;
  if (end > UINT32_MAX || fManager == nullptr || fHandle == 0) return false;
  if (!MakeUnique()) return false;
  if (end > GetSize() && !fManager->SetHandleSize(fHandle, static_cast<uint32_t>(end))) return false;
  auto* bytes = static_cast<uint8_t*>(Lock());
  if (bytes == nullptr) return false;
  MoveBlock(source, bytes + offset, length);
  Unlock();
  return true;
}

void* VHandle::Lock() {
  if (fLockDepth != 0) {
    ++fLockDepth;
    return fAddress;
  }
  if (fManager == nullptr || fHandle == 0) return nullptr;
  fAddress = fManager->LockHandle(fHandle);
  // A handle without data cannot be locked; nothing is counted, so the
  // caller's matching Unlock does nothing either.
  if (fAddress != nullptr) fLockDepth = 1;
  return fAddress;
}

void VHandle::Unlock() {
  if (fLockDepth == 0) return;
  if (--fLockDepth == 0) {
    fManager->UnlockHandle(fHandle);
    fAddress = nullptr;
  }
}

void VHandle::UnlockAll() {
  if (fLockDepth == 0) return;
  fLockDepth = 1;
  Unlock();
}

bool VHandle::MakeUnique() {
  if (fManager == nullptr || fHandle == 0) return false;
  if (fManager->GetHandleRefCount(fHandle) <= 1) return true;
  if (fLockDepth != 0) return false;
  const VMemHandle copy = fManager->DuplicateHandle(fHandle);
  if (copy == 0) return false;
  fManager->ReleaseHandle(fHandle);
  fHandle = copy;
  return true;
}

void VHandle::Attach(VMemHandle handle) {
  if (handle == fHandle) return;
  UnlockAll();
  if (fManager != nullptr && fHandle != 0) fManager->ReleaseHandle(fHandle);
  fHandle = handle;
}

VMemHandle VHandle::Detach() {
  UnlockAll();
  const VMemHandle handle = fHandle;
  fHandle = fManager != nullptr ? fManager->NewEmptyHandle() : 0;
  return handle;
}

bool VHandle::MoveTo(VMemoryMgr* manager) {
  manager = Resolve(manager);
  if (manager == nullptr || fManager == nullptr) return false;
  if (manager == fManager) return true;
  if (fLockDepth != 0) return false;
  const VMemHandle moved = CopyAcross(fHandle, *fManager, *manager);
  if (moved == 0) return false;
  fManager->ReleaseHandle(fHandle);
  fManager = manager;
  fHandle = moved;
  return true;
}
