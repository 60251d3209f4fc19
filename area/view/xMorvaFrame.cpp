// The text view of an editing area: drawing with the page inset, scrolling
// to the caret and by the wheel, the caret's blink, the focus, the cursor
// under the mouse, the edit menu's states and titles, the pane split.
#include "area/view/xMorvaFrame.h"

#include <algorithm>

#include "area/view/xMorvaKeyboard.h"
#include "area/view/xMorvaMouse.h"
#include "area/view/xMorvaRuler.h"
#include "area/view/xMorvaTabSelector.h"
#include "area/view/xMorvaVerticalRuler.h"
#include "area/xMorvaMain.h"
#include "area/xMorvaPlugIn.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaText.h"
#include "document/xMorvaUndo.h"
#include "framework/core/strings/VUniString.h"
#include "graphics/VPort.h"
#include "views/VEvent.h"
#include "views/VPaneView.h"
#include "views/VShortcut.h"

namespace {

// The pixels kept around the page on each side, and the margin that a
// horizontal scroll to the caret leaves beside it.
constexpr int32_t kPageEdge = 4;
constexpr int32_t kCaretMarginX = 20;
// Below the caret line a vertical scroll leaves this much.
constexpr int32_t kCaretMarginY = 5;
// The edit commands whose allowed bytes say what the area permits.
constexpr int32_t kCommandUndo = 1;
constexpr int32_t kCommandRedo = 2;
constexpr int32_t kCommandCut = 3;
constexpr int32_t kCommandCopy = 4;
constexpr int32_t kCommandPaste = 5;
constexpr int32_t kCommandClear = 6;
constexpr int32_t kCommandSelectAll = 7;
// The undo wordings that stand alone: (list 4, item 3) is the undo of an
// undo, (list 4, item 4) the redo of one.
constexpr int16_t kWordingList = 4;
constexpr int16_t kWordingUndoAlone = 3;
constexpr int16_t kWordingRedoAlone = 4;
// Interface texts 5 to 8 of the area: items 1 to 4 of its status list.
constexpr int32_t kTextUndo = 5;
constexpr int32_t kTextRedo = 6;

}  // namespace

xMorvaFrame::xMorvaFrame(VPaneView* paneView, xMorvaDocument* document, xMorvaPlugIn* area)
    : VScrolledView(paneView), fArea(area) {
  focusKindChanged = 0;
  SetDocument(document);
  SetEnabled(true);
  if (paneView != nullptr) {
    paneView->SetContentView(this, false);
    MakeRulers(paneView);
    paneView->Layout(1);
    paneView->SetMinimumPaneSize(kMinimumPane, kMinimumPane);
  }
  SetCursorId(kCursorText);
  drawnMark = 0;
  fSecondMark = 0;
}

xMorvaFrame::~xMorvaFrame() {
  ForgetRulerParts();
  SetDocument(nullptr);
}

void xMorvaFrame::ForgetRulerParts() {
  if (hRuler != nullptr) hRuler->Forget();
  if (vRuler != nullptr) vRuler->Forget();
  if (tabSelector != nullptr) tabSelector->Forget();
  hRuler = nullptr;
  vRuler = nullptr;
  tabSelector = nullptr;
}

void xMorvaFrame::MakeRulers(VPaneView* paneView) {
  const bool locked = fArea != nullptr && fArea->IsAreaLocked();
  const bool rulers = fDocument != nullptr && fDocument->GetParams().GetViewFlag(2) != 0 && !locked;
  const bool pageView = fDocument != nullptr && fDocument->GetParams().GetViewMode() == 0;
  hRuler = new xMorvaHRuler(paneView, this, fDocument);
  paneView->SetTopView(hRuler, false);
  paneView->ShowTopView(rulers, false);
  vRuler = new xMorvaVRuler(paneView, this, fDocument);
  paneView->SetLeftView(vRuler, false);
  paneView->ShowLeftView(rulers && pageView, false);
  tabSelector = new xMorvaTabSelector(paneView, this, fDocument);
  paneView->SetTopLeftView(tabSelector, false);
  // The corner shows with the horizontal ruler, also without the vertical
  // one beneath it.
  paneView->SetTopLeftMode(0);
  paneView->ShowTopLeftView(rulers, false);
}

void xMorvaFrame::DetachRulerPart(const VFrame* part) {
  if (part == hRuler) hRuler = nullptr;
  if (part == vRuler) vRuler = nullptr;
  if (part == tabSelector) tabSelector = nullptr;
}

