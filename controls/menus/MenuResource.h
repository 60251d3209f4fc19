// The stored menu 'XMNU', read from resource bytes in native order (the
// resource layer converts them when it loads them). The reader checks the
// item count against the bytes before it takes any item, and clamps each
// text's length byte to the 31 characters its field holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// 'XMNU':
//   0  32   title: a length byte and up to 31 Macintosh characters; a title
//           that begins with a colon names a 'STR#' item (":list,index")
//  32  s32  command id of the menu (used when its maker gave none)
//  36  s16  item count n, 0 or more
//  38  48n  items:
//       0  32   text, as the title; for 'HIER' the decimal id of the sub-menu
//      32  s16  'cicn' id of the icon before the title (0: none)
//      34  s16  reserved
//      36  s32  command id
//      40  u32  kind: 'TEXT', 'NAME', 'LINE', 'HIER', 'HCOL', 'FONT', 'FNTT',
//               'HPAT'; items of any other kind are skipped
//      44  u8   flags: bit 7 the item shows its command's value as a mark
//      45  u8   reserved
//      46  s16  parameter sent with the command when the item is chosen
constexpr size_t kMenuHeaderSize = 38;
constexpr size_t kMenuItemSize = 48;
constexpr uint8_t kMenuTextMax = 31;
constexpr uint8_t kMenuItemCheck = 0x80;

// Answers of the menu loaders.
constexpr int32_t kMenuLoaded = 0;
constexpr int32_t kMenuResourceMissing = -192;
// Shorter than its header or its item count, or a negative count.
constexpr int32_t kMenuResourceCorrupt = -199;

struct VMenuItemRecord {
  uint8_t text[kMenuTextMax + 1] = {};  // length-prefixed, length <= 31
  int16_t iconId = 0;
  int32_t commandId = 0;
  uint32_t kind = 0;
  uint8_t flags = 0;
  int16_t parameter = 0;
};

struct VMenuRecord {
  uint8_t title[kMenuTextMax + 1] = {};
  int32_t commandId = 0;
  // Every stored item, in stored order, whatever its kind.
  std::vector<VMenuItemRecord> items;
};

// 'XMBR', a window menu bar:
//   0  64   not read
//  64  s16  count n, 0 or more
//  66  2n   s16 'XMNU' ids of the bar's menus, in bar order
constexpr size_t kMenuBarHeaderSize = 66;

// kMenuLoaded, or kMenuResourceCorrupt leaving `out` as it was.
int32_t ReadMenuBarRecord(const uint8_t* data, size_t size, std::vector<int16_t>& out);
// kMenuLoaded, or kMenuResourceCorrupt leaving `out` as it was.
int32_t ReadMenuRecord(const uint8_t* data, size_t size, VMenuRecord& out);
// Whether the kind is one of the eight a menu shows.
bool IsMenuItemKind(uint32_t kind);
