// The rich-edit control library: loading "riched20.dll" registers its
// window class, the last unload removes it.
#pragma once

#include "platform/win32/WinWindows.h"

// The class name of the control's windows.
constexpr const char* kRichEditClassName = "RichEdit20A";

void AttachRichEditLibrary();
void DetachRichEditLibrary();

// The procedure of the control's windows.
LRESULT RichEditWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The pixels of text scrolled above a control window's client area (0 for
// a window that is none of the control's).
QV_PLATFORM_API LONG RichEditScrollTop(HWND window);
