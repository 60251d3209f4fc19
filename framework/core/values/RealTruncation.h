// Reals to integers: truncation toward zero, shared by the numeric values and
// the text forms of numbers.
#pragma once

#include <cstdint>

// The integer part of `value`, the fraction dropped toward zero (2.9 gives 2,
// -2.9 gives -2), as a 64-bit integer. A real beyond the 64-bit range (the
// infinities among them) saturates at the nearer bound; NaN gives 0.
int64_t RealToLongLong(double value);

// The 32-bit and 16-bit results keep the low bits of RealToLongLong, so that
// 70000.7 gives the word 4464 as the values always have. Only a real beyond
// the 64-bit range, whose low bits would mean nothing, saturates at the
// bounds of the narrower result instead; NaN gives 0.
int32_t RealToLong(double value);
int16_t RealToWord(double value);
