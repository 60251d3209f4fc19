// The host field stream.
#include "framework/core/streams/VHostFieldStream.h"

#include <cstring>

#include "framework/core/host/VHostBridge.h"
#include "platform/toolbox/TbxHandles.h"

namespace {

bool CarriesBytes(int16_t kind) {
  return kind == kHostFieldText || kind == kHostFieldPicture || kind == kHostFieldBlob;
}

// Handle sizes travel as signed 32-bit numbers.
constexpr uint64_t kMaxHandleSize = 0x7FFFFFFF;
// A growing handle takes this much more than it needs, so that a writer of
// small pieces resizes it only now and then.
constexpr uint32_t kGrowthSlack = 1024;

}  // namespace

VHostFieldStream::VHostFieldStream(uint16_t table, uint16_t field, uint8_t flag)
    : fTable(table), fField(field), fHostFlag(flag) {
  fStatus = kStreamNotOpen;
}

VHostFieldStream::~VHostFieldStream() { ReleaseHandle(); }

void VHostFieldStream::ReleaseHandle() {
  if (fHandle != 0) {
    Tbx::HUnlock(fHandle);
    Tbx::DisposeHandle(fHandle);
  }
  fHandle = 0;
  fData = nullptr;
}

int16_t VHostFieldStream::OpenRead() {
  if (fHandle != 0) return kStreamAlreadyOpen;
  VHostBridge* host = VHostBridgeService::Get();
  uint32_t handle = 0;
  uint32_t claimed = 0;
  if (host == nullptr || !CarriesBytes(host->HostGetFieldType(fTable, fField, fHostFlag)) ||
      !host->HostGetFieldBlob(fTable, fField, fHostFlag, handle, claimed) || handle == 0) {
    return fStatus = kStreamNoHandle;
  }
  // The handle is ours from here on. One that holds fewer bytes than the
  // host says is a damaged content: refused rather than read short.
  const int32_t size = Tbx::GetHandleSize(handle);
  const bool whole = size > 0 && static_cast<uint32_t>(size) >= claimed;
  uint8_t* data = whole ? static_cast<uint8_t*>(Tbx::HLock(handle)) : nullptr;
  if (data == nullptr) {
    Tbx::DisposeHandle(handle);
    return fStatus = kStreamNoHandle;
  }
  fHandle = handle;
  fData = data;
  fCapacity = fDataSize = static_cast<uint32_t>(size);
  fPosition = 0;
  fWriting = 0;
  return fStatus = kStreamNoError;
}

int16_t VHostFieldStream::OpenWrite() {
  if (fHandle != 0) return kStreamAlreadyOpen;
  const uint32_t handle = Tbx::NewHandle(0);
  if (handle == 0) return fStatus = kStreamNoMemory;
  fHandle = handle;
  fData = static_cast<uint8_t*>(Tbx::HLock(handle));  // null: an empty handle has no bytes yet
  fPosition = fDataSize = fCapacity = 0;
  fWriting = 1;
  return fStatus = kStreamNoError;
}

int16_t VHostFieldStream::CloseRead() {
  if (fHandle == 0) return fStatus;
  if (fWriting) return kStreamOpenForWriting;
  if (fStatus > kStreamEndOfData) return fStatus;
  const int16_t before = fStatus;
  ReleaseHandle();
  fPosition = fDataSize = fCapacity = 0;
  fStatus = kStreamNotOpen;
  return before;
}

int16_t VHostFieldStream::CloseWrite(uint8_t trim) {
  if (fHandle == 0) return fStatus;
  if (!fWriting) return kStreamReadOnly;
  if (fStatus > kStreamEndOfData) return fStatus;
  int16_t result = fStatus;
  Tbx::HUnlock(fHandle);
  fData = nullptr;
  if (trim) Tbx::SetHandleSize(fHandle, static_cast<int32_t>(fDataSize));
  // SetSize may have cut the handle below the data size: the host is never
  // told of more bytes than the handle holds.
  const uint32_t size = static_cast<uint32_t>(Tbx::GetHandleSize(fHandle));
  const uint32_t length = fDataSize < size ? fDataSize : size;
  VHostBridge* host = VHostBridgeService::Get();
  if (host == nullptr || !host->HostSetFieldBlob(fTable, fField, fHostFlag, fHandle, length)) {
    Tbx::DisposeHandle(fHandle);
    result = kStreamHostRefused;
  }
  fHandle = 0;
  fPosition = fDataSize = fCapacity = 0;
  fWriting = 0;
  fStatus = kStreamNotOpen;
  return result;
}

