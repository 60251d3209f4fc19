// The menu table: menus and their items, the windows' menu bars, the beeps.
#include "platform/win32/WinMenus.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <unordered_map>

#include "platform/win32/WinTypes.h"

namespace {

struct Item {
  UINT type = MFT_STRING;
  UINT state = MFS_ENABLED;
  UINT id = 0;
  uint32_t subMenu = 0;
  HBITMAP checked = nullptr;
  HBITMAP unchecked = nullptr;
  ULONG_PTR data = 0;
  std::string text;
  HBITMAP bitmap = nullptr;
};

struct Menu {
  bool popUp = false;
  std::vector<Item> items;
};

// Menu handles are small numbers that never name a window or a GDI object
// by chance: they start high and are never reused while the process lives.
constexpr uint32_t kFirstMenu = 0x7000000;
constexpr uint32_t kLastMenu = 0x7FFFFFF;
// A sub-menu chain longer than this is taken as a cycle.
constexpr int kMaxDepth = 64;

struct Table {
  std::recursive_mutex lock;
  std::unordered_map<uint32_t, Menu> menus;
  std::unordered_map<uintptr_t, uint32_t> bars;  // window -> menu
  std::vector<UINT> beeps;
  uint32_t next = kFirstMenu;
};

Table& T() {
  static Table table;
  return table;
}

uint32_t Key(HMENU menu) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(menu)); }
HMENU Handle(uint32_t key) { return reinterpret_cast<HMENU>(static_cast<uintptr_t>(key)); }

