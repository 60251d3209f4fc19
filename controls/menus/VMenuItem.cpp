// The menu items: binding, titles, marks, sub-menus.
#include "controls/menus/VMenuItem.h"

#include "boundary/FourCC.h"
#include "controls/menus/VMenu.h"
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