void xMorvaFrame::SetDocument(xMorvaDocument* document) {
  if (fDocument != nullptr && fArea != nullptr) fArea->RemoveFrame(this);
  fDocument = document;
  if (fDocument != nullptr && fArea != nullptr) fArea->AddFrame(this);
}

bool xMorvaFrame::IsProtected() const {
  return (fDocument != nullptr && fDocument->Infos().GetLocked() != 0) ||
         (fArea != nullptr && fArea->IsAreaLocked());
}

// ---- Geometry

int32_t xMorvaFrame::TextInsetFor(int16_t viewMode, int32_t frameWidth, int32_t pageWidth) {
  if (viewMode != 0) return 0;
  return kPageEdge + std::max(0, frameWidth - (pageWidth + 2 * kPageEdge)) / 2;
}

int32_t xMorvaFrame::TextInset() const {
  if (fDocument == nullptr) return 0;
  const xMorvaDocParams& params = fDocument->GetParams();
  return TextInsetFor(params.GetViewMode(), GetWidth(), params.GetPageWidth());
}

void xMorvaFrame::ScrollToShow(int32_t x, int32_t y, int32_t height) {
  if (!IsShown() || fDocument == nullptr) return;
  const int32_t scrollX = GetScrollX();
  const int32_t scrollY = GetScrollY();
  const int32_t left = x + TextInset();
  int32_t dx = 0;
  if (left < scrollX) {
    dx = left - scrollX - kCaretMarginX;
  } else if (left > scrollX + GetWidth()) {
    dx = left + kCaretMarginX - scrollX - GetWidth();
  }
  // A selection ending with a paragraph end shows the line it ends on,
  // the one above the caret.
  int32_t top = y;
  if (xMorvaTextInterface* text = fDocument->GetCurrentPart(); text != nullptr && text->HasSelection()) {
    if (text->GetSelEnd() > 0 && text->GetSelParagraphEndCount() > 0 &&
        text->GetSelEndOffset() == text->GetParagraphEndOffset()) {
      top = y - height;
    }
  }
  int32_t dy = 0;
  if (top < scrollY) {
    // The line lands at the bottom edge of the view.
    dy = top + height - scrollY - GetHeight();
  } else if (top + height > scrollY + GetHeight()) {
    dy = top + height + kCaretMarginY - scrollY - GetHeight();
  }
  if (dx == 0 && dy == 0) return;
  ScrollTo(scrollX + dx, scrollY + dy, true, 1);
  Invalidate(1);
}

void xMorvaFrame::ScrollToOrigin() {
  ScrollTo(0, 0, true, 1);
  Invalidate(1);
}

// ---- Drawing

void xMorvaFrame::DrawDocumentInto(VPort& port, int32_t left, int32_t top, int32_t width, int32_t height) {
  fSelection.active = IsFocused();
  fDocument->DrawDocument(&fSelection, port, left, top, width, height, TextInset());
}

void xMorvaFrame::DrawContent(VPort& port) {
  if (!IsShown() || fDocument == nullptr) return;
  fScrollRegion.SetEmpty();
  drawnMark = 0;
  // The page shows on the view's background: what was drawn before goes
  // first (the drawing paints only the grey around the pages and the ink).
  port.SetBackColorIndex(0);
  port.EraseRect(GetScrollX(), GetScrollY(), GetWidth(), GetHeight());
  DrawDocumentInto(port, GetScrollX(), GetScrollY(), GetWidth(), GetHeight());
  if (IsFocused()) fDocument->GetCaret().DrawIfOn(port, TextInset());
  redrawPending = 0;
}

void xMorvaFrame::BlinkCaret(bool force) {
  if (fDocument == nullptr) return;
  xMorvaCaret& caret = fDocument->GetCaret();
  if (!caret.Blink(force)) return;
  VPort* port = GetPort();
  if (port == nullptr) return;
  VRegion visible;
  GetVisibleRegion(visible);
  port->PushClip(false);
  port->ClipToRegion(visible, false);
  caret.Draw(*port, TextInset());
  port->PopClip();
  // The flush hands the port back with its origins popped.
  FlushWindow();
}

void xMorvaFrame::RedrawNow() {
  if (!IsShown() || fDocument == nullptr) return;
  VPort* port = GetPort();
  if (port == nullptr) return;
  VRegion visible;
  GetVisibleRegion(visible);
  port->PushClip(false);
  port->ClipToRegion(visible, false);
  DrawContent(*port);
  port->PopClip();
  FlushWindow();
}

void xMorvaFrame::Idle(bool flag) {
  if (!IsShown() || !IsFocused()) return;
  BlinkCaret(flag);
}

