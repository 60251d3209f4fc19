// The mouse in a text area: the hit test with its margin and element
// flags, the press handling in its order (pictures, Control-click, triple,
// double and Shift clicks, margin clicks, drags, links), and the
// selection dragger.
#include "area/view/xMorvaMouse.h"

#include <algorithm>
#include <climits>
#include <memory>
#include <utility>

#include "area/view/xMorvaFrame.h"
#include "area/view/xMorvaHyperlink.h"
#include "area/view/xMorvaPicturesInPage.h"
#include "area/xMorvaPlugIn.h"
#include "document/xMorvaDocParams.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaLayoutInterface.h"
#include "document/xMorvaUndo.h"
#include "engine/xMorvaDocumentDrawing.h"
#include "engine/xMorvaDocumentLayout.h"
#include "engine/xMorvaElementStream.h"
#include "engine/xMorvaEngine.h"
#include "framework/core/memory/VHandleLocker.h"
#include "framework/system/environment/VSystemServices.h"
#include "graphics/VShape.h"
#include "host/context/HostStructure.h"
#include "host/context/VHostRef.h"
#include "host/dialog/VFormulaDialog.h"
#include "views/VEvent.h"
#include "views/VScrolledView.h"

namespace {

// Elements that stand for one position and answer a click of their own:
// pictures in the text, page numbers, dates, host and HTML expressions
// and hyperlinks. Tabs, soft hyphens and breaks are text.
bool IsClickableElement(uint16_t code) {
  switch (code) {
    case xMorvaElementCode::Pict:
    case xMorvaElementCode::PageNumber:
    case xMorvaElementCode::ExprQv:
    case xMorvaElementCode::DateTime:
    case xMorvaElementCode::Hyperlink:
    case xMorvaElementCode::HTMLExpression:
    case xMorvaElementCode::HTMLExpression2: return true;
    default: return false;
  }
}

// The byte offset of `target` in the stream walked from a line's start
// (`offset`, `position`), and the codes of the items just before and at
// it (0: a character, or none).
struct StreamPlace {
  uint32_t offset = 0;
  uint16_t before = 0;
  uint16_t at = 0;
};

StreamPlace WalkLine(xMorvaEngine& text, uint32_t offset, int32_t position, int32_t target) {
  StreamPlace place;
  uint8_t* bytes = text.LockStream();
  const uint32_t size = text.GetStreamSize();
  uint32_t at = std::min(offset, size);
  while (at < size && position < target) {
    const StreamItem item = ReadStreamItem(bytes + at, size - at);
    if (item.kind != StreamItem::kRecord) {
      ++position;
      place.before = item.kind == StreamItem::kElement ? item.unit : 0;
    }
    at += item.size;
  }
  place.offset = at;
  // Records before the next position belong to it.
  while (at < size) {
    const StreamItem item = ReadStreamItem(bytes + at, size - at);
    if (item.kind == StreamItem::kRecord) {
      at += item.size;
      continue;
    }
    place.at = item.kind == StreamItem::kElement ? item.unit : 0;
    break;
  }
  text.UnlockStream();
  return place;
}

// A hyperlink is followed by the link itself, where it can be.
template <typename Link>
auto FollowLink(Link& link, xMorvaPlugIn& area, int) -> decltype(link.Follow(area)) {
  return link.Follow(area);
}
template <typename Link>
bool FollowLink(Link&, xMorvaPlugIn&, long) {
  return false;
}

// The area's dialogs of the elements a double click edits.
constexpr int32_t kCommandHyperlinkDialog = 413;
constexpr int32_t kCommandHTMLExpressionDialog = 414;

xMorvaEngine* CurrentText(xMorvaDocument& document) {
  return static_cast<xMorvaEngine*>(document.GetCurrentPart());
}

// The side of the square handles a selected picture on a page shows inside
// its corners.
constexpr int32_t kPageHandleSize = 8;

}  // namespace

