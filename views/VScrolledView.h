// VScrolledView: a view whose content is larger than itself. It keeps a
// scroll position and a content size, shows the content shifted by the
// position, and turns every point crossing its border into content
// coordinates. The bars live in the container that holds it.
#pragma once

#include <cstdint>

#include "views/VScrollOwner.h"
#include "views/VView.h"

class VShortcut;

// Scroll requests sent up to the container: the parameter is the step in
// pixels; and the content-size change.
enum : int32_t {
  kMsgScrollHorizontally = -989,
  kMsgScrollVertically = -988,
  kMsgContentSizeChanged = -983,
};

class VScrolledView : public VView {
 public:
  explicit VScrolledView(VFrame* parent);
  ~VScrolledView() override;

  // ---- Added operations.
  virtual bool HandleScrollKey(const VShortcut& key);
  virtual int32_t GetVerticalLineStep(bool backwards);
  virtual int32_t GetHorizontalLineStep(bool backwards);
  virtual int32_t GetHorizontalPageStep(bool backwards);
  virtual int32_t GetVerticalPageStep(bool backwards);
  virtual void ScrollToX(int32_t x, bool notify, int32_t parameter);
  virtual void ScrollToY(int32_t y, bool notify, int32_t parameter);
  virtual void ScrollTo(int32_t x, int32_t y, bool notify, int32_t parameter);
  virtual void SetWidthFollowsView(bool flag);
  virtual void SetHeightFollowsView(bool flag);
  virtual void SetContentHeight(int32_t height, bool notify, int32_t parameter);
  virtual void SetContentWidth(int32_t width, bool notify, int32_t parameter);
  // -1 on an axis (with notify) makes that axis follow the view's size.
  virtual void SetContentSize(int32_t width, int32_t height, bool notify, int32_t parameter);
  virtual int32_t ConstrainVerticalStep(int32_t step) { return step; }
  virtual int32_t ConstrainHorizontalStep(int32_t step) { return step; }
  virtual void ScrollBy(VPort* port, int32_t dx, int32_t dy);
  virtual void ScrollByAndRedraw(int32_t dx, int32_t dy);
  // The point is in content coordinates.
  virtual void PopUpMenu(int32_t menuId, int16_t item, int32_t x, int32_t y, int32_t flag);
  virtual void GetHorizontalBarState(int32_t& value, int32_t& maximum, int32_t& page);
  virtual void GetVerticalBarState(int32_t& value, int32_t& maximum, int32_t& page);
  // The part of `step` that stays inside the scrollable range.
  virtual int32_t LimitHorizontalStep(int32_t step);
  virtual int32_t LimitVerticalStep(int32_t step);

  // Moves the position and nothing else: for code that moves pixels itself.
  void ShiftScrollPosition(int32_t dx, int32_t dy);

  int32_t GetScrollX() const { return fScrollX; }
  int32_t GetScrollY() const { return fScrollY; }
  int32_t GetContentWidth() const { return fContentWidth; }
  int32_t GetContentHeight() const { return fContentHeight; }
  bool WidthFollowsView() const { return fWidthFollows != 0; }
  bool HeightFollowsView() const { return fHeightFollows != 0; }

  // ---- Overrides.
  void ResizeTo(int32_t width, int32_t height, int16_t mode) override;
  void Invalidate(int16_t mode) override;
  void InvalidateRect(int32_t x, int32_t y, int32_t width, int32_t height, int16_t mode) override;
  void Draw(VPort& port) override;
  bool DispatchMouse(VEvent& event) override;
  void DispatchWheel(VEvent& event) override;
  void DragHookAt(VEvent& event) override;
  void UpdateCursor(VEvent& event, bool entered) override;
  VFrame* FindFrameAt(const VPoint& p) override;
  VFrame* AcceptsDragAt(const VPoint& p, const VDragTypeList* dragged, uint32_t mask) override;
  VFrame* FindClickTarget(const VPoint& p, bool clickableOnly) override;
  void GetMouseLocation(int32_t& x, int32_t& y) override;
  VPort* GetPort() override;
  void ScrollPixels(int32_t dx, int32_t dy, VRegion& region) override;
  bool HasScrollOffsets() const override { return true; }
  void GetScrollOffsets(int32_t& x, int32_t& y) const override {
    x = fScrollX;
    y = fScrollY;
  }
  VFrame* Clone(VFrame* newParent, int32_t word) override;
  void CopyFrom(VFrame* newParent, const VFrame& source, int32_t word) override;

 private:
  void LayoutParent(int32_t mode);
  int32_t LimitStep(int32_t step, int32_t scroll, int32_t viewSize, int32_t contentSize,
                    bool horizontal);

  int32_t fScrollX = 0;
  int32_t fScrollY = 0;
  int32_t fContentWidth = 0;
  int32_t fContentHeight = 0;
  uint8_t fWidthFollows = 0;
  uint8_t fHeightFollows = 0;
};