void xMorvaFrame::ScrollBy(VPort* port, int32_t dx, int32_t dy) {
  if (dx == 0 && dy == 0) return;
  // The rulers measure from the scrolled text.
  if (dx != 0 && hRuler != nullptr) hRuler->Invalidate(1);
  if (dy != 0 && vRuler != nullptr) vRuler->Invalidate(1);
  if (port == nullptr || fDocument == nullptr) {
    VScrolledView::ScrollBy(port, dx, dy);
    return;
  }
  // The pixels that stay move; only the strip they uncover is drawn.
  VScrolledView::ScrollBy(port, dx, dy);
  fScrollRegion.SetEmpty();
  ScrollPixels(-dx, -dy, fScrollRegion);
  port->PushClip(false);
  if (fScrollRegion.GetHandle() != nullptr && !fScrollRegion.IsEmpty()) {
    port->ClipToRegion(fScrollRegion, false);
  }
  port->SetBackColorIndex(0);
  port->EraseRect(GetScrollX(), GetScrollY(), GetWidth(), GetHeight());
  DrawDocumentInto(*port, GetScrollX(), GetScrollY(), GetWidth(), GetHeight());
  if (IsFocused()) fDocument->GetCaret().DrawIfOn(*port, TextInset());
  port->PopClip();
  // What the scroll drew, within the view.
  fDrawnRegion.Assign(fScrollRegion);
  fDrawnRegion.IntersectBox(GetScrollX(), GetScrollY(), GetWidth(), GetHeight());
  drawnMark = 1;
  redrawPending = 1;
}

// ---- Mouse

bool xMorvaFrame::MouseDown(VEvent& event) {
  xMorvaMouse::HandleMouse(*this, event, false);
  return true;
}

bool xMorvaFrame::ControlMouseDown(VEvent& event) {
  xMorvaMouse::HandleMouse(*this, event, true);
  return true;
}

void xMorvaFrame::MouseWheel(VEvent& event) {
  const int32_t count = static_cast<int16_t>(event.GetKeyWord());
  ScrollTo(GetScrollX(), GetScrollY() - kWheelStep * count, true, 1);
  Invalidate(1);
}

// ---- Keys

int32_t xMorvaFrame::HandleKey(VEvent&) {
  // A hidden frame leaves its document alone.
  if (!IsShown() || fArea == nullptr) return kKeyNotHandled;
  return KeyDown(fArea->GetLastKey());
}

int32_t xMorvaFrame::KeyDown(const VShortcut& key) {
  if (fDocument == nullptr || fArea == nullptr) return kKeyNotHandled;
  return xMorvaKeyboard(*fArea, *fDocument).HandleKey(key);
}

// ---- Focus and messages

void xMorvaFrame::LoseFocus(VFrame* next) {
  VScrolledView::LoseFocus(next);
  if (next != nullptr && next->GetKind() != kKind) focusKindChanged = 1;
  if (fDocument != nullptr) {
    xMorvaTextInterface* text = fDocument->GetCurrentPart();
    if (text != nullptr && text->HasSelection()) Invalidate(1);
    if (fArea != nullptr && fArea->GetActiveFrame() == this) fArea->SetActiveFrame(nullptr);
    // The caret goes with the focus.
    if (fDocument->GetCaret().IsOn()) Invalidate(1);
  }
  redrawPending = 1;
}

void xMorvaFrame::TakeFocus() {
  VScrolledView::TakeFocus();
  if (fArea != nullptr) fArea->SetActiveFrame(this);
  if (fDocument != nullptr) {
    xMorvaTextInterface* text = fDocument->GetCurrentPart();
    if (text != nullptr && text->HasSelection() && focusKindChanged == 0) Invalidate(1);
  }
  redrawPending = 1;
  focusKindChanged = 0;
}

bool xMorvaFrame::NotifyParent(VFrame* sender, int32_t message, intptr_t parameter) {
  if (fDocument != nullptr) {
    if (xMorvaUndo* undo = fDocument->GetUndo()) undo->Commit();
  }
  // Commands from the frames around the text (rulers, tab selector).
  if (message >= 1) return fDocument != nullptr && fDocument->DoCommand(message);
  return VScrolledView::NotifyParent(sender, message, parameter);
}

// ---- Cursor

int32_t xMorvaFrame::GetCursorIdAt(VEvent& event) { return CursorIdAt(event.GetX(), event.GetY()); }

