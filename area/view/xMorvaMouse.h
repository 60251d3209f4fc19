// xMorvaMouse: a mouse-button press in a text area turned into selection
// and editing: single, double and triple clicks, Shift-click extension,
// dragging a selection (xMorvaSelectionDragger, which scrolls the view
// when the mouse leaves it), line selection in the margin, clicks on
// special elements and on pictures placed on pages, and the Control-click
// that inserts a reference to a host field. Every click is offered to the
// user's click methods, which may consume it.
#pragma once

#include <cstdint>

#include "views/VDragger.h"

class VEvent;
class xMorvaDocument;
class xMorvaFrame;

// What lies under a point of the current part.
struct xMorvaTextHit {
  int32_t position = 0;     // the text position under the point
  uint32_t offset = 0;      // its byte offset in the element stream
  bool inMargin = false;    // left of the line: the line is meant
  int32_t lineLength = 0;   // positions of the line under the point
  int32_t lineStart = 0;    // the line's first position
  uint32_t lineStartOffset = 0;  // byte offsets of the line's start and of
  uint32_t lineEndOffset = 0;    // the next line's
  bool elementBefore = false;  // on a special element ending at the position
  bool elementAfter = false;   // on a special element starting there
  bool onHyperlink = false;    // that element is a hyperlink
  bool OnElement() const { return elementBefore || elementAfter; }
};

class xMorvaMouse {
 public:
  // The click method's kinds.
  static constexpr int16_t kEventDoubleClick = 1;
  static constexpr int16_t kEventClick = 2;
  static constexpr int16_t kEventTripleClick = 3;

  // The press `event` (content coordinates of the frame); `controlHeld`
  // when it came with the Control key.
  static void HandleMouse(xMorvaFrame& frame, VEvent& event, bool controlHeld);

  // The hit test of a document point; with `selectPart` the header,
  // footer or body under it becomes the current part first. False, `hit`
  // cleared, when the document has no lines or no current part.
  static bool HitTest(xMorvaDocument& document, int32_t x, int32_t y, bool selectPart, xMorvaTextHit& hit);

  // Gives the document the boxes of the selected picture and of its
  // handles (frame content coordinates) that a press at height `pressY`
  // is tested against: a picture on a page as it stands on the page under
  // the press (not with `controlHeld`, which reaches past it), else a
  // picture in the text as the selection was last drawn. None when nothing
  // is selected or it is not there.
  static void NotePictureHandles(xMorvaFrame& frame, xMorvaDocument& document, int32_t pressY,
                                 bool controlHeld);
};

// Tracks a selection drag from a press until the button comes up: the
// moving end follows the mouse (whole lines when the press was in the
// margin), and the view scrolls while the mouse is outside it.
class xMorvaSelectionDragger : public VDragger {
 public:
  // `event` is in the frame's own coordinates; (x, y) the press in
  // content coordinates; the two ends as positions and byte offsets.
  xMorvaSelectionDragger(xMorvaFrame& frame, const VEvent& event, int32_t x, int32_t y, int32_t anchorPos,
                         uint32_t anchorByte, int32_t currentPos, uint32_t currentByte, const xMorvaTextHit& hit);
  ~xMorvaSelectionDragger() override;

  void BeginTrack(VPort& port) override;
  void TrackMove(VPort& port, VFrame* previous, VFrame* target, int32_t dx, int32_t dy) override;
  void EndTrack(VPort& port, VFrame* target) override;
  void DrawFeedback(VPort& port, bool erase) override {}
  void AutoScroll(VPort& port, int32_t dx, int32_t dy) override;

  // Moves the mouse by (dx, dy) and follows it.
  void Step(int32_t dx, int32_t dy);
  void GetResult(int32_t& anchorPos, int32_t& currentPos) const {
    anchorPos = fAnchorPos;
    currentPos = fCurrentPos;
  }
  const xMorvaTextHit& GetHit() const { return fHit; }
  int32_t GetRedraws() const { return fRedraws; }

 private:
  // The moving end under (fX, fY), and the range drawn as selected for
  // it: the text's selection is left alone until the drag ends.
  void UpdatePosition();
  void ShowFeedback();
  void EndFeedback();

  xMorvaFrame& fFrameView;
  int32_t fX;
  int32_t fY;
  int32_t fAnchorPos;
  uint32_t fAnchorByte;
  int32_t fCurrentPos;
  uint32_t fCurrentByte;
  xMorvaTextHit fHit;
  uint8_t fInMargin;
  // The line the press was in, for margin drags.
  int32_t fAnchorLineStart;
  int32_t fAnchorLineLength;
  uint32_t fAnchorLineStartByte;
  uint32_t fAnchorLineEndByte;
  int64_t fShownStart = -1;
  int64_t fShownEnd = -1;
  uint8_t fDrawing = 0;
  int32_t fRedraws = 0;
};
