// The enhanced-metafile recorder: every call a recording DC passes on becomes
// the EMF record that plays it back, objects are created in the metafile's
// table when first selected, and bitmaps travel as DIBs of their pixels.
#include "platform/gdi/emf/GdiEmfRecorder.h"

#include <algorithm>
#include <cstdlib>
#include <new>

#include "platform/bytes/ByteAppend.h"
#include "platform/gdi/GdiPaint.h"
#include "platform/gdi/WinGdiMetafile.h"
#include "platform/gdi/emf/GdiEmfFormat.h"

namespace {

// Live objects in a metafile's table beyond which those no state holds are
// deleted again; it keeps the table (and a player's) small.
constexpr size_t kMaxLiveObjects = 1024;

constexpr UINT kBrushDibPatternPt = 6;  // BS_DIBPATTERNPT in an EXTLOGPEN

LONG Clamp32(int64_t v) { return static_cast<LONG>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

bool Fits16(LONG v) { return v >= INT16_MIN && v <= INT16_MAX; }

// The create record of a pattern (pens and brushes): the DIB of the pattern
// bitmap. A monochrome device pattern keeps its black and white table: it is
// coloured by the DC where it is drawn.
bool PatternDib(const GdiBrushData& brush, std::vector<uint8_t>* info, std::vector<uint8_t>* bits) {
  if (brush.style != BS_PATTERN || !brush.pattern) return false;
  const GdiSurface& p = *brush.pattern;
  return GdiDibOfSurface(p, RECT{0, 0, p.width, p.height}, nullptr, info, bits);
}

}  // namespace

GdiEmfRecorder::GdiEmfRecorder(const RECT* frame, std::u16string description)
    : description_(std::move(description)) {
  if (frame) {
    frame_ = *frame;
    hasFrame_ = true;
  }
}

void GdiEmfRecorder::Begin(const GdiDeviceCaps& caps) {
  caps_ = caps;
  begun_ = true;
  // The header; bounds, frame, totals and handles are filled in by Finish.
  out_.Put32(EMR_HEADER);
  out_.Put32(0);
  out_.PutZeros(32);
  out_.Put32(ENHMETA_SIGNATURE);
  out_.Put32(0x10000);
  out_.Put32(0);  // nBytes
  out_.Put32(0);  // nRecords
  out_.Put16(0);  // nHandles
  out_.Put16(0);
  out_.Put32(static_cast<uint32_t>(description_.size()));
  out_.Put32(description_.empty() ? 0 : kEmfHeaderSize);
  out_.Put32(0);  // nPalEntries
  out_.PutI32(caps.horzRes);
  out_.PutI32(caps.vertRes);
  out_.PutI32(caps.horzSize);
  out_.PutI32(caps.vertSize);
  out_.Put32(0);  // cbPixelFormat
  out_.Put32(0);  // offPixelFormat
  out_.Put32(0);  // bOpenGL
  out_.PutI32(Clamp32(int64_t{caps.horzSize} * 1000));
  out_.PutI32(Clamp32(int64_t{caps.vertSize} * 1000));
  for (char16_t u : description_) out_.Put16(u);
  out_.Align(4);
  out_.Patch32(4, static_cast<uint32_t>(out_.Size()));
  records_ = 1;
}

bool GdiEmfRecorder::Finish(std::vector<uint8_t>* bytes) {
  if (!begun_ || failed_ || out_.Failed()) return false;
  size_t eof = BeginRecord(EMR_EOF);
  out_.Put32(0);            // nPalEntries
  out_.Put32(16);           // offPalEntries: where entries would start
  out_.Put32(kEmfEofSize);  // nSizeLast
  EndRecord(eof);
  if (out_.Failed()) return false;

  RECT bounds = hasBounds_ ? bounds_ : RECT{0, 0, -1, -1};
  RECT frame = frame_;
  if (!hasFrame_) {
    // The frame of what was drawn: its pixels, in hundredths of a millimetre.
    frame = RECT{0, 0, 0, 0};
    if (hasBounds_ && caps_.horzRes > 0 && caps_.vertRes > 0) {
      auto toX = [&](int64_t px) { return Clamp32(px * caps_.horzSize * 100 / caps_.horzRes); };
      auto toY = [&](int64_t px) { return Clamp32(px * caps_.vertSize * 100 / caps_.vertRes); };
      frame = RECT{toX(bounds.left), toY(bounds.top), toX(int64_t{bounds.right} + 1),
                   toY(int64_t{bounds.bottom} + 1)};
    }
  }
  out_.Patch32(8, static_cast<uint32_t>(bounds.left));
  out_.Patch32(12, static_cast<uint32_t>(bounds.top));
  out_.Patch32(16, static_cast<uint32_t>(bounds.right));
  out_.Patch32(20, static_cast<uint32_t>(bounds.bottom));
  out_.Patch32(24, static_cast<uint32_t>(frame.left));
  out_.Patch32(28, static_cast<uint32_t>(frame.top));
  out_.Patch32(32, static_cast<uint32_t>(frame.right));
  out_.Patch32(36, static_cast<uint32_t>(frame.bottom));
  out_.Patch32(48, static_cast<uint32_t>(out_.Size()));
  out_.Patch32(52, records_);
  out_.Patch16(56, objects_.HighWater());
  *bytes = std::move(out_.Bytes());
  return true;
}

size_t GdiEmfRecorder::BeginRecord(uint32_t type) {
  size_t start = out_.Size();
  out_.Put32(type);
  out_.Put32(0);
  return start;
}

void GdiEmfRecorder::EndRecord(size_t start) {
  out_.Align(4);
  out_.Patch32(start + 4, static_cast<uint32_t>(out_.Size() - start));
  ++records_;
}

void GdiEmfRecorder::Simple(uint32_t type, std::initializer_list<int32_t> values) {
  size_t start = BeginRecord(type);
  for (int32_t v : values) out_.PutI32(v);
  EndRecord(start);
}

// ---------------------------------------------------------------------------
// Objects

uint32_t GdiEmfRecorder::Entry(uint32_t type, const std::vector<uint8_t>& body) {
  std::vector<uint8_t> key;
  AppendLE32(key, type);
  key.insert(key.end(), body.begin(), body.end());
  int64_t found = objects_.Find(key);
  if (found >= 0) return static_cast<uint32_t>(found);
  if (objects_.Live() >= kMaxLiveObjects) Evict();
  uint32_t index = objects_.Add(key);
  size_t start = BeginRecord(type);
  out_.Put32(index);
  out_.PutBytes(body.data(), body.size());
  EndRecord(start);
  return index;
}

void GdiEmfRecorder::Evict() {
  auto held = [&](uint32_t index) {
    for (uint32_t e : selected_.entry) {
      if (e == index) return true;
    }
    for (const Selection& s : saved_) {
      for (uint32_t e : s.entry) {
        if (e == index) return true;
      }
    }
    return false;
  };
  for (uint32_t index : objects_.Entries()) {
    if (held(index)) continue;
    Simple(EMR_DELETEOBJECT, {static_cast<int32_t>(index)});
    objects_.Remove(index);
  }
}

uint32_t GdiEmfRecorder::Reference(GdiObject* object) {
  int stock = GdiStockIndex(object);
  if (stock >= 0) return kEmfStockObject | static_cast<uint32_t>(stock);
  std::vector<uint8_t> body;
  switch (object->kind) {
    case GdiKind::Pen: {
      const auto& pen = *static_cast<GdiPen*>(object);
      if (!pen.extended) {
        AppendLE32(body, pen.style);
        AppendLE32(body, static_cast<uint32_t>(pen.width));
        AppendLE32(body, 0);
        AppendLE32(body, pen.brush.color);
        return Entry(EMR_CREATEPEN, body);
      }
      std::vector<uint8_t> info, bits;
      bool dib = PatternDib(pen.brush, &info, &bits);
      UINT brushStyle = pen.brush.style;
      COLORREF color = pen.brush.color;
      if (dib && !pen.brush.pattern->deviceMono) {
        brushStyle = kBrushDibPatternPt;
        color = DIB_RGB_COLORS;
      }
      AppendLE32(body, dib ? kEmfExtCreatePenSize : 0);
      AppendLE32(body, static_cast<uint32_t>(info.size()));
      AppendLE32(body, dib ? kEmfExtCreatePenSize + static_cast<uint32_t>(info.size()) : 0);
      AppendLE32(body, static_cast<uint32_t>(bits.size()));
      AppendLE32(body, pen.style);
      AppendLE32(body, static_cast<uint32_t>(pen.width));
      AppendLE32(body, brushStyle);
      AppendLE32(body, color);
      AppendLE32(body, pen.brush.style == BS_HATCHED ? static_cast<uint32_t>(pen.brush.hatch) : 0);
      AppendLE32(body, 0);  // no dash entries
      body.insert(body.end(), info.begin(), info.end());
      body.insert(body.end(), bits.begin(), bits.end());
      return Entry(EMR_EXTCREATEPEN, body);
    }
    case GdiKind::Brush: {
      const GdiBrushData& b = static_cast<GdiBrush*>(object)->data;
      std::vector<uint8_t> info, bits;
      if (PatternDib(b, &info, &bits)) {
        AppendLE32(body, DIB_RGB_COLORS);
        AppendLE32(body, kEmfDibBrushSize);
        AppendLE32(body, static_cast<uint32_t>(info.size()));
        AppendLE32(body, kEmfDibBrushSize + static_cast<uint32_t>(info.size()));
        AppendLE32(body, static_cast<uint32_t>(bits.size()));
        body.insert(body.end(), info.begin(), info.end());
        body.insert(body.end(), bits.begin(), bits.end());
        return Entry(b.pattern->deviceMono ? EMR_CREATEMONOBRUSH : EMR_CREATEDIBPATTERNBRUSHPT,
                     body);
      }
      AppendLE32(body, b.style);
      AppendLE32(body, b.color);
      AppendLE32(body, b.style == BS_HATCHED ? static_cast<uint32_t>(b.hatch) : 0);
      return Entry(EMR_CREATEBRUSHINDIRECT, body);
    }
    case GdiKind::Font: {
      const LOGFONTA& lf = static_cast<GdiFont*>(object)->logFont;
      AppendLE32(body, static_cast<uint32_t>(lf.lfHeight));
      AppendLE32(body, static_cast<uint32_t>(lf.lfWidth));
      AppendLE32(body, static_cast<uint32_t>(lf.lfEscapement));
      AppendLE32(body, static_cast<uint32_t>(lf.lfOrientation));
      AppendLE32(body, static_cast<uint32_t>(lf.lfWeight));
      for (BYTE b : {lf.lfItalic, lf.lfUnderline, lf.lfStrikeOut, lf.lfCharSet, lf.lfOutPrecision,
                     lf.lfClipPrecision, lf.lfQuality, lf.lfPitchAndFamily}) {
        body.push_back(b);
      }
      // The face name as UTF-16, its bytes taken as Latin-1 (face names are
      // plain ASCII); the unused units and the rest of the form are zeros.
      bool ended = false;
      for (int i = 0; i < LF_FACESIZE; ++i) {
        uint8_t c = ended ? 0 : static_cast<uint8_t>(lf.lfFaceName[i]);
        if (c == 0 || i == LF_FACESIZE - 1) {
          ended = true;
          c = 0;
        }
        body.push_back(c);
        body.push_back(0);
      }
      body.resize(kEmfCreateFontSize - 12, 0);
      return Entry(EMR_EXTCREATEFONTINDIRECTW, body);
    }
    case GdiKind::Palette: {
      const auto& entries = static_cast<GdiPalette*>(object)->entries;
      uint32_t count = static_cast<uint32_t>(std::min<size_t>(entries.size(), 0xFFFF));
      body.push_back(0x00);
      body.push_back(0x03);  // version 0x300
      body.push_back(static_cast<uint8_t>(count));
      body.push_back(static_cast<uint8_t>(count >> 8));
      for (uint32_t i = 0; i < count; ++i) {
        const PALETTEENTRY& e = entries[i];
        body.insert(body.end(), {e.peRed, e.peGreen, e.peBlue, e.peFlags});
      }
      return Entry(EMR_CREATEPALETTE, body);
    }
    default:
      return 0;
  }
}

void GdiEmfRecorder::Select(GdiObject* object, Slot slot, uint32_t type) {
  uint32_t ref = Reference(object);
  if (ref == 0) return;
  Simple(type, {static_cast<int32_t>(ref)});
  selected_.entry[slot] = ref;
}

// ---------------------------------------------------------------------------
// Bounds: inclusive device pixels of what was drawn

void GdiEmfRecorder::AddBounds(int64_t left, int64_t top, int64_t right, int64_t bottom) {
  if (right < left || bottom < top) return;
  RECT r{Clamp32(left), Clamp32(top), Clamp32(right), Clamp32(bottom)};
  if (!hasBounds_) {
    bounds_ = r;
    hasBounds_ = true;
    return;
  }
  bounds_.left = std::min(bounds_.left, r.left);
  bounds_.top = std::min(bounds_.top, r.top);
  bounds_.right = std::max(bounds_.right, r.right);
  bounds_.bottom = std::max(bounds_.bottom, r.bottom);
}

int32_t GdiEmfRecorder::PenGrowth(const GdiDC& dc) const {
  const GdiPen* pen = dc.state.pen;
  if (!pen || pen->Style() == PS_NULL) return 0;
  return std::clamp(pen->width, 1, 1 << 16) / 2;
}

void GdiEmfRecorder::AddDeviceBox(GdiDC& dc, POINT a, POINT b, int32_t grow) {
  POINT p = GdiToDevice(dc, a), q = GdiToDevice(dc, b);
  AddBounds(int64_t{std::min(p.x, q.x)} - grow, int64_t{std::min(p.y, q.y)} - grow,
            int64_t{std::max(p.x, q.x)} + grow, int64_t{std::max(p.y, q.y)} + grow);
}

void GdiEmfRecorder::AddShapeBox(GdiDC& dc, POINT a, POINT b) {
  // A shape covers its box but for the right and bottom edges (without a
  // pen one pixel less); a pen of width w reaches w / 2 outside on the left
  // and top, (w - 1) / 2 on the right and bottom.
  const GdiPen* pen = dc.state.pen;
  bool visible = pen && pen->Style() != PS_NULL && pen->brush.style != BS_NULL;
  int32_t w = visible ? std::clamp(pen->width, 1, 1 << 16) : 1;
  if (visible && pen->Style() == PS_INSIDEFRAME) w = 1;
  int32_t end = visible ? (w - 1) / 2 - 1 : -2;
  POINT p = GdiToDevice(dc, a), q = GdiToDevice(dc, b);
  AddBounds(int64_t{std::min(p.x, q.x)} - w / 2, int64_t{std::min(p.y, q.y)} - w / 2,
            int64_t{std::max(p.x, q.x)} + end, int64_t{std::max(p.y, q.y)} + end);
}

RECT GdiEmfRecorder::PointBounds(GdiDC& dc, const POINT* points, int32_t count, int32_t grow) {
  RECT r{0, 0, -1, -1};
  for (int32_t i = 0; i < count; ++i) {
    POINT p = GdiToDevice(dc, points[i]);
    if (i == 0) {
      r = RECT{p.x, p.y, p.x, p.y};
    } else {
      r.left = std::min(r.left, p.x);
      r.top = std::min(r.top, p.y);
      r.right = std::max(r.right, p.x);
      r.bottom = std::max(r.bottom, p.y);
    }
  }
  if (count > 0) {
    r = RECT{Clamp32(int64_t{r.left} - grow), Clamp32(int64_t{r.top} - grow),
             Clamp32(int64_t{r.right} + grow), Clamp32(int64_t{r.bottom} + grow)};
    AddBounds(r.left, r.top, r.right, r.bottom);
  }
  return r;
}

RECT GdiEmfRecorder::RegionBounds(GdiDC& dc, HRGN region, int32_t grow) {
  RECT box{};
  if (GetRgnBox(region, &box) == NULLREGION || box.right <= box.left) return RECT{0, 0, -1, -1};
  POINT o = GdiRegionOffset(dc);
  RECT r{Clamp32(int64_t{box.left} + o.x - grow), Clamp32(int64_t{box.top} + o.y - grow),
         Clamp32(int64_t{box.right} + o.x - 1 + grow),
         Clamp32(int64_t{box.bottom} + o.y - 1 + grow)};
  AddBounds(r.left, r.top, r.right, r.bottom);
  return r;
}

bool GdiEmfRecorder::RegionData(HRGN region, std::vector<uint8_t>* data) {
  DWORD size = GetRegionData(region, 0, nullptr);
  if (size == 0) return false;
  data->assign(size, 0);
  return GetRegionData(region, size, reinterpret_cast<RGNDATA*>(data->data())) == size;
}

// ---------------------------------------------------------------------------
// Records

void GdiEmfRecorder::Record(GdiDC& dc, const GdiCall& call) {
  if (!begun_ || failed_) return;
  try {
    RecordCall(dc, call);
  } catch (const std::bad_alloc&) {
    failed_ = true;
  }
  if (out_.Failed()) failed_ = true;
}

void GdiEmfRecorder::RecordCall(GdiDC& dc, const GdiCall& call) {
  const int32_t* a = call.args;
  switch (call.op) {
    case GdiOp::SelectObject: {
      GdiObject* o = GdiLookup(call.object);
      if (!o) return;
      if (o->kind == GdiKind::Pen) Select(o, kPen, EMR_SELECTOBJECT);
      if (o->kind == GdiKind::Brush) Select(o, kBrush, EMR_SELECTOBJECT);
      if (o->kind == GdiKind::Font) Select(o, kFont, EMR_SELECTOBJECT);
      return;
    }
    case GdiOp::SelectPalette: {
      GdiObject* o = GdiPaletteFromHandle(static_cast<HPALETTE>(call.object));
      if (o) Select(o, kPalette, EMR_SELECTPALETTE);
      return;
    }
    case GdiOp::RealizePalette: return Simple(EMR_REALIZEPALETTE, {});
    case GdiOp::SaveDC:
      saved_.push_back(selected_);
      return Simple(EMR_SAVEDC, {});
    case GdiOp::RestoreDC: {
      // Stored relative to the state now (-1 the last saved), as players
      // expect; the call has already been checked against the saved count.
      int64_t count = static_cast<int64_t>(dc.saved.size());
      int64_t level = a[0] > 0 ? a[0] : count + a[0] + 1;
      if (level < 1 || level > count) return;
      if (static_cast<size_t>(level) <= saved_.size()) {
        selected_ = saved_[level - 1];
        saved_.resize(level - 1);
      }
      return Simple(EMR_RESTOREDC, {static_cast<int32_t>(level - count - 1)});
    }
    case GdiOp::SetTextColor: return Simple(EMR_SETTEXTCOLOR, {a[0]});
    case GdiOp::SetBkColor: return Simple(EMR_SETBKCOLOR, {a[0]});
    case GdiOp::SetBkMode: return Simple(EMR_SETBKMODE, {a[0]});
    case GdiOp::SetROP2: return Simple(EMR_SETROP2, {a[0]});
    case GdiOp::SetTextAlign: return Simple(EMR_SETTEXTALIGN, {a[0]});
    case GdiOp::SetStretchBltMode: return Simple(EMR_SETSTRETCHBLTMODE, {a[0]});
    case GdiOp::SetPolyFillMode: return Simple(EMR_SETPOLYFILLMODE, {a[0]});
    case GdiOp::SetMapMode: return Simple(EMR_SETMAPMODE, {a[0]});
    case GdiOp::SetGraphicsMode: return;  // no record: the drawing does not depend on it
    case GdiOp::SetBrushOrgEx: return Simple(EMR_SETBRUSHORGEX, {a[0], a[1]});
    case GdiOp::SetViewportOrgEx: return Simple(EMR_SETVIEWPORTORGEX, {a[0], a[1]});
    case GdiOp::SetWindowOrgEx: return Simple(EMR_SETWINDOWORGEX, {a[0], a[1]});
    case GdiOp::SetViewportExtEx: return Simple(EMR_SETVIEWPORTEXTEX, {a[0], a[1]});
    case GdiOp::SetWindowExtEx: return Simple(EMR_SETWINDOWEXTEX, {a[0], a[1]});
    case GdiOp::OffsetViewportOrgEx: {
      // The format has no offset record: the origin it comes to.
      POINT o = dc.state.viewportOrigin;
      return Simple(EMR_SETVIEWPORTORGEX,
                    {Clamp32(int64_t{o.x} + a[0]), Clamp32(int64_t{o.y} + a[1])});
    }
    case GdiOp::OffsetWindowOrgEx: {
      POINT o = dc.state.windowOrigin;
      return Simple(EMR_SETWINDOWORGEX,
                    {Clamp32(int64_t{o.x} + a[0]), Clamp32(int64_t{o.y} + a[1])});
    }
    case GdiOp::SelectClipRgn:
    case GdiOp::ExtSelectClipRgn: {
      int mode = call.op == GdiOp::SelectClipRgn ? RGN_COPY : a[0];
      std::vector<uint8_t> data;
      if (call.object && !RegionData(static_cast<HRGN>(call.object), &data)) return;
      size_t start = BeginRecord(EMR_EXTSELECTCLIPRGN);
      out_.Put32(static_cast<uint32_t>(data.size()));
      out_.PutI32(mode);
      out_.PutBytes(data.data(), data.size());
      return EndRecord(start);
    }
    case GdiOp::IntersectClipRect: return Simple(EMR_INTERSECTCLIPRECT, {a[0], a[1], a[2], a[3]});
    case GdiOp::ExcludeClipRect: return Simple(EMR_EXCLUDECLIPRECT, {a[0], a[1], a[2], a[3]});
    case GdiOp::OffsetClipRgn: return Simple(EMR_OFFSETCLIPRGN, {a[0], a[1]});
    case GdiOp::MoveToEx: return Simple(EMR_MOVETOEX, {a[0], a[1]});
    case GdiOp::LineTo:
      AddDeviceBox(dc, dc.state.position, POINT{a[0], a[1]}, PenGrowth(dc));
      return Simple(EMR_LINETO, {a[0], a[1]});
    case GdiOp::Polyline: return RecordPoly(dc, call, EMR_POLYLINE, EMR_POLYLINE16);
    case GdiOp::Polygon: return RecordPoly(dc, call, EMR_POLYGON, EMR_POLYGON16);
    case GdiOp::Rectangle:
      AddShapeBox(dc, POINT{a[0], a[1]}, POINT{a[2], a[3]});
      return Simple(EMR_RECTANGLE, {a[0], a[1], a[2], a[3]});
    case GdiOp::Ellipse:
      AddShapeBox(dc, POINT{a[0], a[1]}, POINT{a[2], a[3]});
      return Simple(EMR_ELLIPSE, {a[0], a[1], a[2], a[3]});
    case GdiOp::RoundRect:
      AddShapeBox(dc, POINT{a[0], a[1]}, POINT{a[2], a[3]});
      return Simple(EMR_ROUNDRECT, {a[0], a[1], a[2], a[3], a[4], a[5]});
    case GdiOp::Arc:
    case GdiOp::Chord:
    case GdiOp::Pie:
      AddShapeBox(dc, POINT{a[0], a[1]}, POINT{a[2], a[3]});
      return Simple(call.op == GdiOp::Arc     ? EMR_ARC
                    : call.op == GdiOp::Chord ? EMR_CHORD
                                              : EMR_PIE,
                    {a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7]});
    case GdiOp::SetPixel:
      AddDeviceBox(dc, POINT{a[0], a[1]}, POINT{a[0], a[1]}, 0);
      return Simple(EMR_SETPIXELV, {a[0], a[1], a[2]});
    case GdiOp::ExtFloodFill: {
      // A flood fill may reach anywhere the clip lets it.
      RECT box{};
      if (GetClipBox(static_cast<HDC>(dc.handle), &box) != ERROR) {
        AddDeviceBox(dc, POINT{box.left, box.top}, POINT{box.right - 1, box.bottom - 1}, 0);
      }
      return Simple(EMR_EXTFLOODFILL, {a[0], a[1], a[2], a[3]});
    }
    case GdiOp::InvertRect: {
      // Recorded as the pattern blit that inverts the same pixels; a
      // rectangle that covers nothing is not recorded.
      RECT d = GdiRectToDevice(dc, RECT{a[0], a[1], a[2], a[3]});
      if (d.right <= d.left || d.bottom <= d.top) return;
      GdiCall blt{GdiOp::PatBlt};
      blt.args[0] = a[0];
      blt.args[1] = a[1];
      blt.args[2] = Clamp32(int64_t{a[2]} - a[0]);
      blt.args[3] = Clamp32(int64_t{a[3]} - a[1]);
      blt.args[4] = static_cast<int32_t>(DSTINVERT);
      return RecordBlit(dc, blt);
    }
    case GdiOp::FillRgn:
    case GdiOp::FrameRgn:
    case GdiOp::PaintRgn:
    case GdiOp::InvertRgn: return RecordRegionCall(dc, call);
    case GdiOp::PatBlt:
    case GdiOp::BitBlt:
    case GdiOp::StretchBlt:
    case GdiOp::TransparentBlt: return RecordBlit(dc, call);
    case GdiOp::SetDIBitsToDevice:
    case GdiOp::StretchDIBits: return RecordDib(dc, call);
    case GdiOp::TextOut: return RecordText(dc, call);
  }
}

