// The date record and the display-routine table that the host fills in on
// request, shared by the module and the stand-in host.
#pragma once

#include <cstdint>

// A calendar date: day, month, year, in this order. All zeros is the empty date.
struct VDateRec {
  int16_t day = 0;
  int16_t month = 0;
  int16_t year = 0;
};

// The host's display routines, which it fills in on request. Texts are
// length-prefixed Macintosh texts; result buffers hold 256 bytes.
struct VDisplayRoutines {
  // Not null once the host has filled the table.
  void (*filled)();
  void (*dateText)(const VDateRec* date, uint8_t* result, uint16_t format);
  void (*timeText)(int32_t seconds, uint8_t* result, uint16_t format);
  void (*unused)();
  // Both change `text` in place under the format.
  void (*numberFormat)(uint8_t* text, const uint8_t* format);
  void (*textFormat)(uint8_t* text, const uint8_t* format);
};
