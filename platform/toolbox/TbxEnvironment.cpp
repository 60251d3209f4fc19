// Gestalt of the Toolbox emulation library.
#include "platform/toolbox/TbxEnvironment.h"

namespace Tbx {

namespace {
constexpr int32_t kNewestFamily = 7;
}

OSErr Gestalt(uint32_t selector, int32_t* response) {
  if (response == nullptr) return -50;  // paramErr
  switch (selector) {
    case gestaltSystemVersion:
      *response = kNewestFamily;
      return noErr;
    default:
      return gestaltUndefSelectorErr;
  }
}

}  // namespace Tbx
