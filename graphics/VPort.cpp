// VPort: construction and binding to a device context, the look, colours,
// patterns and modes, the device mapping with its origin and scale stacks,
// the lazy building of pens and brushes, clipping and the plain drawing calls.
#include "graphics/VPort.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "framework/core/memory/VMemoryMgr.h"
#include "framework/system/environment/VSystemServices.h"
#include "graphics/GraphicsGlobals.h"
#include "graphics/GraphicsHooks.h"
#include "graphics/GraphicsMath_p.h"
#include "graphics/VLookPainter.h"
#include "graphics/VReferencePrinter.h"
#include "graphics/VRegion.h"
#include "platform/gdi/WinGdi.h"

namespace gm = graphics_math;

namespace {

// The first of the ports bound to a device context, each linked to the one
// bound after it. Two areas of one form share their window's DC, and close in
// any order. A plain pointer and links in the ports themselves: nothing is
// allocated, so nothing is left behind when the library is unloaded.
VPort* gFirstBoundPort = nullptr;

// Both halves 0x12345678: a pattern that has not been set.
void MarkPatternUnset(uint8_t pattern[8]) {
  const uint32_t unset = 0x12345678u;
  std::memcpy(pattern, &unset, 4);
  std::memcpy(pattern + 4, &unset, 4);
}

bool AllBytes(const uint8_t pattern[8], uint8_t value) {
  for (int i = 0; i < 8; ++i) {
    if (pattern[i] != value) return false;
  }
  return true;
}

bool SamePattern(const uint8_t pattern[8], const uint8_t* rows) {
  return std::memcmp(pattern, rows, 8) == 0;
}

bool IsWin9xFamily() {
  const int32_t code = VSystemServices::GetSystemVersion();
  return code == 3 || code == 5;
}

// A one-bit 8 x 8 bitmap whose rows (one 16-bit word each) are the inverted
// pattern bytes: a monochrome brush paints 0 bits in the DC's text colour,
// so pattern bits 1 take the foreground and bits 0 the background.
HBITMAP PatternBitmap(const uint8_t pattern[8]) {
  uint8_t rows[16];
  for (int i = 0; i < 8; ++i) {
    rows[2 * i] = static_cast<uint8_t>(~pattern[i]);
    rows[2 * i + 1] = 0;
  }
  return CreateBitmap(8, 8, 1, 1, rows);
}

struct HatchPattern {
  uint8_t rows[8];
  int hatch;
};

// The fill patterns that GDI draws as hatch brushes.
constexpr HatchPattern kHatchPatterns[] = {
    {{0xFF, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00}, HS_HORIZONTAL},
    {{0x00, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00}, HS_HORIZONTAL},
    {{0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0x00}, HS_HORIZONTAL},
    {{0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0xFF}, HS_HORIZONTAL},
    {{0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11}, HS_VERTICAL},
    {{0x22, 0x22, 0x22, 0x22, 0x22, 0x22, 0x22, 0x22}, HS_VERTICAL},
    {{0x44, 0x44, 0x44, 0x44, 0x44, 0x44, 0x44, 0x44}, HS_VERTICAL},
    {{0x88, 0x88, 0x88, 0x88, 0x88, 0x88, 0x88, 0x88}, HS_VERTICAL},
    {{0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01}, HS_FDIAGONAL},
    {{0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80}, HS_BDIAGONAL},
    {{0xFF, 0x88, 0x88, 0x88, 0xFF, 0x88, 0x88, 0x88}, HS_CROSS},
    {{0x88, 0xFF, 0x88, 0x88, 0x88, 0xFF, 0x88, 0x88}, HS_CROSS},
    {{0x88, 0x88, 0xFF, 0x88, 0x88, 0x88, 0xFF, 0x88}, HS_CROSS},
    {{0x88, 0x88, 0x88, 0xFF, 0x88, 0x88, 0x88, 0xFF}, HS_CROSS},
    {{0x01, 0x82, 0x44, 0x28, 0x10, 0x28, 0x44, 0x82}, HS_DIAGCROSS},
};

struct GreyPattern {
  uint8_t rows[8];
  int stock;
};

// The three greys, drawn with the stock grey brushes on zoomed ports only.
constexpr GreyPattern kGreyPatterns[] = {
    {{0x88, 0x22, 0x88, 0x22, 0x88, 0x22, 0x88, 0x22}, LTGRAY_BRUSH},
    {{0x22, 0x88, 0x22, 0x88, 0x22, 0x88, 0x22, 0x88}, LTGRAY_BRUSH},
    {{0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55}, GRAY_BRUSH},
    {{0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA}, GRAY_BRUSH},
    {{0xDD, 0x77, 0xDD, 0x77, 0xDD, 0x77, 0xDD, 0x77}, DKGRAY_BRUSH},
    {{0x77, 0xDD, 0x77, 0xDD, 0x77, 0xDD, 0x77, 0xDD}, DKGRAY_BRUSH},
};

// The standard patterns, one byte a row.
constexpr uint8_t kStandardPatterns[13][8] = {
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00},
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00},
    {0x22, 0x88, 0x22, 0x88, 0x22, 0x88, 0x22, 0x88},
    {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA},
    {0xDD, 0x77, 0xDD, 0x77, 0xDD, 0x77, 0xDD, 0x77},
    {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
    {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
    {0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0xFF},
    {0x88, 0x88, 0x88, 0x88, 0x88, 0x88, 0x88, 0x88},
    {0x88, 0x88, 0x88, 0xFF, 0x88, 0x88, 0x88, 0xFF},
    {0x08, 0x04, 0x02, 0x01, 0x80, 0x40, 0x20, 0x10},
    {0x10, 0x20, 0x40, 0x80, 0x01, 0x02, 0x04, 0x08},
    {0x10, 0x28, 0x44, 0x82, 0x01, 0x82, 0x44, 0x28},
};

void PushReal(VDoubleStack& stack, double value) {
  uint32_t halves[2];
  std::memcpy(halves, &value, 8);
  stack.Push(halves[0], halves[1]);
}

// What the pattern pen's line walk needs.
struct PatternLine {
  HDC dc;
  const uint8_t* pattern;
  COLORREF pen;
  COLORREF back;
  int16_t mode;
};

void PatternPoint(int x, int y, LPARAM data) {
  const auto* line = reinterpret_cast<const PatternLine*>(data);
  // Bit (x & 7) of row (y & 7), counted from the least significant bit.
  const bool set = ((line->pattern[y & 7] >> (x & 7)) & 1) != 0;
  if (line->mode == 0) {
    SetPixel(line->dc, x, y, set ? line->pen : line->back);
  } else if (set) {
    SetPixel(line->dc, x, y, line->pen);
  }
}

}  // namespace

