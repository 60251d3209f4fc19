// The date value: the calendar rules that keep a date valid, day counting,
// weekdays, comparison, the moves between values, the flat and stored forms.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "framework/core/strings/VDisplayFormats.h"
#include "framework/core/strings/VUniString.h"
#include "framework/core/tests/FakeEnvironment.h"
#include "framework/core/tests/ValueStreamSupport.h"
#include "framework/core/values/VDate.h"
#include "framework/core/values/VHour.h"
#include "framework/core/values/VLong.h"
#include "testsupport/FakeHost.h"

using value_tests::ByteReader;
using value_tests::BytesWritten;
using value_tests::kBigEndian;
using value_tests::kLittleEndian;
using Bytes = std::vector<uint8_t>;

namespace {

VDateRec Rec(int16_t day, int16_t month, int16_t year) {
  VDateRec r;
  r.day = day;
  r.month = month;
  r.year = year;
  return r;
}

std::string Show(const VDateRec& d) {
  return std::to_string(d.day) + "/" + std::to_string(d.month) + "/" + std::to_string(d.year);
}

std::string Show(const VValue& v) {
  VDateRec d;
  return Show(v.GetDate(d, kWholeValue));
}

// The date after SetDate, which normalises.
std::string Normalised(int16_t day, int16_t month, int16_t year) {
  VDate date;
  date.SetDate(Rec(day, month, year), kWholeValue);
  return Show(date);
}

bool IsLeap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int MonthLength(int month, int year) {
  static const int kLengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeap(year) ? 29 : kLengths[month - 1];
}

// The host's date routine: the fields as "d.m.y".
void Filled() {}
void DateText(const VDateRec* date, uint8_t* result, uint16_t format) {
  const std::string text = std::to_string(date->day) + "." + std::to_string(date->month) + "." +
                           std::to_string(date->year) + (format != 0 ? "#" + std::to_string(format) : "");
  result[0] = static_cast<uint8_t>(text.size());
  for (size_t i = 0; i < text.size(); ++i) result[i + 1] = static_cast<uint8_t>(text[i]);
}
void Bracket(uint8_t* text, const uint8_t* format) {
  std::string s(reinterpret_cast<const char*>(text + 1), text[0]);
  s = "[" + s + "]" + std::string(reinterpret_cast<const char*>(format + 1), format[0]);
  text[0] = static_cast<uint8_t>(s.size());
  for (size_t i = 0; i < s.size(); ++i) text[i + 1] = static_cast<uint8_t>(s[i]);
}

class WithHostDates : public testing::Test {
 protected:
  void SetUp() override {
    ResetDisplayRoutines();
    VDisplayRoutines routines{};
    routines.filled = Filled;
    routines.dateText = DateText;
    routines.textFormat = Bracket;
    fHost.SetDisplayRoutines(routines);
  }
  void TearDown() override { ResetDisplayRoutines(); }
  FakeHost fHost;
  FakeEnvironment fEnvironment;
};

std::string Ascii(const VString& s) {
  std::string out;
  for (int32_t i = 1; i <= s.GetLength(); ++i) out.push_back(static_cast<char>(s.GetCharAt(i)));
  return out;
}

}  // namespace

// ---- Normalising

TEST(VDateCalendar, ValidDatesStayAsTheyAre) {
  EXPECT_EQ(Normalised(29, 2, 2004), "29/2/2004");
  EXPECT_EQ(Normalised(31, 12, 2004), "31/12/2004");
  EXPECT_EQ(Normalised(29, 2, 2000), "29/2/2000");
  EXPECT_EQ(Normalised(1, 1, 1), "1/1/1");
}

TEST(VDateCalendar, DayPastTheMonthRunsIntoTheNext) {
  EXPECT_EQ(Normalised(29, 2, 2003), "1/3/2003");
  EXPECT_EQ(Normalised(32, 1, 2003), "1/2/2003");
  // 1900 is divisible by 100 and not by 400: no leap day.
  EXPECT_EQ(Normalised(29, 2, 1900), "1/3/1900");
  EXPECT_EQ(Normalised(366, 1, 2003), "1/1/2004");
}

TEST(VDateCalendar, MonthPastTwelveCarriesIntoTheYears) {
  EXPECT_EQ(Normalised(1, 13, 2001), "1/1/2002");
  EXPECT_EQ(Normalised(1, 25, 2001), "1/1/2003");
  EXPECT_EQ(Normalised(15, 0, 2001), "15/12/2000");
  EXPECT_EQ(Normalised(15, -12, 2001), "15/12/1999");
}

