// Writing a device-independent bitmap as a version 2 PICT: one pixel-map
// opcode (PackBitsRect with a colour table for 1, 2, 4 and 8 bits a pixel,
// DirectBitsRect for 16, 24 and 32) inside the picture's header, clip and
// end opcodes.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/Export.h"
#include "platform/gdi/WinGdi.h"

// rows: top row first, `stride` bytes apart, pixels as a DIB holds them
// (16-bit 5-5-5 little-endian, 24-bit and 32-bit blue first). colors: the
// entries of indexed depths. The whole PICT big-endian, header included;
// empty for a size or depth that cannot be written.
QV_PLATFORM_API std::vector<uint8_t> PictFromDIB(int32_t width, int32_t height, int16_t depth,
                                 const uint8_t* rows, int32_t stride, const RGBQUAD* colors,
                                 uint32_t colorCount);
