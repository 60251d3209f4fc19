// Tests of the page preview: the recorded picture played onto a bitmap shows
// the page frame and shadow, the header, column and footer bands, the column
// lines and the binding strip on the binding side.
#include <gtest/gtest.h>

#include <memory>

#include "document/tests/DocumentTestSupport.h"
#include "document/xMorvaDocParams.h"
#include "graphics/pictures/VEmfPictureData.h"
#include "platform/gdi/WinGdi.h"
#include "platform/gdi/WinGdiMetafile.h"

namespace {

constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kBandGrey = 0x999999;    // the band lines
constexpr uint32_t kBindingGrey = 0x808080;  // the binding strip's pattern

// A white 32-bit bitmap that a picture is played onto.
class Bitmap {
 public:
  Bitmap(int32_t width, int32_t height) : fWidth(width), fHeight(height) {
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
    for (int32_t i = 0; i < width * height; ++i) fBits[i] = kWhite;
  }
  ~Bitmap() {
    SelectObject(fDC, fDisplaced);
    DeleteObject(fBitmap);
    DeleteDC(fDC);
  }
  bool Play(HENHMETAFILE picture) {
    const RECT rect{0, 0, fWidth, fHeight};
    return PlayEnhMetaFile(fDC, picture, &rect);
  }
  uint32_t At(int32_t x, int32_t y) const { return fBits[y * fWidth + x] & 0xFFFFFF; }
  int32_t CountInColumn(int32_t x, int32_t y1, int32_t y2, uint32_t colour) const {
    int32_t n = 0;
    for (int32_t y = y1; y < y2; ++y) n += At(x, y) == colour;
    return n;
  }
  int32_t CountInBox(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour) const {
    int32_t n = 0;
    for (int32_t x = x1; x < x2; ++x) n += CountInColumn(x, y1, y2, colour);
    return n;
  }

 private:
  int32_t fWidth, fHeight;
  HDC fDC = nullptr;
  HBITMAP fBitmap = nullptr;
  HGDIOBJ fDisplaced = nullptr;
  uint32_t* fBits = nullptr;
};

// A 600 x 800 page at 96 dpi shown at a fifth of its size: 120 x 160 and
// the shadow.
xMorvaDocParams PreviewPage() {
  xMorvaDocParams params;
  params.SetPageSize(600, 800);
  params.SetDefaults();
  params.SetViewFlag(3, 0);
  return params;
}

void Play(const xMorvaDocParams& params, Bitmap& bitmap, int32_t width, int32_t height) {
  std::unique_ptr<VEmfPictureData> picture(params.DrawPagePreview(width, height));
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(picture->GetPictureKind(), kPictureKindEMF);
  ASSERT_TRUE(bitmap.Play(picture->GetMetafile()));
}

}  // namespace

TEST(DocParamsPreview, FramesThePageWithAShadowRightAndBelow) {
  ScopedResolution dpi(96);
  const xMorvaDocParams params = PreviewPage();
  Bitmap bitmap(121, 161);
  Play(params, bitmap, 121, 161);
  EXPECT_EQ(bitmap.At(0, 0), kBlack);
  EXPECT_EQ(bitmap.At(119, 80), kBlack);   // right side of the frame
  EXPECT_EQ(bitmap.At(120, 80), kBlack);   // the shadow beside it
  EXPECT_EQ(bitmap.At(60, 159), kBlack);   // bottom side
  EXPECT_EQ(bitmap.At(60, 160), kBlack);   // the shadow below
  EXPECT_EQ(bitmap.At(120, 0), kWhite);    // the shadow is shifted down by one
  EXPECT_EQ(bitmap.At(5, 5), kWhite);      // the margin is erased
}

TEST(DocParamsPreview, DrawsHeaderColumnAndFooterBandsAsLinesEveryTwoPixels) {
  ScopedResolution dpi(96);
  const xMorvaDocParams params = PreviewPage();
  Bitmap bitmap(121, 161);
  Play(params, bitmap, 121, 161);
  // Header 56..113 pixels from the top: 11..22 in the miniature.
  const int32_t header = 56 / 5;
  EXPECT_EQ(bitmap.At(60, header), kBandGrey);
  EXPECT_EQ(bitmap.At(60, header + 1), kWhite);
  EXPECT_EQ(bitmap.At(60, header + 2), kBandGrey);
  // Body from the top margin (132) to 800 - 132.
  EXPECT_EQ(bitmap.CountInColumn(60, 132 / 5, (800 - 132) / 5, kBandGrey),
            ((800 - 132) / 5 - 132 / 5 + 1) / 2);
  // Footer from 800 - 113 to 800 - 56.
  EXPECT_GT(bitmap.CountInColumn(60, (800 - 113) / 5, (800 - 56) / 5, kBandGrey), 4);
  // Nothing in the left margin.
  EXPECT_EQ(bitmap.CountInColumn(10, 1, 159, kBandGrey), 0);
}

