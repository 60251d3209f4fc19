// VHandleStream: a stream over a memory-manager handle. The handle stays
// locked while the stream is open; writing grows it as needed and a close
// with trimming cuts it to the bytes written.
#pragma once

#include <cstdint>

#include "framework/core/streams/VStream.h"

class VHandleStream : public VStream {
 public:
  // When `handle` is 0 a new empty handle is made and stored back into it.
  explicit VHandleStream(VMemHandle& handle);
  // Does not close: an open stream leaves its handle locked.
  ~VHandleStream() override = default;

  int16_t OpenRead() override;
  int16_t OpenWrite() override;
  int16_t CloseRead() override;
  int16_t CloseWrite(uint8_t trim) override;
  int16_t WriteBytes(const void* data, uint32_t length) override;
  int16_t ReadBytes(void* data, uint32_t& length) override;
  uint32_t GetSize() override;
  uint32_t GetPosition() override;
  int16_t SetSize(uint32_t size) override;
  int16_t SetPosition(uint32_t position) override;
  int16_t Skip(int32_t offset) override;
  // Room for `bytes` more from the position on, made at once while open for
  // writing: a writer that knows its size grows the handle once instead of
  // at each write. The bytes written are the same; false when the room
  // cannot be had (the writes then grow the handle as they go).
  bool Reserve(uint32_t bytes);
  // The handle's bytes while the stream is open and holds any, null
  // otherwise; good until the next write, which may move them. A writer
  // changes bytes it wrote (their byte order) in place through it.
  uint8_t* OpenBytes() const { return fOpen ? fData : nullptr; }

 private:
  uint32_t Find(const void* value, uint32_t width) override;
  // Locks the handle when it has bytes; an empty handle stays unlocked.
  void Relock();
  void Unlock();

  bool fOpen = false;
  bool fWriting = false;
  VMemHandle fHandle = 0;
  // The handle's bytes while it is locked; null while it is not (an empty
  // handle opened for writing is locked at the first write).
  uint8_t* fData = nullptr;
  uint32_t fPosition = 0;
  // The bytes that count as the stream's content, and the handle's size.
  uint32_t fDataSize = 0;
  uint32_t fCapacity = 0;
};
