// GetLocaleInfoA over glibc's locale data, with the Windows ANSI conversion of
// the texts and the Windows forms of the formats.
#include "platform/win32/WinLocale.h"

#include <langinfo.h>
#include <locale.h>

#include <array>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace {

// The facts as owned texts.
struct Facts {
  std::string decimal, thousands, dateFormat, timeFormat, am, pm;
  std::array<std::string, 7> days, abbreviatedDays;
  std::array<std::string, 12> months, abbreviatedMonths;
  int firstWeekday = 0;
};

// A Windows installation for United States English: the answer for the
// "C" locale and for a locale the system lacks.
Facts UnitedStatesFacts() {
  Facts f;
  f.decimal.assign(1, '.');
  f.thousands.assign(1, ',');
  f.dateFormat = "%m/%d/%Y";
  f.timeFormat = "%I:%M:%S %p";
  f.am = "AM";
  f.pm = "PM";
  f.days = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
  f.abbreviatedDays = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  f.months = {"January", "February", "March",     "April",   "May",      "June",
              "July",    "August",   "September", "October", "November", "December"};
  f.abbreviatedMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  f.firstWeekday = 0;
  return f;
}

std::mutex gLocaleMutex;
std::optional<std::string> gLocaleName;  // chosen by name
std::optional<Facts> gGivenFacts;        // chosen by facts
// The facts of the named (or the environment's) locale, read once: reading
// them loads every category of the locale from its files, and the answer
// stays until another locale or other facts are chosen.
std::optional<Facts> gReadFacts;

struct LocaleDeleter {
  void operator()(locale_t l) const {
    if (l != static_cast<locale_t>(0)) freelocale(l);
  }
};
using LocalePtr = std::unique_ptr<std::remove_pointer_t<locale_t>, LocaleDeleter>;

bool IsPlainName(const char* name) {
  if (name == nullptr || name[0] == 0) return true;
  if (std::strcmp(name, "POSIX") == 0) return true;
  return name[0] == 'C' && (name[1] == 0 || name[1] == '.');
}

std::string Item(locale_t l, nl_item item) {
  const char* text = nl_langinfo_l(item, l);
  return text != nullptr ? std::string(text) : std::string();
}

// Day of the week (0 Sunday) of a date written as yyyymmdd.
int WeekdayOf(unsigned yyyymmdd) {
  int64_t y = yyyymmdd / 10000;
  const int64_t m = (yyyymmdd / 100) % 100;
  const int64_t d = yyyymmdd % 100;
  y -= m <= 2 ? 1 : 0;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  const int64_t days = era * 146097 + doe - 719468;  // days since 1970-01-01, a Thursday
  return static_cast<int>(((days % 7) + 7 + 4) % 7);
}

// The facts of a locale of the system, per category: the numeric texts from
// LC_NUMERIC and the rest from LC_TIME; a category in the "C" locale answers
// as United States English.
Facts FactsOfLocale(locale_t l) {
  Facts f = UnitedStatesFacts();
  if (!IsPlainName(nl_langinfo_l(_NL_LOCALE_NAME(LC_NUMERIC), l))) {
    f.decimal = Item(l, RADIXCHAR);
    f.thousands = Item(l, THOUSEP);
  }
  if (!IsPlainName(nl_langinfo_l(_NL_LOCALE_NAME(LC_TIME), l))) {
    f.dateFormat = Item(l, D_FMT);
    f.timeFormat = Item(l, T_FMT);
    f.am = Item(l, AM_STR);
    f.pm = Item(l, PM_STR);
    for (int i = 0; i < 7; ++i) {
      f.days[i] = Item(l, static_cast<nl_item>(DAY_1 + i));
      f.abbreviatedDays[i] = Item(l, static_cast<nl_item>(ABDAY_1 + i));
    }
    for (int i = 0; i < 12; ++i) {
      f.months[i] = Item(l, static_cast<nl_item>(MON_1 + i));
      f.abbreviatedMonths[i] = Item(l, static_cast<nl_item>(ABMON_1 + i));
    }
    // The week's first day: the day of the locale's reference date moved on
    // by its first-weekday number (1 for the reference day itself).
    union {
      const char* text;
      unsigned word;
    } reference;
    reference.text = nl_langinfo_l(_NL_TIME_WEEK_1STDAY, l);
    const char* first = nl_langinfo_l(_NL_TIME_FIRST_WEEKDAY, l);
    const int offset = first != nullptr && first[0] >= 1 && first[0] <= 7 ? first[0] - 1 : 0;
    const unsigned date = reference.word;
    if (date >= 10000101u && date <= 99991231u) f.firstWeekday = (WeekdayOf(date) + offset) % 7;
  }
  return f;
}

