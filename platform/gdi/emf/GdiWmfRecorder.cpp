// The Windows-metafile recorder: every call a recording DC passes on becomes
// the WMF record that plays it back. The format is narrower than the calls:
// coordinates and sizes are held to 16 bits, text to 8-bit characters, clips
// are stored as the region they come to, and transparent copies and brush
// origins have no record.
#include "platform/gdi/emf/GdiWmfRecorder.h"

#include <algorithm>
#include <new>

#include "platform/bytes/ByteAppend.h"
#include "platform/gdi/GdiPaint.h"
#include "platform/gdi/emf/GdiEmfPlayer.h"
#include "platform/gdi/emf/GdiMetaPlayback.h"
#include "platform/gdi/emf/GdiWmfFormat.h"

namespace {

// Live objects beyond which those no state holds are deleted again.
constexpr size_t kMaxLiveObjects = 512;

// The Windows-1252 letters of 0x80 to 0x9F, for UTF-16 text written as bytes.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

uint8_t AnsiOf(char16_t u) {
  if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) return static_cast<uint8_t>(u);
  // Symbol fonts keep their codes in the private use area.
  if (u >= 0xF000 && u <= 0xF0FF) return static_cast<uint8_t>(u & 0xFF);
  for (int i = 0; i < 32; ++i) {
    if (kCp1252High[i] == u) return static_cast<uint8_t>(0x80 + i);
  }
  return '?';
}

int16_t Short(int64_t v) { return static_cast<int16_t>(std::clamp<int64_t>(v, INT16_MIN, INT16_MAX)); }
// A coordinate or size as a record word: held to 16 bits.
int32_t S(int64_t v) { return Short(v); }

void Body16(std::vector<uint8_t>& body, int64_t v) {
  AppendLE16(body, static_cast<uint16_t>(Short(v)));
}

// A region object of logical rectangles (bands as the region keeps them).
std::vector<uint8_t> RegionBody(const GdiRegion& region) {
  std::vector<uint8_t> scans;
  uint32_t scanCount = 0, maxScan = 0;
  const std::vector<RECT>& rects = region.Rects();
  for (size_t i = 0; i < rects.size();) {
    size_t j = i;
    while (j < rects.size() && rects[j].top == rects[i].top && rects[j].bottom == rects[i].bottom) ++j;
    uint32_t values = static_cast<uint32_t>(2 * (j - i));
    AppendLE16(scans, values);
    Body16(scans, rects[i].top);
    Body16(scans, rects[i].bottom);
    for (size_t k = i; k < j; ++k) {
      Body16(scans, rects[k].left);
      Body16(scans, rects[k].right);
    }
    AppendLE16(scans, values);
    maxScan = std::max(maxScan, values);
    ++scanCount;
    i = j;
  }
  std::vector<uint8_t> body;
  RECT b = region.Bounds();
  AppendLE16(body, 0);  // next in chain
  AppendLE16(body, kWmfRegionObjectType);
  AppendLE32(body, 0);  // object count
  AppendLE16(body,
             static_cast<uint32_t>(std::min<size_t>(kWmfRegionHeaderBytes + scans.size(), 0xFFFF)));
  AppendLE16(body, std::min<uint32_t>(scanCount, 0xFFFF));
  AppendLE16(body, std::min<uint32_t>(maxScan, 0xFFFF));
  Body16(body, b.left);
  Body16(body, b.top);
  Body16(body, b.right);
  Body16(body, b.bottom);
  body.insert(body.end(), scans.begin(), scans.end());
  return body;
}

// A device region of the DC in its logical units.
GdiRegion ToLogical(const GdiDC& dc, const GdiRegion& device) {
  GdiSpanBuilder b;
  for (const RECT& r : device.Rects()) {
    POINT p = GdiToLogical(dc, POINT{r.left, r.top});
    POINT q = GdiToLogical(dc, POINT{r.right, r.bottom});
    b.AddRect(RECT{std::min(p.x, q.x), std::min(p.y, q.y), std::max(p.x, q.x), std::max(p.y, q.y)});
  }
  return b.Finish();
}

}  // namespace

