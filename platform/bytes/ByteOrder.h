// ByteOrder: 16- and 32-bit values loaded from and stored into bytes in place,
// in little- or big-endian order whatever the machine's, and the byte
// reversal of a 32-bit value. The one home of these for every layer; a reader
// that walks a span with checks uses ByteSpanReader instead.
#pragma once

#include <cstdint>

// The caller has checked that the two or four bytes at `at` are there.
constexpr uint16_t LoadLE16(const uint8_t* at) { return uint16_t(at[0] | (uint16_t(at[1]) << 8)); }
constexpr uint32_t LoadLE32(const uint8_t* at) {
  return uint32_t(at[0]) | (uint32_t(at[1]) << 8) | (uint32_t(at[2]) << 16) |
         (uint32_t(at[3]) << 24);
}
constexpr uint16_t LoadBE16(const uint8_t* at) { return uint16_t((uint16_t(at[0]) << 8) | at[1]); }
constexpr uint32_t LoadBE32(const uint8_t* at) {
  return (uint32_t(at[0]) << 24) | (uint32_t(at[1]) << 16) | (uint32_t(at[2]) << 8) |
         uint32_t(at[3]);
}

constexpr void StoreLE16(uint8_t* at, uint16_t value) {
  at[0] = uint8_t(value);
  at[1] = uint8_t(value >> 8);
}
constexpr void StoreLE32(uint8_t* at, uint32_t value) {
  at[0] = uint8_t(value);
  at[1] = uint8_t(value >> 8);
  at[2] = uint8_t(value >> 16);
  at[3] = uint8_t(value >> 24);
}
constexpr void StoreBE16(uint8_t* at, uint16_t value) {
  at[0] = uint8_t(value >> 8);
  at[1] = uint8_t(value);
}
constexpr void StoreBE32(uint8_t* at, uint32_t value) {
  at[0] = uint8_t(value >> 24);
  at[1] = uint8_t(value >> 16);
  at[2] = uint8_t(value >> 8);
  at[3] = uint8_t(value);
}

// The value with its four bytes in the other order.
constexpr uint32_t ReverseBytes32(uint32_t value) {
  return (value >> 24) | ((value >> 8) & 0xFF00u) | ((value << 8) & 0xFF0000u) | (value << 24);
}
