// The Toolbox emulation's windows: each a record with a graphics port over
// a native window of the window table (a child of the host's main window
// when the main-window record names one). Global coordinates are screen
// coordinates; a port's local coordinates have (0, 0) at the top-left of
// the window's content, which is the native client area. Window records and
// ports are checked against the emulation's own lists: a disposed or forged
// one is refused (null, false or nothing done), never followed.
#pragma once

#include <cstdint>

#include "platform/Export.h"
#include "platform/gdi/WinGdiTypes.h"
#include "platform/toolbox/TbxEnvironment.h"
#include "platform/toolbox/TbxPorts.h"
#include "platform/toolbox/TbxRegions.h"

namespace Tbx {

// A graphics port: a window's or the desktop's.
struct GrafPort {
  HWND window;        // the native window; null for the desktop port
  Rect portRect;      // local: (0, 0) to the content's size; the screens' box for the desktop
  RgnHandle visRgn;   // what of the port shows, local, refreshed on request
  RgnHandle clipRgn;  // local; wide open until set
  HDC dc;             // made by GetPortHDC, released by EndPortDrawing
};

// The window record. The port comes first, so a window's port and its
// record have the same address.
struct WindowRecord {
  GrafPort port;
  int16_t procID;  // the window definition
  bool visible;
  bool hilited;              // the front, active window
  bool goAwayFlag;           // has a close box
  bool spareFlag;            // has a zoom box
  bool hasGrow;              // has a grow box
  WindowRecord* nextWindow;  // the window behind this one
  intptr_t refCon;           // the creator's reference; pointer-sized (it often is one)
  uint8_t title[256];        // length-prefixed
  bool zoomed;               // in its standard (zoomed) state
  Rect userState;            // the content (global) before the zoom
};
using WindowPtr = WindowRecord*;
using WindowRef = WindowRecord*;

// Definitions: 0 document, 1 dialog box, 2 plain box, 3 box with shadow,
// 4 document without grow box, 5 movable dialog box, 8 document with zoom
// and grow boxes, 12 document with zoom box, 720 floating window. Any other
// is refused.
constexpr int16_t documentProc = 0;
constexpr int16_t dBoxProc = 1;
constexpr int16_t plainDBox = 2;
constexpr int16_t altDBoxProc = 3;
constexpr int16_t noGrowDocProc = 4;
constexpr int16_t movableDBoxProc = 5;
constexpr int16_t zoomDocProc = 8;
constexpr int16_t zoomNoGrow = 12;
constexpr int16_t floatProc = 720;
// `behind`: this value puts the window in front of all others, null behind
// all.
inline WindowRef const kInFront = reinterpret_cast<WindowRef>(intptr_t{-1});

// A window whose content lies at `bounds` (global); null for a missing or
// inverted rectangle or an unknown definition. `storage` is not used: the
// emulation keeps its own records.
QV_PLATFORM_API WindowRef NewCWindow(void* storage, const Rect* bounds, const uint8_t* title,
                                     bool visible, int16_t procID, WindowRef behind,
                                     bool goAwayFlag, intptr_t refCon);
// Destroys the native window, takes the record out of the list and frees
// it. When its port is the current one, no port is current afterwards.
QV_PLATFORM_API void DisposeWindow(WindowRef window);
QV_PLATFORM_API HWND GetNativeWindow(WindowRef window);
// The record whose native window is `native`; null for none.
QV_PLATFORM_API WindowRef GetNativeWindowRecord(HWND native);
// The window list, front to back.
QV_PLATFORM_API WindowRef FrontWindow();
QV_PLATFORM_API WindowRef GetNextWindow(WindowRef window);
QV_PLATFORM_API CGrafPtr GetWindowPort(WindowRef window);
QV_PLATFORM_API WindowRef GetWindowFromPort(CGrafPtr port);
QV_PLATFORM_API intptr_t GetWRefCon(WindowRef window);
QV_PLATFORM_API void SetWRefCon(WindowRef window, intptr_t refCon);

// Titles are length-prefixed; the native window's text follows.
QV_PLATFORM_API void GetWTitle(WindowRef window, uint8_t* title);
QV_PLATFORM_API void SetWTitle(WindowRef window, const uint8_t* title);

QV_PLATFORM_API void ShowWindow(WindowRef window);
QV_PLATFORM_API void HideWindow(WindowRef window);
// Brings the window to the front, highlights it (and no other) and
// activates its native window.
QV_PLATFORM_API void SelectWindow(WindowRef window);
// Moves the content's top-left corner to (h, v), global; with `front`, also
// selects the window.
QV_PLATFORM_API void MoveWindow(WindowRef window, int16_t h, int16_t v, bool front);
// A negative size counts as 0; `update` adds the new content to the update
// region.
QV_PLATFORM_API void SizeWindow(WindowRef window, int16_t width, int16_t height, bool update);

// The content's rectangle, global; false (and zeros) for no window. Any of
// the outputs may be null.
QV_PLATFORM_API bool GetWindowBounds(WindowRef window, int32_t* left, int32_t* top, int32_t* width,
                                     int32_t* height);
// Whether the window is shown; false for no window.
QV_PLATFORM_API bool IsWindowVisible(WindowRef window);

// Port rectangle and regions, local. The visible region is what of the
// content shows now (not covered, on the screen).
QV_PLATFORM_API Rect* GetPortBounds(CGrafPtr port, Rect* rect);
QV_PLATFORM_API RgnHandle GetPortVisibleRegion(CGrafPtr port, RgnHandle region);
QV_PLATFORM_API RgnHandle GetPortClipRegion(CGrafPtr port, RgnHandle region);
QV_PLATFORM_API void SetPortClipRegion(CGrafPtr port, RgnHandle region);
// The current port's clip becomes the rectangle.
QV_PLATFORM_API void ClipRect(const Rect* rect);
// The window's outer rectangle, its frame and content together, global;
// empty for no window.
QV_PLATFORM_API RgnHandle GetWindowStructureRgn(WindowRef window, RgnHandle region);
// Draws the grow box of a window that has one: the 15-pixel square at the
// content's bottom-right corner (where FindWindow answers inGrow), filled
// light grey inside a black frame, with two black ridges across it. Nothing
// for a window without a grow box or a hidden one.
QV_PLATFORM_API void DrawGrowIcon(WindowRef window);
// The desktop: every screen, less the menu bar at the top of the main one.
QV_PLATFORM_API RgnHandle GetGrayRgn();
// The desktop port, drawing over all windows.
QV_PLATFORM_API void GetWMgrPort(GrafPtr* port);

// A device context drawing into the port (clipped to its clip region), kept
// until EndPortDrawing; the same one for every call in between. Null for a
// port that is not one of the emulation's.
QV_PLATFORM_API HDC GetPortHDC(CGrafPtr port);
QV_PLATFORM_API void EndPortDrawing(CGrafPtr port);
// A port drawing into a printer's device context (a page of a print job):
// GetPortHDC answers that context and EndPortDrawing leaves it alone; the
// port has no window. ClosePrinterPort forgets the port, never deleting
// the context.
QV_PLATFORM_API GrafPtr OpenPrinterPort(HDC printerDC);
QV_PLATFORM_API void ClosePrinterPort(GrafPtr port);

// Where a global point falls: the part code and the window (null in the
// desktop and the menu bar).
constexpr int16_t inDesk = 0;
constexpr int16_t inMenuBar = 1;
constexpr int16_t inContent = 3;
constexpr int16_t inDrag = 4;
constexpr int16_t inGrow = 5;
constexpr int16_t inGoAway = 6;
constexpr int16_t inSysWindow = 2;
constexpr int16_t inZoomIn = 7;
constexpr int16_t inZoomOut = 8;
// The zoom box answers inZoomIn for a window in its zoomed state, inZoomOut
// otherwise. The emulation has no system windows: inSysWindow never comes.
QV_PLATFORM_API int16_t FindWindow(Point point, WindowRef* window);
// Global to the current port's local coordinates (the desktop port's are
// global); nothing without a current port of the emulation.
QV_PLATFORM_API void GlobalToLocal(Point* point);
QV_PLATFORM_API void LocalToGlobal(Point* point);

// ---- Tracking the user in a window's frame. Each polls the input (the
// left button and the cursor, so a scripted input timeline drives it) until
// the button is up; with the button already up it ends at once.

// A click in a system window: the emulation has none, so nothing happens
// but the count that tests read.
QV_PLATFORM_API void SystemClick(Point where, WindowRef window);
QV_PLATFORM_API int32_t CountSystemClicks();
// Follows the drag of a window's title bar and moves the window by the
// distance dragged, when the button went up inside `limit` (global); the
// window is selected first unless it is the front one.
QV_PLATFORM_API void DragWindow(WindowRef window, Point start, const Rect* limit);
// Follows the drag of the grow box: the new content size, within `limits`
// (top the least height, left the least width, bottom and right the
// largest), height in the high word and width in the low; 0 when the size
// would not change or without a window.
QV_PLATFORM_API int32_t GrowWindow(WindowRef window, Point start, const Rect* limits);
// Whether the button went up over the window's close box (or its zoom box
// for TrackBox with inZoomIn or inZoomOut).
QV_PLATFORM_API bool TrackGoAway(WindowRef window, Point start);
QV_PLATFORM_API bool TrackBox(WindowRef window, Point start, int16_t part);
// inZoomOut: the window's content is remembered and the window fills the
// desktop (3 pixels in, below its title bar); inZoomIn: back to the
// remembered content. `front` also selects it.
QV_PLATFORM_API void ZoomWindow(WindowRef window, int16_t part, bool front);

// ---- Updates. BeginUpdate makes the window's update region its port's
// clip for the drawing; EndUpdate validates the native window and opens the
// clip again. Both are counted for tests.
QV_PLATFORM_API void BeginUpdate(WindowRef window);
QV_PLATFORM_API void EndUpdate(WindowRef window);
QV_PLATFORM_API void CountUpdates(int32_t* begun, int32_t* ended);

// ---- The call an event loop makes once a turn, which gives the emulation
// its periodic work; it takes and answers nothing here, and is counted.
QV_PLATFORM_API void SystemTask();
QV_PLATFORM_API int32_t CountSystemTasks();


}  // namespace Tbx
