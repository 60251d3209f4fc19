// VPort: the framework's drawing port, a QuickDraw-like state (pen, fill,
// colours, transfer modes, font, origin and clip stacks, device scale and
// zoom) laid over one GDI device context, whose pen, brush and font are
// rebuilt lazily at the next drawing call that needs them.
#pragma once

#include <cstdint>

#include "framework/core/VObject.h"
#include "framework/core/memory/VHandleArray.h"
#include "framework/core/strings/VUniString.h"
#include "graphics/VAddressStack.h"
#include "graphics/VGdiSelection.h"
#include "platform/gdi/WinGdiTypes.h"

struct HENHMETAFILE__;
using HENHMETAFILE = HENHMETAFILE__*;

class VCharWidthCache;
struct LOGFONTA;
class VFrame;
class VIconShape;
class VLineShape;
class VLookPainter;
class VPolygon;
struct VMacPixMap;
class VPictureShape;
class VRect;
class VRegion;
class VRoundRectShape;
class VReferencePrinter;
class VShape;
class VString;
struct VTransformedPixelMap;

// Text encodings of the drawing and measuring calls.
constexpr int16_t kTextMac = 0;
constexpr int16_t kTextAnsi = 1;
constexpr int16_t kTextUnicode = 2;

// Font style bits, as in QuickDraw; only the first three reach GDI fonts.
constexpr uint8_t kStyleBold = 1;
constexpr uint8_t kStyleItalic = 2;
constexpr uint8_t kStyleUnderline = 4;
constexpr uint8_t kStyleOutline = 8;
constexpr uint8_t kStyleShadow = 16;
constexpr uint8_t kStyleCondense = 32;
constexpr uint8_t kStyleExtend = 64;

// The 13 standard patterns by index (0 and 1 empty, 5 and 6 solid); an index
// above 12 leaves the bytes as they were.
void PatternFromIndex(int32_t index, uint8_t pattern[8]);

class VPort : public VObject {
 public:
  // Font-dirty bits: the cache entry, the GDI font and the metrics.
  static constexpr uint16_t kFontDirtyEntry = 1;
  static constexpr uint16_t kFontDirtyGdiFont = 2;
  static constexpr uint16_t kFontDirtyMetrics = 4;
  static constexpr uint16_t kFontDirtyAll = 7;

  // Kinds of drawing the device context is set up for.
  static constexpr int16_t kDrawNone = 0;
  static constexpr int16_t kDrawPen = 1;
  static constexpr int16_t kDrawFill = 2;
  static constexpr int16_t kDrawErase = 3;
  static constexpr int16_t kDrawText = 4;

  explicit VPort(HDC dc = nullptr);
  ~VPort() override;
  VPort(const VPort&) = delete;
  VPort& operator=(const VPort&) = delete;

  // The port kinds override these.
  virtual void BeginOffscreen(const VFrame* frame);
  virtual void CopyRegionToScreen(const VRegion& region, bool keep);
  virtual void CopyRectToScreen(const VRect& rect, bool keep);
  virtual void CopyToScreen(bool keep);
  virtual void ResetState();
  virtual void EndOffscreen();
  virtual bool IsMetafile() const;
  virtual bool IsScaled() const;
  virtual int32_t GetWidth() const;
  virtual int32_t GetHeight() const;

  // ---- Device context

  // Binds to a device context (a null one leaves the port without one),
  // resetting the drawing state and applying the look defaults.
  void AttachDC(HDC dc);
  // Gives the device context back as it was found.
  void DetachDC();
  HDC GetCurrentDC() const { return fCurrentDC; }
  HDC GetBaseDC() const { return fBaseDC; }
  bool IsOffscreen() const { return fCurrentDC != fBaseDC; }

  // ---- Look

  // -2 or less only answers the kind; 0, 3 and 4 choose kind 3, every other
  // value kind 2. Answers the previous kind.
  int16_t SetLook(int16_t kind);
  int16_t GetLook() const { return fLookKind; }
  VLookPainter* GetLookPainter() const { return fLookPainter; }
  // The look's default colours, patterns, pen, font and text mode.
  void SetThemeDefaults();
  // Asks the look painter to draw a control element; when it declines, a
  // plain box (and the text, left-aligned and centred vertically).
  void DrawThemeElement(int32_t kind, int32_t state, int32_t x, int32_t y, int32_t w, int32_t h,
                        const VString* text, int32_t extra);

