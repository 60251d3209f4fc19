// The rich-edit control library's attach and detach, and the control's
// window procedure: each window of the class keeps a RichEditText, answers
// the control's messages through it, types keys, places the caret where it
// is clicked, scrolls by lines and draws its text, lines broken at the
// client width.
#include "platform/richedit/RichEditLibrary.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/gdi/WinGdi.h"
#include "platform/richedit/RichEdit.h"
#include "platform/richedit/RichEditText.h"
#include "platform/win32/WinClasses.h"
#include "platform/win32/WinInput.h"
#include "platform/win32/WinLocale.h"
#include "platform/win32/WinMessages.h"
#include "platform/win32/WinPaint.h"

namespace {

constexpr int VK_END = 0x23;
constexpr int VK_HOME = 0x24;
constexpr int VK_LEFT = 0x25;
constexpr int VK_RIGHT = 0x27;
constexpr int VK_DELETE = 0x2E;
// What a stream-in takes at most.
constexpr size_t kMaxStreamIn = 64u << 20;

struct Control {
  RichEditText text;
  bool hideSelection = false;
  LONG scrollTop = 0;  // pixels of text above the client area
};

// One line of the laid-out text: characters [start, end), the top of the
// line in text pixels, its height and ascent, the left of each character.
struct Line {
  LONG start = 0;
  LONG end = 0;
  LONG top = 0;
  LONG height = 0;
  LONG ascent = 0;
  std::vector<LONG> lefts;  // one more than the characters: the right end
};

std::map<HWND, std::unique_ptr<Control>>& Controls() {
  static std::map<HWND, std::unique_ptr<Control>> controls;
  return controls;
}

Control* ControlOf(HWND window) {
  auto& controls = Controls();
  auto it = controls.find(window);
  if (it == controls.end()) it = controls.emplace(window, std::make_unique<Control>()).first;
  return it->second.get();
}

HFONT MakeFont(HDC dc, const RichFormat& format) {
  LOGFONTA font{};
  const int resolution = std::max(1, GetDeviceCaps(dc, LOGPIXELSY));
  font.lfHeight = -LONG(int64_t(format.height) * resolution / 1440);
  font.lfWeight = format.effects & CFE_BOLD ? FW_BOLD : 400;
  font.lfItalic = format.effects & CFE_ITALIC ? 1 : 0;
  font.lfUnderline = format.effects & CFE_UNDERLINE ? 1 : 0;
  std::snprintf(font.lfFaceName, sizeof font.lfFaceName, "%s", format.face.c_str());
  return CreateFontIndirectA(&font);
}

// Lays out the text in lines no wider than `width`, broken after the last
// space that fits (or before the character that does not fit when a word
// is wider than the line) and after each paragraph end.
std::vector<Line> Layout(HDC dc, const RichEditText& text, LONG width) {
  std::vector<Line> lines;
  const std::string& t = text.Text();
  const LONG length = text.Length();
  // Widths and metrics by format, measured once per format and character.
  std::map<const RichFormat*, std::pair<HFONT, TEXTMETRICA>> fonts;
  std::map<std::pair<const RichFormat*, char>, LONG> widths;
  auto fontOf = [&](const RichFormat& f) -> std::pair<HFONT, TEXTMETRICA>& {
    auto it = fonts.find(&f);
    if (it == fonts.end()) {
      HFONT font = MakeFont(dc, f);
      HGDIOBJ old = SelectObject(dc, font);
      TEXTMETRICA metrics{};
      GetTextMetricsA(dc, &metrics);
      SelectObject(dc, old);
      it = fonts.emplace(&f, std::make_pair(font, metrics)).first;
    }
    return it->second;
  };
  auto widthOf = [&](const RichFormat& f, char c) {
    auto key = std::make_pair(&f, c);
    auto it = widths.find(key);
    if (it != widths.end()) return it->second;
    HGDIOBJ old = SelectObject(dc, fontOf(f).first);
    SIZE size{};
    if (c != '\r') GetTextExtentPoint32A(dc, c == '\t' ? " " : &c, 1, &size);
    SelectObject(dc, old);
    const LONG w = c == '\t' ? size.cx * 4 : size.cx;
    widths.emplace(key, w);
    return w;
  };
  LONG top = 0;
  LONG at = 0;
  for (;;) {
    Line line;
    line.start = at;
    line.top = top;
    line.lefts.push_back(0);
    LONG x = 0;
    LONG lastSpace = -1;
    while (at < length) {
      const char c = t[size_t(at)];
      const LONG w = widthOf(text.FormatAt(at), c);
      if (c != '\r' && x + w > width && at > line.start) {
        if (lastSpace >= 0) {
          line.lefts.resize(size_t(lastSpace + 1 - line.start + 1));
          at = lastSpace + 1;
        }
        break;
      }
      x += w;
      line.lefts.push_back(x);
      ++at;
      if (c == ' ') lastSpace = at - 1;
      if (c == '\r') break;
    }
    line.end = at;
    for (LONG i = line.start; i < std::max(line.end, line.start + 1); ++i) {
      const TEXTMETRICA& m = fontOf(text.FormatAt(i)).second;
      line.height = std::max(line.height, LONG(m.tmHeight));
      line.ascent = std::max(line.ascent, LONG(m.tmAscent));
    }
    top += line.height;
    lines.push_back(std::move(line));
    if (at >= length) break;
  }
  // The empty paragraph after a last paragraph end has a line of its own.
  if (length > 0 && t.back() == '\r') {
    Line last{length, length, top, lines.back().height, lines.back().ascent, {0}};
    lines.push_back(std::move(last));
  }
  for (auto& entry : fonts) DeleteObject(entry.second.first);
  return lines;
}

// The left of a line as its paragraph's alignment places it.
LONG LineLeft(const RichEditText& text, const Line& line, LONG width) {
  const LONG used = line.lefts.back();
  switch (text.AlignmentAt(line.start)) {
    case PFA_CENTER: return std::max<LONG>(0, (width - used) / 2);
    case PFA_RIGHT: return std::max<LONG>(0, width - used);
    default: return 0;
  }
}

void Paint(HWND window, Control& control) {
  PAINTSTRUCT paint{};
  HDC dc = BeginPaint(window, &paint);
  RECT client{};
  GetClientRect(window, &client);
  PatBlt(dc, 0, 0, client.right, client.bottom, WHITENESS);
  const RichEditText& text = control.text;
  const std::vector<Line> lines = Layout(dc, text, client.right);
  LONG selStart = 0, selEnd = 0;
  text.GetSelection(selStart, selEnd);
  SetBkMode(dc, TRANSPARENT);
  for (const Line& line : lines) {
    const LONG y = line.top - control.scrollTop;
    if (y + line.height < 0 || y > client.bottom) continue;
    const LONG left = LineLeft(text, line, client.right);
    LONG i = line.start;
    while (i < line.end) {
      const RichFormat& format = text.FormatAt(i);
      LONG j = i;
      while (j < line.end && text.FormatAt(j) == format) ++j;
      std::string piece = text.Text().substr(size_t(i), size_t(j - i));
      for (char& c : piece) {
        if (c == '\r' || c == '\t') c = ' ';
      }
      HFONT font = MakeFont(dc, format);
      HGDIOBJ old = SelectObject(dc, font);
      TEXTMETRICA metrics{};
      GetTextMetricsA(dc, &metrics);
      SetTextColor(dc, format.color);
      TextOutA(dc, left + line.lefts[size_t(i - line.start)], y + line.ascent - metrics.tmAscent, piece.data(),
               int(piece.size()));
      SelectObject(dc, old);
      DeleteObject(font);
      i = j;
    }
    if (control.hideSelection) continue;
    // The selection inverted; a caret as a line one pixel wide.
    const LONG from = std::max(selStart, line.start);
    const LONG to = std::min(selEnd, line.end);
    if (from < to) {
      RECT box{left + line.lefts[size_t(from - line.start)], y, left + line.lefts[size_t(to - line.start)],
               y + line.height};
      InvertRect(dc, &box);
    } else if (selStart == selEnd && selStart >= line.start &&
               (selStart < line.end || (selStart == line.end && (line.end == text.Length() || line.start == line.end)))) {
      const LONG x = left + line.lefts[size_t(std::min<LONG>(selStart - line.start, LONG(line.lefts.size()) - 1))];
      RECT caret{x, y, x + 1, y + line.height};
      InvertRect(dc, &caret);
    }
  }
  EndPaint(window, &paint);
}

// The character nearest a point of the client area.
LONG HitTest(HWND window, Control& control, LONG x, LONG y) {
  RECT client{};
  GetClientRect(window, &client);
  HDC dc = GetDC(window);
  const std::vector<Line> lines = Layout(dc, control.text, client.right);
  ReleaseDC(window, dc);
  y += control.scrollTop;
  const Line* hit = &lines.back();
  for (const Line& line : lines) {
    if (y < line.top + line.height) {
      hit = &line;
      break;
    }
  }
  const LONG left = LineLeft(control.text, *hit, client.right);
  LONG position = hit->start;
  for (size_t i = 0; i + 1 < hit->lefts.size(); ++i) {
    const LONG middle = left + (hit->lefts[i] + hit->lefts[i + 1]) / 2;
    if (x < middle) break;
    position = hit->start + LONG(i) + 1;
  }
  // A click past a line broken by its paragraph end stays before that end.
  if (position == hit->end && position > hit->start && control.text.Text()[size_t(position - 1)] == '\r') --position;
  return position;
}

LONG LineHeight(HWND window, Control& control) {
  HDC dc = GetDC(window);
  HFONT font = MakeFont(dc, control.text.FormatAt(0));
  HGDIOBJ old = SelectObject(dc, font);
  TEXTMETRICA metrics{};
  GetTextMetricsA(dc, &metrics);
  SelectObject(dc, old);
  DeleteObject(font);
  ReleaseDC(window, dc);
  return std::max<LONG>(1, metrics.tmHeight);
}

std::string TextOut(const RichEditText& text, bool crlf) {
  if (!crlf) return text.Text();
  std::string out;
  out.reserve(text.Text().size());
  for (char c : text.Text()) {
    out += c;
    if (c == '\r') out += '\n';
  }
  return out;
}

LRESULT GetTextEx(const RichEditText& text, const GETTEXTEX* request, void* buffer) {
  if (request == nullptr || buffer == nullptr || request->cb == 0) return 0;
  const std::string ansi = TextOut(text, (request->flags & GT_USECRLF) != 0);
  if (request->codepage == kCodePageUnicode) {
    const size_t room = request->cb / 2;
    if (room == 0) return 0;
    const size_t n = std::min(ansi.size(), room - 1);
    auto* out = static_cast<char16_t*>(buffer);
    for (size_t i = 0; i < n; ++i) out[i] = char16_t(WinAnsiToUnicode(uint8_t(ansi[i])));
    out[n] = 0;
    return LRESULT(n);
  }
  const size_t n = std::min<size_t>(ansi.size(), request->cb - 1);
  std::memcpy(buffer, ansi.data(), n);
  static_cast<char*>(buffer)[n] = 0;
  return LRESULT(n);
}

LRESULT StreamOut(const RichEditText& text, WPARAM format, EDITSTREAM* stream) {
  if (stream == nullptr || stream->pfnCallback == nullptr) return 0;
  const std::string bytes = (format & SF_RTF) ? text.WriteRtf() : TextOut(text, true);
  size_t at = 0;
  stream->dwError = 0;
  while (at < bytes.size()) {
    std::string chunk = bytes.substr(at, 4096);
    LONG moved = 0;
    stream->dwError = stream->pfnCallback(stream->dwCookie, reinterpret_cast<BYTE*>(chunk.data()),
                                          LONG(chunk.size()), &moved);
    if (stream->dwError != 0 || moved <= 0) break;
    at += size_t(std::min<LONG>(moved, LONG(chunk.size())));
  }
  return LRESULT(at);
}

LRESULT StreamIn(RichEditText& text, WPARAM format, EDITSTREAM* stream) {
  if (stream == nullptr || stream->pfnCallback == nullptr) return 0;
  std::string bytes;
  stream->dwError = 0;
  BYTE buffer[4096];
  while (bytes.size() < kMaxStreamIn) {
    LONG moved = 0;
    stream->dwError = stream->pfnCallback(stream->dwCookie, buffer, LONG(sizeof buffer), &moved);
    if (stream->dwError != 0 || moved <= 0) break;
    bytes.append(reinterpret_cast<const char*>(buffer), size_t(std::min<LONG>(moved, LONG(sizeof buffer))));
  }
  if (format & SF_RTF) {
    if (!text.ReadRtf(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size())) return 0;
    return text.Length();
  }
  std::string plain;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\n' && i > 0 && bytes[i - 1] == '\r') continue;
    if (bytes[i] == 0) continue;
    plain += bytes[i] == '\n' ? '\r' : bytes[i];
  }
  text.SetSelection(0, -1);
  text.ReplaceSelection(plain, true);
  return LRESULT(plain.size());
}

