// The Toolbox emulation library's handles: relocatable blocks that are the
// same Win32 moveable global blocks, named by their 32-bit handle values.
#pragma once

#include <cstdint>

#include "platform/Export.h"

namespace Tbx {

using Handle = uint32_t;  // 0 for no handle
using OSErr = int16_t;

constexpr OSErr noErr = 0;
constexpr OSErr memFullErr = -108;
constexpr OSErr nilHandleErr = -109;
constexpr OSErr memLockedErr = -117;

QV_PLATFORM_API Handle NewHandle(int32_t size);
QV_PLATFORM_API void DisposeHandle(Handle h);
QV_PLATFORM_API int32_t GetHandleSize(Handle h);
// The result of a resize is judged by GetHandleSize afterwards (or MemError).
QV_PLATFORM_API void SetHandleSize(Handle h, int32_t size);
// Locks the block in place and answers its address (null for no data);
// the address stays valid until the matching HUnlock.
QV_PLATFORM_API void* HLock(Handle h);
QV_PLATFORM_API void HUnlock(Handle h);
QV_PLATFORM_API void BlockMove(const void* source, void* destination, int32_t count);
// The error of the last handle call.
QV_PLATFORM_API OSErr MemError();

}  // namespace Tbx
