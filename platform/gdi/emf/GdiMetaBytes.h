// Little-endian bytes of metafile records: a writer that builds records and
// a reader that checks every field against what remains before it reads it.
// Internal to the metafile code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

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

// Reads little-endian values from a span of bytes. A read past the end
// fails, leaves the output alone and sets the failed flag, which stays set;
// so a record is read field by field and checked once at the end.
class GdiByteReader {
 public:
  GdiByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  size_t Size() const { return size_; }
  size_t Position() const { return pos_; }
  size_t Remaining() const { return failed_ ? 0 : size_ - pos_; }
  bool Failed() const { return failed_; }
  void Fail() { failed_ = true; }
  const uint8_t* Data() const { return data_; }

  bool Seek(size_t at) {
    if (failed_ || at > size_) return Fail(), false;
    pos_ = at;
    return true;
  }
  bool Skip(size_t n) {
    if (n > Remaining()) return Fail(), false;
    pos_ += n;
    return true;
  }
  uint8_t U8() {
    uint8_t b[1] = {0};
    Take(b, 1);
    return b[0];
  }
  uint16_t U16() {
    uint8_t b[2] = {0, 0};
    Take(b, 2);
    return static_cast<uint16_t>(b[0] | (b[1] << 8));
  }
  int16_t I16() { return static_cast<int16_t>(U16()); }
  uint32_t U32() {
    uint8_t b[4] = {0, 0, 0, 0};
    Take(b, 4);
    return b[0] | (uint32_t{b[1]} << 8) | (uint32_t{b[2]} << 16) | (uint32_t{b[3]} << 24);
  }
  int32_t I32() { return static_cast<int32_t>(U32()); }
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
  // Where `n` bytes start at the current position (and moves past them), or
  // null when fewer remain.
  const uint8_t* Span(size_t n) {
    if (n > Remaining()) return Fail(), nullptr;
    const uint8_t* p = data_ + pos_;
    pos_ += n;
    return p;
  }
  // Whether [offset, offset + length) lies inside the span, without reading.
  bool Holds(uint64_t offset, uint64_t length) const {
    return offset <= size_ && length <= size_ - offset;
  }

 private:
  void Take(uint8_t* out, size_t n) {
    if (n > Remaining()) {
      failed_ = true;
      return;
    }
    std::memcpy(out, data_ + pos_, n);
    pos_ += n;
  }
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
  bool failed_ = false;
};
