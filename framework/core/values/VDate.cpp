// The date value and its calendar arithmetic.
#include "framework/core/values/VDate.h"

#include <cstring>

#include "framework/core/streams/VStream.h"
#include "framework/core/strings/VDisplayFormats.h"
#include "framework/core/strings/VString.h"
#include "framework/core/values/VEnvironmentBridge.h"

namespace {

constexpr int64_t kSecondsPerDay = 86400;

// Floor division and remainder: months and days before the start of a year
// carry back into the previous one.
constexpr int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }
constexpr int64_t FloorMod(int64_t a, int64_t b) { return a - FloorDiv(a, b) * b; }

// Days from 1 January 1970 to the first of month m (1 to 12) of year y, in
// the Gregorian calendar run back over every year. The year is counted from
// March so that the leap day falls at its end.
constexpr int64_t DaysToFirstOfMonth(int64_t y, int64_t m) {
  if (m <= 2) --y;
  const int64_t era = FloorDiv(y, 400);
  const int64_t yearOfEra = y - era * 400;
  const int64_t dayOfYear = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5;
  const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

// 1 January of year 0, counted from 1 January 1970.
constexpr int64_t kYearZero = DaysToFirstOfMonth(0, 1);
static_assert(kYearZero == -719528, "1 January of year 0 lies 719528 days before 1970");

struct CivilDate {
  int64_t year;
  int64_t month;
  int64_t day;
};

// The reverse of DaysToFirstOfMonth plus the day: the date of a day counted
// from 1 January 1970.
CivilDate DateOfDays(int64_t days) {
  days += 719468;
  const int64_t era = FloorDiv(days, 146097);
  const int64_t dayOfEra = days - era * 146097;
  const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;
  CivilDate date;
  date.day = dayOfYear - (153 * shiftedMonth + 2) / 5 + 1;
  date.month = shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9;
  date.year = yearOfEra + era * 400 + (date.month <= 2 ? 1 : 0);
  return date;
}

// The day count from 1 January of year 0, the month carried into the years
// and the day run on from the first of the month.
int64_t DayCountOf(const VDateRec& date) {
  const int64_t month = date.month;
  const int64_t year = int64_t(date.year) + FloorDiv(month - 1, 12);
  const int64_t firstOfMonth = DaysToFirstOfMonth(year, FloorMod(month - 1, 12) + 1);
  return firstOfMonth - kYearZero + (int64_t(date.day) - 1);
}

bool IsEmpty(const VDateRec& date) { return date.day == 0 && date.month == 0 && date.year == 0; }

int16_t Add16(int16_t a, int16_t b) {
  return static_cast<int16_t>(static_cast<uint16_t>(a) + static_cast<uint16_t>(b));
}

}  // namespace

VDateInMem::VDateInMem(VDateRec* data, bool clear) : fData(data) {
  if (clear) Clear();
}

void VDateInMem::Store(const VDateRec& date) {
  if (fData != nullptr) *fData = date;
}

VValue* VDateInMem::Clone() const {
  const VDateRec date = Datum();
  return new VDate(date.day, date.month, date.year);
}

void VDateInMem::Clear() {
  Store(VDateRec{});
  SetNull(false, kWholeValue);
}

int32_t VDateInMem::GetKind() const { return kValueDate; }

VDateRec& VDateInMem::GetDate(VDateRec& date, int32_t) const {
  date = Datum();
  return date;
}

void VDateInMem::SetDate(const VDateRec& date, int32_t) {
  Store(date);
  SetNull(false, kWholeValue);
  Normalize();
}

void VDateInMem::CopyTo(VValue& destination, int32_t) const {
  const VDateRec date = Datum();
  destination.SetDate(date, kWholeValue);
}

void VDateInMem::FormatTo(VString& destination, const VString* format, int32_t) const {
  const VDateRec date = Datum();
  destination.SetDate(date, kWholeValue);
  if (format != nullptr) ApplyTextFormat(destination, *format);
}

void VDateInMem::SetString(const VString& source, int32_t) {
  SetNull(source.IsNull(kWholeValue), kWholeValue);
  if (IsNull(kWholeValue)) return;
  VDateRec date;
  source.GetDate(date, kWholeValue);
  Store(date);
  Normalize();
}

void VDateInMem::Assign(const VValue& source, int32_t) {
  VDateRec date;
  source.GetDate(date, kWholeValue);
  Store(date);
  SetNull(source.IsNull(kWholeValue), kWholeValue);
  if (!IsNull(kWholeValue)) Normalize();
}

