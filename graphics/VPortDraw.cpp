// VPort: the shapes in the QuickDraw verbs, regions, two-segment lines,
// pixels and flood fill, picture shapes in their placements, and the copies
// of pixels into another port or into a frame's window.
#include <cstring>
#include <vector>

#include "graphics/GraphicsGlobals.h"
#include "graphics/GraphicsHooks.h"
#include "graphics/GraphicsMath_p.h"
#include "graphics/VPort.h"
#include "graphics/VRegion.h"
#include "graphics/VShape.h"
#include "graphics/pictures/VEmfPictureData.h"
#include "graphics/pictures/VPictPictureData.h"
#include "graphics/pictures/VPictureShape.h"
#include "platform/gdi/WinGdi.h"
#include "platform/gdi/WinGdiMetafile.h"

namespace gm = graphics_math;

// ---------------------------------------------------------------------------
// Rectangles, ovals and round rectangles

void VPort::FrameRect(int32_t x, int32_t y, int32_t w, int32_t h) {
  if (fCurrentDC == nullptr) return;
  PreparePen(true);
  const RECT r = MapRect(x, y, w, h, 0);
  Rectangle(fCurrentDC, r.left, r.top, r.right, r.bottom);
  ReleasePen(true);
}

void VPort::FrameVRect(const VRect& r) {
  FrameRect(r.GetLeft(), r.GetTop(), r.GetWidth(), r.GetHeight());
}

void VPort::PaintVRect(const VRect& r) {
  if (fCurrentDC == nullptr) return;
  PrepareFill(true);
  const RECT d = MapRect(r.GetLeft(), r.GetTop(), r.GetWidth(), r.GetHeight(), 1);
  Rectangle(fCurrentDC, d.left, d.top, d.right, d.bottom);
  ReleaseFill(true);
}

void VPort::EraseRect(int32_t x, int32_t y, int32_t w, int32_t h) {
  if (fCurrentDC == nullptr) return;
  PrepareErase();
  const RECT r = MapRect(x, y, w, h, 1);
  Rectangle(fCurrentDC, r.left, r.top, r.right, r.bottom);
  ReleaseErase();
}

void VPort::EraseVRect(const VRect& r) {
  EraseRect(r.GetLeft(), r.GetTop(), r.GetWidth(), r.GetHeight());
}

void VPort::PaintAndFrameVRect(const VRect& r) {
  if (fCurrentDC == nullptr) return;
  PrepareFill(false);
  PreparePen(false);
  const RECT d = MapRect(r.GetLeft(), r.GetTop(), r.GetWidth(), r.GetHeight(), 0);
  Rectangle(fCurrentDC, d.left, d.top, d.right, d.bottom);
  ReleasePen(false);
  ReleaseFill(false);
}

void VPort::InvertRect(int32_t x, int32_t y, int32_t w, int32_t h) {
  if (fCurrentDC == nullptr) return;
  const int64_t left = int64_t{fOriginX} + x;
  const int64_t top = int64_t{fOriginY} + y;
  const RECT r{gm::Clamp32(left), gm::Clamp32(top), gm::Clamp32(left + w),
               gm::Clamp32(top + h)};
  ::InvertRect(fCurrentDC, &r);
}

void VPort::InvertVRect(const VRect& r) {
  InvertRect(r.GetLeft(), r.GetTop(), r.GetWidth(), r.GetHeight());
}

namespace {

enum class Verb { kFrame, kPaint, kErase, kPaintAndFrame };

}  // namespace

// The prologue, one GDI call on the mapped box and the release of a verb.
template <typename Draw>
static void DrawInVerb(VPort& port, Verb verb, Draw draw) {
  switch (verb) {
    case Verb::kFrame:
      port.PreparePen(true);
      draw();
      port.ReleasePen(true);
      break;
    case Verb::kPaint:
      port.PrepareFill(true);
      draw();
      port.ReleaseFill(true);
      break;
    case Verb::kErase:
      port.PrepareErase();
      draw();
      port.ReleaseErase();
      break;
    case Verb::kPaintAndFrame:
      port.PrepareFill(false);
      port.PreparePen(false);
      draw();
      port.ReleasePen(false);
      port.ReleaseFill(false);
      break;
  }
}

