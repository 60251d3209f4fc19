// The string's text forms: numbers, booleans, times and dates written with
// the environment's settings and the host's texts, and read back; bad and
// overflowing texts; guessing the kind of value a text stands for.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>

#include "framework/core/strings/VByteString.h"
#include "framework/core/strings/VDisplayFormats.h"
#include "framework/core/strings/VUniString.h"
#include "framework/core/tests/FakeEnvironment.h"
#include "framework/core/tests/StringTestSupport.h"
#include "framework/core/values/VBoolean.h"
#include "framework/core/values/VDate.h"
#include "framework/core/values/VDateTimeText.h"
#include "framework/core/values/VHour.h"
#include "framework/core/values/VLong.h"
#include "framework/core/values/VNumberText.h"
#include "framework/core/values/VReal.h"
#include "testsupport/FakeHost.h"

using string_tests::Text;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

void Filled() {}
void DateText(const VDateRec* date, uint8_t* result, uint16_t format) {
  const std::string text = std::to_string(date->month) + "-" + std::to_string(date->day) + "-" +
                           std::to_string(date->year) + "/" + std::to_string(format);
  result[0] = static_cast<uint8_t>(text.size());
  for (size_t i = 0; i < text.size(); ++i) result[i + 1] = static_cast<uint8_t>(text[i]);
}
void TimeText(int32_t seconds, uint8_t* result, uint16_t format) {
  const std::string text = std::to_string(seconds) + "s/" + std::to_string(format);
  result[0] = static_cast<uint8_t>(text.size());
  for (size_t i = 0; i < text.size(); ++i) result[i + 1] = static_cast<uint8_t>(text[i]);
}

class TextForms : public string_tests::WithTextTables {
 protected:
  void SetUp() override {
    WithTextTables::SetUp();
    ResetDisplayRoutines();
  }
  void TearDown() override {
    ResetDisplayRoutines();
    WithTextTables::TearDown();
  }
  void UseHostRoutines() {
    VDisplayRoutines routines{};
    routines.filled = Filled;
    routines.dateText = DateText;
    routines.timeText = TimeText;
    fHost.SetDisplayRoutines(routines);
  }
  // A string holding the text, not null.
  static VStr<255>& Of(VStr<255>& s, const char16_t* text) {
    s.SetUniCText(text);
    return s;
  }
  int32_t Long(const char16_t* text) {
    VStr<255> s;
    return Of(s, text).GetLong(kWholeValue);
  }
  double Real(const char16_t* text) {
    VStr<255> s;
    return Of(s, text).GetReal(kWholeValue);
  }
  int32_t Time(const char16_t* text) {
    VStr<255> s;
    return Of(s, text).GetTime(kWholeValue);
  }
  std::string Date(const char16_t* text) {
    VStr<255> s;
    VDateRec d;
    Of(s, text).GetDate(d, kWholeValue);
    return std::to_string(d.day) + "/" + std::to_string(d.month) + "/" + std::to_string(d.year);
  }

  FakeHost fHost;
  FakeEnvironment fEnvironment;
};

}  // namespace

// ---- Numbers to text

TEST_F(TextForms, SetLongWritesDecimal) {
  VStr<255> s;
  s.SetLong(-2147483647 - 1, kWholeValue);
  EXPECT_EQ(Text(s), u"-2147483648");
  s.SetLong(0, kWholeValue);
  EXPECT_EQ(Text(s), u"0");
  s.SetWord(-32768, kWholeValue);
  EXPECT_EQ(Text(s), u"-32768");
  s.SetLongLong(INT64_MIN, kWholeValue);
  EXPECT_EQ(Text(s), u"-9223372036854775808");
}

TEST_F(TextForms, SettersEmptyFirstAndClearTheNullFlag) {
  VStrInHandle s;
  s.SetCText("something long", kCharSetAnsi);
  s.SetNull(true, kWholeValue);
  s.SetLong(7, kWholeValue);
  EXPECT_EQ(Text(s), u"7");
  EXPECT_FALSE(s.IsNull(kWholeValue));
  VMacStr<15> mac;
  mac.SetNull(true, kWholeValue);
  mac.SetReal(0.25, kWholeValue);
  EXPECT_EQ(Text(mac), u"0.25");
  EXPECT_FALSE(mac.IsNull(kWholeValue));
}

