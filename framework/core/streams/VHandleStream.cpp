// VHandleStream: reading and writing the bytes of a memory-manager handle.
#include "framework/core/streams/VHandleStream.h"

#include <cstring>

#include "framework/core/memory/VMemoryMgr.h"

namespace {

constexpr uint32_t kMaxSize = 0xFFFFFFFFu;
// A growing stream asks for this much beyond what the write needs, so that
// a run of small writes resizes the handle only now and then.
constexpr uint32_t kGrowthSlack = 1024;

}  // namespace

VHandleStream::VHandleStream(VMemHandle& handle) {
  if (handle == 0) handle = gMemoryMgr->NewEmptyHandle();
  fHandle = handle;
  if (fHandle != 0) fDataSize = fCapacity = gMemoryMgr->GetHandleSize(fHandle);
}

void VHandleStream::Relock() {
  fData = fCapacity > 0 ? static_cast<uint8_t*>(gMemoryMgr->LockHandle(fHandle)) : nullptr;
}

void VHandleStream::Unlock() {
  if (fData != nullptr) gMemoryMgr->UnlockHandle(fHandle);
  fData = nullptr;
}

int16_t VHandleStream::OpenWrite() {
  if (fOpen) return kStreamAlreadyOpen;
  if (fHandle == 0) return kStreamNoHandle;
  const uint32_t size = gMemoryMgr->GetHandleSize(fHandle);
  // A handle that was disposed of is no handle at all.
  if (gMemoryMgr->GetError() == kMemBadHandle) return kStreamNoHandle;
  // Another owner's lock means it holds an address into the block, which a
  // growing stream would invalidate.
  if (gMemoryMgr->IsLocked(fHandle)) return kStreamHandleLocked;
  fDataSize = fCapacity = size;
  fData = nullptr;
  if (size != 0) {
    Relock();
    if (fData == nullptr) {
      fStatus = kStreamNoMemory;
      return fStatus;
    }
  }
  fPosition = 0;
  fOpen = true;
  fWriting = true;
  fStatus = kStreamNoError;
  return fStatus;
}

int16_t VHandleStream::OpenRead() {
  if (fOpen) return kStreamAlreadyOpen;
  if (fHandle == 0) return kStreamNoHandle;
  const uint32_t size = gMemoryMgr->GetHandleSize(fHandle);
  if (gMemoryMgr->GetError() == kMemBadHandle) return kStreamNoHandle;
  fData = static_cast<uint8_t*>(gMemoryMgr->LockHandle(fHandle));
  if (fData == nullptr) {
    // An empty handle has no data to lock.
    fStatus = kStreamCannotLock;
    return fStatus;
  }
  fDataSize = fCapacity = size;
  fPosition = 0;
  fOpen = true;
  fWriting = false;
  fStatus = kStreamNoError;
  return fStatus;
}

int16_t VHandleStream::CloseRead() {
  if (!fOpen) return fStatus;
  if (fWriting) return kStreamOpenForWriting;
  const int16_t before = fStatus;
  Unlock();
  fPosition = fDataSize = fCapacity = 0;
  fOpen = false;
  fStatus = kStreamNotOpen;
  return before;
}

// The handle is unlocked whatever happened, so that its owner can resize or
// dispose of it; after a failure above end of data it is not trimmed, and its
// bytes past the data size are of no meaning.
int16_t VHandleStream::CloseWrite(uint8_t trim) {
  if (!fOpen) return fStatus;
  if (!fWriting) return kStreamNotOpenForWriting;
  int16_t before = fStatus;
  Unlock();
  if (before <= kStreamEndOfData && trim) {
    if (!gMemoryMgr->SetHandleSize(fHandle, fDataSize) && before == kStreamNoError)
      before = kStreamCannotGrow;
  }
  fPosition = fDataSize = fCapacity = 0;
  fOpen = false;
  fWriting = false;
  fStatus = kStreamNotOpen;
  return before;
}

