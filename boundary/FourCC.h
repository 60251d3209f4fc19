// Four-character codes (resource types, the path kind of the host's path
// request), written the same way by the module and the stand-in host.
#pragma once

#include <cstdint>

// Four-character codes as 32-bit numbers, first character most significant.
constexpr uint32_t FourCC(const char (&code)[5]) {
  return (uint32_t(uint8_t(code[0])) << 24) | (uint32_t(uint8_t(code[1])) << 16) |
         (uint32_t(uint8_t(code[2])) << 8) | uint32_t(uint8_t(code[3]));
}
