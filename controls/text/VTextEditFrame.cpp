// The text-edit frame: a TextEdit record kept in the frame's window
// coordinates, drawn double-buffered through the one shared offscreen
// world, edited by keys (with the extend bit), clicks and edit messages.
#include "controls/text/VTextEditFrame.h"

#include <algorithm>
#include <vector>

#include "controls/controls/VControl.h"
#include "framework/core/filters/VEntryFilter.h"
#include "framework/core/strings/VUniString.h"
#include "framework/system/environment/VSystemServices.h"
#include "graphics/VLookPainter.h"
#include "graphics/VPort.h"
#include "platform/gdi/WinGdi.h"
#include "platform/toolbox/TbxWindows.h"
#include "views/VCommand.h"
#include "views/VEvent.h"
#include "views/VShortcut.h"

namespace {

Tbx::GWorldPtr gSharedTextWorld = nullptr;

constexpr uint32_t kScrapText = FourCC("TEXT");

// The current port saved and put back.
class SavedTextEditPort {
 public:
  SavedTextEditPort() { Tbx::GetPort(&fSaved); }
  ~SavedTextEditPort() { Tbx::SetPort(fSaved); }
  SavedTextEditPort(const SavedTextEditPort&) = delete;
  SavedTextEditPort& operator=(const SavedTextEditPort&) = delete;

 private:
  Tbx::GrafPtr fSaved = nullptr;
};

int16_t ClampToShort(int32_t v) { return static_cast<int16_t>(std::clamp<int32_t>(v, -32768, 32767)); }

Tbx::Rect TbxRectOf(int32_t x, int32_t y, int32_t w, int32_t h) {
  return Tbx::Rect{ClampToShort(y), ClampToShort(x), ClampToShort(y + h), ClampToShort(x + w)};
}

void OffsetTbxRect(Tbx::Rect& r, int32_t dx, int32_t dy) {
  r.left = ClampToShort(r.left + dx);
  r.right = ClampToShort(r.right + dx);
  r.top = ClampToShort(r.top + dy);
  r.bottom = ClampToShort(r.bottom + dy);
}

}  // namespace

// ---- Key events.

int16_t KeyCodeOfEvent(const VEvent& event) {
  if (event.HasHostRecord()) {
    VHostEventRecord record{};
    event.GetHostRecord(record);
    return VShortcut(record).GetKeyCode();
  }
  return static_cast<int16_t>(event.GetKeyWord());
}

uint8_t KeyFlagsOfEvent(const VEvent& event) {
  return static_cast<uint8_t>((event.IsCommand() ? kKeyFlagCommand : 0) |
                              (event.IsShift() ? kKeyFlagExtend : 0));
}

char16_t MacCharOfEvent(const VEvent& event) {
  char16_t c = event.GetCharacter();
  if (c == 0) {
    // An event made without a character: a key code below 128 is the
    // character itself.
    const uint16_t word = event.GetKeyWord();
    return word < 128 ? word : 0;
  }
  if (c < 128) return c;
  VStr<4> text;
  text.SetUniChar(c);
  char byte = 0;
  if (text.ConvertInto(&byte, 1, kCharSetMac) != 1) return 0;
  return static_cast<char16_t>(static_cast<uint8_t>(byte));
}

// ---- Construction.

