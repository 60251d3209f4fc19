// VScrolledView: scroll position, content size and the conversion between
// view and content coordinates.
#include "views/VScrolledView.h"

#include "views/VEvent.h"
#include "views/VShortcut.h"
#include "graphics/VPoint.h"
#include "graphics/VPort.h"
#include "graphics/VRegion.h"
#include "platform/gdi/WinGdi.h"

VScrolledView::VScrolledView(VFrame* parent) : VView(parent) {}

VScrolledView::~VScrolledView() = default;

// ---- Steps.

int32_t VScrolledView::GetVerticalLineStep(bool) { return 20; }
int32_t VScrolledView::GetHorizontalLineStep(bool) { return 20; }
// A page keeps 10 pixels of the previous one in view. A view of 10 pixels
// or less still pages forwards by at least one pixel: a negative step would
// turn Page Down into Page Up.
int32_t VScrolledView::GetHorizontalPageStep(bool) {
  return GetWidth() - 10 < 1 ? 1 : GetWidth() - 10;
}
int32_t VScrolledView::GetVerticalPageStep(bool) {
  return GetHeight() - 10 < 1 ? 1 : GetHeight() - 10;
}

bool VScrolledView::HandleScrollKey(const VShortcut& key) {
  const int16_t code = key.GetKeyCode();
  if (fParent == nullptr || code < kKeyHome || code > kKeyDown) return false;
  int32_t message = kMsgScrollVertically;
  int32_t amount = 0;
  switch (code) {
    case kKeyHome: amount = -fContentHeight; break;
    case kKeyEnd: amount = fContentHeight; break;
    case kKeyPageUp: amount = -GetVerticalPageStep(true); break;
    case kKeyPageDown: amount = GetVerticalPageStep(false); break;
    case kKeyLeft:
      message = kMsgScrollHorizontally;
      amount = -GetHorizontalLineStep(true);
      break;
    case kKeyRight:
      message = kMsgScrollHorizontally;
      amount = GetHorizontalLineStep(false);
      break;
    case kKeyUp: amount = -GetVerticalLineStep(true); break;
    default: amount = GetVerticalLineStep(false); break;
  }
  fParent->NotifyParent(this, message, amount);
  return true;
}

// ---- Position.

void VScrolledView::LayoutParent(int32_t mode) {
  if (auto* layout = dynamic_cast<VScrollOwner*>(fParent)) layout->Layout(mode);
}

void VScrolledView::ScrollToX(int32_t x, bool notify, int32_t parameter) {
  ScrollTo(x, fScrollY, notify, parameter);
}

void VScrolledView::ScrollToY(int32_t y, bool notify, int32_t parameter) {
  ScrollTo(fScrollX, y, notify, parameter);
}

void VScrolledView::ScrollTo(int32_t x, int32_t y, bool notify, int32_t parameter) {
  // The upper bound is the content size itself; the bar states pull the
  // position back to content less view when the container lays out.
  fScrollX = x < 0 ? 0 : (x > fContentWidth ? fContentWidth : x);
  fScrollY = y < 0 ? 0 : (y > fContentHeight ? fContentHeight : y);
  int32_t px = 0;
  int32_t py = 0;
  GetPosition(px, py);
  MoveTo(px, py, 1);
  if (notify && fParent != nullptr) LayoutParent(parameter);
}

void VScrolledView::ShiftScrollPosition(int32_t dx, int32_t dy) {
  fScrollX += dx;
  fScrollY += dy;
}

void VScrolledView::ScrollBy(VPort*, int32_t dx, int32_t dy) {
  if (dx == 0 && dy == 0) return;
  fScrollX += dx;
  fScrollY += dy;
  UpdateOrigin(fParent != nullptr && fParent->HasScrollOffsets());
}

void VScrolledView::ScrollByAndRedraw(int32_t dx, int32_t dy) {
  fScrollX += dx;
  fScrollY += dy;
  int32_t px = 0;
  int32_t py = 0;
  GetPosition(px, py);
  MoveTo(px, py, 1);
}

// ---- Content size.

void VScrolledView::SetWidthFollowsView(bool flag) {
  const uint8_t v = flag ? 1 : 0;
  if (v == fWidthFollows) return;
  fWidthFollows = v;
  if (fParent != nullptr) LayoutParent(1);
}

void VScrolledView::SetHeightFollowsView(bool flag) {
  const uint8_t v = flag ? 1 : 0;
  if (v == fHeightFollows) return;
  fHeightFollows = v;
  if (fParent != nullptr) LayoutParent(1);
}

