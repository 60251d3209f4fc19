// The stored templates of the toolbar controls, read from resource bytes in
// native order (the resource layer converts them when it loads them). Every
// reader checks each field against the resource's size; a template shorter
// than its fixed part is treated as missing, and a title's length byte is
// clamped to the 31 characters its field can hold.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

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
struct VIconIdList {
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
bool ReadIconList(const uint8_t* data, size_t size, VIconIdList& out);
bool ReadCheckTemplate(const uint8_t* data, size_t size, VCheckTemplate& out);
bool ReadEditTemplate(const uint8_t* data, size_t size, VEditTemplate& out);

// 'XDRP' (66 bytes and the items): the header, then
//  52  s16  reserved
//  54  s16  reserved
//  56  s16  entry filter kind of an editable list, as 'XEDT'
//  58  u32  choice source: 'STR#', 'LONG', 'REAL', 'TEXT', 'RES#', 'FONT',
//           'FNTT'; any other: no choices from the template
//  62  u8   lines shown in the pop-up (0: 5)
//  63  u8   flags: bit 7 editable, bit 4 sorted choices
//  64  s16  item count n
//  66  n x 66  items: s16 (not read), then a 64-byte length-prefixed text
// The count bounds the items that are read: a count beyond the bytes, or a
// negative one, makes the template unreadable rather than half-read; an
// item's length byte is clamped to the 63 characters its field holds.
constexpr size_t kDropTemplateSize = 66;
constexpr size_t kDropItemSize = 66;
constexpr uint8_t kDropItemTextMax = 63;
constexpr uint8_t kDropEditable = 0x80;
constexpr uint8_t kDropSorted = 0x10;

struct VDropItem {
  uint8_t text[kDropItemTextMax + 1] = {};  // length-prefixed, length <= 63
};

struct VDropTemplate {
  VControlHeader header;
  int16_t filterKind = 0;
  uint32_t source = 0;
  uint8_t lines = 0;
  uint8_t flags = 0;
  std::vector<VDropItem> items;
};

// 'XTXT' (24 bytes): header fields 0..19 (no title), 20 s16 unused, 22 s16
// column step in pixels.
constexpr size_t kStaticTextTemplateSize = 24;
struct VStaticTextTemplate {
  VControlHeader header;  // title empty
  int16_t columnStep = 0;
};

// 'XKLI' (22 bytes and the title): header fields 0..19, 20 s16 unused, 22
// a length-prefixed title (length byte and up to 31 characters; a title cut
// by the end of the resource keeps what is there).
constexpr size_t kLockTemplateSize = 22;
struct VLockTemplate {
  VControlHeader header;  // the title from offset 22
};

// 'XCCH' (26 bytes): header fields 0..19, 20 s16 unused, 22 s16 icon id
// (0: none), 24 s16 'XMNU' id of the line chooser's menu.
constexpr size_t kChooserTemplateSize = 26;
struct VChooserTemplate {
  VControlHeader header;  // title empty
  int16_t iconId = 0;
  int16_t menuId = 0;
};

// 'XMBU' (62 bytes): the header, 52 s16 and 54 s16 reserved, 56 u32 menu
// kind ('TEXT', 'FONT', 'FNTT', 'HCOL', 'HPAT'), 60 s16 'XMNU' id of a
// 'TEXT' menu.
constexpr size_t kMenuButtonTemplateSize = 62;
struct VMenuButtonTemplate {
  VControlHeader header;
  uint32_t menuKind = 0;
  int16_t menuId = 0;
};

// 'XICO' (56 bytes and the pairs): header fields 0..19, 20 s16 unused, 22
// a length-prefixed title (length byte and up to 29 characters), 52 s16
// unused, 54 s16 n, 56 n x {s16 value, s16 'cicn' id}. A count beyond the
// bytes or a negative one makes the template unreadable.
constexpr size_t kIconControlTemplateSize = 56;
constexpr uint8_t kIconControlTitleMax = 29;
struct VIconControlTemplate {
  VControlHeader header;  // the title from offset 22
  std::vector<int16_t> values;
  std::vector<int16_t> icons;
};

bool ReadIconControlTemplate(const uint8_t* data, size_t size, VIconControlTemplate& out);
bool ReadDropTemplate(const uint8_t* data, size_t size, VDropTemplate& out);
bool ReadStaticTextTemplate(const uint8_t* data, size_t size, VStaticTextTemplate& out);
bool ReadLockTemplate(const uint8_t* data, size_t size, VLockTemplate& out);
bool ReadChooserTemplate(const uint8_t* data, size_t size, VChooserTemplate& out);
bool ReadMenuButtonTemplate(const uint8_t* data, size_t size, VMenuButtonTemplate& out);
