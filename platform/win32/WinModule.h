// Modules of the process: the path of the executable (or of a module the
// process has loaded) as the module file name.
#pragma once

#include "platform/win32/WinTypes.h"

struct HINSTANCE__;
using HINSTANCE = HINSTANCE__*;
using HMODULE = HINSTANCE;

// The path of the module (null: the process's executable) into `name`,
// zero-terminated: answers the characters copied without the zero. A path
// that does not fit is cut to size - 1 characters, and the answer is size
// with ERROR_INSUFFICIENT_BUFFER; 0 on failure.
QV_PLATFORM_API DWORD GetModuleFileNameA(HMODULE module, char* name, DWORD size);
