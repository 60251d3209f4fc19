// The stored templates of the toolbar controls, read from resource bytes in
// native order (the resource layer converts them when it loads them). Every
// reader checks each field against the resource's size; a template shorter
// than its fixed part is treated as missing, and a title's length byte is
// clamped to the 31 characters its field can hold.
#pragma once

#include <cstddef>
#include <cstdint>

// The header every control template starts with (52 bytes):
//   0  s32  command id (0: none)
//   4  s32  left, in the parent's coordinates
//   8  s32  top
//  12  s32  width (0: the kind's default or computed width)
//  16  s32  height (0: the kind's default or computed height)
//  20  32   title: a length byte and up to 31 Macintosh characters; a title
//           that begins with a colon names a 'STR#' item (":list,index")
constexpr size_t kControlHeaderSize = 52;
constexpr uint8_t kControlTitleMax = 31;

struct VControlHeader {
  int32_t commandId = 0;
  int32_t left = 0;
  int32_t top = 0;
  int32_t width = 0;
  int32_t height = 0;
  uint8_t title[kControlTitleMax + 1] = {};  // length-prefixed, length <= 31
};

// 'XBUT' (57 bytes): the header, then
//  52  s16  icon id: a 'cicn' id, or an 'XIC#' id with flag bit 3; 0 none
//  54  s16  reserved
//  56  u8   flags: bit 7 auto-repeat, 6 toggle, 5 title in font kind 3,
//           4 no frame, 3 the icon id names an 'XIC#' list
constexpr size_t kButtonTemplateSize = 57;
constexpr uint8_t kButtonAutoRepeat = 0x80;
constexpr uint8_t kButtonToggle = 0x40;
constexpr uint8_t kButtonAltFont = 0x20;
constexpr uint8_t kButtonNoFrame = 0x10;
constexpr uint8_t kButtonIconList = 0x08;

struct VButtonTemplate {
  VControlHeader header;
  int16_t iconId = 0;
  uint8_t flags = 0;
};

// 'XIC#': s16 'cicn' ids, of which the first four are read: normal,
// pressed, mixed and disabled (0: none). A list without all four is
// treated as missing: the normal id alone cannot be told from a truncation.
constexpr size_t kIconListEntries = 4;
struct VIconList {
  int16_t ids[kIconListEntries] = {};
};

// 'XCHK' (55 bytes): the header, then
//  52  s16  reserved
//  54  u8   flags: bit 7 three-state
constexpr size_t kCheckTemplateSize = 55;
constexpr uint8_t kCheckThreeState = 0x80;

struct VCheckTemplate {
  VControlHeader header;
  uint8_t flags = 0;
};

// 'XEDT' (58 bytes): the header, then
//  52  s16  reserved
//  54  s16  entry filter kind: -1 signed integer, -2 unsigned integer,
//           -3 signed real, -4 unsigned real; any other value: no filter
//  56  s16  reserved
constexpr size_t kEditTemplateSize = 58;

struct VEditTemplate {
  VControlHeader header;
  int16_t filterKind = 0;
};

// Each answers false, leaving `out` as it was, when the bytes are too few.
bool ReadControlHeader(const uint8_t* data, size_t size, VControlHeader& out);
bool ReadButtonTemplate(const uint8_t* data, size_t size, VButtonTemplate& out);
bool ReadIconList(const uint8_t* data, size_t size, VIconList& out);
bool ReadCheckTemplate(const uint8_t* data, size_t size, VCheckTemplate& out);
bool ReadEditTemplate(const uint8_t* data, size_t size, VEditTemplate& out);
