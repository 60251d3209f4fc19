// The three drags of the text view: a ruler marker snapped to the display
// unit's grid, a picture's edge, and a picture on a page.
#include "area/view/xMorvaDragger.h"

#include <algorithm>
#include <cmath>

#include "area/view/xMorvaFrame.h"
#include "area/view/xMorvaRuler.h"
#include "document/DocumentUnits.h"
#include "document/xMorvaDocParams.h"
#include "framework/system/environment/VSystemServices.h"
#include "graphics/VPort.h"
#include "views/VScrolledView.h"

namespace {

// The feedback pen: colour index 10, the grey pattern, exclusive or.
constexpr int32_t kFeedbackColour = 10;
constexpr int32_t kPatternGrey = 2;
constexpr int32_t kPatternSolid = 0;
constexpr int16_t kModeExclusiveOr = 2;
constexpr int16_t kModeCopy = 0;

void FrameOutline(VPort& port, const VRect& r) {
  if (r.GetWidth() <= 0 || r.GetHeight() <= 0) return;
  const int32_t right = int32_t(r.GetRight()) - 1;
  const int32_t bottom = int32_t(r.GetBottom()) - 1;
  // Four separate sides, each pixel once, so that a second drawing takes
  // exactly the first one away.
  port.DrawLine(r.GetLeft(), r.GetTop(), right, r.GetTop());
  if (bottom > r.GetTop()) port.DrawLine(r.GetLeft(), bottom, right, bottom);
  if (bottom - 1 > r.GetTop()) {
    port.DrawLine(r.GetLeft(), r.GetTop() + 1, r.GetLeft(), bottom - 1);
    if (right > r.GetLeft()) port.DrawLine(right, r.GetTop() + 1, right, bottom - 1);
  }
}

// How far the view really scrolled on each axis when asked to.
void ScrollView(xMorvaFrame* view, int32_t dx, int32_t dy, int32_t& movedX, int32_t& movedY) {
  movedX = movedY = 0;
  if (view == nullptr) return;
  const int32_t x = view->GetScrollX();
  const int32_t y = view->GetScrollY();
  if (dx != 0) view->NotifyParent(view, kMsgScrollHorizontally, dx);
  if (dy != 0) view->NotifyParent(view, kMsgScrollVertically, dy);
  movedX = view->GetScrollX() - x;
  movedY = view->GetScrollY() - y;
}

}  // namespace

void BeginDragFeedback(VPort& port) {
  port.SetPenWidth(1);
  port.SetPenColorIndex(kFeedbackColour);
  port.SetPenMode(kModeExclusiveOr);
  port.SetPenPatternIndex(kPatternGrey);
}

void EndDragFeedback(VPort& port) {
  port.SetPenMode(kModeCopy);
  port.SetPenPatternIndex(kPatternSolid);
}

// ---- Ruler markers

xMorvaRulerDragger::xMorvaRulerDragger(xMorvaFrame* view, const VEvent& event, xMorvaRuler* ruler,
                                       int32_t kind, bool horizontal, int32_t value, bool forward,
                                       int32_t unit, int32_t markerPosition, int32_t minimum,
                                       int32_t maximum)
    : VDragger(view, event),
      fRuler(ruler),
      fView(view),
      fKind(kind),
      fHorizontal(horizontal ? 1 : 0),
      fForward(forward ? 1 : 0),
      fValue(value),
      fRawValue(value),
      fMinimum(minimum),
      fMaximum(maximum),
      fUnit(unit),
      fMarkerPosition(markerPosition) {
  fControl = event.IsCommand() ? 1 : 0;
  if (fRuler != nullptr) {
    fRuler->SetDragKind(kind);
    fRuler->SetDragValue(value);
  }
  fMarkerPosition += Snap(0);
  PlaceLine();
  // Only the ruler's own axis scrolls the view; Control is watched so
  // that letting it go snaps again at once.
  SetOptions(view, !horizontal, horizontal);
  SetModifierWatch(true, false, false);
}

