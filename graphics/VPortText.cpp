// VPort's fonts and text: the font state, the GDI font built through the
// shared font cache, metrics, measuring, runs drawn at the pen (also rotated
// and laid out with a printer's widths), strings in boxes, and the pen.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

#include "framework/core/containers/VChainListOf.h"
#include "framework/core/intl/Clusters.h"
#include "framework/core/intl/VIntlMgr.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/system/environment/VSystemServices.h"
#include "graphics/GraphicsHooks.h"
#include "graphics/GraphicsMath_p.h"
#include "graphics/VCharWidthCache.h"
#include "graphics/VGdiSelection.h"
#include "graphics/VLookPainter.h"
#include "graphics/VPixelMap.h"
#include "graphics/VPort.h"
#include "graphics/VReferencePrinter.h"
#include "graphics/VShape.h"
#include "platform/gdi/GdiFont.h"

namespace gm = graphics_math;

namespace {

// Runs shorter than this use buffers on the stack; longer ones a block of
// the memory manager.
constexpr int32_t kStackRun = 128;

template <typename T>
class RunBuffer {
 public:
  explicit RunBuffer(int32_t count) {
    if (count < kStackRun) {
      fData = fInline;
    } else if (gMemoryMgr != nullptr && count <= INT32_MAX / int32_t(sizeof(T))) {
      fData = static_cast<T*>(gMemoryMgr->NewBlock(uint32_t(count) * sizeof(T)));
      fHeap = fData != nullptr;
    }
  }
  ~RunBuffer() {
    if (fHeap) gMemoryMgr->DisposeBlock(fData);
  }
  RunBuffer(const RunBuffer&) = delete;
  RunBuffer& operator=(const RunBuffer&) = delete;
  T* Data() const { return fData; }

 private:
  T fInline[kStackRun];
  T* fData = nullptr;
  bool fHeap = false;
};

bool IsWin9xFamily() {
  const int32_t code = VSystemServices::GetSystemVersion();
  return code == 3 || code == 5;
}

bool IsNTFamily() {
  const int32_t code = VSystemServices::GetSystemVersion();
  return code == 2 || code == 4 || code == 6 || code == 7;
}

// Macintosh or ANSI bytes to UTF-16 through the international tables (each
// byte its own unit when there are none). Answers the units written.
int32_t BytesToUnicode(const uint8_t* source, int32_t count, bool mac, char16_t* units) {
  if (gIntlMgr != nullptr) {
    const uint8_t* s = source;
    char16_t* d = units;
    if (mac) {
      gIntlMgr->MacToUni(s, d, units + count, count);
    } else {
      gIntlMgr->WinToUni(s, d, units + count, count);
    }
    return static_cast<int32_t>(d - units);
  }
  for (int32_t i = 0; i < count; ++i) units[i] = source[i];
  return count;
}

// UTF-16 to ANSI bytes, at most `room` of them. Answers the bytes written.
int32_t UnicodeToAnsi(const char16_t* units, int32_t count, uint8_t* bytes, int32_t room) {
  if (gIntlMgr != nullptr) {
    const char16_t* s = units;
    uint8_t* d = bytes;
    gIntlMgr->UniToWin(s, d, bytes + room, count);
    return static_cast<int32_t>(d - bytes);
  }
  int32_t n = 0;
  for (; n < count && n < room; ++n) {
    bytes[n] = units[n] < 0x100 ? static_cast<uint8_t>(units[n]) : '?';
  }
  return n;
}

// A string's characters in one encoding, for the whole call.
class StringChars {
 public:
  explicit StringChars(const VString& text)
      : fText(text), fLength(text.GetLength()), fKind(static_cast<int16_t>(text.GetCharKind())) {
    fChars = fLength > 0 ? text.GetBuffer() : nullptr;
  }
  ~StringChars() {
    if (fChars != nullptr) fText.ReleaseBuffer();
  }
  const void* Chars() const { return fChars; }
  int32_t Length() const { return fLength; }
  int16_t Kind() const { return fKind; }

 private:
  const VString& fText;
  int32_t fLength;
  int16_t fKind;
  const void* fChars;
};

// A string as ANSI bytes (3 bytes of room a character), in a block of the
// memory manager.
class AnsiText {
 public:
  explicit AnsiText(const VString& text) {
    StringChars chars(text);
    const int32_t n = chars.Length();
    if (n <= 0 || gMemoryMgr == nullptr || n > INT32_MAX / 3) return;
    fBytes = static_cast<uint8_t*>(gMemoryMgr->NewBlock(uint32_t(n) * 3 + 1));
    if (fBytes == nullptr) return;
    if (chars.Kind() == kTextUnicode) {
      fLength = UnicodeToAnsi(static_cast<const char16_t*>(chars.Chars()), n, fBytes, n * 3);
    } else if (chars.Kind() == kTextAnsi) {
      std::memcpy(fBytes, chars.Chars(), size_t(n));
      fLength = n;
    } else {
      RunBuffer<char16_t> units(n);
      if (units.Data() == nullptr) return;
      const int32_t count =
          BytesToUnicode(static_cast<const uint8_t*>(chars.Chars()), n, true, units.Data());
      fLength = UnicodeToAnsi(units.Data(), count, fBytes, n * 3);
    }
  }
  ~AnsiText() {
    if (fBytes != nullptr) gMemoryMgr->DisposeBlock(fBytes);
  }
  AnsiText(const AnsiText&) = delete;
  AnsiText& operator=(const AnsiText&) = delete;
  const char* Bytes() const { return reinterpret_cast<const char*>(fBytes); }
  int32_t Length() const { return fLength; }

