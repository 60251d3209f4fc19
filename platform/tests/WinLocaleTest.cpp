// GetLocaleInfoA over the locale data: the United States answers of the "C"
// locale, a locale given by its facts with texts beyond ASCII, the forms
// derived from the date and time formats, buffer sizes and bad arguments.
#include <gtest/gtest.h>

#include <string>

#include "platform/win32/WinLocale.h"

namespace {

std::string Info(LCTYPE type) {
  char buffer[64] = {};
  const int n = GetLocaleInfoA(LOCALE_USER_DEFAULT, type, buffer, sizeof buffer);
  EXPECT_GT(n, 0) << type;
  EXPECT_EQ(static_cast<size_t>(n), std::string(buffer).size() + 1);
  return buffer;
}

WinLocaleFacts GermanFacts() {
  return WinLocaleFacts{
      ",",
      ".",
      "%d.%m.%Y",
      "%T",
      "",
      "",
      {"Sonntag", "Montag", "Dienstag", "Mittwoch", "Donnerstag", "Freitag", "Samstag"},
      {"So", "Mo", "Di", "Mi", "Do", "Fr", "Sa"},
      {"Januar", "Februar", "M\xC3\xA4rz", "April", "Mai", "Juni", "Juli", "August",
       "September", "Oktober", "November", "Dezember"},
      {"Jan", "Feb", "M\xC3\xA4r", "Apr", "Mai", "Jun", "Jul", "Aug", "Sep", "Okt", "Nov", "Dez"},
      1};
}

class LocaleInfo : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(SetHeadlessLocale("C.UTF-8")); }
  void TearDown() override { SetHeadlessLocale(nullptr); }
};

TEST_F(LocaleInfo, TheCLocaleAnswersAsUnitedStatesWindows) {
  EXPECT_EQ(Info(LOCALE_SDECIMAL), ".");
  EXPECT_EQ(Info(LOCALE_STHOUSAND), ",");
  EXPECT_EQ(Info(LOCALE_SDATE), "/");
  EXPECT_EQ(Info(LOCALE_STIME), ":");
  EXPECT_EQ(Info(LOCALE_ITIME), "0");
  EXPECT_EQ(Info(LOCALE_S1159), "AM");
  EXPECT_EQ(Info(LOCALE_S2359), "PM");
  EXPECT_EQ(Info(LOCALE_IFIRSTDAYOFWEEK), "6");
}

TEST_F(LocaleInfo, DayNamesRunFromMondayToSunday) {
  EXPECT_EQ(Info(LOCALE_SDAYNAME1), "Monday");
  EXPECT_EQ(Info(LOCALE_SDAYNAME1 + 5), "Saturday");
  EXPECT_EQ(Info(LOCALE_SDAYNAME1 + 6), "Sunday");
  EXPECT_EQ(Info(LOCALE_SABBREVDAYNAME1 + 6), "Sun");
  EXPECT_EQ(Info(LOCALE_SMONTHNAME1), "January");
  EXPECT_EQ(Info(LOCALE_SMONTHNAME1 + 11), "December");
  EXPECT_EQ(Info(LOCALE_SABBREVMONTHNAME1 + 8), "Sep");
}

TEST_F(LocaleInfo, GivenFactsAreConvertedToWindowsAnsi) {
  const WinLocaleFacts german = GermanFacts();
  SetHeadlessLocaleFacts(&german);
  EXPECT_EQ(Info(LOCALE_SDECIMAL), ",");
  EXPECT_EQ(Info(LOCALE_STHOUSAND), ".");
  EXPECT_EQ(Info(LOCALE_SDATE), ".");
  EXPECT_EQ(Info(LOCALE_STIME), ":");
  EXPECT_EQ(Info(LOCALE_ITIME), "1");
  EXPECT_EQ(Info(LOCALE_S1159), "");
  EXPECT_EQ(Info(LOCALE_IFIRSTDAYOFWEEK), "0");
  EXPECT_EQ(Info(LOCALE_SMONTHNAME1 + 2), "M\xE4rz");
  EXPECT_EQ(Info(LOCALE_SDAYNAME1 + 6), "Sonntag");
}

