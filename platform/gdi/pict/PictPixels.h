// The pixel maps and bit maps of PICT opcodes, read into 32-bit top-down
// pixels, and JPEG data decoded the same way. Internal to the interpreter.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/bytes/ByteSpanReader.h"

namespace pict {

// Reads the bytes of a picture (big-endian) with every read checked against
// the end.
class Reader : public ByteSpanReader {
 public:
  Reader(const uint8_t* begin, const uint8_t* end)
      : ByteSpanReader(begin, static_cast<size_t>(end - begin), Order::kBig) {}

  bool Has(size_t n) const { return !Failed() && Remaining() >= n; }
  const uint8_t* At() const { return Data() + Position(); }
  size_t Left() const { return Remaining(); }
  int16_t S16() { return I16(); }
  // Puts the next read on an even offset from the picture's start.
  void Align() {
    if ((Position() & 1) != 0) Skip(1);
  }
};

struct Rect16 {
  int16_t top = 0;
  int16_t left = 0;
  int16_t bottom = 0;
  int16_t right = 0;
  int32_t Width() const { return int32_t{right} - left; }
  int32_t Height() const { return int32_t{bottom} - top; }
};

Rect16 ReadRect(Reader& r);

// An image of 0x00RRGGBB pixels, top row first.
struct Image {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint32_t> pixels;
};

// Reads the pixel data of a bits opcode (0x90, 0x91, 0x98, 0x99, 0x9A,
// 0x9B) from its map up to and including its pixels, into `image`, with
// the source and destination rectangles and transfer mode. A one-bit map
// takes the foreground for 1 and the background for 0. False when the data
// runs past the picture (the walk must stop); `drawable` false when the
// map is well framed but cannot be shown (bad bounds, kinds, packing,
// overrunning rows).
struct BitsOp {
  Image image;
  Rect16 src;
  Rect16 dst;
  int16_t mode = 0;
  bool hasMaskRegion = false;
  bool drawable = false;
};
// Version 2 pictures keep opcodes word-aligned (`align`); version 1 ones
// do not.
bool ReadBitsOp(Reader& r, uint16_t opcode, uint32_t fg, uint32_t bg, bool align, BitsOp* op);

// Decodes a JPEG into an image; false when it is no JPEG or is damaged.
bool DecodeJpeg(const uint8_t* bytes, size_t size, Image* image);

}  // namespace pict
