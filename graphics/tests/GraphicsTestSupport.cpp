// The graphics test environment, canvases, printers and reference images.
#include "graphics/tests/GraphicsTestSupport.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "framework/core/intl/VIntlMgr.h"
#include "graphics/VGraphicsStart.h"
#include "boundary/ModuleExports.h"
#include "platform/gdi/GdiExtra.h"
#include "platform/gdi/GdiSnapshot.h"
#include "platform/toolbox/TbxResources.h"

#ifndef QV_RESOURCE_FILE
#error "the tests need the compiled resource file (QV_RESOURCE_FILE)"
#endif

namespace {

// Opens the module's resource file as the host does, so that the
// international tables load, and starts the graphics layer.
class GraphicsEnvironment : public testing::Environment {
 public:
  void SetUp() override {
    const std::string path = QV_RESOURCE_FILE;
    uint8_t pascal[256];
    ASSERT_LT(path.size(), 256u);
    pascal[0] = static_cast<uint8_t>(path.size());
    std::memcpy(pascal + 1, path.data(), path.size());
    fPrevious = Tbx::CurResFile();
    fFile = Tbx::OpenResFile(pascal);
    ASSERT_GE(fFile, 0) << "cannot open " << path;
    Tbx::SetResFileSwapProc(fFile, &SwapRsrcProc);
    Tbx::UseResFile(fFile);
    StartIntl();
    InitGraphics();
  }
  void TearDown() override {
    ExitGraphics();
    delete gIntlMgr;
    gIntlMgr = nullptr;
    if (fFile >= 0) Tbx::CloseResFile(fFile);
    if (fPrevious >= 0) Tbx::UseResFile(fPrevious);
  }

 private:
  int16_t fFile = -1;
  int16_t fPrevious = -1;
};

[[maybe_unused]] testing::Environment* const gEnvironment =
    testing::AddGlobalTestEnvironment(new GraphicsEnvironment());

}  // namespace

Canvas::Canvas(int32_t width, int32_t height, COLORREF fill) : fWidth(width), fHeight(height) {
  fDC = CreateCompatibleDC(nullptr);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  fBitmap = CreateDIBSection(fDC, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  fBits = static_cast<uint32_t*>(bits);
  fDisplaced = SelectObject(fDC, fBitmap);
  Fill(fill);
}

Canvas::~Canvas() {
  SelectObject(fDC, fDisplaced);
  DeleteObject(fBitmap);
  DeleteDC(fDC);
}

COLORREF Canvas::Pixel(int32_t x, int32_t y) const {
  if (x < 0 || y < 0 || x >= fWidth || y >= fHeight || fBits == nullptr) return 0xFFFFFFFFu;
  const uint32_t v = fBits[size_t(y) * fWidth + x];
  return RGB(uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v));
}

void Canvas::SetPixelValue(int32_t x, int32_t y, COLORREF color) {
  if (x < 0 || y < 0 || x >= fWidth || y >= fHeight || fBits == nullptr) return;
  fBits[size_t(y) * fWidth + x] =
      (uint32_t{GetRValue(color)} << 16) | (uint32_t{GetGValue(color)} << 8) | GetBValue(color);
}

int32_t Canvas::Count(COLORREF color, int32_t x, int32_t y, int32_t w, int32_t h) const {
  int32_t n = 0;
  for (int32_t j = y; j < y + h; ++j) {
    for (int32_t i = x; i < x + w; ++i) n += Pixel(i, j) == color;
  }
  return n;
}

RECT Canvas::InkBox(COLORREF background) const {
  RECT box{fWidth, fHeight, 0, 0};
  for (int32_t y = 0; y < fHeight; ++y) {
    for (int32_t x = 0; x < fWidth; ++x) {
      if (Pixel(x, y) == background) continue;
      box.left = std::min<LONG>(box.left, x);
      box.top = std::min<LONG>(box.top, y);
      box.right = std::max<LONG>(box.right, x + 1);
      box.bottom = std::max<LONG>(box.bottom, y + 1);
    }
  }
  if (box.right <= box.left) box = RECT{0, 0, 0, 0};
  return box;
}

std::vector<uint32_t> Canvas::Pixels() const {
  std::vector<uint32_t> out(size_t(fWidth) * fHeight);
  for (size_t i = 0; i < out.size(); ++i) out[i] = fBits[i] & 0xFFFFFF;
  return out;
}

void Canvas::Fill(COLORREF color) {
  for (int32_t y = 0; y < fHeight; ++y) {
    for (int32_t x = 0; x < fWidth; ++x) SetPixelValue(x, y, color);
  }
}

void Canvas::FillNoise() {
  for (int32_t y = 0; y < fHeight; ++y) {
    for (int32_t x = 0; x < fWidth; ++x) {
      const uint32_t v = uint32_t(x * 2654435761u) ^ uint32_t(y * 40503u + 0x9E37);
      SetPixelValue(x, y, v & 0xFFFFFF);
    }
  }
}

HDC NewPrinterInfoDC(int32_t dotsPerInch) {
  const std::string name = "Test printer " + std::to_string(dotsPerInch);
  GdiExtraAddPrinter(name.c_str(), dotsPerInch, dotsPerInch, dotsPerInch * 8, dotsPerInch * 10,
                     -1);
  return CreateICA("winspool", name.c_str(), nullptr, nullptr);
}

void ExpectMatchesReference(const Canvas& canvas, const std::string& name) {
  const std::filesystem::path reference =
      std::filesystem::path(__FILE__).parent_path() / "data" / (name + ".png");
  const char* regenerate = std::getenv("QV_REGENERATE_REFERENCES");
  if (regenerate != nullptr && std::string(regenerate) == "1") {
    std::filesystem::create_directories(reference.parent_path());
    ASSERT_TRUE(GdiWritePng(canvas.dc(), reference.c_str()));
    GTEST_SKIP() << "reference rewritten: " << reference;
  }
  HBITMAP expected = GdiReadPng(reference.c_str());
  ASSERT_NE(expected, nullptr) << "missing reference " << reference
                               << " (run with QV_REGENERATE_REFERENCES=1 to make it)";
  DIBSECTION section{};
  ASSERT_EQ(GetObjectA(expected, sizeof(section), &section), static_cast<int>(sizeof(section)));
  ASSERT_EQ(section.dsBm.bmWidth, canvas.width());
  ASSERT_EQ(section.dsBm.bmHeight, canvas.height());
  const auto* bits = static_cast<const uint32_t*>(section.dsBm.bmBits);
  const std::vector<uint32_t> drawn = canvas.Pixels();
  int32_t differing = 0;
  for (size_t i = 0; i < drawn.size(); ++i) differing += drawn[i] != (bits[i] & 0xFFFFFF);
  EXPECT_EQ(differing, 0) << "drawing differs from " << reference;
  DeleteObject(expected);
}
