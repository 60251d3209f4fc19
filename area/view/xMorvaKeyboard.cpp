// Keyboard editing of a text area: the order in which a key is offered,
// applied as a style-sheet shortcut, dispatched as a special key or typed,
// and each special key's moves and edits.
#include "area/view/xMorvaKeyboard.h"

#include <algorithm>

#include "area/view/xMorvaFrame.h"
#include "area/view/xMorvaPicturesInPage.h"
#include "area/xMorvaBarState.h"
#include "area/xMorvaPlugIn.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaLayoutInterface.h"
#include "document/xMorvaStyleSheet.h"
#include "document/xMorvaUndo.h"
#include "engine/xMorvaElementStream.h"
#include "engine/xMorvaEngine.h"
#include "framework/system/environment/VCursor.h"
#include "framework/system/environment/VSystemServices.h"
#include "framework/system/resources/VMemoryResourceFile.h"
#include "graphics/VShape.h"
#include "views/VShortcut.h"

namespace {

// A picture on a page moves or grows by this many pixels a key, ten times
// as far with Command.
constexpr int32_t kPictureStep = 1;
constexpr int32_t kPictureBigStep = 10;

}  // namespace

xMorvaKeyboard::xMorvaKeyboard(xMorvaPlugIn& area, xMorvaDocument& document)
    : fArea(area), fDocument(document), fText(static_cast<xMorvaEngine*>(document.GetCurrentPart())) {}

char16_t xMorvaKeyboard::OfferedCode(int16_t keyCode) {
  switch (keyCode) {
    case kKeyTab: return 9;
    case kKeyReturn: return 13;
    case kKeyHome: return 1;
    case kKeyEnd: return 4;
    case kKeyPageUp: return 11;
    case kKeyPageDown: return 12;
    case kKeyLeft: return 28;
    case kKeyRight: return 29;
    case kKeyUp: return 30;
    case kKeyDown: return 31;
    case kKeyBackspace: return 8;
    case kKeyDelete: return 127;
    case kKeyEnter: return 3;
    default: return 0;
  }
}

bool xMorvaKeyboard::GetCaretLineBounds(xMorvaDocument& document, int32_t position, int32_t& lineStart,
                                        int32_t& lineEnd) {
  auto* text = static_cast<xMorvaEngine*>(document.GetCurrentPart());
  xMorvaLayoutInterface* layout = document.GetLayout();
  lineStart = lineEnd = 0;
  if (text == nullptr || layout == nullptr) return false;
  const int32_t length = text->GetLength();
  if (position < 0 || position > length) return false;
  // The byte offset of the position: the engine finds it as it sets the
  // caret, so the caller's selection is put back afterwards.
  const int32_t start = text->GetSelStart();
  const int32_t end = text->GetSelEnd();
  text->SetSelection(position, position);
  const uint32_t offset = text->GetSelStartOffset();
  text->SetSelection(start, end);
  xMorvaLineLocation where;
  document.LocateOffset(offset, where);
  lineStart = std::clamp(where.positionsBefore, 0, length);
  uint32_t nextStart = where.lineStart;
  int32_t nextBefore = where.positionsBefore;
  const int32_t next = layout->StepLine(document.GetCurrentPartNumber(), where.line, false, nextStart, nextBefore);
  lineEnd = next < 0 ? length : std::clamp(nextBefore, lineStart, length);
  return true;
}

bool xMorvaKeyboard::IsEditable() const { return fDocument.Infos().GetLocked() == 0 && !fArea.IsAreaLocked(); }

xMorvaPicturesInPage* xMorvaKeyboard::SelectedPagePicture() const {
  auto* pictures = dynamic_cast<xMorvaPicturesInPage*>(fDocument.GetPagePictures());
  return pictures != nullptr && pictures->HasSelection() ? pictures : nullptr;
}

void xMorvaKeyboard::Select(int32_t start, int32_t end) {
  const int32_t length = fText->GetLength();
  fText->SetSelection(std::clamp(start, 0, length), std::clamp(end, 0, length));
}

void xMorvaKeyboard::PutCaret(int32_t position) { Select(position, position); }

