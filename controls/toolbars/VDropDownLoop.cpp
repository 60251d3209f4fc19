// The drop-down list's modal tracking loop.
#include "controls/toolbars/VDropDownLoop.h"

#include "platform/win32/WinInput.h"
#include "platform/win32/WinMessages.h"
#include "platform/win32/WinWindowState.h"

void RunDropDownLoop(HWND owner, HWND popUp, VDropDownPopUp& list) {
  VPopUpKeyTarget* savedTarget = gPopUpKeyTarget;
  const WNDPROC savedOwnerProc = gReplacedOwnerProc;
  const WNDPROC savedPopUpProc = gReplacedPopUpProc;

  gPopUpButtonDown = GetAsyncKeyState(VK_LBUTTON) < 0 ? 1 : 0;
  gPopUpPainted = 0;
  gPopUpKeyTarget = &list;
  gReplacedOwnerProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(owner, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(&AppActivateWindowProc)));
  gReplacedPopUpProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(popUp, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(&ChildControlWindowProc)));
  SetCapture(popUp);
  SetFocus(popUp);

  while (list.IsOpen()) {
    MSG msg{};
    if (!GetMessageA(&msg, nullptr, 0, 0)) break;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
    list.ButtonState(gPopUpButtonDown != 0);
    if (gPopUpPainted != 0) {
      gPopUpPainted = 0;
      list.Redraw();
    }
  }

  if (GetCapture() == popUp) ReleaseCapture();
  if (IsWindow(popUp))
    SetWindowLongPtrA(popUp, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(gReplacedPopUpProc));
  if (IsWindow(owner))
    SetWindowLongPtrA(owner, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(gReplacedOwnerProc));
  gPopUpKeyTarget = savedTarget;
  gReplacedOwnerProc = savedOwnerProc;
  gReplacedPopUpProc = savedPopUpProc;
}
