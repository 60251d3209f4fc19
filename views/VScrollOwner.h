// VScrollOwner: what a scrolled view and its bars ask of the container that
// holds them. The scroll container implements it; a parent without it is
// simply not asked.
#pragma once

#include <cstdint>

class VScrollBar;
class VScrolledView;

class VScrollOwner {
 public:
  virtual ~VScrollOwner() = default;
  // Places the bars and the content view again; the mode is passed on as
  // the invalidation mode.
  virtual void Layout(int32_t mode) = 0;
  // Draws the bar at once, as it stands (used while the mouse tracks it).
  virtual void DrawBarNow(VScrollBar* bar) = 0;
  // The content view whose step sizes the bars use; null when none.
  virtual VScrolledView* GetContentView() = 0;
};