void xMorvaKeyboard::Show() { fDocument.ShowSelection(true); }

void xMorvaKeyboard::Commit() {
  if (xMorvaUndo* undo = fDocument.GetUndo()) undo->Commit();
}

// The steps of one position that these take pass a surrogate pair whole.
int32_t xMorvaKeyboard::WordStartFrom(int32_t from) {
  PutCaret(from);
  int32_t w = fText->GetWordStart();
  if (w == from && from >= 1) {
    PutCaret(fText->CharacterStep(from, false));
    w = fText->GetWordStart();
  }
  return w;
}

int32_t xMorvaKeyboard::WordEndFrom(int32_t from) {
  PutCaret(from);
  int32_t w = fText->GetWordEnd();
  if (w == from) w = fText->CharacterStep(from, true);
  return std::min(w, fText->GetLength());
}

// ---- The order of handling.

int32_t xMorvaKeyboard::HandleKey(const VShortcut& key) {
  if (fText == nullptr) return kKeyNotHandled;
  const char16_t character = key.GetCharacter();
  if (character != 0 && fArea.CallEventCallback(0, character)) return 0;

  bool handled = false;
  if (key.IsCommand()) handled = ApplyStyleSheetShortcuts(character);

  int32_t result = handled ? 0 : kKeyNotHandled;
  bool typed = false;
  if (!handled) result = Dispatch(key, typed);
  if (result == -1) return 0;  // consumed by the key method

  // Typing keeps its undo record open, so that characters typed in a row
  // undo together; anything else closes it.
  if (!typed) Commit();
  if (result == 0) {
    if (xMorvaFrame* frame = fArea.GetActiveFrame()) frame->Idle(false);
  }
  return result;
}

bool xMorvaKeyboard::ApplyStyleSheetShortcuts(char16_t character) {
  VMemoryResourceFile* store = fDocument.GetStyleSheetStore();
  if (store == nullptr || character == 0) return false;
  bool applied = false;
  const int32_t count = fDocument.StyleSheetCount();
  for (int32_t index = 1; index <= count; ++index) {
    int16_t id = 0;
    if (!fDocument.StyleSheetIdAt(index, id)) continue;
    xMorvaStyleSheet sheet;
    if (!sheet.Load(fDocument, *store, id)) continue;
    if (sheet.shortcut != character) continue;
    fDocument.ApplyStyleSheet(id);
    fDocument.Refresh(false, true);
    applied = true;
  }
  return applied;
}

// Answers 0 handled, 1 not handled, -1 consumed by the user's key method.
int32_t xMorvaKeyboard::Dispatch(const VShortcut& key, bool& typed) {
  const int16_t code = key.GetKeyCode();
  const char16_t offered = OfferedCode(code);
  if (offered == 0) {
    // Typing.
    const char16_t character = key.GetCharacter();
    if (key.IsCommand() || character < 32) return kKeyNotHandled;
    if (IsEditable() && SelectedPagePicture() == nullptr) {
      // The mouse cursor hides while the user types, until the mouse moves.
      if (gCursor != nullptr) gCursor->Obscure();
      typed = true;
      fDocument.TypeCharacter(character);
    }
    return 0;
  }
  if (fArea.CallEventCallback(0, offered)) return -1;
  xMorvaPicturesInPage* picture = SelectedPagePicture();
  switch (code) {
    case kKeyTab: return KeyTab(key);
    case kKeyReturn: return KeyReturn(key);
    case kKeyEnter: return KeyEnter(key);
    case kKeyPageUp:
    case kKeyPageDown: return KeyPage(key);
    case kKeyBackspace: KeyBackspace(key); return 0;
    case kKeyDelete: KeyDelete(key); return 0;
    default: break;
  }
  if (picture != nullptr) {
    // Home and End leave a selected picture alone; the arrows move it.
    if (code != kKeyHome && code != kKeyEnd) KeyPicture(code, key, *picture);
    return 0;
  }
  switch (code) {
    case kKeyHome: KeyHome(key); break;
    case kKeyEnd: KeyEnd(key); break;
    case kKeyLeft: KeyLeft(key); break;
    case kKeyRight: KeyRight(key); break;
    case kKeyUp: KeyUpDown(true, key); break;
    case kKeyDown: KeyUpDown(false, key); break;
    default: break;
  }
  return 0;
}

