// The text forms of numbers, booleans, times and dates: the string's value
// getters and setters, with the settings read from the environment.
#include <cstring>
#include <string>

#include "framework/core/host/VHostBridge.h"
#include "framework/core/strings/VByteString.h"
#include "framework/core/strings/VString.h"
#include "framework/core/strings/VStringSupport_p.h"
#include "framework/core/strings/VUniString.h"
#include "framework/core/values/VBoolean.h"
#include "framework/core/values/VDate.h"
#include "framework/core/values/VDateTimeText.h"
#include "framework/core/values/VEnvironmentBridge.h"
#include "framework/core/values/VHour.h"
#include "framework/core/values/VLong.h"
#include "framework/core/values/VNumberText.h"
#include "framework/core/values/VReal.h"

namespace {

// The readers look at this many characters of the text.
constexpr int32_t kReadChars = 80;

// The ANSI byte of a separator; a separator without one (which no ANSI text
// could hold either) falls back to the "C" locale's.
char AnsiByteOf(char16_t c, char fallback) {
  std::string out;
  strings_p::UniToBytes(kCharSetAnsi, &c, 1, out);
  return out.size() == 1 && out[0] != '\0' ? out[0] : fallback;
}

char DecimalSeparator() { return AnsiByteOf(GetEnvironmentBridge()->GetDecimalSeparator(), '.'); }
char DateSeparator() { return AnsiByteOf(GetEnvironmentBridge()->GetDateSeparator(), '/'); }
char TimeSeparator() { return AnsiByteOf(GetEnvironmentBridge()->GetTimeSeparator(), ':'); }

// An ANSI copy of the first characters of the text, as every reader takes it.
std::string HeadOf(const VString& s) {
  char buffer[kReadChars + 1];
  s.GetCText(buffer, kReadChars + 1, kCharSetAnsi);
  return std::string(buffer);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A number in the form NewValueFromText takes as one: an optional sign,
// digits, at most one decimal separator with digits, and at most one
// exponent with an optional sign and digits. At least one mantissa digit.
struct NumberShape {
  bool isNumber = false;
  bool whole = false;
  int32_t digits = 0;
};

NumberShape ShapeOf(const std::string& text, char separator) {
  NumberShape shape;
  size_t i = 0;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
  bool fraction = false;
  int32_t digits = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (IsDigit(c)) {
      ++digits;
    } else if (c == separator && !fraction) {
      fraction = true;
    } else {
      break;
    }
  }
  if (digits == 0) return shape;
  bool exponent = false;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    exponent = true;
    ++i;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
    const size_t first = i;
    while (i < text.size() && IsDigit(text[i])) ++i;
    if (i == first) return shape;
  }
  if (i != text.size()) return shape;
  shape.isNumber = true;
  shape.whole = !fraction && !exponent;
  shape.digits = digits;
  return shape;
}

}  // namespace

// ---- Readers

int16_t VString::GetWord(int32_t) const { return ParseWord(HeadOf(*this), DecimalSeparator()); }
int32_t VString::GetLong(int32_t) const { return ParseLong(HeadOf(*this), DecimalSeparator()); }
int64_t VString::GetLongLong(int32_t) const { return ParseLongLong(HeadOf(*this), DecimalSeparator()); }
double VString::GetReal(int32_t) const { return ParseReal(HeadOf(*this), DecimalSeparator()); }

bool VString::GetBoolean(int32_t) const {
  VStr<255> trueText;
  GetEnvironmentBridge()->GetBooleanText(trueText, true);
  // Without a word for true nothing reads as true: an empty text would
  // otherwise equal it.
  if (trueText.GetLength() == 0) return false;
  return Compare(trueText, false) == 0;
}

int32_t VString::GetTime(int32_t) const {
  VAnsiStr<kReadChars> head;
  head.SetCText(HeadOf(*this).c_str(), kCharSetAnsi);
  int32_t end = head.GetLength();
  int32_t hourOffset = 0;
  bool designator = false;
  VStr<255> marker;
  for (int pass = 0; pass < 2 && !designator; ++pass) {
    if (pass == 0)
      GetEnvironmentBridge()->GetMorningText(marker);
    else
      GetEnvironmentBridge()->GetAfternoonText(marker);
    const int32_t length = marker.GetLength();
    if (length == 0 || head.GetLength() < length) continue;
    const int32_t found = head.Find(marker, head.GetLength() - length + 1, false);
    if (found == 0) continue;
    designator = true;
    hourOffset = pass == 0 ? 0 : 12;
    end = found - 1;
    while (end > 0 && head.GetCharAt(end) == u' ') --end;
  }
  std::string text = strings_p::ByteTextOf(head, kCharSetAnsi);
  text.resize(static_cast<size_t>(end));
  return ParseTimeText(text, TimeSeparator(), hourOffset, designator);
}

