// The Toolbox emulation library's bit strings (the bits of the host's
// Boolean arrays) and its PackBits run-length coding of one row.
#pragma once

#include <cstdint>

#include "platform/Export.h"

namespace Tbx {

// Bit n of the string at `bytes`: bit 0 is the most significant bit of the
// first byte, bit 8 that of the second, and so on.
QV_PLATFORM_API bool BitTst(const void* bytes, int32_t n);
QV_PLATFORM_API void BitSet(void* bytes, int32_t n);
QV_PLATFORM_API void BitClr(void* bytes, int32_t n);

// Packs `srcBytes` bytes from *src into *dst in the published PackBits form
// (a header byte h: 0 to 127 for h + 1 literal bytes, -1 to -127 for one
// byte repeated 1 - h times; runs of three or more are repeated). Both
// pointers advance past what was read and written; the destination needs
// room for srcBytes + (srcBytes + 127) / 128 bytes.
QV_PLATFORM_API void PackBits(uint8_t** src, uint8_t** dst, int16_t srcBytes);
// Unpacks from *src until `dstBytes` bytes are written to *dst; a packet
// that would run past them is cut, so nothing is written beyond. Header -128
// is skipped. Both pointers advance.
QV_PLATFORM_API void UnpackBits(uint8_t** src, uint8_t** dst, int16_t dstBytes);

}  // namespace Tbx