// ---- Tab, Return, Enter, Page Up and Page Down.

int32_t xMorvaKeyboard::KeyTab(const VShortcut& key) {
  if (key.IsCommand() || key.IsShift() || key.IsOption()) return kKeyNotHandled;
  if (xMorvaPicturesInPage* picture = SelectedPagePicture()) {
    picture->Deselect();
    fDocument.Refresh(false, true);
    return 0;
  }
  if (!IsEditable()) return 0;
  Commit();
  fDocument.BeginChange();
  fText->InsertTabWithUndo();
  fDocument.EndChange();
  fDocument.Refresh(true, true);
  UpdateStatusLine(fArea, false);
  return 0;
}

int32_t xMorvaKeyboard::KeyReturn(const VShortcut& key) {
  if (key.IsCommand() || key.IsShift() || key.IsOption()) return kKeyNotHandled;
  if (!IsEditable() || SelectedPagePicture() != nullptr) return 0;
  Commit();
  fDocument.BeginChange();
  fText->InsertParagraphEndWithUndo();
  fDocument.EndChange();
  Commit();
  fDocument.Refresh(true, true);
  UpdateStatusLine(fArea, false);
  return 0;
}

int32_t xMorvaKeyboard::KeyEnter(const VShortcut& key) {
  if (key.IsCommand() || key.IsShift() || key.IsOption()) return kKeyNotHandled;
  if (!IsEditable() || SelectedPagePicture() != nullptr) return 0;
  Commit();
  // One column: the break starts a page; more: the next column.
  const uint16_t code = fDocument.GetParams().GetColumns() == 1 ? xMorvaElementCode::PageBreak
                                                                   : xMorvaElementCode::ColBreak;
  fDocument.BeginChange();
  fText->InsertBreakWithUndo(code);
  fDocument.EndChange();
  fDocument.Refresh(true, true);
  UpdateStatusLine(fArea, false);
  return 0;
}

int32_t xMorvaKeyboard::KeyPage(const VShortcut& key) {
  xMorvaFrame* frame = fArea.GetActiveFrame();
  if (frame == nullptr) return kKeyNotHandled;
  frame->HandleScrollKey(key);
  return 0;
}

// ---- A picture on a page.

void xMorvaKeyboard::KeyPicture(int16_t keyCode, const VShortcut& key, xMorvaPicturesInPage& pictures) {
  if (!IsEditable()) return;
  const int32_t step = key.IsCommand() ? kPictureBigStep : kPictureStep;
  const bool backwards = keyCode == kKeyLeft || keyCode == kKeyUp;
  const int32_t delta = backwards ? -step : step;
  const bool horizontal = keyCode == kKeyLeft || keyCode == kKeyRight;
  const xMorvaDocParams& params = fDocument.GetParams();
  const VRect page(0, 0, params.GetPageWidth(), params.GetPageHeight());
  if (key.IsShift()) {
    pictures.ResizeSelected(page, horizontal ? delta : 0, horizontal ? 0 : delta);
  } else {
    pictures.MoveSelected(page, horizontal ? delta : 0, horizontal ? 0 : delta);
  }
  fDocument.SetModified();
  fArea.DrawSelection();
}

// ---- Home and End.

void xMorvaKeyboard::KeyHome(const VShortcut& key) {
  const int32_t s = fText->GetSelStart();
  const int32_t e = fText->GetSelEnd();
  const bool anchor = fDocument.IsSelectionBackward();
  if (key.IsCommand()) {
    if (!key.IsShift()) {
      PutCaret(0);
    } else {
      Select(0, anchor ? e : s);
      fDocument.SetSelectionBackward(true);
    }
    Show();
    return;
  }
  const int32_t moving = (s != e && !anchor) ? e : s;
  int32_t ls = 0, le = 0;
  GetCaretLineBounds(fDocument, moving, ls, le);
  // At a line's start the key goes to the start of the line before.
  if (moving == ls && moving > 0) GetCaretLineBounds(fDocument, ls - 1, ls, le);
  if (!key.IsShift()) {
    fDocument.SetSelectionBackward(false);
    PutCaret(ls);
  } else if (anchor) {
    Select(ls, e);
  } else if (ls > s) {
    Select(s, ls);
  } else {
    fDocument.SetSelectionBackward(true);
    Select(ls, s);
  }
  Show();
}

