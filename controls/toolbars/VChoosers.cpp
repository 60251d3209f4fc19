// The colour, pattern and line choosers.
#include "controls/toolbars/VChoosers.h"

#include <algorithm>

#include "controls/controls/ControlTemplates.h"
#include "controls/menus/GridResources.h"
#include "controls/menus/MenuResource.h"
#include "controls/menus/VGridMenu.h"
#include "controls/menus/VMenu.h"
#include "controls/menus/VMenuItem.h"
#include "framework/core/containers/VArray.h"
#include "framework/core/values/VValue.h"
#include "framework/system/environment/VSystemServices.h"
#include "framework/system/resources/VResourceFile.h"
#include "graphics/VIconShape.h"
#include "graphics/VPort.h"
#include "views/VCommand.h"

namespace {

constexpr int32_t kChooserButton = 9;
constexpr int32_t kChooserFrame = 17;
constexpr int32_t kSampleColor = 10;
constexpr int16_t kPatternListId = 9000;
constexpr int16_t kSolidTextId = 9016;
constexpr int32_t kLastPatternValue = 36;
// Menu choices at or above this are not line widths.
constexpr intptr_t kLineChoiceLimit = 100;

}  // namespace

// ---- Base.

VChooser::VChooser(VFrame* parent, VPort*, VResourceFile* file, int16_t templateId,
                   int32_t commandId)
    : VControl(parent) {
  SetResourceId(templateId);
  if (commandId != 0) AttachCommand(commandId);
  VChooserTemplate t;
  std::vector<uint8_t> bytes;
  if (!FetchTemplate(file, kResTypeChooser, templateId, bytes) ||
      !ReadChooserTemplate(bytes.data(), bytes.size(), t)) {
    MoveTo(0, 0, 1);
    ResizeTo(20, 20, 1);
    return;
  }
  if (commandId == 0) AttachCommand(t.header.commandId);
  fMenuId = t.menuId;
  if (t.iconId != 0) fIcon = new VIconShape(file, t.iconId);
  int32_t w = t.header.width;
  int32_t h = t.header.height;
  if (fIcon != nullptr) {
    if (w == 0) w = 2 * fIcon->GetWidth() + 6;
    h = fIcon->GetHeight() + 4;
  }
  MoveTo(t.header.left, t.header.top, 1);
  ResizeTo(w, h, 1);
}

VChooser::~VChooser() {
  if (fOwnsIcon != 0) delete fIcon;
  fIcon = nullptr;
}

void VChooser::CopyFrom(VFrame* newParent, const VFrame& source, int32_t word) {
  VControl::CopyFrom(newParent, source, word);
  const auto* other = dynamic_cast<const VChooser*>(&source);
  if (other == nullptr) return;
  if (fOwnsIcon != 0) delete fIcon;
  fIcon = other->fIcon;
  fOwnsIcon = 0;
  fMenuId = other->fMenuId;
}

void VChooser::GetSampleRect(int32_t* rect) const {
  if (fIcon == nullptr) {
    rect[0] = 3, rect[1] = 3, rect[2] = GetWidth() - 6, rect[3] = GetHeight() - 6;
    return;
  }
  const int32_t iw = fIcon->GetWidth();
  rect[0] = iw + 5, rect[1] = 3, rect[2] = GetWidth() - iw - 8, rect[3] = GetHeight() - 6;
}

void VChooser::DrawContent(VPort& port) {
  const int32_t whole[4] = {0, 0, GetWidth(), GetHeight()};
  DrawLookElement(port, kChooserButton, 0, whole, 0);
  if (fCommand == nullptr) return;
  const bool disabled = fCommandEnabled == 0;
  int32_t sample[4];
  GetSampleRect(sample);
  if (fIcon != nullptr) {
    fIcon->SetPosition(2, 2);
    if (disabled) {
      port.DrawIconOffline(*fIcon);
    } else {
      port.DrawIcon(*fIcon, 0);
    }
  }
  DrawSample(port, sample);
  if (fIcon != nullptr) DrawLookElement(port, kChooserFrame, disabled ? kStateDisabled : 0, sample, 0);
}

void VChooser::DrawMixed(VPort& port, const int32_t* rect) {
  port.PaintVRectChecked(VRect(rect[0], rect[1], rect[2], rect[3]));
}

