// The text forms of strings read their separators, date order, designators
// and words for true and false from the system environment once its bridge
// is installed, and fall back to the defaults when it is removed.
#include "framework/core/strings/VUniString.h"
#include "framework/core/values/VEnvironmentBridge.h"
#include "framework/system/environment/VSystemEnvironmentBridge.h"
#include "framework/system/tests/SystemEnvironmentSupport.h"

namespace {

WinLocaleFacts German() {
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

class EnvironmentBridge : public EnvironmentTest {
 protected:
  void SetUp() override {
    EnvironmentTest::SetUp();
    facts_ = German();
    SetHeadlessLocaleFacts(&facts_);
    gSystemServices = &Services();
    VEnvironmentBridgeService::Install(SystemEnvironmentBridge());
  }
  void TearDown() override {
    VEnvironmentBridgeService::Remove(SystemEnvironmentBridge());
    gSystemServices = nullptr;
    EnvironmentTest::TearDown();
  }
  WinLocaleFacts facts_;
};

TEST_F(EnvironmentBridge, AnswersTheLocaleOfTheEnvironment) {
  VEnvironmentBridge* bridge = GetEnvironmentBridge();
  EXPECT_EQ(bridge->GetDecimalSeparator(), u',');
  EXPECT_EQ(bridge->GetDateSeparator(), u'.');
  EXPECT_EQ(bridge->GetTimeSeparator(), u':');
  EXPECT_EQ(bridge->GetDateOrder(), kDateOrderDMY);
  VStr<32> am;
  bridge->GetMorningText(am);
  EXPECT_EQ(am.GetLength(), 0);
}

TEST_F(EnvironmentBridge, StringsReadRealsAndDatesInTheLocalesForm) {
  VStr<32> text;
  text.SetUniCText(u"3,5");
  EXPECT_DOUBLE_EQ(text.GetReal(-1), 3.5);
  text.SetUniCText(u"24.12.2026");
  VDateRec date;
  text.GetDate(date, -1);
  EXPECT_EQ(date.day, 24);
  EXPECT_EQ(date.month, 12);
  EXPECT_EQ(date.year, 2026);
}

TEST_F(EnvironmentBridge, RemovedItLeavesTheDefaults) {
  VEnvironmentBridgeService::Remove(SystemEnvironmentBridge());
  VEnvironmentBridge* bridge = GetEnvironmentBridge();
  EXPECT_EQ(bridge->GetDecimalSeparator(), u'.');
  EXPECT_EQ(bridge->GetDateOrder(), kDateOrderMDY);
}

TEST_F(EnvironmentBridge, YearFirstLocalesGiveTheYearFirstOrder) {
  facts_.dateFormat = "%Y-%m-%d";
  SetHeadlessLocaleFacts(&facts_);
  EXPECT_EQ(GetEnvironmentBridge()->GetDateOrder(), kDateOrderYMD);
}

}  // namespace