  // ---- Colours. RGB colours are masked to 24 bits and made palette-relative
  // on a palette device; indexes go through the look painter.

  void SetPenColor(COLORREF color);
  void SetPenColorRGB(uint8_t r, uint8_t g, uint8_t b);
  void SetPenColorIndex(int32_t index);
  void SetFillColor(COLORREF color);
  void SetFillColorRGB(uint8_t r, uint8_t g, uint8_t b);
  void SetFillColorIndex(int32_t index);
  void SetBackColor(COLORREF color);
  void SetBackColorRGB(uint8_t r, uint8_t g, uint8_t b);
  void SetBackColorIndex(int32_t index);
  void SetTextColor(COLORREF color);
  void SetTextColorRGB(uint8_t r, uint8_t g, uint8_t b);
  void SetTextColorIndex(int32_t index);
  void SetCopyForeColor(COLORREF color);
  void SetCopyForeColorRGB(uint8_t r, uint8_t g, uint8_t b);
  void SetCopyForeColorIndex(int32_t index);
  void SetCopyBackColor(COLORREF color);
  void SetCopyBackColorRGB(uint8_t r, uint8_t g, uint8_t b);
  void SetCopyBackColorIndex(int32_t index);
  // 24 bits; the pen colour with its palette bit.
  COLORREF GetPenColor() const { return fPenColor; }
  COLORREF GetFillColor() const { return fFillColor & 0xFFFFFF; }
  COLORREF GetBackColor() const { return fBackColor & 0xFFFFFF; }
  COLORREF GetTextColor() const { return fTextColor & 0xFFFFFF; }
  COLORREF GetCopyForeColor() const { return fCopyForeColor & 0xFFFFFF; }
  COLORREF GetCopyBackColor() const { return fCopyBackColor & 0xFFFFFF; }

  // ---- Pen, patterns and modes

  void SetPenWidth(int16_t width);
  int32_t GetPenWidth() const { return fPenWidth; }
  void SetPenPattern(const uint8_t pattern[8]);
  void SetPenPatternIndex(int32_t index);
  void GetPenPattern(uint8_t pattern[8]) const;
  void SetFillPattern(const uint8_t pattern[8]);
  void SetFillPatternIndex(int32_t index);
  void GetFillPattern(uint8_t pattern[8]) const;
  void SetPenFlag(uint8_t flag);
  uint8_t GetPenFlag() const { return fPenFlag; }
  // 0 copy, 1 or 8 mask, 2 not-xor. Answers the previous mode.
  int16_t SetPenMode(int16_t mode);
  int16_t GetPenMode() const { return fPenMode; }
  // 0 opaque, 1 or 8 transparent. Answers the previous mode.
  int16_t SetTextMode(int16_t mode);
  int16_t GetTextMode() const { return fTextMode; }

  // ---- Font state (only stored; the GDI font is built at the next use)

  void SetFontName(const VString& name);
  void GetFontName(VString& name) const;
  const VString& FontName() const { return fFontName; }
  // In points, or pixels when inDeviceUnits.
  void SetFontSize(double size, bool inDeviceUnits);
  double GetFontSize() const { return fFontSize; }
  bool IsSizeInDeviceUnits() const { return fSizeInDeviceUnits; }
  void SetBold(bool on);
  void SetItalic(bool on);
  void SetUnderline(bool on);
  void SetOutline(bool on);
  void SetShadow(bool on);
  void SetCondense(bool on);
  void SetExtend(bool on);
  bool IsBold() const { return (fFontStyle & kStyleBold) != 0; }
  bool IsItalic() const { return (fFontStyle & kStyleItalic) != 0; }
  bool IsUnderline() const { return (fFontStyle & kStyleUnderline) != 0; }
  bool IsCondensed() const { return (fFontStyle & kStyleCondense) != 0; }
  bool IsExtended() const { return (fFontStyle & kStyleExtend) != 0; }
  void SetFontStyle(uint8_t style);
  uint8_t GetFontStyle() const { return fFontStyle; }
  // Style 0; the font is dirty only when the style was not 0.
  void ClearFontStyle();
  void SetTextAngle(float degrees);
  float GetTextAngle() const { return fTextAngle; }
  // The look painter's font of a kind, or "MS Sans Serif" 8 points.
  void UseStandardFont(int32_t kind);
  bool IsTrueType() const { return fTrueType; }

