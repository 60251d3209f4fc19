// The rasteriser's pixels: edge rules, lines, wide pens, mix modes, brushes
// and patterns, shapes, regions, pixels and flood fill.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/gdi/WinGdi.h"
#include "platform/tests/GdiTestCanvas.h"

namespace {

std::string Rows(std::initializer_list<const char*> rows) {
  std::string s;
  for (const char* r : rows) s += std::string(r) + "\n";
  return s;
}

HPEN FlatPen(int width, COLORREF color) {
  LOGBRUSH lb{BS_SOLID, color, 0};
  return ExtCreatePen(PS_GEOMETRIC | PS_ENDCAP_FLAT | PS_JOIN_MITER, width, &lb, 0, nullptr);
}

TEST(GdiDraw, RectangleFrameCoversBoxButRightAndBottomEdges) {
  Canvas c(8, 6);
  SelectObject(c.dc(), GetStockObject(NULL_BRUSH));
  ASSERT_TRUE(Rectangle(c.dc(), 1, 1, 6, 5));
  EXPECT_EQ(c.Picture(), Rows({"........",
                               ".#####..",
                               ".#...#..",
                               ".#...#..",
                               ".#####..",
                               "........"}));
}

TEST(GdiDraw, RectangleWithNullPenFillsOnePixelLessEachWay) {
  Canvas c(8, 6);
  SelectObject(c.dc(), GetStockObject(NULL_PEN));
  SelectObject(c.dc(), GetStockObject(BLACK_BRUSH));
  Rectangle(c.dc(), 1, 1, 6, 5);
  EXPECT_EQ(c.Picture(), Rows({"........",
                               ".####...",
                               ".####...",
                               ".####...",
                               "........",
                               "........"}));
}

TEST(GdiDraw, NullPenFillPlusOneMatchesTheFrameOfTheBox) {
  // Filling (0, 0, 11, 11) without a pen covers what the frame of
  // (0, 0, 10, 10) outlines: pixels 0 to 9.
  Canvas fill(12, 12), frame(12, 12);
  SelectObject(fill.dc(), GetStockObject(NULL_PEN));
  SelectObject(fill.dc(), GetStockObject(BLACK_BRUSH));
  Rectangle(fill.dc(), 0, 0, 11, 11);
  SelectObject(frame.dc(), GetStockObject(BLACK_BRUSH));
  Rectangle(frame.dc(), 0, 0, 10, 10);
  EXPECT_EQ(fill.Picture(), frame.Picture());
  EXPECT_EQ(fill.At(9, 9), 0u);
  EXPECT_EQ(fill.At(10, 10), 0xFFFFFFu);
}

TEST(GdiDraw, BrushFillsTheInsideOfTheFrame) {
  Canvas c(6, 6);
  HPEN red = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
  HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
  SelectObject(c.dc(), red);
  SelectObject(c.dc(), blue);
  Rectangle(c.dc(), 0, 0, 5, 5);
  EXPECT_EQ(c.At(0, 0), 0xFF0000u);
  EXPECT_EQ(c.At(4, 4), 0xFF0000u);
  EXPECT_EQ(c.At(1, 1), 0x0000FFu);
  EXPECT_EQ(c.At(3, 3), 0x0000FFu);
  EXPECT_EQ(c.At(5, 5), 0xFFFFFFu);
  SelectObject(c.dc(), GetStockObject(BLACK_PEN));
  SelectObject(c.dc(), GetStockObject(WHITE_BRUSH));
  DeleteObject(red);
  DeleteObject(blue);
}

TEST(GdiDraw, LineLeavesOutItsLastPixel) {
  Canvas c(8, 8);
  MoveToEx(c.dc(), 1, 1, nullptr);
  LineTo(c.dc(), 6, 1);
  EXPECT_EQ(c.At(5, 1), 0u);
  EXPECT_EQ(c.At(6, 1), 0xFFFFFFu);
  POINT p;
  GetCurrentPositionEx(c.dc(), &p);
  EXPECT_EQ(p.x, 6);
  EXPECT_EQ(p.y, 1);
  // Upward and diagonal lines too.
  MoveToEx(c.dc(), 7, 7, nullptr);
  LineTo(c.dc(), 7, 3);
  EXPECT_EQ(c.At(7, 4), 0u);
  EXPECT_EQ(c.At(7, 3), 0xFFFFFFu);
  MoveToEx(c.dc(), 0, 3, nullptr);
  LineTo(c.dc(), 3, 6);
  EXPECT_EQ(c.At(0, 3), 0u);
  EXPECT_EQ(c.At(2, 5), 0u);
  EXPECT_EQ(c.At(3, 6), 0xFFFFFFu);
}

TEST(GdiDraw, ShallowLineStepsOncePerColumn) {
  Canvas c(9, 3);
  MoveToEx(c.dc(), 0, 0, nullptr);
  LineTo(c.dc(), 8, 2);
  EXPECT_EQ(c.Picture(), Rows({"##.......",
                               "..####...",
                               "......##."}));
}

TEST(GdiDraw, PolylineSharesVerticesWithoutDrawingTheLastPoint) {
  Canvas c(6, 6);
  POINT pts[] = {{1, 1}, {4, 1}, {4, 4}};
  Polyline(c.dc(), pts, 3);
  EXPECT_EQ(c.Picture(), Rows({"......",
                               ".####.",
                               "....#.",
                               "....#.",
                               "......",
                               "......"}));
}

TEST(GdiDraw, WidePenCoversItsWidthAcrossTheLine) {
  Canvas c(10, 9);
  HPEN pen = FlatPen(3, RGB(0, 0, 0));
  SelectObject(c.dc(), pen);
  MoveToEx(c.dc(), 2, 4, nullptr);
  LineTo(c.dc(), 8, 4);
  EXPECT_EQ(c.Picture(), Rows({"..........",
                               "..........",
                               "..........",
                               "..######..",
                               "..######..",
                               "..######..",
                               "..........",
                               "..........",
                               ".........."}));
  SelectObject(c.dc(), GetStockObject(BLACK_PEN));
  DeleteObject(pen);
}

TEST(GdiDraw, EvenWidePenTakesTheExtraRowAbove) {
  Canvas c(6, 6);
  HPEN pen = FlatPen(2, RGB(0, 0, 0));
  SelectObject(c.dc(), pen);
  MoveToEx(c.dc(), 1, 3, nullptr);
  LineTo(c.dc(), 5, 3);
  EXPECT_EQ(c.Picture(), Rows({"......",
                               "......",
                               ".####.",
                               ".####.",
                               "......",
                               "......"}));
  SelectObject(c.dc(), GetStockObject(BLACK_PEN));
  DeleteObject(pen);
}

TEST(GdiDraw, WidePenFramesARectangleAroundItsPath) {
  Canvas c(12, 12);
  HPEN pen = CreatePen(PS_SOLID, 3, RGB(0, 0, 0));
  SelectObject(c.dc(), pen);
  SelectObject(c.dc(), GetStockObject(NULL_BRUSH));
  Rectangle(c.dc(), 3, 3, 9, 9);
  EXPECT_EQ(c.Picture(), Rows({"............",
                               "............",
                               "..########..",
                               "..########..",
                               "..########..",
                               "..###..###..",
                               "..###..###..",
                               "..########..",
                               "..########..",
                               "..########..",
                               "............",
                               "............"}));
  SelectObject(c.dc(), GetStockObject(BLACK_PEN));
  DeleteObject(pen);
}

TEST(GdiDraw, RoundCapsOfAWidePenRoundTheEnds) {
  Canvas c(12, 9);
  HPEN pen = CreatePen(PS_SOLID, 5, RGB(0, 0, 0));  // round caps
  SelectObject(c.dc(), pen);
  MoveToEx(c.dc(), 3, 4, nullptr);
  LineTo(c.dc(), 8, 4);
  // The end discs reach two pixels beyond each end, cut at the corners.
  EXPECT_EQ(c.At(1, 4), 0u);
  EXPECT_EQ(c.At(10, 4), 0u);
  EXPECT_EQ(c.At(11, 4), 0xFFFFFFu);
  EXPECT_EQ(c.At(1, 2), 0xFFFFFFu);
  EXPECT_EQ(c.At(3, 2), 0u);
  SelectObject(c.dc(), GetStockObject(BLACK_PEN));
  DeleteObject(pen);
}

TEST(GdiDraw, NotXorFrameDrawnTwiceRestoresEveryByte) {
  Canvas c(40, 30);
  // Every byte distinct-ish, the fourth byte of each pixel included.
  auto* bytes = reinterpret_cast<uint8_t*>(c.bits());
  for (size_t i = 0; i < c.Bytes(); ++i) bytes[i] = static_cast<uint8_t>(i * 37 + 11);
  std::vector<uint8_t> before(bytes, bytes + c.Bytes());
  SetROP2(c.dc(), R2_NOTXORPEN);
  SelectObject(c.dc(), GetStockObject(NULL_BRUSH));
  HPEN wide = CreatePen(PS_SOLID, 4, RGB(10, 200, 30));
  for (int pass = 0; pass < 2; ++pass) {
    SelectObject(c.dc(), GetStockObject(BLACK_PEN));
    Rectangle(c.dc(), 2, 2, 30, 20);
    Ellipse(c.dc(), 5, 5, 35, 28);
    POINT pts[] = {{1, 1}, {38, 5}, {20, 28}, {3, 25}};
    Polygon(c.dc(), pts, 4);
    MoveToEx(c.dc(), 0, 29, nullptr);
    LineTo(c.dc(), 39, 0);
    SelectObject(c.dc(), wide);
    RoundRect(c.dc(), 8, 8, 32, 26, 10, 8);
    Polyline(c.dc(), pts, 4);
    if (pass == 0) {
      EXPECT_NE(std::memcmp(before.data(), bytes, c.Bytes()), 0);
    }
  }
  EXPECT_EQ(std::memcmp(before.data(), bytes, c.Bytes()), 0);
  SelectObject(c.dc(), GetStockObject(BLACK_PEN));
  DeleteObject(wide);
}

TEST(GdiDraw, MixModesCombinePenAndDestinationBitwise) {
  const uint32_t d = 0x336699, p = 0xF00FFF;  // destination, pen (as 0xRRGGBB)
  struct Case {
    int mode;
    uint32_t expected;
  } cases[] = {
      {R2_BLACK, 0},
      {R2_NOTMERGEPEN, ~(p | d)},
      {R2_MASKNOTPEN, ~p & d},
      {R2_NOTCOPYPEN, ~p},
      {R2_MASKPENNOT, p & ~d},
      {R2_NOT, ~d},
      {R2_XORPEN, p ^ d},
      {R2_NOTMASKPEN, ~(p & d)},
      {R2_MASKPEN, p & d},
      {R2_NOTXORPEN, ~(p ^ d)},
      {R2_NOP, d},
      {R2_MERGENOTPEN, ~p | d},
      {R2_COPYPEN, p},
      {R2_MERGEPENNOT, p | ~d},
      {R2_MERGEPEN, p | d},
      {R2_WHITE, 0xFFFFFF},
  };
  for (const Case& k : cases) {
    Canvas c(3, 1);
    c.bits()[0] = d;
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(0xF0, 0x0F, 0xFF));
    SelectObject(c.dc(), pen);
    SetROP2(c.dc(), k.mode);
    MoveToEx(c.dc(), 0, 0, nullptr);
    LineTo(c.dc(), 1, 0);
    EXPECT_EQ(c.At(0, 0), k.expected & 0xFFFFFF) << "mode " << k.mode;
    EXPECT_EQ(c.At(1, 0), 0xFFFFFFu) << "mode " << k.mode;
    SelectObject(c.dc(), GetStockObject(BLACK_PEN));
    DeleteObject(pen);
  }
}