 private:
  uint8_t* fBytes = nullptr;
  int32_t fLength = 0;
};

// The face name as an 8-bit text of at most 31 characters.
void FaceNameAnsi(const VString& name, char face[LF_FACESIZE]) {
  std::memset(face, 0, LF_FACESIZE);
  StringChars chars(name);
  const int32_t n = std::min<int32_t>(chars.Length(), LF_FACESIZE - 1);
  if (n <= 0) return;
  if (chars.Kind() == kTextUnicode) {
    UnicodeToAnsi(static_cast<const char16_t*>(chars.Chars()), n,
                  reinterpret_cast<uint8_t*>(face), LF_FACESIZE - 1);
  } else {
    std::memcpy(face, chars.Chars(), size_t(n));
  }
}

bool SameName(const VString& a, const VString& b) {
  const int32_t n = a.GetLength();
  if (n != b.GetLength()) return false;
  for (int32_t i = 1; i <= n; ++i) {
    if (a.GetCharAt(i) != b.GetCharAt(i)) return false;
  }
  return true;
}

void PushReal(VDoubleStack& stack, double value) {
  uint32_t halves[2];
  std::memcpy(halves, &value, 8);
  stack.Push(halves[0], halves[1]);
}

}  // namespace

// ---------------------------------------------------------------------------
// Font state

void VPort::SetFontName(const VString& name) {
  if (SameName(fFontName, name)) return;
  fFontName.SetString(name, kWholeValue);
  fFaceDescriptor = nullptr;
  fFontDirty = kFontDirtyAll;
}

void VPort::GetFontName(VString& name) const { name.SetString(fFontName, kWholeValue); }

void VPort::SetFontSize(double size, bool inDeviceUnits) {
  if (size == fFontSize && inDeviceUnits == fSizeInDeviceUnits) return;
  fFontSize = size;
  fSizeInDeviceUnits = inDeviceUnits;
  fFontDirty = kFontDirtyAll;
}

namespace {

void SetStyleBit(uint8_t& style, uint16_t& dirty, uint8_t bit, bool on) {
  const uint8_t changed = on ? uint8_t(style | bit) : uint8_t(style & ~bit);
  if (changed == style) return;
  style = changed;
  dirty = VPort::kFontDirtyAll;
}

}  // namespace

void VPort::SetBold(bool on) { SetStyleBit(fFontStyle, fFontDirty, kStyleBold, on); }
void VPort::SetItalic(bool on) { SetStyleBit(fFontStyle, fFontDirty, kStyleItalic, on); }
void VPort::SetUnderline(bool on) { SetStyleBit(fFontStyle, fFontDirty, kStyleUnderline, on); }
void VPort::SetOutline(bool on) { SetStyleBit(fFontStyle, fFontDirty, kStyleOutline, on); }
void VPort::SetShadow(bool on) { SetStyleBit(fFontStyle, fFontDirty, kStyleShadow, on); }
void VPort::SetCondense(bool on) { SetStyleBit(fFontStyle, fFontDirty, kStyleCondense, on); }
void VPort::SetExtend(bool on) { SetStyleBit(fFontStyle, fFontDirty, kStyleExtend, on); }

void VPort::SetFontStyle(uint8_t style) {
  fFontStyle = style;
  fFontDirty = kFontDirtyAll;
}

void VPort::ClearFontStyle() {
  if (fFontStyle == 0) return;
  fFontStyle = 0;
  fFontDirty = kFontDirtyAll;
}

void VPort::SetTextAngle(float degrees) {
  fTextAngle = degrees;
  fFontDirty = kFontDirtyAll;
}

void VPort::UseStandardFont(int32_t kind) {
  VStr<80> name;
  int16_t size = 8;
  uint8_t bold = 0;
  uint8_t italic = 0;
  if (fLookPainter == nullptr ||
      !fLookPainter->GetFont(fCurrentDC, kind, name, size, bold, italic)) {
    name.SetChars("MS Sans Serif", 0, 13, kCharSetAnsi);
    size = 8;
    bold = italic = 0;
  }
  SetFontName(name);
  SetFontSize(size, false);
  ClearFontStyle();
  SetBold(bold != 0);
  SetItalic(italic != 0);
}

// ---------------------------------------------------------------------------
// The font cache and the GDI font

int32_t VPort::PixelSize(HDC dc) const {
  if (fSizeInDeviceUnits) return gm::Trunc(fFontSize);
  HDC resolution = fReferencePrinter != nullptr && fReferenceDC != nullptr ? fReferenceDC : dc;
  return gm::Trunc(GetDeviceCaps(resolution, LOGPIXELSY) * fFontSize / 72.0 + 0.5);
}

void VPort::FindFont() {
  if (gFontCache == nullptr) MakeFontCache();
  // A run of another size or style keeps the face: its descriptor is
  // looked up again only for another name or a cache made anew.
  if (fFaceDescriptor == nullptr || fFaceGeneration != FontCacheGeneration()) {
    char face[LF_FACESIZE];
    FaceNameAnsi(fFontName, face);
    fFaceDescriptor = FindFontDescriptor(face);
    fFaceGeneration = FontCacheGeneration();
  }
  LOGFONTA* descriptor = fFaceDescriptor;
  // Entries are keyed by the measuring device and its resolution, so that a
  // later device context with the same value meets none of them.
  HDC keyDC = fReferencePrinter != nullptr ? fReferenceDC : nullptr;
  const int32_t resX = keyDC != nullptr ? GetDeviceCaps(keyDC, LOGPIXELSX) : 0;
  const int32_t resY = keyDC != nullptr ? GetDeviceCaps(keyDC, LOGPIXELSY) : 0;
  const auto pixelSize = static_cast<int16_t>(PixelSize(fCurrentDC));

  if (VCharWidthCache* entry =
          gFontCache->Find(keyDC, resX, resY, descriptor, pixelSize, fFontStyle)) {
    UseFontEntry(entry);
    return;
  }
  // A full cache lets its least recently used entry go only when it has
  // been idle for longer than a minute. Idle times are taken as now minus
  // last use in unsigned ticks, so that they stay right when the tick count
  // wraps. An entry some port still uses is retired rather than deleted.
  VCharWidthCache* leastRecent = gFontCache->LeastRecentlyUsed();
  if (gFontCache->Count() >= kFontCacheLimit && leastRecent != nullptr &&
      GraphicsTicks() - leastRecent->GetLastUse() > kFontCacheIdleTicks) {
    gFontCache->LetGo(leastRecent);
  }
  auto* entry = new VCharWidthCache(keyDC, resX, resY, descriptor, pixelSize, fFontStyle);
  gFontCache->Add(entry);
  UseFontEntry(entry);
}

