// What the platform library's own code (GDI) reads of a window: its client
// area pixels. Internal to platform/.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/win32/WinWindows.h"

struct WinClientPixels {
  int32_t width = 0;
  int32_t height = 0;
  ptrdiff_t stride = 0;            // bytes between rows, top row first
  uint8_t* bits = nullptr;         // 32-bit pixels B G R X
  std::shared_ptr<void> storage;   // keeps the pixels alive while a DC uses them
};

// The client area of a live window; false for anything else.
bool WinGetClientPixels(HWND window, WinClientPixels* pixels);