void xMorvaKeyboard::KeyEnd(const VShortcut& key) {
  const int32_t s = fText->GetSelStart();
  const int32_t e = fText->GetSelEnd();
  const int32_t length = fText->GetLength();
  const bool anchor = fDocument.IsSelectionBackward();
  if (key.IsCommand()) {
    if (!key.IsShift()) {
      PutCaret(length);
    } else {
      Select(anchor ? e : s, length);
    }
    fDocument.SetSelectionBackward(false);
    Show();
    return;
  }
  const int32_t moving = (s != e && !anchor) ? e : s;
  int32_t ls = 0, le = 0;
  GetCaretLineBounds(fDocument, moving, ls, le);
  // Already before the character that ends the line: on to the next
  // line's end. Two past the line's end lies beyond the text on its last
  // line; the caret stops at the text's end there.
  if (e + 1 == le && e < length) GetCaretLineBounds(fDocument, std::min(le + 2, length), ls, le);
  if (key.IsShift()) {
    if (!anchor) {
      Select(s, le);
    } else if (le < e) {
      Select(le, e);
    } else {
      fDocument.SetSelectionBackward(false);
      Select(e, le);
    }
  } else {
    fDocument.SetSelectionBackward(false);
    PutCaret(le > 0 && le < length ? le - 1 : le);
  }
  Show();
}

// ---- Left and Right.

void xMorvaKeyboard::KeyLeft(const VShortcut& key) {
  const int32_t s = fText->GetSelStart();
  const int32_t e = fText->GetSelEnd();
  if (!key.IsShift()) {
    fDocument.SetSelectionBackward(false);
    if (s != e) {
      PutCaret(s);
    } else if (s == 0) {
      VSystemServices::Beep();
      return;
    } else {
      PutCaret(key.IsCommand() ? WordStartFrom(s) : fText->CharacterStep(s, false));
    }
    Show();
    return;
  }
  if (s == e) fDocument.SetSelectionBackward(true);
  if (!fDocument.IsSelectionBackward()) {
    // The end moves.
    if (!key.IsCommand()) {
      Select(s, fText->CharacterStep(e, false));
    } else {
      const int32_t w = WordStartFrom(e);
      if (w >= s) {
        Select(s, w);
      } else {
        fDocument.SetSelectionBackward(true);
        Select(w, s);
      }
    }
  } else if (s > 0) {
    const int32_t p = key.IsCommand() ? WordStartFrom(s) : fText->CharacterStep(s, false);
    Select(p, e);
  } else {
    VSystemServices::Beep();
  }
  Show();
}

void xMorvaKeyboard::KeyRight(const VShortcut& key) {
  const int32_t s = fText->GetSelStart();
  const int32_t e = fText->GetSelEnd();
  const int32_t length = fText->GetLength();
  if (!key.IsShift()) {
    fDocument.SetSelectionBackward(false);
    if (s != e) {
      PutCaret(e);
    } else if (e >= length) {
      VSystemServices::Beep();
      return;
    } else {
      PutCaret(key.IsCommand() ? WordEndFrom(e) : fText->CharacterStep(e, true));
    }
    Show();
    return;
  }
  if (s == e) fDocument.SetSelectionBackward(false);
  if (fDocument.IsSelectionBackward()) {
    // The start moves.
    if (!key.IsCommand()) {
      Select(fText->CharacterStep(s, true), e);
    } else {
      const int32_t w = WordEndFrom(s);
      if (w < e) {
        Select(w, e);
      } else {
        fDocument.SetSelectionBackward(false);
        Select(e, w);
      }
    }
  } else if (e < length) {
    const int32_t p = key.IsCommand() ? WordEndFrom(e) : fText->CharacterStep(e, true);
    Select(s, p);
  } else {
    VSystemServices::Beep();
  }
  Show();
}