void VPort::FrameOval(int32_t x, int32_t y, int32_t w, int32_t h) {
  if (fCurrentDC == nullptr) return;
  const RECT r = MapRect(x, y, w, h, 0);
  DrawInVerb(*this, Verb::kFrame, [&] { Ellipse(fCurrentDC, r.left, r.top, r.right, r.bottom); });
}

void VPort::FrameOval(const VRect& r) {
  FrameOval(r.GetLeft(), r.GetTop(), r.GetWidth(), r.GetHeight());
}

void VPort::PaintOval(int32_t x, int32_t y, int32_t w, int32_t h) {
  if (fCurrentDC == nullptr) return;
  const RECT r = MapRect(x, y, w, h, 0);
  DrawInVerb(*this, Verb::kPaint, [&] { Ellipse(fCurrentDC, r.left, r.top, r.right, r.bottom); });
}

void VPort::PaintOval(const VRect& r) {
  PaintOval(r.GetLeft(), r.GetTop(), r.GetWidth(), r.GetHeight());
}

void VPort::EraseOval(const VRect& r) {
  if (fCurrentDC == nullptr) return;
  const RECT d = MapRect(r.GetLeft(), r.GetTop(), r.GetWidth(), r.GetHeight(), 0);
  DrawInVerb(*this, Verb::kErase, [&] { Ellipse(fCurrentDC, d.left, d.top, d.right, d.bottom); });
}

void VPort::PaintAndFrameOval(const VRect& r) {
  if (fCurrentDC == nullptr) return;
  const RECT d = MapRect(r.GetLeft(), r.GetTop(), r.GetWidth(), r.GetHeight(), 0);
  DrawInVerb(*this, Verb::kPaintAndFrame,
             [&] { Ellipse(fCurrentDC, d.left, d.top, d.right, d.bottom); });
}

namespace {

struct MappedRoundRect {
  RECT box;
  int32_t ovalWidth;
  int32_t ovalHeight;
};

}  // namespace

static void DrawRoundRectInVerb(VPort& port, HDC dc, const MappedRoundRect& m, Verb verb) {
  DrawInVerb(port, verb, [&] {
    RoundRect(dc, m.box.left, m.box.top, m.box.right, m.box.bottom, m.ovalWidth, m.ovalHeight);
  });
}

#define QV_ROUND_RECT_VERB(Name, verb)                                                        \
  void VPort::Name(const VRoundRectShape& r) {                                                \
    if (fCurrentDC == nullptr) return;                                                        \
    MappedRoundRect m{MapRect(r.GetLeft(), r.GetTop(), r.GetWidth(), r.GetHeight(), 0),       \
                      r.GetOvalWidth(), r.GetOvalHeight()};                                   \
    if (IsMapped()) {                                                                         \
      m.ovalWidth = gm::Trunc(r.GetOvalWidth() * fScaleX * fZoomX);                           \
      m.ovalHeight = gm::Trunc(r.GetOvalHeight() * fScaleY * fZoomY);                         \
    }                                                                                         \
    DrawRoundRectInVerb(*this, fCurrentDC, m, verb);                                          \
  }

QV_ROUND_RECT_VERB(FrameRoundRect, Verb::kFrame)
QV_ROUND_RECT_VERB(PaintRoundRect, Verb::kPaint)
QV_ROUND_RECT_VERB(EraseRoundRect, Verb::kErase)
QV_ROUND_RECT_VERB(PaintAndFrameRoundRect, Verb::kPaintAndFrame)
#undef QV_ROUND_RECT_VERB

// ---------------------------------------------------------------------------
// Regions

HRGN VPort::MovedRegion(const VRegion& region, int32_t dx, int32_t dy) {
  if (region.GetHandle() == nullptr) return nullptr;
  HRGN moved = CreateRectRgn(0, 0, 0, 0);
  if (moved == nullptr) {
    ReportGdiFailure();
    return nullptr;
  }
  CombineRgn(moved, region.GetHandle(), nullptr, RGN_COPY);
  OffsetRgn(moved, dx, dy);
  return moved;
}

