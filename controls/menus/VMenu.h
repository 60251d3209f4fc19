// VMenu: a menu built for a frame and its port from a menu id and an item,
// shown as a pop-up at a screen point. This least form keeps what it is
// given and chooses nothing when tracked; the frames reach it through the
// pop-up menu maker installed at start.
#pragma once

#include <cstdint>

#include "views/VFrame.h"

class VMenu : public VPopUpMenu {
 public:
  VMenu(VFrame* frame, VPort* port, int32_t menuId, int16_t item)
      : fFrame(frame), fPort(port), fMenuId(menuId), fItem(item) {}
  void SetLook(int16_t look) override { fLook = look; }
  void SetFlag(int32_t flag) override { fFlag = flag; }
  // Shows the menu at the screen point and tracks the user; nothing is
  // chosen.
  void Track(int32_t screenX, int32_t screenY) override;

  int32_t GetMenuId() const { return fMenuId; }
  int16_t GetItem() const { return fItem; }
  int16_t GetLook() const { return fLook; }
  int32_t GetFlag() const { return fFlag; }
  VFrame* GetFrame() const { return fFrame; }
  VPort* GetPort() const { return fPort; }

 private:
  VFrame* fFrame;
  VPort* fPort;
  int32_t fMenuId;
  int16_t fItem;
  int16_t fLook = 0;
  int32_t fFlag = 0;
};

// The maker the module installs for VFrame::PopUpMenu.
extern const VPopUpMenuMaker kPopUpMenuMaker;
