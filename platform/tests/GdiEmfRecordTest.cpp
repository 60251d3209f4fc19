// The enhanced-metafile recorder's bytes: the header, the records of the
// calls drawn into a recording DC, the objects, and the bits going in and out.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/gdi/WinGdiMetafile.h"
#include "platform/gdi/emf/GdiEmfFormat.h"

namespace {

const char kDescription[] = "Qvbase\0Temporary picture\0";  // and the literal's own zero

uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | (uint32_t{b[at + 1]} << 8) | (uint32_t{b[at + 2]} << 16) |
         (uint32_t{b[at + 3]} << 24);
}
int32_t I32(const std::vector<uint8_t>& b, size_t at) { return static_cast<int32_t>(U32(b, at)); }
uint16_t U16(const std::vector<uint8_t>& b, size_t at) {
  return static_cast<uint16_t>(b[at] | (b[at + 1] << 8));
}
int16_t I16(const std::vector<uint8_t>& b, size_t at) { return static_cast<int16_t>(U16(b, at)); }

std::vector<uint8_t> Bits(HENHMETAFILE emf) {
  UINT n = GetEnhMetaFileBits(emf, 0, nullptr);
  std::vector<uint8_t> bytes(n);
  EXPECT_EQ(GetEnhMetaFileBits(emf, n, bytes.data()), n);
  return bytes;
}

struct Record {
  uint32_t type;
  size_t at;
  uint32_t size;
};

std::vector<Record> Records(const std::vector<uint8_t>& b) {
  std::vector<Record> out;
  size_t at = 0;
  while (at + 8 <= b.size()) {
    Record r{U32(b, at), at, U32(b, at + 4)};
    out.push_back(r);
    if (r.size < 8) break;
    at += r.size;
  }
  return out;
}

// The records after the header and before EOF.
std::vector<Record> Body(const std::vector<uint8_t>& b) {
  std::vector<Record> all = Records(b);
  return std::vector<Record>(all.begin() + 1, all.end() - 1);
}

// A picture of w x h screen pixels at the origin, as the metafile port makes it.
RECT FrameOf(int w, int h) {
  HDC screen = GetDC(nullptr);
  RECT f{0, 0, w * GetDeviceCaps(screen, HORZSIZE) * 100 / GetDeviceCaps(screen, HORZRES),
         h * GetDeviceCaps(screen, VERTSIZE) * 100 / GetDeviceCaps(screen, VERTRES)};
  ReleaseDC(nullptr, screen);
  return f;
}

template <typename Draw>
std::vector<uint8_t> Recorded(Draw draw, const char* description = nullptr) {
  RECT frame = FrameOf(40, 30);
  HDC dc = CreateEnhMetaFileA(nullptr, nullptr, &frame, description);
  EXPECT_NE(dc, nullptr);
  draw(dc);
  HENHMETAFILE emf = CloseEnhMetaFile(dc);
  EXPECT_NE(emf, nullptr);
  std::vector<uint8_t> bytes = Bits(emf);
  DeleteEnhMetaFile(emf);
  return bytes;
}

