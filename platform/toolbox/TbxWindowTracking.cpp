// Tracking of window parts and the menu bar, and the update bracket.
#include "platform/toolbox/TbxWindowTracking.h"

#include <algorithm>
#include <map>
#include <mutex>

#include "platform/toolbox/TbxRegions.h"
#include "platform/win32/WinInput.h"
#include "platform/win32/WinPaint.h"
#include "platform/win32/WinWindows.h"

namespace Tbx {

namespace {

// A scripted button comes up by itself when the script runs out; without a
// script a button held down would hold a loop for ever, so the polls are
// bounded.
constexpr int32_t kMaxPolls = 1 << 20;

// Polls until the left button is up; the last cursor position.
POINT TrackUntilUp(Point start) {
  POINT cursor{start.h, start.v};
  for (int32_t polls = 0; polls < kMaxPolls; ++polls) {
    const bool down = GetAsyncKeyState(VK_LBUTTON) < 0;
    GetCursorPos(&cursor);
    if (!down) break;
  }
  return cursor;
}

Point ToPoint(const POINT& p) {
  return Point{static_cast<int16_t>(std::clamp<LONG>(p.y, -32768, 32767)),
               static_cast<int16_t>(std::clamp<LONG>(p.x, -32768, 32767))};
}

bool TrackPart(WindowRef window, Point start, int16_t part) {
  if (GetNativeWindow(window) == nullptr) return false;
  const POINT last = TrackUntilUp(start);
  WindowRef under = nullptr;
  return FindWindow(ToPoint(last), &under) == part && under == window;
}

std::mutex gUpdateMutex;
std::map<WindowRef, RgnHandle> gSavedClips;

}  // namespace

int32_t MenuSelect(Point start) {
  TrackUntilUp(start);
  return 0;
}

void HiliteMenu(int16_t) {}

bool TrackGoAway(WindowRef window, Point start) { return TrackPart(window, start, inGoAway); }

bool TrackBox(WindowRef window, Point start, int16_t part) {
  if (part != inZoomIn && part != inZoomOut) return false;
  return TrackPart(window, start, part);
}

int32_t GrowWindow(WindowRef window, Point start, const Rect* limits) {
  int32_t width = 0, height = 0;
  if (limits == nullptr || !GetWindowBounds(window, nullptr, nullptr, &width, &height)) return 0;
  const POINT last = TrackUntilUp(start);
  const int32_t lowW = std::max<int32_t>(limits->left, 0), highW = std::max<int32_t>(limits->right, lowW);
  const int32_t lowH = std::max<int32_t>(limits->top, 0), highH = std::max<int32_t>(limits->bottom, lowH);
  const int32_t newW = std::clamp<int32_t>(width + (last.x - start.h), lowW, std::min(highW, 0x7FFF));
  const int32_t newH = std::clamp<int32_t>(height + (last.y - start.v), lowH, std::min(highH, 0x7FFF));
  if (newW == width && newH == height) return 0;
  return static_cast<int32_t>((static_cast<uint32_t>(newH) << 16) | static_cast<uint32_t>(newW));
}

void BeginUpdate(WindowRef window) {
  HWND native = GetNativeWindow(window);
  if (native == nullptr) return;
  RECT update{0, 0, 0, 0};
  GetUpdateRect(native, &update, FALSE_);
  CGrafPtr port = GetWindowPort(window);
  RgnHandle saved = NewRgn();
  GetPortClipRegion(port, saved);
  RgnHandle limit = NewRgn();
  SetRectRgn(limit, static_cast<int16_t>(update.left), static_cast<int16_t>(update.top),
             static_cast<int16_t>(update.right), static_cast<int16_t>(update.bottom));
  RgnHandle clip = NewRgn();
  SectRgn(saved, limit, clip);
  SetPortClipRegion(port, clip);
  DisposeRgn(limit);
  DisposeRgn(clip);
  ValidateRect(native, nullptr);
  std::lock_guard<std::mutex> lock(gUpdateMutex);
  auto [it, added] = gSavedClips.emplace(window, saved);
  if (!added) DisposeRgn(saved);  // nested: the outer bracket's clip stays the one to restore
}

void EndUpdate(WindowRef window) {
  RgnHandle saved = 0;
  {
    std::lock_guard<std::mutex> lock(gUpdateMutex);
    auto it = gSavedClips.find(window);
    if (it == gSavedClips.end()) return;
    saved = it->second;
    gSavedClips.erase(it);
  }
  if (GetNativeWindow(window) != nullptr) SetPortClipRegion(GetWindowPort(window), saved);
  DisposeRgn(saved);
}

}  // namespace Tbx
