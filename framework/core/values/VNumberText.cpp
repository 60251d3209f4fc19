// Formatting and reading numbers as text.
#include "framework/core/values/VNumberText.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include "framework/core/strings/VString.h"
#include "framework/core/values/RealTruncation.h"

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";
constexpr char16_t kInfinitySign = 0x221E;

void AppendAnsi(VString& destination, const char* text, size_t count) {
  destination.AppendChars(text, static_cast<int32_t>(count), kCharSetAnsi);
}

// The decimal digits of a magnitude, "-" in front when asked; built right to
// left in a buffer large enough for any 64-bit number.
void AppendDecimal(VString& destination, uint64_t magnitude, bool negative) {
  char buffer[24];
  char* p = buffer + sizeof buffer;
  do {
    *--p = char('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (negative) *--p = '-';
  AppendAnsi(destination, p, size_t(buffer + sizeof buffer - p));
}

// `count` hexadecimal digits of the 32-bit pattern of n (0 for as many as
// needed); digits above the 32 bits are zeros.
void AppendHex(VString& destination, uint32_t n, int count) {
  char buffer[16];
  char* p = buffer + sizeof buffer;
  uint32_t rest = n;
  if (count == 0) {
    do {
      *--p = kHexDigits[rest & 0xF];
      rest >>= 4;
    } while (rest != 0);
  } else {
    for (int i = 0; i < count; ++i) {
      *--p = kHexDigits[rest & 0xF];
      rest >>= 4;
    }
  }
  AppendAnsi(destination, p, size_t(buffer + sizeof buffer - p));
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The decimal exponent that follows an "e" or "E": "+" skipped, "-" makes it
// negative, other characters skipped; the magnitude wraps at 32 bits.
struct Exponent {
  uint32_t magnitude = 0;
  bool negative = false;
};

Exponent ReadExponent(std::string_view rest) {
  Exponent exponent;
  for (const char c : rest) {
    if (c == '-')
      exponent.negative = true;
    else if (IsDigit(c))
      exponent.magnitude = exponent.magnitude * 10u + uint32_t(c - '0');
  }
  return exponent;
}

}  // namespace

void FormatInteger(VString& destination, int32_t n, int32_t mode, char decimalSeparator) {
  const uint32_t bits = static_cast<uint32_t>(n);
  switch (mode) {
    case kNumberDecimal: {
      const int64_t wide = n;
      AppendDecimal(destination, uint64_t(wide < 0 ? -wide : wide), wide < 0);
      return;
    }
    case kNumberFixed:
    case kNumberExponent:
    case kNumberGeneral:
      FormatReal(destination, n, mode, kDefaultRealDigits, decimalSeparator);
      return;
    case kNumberFourCharCode: {
      const char code[4] = {char(bits >> 24), char(bits >> 16), char(bits >> 8), char(bits)};
      AppendAnsi(destination, code, 4);
      return;
    }
    case kNumberHex: AppendHex(destination, bits, 0); return;
    case kNumberHex2: AppendHex(destination, bits, 2); return;
    case kNumberHex4: AppendHex(destination, bits, 4); return;
    case kNumberHex8: AppendHex(destination, bits, 8); return;
    case kNumberHex16: AppendHex(destination, bits, 16); return;
    default: return;  // no text for a mode that has none
  }
}

void FormatLongLong(VString& destination, int64_t n) {
  const uint64_t bits = static_cast<uint64_t>(n);
  AppendDecimal(destination, n < 0 ? 0 - bits : bits, n < 0);
}

void FormatReal(VString& destination, double x, int32_t mode, int32_t digits, char decimalSeparator) {
  if (mode > kNumberGeneral) {
    if (mode >= kNumberFourCharCode && mode <= kNumberHex16)
      FormatInteger(destination, RealToLong(x), mode, decimalSeparator);
    return;
  }
  if (mode < kNumberDecimal) return;
  if (std::isnan(x)) {
    AppendAnsi(destination, "NaN", 3);
    return;
  }
  if (std::isinf(x)) {
    destination.AppendUniChar(x > 0 ? u'+' : u'-');
    destination.AppendUniChar(kInfinitySign);
    return;
  }
  if (mode == kNumberDecimal) {
    if (x >= -2147483648.0 && x < 2147483647.0) {
      FormatInteger(destination, RealToLong(x), kNumberDecimal, decimalSeparator);
    } else {
      FormatLongLong(destination, RealToLongLong(x));
    }
    return;
  }
  // The C library's %f, %E and %G in the "C" locale, whatever locale the
  // host has set: the decimal point is put in below.
  const int precision = mode == kNumberExponent ? 6 : digits < 0 ? 14 : digits;
  const std::chars_format format = mode == kNumberFixed      ? std::chars_format::fixed
                                   : mode == kNumberExponent ? std::chars_format::scientific
                                                             : std::chars_format::general;
  // The longest text: 309 integer digits of the largest real, the point and
  // the fraction digits; a precision beyond the buffer is cut to fit.
  char buffer[720];
  const int room = int(sizeof buffer) - 320;
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, x, format,
                                    precision < room ? precision : room);
  if (result.ec != std::errc()) return;
  const size_t length = size_t(result.ptr - buffer);
  bool pointDone = false;
  for (size_t i = 0; i < length; ++i) {
    if (buffer[i] == 'e') buffer[i] = 'E';
    if (buffer[i] == '.' && !pointDone) {
      buffer[i] = decimalSeparator;
      pointDone = true;
    }
  }
  AppendAnsi(destination, buffer, length);
}

int32_t ParseLong(std::string_view text, char decimalSeparator) {
  // Unsigned arithmetic: the number wraps at 32 bits as stored numbers always
  // have, without the undefined overflow of a signed accumulator.
  uint32_t value = 0;
  bool negative = false;
  size_t i = 0;
  std::string_view exponentText;
  bool hasExponent = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '-' && value == 0) {
      negative = true;
    } else if (c == decimalSeparator || c == 'e' || c == 'E') {
      // The fraction never counts: skip to an exponent or the end.
      size_t e = c == decimalSeparator ? i + 1 : i;
      while (e < text.size() && text[e] != 'e' && text[e] != 'E') ++e;
      if (e < text.size()) {
        hasExponent = true;
        exponentText = text.substr(e + 1);
      }
      break;
    } else if (IsDigit(c)) {
      value = value * 10u + uint32_t(c - '0');
    }
  }
  if (hasExponent) {
    const Exponent exponent = ReadExponent(exponentText);
    // 10 to the 32nd is a multiple of 2 to the 32nd, and no 32-bit number
    // survives ten divisions by 10: the loops stop there.
    if (exponent.negative) {
      for (uint32_t k = 0; k < exponent.magnitude && value != 0; ++k) value /= 10u;
    } else {
      for (uint32_t k = 0; k < exponent.magnitude && k < 32 && value != 0; ++k) value *= 10u;
      if (exponent.magnitude >= 32) value = 0;
    }
  }
  if (negative) value = 0u - value;
  return static_cast<int32_t>(value);
}

