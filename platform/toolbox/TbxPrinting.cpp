// The print offsets of the emulation.
#include "platform/toolbox/TbxPrinting.h"

#include <atomic>

namespace Tbx {

namespace {
std::atomic<int32_t> gOffsets{0};
}  // namespace

void GetPrintOffsets(int16_t* x, int16_t* y) {
  const auto both = static_cast<uint32_t>(gOffsets.load());
  if (x != nullptr) *x = static_cast<int16_t>(both >> 16);
  if (y != nullptr) *y = static_cast<int16_t>(both & 0xFFFF);
}

void SetPrintOffsets(int16_t x, int16_t y) {
  gOffsets.store(static_cast<int32_t>((static_cast<uint32_t>(static_cast<uint16_t>(x)) << 16) |
                                      static_cast<uint16_t>(y)));
}

}  // namespace Tbx
