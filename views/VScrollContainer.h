// VScrollContainer: a view showing one scrolled content view with up to two
// scroll bars, a horizontal one along the bottom and a vertical one along
// the right side. It lays the three out, copies the content's scroll state
// into the bars and turns every scroll request into a limited step that
// moves the bars and the content and is drawn at once.
#pragma once

#include <cstdint>

#include "views/VScrollOwner.h"
#include "views/VView.h"

class VScrollBar;
class VScrolledView;

// Scroll both ways: the step packs dx in the high 16 bits and dy in the low
// 16 bits, each signed.
enum : int32_t {
  kMsgScrollBothWays = -987,
};

class VScrollContainer : public VView, public VScrollOwner {
 public:
  VScrollContainer(VFrame* parent, bool verticalBar, bool horizontalBar);
  ~VScrollContainer() override;

  // ---- Added operations.
  virtual void SetHorizontalBar(bool show, bool relayout);
  virtual void SetVerticalBar(bool show, bool relayout);
  // Mode 2 draws at once (moving pixels or redrawing); any other mode
  // moves the content and lets it redraw through invalidation.
  virtual void ScrollBy(int32_t dx, int32_t dy, int32_t mode);
  virtual VScrolledView* GetContentView(int32_t) { return fContent; }
  void Layout(int32_t mode) override;
  virtual void ScrollContent(VPort& port, int32_t dx, int32_t dy);
  virtual void ScrollContentAndRedraw(int32_t dx, int32_t dy);

  // ---- The owner interface.
  VScrolledView* GetContentView() override { return fContent; }
  void DrawBarNow(VScrollBar* bar) override;

  // Replaces (closing and deleting) the content view.
  void SetContentView(VScrolledView* view, bool relayout);
  VScrollBar* GetHorizontalBar() const { return fHorizontalBar; }
  VScrollBar* GetVerticalBar() const { return fVerticalBar; }
  void SetScrollsByMovingPixels(bool on) { fMovesPixels = on ? 1 : 0; }
  bool ScrollsByMovingPixels() const { return fMovesPixels != 0; }
  bool IsInGrowBoxCorner() const { return fGrowBoxCorner != 0; }
  bool IsDrawingLive() const { return fLivePort != nullptr; }

  // ---- Overrides.
  void ResizeTo(int32_t width, int32_t height, int16_t mode) override;
  void DrawContent(VPort& port) override;
  bool NotifyParent(VFrame* sender, int32_t message, intptr_t parameter) override;
  void Close() override;
  VPort* GetPort() override;
  void FlushWindow() override;
  void RemoveSubView(VFrame* frame) override;

 protected:
  void ScrollByMovingPixels(int32_t dx, int32_t dy);
  void ScrollByRedrawing(int32_t dx, int32_t dy);

 private:
  // The port of an immediate scroll: the live port, or the container's own
  // clipped to its visible region and drawing offscreen; null when none.
  VPort* BeginScrollPort();
  void EndScrollPort(VPort* port);
  void RemoveBar(VScrollBar*& bar);
  void BeginLiveDrawing();
  void EndLiveDrawing();

  VPort* fLivePort = nullptr;

 protected:
  // Panes hand these over to one another when they split and join.
  VScrolledView* fContent = nullptr;
  VScrollBar* fHorizontalBar = nullptr;
  VScrollBar* fVerticalBar = nullptr;
  uint8_t fGrowBoxCorner = 0;
  uint8_t fMovesPixels = 0;
};