TEST(GdiEmfRecord, HeaderCarriesFrameDeviceTotalsAndDescription) {
  RECT frame = FrameOf(40, 30);
  std::vector<uint8_t> b = Recorded([](HDC dc) { Rectangle(dc, 2, 3, 12, 9); }, kDescription);
  ASSERT_GE(b.size(), 108u);
  EXPECT_EQ(U32(b, 0), EMR_HEADER);
  // The description: "Qvbase", zero, "Temporary picture", zero, zero: 26
  // UTF-16 units right after the 108-byte header.
  const uint32_t units = 26;
  EXPECT_EQ(U32(b, 4), 108 + units * 2);
  // Bounds: the rectangle's pixels, inclusive (a one-pixel pen leaves out
  // the right and bottom edges).
  EXPECT_EQ(I32(b, 8), 2);
  EXPECT_EQ(I32(b, 12), 3);
  EXPECT_EQ(I32(b, 16), 11);
  EXPECT_EQ(I32(b, 20), 8);
  EXPECT_EQ(I32(b, 24), frame.left);
  EXPECT_EQ(I32(b, 28), frame.top);
  EXPECT_EQ(I32(b, 32), frame.right);
  EXPECT_EQ(I32(b, 36), frame.bottom);
  EXPECT_EQ(U32(b, 40), 0x464D4520u);
  EXPECT_EQ(U32(b, 44), 0x10000u);
  EXPECT_EQ(U32(b, 48), b.size());
  EXPECT_EQ(U32(b, 52), Records(b).size());
  EXPECT_EQ(U16(b, 56), 1);  // no object made: only the reserved entry
  EXPECT_EQ(U16(b, 58), 0);
  EXPECT_EQ(U32(b, 60), units);
  EXPECT_EQ(U32(b, 64), 108u);
  EXPECT_EQ(U32(b, 68), 0u);
  EXPECT_EQ(I32(b, 72), 1280);  // the screen: pixels
  EXPECT_EQ(I32(b, 76), 1024);
  EXPECT_EQ(I32(b, 80), 338);  // and millimetres
  EXPECT_EQ(I32(b, 84), 270);
  EXPECT_EQ(U32(b, 88), 0u);
  EXPECT_EQ(U32(b, 92), 0u);
  EXPECT_EQ(U32(b, 96), 0u);
  EXPECT_EQ(I32(b, 100), 338000);
  EXPECT_EQ(I32(b, 104), 270000);
  std::u16string description;
  for (uint32_t i = 0; i < units; ++i) description.push_back(U16(b, 108 + 2 * i));
  EXPECT_EQ(description, std::u16string(u"Qvbase\0Temporary picture\0\0", units));
}

TEST(GdiEmfRecord, EndsWithTheEofRecord) {
  std::vector<uint8_t> b = Recorded([](HDC dc) { Ellipse(dc, 0, 0, 5, 5); });
  std::vector<Record> all = Records(b);
  ASSERT_GE(all.size(), 3u);
  const Record& eof = all.back();
  EXPECT_EQ(eof.type, EMR_EOF);
  EXPECT_EQ(eof.size, 20u);
  EXPECT_EQ(eof.at + 20, b.size());
  EXPECT_EQ(U32(b, eof.at + 8), 0u);    // no palette entries
  EXPECT_EQ(U32(b, eof.at + 12), 16u);  // where they would start
  EXPECT_EQ(U32(b, eof.at + 16), 20u);  // nSizeLast
  // Without a description the header is 108 bytes and says so.
  EXPECT_EQ(U32(b, 4), 108u);
  EXPECT_EQ(U32(b, 60), 0u);
  EXPECT_EQ(U32(b, 64), 0u);
}

TEST(GdiEmfRecord, ShapesAndModesAreTheirRecords) {
  std::vector<uint8_t> b = Recorded([](HDC dc) {
    SetTextColor(dc, RGB(1, 2, 3));
    SetBkMode(dc, TRANSPARENT);
    SetROP2(dc, R2_NOTXORPEN);
    MoveToEx(dc, 4, 5, nullptr);
    LineTo(dc, 20, 6);
    RoundRect(dc, 1, 2, 30, 20, 6, 4);
    SetPixel(dc, 7, 8, RGB(9, 10, 11));
  });
  std::vector<Record> r = Body(b);
  ASSERT_EQ(r.size(), 7u);
  EXPECT_EQ(r[0].type, EMR_SETTEXTCOLOR);
  EXPECT_EQ(r[0].size, 12u);
  EXPECT_EQ(U32(b, r[0].at + 8), RGB(1, 2, 3));
  EXPECT_EQ(r[1].type, EMR_SETBKMODE);
  EXPECT_EQ(U32(b, r[1].at + 8), static_cast<uint32_t>(TRANSPARENT));
  EXPECT_EQ(r[2].type, EMR_SETROP2);
  EXPECT_EQ(U32(b, r[2].at + 8), static_cast<uint32_t>(R2_NOTXORPEN));
  EXPECT_EQ(r[3].type, EMR_MOVETOEX);
  EXPECT_EQ(r[3].size, 16u);
  EXPECT_EQ(I32(b, r[3].at + 8), 4);
  EXPECT_EQ(I32(b, r[3].at + 12), 5);
  EXPECT_EQ(r[4].type, EMR_LINETO);
  EXPECT_EQ(I32(b, r[4].at + 8), 20);
  EXPECT_EQ(r[5].type, EMR_ROUNDRECT);
  EXPECT_EQ(r[5].size, 32u);
  const int32_t box[6] = {1, 2, 30, 20, 6, 4};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(I32(b, r[5].at + 8 + 4 * i), box[i]);
  EXPECT_EQ(r[6].type, EMR_SETPIXELV);
  EXPECT_EQ(r[6].size, 20u);
  EXPECT_EQ(U32(b, r[6].at + 16), RGB(9, 10, 11));
}

