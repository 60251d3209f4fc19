// VCopLookPainter: the third look. Light grey faces with darker grey
// bevels, blue-violet scroll thumbs with a ridged grip, drawn triangular
// scroll arrows, a dotted grip, rounded pop-up boxes with a double chevron,
// and colour-icon images for check boxes and radio buttons. Its palette has
// 59 entries.
#pragma once

#include <cstdint>

#include "controls/looks/LookImages.h"
#include "graphics/VLookPainter.h"

class VIconShape;

class VCopLookPainter : public VLookPainter {
 public:
  VCopLookPainter() = default;
  ~VCopLookPainter() override;
  VCopLookPainter(const VCopLookPainter&) = delete;
  VCopLookPainter& operator=(const VCopLookPainter&) = delete;

  bool DrawElement(VPort& port, int32_t kind, int32_t state, int32_t x, int32_t y, int32_t w,
                   int32_t h, const VString* text, int32_t extra) override;
  COLORREF GetColor(int32_t index) override;
  bool GetFont(HDC dc, int32_t kind, VString& name, int16_t& size, uint8_t& bold,
               uint8_t& italic) override;
  int32_t GetMetric(int32_t id) override;

  // Images by slot: the nine check-box states, the nine radio-button
  // states, then the drop-down arrow; made on first use.
  static constexpr int kImageCount = 19;
  VIconShape* Image(int slot);

 private:
  looks::LookImages<kImageCount> fImages;
};
