// What the enhanced and Windows metafile recorders share: stock object
// indexes, the DIB form of pixels, and the table of objects a metafile has
// created, found again by the bytes that created them. Internal.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "platform/gdi/GdiInternal.h"

// The GetStockObject index of a stock object, or -1.
int GdiStockIndex(const GdiObject* object);

// The pixels of a rectangle of a surface (surface coordinates; pixels
// outside the surface are 0) as a bottom-up DIB in the surface's own format:
// a BITMAPINFOHEADER with its colour table, and the rows padded to 4 bytes.
// `colors`, when given, replaces the surface's colour table. False when the
// rectangle is empty or too large.
bool GdiDibOfSurface(const GdiSurface& surface, const RECT& part,
                     const std::vector<RGBQUAD>* colors, std::vector<uint8_t>* info,
                     std::vector<uint8_t>* bits);

// The source of a blit as a metafile keeps it: the source pixels taken when
// the call is recorded, as a DIB. A copy of the same size that is not
// mirrored keeps only the part of the source inside its bitmap, with the
// destination cut to match (pixels outside leave the destination alone);
// others keep the whole source rectangle, mirrored by the signs of the source
// size. A monochrome device bitmap takes the destination's text and back
// colours as its colour table, and the transparent colour is turned into
// the table colour it names.
struct GdiBlitCapture {
  bool oneToOne = false;
  int32_t x = 0, y = 0, width = 0, height = 0;      // destination, logical
  int32_t xSrc = 0, ySrc = 0, cxSrc = 0, cySrc = 0;  // in the DIB
  COLORREF key = 0;
  COLORREF sourceBack = 0;  // the source DC's back colour
  std::vector<uint8_t> info, bits;
  RECT bounds{};  // destination, inclusive device pixels
};
// False when the blit copies nothing: no source pixels, or empty boxes.
// The call is a BitBlt, StretchBlt or TransparentBlt that uses its source.
bool GdiCaptureBlit(GdiDC& dc, const GdiCall& call, GdiBlitCapture* out);

// A BITMAPINFO (40-byte header and colour table) for a described DIB.
std::vector<uint8_t> GdiDibInfo(int32_t width, int32_t height, int32_t bitsPerPixel,
                                const std::vector<RGBQUAD>& colors);

// The objects of a metafile being recorded. An object is known by its key,
// the bytes of its create record after the table index; selecting an object
// of the same key again reuses its entry, so a drawing that makes the same
// pen a thousand times records it once.
class GdiMetaObjectTable {
 public:
  // Entries are numbered from `first` (EMF reserves 0 for the metafile).
  explicit GdiMetaObjectTable(uint32_t first) : first_(first) {}

  // The entry holding this key, or -1.
  int64_t Find(const std::vector<uint8_t>& key) const;
  // Puts the key into the lowest free entry and returns its number.
  uint32_t Add(const std::vector<uint8_t>& key);
  void Remove(uint32_t index);
  size_t Live() const { return byKey_.size(); }
  // One past the highest entry ever used.
  uint32_t HighWater() const { return static_cast<uint32_t>(entries_.size()) + first_; }
  // Live entries in ascending order.
  std::vector<uint32_t> Entries() const;

 private:
  uint32_t first_;
  std::vector<const std::vector<uint8_t>*> entries_;  // null: free
  // Keys by length, then by their bytes: any strict order serves the
  // look-up, and this one compares no byte of keys of different lengths.
  struct KeyLess {
    bool operator()(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) const;
  };
  std::map<std::vector<uint8_t>, uint32_t, KeyLess> byKey_;
};
