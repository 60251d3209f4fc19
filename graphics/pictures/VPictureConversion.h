// The conversions of a PICT into metafiles, which the host makes (its
// metafile service): a lower layer cannot reach the host, so the host
// installs them at start. Without an installed procedure the platform's own
// PICT interpreter answers.
#pragma once

#include <cstdint>

#include "framework/core/VService.h"
#include "platform/gdi/WinGdiMetafile.h"

struct VPictConversionProc {
  // A new enhanced metafile drawing the PICT bytes (header big-endian), or
  // null; the caller deletes it.
  HENHMETAFILE (*pictToEmf)(const uint8_t* bytes, uint32_t size);
};
using VPictConversionService = VService<const VPictConversionProc>;

HENHMETAFILE ConvertPictToEmf(const uint8_t* bytes, uint32_t size);
// A Windows metafile of the PICT: the enhanced one's records as a Windows
// metafile; null when either conversion fails.
HMETAFILE ConvertPictToWmf(const uint8_t* bytes, uint32_t size);
