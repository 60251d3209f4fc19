// Internals of the typed arrays: the integer conversions that the element
// kinds share and the passage of an element's text through a display format.
#pragma once

#include <cstdint>

class VString;

namespace arrays_p {

// The low 32 and 16 bits, read as signed.
inline int32_t Low32(int64_t value) { return int32_t(uint32_t(uint64_t(value))); }
inline int16_t Low16(int64_t value) { return int16_t(uint16_t(uint64_t(value))); }

// -1, 0 or 1 as a is below, equal to or above b.
template <typename T>
int32_t Order(T a, T b) {
  return a < b ? -1 : (b < a ? 1 : 0);
}

// The element's text, set into `text` beforehand, under the host's display
// format for numbers or for texts; nothing without a format.
void ApplyNumberFormatTo(VString& text, const VString* format);
void ApplyTextFormatTo(VString& text, const VString* format);

}  // namespace arrays_p
