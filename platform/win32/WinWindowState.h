// The window table's placement half: parent, where each window's client area
// lies and the frame around it, visibility, the stacking of top-level
// windows, the foreground and active window, and the screens with the system
// metrics. A window joins this table when it is first placed or related; a
// window of the table that has been destroyed counts as gone everywhere.
#pragma once

#include "platform/gdi/WinGdiTypes.h"

// ---- Win32 calls.
// The parent of a child window; null for a top-level window or a bad handle.
QV_PLATFORM_API HWND GetParent(HWND window);
// Makes `parent` (null: none, the window becomes top-level) the window's
// parent; answers the previous parent. A window cannot become its own
// ancestor.
QV_PLATFORM_API HWND SetParent(HWND window, HWND parent);

// The outer rectangle in screen coordinates: the client area grown by the
// frame widths.
QV_PLATFORM_API BOOL GetWindowRect(HWND window, RECT* rect);
// Maps points from one window's client coordinates to another's; null stands
// for the screen. Answers the horizontal offset in the low word and the
// vertical in the high word (0 also when both are 0; check GetLastError).
QV_PLATFORM_API int MapWindowPoints(HWND from, HWND to, POINT* points, UINT count);
QV_PLATFORM_API BOOL ClientToScreen(HWND window, POINT* point);
QV_PLATFORM_API BOOL ScreenToClient(HWND window, POINT* point);

constexpr int SW_HIDE = 0;
constexpr int SW_SHOW = 5;
// Answers whether the window was visible before.
QV_PLATFORM_API BOOL ShowWindow(HWND window, int command);
// Visible when the window and all its ancestors are shown.
QV_PLATFORM_API BOOL IsWindowVisible(HWND window);

// Top-level windows are stacked; the one brought to the top last is first.
// GetTopWindow(null) answers the top-level window at the top; for a parent,
// the child brought to the top last. Null when there is none.
QV_PLATFORM_API HWND GetTopWindow(HWND parent);
QV_PLATFORM_API BOOL BringWindowToTop(HWND window);

// The foreground window (brought to the top and activated as well) and the
// active window, a top-level one.
QV_PLATFORM_API HWND GetForegroundWindow();
QV_PLATFORM_API BOOL SetForegroundWindow(HWND window);
QV_PLATFORM_API HWND GetActiveWindow();
// Answers the previously active window. The one losing activation gets
// WM_ACTIVATE (WA_INACTIVE, lParam the new one), the new one WM_ACTIVATE
// (WA_ACTIVE, lParam the old one); when the application goes from no active
// window to one, or back, the window gets WM_ACTIVATEAPP (TRUE or FALSE)
// first. A child window activates its top-level ancestor.
QV_PLATFORM_API HWND SetActiveWindow(HWND window);

// The keyboard focus: the window losing it gets WM_KILLFOCUS (wParam the new
// one), the one taking it WM_SETFOCUS (wParam the old one). A disabled or
// hidden window cannot take it. Answers the previous focus window.
QV_PLATFORM_API HWND SetFocus(HWND window);
QV_PLATFORM_API HWND GetFocus();
// The mouse capture: mouse messages go to this window wherever the cursor
// is. The window losing it gets WM_CAPTURECHANGED.
QV_PLATFORM_API HWND SetCapture(HWND window);
QV_PLATFORM_API HWND GetCapture();
QV_PLATFORM_API BOOL ReleaseCapture();

// System metrics of the screens and the window frames.
constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;
constexpr int SM_CXVSCROLL = 2;
constexpr int SM_CYCAPTION = 4;
constexpr int SM_CXBORDER = 5;
constexpr int SM_CYBORDER = 6;
constexpr int SM_CXHTHUMB = 10;
constexpr int SM_CYMENU = 15;
constexpr int SM_CXHSCROLL = 21;
constexpr int SM_CXMENUCHECK = 71;
constexpr int SM_CMONITORS = 80;
// The main screen's width and height; the menu bar 19 and the caption 18
// pixels high; 1-pixel borders; scroll bars, their arrows and thumbs 16;
// menu check marks 13;
// 0 for a metric not listed.
QV_PLATFORM_API int GetSystemMetrics(int index);

// ---- Set by the stand-in host and by tests.
// Where the window's client area lies: its top-left corner in the parent's
// client coordinates (screen coordinates for a top-level window), held
// within 2^28 pixels of (0, 0).
QV_PLATFORM_API BOOL SetHeadlessWindowOrigin(HWND window, LONG x, LONG y);
// The widths of the frame around the client area on each side, 0 to 16384.
QV_PLATFORM_API BOOL SetHeadlessWindowFrame(HWND window, LONG left, LONG top, LONG right,
                                            LONG bottom);

// The screens, the main screen first, in screen coordinates; at most 16.
// Without a call: one screen of 1024 x 768 at (0, 0). A count of 0 or a
// screen without area is refused.
QV_PLATFORM_API BOOL SetHeadlessScreens(const RECT* screens, int count);
// Copies up to `capacity` screens; answers how many there are.
QV_PLATFORM_API int GetHeadlessScreens(RECT* screens, int capacity);

// Puts every window back at the top level at (0, 0) without frame, shown,
// forgets the foreground, active, focus and capture windows, and puts the
// single default screen back.
QV_PLATFORM_API void ResetHeadlessWindowState();
