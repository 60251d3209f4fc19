// Checking and playing enhanced metafiles. The player keeps the recorded
// DC's mapping itself (window and viewport), takes each logical point to the
// recorded device and from there, by the frame-to-rectangle mapping, to the
// DC it plays on; it calls only the public GDI calls, so it plays onto any
// DC, recording DCs included. At the same size and place every call is the
// one that was recorded, so the pixels are those of the drawing itself.
#include "platform/gdi/emf/GdiEmfPlayer.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "platform/bytes/ByteOrder.h"
#include "platform/gdi/WinGdiMetafile.h"
#include "platform/gdi/emf/GdiEmfFormat.h"
#include "platform/gdi/emf/GdiMetaBytes.h"
#include "platform/gdi/emf/GdiMetaPlayback.h"

namespace {

// Region and drawing coordinates beyond this are refused by GDI; mapped
// coordinates are held within it so that scaling cannot wrap them.
constexpr int64_t kCoordLimit = int64_t{1} << 27;

int64_t Scale(int64_t v, int64_t num, int64_t den) {
  __int128 p = static_cast<__int128>(v) * num;
  __int128 d = den;
  if (d < 0) {
    p = -p;
    d = -d;
  }
  __int128 q = p >= 0 ? (p + d / 2) / d : -((-p + d / 2) / d);
  if (q > INT64_MAX / 2) return INT64_MAX / 2;
  if (q < INT64_MIN / 2) return INT64_MIN / 2;
  return static_cast<int64_t>(q);
}

// The recorded DC's mapping, kept as the GDI stand-in keeps a DC's: MM_TEXT
// shifts, MM_ANISOTROPIC scales by the extents; other modes are refused.
struct Mapping {
  int mode = MM_TEXT;
  POINT windowOrigin{0, 0};
  POINT viewportOrigin{0, 0};
  SIZE windowExtent{1, 1};
  SIZE viewportExtent{1, 1};

  POINT ToDevice(POINT p) const {
    int64_t x = int64_t{p.x} - windowOrigin.x;
    int64_t y = int64_t{p.y} - windowOrigin.y;
    if (mode == MM_ANISOTROPIC) {
      x = GdiRoundDiv(x * viewportExtent.cx, windowExtent.cx);
      y = GdiRoundDiv(y * viewportExtent.cy, windowExtent.cy);
    }
    return {GdiClamp32(x + viewportOrigin.x), GdiClamp32(y + viewportOrigin.y)};
  }
};

struct Header {
  uint32_t size = 0;  // of the header record
  uint32_t bytes = 0;
  uint32_t records = 0;
  uint32_t handles = 0;
  RECT frame{};
  SIZE device{};
  SIZE millimetres{};
};

bool ReadHeader(const uint8_t* bytes, size_t size, Header* h) {
  GdiByteReader r(bytes, size);
  uint32_t type = r.U32();
  h->size = r.U32();
  r.Rect();  // bounds
  h->frame = r.Rect();
  uint32_t signature = r.U32();
  r.U32();  // version
  h->bytes = r.U32();
  h->records = r.U32();
  h->handles = r.U16();
  r.U16();
  uint32_t descriptionUnits = r.U32();
  uint32_t descriptionOffset = r.U32();
  r.U32();  // palette entries
  h->device.cx = r.I32();
  h->device.cy = r.I32();
  h->millimetres.cx = r.I32();
  h->millimetres.cy = r.I32();
  if (r.Failed() || type != EMR_HEADER || signature != ENHMETA_SIGNATURE ||
      h->size < kEmfHeaderMinSize || h->size % 4 || h->bytes < h->size || h->bytes % 4 ||
      h->bytes > size || h->device.cx <= 0 || h->device.cy <= 0 || h->millimetres.cx <= 0 ||
      h->millimetres.cy <= 0) {
    return false;
  }
  if (descriptionUnits &&
      (descriptionOffset < kEmfHeaderMinSize ||
       uint64_t{descriptionOffset} + uint64_t{descriptionUnits} * 2 > h->size)) {
    return false;
  }
  if (h->handles == 0) h->handles = 1;
  return true;
}

class Player : public GdiMetaPlayback {
 public:
  Player(HDC dc, const Header& h, const RECT& rect) : GdiMetaPlayback(dc, h.handles) {
    // The frame in pixels of the recorded device.
    auto px = [](int64_t v, int64_t pixels, int64_t mm) { return GdiRoundDiv(v * pixels, mm * 100); };
    frameLeft_ = px(h.frame.left, h.device.cx, h.millimetres.cx);
    frameTop_ = px(h.frame.top, h.device.cy, h.millimetres.cy);
    frameWidth_ = px(h.frame.right, h.device.cx, h.millimetres.cx) - frameLeft_;
    frameHeight_ = px(h.frame.bottom, h.device.cy, h.millimetres.cy) - frameTop_;
    if (frameWidth_ == 0) frameWidth_ = 1;
    if (frameHeight_ == 0) frameHeight_ = 1;
    left_ = rect.left;
    top_ = rect.top;
    width_ = int64_t{rect.right} - rect.left;
    height_ = int64_t{rect.bottom} - rect.top;
    unit_ = width_ == frameWidth_ && height_ == frameHeight_;
  }

  // Plays one record (the reader spans it, positioned after type and size);
  // false when it is not well formed.
  bool Play(uint32_t type, GdiByteReader& r);

