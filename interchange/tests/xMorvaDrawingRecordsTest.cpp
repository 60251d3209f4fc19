// The drawing-record reader: blips of every type made into pictures of
// their size, the store's slots, nesting, and damaged records refused with
// their code and no picture.
#include "interchange/word/xMorvaDrawingRecords.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <functional>
#include <memory>
#include <vector>

#include "graphics/VMetafilePort.h"
#include "graphics/pictures/VEmfPictureData.h"
#include "graphics/pictures/VPictPictureData.h"
#include "graphics/pictures/VQuickTimePictures.h"
#include "platform/bytes/ByteOrder.h"
#include "platform/gdi/WinGdiMetafile.h"
#include "platform/quicktime/QtPictures.h"

namespace escher {

using Bytes = std::vector<uint8_t>;

// A record: version and instance, type, length, then the body.
Bytes Record(uint16_t type, const Bytes& body, uint16_t instance = 0, uint8_t version = 0) {
  Bytes out(8);
  StoreLE16(&out[0], uint16_t((instance << 4) | version));
  StoreLE16(&out[2], type);
  StoreLE32(&out[4], uint32_t(body.size()));
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

// A bitmap blip: the UID(s), the tag byte and the image.
Bytes BitmapBlip(uint16_t type, uint16_t instance, const Bytes& image, bool twoUids = false) {
  Bytes body(twoUids ? 32 : 16, 0xAB);
  body.push_back(0xFF);
  body.insert(body.end(), image.begin(), image.end());
  return Record(type, body, uint16_t(twoUids ? instance + 1 : instance));
}

// A metafile blip: the UID(s), the 34-byte header and the stored bytes,
// compressed through zlib unless `compress` is false; `stated` replaces
// the expanded size in the header when not 0.
Bytes MetafileBlip(uint16_t type, uint16_t instance, const Bytes& metafile, bool compress,
                   uint32_t stated = 0, bool twoUids = false, const Bytes& trailing = {}) {
  Bytes stored = metafile;
  if (compress) {
    uLongf length = compressBound(uLong(metafile.size()));
    stored.resize(length);
    EXPECT_EQ(Z_OK, compress2(stored.data(), &length, metafile.data(), uLong(metafile.size()), 9));
    stored.resize(length);
  }
  Bytes body(twoUids ? 32 : 16, 0xCD);
  Bytes header(34, 0);
  StoreLE32(&header[0], stated != 0 ? stated : uint32_t(metafile.size()));
  StoreLE32(&header[28], uint32_t(stored.size()));
  header[32] = compress ? 0 : 0xFE;
  body.insert(body.end(), header.begin(), header.end());
  body.insert(body.end(), stored.begin(), stored.end());
  body.insert(body.end(), trailing.begin(), trailing.end());
  return Record(type, body, uint16_t(twoUids ? instance + 1 : instance));
}

// A blip store entry with its blip behind it; `size` replaces the blip's
// size when not -1.
Bytes Bse(const Bytes& blip, int64_t size = -1) {
  Bytes body(36, 0);
  body[0] = body[1] = 6;
  StoreLE32(&body[20], uint32_t(size >= 0 ? size : int64_t(blip.size())));
  StoreLE32(&body[24], 1);
  body.insert(body.end(), blip.begin(), blip.end());
  return Record(kEscherBse, body, 6, 2);
}

Bytes Png(int w, int h) { return QtWritePng(QtRaster{w, h, Bytes(size_t(w * h * 4), 0x40)}); }
Bytes Jpeg(int w, int h) { return QtWriteJpeg(QtRaster{w, h, Bytes(size_t(w * h * 4), 0x80)}, 80); }

// A bottom-up 24-bit DIB of w x h pixels.
Bytes Dib(int w, int h) {
  const size_t row = size_t(w * 3 + 3) / 4 * 4;
  Bytes out(40 + row * size_t(h), 0x20);
  std::fill(out.begin(), out.begin() + 40, 0);
  StoreLE32(&out[0], 40);
  StoreLE32(&out[4], uint32_t(w));
  StoreLE32(&out[8], uint32_t(h));
  StoreLE16(&out[12], 1);
  StoreLE16(&out[14], 24);
  return out;
}

Bytes EmfBits(int w, int h) {
  VMetafilePort recorder(nullptr, 0, 0, w, h);
  recorder.PaintRect(0, 0, w, h);
  std::unique_ptr<VEmfPictureData> picture(recorder.EndAsPictureData());
  Bytes bits(GetEnhMetaFileBits(picture->GetMetafile(), 0, nullptr));
  GetEnhMetaFileBits(picture->GetMetafile(), UINT(bits.size()), bits.data());
  return bits;
}

Bytes WmfBits(int w, int h) {
  VMetafilePort recorder(nullptr, 0, 0, w, h);
  recorder.PaintRect(0, 0, w, h);
  std::unique_ptr<VEmfPictureData> picture(recorder.EndAsPictureData());
  Bytes bits(GetWinMetaFileBits(picture->GetMetafile(), 0, nullptr, MM_ANISOTROPIC, nullptr));
  GetWinMetaFileBits(picture->GetMetafile(), UINT(bits.size()), bits.data(), MM_ANISOTROPIC,
                     nullptr);
  return bits;
}

// The bytes of a PICT as stored (header big-endian).
Bytes PictBits(int w, int h) {
  const Bytes png = Png(w, h);
  VPictPictureData picture;
  picture.SetFromImportedData(png.data(), uint32_t(png.size()), 107);
  return picture.StoredBytes();
}

class DrawingRecords : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(0u, StartQuickTime()); }
  void TearDown() override { StopQuickTime(); }
};

}  // namespace escher