VTextEditFrame::VTextEditFrame(VFrame* parent, const int32_t* rect) : VFrame(parent, rect) {
  SetCursorId(1);
  SavedTextEditPort saved;
  Tbx::SetPort(WindowPort());
  // The look's font 5; the system font at 8 points when the look gives none.
  VStr<80> name;
  int16_t points = 8;
  uint8_t isBold = 0;
  uint8_t isItalic = 0;
  bool found = false;
  if (VLookPainter* painter = GetLookPainter()) {
    HDC dc = CreateCompatibleDC(nullptr);
    found = painter->GetFont(dc, 5, name, points, isBold, isItalic);
    DeleteDC(dc);
  }
  if (!found) {
    name.SetCText("MS Sans Serif", kCharSetMac);
    points = 8;
    isBold = isItalic = 0;
  }
  uint8_t pascal[256];
  name.GetPText(pascal, 255, kCharSetMac);
  int16_t family = 0;
  Tbx::GetFNum(pascal, &family);
  const auto scaled = static_cast<int16_t>(static_cast<int32_t>((points + 0.5) * 4));
  const Tbx::TextStyle style{family,
                             static_cast<uint8_t>((isBold != 0 ? Tbx::bold : 0) |
                                                  (isItalic != 0 ? Tbx::italic : 0)),
                             static_cast<int16_t>(scaled / 3),
                             {0, 0, 0}};
  if (rect == nullptr) VFrame::ResizeTo(5, 5, 1);
  int32_t ox = 0;
  int32_t oy = 0;
  GetOrigin(ox, oy);
  const Tbx::Rect r = TbxRectOf(ox, oy, GetWidth(), GetHeight());
  fRecord = Tbx::TENew(&r, &r);
  // One line: only a return breaks it.
  if (Tbx::TERec* record = Tbx::TEGetRecord(fRecord)) record->crOnly = -1;
  Tbx::TECalText(fRecord);
  Tbx::TESetSelect(0, 0, fRecord);
  Tbx::TESetStyle(Tbx::doAll, &style, false, fRecord);
  Tbx::TEDeactivate(fRecord);
}

VTextEditFrame::~VTextEditFrame() {
  if (fOwnsFilter != 0) delete fFilter;
  fFilter = nullptr;
  Tbx::TEDispose(fRecord);
}

Tbx::GrafPtr VTextEditFrame::WindowPort() { return static_cast<Tbx::GrafPtr>(GetWindowPort()); }

Tbx::GWorldPtr VTextEditFrame::GetSharedWorld() { return gSharedTextWorld; }

void VTextEditFrame::DisposeSharedWorld() {
  if (gSharedTextWorld != nullptr) Tbx::DisposeGWorld(gSharedTextWorld);
  gSharedTextWorld = nullptr;
}

VFrame* VTextEditFrame::Clone(VFrame* newParent, int32_t word) {
  auto* copy = new VTextEditFrame(newParent, nullptr);
  copy->CopyFrom(newParent, *this, word);
  return copy;
}

// ---- Place and size.

void VTextEditFrame::OffsetRects(int32_t dx, int32_t dy) {
  Tbx::TERec* r = Tbx::TEGetRecord(fRecord);
  if (r == nullptr) return;
  OffsetTbxRect(r->destRect, dx, dy);
  OffsetTbxRect(r->viewRect, dx, dy);
  OffsetTbxRect(r->selRect, dx, dy);
}

void VTextEditFrame::MoveTo(int32_t x, int32_t y, int16_t mode) {
  VFrame::MoveTo(x, y, mode);
  Tbx::TERec* r = Tbx::TEGetRecord(fRecord);
  if (r == nullptr) return;
  int32_t ox = 0;
  int32_t oy = 0;
  GetOrigin(ox, oy);
  const int32_t dx = ox - r->destRect.left;
  const int32_t dy = oy - r->destRect.top;
  OffsetTbxRect(r->destRect, dx, dy);
  OffsetTbxRect(r->viewRect, dx, dy);
  Tbx::TECalText(fRecord);
}

void VTextEditFrame::ResizeTo(int32_t width, int32_t height, int16_t mode) {
  VFrame::ResizeTo(width, height, mode);
  Tbx::TERec* r = Tbx::TEGetRecord(fRecord);
  if (r == nullptr) return;
  r->destRect.right = r->viewRect.right = ClampToShort(r->destRect.left + width);
  r->destRect.bottom = r->viewRect.bottom = ClampToShort(r->destRect.top + height);
  Tbx::TECalText(fRecord);
}

// ---- Text.

