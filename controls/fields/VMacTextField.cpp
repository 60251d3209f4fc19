// The TextEdit text field and its content view.
#include "controls/fields/VMacTextField.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "controls/fields/TextFieldLayer.h"
#include "controls/text/VTextEditFrame.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/strings/VByteString.h"
#include "framework/core/strings/VUniString.h"
#include "framework/system/environment/VSystemServices.h"
#include "graphics/VLookPainter.h"
#include "graphics/VPort.h"
#include "platform/gdi/WinGdi.h"
#include "platform/toolbox/TbxScrap.h"
#include "platform/toolbox/TbxWindows.h"
#include "views/VScrollBar.h"
#include "views/VEvent.h"
#include "views/VShortcut.h"

namespace {

constexpr int16_t kDestBottom = 32767;
constexpr uint32_t kScrapTEXT = 0x54455854;
constexpr int32_t kFieldContextMenu = 540;

int16_t Short(int32_t v) { return static_cast<int16_t>(std::clamp<int32_t>(v, -32768, 32767)); }

// The current port, put back when the saver goes.
class VPortSaver {
 public:
  VPortSaver() { Tbx::GetPort(&fSaved); }
  ~VPortSaver() { Tbx::SetPort(fSaved); }
  VPortSaver(const VPortSaver&) = delete;
  VPortSaver& operator=(const VPortSaver&) = delete;

 private:
  Tbx::GrafPtr fSaved = nullptr;
};

Tbx::Handle CopyHandle(Tbx::Handle h) {
  const int32_t size = Tbx::GetHandleSize(h);
  const Tbx::Handle copy = Tbx::NewHandle(std::max(size, 0));
  if (copy != 0 && size > 0) {
    std::memcpy(Tbx::HLock(copy), Tbx::HLock(h), size_t(size));
    Tbx::HUnlock(h);
    Tbx::HUnlock(copy);
  }
  return copy;
}

void Dispose(Tbx::Handle& h) {
  if (h != 0) Tbx::DisposeHandle(h);
  h = 0;
}

// The view whose click TEClick is tracking, for the click loop.
VMacTextView* gClickView = nullptr;

}  // namespace

// ---- The view.

VMacTextView::VMacTextView(VMacTextField* field) : VScrolledView(field), fField(field) {
  int32_t ox = 0;
  int32_t oy = 0;
  GetOrigin(ox, oy);
  const Tbx::Rect view{Short(oy + 1), Short(ox + 1), Short(oy + GetHeight() - 2), Short(ox + GetWidth() - 2)};
  const Tbx::Rect dest{view.top, view.left, kDestBottom, view.right};
  auto* port = static_cast<Tbx::GrafPtr>(GetWindowPort());
  if (port == nullptr) {
    fRecord = Tbx::TENew(&dest, &view);
    Tbx::TESetSelect(1, 1, fRecord);
    return;
  }
  VPortSaver saved;
  Tbx::SetPort(port);
  // The look's window background (colour 27), white without a look.
  uint32_t back = 0xFFFFFF;
  if (VLookPainter* painter = GetLookPainter()) back = painter->GetColor(27);
  SetBackColor(back);
  fRecord = Tbx::TENew(&dest, &view);
  Tbx::TECalText(fRecord);
  Tbx::TESetSelect(1, 1, fRecord);
  Tbx::TEDeactivate(fRecord);
  SetCursorId(1);
}

VMacTextView::~VMacTextView() {
  ForgetUndo();
  Dispose(fPendingText);
  Dispose(fPendingStyles);
  Tbx::TEDispose(fRecord);
}

void VMacTextView::PlaceRects() {
  Tbx::TERec* r = Tbx::TEGetRecord(fRecord);
  if (r == nullptr) return;
  int32_t ox = 0;
  int32_t oy = 0;
  GetOrigin(ox, oy);
  r->viewRect = Tbx::Rect{Short(oy + 1), Short(ox + 1), Short(oy + GetHeight() - 2), Short(ox + GetWidth() - 2)};
  r->destRect = Tbx::Rect{Short(r->viewRect.top - GetScrollY()), Short(r->viewRect.left - GetScrollX()), kDestBottom,
                          Short(r->viewRect.right - GetScrollX())};
}

void VMacTextView::MoveTo(int32_t x, int32_t y, int16_t mode) {
  VScrolledView::MoveTo(x, y, mode);
  PlaceRects();
}

void VMacTextView::ResizeTo(int32_t width, int32_t height, int16_t mode) {
  if (width == GetWidth() && height == GetHeight()) return;
  VScrolledView::ResizeTo(width, height, mode);
  PlaceRects();
  Tbx::TECalText(fRecord);
  AdjustContentSize(false);
}