TEST(GdiEmfRecord, PolylineUses16BitPointsWhenTheyFit) {
  POINT small[3] = {{1, 2}, {30, -4}, {5, 6}};
  POINT large[2] = {{0, 0}, {40000, 1}};
  std::vector<uint8_t> b = Recorded([&](HDC dc) {
    Polyline(dc, small, 3);
    Polygon(dc, large, 2);
  });
  std::vector<Record> r = Body(b);
  ASSERT_EQ(r.size(), 2u);
  EXPECT_EQ(r[0].type, EMR_POLYLINE16);
  EXPECT_EQ(r[0].size, 8u + 16 + 4 + 3 * 4);
  EXPECT_EQ(U32(b, r[0].at + 24), 3u);
  EXPECT_EQ(I16(b, r[0].at + 28 + 4), 30);
  EXPECT_EQ(I16(b, r[0].at + 28 + 6), -4);
  // Bounds: device pixels of the points, inclusive.
  EXPECT_EQ(I32(b, r[0].at + 8), 1);
  EXPECT_EQ(I32(b, r[0].at + 12), -4);
  EXPECT_EQ(I32(b, r[0].at + 16), 30);
  EXPECT_EQ(I32(b, r[0].at + 20), 6);
  EXPECT_EQ(r[1].type, EMR_POLYGON);
  EXPECT_EQ(r[1].size, 8u + 16 + 4 + 2 * 8);
  EXPECT_EQ(I32(b, r[1].at + 28 + 8), 40000);
}

TEST(GdiEmfRecord, ObjectsAreCreatedOnceAndStockOnesSelectedByIndex) {
  std::vector<uint8_t> b = Recorded([](HDC dc) {
    HPEN pen = CreatePen(PS_DASH, 3, RGB(10, 20, 30));
    HBRUSH hatch = CreateHatchBrush(HS_CROSS, RGB(40, 50, 60));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, hatch);
    Rectangle(dc, 0, 0, 4, 4);
    SelectObject(dc, GetStockObject(NULL_BRUSH));
    // A second pen with the same look reuses the first one's entry.
    HPEN same = CreatePen(PS_DASH, 3, RGB(10, 20, 30));
    SelectObject(dc, same);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(pen);
    DeleteObject(same);
    DeleteObject(hatch);
  });
  std::vector<Record> r = Body(b);
  ASSERT_EQ(r.size(), 9u);
  EXPECT_EQ(r[0].type, EMR_CREATEPEN);
  EXPECT_EQ(r[0].size, 28u);
  EXPECT_EQ(U32(b, r[0].at + 8), 1u);  // entry 1
  EXPECT_EQ(U32(b, r[0].at + 12), PS_DASH);
  EXPECT_EQ(I32(b, r[0].at + 16), 3);
  EXPECT_EQ(I32(b, r[0].at + 20), 0);
  EXPECT_EQ(U32(b, r[0].at + 24), RGB(10, 20, 30));
  EXPECT_EQ(r[1].type, EMR_SELECTOBJECT);
  EXPECT_EQ(r[1].size, 12u);
  EXPECT_EQ(U32(b, r[1].at + 8), 1u);
  EXPECT_EQ(r[2].type, EMR_CREATEBRUSHINDIRECT);
  EXPECT_EQ(r[2].size, 24u);
  EXPECT_EQ(U32(b, r[2].at + 8), 2u);
  EXPECT_EQ(U32(b, r[2].at + 12), BS_HATCHED);
  EXPECT_EQ(U32(b, r[2].at + 16), RGB(40, 50, 60));
  EXPECT_EQ(U32(b, r[2].at + 20), static_cast<uint32_t>(HS_CROSS));
  EXPECT_EQ(r[3].type, EMR_SELECTOBJECT);
  EXPECT_EQ(r[4].type, EMR_RECTANGLE);
  EXPECT_EQ(r[5].type, EMR_SELECTOBJECT);
  EXPECT_EQ(U32(b, r[5].at + 8), 0x80000000u | NULL_BRUSH);
  EXPECT_EQ(r[6].type, EMR_SELECTOBJECT);
  EXPECT_EQ(U32(b, r[6].at + 8), 1u);
  EXPECT_EQ(U32(b, r[7].at + 8), 0x80000000u | BLACK_PEN);
  EXPECT_EQ(U32(b, r[8].at + 8), 0x80000000u | WHITE_BRUSH);
  EXPECT_EQ(U16(b, 56), 3);  // entries 0, 1 and 2
}

