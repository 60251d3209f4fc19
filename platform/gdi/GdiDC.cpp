// Device contexts: screen, window, memory, printer, information and
// recording DCs; their attributes, coordinate mapping, saved states,
// device capabilities and clipping.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <strings.h>

#include "platform/gdi/GdiPaint.h"
#include "platform/print/PrinterPaper.h"
#include "platform/win32/WinWindows.h"

const char* const kGdiDefaultPrinterName = "Qv Printer";

namespace {

constexpr int32_t kRasterDisplay = RC_BITBLT | RC_BITMAP64 | RC_DI_BITMAP | RC_DIBTODEV |
                                   RC_STRETCHBLT | RC_FLOODFILL | RC_STRETCHDIB;

// The display: 1280 x 1024 true-colour pixels at 96 dots per inch.
GdiDeviceCaps ScreenCaps() {
  GdiDeviceCaps c;
  c.technology = DT_RASDISPLAY;
  c.horzRes = 1280;
  c.vertRes = 1024;
  c.horzSize = 338;  // 1280 / 96 inches in millimetres
  c.vertSize = 270;
  c.bitsPixel = 32;
  c.planes = 1;
  c.numColors = -1;
  c.rasterCaps = kRasterDisplay;
  c.logPixelsX = c.logPixelsY = 96;
  return c;
}

// The default printer: US Letter at 300 dots per inch with a quarter-inch
// unprintable margin.
GdiDeviceCaps DefaultPrinterCaps() {
  GdiDeviceCaps c;
  c.technology = DT_RASPRINTER;
  c.physicalWidth = 2550;
  c.physicalHeight = 3300;
  c.physicalOffsetX = 75;
  c.physicalOffsetY = 75;
  c.horzRes = 2400;
  c.vertRes = 3150;
  c.horzSize = 203;
  c.vertSize = 266;
  c.bitsPixel = 32;
  c.planes = 1;
  c.numColors = -1;
  c.rasterCaps = RC_BITBLT | RC_BANDING | RC_BITMAP64 | RC_DI_BITMAP | RC_DIBTODEV |
                 RC_STRETCHBLT | RC_STRETCHDIB;
  c.logPixelsX = c.logPixelsY = 300;
  return c;
}

std::mutex gDeviceMutex;
std::shared_ptr<GdiSurface> gScreen;

std::map<std::string, GdiDeviceCaps>& Printers() {
  static auto* printers = new std::map<std::string, GdiDeviceCaps>{
      {kGdiDefaultPrinterName, DefaultPrinterCaps()}};
  return *printers;
}

std::shared_ptr<GdiSurface> WhiteSurface(int32_t width, int32_t height) {
  auto s = GdiSurface::Create(width, height, 32, 4, false);
  if (!s) return nullptr;
  for (int32_t y = 0; y < height; ++y) GdiFillColorBytes(s->Row(y), 0xFFFFFF, width, 32);
  return s;
}

std::shared_ptr<GdiSurface> ScreenSurface() {
  std::lock_guard<std::mutex> lock(gDeviceMutex);
  if (!gScreen) {
    GdiDeviceCaps c = ScreenCaps();
    gScreen = WhiteSurface(c.horzRes, c.vertRes);
  }
  return gScreen;
}

// Points a window DC's surface at its client area on the screen. The view's
// first byte may lie outside the screen's memory when the client area starts
// left of or above the screen; drawing touches only the `system` part, which
// lies on it.
bool RefreshWindowView(GdiDC& dc) {
  const uint64_t generation = WinPlacementGeneration();
  if (dc.surface && dc.viewGeneration == generation) return true;
  WinClientView view;
  GdiRegion visible;
  std::shared_ptr<GdiSurface> screen = ScreenSurface();
  if (!screen || !WinGetClientView(dc.window, &view, &visible)) return false;
  if (!dc.surface) dc.surface = std::make_shared<GdiSurface>();
  GdiSurface& s = *dc.surface;
  s.width = view.width;
  s.height = view.height;
  s.bitsPerPixel = 32;
  s.stride = screen->stride;
  const intptr_t offset = static_cast<intptr_t>(view.origin.y) * screen->stride +
                          static_cast<intptr_t>(view.origin.x) * 4;
  s.bits = reinterpret_cast<uint8_t*>(reinterpret_cast<uintptr_t>(screen->bits) +
                                      static_cast<uintptr_t>(offset));
  s.storage = screen;
  dc.screenOrigin = view.origin;
  dc.system = std::move(visible);
  dc.viewGeneration = generation;
  return true;
}

void UseState(const GdiDcState& st) {
  GdiUse(st.pen);
  GdiUse(st.brush);
  GdiUse(st.font);
  GdiUse(st.bitmap);
  GdiUse(st.palette);
}

void UnuseState(const GdiDcState& st) {
  GdiUnuse(st.pen);
  GdiUnuse(st.brush);
  GdiUnuse(st.font);
  GdiUnuse(st.bitmap);
  GdiUnuse(st.palette);
}

HDC NewDC(GdiDcKind kind, const GdiDeviceCaps& caps) {
  auto dc = std::make_unique<GdiDC>();
  dc->dcKind = kind;
  dc->caps = caps;
  GdiDcState& st = dc->state;
  st.pen = static_cast<GdiPen*>(GdiStockObject(BLACK_PEN));
  st.brush = static_cast<GdiBrush*>(GdiStockObject(WHITE_BRUSH));
  st.font = static_cast<GdiFont*>(GdiStockObject(SYSTEM_FONT));
  st.palette = static_cast<GdiPalette*>(GdiStockObject(DEFAULT_PALETTE));
  if (kind == GdiDcKind::Memory) st.bitmap = GdiDefaultBitmap();
  UseState(st);
  return static_cast<HDC>(GdiInsert(std::move(dc)));
}

GdiDC* Dc(HDC handle) { return GdiDcFromHandle(handle); }

int Complexity(GdiDC& dc) {
  GdiRegion device(GdiDeviceBounds(dc));
  if (!dc.state.clip) return device.Complexity();
  return GdiRegion::Combine(*dc.state.clip, device, RGN_AND).Complexity();
}

GdiRegion ClipOrDevice(GdiDC& dc) {
  return dc.state.clip ? *dc.state.clip : GdiRegion(GdiDeviceBounds(dc));
}

// Combines the clip with a region. Without a clip the DC clips to its whole
// device, except that intersecting makes the region itself the clip (not cut
// to the bitmap selected now, which a memory DC may change later).
GdiRegion CombineClip(GdiDC& dc, const GdiRegion& region, int mode) {
  if (!dc.state.clip && mode == RGN_AND) return region;
  return GdiRegion::Combine(ClipOrDevice(dc), region, mode);
}

void SetClip(GdiDC& dc, GdiRegion region) {
  dc.state.clip = std::make_shared<const GdiRegion>(std::move(region));
}

// Rounds a / b to the nearest integer, halves away from zero.
int64_t RoundDiv(int64_t a, int64_t b) {
  if (b < 0) {
    a = -a;
    b = -b;
  }
  return a >= 0 ? (a + b / 2) / b : -((-a + b / 2) / b);
}

LONG Clamp32(int64_t v) {
  return static_cast<LONG>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

template <typename T>
T SetAttr(HDC handle, GdiOp op, T value, T GdiDcState::*field, T failure) {
  GdiDC* dc = Dc(handle);
  if (!dc) return failure;
  GdiCall call{op};
  call.args[0] = static_cast<int32_t>(value);
  GdiRecord(*dc, call);
  T previous = dc->state.*field;
  dc->state.*field = value;
  return previous;
}

template <typename T>
T GetAttr(HDC handle, T GdiDcState::*field, T failure) {
  GdiDC* dc = Dc(handle);
  return dc ? dc->state.*field : failure;
}

BOOL SetPoint(HDC handle, GdiOp op, int x, int y, POINT* previous, POINT GdiDcState::*field,
              bool offset) {
  GdiDC* dc = Dc(handle);
  if (!dc) return FALSE_;
  GdiCall call{op};
  call.args[0] = x;
  call.args[1] = y;
  GdiRecord(*dc, call);
  POINT& p = dc->state.*field;
  if (previous) *previous = p;
  if (offset) {
    p = {Clamp32(int64_t{p.x} + x), Clamp32(int64_t{p.y} + y)};
  } else {
    p = {x, y};
  }
  return TRUE_;
}

BOOL GetPoint(HDC handle, POINT* out, POINT GdiDcState::*field) {
  GdiDC* dc = Dc(handle);
  if (!dc || !out) return FALSE_;
  *out = dc->state.*field;
  return TRUE_;
}

BOOL SetExtent(HDC handle, GdiOp op, int x, int y, SIZE* previous, SIZE GdiDcState::*field) {
  GdiDC* dc = Dc(handle);
  if (!dc) return FALSE_;
  GdiCall call{op};
  call.args[0] = x;
  call.args[1] = y;
  GdiRecord(*dc, call);
  SIZE& s = dc->state.*field;
  if (previous) *previous = s;
  // Extents mean something only in MM_ANISOTROPIC; MM_TEXT ignores them.
  if (dc->state.mapMode == MM_TEXT) return TRUE_;
  if (x == 0 || y == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE_;
  }
  s = {x, y};
  return TRUE_;
}

int ClipRectOp(HDC handle, GdiOp op, int left, int top, int right, int bottom, int mode) {
  GdiDC* dc = Dc(handle);
  if (!dc) return ERROR;
  GdiCall call{op};
  call.args[0] = left;
  call.args[1] = top;
  call.args[2] = right;
  call.args[3] = bottom;
  GdiRecord(*dc, call);
  RECT r = GdiRectToDevice(*dc, {left, top, right, bottom});
  SetClip(*dc, CombineClip(*dc, GdiRegion(r), mode));
  return Complexity(*dc);
}

}  // namespace

GdiDC::~GdiDC() {
  UnuseState(state);
  for (const GdiDcState& st : saved) UnuseState(st);
}

GdiSurface* GdiDC::Target() {
  switch (dcKind) {
    case GdiDcKind::Memory:
      return state.bitmap ? state.bitmap->surface.get() : nullptr;
    case GdiDcKind::Printer:
      // A page is allocated when something is first drawn on it, or by its
      // print job where the job needs its pixels.
      if (!surface && !pagePixelsOnDemand) surface = WhiteSurface(caps.horzRes, caps.vertRes);
      return surface.get();
    case GdiDcKind::Screen:
      // The screen's pixels are made when something first draws on them or
      // reads them: a process that only asks the screen's metrics (a
      // conversion, a measuring port) never holds them.
      if (!surface) surface = ScreenSurface();
      return surface.get();
    case GdiDcKind::Window:
      return RefreshWindowView(*this) ? surface.get() : nullptr;
    default:
      return nullptr;
  }
}

POINT GdiToDevice(const GdiDC& dc, POINT p) {
  const GdiDcState& st = dc.state;
  int64_t x = int64_t{p.x} - st.windowOrigin.x;
  int64_t y = int64_t{p.y} - st.windowOrigin.y;
  if (st.mapMode == MM_ANISOTROPIC) {
    x = RoundDiv(x * st.viewportExtent.cx, st.windowExtent.cx);
    y = RoundDiv(y * st.viewportExtent.cy, st.windowExtent.cy);
  }
  return {Clamp32(x + st.viewportOrigin.x), Clamp32(y + st.viewportOrigin.y)};
}

POINT GdiToLogical(const GdiDC& dc, POINT p) {
  const GdiDcState& st = dc.state;
  int64_t x = int64_t{p.x} - st.viewportOrigin.x;
  int64_t y = int64_t{p.y} - st.viewportOrigin.y;
  if (st.mapMode == MM_ANISOTROPIC) {
    x = RoundDiv(x * st.windowExtent.cx, st.viewportExtent.cx);
    y = RoundDiv(y * st.windowExtent.cy, st.viewportExtent.cy);
  }
  return {Clamp32(x + st.windowOrigin.x), Clamp32(y + st.windowOrigin.y)};
}

// ---------------------------------------------------------------------------
// Making and ending DCs

HDC CreateCompatibleDC(HDC handle) {
  GdiDeviceCaps caps = ScreenCaps();
  if (handle) {
    GdiDC* dc = Dc(handle);
    if (!dc) return nullptr;
    caps = dc->caps;
  }
  return NewDC(GdiDcKind::Memory, caps);
}

BOOL DeleteDC(HDC handle) {
  GdiDC* dc = Dc(handle);
  if (!dc) return FALSE_;
  GdiRemove(dc);
  return TRUE_;
}

HDC GetDC(HWND window) {
  if (!window) return NewDC(GdiDcKind::Screen, ScreenCaps());
  if (!WinGetClientView(window, nullptr, nullptr)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  HDC h = NewDC(GdiDcKind::Window, ScreenCaps());
  if (GdiDC* dc = Dc(h)) dc->window = window;
  return h;
}

int ReleaseDC(HWND window, HDC handle) {
  GdiDC* dc = Dc(handle);
  if (!dc || (dc->dcKind != GdiDcKind::Window && dc->dcKind != GdiDcKind::Screen) ||
      dc->window != window) {
    return 0;
  }
  GdiRemove(dc);
  return 1;
}

void GdiRegisterPrinter(const char* name, const GdiDeviceCaps& caps) {
  if (!name) return;
  std::lock_guard<std::mutex> lock(gDeviceMutex);
  Printers()[name] = caps;
}

HDC GdiCreatePrinterDC(const GdiDeviceCaps& caps, bool informationOnly) {
  if (caps.horzRes <= 0 || caps.vertRes <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return NewDC(informationOnly ? GdiDcKind::Info : GdiDcKind::Printer, caps);
}

// A printer's DC lays out the paper and orientation its device mode names;
// without a mode, the printer's own page.
static HDC CreateDeviceDC(LPCSTR driver, LPCSTR device, const DEVMODEA* mode, bool informationOnly) {
  bool display = (driver && strcasecmp(driver, "DISPLAY") == 0) ||
                 (device && strcasecmp(device, "DISPLAY") == 0);
  if (display) {
    if (informationOnly) return NewDC(GdiDcKind::Info, ScreenCaps());
    return GetDC(nullptr);
  }
  GdiDeviceCaps caps;
  {
    std::lock_guard<std::mutex> lock(gDeviceMutex);
    auto it = Printers().find(device ? device : kGdiDefaultPrinterName);
    if (it == Printers().end()) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    caps = it->second;
  }
  return GdiCreatePrinterDC(PrinterCapsForMode(caps, mode), informationOnly);
}

HDC CreateDCA(LPCSTR driver, LPCSTR device, LPCSTR port, const DEVMODEA* mode) {
  return CreateDeviceDC(driver, device, mode, false);
}

HDC CreateICA(LPCSTR driver, LPCSTR device, LPCSTR port, const DEVMODEA* mode) {
  return CreateDeviceDC(driver, device, mode, true);
}

HDC GdiCreateRecordingDC(HDC reference, std::unique_ptr<GdiRecorder> recorder) {
  GdiDeviceCaps caps = ScreenCaps();
  if (reference) {
    GdiDC* ref = Dc(reference);
    if (!ref) return nullptr;
    caps = ref->caps;
  }
  HDC h = NewDC(GdiDcKind::Metafile, caps);
  if (GdiDC* dc = Dc(h)) dc->recorder = std::move(recorder);
  return h;
}

// ---------------------------------------------------------------------------
// Saved states and capabilities

int SaveDC(HDC handle) {
  GdiDC* dc = Dc(handle);
  if (!dc) return 0;
  GdiRecord(*dc, GdiCall{GdiOp::SaveDC});
  UseState(dc->state);
  dc->saved.push_back(dc->state);
  return static_cast<int>(dc->saved.size());
}

BOOL RestoreDC(HDC handle, int which) {
  GdiDC* dc = Dc(handle);
  if (!dc) return FALSE_;
  int64_t count = static_cast<int64_t>(dc->saved.size());
  // Positive: that saved state; negative: counted back from the last.
  int64_t level = which > 0 ? which : count + which + 1;
  if (which == 0 || level < 1 || level > count) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE_;
  }
  GdiCall call{GdiOp::RestoreDC};
  call.args[0] = which;
  GdiRecord(*dc, call);
  GdiDcState restored = dc->saved[level - 1];
  GdiDcState current = dc->state;
  // The restored state keeps the use its saved copy had; the later saved
  // states and the current state end theirs.
  for (int64_t i = level; i < count; ++i) UnuseState(dc->saved[i]);
  dc->saved.resize(level - 1);
  dc->state = restored;
  if (restored.bitmap && !restored.bitmap->stock) restored.bitmap->selectedInto = handle;
  UnuseState(current);
  return TRUE_;
}

int GetDeviceCaps(HDC handle, int index) {
  GdiDC* dc = Dc(handle);
  if (!dc) return 0;
  const GdiDeviceCaps& c = dc->caps;
  switch (index) {
    case DRIVERVERSION: return 0x4000;
    case TECHNOLOGY: return c.technology;
    case HORZSIZE: return c.horzSize;
    case VERTSIZE: return c.vertSize;
    case HORZRES: return c.horzRes;
    case VERTRES: return c.vertRes;
    case BITSPIXEL: return c.bitsPixel;
    case PLANES: return c.planes;
    case NUMBRUSHES:
    case NUMPENS: return -1;
    case NUMFONTS: return 0;
    case NUMCOLORS: return c.numColors;
    case RASTERCAPS: return c.rasterCaps;
    case LOGPIXELSX: return c.logPixelsX;
    case LOGPIXELSY: return c.logPixelsY;
    case SIZEPALETTE: return (c.rasterCaps & RC_PALETTE) ? 256 : 0;
    case NUMRESERVED: return 20;
    case COLORRES: return 24;
    case PHYSICALWIDTH: return c.physicalWidth;
    case PHYSICALHEIGHT: return c.physicalHeight;
    case PHYSICALOFFSETX: return c.physicalOffsetX;
    case PHYSICALOFFSETY: return c.physicalOffsetY;
    default: return 0;
  }
}

// ---------------------------------------------------------------------------
// Attributes

COLORREF SetTextColor(HDC dc, COLORREF c) {
  return SetAttr<COLORREF>(dc, GdiOp::SetTextColor, c, &GdiDcState::textColor, CLR_INVALID);
}
COLORREF GetTextColor(HDC dc) {
  return GetAttr<COLORREF>(dc, &GdiDcState::textColor, CLR_INVALID);
}
COLORREF SetBkColor(HDC dc, COLORREF c) {
  return SetAttr<COLORREF>(dc, GdiOp::SetBkColor, c, &GdiDcState::bkColor, CLR_INVALID);
}
COLORREF GetBkColor(HDC dc) { return GetAttr<COLORREF>(dc, &GdiDcState::bkColor, CLR_INVALID); }

int SetBkMode(HDC dc, int mode) {
  if (mode != TRANSPARENT && mode != OPAQUE) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return SetAttr<int>(dc, GdiOp::SetBkMode, mode, &GdiDcState::bkMode, 0);
}
int GetBkMode(HDC dc) { return GetAttr<int>(dc, &GdiDcState::bkMode, 0); }

int SetROP2(HDC dc, int mode) {
  if (mode < R2_BLACK || mode > R2_WHITE) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return SetAttr<int>(dc, GdiOp::SetROP2, mode, &GdiDcState::rop2, 0);
}
int GetROP2(HDC dc) { return GetAttr<int>(dc, &GdiDcState::rop2, 0); }

UINT SetTextAlign(HDC dc, UINT align) {
  return SetAttr<UINT>(dc, GdiOp::SetTextAlign, align, &GdiDcState::textAlign, GDI_ERROR);
}
UINT GetTextAlign(HDC dc) { return GetAttr<UINT>(dc, &GdiDcState::textAlign, GDI_ERROR); }

int SetStretchBltMode(HDC dc, int mode) {
  if (mode < BLACKONWHITE || mode > HALFTONE) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return SetAttr<int>(dc, GdiOp::SetStretchBltMode, mode, &GdiDcState::stretchMode, 0);
}
int GetStretchBltMode(HDC dc) { return GetAttr<int>(dc, &GdiDcState::stretchMode, 0); }

int SetPolyFillMode(HDC dc, int mode) {
  if (mode != ALTERNATE && mode != WINDING) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return SetAttr<int>(dc, GdiOp::SetPolyFillMode, mode, &GdiDcState::polyFillMode, 0);
}
int GetPolyFillMode(HDC dc) { return GetAttr<int>(dc, &GdiDcState::polyFillMode, 0); }

int SetMapMode(HDC dc, int mode) {
  // Only the modes the module uses: MM_TEXT, and MM_ANISOTROPIC for
  // scaling by window and viewport extents.
  if (mode != MM_TEXT && mode != MM_ANISOTROPIC) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return SetAttr<int>(dc, GdiOp::SetMapMode, mode, &GdiDcState::mapMode, 0);
}
int GetMapMode(HDC dc) { return GetAttr<int>(dc, &GdiDcState::mapMode, 0); }

int SetGraphicsMode(HDC dc, int mode) {
  if (mode != GM_COMPATIBLE && mode != GM_ADVANCED) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return SetAttr<int>(dc, GdiOp::SetGraphicsMode, mode, &GdiDcState::graphicsMode, 0);
}
int GetGraphicsMode(HDC dc) { return GetAttr<int>(dc, &GdiDcState::graphicsMode, 0); }

BOOL SetBrushOrgEx(HDC dc, int x, int y, POINT* previous) {
  return SetPoint(dc, GdiOp::SetBrushOrgEx, x, y, previous, &GdiDcState::brushOrigin, false);
}
BOOL GetBrushOrgEx(HDC dc, POINT* origin) {
  return GetPoint(dc, origin, &GdiDcState::brushOrigin);
}
BOOL SetViewportOrgEx(HDC dc, int x, int y, POINT* previous) {
  return SetPoint(dc, GdiOp::SetViewportOrgEx, x, y, previous, &GdiDcState::viewportOrigin,
                  false);
}
BOOL GetViewportOrgEx(HDC dc, POINT* origin) {
  return GetPoint(dc, origin, &GdiDcState::viewportOrigin);
}
BOOL OffsetViewportOrgEx(HDC dc, int dx, int dy, POINT* previous) {
  return SetPoint(dc, GdiOp::OffsetViewportOrgEx, dx, dy, previous,
                  &GdiDcState::viewportOrigin, true);
}
BOOL SetWindowOrgEx(HDC dc, int x, int y, POINT* previous) {
  return SetPoint(dc, GdiOp::SetWindowOrgEx, x, y, previous, &GdiDcState::windowOrigin, false);
}
BOOL GetWindowOrgEx(HDC dc, POINT* origin) {
  return GetPoint(dc, origin, &GdiDcState::windowOrigin);
}
BOOL OffsetWindowOrgEx(HDC dc, int dx, int dy, POINT* previous) {
  return SetPoint(dc, GdiOp::OffsetWindowOrgEx, dx, dy, previous, &GdiDcState::windowOrigin,
                  true);
}
BOOL SetViewportExtEx(HDC dc, int x, int y, SIZE* previous) {
  return SetExtent(dc, GdiOp::SetViewportExtEx, x, y, previous, &GdiDcState::viewportExtent);
}
BOOL GetViewportExtEx(HDC handle, SIZE* extent) {
  GdiDC* dc = Dc(handle);
  if (!dc || !extent) return FALSE_;
  *extent = dc->state.viewportExtent;
  return TRUE_;
}
BOOL SetWindowExtEx(HDC dc, int x, int y, SIZE* previous) {
  return SetExtent(dc, GdiOp::SetWindowExtEx, x, y, previous, &GdiDcState::windowExtent);
}
BOOL GetWindowExtEx(HDC handle, SIZE* extent) {
  GdiDC* dc = Dc(handle);
  if (!dc || !extent) return FALSE_;
  *extent = dc->state.windowExtent;
  return TRUE_;
}

BOOL LPtoDP(HDC handle, POINT* points, int count) {
  GdiDC* dc = Dc(handle);
  if (!dc || (count > 0 && !points) || count < 0) return FALSE_;
  for (int i = 0; i < count; ++i) points[i] = GdiToDevice(*dc, points[i]);
  return TRUE_;
}

BOOL DPtoLP(HDC handle, POINT* points, int count) {
  GdiDC* dc = Dc(handle);
  if (!dc || (count > 0 && !points) || count < 0) return FALSE_;
  for (int i = 0; i < count; ++i) points[i] = GdiToLogical(*dc, points[i]);
  return TRUE_;
}

BOOL MoveToEx(HDC handle, int x, int y, POINT* previous) {
  return SetPoint(handle, GdiOp::MoveToEx, x, y, previous, &GdiDcState::position, false);
}

BOOL GetCurrentPositionEx(HDC handle, POINT* position) {
  return GetPoint(handle, position, &GdiDcState::position);
}

// ---------------------------------------------------------------------------
// Clipping

int SelectClipRgn(HDC dc, HRGN region) { return ExtSelectClipRgn(dc, region, RGN_COPY); }

int ExtSelectClipRgn(HDC handle, HRGN regionHandle, int mode) {
  GdiDC* dc = Dc(handle);
  if (!dc) return ERROR;
  if (mode < RGN_AND || mode > RGN_COPY) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return ERROR;
  }
  GdiRegionObject* region = nullptr;
  if (regionHandle) {
    region = GdiRegionFromHandle(regionHandle);
    if (!region) return ERROR;
  } else if (mode != RGN_COPY) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return ERROR;
  }
  GdiCall call{GdiOp::ExtSelectClipRgn};
  call.object = regionHandle;
  call.args[0] = mode;
  GdiRecord(*dc, call);
  if (!region) {
    dc->state.clip.reset();  // no clip: the whole device
    return SIMPLEREGION;
  }
  // The region is in device coordinates and is copied.
  if (mode == RGN_COPY) {
    SetClip(*dc, region->region);
  } else {
    SetClip(*dc, CombineClip(*dc, region->region, mode));
  }
  return Complexity(*dc);
}