int16_t VHandleStream::WriteBytes(const void* data, uint32_t length) {
  if (fStatus != kStreamNoError) return fStatus;
  if (!fOpen || !fWriting) {
    fStatus = kStreamNotOpenForWriting;
    return fStatus;
  }
  if (length == 0) return fStatus;
  // In 64 bits: a position set far past the end must not wrap into a small
  // size. Nothing past 2^32 - 1 can be addressed by a stream.
  const uint64_t end = uint64_t(fPosition) + length;
  if (end > kMaxSize) {
    fStatus = kStreamCannotGrow;
    return fStatus;
  }
  if (fData == nullptr || end > fCapacity) {
    Unlock();
    uint64_t wanted = end + kGrowthSlack;
    if (wanted > kMaxSize) wanted = kMaxSize;
    const bool grown = gMemoryMgr->SetHandleSize(fHandle, uint32_t(wanted));
    if (grown) fCapacity = gMemoryMgr->GetHandleSize(fHandle);
    // The bytes written so far stay; the block is locked again either way.
    Relock();
    if (!grown || fData == nullptr || fCapacity < end) {
      fStatus = kStreamCannotGrow;
      return fStatus;
    }
  }
  // Bytes skipped over by a position past the end are stored as zeros, not
  // as whatever the grown block held.
  if (fPosition > fDataSize) std::memset(fData + fDataSize, 0, fPosition - fDataSize);
  std::memcpy(fData + fPosition, data, length);
  fPosition = uint32_t(end);
  if (fPosition > fDataSize) fDataSize = fPosition;
  return fStatus;
}

int16_t VHandleStream::ReadBytes(void* data, uint32_t& length) {
  if (fStatus != kStreamNoError) {
    length = 0;
    return fStatus;
  }
  if (fWriting) {
    length = 0;
    fStatus = kStreamOpenForWriting;
    return fStatus;
  }
  if (!fOpen) {
    length = 0;
    fStatus = kStreamNotOpen;
    return fStatus;
  }
  if (fPosition > fDataSize) {
    length = 0;
    fStatus = kStreamEndOfData;
    return fStatus;
  }
  const uint32_t rest = fDataSize - fPosition;
  if (length > rest) {
    length = rest;
    fStatus = kStreamEndOfData;
  }
  if (length > 0) std::memcpy(data, fData + fPosition, length);
  fPosition += length;
  return fStatus;
}

uint32_t VHandleStream::GetSize() { return fDataSize; }

uint32_t VHandleStream::GetPosition() {
  if (!fOpen || fStatus >= kStreamNotOpen) return kStreamNoPosition;
  return fPosition;
}

// The data size stays as it is unless the handle now ends before it: what
// lies past the handle's end is gone.
int16_t VHandleStream::SetSize(uint32_t size) {
  if (fStatus != kStreamNoError) return fStatus;
  if (!fOpen || !fWriting) {
    fStatus = kStreamNotOpenForWriting;
    return fStatus;
  }
  Unlock();
  const bool resized = gMemoryMgr->SetHandleSize(fHandle, size);
  fCapacity = gMemoryMgr->GetHandleSize(fHandle);
  Relock();
  if (!resized) {
    fStatus = kStreamCannotGrow;
    return fStatus;
  }
  if (fDataSize > fCapacity) fDataSize = fCapacity;
  return fStatus;
}

bool VHandleStream::Reserve(uint32_t bytes) {
  if (fStatus != kStreamNoError || !fOpen || !fWriting) return false;
  const uint64_t wanted = uint64_t(fPosition) + bytes;
  if (wanted > kMaxSize) return false;
  if (wanted <= fCapacity) return true;
  Unlock();
  const bool grown = gMemoryMgr->SetHandleSize(fHandle, uint32_t(wanted));
  fCapacity = gMemoryMgr->GetHandleSize(fHandle);
  Relock();
  if (fCapacity > 0 && fData == nullptr) fStatus = kStreamCannotGrow;
  return grown && fData != nullptr;
}

// Clears end of data (200), never an error above it. A closed stream stays
// closed: its position means nothing.
int16_t VHandleStream::SetPosition(uint32_t position) {
  if (!fOpen || fStatus > kStreamEndOfData) return fStatus;
  fStatus = kStreamNoError;
  fPosition = position;
  return fStatus;
}

int16_t VHandleStream::Skip(int32_t offset) {
  if (!fOpen || fStatus > kStreamEndOfData) return fStatus;
  const int64_t target = int64_t(fPosition) + offset;
  if (target < 0 || target > int64_t(kMaxSize)) {
    // A position before the start or past what a stream can address.
    fStatus = kStreamEndOfData;
    return fStatus;
  }
  return SetPosition(uint32_t(target));
}

uint32_t VHandleStream::Find(const void* value, uint32_t width) {
  if (!fOpen || fStatus != kStreamNoError) return 0;
  return FindInBlock(fData, fDataSize, fPosition, value, width);
}
