// VDIBPort: a port drawing into a device-independent bitmap section of a
// chosen size and depth, on a memory DC of its own.
#pragma once

#include <vector>

#include "graphics/VGdiSelection.h"
#include "graphics/VPort.h"
#include "platform/gdi/WinGdi.h"

class VPictPictureData;

class VDIBPort : public VPort {
 public:
  // Depth 0 takes the device's depth. The bitmap is at least 8 pixels wide
  // and 1 high; the port answers the size asked. Without a bitmap the port
  // has no DC and draws nothing.
  VDIBPort(int32_t width, int32_t height, int16_t depth);
  ~VDIBPort() override;

  int32_t GetWidth() const override;
  int32_t GetHeight() const override;

  // The section's pixels (top row first), its handle and depth.
  void* GetBits() const { return fBits; }
  HBITMAP GetSection() const { return fSection; }
  int16_t GetDepth() const { return fDepth; }

  // The bitmap as a version 2 PICT of the asked size, owned by the caller;
  // null without a bitmap or memory.
  VPictPictureData* ToPictPicture();
  // Draws the icon at (0, 0) in its own size on white and answers the
  // bitmap as the handle of a PICT picture, the caller's; 0 when the icon
  // cannot be drawn or the picture made.
  uint32_t IconToPicture(HICON icon);

 private:
  void* fBits = nullptr;
  std::vector<RGBQUAD> fColors;
  HBITMAP fSection = nullptr;
  HPALETTE fPalette = nullptr;
  VGdiSelection fBitmapSelection;
  HPALETTE fDisplacedPalette = nullptr;
  int32_t fWidth;
  int32_t fHeight;
  int16_t fDepth = 0;
  HDC fMemoryDC = nullptr;
};
