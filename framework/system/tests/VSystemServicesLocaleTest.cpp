// The system environment's locale: separators, designators, time format and
// first day of the week read at construction, day and month names, and the
// character classes of Macintosh Roman bytes.
#include "framework/system/tests/SystemEnvironmentSupport.h"

namespace {

WinLocaleFacts Facts() {
  return WinLocaleFacts{
      ",",
      ".",
      "%d.%m.%Y",
      "%H:%M:%S",
      "",
      "",
      {"Sonntag", "Montag", "Dienstag", "Mittwoch", "Donnerstag", "Freitag", "Samstag"},
      {"So", "Mo", "Di", "Mi", "Do", "Fr", "Sa"},
      {"Januar", "Februar", "Marz", "April", "Mai", "Juni", "Juli", "August", "September",
       "Oktober", "November", "Dezember"},
      {"Jan", "Feb", "Mrz", "Apr", "Mai", "Jun", "Jul", "Aug", "Sep", "Okt", "Nov", "Dez"},
      1};
}

std::u16string Text(const VString& s) {
  std::u16string out;
  for (int32_t i = 1; i <= s.GetLength(); ++i) out += s.GetCharAt(i);
  return out;
}

using Locale = EnvironmentTest;

TEST_F(Locale, UnitedStatesSettingsOfTheCLocale) {
  VSystemServices& s = Services();
  EXPECT_EQ(s.GetDecimalSeparator(), u'.');
  EXPECT_EQ(s.GetThousandsSeparator(), u',');
  EXPECT_EQ(s.GetDateSeparator(), u'/');
  EXPECT_EQ(s.GetTimeSeparator(), u':');
  EXPECT_EQ(s.GetTimeFormat(), 0);
  EXPECT_EQ(s.GetFirstDayOfWeek(), 0);
  // The designators get one space before them.
  EXPECT_EQ(Text(s.GetAMText()), u" AM");
  EXPECT_EQ(Text(s.GetPMText()), u" PM");
}

TEST_F(Locale, SettingsOfAnotherLocale) {
  const WinLocaleFacts facts = Facts();
  SetHeadlessLocaleFacts(&facts);
  VSystemServices& s = Services();
  EXPECT_EQ(s.GetDecimalSeparator(), u',');
  EXPECT_EQ(s.GetThousandsSeparator(), u'.');
  EXPECT_EQ(s.GetDateSeparator(), u'.');
  EXPECT_EQ(s.GetTimeFormat(), 1);
  // Monday, which Windows numbers 0.
  EXPECT_EQ(s.GetFirstDayOfWeek(), 1);
  // Empty designators stay empty.
  EXPECT_EQ(s.GetAMText().GetLength(), 0);
}

TEST_F(Locale, ADesignatorBeginningWithASpaceIsUsedUnchanged) {
  WinLocaleFacts facts = Facts();
  facts.am = " vorm.";
  facts.pm = "nachm.";
  SetHeadlessLocaleFacts(&facts);
  EXPECT_EQ(Text(Services().GetAMText()), u" vorm.");
  EXPECT_EQ(Text(Services().GetPMText()), u" nachm.");
}

TEST_F(Locale, FirstDayOfWeekFromEveryWindowsDigit) {
  // The facts count from Sunday; Windows from Monday; the environment from
  // Sunday again.
  for (int sunday = 0; sunday < 7; ++sunday) {
    WinLocaleFacts facts = Facts();
    facts.firstWeekday = sunday;
    SetHeadlessLocaleFacts(&facts);
    VSystemServices s;
    EXPECT_EQ(s.GetFirstDayOfWeek(), sunday);
  }
}

TEST_F(Locale, AnEmptySeparatorKeepsTheDefault) {
  WinLocaleFacts facts = Facts();
  facts.thousands = "";
  SetHeadlessLocaleFacts(&facts);
  EXPECT_EQ(Services().GetThousandsSeparator(), u',');
}

TEST_F(Locale, DayNamesCountFromSunday) {
  VStr<40> name;
  VSystemServices::GetDayName(0, false, name);
  EXPECT_EQ(Text(name), u"Sunday");
  VSystemServices::GetDayName(1, false, name);
  EXPECT_EQ(Text(name), u"Monday");
  VSystemServices::GetDayName(6, true, name);
  EXPECT_EQ(Text(name), u"Sat");
  VSystemServices::GetDayName(7, false, name);
  EXPECT_EQ(name.GetLength(), 0);
  name.SetAnsiCText("x");
  VSystemServices::GetDayName(-1, false, name);
  EXPECT_EQ(name.GetLength(), 0);
}

TEST_F(Locale, MonthNamesCountFromOne) {
  VStr<40> name;
  VSystemServices::GetMonthName(1, false, name);
  EXPECT_EQ(Text(name), u"January");
  VSystemServices::GetMonthName(12, true, name);
  EXPECT_EQ(Text(name), u"Dec");
  VSystemServices::GetMonthName(0, false, name);
  EXPECT_EQ(name.GetLength(), 0);
  name.SetAnsiCText("x");
  VSystemServices::GetMonthName(13, true, name);
  EXPECT_EQ(name.GetLength(), 0);
}

TEST_F(Locale, NamesOfAnotherLocale) {
  const WinLocaleFacts facts = Facts();
  SetHeadlessLocaleFacts(&facts);
  VStr<40> name;
  VSystemServices::GetDayName(0, true, name);
  EXPECT_EQ(Text(name), u"So");
  VSystemServices::GetMonthName(10, false, name);
  EXPECT_EQ(Text(name), u"Oktober");
}

TEST(CharacterClasses, TheEdgesOfEachClass) {
  EXPECT_TRUE(VSystemServices::IsCharOfClass(95, kCharClassWord));
  EXPECT_FALSE(VSystemServices::IsCharOfClass(127, kCharClassPrintable));
  for (int c = 0; c < 256; ++c) {
    EXPECT_FALSE(VSystemServices::IsCharOfClass(static_cast<uint8_t>(c), 6));
    EXPECT_FALSE(VSystemServices::IsCharOfClass(static_cast<uint8_t>(c), -1));
  }
  EXPECT_TRUE(VSystemServices::IsCharOfClass(9, kCharClassPrintable));
  EXPECT_TRUE(VSystemServices::IsCharOfClass(13, kCharClassPrintable));
  EXPECT_FALSE(VSystemServices::IsCharOfClass(10, kCharClassPrintable));
  EXPECT_TRUE(VSystemServices::IsCharOfClass(255, kCharClassPrintable));
  EXPECT_TRUE(VSystemServices::IsCharOfClass(128, kCharClassWord));
  EXPECT_TRUE(VSystemServices::IsCharOfClass(159, kCharClassWordStart));
  EXPECT_FALSE(VSystemServices::IsCharOfClass(160, kCharClassWord));
  EXPECT_TRUE(VSystemServices::IsCharOfClass(174, kCharClassWord));
  EXPECT_TRUE(VSystemServices::IsCharOfClass(190, kCharClassWordStart));
  EXPECT_TRUE(VSystemServices::IsCharOfClass(203, kCharClassWord));
  EXPECT_TRUE(VSystemServices::IsCharOfClass(207, kCharClassWord));
  EXPECT_FALSE(VSystemServices::IsCharOfClass(208, kCharClassWord));
  EXPECT_TRUE(VSystemServices::IsCharOfClass('7', kCharClassWord));
  EXPECT_FALSE(VSystemServices::IsCharOfClass('7', kCharClassWordStart));
  EXPECT_FALSE(VSystemServices::IsCharOfClass(128, kCharClassAsciiWord));
  EXPECT_TRUE(VSystemServices::IsCharOfClass('_', kCharClassAsciiWordStart));
  EXPECT_FALSE(VSystemServices::IsCharOfClass('9', kCharClassAsciiWordStart));
  EXPECT_TRUE(VSystemServices::IsCharOfClass('9', kCharClassDigit));
  EXPECT_FALSE(VSystemServices::IsCharOfClass('a', kCharClassDigit));
}

}  // namespace
