// Fuzz target of the resource byte-order procedure: the data after the first
// five bytes converted in place in the direction and for the type those
// bytes choose (one of the types it knows, or any four characters), then
// converted back, which must give the data as it was.
#include <cstring>
#include <memory>

#include "framework/core/VObject.h"
#include "fuzz/FuzzSupport.h"
#include "boundary/ModuleExports.h"

namespace {

constexpr uint32_t kKnownTypes[] = {
    FourCC("xVER"), FourCC("TIPS"), FourCC("FPUT"), FourCC("FGET"), FourCC("FMAP"), FourCC("XPRF"),
    FourCC("BLFI"), FourCC("XCAT"), FourCC("XCOM"), FourCC("XKEY"), FourCC("DOCK"), FourCC("XDOK"),
    FourCC("XTH#"), FourCC("XIC#"), FourCC("XDVE"), FourCC("XBAR"), FourCC("XMBA"), FourCC("XMBU"),
    FourCC("XKLI"), FourCC("XTXT"), FourCC("XCCH"), FourCC("XICO"), FourCC("XBUT"), FourCC("XEDT"),
    FourCC("XDRP"), FourCC("XDRE"), FourCC("XCHK"), FourCC("XRAD"), FourCC("XMBR"), FourCC("XMNU"),
    FourCC("4SAM"), FourCC("XTHM"), FourCC("XPRO"), FourCC("lwra"), FourCC("char"), FourCC("diac"),
    FourCC("lowr"), FourCC("upra"), FourCC("sort"), FourCC("lwrn"), FourCC("uppr"), FourCC("uprn"),
    FourCC("uset"), FourCC("umac"), FourCC("uwin"), FourCC("macu"), FourCC("winu"), FourCC("XDLN"),
    FourCC("XDLC"),
};
constexpr size_t kKnownCount = sizeof kKnownTypes / sizeof kKnownTypes[0];

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput input(data, size);
  const uint8_t choice = input.TakeByte();
  const uint32_t code = input.TakeBigEndian32();
  const uint8_t direction = choice & 1;
  const uint8_t pick = uint8_t(choice >> 1);
  const uint32_t type = pick < kKnownCount ? kKnownTypes[pick] : code;

  // The resource's data in a block of its own, exactly as long, so that the
  // address checker sees any byte touched outside it.
  const size_t length = input.RestSize();
  std::unique_ptr<uint8_t[]> bytes(new uint8_t[length == 0 ? 1 : length]);
  if (length != 0) std::memcpy(bytes.get(), input.Rest(), length);
  if (SwapRsrcProc(direction, type, uint32_t(length), length != 0 ? bytes.get() : nullptr) != 0) {
    // Converting back restores every byte: the counts are read where they
    // stand in native order, so both directions walk the same fields.
    SwapRsrcProc(uint8_t(direction ^ 1), type, uint32_t(length), bytes.get());
    if (length != 0 && std::memcmp(bytes.get(), input.Rest(), length) != 0) __builtin_trap();
  }
  return 0;
}
