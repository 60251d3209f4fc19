// Update regions, WM_PAINT and the window snapshots.
#include "platform/win32/WinPaint.h"

#include <cstring>

#include "platform/gdi/GdiInternal.h"
#include "platform/gdi/GdiSnapshot.h"
#include "platform/win32/WinMessages.h"
#include "platform/win32/WinWindowTable.h"

namespace {

// The client-area region a call names: the whole area for null, the empty
// region for an inverted rectangle.
GdiRegion FromRect(const WinWindowEntry& e, const RECT* rect) {
  if (rect == nullptr) return GdiRegion(RECT{0, 0, e.width, e.height});
  if (rect->right <= rect->left || rect->bottom <= rect->top) return GdiRegion();
  return GdiRegion(*rect);
}

BOOL Change(HWND window, const GdiRegion* region, const RECT* rect, bool add) {
  std::lock_guard<std::recursive_mutex> lock(WinTableLock());
  WinWindowEntry* e = window != nullptr ? WinEntry(window, true) : nullptr;
  if (e == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE_;
  }
  GdiRegion area = region != nullptr ? *region : FromRect(*e, rect);
  // Only what lies in the client area can be invalid.
  const GdiRegion client(RECT{0, 0, e->width, e->height});
  area = GdiRegion::Combine(area, client, RGN_AND);
  e->update = GdiRegion::Combine(e->update, area, add ? RGN_OR : RGN_DIFF);
  // What a window that has shrunk since lies outside it, and so nothing
  // can ever validate it, goes too.
  e->update = GdiRegion::Combine(e->update, client, RGN_AND);
  return TRUE_;
}

BOOL ChangeRgn(HWND window, HRGN handle, bool add) {
  if (handle == nullptr) return Change(window, nullptr, nullptr, add);
  GdiRegionObject* r = GdiRegionFromHandle(handle);
  if (r == nullptr) return FALSE_;
  GdiRegion copy = r->region;
  return Change(window, &copy, nullptr, add);
}

}  // namespace

BOOL InvalidateRect(HWND window, const RECT* rect, BOOL) {
  return Change(window, nullptr, rect, true);
}
BOOL ValidateRect(HWND window, const RECT* rect) { return Change(window, nullptr, rect, false); }
BOOL InvalidateRgn(HWND window, HRGN region, BOOL) { return ChangeRgn(window, region, true); }
BOOL ValidateRgn(HWND window, HRGN region) { return ChangeRgn(window, region, false); }

int GetUpdateRgn(HWND window, HRGN region, BOOL) {
  GdiRegionObject* r = GdiRegionFromHandle(region);
  if (r == nullptr) return ERROR;
  std::lock_guard<std::recursive_mutex> lock(WinTableLock());
  WinWindowEntry* e = WinEntry(window, true);
  if (e == nullptr) return ERROR;
  r->region = e->update;
  return r->region.Complexity();
}

BOOL GetUpdateRect(HWND window, RECT* rect, BOOL) {
  std::lock_guard<std::recursive_mutex> lock(WinTableLock());
  WinWindowEntry* e = WinEntry(window, true);
  if (e == nullptr) return FALSE_;
  if (rect != nullptr) *rect = e->update.Bounds();
  return e->update.IsEmpty() ? FALSE_ : TRUE_;
}

BOOL UpdateWindow(HWND window) {
  if (!IsWindow(window)) return FALSE_;
  if (GetUpdateRect(window, nullptr, FALSE_)) SendMessageA(window, WM_PAINT, 0, 0);
  return TRUE_;
}

HDC BeginPaint(HWND window, PAINTSTRUCT* paint) {
  if (paint == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  GdiRegion update;
  {
    std::lock_guard<std::recursive_mutex> lock(WinTableLock());
    WinWindowEntry* e = WinEntry(window, true);
    if (e == nullptr) return nullptr;
    update = e->update;
    e->update = GdiRegion();
  }
  HDC dc = GetDC(window);
  if (dc == nullptr) return nullptr;
  HRGN clip = CreateRectRgn(0, 0, 0, 0);
  if (GdiRegionObject* r = GdiRegionFromHandle(clip)) r->region = update;
  SelectClipRgn(dc, clip);
  DeleteObject(clip);
  std::memset(paint, 0, sizeof *paint);
  paint->hdc = dc;
  paint->rcPaint = update.Bounds();
  return dc;
}

BOOL EndPaint(HWND window, const PAINTSTRUCT* paint) {
  if (paint == nullptr) return FALSE_;
  return ReleaseDC(window, paint->hdc) == 1 ? TRUE_ : FALSE_;
}

BOOL WriteHeadlessWindowPng(HWND window, const char* path) {
  if (window != nullptr && !IsWindow(window)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE_;
  }
  HDC dc = GetDC(window);
  if (dc == nullptr) return FALSE_;
  BOOL ok = GdiWritePng(dc, path);
  ReleaseDC(window, dc);
  return ok;
}
