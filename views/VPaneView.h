// VPaneView: a scroll container that can be split into two panes, each of
// which can be split again. A leaf pane holds one content view with its
// scroll bars, split boxes and up to eleven attached views (bands on four
// sides, corners, views beside the bars); a branch holds no content, only a
// first and a second child pane and the splitter bar between them. The
// second child of a split is a clone of the first, so both show the same
// document through content views that scroll on their own.
#pragma once

#include <cstdint>

#include "views/VScrollContainer.h"

class VSplitBox;
class VSplitterBar;
class VScrolledView;
template <typename T>
class VListOf;

// Asks the tree for its focused content view; the parameter is the address
// of the frame pointer to fill.
enum : int32_t {
  kMsgGetFocusedContent = -974,
};

class VPaneView : public VScrollContainer {
 public:
  // Where an attached view goes, in the order the pane keeps them.
  enum Place : int32_t {
    kTop = 0,
    kLeft,
    kTopLeft,
    kBottom,
    kRight,
    kBottomRight,
    kTopRight,
    kBottomLeft,
    kHorizontalBarView,
    kVerticalBarView,
    kBarCorner,
    kPlaceCount
  };
  // Orientation of a split: 1 stacks the children (bar lying across), 0
  // puts them side by side (bar upright).
  static constexpr uint8_t kStacked = 1;
  static constexpr uint8_t kSideBySide = 0;
  // The smallest pane a splitter drag leaves before it joins instead.
  static constexpr int32_t kCollapseMinimum = 16;

  VPaneView(VFrame* parent, bool verticalBar, bool horizontalBar, bool verticalBox,
            bool horizontalBox);
  ~VPaneView() override;

  // ---- Overrides.
  bool NotifyParent(VFrame* sender, int32_t message, intptr_t parameter) override;
  VFrame* Clone(VFrame* newParent, int32_t word) override;
  void CopyFrom(VFrame* newParent, const VFrame& source, int32_t word) override;
  void SetHorizontalBar(bool wanted, bool relayout) override;
  void SetVerticalBar(bool wanted, bool relayout) override;
  // With `focused` the focused content view anywhere in the tree (or null);
  // otherwise this leaf's content, or the first leaf's on a branch.
  VScrolledView* GetContentView(int32_t focused) override;
  using VScrollContainer::GetContentView;
  void Layout(int32_t mode) override;
  void ScrollContent(VPort& port, int32_t dx, int32_t dy) override;
  void ScrollContentAndRedraw(int32_t dx, int32_t dy) override;
  void RemoveSubView(VFrame* frame) override;

