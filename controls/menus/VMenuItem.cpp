// The menu items: binding, titles, marks, sub-menus.
#include "controls/menus/VMenuItem.h"

#include "boundary/FourCC.h"
#include "controls/menus/MenuGlobals.h"
#include "controls/menus/VFontMenu.h"
#include "controls/menus/VGridMenu.h"
#include "controls/menus/VMenu.h"
#include "framework/system/environment/VSystemServices.h"
#include "graphics/VPort.h"
#include "platform/win32/WinWindowState.h"
#include "views/VShortcut.h"
#include "framework/system/resources/VResourceFile.h"
#include "graphics/VIconShape.h"
#include "views/VCommand.h"

VMenuItem::VMenuItem(VMenu* menu, int32_t commandId) : VMenuDrawData(menu) {
  if (menu == nullptr) return;
  menu->AddItem(this);
  fCommand = menu->FindCommand(commandId);
}

VMenuItem::~VMenuItem() {
  if (VMenu* menu = OwnerMenu()) menu->RemoveItem(this);
}

VMenu* VMenuItem::OwnerMenu() const { return static_cast<VMenu*>(fMenu); }

void VMenuItem::GetTitle(VString& out) const { out.SetEmpty(false); }

int16_t VMenuItem::Measure(VPort*, int16_t rowHeight, int16_t& markWidth, int16_t& titleWidth,
                           int16_t& modifierWidth, int16_t& keyWidth) {
  markWidth = titleWidth = modifierWidth = keyWidth = 0;
  fHeight = rowHeight;
  return rowHeight;
}

void VMenuItem::Draw(VPort*, bool, int16_t, int16_t, int16_t, int16_t, int16_t) {}

int16_t VSeparatorMenuItem::Measure(VPort*, int16_t rowHeight, int16_t& markWidth,
                                    int16_t& titleWidth, int16_t& modifierWidth,
                                    int16_t& keyWidth) {
  markWidth = titleWidth = modifierWidth = keyWidth = 0;
  fHeight = static_cast<int16_t>(rowHeight >> 1);
  return fHeight;
}

void VSeparatorMenuItem::Draw(VPort* port, bool, int16_t width, int16_t, int16_t, int16_t,
                              int16_t) {
  constexpr int32_t kMenuLineElement = 7;
  port->DrawThemeElement(kMenuLineElement, 0, 0, fHeight / 2, width, 0, nullptr, 0);
}

int32_t VMenuItem::GetCommandId() const { return fCommand != nullptr ? fCommand->GetId() : 0; }

namespace {

void SetFromStored(VString& out, VResourceFile* file, const uint8_t* text) {
  if (text == nullptr || text[0] == 0) return;
  if (file != nullptr) {
    file->ResolveStringRef(&out, text);
  } else {
    out.SetChars(reinterpret_cast<const char*>(text + 1), 0, text[0], kCharSetMac);
  }
}

}  // namespace

VTextMenuItem::VTextMenuItem(VMenu* menu, int32_t commandId, VResourceFile* file,
                             const uint8_t* text, int16_t iconId, bool check)
    : VMenuItem(menu, commandId) {
  fCheck = check ? 1 : 0;
  SetFromStored(fTitle, file, text);
  // A missing icon leaves the item a plain string item.
  if (iconId != 0 && file != nullptr && file->HasResource(FourCC("cicn"), iconId)) {
    fIcon = std::make_unique<VIconShape>(file, iconId);
  }
}

VTextMenuItem::VTextMenuItem(VMenu* menu, int32_t commandId, const VString& title,
                             VIconShape* icon)
    : VMenuItem(menu, commandId), fIcon(icon) {
  fTitle.Assign(title);
}

VTextMenuItem::~VTextMenuItem() = default;

void VTextMenuItem::GetTitle(VString& out) const { out.Assign(fTitle); }

