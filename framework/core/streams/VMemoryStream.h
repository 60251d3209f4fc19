// VMemoryStream: a read-only stream over a plain block of memory that the
// caller owns and keeps alive while the stream reads it.
#pragma once

#include <cstdint>

#include "framework/core/streams/VStream.h"

class VMemoryStream : public VStream {
 public:
  VMemoryStream(const void* block, uint32_t length);
  ~VMemoryStream() override = default;

  int16_t OpenRead() override;
  // Every write operation answers 205 and changes nothing.
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

 private:
  uint32_t Find(const void* value, uint32_t width) override;

  bool fOpen = false;
  const uint8_t* fBlock = nullptr;
  uint32_t fPosition = 0;
  uint32_t fLength = 0;
};
