// The PICT interpreter: exact pixels of the shapes, lines, regions,
// polygons, clips and bits of version 1 and 2 pictures, JPEG data, the
// enhanced metafile it records, and damaged pictures.
#include <gtest/gtest.h>

#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "platform/gdi/WinGdi.h"
#include "platform/gdi/WinGdiMetafile.h"
#include "platform/gdi/pict/PictInterpreter.h"
#include "platform/tests/GdiTestCanvas.h"

namespace {

constexpr uint32_t kRedPx = 0xFF0000;
constexpr uint32_t kWhitePx = 0xFFFFFF;
constexpr uint32_t kBlackPx = 0x000000;

// A version 2 picture written big-endian, header and end opcode added.
class Pict {
 public:
  explicit Pict(int16_t w, int16_t h, bool v1 = false) : v1_(v1) {
    Words({0, 0, 0, h, w});
    if (v1) {
      Bytes({0x11, 0x01});
    } else {
      Words({0x0011, 0x02FF, 0x0C00, 0xFFFF, 0xFFFF, 0, 0, 0, 0, uint16_t(w), 0, uint16_t(h), 0,
             0, 0});
    }
  }
  Pict& Op(uint16_t op) {
    if (v1_) {
      b_.push_back(uint8_t(op));
    } else {
      if (b_.size() & 1) b_.push_back(0);
      Word(op);
    }
    return *this;
  }
  Pict& Word(uint16_t v) {
    b_.push_back(uint8_t(v >> 8));
    b_.push_back(uint8_t(v));
    return *this;
  }
  Pict& Words(std::initializer_list<int> vs) {
    for (int v : vs) Word(uint16_t(v));
    return *this;
  }
  Pict& Bytes(std::initializer_list<int> vs) {
    for (int v : vs) b_.push_back(uint8_t(v));
    return *this;
  }
  Pict& Raw(const std::vector<uint8_t>& v) {
    b_.insert(b_.end(), v.begin(), v.end());
    return *this;
  }
  std::vector<uint8_t> Done() {
    std::vector<uint8_t> out = b_;
    if (v1_) {
      out.push_back(0xFF);
    } else {
      if (out.size() & 1) out.push_back(0);
      out.push_back(0x00);
      out.push_back(0xFF);
    }
    out[0] = uint8_t(out.size() >> 8);
    out[1] = uint8_t(out.size());
    return out;
  }

 private:
  bool v1_;
  std::vector<uint8_t> b_;
};

std::string Play(const std::vector<uint8_t>& pict, int w, int h, bool* played = nullptr) {
  Canvas canvas(w, h);
  const RECT rect{0, 0, w, h};
  const bool ok = PlayPict(canvas.dc(), pict.data(), uint32_t(pict.size()), &rect);
  if (played != nullptr) *played = ok;
  return canvas.Picture();
}

// A w x h pixel map opcode 0x9A of 32-bit pixels in the given packing.
std::vector<uint8_t> DirectBits(int w, int h, int pack, const std::vector<uint32_t>& px) {
  Pict p(1, 1);
  const int rowBytes = pack == 2 ? w * 4 : w * 4;
  p.Words({0, 0xFF});  // base address
  p.Words({rowBytes | 0x8000, 0, 0, h, w, 0, pack, 0, 0, 0x48, 0, 0x48, 0, 16, 32, 3, 8, 0, 0, 0,
           0, 0, 0});
  p.Words({0, 0, h, w, 0, 0, h, w, 0});
  std::vector<uint8_t> data;
  for (int y = 0; y < h; ++y) {
    std::vector<uint8_t> row;
    for (int x = 0; x < w; ++x) {
      const uint32_t v = px[size_t(y * w + x)];
      if (pack == 1) row.push_back(0);
      row.push_back(uint8_t(v >> 16));
      row.push_back(uint8_t(v >> 8));
      row.push_back(uint8_t(v));
    }
    if (pack == 2) row.resize(size_t(w) * 3);
    data.insert(data.end(), row.begin(), row.end());
  }
  p.Raw(data);
  std::vector<uint8_t> all = p.Done();
  // Only the opcode's data: from the base address to the pixels.
  return std::vector<uint8_t>(all.begin() + 40, all.end() - 2);
}

}  // namespace