TEST(VDateCalendar, DayZeroIsTheLastDayOfThePreviousMonth) {
  EXPECT_EQ(Normalised(0, 3, 2004), "29/2/2004");
  EXPECT_EQ(Normalised(0, 1, 2004), "31/12/2003");
  EXPECT_EQ(Normalised(-1, 3, 2003), "27/2/2003");
}

TEST(VDateCalendar, EmptyDateStaysEmpty) {
  VDate date(0, 0, 0);
  date.Normalize();
  EXPECT_EQ(Show(date), "0/0/0");
  date.SetDate(Rec(0, 0, 0), kWholeValue);
  EXPECT_EQ(Show(date), "0/0/0");
  VDate other(5, 4, 2002);
  other.Assign(VDate(), kWholeValue);
  EXPECT_EQ(Show(other), "0/0/0");
}

TEST(VDateCalendar, YearThatWouldNotFitLeavesTheDate) {
  VDate date(1, 13, 32767);
  date.Normalize();
  EXPECT_EQ(Show(date), "1/13/32767");
  date.SetSeconds(int64_t(1) << 62);
  EXPECT_EQ(Show(date), "1/13/32767");
  date.SetDate(Rec(31, 12, 32767), kWholeValue);
  EXPECT_EQ(Show(date), "31/12/32767");
}

// Walks the calendar one day at a time, with the month lengths written out,
// and checks the day count and its reverse on every day of eight centuries.
TEST(VDateCalendar, DayCountAgreesWithADayByDayWalk) {
  VDate first(1, 1, 1600);
  int64_t expected = first.GetSeconds();
  for (int year = 1600; year < 2400; ++year) {
    for (int month = 1; month <= 12; ++month) {
      for (int day = 1; day <= MonthLength(month, year); ++day) {
        VDate date{int16_t(day), int16_t(month), int16_t(year)};
        ASSERT_EQ(date.GetSeconds(), expected) << day << "/" << month << "/" << year;
        VDate back;
        back.SetSeconds(expected);
        ASSERT_EQ(Show(back), Show(date));
        expected += 86400;
      }
    }
  }
}

TEST(VDateCalendar, DayCountStartsAtTheFirstOfJanuaryOfYearZero) {
  EXPECT_EQ(VDate(1, 1, 0).GetSeconds(), 0);
  EXPECT_EQ(VDate(2, 1, 0).GetSeconds(), 86400);
  // Year 0 is a leap year: 366 days.
  EXPECT_EQ(VDate(1, 1, 1).GetSeconds(), 366 * 86400);
  EXPECT_EQ(VDate(1, 1, 1970).GetSeconds(), int64_t(719528) * 86400);
  // Before year 0 the count is negative and the calendar runs on backwards.
  EXPECT_EQ(VDate(31, 12, -1).GetSeconds(), -86400);
  VDate back;
  back.SetSeconds(-86400);
  EXPECT_EQ(Show(back), "31/12/-1");
}

TEST(VDateCalendar, SetSecondsTakesWholeDays) {
  VDate date;
  date.SetSeconds(VDate(5, 4, 2002).GetSeconds() + 86399);
  EXPECT_EQ(Show(date), "5/4/2002");
}

// ---- Operations of the date

TEST(VDateOperations, AddCarriesAMonthWithTooFewDays) {
  VDate date(31, 1, 2003);
  date.Add(0, 1, 0);
  EXPECT_EQ(Show(date), "3/3/2003");
  VDate leap(29, 2, 2004);
  leap.Add(1, 0, 0);
  EXPECT_EQ(Show(leap), "1/3/2005");
  VDate newYear(1, 1, 2003);
  newYear.Add(0, 0, -1);
  EXPECT_EQ(Show(newYear), "31/12/2002");
  VDate far(1, 1, 2000);
  far.Add(0, 0, 366);
  EXPECT_EQ(Show(far), "1/1/2001");
}

TEST(VDateOperations, CompareGoesByYearMonthAndDay) {
  VDate date(1, 1, 2003);
  EXPECT_EQ(date.Compare(Rec(31, 12, 2002)), 1);
  EXPECT_EQ(date.Compare(Rec(1, 1, 2003)), 0);
  EXPECT_EQ(date.Compare(Rec(2, 1, 2003)), -1);
  EXPECT_EQ(date.Compare(Rec(1, 2, 2002)), 1);
  // Fields compare as signed numbers.
  EXPECT_EQ(date.Compare(Rec(1, 1, -5)), 1);
}

