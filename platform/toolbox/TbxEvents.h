// The Toolbox emulation's event queue calls over the native message queue:
// FlushEvents drops pending events of the kinds in a mask.
#pragma once

#include <cstdint>

#include "platform/Export.h"

namespace Tbx {

// Event mask bits of the classic event kinds.
constexpr int16_t kMouseDownMask = 0x0002;
constexpr int16_t kMouseUpMask = 0x0004;
constexpr int16_t kKeyDownMask = 0x0008;
constexpr int16_t kKeyUpMask = 0x0010;
constexpr int16_t kAutoKeyMask = 0x0020;

// Removes the pending messages of the kinds in `mask` (mouse-down: button
// presses, client and non-client; mouse-up: releases; key-down and
// auto-key: key presses and their characters; key-up: key releases), from
// the oldest on, stopping at the first pending message of a kind in
// `stopMask`. Every call is counted for tests.
QV_PLATFORM_API void FlushEvents(int16_t mask, int16_t stopMask);
// The calls so far and the mask of the last one.
QV_PLATFORM_API void CountFlushEvents(int32_t* calls, int16_t* lastMask);

}  // namespace Tbx
