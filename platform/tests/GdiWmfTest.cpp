// Windows metafiles: the bytes of the Windows-metafile form of an enhanced
// metafile, their bits in and out, playing them, the enhanced metafile made
// from them, and bad or truncated bytes refused.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "platform/gdi/WinGdiMetafile.h"
#include "platform/gdi/emf/GdiWmfFormat.h"
#include "platform/tests/GdiTestCanvas.h"

namespace {

uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | (uint32_t{b[at + 1]} << 8) | (uint32_t{b[at + 2]} << 16) |
         (uint32_t{b[at + 3]} << 24);
}
uint16_t U16(const std::vector<uint8_t>& b, size_t at) {
  return static_cast<uint16_t>(b[at] | (b[at + 1] << 8));
}
int16_t I16(const std::vector<uint8_t>& b, size_t at) { return static_cast<int16_t>(U16(b, at)); }

struct Record {
  uint16_t function;
  size_t at;  // of the record; its parameters start 6 bytes on
  uint32_t words;
};

std::vector<Record> Records(const std::vector<uint8_t>& b) {
  std::vector<Record> out;
  size_t at = 18;
  while (at + 6 <= b.size()) {
    Record r{U16(b, at + 4), at, U32(b, at)};
    out.push_back(r);
    if (r.words < 3 || r.function == META_EOF) break;
    at += size_t{r.words} * 2;
  }
  return out;
}

const Record* First(const std::vector<Record>& records, uint16_t function) {
  for (const Record& r : records) {
    if (r.function == function) return &r;
  }
  return nullptr;
}

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
  HDC dc = CreateEnhMetaFileA(nullptr, nullptr, &frame, nullptr);
  draw(dc);
  return CloseEnhMetaFile(dc);
}

std::vector<uint8_t> WinBits(HENHMETAFILE emf, INT mode = MM_ANISOTROPIC) {
  UINT n = GetWinMetaFileBits(emf, 0, nullptr, mode, nullptr);
  std::vector<uint8_t> b(n);
  EXPECT_EQ(GetWinMetaFileBits(emf, n, b.data(), mode, nullptr), n);
  return b;
}

HFONT Font(const char* face, int height) {
  LOGFONTA lf{};
  lf.lfHeight = height;
  lf.lfQuality = NONANTIALIASED_QUALITY;
  std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
  return CreateFontIndirectA(&lf);
}

// What the Windows-metafile form keeps: shapes, pens, solid, hatched and
// pattern brushes, clips, regions, blits and 8-bit text.
void DrawKept(HDC dc) {
  HPEN pen = CreatePen(PS_SOLID, 2, RGB(150, 0, 0));
  HBRUSH hatch = CreateHatchBrush(HS_BDIAGONAL, RGB(0, 0, 160));
  HGDIOBJ oldPen = SelectObject(dc, pen);
  HGDIOBJ oldBrush = SelectObject(dc, hatch);
  Rectangle(dc, 3, 3, 40, 25);
  uint8_t rows[16];
  for (int i = 0; i < 16; ++i) rows[i] = static_cast<uint8_t>(i % 2 ? 0 : 0x18 << (i % 4));
  HBITMAP bits = CreateBitmap(8, 8, 1, 1, rows);
  HBRUSH pattern = CreatePatternBrush(bits);
  DeleteObject(bits);
  SetTextColor(dc, RGB(0, 100, 0));
  SelectObject(dc, pattern);
  Ellipse(dc, 42, 3, 78, 30);
  POINT tri[3] = {{5, 30}, {35, 32}, {15, 55}};
  SelectObject(dc, GetStockObject(GRAY_BRUSH));
  Polygon(dc, tri, 3);
  SaveDC(dc);
  IntersectClipRect(dc, 40, 30, 70, 55);
  HRGN round = CreateEllipticRgn(35, 28, 80, 60);
  FillRgn(dc, round, hatch);
  RestoreDC(dc, -1);
  HDC mem = CreateCompatibleDC(nullptr);
  HDC screen = GetDC(nullptr);
  HBITMAP picture = CreateCompatibleBitmap(screen, 6, 4);
  ReleaseDC(nullptr, screen);
  HGDIOBJ oldPicture = SelectObject(mem, picture);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 6; ++x) SetPixel(mem, x, y, RGB(40 * x, 60 * y, 128));
  }
  BitBlt(dc, 70, 40, 6, 4, mem, 0, 0, SRCCOPY);
  StretchBlt(dc, 70, 45, 12, 8, mem, 0, 0, 6, 4, SRCCOPY);
  SelectObject(mem, oldPicture);
  DeleteObject(picture);
  DeleteDC(mem);
  HFONT font = Font("Arial", -12);
  HGDIOBJ oldFont = SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0, 0, 0));
  TextOutA(dc, 4, 56, "Kept", 4);
  SelectObject(dc, oldFont);
  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
  DeleteObject(font);
  DeleteObject(round);
  DeleteObject(pattern);
  DeleteObject(pen);
  DeleteObject(hatch);
}

