// The table of registered window classes.
#include "platform/win32/WinClasses.h"

#include <strings.h>

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