void xMorvaMouse::NotePictureHandles(xMorvaFrame& frame, xMorvaDocument& document, int32_t pressY,
                                     bool controlHeld) {
  // The document reads the handles in this order: the corners top left,
  // bottom left, top right and bottom right, then the middles of the top
  // and bottom edges, then those of the left and right edges.
  VRect handles[xMorvaDocument::kPictureHandleCount];
  VRect box;
  auto* pictures = dynamic_cast<xMorvaPicturesInPage*>(document.GetPagePictures());
  xMorvaTextInterface* text = document.GetCurrentPart();
  if (!controlHeld && pictures != nullptr && pictures->HasSelection()) {
    // A picture on a page stands on the page under the press, where it
    // stands on that page at all.
    const xMorvaDocParams& params = document.GetParams();
    const int64_t step = int64_t(params.GetPageHeight()) + kPagePictureGap;
    const int64_t page = step > kPagePictureGap && pressY >= kPagePictureGap
                             ? (int64_t(pressY) - kPagePictureGap) / step
                             : -1;
    const xMorvaPagePicture& entry = pictures->GetEntry(pictures->GetSelection());
    if (params.GetViewMode() == 0 && page >= 0 && page <= INT32_MAX &&
        xMorvaPicturesInPage::IsOnPage(entry, int32_t(page), params.BindingOnLeft(int32_t(page)))) {
      box = VRect(entry.left + frame.TextInset(), int32_t(kPagePictureGap + page * step + entry.top),
                  entry.shownWidth, entry.shownHeight);
      const int32_t right = box.GetLeft() + box.GetWidth() - kPageHandleSize;
      const int32_t bottom = box.GetTop() + box.GetHeight() - kPageHandleSize;
      handles[0] = VRect(box.GetLeft(), box.GetTop(), kPageHandleSize, kPageHandleSize);
      handles[1] = VRect(box.GetLeft(), bottom, kPageHandleSize, kPageHandleSize);
      handles[2] = VRect(right, box.GetTop(), kPageHandleSize, kPageHandleSize);
      handles[3] = VRect(right, bottom, kPageHandleSize, kPageHandleSize);
    }
  } else if (text != nullptr && text->IsPictureSelected()) {
    // A picture in the text: its frame and handles as the last drawing of
    // the selection showed them.
    auto* layout = dynamic_cast<xMorvaDocumentLayout*>(document.GetLayout());
    const xMorvaDocumentDrawing* drawing = layout != nullptr ? layout->GetDrawing() : nullptr;
    if (drawing != nullptr && drawing->GetPictureEngine() == text) {
      box = drawing->GetPictureFrame();
      handles[0] = drawing->GetCornerHandle(0);
      handles[1] = drawing->GetCornerHandle(2);
      handles[2] = drawing->GetCornerHandle(1);
      handles[3] = drawing->GetCornerHandle(3);
      const int32_t size = handles[0].GetWidth();
      const int32_t l = box.GetLeft();
      const int32_t t = box.GetTop();
      auto around = [size](int32_t x, int32_t y) { return VRect(x - size / 2, y - size / 2, size, size); };
      if (drawing->HasHorizontalMiddleHandles()) {
        handles[4] = around(l + box.GetWidth() / 2, t);
        handles[5] = around(l + box.GetWidth() / 2, t + box.GetHeight());
      }
      if (drawing->HasVerticalMiddleHandles()) {
        handles[6] = around(l, t + box.GetHeight() / 2);
        handles[7] = around(l + box.GetWidth(), t + box.GetHeight() / 2);
      }
    }
  }
  document.SetPictureHandles(box, handles, xMorvaDocument::kPictureHandleCount);
}

namespace {

}  // namespace

// ---- The hit test.

bool xMorvaMouse::HitTest(xMorvaDocument& document, int32_t x, int32_t y, bool selectPart, xMorvaTextHit& hit) {
  hit = xMorvaTextHit();
  xMorvaLayoutInterface* layout = document.GetLayout();
  if (layout == nullptr || document.GetCurrentPart() == nullptr) return false;
  hit.position = document.OffsetAtPoint(x, y, selectPart);
  xMorvaEngine* text = CurrentText(document);
  const int16_t part = document.GetCurrentPartNumber();
  xMorvaLineHit line;
  if (!layout->LineAtPoint(x, y, part, document.GetHeaderFooterPage(), line)) {
    hit.offset = 0;
    return true;
  }
  const int32_t length = text->GetLength();
  hit.position = std::clamp(hit.position, 0, length);
  hit.inMargin = line.x < 0;
  hit.lineStart = line.positionsBefore;
  uint32_t nextStart = line.lineStart;
  int32_t nextBefore = line.positionsBefore;
  const int32_t next = layout->StepLine(part, line.line, false, nextStart, nextBefore);
  hit.lineLength = (next < 0 ? length : std::clamp(nextBefore, line.positionsBefore, length)) - line.positionsBefore;
  hit.lineStartOffset = line.lineStart;
  hit.lineEndOffset = next < 0 ? text->GetStreamSize() : std::max(nextStart, line.lineStart);

  const StreamPlace place = WalkLine(*text, line.lineStart, line.positionsBefore, hit.position);
  hit.offset = place.offset;
  if (!hit.inMargin && (IsClickableElement(place.before) || IsClickableElement(place.at))) {
    // The point rounds to the nearer end of what it is on: an element
    // ending at the position lies left of the position's pen, one starting
    // there right of it.
    xMorvaLineLocation where;
    document.LocateOffset(place.offset, where);
    bool italic = false;
    const int32_t pen = layout->MeasureToOffset(part, where, place.offset, italic);
    hit.elementBefore = IsClickableElement(place.before) && x < pen;
    hit.elementAfter = !hit.elementBefore && IsClickableElement(place.at) && x >= pen;
    const uint16_t code = hit.elementBefore ? place.before : place.at;
    hit.onHyperlink = hit.OnElement() && code == xMorvaElementCode::Hyperlink;
  }
  return true;
}