TEST(GdiWmf, WinBitsHaveTheHeaderWindowAndEof) {
  HENHMETAFILE emf = Recorded(40, 30, [](HDC dc) { Rectangle(dc, 2, 3, 12, 9); });
  std::vector<uint8_t> b = WinBits(emf);
  ASSERT_GE(b.size(), 18u);
  EXPECT_EQ(U16(b, 0), 1);  // in memory
  EXPECT_EQ(U16(b, 2), 9);  // header words
  EXPECT_EQ(U16(b, 4), 0x0300);
  EXPECT_EQ(U32(b, 6) * 2, b.size());
  EXPECT_EQ(U16(b, 16), 0);
  std::vector<Record> r = Records(b);
  ASSERT_GE(r.size(), 4u);
  uint32_t largest = 0;
  for (const Record& k : r) largest = std::max(largest, k.words);
  EXPECT_EQ(U32(b, 12), largest);
  // The window: the frame in pixels, from the origin.
  EXPECT_EQ(r[0].function, META_SETWINDOWORG);
  EXPECT_EQ(r[0].words, 5u);
  EXPECT_EQ(I16(b, r[0].at + 6), 0);
  EXPECT_EQ(r[1].function, META_SETWINDOWEXT);
  EXPECT_EQ(I16(b, r[1].at + 6), 30);  // y first
  EXPECT_EQ(I16(b, r[1].at + 8), 40);
  EXPECT_EQ(r.back().function, META_EOF);
  EXPECT_EQ(r.back().words, 3u);
  EXPECT_EQ(r.back().at + 6, b.size());
  const Record* rect = First(r, META_RECTANGLE);
  ASSERT_NE(rect, nullptr);
  EXPECT_EQ(rect->words, 7u);
  EXPECT_EQ(I16(b, rect->at + 6), 9);  // bottom, right, top, left
  EXPECT_EQ(I16(b, rect->at + 8), 12);
  EXPECT_EQ(I16(b, rect->at + 10), 3);
  EXPECT_EQ(I16(b, rect->at + 12), 2);
  // In MM_TEXT the form has no window records.
  std::vector<uint8_t> text = WinBits(emf, MM_TEXT);
  std::vector<Record> textRecords = Records(text);
  EXPECT_EQ(First(textRecords, META_SETWINDOWEXT), nullptr);
  EXPECT_EQ(GetWinMetaFileBits(emf, 0, nullptr, 3 /* MM_LOMETRIC */, nullptr), 0u);
  DeleteEnhMetaFile(emf);
}