LRESULT Key(HWND window, Control& control, WPARAM key) {
  RichEditText& text = control.text;
  LONG start = 0, end = 0;
  text.GetSelection(start, end);
  switch (key) {
    case VK_LEFT: text.SetSelection(start == end ? std::max<LONG>(0, start - 1) : start, start == end ? std::max<LONG>(0, start - 1) : start); break;
    case VK_RIGHT: text.SetSelection(start == end ? end + 1 : end, start == end ? end + 1 : end); break;
    case VK_HOME: text.SetSelection(0, 0); break;
    case VK_END: text.SetSelection(text.Length(), text.Length()); break;
    case VK_DELETE:
      if (start == end) text.SetSelection(start, start + 1);
      text.ReplaceSelection("", true);
      break;
    case VK_RETURN: text.ReplaceSelection("\r", true); break;
    default: return 0;
  }
  InvalidateRect(window, nullptr, FALSE_);
  return 0;
}

LRESULT Character(HWND window, Control& control, WPARAM character) {
  RichEditText& text = control.text;
  const auto c = char(character & 0xFF);
  if (c == '\r' || c == '\n') return 0;  // paragraphs come with the Return key
  if (c == '\b') {
    LONG start = 0, end = 0;
    text.GetSelection(start, end);
    if (start == end && start == 0) return 0;
    if (start == end) text.SetSelection(start - 1, start);
  } else if (uint8_t(c) < 0x20 && c != '\t') {
    return 0;
  }
  text.ReplaceSelection(c == '\b' ? std::string() : std::string(1, c), true);
  InvalidateRect(window, nullptr, FALSE_);
  return 0;
}

}  // namespace

