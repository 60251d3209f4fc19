#include "views/VDragger.h"

#include <chrono>
#include <thread>

#include "framework/system/environment/VCursor.h"
#include "framework/system/environment/VSystemServices.h"
#include "views/VFrame.h"
#include "views/VScrolledView.h"
#include "views/VWindowView.h"
#include "graphics/VPort.h"
#include "platform/toolbox/TbxPorts.h"
#include "platform/toolbox/TbxWindows.h"
#include "platform/win32/WinInput.h"
#include "platform/win32/WinWindowState.h"
#include "platform/win32/WinWindows.h"

VFrame* VDragTargetFinder::FindFrameAt(HWND window, const VPoint& p) {
  VWindowView* view = FindWindowView(window);
  return view != nullptr ? view->FindFrameAt(p) : nullptr;
}

VFrame* VDragTargetFinder::AcceptsDragAt(HWND window, const VPoint& p, const VDragTypeList* types,
                                         uint32_t mask) {
  VWindowView* view = FindWindowView(window);
  return view != nullptr ? view->AcceptsDragAt(p, types, mask) : nullptr;
}

namespace {

int32_t CurrentCursorId() { return gCursor != nullptr ? gCursor->GetId() : 0; }

void ShowCursorId(int32_t id) {
  if (gCursor != nullptr) gCursor->SetId(id);
}

Tbx::GrafPtr DesktopPort() {
  Tbx::GrafPtr desk = nullptr;
  Tbx::GetWMgrPort(&desk);
  Tbx::SetPort(desk);
  return desk;
}

bool Inside(const VRect& r, int32_t x, int32_t y) {
  return x >= r.GetLeft() && x < r.GetRight() && y >= r.GetTop() && y < r.GetBottom();
}

// A poll waits about a millisecond: on scripted input the virtual clock is
// moved on instead of sleeping.
void PollPause() {
  if (!AdvanceHeadlessClock(1)) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

}  // namespace

VDragger::VDragger(VFrame* frame, const VEvent& event)
    : fEvent(event),
      fFrame(frame),
      fStartX(event.GetX()),
      fStartY(event.GetY()),
      fTrackingCursor(CurrentCursorId()),
      fRestoreCursor(fTrackingCursor) {}

VDragger::~VDragger() { delete fFinder; }

void VDragger::SetOptions(VScrolledView* view, bool noHorizontal, bool noVertical) {
  fScrollView = view;
  fNoHorizontal = noHorizontal ? 1 : 0;
  fNoVertical = noVertical ? 1 : 0;
}

void VDragger::SetModifierWatch(bool watchCtrl, bool watchAlt, bool watchShift) {
  fWatchCtrl = watchCtrl ? 1 : 0;
  fWatchAlt = watchAlt ? 1 : 0;
  fWatchShift = watchShift ? 1 : 0;
}

void VDragger::SetCursorId(int32_t id) {
  fTrackingCursor = id;
  if (fTracking != 0) ShowCursorId(id);
}

void VDragger::SetTargetFinder(VDragTargetFinder* finder) {
  if (finder == fFinder) return;
  delete fFinder;
  fFinder = finder;
}

VFrame* VDragger::GetTarget(VPoint& point) const {
  point.Set(fTargetX, fTargetY);
  return fTarget;
}

VFrame* VDragger::GetFrame(VPoint& point) const {
  point.Set(fStartScreenX, fStartScreenY);
  return fFrame;
}

void VDragger::GetOffset(int32_t& dx, int32_t& dy) const {
  dx = fCurrentX - fStartScreenX;
  dy = fCurrentY - fStartScreenY;
}

void VDragger::ScreenToTopWindow(int32_t& x, int32_t& y) {
  HWND top = fFrame != nullptr ? fFrame->GetWindowHandle() : nullptr;
  if (top == nullptr) return;
  for (HWND up = ::GetParent(top); up != nullptr; up = ::GetParent(up)) top = up;
  POINT corner{0, 0};
  ClientToScreen(top, &corner);
  x -= corner.x;
  y = y - corner.y + GetSystemMetrics(SM_CYCAPTION);
}

namespace {

// The frame's point (x, y) in the coordinate space given.
void FrameToSpace(VFrame* frame, int32_t& x, int32_t& y, int32_t space) {
  int32_t ox = 0, oy = 0;
  switch (space) {
    case 1: frame->GetOrigin(ox, oy); break;
    case 2: frame->GetPositionInTopWindow(ox, oy); break;
    case 3: frame->LocalToScreen(ox, oy); break;
    default: return;
  }
  x += ox;
  y += oy;
}

}  // namespace

void VDragger::GetStartPoint(VPoint& point, int32_t space) {
  int32_t x = fStartX, y = fStartY;
  if (fFrame != nullptr) FrameToSpace(fFrame, x, y, space);
  point.Set(x, y);
}

void VDragger::GetCurrentPoint(VPoint& point, int32_t space) {
  int32_t x = 0, y = 0;
  if (fTarget != nullptr) {
    x = fTargetX;
    y = fTargetY;
    FrameToSpace(fTarget, x, y, space);
  } else {
    x = fCurrentX;
    y = fCurrentY;
    if (space != 3) ScreenToTopWindow(x, y);
  }
  point.Set(x, y);
}

void VDragger::AutoScroll(VPort& port, int32_t dx, int32_t dy) {
  if (fScrollView == nullptr) return;
  DrawFeedback(port, true);
  const intptr_t word = static_cast<intptr_t>(static_cast<int32_t>(
      (static_cast<uint32_t>(dx) << 16) | (static_cast<uint32_t>(dy) & 0xFFFF)));
  // A dragger is no frame: the container is told with no sender.
  fScrollView->NotifyParent(nullptr, kMsgDragAutoScroll, word);
  DrawFeedback(port, false);
}

VFrame* VDragger::FindTarget(HWND window, const VPoint& p) {
  if (fFinder == nullptr) fFinder = new VDragTargetFinder;
  return fFinder->FindFrameAt(window, p);
}

void VDragger::UpdateTarget() {
  Tbx::GrafPtr saved = nullptr;
  Tbx::GetPort(&saved);
  // Points beyond 16 bits are cut, as the Toolbox takes them.
  Tbx::Point p{static_cast<int16_t>(fCurrentY), static_cast<int16_t>(fCurrentX)};
  HWND handle = nullptr;
  Tbx::WindowRef window = nullptr;
  Tbx::FindWindow(p, &window);
  if (window != nullptr) {
    Tbx::SetPort(&window->port);
    handle = Tbx::GetNativeWindow(window);
    Tbx::GlobalToLocal(&p);
    Tbx::SetPort(saved);
  }
  fTarget = handle != nullptr ? FindTarget(handle, VPoint(p.h, p.v)) : nullptr;
  Tbx::SetPort(saved);
}

void VDragger::ComputeAutoScroll(const VRect& area, int32_t& dx, int32_t& dy) {
  dx = 0;
  dy = 0;
  VScrolledView* view = fScrollView;
  const int64_t x = fCurrentX, y = fCurrentY;
  if (fNoHorizontal == 0) {
    const int64_t l = area.GetLeft(), r = area.GetRight();
    if (x < l - 32) {
      dx = -view->GetHorizontalPageStep(true);
    } else if (x < l) {
      dx = -view->GetHorizontalLineStep(true);
    } else if (x > r + 32) {
      dx = view->GetHorizontalPageStep(false);
    } else if (x > r) {
      dx = view->GetHorizontalLineStep(false);
    }
  }
  if (fNoVertical == 0) {
    const int64_t t = area.GetTop(), b = area.GetBottom();
    if (y < t - 32) {
      dy = -view->GetVerticalPageStep(true);
    } else if (y < t) {
      dy = -view->GetVerticalLineStep(true);
    } else if (y > b + 32) {
      dy = view->GetVerticalPageStep(false);
    } else if (y > b) {
      dy = view->GetVerticalLineStep(false);
    }
  }
  if (view->GetScrollX() == 0 && dx < 0) {
    dx = 0;
  } else if (int64_t{view->GetScrollX()} + view->GetWidth() >= view->GetContentWidth() && dx > 0) {
    dx = 0;
  }
  if (view->GetScrollY() == 0 && dy < 0) {
    dy = 0;
  } else if (int64_t{view->GetScrollY()} + view->GetHeight() >= view->GetContentHeight() &&
             dy > 0) {
    dy = 0;
  }
}

void VDragger::Track() {
  if (fFrame == nullptr) return;
  if (fFinder == nullptr) fFinder = new VDragTargetFinder;
  fTracking = 1;

  Tbx::GrafPtr saved = nullptr;
  Tbx::GetPort(&saved);
  VPort* port = OpenFeedbackPort();
  const VRect scrollArea = ScrollArea();

  ShowCursorId(fTrackingCursor);
  DesktopPort();
  BeginTrack(*port);
  DesktopPort();
  DrawFeedback(*port, false);

  TrackState state{fStartScreenX, fStartScreenY, fEvent.IsCommand(), fEvent.IsOption(),
                   fEvent.IsShift()};
  PollUntilReleased(*port, scrollArea, state);

  DesktopPort();
  DrawFeedback(*port, true);
  DesktopPort();
  EndTrack(*port, fTarget);

  delete port;
  Tbx::EndPortDrawing(DesktopPort());
  Tbx::SetPort(saved);

  if (fTarget != nullptr) {
    VEvent event(fTargetX, fTargetY, VSystemServices::TickCount60(), true, false, state.ctrl,
                 state.alt, state.shift, 0, 0);
    fTarget->UpdateCursor(event, true);
  } else {
    ShowCursorId(fRestoreCursor);
  }
  fTracking = 0;
}

VPort* VDragger::OpenFeedbackPort() {
  Tbx::GrafPtr desk = DesktopPort();
  VPort* port = new VPort(Tbx::GetPortHDC(desk));

  VWindowView* window = fFrame->GetWindowView();
  int32_t wx = 0, wy = 0;
  if (window != nullptr) {
    window->LocalToScreen(wx, wy);
    if (void* own = window->GetWindowPort()) Tbx::SetPort(static_cast<Tbx::GrafPtr>(own));
  }

  int32_t fx = 0, fy = 0;
  fFrame->LocalToScreen(fx, fy);
  fStartScreenX = fStartX + fx;
  fStartScreenY = fStartY + fy;
  fCurrentX = fStartScreenX;
  fCurrentY = fStartScreenY;

  UpdateTarget();
  TakeTargetPoint();

  VRect clip(0, 0, 0, 0);
  switch (fMode) {
    case kDragClipFrame: clip = VRect(fx, fy, fFrame->GetWidth(), fFrame->GetHeight()); break;
    case kDragClipWindow:
      if (window != nullptr) clip = VRect(wx, wy, window->GetWidth(), window->GetHeight());
      break;
    case kDragClipMainWindow:
      if (gSystemServices != nullptr) gSystemServices->FitFrameToMainWindow(clip);
      break;
    case kDragClipScreen: {
      const VScreenRect screen = VSystemServices::GetScreenRect();
      clip = VRect(0, 0, screen.right - screen.left - 1, screen.bottom - screen.top - 1);
      break;
    }
    default: break;
  }

  DesktopPort();
  port->ClipToRect(clip, false);
  port->PushOrigin(fx, fy);
  return port;
}

VRect VDragger::ScrollArea() const {
  VRect scrollArea(0, 0, 0, 0);
  if (fScrollView != nullptr) {
    int32_t sx = 0, sy = 0;
    fScrollView->LocalToScreen(sx, sy);
    scrollArea = VRect(sx, sy, fScrollView->GetWidth(), fScrollView->GetHeight());
  }
  return scrollArea;
}

void VDragger::TakeTargetPoint() {
  if (fTarget != nullptr) {
    int32_t tx = 0, ty = 0;
    fTarget->LocalToScreen(tx, ty);
    fTargetX = fCurrentX - tx;
    fTargetY = fCurrentY - ty;
  }
}

void VDragger::PollUntilReleased(VPort& port, const VRect& scrollArea, TrackState& state) {
  for (;;) {
    DesktopPort();
    VSystemServices::GetMousePosition(fCurrentX, fCurrentY);

    if (fScrollView != nullptr && !Inside(scrollArea, fCurrentX, fCurrentY)) {
      ScrollOutside(port, scrollArea, state);
    }

    bool moved = fCurrentX != state.lastX || fCurrentY != state.lastY;
    if (!moved) moved = WatchedKeysChanged(state);

    if (moved) MoveToCurrent(port, state);

    if (!VSystemServices::IsAnyMouseButtonDown()) {
      // The mouse may have moved between the position read and the button
      // read: read it once more, so that the drag ends where the button
      // came up and not one movement short of it.
      DesktopPort();
      VSystemServices::GetMousePosition(fCurrentX, fCurrentY);
      if (fCurrentX != state.lastX || fCurrentY != state.lastY) MoveToCurrent(port, state);
      break;
    }
    PollPause();
  }
}

void VDragger::ScrollOutside(VPort& port, const VRect& scrollArea, TrackState& state) {
  int32_t dx = 0, dy = 0;
  ComputeAutoScroll(scrollArea, dx, dy);
  const uint32_t now = VSystemServices::TickCount60();
  // At most one scroll step per tick, however fast the polls come.
  if ((dx != 0 || dy != 0) && (!state.scrolled || now != state.scrollTick)) {
    state.scrolled = true;
    state.scrollTick = now;
    DesktopPort();
    AutoScroll(port, dx, dy);
  }
}

bool VDragger::WatchedKeysChanged(TrackState& state) {
  bool changed = false;
  if (fWatchCtrl != 0) {
    const bool now = VSystemServices::IsControlDown();
    changed |= now != state.ctrl;
    state.ctrl = now;
  }
  if (fWatchAlt != 0) {
    const bool now = VSystemServices::IsAltDown();
    changed |= now != state.alt;
    state.alt = now;
  }
  if (fWatchShift != 0) {
    const bool now = VSystemServices::IsShiftDown();
    changed |= now != state.shift;
    state.shift = now;
  }
  return changed;
}

void VDragger::MoveToCurrent(VPort& port, TrackState& state) {
  VFrame* previous = fTarget;
  fTarget = nullptr;
  fTargetX = -1;
  fTargetY = -1;
  port.PushClip(false);
  UpdateTarget();
  port.PopClip();
  TakeTargetPoint();
  TrackMove(port, previous, fTarget, fCurrentX - state.lastX, fCurrentY - state.lastY);
  state.lastX = fCurrentX;
  state.lastY = fCurrentY;
}
