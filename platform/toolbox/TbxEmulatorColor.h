// The emulation library's colour call that the third look asks for the
// colour of selected text: a colour of three 16-bit components.
#pragma once

#include <cstdint>

#include "platform/Export.h"

namespace Tbx {

struct RGBColor {
  uint16_t red;
  uint16_t green;
  uint16_t blue;
};

// Fills `color` (when not null). The emulation answers black: its role in
// the library is a colour of the emulated desktop that this platform keeps
// at its default.
QV_PLATFORM_API void EmulatorCall6510(RGBColor* color);

}  // namespace Tbx
