// The Toolbox emulation's regions: handles whose block holds a region
// record of 16-bit coordinates. The record is ours: rgnSize (10 for an empty
// or rectangular region, else 10 + 8 bytes a rectangle), the bounding box,
// then the region's rectangles (top, left, bottom, right) in band order.
#pragma once

#include <cstdint>

#include "platform/Export.h"
#include "platform/toolbox/TbxEnvironment.h"
#include "platform/toolbox/TbxHandles.h"

namespace Tbx {

using RgnHandle = Handle;

// A new empty region; 0 when memory runs out.
QV_PLATFORM_API RgnHandle NewRgn();
QV_PLATFORM_API void DisposeRgn(RgnHandle region);
// The rectangle's pixels; an inverted rectangle gives the empty region.
QV_PLATFORM_API void SetRectRgn(RgnHandle region, int16_t left, int16_t top, int16_t right,
                                int16_t bottom);
QV_PLATFORM_API void RectRgn(RgnHandle region, const Rect* rect);
QV_PLATFORM_API void SetEmptyRgn(RgnHandle region);
QV_PLATFORM_API void CopyRgn(RgnHandle source, RgnHandle destination);
QV_PLATFORM_API void SectRgn(RgnHandle a, RgnHandle b, RgnHandle destination);
QV_PLATFORM_API void UnionRgn(RgnHandle a, RgnHandle b, RgnHandle destination);
QV_PLATFORM_API void DiffRgn(RgnHandle a, RgnHandle b, RgnHandle destination);
QV_PLATFORM_API bool EmptyRgn(RgnHandle region);
QV_PLATFORM_API bool PtInRgn(Point point, RgnHandle region);
// The bounding box, all zero for an empty region or a bad handle.
QV_PLATFORM_API Rect* GetRegionBounds(RgnHandle region, Rect* bounds);

}  // namespace Tbx
