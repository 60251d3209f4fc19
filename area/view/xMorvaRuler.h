// xMorvaRuler: the rulers around the editing area's text view. The base
// holds the view and the document and draws the measuring scale in the
// document's display unit; xMorvaHRuler, above the text, shows and edits
// the page margins (in page view), the column spacing, the current
// paragraph's indents and its tab stops.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "views/VFrame.h"

class VIconShape;
class VPort;
class VRect;
class VResourceFile;
class xMorvaDocument;
class xMorvaFrame;

// One mark of the scale, `offset` pixels from its zero.
struct xMorvaScaleMark {
  int32_t offset = 0;
  // The first mark of each numbered step carries the number (0 at the
  // zero point, which is not written) and no line.
  int32_t number = 0;
  bool numbered = false;
  // The middle mark of a step in centimetres and inches.
  bool middle = false;
};

class xMorvaRuler : public VFrame {
 public:
  // The marker being dragged (the ruler's dragKind).
  enum DragKind : int32_t {
    kDragNone = 0,
    kDragLeftKeepFirst = 1,
    kDragLeftWithFirst = 2,
    kDragFirstLine = 3,
    kDragRightIndent = 4,
    kDragTab = 5,
    kDragLeftMargin = 6,
    kDragRightMargin = 7,
    kDragTopMargin = 8,
    kDragBottomMargin = 9,
    kDragColumnSpacing = 10,
    kDragHeaderTop = 11,
    kDragHeaderBottom = 12,
    kDragFooterTop = 13,
    kDragFooterBottom = 14,
  };
  // The thickness of both rulers.
  static constexpr int32_t kThickness = 24;
  // Cursors over a draggable edge: left and right, up and down.
  static constexpr int32_t kCursorResizeAcross = 9003;
  static constexpr int32_t kCursorResizeUpDown = 9004;

  xMorvaRuler(VFrame* parent, xMorvaFrame* textView, xMorvaDocument* document);
  ~xMorvaRuler() override;

  // The marks of a scale `length` pixels long in `unit` at `dpi`, from the
  // zero point on, in order; empty for an unknown unit or no length.
  static void ListScale(int32_t unit, int32_t dpi, int32_t length,
                        std::vector<xMorvaScaleMark>& marks);
  // Draws the scale over `rect` (its left, or top when `vertical`, is the
  // start): forward from the start, else back from the end; a number that
  // would cover the `avoid` position is left out.
  void DrawRuler(VPort& port, const VRect& rect, bool forward, bool vertical, int32_t avoid);

  // Where the pictures of the rulers and the selector come from: the
  // package's own resource file, else the module's.
  static VResourceFile* PictureFile(const xMorvaFrame* view);

  xMorvaFrame* GetTextView() const { return fTextView; }
  xMorvaDocument* GetDocument() const { return fDocument; }
  int32_t GetDragKind() const { return fDragKind; }
  int32_t GetDragValue() const { return fDragValue; }
  bool IsTabHidden() const { return fTabHidden != 0; }
  void SetDragKind(int32_t kind) {
    fDragKind = kind;
    if (kind == kDragNone) fTabHidden = 0;
  }
  void SetDragValue(int32_t value) { fDragValue = value; }
  void SetTabHidden(bool hidden) { fTabHidden = hidden ? 1 : 0; }
  // Draws the ruler into its port now (while a marker is dragged).
  void RedrawNow();
  // The text view goes: the ruler shows and edits nothing from now on.
  void Forget() {
    fTextView = nullptr;
    fDocument = nullptr;
  }

  bool MouseDown(VEvent& event) override;
  int32_t GetCursorIdAt(VEvent& event) override;
  // The cursor at a point of the ruler.
  virtual int32_t CursorIdAt(int32_t x, int32_t y) = 0;
  // A press at (x, y) with the event's modifiers and click count.
  virtual void Press(const VEvent& event, int32_t x, int32_t y) = 0;

 protected:
  // Whether the document may be edited from the ruler.
  bool IsEditable() const;
  // The background and the three edge lines, as the look colours give them.
  void DrawBackground(VPort& port, bool vertical);
  // Offers the document's change to the area afterwards: frames sized
  // again, selection and caret drawn, rulers refreshed, the user's method
  // told (event kind 8).
  void AfterRulerChange();
  // Runs the drag of a marker (`marker` in ruler coordinates) along the
  // ruler and answers its last value; `pulledOff` tells whether a tab stop
  // ended off the ruler.
  int32_t Drag(const VEvent& event, bool horizontal, int32_t kind, int32_t value, bool forward,
               int32_t marker, int32_t minimum, int32_t maximum, bool* pulledOff);

  xMorvaFrame* fTextView;
  xMorvaDocument* fDocument;
  int32_t fDragKind = 0;
  int32_t fDragValue = 0;
  uint8_t fTabHidden = 0;
  int16_t fDigitWidth = 0;
};

// The pixel positions every drawing and hit test of the horizontal ruler
// works from, in ruler coordinates.
struct xMorvaHRulerGeometry {
  int32_t origin = 0;
  int32_t pageWidth = 0;
  int32_t textLeft = 0;
  int32_t textWidth = 0;
  int32_t columnLeft = 0;
  int32_t columnWidth = 0;
  int32_t columns = 1;
  int32_t spacing = 0;
  bool pageView = true;
};

class xMorvaHRuler : public xMorvaRuler {
 public:
  // The marker pictures, by slot.
  enum Picture : int32_t {
    kLeftIndent = 0,
    kFirstIndent,
    kRightIndent,
    kLeftIndentGrayed,
    kFirstIndentGrayed,
    kRightIndentGrayed,
    kTabPictures,  // five kinds, then their five grayed forms
    kPictureCount = kTabPictures + 10,
  };
  // The press zone and place of the indent pictures: 9 x 7 pixels, the
  // point at the marker.
  static constexpr int32_t kIndentWidth = 9;
  static constexpr int32_t kIndentHeight = 7;
  static constexpr int32_t kIndentHalf = 4;
  // A press this near an existing tab stop takes it.
  static constexpr int32_t kTabReach = 6;

  xMorvaHRuler(VFrame* parent, xMorvaFrame* textView, xMorvaDocument* document);
  ~xMorvaHRuler() override;

  // The geometry at the view's current scroll; a dragged margin or
  // spacing stands in for the document's value.
  void GetGeometry(xMorvaHRulerGeometry& g) const;
  // What the pictures of the three indents would cover, in ruler
  // coordinates.
  void GetIndentBoxes(const xMorvaHRulerGeometry& g, VRect& left, VRect& first, VRect& right) const;

  void DrawContent(VPort& port) override;
  int32_t CursorIdAt(int32_t x, int32_t y) override;
  void Press(const VEvent& event, int32_t x, int32_t y) override;

 private:
  VIconShape* PictureFor(int32_t slot);
  void DrawMarker(VPort& port, int32_t slot, int32_t x, int32_t y);
  // The three kinds of press.
  bool PressIndent(const VEvent& event, const xMorvaHRulerGeometry& g, int32_t x, int32_t y);
  bool PressMargin(const VEvent& event, const xMorvaHRulerGeometry& g, int32_t x, int32_t y);
  void PressTab(const VEvent& event, const xMorvaHRulerGeometry& g, int32_t x, int32_t y);

  std::unique_ptr<VIconShape> fPictures[kPictureCount];
  // The stop being dragged: its index in the paragraph's stops (-1 for a
  // new one) and its kind.
  int32_t fDraggedTab = -1;
  int32_t fDraggedTabKind = 1;
};