void VMacTextView::SetBackColor(uint32_t color) {
  fBack = Tbx::RGBColor{uint16_t((color & 0xFF) * 257), uint16_t(((color >> 8) & 0xFF) * 257),
                        uint16_t(((color >> 16) & 0xFF) * 257)};
}

int32_t VMacTextView::GetTextLength(bool all) const {
  const Tbx::TERec* r = Tbx::TEGetRecord(fRecord);
  if (r == nullptr) return 0;
  return all ? r->teLength : r->selEnd - r->selStart;
}

int32_t VMacTextView::LengthWithoutSelection() const { return GetTextLength(true) - GetTextLength(false); }

void VMacTextView::AdjustContentSize(bool) {
  VScrollContainer* container = fField;
  const bool wide = container->GetHorizontalBar() != nullptr && container->GetHorizontalBar()->IsShown();
  const int32_t width = wide ? 32767 : GetWidth();
  Tbx::TECalText(fRecord);
  const Tbx::TERec* r = Tbx::TEGetRecord(fRecord);
  if (r == nullptr) return;
  const int32_t lines = Tbx::TEGetHeight(r->nLines - 1, 0, fRecord) + 2;
  const int32_t height = std::clamp(lines, std::min(GetHeight(), 32767), 32767);
  if (width != GetContentWidth() || height != GetContentHeight()) SetContentSize(width, height, true, 0);
  if (IsShown()) Invalidate(1);
}

void VMacTextView::ScrollTo(int32_t x, int32_t y, bool notify, int32_t parameter) {
  VScrolledView::ScrollTo(x, y, notify, parameter);
  Tbx::TERec* r = Tbx::TEGetRecord(fRecord);
  if (r == nullptr) return;
  const Tbx::Rect old = r->destRect;
  PlaceRects();
  if (old.top != r->destRect.top || old.left != r->destRect.left || old.right != r->destRect.right)
    Tbx::TECalText(fRecord);
}

void VMacTextView::SetContentSize(int32_t width, int32_t height, bool notify, int32_t parameter) {
  VScrolledView::SetContentSize(width, height, notify, parameter);
  PlaceRects();
}

int32_t VMacTextView::GetVerticalLineStep(bool backwards) {
  const Tbx::TERec* r = Tbx::TEGetRecord(fRecord);
  if (r == nullptr) return 20;
  const Tbx::Point at{Short(r->viewRect.top + (backwards ? -5 : 5)), r->viewRect.left};
  const int32_t line = Tbx::TEGetLineOf(Tbx::TEGetOffset(at, fRecord), fRecord);
  const int32_t height = Tbx::TEGetHeight(line, line, fRecord);
  return height > 0 ? height : 20;
}

void VMacTextView::ShowSelection() {
  Tbx::TERec* r = Tbx::TEGetRecord(fRecord);
  if (r == nullptr) return;
  const int16_t top = r->destRect.top;
  Tbx::TEAutoView(true, fRecord);
  Tbx::TESelView(fRecord);
  Tbx::TEAutoView(false, fRecord);
  const int32_t moved = r->destRect.top - top;
  if (moved != 0) {
    r->destRect.top = top;
    r->destRect.bottom = kDestBottom;
    ScrollTo(GetScrollX(), GetScrollY() - moved, true, 0);
  }
}

// ---- Undo.

Tbx::Handle VMacTextView::WholeTextStyles() {
  Tbx::TERec* r = Tbx::TEGetRecord(fRecord);
  const int16_t start = r->selStart;
  const int16_t end = r->selEnd;
  r->selStart = 0;
  r->selEnd = r->teLength;
  const Tbx::Handle styles = Tbx::TEGetStyleScrapHandle(fRecord);
  r->selStart = start;
  r->selEnd = end;
  return styles;
}

Tbx::Handle VMacTextView::SelectionStyles() { return Tbx::TEGetStyleScrapHandle(fRecord); }

bool VMacTextView::BeginChange(bool styleOnly) {
  Tbx::TERec* r = Tbx::TEGetRecord(fRecord);
  if (r == nullptr || fUndoEnabled == 0) return false;
  if (fDepth == 0) {
    Dispose(fPendingText);
    Dispose(fPendingStyles);
    fPendingSel[0] = r->selStart;
    fPendingSel[1] = r->selEnd;
    if (!styleOnly) {
      fPendingStyles = WholeTextStyles();
      fPendingText = CopyHandle(r->hText);
    } else {
      fPendingStyles = SelectionStyles();
    }
    fStyleOnly = styleOnly ? 1 : 0;
  }
  ++fDepth;
  return fPendingStyles != 0;
}

