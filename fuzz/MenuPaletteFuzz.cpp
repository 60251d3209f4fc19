// Fuzz target of the colour menu's palette reader ('pltt', big-endian): a
// read succeeds exactly when the 16-byte header is there, takes no more
// entries than the stored count, the bytes after the header and the 256
// cells allow, keeps the top byte of every colour 0, and leaves the output
// alone when it fails.
#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "controls/menus/GridResources.h"
#include "controls/menus/MenuResource.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint32_t> colors{0xDEADBEEF};
  const int32_t answer = ReadPaletteColors(data, size, colors);
  if ((answer == kMenuLoaded) != (size >= kPaletteHeaderSize)) std::abort();
  if (answer != kMenuLoaded) {
    if (answer != kMenuResourceCorrupt || colors.size() != 1 || colors[0] != 0xDEADBEEF) std::abort();
    return 0;
  }
  const int16_t stored = static_cast<int16_t>((data[0] << 8) | data[1]);
  const size_t bound = std::min({size_t(std::max<int16_t>(stored, 0)),
                                 (size - kPaletteHeaderSize) / kPaletteEntrySize, kPaletteCells});
  if (colors.size() != bound) std::abort();
  for (size_t i = 0; i < colors.size(); ++i) {
    const uint8_t* entry = data + kPaletteHeaderSize + i * kPaletteEntrySize;
    const uint32_t want = uint32_t(entry[0]) | (uint32_t(entry[2]) << 8) | (uint32_t(entry[4]) << 16);
    if (colors[i] != want) std::abort();
  }
  return 0;
}
