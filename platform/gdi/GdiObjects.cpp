// The GDI object table and the objects themselves: stock objects, pens,
// brushes, palettes and fonts, selection into DCs, GetObject and deletion.
#include <algorithm>
#include <cstring>
#include <mutex>

#include "platform/gdi/GdiExtra.h"
#include "platform/gdi/GdiInternal.h"

namespace {

// A handle value: generation (8 bits, never 0) << 24 | index << 4 | kind.
constexpr uint32_t kMaxIndex = (1u << 20) - 1;

struct Slot {
  std::unique_ptr<GdiObject> object;
  uint8_t generation = 1;
};

// The table lives for the whole process (never destroyed), so objects still
// live at exit are not torn down in an order where a DC outlives its pens.
struct Table {
  std::mutex mutex;
  std::vector<Slot> slots = std::vector<Slot>(1);  // index 0 unused: no handle is 0
  std::vector<uint32_t> freeSlots;
};
Table& TheTable() {
  static Table* table = new Table;
  return *table;
}

uint32_t HandleValue(HGDIOBJ handle) {
  uintptr_t v = reinterpret_cast<uintptr_t>(handle);
  return v > 0xFFFFFFFFu ? 0 : static_cast<uint32_t>(v);
}

GdiObject* LookupLocked(HGDIOBJ handle) {
  uint32_t v = HandleValue(handle);
  uint32_t index = (v >> 4) & kMaxIndex;
  uint8_t generation = static_cast<uint8_t>(v >> 24);
  if (v == 0 || index == 0 || index >= TheTable().slots.size()) return nullptr;
  Slot& slot = TheTable().slots[index];
  if (!slot.object || slot.generation != generation) return nullptr;
  if (static_cast<uint32_t>(slot.object->kind) != (v & 0xF)) return nullptr;
  return slot.object.get();
}

// Stock objects, made on first use.
struct Stock {
  GdiObject* objects[18] = {};
  GdiBitmap* defaultBitmap = nullptr;
};

// The 20 reserved colours of the default palette.
constexpr PALETTEENTRY kDefaultPalette[20] = {
    {0x00, 0x00, 0x00, 0}, {0x80, 0x00, 0x00, 0}, {0x00, 0x80, 0x00, 0}, {0x80, 0x80, 0x00, 0},
    {0x00, 0x00, 0x80, 0}, {0x80, 0x00, 0x80, 0}, {0x00, 0x80, 0x80, 0}, {0xC0, 0xC0, 0xC0, 0},
    {0xC0, 0xDC, 0xC0, 0}, {0xA6, 0xCA, 0xF0, 0}, {0xFF, 0xFB, 0xF0, 0}, {0xA0, 0xA0, 0xA4, 0},
    {0x80, 0x80, 0x80, 0}, {0xFF, 0x00, 0x00, 0}, {0x00, 0xFF, 0x00, 0}, {0xFF, 0xFF, 0x00, 0},
    {0x00, 0x00, 0xFF, 0}, {0xFF, 0x00, 0xFF, 0}, {0x00, 0xFF, 0xFF, 0}, {0xFF, 0xFF, 0xFF, 0},
};

GdiObject* MakeStock(std::unique_ptr<GdiObject> object) {
  object->stock = true;
  GdiObject* raw = object.get();
  GdiInsert(std::move(object));
  return raw;
}

GdiObject* StockBrush(COLORREF color, UINT style) {
  auto b = std::make_unique<GdiBrush>();
  b->data.style = style;
  b->data.color = color;
  return MakeStock(std::move(b));
}

GdiObject* StockPen(COLORREF color, UINT style) {
  auto p = std::make_unique<GdiPen>();
  p->style = style;
  p->width = 1;
  p->brush.style = style == PS_NULL ? BS_NULL : BS_SOLID;
  p->brush.color = color;
  return MakeStock(std::move(p));
}

GdiObject* StockFont(const char* face, LONG height, LONG weight, BYTE charset, BYTE pitch) {
  auto f = std::make_unique<GdiFont>();
  f->logFont.lfHeight = height;
  f->logFont.lfWeight = weight;
  f->logFont.lfCharSet = charset;
  f->logFont.lfPitchAndFamily = pitch;
  std::strncpy(f->logFont.lfFaceName, face, LF_FACESIZE - 1);
  return MakeStock(std::move(f));
}

Stock& TheStock() {
  static Stock* stock = [] {
    auto* s = new Stock;
    s->objects[WHITE_BRUSH] = StockBrush(RGB(255, 255, 255), BS_SOLID);
    s->objects[LTGRAY_BRUSH] = StockBrush(RGB(192, 192, 192), BS_SOLID);
    s->objects[GRAY_BRUSH] = StockBrush(RGB(128, 128, 128), BS_SOLID);
    s->objects[DKGRAY_BRUSH] = StockBrush(RGB(64, 64, 64), BS_SOLID);
    s->objects[BLACK_BRUSH] = StockBrush(RGB(0, 0, 0), BS_SOLID);
    s->objects[NULL_BRUSH] = StockBrush(0, BS_NULL);
    s->objects[WHITE_PEN] = StockPen(RGB(255, 255, 255), PS_SOLID);
    s->objects[BLACK_PEN] = StockPen(RGB(0, 0, 0), PS_SOLID);
    s->objects[NULL_PEN] = StockPen(0, PS_NULL);
    s->objects[OEM_FIXED_FONT] =
        StockFont("Terminal", 12, FW_NORMAL, OEM_CHARSET, FIXED_PITCH | FF_MODERN);
    s->objects[ANSI_FIXED_FONT] =
        StockFont("Courier", 13, FW_NORMAL, ANSI_CHARSET, FIXED_PITCH | FF_MODERN);
    s->objects[ANSI_VAR_FONT] =
        StockFont("MS Sans Serif", 13, FW_NORMAL, ANSI_CHARSET, VARIABLE_PITCH | FF_SWISS);
    s->objects[SYSTEM_FONT] =
        StockFont("System", 16, FW_BOLD, ANSI_CHARSET, VARIABLE_PITCH | FF_SWISS);
    s->objects[DEVICE_DEFAULT_FONT] =
        StockFont("System", 16, FW_BOLD, ANSI_CHARSET, VARIABLE_PITCH | FF_SWISS);
    s->objects[SYSTEM_FIXED_FONT] =
        StockFont("Fixedsys", 15, FW_NORMAL, ANSI_CHARSET, FIXED_PITCH | FF_MODERN);
    s->objects[DEFAULT_GUI_FONT] =
        StockFont("MS Sans Serif", -11, FW_NORMAL, DEFAULT_CHARSET, VARIABLE_PITCH | FF_SWISS);
    auto pal = std::make_unique<GdiPalette>();
    pal->entries.assign(std::begin(kDefaultPalette), std::end(kDefaultPalette));
    s->objects[DEFAULT_PALETTE] = MakeStock(std::move(pal));
    auto bmp = std::make_unique<GdiBitmap>();
    bmp->surface = GdiSurface::Create(1, 1, 1, 2, false);
    bmp->surface->deviceMono = true;
    bmp->surface->colors = {{0, 0, 0, 0}, {255, 255, 255, 0}};
    s->defaultBitmap = static_cast<GdiBitmap*>(MakeStock(std::move(bmp)));
    return s;
  }();
  return *stock;
}

std::shared_ptr<GdiSurface> PatternFromBitmap(HBITMAP bitmap) {
  GdiBitmap* b = GdiBitmapFromHandle(bitmap);
  if (!b || !b->surface) return nullptr;
  return GdiCopySurface(*b->surface);
}

// Checks a LOGBRUSH and fills brush data from it (a pattern bitmap is copied).
bool BrushDataFrom(const LOGBRUSH& lb, GdiBrushData* data, HBITMAP* patternHandle) {
  data->style = lb.lbStyle;
  data->color = lb.lbColor;
  switch (lb.lbStyle) {
    case BS_SOLID:
    case BS_NULL:
      return true;
    case BS_HATCHED:
      if (lb.lbHatch > static_cast<ULONG_PTR>(HS_DIAGCROSS)) return false;
      data->hatch = static_cast<int32_t>(lb.lbHatch);
      return true;
    case BS_PATTERN: {
      HBITMAP bitmap = reinterpret_cast<HBITMAP>(lb.lbHatch);
      data->pattern = PatternFromBitmap(bitmap);
      if (patternHandle) *patternHandle = bitmap;
      return data->pattern != nullptr;
    }
    default:
      return false;
  }
}

template <typename T>
int CopyOut(const T& value, int size, LPVOID buffer) {
  if (!buffer) return static_cast<int>(sizeof(T));
  if (size <= 0) return 0;
  int n = std::min<int>(size, static_cast<int>(sizeof(T)));
  std::memcpy(buffer, &value, n);
  return n;
}

}  // namespace

