// The table of the libraries built into the platform library.
#include "platform/win32/WinBuiltinLibraries.h"

#include <strings.h>

#include <cstring>
#include <mutex>

#include "platform/richedit/RichEditLibrary.h"

namespace {

struct BuiltinLibrary {
  const char* name;
  void (*attach)();
  void (*detach)();
  int loads;
  bool withheld;
};

BuiltinLibrary gLibraries[] = {
    {"riched20.dll", &AttachRichEditLibrary, &DetachRichEditLibrary, 0, false},
};

std::mutex gLock;

// The entry of that file name, the folder part (either slash) ignored.
BuiltinLibrary* Find(const char* fileName) {
  if (fileName == nullptr) return nullptr;
  const char* base = fileName;
  for (const char* p = fileName; *p != '\0'; ++p)
    if (*p == '/' || *p == '\\') base = p + 1;
  for (BuiltinLibrary& library : gLibraries)
    if (strcasecmp(base, library.name) == 0) return &library;
  return nullptr;
}

BuiltinLibrary* FromHandle(HMODULE module) {
  for (BuiltinLibrary& library : gLibraries)
    if (reinterpret_cast<HMODULE>(&library) == module) return &library;
  return nullptr;
}

}  // namespace

HMODULE LoadBuiltinLibrary(const char* fileName) {
  std::lock_guard<std::mutex> guard(gLock);
  BuiltinLibrary* library = Find(fileName);
  if (library == nullptr || library->withheld) return nullptr;
  if (library->loads++ == 0 && library->attach != nullptr) library->attach();
  return reinterpret_cast<HMODULE>(library);
}

bool IsBuiltinLibrary(HMODULE module) {
  std::lock_guard<std::mutex> guard(gLock);
  return FromHandle(module) != nullptr;
}

bool FreeBuiltinLibrary(HMODULE module) {
  std::lock_guard<std::mutex> guard(gLock);
  BuiltinLibrary* library = FromHandle(module);
  if (library == nullptr || library->loads == 0) return false;
  if (--library->loads == 0 && library->detach != nullptr) library->detach();
  return true;
}

int BuiltinLibraryLoadCount(const char* fileName) {
  std::lock_guard<std::mutex> guard(gLock);
  BuiltinLibrary* library = Find(fileName);
  return library == nullptr ? 0 : library->loads;
}

void WithholdBuiltinLibrary(const char* fileName, bool withheld) {
  std::lock_guard<std::mutex> guard(gLock);
  if (BuiltinLibrary* library = Find(fileName)) library->withheld = withheld;
}
