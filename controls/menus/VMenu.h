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
  VMenu(VWinMenuBar* menuBar, VPort* port, int32_t commandId, VResourceFile* file,
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

  void Measure(VPort* port, int32_t& width, int32_t& height) override;
  void Draw(VPort* port, int32_t width, int32_t height) override;
  int32_t TrackHilite(VPort* port, int32_t width, int32_t height, int32_t x, int32_t y,
                      int32_t previous, int32_t& chosen) override;
  void GetItemBounds(int32_t index, int32_t& left, int32_t& top, int32_t& width,
                     int32_t& height) const override;
  int32_t GetWidth() const override;
  void DrawItem(VPort* port, VMenuItem* item, int32_t width, bool selected) override;
  // Paints an arrow band (0, 0, width, height); no glyph.
  void DrawScrollArrow(VPort* port, int32_t width, int32_t height, bool down, bool highlighted);
  int16_t GetRowUnit() const { return fRowUnit; }
  int32_t GetTotalHeight() const { return fTotalHeight; }
  int16_t GetFirstVisible() const { return fFirstVisible; }
  int16_t GetLastVisible() const { return fLastVisible; }

  // Rows in each column of a menu of `items` rows on a screen whose bottom
  // is `screenBottom`, with rows `rowHeight` high: all in one column when
  // they fit, else balanced columns. At least 1.
  static int32_t RowsPerColumn(int32_t items, int32_t screenBottom, int32_t rowHeight);

 private:
  // Win32 state and marks of an item as the commands now say.
  UINT ItemState(const VMenuItem* item) const;
  void StringItemInfo(VMenuItem* item, MENUITEMINFOA& info, std::vector<char>& text);

  // Draws the item at `position` selected or not, at its place.
  void DrawRow(VPort* port, int32_t position, int32_t width, bool selected);
  // The 1-based row whose band holds y, counting from the first visible
  // row placed at `top`; 0 for none.
  int32_t RowAt(int32_t y, int32_t top) const;
  // Moves the visible rows by up to `step` (negative: up) and finds the
  // last one that fits above the bottom band.
  void ScrollBy(int32_t step, int32_t height);

  std::vector<VMenuItem*> fItems;
  int32_t fTotalHeight = 0;  // wider than a row count can overflow
  int16_t fRowUnit = 0;
  int16_t fFirstVisible = 1;
  int16_t fLastVisible = 0;
  int16_t fScroll = 0;
  int16_t fMarkWidth = 0;
  int16_t fTitleWidth = 0;
  int16_t fModifierWidth = 0;
  int16_t fKeyWidth = 0;
  int16_t fShortcutWidth = 0;
};

// The maker the module installs for VFrame::PopUpMenu.
extern const VPopUpMenuMaker kPopUpMenuMaker;
