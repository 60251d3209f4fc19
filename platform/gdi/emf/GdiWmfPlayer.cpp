// Checking and playing Windows metafiles. A Windows metafile plays in the
// DC's own mapping: its window and viewport records go to the DC, and its
// coordinates are the DC's logical units. The GDI stand-in draws pens and
// fonts in device pixels whatever the mapping, so pen widths and font sizes,
// which the format gives in logical units, are scaled by the mapping when
// the objects are made.
#include "platform/gdi/emf/GdiWmfPlayer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "platform/gdi/emf/GdiMetaBytes.h"
#include "platform/gdi/emf/GdiMetaPlayback.h"
#include "platform/gdi/emf/GdiWmfFormat.h"

namespace {

constexpr int kIsotropic = 7;  // MM_ISOTROPIC, which a picture record may name

struct Header {
  uint32_t bytes = 0;
  uint32_t objects = 0;
};

bool ReadHeader(const uint8_t* bytes, size_t size, Header* h) {
  GdiByteReader r(bytes, size);
  uint16_t type = r.U16();
  uint16_t headerWords = r.U16();
  uint16_t version = r.U16();
  uint32_t words = r.U32();
  h->objects = r.U16();
  r.U32();  // largest record
  r.U16();
  if (r.Failed() || (type != 1 && type != 2) || headerWords != kWmfHeaderWords ||
      (version != 0x0100 && version != kWmfVersion) || words > size / 2 ||
      words * 2 < kWmfHeaderBytes) {
    return false;
  }
  h->bytes = words * 2;
  return true;
}

// Walks the records: calls `visit` (function, parameter reader) for each up
// to META_EOF; false when a record's size is not sound or there is no EOF.
template <typename Visit>
bool Walk(const uint8_t* bytes, const Header& h, Visit visit) {
  size_t at = kWmfHeaderBytes;
  while (h.bytes - at >= kWmfRecordHeaderBytes) {
    GdiByteReader head(bytes + at, h.bytes - at);
    uint32_t words = head.U32();
    uint16_t function = head.U16();
    if (words < 3 || words > (h.bytes - at) / 2) return false;
    if (function == META_EOF) return true;
    GdiByteReader params(bytes + at + kWmfRecordHeaderBytes, size_t{words} * 2 - kWmfRecordHeaderBytes);
    if (!visit(function, params)) return false;
    at += size_t{words} * 2;
  }
  return false;
}

bool Creates(uint16_t function) {
  switch (function) {
    case META_CREATEPENINDIRECT:
    case META_CREATEBRUSHINDIRECT:
    case META_CREATEFONTINDIRECT:
    case META_CREATEPALETTE:
    case META_CREATEREGION:
    case META_DIBCREATEPATTERNBRUSH:
    case 0x01F9:  // the device-bitmap pattern brush: an entry that draws nothing
      return true;
    default:
      return false;
  }
}

// The size of the BITMAPINFO that heads a packed DIB (header and colour
// table); 0 when it does not fit.
size_t InfoSize(const uint8_t* dib, size_t size, UINT usage) {
  GdiByteReader r(dib, size);
  uint32_t headerSize = r.U32();
  r.Skip(10);
  uint16_t bpp = r.U16();
  r.Skip(16);
  uint32_t used = r.U32();
  if (r.Failed() || headerSize < 40 || headerSize > size) return 0;
  uint64_t entries = bpp <= 8 ? (used ? std::min<uint64_t>(used, uint64_t{1} << bpp)
                                      : uint64_t{1} << bpp)
                              : 0;
  uint64_t total = headerSize + entries * (usage == DIB_PAL_COLORS ? 2 : 4);
  return total <= size ? static_cast<size_t>(total) : 0;
}

class Player : public GdiMetaPlayback {
 public:
  Player(HDC dc, size_t objects) : GdiMetaPlayback(dc, objects), taken_(objects, false) {}
  bool Play(uint16_t function, GdiByteReader& r);

 private:
  // Puts a new object into the lowest free entry (a failed one holds its
  // entry empty, so later entries keep their numbers).
  bool Add(HGDIOBJ object) {
    for (size_t i = 0; i < ObjectCount(); ++i) {
      if (!Object(i) && !taken_[i]) {
        taken_[i] = true;
        SetObject(i, object);
        return true;
      }
    }
    if (object) DeleteObject(object);
    return false;
  }
  void Free(size_t index) {
    if (index < taken_.size()) taken_[index] = false;
    DeleteObjectAt(index);
  }
  double Scale(bool x) const {
    HDC dc = Target();
    if (GetMapMode(dc) != MM_ANISOTROPIC) return 1.0;
    SIZE window{}, viewport{};
    GetWindowExtEx(dc, &window);
    GetViewportExtEx(dc, &viewport);
    double w = x ? window.cx : window.cy, v = x ? viewport.cx : viewport.cy;
    return w == 0 ? 1.0 : std::fabs(v / w);
  }
  int32_t Length(int64_t v, bool x) const {
    return GdiClamp32(static_cast<int64_t>(std::llround(static_cast<double>(v) * Scale(x))));
  }
  HRGN DeviceRegion(HRGN logical);
  HRGN ReadRegion(GdiByteReader& r);

