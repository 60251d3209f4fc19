// The Toolbox emulation library's current graphics port and device: the
// module saves them around every host call it serves and around every
// creation of a plug-in area, and puts them back after.
#pragma once

#include <cstdint>

#include "platform/Export.h"
#include "platform/toolbox/TbxHandles.h"

namespace Tbx {

// A graphics port; the library's port records are its own.
struct GrafPort;
using GrafPtr = GrafPort*;
using CGrafPtr = GrafPort*;
// A graphics device: a handle, 0 for the main device.
using GDHandle = Handle;

// The current port; null before any is set.
QV_PLATFORM_API void GetPort(GrafPtr* port);
QV_PLATFORM_API void SetPort(GrafPtr port);
// The current port and device together.
QV_PLATFORM_API void GetGWorld(CGrafPtr* port, GDHandle* device);
QV_PLATFORM_API void SetGWorld(CGrafPtr port, GDHandle device);

}  // namespace Tbx
