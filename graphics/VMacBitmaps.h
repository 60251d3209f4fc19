// Macintosh bit maps and pixel maps, as icon resources and pictures hold
// them, and their conversion into GDI bitmaps.
#pragma once

#include <cstdint>

#include "graphics/VShape.h"
#include "platform/gdi/WinGdi.h"

// A one-bit map: rows of rowBytes (the top bit is a flag and is masked
// off), most significant bit leftmost, 1 black. dataSize is the number of
// bytes readable at baseAddr; no row is read beyond it.
struct VMacBitMap {
  const uint8_t* baseAddr = nullptr;
  uint32_t dataSize = 0;
  uint16_t rowBytes = 0;
  VMacRect bounds{};
};

// A colour-table entry: the pixel value and 16-bit components.
struct VMacColorSpec {
  uint16_t value;
  uint16_t red;
  uint16_t green;
  uint16_t blue;
};

// The fields of a QuickDraw pixel map that the conversion reads. Pixels
// are big-endian as the format holds them; with a pack type of 3 or 4 the
// rows are packed one after another, each behind its byte count.
struct VMacPixMap {
  const uint8_t* baseAddr = nullptr;
  uint32_t dataSize = 0;
  uint16_t rowBytes = 0;
  VMacRect bounds{};
  int16_t packType = 0;
  int16_t pixelType = 0;  // 0 indexed, 16 direct
  int16_t pixelSize = 0;
  int16_t cmpCount = 0;
  int16_t cmpSize = 0;
  const VMacColorSpec* colors = nullptr;
  uint16_t colorCount = 0;
};

// A monochrome GDI bitmap of the map (GDI rows rounded up to even bytes);
// null for an empty or inverted box, rows beyond the data, or when GDI or
// memory fails.
HBITMAP BitmapFromMacBitMap(const VMacBitMap& map);

// The pixels of a pixel map as a bottom-up DIB: 8 bits with a 256-entry
// colour table for indexed maps (entry 0 white, the table's entries by
// value; values of 256 and more are skipped), 24 bits blue first for direct
// maps. False for a map of a kind, size or packing that cannot be read
// (rows unpacked beyond the data, bottom above top).
struct VDIBImage {
  BITMAPINFOHEADER header{};
  RGBQUAD colors[256]{};
  uint8_t* pixels = nullptr;  // memory-manager block, biSizeImage bytes
};
bool DIBImageFromPixMap(const VMacPixMap& map, VDIBImage* image);
void DisposeDIBImage(VDIBImage* image);