  // One for each record family: each reads its parameters, draws or changes the
  // DC, and answers false when the record is not well formed.
  bool PlayWindowPoint(uint16_t function, GdiByteReader& r);
  bool PlayScaleExtent(uint16_t function, GdiByteReader& r);
  bool PlayRestoreDC(GdiByteReader& r);
  bool PlaySelectObject(GdiByteReader& r);
  bool PlayDeleteObject(GdiByteReader& r);
  bool PlayCreatePen(GdiByteReader& r);
  bool PlayCreateBrush(GdiByteReader& r);
  bool PlayDibPatternBrush(GdiByteReader& r);
  bool PlayCreateFont(GdiByteReader& r);
  bool PlayCreatePalette(GdiByteReader& r);
  bool PlayCreateRegion(GdiByteReader& r);
  bool PlaySelectClipRegion(GdiByteReader& r);
  bool PlayClipRect(uint16_t function, GdiByteReader& r);
  bool PlayOffsetClip(GdiByteReader& r);
  bool PlayMoveOrLine(uint16_t function, GdiByteReader& r);
  bool PlayPoly(uint16_t function, GdiByteReader& r);
  bool PlayPolyPolygon(GdiByteReader& r);
  bool PlayRectangle(uint16_t function, GdiByteReader& r);
  bool PlayArc(uint16_t function, GdiByteReader& r);
  bool PlayRoundRect(GdiByteReader& r);
  bool PlaySetPixel(GdiByteReader& r);
  bool PlayFloodFill(uint16_t function, GdiByteReader& r);
  bool PlayRegionVerb(uint16_t function, GdiByteReader& r);
  bool PlayPatBlt(GdiByteReader& r);
  bool PlayDibBlit(uint16_t function, GdiByteReader& r);
  bool PlayTextOut(GdiByteReader& r);
  bool PlayExtTextOut(GdiByteReader& r);