TEST(VDateOperations, CompareWithAnyValueReadsItsDate) {
  VDate date(1, 1, 2003);
  EXPECT_EQ(date.Compare(VDate(31, 12, 2002), 0, 0), 1);
  EXPECT_EQ(date.Compare(VDate(1, 1, 2003), 0, 0), 0);
  EXPECT_EQ(VDate().Compare(VDate(1, 1, 2003), 0, 0), -1);
  // A value without a date answers the empty date.
  EXPECT_EQ(date.Compare(VLong(5), 0, 0), 1);
  EXPECT_EQ(VDate().Compare(VLong(5), 0, 0), 0);
}

TEST(VDateOperations, DifferenceIsInSeconds) {
  EXPECT_EQ(VDate(1, 3, 2004).Difference(VDate(28, 2, 2004)), 172800);
  EXPECT_EQ(VDate(28, 2, 2004).Difference(VDate(1, 3, 2004)), -172800);
  EXPECT_EQ(VDate(1, 3, 2003).Difference(VDate(28, 2, 2003)), 86400);
}

TEST(VDateOperations, DayOfWeekComesFromTheDayCount) {
  EXPECT_EQ(VDate(5, 4, 2002).GetDayOfWeek(), 5);  // a Friday
  EXPECT_EQ(VDate(1, 1, 2000).GetDayOfWeek(), 6);
  EXPECT_EQ(VDate(1, 1, 1970).GetDayOfWeek(), 4);
  EXPECT_EQ(VDate(4, 7, 1776).GetDayOfWeek(), 4);
  EXPECT_EQ(VDate(1, 1, 1).GetDayOfWeek(), 1);
  EXPECT_EQ(VDate(2, 1, 0).GetDayOfWeek(), 0);
  // Far beyond what the C library's calendar time reaches.
  EXPECT_EQ(VDate(1, 1, 30000).GetDayOfWeek(), VDate(1, 1, 30400).GetDayOfWeek());
  // Carried like the day count: 32 March 2002 is 1 April, a Monday.
  EXPECT_EQ(VDate(32, 3, 2002).GetDayOfWeek(), 1);
}

TEST(VDateOperations, DayOfWeekDoesNotDependOnTheTimeZone) {
  const char* old = std::getenv("TZ");
  const std::string saved = old != nullptr ? old : "";
  std::vector<int32_t> answers;
  for (const char* zone : {"UTC", "Pacific/Kiritimati", "America/Adak", "Asia/Kathmandu"}) {
    setenv("TZ", zone, 1);
    tzset();
    answers.push_back(VDate(5, 4, 2002).GetDayOfWeek());
  }
  if (old != nullptr)
    setenv("TZ", saved.c_str(), 1);
  else
    unsetenv("TZ");
  tzset();
  EXPECT_EQ(answers, (std::vector<int32_t>{5, 5, 5, 5}));
}

TEST(VDateOperations, SetTodayTakesTheClockWithoutNormalising) {
  FakeEnvironment environment;
  environment.now.day = 31;
  environment.now.month = 2;
  environment.now.year = 2003;
  VDate date;
  date.SetNull(true, kWholeValue);
  date.SetToday();
  EXPECT_EQ(Show(date), "31/2/2003");
  EXPECT_FALSE(date.IsNull(kWholeValue));
  EXPECT_EQ(environment.clockReads, 1);
}

// ---- The value interface

TEST(VDateValue, KindAndDefaults) {
  VDate date(5, 4, 2002);
  EXPECT_EQ(date.GetKind(), kValueDate);
  EXPECT_TRUE(date.IsSingle());
  EXPECT_FALSE(date.IsInteger());
  EXPECT_FALSE(date.GetBoolean(kWholeValue));
  EXPECT_EQ(date.GetLong(kWholeValue), 0);
  EXPECT_EQ(date.GetTime(kWholeValue), 0);
  EXPECT_EQ(date.GetReal(kWholeValue), 0.0);
  EXPECT_EQ(date.GetDataSize(), 6u);
  date.SetLong(7, kWholeValue);
  EXPECT_EQ(Show(date), "5/4/2002");
}

