// The frame answers the graphics layer reads through its hooks.
#include "views/VFrameServices.h"

#include "views/VWindowView.h"
#include "graphics/VRegion.h"
#include "platform/gdi/WinGdi.h"

namespace {

bool FrameArea(const VFrame* frame, VFrameArea* area) {
  if (frame == nullptr || area == nullptr) return false;
  frame->GetOrigin(area->x, area->y);
  area->width = frame->GetWidth();
  area->height = frame->GetHeight();
  area->scrolls = frame->HasScrollOffsets();
  area->scrollX = 0;
  area->scrollY = 0;
  if (area->scrolls) frame->GetScrollOffsets(area->scrollX, area->scrollY);
  return true;
}

bool FrameVisibleRegion(const VFrame* frame, VRegion* region) {
  if (frame == nullptr || region == nullptr) return false;
  frame->GetVisibleRegion(*region);
  return true;
}

// The window's own device context; the frame tree is walked without being
// changed.
HDC BeginFramePortOf(const VFrame* frame) {
  if (frame == nullptr) return nullptr;
  VWindowView* view = const_cast<VFrame*>(frame)->GetWindowView();
  if (view == nullptr || view->GetWindowHandle() == nullptr) return nullptr;
  return view->GetWindowDC();
}

// The window view keeps its device context for the window's life, so a
// frame's drawing gives nothing back.
void EndFramePortOf(const VFrame*) {}

}  // namespace

const VFrameAreaProc kFrameAreaProc{&FrameArea};
const VFrameWindowProc kFrameWindowProc{&FrameVisibleRegion, &BeginFramePortOf, &EndFramePortOf};
