// The floating toolbar's window and the road of its messages.
#include "controls/bars/VToolBarWindow.h"

#include "controls/bars/VToolBarItem.h"
#include "views/VDockView.h"

namespace {

constexpr uint16_t kFloatingWindowKind = 6;
constexpr int32_t kMsgAnsweredAnywhere = 209;

}  // namespace

bool NeedsToolBarProcess(int32_t message) {
  return (message > 0 && message != kMsgAnsweredAnywhere) || message == -1992 ||
         message == -1990 || message == -1989 || message == kMsgCloseFloatingBar;
}

VToolBarWindow::VToolBarWindow(VDockView* dock, VToolBarItem* toolbar)
    : VWindowView(dock, kFloatingWindowKind, true, false, false), fToolBar(toolbar) {}

bool VToolBarWindow::NotifyParent(VFrame* sender, int32_t message, intptr_t parameter) {
  if (fToolBar != nullptr && NeedsToolBarProcess(message) && fToolBar->IsInOtherProcess())
    return fToolBar->AskOwnProcess(sender, message, parameter);
  if (fToolBar != nullptr && (message == kMsgHideBar || message == kMsgDockAgain ||
                              message == kMsgCloseFloatingBar))
    return fToolBar->AnswerCloseRequest(message);
  // Everything else goes to the dock, the window's owner.
  return VWindowView::NotifyParent(sender, message, parameter);
}

bool VToolBarWindow::DispatchMouse(VEvent& event) {
  NotifyParent(this, kMsgFloatingBarMouse, 0);
  return VWindowView::DispatchMouse(event);
}
