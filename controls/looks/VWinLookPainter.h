// VWinLookPainter: the Windows look. Its colour roles are the system
// colours, its standard fonts the system's menu, icon-title and message
// fonts, its sizes the system's scroll-bar metrics; check boxes, radio
// buttons and scroll arrows are colour-icon images.
#pragma once

#include <cstdint>

#include "controls/looks/LookImages.h"
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

  // Images by slot: the four arrows, the nine check-box states, the nine
  // radio-button states.
  static constexpr int kImageCount = 22;
  // The image of a slot, made on first use from the 'cicn' resource of its
  // name and kept until the painter goes; one whose resource is missing has
  // no icon and draws nothing.
  VIconShape* Image(int slot);

 private:
  looks::LookImages<kImageCount> fImages;
};
