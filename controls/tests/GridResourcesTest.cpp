// The palette and pattern list of the grid menus: stored bytes read in
// their layout, and short, lying and oversized inputs bounded.
#include "controls/menus/GridResources.h"

#include <gtest/gtest.h>

#include "controls/menus/MenuResource.h"
#include "views/tests/StoredResourceFile.h"

namespace {

// A palette of `stored` in its count and `entries` entries whose red, green
// and blue are (i, i + 1, i + 2) in the high bytes.
std::vector<uint8_t> Palette(int16_t stored, int entries) {
  StoredBytes b;
  b.U16(uint16_t(stored)).Fill(14, 0xEE);
  for (int i = 0; i < entries; ++i) {
    b.U16(uint16_t((i << 8) | 0x7F)).U16(uint16_t(((i + 1) & 0xFF) << 8)).U16(uint16_t(((i + 2) & 0xFF) << 8));
    b.Fill(10, 0xEE);
  }
  return b.bytes;
}

std::vector<uint8_t> Patterns(int16_t stored, int patterns) {
  StoredBytes b;
  b.U16(uint16_t(stored));
  for (int i = 0; i < patterns; ++i) {
    for (int row = 0; row < 8; ++row) b.U8(uint8_t(i * 8 + row));
  }
  return b.bytes;
}

TEST(GridResources, PaletteEntriesAreTheHighBytesOfRedGreenAndBlue) {
  std::vector<uint32_t> colors;
  const std::vector<uint8_t> bytes = Palette(3, 3);
  ASSERT_EQ(ReadPaletteColors(bytes.data(), bytes.size(), colors), kMenuLoaded);
  EXPECT_EQ(colors, (std::vector<uint32_t>{0x020100, 0x030201, 0x040302}));
}

TEST(GridResources, PaletteBoundsAndBadInput) {
  struct Row {
    const char* what;
    std::vector<uint8_t> bytes;
    int32_t answer;
    size_t colors;  // kept: 99 means the output was left alone
  };
  std::vector<uint8_t> cut = Palette(2, 2);
  cut.resize(kPaletteHeaderSize + kPaletteEntrySize + 5);
  std::vector<uint8_t> header = Palette(1, 0);
  header.resize(kPaletteHeaderSize - 1);
  const Row rows[] = {
      {"empty", {}, kMenuResourceCorrupt, 99},
      {"header cut", header, kMenuResourceCorrupt, 99},
      {"header only", Palette(0, 0), kMenuLoaded, 0},
      {"count past the bytes", Palette(256, 3), kMenuLoaded, 3},
      {"last entry cut", cut, kMenuLoaded, 1},
      {"negative count", Palette(-5, 4), kMenuLoaded, 0},
      {"more entries than cells", Palette(300, 300), kMenuLoaded, 256},
      {"fewer counted than stored", Palette(2, 6), kMenuLoaded, 2},
  };
  for (const Row& r : rows) {
    std::vector<uint32_t> colors(99, 7);
    EXPECT_EQ(ReadPaletteColors(r.bytes.data(), r.bytes.size(), colors), r.answer) << r.what;
    EXPECT_EQ(colors.size(), r.colors) << r.what;
  }
  std::vector<uint32_t> colors(99, 7);
  EXPECT_EQ(ReadPaletteColors(nullptr, 40, colors), kMenuResourceCorrupt);
}

TEST(GridResources, PatternsAreCopiedAsStored) {
  std::vector<std::array<uint8_t, kPatternSize>> patterns;
  const std::vector<uint8_t> bytes = Patterns(2, 2);
  ASSERT_EQ(ReadPatternList(bytes.data(), bytes.size(), patterns), kMenuLoaded);
  ASSERT_EQ(patterns.size(), 2u);
  EXPECT_EQ(patterns[1][0], 8);
  EXPECT_EQ(patterns[1][7], 15);
}

TEST(GridResources, PatternListBoundsAndBadInput) {
  struct Row {
    const char* what;
    std::vector<uint8_t> bytes;
    int32_t answer;
    size_t patterns;  // 99: the output was left alone
  };
  std::vector<uint8_t> cut = Patterns(3, 3);
  cut.pop_back();
  const Row rows[] = {
      {"empty", {}, kMenuResourceCorrupt, 99},
      {"count cut", {0x00}, kMenuResourceCorrupt, 99},
      {"count only", Patterns(0, 0), kMenuLoaded, 0},
      {"count past the bytes", Patterns(35, 4), kMenuLoaded, 4},
      {"last pattern cut", cut, kMenuLoaded, 2},
      {"negative count", Patterns(-1, 3), kMenuLoaded, 0},
      {"more patterns than cells", Patterns(40, 40), kMenuLoaded, 35},
  };
  for (const Row& r : rows) {
    std::vector<std::array<uint8_t, kPatternSize>> patterns(99);
    EXPECT_EQ(ReadPatternList(r.bytes.data(), r.bytes.size(), patterns), r.answer) << r.what;
    EXPECT_EQ(patterns.size(), r.patterns) << r.what;
  }
}

}  // namespace
