// VShape and VRect: the box rules (edges, containment, intersection, inset)
// and the conversions to the Macintosh and Win32 four-edge records.
#include "graphics/VShape.h"

#include <algorithm>

#include "graphics/GraphicsMath_p.h"
#include "graphics/VPoint.h"
#include "platform/gdi/WinGdiTypes.h"

namespace gm = graphics_math;

namespace {

// The absolute value of a stored size; INT32_MIN has none and keeps its
// largest neighbour.
int32_t Magnitude(int32_t v) { return v >= 0 ? v : (v == INT32_MIN ? INT32_MAX : -v); }

}  // namespace

VShape::VShape(int32_t x, int32_t y, int32_t w, int32_t h)
    : fLeft(x), fTop(y), fWidth(Magnitude(w)), fHeight(Magnitude(h)) {}

void VShape::SetPosition(int32_t x, int32_t y) {
  fLeft = x;
  fTop = y;
}

void VShape::SetSize(int32_t w, int32_t h) {
  fWidth = w;
  fHeight = h;
}

bool VShape::Contains(const VPoint& p) const {
  return fLeft <= p.GetX() && p.GetX() < GetRight() && fTop <= p.GetY() && p.GetY() < GetBottom();
}

bool VShape::ContainsLocal(const VPoint& p) const {
  return 0 <= p.GetX() && p.GetX() < fWidth && 0 <= p.GetY() && p.GetY() < fHeight;
}

void VShape::Inset(int32_t dx, int32_t dy) {
  fLeft = gm::Add(fLeft, dx);
  fWidth = gm::Sub(fWidth, gm::Mul(2, dx));
  fTop = gm::Add(fTop, dy);
  fHeight = gm::Sub(fHeight, gm::Mul(2, dy));
}

bool VShape::Intersects(const VRect& r) const {
  if (fLeft > r.GetRight() || fTop > r.GetBottom()) return false;
  if (GetRight() < r.GetLeft() || GetBottom() < r.GetTop()) return false;
  return true;
}

void VShape::SetEmpty() {
  fLeft = fTop = fWidth = fHeight = 0;
}

bool VShape::IsEmpty() const { return fWidth <= 0 || fHeight <= 0; }

void VShape::Assign(const VRect& r) {
  SetPosition(r.GetLeft(), r.GetTop());
  SetSize(r.GetWidth(), r.GetHeight());
}

VRect VRect::FromEdges(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  VRect r;
  r.fLeft = left;
  r.fTop = top;
  r.fWidth = gm::Sub(right, left);
  r.fHeight = gm::Sub(bottom, top);
  return r;
}

VRect VRect::FromMacPoints(uint32_t topLeft, uint32_t bottomRight) {
  const int32_t v1 = static_cast<int16_t>(topLeft & 0xFFFF);
  const int32_t h1 = static_cast<int16_t>(topLeft >> 16);
  const int32_t v2 = static_cast<int16_t>(bottomRight & 0xFFFF);
  const int32_t h2 = static_cast<int16_t>(bottomRight >> 16);
  return FromEdges(h1, v1, h2, v2);
}

void VRect::Intersect(const VRect& other) {
  const int64_t left = std::max<int64_t>(fLeft, other.fLeft);
  const int64_t top = std::max<int64_t>(fTop, other.fTop);
  const int64_t right = std::min(GetRight(), other.GetRight());
  const int64_t bottom = std::min(GetBottom(), other.GetBottom());
  if (right > left && bottom > top) {
    fLeft = static_cast<int32_t>(left);
    fTop = static_cast<int32_t>(top);
    fWidth = gm::Clamp32(right - left);
    fHeight = gm::Clamp32(bottom - top);
  } else {
    SetEmpty();
  }
}

void VRect::ToMacRect(VMacRect& out) const {
  out.top = static_cast<int16_t>(fTop);
  out.left = static_cast<int16_t>(fLeft);
  out.bottom = static_cast<int16_t>(gm::Add(fTop, fHeight));
  out.right = static_cast<int16_t>(gm::Add(fLeft, fWidth));
}

void VRect::ToWinRect(RECT& out) const {
  out.left = fLeft;
  out.top = fTop;
  out.right = gm::Add(fLeft, fWidth);
  out.bottom = gm::Add(fTop, fHeight);
}
