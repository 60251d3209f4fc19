// Bounded PackBits unpacking of one row of foreign bytes: every read is
// checked against the end of the input and every write against the row.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qv_packbits {

// Unpacks runs of `kUnit`-byte units from [src, end) until `size` bytes are
// written to dst: a header h >= 0 copies h + 1 units, h < 0 (but not -128,
// which is passed over) repeats the next unit 1 - h times. Answers the bytes
// consumed, or 0 when the input ends first or a run would pass the row (the
// row is then incomplete and must not be used).
template <size_t kUnit>
inline size_t UnpackRuns(const uint8_t* src, const uint8_t* end, uint8_t* dst, size_t size) {
  const uint8_t* p = src;
  size_t written = 0;
  while (written < size) {
    if (p >= end) return 0;
    const int8_t h = static_cast<int8_t>(*p++);
    if (h >= 0) {
      const size_t n = (static_cast<size_t>(h) + 1) * kUnit;
      if (n > size - written || n > static_cast<size_t>(end - p)) return 0;
      for (size_t i = 0; i < n; ++i) dst[written++] = *p++;
    } else if (h != -128) {
      const size_t n = static_cast<size_t>(1 - h) * kUnit;
      if (n > size - written || static_cast<size_t>(end - p) < kUnit) return 0;
      const uint8_t* unit = p;
      p += kUnit;
      for (size_t i = 0; i < n; ++i) dst[written++] = unit[i % kUnit];
    }
  }
  return static_cast<size_t>(p - src);
}

// One row of bytes.
inline size_t UnpackRow(const uint8_t* src, const uint8_t* end, uint8_t* dst, size_t size) {
  return UnpackRuns<1>(src, end, dst, size);
}

// Runs of 16-bit words (pack type 3 of 16-bit pixel maps): the same
// headers, counting words.
inline size_t UnpackWordRow(const uint8_t* src, const uint8_t* end, uint8_t* dst, size_t size) {
  return UnpackRuns<2>(src, end, dst, size);
}

}  // namespace qv_packbits
