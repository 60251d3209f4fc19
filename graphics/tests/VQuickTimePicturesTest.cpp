#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "framework/system/environment/VEnvironmentLinks.h"
#include "graphics/VGraphicsEnvironmentLink.h"
#include "graphics/VGraphicsStart.h"
#include "graphics/pictures/VPictPictureData.h"
#include "graphics/pictures/VPictureShape.h"
#include "graphics/pictures/VQuickTimePictures.h"
#include "platform/quicktime/QtPictures.h"
#include "platform/toolbox/TbxEnvironment.h"
#include "platform/win32/WinFileDialogs.h"
#include "platform/win32/WinProcess.h"

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

// "-s" before the first double quote of the command line keeps the library
// off on Windows 5.1 only; the emulation is then told once, with 0.
TEST(PictureServicesStart, TheCommandLineSwitchHoldsOnlyOnWindows51) {
  struct Case {
    const char* line;
    DWORD major, minor;
    bool started;
  };
  const Case cases[] = {
      {"\"host -s\" doc", 5, 1, false}, {"host -s doc", 5, 1, false},
      {"\"host\" -s doc", 5, 1, true},  {"host -s", 10, 0, true},
      {"host -s", 5, 2, true},          {"-s", 5, 1, true},
      {"", 5, 1, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    SetHeadlessCommandLine(c.line);
    SetHeadlessVersion(c.major, c.minor);
    int32_t last = -1;
    const int32_t before = Tbx::CountEmulatorCall3028(nullptr);
    StartPictureServices();
    EXPECT_EQ(HasQuickTime() != 0, c.started);
    EXPECT_EQ(Tbx::CountEmulatorCall3028(&last) - before, c.started ? 0 : 1);
    if (!c.started) {
      EXPECT_EQ(last, 0);
    }
    StopPictureServices();
  }
  SetHeadlessCommandLine(nullptr);
  SetHeadlessVersion(10, 0);
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
  // A file to be chosen by the user: without an answer nothing is written.
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

namespace {

std::vector<uint8_t> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// Where the compressed-data opcode's 32-bit length lies in a file the
// library compressed, and where its JPEG starts.
size_t FindBytes(const std::vector<uint8_t>& bytes, std::initializer_list<uint8_t> what) {
  return size_t(std::search(bytes.begin(), bytes.end(), what.begin(), what.end()) - bytes.begin());
}

TEST_F(PictureServices, PictureFileBecomesAJpegFile) {
  const std::string base = ::testing::TempDir() + "qv_convert";
  WriteAll(base + ".bmp", SampleBmp());
  ASSERT_EQ(ConvertPictureFileToJpeg(base + ".bmp", base + ".pct", 1000, false), 0);
  EXPECT_FALSE(std::ifstream(base + ".pct").good());
  const std::vector<uint8_t> jpeg = ReadAll(base + ".jpg");
  QtRaster raster;
  ASSERT_EQ(QtReadJpeg(jpeg.data(), jpeg.size(), raster), kQtNoErr);
  EXPECT_EQ(raster.width, 4);
  EXPECT_EQ(raster.height, 3);
  EXPECT_NEAR(raster.pixels[2], 210, 8);
  std::remove((base + ".bmp").c_str());
  std::remove((base + ".jpg").c_str());
}

TEST_F(PictureServices, CompressedPictPlaysItsJpeg) {
  const std::string base = ::testing::TempDir() + "qv_compressed";
  WriteAll(base + ".bmp", SampleBmp());
  ASSERT_EQ(QtCompressPictureFile(base + ".bmp", base + ".pct", QtFourChar("jpeg"), 768), 0);
  const std::vector<uint8_t> pict = ReadAll(base + ".pct");
  QtRaster raster;
  ASSERT_EQ(QtReadPict(pict.data(), pict.size(), raster), kQtNoErr);
  ASSERT_EQ(raster.width, 4);
  EXPECT_NEAR(raster.pixels[0], 30, 8);
  EXPECT_NEAR(raster.pixels[1], 120, 8);
  EXPECT_NEAR(raster.pixels[2], 210, 8);
  std::remove((base + ".bmp").c_str());
  std::remove((base + ".pct").c_str());
}

TEST_F(PictureServices, JpegThatCannotBeFoundLeavesTheFile) {
  const std::string base = ::testing::TempDir() + "qv_extract";
  WriteAll(base + ".bmp", SampleBmp());
  ASSERT_EQ(QtCompressPictureFile(base + ".bmp", base + ".pct", QtFourChar("jpeg"), 512), 0);
  const std::vector<uint8_t> good = ReadAll(base + ".pct");
  const size_t opcode = FindBytes(good, {0x82, 0x00, 0x00});
  const size_t soi = FindBytes(good, {0xFF, 0xD8, 0xFF});
  ASSERT_LT(soi, good.size());
  const auto withLength = [&](uint32_t length) {
    std::vector<uint8_t> b = good;
    for (int i = 0; i < 4; ++i) b[opcode + 2 + i] = uint8_t(length >> (24 - 8 * i));
    return b;
  };
  std::vector<uint8_t> noSoi = good;
  noSoi[soi + 1] = 0x00;
  std::vector<uint8_t> plain(512, 0);
  const std::vector<uint8_t> plainPict = QtWritePict(QtRaster{2, 2, std::vector<uint8_t>(16, 0)});
  plain.insert(plain.end(), plainPict.begin(), plainPict.end());
  const struct {
    const char* name;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {"no start of image", noSoi},
      {"length beyond the file", withLength(uint32_t(good.size()))},
      {"start of image past the opcode's data", withLength(uint32_t(soi - opcode - 6))},
      {"no compressed data", plain},
      {"truncated before the opcode", {good.begin(), good.begin() + long(opcode)}},
      {"truncated inside the length word", {good.begin(), good.begin() + long(opcode) + 4}},
      {"length shorter than the image description", withLength(10)},
  };
  for (const auto& c : cases) {
    WriteAll(base + ".pct", c.bytes);
    std::string renamed;
    EXPECT_EQ(ExtractJpegFromPictFile(base + ".pct", &renamed), -43) << c.name;
    EXPECT_EQ(ReadAll(base + ".pct"), c.bytes) << c.name;
    EXPECT_FALSE(std::ifstream(base + ".jpg").good()) << c.name;
  }
  std::remove((base + ".bmp").c_str());
  std::remove((base + ".pct").c_str());
}

}  // namespace

namespace {

TEST_F(PictureServices, CompressedShapeKeepsAQuickTimePicture) {
  const std::vector<uint8_t> bmp = SampleBmp();
  auto* pict = new VPictPictureData();
  pict->SetFromImportedData(bmp.data(), uint32_t(bmp.size()), 100);
  const VPictureShape source(pict);
  VPictureShape target(new VPictPictureData());
  VQTCompressionRecord compression;
  compression.codecType = QtFourChar("jpeg");
  compression.quality = 1000;
  ASSERT_EQ(CompressPicture(source, target, compression), 0);
  ASSERT_NE(target.GetPicture(), nullptr);
  EXPECT_EQ(target.GetPicture()->GetPictureKind(), kPictureKindQuickTime);
  EXPECT_EQ(target.GetPicture()->GetWidth(), 4);
  EXPECT_EQ(target.GetPicture()->GetHeight(), 3);

  // Nothing to compress, or a codec the library lacks: the target is kept.
  const VPictureData* kept = target.GetPicture();
  const VPictureShape empty(new VPictPictureData());
  EXPECT_NE(CompressPicture(empty, target, compression), 0);
  compression.codecType = QtFourChar("rle ");
  EXPECT_EQ(CompressPicture(source, target, compression), kQtNoHandler);
  EXPECT_EQ(target.GetPicture(), kept);
}

}  // namespace

namespace {

void ChoosePath(int32_t, const void*, HeadlessChooserAnswer* answer, void* context) {
  answer->action = kHeadlessAccept;
  std::snprintf(answer->path, sizeof answer->path, "%s", static_cast<const char*>(context));
}

TEST_F(PictureServices, ChosenFilesAreWrittenAndOffered) {
  const std::vector<uint8_t> bmp = SampleBmp();
  VPictPictureData source;
  source.SetFromImportedData(bmp.data(), uint32_t(bmp.size()), 100);
  const std::string chosen = ::testing::TempDir() + "qv_chosen.png";
  SetHeadlessChooserProvider(&ChoosePath, const_cast<char*>(chosen.c_str()));
  std::string written;
  EXPECT_EQ(ExportPictureFile("", source, kQtTypePng, false, true, &written), 0);
  EXPECT_EQ(written, chosen);
  EXPECT_EQ(ChoosePictureFile(), chosen);
  SetHeadlessChooserProvider(nullptr, nullptr);
  VPictPictureData back;
  back.SetFromFile(chosen);
  EXPECT_EQ(back.GetWidth(), 4);
  EXPECT_EQ(ChoosePictureFile(), "");
  std::remove(chosen.c_str());
}

}  // namespace