void VPort::UseFontEntry(VCharWidthCache* entry) {
  if (entry == fFontEntry && fFontEntryGeneration == FontCacheGeneration()) return;
  // An entry of a cache freed since is no longer there to let go of.
  if (fFontEntry != nullptr && gFontCache != nullptr &&
      fFontEntryGeneration == FontCacheGeneration())
    gFontCache->RemoveUser(fFontEntry);
  fFontEntry = entry;
  fFontEntryGeneration = FontCacheGeneration();
  if (fFontEntry != nullptr && gFontCache != nullptr) gFontCache->AddUser(fFontEntry);
}

uint32_t VPort::PrepareFont(uint16_t need) {
  if (fCurrentDC == nullptr) return 0;
  const bool registered = fReferencePrinter != nullptr && fReferencePrinter->RegisterPort(this);
  // Metrics and widths come from the cache entry: the GDI font is made
  // only when a metafile records the calls in their order, or when the
  // entry lacks what is asked (see PrepareFontChanged), so that a run of
  // another look that is only measured makes no font.
  if (need != 0) need |= kFontDirtyEntry;
  if ((fFontDirty & need) != 0 || registered) return PrepareFontChanged(need, registered);
  // What the caller needs is prepared (a measure needs no metrics): its
  // entry's last use moves on only every 64th time, as the text engine
  // asks here for every character it measures and reading the clock each
  // time would cost more than the measuring. The cache lets an entry go
  // only after a minute unused. The rest is out of line, so that this
  // path, taken for nearly every character, saves no registers.
  if (fFontEntry != nullptr && (++fTouchSkips & 63) == 0) fFontEntry->Touch();
  return fFontEntry != nullptr ? fFontEntry->GetLastUse() : 0;
}

uint32_t VPort::PrepareFontChanged(uint16_t need, bool registered) {
  HDC dc = fCurrentDC;
  bool reselect = false;
  if (registered) {
    // Another port measured on the printer since: its DC may have changed,
    // and its font is what the printer DC holds now.
    HDC info = fReferencePrinter->GetInfoDC();
    if (info != fReferenceDC) {
      if (fReferenceFont != nullptr) DeleteObject(fReferenceFont);
      fReferenceFont = nullptr;
      fReferenceDC = info;
      const int32_t portX = GetDeviceCaps(dc, LOGPIXELSX);
      const int32_t portY = GetDeviceCaps(dc, LOGPIXELSY);
      fPrinterRatioX = portX > 0 ? double(GetDeviceCaps(info, LOGPIXELSX)) / portX : 1.0;
      fPrinterRatioY = portY > 0 ? double(GetDeviceCaps(info, LOGPIXELSY)) / portY : 1.0;
      fFontDirty = kFontDirtyAll;
    } else {
      reselect = true;
    }
  }
  if ((fFontDirty & need) == 0 && !reselect) {
    if (fFontEntry != nullptr && (++fTouchSkips & 63) == 0) fFontEntry->Touch();
    return fFontEntry != nullptr ? fFontEntry->GetLastUse() : 0;
  }

  if ((fFontDirty & need & kFontDirtyEntry) != 0) {
    FindFont();
    fFontDirty &= ~kFontDirtyEntry;
  }
  if ((fFontDirty & kFontDirtyGdiFont) != 0 && (need & kFontDirtyGdiFont) == 0) {
    // Metrics not yet measured are read from the GDI font; a recording DC
    // gets its font when asked, as it always did.
    const bool unmeasured =
        (need & kFontDirtyMetrics) != 0 && fFontEntry != nullptr && !fFontEntry->HasMetrics();
    if (unmeasured || IsMetafile() || GetObjectType(dc) == OBJ_ENHMETADC) need |= kFontDirtyGdiFont;
  }
  if ((fFontDirty & need & kFontDirtyGdiFont) != 0 && fFontEntry != nullptr) {
    LOGFONTA* font = fFontEntry->GetDescriptor();
    font->lfWidth = 0;
    font->lfEscapement = 0;
    font->lfOrientation = 0;
    font->lfWeight = (fFontStyle & kStyleBold) != 0 ? FW_BOLD : FW_NORMAL;
    font->lfItalic = (fFontStyle & kStyleItalic) != 0 ? 1 : 0;
    font->lfUnderline = (fFontStyle & kStyleUnderline) != 0 ? 1 : 0;
    font->lfOutPrecision = 0;
    font->lfClipPrecision = 0;
    font->lfQuality = 0;
    if (fReferencePrinter != nullptr && fReferenceDC != nullptr) {
      font->lfHeight = -PixelSize(fReferenceDC);
      HFONT printerFont = CreateFontIndirectA(font);
      if (printerFont == nullptr || SelectObject(fReferenceDC, printerFont) == nullptr) {
        ReportGdiFailure();
      }
      if (fReferenceFont != nullptr) DeleteObject(fReferenceFont);
      fReferenceFont = printerFont;
    }
    font->lfHeight = fSizeInDeviceUnits
                         ? -gm::Trunc(fFontSize)
                         : -gm::Trunc(GetDeviceCaps(dc, LOGPIXELSY) * fFontSize / 72.0 + 0.5);
    HFONT portFont = CreateFontIndirectA(font);
    if (portFont == nullptr) {
      ReportGdiFailure();
    } else {
      HGDIOBJ previous = SelectObject(dc, portFont);
      if (previous == nullptr) {
        ReportGdiFailure();
        DeleteObject(portFont);
      } else {
        DeleteObject(previous);
      }
    }
    fFontDirty &= ~kFontDirtyGdiFont;
  }
  if ((fFontDirty & need & kFontDirtyMetrics) != 0 && fFontEntry != nullptr) {
    if (!fFontEntry->HasMetrics()) {
      TEXTMETRICA tm{};
      if (GetTextMetricsA(dc, &tm)) {
        fTrueType = (tm.tmPitchAndFamily & TMPF_TRUETYPE) != 0;
        double ascent = tm.tmAscent + tm.tmExternalLeading;
        double descent = tm.tmDescent;
        // ascent + descent + leading is tmHeight.
        double leading = tm.tmHeight - ascent - descent;
        if (IsMapped()) {
          const double f = fScaleY * fZoomY;
          ascent /= f;
          descent /= f;
          leading /= f;
        }
        fFontEntry->SetMetrics(static_cast<int16_t>(gm::Trunc(ascent)),
                               static_cast<int16_t>(gm::Trunc(descent)),
                               static_cast<int16_t>(gm::Trunc(leading)));
      } else {
        ReportGdiFailure();
      }
    }
    fFontDirty &= ~kFontDirtyMetrics;
  }
  if (reselect && fReferenceFont != nullptr && fReferenceDC != nullptr) {
    SelectObject(fReferenceDC, fReferenceFont);
  }
  if (fFontEntry == nullptr) return 0;
  fFontEntry->Touch();
  return fFontEntry->GetLastUse();
}

