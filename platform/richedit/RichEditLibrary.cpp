// The rich-edit control library's attach and detach, and the control's
// window procedure.
#include "platform/richedit/RichEditLibrary.h"

#include "platform/win32/WinClasses.h"
#include "platform/win32/WinMessages.h"

void AttachRichEditLibrary() {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = &RichEditWindowProc;
  windowClass.lpszClassName = kRichEditClassName;
  RegisterClassA(&windowClass);
}

void DetachRichEditLibrary() { UnregisterClassA(kRichEditClassName, nullptr); }

// The control's own messages are not answered yet: every message takes the
// default handling, so a window of the class is an empty child window.
LRESULT RichEditWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}
