// VOffscreenPort: the port of a window that can draw a frame into an
// offscreen bitmap and copy it back, whole, by rectangle or by region, once
// or again and again (double buffering).
#pragma once

#include "graphics/VPort.h"

// While offscreen the object stack holds, from the bottom: the palette
// displaced from the memory DC (or 0), the bitmap displaced from it, the
// frame, its width, its height, its x and its y; the clip stack holds the
// base DC's clip from before and the origin stack the pushed (-x, -y).
class VOffscreenPort : public VPort {
 public:
  explicit VOffscreenPort(HDC dc);
  ~VOffscreenPort() override;

  // Draws from now on into a bitmap of the frame's size; nothing when
  // already offscreen, and the port stays on its DC when no bitmap can be
  // made.
  void BeginOffscreen(const VFrame* frame) override;
  // Copy to the base DC; with keep the drawing goes on offscreen, without
  // it ends.
  void CopyRegionToScreen(const VRegion& region, bool keep) override;
  void CopyRectToScreen(const VRect& rect, bool keep) override;
  void CopyToScreen(bool keep) override;
  void ResetState() override;
  // Ends offscreen drawing without a copy.
  void EndOffscreen() override;

 private:
  void CopyBack(const VRegion* region, const VRect* rect, bool keep);
  // Puts the stock objects into the memory DC, deleting the port's own.
  void ReleaseMemoryObjects(HDC memory);
};
