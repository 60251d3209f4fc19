// VLookPainter: the look-and-feel painter that ports ask for colours by index,
// for standard fonts and to draw control elements. The looks themselves live
// with the interface controls, which install a maker of them at start; this
// layer keeps the table of five painters that every port chooses from.
#pragma once

#include <cstdint>

#include "framework/core/VObject.h"
#include "framework/core/VService.h"
#include "platform/gdi/WinGdiTypes.h"

class VPort;
class VString;

class VLookPainter : public VObject {
 public:
  // Draws a control element in the box; false when not drawn, and the port
  // then draws its own plain box.
  virtual bool DrawElement(VPort& port, int32_t kind, int32_t state, int32_t x, int32_t y,
                           int32_t w, int32_t h, const VString* text, int32_t extra) = 0;
  // The colour of a look colour index; 0xFFFFFFFF for an index not listed.
  virtual COLORREF GetColor(int32_t index) = 0;
  // A standard font of a kind on a device context (which may be null):
  // face name, size in points, bold and italic. False when there is none.
  virtual bool GetFont(HDC dc, int32_t kind, VString& name, int16_t& size, uint8_t& bold,
                       uint8_t& italic) = 0;
  // A size in pixels; 0 for an id not listed.
  virtual int32_t GetMetric(int32_t id) = 0;
};

// The painter of the table when no look has been installed: it knows the
// seventeen fixed colours shared by every look (indexes 0 to 16), no
// standard font, no metric, and draws no element, so ports fall back on
// their own plain drawing.
class VPlainLookPainter : public VLookPainter {
 public:
  bool DrawElement(VPort& port, int32_t kind, int32_t state, int32_t x, int32_t y, int32_t w,
                   int32_t h, const VString* text, int32_t extra) override;
  COLORREF GetColor(int32_t index) override;
  bool GetFont(HDC dc, int32_t kind, VString& name, int16_t& size, uint8_t& bold,
               uint8_t& italic) override;
  int32_t GetMetric(int32_t id) override;
};

// Look kinds 0 (Macintosh), 1 and 2 (Windows), 3 and 4 (the third look).
constexpr int32_t kLookPainterCount = 5;

// Makes the painter of a look kind; installed by the interface controls.
struct VLookPainterMaker {
  VLookPainter* (*makePainter)(int32_t kind);
};
using VLookPainterMakerService = VService<const VLookPainterMaker>;

// The painter table that InitGraphics fills and ExitGraphics empties; a slot
// whose painter could not be made is null.
extern VLookPainter* gLookPainters[kLookPainterCount];

// The painter of a kind; a kind outside 0 to 4 (-1 included) takes entry 2,
// the Windows look; an empty slot gives the plain painter.
VLookPainter* LookPainterForKind(int32_t kind);