TEST(PictInterpreter, RectanglesInTheFiveVerbs) {
  std::vector<uint8_t> pict = Pict(12, 8)
                                  .Op(0x31).Words({1, 1, 3, 5})      // paint
                                  .Op(0x30).Words({4, 1, 7, 5})      // frame
                                  .Op(0x0A).Bytes({0xFF, 0, 0xFF, 0, 0xFF, 0, 0xFF, 0})
                                  .Op(0x34).Words({0, 6, 4, 10})     // fill: stripes
                                  .Op(0x33).Words({6, 8, 8, 12})     // invert
                                  .Done();
  EXPECT_EQ(Play(pict, 12, 8),
            "......####..\n"
            ".####.......\n"
            ".####.####..\n"
            "............\n"
            ".####.......\n"
            ".#..#.......\n"
            ".####...####\n"
            "........####\n");
}

// The reserved shape opcodes of each kind carry the data of their kind's
// shape (a rectangle for 0x35–0x37, 0x45–0x47 and 0x55–0x57, a rectangle
// and two angles for 0x65–0x67; nothing with bit 3 set), which is passed
// over: the rectangle painted after each one lands where it says.
TEST(PictInterpreter, ReservedShapeOpcodesArePassedOverWithTheirData) {
  const std::string painted = "####\n####\n";
  for (const uint16_t reserved : {0x35, 0x36, 0x37, 0x45, 0x47, 0x55, 0x57, 0x65, 0x3D, 0x4F, 0x6D}) {
    Pict pict(4, 2);
    pict.Op(reserved);
    if ((reserved & 8) == 0) pict.Words({0x31, 0x31, 0x31, 0x31});
    if ((reserved & 0xF0) == 0x60) pict.Words({0, 90});
    bool played = false;
    EXPECT_EQ(Play(pict.Op(0x31).Words({0, 0, 2, 4}).Done(), 4, 2, &played), painted)
        << "opcode " << reserved;
    EXPECT_TRUE(played) << "opcode " << reserved;
  }
}

TEST(PictInterpreter, PenSizeLinesAndColours) {
  std::vector<uint8_t> pict = Pict(10, 6)
                                  .Op(0x1A).Words({0xFFFF, 0, 0})
                                  .Op(0x07).Words({2, 2})
                                  .Op(0x20).Words({1, 1, 1, 6})   // 2-wide line to the right
                                  .Op(0x23).Bytes({0, 2})         // and down from there
                                  .Done();
  Canvas canvas(10, 6);
  const RECT rect{0, 0, 10, 6};
  ASSERT_TRUE(PlayPict(canvas.dc(), pict.data(), uint32_t(pict.size()), &rect));
  EXPECT_EQ(canvas.Picture(),
            "..........\n"
            ".#######..\n"
            ".#######..\n"
            "......##..\n"
            "......##..\n"
            "..........\n");
  EXPECT_EQ(canvas.At(1, 1), kRedPx);
}

