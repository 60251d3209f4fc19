// xMorvaVRuler: the ruler left of the text view in page view. It shows the
// current page and edits the vertical layout of the current part: the
// body's top and bottom margins, or the edges of the header or footer
// band, in the set of the first page when that page has its own layout.
#pragma once

#include <cstdint>

#include "area/view/xMorvaRuler.h"

// In ruler coordinates.
struct xMorvaVRulerGeometry {
  int32_t pageTop = 0;
  int32_t pageHeight = 0;
  int32_t textTop = 0;
  int32_t textHeight = 0;
};

class xMorvaVRuler : public xMorvaRuler {
 public:
  xMorvaVRuler(VFrame* parent, xMorvaFrame* textView, xMorvaDocument* document);

  // The geometry at the view's scroll; a dragged edge stands in for the
  // document's value of its kind.
  void GetGeometry(xMorvaVRulerGeometry& g) const;
  // The kind of the marker at the upper (or lower) edge of the current
  // part's band.
  int32_t EdgeKind(bool upper) const;

  void DrawContent(VPort& port) override;
  int32_t CursorIdAt(int32_t x, int32_t y) override;
  void Press(const VEvent& event, int32_t x, int32_t y) override;
};