 private:
  int32_t X(int64_t x) const {
    return static_cast<int32_t>(
        std::clamp<int64_t>(left_ + Scale(x - frameLeft_, width_, frameWidth_), -kCoordLimit, kCoordLimit));
  }
  int32_t Y(int64_t y) const {
    return static_cast<int32_t>(
        std::clamp<int64_t>(top_ + Scale(y - frameTop_, height_, frameHeight_), -kCoordLimit, kCoordLimit));
  }
  POINT Map(POINT logical) const {
    POINT d = map_.ToDevice(logical);
    return {X(d.x), Y(d.y)};
  }
  POINT Map(int32_t x, int32_t y) const { return Map(POINT{x, y}); }
  // A length along x or y (pen widths, font sizes): scaled by the size of
  // the mapping alone.
  int32_t LengthX(int64_t v) const {
    return unit_ ? GdiClamp32(v) : GdiClamp32(Scale(v, std::abs(width_), std::abs(frameWidth_)));
  }
  int32_t LengthY(int64_t v) const {
    return unit_ ? GdiClamp32(v) : GdiClamp32(Scale(v, std::abs(height_), std::abs(frameHeight_)));
  }
  // The mapped box of a logical rectangle given by origin and size.
  void Box(int32_t x, int32_t y, int32_t w, int32_t h, int32_t* bx, int32_t* by, int32_t* bw,
           int32_t* bh) const {
    POINT a = Map(x, y);
    POINT b = Map(GdiClamp32(int64_t{x} + w), GdiClamp32(int64_t{y} + h));
    *bx = a.x;
    *by = a.y;
    *bw = b.x - a.x;
    *bh = b.y - a.y;
  }

  HGDIOBJ Handle(uint32_t index, bool* ok) {
    if (index & kEmfStockObject) return GetStockObject(static_cast<int>(index & ~kEmfStockObject));
    if (index == 0 || index >= ObjectCount()) {
      *ok = false;
      return nullptr;
    }
    return Object(index);
  }
  bool Create(GdiByteReader& r, uint32_t index, HGDIOBJ object) {
    if (index == 0 || index >= ObjectCount()) {
      if (object) DeleteObject(object);
      return false;
    }
    SetObject(index, object);
    return !r.Failed();
  }

  HRGN Region(const uint8_t* data, size_t size, bool logical, bool* ok);

  // One for each record family: each reads its parameters, draws or
  // changes the DC or the kept mapping, and answers false when the record
  // is not well formed.
  bool PlayBrushOrigin(GdiByteReader& r);
  bool PlayMapMode(GdiByteReader& r);
  bool PlayOrigin(uint32_t type, GdiByteReader& r);
  bool PlayExtent(uint32_t type, GdiByteReader& r);
  bool PlayScaleExtent(uint32_t type, GdiByteReader& r);
  void PlaySaveDC();
  bool PlayRestoreDC(GdiByteReader& r);
  bool PlayMoveOrLine(uint32_t type, GdiByteReader& r);
  bool PlayPoly(uint32_t type, GdiByteReader& r);
  bool PlayRectangle(uint32_t type, GdiByteReader& r);
  bool PlayArc(uint32_t type, GdiByteReader& r);
  bool PlaySetPixel(GdiByteReader& r);
  bool PlayFloodFill(GdiByteReader& r);
  bool PlaySelectObject(GdiByteReader& r);
  bool PlayDeleteObject(GdiByteReader& r);
  bool PlayCreatePen(GdiByteReader& r);
  bool PlayCreateBrush(GdiByteReader& r);
  bool PlayCreatePalette(GdiByteReader& r);
  bool PlaySelectClipRegion(GdiByteReader& r);
  bool PlayClipRect(uint32_t type, GdiByteReader& r);
  bool PlayOffsetClip(GdiByteReader& r);
  bool PlayRegion(uint32_t type, GdiByteReader& r);
  bool PlayBlit(uint32_t type, GdiByteReader& r);
  bool PlayDib(uint32_t type, GdiByteReader& r);
  bool PlayText(uint32_t type, GdiByteReader& r);
  bool PlayPen(GdiByteReader& r);
  bool PlayFont(GdiByteReader& r);
  bool PlayPatternBrush(uint32_t type, GdiByteReader& r);

