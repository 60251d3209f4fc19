// Byte reversal of values in place, and conversion of reals to and from the
// 80-bit extended form of the oldest stored formats. These sit with the
// streams because the streams use them for every value they swap; the
// resource byte-order procedure and the format readers call them too.
#pragma once

#include <cstdint>

void Swap16(void* value);
void Swap32(void* value);
void Swap64(void* value);
// Reverse each of n consecutive values; n of 0 or less does nothing.
void SwapArray16(void* values, int32_t n);
void SwapArray32(void* values, int32_t n);
void SwapDouble(void* value);
void SwapDoubleArray(void* values, int32_t n);

// The extended form: 10 bytes, most significant first: sign and 15-bit
// exponent (bias 16383), then a 64-bit mantissa with an explicit leading bit.
void DoubleToExtended(const double* source, uint8_t* destination);
// Rounds to the nearest real; infinities and NaNs keep their kind.
void ExtendedToDouble(const uint8_t* source, double* destination);
// n values, stepping 8 bytes on the real side and 10 on the extended side.
void DoubleArrayToExtended(const double* source, uint8_t* destination, int32_t n);
void ExtendedArrayToDouble(const uint8_t* source, double* destination, int32_t n);
