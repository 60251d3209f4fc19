// VFileStream: buffered reading and writing of a file through the stream
// interface.
#include "framework/system/files/VFileStream.h"

#include <cstring>

#include "framework/core/memory/VMemoryMgr.h"

namespace {

constexpr uint32_t kDefaultCapacity = 0x10000;
// The window through which a search reads what the buffer does not hold.
constexpr uint32_t kFindWindow = 1024;

int16_t Code(int32_t result) { return static_cast<int16_t>(result); }

}  // namespace

VFileStream::VFileStream(VFile* file, bool shared) : fShared(shared ? 1 : 0), fFile(file) {}

VFileStream::~VFileStream() {
  // Buffered bytes of a stream that was not closed are dropped; the file
  // must not keep pointing at a stream that is gone.
  if (fFile != nullptr && fFile->GetAttachedStream() == this) fFile->AttachStream(nullptr);
  FreeBuffer();
  if (fOpenedByMe && fFile != nullptr) fFile->Close(false);
}

bool VFileStream::FileSize(uint32_t& size) {
  const int64_t bytes = fFile->GetSize();
  if (bytes < 0 || bytes > int64_t{UINT32_MAX}) return false;
  size = static_cast<uint32_t>(bytes);
  return true;
}

int16_t VFileStream::OpenRead() {
  if (fOpen) return kStreamAlreadyOpen;
  if (fFile == nullptr) return kStreamNoHandle;
  bool opened = false;
  if (fFile->GetState() < 4) {
    if (fFile->Open(1, fShared != 0) != 0) return Code(kFileNotOpened);
    opened = true;
  }
  uint32_t size = 0;
  if (!FileSize(size)) {
    if (opened) fFile->Close(false);
    return Code(kFileNotOpened);
  }
  fOpenedByMe = opened ? 1 : 0;
  fOpen = 1;
  fWriting = 0;
  fStatus = kStreamNoError;
  fPosition = 0;
  fBufferStart = 0;
  fSize = size;
  if (fCapacity == 0) fCapacity = kDefaultCapacity;
  MakeBuffer(true);
  return fStatus;
}

int16_t VFileStream::OpenWrite() {
  if (fOpen) return kStreamAlreadyOpen;
  if (fFile == nullptr) return Code(kFileNotOpened);
  if (fFile->GetAttachedStream() != nullptr) return kStreamAlreadyOpen;
  const int32_t state = fFile->GetState();
  if (state == 4) return Code(kFileNotWritable);
  bool opened = false;
  if (state < 4) {
    if (fFile->Open(2, fShared != 0) != 0) return Code(kFileNotOpened);
    opened = true;
  }
  uint32_t size = 0;
  if (!FileSize(size)) {
    if (opened) fFile->Close(false);
    return Code(kFileNotOpened);
  }
  fOpenedByMe = opened ? 1 : 0;
  fOpen = 1;
  fWriting = 1;
  fStatus = kStreamNoError;
  fPosition = 0;
  fSize = size;
  fFile->AttachStream(this);
  if (fCapacity == 0) fCapacity = kDefaultCapacity;
  MakeBuffer(false);
  return fStatus;
}

int16_t VFileStream::CloseRead() {
  if (!fOpen) return fStatus;
  if (fWriting) return kStreamOpenForWriting;
  FreeBuffer();
  int16_t result = fStatus;
  if (fOpenedByMe) result = Code(fFile->Close(true));
  fOpenedByMe = 0;
  fOpen = 0;
  fStatus = kStreamNotOpen;
  return result;
}

int16_t VFileStream::CloseWrite(uint8_t truncate) {
  if (!fOpen) return fStatus;
  if (!fWriting) return kStreamNotOpenForWriting;
  Flush();
  // A failed transfer or flush lost bytes: that is the answer, however
  // cleanly the file then closes.
  const int16_t failure = fStatus > 0 && fStatus != kStreamEndOfData ? fStatus : kStreamNoError;
  fFile->AttachStream(nullptr);
  FreeBuffer();
  int16_t truncated = 0;
  if (truncate) truncated = Code(fFile->SetSize(fSize));
  int16_t result = fStatus;
  if (fOpenedByMe) result = Code(fFile->Close(true));
  if (failure != 0) {
    result = failure;
  } else if (result == 0 && truncated != 0) {
    result = truncated;
  }
  fOpenedByMe = 0;
  fOpen = 0;
  fWriting = 0;
  fStatus = kStreamNotOpen;
  return result;
}