TEST_F(TextForms, SetIntegerModes) {
  VStr<255> s;
  s.SetInteger(255, kNumberHex2);
  EXPECT_EQ(Text(s), u"FF");
  s.SetInteger(0x1234, kNumberHex2);
  EXPECT_EQ(Text(s), u"34");
  s.SetHexWord(1);
  EXPECT_EQ(Text(s), u"0001");
  s.SetOSTypeText(FourCC("ABCD"));
  EXPECT_EQ(Text(s), u"ABCD");
  s.SetInteger(0x12345, kNumberHex);
  EXPECT_EQ(Text(s), u"12345");
  s.SetInteger(-1, kNumberHex16);
  EXPECT_EQ(Text(s), u"00000000FFFFFFFF");
  fEnvironment.decimal = u',';
  s.SetInteger(3, kNumberFixed);
  EXPECT_EQ(Text(s), u"3,00000000000000");
}

TEST_F(TextForms, SetRealUsesTheDecimalSeparator) {
  VStr<255> s;
  s.SetReal(0.5, kWholeValue);
  EXPECT_EQ(Text(s), u"0.5");
  fEnvironment.decimal = u',';
  s.SetReal(0.5, kWholeValue);
  EXPECT_EQ(Text(s), u"0,5");
  s.SetReal(1234.5678, kWholeValue);
  EXPECT_EQ(Text(s), u"1234,5678");
  s.SetReal(1e20, kWholeValue);
  EXPECT_EQ(Text(s), u"1E+20");
}

TEST_F(TextForms, SetRealOfNaNAndInfinities) {
  VStr<255> s;
  s.SetReal(kNaN, kWholeValue);
  EXPECT_EQ(Text(s), u"NaN");
  s.SetReal(-kInf, kWholeValue);
  EXPECT_EQ(Text(s), u"-\u221E");
  s.SetReal(kInf, kWholeValue);
  EXPECT_EQ(Text(s), u"+\u221E");
}

TEST_F(TextForms, FormatRealOfHugeNumbersFitsWhole) {
  VStrInHandle s;
  FormatReal(s, 1e300, kNumberFixed, kDefaultRealDigits, '.');
  ASSERT_EQ(s.GetLength(), 301 + 1 + 14);
  EXPECT_EQ(s.GetCharAt(1), u'1');
  EXPECT_EQ(s.GetCharAt(302), u'.');
  s.SetEmpty(false);
  FormatReal(s, -1.7976931348623157e308, kNumberFixed, 40, '.');
  EXPECT_EQ(s.GetLength(), 1 + 309 + 1 + 40);
}

TEST_F(TextForms, FormatRealWholeNumbersSaturatePastSixtyFourBits) {
  VStrInHandle s;
  FormatReal(s, 3e9, kNumberDecimal, kDefaultRealDigits, '.');
  EXPECT_EQ(Text(s), u"3000000000");
  s.SetEmpty(false);
  FormatReal(s, -1.7, kNumberDecimal, kDefaultRealDigits, '.');
  EXPECT_EQ(Text(s), u"-1");
  s.SetEmpty(false);
  FormatReal(s, 9223372036854775808.0, kNumberDecimal, kDefaultRealDigits, '.');
  EXPECT_EQ(Text(s), u"9223372036854775807");
  s.SetEmpty(false);
  FormatReal(s, -1e300, kNumberDecimal, kDefaultRealDigits, '.');
  EXPECT_EQ(Text(s), u"-9223372036854775808");
}

TEST_F(TextForms, ShortStringKeepsWhatFits) {
  VStr<4> s;
  s.SetLong(-2147483647 - 1, kWholeValue);
  EXPECT_EQ(Text(s), u"-214");
}

// ---- Text to numbers

TEST_F(TextForms, GetLongReadsTheIntegerPart) {
  EXPECT_EQ(Long(u"--5"), -5);
  EXPECT_EQ(Long(u"abc"), 0);
  EXPECT_EQ(Long(u"2e3"), 2000);
  EXPECT_EQ(Long(u"7-"), 7);
  EXPECT_EQ(Long(u"12.9"), 12);
  EXPECT_EQ(Long(u"1.5e1"), 10);
  fEnvironment.decimal = u',';
  EXPECT_EQ(Long(u"1,5"), 1);
  EXPECT_EQ(Long(u"1.5"), 15);
}

