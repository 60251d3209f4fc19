// The rich-edit field: its control window, the messages behind each text
// operation, and the styled text as RTF or as the field's own record.
#include "controls/fields/VRichEditField.h"

#include <algorithm>
#include <cstring>

#include "controls/fields/TextFieldLayer.h"
#include "controls/text/VTextEditFrame.h"
#include "framework/core/containers/VStringArray.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/strings/VByteString.h"
#include "framework/core/intl/VIntlMgr.h"
#include "framework/core/streams/VHandleStream.h"
#include "framework/core/streams/VStream.h"
#include "framework/system/environment/VSystemServices.h"
#include "graphics/GraphicsGlobals.h"
#include "platform/gdi/WinGdi.h"
#include "platform/richedit/RichEditLibrary.h"
#include "platform/win32/WinClasses.h"
#include "platform/win32/WinLocale.h"
#include "platform/win32/WinPaint.h"
#include "platform/win32/WinWindowState.h"
#include "views/VEvent.h"

namespace {

constexpr int32_t kRichContextMenu = 540;
constexpr uint16_t kRecordTag = 0x7F7E;
constexpr uint16_t kFontTag = 0x7631;
constexpr size_t kMaxRun = 32767;
// Attribute codes of the own record.
enum : uint8_t { kAttrBold = 0, kAttrItalic = 1, kAttrUnderline = 4, kAttrFace = 7, kAttrSize = 8, kAttrColor = 9 };

int32_t Resolution() { return gScreenLogPixelsY > 0 ? gScreenLogPixelsY : 96; }
LONG PixelsToTwips(int32_t pixels) { return LONG(int64_t(pixels) * 1440 / Resolution()); }
int32_t TwipsToPixels(LONG twips) { return int32_t(int64_t(Resolution()) * twips / 1440); }

bool HasEffect(const CHARFORMAT2A& format, DWORD bit) { return (format.dwMask & bit) && (format.dwEffects & bit); }

std::string AnsiOf(const VString& text) {
  std::string out(size_t(text.GetLength()) * 2 + 1, '\0');
  out.resize(size_t(std::max(0, text.ConvertInto(out.data(), int32_t(out.size()), kCharSetAnsi))));
  return out;
}

// The stream callbacks of the control's RTF: the cookie is the stream.
DWORD StreamOutBytes(uintptr_t cookie, BYTE* buffer, LONG count, LONG* moved) {
  auto* stream = reinterpret_cast<VStream*>(cookie);
  stream->PutBytes(buffer, uint32_t(count));
  *moved = stream->GetStatus() == 0 ? count : 0;
  return 0;
}

DWORD StreamInBytes(uintptr_t cookie, BYTE* buffer, LONG count, LONG* moved) {
  auto* stream = reinterpret_cast<VStream*>(cookie);
  uint32_t length = uint32_t(count);
  stream->ReadData(buffer, length);
  *moved = LONG(length);
  return 0;
}

}  // namespace

