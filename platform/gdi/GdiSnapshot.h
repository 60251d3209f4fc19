// PNG snapshots of what a DC or a bitmap shows, for tests and the stand-in
// host, and PNG files read back as bitmaps.
#pragma once

#include "platform/gdi/WinGdiTypes.h"

// Writes the DC's pixels (a window's client area, a memory DC's bitmap, a
// printed page) as an 8-bit RGB PNG file. FALSE when the DC has no pixels or
// the file cannot be written.
QV_PLATFORM_API BOOL GdiWritePng(HDC dc, const char* path);
QV_PLATFORM_API BOOL GdiWriteBitmapPng(HBITMAP bitmap, const char* path);
// A 32-bit top-down DIB section holding a PNG file's pixels (alpha dropped);
// null when the file is missing or not a PNG.
QV_PLATFORM_API HBITMAP GdiReadPng(const char* path);