  int64_t frameLeft_ = 0, frameTop_ = 0, frameWidth_ = 1, frameHeight_ = 1;
  int64_t left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  bool unit_ = true;
  Mapping map_;
  std::vector<Mapping> savedMaps_;
};

bool Player::Play(uint32_t type, GdiByteReader& r) {
  HDC dc = Target();
  switch (type) {
    case EMR_HEADER:
    case EMR_EOF:
      return true;
    case EMR_SETTEXTCOLOR: SetTextColor(dc, r.U32()); break;
    case EMR_SETBKCOLOR: SetBkColor(dc, r.U32()); break;
    case EMR_SETBKMODE: SetBkMode(dc, r.I32()); break;
    case EMR_SETROP2: SetROP2(dc, r.I32()); break;
    case EMR_SETTEXTALIGN: SetTextAlign(dc, r.U32()); break;
    case EMR_SETSTRETCHBLTMODE: SetStretchBltMode(dc, r.I32()); break;
    case EMR_SETPOLYFILLMODE: SetPolyFillMode(dc, r.I32()); break;
    case EMR_SETBRUSHORGEX: return PlayBrushOrigin(r);
    case EMR_SETMAPMODE: return PlayMapMode(r);
    case EMR_SETWINDOWORGEX:
    case EMR_SETVIEWPORTORGEX: return PlayOrigin(type, r);
    case EMR_SETWINDOWEXTEX:
    case EMR_SETVIEWPORTEXTEX: return PlayExtent(type, r);
    case EMR_SCALEWINDOWEXTEX:
    case EMR_SCALEVIEWPORTEXTEX: return PlayScaleExtent(type, r);
    case EMR_SAVEDC: PlaySaveDC(); break;
    case EMR_RESTOREDC: return PlayRestoreDC(r);
    case EMR_MOVETOEX:
    case EMR_LINETO: return PlayMoveOrLine(type, r);
    case EMR_POLYLINE:
    case EMR_POLYGON:
    case EMR_POLYLINE16:
    case EMR_POLYGON16: return PlayPoly(type, r);
    case EMR_RECTANGLE:
    case EMR_ELLIPSE:
    case EMR_ROUNDRECT: return PlayRectangle(type, r);
    case EMR_ARC:
    case EMR_CHORD:
    case EMR_PIE: return PlayArc(type, r);
    case EMR_SETPIXELV: return PlaySetPixel(r);
    case EMR_EXTFLOODFILL: return PlayFloodFill(r);
    case EMR_SELECTOBJECT:
    case EMR_SELECTPALETTE: return PlaySelectObject(r);
    case EMR_DELETEOBJECT: return PlayDeleteObject(r);
    case EMR_REALIZEPALETTE: RealizePalette(dc); break;
    case EMR_CREATEPEN: return PlayCreatePen(r);
    case EMR_EXTCREATEPEN: return PlayPen(r);
    case EMR_CREATEBRUSHINDIRECT: return PlayCreateBrush(r);
    case EMR_CREATEMONOBRUSH:
    case EMR_CREATEDIBPATTERNBRUSHPT: return PlayPatternBrush(type, r);
    case EMR_EXTCREATEFONTINDIRECTW: return PlayFont(r);
    case EMR_CREATEPALETTE: return PlayCreatePalette(r);
    case EMR_EXTSELECTCLIPRGN: return PlaySelectClipRegion(r);
    case EMR_INTERSECTCLIPRECT:
    case EMR_EXCLUDECLIPRECT: return PlayClipRect(type, r);
    case EMR_OFFSETCLIPRGN: return PlayOffsetClip(r);
    case EMR_FILLRGN:
    case EMR_FRAMERGN:
    case EMR_PAINTRGN:
    case EMR_INVERTRGN: return PlayRegion(type, r);
    case EMR_BITBLT:
    case EMR_STRETCHBLT:
    case EMR_TRANSPARENTBLT: return PlayBlit(type, r);
    case EMR_SETDIBITSTODEVICE:
    case EMR_STRETCHDIBITS: return PlayDib(type, r);
    case EMR_EXTTEXTOUTA:
    case EMR_EXTTEXTOUTW: return PlayText(type, r);
    default:
      // Records this player does not draw (comments, paths, transforms)
      // are passed over.
      return true;
  }
  return !r.Failed();
}

bool Player::PlayBrushOrigin(GdiByteReader& r) {
  // Brush origins are device positions: patterns stay aligned to the
  // device as they are when drawn directly.
  int32_t x = r.I32(), y = r.I32();
  if (!r.Failed()) SetBrushOrgEx(Target(), x, y, nullptr);
  return !r.Failed();
}

bool Player::PlayMapMode(GdiByteReader& r) {
  int32_t mode = r.I32();
  if (!r.Failed() && (mode == MM_TEXT || mode == MM_ANISOTROPIC)) map_.mode = mode;
  return !r.Failed();
}

bool Player::PlayOrigin(uint32_t type, GdiByteReader& r) {
  POINT p{r.I32(), r.I32()};
  if (r.Failed()) return false;
  (type == EMR_SETWINDOWORGEX ? map_.windowOrigin : map_.viewportOrigin) = p;
  return !r.Failed();
}

bool Player::PlayExtent(uint32_t type, GdiByteReader& r) {
  SIZE s{r.I32(), r.I32()};
  // As the DC keeps them: ignored in MM_TEXT, and never 0.
  if (r.Failed() || map_.mode == MM_TEXT || s.cx == 0 || s.cy == 0) return !r.Failed();
  (type == EMR_SETWINDOWEXTEX ? map_.windowExtent : map_.viewportExtent) = s;
  return !r.Failed();
}

bool Player::PlayScaleExtent(uint32_t type, GdiByteReader& r) {
  int32_t xNum = r.I32(), xDen = r.I32(), yNum = r.I32(), yDen = r.I32();
  if (r.Failed() || map_.mode == MM_TEXT || xDen == 0 || yDen == 0) return !r.Failed();
  SIZE& e = type == EMR_SCALEWINDOWEXTEX ? map_.windowExtent : map_.viewportExtent;
  SIZE s{GdiClamp32(int64_t{e.cx} * xNum / xDen), GdiClamp32(int64_t{e.cy} * yNum / yDen)};
  if (s.cx != 0 && s.cy != 0) e = s;
  return !r.Failed();
}

void Player::PlaySaveDC() {
  Save();
  savedMaps_.push_back(map_);
}

bool Player::PlayRestoreDC(GdiByteReader& r) {
  int32_t relative = r.I32();
  if (r.Failed()) return false;
  size_t depth = savedMaps_.size();
  if (Restore(relative)) {
    size_t keep = depth - static_cast<size_t>(-int64_t{relative});
    map_ = savedMaps_[keep];
    savedMaps_.resize(keep);
  }
  return !r.Failed();
}

bool Player::PlayMoveOrLine(uint32_t type, GdiByteReader& r) {
  int32_t x = r.I32(), y = r.I32();
  POINT p = Map(x, y);
  if (!r.Failed()) {
    if (type == EMR_MOVETOEX) {
      MoveToEx(Target(), p.x, p.y, nullptr);
    } else {
      LineTo(Target(), p.x, p.y);
    }
  }
  return !r.Failed();
}

// Polylines and polygons, with 32-bit or 16-bit points.
bool Player::PlayPoly(uint32_t type, GdiByteReader& r) {
  r.Rect();
  uint32_t count = r.U32();
  bool small = type == EMR_POLYLINE16 || type == EMR_POLYGON16;
  if (r.Failed() || count > r.Remaining() / (small ? 4 : 8)) return false;
  std::vector<POINT> points(count);
  for (POINT& p : points) {
    int32_t x = small ? r.I16() : r.I32();
    int32_t y = small ? r.I16() : r.I32();
    p = Map(x, y);
  }
  if (r.Failed()) return false;
  int n = static_cast<int>(std::min<uint32_t>(count, INT32_MAX));
  if (type == EMR_POLYLINE || type == EMR_POLYLINE16) {
    Polyline(Target(), points.data(), n);
  } else {
    Polygon(Target(), points.data(), n);
  }
  return !r.Failed();
}

bool Player::PlayRectangle(uint32_t type, GdiByteReader& r) {
  HDC dc = Target();
  RECT b = r.Rect();
  int32_t cw = 0, ch = 0;
  if (type == EMR_ROUNDRECT) {
    cw = r.I32();
    ch = r.I32();
  }
  if (r.Failed()) return false;
  POINT p = Map(b.left, b.top), q = Map(b.right, b.bottom);
  if (type == EMR_RECTANGLE) Rectangle(dc, p.x, p.y, q.x, q.y);
  if (type == EMR_ELLIPSE) Ellipse(dc, p.x, p.y, q.x, q.y);
  if (type == EMR_ROUNDRECT) RoundRect(dc, p.x, p.y, q.x, q.y, LengthX(cw), LengthY(ch));
  return !r.Failed();
}

// Arcs, chords and pies: the bounding box and the start and end points.
bool Player::PlayArc(uint32_t type, GdiByteReader& r) {
  HDC dc = Target();
  RECT b = r.Rect();
  const int32_t xs = r.I32(), ys = r.I32(), xe = r.I32(), ye = r.I32();
  if (r.Failed()) return false;
  POINT p = Map(b.left, b.top), q = Map(b.right, b.bottom);
  POINT s0 = Map(xs, ys), e0 = Map(xe, ye);
  if (type == EMR_ARC) Arc(dc, p.x, p.y, q.x, q.y, s0.x, s0.y, e0.x, e0.y);
  if (type == EMR_CHORD) Chord(dc, p.x, p.y, q.x, q.y, s0.x, s0.y, e0.x, e0.y);
  if (type == EMR_PIE) Pie(dc, p.x, p.y, q.x, q.y, s0.x, s0.y, e0.x, e0.y);
  return !r.Failed();
}

bool Player::PlaySetPixel(GdiByteReader& r) {
  int32_t x = r.I32(), y = r.I32();
  COLORREF c = r.U32();
  POINT p = Map(x, y);
  if (!r.Failed()) SetPixelV(Target(), p.x, p.y, c);
  return !r.Failed();
}

bool Player::PlayFloodFill(GdiByteReader& r) {
  int32_t x = r.I32(), y = r.I32();
  COLORREF c = r.U32();
  UINT mode = r.U32();
  POINT p = Map(x, y);
  if (!r.Failed()) ExtFloodFill(Target(), p.x, p.y, c, mode);
  return !r.Failed();
}

bool Player::PlaySelectObject(GdiByteReader& r) {
  uint32_t index = r.U32();
  bool ok = !r.Failed();
  HGDIOBJ o = ok ? Handle(index, &ok) : nullptr;
  if (!ok) return false;
  SelectAny(o);
  return !r.Failed();
}

bool Player::PlayDeleteObject(GdiByteReader& r) {
  uint32_t index = r.U32();
  if (r.Failed() || index == 0 || index >= ObjectCount()) return false;
  DeleteObjectAt(index);
  return !r.Failed();
}

bool Player::PlayCreatePen(GdiByteReader& r) {
  uint32_t index = r.U32();
  UINT style = r.U32();
  int32_t width = r.I32();
  r.I32();
  COLORREF color = r.U32();
  if (r.Failed()) return false;
  int32_t w = width > 1 ? std::max(1, LengthX(width)) : width;
  return Create(r, index, CreatePen(static_cast<int>(style), w, color));
}

bool Player::PlayCreateBrush(GdiByteReader& r) {
  uint32_t index = r.U32();
  LOGBRUSH lb{};
  lb.lbStyle = r.U32();
  lb.lbColor = r.U32();
  lb.lbHatch = r.U32();
  if (r.Failed()) return false;
  // Pattern styles need their bitmap, which this record does not carry.
  HBRUSH b = lb.lbStyle == BS_PATTERN ? nullptr : CreateBrushIndirect(&lb);
  return Create(r, index, b);
}

bool Player::PlayCreatePalette(GdiByteReader& r) {
  uint32_t index = r.U32();
  uint16_t version = r.U16();
  uint16_t count = r.U16();
  if (r.Failed() || count > r.Remaining() / 4) return false;
  std::vector<uint8_t> block(4 + std::max<size_t>(count, 1) * 4, 0);
  auto* lp = reinterpret_cast<LOGPALETTE*>(block.data());
  lp->palVersion = version;
  lp->palNumEntries = count;
  for (uint16_t i = 0; i < count; ++i) {
    PALETTEENTRY& e = lp->palPalEntry[i];
    e.peRed = r.U8();
    e.peGreen = r.U8();
    e.peBlue = r.U8();
    e.peFlags = r.U8();
  }
  return Create(r, index, CreatePalette(lp));
}

bool Player::PlaySelectClipRegion(GdiByteReader& r) {
  uint32_t cb = r.U32();
  int32_t mode = r.I32();
  if (r.Failed() || cb > r.Remaining()) return false;
  if (cb == 0) {
    // No region: only a copy means anything, and it removes the clip.
    if (mode == RGN_COPY) ClearClip();
    return !r.Failed();
  }
  bool ok = true;
  HRGN region = Region(r.Span(cb), cb, false, &ok);
  if (!ok) return false;
  if (region) {
    HDC dc = Target();
    Clip([&] { ExtSelectClipRgn(dc, region, mode); });
    DeleteObject(region);
  }
  return !r.Failed();
}

bool Player::PlayClipRect(uint32_t type, GdiByteReader& r) {
  HDC dc = Target();
  RECT b = r.Rect();
  if (r.Failed()) return false;
  POINT p = Map(b.left, b.top), q = Map(b.right, b.bottom);
  Clip([&] {
    if (type == EMR_INTERSECTCLIPRECT) {
      IntersectClipRect(dc, p.x, p.y, q.x, q.y);
    } else {
      ExcludeClipRect(dc, p.x, p.y, q.x, q.y);
    }
  });
  return !r.Failed();
}

bool Player::PlayOffsetClip(GdiByteReader& r) {
  HDC dc = Target();
  int32_t dx = r.I32(), dy = r.I32();
  if (r.Failed()) return false;
  POINT o = Map(0, 0), d = Map(dx, dy);
  Clip([&] { OffsetClipRgn(dc, d.x - o.x, d.y - o.y); });
  return !r.Failed();
}

HRGN Player::Region(const uint8_t* data, size_t size, bool logical, bool* ok) {
  GdiByteReader r(data, size);
  uint32_t headerSize = r.U32();
  uint32_t kind = r.U32();
  uint32_t count = r.U32();
  if (r.Failed() || headerSize < sizeof(RGNDATAHEADER) || kind != RDH_RECTANGLES ||
      !r.Seek(headerSize) || count > r.Remaining() / sizeof(RECT)) {
    *ok = false;
    return nullptr;
  }
  // A logical region lies where the recorded DC's mapping shifts it; it is
  // mapped to the DC's device and, for the region calls, back to where the
  // DC's own shift will put it again.
  POINT shift = logical ? map_.ToDevice(POINT{0, 0}) : POINT{0, 0};
  POINT zero{0, 0};
  if (logical) LPtoDP(Target(), &zero, 1);
  std::vector<uint8_t> out(sizeof(RGNDATAHEADER) + size_t{count} * sizeof(RECT));
  std::vector<RECT> rects(count);
  for (RECT& rc : rects) {
    RECT in = r.Rect();
    POINT c[2] = {{X(int64_t{in.left} + shift.x), Y(int64_t{in.top} + shift.y)},
                  {X(int64_t{in.right} + shift.x), Y(int64_t{in.bottom} + shift.y)}};
    LPtoDP(Target(), c, 2);
    auto fit = [](int64_t v) { return static_cast<LONG>(std::clamp(v, -kCoordLimit, kCoordLimit)); };
    rc = RECT{fit(int64_t{std::min(c[0].x, c[1].x)} - zero.x),
              fit(int64_t{std::min(c[0].y, c[1].y)} - zero.y),
              fit(int64_t{std::max(c[0].x, c[1].x)} - zero.x),
              fit(int64_t{std::max(c[0].y, c[1].y)} - zero.y)};
  }
  if (r.Failed()) {
    *ok = false;
    return nullptr;
  }
  RGNDATAHEADER h{};
  h.dwSize = sizeof(RGNDATAHEADER);
  h.iType = RDH_RECTANGLES;
  h.nCount = count;
  h.nRgnSize = count * static_cast<DWORD>(sizeof(RECT));
  std::memcpy(out.data(), &h, sizeof h);
  if (count) std::memcpy(out.data() + sizeof h, rects.data(), rects.size() * sizeof(RECT));
  return ExtCreateRegion(nullptr, static_cast<DWORD>(out.size()),
                         reinterpret_cast<const RGNDATA*>(out.data()));
}

bool Player::PlayRegion(uint32_t type, GdiByteReader& r) {
  HDC dc = Target();
  r.Rect();  // bounds
  uint32_t cb = r.U32();
  uint32_t brushIndex = 0;
  int32_t width = 0, height = 0;
  if (type == EMR_FILLRGN || type == EMR_FRAMERGN) brushIndex = r.U32();
  if (type == EMR_FRAMERGN) {
    width = r.I32();
    height = r.I32();
  }
  if (r.Failed() || cb > r.Remaining()) return false;
  bool ok = true;
  HBRUSH brush = nullptr;
  if (type == EMR_FILLRGN || type == EMR_FRAMERGN) {
    brush = static_cast<HBRUSH>(Handle(brushIndex, &ok));
    if (!ok) return false;
  }
  HRGN region = Region(r.Span(cb), cb, true, &ok);
  if (!ok) return false;
  if (!region) return true;
  switch (type) {
    case EMR_FILLRGN: FillRgn(dc, region, brush); break;
    case EMR_FRAMERGN:
      FrameRgn(dc, region, brush, std::max(1, LengthX(width)), std::max(1, LengthY(height)));
      break;
    case EMR_PAINTRGN: PaintRgn(dc, region); break;
    default: InvertRgn(dc, region); break;
  }
  DeleteObject(region);
  return true;
}

bool Player::PlayBlit(uint32_t type, GdiByteReader& r) {
  HDC dc = Target();
  r.Rect();  // bounds
  int32_t x = r.I32(), y = r.I32(), w = r.I32(), h = r.I32();
  uint32_t ropOrKey = r.U32();
  int32_t xSrc = r.I32(), ySrc = r.I32();
  r.Skip(24);  // the source transform: the DIB holds the source pixels
  COLORREF sourceBack = r.U32();
  UINT usage = r.U32();
  uint32_t offInfo = r.U32(), cbInfo = r.U32(), offBits = r.U32(), cbBits = r.U32();
  int32_t cxSrc = 0, cySrc = 0;
  if (type != EMR_BITBLT) {
    cxSrc = r.I32();
    cySrc = r.I32();
  }
  if (r.Failed()) return false;
  int32_t bx, by, bw, bh;
  Box(x, y, w, h, &bx, &by, &bw, &bh);
  if (cbInfo == 0) {
    if (type != EMR_TRANSPARENTBLT) PatBlt(dc, bx, by, bw, bh, ropOrKey);
    return true;
  }
  if (!r.Holds(offInfo, cbInfo) || !r.Holds(offBits, cbBits)) return false;
  const uint8_t* info = r.Data() + offInfo;
  const uint8_t* bits = r.Data() + offBits;
  int32_t dibW, dibH, bpp;
  if (!GdiCheckDib(info, cbInfo, cbBits, -1, usage, &dibW, &dibH, &bpp)) return false;
  HBITMAP bitmap = GdiBitmapFromDib(info, cbInfo, bits, cbBits, usage, false);
  HDC source = bitmap ? CreateCompatibleDC(nullptr) : nullptr;
  if (!source) {
    if (bitmap) DeleteObject(bitmap);
    return true;
  }
  HGDIOBJ old = SelectObject(source, bitmap);
  // The source DC's back colour decides colour-to-monochrome copies.
  SetBkColor(source, sourceBack);
  if (type == EMR_BITBLT) {
    // A copy of the same size: the source is as large as the destination
    // was on the recorded device, and runs the same way, so that only a
    // mirroring frame-to-rectangle mapping mirrors the copy.
    POINT a = map_.ToDevice(POINT{x, y});
    POINT b = map_.ToDevice(POINT{GdiClamp32(int64_t{x} + w), GdiClamp32(int64_t{y} + h)});
    int32_t sw = GdiClamp32(int64_t{b.x} - a.x), sh = GdiClamp32(int64_t{b.y} - a.y);
    int32_t sx = sw < 0 ? GdiClamp32(int64_t{xSrc} - sw) : xSrc;
    int32_t sy = sh < 0 ? GdiClamp32(int64_t{ySrc} - sh) : ySrc;
    StretchBlt(dc, bx, by, bw, bh, source, sx, sy, sw, sh, ropOrKey);
  } else if (type == EMR_STRETCHBLT) {
    StretchBlt(dc, bx, by, bw, bh, source, xSrc, ySrc, cxSrc, cySrc, ropOrKey);
  } else {
    TransparentBlt(dc, bx, by, bw, bh, source, xSrc, ySrc, cxSrc, cySrc, ropOrKey);
  }
  SelectObject(source, old);
  DeleteDC(source);
  DeleteObject(bitmap);
  return true;
}

bool Player::PlayDib(uint32_t type, GdiByteReader& r) {
  HDC dc = Target();
  r.Rect();  // bounds
  int32_t x = r.I32(), y = r.I32(), xSrc = r.I32(), ySrc = r.I32();
  int32_t cxSrc = r.I32(), cySrc = r.I32();
  uint32_t offInfo = r.U32(), cbInfo = r.U32(), offBits = r.U32(), cbBits = r.U32();
  UINT usage = r.U32();
  int32_t e1 = r.I32(), e2 = r.I32();  // start scan and scans, or rop and width
  int32_t cyDest = type == EMR_STRETCHDIBITS ? r.I32() : 0;
  if (r.Failed() || !r.Holds(offInfo, cbInfo) || !r.Holds(offBits, cbBits)) return false;
  const uint8_t* info = r.Data() + offInfo;
  const uint8_t* bits = cbBits ? r.Data() + offBits : nullptr;
  std::vector<uint8_t> header(info, info + cbInfo);
  int32_t dibW, dibH, bpp;
  if (type == EMR_STRETCHDIBITS) {
    DWORD rop = static_cast<DWORD>(e1);
    bool usesSource = ((rop >> 18) ^ (rop >> 16)) & 0x33;
    if (!GdiCheckDib(info, cbInfo, cbBits, usesSource ? -1 : 0, usage, &dibW, &dibH, &bpp)) {
      return false;
    }
    std::vector<uint8_t> pixels(bits, bits + (bits ? cbBits : 0));
    int32_t bx, by, bw, bh;
    Box(x, y, e2, cyDest, &bx, &by, &bw, &bh);
    StretchDIBits(dc, bx, by, bw, bh, xSrc, ySrc, cxSrc, cySrc, bits ? pixels.data() : nullptr,
                  reinterpret_cast<const BITMAPINFO*>(header.data()), usage, rop);
    return true;
  }
  uint32_t startScan = static_cast<uint32_t>(e1), scans = static_cast<uint32_t>(e2);
  if (!GdiCheckDib(info, cbInfo, cbBits, scans, usage, &dibW, &dibH, &bpp)) return false;
  std::vector<uint8_t> pixels(bits, bits + (bits ? cbBits : 0));
  const void* data = pixels.empty() ? static_cast<const void*>(&pixels) : pixels.data();
  int32_t bx, by, bw, bh;
  Box(x, y, cxSrc, cySrc, &bx, &by, &bw, &bh);
  if (bw == cxSrc && bh == cySrc) {
    SetDIBitsToDevice(dc, bx, by, static_cast<DWORD>(cxSrc), static_cast<DWORD>(cySrc), xSrc, ySrc,
                      startScan, scans, data, reinterpret_cast<const BITMAPINFO*>(header.data()),
                      usage);
    return true;
  }
  // Played at another size: the scans given, stretched, as one DIB of their own.
  if (scans == 0) return true;
  int32_t stored = dibH > 0 ? static_cast<int32_t>(scans) : -static_cast<int32_t>(scans);
  std::memcpy(header.data() + 8, &stored, 4);
  StretchDIBits(dc, bx, by, bw, bh, xSrc, GdiClamp32(int64_t{ySrc} - startScan), cxSrc, cySrc,
                data, reinterpret_cast<const BITMAPINFO*>(header.data()), usage, SRCCOPY);
  return true;
}

bool Player::PlayText(uint32_t type, GdiByteReader& r) {
  HDC dc = Target();
  const bool wide = type == EMR_EXTTEXTOUTW;
  r.Rect();  // bounds
  r.U32();   // graphics mode
  r.Float();
  r.Float();
  int32_t x = r.I32(), y = r.I32();
  uint32_t count = r.U32();
  uint32_t offString = r.U32();
  UINT options = r.U32();
  RECT rect = r.Rect();
  uint32_t offDx = r.U32();
  uint64_t textBytes = uint64_t{count} * (wide ? 2 : 1);
  if (r.Failed() || count > INT32_MAX || !r.Holds(offString, textBytes) ||
      (offDx && !r.Holds(offDx, uint64_t{count} * 4))) {
    return false;
  }
  std::u16string units;
  std::string chars;
  const uint8_t* text = r.Data() + offString;
  if (wide) {
    units.resize(count);
    for (uint32_t i = 0; i < count; ++i) units[i] = static_cast<char16_t>(LoadLE16(text + 2 * i));
  } else {
    chars.assign(reinterpret_cast<const char*>(text), count);
  }
  std::vector<INT> dx;
  if (offDx) {
    GdiByteReader d(r.Data() + offDx, size_t{count} * 4);
    dx.resize(count);
    int64_t at = 0, mapped = 0;
    for (uint32_t i = 0; i < count; ++i) {
      int32_t step = d.I32();
      // The run ends at a 32-bit coordinate, as every point of a record does;
      // advances that carry it beyond are not text that can be drawn: the
      // record draws nothing, and playing goes on.
      at += step;
      if (int64_t{x} + at < INT32_MIN || int64_t{x} + at > INT32_MAX) return true;
      if (unit_) {
        dx[i] = step;
        continue;
      }
      // Advances are placed by their running total, so rounding does not add up.
      int64_t next = LengthX(at);
      dx[i] = GdiClamp32(next - mapped);
      mapped = next;
    }
  }
  POINT p = Map(x, y);
  RECT mapped{};
  const RECT* given = nullptr;
  bool noRect = rect.left == 0 && rect.top == 0 && rect.right == -1 && rect.bottom == -1;
  if ((options & (ETO_OPAQUE | ETO_CLIPPED)) && !noRect) {
    POINT a = Map(rect.left, rect.top), b = Map(rect.right, rect.bottom);
    mapped = RECT{a.x, a.y, b.x, b.y};
    given = &mapped;
  }
  const INT* advances = offDx ? dx.data() : nullptr;
  if (wide) {
    ExtTextOutW(dc, p.x, p.y, options, given, units.data(), count, advances);
  } else {
    ExtTextOutA(dc, p.x, p.y, options, given, chars.data(), count, advances);
  }
  return true;
}

bool Player::PlayPen(GdiByteReader& r) {
  uint32_t index = r.U32();
  uint32_t offInfo = r.U32(), cbInfo = r.U32(), offBits = r.U32(), cbBits = r.U32();
  DWORD style = r.U32();
  uint32_t width = r.U32();
  LOGBRUSH lb{};
  lb.lbStyle = r.U32();
  lb.lbColor = r.U32();
  lb.lbHatch = r.U32();
  uint32_t dashes = r.U32();
  if (r.Failed() || dashes > r.Remaining() / 4) return false;
  HBITMAP pattern = nullptr;
  if (lb.lbStyle == BS_PATTERN || lb.lbStyle == 6 /* DIB pattern */) {
    if (!r.Holds(offInfo, cbInfo) || !r.Holds(offBits, cbBits)) return false;
    const uint8_t* info = r.Data() + offInfo;
    UINT usage = lb.lbStyle == 6 ? lb.lbColor : DIB_RGB_COLORS;
    int32_t w, h, bpp;
    if (!GdiCheckDib(info, cbInfo, cbBits, -1, usage, &w, &h, &bpp)) return false;
    pattern = GdiBitmapFromDib(info, cbInfo, r.Data() + offBits, cbBits, usage,
                               lb.lbStyle == BS_PATTERN);
    lb.lbStyle = BS_PATTERN;
    lb.lbColor = 0;
    lb.lbHatch = reinterpret_cast<ULONG_PTR>(pattern);
  }
  // Cosmetic pens are one pixel whatever the mapping.
  bool geometric = (style & PS_TYPE_MASK) == PS_GEOMETRIC;
  DWORD w = geometric && width > 1 ? static_cast<DWORD>(std::max(1, LengthX(width))) : width;
  HPEN pen = (lb.lbStyle != BS_PATTERN || pattern) ? ExtCreatePen(style, w, &lb, 0, nullptr)
                                                   : nullptr;
  if (pattern) DeleteObject(pattern);  // the pen keeps a copy
  return Create(r, index, pen);
}

bool Player::PlayPatternBrush(uint32_t type, GdiByteReader& r) {
  uint32_t index = r.U32();
  UINT usage = r.U32();
  uint32_t offInfo = r.U32(), cbInfo = r.U32(), offBits = r.U32(), cbBits = r.U32();
  if (r.Failed() || !r.Holds(offInfo, cbInfo) || !r.Holds(offBits, cbBits)) return false;
  // The table of a monochrome brush only says which bits are which: the DC
  // colours it where it is drawn.
  if (type == EMR_CREATEMONOBRUSH && usage != DIB_PAL_COLORS) usage = DIB_RGB_COLORS;
  const uint8_t* info = r.Data() + offInfo;
  int32_t w, h, bpp;
  if (!GdiCheckDib(info, cbInfo, cbBits, -1, usage, &w, &h, &bpp)) return false;
  HBITMAP pattern = GdiBitmapFromDib(info, cbInfo, r.Data() + offBits, cbBits, usage,
                                     type == EMR_CREATEMONOBRUSH);
  HBRUSH brush = pattern ? CreatePatternBrush(pattern) : nullptr;
  if (pattern) DeleteObject(pattern);  // the brush keeps a copy
  return Create(r, index, brush);
}

bool Player::PlayFont(GdiByteReader& r) {
  uint32_t index = r.U32();
  if (r.Remaining() < kEmfLogFontWSize) return false;
  LOGFONTA lf{};
  lf.lfHeight = r.I32();
  lf.lfWidth = r.I32();
  lf.lfEscapement = r.I32();
  lf.lfOrientation = r.I32();
  lf.lfWeight = r.I32();
  lf.lfItalic = r.U8();
  lf.lfUnderline = r.U8();
  lf.lfStrikeOut = r.U8();
  lf.lfCharSet = r.U8();
  lf.lfOutPrecision = r.U8();
  lf.lfClipPrecision = r.U8();
  lf.lfQuality = r.U8();
  lf.lfPitchAndFamily = r.U8();
  bool ended = false;
  for (int i = 0; i < LF_FACESIZE; ++i) {
    uint16_t u = r.U16();
    if (u == 0 || i == LF_FACESIZE - 1) ended = true;
    lf.lfFaceName[i] = ended ? '\0' : static_cast<char>(u < 0x100 ? u : '?');
  }
  if (r.Failed()) return false;
  lf.lfHeight = LengthY(lf.lfHeight);
  lf.lfWidth = LengthX(lf.lfWidth);
  return Create(r, index, CreateFontIndirectA(&lf));
}

}  // namespace

