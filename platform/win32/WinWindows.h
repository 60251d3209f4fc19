// The window table: for now a window is a headless client area of 32-bit
// pixels that GDI draws into. The windows-and-messages stand-in grows from here.
#pragma once

#include "platform/gdi/WinGdiTypes.h"

// A top-level window whose client area is width x height pixels, white.
// Null when the size is not positive or too large.
QV_PLATFORM_API HWND CreateHeadlessWindow(LONG width, LONG height);
QV_PLATFORM_API BOOL DestroyWindow(HWND window);
QV_PLATFORM_API BOOL IsWindow(HWND window);
QV_PLATFORM_API BOOL GetClientRect(HWND window, RECT* rect);
