// VRegion: region handles, set operations, handle transfer and the stored
// 'Wrgn' form, whose bytes are checked before any region is made of them.
#include "graphics/VRegion.h"

#include <cstring>

#include "framework/core/memory/VHandleLocker.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "graphics/GraphicsMath_p.h"
#include "graphics/VPolygon.h"
#include "graphics/VPoint.h"
#include "platform/gdi/WinGdi.h"

namespace gm = graphics_math;

namespace {

constexpr uint32_t kTagWrgn = FourCC("Wrgn");
constexpr uint32_t kRgnHeaderSize = sizeof(RGNDATAHEADER);  // 32
constexpr uint32_t kRgnRectSize = sizeof(RECT);             // 16

HRGN RectRegion(int32_t x, int32_t y, int32_t w, int32_t h) {
  return CreateRectRgn(x, y, gm::Add(x, w), gm::Add(y, h));
}

HRGN RectRegion(const VRect& r) {
  return RectRegion(r.GetLeft(), r.GetTop(), r.GetWidth(), r.GetHeight());
}

HRGN OvalRegion(const VRect& r) {
  return CreateEllipticRgn(r.GetLeft(), r.GetTop(), gm::Add(r.GetLeft(), r.GetWidth()),
                           gm::Add(r.GetTop(), r.GetHeight()));
}

HRGN RoundRectRegion(const VRoundRectShape& r) {
  return CreateRoundRectRgn(r.GetLeft(), r.GetTop(), gm::Add(r.GetLeft(), r.GetWidth()),
                            gm::Add(r.GetTop(), r.GetHeight()), r.GetOvalWidth(),
                            r.GetOvalHeight());
}

// The area of the polygon's outline (winding rule); an empty region for a
// polygon of fewer than 3 points, which encloses nothing.
HRGN PolygonRegion(const VPolygon& p) {
  if (p.GetCount() < 3) return CreateRectRgn(0, 0, 0, 0);
  const VHandleLocker lock(*gMemoryMgr, p.GetPointBlock());
  const auto* points = lock.As<const POINT>();
  if (points == nullptr) return nullptr;
  return CreatePolygonRgn(points, p.GetCount(), WINDING);
}

}  // namespace

VRegion::VRegion() : fHandle(CreateRectRgn(0, 0, 0, 0)) {}

VRegion::VRegion(HRGN handle, bool owned) : fHandle(handle), fOwned(owned) { UpdateBounds(); }

VRegion::VRegion(int32_t x, int32_t y, int32_t w, int32_t h)
    : VShape(x, y, w, h), fHandle(RectRegion(x, y, w, h)) {}

VRegion::VRegion(const VRect& r)
    : VShape(r.GetLeft(), r.GetTop(), r.GetWidth(), r.GetHeight()), fHandle(RectRegion(r)) {}

VRegion::VRegion(const VRoundRectShape& r)
    : VShape(r.GetLeft(), r.GetTop(), r.GetWidth(), r.GetHeight()),
      fHandle(RoundRectRegion(r)) {}

VRegion::VRegion(const VRegion& other)
    : VShape(other), fHandle(CreateRectRgn(0, 0, 0, 0)), fOwned(true) {
  if (fHandle != nullptr && other.fHandle != nullptr) {
    CombineRgn(fHandle, other.fHandle, nullptr, RGN_COPY);
  }
}

VRegion::VRegion(VOval, const VRect& r)
    : VShape(r.GetLeft(), r.GetTop(), r.GetWidth(), r.GetHeight()), fHandle(OvalRegion(r)) {}

VRegion::VRegion(const VPolygon& p)
    : VShape(p.GetLeft(), p.GetTop(), p.GetWidth(), p.GetHeight()), fHandle(PolygonRegion(p)) {}

VRegion::~VRegion() {
  if (fOwned && fHandle != nullptr) DeleteObject(fHandle);
}

void VRegion::SetPosition(int32_t x, int32_t y) {
  if (fHandle != nullptr) OffsetRgn(fHandle, gm::Sub(x, fLeft), gm::Sub(y, fTop));
  fLeft = x;
  fTop = y;
}

void VRegion::SetSize(int32_t, int32_t) {}

bool VRegion::Contains(const VPoint& p) const {
  return fHandle != nullptr && PtInRegion(fHandle, p.GetX(), p.GetY());
}

