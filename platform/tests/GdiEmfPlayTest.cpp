// Playing enhanced metafiles: a recorded drawing plays back to the pixels of
// the drawing itself, scaled and moved playback, the DC left as it was, and
// bad or truncated metafiles refused without harm.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "platform/gdi/WinGdiMetafile.h"
#include "platform/gdi/emf/GdiEmfFormat.h"
#include "platform/tests/GdiTestCanvas.h"

namespace {

RECT FrameOf(int w, int h) {
  HDC screen = GetDC(nullptr);
  RECT f{0, 0, w * GetDeviceCaps(screen, HORZSIZE) * 100 / GetDeviceCaps(screen, HORZRES),
         h * GetDeviceCaps(screen, VERTSIZE) * 100 / GetDeviceCaps(screen, VERTRES)};
  ReleaseDC(nullptr, screen);
  return f;
}

template <typename Draw>
HENHMETAFILE Recorded(int w, int h, Draw draw) {
  RECT frame = FrameOf(w, h);
  HDC dc = CreateEnhMetaFileA(nullptr, nullptr, &frame, "Qvbase\0Temporary picture\0");
  draw(dc);
  return CloseEnhMetaFile(dc);
}

// The bitmaps a drawing copies from.
struct Sources {
  Sources() {
    colorDc = CreateCompatibleDC(nullptr);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = 20;
    info.bmiHeader.biHeight = 15;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    color = CreateDIBSection(colorDc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    oldColor = SelectObject(colorDc, color);
    for (int y = 0; y < 15; ++y) {
      for (int x = 0; x < 20; ++x) {
        SetPixel(colorDc, x, y, (x + y) % 5 == 0 ? RGB(255, 0, 255) : RGB(12 * x, 16 * y, 90));
      }
    }
    monoDc = CreateCompatibleDC(nullptr);
    uint8_t rows[16 * 2];
    for (int i = 0; i < 32; ++i) rows[i] = static_cast<uint8_t>(i & 1 ? 0x3C : 0xA5 ^ i);
    mono = CreateBitmap(16, 16, 1, 1, rows);
    oldMono = SelectObject(monoDc, mono);
    uint8_t pattern[8 * 2];
    for (int i = 0; i < 16; ++i) pattern[i] = static_cast<uint8_t>(i % 2 ? 0 : (0x81 >> (i / 2)) | 0x10);
    HBITMAP monoPattern = CreateBitmap(8, 8, 1, 1, pattern);
    monoBrush = CreatePatternBrush(monoPattern);
    DeleteObject(monoPattern);
    HDC screen = GetDC(nullptr);
    HBITMAP colorPattern = CreateCompatibleBitmap(screen, 6, 5);
    ReleaseDC(nullptr, screen);
    HDC tmp = CreateCompatibleDC(nullptr);
    HGDIOBJ o = SelectObject(tmp, colorPattern);
    for (int y = 0; y < 5; ++y) {
      for (int x = 0; x < 6; ++x) SetPixel(tmp, x, y, RGB(40 * x, 50 * y, 200 - 30 * x));
    }
    SelectObject(tmp, o);
    DeleteDC(tmp);
    colorBrush = CreatePatternBrush(colorPattern);
    DeleteObject(colorPattern);
  }
  ~Sources() {
    SelectObject(colorDc, oldColor);
    SelectObject(monoDc, oldMono);
    DeleteObject(color);
    DeleteObject(mono);
    DeleteDC(colorDc);
    DeleteDC(monoDc);
    DeleteObject(monoBrush);
    DeleteObject(colorBrush);
  }
  HDC colorDc, monoDc;
  HBITMAP color, mono;
  HGDIOBJ oldColor, oldMono;
  HBRUSH monoBrush, colorBrush;
};

HFONT Font(const char* face, int height, int weight = FW_NORMAL) {
  LOGFONTA lf{};
  lf.lfHeight = height;
  lf.lfWeight = weight;
  lf.lfQuality = NONANTIALIASED_QUALITY;
  std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
  return CreateFontIndirectA(&lf);
}

// Everything the recorder records, on a 260 x 160 picture.
void DrawScene(HDC dc, const Sources& s) {
  HPEN red = CreatePen(PS_SOLID, 3, RGB(200, 20, 20));
  HBRUSH hatch = CreateHatchBrush(HS_DIAGCROSS, RGB(20, 20, 200));
  HGDIOBJ oldPen = SelectObject(dc, red);
  HGDIOBJ oldBrush = SelectObject(dc, hatch);
  SetBkColor(dc, RGB(255, 255, 200));
  Rectangle(dc, 4, 4, 50, 30);

  // Pattern brushes: a monochrome one takes the text and back colours.
  SetTextColor(dc, RGB(0, 120, 0));
  SetBkColor(dc, RGB(250, 240, 230));
  SelectObject(dc, s.monoBrush);
  Ellipse(dc, 55, 5, 110, 45);
  SelectObject(dc, s.colorBrush);
  RoundRect(dc, 115, 5, 170, 45, 12, 10);
  SetBrushOrgEx(dc, 3, 5, nullptr);
  PatBlt(dc, 175, 5, 40, 40, PATCOPY);
  SetBrushOrgEx(dc, 0, 0, nullptr);

  // Polygons and lines, mix modes, a wide flat pen.
  HBRUSH blue = CreateSolidBrush(RGB(30, 60, 220));
  SelectObject(dc, blue);
  SetPolyFillMode(dc, WINDING);
  POINT star[5] = {{230, 5}, {245, 45}, {215, 20}, {250, 20}, {220, 45}};
  Polygon(dc, star, 5);
  SetROP2(dc, R2_NOTXORPEN);
  POINT zig[4] = {{2, 50}, {60, 58}, {10, 66}, {70, 74}};
  Polyline(dc, zig, 4);
  SetROP2(dc, R2_COPYPEN);
  LOGBRUSH lb{BS_SOLID, RGB(0, 150, 150), 0};
  HPEN wide = ExtCreatePen(PS_GEOMETRIC | PS_ENDCAP_FLAT | PS_JOIN_MITER, 5, &lb, 0, nullptr);
  SelectObject(dc, wide);
  MoveToEx(dc, 75, 50, nullptr);
  LineTo(dc, 120, 70);
  LineTo(dc, 80, 75);
  SelectObject(dc, GetStockObject(BLACK_PEN));

  // Regions.
  HRGN ellipse = CreateEllipticRgn(5, 80, 55, 115);
  HBRUSH green = CreateSolidBrush(RGB(0, 180, 0));
  FillRgn(dc, ellipse, green);
  FrameRgn(dc, ellipse, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)), 2, 1);
  HRGN box = CreateRectRgn(20, 85, 45, 100);
  InvertRgn(dc, box);
  SelectObject(dc, hatch);
  OffsetRgn(box, 35, 0);
  PaintRgn(dc, box);

