// The stored palette ('pltt') of the colour menu and pattern list ('PAT#')
// of the pattern menu. Both are Macintosh resources that keep their
// big-endian order when loaded. The readers bound what they take by the
// stored count, by the bytes there are, and by the cells a grid shows; a
// shorter list leaves the cells beyond it empty.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

// 'pltt' (big-endian):
//   0  s16  entry count n (a negative count holds nothing)
//   2  14   reserved
//  16  16n  entries: u16 red, u16 green, u16 blue, then 10 bytes not read
constexpr size_t kPaletteHeaderSize = 16;
constexpr size_t kPaletteEntrySize = 16;
// The colour grid shows 16 x 16 cells.
constexpr size_t kPaletteCells = 256;

// 'PAT#' (big-endian):
//   0  s16  pattern count n (a negative count holds nothing)
//   2  8n   8 x 8 patterns, a byte a row, the top row first
constexpr size_t kPatternListHeaderSize = 2;
constexpr size_t kPatternSize = 8;
// The pattern grid shows 36 cells, the first of them the icon cell.
constexpr size_t kPatternCells = 35;

// Fills `colors` with the palette's colours as numbers: the high byte of the
// red component in the lowest byte, then green, then blue, the top byte 0.
// kMenuLoaded, or kMenuResourceCorrupt (shorter than the header) leaving
// `colors` as it was.
int32_t ReadPaletteColors(const uint8_t* data, size_t size, std::vector<uint32_t>& colors);
// Fills `patterns` with the list's patterns. kMenuLoaded, or
// kMenuResourceCorrupt (shorter than the count) leaving `patterns` as it was.
int32_t ReadPatternList(const uint8_t* data, size_t size,
                        std::vector<std::array<uint8_t, kPatternSize>>& patterns);