void GdiEmfRecorder::RecordPoly(GdiDC& dc, const GdiCall& call, uint32_t type32,
                                uint32_t type16) {
  if (!call.points || call.count < 0) return;
  RECT bounds = PointBounds(dc, call.points, call.count, PenGrowth(dc));
  bool small = true;
  for (int32_t i = 0; i < call.count && small; ++i) {
    small = Fits16(call.points[i].x) && Fits16(call.points[i].y);
  }
  size_t start = BeginRecord(small ? type16 : type32);
  out_.PutRect(bounds);
  out_.Put32(static_cast<uint32_t>(call.count));
  for (int32_t i = 0; i < call.count; ++i) {
    if (small) {
      out_.Put16(static_cast<uint16_t>(call.points[i].x));
      out_.Put16(static_cast<uint16_t>(call.points[i].y));
    } else {
      out_.PutI32(call.points[i].x);
      out_.PutI32(call.points[i].y);
    }
  }
  EndRecord(start);
}

void GdiEmfRecorder::RecordRegionCall(GdiDC& dc, const GdiCall& call) {
  auto region = static_cast<HRGN>(call.object);
  std::vector<uint8_t> data;
  if (!RegionData(region, &data)) return;
  uint32_t brush = 0;
  if (call.op == GdiOp::FillRgn || call.op == GdiOp::FrameRgn) {
    int32_t value = call.args[call.op == GdiOp::FillRgn ? 0 : 2];
    auto handle = reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(static_cast<uint32_t>(value)));
    GdiBrush* b = GdiBrushFromHandle(handle);
    if (!b) return;
    brush = Reference(b);
  }
  RECT bounds = RegionBounds(dc, region, 0);
  uint32_t type = call.op == GdiOp::FillRgn    ? EMR_FILLRGN
                  : call.op == GdiOp::FrameRgn ? EMR_FRAMERGN
                  : call.op == GdiOp::PaintRgn ? EMR_PAINTRGN
                                               : EMR_INVERTRGN;
  size_t start = BeginRecord(type);
  out_.PutRect(bounds);
  out_.Put32(static_cast<uint32_t>(data.size()));
  if (type == EMR_FILLRGN || type == EMR_FRAMERGN) out_.Put32(brush);
  if (type == EMR_FRAMERGN) {
    out_.PutI32(call.args[0]);
    out_.PutI32(call.args[1]);
  }
  out_.PutBytes(data.data(), data.size());
  EndRecord(start);
}