using namespace escher;

TEST_F(DrawingRecords, BlipsOfEveryTypeAtTheirPixelSize) {
  struct Case {
    const char* name;
    Bytes blip;
    int32_t kind;
    int32_t width, height;
  };
  const Case cases[] = {
      {"png", BitmapBlip(kEscherBlipPng, 0x6E0, Png(7, 5)), kPictureKindPICT, 7, 5},
      {"png, two uids", BitmapBlip(kEscherBlipPng, 0x6E0, Png(3, 9), true), kPictureKindPICT, 3, 9},
      {"jpeg", BitmapBlip(kEscherBlipJpeg, 0x46A, Jpeg(8, 6)), kPictureKindPICT, 8, 6},
      {"dib", BitmapBlip(kEscherBlipDib, 0x7A8, Dib(5, 4)), kPictureKindPICT, 5, 4},
      {"emf as stored", MetafileBlip(kEscherBlipEmf, 0x3D4, EmfBits(30, 20), false), kPictureKindEMF,
       30, 20},
      {"emf compressed", MetafileBlip(kEscherBlipEmf, 0x3D4, EmfBits(24, 16), true), kPictureKindEMF,
       24, 16},
      {"wmf compressed", MetafileBlip(kEscherBlipWmf, 0x216, WmfBits(40, 10), true), kPictureKindEMF,
       40, 10},
      {"pict", MetafileBlip(kEscherBlipPict, 0x542, PictBits(6, 3), true), kPictureKindPICT, 6, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Bytes records = Record(0xF001, Bse(c.blip), 1, 0xF);
    xMorvaImportEscher reader(records.data(), records.size());
    EXPECT_EQ(0, reader.Run());
    ASSERT_NE(nullptr, reader.GetPicture());
    EXPECT_EQ(c.kind, reader.GetPicture()->GetPictureKind());
    EXPECT_EQ(c.width, reader.GetPicture()->GetWidth());
    EXPECT_EQ(c.height, reader.GetPicture()->GetHeight());
    EXPECT_EQ(1, reader.BlipCount());
    EXPECT_EQ(0, reader.DroppedCount());
  }
}

TEST_F(DrawingRecords, StoreKeepsASlotForEveryEntry) {
  // Dgg container > blip store > three entries, the second without a blip;
  // other records around them are read past.
  const Bytes store = Record(0xF001, Join({Bse(BitmapBlip(kEscherBlipPng, 0x6E0, Png(2, 2))),
                                           Bse({}, 0), Bse(BitmapBlip(kEscherBlipPng, 0x6E0, Png(4, 3)))}),
                             3, 0xF);
  const Bytes records =
      Record(0xF000, Join({Record(0xF006, Bytes(16, 0)), store, Record(0xF00B, Bytes(12, 1))}), 0, 0xF);
  xMorvaImportEscher reader(records.data(), records.size());
  EXPECT_EQ(0, reader.Run());
  auto& slots = reader.StorePictures();
  ASSERT_EQ(3u, slots.size());
  ASSERT_NE(nullptr, slots[0]);
  EXPECT_EQ(nullptr, slots[1]);
  ASSERT_NE(nullptr, slots[2]);
  EXPECT_EQ(2, slots[0]->GetWidth());
  EXPECT_EQ(4, reader.GetPicture()->GetWidth());
  std::unique_ptr<VPictureData> taken(reader.TakePicture());
  EXPECT_EQ(3, taken->GetHeight());
  EXPECT_EQ(nullptr, reader.GetPicture());
}

TEST_F(DrawingRecords, ShapesNameTheirStoreEntries) {
  // Two shapes: one showing entry 2, one without a blip; a shape's id
  // does not carry over to the next shape.
  auto shape = [](uint32_t spid, const std::vector<std::pair<uint16_t, uint32_t>>& properties) {
    Bytes sp(8, 0);
    StoreLE32(&sp[0], spid);
    Bytes opt;
    for (const auto& [id, value] : properties) {
      Bytes property(6);
      StoreLE16(&property[0], id);
      StoreLE32(&property[2], value);
      opt.insert(opt.end(), property.begin(), property.end());
    }
    return Record(kEscherShapeContainer,
                  Join({Record(kEscherShape, sp, 0, 2),
                        Record(kEscherProperties, opt, uint16_t(properties.size()), 3)}),
                  0, 0xF);
  };
  const Bytes records = Record(
      0xF002, Record(0xF003, Join({shape(1025, {{0x4104, 2}, {0x0080, 7}}), shape(1026, {{0x0080, 1}}),
                                   Record(kEscherShapeContainer, Record(kEscherProperties, Bytes(6, 0), 1, 3), 0, 0xF)}),
                     0, 0xF),
      0, 0xF);
  xMorvaImportEscher reader(records.data(), records.size());
  EXPECT_EQ(0, reader.Run());
  EXPECT_EQ(2u, reader.PictureOfShape(1025));
  EXPECT_EQ(0u, reader.PictureOfShape(1026));
  EXPECT_EQ(0u, reader.PictureOfShape(0));
}

TEST_F(DrawingRecords, DelayedBlipIsReadAtItsOffset) {
  const Bytes blip = BitmapBlip(kEscherBlipPng, 0x6E0, Png(5, 5));
  Bytes delay(100, 0);
  delay.insert(delay.end(), blip.begin(), blip.end());
  Bytes body(36, 0);
  StoreLE32(&body[20], uint32_t(blip.size()));
  StoreLE32(&body[28], 100);
  const Bytes records = Record(kEscherBse, body, 6, 2);
  xMorvaImportEscher reader(records.data(), records.size(), delay.data(), delay.size());
  EXPECT_EQ(0, reader.Run());
  ASSERT_NE(nullptr, reader.GetPicture());
  EXPECT_EQ(5, reader.GetPicture()->GetWidth());
}

TEST_F(DrawingRecords, PictWithTrailingDataGivesTheMetafileBehindIt) {
  const Bytes emf = EmfBits(12, 8);
  uLongf length = compressBound(uLong(emf.size()));
  Bytes packed(length);
  ASSERT_EQ(Z_OK, compress2(packed.data(), &length, emf.data(), uLong(emf.size()), 9));
  packed.resize(length);
  const Bytes records = Bse(MetafileBlip(kEscherBlipPict, 0x542, PictBits(6, 3), true, 0, true, packed));
  xMorvaImportEscher reader(records.data(), records.size());
  EXPECT_EQ(0, reader.Run());
  ASSERT_NE(nullptr, reader.GetPicture());
  EXPECT_EQ(kPictureKindEMF, reader.GetPicture()->GetPictureKind());
  EXPECT_EQ(12, reader.GetPicture()->GetWidth());
}

TEST_F(DrawingRecords, ExpandedLengthIsUsedNotTheStatedOne) {
  // The header states more than the data expands to: the metafile is the
  // bytes it gave, which read whole.
  const Bytes records = Bse(MetafileBlip(kEscherBlipEmf, 0x3D4, EmfBits(10, 10), true, 50000));
  xMorvaImportEscher reader(records.data(), records.size());
  EXPECT_EQ(0, reader.Run());
  ASSERT_NE(nullptr, reader.GetPicture());
  EXPECT_EQ(10, reader.GetPicture()->GetWidth());
  size_t room = 4;
  uint8_t out[4];
  const uint8_t garbage[] = {1, 2, 3, 4, 5};
  EXPECT_EQ(kEscherDamaged, xMorvaImportEscher::UncompressBlip(garbage, sizeof garbage, out, room));
}

TEST_F(DrawingRecords, DamagedRecordsGiveNoPictureAndTheirCode) {
  const Bytes png = Png(4, 4);
  const Bytes emf = EmfBits(10, 10);
  auto deep = [](int depth) {
    // `depth` container headers, each holding the rest, then the entry.
    const Bytes inner = Bse(BitmapBlip(kEscherBlipPng, 0x6E0, Png(2, 2)));
    Bytes out(size_t(depth) * 8);
    for (int i = 0; i < depth; ++i) {
      StoreLE16(&out[size_t(i) * 8], 0xF);
      StoreLE16(&out[size_t(i) * 8 + 2], 0xF000);
      StoreLE32(&out[size_t(i) * 8 + 4], uint32_t((depth - i - 1) * 8 + inner.size()));
    }
    out.insert(out.end(), inner.begin(), inner.end());
    return out;
  };
  auto patched = [](Bytes bytes, size_t at, uint32_t value) {
    StoreLE32(&bytes[at], value);
    return bytes;
  };
  struct Case {
    const char* name;
    std::function<Bytes()> make;
    int32_t code;
    int32_t dropped;
  };
  const Case cases[] = {
      {"containers 10,000 deep", [&] { return deep(10000); }, 0, 0},
      {"containers 64 deep still read", [&] { return deep(64); }, 0, 0},
      {"a child longer than its parent",
       [&] {
         // The container holds the entry's header only; its blip is cut off.
         const Bytes inner = Bse(BitmapBlip(kEscherBlipPng, 0x6E0, png));
         Bytes out = Record(0xF001, inner, 1, 0xF);
         StoreLE32(&out[4], 8 + 36 + 10);
         out.resize(8 + 8 + 36 + 10);
         return out;
       },
       kEscherDamaged, 1},
      {"entry of size 0", [&] { return Bse(BitmapBlip(kEscherBlipPng, 0x6E0, png), 0); }, 0, 0},
      {"entry shorter than 36 bytes", [&] { return Record(kEscherBse, Bytes(20, 0)); }, 0, 0},
      {"bitmap record shorter than 17",
       [&] { return Bse(Record(kEscherBlipPng, Bytes(16, 0), 0x6E0)); }, kEscherDamaged, 1},
      {"bitmap with two uids shorter than 33",
       [&] { return Bse(Record(kEscherBlipPng, Bytes(32, 0), 0x6E1)); }, kEscherDamaged, 1},
      {"metafile record shorter than its header",
       [&] { return Bse(Record(kEscherBlipEmf, Bytes(40, 0), 0x3D4)); }, kEscherDamaged, 1},
      {"stored size past the record",
       [&] { return patched(Bse(MetafileBlip(kEscherBlipEmf, 0x3D4, emf, true)), 8 + 36 + 8 + 16 + 28, 1u << 30); },
       kEscherDamaged, 1},
      {"unknown blip type",
       [&] { return Bse(BitmapBlip(0xF029, 0x6E0, png)); }, kEscherDamaged, 1},
      {"expands past its stated size",
       [&] { return Bse(MetafileBlip(kEscherBlipEmf, 0x3D4, emf, true, uint32_t(emf.size() - 1))); },
       kEscherNoMemory, 1},
      {"states 1 GB",
       [&] { return Bse(MetafileBlip(kEscherBlipEmf, 0x3D4, Bytes(1000, 0), true, 1u << 30)); },
       kEscherNoMemory, 1},
      {"zlib data error",
       [&] {
         // The data's checksum no longer matches.
         Bytes out = Bse(MetafileBlip(kEscherBlipEmf, 0x3D4, emf, true));
         out.back() ^= 0x5A;
         return out;
       },
       kEscherDamaged, 1},
      {"metafile that is none", [&] { return Bse(MetafileBlip(kEscherBlipEmf, 0x3D4, Bytes(64, 7), false)); },
       kEscherDamaged, 1},
      {"png that is none", [&] { return Bse(BitmapBlip(kEscherBlipPng, 0x6E0, Bytes(64, 7))); },
       kEscherDamaged, 1},
      {"fewer than 8 bytes", [&] { return Bytes{1, 2, 3, 4, 5}; }, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Bytes records = c.make();
    xMorvaImportEscher reader(records.data(), records.size());
    EXPECT_EQ(c.code, reader.Run());
    EXPECT_EQ(c.dropped, reader.DroppedCount());
    // The deep nests hold one good picture: read at 64, passed over past it.
    const bool readable = std::string(c.name) == "containers 64 deep still read";
    EXPECT_EQ(readable, reader.GetPicture() != nullptr);
  }
}
