// What an area's own window asks of the area's dock: its menu bar, its
// floating bars' windows and its layout.
#include "views/VPlugIn.h"
#include "views/VWindowMenuBar.h"

VWindowMenuBar* VPlugIn::GetWindowMenuBar() { return dynamic_cast<VWindowMenuBar*>(GetDockBar()); }

bool VPlugIn::IsFloatingBarWindow(Tbx::WindowRecord* window) {
  VDockFloatingWindow* floating = GetFloatingWindow();
  return floating != nullptr && floating->HoldsWindow(window);
}

void VPlugIn::RelayoutDock() { Relayout(); }
