// The font cache entries with their width pages, the cache lists, and the
// face-name descriptors the GDI fonts are built from.
#include "graphics/VCharWidthCache.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <strings.h>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "framework/core/memory/VMemoryMgr.h"
#include "graphics/GraphicsHooks.h"
#include "graphics/VPort.h"
#include "platform/gdi/GdiFont.h"

VFontCache* gFontCache = nullptr;

namespace {

uint32_t gFontCacheGeneration = 0;

// The descriptors, in the order they were added.
std::vector<std::unique_ptr<LOGFONTA>>* gDescriptors = nullptr;

int AddEnumeratedFace(const LOGFONTA* font, const TEXTMETRICA*, DWORD, LPARAM) {
  if (font != nullptr) gDescriptors->push_back(std::make_unique<LOGFONTA>(*font));
  return 1;
}

// The list of the installed faces, one record each.
void MakeDescriptorList() {
  gDescriptors = new std::vector<std::unique_ptr<LOGFONTA>>();
  HDC screen = GetDC(nullptr);
  if (screen == nullptr) return;
  LOGFONTA all{};
  all.lfCharSet = DEFAULT_CHARSET;
  EnumFontFamiliesExA(screen, &all, AddEnumeratedFace, 0, 0);
  ReleaseDC(nullptr, screen);
}

bool SameFace(const char* a, const char* b) {
  return strncasecmp(a, b, LF_FACESIZE - 1) == 0;
}

}  // namespace

VCharWidthCache::VCharWidthCache(HDC keyDC, int32_t keyResX, int32_t keyResY,
                                 LOGFONTA* descriptor, int16_t pixelSize, uint8_t style)
    : fLastUse(GraphicsTicks()),
      fDescriptor(descriptor),
      fPixelSize(pixelSize),
      fStyle(style),
      fKeyDC(keyDC),
      fKeyResX(keyResX),
      fKeyResY(keyResY) {}

VCharWidthCache::~VCharWidthCache() {
  for (uint16_t*& page : fPages) {
    if (page != nullptr && gMemoryMgr != nullptr) gMemoryMgr->DisposeBlock(page);
    page = nullptr;
  }
}

bool VCharWidthCache::Matches(HDC keyDC, int32_t keyResX, int32_t keyResY,
                              const LOGFONTA* descriptor, int16_t pixelSize,
                              uint8_t style) const {
  return fKeyDC == keyDC && fKeyResX == keyResX && fKeyResY == keyResY &&
         fDescriptor == descriptor && fPixelSize == pixelSize && fStyle == style;
}

int16_t VCharWidthCache::MeasureWidth(char16_t unit, VPort& port, HDC dc) {
  uint16_t*& page = fPages[unit >> 8];
  if (page == nullptr) {
    if (gMemoryMgr == nullptr) return 0;
    page = static_cast<uint16_t*>(gMemoryMgr->NewBlock(kPageSize * sizeof(uint16_t)));
    if (page == nullptr) return 0;
    std::memset(page, 0xFF, kPageSize * sizeof(uint16_t));
  }
  uint16_t& slot = page[unit & 0xFF];
  if (slot == kNotMeasured) {
    port.PrepareFont(VPort::kFontDirtyGdiFont);
    SIZE extent{0, 0};
    if (!GetTextExtentPoint32W(dc, &unit, 1, &extent)) return 0;
    // Widths are kept in 15 bits; 0xFFFF stays the mark of "not measured".
    slot = static_cast<uint16_t>(std::clamp<LONG>(extent.cx, 0, 0x7FFF));
  }
  return static_cast<int16_t>(slot);
}

void VCharWidthCache::GetWidths(const char16_t* units, int32_t count, VPort& port, HDC dc,
                                int32_t* widths) {
  for (int32_t i = 0; i < count; ++i) {
    // A surrogate pair is one character, whose width its low half carries
    // (the high half has none): measured as the pair, not kept.
    const bool pairEnd = i > 0 && units[i] >= 0xDC00 && units[i] <= 0xDFFF && units[i - 1] >= 0xD800 &&
                         units[i - 1] <= 0xDBFF;
    SIZE extent{0, 0};
    if (pairEnd) port.PrepareFont(VPort::kFontDirtyGdiFont);
    widths[i] = !pairEnd                                     ? GetWidth(units[i], port, dc)
                : GetTextExtentPoint32W(dc, units + i - 1, 2, &extent) ? int32_t(extent.cx)
                                                                         : 0;
  }
}

