// VWindowView: the frame insets of the wrapped window.
#include "framework/views/VWindowView.h"

#include "platform/win32/WinWindowState.h"
#include "platform/win32/WinWindows.h"

namespace {

int16_t Inset(LONG v) {
  return static_cast<int16_t>(v < 0 ? 0 : (v > INT16_MAX ? INT16_MAX : v));
}

}  // namespace

VWindowView::VWindowView(HWND nativeWindow) : fNativeWindow(nativeWindow) { UpdateFrameInsets(); }

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