int32_t xMorvaRulerDragger::SnapToUnit(int32_t value, int32_t unit, int32_t dpi) {
  if (dpi < 1) dpi = 96;
  switch (unit) {
    case kUnitCentimetres: {
      const double n = std::trunc((value * 2.54 / dpi + 0.125) * 4);
      return TruncateToLong(dpi * (n / 4) / 2.54);
    }
    case kUnitInches: {
      const double n = std::trunc((double(value) / dpi + 0.0625) * 8);
      return TruncateToLong(dpi * n / 8);
    }
    case kUnitPoints:
      // Whole tens, in integer arithmetic (which truncates toward zero).
      return int32_t((int64_t(value) + 5) / 10 * 10);
    default: return value;
  }
}

int32_t xMorvaRulerDragger::Snap(int32_t delta) {
  const int64_t raw = fForward != 0 ? int64_t(fRawValue) + delta : int64_t(fRawValue) - delta;
  fRawValue = int32_t(std::clamp<int64_t>(raw, INT32_MIN / 2, INT32_MAX / 2));
  int32_t v = fRawValue;
  if (fControl == 0) v = SnapToUnit(v, fUnit, GetScreenResolution());
  if (v > fMaximum) {
    v = fMaximum;
  } else if (v < fMinimum) {
    v = fMinimum;
  }
  const int32_t moved = fForward != 0 ? v - fValue : fValue - v;
  fValue = v;
  if (fRuler != nullptr) fRuler->SetDragValue(v);
  return moved;
}

void xMorvaRulerDragger::PlaceLine() {
  if (fView == nullptr) return;
  if (fHorizontal != 0) {
    fLine = VRect(fMarkerPosition, 0, 0, fView->GetHeight());
  } else {
    fLine = VRect(0, fMarkerPosition, fView->GetWidth(), 0);
  }
}

void xMorvaRulerDragger::RedrawRuler() {
  if (fRuler != nullptr) fRuler->RedrawNow();
}

void xMorvaRulerDragger::Move(int32_t dx, int32_t dy, bool control) {
  fControl = control ? 1 : 0;
  int32_t movement = dy;
  if (fHorizontal != 0) {
    movement = dx;
    fPerpendicular =
        int32_t(std::clamp<int64_t>(int64_t(fPerpendicular) + dy, INT32_MIN / 2, INT32_MAX / 2));
    // A tab stop pulled well away from the ruler is on its way out.
    if (fKind == xMorvaRuler::kDragTab) {
      const bool off = fPerpendicular >= kTabPullOff || fPerpendicular <= -kTabPullOff;
      fVisible = off ? 0 : 1;
      if (fRuler != nullptr) fRuler->SetTabHidden(off);
    }
  }
  fMarkerPosition += Snap(movement);
  PlaceLine();
}

void xMorvaRulerDragger::BeginTrack(VPort& port) { BeginDragFeedback(port); }

void xMorvaRulerDragger::TrackMove(VPort& port, VFrame*, VFrame*, int32_t dx, int32_t dy) {
  DrawFeedback(port, true);
  Move(dx, dy, VSystemServices::IsControlDown());
  DrawFeedback(port, false);
  RedrawRuler();
}

void xMorvaRulerDragger::EndTrack(VPort& port, VFrame*) {
  EndDragFeedback(port);
  if (fRuler != nullptr) fRuler->SetDragKind(0);
}

void xMorvaRulerDragger::DrawFeedback(VPort& port, bool) {
  // The column spacing has no line: both gap edges move.
  if (fVisible == 0 || fKind == xMorvaRuler::kDragColumnSpacing) return;
  if (fHorizontal != 0) {
    port.DrawLine(fLine.GetLeft(), fLine.GetTop(), fLine.GetLeft(), int32_t(fLine.GetBottom()) - 1);
  } else {
    port.DrawLine(fLine.GetLeft(), fLine.GetTop(), int32_t(fLine.GetRight()) - 1, fLine.GetTop());
  }
}

