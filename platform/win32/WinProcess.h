// The process's command line and the system's version, as the module asks
// them at start; tests and the stand-in host set what they answer.
#pragma once

#include "platform/Export.h"
#include "platform/win32/WinTypes.h"

struct OSVERSIONINFOA {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  char szCSDVersion[128];
};

// The command line: the executable's path in double quotes, then its
// arguments separated by spaces, unless one was set. The text stays valid
// until the next SetHeadlessCommandLine.
QV_PLATFORM_API char* GetCommandLineA();
// Fills the record when its size field is at least the record's size;
// FALSE (ERROR_INSUFFICIENT_BUFFER) otherwise. Version 10.0, build 19041,
// platform 2 (the NT family), unless another was set.
QV_PLATFORM_API BOOL GetVersionExA(OSVERSIONINFOA* info);

// Null puts back the process's own command line.
QV_PLATFORM_API void SetHeadlessCommandLine(const char* line);
QV_PLATFORM_API void SetHeadlessVersion(DWORD major, DWORD minor);
