// Loading of dynamic libraries by path and finding their entry points, on
// dlopen and dlsym. Entry points are found by name, or by ordinal number as
// Win32 allows: a small integer in place of the name.
#pragma once

#include <cstdint>

#include "platform/win32/WinTypes.h"

struct HINSTANCE__;
using HINSTANCE = HINSTANCE__*;
using HMODULE = HINSTANCE;
// The generic function type: callers cast it to the entry point's own type.
using FARPROC = void (*)();

constexpr DWORD ERROR_MOD_NOT_FOUND = 126;
constexpr DWORD ERROR_PROC_NOT_FOUND = 127;

// Loads the library (a library built into the platform by its name, see
// WinBuiltinLibraries.h, else a path, or a bare file name searched as the
// system loader searches) and answers its module handle; null with
// ERROR_MOD_NOT_FOUND when it cannot be loaded. Each successful load is
// ended by one FreeLibrary.
QV_PLATFORM_API HMODULE LoadLibraryA(const char* fileName);

// The entry point of that name, or null with ERROR_PROC_NOT_FOUND. A name
// whose pointer value is below 0x10000 is an ordinal number: a library of
// ours exports the entry point of ordinal n under the C name made by
// OrdinalEntryName (QvOrdinal followed by n in decimal), with C linkage.
QV_PLATFORM_API FARPROC GetProcAddress(HMODULE module, const char* procName);

// Ends one load; false (ERROR_INVALID_HANDLE) for no module.
QV_PLATFORM_API BOOL FreeLibrary(HMODULE module);

// The prefix of the C names of entry points exported by ordinal.
constexpr const char* kOrdinalEntryPrefix = "QvOrdinal";
// Whether a name argument carries an ordinal number rather than a text.
inline bool IsOrdinalName(const char* procName) {
  return reinterpret_cast<uintptr_t>(procName) < 0x10000;
}
// A name argument that carries an ordinal number.
inline const char* OrdinalName(uint16_t ordinal) {
  return reinterpret_cast<const char*>(static_cast<uintptr_t>(ordinal));
}
// Writes the C name under which ordinal `ordinal` is exported into
// `buffer` (at least 16 bytes): "QvOrdinal7" for 7.
QV_PLATFORM_API void OrdinalEntryName(uint16_t ordinal, char* buffer, size_t size);
