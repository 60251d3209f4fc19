// VMacLookPainter: the Macintosh look, with a fixed grey palette, fixed
// fonts and 16-pixel scroll bars whatever the system's settings. Check
// boxes and radio buttons are square boxes with a cross; the scroll arrows
// are colour-icon images of their own.
#pragma once

#include <cstdint>

#include "controls/looks/LookImages.h"
#include "graphics/VLookPainter.h"

class VIconShape;

class VMacLookPainter : public VLookPainter {
 public:
  VMacLookPainter() = default;
  ~VMacLookPainter() override;
  VMacLookPainter(const VMacLookPainter&) = delete;
  VMacLookPainter& operator=(const VMacLookPainter&) = delete;

  bool DrawElement(VPort& port, int32_t kind, int32_t state, int32_t x, int32_t y, int32_t w,
                   int32_t h, const VString* text, int32_t extra) override;
  COLORREF GetColor(int32_t index) override;
  bool GetFont(HDC dc, int32_t kind, VString& name, int16_t& size, uint8_t& bold,
               uint8_t& italic) override;
  int32_t GetMetric(int32_t id) override;

  // The four arrow images, left, right, up, down; made on first use.
  static constexpr int kImageCount = 4;
  VIconShape* Image(int slot);

 private:
  looks::LookImages<kImageCount> fImages;
};

// The fonts the Macintosh and third looks share: Arial 10 bold for menus
// and check labels, MS Sans Serif 8 for labels and messages, Times New
// Roman and Arial 10; false, outputs untouched, for id 3 and unlisted ids.
bool GetFixedLookFont(int32_t kind, VString& name, int16_t& size, uint8_t& bold,
                      uint8_t& italic);