int32_t VDateInMem::Compare(const VValue& other, int32_t, int32_t) const {
  VDateRec date;
  other.GetDate(date, kWholeValue);
  return Compare(date);
}

const uint8_t* VDateInMem::FromData(const uint8_t* data, int32_t) {
  if (data == nullptr) return data;
  VDateRec date;
  std::memcpy(&date.day, data, 2);
  std::memcpy(&date.month, data + 2, 2);
  std::memcpy(&date.year, data + 4, 2);
  Store(date);
  SetNull(false, kWholeValue);
  return data + 6;
}

uint8_t* VDateInMem::ToData(uint8_t* data, int32_t) const {
  if (data == nullptr) return data;
  const VDateRec date = Datum();
  std::memcpy(data, &date.day, 2);
  std::memcpy(data + 2, &date.month, 2);
  std::memcpy(data + 4, &date.year, 2);
  return data + 6;
}

uint32_t VDateInMem::GetDataSize() const { return 6; }

int32_t VDateInMem::ReadFromStream(VStream& stream, uint32_t) {
  if (fData == nullptr) {
    stream.Skip(6);
    return stream.GetStatus();
  }
  VDateRec date;
  date.year = stream.GetWord();
  date.month = stream.GetWord();
  date.day = stream.GetWord();
  // A date that did not arrive whole leaves the value as it was.
  if (stream.GetStatus() <= 0) Store(date);
  return stream.GetStatus();
}

int32_t VDateInMem::WriteToStream(VStream& stream, uint32_t tag) {
  const VDateRec date = Datum();
  if (tag == kTagVVAL) stream.PutLong(kValueDate);
  stream.PutWord(date.year);
  stream.PutWord(date.month);
  stream.PutWord(date.day);
  return stream.GetStatus();
}

void VDateInMem::SetToday() {
  const VLocalDateTime now = GetEnvironmentBridge()->GetLocalDateTime();
  VDateRec date;
  date.day = static_cast<int16_t>(now.day);
  date.month = static_cast<int16_t>(now.month);
  date.year = static_cast<int16_t>(now.year);
  Store(date);
  SetNull(false, kWholeValue);
}

int32_t VDateInMem::Compare(const VDateRec& date) const {
  const VDateRec mine = Datum();
  if (mine.year != date.year) return mine.year > date.year ? 1 : -1;
  if (mine.month != date.month) return mine.month > date.month ? 1 : -1;
  if (mine.day != date.day) return mine.day > date.day ? 1 : -1;
  return 0;
}

int32_t VDateInMem::GetDayOfWeek() const {
  // 1 January of year 0 was a Saturday.
  return static_cast<int32_t>(FloorMod(DayCountOf(Datum()) + 6, 7));
}

int64_t VDateInMem::GetSeconds() const { return DayCountOf(Datum()) * kSecondsPerDay; }

void VDateInMem::SetSeconds(int64_t seconds) {
  const CivilDate civil = DateOfDays(seconds / kSecondsPerDay + kYearZero);
  if (civil.year < INT16_MIN || civil.year > INT16_MAX) return;
  VDateRec date;
  date.day = static_cast<int16_t>(civil.day);
  date.month = static_cast<int16_t>(civil.month);
  date.year = static_cast<int16_t>(civil.year);
  Store(date);
}

void VDateInMem::Normalize() {
  // The empty date means "no date"; carrying it would make a date of it.
  if (IsEmpty(Datum())) return;
  SetSeconds(GetSeconds());
}

void VDateInMem::Add(int16_t years, int16_t months, int16_t days) {
  VDateRec date = Datum();
  date.year = Add16(date.year, years);
  date.month = Add16(date.month, months);
  date.day = Add16(date.day, days);
  Store(date);
  Normalize();
}

int64_t VDateInMem::Difference(const VDateInMem& other) const { return GetSeconds() - other.GetSeconds(); }

VDate::VDate() : VDateInMem(&fDate, false), fDate() {}

VDate::VDate(int16_t day, int16_t month, int16_t year) : VDateInMem(&fDate, false), fDate() {
  fDate.day = day;
  fDate.month = month;
  fDate.year = year;
}

VDate::VDate(const VDate& other) : VDateInMem(&fDate, false), fDate(other.Datum()) { fNull = other.fNull; }

VDate& VDate::operator=(const VDate& other) {
  fDate = other.Datum();
  fNull = other.fNull;
  return *this;
}
