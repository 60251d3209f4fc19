// The system environment's time: ticks beyond 32-bit milliseconds, the
// intervals, calendar time, the zone offset with summer time, shifts between
// local and universal time, the local seconds since 1970 and the random
// range.
#include <cstdlib>
#include <ctime>
#include <string>

#include "framework/system/tests/SystemEnvironmentSupport.h"

namespace {

// Sets the zone for the test and puts the previous one back after it.
class ZoneGuard {
 public:
  explicit ZoneGuard(const char* zone) {
    const char* old = std::getenv("TZ");
    had_ = old != nullptr;
    if (had_) old_ = old;
    setenv("TZ", zone, 1);
    tzset();
  }
  ~ZoneGuard() {
    if (had_) {
      setenv("TZ", old_.c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
  }

 private:
  bool had_ = false;
  std::string old_;
};

using Clock = EnvironmentTest;

TEST_F(Clock, TicksAreMillisecondsTimesSixOverAHundred) {
  FreezeHeadlessTickCount(1000);
  EXPECT_EQ(VSystemServices::TickCount60(), 60u);
  FreezeHeadlessTickCount(16);
  EXPECT_EQ(VSystemServices::TickCount60(), 0u);
  FreezeHeadlessTickCount(17);
  EXPECT_EQ(VSystemServices::TickCount60(), 1u);
}

TEST_F(Clock, TicksKeepCountingPastEightDays) {
  // 2^32 / 6 milliseconds, about 8.3 days: where a 32-bit product wraps.
  FreezeHeadlessTickCount(715827883);
  EXPECT_EQ(VSystemServices::TickCount60(), 42949672u);
  // 50 days: the millisecond count itself has passed 32 bits.
  FreezeHeadlessTickCount(50ull * 86400 * 1000);
  EXPECT_EQ(VSystemServices::TickCount60(), 259200000u);
  // Ticks beyond 32 bits keep their low 32 bits.
  FreezeHeadlessTickCount(1'000'000'000'000ull);
  EXPECT_EQ(VSystemServices::TickCount60(), static_cast<uint32_t>(60'000'000'000ull));
}

TEST_F(Clock, IntervalsAreInTicks) {
  EXPECT_EQ(VSystemServices::GetDoubleClickTime(), 30u);
  SetDoubleClickTime(250);
  EXPECT_EQ(VSystemServices::GetDoubleClickTime(), 15u);
  EXPECT_EQ(VSystemServices::GetCaretBlinkTime(), 31u);
  EXPECT_EQ(VSystemServices::GetToolTipDelay(), 30u);
}

TEST_F(Clock, TheClickTimeStartsAtTheTicksOfConstruction) {
  FreezeHeadlessTickCount(5000);
  int32_t x = 0;
  int32_t y = 0;
  Services().GetLastClickPosition(x, y);
  EXPECT_EQ(x, -32000);
  EXPECT_EQ(y, -32000);
}

TEST_F(Clock, LocalDateTimeFillsItsEightParts) {
  uint16_t parts[8] = {};
  VSystemServices::GetLocalDateTime(parts);
  const time_t now = std::time(nullptr);
  tm local{};
  localtime_r(&now, &local);
  EXPECT_EQ(parts[0], local.tm_year + 1900);
  EXPECT_EQ(parts[1], local.tm_mon + 1);
  EXPECT_LE(parts[3], 6);
  EXPECT_LE(parts[4], 23);
  EXPECT_LE(parts[7], 999);
}

TEST_F(Clock, CurrentDateAndTimeGoIntoTheValues) {
  DateTimeValue date;
  DateTimeValue time;
  VSystemServices::GetCurrentDateTime(date, time);
  const time_t now = std::time(nullptr);
  tm local{};
  localtime_r(&now, &local);
  EXPECT_EQ(date.fDate.year, local.tm_year + 1900);
  EXPECT_EQ(date.fDate.month, local.tm_mon + 1);
  EXPECT_GE(time.fSeconds, 0);
  EXPECT_LT(time.fSeconds, 86400);
}

TEST_F(Clock, SystemFileTimeIsNowInHundredNanoseconds) {
  uint32_t high = 0;
  uint32_t low = 0;
  VSystemServices::GetSystemFileTime(high, low);
  const uint64_t value = (uint64_t{high} << 32) | low;
  const uint64_t now = (static_cast<uint64_t>(std::time(nullptr)) + 11644473600ull) * 10000000ull;
  EXPECT_LE(value, now + 20000000ull);
  EXPECT_GE(value + 20000000ull, now);
}

TEST_F(Clock, ZoneOffsetOfAFixedZone) {
  ZoneGuard zone("XYZ-5");
  DateTimeValue offset;
  VSystemServices::GetTimeZoneOffset(offset);
  EXPECT_EQ(offset.fSeconds, 5 * 3600);
}

TEST_F(Clock, ZoneOffsetCountsSummerTime) {
  ZoneGuard zone("CET-1CEST,M3.5.0,M10.5.0/3");
  DateTimeValue offset;
  VSystemServices::GetTimeZoneOffset(offset);
  const time_t now = std::time(nullptr);
  tm local{};
  localtime_r(&now, &local);
  EXPECT_EQ(offset.fSeconds, local.tm_isdst > 0 ? 7200 : 3600);
}

TEST_F(Clock, LocalToUniversalSubtractsTheOffsetAcrossMidnight) {
  ZoneGuard zone("UTC0");
  DateTimeValue date;
  DateTimeValue time;
  date.fDate = VDateRec{1, 1, 2000};
  time.fSeconds = 30 * 60;
  DateTimeValue offset;
  offset.fSeconds = 3600;
  VSystemServices::LocalToUniversal(date, time, &offset);
  EXPECT_EQ(date.fDate.day, 31);
  EXPECT_EQ(date.fDate.month, 12);
  EXPECT_EQ(date.fDate.year, 1999);
  EXPECT_EQ(time.fSeconds, 23 * 3600 + 30 * 60);
  VSystemServices::UniversalToLocal(date, time, &offset);
  EXPECT_EQ(date.fDate.day, 1);
  EXPECT_EQ(date.fDate.month, 1);
  EXPECT_EQ(date.fDate.year, 2000);
  EXPECT_EQ(time.fSeconds, 30 * 60);
}

TEST_F(Clock, ShiftsUseTheCurrentOffsetByDefault) {
  ZoneGuard zone("XYZ-2");
  DateTimeValue date;
  DateTimeValue time;
  date.fDate = VDateRec{15, 6, 2010};
  time.fSeconds = 12 * 3600;
  VSystemServices::LocalToUniversal(date, time);
  EXPECT_EQ(date.fDate.day, 15);
  EXPECT_EQ(time.fSeconds, 10 * 3600);
}

TEST_F(Clock, LocalSecondsSince1970MatchTheLocalClock) {
  // Between 1901 and 2099 every year divisible by 4 is a leap year, so the
  // count equals the true one.
  ZoneGuard zone("XYZ-3");
  const time_t before = std::time(nullptr);
  const uint32_t seconds = VSystemServices::GetLocalSeconds1970();
  const time_t after = std::time(nullptr);
  EXPECT_GE(int64_t{seconds}, int64_t{before} + 3 * 3600);
  // std::time reads the coarse clock, which may still show the second
  // before the one the local time reads.
  EXPECT_LE(int64_t{seconds}, int64_t{after} + 3 * 3600 + 1);
}

TEST_F(Clock, RandomInRangeFollowsTheFormula) {
  Tbx::SetRandomSeed(1);  // the next draw is 16807
  EXPECT_EQ(VSystemServices::RandomInRange(10, 1010), 10 + (16807 + 32768) * 1000 / 65536);
  Tbx::SetRandomSeed(1);
  // The width counts as a magnitude.
  EXPECT_EQ(VSystemServices::RandomInRange(1010, 10), 1010 + (16807 + 32768) * 1000 / 65536);
}

TEST_F(Clock, RandomInRangeOverTheWidestRangeDoesNotOverflow) {
  Tbx::SetRandomSeed(99);
  for (int i = 0; i < 500; ++i) {
    const int32_t r = VSystemServices::RandomInRange(INT32_MIN, INT32_MAX);
    EXPECT_GE(r, INT32_MIN);
    const int32_t s = VSystemServices::RandomInRange(-2'000'000'000, 2'000'000'000);
    EXPECT_GE(s, -2'000'000'000);
    EXPECT_LT(s, 2'000'000'000);
  }
}

TEST_F(Clock, RandomInRangeStaysBelowTheTop) {
  Tbx::SetRandomSeed(7);
  for (int i = 0; i < 2000; ++i) {
    const int32_t r = VSystemServices::RandomInRange(1, 32000);
    ASSERT_GE(r, 1);
    ASSERT_LT(r, 32000);
  }
}

}  // namespace