TEST_F(LocaleInfo, CharactersBeyondTheCodePageBecomeQuestionMarks) {
  WinLocaleFacts f = GermanFacts();
  // A narrow no-break space as thousands separator, the euro sign, a
  // character the code page lacks, and a malformed sequence.
  f.thousands = "\xE2\x80\xAF";
  f.decimal = "\xE2\x82\xAC";
  f.am = "\xE4\xB8\x8A\xE5\x8D\x88";
  f.pm = "P\xC3";
  SetHeadlessLocaleFacts(&f);
  EXPECT_EQ(Info(LOCALE_STHOUSAND), "\xA0");
  EXPECT_EQ(Info(LOCALE_SDECIMAL), "\x80");
  EXPECT_EQ(Info(LOCALE_S1159), "??");
  EXPECT_EQ(Info(LOCALE_S2359), "P?");
}

TEST_F(LocaleInfo, SeparatorsAndClockComeFromTheFormats) {
  WinLocaleFacts f = GermanFacts();
  f.dateFormat = "%Y-%m-%d";
  f.timeFormat = "%I.%M.%S %p";
  f.firstWeekday = 6;
  SetHeadlessLocaleFacts(&f);
  EXPECT_EQ(Info(LOCALE_SDATE), "-");
  EXPECT_EQ(Info(LOCALE_STIME), ".");
  EXPECT_EQ(Info(LOCALE_ITIME), "0");
  EXPECT_EQ(Info(LOCALE_IFIRSTDAYOFWEEK), "5");
  f.dateFormat = "%D";
  f.timeFormat = "%r";
  SetHeadlessLocaleFacts(&f);
  EXPECT_EQ(Info(LOCALE_SDATE), "/");
  EXPECT_EQ(Info(LOCALE_STIME), ":");
  EXPECT_EQ(Info(LOCALE_ITIME), "0");
  f.dateFormat = "%e %B %Y";
  f.timeFormat = "%Hh%M";
  SetHeadlessLocaleFacts(&f);
  EXPECT_EQ(Info(LOCALE_SDATE), " ");
  EXPECT_EQ(Info(LOCALE_STIME), "h");
  EXPECT_EQ(Info(LOCALE_ITIME), "1");
  // A format with a single conversion has no separator of its own.
  f.dateFormat = "%x";
  f.timeFormat = "";
  SetHeadlessLocaleFacts(&f);
  EXPECT_EQ(Info(LOCALE_SDATE), "/");
  EXPECT_EQ(Info(LOCALE_STIME), ":");
}

TEST_F(LocaleInfo, SizeZeroAsksForTheSizeAndAShortBufferFails) {
  EXPECT_EQ(GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDAYNAME1 + 2, nullptr, 0), 10);
  char small[9] = {};
  EXPECT_EQ(GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDAYNAME1 + 2, small, 9), 0);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  char exact[10];
  EXPECT_EQ(GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDAYNAME1 + 2, exact, 10), 10);
  EXPECT_STREQ(exact, "Wednesday");
}

TEST_F(LocaleInfo, UnknownTypesAndLocalesAreRefused) {
  char buffer[16];
  EXPECT_EQ(GetLocaleInfoA(LOCALE_USER_DEFAULT, 0x7777, buffer, 16), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_FLAGS);
  EXPECT_EQ(GetLocaleInfoA(0x0407, LOCALE_SDECIMAL, buffer, 16), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, nullptr, 16), 0);
  // The system default is the same locale; the no-override flag is ignored.
  EXPECT_GT(GetLocaleInfoA(LOCALE_SYSTEM_DEFAULT, LOCALE_SDECIMAL | LOCALE_NOUSEROVERRIDE,
                           buffer, 16),
            0);
}

TEST_F(LocaleInfo, ALocaleTheSystemLacksIsRefusedByName) {
  EXPECT_FALSE(SetHeadlessLocale("xx_NOWHERE.UTF-8"));
  EXPECT_EQ(Info(LOCALE_SDECIMAL), ".");
}

}  // namespace
