// The GDI text calls: fonts, metrics, extents, TextOut and ExtTextOut (with
// alignment, the current position, clipping, opaque backgrounds, advance
// arrays, escapement, underline and strike-out), in ANSI and UTF-16.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/gdi/GdiFont.h"
#include "platform/gdi/GdiInternal.h"
#include "platform/gdi/GdiText.h"
#include "platform/gdi/fonts/GdiFontInstance.h"
#include "platform/gdi/fonts/GdiTextShaper.h"

using GdiFonts::FontInstance;
using GdiFonts::Mask;

namespace {

// Counts are 32-bit on Win32; a count beyond that is bad input, not text.
constexpr uint64_t kMaxCount = INT32_MAX;

std::shared_ptr<FontInstance> CurrentFont(GdiDC& dc) {
  GdiFont* font = dc.state.font;
  if (!font) font = GdiFontFromHandle(static_cast<HFONT>(GetStockObject(SYSTEM_FONT)));
  if (!font) return FontInstance::Realize(LOGFONTA{});
  if (!font->realization) font->realization = FontInstance::Realize(font->logFont);
  return std::static_pointer_cast<FontInstance>(font->realization);
}

int32_t ClampToInt32(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

// Device positions of a run are kept in 64 bits: advances from a caller or a
// stored record can add up far beyond the 32-bit range, and only what lands on
// the device is narrowed to 32 bits. Past +-2^62 nothing is near any device;
// the clamp keeps the conversion defined.
int64_t RoundToInt64(double v) {
  constexpr double kFar = 4.0e18;
  return static_cast<int64_t>(std::floor(std::clamp(v, -kFar, kFar) + 0.5));
}

int32_t RoundToInt32(double v) { return ClampToInt32(RoundToInt64(v)); }

RECT DeviceRect(const GdiDC& dc, const RECT& logical) {
  POINT a = GdiToDevice(dc, POINT{logical.left, logical.top});
  POINT b = GdiToDevice(dc, POINT{logical.right, logical.bottom});
  return RECT{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}

// The part of a 64-bit device box on the DC's surface; false when none is.
bool OnSurface(GdiDC& dc, int64_t left, int64_t top, int64_t right, int64_t bottom, RECT* out) {
  const GdiSurface* s = dc.Target();
  if (!s) return false;
  left = std::max<int64_t>(left, 0);
  top = std::max<int64_t>(top, 0);
  right = std::min<int64_t>(right, s->width);
  bottom = std::min<int64_t>(bottom, s->height);
  if (left >= right || top >= bottom) return false;
  *out = RECT{static_cast<LONG>(left), static_cast<LONG>(top), static_cast<LONG>(right),
              static_cast<LONG>(bottom)};
  return true;
}

// Paints the covered pixels of a 1-bit mask placed with its origin at device
// (x, y); a mask wholly off the surface costs nothing.
void PaintBits(GdiDC& dc, int64_t x, int64_t y, const Mask& mask, COLORREF color,
               const RECT* clip) {
  if (mask.width <= 0 || mask.rows <= 0) return;
  const int64_t left = x + mask.left, top = y + mask.top;
  RECT shown;
  if (!OnSurface(dc, left, top, left + mask.width, top + mask.rows, &shown)) return;
  std::vector<uint8_t> bytes(static_cast<size_t>(mask.width) * mask.rows);
  for (int row = 0; row < mask.rows; ++row) {
    const uint8_t* in = &mask.bits[static_cast<size_t>(row) * mask.pitch];
    uint8_t* out = &bytes[static_cast<size_t>(row) * mask.width];
    for (int col = 0; col < mask.width; ++col) {
      out[col] = (in[col >> 3] & (0x80 >> (col & 7))) ? 0xFF : 0;
    }
  }
  GdiPaintMask(dc, left, top, mask.width, mask.rows, bytes.data(), mask.width, color, clip);
}

// The stretch [*from, *to) of a run's length (along its baseline from the
// origin, direction (dirX, dirY)) that can meet the surface: the surface's
// corners projected onto the baseline bound it, widened by `reach`, the
// farthest the box strays across the baseline. False when nothing is left.
bool AlongOnSurface(GdiDC& dc, double originX, double originY, double dirX, double dirY,
                    double reach, double* from, double* to) {
  const GdiSurface* s = dc.Target();
  if (!s) return false;
  double lo = 0, hi = 0;
  bool first = true;
  for (double cx : {0.0, static_cast<double>(s->width)}) {
    for (double cy : {0.0, static_cast<double>(s->height)}) {
      double t = (cx - originX) * dirX + (cy - originY) * dirY;
      lo = first ? t : std::min(lo, t);
      hi = first ? t : std::max(hi, t);
      first = false;
    }
  }
  *from = std::max(*from, std::floor(lo - reach - 1));
  *to = std::min(*to, std::ceil(hi + reach + 1));
  return *from < *to;
}

}  // namespace

GdiTextRun GdiTextRun::Measure(HDC dc, const void* text, bool wide, int64_t count, bool* ok) {
  GdiTextRun run;
  *ok = false;
  GdiDC* context = GdiDcFromHandle(dc);
  if (!context) return run;
  if (count < 0 || static_cast<uint64_t>(count) > kMaxCount || (count > 0 && !text)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return run;
  }
  run.font = CurrentFont(*context);
  if (wide) {
    const auto* units = static_cast<const char16_t*>(text);
    if (count > 0) run.units.assign(units, units + count);
  } else {
    run.units = run.font->UnitsFromAnsi(static_cast<const char*>(text), static_cast<int>(count));
  }
  run.advances.resize(run.units.size());
  // A surrogate pair is one character, measured with its low half; the
  // high half takes no room.
  run.font->Advances(run.units.data(), run.units.size(), run.advances.data());
  int64_t total = 0;
  for (int32_t advance : run.advances) total += advance;
  run.width = ClampToInt32(total);
  *ok = true;
  return run;
}

namespace {

// A recording DC draws nothing: the call goes to its recorder with the
// characters and the advance of each (as steps along the baseline).
void RecordTextRun(HDC handle, GdiDC& dc, int32_t x, int32_t y, UINT align, UINT options, const RECT* rect,
                   const void* text, bool wide, int64_t count, const GdiTextRun& run) {
  std::vector<POINT> steps(run.advances.size());
  for (size_t i = 0; i < steps.size(); ++i) steps[i] = POINT{run.advances[i], 0};
  GdiCall call{GdiOp::TextOut};
  call.args[0] = x;
  call.args[1] = y;
  call.args[2] = static_cast<int32_t>(options);
  if (rect) {
    call.args[3] = rect->left;
    call.args[4] = rect->top;
    call.args[5] = rect->right;
    call.args[6] = rect->bottom;
    call.args[7] = 1;
  }
  call.args[8] = wide ? 1 : 0;
  call.points = steps.data();
  call.count = static_cast<int32_t>(count);
  call.data = text;
  call.size = static_cast<size_t>(count) * (wide ? 2 : 1);
  // The recorder reads the alignment from the DC; a run drawn with another
  // (DrawTextExA's lines) goes through SetTextAlign, so that it is recorded.
  const UINT saved = dc.state.textAlign;
  if (saved != align) SetTextAlign(handle, align);
  dc.recorder->Record(dc, call);
  if (saved != align) SetTextAlign(handle, saved);
}

// Where a run lands on the device: its origin (the start of its baseline),
// the directions along and across (downward) the baseline, its length and
// the clip of ETO_CLIPPED.
struct RunPlace {
  double originX = 0, originY = 0;
  double dirX = 1, dirY = 0, downX = 0, downY = 1;
  int64_t total = 0;
  RECT clipRect{};
  bool clipped = false;

  const RECT* Clip() const { return clipped ? &clipRect : nullptr; }
};

RunPlace PlaceRun(GdiDC& dc, FontInstance& font, POINT reference, UINT align, UINT options, const RECT* rect,
                  int64_t total) {
  RunPlace place;
  place.total = total;
  const TEXTMETRICA& tm = font.Metrics();
  place.dirX = font.DirectionX();
  place.dirY = font.DirectionY();
  // Across the baseline, downward: the direction turned a quarter clockwise.
  place.downX = -place.dirY;
  place.downY = place.dirX;
  const POINT device = GdiToDevice(dc, reference);
  // Where the run starts along the baseline, and where the baseline lies
  // across it, relative to the reference point.
  double along = 0;
  if ((align & TA_CENTER) == TA_CENTER) {
    along = -static_cast<double>(total / 2);
  } else if ((align & TA_CENTER) == TA_RIGHT) {
    along = -static_cast<double>(total);
  }
  double across = 0;
  if ((align & TA_BASELINE) == TA_BASELINE) {
    across = 0;
  } else if ((align & TA_BASELINE) == TA_BOTTOM) {
    across = -tm.tmDescent;
  } else {
    across = tm.tmAscent;
  }
  place.originX = device.x + along * place.dirX + across * place.downX;
  place.originY = device.y + along * place.dirY + across * place.downY;
  if (rect && (options & ETO_CLIPPED)) {
    place.clipRect = DeviceRect(dc, *rect);
    place.clipped = true;
  }
  return place;
}

// A box of the run in baseline terms: along from 0 to the run's length,
// across between two offsets from the baseline (positive = below).
void FillRunBox(GdiDC& dc, FontInstance& font, const RunPlace& place, double across0, double across1,
                COLORREF color) {
  if (place.total <= 0 || across1 <= across0) return;
  if (!font.IsRotated()) {
    // Unturned text runs left to right from the origin, whole pixels.
    const int64_t left = RoundToInt64(place.originX);
    const int64_t top = RoundToInt64(place.originY + across0);
    RECT box;
    if (OnSurface(dc, left, top, left + place.total, top + static_cast<int64_t>(across1 - across0), &box)) {
      GdiFillDeviceRect(dc, box, color, place.Clip());
    }
    return;
  }
  // Turned, only the stretch that can reach the surface is made into a
  // mask; one cut at its start is made from where the cut falls.
  double from = 0, to = static_cast<double>(place.total);
  const double reach = std::max(std::abs(across0), std::abs(across1));
  if (!AlongOnSurface(dc, place.originX, place.originY, place.dirX, place.dirY, reach, &from, &to)) return;
  Mask mask = font.BoxMask(0, to - from, across0, across1);
  PaintBits(dc, RoundToInt64(place.originX + from * place.dirX), RoundToInt64(place.originY + from * place.dirY),
            mask, color, place.Clip());
}

// Marks on their letters, joiners unseen: the run's clusters shaped, each
// where the advances put its first unit.
void DrawShapedGlyphs(GdiDC& dc, FontInstance& font, const GdiTextRun& run, const RunPlace& place, COLORREF ink) {
  std::vector<GdiFonts::PlacedGlyph> placed;
  std::vector<std::shared_ptr<FontInstance>> others;
  GdiFonts::ShapeRun(font, run.units.data(), run.units.size(), run.advances.data(), &placed, &others);
  for (const GdiFonts::PlacedGlyph& g : placed) {
    FontInstance& by = g.font == FontInstance::kThisFont ? font : *others[size_t(g.font)];
    const int64_t gx = RoundToInt64(place.originX + g.x * place.dirX + g.y * place.downX);
    const int64_t gy = RoundToInt64(place.originY + g.x * place.dirY + g.y * place.downY);
    PaintBits(dc, gx, gy, *by.IndexedGlyph(g.index), ink, place.Clip());
  }
}

// A character at a time, each at the sum of the advances before it.
void DrawPlainGlyphs(GdiDC& dc, FontInstance& font, const GdiTextRun& run, const RunPlace& place, COLORREF ink) {
  int64_t position = 0;
  for (size_t i = 0; i < run.units.size(); ++i) {
    // Each character's origin is rounded on its own, so turned text keeps
    // the whole-pixel advances along its baseline.
    const int64_t gx = RoundToInt64(place.originX + static_cast<double>(position) * place.dirX);
    const int64_t gy = RoundToInt64(place.originY + static_cast<double>(position) * place.dirY);
    const char32_t code = GdiFonts::RunCharacterAt(run.units.data(), run.units.size(), i);
    if (code != 0 || run.units[i] == 0) PaintBits(dc, gx, gy, *font.Glyph(code), ink, place.Clip());
    position += run.advances[i];
  }
}

// The run's pixels: its opaque background and ETO_OPAQUE rectangle, its
// glyphs, its underline and strike-out.
void PaintTextRun(GdiDC& dc, const GdiTextRun& run, POINT reference, UINT align, UINT options, const RECT* rect,
                  int64_t total) {
  FontInstance& font = *run.font;
  const TEXTMETRICA& tm = font.Metrics();
  const RunPlace place = PlaceRun(dc, font, reference, align, options, rect, total);
  if (rect && (options & ETO_OPAQUE)) GdiFillDeviceRect(dc, DeviceRect(dc, *rect), dc.state.bkColor);
  if (dc.state.bkMode == OPAQUE) FillRunBox(dc, font, place, -tm.tmAscent, tm.tmDescent, dc.state.bkColor);
  const COLORREF ink = dc.state.textColor;
  if (GdiFonts::RunNeedsShaping(font, run.units.data(), run.units.size())) {
    DrawShapedGlyphs(dc, font, run, place, ink);
  } else {
    DrawPlainGlyphs(dc, font, run, place, ink);
  }
  const LOGFONTA& logFont = font.LogFont();
  if (logFont.lfUnderline) {
    FillRunBox(dc, font, place, font.UnderlineTop(), font.UnderlineTop() + font.UnderlineThickness(), ink);
  }
  if (logFont.lfStrikeOut) {
    FillRunBox(dc, font, place, font.StrikeTop(), font.StrikeTop() + font.StrikeThickness(), ink);
  }
}

}  // namespace

bool GdiDrawTextRun(HDC handle, int32_t x, int32_t y, UINT align, UINT options, const RECT* rect,
                    const void* text, bool wide, int64_t count, const INT* advances) {
  GdiDC* dc = GdiDcFromHandle(handle);
  if (!dc) return false;
  bool ok = false;
  GdiTextRun run = GdiTextRun::Measure(handle, text, wide, count, &ok);
  if (!ok) return false;
  // An advance array given by the caller places the characters instead of the font's widths.
  int64_t total = 0;
  for (size_t i = 0; i < run.advances.size(); ++i) {
    if (advances) run.advances[i] = advances[i];
    total += run.advances[i];
  }
  const bool updateCp = (align & TA_UPDATECP) != 0;
  const POINT reference = updateCp ? dc->state.position : POINT{x, y};
  if (dc->recorder) {
    RecordTextRun(handle, *dc, x, y, align, options, rect, text, wide, count, run);
  } else {
    PaintTextRun(*dc, run, reference, align, options, rect, total);
  }
  if (updateCp) {
    // The current position moves past the run: to its end for left-aligned
    // text, to its start for right-aligned text; centred text leaves it.
    double step = 0;
    if ((align & TA_CENTER) == TA_LEFT) step = static_cast<double>(total);
    if ((align & TA_CENTER) == TA_RIGHT) step = -static_cast<double>(total);
    if (step != 0) {
      const POINT device = GdiToDevice(*dc, reference);
      const POINT moved{RoundToInt32(device.x + step * run.font->DirectionX()),
                        RoundToInt32(device.y + step * run.font->DirectionY())};
      dc->state.position = GdiToLogical(*dc, moved);
    }
  }
  return true;
}

HFONT CreateFontIndirectA(const LOGFONTA* font) {
  if (!font) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return GdiNewFont(*font);
}

BOOL GetTextMetricsA(HDC dc, TEXTMETRICA* metrics) {
  GdiDC* context = GdiDcFromHandle(dc);
  if (!context) return FALSE_;
  if (!metrics) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE_;
  }
  *metrics = CurrentFont(*context)->Metrics();
  return TRUE_;
}

int GetTextFaceA(HDC dc, int size, char* face) {
  GdiDC* context = GdiDcFromHandle(dc);
  if (!context) return 0;
  const std::string& name = CurrentFont(*context)->FaceName();
  if (!face) return static_cast<int>(name.size()) + 1;
  if (size <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  size_t copied = std::min(name.size(), static_cast<size_t>(size) - 1);
  std::memcpy(face, name.data(), copied);
  face[copied] = '\0';
  return static_cast<int>(copied) + 1;
}

namespace {

BOOL Extent(HDC dc, const void* text, bool wide, int count, SIZE* size) {
  if (!size) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE_;
  }
  bool ok = false;
  GdiTextRun run = GdiTextRun::Measure(dc, text, wide, count, &ok);
  if (!ok) return FALSE_;
  size->cx = run.width;
  size->cy = run.font->Metrics().tmHeight;
  return TRUE_;
}

BOOL ExtentEx(HDC dc, const void* text, bool wide, int count, int maxExtent, int* fit,
              int* extents, SIZE* size) {
  bool ok = false;
  GdiTextRun run = GdiTextRun::Measure(dc, text, wide, count, &ok);
  if (!ok) return FALSE_;
  int64_t running = 0;
  int fitted = 0;
  bool fitting = true;
  for (size_t i = 0; i < run.advances.size(); ++i) {
    running += run.advances[i];
    if (extents) extents[i] = ClampToInt32(running);
    if (fitting && running <= maxExtent) {
      ++fitted;
    } else {
      fitting = false;
    }
  }
  if (fit) *fit = fitted;
  if (size) {
    size->cx = run.width;
    size->cy = run.font->Metrics().tmHeight;
  }
  return TRUE_;
}

}  // namespace

BOOL GetTextExtentPoint32A(HDC dc, LPCSTR text, int count, SIZE* size) {
  return Extent(dc, text, false, count, size);
}

BOOL GetTextExtentPoint32W(HDC dc, LPCWSTR text, int count, SIZE* size) {
  return Extent(dc, text, true, count, size);
}

BOOL GetTextExtentExPointA(HDC dc, LPCSTR text, int count, int maxExtent, int* fit, int* extents,
                           SIZE* size) {
  return ExtentEx(dc, text, false, count, maxExtent, fit, extents, size);
}

BOOL GetTextExtentExPointW(HDC dc, LPCWSTR text, int count, int maxExtent, int* fit,
                           int* extents, SIZE* size) {
  return ExtentEx(dc, text, true, count, maxExtent, fit, extents, size);
}

BOOL TextOutA(HDC dc, int x, int y, LPCSTR text, int count) {
  return GdiDrawTextRun(dc, x, y, GetTextAlign(dc), 0, nullptr, text, false, count, nullptr);
}

BOOL TextOutW(HDC dc, int x, int y, LPCWSTR text, int count) {
  return GdiDrawTextRun(dc, x, y, GetTextAlign(dc), 0, nullptr, text, true, count, nullptr);
}

BOOL ExtTextOutA(HDC dc, int x, int y, UINT options, const RECT* rect, LPCSTR text, UINT count,
                 const INT* advances) {
  return GdiDrawTextRun(dc, x, y, GetTextAlign(dc), options, rect, text, false, count, advances);
}

BOOL ExtTextOutW(HDC dc, int x, int y, UINT options, const RECT* rect, LPCWSTR text, UINT count,
                 const INT* advances) {
  return GdiDrawTextRun(dc, x, y, GetTextAlign(dc), options, rect, text, true, count, advances);
}
