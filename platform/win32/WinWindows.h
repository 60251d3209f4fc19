// The window table: for now a window is a headless client area of 32-bit
// pixels that GDI draws into. The windows-and-messages stand-in grows from here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/gdi/WinGdiTypes.h"

// A top-level window whose client area is width x height pixels, white.
// Null when the size is not positive or too large.
QV_PLATFORM_API HWND CreateHeadlessWindow(LONG width, LONG height);
QV_PLATFORM_API BOOL DestroyWindow(HWND window);
QV_PLATFORM_API BOOL IsWindow(HWND window);
QV_PLATFORM_API BOOL GetClientRect(HWND window, RECT* rect);

// For the platform library's own code (GDI), not exported: a window's client
// area pixels, kept alive by `storage` while a DC draws on them.
struct WinClientPixels {
  int32_t width = 0;
  int32_t height = 0;
  ptrdiff_t stride = 0;            // bytes between rows, top row first
  uint8_t* bits = nullptr;         // 32-bit pixels B G R X
  std::shared_ptr<void> storage;
};
// The client area of a live window; false for anything else.
bool WinGetClientPixels(HWND window, WinClientPixels* pixels);
