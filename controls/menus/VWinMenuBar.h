// VWinMenuBar: menus gathered into a Win32 menu bar set on the host's main
// window, keeping the window's earlier menu to put back. The main window's
// menu procedure records the item chosen in the bar as the bar's pending
// choice, for the area's event handling to carry out.
#pragma once

#include <cstdint>
#include <vector>

#include "framework/core/VObject.h"
#include "platform/win32/WinMenus.h"
#include "views/VCommandListeners.h"
#include "views/VWindowMenuBar.h"

class VFrame;
class VGridDrawData;
class VMenuBase;
class VMenuDrawData;
class VResourceFile;

class VWinMenuBar : public VObject, public VCommandMenuBar {
 public:
  // Loads the menus of 'XMBR' menuBarId (none for a null file or a missing
  // resource).
  VWinMenuBar(VFrame* owner, VResourceFile* file, int16_t menuBarId);
  // Leaves the list of bars and deletes the menus it owns.
  ~VWinMenuBar() override;
  VWinMenuBar(const VWinMenuBar&) = delete;
  VWinMenuBar& operator=(const VWinMenuBar&) = delete;

  // kMenuLoaded, kMenuResourceMissing or kMenuResourceCorrupt.
  int32_t LoadFromResource(VResourceFile* file, int16_t menuBarId);
  // Answers whether the bar is installed.
  bool AddMenu(VMenuBase* menu, bool owned);
  // Remembers the main window's menu, then shows the bar.
  void Install();
  void Show();
  // Puts back the menu the last Install found.
  void Uninstall();
  bool IsInstalled() const { return fInstalled != 0; }
  HMENU GetHandle() const { return fHandle; }
  VFrame* GetOwnerFrame() const { return fOwner; }
  int32_t CountMenus() const { return static_cast<int32_t>(fMenus.size()); }
  VMenuBase* GetMenu(int32_t index) const;

  // The item chosen in the bar: (menu, position), or (null, 0).
  VMenuBase* GetPendingMenu() const { return fPendingMenu; }
  int16_t GetPendingPosition() const { return fPendingPosition; }
  void SetPendingChoice(VMenuBase* menu, int16_t position) {
    fPendingMenu = menu;
    fPendingPosition = position;
  }

  // VCommandMenuBar: a menu's command changed its state.
  void UpdateMenuItemTitle(VCommand* command) override;

  // The bars that exist, oldest first.
  static const std::vector<VWinMenuBar*>& AllBars();

 private:
  uint8_t fInstalled = 0;
  VFrame* fOwner;
  HMENU fHandle = nullptr;
  std::vector<VMenuBase*> fMenus;
  std::vector<VMenuBase*> fOwnedMenus;
  std::vector<HMENU> fEarlierMenus;
  VMenuBase* fPendingMenu = nullptr;
  int16_t fPendingPosition = 0;
};

// The main window's menu procedure: the owner-drawn items of a framework
// bar, and the choices made in it. Other messages, and those of a main
// window whose menu is not a framework bar, go to the window's own.
LRESULT MainMenuWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Measures and draws owner-drawn items; everything else goes on to the
// procedure the caller names as earlier.
LRESULT MenuWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Names the procedure MenuWindowProc hands messages on to; answers the
// previous one.
WNDPROC SetMenuEarlierProc(WNDPROC procedure);

// The grid menu the cursor was last over while a grid was open (null: none).
// Cleared when a pop-up's tracking starts; the pop-up and the main window's
// procedure read its highlighted cell when no item id was chosen.
VGridDrawData* GetRememberedGrid();
void ClearRememberedGrid();
// Forgets the draw data wherever the window procedures keep it: it is going.
void ForgetGridDrawData(const VMenuDrawData* data);

// Chooses the pending item of every bar, clearing each; installed for the
// area's event handling.
void TakePendingMenuBarChoices();
extern const VMenuBarChoiceTaker kMenuBarChoiceTaker;