int IntersectClipRect(HDC dc, int left, int top, int right, int bottom) {
  return ClipRectOp(dc, GdiOp::IntersectClipRect, left, top, right, bottom, RGN_AND);
}

int ExcludeClipRect(HDC dc, int left, int top, int right, int bottom) {
  return ClipRectOp(dc, GdiOp::ExcludeClipRect, left, top, right, bottom, RGN_DIFF);
}

int OffsetClipRgn(HDC handle, int dx, int dy) {
  GdiDC* dc = Dc(handle);
  if (!dc) return ERROR;
  GdiCall call{GdiOp::OffsetClipRgn};
  call.args[0] = dx;
  call.args[1] = dy;
  GdiRecord(*dc, call);
  if (dc->state.clip) {
    POINT o = GdiToDevice(*dc, {0, 0});
    POINT d = GdiToDevice(*dc, {dx, dy});
    GdiRegion moved = *dc->state.clip;
    moved.Offset(d.x - o.x, d.y - o.y);
    SetClip(*dc, std::move(moved));
  }
  return Complexity(*dc);
}

int GetClipBox(HDC handle, RECT* box) {
  GdiDC* dc = Dc(handle);
  if (!dc || !box) return ERROR;
  GdiRegion visible = GdiRegion::Combine(ClipOrDevice(*dc), GdiRegion(GdiDeviceBounds(*dc)),
                                         RGN_AND);
  RECT b = visible.Bounds();
  POINT a = GdiToLogical(*dc, {b.left, b.top});
  POINT c = GdiToLogical(*dc, {b.right, b.bottom});
  *box = {a.x, a.y, c.x, c.y};
  return visible.Complexity();
}

