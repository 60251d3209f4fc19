// The five keystroke filters; separators are read once, when a filter is made.
#include "controls/text/VEntryFilters.h"

#include "framework/core/strings/VUniString.h"
#include "framework/system/environment/VSystemServices.h"

namespace {

bool IsFilterDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// The first character of a locale separator as a Macintosh byte; the
// fallback when the locale gives none; 0 (never typed) when it has no
// Macintosh form, so that it cannot stand in for another separator.
char16_t SeparatorAsMacChar(char16_t separator, char16_t fallback) {
  if (separator == 0) return fallback;
  VStr<4> text;
  text.SetUniChar(separator);
  char bytes[4] = {0};
  if (text.ConvertInto(bytes, 1, kCharSetMac) != 1) return 0;
  return static_cast<char16_t>(static_cast<uint8_t>(bytes[0]));
}

}  // namespace

char16_t LocaleDecimalSeparator() {
  return SeparatorAsMacChar(gSystemServices != nullptr ? gSystemServices->GetDecimalSeparator() : 0, u'.');
}

char16_t LocaleThousandsSeparator() {
  return SeparatorAsMacChar(gSystemServices != nullptr ? gSystemServices->GetThousandsSeparator() : 0,
                   u',');
}

VEntryFilter* MakeEntryFilter(int16_t kind) {
  switch (kind) {
    case kFilterSignedInteger: return new VSignedIntegerFilter;
    case kFilterUnsignedInteger: return new VUnsignedIntegerFilter;
    case kFilterSignedReal: return new VSignedRealFilter;
    case kFilterUnsignedReal: return new VUnsignedRealFilter;
    default: return nullptr;
  }
}

VSignedIntegerFilter::VSignedIntegerFilter() : fThousands(LocaleThousandsSeparator()) {}

bool VSignedIntegerFilter::AcceptsChar(const char16_t* character, int32_t position) const {
  const char16_t c = *character;
  if (IsFilterDigit(c)) return true;
  return position == 0 ? c == u'-' : c == fThousands;
}

VUnsignedIntegerFilter::VUnsignedIntegerFilter() : fThousands(LocaleThousandsSeparator()) {}

bool VUnsignedIntegerFilter::AcceptsChar(const char16_t* character, int32_t position) const {
  const char16_t c = *character;
  return IsFilterDigit(c) || (position > 0 && c == fThousands);
}

VSignedRealFilter::VSignedRealFilter()
    : fThousands(LocaleThousandsSeparator()), fDecimal(LocaleDecimalSeparator()) {}

bool VSignedRealFilter::AcceptsChar(const char16_t* character, int32_t position) const {
  const char16_t c = *character;
  if (IsFilterDigit(c)) return true;
  return position == 0 ? c == u'-' : c == fThousands || c == fDecimal;
}

VUnsignedRealFilter::VUnsignedRealFilter()
    : fThousands(LocaleThousandsSeparator()), fDecimal(LocaleDecimalSeparator()) {}

bool VUnsignedRealFilter::AcceptsChar(const char16_t* character, int32_t position) const {
  const char16_t c = *character;
  return IsFilterDigit(c) || (position > 0 && (c == fThousands || c == fDecimal));
}

bool VCharRangeFilter::AcceptsChar(const char16_t* character, int32_t) const {
  return fLow <= *character && *character <= fHigh;
}