void VPort::FrameRegion(const VRegion& region) {
  if (fCurrentDC == nullptr || IsMapped()) return;
  if (fCachedPatternBrush == nullptr || std::memcmp(fCachedBrushPattern, fPenPattern, 8) != 0 ||
      fCachedBrushColor != fPenColor) {
    if (fCachedPatternBrush != nullptr) DeleteObject(fCachedPatternBrush);
    bool stock = false;
    fCachedPatternBrush = NewPatternBrush(fPenPattern, fPenColor, fZoomOn, &stock);
    // The cached brush is deleted with the port: a stock brush is replaced
    // by a solid one of the same white.
    if (stock) fCachedPatternBrush = CreateSolidBrush(RGB(255, 255, 255));
    if (fCachedPatternBrush == nullptr) ReportGdiFailure();
    std::memcpy(fCachedBrushPattern, fPenPattern, 8);
    fCachedBrushColor = fPenColor;
  }
  if (fCachedPatternBrush == nullptr) return;
  HRGN moved = MovedRegion(region, fOriginX, fOriginY);
  if (moved == nullptr) return;
  ApplyDrawMode(kDrawPen);
  FrameRgn(fCurrentDC, moved, fCachedPatternBrush, fPenWidth, fPenWidth);
  DeleteObject(moved);
}

void VPort::PaintRegion(const VRegion& region) {
  if (fCurrentDC == nullptr) return;
  int32_t dx = fOriginX;
  int32_t dy = fOriginY;
  if (IsMapped()) {
    // The region keeps its shape; only its corner is placed.
    dx = gm::Sub(gm::Trunc(fOriginX + region.GetLeft() * fScaleX * fZoomX), region.GetLeft());
    dy = gm::Sub(gm::Trunc(fOriginY + region.GetTop() * fScaleY * fZoomY), region.GetTop());
  }
  HRGN moved = MovedRegion(region, dx, dy);
  if (moved == nullptr) return;
  PrepareFill(true);
  PaintRgn(fCurrentDC, moved);
  ReleaseFill(true);
  DeleteObject(moved);
}

void VPort::EraseRegion(const VRegion& region) {
  if (fCurrentDC == nullptr) return;
  HRGN moved = MovedRegion(region, fOriginX, fOriginY);
  if (moved == nullptr) return;
  PrepareErase();
  PaintRgn(fCurrentDC, moved);
  ReleaseErase();
  DeleteObject(moved);
}

void VPort::InvertRegion(const VRegion& region) {
  if (fCurrentDC == nullptr) return;
  HRGN moved = MovedRegion(region, fOriginX, fOriginY);
  if (moved == nullptr) return;
  InvertRgn(fCurrentDC, moved);
  DeleteObject(moved);
}

void VPort::FrameRegionXor(const VRegion& region) {
  if (fCurrentDC == nullptr) return;
  const int16_t kept = SetPenMode(2);
  PreparePen(false);
  FrameRegion(region);
  ReleasePen(false);
  SetPenMode(kept);
}

// ---------------------------------------------------------------------------
// Lines of two segments, pixels and flood fill

void VPort::DrawTwoSegments(int32_t x, int32_t y, int32_t dx1, int32_t dy1, int32_t dx2,
                            int32_t dy2) {
  if (fCurrentDC == nullptr) return;
  if (IsMapped()) {
    const double fx = fScaleX * fZoomX;
    const double fy = fScaleY * fZoomY;
    x = gm::Trunc(x * fx);
    dx1 = gm::Trunc(dx1 * fx);
    dx2 = gm::Trunc(dx2 * fx);
    y = gm::Trunc(y * fy);
    dy1 = gm::Trunc(dy1 * fy);
    dy2 = gm::Trunc(dy2 * fy);
  }
  PreparePen(false);
  const POINT start{gm::Add(fOriginX, x), gm::Add(fOriginY, y)};
  const POINT corner{gm::Add(start.x, dx1), gm::Add(start.y, dy1)};
  const POINT end{gm::Add(corner.x, dx2), gm::Add(corner.y, dy2)};
  StrokeLine(start.x, start.y, corner.x, corner.y);
  StrokeLine(corner.x, corner.y, end.x, end.y);
  ReleasePen(false);
}