// ---- The press.

namespace {

class PressHandler {
 public:
  PressHandler(xMorvaFrame& frame, xMorvaPlugIn& area, xMorvaDocument& document, VEvent& event)
      : fFrame(frame), fArea(area), fDocument(document), fEvent(event) {}

  void Run(bool controlHeld);

 private:
  bool Offer(int16_t kind, bool onElement) { return fArea.CallEventCallback(kind, onElement ? 1 : 0); }
  bool IsEditable() const { return fDocument.Infos().GetLocked() == 0 && !fArea.IsAreaLocked(); }
  // Inserting and editing references to host fields belongs with the
  // element insertions that the editing lock switches off.
  bool AllowsHostReferences() const { return !fArea.IsEditingLocked(); }
  void Show() { fDocument.ShowSelection(true); }
  void ControlClick(xMorvaEngine& text, bool sameText);
  void EditElement(xMorvaEngine& text);

  xMorvaFrame& fFrame;
  xMorvaPlugIn& fArea;
  xMorvaDocument& fDocument;
  VEvent& fEvent;
  xMorvaTextHit fHit;
};

void PressHandler::Run(bool controlHeld) {
  const int32_t x = fEvent.GetX();
  const int32_t y = fEvent.GetY();
  if (xMorvaUndo* undo = fDocument.GetUndo()) undo->Commit();
  // The selected picture's handles and body take the press first.
  xMorvaMouse::NotePictureHandles(fFrame, fDocument, y, controlHeld);
  if (fDocument.HandlePictureClick(VPoint(x, y), fEvent.IsDoubleClick(), controlHeld)) return;

  const int32_t documentX = x - fFrame.TextInset();
  auto* pictures = dynamic_cast<xMorvaPicturesInPage*>(fDocument.GetPagePictures());
  if (fDocument.GetParams().GetViewMode() == 0 && !controlHeld && pictures != nullptr &&
      pictures->HitTest(fDocument, documentX, y, true)) {
    Show();
    Offer(xMorvaMouse::kEventClick, true);
    return;
  }
  if (pictures != nullptr && pictures->HasSelection()) {
    pictures->Deselect();
    fArea.DrawSelection();
  }

  xMorvaTextInterface* before = fDocument.GetCurrentPart();
  if (!xMorvaMouse::HitTest(fDocument, documentX, y, true, fHit)) return;
  const bool sameText = fDocument.GetCurrentPart() == before;
  xMorvaEngine& text = *CurrentText(fDocument);
  const int32_t hit = fHit.position;
  const bool onElement = fHit.OnElement();

  if (controlHeld) {
    ControlClick(text, sameText);
    return;
  }
  const int32_t s = text.GetSelStart();
  const int32_t e = text.GetSelEnd();
  int32_t anchor = hit;
  int32_t current = hit;
  uint32_t anchorByte = fHit.offset;
  uint32_t currentByte = fHit.offset;

  if (fEvent.IsTripleClick() && sameText) {
    if (Offer(xMorvaMouse::kEventTripleClick, false)) return;
    text.SetSelection(hit, hit);
    const int32_t start = text.GetParagraphStart();
    const int32_t end = text.GetParagraphEnd();
    fDocument.SetSelectionBackward(false);
    text.SetSelection(start, end);
    Show();
    return;
  }
  if (fEvent.IsDoubleClick() && sameText && !fHit.inMargin) {
    // The first press of the double click selected the element under it;
    // a link it followed, which leaves the caret before the link: the
    // second press edits the link all the same.
    const int32_t elementStart = fHit.elementBefore ? hit - 1 : hit;
    const bool followed = fHit.onHyperlink && s == e && s == elementStart;
    if (!onElement || (s != hit && e != hit && !followed)) {
      if (Offer(xMorvaMouse::kEventDoubleClick, false)) return;
      text.SetSelection(hit, hit);
      const int32_t start = text.GetWordStart();
      const int32_t end = text.GetWordEnd();
      fDocument.SetSelectionBackward(false);
      text.SetSelection(start, end);
      Show();
      return;
    }
    // The first click selected the element: the second edits it.
    if (Offer(xMorvaMouse::kEventDoubleClick, true)) return;
    if (followed) {
      // The dialog edits the link at the selection.
      fDocument.SetSelectionBackward(false);
      text.SetSelection(elementStart, elementStart + 1);
    }
    EditElement(text);
    return;
  }

  if (fEvent.IsShift()) {
    const bool backward = fDocument.IsSelectionBackward();
    anchor = backward ? e : s;
    anchorByte = backward ? text.GetSelEndOffset() : text.GetSelStartOffset();
  } else if (s != e && s <= hit && hit <= e && !fHit.inMargin) {
    // A press inside the selection collapses it there and drags nothing.
    // In the margin it means lines: the second press of a double click
    // lands in the line the first one selected.
    int32_t start = hit, end = hit;
    if (fHit.elementBefore) --start;
    if (fHit.elementAfter) ++end;
    fDocument.SetSelectionBackward(false);
    text.SetSelection(std::max(start, 0), std::min(end, text.GetLength()));
    Show();
    Offer(xMorvaMouse::kEventClick, onElement);
    return;
  }

  if (fHit.inMargin) {
    if (fEvent.IsDoubleClick()) {
      if (Offer(xMorvaMouse::kEventDoubleClick, false)) return;
      text.SetSelection(hit, hit);
      const int32_t start = text.GetParagraphStart();
      const int32_t end = text.GetParagraphEnd();
      fDocument.SetSelectionBackward(false);
      text.SetSelection(start, end);
      Show();
      return;
    }
    current = hit + fHit.lineLength;
    currentByte = fHit.lineEndOffset;
  }

  if (VSystemServices::IsAnyMouseButtonDown()) {
    // The dragger works in the frame's own coordinates; the press stays in
    // the content's.
    VEvent local(fEvent);
    local.Offset(-fFrame.GetScrollX(), -fFrame.GetScrollY());
    xMorvaSelectionDragger dragger(fFrame, local, x, y, anchor, anchorByte, current, currentByte, fHit);
    dragger.Track();
    dragger.GetResult(anchor, current);
    fHit = dragger.GetHit();
  }

  if (sameText && anchor == current && s == e && s == hit && !fHit.inMargin && !fHit.OnElement()) {
    Offer(xMorvaMouse::kEventClick, false);
    return;
  }
  if (anchor <= current) {
    int32_t start = anchor, end = current;
    if (anchor == current) {
      if (fHit.elementBefore) --start;
      if (fHit.elementAfter) ++end;
    }
    fDocument.SetSelectionBackward(false);
    text.SetSelection(std::max(start, 0), std::min(end, text.GetLength()));
  } else {
    fDocument.SetSelectionBackward(true);
    text.SetSelection(current, anchor);
  }
  const bool onLink = fHit.OnElement() && fHit.onHyperlink;
  if (!onLink) Show();
  if (Offer(xMorvaMouse::kEventClick, fHit.OnElement())) return;
  if (onLink) {
    xMorvaHyperlink link;
    if (!text.GetHyperlinkAtSelection(link) || !FollowLink(link, fArea, 0)) Show();
  }
}

void PressHandler::ControlClick(xMorvaEngine& text, bool sameText) {
  const int32_t hit = fHit.position;
  if (!(sameText && text.GetSelStart() == hit && text.GetSelEnd() == hit)) {
    fDocument.SetSelectionBackward(false);
    text.SetSelection(hit, hit);
    Show();
  }
  if (Offer(xMorvaMouse::kEventClick, fHit.OnElement())) return;
  if (!AllowsHostReferences() || !IsEditable()) return;
  // The host lets the user choose a field at the mouse's place on screen.
  int32_t originX = 0, originY = 0;
  fFrame.LocalToScreen(originX, originY);
  const int32_t sx = originX + fEvent.GetX() - fFrame.GetScrollX();
  const int32_t sy = originY + fEvent.GetY() - fFrame.GetScrollY();
  int16_t table = 0, field = 0;
  HostFieldAtPoint(sx, sy, table, field, false);
  if (table <= 0) return;
  VHostRef reference(table, field, false);
  const VMemHandle handle = reference.ToHandle();
  if (handle == 0) return;
  {
    VHandleLocker lock(handle);
    if (lock) {
      fDocument.BeginChange();
      text.InsertHostExpressionWithUndo(lock.As<uint8_t>(), gMemoryMgr->GetHandleSize(handle), nullptr);
      fDocument.EndChange();
    }
  }
  gMemoryMgr->DisposeHandle(handle);
  fDocument.SetSelectionBackward(false);
  fArea.DrawSelection();
  fDocument.UpdateCaret(false);
}

void PressHandler::EditElement(xMorvaEngine& text) {
  if (!IsEditable()) return;
  // A host expression opens the formula editor; its answer replaces the
  // element in one change.
  const VMemHandle stored = AllowsHostReferences() ? text.GetHostExpressionAtSelection() : 0;
  if (stored != 0) {
    const uint32_t size = gMemoryMgr->GetHandleSize(stored);
    std::unique_ptr<VHostRef> reference;
    {
      VHandleLocker lock(stored);
      if (lock) reference = std::make_unique<VHostRef>(lock.As<uint8_t>(), size);
    }
    gMemoryMgr->DisposeHandle(stored);
    if (!reference || !RunFormulaDialog(reference.get())) return;
    const VMemHandle edited = reference->ToHandle();
    if (edited == 0) return;
    {
      VHandleLocker lock(edited);
      if (lock) {
        fDocument.BeginChange();
        text.InsertHostExpressionWithUndo(lock.As<uint8_t>(), gMemoryMgr->GetHandleSize(edited), nullptr);
        fDocument.EndChange();
      }
    }
    gMemoryMgr->DisposeHandle(edited);
    fArea.DrawSelection();
    fDocument.UpdateCaret(false);
    return;
  }
  // HTML expressions and links have the area's dialogs.
  if (text.FindElement(xMorvaElementCode::HTMLExpression, false, true) >= 0) {
    if (fArea.IsCommandAllowed(kCommandHTMLExpressionDialog)) fArea.RunCommand(kCommandHTMLExpressionDialog);
  } else if (text.FindElement(xMorvaElementCode::Hyperlink, false, true) >= 0) {
    if (fArea.IsCommandAllowed(kCommandHyperlinkDialog)) fArea.RunCommand(kCommandHyperlinkDialog);
  }
}

}  // namespace

