// VMenuBar: an area's menu bar, a dockable toolbar made from an 'XMBA'
// resource whose controls are mostly menu buttons. A press on a menu button
// tracks its menu as a menu bar does: moving to a neighbouring button opens
// that button's menu without a click, and a second press on the open menu's
// button only closes it. The bar can hand its menus to the host window as
// a native window menu bar, hiding only what it must.
#pragma once

#include <cstdint>
#include <vector>

#include "controls/bars/VToolBarItem.h"
#include "framework/core/strings/VUniString.h"

class VMenuButton;
class VPushButton;
class VWinMenuBar;

// The close button's template and command.
constexpr int16_t kMenuBarCloseTemplate = 9054;
constexpr int32_t kMenuBarCloseCommand = 20;

class VMenuBar : public VToolBarItem {
 public:
  VMenuBar(VDockView* dock, VPort* port, VResourceFile* file, int16_t id);
  // Gives the menus back from a window menu bar still installed.
  ~VMenuBar() override;

  uint32_t GetKind() const override;
  // Takes the menus back from the window menu bar before the buttons go.
  void Close() override;
  bool DispatchMouse(VEvent& event) override;
  bool IsMenuBar() const override { return true; }
  void SetSide(uint8_t side) override;
  void Layout() override;

  // Off deletes the close button; on makes it from the file's template.
  void SetCloseButton(bool on, VResourceFile* file);
  VWinMenuBar* InstallWindowMenuBar();
  void RemoveWindowMenuBar();

  // The menu button under a point of the bar; null when none.
  VMenuButton* MenuButtonAt(int32_t x, int32_t y) const;
  VPushButton* GetCloseButton() const { return fCloseButton; }
  bool HasCloseButton() const { return fHasCloseButton != 0; }
  const VString& GetFirstString() const { return fFirstString; }
  const VString& GetSecondString() const { return fSecondString; }
  VWinMenuBar* GetWindowMenuBar() const { return fWindowMenuBar; }
  const std::vector<VFrame*>& GetHiddenControls() const { return fHiddenControls; }
  VMenuButton* GetLastPressed() const { return fLastPressed; }

 protected:
  bool IsBarOnlyControl(const VFrame* f) const override;
  void MakeBarOnlyControls(VPort* port, VResourceFile* file) override;

 private:
  void TrackMenus(VEvent& event);
  void GiveMenusBack(bool relayout);

  uint8_t fHasCloseButton = 0;
  VPushButton* fCloseButton = nullptr;
  VStr<80> fFirstString;
  VStr<80> fSecondString;
  VWinMenuBar* fWindowMenuBar = nullptr;
  std::vector<VFrame*> fHiddenControls;
  uint8_t fHidWholeBar = 0;
  VMenuButton* fLastPressed = nullptr;
};