int16_t VHostFieldStream::WriteBytes(const void* data, uint32_t length) {
  if (fStatus != kStreamNoError) return fStatus;
  if (!fWriting) return kStreamReadOnly;
  if (length == 0) return kStreamNoError;
  const uint64_t end = static_cast<uint64_t>(fPosition) + length;
  if (end > fCapacity) {
    if (end + kGrowthSlack > kMaxHandleSize) return kStreamCannotGrow;
    Tbx::HUnlock(fHandle);
    Tbx::SetHandleSize(fHandle, static_cast<int32_t>(end + kGrowthSlack));
    fData = static_cast<uint8_t*>(Tbx::HLock(fHandle));
    fCapacity = static_cast<uint32_t>(Tbx::GetHandleSize(fHandle));
    if (end > fCapacity || fData == nullptr) return kStreamCannotGrow;
  }
  std::memcpy(fData + fPosition, data, length);
  fPosition += length;
  if (fPosition > fDataSize) fDataSize = fPosition;
  return kStreamNoError;
}

int16_t VHostFieldStream::ReadBytes(void* data, uint32_t& length) {
  if (fStatus != kStreamNoError) {
    length = 0;
    return fStatus;
  }
  if (fWriting) {
    length = 0;
    return kStreamOpenForWriting;
  }
  if (fPosition >= fDataSize) {
    const bool asked = length != 0;
    length = 0;
    return asked ? kStreamEndOfData : kStreamNoError;
  }
  int16_t status = kStreamNoError;
  const uint32_t rest = fDataSize - fPosition;
  if (length > rest) {
    length = rest;
    status = kStreamEndOfData;
  }
  std::memcpy(data, fData + fPosition, length);
  fPosition += length;
  return status;
}

uint32_t VHostFieldStream::GetSize() { return fDataSize; }

uint32_t VHostFieldStream::GetPosition() {
  if (fHandle == 0 || fStatus >= kStreamNotOpen) return kStreamNoPosition;
  return fPosition;
}

int16_t VHostFieldStream::SetSize(uint32_t size) {
  if (!fWriting) return kStreamNotOpenForWriting;
  if (fStatus != kStreamNoError) return fStatus;
  if (size > kMaxHandleSize) return fStatus = kStreamCannotGrow;
  Tbx::HUnlock(fHandle);
  fData = nullptr;
  Tbx::SetHandleSize(fHandle, static_cast<int32_t>(size));
  fCapacity = static_cast<uint32_t>(Tbx::GetHandleSize(fHandle));
  // Locked again in either case, so the bytes written so far stay reachable.
  fData = static_cast<uint8_t*>(Tbx::HLock(fHandle));
  if (fCapacity != size) fStatus = kStreamCannotGrow;
  return fStatus;
}

int16_t VHostFieldStream::SetPosition(uint32_t position) {
  if (fStatus < kStreamNotOpen) {
    fStatus = kStreamNoError;
    fPosition = position;
  }
  return fStatus;
}

int16_t VHostFieldStream::Skip(int32_t offset) {
  return SetPosition(static_cast<uint32_t>(static_cast<int64_t>(fPosition) + offset));
}

uint32_t VHostFieldStream::Find(const void* value, uint32_t width) {
  if (fStatus != kStreamNoError || fData == nullptr) return 0;
  return FindInBlock(fData, fDataSize < fCapacity ? fDataSize : fCapacity, fPosition, value, width);
}
