// VWindowView: the window's answers at the top of the frame chain.
#include "framework/views/VWindowView.h"

#include "framework/views/VCommandMgr.h"
#include "graphics/VOffscreenPort.h"
#include "graphics/VRegion.h"
#include "platform/gdi/WinGdi.h"
#include "platform/win32/WinPaint.h"
#include "platform/win32/WinWindowState.h"
#include "platform/win32/WinWindows.h"

namespace {

int16_t Inset(LONG v) {
  return static_cast<int16_t>(v < 0 ? 0 : (v > INT16_MAX ? INT16_MAX : v));
}

}  // namespace

VWindowView::VWindowView(HWND nativeWindow)
    : VView(nullptr), fNativeWindow(nativeWindow), fMgr(new VCommandMgr(this)) {
  UpdateFrameInsets();
  RECT client{0, 0, 0, 0};
  if (GetClientRect(fNativeWindow, &client)) {
    ResizeTo(client.right - client.left, client.bottom - client.top, 0);
  }
}

VWindowView::~VWindowView() {
  // The sub-frames go while the window's answers still stand.
  Close();
  delete fMgr;
  fMgr = nullptr;
  delete fPort;
  fPort = nullptr;
  if (fWindowDC != nullptr) ReleaseDC(fNativeWindow, fWindowDC);
}

bool VWindowView::NotifyParent(VFrame* sender, int32_t message, intptr_t parameter) {
  if (message == kMsgOwnerFocusMayMove || message == kMsgOwnerFocusTold) return true;
  const bool focusMessage = (message >= kMsgGetFocusManager && message <= kMsgLostFocus) ||
                            message == kMsgFrameLeaving;
  if (focusMessage && fMgr != nullptr) return fMgr->HandleMessage(sender, message, parameter);
  return VView::NotifyParent(sender, message, parameter);
}

HWND VWindowView::GetWindowHandle() {
  return IsWindow(fNativeWindow) ? fNativeWindow : nullptr;
}

VPort* VWindowView::GetPort() {
  if (GetWindowHandle() == nullptr) return nullptr;
  if (fPort == nullptr) {
    HDC dc = GetWindowDC();
    if (dc == nullptr) return nullptr;
    fPort = new VOffscreenPort(dc);
  }
  ++fPortUses;
  return fPort;
}

HDC VWindowView::GetWindowDC() {
  if (fWindowDC == nullptr && GetWindowHandle() != nullptr) fWindowDC = GetDC(fNativeWindow);
  return fWindowDC;
}

void VWindowView::FlushWindow() {
  if (fPort != nullptr) fPort->ResetState();
  fPortUses = 0;
  GdiFlush();
}

void VWindowView::InvalidateWindowRect(HWND window, const RECT& rect, bool validate) {
  if (window == nullptr || !IsWindow(window)) return;
  if (validate) {
    ValidateRect(window, &rect);
  } else {
    ::InvalidateRect(window, &rect, FALSE_);
  }
}

void VWindowView::GetVisibleRegion(VRegion& region) const {
  int32_t x = 0;
  int32_t y = 0;
  GetOrigin(x, y);
  if (IsWindow(fNativeWindow)) {
    region.SetBox(x, y, GetWidth(), GetHeight());
  } else {
    region.SetEmpty();
  }
}

void VWindowView::GetFrameInsets(int16_t& left, int16_t& top, int16_t& right,
                                 int16_t& bottom) const {
  left = fInsetLeft;
  top = fInsetTop;
  right = fInsetRight;
  bottom = fInsetBottom;
}

void VWindowView::UpdateFrameInsets() {
  RECT outer{0, 0, 0, 0};
  RECT client{0, 0, 0, 0};
  if (!GetWindowRect(fNativeWindow, &outer) || !GetClientRect(fNativeWindow, &client)) return;
  POINT corners[2] = {{client.left, client.top}, {client.right, client.bottom}};
  MapWindowPoints(fNativeWindow, nullptr, corners, 2);
  fInsetLeft = Inset(corners[0].x - outer.left);
  fInsetTop = Inset(corners[0].y - outer.top);
  fInsetRight = Inset(outer.right - corners[1].x);
  fInsetBottom = Inset(outer.bottom - corners[1].y);
}