TEST(GdiWmf, ObjectsAndTextHaveTheirRecords) {
  HENHMETAFILE emf = Recorded(60, 40, [](HDC dc) {
    HPEN pen = CreatePen(PS_DOT, 3, RGB(1, 2, 3));
    HBRUSH brush = CreateHatchBrush(HS_VERTICAL, RGB(4, 5, 6));
    SelectObject(dc, pen);
    SelectObject(dc, brush);
    Ellipse(dc, 1, 2, 20, 21);
    HFONT font = Font("Arial", -11);
    SelectObject(dc, font);
    TextOutW(dc, 5, 6, u"Caf\u00e9", 4);
    SelectObject(dc, GetStockObject(BLACK_PEN));
    SelectObject(dc, GetStockObject(WHITE_BRUSH));
    SelectObject(dc, GetStockObject(SYSTEM_FONT));
    DeleteObject(pen);
    DeleteObject(brush);
    DeleteObject(font);
  });
  std::vector<uint8_t> b = WinBits(emf);
  std::vector<Record> r = Records(b);
  const Record* pen = First(r, META_CREATEPENINDIRECT);
  ASSERT_NE(pen, nullptr);
  EXPECT_EQ(pen->words, 8u);
  EXPECT_EQ(U16(b, pen->at + 6), PS_DOT);
  EXPECT_EQ(I16(b, pen->at + 8), 3);
  EXPECT_EQ(U32(b, pen->at + 12), RGB(1, 2, 3));
  const Record* brush = First(r, META_CREATEBRUSHINDIRECT);
  ASSERT_NE(brush, nullptr);
  EXPECT_EQ(brush->words, 7u);
  EXPECT_EQ(U16(b, brush->at + 6), BS_HATCHED);
  EXPECT_EQ(U32(b, brush->at + 8), RGB(4, 5, 6));
  EXPECT_EQ(U16(b, brush->at + 12), HS_VERTICAL);
  const Record* font = First(r, META_CREATEFONTINDIRECT);
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(I16(b, font->at + 6), -11);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[font->at + 24])), "Arial");
  const Record* select = First(r, META_SELECTOBJECT);
  ASSERT_NE(select, nullptr);
  EXPECT_EQ(select->words, 4u);
  const Record* ellipse = First(r, META_ELLIPSE);
  ASSERT_NE(ellipse, nullptr);
  EXPECT_EQ(I16(b, ellipse->at + 6), 21);
  const Record* text = First(r, META_EXTTEXTOUT);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(I16(b, text->at + 6), 6);  // y, x, count, options
  EXPECT_EQ(I16(b, text->at + 8), 5);
  EXPECT_EQ(I16(b, text->at + 10), 4);
  EXPECT_EQ(U16(b, text->at + 12), 0);
  // The characters as Windows-1252 bytes, then one advance each.
  EXPECT_EQ(b[text->at + 14], 'C');
  EXPECT_EQ(b[text->at + 17], 0xE9);
  EXPECT_GT(I16(b, text->at + 18), 0);
  EXPECT_EQ(text->words, 3u + 4 + 2 + 4);
  // Objects the form made: the header counts them.
  EXPECT_GE(U16(b, 10), 3);
  DeleteEnhMetaFile(emf);
}

TEST(GdiWmf, ColoursStayWholeAndCoordinatesAreHeldTo16Bits) {
  HENHMETAFILE emf = Recorded(40, 30, [](HDC dc) {
    SetTextColor(dc, RGB(255, 255, 255));
    SetBkColor(dc, RGB(0x80, 0x81, 0x82));
    Rectangle(dc, -50000, 2, 40000, 9);
  });
  std::vector<uint8_t> b = WinBits(emf);
  std::vector<Record> r = Records(b);
  const Record* text = First(r, META_SETTEXTCOLOR);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->words, 5u);
  EXPECT_EQ(U32(b, text->at + 6), RGB(255, 255, 255));
  const Record* back = First(r, META_SETBKCOLOR);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(U32(b, back->at + 6), RGB(0x80, 0x81, 0x82));
  const Record* rect = First(r, META_RECTANGLE);
  ASSERT_NE(rect, nullptr);
  EXPECT_EQ(I16(b, rect->at + 8), 32767);
  EXPECT_EQ(I16(b, rect->at + 12), -32768);
  DeleteEnhMetaFile(emf);
}

TEST(GdiWmf, BlitsCarryTheirPixels) {
  HDC mem = CreateCompatibleDC(nullptr);
  HDC screen = GetDC(nullptr);
  HBITMAP picture = CreateCompatibleBitmap(screen, 3, 2);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(mem, picture);
  SetPixel(mem, 2, 0, RGB(9, 8, 7));
  HENHMETAFILE emf = Recorded(20, 20, [&](HDC dc) { BitBlt(dc, 4, 5, 3, 2, mem, 0, 0, SRCCOPY); });
  SelectObject(mem, old);
  DeleteObject(picture);
  DeleteDC(mem);
  std::vector<uint8_t> b = WinBits(emf);
  std::vector<Record> records = Records(b);
  const Record* blt = First(records, META_DIBSTRETCHBLT);
  ASSERT_NE(blt, nullptr);
  size_t p = blt->at + 6;
  EXPECT_EQ(U32(b, p), SRCCOPY);
  EXPECT_EQ(I16(b, p + 4), 2);   // source height, width, y, x
  EXPECT_EQ(I16(b, p + 6), 3);
  EXPECT_EQ(I16(b, p + 12), 2);  // destination height, width, y, x
  EXPECT_EQ(I16(b, p + 14), 3);
  EXPECT_EQ(I16(b, p + 16), 5);
  EXPECT_EQ(I16(b, p + 18), 4);
  EXPECT_EQ(U32(b, p + 20), 40u);  // the DIB's header
  EXPECT_EQ(U16(b, p + 20 + 14), 32);
  // The top row is stored last: pixel (2, 0) is the last of the bits.
  size_t last = blt->at + blt->words * 2 - 4;
  EXPECT_EQ(b[last], 7);
  EXPECT_EQ(b[last + 1], 8);
  EXPECT_EQ(b[last + 2], 9);
  DeleteEnhMetaFile(emf);
}

