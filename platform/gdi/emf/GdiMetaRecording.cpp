// Helpers of the metafile recorders: stock indexes, DIBs of surface pixels
// and the object table.
#include "platform/gdi/emf/GdiMetaRecording.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/gdi/GdiPaint.h"
#include "platform/gdi/emf/GdiMetaBytes.h"

namespace {

LONG Clamp32(int64_t v) { return static_cast<LONG>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

RGBQUAD Quad(COLORREF c) { return RGBQUAD{GetBValue(c), GetGValue(c), GetRValue(c), 0}; }

}  // namespace

int GdiStockIndex(const GdiObject* object) {
  if (!object || !object->stock) return -1;
  for (int i = 0; i <= DEFAULT_GUI_FONT; ++i) {
    if (GdiStockObject(i) == object) return i;
  }
  return -1;
}

std::vector<uint8_t> GdiDibInfo(int32_t width, int32_t height, int32_t bitsPerPixel,
                                const std::vector<RGBQUAD>& colors) {
  GdiByteWriter w;
  w.Put32(40);
  w.PutI32(width);
  w.PutI32(height);
  w.Put16(1);
  w.Put16(static_cast<uint32_t>(bitsPerPixel));
  w.Put32(BI_RGB);
  w.Put32(static_cast<uint32_t>(GdiSurface::RowBytes(width, bitsPerPixel, 4) *
                                (height < 0 ? -int64_t{height} : height)));
  w.PutI32(0);
  w.PutI32(0);
  w.Put32(bitsPerPixel <= 8 ? static_cast<uint32_t>(colors.size()) : 0);
  w.Put32(0);
  for (const RGBQUAD& q : colors) {
    w.Put8(q.rgbBlue);
    w.Put8(q.rgbGreen);
    w.Put8(q.rgbRed);
    w.Put8(0);
  }
  return std::move(w.Bytes());
}

bool GdiDibOfSurface(const GdiSurface& surface, const RECT& part,
                     const std::vector<RGBQUAD>* colors, std::vector<uint8_t>* info,
                     std::vector<uint8_t>* bits) {
  int64_t width = int64_t{part.right} - part.left;
  int64_t height = int64_t{part.bottom} - part.top;
  if (width <= 0 || height <= 0 || width > INT32_MAX || height > INT32_MAX) return false;
  auto dib = GdiSurface::Create(static_cast<int32_t>(width), static_cast<int32_t>(height),
                                surface.bitsPerPixel, 4, true);
  if (!dib) return false;
  if (surface.bitsPerPixel <= 8) {
    dib->colors = colors ? *colors : surface.colors;
    dib->colors.resize(size_t{1} << surface.bitsPerPixel, RGBQUAD{0, 0, 0, 0});
  }
  for (int32_t y = 0; y < dib->height; ++y) {
    int64_t sy = int64_t{part.top} + y;
    if (sy < 0 || sy >= surface.height) continue;
    for (int32_t x = 0; x < dib->width; ++x) {
      int64_t sx = int64_t{part.left} + x;
      if (sx < 0 || sx >= surface.width) continue;
      uint32_t v = surface.Get(static_cast<int32_t>(sx), static_cast<int32_t>(sy));
      // The fourth byte of a 32-bit pixel is no colour: stored as 0.
      dib->Set(x, y, surface.bitsPerPixel == 32 ? (v & 0xFFFFFF) : v);
    }
  }
  *info = GdiDibInfo(dib->width, dib->height, dib->bitsPerPixel,
                     dib->bitsPerPixel <= 8 ? dib->colors : std::vector<RGBQUAD>{});
  size_t n = static_cast<size_t>(GdiSurface::RowBytes(dib->width, dib->bitsPerPixel, 4)) *
             static_cast<size_t>(dib->height);
  // A bottom-up surface's memory starts with its last row: the DIB order.
  const auto* base = static_cast<const uint8_t*>(dib->storage.get());
  bits->assign(base, base + n);
  return true;
}

bool GdiMetaObjectTable::KeyLess::operator()(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) const {
  if (a.size() != b.size()) return a.size() < b.size();
  return !a.empty() && std::memcmp(a.data(), b.data(), a.size()) < 0;
}

int64_t GdiMetaObjectTable::Find(const std::vector<uint8_t>& key) const {
  auto it = byKey_.find(key);
  if (it == byKey_.end()) return -1;
  return it->second;
}

uint32_t GdiMetaObjectTable::Add(const std::vector<uint8_t>& key) {
  size_t slot = 0;
  while (slot < entries_.size() && entries_[slot]) ++slot;
  auto it = byKey_.emplace(key, static_cast<uint32_t>(slot) + first_).first;
  if (slot == entries_.size()) {
    entries_.push_back(&it->first);
  } else {
    entries_[slot] = &it->first;
  }
  return it->second;
}

void GdiMetaObjectTable::Remove(uint32_t index) {
  if (index < first_ || index - first_ >= entries_.size()) return;
  const std::vector<uint8_t>* key = entries_[index - first_];
  if (!key) return;
  entries_[index - first_] = nullptr;
  byKey_.erase(*key);
}

std::vector<uint32_t> GdiMetaObjectTable::Entries() const {
  std::vector<uint32_t> out;
  for (size_t i = 0; i < entries_.size(); ++i) {
    if (entries_[i]) out.push_back(static_cast<uint32_t>(i) + first_);
  }
  return out;
}

bool GdiCaptureBlit(GdiDC& dc, const GdiCall& call, GdiBlitCapture* out) {
  const int32_t* a = call.args;
  const bool transparent = call.op == GdiOp::TransparentBlt;
  POINT da = GdiToDevice(dc, POINT{a[0], a[1]});
  POINT db = GdiToDevice(dc, POINT{Clamp32(int64_t{a[0]} + a[2]), Clamp32(int64_t{a[1]} + a[3])});
  int64_t dw = int64_t{db.x} - da.x, dh = int64_t{db.y} - da.y;
  GdiDC* src = GdiDcFromHandle(static_cast<HDC>(call.object));
  GdiSurface* s = src ? src->Target() : nullptr;
  if (!s || dw == 0 || dh == 0) return false;
  POINT sa = GdiToDevice(*src, POINT{a[4], a[5]});
  POINT sb = GdiToDevice(*src, POINT{Clamp32(int64_t{a[4]} + a[6]), Clamp32(int64_t{a[5]} + a[7])});
  int64_t sw = int64_t{sb.x} - sa.x, sh = int64_t{sb.y} - sa.y;
  if (sw == 0 || sh == 0) return false;
  RECT box{std::min(sa.x, sb.x), std::min(sa.y, sb.y), std::max(sa.x, sb.x), std::max(sa.y, sb.y)};
  RECT inside{std::max<LONG>(box.left, 0), std::max<LONG>(box.top, 0),
              std::min<LONG>(box.right, s->width), std::min<LONG>(box.bottom, s->height)};
  if (inside.right <= inside.left || inside.bottom <= inside.top) return false;

  std::vector<RGBQUAD> mono;
  const std::vector<RGBQUAD>* table = nullptr;
  out->key = static_cast<COLORREF>(a[9]) & 0xFFFFFF;
  if (s->deviceMono) {
    COLORREF fore = GdiResolveColor(dc, dc.state.textColor);
    COLORREF back = GdiResolveColor(dc, dc.state.bkColor);
    mono = {Quad(fore), Quad(back)};
    table = &mono;
    if (transparent) {
      if (out->key == RGB(0, 0, 0)) {
        out->key = fore;
      } else if (out->key == RGB(255, 255, 255)) {
        out->key = back;
      } else {
        for (COLORREF c : {RGB(0, 0, 0), RGB(255, 255, 255), RGB(1, 1, 1)}) {
          if (c != fore && c != back) {
            out->key = c;
            break;
          }
        }
      }
    }
  }
  out->sourceBack = GdiResolveColor(*src, src->state.bkColor);
  RECT dest{std::min(da.x, db.x), std::min(da.y, db.y), std::max(da.x, db.x), std::max(da.y, db.y)};
  out->oneToOne = !transparent && std::abs(dw) == std::abs(sw) && std::abs(dh) == std::abs(sh) &&
                  (dw < 0) == (sw < 0) && (dh < 0) == (sh < 0);
  out->x = a[0];
  out->y = a[1];
  out->width = a[2];
  out->height = a[3];
  RECT part = box;
  if (out->oneToOne) {
    bool whole = inside.left == box.left && inside.top == box.top &&
                 inside.right == box.right && inside.bottom == box.bottom;
    int32_t w = inside.right - inside.left, h = inside.bottom - inside.top;
    out->cxSrc = dw < 0 ? -w : w;
    out->cySrc = dh < 0 ? -h : h;
    if (!whole) {
      dest = RECT{Clamp32(int64_t{dest.left} + inside.left - box.left),
                  Clamp32(int64_t{dest.top} + inside.top - box.top),
                  Clamp32(int64_t{dest.left} + inside.right - box.left),
                  Clamp32(int64_t{dest.top} + inside.bottom - box.top)};
      POINT p = GdiToLogical(dc, POINT{dest.left, dest.top});
      POINT q = GdiToLogical(dc, POINT{dest.right, dest.bottom});
      out->x = p.x;
      out->y = p.y;
      out->width = Clamp32(int64_t{q.x} - p.x);
      out->height = Clamp32(int64_t{q.y} - p.y);
      out->cxSrc = w;
      out->cySrc = h;
    }
    out->xSrc = out->cxSrc < 0 ? w : 0;
    out->ySrc = out->cySrc < 0 ? h : 0;
    part = inside;
  } else {
    int32_t w = box.right - box.left, h = box.bottom - box.top;
    out->cxSrc = static_cast<int32_t>(sw);
    out->cySrc = static_cast<int32_t>(sh);
    out->xSrc = sw < 0 ? w : 0;
    out->ySrc = sh < 0 ? h : 0;
  }
  out->bounds = RECT{dest.left, dest.top, Clamp32(int64_t{dest.right} - 1),
                     Clamp32(int64_t{dest.bottom} - 1)};
  return GdiDibOfSurface(*s, part, table, &out->info, &out->bits);
}