int16_t VPort::GetFontAscent() {
  PrepareFont(kFontDirtyMetrics);
  return fFontEntry != nullptr ? fFontEntry->GetAscent() : 0;
}

int16_t VPort::GetFontDescent() {
  PrepareFont(kFontDirtyMetrics);
  return fFontEntry != nullptr ? fFontEntry->GetDescent() : 0;
}

int16_t VPort::GetFontLeading() {
  PrepareFont(kFontDirtyMetrics);
  return fFontEntry != nullptr ? fFontEntry->GetLeading() : 0;
}

int16_t VPort::GetFontHeight() {
  return static_cast<int16_t>(GetFontAscent() + GetFontDescent());
}

int16_t VPort::GetLineHeight() {
  return static_cast<int16_t>(GetFontAscent() + GetFontDescent() + GetFontLeading());
}

// ---------------------------------------------------------------------------
// Measuring

float VPort::MeasureText(const void* text, int32_t length, int16_t kind) {
  if (length <= 0 || text == nullptr || fCurrentDC == nullptr) return 0.0f;
  PrepareFont(kFontDirtyGdiFont);
  const bool onPrinter = fReferencePrinter != nullptr && fReferenceDC != nullptr;
  HDC dc = onPrinter ? fReferenceDC : fCurrentDC;
  SIZE extent{0, 0};
  if (kind == kTextUnicode) {
    GetTextExtentPoint32W(dc, static_cast<const char16_t*>(text), length, &extent);
  } else if (kind == kTextAnsi) {
    GetTextExtentPoint32A(dc, static_cast<const char*>(text), length, &extent);
  } else if (kind == kTextMac) {
    RunBuffer<char16_t> units(length);
    if (units.Data() == nullptr) return 0.0f;
    const int32_t n =
        BytesToUnicode(static_cast<const uint8_t*>(text), length, true, units.Data());
    GetTextExtentPoint32W(dc, units.Data(), n, &extent);
  }
  double width = extent.cx;
  if (onPrinter) {
    width /= fPrinterRatioX;
  } else if (fZoomOn) {
    width /= fZoomX;
  }
  return static_cast<float>(width);
}

float VPort::MeasureString(const VString& text) {
  StringChars chars(text);
  return MeasureText(chars.Chars(), chars.Length(), chars.Kind());
}

float VPort::CharWidth(char16_t unit) {
  if (fCurrentDC == nullptr) return 0.0f;
  // A width not yet measured makes the GDI font (VCharWidthCache::GetWidth).
  PrepareFont(kFontDirtyEntry);
  if (fFontEntry == nullptr) return 0.0f;
  const bool onPrinter = fReferencePrinter != nullptr && fReferenceDC != nullptr;
  double width = fFontEntry->GetWidth(unit, *this, onPrinter ? fReferenceDC : fCurrentDC);
  if (onPrinter) {
    width /= fPrinterRatioX;
  } else if (fZoomOn) {
    width /= fZoomX;
  }
  return static_cast<float>(width);
}

float VPort::PairWidth(char16_t high, char16_t low) {
  const char16_t pair[2] = {high, low};
  return ClusterWidth(pair, 2);
}

// Flattened: the font is made ready without a call, as for a character.
[[gnu::flatten]] float VPort::ClusterWidth(const char16_t* units, int32_t length) {
  if (length <= 0 || units == nullptr || fCurrentDC == nullptr) return 0.0f;
  PrepareFont(kFontDirtyEntry);
  if (fFontEntry == nullptr) return MeasureText(units, length, kTextUnicode);
  const bool onPrinter = fReferencePrinter != nullptr && fReferenceDC != nullptr;
  int32_t extent = 0;
  if (!fFontEntry->FindCluster(units, length, &extent)) extent = MeasureNewCluster(units, length, onPrinter);
  double width = extent;
  if (onPrinter) {
    width /= fPrinterRatioX;
  } else if (fZoomOn) {
    width /= fZoomX;
  }
  return static_cast<float>(width);
}

// Out of line, so that the road of a kept cluster, taken for nearly every
// mark, makes the font ready without a call.
__attribute__((noinline)) int32_t VPort::MeasureNewCluster(const char16_t* units, int32_t length, bool onPrinter) {
  PrepareFont(kFontDirtyGdiFont);
  SIZE size{0, 0};
  GetTextExtentPoint32W(onPrinter ? fReferenceDC : fCurrentDC, units, length, &size);
  if (fFontEntry != nullptr) fFontEntry->KeepCluster(units, length, size.cx);
  return size.cx;
}

float VPort::MeasureChar(uint16_t code, int16_t kind) {
  char16_t unit = code;
  if (kind == kTextMac || kind == kTextAnsi) {
    const uint8_t byte = static_cast<uint8_t>(code);
    if (BytesToUnicode(&byte, 1, kind == kTextMac, &unit) != 1) return 0.0f;
  }
  return CharWidth(unit);
}

// ---------------------------------------------------------------------------
// Drawing runs

