// Fuzz target of the 'XMBR' reader (native-order bytes): a read succeeds
// exactly when the header and every counted id are there, gives that many
// ids, and leaves the output alone when it fails.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "controls/menus/MenuResource.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<int16_t> ids{0x5A5A};
  const int32_t answer = ReadMenuBarRecord(data, size, ids);
  int16_t count = -1;
  if (size >= kMenuBarHeaderSize) std::memcpy(&count, data + 64, 2);
  const bool fits = count >= 0 && (size - kMenuBarHeaderSize) / 2 >= size_t(count);
  if ((answer == kMenuLoaded) != (size >= kMenuBarHeaderSize && fits)) std::abort();
  if (answer != kMenuLoaded) {
    if (answer != kMenuResourceCorrupt || ids.size() != 1 || ids[0] != 0x5A5A) std::abort();
    return 0;
  }
  if (ids.size() != size_t(count)) std::abort();
  for (size_t i = 0; i < ids.size(); ++i) {
    int16_t stored = 0;
    std::memcpy(&stored, data + kMenuBarHeaderSize + 2 * i, 2);
    if (ids[i] != stored) std::abort();
  }
  return 0;
}