TEST(GdiEmfRecord, FontIsItsLogFontInUtf16) {
  std::vector<uint8_t> b = Recorded([](HDC dc) {
    LOGFONTA lf{};
    lf.lfHeight = -13;
    lf.lfWeight = FW_BOLD;
    lf.lfItalic = 1;
    lf.lfCharSet = ANSI_CHARSET;
    std::strcpy(lf.lfFaceName, "Arial");
    HFONT font = CreateFontIndirectA(&lf);
    HGDIOBJ old = SelectObject(dc, font);
    SelectObject(dc, old);
    DeleteObject(font);
  });
  std::vector<Record> r = Body(b);
  ASSERT_GE(r.size(), 1u);
  EXPECT_EQ(r[0].type, EMR_EXTCREATEFONTINDIRECTW);
  EXPECT_EQ(r[0].size, 332u);
  size_t lf = r[0].at + 12;
  EXPECT_EQ(I32(b, lf), -13);
  EXPECT_EQ(I32(b, lf + 16), FW_BOLD);
  EXPECT_EQ(b[lf + 20], 1);  // italic
  std::u16string face;
  for (int i = 0; i < 5; ++i) face.push_back(U16(b, lf + 28 + 2 * i));
  EXPECT_EQ(face, u"Arial");
  EXPECT_EQ(U16(b, lf + 28 + 10), 0);
}

TEST(GdiEmfRecord, ClipCallsAreTheirRecordsWithRegionData) {
  std::vector<uint8_t> b = Recorded([](HDC dc) {
    IntersectClipRect(dc, 1, 2, 30, 25);
    ExcludeClipRect(dc, 5, 5, 8, 8);
    OffsetClipRgn(dc, 2, 3);
    HRGN region = CreateRectRgn(3, 4, 10, 12);
    ExtSelectClipRgn(dc, region, RGN_OR);
    DeleteObject(region);
    SelectClipRgn(dc, nullptr);
  });
  std::vector<Record> r = Body(b);
  ASSERT_EQ(r.size(), 5u);
  EXPECT_EQ(r[0].type, EMR_INTERSECTCLIPRECT);
  EXPECT_EQ(r[0].size, 24u);
  EXPECT_EQ(I32(b, r[0].at + 16), 30);
  EXPECT_EQ(r[1].type, EMR_EXCLUDECLIPRECT);
  EXPECT_EQ(r[2].type, EMR_OFFSETCLIPRGN);
  EXPECT_EQ(I32(b, r[2].at + 12), 3);
  EXPECT_EQ(r[3].type, EMR_EXTSELECTCLIPRGN);
  EXPECT_EQ(U32(b, r[3].at + 8), 32u + 16);  // RGNDATA: header and one rectangle
  EXPECT_EQ(U32(b, r[3].at + 12), static_cast<uint32_t>(RGN_OR));
  size_t data = r[3].at + 16;
  EXPECT_EQ(U32(b, data), 32u);
  EXPECT_EQ(U32(b, data + 4), RDH_RECTANGLES);
  EXPECT_EQ(U32(b, data + 8), 1u);
  EXPECT_EQ(I32(b, data + 32), 3);
  EXPECT_EQ(I32(b, data + 44), 12);
  EXPECT_EQ(r[4].type, EMR_EXTSELECTCLIPRGN);
  EXPECT_EQ(r[4].size, 16u);
  EXPECT_EQ(U32(b, r[4].at + 8), 0u);  // no region: the clip goes
  EXPECT_EQ(U32(b, r[4].at + 12), static_cast<uint32_t>(RGN_COPY));
}