TEST(GdiWmf, WindowsFormPlaysBackToTheSamePixels) {
  Canvas direct(90, 70);
  DrawKept(direct.dc());
  HENHMETAFILE emf = Recorded(90, 70, DrawKept);
  std::vector<uint8_t> wmf = WinBits(emf);
  ENHMETAHEADER h{};
  GetEnhMetaFileHeader(emf, sizeof h, &h);
  DeleteEnhMetaFile(emf);
  METAFILEPICT pict{MM_ANISOTROPIC, h.rclFrame.right, h.rclFrame.bottom, nullptr};
  HENHMETAFILE back = SetWinMetaFileBits(static_cast<UINT>(wmf.size()), wmf.data(), nullptr, &pict);
  ASSERT_NE(back, nullptr);
  ENHMETAHEADER h2{};
  GetEnhMetaFileHeader(back, sizeof h2, &h2);
  EXPECT_EQ(h2.rclFrame.right, h.rclFrame.right);
  EXPECT_EQ(h2.rclFrame.bottom, h.rclFrame.bottom);
  Canvas played(90, 70);
  RECT all{0, 0, 90, 70};
  ASSERT_TRUE(PlayEnhMetaFile(played.dc(), back, &all));
  std::string where;
  EXPECT_EQ(played.Differences(direct, &where), 0) << where;
  EXPECT_LT(direct.Count(0xFFFFFF), 90 * 70 * 3 / 4);
  DeleteEnhMetaFile(back);
}

TEST(GdiWmf, ManyObjectsKeepTheTableSmall) {
  auto draw = [](HDC dc) {
    SelectObject(dc, GetStockObject(NULL_PEN));
    for (int i = 0; i < 700; ++i) {
      HBRUSH b = CreateSolidBrush(RGB(i % 256, (i / 256) * 60, 7));
      HGDIOBJ old = SelectObject(dc, b);
      int x = (i % 35) * 3, y = (i / 35) * 3;
      Rectangle(dc, x, y, x + 4, y + 4);
      SelectObject(dc, old);
      DeleteObject(b);
    }
  };
  Canvas direct(105, 60);
  draw(direct.dc());
  HENHMETAFILE emf = Recorded(105, 60, draw);
  std::vector<uint8_t> b = WinBits(emf);
  ENHMETAHEADER h{};
  GetEnhMetaFileHeader(emf, sizeof h, &h);
  DeleteEnhMetaFile(emf);
  EXPECT_LE(U16(b, 10), 513);
  std::vector<Record> records = Records(b);
  EXPECT_NE(First(records, META_DELETEOBJECT), nullptr);
  METAFILEPICT pict{MM_ANISOTROPIC, h.rclFrame.right, h.rclFrame.bottom, nullptr};
  HENHMETAFILE back = SetWinMetaFileBits(static_cast<UINT>(b.size()), b.data(), nullptr, &pict);
  ASSERT_NE(back, nullptr);
  Canvas played(105, 60);
  RECT all{0, 0, 105, 60};
  ASSERT_TRUE(PlayEnhMetaFile(played.dc(), back, &all));
  EXPECT_EQ(played.Differences(direct, nullptr), 0);
  DeleteEnhMetaFile(back);
}

