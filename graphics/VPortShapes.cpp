// VPort: polygons in the five verbs, line shapes, colour icons in their four
// transforms, and the window grow box.
#include <vector>

#include "framework/core/memory/VHandleLocker.h"
#include "framework/system/environment/VSystemServices.h"
#include "graphics/GraphicsGlobals.h"
#include "graphics/GraphicsHooks.h"
#include "graphics/GraphicsMath_p.h"
#include "graphics/VIconShape.h"
#include "graphics/VLineShape.h"
#include "graphics/VPolygon.h"
#include "graphics/VPort.h"
#include "platform/gdi/WinGdi.h"

namespace gm = graphics_math;

static_assert(sizeof(POINT) == 8, "the point block is handed to GDI as POINTs");

namespace {

// The grow icon of the module's run: made by the first grow box, kept until
// the graphics layer stops. A run whose system has none, or whose resource
// file holds none, remembers that it tried.
VIconShape* gGrowIcon = nullptr;
bool gGrowIconTried = false;

bool IsNTFamily() { return gOSCode == 2 || gOSCode == 4 || gOSCode == 6 || gOSCode == 7; }

}  // namespace

void ReleaseGrowIcon() {
  delete gGrowIcon;
  gGrowIcon = nullptr;
  gGrowIconTried = false;
}

// ---------------------------------------------------------------------------
// Polygons

void VPort::FramePolygon(VPolygon& polygon) { DrawPolygon(polygon, PolygonVerb::kFrame); }
void VPort::PaintPolygon(VPolygon& polygon) { DrawPolygon(polygon, PolygonVerb::kPaint); }
void VPort::ErasePolygon(VPolygon& polygon) { DrawPolygon(polygon, PolygonVerb::kErase); }
void VPort::PaintAndFramePolygon(VPolygon& polygon) {
  DrawPolygon(polygon, PolygonVerb::kPaintAndFrame);
}
void VPort::InvertPolygon(VPolygon& polygon) { DrawPolygon(polygon, PolygonVerb::kInvert); }

void VPort::DrawPolygon(VPolygon& polygon, PolygonVerb verb) {
  const int32_t count = polygon.GetCount();
  if (fCurrentDC == nullptr || count < 3) return;
  const VMemHandle block = polygon.GetPointBlock();
  if (!IsMapped()) {
    // The points themselves, moved by the origin for the call.
    const int32_t left = polygon.GetLeft();
    const int32_t top = polygon.GetTop();
    polygon.SetPosition(gm::Add(left, fOriginX), gm::Add(top, fOriginY));
    {
      const VHandleLocker lock(*gMemoryMgr, block);
      if (const auto* points = lock.As<const POINT>()) PolygonCall(points, count, verb);
    }
    polygon.SetPosition(left, top);
    return;
  }
  std::vector<POINT> mapped(static_cast<size_t>(count));
  {
    const VHandleLocker lock(*gMemoryMgr, block);
    const auto* points = lock.As<const int32_t>();
    if (points == nullptr) return;
    for (int32_t i = 0; i < count; ++i) {
      mapped[static_cast<size_t>(i)] = MapPoint(points[2 * i], points[2 * i + 1]);
    }
  }
  PolygonCall(mapped.data(), count, verb);
}

void VPort::PolygonCall(const POINT* points, int32_t count, PolygonVerb verb) {
  switch (verb) {
    case PolygonVerb::kFrame:
      PreparePen(true);
      Polygon(fCurrentDC, points, count);
      ReleasePen(true);
      break;
    case PolygonVerb::kPaint:
      PrepareFill(true);
      Polygon(fCurrentDC, points, count);
      ReleaseFill(true);
      break;
    case PolygonVerb::kErase:
      PrepareErase();
      Polygon(fCurrentDC, points, count);
      ReleaseErase();
      break;
    case PolygonVerb::kPaintAndFrame:
      PrepareFill(false);
      PreparePen(false);
      Polygon(fCurrentDC, points, count);
      ReleasePen(false);
      ReleaseFill(false);
      break;
    case PolygonVerb::kInvert: {
      HRGN region = CreatePolygonRgn(points, count, ALTERNATE);
      if (region == nullptr) {
        ReportGdiFailure();
        break;
      }
      InvertRgn(fCurrentDC, region);
      DeleteObject(region);
      break;
    }
  }
}

