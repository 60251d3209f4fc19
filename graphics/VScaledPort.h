// VScaledPort: a port whose every coordinate, pen width, clip, origin push
// and font metric goes through two zoom factors; the print job draws pages
// with one at printer resolution in screen units.
#pragma once

#include "graphics/VPort.h"

class VScaledPort : public VPort {
 public:
  explicit VScaledPort(HDC dc);
  VScaledPort(HDC dc, double zoomX, double zoomY);

  // Zoom is on unless both factors are exactly 1.0.
  void SetZoom(double zoomX, double zoomY);
  bool IsScaled() const override;
};