// ---------------------------------------------------------------------------
// The table

HGDIOBJ GdiInsert(std::unique_ptr<GdiObject> object) {
  std::lock_guard<std::mutex> lock(TheTable().mutex);
  uint32_t index;
  if (!TheTable().freeSlots.empty()) {
    index = TheTable().freeSlots.back();
    TheTable().freeSlots.pop_back();
  } else {
    if (TheTable().slots.size() > kMaxIndex) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return nullptr;
    }
    index = static_cast<uint32_t>(TheTable().slots.size());
    TheTable().slots.emplace_back();
  }
  Slot& slot = TheTable().slots[index];
  uint32_t v = (uint32_t{slot.generation} << 24) | (index << 4) |
               static_cast<uint32_t>(object->kind);
  object->handle = reinterpret_cast<HGDIOBJ>(static_cast<uintptr_t>(v));
  slot.object = std::move(object);
  return slot.object->handle;
}

void GdiRemove(GdiObject* object) {
  std::unique_ptr<GdiObject> doomed;
  {
    std::lock_guard<std::mutex> lock(TheTable().mutex);
    uint32_t index = (HandleValue(object->handle) >> 4) & kMaxIndex;
    if (index == 0 || index >= TheTable().slots.size() || TheTable().slots[index].object.get() != object) return;
    Slot& slot = TheTable().slots[index];
    doomed = std::move(slot.object);
    slot.generation = static_cast<uint8_t>(slot.generation == 255 ? 1 : slot.generation + 1);
    TheTable().freeSlots.push_back(index);
  }
  // Deleted outside the lock: a DC's destructor ends the uses of its objects.
}

