// The shared part of the metafile players: saving the DC, the object table,
// clipping within the DC's own clip, and stored DIBs turned into bitmaps.
#include "platform/gdi/emf/GdiMetaPlayback.h"

#include <algorithm>
#include <cstring>

#include "platform/gdi/emf/GdiMetaBytes.h"

namespace {

constexpr uint64_t kMaxDibBytes = 0x7FFFFFFF;

HRGN CopyRegion(HRGN region) {
  if (!region) return nullptr;
  HRGN copy = CreateRectRgn(0, 0, 0, 0);
  if (copy && CombineRgn(copy, region, nullptr, RGN_COPY) == ERROR) {
    DeleteObject(copy);
    return nullptr;
  }
  return copy;
}

}  // namespace

int64_t GdiRoundDiv(int64_t a, int64_t b) {
  if (b < 0) {
    a = -a;
    b = -b;
  }
  return a >= 0 ? (a + b / 2) / b : -((-a + b / 2) / b);
}

LONG GdiClamp32(int64_t v) { return static_cast<LONG>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

GdiMetaPlayback::GdiMetaPlayback(HDC target, size_t objects)
    : target_(target), objects_(objects, nullptr) {}

GdiMetaPlayback::~GdiMetaPlayback() { End(); }

bool GdiMetaPlayback::Begin() {
  saveLevel_ = SaveDC(target_);
  if (saveLevel_ == 0) return false;
  HRGN clip = CreateRectRgn(0, 0, 0, 0);
  if (clip && GetClipRgn(target_, clip) == 1) {
    initialClip_ = clip;
  } else if (clip) {
    DeleteObject(clip);
  }
  return true;
}

void GdiMetaPlayback::End() {
  if (saveLevel_ == 0) return;
  // Restoring the DC selects its own objects back, so every object the
  // metafile made can go.
  RestoreDC(target_, saveLevel_);
  saveLevel_ = 0;
  for (HGDIOBJ& o : objects_) {
    if (o) DeleteObject(o);
    o = nullptr;
  }
  for (HRGN r : saved_) {
    if (r) DeleteObject(r);
  }
  saved_.clear();
  if (clip_) DeleteObject(clip_);
  if (initialClip_) DeleteObject(initialClip_);
  clip_ = initialClip_ = nullptr;
}

void GdiMetaPlayback::SetObject(size_t index, HGDIOBJ object) {
  if (index >= objects_.size()) {
    if (object) DeleteObject(object);
    return;
  }
  DeleteObjectAt(index);
  objects_[index] = object;
}

void GdiMetaPlayback::DeleteObjectAt(size_t index) {
  if (index >= objects_.size() || !objects_[index]) return;
  // An object still selected goes when the DC lets it go.
  DeleteObject(objects_[index]);
  objects_[index] = nullptr;
}

void GdiMetaPlayback::SelectAny(HGDIOBJ object) {
  if (!object) return;
  if (GetObjectType(object) == OBJ_PAL) {
    SelectPalette(target_, static_cast<HPALETTE>(object), TRUE_);
  } else if (GetObjectType(object) != OBJ_REGION && GetObjectType(object) != OBJ_BITMAP) {
    SelectObject(target_, object);
  }
}

void GdiMetaPlayback::TakeClip() {
  HRGN now = CreateRectRgn(0, 0, 0, 0);
  if (now && GetClipRgn(target_, now) != 1) {
    DeleteObject(now);
    now = nullptr;
  }
  if (clip_) DeleteObject(clip_);
  clip_ = now;
  ApplyClip();
}

void GdiMetaPlayback::ClearClip() {
  if (clip_) DeleteObject(clip_);
  clip_ = nullptr;
  ApplyClip();
}

void GdiMetaPlayback::ApplyClip() {
  if (!clip_) {
    SelectClipRgn(target_, initialClip_);
    return;
  }
  SelectClipRgn(target_, clip_);
  if (initialClip_) ExtSelectClipRgn(target_, initialClip_, RGN_AND);
}

void GdiMetaPlayback::Save() {
  if (SaveDC(target_) == 0) return;
  saved_.push_back(CopyRegion(clip_));
}

bool GdiMetaPlayback::Restore(int32_t relative) {
  int64_t depth = static_cast<int64_t>(saved_.size());
  if (relative >= 0 || -int64_t{relative} > depth) return false;
  if (!RestoreDC(target_, relative)) return false;
  int64_t keep = depth + relative;
  if (clip_) DeleteObject(clip_);
  clip_ = saved_[keep];
  for (int64_t i = keep + 1; i < depth; ++i) {
    if (saved_[i]) DeleteObject(saved_[i]);
  }
  saved_.resize(keep);
  return true;
}

// ---------------------------------------------------------------------------
// Stored DIBs

bool GdiCheckDib(const uint8_t* info, size_t infoSize, size_t bitsSize, int64_t rows,
                 UINT usage, int32_t* width, int32_t* height, int32_t* bitsPerPixel) {
  GdiByteReader r(info, infoSize);
  uint32_t headerSize = r.U32();
  int32_t w = r.I32();
  int32_t h = r.I32();
  uint16_t planes = r.U16();
  uint16_t bpp = r.U16();
  uint32_t compression = r.U32();
  r.Skip(12);
  uint32_t used = r.U32();
  if (r.Failed() || headerSize < 40 || headerSize > infoSize || planes != 1 ||
      compression != BI_RGB || w <= 0 || h == 0 || h == INT32_MIN ||
      (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) ||
      (usage != DIB_RGB_COLORS && usage != DIB_PAL_COLORS)) {
    return false;
  }
  if (bpp <= 8) {
    uint64_t entries = used ? std::min<uint64_t>(used, uint64_t{1} << bpp) : uint64_t{1} << bpp;
    uint64_t tableBytes = entries * (usage == DIB_RGB_COLORS ? 4 : 2);
    if (tableBytes > infoSize - headerSize) return false;
  }
  uint64_t rowBytes = (uint64_t{static_cast<uint32_t>(w)} * bpp + 31) / 32 * 4;
  uint64_t all = static_cast<uint64_t>(h < 0 ? -int64_t{h} : h);
  uint64_t wanted = rows < 0 ? all : static_cast<uint64_t>(rows);
  if (wanted > all || rowBytes * all > kMaxDibBytes || rowBytes * wanted > bitsSize) return false;
  *width = w;
  *height = h;
  *bitsPerPixel = bpp;
  return true;
}

HBITMAP GdiBitmapFromDib(const uint8_t* info, size_t infoSize, const uint8_t* bits,
                         size_t bitsSize, UINT usage, bool monochrome) {
  int32_t w, h, bpp;
  if (!GdiCheckDib(info, infoSize, bitsSize, -1, usage, &w, &h, &bpp)) return nullptr;
  int32_t rows = h < 0 ? -h : h;
  size_t rowBytes = (static_cast<size_t>(w) * bpp + 31) / 32 * 4;
  if (monochrome && bpp == 1) {
    // Device rows are top-down and padded to 16 bits, 1 = white; a table
    // whose first colour is the light one is read inverted.
    uint32_t headerSize;
    std::memcpy(&headerSize, info, 4);
    bool invert = false;
    if (usage == DIB_RGB_COLORS && infoSize - headerSize >= 8) {
      const uint8_t* t = info + headerSize;
      int light0 = t[0] + t[1] + t[2], light1 = t[4] + t[5] + t[6];
      invert = light0 > light1;
    }
    size_t deviceRow = (static_cast<size_t>(w) + 15) / 16 * 2;
    std::vector<uint8_t> device(deviceRow * rows, 0);
    size_t used = (static_cast<size_t>(w) + 7) / 8;
    for (int32_t y = 0; y < rows; ++y) {
      const uint8_t* in = bits + rowBytes * static_cast<size_t>(h > 0 ? rows - 1 - y : y);
      uint8_t* out = device.data() + deviceRow * y;
      for (size_t i = 0; i < used; ++i) out[i] = invert ? static_cast<uint8_t>(~in[i]) : in[i];
    }
    return CreateBitmap(w, rows, 1, 1, device.data());
  }
  // The info is copied so that the header is read from aligned memory.
  std::vector<uint8_t> copy(info, info + infoSize);
  void* pixels = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(copy.data()),
                                    usage, &pixels, nullptr, 0);
  if (!bitmap || !pixels) return bitmap;
  std::memcpy(pixels, bits, rowBytes * static_cast<size_t>(rows));
  return bitmap;
}