void GdiEmfRecorder::RecordBlit(GdiDC& dc, const GdiCall& call) {
  const int32_t* a = call.args;
  const bool transparent = call.op == GdiOp::TransparentBlt;
  const DWORD rop = transparent ? SRCCOPY
                    : call.op == GdiOp::PatBlt ? static_cast<DWORD>(a[4])
                                               : static_cast<DWORD>(a[8]);
  const bool usesSource =
      call.op != GdiOp::PatBlt && (transparent || GdiRopUsesSource(static_cast<uint8_t>(rop >> 16)));
  POINT da = GdiToDevice(dc, POINT{a[0], a[1]});
  POINT db = GdiToDevice(dc, POINT{Clamp32(int64_t{a[0]} + a[2]), Clamp32(int64_t{a[1]} + a[3])});
  int64_t dw = int64_t{db.x} - da.x, dh = int64_t{db.y} - da.y;
  RECT bounds{std::min(da.x, db.x), std::min(da.y, db.y), Clamp32(int64_t{std::max(da.x, db.x)} - 1),
              Clamp32(int64_t{std::max(da.y, db.y)} - 1)};

  auto write = [&](uint32_t type, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t ropOrKey,
                    int32_t xSrc, int32_t ySrc, COLORREF back, const std::vector<uint8_t>& info,
                    const std::vector<uint8_t>& bits, int32_t cxSrc, int32_t cySrc) {
    bool stretch = type != EMR_BITBLT;
    uint32_t fixed = stretch ? kEmfStretchBltSize : kEmfBitBltSize;
    bool dib = !info.empty();
    size_t start = BeginRecord(type);
    out_.PutRect(bounds);
    out_.PutI32(x);
    out_.PutI32(y);
    out_.PutI32(w);
    out_.PutI32(h);
    out_.Put32(ropOrKey);
    out_.PutI32(xSrc);
    out_.PutI32(ySrc);
    // The source's transform: identity (the DIB holds the source pixels).
    out_.PutFloat(dib ? 1.0f : 0.0f);
    out_.PutFloat(0.0f);
    out_.PutFloat(0.0f);
    out_.PutFloat(dib ? 1.0f : 0.0f);
    out_.PutFloat(0.0f);
    out_.PutFloat(0.0f);
    out_.Put32(back);
    out_.Put32(DIB_RGB_COLORS);
    out_.Put32(dib ? fixed : 0);
    out_.Put32(static_cast<uint32_t>(info.size()));
    out_.Put32(dib ? fixed + static_cast<uint32_t>(info.size()) : 0);
    out_.Put32(static_cast<uint32_t>(bits.size()));
    if (stretch) {
      out_.PutI32(cxSrc);
      out_.PutI32(cySrc);
    }
    out_.PutBytes(info.data(), info.size());
    out_.PutBytes(bits.data(), bits.size());
    EndRecord(start);
  };

  if (dw == 0 || dh == 0) return;  // covers nothing
  std::vector<uint8_t> none;
  if (!usesSource) {
    AddBounds(bounds.left, bounds.top, bounds.right, bounds.bottom);
    return write(EMR_BITBLT, a[0], a[1], a[2], a[3], rop, 0, 0, 0, none, none, 0, 0);
  }
  // The source's pixels are taken now: the metafile holds them as a DIB.
  GdiBlitCapture c;
  if (!GdiCaptureBlit(dc, call, &c)) return;
  bounds = c.bounds;
  AddBounds(bounds.left, bounds.top, bounds.right, bounds.bottom);
  if (c.oneToOne) {
    // The source is the DIB itself, as large as the destination.
    return write(EMR_BITBLT, c.x, c.y, c.width, c.height, rop, 0, 0, c.sourceBack, c.info,
                 c.bits, 0, 0);
  }
  write(transparent ? EMR_TRANSPARENTBLT : EMR_STRETCHBLT, c.x, c.y, c.width, c.height,
        transparent ? c.key : rop, c.xSrc, c.ySrc, c.sourceBack, c.info, c.bits, c.cxSrc,
        c.cySrc);
}

