// FormatListNumber: the text of a number in one of the list-number styles
// (digits, letters, Roman numerals, the names of styles 5 and 6), written
// backwards into a fixed field as page numbers and list items use it.
#pragma once

#include <cstdint>

// The result field of a number holds this many units: the widest numeral,
// MMMDCCCLXXXVIII, fits exactly.
constexpr int32_t kListNumberUnits = 15;

// Writes the text of n in `style` (0 to 6) backwards, its last unit at
// `last`, and answers how many units it wrote. At most kListNumberUnits
// units are written, the last ones of a longer text (a name of style 5 or 6
// may be longer), so `last` must have that many units before it, itself
// included. n below 1, a style outside 0 to 6, and Roman numerals (3, 4)
// outside 1 to 3999 write nothing.
int32_t FormatListNumber(int32_t n, int32_t style, char16_t* last);

// The names of styles 5 and 6 are read from the package's lists once, on
// first use; this forgets them (when the package stops, and in tests).
void ForgetListNumberNames();
