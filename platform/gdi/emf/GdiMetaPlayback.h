// What the enhanced and Windows metafile players share, all through the
// public GDI calls on the DC they play onto: the DC saved and restored round
// the playing, the metafile's object table, clipping kept inside the clip the
// DC had, and bitmaps made from stored DIBs. Internal to the metafile code.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/gdi/WinGdi.h"

class GdiMetaPlayback {
 public:
  GdiMetaPlayback(HDC target, size_t objects);
  ~GdiMetaPlayback();
  GdiMetaPlayback(const GdiMetaPlayback&) = delete;
  GdiMetaPlayback& operator=(const GdiMetaPlayback&) = delete;

  // Saves the DC and notes its clip; false when the DC is no DC.
  bool Begin();
  // Puts the DC back as Begin found it and deletes what the metafile made.
  void End();

  HDC Target() const { return target_; }

  // The object table: entries the metafile creates into and selects from.
  size_t ObjectCount() const { return objects_.size(); }
  HGDIOBJ Object(size_t index) const { return index < objects_.size() ? objects_[index] : nullptr; }
  // Keeps a new object in an entry, deleting the one it held.
  void SetObject(size_t index, HGDIOBJ object);
  void DeleteObjectAt(size_t index);
  // Selects an object of any kind (pen, brush, font, palette) into the DC.
  void SelectAny(HGDIOBJ object);

  // Clipping. The metafile's clip (device coordinates of the DC, none at
  // first) is kept apart and the DC clipped to it within the clip it had.
  // A clip call runs on the DC with the metafile's clip as the DC's clip,
  // and what it leaves becomes the metafile's clip.
  template <typename Call>
  void Clip(Call call) {
    SelectClipRgn(target_, clip_);
    call();
    TakeClip();
  }
  void ClearClip();
  // SaveDC and RestoreDC (relative, negative) of the metafile, kept within
  // its own saves; false for a level it never saved.
  void Save();
  bool Restore(int32_t relative);
  // How many saves the metafile has open.
  size_t Depth() const { return saved_.size(); }

 private:
  void TakeClip();
  void ApplyClip();

  HDC target_;
  int saveLevel_ = 0;
  HRGN initialClip_ = nullptr;
  HRGN clip_ = nullptr;
  std::vector<HRGN> saved_;  // the metafile's clip at each of its saves
  std::vector<HGDIOBJ> objects_;
};

// Checks a stored DIB: a BITMAPINFOHEADER of at least 40 bytes inside the
// info span with its colour table, an uncompressed format of a known depth,
// and bits enough for `rows` rows (all rows when negative). Gives the width,
// height (signed as stored) and depth.
bool GdiCheckDib(const uint8_t* info, size_t infoSize, size_t bitsSize, int64_t rows,
                 UINT usage, int32_t* width, int32_t* height, int32_t* bitsPerPixel);

// A bitmap of a stored DIB (already checked with GdiCheckDib): a monochrome
// device bitmap when `monochrome` (patterns and copies that the DC where they
// are drawn colours), else a DIB section. Null when GDI refuses.
HBITMAP GdiBitmapFromDib(const uint8_t* info, size_t infoSize, const uint8_t* bits,
                         size_t bitsSize, UINT usage, bool monochrome);

// Rounds a / b to the nearest integer, halves away from zero (b not 0).
int64_t GdiRoundDiv(int64_t a, int64_t b);
LONG GdiClamp32(int64_t v);
