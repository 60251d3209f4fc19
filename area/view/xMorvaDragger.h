// The mouse drags of the editing area's text view: a ruler marker
// (margin, indent, tab stop, column spacing, header and footer edge), the
// resize of the selected picture by one of its edges, and the move of a
// picture placed on a page. Each draws an exclusive-or outline while the
// button is down, scrolls the text view when the mouse leaves it, and
// leaves its result for the code that started it.
#pragma once

#include <cstdint>

#include "graphics/VShape.h"
#include "views/VDragger.h"

class VPort;
class xMorvaFrame;
class xMorvaRuler;

// The pen every feedback outline is drawn with: one pixel, grey, in the
// port's exclusive-or mode, so that drawing it twice takes it away.
void BeginDragFeedback(VPort& port);
void EndDragFeedback(VPort& port);

class xMorvaRulerDragger : public VDragger {
 public:
  // A tab stop pulled this far across the ruler is taken off it.
  static constexpr int32_t kTabPullOff = 21;

  // `value` is the marker's value in pixels (growing with the coordinate
  // when `forward`), `markerPosition` its place across the text view,
  // `minimum` and `maximum` its limits; `unit` the display unit the value
  // snaps to. The starting value is snapped at once.
  xMorvaRulerDragger(xMorvaFrame* view, const VEvent& event, xMorvaRuler* ruler, int32_t kind,
                     bool horizontal, int32_t value, bool forward, int32_t unit,
                     int32_t markerPosition, int32_t minimum, int32_t maximum);

  // The value snapped to the unit's grid (a quarter centimetre, an eighth
  // of an inch, 10 pixels) at `dpi` dots per inch; an unknown unit keeps it.
  static int32_t SnapToUnit(int32_t value, int32_t unit, int32_t dpi);
  // Moves the unsnapped value by `delta`, snaps it unless Control is down,
  // holds it to the limits and answers how far the marker moved.
  int32_t Snap(int32_t delta);
  // One mouse step of (dx, dy) pixels; `control` is the Control key's state.
  void Move(int32_t dx, int32_t dy, bool control);

  int32_t GetValue() const { return fValue; }
  int32_t GetMarkerPosition() const { return fMarkerPosition; }
  bool IsVisible() const { return fVisible != 0; }
  int32_t GetPerpendicular() const { return fPerpendicular; }

  // ---- VDragger.
  void BeginTrack(VPort& port) override;
  void TrackMove(VPort& port, VFrame* previous, VFrame* target, int32_t dx, int32_t dy) override;
  void EndTrack(VPort& port, VFrame* target) override;
  void DrawFeedback(VPort& port, bool erase) override;
  void AutoScroll(VPort& port, int32_t dx, int32_t dy) override;

 private:
  // The line across the text view at the marker.
  void PlaceLine();
  void RedrawRuler();

  xMorvaRuler* fRuler;
  xMorvaFrame* fView;
  int32_t fKind;
  uint8_t fHorizontal;
  uint8_t fForward;
  int32_t fValue;
  int32_t fRawValue;
  int32_t fMinimum;
  int32_t fMaximum;
  int32_t fUnit;
  int32_t fPerpendicular = 0;
  uint8_t fVisible = 1;
  uint8_t fControl = 0;
  int32_t fMarkerPosition;
  VRect fLine;
};

// The outline of a picture being resized, in view coordinates. The
// horizontal handle is 1 (left edge), 3 (right edge) or anything else
// (width fixed); the vertical one 2 (top), 4 (bottom) or anything else.
struct xMorvaResizeOutline {
  // No outline is narrower or lower than this.
  static constexpr int32_t kMinimumSide = 8;

  int16_t horizontalHandle = 0;
  int16_t verticalHandle = 0;
  int32_t x = 0;
  int32_t y = 0;
  int32_t maximumWidth = 0;
  int32_t maximumHeight = 0;
  int32_t startLeft = 0;
  int32_t startRight = 0;
  int32_t startTop = 0;
  int32_t startBottom = 0;
  int32_t left = 0;
  int32_t width = 0;
  int32_t top = 0;
  int32_t height = 0;
  // Width over height of the picture at the start.
  double ratio = 1.0;

  // Starts on the picture's box with the mouse at (mouseX, mouseY).
  void Start(const VRect& box, int32_t mouseX, int32_t mouseY);
  // The mouse moved by (dx, dy); with `keepRatio` the proportions stay.
  void Step(int32_t dx, int32_t dy, bool keepRatio);
  // Every stored coordinate moves by (dx, dy) (the view scrolled).
  void Shift(int32_t dx, int32_t dy);
};

class xMorvaPictResizeDragger : public VDragger {
 public:
  // The selected picture's `box` in view coordinates, with `ratio` of
  // width to height; the limits are the document's picture size limits.
  xMorvaPictResizeDragger(xMorvaFrame* view, double ratio, const VEvent& event,
                          int16_t horizontalHandle, int16_t verticalHandle, const VRect& box,
                          int32_t maximumWidth, int32_t maximumHeight);

  // The new box in document coordinates: view coordinates plus the scroll
  // position minus the page origin (`originX`, `originY`).
  void GetResult(int32_t originX, int32_t originY, int32_t& x, int32_t& y, int32_t& width,
                 int32_t& height) const;
  const xMorvaResizeOutline& GetOutline() const { return fOutline; }
  void Move(int32_t dx, int32_t dy, bool shift);

  void BeginTrack(VPort& port) override;
  void TrackMove(VPort& port, VFrame* previous, VFrame* target, int32_t dx, int32_t dy) override;
  void EndTrack(VPort& port, VFrame* target) override;
  void DrawFeedback(VPort& port, bool erase) override;
  void AutoScroll(VPort& port, int32_t dx, int32_t dy) override;

 private:
  xMorvaFrame* fView;
  xMorvaResizeOutline fOutline;
};

class xMorvaPagePictDragger : public VDragger {
 public:
  // `box`: the selected page picture's rectangle in view coordinates.
  xMorvaPagePictDragger(xMorvaFrame* view, const VEvent& event, const VRect& box);

  // The outline's top-left corner in document coordinates.
  void GetResult(int32_t originX, int32_t originY, int32_t& x, int32_t& y) const;
  const VRect& GetOutline() const { return fOutline; }
  void Move(int32_t dx, int32_t dy) {
    fOutline.SetPosition(fOutline.GetLeft() + dx, fOutline.GetTop() + dy);
  }

  void BeginTrack(VPort& port) override;
  void TrackMove(VPort& port, VFrame* previous, VFrame* target, int32_t dx, int32_t dy) override;
  void EndTrack(VPort& port, VFrame* target) override;
  void DrawFeedback(VPort& port, bool erase) override;
  void AutoScroll(VPort& port, int32_t dx, int32_t dy) override;

 private:
  xMorvaFrame* fView;
  VRect fOutline;
};
