// Blits: ternary raster operations, monochrome and colour conversions,
// stretching, mirroring, clipping, transparent copies and DIB bits.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/gdi/WinGdi.h"
#include "platform/tests/GdiTestCanvas.h"

namespace {

// A memory DC holding a monochrome device bitmap made from rows of bytes
// (rows padded to 16 bits).
class Mono {
 public:
  Mono(int width, int height, const uint8_t* rows = nullptr) {
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_ = CreateBitmap(width, height, 1, 1, rows);
    old_ = SelectObject(dc_, bitmap_);
  }
  ~Mono() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  HDC dc() const { return dc_; }
  HBITMAP bitmap() const { return bitmap_; }
  std::vector<uint8_t> Bits() const {
    std::vector<uint8_t> v(GetBitmapBits(bitmap_, 0, nullptr));
    GetBitmapBits(bitmap_, static_cast<LONG>(v.size()), v.data());
    return v;
  }

 private:
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ old_;
};

TEST(GdiBlit, RasterOperationsFollowTheirTruthTables) {
  const uint32_t P = 0x0F0F55, S = 0x3355AA, D = 0x6699F0;
  struct Case {
    DWORD rop;
    uint32_t expected;
  } cases[] = {
      {SRCCOPY, S},
      {SRCPAINT, S | D},
      {SRCAND, S & D},
      {SRCINVERT, S ^ D},
      {SRCERASE, S & ~D},
      {NOTSRCCOPY, ~S},
      {NOTSRCERASE, ~(S | D)},
      {MERGECOPY, P & S},
      {MERGEPAINT, ~S | D},
      {PATCOPY, P},
      {PATPAINT, P | ~S | D},
      {PATINVERT, P ^ D},
      {DSTINVERT, ~D},
      {BLACKNESS, 0},
      {WHITENESS, 0xFFFFFF},
      {0x00B8074A, (S & D) | (~S & P)},  // where the source is set, the destination shows
      {0x00E20746, (S & P) | (~S & D)},  // where the source is set, the pattern shows
  };
  for (const Case& k : cases) {
    Canvas src(2, 1, S), dst(2, 1, D);
    HBRUSH brush = CreateSolidBrush(RGB(0x0F, 0x0F, 0x55));
    SelectObject(dst.dc(), brush);
    ASSERT_TRUE(BitBlt(dst.dc(), 0, 0, 1, 1, src.dc(), 0, 0, k.rop)) << std::hex << k.rop;
    EXPECT_EQ(dst.At(0, 0), k.expected & 0xFFFFFF) << std::hex << k.rop;
    EXPECT_EQ(dst.At(1, 0), D) << std::hex << k.rop;
    SelectObject(dst.dc(), GetStockObject(WHITE_BRUSH));
    DeleteObject(brush);
  }
}

TEST(GdiBlit, BlitsLeaveTheFourthByteOfAPixelAlone) {
  Canvas src(1, 1, 0x00123456), dst(1, 1, 0xAB000000);
  BitBlt(dst.dc(), 0, 0, 1, 1, src.dc(), 0, 0, SRCCOPY);
  EXPECT_EQ(dst.Px(0, 0), 0xAB123456u);
  PatBlt(dst.dc(), 0, 0, 1, 1, DSTINVERT);
  EXPECT_EQ(dst.Px(0, 0), 0xABEDCBA9u);
}

TEST(GdiBlit, PatInvertTwiceRestoresThePixels) {
  Canvas c(9, 9);
  for (int y = 0; y < 9; ++y) {
    for (int x = 0; x < 9; ++x) c.Px(x, y) = static_cast<uint32_t>(x * 29 + y * 1000 + 7);
  }
  std::vector<uint32_t> before;
  for (int y = 0; y < 9; ++y) {
    for (int x = 0; x < 9; ++x) before.push_back(c.Px(x, y));
  }
  HBRUSH hatch = CreateHatchBrush(HS_DIAGCROSS, RGB(10, 20, 30));
  SelectObject(c.dc(), hatch);
  PatBlt(c.dc(), 1, 1, 7, 7, PATINVERT);
  PatBlt(c.dc(), 1, 1, 7, 7, PATINVERT);
  std::vector<uint32_t> after;
  for (int y = 0; y < 9; ++y) {
    for (int x = 0; x < 9; ++x) after.push_back(c.Px(x, y));
  }
  EXPECT_EQ(before, after);
  SelectObject(c.dc(), GetStockObject(WHITE_BRUSH));
  DeleteObject(hatch);
}

TEST(GdiBlit, PatBltRefusesOperationsThatReadASource) {
  Canvas c(2, 2);
  EXPECT_FALSE(PatBlt(c.dc(), 0, 0, 2, 2, SRCCOPY));
  // Negative sizes extend left and up.
  PatBlt(c.dc(), 2, 2, -1, -1, BLACKNESS);
  EXPECT_EQ(c.At(1, 1), 0u);
  EXPECT_EQ(c.At(0, 0), 0xFFFFFFu);
}

TEST(GdiBlit, MonochromeSourceTakesTheDestinationTextAndBackColours) {
  const uint8_t rows[] = {0xF0, 0x00};  // 1111 0000
  Mono mono(8, 1, rows);
  Canvas dst(8, 1);
  SetTextColor(dst.dc(), RGB(255, 0, 0));
  SetBkColor(dst.dc(), RGB(0, 0, 255));
  BitBlt(dst.dc(), 0, 0, 8, 1, mono.dc(), 0, 0, SRCCOPY);
  EXPECT_EQ(dst.At(0, 0), 0x0000FFu);  // 1 bits: back colour
  EXPECT_EQ(dst.At(3, 0), 0x0000FFu);
  EXPECT_EQ(dst.At(4, 0), 0xFF0000u);  // 0 bits: text colour
  EXPECT_EQ(dst.At(7, 0), 0xFF0000u);
}

TEST(GdiBlit, ColourSourceToMonochromeMarksTheSourceBackColourWhite) {
  Canvas src(8, 1, 0x00FF00);
  src.Px(1, 0) = 0xFF0000;
  src.Px(2, 0) = 0x000000;
  src.Px(3, 0) = 0xFFFFFF;
  SetBkColor(src.dc(), RGB(0, 255, 0));
  Mono dst(8, 1);
  BitBlt(dst.dc(), 0, 0, 8, 1, src.dc(), 0, 0, SRCCOPY);
  // Green (the source's back colour) became 1, everything else 0, white too.
  EXPECT_EQ(dst.Bits()[0], 0x8F);  // 1000 1111
}

TEST(GdiBlit, MonochromeToMonochromeCopiesBits) {
  const uint8_t rows[] = {0xA5, 0x00, 0x3C, 0x00};
  Mono src(8, 2, rows), dst(8, 2);
  SetTextColor(dst.dc(), RGB(255, 255, 255));  // ignored between monochrome bitmaps
  BitBlt(dst.dc(), 0, 0, 8, 2, src.dc(), 0, 0, SRCCOPY);
  std::vector<uint8_t> bits = dst.Bits();
  EXPECT_EQ(bits[0], 0xA5);
  EXPECT_EQ(bits[2], 0x3C);
}

TEST(GdiBlit, IndexedDibSourceUsesItsColourTable) {
  HDC dc = CreateCompatibleDC(nullptr);
  struct {
    BITMAPINFOHEADER h;
    RGBQUAD colors[2];
  } info{{sizeof(BITMAPINFOHEADER), 8, -1, 1, 1, BI_RGB, 0, 0, 0, 2, 0},
         {{0, 0, 255, 0}, {0, 255, 0, 0}}};
  void* bits = nullptr;
  HBITMAP dib =
      CreateDIBSection(dc, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0);
  static_cast<uint8_t*>(bits)[0] = 0x0F;
  HGDIOBJ old = SelectObject(dc, dib);
  Canvas dst(8, 1);
  BitBlt(dst.dc(), 0, 0, 8, 1, dc, 0, 0, SRCCOPY);
  EXPECT_EQ(dst.At(0, 0), 0xFF0000u);  // entry 0: red
  EXPECT_EQ(dst.At(7, 0), 0x00FF00u);  // entry 1: green
  SelectObject(dc, old);
  DeleteObject(dib);
  DeleteDC(dc);
}

TEST(GdiBlit, StretchBltRepeatsPixelsWhenEnlarging) {
  Canvas src(2, 2), dst(4, 4);
  src.Px(0, 0) = 0x000001;
  src.Px(1, 0) = 0x000002;
  src.Px(0, 1) = 0x000003;
  src.Px(1, 1) = 0x000004;
  ASSERT_TRUE(StretchBlt(dst.dc(), 0, 0, 4, 4, src.dc(), 0, 0, 2, 2, SRCCOPY));
  EXPECT_EQ(dst.At(0, 0), 1u);
  EXPECT_EQ(dst.At(1, 1), 1u);
  EXPECT_EQ(dst.At(2, 0), 2u);
  EXPECT_EQ(dst.At(3, 3), 4u);
  EXPECT_EQ(dst.At(0, 2), 3u);
}

TEST(GdiBlit, StretchBltMirrorsWhenTheSignsDiffer) {
  Canvas src(3, 1), dst(3, 1);
  src.Px(0, 0) = 1;
  src.Px(1, 0) = 2;
  src.Px(2, 0) = 3;
  // The destination runs from x 3 back to x 0.
  StretchBlt(dst.dc(), 3, 0, -3, 1, src.dc(), 0, 0, 3, 1, SRCCOPY);
  EXPECT_EQ(dst.At(0, 0), 3u);
  EXPECT_EQ(dst.At(2, 0), 1u);
}

TEST(GdiBlit, ShrinkingKeepsBlackWithBlackOnWhiteAndDropsItOtherwise) {
  const uint8_t rows[] = {0xEF, 0x00};  // one black (0) bit among white: 1110 1111
  Mono src(8, 1, rows);
  Mono keep(4, 1), drop(4, 1);
  SetStretchBltMode(keep.dc(), BLACKONWHITE);
  SetStretchBltMode(drop.dc(), COLORONCOLOR);
  StretchBlt(keep.dc(), 0, 0, 4, 1, src.dc(), 0, 0, 8, 1, SRCCOPY);
  StretchBlt(drop.dc(), 0, 0, 4, 1, src.dc(), 0, 0, 8, 1, SRCCOPY);
  EXPECT_EQ(keep.Bits()[0] & 0xF0, 0xB0);  // 1011: source pixels 2 and 3 merged, black kept
  EXPECT_EQ(drop.Bits()[0] & 0xF0, 0xF0);  // only source pixel 2 of the pair was sampled
  EXPECT_EQ(GetStretchBltMode(keep.dc()), BLACKONWHITE);
}

TEST(GdiBlit, BlitsAreClippedAndSourcesOutsideTheirBitmapLeavePixelsAlone) {
  Canvas src(4, 4, 0x000000), dst(8, 8);
  IntersectClipRect(dst.dc(), 0, 0, 3, 8);
  BitBlt(dst.dc(), 1, 1, 6, 6, src.dc(), 0, 0, SRCCOPY);
  EXPECT_EQ(dst.At(2, 2), 0u);
  EXPECT_EQ(dst.At(3, 2), 0xFFFFFFu);  // clipped
  EXPECT_EQ(dst.At(1, 5), 0xFFFFFFu);  // beyond the 4 x 4 source
  EXPECT_EQ(dst.At(1, 4), 0u);
}

TEST(GdiBlit, OverlappingBlitWithinOneBitmapScrolls) {
  Canvas c(5, 1);
  for (int x = 0; x < 5; ++x) c.Px(x, 0) = static_cast<uint32_t>(x + 1);
  BitBlt(c.dc(), 1, 0, 4, 1, c.dc(), 0, 0, SRCCOPY);
  EXPECT_EQ(c.At(0, 0), 1u);
  EXPECT_EQ(c.At(1, 0), 1u);
  EXPECT_EQ(c.At(2, 0), 2u);
  EXPECT_EQ(c.At(4, 0), 4u);
}

TEST(GdiBlit, TransparentBltSkipsTheKeyColour) {
  Canvas src(3, 1, 0xFFFFFF), dst(3, 1, 0x123456);
  src.Px(1, 0) = 0xFF0000;
  ASSERT_TRUE(TransparentBlt(dst.dc(), 0, 0, 3, 1, src.dc(), 0, 0, 3, 1, RGB(255, 255, 255)));
  EXPECT_EQ(dst.At(0, 0), 0x123456u);
  EXPECT_EQ(dst.At(1, 0), 0xFF0000u);
  EXPECT_EQ(dst.At(2, 0), 0x123456u);
  EXPECT_FALSE(TransparentBlt(dst.dc(), 0, 0, -1, 1, src.dc(), 0, 0, 3, 1, 0));
}

// A 3 x 2 24-bit bottom-up DIB: the first row in memory is the bottom one.
struct SmallDib {
  BITMAPINFO info{};
  std::vector<uint8_t> bits;
  SmallDib() {
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 3, 2, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    bits.assign(24, 0);  // rows of 9 bytes padded to 12
    auto put = [&](int row, int x, uint8_t r, uint8_t g, uint8_t b) {
      bits[row * 12 + x * 3] = b;
      bits[row * 12 + x * 3 + 1] = g;
      bits[row * 12 + x * 3 + 2] = r;
    };
    for (int x = 0; x < 3; ++x) {
      put(0, x, 0, 0, static_cast<uint8_t>(x + 1));   // bottom row: blues 1..3
      put(1, x, static_cast<uint8_t>(x + 1), 0, 0);   // top row: reds 1..3
    }
  }
};

TEST(GdiBlit, SetDIBitsToDevicePutsABottomUpDibTheRightWayUp) {
  SmallDib dib;
  Canvas dst(3, 2);
  EXPECT_EQ(SetDIBitsToDevice(dst.dc(), 0, 0, 3, 2, 0, 0, 0, 2, dib.bits.data(), &dib.info,
                              DIB_RGB_COLORS),
            2);
  EXPECT_EQ(dst.At(0, 0), 0x010000u);
  EXPECT_EQ(dst.At(2, 0), 0x030000u);
  EXPECT_EQ(dst.At(1, 1), 0x000002u);
  // Only the bottom scan given: it lands on the destination's lower row.
  Canvas part(3, 2);
  SetDIBitsToDevice(part.dc(), 0, 0, 3, 2, 0, 0, 0, 1, dib.bits.data(), &dib.info,
                    DIB_RGB_COLORS);
  EXPECT_EQ(part.At(0, 0), 0xFFFFFFu);
  EXPECT_EQ(part.At(0, 1), 0x000001u);
  EXPECT_EQ(SetDIBitsToDevice(part.dc(), 0, 0, 3, 2, 0, 0, 1, 2, dib.bits.data(), &dib.info,
                              DIB_RGB_COLORS),
            0);  // scans beyond the DIB
}

TEST(GdiBlit, StretchDibitsMeasuresTheSourceFromTheBottomOfABottomUpDib) {
  SmallDib dib;
  Canvas dst(2, 2);
  // Source row 0 from the bottom, one row high: the blue row.
  StretchDIBits(dst.dc(), 0, 0, 2, 2, 1, 0, 1, 1, dib.bits.data(), &dib.info, DIB_RGB_COLORS,
                SRCCOPY);
  EXPECT_EQ(dst.At(0, 0), 0x000002u);
  EXPECT_EQ(dst.At(1, 1), 0x000002u);
  BITMAPINFO bad = dib.info;
  bad.bmiHeader.biCompression = 1;
  EXPECT_EQ(StretchDIBits(dst.dc(), 0, 0, 2, 2, 0, 0, 1, 1, dib.bits.data(), &bad,
                          DIB_RGB_COLORS, SRCCOPY),
            0);
}

TEST(GdiBlit, GetDIBitsGivesRowsInTheAskedOrderAndDepth) {
  Canvas src(3, 2);
  src.Px(0, 0) = 0x00AABBCC;
  src.Px(2, 1) = 0xFF010203;
  HBITMAP bmp = static_cast<HBITMAP>(GetCurrentObject(src.dc(), OBJ_BITMAP));
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  ASSERT_EQ(GetDIBits(src.dc(), bmp, 0, 2, nullptr, &info, DIB_RGB_COLORS), 2);
  EXPECT_EQ(info.bmiHeader.biBitCount, 32);
  EXPECT_EQ(info.bmiHeader.biWidth, 3);
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biHeight = 2;  // bottom-up
  std::vector<uint8_t> rows(24, 0xEE);
  ASSERT_EQ(GetDIBits(src.dc(), bmp, 0, 2, rows.data(), &info, DIB_RGB_COLORS), 2);
  // First row in memory is the bottom row: pixel (2, 1) at its end.
  EXPECT_EQ(rows[6], 0x03);
  EXPECT_EQ(rows[8], 0x01);
  EXPECT_EQ(rows[9], 0x00);  // padding zeroed
  EXPECT_EQ(rows[12], 0xCC);
  EXPECT_EQ(rows[14], 0xAA);
  // One bit a pixel: a black and white table, nearest colour.
  struct {
    BITMAPINFOHEADER h;
    RGBQUAD colors[2];
  } mono{{sizeof(BITMAPINFOHEADER), 3, -2, 1, 1, BI_RGB, 0, 0, 0, 0, 0}, {}};
  std::vector<uint8_t> bits(8, 0);
  ASSERT_EQ(GetDIBits(src.dc(), bmp, 0, 2, bits.data(), reinterpret_cast<BITMAPINFO*>(&mono),
                      DIB_RGB_COLORS),
            2);
  EXPECT_EQ(mono.colors[1].rgbRed, 255);
  EXPECT_EQ(bits[0], 0xE0);  // AABBCC is light: white
  EXPECT_EQ(bits[4], 0xC0);  // 010203 is dark: black
}

TEST(GdiBlit, CreateDIBitmapConvertsIntoADeviceBitmap) {
  SmallDib dib;
  HDC screen = GetDC(nullptr);
  HBITMAP bmp = CreateDIBitmap(screen, &dib.info.bmiHeader, CBM_INIT, dib.bits.data(), &dib.info,
                               DIB_RGB_COLORS);
  ASSERT_NE(bmp, nullptr);
  BITMAP bm;
  ASSERT_EQ(GetObject(bmp, sizeof bm, &bm), static_cast<int>(sizeof bm));
  EXPECT_EQ(bm.bmBitsPixel, 32);
  EXPECT_EQ(bm.bmHeight, 2);
  uint8_t bits[24];
  ASSERT_EQ(GetBitmapBits(bmp, sizeof bits, bits), 24);
  EXPECT_EQ(bits[2], 0x01);  // top-left: red 1 (B G R X)
  EXPECT_EQ(bits[12], 0x01);  // bottom-left: blue 1
  DeleteObject(bmp);
  ReleaseDC(nullptr, screen);
}

}  // namespace