TEST_F(TextForms, NumbersBeyondTheirWidthWrap) {
  EXPECT_EQ(Long(u"4294967297"), 1);
  EXPECT_EQ(Long(u"1e99"), 0);
  VStr<255> s;
  EXPECT_EQ(Of(s, u"70000").GetWord(kWholeValue), 4464);
  EXPECT_EQ(Of(s, u"99999999999").GetLongLong(kWholeValue), 99999999999LL);
  EXPECT_EQ(Of(s, u"-9223372036854775808").GetLongLong(kWholeValue), INT64_MIN);
}

TEST_F(TextForms, GetRealReadsFractionAndExponent) {
  fEnvironment.decimal = u',';
  EXPECT_EQ(Real(u"1,25e2"), 125.0);
  EXPECT_EQ(Real(u"-0,5"), -0.5);
  fEnvironment.decimal = u'.';
  EXPECT_EQ(Real(u"1e99"), 1e99);
  EXPECT_TRUE(std::isinf(Real(u"1e400")));
  EXPECT_EQ(Real(u"0e400"), 0.0);
  EXPECT_EQ(Real(u"1e-400"), 0.0);
}

TEST_F(TextForms, ReadersLookAtTheFirstEightyCharacters) {
  std::u16string text(79, u' ');
  text += u"5";
  EXPECT_EQ(Long(text.c_str()), 5);
  text.insert(0, u" ");
  EXPECT_EQ(Long(text.c_str()), 0);
}

TEST_F(TextForms, NumbersRoundTrip) {
  VStr<255> s;
  for (const int32_t n : {0, 1, -1, 42, INT32_MAX, INT32_MIN}) {
    s.SetLong(n, kWholeValue);
    EXPECT_EQ(s.GetLong(kWholeValue), n);
  }
  fEnvironment.decimal = u',';
  for (const double x : {0.5, -1234.25, 3.0e-5, 6.02e23}) {
    s.SetReal(x, kWholeValue);
    EXPECT_DOUBLE_EQ(s.GetReal(kWholeValue), x) << std::string(Text(s).begin(), Text(s).end());
  }
}

// ---- Booleans

TEST_F(TextForms, BooleanWordsComeFromTheEnvironment) {
  VStr<255> s;
  s.SetBoolean(1, kWholeValue);
  EXPECT_EQ(Text(s), u"Yes");
  s.SetBoolean(0, kWholeValue);
  EXPECT_EQ(Text(s), u"No");
  EXPECT_TRUE(Of(s, u"yes").GetBoolean(kWholeValue));
  EXPECT_TRUE(Of(s, u"YES").GetBoolean(kWholeValue));
  EXPECT_FALSE(Of(s, u"No").GetBoolean(kWholeValue));
  EXPECT_FALSE(Of(s, u"Yes!").GetBoolean(kWholeValue));
  EXPECT_FALSE(Of(s, u"1").GetBoolean(kWholeValue));
}

TEST_F(TextForms, WithoutAWordForTrueNothingReadsTrue) {
  fEnvironment.trueText.clear();
  VStr<255> s;
  EXPECT_FALSE(Of(s, u"").GetBoolean(kWholeValue));
  EXPECT_FALSE(Of(s, u"Yes").GetBoolean(kWholeValue));
}

TEST_F(TextForms, BooleanValuesGoThroughTheWords) {
  VBoolean flag(1);
  VStr<255> s;
  flag.CopyTo(s, kWholeValue);
  EXPECT_EQ(Text(s), u"Yes");
  VBoolean back;
  back.SetString(Of(s, u"yes"), kWholeValue);
  EXPECT_TRUE(back.GetBoolean(kWholeValue));
}

// ---- Times

TEST_F(TextForms, GetTimeWithDesignators) {
  EXPECT_EQ(Time(u"1:30 PM"), 48600);
  EXPECT_EQ(Time(u"1:30PM"), 48600);
  EXPECT_EQ(Time(u"1:30 pm"), 48600);
  EXPECT_EQ(Time(u"1:30   AM"), 5400);
  EXPECT_EQ(Time(u"12:30 PM"), 45000);
  EXPECT_EQ(Time(u"12:30 AM"), 1800);
  EXPECT_EQ(Time(u"1 PM"), 13 * 3600);
  EXPECT_EQ(Time(u"PM"), kNoTime);
  EXPECT_EQ(Time(u"1:30 PM "), kNoTime);
  EXPECT_EQ(Time(u"PM 1:30"), kNoTime);
}

