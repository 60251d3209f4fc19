// Pixel painting shared by the GDI sources: colours resolved to pixel
// values, inks (what a pen or brush puts on a pixel), mix modes and raster
// operations, DIB descriptions, and the blit engine.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/gdi/GdiInternal.h"

// A colour as the DC means it: a palette index through its selected palette,
// the flag byte dropped.
COLORREF GdiResolveColor(const GdiDC& dc, COLORREF color);

// The result of a mix mode (R2_BLACK .. R2_WHITE) on pen value p and
// destination value d, bit by bit.
inline uint32_t GdiRop2(int mode, uint32_t p, uint32_t d) {
  switch (mode) {
    case R2_COPYPEN: return p;
    case R2_NOTXORPEN: return ~(p ^ d);
    case R2_MASKPEN: return p & d;
    case R2_XORPEN: return p ^ d;
    case R2_NOT: return ~d;
    case R2_NOP: return d;
    default: {
      uint32_t r = static_cast<uint32_t>(mode - 1);  // bit (p << 1 | d) of r is the result
      uint32_t out = 0;
      if (r & 1) out |= ~p & ~d;
      if (r & 2) out |= ~p & d;
      if (r & 4) out |= p & ~d;
      if (r & 8) out |= p & d;
      return out;
    }
  }
}

// The result of a ternary raster operation (its truth-table byte) on
// pattern, source and destination values, bit by bit.
inline uint32_t GdiRop3(uint8_t code, uint32_t p, uint32_t s, uint32_t d) {
  switch (code) {
    case 0x00: return 0;
    case 0xFF: return ~0u;
    case 0xCC: return s;
    case 0xF0: return p;
    case 0xAA: return d;
    case 0x55: return ~d;
    case 0x33: return ~s;
    case 0x66: return s ^ d;
    case 0x88: return s & d;
    case 0xEE: return s | d;
    case 0x5A: return p ^ d;
    case 0xC0: return p & s;
    case 0xBB: return ~s | d;
    default: {
      uint32_t out = 0;
      for (int i = 0; i < 8; ++i) {
        if ((code >> i) & 1) {
          out |= ((i & 4) ? p : ~p) & ((i & 2) ? s : ~s) & ((i & 1) ? d : ~d);
        }
      }
      return out;
    }
  }
}
inline bool GdiRopUsesPattern(uint8_t code) { return ((code >> 4) ^ code) & 0x0F; }
inline bool GdiRopUsesSource(uint8_t code) { return ((code >> 2) ^ code) & 0x33; }

// What a pen or a brush puts on each pixel of a surface, colours already
// turned into that surface's pixel values. Patterns repeat from the brush
// origin (device coordinates).
class GdiInk {
 public:
  static GdiInk None() { return GdiInk(); }
  static GdiInk Solid(uint32_t value);
  // A brush as it paints on the DC's target. Monochrome patterns take the
  // DC's text colour for 0 bits and its back colour for 1 bits; hatches take
  // the brush colour for their lines and the back colour between them, or
  // leave the pixels between them alone when transparentBackground is set.
  static GdiInk FromBrush(GdiDC& dc, const GdiSurface& target, const GdiBrushData& brush,
                          bool transparentBackground);

  bool IsNone() const { return kind_ == Kind::None; }
  bool IsPattern() const { return kind_ == Kind::Pattern; }
  bool IsSolid() const { return kind_ == Kind::Solid; }
  uint32_t SolidValue() const { return solid_; }
  // The value at device (x, y); false when the pixel is to be left alone.
  bool At(int32_t x, int32_t y, uint32_t* value) const {
    if (kind_ == Kind::Solid) {
      *value = solid_;
      return true;
    }
    if (kind_ == Kind::None) return false;
    int32_t px = static_cast<int32_t>(((int64_t{x} - originX_) % width_ + width_) % width_);
    int32_t py = static_cast<int32_t>(((int64_t{y} - originY_) % height_ + height_) % height_);
    size_t i = static_cast<size_t>(py) * width_ + px;
    if (!opaque_.empty() && !opaque_[i]) return false;
    *value = values_[i];
    return true;
  }
  // A pattern's row at device row y: its values, its opacity (null when
  // every pixel is painted), its width, and the column of device x in it.
  const uint32_t* PatternValues(int32_t y) const { return values_.data() + size_t(PatternRow(y)) * width_; }
  const uint8_t* PatternOpaque(int32_t y) const {
    return opaque_.empty() ? nullptr : opaque_.data() + size_t(PatternRow(y)) * width_;
  }
  int32_t PatternWidth() const { return width_; }
  int32_t PatternColumn(int32_t x) const {
    return static_cast<int32_t>(((int64_t{x} - originX_) % width_ + width_) % width_);
  }

