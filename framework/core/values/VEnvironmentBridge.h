// The settings and the clock that the text forms of numbers, times and dates
// and the date and time values read from the system environment, which sits
// above them. The environment installs its implementation at start; until
// then (and after stop) a default answers with the "C" locale's settings and
// the process's local clock.
#pragma once

#include <cstdint>

#include "framework/core/VService.h"

class VString;

// The date orders: which of the three fields of a date text holds what.
constexpr int32_t kDateOrderMDY = 0;
constexpr int32_t kDateOrderDMY = 1;
constexpr int32_t kDateOrderYMD = 2;
constexpr int32_t kDateOrderMYD = 3;
constexpr int32_t kDateOrderDYM = 4;
constexpr int32_t kDateOrderYDM = 5;

// The local date and time as the environment's clock gives it, in this order.
struct VLocalDateTime {
  uint16_t year = 0;
  uint16_t month = 0;
  uint16_t day = 0;
  uint16_t dayOfWeek = 0;  // 0 Sunday ... 6 Saturday
  uint16_t hour = 0;
  uint16_t minute = 0;
  uint16_t second = 0;
  uint16_t milliseconds = 0;
};

// Every call is asked afresh each time it is needed; nothing is cached on
// this side, so a change of the user's settings shows at once.
class VEnvironmentBridge {
 public:
  virtual ~VEnvironmentBridge() = default;

  // One character each; the defaults are ".", "/" and ":".
  virtual char16_t GetDecimalSeparator();
  virtual char16_t GetDateSeparator();
  virtual char16_t GetTimeSeparator();
  // kDateOrderMDY to kDateOrderYDM; month-day-year by default.
  virtual int32_t GetDateOrder();
  // The morning and afternoon designators, which may be empty; " AM" and
  // " PM" by default (the environment puts a space before a designator).
  virtual void GetMorningText(VString& out);
  virtual void GetAfternoonText(VString& out);
  // The words for true and false; "true" and "false" by default.
  virtual void GetBooleanText(VString& out, bool value);
  // The local clock; by default the process's local time.
  virtual VLocalDateTime GetLocalDateTime();
};

// The slot of the environment's bridge.
using VEnvironmentBridgeService = VService<VEnvironmentBridge>;

// The installed bridge, or the default one when none is installed: never null.
VEnvironmentBridge* GetEnvironmentBridge();
