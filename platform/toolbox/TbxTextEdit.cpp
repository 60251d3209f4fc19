// TextEdit of the emulation library, one line: text and selection in a
// locked record, measured and drawn with GDI in the record's font; and the
// offscreen worlds that double-buffer its drawing.
#include "platform/toolbox/TbxTextEdit.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/gdi/WinGdi.h"
#include "platform/toolbox/TbxScrap.h"
#include "platform/toolbox/TbxWindows.h"
#include "platform/win32/WinTime.h"

namespace Tbx {

namespace {

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

uint32_t TextEditTicks() { return static_cast<uint32_t>(GetTickCount64() * 60 / 1000); }

const uint8_t* RecordText(const TERec& r) {
  return r.hText != 0 && r.teLength > 0 ? static_cast<const uint8_t*>(HLock(r.hText)) : nullptr;
}
void ReleaseRecordText(const TERec& r) {
  if (r.hText != 0 && r.teLength > 0) HUnlock(r.hText);
}

// The record's font selected into a context for as long as the guard lives.
class TextEditFontInContext {
 public:
  TextEditFontInContext(HDC dc, const TERec& r) : fDC(dc) {
    if (dc == nullptr) return;
    LOGFONTA lf;
    std::memset(&lf, 0, sizeof lf);
    lf.lfHeight = -std::max<int16_t>(r.txSize, 1);
    lf.lfWeight = (r.txFace & bold) != 0 ? 700 : 400;
    lf.lfItalic = (r.txFace & italic) != 0 ? 1 : 0;
    uint8_t name[256] = {0};
    GetFontName(r.txFont, name);
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

// A context for measuring when the port has none.
class TextEditMeasureContext {
 public:
  explicit TextEditMeasureContext(GrafPtr port) {
    fDC = port != nullptr ? GetPortHDC(port) : nullptr;
    if (fDC == nullptr) {
      fDC = CreateCompatibleDC(nullptr);
      fOwned = true;
    }
  }
  ~TextEditMeasureContext() {
    if (fOwned) DeleteDC(fDC);
  }
  TextEditMeasureContext(const TextEditMeasureContext&) = delete;
  TextEditMeasureContext& operator=(const TextEditMeasureContext&) = delete;
  HDC Get() const { return fDC; }

 private:
  HDC fDC = nullptr;
  bool fOwned = false;
};

int32_t TextEditWidth(HDC dc, const uint8_t* text, int32_t count) {
  if (count <= 0 || text == nullptr) return 0;
  SIZE size{0, 0};
  GetTextExtentPoint32A(dc, reinterpret_cast<const char*>(text), count, &size);
  return size.cx;
}

// Where the line starts, by the alignment.
int32_t TextEditLineLeft(const TERec& r, int32_t lineWidth) {
  const int32_t room = r.destRect.right - r.destRect.left;
  if (r.just == teCenter) return r.destRect.left + (room - lineWidth) / 2;
  if (r.just == teFlushRight) return r.destRect.right - lineWidth;
  return r.destRect.left;
}

void ReplaceTextEditSelection(TERec& r, const uint8_t* text, int32_t count) {
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
  r.teLength = static_cast<int16_t>(length);
  r.selStart = r.selEnd = static_cast<int16_t>(start + count);
  r.caretState = 1;
  r.caretTime = TextEditTicks();
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
  r->caretState = 1;
  r->caretTime = TextEditTicks();
  GetPort(&r->inPort);
  {
    std::lock_guard<std::mutex> lock(gTextEditMutex);
    gTextEditRecords.push_back(te);
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
  }
  DisposeHandle(r->hText);
  HUnlock(te);
  DisposeHandle(te);
}

void TESetSelect(int32_t selStart, int32_t selEnd, TEHandle te) {
  TERec* r = TEGetRecord(te);
  if (r == nullptr) return;
  selStart = std::clamp<int32_t>(selStart, 0, r->teLength);
  selEnd = std::clamp<int32_t>(selEnd, 0, r->teLength);
  if (selEnd < selStart) std::swap(selStart, selEnd);
  r->selStart = static_cast<int16_t>(selStart);
  r->selEnd = static_cast<int16_t>(selEnd);
  r->clickAnchor = r->selStart;
  r->caretState = 1;
  r->caretTime = TextEditTicks();
}

void TEDelete(TEHandle te) {
  TERec* r = TEGetRecord(te);
  if (r == nullptr || r->selStart == r->selEnd) return;
  ReplaceTextEditSelection(*r, nullptr, 0);
}

void TEInsert(const void* text, int32_t length, TEHandle te) {
  TERec* r = TEGetRecord(te);
  if (r == nullptr || text == nullptr || length <= 0) return;
  const int16_t start = r->selStart;
  const int16_t end = r->selEnd;
  const int32_t before = r->teLength;
  r->selEnd = r->selStart;  // insert before the selection, keep it
  ReplaceTextEditSelection(*r, static_cast<const uint8_t*>(text), length);
  const int32_t added = r->teLength - before;
  r->selStart = static_cast<int16_t>(start + added);
  r->selEnd = static_cast<int16_t>(end + added);
}

void TEKey(int16_t key, TEHandle te) {
  TERec* r = TEGetRecord(te);
  if (r == nullptr) return;
  if (key == 8) {
    if (r->selStart == r->selEnd) {
      if (r->selStart == 0) return;
      --r->selStart;
    }
    ReplaceTextEditSelection(*r, nullptr, 0);
    return;
  }
  const auto byte = static_cast<uint8_t>(key);
  ReplaceTextEditSelection(*r, &byte, 1);
}

void TECalText(TEHandle te) {
  TERec* r = TEGetRecord(te);
  if (r == nullptr) return;
  TextEditMeasureContext dc(r->inPort);
  TextEditFontInContext font(dc.Get(), *r);
  TEXTMETRICA tm;
  std::memset(&tm, 0, sizeof tm);
  GetTextMetricsA(dc.Get(), &tm);
  r->lineHeight = static_cast<int16_t>(tm.tmHeight + tm.tmExternalLeading);
  r->fontAscent = static_cast<int16_t>(tm.tmAscent);
}

void TESetStyle(int16_t mode, const TextStyle* style, bool, TEHandle te) {
  TERec* r = TEGetRecord(te);
  if (r == nullptr || style == nullptr) return;
  if ((mode & doFont) != 0) r->txFont = style->tsFont;
  if ((mode & doFace) != 0) r->txFace = style->tsFace;
  if ((mode & doSize) != 0) r->txSize = style->tsSize;
  TECalText(te);
}

void TESetAlignment(int16_t just, TEHandle te) {
  if (TERec* r = TEGetRecord(te)) r->just = just;
}

void TEActivate(TEHandle te) {
  if (TERec* r = TEGetRecord(te)) {
    r->active = 1;
    r->caretState = 1;
    r->caretTime = TextEditTicks();
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
  const int saved = SaveDC(dc);
  const Rect& v = r->viewRect;
  IntersectClipRect(dc, v.left, v.top, v.right, v.bottom);
  if (rect != nullptr) IntersectClipRect(dc, rect->left, rect->top, rect->right, rect->bottom);
  TextEditFontInContext font(dc, *r);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0, 0, 0));
  SetTextAlign(dc, TA_LEFT | TA_TOP);
  const uint8_t* text = RecordText(*r);
  const int32_t lineWidth = TextEditWidth(dc, text, r->teLength);
  const int32_t left = TextEditLineLeft(*r, lineWidth);
  const int32_t top = r->destRect.top;
  if (text != nullptr)
    TextOutA(dc, left, top, reinterpret_cast<const char*>(text), r->teLength);
  const int32_t x0 = left + TextEditWidth(dc, text, r->selStart);
  const int32_t x1 = left + TextEditWidth(dc, text, r->selEnd);
  ReleaseRecordText(*r);
  r->selRect = Rect{static_cast<int16_t>(top), static_cast<int16_t>(x0),
                    static_cast<int16_t>(top + r->lineHeight), static_cast<int16_t>(x1)};
  if (r->active != 0) {
    if (r->selStart != r->selEnd) {
      const RECT sel{x0, top, x1, top + r->lineHeight};
      InvertRect(dc, &sel);
    } else if (r->caretState != 0 || !gCaretBlinks) {
      const RECT caret{x0, top, x0 + 1, top + r->lineHeight};
      InvertRect(dc, &caret);
    }
  }
  RestoreDC(dc, saved);
}

void TEClick(Point point, bool extend, TEHandle te) {
  TERec* r = TEGetRecord(te);
  if (r == nullptr) return;
  TextEditMeasureContext dc(r->inPort);
  TextEditFontInContext font(dc.Get(), *r);
  const uint8_t* text = RecordText(*r);
  const int32_t left = TextEditLineLeft(*r, TextEditWidth(dc.Get(), text, r->teLength));
  // The boundary nearest the point: past a character's middle counts as
  // after it.
  int32_t offset = 0;
  int32_t previous = 0;
  for (int32_t i = 1; i <= r->teLength; ++i) {
    const int32_t w = TextEditWidth(dc.Get(), text, i);
    if (point.h - left >= (previous + w + 1) / 2) offset = i;
    previous = w;
  }
  ReleaseRecordText(*r);
  if (extend) {
    const int32_t anchor = r->clickAnchor;
    r->selStart = static_cast<int16_t>(std::min(anchor, offset));
    r->selEnd = static_cast<int16_t>(std::max(anchor, offset));
    r->clickAnchor = static_cast<int16_t>(anchor);
  } else {
    r->selStart = r->selEnd = r->clickAnchor = static_cast<int16_t>(offset);
  }
  r->caretState = 1;
  r->caretTime = TextEditTicks();
}

void TECopy(TEHandle te) {
  TERec* r = TEGetRecord(te);
  if (r == nullptr || r->selStart == r->selEnd) return;
  const uint8_t* text = RecordText(*r);
  ZeroScrap();
  PutScrap(r->selEnd - r->selStart, 0x54455854 /* 'TEXT' */, text + r->selStart);
  ReleaseRecordText(*r);
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
  const int32_t length = GetScrap(h, 0x54455854 /* 'TEXT' */, nullptr);
  if (length > 0) {
    ReplaceTextEditSelection(*r, static_cast<const uint8_t*>(HLock(h)), length);
    HUnlock(h);
  }
  DisposeHandle(h);
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
