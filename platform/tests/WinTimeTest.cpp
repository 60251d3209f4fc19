// The stand-in's clocks: the tick count in 32 and 64 bits, the frozen tick
// clock of tests, calendar time and its conversion to file time.
#include <gtest/gtest.h>

#include "platform/win32/WinTime.h"

namespace {

TEST(HeadlessClock, FrozenTicksWrapAt32BitsInGetTickCount) {
  FreezeHeadlessTickCount(0x1'0000'0010ull);
  EXPECT_EQ(GetTickCount64(), 0x1'0000'0010ull);
  EXPECT_EQ(GetTickCount(), 0x10u);
  ReleaseHeadlessTickCount();
  const ULONGLONG a = GetTickCount64();
  const ULONGLONG b = GetTickCount64();
  EXPECT_LE(a, b);
  EXPECT_LT(b, 0x1'0000'0000ull);
}

TEST(HeadlessClock, FileTimeCountsFrom1601) {
  SYSTEMTIME epoch{1601, 1, 1, 1, 0, 0, 0, 0};
  FILETIME f{1, 1};
  ASSERT_TRUE(SystemTimeToFileTime(&epoch, &f));
  EXPECT_EQ(f.dwLowDateTime, 0u);
  EXPECT_EQ(f.dwHighDateTime, 0u);
  // 1 January 1970 is 116444736000000000 intervals later.
  SYSTEMTIME unix{1970, 1, 4, 1, 0, 0, 0, 0};
  ASSERT_TRUE(SystemTimeToFileTime(&unix, &f));
  const uint64_t v = (uint64_t{f.dwHighDateTime} << 32) | f.dwLowDateTime;
  EXPECT_EQ(v, 116444736000000000ull);
  // 29 February 2000 12:34:56.789.
  SYSTEMTIME leap{2000, 2, 2, 29, 12, 34, 56, 789};
  ASSERT_TRUE(SystemTimeToFileTime(&leap, &f));
  const uint64_t w = (uint64_t{f.dwHighDateTime} << 32) | f.dwLowDateTime;
  EXPECT_EQ(w, 116444736000000000ull + (951827696789ull * 10000ull));
}

TEST(HeadlessClock, FileTimeRefusesDatesThatDoNotExist) {
  FILETIME f;
  SYSTEMTIME t{1900, 2, 0, 29, 0, 0, 0, 0};
  EXPECT_FALSE(SystemTimeToFileTime(&t, &f));
  t = SYSTEMTIME{1600, 12, 0, 31, 0, 0, 0, 0};
  EXPECT_FALSE(SystemTimeToFileTime(&t, &f));
  t = SYSTEMTIME{2001, 13, 0, 1, 0, 0, 0, 0};
  EXPECT_FALSE(SystemTimeToFileTime(&t, &f));
  t = SYSTEMTIME{2001, 4, 0, 31, 0, 0, 0, 0};
  EXPECT_FALSE(SystemTimeToFileTime(&t, &f));
  t = SYSTEMTIME{2001, 4, 0, 30, 24, 0, 0, 0};
  EXPECT_FALSE(SystemTimeToFileTime(&t, &f));
  EXPECT_FALSE(SystemTimeToFileTime(nullptr, &f));
}

TEST(HeadlessClock, LocalAndSystemTimeAreValidCalendarTimes) {
  SYSTEMTIME local;
  SYSTEMTIME utc;
  GetLocalTime(&local);
  GetSystemTime(&utc);
  for (const SYSTEMTIME& t : {local, utc}) {
    EXPECT_GE(t.wYear, 2020);
    EXPECT_GE(t.wMonth, 1);
    EXPECT_LE(t.wMonth, 12);
    EXPECT_LE(t.wDayOfWeek, 6);
    EXPECT_LE(t.wMilliseconds, 999);
    FILETIME f;
    EXPECT_TRUE(SystemTimeToFileTime(&t, &f));
  }
}

TEST(HeadlessClock, FrozenLocalTimeStandsStillWithItsWeekdayUntilReleased) {
  // 5 March 2026 is a Thursday (4), 1 January 1601 a Monday (1).
  SYSTEMTIME fixed{2026, 3, 0, 5, 14, 30, 0, 0};
  ASSERT_TRUE(FreezeLocalTime(&fixed));
  SYSTEMTIME read{};
  GetLocalTime(&read);
  EXPECT_EQ(read.wYear, 2026);
  EXPECT_EQ(read.wMonth, 3);
  EXPECT_EQ(read.wDay, 5);
  EXPECT_EQ(read.wDayOfWeek, 4);
  EXPECT_EQ(read.wHour, 14);
  EXPECT_EQ(read.wMinute, 30);
  SYSTEMTIME first{1601, 1, 0, 1, 0, 0, 0, 0};
  ASSERT_TRUE(FreezeLocalTime(&first));
  GetLocalTime(&read);
  EXPECT_EQ(read.wDayOfWeek, 1);
  // A time out of range leaves the frozen one as it was.
  SYSTEMTIME bad{2026, 2, 0, 30, 0, 0, 0, 0};
  EXPECT_FALSE(FreezeLocalTime(&bad));
  EXPECT_FALSE(FreezeLocalTime(nullptr));
  GetLocalTime(&read);
  EXPECT_EQ(read.wYear, 1601);
  ReleaseLocalTime();
  GetLocalTime(&read);
  EXPECT_GE(read.wYear, 2020);
}

}  // namespace