TEST_F(TextForms, GetTimeWithTheEnvironmentsSpacedDesignator) {
  fEnvironment.afternoon = u" PM";
  EXPECT_EQ(Time(u"1:30 PM"), 48600);
  EXPECT_EQ(Time(u"1:30PM"), kNoTime);
  fEnvironment.morning.clear();
  fEnvironment.afternoon.clear();
  EXPECT_EQ(Time(u"1:30 PM"), kNoTime);
  EXPECT_EQ(Time(u"1:30"), 5400);
}

TEST_F(TextForms, GetTimeOfTextsThatAreNoTime) {
  EXPECT_EQ(Time(u"1:60"), kNoTime);
  EXPECT_EQ(Time(u"90"), kNoTime);
  EXPECT_EQ(Time(u""), kNoTime);
  EXPECT_EQ(Time(u"--5"), kNoTime);
  EXPECT_EQ(Time(u"99999999999:00"), kNoTime);
  EXPECT_EQ(Time(u"30:00"), 108000);
}

TEST_F(TextForms, GetTimeUsesTheTimeSeparator) {
  fEnvironment.timeSeparator = u'.';
  EXPECT_EQ(Time(u"1.30"), 5400);
  EXPECT_EQ(Time(u"1:30"), kNoTime);
}

TEST_F(TextForms, SetTimeIsTheHostsText) {
  UseHostRoutines();
  VStr<255> s;
  s.SetCText("old", kCharSetAnsi);
  s.SetNull(true, kWholeValue);
  s.SetTime(3600, kWholeValue);
  EXPECT_EQ(Text(s), u"3600s/0");
  EXPECT_FALSE(s.IsNull(kWholeValue));
  s.SetTime(VHour(60));
  EXPECT_EQ(Text(s), u"60s/0");
}

TEST_F(TextForms, SetTimeWithoutTheHostsRoutinesIsEmpty) {
  VStr<255> s;
  s.SetCText("old", kCharSetAnsi);
  s.SetTime(3600, kWholeValue);
  EXPECT_EQ(s.GetLength(), 0);
  EXPECT_FALSE(s.IsNull(kWholeValue));
}

// ---- Dates

TEST_F(TextForms, GetDateWithTheHostsCenturyRule) {
  fHost.SetCenturyPivot(30, 19);
  EXPECT_EQ(Date(u"12/31/99"), "31/12/1999");
  EXPECT_EQ(Date(u"1/2/05"), "2/1/2005");
  EXPECT_EQ(Date(u"0/1/2000"), "0/0/0");
  EXPECT_EQ(Date(u""), "0/0/0");
  EXPECT_EQ(Date(u"--5"), "0/0/0");
}

TEST_F(TextForms, GetDateWithoutAPivotTakesTheClocksCentury) {
  fEnvironment.now.year = 1987;
  EXPECT_EQ(Date(u"12/31/99"), "31/12/1999");
  EXPECT_EQ(Date(u"12/31/5"), "31/12/1905");
}

TEST_F(TextForms, GetDateFollowsTheOrderAndSeparator) {
  fEnvironment.dateOrder = kDateOrderDMY;
  fEnvironment.dateSeparator = u'.';
  EXPECT_EQ(Date(u"5.4.2002"), "5/4/2002");
  EXPECT_EQ(Date(u"5/4/2002"), "0/0/0");
  fEnvironment.dateOrder = kDateOrderYMD;
  fEnvironment.dateSeparator = u'-';
  EXPECT_EQ(Date(u"2002-04-05"), "5/4/2002");
}

TEST_F(TextForms, SetDateIsTheHostsText) {
  UseHostRoutines();
  VStr<255> s;
  s.SetNull(true, kWholeValue);
  s.SetDate(VDateRec{5, 4, 2002}, kWholeValue);
  EXPECT_EQ(Text(s), u"4-5-2002/0");
  EXPECT_FALSE(s.IsNull(kWholeValue));
  s.SetDate(VDate(1, 2, 2003));
  EXPECT_EQ(Text(s), u"2-1-2003/0");
}