// ---- Up and Down.

void xMorvaKeyboard::KeyUpDown(bool up, const VShortcut& key) {
  if (!key.IsCommand()) {
    fDocument.MoveCaretVertically(up, key.IsShift());
    return;
  }
  const int32_t s = fText->GetSelStart();
  const int32_t e = fText->GetSelEnd();
  const int32_t length = fText->GetLength();
  const bool anchor = fDocument.IsSelectionBackward();
  if (up) {
    // Repeated presses walk up paragraph by paragraph.
    PutCaret(s);
    int32_t p = fText->GetParagraphStart();
    if (p > 0 && p == s) {
      PutCaret(p - 1);
      p = fText->GetParagraphStart();
    }
    if (!key.IsShift()) {
      fDocument.SetSelectionBackward(false);
      PutCaret(p);
    } else if (anchor) {
      Select(p, e);
    } else if (p > s) {
      Select(s, p);
    } else {
      fDocument.SetSelectionBackward(true);
      Select(p, s);
    }
  } else {
    PutCaret(e);
    int32_t p = fText->GetParagraphEnd();
    if (e == p && e < length) {
      PutCaret(p + 1);
      p = fText->GetParagraphEnd();
    }
    if (!key.IsShift()) {
      fDocument.SetSelectionBackward(false);
      PutCaret(p);
    } else if (!anchor) {
      Select(s, p);
    } else if (p < e) {
      Select(p, e);
    } else {
      fDocument.SetSelectionBackward(false);
      Select(e, p);
    }
  }
  Show();
}

// ---- Backspace and Delete.

void xMorvaKeyboard::DeletePagePicture() {
  if (fDocument.DeletePagePicture(-1)) fDocument.Refresh(false, true);
}

void xMorvaKeyboard::DeleteRange(int32_t from, int32_t to) {
  Select(from, to);
  fDocument.BeginChange();
  fText->DeleteSelectionWithUndo();
  fDocument.EndChange();
  fDocument.SetSelectionBackward(false);
  fDocument.Refresh(true, false);
}

void xMorvaKeyboard::KeyBackspace(const VShortcut& key) {
  if (!IsEditable()) return;
  if (SelectedPagePicture() != nullptr) {
    DeletePagePicture();
    return;
  }
  Commit();
  const int32_t s = fText->GetSelStart();
  const int32_t e = fText->GetSelEnd();
  if (s != e) {
    DeleteRange(key.IsCommand() ? WordStartFrom(s) : s, e);
  } else if (s > 0) {
    // A surrogate pair is one character: both halves go.
    DeleteRange(key.IsCommand() ? WordStartFrom(s) : fText->CharacterStep(s, false), s);
  } else {
    VSystemServices::Beep();
  }
}

void xMorvaKeyboard::KeyDelete(const VShortcut& key) {
  if (!IsEditable()) return;
  if (SelectedPagePicture() != nullptr) {
    DeletePagePicture();
    return;
  }
  Commit();
  const int32_t s = fText->GetSelStart();
  const int32_t e = fText->GetSelEnd();
  const int32_t length = fText->GetLength();
  if (s != e) {
    DeleteRange(s, e);
    return;
  }
  if (e >= length) {
    VSystemServices::Beep();
    return;
  }
  int32_t p = fText->CharacterStep(e, true);
  if (key.IsCommand()) {
    // The word end counts the space after the word; a caret inside a word
    // deletes to the word's last character only.
    PutCaret(e);
    const bool atWordStart = fText->GetWordStart() == e;
    const int32_t wordEnd = fText->GetWordEnd();
    p = !atWordStart && wordEnd != length ? fText->CharacterStep(wordEnd, false) : wordEnd;
    if (p <= e) p = fText->CharacterStep(e, true);
  }
  DeleteRange(e, std::min(p, length));
}