int32_t xMorvaFrame::CursorIdAt(int32_t x, int32_t y) {
  if (fDocument == nullptr) return kCursorArrow;
  xMorvaTextInterface* text = fDocument->GetCurrentPart();
  const int32_t documentX = x - TextInset();
  const xMorvaDocParams& params = fDocument->GetParams();
  // Right of the page there is nothing to point at.
  if (params.GetViewMode() == 0 && documentX > params.GetPageWidth()) return kCursorArrow;
  const int32_t position = fDocument->OffsetAtPoint(documentX, y, false);
  // Over the selection: the arrow that drags it.
  if (text != nullptr && text->HasSelection() && position >= text->GetSelStart() &&
      position <= text->GetSelEnd()) {
    return kCursorArrow;
  }
  return kCursorText;
}

// ---- Edit menu

int32_t xMorvaFrame::UpdateEditCommands() { return GetEditState(); }

bool xMorvaFrame::AcceptsScrapType(uint32_t type) { return xMorvaDocument::PastesScrapType(type); }

int32_t xMorvaFrame::GetEditState() const {
  if (fDocument == nullptr || fArea == nullptr) return 0;
  const bool protectedText = IsProtected();
  xMorvaTextInterface* text = fDocument->GetCurrentPart();
  xMorvaUndo* undo = fDocument->GetUndo();
  int32_t state = 0;
  if (fArea->IsCommandAllowed(kCommandPaste) && !protectedText) state |= kEditPaste;
  if (undo != nullptr && undo->CanUndo() && fArea->IsCommandAllowed(kCommandUndo) && !protectedText) {
    state |= kEditUndo;
  }
  if (undo != nullptr && undo->CanRedo() && fArea->IsCommandAllowed(kCommandRedo) && !protectedText) {
    state |= kEditRedo;
  }
  if (text != nullptr && text->GetStreamSize() > 0 && fArea->IsCommandAllowed(kCommandSelectAll)) {
    state |= kEditSelectAll;
  }
  if ((text != nullptr && text->HasSelection()) || fArea->IsPagePictureSelected()) {
    if (fArea->IsCommandAllowed(kCommandClear) && !protectedText) state |= kEditClear;
    if (fArea->IsCommandAllowed(kCommandCut) && !protectedText) state |= kEditCut;
    if (fArea->IsCommandAllowed(kCommandCopy)) state |= kEditCopy;
  }
  return state;
}

namespace {

// The wording of an undo or redo step: the stand-alone text for the pair
// that names an undo (redo) of an undo, else the lead word followed by the
// step's own item. A step without wording has the lead word alone.
void StepTitle(xMorvaPlugIn& area, bool redo, int16_t list, int16_t item, VString& out) {
  const int16_t alone = redo ? kWordingRedoAlone : kWordingUndoAlone;
  if (list == kWordingList && item == alone) {
    out.SetEmpty(false);
    out.CopyText(area.GetInterfaceText(5 + alone - 1));
    return;
  }
  out.SetEmpty(false);
  out.CopyText(area.GetInterfaceText(redo ? kTextRedo : kTextUndo));
  xMorvaMain* package = area.GetMorvaPackage();
  if (list <= 0 || item <= 0 || package == nullptr) return;
  VStr<255> step;
  package->GetListString(step, list, item);
  out.CopyText(step);
}

}  // namespace

void xMorvaFrame::GetUndoTitle(VString& out) {
  if (fArea == nullptr || fDocument == nullptr || fDocument->GetUndo() == nullptr) {
    VScrolledView::GetUndoTitle(out);
    return;
  }
  bool enabled = false;
  int16_t list = 0;
  int16_t item = 0;
  fDocument->GetUndo()->GetUndoItemText(enabled, list, item);
  StepTitle(*fArea, false, list, item, out);
}

void xMorvaFrame::GetRedoTitle(VString& out) {
  if (fArea == nullptr || fDocument == nullptr || fDocument->GetUndo() == nullptr) {
    VScrolledView::GetRedoTitle(out);
    return;
  }
  bool enabled = false;
  int16_t list = 0;
  int16_t item = 0;
  fDocument->GetUndo()->GetRedoItemText(enabled, list, item);
  StepTitle(*fArea, true, list, item, out);
}

// ---- Pane split

VFrame* xMorvaFrame::Clone(VFrame* newParent, int32_t word) {
  auto* copy = new xMorvaFrame(dynamic_cast<VPaneView*>(newParent), fDocument, fArea);
  copy->CopyFrom(newParent, *this, word);
  return copy;
}

void xMorvaFrame::CopyFrom(VFrame* newParent, const VFrame& source, int32_t word) {
  VScrolledView::CopyFrom(newParent, source, word);
}