TEST(PictInterpreter, OvalsPolygonsRegionsAndClip) {
  std::vector<uint8_t> pict =
      Pict(16, 16)
          .Op(0x01).Words({10, 0, 0, 8, 16})            // clip: the top half
          .Op(0x51).Words({0, 0, 16, 16})               // oval, clipped
          .Op(0x01).Words({10, 0, 0, 16, 16})
          .Op(0x71).Words({22, 8, 0, 16, 6, 8, 0, 16, 0, 16, 6})  // triangle, 3 points
          .Op(0x81).Words({10, 12, 12, 16, 16})         // region 12..16
          .Done();
  Canvas canvas(16, 16);
  const RECT rect{0, 0, 16, 16};
  ASSERT_TRUE(PlayPict(canvas.dc(), pict.data(), uint32_t(pict.size()), &rect));
  int bottomOval = 0;
  for (int y = 8; y < 12; ++y)
    for (int x = 6; x < 16; ++x) bottomOval += canvas.At(x, y) != kWhitePx;
  EXPECT_EQ(bottomOval, 0);
  EXPECT_EQ(canvas.At(8, 4), kBlackPx);
  EXPECT_EQ(canvas.At(0, 0), kWhitePx);
  int region = 0;
  for (int y = 12; y < 16; ++y)
    for (int x = 12; x < 16; ++x) region += canvas.At(x, y) == kBlackPx;
  EXPECT_EQ(region, 16);
  EXPECT_EQ(canvas.At(2, 13), kBlackPx);  // inside the triangle
}

TEST(PictInterpreter, ExtendedHeadersGiveTheSourceRectangle) {
  // A 6 x 4 frame whose opcodes are at twice the resolution: source 12 x 8.
  Pict p(6, 4, true);
  std::vector<uint8_t> bytes = p.Done();
  bytes.resize(10);
  const uint8_t header[] = {0x00, 0x11, 0x02, 0xFF, 0x0C, 0x00, 0xFF, 0xFE, 0, 0, 0, 0x90, 0,
                            0,    0,    0x90, 0,    0,    0,    0,    0,    0,    0, 8,  0, 12,
                            0,    0,    0,    0,    0x00, 0x31, 0,    2,    0,    2, 0, 6,  0, 10,
                            0x00, 0xFF};
  bytes.insert(bytes.end(), std::begin(header), std::end(header));
  EXPECT_EQ(Play(bytes, 6, 4), "......\n.####.\n.####.\n......\n");
}

TEST(PictInterpreter, PictureClipsStayInsideTheTarget) {
  // A clip of the whole picture and beyond may not let it draw outside
  // the rectangle it is played into.
  const std::vector<uint8_t> pict = Pict(4, 4)
                                        .Op(0x01).Words({10, -100, -100, 100, 100})
                                        .Op(0x31).Words({-10, -10, 20, 20})
                                        .Done();
  Canvas canvas(8, 8);
  const RECT rect{2, 2, 6, 6};
  ASSERT_TRUE(PlayPict(canvas.dc(), pict.data(), uint32_t(pict.size()), &rect));
  EXPECT_EQ(canvas.Picture(),
            "........\n........\n..####..\n..####..\n..####..\n..####..\n........\n"
            "........\n");
}

TEST(PictInterpreter, PixelPatternsDrawWithTheirOldPattern) {
  Pict p(8, 2);
  // Pen pattern of type 1: old pattern stripes, a 2 x 2 map of row bytes 2
  // (unpacked), a colour table of one entry, 4 bytes of rows.
  p.Op(0x12).Words({1, 0xAAAA, 0xAAAA, 0xAAAA, 0xAAAA, 0x8002, 0, 0, 2, 2});
  for (int i = 0; i < 18; ++i) p.Word(0);
  p.Words({0, 0, 0, 0, 0, 0, 0, 0, 0x0102, 0x0304});
  p.Op(0x31).Words({0, 0, 2, 8});
  EXPECT_EQ(Play(p.Done(), 8, 2), "#.#.#.#.\n#.#.#.#.\n");
}

TEST(PictInterpreter, VersionOnePicturesUseByteOpcodes) {
  std::vector<uint8_t> pict = Pict(6, 4, true).Op(0x31).Words({1, 1, 3, 5}).Done();
  EXPECT_EQ(Play(pict, 6, 4), "......\n.####.\n.####.\n......\n");
  // A one-bit map of 3 x 1 (row bytes 1, odd: no padding follows), then a
  // rectangle right after it.
  std::vector<uint8_t> bits = Pict(6, 4, true)
                                  .Op(0x90).Words({1, 0, 0, 1, 3, 0, 0, 1, 3, 3, 2, 4, 5, 0})
                                  .Bytes({0xA0})
                                  .Op(0x31).Words({2, 0, 4, 1})
                                  .Done();
  EXPECT_EQ(Play(bits, 6, 4), "......\n......\n#.....\n#.#.#.\n");
}