void AttachRichEditLibrary() {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = &RichEditWindowProc;
  windowClass.lpszClassName = kRichEditClassName;
  RegisterClassA(&windowClass);
}

void DetachRichEditLibrary() { UnregisterClassA(kRichEditClassName, nullptr); }

LRESULT RichEditWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCDESTROY) {
    Controls().erase(window);
    return DefWindowProcA(window, message, wParam, lParam);
  }
  Control& control = *ControlOf(window);
  RichEditText& text = control.text;
  switch (message) {
    case EM_SETSEL:
      text.SetSelection(LONG(wParam), LONG(lParam));
      InvalidateRect(window, nullptr, FALSE_);
      return 0;
    case EM_GETSEL: {
      LONG start = 0, end = 0;
      text.GetSelection(start, end);
      if (wParam != 0) *reinterpret_cast<DWORD*>(wParam) = DWORD(start);
      if (lParam != 0) *reinterpret_cast<DWORD*>(lParam) = DWORD(end);
      return LRESULT((start & 0xFFFF) | (end << 16));
    }
    case EM_EXGETSEL:
      if (auto* range = reinterpret_cast<CHARRANGE*>(lParam)) text.GetSelection(range->cpMin, range->cpMax);
      return 0;
    case EM_REPLACESEL:
      text.ReplaceSelection(lParam != 0 ? reinterpret_cast<const char*>(lParam) : "", wParam != 0);
      InvalidateRect(window, nullptr, FALSE_);
      return 0;
    case EM_GETSELTEXT: {
      LONG start = 0, end = 0;
      text.GetSelection(start, end);
      if (lParam == 0) return 0;
      auto* out = reinterpret_cast<char*>(lParam);
      std::memcpy(out, text.Text().data() + start, size_t(end - start));
      out[end - start] = 0;
      return end - start;
    }
    case EM_GETCHARFORMAT: {
      auto* format = reinterpret_cast<CHARFORMAT2A*>(lParam);
      if (format == nullptr || (format->cbSize != sizeof(CHARFORMATA) && format->cbSize != sizeof(CHARFORMAT2A)))
        return 0;
      text.GetCharFormat(*format);
      return LRESULT(format->dwMask);
    }
    case EM_SETCHARFORMAT: {
      const auto* given = reinterpret_cast<const CHARFORMATA*>(lParam);
      if (given == nullptr || (given->cbSize != sizeof(CHARFORMATA) && given->cbSize != sizeof(CHARFORMAT2A)))
        return 0;
      CHARFORMAT2A format{};
      std::memcpy(&format, given, given->cbSize);
      text.SetCharFormat(format);
      InvalidateRect(window, nullptr, FALSE_);
      return 1;
    }
    case EM_SETPARAFORMAT: {
      const auto* format = reinterpret_cast<const PARAFORMAT2*>(lParam);
      if (format == nullptr) return 0;
      if (format->dwMask & PFM_ALIGNMENT) text.SetAlignment(format->wAlignment);
      InvalidateRect(window, nullptr, FALSE_);
      return 1;
    }
    case EM_GETTEXTEX: return GetTextEx(text, reinterpret_cast<const GETTEXTEX*>(wParam), reinterpret_cast<void*>(lParam));
    case EM_GETTEXTLENGTHEX: {
      const auto* request = reinterpret_cast<const GETTEXTLENGTHEX*>(wParam);
      const bool crlf = request != nullptr && (request->flags & GTL_USECRLF) != 0;
      return LRESULT(crlf ? TextOut(text, true).size() : text.Text().size());
    }
    case EM_HIDESELECTION:
      control.hideSelection = wParam != 0;
      InvalidateRect(window, nullptr, FALSE_);
      return 0;
    case EM_FINDTEXTEXW: {
      auto* find = reinterpret_cast<FINDTEXTEXW*>(lParam);
      if (find == nullptr || find->lpstrText == nullptr) return -1;
      const LONG at = text.Find(find->chrg.cpMin, find->chrg.cpMax, find->lpstrText, (wParam & FR_MATCHCASE) != 0);
      find->chrgText = {at, at < 0 ? -1 : at + LONG(std::char_traits<char16_t>::length(find->lpstrText))};
      return at;
    }
    case EM_CANUNDO: return text.CanUndo() ? 1 : 0;
    case EM_CANREDO: return text.CanRedo() ? 1 : 0;
    case EM_UNDO:
      if (!text.CanUndo()) return 0;
      text.Undo();
      InvalidateRect(window, nullptr, FALSE_);
      return 1;
    case EM_REDO:
      if (!text.CanRedo()) return 0;
      text.Redo();
      InvalidateRect(window, nullptr, FALSE_);
      return 1;
    case EM_EMPTYUNDOBUFFER: text.EmptyUndo(); return 0;
    case EM_STREAMOUT: return StreamOut(text, wParam, reinterpret_cast<EDITSTREAM*>(lParam));
    case EM_STREAMIN: {
      const LRESULT read = StreamIn(text, wParam, reinterpret_cast<EDITSTREAM*>(lParam));
      InvalidateRect(window, nullptr, FALSE_);
      return read;
    }
    case EM_GETRECT:
      if (lParam != 0) GetClientRect(window, reinterpret_cast<RECT*>(lParam));
      return 0;
    case WM_KEYDOWN: return Key(window, control, wParam);
    case WM_CHAR: return Character(window, control, wParam);
    case WM_LBUTTONDOWN: {
      const LONG at = HitTest(window, control, LONG(int16_t(lParam & 0xFFFF)), LONG(int16_t((lParam >> 16) & 0xFFFF)));
      text.SetSelection(at, at);
      InvalidateRect(window, nullptr, FALSE_);
      return 0;
    }
    case WM_VSCROLL: {
      const LONG step = LineHeight(window, control);
      if ((wParam & 0xFFFF) == SB_LINEDOWN) control.scrollTop += step;
      if ((wParam & 0xFFFF) == SB_LINEUP) control.scrollTop = std::max<LONG>(0, control.scrollTop - step);
      InvalidateRect(window, nullptr, FALSE_);
      return 0;
    }
    case WM_ERASEBKGND:
      if (wParam != 0) {
        RECT client{};
        GetClientRect(window, &client);
        PatBlt(reinterpret_cast<HDC>(wParam), 0, 0, client.right, client.bottom, WHITENESS);
      }
      return 1;
    case WM_PAINT: Paint(window, control); return 0;
    default: return DefWindowProcA(window, message, wParam, lParam);
  }
}

LONG RichEditScrollTop(HWND window) {
  auto& controls = Controls();
  auto it = controls.find(window);
  return it == controls.end() ? 0 : it->second->scrollTop;
}
