// VView: a frame that owns other frames. Its list is the stacking order:
// drawn first to last, hit-tested last to first, and every later shown
// sub-frame covers the earlier ones in their visible regions.
#pragma once

#include <vector>

#include "views/VFrame.h"

class VView : public VFrame {
 public:
  // At (0, 0) of the parent with the parent's size.
  explicit VView(VFrame* parent);
  // Closes and deletes the sub-frames still held, so none is left pointing
  // at this view.
  ~VView() override;

  void AddSubView(VFrame* frame) override;
  void RemoveSubView(VFrame* frame) override;
  void SubtractSiblingsAbove(const VFrame* frame, VRegion& region) const override;

  void UpdateOrigin(bool subtractParentScroll) override;
  bool IsView() const override { return true; }
  VFrame* FindFrameAt(const VPoint& p) override;
  VFrame* AcceptsDragAt(const VPoint& p, const VDragTypeList* dragged, uint32_t mask) override;
  VFrame* FindClickTarget(const VPoint& p, bool clickableOnly) override;
  void Close() override;
  void Activate(bool active) override;
  void Draw(VPort& port) override;
  void DispatchIdle(bool flag) override;
  bool DispatchMouse(VEvent& event) override;
  void DispatchWheel(VEvent& event) override;
  VFrame* Clone(VFrame* newParent, int32_t word) override;
  void CopyFrom(VFrame* newParent, const VFrame& source, int32_t word) override;
  void SetHiddenByParent(bool hidden) override;
  void SetDisplayed(bool displayed) override;

  // Whether the frame's parent is this view; without `directOnly` also
  // whether any ancestor of it is.
  bool IsAncestorOf(const VFrame* frame, bool directOnly) const;
  const std::vector<VFrame*>& GetSubFrames() const { return fSubFrames; }

 protected:
  // The activation messages of a view at the top of a tree (a window's, an
  // area's): deactivation drops the focus first, activation takes it last,
  // and either redraws. False for any other message.
  bool HandleActivationMessage(int32_t message);

 private:
  std::vector<VFrame*> fSubFrames;
};

// Depth-first walk over a view's tree, sub-frames before the next sibling.
// Accept filters the frames it stops at.
class VViewWalker {
 public:
  VViewWalker(VView* view, bool descend) : fView(view), fDescend(descend) {}
  virtual ~VViewWalker() = default;
  VViewWalker(const VViewWalker&) = delete;
  VViewWalker& operator=(const VViewWalker&) = delete;

  // The frame reached; null when the walk is over.
  VFrame* Current();
  VFrame* First();
  VFrame* Last();
  VFrame* Next();
  VFrame* Previous();
  virtual bool Accept(VFrame*) { return true; }

 private:
  // Every frame of the walk in order (taken when the walk starts), so that
  // frames closed meanwhile are not visited through stale links.
  void Collect(VView* view);
  VView* fView;
  bool fDescend;
  bool fStarted = false;
  size_t fIndex = 0;
  std::vector<VFrame*> fOrder;
};