void VMacTextView::EndChange(bool commit) {
  if (fUndoEnabled != 0 && fDepth == 1) {
    if (!commit) {
      Dispose(fPendingText);
      Dispose(fPendingStyles);
    } else {
      Dispose(fUndoStyles);
      fUndoStyles = fPendingStyles;
      fPendingStyles = 0;
      if (fStyleOnly == 0) {
        Dispose(fUndoText);
        fUndoText = fPendingText;
        fPendingText = 0;
      }
      fUndoSel[0] = fPendingSel[0];
      fUndoSel[1] = fPendingSel[1];
    }
    fRedone = 0;
  }
  if (fDepth > 0) --fDepth;
}

void VMacTextView::ForgetUndo() {
  Dispose(fUndoText);
  Dispose(fUndoStyles);
}

bool VMacTextView::CanUndo() const { return fUndoStyles != 0 && (fUndoText != 0 || fStyleOnly != 0); }

void VMacTextView::UndoRedo() {
  Tbx::TERec* r = Tbx::TEGetRecord(fRecord);
  if (r == nullptr || !CanUndo()) return;
  const int32_t before[2] = {r->selStart, r->selEnd};
  if (fStyleOnly == 0 && fUndoText != 0) {
    const Tbx::Handle styles = WholeTextStyles();
    const Tbx::Handle text = CopyHandle(r->hText);
    const int32_t length = Tbx::GetHandleSize(fUndoText);
    Tbx::TESetText(length > 0 ? Tbx::HLock(fUndoText) : nullptr, length, fRecord);
    if (length > 0) Tbx::HUnlock(fUndoText);
    Tbx::TEUseStyleScrap(0, 32767, fUndoStyles, false, fRecord);
    Dispose(fUndoText);
    Dispose(fUndoStyles);
    fUndoText = text;
    fUndoStyles = styles;
  } else {
    Tbx::TESetSelect(fUndoSel[0], fUndoSel[1], fRecord);
    const Tbx::Handle styles = SelectionStyles();
    Tbx::TEUseStyleScrap(fUndoSel[0], fUndoSel[1], fUndoStyles, false, fRecord);
    Dispose(fUndoStyles);
    fUndoStyles = styles;
  }
  fRedone = fRedone != 0 ? 0 : 1;
  if (fRedone == 0) {
    Tbx::TESetSelect(fPendingSel[0], fPendingSel[1], fRecord);
  } else {
    Tbx::TESetSelect(fUndoSel[0], fUndoSel[1], fRecord);
    fPendingSel[0] = before[0];
    fPendingSel[1] = before[1];
  }
}

// ---- Drawing.

void VMacTextView::DrawContent(VPort& port) {
  const int32_t w = GetWidth();
  const int32_t h = GetHeight();
  Tbx::TERec* r = Tbx::TEGetRecord(fRecord);
  if (r == nullptr || w <= 0 || h <= 0) return;
  if (IsShown() && (r->viewRect.right - r->viewRect.left != w - 3 || r->viewRect.bottom - r->viewRect.top != h - 3)) {
    PlaceRects();
    Tbx::TECalText(fRecord);
  }
  Tbx::CGrafPtr savedWorld = nullptr;
  Tbx::GDHandle savedDevice = 0;
  Tbx::GetGWorld(&savedWorld, &savedDevice);
  Tbx::GWorldPtr world = GetTextEditViewWorld();
  Tbx::Rect bounds{};
  if (world != nullptr && Tbx::GetGWorldBounds(world, &bounds) &&
      (bounds.right - bounds.left < w || bounds.bottom - bounds.top < h)) {
    SetTextEditViewWorld(nullptr);
    world = nullptr;
  }
  if (world == nullptr) {
    const Tbx::Rect size{0, 0, Short(h), Short(w)};
    if (Tbx::NewGWorld(&world, 0, &size) != Tbx::noErr) return;
    SetTextEditViewWorld(world);
  }
  HDC offscreen = Tbx::GetPortHDC(world);
  HDC target = port.GetCurrentDC();
  if (offscreen == nullptr || target == nullptr) return;
  const Tbx::GrafPtr savedPort = r->inPort;
  r->inPort = world;
  Tbx::SetGWorld(world, 0);
  HBRUSH brush = CreateSolidBrush(RGB(fBack.red >> 8, fBack.green >> 8, fBack.blue >> 8));
  HGDIOBJ oldBrush = SelectObject(offscreen, brush);
  PatBlt(offscreen, 0, 0, w, h, PATCOPY);
  SelectObject(offscreen, oldBrush);
  DeleteObject(brush);
  // A scroll not yet drawn moves the text first.
  r->destRect.top = Short(r->destRect.top - fPendingDy);
  r->destRect.left = Short(r->destRect.left - fPendingDx);
  r->destRect.right = Short(r->destRect.right - fPendingDx);
  fPendingDx = fPendingDy = 0;
  int32_t ox = 0;
  int32_t oy = 0;
  GetOrigin(ox, oy);
  auto shift = [&](int32_t dx, int32_t dy) {
    for (Tbx::Rect* rect : {&r->destRect, &r->viewRect, &r->selRect}) {
      rect->left = Short(rect->left + dx);
      rect->right = Short(rect->right + dx);
      rect->top = Short(rect->top + dy);
      if (rect != &r->destRect) rect->bottom = Short(rect->bottom + dy);
    }
  };
  shift(-ox, -oy);
  Tbx::TEUpdate(&r->viewRect, fRecord);
  BitBlt(target, port.GetOriginX(), port.GetOriginY(), w, h, offscreen, 0, 0, SRCCOPY);
  shift(ox, oy);
  r->inPort = savedPort;
  Tbx::SetGWorld(savedWorld, savedDevice);
}

