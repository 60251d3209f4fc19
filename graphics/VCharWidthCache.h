// VCharWidthCache: one entry of the process-wide font cache, keyed by device,
// face, pixel size and style, with the font's metrics and its character
// widths in pages made on demand; and the face-name descriptors (LOGFONTA
// records) that the GDI fonts are built from.
#pragma once

#include <cstdint>

#include "framework/core/VObject.h"
#include "platform/gdi/WinGdiTypes.h"

struct LOGFONTA;
class VPort;
template <typename T>
class VChainListPtrOf;

class VCharWidthCache : public VObject {
 public:
  static constexpr int32_t kPageCount = 256;
  static constexpr int32_t kPageSize = 256;
  static constexpr uint16_t kNotMeasured = 0xFFFF;

  // The key: the device (the reference printer's information DC, or null
  // for the screen) with its resolution, the face's descriptor, the pixel
  // height of the font and the port's style bits.
  VCharWidthCache(HDC keyDC, int32_t keyResX, int32_t keyResY, LOGFONTA* descriptor,
                  int16_t pixelSize, uint8_t style);
  ~VCharWidthCache() override;
  VCharWidthCache(const VCharWidthCache&) = delete;
  VCharWidthCache& operator=(const VCharWidthCache&) = delete;

  bool Matches(HDC keyDC, int32_t keyResX, int32_t keyResY, const LOGFONTA* descriptor,
               int16_t pixelSize, uint8_t style) const;

  // The width of one code unit on the measuring DC, measured once: page
  // unit >> 8, slot unit & 0xFF. 0 when the page cannot be made (tried again
  // at the next call).
  int16_t GetWidth(char16_t unit, VPort& port, HDC dc);
  void GetWidths(const char16_t* units, int32_t count, VPort& port, HDC dc, int32_t* widths);
  void Touch();

  uint32_t GetLastUse() const { return fLastUse; }
  LOGFONTA* GetDescriptor() const { return fDescriptor; }
  int16_t GetPixelSize() const { return fPixelSize; }
  uint8_t GetStyle() const { return fStyle; }
  HDC GetKeyDC() const { return fKeyDC; }
  bool HasMetrics() const { return fAscent != -1; }
  int16_t GetAscent() const { return fAscent; }
  int16_t GetDescent() const { return fDescent; }
  int16_t GetLeading() const { return fLeading; }
  void SetMetrics(int16_t ascent, int16_t descent, int16_t leading);
  // Whether the page holding the unit has been made.
  bool HasPage(char16_t unit) const { return fPages[unit >> 8] != nullptr; }

 private:
  uint32_t fLastUse;
  LOGFONTA* fDescriptor;
  int16_t fPixelSize;
  uint8_t fStyle;
  int16_t fAscent = -1;
  int16_t fDescent = -1;
  int16_t fLeading = -1;
  HDC fKeyDC;
  int32_t fKeyResX;
  int32_t fKeyResY;
  uint16_t* fPages[kPageCount] = {};
};

using VFontCacheList = VChainListPtrOf<VCharWidthCache*>;

// The font cache: made by InitGraphics, emptied and deleted by ExitGraphics.
// Entries let go when the cache is full move to the retired list: ports that
// still use one keep it, lookups no longer find it, and ExitGraphics deletes
// them with the rest.
extern VFontCacheList* gFontCache;
extern VFontCacheList* gRetiredFontCache;

// The cache holds this many entries before the least recently used one, if
// unused for a minute, is let go.
constexpr int32_t kFontCacheLimit = 24;
constexpr uint32_t kFontCacheIdleTicks = 3600;

// The descriptor of a face name: the system's font record when it has one,
// else a record zero but for the name, added to the list (which is made,
// filled from the installed fonts, when it does not exist yet). Null only
// when memory runs out.
LOGFONTA* FindFontDescriptor(const char* faceName);
// The descriptor of a face name when the list exists and holds it; null
// otherwise. Nothing is made or added.
LOGFONTA* LookUpFontDescriptor(const char* faceName);
// The number of descriptors (0 while the list does not exist).
int32_t CountFontDescriptors();

// Lets go of every cache entry keyed by a device context that is being
// deleted, so that a later context with the same value does not meet them.
void ForgetFontCacheDevice(HDC dc);

// Made and freed by graphics start-up and shut-down.
void MakeFontCache();
void FreeFontCache();
