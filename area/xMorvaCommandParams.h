// The number forms of a command's parameters: each pointer of the host's
// array may be null, and a null one reads as 0 and takes no output.
#pragma once

#include <cstdint>
#include <cstring>

namespace xMorvaCommandParams {

// The value of parameter i, in the machine's order, or 0 when it is missing.
template <typename T>
T ValueAt(void** p, int i) {
  T value{};
  if (p != nullptr && p[i] != nullptr) std::memcpy(&value, p[i], sizeof value);
  return value;
}

inline int32_t LongAt(void** p, int i) { return ValueAt<int32_t>(p, i); }
inline int16_t WordAt(void** p, int i) { return ValueAt<int16_t>(p, i); }
inline uint32_t HandleAt(void** p, int i) { return ValueAt<uint32_t>(p, i); }
inline double RealAt(void** p, int i) { return ValueAt<double>(p, i); }

// Writes an output through the pointer `slot` (parameter i, or the result);
// nothing when the host gave none.
template <typename T>
void PutValue(void* slot, T value) {
  if (slot != nullptr) std::memcpy(slot, &value, sizeof value);
}
inline void* SlotAt(void** p, int i) { return p != nullptr ? p[i] : nullptr; }
inline void PutLongAt(void** p, int i, int32_t value) { PutValue(SlotAt(p, i), value); }
inline void PutWordAt(void** p, int i, int16_t value) { PutValue(SlotAt(p, i), value); }
inline void PutRealAt(void** p, int i, double value) { PutValue(SlotAt(p, i), value); }

}  // namespace xMorvaCommandParams
