// The Toolbox emulation library's further handle calls that the module uses
// on handles it exchanges with the host: cleared handles, the lock state
// saved and put back, and duplicates.
#pragma once

#include <cstdint>

#include "platform/Export.h"
#include "platform/toolbox/TbxHandles.h"

namespace Tbx {

// The state byte's lock bit (the only state this emulation keeps).
constexpr int8_t kHandleLocked = static_cast<int8_t>(0x80);

// A new handle of `size` zero bytes; 0 (MemError memFullErr) when it cannot
// be made.
QV_PLATFORM_API Handle NewHandleClear(int32_t size);
// The handle's state: kHandleLocked while it is locked, else 0.
QV_PLATFORM_API int8_t HGetState(Handle h);
// Puts back a state from HGetState: locked (once) or fully unlocked.
QV_PLATFORM_API void HSetState(Handle h, int8_t state);
// Replaces *h by a new handle holding a copy of its bytes; the original
// stays the caller's. memFullErr (and *h unchanged) when no copy can be made.
QV_PLATFORM_API OSErr HandToHand(Handle* h);

}  // namespace Tbx