void VPort::DrawTwoSegmentsTo(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3,
                              int32_t y3) {
  if (fCurrentDC == nullptr) return;
  PreparePen(false);
  const POINT a = MapPoint(x1, y1);
  const POINT b = MapPoint(x2, y2);
  const POINT c = MapPoint(x3, y3);
  StrokeLine(a.x, a.y, b.x, b.y);
  StrokeLine(b.x, b.y, c.x, c.y);
  ReleasePen(false);
}

void VPort::SetPixel(int32_t x, int32_t y, COLORREF color) {
  if (fCurrentDC == nullptr) return;
  ::SetPixel(fCurrentDC, gm::Add(fOriginX, x), gm::Add(fOriginY, y), color);
}

COLORREF VPort::GetPixel(int32_t x, int32_t y) const {
  if (fCurrentDC == nullptr) return CLR_INVALID;
  return ::GetPixel(fCurrentDC, gm::Add(fOriginX, x), gm::Add(fOriginY, y));
}

void VPort::FloodFill(int32_t x, int32_t y, COLORREF color) {
  if (fCurrentDC == nullptr) return;
  const COLORREF seed = GetPixel(x, y) | 0x02000000u;
  const COLORREF kept = fFillColor;
  SetFillColor(color);
  PrepareFill(true);
  ExtFloodFill(fCurrentDC, gm::Add(fOriginX, x), gm::Add(fOriginY, y), seed, FLOODFILLSURFACE);
  ReleaseFill(true);
  fFillColor = kept;
  fFillDirty = true;
}

// ---------------------------------------------------------------------------
// Copies

DWORD VPort::CopyModeRop(int16_t mode) {
  switch (mode) {
    case 1: return SRCPAINT;
    case 2: return SRCINVERT;
    case 3: return SRCERASE;
    case 4: return NOTSRCCOPY;
    case 5: return MERGEPAINT;
    case 7: return NOTSRCERASE;
    case 9: return SRCAND;
    default: return SRCCOPY;
  }
}

void VPort::BlitInto(HDC destination, const RECT& target, const RECT& source, int16_t mode) {
  const COLORREF back = SetBkColor(destination, fCopyBackColor);
  const COLORREF text = ::SetTextColor(destination, fCopyForeColor);
  GdiFlush();
  const int32_t tw = target.right - target.left;
  const int32_t th = target.bottom - target.top;
  const int32_t sw = source.right - source.left;
  const int32_t sh = source.bottom - source.top;
  const DWORD rop = CopyModeRop(mode);
  if (tw == sw && th == sh) {
    BitBlt(destination, target.left, target.top, tw, th, fCurrentDC, source.left, source.top, rop);
  } else {
    const int previous = SetStretchBltMode(destination, COLORONCOLOR);
    StretchBlt(destination, target.left, target.top, tw, th, fCurrentDC, source.left, source.top,
               sw, sh, rop);
    SetStretchBltMode(destination, previous);
  }
  GdiFlush();
  SetBkColor(destination, back);
  ::SetTextColor(destination, text);
}

static RECT MovedBox(const VRect& r, int32_t dx, int32_t dy) {
  const int64_t left = int64_t{r.GetLeft()} + dx;
  const int64_t top = int64_t{r.GetTop()} + dy;
  return RECT{gm::Clamp32(left), gm::Clamp32(top), gm::Clamp32(left + r.GetWidth()),
              gm::Clamp32(top + r.GetHeight())};
}

void VPort::CopyBits(const VRect& source, VPort& destination, const VRect& target,
                     int16_t mode) {
  HDC dc = destination.GetCurrentDC();
  if (fCurrentDC == nullptr || dc == nullptr) return;
  BlitInto(dc, MovedBox(target, destination.fOriginX, destination.fOriginY),
           MovedBox(source, fOriginX, fOriginY), mode);
}

