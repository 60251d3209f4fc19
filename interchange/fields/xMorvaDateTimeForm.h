// The date and time form a DATE or TIME field's picture gives its date
// element: one answer for every reader of fields, so that a field shows
// the same form whichever file it came in.
#pragma once

#include <cstdint>
#include <string_view>

struct xMorvaDateTimeForm {
  // Date style << 8 | time style, as a date and time element holds them.
  uint16_t format = 0;
  // The form shows what the picture shows: the day and the month, or the
  // hours. A field whose picture no form fits keeps its result text.
  bool fits = false;
};

// The form nearest to a date-time picture (Word's letters: d day, M month,
// y year, h and H hours, m minutes, s seconds, AM/PM; text in single
// quotation marks is no letter). The pictures our own writers give each
// form read back as that form.
xMorvaDateTimeForm DateTimeFormOfPicture(std::u16string_view picture);

// The form of a DATE (`isDate`) or TIME field from its instruction after
// the field's word: the picture after \@, in quotation marks or up to a
// space. Without a picture a DATE shows the usual date form and a TIME the
// hours and minutes.
xMorvaDateTimeForm DateTimeFormOfField(bool isDate, std::u16string_view switches);
