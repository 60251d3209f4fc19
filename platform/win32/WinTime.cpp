// The tick count and the calendar time of the stand-in.
#include "platform/win32/WinTime.h"

#include <atomic>
#include <ctime>

namespace {

std::atomic<bool> gTicksFrozen{false};
std::atomic<uint64_t> gFrozenTicks{0};
// The frozen local time; only the host's one thread sets and reads it.
bool gLocalFrozen = false;
SYSTEMTIME gFrozenLocal{};

uint64_t MonotonicMilliseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
}

// Counting starts when the library loads, as Windows counts from boot.
const uint64_t gStart = MonotonicMilliseconds();

void Fill(const tm& broken, long nanoseconds, SYSTEMTIME* time) {
  time->wYear = static_cast<WORD>(broken.tm_year + 1900);
  time->wMonth = static_cast<WORD>(broken.tm_mon + 1);
  time->wDayOfWeek = static_cast<WORD>(broken.tm_wday);
  time->wDay = static_cast<WORD>(broken.tm_mday);
  time->wHour = static_cast<WORD>(broken.tm_hour);
  time->wMinute = static_cast<WORD>(broken.tm_min);
  time->wSecond = static_cast<WORD>(broken.tm_sec > 59 ? 59 : broken.tm_sec);
  time->wMilliseconds = static_cast<WORD>(nanoseconds / 1000000);
}

bool IsLeap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

// Days from 1 January 1601 to the first day of the year.
int64_t DaysBeforeYear(int64_t year) {
  const int64_t y = year - 1601;
  return y * 365 + y / 4 - y / 100 + y / 400;
}

}  // namespace

DWORD GetTickCount() { return static_cast<DWORD>(GetTickCount64()); }

// The virtual clock of a loaded input script (WinInput.cpp).
bool WinVirtualClock(uint64_t* now);

ULONGLONG GetTickCount64() {
  uint64_t virtualNow = 0;
  if (WinVirtualClock(&virtualNow)) return virtualNow;
  if (gTicksFrozen.load()) return gFrozenTicks.load();
  return MonotonicMilliseconds() - gStart;
}

void GetLocalTime(SYSTEMTIME* time) {
  if (time == nullptr) return;
  if (gLocalFrozen) {
    *time = gFrozenLocal;
    return;
  }
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  tm broken{};
  localtime_r(&now.tv_sec, &broken);
  Fill(broken, now.tv_nsec, time);
}

void GetSystemTime(SYSTEMTIME* time) {
  if (time == nullptr) return;
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  tm broken{};
  gmtime_r(&now.tv_sec, &broken);
  Fill(broken, now.tv_nsec, time);
}

BOOL SystemTimeToFileTime(const SYSTEMTIME* time, FILETIME* fileTime) {
  static const int kMonthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (time == nullptr || fileTime == nullptr || time->wYear < 1601 || time->wYear > 30827 ||
      time->wMonth < 1 || time->wMonth > 12 || time->wDay < 1 || time->wHour > 23 ||
      time->wMinute > 59 || time->wSecond > 59 || time->wMilliseconds > 999) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE_;
  }
  const int year = time->wYear;
  int monthDays = kMonthDays[time->wMonth - 1] + (time->wMonth == 2 && IsLeap(year) ? 1 : 0);
  if (time->wDay > monthDays) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE_;
  }
  int64_t days = DaysBeforeYear(year);
  for (int m = 1; m < time->wMonth; ++m) {
    days += kMonthDays[m - 1] + (m == 2 && IsLeap(year) ? 1 : 0);
  }
  days += time->wDay - 1;
  const int64_t milliseconds =
      ((days * 24 + time->wHour) * 60 + time->wMinute) * 60000 + time->wSecond * 1000 +
      time->wMilliseconds;
  const uint64_t intervals = static_cast<uint64_t>(milliseconds) * 10000u;
  fileTime->dwLowDateTime = static_cast<DWORD>(intervals);
  fileTime->dwHighDateTime = static_cast<DWORD>(intervals >> 32);
  return TRUE_;
}

void FreezeHeadlessTickCount(ULONGLONG milliseconds) {
  gFrozenTicks.store(milliseconds);
  gTicksFrozen.store(true);
}

void ReleaseHeadlessTickCount() { gTicksFrozen.store(false); }

BOOL FreezeLocalTime(const SYSTEMTIME* time) {
  FILETIME checked{};
  if (time == nullptr || !SystemTimeToFileTime(time, &checked)) return FALSE_;
  gFrozenLocal = *time;
  // 1 January 1601 was a Monday (1); a day is 864,000,000,000 intervals.
  const uint64_t days = ((uint64_t(checked.dwHighDateTime) << 32) | checked.dwLowDateTime) / 864000000000u;
  gFrozenLocal.wDayOfWeek = static_cast<WORD>((days + 1) % 7);
  gLocalFrozen = true;
  return TRUE_;
}

void ReleaseLocalTime() { gLocalFrozen = false; }