bool ReadRichRecord(VStream& stream, const std::string& defaultFace, int32_t defaultSize, VRichRecord& out) {
  out = VRichRecord();
  uint8_t lead = 1;
  if (stream.ReadByte(lead) != 0 || lead != 0) return false;
  uint16_t tag = 0;
  uint32_t end = 0;
  uint32_t fontLength = 0;
  stream.ReadWord(tag);
  stream.ReadULong(end);
  stream.ReadULong(fontLength);
  const uint32_t fontStart = stream.GetPosition();
  stream.ReadWord(tag);
  if (stream.GetStatus() != 0) return false;
  VStringArray faces;
  if (faces.ReadFromStream(stream, 0) != 0) return false;
  const uint32_t size = stream.GetSize();
  if (uint64_t(fontStart) + fontLength > size || stream.SetPosition(fontStart + fontLength) != 0) return false;
  for (int32_t i = 1; i <= faces.Count(); ++i) {
    const VString* face = faces.GetAt(i);
    out.faces.push_back(face != nullptr ? AnsiOf(*face) : std::string());
  }
  end = std::min(end, size);

  VRichRecordRun current;
  current.face = defaultFace;
  current.sizePixels = defaultSize;
  // Reads one unit's two bytes; false at the record's end or an error.
  auto two = [&stream, end](uint8_t& a, uint8_t& b) {
    if (stream.GetPosition() + 2 > end) return false;
    return stream.ReadByte(a) == 0 && stream.ReadByte(b) == 0;
  };
  uint8_t first = 0, second = 0;
  while (two(first, second)) {
    if (second == 0) {
      // Attribute units, until a character unit or the end.
      for (;;) {
        uint8_t code = 0;
        uint32_t value = 0;
        if (stream.ReadByte(code) != 0 || stream.ReadULong(value) != 0) return true;
        switch (code) {
          case kAttrBold: current.bold = value != 0; break;
          case kAttrItalic: current.italic = value != 0; break;
          case kAttrUnderline: current.underline = value != 0 ? 1 : 0; break;
          case kAttrFace: current.face = value < out.faces.size() ? out.faces[value] : defaultFace; break;
          case kAttrSize: current.sizePixels = int32_t(std::min<uint32_t>(value, 4096)); break;
          case kAttrColor: current.color = value; break;
          default: break;
        }
        const uint32_t at = stream.GetPosition();
        if (!two(first, second)) return true;
        if (second != 0) {
          stream.SetPosition(at);
          break;
        }
      }
      continue;
    }
    // A run of characters in the current attributes.
    VRichRecordRun run = current;
    run.text.assign(1, char(second));
    for (;;) {
      const uint32_t at = stream.GetPosition();
      if (!two(first, second)) break;
      if (second == 0 || run.text.size() >= kMaxRun) {
        stream.SetPosition(at);
        break;
      }
      run.text += char(second);
    }
    out.runs.push_back(std::move(run));
  }
  return true;
}

// ---- Construction.

VRichEditField::VRichEditField(VFrame* owner, bool verticalBar, bool horizontalBar)
    : VTextFieldBase(owner, false, false), fFonts(std::make_unique<VStringArray>()) {
  fParentWindow = GetWindowHandle();
  DWORD style = DWORD(WS_CHILD | WS_VISIBLE | WS_DISABLED | WS_CLIPSIBLINGS | WS_TABSTOP | ES_SAVESEL | ES_MULTILINE);
  if (verticalBar) style |= DWORD(WS_VSCROLL | ES_AUTOVSCROLL);
  if (horizontalBar) style |= DWORD(WS_HSCROLL | ES_AUTOHSCROLL);
  int32_t x = 0, y = 0;
  GetOrigin(x, y);
  fWindow = CreateWindowExA(0, kRichEditClassName, "", style, x, y, GetWidth(), GetHeight(), fParentWindow, nullptr,
                            static_cast<HINSTANCE>(GetRichEditOwnerInstance()), nullptr);
  if (fWindow != nullptr) {
    SetWindowLongPtrA(fWindow, GWL_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SubclassWindow();
  }
}

VRichEditField::~VRichEditField() {
  if (fWindow != nullptr) DestroyWindow(fWindow);
}

void VRichEditField::SubclassWindow() {
  fPrevious = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(fWindow, GWL_WNDPROC));
  SetWindowLongPtrA(fWindow, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(&RichEditSubclassProc));
}

LRESULT VRichEditField::Send(UINT message, WPARAM wParam, LPARAM lParam) {
  return fWindow != nullptr ? SendMessageA(fWindow, message, wParam, lParam) : 0;
}