// A map's source rectangle is in the map's own coordinates, which need not
// start at (0, 0).
TEST(PictInterpreter, SourceRectanglesAreInTheMapsOwnCoordinates) {
  for (int16_t top : {0, 10}) {
    const uint16_t t = uint16_t(top), l = uint16_t(top * 2);
    std::vector<uint8_t> bits =
        Pict(6, 4, true)
            .Op(0x90).Words({1, t, l, uint16_t(t + 1), uint16_t(l + 3), t, l, uint16_t(t + 1),
                             uint16_t(l + 3), 3, 2, 4, 5, 0})
            .Bytes({0xA0})
            .Done();
    EXPECT_EQ(Play(bits, 6, 4), "......\n......\n......\n..#.#.\n") << top;
  }
}

TEST(PictInterpreter, DirectPixelMapsOfEveryPacking) {
  const std::vector<uint32_t> px = {0xFF0000, 0x00FF00, 0x0000FF, 0x123456};
  for (int pack : {1, 2}) {
    Pict p(2, 2);
    p.Op(0x9A).Raw(DirectBits(2, 2, pack, px));
    const std::vector<uint8_t> pict = p.Done();
    Canvas canvas(2, 2);
    const RECT rect{0, 0, 2, 2};
    ASSERT_TRUE(PlayPict(canvas.dc(), pict.data(), uint32_t(pict.size()), &rect)) << pack;
    EXPECT_EQ(canvas.At(0, 0), 0xFF0000u) << pack;
    EXPECT_EQ(canvas.At(1, 0), 0x00FF00u) << pack;
    EXPECT_EQ(canvas.At(0, 1), 0x0000FFu) << pack;
    EXPECT_EQ(canvas.At(1, 1), 0x123456u) << pack;
  }
}

TEST(PictInterpreter, IndexedMapsSkipColourValuesBeyondTheTable) {
  // 0x98, 4 x 1 pixels of 8 bits, row bytes 4 (unpacked): values 0 1 2 3.
  Pict p(4, 1);
  p.Op(0x98).Words({0x8004, 0, 0, 1, 4, 0, 0, 0, 0, 0x48, 0, 0x48, 0, 0, 8, 1, 8, 0, 0, 0, 0, 0,
                    0});
  p.Words({0, 0, 0, 3});  // seed, flags, 4 entries
  p.Words({0, 0xFFFF, 0xFFFF, 0xFFFF});
  p.Words({1, 0xFFFF, 0, 0});
  p.Words({300, 0, 0xFFFF, 0});  // no such value: passed over
  p.Words({3, 0, 0, 0xFFFF});
  p.Words({0, 0, 1, 4, 0, 0, 1, 4, 0});
  p.Bytes({0, 1, 2, 3});
  const std::vector<uint8_t> pict = p.Done();
  Canvas canvas(4, 1);
  const RECT rect{0, 0, 4, 1};
  ASSERT_TRUE(PlayPict(canvas.dc(), pict.data(), uint32_t(pict.size()), &rect));
  EXPECT_EQ(canvas.At(0, 0), kWhitePx);
  EXPECT_EQ(canvas.At(1, 0), kRedPx);
  EXPECT_EQ(canvas.At(2, 0), kBlackPx);
  EXPECT_EQ(canvas.At(3, 0), 0x0000FFu);
}

