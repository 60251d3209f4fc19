// Fuzz target of the package's byte-order conversion of the word
// processor's own resource types: the first byte chooses the direction (bit
// 0) and the type (the rest, one of the five, or another type, which must be
// left alone); the data after it is converted in place in a block of its
// own size, then converted back, which must give the data as it was.
#include <cstring>
#include <memory>

#include "area/files/xMorvaResourceSwap.h"
#include "framework/core/VObject.h"
#include "fuzz/FuzzSupport.h"

namespace {

constexpr uint32_t kTypes[] = {FourCC("ARAY"), FourCC("NESS"), FourCC("LGCD"), FourCC("XPPR"),
                               FourCC("mtwd"), FourCC("XPRF")};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput input(data, size);
  const uint8_t choice = input.TakeByte();
  const bool toNative = (choice & 1) != 0;
  const uint32_t type = kTypes[(choice >> 1) % (sizeof kTypes / sizeof kTypes[0])];
  const size_t length = input.RestSize();
  std::unique_ptr<uint8_t[]> bytes(new uint8_t[length == 0 ? 1 : length]);
  if (length != 0) std::memcpy(bytes.get(), input.Rest(), length);
  const bool handled = SwapPlugInResource(toNative, type, uint32_t(length), bytes.get());
  if (handled) SwapPlugInResource(!toNative, type, uint32_t(length), bytes.get());
  // Another type is not touched; a handled one comes back as it was.
  if (length != 0 && std::memcmp(bytes.get(), input.Rest(), length) != 0) __builtin_trap();
  return 0;
}