void PatternFromIndex(int32_t index, uint8_t pattern[8]) {
  if (index < 0 || index > 12) return;
  std::memcpy(pattern, kStandardPatterns[index], 8);
}

// ---------------------------------------------------------------------------
// Construction and binding

VPort::VPort(HDC dc) {
  MarkPatternUnset(fPenPattern);
  MarkPatternUnset(fFillPattern);
  MarkPatternUnset(fCachedBrushPattern);
  SetLook(-1);
  AttachDC(dc);
}

VPort::~VPort() {
  UseFontEntry(nullptr);
  DetachDC();
  DeleteSavedClips();
  if (fCachedPatternBrush != nullptr) DeleteObject(fCachedPatternBrush);
  if (fEraseBrush != nullptr) DeleteObject(fEraseBrush);
}

void VPort::BeginOffscreen(const VFrame*) {}
void VPort::CopyRegionToScreen(const VRegion&, bool) {}
void VPort::CopyRectToScreen(const VRect&, bool) {}
void VPort::CopyToScreen(bool) {}
void VPort::EndOffscreen() {}
bool VPort::IsMetafile() const { return false; }
bool VPort::IsScaled() const { return false; }
int32_t VPort::GetWidth() const { return 0; }
int32_t VPort::GetHeight() const { return 0; }

void VPort::MarkAllDirty() {
  fFontDirty = kFontDirtyAll;
  fPenDirty = fFillDirty = fEraseDirty = true;
}

void VPort::AttachDC(HDC dc) {
  DetachDC();
  fCurrentDC = fBaseDC = dc;
  if (dc == nullptr) return;

  fPenX = fPenY = 0.0;
  MarkAllDirty();
  fSpareFlag = 0;
  fPenFlag = 0;
  fSizeInDeviceUnits = false;
  fOriginX = fOriginY = 0;
  fDeviceScaleOn = false;
  fScaleX = fScaleY = 1.0;
  fZoomOn = false;
  fZoomX = fZoomY = 1.0;
  MarkPatternUnset(fPenPattern);
  MarkPatternUnset(fFillPattern);
  fPenMode = 0;
  fTextMode = 0;
  fPenColor = fFillColor = fBackColor = fTextColor = 0xFFFFFFFFu;
  fCopyForeColor = 0;
  fCopyBackColor = 0xFFFFFF;
  fFontStyle = 0;
  fTrueType = false;
  fFontSize = -1.0;
  fPrinterRatioX = fPrinterRatioY = 1.0;
  fPatternPen = false;
  fDrawMode = kDrawNone;
  fTextCarry = 0.0f;

  ReadDeviceColors(dc);

  fSavedTextAlign = GetTextAlign(dc);
  SetTextAlign(dc, TA_BASELINE | TA_UPDATECP);
  fSavedBrush = VGdiSelection(dc, GetStockObject(NULL_BRUSH));
  fSavedPen = VGdiSelection(dc, GetStockObject(BLACK_PEN));
  fSavedFont = VGdiSelection(dc, GetStockObject(SYSTEM_FONT));
  fSavedTextColor = ::GetTextColor(dc);
  fSavedBackColor = GetBkColor(dc);
  VPort** tail = &gFirstBoundPort;
  while (*tail != nullptr) tail = &(*tail)->fNextBound;
  *tail = this;
  fNextBound = nullptr;

  SetThemeDefaults();
}

void VPort::DetachDC() {
  if (fBaseDC != nullptr) {
    if (IsOffscreen()) EndOffscreen();
    HDC dc = fBaseDC;
    GdiFlush();
    VPort* later = fNextBound;
    while (later != nullptr && later->fBaseDC != dc) later = later->fNextBound;
    if (later != nullptr) {
      // A port bound to the DC since displaced this one's objects and
      // settings: it takes over the DC's own, to give them back when it lets
      // go, and this port's objects go now.
      VPort& next = *later;
      next.fSavedTextAlign = fSavedTextAlign;
      next.fSavedTextColor = fSavedTextColor;
      next.fSavedBackColor = fSavedBackColor;
      DeleteOwnObjects(next.fSavedPen.TakeOver(fSavedPen), next.fSavedBrush.TakeOver(fSavedBrush),
                       next.fSavedFont.TakeOver(fSavedFont));
    } else {
      SetTextAlign(dc, fSavedTextAlign);
      DeleteOwnObjects(fSavedPen.Restore(), fSavedBrush.Restore(), fSavedFont.Restore());
      ::SetTextColor(dc, fSavedTextColor);
      SetBkColor(dc, fSavedBackColor);
    }
    for (VPort** link = &gFirstBoundPort; *link != nullptr; link = &(*link)->fNextBound) {
      if (*link == this) {
        *link = fNextBound;
        break;
      }
    }
    fNextBound = nullptr;
    ClearReferencePrinter();
    // The objects the port built are gone with the DC's.
    MarkAllDirty();
    fDrawMode = kDrawNone;
  }
  ReleaseWorkDC();
  fCurrentDC = fBaseDC = nullptr;
}