void VChooser::DrawCentredText(VPort& port, const VString& text, const int32_t* rect) {
  port.UseStandardFont(5);
  port.SetTextColorIndex(kSampleColor);
  port.DrawTextInBox(text, 1, 1, rect[0], rect[1], rect[2], rect[3], true);
}

bool VChooser::MayPopUp() const { return fCommand != nullptr && fCommandEnabled != 0; }

void VChooser::MenuCorner(int32_t& x, int32_t& y) {
  x = 0;
  y = GetHeight();
  LocalToScreen(x, y);
}

// ---- Colour.

VFrame* VColorChooser::Clone(VFrame* newParent, int32_t word) {
  auto* copy = new VColorChooser(newParent);
  copy->CopyFrom(newParent, *this, word);
  return copy;
}

void VColorChooser::DrawSample(VPort& port, const int32_t* rect) {
  if (fCommand == nullptr || fCommand->GetValue() == nullptr) {
    DrawMixed(port, rect);
    return;
  }
  const auto value = static_cast<uint32_t>(fCommand->GetLong());
  if ((value >> 24) != 0) {
    // An index into the command's list of named choices.
    const auto index = static_cast<int32_t>(value & 0xFFFFFF);
    VArray* list = fCommand->GetChoiceList();
    if (list != nullptr && index >= 1 && index <= list->Count()) {
      VStr<255> text;
      list->FormatTo(text, nullptr, index);
      DrawCentredText(port, text, rect);
      return;
    }
  }
  port.SetFillColor(value & 0xFFFFFF);
  port.PaintRect(rect[0], rect[1], rect[2], rect[3]);
}

bool VColorChooser::MouseDown(VEvent&) {
  EndToolTip();
  if (!MayPopUp()) return true;
  VPort* port = GetPort();
  VColorMenu menu(this, port, fCommand->GetId());
  FlushWindow();
  int32_t x = 0;
  int32_t y = 0;
  MenuCorner(x, y);
  menu.TrackPopUp(x, y, false);
  return true;
}

// ---- Pattern.

VPatternChooser::VPatternChooser(VFrame* parent, VPort* port, VResourceFile* file,
                                 int16_t templateId, int32_t commandId)
    : VChooser(parent, port, file, templateId, commandId) {
  LoadPatterns();
}

VPatternChooser::VPatternChooser(VFrame* parent) : VChooser(parent) { LoadPatterns(); }

void VPatternChooser::LoadPatterns() {
  VResourceFile* file = gSystemServices != nullptr ? gSystemServices->GetModuleResourceFile() : nullptr;
  if (file == nullptr) return;
  uint8_t owned = 0;
  const VResourceRef ref = file->GetResource(FourCC("PAT#"), kPatternListId, &owned);
  if (ref == 0) return;
  if (const auto* data = static_cast<const uint8_t*>(file->LockResource(ref))) {
    ReadPatternList(data, file->GetResourceSize(ref), fPatterns);
    file->UnlockResource(ref);
  }
  file->ReleaseResource(ref);
}

VFrame* VPatternChooser::Clone(VFrame* newParent, int32_t word) {
  auto* copy = new VPatternChooser(newParent);
  copy->CopyFrom(newParent, *this, word);
  return copy;
}

void VPatternChooser::DrawSample(VPort& port, const int32_t* rect) {
  if (fCommand == nullptr || fCommand->GetValue() == nullptr) {
    DrawMixed(port, rect);
    return;
  }
  const int32_t value = fCommand->GetLong();
  // The menu offers the values 1 to 36; any other cannot name a pattern.
  if (value < 1 || value > kLastPatternValue) {
    DrawMixed(port, rect);
    return;
  }
  if (value == 1) {
    VStr<255> text;
    if (VResourceFile* file = gSystemServices != nullptr ? gSystemServices->GetModuleResourceFile() : nullptr)
      file->GetIndString(&text, kSolidTextId, 0);
    DrawCentredText(port, text, rect);
    return;
  }
  port.SetBackColorIndex(0);
  port.EraseRect(rect[0], rect[1], rect[2], rect[3]);
  // A pattern the module's list does not hold leaves the sample erased.
  if (static_cast<size_t>(value - 1) > fPatterns.size()) return;
  port.SetFillPattern(fPatterns[static_cast<size_t>(value - 2)].data());
  port.SetFillColorIndex(kSampleColor);
  port.SetPenColorIndex(kSampleColor);
  port.SetPenWidth(1);
  port.PaintAndFrameRect(rect[0], rect[1], rect[2], rect[3]);
  port.SetFillPatternIndex(6);
}

