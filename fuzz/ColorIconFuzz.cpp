// Fuzz target of the reader of 'cicn' colour-icon data: the input is the
// data as a resource holds it. Every section the reader gives must lie in
// the input; an icon made of the data is drawn in the four transforms on a
// small device, plain and stretched.
#include <cstring>

#include "framework/core/memory/VMemoryMgr.h"
#include "fuzz/FuzzSupport.h"
#include "graphics/VIconShape.h"
#include "graphics/VPort.h"

namespace {

void CheckInside(const uint8_t* base, uint32_t length, const uint8_t* data, size_t size) {
  if (base == nullptr) {
    if (length != 0) __builtin_trap();
    return;
  }
  if (base < data || base + length > data + size) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartFuzzServices();
  VColorIconParts parts;
  if (ReadColorIcon(data, uint32_t(size), &parts)) {
    CheckInside(parts.mask.baseAddr, parts.mask.dataSize, data, size);
    CheckInside(parts.image.baseAddr, parts.image.dataSize, data, size);
    CheckInside(parts.pixMap.baseAddr, parts.pixMap.dataSize, data, size);
    if (parts.pixMap.colorCount != parts.colors.size()) __builtin_trap();
  }
  VMemHandle handle = gMemoryMgr->NewHandleFromData(data, uint32_t(size));
  if (handle == 0) return 0;
  VIconShape icon(handle, 128);
  static FuzzDevice device;
  VPort port(device.dc());
  for (int16_t transform = 0; transform < 4; ++transform) {
    icon.SetPosition(transform * 3, -transform);
    port.DrawIcon(icon, transform);
  }
  port.PushScale(1.5, 0.5);
  port.DrawIcon(icon, 0);
  port.PopScale();
  return 0;
}
