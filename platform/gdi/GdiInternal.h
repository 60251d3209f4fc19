// The GDI stand-in's own structures: the object table, pixel surfaces, device
// contexts and their state, and the hooks through which the font code and the
// metafile recorder work on a DC. Internal to platform/gdi.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/gdi/GdiRegion.h"
#include "platform/gdi/WinGdi.h"

// ---------------------------------------------------------------------------
// Objects

enum class GdiKind : uint8_t {
  Free = 0,
  DC = 1,
  Pen = 2,
  Brush = 3,
  Font = 4,
  Bitmap = 5,
  Region = 6,
  Palette = 7,
};

// Every handle names one entry of a table; a handle carries the entry's index,
// its kind and a generation, so a stale or forged handle is refused.
struct GdiObject {
  explicit GdiObject(GdiKind kind) : kind(kind) {}
  virtual ~GdiObject() = default;
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;

  GdiKind kind;
  HGDIOBJ handle = nullptr;
  bool stock = false;          // never deleted
  int32_t uses = 0;            // selections into DCs, and saved DC states holding it
  bool deletePending = false;  // deleted while in use: goes when the last use ends
};

// Pixels of a bitmap, a window's client area or a printed page. Row 0 is the
// top row; rows are `stride` bytes apart (negative for a bottom-up DIB, whose
// memory starts with the last row). Formats: 1, 4 and 8 bits with a colour
// table (bit 7 / the high nibble is the leftmost pixel), 16 bits 5-5-5,
// 24 bits B G R, 32 bits B G R and a fourth byte that drawing leaves alone.
struct GdiSurface {
  int32_t width = 0;
  int32_t height = 0;
  int32_t bitsPerPixel = 32;
  ptrdiff_t stride = 0;
  uint8_t* bits = nullptr;
  std::vector<RGBQUAD> colors;  // indexed formats
  // A device monochrome bitmap (not a DIB): blits colour its 0 bits with the
  // destination's text colour and its 1 bits with its back colour.
  bool deviceMono = false;
  bool dibSection = false;
  bool bottomUp = false;            // DIB section memory order
  std::shared_ptr<void> storage;    // owns (or keeps alive) the memory at bits

  // A surface with zeroed pixels; rows are padded to `rowAlign` bytes.
  // Null when the size is out of range or memory runs out.
  static std::shared_ptr<GdiSurface> Create(int32_t width, int32_t height, int32_t bitsPerPixel,
                                            int32_t rowAlign, bool bottomUp);
  static ptrdiff_t RowBytes(int32_t width, int32_t bitsPerPixel, int32_t rowAlign);

  uint8_t* Row(int32_t y) const { return bits + static_cast<ptrdiff_t>(y) * stride; }
  uint32_t Get(int32_t x, int32_t y) const;
  void Set(int32_t x, int32_t y, uint32_t value);
  // The bits of a pixel value that drawing changes.
  uint32_t ValueMask() const;
  // A pixel value as a colour, and a colour as the nearest pixel value.
  COLORREF ToColor(uint32_t value) const;
  uint32_t FromColor(COLORREF rgb) const;
};

struct GdiBitmap : GdiObject {
  GdiBitmap() : GdiObject(GdiKind::Bitmap) {}
  std::shared_ptr<GdiSurface> surface;
  HDC selectedInto = nullptr;  // a bitmap is in at most one memory DC
};

// What a pen or brush puts on the pixels it covers.
struct GdiBrushData {
  UINT style = BS_SOLID;  // BS_SOLID, BS_NULL, BS_HATCHED, BS_PATTERN
  COLORREF color = 0;
  int32_t hatch = 0;
  std::shared_ptr<GdiSurface> pattern;  // a copy of the pattern bitmap
};

struct GdiPen : GdiObject {
  GdiPen() : GdiObject(GdiKind::Pen) {}
  DWORD style = PS_SOLID;  // whole style word: type, end cap, join, style
  int32_t width = 1;
  bool extended = false;   // made by ExtCreatePen (GetObject answers EXTLOGPEN)
  GdiBrushData brush;
  UINT Style() const { return style & PS_STYLE_MASK; }
};

struct GdiBrush : GdiObject {
  GdiBrush() : GdiObject(GdiKind::Brush) {}
  GdiBrushData data;
  HBITMAP patternHandle = nullptr;  // what GetObject reports for a pattern brush
};

struct GdiFont : GdiObject {
  GdiFont() : GdiObject(GdiKind::Font) {}
  LOGFONTA logFont{};
  // The font code's realisation of this font (face, size, glyph cache), made
  // on first use and released with the object.
  std::shared_ptr<void> realization;
};

struct GdiPalette : GdiObject {
  GdiPalette() : GdiObject(GdiKind::Palette) {}
  std::vector<PALETTEENTRY> entries;
};

struct GdiRegionObject : GdiObject {
  GdiRegionObject() : GdiObject(GdiKind::Region) {}
  GdiRegion region;
};

// ---------------------------------------------------------------------------
// Device contexts