// ---- Clicks, keys, focus.

bool VMacTextView::MouseDown(VEvent& event) {
  if (event.IsContextual()) {
    if (!fField->IsEnabled()) return false;
    fField->UpdateContextCommands();
    PopUpMenu(kFieldContextMenu, 0, event.GetX(), event.GetY(), 0);
    return true;
  }
  if (!IsShown() || !fField->IsEnabled() || !IsFocused()) return VScrolledView::MouseDown(event);
  Tbx::TERec* r = Tbx::TEGetRecord(fRecord);
  if (r == nullptr) return false;
  VPortSaver saved;
  Tbx::SetPort(r->inPort);
  int32_t ox = 0;
  int32_t oy = 0;
  GetOrigin(ox, oy);
  gClickView = this;
  Tbx::TESetClickLoop(&VMacTextView::ClickLoop, fRecord);
  Tbx::TEClick(Tbx::Point{Short(oy + event.GetY() - GetScrollY()), Short(ox + event.GetX() - GetScrollX())},
               VSystemServices::IsShiftDown(), fRecord);
  Tbx::TESetClickLoop(nullptr, fRecord);
  gClickView = nullptr;
  Invalidate(1);
  return true;
}

bool VMacTextView::ClickLoop(Tbx::TERec* record) {
  VMacTextView* view = gClickView;
  if (view == nullptr) return true;
  int32_t x = 0;
  int32_t y = 0;
  view->VFrame::GetMouseLocation(x, y);
  VScrollContainer* container = view->fField;
  const bool vertical = container->GetVerticalBar() != nullptr && container->GetVerticalBar()->IsShown();
  const bool horizontal = container->GetHorizontalBar() != nullptr && container->GetHorizontalBar()->IsShown();
  int32_t dx = 0;
  int32_t dy = 0;
  if (vertical && y >= view->GetHeight() &&
      view->GetScrollY() + view->GetHeight() < view->GetContentHeight()) {
    // Below the view the selection shrinks to its start as the text scrolls.
    record->selEnd = record->selStart;
    dy = view->GetVerticalLineStep(false);
  } else if (vertical && y < 0 && view->GetScrollY() > 0) {
    dy = -view->GetVerticalLineStep(true);
  }
  if (horizontal && x >= view->GetWidth()) dx = view->GetHorizontalLineStep(false);
  else if (horizontal && x < 0 && view->GetScrollX() > 0) dx = -view->GetHorizontalLineStep(true);
  if (dx != 0 || dy != 0) {
    view->ScrollTo(view->GetScrollX() + dx, view->GetScrollY() + dy, true, 0);
    container->Invalidate(2);
  }
  return true;
}

bool VMacTextView::TypeCharacter(char16_t character, int16_t keyCode) {
  // A key without a character: tab and return by their codes.
  if (character == 0 && (keyCode == kKeyTab || keyCode == kKeyReturn)) character = char16_t(keyCode);
  const auto byte = static_cast<uint8_t>(character < 256 ? character : 0);
  BeginChange(false);
  const bool taken = byte != 0 && VSystemServices::IsCharOfClass(byte, kCharClassPrintable);
  if (taken) {
    fExtendFromStart = fExtendDownward = 0;
    fField->SetModified(true);
    Tbx::TEKey(byte, fRecord);
  }
  EndChange(taken);
  return taken;
}

void VMacTextView::DeleteForward() {
  Tbx::TERec* r = Tbx::TEGetRecord(fRecord);
  fExtendFromStart = fExtendDownward = 0;
  fField->SetModified(true);
  if (r->selStart == r->selEnd) Tbx::TESetSelect(r->selStart, r->selStart + 1, fRecord);
  BeginChange(false);
  Tbx::TEDelete(fRecord);
  EndChange(true);
}

