// The Win32 registry over a small store of files: a key is a folder under
// the store's root, its values one file in it. The variable QV_REGISTRY_ROOT
// moves the root (tests use a temporary folder).
#pragma once

#include <cstdint>

#include "platform/win32/WinFileMapping.h"

struct HKEY__;
using HKEY = HKEY__*;
using PHKEY = HKEY*;
using REGSAM = DWORD;

// The predefined keys: the roots of the store's trees.
#define HKEY_CLASSES_ROOT (reinterpret_cast<HKEY>(static_cast<uintptr_t>(0x80000000u)))
#define HKEY_CURRENT_USER (reinterpret_cast<HKEY>(static_cast<uintptr_t>(0x80000001u)))
#define HKEY_LOCAL_MACHINE (reinterpret_cast<HKEY>(static_cast<uintptr_t>(0x80000002u)))
#define HKEY_USERS (reinterpret_cast<HKEY>(static_cast<uintptr_t>(0x80000003u)))

// Access rights of an opened key; setting and deleting values needs
// KEY_SET_VALUE, reading them KEY_QUERY_VALUE.
constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr REGSAM KEY_READ = 0x00020019;
constexpr REGSAM KEY_WRITE = 0x00020006;
constexpr REGSAM KEY_ALL_ACCESS = 0x000F003F;

constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

// Value types.
constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_EXPAND_SZ = 2;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;

// Error words the registry calls answer (they answer them, they do not set
// the last error).
constexpr DWORD ERROR_MORE_DATA = 234;
constexpr DWORD ERROR_NO_MORE_ITEMS = 259;
constexpr DWORD ERROR_BADDB = 1009;
constexpr DWORD ERROR_KEY_DELETED = 1018;

// Key paths are parts separated by '\'; parts and value names compare
// without regard to the case of ASCII letters. A part holds at most 255
// characters and a value name at most 16383. A key removed while a handle
// names it answers ERROR_KEY_DELETED; a store file that does not read back
// whole answers ERROR_BADDB and is left as it is. Values are listed in the
// order they were first set. Every change is made whole (written beside,
// then renamed) under a lock on the key, so processes that share the store
// see each other's values.

QV_PLATFORM_API LONG RegCreateKeyExA(HKEY key, const char* subKey, DWORD reserved, char* keyClass,
                                     DWORD options, REGSAM access,
                                     LPSECURITY_ATTRIBUTES attributes, PHKEY result,
                                     DWORD* disposition);
QV_PLATFORM_API LONG RegOpenKeyExA(HKEY key, const char* subKey, DWORD options, REGSAM access,
                                   PHKEY result);
// A null or empty name is the key's default value.
QV_PLATFORM_API LONG RegSetValueExA(HKEY key, const char* valueName, DWORD reserved, DWORD type,
                                    const uint8_t* data, DWORD size);
// With a null `data` the size is answered; a buffer too small answers
// ERROR_MORE_DATA with the size needed in *size.
QV_PLATFORM_API LONG RegQueryValueExA(HKEY key, const char* valueName, DWORD* reserved,
                                      DWORD* type, uint8_t* data, DWORD* size);
QV_PLATFORM_API LONG RegDeleteValueA(HKEY key, const char* valueName);
// Only a key without subkeys can be deleted (ERROR_ACCESS_DENIED otherwise).
QV_PLATFORM_API LONG RegDeleteKeyA(HKEY key, const char* subKey);
QV_PLATFORM_API LONG RegCloseKey(HKEY key);
// The value at `index` in the key's order: its name into `name` (room for
// *nameLength characters with the terminator; the length without it comes
// back), its type and its data as RegQueryValueExA gives them.
// ERROR_NO_MORE_ITEMS past the last value; ERROR_MORE_DATA when the name
// or the data does not fit.
QV_PLATFORM_API LONG RegEnumValueA(HKEY key, DWORD index, char* name, DWORD* nameLength,
                                   DWORD* reserved, DWORD* type, uint8_t* data, DWORD* size);
