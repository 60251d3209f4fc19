// The text forms' settings, answered by the system environment: its
// separators and designators, the locale's date order, its words for true and
// false, and the local clock.
#include "framework/system/environment/VSystemEnvironmentBridge.h"

#include "framework/core/strings/VString.h"
#include "framework/core/values/VEnvironmentBridge.h"
#include "framework/system/environment/VSystemServices.h"
#include "platform/win32/WinLocale.h"
#include "platform/win32/WinTime.h"

namespace {

class SystemEnvironmentBridge : public VEnvironmentBridge {
 public:
  char16_t GetDecimalSeparator() override {
    return gSystemServices ? gSystemServices->GetDecimalSeparator() : VEnvironmentBridge::GetDecimalSeparator();
  }
  char16_t GetDateSeparator() override {
    return gSystemServices ? gSystemServices->GetDateSeparator() : VEnvironmentBridge::GetDateSeparator();
  }
  char16_t GetTimeSeparator() override {
    return gSystemServices ? gSystemServices->GetTimeSeparator() : VEnvironmentBridge::GetTimeSeparator();
  }
  // The locale's short-date order: month-day-year, day-month-year or
  // year-month-day, the three orders the user's settings can give.
  int32_t GetDateOrder() override {
    char digit[4] = {};
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_IDATE, digit, sizeof digit) <= 0) {
      return VEnvironmentBridge::GetDateOrder();
    }
    switch (digit[0]) {
      case '1':
        return kDateOrderDMY;
      case '2':
        return kDateOrderYMD;
      default:
        return kDateOrderMDY;
    }
  }
  void GetMorningText(VString& out) override {
    if (gSystemServices) {
      out.Assign(gSystemServices->GetAMText());
    } else {
      VEnvironmentBridge::GetMorningText(out);
    }
  }
  void GetAfternoonText(VString& out) override {
    if (gSystemServices) {
      out.Assign(gSystemServices->GetPMText());
    } else {
      VEnvironmentBridge::GetAfternoonText(out);
    }
  }
  void GetBooleanText(VString& out, bool value) override {
    if (gSystemServices) {
      gSystemServices->GetBooleanText(out, value);
    } else {
      VEnvironmentBridge::GetBooleanText(out, value);
    }
  }
  VLocalDateTime GetLocalDateTime() override {
    SYSTEMTIME t{};
    GetLocalTime(&t);
    VLocalDateTime d;
    d.year = t.wYear;
    d.month = t.wMonth;
    d.day = t.wDay;
    d.dayOfWeek = t.wDayOfWeek;
    d.hour = t.wHour;
    d.minute = t.wMinute;
    d.second = t.wSecond;
    d.milliseconds = t.wMilliseconds;
    return d;
  }
};

SystemEnvironmentBridge sBridge;

}  // namespace

VEnvironmentBridge* SystemEnvironmentBridge() { return &sBridge; }
