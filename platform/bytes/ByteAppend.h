// ByteAppend: 16- and 32-bit values appended to a byte vector in little- or
// big-endian order, for writers that build a record or a file in memory.
// The in-place forms are in ByteOrder.h.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/bytes/ByteOrder.h"

inline void AppendLE16(std::vector<uint8_t>& out, uint16_t value) {
  uint8_t bytes[2];
  StoreLE16(bytes, value);
  out.insert(out.end(), bytes, bytes + 2);
}
inline void AppendLE32(std::vector<uint8_t>& out, uint32_t value) {
  uint8_t bytes[4];
  StoreLE32(bytes, value);
  out.insert(out.end(), bytes, bytes + 4);
}
inline void AppendBE16(std::vector<uint8_t>& out, uint16_t value) {
  uint8_t bytes[2];
  StoreBE16(bytes, value);
  out.insert(out.end(), bytes, bytes + 2);
}
inline void AppendBE32(std::vector<uint8_t>& out, uint32_t value) {
  uint8_t bytes[4];
  StoreBE32(bytes, value);
  out.insert(out.end(), bytes, bytes + 4);
}
