// The PICT interpreter: walks the opcodes of a version 1 or 2 picture and
// draws them through GDI, into a device context or into a new enhanced
// metafile.
#include "platform/gdi/pict/PictInterpreter.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "platform/gdi/GdiTopDownBitmap.h"
#include "platform/gdi/WinGdi.h"
#include "platform/gdi/pict/PictPixels.h"

namespace {

using pict::Reader;
using pict::Rect16;

constexpr uint32_t kBlackPixel = 0x000000;
constexpr uint32_t kWhitePixel = 0xFFFFFF;

COLORREF ToColorRef(uint32_t rgb) {
  return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

// The eight colours of the first QuickDraw colour model.
uint32_t OldColor(uint32_t value) {
  switch (value) {
    case 30: return kWhitePixel;
    case 69: return 0xFFFF00;
    case 137: return 0xFF00FF;
    case 205: return 0xFF0000;
    case 273: return 0x00FFFF;
    case 341: return 0x00FF00;
    case 409: return 0x0000FF;
    default: return kBlackPixel;
  }
}

// Shape verbs: frame, paint, erase, invert, fill.
enum Verb { kFrame = 0, kPaint = 1, kErase = 2, kInvert = 3, kFill = 4 };

struct Pattern {
  uint8_t rows[8];
  bool All(uint8_t v) const {
    for (uint8_t r : rows)
      if (r != v) return false;
    return true;
  }
};

class Player {
 public:
  Player(HDC dc, const Rect16& frame, const RECT& target) : dc_(dc), target_(target) {
    MapFrom(frame);
    tx_ = target.left;
    ty_ = target.top;
    // The clip in force when playing starts bounds every clip the picture
    // sets, so that no picture draws outside what it was given.
    outerClip_ = CreateRectRgn(0, 0, 0, 0);
    if (outerClip_ != nullptr && GetClipRgn(dc, outerClip_) != 1) {
      SetRectRgn(outerClip_, target.left, target.top, target.right, target.bottom);
    }
    std::memset(penPat_.rows, 0xFF, 8);
    std::memset(fillPat_.rows, 0xFF, 8);
    std::memset(bkPat_.rows, 0x00, 8);
  }

  // Plays the opcodes; false when nothing could be read past the header.
  bool Play(Reader& r);
  bool Drew() const { return drew_; }

 private:
  // Picture coordinates to device coordinates.
  int32_t X(int32_t x) const {
    return static_cast<int32_t>(std::floor(tx_ + (x + originX_ - frame_.left) * sx_ + 0.5));
  }
  int32_t Y(int32_t y) const {
    return static_cast<int32_t>(std::floor(ty_ + (y + originY_ - frame_.top) * sy_ + 0.5));
  }
  RECT Device(const Rect16& r) const { return RECT{X(r.left), Y(r.top), X(r.right), Y(r.bottom)}; }
  static bool Empty(const Rect16& r) { return r.bottom <= r.top || r.right <= r.left; }

  // Picture coordinates of `source` fill the target rectangle.
  void MapFrom(const Rect16& source) {
    frame_ = source;
    sx_ = static_cast<double>(target_.right - target_.left) / source.Width();
    sy_ = static_cast<double>(target_.bottom - target_.top) / source.Height();
  }
  bool Opcode(Reader& r, uint16_t op);
  static Verb ShapeVerb(uint16_t op) { return static_cast<Verb>(op & 7); }

  // One for each opcode or opcode family: each reads the opcode's data,
  // draws or changes the drawing state, and answers false when the data
  // cannot be read.
  bool PlayRect(Reader& r, uint16_t op);
  bool PlayRRect(Reader& r, uint16_t op);
  bool PlayOval(Reader& r, uint16_t op);
  bool PlayArc(Reader& r, uint16_t op);
  bool PlayPoly(Reader& r, uint16_t op);
  bool PlayRgn(Reader& r, uint16_t op);
  bool PlayClip(Reader& r);
  bool PlayShortValue(Reader& r, uint16_t op);
  bool PlayPixPat(Reader& r, uint16_t op);
  bool PlayRgbColor(Reader& r, uint16_t op);
  bool PlayLine(Reader& r);
  bool PlayLineFrom(Reader& r);
  bool PlayShortLine(Reader& r);
  bool PlayShortLineFrom(Reader& r);
  bool PlayText(Reader& r, uint16_t op);
  bool PlayFontName(Reader& r);
  bool PlayBits(Reader& r, uint16_t op);
  bool PlayLongComment(Reader& r);
  bool PlayHeader(Reader& r);
  bool PlayCompressedQuickTime(Reader& r);
  bool PlayUncompressedQuickTime(Reader& r);
  bool PlayReserved(Reader& r, uint16_t op);
  HBRUSH PatternBrush(const Pattern& pattern, uint32_t fg, uint32_t bg);
  void PaintRegion(HRGN region, Verb verb);
  void ShapeRegion(HRGN outer, HRGN inner, Verb verb);
  void RectShape(const Rect16& rect, Verb verb, int kind);
  void ArcShape(const Rect16& rect, int16_t start, int16_t angle, Verb verb);
  void PolyShape(const std::vector<POINT>& points, Verb verb);
  HRGN ReadRegion(Reader& r, Rect16* box);
  void Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
  void Text(const std::string& text);
  void Bits(const pict::BitsOp& op);
  void Image(const pict::Image& image, const RECT& dst, DWORD rop);
  bool QuickTime(Reader& r, uint32_t length);
  int SetMode(int16_t mode);

  HDC dc_;
  RECT target_;
  Rect16 frame_;
  double sx_ = 1.0;
  double sy_ = 1.0;
  double tx_ = 0.0;
  double ty_ = 0.0;
  bool v1_ = false;
  bool drew_ = false;
  int32_t originX_ = 0;
  int32_t originY_ = 0;
  int32_t penX_ = 0;
  int32_t penY_ = 0;
  int32_t penW_ = 1;
  int32_t penH_ = 1;
  int16_t penMode_ = 8;
  Pattern penPat_;
  Pattern fillPat_;
  Pattern bkPat_;
  uint32_t fg_ = kBlackPixel;
  uint32_t bg_ = kWhitePixel;
  int16_t ovalW_ = 0;
  int16_t ovalH_ = 0;
  Rect16 lastRect_;
  Rect16 lastRRect_;
  Rect16 lastOval_;
  Rect16 lastArc_;
  int16_t lastArcStart_ = 0;
  int16_t lastArcAngle_ = 0;
  std::vector<POINT> lastPoly_;
  HRGN lastRegion_ = nullptr;
  HRGN outerClip_ = nullptr;
  int16_t fontId_ = 0;
  std::string fontName_;
  int16_t fontSize_ = 12;
  uint8_t face_ = 0;
  int32_t textX_ = 0;
  int32_t textY_ = 0;

 public:
  ~Player() {
    if (lastRegion_ != nullptr) DeleteObject(lastRegion_);
    if (outerClip_ != nullptr) DeleteObject(outerClip_);
  }
};

int Player::SetMode(int16_t mode) {
  // Pattern modes 8 to 15 (and their source twins 0 to 7) as pen mixes of
  // a black-on-white world: or paints only the black bits, xor inverts,
  // bic clears to white.
  switch (mode & 7) {
    case 1: return SetROP2(dc_, R2_MASKPEN);
    case 2: return SetROP2(dc_, R2_NOTXORPEN);
    case 3: return SetROP2(dc_, R2_MERGENOTPEN);
    case 4: return SetROP2(dc_, R2_NOTCOPYPEN);
    default: return SetROP2(dc_, R2_COPYPEN);
  }
}

HBRUSH Player::PatternBrush(const Pattern& pattern, uint32_t fg, uint32_t bg) {
  if (pattern.All(0xFF)) return CreateSolidBrush(ToColorRef(fg));
  if (pattern.All(0x00)) return CreateSolidBrush(ToColorRef(bg));
  // A monochrome brush paints 0 bits in the text colour: the rows go in
  // inverted so that pattern bits 1 take the foreground.
  uint8_t rows[16];
  for (int i = 0; i < 8; ++i) {
    rows[2 * i] = static_cast<uint8_t>(~pattern.rows[i]);
    rows[2 * i + 1] = 0;
  }
  HBITMAP bitmap = CreateBitmap(8, 8, 1, 1, rows);
  HBRUSH brush = CreatePatternBrush(bitmap);
  if (bitmap != nullptr) DeleteObject(bitmap);
  SetTextColor(dc_, ToColorRef(fg));
  SetBkColor(dc_, ToColorRef(bg));
  return brush;
}

void Player::PaintRegion(HRGN region, Verb verb) {
  if (region == nullptr) return;
  drew_ = true;
  if (verb == kInvert) {
    InvertRgn(dc_, region);
    return;
  }
  HBRUSH brush = verb == kErase  ? PatternBrush(bkPat_, bg_, bg_)
                 : verb == kFill ? PatternBrush(fillPat_, fg_, bg_)
                                 : PatternBrush(penPat_, fg_, bg_);
  if (brush == nullptr) return;
  const int old = verb == kErase || verb == kFill ? SetROP2(dc_, R2_COPYPEN) : SetMode(penMode_);
  FillRgn(dc_, region, brush);
  SetROP2(dc_, old);
  DeleteObject(brush);
}

// Frames are the outer shape less the inner one (the shape inset by the pen
// size); the other verbs cover the outer shape.
void Player::ShapeRegion(HRGN outer, HRGN inner, Verb verb) {
  if (verb == kFrame && inner != nullptr) CombineRgn(outer, outer, inner, RGN_DIFF);
  PaintRegion(outer, verb);
  if (outer != nullptr) DeleteObject(outer);
  if (inner != nullptr) DeleteObject(inner);
}

// kind 0 rectangle, 1 round rectangle, 2 oval.
void Player::RectShape(const Rect16& rect, Verb verb, int kind) {
  if (Empty(rect)) return;
  const RECT o = Device(rect);
  const int32_t pw = std::max(1, static_cast<int32_t>(penW_ * sx_ + 0.5));
  const int32_t ph = std::max(1, static_cast<int32_t>(penH_ * sy_ + 0.5));
  const RECT i{o.left + pw, o.top + ph, o.right - pw, o.bottom - ph};
  const int32_t ow = static_cast<int32_t>(ovalW_ * sx_ + 0.5);
  const int32_t oh = static_cast<int32_t>(ovalH_ * sy_ + 0.5);
  auto make = [&](const RECT& b, int32_t shrink) -> HRGN {
    if (b.right <= b.left || b.bottom <= b.top) return nullptr;
    if (kind == 0) return CreateRectRgn(b.left, b.top, b.right, b.bottom);
    if (kind == 2) return CreateEllipticRgn(b.left, b.top, b.right, b.bottom);
    return CreateRoundRectRgn(b.left, b.top, b.right, b.bottom, std::max(0, ow - 2 * shrink),
                              std::max(0, oh - 2 * shrink));
  };
  ShapeRegion(make(o, 0), verb == kFrame ? make(i, pw) : nullptr, verb);
}

void Player::ArcShape(const Rect16& rect, int16_t start, int16_t angle, Verb verb) {
  if (Empty(rect) || angle == 0) return;
  // QuickDraw angles run clockwise from 12 o'clock; the points below sit on
  // the radials of the first and last angle.
  const RECT o = Device(rect);
  const double cx = (o.left + o.right) / 2.0;
  const double cy = (o.top + o.bottom) / 2.0;
  const double big = (o.right - o.left) + (o.bottom - o.top) + 2.0;
  int32_t a0 = start;
  int32_t a1 = start + angle;
  if (angle < 0) std::swap(a0, a1);
  auto radial = [&](int32_t deg) {
    const double t = deg * 3.14159265358979323846 / 180.0;
    return POINT{static_cast<LONG>(std::lround(cx + big * std::sin(t))),
                 static_cast<LONG>(std::lround(cy - big * std::cos(t)))};
  };
  // GDI runs counter-clockwise: from the end angle back to the start.
  const POINT from = radial(a1);
  const POINT to = radial(a0);
  drew_ = true;
  if (std::abs(angle) >= 360) {
    RectShape(rect, verb, 2);
    return;
  }
  if (verb == kFrame) {
    HPEN pen = CreatePen(PS_SOLID, std::max(1, static_cast<int>(penW_ * sx_ + 0.5)),
                         ToColorRef(fg_));
    HGDIOBJ oldPen = SelectObject(dc_, pen);
    const int old = SetMode(penMode_);
    Arc(dc_, o.left, o.top, o.right, o.bottom, from.x, from.y, to.x, to.y);
    SetROP2(dc_, old);
    SelectObject(dc_, oldPen);
    DeleteObject(pen);
    return;
  }
  // The wedge as a region: a pie drawn into a path is not available, so
  // the pie's polygon is built from the ellipse's points.
  std::vector<POINT> points;
  points.push_back(POINT{static_cast<LONG>(std::lround(cx)), static_cast<LONG>(std::lround(cy))});
  const int32_t steps = std::max(8, std::abs(angle) / 3);
  const double rx = (o.right - o.left) / 2.0;
  const double ry = (o.bottom - o.top) / 2.0;
  for (int32_t k = 0; k <= steps; ++k) {
    const double deg = a0 + (a1 - a0) * static_cast<double>(k) / steps;
    const double t = deg * 3.14159265358979323846 / 180.0;
    points.push_back(POINT{static_cast<LONG>(std::lround(cx + rx * std::sin(t))),
                           static_cast<LONG>(std::lround(cy - ry * std::cos(t)))});
  }
  HRGN wedge = CreatePolygonRgn(points.data(), static_cast<int>(points.size()), WINDING);
  ShapeRegion(wedge, nullptr, verb);
}

void Player::PolyShape(const std::vector<POINT>& points, Verb verb) {
  if (points.size() < 2) return;
  std::vector<POINT> device(points.size());
  for (size_t i = 0; i < points.size(); ++i) device[i] = POINT{X(points[i].x), Y(points[i].y)};
  drew_ = true;
  if (verb == kFrame) {
    for (size_t i = 0; i + 1 < points.size(); ++i)
      Line(points[i].x, points[i].y, points[i + 1].x, points[i + 1].y);
    return;
  }
  if (points.size() < 3) return;
  HRGN region = CreatePolygonRgn(device.data(), static_cast<int>(device.size()), ALTERNATE);
  ShapeRegion(region, nullptr, verb);
}

// A QuickDraw region: size, box, then the inversion points of each line
// (y, x pairs ended by 0x7FFF), ended by 0x7FFF. A rectangular region has
// only the size and box.
HRGN Player::ReadRegion(Reader& r, Rect16* box) {
  const uint16_t size = r.U16();
  *box = pict::ReadRect(r);
  if (r.Failed() || size < 10 || !r.Has(size - 10u)) {
    r.Fail();
    return nullptr;
  }
  Reader data(r.At(), r.At() + (size - 10u));
  r.Skip(size - 10u);
  if (size == 10) {
    if (Empty(*box)) return nullptr;
    const RECT d = Device(*box);
    return CreateRectRgn(d.left, d.top, d.right, d.bottom);
  }
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  std::vector<int32_t> active;  // sorted inversion points in force
  int32_t lastY = 0;
  bool first = true;
  for (;;) {
    const int16_t y = data.S16();
    if (data.Failed() || y == 0x7FFF) break;
    if (!first && !active.empty() && y > lastY) {
      for (size_t k = 0; k + 1 < active.size(); k += 2) {
        HRGN band = CreateRectRgn(X(active[k]), Y(lastY), X(active[k + 1]), Y(y));
        CombineRgn(region, region, band, RGN_OR);
        DeleteObject(band);
      }
    }
    for (;;) {
      const int16_t x = data.S16();
      if (data.Failed() || x == 0x7FFF) break;
      auto at = std::lower_bound(active.begin(), active.end(), int32_t{x});
      if (at != active.end() && *at == x) {
        active.erase(at);
      } else {
        active.insert(at, x);
      }
    }
    lastY = y;
    first = false;
  }
  return region;
}

void Player::Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  // The pen hangs below and right of the path: the line is the hull of the
  // pen rectangle at both ends.
  drew_ = true;
  const int32_t l1 = X(x1), t1 = Y(y1), l2 = X(x2), t2 = Y(y2);
  const int32_t w = std::max(1, static_cast<int32_t>(penW_ * sx_ + 0.5));
  const int32_t h = std::max(1, static_cast<int32_t>(penH_ * sy_ + 0.5));
  std::vector<POINT> corners = {{l1, t1}, {l1 + w, t1}, {l1 + w, t1 + h}, {l1, t1 + h},
                                {l2, t2}, {l2 + w, t2}, {l2 + w, t2 + h}, {l2, t2 + h}};
  std::sort(corners.begin(), corners.end(),
            [](const POINT& a, const POINT& b) { return a.x < b.x || (a.x == b.x && a.y < b.y); });
  auto cross = [](const POINT& o, const POINT& a, const POINT& b) {
    return int64_t{a.x - o.x} * (b.y - o.y) - int64_t{a.y - o.y} * (b.x - o.x);
  };
  std::vector<POINT> hull;
  for (int pass = 0; pass < 2; ++pass) {
    const size_t start = hull.size();
    for (size_t k = 0; k < corners.size(); ++k) {
      const POINT& p = pass == 0 ? corners[k] : corners[corners.size() - 1 - k];
      while (hull.size() >= start + 2 && cross(hull[hull.size() - 2], hull.back(), p) <= 0)
        hull.pop_back();
      hull.push_back(p);
    }
    hull.pop_back();
  }
  HRGN region = CreatePolygonRgn(hull.data(), static_cast<int>(hull.size()), WINDING);
  PaintRegion(region, kPaint);
  if (region != nullptr) DeleteObject(region);
}

void Player::Text(const std::string& text) {
  if (text.empty()) return;
  drew_ = true;
  LOGFONTA font{};
  // Sizes beyond any page are held to one that still draws quickly.
  font.lfHeight = -std::clamp(static_cast<int>(fontSize_ * sy_ + 0.5), 1, 1024);
  font.lfWeight = (face_ & 1) != 0 ? 700 : 400;
  font.lfItalic = (face_ & 2) != 0 ? 1 : 0;
  font.lfUnderline = (face_ & 4) != 0 ? 1 : 0;
  std::string face = fontName_;
  if (face.empty()) {
    switch (fontId_) {
      case 4:
      case 22: face = "Courier New"; break;
      case 20: face = "Times New Roman"; break;
      default: face = "Arial"; break;
    }
  }
  std::strncpy(font.lfFaceName, face.c_str(), sizeof font.lfFaceName - 1);
  HFONT handle = CreateFontIndirectA(&font);
  HGDIOBJ old = SelectObject(dc_, handle);
  SetTextColor(dc_, ToColorRef(fg_));
  SetBkMode(dc_, TRANSPARENT);
  const UINT align = SetTextAlign(dc_, TA_BASELINE | TA_LEFT);
  TextOutA(dc_, X(textX_), Y(textY_), text.data(), static_cast<int>(text.size()));
  SetTextAlign(dc_, align);
  SelectObject(dc_, old);
  if (handle != nullptr) DeleteObject(handle);
}

void Player::Image(const pict::Image& image, const RECT& dst, DWORD rop) {
  if (image.width <= 0 || image.height <= 0 || dst.right <= dst.left || dst.bottom <= dst.top)
    return;
  const BITMAPINFO info = TopDownBitmapInfo32(image.width, image.height);
  const int old = SetStretchBltMode(dc_, COLORONCOLOR);
  StretchDIBits(dc_, dst.left, dst.top, dst.right - dst.left, dst.bottom - dst.top, 0, 0,
                image.width, image.height, image.pixels.data(), &info, DIB_RGB_COLORS, rop);
  SetStretchBltMode(dc_, old);
  drew_ = true;
}

void Player::Bits(const pict::BitsOp& op) {
  if (!op.drawable || Empty(op.dst)) return;
  // The source rectangle picks the part of the map (relative to its own
  // bounds, which the image starts at).
  pict::Image part;
  const int32_t sl = std::max(0, int32_t{op.src.left});
  const int32_t st = std::max(0, int32_t{op.src.top});
  const int32_t sr = std::min(op.image.width, int32_t{op.src.right});
  const int32_t sb = std::min(op.image.height, int32_t{op.src.bottom});
  if (sr <= sl || sb <= st) return;
  part.width = sr - sl;
  part.height = sb - st;
  part.pixels.resize(static_cast<size_t>(part.width) * static_cast<size_t>(part.height));
  for (int32_t y = 0; y < part.height; ++y)
    std::copy_n(&op.image.pixels[static_cast<size_t>(st + y) * op.image.width + sl], part.width,
                &part.pixels[static_cast<size_t>(y) * part.width]);
  DWORD rop = SRCCOPY;
  switch (op.mode & 7) {
    case 1: rop = SRCAND; break;        // or: black bits over
    case 2: rop = 0x00990066; break;    // xor: black bits invert
    case 3: rop = MERGEPAINT; break;    // bic: black bits clear to white
    case 4: rop = NOTSRCCOPY; break;
    case 5: rop = 0x00220326; break;    // not or
    case 6: rop = SRCINVERT; break;     // not xor
    case 7: rop = SRCPAINT; break;      // not bic
    default: break;
  }
  Image(part, Device(op.dst), rop);
}

// Compressed QuickTime data: a matrix, matte and mask, then an image
// description and its data; JPEG data is drawn into the source rectangle
// moved and scaled by the matrix.
bool Player::QuickTime(Reader& r, uint32_t length) {
  if (!r.Has(length)) return false;
  Reader q(r.At(), r.At() + length);
  r.Skip(length);
  q.Skip(2);  // version
  int32_t matrix[9];
  for (int32_t& m : matrix) m = static_cast<int32_t>(q.U32());
  const uint32_t matteSize = q.U32();
  q.Skip(8);  // matte rectangle
  q.Skip(2);  // mode
  const Rect16 src = pict::ReadRect(q);
  q.Skip(4);  // accuracy
  const uint32_t maskSize = q.U32();
  if (q.Failed() || !q.Skip(matteSize) || !q.Skip(maskSize)) return true;
  const uint8_t* description = q.At();
  const uint32_t descriptionSize = q.U32();
  const uint32_t codec = q.U32();
  if (q.Failed() || descriptionSize < 86 || !q.Has(descriptionSize - 8u)) return true;
  Reader d(description, description + descriptionSize);
  d.Skip(44);
  const uint32_t dataSize = d.U32();
  q.Skip(descriptionSize - 8u);
  if (codec != 0x6A706567u /* 'jpeg' */ || q.Failed() || !q.Has(dataSize)) return true;
  pict::Image image;
  if (!pict::DecodeJpeg(q.At(), dataSize, &image)) return true;
  const double a = matrix[0] / 65536.0;
  const double dd = matrix[4] / 65536.0;
  const double txm = matrix[6] / 65536.0;
  const double tym = matrix[7] / 65536.0;
  Rect16 dst;
  dst.left = static_cast<int16_t>(std::lround(src.left * a + txm));
  dst.top = static_cast<int16_t>(std::lround(src.top * dd + tym));
  dst.right = static_cast<int16_t>(std::lround(src.right * a + txm));
  dst.bottom = static_cast<int16_t>(std::lround(src.bottom * dd + tym));
  Image(image, Device(dst), SRCCOPY);
  return true;
}

bool Player::Opcode(Reader& r, uint16_t op) {
  if (op >= 0x30 && op <= 0x3F) return PlayRect(r, op);
  if (op >= 0x40 && op <= 0x4F) return PlayRRect(r, op);
  if (op >= 0x50 && op <= 0x5F) return PlayOval(r, op);
  if (op >= 0x60 && op <= 0x6F) return PlayArc(r, op);
  if (op >= 0x70 && op <= 0x7F) return PlayPoly(r, op);
  if (op >= 0x80 && op <= 0x8F) return PlayRgn(r, op);
  switch (op) {
    case 0x00: case 0x17: case 0x18: case 0x19: case 0x1C: case 0x1E: return true;
    case 0x01: return PlayClip(r);
    case 0x02: for (uint8_t& b : bkPat_.rows) b = r.U8(); return !r.Failed();
    case 0x03: fontId_ = r.S16(); fontName_.clear(); return !r.Failed();
    case 0x04: face_ = r.U8(); if (!v1_) r.Skip(1); return !r.Failed();
    case 0x05: case 0x08: case 0x0D: case 0x15: case 0x16: return PlayShortValue(r, op);
    case 0x06: r.Skip(4); return !r.Failed();
    case 0x07: penH_ = r.S16(); penW_ = r.S16(); return !r.Failed();
    case 0x09: for (uint8_t& b : penPat_.rows) b = r.U8(); return !r.Failed();
    case 0x0A: for (uint8_t& b : fillPat_.rows) b = r.U8(); return !r.Failed();
    case 0x0B: ovalH_ = r.S16(); ovalW_ = r.S16(); return !r.Failed();
    case 0x0C: originX_ += r.S16(); originY_ += r.S16(); return !r.Failed();
    case 0x0E: fg_ = OldColor(r.U32()); return !r.Failed();
    case 0x0F: bg_ = OldColor(r.U32()); return !r.Failed();
    case 0x10: r.Skip(8); return !r.Failed();
    case 0x11: r.Skip(1); return !r.Failed();
    case 0x12: case 0x13: case 0x14: return PlayPixPat(r, op);
    case 0x1A: case 0x1B: case 0x1D: case 0x1F: return PlayRgbColor(r, op);
    case 0x20: return PlayLine(r);
    case 0x21: return PlayLineFrom(r);
    case 0x22: return PlayShortLine(r);
    case 0x23: return PlayShortLineFrom(r);
    case 0x28: case 0x29: case 0x2A: case 0x2B: return PlayText(r, op);
    case 0x2C: return PlayFontName(r);
    case 0x2D: r.Skip(10); return !r.Failed();
    case 0x2E: r.Skip(8); return !r.Failed();
    case 0x90: case 0x91: case 0x98: case 0x99: case 0x9A: case 0x9B: return PlayBits(r, op);
    case 0xA0: r.Skip(2); return !r.Failed();
    case 0xA1: return PlayLongComment(r);
    case 0x0C00: case 0x0C01: return PlayHeader(r);
    case 0x02FF: r.Skip(2); return !r.Failed();
    case 0x8200: return PlayCompressedQuickTime(r);
    case 0x8201: return PlayUncompressedQuickTime(r);
    default: break;
  }
  return PlayReserved(r, op);
}

// The shape opcodes: the low three bits are the verb, bit 3 reuses the last
// shape of the kind instead of reading a new one.
bool Player::PlayRect(Reader& r, uint16_t op) {
  // The reserved verbs carry a rectangle too (none with bit 3 set), as the
  // rounded rectangle's and the oval's do: it is passed over.
  if ((op & 7) > 4) return (op & 8) != 0 || r.Skip(8);
  if ((op & 8) == 0) lastRect_ = pict::ReadRect(r);
  if (!r.Failed()) RectShape(lastRect_, ShapeVerb(op), 0);
  return !r.Failed();
}

bool Player::PlayRRect(Reader& r, uint16_t op) {
  if ((op & 7) > 4) return (op & 8) != 0 || r.Skip(8);
  if ((op & 8) == 0) lastRRect_ = pict::ReadRect(r);
  if (!r.Failed()) RectShape(lastRRect_, ShapeVerb(op), 1);
  return !r.Failed();
}

bool Player::PlayOval(Reader& r, uint16_t op) {
  if ((op & 7) > 4) return (op & 8) != 0 || r.Skip(8);
  if ((op & 8) == 0) lastOval_ = pict::ReadRect(r);
  if (!r.Failed()) RectShape(lastOval_, ShapeVerb(op), 2);
  return !r.Failed();
}

bool Player::PlayArc(Reader& r, uint16_t op) {
  if ((op & 8) == 0) lastArc_ = pict::ReadRect(r);
  lastArcStart_ = r.S16();
  lastArcAngle_ = r.S16();
  if (!r.Failed() && (op & 7) <= 4) ArcShape(lastArc_, lastArcStart_, lastArcAngle_, ShapeVerb(op));
  return !r.Failed();
}

bool Player::PlayPoly(Reader& r, uint16_t op) {
  if ((op & 8) == 0) {
    const uint16_t size = r.U16();
    if (r.Failed() || size < 10 || !r.Has(size - 2u)) return false;
    r.Skip(8);
    lastPoly_.clear();
    for (uint32_t k = 0; k < (size - 10u) / 4; ++k) {
      const int16_t y = r.S16();
      const int16_t x = r.S16();
      lastPoly_.push_back(POINT{x, y});
    }
    r.Skip((size - 10u) % 4);
  }
  if (!r.Failed() && (op & 7) <= 4) PolyShape(lastPoly_, ShapeVerb(op));
  return !r.Failed();
}

bool Player::PlayRgn(Reader& r, uint16_t op) {
  if ((op & 8) == 0) {
    Rect16 box;
    HRGN region = ReadRegion(r, &box);
    if (r.Failed()) return false;
    if (lastRegion_ != nullptr) DeleteObject(lastRegion_);
    lastRegion_ = region;
  }
  if (lastRegion_ != nullptr && (op & 7) <= 4) {
    if ((op & 7) == kFrame) {
      HBRUSH brush = PatternBrush(penPat_, fg_, bg_);
      FrameRgn(dc_, lastRegion_, brush, std::max(1, penW_), std::max(1, penH_));
      DeleteObject(brush);
      drew_ = true;
    } else {
      PaintRegion(lastRegion_, ShapeVerb(op));
    }
  }
  return true;
}

// The clip region, bounded by the clip in force when playing started.
bool Player::PlayClip(Reader& r) {
  Rect16 box;
  HRGN clip = ReadRegion(r, &box);
  if (r.Failed()) return false;
  if (clip == nullptr) clip = CreateRectRgn(0, 0, 0, 0);
  if (clip != nullptr && outerClip_ != nullptr) CombineRgn(clip, clip, outerClip_, RGN_AND);
  SelectClipRgn(dc_, clip);
  if (clip != nullptr) DeleteObject(clip);
  return true;
}

// The opcodes of one 16-bit value: the pen mode and the text size are
// kept, the others passed over.
bool Player::PlayShortValue(Reader& r, uint16_t op) {
  const int16_t v = r.S16();
  if (op == 0x08) penMode_ = v;
  if (op == 0x0D) fontSize_ = v > 0 ? v : 12;
  return !r.Failed();
}

// A pen, fill or background pixel pattern.
bool Player::PlayPixPat(Reader& r, uint16_t op) {
  const uint16_t type = r.U16();
  Pattern old;
  for (uint8_t& b : old.rows) b = r.U8();
  if (r.Failed()) return false;
  if (type == 2) {
    const uint32_t red = r.U16() >> 8, green = r.U16() >> 8, blue = r.U16() >> 8;
    if (op == 0x12) fg_ = (red << 16) | (green << 8) | blue;
    std::memset(old.rows, 0xFF, 8);
  } else {
    // A pattern of its own pixel map, drawn with the old pattern that
    // stands for it: the map, its colour table and rows are passed over.
    const uint32_t rowBytes = r.U16() & 0x7FFFu;
    const Rect16 bounds = pict::ReadRect(r);
    r.Skip(36 + 6);
    const uint32_t last = r.U16();
    r.Skip((last + 1) * 8);
    if (r.Failed() || bounds.Height() < 0) return false;
    if (rowBytes < 8) {
      if (!r.Skip(rowBytes * static_cast<uint32_t>(bounds.Height()))) return false;
    } else {
      for (int32_t row = 0; row < bounds.Height(); ++row) {
        const uint32_t count = rowBytes > 250 ? r.U16() : r.U8();
        if (r.Failed() || !r.Skip(count)) return false;
      }
    }
    r.Align();
  }
  (op == 0x12 ? penPat_ : op == 0x13 ? fillPat_ : bkPat_) = old;
  return !r.Failed();
}

// Foreground, background, highlight and operation colours: the first two
// are kept.
bool Player::PlayRgbColor(Reader& r, uint16_t op) {
  const uint32_t red = r.U16() >> 8, green = r.U16() >> 8, blue = r.U16() >> 8;
  if (op == 0x1A) fg_ = (red << 16) | (green << 8) | blue;
  if (op == 0x1B) bg_ = (red << 16) | (green << 8) | blue;
  return !r.Failed();
}

bool Player::PlayLine(Reader& r) {
  const int16_t y1 = r.S16(), x1 = r.S16(), y2 = r.S16(), x2 = r.S16();
  if (r.Failed()) return false;
  Line(x1, y1, x2, y2);
  penX_ = x2;
  penY_ = y2;
  return true;
}

bool Player::PlayLineFrom(Reader& r) {
  const int16_t y2 = r.S16(), x2 = r.S16();
  if (r.Failed()) return false;
  Line(penX_, penY_, x2, y2);
  penX_ = x2;
  penY_ = y2;
  return true;
}

bool Player::PlayShortLine(Reader& r) {
  const int16_t y1 = r.S16(), x1 = r.S16();
  const int8_t dh = static_cast<int8_t>(r.U8()), dv = static_cast<int8_t>(r.U8());
  if (r.Failed()) return false;
  Line(x1, y1, x1 + dh, y1 + dv);
  penX_ = x1 + dh;
  penY_ = y1 + dv;
  return true;
}

bool Player::PlayShortLineFrom(Reader& r) {
  const int8_t dh = static_cast<int8_t>(r.U8()), dv = static_cast<int8_t>(r.U8());
  if (r.Failed()) return false;
  Line(penX_, penY_, penX_ + dh, penY_ + dv);
  penX_ += dh;
  penY_ += dv;
  return true;
}

// Text at a new place, or moved across, down or both from the last.
bool Player::PlayText(Reader& r, uint16_t op) {
  if (op == 0x28) {
    textY_ = r.S16();
    textX_ = r.S16();
  } else if (op == 0x29) {
    textX_ += r.U8();
  } else if (op == 0x2A) {
    textY_ += r.U8();
  } else {
    textX_ += r.U8();
    textY_ += r.U8();
  }
  const uint8_t count = r.U8();
  if (r.Failed() || !r.Has(count)) return false;
  std::string text(reinterpret_cast<const char*>(r.At()), count);
  r.Skip(count);
  Text(text);
  if (!v1_) r.Align();
  return !r.Failed();
}

bool Player::PlayFontName(Reader& r) {
  const uint16_t length = r.U16();
  if (r.Failed() || !r.Has(length) || length < 3) return false;
  Reader name(r.At(), r.At() + length);
  r.Skip(length);
  fontId_ = name.S16();
  const uint8_t n = name.U8();
  if (name.Has(n)) fontName_.assign(reinterpret_cast<const char*>(name.At()), n);
  return true;
}

bool Player::PlayBits(Reader& r, uint16_t op) {
  pict::BitsOp bits;
  if (!pict::ReadBitsOp(r, op, fg_, bg_, !v1_, &bits)) return false;
  Bits(bits);
  return true;
}

bool Player::PlayLongComment(Reader& r) {
  r.Skip(2);
  const uint16_t length = r.U16();
  return !r.Failed() && r.Skip(length);
}

bool Player::PlayHeader(Reader& r) {
  // An extended header (version -2) gives the source rectangle the
  // opcodes' coordinates are in, at its own resolution.
  Reader header(r.At(), r.At() + std::min<size_t>(r.Left(), 24));
  if (!r.Skip(24)) return false;
  if (header.S16() == -2) {
    header.Skip(2 + 8);
    const Rect16 source = pict::ReadRect(header);
    if (!header.Failed() && source.Width() > 0 && source.Height() > 0) MapFrom(source);
  }
  return true;
}

bool Player::PlayCompressedQuickTime(Reader& r) {
  const uint32_t length = r.U32();
  if (r.Failed()) return false;
  return QuickTime(r, length) && (r.Align(), !r.Failed());
}

bool Player::PlayUncompressedQuickTime(Reader& r) {
  const uint32_t length = r.U32();
  return !r.Failed() && r.Skip(length) && (r.Align(), !r.Failed());
}

// Opcodes reserved for later use carry their length by range.
bool Player::PlayReserved(Reader& r, uint16_t op) {
  if ((op >= 0x24 && op <= 0x27) || op == 0x2F || (op >= 0x92 && op <= 0x97) ||
      (op >= 0x9C && op <= 0x9F) || (op >= 0xA2 && op <= 0xAF)) {
    const uint16_t length = r.U16();
    return !r.Failed() && r.Skip(length);
  }
  if (op >= 0xB0 && op <= 0xCF) return true;
  if (op >= 0xD0 && op <= 0xFE) {
    const uint32_t length = r.U32();
    return !r.Failed() && r.Skip(length);
  }
  if (op >= 0x0100 && op <= 0x7FFF) {
    // Reserved: two data bytes for each high byte.
    return r.Skip(static_cast<size_t>(op >> 8) * 2);
  }
  if (op >= 0x8000 && op <= 0x80FF) return true;
  if (op >= 0x8100) {
    const uint32_t length = r.U32();
    return !r.Failed() && r.Skip(length);
  }
  return false;
}

bool Player::Play(Reader& r) {
  // Version: 11 01 for version 1 (one-byte opcodes), 00 11 02 FF for 2.
  if (!r.Has(2)) return false;
  if (r.At()[0] == 0x11 && r.At()[1] == 0x01) {
    v1_ = true;
    r.Skip(2);
  }
  while (!r.Failed()) {
    if (!v1_) r.Align();
    const uint16_t op = v1_ ? r.U8() : r.U16();
    if (r.Failed() || op == 0x00FF || (v1_ && op == 0xFF)) break;
    if (!Opcode(r, op)) break;
  }
  return true;
}

bool ReadFrame(const uint8_t* bytes, uint32_t size, Rect16* frame) {
  if (bytes == nullptr || size < 12) return false;
  Reader r(bytes, bytes + size);
  r.Skip(2);
  *frame = pict::ReadRect(r);
  return frame->Width() > 0 && frame->Height() > 0 && frame->Width() <= 16384 &&
         frame->Height() <= 16384;
}

}  // namespace