TEST(GdiDraw, HatchBrushDrawsLinesInItsColourOverTheBackColour) {
  Canvas c(16, 16);
  HBRUSH hatch = CreateHatchBrush(HS_HORIZONTAL, RGB(255, 0, 0));
  SelectObject(c.dc(), hatch);
  SelectObject(c.dc(), GetStockObject(NULL_PEN));
  SetBkColor(c.dc(), RGB(0, 0, 255));
  Rectangle(c.dc(), 0, 0, 17, 17);
  for (int y = 0; y < 16; ++y) {
    EXPECT_EQ(c.At(5, y), y % 8 == 3 ? 0xFF0000u : 0x0000FFu) << y;
  }
  // Transparent background mode leaves the pixels between the lines.
  PatBlt(c.dc(), 0, 0, 16, 16, WHITENESS);
  SetBkMode(c.dc(), TRANSPARENT);
  Rectangle(c.dc(), 0, 0, 17, 17);
  EXPECT_EQ(c.At(5, 3), 0xFF0000u);
  EXPECT_EQ(c.At(5, 4), 0xFFFFFFu);
  SelectObject(c.dc(), GetStockObject(WHITE_BRUSH));
  DeleteObject(hatch);
}

TEST(GdiDraw, DiagonalHatchRunsFromTopLeftToBottomRight) {
  Canvas c(8, 8);
  HBRUSH hatch = CreateHatchBrush(HS_FDIAGONAL, RGB(0, 0, 0));
  SelectObject(c.dc(), hatch);
  SetBkMode(c.dc(), TRANSPARENT);
  PatBlt(c.dc(), 0, 0, 8, 8, PATCOPY);
  // Blits fill the hatch background with the back colour in every mode.
  for (int i = 0; i < 8; ++i) EXPECT_EQ(c.At(i, i), 0u);
  EXPECT_EQ(c.At(1, 0), 0xFFFFFFu);
  SelectObject(c.dc(), GetStockObject(WHITE_BRUSH));
  DeleteObject(hatch);
}