void VScrolledView::SetContentSize(int32_t width, int32_t height, bool notify,
                                   int32_t parameter) {
  if (width == fContentWidth && height == fContentHeight) return;
  if (notify) {
    fWidthFollows = width == -1 ? 1 : 0;
    fHeightFollows = height == -1 ? 1 : 0;
  }
  if (fHeightFollows != 0) height = GetHeight();
  if (fWidthFollows != 0) width = GetWidth();
  if (width == fContentWidth && height == fContentHeight) return;
  fContentWidth = width;
  fContentHeight = height;
  if (fParent != nullptr && notify) fParent->NotifyParent(this, kMsgContentSizeChanged, parameter);
}

void VScrolledView::SetContentWidth(int32_t width, bool notify, int32_t parameter) {
  if (width == fContentWidth) return;
  SetContentSize(width, fHeightFollows != 0 ? -1 : fContentHeight, notify, parameter);
}

void VScrolledView::SetContentHeight(int32_t height, bool notify, int32_t parameter) {
  if (height == fContentHeight) return;
  SetContentSize(fWidthFollows != 0 ? -1 : fContentWidth, height, notify, parameter);
}

void VScrolledView::ResizeTo(int32_t width, int32_t height, int16_t mode) {
  VView::ResizeTo(width, height, mode);
  SetContentSize(fWidthFollows != 0 ? -1 : fContentWidth, fHeightFollows != 0 ? -1 : fContentHeight,
                 true, 0);
}

// ---- Steps kept inside the range.

int32_t VScrolledView::LimitStep(int32_t step, int32_t scroll, int32_t viewSize,
                                 int32_t contentSize, bool horizontal) {
  if (step == 0) return 0;
  if (scroll + viewSize + step > contentSize) {
    step = contentSize - scroll - viewSize;
  } else if (scroll + step < 0) {
    step = -scroll;
  }
  step = horizontal ? ConstrainHorizontalStep(step) : ConstrainVerticalStep(step);
  const int32_t max = contentSize - viewSize;
  if (step < 0 && scroll < 1) step = 0;
  if (step > 0 && max <= scroll) step = 0;
  if (step != 0) {
    int32_t target = scroll + step;
    if (target < 0) target = 0;
    if (target > max) target = max;
    step = target - scroll;
  }
  return step;
}

int32_t VScrolledView::LimitHorizontalStep(int32_t step) {
  return LimitStep(step, fScrollX, GetWidth(), fContentWidth, true);
}

int32_t VScrolledView::LimitVerticalStep(int32_t step) {
  return LimitStep(step, fScrollY, GetHeight(), fContentHeight, false);
}

// ---- Bar states.

void VScrolledView::GetHorizontalBarState(int32_t& value, int32_t& maximum, int32_t& page) {
  int32_t v = fScrollX;
  if (fWidthFollows != 0) {
    SetContentWidth(GetWidth(), false, 1);
    v = 0;
  }
  if (fContentWidth < v + GetWidth()) v = fContentWidth - GetWidth();
  if (v < 0) v = 0;
  ScrollToX(v, false, 1);
  value = v;
  maximum = fContentWidth - GetWidth() < 0 ? 0 : fContentWidth - GetWidth();
  page = GetWidth();
}

void VScrolledView::GetVerticalBarState(int32_t& value, int32_t& maximum, int32_t& page) {
  int32_t v = fScrollY;
  if (fHeightFollows != 0) {
    SetContentHeight(GetHeight(), false, 1);
    v = 0;
  }
  if (fContentHeight < v + GetHeight()) v = fContentHeight - GetHeight();
  if (v < 0) v = 0;
  ScrollToY(v, false, 1);
  value = v;
  maximum = fContentHeight - GetHeight() < 0 ? 0 : fContentHeight - GetHeight();
  page = GetHeight();
}

void VScrolledView::PopUpMenu(int32_t menuId, int16_t item, int32_t x, int32_t y, int32_t flag) {
  VFrame::PopUpMenu(menuId, item, x - fScrollX, y - fScrollY, flag);
}

// ---- Drawing.

void VScrolledView::Invalidate(int16_t mode) {
  VFrame::InvalidateRect(0, 0, GetWidth(), GetHeight(), mode);
}

void VScrolledView::InvalidateRect(int32_t x, int32_t y, int32_t width, int32_t height,
                                   int16_t mode) {
  if (mode == 0 || fParent == nullptr) return;
  int32_t ox = 0;
  int32_t oy = 0;
  GetOrigin(ox, oy);
  // Content to window coordinates, clipped to the view.
  const int32_t left0 = ox + x - fScrollX;
  if (left0 > ox + GetWidth()) return;
  const int32_t right0 = left0 + width;
  if (right0 < ox) return;
  const int32_t left = left0 < ox ? ox : left0;
  const int32_t right = right0 > ox + GetWidth() ? ox + GetWidth() : right0;
  const int32_t top0 = oy + y - fScrollY;
  if (top0 > oy + GetHeight()) return;
  const int32_t bottom0 = top0 + height;
  if (bottom0 < oy) return;
  const int32_t top = top0 < oy ? oy : top0;
  const int32_t bottom = bottom0 > oy + GetHeight() ? oy + GetHeight() : bottom0;
  HWND window = GetWindowHandle();
  if (window == nullptr) return;
  if (mode == 2) {
    VRegion region;
    GetVisibleRegion(region);
    region.IntersectBox(left, top, right - left, bottom - top);
    if (region.IsEmpty()) return;
    VPort* port = VFrame::GetPort();
    if (port == nullptr) {
      mode = 1;
    } else {
      port->PushClip(false);
      port->ClipToRegion(region, false);
      port->BeginOffscreen(this);
      Draw(*port);
      port->CopyToScreen(false);
      port->PopClip();
      FlushWindow();
    }
  }
  const RECT r{left, top, right, bottom};
  InvalidateWindowRect(window, r, mode == 2);
}

