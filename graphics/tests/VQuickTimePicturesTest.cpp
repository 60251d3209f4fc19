#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "framework/system/environment/VEnvironmentLinks.h"
#include "graphics/VGraphicsEnvironmentLink.h"
#include "graphics/VGraphicsStart.h"
#include "graphics/pictures/VPictPictureData.h"
#include "graphics/pictures/VQuickTimePictures.h"
#include "platform/quicktime/QtPictures.h"

namespace {

// A 4 x 3 BMP of one colour, through the library's own writer.
std::vector<uint8_t> SampleBmp() {
  QtRaster r;
  r.width = 4;
  r.height = 3;
  for (int i = 0; i < 12; ++i) r.pixels.insert(r.pixels.end(), {30, 120, 210, 0});
  return QtWriteBmp(r);
}

class PictureServices : public ::testing::Test {
 protected:
  void SetUp() override { StartPictureServices(); }
  void TearDown() override { StopPictureServices(); }
};

TEST(PictureQuality, RequestsFallOnTheCodecSteps) {
  const std::pair<int32_t, int32_t> cases[] = {
      {2000, 1024}, {1024, 1024}, {1023, 1023}, {1022, 768}, {1000, 768}, {768, 768},
      {767, 512},   {512, 512},   {511, 256},   {256, 256},  {255, 0},    {0, 0}, {-7, 0}};
  for (const auto& [quality, step] : cases) EXPECT_EQ(CodecQualityStep(quality), step) << quality;
}

TEST(PictureServicesStopped, EveryOperationIsInert) {
  ASSERT_EQ(HasQuickTime(), 0u);
  EXPECT_FALSE(GraphicsEnvironmentLink()->PictureLibraryStarted());
  const std::vector<uint8_t> bmp = SampleBmp();
  int32_t error = 0;
  EXPECT_TRUE(ImportPictureData(bmp.data(), uint32_t(bmp.size()), kQtTypeBmp, error).empty());
  EXPECT_EQ(error, kImportFailed);
  EXPECT_TRUE(ListGraphicsComponents(kQtImporter).empty());
  VPictPictureData picture;
  picture.SetFromImportedData(bmp.data(), uint32_t(bmp.size()), 100);
  EXPECT_FALSE(picture.HasData());
  EXPECT_EQ(picture.GetLastError(), kImportFailed);
}

TEST_F(PictureServices, StartedWithVersionFourAndItsComponents) {
  EXPECT_EQ(HasQuickTime(), 0x04000000u);
  EXPECT_TRUE(GraphicsEnvironmentLink()->PictureLibraryStarted());
  for (uint32_t type : {kQtImporter, kQtExporter}) {
    const auto list = ListGraphicsComponents(type);
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[1]->fType, type);
    EXPECT_EQ(list[1]->fFileType, kQtTypePng);
    EXPECT_EQ(list[1]->fCreator, QtFourChar("ogle"));
  }
}

TEST_F(PictureServices, ImportedDataKeepsItsHeaderInNativeOrder) {
  const std::vector<uint8_t> bmp = SampleBmp();
  std::vector<uint8_t> noSoi = QtWriteJpeg(QtRaster{4, 3, std::vector<uint8_t>(48, 90)}, 80);
  noSoi[0] = 0;
  struct Case {
    const char* name;
    int32_t kind;
    std::vector<uint8_t> bytes;
    int32_t error;
  };
  const Case cases[] = {
      {"bmp", 100, bmp, 0},
      {"kind without a file type", 2, bmp, kImportFailed},
      {"bmp declared as png", 107, bmp, kImportFailed},
      {"jpeg without start of image", 103, noSoi, kImportFailed},
  };
  for (const Case& c : cases) {
    VPictPictureData picture;
    picture.SetFromImportedData(c.bytes.data(), uint32_t(c.bytes.size()), c.kind);
    EXPECT_EQ(picture.GetLastError(), c.error) << c.name;
    EXPECT_EQ(picture.HasData(), c.error == 0) << c.name;
    if (c.error == 0) {
      EXPECT_EQ(picture.GetWidth(), 4);
      EXPECT_EQ(picture.GetHeight(), 3);
    }
  }
}

TEST_F(PictureServices, ExportedFilesReadBackAsTheSamePicture) {
  const std::vector<uint8_t> bmp = SampleBmp();
  VPictPictureData source;
  source.SetFromImportedData(bmp.data(), uint32_t(bmp.size()), 100);
  ASSERT_TRUE(source.HasData());
  const std::string base = ::testing::TempDir() + "qv_picture_export";
  for (uint32_t type : {kQtTypeJpeg, kQtTypePng, kQtTypeBmp, kQtTypePict}) {
    const std::string path = base + std::to_string(type);
    std::string written;
    ASSERT_EQ(ExportPictureFile(path, source, type, false, false, &written), 0) << type;
    EXPECT_EQ(written, path);
    VPictPictureData back;
    back.SetFromFile(path);
    EXPECT_EQ(back.GetLastError(), 0) << type;
    EXPECT_EQ(back.GetWidth(), 4) << type;
    EXPECT_EQ(back.GetHeight(), 3) << type;
    std::remove(path.c_str());
  }
  // A file to be chosen by the user is cancelled and nothing is written.
  const std::string asked = base + "-asked";
  EXPECT_EQ(ExportPictureFile(asked, source, kQtTypePng, false, true, nullptr), kExportCancelled);
  EXPECT_FALSE(std::ifstream(asked).good());
  // An empty picture cannot be exported; a missing file cannot be read.
  EXPECT_EQ(ExportPictureFile(asked, VPictPictureData(), kQtTypePng, false, false, nullptr),
            kQtNoMemory);
  VPictPictureData missing;
  missing.SetFromFile(base + "-missing");
  EXPECT_FALSE(missing.HasData());
  EXPECT_EQ(missing.GetLastError(), kImportFailed);
}

}  // namespace