TEST(GdiEmfRecord, RestoreIsStoredRelativeToTheLastSave) {
  std::vector<uint8_t> b = Recorded([](HDC dc) {
    SaveDC(dc);
    SaveDC(dc);
    SaveDC(dc);
    RestoreDC(dc, 1);  // the first of three: two levels further back than -1
  });
  std::vector<Record> r = Body(b);
  ASSERT_EQ(r.size(), 4u);
  EXPECT_EQ(r[0].type, EMR_SAVEDC);
  EXPECT_EQ(r[0].size, 8u);
  EXPECT_EQ(r[3].type, EMR_RESTOREDC);
  EXPECT_EQ(I32(b, r[3].at + 8), -3);
}

TEST(GdiEmfRecord, FillRegionNamesItsBrushAndCarriesTheRegion) {
  std::vector<uint8_t> b = Recorded([](HDC dc) {
    HRGN region = CreateRectRgn(2, 2, 9, 7);
    HBRUSH brush = CreateSolidBrush(RGB(0, 128, 0));
    FillRgn(dc, region, brush);
    FrameRgn(dc, region, brush, 2, 1);
    DeleteObject(brush);
    DeleteObject(region);
  });
  std::vector<Record> r = Body(b);
  ASSERT_EQ(r.size(), 3u);
  EXPECT_EQ(r[0].type, EMR_CREATEBRUSHINDIRECT);
  EXPECT_EQ(r[1].type, EMR_FILLRGN);
  EXPECT_EQ(r[1].size, 32u + 48);
  EXPECT_EQ(I32(b, r[1].at + 8), 2);   // bounds, inclusive
  EXPECT_EQ(I32(b, r[1].at + 20), 6);
  EXPECT_EQ(U32(b, r[1].at + 24), 48u);
  EXPECT_EQ(U32(b, r[1].at + 28), 1u);  // the brush's entry
  EXPECT_EQ(r[2].type, EMR_FRAMERGN);
  EXPECT_EQ(I32(b, r[2].at + 32), 2);
  EXPECT_EQ(I32(b, r[2].at + 36), 1);
  EXPECT_EQ(I32(b, r[2].at + 40), 32);  // the RGNDATA header follows
}

