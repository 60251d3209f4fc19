// The Toolbox emulation library's windows: 32-bit window references over
// the headless window table. A window has a structure rectangle on the
// screen, a title, a visibility and a place in the front-to-back order; its
// native window is a headless window of the size it had when made.
#pragma once

#include <cstdint>

#include "platform/Export.h"
#include "platform/gdi/WinGdiTypes.h"

namespace Tbx {

using WindowRef = uint32_t;  // 0 for no window

// A new window, hidden, at (left, top) with the size, and a length-byte
// title (null for none); 0 when the size is not positive or too large.
QV_PLATFORM_API WindowRef NewHeadlessWindow(int32_t left, int32_t top, int32_t width, int32_t height,
                                            const uint8_t* title);
QV_PLATFORM_API void DisposeWindow(WindowRef window);

// The native window of a window; null when there is none.
QV_PLATFORM_API HWND GetNativeWindow(WindowRef window);
QV_PLATFORM_API void ShowWindow(WindowRef window);
QV_PLATFORM_API void HideWindow(WindowRef window);
// Brings the window to the front of the order.
QV_PLATFORM_API void SelectWindow(WindowRef window);
// Moves the window's top left corner; `front` also selects it.
QV_PLATFORM_API void MoveWindow(WindowRef window, int32_t left, int32_t top, bool front);
// A size that is not positive leaves the window as it was.
QV_PLATFORM_API void SizeWindow(WindowRef window, int32_t width, int32_t height, bool update);
// A length-byte title of up to 255 characters.
QV_PLATFORM_API void SetWTitle(WindowRef window, const uint8_t* title);

// Queries: false (and zeros, an empty title) for no window.
QV_PLATFORM_API bool GetWindowBounds(WindowRef window, int32_t* left, int32_t* top, int32_t* width,
                                     int32_t* height);
QV_PLATFORM_API void GetWTitle(WindowRef window, uint8_t* title);
QV_PLATFORM_API bool IsWindowVisible(WindowRef window);
// The visible window in front, or 0.
QV_PLATFORM_API WindowRef FrontWindow();

}  // namespace Tbx
