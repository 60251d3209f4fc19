// Test helpers for stored value forms: the bytes a writer puts into a stream
// of a given byte order, and a stream that reads given bytes back.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "framework/core/containers/ValueReader.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/VHandleStream.h"
#include "framework/core/streams/VMemoryStream.h"

namespace value_tests {

// Big-endian data, as stored data is; little-endian data is this machine's.
constexpr int16_t kBigEndian = kByteOrderSetMacintosh;
constexpr int16_t kLittleEndian = kByteOrderSetThisMachine;

inline std::vector<uint8_t> BytesWritten(const std::function<void(VStream&)>& write,
                                         int16_t dataOrder = kBigEndian) {
  VMemHandle handle = 0;
  std::vector<uint8_t> bytes;
  {
    VHandleStream stream(handle);
    stream.SetByteOrders(dataOrder, kByteOrderSetThisMachine);
    if (stream.OpenWrite() != kStreamNoError) return bytes;
    write(stream);
    stream.CloseWrite(1);
  }
  const uint32_t size = gMemoryMgr->GetHandleSize(handle);
  if (size > 0) {
    const auto* data = static_cast<const uint8_t*>(gMemoryMgr->LockHandle(handle));
    bytes.assign(data, data + size);
    gMemoryMgr->UnlockHandle(handle);
  }
  gMemoryMgr->DisposeHandle(handle);
  return bytes;
}

// A read-only stream over its own copy of the bytes, open from the start.
class ByteReader {
 public:
  explicit ByteReader(std::vector<uint8_t> bytes, int16_t dataOrder = kBigEndian)
      : fBytes(std::move(bytes)), fStream(fBytes.data(), uint32_t(fBytes.size())) {
    fStream.SetByteOrders(dataOrder, kByteOrderSetThisMachine);
    fStream.OpenRead();
  }
  VMemoryStream& stream() { return fStream; }

 private:
  std::vector<uint8_t> fBytes;
  VMemoryStream fStream;
};

}  // namespace value_tests
