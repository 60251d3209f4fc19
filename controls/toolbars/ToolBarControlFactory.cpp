// The toolbar control factory.
#include "controls/toolbars/ToolBarControlFactory.h"

#include "controls/controls/VEditField.h"
#include "controls/controls/VPushButton.h"
#include "controls/toolbars/VChoosers.h"
#include "controls/toolbars/VDropDownList.h"
#include "controls/toolbars/VMenuButton.h"
#include "controls/toolbars/VStaticControls.h"
#include "controls/toolbars/VToolBarSeparator.h"
#include "platform/bytes/ByteSpanReader.h"

namespace {

constexpr size_t kItemSize = 6;

}  // namespace

bool ReadToolBarItems(const uint8_t* data, size_t size, std::vector<VToolBarItemEntry>& out) {
  ByteSpanReader r(data, size);
  const uint16_t count = r.U16();
  if (r.Failed() || count > r.Remaining() / kItemSize) return false;
  std::vector<VToolBarItemEntry> items(count);
  for (VToolBarItemEntry& item : items) {
    item.kind = r.U32();
    item.id = r.I16();
  }
  if (r.Failed()) return false;
  out = std::move(items);
  return true;
}

VFrame* MakeToolBarControl(VFrame* toolbar, VPort* port, VResourceFile* file, uint32_t kind,
                           int16_t id, bool statusBar) {
  switch (kind) {
    case FourCC("XBUT"): {
      auto* button = new VPushButton(toolbar, port, file, id, 0);
      button->SetHotTrack(1);
      return button;
    }
    case FourCC("XCHK"): return new VCheckBoxItem(toolbar, port, file, id, 0);
    case FourCC("XDRP"): return new VDropDownList(toolbar, port, file, id, 0);
    case FourCC("XEDT"): return new VEditField(toolbar, port, file, id, 0);
    case FourCC("XMBU"): return new VMenuButton(toolbar, port, file, id, 0);
    case FourCC("XTXT"): return new VStaticText(toolbar, port, file, id, 0);
    case FourCC("XICO"): return new VIconControl(toolbar, port, file, id, 0);
    case FourCC("XKLI"): return new VIconList(toolbar, port, file, id, 0);
    case FourCC("XCCH"): return new VColorChooser(toolbar, port, file, id, 0);
    // The pattern and line choosers read their 'XCCH' template of that id.
    case FourCC("XPCH"): return statusBar ? nullptr : new VPatternChooser(toolbar, port, file, id, 0);
    case FourCC("XLCH"): return statusBar ? nullptr : new VLineChooser(toolbar, port, file, id, 0);
    case FourCC("XSPC"): return new VToolBarSeparator(toolbar, true);
    case FourCC("XTSP"): return new VToolBarSeparator(toolbar, false);
    default: return nullptr;
  }
}

std::vector<VFrame*> MakeToolBarControls(VFrame* toolbar, VPort* port, VResourceFile* file,
                                         const std::vector<VToolBarItemEntry>& items,
                                         const VCustomControlMaker& custom) {
  std::vector<VFrame*> made;
  // The group being collected: its command id (0 none), whether its first
  // item decided for buttons, and its last button.
  int32_t groupId = 0;
  bool groupStarted = false;
  VPushButton* lastInGroup = nullptr;
  for (const VToolBarItemEntry& item : items) {
    if (item.kind == kKindButtonGroup) {
      groupId = item.id;
      groupStarted = false;
      lastInGroup = nullptr;
      continue;
    }
    VFrame* frame = MakeToolBarControl(toolbar, port, file, item.kind, item.id, false);
    if (frame == nullptr && item.kind != kKindRightGroup && custom)
      frame = custom(toolbar, port, file, item.kind, item.id);
    if (frame != nullptr) made.push_back(frame);
    if (groupId == 0) continue;
    // Only buttons that follow the group's item directly join it; any other
    // kind ends the group.
    auto* button = item.kind == FourCC("XBUT") ? dynamic_cast<VPushButton*>(frame) : nullptr;
    if (button == nullptr) {
      groupId = 0;
      continue;
    }
    groupStarted = true;
    if (lastInGroup != nullptr) {
      lastInGroup->SetNext(button);
      button->SetPrevious(lastInGroup);
    }
    button->AttachGroupCommand(groupId);
    lastInGroup = button;
  }
  (void)groupStarted;
  return made;
}
