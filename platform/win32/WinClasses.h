// Window classes by name: the procedure a window of the class starts with.
// Only what the calling code relies on is kept: the name, the procedure and
// the instance that registered it.
#pragma once

#include "platform/win32/WinWindows.h"

struct HINSTANCE__;
using HINSTANCE = HINSTANCE__*;
using ATOM = uint16_t;

struct WNDCLASSA {
  UINT style;
  WNDPROC lpfnWndProc;
  HINSTANCE hInstance;
  const char* lpszClassName;
};

constexpr DWORD ERROR_CLASS_ALREADY_EXISTS = 1410;
constexpr DWORD ERROR_CLASS_DOES_NOT_EXIST = 1411;
constexpr DWORD ERROR_CANNOT_FIND_WND_CLASS = 1407;

// Registers the class; its atom, or 0 with ERROR_CLASS_ALREADY_EXISTS when a
// class of that name (case ignored) exists, or ERROR_INVALID_PARAMETER for
// no name or no procedure.
QV_PLATFORM_API ATOM RegisterClassA(const WNDCLASSA* windowClass);
// Removes the class; false with ERROR_CLASS_DOES_NOT_EXIST when none has
// that name.
QV_PLATFORM_API BOOL UnregisterClassA(const char* className, HINSTANCE instance);
// Fills `windowClass` with the class of that name (its name pointer is the
// caller's); false with ERROR_CLASS_DOES_NOT_EXIST when there is none.
QV_PLATFORM_API BOOL GetClassInfoA(HINSTANCE instance, const char* className, WNDCLASSA* windowClass);

// A window of a registered class: a headless window with that style, made
// a child of `parent` (when given) at (x, y) of its client area, `width` x
// `height`, titled, with the class's procedure, shown only with WS_VISIBLE
// and disabled with WS_DISABLED; then WM_CREATE with `param` as lParam (-1
// from the procedure destroys it). Null with ERROR_CANNOT_FIND_WND_CLASS
// for a class not registered. The menu is not used.
QV_PLATFORM_API HWND CreateWindowExA(DWORD exStyle, const char* className, const char* title, DWORD style,
                                     int x, int y, int width, int height, HWND parent, void* menu,
                                     HINSTANCE instance, void* param);