HBITMAP DotPattern() {
  // An 8 x 8 monochrome bitmap, all 1 (white) but bit 0 at (0, 0); rows are
  // padded to 16 bits.
  uint8_t rows[16];
  std::memset(rows, 0xFF, sizeof rows);
  rows[0] = 0x7F;
  return CreateBitmap(8, 8, 1, 1, rows);
}

TEST(GdiDraw, PatternBrushIsAlignedToTheBrushOriginNotTheShape) {
  Canvas c(24, 24);
  HBITMAP bits = DotPattern();
  HBRUSH brush = CreatePatternBrush(bits);
  DeleteObject(bits);  // the brush keeps its own copy
  SelectObject(c.dc(), brush);
  SelectObject(c.dc(), GetStockObject(NULL_PEN));
  SetTextColor(c.dc(), RGB(255, 0, 0));
  SetBkColor(c.dc(), RGB(0, 0, 255));
  Rectangle(c.dc(), 3, 3, 21, 21);
  // 0 bits take the text colour, 1 bits the back colour.
  EXPECT_EQ(c.At(8, 8), 0xFF0000u);
  EXPECT_EQ(c.At(16, 16), 0xFF0000u);
  EXPECT_EQ(c.At(3, 3), 0x0000FFu);
  EXPECT_EQ(c.At(9, 8), 0x0000FFu);
  SetBrushOrgEx(c.dc(), 2, 5, nullptr);
  PatBlt(c.dc(), 0, 0, 24, 24, PATCOPY);
  EXPECT_EQ(c.At(2, 5), 0xFF0000u);
  EXPECT_EQ(c.At(10, 13), 0xFF0000u);
  EXPECT_EQ(c.At(8, 8), 0x0000FFu);
  SelectObject(c.dc(), GetStockObject(WHITE_BRUSH));
  DeleteObject(brush);
}