  // ---- Coordinates

  // dx, dy in port units; the origin itself is kept in device pixels.
  void PushOrigin(int32_t dx, int32_t dy);
  void PopOrigin();
  // The origin in port units, the offscreen shift included.
  void GetOrigin(int32_t& x, int32_t& y) const;
  // The shift of the offscreen bitmap while drawing offscreen, else 0, 0.
  void GetOffscreenOffset(int32_t& x, int32_t& y) const;
  int32_t GetOriginX() const { return fOriginX; }
  int32_t GetOriginY() const { return fOriginY; }
  void PushScale(double fx, double fy);
  // An unmatched pop (an empty stack) is ignored.
  void PopScale();
  double GetScaleX() const { return fScaleX; }
  double GetScaleY() const { return fScaleY; }
  bool IsDeviceScaleOn() const { return fDeviceScaleOn; }
  double GetZoomX() const { return fZoomX; }
  double GetZoomY() const { return fZoomY; }
  bool IsZoomOn() const { return fZoomOn; }

  void PushFlag(uint8_t value);
  void PopFlag();
  uint8_t GetSpareFlag() const { return fSpareFlag; }

  // ---- Prologues and releases of every drawing call

  void PreparePen(bool nullBrush);
  void ReleasePen(bool nullBrush);
  void PrepareFill(bool nullPen);
  void ReleaseFill(bool nullPen);
  void PrepareErase();
  void ReleaseErase();
  void PrepareText();
  void ApplyDrawMode(int16_t kind);
  int16_t GetDrawMode() const { return fDrawMode; }
  bool IsPatternPen() const { return fPatternPen; }
  // Whether the GDI pen, the fill brush and the erase brush wait for a rebuild.
  bool IsPenDirty() const { return fPenDirty; }
  bool IsFillDirty() const { return fFillDirty; }
  bool IsEraseDirty() const { return fEraseDirty; }

  // ---- Clipping (regions in device coordinates)

  void PushClip(bool exclude);
  void PopClip();
  void ClipToRect(const VRect& r, bool intersect);
  void ClipToRegion(const VRegion& region, bool intersect);
  // The frame's area, or the shape's box placed in the frame.
  void ClipToFrame(const VFrame* frame, const VShape* shape, bool intersect);
  void SetClipRegion(const VRegion& region);
  // Without a clip: the box (-32768, -32768, 65535, 65535).
  void GetClipRegion(VRegion& region) const;
  bool RegionMeetsClip(const VRegion& region) const;
  bool IsFrameVisible(const VFrame* frame, const VRect* rect) const;
  bool IsVRectVisible(const VRect& r) const;

  // ---- Drawing

  void DrawLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
  void DrawLineBy(int32_t x, int32_t y, int32_t dx, int32_t dy);
  // Steps are (dx, dy) pairs ending with the pair (0, 0).
  void DrawPolyLineBy(int32_t x, int32_t y, const int32_t* steps);
  // Fills exactly the box, with the null pen.
  void PaintRect(int32_t x, int32_t y, int32_t w, int32_t h);
  void PaintAndFrameRect(int32_t x, int32_t y, int32_t w, int32_t h);
  // A 4 x 4 checker in look colours 0 and 2.
  void PaintVRectChecked(const VRect& r);

  // ---- Shapes in the QuickDraw verbs. Frames, ovals and round rectangles
  // pass the mapped edges; fills with the null pen (PaintVRect, EraseRect,
  // EraseVRect) one pixel further so that the filled area is the box. The
  // invert calls ignore scale and zoom.

