// The Toolbox emulation's picture recording: OpenPicture starts a picture of
// a frame, enhanced metafiles played into it draw on white inside the frame,
// and ClosePicture writes what was drawn into the picture's handle as a
// version 2 PICT (header big-endian): one direct pixel map of the frame,
// 8 bits a component, unpacked. One picture is open at a time.
#pragma once

#include <cstdint>

#include "platform/Export.h"
#include "platform/gdi/WinGdiMetafile.h"
#include "platform/toolbox/TbxEnvironment.h"
#include "platform/toolbox/TbxHandles.h"

namespace Tbx {

// The widest frame a picture takes (the pixel map's row bytes must fit in
// 14 bits).
constexpr int32_t kPictureMaxWidth = 0x3FFF / 4;

// A new, empty handle that ClosePicture fills; 0 when a picture is open
// already, the frame is empty or wider than kPictureMaxWidth, or no memory.
QV_PLATFORM_API Handle OpenPicture(const Rect* frame);
// Plays the metafile into the open picture, its frame mapped onto `frame`
// (in the picture's coordinates); false when no picture is open or the
// metafile cannot be played.
QV_PLATFORM_API bool PlayMetafileIntoPicture(HENHMETAFILE metafile, const Rect* frame);
// Whether a picture is being recorded.
QV_PLATFORM_API bool IsPictureOpen();
// Ends the recording: the picture's handle receives the PICT. A handle that
// cannot be sized stays empty.
QV_PLATFORM_API void ClosePicture();

}  // namespace Tbx
