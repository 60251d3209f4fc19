// ByteAppend: 16- and 32-bit values appended to a byte vector in little- or
// big-endian order, for writers that build a record or a file in memory.
// The in-place forms are in ByteOrder.h.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/bytes/ByteOrder.h"

// A byte at a time: a range inserted into an empty vector makes GCC 12
// warn of an overflow that cannot happen.
inline void AppendLE16(std::vector<uint8_t>& out, uint16_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}
inline void AppendLE32(std::vector<uint8_t>& out, uint32_t value) {
  AppendLE16(out, static_cast<uint16_t>(value));
  AppendLE16(out, static_cast<uint16_t>(value >> 16));
}
inline void AppendBE16(std::vector<uint8_t>& out, uint16_t value) {
  out.push_back(static_cast<uint8_t>(value >> 8));
  out.push_back(static_cast<uint8_t>(value));
}
inline void AppendBE32(std::vector<uint8_t>& out, uint32_t value) {
  AppendBE16(out, static_cast<uint16_t>(value >> 16));
  AppendBE16(out, static_cast<uint16_t>(value));
}