void VTextEditFrame::SetText(const VString* text) {
  Tbx::TESetSelect(0, Tbx::teMaxLength, fRecord);
  Tbx::TEDelete(fRecord);
  if (text != nullptr && text->GetLength() > 0) {
    // Cut where TextEdit's 16-bit lengths end.
    const int32_t count = std::min(text->GetLength(), Tbx::teMaxLength);
    std::vector<char> bytes(static_cast<size_t>(count) * 2 + 100);
    const int32_t n =
        text->ConvertInto(bytes.data(), std::min<int32_t>(count, Tbx::teMaxLength), kCharSetMac);
    Tbx::TEInsert(bytes.data(), n, fRecord);
    Tbx::TESetSelect(0, 0, fRecord);
  }
  Invalidate(1);
}

void VTextEditFrame::GetText(VString& text) const {
  text.SetEmpty(false);
  Tbx::TERec* r = Tbx::TEGetRecord(fRecord);
  if (r == nullptr || r->teLength == 0) return;
  const auto* bytes = static_cast<const char*>(Tbx::HLock(r->hText));
  text.SetChars(bytes, 0, r->teLength, kCharSetMac);
  Tbx::HUnlock(r->hText);
}

void VTextEditFrame::SetValueText(const VString& text) {
  if (fFilter != nullptr) {
    fFilter->SetFieldValue(text, *this);
  } else {
    SetText(&text);
  }
}

void VTextEditFrame::GetValueText(VString& text) {
  if (fFilter != nullptr) {
    fFilter->GetFieldValue(*this, text);
  } else {
    GetText(text);
  }
}

void VTextEditFrame::GetSelection(int32_t& start, int32_t& end) const {
  const Tbx::TERec* r = Tbx::TEGetRecord(fRecord);
  start = r != nullptr ? r->selStart : 0;
  end = r != nullptr ? r->selEnd : 0;
}

int32_t VTextEditFrame::GetSelStart() const {
  int32_t start = 0;
  int32_t end = 0;
  GetSelection(start, end);
  return start;
}

int32_t VTextEditFrame::GetTextLength() const {
  const Tbx::TERec* r = Tbx::TEGetRecord(fRecord);
  return r != nullptr ? r->teLength : 0;
}

void VTextEditFrame::SetSelection(int32_t start, int32_t end) {
  if (!CanEdit()) return;
  Tbx::TESetSelect(start, end, fRecord);
  Invalidate(2);
}

void VTextEditFrame::SelectAll() { SetSelection(0, GetTextLength()); }

void VTextEditFrame::SetAlignment(int16_t alignment) {
  const int16_t just = alignment == 1 ? Tbx::teCenter : alignment == 2 ? Tbx::teFlushRight
                                                                         : Tbx::teFlushLeft;
  Tbx::TESetAlignment(just, fRecord);
  if (IsShown()) Invalidate(1);
}

void VTextEditFrame::SetFilter(VEntryFilter* filter, bool owns) {
  if (fOwnsFilter != 0 && fFilter != filter) delete fFilter;
  fFilter = filter;
  fOwnsFilter = owns ? 1 : 0;
}

// ---- Drawing.

void VTextEditFrame::DrawContent(VPort& port) {
  const int32_t w = GetWidth();
  const int32_t h = GetHeight();
  if (w <= 0 || h <= 0) return;
  Tbx::Rect bounds{};
  if (gSharedTextWorld != nullptr && Tbx::GetGWorldBounds(gSharedTextWorld, &bounds) &&
      (bounds.right - bounds.left < w || bounds.bottom - bounds.top < h)) {
    DisposeSharedWorld();
  }
  if (gSharedTextWorld == nullptr) {
    const Tbx::Rect size = TbxRectOf(0, 0, w, h);
    if (Tbx::NewGWorld(&gSharedTextWorld, 0, &size) != Tbx::noErr) {
      gSharedTextWorld = nullptr;
      return;
    }
  }
  Tbx::TERec* r = Tbx::TEGetRecord(fRecord);
  if (r == nullptr) return;
  HDC world = Tbx::GetPortHDC(gSharedTextWorld);
  HDC target = port.GetCurrentDC();
  if (world == nullptr || target == nullptr) return;
  Tbx::CGrafPtr savedWorld = nullptr;
  Tbx::GDHandle savedDevice = 0;
  Tbx::GetGWorld(&savedWorld, &savedDevice);
  const Tbx::GrafPtr savedPort = r->inPort;
  r->inPort = gSharedTextWorld;
  Tbx::SetGWorld(gSharedTextWorld, 0);
  PatBlt(world, 0, 0, w, h, WHITENESS);
  int32_t ox = 0;
  int32_t oy = 0;
  GetOrigin(ox, oy);
  OffsetRects(-ox, -oy);
  Tbx::TEUpdate(&r->viewRect, fRecord);
  // The port's origin is this frame's top-left in the target's coordinates.
  BitBlt(target, port.GetOriginX(), port.GetOriginY(), w, h, world, 0, 0, SRCCOPY);
  OffsetRects(ox, oy);
  r->inPort = savedPort;
  Tbx::SetGWorld(savedWorld, savedDevice);
}

