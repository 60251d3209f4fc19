// The palette and pattern list readers of the grid menus.
#include "controls/menus/GridResources.h"

#include <algorithm>

#include "controls/menus/MenuResource.h"
#include "platform/bytes/ByteSpanReader.h"

namespace {

// How many entries of `entrySize` bytes the stored count, the remaining
// bytes and the grid's cells all allow.
size_t Bounded(int16_t stored, size_t remaining, size_t entrySize, size_t cells) {
  if (stored <= 0) return 0;
  return std::min({static_cast<size_t>(stored), remaining / entrySize, cells});
}

}  // namespace

int32_t ReadPaletteColors(const uint8_t* data, size_t size, std::vector<uint32_t>& colors) {
  ByteSpanReader r(data, size, ByteSpanReader::Order::kBig);
  if (r.Remaining() < kPaletteHeaderSize) return kMenuResourceCorrupt;
  const int16_t stored = r.I16();
  r.Skip(kPaletteHeaderSize - 2);
  std::vector<uint32_t> read(Bounded(stored, r.Remaining(), kPaletteEntrySize, kPaletteCells));
  for (uint32_t& color : read) {
    const uint16_t red = r.U16();
    const uint16_t green = r.U16();
    const uint16_t blue = r.U16();
    r.Skip(kPaletteEntrySize - 6);
    color = uint32_t(red >> 8) | (uint32_t(green >> 8) << 8) | (uint32_t(blue >> 8) << 16);
  }
  if (r.Failed()) return kMenuResourceCorrupt;
  colors = std::move(read);
  return kMenuLoaded;
}

int32_t ReadPatternList(const uint8_t* data, size_t size,
                        std::vector<std::array<uint8_t, kPatternSize>>& patterns) {
  ByteSpanReader r(data, size, ByteSpanReader::Order::kBig);
  if (r.Remaining() < kPatternListHeaderSize) return kMenuResourceCorrupt;
  const int16_t stored = r.I16();
  std::vector<std::array<uint8_t, kPatternSize>> read(
      Bounded(stored, r.Remaining(), kPatternSize, kPatternCells));
  for (auto& pattern : read) r.Bytes(pattern.data(), kPatternSize);
  if (r.Failed()) return kMenuResourceCorrupt;
  patterns = std::move(read);
  return kMenuLoaded;
}