GdiWmfRecorder::GdiWmfRecorder() {
  out_.Put16(1);  // in memory
  out_.Put16(kWmfHeaderWords);
  out_.Put16(kWmfVersion);
  out_.Put32(0);  // size in words
  out_.Put16(0);  // objects
  out_.Put32(0);  // largest record
  out_.Put16(0);
}

size_t GdiWmfRecorder::BeginRecord(uint16_t function) {
  size_t start = out_.Size();
  out_.Put32(0);
  out_.Put16(function);
  return start;
}

void GdiWmfRecorder::EndRecord(size_t start) {
  out_.Align(2);
  uint32_t words = static_cast<uint32_t>((out_.Size() - start) / 2);
  out_.Patch32(start, words);
  maxRecordWords_ = std::max(maxRecordWords_, words);
}

void GdiWmfRecorder::Put(int64_t coordinate) { out_.Put16(static_cast<uint16_t>(Short(coordinate))); }

void GdiWmfRecorder::Write(uint16_t function, std::initializer_list<int32_t> words) {
  size_t start = BeginRecord(function);
  for (int32_t w : words) out_.Put16(static_cast<uint16_t>(w));
  EndRecord(start);
}

bool GdiWmfRecorder::Finish(std::vector<uint8_t>* bytes) {
  if (failed_ || out_.Failed()) return false;
  size_t eof = BeginRecord(META_EOF);
  EndRecord(eof);
  if (out_.Failed() || out_.Size() / 2 > UINT32_MAX) return false;
  out_.Patch32(6, static_cast<uint32_t>(out_.Size() / 2));
  out_.Patch16(10, objects_.HighWater());
  out_.Patch32(12, maxRecordWords_);
  *bytes = std::move(out_.Bytes());
  return true;
}

// ---------------------------------------------------------------------------
// Objects

uint32_t GdiWmfRecorder::Entry(uint16_t function, const std::vector<uint8_t>& body) {
  // Sized at once: growing it by a range after the function makes GCC 12
  // see a copy out of bounds that cannot happen.
  std::vector<uint8_t> key(2 + body.size());
  StoreLE16(key.data(), function);
  std::copy(body.begin(), body.end(), key.begin() + 2);
  int64_t found = objects_.Find(key);
  if (found >= 0) return static_cast<uint32_t>(found);
  if (objects_.Live() >= kMaxLiveObjects) Evict();
  uint32_t index = objects_.Add(key);
  size_t start = BeginRecord(function);
  out_.PutBytes(body.data(), body.size());
  EndRecord(start);
  return index;
}

void GdiWmfRecorder::DeleteEntry(uint32_t index) {
  Write(META_DELETEOBJECT, {static_cast<int32_t>(index)});
  objects_.Remove(index);
}

void GdiWmfRecorder::Evict() {
  for (uint32_t index : objects_.Entries()) {
    bool held = std::find(std::begin(selected_), std::end(selected_), index) != std::end(selected_);
    for (const auto& s : saved_) held = held || std::find(s.begin(), s.end(), index) != s.end();
    if (!held) DeleteEntry(index);
  }
}

uint32_t GdiWmfRecorder::TemporaryRegion(const GdiRegion& logical) {
  // A region is made for the one record that uses it and deleted after it.
  return Entry(META_CREATEREGION, RegionBody(logical));
}

