// Update regions of the headless windows and painting: what is marked
// invalid waits for WM_PAINT; BeginPaint hands out a DC clipped to it and
// marks it valid. Snapshots of a window or the screen as PNG files.
#pragma once

#include "platform/gdi/WinGdiTypes.h"
#include "platform/win32/WinWindows.h"

// A rectangle or region in client coordinates joins (Invalidate) or leaves
// (Validate) the update region; null stands for the whole client area.
// Nothing is erased. A rectangle whose right or bottom edge lies before its
// left or top edge is empty and changes nothing. FALSE for a dead window,
// a null window or a bad region handle.
QV_PLATFORM_API BOOL InvalidateRect(HWND window, const RECT* rect, BOOL erase);
QV_PLATFORM_API BOOL ValidateRect(HWND window, const RECT* rect);
QV_PLATFORM_API BOOL InvalidateRgn(HWND window, HRGN region, BOOL erase);
QV_PLATFORM_API BOOL ValidateRgn(HWND window, HRGN region);
// Copies the update region into `region`; answers its complexity
// (NULLREGION, SIMPLEREGION, COMPLEXREGION) or ERROR.
QV_PLATFORM_API int GetUpdateRgn(HWND window, HRGN region, BOOL erase);
// The update region's bounding box; answers whether it is not empty.
QV_PLATFORM_API BOOL GetUpdateRect(HWND window, RECT* rect, BOOL erase);
// Sends WM_PAINT at once when the update region is not empty.
QV_PLATFORM_API BOOL UpdateWindow(HWND window);

struct PAINTSTRUCT {
  HDC hdc;
  BOOL fErase;
  RECT rcPaint;
  BOOL fRestore;
  BOOL fIncUpdate;
  BYTE rgbReserved[32];
};
// A DC of the window clipped to its update region, which becomes valid.
QV_PLATFORM_API HDC BeginPaint(HWND window, PAINTSTRUCT* paint);
QV_PLATFORM_API BOOL EndPaint(HWND window, const PAINTSTRUCT* paint);

// Writes what the screen shows of the window's client area (null: the whole
// screen) as an RGB PNG file.
QV_PLATFORM_API BOOL WriteHeadlessWindowPng(HWND window, const char* path);
