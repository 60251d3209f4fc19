// Bounded PackBits unpacking of one row of foreign bytes: every read is
// checked against the end of the input and every write against the row.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qv_packbits {

// Unpacks from [src, end) until `size` bytes are written to dst. Answers the
// bytes consumed, or 0 when the input ends first or a run would pass the
// row (the row is then incomplete and must not be used).
inline size_t UnpackRow(const uint8_t* src, const uint8_t* end, uint8_t* dst, size_t size) {
  const uint8_t* p = src;
  size_t written = 0;
  while (written < size) {
    if (p >= end) return 0;
    const int8_t h = static_cast<int8_t>(*p++);
    if (h >= 0) {
      const size_t n = static_cast<size_t>(h) + 1;
      if (n > size - written || n > static_cast<size_t>(end - p)) return 0;
      for (size_t i = 0; i < n; ++i) dst[written++] = *p++;
    } else if (h != -128) {
      const size_t n = static_cast<size_t>(1 - h);
      if (n > size - written || p >= end) return 0;
      const uint8_t v = *p++;
      for (size_t i = 0; i < n; ++i) dst[written++] = v;
    }
  }
  return static_cast<size_t>(p - src);
}

// Unpacks runs of 16-bit words (pack type 3 of 16-bit pixel maps): the same
// headers, counting words; a repeated run repeats one word.
inline size_t UnpackWordRow(const uint8_t* src, const uint8_t* end, uint8_t* dst, size_t size) {
  const uint8_t* p = src;
  size_t written = 0;
  while (written < size) {
    if (p >= end) return 0;
    const int8_t h = static_cast<int8_t>(*p++);
    if (h >= 0) {
      const size_t n = (static_cast<size_t>(h) + 1) * 2;
      if (n > size - written || n > static_cast<size_t>(end - p)) return 0;
      for (size_t i = 0; i < n; ++i) dst[written++] = *p++;
    } else if (h != -128) {
      const size_t n = static_cast<size_t>(1 - h) * 2;
      if (n > size - written || end - p < 2) return 0;
      const uint8_t hi = p[0];
      const uint8_t lo = p[1];
      p += 2;
      for (size_t i = 0; i < n; i += 2) {
        dst[written++] = hi;
        dst[written++] = lo;
      }
    }
  }
  return static_cast<size_t>(p - src);
}

}  // namespace qv_packbits