uint32_t GdiWmfRecorder::Reference(GdiObject* object) {
  // The format has no stock objects: each is made like any other.
  std::vector<uint8_t> body;
  switch (object->kind) {
    case GdiKind::Pen: {
      const auto& pen = *static_cast<GdiPen*>(object);
      AppendLE16(body, pen.style & 0xFFFF);
      Body16(body, pen.width);
      Body16(body, 0);
      AppendLE32(body, pen.brush.color);
      return Entry(META_CREATEPENINDIRECT, body);
    }
    case GdiKind::Brush: {
      const GdiBrushData& b = static_cast<GdiBrush*>(object)->data;
      if (b.style == BS_PATTERN && b.pattern) {
        std::vector<uint8_t> info, bits;
        const GdiSurface& p = *b.pattern;
        if (GdiDibOfSurface(p, RECT{0, 0, p.width, p.height}, nullptr, &info, &bits)) {
          AppendLE16(body, p.deviceMono ? kWmfBrushPattern : kWmfBrushDibPatternPt);
          AppendLE16(body, DIB_RGB_COLORS);
          body.insert(body.end(), info.begin(), info.end());
          body.insert(body.end(), bits.begin(), bits.end());
          return Entry(META_DIBCREATEPATTERNBRUSH, body);
        }
      }
      AppendLE16(body, b.style == BS_PATTERN ? BS_NULL : b.style);
      AppendLE32(body, b.color);
      AppendLE16(body, b.style == BS_HATCHED ? static_cast<uint32_t>(b.hatch) : 0);
      return Entry(META_CREATEBRUSHINDIRECT, body);
    }
    case GdiKind::Font: {
      const LOGFONTA& lf = static_cast<GdiFont*>(object)->logFont;
      Body16(body, lf.lfHeight);
      Body16(body, lf.lfWidth);
      Body16(body, lf.lfEscapement);
      Body16(body, lf.lfOrientation);
      Body16(body, lf.lfWeight);
      for (BYTE v : {lf.lfItalic, lf.lfUnderline, lf.lfStrikeOut, lf.lfCharSet, lf.lfOutPrecision,
                     lf.lfClipPrecision, lf.lfQuality, lf.lfPitchAndFamily}) {
        body.push_back(v);
      }
      bool ended = false;
      for (int i = 0; i < LF_FACESIZE; ++i) {
        char c = ended ? '\0' : lf.lfFaceName[i];
        if (c == '\0' || i == LF_FACESIZE - 1) {
          ended = true;
          c = '\0';
        }
        body.push_back(static_cast<uint8_t>(c));
      }
      return Entry(META_CREATEFONTINDIRECT, body);
    }
    case GdiKind::Palette: {
      const auto& entries = static_cast<GdiPalette*>(object)->entries;
      uint32_t count = static_cast<uint32_t>(std::min<size_t>(entries.size(), 0xFFFF));
      AppendLE16(body, 0x0300);
      AppendLE16(body, count);
      for (uint32_t i = 0; i < count; ++i) {
        const PALETTEENTRY& e = entries[i];
        body.insert(body.end(), {e.peRed, e.peGreen, e.peBlue, e.peFlags});
      }
      return Entry(META_CREATEPALETTE, body);
    }
    default:
      return UINT32_MAX;
  }
}

// ---------------------------------------------------------------------------
// Records

void GdiWmfRecorder::Record(GdiDC& dc, const GdiCall& call) {
  if (failed_) return;
  try {
    RecordCall(dc, call);
  } catch (const std::bad_alloc&) {
    failed_ = true;
  }
  if (out_.Failed()) failed_ = true;
}

