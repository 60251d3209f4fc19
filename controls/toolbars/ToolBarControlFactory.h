// The toolbar control factory: which class each item kind of a toolbar's
// item list makes from its template, the button groups that an 'XGRP'
// item opens, the separators, and the hook through which the plug-in area
// makes the kinds the framework does not know.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

class VFrame;
class VPort;
class VResourceFile;

constexpr uint32_t kKindButtonGroup = 0x58475250;  // 'XGRP'
constexpr uint32_t kKindRightGroup = 0x58544142;   // 'XTAB'

// One item of a toolbar's list: the kind and the id of its template.
struct VToolBarItemEntry {
  uint32_t kind = 0;
  int16_t id = 0;
};

// The item list (native order): u16 count, then count x {u32 kind, s16
// id}. The count is bounded by the bytes: a list that claims more items
// than it holds is refused whole, `out` left as it was.
bool ReadToolBarItems(const uint8_t* data, size_t size, std::vector<VToolBarItemEntry>& out);

// Makes a kind the framework does not know; null skips the item.
using VCustomControlMaker =
    std::function<VFrame*(VFrame* toolbar, VPort* port, VResourceFile* file, uint32_t kind, int16_t id)>;

// The control (or separator) of one item under the toolbar; null for
// 'XGRP', 'XTAB' and kinds the framework does not know. With `statusBar`
// only the kinds a status bar shows are made.
VFrame* MakeToolBarControl(VFrame* toolbar, VPort* port, VResourceFile* file, uint32_t kind,
                           int16_t id, bool statusBar);

// Makes every item's control in order, the unknown kinds through `custom`
// (when set), and links the buttons of each group. Answers what was made,
// in order.
std::vector<VFrame*> MakeToolBarControls(VFrame* toolbar, VPort* port, VResourceFile* file,
                                         const std::vector<VToolBarItemEntry>& items,
                                         const VCustomControlMaker& custom);
