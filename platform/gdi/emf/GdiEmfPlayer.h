// The enhanced-metafile reader: checks stored bytes record by record, and
// plays them onto any DC through the public GDI calls. Internal to the
// metafile code; both functions take any bytes and never read outside them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/gdi/WinGdi.h"

// Whether the bytes are a whole enhanced metafile: a header record of the
// right type, signature and sizes, then records of checked sizes that fill
// exactly nBytes, nRecords of them, the last EMR_EOF.
bool GdiCheckEmf(const uint8_t* bytes, size_t size);

// Plays a metafile (checked or not) onto a DC, the frame mapped onto the
// rectangle (logical units of the DC). False for bytes that are not a
// well-formed metafile; playing stops at the first record that is not.
bool GdiPlayEmf(HDC dc, const uint8_t* bytes, size_t size, const RECT& rect);

// The frame (hundredths of a millimetre) and reference device (pixels and
// millimetres) of a metafile's header; false when the header is not sound.
bool GdiEmfFrame(const uint8_t* bytes, size_t size, RECT* frame, SIZE* device, SIZE* millimetres);