  // ---- Added operations.
  virtual void SetHorizontalSplitBox(bool wanted, bool relayout);
  virtual void SetVerticalSplitBox(bool wanted, bool relayout);
  virtual void SetTopView(VFrame* view, bool relayout) { AttachView(kTop, view, true, relayout); }
  virtual void SetLeftView(VFrame* view, bool relayout) { AttachView(kLeft, view, true, relayout); }
  virtual void SetBottomView(VFrame* view, bool relayout) {
    AttachView(kBottom, view, true, relayout);
  }
  virtual void SetTopLeftView(VFrame* view, bool relayout) {
    AttachView(kTopLeft, view, true, relayout);
  }
  virtual void SetRightView(VFrame* view, bool relayout) {
    AttachView(kRight, view, true, relayout);
  }
  virtual void SetBottomRightView(VFrame* view, bool relayout) {
    AttachView(kBottomRight, view, true, relayout);
  }
  virtual void SetTopRightView(VFrame* view, bool relayout) {
    AttachView(kTopRight, view, true, relayout);
  }
  virtual void SetBottomLeftView(VFrame* view, bool relayout) {
    AttachView(kBottomLeft, view, true, relayout);
  }
  virtual void SetHorizontalBarView(VFrame* view, bool relayout) {
    AttachView(kHorizontalBarView, view, true, relayout);
  }
  virtual void SetVerticalBarView(VFrame* view, bool relayout) {
    AttachView(kVerticalBarView, view, true, relayout);
  }
  virtual void SetBarCornerView(VFrame* view, bool relayout) {
    AttachView(kBarCorner, view, true, relayout);
  }
  virtual void ShowTopView(bool show, bool relayout) { ShowView(kTop, show, relayout); }
  virtual void ShowLeftView(bool show, bool relayout) { ShowView(kLeft, show, relayout); }
  virtual void ShowTopLeftView(bool show, bool relayout) { ShowView(kTopLeft, show, relayout); }
  virtual void ShowBottomView(bool show, bool relayout) { ShowView(kBottom, show, relayout); }
  virtual void ShowRightView(bool show, bool relayout) { ShowView(kRight, show, relayout); }
  virtual void ShowBottomRightView(bool show, bool relayout) {
    ShowView(kBottomRight, show, relayout);
  }
  virtual void ShowTopRightView(bool show, bool relayout) { ShowView(kTopRight, show, relayout); }
  virtual void ShowBottomLeftView(bool show, bool relayout) {
    ShowView(kBottomLeft, show, relayout);
  }
  virtual void ShowHorizontalBarView(bool show, bool relayout) {
    ShowView(kHorizontalBarView, show, relayout);
  }
  virtual void ShowVerticalBarView(bool show, bool relayout) {
    ShowView(kVerticalBarView, show, relayout);
  }
  virtual void ShowBarCornerView(bool show, bool relayout) { ShowView(kBarCorner, show, relayout); }
  // Makes this leaf a branch; the position is the first child's height
  // (stacked) or width. False on a branch, without content, for a negative
  // position or when the minimum pane size leaves no room for two panes.
  virtual bool Split(uint8_t orientation, int32_t position);
  virtual void MakeChildPanes(uint8_t orientation);
  // Joins the two children of a branch, keeping one of them.
  virtual void Unsplit(bool removeFirst);
  virtual void GetCollapseLimits(int32_t& left, int32_t& top, int32_t& right, int32_t& bottom);
  // Moves the splitter bar of a branch, keeping the minimum pane size.
  virtual void MoveSplitter(int32_t delta);
  // -1 on either axis means no minimum.
  virtual void SetMinimumPaneSize(int32_t width, int32_t height) {
    fMinimumWidth = width;
    fMinimumHeight = height;
  }

  // ---- Attached views.
  // Stores `view` at `place` (nothing on a branch), closing and deleting
  // the old view when `deleteOld` is set.
  void AttachView(int32_t place, VFrame* view, bool deleteOld, bool relayout);
  VFrame* GetView(int32_t place) const;
  bool IsViewShown(int32_t place) const;
  // Takes the view out of its place; it stays a sub-frame of the pane.
  VFrame* DetachView(int32_t place, bool relayout);
  void ShowView(int32_t place, bool show, bool relayout);
  VFrame* GetTopView() const { return GetView(kTop); }
  VFrame* GetLeftView() const { return GetView(kLeft); }
  VFrame* GetTopLeftView() const { return GetView(kTopLeft); }
  VFrame* GetBottomView() const { return GetView(kBottom); }
  VFrame* GetRightView() const { return GetView(kRight); }
  VFrame* GetBottomRightView() const { return GetView(kBottomRight); }
  VFrame* GetTopRightView() const { return GetView(kTopRight); }
  VFrame* GetBottomLeftView() const { return GetView(kBottomLeft); }
  VFrame* GetHorizontalBarView() const { return GetView(kHorizontalBarView); }
  VFrame* GetVerticalBarView() const { return GetView(kVerticalBarView); }
  VFrame* GetBarCornerView() const { return GetView(kBarCorner); }
  bool IsTopViewShown() const { return IsViewShown(kTop); }
  bool IsLeftViewShown() const { return IsViewShown(kLeft); }
  bool IsTopLeftViewShown() const { return IsViewShown(kTopLeft); }
  VFrame* DetachTopView(bool relayout) { return DetachView(kTop, relayout); }
  VFrame* DetachLeftView(bool relayout) { return DetachView(kLeft, relayout); }
  VFrame* DetachTopLeftView(bool relayout) { return DetachView(kTopLeft, relayout); }

  // ---- Corner modes (0 to 5; any other value hides the corner).
  void SetTopLeftMode(uint8_t mode) { SetCornerMode(0, mode); }
  void SetTopRightMode(uint8_t mode) { SetCornerMode(1, mode); }
  void SetBottomLeftMode(uint8_t mode) { SetCornerMode(2, mode); }
  void SetBottomRightMode(uint8_t mode) { SetCornerMode(3, mode); }
  uint8_t GetTopLeftMode() const { return fCornerModes[0]; }
  uint8_t GetTopRightMode() const { return fCornerModes[1]; }
  uint8_t GetBottomLeftMode() const { return fCornerModes[2]; }
  uint8_t GetBottomRightMode() const { return fCornerModes[3]; }
  // A corner's size from its mode, the adjacent horizontal band's
  // thickness `a` and the vertical band's `b`; 0 x 0 when hidden.
  static void CornerSize(uint8_t mode, int32_t a, int32_t b, int32_t& width, int32_t& height);