  // Clipping inside saved states.
  SaveDC(dc);
  IntersectClipRect(dc, 90, 80, 160, 120);
  ExcludeClipRect(dc, 100, 90, 115, 105);
  SelectObject(dc, green);
  Rectangle(dc, 85, 75, 165, 125);
  SaveDC(dc);
  HRGN round = CreateEllipticRgn(95, 78, 150, 118);
  ExtSelectClipRgn(dc, round, RGN_AND);
  SelectObject(dc, blue);
  Rectangle(dc, 85, 75, 165, 125);
  OffsetClipRgn(dc, 6, 2);
  SelectObject(dc, s.monoBrush);
  Rectangle(dc, 85, 75, 165, 125);
  RestoreDC(dc, -1);
  SelectClipRgn(dc, nullptr);
  ExcludeClipRect(dc, 0, 0, 4, 4);
  RestoreDC(dc, 1);
  DeleteObject(round);

  // Blits: colour, monochrome (coloured by the destination), stretched,
  // mirrored, with a source partly outside its bitmap, and transparent.
  BitBlt(dc, 170, 50, 20, 15, s.colorDc, 0, 0, SRCCOPY);
  SetTextColor(dc, RGB(255, 0, 0));
  SetBkColor(dc, RGB(0, 0, 255));
  BitBlt(dc, 192, 50, 16, 16, s.monoDc, 0, 0, SRCCOPY);
  StretchBlt(dc, 170, 68, 40, 30, s.colorDc, 0, 0, 20, 15, SRCCOPY);
  SelectObject(dc, s.colorBrush);
  BitBlt(dc, 212, 50, 20, 15, s.colorDc, 0, 0, 0x00B8074A);  // PSDPxax: all three
  StretchBlt(dc, 255, 68, -20, 15, s.colorDc, 0, 0, 20, 15, SRCCOPY);
  BitBlt(dc, 212, 68, 20, 15, s.colorDc, 10, 5, SRCCOPY);
  TransparentBlt(dc, 234, 50, 20, 15, s.colorDc, 0, 0, 20, 15, RGB(255, 0, 255));
  StretchBlt(dc, 170, 100, 10, 8, s.colorDc, 0, 0, 20, 15, SRCCOPY);

  // DIB bits straight to the device.
  uint32_t pixels[6 * 4];
  for (int i = 0; i < 24; ++i) pixels[i] = 0x00102030u * static_cast<uint32_t>(i + 1);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = 6;
  info.bmiHeader.biHeight = 4;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  SetDIBitsToDevice(dc, 185, 100, 6, 4, 0, 0, 0, 4, pixels, &info, DIB_RGB_COLORS);
  StretchDIBits(dc, 195, 100, 18, 12, 0, 0, 6, 4, pixels, &info, DIB_RGB_COLORS, SRCCOPY);

  // Text: plain, opaque, at the current position, with advances, clipped.
  HFONT sans = Font("Arial", -14);
  HFONT serif = Font("Times New Roman", -16, FW_BOLD);
  HGDIOBJ oldFont = SelectObject(dc, sans);
  SetTextColor(dc, RGB(20, 20, 20));
  SetBkColor(dc, RGB(255, 230, 150));
  SetBkMode(dc, OPAQUE);
  TextOutA(dc, 5, 120, "Hello, world", 12);
  SetBkMode(dc, TRANSPARENT);
  SelectObject(dc, serif);
  SetTextAlign(dc, TA_BASELINE | TA_UPDATECP);
  MoveToEx(dc, 100, 150, nullptr);
  TextOutW(dc, 0, 0, u"Caf\u00e9 ", 5);
  TextOutW(dc, 0, 0, u"au lait", 7);
  SetTextAlign(dc, TA_LEFT | TA_TOP);
  RECT clip{215, 118, 250, 134};
  INT dx[6] = {7, 9, 7, 9, 7, 9};
  ExtTextOutW(dc, 212, 118, ETO_OPAQUE | ETO_CLIPPED, &clip, u"spaced", 6, dx);
  SelectObject(dc, oldFont);

  // Single pixels and an inversion.
  SetPixel(dc, 1, 1, RGB(1, 2, 3));
  SetPixel(dc, 258, 158, RGB(250, 0, 0));
  RECT invert{60, 130, 90, 150};
  InvertRect(dc, &invert);

  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
  DeleteObject(red);
  DeleteObject(hatch);
  DeleteObject(blue);
  DeleteObject(wide);
  DeleteObject(green);
  DeleteObject(ellipse);
  DeleteObject(box);
  DeleteObject(sans);
  DeleteObject(serif);
}

