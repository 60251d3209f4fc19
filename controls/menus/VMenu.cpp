// VMenu: loading, the Win32 menu it realises, and choosing an item.
#include "controls/menus/VMenu.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "boundary/FourCC.h"
#include "controls/menus/MenuGlobals.h"
#include "controls/menus/MenuResource.h"
#include "controls/menus/VMenuItem.h"
#include "controls/menus/VMenuItemRef.h"
#include "framework/core/values/VValue.h"
#include "framework/system/environment/VSystemServices.h"
#include "framework/system/resources/VResourceFile.h"
#include "platform/win32/WinWindowState.h"
#include "views/VCommand.h"
#include "views/VShortcut.h"

namespace {

// The menus being loaded, outermost first: a 'HIER' item naming one of them
// would load it inside itself for ever.
std::vector<std::pair<const VResourceFile*, int16_t>>& Loading() {
  static std::vector<std::pair<const VResourceFile*, int16_t>> loading;
  return loading;
}

class LoadingGuard {
 public:
  LoadingGuard(const VResourceFile* file, int16_t id) { Loading().emplace_back(file, id); }
  ~LoadingGuard() { Loading().pop_back(); }
  LoadingGuard(const LoadingGuard&) = delete;
  LoadingGuard& operator=(const LoadingGuard&) = delete;
};

// Reads a resource locked, then unlocks and releases it whatever happens.
int32_t ReadStoredMenu(VResourceFile* file, int16_t id, VMenuRecord& record) {
  uint8_t owned = 0;
  const VResourceRef ref = file->GetResource(FourCC("XMNU"), id, &owned);
  if (ref == 0) return kMenuResourceMissing;
  const auto* data = static_cast<const uint8_t*>(file->LockResource(ref));
  int32_t answer = kMenuResourceCorrupt;
  if (data != nullptr) {
    answer = ReadMenuRecord(data, file->GetResourceSize(ref), record);
    file->UnlockResource(ref);
  }
  file->ReleaseResource(ref);
  return answer;
}

// The sub-menu id a 'HIER' item's text names: decimal digits within the
// range of ids; 0 for anything else.
int16_t SubMenuIdOf(const uint8_t* text) {
  int32_t id = 0;
  if (text[0] == 0) return 0;
  for (int i = 1; i <= text[0]; ++i) {
    if (text[i] < '0' || text[i] > '9') return 0;
    id = id * 10 + (text[i] - '0');
    if (id > INT16_MAX) return 0;
  }
  return static_cast<int16_t>(id);
}

}  // namespace

VMenu::VMenu(VFrame* owner, VPort* port, int32_t commandId, VResourceFile* file, int16_t menuId)
    : VMenuBase(owner) {
  TakeCommand(commandId);
  LoadFromResource(port, file, menuId);
}

VMenu::VMenu(VMenuBase* parentMenu, VPort* port, int32_t commandId, VResourceFile* file,
             int16_t menuId)
    : VMenuBase(parentMenu) {
  TakeCommand(commandId);
  LoadFromResource(port, file, menuId);
}

VMenu::~VMenu() {
  // Items and sub-menus go before the handle, so nobody listens any more.
  for (VMenuItem* item : fItems) {
    if (item->GetCommand() != nullptr) item->GetCommand()->RemoveTitleListener(this);
  }
  DeleteItems();
}

bool VMenu::IsLoading(const VResourceFile* file, int16_t menuId) {
  const auto& loading = Loading();
  return std::find(loading.begin(), loading.end(), std::make_pair(file, menuId)) != loading.end();
}

