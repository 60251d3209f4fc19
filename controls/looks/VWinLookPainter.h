// VWinLookPainter: the Windows look. Its colour roles are the system
// colours, its sizes the system's scroll-bar metrics; it draws the panel,
// list cells, edit fields, check boxes, bevels, scroll-bar parts and split
// boxes that the views ask for. Kinds it does not draw get the plain white
// box framed in black.
#pragma once

#include <cstdint>

#include "graphics/VLookPainter.h"

class VIconShape;

class VWinLookPainter : public VLookPainter {
 public:
  VWinLookPainter() = default;
  ~VWinLookPainter() override;
  VWinLookPainter(const VWinLookPainter&) = delete;
  VWinLookPainter& operator=(const VWinLookPainter&) = delete;

  bool DrawElement(VPort& port, int32_t kind, int32_t state, int32_t x, int32_t y, int32_t w,
                   int32_t h, const VString* text, int32_t extra) override;
  COLORREF GetColor(int32_t index) override;
  bool GetFont(HDC dc, int32_t kind, VString& name, int16_t& size, uint8_t& bold,
               uint8_t& italic) override;
  int32_t GetMetric(int32_t id) override;

  // Images by slot: the four arrows, then the nine check-box states.
  static constexpr int kImageCount = 13;

 private:
  // The image of a slot, made on first use from the 'cicn' resource of that
  // name; null when no resource file knows the name.
  VIconShape* Image(int slot);
  void DrawCheckBox(VPort& port, int32_t state, int32_t x, int32_t y, int32_t w, int32_t h,
                    const VString* text);
  void DrawArrowButton(VPort& port, int32_t kind, int32_t state, int32_t x, int32_t y, int32_t w,
                       int32_t h);

  VIconShape* fImages[kImageCount] = {};
  uint8_t fLoaded[kImageCount] = {};
};

// Makes the Windows painters of look kinds 1 and 2; the Macintosh look
// (kind 0) and the third look (kinds 3 and 4) are not built, so those slots
// stay empty and draw plainly.
extern const VLookPainterMaker kWinLookPainterMaker;
