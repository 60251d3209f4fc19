// Macintosh bit maps and pixel maps turned into GDI bitmaps: row widths,
// pixel values of every packing, and maps that must be refused.
#include <gtest/gtest.h>

#include <vector>

#include "graphics/VMacBitmaps.h"
#include "graphics/VPort.h"
#include "graphics/tests/GraphicsTestSupport.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

// The bitmap's pixels read through a memory DC.
std::vector<COLORREF> PixelsOf(HBITMAP bitmap, int32_t w, int32_t h) {
  std::vector<COLORREF> out;
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ displaced = SelectObject(dc, bitmap);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) out.push_back(GetPixel(dc, x, y));
  SelectObject(dc, displaced);
  DeleteDC(dc);
  return out;
}

VMacPixMap Map(const std::vector<uint8_t>& data, uint16_t rowBytes, int16_t w, int16_t h,
               int16_t pixelType, int16_t pixelSize, int16_t packType, int16_t cmpCount = 1) {
  VMacPixMap m;
  m.baseAddr = data.data();
  m.dataSize = static_cast<uint32_t>(data.size());
  m.rowBytes = static_cast<uint16_t>(rowBytes | 0x8000);
  m.bounds = VMacRect{0, 0, h, w};
  m.pixelType = pixelType;
  m.pixelSize = pixelSize;
  m.packType = packType;
  m.cmpCount = cmpCount;
  m.cmpSize = pixelType == 16 ? (pixelSize == 16 ? 5 : 8) : pixelSize;
  return m;
}

}  // namespace

TEST(VMacBitmaps, BitMapRowsRoundToEvenBytesAndInvert) {
  const struct {
    int16_t width;
    LONG gdiRowBytes;
  } cases[] = {{9, 2}, {16, 2}, {17, 4}, {1, 2}};
  for (const auto& c : cases) {
    // Two rows: the first pixel of row 0 and the last of row 1 black.
    std::vector<uint8_t> rows(8, 0);
    rows[0] = 0x80;
    const int32_t last = c.width - 1;
    rows[4 + last / 8] = static_cast<uint8_t>(0x80 >> (last % 8));
    VMacBitMap map{rows.data(), 8, 0x8004, VMacRect{0, 0, 2, c.width}};
    HBITMAP bitmap = BitmapFromMacBitMap(map);
    ASSERT_NE(bitmap, nullptr) << c.width;
    BITMAP bm{};
    GetObject(bitmap, sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidthBytes, c.gdiRowBytes) << c.width;
    EXPECT_EQ(bm.bmBitsPixel, 1);
    const std::vector<COLORREF> px = PixelsOf(bitmap, c.width, 2);
    int32_t black = 0;
    for (COLORREF p : px) black += p == kBlack;
    EXPECT_EQ(px[0], kBlack);
    EXPECT_EQ(px[static_cast<size_t>(c.width + last)], kBlack);
    EXPECT_EQ(black, 2) << c.width;
    DeleteObject(bitmap);
  }
}

TEST(VMacBitmaps, BadBitMapsGiveNoBitmap) {
  std::vector<uint8_t> rows(4, 0xFF);
  EXPECT_EQ(BitmapFromMacBitMap(VMacBitMap{rows.data(), 4, 2, VMacRect{2, 0, 0, 8}}), nullptr);
  EXPECT_EQ(BitmapFromMacBitMap(VMacBitMap{rows.data(), 4, 2, VMacRect{0, 0, 3, 8}}), nullptr);
  EXPECT_EQ(BitmapFromMacBitMap(VMacBitMap{rows.data(), 4, 1, VMacRect{0, 0, 1, 16}}), nullptr);
  EXPECT_EQ(BitmapFromMacBitMap(VMacBitMap{nullptr, 4, 2, VMacRect{0, 0, 1, 8}}), nullptr);
}

TEST(VMacBitmaps, IndexedMapsSpreadPixelsThroughTheColourTable) {
  // 2 bits a pixel, 4 pixels a byte, row bytes 2 (below 8: unpacked).
  std::vector<uint8_t> data = {0x1B, 0x00, 0xE4, 0x00};  // 0 1 2 3 / 3 2 1 0
  const VMacColorSpec table[] = {{1, 0xFFFF, 0, 0},
                                 {2, 0, 0xFFFF, 0},
                                 {3, 0, 0, 0xFFFF},
                                 {300, 0x1234, 0x1234, 0x1234}};  // skipped
  VMacPixMap map = Map(data, 2, 4, 2, 0, 2, 2);  // pack type ignored
  map.colors = table;
  map.colorCount = 4;
  Canvas canvas(4, 4);
  VPort port(canvas.dc());
  HBITMAP bitmap = port.DIBFromPixMap(map);
  ASSERT_NE(bitmap, nullptr);
  const std::vector<COLORREF> px = PixelsOf(bitmap, 4, 2);
  const std::vector<COLORREF> expected = {kWhite,           RGB(255, 0, 0), RGB(0, 255, 0),
                                          RGB(0, 0, 255),   RGB(0, 0, 255), RGB(0, 255, 0),
                                          RGB(255, 0, 0),   kWhite};
  EXPECT_EQ(px, expected);
  DeleteObject(bitmap);
}

