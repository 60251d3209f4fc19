// VMetafilePort: recording an enhanced metafile of an area given in pixels of
// a reference device, and handing the metafile over at the end.
#include "graphics/VMetafilePort.h"

#include <cstdint>
#include <limits>

#include "graphics/GraphicsHooks.h"
#include "graphics/pictures/VEmfPictureData.h"
#include "graphics/pictures/VPictureShape.h"
#include "platform/gdi/WinGdi.h"
#include "platform/gdi/WinGdiMetafile.h"

namespace {

// The picture's description: the application and the kind of picture, each
// ended by a zero byte, and a final zero byte (the literal's own).
constexpr char kDescription[] = "Qvbase\0Temporary picture\0";

bool FitsLong(int64_t v) {
  return v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<int32_t>::max();
}

// The area (x, y, w, h) in pixels of the reference device as a frame in
// hundredths of a millimetre, by the device's size in pixels and in
// millimetres (integer arithmetic, truncating). False for an empty area, a
// device that reports no size, or a frame beyond 32-bit values.
bool FrameOfArea(HDC reference, int32_t x, int32_t y, int32_t w, int32_t h, RECT* frame) {
  if (w <= 0 || h <= 0) return false;
  const int64_t right = int64_t{x} + w;
  const int64_t bottom = int64_t{y} + h;
  if (!FitsLong(right) || !FitsLong(bottom)) return false;
  const int64_t horzSize = GetDeviceCaps(reference, HORZSIZE);
  const int64_t vertSize = GetDeviceCaps(reference, VERTSIZE);
  const int64_t horzRes = GetDeviceCaps(reference, HORZRES);
  const int64_t vertRes = GetDeviceCaps(reference, VERTRES);
  if (horzSize <= 0 || vertSize <= 0 || horzRes <= 0 || vertRes <= 0) return false;
  const int64_t left = x * (horzSize * 100) / horzRes;
  const int64_t top = y * (vertSize * 100) / vertRes;
  const int64_t frameRight = right * (horzSize * 100) / horzRes;
  const int64_t frameBottom = bottom * (vertSize * 100) / vertRes;
  if (!FitsLong(left) || !FitsLong(top) || !FitsLong(frameRight) || !FitsLong(frameBottom)) {
    return false;
  }
  *frame = RECT{static_cast<LONG>(left), static_cast<LONG>(top), static_cast<LONG>(frameRight),
                static_cast<LONG>(frameBottom)};
  return true;
}

}  // namespace

VMetafilePort::VMetafilePort(HDC dc) : VPort(dc) {}

VMetafilePort::VMetafilePort(HDC reference, int32_t x, int32_t y, int32_t w, int32_t h)
    : VPort(nullptr) {
  if (reference == nullptr) reference = CurrentPortDC();
  // Without a current port the screen is the reference.
  HDC screen = nullptr;
  if (reference == nullptr) reference = screen = GetDC(nullptr);

  RECT frame{};
  HDC dc = nullptr;
  if (reference != nullptr && FrameOfArea(reference, x, y, w, h, &frame)) {
    dc = CreateEnhMetaFileA(reference, nullptr, &frame, kDescription);
    if (dc == nullptr) ReportGdiFailure();
  }
  if (dc != nullptr && GetDeviceCaps(reference, NUMCOLORS) != -1) {
    // The reference DC's current palette, found by displacing it and
    // putting it back, goes with the picture.
    HGDIOBJ defaultPalette = GetStockObject(DEFAULT_PALETTE);
    HPALETTE current = SelectPalette(reference, static_cast<HPALETTE>(defaultPalette), FALSE_);
    if (current != nullptr) {
      SelectPalette(reference, current, FALSE_);
      fSavedPalette = SelectPalette(dc, current, FALSE_);
      UnrealizeObject(current);
      RealizePalette(dc);
    }
  }
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  if (dc == nullptr) return;

  fMetafileDC = dc;
  fRecording = true;
  AttachDC(dc);
  SetGraphicsMode(dc, GM_ADVANCED);
  SetMapMode(dc, MM_TEXT);
  // The window origin stays at (0, 0): the frame already places the area at
  // (x, y) of the reference device, so logical and recorded device
  // coordinates agree, and the clip below (a device region) holds the area.
  SetWindowExtEx(dc, w, h, nullptr);
  HRGN area = CreateRectRgn(x, y, x + w, y + h);
  if (area != nullptr) {
    SelectClipRgn(dc, area);
    DeleteObject(area);
  } else {
    ReportGdiFailure();
  }
}

VMetafilePort::~VMetafilePort() {
  if (fRecording) {
    HENHMETAFILE metafile = EndRecording();
    if (metafile != nullptr) DeleteEnhMetaFile(metafile);
  }
}

bool VMetafilePort::IsMetafile() const { return true; }

HENHMETAFILE VMetafilePort::EndRecording() {
  if (!fRecording) return nullptr;
  HDC dc = fMetafileDC;
  DetachDC();
  if (fSavedPalette != nullptr) SelectPalette(dc, fSavedPalette, FALSE_);
  HENHMETAFILE metafile = CloseEnhMetaFile(dc);
  if (metafile == nullptr) ReportGdiFailure();
  fRecording = false;
  fSavedPalette = nullptr;
  fMetafileDC = nullptr;
  return metafile;
}

VEmfPictureData* VMetafilePort::EndAsPictureData() {
  HENHMETAFILE metafile = EndRecording();
  if (metafile == nullptr) return nullptr;
  return new VEmfPictureData(metafile, true);
}

VPictureShape* VMetafilePort::EndAsPictureShape() {
  VEmfPictureData* picture = EndAsPictureData();
  if (picture == nullptr) return nullptr;
  return new VPictureShape(picture);
}