void VPort::CopyToFrame(const VRect& source, const VFrame* frame, const VRect& target,
                        int16_t mode) {
  if (fCurrentDC == nullptr || frame == nullptr) return;
  VRegion visible;
  if (!GetFrameVisibleRegion(frame, &visible) || visible.GetHandle() == nullptr) return;
  RECT box;
  if (GetRgnBox(visible.GetHandle(), &box) <= NULLREGION) return;
  VFrameArea area;
  if (!GetFrameArea(frame, &area)) return;
  const int32_t dx = area.scrolls ? gm::Sub(area.x, area.scrollX) : area.x;
  const int32_t dy = area.scrolls ? gm::Sub(area.y, area.scrollY) : area.y;
  HDC dc = BeginFramePort(frame);
  if (dc == nullptr) {
    EndFramePort(frame);
    return;
  }
  HRGN saved = CreateRectRgn(0, 0, 0, 0);
  const bool hadClip = saved != nullptr && GetClipRgn(dc, saved) == 1;
  SelectClipRgn(dc, visible.GetHandle());
  BlitInto(dc, MovedBox(target, dx, dy), MovedBox(source, fOriginX, fOriginY), mode);
  if (hadClip) SelectClipRgn(dc, saved);
  if (saved != nullptr) DeleteObject(saved);
  EndFramePort(frame);
}

int32_t VPort::TransparentCopy(HDC destination, int32_t x, int32_t y, int32_t w, int32_t h,
                               HDC source, int32_t sx, int32_t sy) {
  if (gTransparentBlt != nullptr) {
    gTransparentBlt(destination, x, y, w, h, source, sx, sy, w, h, RGB(255, 255, 255));
    return 1;
  }
  HDC target = destination;
  int32_t tx = x;
  int32_t ty = y;
  HDC copyDC = nullptr;
  HBITMAP copy = nullptr;
  HGDIOBJ copyDisplaced = nullptr;
  if (!IsOffscreen() && !IsScaled() && !IsMetafile()) {
    copyDC = CreateCompatibleDC(destination);
    copy = copyDC != nullptr ? CreateCompatibleBitmap(destination, w, h) : nullptr;
    if (copy != nullptr) {
      copyDisplaced = SelectObject(copyDC, copy);
      BitBlt(copyDC, 0, 0, w, h, destination, x, y, SRCCOPY);
      target = copyDC;
      tx = ty = 0;
    }
  }
  // The mask: white pixels of the source become 1.
  HDC maskDC = CreateCompatibleDC(destination);
  HBITMAP mask = maskDC != nullptr ? CreateBitmap(w, h, 1, 1, nullptr) : nullptr;
  HGDIOBJ maskDisplaced = mask != nullptr ? SelectObject(maskDC, mask) : nullptr;
  if (mask != nullptr) {
    const COLORREF sourceBack = SetBkColor(source, RGB(255, 255, 255));
    BitBlt(maskDC, 0, 0, w, h, source, sx, sy, SRCCOPY);
    SetBkColor(source, sourceBack);
    const COLORREF back = SetBkColor(target, RGB(0, 0, 0));
    const COLORREF text = ::SetTextColor(target, RGB(255, 255, 255));
    BitBlt(target, tx, ty, w, h, source, sx, sy, SRCINVERT);
    SetBkColor(target, RGB(255, 255, 255));
    ::SetTextColor(target, RGB(0, 0, 0));
    BitBlt(target, tx, ty, w, h, maskDC, 0, 0, SRCAND);
    SetBkColor(target, RGB(0, 0, 0));
    ::SetTextColor(target, RGB(255, 255, 255));
    BitBlt(target, tx, ty, w, h, source, sx, sy, SRCINVERT);
    SetBkColor(target, back);
    ::SetTextColor(target, text);
  }
  if (copy != nullptr) {
    BitBlt(destination, x, y, w, h, copyDC, 0, 0, SRCCOPY);
    SelectObject(copyDC, copyDisplaced);
    DeleteObject(copy);
  }
  if (copyDC != nullptr) DeleteDC(copyDC);
  if (mask != nullptr) {
    SelectObject(maskDC, maskDisplaced);
    DeleteObject(mask);
  }
  if (maskDC != nullptr) DeleteDC(maskDC);
  return 1;
}

// ---------------------------------------------------------------------------
// Picture shapes

