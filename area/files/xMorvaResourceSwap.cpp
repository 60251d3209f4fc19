// The word processor's own resource types in the other byte order. The
// data comes from resource files of any origin, so every field is converted
// only when it lies wholly inside the data.
#include "area/files/xMorvaResourceSwap.h"

#include <cstring>

#include "framework/core/VObject.h"
#include "framework/core/streams/ByteSwap.h"

namespace {

// 'ARAY': two 16-bit values at offsets 2 and 4, then eight groups, each a
// 16-bit count c and 2c 32-bit values.
constexpr int kArrayGroups = 8;
constexpr uint32_t kArrayGroupsAt = 6;
// 'mtwd' is converted only when it holds more than its first five words.
constexpr uint32_t kWidthTableMinimum = 11;

void SwapArray(bool toNative, uint8_t* data, uint32_t size) {
  if (size >= 4) Swap16(data + 2);
  if (size >= 6) Swap16(data + 4);
  uint64_t at = kArrayGroupsAt;
  for (int group = 0; group < kArrayGroups && at + 2 <= size; ++group) {
    uint8_t* count = data + at;
    // The count is read in native order: after its conversion going to
    // native, before it going back, so both directions walk the same data.
    if (toNative) Swap16(count);
    int16_t values = 0;
    std::memcpy(&values, count, sizeof values);
    if (!toNative) Swap16(count);
    at += 2;
    if (values <= 0) continue;
    // Values past the data's end are not there; the groups after them
    // neither.
    const uint64_t groupEnd = at + 8 * uint64_t(values);
    for (; at + 4 <= size && at < groupEnd; at += 4) Swap32(data + at);
    at = groupEnd;
  }
}

}  // namespace

bool SwapPlugInResource(bool toNative, uint32_t type, uint32_t size, void* data) {
  auto* bytes = static_cast<uint8_t*>(data);
  if (bytes == nullptr) size = 0;
  switch (type) {
    case FourCC("NESS"):
    case FourCC("LGCD"):
      if (size >= 2) SwapArray16(bytes, int32_t(size / 2));
      return true;
    case FourCC("XPPR"):
      if (size >= 4) SwapArray32(bytes, int32_t(size / 4));
      return true;
    case FourCC("mtwd"):
      if (size >= kWidthTableMinimum) SwapArray16(bytes, 5);
      return true;
    case FourCC("ARAY"):
      SwapArray(toNative, bytes, size);
      return true;
    default:
      return false;
  }
}
