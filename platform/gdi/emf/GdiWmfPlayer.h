// The Windows-metafile reader: checks stored bytes record by record, plays
// them onto any DC through the public GDI calls, and works out the picture an
// enhanced metafile made from them shows. Internal to the metafile code.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/gdi/WinGdiMetafile.h"

// Whether the bytes are a Windows metafile: its header, then records of
// checked sizes up to META_EOF within the header's size. Gives the length of
// the metafile (the header's size in bytes).
bool GdiCheckWmf(const uint8_t* bytes, size_t size, size_t* length);

// Plays a metafile onto a DC in the DC's mapping, which the metafile's
// window and viewport records change; the DC is left as it was found. False
// for bytes that are not well formed (playing stops at the first record
// that is not).
bool GdiPlayWmf(HDC dc, const uint8_t* bytes, size_t size);

// How an enhanced metafile shows a Windows metafile: its frame (hundredths
// of a millimetre; none means the frame of what is drawn) and, when it is
// scaled, the mapping that puts the metafile's window onto the picture.
struct GdiWmfPicture {
  bool hasFrame = false;
  RECT frame{};
  bool anisotropic = false;
  SIZE viewport{1, 1};  // the picture in pixels
  POINT windowOrigin{0, 0};
  SIZE window{1, 1};
};
GdiWmfPicture GdiPlanWmfPicture(const uint8_t* bytes, size_t size, HDC device,
                                const METAFILEPICT* picture);