LRESULT VRichEditField::RichEditSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* field = reinterpret_cast<VRichEditField*>(GetWindowLongPtrA(window, GWL_USERDATA));
  if (field == nullptr || field->fPrevious == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  switch (message) {
    case WM_RBUTTONDOWN: {
      VEvent event;  // the current input state
      field->ContextClick(event);
      return 0;
    }
    case WM_ERASEBKGND: {
      RECT client{};
      GetClientRect(window, &client);
      if (wParam != 0) PatBlt(reinterpret_cast<HDC>(wParam), 0, 0, client.right, client.bottom, WHITENESS);
      return 1;
    }
    case WM_KEYDOWN:
    case WM_KEYUP:
      field->SetModified(true);
      break;
    case WM_MOUSEWHEEL: {
      const auto distance = int16_t((wParam >> 16) & 0xFFFF);
      const WPARAM step = distance < 0 ? SB_LINEDOWN : SB_LINEUP;
      CallWindowProcA(field->fPrevious, window, WM_VSCROLL, step, 0);
      return CallWindowProcA(field->fPrevious, window, message, step, 0);
    }
    default: break;
  }
  return CallWindowProcA(field->fPrevious, window, message, wParam, lParam);
}

// ---- Frame.

void VRichEditField::DrawContent(VPort&) {
  if (!IsShown() || fWindow == nullptr) return;
  int32_t x = 0, y = 0;
  GetOrigin(x, y);
  MoveWindow(fWindow, x, y, GetWidth(), GetHeight(), FALSE_);
  RECT rect{};
  Send(EM_GETRECT, 0, reinterpret_cast<LPARAM>(&rect));
  ::InvalidateRect(fWindow, &rect, FALSE_);
}

void VRichEditField::SetVisible(bool visible) {
  VTextFieldBase::SetVisible(visible);
  if (fWindow != nullptr) ShowWindow(fWindow, visible ? SW_SHOW : SW_HIDE);
}

bool VRichEditField::MouseDown(VEvent& event) {
  if (event.IsContextual()) return ContextClick(event);
  return VTextFieldBase::MouseDown(event);
}

bool VRichEditField::ContextClick(VEvent& event) {
  UpdateContextCommands();
  int32_t x = 0, y = 0;
  GetOrigin(x, y);
  PopUpMenu(kRichContextMenu, 0, event.GetX() - x, event.GetY() - y, 0);
  return true;
}

int32_t VRichEditField::HandleKey(VEvent& event) {
  if (KeyFlagsOfEvent(event) & kKeyFlagCommand) return kKeyNotHandled;
  const int16_t code = KeyCodeOfEvent(event);
  if ((code == 13 || code == 152) && fPrevious != nullptr) CallWindowProcA(fPrevious, fWindow, WM_KEYDOWN, 13, 13);
  return 0;
}

void VRichEditField::LoseFocus(VFrame* next) {
  VTextFieldBase::LoseFocus(next);
  if (fWindow != nullptr) EnableWindow(fWindow, FALSE_);
}

void VRichEditField::TakeFocus() {
  VTextFieldBase::TakeFocus();
  if (fWindow != nullptr) EnableWindow(fWindow, TRUE_);
}

bool VRichEditField::NotifyParent(VFrame* sender, int32_t message, intptr_t parameter) {
  VFrame* parent = GetParent();
  return parent != nullptr && parent->NotifyParent(sender, message, parameter);
}

void VRichEditField::Activate(bool active) { VTextFieldBase::Activate(active); }

bool VRichEditField::CanUndo() { return Send(EM_CANUNDO, 0, 0) != 0 || Send(EM_CANREDO, 0, 0) != 0; }

// ---- Text.

bool VRichEditField::SetText(const void* text, int32_t length, bool replaceAll) {
  // Macintosh text to Windows ANSI, zero-terminated.
  std::string ansi(size_t(std::max(0, length)) * 2 + 1, '\0');
  const auto* src = static_cast<const uint8_t*>(text);
  auto* dst = reinterpret_cast<uint8_t*>(ansi.data());
  if (text != nullptr && length > 0) VIntlMgr::MacToAnsiBytes(src, dst, dst + ansi.size() - 1, length);
  ansi.resize(size_t(dst - reinterpret_cast<uint8_t*>(ansi.data())));
  if (replaceAll) Send(EM_SETSEL, 0, -1);
  Send(EM_REPLACESEL, TRUE_, reinterpret_cast<LPARAM>(ansi.c_str()));
  return true;
}