void VPort::DrawTextRun(const void* text, int32_t length, int16_t kind) {
  if (fCurrentDC == nullptr || text == nullptr || length <= 0) return;
  if (kind == kTextUnicode && IsMetafile() && IsWin9xFamily()) {
    // Metafiles of that family keep no wide text: it goes in as ANSI, with
    // room for 3 bytes a character.
    if (length > INT32_MAX / 3) return;
    RunBuffer<uint8_t> bytes(length * 3);
    if (bytes.Data() == nullptr) return;
    const int32_t n = UnicodeToAnsi(static_cast<const char16_t*>(text), length, bytes.Data(),
                                    length * 3);
    DrawTextRun(bytes.Data(), n, kTextAnsi);
    return;
  }
  if (kind == kTextMac) {
    RunBuffer<char16_t> units(length);
    if (units.Data() == nullptr) return;
    const int32_t n =
        BytesToUnicode(static_cast<const uint8_t*>(text), length, true, units.Data());
    DrawTextRun(units.Data(), n, kTextUnicode);
    return;
  }
  if (kind != kTextAnsi && kind != kTextUnicode) return;

  PrepareText();
  if (fTextAngle != 0.0f) {
    DrawTurnedTextRun(text, length, kind);
    return;
  }
  HDC dc = fCurrentDC;
  MoveToEx(dc, gm::Trunc(fOriginX + fPenX), gm::Trunc(fOriginY + fPenY), nullptr);
  PutTextRun(dc, text, length, kind);
  POINT at{0, 0};
  MoveToEx(dc, 0, 0, &at);
  fPenX = static_cast<double>(at.x) - fOriginX;
  fPenY = static_cast<double>(at.y) - fOriginY;
}

void VPort::PutTextRun(HDC dc, const void* text, int32_t length, int16_t kind) {
  if (fReferencePrinter == nullptr || fReferenceDC == nullptr) {
    if (kind == kTextUnicode) {
      TextOutW(dc, 0, 0, static_cast<const char16_t*>(text), length);
    } else {
      TextOutA(dc, 0, 0, static_cast<const char*>(text), length);
    }
    return;
  }
  RunBuffer<INT> widths(length);
  if (widths.Data() == nullptr) return;
  INT* w = widths.Data();
  PrinterAdvances(text, length, kind, w);
  if (kind == kTextUnicode) {
    ExtTextOutW(dc, 0, 0, 0, nullptr, static_cast<const char16_t*>(text), UINT(length), w);
  } else if (!IsMetafile()) {
    ExtTextOutA(dc, 0, 0, 0, nullptr, static_cast<const char*>(text), UINT(length), w);
  } else {
    // One character at a time, each placed at the start plus the advances
    // before it.
    POINT start{0, 0};
    GetCurrentPositionEx(dc, &start);
    const auto* bytes = static_cast<const char*>(text);
    int32_t x = start.x;
    for (int32_t i = 0; i < length; ++i) {
      TextOutA(dc, 0, 0, bytes + i, 1);
      x = gm::Add(x, w[i]);
      MoveToEx(dc, x, start.y, nullptr);
    }
  }
}

void VPort::PrinterAdvances(const void* text, int32_t length, int16_t kind, INT* w) {
  // The printer's widths, laid out on this device with the fraction of a
  // pixel carried from character to character and from run to run.
  const auto* units = static_cast<const char16_t*>(text);
  // Where a unit may join the cluster before it (a mark, a joiner), the
  // run is measured whole, as it is drawn: each unit's share of its
  // cluster's shaped width.
  const bool glance =
      kind == kTextUnicode && std::all_of(units, units + length, [](char16_t u) { return StandsAloneAtAGlance(u); });
  if (kind == kTextUnicode && glance) {
    if (fFontEntry != nullptr) {
      fFontEntry->GetWidths(units, length, *this, fReferenceDC, w);
    } else {
      std::fill(w, w + length, 0);
    }
  } else {
    // Partial extents from the start of the run; each character's width is
    // the difference of two of them.
    INT fit = 0;
    SIZE size{0, 0};
    const BOOL measured =
        kind == kTextUnicode
            ? GetTextExtentExPointW(fReferenceDC, units, length, INT_MAX, &fit, w, &size)
            : GetTextExtentExPointA(fReferenceDC, static_cast<const char*>(text), length, INT_MAX, &fit, w, &size);
    if (!measured) std::fill(w, w + length, 0);
    for (int32_t i = length - 1; i > 0; --i) w[i] -= w[i - 1];
  }
  float running = fTextCarry;
  int32_t placed = 0;
  for (int32_t i = 0; i < length; ++i) {
    running += static_cast<float>(w[i] / fPrinterRatioX);
    const int32_t advance = gm::Trunc(running + 0.5f - float(placed));
    placed += advance;
    w[i] = advance;
  }
  fTextCarry = running - static_cast<float>(placed);
}