void xMorvaMouse::HandleMouse(xMorvaFrame& frame, VEvent& event, bool controlHeld) {
  xMorvaPlugIn* area = frame.GetArea();
  xMorvaDocument* document = frame.GetDocument();
  if (!frame.IsShown() || area == nullptr || document == nullptr) return;
  if (!frame.IsFocused()) {
    // A press in a frame without the focus edits only when the document
    // is being edited in one of its frames; this one takes over. So it
    // does when a control of the area's bars (a list the user chose from)
    // took the focus from the text: the document then has no active frame,
    // but the user is still working in this area and clicks back into it.
    VFrame* holder = frame.GetFocusFrame();
    const bool barHasFocus = area->HasAreaFocus() && holder != nullptr && holder != &frame;
    if (area->GetActiveFrame() == nullptr && !barHasFocus) return;
    if (!frame.RequestFocus()) frame.TakeFocus();
  }
  if (document->GetCurrentPart() == nullptr) return;
  PressHandler(frame, *area, *document, event).Run(controlHeld);
}

// ---- The selection dragger.

xMorvaSelectionDragger::xMorvaSelectionDragger(xMorvaFrame& frame, const VEvent& event, int32_t x, int32_t y,
                                               int32_t anchorPos, uint32_t anchorByte, int32_t currentPos,
                                               uint32_t currentByte, const xMorvaTextHit& hit)
    : VDragger(&frame, event),
      fFrameView(frame),
      fX(x),
      fY(y),
      fAnchorPos(anchorPos),
      fAnchorByte(anchorByte),
      fCurrentPos(currentPos),
      fCurrentByte(currentByte),
      fHit(hit),
      fInMargin(hit.inMargin ? 1 : 0),
      fAnchorLineStart(hit.lineStart),
      fAnchorLineLength(hit.lineLength),
      fAnchorLineStartByte(hit.lineStartOffset),
      fAnchorLineEndByte(hit.lineEndOffset) {
  SetOptions(&frame, false, false);
}

