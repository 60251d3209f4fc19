// The foreign bytes that the point-based commands read from the host: the
// two-dimensional array of words that takes a paragraph's tab stops, and
// the bytes of a Macintosh picture. Each is checked whole before anything
// is read from it or written into it.
#pragma once

#include <cstdint>

namespace xMorvaLowCommandInputs {

// The elements of each row of the tab stop array.
constexpr uint32_t kTabArrayElements = 10;

// The host variable entry at `entry` when it is a two-dimensional array of
// exactly three rows of words, row 1 of exactly 10 elements and rows 2 and
// 3 of at least 10, each row's handle holding its elements and element 0:
// true with the three rows' word handles (element k at byte 2k). Every
// row is checked, since all three are written.
bool ReadTabArray(const void* entry, uint32_t rows[3]);

// Whether the bytes begin as a Macintosh picture (big-endian): a size word,
// a frame that is not empty, and the version 1 opcode or the version 2
// header.
bool LooksLikePicture(const uint8_t* bytes, uint32_t size);

}  // namespace xMorvaLowCommandInputs