TEST(GdiEmfPlay, RecordedDrawingPlaysBackToTheSamePixels) {
  Sources s;
  Canvas direct(260, 160);
  DrawScene(direct.dc(), s);
  HENHMETAFILE emf = Recorded(260, 160, [&](HDC dc) { DrawScene(dc, s); });
  ASSERT_NE(emf, nullptr);
  Canvas played(260, 160);
  RECT all{0, 0, 260, 160};
  ASSERT_TRUE(PlayEnhMetaFile(played.dc(), emf, &all));
  std::string first;
  EXPECT_EQ(played.Differences(direct, &first), 0) << first;
  // The drawing did put something everywhere it was meant to.
  EXPECT_LT(direct.Count(0xFFFFFF), 260 * 160 * 3 / 4);
  DeleteEnhMetaFile(emf);
}

TEST(GdiEmfPlay, MetafileReadBackFromBitsPlaysTheSame) {
  Sources s;
  Canvas direct(260, 160);
  DrawScene(direct.dc(), s);
  HENHMETAFILE emf = Recorded(260, 160, [&](HDC dc) { DrawScene(dc, s); });
  std::vector<uint8_t> bits(GetEnhMetaFileBits(emf, 0, nullptr));
  GetEnhMetaFileBits(emf, static_cast<UINT>(bits.size()), bits.data());
  DeleteEnhMetaFile(emf);
  HENHMETAFILE again = SetEnhMetaFileBits(static_cast<UINT>(bits.size()), bits.data());
  ASSERT_NE(again, nullptr);
  Canvas played(260, 160);
  RECT all{0, 0, 260, 160};
  ASSERT_TRUE(PlayEnhMetaFile(played.dc(), again, &all));
  EXPECT_EQ(played.Differences(direct, nullptr), 0);
  DeleteEnhMetaFile(again);
}

TEST(GdiEmfPlay, PlayingIntoARecordingRecordsTheSameDrawing) {
  Sources s;
  Canvas direct(260, 160);
  DrawScene(direct.dc(), s);
  HENHMETAFILE first = Recorded(260, 160, [&](HDC dc) { DrawScene(dc, s); });
  RECT all{0, 0, 260, 160};
  HENHMETAFILE second = Recorded(260, 160, [&](HDC dc) { PlayEnhMetaFile(dc, first, &all); });
  ASSERT_NE(second, nullptr);
  Canvas played(260, 160);
  ASSERT_TRUE(PlayEnhMetaFile(played.dc(), second, &all));
  std::string where;
  EXPECT_EQ(played.Differences(direct, &where), 0) << where;
  DeleteEnhMetaFile(first);
  DeleteEnhMetaFile(second);
}

// A simple drawing that does not depend on where the device origin is
// (no device clip regions, no patterns).
void DrawPlain(HDC dc, const Sources& s) {
  HBRUSH brush = CreateSolidBrush(RGB(200, 100, 0));
  HGDIOBJ old = SelectObject(dc, brush);
  Rectangle(dc, 3, 3, 30, 20);
  Ellipse(dc, 20, 10, 50, 35);
  MoveToEx(dc, 0, 39, nullptr);
  LineTo(dc, 59, 0);
  BitBlt(dc, 35, 2, 20, 15, s.colorDc, 0, 0, SRCCOPY);
  HFONT font = Font("Arial", -12);
  HGDIOBJ oldFont = SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  TextOutA(dc, 2, 24, "Plain", 5);
  IntersectClipRect(dc, 0, 0, 58, 38);
  PatBlt(dc, 50, 30, 20, 20, BLACKNESS);
  SelectObject(dc, oldFont);
  SelectObject(dc, old);
  DeleteObject(font);
  DeleteObject(brush);
}

TEST(GdiEmfPlay, PlayingElsewhereMovesTheDrawing) {
  Sources s;
  Canvas direct(90, 70);
  SetViewportOrgEx(direct.dc(), 17, 11, nullptr);
  DrawPlain(direct.dc(), s);
  HENHMETAFILE emf = Recorded(60, 40, [&](HDC dc) { DrawPlain(dc, s); });
  Canvas played(90, 70);
  RECT at{17, 11, 77, 51};
  ASSERT_TRUE(PlayEnhMetaFile(played.dc(), emf, &at));
  std::string where;
  EXPECT_EQ(played.Differences(direct, &where), 0) << where;
  DeleteEnhMetaFile(emf);
}

TEST(GdiEmfPlay, FrameIsScaledOntoTheRectangle) {
  HENHMETAFILE emf = Recorded(40, 30, [](HDC dc) { PatBlt(dc, 10, 10, 20, 10, BLACKNESS); });
  Canvas twice(80, 60);
  RECT big{0, 0, 80, 60};
  ASSERT_TRUE(PlayEnhMetaFile(twice.dc(), emf, &big));
  EXPECT_EQ(twice.Count(0), 40 * 20);
  EXPECT_EQ(twice.At(20, 20), 0u);
  EXPECT_EQ(twice.At(59, 39), 0u);
  EXPECT_EQ(twice.At(60, 39), 0xFFFFFFu);
  EXPECT_EQ(twice.At(19, 20), 0xFFFFFFu);
  Canvas half(40, 30);
  RECT small{0, 0, 20, 15};
  ASSERT_TRUE(PlayEnhMetaFile(half.dc(), emf, &small));
  EXPECT_EQ(half.Count(0), 10 * 5);
  EXPECT_EQ(half.At(5, 5), 0u);
  EXPECT_EQ(half.At(14, 9), 0u);
  // Unequal scales: three times as wide, as high.
  Canvas wide(120, 30);
  RECT stretched{0, 0, 120, 30};
  ASSERT_TRUE(PlayEnhMetaFile(wide.dc(), emf, &stretched));
  EXPECT_EQ(wide.Count(0), 60 * 10);
  EXPECT_EQ(wide.At(30, 10), 0u);
  EXPECT_EQ(wide.At(89, 19), 0u);
  DeleteEnhMetaFile(emf);
}

