// The Toolbox emulation's print offsets: two 16-bit values, x and y, that
// the emulation adds to a printed area's device rectangle; both 0 unless
// set.
#pragma once

#include <cstdint>

#include "platform/Export.h"

namespace Tbx {

QV_PLATFORM_API void GetPrintOffsets(int16_t* x, int16_t* y);
QV_PLATFORM_API void SetPrintOffsets(int16_t x, int16_t y);

}  // namespace Tbx
