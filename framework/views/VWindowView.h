// VWindowView: the root view of one native window. It answers what frames
// ask up the chain: the window, its drawing port (lent out until the next
// FlushWindow), marking window areas valid or invalid, and the messages no
// frame below handled (a subclass or the focus manager takes them). It also
// keeps the widths of the frame around the window's client area.
#pragma once

#include <cstdint>

#include "framework/views/VView.h"
#include "platform/gdi/WinGdiTypes.h"

class VCommandMgr;
class VOffscreenPort;

class VWindowView : public VView {
 public:
  // Wraps a window that the host made; the insets are read from it and the
  // view takes the size of its client area.
  explicit VWindowView(HWND nativeWindow);
  ~VWindowView() override;

  HWND GetNativeWindow() const { return fNativeWindow; }
  HWND GetWindowHandle() override;
  VWindowView* GetWindowView() override { return this; }
  // The window's port, origin at the client area's corner on the first
  // lending; null when the window is gone. Each lending counts a use.
  VPort* GetPort() override;
  // Gives the port back: its origins and clips are dropped, the uses
  // counted so far end and the window's drawing is flushed.
  void FlushWindow() override;
  // The window's client-area device context, kept for the view's life.
  HDC GetWindowDC();
  int32_t GetPortUses() const { return fPortUses; }
  void InvalidateWindowRect(HWND window, const RECT& rect, bool validate) override;
  void GetVisibleRegion(VRegion& region) const override;
  bool SecondaryTest() const override { return true; }
  // The focus messages go to the window's focus manager; the manager's own
  // questions (-996, may the focus move; -993, focus news) are answered yes.
  bool NotifyParent(VFrame* sender, int32_t message, intptr_t parameter) override;
  VCommandMgr* GetCommandMgr() const { return fMgr; }

  // The corner of the window port's rectangle, subtracted by LocalToScreen.
  void GetPortCorner(int16_t& left, int16_t& top) const {
    left = fPortLeft;
    top = fPortTop;
  }
  bool HasGrowBox() const { return fGrowBox != 0; }
  void SetGrowBox(bool on) { fGrowBox = on ? 1 : 0; }

  // The distances between the client area and the window's outer edge.
  void GetFrameInsets(int16_t& left, int16_t& top, int16_t& right, int16_t& bottom) const;
  // Rereads the insets: client edges minus window edges, each side.
  void UpdateFrameInsets();

 private:
  HWND fNativeWindow;
  VCommandMgr* fMgr = nullptr;
  HDC fWindowDC = nullptr;
  VOffscreenPort* fPort = nullptr;
  int32_t fPortUses = 0;
  int16_t fPortLeft = 0;
  int16_t fPortTop = 0;
  uint8_t fGrowBox = 0;
  int16_t fInsetLeft = 0;
  int16_t fInsetRight = 0;
  int16_t fInsetTop = 0;
  int16_t fInsetBottom = 0;
};
