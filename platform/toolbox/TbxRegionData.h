// Conversion between the Toolbox emulation's region records and the GDI
// stand-in's regions; internal to the platform library.
#pragma once

#include "platform/gdi/GdiRegion.h"
#include "platform/toolbox/TbxRegions.h"

namespace Tbx {

// Reads a region record; false for a bad handle or a record whose sizes do
// not agree with its block.
bool TbxReadRgn(RgnHandle region, GdiRegion* out);
// Writes the region into the handle's block (coordinates cut to 16 bits);
// false for a bad handle or when memory runs out.
bool TbxWriteRgn(RgnHandle region, const GdiRegion& in);

}  // namespace Tbx
