// VToolboxMenuBar: the menu bar of an area's window, with the Toolbox menu
// bar it builds from its menus for the area's own window. Each menu is a
// title with items bound to commands; a chosen item waits in the bar's
// choice until the own window's loop takes it and has the menu execute it,
// which sends the item's command to the owner frame. One item may be
// optional: switched off, the Toolbox menu bar leaves it out.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "views/VWindowMenuBar.h"

class VFrame;

class VToolboxMenuBar : public VWindowMenuBar {
 public:
  explicit VToolboxMenuBar(VFrame* owner);
  ~VToolboxMenuBar() override;
  VToolboxMenuBar(const VToolboxMenuBar&) = delete;
  VToolboxMenuBar& operator=(const VToolboxMenuBar&) = delete;

  // Menus and their items; both answer their 1-based number.
  int16_t AddMenu(const std::string& title);
  // 0 for a menu that does not exist.
  int16_t AddItem(int16_t menu, const std::string& title, int32_t commandId);
  // The optional item (0: none) and whether it shows.
  void SetOptionalItem(int16_t menu, int16_t item) {
    fOptionalMenu = menu;
    fOptionalItem = item;
  }
  void SwitchOptionalItem(bool on);

  bool IsMenuBarShown() const override { return fShown; }
  void ShowMenuBar(bool show) override { fShown = show; }
  // Also puts a Toolbox menu (id kToolboxMenuBase + its number) of the
  // items shown into the Toolbox menu bar for each menu.
  VMenuChoice* BuildToolboxMenuBar() override;
  void RemoveToolboxMenuBar() override;
  bool TakeToolboxChoice(int32_t selection) override;
  static constexpr int16_t kToolboxMenuBase = 300;

  // The user chose `item` of `menu` in the Toolbox menu bar: the choice
  // waits for the loop. False for an item the built bar does not show.
  bool Choose(int16_t menu, int16_t item);
  // The titles the built bar shows, menu by menu ("File: Open, Close");
  // empty while none is built.
  std::vector<std::string> GetBuiltMenus() const;
  bool IsBuilt() const { return fBuilt; }

 private:
  class Menu;
  bool Shows(int16_t menu, int16_t item) const;
  // The Toolbox menus of the built bar, made again when what shows changes.
  void MakeToolboxMenus();
  void DisposeToolboxMenus();

  VFrame* fOwner;
  std::vector<std::unique_ptr<Menu>> fMenus;
  VMenuChoice fChoice;
  int16_t fOptionalMenu = 0;
  int16_t fOptionalItem = 0;
  bool fOptionalOn = true;
  bool fShown = false;
  bool fBuilt = false;
  std::vector<void*> fToolboxMenus;
};
