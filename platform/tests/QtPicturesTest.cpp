#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>

#include "platform/quicktime/QtPictures.h"

namespace {

// A 5 x 3 picture of gentle gradients (so that JPEG keeps them closely):
// red rises along x, green along y, blue stays low.
QtRaster Sample() {
  QtRaster r;
  r.width = 5;
  r.height = 3;
  r.pixels.assign(5 * 3 * 4, 0);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 5; ++x) {
      uint8_t* p = &r.pixels[(y * 5 + x) * 4];
      p[0] = 40;
      p[1] = uint8_t(100 + y * 20);
      p[2] = uint8_t(160 + x * 20);
    }
  }
  return r;
}

void ExpectNear(const QtRaster& a, const QtRaster& b, int tolerance) {
  ASSERT_EQ(a.width, b.width);
  ASSERT_EQ(a.height, b.height);
  for (size_t i = 0; i < a.pixels.size(); ++i) {
    if (i % 4 == 3) continue;
    ASSERT_NEAR(a.pixels[i], b.pixels[i], tolerance) << "byte " << i;
  }
}

TEST(QtPictures, EachFormatRoundTripsThroughPict) {
  const QtRaster sample = Sample();
  const std::vector<uint8_t> pict = QtWritePict(sample);
  ASSERT_FALSE(pict.empty());
  struct Case {
    uint32_t type;
    int tolerance;
  };
  for (const Case c : {Case{kQtTypeBmp, 0}, Case{kQtTypePng, 0}, Case{kQtTypeJpeg, 16},
                       Case{kQtTypePict, 0}}) {
    SCOPED_TRACE(c.type);
    std::vector<uint8_t> exported;
    ASSERT_EQ(QtExportData(pict.data(), pict.size(), c.type, exported), kQtNoErr);
    std::vector<uint8_t> back;
    ASSERT_EQ(QtImportData(exported.data(), exported.size(), c.type, back), kQtNoErr);
    QtRaster played;
    ASSERT_EQ(QtReadPict(back.data(), back.size(), played), kQtNoErr);
    ExpectNear(played, sample, c.tolerance);
  }
}

TEST(QtPictures, BmpWrittenBottomUpWithPaddedRows) {
  const std::vector<uint8_t> bmp = QtWriteBmp(Sample());
  // 5 pixels of 3 bytes are padded to 16 bytes a row.
  ASSERT_EQ(bmp.size(), 54u + 16 * 3);
  EXPECT_EQ(bmp[28], 24);
  // The first stored row is the bottom one: green 140, red 160 at x = 0.
  EXPECT_EQ(bmp[54 + 1], 140);
  EXPECT_EQ(bmp[54 + 2], 160);
  EXPECT_EQ(bmp[54 + 16 + 1], 120);
}

TEST(QtPictures, BadOrTruncatedDataIsRefused) {
  const std::vector<uint8_t> bmp = QtWriteBmp(Sample());
  const std::vector<uint8_t> png = QtWritePng(Sample());
  const std::vector<uint8_t> jpeg = QtWriteJpeg(Sample(), 80);
  std::vector<uint8_t> noSoi = jpeg;
  noSoi[1] = 0x00;
  std::vector<uint8_t> huge = bmp;
  huge[18] = 0xFF;  // width far beyond the stored rows
  huge[19] = 0x3F;
  std::vector<uint8_t> paletteBeyond = bmp;
  paletteBeyond[28] = 8;  // 8 bits a pixel: a colour table of 256 that is not there
  std::vector<uint8_t> wrongTag = bmp;
  wrongTag[1] = 'X';
  std::vector<uint8_t> bigEndian = bmp;  // the header size 40 written the other way round
  bigEndian[14] = 0;
  bigEndian[17] = 40;
  std::vector<uint8_t> pixelsPastEnd = bmp;
  pixelsPastEnd[11] = 0x10;  // the pixels said to start 4 KB in
  struct Case {
    const char* name;
    uint32_t type;
    std::vector<uint8_t> bytes;
  };
  const Case cases[] = {
      {"bmp truncated", kQtTypeBmp, {bmp.begin(), bmp.end() - 10}},
      {"bmp header only", kQtTypeBmp, {bmp.begin(), bmp.begin() + 30}},
      {"bmp too wide", kQtTypeBmp, huge},
      {"bmp palette beyond", kQtTypeBmp, paletteBeyond},
      {"bmp wrong tag", kQtTypeBmp, wrongTag},
      {"bmp header big-endian", kQtTypeBmp, bigEndian},
      {"bmp pixels past the end", kQtTypeBmp, pixelsPastEnd},
      {"png truncated", kQtTypePng, {png.begin(), png.begin() + png.size() / 2}},
      {"jpeg without start of image", kQtTypeJpeg, noSoi},
      {"jpeg of two bytes", kQtTypeJpeg, {0xFF, 0xD8}},
      {"pict of a few bytes", kQtTypePict, {0, 12, 0, 0}},
      {"empty", kQtTypeBmp, {}},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> pict{1, 2, 3};
    EXPECT_NE(QtImportData(c.bytes.data(), c.bytes.size(), c.type, pict), kQtNoErr) << c.name;
    EXPECT_TRUE(pict.empty()) << c.name;
  }
  std::vector<uint8_t> pict;
  EXPECT_EQ(QtImportData(bmp.data(), bmp.size(), QtFourChar("TIFF"), pict), kQtNoHandler);
}

TEST(QtPictures, FilesAreKnownByTheirFirstBytes) {
  const std::vector<uint8_t> pict = QtWritePict(Sample());
  const std::string base = ::testing::TempDir() + "qt_pictures_";
  for (uint32_t type : {kQtTypeBmp, kQtTypePng, kQtTypeJpeg, kQtTypePict}) {
    const std::string path = base + std::to_string(type);
    ASSERT_EQ(QtExportFile(pict.data(), pict.size(), type, path), kQtNoErr);
    std::vector<uint8_t> back;
    ASSERT_EQ(QtImportFile(path, back), kQtNoErr) << type;
    QtRaster played;
    ASSERT_EQ(QtReadPict(back.data(), back.size(), played), kQtNoErr);
    EXPECT_EQ(played.width, 5);
    std::remove(path.c_str());
  }
  std::vector<uint8_t> back;
  EXPECT_EQ(QtImportFile(base + "missing", back), kQtFileNotFound);
}

TEST(QtPictures, ComponentListsNameEachFormat) {
  const auto importers = QtListComponents(kQtImporter);
  ASSERT_EQ(importers.size(), 4u);
  EXPECT_EQ(importers[0].subtype, kQtTypeJpeg);
  EXPECT_EQ(importers[0].extension, QtFourChar("jpg "));
  EXPECT_EQ(QtListComponents(kQtExporter).size(), 4u);
  EXPECT_TRUE(QtListComponents(QtFourChar("abcd")).empty());
}

}  // namespace
