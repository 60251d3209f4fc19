// VMenu: the standard menu, a list of items loaded from an 'XMNU' resource
// and shown as a Win32 menu (in a menu bar or as a pop-up). Each realised
// item holds a record in the item registry whose index is its Win32 command
// id. The frames reach it through the pop-up menu maker installed at start.
#pragma once

#include <cstdint>
#include <vector>

#include "controls/menus/VMenuBase.h"
#include "views/VFrame.h"

class VResourceFile;

class VMenu : public VMenuBase {
 public:
  // Takes the command found by id, then loads the 'XMNU' (nothing for a null
  // file or id 0).
  VMenu(VFrame* owner, VPort* port, int32_t commandId, VResourceFile* file, int16_t menuId);
  VMenu(VMenuBase* parentMenu, VPort* port, int32_t commandId, VResourceFile* file,
        int16_t menuId);
  // Deletes the items.
  ~VMenu() override;

  // kMenuLoaded, kMenuResourceMissing (an empty menu), or
  // kMenuResourceCorrupt (an empty menu). A null file or id 0 loads nothing.
  int32_t LoadFromResource(VPort* port, VResourceFile* file, int16_t menuId);
  // Whether (file, id) is being loaded by a menu above the one asking.
  static bool IsLoading(const VResourceFile* file, int16_t menuId);

  void AddItem(VMenuItem* item) { fItems.push_back(item); }
  void RemoveItem(VMenuItem* item);
  void DeleteItems();
  // Depth first through the sub-menus that have items; null when none.
  VMenuItem* FindItem(int32_t commandId) const;
  // The sub-menu of the sub-menu item bound to the command.
  VMenuBase* FindSubMenu(int32_t commandId) const;

  void Realize(VPort* port, bool asPopUp, bool measureAfter) override;
  void Unrealize(bool recursive) override;
  void Refresh(VCommand* command) override;
  // Acts on the item at the 1-based position.
  void ChooseItem(int32_t position) override;
  void SetSmallFont(bool small) override;
  void SetLook(int16_t kind) override;
  bool HasItemList() const override { return true; }
  int32_t CountItems() const override { return static_cast<int32_t>(fItems.size()); }
  // 1-based; null outside.
  VMenuItem* GetItem(int32_t position) const override;
  void ClearCommand(VCommand* command) override;

  // Rows in each column of a menu of `items` rows on a screen whose bottom
  // is `screenBottom`, with rows `rowHeight` high: all in one column when
  // they fit, else balanced columns. At least 1.
  static int32_t RowsPerColumn(int32_t items, int32_t screenBottom, int32_t rowHeight);

 private:
  // Win32 state and marks of an item as the commands now say.
  UINT ItemState(const VMenuItem* item) const;
  void StringItemInfo(VMenuItem* item, MENUITEMINFOA& info, std::vector<char>& text);

  std::vector<VMenuItem*> fItems;
};

// The maker the module installs for VFrame::PopUpMenu.
extern const VPopUpMenuMaker kPopUpMenuMaker;
