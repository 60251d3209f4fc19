// Fuzz target of the pattern menu's list reader ('PAT#', big-endian): a
// read succeeds exactly when the count is there, takes no more patterns than
// the stored count, the bytes after it and the 35 cells allow, copies each
// pattern as stored, and leaves the output alone when it fails.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "controls/menus/GridResources.h"
#include "controls/menus/MenuResource.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::array<uint8_t, kPatternSize>> patterns(1);
  patterns[0].fill(0x5A);
  const int32_t answer = ReadPatternList(data, size, patterns);
  if ((answer == kMenuLoaded) != (size >= kPatternListHeaderSize)) std::abort();
  if (answer != kMenuLoaded) {
    if (answer != kMenuResourceCorrupt || patterns.size() != 1 || patterns[0][7] != 0x5A) std::abort();
    return 0;
  }
  const int16_t stored = static_cast<int16_t>((data[0] << 8) | data[1]);
  const size_t bound = std::min({size_t(std::max<int16_t>(stored, 0)),
                                 (size - kPatternListHeaderSize) / kPatternSize, kPatternCells});
  if (patterns.size() != bound) std::abort();
  for (size_t i = 0; i < patterns.size(); ++i) {
    if (std::memcmp(patterns[i].data(), data + kPatternListHeaderSize + i * kPatternSize,
                    kPatternSize) != 0) {
      std::abort();
    }
  }
  return 0;
}
