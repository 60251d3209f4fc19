// The byte order of the word processor's own resource types ('NESS',
// 'LGCD', 'XPPR', 'mtwd', 'ARAY'), converted in place for the package's
// part of the resource byte-order procedure.
#pragma once

#include <cstdint>

// Converts the data to native order (`toNative`) or back to stored order:
// true for a type of the word processor's, false for any other (left
// alone). Counts inside the data are bounded by `size`: nothing outside
// data .. data + size - 1 is touched.
bool SwapPlugInResource(bool toNative, uint32_t type, uint32_t size, void* data);
