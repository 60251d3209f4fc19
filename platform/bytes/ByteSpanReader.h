// ByteSpanReader: reads 8-, 16- and 32-bit values from a span of stored or
// foreign bytes in either byte order, checking every field against what
// remains. The one reader of such bytes: the framework's VByteReader and the
// metafile players' reader are this reader.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

// A read past the end fails, answers zero (or copies nothing) and sets the
// failed flag, which stays set: a record is read field by field and checked
// once at the end. The reader never owns the bytes it reads.
class ByteSpanReader {
 public:
  enum class Order : uint8_t { kBig, kLittle };
  static constexpr Order kNative =
      std::endian::native == std::endian::big ? Order::kBig : Order::kLittle;

  ByteSpanReader(const void* data, size_t size, Order order = kNative)
      : fData(static_cast<const uint8_t*>(data)),
        fSize(data != nullptr ? size : 0),
        fOrder(order) {}

  size_t Size() const { return fSize; }
  size_t Position() const { return fPosition; }
  size_t Remaining() const { return fFailed ? 0 : fSize - fPosition; }
  bool Failed() const { return fFailed; }
  void Fail() { fFailed = true; }

  Order GetOrder() const { return fOrder; }
  void SetOrder(Order order) { fOrder = order; }
  // The other order than the one set: for data written on a machine of the
  // other kind.
  void SwapOrder() { fOrder = fOrder == Order::kBig ? Order::kLittle : Order::kBig; }

  bool Seek(size_t at) {
    if (fFailed || at > fSize) return Fail(), false;
    fPosition = at;
    return true;
  }
  bool Skip(size_t n) {
    if (n > Remaining()) return Fail(), false;
    fPosition += n;
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
    return fOrder == Order::kBig ? static_cast<uint16_t>((b[0] << 8) | b[1])
                                 : static_cast<uint16_t>((b[1] << 8) | b[0]);
  }
  int16_t I16() { return static_cast<int16_t>(U16()); }
  uint32_t U32() {
    uint8_t b[4] = {0, 0, 0, 0};
    Take(b, 4);
    if (fOrder == Order::kBig)
      return (uint32_t{b[0]} << 24) | (uint32_t{b[1]} << 16) | (uint32_t{b[2]} << 8) | b[3];
    return (uint32_t{b[3]} << 24) | (uint32_t{b[2]} << 16) | (uint32_t{b[1]} << 8) | b[0];
  }
  int32_t I32() { return static_cast<int32_t>(U32()); }

  // Copies `n` bytes as they stand; false, copying nothing, when fewer remain.
  bool Bytes(void* out, size_t n) { return Take(static_cast<uint8_t*>(out), n); }
  const uint8_t* Data() const { return fData; }
  // Where `n` bytes start at the current position (and moves past them), or
  // null when fewer remain.
  const uint8_t* Span(size_t n) {
    if (n > Remaining()) return Fail(), nullptr;
    const uint8_t* p = fData + fPosition;
    fPosition += n;
    return p;
  }

 private:
  bool Take(uint8_t* out, size_t n) {
    if (n > Remaining()) return Fail(), false;
    if (n != 0) std::memcpy(out, fData + fPosition, n);
    fPosition += n;
    return true;
  }

  const uint8_t* fData;
  size_t fSize;
  size_t fPosition = 0;
  Order fOrder;
  bool fFailed = false;
};
