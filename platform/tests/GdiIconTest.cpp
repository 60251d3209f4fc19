// Icons of the GDI stand-in: copies of their bitmaps, the mask and colour
// blits in place, stretched and on a flicker-free ground, and handles that
// are refused once destroyed.
#include <gtest/gtest.h>

#include <cstdint>

#include "platform/gdi/WinGdi.h"
#include "platform/tests/GdiTestCanvas.h"

namespace {

constexpr uint32_t kRed = 0xFF0000;   // as the canvas holds it: R G B from the top byte
constexpr uint32_t kBlue = 0x0000FF;

// A 4 x 4 icon opaque and red in its two left columns; its colours are
// black where the mask lets the ground through.
HICON RedIcon() {
  const uint8_t maskRows[8] = {0x3F, 0, 0x3F, 0, 0x3F, 0, 0x3F, 0};
  uint32_t colors[16];
  for (int i = 0; i < 16; ++i) colors[i] = (i % 4) < 2 ? kRed : 0;
  HBITMAP mask = CreateBitmap(4, 4, 1, 1, maskRows);
  HBITMAP color = CreateBitmap(4, 4, 1, 32, colors);
  ICONINFO info{TRUE_, 0, 0, mask, color};
  HICON icon = CreateIconIndirect(&info);
  // The icon holds copies: the caller's bitmaps may go at once.
  DeleteObject(mask);
  DeleteObject(color);
  return icon;
}

}  // namespace

TEST(GdiIcon, MaskKeepsTheGroundAndColoursFillTheRest) {
  HICON icon = RedIcon();
  ASSERT_NE(icon, nullptr);
  const struct {
    int cx, cy;
    bool flickerFree;
    int red, blue;
  } cases[] = {{0, 0, false, 8, 100 - 8}, {8, 8, false, 32, 100 - 32}, {0, 0, true, 8, 100 - 16}};
  for (const auto& c : cases) {
    Canvas canvas(10, 10, kBlue);
    HBRUSH white = c.flickerFree ? CreateSolidBrush(RGB(255, 255, 255)) : nullptr;
    EXPECT_TRUE(DrawIconEx(canvas.dc(), 1, 1, icon, c.cx, c.cy, 0, white, DI_NORMAL));
    if (white != nullptr) DeleteObject(white);
    EXPECT_EQ(canvas.Count(kRed), c.red) << c.cx;
    EXPECT_EQ(canvas.Count(kBlue), c.blue) << c.cx;
    EXPECT_EQ(canvas.At(1, 1), kRed);
    EXPECT_EQ(canvas.At(0, 0), kBlue);
  }
  EXPECT_TRUE(DestroyIcon(icon));
  Canvas canvas(10, 10, kBlue);
  EXPECT_FALSE(DrawIconEx(canvas.dc(), 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL));
  EXPECT_FALSE(DestroyIcon(icon));
  EXPECT_EQ(canvas.Count(kBlue), 100);
}

TEST(GdiIcon, RefusesIconsWithoutColoursOrOfTwoSizes) {
  HBITMAP mask = CreateBitmap(4, 4, 1, 1, nullptr);
  HBITMAP wide = CreateBitmap(5, 4, 1, 32, nullptr);
  ICONINFO noColor{TRUE_, 0, 0, mask, nullptr};
  ICONINFO twoSizes{TRUE_, 0, 0, mask, wide};
  EXPECT_EQ(CreateIconIndirect(&noColor), nullptr);
  EXPECT_EQ(CreateIconIndirect(&twoSizes), nullptr);
  EXPECT_EQ(CreateIconIndirect(nullptr), nullptr);
  DeleteObject(mask);
  DeleteObject(wide);
}