void VFileStream::MakeBuffer(bool shrink) {
  if (fBuffer != nullptr && gMemoryMgr != nullptr) gMemoryMgr->DisposeBlock(fBuffer);
  fBuffer = nullptr;
  if (shrink && fCapacity > fSize) fCapacity = fSize;
  // Short memory halves the buffer until one can be had.
  while (fCapacity > 0 && gMemoryMgr != nullptr) {
    fBuffer = static_cast<uint8_t*>(gMemoryMgr->NewBlock(fCapacity));
    if (fBuffer != nullptr) break;
    fCapacity /= 2;
  }
  if (fBuffer == nullptr) fCapacity = 0;
  fBufferStart = 0;
  fBuffered = 0;
  if (fBuffer == nullptr && fSize != 0) fStatus = kStreamNoMemory;
}

void VFileStream::FreeBuffer() {
  if (fBuffer != nullptr && gMemoryMgr != nullptr) gMemoryMgr->DisposeBlock(fBuffer);
  fBuffer = nullptr;
  fBufferStart = 0;
  fBuffered = 0;
  fCapacity = 0;
}

int16_t VFileStream::Flush() {
  if (fStatus <= 0 && fWriting && fBuffered > 0) {
    int32_t result = fFile->SetPosition(fBufferStart);
    if (result == 0) result = fFile->Write(fBuffer, fBuffered);
    fStatus = Code(result);
  }
  fBufferStart = fPosition;
  fBuffered = 0;
  return fStatus;
}

int32_t VFileStream::FlushToFile() { return Flush(); }
int64_t VFileStream::GetStreamSize() { return fSize; }

void VFileStream::SetBufferSize(uint32_t capacity) {
  if (fOpen && fWriting) Flush();
  FreeBuffer();
  fCapacity = capacity;
  if (fOpen && capacity != 0) MakeBuffer(!fWriting);
}

int16_t VFileStream::WriteBytes(const void* data, uint32_t length) {
  if (!fOpen || !fWriting) return kStreamNotOpenForWriting;
  if (fStatus != kStreamNoError) return fStatus;
  if (length == 0) return fStatus;
  const uint64_t end = uint64_t{fPosition} + length;
  if (end > UINT32_MAX) {
    fStatus = kFileStreamTooLarge;
    return fStatus;
  }
  const uint64_t bufferEnd = uint64_t{fBufferStart} + fCapacity;
  if (fPosition < fBufferStart || end > bufferEnd) {
    if (Flush() != kStreamNoError) return fStatus;
  }
  if (fBuffered == 0) fBufferStart = fPosition;
  if (end > uint64_t{fBufferStart} + fCapacity) {
    // Larger than the buffer: straight to the file.
    int32_t result = fFile->SetPosition(fPosition);
    if (result == 0) result = fFile->Write(data, length);
    if (result != 0) {
      fStatus = Code(result);
      return fStatus;
    }
  } else {
    const uint32_t offset = fPosition - fBufferStart;
    std::memcpy(fBuffer + offset, data, length);
    if (offset + length > fBuffered) fBuffered = offset + length;
  }
  fPosition = static_cast<uint32_t>(end);
  if (fPosition > fSize) fSize = fPosition;
  if (fBuffered == 0) fBufferStart = fPosition;
  return fStatus;
}

void VFileStream::ReadFromFile(void* data, uint32_t& length) {
  int32_t result = fFile->SetPosition(fPosition);
  if (result == 0) {
    result = fFile->Read(data, length);
  } else {
    length = 0;
  }
  if (result != 0) {
    fStatus = Code(result);
    if (result != kFileEnd) length = 0;
    return;
  }
  fPosition += length;
}