TEST(PictInterpreter, DamagedPicturesKeepWhatWasDrawnOrGiveNothing) {
  const std::vector<uint8_t> good = Pict(6, 4).Op(0x31).Words({1, 1, 3, 5}).Done();
  // The end opcode and half of a second rectangle are missing.
  std::vector<uint8_t> cut =
      Pict(6, 4).Op(0x31).Words({1, 1, 3, 5}).Op(0x31).Words({0, 0, 1, 1}).Done();
  cut.resize(cut.size() - 4);
  std::vector<uint8_t> packOverrun = Pict(6, 4)
                                         .Op(0x31).Words({1, 1, 3, 5})
                                         .Op(0x98)
                                         .Words({0x8008, 0, 0, 1, 8, 0, 0, 0, 0, 0x48, 0, 0x48, 0,
                                                 0, 8, 1, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0})
                                         .Words({0, 0, 1, 8, 0, 0, 1, 8, 0})
                                         .Bytes({3, 0xF0, 0xAA, 0})  // a run of 17 in 8
                                         .Done();
  std::vector<uint8_t> upsideDown = Pict(6, 4)
                                        .Op(0x31).Words({1, 1, 3, 5})
                                        .Op(0x9A)
                                        .Words({0, 0xFF, 0x8008, 4, 0, 0, 2, 0, 4, 0, 0, 0x48, 0,
                                                0x48, 0, 16, 32, 3, 8, 0, 0, 0, 0, 0, 0})
                                        .Done();
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    bool plays;
    int ink;
  };
  const std::vector<Case> cases = {
      {"whole", good, true, 8},
      {"cut short", cut, true, 8},
      {"packbits overrun", packOverrun, true, 8},
      {"bottom above top", upsideDown, true, 8},
      {"nine bytes", std::vector<uint8_t>(good.begin(), good.begin() + 9), false, 0},
      {"empty frame", Pict(0, 4).Op(0x31).Words({1, 1, 3, 5}).Done(), false, 0},
      {"unknown opcode first", Pict(6, 4).Op(0x0065).Done(), false, 0},
      {"comment longer than the picture",
       Pict(6, 4).Op(0x31).Words({1, 1, 3, 5}).Op(0xA1).Words({100, 0xFFFF, 1}).Done(), true, 8},
      {"long data past the end",
       Pict(6, 4).Op(0x31).Words({1, 1, 3, 5}).Op(0x8201).Words({0xFFFF, 0xFFFF}).Done(), true,
       8},
      {"frame past the largest", Pict(20000, 4).Op(0x31).Words({1, 1, 3, 5}).Done(), false, 0},
  };
  for (const Case& c : cases) {
    Canvas canvas(6, 4);
    const RECT rect{0, 0, 6, 4};
    EXPECT_EQ(PlayPict(canvas.dc(), c.bytes.data(), uint32_t(c.bytes.size()), &rect), c.plays)
        << c.what;
    EXPECT_EQ(24 - canvas.Count(kWhitePx), c.ink) << c.what;
    HENHMETAFILE emf = PictToEnhMetaFile(c.bytes.data(), uint32_t(c.bytes.size()));
    EXPECT_EQ(emf != nullptr, c.plays) << c.what;
    if (emf != nullptr) DeleteEnhMetaFile(emf);
  }
  EXPECT_FALSE(PlayPict(nullptr, good.data(), uint32_t(good.size()), nullptr));
  EXPECT_EQ(PictToEnhMetaFile(nullptr, 100), nullptr);
}

TEST(PictInterpreter, TheMetafileHasThePicturesFrameAndPixels) {
  const std::vector<uint8_t> pict = Pict(6, 4).Op(0x31).Words({1, 1, 3, 5}).Done();
  HENHMETAFILE emf = PictToEnhMetaFile(pict.data(), uint32_t(pict.size()));
  ASSERT_NE(emf, nullptr);
  Canvas canvas(6, 4);
  const RECT rect{0, 0, 6, 4};
  ASSERT_TRUE(PlayEnhMetaFile(canvas.dc(), emf, &rect));
  EXPECT_EQ(canvas.Picture(), "......\n.####.\n.####.\n......\n");
  DeleteEnhMetaFile(emf);
}

