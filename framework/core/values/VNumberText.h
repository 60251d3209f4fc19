// The text forms of numbers: the integer and real formatters with their
// modes, and the readers that take a number back from a text. The string's
// number setters and getters are these with the environment's decimal
// separator; the numeric values reach them through those.
#pragma once

#include <cstdint>
#include <string_view>

class VString;

// Modes of FormatInteger: 0 decimal; 16 the four bytes as a four-character
// code, highest first; 17 upper-case hexadecimal with as many digits as
// needed; 18 to 21 exactly 2, 4, 8 or 16 hexadecimal digits (leading zeros
// added, higher digits dropped); 1 to 3 the number as a real through
// FormatReal with its default digits.
constexpr int32_t kNumberDecimal = 0;
constexpr int32_t kNumberFixed = 1;
constexpr int32_t kNumberExponent = 2;
constexpr int32_t kNumberGeneral = 3;
constexpr int32_t kNumberFourCharCode = 16;
constexpr int32_t kNumberHex = 17;
constexpr int32_t kNumberHex2 = 18;
constexpr int32_t kNumberHex4 = 19;
constexpr int32_t kNumberHex8 = 20;
constexpr int32_t kNumberHex16 = 21;

// FormatReal's digits argument that stands for its default, 14.
constexpr int32_t kDefaultRealDigits = -1;

// Each formatter appends its text to `destination` as ANSI text, without
// emptying it first. A mode outside the lists appends nothing.
void FormatInteger(VString& destination, int32_t n, int32_t mode, char decimalSeparator);
// Decimal, "-" in front of a negative number, "0" for zero.
void FormatLongLong(VString& destination, int64_t n);
// Modes 16 to 21 format the real truncated to 32 bits with FormatInteger.
// NaN is "NaN" and an infinity "+" or "-" then the sign U+221E. Mode 1
// (fixed), 2 (exponent, "E") and 3 (general, "G") print with the given digits
// (-1 for 14; mode 2 keeps its own 6), the first "." becoming the decimal
// separator. Mode 0 is the whole number: through FormatInteger inside the
// 32-bit range, otherwise the decimal digits of the 64-bit integer part.
void FormatReal(VString& destination, double x, int32_t mode, int32_t digits, char decimalSeparator);

// The readers take an 8-bit text (the string's first 80 characters) and
// report nothing: a text without digits reads as 0.
//
// ParseLong: a "-" while the number is still 0 makes it negative; digits
// accumulate as number x 10 + digit, wrapping at 32 bits; other characters
// are skipped. The decimal separator ends the integer part, whose fraction
// never counts ("12.9" is 12). An "e" or "E" starts a decimal exponent ("+"
// skipped, "-" negative, other characters skipped) that scales the integer
// part, again wrapping at 32 bits ("2e3" is 2000, "1.5e1" is 10). The sign
// is applied last.
int32_t ParseLong(std::string_view text, char decimalSeparator);
// ParseLong cut to 16 bits.
int16_t ParseWord(std::string_view text, char decimalSeparator);
// Digits accumulate in 64 bits, wrapping; "-" while the number is 0 makes
// it negative; the decimal separator ends the scan; no exponent.
int64_t ParseLongLong(std::string_view text, char decimalSeparator);
// "+" skipped, "-" in the integer part makes the result negative; the
// separator starts the fraction (digit/10, digit/100, ...) and a second one
// ends the scan; "e" or "E" starts a decimal exponent as in ParseLong.
double ParseReal(std::string_view text, char decimalSeparator);