void VPort::DeleteOwnObjects(HGDIOBJ pen, HGDIOBJ brush, HGDIOBJ font) {
  if (pen != nullptr) DeleteObject(pen);
  if (brush != nullptr && brush != fEraseBrush) DeleteObject(brush);
  if (font != nullptr) DeleteObject(font);
}

void VPort::ReleaseWorkDC() {
  if (fWorkDC == nullptr) return;
  if (fWorkPalette != nullptr) SelectPalette(fWorkDC, fWorkPalette, FALSE_);
  DeleteDC(fWorkDC);
  fWorkDC = nullptr;
  fWorkPalette = nullptr;
}

void VPort::DeleteSavedClips() {
  while (!fClipStack.IsEmpty()) {
    HRGN saved = reinterpret_cast<HRGN>(fClipStack.Pop());
    if (saved != nullptr) DeleteObject(saved);
  }
}

void VPort::ResetState() {
  fObjectStack.Clear();
  fFlagStack.Clear();
  fOriginStack.Clear();
  fPenPositionStack.Clear();
  fScaleStack.Clear();
  DeleteSavedClips();
  ReleaseWorkDC();
  // With the origin stack emptied, the origin goes back to where it started.
  fOriginX = fOriginY = 0;
  fDeviceScaleOn = false;
  fScaleX = fScaleY = 1.0;
  fZoomOn = false;
  fZoomX = fZoomY = 1.0;
  fPrinterRatioX = fPrinterRatioY = 1.0;
  fTextCarry = 0.0f;
  fTextAngle = 0.0f;
  fSpareFlag = 0;
  MarkAllDirty();
}

void VPort::ReportGdiFailure() { fLastGdiError = GetLastError(); }

// ---------------------------------------------------------------------------
// Look

int16_t VPort::SetLook(int16_t kind) {
  const int16_t previous = fLookKind;
  if (kind <= -2) return previous;
  const int16_t chosen = (kind == 0 || kind == 3 || kind == 4) ? 3 : 2;
  if (chosen != fLookKind) {
    fLookKind = chosen;
    fLookPainter = LookPainterForKind(chosen);
  }
  return previous;
}

void VPort::SetThemeDefaults() {
  if (fCurrentDC == nullptr) return;
  SetBackColorIndex(0);
  SetFillColorIndex(10);
  SetPenColorIndex(10);
  SetTextColorIndex(10);
  SetPenPatternIndex(6);
  SetFillPatternIndex(6);
  SetPenWidth(1);
  SetPenMode(0);
  UseStandardFont(5);
  SetTextMode(1);
}

void VPort::DrawThemeElement(int32_t kind, int32_t state, int32_t x, int32_t y, int32_t w,
                             int32_t h, const VString* text, int32_t extra) {
  if (fLookPainter != nullptr &&
      fLookPainter->DrawElement(*this, kind, state, x, y, w, h, text, extra)) {
    return;
  }
  SetFillColorIndex(0);
  SetPenColorIndex(10);
  PaintAndFrameRect(x, y, w, h);
  if (text != nullptr) {
    SetTextColorIndex(10);
    DrawTextInBox(*text, 0, 1, x, y, w, h, false);
  }
}

// ---------------------------------------------------------------------------
// Colours

COLORREF VPort::DeviceColor(COLORREF rgb) const {
  COLORREF color = rgb & 0xFFFFFF;
  if (IsPaletteDevice()) color |= 0x02000000u;
  return color;
}

COLORREF VPort::IndexColor(int32_t index) const {
  VLookPainter* painter = fLookPainter != nullptr ? fLookPainter : LookPainterForKind(fLookKind);
  COLORREF color = painter->GetColor(index);
  if (IsPaletteDevice()) color |= 0x02000000u;
  return color;
}

void VPort::SetPenColor(COLORREF color) {
  fPenColor = DeviceColor(color);
  fPenDirty = true;
}
void VPort::SetPenColorRGB(uint8_t r, uint8_t g, uint8_t b) { SetPenColor(RGB(r, g, b)); }
void VPort::SetPenColorIndex(int32_t index) {
  fPenColor = IndexColor(index);
  fPenDirty = true;
}

void VPort::SetFillColor(COLORREF color) {
  fFillColor = DeviceColor(color);
  fFillDirty = true;
}
void VPort::SetFillColorRGB(uint8_t r, uint8_t g, uint8_t b) { SetFillColor(RGB(r, g, b)); }
void VPort::SetFillColorIndex(int32_t index) {
  fFillColor = IndexColor(index);
  fFillDirty = true;
}

// Pattern pens and brushes use the back colour, and the erase brush is made
// of it.
void VPort::SetBackColor(COLORREF color) {
  fBackColor = DeviceColor(color);
  fPenDirty = fFillDirty = fEraseDirty = true;
}
void VPort::SetBackColorRGB(uint8_t r, uint8_t g, uint8_t b) { SetBackColor(RGB(r, g, b)); }
void VPort::SetBackColorIndex(int32_t index) {
  fBackColor = IndexColor(index);
  fPenDirty = fFillDirty = fEraseDirty = true;
}