 private:
  int32_t PatternRow(int32_t y) const {
    return static_cast<int32_t>(((int64_t{y} - originY_) % height_ + height_) % height_);
  }
  enum class Kind { None, Solid, Pattern };
  Kind kind_ = Kind::None;
  uint32_t solid_ = 0;
  int32_t width_ = 0, height_ = 0, originX_ = 0, originY_ = 0;
  std::vector<uint32_t> values_;
  std::vector<uint8_t> opaque_;  // empty: every pixel painted
};

// The front of every drawing call: records it, and gives the surface to
// draw on. Without one (recording and information DCs) *result says what
// the call answers: success when recorded (or when a print job makes the
// page's pixels on demand), failure otherwise.
GdiSurface* GdiBeginDrawing(GdiDC& dc, const GdiCall& call, BOOL* result);

// Paints the pixels x0 .. x1 - 1 of row y of a surface (the caller has cut
// the span to the surface and its clip) with an ink and a mix mode: a row at
// a time, the pixels of true-colour surfaces reached through one pointer.
void GdiPaintSpan(GdiSurface& s, int32_t y, int32_t x0, int32_t x1, const GdiInk& ink, int rop2);
// Copies the colour bytes of `count` true-colour pixels (24 or 32 bits, the
// same in both) from `from` to `to`, leaving a 32-bit pixel's fourth byte as
// it was, as a pixel's setting does.
void GdiCopyColorBytes(uint8_t* to, const uint8_t* from, int32_t count, int32_t bitsPerPixel);
// Fills `count` true-colour pixels (24 or 32 bits) from `to` with a value,
// the same way.
void GdiFillColorBytes(uint8_t* to, uint32_t value, int32_t count, int32_t bitsPerPixel);

// Paints the pixels of a device region (cut by the DC's visible region) with
// an ink and a mix mode.
void GdiPaintRegion(GdiDC& dc, const GdiRegion& region, const GdiInk& ink, int rop2);
// Paints single device pixels (a one-pixel line) the same way; a pixel
// listed twice is painted twice, as GDI's lines are.
void GdiPaintPoints(GdiDC& dc, const std::vector<POINT>& points, const GdiInk& ink, int rop2);

// The pixels of a one-pixel line from a to b, b itself left out; with a
// clip, only those inside it (found without walking the rest of the line).
void GdiLinePoints(POINT a, POINT b, std::vector<POINT>& out, const RECT* clip = nullptr);

// The DC's device area: its surface, or for DCs without one the device size.
RECT GdiDeviceBounds(GdiDC& dc);
// A logical rectangle in device coordinates (edges kept in their order).
RECT GdiRectToDevice(const GdiDC& dc, const RECT& logical);
// The offset that moves logical region coordinates to device ones (regions
// given to FillRgn and the like are logical; the mapping here only shifts).
POINT GdiRegionOffset(const GdiDC& dc);

bool GdiSameColors(const std::vector<RGBQUAD>& a, const std::vector<RGBQUAD>& b);

// A described DIB: format, colours and where its rows are.
struct GdiDibFormat {
  int32_t width = 0;
  int32_t height = 0;  // positive
  bool bottomUp = true;
  int32_t bitsPerPixel = 0;
  ptrdiff_t rowBytes = 0;
  std::vector<RGBQUAD> colors;
};
// Checks a BITMAPINFO (size 40 or more, planes 1, a known depth,
// uncompressed, a positive width and a non-zero height, sizes that fit) and
// reads its colour table, through the DC's palette for DIB_PAL_COLORS.
bool GdiReadDibFormat(const BITMAPINFO* info, UINT usage, const GdiDC* dc, GdiDibFormat* format);
// A surface that reads the rows of a DIB in place (nothing owned).
std::shared_ptr<GdiSurface> GdiDibView(const GdiDibFormat& format, const void* bits);

// The blit engine: copies (scaling and mirroring as the signs and sizes
// ask) the device rectangle of the source surface to the device rectangle
// of the DC, through the raster operation and the DC's clip. sourceDc gives
// the back colour that decides colour-to-monochrome copies (none for DIBs).
// With a transparent colour, source pixels of that colour are skipped and
// the operation is a plain copy.
bool GdiBlit(GdiDC& dc, int32_t x, int32_t y, int32_t width, int32_t height,
             const GdiSurface* source, const GdiDC* sourceDc, int32_t srcX, int32_t srcY,
             int32_t srcWidth, int32_t srcHeight, DWORD rop, int stretchMode,
             const COLORREF* transparent);
