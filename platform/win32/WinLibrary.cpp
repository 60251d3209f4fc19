// The library loader stand-in over the system's dynamic loader.
#include "platform/win32/WinLibrary.h"

#include <dlfcn.h>

#include <cstdio>

#include "platform/win32/WinBuiltinLibraries.h"

HMODULE LoadLibraryA(const char* fileName) {
  if (fileName == nullptr || fileName[0] == '\0') {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  if (HMODULE builtin = LoadBuiltinLibrary(fileName)) {
    SetLastError(ERROR_SUCCESS);
    return builtin;
  }
  void* module = dlopen(fileName, RTLD_NOW | RTLD_LOCAL);
  if (module == nullptr) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  SetLastError(ERROR_SUCCESS);
  return static_cast<HMODULE>(module);
}

void OrdinalEntryName(uint16_t ordinal, char* buffer, size_t size) {
  if (buffer == nullptr || size == 0) return;
  std::snprintf(buffer, size, "%s%u", kOrdinalEntryPrefix, static_cast<unsigned>(ordinal));
}

FARPROC GetProcAddress(HMODULE module, const char* procName) {
  if (module == nullptr || procName == nullptr) {
    SetLastError(module == nullptr ? ERROR_INVALID_HANDLE : ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  char ordinalName[16];
  const char* symbol = procName;
  if (IsOrdinalName(procName)) {
    OrdinalEntryName(static_cast<uint16_t>(reinterpret_cast<uintptr_t>(procName)), ordinalName,
                     sizeof ordinalName);
    symbol = ordinalName;
  }
  // A built-in library exports no entry points of its own.
  void* entry = IsBuiltinLibrary(module) ? nullptr : dlsym(module, symbol);
  if (entry == nullptr) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  SetLastError(ERROR_SUCCESS);
  return reinterpret_cast<FARPROC>(entry);
}

BOOL FreeLibrary(HMODULE module) {
  if (IsBuiltinLibrary(module)) {
    const bool freed = FreeBuiltinLibrary(module);
    SetLastError(freed ? ERROR_SUCCESS : ERROR_INVALID_HANDLE);
    return freed ? TRUE_ : FALSE_;
  }
  if (module == nullptr || dlclose(module) != 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE_;
  }
  SetLastError(ERROR_SUCCESS);
  return TRUE_;
}