TEST(GdiDraw, PatternPenColoursEachPixelFromItsBrush) {
  Canvas c(10, 3);
  // Columns alternate: even columns bit 0 (text colour), odd bit 1.
  uint8_t rows[16];
  for (int i = 0; i < 16; ++i) rows[i] = (i % 2 == 0) ? 0x55 : 0xFF;
  HBITMAP bits = CreateBitmap(8, 8, 1, 1, rows);
  LOGBRUSH lb{BS_PATTERN, 0, reinterpret_cast<ULONG_PTR>(bits)};
  HPEN pen = ExtCreatePen(PS_GEOMETRIC | PS_JOIN_MITER, 1, &lb, 0, nullptr);
  ASSERT_NE(pen, nullptr);
  DeleteObject(bits);
  SelectObject(c.dc(), pen);
  SetTextColor(c.dc(), RGB(0, 0, 0));
  SetBkColor(c.dc(), RGB(0, 255, 0));
  MoveToEx(c.dc(), 0, 1, nullptr);
  LineTo(c.dc(), 10, 1);
  for (int x = 0; x < 10; ++x) EXPECT_EQ(c.At(x, 1), x % 2 == 0 ? 0u : 0x00FF00u) << x;
  SelectObject(c.dc(), GetStockObject(BLACK_PEN));
  DeleteObject(pen);
}

TEST(GdiDraw, EllipseFitsItsBoxAndIsSymmetric) {
  Canvas c(12, 10);
  SelectObject(c.dc(), GetStockObject(BLACK_BRUSH));
  Ellipse(c.dc(), 1, 1, 11, 9);
  std::string pic = c.Picture();
  // Nothing outside x 1..10, y 1..8; every side touched.
  for (int y = 0; y < 10; ++y) {
    for (int x = 0; x < 12; ++x) {
      bool inBox = x >= 1 && x <= 10 && y >= 1 && y <= 8;
      if (!inBox) {
        EXPECT_EQ(c.At(x, y), 0xFFFFFFu) << x << "," << y;
      }
      EXPECT_EQ(c.At(x, y), c.At(11 - x, y)) << x << "," << y;
      EXPECT_EQ(c.At(x, y), c.At(x, 9 - y)) << x << "," << y;
    }
  }
  EXPECT_EQ(c.At(1, 4), 0u);
  EXPECT_EQ(c.At(10, 4), 0u);
  EXPECT_EQ(c.At(5, 1), 0u);
  EXPECT_EQ(c.At(5, 8), 0u);
  EXPECT_EQ(c.At(1, 1), 0xFFFFFFu);
  EXPECT_EQ(pic, Rows({"............",
                       "....####....",
                       "..########..",
                       ".##########.",
                       ".##########.",
                       ".##########.",
                       ".##########.",
                       "..########..",
                       "....####....",
                       "............"}));
}

TEST(GdiDraw, EllipseFrameAndInteriorTakePenAndBrush) {
  Canvas c(11, 11);
  HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
  SelectObject(c.dc(), blue);
  Ellipse(c.dc(), 0, 0, 11, 11);
  EXPECT_EQ(c.At(5, 0), 0u);
  EXPECT_EQ(c.At(0, 5), 0u);
  EXPECT_EQ(c.At(10, 5), 0u);
  EXPECT_EQ(c.At(5, 5), 0x0000FFu);
  EXPECT_EQ(c.At(5, 1), 0x0000FFu);
  SelectObject(c.dc(), GetStockObject(WHITE_BRUSH));
  DeleteObject(blue);
}

TEST(GdiDraw, RoundRectCutsItsCorners) {
  Canvas c(12, 10);
  SelectObject(c.dc(), GetStockObject(BLACK_BRUSH));
  RoundRect(c.dc(), 0, 0, 12, 10, 6, 6);
  EXPECT_EQ(c.At(0, 0), 0xFFFFFFu);
  EXPECT_EQ(c.At(11, 9), 0xFFFFFFu);
  EXPECT_EQ(c.At(0, 5), 0u);
  EXPECT_EQ(c.At(6, 0), 0u);
  EXPECT_EQ(c.At(11, 5), 0u);
  EXPECT_EQ(c.At(6, 9), 0u);
  // A corner as large as the box is an ellipse.
  Canvas e(12, 10), r(12, 10);
  SelectObject(e.dc(), GetStockObject(BLACK_BRUSH));
  SelectObject(r.dc(), GetStockObject(BLACK_BRUSH));
  Ellipse(e.dc(), 0, 0, 12, 10);
  RoundRect(r.dc(), 0, 0, 12, 10, 12, 10);
  EXPECT_EQ(e.Picture(), r.Picture());
}

