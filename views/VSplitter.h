// The handles of split panes: the split box at the start of a pane's scroll
// bar, the splitter bar between two panes, and the drag that both start.
// The box and the bar only draw and report a press to their pane; the pane
// tracks the drag and splits, moves or joins.
#pragma once

#include <cstdint>

#include "views/VDragger.h"
#include "views/VFrame.h"
#include "graphics/VShape.h"

// Messages the handles send to their pane (the parameter of the first two
// is the mouse-down event).
enum : int32_t {
  kMsgSplitBoxPressed = -978,
  kMsgSplitterBarPressed = -977,
  kMsgSplitterBarDoubleClicked = -975,
};

// Cursors over the handles: kind 1 (a bar lying across, moved up and down)
// and kind 0 (a bar standing upright, moved left and right).
constexpr int32_t kCursorSplitAcross = 9011;
constexpr int32_t kCursorSplitUpright = 9010;

// Thickness of a splitter bar, a split box and the drag's band.
constexpr int32_t kSplitterThickness = 5;

// Kind 1 sits at the top of the vertical scroll bar and makes a bar lying
// across; kind 0 sits at the left end of the horizontal bar.
class VSplitBox : public VFrame {
 public:
  VSplitBox(VFrame* parent, uint8_t kind);

  void DrawContent(VPort& port) override;
  bool MouseDown(VEvent& event) override;
  VFrame* Clone(VFrame* newParent, int32_t word) override;

  uint8_t GetBoxKind() const { return fKind; }

 private:
  uint8_t fKind;
};

// Orientation 1 lies across between a top and a bottom pane; 0 stands
// between a left and a right pane.
class VSplitterBar : public VFrame {
 public:
  VSplitterBar(VFrame* parent, uint8_t orientation);

  void DrawContent(VPort& port) override;
  // A double click asks the pane to join; any other press to drag.
  bool MouseDown(VEvent& event) override;
  VFrame* Clone(VFrame* newParent, int32_t word) override;

  uint8_t GetOrientation() const { return fOrientation; }

 private:
  uint8_t fOrientation;
};

// A 5-pixel band in a not-xor checkerboard that follows the mouse along
// one axis between two limits. It has no effect of its own: the pane reads
// the start and current points after Track and applies the difference.
class VSplitterDragger : public VDragger {
 public:
  // Start, minimum and maximum are positions along the moving axis, in the
  // pane's coordinates.
  VSplitterDragger(VFrame* pane, const VEvent& event, int32_t start, int32_t minimum,
                   int32_t maximum, uint8_t orientation);

  void BeginTrack(VPort& port) override;
  void TrackMove(VPort& port, VFrame* previous, VFrame* target, int32_t dx, int32_t dy) override;
  void EndTrack(VPort& port, VFrame* target) override;
  // Painting twice in not-xor restores the screen, so drawing and erasing
  // are one and the same.
  void DrawFeedback(VPort& port, bool erase) override;

  int32_t GetBandPosition() const { return fCurrent; }
  const VRect& GetBand() const { return fBand; }

 private:
  uint8_t fOrientation;
  int32_t fStart;
  // The start plus every movement along the axis, not held to the limits.
  int32_t fTracked;
  int32_t fCurrent;
  int32_t fMinimum;
  int32_t fMaximum;
  VRect fBand;
};
