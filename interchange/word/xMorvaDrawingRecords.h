// xMorvaImportEscher: reads the Office drawing records that a Word document
// keeps for its pictures (containers, blip store entries and the blips
// behind them) and makes picture values of the blips.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "framework/core/VObject.h"

class ByteSpanReader;
class VPictureData;

// Result codes of the reader.
constexpr int32_t kEscherNoError = 0;
constexpr int32_t kEscherNoMemory = 6;  // no memory, or expanded data larger than it should be
constexpr int32_t kEscherDamaged = 17;  // damaged compressed data or a picture that cannot be used

// Record types.
constexpr uint16_t kEscherShapeContainer = 0xF004;
constexpr uint16_t kEscherBse = 0xF007;
constexpr uint16_t kEscherShape = 0xF00A;
constexpr uint16_t kEscherProperties = 0xF00B;
// The property that names a shape's blip by its 1-based store entry.
constexpr uint16_t kEscherPropertyPib = 0x0104;
constexpr uint16_t kEscherBlipEmf = 0xF01A;
constexpr uint16_t kEscherBlipWmf = 0xF01B;
constexpr uint16_t kEscherBlipPict = 0xF01C;
constexpr uint16_t kEscherBlipJpeg = 0xF01D;
constexpr uint16_t kEscherBlipPng = 0xF01E;
constexpr uint16_t kEscherBlipDib = 0xF01F;

// Limits that keep damaged records from costing more than they hold:
// containers nest at most this deep, and a compressed blip is expanded to
// at most this many times its stored size (deflate cannot do better than
// about 1032:1) and never beyond the absolute cap.
constexpr int kEscherMaxDepth = 64;
constexpr uint64_t kEscherMaxRatio = 1032;
constexpr uint64_t kEscherMaxExpanded = 64u << 20;

// A picture value of a device-independent bitmap (a BMP file's bytes
// without the file header); null when its header is short or wrong. Its
// recorded error says whether the picture could be made.
std::unique_ptr<VPictureData> PictureFromDib(const uint8_t* bytes, size_t size);
// A PICT value of the bytes of a PICT as stored (its header big-endian).
std::unique_ptr<VPictureData> PictFromStored(const uint8_t* bytes, size_t size);

// All values are little-endian. A record is an 8-byte header (u16 version
// in the low 4 bits and instance in the high 12, u16 type, u32 length) and
// its length in bytes; a container's bytes are records. A child never
// reaches past its parent's end.
class xMorvaImportEscher : public VObject {
 public:
  // `main` holds the records; `delay`, when given, the blips that their
  // store entries place elsewhere (by offset). Neither is owned.
  xMorvaImportEscher(const uint8_t* main, size_t mainSize, const uint8_t* delay = nullptr,
                     size_t delaySize = 0);
  ~xMorvaImportEscher() override;

  // Walks the whole main span: the result code of the last picture
  // attempt (0 when the records hold no blip).
  int32_t Run();

  // The last picture made, or null; kept by the reader (in the store).
  VPictureData* GetPicture() const;
  // Hands the last picture over to the caller, or null.
  VPictureData* TakePicture();
  // One entry per blip store entry met, in order (null where it gave no
  // picture): the pictures that drawn shapes name by their 1-based index.
  std::vector<std::unique_ptr<VPictureData>>& StorePictures() { return fStore; }

  // The 1-based store entry whose blip the shape `spid` shows (its pib
  // property); 0 when the records give it none.
  uint32_t PictureOfShape(uint32_t spid) const;

  // Blips met, and those that gave no picture.
  int32_t BlipCount() const { return fBlips; }
  int32_t DroppedCount() const { return fDropped; }

  // zlib's `uncompress` of `size` bytes into `out`, whose room `outSize`
  // gives and which receives the expanded length: 0, 6 (no memory, or the
  // data expands past the room) or 17 (any other answer but success).
  static int32_t UncompressBlip(const uint8_t* bytes, size_t size, uint8_t* out, size_t& outSize);

 private:
  void Walk(ByteSpanReader& in, size_t end, int depth);
  void ReadBse(ByteSpanReader& in, size_t end);
  // A shape's properties: its pib, for the shape read last.
  void ReadProperties(ByteSpanReader& in, size_t end, uint16_t count);
  // The blip whose header starts at the reader, inside [.., end).
  std::unique_ptr<VPictureData> ReadBlip(ByteSpanReader& in, size_t end);
  std::unique_ptr<VPictureData> MakeBitmap(const uint8_t* bytes, size_t size, uint16_t type);
  // A metafile of the blip type from `stored` bytes, expanded to at most
  // `expanded` bytes unless `compressed` is false.
  std::unique_ptr<VPictureData> MakePicture(const uint8_t* stored, size_t size, bool compressed,
                                            uint64_t expanded, uint16_t type);
  // The result of the picture just attempted, kept as Run's answer.
  void Attempted(const std::unique_ptr<VPictureData>& picture, int32_t code);

  const uint8_t* fMain;
  size_t fMainSize;
  const uint8_t* fDelay;
  size_t fDelaySize;
  // The store's pictures; the last one made is at fLast.
  std::vector<std::unique_ptr<VPictureData>> fStore;
  size_t fLast = size_t(-1);
  // Shape id and store entry of each shape that shows a blip.
  std::vector<std::pair<uint32_t, uint32_t>> fShapes;
  uint32_t fShape = 0;
  int32_t fResult = 0;
  int32_t fBlips = 0;
  int32_t fDropped = 0;
};
