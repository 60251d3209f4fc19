// Byte reversal and extended-real conversion.
#include "framework/core/streams/ByteSwap.h"

#include <cmath>
#include <cstring>

#include "platform/bytes/ByteOrder.h"

void Swap16(void* value) {
  uint16_t v;
  std::memcpy(&v, value, 2);
  v = __builtin_bswap16(v);
  std::memcpy(value, &v, 2);
}

void Swap32(void* value) {
  uint32_t v;
  std::memcpy(&v, value, 4);
  v = __builtin_bswap32(v);
  std::memcpy(value, &v, 4);
}

void Swap64(void* value) {
  uint64_t v;
  std::memcpy(&v, value, 8);
  v = __builtin_bswap64(v);
  std::memcpy(value, &v, 8);
}

// The values are reversed last one first, as the routines always did; the
// order does not change the result.
void SwapArray16(void* values, int32_t n) {
  auto* p = static_cast<uint8_t*>(values);
  for (int32_t i = n - 1; i >= 0; --i) Swap16(p + 2 * static_cast<size_t>(i));
}

void SwapArray32(void* values, int32_t n) {
  auto* p = static_cast<uint8_t*>(values);
  for (int32_t i = n - 1; i >= 0; --i) Swap32(p + 4 * static_cast<size_t>(i));
}

void SwapDouble(void* value) { Swap64(value); }

void SwapDoubleArray(void* values, int32_t n) {
  auto* p = static_cast<uint8_t*>(values);
  for (int32_t i = n - 1; i >= 0; --i) Swap64(p + 8 * static_cast<size_t>(i));
}

namespace {
constexpr int kExtendedBias = 16383;
}

void DoubleToExtended(const double* source, uint8_t* destination) {
  const double v = *source;
  uint16_t signExp = std::signbit(v) ? 0x8000 : 0;
  uint64_t mantissa = 0;
  if (std::isnan(v)) {
    signExp |= 0x7FFF;
    mantissa = 0xC000000000000000ull;
  } else if (std::isinf(v)) {
    signExp |= 0x7FFF;
    mantissa = 0x8000000000000000ull;
  } else if (v != 0) {
    int e = 0;
    double m = std::frexp(std::fabs(v), &e);  // v = m * 2^e, m in [0.5, 1)
    // Every double's 53 bits fit the 64-bit mantissa exactly.
    mantissa = static_cast<uint64_t>(std::ldexp(m, 64));
    signExp |= static_cast<uint16_t>(e - 1 + kExtendedBias);
  }
  destination[0] = static_cast<uint8_t>(signExp >> 8);
  destination[1] = static_cast<uint8_t>(signExp);
  for (int i = 0; i < 8; ++i) destination[2 + i] = static_cast<uint8_t>(mantissa >> (56 - 8 * i));
}

void ExtendedToDouble(const uint8_t* source, double* destination) {
  const uint16_t signExp = LoadBE16(source);
  uint64_t mantissa = 0;
  for (int i = 0; i < 8; ++i) mantissa = (mantissa << 8) | source[2 + i];
  const bool negative = (signExp & 0x8000) != 0;
  const int exponent = signExp & 0x7FFF;
  double v;
  if (exponent == 0x7FFF) {
    v = (mantissa << 1) == 0 ? HUGE_VAL : std::nan("");
  } else {
    // The conversion of the 64-bit mantissa rounds to nearest; ldexp then
    // only moves the exponent (to infinity or zero when out of range).
    v = std::ldexp(static_cast<double>(mantissa), exponent - kExtendedBias - 63);
  }
  *destination = negative ? -v : v;
}

void DoubleArrayToExtended(const double* source, uint8_t* destination, int32_t n) {
  for (int32_t i = 0; i < n; ++i) DoubleToExtended(source + i, destination + 10 * static_cast<size_t>(i));
}

void ExtendedArrayToDouble(const uint8_t* source, double* destination, int32_t n) {
  for (int32_t i = 0; i < n; ++i) ExtendedToDouble(source + 10 * static_cast<size_t>(i), destination + i);
}