int GetClipRgn(HDC handle, HRGN regionHandle) {
  GdiDC* dc = Dc(handle);
  GdiRegionObject* region = dc ? GdiRegionFromHandle(regionHandle) : nullptr;
  if (!region) return -1;
  if (!dc->state.clip) return 0;
  region->region = *dc->state.clip;
  return 1;
}

BOOL RectVisible(HDC handle, const RECT* rect) {
  GdiDC* dc = Dc(handle);
  if (!dc || !rect) return FALSE_;
  GdiRegion visible = GdiRegion::Combine(ClipOrDevice(*dc), GdiRegion(GdiDeviceBounds(*dc)),
                                         RGN_AND);
  return visible.Intersects(GdiRectToDevice(*dc, *rect)) ? TRUE_ : FALSE_;
}

BOOL PtVisible(HDC handle, int x, int y) {
  GdiDC* dc = Dc(handle);
  if (!dc) return FALSE_;
  POINT p = GdiToDevice(*dc, {x, y});
  RECT b = GdiDeviceBounds(*dc);
  if (p.x < b.left || p.x >= b.right || p.y < b.top || p.y >= b.bottom) return FALSE_;
  if (dc->dcKind == GdiDcKind::Window && (!dc->Target() || !dc->system.Contains(p.x, p.y))) {
    return FALSE_;
  }
  return (!dc->state.clip || dc->state.clip->Contains(p.x, p.y)) ? TRUE_ : FALSE_;
}