int32_t VMacTextView::HandleKey(VEvent& event) {
  const uint8_t flags = KeyFlagsOfEvent(event);
  if (!IsFocused() || !IsShown() || (flags & kKeyFlagCommand) != 0) return kKeyNotHandled;
  Tbx::TERec* r = Tbx::TEGetRecord(fRecord);
  if (r == nullptr) return kKeyNotHandled;
  VPortSaver saved;
  Tbx::SetPort(r->inPort);
  const bool extend = (flags & kKeyFlagExtend) != 0;
  const int16_t code = KeyCodeOfEvent(event);
  int32_t start = r->selStart;
  int32_t end = r->selEnd;
  switch (code) {
    case kKeyPageUp:
    case kKeyPageDown:
      return VScrolledView::HandleKey(event);
    case kKeyLeft:
      if (!extend) {
        fExtendFromStart = 0;
        if (start > 0) Tbx::TESetSelect(start - 1, start - 1, fRecord);
        break;
      }
      if (start == end) fExtendFromStart = 1;
      if (fExtendFromStart == 0 && fExtendDownward == 0) end = std::max(end - 1, start);
      else start = std::max(start - 1, 0);
      Tbx::TESetSelect(start, std::max(end, start), fRecord);
      break;
    case kKeyRight:
      if (!extend) {
        fExtendFromStart = 0;
        Tbx::TESetSelect(end + 1, end + 1, fRecord);
        break;
      }
      if (start == end) fExtendFromStart = 0;
      if (fExtendFromStart == 0 && fExtendDownward == 0) end = end + 1;
      else start = std::min(start + 1, end);
      Tbx::TESetSelect(start, end, fRecord);
      break;
    case kKeyUp:
    case kKeyDown: {
      const int16_t key = code == kKeyUp ? 30 : 31;
      if (!extend) {
        Tbx::TEKey(key, fRecord);
        fExtendDownward = 0;
        break;
      }
      // The moving end goes by a caret; the other stays.
      if (start == end) fExtendDownward = code == kKeyDown ? 1 : 0;
      const int32_t moving = fExtendDownward != 0 ? end : start;
      const int32_t fixed = fExtendDownward != 0 ? start : end;
      Tbx::TESetSelect(moving, moving, fRecord);
      Tbx::TEKey(key, fRecord);
      const int32_t moved = r->selStart;
      if ((fExtendDownward != 0 && moved < fixed) || (fExtendDownward == 0 && moved > fixed))
        fExtendDownward = fExtendDownward != 0 ? 0 : 1;
      Tbx::TESetSelect(std::min(moved, fixed), std::max(moved, fixed), fRecord);
      break;
    }
    case kKeyBackspace:
      fExtendFromStart = fExtendDownward = 0;
      fField->SetModified(true);
      BeginChange(false);
      Tbx::TEKey(8, fRecord);
      EndChange(true);
      break;
    case kKeyDelete:
      DeleteForward();
      break;
    default:
      if (LengthWithoutSelection() + 1 > kMacTextFieldMax) return kKeyNotHandled;
      if (!TypeCharacter(MacCharOfEvent(event), code)) {
        Tbx::SysBeep(0);
        return kKeyNotHandled;
      }
  }
  AdjustContentSize(true);
  ShowSelection();
  return kKeyHandled;
}

void VMacTextView::LoseFocus(VFrame* next) {
  if (IsShown() && IsFocused()) Tbx::TEDeactivate(fRecord);
  VScrolledView::LoseFocus(next);
}

void VMacTextView::TakeFocus() {
  if (IsShown()) Tbx::TEActivate(fRecord);
  VScrolledView::TakeFocus();
}

void VMacTextView::Activate(bool active) {
  Tbx::TERec* r = Tbx::TEGetRecord(fRecord);
  if (r != nullptr && IsFocused() && IsShown()) {
    if (!active) {
      Tbx::TEDeactivate(fRecord);
      fSavedSelStart = r->selStart;
      fSavedSelEnd = r->selEnd;
    } else {
      Tbx::TESetSelect(fSavedSelStart, fSavedSelEnd, fRecord);
      Tbx::TEActivate(fRecord);
    }
  }
  VScrolledView::Activate(active);
}

void VMacTextView::Idle(bool flag) {
  Tbx::TERec* r = Tbx::TEGetRecord(fRecord);
  if (r != nullptr && IsFocused() && IsShown()) {
    VPortSaver saved;
    Tbx::SetPort(r->inPort);
    Tbx::TEIdle(fRecord);
  }
  VScrolledView::Idle(flag);
}

bool VMacTextView::AcceptsScrapType(uint32_t type) { return type == kScrapTEXT; }

int32_t VMacTextView::UpdateEditCommands() {
  const Tbx::TERec* r = Tbx::TEGetRecord(fRecord);
  if (r == nullptr) return 0;
  int32_t bits = 16;
  if (r->teLength > 0) bits |= 32;
  if (!(r->selStart == 0 && r->selEnd == r->teLength)) bits |= 64;
  if (r->selEnd > r->selStart) bits |= 4 | 8;
  if (CanUndo()) bits |= 1 | 2;
  return bits;
}