bool VRegion::ContainsLocal(const VPoint& p) const {
  return fHandle != nullptr &&
         PtInRegion(fHandle, gm::Add(fLeft, p.GetX()), gm::Add(fTop, p.GetY()));
}

void VRegion::Inset(int32_t, int32_t) {}

bool VRegion::Intersects(const VRect& r) const {
  if (fHandle == nullptr) return false;
  RECT rect;
  r.ToWinRect(rect);
  return RectInRegion(fHandle, &rect);
}

void VRegion::SetEmpty() {
  if (fOwned) {
    if (fHandle != nullptr) DeleteObject(fHandle);
    fHandle = CreateRectRgn(0, 0, 0, 0);
  } else if (fHandle != nullptr) {
    HRGN empty = CreateRectRgn(0, 0, 0, 0);
    if (empty != nullptr) {
      CombineRgn(fHandle, empty, nullptr, RGN_COPY);
      DeleteObject(empty);
    }
  }
  VShape::SetEmpty();
}

bool VRegion::IsEmpty() const { return fWidth == 0 && fHeight == 0; }

void VRegion::Combine(HRGN other, int mode) {
  if (fHandle != nullptr && other != nullptr) {
    if (mode == RGN_COPY) {
      CombineRgn(fHandle, other, nullptr, RGN_COPY);
    } else {
      CombineRgn(fHandle, fHandle, other, mode);
    }
  }
  UpdateBounds();
}

void VRegion::CombineTemporary(HRGN temporary, int mode) {
  Combine(temporary, mode);
  if (temporary != nullptr) DeleteObject(temporary);
}

void VRegion::Union(const VRegion& other) { Combine(other.fHandle, RGN_OR); }
void VRegion::Intersect(const VRegion& other) { Combine(other.fHandle, RGN_AND); }
void VRegion::Subtract(const VRegion& other) { Combine(other.fHandle, RGN_DIFF); }
void VRegion::Xor(const VRegion& other) { Combine(other.fHandle, RGN_XOR); }
void VRegion::Assign(const VRegion& other) { Combine(other.fHandle, RGN_COPY); }

void VRegion::UnionRect(const VRect& r) { CombineTemporary(RectRegion(r), RGN_OR); }
void VRegion::IntersectRect(const VRect& r) { CombineTemporary(RectRegion(r), RGN_AND); }
void VRegion::SubtractRect(const VRect& r) { CombineTemporary(RectRegion(r), RGN_DIFF); }
void VRegion::XorRect(const VRect& r) { CombineTemporary(RectRegion(r), RGN_XOR); }
void VRegion::SetRect(const VRect& r) { CombineTemporary(RectRegion(r), RGN_COPY); }

void VRegion::UnionBox(int32_t x, int32_t y, int32_t w, int32_t h) {
  CombineTemporary(RectRegion(x, y, w, h), RGN_OR);
}
void VRegion::IntersectBox(int32_t x, int32_t y, int32_t w, int32_t h) {
  CombineTemporary(RectRegion(x, y, w, h), RGN_AND);
}
void VRegion::SubtractBox(int32_t x, int32_t y, int32_t w, int32_t h) {
  CombineTemporary(RectRegion(x, y, w, h), RGN_DIFF);
}
void VRegion::XorBox(int32_t x, int32_t y, int32_t w, int32_t h) {
  CombineTemporary(RectRegion(x, y, w, h), RGN_XOR);
}
void VRegion::SetBox(int32_t x, int32_t y, int32_t w, int32_t h) {
  CombineTemporary(RectRegion(x, y, w, h), RGN_COPY);
}

void VRegion::UnionOval(const VRect& r) { CombineTemporary(OvalRegion(r), RGN_OR); }
void VRegion::IntersectOval(const VRect& r) { CombineTemporary(OvalRegion(r), RGN_AND); }
void VRegion::SubtractOval(const VRect& r) { CombineTemporary(OvalRegion(r), RGN_DIFF); }
void VRegion::XorOval(const VRect& r) { CombineTemporary(OvalRegion(r), RGN_XOR); }
void VRegion::SetOval(const VRect& r) { CombineTemporary(OvalRegion(r), RGN_COPY); }