TEST(GdiEmfPlay, ScaledBlitStretchesTheSourcePixels) {
  HDC mem = CreateCompatibleDC(nullptr);
  HDC screen = GetDC(nullptr);
  HBITMAP checker = CreateCompatibleBitmap(screen, 2, 2);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(mem, checker);
  SetPixel(mem, 0, 0, RGB(255, 0, 0));
  SetPixel(mem, 1, 0, RGB(0, 255, 0));
  SetPixel(mem, 0, 1, RGB(0, 0, 255));
  SetPixel(mem, 1, 1, RGB(0, 0, 0));
  HENHMETAFILE emf = Recorded(4, 4, [&](HDC dc) { BitBlt(dc, 1, 1, 2, 2, mem, 0, 0, SRCCOPY); });
  SelectObject(mem, old);
  DeleteObject(checker);
  DeleteDC(mem);
  Canvas c(16, 16);
  RECT big{0, 0, 16, 16};
  ASSERT_TRUE(PlayEnhMetaFile(c.dc(), emf, &big));
  // Each source pixel became a 4 x 4 block from (4, 4).
  EXPECT_EQ(c.At(4, 4), 0xFF0000u);
  EXPECT_EQ(c.At(7, 7), 0xFF0000u);
  EXPECT_EQ(c.At(8, 4), 0x00FF00u);
  EXPECT_EQ(c.At(11, 7), 0x00FF00u);
  EXPECT_EQ(c.At(4, 8), 0x0000FFu);
  EXPECT_EQ(c.At(11, 11), 0x000000u);
  EXPECT_EQ(c.At(12, 12), 0xFFFFFFu);
  EXPECT_EQ(c.At(3, 3), 0xFFFFFFu);
  DeleteEnhMetaFile(emf);
}

uint32_t Get32(const std::vector<uint8_t>& b, size_t at);
size_t Find(const std::vector<uint8_t>& b, uint32_t type);

// Colours given as palette entries, and a DIB whose table indexes the palette.
void DrawWithPalette(HDC dc) {
  std::vector<uint8_t> block(4 + 4 * 4);
  auto* lp = reinterpret_cast<LOGPALETTE*>(block.data());
  lp->palVersion = 0x300;
  lp->palNumEntries = 4;
  PALETTEENTRY entries[4] = {{200, 10, 10, 0}, {10, 200, 10, 0}, {10, 10, 200, 0}, {90, 90, 0, 0}};
  std::memcpy(lp->palPalEntry, entries, sizeof entries);
  HPALETTE palette = CreatePalette(lp);
  HPALETTE old = SelectPalette(dc, palette, FALSE_);
  RealizePalette(dc);
  HBRUSH brush = CreateSolidBrush(PALETTEINDEX(1));
  HGDIOBJ oldBrush = SelectObject(dc, brush);
  Rectangle(dc, 2, 2, 20, 12);
  SetPixel(dc, 25, 5, PALETTEINDEX(3));
  struct {
    BITMAPINFOHEADER header;
    uint16_t indexes[4];
  } info{};
  info.header.biSize = sizeof(BITMAPINFOHEADER);
  info.header.biWidth = 4;
  info.header.biHeight = 2;
  info.header.biPlanes = 1;
  info.header.biBitCount = 8;
  info.header.biClrUsed = 4;
  for (uint16_t i = 0; i < 4; ++i) info.indexes[i] = static_cast<uint16_t>(3 - i);
  uint8_t pixels[8] = {0, 1, 2, 3, 3, 2, 1, 0};
  SetDIBitsToDevice(dc, 22, 10, 4, 2, 0, 0, 0, 2, pixels,
                    reinterpret_cast<const BITMAPINFO*>(&info), DIB_PAL_COLORS);
  SelectObject(dc, oldBrush);
  SelectPalette(dc, old, FALSE_);
  DeleteObject(brush);
  DeleteObject(palette);
}

TEST(GdiEmfPlay, PaletteColoursPlayAsDrawn) {
  Canvas direct(30, 15);
  DrawWithPalette(direct.dc());
  HENHMETAFILE emf = Recorded(30, 15, DrawWithPalette);
  std::vector<uint8_t> b(GetEnhMetaFileBits(emf, 0, nullptr));
  GetEnhMetaFileBits(emf, static_cast<UINT>(b.size()), b.data());
  size_t create = Find(b, EMR_CREATEPALETTE);
  ASSERT_NE(create, 0u);
  EXPECT_EQ(Get32(b, create + 4), 16u + 4 * 4);
  EXPECT_EQ(Get32(b, create + 12), 0x300u | (4u << 16));  // version, count
  EXPECT_EQ(Get32(b, create + 16), 200u | (10u << 8) | (10u << 16));
  EXPECT_NE(Find(b, EMR_SELECTPALETTE), 0u);
  EXPECT_NE(Find(b, EMR_REALIZEPALETTE), 0u);
  Canvas played(30, 15);
  RECT all{0, 0, 30, 15};
  ASSERT_TRUE(PlayEnhMetaFile(played.dc(), emf, &all));
  std::string where;
  EXPECT_EQ(played.Differences(direct, &where), 0) << where;
  EXPECT_EQ(direct.At(5, 5), 0x0AC80Au);  // entry 1: RGB(10, 200, 10)
  EXPECT_EQ(direct.At(22, 11), 0x5A5A00u);  // the bottom row first: index 0 is entry 3
  DeleteEnhMetaFile(emf);
}