TEST_F(TextForms, SetDateWithoutTheHostsRoutinesClears) {
  VStr<255> s;
  s.SetCText("old", kCharSetAnsi);
  s.SetDate(VDateRec{5, 4, 2002}, kWholeValue);
  EXPECT_EQ(s.GetLength(), 0);
  EXPECT_FALSE(s.IsNull(kWholeValue));
}

TEST_F(TextForms, DateValueRoundTripsThroughAString) {
  fHost.SetCenturyPivot(30, 19);
  VDisplayRoutines routines{};
  routines.filled = Filled;
  routines.dateText = [](const VDateRec* date, uint8_t* result, uint16_t) {
    const std::string text = std::to_string(date->month) + "/" + std::to_string(date->day) + "/" +
                             std::to_string(date->year);
    result[0] = static_cast<uint8_t>(text.size());
    for (size_t i = 0; i < text.size(); ++i) result[i + 1] = static_cast<uint8_t>(text[i]);
  };
  fHost.SetDisplayRoutines(routines);
  VDate date(29, 2, 2004);
  VStr<255> s;
  date.CopyTo(s, kWholeValue);
  VDate back;
  back.SetString(s, kWholeValue);
  EXPECT_EQ(back.Compare(date, 0, 0), 0);
}

// ---- Values of numbers through strings

TEST_F(TextForms, NumericValuesWriteTheirText) {
  VStr<255> s;
  s.CopyFrom(VLong(-12), kWholeValue);
  EXPECT_EQ(Text(s), u"-12");
  fEnvironment.decimal = u',';
  s.Assign(VReal(2.5), kWholeValue);
  EXPECT_EQ(Text(s), u"2,5");
  VLong n;
  n.SetString(Of(s, u"3,9e1"), kWholeValue);
  EXPECT_EQ(n.GetLong(kWholeValue), 30);
}

// ---- Guessing the kind

TEST_F(TextForms, NewValueFromTextGuessesTheKind) {
  fHost.SetCenturyPivot(30, 19);
  VStr<255> s;
  struct Case {
    const char16_t* text;
    int32_t kind;
  };
  for (const Case& c : {Case{u"42", kValueLong}, Case{u"-123456789", kValueLong},
                        Case{u"1234567890", kValueReal}, Case{u"1.5", kValueReal}, Case{u"1e3", kValueReal},
                        Case{u"+2.5E-3", kValueReal}, Case{u"12:30", kValueHour}, Case{u"1 PM", kValueHour},
                        Case{u"yes", kValueBoolean}, Case{u"No", kValueBoolean},
                        Case{u"12/31/99", kValueDate}}) {
    std::unique_ptr<VValue> value(Of(s, c.text).NewValueFromText(false));
    ASSERT_NE(value, nullptr) << std::string(c.text, c.text + std::char_traits<char16_t>::length(c.text));
    EXPECT_EQ(value->GetKind(), c.kind);
  }
  std::unique_ptr<VValue> number(Of(s, u"1234567890").NewValueFromText(false));
  EXPECT_EQ(number->GetReal(kWholeValue), 1234567890.0);
  std::unique_ptr<VValue> date(Of(s, u"12/31/99").NewValueFromText(false));
  VDateRec d;
  date->GetDate(d, kWholeValue);
  EXPECT_EQ(d.year, 1999);
  std::unique_ptr<VValue> flag(Of(s, u"No").NewValueFromText(false));
  EXPECT_FALSE(flag->GetBoolean(kWholeValue));
  std::unique_ptr<VValue> time(Of(s, u"12:30 AM").NewValueFromText(false));
  EXPECT_EQ(time->GetLong(kWholeValue), 1800);
}

TEST_F(TextForms, NewValueFromTextKeepsOtherTextsOnlyWhenAsked) {
  VStr<255> s;
  for (const char16_t* text : {u"hello", u"--5", u"1.2.3", u"2/30/2004", u"", u"1e", u"e5", u"."}) {
    Of(s, text);
    EXPECT_EQ(s.NewValueFromText(false), nullptr) << std::string(text, text + std::char_traits<char16_t>::length(text));
    std::unique_ptr<VValue> kept(s.NewValueFromText(true));
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(kept->GetKind(), kValueString);
    EXPECT_EQ(kept->Compare(s, 1, 0), 0);
  }
}