Menu* Find(HMENU menu) {
  auto it = T().menus.find(Key(menu));
  if (reinterpret_cast<uintptr_t>(menu) > kLastMenu || it == T().menus.end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return &it->second;
}

HMENU Create(bool popUp) {
  std::lock_guard guard(T().lock);
  if (T().next > kLastMenu) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  uint32_t key = T().next++;
  T().menus[key].popUp = popUp;
  return Handle(key);
}

// The item `item` names in `menu`, with the menu that holds it (a sub-menu
// when searched by command); null when there is none.
Item* Locate(uint32_t menu, UINT item, bool byPosition, Menu** holder, int depth = 0) {
  auto it = T().menus.find(menu);
  if (it == T().menus.end() || depth > kMaxDepth) return nullptr;
  auto& items = it->second.items;
  if (byPosition) {
    if (item >= items.size()) return nullptr;
    *holder = &it->second;
    return &items[item];
  }
  for (auto& entry : items) {
    if (entry.subMenu == 0 && entry.id == item && (entry.type & MFT_SEPARATOR) == 0) {
      *holder = &it->second;
      return &entry;
    }
    if (entry.subMenu != 0) {
      if (Item* found = Locate(entry.subMenu, item, false, holder, depth + 1)) return found;
    }
  }
  return nullptr;
}

// Whether `inner` is `outer` or lies inside it through sub-menus.
bool Contains(uint32_t outer, uint32_t inner, int depth = 0) {
  if (outer == inner) return true;
  auto it = T().menus.find(outer);
  if (it == T().menus.end() || depth > kMaxDepth) return false;
  for (const auto& entry : it->second.items) {
    if (entry.subMenu != 0 && Contains(entry.subMenu, inner, depth + 1)) return true;
  }
  return false;
}

bool Usable(const MENUITEMINFOA* info) {
  if (info == nullptr || info->cbSize != sizeof(MENUITEMINFOA)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  return true;
}

// Writes the masked fields of `info` into `item` once they are known good.
bool Apply(uint32_t menu, Item& item, const MENUITEMINFOA& info) {
  if ((info.fMask & MIIM_SUBMENU) != 0 && info.hSubMenu != nullptr) {
    uint32_t sub = Key(info.hSubMenu);
    if (Find(info.hSubMenu) == nullptr || Contains(sub, menu)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return false;
    }
  }
  if (info.fMask & MIIM_STATE) item.state = info.fState;
  if (info.fMask & MIIM_ID) item.id = info.wID;
  if (info.fMask & MIIM_SUBMENU) item.subMenu = info.hSubMenu ? Key(info.hSubMenu) : 0;
  if (info.fMask & MIIM_CHECKMARKS) {
    item.checked = info.hbmpChecked;
    item.unchecked = info.hbmpUnchecked;
  }
  if (info.fMask & MIIM_TYPE) {
    item.type = info.fType;
    item.text.clear();
    // Only a string item carries a text; the others carry data in its place.
    if ((info.fType & (MFT_SEPARATOR | MFT_OWNERDRAW)) == 0 && info.dwTypeData != nullptr) {
      item.text = info.dwTypeData;
    }
  }
  if (info.fMask & MIIM_DATA) item.data = info.dwItemData;
  return true;
}

void DestroyTree(uint32_t key, int depth) {
  auto it = T().menus.find(key);
  if (it == T().menus.end() || depth > kMaxDepth) return;
  std::vector<uint32_t> subs;
  for (const auto& entry : it->second.items) {
    if (entry.subMenu != 0) subs.push_back(entry.subMenu);
  }
  T().menus.erase(it);
  std::erase_if(T().bars, [key](const auto& bar) { return bar.second == key; });
  for (uint32_t sub : subs) DestroyTree(sub, depth + 1);
}

BOOL Remove(HMENU menu, UINT item, UINT flags, bool destroySub) {
  std::lock_guard guard(T().lock);
  if (Find(menu) == nullptr) return FALSE_;
  Menu* holder = nullptr;
  Item* found = Locate(Key(menu), item, (flags & MF_BYPOSITION) != 0, &holder);
  if (found == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE_;
  }
  uint32_t sub = found->subMenu;
  holder->items.erase(holder->items.begin() + (found - holder->items.data()));
  if (destroySub && sub != 0) DestroyTree(sub, 0);
  return TRUE_;
}

}  // namespace

HMENU CreateMenu() { return Create(false); }
HMENU CreatePopupMenu() { return Create(true); }

BOOL DestroyMenu(HMENU menu) {
  std::lock_guard guard(T().lock);
  if (Find(menu) == nullptr) return FALSE_;
  DestroyTree(Key(menu), 0);
  return TRUE_;
}

BOOL IsMenu(HMENU menu) {
  std::lock_guard guard(T().lock);
  return Find(menu) != nullptr ? TRUE_ : FALSE_;
}

int GetMenuItemCount(HMENU menu) {
  std::lock_guard guard(T().lock);
  Menu* found = Find(menu);
  return found ? static_cast<int>(found->items.size()) : -1;
}

BOOL InsertMenuItemA(HMENU menu, UINT item, BOOL byPosition, const MENUITEMINFOA* info) {
  std::lock_guard guard(T().lock);
  Menu* target = Find(menu);
  if (target == nullptr || !Usable(info)) return FALSE_;
  Item fresh;
  if (!Apply(Key(menu), fresh, *info)) return FALSE_;
  if (byPosition) {
    size_t at = std::min<size_t>(item, target->items.size());
    target->items.insert(target->items.begin() + static_cast<ptrdiff_t>(at), std::move(fresh));
    return TRUE_;
  }
  Menu* holder = nullptr;
  Item* before = Locate(Key(menu), item, false, &holder);
  if (before == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE_;
  }
  holder->items.insert(holder->items.begin() + (before - holder->items.data()), std::move(fresh));
  return TRUE_;
}

BOOL GetMenuItemInfoA(HMENU menu, UINT item, BOOL byPosition, MENUITEMINFOA* info) {
  std::lock_guard guard(T().lock);
  if (Find(menu) == nullptr || !Usable(info)) return FALSE_;
  Menu* holder = nullptr;
  const Item* found = Locate(Key(menu), item, byPosition != 0, &holder);
  if (found == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE_;
  }
  if (info->fMask & MIIM_STATE) info->fState = found->state;
  if (info->fMask & MIIM_ID) info->wID = found->id;
  if (info->fMask & MIIM_SUBMENU) info->hSubMenu = found->subMenu ? Handle(found->subMenu) : nullptr;
  if (info->fMask & MIIM_CHECKMARKS) {
    info->hbmpChecked = found->checked;
    info->hbmpUnchecked = found->unchecked;
  }
  if (info->fMask & MIIM_TYPE) {
    info->fType = found->type;
    if ((found->type & (MFT_SEPARATOR | MFT_OWNERDRAW)) == 0) {
      // The text is copied when there is room for some of it; cch always
      // answers its whole length.
      if (info->dwTypeData != nullptr && info->cch > 0) {
        size_t n = std::min<size_t>(found->text.size(), info->cch - 1);
        std::memcpy(info->dwTypeData, found->text.data(), n);
        info->dwTypeData[n] = '\0';
      }
      info->cch = static_cast<UINT>(found->text.size());
    } else {
      info->dwTypeData = reinterpret_cast<char*>(found->data);
    }
  }
  if (info->fMask & MIIM_DATA) info->dwItemData = found->data;
  return TRUE_;
}

BOOL SetMenuItemInfoA(HMENU menu, UINT item, BOOL byPosition, const MENUITEMINFOA* info) {
  std::lock_guard guard(T().lock);
  if (Find(menu) == nullptr || !Usable(info)) return FALSE_;
  Menu* holder = nullptr;
  Item* found = Locate(Key(menu), item, byPosition != 0, &holder);
  if (found == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE_;
  }
  // A refused change leaves the item whole: apply to a copy first.
  Item changed = *found;
  if (!Apply(Key(menu), changed, *info)) return FALSE_;
  *found = std::move(changed);
  return TRUE_;
}

BOOL RemoveMenu(HMENU menu, UINT item, UINT flags) { return Remove(menu, item, flags, false); }
BOOL DeleteMenu(HMENU menu, UINT item, UINT flags) { return Remove(menu, item, flags, true); }

HMENU GetSubMenu(HMENU menu, int position) {
  std::lock_guard guard(T().lock);
  Menu* found = Find(menu);
  if (found == nullptr || position < 0 || static_cast<size_t>(position) >= found->items.size()) {
    return nullptr;
  }
  uint32_t sub = found->items[static_cast<size_t>(position)].subMenu;
  return sub ? Handle(sub) : nullptr;
}

BOOL SetMenu(HWND window, HMENU menu) {
  if (!IsWindow(window)) return FALSE_;
  std::lock_guard guard(T().lock);
  if (menu != nullptr && Find(menu) == nullptr) return FALSE_;
  if (menu == nullptr) {
    T().bars.erase(reinterpret_cast<uintptr_t>(window));
  } else {
    T().bars[reinterpret_cast<uintptr_t>(window)] = Key(menu);
  }
  return TRUE_;
}

HMENU GetMenu(HWND window) {
  if (!IsWindow(window)) return nullptr;
  std::lock_guard guard(T().lock);
  auto it = T().bars.find(reinterpret_cast<uintptr_t>(window));
  return it == T().bars.end() ? nullptr : Handle(it->second);
}

BOOL MessageBeep(UINT kind) {
  std::lock_guard guard(T().lock);
  T().beeps.push_back(kind);
  return TRUE_;
}

std::vector<UINT> GetHeadlessBeeps() {
  std::lock_guard guard(T().lock);
  return T().beeps;
}

void ResetHeadlessBeeps() {
  std::lock_guard guard(T().lock);
  T().beeps.clear();
}

size_t CountHeadlessMenus() {
  std::lock_guard guard(T().lock);
  return T().menus.size();
}