void GdiWmfRecorder::RecordCall(GdiDC& dc, const GdiCall& call) {
  const int32_t* a = call.args;
  auto color = [](int32_t c) { return static_cast<int32_t>(static_cast<uint32_t>(c) & 0xFFFF); };
  auto colorHigh = [](int32_t c) { return static_cast<int32_t>(static_cast<uint32_t>(c) >> 16); };
  switch (call.op) {
    case GdiOp::SelectObject:
    case GdiOp::SelectPalette: {
      GdiObject* o = GdiLookup(call.object);
      if (!o) return;
      int slot = o->kind == GdiKind::Pen     ? 0
                 : o->kind == GdiKind::Brush ? 1
                 : o->kind == GdiKind::Font  ? 2
                 : o->kind == GdiKind::Palette ? 3
                                               : -1;
      if (slot < 0) return;
      uint32_t index = Reference(o);
      if (index == UINT32_MAX) return;
      selected_[slot] = index;
      return Write(slot == 3 ? META_SELECTPALETTE : META_SELECTOBJECT, {static_cast<int32_t>(index)});
    }
    case GdiOp::RealizePalette: return Write(META_REALIZEPALETTE, {});
    case GdiOp::SaveDC:
      saved_.push_back({selected_[0], selected_[1], selected_[2], selected_[3]});
      return Write(META_SAVEDC, {});
    case GdiOp::RestoreDC: {
      int64_t count = static_cast<int64_t>(dc.saved.size());
      int64_t level = a[0] > 0 ? a[0] : count + a[0] + 1;
      if (level < 1 || level > count) return;
      if (static_cast<size_t>(level) <= saved_.size()) {
        std::copy(saved_[level - 1].begin(), saved_[level - 1].end(), selected_);
        saved_.resize(level - 1);
      }
      return Write(META_RESTOREDC, {static_cast<int32_t>(level - count - 1)});
    }
    case GdiOp::SetTextColor: return Write(META_SETTEXTCOLOR, {color(a[0]), colorHigh(a[0])});
    case GdiOp::SetBkColor: return Write(META_SETBKCOLOR, {color(a[0]), colorHigh(a[0])});
    case GdiOp::SetBkMode: return Write(META_SETBKMODE, {a[0]});
    case GdiOp::SetROP2: return Write(META_SETROP2, {a[0]});
    case GdiOp::SetTextAlign: return Write(META_SETTEXTALIGN, {a[0]});
    case GdiOp::SetStretchBltMode: return Write(META_SETSTRETCHBLTMODE, {a[0]});
    case GdiOp::SetPolyFillMode: return Write(META_SETPOLYFILLMODE, {a[0]});
    case GdiOp::SetMapMode: return Write(META_SETMAPMODE, {a[0]});
    case GdiOp::SetGraphicsMode:
    case GdiOp::SetBrushOrgEx: return;  // no record in the format
    case GdiOp::SetViewportOrgEx: return Write(META_SETVIEWPORTORG, {S(a[1]), S(a[0])});
    case GdiOp::SetWindowOrgEx: return Write(META_SETWINDOWORG, {S(a[1]), S(a[0])});
    case GdiOp::SetViewportExtEx: return Write(META_SETVIEWPORTEXT, {S(a[1]), S(a[0])});
    case GdiOp::SetWindowExtEx: return Write(META_SETWINDOWEXT, {S(a[1]), S(a[0])});
    case GdiOp::OffsetViewportOrgEx: return Write(META_OFFSETVIEWPORTORG, {S(a[1]), S(a[0])});
    case GdiOp::OffsetWindowOrgEx: return Write(META_OFFSETWINDOWORG, {S(a[1]), S(a[0])});
    case GdiOp::SelectClipRgn:
    case GdiOp::ExtSelectClipRgn: return RecordClip(dc, call);
    case GdiOp::IntersectClipRect: return Write(META_INTERSECTCLIPRECT, {S(a[3]), S(a[2]), S(a[1]), S(a[0])});
    case GdiOp::ExcludeClipRect: return Write(META_EXCLUDECLIPRECT, {S(a[3]), S(a[2]), S(a[1]), S(a[0])});
    case GdiOp::OffsetClipRgn: return Write(META_OFFSETCLIPRGN, {S(a[1]), S(a[0])});
    case GdiOp::MoveToEx: return Write(META_MOVETO, {S(a[1]), S(a[0])});
    case GdiOp::LineTo: return Write(META_LINETO, {S(a[1]), S(a[0])});
    case GdiOp::Polyline:
    case GdiOp::Polygon: {
      if (!call.points || call.count < 0) return;
      int32_t n = std::min<int32_t>(call.count, INT16_MAX);
      size_t start = BeginRecord(call.op == GdiOp::Polyline ? META_POLYLINE : META_POLYGON);
      Put(n);
      for (int32_t i = 0; i < n; ++i) {
        Put(call.points[i].x);
        Put(call.points[i].y);
      }
      return EndRecord(start);
    }
    case GdiOp::Rectangle: return Write(META_RECTANGLE, {S(a[3]), S(a[2]), S(a[1]), S(a[0])});
    case GdiOp::Ellipse: return Write(META_ELLIPSE, {S(a[3]), S(a[2]), S(a[1]), S(a[0])});
    case GdiOp::Arc:
    case GdiOp::Chord:
    case GdiOp::Pie:
      return Write(call.op == GdiOp::Arc     ? META_ARC
                   : call.op == GdiOp::Chord ? META_CHORD
                                             : META_PIE,
                   {S(a[7]), S(a[6]), S(a[5]), S(a[4]), S(a[3]), S(a[2]), S(a[1]), S(a[0])});
    case GdiOp::RoundRect: return Write(META_ROUNDRECT, {S(a[5]), S(a[4]), S(a[3]), S(a[2]), S(a[1]), S(a[0])});
    case GdiOp::SetPixel: return Write(META_SETPIXEL, {color(a[2]), colorHigh(a[2]), S(a[1]), S(a[0])});
    case GdiOp::ExtFloodFill:
      return Write(META_EXTFLOODFILL, {S(a[3]), color(a[2]), colorHigh(a[2]), S(a[1]), S(a[0])});
    case GdiOp::InvertRect: {
      RECT d = GdiRectToDevice(dc, RECT{a[0], a[1], a[2], a[3]});
      if (d.right <= d.left || d.bottom <= d.top) return;
      return Write(META_PATBLT, {color(static_cast<int32_t>(DSTINVERT)),
                                 colorHigh(static_cast<int32_t>(DSTINVERT)),
                                 S(int64_t{a[3]} - a[1]), S(int64_t{a[2]} - a[0]), S(a[1]), S(a[0])});
    }
    case GdiOp::FillRgn:
    case GdiOp::FrameRgn:
    case GdiOp::PaintRgn:
    case GdiOp::InvertRgn: {
      GdiRegionObject* region = GdiRegionFromHandle(static_cast<HRGN>(call.object));
      if (!region) return;
      uint32_t brush = 0;
      if (call.op == GdiOp::FillRgn || call.op == GdiOp::FrameRgn) {
        int32_t value = a[call.op == GdiOp::FillRgn ? 0 : 2];
        auto handle = reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(static_cast<uint32_t>(value)));
        GdiBrush* b = GdiBrushFromHandle(handle);
        if (!b) return;
        brush = Reference(b);
      }
      uint32_t r = TemporaryRegion(region->region);
      int32_t ri = static_cast<int32_t>(r), bi = static_cast<int32_t>(brush);
      if (call.op == GdiOp::FillRgn) Write(META_FILLREGION, {ri, bi});
      if (call.op == GdiOp::FrameRgn) Write(META_FRAMEREGION, {ri, bi, S(a[1]), S(a[0])});
      if (call.op == GdiOp::PaintRgn) Write(META_PAINTREGION, {ri});
      if (call.op == GdiOp::InvertRgn) Write(META_INVERTREGION, {ri});
      return DeleteEntry(r);
    }
    case GdiOp::PatBlt:
      return Write(META_PATBLT, {color(a[4]), colorHigh(a[4]), S(a[3]), S(a[2]), S(a[1]), S(a[0])});
    case GdiOp::BitBlt:
    case GdiOp::StretchBlt: return RecordBlit(dc, call);
    case GdiOp::TransparentBlt: return;  // no record in the format
    case GdiOp::SetDIBitsToDevice:
    case GdiOp::StretchDIBits: return RecordDib(dc, call);
    case GdiOp::TextOut: return RecordText(dc, call);
  }
}