void GdiEmfRecorder::RecordDib(GdiDC& dc, const GdiCall& call) {
  const int32_t* a = call.args;
  GdiDibFormat f;
  if (!GdiReadDibFormat(call.info, static_cast<UINT>(a[9]), &dc, &f)) return;
  // The colour table is stored as colours (a palette-index table is read
  // through the DC's palette now).
  std::vector<uint8_t> info = GdiDibInfo(f.width, f.bottomUp ? f.height : -f.height,
                                         f.bitsPerPixel, f.colors);
  const bool setBits = call.op == GdiOp::SetDIBitsToDevice;
  int64_t rows = setBits ? a[7] : f.height;
  size_t bitsSize = call.data ? static_cast<size_t>(f.rowBytes * rows) : 0;
  POINT p{a[0], a[1]};
  POINT q{Clamp32(int64_t{a[0]} + a[2]), Clamp32(int64_t{a[1]} + a[3])};
  POINT dp = GdiToDevice(dc, p), dq = GdiToDevice(dc, q);
  RECT bounds{std::min(dp.x, dq.x), std::min(dp.y, dq.y), Clamp32(int64_t{std::max(dp.x, dq.x)} - 1),
              Clamp32(int64_t{std::max(dp.y, dq.y)} - 1)};
  AddBounds(bounds.left, bounds.top, bounds.right, bounds.bottom);
  uint32_t fixed = setBits ? kEmfSetDiBitsSize : kEmfStretchDiBitsSize;
  size_t start = BeginRecord(setBits ? EMR_SETDIBITSTODEVICE : EMR_STRETCHDIBITS);
  out_.PutRect(bounds);
  out_.PutI32(a[0]);  // xDest
  out_.PutI32(a[1]);  // yDest
  out_.PutI32(a[4]);  // xSrc
  out_.PutI32(a[5]);  // ySrc
  out_.PutI32(setBits ? a[2] : a[6]);  // cxSrc
  out_.PutI32(setBits ? a[3] : a[7]);  // cySrc
  out_.Put32(fixed);
  out_.Put32(static_cast<uint32_t>(info.size()));
  out_.Put32(fixed + static_cast<uint32_t>(info.size()));
  out_.Put32(static_cast<uint32_t>(bitsSize));
  out_.Put32(DIB_RGB_COLORS);
  if (setBits) {
    out_.PutI32(a[6]);  // iStartScan
    out_.PutI32(a[7]);  // cScans
  } else {
    out_.PutI32(a[8]);  // dwRop
    out_.PutI32(a[2]);  // cxDest
    out_.PutI32(a[3]);  // cyDest
  }
  out_.PutBytes(info.data(), info.size());
  if (bitsSize) out_.PutBytes(call.data, bitsSize);
  EndRecord(start);
}