enum class GdiDcKind : uint8_t {
  Screen,    // GetDC(NULL), CreateDCA("DISPLAY")
  Window,    // GetDC(window): the window's client area
  Memory,    // CreateCompatibleDC: draws into its selected bitmap
  Printer,   // CreateDCA(printer): a page-sized buffer
  Info,      // CreateICA: answers questions, draws nothing
  Metafile,  // a recording DC: calls go to its recorder
};

struct GdiDeviceCaps {
  int32_t technology = DT_RASDISPLAY;
  int32_t horzRes = 0, vertRes = 0;    // drawable pixels
  int32_t horzSize = 0, vertSize = 0;  // millimetres
  int32_t bitsPixel = 32, planes = 1;
  int32_t numColors = -1;
  int32_t rasterCaps = 0;
  int32_t logPixelsX = 96, logPixelsY = 96;
  int32_t physicalWidth = 0, physicalHeight = 0;
  int32_t physicalOffsetX = 0, physicalOffsetY = 0;
};

// Everything SaveDC keeps. Objects held here count as in use.
struct GdiDcState {
  GdiPen* pen = nullptr;
  GdiBrush* brush = nullptr;
  GdiFont* font = nullptr;
  GdiBitmap* bitmap = nullptr;  // memory DCs
  GdiPalette* palette = nullptr;
  COLORREF textColor = RGB(0, 0, 0);
  COLORREF bkColor = RGB(255, 255, 255);
  int bkMode = OPAQUE;
  int rop2 = R2_COPYPEN;
  int stretchMode = BLACKONWHITE;
  int polyFillMode = ALTERNATE;
  int mapMode = MM_TEXT;
  int graphicsMode = GM_COMPATIBLE;
  UINT textAlign = TA_LEFT | TA_TOP | TA_NOUPDATECP;
  POINT position{0, 0};  // current position, logical
  POINT brushOrigin{0, 0};  // device
  POINT windowOrigin{0, 0};
  POINT viewportOrigin{0, 0};
  SIZE windowExtent{1, 1};
  SIZE viewportExtent{1, 1};
  // The clip region in device coordinates; null means no clip. Never changed
  // in place (a saved state may share it).
  std::shared_ptr<const GdiRegion> clip;
};

class GdiRecorder;

struct GdiDC : GdiObject {
  GdiDC() : GdiObject(GdiKind::DC) {}
  ~GdiDC() override;
  GdiDcKind dcKind = GdiDcKind::Memory;
  GdiDcState state;
  std::vector<GdiDcState> saved;
  GdiDeviceCaps caps;
  HWND window = nullptr;
  // Window, screen and printer DCs own their pixels; memory DCs draw into the
  // selected bitmap's. Printer pages are allocated on first drawing, unless
  // the page's pixels are made on demand.
  std::shared_ptr<GdiSurface> surface;
  std::unique_ptr<GdiRecorder> recorder;
  // A printer page whose pixels its print job makes only where it needs them
  // (a job that writes its pages as vectors): until then Target() gives no
  // page and drawing answers as on a recording DC; once the job has made
  // some, they exist and are drawn on only inside `system`.
  bool pagePixelsOnDemand = false;
  // A window DC's view of the screen: where its client area lies and the
  // part of it that shows (device coordinates), refreshed by Target(). For a
  // page with pixels on demand, the part of the page that has them.
  POINT screenOrigin{0, 0};
  GdiRegion system;
  uint64_t viewGeneration = 0;  // the window table's count when taken

  // Where drawing goes: null for information and recording DCs, and for a
  // window DC whose window is gone. A window DC's surface is a view of the
  // screen's pixels at the client area; only its `system` part lies on the
  // screen and may be touched.
  GdiSurface* Target();
};

// The one screen of pixels that screen and window DCs draw on.
std::shared_ptr<GdiSurface> GdiScreenSurface();
// The DC's pixels for reading as a whole (a blit source, a snapshot): the
// target itself, or for a window DC a copy of its client area as the screen
// shows it, black where it lies off the screen.
std::shared_ptr<GdiSurface> GdiReadableSurface(GdiDC& dc);

// ---------------------------------------------------------------------------
// The object table

// The live object a handle names, or null (ERROR_INVALID_HANDLE) when the
// handle is stale, forged or of another kind.
GdiObject* GdiLookup(HGDIOBJ handle);
GdiDC* GdiDcFromHandle(HDC dc);
GdiPen* GdiPenFromHandle(HPEN pen);
GdiBrush* GdiBrushFromHandle(HBRUSH brush);
GdiFont* GdiFontFromHandle(HFONT font);
GdiBitmap* GdiBitmapFromHandle(HBITMAP bitmap);
GdiRegionObject* GdiRegionFromHandle(HRGN region);
GdiPalette* GdiPaletteFromHandle(HPALETTE palette);

// Enters an object into the table and returns its handle (null when the
// table is full: the object is then deleted).
HGDIOBJ GdiInsert(std::unique_ptr<GdiObject> object);

// A new font object holding the record; the font code's CreateFontIndirectA
// makes its fonts this way.
HFONT GdiNewFont(const LOGFONTA& logFont);