void GdiWmfRecorder::RecordClip(GdiDC& dc, const GdiCall& call) {
  // The clip is stored as the region it comes to, in logical units: the
  // format selects a region and has no other modes.
  int mode = call.op == GdiOp::SelectClipRgn ? RGN_COPY : call.args[0];
  GdiRegionObject* region =
      call.object ? GdiRegionFromHandle(static_cast<HRGN>(call.object)) : nullptr;
  if (call.object && !region) return;
  GdiRegion logical;
  if (!region) {
    // No clip: a region over the whole 16-bit plane.
    logical = GdiRegion(RECT{INT16_MIN, INT16_MIN, INT16_MAX, INT16_MAX});
  } else {
    GdiRegion result = region->region;
    if (mode != RGN_COPY) {
      if (dc.state.clip) {
        result = GdiRegion::Combine(*dc.state.clip, region->region, mode);
      } else if (mode != RGN_AND) {
        result = GdiRegion::Combine(GdiRegion(GdiDeviceBounds(dc)), region->region, mode);
      }
    }
    logical = ToLogical(dc, result);
  }
  uint32_t r = TemporaryRegion(logical);
  Write(META_SELECTCLIPREGION, {static_cast<int32_t>(r)});
  DeleteEntry(r);
}

void GdiWmfRecorder::RecordBlit(GdiDC& dc, const GdiCall& call) {
  const int32_t* a = call.args;
  DWORD rop = static_cast<DWORD>(a[8]);
  auto low = [](DWORD v) { return static_cast<int32_t>(v & 0xFFFF); };
  auto high = [](DWORD v) { return static_cast<int32_t>(v >> 16); };
  if (!GdiRopUsesSource(static_cast<uint8_t>(rop >> 16))) {
    return Write(META_PATBLT, {low(rop), high(rop), S(a[3]), S(a[2]), S(a[1]), S(a[0])});
  }
  GdiBlitCapture c;
  if (!GdiCaptureBlit(dc, call, &c)) return;
  size_t start = BeginRecord(META_DIBSTRETCHBLT);
  out_.Put32(rop);
  for (int64_t w : {c.cySrc, c.cxSrc, c.ySrc, c.xSrc, c.height, c.width, c.y, c.x}) Put(w);
  out_.PutBytes(c.info.data(), c.info.size());
  out_.PutBytes(c.bits.data(), c.bits.size());
  EndRecord(start);
}