void VPort::DrawTurnedTextRun(const void* text, int32_t length, int16_t kind) {
  // The run is drawn black on white into a one-bit bitmap, then turned.
  HDC portDC = fCurrentDC;
  TEXTMETRICA tm{};
  GetTextMetricsA(portDC, &tm);
  const int32_t height = tm.tmAscent + tm.tmDescent;
  const int32_t width = gm::Trunc(MeasureText(text, length, kind) * fZoomX * fScaleX);
  const int16_t rowBytes = PixelMapRowBytes(width, 1, 2);
  if (width <= 0 || height <= 0 || rowBytes <= 0 || gMemoryMgr == nullptr) return;
  const uint32_t size = uint32_t(rowBytes) * uint32_t(height);
  auto* white = static_cast<uint8_t*>(gMemoryMgr->NewBlock(size));
  if (white == nullptr) return;
  std::memset(white, 0xFF, size);
  HBITMAP bitmap = CreateBitmap(width, height, 1, 1, white);
  gMemoryMgr->DisposeBlock(white);
  HDC drawDC = bitmap != nullptr ? CreateCompatibleDC(portDC) : nullptr;
  if (drawDC == nullptr) {
    ReportGdiFailure();
    if (bitmap != nullptr) DeleteObject(bitmap);
    return;
  }
  VTransformedPixelMap turned;
  bool ok = false;
  {
    VGdiSelection bitmapSelection(drawDC, bitmap);
    {
      VGdiSelection fontSelection(drawDC, GetCurrentObject(portDC, OBJ_FONT));
      MoveToEx(drawDC, 0, tm.tmAscent, nullptr);
      SetTextAlign(drawDC, TA_BASELINE | TA_UPDATECP);
      PutTextRun(drawDC, text, length, kind);
      GdiFlush();
      auto* bits = static_cast<uint8_t*>(gMemoryMgr->NewBlock(size));
      ok = bits != nullptr && GetBitmapBits(bitmap, LONG(size), bits) == LONG(size) &&
           TransformPixelMap(fTextAngle, bits, rowBytes, width, height, 1, 2, 0xFF, &turned);
      if (bits != nullptr) gMemoryMgr->DisposeBlock(bits);
    }
    HBITMAP turnedBitmap =
        ok ? CreateBitmap(turned.width, turned.height, 1, 1, turned.pixels) : nullptr;
    if (turned.pixels != nullptr) gMemoryMgr->DisposeBlock(turned.pixels);
    if (turnedBitmap != nullptr) {
      LayTurnedRun(drawDC, turnedBitmap, turned, tm.tmAscent);
      DeleteObject(turnedBitmap);
    }
  }
  DeleteDC(drawDC);
  DeleteObject(bitmap);
  // The pen moves to the turned end of the run.
  double c = 1.0;
  double s = 0.0;
  TurnFactors(fTextAngle, &c, &s);
  fPenX += width * c;
  fPenY -= width * s;
}

void VPort::LayTurnedRun(HDC drawDC, HBITMAP turnedBitmap, const VTransformedPixelMap& turned,
                         int32_t ascent) {
  // The turned bitmap's black pixels go on the port in the text colour.
  HDC portDC = fCurrentDC;
  VGdiSelection selection(drawDC, turnedBitmap);
  double c = 1.0;
  double s = 0.0;
  TurnFactors(fTextAngle, &c, &s);
  // The run turns about its pen point, the start of its baseline, which lies
  // `ascent` below the bitmap's top-left corner.
  const int32_t x = gm::Trunc(fOriginX + fPenX + turned.left - ascent * s);
  const int32_t y = gm::Trunc(fOriginY + fPenY + turned.top - ascent * c);
  SetBkColor(portDC, fBackColor);
  ::SetTextColor(portDC, RGB(0, 0, 0));
  if (!BitBlt(portDC, x, y, turned.width, turned.height, drawDC, 0, 0, MERGEPAINT)) {
    ReportGdiFailure();
  }
  ::SetTextColor(portDC, fTextColor);
  if (!BitBlt(portDC, x, y, turned.width, turned.height, drawDC, 0, 0, SRCAND)) {
    ReportGdiFailure();
  }
}

void VPort::DrawString(const VString& text) {
  StringChars chars(text);
  DrawTextRun(chars.Chars(), chars.Length(), chars.Kind());
}

// ---------------------------------------------------------------------------
// Strings in boxes

namespace {

// Where the line of a box that starts at `at` ends (*lineEnd) and the next
// begins (*next): the whole rest when it fits (`restWidth`), else after the
// longest prefix that ends at a space and fits, else after the first word.
// `ext` holds the partial extents of the rest.
void BreakBoxLine(const char* bytes, int32_t at, int32_t n, const INT* ext, int32_t restWidth,
                  int32_t boxWidth, int32_t* lineEnd, int32_t* next) {
  const int32_t rest = n - at;
  *lineEnd = n;
  *next = n;
  if (restWidth <= boxWidth) return;
  int32_t cut = -1;
  for (int32_t i = 1; i < rest; ++i) {
    if (bytes[at + i] == ' ' && ext[i - 1] <= boxWidth) cut = i;
    if (ext[i - 1] > boxWidth) break;
  }
  if (cut < 0) {
    // No space fits: the line is one word.
    cut = 1;
    while (cut < rest && bytes[at + cut] != ' ') ++cut;
  }
  *lineEnd = at + cut;
  *next = *lineEnd < n ? *lineEnd + 1 : n;
}

}  // namespace

void VPort::DrawTextInBox(const VString& text, int16_t horizontal, int16_t vertical, int32_t x,
                          int32_t y, int32_t w, int32_t h, bool singleLine) {
  if (w < 1 || h < 1 || text.GetLength() == 0 || fCurrentDC == nullptr) return;
  PrepareText();
  const int32_t ascent = GetFontAscent();
  const int32_t lineHeight = ascent + GetFontDescent() + GetFontLeading();
  if (!singleLine) {
    DrawWrappedTextInBox(text, horizontal, vertical, x, y, w, h, ascent, lineHeight);
  } else {
    DrawCutTextInBox(text, horizontal, vertical, x, y, w, h, ascent, lineHeight);
  }
}

