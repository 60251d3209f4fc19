// The window table: headless windows with a client area of 32-bit pixels.
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unordered_map>

#include "platform/win32/WinWindows.h"

namespace {

// The largest client area: 16384 pixels a side.
constexpr LONG kMaxClientSide = 16384;

struct Window {
  LONG width = 0;
  LONG height = 0;
  std::shared_ptr<void> pixels;
};

std::mutex gWindowsMutex;
std::unordered_map<uintptr_t, Window> gWindows;
uintptr_t gNextWindow = 0x10000;

}  // namespace

HWND CreateHeadlessWindow(LONG width, LONG height) {
  if (width <= 0 || height <= 0 || width > kMaxClientSide || height > kMaxClientSide) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  size_t bytes = static_cast<size_t>(width) * static_cast<size_t>(height) * 4;
  void* memory = std::malloc(bytes);
  if (!memory) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  std::memset(memory, 0xFF, bytes);  // a white client area
  for (size_t i = 3; i < bytes; i += 4) static_cast<uint8_t*>(memory)[i] = 0;
  std::lock_guard<std::mutex> lock(gWindowsMutex);
  uintptr_t id = gNextWindow;
  gNextWindow += 0x10;
  gWindows[id] = Window{width, height, std::shared_ptr<void>(memory, std::free)};
  return reinterpret_cast<HWND>(id);
}

BOOL DestroyWindow(HWND window) {
  std::lock_guard<std::mutex> lock(gWindowsMutex);
  if (gWindows.erase(reinterpret_cast<uintptr_t>(window)) == 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE_;
  }
  return TRUE_;
}

BOOL IsWindow(HWND window) {
  std::lock_guard<std::mutex> lock(gWindowsMutex);
  return gWindows.count(reinterpret_cast<uintptr_t>(window)) ? TRUE_ : FALSE_;
}

BOOL GetClientRect(HWND window, RECT* rect) {
  std::lock_guard<std::mutex> lock(gWindowsMutex);
  auto it = gWindows.find(reinterpret_cast<uintptr_t>(window));
  if (it == gWindows.end() || !rect) {
    SetLastError(it == gWindows.end() ? ERROR_INVALID_HANDLE : ERROR_INVALID_PARAMETER);
    return FALSE_;
  }
  *rect = {0, 0, it->second.width, it->second.height};
  return TRUE_;
}

bool WinGetClientPixels(HWND window, WinClientPixels* pixels) {
  std::lock_guard<std::mutex> lock(gWindowsMutex);
  auto it = gWindows.find(reinterpret_cast<uintptr_t>(window));
  if (it == gWindows.end()) return false;
  pixels->width = it->second.width;
  pixels->height = it->second.height;
  pixels->stride = ptrdiff_t{it->second.width} * 4;
  pixels->bits = static_cast<uint8_t*>(it->second.pixels.get());
  pixels->storage = it->second.pixels;
  return true;
}