std::shared_ptr<GdiSurface> GdiScreenSurface() { return ScreenSurface(); }

std::shared_ptr<GdiSurface> GdiReadableSurface(GdiDC& dc) {
  GdiNeedPagePixels(dc);
  GdiSurface* target = dc.Target();
  if (!target) return nullptr;
  // A page with pixels on demand is read only when it has them all (it has,
  // unless memory for them ran out).
  if (dc.pagePixelsOnDemand &&
      !(dc.system == GdiRegion(RECT{0, 0, target->width, target->height}))) {
    return nullptr;
  }
  if (dc.dcKind != GdiDcKind::Window) return std::shared_ptr<GdiSurface>(dc.surface, target);
  std::shared_ptr<GdiSurface> screen = ScreenSurface();
  auto copy = GdiSurface::Create(target->width, target->height, 32, 4, false);
  if (!copy || !screen) return nullptr;
  // The columns of the client area that lie on the screen, a row at a time.
  const int64_t left = std::max<int64_t>(0, -int64_t{dc.screenOrigin.x});
  const int64_t right = std::min<int64_t>(copy->width, int64_t{screen->width} - dc.screenOrigin.x);
  for (int32_t y = 0; y < copy->height && left < right; ++y) {
    const int64_t sy = int64_t{y} + dc.screenOrigin.y;
    if (sy < 0 || sy >= screen->height) continue;
    GdiCopyColorBytes(copy->Row(y) + 4 * left,
                      screen->Row(static_cast<int32_t>(sy)) + 4 * (left + dc.screenOrigin.x),
                      static_cast<int32_t>(right - left), 32);
  }
  return copy;
}