void VPort::SetTextColor(COLORREF color) {
  fTextColor = DeviceColor(color);
  fDrawMode = kDrawNone;
}
void VPort::SetTextColorRGB(uint8_t r, uint8_t g, uint8_t b) { SetTextColor(RGB(r, g, b)); }
void VPort::SetTextColorIndex(int32_t index) {
  fTextColor = IndexColor(index);
  fDrawMode = kDrawNone;
}

void VPort::SetCopyForeColor(COLORREF color) { fCopyForeColor = DeviceColor(color); }
void VPort::SetCopyForeColorRGB(uint8_t r, uint8_t g, uint8_t b) {
  SetCopyForeColor(RGB(r, g, b));
}
void VPort::SetCopyForeColorIndex(int32_t index) { fCopyForeColor = IndexColor(index); }
void VPort::SetCopyBackColor(COLORREF color) { fCopyBackColor = DeviceColor(color); }
void VPort::SetCopyBackColorRGB(uint8_t r, uint8_t g, uint8_t b) {
  SetCopyBackColor(RGB(r, g, b));
}
void VPort::SetCopyBackColorIndex(int32_t index) { fCopyBackColor = IndexColor(index); }

// ---------------------------------------------------------------------------
// Pen, patterns and modes

void VPort::SetPenWidth(int16_t width) {
  fPenWidth = width;
  fPenDirty = true;
}

void VPort::SetPenPattern(const uint8_t pattern[8]) {
  std::memcpy(fPenPattern, pattern, 8);
  fPenDirty = true;
}

void VPort::SetPenPatternIndex(int32_t index) {
  PatternFromIndex(index, fPenPattern);
  fPenDirty = true;
}

void VPort::GetPenPattern(uint8_t pattern[8]) const { std::memcpy(pattern, fPenPattern, 8); }

void VPort::SetFillPattern(const uint8_t pattern[8]) {
  std::memcpy(fFillPattern, pattern, 8);
  fFillDirty = true;
}

void VPort::SetFillPatternIndex(int32_t index) {
  PatternFromIndex(index, fFillPattern);
  fFillDirty = true;
}

void VPort::GetFillPattern(uint8_t pattern[8]) const { std::memcpy(pattern, fFillPattern, 8); }

void VPort::SetPenFlag(uint8_t flag) {
  fPenFlag = flag;
  fPenDirty = true;
}

int16_t VPort::SetPenMode(int16_t mode) {
  const int16_t previous = fPenMode;
  fPenMode = mode;
  fDrawMode = kDrawNone;
  return previous;
}

int16_t VPort::SetTextMode(int16_t mode) {
  const int16_t previous = fTextMode;
  fTextMode = mode;
  // The DC's background mode follows at the next text drawing.
  if (fDrawMode == kDrawText) fDrawMode = kDrawNone;
  return previous;
}

// ---------------------------------------------------------------------------
// Origin, scale and the spare flag

void VPort::PushOrigin(int32_t dx, int32_t dy) {
  int32_t px = dx;
  int32_t py = dy;
  if (fZoomOn) {
    px = gm::Trunc(dx * fScaleX * fZoomX);
    py = gm::Trunc(dy * fScaleY * fZoomY);
  } else if (fDeviceScaleOn) {
    px = gm::Trunc(dx * fScaleX);
    py = gm::Trunc(dy * fScaleY);
  }
  fOriginStack.Push(static_cast<uint32_t>(px));
  fOriginStack.Push(static_cast<uint32_t>(py));
  fOriginX = gm::Add(fOriginX, px);
  fOriginY = gm::Add(fOriginY, py);
}

void VPort::PopOrigin() {
  const int32_t py = static_cast<int32_t>(fOriginStack.Pop());
  const int32_t px = static_cast<int32_t>(fOriginStack.Pop());
  fOriginX = gm::Sub(fOriginX, px);
  fOriginY = gm::Sub(fOriginY, py);
}

void VPort::GetOffscreenOffset(int32_t& x, int32_t& y) const {
  x = y = 0;
  if (!IsOffscreen() || fObjectStack.GetCount() < 2) return;
  // The top two entries of the offscreen record, y above x, read in place.
  auto& stack = const_cast<VAddressStack&>(fObjectStack);
  const uintptr_t top = stack.Pop();
  const uintptr_t below = stack.Pop();
  stack.Push(below);
  stack.Push(top);
  x = static_cast<int32_t>(below);
  y = static_cast<int32_t>(top);
}

void VPort::GetOrigin(int32_t& x, int32_t& y) const {
  int32_t sx = 0;
  int32_t sy = 0;
  GetOffscreenOffset(sx, sy);
  const int64_t ox = int64_t{fOriginX} + sx;
  const int64_t oy = int64_t{fOriginY} + sy;
  if (fZoomOn) {
    x = gm::Trunc(ox / (fScaleX * fZoomX));
    y = gm::Trunc(oy / (fScaleY * fZoomY));
  } else if (fDeviceScaleOn) {
    x = gm::Trunc(ox / fScaleX);
    y = gm::Trunc(oy / fScaleY);
  } else {
    x = gm::Clamp32(ox);
    y = gm::Clamp32(oy);
  }
}

void VPort::PushScale(double fx, double fy) {
  PushReal(fScaleStack, fx);
  PushReal(fScaleStack, fy);
  fScaleX *= fx;
  fScaleY *= fy;
  fOriginX = gm::Trunc(fOriginX * fx);
  fOriginY = gm::Trunc(fOriginY * fy);
  fDeviceScaleOn = !(fScaleX == 1.0 && fScaleY == 1.0);
}