// ---------------------------------------------------------------------------
// Line shapes

void VPort::DrawLineShape(const VLineShape& line) {
  if (fCurrentDC == nullptr) return;
  int32_t x1;
  int32_t y1;
  int32_t x2;
  int32_t y2;
  line.GetEnds(x1, y1, x2, y2);
  PreparePen(false);
  const POINT a = MapPoint(x1, y1);
  const POINT b = MapPoint(x2, y2);
  StrokeLine(a.x, a.y, b.x, b.y);
  ReleasePen(false);
}

// ---------------------------------------------------------------------------
// Colour icons

void VPort::BlitIcon(const VIconShape& icon, int32_t dx, int32_t dy, DWORD rop) {
  const int32_t left = gm::Add(icon.GetLeft(), dx);
  const int32_t top = gm::Add(icon.GetTop(), dy);
  const int32_t w = icon.GetWidth();
  const int32_t h = icon.GetHeight();
  if (!IsMapped()) {
    BitBlt(fCurrentDC, gm::Add(fOriginX, left), gm::Add(fOriginY, top), w, h, fWorkDC, 0, 0, rop);
    return;
  }
  const double fx = fScaleX * fZoomX;
  const double fy = fScaleY * fZoomY;
  StretchBlt(fCurrentDC, gm::Trunc(fOriginX + left * fx), gm::Trunc(fOriginY + top * fy),
             gm::Trunc(w * fx), gm::Trunc(h * fy), fWorkDC, 0, 0, w, h, rop);
}

void VPort::DrawIcon(VIconShape& icon, int16_t transform) {
  if (fCurrentDC == nullptr || !icon.EnsureBitmaps(*this)) return;
  if (fWorkDC == nullptr) {
    fWorkDC = CreateCompatibleDC(fCurrentDC);
    if (fWorkDC == nullptr) {
      ReportGdiFailure();
      return;
    }
    HPALETTE palette = EmulatorPalette();
    if (IsPaletteDevice() && palette != nullptr) {
      fWorkPalette = SelectPalette(fWorkDC, palette, FALSE_);
      RealizePalette(fWorkDC);
    }
  }
  // The bitmap the work DC held before the first selection, put back at the
  // end; a refused selection ends the drawing.
  HGDIOBJ displaced =
      SelectObject(fWorkDC, transform == 0 ? icon.GetMaskBitmap() : icon.GetImageBitmap());
  if (displaced == nullptr) {
    ReportGdiFailure();
    return;
  }
  const COLORREF oldBack = SetBkColor(fCurrentDC, IndexColor(0));
  const COLORREF oldText = ::SetTextColor(fCurrentDC, IndexColor(10));
  if (transform == 0) {
    BlitIcon(icon, 0, 0, MERGEPAINT);
    SelectObject(fWorkDC, icon.GetColorBitmap());
    BlitIcon(icon, 0, 0, SRCAND);
  } else {
    if (transform == 2) BlitIcon(icon, 1, 1, MERGEPAINT);
    BlitIcon(icon, 0, 0, MERGEPAINT);
    if (transform == 1 || transform == 2) {
      ::SetTextColor(fCurrentDC, IndexColor(21));
      BlitIcon(icon, 0, 0, SRCAND);
    }
  }
  SelectObject(fWorkDC, displaced);
  SetBkColor(fCurrentDC, oldBack);
  ::SetTextColor(fCurrentDC, oldText);
  // Outside the NT family bitmaps are a scarce resource: they live for one
  // drawing.
  if (!IsNTFamily()) icon.ReleaseBitmaps();
}

void VPort::DrawGrowBox(int32_t x, int32_t y) {
  if (!gGrowIconTried) {
    gGrowIconTried = true;
    if (gOSCode != 1 && gOSCode != 2) {
      VResourceFile* module =
          gSystemServices != nullptr ? gSystemServices->GetModuleResourceFile() : nullptr;
      if (module != nullptr) {
        auto* icon = new VIconShape(module, "GrowWin95");
        if (icon->GetData() != 0) {
          gGrowIcon = icon;
        } else {
          delete icon;
        }
      }
    }
  }
  SetFillColorIndex(18);
  PaintRect(x, y, 16, 16);
  if (gGrowIcon != nullptr) {
    gGrowIcon->SetPosition(x, y);
    DrawIcon(*gGrowIcon, 0);
  }
}
