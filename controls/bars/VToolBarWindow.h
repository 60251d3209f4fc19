// VToolBarWindow: the small window (kind 6) in which a toolbar floats. The
// window may run in another host process than the one that made the
// toolbar; the messages that only the toolbar's own process may answer
// then wait as a pending reply that the toolbar answers at its idle.
#pragma once

#include <cstdint>

#include "views/VWindowView.h"

class VDockView;
class VToolBarItem;

// The messages a floating toolbar's window asks of the toolbar's own
// process: positive ones but 209, and -1992, -1990, -1989 and -994.
bool NeedsToolBarProcess(int32_t message);
// The window's close box, and what its mouse handling tells first.
constexpr int32_t kMsgCloseFloatingBar = -994;
constexpr int32_t kMsgFloatingBarMouse = -993;

class VToolBarWindow : public VWindowView {
 public:
  VToolBarWindow(VDockView* dock, VToolBarItem* toolbar);

  bool NotifyParent(VFrame* sender, int32_t message, intptr_t parameter) override;
  bool DispatchMouse(VEvent& event) override;
  VToolBarItem* GetToolBar() const { return fToolBar; }

 private:
  VToolBarItem* fToolBar;
};