int32_t VRichEditField::GetTextLength(bool all) {
  if (all) {
    GETTEXTLENGTHEX request{GTL_NUMCHARS, kCodePageUnicode};
    return int32_t(Send(EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&request), 0));
  }
  int32_t start = 0, end = 0;
  GetSelection(start, end);
  return end - start;
}

void VRichEditField::GetString(VString& out, bool all) {
  if (!all) {
    // The control answers the selection in Windows ANSI.
    std::string buffer(size_t(GetTextLength(false)) + 1, '\0');
    const auto n = Send(EM_GETSELTEXT, 0, reinterpret_cast<LPARAM>(buffer.data()));
    buffer.resize(size_t(std::max<LRESULT>(0, n)));
    out.SetCText(buffer.c_str(), kCharSetAnsi);
    return;
  }
  // With CR LF each paragraph end grows by one unit: the buffer is sized
  // for that, and the length is what the control wrote.
  GETTEXTLENGTHEX lengthRequest{GTL_NUMCHARS | GTL_USECRLF, kCodePageUnicode};
  const size_t units = size_t(std::max<LRESULT>(0, Send(EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&lengthRequest), 0)));
  std::u16string buffer(units + 1, u'\0');
  GETTEXTEX request{DWORD(buffer.size() * 2), GT_USECRLF, kCodePageUnicode, nullptr, nullptr};
  const auto n = Send(EM_GETTEXTEX, reinterpret_cast<WPARAM>(&request), reinterpret_cast<LPARAM>(buffer.data()));
  buffer.resize(size_t(std::max<LRESULT>(0, n)));
  out.SetUniCText(buffer.c_str());
}

VMemHandle VRichEditField::GetTextHandle(bool all) {
  const int32_t n = GetTextLength(all);
  VMemHandle handle = gMemoryMgr->NewHandle(uint32_t(std::max(1, 2 * n + 2)), 0);
  if (handle == 0) return 0;
  auto* bytes = static_cast<uint8_t*>(gMemoryMgr->LockHandle(handle));
  std::string ansi;
  if (all) {
    ansi.assign(size_t(2 * n + 2), '\0');
    GETTEXTEX request{DWORD(ansi.size()), GT_USECRLF, 0, nullptr, nullptr};
    ansi.resize(size_t(std::max<LRESULT>(0, Send(EM_GETTEXTEX, reinterpret_cast<WPARAM>(&request),
                                                  reinterpret_cast<LPARAM>(ansi.data())))));
  } else {
    ansi.assign(size_t(n) + 1, '\0');
    ansi.resize(size_t(std::max<LRESULT>(0, Send(EM_GETSELTEXT, 0, reinterpret_cast<LPARAM>(ansi.data())))));
  }
  // Windows ANSI to the Macintosh set.
  const auto* src = reinterpret_cast<const uint8_t*>(ansi.data());
  uint8_t* dst = bytes;
  VIntlMgr::AnsiToMacBytes(src, dst, bytes + 2 * n + 2, int32_t(ansi.size()));
  const uint32_t written = uint32_t(dst - bytes);
  gMemoryMgr->UnlockHandle(handle);
  gMemoryMgr->SetHandleSize(handle, written);
  // The content passes once through the control's RTF.
  VMemHandle scratch = 0;
  {
    VHandleStream stream(scratch);
    WriteStyledText(stream, 0, true);
    Send(EM_SETSEL, 0, -1);
    Send(EM_REPLACESEL, TRUE_, reinterpret_cast<LPARAM>(""));
    ReadStyledText(stream, 0, true);
  }
  if (scratch != 0) gMemoryMgr->DisposeHandle(scratch);
  return handle;
}