void VScrolledView::Draw(VPort& port) {
  if (!IsShown() || !port.IsFrameVisible(this, nullptr)) return;
  const int16_t look = GetLookIndex() == -2 ? port.GetLook() : GetLookIndex();
  port.PushClip(false);
  port.ClipToFrame(this, nullptr, true);
  port.PushOrigin(-fScrollX, -fScrollY);
  port.SetLook(look);
  DrawContent(port);
  for (VFrame* f : GetSubFrames()) {
    if (!f->IsShown()) continue;
    int32_t fx = 0;
    int32_t fy = 0;
    f->GetPosition(fx, fy);
    port.PushOrigin(fx, fy);
    port.SetLook(look);
    f->Draw(port);
    port.PopOrigin();
  }
  port.PopOrigin();
  port.PopClip();
}

VPort* VScrolledView::GetPort() {
  VPort* port = VFrame::GetPort();
  if (port != nullptr) port->PushOrigin(-fScrollX, -fScrollY);
  return port;
}

void VScrolledView::ScrollPixels(int32_t dx, int32_t dy, VRegion& region) {
  VFrame::ScrollPixels(dx, dy, region);
  if (region.GetHandle() != nullptr) OffsetRgn(region.GetHandle(), fScrollX, fScrollY);
}

// ---- Points crossing the border become content points.

bool VScrolledView::DispatchMouse(VEvent& event) {
  event.Offset(fScrollX, fScrollY);
  return VView::DispatchMouse(event);
}

void VScrolledView::DispatchWheel(VEvent& event) {
  event.Offset(fScrollX, fScrollY);
  VView::DispatchWheel(event);
}

void VScrolledView::DragHookAt(VEvent& event) {
  event.Offset(fScrollX, fScrollY);
  DragHook(event);
}

void VScrolledView::UpdateCursor(VEvent& event, bool entered) {
  event.Offset(fScrollX, fScrollY);
  VFrame::UpdateCursor(event, entered);
}

// Sub-frames are searched at the content point; the view itself is tested
// at the view point, where its own box lies, so that a scrolled view still
// finds itself.
VFrame* VScrolledView::FindFrameAt(const VPoint& p) {
  VFrame* found = VView::FindFrameAt(VPoint(p.GetX() + fScrollX, p.GetY() + fScrollY));
  if (found != nullptr && found != this) return found;
  return IsShown() && ContainsLocal(p) ? this : nullptr;
}

VFrame* VScrolledView::AcceptsDragAt(const VPoint& p, const VDragTypeList* dragged,
                                     uint32_t mask) {
  VFrame* found =
      VView::AcceptsDragAt(VPoint(p.GetX() + fScrollX, p.GetY() + fScrollY), dragged, mask);
  if (found != nullptr && found != this) return found;
  return VFrame::AcceptsDragAt(p, dragged, mask);
}

VFrame* VScrolledView::FindClickTarget(const VPoint& p, bool) {
  return VView::FindClickTarget(VPoint(p.GetX() + fScrollX, p.GetY() + fScrollY), false);
}

void VScrolledView::GetMouseLocation(int32_t& x, int32_t& y) {
  VFrame::GetMouseLocation(x, y);
  x += fScrollX;
  y += fScrollY;
}

// ---- Copies.

VFrame* VScrolledView::Clone(VFrame* newParent, int32_t word) {
  auto* copy = new VScrolledView(newParent);
  copy->CopyFrom(newParent, *this, word);
  return copy;
}

void VScrolledView::CopyFrom(VFrame* newParent, const VFrame& source, int32_t word) {
  VView::CopyFrom(newParent, source, word);
  const auto* other = dynamic_cast<const VScrolledView*>(&source);
  if (other == nullptr) return;
  fWidthFollows = other->fWidthFollows;
  fHeightFollows = other->fHeightFollows;
  fScrollX = other->fScrollX;
  fScrollY = other->fScrollY;
  fContentWidth = other->fContentWidth;
  fContentHeight = other->fContentHeight;
}