Facts ReadFacts() {
  LocalePtr l(newlocale(LC_ALL_MASK, gLocaleName ? gLocaleName->c_str() : "", static_cast<locale_t>(0)));
  if (!l) return UnitedStatesFacts();
  Facts f = FactsOfLocale(l.get());
  // The code set of the texts; the conversion below reads UTF-8 and Latin-1.
  const std::string codeset = Item(l.get(), CODESET);
  if (codeset != "UTF-8") {
    const bool latin1 = codeset == "ISO-8859-1" || codeset == "ISO-8859-15";
    auto widen = [latin1](std::string& s) {
      std::string out;
      for (unsigned char c : s) {
        if (c < 0x80) {
          out += static_cast<char>(c);
        } else if (latin1) {
          out += static_cast<char>(0xC0 | (c >> 6));
          out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
          out += '?';
        }
      }
      s = out;
    };
    for (std::string* s : {&f.decimal, &f.thousands, &f.am, &f.pm}) widen(*s);
    for (auto& s : f.days) widen(s);
    for (auto& s : f.abbreviatedDays) widen(s);
    for (auto& s : f.months) widen(s);
    for (auto& s : f.abbreviatedMonths) widen(s);
  }
  return f;
}

Facts CurrentFacts() {
  std::lock_guard<std::mutex> lock(gLocaleMutex);
  if (gGivenFacts) return *gGivenFacts;
  if (!gReadFacts) gReadFacts = ReadFacts();
  return *gReadFacts;
}

// The code page's own characters in 0x80 to 0x9F; 0 where it has none.
const uint16_t kAnsiHigh[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// The Windows ANSI byte of a code point: Latin-1 as it is, the code page's
// own characters in 0x80 to 0x9F, a narrow no-break space as a no-break
// space, anything else '?'.
char AnsiByte(uint32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
  if (c == 0x202F) return static_cast<char>(0xA0);
  for (int i = 0; i < 32; ++i) {
    if (kAnsiHigh[i] != 0 && kAnsiHigh[i] == c) return static_cast<char>(0x80 + i);
  }
  return '?';
}

// UTF-8 to Windows ANSI; each malformed byte gives one '?'.
std::string ToAnsi(const std::string& utf8) {
  std::string out;
  size_t i = 0;
  const size_t n = utf8.size();
  while (i < n) {
    const auto b = static_cast<unsigned char>(utf8[i]);
    size_t extra = 0;
    uint32_t c = 0;
    if (b < 0x80) {
      c = b;
    } else if ((b & 0xE0) == 0xC0) {
      extra = 1;
      c = b & 0x1F;
    } else if ((b & 0xF0) == 0xE0) {
      extra = 2;
      c = b & 0x0F;
    } else if ((b & 0xF8) == 0xF0) {
      extra = 3;
      c = b & 0x07;
    } else {
      out += '?';
      ++i;
      continue;
    }
    bool good = extra < n - i;
    for (size_t k = 1; good && k <= extra; ++k) {
      const auto t = static_cast<unsigned char>(utf8[i + k]);
      good = (t & 0xC0) == 0x80;
      c = (c << 6) | (t & 0x3F);
    }
    if (!good) {
      out += '?';
      ++i;
      continue;
    }
    out += AnsiByte(c);
    i += extra + 1;
  }
  return out;
}

// The separator of a format: the text between its first two conversions
// ("." in "%d.%m.%Y"), or the fallback when there is none.
std::string SeparatorOf(const std::string& format, const char* fallback) {
  // The composite conversions stand for their own forms.
  std::string expanded;
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] == '%' && i + 1 < format.size()) {
      const char c = format[i + 1];
      const char* form = c == 'D' ? "%m/%d/%y" : c == 'F' ? "%Y-%m-%d" : c == 'T' ? "%H:%M:%S"
                         : c == 'R' ? "%H:%M" : c == 'r' ? "%I:%M:%S %p" : nullptr;
      if (form != nullptr) {
        expanded += form;
        ++i;
        continue;
      }
    }
    expanded += format[i];
  }
  // The text between the first conversion and the next one.
  size_t i = expanded.find('%');
  if (i == std::string::npos) return fallback;
  ++i;
  while (i < expanded.size() && !std::isalpha(static_cast<unsigned char>(expanded[i]))) ++i;
  const size_t from = i + 1;
  if (from >= expanded.size()) return fallback;
  const size_t to = expanded.find('%', from);
  std::string separator = expanded.substr(from, to == std::string::npos ? std::string::npos : to - from);
  if (!separator.empty()) return separator;
  return fallback;
}

