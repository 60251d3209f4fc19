// Pictures between the host and the module. The host holds pictures as
// Macintosh pictures in Toolbox handles and makes metafiles of them
// (selector 254); the module holds them as picture values, which belong to
// the graphics layer. The graphics layer installs the forms of its picture
// values at start; without them no picture value is made or converted.
#pragma once

#include <cstdint>

#include "framework/core/VService.h"
#include "platform/gdi/WinGdiMetafile.h"

class VValue;

struct HostPictureForms {
  // A new enhanced-metafile picture value that owns `metafile`, or null.
  VValue* (*metafileValue)(HENHMETAFILE metafile);
  // A new PICT picture value with a copy of PICT bytes as they stand in a
  // Macintosh picture (header big-endian), or null.
  VValue* (*pictValue)(const uint8_t* bytes, uint32_t size);
  // A new Toolbox handle with the Macintosh picture (PICT bytes, header
  // big-endian) of a picture value, or 0 for any other value or a failed
  // conversion.
  uint32_t (*macPicture)(const VValue& value);
};
using HostPictureFormsService = VService<const HostPictureForms>;

// The host's enhanced metafile of PICT bytes: the bytes go to the host in a
// new Toolbox handle (disposed after the call) with selector 254 'EMF '.
// Null when the host makes none. The caller deletes the metafile.
HENHMETAFILE HostPictToEmf(const uint8_t* bytes, uint32_t size);

// The metafile picture value of a Macintosh picture handle through the
// host's conversion; null for handle 0, a failed conversion or no forms
// installed. The handle stays the caller's.
VValue* HostPictureToMetafileValue(uint32_t pictureHandle);
// A PICT picture value with a copy of a Macintosh picture handle's bytes;
// null for handle 0, an empty or bad handle, or no forms installed.
VValue* HostPictureToPictValue(uint32_t pictureHandle);
// A new Toolbox handle with the Macintosh picture of a picture value; 0 for
// any other value, a value without a picture or no forms installed.
uint32_t HostPictHandleOfValue(const VValue& value);
// The same with 6 zero bytes after the picture, as the host takes pictures
// in fields and variables.
uint32_t HostMacPictureOfValue(const VValue& value);
