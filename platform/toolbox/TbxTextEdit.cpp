// TextEdit of the emulation library: text, selection and style runs in a
// locked record, broken into lines, measured and drawn with GDI run by run;
// and the offscreen worlds that double-buffer its drawing.
#include "platform/toolbox/TbxTextEdit.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/gdi/WinGdi.h"
#include "platform/toolbox/TbxScrap.h"
#include "platform/toolbox/TbxTextStyles.h"
#include "platform/toolbox/TbxWindows.h"
#include "platform/win32/WinInput.h"
#include "platform/win32/WinTime.h"

namespace Tbx {

namespace {

constexpr ResType kScrapText = 0x54455854;   // 'TEXT'
constexpr ResType kScrapStyles = 0x7374796C;  // 'styl'

std::mutex gTextEditMutex;
std::vector<TEHandle> gTextEditRecords;
bool gCaretBlinks = true;

struct GWorldRecord {
  GrafPtr port;
  HDC dc;
  HBITMAP bitmap;
  HGDIOBJ savedBitmap;
  Rect bounds;
};
std::vector<GWorldRecord> gOffscreenWorlds;

// What a record keeps beside its block: the runs, the style typed at a
// caret, and the lines.
struct TextEditLayout {
  TextEditRuns runs;
  bool caretStyleSet = false;
  TextEditStyle caretStyle;
  std::vector<int32_t> lineStarts{0, 0};  // one more than the lines: the text's length last
  std::vector<int32_t> lineTops{0, 0};    // from the destination's top, one more than the lines
  std::vector<int16_t> lineAscents{0};
};
std::map<TEHandle, std::unique_ptr<TextEditLayout>> gLayouts;

TextEditLayout& LayoutOf(TEHandle te) {
  std::lock_guard<std::mutex> lock(gTextEditMutex);
  return *gLayouts.at(te);
}

uint32_t TextEditTicks() { return static_cast<uint32_t>(GetTickCount64() * 60 / 1000); }

const uint8_t* RecordText(const TERec& r) {
  return r.hText != 0 && r.teLength > 0 ? static_cast<const uint8_t*>(HLock(r.hText)) : nullptr;
}
void ReleaseRecordText(const TERec& r) {
  if (r.hText != 0 && r.teLength > 0) HUnlock(r.hText);
}

// The record's text locked for as long as the guard lives.
class LockedText {
 public:
  explicit LockedText(const TERec& r) : fRecord(r), fText(RecordText(r)) {}
  ~LockedText() { ReleaseRecordText(fRecord); }
  LockedText(const LockedText&) = delete;
  LockedText& operator=(const LockedText&) = delete;
  const uint8_t* Get() const { return fText; }
  uint8_t At(int32_t i) const { return fText[i]; }

 private:
  const TERec& fRecord;
  const uint8_t* fText;
};

TextEditStyle StyleOf(const TextStyle& s) { return TextEditStyle{s.tsFont, s.tsFace, s.tsSize, s.tsColor}; }
TextStyle ToolboxStyle(const TextEditStyle& s) { return TextStyle{s.font, s.face, s.size, s.color}; }

// A style's font selected into a context for as long as the guard lives.
class TextEditFontInContext {
 public:
  TextEditFontInContext(HDC dc, const TextEditStyle& s) : fDC(dc) {
    if (dc == nullptr) return;
    LOGFONTA lf;
    std::memset(&lf, 0, sizeof lf);
    lf.lfHeight = -std::max<int16_t>(s.size, 1);
    lf.lfWeight = (s.face & bold) != 0 ? 700 : 400;
    lf.lfItalic = (s.face & italic) != 0 ? 1 : 0;
    lf.lfUnderline = (s.face & underline) != 0 ? 1 : 0;
    uint8_t name[256] = {0};
    GetFontName(s.font, name);
    const size_t n = std::min<size_t>(name[0], LF_FACESIZE - 1);
    std::memcpy(lf.lfFaceName, name + 1, n);
    fFont = CreateFontIndirectA(&lf);
    if (fFont != nullptr) fOld = SelectObject(dc, fFont);
  }
  ~TextEditFontInContext() {
    if (fFont == nullptr) return;
    SelectObject(fDC, fOld);
    DeleteObject(fFont);
  }
  TextEditFontInContext(const TextEditFontInContext&) = delete;
  TextEditFontInContext& operator=(const TextEditFontInContext&) = delete;

