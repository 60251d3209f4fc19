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
#include "graphics/VBitmapPort.h"
#include "graphics/VPort.h"
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

VMenu::VMenu(VWinMenuBar* menuBar, VPort* port, int32_t commandId, VResourceFile* file,
             int16_t menuId)
    : VMenuBase(menuBar) {
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
      case FourCC("HCOL"):
        item = new VColorMenuItem(this, stored.commandId, file, stored.text, stored.iconId);
        break;
      case FourCC("HPAT"):
        item = new VPatternMenuItem(this, stored.commandId, file, stored.text, stored.iconId);
        break;
      case FourCC("FONT"):
      case FourCC("FNTT"):
        item = new VFontMenuItem(this, stored.commandId, file, stored.text, stored.iconId,
                                 stored.kind == FourCC("FONT") ? 1 : 0);
        break;
      default:
        // Other kinds are not items.
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
  // A bar's menu refreshes on a port of its own; a frame's on the frame's.
  if (GetOwnerMenuBar() != nullptr) {
    VBitmapPort port;
    Realize(&port, false, false);
    return;
  }
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
// resources for the frame and its port.
class FramePopUpMenu : public VPopUpMenu {
 public:
  FramePopUpMenu(VFrame* frame, VPort* port, int32_t menuId)
      : fMenu(frame, port, 0,
              gSystemServices != nullptr ? gSystemServices->GetModuleResourceFile() : nullptr,
              static_cast<int16_t>(menuId)) {}
  void SetLook(int16_t look) override { fMenu.SetLook(look); }
  void SetFlag(int32_t) override {}
  void Track(int32_t screenX, int32_t screenY) override { fMenu.TrackPopUp(screenX, screenY, false); }

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

// ---- The self-drawn menu.

void VMenu::Measure(VPort* port, int32_t& width, int32_t& height) {
  if (port == nullptr) return;
  port->UseStandardFont(fSmallFont ? 1 : 0);
  const int16_t look = port->GetLook();
  const bool roomy = fSmallFont != 0 || (look != 3 && look != 4);
  fRowUnit = static_cast<int16_t>(port->GetLineHeight() + (roomy ? 2 : 0));
  fMarkWidth = fTitleWidth = fModifierWidth = fKeyWidth = fShortcutWidth = 0;
  fTotalHeight = 0;
  fScroll = 0;
  fFirstVisible = 1;
  fLastVisible = 0;
  int32_t fitting = 0;
  bool fits = true;
  for (VMenuItem* item : fItems) {
    int16_t mark = 0;
    int16_t title = 0;
    int16_t modifier = 0;
    int16_t key = 0;
    const int16_t h = item->Measure(port, fRowUnit, mark, title, modifier, key);
    fMarkWidth = std::max(fMarkWidth, mark);
    fTitleWidth = std::max(fTitleWidth, title);
    if (item->HasIcon()) {
      fShortcutWidth = std::max<int16_t>(fShortcutWidth, static_cast<int16_t>(modifier + key));
    } else {
      fModifierWidth = std::max(fModifierWidth, modifier);
      fKeyWidth = std::max(fKeyWidth, key);
    }
    fTotalHeight += h;
    fits = fits && fTotalHeight + fRowUnit < height;
    if (fits) {
      ++fLastVisible;
      fitting = fTotalHeight;
    }
  }
  height = fTotalHeight <= height ? fTotalHeight : fitting + fRowUnit;
  width = std::max<int32_t>(fMarkWidth, GetSystemMetrics(SM_CXMENUCHECK)) + fTitleWidth;
  if (fShortcutWidth != 0) {
    if (fModifierWidth == 0 && fKeyWidth == 0) {
      width += fShortcutWidth + 13;
    } else if (fShortcutWidth - fModifierWidth - fKeyWidth > 0) {
      width += fShortcutWidth - fModifierWidth - fKeyWidth;
    }
  }
}

int32_t VMenu::GetWidth() const {
  return fMarkWidth + fTitleWidth + fModifierWidth + 13 + fKeyWidth;
}

void VMenu::DrawItem(VPort* port, VMenuItem* item, int32_t width, bool selected) {
  item->Draw(port, selected, static_cast<int16_t>(width), fMarkWidth, fTitleWidth, fModifierWidth,
             fKeyWidth);
}

void VMenu::DrawScrollArrow(VPort* port, int32_t width, int32_t height, bool, bool highlighted) {
  port->SetFillColorIndex(highlighted ? 34 : 33);
  port->PaintRect(0, 0, width, height);
}

void VMenu::Draw(VPort* port, int32_t width, int32_t height) {
  const bool scrolls = fTotalHeight > height;
  int32_t top = 0;
  int32_t first = 1;
  int32_t last = CountItems();
  if (scrolls) {
    first = fFirstVisible;
    last = fLastVisible;
    if (first > 1) {
      DrawScrollArrow(port, width, fRowUnit, false, fScroll == 1);
      top = fRowUnit;
    }
  }
  for (int32_t p = first; p <= last; ++p) {
    port->PushOrigin(0, top);
    DrawItem(port, GetItem(p), width, false);
    port->PopOrigin();
    top += GetItem(p)->GetHeight();
  }
  if (scrolls && last < CountItems()) {
    port->PushOrigin(0, height - fRowUnit);
    DrawScrollArrow(port, width, fRowUnit, true, fScroll == 2);
    port->PopOrigin();
  }
}

void VMenu::GetItemBounds(int32_t index, int32_t& left, int32_t& top, int32_t& width,
                          int32_t& height) const {
  left = 0;
  top = fFirstVisible == 1 ? 0 : fRowUnit;
  for (int32_t p = fFirstVisible; p < index && p <= CountItems(); ++p) top += GetItem(p)->GetHeight();
  width = GetWidth();
  height = GetItem(index) != nullptr ? GetItem(index)->GetHeight() : 0;
}

void VMenu::DrawRow(VPort* port, int32_t position, int32_t width, bool selected) {
  int32_t left = 0;
  int32_t top = 0;
  int32_t w = 0;
  int32_t h = 0;
  GetItemBounds(position, left, top, w, h);
  port->PushOrigin(left, top);
  DrawItem(port, GetItem(position), width, selected);
  port->PopOrigin();
}

int32_t VMenu::RowAt(int32_t y, int32_t top) const {
  y -= top;
  for (int32_t p = fFirstVisible; y >= 0 && p <= CountItems(); ++p) {
    y -= GetItem(p)->GetHeight();
    if (y < 0) return p;
  }
  return 0;
}

void VMenu::ScrollBy(int32_t step, int32_t height) {
  const int32_t count = CountItems();
  fFirstVisible = static_cast<int16_t>(std::clamp<int32_t>(fFirstVisible + step, 1, std::max(count, 1)));
  int32_t top = fFirstVisible > 1 ? fRowUnit : 0;
  fLastVisible = static_cast<int16_t>(fFirstVisible - 1);
  for (int32_t p = fFirstVisible; p <= count; ++p) {
    const int32_t bottomBand = p < count ? fRowUnit : 0;
    if (top + GetItem(p)->GetHeight() + bottomBand > height) break;
    top += GetItem(p)->GetHeight();
    fLastVisible = static_cast<int16_t>(p);
  }
}

int32_t VMenu::TrackHilite(VPort* port, int32_t width, int32_t height, int32_t x, int32_t y,
                           int32_t previous, int32_t& chosen) {
  const int32_t count = CountItems();
  int32_t candidate = 0;
  const bool scrolls = fTotalHeight > height;
  int16_t state = 0;
  if (scrolls && fFirstVisible > 1 && y >= 0 && y < fRowUnit) state = 1;
  if (scrolls && fLastVisible < count && y >= height - fRowUnit && y < height) state = 2;
  if (state != 0) {
    fScroll = state;
    const bool fast = state == 1 ? fFirstVisible >= 4 && y < fRowUnit / 2
                                 : count - fLastVisible >= 4 && y > height - fRowUnit / 2;
    ScrollBy((fast ? 3 : 1) * (state == 1 ? -1 : 1), height);
    // The rows moved: the whole menu is drawn again at its new place, the
    // arrow bands highlighted while the scrolling goes on.
    Draw(port, width, height);
    chosen = 0;
    return 0;
  }
  if (fScroll != 0) {
    fScroll = 0;
    Draw(port, width, height);
  }
  if (0 < x && x < width && 0 < y && y < height) {
    candidate = RowAt(y, scrolls && fFirstVisible > 1 ? fRowUnit : 0);
    if (scrolls && candidate > fLastVisible) candidate = 0;
  }
  // A disabled row (a separator among them) is never highlighted.
  if (candidate != 0 && ItemState(GetItem(candidate)) != MFS_ENABLED) candidate = 0;
  if (candidate != previous) {
    if (previous >= 1 && previous <= count) DrawRow(port, previous, width, false);
    if (candidate != 0) DrawRow(port, candidate, width, true);
  }
  chosen = candidate;
  return candidate;
}