void VRichEditField::Clear(bool all) {
  if (all) Send(EM_SETSEL, 0, -1);
  Send(EM_REPLACESEL, TRUE_, reinterpret_cast<LPARAM>(""));
}

// ---- Formats.

void VRichEditField::SetCharFormat(const CHARFORMAT2A& format) {
  Send(EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
  SetModified(true);
}

CHARFORMAT2A VRichEditField::SelectionFormat() {
  CHARFORMAT2A format{};
  format.cbSize = sizeof format;
  Send(EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
  return format;
}

void VRichEditField::SetEffect(DWORD bit, bool on) {
  CHARFORMAT2A format{};
  format.cbSize = sizeof format;
  format.dwMask = bit;
  format.dwEffects = on ? bit : 0;
  SetCharFormat(format);
}

void VRichEditField::SetUnderline(bool on) {
  CHARFORMAT2A format{};
  format.cbSize = sizeof format;
  format.dwMask = CFM_UNDERLINETYPE;
  format.dwEffects = on ? CFE_UNDERLINE : 0;
  format.bUnderlineType = on ? 1 : 0;
  SetCharFormat(format);
}

void VRichEditField::SetAlignment(int32_t index) {
  static const uint16_t kAlignments[] = {PFA_LEFT, PFA_CENTER, PFA_RIGHT, PFA_JUSTIFY};
  if (index < 0 || index > 3) return;
  PARAFORMAT2 format{};
  format.cbSize = sizeof format;
  format.dwMask = PFM_ALIGNMENT;
  format.wAlignment = kAlignments[index];
  Send(EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&format));
}

void VRichEditField::SetFontNumber(int32_t fontNumber) {
  VAnsiStr<255> name;
  VSystemServices::GetFontName(int16_t(fontNumber), name);
  CHARFORMAT2A format{};
  format.cbSize = sizeof format;
  format.dwMask = CFM_FACE;
  name.GetCText(format.szFaceName, sizeof format.szFaceName, kCharSetAnsi);
  SetCharFormat(format);
}

void VRichEditField::SetFontSize(int16_t size) {
  CHARFORMAT2A format{};
  format.cbSize = sizeof format;
  format.dwMask = CFM_SIZE;
  format.yHeight = PixelsToTwips(size);
  SetCharFormat(format);
}

void VRichEditField::SetPlain() {
  CHARFORMAT2A format{};
  format.cbSize = sizeof format;
  SetCharFormat(format);
}

void VRichEditField::SetTextColor(uint32_t color) {
  CHARFORMAT2A format{};
  format.cbSize = sizeof format;
  format.dwMask = CFM_COLOR;
  format.crTextColor = color;
  SetCharFormat(format);
}

bool VRichEditField::GetFontName(VString& out) {
  const CHARFORMAT2A format = SelectionFormat();
  out.SetCText(format.szFaceName, kCharSetAnsi);
  return true;
}

bool VRichEditField::GetStyle(uint8_t& face) {
  const CHARFORMAT2A format = SelectionFormat();
  auto bit = [&format, &face](DWORD effect, uint8_t faceBit) {
    if (HasEffect(format, effect)) face |= faceBit;
  };
  bit(CFE_BOLD, kFaceBold);
  bit(CFE_ITALIC, kFaceItalic);
  bit(CFE_UNDERLINE, kFaceUnderline);
  bit(CFE_OUTLINE, kFaceOutline);
  bit(CFE_SHADOW, kFaceShadow);
  face &= uint8_t(~(kFaceCondense | kFaceExtend | 128));
  return false;
}

bool VRichEditField::GetFontSize(int16_t& size) {
  CHARFORMATA format{};
  format.cbSize = sizeof format;
  format.dwMask = CFM_SIZE;
  Send(EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
  size = int16_t(TwipsToPixels(format.yHeight));
  return true;
}

bool VRichEditField::GetColor(uint32_t& color) {
  color = SelectionFormat().crBackColor;
  return true;
}

// ---- Selection, find, undo.

void VRichEditField::SetSelection(int32_t start, int32_t end) {
  Send(EM_SETSEL, WPARAM(start), LPARAM(end == kFieldTextEnd ? -1 : end));
}

void VRichEditField::GetSelection(int32_t& start, int32_t& end) {
  CHARRANGE range{0, 0};
  Send(EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
  start = range.cpMin;
  end = range.cpMax;
}

void VRichEditField::ShowSelection() { Send(EM_HIDESELECTION, FALSE_, 0); }

int32_t VRichEditField::FindText(int32_t from, const VString& what, bool) {
  // The search runs from `from` to the text's end and answers where the
  // text is, as the base defines, or -1.
  std::u16string text(size_t(what.GetLength()) + 1, u'\0');
  what.GetUniCText(text.data(), int32_t(text.size()));
  FINDTEXTEXW find{{std::max(from, 0), -1}, text.c_str(), {0, 0}};
  return int32_t(Send(EM_FINDTEXTEXW, FR_DOWN, reinterpret_cast<LPARAM>(&find)));
}

bool VRichEditField::ReplaceText(int32_t, int32_t, const VString& text) {
  const std::string ansi = AnsiOf(text);
  Send(EM_REPLACESEL, TRUE_, reinterpret_cast<LPARAM>(ansi.c_str()));
  return true;
}

void VRichEditField::EmptyUndo() { Send(EM_EMPTYUNDOBUFFER, 0, 0); }
void VRichEditField::Redo() { Send(EM_REDO, 0, 0); }
void VRichEditField::Undo() { Send(EM_UNDO, 0, 0); }

bool VRichEditField::SetStyles(const void*, int32_t, bool) {
  Send(EM_SETSEL, 0, -1);
  CHARFORMAT2A format{};
  format.cbSize = sizeof format;
  format.dwMask = CFM_FACE;
  std::strcpy(format.szFaceName, "Modern");
  Send(EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
  return true;
}

VMemHandle VRichEditField::GetStyleData(bool) {
  Send(EM_SETSEL, 0, -1);
  return 0;
}

// ---- Styled text in streams.

void VRichEditField::CollectFontNames(VStringArray& names) {
  const int32_t n = GetTextLength(true);
  for (int32_t i = 0; i < n; ++i) {
    Send(EM_SETSEL, WPARAM(i), LPARAM(i + 1));
    const CHARFORMAT2A format = SelectionFormat();
    VStr<63> face;
    face.SetCText(format.szFaceName, kCharSetAnsi);
    if (names.Find(face) <= 0) names.AppendObject(static_cast<VString*>(face.Clone()), false);
  }
}

int32_t VRichEditField::FontIndex(const VString& name) {
  const int32_t found = fFonts->Find(name);
  if (found > 0) return found - 1;
  fFonts->AppendObject(static_cast<VString*>(name.Clone()), false);
  return fFonts->Count() - 1;
}

bool VRichEditField::WriteStyledText(VStream& stream, int32_t, bool rtf) {
  stream.OpenWrite();
  if (rtf) {
    EDITSTREAM edit{reinterpret_cast<uintptr_t>(&stream), 0, &StreamOutBytes};
    Send(EM_STREAMOUT, SF_RTF, reinterpret_cast<LPARAM>(&edit));
    stream.CloseWrite(1);
    return true;
  }
  SetVisible(false);
  const int32_t n = GetTextLength(true);
  if (n == 0) {
    SetVisible(true);
    stream.CloseWrite(1);
    return true;
  }
  stream.PutByte(0);
  stream.PutWord(int16_t(kRecordTag));
  const uint32_t header = stream.GetPosition();
  stream.PutLong(0);
  stream.PutLong(0);
  const uint32_t fontStart = stream.GetPosition();
  stream.PutWord(int16_t(kFontTag));
  fFonts = std::make_unique<VStringArray>();
  CollectFontNames(*fFonts);
  fFonts->WriteToStream(stream, 0);
  const uint32_t fontLength = stream.GetPosition() - fontStart;

  CHARFORMAT2A previous{};
  std::strcpy(previous.szFaceName, "0");
  auto put = [&stream](uint8_t code, uint32_t value) {
    stream.PutWord(0);
    stream.PutByte(code);
    stream.PutLong(int32_t(value));
  };
  for (int32_t i = 0; i < n; ++i) {
    Send(EM_SETSEL, WPARAM(i), LPARAM(i + 1));
    char character[2] = {0, 0};
    Send(EM_GETSELTEXT, 0, reinterpret_cast<LPARAM>(character));
    const CHARFORMAT2A format = SelectionFormat();
    if (HasEffect(format, CFE_BOLD) != HasEffect(previous, CFE_BOLD)) put(kAttrBold, HasEffect(format, CFE_BOLD) ? 1 : 0);
    if (HasEffect(format, CFE_ITALIC) != HasEffect(previous, CFE_ITALIC))
      put(kAttrItalic, HasEffect(format, CFE_ITALIC) ? 2 : 0);
    if (HasEffect(format, CFE_UNDERLINE) != HasEffect(previous, CFE_UNDERLINE))
      put(kAttrUnderline, HasEffect(format, CFE_UNDERLINE) ? 1 : 0);
    if (std::strncmp(format.szFaceName, previous.szFaceName, sizeof format.szFaceName) != 0) {
      VStr<63> face;
      face.SetCText(format.szFaceName, kCharSetAnsi);
      put(kAttrFace, uint32_t(FontIndex(face)));
    }
    if (format.yHeight != previous.yHeight) put(kAttrSize, uint32_t(TwipsToPixels(format.yHeight)));
    if (format.crTextColor != previous.crTextColor) put(kAttrColor, format.crTextColor);
    stream.PutByte(0);
    stream.PutByte(uint8_t(character[0]));
    previous = format;
  }
  const uint32_t end = stream.GetPosition();
  stream.SetPosition(header);
  stream.PutLong(int32_t(end));
  stream.PutLong(int32_t(fontLength));
  stream.SetPosition(end);
  SetVisible(true);
  const bool written = stream.GetStatus() == 0;
  stream.CloseWrite(1);
  return written;
}

bool VRichEditField::ReadStyledText(VStream& stream, int32_t, bool rtf) {
  stream.OpenRead();
  if (rtf) {
    EDITSTREAM edit{reinterpret_cast<uintptr_t>(&stream), 0, &StreamInBytes};
    const LRESULT read = Send(EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&edit));
    stream.CloseRead();
    return read > 0 || GetTextLength(true) == 0;
  }
  VRichRecord record;
  const bool read = ReadRichRecord(stream, "MS Sans Serif", TwipsToPixels(160), record);
  stream.CloseRead();
  if (!read) return false;
  LONG end = 0;
  for (const VRichRecordRun& run : record.runs) {
    const LONG next = end + LONG(run.text.size());
    Send(EM_SETSEL, WPARAM(end), LPARAM(next));
    Send(EM_REPLACESEL, TRUE_, reinterpret_cast<LPARAM>(run.text.c_str()));
    Send(EM_SETSEL, WPARAM(end), LPARAM(next));
    CHARFORMAT2A format{};
    format.cbSize = sizeof format;
    format.dwEffects = (run.bold ? CFE_BOLD : 0) | (run.italic ? CFE_ITALIC : 0) | (run.underline ? CFE_UNDERLINE : 0);
    format.bUnderlineType = run.underline;
    std::snprintf(format.szFaceName, sizeof format.szFaceName, "%s", run.face.c_str());
    format.yHeight = PixelsToTwips(run.sizePixels);
    format.crTextColor = run.color;
    for (DWORD mask : {CFM_BOLD, CFM_ITALIC, CFM_UNDERLINETYPE, CFM_FACE, CFM_SIZE, CFM_COLOR}) {
      format.dwMask = mask;
      Send(EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    }
    end = next;
  }
  return true;
}
