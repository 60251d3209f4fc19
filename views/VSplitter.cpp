#include "views/VSplitter.h"

#include "views/VEvent.h"
#include "graphics/VPort.h"

namespace {

// Look elements and colours the handles use.
constexpr int32_t kElementBackground = 0;
constexpr int32_t kElementRaisedBevel = 16;
constexpr int32_t kElementSplitBoxAcross = 24;
constexpr int32_t kElementSplitBoxUpright = 25;
constexpr int32_t kColorBlack = 10;
constexpr int32_t kPatternCheckerboard = 3;
constexpr int32_t kPatternSolid = 6;
constexpr int16_t kPenModeCopy = 0;
constexpr int16_t kPenModeNotXor = 2;

int32_t CursorOfKind(uint8_t kind) { return kind == 1 ? kCursorSplitAcross : kCursorSplitUpright; }

}  // namespace

// ---- Split box.

VSplitBox::VSplitBox(VFrame* parent, uint8_t kind) : VFrame(parent, nullptr), fKind(kind) {
  SetCursorId(CursorOfKind(kind));
}

void VSplitBox::DrawContent(VPort& port) {
  DrawLookElement(port, fKind == 1 ? kElementSplitBoxAcross : kElementSplitBoxUpright, 0, nullptr,
                  0);
}

bool VSplitBox::MouseDown(VEvent& event) {
  if (fParent != nullptr)
    fParent->NotifyParent(this, kMsgSplitBoxPressed, reinterpret_cast<intptr_t>(&event));
  return true;
}

VFrame* VSplitBox::Clone(VFrame* newParent, int32_t word) {
  auto* copy = new VSplitBox(newParent, fKind);
  copy->CopyFrom(newParent, *this, word);
  return copy;
}

// ---- Splitter bar.

VSplitterBar::VSplitterBar(VFrame* parent, uint8_t orientation)
    : VFrame(parent, nullptr), fOrientation(orientation) {
  SetCursorId(CursorOfKind(orientation));
}

void VSplitterBar::DrawContent(VPort& port) {
  const int32_t w = GetWidth();
  const int32_t h = GetHeight();
  // The last column (lying across) or row (upright) is the black line.
  const int32_t r[4] = {0, 0, fOrientation == 1 ? w - 1 : w, fOrientation == 1 ? h : h - 1};
  DrawLookElement(port, kElementBackground, 0, r, 0);
  DrawLookElement(port, kElementRaisedBevel, 0, r, 0);
  port.SetPenColorIndex(kColorBlack);
  port.SetPenWidth(1);
  if (fOrientation == 1) {
    port.DrawLineBy(w - 1, 0, 0, h);
  } else {
    port.DrawLineBy(0, h - 1, w, 0);
  }
}

bool VSplitterBar::MouseDown(VEvent& event) {
  // The pane may join the panes and delete this bar: nothing of it is used
  // after the message.
  if (fParent == nullptr) return true;
  if (event.IsDoubleClick()) {
    fParent->NotifyParent(this, kMsgSplitterBarDoubleClicked, 0);
  } else {
    fParent->NotifyParent(this, kMsgSplitterBarPressed, reinterpret_cast<intptr_t>(&event));
  }
  return true;
}

VFrame* VSplitterBar::Clone(VFrame* newParent, int32_t word) {
  auto* copy = new VSplitterBar(newParent, fOrientation);
  copy->CopyFrom(newParent, *this, word);
  return copy;
}

// ---- Splitter drag.

VSplitterDragger::VSplitterDragger(VFrame* pane, const VEvent& event, int32_t start,
                                   int32_t minimum, int32_t maximum, uint8_t orientation)
    : VDragger(pane, event),
      fOrientation(orientation),
      fStart(start),
      fTracked(start),
      fCurrent(start),
      fMinimum(minimum),
      fMaximum(maximum) {
  const int32_t w = pane != nullptr ? pane->GetWidth() : 0;
  const int32_t h = pane != nullptr ? pane->GetHeight() : 0;
  if (orientation == 1) {
    fBand = VRect(0, start, w, kSplitterThickness);
  } else {
    fBand = VRect(start, 0, kSplitterThickness, h);
  }
}

void VSplitterDragger::BeginTrack(VPort& port) {
  port.SetFillColorIndex(kColorBlack);
  port.SetFillPatternIndex(kPatternCheckerboard);
  port.SetPenMode(kPenModeNotXor);
}

void VSplitterDragger::DrawFeedback(VPort& port, bool) { port.PaintVRect(fBand); }

void VSplitterDragger::TrackMove(VPort& port, VFrame*, VFrame*, int32_t dx, int32_t dy) {
  const int32_t d = fOrientation == 1 ? dy : dx;
  fTracked += d;
  if ((fCurrent <= fMinimum && d < 0) || (fCurrent >= fMaximum && d > 0)) return;
  int32_t p = fTracked;
  if (p < fMinimum) p = fMinimum;
  if (p > fMaximum) p = fMaximum;
  if (p == fCurrent) return;
  DrawFeedback(port, true);
  fCurrent = p;
  if (fOrientation == 1) {
    fBand.SetPosition(0, p);
  } else {
    fBand.SetPosition(p, 0);
  }
  DrawFeedback(port, false);
}

void VSplitterDragger::EndTrack(VPort& port, VFrame*) {
  port.SetFillPatternIndex(kPatternSolid);
  port.SetPenMode(kPenModeCopy);
}