void VRegion::UnionPolygon(const VPolygon& p) { CombineTemporary(PolygonRegion(p), RGN_OR); }
void VRegion::IntersectPolygon(const VPolygon& p) {
  CombineTemporary(PolygonRegion(p), RGN_AND);
}
void VRegion::SubtractPolygon(const VPolygon& p) {
  CombineTemporary(PolygonRegion(p), RGN_DIFF);
}
void VRegion::XorPolygon(const VPolygon& p) { CombineTemporary(PolygonRegion(p), RGN_XOR); }
void VRegion::SetPolygon(const VPolygon& p) { CombineTemporary(PolygonRegion(p), RGN_COPY); }

void VRegion::UnionRoundRect(const VRoundRectShape& r) {
  CombineTemporary(RoundRectRegion(r), RGN_OR);
}
void VRegion::IntersectRoundRect(const VRoundRectShape& r) {
  CombineTemporary(RoundRectRegion(r), RGN_AND);
}
void VRegion::SubtractRoundRect(const VRoundRectShape& r) {
  CombineTemporary(RoundRectRegion(r), RGN_DIFF);
}
void VRegion::XorRoundRect(const VRoundRectShape& r) {
  CombineTemporary(RoundRectRegion(r), RGN_XOR);
}
void VRegion::SetRoundRect(const VRoundRectShape& r) {
  CombineTemporary(RoundRectRegion(r), RGN_COPY);
}

HRGN VRegion::DetachHandle(bool replace) {
  HRGN handle = fHandle;
  if (replace) {
    fHandle = CreateRectRgn(0, 0, 0, 0);
    fOwned = true;
    UpdateBounds();
  }
  return handle;
}

void VRegion::ReplaceHandle(HRGN handle, bool adopt) {
  if (adopt) {
    if (fOwned && fHandle != nullptr && fHandle != handle) DeleteObject(fHandle);
    fHandle = handle;
    fOwned = true;
  } else if (fHandle != nullptr && handle != nullptr) {
    CombineRgn(fHandle, handle, nullptr, RGN_COPY);
  }
  UpdateBounds();
}

void VRegion::UpdateBounds() {
  RECT box{0, 0, 0, 0};
  if (fHandle == nullptr || GetRgnBox(fHandle, &box) == ERROR) box = RECT{0, 0, 0, 0};
  fLeft = box.left;
  fTop = box.top;
  fWidth = gm::Sub(box.right, box.left);
  fHeight = gm::Sub(box.bottom, box.top);
}

VMemHandle VRegion::ToHandle() const {
  if (fHandle == nullptr || gMemoryMgr == nullptr) return 0;
  const DWORD size = GetRegionData(fHandle, 0, nullptr);
  if (size < kRgnHeaderSize) return 0;
  VMemHandle handle = gMemoryMgr->NewHandle(size + 4, 0);
  if (handle == 0) return 0;
  DWORD written = 0;
  {
    VHandleLocker lock(handle);
    auto* bytes = lock.As<uint8_t>();
    if (bytes != nullptr) {
      std::memcpy(bytes, &kTagWrgn, 4);
      written = GetRegionData(fHandle, size, reinterpret_cast<RGNDATA*>(bytes + 4));
    }
  }
  if (written != size) {
    gMemoryMgr->DisposeHandle(handle);
    return 0;
  }
  return handle;
}

bool VRegion::FromHandle(VMemHandle handle) {
  if (handle == 0 || gMemoryMgr == nullptr) return false;
  const uint32_t size = gMemoryMgr->GetHandleSize(handle);
  if (size < 4) return false;
  VHandleLocker lock(handle);
  const auto* bytes = lock.As<const uint8_t>();
  if (bytes == nullptr) return false;
  HRGN region = nullptr;
  uint32_t tag;
  std::memcpy(&tag, bytes, 4);
  const uint32_t dataSize = size - 4;
  if (tag == kTagWrgn && dataSize >= kRgnHeaderSize) {
    RGNDATAHEADER header;
    std::memcpy(&header, bytes + 4, sizeof header);
    // The header must be the 32-byte rectangle-list header, and its count of
    // 16-byte rectangles must fill the rest of the data exactly.
    const uint64_t rectBytes = uint64_t{header.nCount} * kRgnRectSize;
    if (header.dwSize == kRgnHeaderSize && header.iType == RDH_RECTANGLES &&
        rectBytes == dataSize - kRgnHeaderSize) {
      region = ExtCreateRegion(nullptr, dataSize, reinterpret_cast<const RGNDATA*>(bytes + 4));
    }
  }
  lock.Unlock();
  if (region == nullptr) return false;
  ReplaceHandle(region, true);
  return true;
}
