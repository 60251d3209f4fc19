// VOffscreenPort: beginning, copying back and ending offscreen drawing.
#include "graphics/VOffscreenPort.h"

#include "graphics/GraphicsGlobals.h"
#include "graphics/GraphicsHooks.h"
#include "graphics/GraphicsMath_p.h"
#include "graphics/VRegion.h"
#include "platform/gdi/WinGdi.h"

namespace gm = graphics_math;

VOffscreenPort::VOffscreenPort(HDC dc) : VPort(dc) {}

VOffscreenPort::~VOffscreenPort() {
  if (IsOffscreen()) EndOffscreen();
}

void VOffscreenPort::BeginOffscreen(const VFrame* frame) {
  fTextCarry = 0.0f;
  if (IsOffscreen() || fBaseDC == nullptr) return;
  VFrameArea area;
  if (!GetFrameArea(frame, &area)) return;
  GdiFlush();
  HDC memory = CreateCompatibleDC(fBaseDC);
  if (memory == nullptr) {
    ReportGdiFailure();
    return;
  }
  HPALETTE displacedPalette = nullptr;
  if (gDeviceColorCount >= 1 && IsPaletteDevice()) {
    auto palette = static_cast<HPALETTE>(GetCurrentObject(fBaseDC, OBJ_PAL));
    displacedPalette = SelectPalette(memory, palette, FALSE_);
    UnrealizeObject(palette);
    RealizePalette(memory);
  }
  HBITMAP bitmap = CreateCompatibleBitmap(fBaseDC, area.width, area.height);
  if (bitmap == nullptr) {
    // The port stays on its DC, its stacks as they were.
    ReportGdiFailure();
    if (displacedPalette != nullptr) SelectPalette(memory, displacedPalette, FALSE_);
    DeleteDC(memory);
    return;
  }
  fObjectStack.Push(reinterpret_cast<uintptr_t>(displacedPalette));
  SetTextAlign(memory, TA_BASELINE | TA_UPDATECP);
  PushClip(false);
  HGDIOBJ displacedBitmap = SelectObject(memory, bitmap);
  fObjectStack.Push(reinterpret_cast<uintptr_t>(displacedBitmap));

  fCurrentDC = memory;
  PushOrigin(gm::Sub(0, area.x), gm::Sub(0, area.y));
  fObjectStack.Push(reinterpret_cast<uintptr_t>(frame));
  fObjectStack.Push(static_cast<uint32_t>(area.width));
  fObjectStack.Push(static_cast<uint32_t>(area.height));
  fObjectStack.Push(static_cast<uint32_t>(area.x));
  fObjectStack.Push(static_cast<uint32_t>(area.y));
  // The memory DC holds none of the port's objects nor its settings.
  MarkAllDirty();
  fDrawMode = kDrawNone;
  HRGN clip = CreateRectRgn(0, 0, area.width, area.height);
  SelectClipRgn(memory, clip);
  if (clip != nullptr) DeleteObject(clip);
}

void VOffscreenPort::ReleaseMemoryObjects(HDC memory) {
  HGDIOBJ brush = SelectObject(memory, GetStockObject(WHITE_BRUSH));
  if (brush != nullptr && brush != fEraseBrush) DeleteObject(brush);
  HGDIOBJ pen = SelectObject(memory, GetStockObject(BLACK_PEN));
  if (pen != nullptr) DeleteObject(pen);
  HGDIOBJ font = SelectObject(memory, GetStockObject(DEFAULT_GUI_FONT));
  if (font != nullptr) DeleteObject(font);
  MarkAllDirty();
  fDrawMode = kDrawNone;
}