// "1" when the time format counts the hours to 24, "0" when to 12.
std::string TimeFormatDigit(const std::string& format) {
  for (size_t i = 0; i + 1 < format.size(); ++i) {
    if (format[i] != '%') continue;
    size_t k = i + 1;
    while (k < format.size() && !std::isalpha(static_cast<unsigned char>(format[k]))) ++k;
    if (k >= format.size()) break;
    const char c = format[k];
    if (c == 'H' || c == 'k' || c == 'T' || c == 'R') return "1";
    if (c == 'I' || c == 'l' || c == 'r') return "0";
    i = k;
  }
  return "1";
}

// The order of the fields of the date format: "0" month-day-year, "1"
// day-month-year, "2" year-month-day (by the field that comes first, then
// the one after it), as Windows names the three short-date orders.
std::string DateOrderDigit(const std::string& format) {
  std::string fields;
  for (size_t i = 0; i + 1 < format.size(); ++i) {
    if (format[i] != '%') continue;
    size_t k = i + 1;
    while (k < format.size() && !std::isalpha(static_cast<unsigned char>(format[k]))) ++k;
    if (k >= format.size()) break;
    const char c = format[k];
    if (c == 'D' || c == 'x') return "0";  // %D is %m/%d/%y
    if (c == 'F') return "2";              // %F is %Y-%m-%d
    if (c == 'm' || c == 'b' || c == 'B' || c == 'h') fields += 'm';
    if (c == 'd' || c == 'e') fields += 'd';
    if (c == 'y' || c == 'Y' || c == 'C') fields += 'y';
    i = k;
  }
  if (fields.empty()) return "0";
  if (fields[0] == 'y') return "2";
  if (fields[0] == 'd') return "1";
  return "0";
}

// The answer of a type, as Windows ANSI text; false for an unknown type.
bool Answer(const Facts& f, LCTYPE type, std::string& out) {
  if (type >= LOCALE_SDAYNAME1 && type < LOCALE_SDAYNAME1 + 7) {
    out = ToAnsi(f.days[(type - LOCALE_SDAYNAME1 + 1) % 7]);
    return true;
  }
  if (type >= LOCALE_SABBREVDAYNAME1 && type < LOCALE_SABBREVDAYNAME1 + 7) {
    out = ToAnsi(f.abbreviatedDays[(type - LOCALE_SABBREVDAYNAME1 + 1) % 7]);
    return true;
  }
  if (type >= LOCALE_SMONTHNAME1 && type < LOCALE_SMONTHNAME1 + 12) {
    out = ToAnsi(f.months[type - LOCALE_SMONTHNAME1]);
    return true;
  }
  if (type >= LOCALE_SABBREVMONTHNAME1 && type < LOCALE_SABBREVMONTHNAME1 + 12) {
    out = ToAnsi(f.abbreviatedMonths[type - LOCALE_SABBREVMONTHNAME1]);
    return true;
  }
  switch (type) {
    case LOCALE_SDECIMAL:
      out = ToAnsi(f.decimal);
      return true;
    case LOCALE_STHOUSAND:
      out = ToAnsi(f.thousands);
      return true;
    case LOCALE_SDATE:
      out = ToAnsi(SeparatorOf(f.dateFormat, "/"));
      return true;
    case LOCALE_STIME:
      out = ToAnsi(SeparatorOf(f.timeFormat, ":"));
      return true;
    case LOCALE_ITIME:
      out = TimeFormatDigit(f.timeFormat);
      return true;
    case LOCALE_IDATE:
      out = DateOrderDigit(f.dateFormat);
      return true;
    case LOCALE_S1159:
      out = ToAnsi(f.am);
      return true;
    case LOCALE_S2359:
      out = ToAnsi(f.pm);
      return true;
    case LOCALE_IFIRSTDAYOFWEEK:
      // Windows counts from Monday.
      out = std::string(1, static_cast<char>('0' + (f.firstWeekday + 6) % 7));
      return true;
    default:
      return false;
  }
}

