// VCharWidthCache: one entry of the process-wide font cache (VFontCache), keyed by device,
// face, pixel size and style, with the font's metrics and its character
// widths in pages made on demand; and the face-name descriptors (LOGFONTA
// records) that the GDI fonts are built from.
#pragma once

#include <cstdint>
#include <memory>

#include "framework/core/VObject.h"
#include "platform/gdi/WinGdiTypes.h"

struct LOGFONTA;
class VPort;

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
  int16_t GetWidth(char16_t unit, VPort& port, HDC dc) {
    // Inline for the width already measured, as the text engine asks for
    // every character it lays out.
    const uint16_t* page = fPages[unit >> 8];
    if (page != nullptr && page[unit & 0xFF] != kNotMeasured) return static_cast<int16_t>(page[unit & 0xFF]);
    return MeasureWidth(unit, port, dc);
  }
  void GetWidths(const char16_t* units, int32_t count, VPort& port, HDC dc, int32_t* widths);
  // The width of a cluster of units measured whole (a letter with its
  // marks, a pair, emoji joined), as measured the last time it was met:
  // the clusters met last are kept, each in the slot its units hash to.
  // False when it is not kept.
  // Inline, as the text engine asks for every mark it lays out.
  bool FindCluster(const char16_t* units, int32_t count, int32_t* width) const {
    if (!fClusters || count <= 0 || count > kKeptClusterUnits) return false;
    const KeptCluster& kept = fClusters[ClusterSlot(units, count)];
    if (kept.count != count) return false;
    for (int32_t i = 0; i < count; ++i) {
      if (kept.units[i] != units[i]) return false;
    }
    *width = kept.width;
    return true;
  }
  void KeepCluster(const char16_t* units, int32_t count, int32_t width);
  static constexpr int32_t kKeptClusters = 512;
  static constexpr int32_t kKeptClusterUnits = 16;
  // The last use becomes now; an entry of the cache moves to its recent end.
  void Touch();

  uint32_t GetLastUse() const { return fLastUse; }
  // How many ports hold the entry as their current font.
  int32_t GetUsers() const { return fUsers; }
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
  int16_t MeasureWidth(char16_t unit, VPort& port, HDC dc);
  // The slot of the kept clusters that a cluster's units hash to.
  static uint32_t ClusterSlot(const char16_t* units, int32_t count) {
    uint32_t hash = 2166136261u;
    for (int32_t i = 0; i < count; ++i) hash = (hash ^ units[i]) * 16777619u;
    return hash % kKeptClusters;
  }

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
  struct KeptCluster {
    int32_t count = 0;  // 0: empty
    int32_t width = 0;
    char16_t units[kKeptClusterUnits] = {};
  };
  std::unique_ptr<KeptCluster[]> fClusters;

  // Kept by the cache: its users, whether lookups find it, and its place
  // in the order of last use.
  friend class VFontCache;
  int32_t fUsers = 0;
  bool fCached = false;
  VCharWidthCache* fOlder = nullptr;
  VCharWidthCache* fNewer = nullptr;
};

// The font cache: made by InitGraphics, emptied and deleted by ExitGraphics.
// Lookups go through an index of the entries' keys, and the entries stand
// in the order of their last use, so that finding a font and picking the
// entry to let go take the same time with ten entries or ten thousand.
// Each entry counts the ports whose current font it is: an entry let go
// (the cache full, or its device deleted) that no port uses is deleted at
// once; one still in use is retired, found by no lookup, and deleted when
// its last port lets go of it.
class VFontCache {
 public:
  VFontCache();
  ~VFontCache();
  VFontCache(const VFontCache&) = delete;
  VFontCache& operator=(const VFontCache&) = delete;

  // Entries that lookups find, and retired ones still in use.
  int32_t Count() const;
  int32_t RetiredCount() const;
  bool Holds(const VCharWidthCache* entry) const;
  bool IsRetired(const VCharWidthCache* entry) const;

  VCharWidthCache* Find(HDC keyDC, int32_t keyResX, int32_t keyResY, const LOGFONTA* descriptor,
                        int16_t pixelSize, uint8_t style) const;
  // Takes the new entry in as the most recently used.
  void Add(VCharWidthCache* entry);
  // The entry whose last use lies furthest back; null when empty.
  VCharWidthCache* LeastRecentlyUsed() const;
  // Out of the lookups: deleted, or retired while a port uses it.
  void LetGo(VCharWidthCache* entry);
  // Lets go of every entry keyed by the device context.
  void ForgetDevice(HDC dc);
  // An entry became some port's current font, or stopped being one.
  void AddUser(VCharWidthCache* entry);
  void RemoveUser(VCharWidthCache* entry);
  // The entry's last use moved on: it goes to the recent end.
  void Touched(VCharWidthCache* entry);

 private:
  struct State;
  State* fState;
};

extern VFontCache* gFontCache;

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
// deleted, so that a later context with the same value does not meet them
// and the entries of a closed document's printer do not stay behind.
void ForgetFontCacheDevice(HDC dc);

// Counted each time the cache is freed: a port that took its entry from an
// earlier cache leaves it alone.
uint32_t FontCacheGeneration();

// Made and freed by graphics start-up and shut-down.
void MakeFontCache();
void FreeFontCache();