bool PlayPict(HDC dc, const uint8_t* bytes, uint32_t size, const RECT* rect) {
  Rect16 frame;
  if (dc == nullptr || rect == nullptr || !ReadFrame(bytes, size, &frame)) return false;
  Reader r(bytes + 10, bytes + size);
  const int saved = SaveDC(dc);
  HRGN clip = CreateRectRgn(rect->left, rect->top, rect->right, rect->bottom);
  ExtSelectClipRgn(dc, clip, RGN_AND);
  if (clip != nullptr) DeleteObject(clip);
  Player player(dc, frame, *rect);
  const bool played = player.Play(r);
  RestoreDC(dc, saved);
  return played && player.Drew();
}

HENHMETAFILE PictToEnhMetaFile(const uint8_t* bytes, uint32_t size) {
  Rect16 frame;
  if (!ReadFrame(bytes, size, &frame)) return nullptr;
  HDC screen = GetDC(nullptr);
  if (screen == nullptr) return nullptr;
  const int64_t horzSize = GetDeviceCaps(screen, HORZSIZE);
  const int64_t vertSize = GetDeviceCaps(screen, VERTSIZE);
  const int64_t horzRes = GetDeviceCaps(screen, HORZRES);
  const int64_t vertRes = GetDeviceCaps(screen, VERTRES);
  HDC recording = nullptr;
  if (horzSize > 0 && vertSize > 0 && horzRes > 0 && vertRes > 0) {
    const RECT mm{0, 0, static_cast<LONG>(frame.Width() * horzSize * 100 / horzRes),
                  static_cast<LONG>(frame.Height() * vertSize * 100 / vertRes)};
    recording = CreateEnhMetaFileA(screen, nullptr, &mm, nullptr);
  }
  ReleaseDC(nullptr, screen);
  if (recording == nullptr) return nullptr;
  const RECT target{0, 0, frame.Width(), frame.Height()};
  HRGN clip = CreateRectRgn(0, 0, frame.Width(), frame.Height());
  SelectClipRgn(recording, clip);
  if (clip != nullptr) DeleteObject(clip);
  Reader r(bytes + 10, bytes + size);
  Player player(recording, frame, target);
  player.Play(r);
  HENHMETAFILE metafile = CloseEnhMetaFile(recording);
  if (!player.Drew() && metafile != nullptr) {
    DeleteEnhMetaFile(metafile);
    return nullptr;
  }
  return metafile;
}