void VOffscreenPort::CopyBack(const VRegion* region, const VRect* rect, bool keep) {
  fTextCarry = 0.0f;
  if (!IsOffscreen()) return;
  HDC memory = fCurrentDC;
  GdiFlush();
  if (!keep) ReleaseMemoryObjects(memory);

  const auto y = static_cast<int32_t>(fObjectStack.Pop());
  const auto x = static_cast<int32_t>(fObjectStack.Pop());
  const auto height = static_cast<int32_t>(fObjectStack.Pop());
  const auto width = static_cast<int32_t>(fObjectStack.Pop());
  const uintptr_t frameValue = fObjectStack.Pop();
  const auto* frame = reinterpret_cast<const VFrame*>(frameValue);
  int32_t sx = 0;
  int32_t sy = 0;
  VFrameArea area;
  if (GetFrameArea(frame, &area) && area.scrolls) {
    sx = area.scrollX;
    sy = area.scrollY;
  }
  HGDIOBJ displacedBitmap = nullptr;
  HPALETTE displacedPalette = nullptr;
  if (keep) {
    fObjectStack.Push(frameValue);
    fObjectStack.Push(static_cast<uint32_t>(width));
    fObjectStack.Push(static_cast<uint32_t>(height));
    fObjectStack.Push(static_cast<uint32_t>(x));
    fObjectStack.Push(static_cast<uint32_t>(y));
  } else {
    displacedBitmap = reinterpret_cast<HGDIOBJ>(fObjectStack.Pop());
    displacedPalette = reinterpret_cast<HPALETTE>(fObjectStack.Pop());
  }

  fCurrentDC = fBaseDC;
  HRGN savedClip = reinterpret_cast<HRGN>(fClipStack.Pop());
  if (region != nullptr && region->GetHandle() != nullptr) {
    HRGN clip = CreateRectRgn(0, 0, 0, 0);
    if (clip != nullptr) {
      CombineRgn(clip, region->GetHandle(), nullptr, RGN_COPY);
      OffsetRgn(clip, gm::Sub(gm::Add(x, fOriginX), sx), gm::Sub(gm::Add(y, fOriginY), sy));
      if (savedClip != nullptr) CombineRgn(clip, clip, savedClip, RGN_AND);
      SelectClipRgn(fBaseDC, clip);
      DeleteObject(clip);
    }
  } else {
    SelectClipRgn(fBaseDC, savedClip);
  }
  if (keep) {
    fClipStack.Push(reinterpret_cast<uintptr_t>(savedClip));
  } else if (savedClip != nullptr) {
    DeleteObject(savedClip);
  }

  int32_t left = 0;
  int32_t top = 0;
  int32_t copyWidth = width;
  int32_t copyHeight = height;
  const VShape* box = rect != nullptr ? static_cast<const VShape*>(rect) : region;
  if (box != nullptr) {
    left = gm::Sub(gm::Add(fOriginX, box->GetLeft()), sx);
    top = gm::Sub(gm::Add(fOriginY, box->GetTop()), sy);
    copyWidth = box->GetWidth();
    copyHeight = box->GetHeight();
  }
  if (!BitBlt(fBaseDC, gm::Add(left, x), gm::Add(top, y), copyWidth, copyHeight, memory, left,
              top, SRCCOPY)) {
    ReportGdiFailure();
  }

  if (keep) {
    fCurrentDC = memory;
    return;
  }
  if (displacedPalette != nullptr) SelectPalette(memory, displacedPalette, FALSE_);
  HGDIOBJ bitmap = displacedBitmap != nullptr ? SelectObject(memory, displacedBitmap) : nullptr;
  if (bitmap != nullptr) DeleteObject(bitmap);
  DeleteDC(memory);
  PopOrigin();
}

void VOffscreenPort::CopyRegionToScreen(const VRegion& region, bool keep) {
  CopyBack(&region, nullptr, keep);
}

void VOffscreenPort::CopyRectToScreen(const VRect& rect, bool keep) {
  CopyBack(nullptr, &rect, keep);
}

void VOffscreenPort::CopyToScreen(bool keep) { CopyBack(nullptr, nullptr, keep); }

void VOffscreenPort::EndOffscreen() {
  fTextCarry = 0.0f;
  if (!IsOffscreen()) return;
  HDC memory = fCurrentDC;
  for (int i = 0; i < 5; ++i) fObjectStack.Pop();
  HGDIOBJ displacedBitmap = reinterpret_cast<HGDIOBJ>(fObjectStack.Pop());
  HPALETTE displacedPalette = reinterpret_cast<HPALETTE>(fObjectStack.Pop());
  if (displacedPalette != nullptr) SelectPalette(memory, displacedPalette, FALSE_);
  ReleaseMemoryObjects(memory);
  HGDIOBJ bitmap = displacedBitmap != nullptr ? SelectObject(memory, displacedBitmap) : nullptr;
  if (bitmap != nullptr) DeleteObject(bitmap);
  DeleteDC(memory);
  PopOrigin();
  fCurrentDC = fBaseDC;
  PopClip();
}

void VOffscreenPort::ResetState() {
  if (IsOffscreen()) EndOffscreen();
  VPort::ResetState();
}
