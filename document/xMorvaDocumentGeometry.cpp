// The document's caret and text geometry: byte offsets of the current part
// to lines on pages and back, the caret at the selection, vertical caret
// moves, and typing along a line without composing it again.
#include <algorithm>

#include "document/xMorvaDocument.h"
#include "document/xMorvaDocumentArea.h"
#include "document/xMorvaLayoutInterface.h"
#include "document/xMorvaProperties.h"
#include "document/xMorvaText.h"
#include "document/xMorvaUndo.h"
#include "framework/system/environment/VSystemServices.h"

int32_t xMorvaDocument::LocateOffset(uint32_t offset, xMorvaLineLocation& where) {
  where = xMorvaLineLocation();
  if (!fLayout) return 0;
  return fLayout->LocateOffset(fCurrentNumber, offset, fHeaderFooterPage, where);
}

int32_t xMorvaDocument::OffsetAtPoint(int32_t x, int32_t y, bool select) {
  if (!fLayout || fCurrent == nullptr) return 0;
  xMorvaLineHit hit;
  fLayout->LineAtPoint(x, y, -1, fHeaderFooterPage, hit);
  if (select) {
    // The part under the point: the header or footer that page shows.
    if (hit.part == kPartHeader) {
      SelectHeaderForPage(hit.page);
    } else if (hit.part == kPartFooter) {
      SelectFooterForPage(hit.page);
    } else {
      SelectBody();
    }
  }
  fLayout->LineAtPoint(x, y, fCurrentNumber, fHeaderFooterPage, hit);
  return hit.positionsBefore +
         fLayout->PositionInLine(fCurrentNumber, hit.line, hit.lineStart, hit.x, hit.page);
}

void xMorvaDocument::GetCaretGeometry(int32_t& x, int32_t& y, int32_t& lineTop, int32_t& height) {
  x = y = lineTop = height = 0;
  if (!fLayout || fCurrent == nullptr) return;
  const bool atStart = !fCurrent->HasSelection() || fSelectionBackward;
  const int32_t position = atStart ? fCurrent->GetSelStart() : fCurrent->GetSelEnd();
  const uint32_t offset = atStart ? fCurrent->GetSelStartOffset() : fCurrent->GetSelEndOffset();
  xMorvaLineLocation where;
  LocateOffset(offset, where);
  fCaretPage = where.page;
  fCaretColumn = where.column;
  fCaretLine = where.lineInColumn + 1;
  fCaretColumnPosition = position - where.positionsBefore + 1;
  bool italic = false;
  x = fLayout->MeasureToOffset(fCurrentNumber, where, offset, italic);
  y = lineTop = where.top;
  height = where.height;
}

void xMorvaDocument::GetCaretStatus(int32_t& page, int32_t& line, int32_t& position,
                                    int32_t& column) const {
  page = fCaretPage;
  line = fCaretLine;
  position = fCaretColumnPosition;
  column = fCaretColumn;
}

void xMorvaDocument::MoveCaretVertically(bool up, bool extend) {
  if (!fLayout || fCurrent == nullptr) return;
  const bool atStart = fSelectionBackward != 0 || !fCurrent->HasSelection();
  const int32_t position = atStart ? fCurrent->GetSelStart() : fCurrent->GetSelEnd();
  const uint32_t offset = atStart ? fCurrent->GetSelStartOffset() : fCurrent->GetSelEndOffset();
  xMorvaLineLocation where;
  LocateOffset(offset, where);
  uint32_t lineStart = where.lineStart;
  int32_t before = where.positionsBefore;
  const int32_t line = fLayout->StepLine(fCurrentNumber, where.line, up, lineStart, before);
  if (line < 0) {
    VSystemServices::Beep();
    return;
  }
  // Consecutive moves keep the x the first one started from, so that the
  // caret comes back to its column after passing a shorter line.
  if (position != fCaretGoalPosition) {
    bool italic = false;
    fCaretGoalX = fLayout->MeasureToOffset(fCurrentNumber, where, offset, italic) - where.left;
  }
  const int32_t target =
      before + fLayout->PositionInLine(fCurrentNumber, line, lineStart, fCaretGoalX, where.page);
  const int32_t start = fCurrent->GetSelStart();
  const int32_t end = fCurrent->GetSelEnd();
  if (!extend) {
    fSelectionBackward = 0;
    fCurrent->SetSelection(target, target);
  } else if (start == end) {
    fSelectionBackward = target < start ? 1 : 0;
    fCurrent->SetSelection(std::min(target, start), std::max(target, start));
  } else if (fSelectionBackward) {
    // The start moves; crossing the end makes the end move from now on.
    fSelectionBackward = target <= end ? 1 : 0;
    fCurrent->SetSelection(std::min(target, end), std::max(target, end));
  } else {
    fSelectionBackward = target < start ? 1 : 0;
    fCurrent->SetSelection(std::min(target, start), std::max(target, start));
  }
  fCaretGoalPosition = target;
  ShowSelection(true);
}