void VMacTextView::EditCommand(int32_t code) {
  switch (code) {
    case 1:
    case 2:
      UndoRedo();
      fField->SetModified(true);
      AdjustContentSize(true);
      break;
    case 3:
      BeginChange(false);
      Tbx::TECut(fRecord);
      EndChange(true);
      AdjustContentSize(false);
      fField->SetModified(true);
      break;
    case 4:
      BeginChange(false);
      Tbx::TECopy(fRecord);
      EndChange(true);
      break;
    case 5: {
      const int32_t length = Tbx::GetScrap(0, kScrapTEXT, nullptr);
      if (length < 0 || length + LengthWithoutSelection() > kMacTextFieldMax) break;
      BeginChange(false);
      Tbx::TEStylePaste(fRecord);
      EndChange(true);
      Tbx::TECalText(fRecord);
      AdjustContentSize(false);
      fField->SetModified(true);
      break;
    }
    case 6:
      DeleteForward();
      break;
    case 7:
      Tbx::TESetSelect(0, 32767, fRecord);
      break;
    default:
      break;
  }
}

bool VMacTextView::NotifyParent(VFrame* sender, int32_t message, intptr_t parameter) {
  if (message >= 1 && message <= 7) {
    EditCommand(message);
    return true;
  }
  return VScrolledView::NotifyParent(sender, message, parameter);
}

// ---- The field.

VMacTextField::VMacTextField(VFrame* parent, bool verticalBar, bool horizontalBar)
    : VTextFieldBase(parent, verticalBar, horizontalBar) {
  fView = new VMacTextView(this);
  SetContentView(fView, true);
  SetOptionA(true);
  SetOptionB(true);
  SetModified(false);
}

VMacTextField::~VMacTextField() {
  if (!IsClosing() && fView != nullptr) SetContentView(nullptr, false);
  fView = nullptr;
}

VMacTextField* NewMacTextField(VFrame* parent, bool verticalBar, bool horizontalBar) {
  return new VMacTextField(parent, verticalBar, horizontalBar);
}

void VMacTextField::Redraw() {
  if (IsShown()) fView->Invalidate(1);
}

bool VMacTextField::SetText(const void* text, int32_t length, bool replaceAll) {
  length = std::max(length, 0);
  const int32_t result = replaceAll ? length : fView->LengthWithoutSelection() + length;
  if (result > kMacTextFieldMax) {
    Tbx::SysBeep(1);
    return false;
  }
  fView->BeginChange(false);
  Clear(replaceAll);
  if (length < 1 || text == nullptr) {
    SetDefaultFont(0);
  } else if (!replaceAll) {
    Tbx::TEInsert(text, length, fView->GetRecord());
  } else {
    Tbx::TESetText(text, length, fView->GetRecord());
    fView->ScrollTo(0, 0, true, 0);
  }
  fView->EndChange(true);
  fView->AdjustContentSize(false);
  SetModified(true);
  return true;
}

VMemHandle VMacTextField::GetTextHandle(bool all) {
  const Tbx::TERec* r = Tbx::TEGetRecord(fView->GetRecord());
  if (r == nullptr) return 0;
  const int32_t from = all ? 0 : r->selStart;
  const int32_t to = all ? r->teLength : r->selEnd;
  std::vector<uint8_t> bytes(size_t(std::max(to - from, 0)));
  if (!bytes.empty()) {
    std::memcpy(bytes.data(), static_cast<const uint8_t*>(Tbx::HLock(r->hText)) + from, bytes.size());
    Tbx::HUnlock(r->hText);
  }
  return gMemoryMgr->NewHandleFromData(bytes.data(), uint32_t(bytes.size()));
}

void VMacTextField::Clear(bool all) {
  fView->BeginChange(false);
  if (all) Tbx::TESetSelect(0, 32767, fView->GetRecord());
  Tbx::TEDelete(fView->GetRecord());
  if (all) fView->ScrollTo(0, 0, true, 0);
  fView->EndChange(true);
  Tbx::TECalText(fView->GetRecord());
  fView->AdjustContentSize(false);
  SetModified(true);
}

int32_t VMacTextField::GetTextLength(bool all) { return fView->GetTextLength(all); }

void VMacTextField::SetAlignment(int32_t index) {
  // Justified text is not offered: it stays as it is.
  static constexpr int16_t kJust[] = {Tbx::teFlushLeft, Tbx::teCenter, Tbx::teFlushRight};
  if (index < 0 || index > 2) return;
  fView->BeginChange(true);
  Tbx::TESetAlignment(kJust[index], fView->GetRecord());
  fView->EndChange(true);
  Redraw();
  SetModified(true);
}

namespace {
Tbx::TextStyle StyleWith(int16_t font, uint8_t face, int16_t size, const Tbx::RGBColor& color) {
  return Tbx::TextStyle{font, face, size, color};
}
}  // namespace

