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
