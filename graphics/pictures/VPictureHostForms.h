// Picture values in the forms the host holds pictures in: Macintosh
// pictures in Toolbox handles (header big-endian) and enhanced metafiles.
// The host bridge reaches them through the table it declares, installed at
// start.
#pragma once

#include <cstdint>

#include "platform/gdi/WinGdiMetafile.h"

class VValue;

// A new EMF picture value that owns `metafile`; null for none.
VValue* NewMetafilePictureValue(HENHMETAFILE metafile);
// A new PICT picture value with a copy of Macintosh picture bytes; null for
// fewer than the 10 header bytes.
VValue* NewPictValueFromMacPicture(const uint8_t* bytes, uint32_t size);
// A new Toolbox handle with the Macintosh picture of a picture value: a PICT
// as it is; an EMF played into a Toolbox picture of its size in screen
// pixels. 0 for any other value or when there is no picture.
uint32_t MacPictureOfValue(const VValue& value);
