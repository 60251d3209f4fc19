// Little-endian bytes of metafile records: a writer that builds records and
// a reader that checks every field against what remains before it reads it.
// Internal to the metafile code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/bytes/ByteSpanReader.h"
#include "platform/gdi/WinGdiTypes.h"

// Appends little-endian values. Sizes of stored metafiles travel in 32-bit
// fields, so the writer refuses to grow past kMaxBytes (and past what memory
// allows) and remembers that it failed; what it holds is then not to be used.
class GdiByteWriter {
 public:
  static constexpr size_t kMaxBytes = 0x7FFFFFF0;

  size_t Size() const { return bytes_.size(); }
  bool Failed() const { return failed_; }
  const std::vector<uint8_t>& Bytes() const { return bytes_; }
  std::vector<uint8_t>& Bytes() { return bytes_; }

  void Put8(uint32_t v) {
    uint8_t b = static_cast<uint8_t>(v);
    PutBytes(&b, 1);
  }
  void Put16(uint32_t v) {
    uint8_t b[2] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)};
    PutBytes(b, 2);
  }
  void Put32(uint32_t v) {
    uint8_t b[4] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8),
                    static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 24)};
    PutBytes(b, 4);
  }
  void PutI32(int32_t v) { Put32(static_cast<uint32_t>(v)); }
  void PutFloat(float f) {
    uint32_t v;
    std::memcpy(&v, &f, 4);
    Put32(v);
  }
  void PutRect(const RECT& r) {
    PutI32(r.left);
    PutI32(r.top);
    PutI32(r.right);
    PutI32(r.bottom);
  }
  void PutZeros(size_t n);
  void PutBytes(const void* data, size_t n);
  // Pads with zeros to a multiple of `unit` bytes.
  void Align(size_t unit) {
    if (Size() % unit) PutZeros(unit - Size() % unit);
  }
  // Overwrites four bytes already written.
  void Patch32(size_t at, uint32_t v);
  void Patch16(size_t at, uint32_t v);

 private:
  bool Reserve(size_t more);
  std::vector<uint8_t> bytes_;
  bool failed_ = false;
};

// Reads the little-endian values of metafile records: the shared reader
// (a read past the end fails, leaves the output alone and sets the failed
// flag, which stays set, so a record is read field by field and checked once
// at the end), with the record shapes metafiles use.
class GdiByteReader : public ByteSpanReader {
 public:
  GdiByteReader(const uint8_t* data, size_t size) : ByteSpanReader(data, size, Order::kLittle) {}

  float Float() {
    uint32_t v = U32();
    float f;
    std::memcpy(&f, &v, 4);
    return f;
  }
  RECT Rect() {
    RECT r;
    r.left = I32();
    r.top = I32();
    r.right = I32();
    r.bottom = I32();
    return r;
  }
  // Whether [offset, offset + length) lies inside the span, without reading.
  bool Holds(uint64_t offset, uint64_t length) const {
    return offset <= Size() && length <= Size() - offset;
  }
};