int16_t VFileStream::ReadBytes(void* data, uint32_t& length) {
  if (!fOpen) {
    length = 0;
    return fStatus;
  }
  if (fWriting) {
    length = 0;
    return kStreamOpenForWriting;
  }
  if (fStatus != kStreamNoError) {
    length = 0;
    return fStatus;
  }
  if (length == 0) return fStatus;
  const uint64_t end = uint64_t{fPosition} + length;

  // Another stream writes the file: its bytes go to the file first, and the
  // read goes to the file.
  VFileStreamLink* writer = fFile->GetAttachedStream();
  if (writer != nullptr && writer != static_cast<VFileStreamLink*>(this)) {
    writer->FlushToFile();
    const int64_t writerSize = writer->GetStreamSize();
    fFile->SetSize(writerSize);
    uint32_t size = 0;
    if (FileSize(size)) fSize = size;
    ReadFromFile(data, length);
    return fStatus;
  }

  if (fPosition >= fBufferStart && end <= uint64_t{fBufferStart} + fBuffered) {
    std::memcpy(data, fBuffer + (fPosition - fBufferStart), length);
    fPosition += length;
    return fStatus;
  }

  if (length <= fCapacity) {
    // Refill the buffer from the position; a short read is no error here.
    fBufferStart = fPosition;
    fBuffered = 0;
    uint32_t got = fCapacity;
    int32_t result = fFile->SetPosition(fPosition);
    if (result == 0) result = fFile->Read(fBuffer, got);
    if (result != 0 && result != kFileEnd) {
      fStatus = Code(result);
      length = 0;
      return fStatus;
    }
    fBuffered = got;
    if (length > got) {
      length = got;
      fStatus = kStreamEndOfData;
    }
    std::memcpy(data, fBuffer, length);
    fPosition += length;
    return fStatus;
  }

  ReadFromFile(data, length);
  return fStatus;
}

uint32_t VFileStream::GetSize() { return fSize; }

uint32_t VFileStream::GetPosition() {
  if (!fOpen || (fStatus != kStreamNoError && fStatus != kStreamEndOfData)) return kStreamNoPosition;
  return fPosition;
}

int16_t VFileStream::SetSize(uint32_t size) {
  if (fStatus != kStreamNoError) return fStatus;
  if (!fWriting) return kStreamNotOpenForWriting;
  fSize = size;
  // The buffer keeps no byte past the new end.
  if (uint64_t{fBufferStart} + fBuffered > size) fBuffered = size > fBufferStart ? size - fBufferStart : 0;
  const int32_t result = fFile->SetSize(size);
  if (result != 0) fStatus = Code(result);
  return fStatus;
}

int16_t VFileStream::SetPosition(uint32_t position) {
  if (!fOpen || fStatus >= kStreamNotOpen) return fStatus;
  fPosition = position;
  if (fWriting) {
    if (uint64_t{position} > uint64_t{fBufferStart} + fBuffered) Flush();
    if (position > fSize && fFile->SetSize(position) == 0) fSize = position;
  } else {
    fStatus = position <= fSize ? kStreamNoError : kStreamEndOfData;
  }
  return fStatus;
}

int16_t VFileStream::Skip(int32_t offset) {
  if (!fOpen || fStatus >= kStreamNotOpen) return fStatus;
  const int64_t target = int64_t{fPosition} + offset;
  if (target < 0 || target > int64_t{UINT32_MAX}) {
    fStatus = kStreamEndOfData;
    return fStatus;
  }
  return SetPosition(static_cast<uint32_t>(target));
}

uint32_t VFileStream::Find(const void* value, uint32_t width) {
  if (!fOpen || fWriting || fStatus != kStreamNoError) return 0;
  const auto* wanted = static_cast<const uint8_t*>(value);
  uint8_t window[kFindWindow];
  uint32_t windowStart = 0;
  uint32_t windowLength = 0;
  bool failed = false;
  // The byte at p: from the buffer's valid part, else from the window, read
  // anew at p when p lies outside it.
  auto byteAt = [&](uint32_t p, uint8_t& b) {
    if (p >= fBufferStart && uint64_t{p} < uint64_t{fBufferStart} + fBuffered) {
      b = fBuffer[p - fBufferStart];
      return true;
    }
    if (windowLength == 0 || p < windowStart || uint64_t{p} >= uint64_t{windowStart} + windowLength) {
      uint32_t n = kFindWindow;
      int32_t result = fFile->SetPosition(p);
      if (result == 0) result = fFile->Read(window, n);
      if (result != 0 && result != kFileEnd) {
        failed = true;
        return false;
      }
      windowStart = p;
      windowLength = n;
      if (n == 0) return false;
    }
    b = window[p - windowStart];
    return true;
  };
  for (uint64_t p = fPosition; p + width <= fSize; ++p) {
    bool match = true;
    for (uint32_t k = 0; k < width; ++k) {
      uint8_t b = 0;
      if (!byteAt(static_cast<uint32_t>(p + k), b)) return 0;
      if (b != wanted[k]) {
        match = false;
        break;
      }
    }
    if (failed) return 0;
    if (match) return static_cast<uint32_t>(p + 1);
  }
  return 0;
}