void VPort::PopScale() {
  // A pop without its push would divide by the empty stack's 0.0.
  if (fScaleStack.GetCount() < 2) return;
  const double fy = fScaleStack.Pop();
  const double fx = fScaleStack.Pop();
  if (fy != 0.0) fScaleY /= fy;
  if (fx != 0.0) fScaleX /= fx;
  fDeviceScaleOn = !(fScaleX == 1.0 && fScaleY == 1.0);
}

void VPort::PushFlag(uint8_t value) {
  fFlagStack.Push(fSpareFlag);
  fSpareFlag = value;
}

void VPort::PopFlag() { fSpareFlag = fFlagStack.Pop(); }

void VPort::SetAccessorFlag(int32_t which, uint8_t value) {
  if (which >= 0 && which < 2 && fAccessorFlags[which] != value) fAccessorFlags[which] = value;
}

uint8_t VPort::GetAccessorFlag(int32_t which) const {
  return which >= 0 && which < 2 ? fAccessorFlags[which] : 0;
}

void VPort::SetAccessorReals(double first, double second) {
  if (fAccessorReals[0] != first) fAccessorReals[0] = first;
  if (fAccessorReals[1] != second) fAccessorReals[1] = second;
}

double VPort::GetAccessorReal(int32_t which) const {
  return which >= 0 && which < 2 ? fAccessorReals[which] : 0.0;
}

// ---------------------------------------------------------------------------
// Device mapping

RECT VPort::MapRect(int32_t x, int32_t y, int32_t w, int32_t h, int32_t fillExtra) const {
  RECT r;
  if (!IsMapped()) {
    const int64_t left = int64_t{fOriginX} + x;
    const int64_t top = int64_t{fOriginY} + y;
    r.left = gm::Clamp32(left);
    r.top = gm::Clamp32(top);
    r.right = gm::Clamp32(left + w + fillExtra);
    r.bottom = gm::Clamp32(top + h + fillExtra);
    return r;
  }
  const double fx = fScaleX * fZoomX;
  const double fy = fScaleY * fZoomY;
  r.left = gm::Trunc(fOriginX + x * fx);
  r.top = gm::Trunc(fOriginY + y * fy);
  r.right = gm::Trunc(fOriginX + (static_cast<double>(x) + w) * fx + fillExtra);
  r.bottom = gm::Trunc(fOriginY + (static_cast<double>(y) + h) * fy + fillExtra);
  return r;
}

POINT VPort::MapPoint(int32_t x, int32_t y) const {
  if (!IsMapped()) return POINT{gm::Add(fOriginX, x), gm::Add(fOriginY, y)};
  return POINT{gm::Add(fOriginX, gm::Trunc(x * (fScaleX * fZoomX))),
               gm::Add(fOriginY, gm::Trunc(y * (fScaleY * fZoomY)))};
}

// ---------------------------------------------------------------------------
// Building and selecting the GDI objects

void VPort::BuildPen() {
  LOGBRUSH brush{BS_SOLID, fPenColor, 0};
  HBITMAP bitmap = nullptr;
  fPatternPen = false;
  if (AllBytes(fPenPattern, 0xFF)) {
    brush = LOGBRUSH{BS_SOLID, fPenColor, 0};
  } else if (AllBytes(fPenPattern, 0x00)) {
    brush = LOGBRUSH{BS_NULL, 0, 0};
  } else if (!IsWin9xFamily()) {
    bitmap = PatternBitmap(fPenPattern);
    brush = LOGBRUSH{BS_PATTERN, 0, reinterpret_cast<ULONG_PTR>(bitmap)};
  } else {
    // That family has no pattern pens: lines are then set pixel by pixel.
    brush = LOGBRUSH{BS_SOLID, fPenColor, 0};
    fPatternPen = true;
  }
  DWORD style = PS_GEOMETRIC | PS_JOIN_MITER;
  if (fPenWidth >= 2) style |= PS_ENDCAP_FLAT;
  const int32_t scaleFactor = gm::Trunc(fScaleX + fScaleY) / 2;
  const int32_t zoomFactor = gm::Trunc(fZoomX + fZoomY) / 2;
  const int64_t width = int64_t{fPenWidth} * scaleFactor * zoomFactor;
  HPEN pen = nullptr;
  if (width >= 0 && width <= INT32_MAX) {
    pen = ExtCreatePen(style, static_cast<DWORD>(width), &brush, 0, nullptr);
  }
  if (bitmap != nullptr) DeleteObject(bitmap);
  if (pen == nullptr) {
    ReportGdiFailure();
  } else {
    HGDIOBJ previous = SelectObject(fCurrentDC, pen);
    if (previous == nullptr) {
      ReportGdiFailure();
      DeleteObject(pen);
    } else {
      DeleteObject(previous);
    }
  }
  if (fDrawMode == kDrawPen) {
    ::SetTextColor(fCurrentDC, fPenColor);
    // A back colour changed since the mode was set reaches the DC too.
    SetBkColor(fCurrentDC, fBackColor);
  }
}