TEST(GdiDraw, PolygonFillModesDifferOnAStar) {
  POINT star[] = {{10, 0}, {16, 19}, {0, 7}, {20, 7}, {4, 19}};
  Canvas alt(21, 20), wind(21, 20);
  for (Canvas* c : {&alt, &wind}) {
    SelectObject(c->dc(), GetStockObject(NULL_PEN));
    SelectObject(c->dc(), GetStockObject(BLACK_BRUSH));
  }
  SetPolyFillMode(wind.dc(), WINDING);
  Polygon(alt.dc(), star, 5);
  Polygon(wind.dc(), star, 5);
  EXPECT_EQ(alt.At(10, 10), 0xFFFFFFu);  // the centre is crossed twice
  EXPECT_EQ(wind.At(10, 10), 0u);
  EXPECT_EQ(alt.At(10, 3), 0u);  // a point of the star in both
  EXPECT_EQ(wind.At(10, 3), 0u);
}

TEST(GdiDraw, PolygonFillExcludesRightAndBottomEdges) {
  Canvas c(12, 12);
  SelectObject(c.dc(), GetStockObject(NULL_PEN));
  SelectObject(c.dc(), GetStockObject(BLACK_BRUSH));
  POINT square[] = {{1, 1}, {11, 1}, {11, 11}, {1, 11}};
  Polygon(c.dc(), square, 4);
  EXPECT_EQ(c.At(1, 1), 0u);
  EXPECT_EQ(c.At(10, 10), 0u);
  EXPECT_EQ(c.At(11, 5), 0xFFFFFFu);
  EXPECT_EQ(c.At(5, 11), 0xFFFFFFu);
  EXPECT_EQ(c.At(0, 0), 0xFFFFFFu);
}

TEST(GdiDraw, PolygonFrameIsClosedAndLeavesTheFillInside) {
  Canvas c(6, 6);
  HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
  SelectObject(c.dc(), blue);
  POINT square[] = {{1, 1}, {4, 1}, {4, 4}, {1, 4}};
  Polygon(c.dc(), square, 4);
  // The frame runs through every vertex, round to the start.
  for (int i = 1; i <= 4; ++i) {
    EXPECT_EQ(c.At(i, 1), 0u);
    EXPECT_EQ(c.At(i, 4), 0u);
    EXPECT_EQ(c.At(1, i), 0u);
    EXPECT_EQ(c.At(4, i), 0u);
  }
  EXPECT_EQ(c.At(2, 2), 0x0000FFu);
  EXPECT_EQ(c.At(3, 3), 0x0000FFu);
  EXPECT_EQ(c.At(5, 5), 0xFFFFFFu);
  SelectObject(c.dc(), GetStockObject(WHITE_BRUSH));
  DeleteObject(blue);
}

TEST(GdiDraw, InvertRectTwiceRestoresAndIgnoresInvertedRects) {
  Canvas c(6, 4);
  c.bits()[7] = 0x00123456;
  RECT r{1, 1, 4, 3};
  InvertRect(c.dc(), &r);
  EXPECT_EQ(c.At(1, 1), 0xEDCBA9u);
  EXPECT_EQ(c.At(3, 2), 0u);
  EXPECT_EQ(c.At(4, 2), 0xFFFFFFu);
  InvertRect(c.dc(), &r);
  EXPECT_EQ(c.At(1, 1), 0x123456u);
  RECT backwards{4, 1, 1, 3};
  InvertRect(c.dc(), &backwards);
  EXPECT_EQ(c.At(2, 1), 0xFFFFFFu);
}

TEST(GdiDraw, RegionCallsFillFrameAndInvert) {
  Canvas c(10, 8);
  HRGN rgn = CreateRectRgn(1, 1, 9, 7);
  HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  FrameRgn(c.dc(), rgn, black, 2, 1);
  EXPECT_EQ(c.Picture(), Rows({"..........",
                               ".########.",
                               ".##....##.",
                               ".##....##.",
                               ".##....##.",
                               ".##....##.",
                               ".########.",
                               ".........."}));
  InvertRgn(c.dc(), rgn);
  EXPECT_EQ(c.At(1, 1), 0xFFFFFFu);
  EXPECT_EQ(c.At(4, 3), 0u);
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  FillRgn(c.dc(), rgn, red);
  EXPECT_EQ(c.At(8, 6), 0xFF0000u);
  EXPECT_EQ(c.At(9, 6), 0xFFFFFFu);
  SelectObject(c.dc(), GetStockObject(BLACK_BRUSH));
  HRGN small = CreateRectRgn(2, 2, 4, 4);
  PaintRgn(c.dc(), small);
  EXPECT_EQ(c.At(3, 3), 0u);
  EXPECT_EQ(c.At(4, 4), 0xFF0000u);
  SelectObject(c.dc(), GetStockObject(WHITE_BRUSH));
  DeleteObject(rgn);
  DeleteObject(small);
  DeleteObject(red);
}

TEST(GdiDraw, RegionsAreMovedByTheViewportOrigin) {
  Canvas c(10, 10);
  SetViewportOrgEx(c.dc(), 3, 2, nullptr);
  HRGN rgn = CreateRectRgn(0, 0, 2, 2);
  InvertRgn(c.dc(), rgn);
  EXPECT_EQ(c.At(3, 2), 0u);
  EXPECT_EQ(c.At(4, 3), 0u);
  EXPECT_EQ(c.At(0, 0), 0xFFFFFFu);
  DeleteObject(rgn);
}