void VPort::DrawWrappedTextInBox(const VString& text, int16_t horizontal, int16_t vertical,
                                 int32_t x, int32_t y, int32_t w, int32_t h, int32_t ascent,
                                 int32_t lineHeight) {
  HDC dc = fCurrentDC;
  AnsiText ansi(text);
  const int32_t n = ansi.Length();
  if (n <= 0) return;
  const RECT box = MapRect(x, y, w, h, 0);
  const int32_t boxWidth = box.right - box.left;
  const int32_t boxHeight = box.bottom - box.top;
  const double f = IsMapped() ? fScaleY * fZoomY : 1.0;
  const int32_t deviceLine = gm::Trunc(lineHeight * f);
  const int32_t deviceAscent = gm::Trunc(ascent * f);
  RunBuffer<INT> extents(n);
  if (extents.Data() == nullptr || boxWidth <= 0) return;
  INT* ext = extents.Data();
  SIZE whole{0, 0};
  GetTextExtentPoint32A(dc, ansi.Bytes(), n, &whole);
  int32_t block = deviceLine;
  if (boxHeight > 2 * deviceLine && whole.cx > boxWidth) {
    block = static_cast<int32_t>(
        std::min<int64_t>(boxHeight, int64_t{deviceLine} * (whole.cx / boxWidth + 1)));
  }
  int32_t top = box.top;
  if (vertical == 1 || vertical == 3) {
    top += (boxHeight - block) / 2;
  } else if (vertical == 2) {
    top += boxHeight - block;
  }
  UINT align = TA_BASELINE | TA_LEFT;
  int32_t anchor = box.left;
  if (horizontal == 1 || horizontal == 3) {
    align = TA_BASELINE | TA_CENTER;
    anchor = box.left + boxWidth / 2;
  } else if (horizontal == 2) {
    align = TA_BASELINE | TA_RIGHT;
    anchor = box.right;
  }
  const UINT oldAlign = SetTextAlign(dc, align);
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  int32_t baseline = top + deviceAscent;
  const char* bytes = ansi.Bytes();
  int32_t at = 0;
  while (at < n) {
    INT fit = 0;
    SIZE size{0, 0};
    GetTextExtentExPointA(dc, bytes + at, n - at, INT_MAX, &fit, ext, &size);
    int32_t lineEnd = n;
    int32_t next = n;
    BreakBoxLine(bytes, at, n, ext, size.cx, boxWidth, &lineEnd, &next);
    ExtTextOutA(dc, anchor, baseline, ETO_CLIPPED, &box, bytes + at, UINT(lineEnd - at),
                nullptr);
    baseline += deviceLine;
    at = next;
  }
  SetTextAlign(dc, oldAlign);
  SetBkMode(dc, oldMode);
}

void VPort::DrawCutTextInBox(const VString& text, int16_t horizontal, int16_t vertical,
                             int32_t x, int32_t y, int32_t w, int32_t h, int32_t ascent,
                             int32_t lineHeight) {
  // One line, cut and ended with an ellipsis when it does not fit.
  HDC dc = fCurrentDC;
  StringChars chars(text);
  const int32_t n = chars.Length();
  const float whole = MeasureText(chars.Chars(), n, chars.Kind());
  int32_t fit = n;
  static const char16_t kEllipsis = 0x2026;
  static const char kFullStops[] = "...";
  const void* ellipsis = nullptr;
  int32_t ellipsisLength = 0;
  int16_t ellipsisKind = kTextUnicode;
  float ellipsisWidth = 0.0f;
  if (whole > float(w)) {
    ellipsisWidth = CharWidth(kEllipsis);
    if (ellipsisWidth < 5.0f) {
      ellipsis = kFullStops;
      ellipsisLength = 3;
      ellipsisKind = kTextAnsi;
      ellipsisWidth = MeasureText(kFullStops, 3, kTextAnsi);
    } else {
      ellipsis = &kEllipsis;
      ellipsisLength = 1;
    }
    int32_t fitted = 0;
    if (!CountCharsThatFit(dc, chars.Chars(), n, chars.Kind(), float(w) - ellipsisWidth,
                           &fitted)) {
      return;
    }
    fit = std::clamp<int32_t>(fitted, 0, n);
  }
  const float lineWidth =
      (fit == n ? whole : MeasureText(chars.Chars(), fit, chars.Kind())) + ellipsisWidth;
  double lineX = static_cast<double>(x) + 1;
  if (horizontal == 1 || horizontal == 3) {
    lineX = x + gm::Trunc((w - lineWidth) / 2);
  } else if (horizontal == 2) {
    lineX = x + gm::Trunc(w - lineWidth);
  }
  int32_t lineTop = y;
  if (vertical == 1 || vertical == 3) {
    lineTop = y + (h - lineHeight) / 2 + 1;
  } else if (vertical == 2) {
    lineTop = y + h - lineHeight;
  }
  MoveTo(lineX, static_cast<double>(lineTop) + ascent, true);
  if (fit > 0) DrawTextRun(chars.Chars(), fit, chars.Kind());
  if (ellipsis != nullptr) DrawTextRun(ellipsis, ellipsisLength, ellipsisKind);
}

bool VPort::CountCharsThatFit(HDC dc, const void* text, int32_t n, int16_t kind, float room,
                              int32_t* fitted) {
  const bool onPrinter = fReferencePrinter != nullptr && fReferenceDC != nullptr;
  const double factor = onPrinter ? fPrinterRatioX : (fZoomOn ? fZoomX : 1.0);
  const INT maxExtent = room <= 0.0f ? 0 : gm::Trunc(room * factor);
  HDC measuring = onPrinter ? fReferenceDC : dc;
  SIZE size{0, 0};
  *fitted = 0;
  if (room <= 0.0f) {
    *fitted = 0;
  } else if (kind == kTextAnsi) {
    GetTextExtentExPointA(measuring, static_cast<const char*>(text), n, maxExtent, fitted,
                          nullptr, &size);
  } else {
    RunBuffer<char16_t> units(n);
    if (units.Data() == nullptr) return false;
    int32_t count = n;
    if (kind == kTextUnicode) {
      std::memcpy(units.Data(), text, size_t(n) * 2);
    } else {
      count = BytesToUnicode(static_cast<const uint8_t*>(text), n, true, units.Data());
    }
    if (IsNTFamily()) {
      GetTextExtentExPointW(measuring, units.Data(), count, maxExtent, fitted, nullptr, &size);
    } else {
      float sum = 0.0f;
      *fitted = 0;
      while (*fitted < count) {
        sum += CharWidth(units.Data()[*fitted]);
        if (sum > room) break;
        ++*fitted;
      }
    }
  }
  return true;
}

void VPort::DrawTextInRect(const VString& text, int16_t horizontal, int16_t vertical,
                           const VRect& r, bool singleLine) {
  DrawTextInBox(text, horizontal, vertical, r.GetLeft(), r.GetTop(), r.GetWidth(), r.GetHeight(),
                singleLine);
}

