// xMorvaPlugIn: the editing area in a host form, made by the package for
// its area routine. Its document, views and commands arrive with the
// editing area; for now it is the framework's area with the routine's
// resource offset, the least size its editing views need, and the window
// menu bar its own window shows when its dock has none.
#pragma once

#include "controls/menus/VToolboxMenuBar.h"
#include "views/VPlugIn.h"

class xMorvaPlugIn : public VPlugIn {
 public:
  // The area routine's number, which is also the area's resource offset.
  static constexpr int32_t kResourceOffset = 1;
  // Below this size an area bound to a table shows the placeholder and
  // opens in its own window when clicked.
  static constexpr int16_t kMinimumWidth = 120;
  static constexpr int16_t kMinimumHeight = 60;

  xMorvaPlugIn(VPackage* package, void* params);

  // The dock's menu bar when its description built one; the area's own
  // otherwise.
  VWindowMenuBar* GetWindowMenuBar() override;
  void DrawTooSmall(VPort& port) override;

 private:
  VToolboxMenuBar fMenuBar;
};