TEST(GdiEmfRecord, BlitCarriesTheSourcePixelsAsADib) {
  // A 3 x 2 source whose pixels are told apart.
  HDC mem = CreateCompatibleDC(nullptr);
  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 3, 2);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(mem, bitmap);
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 3; ++x) SetPixel(mem, x, y, RGB(10 * x, 100 + y, 7));
  }
  std::vector<uint8_t> b = Recorded([&](HDC dc) {
    SetBkColor(mem, RGB(1, 2, 3));
    BitBlt(dc, 5, 6, 3, 2, mem, 0, 0, SRCCOPY);
    PatBlt(dc, 0, 0, 4, 4, PATCOPY);
  });
  SelectObject(mem, old);
  DeleteObject(bitmap);
  DeleteDC(mem);
  std::vector<Record> r = Body(b);
  ASSERT_EQ(r.size(), 2u);
  const Record& blt = r[0];
  EXPECT_EQ(blt.type, EMR_BITBLT);
  EXPECT_EQ(blt.size, 100u + 40 + 3 * 4 * 2);
  EXPECT_EQ(I32(b, blt.at + 24), 5);
  EXPECT_EQ(I32(b, blt.at + 28), 6);
  EXPECT_EQ(I32(b, blt.at + 32), 3);
  EXPECT_EQ(I32(b, blt.at + 36), 2);
  EXPECT_EQ(U32(b, blt.at + 40), SRCCOPY);
  EXPECT_EQ(I32(b, blt.at + 44), 0);  // the source: the DIB from its corner
  EXPECT_EQ(I32(b, blt.at + 48), 0);
  float m11, m22;
  std::memcpy(&m11, &b[blt.at + 52], 4);
  std::memcpy(&m22, &b[blt.at + 64], 4);
  EXPECT_EQ(m11, 1.0f);
  EXPECT_EQ(m22, 1.0f);
  EXPECT_EQ(U32(b, blt.at + 76), RGB(1, 2, 3));  // the source's back colour
  EXPECT_EQ(U32(b, blt.at + 80), DIB_RGB_COLORS);
  EXPECT_EQ(U32(b, blt.at + 84), 100u);  // offBmi
  EXPECT_EQ(U32(b, blt.at + 88), 40u);
  EXPECT_EQ(U32(b, blt.at + 92), 140u);  // offBits
  EXPECT_EQ(U32(b, blt.at + 96), 24u);
  size_t info = blt.at + 100;
  EXPECT_EQ(U32(b, info), 40u);
  EXPECT_EQ(I32(b, info + 4), 3);
  EXPECT_EQ(I32(b, info + 8), 2);  // bottom-up
  EXPECT_EQ(U16(b, info + 14), 32);
  // The first stored row is the bottom one: pixel (1, 1) is its second.
  size_t pixel = blt.at + 140 + 4;
  EXPECT_EQ(b[pixel], 7);        // blue
  EXPECT_EQ(b[pixel + 1], 101);  // green
  EXPECT_EQ(b[pixel + 2], 10);   // red
  // A blit without a source has no bitmap.
  EXPECT_EQ(r[1].type, EMR_BITBLT);
  EXPECT_EQ(r[1].size, 100u);
  EXPECT_EQ(U32(b, r[1].at + 40), PATCOPY);
  EXPECT_EQ(U32(b, r[1].at + 88), 0u);
}

TEST(GdiEmfRecord, TextCarriesCharactersAndAdvances) {
  std::vector<uint8_t> b = Recorded([](HDC dc) {
    RECT box{1, 2, 30, 20};
    INT dx[3] = {5, 6, 7};
    ExtTextOutW(dc, 3, 4, ETO_OPAQUE, &box, u"abc", 3, dx);
    TextOutA(dc, 8, 9, "xy", 2);
  });
  std::vector<Record> r = Body(b);
  ASSERT_EQ(r.size(), 2u);
  const Record& w = r[0];
  EXPECT_EQ(w.type, EMR_EXTTEXTOUTW);
  EXPECT_EQ(w.size, 76u + 8 + 12);  // three units padded to 8 bytes, three advances
  EXPECT_EQ(I32(b, w.at + 36), 3);  // reference point
  EXPECT_EQ(I32(b, w.at + 40), 4);
  EXPECT_EQ(U32(b, w.at + 44), 3u);
  EXPECT_EQ(U32(b, w.at + 48), 76u);  // offString
  EXPECT_EQ(U32(b, w.at + 52), ETO_OPAQUE);
  EXPECT_EQ(I32(b, w.at + 56), 1);
  EXPECT_EQ(I32(b, w.at + 68), 20);
  EXPECT_EQ(U32(b, w.at + 72), 84u);  // offDx
  EXPECT_EQ(U16(b, w.at + 76), u'a');
  EXPECT_EQ(U16(b, w.at + 80), u'c');
  EXPECT_EQ(I32(b, w.at + 84), 5);
  EXPECT_EQ(I32(b, w.at + 92), 7);
  const Record& a = r[1];
  EXPECT_EQ(a.type, EMR_EXTTEXTOUTA);
  EXPECT_EQ(U32(b, a.at + 44), 2u);
  EXPECT_EQ(b[a.at + 76], 'x');
  EXPECT_EQ(b[a.at + 77], 'y');
  // No rectangle: the empty one.
  EXPECT_EQ(I32(b, a.at + 64), -1);
  EXPECT_EQ(I32(b, a.at + 68), -1);
  // The advances are the font's widths.
  SIZE one{};
  HDC screen = GetDC(nullptr);
  GetTextExtentPoint32A(screen, "x", 1, &one);
  ReleaseDC(nullptr, screen);
  EXPECT_EQ(I32(b, a.at + 80), one.cx);
}

