// VIconShape: a colour icon kept as its 'cicn' resource data and drawn from
// three Windows bitmaps built from it (one-bit image, mask, colour pixels),
// and the reader of that data.
#pragma once

#include <cstdint>
#include <vector>

#include "framework/core/memory/VMemoryMgr.h"
#include "graphics/VMacBitmaps.h"
#include "graphics/VShape.h"
#include "platform/gdi/WinGdiTypes.h"

class VPictureShape;
class VPort;
class VResourceFile;
class VString;

constexpr uint32_t kResTypeColorIcon = FourCC("cicn");

// The stored 'cicn' data, big-endian: an 82-byte header (a 50-byte pixel
// map record, a 14-byte mask bit map record, a 14-byte one-bit image record
// and a 4-byte field), then the mask rows (mask row bytes x mask height),
// the image rows (image row bytes x image height), the colour table (8
// bytes of header whose last 16 bits are the entry count less one, then 8
// bytes an entry: value, red, green, blue) and the pixel rows ((pixel-map
// row bytes & 0x7FFF) x pixel-map height). Each section is bounded by the
// bytes left after the ones before it.
struct VColorIconParts {
  VMacPixMap pixMap;
  VMacBitMap mask;
  VMacBitMap image;
  std::vector<VMacColorSpec> colors;
};
// False when the header or any section does not fit the bytes, a height
// is negative, or a colour table count is below -1. The parts point into
// `data`.
bool ReadColorIcon(const uint8_t* data, uint32_t size, VColorIconParts* parts);

class VIconShape : public VShape {
 public:
  // The icon of that id from the file, else the host's resource file, else
  // the module's. One found in none keeps no data, an empty box and the id.
  VIconShape(VResourceFile* file, int16_t id);
  // By name (a length-byte string, a string object or a C string), looked
  // up in the same order; the id stays -1 when no file knows the name.
  VIconShape(VResourceFile* file, const uint8_t* pascalName);
  VIconShape(VResourceFile* file, const VString& name);
  VIconShape(VResourceFile* file, const char* name);
  // Takes over a handle of 'cicn' data (tests and callers that hold the
  // bytes already); 0 gives an icon without data.
  VIconShape(VMemHandle data, int16_t id);
  // The same size at (0, 0), a copy of the data, the same id, no bitmaps.
  VIconShape(const VIconShape& other);
  VIconShape& operator=(const VIconShape&) = delete;
  ~VIconShape() override;

  // Builds the three bitmaps from the data; false (and none kept) when the
  // data cannot be read or a bitmap cannot be made.
  bool BuildBitmaps(VPort& port, const uint8_t* data, uint32_t size);
  // From the icon's own data, when one of the bitmaps is missing.
  bool EnsureBitmaps(VPort& port);
  void ReleaseBitmaps();
  bool HasBitmaps() const { return fImage != nullptr && fMask != nullptr && fColor != nullptr; }
  HBITMAP GetImageBitmap() const { return fImage; }
  HBITMAP GetMaskBitmap() const { return fMask; }
  HBITMAP GetColorBitmap() const { return fColor; }
  VMemHandle GetData() const { return fData; }
  int16_t GetId() const { return fId; }

  // The icon recorded into a metafile of its size, drawn at (0, 0) with
  // transform 0; null when the metafile cannot be made. The caller owns it.
  VPictureShape* ToPictureShape();

 private:
  void LoadById(VResourceFile* file, int16_t id);
  template <typename Lookup>
  void LoadByName(VResourceFile* file, Lookup idOf);
  void Adopt(VResourceFile* file, int16_t id);
  void SetBoxFromData();

  VMemHandle fData = 0;
  HBITMAP fImage = nullptr;
  HBITMAP fMask = nullptr;
  HBITMAP fColor = nullptr;
  int16_t fId = -1;
};
