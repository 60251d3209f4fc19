// The Toolbox emulation library's environment queries that the framework
// makes: Gestalt.
#pragma once

#include <cstdint>

#include "platform/Export.h"
#include "platform/toolbox/TbxHandles.h"

namespace Tbx {

constexpr OSErr gestaltUndefSelectorErr = -5551;

// The system version selector 'sysv'. The emulation answers it with the
// platform family code that the framework classifies Windows versions by;
// this platform stands in for the newest family, 7 (NT 5.1 and later).
constexpr uint32_t gestaltSystemVersion = 0x73797376;  // 'sysv'

// Answers the value of `selector` in *response; gestaltUndefSelectorErr
// (response left alone) for a selector the emulation does not know.
QV_PLATFORM_API OSErr Gestalt(uint32_t selector, int32_t* response);

}  // namespace Tbx
