// Helpers of the document model's tests: records written to bytes in either
// byte order and read back from bytes, and the screen resolution held for
// the length of a test.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "document/DocumentUnits.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/VHandleStream.h"
#include "framework/core/streams/VMemoryStream.h"
#include "graphics/GraphicsGlobals.h"

using Bytes = std::vector<uint8_t>;

// The bytes that `write` puts into a new handle stream, big-endian (the
// Macintosh order) or in this machine's order. `ok` receives its answer.
template <typename Write>
Bytes WriteRecord(Write write, bool bigEndian, bool* ok = nullptr) {
  VMemHandle handle = 0;
  Bytes bytes;
  {
    VHandleStream stream(handle);
    if (bigEndian) stream.SetByteOrders(kByteOrderMacintosh, kByteOrderKeep);
    stream.OpenWrite();
    const bool answer = write(stream);
    if (ok != nullptr) *ok = answer;
    stream.CloseWrite(1);
  }
  const uint32_t size = gMemoryMgr->GetHandleSize(handle);
  if (size != 0) {
    const auto* data = static_cast<const uint8_t*>(gMemoryMgr->LockHandle(handle));
    bytes.assign(data, data + size);
    gMemoryMgr->UnlockHandle(handle);
  }
  gMemoryMgr->DisposeHandle(handle);
  return bytes;
}

// A read-only stream over a copy of the bytes, opened, in this machine's
// order unless told otherwise: a reader must find a big-endian record by
// its reversed tag.
class ByteReader {
 public:
  explicit ByteReader(Bytes bytes, bool bigEndian = false)
      : fBytes(std::move(bytes)), fStream(fBytes.data(), uint32_t(fBytes.size())) {
    if (bigEndian) fStream.SetByteOrders(kByteOrderMacintosh, kByteOrderKeep);
    fStream.OpenRead();
  }
  ~ByteReader() { fStream.CloseRead(); }
  VStream& stream() { return fStream; }
  uint32_t position() { return fStream.GetPosition(); }

 private:
  Bytes fBytes;
  VMemoryStream fStream;
};

// The four characters of a tag or version as bytes.
inline Bytes Chars(const char* text) { return Bytes(text, text + std::strlen(text)); }

inline void AppendLongBE(Bytes& bytes, int32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back(uint8_t(uint32_t(value) >> shift));
}
inline void AppendWordBE(Bytes& bytes, int16_t value) {
  bytes.push_back(uint8_t(uint16_t(value) >> 8));
  bytes.push_back(uint8_t(value));
}
inline int32_t LongBE(const Bytes& bytes, size_t at) {
  return int32_t((uint32_t(bytes[at]) << 24) | (uint32_t(bytes[at + 1]) << 16) |
                 (uint32_t(bytes[at + 2]) << 8) | uint32_t(bytes[at + 3]));
}
inline int32_t LongLE(const Bytes& bytes, size_t at) {
  return int32_t(uint32_t(bytes[at]) | (uint32_t(bytes[at + 1]) << 8) |
                 (uint32_t(bytes[at + 2]) << 16) | (uint32_t(bytes[at + 3]) << 24));
}
inline int16_t WordBE(const Bytes& bytes, size_t at) {
  return int16_t((uint16_t(bytes[at]) << 8) | bytes[at + 1]);
}

// Sets the screen resolution for the life of a scope.
class ScopedResolution {
 public:
  explicit ScopedResolution(int32_t dotsPerInch) : fSaved(gScreenLogPixelsX) {
    gScreenLogPixelsX = dotsPerInch;
  }
  ~ScopedResolution() { gScreenLogPixelsX = fSaved; }

 private:
  int32_t fSaved;
};