void GdiWmfRecorder::RecordDib(GdiDC& dc, const GdiCall& call) {
  const int32_t* a = call.args;
  GdiDibFormat f;
  if (!GdiReadDibFormat(call.info, static_cast<UINT>(a[9]), &dc, &f)) return;
  std::vector<uint8_t> info =
      GdiDibInfo(f.width, f.bottomUp ? f.height : -f.height, f.bitsPerPixel, f.colors);
  if (call.op == GdiOp::SetDIBitsToDevice) {
    size_t bitsSize = static_cast<size_t>(f.rowBytes) * static_cast<size_t>(a[7]);
    size_t start = BeginRecord(META_SETDIBTODEV);
    out_.Put16(DIB_RGB_COLORS);
    out_.Put16(static_cast<uint32_t>(a[7]));  // scans
    out_.Put16(static_cast<uint32_t>(a[6]));  // first scan
    for (int64_t w : {a[5], a[4], a[3], a[2], a[1], a[0]}) Put(w);
    out_.PutBytes(info.data(), info.size());
    if (call.data) out_.PutBytes(call.data, bitsSize);
    return EndRecord(start);
  }
  DWORD rop = static_cast<DWORD>(a[8]);
  if (!call.data || !GdiRopUsesSource(static_cast<uint8_t>(rop >> 16))) {
    // Without source pixels it is a pattern blit of the destination.
    return Write(META_PATBLT, {static_cast<int32_t>(rop & 0xFFFF), static_cast<int32_t>(rop >> 16),
                               S(a[3]), S(a[2]), S(a[1]), S(a[0])});
  }
  size_t bitsSize = static_cast<size_t>(f.rowBytes) * static_cast<size_t>(f.height);
  size_t start = BeginRecord(META_STRETCHDIB);
  out_.Put32(rop);
  out_.Put16(DIB_RGB_COLORS);
  for (int64_t w : {a[7], a[6], a[5], a[4], a[3], a[2], a[1], a[0]}) Put(w);
  out_.PutBytes(info.data(), info.size());
  out_.PutBytes(call.data, bitsSize);
  EndRecord(start);
}