void VTextEditFrame::InvalidateRect(int32_t x, int32_t y, int32_t width, int32_t height,
                                    int16_t mode) {
  Tbx::TERec* r = Tbx::TEGetRecord(fRecord);
  HDC dc = r != nullptr && r->inPort != nullptr ? Tbx::GetPortHDC(r->inPort) : nullptr;
  HWND window = GetWindowHandle();
  if (mode != 2 || !CanEdit() || dc == nullptr || window == nullptr) {
    VFrame::InvalidateRect(x, y, width, height, mode);
    return;
  }
  // Drawn at once into the window, then taken out of its update region.
  SavedTextEditPort saved;
  Tbx::SetPort(r->inPort);
  int32_t ox = 0;
  int32_t oy = 0;
  GetOrigin(ox, oy);
  const RECT box{ox + x, oy + y, ox + x + width, oy + y + height};
  PatBlt(dc, box.left, box.top, width, height, WHITENESS);
  const Tbx::Rect update = TbxRectOf(box.left, box.top, width, height);
  Tbx::TEUpdate(&update, fRecord);
  InvalidateWindowRect(window, box, true);
}

// ---- Focus and activity.

void VTextEditFrame::TakeFocus() {
  if (!IsShown()) return;
  Tbx::TEActivate(fRecord);
  // The owner is the focus target; the frame only edits inside it.
  SetFocusedFlag(true);
}

void VTextEditFrame::LoseFocus(VFrame*) {
  if (!IsShown() || !IsFocused()) return;
  Tbx::TEDeactivate(fRecord);
  SetFocusedFlag(false);
}

void VTextEditFrame::Activate(bool active) {
  if (!CanEdit()) return;
  if (active) {
    Tbx::TEActivate(fRecord);
  } else {
    Tbx::TEDeactivate(fRecord);
  }
}

void VTextEditFrame::Idle(bool) {
  if (CanEdit()) Tbx::TEIdle(fRecord);
}

// ---- Mouse and keys.

bool VTextEditFrame::MouseDown(VEvent& event) {
  if (fFilter != nullptr) return FilterClick(*fFilter, event, *this);
  return ClickPlain(event);
}

bool VTextEditFrame::ClickPlain(VEvent& event) {
  if (!CanEdit()) return true;
  int32_t ox = 0;
  int32_t oy = 0;
  GetOrigin(ox, oy);
  const Tbx::Point p{ClampToShort(event.GetY() + oy), ClampToShort(event.GetX() + ox)};
  Tbx::TEClick(p, VSystemServices::IsShiftDown(), fRecord);
  Invalidate(2);
  return true;
}

int32_t VTextEditFrame::HandleKey(VEvent& event) {
  if (fFilter != nullptr) return FilterHandleKey(*fFilter, event, *this);
  return HandleKeyPlain(event);
}

int32_t VTextEditFrame::HandleKeyPlain(VEvent& event) {
  return HandleKeyParts(KeyCodeOfEvent(event), KeyFlagsOfEvent(event), MacCharOfEvent(event));
}