void VMacTextField::SetFontNumber(int32_t fontNumber) {
  int32_t current = 0;
  if (GetFontNumber(current) && current == fontNumber) return;
  fView->BeginChange(true);
  const Tbx::TextStyle style = StyleWith(int16_t(fontNumber), 0, 0, {0, 0, 0});
  Tbx::TESetStyle(Tbx::doFont, &style, true, fView->GetRecord());
  fView->EndChange(true);
  Tbx::TECalText(fView->GetRecord());
  fView->AdjustContentSize(false);
  if (IsShown()) fView->ShowSelection();
  Redraw();
  SetModified(true);
}

void VMacTextField::SetFontSize(int16_t size) {
  int16_t current = 0;
  if (GetFontSize(current) && current == size) return;
  fView->BeginChange(true);
  const Tbx::TextStyle style = StyleWith(0, 0, size, {0, 0, 0});
  Tbx::TESetStyle(Tbx::doSize, &style, true, fView->GetRecord());
  fView->EndChange(true);
  Tbx::TECalText(fView->GetRecord());
  fView->AdjustContentSize(false);
  if (IsShown()) fView->ShowSelection();
  Redraw();
  SetModified(true);
}

void VMacTextField::SetFace(uint8_t bit) {
  fView->BeginChange(true);
  const Tbx::TextStyle style = StyleWith(0, bit, 0, {0, 0, 0});
  Tbx::TESetStyle(Tbx::doFace | Tbx::doToggle, &style, true, fView->GetRecord());
  Tbx::TECalText(fView->GetRecord());
  fView->EndChange(true);
  fView->AdjustContentSize(false);
  if (IsShown()) fView->ShowSelection();
  Redraw();
}

void VMacTextField::SetFaceModified(uint8_t bit) {
  SetFace(bit);
  SetModified(true);
}

void VMacTextField::SetPlain() {
  const Tbx::TextStyle style = StyleWith(0, 0, 0, {0, 0, 0});
  Tbx::TESetStyle(Tbx::doFace, &style, true, fView->GetRecord());
  Redraw();
  SetModified(true);
}

void VMacTextField::SetBackColor(uint32_t color) { fView->SetBackColor(color); }

void VMacTextField::SetTextColor(uint32_t color) {
  uint32_t current = 0;
  if (GetColor(current) && current == color) return;
  fView->BeginChange(true);
  const Tbx::RGBColor rgb{uint16_t((color & 0xFF) * 257), uint16_t(((color >> 8) & 0xFF) * 257),
                          uint16_t(((color >> 16) & 0xFF) * 257)};
  const Tbx::TextStyle style = StyleWith(0, 0, 0, rgb);
  Tbx::TESetStyle(Tbx::doColor, &style, true, fView->GetRecord());
  fView->EndChange(true);
  if (IsShown()) fView->ShowSelection();
  Redraw();
  SetModified(true);
}

void VMacTextField::SetDefaultFont(int32_t kind) {
  fView->BeginChange(true);
  VTextFieldBase::SetDefaultFont(kind);
  fView->EndChange(true);
}

bool VMacTextField::GetFontNumber(int32_t& fontNumber) {
  int16_t mode = Tbx::doFont;
  Tbx::TextStyle style{};
  const bool whole = Tbx::TEContinuousStyle(&mode, &style, fView->GetRecord());
  fontNumber = style.tsFont;
  return whole;
}

bool VMacTextField::GetStyle(uint8_t& face) {
  int16_t mode = Tbx::doFace;
  Tbx::TextStyle style{};
  const bool whole = Tbx::TEContinuousStyle(&mode, &style, fView->GetRecord());
  face = style.tsFace;
  return whole;
}

bool VMacTextField::GetFontSize(int16_t& size) {
  int16_t mode = Tbx::doSize;
  Tbx::TextStyle style{};
  const bool whole = Tbx::TEContinuousStyle(&mode, &style, fView->GetRecord());
  size = style.tsSize < 1 ? 8 : style.tsSize;
  return whole;
}

bool VMacTextField::GetColor(uint32_t& color) {
  int16_t mode = Tbx::doColor;
  Tbx::TextStyle style{};
  const bool whole = Tbx::TEContinuousStyle(&mode, &style, fView->GetRecord());
  color = uint32_t(style.tsColor.red >> 8) | uint32_t(style.tsColor.green >> 8) << 8 |
          uint32_t(style.tsColor.blue >> 8) << 16;
  return whole;
}

bool VMacTextField::GetFontName(VString& out) {
  int32_t number = 0;
  const bool whole = GetFontNumber(number);
  VSystemServices::GetFontName(int16_t(number), out);
  return whole;
}

