#include "views/VRegionDragger.h"

#include "views/VFrame.h"

VRegionDragger::VRegionDragger(VFrame* frame, const VEvent& event) : VDragger(frame, event) {
  fDragRect.SetEmpty();
  SetMode(kDragClipScreen);
}

VFrame* VRegionDragger::FindTarget(HWND window, const VPoint& p) {
  if (fFinder == nullptr) fFinder = new VDragTargetFinder;
  const VDragTypeList* types = fFrame != nullptr ? fFrame->GetDragTypes() : nullptr;
  return fFinder->AcceptsDragAt(window, p, types, fMask);
}

// DragEventData gets the drag types, the mask, the address of the drag
// rectangle (relative to the frame), the address of the point (screen) and
// the phase.
void VRegionDragger::Notify(VFrame* target, int32_t x, int32_t y, intptr_t phase) {
  if (target == nullptr) return;
  int32_t fx = 0, fy = 0;
  if (fFrame != nullptr) fFrame->LocalToScreen(fx, fy);
  VRect rect(fDragRect);
  rect.SetPosition(fDragRect.GetLeft() - fx, fDragRect.GetTop() - fy);
  VPoint point(x, y);
  target->DragEventData(
      reinterpret_cast<intptr_t>(fFrame != nullptr ? fFrame->GetDragTypes() : nullptr),
      static_cast<intptr_t>(fMask), reinterpret_cast<intptr_t>(&rect),
      reinterpret_cast<intptr_t>(&point), phase);
}

void VRegionDragger::BeginTrack(VPort&) {
  UpdateTarget();
  Notify(fTarget, fCurrentX, fCurrentY, kDragEntered);
}

void VRegionDragger::TrackMove(VPort&, VFrame* previous, VFrame* target, int32_t dx, int32_t dy) {
  const int32_t px = fCurrentX - dx, py = fCurrentY - dy;
  const bool inRect = fCurrentX >= fDragRect.GetLeft() && fCurrentX < fDragRect.GetRight() &&
                      fCurrentY >= fDragRect.GetTop() && fCurrentY < fDragRect.GetBottom();
  if (target == previous && inRect) {
    Notify(target, fCurrentX, fCurrentY, kDragMovedInside);
    return;
  }
  Notify(previous, px, py, kDragLeft);
  Notify(target, fCurrentX, fCurrentY, kDragEntered);
}

void VRegionDragger::EndTrack(VPort&, VFrame* target) {
  Notify(target, fCurrentX, fCurrentY, kDragLeft);
}