void GdiWmfRecorder::RecordText(GdiDC&, const GdiCall& call) {
  const int32_t* a = call.args;
  const bool wide = a[8] != 0;
  int32_t count = std::min<int32_t>(std::max(call.count, 0), INT16_MAX);
  std::vector<uint8_t> text(static_cast<size_t>(count));
  for (int32_t i = 0; i < count && call.data; ++i) {
    if (wide) {
      text[i] = AnsiOf(static_cast<const char16_t*>(call.data)[i]);
    } else {
      text[i] = static_cast<const uint8_t*>(call.data)[i];
    }
  }
  UINT options = static_cast<UINT>(a[2]);
  bool rect = a[7] && (options & (ETO_OPAQUE | ETO_CLIPPED));
  if (!a[7]) options &= ~(ETO_OPAQUE | ETO_CLIPPED);
  size_t start = BeginRecord(META_EXTTEXTOUT);
  Put(a[1]);
  Put(a[0]);
  Put(count);
  out_.Put16(options & 0xFFFF);
  if (rect) {
    Put(a[3]);
    Put(a[4]);
    Put(a[5]);
    Put(a[6]);
  }
  out_.PutBytes(text.data(), text.size());
  out_.Align(2);
  for (int32_t i = 0; i < count; ++i) Put(call.points ? call.points[i].x : 0);
  EndRecord(start);
}

// ---------------------------------------------------------------------------
// The Windows-metafile form of an enhanced metafile

bool GdiEmfToWmf(const uint8_t* emf, size_t size, HDC reference, bool windowRecords,
                 std::vector<uint8_t>* wmf) {
  RECT frame{};
  SIZE device{}, millimetres{};
  if (!GdiEmfFrame(emf, size, &frame, &device, &millimetres)) return false;
  if (reference) {
    device = {GetDeviceCaps(reference, HORZRES), GetDeviceCaps(reference, VERTRES)};
    millimetres = {GetDeviceCaps(reference, HORZSIZE), GetDeviceCaps(reference, VERTSIZE)};
    if (device.cx <= 0 || device.cy <= 0 || millimetres.cx <= 0 || millimetres.cy <= 0) return false;
  }
  // The window: the frame in pixels, its top left at the origin.
  int64_t width = GdiRoundDiv(int64_t{frame.right} * device.cx, int64_t{millimetres.cx} * 100) -
                  GdiRoundDiv(int64_t{frame.left} * device.cx, int64_t{millimetres.cx} * 100);
  int64_t height = GdiRoundDiv(int64_t{frame.bottom} * device.cy, int64_t{millimetres.cy} * 100) -
                   GdiRoundDiv(int64_t{frame.top} * device.cy, int64_t{millimetres.cy} * 100);
  width = std::clamp<int64_t>(width, 1, INT16_MAX);
  height = std::clamp<int64_t>(height, 1, INT16_MAX);
  auto owned = std::make_unique<GdiWmfRecorder>();
  GdiWmfRecorder* recorder = owned.get();
  HDC dc = GdiCreateRecordingDC(reference, std::move(owned));
  if (!dc) return false;
  if (windowRecords) {
    recorder->Write(META_SETWINDOWORG, {0, 0});
    recorder->Write(META_SETWINDOWEXT, {static_cast<int32_t>(height), static_cast<int32_t>(width)});
  }
  bool played = GdiPlayEmf(dc, emf, size,
                           RECT{0, 0, static_cast<LONG>(width), static_cast<LONG>(height)});
  bool ok = played && recorder->Finish(wmf);
  DeleteDC(dc);
  return ok;
}