bool VPort::CopyPictureTiles(HENHMETAFILE metafile, const RECT* tiles, int32_t count, int32_t w,
                             int32_t h, bool transparent) {
  HDC memory = CreateCompatibleDC(fCurrentDC);
  if (memory == nullptr) return false;
  HBITMAP bitmap = CreateCompatibleBitmap(fCurrentDC, w, h);
  if (bitmap == nullptr) {
    DeleteDC(memory);
    return false;
  }
  HPALETTE displacedPalette = nullptr;
  if (GetDeviceCaps(fCurrentDC, NUMCOLORS) > 0) {
    HPALETTE current = static_cast<HPALETTE>(GetCurrentObject(fCurrentDC, OBJ_PAL));
    if (current != nullptr) {
      displacedPalette = SelectPalette(memory, current, FALSE_);
      RealizePalette(memory);
    }
  }
  HGDIOBJ displaced = SelectObject(memory, bitmap);
  const int keptMemoryMode = SetStretchBltMode(memory, COLORONCOLOR);
  const int keptMode = SetStretchBltMode(fCurrentDC, COLORONCOLOR);
  const RECT whole{0, 0, w, h};
  HGDIOBJ brush = SelectObject(memory, GetStockObject(WHITE_BRUSH));
  PatBlt(memory, 0, 0, w, h, PATCOPY);
  SelectObject(memory, brush);
  PlayEnhMetaFile(memory, metafile, &whole);
  for (int32_t i = 0; i < count; ++i) {
    const RECT& tile = tiles[i];
    if (RectVisible(fCurrentDC, &tile) == FALSE_) continue;
    if (transparent) {
      TransparentCopy(fCurrentDC, tile.left, tile.top, w, h, memory, 0, 0);
    } else {
      BitBlt(fCurrentDC, tile.left, tile.top, w, h, memory, 0, 0, SRCCOPY);
    }
  }
  SetStretchBltMode(fCurrentDC, keptMode);
  SetStretchBltMode(memory, keptMemoryMode);
  SelectObject(memory, displaced);
  if (displacedPalette != nullptr) SelectPalette(memory, displacedPalette, FALSE_);
  DeleteObject(bitmap);
  DeleteDC(memory);
  GdiFlush();
  return true;
}