int32_t VTextEditFrame::HandleKeyParts(int16_t keyCode, uint8_t modifiers, char16_t character) {
  if ((modifiers & kKeyFlagCommand) != 0 || !CanEdit()) return kKeyNotHandled;
  Tbx::TERec* r = Tbx::TEGetRecord(fRecord);
  if (r == nullptr) return kKeyNotHandled;
  const bool extend = (modifiers & kKeyFlagExtend) != 0;
  const int32_t lengthBefore = r->teLength;
  bool handled = true;
  bool changed = false;
  int32_t start = r->selStart;
  int32_t end = r->selEnd;
  switch (keyCode) {
    case kKeyTab:
    case kKeyUp:
    case kKeyDown:
    case kKeyEnter: handled = false; break;
    case kKeyReturn:
      handled = fAcceptsReturn != 0;
      if (handled) {
        Tbx::TEKey(13, fRecord);
        changed = true;
      }
      break;
    case kKeyLeft:
      if (!extend) {
        fExtendAtStart = 0;
        if (start > 0) Tbx::TESetSelect(start - 1, start - 1, fRecord);
        break;
      }
      if (start == end) fExtendAtStart = 1;
      if (fExtendAtStart != 0) {
        start = std::max(start - 1, 0);
      } else {
        end = std::max(end - 1, start);
      }
      Tbx::TESetSelect(start, end, fRecord);
      break;
    case kKeyRight:
      if (!extend) {
        fExtendAtStart = 0;
        Tbx::TESetSelect(end + 1, end + 1, fRecord);
        break;
      }
      if (start == end) fExtendAtStart = 0;
      if (fExtendAtStart == 0) {
        end = end + 1;
      } else {
        start = std::min(start + 1, end);
      }
      Tbx::TESetSelect(start, end, fRecord);
      break;
    case kKeyDelete:
      // At the end of the text there is nothing after the caret to delete.
      if (start == end) {
        if (end >= r->teLength) break;
        Tbx::TESetSelect(start + 1, start + 1, fRecord);
      }
      [[fallthrough]];
    case kKeyBackspace:
      fExtendAtStart = 0;
      Tbx::TEKey(8, fRecord);
      changed = r->teLength != lengthBefore;
      break;
    default: {
      const auto byte = static_cast<uint8_t>(character);
      handled = character != 0 && character < 256 &&
                VSystemServices::IsCharOfClass(byte, kCharClassPrintable);
      if (handled) {
        Tbx::TEKey(byte, fRecord);
        fExtendAtStart = 0;
        changed = true;
      }
      break;
    }
  }
  if (!handled) return kKeyNotHandled;
  if (changed) fChanged = 1;
  Invalidate(2);
  return kKeyHandled;
}

// ---- Edit messages.

bool VTextEditFrame::NotifyParent(VFrame* sender, int32_t message, intptr_t parameter) {
  if (message < kEditRevert || message > kEditSelectAll) {
    return fParent != nullptr && fParent->NotifyParent(sender, message, parameter);
  }
  switch (message) {
    case kEditRevert: {
      VStr<255> value;
      if (fParent != nullptr && fParent->IsControl()) {
        if (VCommand* c = static_cast<VControl*>(fParent)->GetCommand()) c->CopyValue(value);
      }
      SetValueText(value);
      fChanged = 0;
      break;
    }
    case kEditCut:
      Tbx::TECut(fRecord);
      fChanged = 1;
      break;
    case kEditCopy: Tbx::TECopy(fRecord); break;
    case kEditPaste:
      Tbx::TEPaste(fRecord);
      fChanged = 1;
      break;
    case kEditClear: {
      int32_t start = 0;
      int32_t end = 0;
      GetSelection(start, end);
      if (start == end) Tbx::TESetSelect(0, Tbx::teMaxLength, fRecord);
      Tbx::TEDelete(fRecord);
      fChanged = 1;
      break;
    }
    case kEditSelectAll: Tbx::TESetSelect(0, Tbx::teMaxLength, fRecord); break;
    default: break;
  }
  Invalidate(2);
  return true;
}

