// Bit strings in the Macintosh numbering and PackBits rows.
#include "platform/toolbox/TbxBits.h"

#include <cstring>

namespace Tbx {

bool BitTst(const void* bytes, int32_t n) {
  if (bytes == nullptr || n < 0) return false;
  return (static_cast<const uint8_t*>(bytes)[n >> 3] & (0x80 >> (n & 7))) != 0;
}

void BitSet(void* bytes, int32_t n) {
  if (bytes == nullptr || n < 0) return;
  static_cast<uint8_t*>(bytes)[n >> 3] |= static_cast<uint8_t>(0x80 >> (n & 7));
}

void BitClr(void* bytes, int32_t n) {
  if (bytes == nullptr || n < 0) return;
  static_cast<uint8_t*>(bytes)[n >> 3] &= static_cast<uint8_t>(~(0x80 >> (n & 7)));
}

namespace {

// The length of the run of equal bytes at p, at most `limit` and 128.
int32_t RunAt(const uint8_t* p, int32_t limit) {
  int32_t run = 1;
  while (run < limit && run < 128 && p[run] == p[0]) ++run;
  return run;
}

}  // namespace

void PackBits(uint8_t** src, uint8_t** dst, int16_t srcBytes) {
  if (src == nullptr || dst == nullptr || *src == nullptr || *dst == nullptr) return;
  const uint8_t* p = *src;
  uint8_t* out = *dst;
  int32_t left = srcBytes > 0 ? srcBytes : 0;
  while (left > 0) {
    const int32_t run = RunAt(p, left);
    if (run >= 3) {
      *out++ = static_cast<uint8_t>(1 - run);
      *out++ = *p;
      p += run;
      left -= run;
      continue;
    }
    // Literal bytes up to the next run of three, or 128 of them.
    int32_t literal = 0;
    while (literal < left && literal < 128 && RunAt(p + literal, left - literal) < 3) ++literal;
    *out++ = static_cast<uint8_t>(literal - 1);
    std::memcpy(out, p, static_cast<size_t>(literal));
    out += literal;
    p += literal;
    left -= literal;
  }
  *src = const_cast<uint8_t*>(p);
  *dst = out;
}

void UnpackBits(uint8_t** src, uint8_t** dst, int16_t dstBytes) {
  if (src == nullptr || dst == nullptr || *src == nullptr || *dst == nullptr) return;
  const uint8_t* p = *src;
  uint8_t* out = *dst;
  int32_t left = dstBytes > 0 ? dstBytes : 0;
  while (left > 0) {
    const int8_t header = static_cast<int8_t>(*p++);
    if (header == -128) continue;
    if (header >= 0) {
      const int32_t count = header + 1;
      const int32_t written = count < left ? count : left;
      std::memcpy(out, p, static_cast<size_t>(written));
      p += count;
      out += written;
      left -= written;
    } else {
      const int32_t count = 1 - header;
      const int32_t written = count < left ? count : left;
      std::memset(out, *p++, static_cast<size_t>(written));
      out += written;
      left -= written;
    }
  }
  *src = const_cast<uint8_t*>(p);
  *dst = out;
}

}  // namespace Tbx