xMorvaSelectionDragger::~xMorvaSelectionDragger() { EndFeedback(); }

void xMorvaSelectionDragger::BeginTrack(VPort&) { ShowFeedback(); }

void xMorvaSelectionDragger::TrackMove(VPort&, VFrame*, VFrame*, int32_t dx, int32_t dy) { Step(dx, dy); }

void xMorvaSelectionDragger::Step(int32_t dx, int32_t dy) {
  fX += dx;
  fY += dy;
  UpdatePosition();
  ShowFeedback();
}

void xMorvaSelectionDragger::AutoScroll(VPort&, int32_t dx, int32_t dy) {
  const int32_t oldX = fFrameView.GetScrollX();
  const int32_t oldY = fFrameView.GetScrollY();
  // The scrolled view's container scrolls by the amounts sent up.
  if (dx != 0) fFrameView.NotifyParent(&fFrameView, kMsgScrollHorizontally, dx);
  if (dy != 0) fFrameView.NotifyParent(&fFrameView, kMsgScrollVertically, dy);
  fX += fFrameView.GetScrollX() - oldX;
  fY += fFrameView.GetScrollY() - oldY;
  UpdatePosition();
  // The scroll drew the view again: the range is drawn again in full.
  fShownStart = fShownEnd = -1;
  ShowFeedback();
}