void VPort::DrawTextInBoxSystem(const VString& text, int16_t horizontal, int16_t vertical,
                                const VRect& r, int32_t) {
  if (fCurrentDC == nullptr || text.GetLength() == 0) return;
  PrepareText();
  HDC dc = fCurrentDC;
  AnsiText ansi(text);
  if (ansi.Length() <= 0) return;
  UINT format = DT_EDITCONTROL;
  if (horizontal == 1) {
    format |= DT_CENTER;
  } else if (horizontal == 2) {
    format |= DT_RIGHT;
  }
  RECT box = MapRect(r.GetLeft(), r.GetTop(), r.GetWidth(), r.GetHeight(), 0);
  const UINT oldAlign = SetTextAlign(dc, TA_LEFT | TA_TOP);
  if (vertical == 1 || vertical == 2) {
    RECT measured = box;
    DrawTextExA(dc, ansi.Bytes(), ansi.Length(), &measured, format | DT_CALCRECT, nullptr);
    const int32_t free = (box.bottom - box.top) - (measured.bottom - measured.top);
    box.top += vertical == 1 ? free / 2 : free;
  }
  box.left += 1;
  box.right -= 1;
  box.bottom -= 1;
  DrawTextExA(dc, ansi.Bytes(), ansi.Length(), &box, format, nullptr);
  SetTextAlign(dc, oldAlign);
}

// ---------------------------------------------------------------------------
// The text pen

void VPort::MoveTo(double x, double y, bool resetCarry) {
  const double oldY = fPenY;
  if (IsMapped()) {
    fPenX = x * fScaleX * fZoomX;
    fPenY = y * fScaleY * fZoomY;
  } else {
    fPenX = x;
    fPenY = y;
  }
  if (resetCarry || (fReferencePrinter != nullptr && fPenY != oldY)) fTextCarry = 0.0f;
}

void VPort::Move(int32_t dx, int32_t dy) {
  if (fZoomOn) {
    fPenX += gm::Trunc(dx * fScaleX * fZoomX);
    fPenY += gm::Trunc(dy * fScaleY * fZoomY);
  } else if (fDeviceScaleOn) {
    fPenX += gm::Trunc(dx * fScaleX);
    fPenY += gm::Trunc(dy * fScaleY);
  } else {
    fPenX += dx;
    fPenY += dy;
  }
}

void VPort::AdvancePen(float width) {
  if (!IsMapped()) {
    const float v = width + static_cast<float>(fPenX) + fTextCarry;
    fPenX = gm::Trunc(v + 0.5f);
    fTextCarry = v - static_cast<float>(fPenX);
  } else {
    fPenX += gm::Trunc(width * (fScaleX * fZoomX));
  }
}

void VPort::GetPenPosition(double& x, double& y) const {
  if (fZoomOn) {
    x = fPenX / (fZoomX * fScaleX);
    y = fPenY / (fZoomY * fScaleY);
  } else if (fDeviceScaleOn) {
    x = fPenX / fScaleX;
    y = fPenY / fScaleY;
  } else {
    x = fPenX;
    y = fPenY;
  }
}

void VPort::PushPenPosition() {
  PushReal(fPenPositionStack, fTextCarry);
  PushReal(fPenPositionStack, fPenX);
  PushReal(fPenPositionStack, fPenY);
}

void VPort::PopPenPosition() {
  fPenY = fPenPositionStack.Pop();
  fPenX = fPenPositionStack.Pop();
  fTextCarry = static_cast<float>(fPenPositionStack.Pop());
}

// ---------------------------------------------------------------------------
// The reference printer

void VPort::SetReferencePrinter(VReferencePrinter* printer) {
  if (fZoomOn || printer == fReferencePrinter) return;
  ClearReferencePrinter();
  if (printer == nullptr) return;
  fReferencePrinter = printer;
  fReferenceDC = printer->GetInfoDC();
  const int32_t portX = fCurrentDC != nullptr ? GetDeviceCaps(fCurrentDC, LOGPIXELSX) : 0;
  const int32_t portY = fCurrentDC != nullptr ? GetDeviceCaps(fCurrentDC, LOGPIXELSY) : 0;
  fPrinterRatioX =
      portX > 0 && fReferenceDC != nullptr ? double(GetDeviceCaps(fReferenceDC, LOGPIXELSX)) / portX
                                           : 1.0;
  fPrinterRatioY =
      portY > 0 && fReferenceDC != nullptr ? double(GetDeviceCaps(fReferenceDC, LOGPIXELSY)) / portY
                                           : 1.0;
  fTextCarry = 0.0f;
  fFontDirty = kFontDirtyAll;
}

void VPort::ClearReferencePrinter() {
  if (fReferencePrinter == nullptr) return;
  const bool wasUser = !fReferencePrinter->RegisterPort(this);
  if (wasUser && fReferenceDC != nullptr) {
    // The port's font leaves the printer's DC before it is deleted.
    SelectObject(fReferenceDC, GetStockObject(SYSTEM_FONT));
  }
  if (fReferenceFont != nullptr) DeleteObject(fReferenceFont);
  fReferenceFont = nullptr;
  fReferencePrinter->RegisterPort(nullptr);
  fReferencePrinter = nullptr;
  fReferenceDC = nullptr;
  fTextCarry = 0.0f;
  fPrinterRatioX = fPrinterRatioY = 1.0;
  fFontDirty = kFontDirtyAll;
}

void VPort::MeasureTextBlock(const VString& text, int32_t& width, int32_t& height) {
  width = height = 0;
  if (fCurrentDC == nullptr || text.GetLength() == 0) return;
  PrepareText();
  AnsiText ansi(text);
  if (ansi.Length() <= 0) return;
  RECT box{fOriginX, fOriginY, gm::Add(fOriginX, 10000), gm::Add(fOriginY, 10000)};
  const UINT oldAlign = SetTextAlign(fCurrentDC, 0);
  DrawTextExA(fCurrentDC, ansi.Bytes(), ansi.Length(), &box, DT_CALCRECT | DT_EDITCONTROL,
              nullptr);
  SetTextAlign(fCurrentDC, oldAlign);
  width = box.right - box.left;
  height = box.bottom - box.top;
  if (fZoomOn) {
    width = gm::Trunc(width / fZoomX);
    height = gm::Trunc(height / fZoomY);
  }
}

void VPort::DrawRectDecoration(const VRect&, int32_t, int32_t) {}

void VPort::BeginTextBlock() {}