// A brush of its own for each of 1500 small squares.
void DrawManyBrushes(HDC dc) {
  SelectObject(dc, GetStockObject(NULL_PEN));
  for (int i = 0; i < 1500; ++i) {
    HBRUSH b = CreateSolidBrush(RGB(i % 256, (i / 256) * 40, 99));
    HGDIOBJ old = SelectObject(dc, b);
    int x = (i % 50) * 3, y = (i / 50) * 3;
    Rectangle(dc, x, y, x + 4, y + 4);
    SelectObject(dc, old);
    DeleteObject(b);
  }
}

TEST(GdiEmfPlay, ManyObjectsKeepTheTableSmall) {
  Canvas direct(150, 90);
  DrawManyBrushes(direct.dc());
  HENHMETAFILE emf = Recorded(150, 90, DrawManyBrushes);
  ENHMETAHEADER h{};
  GetEnhMetaFileHeader(emf, sizeof h, &h);
  // Objects no state holds any more are deleted again, and their entries reused.
  EXPECT_LE(h.nHandles, 1025);
  std::vector<uint8_t> b(GetEnhMetaFileBits(emf, 0, nullptr));
  GetEnhMetaFileBits(emf, static_cast<UINT>(b.size()), b.data());
  EXPECT_NE(Find(b, EMR_DELETEOBJECT), 0u);
  Canvas played(150, 90);
  RECT all{0, 0, 150, 90};
  ASSERT_TRUE(PlayEnhMetaFile(played.dc(), emf, &all));
  EXPECT_EQ(played.Differences(direct, nullptr), 0);
  DeleteEnhMetaFile(emf);
}

TEST(GdiEmfPlay, MirroredRectangleMirrorsTheCopies) {
  HDC mem = CreateCompatibleDC(nullptr);
  HDC screen = GetDC(nullptr);
  HBITMAP pair = CreateCompatibleBitmap(screen, 2, 1);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(mem, pair);
  SetPixel(mem, 0, 0, RGB(255, 0, 0));
  SetPixel(mem, 1, 0, RGB(0, 0, 255));
  HENHMETAFILE emf = Recorded(4, 1, [&](HDC dc) { BitBlt(dc, 0, 0, 2, 1, mem, 0, 0, SRCCOPY); });
  SelectObject(mem, old);
  DeleteObject(pair);
  DeleteDC(mem);
  Canvas c(4, 1);
  RECT mirrored{4, 0, 0, 1};
  ASSERT_TRUE(PlayEnhMetaFile(c.dc(), emf, &mirrored));
  EXPECT_EQ(c.At(3, 0), 0xFF0000u);
  EXPECT_EQ(c.At(2, 0), 0x0000FFu);
  EXPECT_EQ(c.At(1, 0), 0xFFFFFFu);
  DeleteEnhMetaFile(emf);
}

TEST(GdiEmfPlay, WholeDrawingPlaysAtOtherSizes) {
  Sources s;
  HENHMETAFILE emf = Recorded(260, 160, [&](HDC dc) { DrawScene(dc, s); });
  for (RECT at : {RECT{0, 0, 520, 320}, RECT{0, 0, 130, 80}, RECT{0, 0, 390, 100},
                  RECT{520, 0, 0, 320}, RECT{0, 320, 520, 0}}) {
    Canvas c(520, 320);
    EXPECT_TRUE(PlayEnhMetaFile(c.dc(), emf, &at));
    // Something of every part is there: ink in each quarter of the picture.
    int w = std::abs(at.right - at.left), h = std::abs(at.bottom - at.top);
    for (int qx = 0; qx < 2; ++qx) {
      for (int qy = 0; qy < 2; ++qy) {
        int ink = 0;
        for (int y = qy * h / 2; y < (qy + 1) * h / 2; ++y) {
          for (int x = qx * w / 2; x < (qx + 1) * w / 2; ++x) ink += c.At(x, y) != 0xFFFFFF;
        }
        EXPECT_GT(ink, w * h / 40) << at.right << " " << qx << qy;
      }
    }
  }
  DeleteEnhMetaFile(emf);
}

TEST(GdiEmfPlay, ScaledTextGrowsWithThePicture) {
  auto draw = [](HDC dc) {
    HFONT font = Font("Arial", -10);
    HGDIOBJ old = SelectObject(dc, font);
    TextOutA(dc, 0, 0, "MMMM", 4);
    SelectObject(dc, old);
    DeleteObject(font);
  };
  HENHMETAFILE emf = Recorded(40, 12, draw);
  Canvas normal(40, 12), doubled(80, 24);
  RECT one{0, 0, 40, 12}, two{0, 0, 80, 24};
  PlayEnhMetaFile(normal.dc(), emf, &one);
  PlayEnhMetaFile(doubled.dc(), emf, &two);
  RECT a = normal.Ink(), b = doubled.Ink();
  ASSERT_LT(a.left, a.right);
  // The ink of the run is twice as wide and twice as high, give or take
  // the glyphs' own rounding.
  EXPECT_NEAR(b.right - b.left, 2 * (a.right - a.left), 3);
  EXPECT_NEAR(b.bottom - b.top, 2 * (a.bottom - a.top), 3);
  DeleteEnhMetaFile(emf);
}

