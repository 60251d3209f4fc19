// The stand-in host's date and time styles, each shown by its picture.
#include "qvhost/HostDateStyles.h"

#include <cstdio>

namespace {

// Styles 1 to 7 of a date and 1 to 5 of a time; item 0 is the plain form.
// Styles that show the same picture give the same text.
constexpr const char* kDatePictures[] = {
    "dd/MM/yyyy",        // plain
    "dd/MM/yy",          // 1 short
    "ddd d MMMM yyyy",   // 2 abbreviated
    "dddd d MMMM yyyy",  // 3 long
    "dd/MM/yy",          // 4 short, fixed
    "d MMMM, yyyy",      // 5 day month, year
    "d MMM, yyyy",       // 6 day abbreviated month, year
    "dd/MM/yyyy",        // 7 short with the century
};
constexpr const char* kTimePictures[] = {
    "HH:mm:ss",  // plain
    "HH:mm:ss",  // 1
    "HH:mm",     // 2
    "HH:mm:ss",  // 3 hours, minutes, seconds
    "HH:mm",     // 4 hours, minutes
    "h:mm",      // 5 on the 12-hour clock
};
constexpr int32_t kLastDateStyle = 7;
constexpr int32_t kLastTimeStyle = 5;

constexpr const char* kMonthNames[12] = {"January",   "February", "March",    "April",
                                         "May",       "June",     "July",     "August",
                                         "September", "October",  "November", "December"};
constexpr const char* kDayNames[7] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                      "Thursday", "Friday", "Saturday"};

// The day of the week of a date of the Gregorian calendar, 0 for Sunday;
// -1 when the month or the day is out of its range.
int WeekDay(int day, int month, int year) {
  if (month < 1 || month > 12 || day < 1 || day > 31) return -1;
  // Days since 1 March of year 0, counted in 400-year eras.
  const int y = month <= 2 ? year - 1 : year;
  const int era = (y >= 0 ? y : y - 399) / 400;
  const int yearOfEra = y - era * 400;
  const int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  const long long days =
      static_cast<long long>(era) * 146097 + dayOfEra - 719468;  // since 1 January 1970
  const long long weekDay = (days + 4) % 7;                      // that day was a Thursday
  return static_cast<int>(weekDay < 0 ? weekDay + 7 : weekDay);
}

std::string Number(long value, int digits) {
  char text[24];
  std::snprintf(text, sizeof text, "%0*ld", digits, value);
  return text;
}

// What a name of `count` letters shows: the whole name from four letters,
// its first three letters at three.
std::string Named(const char* name, size_t count) {
  const std::string whole = name;
  return count >= 4 ? whole : whole.substr(0, 3);
}

// The date and the time a picture shows.
struct Moment {
  int day = 0, month = 0, year = 0;
  long seconds = 0;
};

// The picture with each run of a field letter replaced by what it shows;
// any other character stands as it is.
std::string Show(const std::string& picture, const Moment& m) {
  std::string out;
  for (size_t at = 0; at < picture.size();) {
    const char letter = picture[at];
    size_t count = 1;
    while (at + count < picture.size() && picture[at + count] == letter) ++count;
    const int width = count >= 2 ? 2 : 1;
    const long hours = m.seconds / 3600;
    switch (letter) {
      case 'd':
        if (count <= 2) {
          out += Number(m.day, width);
        } else if (const int weekDay = WeekDay(m.day, m.month, m.year); weekDay >= 0) {
          out += Named(kDayNames[weekDay], count);
        }
        break;
      case 'M':
        if (count <= 2) {
          out += Number(m.month, width);
        } else if (m.month >= 1 && m.month <= 12) {
          out += Named(kMonthNames[m.month - 1], count);
        }
        break;
      case 'y':
        out += count <= 2 ? Number(((m.year % 100) + 100) % 100, 2) : Number(m.year, 4);
        break;
      case 'H': out += Number(hours, width); break;
      case 'h': out += Number(hours % 12 == 0 ? 12 : hours % 12, width); break;
      case 'm': out += Number((m.seconds / 60) % 60, width); break;
      case 's': out += Number(m.seconds % 60, width); break;
      default: out.append(count, letter); break;
    }
    at += count;
  }
  return out;
}

}  // namespace

const char* HostDatePicture(int32_t style) {
  return kDatePictures[style >= 1 && style <= kLastDateStyle ? style : 0];
}

const char* HostTimePicture(int32_t style) {
  return kTimePictures[style >= 1 && style <= kLastTimeStyle ? style : 0];
}

std::string HostDateText(const VDateRec& date, int32_t style) {
  const bool styled = style >= 1 && style <= kLastDateStyle;
  if (styled && date.day == 0 && date.month == 0 && date.year == 0) return {};
  Moment m;
  m.day = date.day;
  m.month = date.month;
  m.year = date.year;
  return Show(HostDatePicture(style), m);
}

std::string HostTimeText(int32_t seconds, int32_t style) {
  Moment m;
  m.seconds = seconds < 0 ? 0 : seconds;
  return Show(HostTimePicture(style), m);
}
