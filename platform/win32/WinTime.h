// Clocks and calendar time of the stand-in: the tick count since start-up
// from the monotonic clock, and the local and universal calendar time from
// the real-time clock with the C library's time zone (TZ).
#pragma once

#include "platform/win32/WinFiles.h"  // SYSTEMTIME and FILETIME
#include "platform/win32/WinTypes.h"

using ULONGLONG = uint64_t;

// Milliseconds since the process started, wrapping at 32 bits, and the same
// count in 64 bits. While an input script is loaded (WinInput.h) both read
// its virtual clock instead, which counts in 64 bits as well.
QV_PLATFORM_API DWORD GetTickCount();
QV_PLATFORM_API ULONGLONG GetTickCount64();
QV_PLATFORM_API void GetLocalTime(SYSTEMTIME* time);
QV_PLATFORM_API void GetSystemTime(SYSTEMTIME* time);
// Fails (ERROR_INVALID_PARAMETER) for a field out of range or a year before
// 1601 or after 30827.
QV_PLATFORM_API BOOL SystemTimeToFileTime(const SYSTEMTIME* time, FILETIME* fileTime);

// ---- Set by tests: the tick clock stands still at the given count of
// milliseconds until it is released again.
QV_PLATFORM_API void FreezeHeadlessTickCount(ULONGLONG milliseconds);
QV_PLATFORM_API void ReleaseHeadlessTickCount();

// ---- Set by tests and host scripts: the local calendar time stands still
// at `time` (its day of the week worked out from the date) until it is
// released; false, with the clock unchanged, for a date or time out of
// range.
QV_PLATFORM_API BOOL FreezeLocalTime(const SYSTEMTIME* time);
QV_PLATFORM_API void ReleaseLocalTime();