void xMorvaRulerDragger::AutoScroll(VPort& port, int32_t dx, int32_t dy) {
  const int32_t amount = fHorizontal != 0 ? dx : dy;
  if (amount == 0) return;
  DrawFeedback(port, true);
  int32_t movedX = 0, movedY = 0;
  ScrollView(fView, fHorizontal != 0 ? amount : 0, fHorizontal != 0 ? 0 : amount, movedX, movedY);
  const int32_t moved = fHorizontal != 0 ? movedX : movedY;
  // The mouse stays where it is while the page passes under it: the value
  // follows the scroll, and the marker's place in the view moves by what
  // the snapping left over.
  fMarkerPosition += Snap(moved) - moved;
  PlaceLine();
  DrawFeedback(port, false);
  RedrawRuler();
}

// ---- Picture resizing

void xMorvaResizeOutline::Start(const VRect& box, int32_t mouseX, int32_t mouseY) {
  x = mouseX;
  y = mouseY;
  startLeft = left = box.GetLeft();
  startTop = top = box.GetTop();
  startRight = int32_t(box.GetRight());
  startBottom = int32_t(box.GetBottom());
  width = box.GetWidth();
  height = box.GetHeight();
  // A box without area has no proportions to keep: it keeps a square's.
  if (!(ratio > 0) || !std::isfinite(ratio)) ratio = 1.0;
}

namespace {

// One axis of the resize: the near edge (handle `nearHandle`) moves the
// start, the far edge (`farHandle`) the size; another handle leaves both.
void ResizeAxis(int16_t handle, int16_t nearHandle, int16_t farHandle, int32_t mouse, int32_t start,
                int32_t end, int32_t maximum, int32_t& origin, int32_t& size) {
  constexpr int32_t kMin = xMorvaResizeOutline::kMinimumSide;
  if (handle == nearHandle) {
    if (int64_t(mouse) <= int64_t(end) - kMin) {
      origin = int32_t(std::max<int64_t>(mouse, int64_t(end) - maximum));
    } else {
      origin = end - kMin;
    }
    size = end - origin;
  } else if (handle == farHandle) {
    if (int64_t(mouse) >= int64_t(origin) + kMin) {
      size = int32_t(std::min<int64_t>(int64_t(mouse) - origin, maximum));
    } else {
      size = kMin;
    }
  }
}

}  // namespace

void xMorvaResizeOutline::Step(int32_t dx, int32_t dy, bool keepRatio) {
  x = int32_t(std::clamp<int64_t>(int64_t(x) + dx, INT32_MIN / 2, INT32_MAX / 2));
  y = int32_t(std::clamp<int64_t>(int64_t(y) + dy, INT32_MIN / 2, INT32_MAX / 2));
  ResizeAxis(horizontalHandle, 1, 3, x, startLeft, startRight, maximumWidth, left, width);
  ResizeAxis(verticalHandle, 2, 4, y, startTop, startBottom, maximumHeight, top, height);
  if (keepRatio) {
    if (double(width) / std::max(height, 1) <= ratio) {
      height = int32_t(std::trunc(width / ratio));
    } else {
      width = int32_t(std::trunc(height * ratio));
    }
    // The smallest side is kept after the proportions, so that a thin
    // picture never reaches a width or height of 0 (which a later resize
    // would divide by).
    width = std::max(width, kMinimumSide);
    height = std::max(height, kMinimumSide);
    // The edge opposite the one dragged stays where it was.
    if (horizontalHandle == 1) left = startRight - width;
    if (verticalHandle == 2) top = startBottom - height;
  }
}

void xMorvaResizeOutline::Shift(int32_t dx, int32_t dy) {
  x += dx;
  y += dy;
  startLeft += dx;
  startRight += dx;
  left += dx;
  startTop += dy;
  startBottom += dy;
  top += dy;
}