int32_t VMenu::LoadFromResource(VPort* port, VResourceFile* file, int16_t menuId) {
  if (file == nullptr || menuId == 0) return kMenuLoaded;
  VMenuRecord record;
  const int32_t answer = ReadStoredMenu(file, menuId, record);
  if (answer != kMenuLoaded) return answer;
  if (record.title[0] != 0) file->ResolveStringRef(&fTitle, record.title);
  if (fCommand == nullptr) TakeCommand(record.commandId);
  LoadingGuard guard(file, menuId);
  for (const VMenuItemRecord& stored : record.items) {
    const bool check = (stored.flags & kMenuItemCheck) != 0;
    VMenuItem* item = nullptr;
    switch (stored.kind) {
      case FourCC("LINE"):
        item = new VSeparatorMenuItem(this);
        break;
      case FourCC("TEXT"):
        item = new VTextMenuItem(this, stored.commandId, file, stored.text, stored.iconId, check);
        break;
      case FourCC("NAME"):
        item = new VNameMenuItem(this, stored.commandId, file, stored.text, stored.iconId, check);
        break;
      case FourCC("HIER"):
        item = new VHierMenuItem(this, port, stored.commandId, file, SubMenuIdOf(stored.text),
                                 stored.iconId);
        break;
      default:
        // The colour, font and pattern items need their grid and font
        // menus, which this menu cannot show yet; other kinds are not items.
        break;
    }
    if (item != nullptr) item->SetParameter(stored.parameter);
  }
  return kMenuLoaded;
}

void VMenu::RemoveItem(VMenuItem* item) { std::erase(fItems, item); }

void VMenu::DeleteItems() {
  // Each item takes itself out of the list as it goes.
  while (!fItems.empty()) delete fItems.back();
}

VMenuItem* VMenu::GetItem(int32_t position) const {
  if (position < 1 || position > CountItems()) return nullptr;
  return fItems[static_cast<size_t>(position - 1)];
}

VMenuItem* VMenu::FindItem(int32_t commandId) const {
  for (VMenuItem* item : fItems) {
    if (item->GetCommand() != nullptr && item->GetCommandId() == commandId) return item;
    if (!item->HasSubMenu()) continue;
    VMenuBase* sub = static_cast<VSubMenuItem*>(item)->GetSubMenu();
    if (sub == nullptr || !sub->HasItemList()) continue;
    if (VMenuItem* found = static_cast<VMenu*>(sub)->FindItem(commandId)) return found;
  }
  return nullptr;
}

VMenuBase* VMenu::FindSubMenu(int32_t commandId) const {
  VMenuItem* item = FindItem(commandId);
  if (item == nullptr || !item->HasSubMenu()) return nullptr;
  return static_cast<VSubMenuItem*>(item)->GetSubMenu();
}

int32_t VMenu::RowsPerColumn(int32_t items, int32_t screenBottom, int32_t rowHeight) {
  // A screen lower than one row still shows one row a column.
  int32_t rows = rowHeight > 0 ? std::max(screenBottom / rowHeight, 1) : std::max(items, 1);
  if (items > rows) {
    const int32_t columns = (items + rows - 1) / rows;
    rows = (items + columns - 1) / columns;
  }
  return rows;
}

UINT VMenu::ItemState(const VMenuItem* item) const {
  const VCommand* own = item->GetCommand();
  const bool enabled = fCommand != nullptr && fCommand->IsEnabled() && own != nullptr &&
                       own->IsEnabled();
  return enabled ? MFS_ENABLED : MFS_GRAYED;
}

void VMenu::StringItemInfo(VMenuItem* item, MENUITEMINFOA& info, std::vector<char>& text) {
  VStr<255> title;
  item->GetTitle(title);
  VCommand* command = item->GetCommand();
  if (command != nullptr) {
    if (const VCommandKey* key = FindShortcut(command->GetId())) {
      VStr<255> shortcut;
      key->GetShortcutText(shortcut);
      title.AppendChar(9, kCharSetAnsi);
      title.Insert(shortcut, title.GetLength() + 1);
    }
  }
  // Twice the characters: one byte each in the ANSI set, room to spare.
  text.assign(static_cast<size_t>(title.GetLength()) * 2 + 2, '\0');
  title.GetCText(text.data(), static_cast<int32_t>(text.size()), kCharSetAnsi);
  info.fType |= MFT_STRING;
  info.dwTypeData = text.data();
  info.hbmpChecked = nullptr;
  info.hbmpUnchecked = nullptr;
  int16_t mark = kMenuMarkNone;
  if (command != nullptr && item->IsMenuItem() && !item->IsSeparator()) {
    const auto* textItem = dynamic_cast<const VTextMenuItem*>(item);
    if (textItem != nullptr) {
      if (const VCommand* group = command->GetGroupCommand()) {
        const int32_t groupValue = group->GetLong();
        mark = textItem->GetMark(command->GetLong(), &groupValue, command->GetId());
      } else {
        mark = textItem->GetMark(command->GetLong(), nullptr, command->GetId());
      }
    }
  }
  if (mark != kMenuMarkNone) info.fState |= MFS_CHECKED;
  if (mark == kMenuMarkMixed) info.hbmpChecked = GetMixedMarkBitmap();
}

