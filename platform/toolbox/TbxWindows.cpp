// The Toolbox window table over the headless windows of the Win32 stand-in.
#include "platform/toolbox/TbxWindows.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "platform/win32/WinWindows.h"

namespace Tbx {

namespace {

struct Window {
  int32_t left = 0;
  int32_t top = 0;
  int32_t width = 0;
  int32_t height = 0;
  uint8_t title[256] = {0};
  bool visible = false;
  HWND native = nullptr;
};

std::mutex gMutex;
std::unordered_map<WindowRef, Window> gWindows;
// Front to back.
std::vector<WindowRef> gOrder;
WindowRef gNext = 0x100;

Window* Find(WindowRef window) {
  auto it = gWindows.find(window);
  return it != gWindows.end() ? &it->second : nullptr;
}

void ToFront(WindowRef window) {
  gOrder.erase(std::remove(gOrder.begin(), gOrder.end(), window), gOrder.end());
  gOrder.insert(gOrder.begin(), window);
}

}  // namespace

WindowRef NewHeadlessWindow(int32_t left, int32_t top, int32_t width, int32_t height, const uint8_t* title) {
  const HWND native = CreateHeadlessWindow(width, height);
  if (native == nullptr) return 0;
  std::lock_guard<std::mutex> lock(gMutex);
  const WindowRef ref = gNext++;
  Window& w = gWindows[ref];
  w.left = left;
  w.top = top;
  w.width = width;
  w.height = height;
  w.native = native;
  if (title != nullptr) std::memcpy(w.title, title, 1 + title[0]);
  gOrder.push_back(ref);
  return ref;
}

void DisposeWindow(WindowRef window) {
  HWND native = nullptr;
  {
    std::lock_guard<std::mutex> lock(gMutex);
    Window* w = Find(window);
    if (w == nullptr) return;
    native = w->native;
    gWindows.erase(window);
    gOrder.erase(std::remove(gOrder.begin(), gOrder.end(), window), gOrder.end());
  }
  DestroyWindow(native);
}

HWND GetNativeWindow(WindowRef window) {
  std::lock_guard<std::mutex> lock(gMutex);
  const Window* w = Find(window);
  return w != nullptr ? w->native : nullptr;
}

void ShowWindow(WindowRef window) {
  std::lock_guard<std::mutex> lock(gMutex);
  if (Window* w = Find(window)) w->visible = true;
}

void HideWindow(WindowRef window) {
  std::lock_guard<std::mutex> lock(gMutex);
  if (Window* w = Find(window)) w->visible = false;
}

void SelectWindow(WindowRef window) {
  std::lock_guard<std::mutex> lock(gMutex);
  if (Find(window) != nullptr) ToFront(window);
}

void MoveWindow(WindowRef window, int32_t left, int32_t top, bool front) {
  std::lock_guard<std::mutex> lock(gMutex);
  Window* w = Find(window);
  if (w == nullptr) return;
  w->left = left;
  w->top = top;
  if (front) ToFront(window);
}

void SizeWindow(WindowRef window, int32_t width, int32_t height, bool) {
  std::lock_guard<std::mutex> lock(gMutex);
  Window* w = Find(window);
  if (w == nullptr || width <= 0 || height <= 0) return;
  w->width = width;
  w->height = height;
}

void SetWTitle(WindowRef window, const uint8_t* title) {
  std::lock_guard<std::mutex> lock(gMutex);
  Window* w = Find(window);
  if (w == nullptr) return;
  w->title[0] = 0;
  if (title != nullptr) std::memcpy(w->title, title, 1 + title[0]);
}

bool GetWindowBounds(WindowRef window, int32_t* left, int32_t* top, int32_t* width, int32_t* height) {
  std::lock_guard<std::mutex> lock(gMutex);
  const Window* w = Find(window);
  if (left != nullptr) *left = w != nullptr ? w->left : 0;
  if (top != nullptr) *top = w != nullptr ? w->top : 0;
  if (width != nullptr) *width = w != nullptr ? w->width : 0;
  if (height != nullptr) *height = w != nullptr ? w->height : 0;
  return w != nullptr;
}

void GetWTitle(WindowRef window, uint8_t* title) {
  if (title == nullptr) return;
  std::lock_guard<std::mutex> lock(gMutex);
  const Window* w = Find(window);
  title[0] = 0;
  if (w != nullptr) std::memcpy(title, w->title, 1 + w->title[0]);
}

bool IsWindowVisible(WindowRef window) {
  std::lock_guard<std::mutex> lock(gMutex);
  const Window* w = Find(window);
  return w != nullptr && w->visible;
}

WindowRef FrontWindow() {
  std::lock_guard<std::mutex> lock(gMutex);
  for (WindowRef ref : gOrder) {
    const Window* w = Find(ref);
    if (w != nullptr && w->visible) return ref;
  }
  return 0;
}

}  // namespace Tbx
