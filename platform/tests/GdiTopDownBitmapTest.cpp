// The 32-bit top-down bitmap: its header, and a section made from it whose
// first row of pixels is the top row drawn.
#include "platform/gdi/GdiTopDownBitmap.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

TEST(GdiTopDownBitmap, HeaderIs32BitsTopDownWithoutColourTable) {
  const BITMAPINFO info = TopDownBitmapInfo32(7, 3);
  EXPECT_EQ(info.bmiHeader.biSize, sizeof(BITMAPINFOHEADER));
  EXPECT_EQ(info.bmiHeader.biWidth, 7);
  EXPECT_EQ(info.bmiHeader.biHeight, -3);
  EXPECT_EQ(info.bmiHeader.biPlanes, 1);
  EXPECT_EQ(info.bmiHeader.biBitCount, 32);
  EXPECT_EQ(info.bmiHeader.biCompression, BI_RGB);
  EXPECT_EQ(info.bmiHeader.biClrUsed, 0u);
}

TEST(GdiTopDownBitmap, SectionKeepsTheTopRowFirst) {
  HDC dc = CreateCompatibleDC(nullptr);
  void* bits = nullptr;
  HBITMAP bitmap = CreateTopDownBitmap32(dc, 4, 2, &bits);
  ASSERT_NE(bitmap, nullptr);
  ASSERT_NE(bits, nullptr);
  HGDIOBJ old = SelectObject(dc, bitmap);
  SetPixel(dc, 0, 0, RGB(0x10, 0x20, 0x30));
  SetPixel(dc, 3, 1, RGB(0x40, 0x50, 0x60));
  const auto* pixels = static_cast<const uint32_t*>(bits);
  EXPECT_EQ(pixels[0] & 0xFFFFFFu, 0x102030u);
  EXPECT_EQ(pixels[7] & 0xFFFFFFu, 0x405060u);
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
}

TEST(GdiTopDownBitmap, EmptySizeMakesNoSection) {
  void* bits = reinterpret_cast<void*>(1);
  EXPECT_EQ(CreateTopDownBitmap32(nullptr, 0, 5, &bits), nullptr);
  EXPECT_EQ(bits, nullptr);
}

}  // namespace