HBRUSH VPort::NewPatternBrush(const uint8_t pattern[8], COLORREF color, bool zoomed,
                              bool* stock) {
  *stock = false;
  if (AllBytes(pattern, 0xFF)) return CreateSolidBrush(color);
  if (AllBytes(pattern, 0x00)) {
    *stock = true;
    return static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  }
  for (const HatchPattern& hatch : kHatchPatterns) {
    if (SamePattern(pattern, hatch.rows)) return CreateHatchBrush(hatch.hatch, color);
  }
  if (zoomed) {
    for (const GreyPattern& grey : kGreyPatterns) {
      if (SamePattern(pattern, grey.rows)) {
        *stock = true;
        return static_cast<HBRUSH>(GetStockObject(grey.stock));
      }
    }
  }
  HBITMAP bitmap = PatternBitmap(pattern);
  HBRUSH brush = CreatePatternBrush(bitmap);
  if (bitmap != nullptr) DeleteObject(bitmap);
  return brush;
}

void VPort::BuildFillBrush() {
  bool stock = false;
  HBRUSH brush = NewPatternBrush(fFillPattern, fFillColor, fZoomOn, &stock);
  if (brush == nullptr) {
    ReportGdiFailure();
  } else {
    HGDIOBJ previous = SelectObject(fCurrentDC, brush);
    if (previous == nullptr) {
      ReportGdiFailure();
      if (!stock) DeleteObject(brush);
    } else if (previous != fEraseBrush) {
      DeleteObject(previous);
    }
  }
  if (fDrawMode == kDrawFill) {
    ::SetTextColor(fCurrentDC, fFillColor);
    SetBkColor(fCurrentDC, fBackColor);
  }
}

void VPort::ApplyDrawMode(int16_t kind) {
  if (kind == fDrawMode) return;
  fDrawMode = kind;
  HDC dc = fCurrentDC;
  if (dc == nullptr) return;
  switch (kind) {
    case kDrawPen:
    case kDrawFill:
      switch (fPenMode) {
        case 0: SetROP2(dc, R2_COPYPEN); break;
        case 1:
        case 8: SetROP2(dc, R2_MASKPEN); break;
        case 2: SetROP2(dc, R2_NOTXORPEN); break;
        default: break;
      }
      SetBkMode(dc, OPAQUE);
      SetBkColor(dc, fBackColor);
      ::SetTextColor(dc, kind == kDrawPen ? fPenColor : fFillColor);
      break;
    case kDrawErase:
      SetROP2(dc, R2_COPYPEN);
      SetBkMode(dc, OPAQUE);
      break;
    case kDrawText:
      SetROP2(dc, R2_COPYPEN);
      if (fTextMode == 0) {
        SetBkMode(dc, OPAQUE);
      } else if (fTextMode == 1 || fTextMode == 8) {
        SetBkMode(dc, TRANSPARENT);
      }
      SetBkColor(dc, fBackColor);
      ::SetTextColor(dc, fTextColor);
      break;
    default:
      break;
  }
}

void VPort::PreparePen(bool nullBrush) {
  if (fCurrentDC == nullptr) return;
  if (fPenDirty) {
    BuildPen();
    fPenDirty = false;
  }
  ApplyDrawMode(kDrawPen);
  if (nullBrush) {
    HGDIOBJ displaced = SelectObject(fCurrentDC, GetStockObject(NULL_BRUSH));
    if (displaced == nullptr) ReportGdiFailure();
    fObjectStack.Push(reinterpret_cast<uintptr_t>(displaced));
  }
}

void VPort::ReleasePen(bool nullBrush) {
  if (fCurrentDC == nullptr || !nullBrush) return;
  HGDIOBJ displaced = reinterpret_cast<HGDIOBJ>(fObjectStack.Pop());
  if (displaced != nullptr) SelectObject(fCurrentDC, displaced);
}

void VPort::PrepareFill(bool nullPen) {
  if (fCurrentDC == nullptr) return;
  if (fFillDirty) {
    BuildFillBrush();
    fFillDirty = false;
  }
  ApplyDrawMode(kDrawFill);
  if (nullPen) {
    HGDIOBJ displaced = SelectObject(fCurrentDC, GetStockObject(NULL_PEN));
    if (displaced == nullptr) ReportGdiFailure();
    fObjectStack.Push(reinterpret_cast<uintptr_t>(displaced));
  }
}

void VPort::ReleaseFill(bool nullPen) {
  if (fCurrentDC == nullptr || !nullPen) return;
  HGDIOBJ displaced = reinterpret_cast<HGDIOBJ>(fObjectStack.Pop());
  if (displaced != nullptr) SelectObject(fCurrentDC, displaced);
}

void VPort::PrepareErase() {
  if (fCurrentDC == nullptr) return;
  if (fEraseDirty) {
    if (fEraseBrush != nullptr) DeleteObject(fEraseBrush);
    fEraseBrush = CreateSolidBrush(fBackColor);
    if (fEraseBrush == nullptr) ReportGdiFailure();
    fEraseDirty = false;
  }
  ApplyDrawMode(kDrawErase);
  HGDIOBJ pen = SelectObject(fCurrentDC, GetStockObject(NULL_PEN));
  HGDIOBJ brush = fEraseBrush != nullptr ? SelectObject(fCurrentDC, fEraseBrush) : nullptr;
  if (pen == nullptr || (fEraseBrush != nullptr && brush == nullptr)) ReportGdiFailure();
  fObjectStack.Push(reinterpret_cast<uintptr_t>(pen));
  fObjectStack.Push(reinterpret_cast<uintptr_t>(brush));
}

void VPort::ReleaseErase() {
  if (fCurrentDC == nullptr) return;
  HGDIOBJ brush = reinterpret_cast<HGDIOBJ>(fObjectStack.Pop());
  HGDIOBJ pen = reinterpret_cast<HGDIOBJ>(fObjectStack.Pop());
  if (brush != nullptr) SelectObject(fCurrentDC, brush);
  if (pen != nullptr) SelectObject(fCurrentDC, pen);
}