VDateRec& VString::GetDate(VDateRec& date, int32_t) const {
  VCenturyRule rule;
  if (VHostBridge* host = VHostBridgeService::Get()) host->HostGetCenturyPivot(rule.pivotYear, rule.century);
  if (rule.pivotYear == 0) rule.currentYear = GetEnvironmentBridge()->GetLocalDateTime().year;
  date = ParseDateText(HeadOf(*this), DateSeparator(), GetEnvironmentBridge()->GetDateOrder(), rule);
  return date;
}

// ---- Setters

void VString::SetInteger(int32_t n, int32_t mode) {
  SetEmpty(false);
  FormatInteger(*this, n, mode, DecimalSeparator());
  SetNull(false, kWholeValue);
}

void VString::SetOSTypeText(uint32_t code) { SetInteger(static_cast<int32_t>(code), kNumberFourCharCode); }
void VString::SetHexWord(int16_t n) { SetInteger(n, kNumberHex4); }

void VString::SetWord(int16_t value, int32_t) { SetInteger(value, kNumberDecimal); }
void VString::SetLong(int32_t value, int32_t) { SetInteger(value, kNumberDecimal); }

void VString::SetLongLong(int64_t value, int32_t) {
  SetEmpty(false);
  FormatLongLong(*this, value);
  SetNull(false, kWholeValue);
}

void VString::SetReal(double value, int32_t) {
  SetEmpty(false);
  FormatReal(*this, value, kNumberGeneral, kDefaultRealDigits, DecimalSeparator());
  SetNull(false, kWholeValue);
}

void VString::SetBoolean(uint8_t value, int32_t) {
  VStr<255> word;
  GetEnvironmentBridge()->GetBooleanText(word, value != 0);
  SetEmpty(false);
  CopyText(word);
  SetNull(false, kWholeValue);
}

void VString::SetTime(int32_t seconds, int32_t) {
  Clear();
  AppendTimeText(seconds, 0);
  SetNull(false, kWholeValue);
}

void VString::SetDate(const VDateRec& date, int32_t) {
  // The record may lie in this string's own storage: take it first.
  const VDateRec copy = date;
  Clear();
  AppendDateText(copy, 0);
  SetNull(false, kWholeValue);
}

void VString::SetTime(const VValue& time) { SetTime(time.GetTime(kWholeValue), kWholeValue); }

void VString::SetDate(const VValue& date) {
  VDateRec record;
  date.GetDate(record, kWholeValue);
  SetDate(record, kWholeValue);
}

// ---- Guessing the kind of a text

VValue* VString::NewValueFromText(bool keepAsString) const {
  const char separator = DecimalSeparator();
  const NumberShape shape = ShapeOf(strings_p::ByteTextOf(*this, kCharSetAnsi), separator);
  if (shape.isNumber) {
    // Nine digits always fit in 32 bits.
    if (shape.whole && shape.digits <= 9) return new VLong(GetLong(kWholeValue));
    return new VReal(GetReal(kWholeValue));
  }
  const int32_t seconds = GetTime(kWholeValue);
  if (seconds != kNoTime) return new VHour(seconds);
  for (const bool word : {true, false}) {
    VStr<255> text;
    GetEnvironmentBridge()->GetBooleanText(text, word);
    if (text.GetLength() != 0 && Compare(text, false) == 0) return new VBoolean(word ? 1 : 0);
  }
  VDateRec date;
  GetDate(date, kWholeValue);
  if (date.day != 0) {
    VDate value(date.day, date.month, date.year);
    value.Normalize();
    VDateRec normal;
    value.GetDate(normal, kWholeValue);
    if (normal.day == date.day && normal.month == date.month && normal.year == date.year)
      return new VDate(date.day, date.month, date.year);
  }
  return keepAsString ? Clone() : nullptr;
}