TEST(GdiWmf, PlayMetaFileDrawsInTheDcsMapping) {
  HENHMETAFILE emf = Recorded(10, 10, [](HDC dc) { PatBlt(dc, 2, 2, 4, 3, BLACKNESS); });
  std::vector<uint8_t> b = WinBits(emf);
  DeleteEnhMetaFile(emf);
  HMETAFILE wmf = SetMetaFileBitsEx(static_cast<UINT>(b.size()), b.data());
  ASSERT_NE(wmf, nullptr);
  Canvas c(40, 40);
  SetMapMode(c.dc(), MM_ANISOTROPIC);
  SetViewportOrgEx(c.dc(), 5, 5, nullptr);
  SetViewportExtEx(c.dc(), 30, 30, nullptr);  // the window (10 x 10) three times
  ASSERT_TRUE(PlayMetaFile(c.dc(), wmf));
  EXPECT_EQ(c.Count(0), 12 * 9);
  EXPECT_EQ(c.At(11, 11), 0u);
  EXPECT_EQ(c.At(22, 19), 0u);
  EXPECT_EQ(c.At(23, 20), 0xFFFFFFu);
  // The DC's mapping is as it was: the metafile's window went with it.
  SIZE window{};
  GetWindowExtEx(c.dc(), &window);
  EXPECT_EQ(window.cx, 1);
  EXPECT_EQ(GetMapMode(c.dc()), MM_ANISOTROPIC);
  DeleteMetaFile(wmf);
}

// A Windows metafile written record by record.
class WmfWriter {
 public:
  WmfWriter() { bytes_.resize(18, 0); }
  void Record(uint16_t function, std::initializer_list<int> words) {
    Put32(static_cast<uint32_t>(3 + words.size()));
    Put16(function);
    for (int w : words) Put16(static_cast<uint16_t>(w));
  }
  std::vector<uint8_t> Finish(uint16_t objects) {
    Record(META_EOF, {});
    std::vector<uint8_t> b = bytes_;
    auto set16 = [&](size_t at, uint32_t v) {
      b[at] = static_cast<uint8_t>(v);
      b[at + 1] = static_cast<uint8_t>(v >> 8);
    };
    set16(0, 1);
    set16(2, 9);
    set16(4, 0x300);
    set16(6, static_cast<uint32_t>(b.size() / 2));
    set16(8, static_cast<uint32_t>(b.size() / 2 >> 16));
    set16(10, objects);
    return b;
  }

 private:
  void Put16(uint16_t v) {
    bytes_.push_back(static_cast<uint8_t>(v));
    bytes_.push_back(static_cast<uint8_t>(v >> 8));
  }
  void Put32(uint32_t v) {
    Put16(static_cast<uint16_t>(v));
    Put16(static_cast<uint16_t>(v >> 16));
  }
  std::vector<uint8_t> bytes_;
};

TEST(GdiWmf, HandWrittenRecordsPlayAsTheFormatSays) {
  WmfWriter w;
  w.Record(META_SETWINDOWEXT, {10, 20});                       // y, x
  w.Record(META_CREATEBRUSHINDIRECT, {BS_SOLID, 0x00FF, 0, 0});  // red
  w.Record(META_SELECTOBJECT, {0});
  w.Record(META_CREATEPENINDIRECT, {PS_NULL, 0, 0, 0, 0});
  w.Record(META_SELECTOBJECT, {1});
  w.Record(META_RECTANGLE, {8, 12, 2, 2});  // bottom, right, top, left
  w.Record(META_ESCAPE, {15, 2, 0});        // passed over
  w.Record(META_SETPIXEL, {0, 0x00FF, 5, 15});  // blue at (15, 5)
  w.Record(META_DELETEOBJECT, {0});
  std::vector<uint8_t> b = w.Finish(2);
  HMETAFILE wmf = SetMetaFileBitsEx(static_cast<UINT>(b.size()), b.data());
  ASSERT_NE(wmf, nullptr);
  Canvas c(20, 10);
  ASSERT_TRUE(PlayMetaFile(c.dc(), wmf));
  EXPECT_EQ(c.Count(0xFF0000), 9 * 5);
  EXPECT_EQ(c.At(2, 2), 0xFF0000u);
  EXPECT_EQ(c.At(10, 6), 0xFF0000u);
  EXPECT_EQ(c.At(15, 5), 0x0000FFu);
  // As an enhanced metafile of its own window, 20 x 10 pixels.
  METAFILEPICT pict{MM_ANISOTROPIC, 0, 0, nullptr};
  HENHMETAFILE emf = SetWinMetaFileBits(static_cast<UINT>(b.size()), b.data(), nullptr, &pict);
  ASSERT_NE(emf, nullptr);
  ENHMETAHEADER h{};
  GetEnhMetaFileHeader(emf, sizeof h, &h);
  EXPECT_EQ(h.rclFrame.right, FrameOf(20, 10).right);
  EXPECT_EQ(h.rclFrame.bottom, FrameOf(20, 10).bottom);
  Canvas twice(40, 20);
  RECT big{0, 0, 40, 20};
  ASSERT_TRUE(PlayEnhMetaFile(twice.dc(), emf, &big));
  EXPECT_EQ(twice.At(4, 4), 0xFF0000u);
  EXPECT_EQ(twice.At(21, 13), 0xFF0000u);
  EXPECT_EQ(twice.At(1, 1), 0xFFFFFFu);
  DeleteEnhMetaFile(emf);
  DeleteMetaFile(wmf);
}