void VCharWidthCache::KeepCluster(const char16_t* units, int32_t count, int32_t width) {
  if (count <= 0 || count > kKeptClusterUnits) return;
  if (!fClusters) fClusters = std::make_unique<KeptCluster[]>(kKeptClusters);
  KeptCluster& kept = fClusters[ClusterSlot(units, count)];
  kept.count = count;
  kept.width = width;
  std::memcpy(kept.units, units, sizeof(char16_t) * size_t(count));
}

void VCharWidthCache::Touch() {
  fLastUse = GraphicsTicks();
  if (fCached && gFontCache != nullptr) gFontCache->Touched(this);
}

void VCharWidthCache::SetMetrics(int16_t ascent, int16_t descent, int16_t leading) {
  fAscent = ascent;
  fDescent = descent;
  fLeading = leading;
}

LOGFONTA* FindFontDescriptor(const char* faceName) {
  if (gDescriptors == nullptr) MakeDescriptorList();
  const char* name = faceName != nullptr ? faceName : "";
  for (const auto& descriptor : *gDescriptors) {
    if (SameFace(descriptor->lfFaceName, name)) return descriptor.get();
  }
  auto descriptor = std::make_unique<LOGFONTA>();
  std::memset(descriptor.get(), 0, sizeof(LOGFONTA));
  std::strncpy(descriptor->lfFaceName, name, LF_FACESIZE - 1);
  gDescriptors->push_back(std::move(descriptor));
  return gDescriptors->back().get();
}

LOGFONTA* LookUpFontDescriptor(const char* faceName) {
  if (gDescriptors == nullptr || faceName == nullptr) return nullptr;
  for (const auto& descriptor : *gDescriptors) {
    if (SameFace(descriptor->lfFaceName, faceName)) return descriptor.get();
  }
  return nullptr;
}

int32_t CountFontDescriptors() {
  return gDescriptors != nullptr ? static_cast<int32_t>(gDescriptors->size()) : 0;
}

// ---- The cache.

namespace {

struct FontKey {
  HDC dc;
  int32_t resX;
  int32_t resY;
  const LOGFONTA* descriptor;
  int16_t pixelSize;
  uint8_t style;
  bool operator==(const FontKey& o) const {
    return dc == o.dc && resX == o.resX && resY == o.resY && descriptor == o.descriptor &&
           pixelSize == o.pixelSize && style == o.style;
  }
};

struct FontKeyHash {
  size_t operator()(const FontKey& k) const {
    size_t h = std::hash<const void*>()(k.dc);
    auto mix = [&h](size_t v) { h ^= v + 0x9E3779B97F4A7C15ull + (h << 6) + (h >> 2); };
    mix(std::hash<const void*>()(k.descriptor));
    mix(size_t(uint32_t(k.resX)) << 32 | uint32_t(k.resY));
    mix(size_t(uint16_t(k.pixelSize)) << 8 | k.style);
    return h;
  }
};

}  // namespace

struct VFontCache::State {
  // The key of each cached entry is kept beside it, as the entry keeps its
  // device's resolution to itself.
  std::unordered_map<FontKey, VCharWidthCache*, FontKeyHash> index;
  std::unordered_map<const VCharWidthCache*, FontKey> keys;
  // The cached entries of each printer device, for forgetting it.
  std::unordered_map<HDC, std::unordered_set<VCharWidthCache*>> byDevice;
  std::unordered_set<VCharWidthCache*> retired;
  VCharWidthCache* oldest = nullptr;
  VCharWidthCache* newest = nullptr;

  void Unlink(VCharWidthCache* e) {
    (e->fOlder != nullptr ? e->fOlder->fNewer : oldest) = e->fNewer;
    (e->fNewer != nullptr ? e->fNewer->fOlder : newest) = e->fOlder;
    e->fOlder = e->fNewer = nullptr;
  }
  void LinkNewest(VCharWidthCache* e) {
    e->fOlder = newest;
    e->fNewer = nullptr;
    (newest != nullptr ? newest->fNewer : oldest) = e;
    newest = e;
  }
};

VFontCache::VFontCache() : fState(new State()) {}

