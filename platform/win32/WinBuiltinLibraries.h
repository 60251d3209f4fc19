// Libraries that the platform library carries inside itself and that
// LoadLibraryA answers by name, as the system's own libraries are found
// whatever the search path: loading one runs its attach routine (which may
// register window classes), and the last FreeLibrary runs its detach.
#pragma once

#include "platform/Export.h"

struct HINSTANCE__;
using HINSTANCE = HINSTANCE__*;
using HMODULE = HINSTANCE;

// The module handle of the built-in library named `fileName` (compared
// without regard to case, any folder ignored), loaded once more; null when
// no built-in library has that name or it is withheld.
HMODULE LoadBuiltinLibrary(const char* fileName);
// Whether `module` is a built-in library's handle.
bool IsBuiltinLibrary(HMODULE module);
// Ends one load of a built-in library; false when `module` is not one or is
// not loaded.
bool FreeBuiltinLibrary(HMODULE module);

// How many loads of the built-in library `fileName` are outstanding.
QV_PLATFORM_API int BuiltinLibraryLoadCount(const char* fileName);
// Makes a built-in library unavailable (true) or available again, as on a
// system where it is missing; a withheld library fails to load with
// ERROR_MOD_NOT_FOUND. Loads already made stay valid.
QV_PLATFORM_API void WithholdBuiltinLibrary(const char* fileName, bool withheld);
