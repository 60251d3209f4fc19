// Placement, relations, stacking, foreground and active window of the headless
// windows, and the virtual screens.
#include "platform/win32/WinWindowState.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <vector>

#include "platform/win32/WinWindows.h"

namespace {

constexpr int kMaxScreens = 16;
constexpr int kMenuBarHeight = 19;
constexpr int kCaptionHeight = 18;
// A chain of parents longer than this is taken as a cycle.
constexpr int kMaxDepth = 256;

struct Place {
  uintptr_t parent = 0;
  POINT origin{0, 0};
  RECT frame{0, 0, 0, 0};
  bool shown = true;
};

struct WindowState {
  std::map<uintptr_t, Place> places;
  // Stacking order, the top first.
  std::vector<uintptr_t> stack;
  uintptr_t foreground = 0;
  uintptr_t active = 0;
  std::vector<RECT> screens{RECT{0, 0, 1024, 768}};
};

std::recursive_mutex gStateMutex;
WindowState gState;

uintptr_t Key(HWND window) { return reinterpret_cast<uintptr_t>(window); }
HWND Handle(uintptr_t key) { return reinterpret_cast<HWND>(key); }

bool Alive(uintptr_t key) { return key != 0 && IsWindow(Handle(key)); }

// The window's entry, made (at the bottom of the stack) when it is first
// met; null for a handle that names no window.
Place* Enter(HWND window) {
  uintptr_t key = Key(window);
  if (!Alive(key)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  auto [it, added] = gState.places.try_emplace(key);
  if (added) gState.stack.push_back(key);
  return &it->second;
}

// The live parent, or 0.
uintptr_t ParentOf(uintptr_t key) {
  auto it = gState.places.find(key);
  if (it == gState.places.end()) return 0;
  return Alive(it->second.parent) ? it->second.parent : 0;
}

// The client area's top-left corner in screen coordinates.
POINT ScreenOrigin(uintptr_t key) {
  POINT p{0, 0};
  for (int depth = 0; key != 0 && depth < kMaxDepth; ++depth) {
    auto it = gState.places.find(key);
    if (it == gState.places.end()) break;
    p.x += it->second.origin.x;
    p.y += it->second.origin.y;
    key = ParentOf(key);
  }
  return p;
}

void ToTop(uintptr_t key) {
  auto& stack = gState.stack;
  stack.erase(std::remove(stack.begin(), stack.end(), key), stack.end());
  stack.insert(stack.begin(), key);
}

bool ValidScreen(const RECT& r) { return r.right > r.left && r.bottom > r.top; }

}  // namespace

HWND GetParent(HWND window) {
  std::lock_guard<std::recursive_mutex> lock(gStateMutex);
  if (!Alive(Key(window))) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return Handle(ParentOf(Key(window)));
}

HWND SetParent(HWND window, HWND parent) {
  std::lock_guard<std::recursive_mutex> lock(gStateMutex);
  Place* place = Enter(window);
  if (place == nullptr) return nullptr;
  if (parent != nullptr) {
    if (Enter(parent) == nullptr) return nullptr;
    // Refuse a cycle: the window may not be an ancestor of its new parent.
    uintptr_t up = Key(parent);
    for (int depth = 0; up != 0 && depth < kMaxDepth; ++depth) {
      if (up == Key(window)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
      }
      up = ParentOf(up);
    }
    place = &gState.places[Key(window)];
  }
  uintptr_t previous = ParentOf(Key(window));
  place->parent = Key(parent);
  return Handle(previous);
}

BOOL GetWindowRect(HWND window, RECT* rect) {
  std::lock_guard<std::recursive_mutex> lock(gStateMutex);
  RECT client;
  if (rect == nullptr || !GetClientRect(window, &client)) {
    if (rect == nullptr) SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE_;
  }
  Place* place = Enter(window);
  if (place == nullptr) return FALSE_;
  POINT origin = ScreenOrigin(Key(window));
  rect->left = origin.x - place->frame.left;
  rect->top = origin.y - place->frame.top;
  rect->right = origin.x + client.right + place->frame.right;
  rect->bottom = origin.y + client.bottom + place->frame.bottom;
  return TRUE_;
}

int MapWindowPoints(HWND from, HWND to, POINT* points, UINT count) {
  std::lock_guard<std::recursive_mutex> lock(gStateMutex);
  if ((from != nullptr && !Alive(Key(from))) || (to != nullptr && !Alive(Key(to)))) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  POINT a = from != nullptr ? ScreenOrigin(Key(from)) : POINT{0, 0};
  POINT b = to != nullptr ? ScreenOrigin(Key(to)) : POINT{0, 0};
  const LONG dx = a.x - b.x;
  const LONG dy = a.y - b.y;
  if (points != nullptr) {
    for (UINT i = 0; i < count; ++i) {
      points[i].x += dx;
      points[i].y += dy;
    }
  }
  SetLastError(ERROR_SUCCESS);
  return static_cast<int>((static_cast<uint32_t>(dx) & 0xFFFF) |
                          ((static_cast<uint32_t>(dy) & 0xFFFF) << 16));
}

BOOL ClientToScreen(HWND window, POINT* point) {
  if (point == nullptr || window == nullptr) return FALSE_;
  std::lock_guard<std::recursive_mutex> lock(gStateMutex);
  if (!Alive(Key(window))) return FALSE_;
  MapWindowPoints(window, nullptr, point, 1);
  return TRUE_;
}

BOOL ScreenToClient(HWND window, POINT* point) {
  if (point == nullptr || window == nullptr) return FALSE_;
  std::lock_guard<std::recursive_mutex> lock(gStateMutex);
  if (!Alive(Key(window))) return FALSE_;
  MapWindowPoints(nullptr, window, point, 1);
  return TRUE_;
}

BOOL ShowWindow(HWND window, int command) {
  std::lock_guard<std::recursive_mutex> lock(gStateMutex);
  Place* place = Enter(window);
  if (place == nullptr) return FALSE_;
  const bool was = place->shown;
  place->shown = command != SW_HIDE;
  return was ? TRUE_ : FALSE_;
}

BOOL IsWindowVisible(HWND window) {
  std::lock_guard<std::recursive_mutex> lock(gStateMutex);
  uintptr_t key = Key(window);
  if (!Alive(key)) return FALSE_;
  for (int depth = 0; key != 0 && depth < kMaxDepth; ++depth) {
    auto it = gState.places.find(key);
    if (it != gState.places.end() && !it->second.shown) return FALSE_;
    key = ParentOf(key);
  }
  return TRUE_;
}

HWND GetTopWindow(HWND parent) {
  std::lock_guard<std::recursive_mutex> lock(gStateMutex);
  if (parent != nullptr && !Alive(Key(parent))) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  for (uintptr_t key : gState.stack) {
    if (Alive(key) && ParentOf(key) == Key(parent)) return Handle(key);
  }
  return nullptr;
}

BOOL BringWindowToTop(HWND window) {
  std::lock_guard<std::recursive_mutex> lock(gStateMutex);
  if (Enter(window) == nullptr) return FALSE_;
  ToTop(Key(window));
  return TRUE_;
}

HWND GetForegroundWindow() {
  std::lock_guard<std::recursive_mutex> lock(gStateMutex);
  return Alive(gState.foreground) ? Handle(gState.foreground) : nullptr;
}

BOOL SetForegroundWindow(HWND window) {
  std::lock_guard<std::recursive_mutex> lock(gStateMutex);
  if (Enter(window) == nullptr) return FALSE_;
  gState.foreground = Key(window);
  ToTop(Key(window));
  return TRUE_;
}

HWND GetActiveWindow() {
  std::lock_guard<std::recursive_mutex> lock(gStateMutex);
  return Alive(gState.active) ? Handle(gState.active) : nullptr;
}

HWND SetActiveWindow(HWND window) {
  std::lock_guard<std::recursive_mutex> lock(gStateMutex);
  if (window != nullptr && Enter(window) == nullptr) return nullptr;
  uintptr_t previous = Alive(gState.active) ? gState.active : 0;
  gState.active = Key(window);
  return Handle(previous);
}

int GetSystemMetrics(int index) {
  std::lock_guard<std::recursive_mutex> lock(gStateMutex);
  const RECT& main = gState.screens.front();
  switch (index) {
    case SM_CXSCREEN:
      return main.right - main.left;
    case SM_CYSCREEN:
      return main.bottom - main.top;
    case SM_CYCAPTION:
      return kCaptionHeight;
    case SM_CXBORDER:
    case SM_CYBORDER:
      return 1;
    case SM_CYMENU:
      return kMenuBarHeight;
    case SM_CMONITORS:
      return static_cast<int>(gState.screens.size());
    default:
      return 0;
  }
}

BOOL SetHeadlessWindowOrigin(HWND window, LONG x, LONG y) {
  std::lock_guard<std::recursive_mutex> lock(gStateMutex);
  Place* place = Enter(window);
  if (place == nullptr) return FALSE_;
  place->origin = POINT{x, y};
  return TRUE_;
}

BOOL SetHeadlessWindowFrame(HWND window, LONG left, LONG top, LONG right, LONG bottom) {
  if (left < 0 || top < 0 || right < 0 || bottom < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE_;
  }
  std::lock_guard<std::recursive_mutex> lock(gStateMutex);
  Place* place = Enter(window);
  if (place == nullptr) return FALSE_;
  place->frame = RECT{left, top, right, bottom};
  return TRUE_;
}

BOOL SetHeadlessScreens(const RECT* screens, int count) {
  if (screens == nullptr || count < 1 || count > kMaxScreens) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE_;
  }
  for (int i = 0; i < count; ++i) {
    if (!ValidScreen(screens[i])) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE_;
    }
  }
  std::lock_guard<std::recursive_mutex> lock(gStateMutex);
  gState.screens.assign(screens, screens + count);
  return TRUE_;
}

int GetHeadlessScreens(RECT* screens, int capacity) {
  std::lock_guard<std::recursive_mutex> lock(gStateMutex);
  const int count = static_cast<int>(gState.screens.size());
  if (screens != nullptr) {
    for (int i = 0; i < count && i < capacity; ++i) screens[i] = gState.screens[i];
  }
  return count;
}

void ResetHeadlessWindowState() {
  std::lock_guard<std::recursive_mutex> lock(gStateMutex);
  gState = WindowState{};
}