  void FrameRect(int32_t x, int32_t y, int32_t w, int32_t h);
  void FrameVRect(const VRect& r);
  void PaintVRect(const VRect& r);
  void EraseRect(int32_t x, int32_t y, int32_t w, int32_t h);
  void EraseVRect(const VRect& r);
  void PaintAndFrameVRect(const VRect& r);
  void InvertRect(int32_t x, int32_t y, int32_t w, int32_t h);
  void InvertVRect(const VRect& r);
  void FrameOval(const VRect& r);
  void FrameOval(int32_t x, int32_t y, int32_t w, int32_t h);
  void PaintOval(const VRect& r);
  void PaintOval(int32_t x, int32_t y, int32_t w, int32_t h);
  void EraseOval(const VRect& r);
  void PaintAndFrameOval(const VRect& r);
  void FrameRoundRect(const VRoundRectShape& r);
  void PaintRoundRect(const VRoundRectShape& r);
  void EraseRoundRect(const VRoundRectShape& r);
  void PaintAndFrameRoundRect(const VRoundRectShape& r);
  // Regions are drawn unscaled, moved by the origin; FrameRegion draws only
  // on a port that neither zooms nor scales, PaintRegion on such a port
  // places the region's top-left corner at the mapped corner.
  void FrameRegion(const VRegion& region);
  void PaintRegion(const VRegion& region);
  void EraseRegion(const VRegion& region);
  void InvertRegion(const VRegion& region);
  void FrameRegionXor(const VRegion& region);

  // Polygons of fewer than 3 points draw nothing. On an unscaled port the
  // polygon is moved by the origin for the call and back; otherwise a
  // mapped copy of its points is drawn.
  void FramePolygon(VPolygon& polygon);
  void PaintPolygon(VPolygon& polygon);
  void ErasePolygon(VPolygon& polygon);
  void PaintAndFramePolygon(VPolygon& polygon);
  // The polygon's area (alternate fill rule) inverted.
  void InvertPolygon(VPolygon& polygon);

  // The line across the shape's box in its direction, with the pen.
  void DrawLineShape(const VLineShape& line);

  // Transform 0 draws the icon's colours through its mask; 1 (disabled),
  // 2 (offline, with a shadow one unit right and down) and 3 draw its
  // one-bit image. The bitmaps are built from the icon's data when one is
  // missing; an icon without them draws nothing.
  void DrawIcon(VIconShape& icon, int16_t transform);
  void DrawIconDisabled(VIconShape& icon) { DrawIcon(icon, 1); }
  void DrawIconOffline(VIconShape& icon) { DrawIcon(icon, 2); }
  // The 16 x 16 grow box in look colour 18, with the grow icon on systems
  // that have one.
  void DrawGrowBox(int32_t x, int32_t y);

  // Two strokes: from (x, y) by (dx1, dy1), then by (dx2, dy2).
  void DrawTwoSegments(int32_t x, int32_t y, int32_t dx1, int32_t dy1, int32_t dx2, int32_t dy2);
  // Two strokes through three points.
  void DrawTwoSegmentsTo(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3);

  // Device pixel (origin + x, origin + y), unscaled.
  void SetPixel(int32_t x, int32_t y, COLORREF color);
  COLORREF GetPixel(int32_t x, int32_t y) const;
  // Fills the connected area of the seed pixel's colour with the fill
  // pattern in `color`; the fill colour is put back afterwards.
  void FloodFill(int32_t x, int32_t y, COLORREF color);

  // ---- Bitmaps

  // A copy of a bitmap of the same size and format; null for none or when
  // GDI fails.
  HBITMAP CopyBitmap(HBITMAP source);
  // A bitmap compatible with the port's DC of a Macintosh pixel map
  // (DIBImageFromPixMap); null when the map cannot be read.
  HBITMAP DIBFromPixMap(const VMacPixMap& map);

  // ---- Pictures and copies

