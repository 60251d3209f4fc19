// The time and date scanners: fields, separators, signs, designators, date
// orders, the century rule, and texts that are no time or no date.
#include <gtest/gtest.h>

#include <string>

#include "framework/core/values/VDateTimeText.h"
#include "framework/core/values/VEnvironmentBridge.h"

namespace {

int32_t Time(const char* text) { return ParseTimeText(text, ':', 0, false); }

std::string Date(const char* text, int32_t order = kDateOrderMDY, VCenturyRule rule = {30, 19, 2002},
                 char separator = '/') {
  const VDateRec d = ParseDateText(text, separator, order, rule);
  return std::to_string(d.day) + "/" + std::to_string(d.month) + "/" + std::to_string(d.year);
}

}  // namespace

TEST(TimeText, FieldsAreHoursMinutesAndSeconds) {
  EXPECT_EQ(Time("1:30"), 5400);
  EXPECT_EQ(Time("1:02:03"), 3723);
  EXPECT_EQ(Time("0:0:59"), 59);
  EXPECT_EQ(Time("1:"), 3600);
  EXPECT_EQ(Time("007:05"), 7 * 3600 + 300);
}

TEST(TimeText, HoursAreNotBounded) {
  EXPECT_EQ(Time("30:00"), 30 * 3600);
  EXPECT_EQ(Time("596523:14:07"), INT32_MAX);
}

TEST(TimeText, MinusInFrontMakesItNegative) {
  EXPECT_EQ(Time("-1:30"), -5400);
  EXPECT_EQ(Time("1:-30"), kNoTime);
  EXPECT_EQ(Time("--1:30"), kNoTime);
}

TEST(TimeText, NeedsASeparatorOrADesignator) {
  EXPECT_EQ(Time("90"), kNoTime);
  EXPECT_EQ(ParseTimeText("1", ':', 12, true), 13 * 3600);
  EXPECT_EQ(Time(""), kNoTime);
}

TEST(TimeText, TextWithoutDigitsIsNoTime) {
  EXPECT_EQ(ParseTimeText("", ':', 12, true), kNoTime);
  EXPECT_EQ(Time("1::"), 3600);
  EXPECT_EQ(ParseTimeText("-", ':', 0, true), kNoTime);
}

TEST(TimeText, MinutesAndSecondsStayBelowSixty) {
  EXPECT_EQ(Time("1:60"), kNoTime);
  EXPECT_EQ(Time("1:59:60"), kNoTime);
  EXPECT_EQ(Time("1:59:59"), 7199);
}

TEST(TimeText, ScanMustReachTheEnd) {
  EXPECT_EQ(Time(":30"), kNoTime);
  EXPECT_EQ(Time("1:2:3:4"), kNoTime);
  EXPECT_EQ(Time("1:2:3:"), kNoTime);
  EXPECT_EQ(Time("1:30x"), kNoTime);
  EXPECT_EQ(Time("1 :30"), kNoTime);
  EXPECT_EQ(Time("1.30"), kNoTime);
  EXPECT_EQ(ParseTimeText("1.30", '.', 0, false), 5400);
}

TEST(TimeText, TwelveOClockStartsItsHalfOfTheDay) {
  EXPECT_EQ(ParseTimeText("12:30", ':', 12, true), 45000);
  EXPECT_EQ(ParseTimeText("12:30", ':', 0, true), 1800);
  EXPECT_EQ(ParseTimeText("1:30", ':', 12, true), 48600);
  EXPECT_EQ(ParseTimeText("11:59:59", ':', 12, true), 86399);
  // Without a designator twelve is twelve.
  EXPECT_EQ(Time("12:30"), 45000);
  EXPECT_EQ(Time("0:30"), 1800);
}

TEST(TimeText, DigitStringsBeyondThirtyTwoBitsAreNoTime) {
  EXPECT_EQ(Time("99999999999:00"), kNoTime);
  EXPECT_EQ(Time("596523:14:08"), kNoTime);
  EXPECT_EQ(Time("-596523:14:08"), kNoTime);
  // A minute count that would wrap to a small number stays out of range.
  EXPECT_EQ(Time("1:4294967296"), kNoTime);
  EXPECT_EQ(Time("1:18446744073709551616"), kNoTime);
  EXPECT_EQ(Time("1:000000000000000000000000000000000000000000000000000000000000000059"), 7140);
}

