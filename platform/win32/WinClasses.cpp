// The table of registered window classes.
#include "platform/win32/WinClasses.h"

#include "platform/win32/WinMessages.h"
#include "platform/win32/WinWindowState.h"

#include <strings.h>

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

namespace {

struct ClassEntry {
  std::string name;
  WNDCLASSA info;
  ATOM atom;
};

std::mutex gLock;
std::vector<ClassEntry> gClasses;
ATOM gNextAtom = 0xC000;  // registered classes' atoms start here, as on Win32

std::vector<ClassEntry>::iterator Find(const char* name) {
  for (auto it = gClasses.begin(); it != gClasses.end(); ++it)
    if (strcasecmp(it->name.c_str(), name) == 0) return it;
  return gClasses.end();
}

}  // namespace

ATOM RegisterClassA(const WNDCLASSA* windowClass) {
  if (windowClass == nullptr || windowClass->lpszClassName == nullptr || windowClass->lpszClassName[0] == '\0' ||
      windowClass->lpfnWndProc == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::lock_guard<std::mutex> guard(gLock);
  if (Find(windowClass->lpszClassName) != gClasses.end()) {
    SetLastError(ERROR_CLASS_ALREADY_EXISTS);
    return 0;
  }
  ClassEntry entry{windowClass->lpszClassName, *windowClass, gNextAtom++};
  entry.info.lpszClassName = nullptr;
  gClasses.push_back(entry);
  SetLastError(ERROR_SUCCESS);
  return entry.atom;
}

BOOL UnregisterClassA(const char* className, HINSTANCE /*instance*/) {
  std::lock_guard<std::mutex> guard(gLock);
  auto it = className == nullptr ? gClasses.end() : Find(className);
  if (it == gClasses.end()) {
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE_;
  }
  gClasses.erase(it);
  SetLastError(ERROR_SUCCESS);
  return TRUE_;
}

BOOL GetClassInfoA(HINSTANCE /*instance*/, const char* className, WNDCLASSA* windowClass) {
  std::lock_guard<std::mutex> guard(gLock);
  auto it = className == nullptr ? gClasses.end() : Find(className);
  if (it == gClasses.end() || windowClass == nullptr) {
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE_;
  }
  *windowClass = it->info;
  windowClass->lpszClassName = className;
  SetLastError(ERROR_SUCCESS);
  return TRUE_;
}

HWND CreateWindowExA(DWORD exStyle, const char* className, const char* title, DWORD style, int x, int y,
                     int width, int height, HWND parent, void*, HINSTANCE instance, void* param) {
  WNDCLASSA info{};
  if (!GetClassInfoA(instance, className, &info)) {
    SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
    return nullptr;
  }
  HWND window = CreateHeadlessWindow(std::max(width, 1), std::max(height, 1));
  if (window == nullptr) return nullptr;
  if ((style & DWORD(WS_VISIBLE)) == 0) ShowWindow(window, SW_HIDE);
  if (parent != nullptr && SetParent(window, parent) == nullptr && GetParent(window) != parent) {
    DestroyWindow(window);
    return nullptr;
  }
  SetWindowLongA(window, GWL_STYLE, LONG(style));
  SetWindowLongA(window, GWL_EXSTYLE, LONG(exStyle));
  MoveWindow(window, x, y, width, height, FALSE_);
  SetWindowTextA(window, title != nullptr ? title : "");
  EnableWindow(window, (style & DWORD(WS_DISABLED)) == 0 ? TRUE_ : FALSE_);
  SetWindowLongPtrA(window, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(info.lpfnWndProc));
  if (SendMessageA(window, WM_CREATE, 0, reinterpret_cast<LPARAM>(param)) == -1) {
    DestroyWindow(window);
    return nullptr;
  }
  SetLastError(ERROR_SUCCESS);
  return window;
}
