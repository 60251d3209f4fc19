// The user's locale as GetLocaleInfoA answers it: separators, day and month
// names, the AM and PM designators, the time format and the first day of the
// week, taken from glibc's locale data (converted from the locale's code set
// into Windows ANSI text). Which locale is chosen: the one a test or the
// stand-in host names, else the process environment (LC_ALL, LC_NUMERIC or
// LC_TIME, LANG). The "C" and "POSIX" locales, and a locale the system does
// not have, answer as a Windows installation for United States English.
#pragma once

#include "platform/win32/WinFiles.h"  // ERROR_INSUFFICIENT_BUFFER
#include "platform/win32/WinTypes.h"

using LCID = DWORD;
using LCTYPE = DWORD;

constexpr LCID LOCALE_USER_DEFAULT = 0x0400;
constexpr LCID LOCALE_SYSTEM_DEFAULT = 0x0800;

constexpr LCTYPE LOCALE_SDECIMAL = 0x000E;
constexpr LCTYPE LOCALE_STHOUSAND = 0x000F;
constexpr LCTYPE LOCALE_SDATE = 0x001D;
constexpr LCTYPE LOCALE_STIME = 0x001E;
// "0" for the 12-hour clock, "1" for the 24-hour clock.
constexpr LCTYPE LOCALE_IDATE = 0x0021;  // "0" month-day-year, "1" day-month-year, "2" year-month-day
constexpr LCTYPE LOCALE_ITIME = 0x0023;
constexpr LCTYPE LOCALE_S1159 = 0x0028;
constexpr LCTYPE LOCALE_S2359 = 0x0029;
// Day names from Monday (1) to Sunday (7).
constexpr LCTYPE LOCALE_SDAYNAME1 = 0x002A;
constexpr LCTYPE LOCALE_SABBREVDAYNAME1 = 0x0031;
constexpr LCTYPE LOCALE_SMONTHNAME1 = 0x0038;
constexpr LCTYPE LOCALE_SABBREVMONTHNAME1 = 0x0044;
// "0" Monday to "6" Sunday.
constexpr LCTYPE LOCALE_IFIRSTDAYOFWEEK = 0x100C;
// Ignored: the stand-in knows no user overrides.
constexpr LCTYPE LOCALE_NOUSEROVERRIDE = 0x80000000;

// Windows ANSI (code page 1252) and UTF-16: the character of a byte (a
// byte the code page leaves undefined stands for itself); the byte of a
// character, '?' when the code page has none.
QV_PLATFORM_API uint16_t WinAnsiToUnicode(uint8_t byte);
QV_PLATFORM_API char WinUnicodeToAnsi(uint32_t c);

// The system's default language: set by the stand-in host or a test, else
// that of the locale's name (language and territory, as "ja_JP"), United
// States English (1033) for one the table lacks.
using LANGID = uint16_t;
QV_PLATFORM_API LANGID GetSystemDefaultLangID();
// 0 goes back to the locale's.
QV_PLATFORM_API void SetHeadlessSystemLanguage(LANGID language);

// Copies the text with its terminating zero into `data` and answers the
// number of bytes copied; with `size` 0 answers the size needed. 0 with
// ERROR_INSUFFICIENT_BUFFER when the buffer is too small, ERROR_INVALID_FLAGS
// for an unknown type, ERROR_INVALID_PARAMETER for a locale other than the
// user's or the system's default (both are the chosen locale).
QV_PLATFORM_API int GetLocaleInfoA(LCID locale, LCTYPE type, char* data, int size);
constexpr DWORD ERROR_INVALID_FLAGS = 1004;

// What a locale says, as UTF-8 texts, for a locale the system does not carry.
struct WinLocaleFacts {
  const char* decimal;
  const char* thousands;
  const char* dateFormat;  // strftime form, as "%d.%m.%Y"
  const char* timeFormat;  // as "%H:%M:%S"
  const char* am;
  const char* pm;
  const char* days[7];  // Sunday first
  const char* abbreviatedDays[7];
  const char* months[12];
  const char* abbreviatedMonths[12];
  int firstWeekday;  // 0 Sunday to 6 Saturday
};

// ---- Set by the stand-in host and by tests.
// Chooses a locale of the system by name ("C.UTF-8", "de_DE.UTF-8"); null
// goes back to the environment. False (nothing changes) when the system has
// no such locale.
QV_PLATFORM_API BOOL SetHeadlessLocale(const char* name);
// Chooses the given facts (copied); null goes back to the environment.
QV_PLATFORM_API void SetHeadlessLocaleFacts(const WinLocaleFacts* facts);
