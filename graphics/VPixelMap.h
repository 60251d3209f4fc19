// Pixel maps for rotated drawing: the bytes per row of a map, and the
// rotation of a map by an angle (exact for quarter turns).
#pragma once

#include <cstdint>

// Bytes per row of `width` pixels of a depth (1, 2, 4, 8, 16, 24 or 32; 0 for
// any other), rounded up to a multiple of the alignment when it is 2, 4, 8
// or 16.
int16_t PixelMapRowBytes(int32_t width, int16_t depth, int16_t alignment);

// A rotated map: pixels in a block of the memory manager (the caller frees
// it with DisposeBlock), rows of rowBytes, and the place of its top-left
// corner relative to the source's top-left corner once turned.
struct VTransformedPixelMap {
  uint8_t* pixels = nullptr;
  int32_t left = 0;
  int32_t top = 0;
  int32_t width = 0;
  int32_t height = 0;
  int32_t rowBytes = 0;
};

// The cosine and sine of a turn by `angle` degrees; angles within 0.01 of a
// quarter turn give the quarter turn's exact values.
void TurnFactors(double angle, double* cosine, double* sine);

// Turns a map counter-clockwise (as seen on the device, whose y axis points
// down) by `angle` degrees about its top-left corner. Angles within 0.01 of
// 90, 180 and 270 are exact quarter turns; others go through a nearest-
// neighbour walk back into the source. Pixels that come from nowhere keep
// the fill byte; at depth 1 only source bits 0 (black) are carried over, by
// clearing destination bits. False for a bad depth or size or when memory
// runs out.
bool TransformPixelMap(double angle, const uint8_t* source, int32_t sourceRowBytes,
                       int32_t sourceWidth, int32_t sourceHeight, int16_t depth,
                       int16_t alignment, uint8_t fill, VTransformedPixelMap* result);