TEST(GdiWmf, PenWidthsAndFontsFollowTheMapping) {
  // A window of 100 units shown on 50 pixels: a pen 10 units wide is 5 pixels.
  WmfWriter w;
  w.Record(META_SETMAPMODE, {MM_ANISOTROPIC});
  w.Record(META_SETWINDOWEXT, {100, 100});
  w.Record(META_CREATEPENINDIRECT, {PS_SOLID, 10, 0, 0, 0});
  w.Record(META_SELECTOBJECT, {0});
  w.Record(META_MOVETO, {50, 0});
  w.Record(META_LINETO, {50, 100});
  std::vector<uint8_t> b = w.Finish(1);
  HMETAFILE wmf = SetMetaFileBitsEx(static_cast<UINT>(b.size()), b.data());
  Canvas c(50, 50);
  SetMapMode(c.dc(), MM_ANISOTROPIC);
  SetViewportExtEx(c.dc(), 50, 50, nullptr);
  ASSERT_TRUE(PlayMetaFile(c.dc(), wmf));
  int black = 0;
  for (int y = 0; y < 50; ++y) black += c.At(10, y) == 0;
  EXPECT_EQ(black, 5);
  DeleteMetaFile(wmf);
}

TEST(GdiWmf, PolygonsMappedFarBeyondTheDeviceFillWhatLandsOnIt) {
  // Five points near 900 units, each unit 1000 device pixels: a region near
  // 900,000 pixels across, of which the canvas shows a corner. The fifth
  // point, at the origin, cuts a notch whose edges run along the diagonals.
  WmfWriter w;
  w.Record(META_SETMAPMODE, {MM_ANISOTROPIC});
  w.Record(META_SETWINDOWEXT, {1, 1});
  w.Record(META_CREATEBRUSHINDIRECT, {BS_SOLID, 0, 0, 0});  // black
  w.Record(META_SELECTOBJECT, {0});
  w.Record(META_CREATEPENINDIRECT, {PS_NULL, 0, 0, 0, 0});
  w.Record(META_SELECTOBJECT, {1});
  w.Record(META_POLYPOLYGON, {1, 5, 900, 901, -899, 900, -900, -899, 899, -900, 0, 0});
  std::vector<uint8_t> b = w.Finish(2);
  HMETAFILE wmf = SetMetaFileBitsEx(static_cast<UINT>(b.size()), b.data());
  ASSERT_NE(wmf, nullptr);
  Canvas c(40, 40);
  SetMapMode(c.dc(), MM_ANISOTROPIC);
  SetViewportExtEx(c.dc(), 1000, 1000, nullptr);
  ASSERT_TRUE(PlayMetaFile(c.dc(), wmf));
  // Below the diagonal the shape; above it the notch.
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 40; ++x) {
      if (y > x + 1) {
        EXPECT_EQ(c.At(x, y), 0u) << x << ", " << y;
      }
      if (y < x - 1) {
        EXPECT_EQ(c.At(x, y), 0xFFFFFFu) << x << ", " << y;
      }
    }
  }
  DeleteMetaFile(wmf);
}

TEST(GdiWmf, BitsRoundTripAndHandlesAreChecked) {
  HENHMETAFILE emf = Recorded(90, 70, DrawKept);
  std::vector<uint8_t> b = WinBits(emf);
  DeleteEnhMetaFile(emf);
  HMETAFILE wmf = SetMetaFileBitsEx(static_cast<UINT>(b.size()), b.data());
  ASSERT_NE(wmf, nullptr);
  UINT n = GetMetaFileBitsEx(wmf, 0, nullptr);
  ASSERT_EQ(n, b.size());
  std::vector<uint8_t> again(n);
  EXPECT_EQ(GetMetaFileBitsEx(wmf, n, again.data()), n);
  EXPECT_EQ(again, b);
  EXPECT_EQ(GetMetaFileBitsEx(wmf, n - 1, again.data()), 0u);
  EXPECT_TRUE(DeleteMetaFile(wmf));
  EXPECT_FALSE(DeleteMetaFile(wmf));
  EXPECT_EQ(GetMetaFileBitsEx(wmf, 0, nullptr), 0u);
  Canvas c(4, 4);
  EXPECT_FALSE(PlayMetaFile(c.dc(), wmf));
  // An enhanced metafile's handle is not a Windows metafile's.
  HENHMETAFILE e = Recorded(4, 4, [](HDC dc) { Rectangle(dc, 0, 0, 2, 2); });
  EXPECT_EQ(GetMetaFileBitsEx(reinterpret_cast<HMETAFILE>(e), 0, nullptr), 0u);
  EXPECT_FALSE(DeleteMetaFile(reinterpret_cast<HMETAFILE>(e)));
  EXPECT_TRUE(DeleteEnhMetaFile(e));
}