  // Places the shape's picture (EMF, or a PICT through its cached EMF) by
  // its placement mode 1 to 6; transfer mode 8 draws white transparent.
  void DrawPictureShape(const VPictureShape& shape);
  // Copies with white as the transparent colour; answers 1.
  int32_t TransparentCopy(HDC destination, int32_t x, int32_t y, int32_t w, int32_t h, HDC source,
                          int32_t sx, int32_t sy);
  // Copies pixels of this port into another port, stretched when the sizes
  // differ; monochrome sources take the copy colours.
  void CopyBits(const VRect& source, VPort& destination, const VRect& target, int16_t mode);
  // Copies pixels of this port into a frame's window, clipped to its
  // visible region.
  void CopyToFrame(const VRect& source, const VFrame* frame, const VRect& target, int16_t mode);
  // The raster operation of a transfer-mode code: 0 to 5, 7 and 9 as
  // QuickDraw's source modes; every other code copies.
  static DWORD CopyModeRop(int16_t mode);

  // ---- Fonts, measuring and text (device pixels are port units on an
  // unscaled port)

  // Makes the cache entry, the GDI font and the metrics current as asked;
  // answers the entry's new last-use tick.
  uint32_t PrepareFont(uint16_t need);
  // PrepareFont's work when the font changed or another port measured on
  // the printer (`registered`) since this one.
  uint32_t PrepareFontChanged(uint16_t need, bool registered);
  void FindFont();
  VCharWidthCache* GetFontEntry() const { return fFontEntry; }
  // Makes the entry the port's current font entry (null: none), counting
  // the port among the entry's users and no longer among the previous one's.
  void UseFontEntry(VCharWidthCache* entry);
  uint16_t GetFontDirty() const { return fFontDirty; }
  int16_t GetFontAscent();
  int16_t GetFontDescent();
  int16_t GetFontLeading();
  int16_t GetFontHeight();
  // Ascent + descent + leading.
  int16_t GetLineHeight();
  float MeasureText(const void* text, int32_t length, int16_t kind);
  float MeasureString(const VString& text);
  float CharWidth(char16_t unit);
  // The width of the character a surrogate pair makes (a high half alone
  // measures nothing: the character's width goes with its low half).
  float PairWidth(char16_t high, char16_t low);
  // The width of units measured whole, as MeasureText gives it, kept by
  // the font's cache entry: a cluster (a letter and its marks, emoji
  // joined) met again is not measured again.
  float ClusterWidth(const char16_t* units, int32_t length);
  // ClusterWidth's work for a cluster its entry does not keep yet: the
  // width measured by GDI, in device pixels, and kept.
  int32_t MeasureNewCluster(const char16_t* units, int32_t length, bool onPrinter);
  float MeasureChar(uint16_t code, int16_t kind);
  // Draws at the pen position and advances it.
  void DrawTextRun(const void* text, int32_t length, int16_t kind);
  void DrawString(const VString& text);
  // horizontal 0 left, 1 or 3 centre, 2 right; vertical 0 top, 1 or 3
  // middle, 2 bottom.
  void DrawTextInBox(const VString& text, int16_t horizontal, int16_t vertical, int32_t x,
                     int32_t y, int32_t w, int32_t h, bool singleLine);
  void DrawTextInRect(const VString& text, int16_t horizontal, int16_t vertical, const VRect& r,
                      bool singleLine);
  void DrawTextInBoxSystem(const VString& text, int16_t horizontal, int16_t vertical,
                           const VRect& r, int32_t extra);
  // The size the text takes as a block of lines (0, 0 for an empty one), in
  // port units on a zoomed port.
  void MeasureTextBlock(const VString& text, int32_t& width, int32_t& height);
  // Hooks that menus and labels call; this port draws nothing for them.
  void DrawRectDecoration(const VRect& r, int32_t flag, int32_t size);
  void BeginTextBlock();

  // ---- Text pen position (device pixels relative to the origin)

  void MoveTo(double x, double y, bool resetCarry);
  void Move(int32_t dx, int32_t dy);
  void AdvancePen(float width);
  // In port units.
  void GetPenPosition(double& x, double& y) const;
  void PushPenPosition();
  void PopPenPosition();
  float GetTextCarry() const { return fTextCarry; }

  // ---- Measuring on a printer

  // Ignored by a zoomed port and for the printer already set.
  void SetReferencePrinter(VReferencePrinter* printer);
  void ClearReferencePrinter();
  VReferencePrinter* GetReferencePrinter() const { return fReferencePrinter; }
  double GetPrinterRatioX() const { return fPrinterRatioX; }
  double GetPrinterRatioY() const { return fPrinterRatioY; }

