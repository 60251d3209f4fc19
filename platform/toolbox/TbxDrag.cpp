// Outline drags over the stand-in's input.
#include "platform/toolbox/TbxDrag.h"

#include <algorithm>
#include <atomic>

#include "platform/gdi/GdiInternal.h"
#include "platform/gdi/WinGdi.h"
#include "platform/toolbox/TbxPorts.h"
#include "platform/toolbox/TbxRegionData.h"
#include "platform/toolbox/TbxWindows.h"
#include "platform/win32/WinInput.h"

namespace Tbx {
namespace {

std::atomic<int32_t> gLastPolls{0};
std::atomic<int32_t> gLastOffset{0};

int16_t Pin(LONG value, int16_t low, int16_t high) {
  // The right and bottom edges lie outside; an empty range pins to its start.
  const LONG top = std::max<LONG>(low, static_cast<LONG>(high) - 1);
  return static_cast<int16_t>(std::clamp<LONG>(value, low, top));
}

int32_t Pack(int16_t dv, int16_t dh) {
  return static_cast<int32_t>((static_cast<uint32_t>(static_cast<uint16_t>(dv)) << 16) |
                              static_cast<uint16_t>(dh));
}

// The region less the region shrunk by one pixel on every side.
GdiRegion Outline(const GdiRegion& region) {
  GdiRegion inner = region;
  const POINT shifts[] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
  for (const POINT& d : shifts) {
    GdiRegion shifted = region;
    shifted.Offset(d.x, d.y);
    inner = GdiRegion::Combine(inner, shifted, RGN_AND);
  }
  return GdiRegion::Combine(region, inner, RGN_DIFF);
}

// Inverts the outline moved by (dh, dv) in the current port, through its
// clip; a second call at the same place takes it away again.
void InvertOutline(const GdiRegion& outline, int16_t dh, int16_t dv) {
  GrafPtr port = nullptr;
  GetPort(&port);
  HDC dc = port != nullptr ? GetPortHDC(port) : nullptr;
  if (dc == nullptr) return;
  HRGN moved = CreateRectRgn(0, 0, 0, 0);
  if (GdiRegionObject* r = GdiRegionFromHandle(moved)) {
    r->region = outline;
    r->region.Offset(dh, dv);
    InvertRgn(dc, moved);
  }
  DeleteObject(moved);
  EndPortDrawing(port);
}

}  // namespace

int32_t DragGrayRgn(RgnHandle region, Point start, const Rect* limit, const Rect* slop,
                    int16_t axis, DragActionProc action) {
  gLastPolls = 0;
  gLastOffset = 0;
  if (region == 0 || limit == nullptr) return kDragAborted;
  const Rect& slopRect = slop != nullptr ? *slop : *limit;
  GdiRegion shape;
  if (!TbxReadRgn(region, &shape)) return kDragAborted;
  const GdiRegion outline = Outline(shape);
  bool shown = false;
  int16_t shownH = 0;
  int16_t shownV = 0;
  int16_t dh = 0;
  int16_t dv = 0;
  bool inside = true;
  int32_t polls = 0;
  for (;;) {
    const bool down = GetAsyncKeyState(VK_LBUTTON) < 0;
    POINT cursor{start.h, start.v};
    GetCursorPos(&cursor);
    ++polls;
    const int16_t h = axis == vAxisOnly ? start.h : Pin(cursor.x, limit->left, limit->right);
    const int16_t v = axis == hAxisOnly ? start.v : Pin(cursor.y, limit->top, limit->bottom);
    inside = cursor.x >= slopRect.left && cursor.x < slopRect.right && cursor.y >= slopRect.top &&
             cursor.y < slopRect.bottom;
    dh = static_cast<int16_t>(h - start.h);
    dv = static_cast<int16_t>(v - start.v);
    // The outline follows the pointer and hides while it is outside the slop.
    if (shown && (!inside || dh != shownH || dv != shownV)) {
      InvertOutline(outline, shownH, shownV);
      shown = false;
    }
    if (inside && !shown) {
      InvertOutline(outline, dh, dv);
      shown = true;
      shownH = dh;
      shownV = dv;
    }
    if (action != nullptr) action();
    // The button up ends the drag; so does input that can no longer change.
    if (!down || !HeadlessInputPending()) break;
  }
  if (shown) InvertOutline(outline, shownH, shownV);
  gLastPolls = polls;
  gLastOffset = Pack(dv, dh);
  return inside ? Pack(dv, dh) : kDragAborted;
}

int32_t GetLastDragPolls() { return gLastPolls; }

Point GetLastDragOffset() {
  const uint32_t packed = static_cast<uint32_t>(gLastOffset.load());
  return Point{static_cast<int16_t>(packed >> 16), static_cast<int16_t>(packed & 0xFFFF)};
}

}  // namespace Tbx