void GdiEmfRecorder::RecordText(GdiDC& dc, const GdiCall& call) {
  const int32_t* a = call.args;
  const bool wide = a[8] != 0;
  const UINT align = dc.state.textAlign;
  const int32_t count = std::max(call.count, 0);
  std::vector<int32_t> dx(static_cast<size_t>(count), 0);
  int64_t total = 0;
  for (int32_t i = 0; i < count && call.points; ++i) {
    dx[i] = call.points[i].x;
    total += dx[i];
  }

  // Bounds: the run's box about its reference point, and the rectangle
  // when it is filled.
  TEXTMETRICA tm{};
  GetTextMetricsA(static_cast<HDC>(dc.handle), &tm);
  POINT ref = (align & TA_UPDATECP) ? dc.state.position : POINT{a[0], a[1]};
  POINT d = GdiToDevice(dc, ref);
  int64_t left = d.x, top = d.y;
  if ((align & TA_CENTER) == TA_CENTER) {
    left -= total / 2;
  } else if ((align & TA_CENTER) == TA_RIGHT) {
    left -= total;
  }
  if ((align & TA_BASELINE) == TA_BASELINE) {
    top -= tm.tmAscent;
  } else if ((align & TA_BASELINE) == TA_BOTTOM) {
    top -= tm.tmHeight;
  }
  RECT bounds{Clamp32(left), Clamp32(top), Clamp32(left + std::max<int64_t>(total, 1) - 1),
              Clamp32(top + std::max<LONG>(tm.tmHeight, 1) - 1)};
  RECT rect{0, 0, -1, -1};
  if (a[7]) {
    rect = RECT{a[3], a[4], a[5], a[6]};
    if (a[2] & ETO_OPAQUE) {
      RECT r = GdiRectToDevice(dc, rect);
      bounds.left = std::min({bounds.left, r.left, r.right});
      bounds.top = std::min({bounds.top, r.top, r.bottom});
      bounds.right = std::max({bounds.right, Clamp32(int64_t{r.left} - 1), Clamp32(int64_t{r.right} - 1)});
      bounds.bottom = std::max({bounds.bottom, Clamp32(int64_t{r.top} - 1), Clamp32(int64_t{r.bottom} - 1)});
    }
  }
  AddBounds(bounds.left, bounds.top, bounds.right, bounds.bottom);

  size_t textBytes = static_cast<size_t>(count) * (wide ? 2 : 1);
  size_t padded = (textBytes + 3) & ~size_t{3};
  size_t start = BeginRecord(wide ? EMR_EXTTEXTOUTW : EMR_EXTTEXTOUTA);
  out_.PutRect(bounds);
  out_.PutI32(dc.state.graphicsMode);
  // The scales from page units to hundredths of a millimetre that the
  // format keeps for compatible-mode text; advanced mode leaves them 0.
  bool compatible = dc.state.graphicsMode == GM_COMPATIBLE;
  float sx = compatible && caps_.horzRes > 0 ? caps_.horzSize * 100.0f / caps_.horzRes : 0.0f;
  float sy = compatible && caps_.vertRes > 0 ? caps_.vertSize * 100.0f / caps_.vertRes : 0.0f;
  out_.PutFloat(sx);
  out_.PutFloat(sy);
  out_.PutI32(a[0]);
  out_.PutI32(a[1]);
  out_.Put32(static_cast<uint32_t>(count));
  out_.Put32(kEmfTextOutSize);
  out_.Put32(static_cast<uint32_t>(a[2]));
  out_.PutRect(rect);
  out_.Put32(static_cast<uint32_t>(kEmfTextOutSize + padded));
  if (textBytes && call.data) {
    out_.PutBytes(call.data, textBytes);
  } else {
    out_.PutZeros(textBytes);
  }
  out_.Align(4);
  for (int32_t v : dx) out_.PutI32(v);
  EndRecord(start);
}
