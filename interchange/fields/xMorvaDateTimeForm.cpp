// Date-time pictures to the forms of date and time elements, for the RTF
// and the Word readers alike.
#include "interchange/fields/xMorvaDateTimeForm.h"

#include <algorithm>
#include <string>

#include "interchange/rtf/xMorvaExportRTF.h"

namespace {

// The forms of a DATE and of a TIME field without a picture: the date form
// a new date element takes, and the hours and minutes of a clock.
constexpr uint16_t kDefaultDateForm = 0x0500;
constexpr uint16_t kDefaultTimeForm = 0x0005;
constexpr uint8_t kLastDateStyle = 7;
constexpr uint8_t kLastTimeStyle = 5;

// The date-time word of the picture our writer gives a date and time
// element of those styles, or 0 for any other picture. Styles that share
// a picture read back as the first of them.
uint16_t FormOfOwnPicture(std::u16string_view picture) {
  for (uint8_t date = 0; date <= kLastDateStyle; ++date) {
    for (uint8_t time = 0; time <= kLastTimeStyle; ++time) {
      const std::string_view d = xMorvaExportRTF::DateFormat(date);
      const std::string_view t = xMorvaExportRTF::TimeFormat(time);
      if (d.empty() && t.empty()) continue;
      std::string written(d);
      if (!d.empty() && !t.empty()) written += ' ';
      written += t;
      if (picture.size() == written.size() && std::equal(written.begin(), written.end(), picture.begin()))
        return uint16_t(date << 8 | time);
    }
  }
  return 0;
}

// The longest run of `letter` in the picture.
size_t LongestRun(std::u16string_view picture, char16_t letter) {
  size_t longest = 0;
  for (size_t at = 0; at < picture.size();) {
    size_t run = 0;
    while (at + run < picture.size() && picture[at + run] == letter) ++run;
    longest = std::max(longest, run);
    at += run != 0 ? run : 1;
  }
  return longest;
}

}  // namespace

xMorvaDateTimeForm DateTimeFormOfPicture(std::u16string_view written) {
  if (const uint16_t own = FormOfOwnPicture(written); own != 0) return {own, true};
  // The letters outside quoted text; the markers of a twelve-hour clock
  // are taken out first, so that the M of AM is no month.
  std::u16string picture;
  bool quoted = false;
  for (char16_t c : written) {
    if (c == u'\'') quoted = !quoted;
    else if (!quoted) picture += c;
  }
  bool twelve = false;
  for (std::u16string_view marker : {u"AM/PM", u"am/pm", u"A/P", u"a/p"}) {
    for (size_t at; (at = picture.find(marker)) != std::u16string::npos;) {
      picture.erase(at, marker.size());
      twelve = true;
    }
  }
  const bool hours = picture.find_first_of(u"hH") != std::u16string::npos;
  const size_t day = LongestRun(picture, u'd');
  // A picture without hours takes "m" for the month, as AbiWord writes
  // "m/d/yy"; with hours it is the minutes.
  size_t month = LongestRun(picture, u'M');
  if (month == 0 && !hours) month = LongestRun(picture, u'm');
  const size_t year = LongestRun(picture, u'y');
  uint8_t date = 0;
  if (month >= 4) {
    date = day >= 4 ? 3 : day == 3 ? 2 : 5;
  } else if (month == 3) {
    date = 6;
  } else if (month != 0 || (day != 0 && day < 3) || year != 0) {
    date = year >= 3 ? 7 : 1;
  } else if (day >= 3) {
    date = day >= 4 ? 3 : 2;
  }
  uint8_t time = 0;
  if (hours) {
    twelve = twelve || picture.find(u'h') != std::u16string::npos;
    time = twelve ? 5 : picture.find(u's') != std::u16string::npos ? 1 : 2;
  }
  return {uint16_t(date << 8 | time), (day != 0 && month != 0) || hours};
}

xMorvaDateTimeForm DateTimeFormOfField(bool isDate, std::u16string_view switches) {
  const size_t switchAt = switches.find(u"\\@");
  if (switchAt == std::u16string_view::npos) return {isDate ? kDefaultDateForm : kDefaultTimeForm, true};
  switches.remove_prefix(switchAt + 2);
  while (!switches.empty() && switches.front() == u' ') switches.remove_prefix(1);
  std::u16string_view picture;
  if (!switches.empty() && switches.front() == u'"') {
    const size_t close = switches.find(u'"', 1);
    picture = switches.substr(1, close == std::u16string_view::npos ? close : close - 1);
  } else {
    picture = switches.substr(0, switches.find(u' '));
  }
  const xMorvaDateTimeForm nearest = DateTimeFormOfPicture(picture);
  // A picture of no letters at all: the field's usual form, for a result
  // that is empty.
  if (nearest.format == 0) return {isDate ? kDefaultDateForm : kDefaultTimeForm, nearest.fits};
  return nearest;
}
