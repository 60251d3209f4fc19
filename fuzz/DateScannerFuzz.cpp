// Fuzz target of the time and date scanners: the text after the first byte
// read as a time and as a date, under the separators, date order, designator
// and century rule that byte chooses; then, as a string's text, by the
// string's own readers under the environment's settings.
#include <string_view>

#include "framework/core/strings/VUniString.h"
#include "framework/core/values/VDateTimeText.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartFuzzServices();
  FuzzInput input(data, size);
  const uint8_t choice = input.TakeByte();
  const std::string_view text(reinterpret_cast<const char*>(input.Rest()), input.RestSize());
  static constexpr char kSeparators[] = {':', '/', '.', '-'};
  const char separator = kSeparators[choice & 3];
  const bool designator = (choice & 4) != 0;
  const int32_t hourOffset = (choice & 8) != 0 ? 12 : 0;
  volatile int32_t seconds = ParseTimeText(text, separator, hourOffset, designator);
  (void)seconds;

  // Orders 0 to 5 and one outside them; with and without a pivot year.
  const int32_t order = (choice >> 4) % 7;
  VCenturyRule rule;
  rule.currentYear = 2026;
  if ((choice & 0x80) != 0) {
    rule.pivotYear = 30;
    rule.century = 1900;
  }
  const VDateRec date = ParseDateText(text, separator, order, rule);
  volatile int32_t day = date.day;

  VStr<255> string;
  string.SetChars(text.data(), 0, int32_t(text.size() < 255 ? text.size() : 255), kCharSetAnsi);
  seconds = string.GetTime(kWholeValue);
  VDateRec stringDate;
  day = string.GetDate(stringDate, kWholeValue).day;
  (void)day;
  return 0;
}
