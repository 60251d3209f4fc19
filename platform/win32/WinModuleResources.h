// Module resources: the blocks of bytes that a library of ours carries, filed
// under a type and a name or number, found through its module handle.
#pragma once

#include <cstdint>

#include "platform/win32/WinLibrary.h"
#include "platform/win32/WinMemory.h"

// A library carries its resources as one exported table, made by the resource
// compiler from resource scripts and linked into the library. Types and names
// are either texts (zero-terminated, compared without regard to ASCII case)
// or 16-bit numbers (the text pointer null). The compiler writes the entries
// in the order Win32 keeps its resource directory: named types before
// numeric ones, names by their upper-case text, numbers ascending; within a
// type the same. Entries of one type lie together.
struct WinModuleResource {
  const char* typeName;  // null: the type is the number typeId
  uint16_t typeId;
  const char* name;  // null: the resource is the number id
  uint16_t id;
  uint32_t size;
  const uint8_t* data;  // size bytes; null when size is 0
};

struct WinModuleResourceTable {
  uint32_t magic;  // kWinModuleResourceMagic: what the table's layout is
  uint32_t count;
  const WinModuleResource* resources;
};

constexpr uint32_t kWinModuleResourceMagic = 0x51564D31;  // "QVM1"
// The C name under which a library exports its table.
constexpr const char* kWinModuleResourceSymbol = "QvModuleResourceTable";

constexpr DWORD ERROR_RESOURCE_DATA_NOT_FOUND = 1812;
constexpr DWORD ERROR_RESOURCE_TYPE_NOT_FOUND = 1813;
constexpr DWORD ERROR_RESOURCE_NAME_NOT_FOUND = 1814;

// A type or name argument is either a text or, with a pointer value below
// 0x10000, a number.
inline bool IS_INTRESOURCE(const char* text) {
  return (reinterpret_cast<uintptr_t>(text) >> 16) == 0;
}
inline char* MAKEINTRESOURCEA(uint16_t number) {
  return reinterpret_cast<char*>(static_cast<uintptr_t>(number));
}
inline uint16_t RESOURCE_NUMBER(const char* text) {
  return static_cast<uint16_t>(reinterpret_cast<uintptr_t>(text));
}

struct HRSRC__;
using HRSRC = HRSRC__*;

// Finds a resource: `name` and `type` are texts or numbers, and a text "#"
// followed by decimal digits stands for that number, as on Win32. Null with
// ERROR_RESOURCE_DATA_NOT_FOUND for a module without resources,
// ERROR_RESOURCE_TYPE_NOT_FOUND or ERROR_RESOURCE_NAME_NOT_FOUND.
QV_PLATFORM_API HRSRC FindResourceA(HMODULE module, const char* name, const char* type);
// The handle of the resource's data: valid while the module stays loaded,
// given to LockResource only (never to the Global calls); nothing to free.
QV_PLATFORM_API HGLOBAL LoadResource(HMODULE module, HRSRC resource);
// The data's address. The bytes live in the library's read-only data.
QV_PLATFORM_API LPVOID LockResource(HGLOBAL data);
QV_PLATFORM_API DWORD SizeofResource(HMODULE module, HRSRC resource);

// Called for each type and name; answering FALSE ends the enumeration. The
// texts handed over live as long as the module; numbers come as
// MAKEINTRESOURCEA values.
using ENUMRESTYPEPROCA = BOOL (*)(HMODULE module, char* type, intptr_t param);
using ENUMRESNAMEPROCA = BOOL (*)(HMODULE module, const char* type, char* name, intptr_t param);

// Each distinct type, in table order. FALSE with ERROR_RESOURCE_DATA_NOT_FOUND
// for a module without resources; FALSE also when the callback ended it.
QV_PLATFORM_API BOOL EnumResourceTypesA(HMODULE module, ENUMRESTYPEPROCA proc, intptr_t param);
// Each resource of the type, in table order. FALSE with
// ERROR_RESOURCE_TYPE_NOT_FOUND when the type has none; FALSE also when the
// callback ended it.
QV_PLATFORM_API BOOL EnumResourceNamesA(HMODULE module, const char* type, ENUMRESNAMEPROCA proc,
                                        intptr_t param);