int GdiExtraCountObjects(DWORD objectType) {
  std::vector<HGDIOBJ> live;
  {
    std::lock_guard<std::mutex> lock(TheTable().mutex);
    for (const Slot& slot : TheTable().slots)
      if (slot.object && !slot.object->stock) live.push_back(slot.object->handle);
  }
  // Told apart outside the lock: GetObjectType looks each up again.
  return int(std::count_if(live.begin(), live.end(),
                           [objectType](HGDIOBJ h) { return GetObjectType(h) == objectType; }));
}

GdiObject* GdiLookup(HGDIOBJ handle) {
  std::lock_guard<std::mutex> lock(TheTable().mutex);
  GdiObject* o = LookupLocked(handle);
  if (!o) SetLastError(ERROR_INVALID_HANDLE);
  return o;
}

template <typename T>
static T* LookupAs(HGDIOBJ handle, GdiKind kind) {
  GdiObject* o = GdiLookup(handle);
  if (!o || o->kind != kind) {
    if (o) SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return static_cast<T*>(o);
}

GdiDC* GdiDcFromHandle(HDC dc) { return LookupAs<GdiDC>(dc, GdiKind::DC); }
GdiPen* GdiPenFromHandle(HPEN pen) { return LookupAs<GdiPen>(pen, GdiKind::Pen); }
GdiBrush* GdiBrushFromHandle(HBRUSH brush) { return LookupAs<GdiBrush>(brush, GdiKind::Brush); }
GdiFont* GdiFontFromHandle(HFONT font) { return LookupAs<GdiFont>(font, GdiKind::Font); }
GdiBitmap* GdiBitmapFromHandle(HBITMAP bitmap) {
  return LookupAs<GdiBitmap>(bitmap, GdiKind::Bitmap);
}
GdiRegionObject* GdiRegionFromHandle(HRGN region) {
  return LookupAs<GdiRegionObject>(region, GdiKind::Region);
}
GdiPalette* GdiPaletteFromHandle(HPALETTE palette) {
  return LookupAs<GdiPalette>(palette, GdiKind::Palette);
}

void GdiUse(GdiObject* object) {
  if (object) ++object->uses;
}

void GdiUnuse(GdiObject* object) {
  if (!object) return;
  if (object->uses > 0) --object->uses;
  if (object->uses == 0) {
    if (object->kind == GdiKind::Bitmap) static_cast<GdiBitmap*>(object)->selectedInto = nullptr;
    if (object->deletePending && !object->stock) GdiRemove(object);
  }
}

GdiObject* GdiStockObject(int index) {
  if (index < 0 || index >= 18) return nullptr;
  return TheStock().objects[index];
}

GdiBitmap* GdiDefaultBitmap() { return TheStock().defaultBitmap; }

HFONT GdiNewFont(const LOGFONTA& logFont) {
  auto f = std::make_unique<GdiFont>();
  f->logFont = logFont;
  return static_cast<HFONT>(GdiInsert(std::move(f)));
}

// ---------------------------------------------------------------------------
// Generic object calls

HGDIOBJ GetStockObject(int index) {
  GdiObject* o = GdiStockObject(index);
  return o ? o->handle : nullptr;
}

BOOL DeleteObject(HGDIOBJ handle) {
  GdiObject* o = GdiLookup(handle);
  if (!o || o->kind == GdiKind::DC) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE_;
  }
  if (o->stock) return TRUE_;
  if (o->uses > 0) {
    // A bitmap in a DC cannot go; a pen, brush, font or palette in use goes
    // when its last DC lets it go, so no DC is left drawing with a dead object.
    if (o->kind == GdiKind::Bitmap) return FALSE_;
    o->deletePending = true;
    return TRUE_;
  }
  GdiRemove(o);
  return TRUE_;
}

