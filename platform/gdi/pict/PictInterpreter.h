// The PICT interpreter of the platform: plays a Macintosh picture (versions
// 1 and 2) into an enhanced metafile of the picture's frame, for the host's
// metafile conversion and for drawing pictures.
#pragma once

#include <cstdint>

#include "platform/Export.h"
#include "platform/gdi/WinGdiMetafile.h"

// bytes: the whole picture, header big-endian (no 512-byte file header).
// Null for a picture too short for its header, with an empty frame, or
// whose opcodes cannot be followed before anything was drawn; a picture
// damaged further on keeps what was drawn up to the damage.
QV_PLATFORM_API HENHMETAFILE PictToEnhMetaFile(const uint8_t* bytes, uint32_t size);
// Plays the picture into a device context with its frame mapped to `rect`;
// false when nothing could be played.
QV_PLATFORM_API bool PlayPict(HDC dc, const uint8_t* bytes, uint32_t size, const RECT* rect);
