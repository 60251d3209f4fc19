// The module file name of the process's executable.
#include "platform/win32/WinModule.h"

#include <unistd.h>

#include <climits>
#include <cstring>

#include "platform/win32/WinFiles.h"

DWORD GetModuleFileNameA(HMODULE module, char* name, DWORD size) {
  if (name == nullptr || size == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  // Only the executable is known by a null module; the stand-in keeps no
  // table of loaded modules.
  if (module != nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  char path[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  const auto n = static_cast<DWORD>(length);
  if (n >= size) {
    std::memcpy(name, path, size - 1);
    name[size - 1] = 0;
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return size;
  }
  std::memcpy(name, path, n);
  name[n] = 0;
  SetLastError(ERROR_SUCCESS);
  return n;
}
