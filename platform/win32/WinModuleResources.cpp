// Module resources over the table that a library of ours exports: found with
// the dynamic loader through the module handle, looked up and enumerated as
// Win32 does.
#include "platform/win32/WinModuleResources.h"

#include <dlfcn.h>
#include <link.h>

#include <cstring>

namespace {

// The module's own table, or null. The symbol must be defined by the module
// itself: a library without resources must not answer with the table of
// another library that it happens to depend on.
const WinModuleResourceTable* TableOf(HMODULE module) {
  if (module == nullptr) return nullptr;
  void* symbol = dlsym(module, kWinModuleResourceSymbol);
  if (symbol == nullptr) return nullptr;
  link_map* own = nullptr;
  if (dlinfo(module, RTLD_DI_LINKMAP, &own) != 0 || own == nullptr) return nullptr;
  Dl_info info{};
  link_map* holder = nullptr;
  if (dladdr1(symbol, &info, reinterpret_cast<void**>(&holder), RTLD_DL_LINKMAP) == 0 ||
      holder != own) {
    return nullptr;
  }
  const auto* table = static_cast<const WinModuleResourceTable*>(symbol);
  if (table->magic != kWinModuleResourceMagic) return nullptr;
  if (table->count != 0 && table->resources == nullptr) return nullptr;
  return table;
}

char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }

bool SameText(const char* a, const char* b) {
  for (; *a != '\0' && *b != '\0'; ++a, ++b) {
    if (UpperAscii(*a) != UpperAscii(*b)) return false;
  }
  return *a == *b;
}

// A type or name argument: a number, or a text; "#" and decimal digits make
// a number (a value beyond 16 bits, or no digits, leaves it a text).
struct Key {
  const char* text;
  uint16_t number;
};

Key KeyOf(const char* argument) {
  if (IS_INTRESOURCE(argument)) return {nullptr, RESOURCE_NUMBER(argument)};
  if (argument[0] == '#' && argument[1] != '\0') {
    uint32_t value = 0;
    const char* p = argument + 1;
    for (; *p >= '0' && *p <= '9' && value <= 0xFFFF; ++p) value = value * 10 + uint32_t(*p - '0');
    if (*p == '\0' && value <= 0xFFFF) return {nullptr, uint16_t(value)};
  }
  return {argument, 0};
}

bool Matches(const Key& key, const char* text, uint16_t number) {
  if (key.text == nullptr) return text == nullptr && number == key.number;
  return text != nullptr && SameText(key.text, text);
}

bool SameType(const WinModuleResource& a, const WinModuleResource& b) {
  if (a.typeName == nullptr || b.typeName == nullptr) {
    return a.typeName == b.typeName && a.typeId == b.typeId;
  }
  return SameText(a.typeName, b.typeName);
}

// What the callbacks receive: the entry's text, or its number.
char* Argument(const char* text, uint16_t number) {
  return text != nullptr ? const_cast<char*>(text) : MAKEINTRESOURCEA(number);
}

}  // namespace

HRSRC FindResourceA(HMODULE module, const char* name, const char* type) {
  const WinModuleResourceTable* table = TableOf(module);
  if (table == nullptr || name == nullptr || type == nullptr) {
    SetLastError(table == nullptr ? ERROR_RESOURCE_DATA_NOT_FOUND : ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const Key typeKey = KeyOf(type);
  const Key nameKey = KeyOf(name);
  bool typeSeen = false;
  for (uint32_t i = 0; i < table->count; ++i) {
    const WinModuleResource& r = table->resources[i];
    if (!Matches(typeKey, r.typeName, r.typeId)) continue;
    typeSeen = true;
    if (Matches(nameKey, r.name, r.id)) {
      SetLastError(ERROR_SUCCESS);
      return reinterpret_cast<HRSRC>(const_cast<WinModuleResource*>(&r));
    }
  }
  SetLastError(typeSeen ? ERROR_RESOURCE_NAME_NOT_FOUND : ERROR_RESOURCE_TYPE_NOT_FOUND);
  return nullptr;
}

HGLOBAL LoadResource(HMODULE module, HRSRC resource) {
  if (module == nullptr || resource == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  const auto* r = reinterpret_cast<const WinModuleResource*>(resource);
  // An empty resource still loads; its handle is then its entry.
  const void* data = r->data != nullptr ? static_cast<const void*>(r->data) : r;
  SetLastError(ERROR_SUCCESS);
  return reinterpret_cast<HGLOBAL>(const_cast<void*>(data));
}

LPVOID LockResource(HGLOBAL data) { return reinterpret_cast<LPVOID>(data); }

DWORD SizeofResource(HMODULE module, HRSRC resource) {
  if (module == nullptr || resource == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  return reinterpret_cast<const WinModuleResource*>(resource)->size;
}

BOOL EnumResourceTypesA(HMODULE module, ENUMRESTYPEPROCA proc, intptr_t param) {
  const WinModuleResourceTable* table = TableOf(module);
  if (table == nullptr || table->count == 0 || proc == nullptr) {
    SetLastError(table == nullptr || table->count == 0 ? ERROR_RESOURCE_DATA_NOT_FOUND
                                                       : ERROR_INVALID_PARAMETER);
    return FALSE_;
  }
  for (uint32_t i = 0; i < table->count; ++i) {
    const WinModuleResource& r = table->resources[i];
    // Entries of one type lie together: a type is new where the one before differs.
    if (i > 0 && SameType(table->resources[i - 1], r)) continue;
    if (!proc(module, Argument(r.typeName, r.typeId), param)) {
      SetLastError(ERROR_SUCCESS);
      return FALSE_;
    }
  }
  SetLastError(ERROR_SUCCESS);
  return TRUE_;
}

BOOL EnumResourceNamesA(HMODULE module, const char* type, ENUMRESNAMEPROCA proc, intptr_t param) {
  const WinModuleResourceTable* table = TableOf(module);
  if (table == nullptr || type == nullptr || proc == nullptr) {
    SetLastError(table == nullptr ? ERROR_RESOURCE_DATA_NOT_FOUND : ERROR_INVALID_PARAMETER);
    return FALSE_;
  }
  const Key typeKey = KeyOf(type);
  bool typeSeen = false;
  for (uint32_t i = 0; i < table->count; ++i) {
    const WinModuleResource& r = table->resources[i];
    if (!Matches(typeKey, r.typeName, r.typeId)) continue;
    typeSeen = true;
    if (!proc(module, type, Argument(r.name, r.id), param)) {
      SetLastError(ERROR_SUCCESS);
      return FALSE_;
    }
  }
  if (!typeSeen) {
    SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
    return FALSE_;
  }
  SetLastError(ERROR_SUCCESS);
  return TRUE_;
}