TEST(VDateValue, CloneIsNotNullAndOwnsItsFields) {
  VDateRec storage = Rec(5, 4, 2002);
  VDateInMem over(&storage, false);
  over.SetNull(true, kWholeValue);
  std::unique_ptr<VValue> clone(over.Clone());
  EXPECT_EQ(clone->GetKind(), kValueDate);
  EXPECT_FALSE(clone->IsNull(kWholeValue));
  storage = Rec(1, 1, 1999);
  EXPECT_EQ(Show(*clone), "5/4/2002");
  EXPECT_NE(dynamic_cast<VDate*>(clone.get()), nullptr);
}

TEST(VDateValue, ClearMakesTheEmptyDateNotNull) {
  VDate date(5, 4, 2002);
  date.SetNull(true, kWholeValue);
  date.Clear();
  EXPECT_EQ(Show(date), "0/0/0");
  EXPECT_FALSE(date.IsNull(kWholeValue));
}

TEST(VDateValue, InMemWorksOnTheStorageGiven) {
  VDateRec storage = Rec(9, 9, 1999);
  VDateInMem over(&storage, false);
  over.SetDate(Rec(29, 2, 2003), kWholeValue);
  EXPECT_EQ(Show(storage), "1/3/2003");
  VDateInMem cleared(&storage, true);
  EXPECT_EQ(Show(storage), "0/0/0");
  VDateInMem none(nullptr, true);
  none.SetDate(Rec(1, 1, 2000), kWholeValue);
  EXPECT_EQ(Show(none), "0/0/0");
}

TEST(VDateValue, AssignTakesTheDateThenTheNullFlag) {
  VDate source(29, 2, 2003);
  source.SetNull(true, kWholeValue);
  VDate date(1, 1, 2000);
  date.Assign(source, kWholeValue);
  // Null: taken as it is, not normalised.
  EXPECT_TRUE(date.IsNull(kWholeValue));
  EXPECT_EQ(Show(date), "29/2/2003");
  source.SetNull(false, kWholeValue);
  date.Assign(source, kWholeValue);
  EXPECT_FALSE(date.IsNull(kWholeValue));
  EXPECT_EQ(Show(date), "1/3/2003");
}

TEST(VDateValue, CopyToGoesThroughSetDateAndConvertToThroughAssign) {
  VDate source(29, 2, 2003);
  VDate target;
  source.CopyTo(target, kWholeValue);
  EXPECT_EQ(Show(target), "1/3/2003");
  source.SetNull(true, kWholeValue);
  VDate converted;
  source.ConvertTo(converted, kWholeValue);
  EXPECT_TRUE(converted.IsNull(kWholeValue));
  EXPECT_EQ(Show(converted), "29/2/2003");
  VLong number(3);
  source.CopyTo(number, kWholeValue);
  EXPECT_EQ(number.GetLong(kWholeValue), 3);
}

TEST_F(WithHostDates, FormatToIsTheHostsDateText) {
  VDate date(5, 4, 2002);
  VStr<255> text;
  date.FormatTo(text, nullptr, kWholeValue);
  EXPECT_EQ(Ascii(text), "5.4.2002");
  VStr<31> format;
  format.SetCText("dd", kCharSetAnsi);
  date.FormatTo(text, &format, kWholeValue);
  EXPECT_EQ(Ascii(text), "[5.4.2002]dd");
}

TEST_F(WithHostDates, SetStringReadsTheTextAndNormalises) {
  fHost.SetCenturyPivot(30, 19);
  VStr<255> text;
  text.SetCText("2/30/2004", kCharSetAnsi);
  VDate date;
  date.SetString(text, kWholeValue);
  EXPECT_EQ(Show(date), "1/3/2004");
  text.SetCText("12/31/99", kCharSetAnsi);
  date.SetString(text, kWholeValue);
  EXPECT_EQ(Show(date), "31/12/1999");
  // A null string makes the date null and leaves its fields.
  text.SetNull(true, kWholeValue);
  date.SetString(text, kWholeValue);
  EXPECT_TRUE(date.IsNull(kWholeValue));
  EXPECT_EQ(Show(date), "31/12/1999");
  // A text that is no date gives the empty date.
  text.SetCText("soon", kCharSetAnsi);
  date.SetString(text, kWholeValue);
  EXPECT_FALSE(date.IsNull(kWholeValue));
  EXPECT_EQ(Show(date), "0/0/0");
}

TEST_F(WithHostDates, CopyingIntoAStringWritesTheHostsText) {
  VDate date(5, 4, 2002);
  VStr<255> text;
  text.SetNull(true, kWholeValue);
  text.CopyFrom(date, kWholeValue);
  EXPECT_EQ(Ascii(text), "5.4.2002");
  date.CopyTo(text, kWholeValue);
  EXPECT_EQ(Ascii(text), "5.4.2002");
}

