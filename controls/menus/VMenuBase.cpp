// VMenuBase: owner chain, own command, Win32 handle.
#include "controls/menus/VMenuBase.h"

#include "controls/menus/VGridMenu.h"
#include "controls/menus/VMenuItemRef.h"
#include "controls/menus/VWinMenuBar.h"
#include "framework/core/values/VLong.h"
#include "graphics/VBitmapPort.h"
#include "graphics/VPort.h"
#include "platform/win32/WinFileDialogs.h"
#include "platform/win32/WinMenuTracking.h"
#include "platform/win32/WinMessages.h"
#include "platform/win32/WinWindowState.h"
#include "views/VWindowUtilities.h"
#include "views/VCommand.h"
#include "views/VFrame.h"

VMenuBase::VMenuBase(VFrame* owner) : fOwnerFrame(owner) {}

VMenuBase::VMenuBase(VMenuBase* parentMenu) : fParentMenu(parentMenu) {}

VMenuBase::VMenuBase(VWinMenuBar* menuBar) : fMenuBar(menuBar) {}

VMenuBase::~VMenuBase() {
  DestroyHandle();
  if (fCommand != nullptr) fCommand->RemoveTitleListener(this);
}

void VMenuBase::TakeCommand(int32_t commandId) { fCommand = FindCommand(commandId); }

void VMenuBase::Unrealize(bool) {
  DestroyHandle();
  if (fCommand != nullptr) fCommand->RemoveTitleListener(this);
}

void VMenuBase::Refresh(VCommand*) {}

VFrame* VMenuBase::GetOwnerFrame() const {
  const VMenuBase* menu = this;
  // A sub-menu chain is as deep as the loading allowed; its top has the owner.
  while (menu->fParentMenu != nullptr) menu = menu->fParentMenu;
  if (menu->fMenuBar != nullptr) return menu->fMenuBar->GetOwnerFrame();
  return menu->fOwnerFrame;
}

VWinMenuBar* VMenuBase::GetOwnerMenuBar() const {
  const VMenuBase* menu = this;
  while (menu->fParentMenu != nullptr) menu = menu->fParentMenu;
  return menu->fMenuBar;
}

VCommand* VMenuBase::FindCommand(int32_t id) {
  VFrame* frame = GetOwnerFrame();
  return frame != nullptr ? frame->FindCommand(id) : nullptr;
}

VCommandKey* VMenuBase::FindShortcut(int32_t commandId) {
  VFrame* frame = GetOwnerFrame();
  return frame != nullptr ? frame->FindShortcut(commandId) : nullptr;
}

void VMenuBase::SendCommand(int32_t commandId, intptr_t parameter) {
  // The frame tells its parents, as a control of its own would.
  VFrame* frame = GetOwnerFrame();
  if (frame != nullptr) frame->NotifyParent(frame, commandId, parameter);
}

void VMenuBase::ChooseItem(int32_t index) {
  if (fCommand == nullptr) return;
  fCommand->SetLong(nullptr, index, 1);
  SendCommand(fCommand->GetId(), 0);
}

void VMenuBase::Measure(VPort*, int32_t&, int32_t&) {}

void VMenuBase::DrawFrame(VPort* port, int32_t width, int32_t height) {
  port->SetFillColorIndex(33);
  port->PaintRect(0, 0, width, height);
  port->SetPenColorIndex(0);
  port->DrawLine(0, height - 1, 0, 0);
  port->DrawLine(0, 0, width - 1, 0);
  port->SetPenColorIndex(42);
  port->DrawLine(width - 1, 0, width - 1, height - 1);
  port->DrawLine(width - 1, height - 1, 0, height - 1);
}

void VMenuBase::TrackPopUp(int32_t x, int32_t y, bool rightAligned) {
  SetLook(fLook);
  {
    VBitmapPort port;
    Realize(&port, true, false);
    int32_t width = 0;
    int32_t height = GetSystemMetrics(SM_CYSCREEN);
    Measure(&port, width, height);
  }
  if (fHandle == nullptr) return;
  if (rightAligned) x -= GetWidth();
  // The menu's messages go to the active window's top child, or to the
  // active window itself when it has none.
  HWND target = GetTopWindow(GetActiveWindow());
  if (target == nullptr) target = GetActiveWindow();
  const WNDPROC earlier = target != nullptr ? SetWindowProc(target, MenuWindowProc) : nullptr;
  const WNDPROC savedEarlier = SetMenuEarlierProc(earlier);
  ClearRememberedGrid();
  const VMenuItemRef* record = nullptr;
  bool clicked = false;
  if (target != nullptr && TrackPopupMenuEx(fHandle, TPM_RIGHTBUTTON, x, y, target, nullptr)) {
    clicked = true;
    MSG message{};
    if (PeekMessageA(&message, target, WM_COMMAND, WM_COMMAND, PM_REMOVE)) {
      record = LookUpMenuItemRef(static_cast<uint16_t>(message.wParam & 0xFFFF));
    }
  }
  if (target != nullptr) SetWindowProc(target, earlier);
  SetMenuEarlierProc(savedEarlier);
  // The record is this menu's or one of its sub-menus'.
  if (record != nullptr && record->GetPosition() != 0) {
    record->GetMenu()->ChooseItem(record->GetPosition());
  } else if (VGridDrawData* grid = clicked ? GetRememberedGrid() : nullptr) {
    // A grid's cell has no command id: the cell the tracking highlighted
    // is the choice, when the menu was clicked and not cancelled.
    if (grid->GetGridMenu()->GetHighlightedCell() > 0) {
      grid->GetGridMenu()->ChooseItem(grid->GetGridMenu()->GetHighlightedCell());
    }
  }
  Unrealize(true);
}

void VMenuBase::DestroyHandle() {
  if (fHandle == nullptr) return;
  RemoveMenuItemRefs(this);
  DestroyMenu(fHandle);
  fHandle = nullptr;
}

void VMenuBase::ClearCommand(VCommand* command) {
  if (fCommand == command) fCommand = nullptr;
}