void VMenu::Realize(VPort* port, bool asPopUp, bool measureAfter) {
  // A sub-menu's Win32 menu goes when its parent's is destroyed.
  if (fHandle != nullptr && !IsMenu(fHandle)) {
    RemoveMenuItemRefs(this);
    fHandle = nullptr;
  }
  if (fHandle == nullptr) {
    fHandle = asPopUp ? CreatePopupMenu() : CreateMenu();
    if (fHandle == nullptr) return;
    if (!asPopUp && fCommand != nullptr) fCommand->AddTitleListener(this);
  }
  std::vector<char> text;
  const int n = GetMenuItemCount(fHandle);
  if (n > 0) {
    for (int position = 0; position < n; ++position) {
      MENUITEMINFOA info{};
      info.cbSize = sizeof info;
      info.fMask = MIIM_ID | MIIM_TYPE;
      if (!GetMenuItemInfoA(fHandle, UINT(position), TRUE_, &info)) continue;
      if ((info.fType & MFT_SEPARATOR) != 0) continue;
      const VMenuItemRef* record = LookUpMenuItemRef(static_cast<uint16_t>(info.wID));
      if (record == nullptr || record->GetMenu() != this) continue;
      VMenuItem* item = GetItem(record->GetPosition());
      if (item == nullptr) continue;
      const UINT type = info.fType;
      info.fMask = MIIM_STATE | MIIM_TYPE;
      info.fState = ItemState(item);
      if ((type & MFT_OWNERDRAW) != 0) {
        info.fType = type;
        item->SetEnabled(info.fState == MFS_ENABLED);
      } else {
        info.fMask |= MIIM_CHECKMARKS;
        info.fType = type & MFT_MENUBARBREAK;
        StringItemInfo(item, info, text);
      }
      SetMenuItemInfoA(fHandle, UINT(position), TRUE_, &info);
    }
    return;
  }

  const int32_t rows = RowsPerColumn(CountItems(), GetSystemMetrics(SM_CYSCREEN),
                                     GetSystemMetrics(SM_CYMENU));
  int32_t row = 0;
  bool ownerDrawn = false;
  for (int32_t p = 1; p <= CountItems(); ++p) {
    VMenuItem* item = GetItem(p);
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_CHECKMARKS | MIIM_TYPE | MIIM_DATA;
    if (++row > rows) {
      row = 1;
      info.fType |= MFT_MENUBARBREAK;
    }
    if (item->IsSeparator()) {
      info.fType |= MFT_SEPARATOR;
      InsertMenuItemA(fHandle, UINT(p), TRUE_, &info);
      continue;
    }
    if (item->HasSubMenu()) {
      if (VMenuBase* sub = static_cast<VSubMenuItem*>(item)->CreateSubMenu(port)) {
        sub->SetLook(fLook);
        sub->SetSmallFont(fSmallFont != 0);
        sub->Realize(port, asPopUp, true);
        info.hSubMenu = sub->GetHandle();
      }
    }
    VCommand* command = item->GetCommand();
    if (!asPopUp && command != nullptr) command->AddTitleListener(this);
    info.fState = ItemState(item);
    const auto* record = new VMenuItemRef(this, static_cast<int16_t>(p));
    info.wID = record->GetIndex();
    // An item the registry has no room for can never be told apart when
    // chosen: it is shown, disabled.
    if (info.wID == 0) {
      info.fState = MFS_GRAYED;
      delete record;
    }
    if (item->HasIcon()) {
      info.fType |= MFT_OWNERDRAW;
      info.dwItemData = reinterpret_cast<ULONG_PTR>(static_cast<VMenuDrawData*>(item));
      item->SetEnabled(info.fState == MFS_ENABLED);
      ownerDrawn = true;
    } else {
      StringItemInfo(item, info, text);
    }
    InsertMenuItemA(fHandle, UINT(p), TRUE_, &info);
  }
  // Owner drawing uses the column widths that measuring fills.
  if (ownerDrawn) {
    int32_t width = 0;
    int32_t height = GetSystemMetrics(SM_CYSCREEN);
    Measure(port, width, height);
  }
}

