// VRegionDragger: a drag of data between frames, with drop-target feedback:
// only frames that accept the frame's drag types under the mask become
// targets, and they hear of the drag entering (phase 0), leaving (1) and
// moving inside the drag rectangle (2). Feedback is clipped to the screen.
#pragma once

#include "views/VDragger.h"

constexpr intptr_t kDragEntered = 0;
constexpr intptr_t kDragLeft = 1;
constexpr intptr_t kDragMovedInside = 2;

class VRegionDragger : public VDragger {
 public:
  VRegionDragger(VFrame* frame, const VEvent& event);

  VFrame* FindTarget(HWND window, const VPoint& p) override;
  void BeginTrack(VPort& port) override;
  void TrackMove(VPort& port, VFrame* previous, VFrame* target, int32_t dx, int32_t dy) override;
  void EndTrack(VPort& port, VFrame* target) override;

  // The drag rectangle, screen coordinates.
  void SetDragRect(const VRect& rect) { fDragRect = rect; }
  const VRect& GetDragRect() const { return fDragRect; }
  void SetMask(uint32_t mask) { fMask = mask; }
  uint32_t GetMask() const { return fMask; }

 private:
  // Tells `target` of the drag at screen point (x, y) in `phase`; the drag
  // rectangle is passed relative to the frame's screen position.
  void Notify(VFrame* target, int32_t x, int32_t y, intptr_t phase);

  VRect fDragRect;
  uint32_t fMask = 0;
};