bool xMorvaDocument::LineFitsInPart(int32_t bottom) const {
  if (IsBodyCurrent()) return true;
  if (IsHeaderCurrent()) {
    // A band made to its lines' height (an RTF or Word file's) holds its
    // last line, as a footer's does; lines typed into a band of no height
    // reach down from it.
    const xMorvaDocParams::HeaderPlace place = fParams.HeaderPlaceOf(fHeaderFooterPage, bottom);
    return bottom <= place.bottom - place.top;
  }
  if (IsFooterCurrent()) {
    // A footer prints whole, raised off the page's lower edge as it needs;
    // a band made to its lines' height (an RTF or Word file's) holds its
    // last line.
    const xMorvaDocParams::FooterPlace place = fParams.FooterPlaceOf(fHeaderFooterPage, bottom);
    return bottom <= place.top - place.bottom;
  }
  return false;
}

void xMorvaDocument::UpdateCaret(bool scroll) {
  if (fArea == nullptr) return;
  int32_t x = 0;
  int32_t y = 0;
  int32_t top = 0;
  int32_t height = 0;
  GetCaretGeometry(x, y, top, height);
  const bool italic = fCurrent != nullptr && fCurrent->GetPropertyValue(kPropItalic) != 0;
  fCaret.Set(x, top, height, italic);
  xMorvaLineLocation where;
  if (fCurrent != nullptr) LocateOffset(fCurrent->GetSelStartOffset(), where);
  if (!LineFitsInPart(where.yInPart + where.height) || fCurrent == nullptr ||
      fCurrent->HasSelection()) {
    fCaret.Hide();
  } else {
    fCaret.Show();
  }
  // The area scrolls to the caret and draws it.
  fArea->UpdateCaret(scroll);
}

int32_t xMorvaDocument::TypeCharacter(char16_t unit) {
  // Typing along a line leaves the edit commands as they are, but a
  // keystroke that starts the history again after everything was undone
  // (or that drops what could be redone) changes what Undo and Redo offer:
  // the commands take their states at once, as after any other change, so
  // that Ctrl+Z and the Edit menu can take it back.
  const bool couldUndo = fUndo && fUndo->CanUndo();
  const bool couldRedo = fUndo && fUndo->CanRedo();
  const int32_t result = TypeUnit(unit);
  if (fArea != nullptr && fUndo && (fUndo->CanUndo() != couldUndo || fUndo->CanRedo() != couldRedo))
    fArea->UpdateCommands(0);
  return result;
}

int32_t xMorvaDocument::TypeUnit(char16_t unit) {
  fLastTypingFast = false;
  if (fCurrent == nullptr) return 0;
  if (fCurrent->HasSelection() || fTypingResync || !fLayout) {
    if (fUndo) fUndo->Commit();
    BeginChange();
    const int32_t result = fCurrent->TypeCharacterWithUndo(unit);
    EndChange();
    Refresh(true, false);
    if (fUndo) fUndo->Commit();
    fTypingResync = 0;
    return result;
  }
  const uint32_t offset = fCurrent->GetSelStartOffset();
  xMorvaLineLocation where;
  LocateOffset(offset, where);
  const bool fits = LineFitsInPart(where.yInPart + where.height);
  double lineEnd = 0;
  if (fits && fLayout->CanTypeInLine(fCurrentNumber, where, offset, unit, lineEnd)) {
    const int32_t result = fCurrent->TypeCharacterWithUndo(unit);
    if (result == 0 && fLayout->TakeTypedUnit(fCurrentNumber, where, lineEnd)) {
      // Only this line changed: it is redrawn where it stands.
      fLastTypingFast = true;
      if (fArea != nullptr) fArea->DrawSelection();
      UpdateCaret(true);
      return 0;
    }
    // No room after all: composed as after any change.
    EndChange();
    if (fArea != nullptr) fArea->DrawSelection();
    UpdateCaret(true);
    return result;
  }
  BeginChange();
  const int32_t result = fCurrent->TypeCharacterWithUndo(unit);
  EndChange();
  if (fArea != nullptr) fArea->DrawSelection();
  UpdateCaret(fits);
  return result;
}
