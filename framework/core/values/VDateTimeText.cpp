// Reading times and dates from text.
#include "framework/core/values/VDateTimeText.h"

#include "framework/core/values/VEnvironmentBridge.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Digits accumulate decimally; a field stops growing at this bound, far
// beyond anything either reader accepts, so a long run of digits can never
// wrap around into a value that looks valid.
constexpr int64_t kFieldBound = int64_t(1) << 40;

void AddDigit(int64_t& field, char c) {
  if (field < kFieldBound) field = field * 10 + (c - '0');
}

}  // namespace

int32_t ParseTimeText(std::string_view text, char separator, int32_t hourOffset, bool designator) {
  int64_t fields[3] = {0, 0, 0};
  int field = 0;
  bool negative = false;
  bool anyDigit = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '-' && i == 0) {
      negative = true;
    } else if (c == separator && i != 0) {
      if (field == 2) return kNoTime;  // a fourth field: the scan stops short
      ++field;
    } else if (IsDigit(c)) {
      AddDigit(fields[field], c);
      anyDigit = true;
    } else {
      return kNoTime;
    }
  }
  if (!anyDigit || (field == 0 && !designator)) return kNoTime;
  const int64_t minutes = fields[1];
  const int64_t seconds = fields[2];
  if (minutes > 59 || seconds > 59) return kNoTime;
  int64_t hours = fields[0];
  // On a 12-hour clock twelve o'clock starts the half: 12 AM is 0 h and
  // 12 PM is 12 h.
  if (designator && hours == 12) hours = 0;
  hours += hourOffset;
  const int64_t total = hours * 3600 + minutes * 60 + seconds;
  // The no-time value itself is no answer for a time that is one.
  if (total > INT32_MAX) return kNoTime;
  return static_cast<int32_t>(negative ? -total : total);
}

VDateRec ParseDateText(std::string_view text, char separator, int32_t order, const VCenturyRule& rule) {
  int64_t fields[3] = {0, 0, 0};
  bool hasDigit[3] = {false, false, false};
  bool negative[3] = {false, false, false};
  int field = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '-' && !hasDigit[field]) {
      negative[field] = true;
    } else if (c == separator && i != 0) {
      if (field == 2) return VDateRec{};
      ++field;
    } else if (IsDigit(c)) {
      AddDigit(fields[field], c);
      hasDigit[field] = true;
    } else {
      return VDateRec{};
    }
  }
  if (field == 0) return VDateRec{};
  for (int k = 0; k < 3; ++k) {
    if (!hasDigit[k])
      fields[k] = -10;
    else if (negative[k])
      fields[k] = -fields[k];
  }

  int64_t day = 0;
  int64_t month = 0;
  int64_t year = 0;
  switch (order) {
    case kDateOrderDMY: day = fields[0], month = fields[1], year = fields[2]; break;
    case kDateOrderYMD: year = fields[0], month = fields[1], day = fields[2]; break;
    case kDateOrderMYD: month = fields[0], year = fields[1], day = fields[2]; break;
    case kDateOrderDYM: day = fields[0], year = fields[1], month = fields[2]; break;
    case kDateOrderYDM: year = fields[0], day = fields[1], month = fields[2]; break;
    default: month = fields[0], day = fields[1], year = fields[2]; break;
  }

  if (year >= 0 && year <= 99) {
    if (rule.pivotYear != 0)
      year += (year < rule.pivotYear ? int64_t(rule.century) + 1 : int64_t(rule.century)) * 100;
    else
      year += int64_t(rule.currentYear) / 100 * 100;
  }

  if (day < 1 || month < 1 || year < 0) return VDateRec{};
  if (day > INT16_MAX || month > INT16_MAX || year > INT16_MAX) return VDateRec{};
  VDateRec date;
  date.day = static_cast<int16_t>(day);
  date.month = static_cast<int16_t>(month);
  date.year = static_cast<int16_t>(year);
  return date;
}
