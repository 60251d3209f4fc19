// The emulation's colour call: black, the emulated desktop's default.
#include "platform/toolbox/TbxEmulatorColor.h"

namespace Tbx {

void EmulatorCall6510(RGBColor* color) {
  if (color == nullptr) return;
  *color = RGBColor{0, 0, 0};
}

}  // namespace Tbx
