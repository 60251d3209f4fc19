// The compound file tests' helpers: a container written into or read from
// bytes in memory, and the streams it hands out read whole.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/VHandleStream.h"
#include "interchange/ole/xMorvaOleFile.h"

namespace oletest {

using Bytes = std::vector<uint8_t>;

// A file's content held in a handle, as the container's file stream.
class MemoryFile {
 public:
  MemoryFile() : fHandle(gMemoryMgr->NewEmptyHandle()), fStream(fHandle) {}
  explicit MemoryFile(const Bytes& bytes)
      : fHandle(bytes.empty()
                    ? gMemoryMgr->NewEmptyHandle()
                    : gMemoryMgr->NewHandleFromData(bytes.data(), uint32_t(bytes.size()))),
        fStream(fHandle) {}
  ~MemoryFile() {
    fStream.CloseRead();
    fStream.CloseWrite(0);
    gMemoryMgr->DisposeHandle(fHandle);
  }
  VStream& Stream() { return fStream; }
  Bytes Contents() {
    const uint32_t size = gMemoryMgr->GetHandleSize(fHandle);
    if (size == 0) return {};
    const auto* data = static_cast<const uint8_t*>(gMemoryMgr->LockHandle(fHandle));
    Bytes bytes(data, data + size);
    gMemoryMgr->UnlockHandle(fHandle);
    return bytes;
  }

 private:
  VMemHandle fHandle;
  VHandleStream fStream;
};

// Everything left in a stream handed out for reading.
inline Bytes ReadAll(VStream& stream) {
  Bytes bytes(stream.GetSize() - stream.GetPosition());
  uint32_t length = uint32_t(bytes.size());
  if (length != 0) stream.ReadBytes(bytes.data(), length);
  bytes.resize(length);
  return bytes;
}

// Bytes that differ from place to place, so that a misplaced sector shows.
inline Bytes Pattern(size_t size, uint32_t seed) {
  Bytes bytes(size);
  uint32_t x = seed * 2654435761u + 1;
  for (auto& b : bytes) {
    x = x * 1103515245u + 12345u;
    b = uint8_t(x >> 16);
  }
  return bytes;
}

struct NamedBytes {
  std::u16string name;
  Bytes bytes;
};

// A file whose root holds `streams` as one chain of right siblings, and,
// when `inner` is not empty, a storage "Inner" holding those.
inline int32_t WriteFile(VStream& file, const std::vector<NamedBytes>& streams,
                         const std::vector<NamedBytes>& inner = {}) {
  xMorvaOleFile ole(file);
  if (int32_t r = ole.OpenForWriting(); r != 0) return r;
  int32_t storage = -1;
  VStream* previous = nullptr;
  auto put = [&](const NamedBytes& item, int32_t parent, VStream*& last) -> int32_t {
    VStream* stream = nullptr;
    if (int32_t r = ole.CreateStream(item.name, stream); r != 0) return r;
    if (!item.bytes.empty()) stream->WriteBytes(item.bytes.data(), uint32_t(item.bytes.size()));
    if (last == nullptr)
      ole.SetChild(stream, parent);
    else
      ole.SetRightSibling(last, stream);
    if (last != nullptr) ole.CloseStream(last);
    last = stream;
    return 0;
  };
  for (const NamedBytes& item : streams)
    if (int32_t r = put(item, 1, previous); r != 0) return r;
  if (!inner.empty()) {
    ole.CreateStorage(u"Inner", storage);
    VStream* last = nullptr;
    for (const NamedBytes& item : inner)
      if (int32_t r = put(item, storage, last); r != 0) return r;
    if (last != nullptr) ole.CloseStream(last);
    // The storage joins the root's members as the first stream's left sibling.
    if (previous != nullptr) ole.SetLeftSibling(previous, storage);
  }
  return ole.FinishWriting();
}

}  // namespace oletest