int16_t VTextMenuItem::GetMark(int32_t value, const int32_t* groupValue, int32_t commandId) const {
  if (groupValue != nullptr) {
    if (*groupValue == kCommandGroupMixed) return kMenuMarkMixed;
    return *groupValue == commandId ? kMenuMarkCheck : kMenuMarkNone;
  }
  if (!IsCheckItem()) return kMenuMarkNone;
  if (value == 2) return kMenuMarkMixed;
  return value == 1 ? kMenuMarkCheck : kMenuMarkNone;
}

namespace {

int16_t Width(VPort* port, const VString& text) {
  return static_cast<int16_t>(port->MeasureString(text));
}

// Draws the text at the pen; embossed text is drawn once more below and to
// the right in the light colour first.
void DrawTitle(VPort* port, const VString& text, bool embossed, int32_t textColor) {
  if (embossed) {
    constexpr int32_t kEmbossColor = 20;
    port->SetTextColorIndex(kEmbossColor);
    port->PushPenPosition();
    port->PushOrigin(1, 1);
    port->DrawString(text);
    port->PopOrigin();
    port->PopPenPosition();
    port->SetTextColorIndex(textColor);
  }
  port->DrawString(text);
}

}  // namespace

int16_t VTextMenuItem::Measure(VPort* port, int16_t rowHeight, int16_t& markWidth,
                               int16_t& titleWidth, int16_t& modifierWidth, int16_t& keyWidth) {
  int16_t height = rowHeight;
  markWidth = static_cast<int16_t>(GetSystemMetrics(SM_CXMENUCHECK));
  int32_t shift = 0;
  if (fIcon != nullptr) {
    shift = fIcon->GetWidth() + 4;
    if (height < fIcon->GetHeight() + 2) height = static_cast<int16_t>(fIcon->GetHeight() + 2);
  }
  VStr<255> title;
  GetTitle(title);
  titleWidth = static_cast<int16_t>(
      (title.GetLength() == 0 ? MeasureContent(port) : Width(port, title)) + shift);
  modifierWidth = keyWidth = 0;
  const VCommandKey* key = fCommand != nullptr && fMenu != nullptr
                               ? fMenu->FindShortcut(fCommand->GetId())
                               : nullptr;
  if (key != nullptr) {
    VStr<255> full;
    VStr<255> keyText;
    key->GetShortcutText(full);
    key->GetKeyText(keyText);
    keyWidth = Width(port, keyText);
    modifierWidth = static_cast<int16_t>(Width(port, full) - keyWidth);
  }
  fHeight = height;
  return height;
}

void VTextMenuItem::Draw(VPort* port, bool selected, int16_t width, int16_t markWidth,
                         int16_t titleWidth, int16_t, int16_t) {
  const bool enabled = fEnabled != 0 && fMenu != nullptr && fCommand != nullptr &&
                       fCommand->IsEnabled();
  const bool embossed = fLook == 2 && !enabled && !selected;
  // Windows XP and later paint menus white; earlier ones in the face colour.
  const int32_t background = selected ? 34 : (VSystemServices::GetSystemVersion() == 7 ? 0 : 33);
  const int32_t textColor = selected && enabled ? 32 : (enabled ? 25 : 29);
  port->SetFillColorIndex(background);
  port->PaintRect(0, 0, width, fHeight);
  port->UseStandardFont(fSmallFont ? 1 : 0);
  port->SetTextColorIndex(textColor);
  const int32_t baseline = (fHeight - port->GetLineHeight()) / 2 + 1 + port->GetFontAscent();

  if (fCommand != nullptr) {
    const VCommand* group = fCommand->GetGroupCommand();
    const int32_t groupValue = group != nullptr ? group->GetLong() : 0;
    const int16_t mark = GetMark(fCommand->GetLong(), group != nullptr ? &groupValue : nullptr,
                                 fCommand->GetId());
    if (VIconShape* icon = mark != kMenuMarkNone ? GetMenuMarkIcon(mark) : nullptr) {
      icon->SetPosition(0, (fHeight - icon->GetHeight()) / 2);
      port->DrawIcon(*icon, selected ? 3 : embossed ? 2 : enabled ? 0 : 1);
    }
  }
  VStr<255> title;
  GetTitle(title);
  if (title.GetLength() == 0) {
    DrawContent(port, selected, width, markWidth);
  } else {
    int32_t x = markWidth;
    if (fIcon != nullptr) {
      fIcon->SetPosition(markWidth, (fHeight - fIcon->GetHeight()) / 2);
      if (enabled) {
        port->DrawIcon(*fIcon, 0);
      } else if (selected) {
        port->DrawIconDisabled(*fIcon);
      } else {
        port->DrawIconOffline(*fIcon);
      }
      x += fIcon->GetWidth() + 4;
    }
    port->MoveTo(x, baseline, true);
    DrawTitle(port, title, embossed, textColor);
  }
  const VCommandKey* key = fCommand != nullptr && fMenu != nullptr
                               ? fMenu->FindShortcut(fCommand->GetId())
                               : nullptr;
  if (key != nullptr) {
    VStr<255> full;
    key->GetShortcutText(full);
    port->MoveTo(markWidth + 13 + titleWidth, baseline, true);
    DrawTitle(port, full, embossed, textColor);
  }
}

