// Truncation of reals toward zero with the bounds made safe.
#include "framework/core/values/RealTruncation.h"

#include <cmath>
#include <limits>

namespace {

// 2 to the 63rd: the first real above every 64-bit integer; -2 to the 63rd
// is itself the smallest one.
constexpr double kTwo63 = 9223372036854775808.0;

bool InLongLongRange(double value) { return value >= -kTwo63 && value < kTwo63; }

template <typename T>
T Saturated(double value) {
  if (std::isnan(value)) return 0;
  return value < 0 ? std::numeric_limits<T>::min() : std::numeric_limits<T>::max();
}

}  // namespace

int64_t RealToLongLong(double value) {
  // A cast of NaN or of a real outside the range is undefined; those two are
  // answered before any cast.
  if (!InLongLongRange(value)) return Saturated<int64_t>(value);
  return static_cast<int64_t>(value);
}

int32_t RealToLong(double value) {
  if (!InLongLongRange(value)) return Saturated<int32_t>(value);
  return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(RealToLongLong(value))));
}

int16_t RealToWord(double value) {
  if (!InLongLongRange(value)) return Saturated<int16_t>(value);
  return static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint64_t>(RealToLongLong(value))));
}