DWORD GetObjectType(HGDIOBJ handle) {
  GdiObject* o = GdiLookup(handle);
  if (!o) return 0;
  switch (o->kind) {
    case GdiKind::Pen: return static_cast<GdiPen*>(o)->extended ? OBJ_EXTPEN : OBJ_PEN;
    case GdiKind::Brush: return OBJ_BRUSH;
    case GdiKind::Font: return OBJ_FONT;
    case GdiKind::Bitmap: return OBJ_BITMAP;
    case GdiKind::Region: return OBJ_REGION;
    case GdiKind::Palette: return OBJ_PAL;
    case GdiKind::DC: {
      auto* dc = static_cast<GdiDC*>(o);
      if (dc->dcKind == GdiDcKind::Memory) return OBJ_MEMDC;
      if (dc->dcKind == GdiDcKind::Metafile) return OBJ_ENHMETADC;
      return OBJ_DC;
    }
    default: return 0;
  }
}

int GetObjectA(HGDIOBJ handle, int size, LPVOID buffer) {
  GdiObject* o = GdiLookup(handle);
  if (!o) return 0;
  switch (o->kind) {
    case GdiKind::Pen: {
      auto* p = static_cast<GdiPen*>(o);
      if (p->extended) {
        EXTLOGPEN e{};
        e.elpPenStyle = p->style;
        e.elpWidth = static_cast<DWORD>(p->width);
        e.elpBrushStyle = p->brush.style;
        e.elpColor = p->brush.color;
        e.elpHatch = static_cast<ULONG_PTR>(p->brush.hatch);
        e.elpNumEntries = 0;
        return CopyOut(e, size, buffer);
      }
      LOGPEN lp{};
      lp.lopnStyle = p->style;
      lp.lopnWidth = {p->width, 0};
      lp.lopnColor = p->brush.color;
      return CopyOut(lp, size, buffer);
    }
    case GdiKind::Brush: {
      auto* b = static_cast<GdiBrush*>(o);
      LOGBRUSH lb{};
      lb.lbStyle = b->data.style;
      lb.lbColor = b->data.color;
      lb.lbHatch = b->data.style == BS_PATTERN ? reinterpret_cast<ULONG_PTR>(b->patternHandle)
                                               : static_cast<ULONG_PTR>(b->data.hatch);
      return CopyOut(lb, size, buffer);
    }
    case GdiKind::Font:
      return CopyOut(static_cast<GdiFont*>(o)->logFont, size, buffer);
    case GdiKind::Palette: {
      WORD count = static_cast<WORD>(static_cast<GdiPalette*>(o)->entries.size());
      return CopyOut(count, size, buffer);
    }
    case GdiKind::Bitmap: {
      const GdiSurface& s = *static_cast<GdiBitmap*>(o)->surface;
      BITMAP bm{};
      bm.bmType = 0;
      bm.bmWidth = s.width;
      bm.bmHeight = s.height;
      bm.bmWidthBytes = static_cast<LONG>(GdiSurface::RowBytes(s.width, s.bitsPerPixel,
                                                              s.dibSection ? 4 : 2));
      bm.bmPlanes = 1;
      bm.bmBitsPixel = static_cast<WORD>(s.bitsPerPixel);
      if (s.dibSection) {
        // The section's memory starts with its first stored row.
        bm.bmBits = s.bottomUp ? s.Row(s.height - 1) : s.bits;
        if (buffer && size >= static_cast<int>(sizeof(DIBSECTION))) {
          DIBSECTION ds{};
          ds.dsBm = bm;
          ds.dsBmih.biSize = sizeof(BITMAPINFOHEADER);
          ds.dsBmih.biWidth = s.width;
          ds.dsBmih.biHeight = s.bottomUp ? s.height : -s.height;
          ds.dsBmih.biPlanes = 1;
          ds.dsBmih.biBitCount = static_cast<WORD>(s.bitsPerPixel);
          ds.dsBmih.biCompression = BI_RGB;
          ds.dsBmih.biSizeImage = static_cast<DWORD>(bm.bmWidthBytes) * s.height;
          ds.dsBmih.biClrUsed = static_cast<DWORD>(s.colors.size());
          return CopyOut(ds, size, buffer);
        }
      }
      return CopyOut(bm, size, buffer);
    }
    default:
      SetLastError(ERROR_INVALID_HANDLE);
      return 0;
  }
}

