// The keystroke filters of numeric toolbar fields: signed and unsigned
// integers and reals with the locale's separators, and a range of
// characters. Each answers only whether one character is acceptable at one
// position; the text-edit frame drives them key by key.
#pragma once

#include <cstdint>

#include "framework/core/filters/VEntryFilter.h"

// Filter kinds of the edit field's and the drop-down list's templates.
constexpr int16_t kFilterSignedInteger = -1;
constexpr int16_t kFilterUnsignedInteger = -2;
constexpr int16_t kFilterSignedReal = -3;
constexpr int16_t kFilterUnsignedReal = -4;

// A new filter of a template's kind, owned by the caller; null for any
// other kind (no filter).
VEntryFilter* MakeEntryFilter(int16_t kind);

// The locale's separators as Macintosh characters (the frame types Macintosh
// bytes): the first character of each, '.' and ',' without a locale.
char16_t LocaleDecimalSeparator();
char16_t LocaleThousandsSeparator();

// Digits anywhere; '-' only at position 0; the thousands separator after it.
class VSignedIntegerFilter : public VEntryFilter {
 public:
  VSignedIntegerFilter();
  bool AcceptsChar(const char16_t* character, int32_t position) const override;

 protected:
  char16_t fThousands;
};

class VUnsignedIntegerFilter : public VEntryFilter {
 public:
  VUnsignedIntegerFilter();
  bool AcceptsChar(const char16_t* character, int32_t position) const override;

 protected:
  char16_t fThousands;
};

// As the integers, with the decimal separator after position 0. Neither
// counts separators: each character is judged alone.
class VSignedRealFilter : public VEntryFilter {
 public:
  VSignedRealFilter();
  bool AcceptsChar(const char16_t* character, int32_t position) const override;

 protected:
  char16_t fThousands;
  char16_t fDecimal;
};

class VUnsignedRealFilter : public VEntryFilter {
 public:
  VUnsignedRealFilter();
  bool AcceptsChar(const char16_t* character, int32_t position) const override;

 protected:
  char16_t fThousands;
  char16_t fDecimal;
};

// Characters from low to high, both inclusive, at any position.
class VCharRangeFilter : public VEntryFilter {
 public:
  VCharRangeFilter(char16_t low, char16_t high) : fLow(low), fHigh(high) {}
  bool AcceptsChar(const char16_t* character, int32_t position) const override;

 protected:
  char16_t fLow;
  char16_t fHigh;
};
