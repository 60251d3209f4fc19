// The font cache entries with their width pages, the cache lists, and the
// face-name descriptors the GDI fonts are built from.
#include "graphics/VCharWidthCache.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <strings.h>
#include <vector>

#include "framework/core/containers/VChainListOf.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "graphics/GraphicsHooks.h"
#include "graphics/VPort.h"
#include "platform/gdi/GdiFont.h"

VFontCacheList* gFontCache = nullptr;
VFontCacheList* gRetiredFontCache = nullptr;

namespace {

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

int16_t VCharWidthCache::GetWidth(char16_t unit, VPort& port, HDC dc) {
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

void VCharWidthCache::Touch() { fLastUse = GraphicsTicks(); }

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

void ForgetFontCacheDevice(HDC dc) {
  if (dc == nullptr || gFontCache == nullptr) return;
  for (int32_t i = gFontCache->Count(); i >= 1; --i) {
    VCharWidthCache* entry = gFontCache->GetAt(i);
    if (entry != nullptr && entry->GetKeyDC() == dc) {
      gFontCache->RemoveAt(i, true);
      if (gRetiredFontCache != nullptr) gRetiredFontCache->Add(&entry);
    }
  }
}

void MakeFontCache() {
  if (gFontCache == nullptr) gFontCache = new VFontCacheList();
  if (gRetiredFontCache == nullptr) gRetiredFontCache = new VFontCacheList();
}

void FreeFontCache() {
  for (VFontCacheList** list : {&gFontCache, &gRetiredFontCache}) {
    if (*list != nullptr) {
      (*list)->RemoveAll(false);
      delete *list;
      *list = nullptr;
    }
  }
  delete gDescriptors;
  gDescriptors = nullptr;
}