  std::vector<bool> taken_;  // entries in use, made or failed
};

bool Player::Play(uint16_t function, GdiByteReader& r) {
  HDC dc = Target();
  switch (function) {
    case META_SETBKCOLOR: SetBkColor(dc, r.U32()); break;
    case META_SETTEXTCOLOR: SetTextColor(dc, r.U32()); break;
    case META_SETBKMODE: SetBkMode(dc, r.U16()); break;
    case META_SETMAPMODE: SetMapMode(dc, r.U16()); break;
    case META_SETROP2: SetROP2(dc, r.U16()); break;
    case META_SETPOLYFILLMODE: SetPolyFillMode(dc, r.U16()); break;
    case META_SETSTRETCHBLTMODE: SetStretchBltMode(dc, r.U16()); break;
    case META_SETTEXTALIGN: SetTextAlign(dc, r.U16()); break;
    case META_SETWINDOWORG:
    case META_SETWINDOWEXT:
    case META_SETVIEWPORTORG:
    case META_SETVIEWPORTEXT:
    case META_OFFSETWINDOWORG:
    case META_OFFSETVIEWPORTORG: return PlayWindowPoint(function, r);
    case META_SCALEWINDOWEXT:
    case META_SCALEVIEWPORTEXT: return PlayScaleExtent(function, r);
    case META_SAVEDC: Save(); break;
    case META_RESTOREDC: return PlayRestoreDC(r);
    case META_SELECTOBJECT:
    case META_SELECTPALETTE: return PlaySelectObject(r);
    case META_DELETEOBJECT: return PlayDeleteObject(r);
    case META_REALIZEPALETTE: RealizePalette(dc); break;
    case META_CREATEPENINDIRECT: return PlayCreatePen(r);
    case META_CREATEBRUSHINDIRECT: return PlayCreateBrush(r);
    case META_DIBCREATEPATTERNBRUSH: return PlayDibPatternBrush(r);
    case 0x01F9: Add(nullptr); break;
    case META_CREATEFONTINDIRECT: return PlayCreateFont(r);
    case META_CREATEPALETTE: return PlayCreatePalette(r);
    case META_CREATEREGION: return PlayCreateRegion(r);
    case META_SELECTCLIPREGION: return PlaySelectClipRegion(r);
    case META_INTERSECTCLIPRECT:
    case META_EXCLUDECLIPRECT: return PlayClipRect(function, r);
    case META_OFFSETCLIPRGN: return PlayOffsetClip(r);
    case META_MOVETO:
    case META_LINETO: return PlayMoveOrLine(function, r);
    case META_POLYLINE:
    case META_POLYGON: return PlayPoly(function, r);
    case META_POLYPOLYGON: return PlayPolyPolygon(r);
    case META_RECTANGLE:
    case META_ELLIPSE: return PlayRectangle(function, r);
    case META_ARC:
    case META_CHORD:
    case META_PIE: return PlayArc(function, r);
    case META_ROUNDRECT: return PlayRoundRect(r);
    case META_SETPIXEL: return PlaySetPixel(r);
    case META_FLOODFILL:
    case META_EXTFLOODFILL: return PlayFloodFill(function, r);
    case META_FILLREGION:
    case META_FRAMEREGION:
    case META_PAINTREGION:
    case META_INVERTREGION: return PlayRegionVerb(function, r);
    case META_PATBLT: return PlayPatBlt(r);
    case META_DIBBITBLT:
    case META_DIBSTRETCHBLT:
    case META_STRETCHDIB:
    case META_SETDIBTODEV: return PlayDibBlit(function, r);
    case META_TEXTOUT: return PlayTextOut(r);
    case META_EXTTEXTOUT: return PlayExtTextOut(r);
    default:
      // Records this player does not draw (escapes, arcs, device-dependent
      // bitmaps) are passed over.
      return true;
  }
  return !r.Failed();
}

// The window and viewport records that take one point: origins, extents and
// origin offsets.
bool Player::PlayWindowPoint(uint16_t function, GdiByteReader& r) {
  HDC dc = Target();
  int32_t y = r.I16(), x = r.I16();
  if (r.Failed()) return false;
  if (function == META_SETWINDOWORG) SetWindowOrgEx(dc, x, y, nullptr);
  if (function == META_SETWINDOWEXT) SetWindowExtEx(dc, x, y, nullptr);
  if (function == META_SETVIEWPORTORG) SetViewportOrgEx(dc, x, y, nullptr);
  if (function == META_SETVIEWPORTEXT) SetViewportExtEx(dc, x, y, nullptr);
  if (function == META_OFFSETWINDOWORG) OffsetWindowOrgEx(dc, x, y, nullptr);
  if (function == META_OFFSETVIEWPORTORG) OffsetViewportOrgEx(dc, x, y, nullptr);
  return !r.Failed();
}

bool Player::PlayScaleExtent(uint16_t function, GdiByteReader& r) {
  HDC dc = Target();
  int32_t yDen = r.I16(), yNum = r.I16(), xDen = r.I16(), xNum = r.I16();
  if (r.Failed()) return false;
  if (xDen == 0 || yDen == 0) return !r.Failed();
  SIZE e{};
  bool window = function == META_SCALEWINDOWEXT;
  window ? GetWindowExtEx(dc, &e) : GetViewportExtEx(dc, &e);
  int32_t cx = GdiClamp32(int64_t{e.cx} * xNum / xDen), cy = GdiClamp32(int64_t{e.cy} * yNum / yDen);
  window ? SetWindowExtEx(dc, cx, cy, nullptr) : SetViewportExtEx(dc, cx, cy, nullptr);
  return !r.Failed();
}

bool Player::PlayRestoreDC(GdiByteReader& r) {
  int32_t level = r.I16();
  if (r.Failed()) return false;
  // A positive level counts the metafile's own saves.
  int32_t relative = level > 0 ? static_cast<int32_t>(level - static_cast<int64_t>(Depth()) - 1) : level;
  Restore(relative);
  return !r.Failed();
}

bool Player::PlaySelectObject(GdiByteReader& r) {
  uint16_t index = r.U16();
  if (r.Failed()) return false;
  SelectAny(Object(index));
  return !r.Failed();
}

bool Player::PlayDeleteObject(GdiByteReader& r) {
  uint16_t index = r.U16();
  if (r.Failed()) return false;
  Free(index);
  return !r.Failed();
}

bool Player::PlayCreatePen(GdiByteReader& r) {
  UINT style = r.U16();
  int32_t width = r.I16();
  r.I16();
  COLORREF color = r.U32();
  if (r.Failed()) return false;
  int32_t w = width > 1 ? std::max(1, Length(width, true)) : width;
  HPEN pen;
  if (style & ~PS_STYLE_MASK) {
    // End caps and joins: a geometric pen.
    LOGBRUSH lb{BS_SOLID, color, 0};
    pen = ExtCreatePen(PS_GEOMETRIC | style, static_cast<DWORD>(std::max(1, w)), &lb, 0, nullptr);
  } else {
    pen = CreatePen(static_cast<int>(style), w, color);
  }
  Add(pen);
  return !r.Failed();
}

bool Player::PlayCreateBrush(GdiByteReader& r) {
  LOGBRUSH lb{};
  lb.lbStyle = r.U16();
  lb.lbColor = r.U32();
  lb.lbHatch = r.U16();
  if (r.Failed()) return false;
  Add(lb.lbStyle == BS_PATTERN ? nullptr : CreateBrushIndirect(&lb));
  return !r.Failed();
}

bool Player::PlayDibPatternBrush(GdiByteReader& r) {
  uint16_t style = r.U16();
  UINT usage = r.U16();
  if (r.Failed()) return false;
  if (style == kWmfBrushPattern) usage = DIB_RGB_COLORS;
  size_t rest = r.Remaining();
  const uint8_t* dib = r.Span(rest);
  size_t info = InfoSize(dib, rest, usage);
  int32_t w, h, bpp;
  if (!info || !GdiCheckDib(dib, info, rest - info, -1, usage, &w, &h, &bpp)) return false;
  HBITMAP pattern = GdiBitmapFromDib(dib, info, dib + info, rest - info, usage,
                                     style == kWmfBrushPattern);
  Add(pattern ? CreatePatternBrush(pattern) : nullptr);
  if (pattern) DeleteObject(pattern);
  return !r.Failed();
}

bool Player::PlayCreateFont(GdiByteReader& r) {
  LOGFONTA lf{};
  lf.lfHeight = r.I16();
  lf.lfWidth = r.I16();
  lf.lfEscapement = r.I16();
  lf.lfOrientation = r.I16();
  lf.lfWeight = r.I16();
  lf.lfItalic = r.U8();
  lf.lfUnderline = r.U8();
  lf.lfStrikeOut = r.U8();
  lf.lfCharSet = r.U8();
  lf.lfOutPrecision = r.U8();
  lf.lfClipPrecision = r.U8();
  lf.lfQuality = r.U8();
  lf.lfPitchAndFamily = r.U8();
  if (r.Failed()) return false;
  size_t n = std::min<size_t>(r.Remaining(), LF_FACESIZE - 1);
  const uint8_t* face = r.Span(n);
  for (size_t i = 0; i < n && face[i]; ++i) lf.lfFaceName[i] = static_cast<char>(face[i]);
  lf.lfHeight = Length(lf.lfHeight, false);
  lf.lfWidth = Length(lf.lfWidth, true);
  Add(CreateFontIndirectA(&lf));
  return !r.Failed();
}

bool Player::PlayCreatePalette(GdiByteReader& r) {
  r.U16();  // version
  uint16_t count = r.U16();
  if (r.Failed() || count > r.Remaining() / 4) return false;
  std::vector<uint8_t> block(4 + std::max<size_t>(count, 1) * 4, 0);
  auto* lp = reinterpret_cast<LOGPALETTE*>(block.data());
  lp->palVersion = 0x300;
  lp->palNumEntries = count;
  for (uint16_t i = 0; i < count; ++i) {
    PALETTEENTRY& e = lp->palPalEntry[i];
    e.peRed = r.U8();
    e.peGreen = r.U8();
    e.peBlue = r.U8();
    e.peFlags = r.U8();
  }
  Add(CreatePalette(lp));
  return !r.Failed();
}

bool Player::PlayCreateRegion(GdiByteReader& r) {
  HRGN region = ReadRegion(r);
  if (r.Failed()) return false;
  Add(region);
  return !r.Failed();
}

bool Player::PlaySelectClipRegion(GdiByteReader& r) {
  uint16_t index = r.U16();
  if (r.Failed()) return false;
  HGDIOBJ o = Object(index);
  if (!o || GetObjectType(o) != OBJ_REGION) {
    ClearClip();
    return !r.Failed();
  }
  HRGN device = DeviceRegion(static_cast<HRGN>(o));
  if (device) {
    HDC dc = Target();
    Clip([&] { SelectClipRgn(dc, device); });
    DeleteObject(device);
  }
  return !r.Failed();
}

bool Player::PlayClipRect(uint16_t function, GdiByteReader& r) {
  HDC dc = Target();
  int32_t b = r.I16(), rt = r.I16(), t = r.I16(), l = r.I16();
  if (r.Failed()) return false;
  Clip([&] {
    if (function == META_INTERSECTCLIPRECT) {
      IntersectClipRect(dc, l, t, rt, b);
    } else {
      ExcludeClipRect(dc, l, t, rt, b);
    }
  });
  return !r.Failed();
}

bool Player::PlayOffsetClip(GdiByteReader& r) {
  HDC dc = Target();
  int32_t y = r.I16(), x = r.I16();
  if (r.Failed()) return false;
  Clip([&] { OffsetClipRgn(dc, x, y); });
  return !r.Failed();
}

bool Player::PlayMoveOrLine(uint16_t function, GdiByteReader& r) {
  HDC dc = Target();
  int32_t y = r.I16(), x = r.I16();
  if (r.Failed()) return false;
  function == META_MOVETO ? static_cast<void>(MoveToEx(dc, x, y, nullptr))
                          : static_cast<void>(LineTo(dc, x, y));
  return !r.Failed();
}

bool Player::PlayPoly(uint16_t function, GdiByteReader& r) {
  HDC dc = Target();
  int32_t count = r.I16();
  if (r.Failed() || count < 0 || static_cast<size_t>(count) > r.Remaining() / 4) return false;
  std::vector<POINT> points(static_cast<size_t>(count));
  for (POINT& p : points) {
    p.x = r.I16();
    p.y = r.I16();
  }
  function == META_POLYLINE ? static_cast<void>(Polyline(dc, points.data(), count))
                            : static_cast<void>(Polygon(dc, points.data(), count));
  return !r.Failed();
}

bool Player::PlayRectangle(uint16_t function, GdiByteReader& r) {
  HDC dc = Target();
  int32_t b = r.I16(), rt = r.I16(), t = r.I16(), l = r.I16();
  if (r.Failed()) return false;
  function == META_RECTANGLE ? static_cast<void>(Rectangle(dc, l, t, rt, b))
                             : static_cast<void>(Ellipse(dc, l, t, rt, b));
  return !r.Failed();
}

// Arcs, chords and pies: the bounding box and the start and end points.
bool Player::PlayArc(uint16_t function, GdiByteReader& r) {
  HDC dc = Target();
  int32_t ye = r.I16(), xe = r.I16(), ys = r.I16(), xs = r.I16();
  int32_t b = r.I16(), rt = r.I16(), t = r.I16(), l = r.I16();
  if (r.Failed()) return false;
  if (function == META_ARC) Arc(dc, l, t, rt, b, xs, ys, xe, ye);
  if (function == META_CHORD) Chord(dc, l, t, rt, b, xs, ys, xe, ye);
  if (function == META_PIE) Pie(dc, l, t, rt, b, xs, ys, xe, ye);
  return !r.Failed();
}

bool Player::PlayRoundRect(GdiByteReader& r) {
  int32_t h = r.I16(), w = r.I16(), b = r.I16(), rt = r.I16(), t = r.I16(), l = r.I16();
  if (r.Failed()) return false;
  RoundRect(Target(), l, t, rt, b, w, h);
  return !r.Failed();
}

bool Player::PlaySetPixel(GdiByteReader& r) {
  COLORREF c = r.U32();
  int32_t y = r.I16(), x = r.I16();
  if (r.Failed()) return false;
  SetPixelV(Target(), x, y, c);
  return !r.Failed();
}

bool Player::PlayFloodFill(uint16_t function, GdiByteReader& r) {
  UINT mode = function == META_EXTFLOODFILL ? r.U16() : FLOODFILLBORDER;
  COLORREF c = r.U32();
  int32_t y = r.I16(), x = r.I16();
  if (r.Failed()) return false;
  ExtFloodFill(Target(), x, y, c, mode);
  return !r.Failed();
}

// Fills, frames, paints or inverts a region of the table; one that is not a
// region draws nothing.
bool Player::PlayRegionVerb(uint16_t function, GdiByteReader& r) {
  HDC dc = Target();
  HGDIOBJ region = Object(r.U16());
  HGDIOBJ brush = (function == META_FILLREGION || function == META_FRAMEREGION) ? Object(r.U16()) : nullptr;
  int32_t h = 0, w = 0;
  if (function == META_FRAMEREGION) {
    h = r.I16();
    w = r.I16();
  }
  if (r.Failed()) return false;
  if (!region || GetObjectType(region) != OBJ_REGION) return !r.Failed();
  auto rgn = static_cast<HRGN>(region);
  if (function == META_FILLREGION && brush) FillRgn(dc, rgn, static_cast<HBRUSH>(brush));
  if (function == META_FRAMEREGION && brush) {
    FrameRgn(dc, rgn, static_cast<HBRUSH>(brush), std::max(1, Length(w, true)),
             std::max(1, Length(h, false)));
  }
  if (function == META_PAINTREGION) PaintRgn(dc, rgn);
  if (function == META_INVERTREGION) InvertRgn(dc, rgn);
  return !r.Failed();
}

bool Player::PlayPatBlt(GdiByteReader& r) {
  DWORD rop = r.U32();
  int32_t h = r.I16(), w = r.I16(), y = r.I16(), x = r.I16();
  if (r.Failed()) return false;
  PatBlt(Target(), x, y, w, h, rop);
  return !r.Failed();
}

bool Player::PlayTextOut(GdiByteReader& r) {
  int32_t count = r.I16();
  if (r.Failed() || count < 0) return false;
  const uint8_t* text = r.Span((static_cast<size_t>(count) + 1) & ~size_t{1});
  int32_t y = r.I16(), x = r.I16();
  if (r.Failed()) return false;
  std::string chars(reinterpret_cast<const char*>(text), static_cast<size_t>(count));
  TextOutA(Target(), x, y, chars.data(), count);
  return !r.Failed();
}

// The text with its options, its rectangle when the options name one, and
// the advances when the record carries them.
bool Player::PlayExtTextOut(GdiByteReader& r) {
  int32_t y = r.I16(), x = r.I16();
  int32_t count = r.I16();
  UINT options = r.U16();
  RECT rect{};
  bool hasRect = (options & (ETO_OPAQUE | ETO_CLIPPED)) != 0;
  if (hasRect) {
    rect.left = r.I16();
    rect.top = r.I16();
    rect.right = r.I16();
    rect.bottom = r.I16();
  }
  if (r.Failed() || count < 0) return false;
  const uint8_t* text = r.Span((static_cast<size_t>(count) + 1) & ~size_t{1});
  if (r.Failed()) return false;
  std::string chars(reinterpret_cast<const char*>(text), static_cast<size_t>(count));
  std::vector<INT> dx;
  if (r.Remaining() >= static_cast<size_t>(count) * 2) {
    dx.resize(static_cast<size_t>(count));
    for (INT& d : dx) d = r.I16();
  }
  ExtTextOutA(Target(), x, y, options, hasRect ? &rect : nullptr, chars.data(),
              static_cast<UINT>(count), dx.empty() ? nullptr : dx.data());
  return !r.Failed();
}

HRGN Player::ReadRegion(GdiByteReader& r) {
  r.U16();  // next in chain
  r.U16();  // object type
  r.U32();  // object count
  r.U16();  // region size
  uint16_t scans = r.U16();
  r.U16();  // largest scan
  r.Skip(8);  // bounds
  std::vector<uint8_t> data(sizeof(RGNDATAHEADER));
  uint32_t count = 0;
  for (uint16_t s = 0; s < scans && !r.Failed(); ++s) {
    uint16_t values = r.U16();
    int32_t top = r.I16(), bottom = r.I16();
    if (r.Failed() || values % 2 || values > r.Remaining() / 2) {
      r.Fail();
      break;
    }
    for (uint16_t v = 0; v < values; v += 2) {
      int32_t left = r.I16(), right = r.I16();
      RECT rc{std::min(left, right), std::min(top, bottom), std::max(left, right), std::max(top, bottom)};
      const auto* p = reinterpret_cast<const uint8_t*>(&rc);
      data.insert(data.end(), p, p + sizeof rc);
      ++count;
    }
    r.U16();  // the count again
  }
  if (r.Failed()) return nullptr;
  RGNDATAHEADER h{};
  h.dwSize = sizeof h;
  h.iType = RDH_RECTANGLES;
  h.nCount = count;
  h.nRgnSize = count * static_cast<DWORD>(sizeof(RECT));
  std::memcpy(data.data(), &h, sizeof h);
  return ExtCreateRegion(nullptr, static_cast<DWORD>(data.size()),
                         reinterpret_cast<const RGNDATA*>(data.data()));
}

HRGN Player::DeviceRegion(HRGN logical) {
  DWORD size = GetRegionData(logical, 0, nullptr);
  if (size < sizeof(RGNDATAHEADER)) return nullptr;
  std::vector<uint8_t> data(size);
  if (GetRegionData(logical, size, reinterpret_cast<RGNDATA*>(data.data())) != size) return nullptr;
  RGNDATAHEADER h;
  std::memcpy(&h, data.data(), sizeof h);
  constexpr int64_t kLimit = int64_t{1} << 27;
  for (DWORD i = 0; i < h.nCount; ++i) {
    RECT rc;
    std::memcpy(&rc, data.data() + sizeof h + i * sizeof(RECT), sizeof rc);
    POINT c[2] = {{rc.left, rc.top}, {rc.right, rc.bottom}};
    LPtoDP(Target(), c, 2);
    auto fit = [&](LONG v) { return static_cast<LONG>(std::clamp<int64_t>(v, -kLimit, kLimit)); };
    rc = RECT{fit(std::min(c[0].x, c[1].x)), fit(std::min(c[0].y, c[1].y)),
              fit(std::max(c[0].x, c[1].x)), fit(std::max(c[0].y, c[1].y))};
    std::memcpy(data.data() + sizeof h + i * sizeof(RECT), &rc, sizeof rc);
  }
  return ExtCreateRegion(nullptr, size, reinterpret_cast<const RGNDATA*>(data.data()));
}

bool Player::PlayPolyPolygon(GdiByteReader& r) {
  // Filled as one shape (the polygons' regions combined by the fill mode,
  // in device pixels) and outlined polygon by polygon.
  HDC dc = Target();
  uint16_t polygons = r.U16();
  if (r.Failed() || polygons > r.Remaining() / 2) return false;
  std::vector<uint16_t> counts(polygons);
  uint64_t total = 0;
  for (uint16_t& c : counts) {
    c = r.U16();
    total += c;
  }
  if (r.Failed() || total > r.Remaining() / 4) return false;
  int mode = GetPolyFillMode(dc);
  HRGN fill = CreateRectRgn(0, 0, 0, 0);
  std::vector<std::vector<POINT>> shapes(polygons);
  for (uint16_t i = 0; i < polygons; ++i) {
    shapes[i].resize(counts[i]);
    for (POINT& p : shapes[i]) {
      p.x = r.I16();
      p.y = r.I16();
    }
    std::vector<POINT> device = shapes[i];
    LPtoDP(dc, device.data(), static_cast<int>(device.size()));
    if (device.size() >= 3 && fill) {
      HRGN one = CreatePolygonRgn(device.data(), static_cast<int>(device.size()), mode);
      if (one) {
        CombineRgn(fill, fill, one, mode == WINDING ? RGN_OR : RGN_XOR);
        DeleteObject(one);
      }
    }
  }
  if (fill) {
    POINT zero{0, 0};
    LPtoDP(dc, &zero, 1);
    OffsetRgn(fill, -zero.x, -zero.y);
    FillRgn(dc, fill, static_cast<HBRUSH>(GetCurrentObject(dc, OBJ_BRUSH)));
    DeleteObject(fill);
  }
  for (std::vector<POINT>& shape : shapes) {
    if (shape.size() < 2) continue;
    shape.push_back(shape.front());
    Polyline(dc, shape.data(), static_cast<int>(shape.size()));
  }
  return true;
}

bool Player::PlayDibBlit(uint16_t function, GdiByteReader& r) {
  HDC dc = Target();
  // The two blits may come without a bitmap: then their parameters are the
  // word count the function's high byte gives, a reserved word among them.
  const bool optional = function == META_DIBBITBLT || function == META_DIBSTRETCHBLT;
  const bool bitmap = !optional || r.Size() != static_cast<size_t>(function >> 8) * 2;
  DWORD rop = r.U32();
  UINT usage = DIB_RGB_COLORS;
  int32_t srcH = 0, srcW = 0, ySrc = 0, xSrc = 0, h = 0, w = 0, y = 0, x = 0;
  uint32_t scans = 0, startScan = 0;
  if (function == META_SETDIBTODEV) {
    usage = rop & 0xFFFF;
    scans = rop >> 16;
    startScan = r.U16();
    ySrc = r.I16();
    xSrc = r.I16();
    h = r.I16();
    w = r.I16();
    srcW = w;
    srcH = h;
  } else {
    if (function == META_STRETCHDIB) usage = r.U16();
    if (function != META_DIBBITBLT) {
      srcH = r.I16();
      srcW = r.I16();
    }
    ySrc = r.I16();
    xSrc = r.I16();
    if (!bitmap) r.U16();  // reserved
    h = r.I16();
    w = r.I16();
    if (function == META_DIBBITBLT) {
      srcW = w;
      srcH = h;
    }
  }
  y = r.I16();
  x = r.I16();
  if (r.Failed()) return false;
  if (!bitmap) {
    PatBlt(dc, x, y, w, h, rop);
    return true;
  }
  size_t rest = r.Remaining();
  const uint8_t* dib = r.Span(rest);
  size_t info = InfoSize(dib, rest, usage);
  int32_t dibW, dibH, bpp;
  int64_t rows = function == META_SETDIBTODEV ? int64_t{scans} : -1;
  if (!info || !GdiCheckDib(dib, info, rest - info, rows, usage, &dibW, &dibH, &bpp)) return false;
  std::vector<uint8_t> header(dib, dib + info);
  std::vector<uint8_t> pixels(dib + info, dib + rest);
  const auto* bi = reinterpret_cast<const BITMAPINFO*>(header.data());
  if (function == META_STRETCHDIB) {
    StretchDIBits(dc, x, y, w, h, xSrc, ySrc, srcW, srcH, pixels.data(), bi, usage, rop);
    return true;
  }
  if (function == META_SETDIBTODEV) {
    if (w < 0 || h < 0) return true;
    SetDIBitsToDevice(dc, x, y, static_cast<DWORD>(w), static_cast<DWORD>(h), xSrc, ySrc,
                      startScan, scans, pixels.empty() ? header.data() : pixels.data(), bi, usage);
    return true;
  }
  HBITMAP b = GdiBitmapFromDib(dib, info, dib + info, rest - info, usage, false);
  HDC source = b ? CreateCompatibleDC(nullptr) : nullptr;
  if (source) {
    HGDIOBJ old = SelectObject(source, b);
    StretchBlt(dc, x, y, w, h, source, xSrc, ySrc, srcW, srcH, rop);
    SelectObject(source, old);
    DeleteDC(source);
  }
  if (b) DeleteObject(b);
  return true;
}

}  // namespace

