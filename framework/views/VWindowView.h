// VWindowView: the root view of one native window. For now only what the
// system environment reads of it: the window it wraps and the widths of the
// frame around the window's client area.
#pragma once

#include <cstdint>

#include "framework/core/VObject.h"
#include "platform/gdi/WinGdiTypes.h"

class VWindowView : public VObject {
 public:
  // Wraps a window that the host made; the insets are read from it.
  explicit VWindowView(HWND nativeWindow);

  HWND GetWindowHandle() const { return fNativeWindow; }
  // The distances between the client area and the window's outer edge.
  void GetFrameInsets(int16_t& left, int16_t& top, int16_t& right, int16_t& bottom) const;
  // Rereads the insets: client edges minus window edges, each side.
  void UpdateFrameInsets();

 private:
  HWND fNativeWindow;
  int16_t fInsetLeft = 0;
  int16_t fInsetRight = 0;
  int16_t fInsetTop = 0;
  int16_t fInsetBottom = 0;
};
