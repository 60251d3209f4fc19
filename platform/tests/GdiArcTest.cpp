// Arcs, chords and pies of the GDI stand-in, their metafile records in both
// metafile kinds, and the dashes of one-pixel pens.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/gdi/WinGdi.h"
#include "platform/gdi/WinGdiMetafile.h"
#include "platform/tests/GdiTestCanvas.h"

namespace {

constexpr uint32_t kBlackPx = 0x000000;
constexpr uint32_t kRedPx = 0xFF0000;

// Draws the three shapes on a DC: an arc of the top half, a chord of the
// right half and a pie of the bottom-left quarter, red filled, black pens.
void DrawArcs(HDC dc) {
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  HGDIOBJ oldBrush = SelectObject(dc, red);
  Arc(dc, 0, 0, 20, 20, 20, 10, 0, 10);
  Chord(dc, 20, 0, 40, 20, 30, 20, 30, 0);
  Pie(dc, 40, 0, 60, 20, 40, 10, 50, 20);
  SelectObject(dc, oldBrush);
  DeleteObject(red);
}

}  // namespace

TEST(GdiArc, ArcsChordsAndPiesCoverTheirPartOfTheEllipse) {
  Canvas canvas(64, 24);
  DrawArcs(canvas.dc());
  // The arc runs counter-clockwise from the right over the top to the left:
  // ink above the middle row only, none filled.
  int arcBelow = 0;
  int arcAbove = 0;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x) (y <= 10 ? arcAbove : arcBelow) += canvas.At(x, y) != 0xFFFFFF;
  EXPECT_GT(arcAbove, 20);
  EXPECT_EQ(arcBelow, 0);
  EXPECT_EQ(canvas.At(10, 5), 0xFFFFFFu);
  // The chord from bottom to top counter-clockwise: the right half, filled.
  EXPECT_EQ(canvas.At(35, 10), kRedPx);
  EXPECT_EQ(canvas.At(24, 10), 0xFFFFFFu);
  EXPECT_EQ(canvas.At(30, 0), kBlackPx);
  // The pie from the left to the bottom: the bottom-left quarter.
  EXPECT_EQ(canvas.At(45, 14), kRedPx);
  EXPECT_EQ(canvas.At(55, 5), 0xFFFFFFu);
  EXPECT_EQ(canvas.At(55, 14), 0xFFFFFFu);
  EXPECT_EQ(canvas.At(45, 5), 0xFFFFFFu);
}

TEST(GdiArc, BothMetafileKindsRecordAndPlayTheSamePixels) {
  Canvas direct(64, 24);
  DrawArcs(direct.dc());
  HDC recording = CreateEnhMetaFileA(direct.dc(), nullptr, nullptr, nullptr);
  ASSERT_NE(recording, nullptr);
  DrawArcs(recording);
  HENHMETAFILE emf = CloseEnhMetaFile(recording);
  ASSERT_NE(emf, nullptr);
  std::vector<BYTE> bits(GetEnhMetaFileBits(emf, 0, nullptr));
  GetEnhMetaFileBits(emf, static_cast<UINT>(bits.size()), bits.data());
  // The records 45, 46 and 47 are in the metafile, in order.
  std::vector<uint32_t> types;
  for (size_t at = 0; at + 8 <= bits.size();) {
    uint32_t type, size;
    std::memcpy(&type, &bits[at], 4);
    std::memcpy(&size, &bits[at + 4], 4);
    if (type >= 45 && type <= 47) types.push_back(type);
    if (size == 0) break;
    at += size;
  }
  EXPECT_EQ(types, (std::vector<uint32_t>{45, 46, 47}));
  ENHMETAHEADER header;
  GetEnhMetaFileHeader(emf, sizeof header, &header);
  const RECT bounds{header.rclBounds.left, header.rclBounds.top, header.rclBounds.right + 1,
                    header.rclBounds.bottom + 1};
  Canvas played(64, 24);
  ASSERT_TRUE(PlayEnhMetaFile(played.dc(), emf, &bounds));
  EXPECT_EQ(played.Picture(), direct.Picture());

  // Through a Windows metafile.
  std::vector<BYTE> wmfBits(GetWinMetaFileBits(emf, 0, nullptr, MM_ANISOTROPIC, nullptr));
  ASSERT_FALSE(wmfBits.empty());
  GetWinMetaFileBits(emf, static_cast<UINT>(wmfBits.size()), wmfBits.data(), MM_ANISOTROPIC,
                     nullptr);
  HMETAFILE wmf = SetMetaFileBitsEx(static_cast<UINT>(wmfBits.size()), wmfBits.data());
  ASSERT_NE(wmf, nullptr);
  Canvas wmfPlayed(64, 24);
  ASSERT_TRUE(PlayMetaFile(wmfPlayed.dc(), wmf));
  EXPECT_EQ(wmfPlayed.Count(kRedPx), direct.Count(kRedPx));
  DeleteMetaFile(wmf);
  DeleteEnhMetaFile(emf);
}

TEST(GdiArc, OnePixelPensDashAndWidePensStaySolid) {
  struct Case {
    UINT style;
    int width;
    int on;  // pixels of the pen's colour along 48 pixels
  };
  const Case cases[] = {{PS_SOLID, 1, 48},    {PS_DASH, 1, 36},      {PS_DOT, 1, 24},
                        {PS_DASHDOT, 1, 24}, {PS_DASHDOTDOT, 1, 30}, {PS_DASH, 2, 48}};
  for (const Case& c : cases) {
    for (int opaque = 0; opaque < 2; ++opaque) {
      Canvas canvas(50, 4);
      HPEN pen = CreatePen(static_cast<int>(c.style), c.width, RGB(255, 0, 0));
      HGDIOBJ old = SelectObject(canvas.dc(), pen);
      SetBkMode(canvas.dc(), opaque ? OPAQUE : TRANSPARENT);
      SetBkColor(canvas.dc(), RGB(0, 0, 255));
      MoveToEx(canvas.dc(), 0, 1, nullptr);
      LineTo(canvas.dc(), 48, 1);
      SelectObject(canvas.dc(), old);
      DeleteObject(pen);
      int red = 0;
      int blue = 0;
      for (int x = 0; x < 48; ++x) {
        red += canvas.At(x, 1) == kRedPx;
        blue += canvas.At(x, 1) == 0x0000FF;
      }
      EXPECT_EQ(red, c.on) << c.style << " " << c.width;
      EXPECT_EQ(blue, opaque && c.width == 1 ? 48 - c.on : 0) << c.style;
    }
  }
}
