// VMemoryStream: reading a plain memory block through the stream interface.
#include "framework/core/streams/VMemoryStream.h"

#include <cstring>

// Without a block there is nothing to read, whatever length was given.
VMemoryStream::VMemoryStream(const void* block, uint32_t length)
    : fBlock(static_cast<const uint8_t*>(block)), fLength(block != nullptr ? length : 0) {}

int16_t VMemoryStream::OpenRead() {
  if (fOpen) return kStreamAlreadyOpen;
  fOpen = true;
  fPosition = 0;
  fStatus = kStreamNoError;
  return fStatus;
}

int16_t VMemoryStream::OpenWrite() { return kStreamReadOnly; }
int16_t VMemoryStream::CloseWrite(uint8_t) { return kStreamReadOnly; }
int16_t VMemoryStream::WriteBytes(const void*, uint32_t) { return kStreamReadOnly; }
int16_t VMemoryStream::SetSize(uint32_t) { return kStreamReadOnly; }

// Answers 0 after a clean read or one that met the end, the error otherwise.
// The stream closes in every case, so that it can be opened again.
int16_t VMemoryStream::CloseRead() {
  if (!fOpen) return fStatus;
  const int16_t result = fStatus >= kStreamNotOpen ? fStatus : kStreamNoError;
  fOpen = false;
  fStatus = kStreamNotOpen;
  return result;
}

int16_t VMemoryStream::ReadBytes(void* data, uint32_t& length) {
  if (fStatus > 0 || !fOpen) {
    length = 0;
    return fStatus > 0 ? fStatus : kStreamNotOpen;
  }
  if (fPosition >= fLength) {
    if (length > 0 || fPosition > fLength) fStatus = kStreamEndOfData;
    length = 0;
    return fStatus;
  }
  const uint32_t rest = fLength - fPosition;
  if (length > rest) {
    length = rest;
    fStatus = kStreamEndOfData;
  }
  std::memcpy(data, fBlock + fPosition, length);
  fPosition += length;
  return fStatus;
}

uint32_t VMemoryStream::GetSize() { return fLength; }

uint32_t VMemoryStream::GetPosition() {
  if (!fOpen || fStatus >= kStreamNotOpen) return kStreamNoPosition;
  return fPosition;
}

int16_t VMemoryStream::SetPosition(uint32_t position) {
  if (!fOpen || fStatus >= kStreamNotOpen) return fStatus;
  fPosition = position;
  fStatus = position > fLength ? kStreamEndOfData : kStreamNoError;
  return fStatus;
}

int16_t VMemoryStream::Skip(int32_t offset) {
  if (!fOpen || fStatus >= kStreamNotOpen) return fStatus;
  const int64_t target = int64_t(fPosition) + offset;
  if (target < 0 || target > int64_t(0xFFFFFFFFu)) {
    fStatus = kStreamEndOfData;
    return fStatus;
  }
  return SetPosition(uint32_t(target));
}

uint32_t VMemoryStream::Find(const void* value, uint32_t width) {
  if (!fOpen || fStatus != kStreamNoError) return 0;
  return FindInBlock(fBlock, fLength, fPosition, value, width);
}