int16_t ParseWord(std::string_view text, char decimalSeparator) {
  return static_cast<int16_t>(static_cast<uint16_t>(ParseLong(text, decimalSeparator)));
}

int64_t ParseLongLong(std::string_view text, char decimalSeparator) {
  uint64_t value = 0;
  bool negative = false;
  for (const char c : text) {
    if (c == decimalSeparator) break;
    if (c == '-' && value == 0)
      negative = true;
    else if (IsDigit(c))
      value = value * 10u + uint64_t(c - '0');
  }
  if (negative) value = 0 - value;
  return static_cast<int64_t>(value);
}

double ParseReal(std::string_view text, char decimalSeparator) {
  double value = 0.0;
  double divisor = 1.0;
  bool negative = false;
  bool inFraction = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == decimalSeparator) {
      if (inFraction) break;
      inFraction = true;
    } else if (c == 'e' || c == 'E') {
      const Exponent exponent = ReadExponent(text.substr(i + 1));
      // Zero stays zero: a huge exponent must not turn it into 0 x infinity.
      const double power = double(exponent.magnitude);
      if (value != 0.0) value *= std::pow(10.0, exponent.negative ? -power : power);
      break;
    } else if (c == '-') {
      if (!inFraction) negative = true;
    } else if (IsDigit(c)) {
      if (!inFraction) {
        value = value * 10.0 + (c - '0');
      } else {
        divisor *= 10.0;
        value += (c - '0') / divisor;
      }
    }
  }
  return negative ? -value : value;
}
