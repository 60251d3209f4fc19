// The stored descriptions of a dock's bars, read from resource bytes in
// native order (the resource layer converts them when it loads them): the
// toolbar 'XBAR', which the status bar shares, and the menu bar 'XMBA'.
// Every field is checked against the resource's size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "controls/toolbars/ToolBarControlFactory.h"

constexpr uint32_t kResTypeToolBar = 0x58424152;  // 'XBAR'
constexpr uint32_t kResTypeMenuBar = 0x584D4241;  // 'XMBA'

// 'XBAR':
//   0  u8   dock side: 0 floating, 1 left, 2 top, 3 right, 4 bottom
//   1  u8   flags: bit 7 shown, bit 6 spare (kept as it is), bit 5 grip,
//           bit 4 full width (for 'XMBA': a close button)
//   2  s32  left, in the dock's coordinates (floating: of its window)
//   6  s32  top
//  10  32   title: a length byte and up to 31 characters; ":list,index"
//           names a 'STR#' item
//  42  u16  item count n, then n x {u32 kind, s16 template id}
// 'XMBA' keeps bytes 0 to 41 and puts two more 32-byte strings at 42 and
// 74 before its item count at 106.
// The item count is bounded by the bytes: a list claiming more items than
// the resource holds is not read, and the bar gets no items.
constexpr size_t kBarSideOffset = 0;
constexpr size_t kBarFlagsOffset = 1;
constexpr size_t kBarLeftOffset = 2;
constexpr size_t kBarTopOffset = 6;
constexpr size_t kBarTitleOffset = 10;
constexpr size_t kBarStringSize = 32;
constexpr size_t kBarItemsOffset = 42;
constexpr size_t kMenuBarItemsOffset = 106;
constexpr uint8_t kBarFlagShown = 0x80;
constexpr uint8_t kBarFlagSpare = 0x40;
constexpr uint8_t kBarFlagGrip = 0x20;
constexpr uint8_t kBarFlagFullWidth = 0x10;
constexpr uint8_t kBarFlagCloseButton = 0x10;

struct VBarDescription {
  uint8_t side = 0;
  uint8_t flags = 0;
  int32_t left = 0;
  int32_t top = 0;
  // Length-prefixed, the length clamped to 31.
  uint8_t title[kBarStringSize] = {};
  // 'XMBA' only.
  uint8_t firstString[kBarStringSize] = {};
  uint8_t secondString[kBarStringSize] = {};
  std::vector<VToolBarItemEntry> items;
  // False when the item list was missing, short or claimed more than the
  // bytes hold.
  bool itemsRead = false;
};

// False, `out` cleared, when the bytes hold less than the fixed part of the
// kind (42 for 'XBAR', 106 for 'XMBA'); a side beyond 4 reads as 2 (top).
bool ReadBarDescription(const uint8_t* data, size_t size, VBarDescription& out);
bool ReadMenuBarDescription(const uint8_t* data, size_t size, VBarDescription& out);
