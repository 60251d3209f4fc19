// Toolbox windows of the emulation over the native window table.
#include "platform/toolbox/TbxWindows.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/gdi/GdiInternal.h"
#include "platform/gdi/WinGdi.h"
#include "platform/toolbox/TbxRegionData.h"
#include "platform/win32/WinInput.h"
#include "platform/win32/WinPaint.h"
#include "platform/win32/WinWindowState.h"
#include "platform/win32/WinWindows.h"

namespace Tbx {
namespace {

constexpr int kBorder = 1;
constexpr int kFloatCaption = 12;
// Boxes of the title bar and the grow box, in pixels.
constexpr int kBoxInset = 8;
constexpr int kBoxSize = 12;
constexpr int kGrowSize = 15;

struct Definition {
  int16_t id;
  RECT frame;  // left, top, right, bottom
  bool title;
  bool grow;
  bool zoom;
};

Definition Describe(int16_t id, bool* known) {
  const int caption = GetSystemMetrics(SM_CYCAPTION);
  *known = true;
  switch (id) {
    case documentProc:
      return {id, {kBorder, kBorder + caption, kBorder, kBorder}, true, true, false};
    case noGrowDocProc:
      return {id, {kBorder, kBorder + caption, kBorder, kBorder}, true, false, false};
    case zoomDocProc: return {id, {kBorder, kBorder + caption, kBorder, kBorder}, true, true, true};
    case zoomNoGrow: return {id, {kBorder, kBorder + caption, kBorder, kBorder}, true, false, true};
    case dBoxProc: return {id, {3, 3, 3, 3}, false, false, false};
    case plainDBox: return {id, {1, 1, 1, 1}, false, false, false};
    case altDBoxProc: return {id, {1, 1, 3, 3}, false, false, false};
    case movableDBoxProc: return {id, {2, 2 + caption, 2, 2}, true, false, false};
    case floatProc:
      return {id, {kBorder, kBorder + kFloatCaption, kBorder, kBorder}, true, false, false};
    default: *known = false; return {id, {0, 0, 0, 0}, false, false, false};
  }
}

std::recursive_mutex gMutex;
std::vector<WindowRecord*> gList;  // front to back
GrafPort gDesktop{nullptr, Rect{0, 0, 0, 0}, 0, 0, nullptr};
RgnHandle gGray = 0;

// Ports on printers' device contexts, open until closed.
std::vector<std::unique_ptr<GrafPort>> gPrinterPorts;

bool IsPrinterPort(CGrafPtr port) {
  for (const auto& p : gPrinterPorts) {
    if (p.get() == port) return true;
  }
  return false;
}

bool Listed(WindowRef w) {
  return w != nullptr && std::find(gList.begin(), gList.end(), w) != gList.end();
}

bool KnownPort(CGrafPtr port) {
  return port != nullptr && (port == &gDesktop || Listed(reinterpret_cast<WindowRef>(port)));
}

// Wide open: every 16-bit coordinate.
GdiRegion WideOpen() { return GdiRegion(RECT{-32768, -32768, 32767, 32767}); }

void EnsurePortRegions(GrafPort& port) {
  if (port.visRgn == 0) port.visRgn = NewRgn();
  if (port.clipRgn == 0) {
    port.clipRgn = NewRgn();
    TbxWriteRgn(port.clipRgn, WideOpen());
  }
}

// The list's order made the native stacking order too, and the links
// rewritten.
void Relink() {
  for (size_t i = 0; i < gList.size(); ++i) {
    gList[i]->nextWindow = i + 1 < gList.size() ? gList[i + 1] : nullptr;
  }
  for (auto it = gList.rbegin(); it != gList.rend(); ++it) BringWindowToTop((*it)->port.window);
}

HWND MainWindow() {
  auto* record =
      static_cast<MainWindowRecord*>(EmulatorGetSystemObject(0, kSystemObjectMainWindow, 0));
  return record != nullptr && IsWindow(record->window) ? record->window : nullptr;
}

// The native client origin, in its parent's coordinates, for a global point.
POINT NativeOrigin(HWND native, int16_t h, int16_t v) {
  POINT p{h, v};
  HWND parent = GetParent(native);
  if (parent != nullptr) ScreenToClient(parent, &p);
  return p;
}

void CopyTitle(uint8_t* to, const uint8_t* from) {
  if (from == nullptr) {
    to[0] = 0;
    return;
  }
  std::memcpy(to, from, size_t{from[0]} + 1);
}

void NativeTitle(WindowRecord& w) {
  char text[256];
  std::memcpy(text, w.title + 1, w.title[0]);
  text[w.title[0]] = '\0';
  SetWindowTextA(w.port.window, text);
}

void RefreshPortRect(WindowRecord& w) {
  RECT client{0, 0, 0, 0};
  GetClientRect(w.port.window, &client);
  w.port.portRect =
      Rect{0, 0, static_cast<int16_t>(client.bottom), static_cast<int16_t>(client.right)};
}

bool Inside(const RECT& r, LONG x, LONG y) {
  return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

// Polls the input until the left button is up (or no script can move it
// any more) and answers where the cursor was then.
Point TrackButton() {
  POINT p{0, 0};
  while (GetAsyncKeyState(VK_LBUTTON) < 0 && HeadlessInputPending()) {
  }
  GetCursorPos(&p);
  return Point{static_cast<int16_t>(p.y), static_cast<int16_t>(p.x)};
}

int32_t gSystemClicks = 0;
int32_t gSystemTasks = 0;
int32_t gUpdatesBegun = 0;
int32_t gUpdatesEnded = 0;


}  // namespace

WindowRef NewCWindow(void*, const Rect* bounds, const uint8_t* title, bool visible, int16_t procID,
                     WindowRef behind, bool goAwayFlag, intptr_t refCon) {
  bool known = false;
  const Definition def = Describe(procID, &known);
  if (bounds == nullptr || !known || bounds->right < bounds->left || bounds->bottom < bounds->top) {
    return nullptr;
  }
  std::lock_guard<std::recursive_mutex> lock(gMutex);
  const int width = bounds->right - bounds->left;
  const int height = bounds->bottom - bounds->top;
  HWND native = CreateHeadlessWindow(std::max(width, 1), std::max(height, 1));
  if (native == nullptr) return nullptr;
  if (!visible) ::ShowWindow(native, SW_HIDE);
  LONG style = WS_CHILD;
  if (def.title) style |= WS_CAPTION;
  if (def.grow) style |= WS_THICKFRAME;
  if (goAwayFlag) style |= WS_SYSMENU;
  if (HWND main = MainWindow()) SetParent(native, main);
  if (visible) style |= WS_VISIBLE;
  if (GetParent(native) == nullptr) style &= ~WS_CHILD;
  SetWindowLongPtrA(native, GWL_STYLE, style);
  SetHeadlessWindowFrame(native, def.frame.left, def.frame.top, def.frame.right, def.frame.bottom);
  const POINT origin = NativeOrigin(native, bounds->left, bounds->top);
  ::MoveWindow(native, origin.x - def.frame.left, origin.y - def.frame.top,
               width + def.frame.left + def.frame.right, height + def.frame.top + def.frame.bottom,
               TRUE_);

  auto* w = new WindowRecord{};
  w->port.window = native;
  EnsurePortRegions(w->port);
  w->procID = procID;
  w->visible = visible;
  w->goAwayFlag = goAwayFlag;
  w->spareFlag = def.zoom;
  w->hasGrow = def.grow;
  w->refCon = refCon;
  CopyTitle(w->title, title);
  NativeTitle(*w);
  RefreshPortRect(*w);
  if (behind == kInFront || gList.empty()) {
    gList.insert(gList.begin(), w);
  } else if (behind == nullptr || !Listed(behind)) {
    gList.push_back(w);
  } else {
    gList.insert(std::find(gList.begin(), gList.end(), behind) + 1, w);
  }
  Relink();
  return w;
}

void DisposeWindow(WindowRef window) {
  std::lock_guard<std::recursive_mutex> lock(gMutex);
  if (!Listed(window)) return;
  gList.erase(std::find(gList.begin(), gList.end(), window));
  Relink();
  GrafPtr current = nullptr;
  GetPort(&current);
  if (current == &window->port) SetPort(nullptr);
  if (window->port.dc != nullptr) ReleaseDC(window->port.window, window->port.dc);
  DestroyWindow(window->port.window);
  DisposeRgn(window->port.visRgn);
  DisposeRgn(window->port.clipRgn);
  delete window;
}

HWND GetNativeWindow(WindowRef window) {
  std::lock_guard<std::recursive_mutex> lock(gMutex);
  return Listed(window) ? window->port.window : nullptr;
}

WindowRef GetNativeWindowRecord(HWND native) {
  std::lock_guard<std::recursive_mutex> lock(gMutex);
  for (WindowRecord* w : gList) {
    if (native != nullptr && w->port.window == native) return w;
  }
  return nullptr;
}

WindowRef FrontWindow() {
  std::lock_guard<std::recursive_mutex> lock(gMutex);
  for (WindowRecord* w : gList) {
    if (w->visible) return w;
  }
  return nullptr;
}

WindowRef GetNextWindow(WindowRef window) {
  std::lock_guard<std::recursive_mutex> lock(gMutex);
  return Listed(window) ? window->nextWindow : nullptr;
}

CGrafPtr GetWindowPort(WindowRef window) {
  std::lock_guard<std::recursive_mutex> lock(gMutex);
  return Listed(window) ? &window->port : nullptr;
}

WindowRef GetWindowFromPort(CGrafPtr port) {
  std::lock_guard<std::recursive_mutex> lock(gMutex);
  auto* w = reinterpret_cast<WindowRef>(port);
  return Listed(w) ? w : nullptr;
}

intptr_t GetWRefCon(WindowRef window) {
  std::lock_guard<std::recursive_mutex> lock(gMutex);
  return Listed(window) ? window->refCon : 0;
}

void SetWRefCon(WindowRef window, intptr_t refCon) {
  std::lock_guard<std::recursive_mutex> lock(gMutex);
  if (Listed(window)) window->refCon = refCon;
}

void GetWTitle(WindowRef window, uint8_t* title) {
  if (title == nullptr) return;
  std::lock_guard<std::recursive_mutex> lock(gMutex);
  if (!Listed(window)) {
    title[0] = 0;
    return;
  }
  CopyTitle(title, window->title);
}

void SetWTitle(WindowRef window, const uint8_t* title) {
  std::lock_guard<std::recursive_mutex> lock(gMutex);
  if (!Listed(window)) return;
  CopyTitle(window->title, title);
  NativeTitle(*window);
}

void ShowWindow(WindowRef window) {
  std::lock_guard<std::recursive_mutex> lock(gMutex);
  if (!Listed(window)) return;
  window->visible = true;
  ::ShowWindow(window->port.window, SW_SHOW);
}

void HideWindow(WindowRef window) {
  std::lock_guard<std::recursive_mutex> lock(gMutex);
  if (!Listed(window)) return;
  window->visible = false;
  window->hilited = false;
  ::ShowWindow(window->port.window, SW_HIDE);
}

void SelectWindow(WindowRef window) {
  std::lock_guard<std::recursive_mutex> lock(gMutex);
  if (!Listed(window)) return;
  gList.erase(std::find(gList.begin(), gList.end(), window));
  gList.insert(gList.begin(), window);
  for (WindowRecord* w : gList) w->hilited = w == window;
  Relink();
  SetActiveWindow(window->port.window);
}

void MoveWindow(WindowRef window, int16_t h, int16_t v, bool front) {
  std::lock_guard<std::recursive_mutex> lock(gMutex);
  if (!Listed(window)) return;
  const POINT origin = NativeOrigin(window->port.window, h, v);
  SetHeadlessWindowOrigin(window->port.window, origin.x, origin.y);
  if (front) SelectWindow(window);
}

void SizeWindow(WindowRef window, int16_t width, int16_t height, bool update) {
  std::lock_guard<std::recursive_mutex> lock(gMutex);
  if (!Listed(window)) return;
  HWND native = window->port.window;
  RECT outer{0, 0, 0, 0}, client{0, 0, 0, 0};
  GetWindowRect(native, &outer);
  GetClientRect(native, &client);
  POINT topLeft{outer.left, outer.top};
  if (HWND parent = GetParent(native)) ScreenToClient(parent, &topLeft);
  const int extraW = (outer.right - outer.left) - client.right;
  const int extraH = (outer.bottom - outer.top) - client.bottom;
  ::MoveWindow(native, topLeft.x, topLeft.y, std::max<int>(width, 0) + extraW,
               std::max<int>(height, 0) + extraH, update ? TRUE_ : FALSE_);
  RefreshPortRect(*window);
}

bool GetWindowBounds(WindowRef window, int32_t* left, int32_t* top, int32_t* width,
                     int32_t* height) {
  std::lock_guard<std::recursive_mutex> lock(gMutex);
  RECT client{0, 0, 0, 0};
  POINT origin{0, 0};
  const bool known = Listed(window);
  if (known) {
    GetClientRect(window->port.window, &client);
    ClientToScreen(window->port.window, &origin);
  }
  if (left != nullptr) *left = known ? origin.x : 0;
  if (top != nullptr) *top = known ? origin.y : 0;
  if (width != nullptr) *width = client.right;
  if (height != nullptr) *height = client.bottom;
  return known;
}

bool IsWindowVisible(WindowRef window) {
  std::lock_guard<std::recursive_mutex> lock(gMutex);
  return Listed(window) && window->visible;
}

Rect* GetPortBounds(CGrafPtr port, Rect* rect) {
  if (rect == nullptr) return nullptr;
  std::lock_guard<std::recursive_mutex> lock(gMutex);
  *rect = Rect{0, 0, 0, 0};
  if (!KnownPort(port)) return rect;
  if (port == &gDesktop) {
    GetGrayRgn();  // brings the desktop's rectangle up to date
  } else {
    RefreshPortRect(*reinterpret_cast<WindowRef>(port));
  }
  *rect = port->portRect;
  return rect;
}

RgnHandle GetPortVisibleRegion(CGrafPtr port, RgnHandle region) {
  std::lock_guard<std::recursive_mutex> lock(gMutex);
  if (!KnownPort(port)) return region;
  GdiRegion visible;
  if (port == &gDesktop) {
    RECT screens[16];
    const int n = std::min(GetHeadlessScreens(screens, 16), 16);
    for (int i = 0; i < n; ++i)
      visible = GdiRegion::Combine(visible, GdiRegion(screens[i]), RGN_OR);
  } else {
    WinGetClientView(port->window, nullptr, &visible);
  }
  EnsurePortRegions(*port);
  TbxWriteRgn(port->visRgn, visible);
  TbxWriteRgn(region, visible);
  return region;
}

RgnHandle GetPortClipRegion(CGrafPtr port, RgnHandle region) {
  std::lock_guard<std::recursive_mutex> lock(gMutex);
  if (KnownPort(port)) {
    EnsurePortRegions(*port);
    CopyRgn(port->clipRgn, region);
  }
  return region;
}

void SetPortClipRegion(CGrafPtr port, RgnHandle region) {
  std::lock_guard<std::recursive_mutex> lock(gMutex);
  GdiRegion clip;
  if (!KnownPort(port) || !TbxReadRgn(region, &clip)) return;
  EnsurePortRegions(*port);
  TbxWriteRgn(port->clipRgn, clip);
}

void ClipRect(const Rect* rect) {
  if (rect == nullptr) return;
  GrafPtr port = nullptr;
  GetPort(&port);
  std::lock_guard<std::recursive_mutex> lock(gMutex);
  if (!KnownPort(port)) return;
  EnsurePortRegions(*port);
  RectRgn(port->clipRgn, rect);
}

RgnHandle GetWindowStructureRgn(WindowRef window, RgnHandle region) {
  std::lock_guard<std::recursive_mutex> lock(gMutex);
  RECT outer{0, 0, 0, 0};
  if (!Listed(window) || !GetWindowRect(window->port.window, &outer)) {
    SetEmptyRgn(region);
    return region;
  }
  TbxWriteRgn(region, GdiRegion(outer));
  return region;
}

void DrawGrowIcon(WindowRef window) {
  std::lock_guard<std::recursive_mutex> lock(gMutex);
  if (!Listed(window) || !window->hasGrow || !window->visible) return;
  RECT client{0, 0, 0, 0};
  GetClientRect(window->port.window, &client);
  if (client.right < kGrowSize || client.bottom < kGrowSize) return;
  HDC dc = GetDC(window->port.window);
  if (dc == nullptr) return;
  const int left = client.right - kGrowSize;
  const int top = client.bottom - kGrowSize;
  HBRUSH face = CreateSolidBrush(RGB(192, 192, 192));
  HGDIOBJ oldPen = SelectObject(dc, GetStockObject(BLACK_PEN));
  HGDIOBJ oldBrush = SelectObject(dc, face);
  Rectangle(dc, left, top, client.right, client.bottom);
  // Two ridges: a small square at the corner inside a larger one.
  SelectObject(dc, GetStockObject(NULL_BRUSH));
  Rectangle(dc, left + 3, top + 3, client.right - 5, client.bottom - 5);
  Rectangle(dc, left + 7, top + 7, client.right - 2, client.bottom - 2);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(face);
  ReleaseDC(window->port.window, dc);
}

RgnHandle GetGrayRgn() {
  std::lock_guard<std::recursive_mutex> lock(gMutex);
  if (gGray == 0) gGray = NewRgn();
  RECT screens[16];
  const int n = std::min(GetHeadlessScreens(screens, 16), 16);
  GdiRegion gray;
  for (int i = 0; i < n; ++i) gray = GdiRegion::Combine(gray, GdiRegion(screens[i]), RGN_OR);
  if (n > 0) {
    const RECT bar{screens[0].left, screens[0].top, screens[0].right,
                   screens[0].top + GetSystemMetrics(SM_CYMENU)};
    gray = GdiRegion::Combine(gray, GdiRegion(bar), RGN_DIFF);
  }
  RECT box = gray.Bounds();
  gDesktop.portRect = Rect{static_cast<int16_t>(box.top), static_cast<int16_t>(box.left),
                           static_cast<int16_t>(box.bottom), static_cast<int16_t>(box.right)};
  TbxWriteRgn(gGray, gray);
  return gGray;
}

void GetWMgrPort(GrafPtr* port) {
  if (port == nullptr) return;
  std::lock_guard<std::recursive_mutex> lock(gMutex);
  EnsurePortRegions(gDesktop);
  GetGrayRgn();
  *port = &gDesktop;
}

HDC GetPortHDC(CGrafPtr port) {
  std::lock_guard<std::recursive_mutex> lock(gMutex);
  if (IsPrinterPort(port)) return port->dc;
  if (!KnownPort(port)) return nullptr;
  if (port->dc != nullptr) return port->dc;
  HDC dc = GetDC(port->window);
  if (dc == nullptr) return nullptr;
  EnsurePortRegions(*port);
  GdiRegion clip;
  if (TbxReadRgn(port->clipRgn, &clip) && !(clip == WideOpen())) {
    // The port's clip in the DC's device coordinates.
    HRGN rgn = CreateRectRgn(0, 0, 0, 0);
    if (GdiRegionObject* r = GdiRegionFromHandle(rgn)) r->region = clip;
    SelectClipRgn(dc, rgn);
    DeleteObject(rgn);
  }
  port->dc = dc;
  return dc;
}

GrafPtr OpenPrinterPort(HDC printerDC) {
  if (printerDC == nullptr) return nullptr;
  std::lock_guard<std::recursive_mutex> lock(gMutex);
  auto port = std::make_unique<GrafPort>();
  *port = GrafPort{nullptr, Rect{0, 0, 0, 0}, 0, 0, printerDC};
  gPrinterPorts.push_back(std::move(port));
  return gPrinterPorts.back().get();
}

void ClosePrinterPort(GrafPtr port) {
  std::lock_guard<std::recursive_mutex> lock(gMutex);
  for (auto it = gPrinterPorts.begin(); it != gPrinterPorts.end(); ++it) {
    if (it->get() != port) continue;
    gPrinterPorts.erase(it);
    return;
  }
}

void EndPortDrawing(CGrafPtr port) {
  std::lock_guard<std::recursive_mutex> lock(gMutex);
  if (IsPrinterPort(port)) return;
  if (!KnownPort(port) || port->dc == nullptr) return;
  ReleaseDC(port->window, port->dc);
  port->dc = nullptr;
}

int16_t FindWindow(Point point, WindowRef* window) {
  if (window != nullptr) *window = nullptr;
  const LONG x = point.h, y = point.v;
  const int bar = GetSystemMetrics(SM_CYMENU);
  if (HWND main = MainWindow()) {
    POINT o{0, 0};
    ClientToScreen(main, &o);
    RECT client{0, 0, 0, 0};
    GetClientRect(main, &client);
    if (Inside(RECT{o.x, o.y, o.x + client.right, o.y + bar}, x, y)) return inMenuBar;
  } else {
    RECT screens[1];
    if (GetHeadlessScreens(screens, 1) > 0 &&
        Inside(RECT{screens[0].left, screens[0].top, screens[0].right, screens[0].top + bar}, x,
               y)) {
      return inMenuBar;
    }
  }
  std::lock_guard<std::recursive_mutex> lock(gMutex);
  for (WindowRecord* w : gList) {
    HWND native = w->port.window;
    RECT outer;
    if (!IsWindowVisible(native) || !GetWindowRect(native, &outer) || !Inside(outer, x, y))
      continue;
    if (window != nullptr) *window = w;
    POINT c{0, 0};
    ClientToScreen(native, &c);
    RECT client{0, 0, 0, 0};
    GetClientRect(native, &client);
    client = RECT{c.x, c.y, c.x + client.right, c.y + client.bottom};
    if (Inside(client, x, y)) {
      if (w->hasGrow && x >= client.right - kGrowSize && y >= client.bottom - kGrowSize)
        return inGrow;
      return inContent;
    }
    bool known = false;
    const Definition def = Describe(w->procID, &known);
    if (def.title && y < client.top) {
      const LONG boxTop = outer.top + (client.top - outer.top - kBoxSize) / 2;
      if (y >= boxTop && y < boxTop + kBoxSize) {
        if (w->goAwayFlag && x >= outer.left + kBoxInset && x < outer.left + kBoxInset + kBoxSize) {
          return inGoAway;
        }
        if (w->spareFlag && x >= outer.right - kBoxInset - kBoxSize &&
            x < outer.right - kBoxInset) {
          return w->zoomed ? inZoomIn : inZoomOut;
        }
      }
    }
    return def.title ? inDrag : inContent;
  }
  return inDesk;
}

namespace {

// Converts the point through the current port's window; nothing for the
// desktop port or without a current port of the emulation.
void ThroughCurrentPort(Point* point, BOOL (*convert)(HWND, POINT*)) {
  if (point == nullptr) return;
  GrafPtr port = nullptr;
  GetPort(&port);
  std::lock_guard<std::recursive_mutex> lock(gMutex);
  if (!KnownPort(port) || port == &gDesktop) return;
  POINT p{point->h, point->v};
  convert(port->window, &p);
  *point = Point{static_cast<int16_t>(p.y), static_cast<int16_t>(p.x)};
}

}  // namespace

void GlobalToLocal(Point* point) { ThroughCurrentPort(point, &ScreenToClient); }

void LocalToGlobal(Point* point) { ThroughCurrentPort(point, &ClientToScreen); }

// ---- Tracking.

void SystemClick(Point, WindowRef) {
  std::lock_guard<std::recursive_mutex> lock(gMutex);
  ++gSystemClicks;
}

int32_t CountSystemClicks() {
  std::lock_guard<std::recursive_mutex> lock(gMutex);
  return gSystemClicks;
}

void DragWindow(WindowRef window, Point start, const Rect* limit) {
  if (GetNativeWindow(window) == nullptr) return;
  if (FrontWindow() != window) SelectWindow(window);
  const Point end = TrackButton();
  if (limit != nullptr && !PtInRect(end, limit)) return;
  int32_t left = 0, top = 0;
  GetWindowBounds(window, &left, &top, nullptr, nullptr);
  MoveWindow(window, static_cast<int16_t>(left + end.h - start.h),
             static_cast<int16_t>(top + end.v - start.v), false);
}

int32_t GrowWindow(WindowRef window, Point start, const Rect* limits) {
  int32_t width = 0, height = 0;
  if (!GetWindowBounds(window, nullptr, nullptr, &width, &height)) return 0;
  const Point end = TrackButton();
  int32_t newWidth = width + end.h - start.h;
  int32_t newHeight = height + end.v - start.v;
  if (limits != nullptr) {
    newWidth = std::clamp<int32_t>(newWidth, limits->left, std::max(limits->left, limits->right));
    newHeight = std::clamp<int32_t>(newHeight, limits->top, std::max(limits->top, limits->bottom));
  }
  newWidth = std::clamp<int32_t>(newWidth, 0, 0x7FFF);
  newHeight = std::clamp<int32_t>(newHeight, 0, 0x7FFF);
  if (newWidth == width && newHeight == height) return 0;
  return static_cast<int32_t>((static_cast<uint32_t>(newHeight) << 16) | static_cast<uint32_t>(newWidth));
}

bool TrackGoAway(WindowRef window, Point start) {
  if (GetNativeWindow(window) == nullptr) return false;
  const Point end = TrackButton();
  WindowRef under = nullptr;
  return FindWindow(end, &under) == inGoAway && under == window;
}

bool TrackBox(WindowRef window, Point start, int16_t part) {
  if (GetNativeWindow(window) == nullptr || (part != inZoomIn && part != inZoomOut)) return false;
  const Point end = TrackButton();
  WindowRef under = nullptr;
  const int16_t found = FindWindow(end, &under);
  return under == window && (found == inZoomIn || found == inZoomOut);
}

void ZoomWindow(WindowRef window, int16_t part, bool front) {
  std::lock_guard<std::recursive_mutex> lock(gMutex);
  if (!Listed(window) || (part != inZoomIn && part != inZoomOut)) return;
  if (part == inZoomOut) {
    int32_t left = 0, top = 0, width = 0, height = 0;
    GetWindowBounds(window, &left, &top, &width, &height);
    window->userState = Rect{static_cast<int16_t>(top), static_cast<int16_t>(left),
                             static_cast<int16_t>(top + height), static_cast<int16_t>(left + width)};
    GetGrayRgn();
    const Rect box = gDesktop.portRect;
    bool known = false;
    const Definition def = Describe(window->procID, &known);
    const int left2 = box.left + def.frame.left + 3;
    const int top2 = box.top + def.frame.top + 3;
    const int right2 = box.right - def.frame.right - 3;
    const int bottom2 = box.bottom - def.frame.bottom - 3;
    MoveWindow(window, static_cast<int16_t>(left2), static_cast<int16_t>(top2), false);
    SizeWindow(window, static_cast<int16_t>(right2 - left2), static_cast<int16_t>(bottom2 - top2), true);
    window->zoomed = true;
  } else {
    const Rect r = window->userState;
    MoveWindow(window, r.left, r.top, false);
    SizeWindow(window, static_cast<int16_t>(r.right - r.left), static_cast<int16_t>(r.bottom - r.top), true);
    window->zoomed = false;
  }
  if (front) SelectWindow(window);
}

// ---- Updates.

void BeginUpdate(WindowRef window) {
  std::lock_guard<std::recursive_mutex> lock(gMutex);
  if (!Listed(window)) return;
  ++gUpdatesBegun;
  HRGN update = CreateRectRgn(0, 0, 0, 0);
  GetUpdateRgn(window->port.window, update, FALSE_);
  EnsurePortRegions(window->port);
  if (GdiRegionObject* r = GdiRegionFromHandle(update)) TbxWriteRgn(window->port.clipRgn, r->region);
  DeleteObject(update);
}

void EndUpdate(WindowRef window) {
  std::lock_guard<std::recursive_mutex> lock(gMutex);
  if (!Listed(window)) return;
  ++gUpdatesEnded;
  ValidateRect(window->port.window, nullptr);
  EnsurePortRegions(window->port);
  TbxWriteRgn(window->port.clipRgn, WideOpen());
}

void CountUpdates(int32_t* begun, int32_t* ended) {
  std::lock_guard<std::recursive_mutex> lock(gMutex);
  if (begun != nullptr) *begun = gUpdatesBegun;
  if (ended != nullptr) *ended = gUpdatesEnded;
}

void SystemTask() {
  std::lock_guard<std::recursive_mutex> lock(gMutex);
  ++gSystemTasks;
}

int32_t CountSystemTasks() {
  std::lock_guard<std::recursive_mutex> lock(gMutex);
  return gSystemTasks;
}


}  // namespace Tbx