// Uses of an object by DCs and saved states. Ending the last use of an object
// deleted meanwhile deletes it.
void GdiUse(GdiObject* object);
void GdiUnuse(GdiObject* object);
// Takes an object out of the table and deletes it.
void GdiRemove(GdiObject* object);
// Stock objects by GetStockObject index, and the 1 x 1 monochrome bitmap
// that every new memory DC holds.
GdiObject* GdiStockObject(int index);
GdiBitmap* GdiDefaultBitmap();
// A copy of a surface's pixels in the same format, top-down.
std::shared_ptr<GdiSurface> GdiCopySurface(const GdiSurface& surface);

// ---------------------------------------------------------------------------
// Coordinates and drawing hooks

POINT GdiToDevice(const GdiDC& dc, POINT logical);
POINT GdiToLogical(const GdiDC& dc, POINT device);

// The region drawing may touch, in device coordinates: the surface bounds
// cut by the clip region. Empty for DCs without a surface.
GdiRegion GdiVisibleRegion(GdiDC& dc);

// Paints the ink pixels (mask bytes not 0) of a coverage mask whose top-left
// pixel lands on device (x, y), in one colour, through the DC's clip and,
// when given, a further device rectangle. Text mixes with R2_COPYPEN
// whatever the DC's mix mode, so this does too. The placement may lie
// anywhere, off the device or beyond the 32-bit range.
void GdiPaintMask(GdiDC& dc, int64_t x, int64_t y, int32_t width, int32_t height,
                  const uint8_t* mask, ptrdiff_t maskStride, COLORREF color,
                  const RECT* deviceClip = nullptr);
// Fills a device rectangle with a colour through the DC's clip and, when
// given, a further device rectangle: the opaque background of text.
void GdiFillDeviceRect(GdiDC& dc, const RECT& rect, COLORREF color,
                       const RECT* deviceClip = nullptr);

// ---------------------------------------------------------------------------
// Recording DCs (the extension point of the enhanced-metafile recorder)

// The calls a recording DC passes on. The recorder reads the DC's state (it
// is updated after the call is recorded) and the call's arguments.
enum class GdiOp : uint16_t {
  SelectObject, SaveDC, RestoreDC,
  SetTextColor, SetBkColor, SetBkMode, SetROP2, SetTextAlign, SetStretchBltMode,
  SetPolyFillMode, SetBrushOrgEx, SetMapMode, SetGraphicsMode,
  SetViewportOrgEx, SetWindowOrgEx, SetViewportExtEx, SetWindowExtEx,
  OffsetViewportOrgEx, OffsetWindowOrgEx,
  SelectPalette, RealizePalette,
  SelectClipRgn, ExtSelectClipRgn, IntersectClipRect, ExcludeClipRect, OffsetClipRgn,
  MoveToEx, LineTo, Polyline, Polygon, Rectangle, Ellipse, RoundRect, Arc, Chord, Pie, SetPixel,
  ExtFloodFill, InvertRect, FillRgn, FrameRgn, PaintRgn, InvertRgn,
  PatBlt, BitBlt, StretchBlt, TransparentBlt, SetDIBitsToDevice, StretchDIBits,
  TextOut,  // recorded by the font code
};

struct GdiCall {
  GdiOp op;
  HGDIOBJ object = nullptr;   // the object, region, brush or source DC of the call
  int32_t args[10] = {};      // the integer arguments in the call's order; the DIB
                              // calls add their colour usage as args[9], FillRgn
                              // and FrameRgn their brush handle after the sizes
  const POINT* points = nullptr;
  int32_t count = 0;
  const void* data = nullptr;  // DIB bits, text, ...
  size_t size = 0;
  const BITMAPINFO* info = nullptr;
};

class GdiRecorder {
 public:
  virtual ~GdiRecorder() = default;
  virtual void Record(GdiDC& dc, const GdiCall& call) = 0;
  // The pixels of a page made on demand are about to be read (a pixel, a
  // blit from the page, a snapshot): the recorder gives the whole page its
  // pixels first.
  virtual void NeedPagePixels(GdiDC& dc) { (void)dc; }
};

inline void GdiRecord(GdiDC& dc, const GdiCall& call) {
  if (dc.recorder) dc.recorder->Record(dc, call);
}

// Called before a DC's pixels are read as they stand.
inline void GdiNeedPagePixels(GdiDC& dc) {
  if (dc.pagePixelsOnDemand && dc.recorder) dc.recorder->NeedPagePixels(dc);
}

// A recording DC with the device capabilities of the reference DC (the
// screen when null). Drawing on it draws nothing; every call goes to the
// recorder.
HDC GdiCreateRecordingDC(HDC reference, std::unique_ptr<GdiRecorder> recorder);

// ---------------------------------------------------------------------------
// Printers

// Printer devices known to CreateDCA and CreateICA, by name. A default
// printer is known from the start; the printing stand-in adds its own.
void GdiRegisterPrinter(const char* name, const GdiDeviceCaps& caps);
// A printer DC (a page of caps.horzRes x caps.vertRes pixels) or, with
// informationOnly, an information DC with those capabilities.
HDC GdiCreatePrinterDC(const GdiDeviceCaps& caps, bool informationOnly);
extern const char* const kGdiDefaultPrinterName;