TEST(DocParamsPreview, HiddenHeaderLeavesItsBandEmpty) {
  ScopedResolution dpi(96);
  xMorvaDocParams params = PreviewPage();
  params.GetBands(false).headerShown = 0;
  Bitmap bitmap(121, 161);
  Play(params, bitmap, 121, 161);
  EXPECT_EQ(bitmap.CountInColumn(60, 56 / 5, 113 / 5, kBandGrey), 0);
}

TEST(DocParamsPreview, SeparatesColumnsWithALineWhenAsked) {
  ScopedResolution dpi(96);
  xMorvaDocParams params = PreviewPage();
  params.SetColumns(2);
  params.SetColumnSpacing(50);
  Bitmap plain(121, 161);
  Play(params, plain, 121, 161);
  params.SetColumnLines(1);
  Bitmap lined(121, 161);
  Play(params, lined, 121, 161);
  // The gap between the columns: text 94..506, columns of 181 pixels.
  const int32_t gapX = (94 + 181 + 94 + 181 + 50) / 2 / 5;
  EXPECT_EQ(plain.CountInColumn(gapX, 30, 130, kBandGrey), 0);
  EXPECT_EQ(plain.CountInColumn(gapX, 30, 130, kBlack), 0);
  EXPECT_EQ(lined.CountInColumn(gapX, 30, 130, kBlack), 100);
  // Both columns have their bands.
  EXPECT_GT(lined.CountInColumn(30, 30, 130, kBandGrey), 40);
  EXPECT_GT(lined.CountInColumn(90, 30, 130, kBandGrey), 40);
}

TEST(DocParamsPreview, PaintsTheBindingStripOnTheBindingSide) {
  ScopedResolution dpi(96);
  xMorvaDocParams params = PreviewPage();
  params.SetBinding(50);
  Bitmap left(121, 161);
  Play(params, left, 121, 161);
  EXPECT_GT(left.CountInBox(1, 1, 9, 159, kBindingGrey), 400);
  EXPECT_EQ(left.CountInBox(111, 1, 119, 159, kBindingGrey), 0);
  params.SetBindingLeft(0);
  Bitmap right(121, 161);
  Play(params, right, 121, 161);
  EXPECT_EQ(right.CountInBox(1, 1, 9, 159, kBindingGrey), 0);
  EXPECT_GT(right.CountInBox(111, 1, 119, 159, kBindingGrey), 400);
}

TEST(DocParamsPreview, FacingPagesAlternateTheBindingSide) {
  ScopedResolution dpi(96);
  xMorvaDocParams params = PreviewPage();
  params.SetBinding(50);
  params.SetAlternateBinding(1);
  Bitmap bitmap(241, 161);
  Play(params, bitmap, 241, 161);
  // Binding left 1: the pages shown are 1 and 2; page 1 binds on the right,
  // page 2 on the left, so both strips meet in the middle.
  EXPECT_GT(bitmap.CountInBox(111, 1, 119, 159, kBindingGrey), 400);
  EXPECT_GT(bitmap.CountInBox(121, 1, 129, 159, kBindingGrey), 400);
  EXPECT_EQ(bitmap.CountInBox(1, 1, 9, 159, kBindingGrey), 0);
  EXPECT_EQ(bitmap.CountInBox(231, 1, 239, 159, kBindingGrey), 0);
  // The second page has its frame.
  EXPECT_EQ(bitmap.At(120, 80), kBlack);
  EXPECT_EQ(bitmap.At(239, 80), kBlack);
}

TEST(DocParamsPreview, FramedBandsKeepTheirLinesInside) {
  ScopedResolution dpi(96);
  xMorvaDocParams params = PreviewPage();
  params.SetViewFlag(3, 1);
  Bitmap bitmap(121, 161);
  Play(params, bitmap, 121, 161);
  // The header band's top edge is a patterned frame line, not a band line;
  // the lines start 2 pixels inside.
  const int32_t header = 56 / 5;
  EXPECT_EQ(bitmap.CountInBox(30, header, 90, header + 1, kBandGrey), 0);
  EXPECT_GT(bitmap.CountInBox(30, header, 90, header + 1, 0x686868), 4);
  EXPECT_EQ(bitmap.At(60, header + 2), kBandGrey);
}

TEST(DocParamsPreview, RefusesAnEmptySizeOrPage) {
  xMorvaDocParams params;
  EXPECT_EQ(params.DrawPagePreview(100, 100), nullptr);
  params.SetPageSize(600, 800);
  EXPECT_EQ(params.DrawPagePreview(0, 100), nullptr);
}