TEST(GdiEmfPlay, PlayingLeavesTheDcAsItWas) {
  HENHMETAFILE emf = Recorded(40, 30, [](HDC dc) {
    SelectObject(dc, GetStockObject(BLACK_BRUSH));
    SelectObject(dc, GetStockObject(WHITE_PEN));
    SetTextColor(dc, RGB(9, 9, 9));
    SetBkMode(dc, TRANSPARENT);
    SetROP2(dc, R2_XORPEN);
    SetMapMode(dc, MM_ANISOTROPIC);
    SetWindowExtEx(dc, 2, 2, nullptr);
    SetViewportExtEx(dc, 1, 1, nullptr);
    SaveDC(dc);  // never restored
    IntersectClipRect(dc, 0, 0, 5, 5);
    Rectangle(dc, 0, 0, 10, 10);
  });
  Canvas c(40, 30);
  HPEN pen = CreatePen(PS_SOLID, 2, RGB(1, 2, 3));
  SelectObject(c.dc(), pen);
  SetTextColor(c.dc(), RGB(4, 5, 6));
  IntersectClipRect(c.dc(), 1, 1, 30, 20);
  SetWindowOrgEx(c.dc(), -2, -3, nullptr);
  RECT at{0, 0, 40, 30};
  ASSERT_TRUE(PlayEnhMetaFile(c.dc(), emf, &at));
  EXPECT_EQ(GetCurrentObject(c.dc(), OBJ_PEN), pen);
  EXPECT_EQ(GetCurrentObject(c.dc(), OBJ_BRUSH), GetStockObject(WHITE_BRUSH));
  EXPECT_EQ(GetTextColor(c.dc()), RGB(4, 5, 6));
  EXPECT_EQ(GetBkMode(c.dc()), OPAQUE);
  EXPECT_EQ(GetROP2(c.dc()), R2_COPYPEN);
  EXPECT_EQ(GetMapMode(c.dc()), MM_TEXT);
  POINT origin{};
  GetWindowOrgEx(c.dc(), &origin);
  EXPECT_EQ(origin.x, -2);
  RECT box{};
  GetClipBox(c.dc(), &box);
  EXPECT_EQ(box.left, -1);  // device 1 at window origin -2
  EXPECT_EQ(box.right, 28);
  EXPECT_EQ(SaveDC(c.dc()), 1);  // nothing left saved by the metafile
  SelectObject(c.dc(), GetStockObject(BLACK_PEN));
  DeleteObject(pen);
  DeleteEnhMetaFile(emf);
}

TEST(GdiEmfPlay, MetafileClipStaysInsideTheDcClip) {
  HENHMETAFILE emf = Recorded(40, 30, [](HDC dc) {
    IntersectClipRect(dc, 0, 0, 40, 30);
    SelectClipRgn(dc, nullptr);  // the metafile's clip goes, the DC's stays
    PatBlt(dc, 0, 0, 40, 30, BLACKNESS);
    ExcludeClipRect(dc, 0, 0, 5, 5);
    PatBlt(dc, 0, 0, 40, 30, WHITENESS);
  });
  Canvas c(40, 30);
  IntersectClipRect(c.dc(), 2, 2, 12, 10);
  RECT at{0, 0, 40, 30};
  ASSERT_TRUE(PlayEnhMetaFile(c.dc(), emf, &at));
  // Black only where the DC's clip and the exclusion leave it: (2..4, 2..4).
  EXPECT_EQ(c.Count(0), 9);
  EXPECT_EQ(c.At(2, 2), 0u);
  EXPECT_EQ(c.At(4, 4), 0u);
  EXPECT_EQ(c.At(5, 4), 0xFFFFFFu);
  DeleteEnhMetaFile(emf);
}

// ---------------------------------------------------------------------------
// Bytes written by hand, and bad bytes

class EmfWriter {
 public:
  explicit EmfWriter(RECT frame) {
    Put32(EMR_HEADER);
    Put32(108);
    for (int i = 0; i < 4; ++i) Put32(0);  // bounds
    Put32(frame.left);
    Put32(frame.top);
    Put32(frame.right);
    Put32(frame.bottom);
    Put32(ENHMETA_SIGNATURE);
    Put32(0x10000);
    Put32(0);  // nBytes
    Put32(0);  // nRecords
    Put32(2);  // nHandles 2, reserved 0
    Put32(0);
    Put32(0);
    Put32(0);
    Put32(1280);
    Put32(1024);
    Put32(338);
    Put32(270);
    for (int i = 0; i < 5; ++i) Put32(0);
    records_ = 1;
  }
  void Record(uint32_t type, std::initializer_list<uint32_t> fields) {
    Put32(type);
    Put32(static_cast<uint32_t>(8 + 4 * fields.size()));
    for (uint32_t f : fields) Put32(f);
    ++records_;
  }
  std::vector<uint8_t> Finish() {
    Record(EMR_EOF, {0, 16, 20});
    Patch(48, static_cast<uint32_t>(bytes_.size()));
    Patch(52, records_);
    return bytes_;
  }

 private:
  void Put32(uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes_.push_back(static_cast<uint8_t>(v >> (8 * i)));
  }
  void Patch(size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes_[at + i] = static_cast<uint8_t>(v >> (8 * i));
  }
  std::vector<uint8_t> bytes_;
  uint32_t records_ = 0;
};