// ---- Flat and stored forms

TEST(VDateForms, FlatFormIsDayMonthYearInMemoryOrder) {
  VDate date(5, 4, 2002);
  uint8_t buffer[8] = {0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA};
  EXPECT_EQ(date.ToData(buffer, kWholeValue), buffer + 6);
  const int16_t expected[3] = {5, 4, 2002};
  EXPECT_EQ(std::memcmp(buffer, expected, 6), 0);
  EXPECT_EQ(buffer[6], 0xAA);

  const int16_t invalid[3] = {31, 2, 2003};
  VDate back;
  back.SetNull(true, kWholeValue);
  EXPECT_EQ(back.FromData(reinterpret_cast<const uint8_t*>(invalid), kWholeValue),
            reinterpret_cast<const uint8_t*>(invalid) + 6);
  EXPECT_EQ(Show(back), "31/2/2003");  // not normalised
  EXPECT_FALSE(back.IsNull(kWholeValue));
}

TEST(VDateForms, TaggedFormIsYearFirst) {
  VDate date(5, 4, 2002);
  const Bytes big = BytesWritten([&](VStream& s) { s.PutValue(date, true); });
  EXPECT_EQ(big, (Bytes{0, 0, 0, 7, 0x07, 0xD2, 0, 4, 0, 5}));
  const Bytes untagged = BytesWritten([&](VStream& s) { s.PutValue(date, false); });
  EXPECT_EQ(untagged, (Bytes{0x07, 0xD2, 0, 4, 0, 5}));
  const Bytes little = BytesWritten([&](VStream& s) { s.PutValue(date, true); }, kLittleEndian);
  EXPECT_EQ(little, (Bytes{7, 0, 0, 0, 0xD2, 0x07, 4, 0, 5, 0}));
}

TEST(VDateForms, StreamReaderMakesADateAndDoesNotNormalise) {
  ByteReader reader(Bytes{0, 0, 0, 7, 0x07, 0xD3, 0, 2, 0, 31});
  std::unique_ptr<VValue> value(ReadValue(reader.stream()));
  ASSERT_NE(value, nullptr);
  EXPECT_NE(dynamic_cast<VDate*>(value.get()), nullptr);
  EXPECT_EQ(Show(*value), "31/2/2003");
  EXPECT_FALSE(value->IsNull(kWholeValue));
  EXPECT_EQ(reader.stream().GetStatus(), kStreamNoError);

  ByteReader little(Bytes{7, 0, 0, 0, 0xD2, 0x07, 4, 0, 5, 0}, kLittleEndian);
  std::unique_ptr<VValue> fromLittle(ReadValue(little.stream()));
  ASSERT_NE(fromLittle, nullptr);
  EXPECT_EQ(Show(*fromLittle), "5/4/2002");
}

TEST(VDateForms, ShortStreamLeavesTheEmptyDate) {
  ByteReader reader(Bytes{0, 0, 0, 7, 0x07, 0xD2, 0, 4, 0});
  std::unique_ptr<VValue> value(ReadValue(reader.stream()));
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(Show(*value), "0/0/0");
  EXPECT_GT(reader.stream().GetStatus(), 0);
}

TEST(VDateForms, DateOverNoStorageWritesZerosAndSkipsOnReading) {
  VDateInMem none(nullptr, false);
  const Bytes bytes = BytesWritten([&](VStream& s) { s.PutValue(none, true); });
  EXPECT_EQ(bytes, (Bytes{0, 0, 0, 7, 0, 0, 0, 0, 0, 0}));
  ByteReader reader(Bytes{1, 2, 3, 4, 5, 6, 0, 0, 0, 9});
  EXPECT_EQ(none.ReadFromStream(reader.stream(), 0), kStreamNoError);
  EXPECT_EQ(reader.stream().GetPosition(), 6u);
}

TEST(VDateForms, RoundTripThroughTheStream) {
  for (const VDateRec& r : {Rec(5, 4, 2002), Rec(0, 0, 0), Rec(-3, 14, -200), Rec(31, 12, 32767)}) {
    VDate date(r.day, r.month, r.year);
    const Bytes bytes = BytesWritten([&](VStream& s) { s.PutValue(date, true); });
    ByteReader reader(bytes);
    std::unique_ptr<VValue> back(ReadValue(reader.stream()));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(Show(*back), Show(r));
  }
}