TEST(GdiEmfRecord, FrameComesFromWhatWasDrawnWhenNoneIsGiven) {
  HDC dc = CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(dc, nullptr);
  SelectObject(dc, GetStockObject(NULL_PEN));
  Rectangle(dc, 128, 64, 256, 128);
  HENHMETAFILE emf = CloseEnhMetaFile(dc);
  ENHMETAHEADER h{};
  ASSERT_EQ(GetEnhMetaFileHeader(emf, sizeof h, &h), sizeof h);
  EXPECT_EQ(h.rclBounds.left, 128);
  EXPECT_EQ(h.rclBounds.right, 254);  // without a pen, one pixel inside the box
  // 128 screen pixels are 128 x 33800 / 1280 hundredths of a millimetre;
  // the frame ends after the last pixel.
  EXPECT_EQ(h.rclFrame.left, 128 * 33800 / 1280);
  EXPECT_EQ(h.rclFrame.right, 255 * 33800 / 1280);
  DeleteEnhMetaFile(emf);
}

TEST(GdiEmfRecord, HeaderCallAgreesWithTheBytes) {
  RECT frame = FrameOf(40, 30);
  HDC dc = CreateEnhMetaFileA(nullptr, nullptr, &frame, kDescription);
  Rectangle(dc, 0, 0, 10, 10);
  HENHMETAFILE emf = CloseEnhMetaFile(dc);
  std::vector<uint8_t> b = Bits(emf);
  EXPECT_EQ(GetEnhMetaFileHeader(emf, 0, nullptr), sizeof(ENHMETAHEADER));
  ENHMETAHEADER h{};
  ASSERT_EQ(GetEnhMetaFileHeader(emf, sizeof h, &h), sizeof h);
  EXPECT_EQ(h.iType, EMR_HEADER);
  EXPECT_EQ(h.dSignature, ENHMETA_SIGNATURE);
  EXPECT_EQ(h.nBytes, b.size());
  EXPECT_EQ(h.nRecords, U32(b, 52));
  EXPECT_EQ(h.rclFrame.right, frame.right);
  EXPECT_EQ(h.szlDevice.cx, 1280);
  EXPECT_EQ(h.szlMicrometers.cy, 270000);
  // A short buffer gets the start of the header.
  DWORD first[2] = {};
  EXPECT_EQ(GetEnhMetaFileHeader(emf, 8, reinterpret_cast<ENHMETAHEADER*>(first)), 8u);
  EXPECT_EQ(first[1], U32(b, 4));
  DeleteEnhMetaFile(emf);
}

TEST(GdiEmfRecord, BitsRoundTripByteForByte) {
  std::vector<uint8_t> b = Recorded([](HDC dc) {
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    SelectObject(dc, brush);
    Ellipse(dc, 1, 1, 20, 15);
    TextOutA(dc, 2, 2, "round", 5);
    SelectObject(dc, GetStockObject(WHITE_BRUSH));
    DeleteObject(brush);
  });
  HENHMETAFILE again = SetEnhMetaFileBits(static_cast<UINT>(b.size()), b.data());
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(Bits(again), b);
  HENHMETAFILE copy = CopyEnhMetaFileA(again, nullptr);
  ASSERT_NE(copy, nullptr);
  EXPECT_NE(copy, again);
  EXPECT_TRUE(DeleteEnhMetaFile(again));
  EXPECT_EQ(Bits(copy), b);  // the copy outlives the original
  // Bytes after the metafile are not part of it.
  std::vector<uint8_t> longer = b;
  longer.resize(b.size() + 12, 0xAB);
  HENHMETAFILE trimmed = SetEnhMetaFileBits(static_cast<UINT>(longer.size()), longer.data());
  ASSERT_NE(trimmed, nullptr);
  EXPECT_EQ(Bits(trimmed), b);
  DeleteEnhMetaFile(trimmed);
  DeleteEnhMetaFile(copy);
}