void VPort::PrepareText() {
  if (fCurrentDC == nullptr) return;
  PrepareFont(kFontDirtyGdiFont);
  ApplyDrawMode(kDrawText);
}

// ---------------------------------------------------------------------------
// Clipping

void VPort::PushClip(bool exclude) {
  if (fCurrentDC == nullptr) return;
  HRGN saved = CreateRectRgn(0, 0, 0, 0);
  if (saved != nullptr && GetClipRgn(fCurrentDC, saved) != 1) {
    // The DC has no clip: the entry 0 stands for that.
    DeleteObject(saved);
    saved = nullptr;
  }
  fClipStack.Push(reinterpret_cast<uintptr_t>(saved));
  if (exclude) {
    RECT box;
    if (GetClipBox(fCurrentDC, &box) != ERROR) {
      ExcludeClipRect(fCurrentDC, box.left, box.top, box.right, box.bottom);
    }
  }
}

void VPort::PopClip() {
  HRGN saved = reinterpret_cast<HRGN>(fClipStack.Pop());
  if (fCurrentDC != nullptr) SelectClipRgn(fCurrentDC, saved);
  if (saved != nullptr) DeleteObject(saved);
}

void VPort::ClipToRect(const VRect& r, bool intersect) {
  if (fCurrentDC == nullptr) return;
  const RECT box = MapRect(r.GetLeft(), r.GetTop(), r.GetWidth(), r.GetHeight(), 0);
  if (intersect) {
    IntersectClipRect(fCurrentDC, box.left, box.top, box.right, box.bottom);
  } else {
    HRGN region = CreateRectRgnIndirect(&box);
    SelectClipRgn(fCurrentDC, region);
    if (region != nullptr) DeleteObject(region);
  }
}

void VPort::ClipToRegion(const VRegion& region, bool intersect) {
  if (fCurrentDC == nullptr) return;
  if (intersect) {
    ExtSelectClipRgn(fCurrentDC, region.GetHandle(), RGN_AND);
  } else {
    SelectClipRgn(fCurrentDC, region.GetHandle());
  }
}

void VPort::ClipToFrame(const VFrame* frame, const VShape* shape, bool intersect) {
  if (fCurrentDC == nullptr) return;
  VFrameArea area;
  if (!GetFrameArea(frame, &area)) return;
  int32_t offX = 0;
  int32_t offY = 0;
  GetOffscreenOffset(offX, offY);
  const double fx = fScaleX * fZoomX;
  const double fy = fScaleY * fZoomY;
  // Frames are placed in window coordinates, not through the port's origin.
  double x = area.x;
  double y = area.y;
  double w = area.width;
  double h = area.height;
  if (shape != nullptr) {
    // The shape's box, moved back by the scroll position when the frame
    // scrolls and placed at the frame's origin.
    const int32_t sx = area.scrolls ? area.scrollX : 0;
    const int32_t sy = area.scrolls ? area.scrollY : 0;
    x = static_cast<double>(area.x) + shape->GetLeft() - sx;
    y = static_cast<double>(area.y) + shape->GetTop() - sy;
    w = shape->GetWidth();
    h = shape->GetHeight();
  }
  const int32_t left = gm::Trunc(x * fx - offX);
  const int32_t top = gm::Trunc(y * fy - offY);
  const int32_t right = gm::Trunc(left + w * fx);
  const int32_t bottom = gm::Trunc(top + h * fy);
  if (intersect) {
    IntersectClipRect(fCurrentDC, left, top, right, bottom);
  } else {
    HRGN region = CreateRectRgn(left, top, right, bottom);
    SelectClipRgn(fCurrentDC, region);
    if (region != nullptr) DeleteObject(region);
  }
}

void VPort::SetClipRegion(const VRegion& region) {
  if (fCurrentDC != nullptr) SelectClipRgn(fCurrentDC, region.GetHandle());
}

void VPort::GetClipRegion(VRegion& region) const {
  HRGN clip = CreateRectRgn(0, 0, 0, 0);
  if (fCurrentDC != nullptr && clip != nullptr && GetClipRgn(fCurrentDC, clip) == 1) {
    region.ReplaceHandle(clip, false);
  } else {
    region.SetBox(-32768, -32768, 65535, 65535);
  }
  if (clip != nullptr) DeleteObject(clip);
}

bool VPort::RegionMeetsClip(const VRegion& region) const {
  if (region.GetHandle() == nullptr) return false;
  HRGN clip = CreateRectRgn(0, 0, 0, 0);
  if (clip == nullptr) return false;
  bool meets;
  if (fCurrentDC != nullptr && GetClipRgn(fCurrentDC, clip) == 1) {
    meets = CombineRgn(clip, clip, region.GetHandle(), RGN_AND) > NULLREGION;
  } else {
    RECT box;
    meets = GetRgnBox(region.GetHandle(), &box) > NULLREGION;
  }
  DeleteObject(clip);
  return meets;
}

bool VPort::IsFrameVisible(const VFrame* frame, const VRect* rect) const {
  if (fCurrentDC == nullptr) return false;
  VFrameArea area;
  if (!GetFrameArea(frame, &area)) return false;
  int32_t offX = 0;
  int32_t offY = 0;
  GetOffscreenOffset(offX, offY);
  double x = area.x;
  double y = area.y;
  double w = area.width;
  double h = area.height;
  double fx = 1.0;
  double fy = 1.0;
  if (fZoomOn) {
    fx = fScaleX * fZoomX;
    fy = fScaleY * fZoomY;
  } else {
    if (rect != nullptr) {
      x = static_cast<double>(area.x) + rect->GetLeft();
      y = static_cast<double>(area.y) + rect->GetTop();
      w = rect->GetWidth();
      h = rect->GetHeight();
    }
    if (fDeviceScaleOn) {
      fx = fScaleX;
      fy = fScaleY;
    }
  }
  RECT box;
  box.left = gm::Trunc(x * fx - offX);
  box.top = gm::Trunc(y * fy - offY);
  box.right = gm::Trunc((x + w) * fx - offX);
  box.bottom = gm::Trunc((y + h) * fy - offY);
  return RectVisible(fCurrentDC, &box) != FALSE_;
}