void VMenu::Unrealize(bool recursive) {
  for (VMenuItem* item : fItems) {
    if (item->GetCommand() != nullptr) item->GetCommand()->RemoveTitleListener(this);
    if (item->HasSubMenu()) static_cast<VSubMenuItem*>(item)->UnrealizeSubMenu(recursive);
  }
  if (fCommand != nullptr) fCommand->RemoveTitleListener(this);
  DestroyHandle();
}

void VMenu::Refresh(VCommand*) {
  if (fHandle == nullptr) return;
  VFrame* frame = GetOwnerFrame();
  Realize(frame != nullptr ? frame->GetPort() : nullptr, false, false);
  if (frame != nullptr) frame->FlushWindow();
}

void VMenu::ChooseItem(int32_t position) {
  VMenuItem* item = GetItem(position);
  if (item == nullptr || item->GetCommand() == nullptr) return;
  VCommand* command = item->GetCommand();
  if (VCommand* group = command->GetGroupCommand()) {
    command->SetLong(nullptr, 1, 1);
    SendCommand(group->GetId(), item->GetParameter());
    return;
  }
  if (item->IsCheckItem()) {
    const VValue* value = command->GetValue();
    const bool number = value != nullptr && value->GetKind() == kValueLong;
    command->SetLong(nullptr, number && command->GetLong() == 1 ? 0 : 1, 1);
  }
  SendCommand(command->GetId(), item->GetParameter());
}

void VMenu::SetSmallFont(bool small) {
  VMenuBase::SetSmallFont(small);
  for (VMenuItem* item : fItems) item->SetSmallFont(small);
}

void VMenu::SetLook(int16_t kind) {
  VMenuBase::SetLook(kind);
  for (VMenuItem* item : fItems) item->SetLook(kind);
}

void VMenu::ClearCommand(VCommand* command) {
  VMenuBase::ClearCommand(command);
  for (VMenuItem* item : fItems) {
    if (item->GetCommand() == command) item->ForgetCommand();
  }
}

namespace {

// What a frame's pop-up menu is: the menu loaded from the module's
// resources for the frame and its port. Tracking needs the screen's menu
// loop, which the headless screen does not run yet: nothing is chosen.
class FramePopUpMenu : public VPopUpMenu {
 public:
  FramePopUpMenu(VFrame* frame, VPort* port, int32_t menuId)
      : fMenu(frame, port, 0,
              gSystemServices != nullptr ? gSystemServices->GetModuleResourceFile() : nullptr,
              static_cast<int16_t>(menuId)) {}
  void SetLook(int16_t look) override { fMenu.SetLook(look); }
  void SetFlag(int32_t) override {}
  void Track(int32_t, int32_t) override {}

 private:
  VMenu fMenu;
};

VPopUpMenu* MakePopUpMenu(VFrame* frame, VPort* port, int32_t menuId, int16_t) {
  // Menu ids are 16-bit; another id names no menu.
  if (menuId < INT16_MIN || menuId > INT16_MAX) return nullptr;
  return new FramePopUpMenu(frame, port, menuId);
}

}  // namespace

const VPopUpMenuMaker kPopUpMenuMaker{&MakePopUpMenu};
