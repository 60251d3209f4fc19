// The menu bar of an area's window and its Toolbox menu bar.
#include "controls/menus/VToolboxMenuBar.h"

#include <algorithm>

#include "platform/toolbox/TbxMenus.h"
#include "views/VFrame.h"

class VToolboxMenuBar::Menu : public VMenuItemExecutor {
 public:
  Menu(VFrame* owner, std::string title) : fOwner(owner), fTitle(std::move(title)) {}
  void ExecuteItem(int16_t item) override {
    if (item < 1 || item > static_cast<int16_t>(fItems.size()) || fOwner == nullptr) return;
    fOwner->NotifyParent(fOwner, fItems[item - 1].commandId, 0);
  }
  struct Item {
    std::string title;
    int32_t commandId;
  };
  VFrame* fOwner;
  std::string fTitle;
  std::vector<Item> fItems;
};

VToolboxMenuBar::VToolboxMenuBar(VFrame* owner) : fOwner(owner) {}

VToolboxMenuBar::~VToolboxMenuBar() { DisposeToolboxMenus(); }

void VToolboxMenuBar::SwitchOptionalItem(bool on) {
  fOptionalOn = on;
  if (fBuilt) MakeToolboxMenus();
}

void VToolboxMenuBar::MakeToolboxMenus() {
  DisposeToolboxMenus();
  for (size_t m = 0; m < fMenus.size(); ++m) {
    auto pascal = [](const std::string& text, uint8_t (&out)[256]) {
      out[0] = static_cast<uint8_t>(std::min<size_t>(text.size(), 255));
      text.copy(reinterpret_cast<char*>(out + 1), out[0]);
      return out;
    };
    uint8_t text[256];
    Tbx::MenuRef menu = Tbx::NewMenu(static_cast<int16_t>(kToolboxMenuBase + m + 1), pascal(fMenus[m]->fTitle, text));
    for (size_t i = 0; i < fMenus[m]->fItems.size(); ++i) {
      if (Shows(static_cast<int16_t>(m + 1), static_cast<int16_t>(i + 1))) {
        Tbx::AppendMenuItemText(menu, pascal(fMenus[m]->fItems[i].title, text));
      }
    }
    Tbx::InsertMenu(menu, 0);
    fToolboxMenus.push_back(menu);
  }
}

void VToolboxMenuBar::DisposeToolboxMenus() {
  for (void* menu : fToolboxMenus) Tbx::DisposeMenu(menu);
  fToolboxMenus.clear();
}

bool VToolboxMenuBar::TakeToolboxChoice(int32_t selection) {
  if (!fBuilt) return false;
  const int32_t menu = ((selection >> 16) & 0xFFFF) - kToolboxMenuBase;
  const int32_t shown = selection & 0xFFFF;
  if (menu < 1 || menu > static_cast<int32_t>(fMenus.size()) || shown < 1) return false;
  // The Toolbox menu leaves out an item switched off: count the shown ones.
  int32_t seen = 0;
  for (size_t i = 0; i < fMenus[size_t(menu - 1)]->fItems.size(); ++i) {
    if (!Shows(static_cast<int16_t>(menu), static_cast<int16_t>(i + 1))) continue;
    if (++seen == shown) return Choose(static_cast<int16_t>(menu), static_cast<int16_t>(i + 1));
  }
  return false;
}

int16_t VToolboxMenuBar::AddMenu(const std::string& title) {
  fMenus.push_back(std::make_unique<Menu>(fOwner, title));
  return static_cast<int16_t>(fMenus.size());
}

int16_t VToolboxMenuBar::AddItem(int16_t menu, const std::string& title, int32_t commandId) {
  if (menu < 1 || menu > static_cast<int16_t>(fMenus.size())) return 0;
  auto& items = fMenus[menu - 1]->fItems;
  items.push_back({title, commandId});
  return static_cast<int16_t>(items.size());
}

bool VToolboxMenuBar::Shows(int16_t menu, int16_t item) const {
  if (menu < 1 || menu > static_cast<int16_t>(fMenus.size())) return false;
  if (item < 1 || item > static_cast<int16_t>(fMenus[menu - 1]->fItems.size())) return false;
  return fOptionalOn || menu != fOptionalMenu || item != fOptionalItem;
}

VMenuChoice* VToolboxMenuBar::BuildToolboxMenuBar() {
  fBuilt = true;
  fChoice = VMenuChoice{};
  MakeToolboxMenus();
  return &fChoice;
}

void VToolboxMenuBar::RemoveToolboxMenuBar() {
  fBuilt = false;
  fChoice = VMenuChoice{};
  DisposeToolboxMenus();
}

bool VToolboxMenuBar::Choose(int16_t menu, int16_t item) {
  if (!fBuilt || !Shows(menu, item)) return false;
  fChoice.menu = fMenus[menu - 1].get();
  fChoice.item = item;
  return true;
}

std::vector<std::string> VToolboxMenuBar::GetBuiltMenus() const {
  std::vector<std::string> menus;
  if (!fBuilt) return menus;
  for (size_t m = 0; m < fMenus.size(); ++m) {
    std::string line = fMenus[m]->fTitle + ":";
    const char* separator = " ";
    for (size_t i = 0; i < fMenus[m]->fItems.size(); ++i) {
      if (!Shows(static_cast<int16_t>(m + 1), static_cast<int16_t>(i + 1))) continue;
      line += separator + fMenus[m]->fItems[i].title;
      separator = ", ";
    }
    menus.push_back(line);
  }
  return menus;
}