TEST(GdiEmfPlay, HandWrittenRecordsPlayAsTheFormatSays) {
  EmfWriter w(FrameOf(20, 10));
  w.Record(EMR_CREATEBRUSHINDIRECT, {1, BS_SOLID, RGB(255, 0, 0), 0});
  w.Record(EMR_SELECTOBJECT, {1});
  w.Record(EMR_SELECTOBJECT, {0x80000000u | NULL_PEN});
  w.Record(EMR_RECTANGLE, {2, 2, 12, 8});
  w.Record(EMR_GDICOMMENT, {4, 0x12345678});  // passed over
  w.Record(EMR_SETPIXELV, {15, 5, RGB(0, 0, 255)});
  w.Record(EMR_DELETEOBJECT, {1});
  std::vector<uint8_t> bytes = w.Finish();
  HENHMETAFILE emf = SetEnhMetaFileBits(static_cast<UINT>(bytes.size()), bytes.data());
  ASSERT_NE(emf, nullptr);
  Canvas c(20, 10);
  RECT at{0, 0, 20, 10};
  ASSERT_TRUE(PlayEnhMetaFile(c.dc(), emf, &at));
  // Without a pen the rectangle fills one pixel less each way.
  EXPECT_EQ(c.Count(0xFF0000), 9 * 5);
  EXPECT_EQ(c.At(2, 2), 0xFF0000u);
  EXPECT_EQ(c.At(10, 6), 0xFF0000u);
  EXPECT_EQ(c.At(11, 7), 0xFFFFFFu);
  EXPECT_EQ(c.At(15, 5), 0x0000FFu);
  DeleteEnhMetaFile(emf);
}

TEST(GdiEmfPlay, TextRunningPastTheCoordinateRangeDrawsNothingAndPlayingGoesOn) {
  // An EMR_EXTTEXTOUTW record of "AB" at (x, 2), its advances at offset 80,
  // then a pixel set by the next record.
  auto play = [](int32_t x, int32_t firstAdvance, Canvas& c) {
    EmfWriter w(FrameOf(40, 20));
    w.Record(EMR_EXTTEXTOUTW,
             {0, 0, 0, 0, GM_COMPATIBLE, 0, 0,                  // bounds, mode, scales
              static_cast<uint32_t>(x), 2, 2, 76, 0, 0, 0,      // x, y, count, text, options
              0xFFFFFFFFu, 0xFFFFFFFFu, 80,                     // no rectangle, advances
              0x00420041u,                                      // "AB"
              static_cast<uint32_t>(firstAdvance), 0});
    w.Record(EMR_SETPIXELV, {35, 15, RGB(0, 0, 255)});
    std::vector<uint8_t> bytes = w.Finish();
    HENHMETAFILE emf = SetEnhMetaFileBits(static_cast<UINT>(bytes.size()), bytes.data());
    ASSERT_NE(emf, nullptr);
    RECT at{0, 0, 40, 20};
    EXPECT_TRUE(PlayEnhMetaFile(c.dc(), emf, &at));
    DeleteEnhMetaFile(emf);
  };
  struct Case {
    int32_t x, advance;
    bool drawn;
  } cases[] = {
      {2, 8, true},
      {2, INT32_MAX, false},
      {-2, INT32_MIN, false},
      {0, INT32_MAX, true},  // the run ends at the last coordinate there is
  };
  for (const Case& k : cases) {
    Canvas c(40, 20);
    play(k.x, k.advance, c);
    EXPECT_EQ(c.At(35, 15), 0x0000FFu) << k.advance;
    EXPECT_EQ(c.Count(0xFFFFFF) < 40 * 20 - 1, k.drawn) << k.advance;
  }
}

std::vector<uint8_t> SampleBits() {
  Sources s;
  HENHMETAFILE emf = Recorded(260, 160, [&](HDC dc) { DrawScene(dc, s); });
  std::vector<uint8_t> bits(GetEnhMetaFileBits(emf, 0, nullptr));
  GetEnhMetaFileBits(emf, static_cast<UINT>(bits.size()), bits.data());
  DeleteEnhMetaFile(emf);
  return bits;
}

uint32_t Get32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | (uint32_t{b[at + 1]} << 8) | (uint32_t{b[at + 2]} << 16) | (uint32_t{b[at + 3]} << 24);
}
void Set32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// Where the first record of a type starts (of those with a bitmap, for
// the blits).
size_t Find(const std::vector<uint8_t>& b, uint32_t type) {
  size_t at = 0;
  while (at + 8 <= b.size()) {
    bool bitmap = type != EMR_BITBLT || Get32(b, at + 88) != 0;
    if (Get32(b, at) == type && bitmap) return at;
    at += Get32(b, at + 4);
  }
  return 0;
}

TEST(GdiEmfPlay, TruncatedBitsAreRefused) {
  std::vector<uint8_t> b = SampleBits();
  for (size_t n = 0; n < b.size(); n += (n < 200 ? 1 : 37)) {
    EXPECT_EQ(SetEnhMetaFileBits(static_cast<UINT>(n), b.data()), nullptr) << n;
  }
  EXPECT_EQ(SetEnhMetaFileBits(static_cast<UINT>(b.size() - 1), b.data()), nullptr);
  EXPECT_EQ(SetEnhMetaFileBits(static_cast<UINT>(b.size()), nullptr), nullptr);
}

TEST(GdiEmfPlay, CorruptStructureIsRefused) {
  const std::vector<uint8_t> good = SampleBits();
  size_t rect = Find(good, EMR_RECTANGLE);
  ASSERT_NE(rect, 0u);
  auto refused = [](std::vector<uint8_t> b) {
    HENHMETAFILE emf = SetEnhMetaFileBits(static_cast<UINT>(b.size()), b.data());
    if (emf) DeleteEnhMetaFile(emf);
    return emf == nullptr;
  };
  std::vector<uint8_t> b = good;
  b[40] ^= 1;  // signature
  EXPECT_TRUE(refused(b));
  b = good;
  b[0] = 2;  // not a header first
  EXPECT_TRUE(refused(b));
  b = good;
  Set32(b, 48, Get32(b, 48) + 4);  // nBytes beyond the bytes
  EXPECT_TRUE(refused(b));
  b = good;
  Set32(b, 52, Get32(b, 52) - 1);  // nRecords
  EXPECT_TRUE(refused(b));
  b = good;
  Set32(b, rect + 4, 6);  // a record shorter than its own header
  EXPECT_TRUE(refused(b));
  b = good;
  Set32(b, rect + 4, 26);  // not a multiple of 4
  EXPECT_TRUE(refused(b));
  b = good;
  Set32(b, rect + 4, 0x7FFFFFF0);  // past the end
  EXPECT_TRUE(refused(b));
  b = good;
  Set32(b, b.size() - 20, EMR_SAVEDC);  // no EOF at the end
  EXPECT_TRUE(refused(b));
  b = good;
  Set32(b, 60, 0x10000);  // a description beyond the header
  EXPECT_TRUE(refused(b));
  b = good;
  Set32(b, 72, 0);  // no device size to place the frame by
  EXPECT_TRUE(refused(b));
  EXPECT_FALSE(refused(good));
}