TEST(DateText, FieldsFollowTheDateOrder) {
  VCenturyRule rule{0, 0, 2002};
  EXPECT_EQ(Date("4/5/2002", kDateOrderMDY, rule), "5/4/2002");
  EXPECT_EQ(Date("5/4/2002", kDateOrderDMY, rule), "5/4/2002");
  EXPECT_EQ(Date("2002/4/5", kDateOrderYMD, rule), "5/4/2002");
  EXPECT_EQ(Date("4/2002/5", kDateOrderMYD, rule), "5/4/2002");
  EXPECT_EQ(Date("5/2002/4", kDateOrderDYM, rule), "5/4/2002");
  EXPECT_EQ(Date("2002/5/4", kDateOrderYDM, rule), "5/4/2002");
  EXPECT_EQ(Date("4/5/2002", 17, rule), "5/4/2002");
}

TEST(DateText, TwoDigitYearsFollowTheHostsPivot) {
  EXPECT_EQ(Date("12/31/99"), "31/12/1999");
  EXPECT_EQ(Date("12/31/30"), "31/12/1930");
  EXPECT_EQ(Date("12/31/29"), "31/12/2029");
  EXPECT_EQ(Date("1/1/05"), "1/1/2005");
  EXPECT_EQ(Date("1/1/0"), "1/1/2000");
  // Three digits are a year as written.
  EXPECT_EQ(Date("1/1/100"), "1/1/100");
}

TEST(DateText, WithoutAPivotTwoDigitYearsFallInTheCurrentCentury) {
  EXPECT_EQ(Date("1/1/99", kDateOrderMDY, VCenturyRule{0, 19, 2002}), "1/1/2099");
  EXPECT_EQ(Date("1/1/5", kDateOrderMDY, VCenturyRule{0, 0, 1987}), "1/1/1905");
}

TEST(DateText, NotNormalised) {
  EXPECT_EQ(Date("2/31/2003"), "31/2/2003");
  EXPECT_EQ(Date("13/40/2003"), "40/13/2003");
}

TEST(DateText, EmptyAndZeroFieldsGiveNoDate) {
  EXPECT_EQ(Date(""), "0/0/0");
  EXPECT_EQ(Date("0/1/2000"), "0/0/0");
  EXPECT_EQ(Date("1/0/2000"), "0/0/0");
  EXPECT_EQ(Date("//"), "0/0/0");
  EXPECT_EQ(Date("12/31"), "0/0/0");  // the missing year counts as -10
  EXPECT_EQ(Date("12//2003"), "0/0/0");
}

TEST(DateText, SignsMakeAFieldNegative) {
  EXPECT_EQ(Date("-5/1/2000"), "0/0/0");
  EXPECT_EQ(Date("1/1/-5"), "0/0/0");
  EXPECT_EQ(Date("1/-/2000"), "0/0/0");
  EXPECT_EQ(Date("1/1-/2000"), "0/0/0");
}

TEST(DateText, ScanMustReachTheEndAndMeetASeparator) {
  EXPECT_EQ(Date("20020405"), "0/0/0");
  EXPECT_EQ(Date("/4/5/2002"), "0/0/0");
  EXPECT_EQ(Date("4/5/2002/"), "0/0/0");
  EXPECT_EQ(Date("4/5/2002 "), "0/0/0");
  EXPECT_EQ(Date("4/5/2002x"), "0/0/0");
  EXPECT_EQ(Date("4.5.2002"), "0/0/0");
  EXPECT_EQ(Date("4.5.2002", kDateOrderMDY, VCenturyRule{30, 19, 2002}, '.'), "5/4/2002");
}

TEST(DateText, MinusAsTheSeparatorStillReadsDates) {
  EXPECT_EQ(Date("2002-04-05", kDateOrderYMD, VCenturyRule{30, 19, 2002}, '-'), "5/4/2002");
}

TEST(DateText, FieldsBeyondSixteenBitsGiveNoDate) {
  EXPECT_EQ(Date("1/1/32767"), "1/1/32767");
  EXPECT_EQ(Date("1/1/32768"), "0/0/0");
  EXPECT_EQ(Date("1/65537/2000"), "0/0/0");
  EXPECT_EQ(Date("4294967297/1/2000"), "0/0/0");
  EXPECT_EQ(Date("1/1/99999999999999999999999999"), "0/0/0");
  // A widened year that would not fit.
  EXPECT_EQ(Date("1/1/50", kDateOrderMDY, VCenturyRule{30, 400, 2002}), "0/0/0");
}