namespace {

std::vector<uint8_t> EncodeJpeg(int w, int h, uint8_t r, uint8_t g, uint8_t b) {
  jpeg_compress_struct info{};
  jpeg_error_mgr error{};
  info.err = jpeg_std_error(&error);
  jpeg_create_compress(&info);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &out, &size);
  info.image_width = JDIMENSION(w);
  info.image_height = JDIMENSION(h);
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 100, TRUE);
  jpeg_start_compress(&info, TRUE);
  std::vector<uint8_t> row(size_t(w) * 3);
  for (int x = 0; x < w; ++x) {
    row[size_t(x) * 3] = r;
    row[size_t(x) * 3 + 1] = g;
    row[size_t(x) * 3 + 2] = b;
  }
  while (info.next_scanline < info.image_height) {
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  std::vector<uint8_t> bytes(out, out + size);
  jpeg_destroy_compress(&info);
  free(out);
  return bytes;
}

}  // namespace

TEST(PictInterpreter, JpegDataIsDrawnIntoItsRectangle) {
  const std::vector<uint8_t> jpeg = EncodeJpeg(8, 8, 255, 0, 0);
  // Matrix: identity moved by (4, 2).
  std::vector<uint8_t> data;
  auto word = [&](uint32_t v) {
    data.push_back(uint8_t(v >> 8));
    data.push_back(uint8_t(v));
  };
  auto dword = [&](uint32_t v) {
    word(v >> 16);
    word(v);
  };
  word(0);
  const uint32_t matrix[9] = {0x10000, 0, 0, 0, 0x10000, 0, 4 << 16, 2 << 16, 0x40000000};
  for (uint32_t m : matrix) dword(m);
  dword(0);  // matte size
  for (int i = 0; i < 4; ++i) word(0);
  word(0);   // mode
  for (int v : {0, 0, 8, 8}) word(uint16_t(v));
  dword(0);  // accuracy
  dword(0);  // mask size
  // Image description of 86 bytes: size, codec, ..., data size at 44.
  std::vector<uint8_t> description(86, 0);
  description[3] = 86;
  description[4] = 'j';
  description[5] = 'p';
  description[6] = 'e';
  description[7] = 'g';
  description[44] = uint8_t(jpeg.size() >> 24);
  description[45] = uint8_t(jpeg.size() >> 16);
  description[46] = uint8_t(jpeg.size() >> 8);
  description[47] = uint8_t(jpeg.size());
  data.insert(data.end(), description.begin(), description.end());
  data.insert(data.end(), jpeg.begin(), jpeg.end());
  Pict p(16, 12);
  p.Op(0x8200).Words({int(data.size() >> 16), int(data.size() & 0xFFFF)}).Raw(data);
  const std::vector<uint8_t> pict = p.Done();
  Canvas canvas(16, 12);
  const RECT rect{0, 0, 16, 12};
  ASSERT_TRUE(PlayPict(canvas.dc(), pict.data(), uint32_t(pict.size()), &rect));
  EXPECT_EQ(canvas.At(4, 2) & 0xF00000, 0xF00000u);
  EXPECT_EQ(canvas.At(11, 9) & 0xF00000, 0xF00000u);
  EXPECT_EQ(canvas.At(3, 2), kWhitePx);
  EXPECT_EQ(canvas.At(12, 9), kWhitePx);
  // Damaged JPEG data draws nothing: the picture then has nothing to show.
  std::vector<uint8_t> bad = pict;
  for (size_t i = bad.size() - jpeg.size() / 2; i < bad.size() - 4; ++i) bad[i] = 0;
  bool played = true;
  const std::string picture = Play(bad, 16, 12, &played);
  EXPECT_FALSE(played);
  EXPECT_EQ(picture.find('#'), std::string::npos);
}
