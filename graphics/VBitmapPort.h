// VBitmapPort: a port on a memory DC compatible with the screen, holding a
// 1 x 1 bitmap of the screen's format until its user selects a bitmap of
// its own into the port's DC.
#pragma once

#include "graphics/VGdiSelection.h"
#include "graphics/VPort.h"

class VBitmapPort : public VPort {
 public:
  VBitmapPort();
  ~VBitmapPort() override;

 private:
  HDC fMemoryDC = nullptr;
  VGdiSelection fBitmapSelection;
  HPALETTE fDisplacedPalette = nullptr;
};