TEST(GdiDraw, OriginsMoveEveryShape) {
  Canvas c(10, 10);
  SetViewportOrgEx(c.dc(), 5, 5, nullptr);
  SetWindowOrgEx(c.dc(), 2, 2, nullptr);
  SelectObject(c.dc(), GetStockObject(NULL_BRUSH));
  Rectangle(c.dc(), 2, 2, 5, 5);  // device 5..7
  EXPECT_EQ(c.At(5, 5), 0u);
  EXPECT_EQ(c.At(7, 7), 0u);
  EXPECT_EQ(c.At(8, 8), 0xFFFFFFu);
  POINT p{2, 2};
  LPtoDP(c.dc(), &p, 1);
  EXPECT_EQ(p.x, 5);
  DPtoLP(c.dc(), &p, 1);
  EXPECT_EQ(p.x, 2);
}

TEST(GdiDraw, SetPixelAndGetPixelAddressDevicePixels) {
  Canvas c(4, 4);
  EXPECT_EQ(SetPixel(c.dc(), 2, 1, RGB(1, 2, 3)), RGB(1, 2, 3));
  EXPECT_EQ(c.At(2, 1), 0x010203u);
  EXPECT_EQ(GetPixel(c.dc(), 2, 1), RGB(1, 2, 3));
  EXPECT_EQ(GetPixel(c.dc(), 4, 0), CLR_INVALID);
  EXPECT_EQ(SetPixel(c.dc(), -1, 0, RGB(0, 0, 0)), CLR_INVALID);
  // A palette-relative colour is its RGB on a true-colour device.
  SetPixel(c.dc(), 0, 0, PALETTERGB(9, 8, 7));
  EXPECT_EQ(c.At(0, 0), 0x090807u);
  // A palette index goes through the selected palette (default palette
  // entry 13 is red).
  SetPixel(c.dc(), 1, 0, PALETTEINDEX(13));
  EXPECT_EQ(c.At(1, 0), 0xFF0000u);
}

TEST(GdiDraw, FloodFillFillsTheConnectedAreaOfTheSeedColour) {
  Canvas c(8, 8);
  SelectObject(c.dc(), GetStockObject(NULL_BRUSH));
  Rectangle(c.dc(), 1, 1, 7, 7);
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  SelectObject(c.dc(), red);
  ASSERT_TRUE(ExtFloodFill(c.dc(), 3, 3, RGB(255, 255, 255), FLOODFILLSURFACE));
  EXPECT_EQ(c.At(2, 2), 0xFF0000u);
  EXPECT_EQ(c.At(5, 5), 0xFF0000u);
  EXPECT_EQ(c.At(1, 1), 0u);
  EXPECT_EQ(c.At(0, 0), 0xFFFFFFu);
  // A seed of another colour fills nothing.
  EXPECT_FALSE(ExtFloodFill(c.dc(), 1, 1, RGB(255, 255, 255), FLOODFILLSURFACE));
  // Border fill from outside stops at the frame.
  HBRUSH green = CreateSolidBrush(RGB(0, 255, 0));
  SelectObject(c.dc(), green);
  ASSERT_TRUE(FloodFill(c.dc(), 0, 0, RGB(0, 0, 0)));
  EXPECT_EQ(c.At(7, 7), 0x00FF00u);
  EXPECT_EQ(c.At(3, 3), 0xFF0000u);
  SelectObject(c.dc(), GetStockObject(WHITE_BRUSH));
  DeleteObject(red);
  DeleteObject(green);
}

void CollectPoint(int x, int y, LPARAM data) {
  reinterpret_cast<std::vector<POINT>*>(data)->push_back({x, y});
}

TEST(GdiDraw, LineDdaGivesEveryPointButTheLast) {
  std::vector<POINT> pts;
  ASSERT_TRUE(LineDDA(0, 0, 3, 0, CollectPoint, reinterpret_cast<LPARAM>(&pts)));
  ASSERT_EQ(pts.size(), 3u);
  EXPECT_EQ(pts[2].x, 2);
  pts.clear();
  LineDDA(5, 5, 5, 5, CollectPoint, reinterpret_cast<LPARAM>(&pts));
  EXPECT_TRUE(pts.empty());
}

TEST(GdiDraw, ClipRegionLimitsEveryDrawing) {
  Canvas c(8, 8);
  HRGN clip = CreateRectRgn(2, 2, 6, 5);
  EXPECT_EQ(SelectClipRgn(c.dc(), clip), SIMPLEREGION);
  DeleteObject(clip);  // the DC keeps a copy
  PatBlt(c.dc(), 0, 0, 8, 8, BLACKNESS);
  MoveToEx(c.dc(), 0, 6, nullptr);
  LineTo(c.dc(), 8, 6);
  EXPECT_EQ(c.Picture(), Rows({"........",
                               "........",
                               "..####..",
                               "..####..",
                               "..####..",
                               "........",
                               "........",
                               "........"}));
  EXPECT_EQ(ExcludeClipRect(c.dc(), 3, 3, 5, 4), COMPLEXREGION);
  PatBlt(c.dc(), 0, 0, 8, 8, WHITENESS);
  EXPECT_EQ(c.At(3, 3), 0u);
  EXPECT_EQ(c.At(2, 3), 0xFFFFFFu);
  RECT box;
  EXPECT_EQ(GetClipBox(c.dc(), &box), COMPLEXREGION);
  EXPECT_EQ(box.left, 2);
  EXPECT_EQ(box.bottom, 5);
  EXPECT_EQ(SelectClipRgn(c.dc(), nullptr), SIMPLEREGION);
  EXPECT_EQ(GetClipBox(c.dc(), &box), SIMPLEREGION);
  EXPECT_EQ(box.right, 8);
}

