// Integer helpers of the graphics layer: coordinate sums that wrap as 32-bit
// machine arithmetic does, and real-to-integer truncation toward zero that
// saturates instead of overflowing.
#pragma once

#include <cmath>
#include <cstdint>

namespace graphics_math {

inline int32_t Add(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

inline int32_t Sub(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}

inline int32_t Mul(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b));
}

// Every real-to-integer conversion of the graphics layer truncates toward
// zero; values beyond the 32-bit range stop at its ends and NaN gives 0.
inline int32_t Trunc(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 2147483647.0) return INT32_MAX;
  if (value <= -2147483648.0) return INT32_MIN;
  return static_cast<int32_t>(value);
}

inline int32_t Clamp32(int64_t value) {
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(value);
}

}  // namespace graphics_math
