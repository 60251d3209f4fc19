// The Toolbox emulation's menus and their scripted selection.
#include "platform/toolbox/TbxMenus.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/win32/WinMenuTracking.h"
#include "platform/win32/WinMenus.h"

namespace Tbx {

namespace {

struct MenuItem {
  std::string text;
  bool enabled = true;
};

struct Menu {
  int16_t id = 0;
  std::string title;
  std::vector<MenuItem> items;
};

std::recursive_mutex gLock;
std::vector<std::unique_ptr<Menu>> gMenus;  // every menu made and not disposed
std::vector<Menu*> gBar;                     // the bar's menus, in bar order

Menu* Find(MenuRef ref) {
  for (const auto& menu : gMenus) {
    if (menu.get() == ref) return menu.get();
  }
  return nullptr;
}

std::string Text(const uint8_t* pascal) {
  return pascal != nullptr ? std::string(reinterpret_cast<const char*>(pascal + 1), pascal[0]) : std::string();
}

// The answer for item `item` of the menu: 0 for an item that is missing or
// disabled, with a beep as a click on one gives.
int32_t Answer(const Menu* menu, int32_t item) {
  if (menu == nullptr || item < 1 || item > static_cast<int32_t>(menu->items.size()) ||
      !menu->items[size_t(item - 1)].enabled) {
    MessageBeep(0);
    return 0;
  }
  return (int32_t(uint16_t(menu->id)) << 16) | item;
}

// Takes steps until one that chooses or cancels; `menus` are searched by
// text, the first of them by position.
int32_t Select(const std::vector<Menu*>& menus) {
  ScriptedMenuStep step;
  while (TakeScriptedMenuStep(step)) {
    switch (step.kind) {
      case ScriptedMenuStep::kHover:
        continue;
      case ScriptedMenuStep::kSnapshot:
        // Nothing is drawn that a snapshot could show.
        NoteMenuSnapshotFailure();
        continue;
      case ScriptedMenuStep::kCancel:
        return 0;
      case ScriptedMenuStep::kPosition:
        if (menus.empty() || step.position > static_cast<int32_t>(menus.front()->items.size()))
          NoteMenuChoiceFailure(step);
        return Answer(menus.empty() ? nullptr : menus.front(), step.position);
      case ScriptedMenuStep::kText:
        for (const Menu* menu : menus) {
          for (size_t i = 0; i < menu->items.size(); ++i) {
            if (menu->items[i].text == step.text) return Answer(menu, int32_t(i + 1));
          }
        }
        NoteMenuChoiceFailure(step);
        return Answer(nullptr, 0);
    }
  }
  return 0;
}

}  // namespace

MenuRef NewMenu(int16_t menuId, const uint8_t* title) {
  std::lock_guard guard(gLock);
  auto menu = std::make_unique<Menu>();
  menu->id = menuId;
  menu->title = Text(title);
  gMenus.push_back(std::move(menu));
  return gMenus.back().get();
}

void DisposeMenu(MenuRef ref) {
  std::lock_guard guard(gLock);
  Menu* menu = Find(ref);
  if (menu == nullptr) return;
  std::erase(gBar, menu);
  std::erase_if(gMenus, [menu](const std::unique_ptr<Menu>& m) { return m.get() == menu; });
}

void AppendMenuItemText(MenuRef ref, const uint8_t* text) {
  std::lock_guard guard(gLock);
  // Item numbers are 16-bit.
  if (Menu* menu = Find(ref); menu != nullptr && menu->items.size() < 32767) {
    menu->items.push_back({Text(text), true});
  }
}

int16_t CountMenuItems(MenuRef ref) {
  std::lock_guard guard(gLock);
  const Menu* menu = Find(ref);
  return menu != nullptr ? static_cast<int16_t>(menu->items.size()) : 0;
}

namespace {

void SetEnabled(MenuRef ref, int16_t item, bool enabled) {
  std::lock_guard guard(gLock);
  Menu* menu = Find(ref);
  if (menu != nullptr && item >= 1 && item <= static_cast<int32_t>(menu->items.size())) {
    menu->items[size_t(item - 1)].enabled = enabled;
  }
}

}  // namespace

void EnableMenuItem(MenuRef menu, int16_t item) { SetEnabled(menu, item, true); }
void DisableMenuItem(MenuRef menu, int16_t item) { SetEnabled(menu, item, false); }

int16_t GetMenuId(MenuRef ref) {
  std::lock_guard guard(gLock);
  const Menu* menu = Find(ref);
  return menu != nullptr ? menu->id : 0;
}

std::string GetMenuItemString(MenuRef ref, int16_t item) {
  std::lock_guard guard(gLock);
  const Menu* menu = Find(ref);
  if (menu == nullptr || item < 1 || item > static_cast<int32_t>(menu->items.size())) return {};
  return menu->items[size_t(item - 1)].text;
}

void InsertMenu(MenuRef ref, int16_t beforeId) {
  std::lock_guard guard(gLock);
  Menu* menu = Find(ref);
  if (menu == nullptr || std::find(gBar.begin(), gBar.end(), menu) != gBar.end()) return;
  auto before = std::find_if(gBar.begin(), gBar.end(), [beforeId](const Menu* m) { return m->id == beforeId; });
  gBar.insert(beforeId == 0 ? gBar.end() : before, menu);
}

void DeleteMenu(int16_t menuId) {
  std::lock_guard guard(gLock);
  std::erase_if(gBar, [menuId](const Menu* m) { return m->id == menuId; });
}

void ClearMenuBar() {
  std::lock_guard guard(gLock);
  gBar.clear();
}

MenuRef GetMenuHandle(int16_t menuId) {
  std::lock_guard guard(gLock);
  for (Menu* menu : gBar) {
    if (menu->id == menuId) return menu;
  }
  return nullptr;
}

int16_t CountMenuBarMenus() {
  std::lock_guard guard(gLock);
  return static_cast<int16_t>(gBar.size());
}

int32_t SelectFromMenu(MenuRef ref) {
  std::vector<Menu*> menus;
  {
    std::lock_guard guard(gLock);
    if (Menu* menu = Find(ref)) menus.push_back(menu);
  }
  // An unknown menu shows nothing and takes no step.
  if (menus.empty()) return 0;
  std::lock_guard guard(gLock);
  return Select(menus);
}

int32_t SelectFromMenuBar() {
  std::lock_guard guard(gLock);
  if (gBar.empty()) return 0;
  return Select(gBar);
}

}  // namespace Tbx