 private:
  HDC fDC;
  HFONT fFont = nullptr;
  HGDIOBJ fOld = nullptr;
};

// A style's character advances and line measures, measured once: a run's
// width is the sum of its characters' advances.
struct StyleMetrics {
  int32_t advance[256];
  int16_t height;
  int16_t ascent;
};
std::map<uint64_t, std::unique_ptr<StyleMetrics>> gMetrics;

const StyleMetrics& MetricsOf(const TextEditStyle& s) {
  const uint64_t key = (uint64_t(uint16_t(s.font)) << 32) | (uint64_t(s.face) << 16) | uint16_t(s.size);
  {
    std::lock_guard<std::mutex> lock(gTextEditMutex);
    auto it = gMetrics.find(key);
    if (it != gMetrics.end()) return *it->second;
  }
  auto m = std::make_unique<StyleMetrics>();
  HDC dc = CreateCompatibleDC(nullptr);
  {
    TextEditFontInContext font(dc, s);
    for (int c = 0; c < 256; ++c) {
      const char ch = static_cast<char>(c);
      SIZE size{0, 0};
      GetTextExtentPoint32A(dc, &ch, 1, &size);
      m->advance[c] = size.cx;
    }
    m->advance[13] = 0;
    TEXTMETRICA tm;
    std::memset(&tm, 0, sizeof tm);
    GetTextMetricsA(dc, &tm);
    m->height = static_cast<int16_t>(tm.tmHeight + tm.tmExternalLeading);
    m->ascent = static_cast<int16_t>(tm.tmAscent);
  }
  DeleteDC(dc);
  std::lock_guard<std::mutex> lock(gTextEditMutex);
  auto& slot = gMetrics[key];
  if (slot == nullptr) slot = std::move(m);
  return *slot;
}

// The width of [from, to) over the runs.
int32_t RangeWidth(const TextEditLayout& l, const uint8_t* text, int32_t from, int32_t to) {
  int32_t width = 0;
  const auto& runs = l.runs.Runs();
  for (size_t i = l.runs.RunIndexAt(from); i < runs.size() && from < to; ++i) {
    const int32_t end = std::min(to, i + 1 < runs.size() ? runs[i + 1].start : to);
    const StyleMetrics& m = MetricsOf(runs[i].style);
    for (int32_t k = from; k < end; ++k) width += m.advance[text[k]];
    from = end;
  }
  return width;
}

int32_t LineCount(const TextEditLayout& l) { return static_cast<int32_t>(l.lineStarts.size()) - 1; }

// The end of a line without its return.
int32_t LineEnd(const TextEditLayout& l, const uint8_t* text, int32_t line) {
  int32_t end = l.lineStarts[size_t(line) + 1];
  if (end > l.lineStarts[size_t(line)] && text != nullptr && text[end - 1] == 13) --end;
  return end;
}

int32_t LineOf(const TextEditLayout& l, int32_t offset) {
  const auto it = std::upper_bound(l.lineStarts.begin(), l.lineStarts.end() - 1, offset);
  return std::clamp<int32_t>(static_cast<int32_t>(it - l.lineStarts.begin()) - 1, 0, LineCount(l) - 1);
}

// Where a line starts, by the alignment.
int32_t LineLeft(const TERec& r, int32_t lineWidth) {
  const int32_t room = r.destRect.right - r.destRect.left;
  if (r.just == teCenter) return r.destRect.left + (room - lineWidth) / 2;
  if (r.just == teFlushRight) return r.destRect.right - lineWidth;
  return r.destRect.left;
}

int32_t LineLeftOf(const TERec& r, const TextEditLayout& l, const uint8_t* text, int32_t line) {
  const int32_t start = l.lineStarts[size_t(line)];
  return LineLeft(r, RangeWidth(l, text, start, LineEnd(l, text, line)));
}

// Breaks the text into lines (at returns, and at the destination's width
// unless crOnly: after the last space that fits, or before the character
// that does not) and measures each line's height from its runs.
void LayOutLines(TERec& r, TextEditLayout& l) {
  LockedText locked(r);
  const uint8_t* text = locked.Get();
  const int32_t length = r.teLength;
  const int32_t room = r.destRect.right - r.destRect.left;
  const auto& runs = l.runs.Runs();
  l.lineStarts.assign(1, 0);
  int32_t lineStart = 0;
  int32_t x = 0;
  int32_t lastBreak = -1;
  size_t run = 0;
  const StyleMetrics* metrics = &MetricsOf(runs[0].style);
  for (int32_t i = 0; i < length; ++i) {
    if (run + 1 < runs.size() && runs[run + 1].start <= i) {
      while (run + 1 < runs.size() && runs[run + 1].start <= i) ++run;
      metrics = &MetricsOf(runs[run].style);
    }
    const uint8_t c = text[i];
    if (c == 13) {
      l.lineStarts.push_back(i + 1);
      lineStart = i + 1;
      x = 0;
      lastBreak = -1;
      continue;
    }
    x += metrics->advance[c];
    if (c == ' ') {
      lastBreak = i + 1;
      continue;  // spaces hang past the edge
    }
    if (r.crOnly == 0 && x > room && i > lineStart) {
      const int32_t at = lastBreak > lineStart ? lastBreak : i;
      l.lineStarts.push_back(at);
      lineStart = at;
      x = 0;
      lastBreak = -1;
      i = at - 1;
      run = l.runs.RunIndexAt(at);
      if (run > 0) --run;
      metrics = &MetricsOf(runs[run].style);
    }
  }
  l.lineStarts.push_back(length);
  const int32_t lines = LineCount(l);
  l.lineTops.assign(size_t(lines) + 1, 0);
  l.lineAscents.assign(size_t(lines), 0);
  for (int32_t k = 0; k < lines; ++k) {
    const int32_t from = l.lineStarts[size_t(k)];
    const int32_t to = std::max(l.lineStarts[size_t(k) + 1], from + 1);
    int16_t height = 0;
    int16_t ascent = 0;
    for (size_t i = l.runs.RunIndexAt(std::min(from, std::max(length - 1, 0))); i < runs.size() && runs[i].start < to; ++i) {
      const StyleMetrics& m = MetricsOf(runs[i].style);
      height = std::max(height, m.height);
      ascent = std::max(ascent, m.ascent);
    }
    l.lineTops[size_t(k) + 1] = l.lineTops[size_t(k)] + height;
    l.lineAscents[size_t(k)] = ascent;
  }
  r.nLines = static_cast<int16_t>(lines);
  r.lineHeight = static_cast<int16_t>(l.lineTops[1]);
  r.fontAscent = l.lineAscents[0];
  const TextEditStyle& first = runs.front().style;
  r.txFont = first.font;
  r.txFace = first.face;
  r.txSize = first.size;
}

// The offset on `line` nearest to x: past a character's middle counts as
// after it.
int32_t OffsetOnLine(const TERec& r, const TextEditLayout& l, const uint8_t* text, int32_t line, int32_t x) {
  const int32_t start = l.lineStarts[size_t(line)];
  const int32_t end = LineEnd(l, text, line);
  const int32_t left = LineLeftOf(r, l, text, line);
  int32_t offset = start;
  int32_t at = left;
  for (int32_t i = start; i < end; ++i) {
    const int32_t w = RangeWidth(l, text, i, i + 1);
    if (x - at >= (w + 1) / 2) offset = i + 1;
    at += w;
  }
  return offset;
}

int32_t XOf(const TERec& r, const TextEditLayout& l, const uint8_t* text, int32_t offset) {
  const int32_t line = LineOf(l, offset);
  return LineLeftOf(r, l, text, line) + RangeWidth(l, text, l.lineStarts[size_t(line)], offset);
}

void TouchCaret(TERec& r) {
  r.caretState = 1;
  r.caretTime = TextEditTicks();
}

void ReplaceTextEditSelection(TEHandle te, TERec& r, const uint8_t* text, int32_t count) {
  TextEditLayout& l = LayoutOf(te);
  const int32_t start = r.selStart;
  const int32_t end = r.selEnd;
  const int32_t kept = r.teLength - (end - start);
  count = std::clamp(count, 0, teMaxLength - kept);
  const int32_t length = kept + count;
  std::vector<uint8_t> bytes;
  bytes.reserve(static_cast<size_t>(length));
  if (const uint8_t* old = RecordText(r)) {
    bytes.insert(bytes.end(), old, old + start);
    if (count > 0) bytes.insert(bytes.end(), text, text + count);
    bytes.insert(bytes.end(), old + end, old + r.teLength);
    ReleaseRecordText(r);
  } else if (count > 0) {
    bytes.insert(bytes.end(), text, text + count);
  }
  SetHandleSize(r.hText, length);
  if (GetHandleSize(r.hText) != length) return;  // out of memory: unchanged
  if (length > 0) {
    std::memcpy(HLock(r.hText), bytes.data(), static_cast<size_t>(length));
    HUnlock(r.hText);
  }
  // Typed text takes the style set at the caret, else the style of the
  // character before it.
  const TextEditStyle style = l.caretStyleSet ? l.caretStyle : l.runs.StyleAt(start > 0 ? start - 1 : 0);
  l.runs.Replace(start, end, count, style);
  if (count > 0) l.caretStyleSet = false;
  r.teLength = static_cast<int16_t>(length);
  r.selStart = r.selEnd = static_cast<int16_t>(start + count);
  LayOutLines(r, l);
  TouchCaret(r);
}

void PutSelection(TERec& r, TextEditLayout& l, int32_t start, int32_t end) {
  start = std::clamp<int32_t>(start, 0, r.teLength);
  end = std::clamp<int32_t>(end, 0, r.teLength);
  if (end < start) std::swap(start, end);
  r.selStart = static_cast<int16_t>(start);
  r.selEnd = static_cast<int16_t>(end);
  r.clickAnchor = r.selStart;
  l.caretStyleSet = false;
  TouchCaret(r);
}

}  // namespace

TERec* TEGetRecord(TEHandle te) {
  {
    std::lock_guard<std::mutex> lock(gTextEditMutex);
    if (te == 0 || std::find(gTextEditRecords.begin(), gTextEditRecords.end(), te) == gTextEditRecords.end())
      return nullptr;
  }
  // The block was locked by TENew; locking again answers the same address.
  auto* r = static_cast<TERec*>(HLock(te));
  HUnlock(te);
  return r;
}

TEHandle TENew(const Rect* destRect, const Rect* viewRect) {
  const TEHandle te = NewHandle(sizeof(TERec));
  if (te == 0) return 0;
  auto* r = static_cast<TERec*>(HLock(te));
  std::memset(r, 0, sizeof *r);
  if (destRect != nullptr) r->destRect = *destRect;
  r->viewRect = viewRect != nullptr ? *viewRect : r->destRect;
  r->hText = NewHandle(0);
  r->txSize = 12;
  r->active = 1;
  TouchCaret(*r);
  GetPort(&r->inPort);
  {
    std::lock_guard<std::mutex> lock(gTextEditMutex);
    gTextEditRecords.push_back(te);
    gLayouts[te] = std::make_unique<TextEditLayout>();
  }
  TECalText(te);
  return te;
}

void TEDispose(TEHandle te) {
  TERec* r = TEGetRecord(te);
  if (r == nullptr) return;
  {
    std::lock_guard<std::mutex> lock(gTextEditMutex);
    gTextEditRecords.erase(std::find(gTextEditRecords.begin(), gTextEditRecords.end(), te));
    gLayouts.erase(te);
  }
  DisposeHandle(r->hText);
  HUnlock(te);
  DisposeHandle(te);
}

void TESetSelect(int32_t selStart, int32_t selEnd, TEHandle te) {
  if (TERec* r = TEGetRecord(te)) PutSelection(*r, LayoutOf(te), selStart, selEnd);
}

void TEDelete(TEHandle te) {
  TERec* r = TEGetRecord(te);
  if (r == nullptr || r->selStart == r->selEnd) return;
  ReplaceTextEditSelection(te, *r, nullptr, 0);
}

void TEInsert(const void* text, int32_t length, TEHandle te) {
  TERec* r = TEGetRecord(te);
  if (r == nullptr || text == nullptr || length <= 0) return;
  const int16_t start = r->selStart;
  const int16_t end = r->selEnd;
  const int32_t before = r->teLength;
  r->selEnd = r->selStart;  // insert before the selection, keep it
  ReplaceTextEditSelection(te, *r, static_cast<const uint8_t*>(text), length);
  const int32_t added = r->teLength - before;
  r->selStart = static_cast<int16_t>(start + added);
  r->selEnd = static_cast<int16_t>(end + added);
}

void TESetText(const void* text, int32_t length, TEHandle te) {
  TERec* r = TEGetRecord(te);
  if (r == nullptr) return;
  TextEditLayout& l = LayoutOf(te);
  const TextEditStyle style = l.runs.StyleAt(0);
  r->selStart = 0;
  r->selEnd = r->teLength;
  l.caretStyleSet = false;
  ReplaceTextEditSelection(te, *r, static_cast<const uint8_t*>(text), text != nullptr ? std::max(length, 0) : 0);
  l.runs.Reset(style);
  LayOutLines(*r, l);
  PutSelection(*r, l, r->teLength, r->teLength);
}

void TEKey(int16_t key, TEHandle te) {
  TERec* r = TEGetRecord(te);
  if (r == nullptr) return;
  TextEditLayout& l = LayoutOf(te);
  switch (key) {
    case 8:
      if (r->selStart == r->selEnd) {
        if (r->selStart == 0) return;
        --r->selStart;
      }
      ReplaceTextEditSelection(te, *r, nullptr, 0);
      return;
    case 28:  // left
      PutSelection(*r, l, r->selStart == r->selEnd ? r->selStart - 1 : r->selStart,
                   r->selStart == r->selEnd ? r->selStart - 1 : r->selStart);
      return;
    case 29:  // right
      PutSelection(*r, l, r->selStart == r->selEnd ? r->selEnd + 1 : r->selEnd,
                   r->selStart == r->selEnd ? r->selEnd + 1 : r->selEnd);
      return;
    case 30:  // up
    case 31: {  // down
      LockedText locked(*r);
      const int32_t line = LineOf(l, r->selStart);
      const int32_t target = line + (key == 30 ? -1 : 1);
      int32_t offset = key == 30 ? 0 : r->teLength;
      if (target >= 0 && target < LineCount(l))
        offset = OffsetOnLine(*r, l, locked.Get(), target, XOf(*r, l, locked.Get(), r->selStart));
      PutSelection(*r, l, offset, offset);
      return;
    }
    default: {
      const auto byte = static_cast<uint8_t>(key);
      ReplaceTextEditSelection(te, *r, &byte, 1);
    }
  }
}

void TECalText(TEHandle te) {
  TERec* r = TEGetRecord(te);
  if (r == nullptr) return;
  TextEditLayout& l = LayoutOf(te);
  l.runs.SetLength(r->teLength);
  LayOutLines(*r, l);
}

void TESetStyle(int16_t mode, const TextStyle* style, bool, TEHandle te) {
  TERec* r = TEGetRecord(te);
  if (r == nullptr || style == nullptr) return;
  TextEditLayout& l = LayoutOf(te);
  if (r->selStart == r->selEnd && r->teLength > 0) {
    // At a caret: the style of what is typed there next.
    TextEditStyle caret = l.caretStyleSet ? l.caretStyle : l.runs.StyleAt(r->selStart > 0 ? r->selStart - 1 : 0);
    TextEditRuns one(caret);
    one.Apply(0, 0, mode, StyleOf(*style));
    l.caretStyle = one.StyleAt(0);
    l.caretStyleSet = true;
    return;
  }
  l.runs.Apply(r->selStart, r->selEnd, mode, StyleOf(*style));
  LayOutLines(*r, l);
}

bool TEContinuousStyle(int16_t* mode, TextStyle* style, TEHandle te) {
  TERec* r = TEGetRecord(te);
  if (r == nullptr || mode == nullptr || style == nullptr) return false;
  TextEditLayout& l = LayoutOf(te);
  TextEditStyle common;
  bool whole = true;
  if (r->selStart == r->selEnd && l.caretStyleSet) {
    common = l.caretStyle;
  } else {
    whole = l.runs.Continuous(r->selStart, r->selEnd, *mode, common);
  }
  *style = ToolboxStyle(common);
  return whole;
}

Handle TEGetStyleScrapHandle(TEHandle te) {
  TERec* r = TEGetRecord(te);
  if (r == nullptr) return 0;
  const TextEditLayout& l = LayoutOf(te);
  std::vector<uint8_t> scrap = l.runs.Scrap(r->selStart, r->selEnd, 0, 0);
  // Each element carries its style's line height and ascent.
  for (size_t at = kScrapHeaderSize; at + kScrapElementSize <= scrap.size(); at += kScrapElementSize) {
    TextEditStyle s;
    std::memcpy(&s.font, &scrap[at + 8], 2);
    s.face = scrap[at + 10];
    std::memcpy(&s.size, &scrap[at + 12], 2);
    const StyleMetrics& m = MetricsOf(s);
    std::memcpy(&scrap[at + 4], &m.height, 2);
    std::memcpy(&scrap[at + 6], &m.ascent, 2);
  }
  const Handle h = NewHandle(static_cast<int32_t>(scrap.size()));
  if (h == 0) return 0;
  std::memcpy(HLock(h), scrap.data(), scrap.size());
  HUnlock(h);
  return h;
}

void TEUseStyleScrap(int32_t start, int32_t end, Handle scrap, bool, TEHandle te) {
  TERec* r = TEGetRecord(te);
  if (r == nullptr || scrap == 0) return;
  TextEditLayout& l = LayoutOf(te);
  const int32_t size = GetHandleSize(scrap);
  if (size <= 0) return;
  const bool used = l.runs.UseScrap(start, end, static_cast<const uint8_t*>(HLock(scrap)), size_t(size));
  HUnlock(scrap);
  if (used) LayOutLines(*r, l);
}

int32_t TEGetHeight(int32_t endLine, int32_t startLine, TEHandle te) {
  TERec* r = TEGetRecord(te);
  if (r == nullptr) return 0;
  const TextEditLayout& l = LayoutOf(te);
  const int32_t last = LineCount(l) - 1;
  const int32_t a = std::clamp(std::min(startLine, endLine), 0, last);
  const int32_t b = std::clamp(std::max(startLine, endLine), 0, last);
  return l.lineTops[size_t(b) + 1] - l.lineTops[size_t(a)];
}

int32_t TEGetLineOf(int32_t offset, TEHandle te) {
  return TEGetRecord(te) != nullptr ? LineOf(LayoutOf(te), offset) : 0;
}

int32_t TEGetLineStart(int32_t line, TEHandle te) {
  if (TEGetRecord(te) == nullptr) return 0;
  const TextEditLayout& l = LayoutOf(te);
  return l.lineStarts[size_t(std::clamp(line, 0, LineCount(l)))];
}

int16_t TEGetOffset(Point point, TEHandle te) {
  TERec* r = TEGetRecord(te);
  if (r == nullptr) return 0;
  const TextEditLayout& l = LayoutOf(te);
  const int32_t y = point.v - r->destRect.top;
  int32_t line = 0;
  while (line + 1 < LineCount(l) && l.lineTops[size_t(line) + 1] <= y) ++line;
  LockedText locked(*r);
  return static_cast<int16_t>(OffsetOnLine(*r, l, locked.Get(), line, point.h));
}

Point TEGetPoint(int16_t offset, TEHandle te) {
  TERec* r = TEGetRecord(te);
  if (r == nullptr) return Point{0, 0};
  const TextEditLayout& l = LayoutOf(te);
  const int32_t at = std::clamp<int32_t>(offset, 0, r->teLength);
  LockedText locked(*r);
  const int32_t line = LineOf(l, at);
  return Point{static_cast<int16_t>(r->destRect.top + l.lineTops[size_t(line) + 1]),
               static_cast<int16_t>(XOf(*r, l, locked.Get(), at))};
}

void TEAutoView(bool on, TEHandle te) {
  if (TERec* r = TEGetRecord(te)) r->autoView = on ? 1 : 0;
}

void TESelView(TEHandle te) {
  TERec* r = TEGetRecord(te);
  if (r == nullptr || r->autoView == 0) return;
  const TextEditLayout& l = LayoutOf(te);
  const int32_t line = LineOf(l, r->selStart);
  const int32_t top = r->destRect.top + l.lineTops[size_t(line)];
  const int32_t bottom = r->destRect.top + l.lineTops[size_t(line) + 1];
  int32_t dy = 0;
  if (top < r->viewRect.top) dy = r->viewRect.top - top;
  else if (bottom > r->viewRect.bottom) dy = std::max(r->viewRect.bottom - bottom, r->viewRect.top - top);
  r->destRect.top = static_cast<int16_t>(r->destRect.top + dy);
  r->destRect.bottom = static_cast<int16_t>(r->destRect.bottom + dy);
}

void TESetClickLoop(TEClickLoopProc proc, TEHandle te) {
  if (TERec* r = TEGetRecord(te)) r->clickLoop = proc;
}

void TESetAlignment(int16_t just, TEHandle te) {
  if (TERec* r = TEGetRecord(te)) r->just = just;
}

void TEActivate(TEHandle te) {
  if (TERec* r = TEGetRecord(te)) {
    r->active = 1;
    TouchCaret(*r);
  }
}

void TEDeactivate(TEHandle te) {
  if (TERec* r = TEGetRecord(te)) r->active = 0;
}

void TEIdle(TEHandle te) {
  TERec* r = TEGetRecord(te);
  if (r == nullptr || r->active == 0 || !gCaretBlinks) return;
  const uint32_t now = TextEditTicks();
  if (now - r->caretTime < GetCaretBlinkTime()) return;
  r->caretState = r->caretState != 0 ? 0 : 1;
  r->caretTime = now;
  if (r->selStart == r->selEnd) TEUpdate(&r->viewRect, te);
}

void TESetCaretBlinking(bool on) { gCaretBlinks = on; }

void TEUpdate(const Rect* rect, TEHandle te) {
  TERec* r = TEGetRecord(te);
  if (r == nullptr || r->inPort == nullptr) return;
  HDC dc = GetPortHDC(r->inPort);
  if (dc == nullptr) return;
  const TextEditLayout& l = LayoutOf(te);
  const int saved = SaveDC(dc);
  const Rect& v = r->viewRect;
  IntersectClipRect(dc, v.left, v.top, v.right, v.bottom);
  if (rect != nullptr) IntersectClipRect(dc, rect->left, rect->top, rect->right, rect->bottom);
  SetBkMode(dc, TRANSPARENT);
  SetTextAlign(dc, TA_LEFT | TA_BASELINE);
  LockedText locked(*r);
  const uint8_t* text = locked.Get();
  const auto& runs = l.runs.Runs();
  const int32_t lines = LineCount(l);
  for (int32_t k = 0; k < lines; ++k) {
    const int32_t top = r->destRect.top + l.lineTops[size_t(k)];
    const int32_t bottom = r->destRect.top + l.lineTops[size_t(k) + 1];
    if (bottom <= v.top || top >= v.bottom || text == nullptr) continue;
    const int32_t end = LineEnd(l, text, k);
    int32_t from = l.lineStarts[size_t(k)];
    int32_t x = LineLeftOf(*r, l, text, k);
    // One text call a run: a run's width is the sum of its advances.
    for (size_t i = l.runs.RunIndexAt(from); i < runs.size() && from < end; ++i) {
      const int32_t to = std::min(end, i + 1 < runs.size() ? runs[i + 1].start : end);
      const TextEditStyle& s = runs[i].style;
      TextEditFontInContext font(dc, s);
      SetTextColor(dc, RGB(s.color.red >> 8, s.color.green >> 8, s.color.blue >> 8));
      TextOutA(dc, x, top + l.lineAscents[size_t(k)], reinterpret_cast<const char*>(text + from), to - from);
      x += RangeWidth(l, text, from, to);
      from = to;
    }
  }
  // The selection, line by line, or the caret.
  const int32_t first = LineOf(l, r->selStart);
  const int32_t x0 = XOf(*r, l, text, r->selStart);
  const int32_t top0 = r->destRect.top + l.lineTops[size_t(first)];
  const int32_t x1 = XOf(*r, l, text, r->selEnd);
  const int32_t last = LineOf(l, r->selEnd);
  r->selRect = Rect{static_cast<int16_t>(top0), static_cast<int16_t>(x0),
                    static_cast<int16_t>(r->destRect.top + l.lineTops[size_t(last) + 1]), static_cast<int16_t>(x1)};
  if (r->active != 0) {
    if (r->selStart != r->selEnd) {
      for (int32_t k = first; k <= last; ++k) {
        const int32_t left = k == first ? x0 : r->destRect.left;
        const int32_t right = k == last ? x1 : r->destRect.right;
        const RECT sel{left, r->destRect.top + l.lineTops[size_t(k)], right, r->destRect.top + l.lineTops[size_t(k) + 1]};
        InvertRect(dc, &sel);
      }
    } else if (r->caretState != 0 || !gCaretBlinks) {
      const RECT caret{x0, top0, x0 + 1, r->destRect.top + l.lineTops[size_t(first) + 1]};
      InvertRect(dc, &caret);
    }
  }
  RestoreDC(dc, saved);
}

void TEClick(Point point, bool extend, TEHandle te) {
  TERec* r = TEGetRecord(te);
  if (r == nullptr) return;
  TextEditLayout& l = LayoutOf(te);
  const int32_t offset = TEGetOffset(point, te);
  if (extend) {
    const int32_t anchor = r->clickAnchor;
    r->selStart = static_cast<int16_t>(std::min(anchor, offset));
    r->selEnd = static_cast<int16_t>(std::max(anchor, offset));
    r->clickAnchor = static_cast<int16_t>(anchor);
  } else {
    r->selStart = r->selEnd = r->clickAnchor = static_cast<int16_t>(offset);
  }
  l.caretStyleSet = false;
  TouchCaret(*r);
  // While the button is held the selection follows the mouse (in the
  // current port's coordinates), the click loop running at each poll; the
  // loop's false ends the tracking.
  const int32_t anchor = r->clickAnchor;
  while ((GetAsyncKeyState(VK_LBUTTON) & 0x8000) != 0) {
    if (r->clickLoop != nullptr && !r->clickLoop(r)) break;
    POINT screen{0, 0};
    GetCursorPos(&screen);
    Point mouse{static_cast<int16_t>(screen.y), static_cast<int16_t>(screen.x)};
    GlobalToLocal(&mouse);
    const int32_t at = TEGetOffset(mouse, te);
    r->selStart = static_cast<int16_t>(std::min(anchor, at));
    r->selEnd = static_cast<int16_t>(std::max(anchor, at));
  }
}

void TECopy(TEHandle te) {
  TERec* r = TEGetRecord(te);
  if (r == nullptr || r->selStart == r->selEnd) return;
  const Handle styles = TEGetStyleScrapHandle(te);
  LockedText locked(*r);
  ZeroScrap();
  PutScrap(r->selEnd - r->selStart, kScrapText, locked.Get() + r->selStart);
  if (styles != 0) {
    PutScrap(GetHandleSize(styles), kScrapStyles, HLock(styles));
    HUnlock(styles);
    DisposeHandle(styles);
  }
}

void TECut(TEHandle te) {
  TERec* r = TEGetRecord(te);
  if (r == nullptr || r->selStart == r->selEnd) return;
  TECopy(te);
  TEDelete(te);
}

void TEPaste(TEHandle te) {
  TERec* r = TEGetRecord(te);
  if (r == nullptr) return;
  const Handle h = NewHandle(0);
  const int32_t length = GetScrap(h, kScrapText, nullptr);
  if (length > 0) {
    ReplaceTextEditSelection(te, *r, static_cast<const uint8_t*>(HLock(h)), length);
    HUnlock(h);
  }
  DisposeHandle(h);
}

void TEStylePaste(TEHandle te) {
  TERec* r = TEGetRecord(te);
  if (r == nullptr) return;
  const int32_t start = r->selStart;
  const int32_t before = r->teLength - (r->selEnd - r->selStart);
  TEPaste(te);
  const int32_t pasted = r->teLength - before;
  const Handle styles = NewHandle(0);
  if (pasted > 0 && GetScrap(styles, kScrapStyles, nullptr) > 0) TEUseStyleScrap(start, start + pasted, styles, false, te);
  DisposeHandle(styles);
}

// ---- Offscreen worlds.

OSErr NewGWorld(GWorldPtr* world, int16_t, const Rect* bounds) {
  if (world == nullptr || bounds == nullptr) return -50;  // paramErr
  *world = nullptr;
  const int width = bounds->right - bounds->left;
  const int height = bounds->bottom - bounds->top;
  if (width <= 0 || height <= 0) return -50;
  HDC dc = CreateCompatibleDC(nullptr);
  if (dc == nullptr) return memFullErr;
  BITMAPINFO info;
  std::memset(&info, 0, sizeof info);
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap == nullptr) {
    DeleteDC(dc);
    return memFullErr;
  }
  HGDIOBJ saved = SelectObject(dc, bitmap);
  PatBlt(dc, 0, 0, width, height, WHITENESS);
  // A port over a context the caller keeps: the world's own.
  GrafPtr port = OpenPrinterPort(dc);
  if (port == nullptr) {
    SelectObject(dc, saved);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return memFullErr;
  }
  port->portRect = Rect{0, 0, static_cast<int16_t>(height), static_cast<int16_t>(width)};
  std::lock_guard<std::mutex> lock(gTextEditMutex);
  gOffscreenWorlds.push_back(GWorldRecord{port, dc, bitmap, saved, *bounds});
  *world = port;
  return noErr;
}

void DisposeGWorld(GWorldPtr world) {
  GWorldRecord w{};
  {
    std::lock_guard<std::mutex> lock(gTextEditMutex);
    auto it = std::find_if(gOffscreenWorlds.begin(), gOffscreenWorlds.end(),
                           [&](const GWorldRecord& g) { return g.port == world; });
    if (it == gOffscreenWorlds.end()) return;
    w = *it;
    gOffscreenWorlds.erase(it);
  }
  ClosePrinterPort(w.port);
  SelectObject(w.dc, w.savedBitmap);
  DeleteObject(w.bitmap);
  DeleteDC(w.dc);
}

bool GetGWorldBounds(GWorldPtr world, Rect* bounds) {
  std::lock_guard<std::mutex> lock(gTextEditMutex);
  for (const GWorldRecord& g : gOffscreenWorlds) {
    if (g.port != world) continue;
    if (bounds != nullptr) *bounds = g.bounds;
    return true;
  }
  return false;
}

int32_t CountGWorlds() {
  std::lock_guard<std::mutex> lock(gTextEditMutex);
  return static_cast<int32_t>(gOffscreenWorlds.size());
}

}  // namespace Tbx
