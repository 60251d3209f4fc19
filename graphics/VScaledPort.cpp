// VScaledPort: the zoom factors of a port.
#include "graphics/VScaledPort.h"

VScaledPort::VScaledPort(HDC dc) : VPort(dc) {}

VScaledPort::VScaledPort(HDC dc, double zoomX, double zoomY) : VPort(dc) {
  SetZoom(zoomX, zoomY);
}

void VScaledPort::SetZoom(double zoomX, double zoomY) {
  fZoomX = zoomX;
  fZoomY = zoomY;
  fZoomOn = !(zoomX == 1.0 && zoomY == 1.0);
  // Pen widths, the grey brushes and the metrics depend on the zoom.
  MarkAllDirty();
}

bool VScaledPort::IsScaled() const { return true; }