int32_t VTextEditFrame::UpdateEditCommands() {
  int32_t start = 0;
  int32_t end = 0;
  GetSelection(start, end);
  const int32_t length = GetTextLength();
  int32_t mask = 0;
  if (length == 0) {
    mask = 1 << (kEditPaste - 1);
  } else {
    mask = (1 << (kEditPaste - 1)) | (1 << (kEditClear - 1));
    if (start >= 1 || end < length) mask |= 1 << (kEditSelectAll - 1);
    if (start != end) mask |= (1 << (kEditCut - 1)) | (1 << (kEditCopy - 1));
  }
  if (fChanged != 0) mask |= 1 << (kEditRevert - 1);
  return mask;
}

bool VTextEditFrame::AcceptsScrapType(uint32_t type) { return type == kScrapText; }

// ---- The filter's drive.

int32_t FilterHandleKey(VEntryFilter& filter, VEvent& event, VTextEditFrame& frame) {
  const int16_t code = KeyCodeOfEvent(event);
  const uint8_t flags = KeyFlagsOfEvent(event);
  int32_t start = 0;
  int32_t end = 0;
  frame.GetSelection(start, end);
  const VString* mask = filter.GetTemplate();
  if (mask == nullptr || mask->GetLength() == 0) {
    switch (code) {
      case kKeyTab:
      case kKeyReturn:
      case kKeyLeft:
      case kKeyRight:
      case kKeyUp:
      case kKeyDown:
      case kKeyBackspace:
      case kKeyDelete:
      case kKeyEnter: return frame.HandleKeyPlain(event);
      default: break;
    }
    char16_t c = MacCharOfEvent(event);
    if (!filter.AcceptsChar(&c, start)) return kKeyNotHandled;
    return frame.HandleKeyParts(code, flags, c);
  }
  // With a mask the caret moves from one editable position to the next and
  // deleting puts the placeholder back.
  switch (code) {
    case kKeyTab:
    case kKeyReturn:
    case kKeyUp:
    case kKeyDown:
    case kKeyEnter: return frame.HandleKeyPlain(event);
    case kKeyLeft: {
      int32_t p = start - 1;
      filter.PreviousEditablePosition(p);
      if (p < 0) return kKeyNoPositionLeft;
      frame.SetSelection(p, p + 1);
      return kKeyHandled;
    }
    case kKeyRight: {
      int32_t p = start + 1;
      filter.NextEditablePosition(p);
      if (p < 0) return kKeyNoPositionRight;
      frame.SetSelection(p, p + 1);
      return kKeyHandled;
    }
    case kKeyBackspace:
      frame.SetSelection(start, start + 1);
      return frame.HandleKeyParts(0, flags, kFilterPlaceholder);
    case kKeyDelete: {
      int32_t p = start + 1;
      filter.NextEditablePosition(p);
      if (p < 0) return kKeyNotHandled;
      frame.SetSelection(p, p + 1);
      return frame.HandleKeyParts(0, flags, kFilterPlaceholder);
    }
    default: break;
  }
  char16_t c = MacCharOfEvent(event);
  if (!filter.AcceptsChar(&c, start)) return kKeyNotHandled;
  if (frame.HandleKeyParts(code, flags, c) != kKeyHandled) return kKeyNotHandled;
  int32_t p = start + 1;
  filter.NextEditablePosition(p);
  if (p < 0) return kKeyNoPositionRight;
  frame.SetSelection(p, p + 1);
  return kKeyHandled;
}

bool FilterClick(VEntryFilter& filter, VEvent& event, VTextEditFrame& frame) {
  frame.ClickPlain(event);
  const VString* mask = filter.GetTemplate();
  if (mask == nullptr || mask->GetLength() == 0) return true;
  int32_t p = frame.GetSelStart() - 1;
  filter.NextEditablePosition(p);
  frame.SetSelection(p, p + 1);
  return true;
}