HGDIOBJ SelectObject(HDC dcHandle, HGDIOBJ handle) {
  GdiDC* dc = GdiDcFromHandle(dcHandle);
  GdiObject* o = dc ? GdiLookup(handle) : nullptr;
  if (!dc || !o) return nullptr;
  if (o->kind == GdiKind::Region) {
    int result = SelectClipRgn(dcHandle, static_cast<HRGN>(handle));
    return reinterpret_cast<HGDIOBJ>(static_cast<intptr_t>(result));
  }
  GdiCall call{GdiOp::SelectObject};
  call.object = handle;
  GdiDcState& st = dc->state;
  GdiObject* previous = nullptr;
  switch (o->kind) {
    case GdiKind::Pen:
      GdiRecord(*dc, call);
      previous = st.pen;
      st.pen = static_cast<GdiPen*>(o);
      break;
    case GdiKind::Brush:
      GdiRecord(*dc, call);
      previous = st.brush;
      st.brush = static_cast<GdiBrush*>(o);
      break;
    case GdiKind::Font:
      GdiRecord(*dc, call);
      previous = st.font;
      st.font = static_cast<GdiFont*>(o);
      break;
    case GdiKind::Bitmap: {
      auto* bitmap = static_cast<GdiBitmap*>(o);
      if (dc->dcKind != GdiDcKind::Memory) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
      }
      // A bitmap draws in one memory DC at a time.
      if (!bitmap->stock && bitmap->uses > 0 && bitmap->selectedInto != dcHandle) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
      }
      previous = st.bitmap;
      st.bitmap = bitmap;
      if (!bitmap->stock) bitmap->selectedInto = dcHandle;
      break;
    }
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
  }
  if (previous == o) return handle;
  HGDIOBJ previousHandle = previous ? previous->handle : nullptr;
  GdiUse(o);
  GdiUnuse(previous);
  return previousHandle;
}

HGDIOBJ GetCurrentObject(HDC dcHandle, UINT type) {
  GdiDC* dc = GdiDcFromHandle(dcHandle);
  if (!dc) return nullptr;
  GdiObject* o = nullptr;
  switch (type) {
    case OBJ_PEN:
    case OBJ_EXTPEN: o = dc->state.pen; break;
    case OBJ_BRUSH: o = dc->state.brush; break;
    case OBJ_FONT: o = dc->state.font; break;
    case OBJ_BITMAP: o = dc->state.bitmap; break;
    case OBJ_PAL: o = dc->state.palette; break;
    default: SetLastError(ERROR_INVALID_PARAMETER); break;
  }
  return o ? o->handle : nullptr;
}

BOOL UnrealizeObject(HGDIOBJ handle) {
  GdiObject* o = GdiLookup(handle);
  return (o && (o->kind == GdiKind::Palette || o->kind == GdiKind::Brush)) ? TRUE_ : FALSE_;
}

// Drawing is carried out at once; there is no batch to flush.
BOOL GdiFlush() { return TRUE_; }

// ---------------------------------------------------------------------------
// Pens and brushes

