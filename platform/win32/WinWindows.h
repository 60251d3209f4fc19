// The window table: headless windows in a tree (parent, children in stacking
// order), each with a client area on the one screen of pixels, a frame, a
// style, a text, visibility, enabling, a window procedure and two
// pointer-sized longs. The placement calls are in WinWindowState.h, the
// messages in WinMessages.h, painting and update regions in WinPaint.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/gdi/WinGdiTypes.h"

using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;
using LONG_PTR = intptr_t;
using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);

// A top-level window whose client area is width x height pixels, shown at
// (0, 0) on top of the others; its client area is cleared to white and
// becomes its update region. Null when the size is not positive or larger
// than 16384 a side.
QV_PLATFORM_API HWND CreateHeadlessWindow(LONG width, LONG height);
// Destroys the window with its descendants: WM_DESTROY goes to the window,
// then to its descendants (parents first), WM_NCDESTROY the other way round;
// the capture, focus and activation they hold are given up, their queued
// messages dropped and what they hid uncovered. A call for a window already
// being destroyed (from its own procedure) answers TRUE and does nothing
// more.
QV_PLATFORM_API BOOL DestroyWindow(HWND window);
QV_PLATFORM_API BOOL IsWindow(HWND window);
QV_PLATFORM_API BOOL GetClientRect(HWND window, RECT* rect);

// Moves the window (frame included) to (x, y) in its parent's client
// coordinates and sizes it; a negative size counts as 0. What the move
// uncovers joins update regions; with `repaint` the window's new area is
// invalidated whole.
QV_PLATFORM_API BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint);

// Related windows.
constexpr UINT GW_HWNDFIRST = 0;
constexpr UINT GW_HWNDLAST = 1;
constexpr UINT GW_HWNDNEXT = 2;
constexpr UINT GW_HWNDPREV = 3;
constexpr UINT GW_CHILD = 5;
QV_PLATFORM_API HWND GetWindow(HWND window, UINT relation);
QV_PLATFORM_API BOOL IsChild(HWND parent, HWND window);
// The child of `parent` (client coordinates) whose window rectangle holds the
// point, the topmost shown one; the parent itself when none; null outside.
QV_PLATFORM_API HWND ChildWindowFromPoint(HWND parent, POINT point);
// The deepest shown window under a screen point; null over the desktop.
QV_PLATFORM_API HWND WindowFromPoint(POINT point);

// Style, text and enabling.
constexpr LONG WS_CHILD = 0x40000000;
constexpr LONG WS_VISIBLE = 0x10000000;
constexpr LONG WS_DISABLED = 0x08000000;
constexpr LONG WS_CAPTION = 0x00C00000;
constexpr LONG WS_SYSMENU = 0x00080000;
constexpr LONG WS_THICKFRAME = 0x00040000;
constexpr int GWL_WNDPROC = -4;
constexpr int GWL_ID = -12;
constexpr int GWL_STYLE = -16;
constexpr int GWL_EXSTYLE = -20;
constexpr int GWL_USERDATA = -21;
// The values of the indexes above; 0 with ERROR_INVALID_PARAMETER for any
// other index. Setting answers the previous value. Setting GWL_STYLE changes
// only the style word (showing and enabling have their own calls).
QV_PLATFORM_API LONG_PTR GetWindowLongPtrA(HWND window, int index);
QV_PLATFORM_API LONG_PTR SetWindowLongPtrA(HWND window, int index, LONG_PTR value);
QV_PLATFORM_API LONG GetWindowLongA(HWND window, int index);
QV_PLATFORM_API LONG SetWindowLongA(HWND window, int index, LONG value);
// The text, cut to capacity - 1 bytes and terminated; answers the bytes copied.
QV_PLATFORM_API int GetWindowTextA(HWND window, char* text, int capacity);
QV_PLATFORM_API int GetWindowTextLengthA(HWND window);
QV_PLATFORM_API BOOL SetWindowTextA(HWND window, const char* text);
// Answers whether the window was disabled before. Disabling the focus
// window takes the focus away; the window gets WM_ENABLE.
QV_PLATFORM_API BOOL EnableWindow(HWND window, BOOL enable);
QV_PLATFORM_API BOOL IsWindowEnabled(HWND window);

// For the platform library's own code (GDI), not exported: where a window's
// client area lies on the screen and which of its pixels show.
struct WinClientView {
  POINT origin{0, 0};  // screen coordinates of the client area's top-left
  LONG width = 0;
  LONG height = 0;
};
// False for a handle that names no live window. `visible` (may be null)
// receives the shown part of the client area in client coordinates: a
// GdiRegion, declared opaquely here.
class GdiRegion;
bool WinGetClientView(HWND window, WinClientView* view, GdiRegion* visible);
// Counts the changes of placement, stacking and visibility of any window
// (and every creation and destruction): a view taken at one count holds
// while the count stays.
uint64_t WinPlacementGeneration();