bool VPort::IsVRectVisible(const VRect& r) const {
  if (fCurrentDC == nullptr) return false;
  const RECT box = MapRect(r.GetLeft(), r.GetTop(), r.GetWidth(), r.GetHeight(), 0);
  return RectVisible(fCurrentDC, &box) != FALSE_;
}

// ---------------------------------------------------------------------------
// Lines and rectangles

void VPort::StrokeLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  // GDI leaves out a line's last pixel; wide pens (and the family that has
  // no pattern pens) reach one pixel further along the line.
  if (!(fPenWidth < 2 && !IsWin9xFamily())) {
    const int64_t dx = int64_t{x2} - x1;
    const int64_t dy = int64_t{y2} - y1;
    if (dx == 0) {
      y2 = gm::Add(y2, dy >= 0 ? 1 : -1);
    } else if (dy == 0) {
      x2 = gm::Add(x2, dx > 0 ? 1 : -1);
    } else {
      const int64_t ax = std::llabs(dx);
      const int64_t ay = std::llabs(dy);
      if (!(ax < (ay >> 1))) x2 = gm::Add(x2, dx > 0 ? 1 : -1);
      if (!(ay < (ax >> 1))) y2 = gm::Add(y2, dy > 0 ? 1 : -1);
    }
  }
  if (fPatternPen) {
    if (fPenMode != 0 && fPenMode != 1 && fPenMode != 2 && fPenMode != 8) return;
    PatternLine line{fCurrentDC, fPenPattern, fPenColor, fBackColor, fPenMode};
    LineDDA(x1, y1, x2, y2, PatternPoint, reinterpret_cast<LPARAM>(&line));
    return;
  }
  MoveToEx(fCurrentDC, x1, y1, nullptr);
  LineTo(fCurrentDC, x2, y2);
}

void VPort::DrawLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  if (fCurrentDC == nullptr) return;
  PreparePen(false);
  const POINT a = MapPoint(x1, y1);
  const POINT b = MapPoint(x2, y2);
  StrokeLine(a.x, a.y, b.x, b.y);
  ReleasePen(false);
}

void VPort::DrawLineBy(int32_t x, int32_t y, int32_t dx, int32_t dy) {
  const int32_t steps[4] = {dx, dy, 0, 0};
  DrawPolyLineBy(x, y, steps);
}

void VPort::DrawPolyLineBy(int32_t x, int32_t y, const int32_t* steps) {
  if (fCurrentDC == nullptr || steps == nullptr) return;
  PreparePen(false);
  POINT at = MapPoint(x, y);
  const double fx = fScaleX * fZoomX;
  const double fy = fScaleY * fZoomY;
  for (const int32_t* step = steps; step[0] != 0 || step[1] != 0; step += 2) {
    const int32_t sx = IsMapped() ? gm::Trunc(step[0] * fx) : step[0];
    const int32_t sy = IsMapped() ? gm::Trunc(step[1] * fy) : step[1];
    const POINT to{gm::Add(at.x, sx), gm::Add(at.y, sy)};
    StrokeLine(at.x, at.y, to.x, to.y);
    at = to;
  }
  ReleasePen(false);
}

// An empty box (no width or no height) paints nothing: GDI would turn a
// negative size round and fill beside the box.
void VPort::PaintRect(int32_t x, int32_t y, int32_t w, int32_t h) {
  if (fCurrentDC == nullptr || w <= 0 || h <= 0) return;
  PrepareFill(true);
  // With the null pen GDI leaves out the right and bottom edges, so they are
  // passed one further and the filled area is the box.
  const RECT r = MapRect(x, y, w, h, 1);
  Rectangle(fCurrentDC, r.left, r.top, r.right, r.bottom);
  ReleaseFill(true);
}

void VPort::PaintAndFrameRect(int32_t x, int32_t y, int32_t w, int32_t h) {
  if (fCurrentDC == nullptr || w <= 0 || h <= 0) return;
  PrepareFill(false);
  PreparePen(false);
  const RECT r = MapRect(x, y, w, h, 0);
  Rectangle(fCurrentDC, r.left, r.top, r.right, r.bottom);
  ReleasePen(false);
  ReleaseFill(false);
}

void VPort::PaintVRectChecked(const VRect& r) {
  const COLORREF back = fBackColor;
  const COLORREF fill = fFillColor;
  uint8_t pattern[8];
  std::memcpy(pattern, fFillPattern, 8);
  static constexpr uint8_t kChecker[8] = {0xF0, 0xF0, 0xF0, 0xF0, 0x0F, 0x0F, 0x0F, 0x0F};
  SetBackColorIndex(0);
  SetFillColorIndex(2);
  SetFillPattern(kChecker);
  PaintRect(r.GetLeft(), r.GetTop(), r.GetWidth(), r.GetHeight());
  fBackColor = back;
  fFillColor = fill;
  std::memcpy(fFillPattern, pattern, 8);
  fPenDirty = fFillDirty = fEraseDirty = true;
}
