// Toolbox regions over the GDI stand-in's banded regions.
#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/toolbox/TbxRegionData.h"

namespace Tbx {
namespace {

constexpr int32_t kHead = 10;  // rgnSize and the bounding box

int16_t Cut(int32_t v) { return static_cast<int16_t>(std::clamp<int32_t>(v, -32768, 32767)); }

void Put(uint8_t* p, int16_t v) { std::memcpy(p, &v, 2); }
int16_t Take(const uint8_t* p) {
  int16_t v;
  std::memcpy(&v, p, 2);
  return v;
}

void PutRect(uint8_t* p, const RECT& r) {
  Put(p, Cut(r.top));
  Put(p + 2, Cut(r.left));
  Put(p + 4, Cut(r.bottom));
  Put(p + 6, Cut(r.right));
}

GdiRegion Read(RgnHandle h) {
  GdiRegion r;
  TbxReadRgn(h, &r);
  return r;
}

void Combine(RgnHandle a, RgnHandle b, RgnHandle destination, int mode) {
  TbxWriteRgn(destination, GdiRegion::Combine(Read(a), Read(b), mode));
}

}  // namespace

bool TbxReadRgn(RgnHandle region, GdiRegion* out) {
  const int32_t size = GetHandleSize(region);
  if (region == 0 || size < kHead) return false;
  const auto* p = static_cast<const uint8_t*>(HLock(region));
  if (p == nullptr) return false;
  const int32_t recorded = static_cast<uint16_t>(Take(p));
  bool ok = recorded >= kHead && recorded <= size && (recorded - kHead) % 8 == 0;
  std::vector<RECT> rects;
  if (ok && recorded == kHead) {
    RECT box{Take(p + 4), Take(p + 2), Take(p + 8), Take(p + 6)};
    if (box.right > box.left && box.bottom > box.top) rects.push_back(box);
  } else if (ok) {
    for (int32_t at = kHead; at + 8 <= recorded; at += 8) {
      rects.push_back(RECT{Take(p + at + 2), Take(p + at), Take(p + at + 6), Take(p + at + 4)});
    }
  }
  HUnlock(region);
  if (!ok) return false;
  // Rebuilt rather than trusted: the record may come from anywhere.
  GdiSpanBuilder builder;
  for (const RECT& r : rects) {
    if (r.right > r.left && r.bottom > r.top) builder.AddRect(r);
  }
  *out = builder.Finish();
  return true;
}

bool TbxWriteRgn(RgnHandle region, const GdiRegion& in) {
  if (region == 0 || GetHandleSize(region) < kHead) return false;
  const auto& rects = in.Rects();
  const int32_t size = rects.size() <= 1 ? kHead : kHead + 8 * static_cast<int32_t>(rects.size());
  if (size > 32767) return false;  // rgnSize is 16 bits
  SetHandleSize(region, size);
  if (GetHandleSize(region) != size) return false;
  auto* p = static_cast<uint8_t*>(HLock(region));
  if (p == nullptr) return false;
  Put(p, static_cast<int16_t>(size));
  PutRect(p + 2, in.Bounds());
  if (rects.size() > 1) {
    for (size_t i = 0; i < rects.size(); ++i) PutRect(p + kHead + 8 * i, rects[i]);
  }
  HUnlock(region);
  return true;
}

RgnHandle NewRgn() {
  RgnHandle h = NewHandle(kHead);
  if (h != 0) TbxWriteRgn(h, GdiRegion());
  return h;
}

void DisposeRgn(RgnHandle region) { DisposeHandle(region); }

void SetRectRgn(RgnHandle region, int16_t left, int16_t top, int16_t right, int16_t bottom) {
  if (right <= left || bottom <= top) {
    TbxWriteRgn(region, GdiRegion());
    return;
  }
  TbxWriteRgn(region, GdiRegion(RECT{left, top, right, bottom}));
}

void RectRgn(RgnHandle region, const Rect* rect) {
  if (rect != nullptr) SetRectRgn(region, rect->left, rect->top, rect->right, rect->bottom);
}

void SetEmptyRgn(RgnHandle region) { TbxWriteRgn(region, GdiRegion()); }

void CopyRgn(RgnHandle source, RgnHandle destination) {
  GdiRegion r;
  if (TbxReadRgn(source, &r)) TbxWriteRgn(destination, r);
}

void SectRgn(RgnHandle a, RgnHandle b, RgnHandle d) { Combine(a, b, d, RGN_AND); }
void UnionRgn(RgnHandle a, RgnHandle b, RgnHandle d) { Combine(a, b, d, RGN_OR); }
void DiffRgn(RgnHandle a, RgnHandle b, RgnHandle d) { Combine(a, b, d, RGN_DIFF); }

bool EmptyRgn(RgnHandle region) { return Read(region).IsEmpty(); }

bool PtInRgn(Point point, RgnHandle region) { return Read(region).Contains(point.h, point.v); }

Rect* GetRegionBounds(RgnHandle region, Rect* bounds) {
  if (bounds == nullptr) return nullptr;
  RECT b = Read(region).Bounds();
  *bounds = Rect{Cut(b.top), Cut(b.left), Cut(b.bottom), Cut(b.right)};
  return bounds;
}

}  // namespace Tbx