  // ---- Plain accessors that no drawing reads

  void SetAccessorFlag(int32_t which, uint8_t value);
  uint8_t GetAccessorFlag(int32_t which) const;
  void SetAccessorReals(double first, double second);
  void ClearAccessorReals() { fAccessorReals[0] = fAccessorReals[1] = 0.0; }
  double GetAccessorReal(int32_t which) const;

  // The error hook: GDI failures never stop drawing; the last error of a
  // failed create or select is read and kept here.
  void ReportGdiFailure();
  uint32_t GetLastGdiError() const { return fLastGdiError; }

 protected:
  // Device mapping of the port: rectangles (step 2 of the mapping rule, with
  // `fillExtra` 1 for fills drawn with the null pen) and line points.
  RECT MapRect(int32_t x, int32_t y, int32_t w, int32_t h, int32_t fillExtra) const;
  POINT MapPoint(int32_t x, int32_t y) const;
  bool IsMapped() const { return fZoomOn || fDeviceScaleOn; }
  // Strokes one line in device pixels with the prepared pen.
  void StrokeLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
  void BuildPen();
  void BuildFillBrush();
  // A brush of a pattern in a colour as fills are drawn (solid, hatch, stock
  // grey on zoomed ports, else an 8 x 8 pattern); *stock when it is a stock
  // object that must not be deleted.
  static HBRUSH NewPatternBrush(const uint8_t pattern[8], COLORREF color, bool zoomed,
                                bool* stock);
  void ReleaseWorkDC();
  // Deletes what comes out of the DC when the port lets it go: its own pen,
  // brush and font.
  void DeleteOwnObjects(HGDIOBJ pen, HGDIOBJ brush, HGDIOBJ font);
  // The verbs of the polygon calls.
  enum class PolygonVerb { kFrame, kPaint, kErase, kPaintAndFrame, kInvert };
  void DrawPolygon(VPolygon& polygon, PolygonVerb verb);
  void PolygonCall(const POINT* points, int32_t count, PolygonVerb verb);
  // One blit of an icon bitmap selected into the work DC onto the icon's
  // box, moved by (dx, dy) port units.
  void BlitIcon(const VIconShape& icon, int32_t dx, int32_t dy, DWORD rop);
  // The region's handle moved by (dx, dy) into a new region; null on failure.
  HRGN MovedRegion(const VRegion& region, int32_t dx, int32_t dy);
  // The blit of both copy operations on a prepared destination DC.
  void BlitInto(HDC destination, const RECT& target, const RECT& source, int16_t mode);
  // The metafile of a picture shape played once into a memory bitmap of
  // (w, h), then copied into each rectangle; false when the bitmap cannot
  // be had.
  bool CopyPictureTiles(HENHMETAFILE metafile, const RECT* tiles, int32_t count, int32_t w,
                        int32_t h, bool transparent);
  void DeleteSavedClips();
  COLORREF DeviceColor(COLORREF rgb) const;
  COLORREF IndexColor(int32_t index) const;
  int32_t PixelSize(HDC dc) const;
  void MarkAllDirty();
  // The pieces of DrawTextRun: a run of ANSI or UTF-16 text put at the DC's
  // current position (with the printer's widths when the port has one), those
  // widths as this device's advances, and a turned run drawn through a
  // bitmap and laid on the port.
  void PutTextRun(HDC dc, const void* text, int32_t length, int16_t kind);
  // The two ways of DrawTextInBox: lines broken at spaces to the box's
  // width, and one line cut and ended with an ellipsis.
  void DrawWrappedTextInBox(const VString& text, int16_t horizontal, int16_t vertical, int32_t x,
                            int32_t y, int32_t w, int32_t h, int32_t ascent, int32_t lineHeight);
  void DrawCutTextInBox(const VString& text, int16_t horizontal, int16_t vertical, int32_t x,
                        int32_t y, int32_t w, int32_t h, int32_t ascent, int32_t lineHeight);
  // How many characters of the text fit in `room` port units, measured as
  // the line will be drawn: on `dc`, or on the reference printer when there
  // is one; false when no buffer could be had.
  bool CountCharsThatFit(HDC dc, const void* text, int32_t n, int16_t kind, float room,
                         int32_t* fitted);
  void PrinterAdvances(const void* text, int32_t length, int16_t kind, int32_t* advances);
  void DrawTurnedTextRun(const void* text, int32_t length, int16_t kind);
  void LayTurnedRun(HDC drawDC, HBITMAP turnedBitmap, const VTransformedPixelMap& turned,
                    int32_t ascent);

