// The pop-up window of a drop-down list.
#include "controls/toolbars/VDropDownWindow.h"

#include "controls/toolbars/VListControl.h"

namespace {
constexpr uint16_t kPopUpWindowKind = 7;
}

VDropDownWindow::VDropDownWindow(VListControl* list)
    : VWindowView(static_cast<VFrame*>(list), kPopUpWindowKind, false, false, false), fList(list) {}

void VDropDownWindow::LoseFocus(VFrame* next) {
  VWindowView::LoseFocus(next);
  Activate(false);
  if (fList != nullptr) fList->OnActivate(false);
}

void VDropDownWindow::TakeFocus() {
  VWindowView::TakeFocus();
  Activate(true);
}

void VDropDownWindow::Close() {
  VWindowView::Close();
  if (fList != nullptr && !fList->IsFocused()) fList->RequestFocus();
}
