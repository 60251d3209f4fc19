// The bar drag: the zone under the mouse picks the outline shown, drawn
// in not-xor so that drawing it again removes it: 4 pixels thick where the
// bar would float, 1 over a side's zone.
#include "controls/bars/VToolBarItemDragger.h"

#include <algorithm>

#include "framework/system/environment/VCursor.h"
#include "views/VDockView.h"
#include "graphics/VPort.h"

namespace {

constexpr int32_t kBlack = 10;
constexpr int16_t kPenCopy = 0;
constexpr int16_t kPenNotXor = 2;
constexpr int32_t kSolid = 6;
constexpr int32_t kFloatingOutlineWidth = 4;
constexpr int32_t kDockedOutlineWidth = 1;
constexpr int32_t kDragCursor = 9001;

VEvent StartEvent(int32_t x, int32_t y) {
  return VEvent(x, y, 0, false, false, false, false, false, 1, 0);
}

}  // namespace

VToolBarItemDragger::VToolBarItemDragger(VDockView* dock, int32_t startX, int32_t startY,
                                         VDockBar* bar)
    : VDragger(dock, StartEvent(startX, startY)), fDock(dock), fBar(bar) {
  SetMode(kDragClipMainWindow);
  if (fBar != nullptr) {
    fBar->GetPosition(fCornerX, fCornerY);
    fOutline = VRect(fCornerX - 2, fCornerY - 2, fBar->GetWidth(), fBar->GetHeight());
  }
  fCornerX -= 2;
  fCornerY -= 2;
}

void VToolBarItemDragger::SetDragSetup(const VBarDragSetup& setup) {
  fSetup = setup;
  fSide = setup.side;
}

int16_t VToolBarItemDragger::SideAt(int32_t x, int32_t y) const {
  const VPoint p(x, y);
  // The zone the mouse is in stays while it holds the mouse, where zones
  // overlap.
  if (fSide >= kDockLeft && fSide <= kDockBottom && fSetup.zones[fSide - 1].Contains(p))
    return fSide;
  for (int16_t i = 0; i < 4; ++i) {
    if (fSetup.zones[i].Contains(p)) return static_cast<int16_t>(i + 1);
  }
  return kDockFloating;
}

void VToolBarItemDragger::PlaceOutline() {
  const VRect& shape =
      fSetup.outlines[fSide == kDockFloating ? 0
                                             : (fSide == kDockTop || fSide == kDockBottom ? 1 : 2)];
  fOutline = VRect(fCornerX + fMovedX, fCornerY + fMovedY, shape.GetWidth(), shape.GetHeight());
}

void VToolBarItemDragger::BeginTrack(VPort& port) {
  if (gCursor != nullptr) gCursor->SetId(kDragCursor);
  port.SetFillColorIndex(kBlack);
  port.SetFillPatternIndex(kSolid);
  port.SetPenMode(kPenNotXor);
}

void VToolBarItemDragger::DrawFeedback(VPort& port, bool erase) {
  // Drawn once, removed once: a second draw or erase changes nothing.
  if (erase != (fShown != 0)) return;
  fShown = erase ? 0 : 1;
  const int32_t x = fOutline.GetLeft(), y = fOutline.GetTop();
  const int32_t w = fOutline.GetWidth(), h = fOutline.GetHeight();
  if (w <= 0 || h <= 0) return;
  const int32_t t = fSide == kDockFloating ? kFloatingOutlineWidth : kDockedOutlineWidth;
  // Four strips that do not overlap, so each pixel is inverted once.
  port.PaintVRect(VRect(x, y, w, std::min(t, h)));
  if (h > t) port.PaintVRect(VRect(x, y + h - std::min(t, h - t), w, std::min(t, h - t)));
  if (h > 2 * t) {
    port.PaintVRect(VRect(x, y + t, std::min(t, w), h - 2 * t));
    if (w > t)
      port.PaintVRect(VRect(x + w - std::min(t, w - t), y + t, std::min(t, w - t), h - 2 * t));
  }
}

void VToolBarItemDragger::TrackMove(VPort& port, VFrame*, VFrame*, int32_t dx, int32_t dy) {
  fMovedX += dx;
  fMovedY += dy;
  DrawFeedback(port, true);
  fSide = SideAt(fStartX + fMovedX, fStartY + fMovedY);
  PlaceOutline();
  DrawFeedback(port, false);
}

void VToolBarItemDragger::EndTrack(VPort& port, VFrame*) {
  DrawFeedback(port, true);
  port.SetFillPatternIndex(kSolid);
  port.SetPenMode(kPenCopy);
  if (gCursor != nullptr) gCursor->SetId(0);
}

void VToolBarItemDragger::GetResult(VBarDragResult& result) {
  result.side = fSide;
  result.dockX = fStartX + fMovedX;
  result.dockY = fStartY + fMovedY;
  VPoint start;
  GetStartPoint(start, 2);
  result.windowX = start.GetX() + fMovedX;
  result.windowY = start.GetY() + fMovedY;
}

bool TrackDockBar(VDockView* dock, VDockBar* bar, int32_t startX, int32_t startY,
                  const VBarDragSetup& setup, VBarDragResult& result) {
  if (dock == nullptr || bar == nullptr) return false;
  VToolBarItemDragger dragger(dock, startX, startY, bar);
  dragger.SetDragSetup(setup);
  dragger.Track();
  dragger.GetResult(result);
  return true;
}

const VBarDraggerRunner kToolBarItemDraggerRunner{&TrackDockBar};
