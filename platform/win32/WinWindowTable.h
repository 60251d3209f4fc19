// The one window table behind the window, message and painting calls:
// internal to the platform library. Every entry is a window with its place
// in the tree (parent, children in stacking order), its client area and
// frame, its attributes and its update region. Callers hold WinTableLock()
// while they read or change entries, and never while a window procedure
// runs.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/gdi/GdiRegion.h"
#include "platform/win32/WinWindows.h"

struct WinWindowEntry {
  uintptr_t parent = 0;
  std::vector<uintptr_t> children;  // the top of the stacking order first
  POINT origin{0, 0};               // client area in the parent's client coordinates
  LONG width = 0;
  LONG height = 0;
  RECT frame{0, 0, 0, 0};  // frame widths: left, top, right, bottom
  bool shown = true;
  bool enabled = true;
  bool destroying = false;  // DestroyWindow has begun
  LONG style = 0;
  LONG exStyle = 0;
  LONG_PTR id = 0;
  LONG_PTR userData = 0;
  WNDPROC procedure = nullptr;
  std::string text;
  GdiRegion update;  // client coordinates
};

std::recursive_mutex& WinTableLock();
// The live entry of a handle; null (ERROR_INVALID_HANDLE set) for anything
// else, including a window whose destruction has begun when `dying` is false.
WinWindowEntry* WinEntry(HWND window, bool dying = false);
WinWindowEntry* WinEntryOf(uintptr_t key);
// Every live window, in no particular order.
std::vector<uintptr_t> WinAllWindows();
inline uintptr_t WinKey(HWND window) { return reinterpret_cast<uintptr_t>(window); }
inline HWND WinHandle(uintptr_t key) { return reinterpret_cast<HWND>(key); }

// Screen coordinates of the client area's top-left corner.
POINT WinScreenOrigin(uintptr_t key);
// Shown, with every ancestor shown.
bool WinIsVisible(uintptr_t key);
// What of the window shows on the screen, in screen coordinates: the whole
// window with its frame, and the client area alone (children cut out).
GdiRegion WinVisibleFrame(uintptr_t key);
GdiRegion WinVisibleClient(uintptr_t key);

// Exposure: take the visible parts of every window before a change, then
// after it let the newly visible parts join the update regions (and be
// cleared on the screen). `moved` is a window whose subtree moved by
// `delta` and whose pixels move along.
struct WinExposure {
  std::map<uintptr_t, std::pair<GdiRegion, GdiRegion>> before;  // frame, client
  GdiRegion desktop;
};
WinExposure WinTakeExposure();
void WinApplyExposure(const WinExposure& before, uintptr_t moved = 0, POINT delta = {0, 0});

// Drops a destroyed window's queued messages.
void WinForgetInQueue(uintptr_t key);