TEST(GdiEmfRecord, BitsIntoTooSmallABufferFail) {
  std::vector<uint8_t> b = Recorded([](HDC dc) { Rectangle(dc, 0, 0, 3, 3); });
  HENHMETAFILE emf = SetEnhMetaFileBits(static_cast<UINT>(b.size()), b.data());
  std::vector<uint8_t> small(b.size() - 1, 0xEE);
  EXPECT_EQ(GetEnhMetaFileBits(emf, static_cast<UINT>(small.size()), small.data()), 0u);
  EXPECT_EQ(small, std::vector<uint8_t>(b.size() - 1, 0xEE));
  DeleteEnhMetaFile(emf);
}

TEST(GdiEmfRecord, DeletedHandlesAreRefused) {
  std::vector<uint8_t> b = Recorded([](HDC dc) { Rectangle(dc, 0, 0, 3, 3); });
  HENHMETAFILE emf = SetEnhMetaFileBits(static_cast<UINT>(b.size()), b.data());
  ASSERT_TRUE(DeleteEnhMetaFile(emf));
  EXPECT_FALSE(DeleteEnhMetaFile(emf));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_EQ(GetEnhMetaFileBits(emf, 0, nullptr), 0u);
  EXPECT_EQ(CopyEnhMetaFileA(emf, nullptr), nullptr);
  // Nor is a GDI object or a forged value taken for a metafile.
  HBRUSH brush = CreateSolidBrush(0);
  EXPECT_FALSE(DeleteEnhMetaFile(reinterpret_cast<HENHMETAFILE>(brush)));
  EXPECT_FALSE(DeleteEnhMetaFile(reinterpret_cast<HENHMETAFILE>(uintptr_t{0x12345})));
  DeleteObject(brush);
}

TEST(GdiEmfRecord, FileNamesAndOtherDcsAreRefused) {
  RECT frame{0, 0, 100, 100};
  EXPECT_EQ(CreateEnhMetaFileA(nullptr, "/tmp/picture.emf", &frame, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  HDC mem = CreateCompatibleDC(nullptr);
  EXPECT_EQ(CloseEnhMetaFile(mem), nullptr);
  EXPECT_TRUE(DeleteDC(mem));  // still a DC: not closed
  HDC dc = CreateEnhMetaFileA(nullptr, nullptr, &frame, nullptr);
  EXPECT_EQ(GetObjectType(dc), OBJ_ENHMETADC);
  HENHMETAFILE emf = CloseEnhMetaFile(dc);
  EXPECT_NE(emf, nullptr);
  EXPECT_EQ(CloseEnhMetaFile(dc), nullptr);  // the DC went with the closing
  DeleteEnhMetaFile(emf);
}

TEST(GdiEmfRecord, ReferenceDeviceGivesTheHeaderItsDevice) {
  HDC printer = CreateICA(nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(printer, nullptr);
  RECT frame{0, 0, 1000, 1000};
  HDC dc = CreateEnhMetaFileA(printer, nullptr, &frame, nullptr);
  EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSX), GetDeviceCaps(printer, LOGPIXELSX));
  HENHMETAFILE emf = CloseEnhMetaFile(dc);
  ENHMETAHEADER h{};
  GetEnhMetaFileHeader(emf, sizeof h, &h);
  EXPECT_EQ(h.szlDevice.cx, GetDeviceCaps(printer, HORZRES));
  EXPECT_EQ(h.szlMillimeters.cy, GetDeviceCaps(printer, VERTSIZE));
  DeleteEnhMetaFile(emf);
  DeleteDC(printer);
}

}  // namespace