uint32_t Get32(const std::vector<uint8_t>& b, size_t at) { return U32(b, at); }
void Set16(std::vector<uint8_t>& b, size_t at, uint16_t v) {
  b[at] = static_cast<uint8_t>(v);
  b[at + 1] = static_cast<uint8_t>(v >> 8);
}
void Set32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  Set16(b, at, static_cast<uint16_t>(v));
  Set16(b, at + 2, static_cast<uint16_t>(v >> 16));
}

std::vector<uint8_t> SampleWmf() {
  HENHMETAFILE emf = Recorded(90, 70, DrawKept);
  std::vector<uint8_t> b = WinBits(emf);
  DeleteEnhMetaFile(emf);
  return b;
}

TEST(GdiWmf, TruncatedBytesAreRefused) {
  std::vector<uint8_t> b = SampleWmf();
  METAFILEPICT pict{MM_ANISOTROPIC, 0, 0, nullptr};
  for (size_t n = 0; n < b.size(); n += (n < 100 ? 1 : 29)) {
    EXPECT_EQ(SetMetaFileBitsEx(static_cast<UINT>(n), b.data()), nullptr) << n;
    EXPECT_EQ(SetWinMetaFileBits(static_cast<UINT>(n), b.data(), nullptr, &pict), nullptr) << n;
  }
}

TEST(GdiWmf, CorruptStructureIsRefused) {
  const std::vector<uint8_t> good = SampleWmf();
  std::vector<Record> records = Records(good);
  ASSERT_GE(records.size(), 4u);
  size_t second = records[1].at;
  auto refused = [](std::vector<uint8_t> b) {
    HMETAFILE wmf = SetMetaFileBitsEx(static_cast<UINT>(b.size()), b.data());
    if (wmf) DeleteMetaFile(wmf);
    return wmf == nullptr;
  };
  std::vector<uint8_t> b = good;
  Set16(b, 2, 10);  // header words
  EXPECT_TRUE(refused(b));
  b = good;
  Set16(b, 0, 3);  // neither memory nor disk
  EXPECT_TRUE(refused(b));
  b = good;
  Set32(b, 6, Get32(b, 6) + 1);  // longer than the bytes
  EXPECT_TRUE(refused(b));
  b = good;
  Set32(b, second, 2);  // a record shorter than its own header
  EXPECT_TRUE(refused(b));
  b = good;
  Set32(b, second, 0x10000000);  // past the end
  EXPECT_TRUE(refused(b));
  b = good;
  Set16(b, b.size() - 2, META_SAVEDC);  // no EOF
  EXPECT_TRUE(refused(b));
  EXPECT_FALSE(refused(good));
}