TEST(GdiDraw, IntersectClipRectTakesLogicalCoordinates) {
  Canvas c(8, 8);
  SetViewportOrgEx(c.dc(), 2, 2, nullptr);
  IntersectClipRect(c.dc(), 0, 0, 2, 2);  // device 2..3
  SetViewportOrgEx(c.dc(), 0, 0, nullptr);
  PatBlt(c.dc(), 0, 0, 8, 8, BLACKNESS);
  EXPECT_EQ(c.At(2, 2), 0u);
  EXPECT_EQ(c.At(3, 3), 0u);
  EXPECT_EQ(c.At(4, 4), 0xFFFFFFu);
  EXPECT_EQ(c.At(1, 1), 0xFFFFFFu);
  HRGN copy = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetClipRgn(c.dc(), copy), 1);
  RECT b;
  GetRgnBox(copy, &b);
  EXPECT_EQ(b.left, 2);
  EXPECT_EQ(b.right, 4);
  DeleteObject(copy);
  EXPECT_TRUE(PtVisible(c.dc(), 3, 3));
  EXPECT_FALSE(PtVisible(c.dc(), 4, 3));
  RECT r{3, 3, 10, 10};
  EXPECT_TRUE(RectVisible(c.dc(), &r));
  RECT off{4, 4, 10, 10};
  EXPECT_FALSE(RectVisible(c.dc(), &off));
}

TEST(GdiDraw, AClipMadeBeforeTheBitmapIsSelectedStillApplies) {
  HDC screen = GetDC(nullptr);
  HBITMAP bmp = CreateCompatibleBitmap(screen, 10, 10);
  ReleaseDC(nullptr, screen);
  HDC white = CreateCompatibleDC(nullptr);
  HGDIOBJ first = SelectObject(white, bmp);
  PatBlt(white, 0, 0, 10, 10, WHITENESS);
  SelectObject(white, first);
  DeleteDC(white);
  HDC dc = CreateCompatibleDC(nullptr);  // holds the 1 x 1 bitmap
  IntersectClipRect(dc, 0, 0, 6, 6);
  HGDIOBJ old = SelectObject(dc, bmp);
  PatBlt(dc, 0, 0, 10, 10, BLACKNESS);
  EXPECT_EQ(GetPixel(dc, 5, 5), RGB(0, 0, 0));
  SelectClipRgn(dc, nullptr);
  EXPECT_EQ(GetPixel(dc, 6, 6), RGB(255, 255, 255));
  SelectObject(dc, old);
  DeleteObject(bmp);
  DeleteDC(dc);
}

// Screen DCs got before anything drew share the one screen: what one draws
// the other reads, and its size is the screen's.
TEST(GdiDraw, ScreenDcsShareTheScreenMadeWhenFirstDrawn) {
  HDC reader = GetDC(nullptr);
  HDC writer = GetDC(nullptr);
  ASSERT_NE(reader, nullptr);
  ASSERT_NE(writer, nullptr);
  const int width = GetDeviceCaps(writer, HORZRES);
  const int height = GetDeviceCaps(writer, VERTRES);
  EXPECT_GT(width, 0);
  RECT clip{};
  EXPECT_NE(GetClipBox(reader, &clip), ERROR);
  EXPECT_EQ(clip.right, width);
  EXPECT_EQ(clip.bottom, height);
  const COLORREF before = GetPixel(reader, 3, 2);
  const COLORREF mark = before == RGB(10, 20, 30) ? RGB(30, 20, 10) : RGB(10, 20, 30);
  SetPixel(writer, 3, 2, mark);
  EXPECT_EQ(GetPixel(reader, 3, 2), mark);
  SetPixel(writer, 3, 2, before);
  EXPECT_EQ(GetPixel(reader, 3, 2), before);
  ReleaseDC(nullptr, writer);
  ReleaseDC(nullptr, reader);
}