void VMacTextField::SetSelection(int32_t start, int32_t end) {
  Tbx::TERec* r = Tbx::TEGetRecord(fView->GetRecord());
  if (r == nullptr) return;
  start = std::max(start, 0);
  end = std::min<int32_t>(end, r->teLength);
  if (fView->IsFocused() && fView->IsShown()) {
    VPortSaver saved;
    Tbx::SetPort(r->inPort);
    Tbx::TESetSelect(start, end, fView->GetRecord());
  } else if (start <= end) {
    r->selStart = Short(std::min<int32_t>(start, r->teLength));
    r->selEnd = Short(end);
  }
}

void VMacTextField::GetSelection(int32_t& start, int32_t& end) {
  const Tbx::TERec* r = Tbx::TEGetRecord(fView->GetRecord());
  start = r != nullptr ? r->selStart : 0;
  end = r != nullptr ? r->selEnd : 0;
}

int32_t VMacTextField::FindText(int32_t from, const VString& what, bool select) {
  const int32_t n = what.GetLength();
  if (n >= 256) return -1;
  const Tbx::TERec* r = Tbx::TEGetRecord(fView->GetRecord());
  if (r == nullptr || r->teLength == 0) return -1;
  const auto* text = static_cast<const char*>(Tbx::HLock(r->hText));
  int32_t found = -1;
  VStr<256> candidate;
  for (int32_t at = std::max(from, 0); at + n <= r->teLength; ++at) {
    candidate.SetChars(text, at, n, kCharSetMac);
    if (candidate.Compare(what, false) == 0) {
      found = at;
      break;
    }
  }
  Tbx::HUnlock(r->hText);
  if (select && found >= 0) SetSelection(found, found + n);
  return found;
}

bool VMacTextField::ReplaceText(int32_t start, int32_t count, const VString& text) {
  VMacStrInHandle bytes(text);
  const int32_t n = bytes.GetLength();
  if (count == -1) count = n;
  const int32_t removed = start == -1 ? fView->GetTextLength(false) : std::max(count, 0);
  if (fView->GetTextLength(true) - removed + n > kMacTextFieldMax) return false;
  fView->BeginChange(false);
  if (start != -1) {
    PushSelection();
    Tbx::TESetSelect(start, start + count, fView->GetRecord());
  }
  Tbx::TEDelete(fView->GetRecord());
  if (n > 0) Tbx::TEInsert(bytes.GetBuffer(), n, fView->GetRecord());
  bytes.ReleaseBuffer();
  fView->EndChange(true);
  fView->AdjustContentSize(false);
  SetModified(true);
  if (start != -1) PopSelection();
  return true;
}

void VMacTextField::Undo() {
  fView->UndoRedo();
  fView->AdjustContentSize(true);
  SetModified(true);
}

bool VMacTextField::SetStyles(const void* scrap, int32_t length, bool replaceAll) {
  const auto* bytes = static_cast<const uint8_t*>(scrap);
  int16_t count = 0;
  // A scrap whose count does not fit its length is refused whole.
  if (bytes == nullptr || length < 2) return false;
  std::memcpy(&count, bytes, 2);
  if (count < 0 || 2 + int64_t(count) * 20 > length) return false;
  fView->BeginChange(true);
  const Tbx::TEHandle te = fView->GetRecord();
  Tbx::Handle h = replaceAll ? Tbx::NewHandle(length) : 0;
  if (h != 0) {
    std::memcpy(Tbx::HLock(h), bytes, size_t(length));
    Tbx::HUnlock(h);
    Tbx::TEUseStyleScrap(0, 32767, h, false, te);
    Tbx::DisposeHandle(h);
  } else {
    PushSelection();
    for (int16_t i = 0; i < count; ++i) {
      const uint8_t* e = bytes + 2 + size_t(i) * 20;
      int32_t from = 0;
      int32_t to = 32767;
      std::memcpy(&from, e, 4);
      if (i + 1 < count) std::memcpy(&to, e + 20, 4);
      Tbx::TextStyle style{};
      std::memcpy(&style.tsFont, e + 8, 2);
      style.tsFace = e[10];
      std::memcpy(&style.tsSize, e + 12, 2);
      std::memcpy(&style.tsColor, e + 14, 6);
      Tbx::TESetSelect(from, to, te);
      Tbx::TESetStyle(Tbx::doAll, &style, false, te);
    }
    PopSelection();
  }
  fView->EndChange(true);
  Tbx::TECalText(te);
  fView->AdjustContentSize(false);
  SetModified(true);
  return true;
}

VMemHandle VMacTextField::GetStyleData(bool) {
  const Tbx::Handle h = Tbx::TEGetStyleScrapHandle(fView->GetRecord());
  if (h == 0) return 0;
  const int32_t size = Tbx::GetHandleSize(h);
  const VMemHandle out = gMemoryMgr->NewHandleFromData(Tbx::HLock(h), uint32_t(std::max(size, 0)));
  Tbx::HUnlock(h);
  Tbx::DisposeHandle(h);
  return out;
}