xMorvaPictResizeDragger::xMorvaPictResizeDragger(xMorvaFrame* view, double ratio,
                                                 const VEvent& event, int16_t horizontalHandle,
                                                 int16_t verticalHandle, const VRect& box,
                                                 int32_t maximumWidth, int32_t maximumHeight)
    : VDragger(view, event), fView(view) {
  fOutline.horizontalHandle = horizontalHandle;
  fOutline.verticalHandle = verticalHandle;
  fOutline.maximumWidth = std::max(maximumWidth, xMorvaResizeOutline::kMinimumSide);
  fOutline.maximumHeight = std::max(maximumHeight, xMorvaResizeOutline::kMinimumSide);
  fOutline.ratio = ratio;
  fOutline.Start(box, event.GetX(), event.GetY());
  SetOptions(view, false, false);
  SetModifierWatch(false, false, true);
}

void xMorvaPictResizeDragger::GetResult(int32_t originX, int32_t originY, int32_t& x, int32_t& y,
                                        int32_t& width, int32_t& height) const {
  const int32_t scrollX = fView != nullptr ? fView->GetScrollX() : 0;
  const int32_t scrollY = fView != nullptr ? fView->GetScrollY() : 0;
  x = fOutline.left + scrollX - originX;
  y = fOutline.top + scrollY - originY;
  width = fOutline.width;
  height = fOutline.height;
}

void xMorvaPictResizeDragger::Move(int32_t dx, int32_t dy, bool shift) {
  fOutline.Step(dx, dy, shift);
}

void xMorvaPictResizeDragger::BeginTrack(VPort& port) { BeginDragFeedback(port); }

void xMorvaPictResizeDragger::TrackMove(VPort& port, VFrame*, VFrame*, int32_t dx, int32_t dy) {
  DrawFeedback(port, true);
  Move(dx, dy, VSystemServices::IsShiftDown());
  DrawFeedback(port, false);
}

void xMorvaPictResizeDragger::EndTrack(VPort& port, VFrame*) { EndDragFeedback(port); }

void xMorvaPictResizeDragger::DrawFeedback(VPort& port, bool) {
  FrameOutline(port, VRect(fOutline.left, fOutline.top, fOutline.width, fOutline.height));
}

void xMorvaPictResizeDragger::AutoScroll(VPort& port, int32_t dx, int32_t dy) {
  DrawFeedback(port, true);
  int32_t movedX = 0, movedY = 0;
  ScrollView(fView, dx, dy, movedX, movedY);
  // The fixed edges stay where they are in the document.
  fOutline.Shift(-movedX, -movedY);
  fOutline.Step(movedX, movedY, VSystemServices::IsShiftDown());
  DrawFeedback(port, false);
}

// ---- Pictures on pages

xMorvaPagePictDragger::xMorvaPagePictDragger(xMorvaFrame* view, const VEvent& event,
                                             const VRect& box)
    : VDragger(view, event), fView(view), fOutline(box) {
  SetOptions(view, false, false);
}

void xMorvaPagePictDragger::GetResult(int32_t originX, int32_t originY, int32_t& x,
                                      int32_t& y) const {
  const int32_t scrollX = fView != nullptr ? fView->GetScrollX() : 0;
  const int32_t scrollY = fView != nullptr ? fView->GetScrollY() : 0;
  x = fOutline.GetLeft() + scrollX - originX;
  y = fOutline.GetTop() + scrollY - originY;
}

void xMorvaPagePictDragger::BeginTrack(VPort& port) { BeginDragFeedback(port); }

void xMorvaPagePictDragger::TrackMove(VPort& port, VFrame*, VFrame*, int32_t dx, int32_t dy) {
  DrawFeedback(port, true);
  Move(dx, dy);
  DrawFeedback(port, false);
}

void xMorvaPagePictDragger::EndTrack(VPort& port, VFrame*) { EndDragFeedback(port); }

void xMorvaPagePictDragger::DrawFeedback(VPort& port, bool) { FrameOutline(port, fOutline); }

void xMorvaPagePictDragger::AutoScroll(VPort& port, int32_t dx, int32_t dy) {
  DrawFeedback(port, true);
  int32_t movedX = 0, movedY = 0;
  // The outline stays under the mouse: the picture travels through the
  // document with it.
  ScrollView(fView, dx, dy, movedX, movedY);
  DrawFeedback(port, false);
}