TEST(GdiDraw, SaveDcAndRestoreDcBringBackStateAndClip) {
  Canvas c(8, 8);
  HPEN red = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
  HGDIOBJ oldPen = SelectObject(c.dc(), red);
  SetROP2(c.dc(), R2_XORPEN);
  SetTextColor(c.dc(), RGB(1, 1, 1));
  IntersectClipRect(c.dc(), 0, 0, 4, 4);
  int level = SaveDC(c.dc());
  EXPECT_EQ(level, 1);
  SelectObject(c.dc(), GetStockObject(BLACK_PEN));
  SetROP2(c.dc(), R2_COPYPEN);
  SetTextColor(c.dc(), RGB(2, 2, 2));
  SelectClipRgn(c.dc(), nullptr);
  SetViewportOrgEx(c.dc(), 3, 3, nullptr);
  EXPECT_EQ(SaveDC(c.dc()), 2);
  EXPECT_TRUE(RestoreDC(c.dc(), 1));
  EXPECT_EQ(GetCurrentObject(c.dc(), OBJ_PEN), static_cast<HGDIOBJ>(red));
  EXPECT_EQ(GetROP2(c.dc()), R2_XORPEN);
  EXPECT_EQ(GetTextColor(c.dc()), RGB(1, 1, 1));
  POINT org;
  GetViewportOrgEx(c.dc(), &org);
  EXPECT_EQ(org.x, 0);
  RECT box;
  GetClipBox(c.dc(), &box);
  EXPECT_EQ(box.right, 4);
  // Both saved states are gone now.
  EXPECT_FALSE(RestoreDC(c.dc(), -1));
  EXPECT_FALSE(RestoreDC(c.dc(), 0));
  SaveDC(c.dc());
  SetROP2(c.dc(), R2_NOT);
  EXPECT_TRUE(RestoreDC(c.dc(), -1));
  EXPECT_EQ(GetROP2(c.dc()), R2_XORPEN);
  SelectObject(c.dc(), oldPen);
  EXPECT_TRUE(DeleteObject(red));
}

TEST(GdiDraw, HugeShapesDrawOnlyTheirVisiblePart) {
  // Coordinates far outside the surface cost only what is visible.
  Canvas c(10, 10);
  MoveToEx(c.dc(), -100000000, 5, nullptr);
  ASSERT_TRUE(LineTo(c.dc(), 100000000, 5));
  for (int x = 0; x < 10; ++x) EXPECT_EQ(c.At(x, 5), 0u) << x;
  EXPECT_EQ(c.At(0, 4), 0xFFFFFFu);
  // A steep line through the surface keeps its slope outside it.
  PatBlt(c.dc(), 0, 0, 10, 10, WHITENESS);
  MoveToEx(c.dc(), -50000000, -100000000, nullptr);
  LineTo(c.dc(), 50000000, 100000000);  // passes (0, 0), (1, 2), (2, 4)...
  EXPECT_EQ(c.At(0, 0), 0u);
  EXPECT_EQ(c.At(1, 2), 0u);
  EXPECT_EQ(c.At(4, 8), 0u);
  // Half-way rows round forward: row 1 (x 0.5) takes pixel 1, as the
  // same line drawn short does.
  EXPECT_EQ(c.At(1, 1), 0u);
  EXPECT_EQ(c.At(0, 1), 0xFFFFFFu);
  EXPECT_EQ(c.At(2, 2), 0xFFFFFFu);
  Canvas shortLine(10, 10);
  MoveToEx(shortLine.dc(), 0, 0, nullptr);
  LineTo(shortLine.dc(), 5, 10);
  for (int y = 0; y < 10; ++y) {
    for (int x = 0; x < 10; ++x) EXPECT_EQ(shortLine.At(x, y), c.At(x, y)) << x << "," << y;
  }
  SelectObject(c.dc(), GetStockObject(BLACK_BRUSH));
  ASSERT_TRUE(Ellipse(c.dc(), -60000000, -60000000, 60000000, 60000000));
  EXPECT_EQ(c.At(9, 9), 0u);
  HPEN wide = CreatePen(PS_SOLID, 4, RGB(0, 0, 0));
  SelectObject(c.dc(), wide);
  POINT far[] = {{-50000000, 2}, {50000000, 2}, {0, 100000000}};
  EXPECT_TRUE(Polygon(c.dc(), far, 3));
  // Beyond GDI's coordinate range the call fails and draws nothing.
  PatBlt(c.dc(), 0, 0, 10, 10, WHITENESS);
  MoveToEx(c.dc(), 0, 0, nullptr);
  EXPECT_FALSE(LineTo(c.dc(), 1 << 28, 0));
  EXPECT_FALSE(Rectangle(c.dc(), 0, 0, 1 << 28, 5));
  EXPECT_EQ(c.At(1, 0), 0xFFFFFFu);
  SelectObject(c.dc(), GetStockObject(BLACK_PEN));
  SelectObject(c.dc(), GetStockObject(WHITE_BRUSH));
  DeleteObject(wide);
}

TEST(GdiDraw, DrawingOnAMonochromeBitmapMatchesColoursToBlackOrWhite) {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP mono = CreateBitmap(16, 2, 1, 1, nullptr);
  HGDIOBJ old = SelectObject(dc, mono);
  PatBlt(dc, 0, 0, 16, 2, WHITENESS);
  SetPixel(dc, 0, 0, RGB(200, 200, 200));  // light: white
  SetPixel(dc, 1, 0, RGB(100, 100, 100));  // dark: black
  SetPixel(dc, 2, 0, RGB(128, 128, 127));  // sum 383: white
  SetPixel(dc, 3, 0, RGB(128, 127, 127));  // sum 382: black
  uint8_t bits[4];
  ASSERT_EQ(GetBitmapBits(mono, 4, bits), 4);
  EXPECT_EQ(bits[0], 0xAF);  // 1010 1111
  EXPECT_EQ(GetPixel(dc, 1, 0), RGB(0, 0, 0));
  SelectObject(dc, old);
  DeleteObject(mono);
  DeleteDC(dc);
}

}  // namespace