void VPort::DrawPictureShape(const VPictureShape& shape) {
  if (fCurrentDC == nullptr) return;
  VPictureData* picture = shape.GetPicture();
  if (picture == nullptr) return;
  const VEmfPictureData* emf = nullptr;
  if (picture->GetPictureKind() == kPictureKindEMF) {
    emf = static_cast<const VEmfPictureData*>(picture);
  } else if (picture->GetPictureKind() == kPictureKindPICT) {
    emf = static_cast<VPictPictureData*>(picture)->MetafileForDrawing();
  }
  if (emf == nullptr || emf->GetMetafile() == nullptr) return;
  HENHMETAFILE metafile = emf->GetMetafile();

  const int32_t x = shape.GetLeft();
  const int32_t y = shape.GetTop();
  const int32_t w = shape.GetWidth();
  const int32_t h = shape.GetHeight();
  const int32_t pw = picture->GetWidth();
  const int32_t ph = picture->GetHeight();
  const int16_t mode = shape.GetPlacement();
  // An empty picture has no size to place, scale or tile by.
  if (pw <= 0 || ph <= 0) return;
  int32_t px = x;
  int32_t py = y;
  int32_t pwOut = pw;
  int32_t phOut = ph;
  switch (mode) {
    case 1:
    case 3:
      break;
    case 2:
      px = gm::Add(x, gm::Sub(w, pw) >> 1);
      py = gm::Add(y, gm::Sub(h, ph) >> 1);
      break;
    case 4:
    case 6: {
      const float fx = static_cast<float>(w) / static_cast<float>(pw);
      const float fy = static_cast<float>(h) / static_cast<float>(ph);
      const bool byHeight = fx >= fy;
      const float f = byHeight ? fy : fx;
      pwOut = gm::Trunc(static_cast<double>(pw * f));
      phOut = gm::Trunc(static_cast<double>(ph * f));
      if (mode == 6) {
        if (byHeight) {
          px = gm::Add(x, gm::Sub(w, pwOut) >> 1);
        } else {
          py = gm::Add(y, gm::Sub(h, phOut) >> 1);
        }
      }
      break;
    }
    case 5:
      pwOut = w;
      phOut = h;
      break;
    default:
      // Placements outside 1 to 6 draw nothing.
      return;
  }
  auto map = [this](int32_t bx, int32_t by, int32_t bw, int32_t bh) {
    if (!IsMapped()) {
      return RECT{gm::Add(fOriginX, bx), gm::Add(fOriginY, by),
                  gm::Add(gm::Add(fOriginX, bx), bw), gm::Add(gm::Add(fOriginY, by), bh)};
    }
    const double fx = fZoomX * fScaleX;
    const double fy = fZoomY * fScaleY;
    const int32_t left = gm::Trunc(fOriginX + bx * fx);
    const int32_t top = gm::Trunc(fOriginY + by * fy);
    return RECT{left, top, gm::Trunc(left + bw * fx), gm::Trunc(top + bh * fy)};
  };
  const RECT p = map(px, py, pwOut, phOut);
  const RECT b = map(x, y, w, h);
  const bool clip = mode == 3 || ((mode == 1 || mode == 2) && (pwOut > w || phOut > h));
  HRGN savedClip = nullptr;
  HRGN boxRegion = nullptr;
  if (clip) {
    savedClip = CreateRectRgn(0, 0, 0, 0);
    if (savedClip != nullptr && GetClipRgn(fCurrentDC, savedClip) == 1) {
      IntersectClipRect(fCurrentDC, b.left, b.top, b.right, b.bottom);
    } else {
      if (savedClip != nullptr) DeleteObject(savedClip);
      savedClip = nullptr;
      boxRegion = CreateRectRgn(b.left, b.top, b.right, b.bottom);
      SelectClipRgn(fCurrentDC, boxRegion);
    }
  }
  const bool transparent = shape.GetTransferMode() == 8;
  const int32_t tw = p.right - p.left;
  const int32_t th = p.bottom - p.top;
  if (mode == 3) {
    // A tile of no device size cannot be tiled.
    if (tw > 0 && th > 0) {
      const COLORREF back = SetBkColor(fCurrentDC, RGB(255, 255, 255));
      const COLORREF text = ::SetTextColor(fCurrentDC, RGB(0, 0, 0));
      const int32_t columns = w / tw + 1;
      const int32_t rows = h / th + 1;
      std::vector<RECT> tiles;
      tiles.reserve(static_cast<size_t>(columns) * static_cast<size_t>(rows));
      for (int32_t c = 0; c < columns; ++c) {
        for (int32_t r = 0; r < rows; ++r) {
          const int32_t dx = c * tw;
          const int32_t dy = r * th;
          tiles.push_back(RECT{p.left + dx, p.top + dy, p.right + dx, p.bottom + dy});
        }
      }
      if (!CopyPictureTiles(metafile, tiles.data(), static_cast<int32_t>(tiles.size()), tw, th,
                            transparent)) {
        for (const RECT& tile : tiles) {
          if (RectVisible(fCurrentDC, &tile) != FALSE_) PlayEnhMetaFile(fCurrentDC, metafile, &tile);
        }
      }
      SetBkColor(fCurrentDC, back);
      ::SetTextColor(fCurrentDC, text);
    }
  } else if (!transparent) {
    if (RectVisible(fCurrentDC, &p) != FALSE_) PlayEnhMetaFile(fCurrentDC, metafile, &p);
  } else if (tw > 0 && th > 0) {
    if (!CopyPictureTiles(metafile, &p, 1, tw, th, true) && RectVisible(fCurrentDC, &p) != FALSE_) {
      PlayEnhMetaFile(fCurrentDC, metafile, &p);
    }
  }
  if (clip) {
    if (savedClip != nullptr) {
      SelectClipRgn(fCurrentDC, savedClip);
      DeleteObject(savedClip);
    } else {
      SelectClipRgn(fCurrentDC, nullptr);
      if (boxRegion != nullptr) DeleteObject(boxRegion);
    }
  }
}