  // ---- State, in the order of the port's record
  HDC fCurrentDC = nullptr;
  HDC fBaseDC = nullptr;
  // The port bound to a device context after this one, while this one is.
  VPort* fNextBound = nullptr;
  int16_t fLookKind = -3;
  VLookPainter* fLookPainter = nullptr;
  VAddressStack fObjectStack;
  VByteStack fFlagStack;
  VLongStack fOriginStack;
  VAddressStack fClipStack;
  VDoubleStack fPenPositionStack;
  bool fSizeInDeviceUnits = false;
  VDoubleStack fScaleStack;
  uint8_t fPenFlag = 0;
  int32_t fPenWidth = 1;
  COLORREF fPenColor = 0xFFFFFFFFu;
  uint8_t fPenPattern[8];
  bool fPatternPen = false;
  uint8_t fFillPattern[8];
  COLORREF fFillColor = 0xFFFFFFFFu;
  COLORREF fBackColor = 0xFFFFFFFFu;
  COLORREF fTextColor = 0xFFFFFFFFu;
  COLORREF fCopyForeColor = 0;
  COLORREF fCopyBackColor = 0xFFFFFF;
  int16_t fPenMode = 0;
  int16_t fTextMode = 0;
  VStr<80> fFontName;
  // The descriptor of fFontName, found once a name and cache (null: not yet).
  LOGFONTA* fFaceDescriptor = nullptr;
  uint32_t fFaceGeneration = 0;
  bool fTrueType = false;
  uint8_t fFontStyle = 0;
  double fFontSize = -1.0;
  VReferencePrinter* fReferencePrinter = nullptr;
  HDC fReferenceDC = nullptr;
  HFONT fReferenceFont = nullptr;
  double fPrinterRatioX = 1.0;
  double fPrinterRatioY = 1.0;
  VCharWidthCache* fFontEntry = nullptr;
  uint32_t fFontEntryGeneration = 0;  // of the cache the entry came from
  uint16_t fFontDirty = kFontDirtyAll;
  uint8_t fTouchSkips = 0;  // fast preparations of the same font since its last touch
  double fPenX = 0.0;
  double fPenY = 0.0;
  float fTextAngle = 0.0f;
  uint8_t fSpareFlag = 0;
  bool fDeviceScaleOn = false;
  double fScaleX = 1.0;
  double fScaleY = 1.0;
  int32_t fOriginX = 0;
  int32_t fOriginY = 0;
  bool fZoomOn = false;
  double fZoomX = 1.0;
  double fZoomY = 1.0;
  bool fPenDirty = true;
  bool fFillDirty = true;
  bool fEraseDirty = true;
  HBRUSH fCachedPatternBrush = nullptr;
  uint8_t fCachedBrushPattern[8];
  COLORREF fCachedBrushColor = 0xFFFFFFFFu;
  HBRUSH fEraseBrush = nullptr;
  int16_t fDrawMode = kDrawNone;
  uint32_t fSavedTextAlign = 0;
  float fTextCarry = 0.0f;
  HDC fWorkDC = nullptr;
  HPALETTE fWorkPalette = nullptr;
  // The DC's own pen, brush and font, displaced while the port is attached.
  VGdiSelection fSavedPen;
  VGdiSelection fSavedBrush;
  VGdiSelection fSavedFont;
  COLORREF fSavedTextColor = 0;
  COLORREF fSavedBackColor = 0;
  uint8_t fAccessorFlags[2] = {0, 0};
  double fAccessorReals[2] = {0.0, 0.0};
  uint32_t fLastGdiError = 0;
};