TEST(GdiEmfPlay, BadRecordFieldsStopPlayingAndLeaveTheDc) {
  const std::vector<uint8_t> good = SampleBits();
  struct Case {
    uint32_t type;
    size_t field;
    uint32_t value;
  } cases[] = {
      {EMR_POLYGON16, 24, 0x40000000},  // more points than the record holds
      {EMR_BITBLT, 88, 0x7FFFFFFF},     // the bitmap info past the record
      {EMR_BITBLT, 84, 8},              // the bitmap info over the record's own fields
      {EMR_EXTTEXTOUTA, 44, 5000},      // more characters than the record holds
      {EMR_EXTTEXTOUTW, 72, 0xFFFFFFF0},  // advances past the record
      {EMR_SELECTOBJECT, 8, 4000},        // an entry beyond the table
      {EMR_FILLRGN, 24, 0x10000},         // region data past the record
      {EMR_EXTSELECTCLIPRGN, 8 + 8 + 8, 9999},  // more rectangles than the data holds
      {EMR_CREATEMONOBRUSH, 28, 0x100000},      // bits past the record
      {EMR_SETDIBITSTODEVICE, 72, 5000},        // more scans than the bits hold
  };
  for (const Case& k : cases) {
    std::vector<uint8_t> b = good;
    size_t at = Find(b, k.type);
    ASSERT_NE(at, 0u) << k.type;
    Set32(b, at + k.field, k.value);
    HENHMETAFILE emf = SetEnhMetaFileBits(static_cast<UINT>(b.size()), b.data());
    ASSERT_NE(emf, nullptr) << k.type;  // the structure is sound
    Canvas c(260, 160);
    SetTextColor(c.dc(), RGB(7, 7, 7));
    RECT all{0, 0, 260, 160};
    EXPECT_FALSE(PlayEnhMetaFile(c.dc(), emf, &all)) << k.type;
    EXPECT_EQ(GetTextColor(c.dc()), RGB(7, 7, 7));
    EXPECT_EQ(GetCurrentObject(c.dc(), OBJ_PEN), GetStockObject(BLACK_PEN));
    EXPECT_EQ(SaveDC(c.dc()), 1);
    DeleteEnhMetaFile(emf);
  }
  // Arcs, chords and pies whose record ends inside the end point.
  for (uint32_t type : {EMR_ARC, EMR_CHORD, EMR_PIE}) {
    EmfWriter w(FrameOf(40, 20));
    w.Record(type, {0, 0, 30, 15, 30, 8, 0});
    std::vector<uint8_t> bytes = w.Finish();
    HENHMETAFILE emf = SetEnhMetaFileBits(static_cast<UINT>(bytes.size()), bytes.data());
    ASSERT_NE(emf, nullptr) << type;
    Canvas c(40, 20);
    RECT at{0, 0, 40, 20};
    EXPECT_FALSE(PlayEnhMetaFile(c.dc(), emf, &at)) << type;
    EXPECT_EQ(c.Count(0xFFFFFF), 40 * 20) << type;
    DeleteEnhMetaFile(emf);
  }
}

TEST(GdiEmfPlay, RandomDamageNeverReadsOutsideTheBytes) {
  const std::vector<uint8_t> good = SampleBits();
  std::mt19937 random(20240601);
  Canvas c(260, 160);
  RECT all{0, 0, 260, 160};
  int accepted = 0;
  for (int round = 0; round < 400; ++round) {
    std::vector<uint8_t> b = good;
    int flips = 1 + static_cast<int>(random() % 6);
    for (int i = 0; i < flips; ++i) {
      size_t at = 108 + random() % (b.size() - 108);
      b[at] = static_cast<uint8_t>(random());
    }
    HENHMETAFILE emf = SetEnhMetaFileBits(static_cast<UINT>(b.size()), b.data());
    if (!emf) continue;
    ++accepted;
    PlayEnhMetaFile(c.dc(), emf, &all);
    DeleteEnhMetaFile(emf);
  }
  EXPECT_GT(accepted, 0);
  EXPECT_EQ(SaveDC(c.dc()), 1);
}

TEST(GdiEmfPlay, BadArgumentsAreRefused) {
  HENHMETAFILE emf = Recorded(10, 10, [](HDC dc) { Rectangle(dc, 0, 0, 5, 5); });
  Canvas c(10, 10);
  EXPECT_FALSE(PlayEnhMetaFile(c.dc(), emf, nullptr));
  RECT at{0, 0, 10, 10};
  EXPECT_FALSE(PlayEnhMetaFile(nullptr, emf, &at));
  EXPECT_FALSE(PlayEnhMetaFile(c.dc(), nullptr, &at));
  DeleteEnhMetaFile(emf);
  EXPECT_FALSE(PlayEnhMetaFile(c.dc(), emf, &at));
  EXPECT_EQ(c.Count(0xFFFFFF), 100);
}

}  // namespace