HPEN CreatePen(int style, int width, COLORREF color) {
  if (style < 0 || style > static_cast<int>(PS_INSIDEFRAME)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto p = std::make_unique<GdiPen>();
  p->style = static_cast<DWORD>(style);
  p->width = std::max(1, width);
  p->brush.style = style == static_cast<int>(PS_NULL) ? BS_NULL : BS_SOLID;
  p->brush.color = color;
  return static_cast<HPEN>(GdiInsert(std::move(p)));
}

HPEN CreatePenIndirect(const LOGPEN* pen) {
  if (!pen) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return CreatePen(static_cast<int>(pen->lopnStyle), pen->lopnWidth.x, pen->lopnColor);
}

HPEN ExtCreatePen(DWORD style, DWORD width, const LOGBRUSH* brush, DWORD styleCount,
                  const DWORD* styles) {
  DWORD type = style & PS_TYPE_MASK;
  DWORD kind = style & PS_STYLE_MASK;
  // User-defined dash patterns are not drawn by anyone; they are refused
  // rather than drawn as something else.
  if (!brush || styleCount != 0 || styles != nullptr || kind > PS_INSIDEFRAME ||
      (type != PS_GEOMETRIC && type != PS_COSMETIC) ||
      (type == PS_COSMETIC && (width != 1 || brush->lbStyle != BS_SOLID)) ||
      width > 0x7FFFFFFF) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto p = std::make_unique<GdiPen>();
  p->style = style;
  p->width = std::max<int32_t>(1, static_cast<int32_t>(width));
  p->extended = true;
  if (!BrushDataFrom(*brush, &p->brush, nullptr)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (kind == PS_NULL) p->brush.style = BS_NULL;
  return static_cast<HPEN>(GdiInsert(std::move(p)));
}

HBRUSH CreateBrushIndirect(const LOGBRUSH* brush) {
  if (!brush) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto b = std::make_unique<GdiBrush>();
  if (!BrushDataFrom(*brush, &b->data, &b->patternHandle)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return static_cast<HBRUSH>(GdiInsert(std::move(b)));
}

HBRUSH CreateSolidBrush(COLORREF color) {
  LOGBRUSH lb{BS_SOLID, color, 0};
  return CreateBrushIndirect(&lb);
}

HBRUSH CreateHatchBrush(int hatch, COLORREF color) {
  if (hatch < HS_HORIZONTAL || hatch > HS_DIAGCROSS) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  LOGBRUSH lb{BS_HATCHED, color, static_cast<ULONG_PTR>(hatch)};
  return CreateBrushIndirect(&lb);
}

HBRUSH CreatePatternBrush(HBITMAP bitmap) {
  LOGBRUSH lb{BS_PATTERN, 0, reinterpret_cast<ULONG_PTR>(bitmap)};
  return CreateBrushIndirect(&lb);
}

// ---------------------------------------------------------------------------
// Palettes

HPALETTE CreatePalette(const LOGPALETTE* palette) {
  if (!palette || palette->palVersion != 0x300 || palette->palNumEntries == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto p = std::make_unique<GdiPalette>();
  p->entries.assign(palette->palPalEntry, palette->palPalEntry + palette->palNumEntries);
  return static_cast<HPALETTE>(GdiInsert(std::move(p)));
}

UINT GetPaletteEntries(HPALETTE handle, UINT start, UINT count, PALETTEENTRY* entries) {
  GdiPalette* p = GdiPaletteFromHandle(handle);
  if (!p) return 0;
  UINT size = static_cast<UINT>(p->entries.size());
  if (!entries) return size;
  if (start >= size) return 0;
  UINT n = std::min(count, size - start);
  std::copy(p->entries.begin() + start, p->entries.begin() + start + n, entries);
  return n;
}

HPALETTE SelectPalette(HDC dcHandle, HPALETTE handle, BOOL background) {
  GdiDC* dc = GdiDcFromHandle(dcHandle);
  GdiPalette* p = dc ? GdiPaletteFromHandle(handle) : nullptr;
  if (!dc || !p) return nullptr;
  GdiCall call{GdiOp::SelectPalette};
  call.object = handle;
  call.args[0] = background;
  GdiRecord(*dc, call);
  GdiPalette* previous = dc->state.palette;
  if (previous == p) return handle;
  dc->state.palette = p;
  GdiUse(p);
  HPALETTE previousHandle = previous ? static_cast<HPALETTE>(previous->handle) : nullptr;
  GdiUnuse(previous);
  return previousHandle;
}

// The devices are true colour: realising maps no entry into a system palette.
UINT RealizePalette(HDC dcHandle) {
  GdiDC* dc = GdiDcFromHandle(dcHandle);
  if (!dc) return GDI_ERROR;
  GdiRecord(*dc, GdiCall{GdiOp::RealizePalette});
  return 0;
}