TEST(GdiWmf, BadRecordFieldsStopPlayingAndLeaveTheDc) {
  WmfWriter w;
  w.Record(META_SETTEXTCOLOR, {0x0102, 0x03});
  w.Record(META_POLYLINE, {400, 1, 2, 3, 4});  // 400 points in a record of two
  std::vector<uint8_t> b = w.Finish(0);
  HMETAFILE wmf = SetMetaFileBitsEx(static_cast<UINT>(b.size()), b.data());
  ASSERT_NE(wmf, nullptr);
  Canvas c(10, 10);
  SetTextColor(c.dc(), RGB(9, 9, 9));
  EXPECT_FALSE(PlayMetaFile(c.dc(), wmf));
  EXPECT_EQ(GetTextColor(c.dc()), RGB(9, 9, 9));
  EXPECT_EQ(SaveDC(c.dc()), 1);
  DeleteMetaFile(wmf);
  // A region whose scans run past the record.
  WmfWriter r;
  r.Record(META_CREATEREGION, {0, 6, 0, 0, 40, 1, 2, 0, 0, 5, 5, 200, 0, 5});
  std::vector<uint8_t> rb = r.Finish(1);
  HMETAFILE region = SetMetaFileBitsEx(static_cast<UINT>(rb.size()), rb.data());
  ASSERT_NE(region, nullptr);
  EXPECT_FALSE(PlayMetaFile(c.dc(), region));
  DeleteMetaFile(region);
  // Arcs, chords and pies of four coordinates where eight belong.
  for (uint16_t function : {META_ARC, META_CHORD, META_PIE}) {
    WmfWriter a;
    a.Record(function, {1, 2, 8, 8});
    std::vector<uint8_t> ab = a.Finish(0);
    HMETAFILE arc = SetMetaFileBitsEx(static_cast<UINT>(ab.size()), ab.data());
    ASSERT_NE(arc, nullptr) << function;
    Canvas k(10, 10);
    EXPECT_FALSE(PlayMetaFile(k.dc(), arc)) << function;
    EXPECT_EQ(k.Count(0xFFFFFF), 100) << function;
    DeleteMetaFile(arc);
  }
}

TEST(GdiWmf, RandomDamageNeverReadsOutsideTheBytes) {
  const std::vector<uint8_t> good = SampleWmf();
  std::mt19937 random(77);
  Canvas c(90, 70);
  METAFILEPICT pict{MM_ANISOTROPIC, 0, 0, nullptr};
  int accepted = 0;
  for (int round = 0; round < 300; ++round) {
    std::vector<uint8_t> b = good;
    int flips = 1 + static_cast<int>(random() % 5);
    for (int i = 0; i < flips; ++i) b[18 + random() % (b.size() - 18)] = static_cast<uint8_t>(random());
    HMETAFILE wmf = SetMetaFileBitsEx(static_cast<UINT>(b.size()), b.data());
    if (!wmf) continue;
    ++accepted;
    PlayMetaFile(c.dc(), wmf);
    DeleteMetaFile(wmf);
    HENHMETAFILE emf = SetWinMetaFileBits(static_cast<UINT>(b.size()), b.data(), nullptr, &pict);
    if (emf) DeleteEnhMetaFile(emf);
  }
  EXPECT_GT(accepted, 0);
  EXPECT_EQ(SaveDC(c.dc()), 1);
}

TEST(GdiWmf, PictureSizeComesFromTheExtentsGiven) {
  std::vector<uint8_t> b = SampleWmf();
  METAFILEPICT pict{MM_ANISOTROPIC, 5000, 2500, nullptr};
  HENHMETAFILE emf = SetWinMetaFileBits(static_cast<UINT>(b.size()), b.data(), nullptr, &pict);
  ASSERT_NE(emf, nullptr);
  ENHMETAHEADER h{};
  GetEnhMetaFileHeader(emf, sizeof h, &h);
  EXPECT_EQ(h.rclFrame.left, 0);
  EXPECT_EQ(h.rclFrame.right, 5000);
  EXPECT_EQ(h.rclFrame.bottom, 2500);
  DeleteEnhMetaFile(emf);
  // In MM_TEXT the drawing is taken one unit a pixel, its frame that of
  // what it draws.
  HENHMETAFILE plain = Recorded(40, 30, [](HDC dc) {
    SelectObject(dc, GetStockObject(NULL_PEN));
    Rectangle(dc, 10, 5, 21, 16);
  });
  std::vector<uint8_t> t = WinBits(plain, MM_TEXT);
  DeleteEnhMetaFile(plain);
  METAFILEPICT text{MM_TEXT, 0, 0, nullptr};
  HENHMETAFILE drawn = SetWinMetaFileBits(static_cast<UINT>(t.size()), t.data(), nullptr, &text);
  ASSERT_NE(drawn, nullptr);
  GetEnhMetaFileHeader(drawn, sizeof h, &h);
  EXPECT_EQ(h.rclBounds.left, 10);
  EXPECT_EQ(h.rclBounds.top, 5);
  EXPECT_EQ(h.rclBounds.right, 19);  // without a pen, one pixel inside the box
  EXPECT_EQ(h.rclBounds.bottom, 14);
  EXPECT_EQ(h.rclFrame.left, 10 * 33800 / 1280);
  DeleteEnhMetaFile(drawn);
}

}  // namespace