bool VPatternChooser::MouseDown(VEvent&) {
  EndToolTip();
  if (!MayPopUp()) return true;
  VPort* port = GetPort();
  VPatternMenu menu(this, port, fCommand->GetId());
  FlushWindow();
  int32_t x = 0;
  int32_t y = 0;
  MenuCorner(x, y);
  menu.TrackPopUp(x, y, false);
  return true;
}

// ---- Line.

VLineChooser::VLineChooser(VFrame* parent, VPort* port, VResourceFile* file, int16_t templateId,
                           int32_t commandId)
    : VChooser(parent, port, file, templateId, commandId) {
  if (fCommand == nullptr || file == nullptr || fMenuId == 0) return;
  fMenu = new VMenu(this, port, fCommand->GetId(), file, fMenuId);
  fOwnsMenu = 1;
  if (fCommand->GetValue() == nullptr) fCommand->SetLong(this, 1, 1);
  for (int32_t i = 1; i <= fMenu->CountItems(); ++i) {
    VMenuItem* item = fMenu->GetItem(i);
    if (item == nullptr || item->IsSeparator() || item->GetCommandId() != 0) continue;
    VStr<255> title;
    item->GetTitle(title);
    fZeroText.CopyText(title);
    break;
  }
}

VLineChooser::~VLineChooser() {
  if (fOwnsMenu != 0) delete fMenu;
  fMenu = nullptr;
}

VFrame* VLineChooser::Clone(VFrame* newParent, int32_t word) {
  auto* copy = new VLineChooser(newParent);
  copy->CopyFrom(newParent, *this, word);
  return copy;
}

void VLineChooser::CopyFrom(VFrame* newParent, const VFrame& source, int32_t word) {
  VChooser::CopyFrom(newParent, source, word);
  const auto* other = dynamic_cast<const VLineChooser*>(&source);
  if (other == nullptr) return;
  if (fOwnsMenu != 0) delete fMenu;
  fMenu = other->fMenu;
  fOwnsMenu = 0;
  fZeroText.CopyText(other->fZeroText);
}

void VLineChooser::DrawSample(VPort& port, const int32_t* rect) {
  if (fCommand == nullptr || fCommand->GetValue() == nullptr) {
    DrawMixed(port, rect);
    return;
  }
  const int32_t value = fCommand->GetLong();
  if (value <= 0) {
    DrawCentredText(port, fZeroText, rect);
    return;
  }
  // The line never grows out of its sample.
  const int32_t width = std::max(1, std::min(value, rect[3] - 2));
  port.SetPenColorIndex(kSampleColor);
  port.SetPenWidth(static_cast<int16_t>(width));
  const int32_t y = rect[1] + rect[3] / 2;
  port.DrawLine(rect[0], y, rect[0] + rect[2], y);
  port.SetPenWidth(1);
}

bool VLineChooser::MouseDown(VEvent&) {
  EndToolTip();
  if (!MayPopUp() || fMenu == nullptr) return true;
  // The rows mark themselves from the command's value as the menu draws.
  FlushWindow();
  int32_t x = 0;
  int32_t y = 0;
  MenuCorner(x, y);
  fMenu->TrackPopUp(x, y, false);
  return true;
}

bool VLineChooser::NotifyParent(VFrame* sender, int32_t message, intptr_t parameter) {
  // A choice of its own menu arrives with the chooser as sender.
  if (sender == this && fMenu != nullptr && fCommand != nullptr && parameter < kLineChoiceLimit &&
      message == fCommand->GetId()) {
    fCommand->SetLong(this, static_cast<int32_t>(parameter), 1);
    Invalidate(2);
    return fParent != nullptr && fParent->NotifyParent(this, fCommand->GetId(), 0);
  }
  return VControl::NotifyParent(sender, message, parameter);
}