VFontCache::~VFontCache() {
  for (auto& [entry, key] : fState->keys) delete const_cast<VCharWidthCache*>(entry);
  for (VCharWidthCache* entry : fState->retired) delete entry;
  delete fState;
}

int32_t VFontCache::Count() const { return int32_t(fState->index.size()); }
int32_t VFontCache::RetiredCount() const { return int32_t(fState->retired.size()); }

bool VFontCache::Holds(const VCharWidthCache* entry) const {
  return entry != nullptr && entry->fCached && fState->keys.count(entry) != 0;
}

bool VFontCache::IsRetired(const VCharWidthCache* entry) const {
  return fState->retired.count(const_cast<VCharWidthCache*>(entry)) != 0;
}

VCharWidthCache* VFontCache::Find(HDC keyDC, int32_t keyResX, int32_t keyResY,
                                  const LOGFONTA* descriptor, int16_t pixelSize,
                                  uint8_t style) const {
  const auto found = fState->index.find({keyDC, keyResX, keyResY, descriptor, pixelSize, style});
  return found != fState->index.end() ? found->second : nullptr;
}

void VFontCache::Add(VCharWidthCache* entry) {
  if (entry == nullptr || entry->fCached) return;
  const FontKey key{entry->fKeyDC, entry->fKeyResX, entry->fKeyResY, entry->fDescriptor,
                    entry->fPixelSize, entry->fStyle};
  // One entry a key: an older one with the same key is let go first.
  if (VCharWidthCache* same = Find(key.dc, key.resX, key.resY, key.descriptor, key.pixelSize, key.style))
    LetGo(same);
  fState->index[key] = entry;
  fState->keys[entry] = key;
  if (key.dc != nullptr) fState->byDevice[key.dc].insert(entry);
  entry->fCached = true;
  fState->LinkNewest(entry);
}

VCharWidthCache* VFontCache::LeastRecentlyUsed() const { return fState->oldest; }

void VFontCache::LetGo(VCharWidthCache* entry) {
  if (entry == nullptr || !entry->fCached) return;
  const auto key = fState->keys.find(entry);
  if (key == fState->keys.end()) return;
  fState->index.erase(key->second);
  if (key->second.dc != nullptr) {
    auto device = fState->byDevice.find(key->second.dc);
    if (device != fState->byDevice.end()) {
      device->second.erase(entry);
      if (device->second.empty()) fState->byDevice.erase(device);
    }
  }
  fState->keys.erase(key);
  fState->Unlink(entry);
  entry->fCached = false;
  if (entry->fUsers > 0)
    fState->retired.insert(entry);
  else
    delete entry;
}

void VFontCache::ForgetDevice(HDC dc) {
  if (dc == nullptr) return;
  const auto device = fState->byDevice.find(dc);
  if (device == fState->byDevice.end()) return;
  const std::vector<VCharWidthCache*> entries(device->second.begin(), device->second.end());
  for (VCharWidthCache* entry : entries) LetGo(entry);
}

void VFontCache::AddUser(VCharWidthCache* entry) {
  if (entry != nullptr) ++entry->fUsers;
}

void VFontCache::RemoveUser(VCharWidthCache* entry) {
  if (entry == nullptr || entry->fUsers <= 0) return;
  if (--entry->fUsers == 0 && !entry->fCached) {
    const auto retired = fState->retired.find(entry);
    if (retired != fState->retired.end()) {
      fState->retired.erase(retired);
      delete entry;
    }
  }
}

void VFontCache::Touched(VCharWidthCache* entry) {
  if (entry == nullptr || !entry->fCached || fState->newest == entry) return;
  fState->Unlink(entry);
  fState->LinkNewest(entry);
}

void ForgetFontCacheDevice(HDC dc) {
  if (gFontCache != nullptr) gFontCache->ForgetDevice(dc);
}

uint32_t FontCacheGeneration() { return gFontCacheGeneration; }

void MakeFontCache() {
  if (gFontCache == nullptr) gFontCache = new VFontCache();
}

void FreeFontCache() {
  if (gFontCache != nullptr) {
    delete gFontCache;
    gFontCache = nullptr;
    // Ports still pointing at the entries just deleted must not touch them.
    ++gFontCacheGeneration;
  }
  delete gDescriptors;
  gDescriptors = nullptr;
}
