// The menu button: its size from the title, its menu by kind, the pressed
// state through the command.
#include "controls/toolbars/VMenuButton.h"

#include <algorithm>
#include <vector>

#include "controls/controls/ControlTemplates.h"
#include "controls/menus/VFontMenu.h"
#include "controls/menus/VGridMenu.h"
#include "controls/menus/VMenu.h"
#include "graphics/VPort.h"
#include "views/VCommand.h"

namespace {

constexpr int32_t kMenuButtonMenuButtonElement = 8;
// Beside the bar's edges on a vertical bar.
constexpr int32_t kSideBarMargin = 8;

}  // namespace

VMenuButton::VMenuButton(VFrame* parent, VPort* port, VResourceFile* file, int16_t templateId,
                         int32_t commandId)
    : VControl(parent) {
  SetResourceId(templateId);
  if (commandId != 0) AttachCommand(commandId);
  VMenuButtonTemplate t;
  std::vector<uint8_t> bytes;
  if (!FetchTemplate(file, kResTypeMenuButton, templateId, bytes) ||
      !ReadMenuButtonTemplate(bytes.data(), bytes.size(), t))
    return;
  ApplyHeader(file, t.header, commandId);
  int32_t lineHeight = 0;
  if (port != nullptr) {
    port->SetLook(GetLookIndex());
    port->UseStandardFont(1);
    float width = 4.0f * port->MeasureChar(' ', 1);
    if (const VString* title = GetTitle(); title != nullptr && title->GetLength() > 0)
      width += port->MeasureString(*title);
    fNaturalWidth = static_cast<int16_t>(width);
    lineHeight = port->GetLineHeight();
  }
  MoveTo(0, 0, 1);
  ResizeTo(fNaturalWidth, lineHeight + 2, 1);
  const int32_t menuCommand = t.header.commandId;
  switch (t.menuKind) {
    case FourCC("TEXT"): fMenu = new VMenu(this, port, menuCommand, file, t.menuId); break;
    case FourCC("FONT"): fMenu = new VFontMenu(this, port, menuCommand, 1); break;
    case FourCC("FNTT"): fMenu = new VFontMenu(this, port, menuCommand, 0); break;
    case FourCC("HCOL"): fMenu = new VColorMenu(this, port, menuCommand); break;
    case FourCC("HPAT"): fMenu = new VPatternMenu(this, port, menuCommand); break;
    default: break;
  }
  if (fMenu != nullptr) {
    fOwnsMenu = 1;
    fMenu->SetSmallFont(true);
  }
}

VMenuButton::~VMenuButton() {
  TakeMenuBack();
  if (fOwnsMenu != 0) delete fMenu;
  fMenu = nullptr;
}

VFrame* VMenuButton::Clone(VFrame* newParent, int32_t word) {
  auto* copy = new VMenuButton(newParent);
  copy->CopyFrom(newParent, *this, word);
  return copy;
}

void VMenuButton::CopyFrom(VFrame* newParent, const VFrame& source, int32_t word) {
  VControl::CopyFrom(newParent, source, word);
  const auto* other = dynamic_cast<const VMenuButton*>(&source);
  if (other == nullptr) return;
  if (fOwnsMenu != 0) delete fMenu;
  fMenu = other->fMenu;
  fOwnsMenu = 0;
  fNaturalWidth = other->fNaturalWidth;
}

void VMenuButton::SetLookIndex(int16_t index) {
  VControl::SetLookIndex(index);
  if (fMenu != nullptr) fMenu->SetLook(index);
}

VMenuBase* VMenuButton::LendMenu() {
  if (fMenu == nullptr) return nullptr;
  fLentMenu = fMenu;
  fMenu = nullptr;
  return fLentMenu;
}

void VMenuButton::TakeMenuBack() {
  if (fLentMenu == nullptr) return;
  fMenu = fLentMenu;
  fLentMenu = nullptr;
}

void VMenuButton::SetSide(uint8_t side) {
  if (side == fSide) return;
  fSide = side;
  int32_t wanted = fNaturalWidth;
  if (side == kSideFloating || side == kSideLeft || side == kSideRight) {
    // On a vertical or floating bar the button spans the bar.
    if (fParent != nullptr) wanted = fParent->GetWidth() - kSideBarMargin;
  }
  wanted = std::max<int32_t>(wanted, fNaturalWidth);
  if (wanted != GetWidth()) ResizeTo(wanted, GetHeight(), 1);
}

bool VMenuButton::MouseDown(VEvent&) {
  EndToolTip();
  if (fCommand == nullptr) return true;
  fCommand->SetLong(this, kStatePressed, 1);
  Invalidate(2);
  if (fMenu != nullptr) {
    int32_t x = 0;
    int32_t y = 0;
    LocalToScreen(x, y);
    if (fSide == kSideFloating || fSide == kSideLeft || fSide == kSideRight) {
      fMenu->TrackPopUp(x + GetWidth(), y, false);
    } else {
      fMenu->TrackPopUp(x, y + GetHeight(), false);
    }
  }
  // The menu's choice may have unbound the button.
  if (fCommand != nullptr) fCommand->SetLong(this, 0, 1);
  Invalidate(2);
  return true;
}

void VMenuButton::DrawContent(VPort& port) {
  const int32_t whole[4] = {0, 0, GetWidth(), GetHeight()};
  if (fDisplayMode == 1) {
    DrawLookElementText(port, kMenuButtonMenuButtonElement, 0, GetTitle(), whole, 0);
    return;
  }
  if (fDisplayMode != 0) return;
  int32_t state = kStateDisabled;
  if (fCommand != nullptr && fCommandEnabled != 0) state = GetLongValue();
  DrawLookElementText(port, kMenuButtonMenuButtonElement, state, GetTitle(), whole, 0);
}