Facts Copy(const WinLocaleFacts& given) {
  auto text = [](const char* s) { return s != nullptr ? std::string(s) : std::string(); };
  Facts f;
  f.decimal = text(given.decimal);
  f.thousands = text(given.thousands);
  f.dateFormat = text(given.dateFormat);
  f.timeFormat = text(given.timeFormat);
  f.am = text(given.am);
  f.pm = text(given.pm);
  for (int i = 0; i < 7; ++i) {
    f.days[i] = text(given.days[i]);
    f.abbreviatedDays[i] = text(given.abbreviatedDays[i]);
  }
  for (int i = 0; i < 12; ++i) {
    f.months[i] = text(given.months[i]);
    f.abbreviatedMonths[i] = text(given.abbreviatedMonths[i]);
  }
  f.firstWeekday = given.firstWeekday >= 0 && given.firstWeekday <= 6 ? given.firstWeekday : 0;
  return f;
}

}  // namespace

int GetLocaleInfoA(LCID locale, LCTYPE type, char* data, int size) {
  if ((locale != LOCALE_USER_DEFAULT && locale != LOCALE_SYSTEM_DEFAULT) || size < 0 ||
      (size > 0 && data == nullptr)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::string answer;
  if (!Answer(CurrentFacts(), type & ~LOCALE_NOUSEROVERRIDE, answer)) {
    SetLastError(ERROR_INVALID_FLAGS);
    return 0;
  }
  const int needed = static_cast<int>(answer.size()) + 1;
  if (size == 0) return needed;
  if (size < needed) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::memcpy(data, answer.c_str(), static_cast<size_t>(needed));
  return needed;
}

BOOL SetHeadlessLocale(const char* name) {
  std::lock_guard<std::mutex> lock(gLocaleMutex);
  if (name == nullptr) {
    gLocaleName.reset();
    gGivenFacts.reset();
    gReadFacts.reset();
    return TRUE_;
  }
  LocalePtr l(newlocale(LC_ALL_MASK, name, static_cast<locale_t>(0)));
  if (!l) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE_;
  }
  gLocaleName = name;
  gGivenFacts.reset();
  gReadFacts.reset();
  return TRUE_;
}

void SetHeadlessLocaleFacts(const WinLocaleFacts* facts) {
  std::lock_guard<std::mutex> lock(gLocaleMutex);
  gLocaleName.reset();
  gReadFacts.reset();
  if (facts == nullptr) {
    gGivenFacts.reset();
  } else {
    gGivenFacts = Copy(*facts);
  }
}

uint16_t WinAnsiToUnicode(uint8_t byte) {
  if (byte >= 0x80 && byte < 0xA0 && kAnsiHigh[byte - 0x80] != 0) return kAnsiHigh[byte - 0x80];
  return byte;
}

char WinUnicodeToAnsi(uint32_t c) { return AnsiByte(c); }

namespace {
LANGID gSystemLanguage = 0;
}  // namespace

LANGID GetSystemDefaultLangID() {
  if (gSystemLanguage != 0) return gSystemLanguage;
  std::string name;
  if (gLocaleName) {
    name = *gLocaleName;
  } else {
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
      const char* value = std::getenv(variable);
      if (value != nullptr && *value != '\0') {
        name = value;
        break;
      }
    }
  }
  static const struct {
    const char* prefix;
    LANGID language;
  } kLanguages[] = {
      {"zh_TW", 1028}, {"de_DE", 1031}, {"en_US", 1033}, {"fr_FR", 1036}, {"he_IL", 1037},
      {"it_IT", 1040}, {"ja_JP", 1041}, {"ko_KR", 1042}, {"zh_CN", 2052}, {"en_GB", 2057},
      {"zh_HK", 3076}, {"zh_SG", 4100}, {"zh_MO", 5124},
  };
  for (const auto& entry : kLanguages) {
    if (name.compare(0, 5, entry.prefix) == 0) return entry.language;
  }
  return 1033;
}

void SetHeadlessSystemLanguage(LANGID language) { gSystemLanguage = language; }
