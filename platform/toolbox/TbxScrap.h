// The Toolbox emulation library's scrap: the process-wide clipboard that
// holds one block of bytes per four-character type until it is emptied.
#pragma once

#include <cstdint>

#include "platform/Export.h"
#include "platform/toolbox/TbxHandles.h"
#include "platform/toolbox/TbxResources.h"

namespace Tbx {

constexpr int32_t noTypeErr = -102;  // GetScrap of a type the scrap does not hold

// Empties the scrap; 0.
QV_PLATFORM_API int32_t ZeroScrap();

// Keeps a copy of `length` bytes under `type`, replacing what the type held.
// 0 on success; paramErr for a negative length or no source with a length,
// memFullErr when the whole scrap would no longer be addressable by a
// 32-bit offset. The scrap is unchanged by a refused call.
QV_PLATFORM_API int32_t PutScrap(int32_t length, ResType type, const void* source);

// The length of the data of `type`, or noTypeErr when the scrap holds none.
// With a handle, the handle is sized to the length and receives the bytes
// (memFullErr, the handle unchanged, when it cannot be sized). `offset`, when
// given, receives where the data lies in the scrap.
QV_PLATFORM_API int32_t GetScrap(Handle destination, ResType type, int32_t* offset);

// For tests and the stand-in host: how many types the scrap holds, and a
// number that every change of the scrap increases.
QV_PLATFORM_API int32_t CountScrapTypes();
QV_PLATFORM_API uint32_t GetScrapChangeCount();

}  // namespace Tbx
