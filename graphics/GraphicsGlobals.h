// The process-wide state that every port shares, beside the painter table
// (VLookPainter.h) and the font cache (VCharWidthCache.h): the screen's
// resolution, the device colour count with the palette entries, and the
// system's transparent-copy routine.
#pragma once

#include <cstdint>

#include "platform/gdi/WinGdiTypes.h"

struct PALETTEENTRY;

// The screen's LOGPIXELSX and LOGPIXELSY, read once at start-up.
extern int32_t gScreenLogPixelsX;
extern int32_t gScreenLogPixelsY;

// The device colour count: 0 until a port attaches; 0xFFFF on a device that
// reports none; otherwise the entries of the Toolbox emulation's palette.
// A count above 0 as a signed 16-bit value marks a palette device.
extern uint16_t gDeviceColorCount;
// Up to 256 palette entries, 4 bytes each, kept for the life of the module.
extern PALETTEENTRY* gDevicePaletteEntries;

inline bool IsPaletteDevice() { return static_cast<int16_t>(gDeviceColorCount) > 0; }

// The system's transparent copy, or null when the system has none.
using VTransparentBltProc = BOOL (*)(HDC dc, int x, int y, int width, int height, HDC source,
                                     int srcX, int srcY, int srcWidth, int srcHeight,
                                     UINT transparent);
extern VTransparentBltProc gTransparentBlt;

// Reads the device colour count (and the palette) from a device context
// while the count is still 0; every port attach calls it.
void ReadDeviceColors(HDC dc);
// Frees the palette entries and sets the count back to 0.
void FreeDeviceColors();

// Deletes the grow icon that the first grow box made (ExitGraphics); the
// next grow box looks for it again.
void ReleaseGrowIcon();