TEST(VMacBitmaps, DirectMapsOfEveryPackingGiveTheSameColours) {
  // Two pixels a row, two rows: red, green / blue, white.
  const uint8_t rgb[4][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
  const std::vector<COLORREF> expected = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255),
                                          kWhite};
  // Pack 1, 32-bit, row bytes 8 (x R G B).
  std::vector<uint8_t> p1;
  for (auto& c : rgb) p1.insert(p1.end(), {0, c[0], c[1], c[2]});
  // Pack 2, row bytes 8: 6 bytes R G B a row, 2 pad.
  std::vector<uint8_t> p2;
  for (int r = 0; r < 2; ++r) {
    for (int i = 0; i < 2; ++i) p2.insert(p2.end(), {rgb[r * 2 + i][0], rgb[r * 2 + i][1], rgb[r * 2 + i][2]});
    p2.insert(p2.end(), {0, 0});
  }
  // Pack 4, row bytes 8: count, then literal run of the planes R R G G B B.
  std::vector<uint8_t> p4;
  for (int r = 0; r < 2; ++r) {
    p4.insert(p4.end(), {7, 5});
    for (int plane = 0; plane < 3; ++plane)
      for (int i = 0; i < 2; ++i) p4.push_back(rgb[r * 2 + i][plane]);
  }
  // Pack 3, 16-bit, row bytes 8 (4 pixels; the map is 2 wide): word runs.
  std::vector<uint8_t> p3;
  const uint16_t words[4] = {0x7C00, 0x03E0, 0x001F, 0x7FFF};
  for (int r = 0; r < 2; ++r) {
    p3.insert(p3.end(), {5, 1});
    for (int i = 0; i < 2; ++i) {
      p3.push_back(static_cast<uint8_t>(words[r * 2 + i] >> 8));
      p3.push_back(static_cast<uint8_t>(words[r * 2 + i]));
    }
  }
  struct Case {
    const std::vector<uint8_t>* data;
    int16_t pixelSize;
    int16_t pack;
  };
  const Case cases[] = {{&p1, 32, 1}, {&p2, 32, 2}, {&p4, 32, 4}, {&p4, 32, 0}, {&p3, 16, 3}};
  Canvas canvas(4, 4);
  VPort port(canvas.dc());
  for (const Case& c : cases) {
    VMacPixMap map = Map(*c.data, 8, 2, 2, 16, c.pixelSize, c.pack, 3);
    HBITMAP bitmap = port.DIBFromPixMap(map);
    ASSERT_NE(bitmap, nullptr) << c.pack;
    EXPECT_EQ(PixelsOf(bitmap, 2, 2), expected) << c.pack;
    DeleteObject(bitmap);
  }
}

TEST(VMacBitmaps, UnreadableMapsAreRefused) {
  std::vector<uint8_t> data(64, 0);
  struct Case {
    const char* what;
    VMacPixMap map;
  };
  VMacPixMap threeComponents = Map(data, 8, 2, 2, 0, 8, 0, 3);
  VMacPixMap upsideDown = Map(data, 8, 2, 2, 16, 32, 1, 3);
  upsideDown.bounds = VMacRect{4, 0, 2, 2};
  VMacPixMap shortData = Map(data, 40, 10, 4, 16, 32, 1, 3);  // 160 bytes asked
  VMacPixMap overrun = Map({}, 8, 2, 2, 16, 32, 4, 3);
  std::vector<uint8_t> runPastRow = {3, 0xF0, 0xAA, 7, 0x00, 0, 0, 0, 0, 0, 0, 0};
  overrun = Map(runPastRow, 8, 2, 2, 16, 32, 4, 3);
  std::vector<uint8_t> countPastData = {200, 5, 1, 2, 3, 4, 5, 6};
  VMacPixMap countPast = Map(countPastData, 8, 2, 1, 16, 32, 4, 3);
  VMacPixMap pack3of32 = Map(data, 8, 2, 2, 16, 32, 3, 3);
  VMacPixMap depth24 = Map(data, 8, 2, 2, 16, 24, 1, 3);
  const Case cases[] = {{"three components", threeComponents},
                        {"bottom above top", upsideDown},
                        {"rows beyond the data", shortData},
                        {"run past the row", overrun},
                        {"count past the data", countPast},
                        {"pack 3 of 32-bit", pack3of32},
                        {"24-bit", depth24}};
  Canvas canvas(4, 4);
  VPort port(canvas.dc());
  for (const Case& c : cases) EXPECT_EQ(port.DIBFromPixMap(c.map), nullptr) << c.what;
}

TEST(VMacBitmaps, CopyBitmapCopiesThePixels) {
  Canvas canvas(6, 5);
  VPort port(canvas.dc());
  EXPECT_EQ(port.CopyBitmap(nullptr), nullptr);
  // A bitmap selected in no DC, painted through one of its own.
  HBITMAP source = CreateCompatibleBitmap(canvas.dc(), 6, 5);
  HDC paint = CreateCompatibleDC(canvas.dc());
  HGDIOBJ displaced = SelectObject(paint, source);
  SetPixel(paint, 0, 0, RGB(10, 20, 30));
  SetPixel(paint, 2, 3, RGB(200, 100, 0));
  SelectObject(paint, displaced);
  DeleteDC(paint);
  HBITMAP copy = port.CopyBitmap(source);
  ASSERT_NE(copy, nullptr);
  const std::vector<COLORREF> px = PixelsOf(copy, 6, 5);
  EXPECT_EQ(px[3 * 6 + 2], RGB(200, 100, 0));
  EXPECT_EQ(px[0], RGB(10, 20, 30));
  DeleteObject(copy);
  DeleteObject(source);
}