  // ---- The tree.
  bool IsSplit() const { return fSplitter != nullptr; }
  bool IsHorizontalSplitBoxWanted() const { return fHorizontalBoxWanted != 0; }
  bool IsVerticalSplitBoxWanted() const { return fVerticalBoxWanted != 0; }
  VPaneView* GetParentPane() const { return fParentPane; }
  VPaneView* GetFirstChild() const { return fFirst; }
  VPaneView* GetSecondChild() const { return fSecond; }
  VSplitterBar* GetSplitterBar() const { return fSplitter; }
  VSplitBox* GetHorizontalSplitBox() const { return fHorizontalBox; }
  VSplitBox* GetVerticalSplitBox() const { return fVerticalBox; }
  uint8_t GetOrientation() const { return fOrientation; }
  int32_t GetMinimumWidth() const { return fMinimumWidth; }
  int32_t GetMinimumHeight() const { return fMinimumHeight; }
  VPaneView* GetRootPane();
  // Edge tests of a leaf against the root pane, in window coordinates.
  bool IsAtTopEdge();
  bool IsAtLeftEdge();
  bool IsAtRightEdge();
  bool IsAtBottomEdge();
  bool IsTopLeftPane() { return IsAtTopEdge() && IsAtLeftEdge(); }
  bool IsTopRightPane() { return IsAtTopEdge() && IsAtRightEdge(); }
  bool IsBottomLeftPane() { return IsAtBottomEdge() && IsAtLeftEdge(); }
  bool IsBottomRightPane() { return IsAtBottomEdge() && IsAtRightEdge(); }
  // Adds every leaf, first child's before second child's.
  void CollectLeaves(VListOf<VPaneView*>& list);

  // ---- Drags.
  // The end of a splitter drag: joins when a pane would be left under the
  // collapse limits, else moves the bar.
  void DragSplitterBy(int32_t delta);
  bool TrackSplitBox(VSplitBox* box, VEvent& event);
  bool TrackSplitterBar(VSplitterBar* bar, VEvent& event);

 private:
  void SetCornerMode(int index, uint8_t mode);
  void LayoutBranch(int32_t mode);
  void LayoutLeaf(int32_t mode);
  // The steps of a leaf's layout: the content view, the views beside the
  // bars, each scroll bar with its split box, the corner views and the
  // four edge views.
  struct LeafSizes;
  struct LeafCorner;
  // False when the content went away while it was moved.
  bool PlaceLeafContent(const LeafSizes& s);
  void PlaceBarViews(const LeafSizes& s);
  void PlaceVerticalBar(const LeafSizes& s);
  void PlaceHorizontalBar(const LeafSizes& s);
  void PlaceCorners(const LeafSizes& s, LeafCorner (&corners)[4]);
  void PlaceEdgeViews(const LeafSizes& s, const LeafCorner (&corners)[4]);
  // An edge view with scroll offsets follows the content's width (or
  // height) and scroll position.
  void FollowContentX(VFrame* f);
  void FollowContentY(VFrame* f);
  // Hands every sub-frame of `from` to `to` (first first) and refreshes
  // their origins.
  static void MoveSubFrames(VPaneView* from, VPaneView* to);
  void PassDown(int32_t message, intptr_t parameter);

  VPaneView* fParentPane = nullptr;
  VPaneView* fFirst = nullptr;
  VPaneView* fSecond = nullptr;
  VSplitterBar* fSplitter = nullptr;
  VSplitBox* fHorizontalBox = nullptr;
  VSplitBox* fVerticalBox = nullptr;
  VFrame* fViews[kPlaceCount] = {};
  int32_t fMinimumWidth = -1;
  int32_t fMinimumHeight = -1;
  uint8_t fOrientation = 0;
  uint8_t fHorizontalBoxWanted = 0;
  uint8_t fVerticalBoxWanted = 0;
  // Top-left, top-right, bottom-left, bottom-right.
  uint8_t fCornerModes[4] = {5, 5, 5, 5};
};