void VNameMenuItem::GetTitle(VString& out) const {
  if (fCommand != nullptr) {
    out.Assign(fCommand->GetTitle());
  } else {
    out.SetEmpty(false);
  }
}

VSubMenuItem::VSubMenuItem(VMenu* menu, int32_t commandId, VResourceFile* file,
                           const uint8_t* text, int16_t iconId)
    : VTextMenuItem(menu, commandId, file, text, iconId, false) {}

VSubMenuItem::~VSubMenuItem() { delete fSubMenu; }

void VSubMenuItem::SetLook(int16_t kind) {
  VMenuItem::SetLook(kind);
  if (fSubMenu != nullptr) fSubMenu->SetLook(kind);
}

void VSubMenuItem::UnrealizeSubMenu(bool recursive) {
  if (fSubMenu != nullptr) fSubMenu->Unrealize(recursive);
}

void VSubMenuItem::SetSubMenu(VMenuBase* subMenu) {
  if (subMenu == fSubMenu) return;
  delete fSubMenu;
  fSubMenu = subMenu;
}

VHierMenuItem::VHierMenuItem(VMenu* menu, VPort* port, int32_t commandId, VResourceFile* file,
                             int16_t subMenuId, int16_t iconId)
    : VSubMenuItem(menu, commandId, file, nullptr, iconId) {
  if (fCommand == nullptr || menu == nullptr || VMenu::IsLoading(file, subMenuId)) return;
  fSubMenu = new VMenu(menu, port, commandId, file, subMenuId);
}

void VHierMenuItem::GetTitle(VString& out) const {
  if (fSubMenu != nullptr) {
    out.Assign(fSubMenu->GetTitle());
  } else {
    out.SetEmpty(false);
  }
}

VMenuBase* VColorMenuItem::CreateSubMenu(VPort* port) {
  if (fSubMenu == nullptr && fCommand != nullptr && fMenu != nullptr) {
    fSubMenu = new VColorMenu(fMenu, port, fCommand->GetId());
  }
  return fSubMenu;
}

VMenuBase* VPatternMenuItem::CreateSubMenu(VPort* port) {
  if (fSubMenu == nullptr && fCommand != nullptr && fMenu != nullptr) {
    fSubMenu = new VPatternMenu(fMenu, port, fCommand->GetId());
  }
  return fSubMenu;
}

VMenuBase* VFontMenuItem::CreateSubMenu(VPort* port) {
  if (fSubMenu == nullptr && fCommand != nullptr && fMenu != nullptr) {
    fSubMenu = new VFontMenu(fMenu, port, fCommand->GetId(), fFontList);
  }
  return fSubMenu;
}