void xMorvaSelectionDragger::EndTrack(VPort&, VFrame*) { EndFeedback(); }

void xMorvaSelectionDragger::UpdatePosition() {
  xMorvaDocument* document = fFrameView.GetDocument();
  if (document == nullptr) return;
  xMorvaTextHit hit;
  // The part stays the one the press was in.
  if (!xMorvaMouse::HitTest(*document, fX - fFrameView.TextInset(), fY, false, hit)) return;
  if (fInMargin == 0) {
    fCurrentPos = hit.position;
    fCurrentByte = hit.offset;
    fHit = hit;
    return;
  }
  // Whole lines: from the press's line to the line under the mouse.
  if (hit.lineStart < fAnchorLineStart) {
    fAnchorPos = fAnchorLineStart + fAnchorLineLength;
    fAnchorByte = fAnchorLineEndByte;
    fCurrentPos = hit.lineStart;
    fCurrentByte = hit.lineStartOffset;
  } else {
    fAnchorPos = fAnchorLineStart;
    fAnchorByte = fAnchorLineStartByte;
    fCurrentPos = hit.lineStart + hit.lineLength;
    fCurrentByte = hit.lineEndOffset;
  }
  fHit.elementBefore = fHit.elementAfter = fHit.onHyperlink = false;
}

void xMorvaSelectionDragger::ShowFeedback() {
  xMorvaDocument* document = fFrameView.GetDocument();
  xMorvaLayoutInterface* layout = document != nullptr ? document->GetLayout() : nullptr;
  if (layout == nullptr) return;
  const uint32_t start = std::min(fAnchorByte, fCurrentByte);
  const uint32_t end = std::max(fAnchorByte, fCurrentByte);
  // Only a change of the dragged range is drawn.
  if (start == fShownStart && end == fShownEnd) return;
  fShownStart = start;
  fShownEnd = end;
  // The range stands in for the selection while the view draws.
  fDrawing = 1;
  layout->SetDrawingMode(kDrawPaint | kDrawSelectionDrag);
  layout->SetDraggedRange(start, end);
  ++fRedraws;
  fFrameView.RedrawNow();
}

void xMorvaSelectionDragger::EndFeedback() {
  if (fDrawing == 0) return;
  fDrawing = 0;
  xMorvaDocument* document = fFrameView.GetDocument();
  if (xMorvaLayoutInterface* layout = document != nullptr ? document->GetLayout() : nullptr) {
    layout->SetDrawingMode(kDrawPaint);
  }
  // The frame shows the selection the press leaves, drawn as usual.
  fFrameView.Invalidate(1);
}
