// The 32-bit top-down device-independent bitmap that pixel work of ours
// draws into: its header, filled in one place, and its DIB section.
#pragma once

#include "platform/gdi/WinGdi.h"

// width x height pixels of 32 bits (blue, green, red, unused), the first row
// at the top: the height is stored negated. No colour table.
inline BITMAPINFO TopDownBitmapInfo32(LONG width, LONG height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

// A DIB section of that form for `dc` (which may be null), its pixels at
// *bits; null, and *bits null, when it cannot be made.
inline HBITMAP CreateTopDownBitmap32(HDC dc, LONG width, LONG height, void** bits) {
  const BITMAPINFO info = TopDownBitmapInfo32(width, height);
  return CreateDIBSection(dc, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}
