// Reading times and dates from text: the scanners behind the string's
// GetTime and GetDate, given the settings they read from the environment
// and the host, so that they can be called on any byte text.
#pragma once

#include <cstdint>
#include <string_view>

#include "framework/core/values/VValue.h"

// The answer of a time reader for a text that is no time.
constexpr int32_t kNoTime = INT32_MIN;

// The seconds of a time text whose morning or afternoon designator (if any)
// the caller has already cut off, with the trailing spaces before it.
// `hourOffset` is 0 for the morning and 12 for the afternoon designator;
// `designator` says that one was found. The text is hours, minutes and
// seconds split by the separator, with an optional "-" in front:
//  - a separator as the first character, a fourth field or any other
//    character ends the scan, and a scan that does not reach the end of the
//    text reads as no time;
//  - a text without a separator reads as no time unless it carried a
//    designator, and so does a text without any digit;
//  - minutes and seconds must lie in 0 to 59; hours are not bounded ("30:00"
//    is 30 hours), but a time beyond the 32-bit count of seconds is no time;
//  - with a designator the hours count on a 12-hour clock: 12 AM is hour 0
//    and 12 PM hour 12.
int32_t ParseTimeText(std::string_view text, char separator, int32_t hourOffset, bool designator);

// The century rule for two-digit years, as the host gives it.
struct VCenturyRule {
  // The pivot year for two-digit years; 0 for none, and then a two-digit
  // year falls in the century of `currentYear`.
  int32_t pivotYear = 0;
  // The century to which a two-digit year at or above the pivot belongs; a
  // year below the pivot belongs to the next one.
  int32_t century = 0;
  int32_t currentYear = 0;
};

// The date of a text of three fields split by the separator, taken in the
// date order (kDateOrderMDY ... kDateOrderYDM; any other counts as
// month-day-year). A "-" before a field's first digit makes the field
// negative; a field without a digit counts as -10. A separator as the first
// character, a fourth field or any other character ends the scan; a scan
// that does not reach the end, or meets no separator, gives the empty date.
// A year of 0 to 99 is widened by the century rule. A day or month below 1,
// a negative year or a field beyond the 16-bit range gives the empty date.
// The date is not normalised: 31 February stays as it is.
VDateRec ParseDateText(std::string_view text, char separator, int32_t order, const VCenturyRule& rule);
