// ScrollDC: moving a DC's pixels and reporting what the move uncovered.
#include "platform/gdi/GdiPaint.h"

namespace {

bool Inverted(const RECT* r) { return r != nullptr && (r->right < r->left || r->bottom < r->top); }

}  // namespace

BOOL ScrollDC(HDC handle, int dx, int dy, const RECT* scroll, const RECT* clip, HRGN update,
              RECT* updateRect) {
  GdiDC* dc = GdiDcFromHandle(handle);
  if (!dc) return FALSE_;
  GdiRegionObject* out = nullptr;
  if (update != nullptr && (out = GdiRegionFromHandle(update)) == nullptr) return FALSE_;
  GdiNeedPagePixels(*dc);
  GdiSurface* target = dc->Target();
  if (!target) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE_;
  }
  const GdiRegion visible = GdiVisibleRegion(*dc);
  const GdiRegion device(RECT{0, 0, target->width, target->height});
  GdiRegion area = scroll ? GdiRegion(GdiRectToDevice(*dc, *scroll)) : device;
  GdiRegion limit = clip ? GdiRegion(GdiRectToDevice(*dc, *clip)) : device;
  if (Inverted(scroll) || Inverted(clip)) area = GdiRegion();
  // Logical distances in device pixels.
  const POINT origin = GdiToDevice(*dc, POINT{0, 0});
  const POINT moved = GdiToDevice(*dc, POINT{dx, dy});
  const int32_t ddx = moved.x - origin.x;
  const int32_t ddy = moved.y - origin.y;

  GdiRegion source = GdiRegion::Combine(area, visible, RGN_AND);
  GdiRegion landed = source;
  landed.Offset(ddx, ddy);
  landed = GdiRegion::Combine(GdiRegion::Combine(landed, limit, RGN_AND), visible, RGN_AND);
  if (!landed.IsEmpty()) {
    std::shared_ptr<GdiSurface> copy = GdiReadableSurface(*dc);
    if (dc->dcKind != GdiDcKind::Window && copy) copy = GdiCopySurface(*copy);
    if (!copy) return FALSE_;
    const bool trueColor = (target->bitsPerPixel == 24 || target->bitsPerPixel == 32) &&
                           copy->bitsPerPixel == target->bitsPerPixel;
    const int32_t bytes = target->bitsPerPixel / 8;
    for (const RECT& rc : landed.Rects()) {
      for (int32_t y = rc.top; y < rc.bottom; ++y) {
        if (trueColor) {
          GdiCopyColorBytes(target->Row(y) + ptrdiff_t{rc.left} * bytes,
                            copy->Row(y - ddy) + (ptrdiff_t{rc.left} - ddx) * bytes, rc.right - rc.left,
                            target->bitsPerPixel);
          continue;
        }
        for (int32_t x = rc.left; x < rc.right; ++x) target->Set(x, y, copy->Get(x - ddx, y - ddy));
      }
    }
  }
  GdiRegion uncovered = GdiRegion::Combine(
      GdiRegion::Combine(GdiRegion::Combine(area, limit, RGN_AND), visible, RGN_AND), landed,
      RGN_DIFF);
  if (out) out->region = uncovered;
  if (updateRect) {
    RECT b = uncovered.Bounds();
    POINT a = GdiToLogical(*dc, POINT{b.left, b.top});
    POINT c = GdiToLogical(*dc, POINT{b.right, b.bottom});
    *updateRect = RECT{a.x, a.y, c.x, c.y};
  }
  return TRUE_;
}