bool GdiCheckWmf(const uint8_t* bytes, size_t size, size_t* length) {
  Header h;
  if (!bytes || !ReadHeader(bytes, size, &h)) return false;
  if (!Walk(bytes, h, [](uint16_t, GdiByteReader&) { return true; })) return false;
  *length = h.bytes;
  return true;
}

bool GdiPlayWmf(HDC dc, const uint8_t* bytes, size_t size) {
  Header h;
  if (!bytes || !ReadHeader(bytes, size, &h)) return false;
  try {
    // The table holds the header's number of objects, or as many as the
    // metafile makes when it says fewer.
    size_t creates = 0;
    if (!Walk(bytes, h, [&](uint16_t f, GdiByteReader&) {
          creates += Creates(f) ? 1 : 0;
          return true;
        })) {
      return false;
    }
    Player player(dc, std::max<size_t>(h.objects, std::min<size_t>(creates, 0xFFFF)));
    if (!player.Begin()) return false;
    return Walk(bytes, h, [&](uint16_t f, GdiByteReader& r) { return player.Play(f, r); });
  } catch (const std::bad_alloc&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return false;
  }
}

GdiWmfPicture GdiPlanWmfPicture(const uint8_t* bytes, size_t size, HDC device,
                                const METAFILEPICT* picture) {
  GdiWmfPicture plan;
  Header h;
  bool hasOrigin = false, hasExtent = false;
  POINT origin{0, 0};
  SIZE extent{0, 0};
  if (ReadHeader(bytes, size, &h)) {
    Walk(bytes, h, [&](uint16_t f, GdiByteReader& r) {
      if (f == META_SETWINDOWORG && !hasOrigin) {
        origin.y = r.I16();
        origin.x = r.I16();
        hasOrigin = !r.Failed();
      }
      if (f == META_SETWINDOWEXT && !hasExtent) {
        extent.cy = r.I16();
        extent.cx = r.I16();
        hasExtent = !r.Failed() && extent.cx != 0 && extent.cy != 0;
      }
      return true;
    });
  }
  int mode = picture ? picture->mm : MM_ANISOTROPIC;
  if (mode != MM_ANISOTROPIC && mode != kIsotropic) return plan;  // one unit a pixel
  int64_t horzRes = GetDeviceCaps(device, HORZRES), vertRes = GetDeviceCaps(device, VERTRES);
  int64_t horzSize = GetDeviceCaps(device, HORZSIZE), vertSize = GetDeviceCaps(device, VERTSIZE);
  if (horzRes <= 0 || vertRes <= 0 || horzSize <= 0 || vertSize <= 0) return plan;
  // A negative extent is a suggested size: it is taken as the size.
  int64_t xExt = picture ? std::abs(int64_t{picture->xExt}) : 0;
  int64_t yExt = picture ? std::abs(int64_t{picture->yExt}) : 0;
  SIZE pixels{};
  if (xExt > 0 && yExt > 0) {
    plan.frame = RECT{0, 0, GdiClamp32(xExt), GdiClamp32(yExt)};
    pixels = {GdiClamp32(std::max<int64_t>(1, GdiRoundDiv(xExt * horzRes, horzSize * 100))),
              GdiClamp32(std::max<int64_t>(1, GdiRoundDiv(yExt * vertRes, vertSize * 100)))};
  } else if (hasExtent) {
    // No size given: the metafile's window, one unit a pixel.
    pixels = {std::abs(extent.cx), std::abs(extent.cy)};
    plan.frame = RECT{0, 0, GdiClamp32(pixels.cx * horzSize * 100 / horzRes),
                      GdiClamp32(pixels.cy * vertSize * 100 / vertRes)};
  } else {
    return plan;  // nothing to scale by: the frame of what is drawn
  }
  plan.hasFrame = true;
  plan.anisotropic = true;
  plan.viewport = pixels;
  plan.windowOrigin = hasOrigin ? origin : POINT{0, 0};
  plan.window = hasExtent ? extent : pixels;
  return plan;
}