bool GdiCheckEmf(const uint8_t* bytes, size_t size) {
  Header h;
  if (!bytes || !ReadHeader(bytes, size, &h)) return false;
  uint64_t at = h.size;
  uint32_t records = 1;
  uint32_t last = EMR_HEADER;
  while (at < h.bytes) {
    GdiByteReader r(bytes + at, h.bytes - at);
    uint32_t type = r.U32();
    uint32_t recordSize = r.U32();
    if (r.Failed() || recordSize < 8 || recordSize % 4 || recordSize > h.bytes - at) return false;
    if (type == EMR_HEADER || (type == EMR_EOF && recordSize < kEmfEofSize)) return false;
    ++records;
    last = type;
    at += recordSize;
    if (type == EMR_EOF) break;
  }
  return last == EMR_EOF && at == h.bytes && records == h.records;
}

bool GdiEmfFrame(const uint8_t* bytes, size_t size, RECT* frame, SIZE* device, SIZE* millimetres) {
  Header h;
  if (!bytes || !ReadHeader(bytes, size, &h)) return false;
  *frame = h.frame;
  *device = h.device;
  *millimetres = h.millimetres;
  return true;
}

bool GdiPlayEmf(HDC dc, const uint8_t* bytes, size_t size, const RECT& rect) {
  Header h;
  if (!bytes || !ReadHeader(bytes, size, &h)) return false;
  try {
    Player player(dc, h, rect);
    if (!player.Begin()) return false;
    uint64_t at = h.size;
    while (at < h.bytes) {
      GdiByteReader head(bytes + at, h.bytes - at);
      uint32_t type = head.U32();
      uint32_t recordSize = head.U32();
      if (head.Failed() || recordSize < 8 || recordSize % 4 || recordSize > h.bytes - at) {
        return false;
      }
      GdiByteReader r(bytes + at, recordSize);
      r.Skip(8);
      if (!player.Play(type, r)) return false;
      at += recordSize;
      if (type == EMR_EOF) return true;
    }
    return false;  // no EOF record
  } catch (const std::bad_alloc&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return false;
  }
}
