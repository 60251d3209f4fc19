// The bar makers a dock reaches through VDockBarService.
#include "controls/bars/DockBarMakers.h"

#include "controls/bars/VMenuBar.h"
#include "controls/bars/VToolBar.h"
#include "controls/bars/VToolBarItem.h"
#include "views/VDockView.h"

namespace {

VDockBar* MakeDockMenuBar(VDockView* dock, VObject*, VResourceFile* file, int16_t id) {
  return dock != nullptr ? new VMenuBar(dock, dock->GetBarPort(), file, id) : nullptr;
}

// The status bar installs itself in the dock.
void MakeDockStatusBar(VDockView* dock, VObject*, VResourceFile* file, int16_t id) {
  if (dock != nullptr) new VToolBar(dock, dock->GetBarPort(), file, id);
}

// A toolbar docks itself; one whose resource is missing stays an empty
// sub-view of the dock, on no side.
void MakeDockToolBar(VDockView* dock, VObject*, VResourceFile* file, int16_t id) {
  if (dock != nullptr) new VToolBarItem(dock, dock->GetBarPort(), file, id);
}

}  // namespace

const VDockBarMakers kDockBarMakers{&MakeDockMenuBar, &MakeDockStatusBar, &MakeDockToolBar};
