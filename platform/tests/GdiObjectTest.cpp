// GDI objects and device contexts: stock objects, selection and deletion,
// GetObject records, bitmaps compatible with their DC, palettes, device
// capabilities, window, printer and information DCs.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/gdi/WinGdi.h"
#include "platform/win32/WinWindows.h"

namespace {

TEST(GdiObject, StockObjectsSurviveDeletion) {
  HGDIOBJ black = GetStockObject(BLACK_BRUSH);
  ASSERT_NE(black, nullptr);
  EXPECT_EQ(GetStockObject(BLACK_BRUSH), black);
  EXPECT_TRUE(DeleteObject(black));
  EXPECT_EQ(GetObjectType(black), OBJ_BRUSH);
  LOGBRUSH lb;
  ASSERT_EQ(GetObject(GetStockObject(LTGRAY_BRUSH), sizeof lb, &lb), static_cast<int>(sizeof lb));
  EXPECT_EQ(lb.lbColor, RGB(192, 192, 192));
  EXPECT_EQ(GetObjectType(GetStockObject(NULL_PEN)), OBJ_PEN);
  EXPECT_EQ(GetObjectType(GetStockObject(DEFAULT_GUI_FONT)), OBJ_FONT);
  EXPECT_EQ(GetObjectType(GetStockObject(DEFAULT_PALETTE)), OBJ_PAL);
  EXPECT_EQ(GetStockObject(9), nullptr);
  EXPECT_EQ(GetStockObject(99), nullptr);
}

TEST(GdiObject, NewDcHoldsTheDefaultObjects) {
  HDC dc = CreateCompatibleDC(nullptr);
  EXPECT_EQ(GetObjectType(dc), OBJ_MEMDC);
  EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), GetStockObject(BLACK_PEN));
  EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), GetStockObject(WHITE_BRUSH));
  EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), GetStockObject(SYSTEM_FONT));
  EXPECT_EQ(GetCurrentObject(dc, OBJ_PAL), GetStockObject(DEFAULT_PALETTE));
  BITMAP bm;
  GetObject(GetCurrentObject(dc, OBJ_BITMAP), sizeof bm, &bm);
  EXPECT_EQ(bm.bmWidth, 1);
  EXPECT_EQ(bm.bmBitsPixel, 1);
  EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 0));
  EXPECT_EQ(GetBkColor(dc), RGB(255, 255, 255));
  EXPECT_EQ(GetBkMode(dc), OPAQUE);
  EXPECT_EQ(GetROP2(dc), R2_COPYPEN);
  EXPECT_EQ(GetMapMode(dc), MM_TEXT);
  EXPECT_EQ(GetTextAlign(dc), 0u);
  DeleteDC(dc);
}

TEST(GdiObject, SelectObjectAnswersThePreviousObject) {
  HDC dc = CreateCompatibleDC(nullptr);
  HPEN pen = CreatePen(PS_SOLID, 2, RGB(1, 2, 3));
  EXPECT_EQ(SelectObject(dc, pen), GetStockObject(BLACK_PEN));
  EXPECT_EQ(SelectObject(dc, GetStockObject(WHITE_PEN)), static_cast<HGDIOBJ>(pen));
  EXPECT_TRUE(DeleteObject(pen));
  EXPECT_EQ(GetObjectType(pen), 0u);
  // Palettes are selected with SelectPalette only.
  EXPECT_EQ(SelectObject(dc, GetStockObject(DEFAULT_PALETTE)), nullptr);
  EXPECT_EQ(SelectObject(dc, nullptr), nullptr);
  EXPECT_EQ(SelectObject(nullptr, GetStockObject(BLACK_PEN)), nullptr);
  DeleteDC(dc);
}

TEST(GdiObject, DeletingASelectedPenWaitsUntilItIsDeselected) {
  HDC dc = CreateCompatibleDC(nullptr);
  HDC screen = GetDC(nullptr);
  HBITMAP bmp = CreateCompatibleBitmap(screen, 4, 4);
  ReleaseDC(nullptr, screen);
  HGDIOBJ oldBmp = SelectObject(dc, bmp);
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
  HGDIOBJ oldPen = SelectObject(dc, pen);
  EXPECT_TRUE(DeleteObject(pen));
  // Still usable while selected.
  EXPECT_EQ(GetObjectType(pen), OBJ_PEN);
  MoveToEx(dc, 0, 0, nullptr);
  LineTo(dc, 2, 0);
  EXPECT_EQ(GetPixel(dc, 0, 0), RGB(255, 0, 0));
  SelectObject(dc, oldPen);
  EXPECT_EQ(GetObjectType(pen), 0u);
  SelectObject(dc, oldBmp);
  DeleteObject(bmp);
  DeleteDC(dc);
}

TEST(GdiObject, ObjectsHeldBySavedStatesStayAlive) {
  HDC dc = CreateCompatibleDC(nullptr);
  HBRUSH brush = CreateSolidBrush(RGB(9, 9, 9));
  HGDIOBJ old = SelectObject(dc, brush);
  SaveDC(dc);
  SelectObject(dc, old);
  DeleteObject(brush);
  EXPECT_EQ(GetObjectType(brush), OBJ_BRUSH);  // the saved state holds it
  RestoreDC(dc, -1);
  EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), static_cast<HGDIOBJ>(brush));
  SelectObject(dc, old);
  EXPECT_EQ(GetObjectType(brush), 0u);
  DeleteDC(dc);
}

TEST(GdiObject, ABitmapDrawsInOneMemoryDcAtATime) {
  HDC a = CreateCompatibleDC(nullptr), b = CreateCompatibleDC(nullptr);
  HBITMAP bmp = CreateBitmap(4, 4, 1, 1, nullptr);
  HGDIOBJ old = SelectObject(a, bmp);
  EXPECT_NE(old, nullptr);
  EXPECT_EQ(SelectObject(b, bmp), nullptr);
  EXPECT_FALSE(DeleteObject(bmp));  // still in a DC
  SelectObject(a, old);
  EXPECT_NE(SelectObject(b, bmp), nullptr);
  DeleteDC(b);  // a deleted DC lets its bitmap go
  EXPECT_TRUE(DeleteObject(bmp));
  DeleteDC(a);
}

TEST(GdiObject, GetObjectFillsTheRecordOfEachKind) {
  HPEN pen = CreatePen(PS_DOT, 3, RGB(1, 2, 3));
  LOGPEN lp;
  ASSERT_EQ(GetObject(pen, sizeof lp, &lp), static_cast<int>(sizeof lp));
  EXPECT_EQ(lp.lopnStyle, PS_DOT);
  EXPECT_EQ(lp.lopnWidth.x, 3);
  EXPECT_EQ(lp.lopnColor, RGB(1, 2, 3));
  EXPECT_EQ(GetObject(pen, 0, nullptr), static_cast<int>(sizeof(LOGPEN)));
  DeleteObject(pen);

  LOGBRUSH lb{BS_HATCHED, RGB(4, 5, 6), HS_CROSS};
  HPEN ext = ExtCreatePen(PS_GEOMETRIC | PS_ENDCAP_FLAT, 5, &lb, 0, nullptr);
  EXTLOGPEN elp;
  ASSERT_GT(GetObject(ext, sizeof elp, &elp), 0);
  EXPECT_EQ(GetObjectType(ext), OBJ_EXTPEN);
  EXPECT_EQ(elp.elpPenStyle, PS_GEOMETRIC | PS_ENDCAP_FLAT);
  EXPECT_EQ(elp.elpWidth, 5u);
  EXPECT_EQ(elp.elpBrushStyle, BS_HATCHED);
  EXPECT_EQ(elp.elpHatch, static_cast<ULONG_PTR>(HS_CROSS));
  DeleteObject(ext);

  HBITMAP pattern = CreateBitmap(8, 8, 1, 1, nullptr);
  HBRUSH brush = CreatePatternBrush(pattern);
  LOGBRUSH got;
  GetObject(brush, sizeof got, &got);
  EXPECT_EQ(got.lbStyle, BS_PATTERN);
  EXPECT_EQ(got.lbHatch, reinterpret_cast<ULONG_PTR>(pattern));
  DeleteObject(brush);

  BITMAP bm;
  ASSERT_EQ(GetObject(pattern, sizeof bm, &bm), static_cast<int>(sizeof bm));
  EXPECT_EQ(bm.bmWidthBytes, 2);  // device rows are padded to 16 bits
  EXPECT_EQ(bm.bmBits, nullptr);
  DeleteObject(pattern);

  LOGFONTA lf;
  EXPECT_EQ(GetObject(GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf), 60);
  EXPECT_STREQ(lf.lfFaceName, "MS Sans Serif");

  WORD count = 0;
  EXPECT_EQ(GetObject(GetStockObject(DEFAULT_PALETTE), sizeof count, &count), 2);
  EXPECT_EQ(count, 20);

  HRGN rgn = CreateRectRgn(0, 0, 1, 1);
  EXPECT_EQ(GetObject(rgn, sizeof lb, &lb), 0);
  DeleteObject(rgn);
}

TEST(GdiObject, DibSectionReportsItsBitsAndHeader) {
  struct {
    BITMAPINFOHEADER h;
    RGBQUAD colors[256];  // a full table: the header asks for every colour
  } info{};
  info.h = {sizeof(BITMAPINFOHEADER), 5, 3, 1, 8, BI_RGB, 0, 2800, 2800, 0, 0};
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS,
                                 &bits, nullptr, 0);
  ASSERT_NE(dib, nullptr);
  ASSERT_NE(bits, nullptr);
  DIBSECTION ds;
  ASSERT_EQ(GetObject(dib, sizeof ds, &ds), static_cast<int>(sizeof ds));
  EXPECT_EQ(ds.dsBm.bmBits, bits);
  EXPECT_EQ(ds.dsBm.bmWidthBytes, 8);  // DIB rows are padded to 32 bits
  EXPECT_EQ(ds.dsBmih.biHeight, 3);
  EXPECT_EQ(ds.dsBmih.biBitCount, 8);
  EXPECT_EQ(ds.dsBmih.biClrUsed, 256u);
  // The first row in memory of a bottom-up section is the bottom row.
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, dib);
  static_cast<uint8_t*>(bits)[0] = 1;  // colour 1 of a zero table is black
  SetPixel(dc, 0, 0, RGB(0, 0, 0));
  EXPECT_EQ(static_cast<uint8_t*>(bits)[16], 0);
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(dib);
}

TEST(GdiObject, BadDibHeadersAreRefused) {
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), 5, 3, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = reinterpret_cast<void*>(1);
  BITMAPINFO bad = info;
  bad.bmiHeader.biBitCount = 7;
  EXPECT_EQ(CreateDIBSection(nullptr, &bad, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
  EXPECT_EQ(bits, nullptr);
  bad = info;
  bad.bmiHeader.biSize = 12;
  EXPECT_EQ(CreateDIBSection(nullptr, &bad, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
  bad = info;
  bad.bmiHeader.biWidth = 0;
  EXPECT_EQ(CreateDIBSection(nullptr, &bad, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
  bad = info;
  bad.bmiHeader.biWidth = 100000;
  bad.bmiHeader.biHeight = 100000;  // 40 GB
  EXPECT_EQ(CreateDIBSection(nullptr, &bad, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
  EXPECT_EQ(CreateBitmap(-1, 4, 1, 1, nullptr), nullptr);
  EXPECT_EQ(CreateBitmap(4, 4, 2, 1, nullptr), nullptr);
}

TEST(GdiObject, CompatibleBitmapsFollowTheBitmapInTheDc) {
  HDC mem = CreateCompatibleDC(nullptr);
  HBITMAP fromMem = CreateCompatibleBitmap(mem, 4, 4);
  BITMAP bm;
  GetObject(fromMem, sizeof bm, &bm);
  EXPECT_EQ(bm.bmBitsPixel, 1);  // a new memory DC holds a monochrome bitmap
  HDC screen = GetDC(nullptr);
  HBITMAP fromScreen = CreateCompatibleBitmap(screen, 4, 4);
  GetObject(fromScreen, sizeof bm, &bm);
  EXPECT_EQ(bm.bmBitsPixel, 32);
  HGDIOBJ old = SelectObject(mem, fromScreen);
  HBITMAP colour = CreateCompatibleBitmap(mem, 4, 4);
  GetObject(colour, sizeof bm, &bm);
  EXPECT_EQ(bm.bmBitsPixel, 32);
  // A size of 0 gives the 1 x 1 monochrome bitmap.
  HBITMAP none = CreateCompatibleBitmap(screen, 0, 5);
  GetObject(none, sizeof bm, &bm);
  EXPECT_EQ(bm.bmWidth, 1);
  SelectObject(mem, old);
  DeleteObject(fromMem);
  DeleteObject(fromScreen);
  DeleteObject(colour);
  ReleaseDC(nullptr, screen);
  DeleteDC(mem);
}

TEST(GdiObject, BitmapBitsRoundTripInDeviceRows) {
  const uint8_t rows[] = {0x81, 0x00, 0x7E, 0x00};
  HBITMAP bmp = CreateBitmap(8, 2, 1, 1, rows);
  uint8_t out[4] = {};
  EXPECT_EQ(GetBitmapBits(bmp, sizeof out, out), 4);
  EXPECT_EQ(out[0], 0x81);
  EXPECT_EQ(out[2], 0x7E);
  const uint8_t next[] = {0x0F, 0x00, 0xF0, 0x00};
  EXPECT_EQ(SetBitmapBits(bmp, sizeof next, next), 4);
  GetBitmapBits(bmp, sizeof out, out);
  EXPECT_EQ(out[2], 0xF0);
  EXPECT_EQ(GetBitmapBits(bmp, 0, nullptr), 4);
  EXPECT_EQ(GetBitmapBits(bmp, 1, out), 1);
  DeleteObject(bmp);
}

TEST(GdiObject, BitmapsTakeInitialRowsOfOtherDepths) {
  // 24-bit rows (B G R), padded to 16 bits: 2 pixels = 6 bytes.
  const uint8_t rows24[] = {0x03, 0x02, 0x01, 0xFF, 0xFF, 0xFF};
  HBITMAP bmp = CreateBitmap(2, 1, 1, 24, rows24);
  ASSERT_NE(bmp, nullptr);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bmp);
  EXPECT_EQ(GetPixel(dc, 0, 0), RGB(1, 2, 3));
  EXPECT_EQ(GetPixel(dc, 1, 0), RGB(255, 255, 255));
  // What a bitmap copy does: a new bitmap from another's BITMAP record.
  BITMAP bm;
  GetObject(bmp, sizeof bm, &bm);
  uint8_t rows32[8];
  GetBitmapBits(bmp, sizeof rows32, rows32);
  bm.bmBits = rows32;
  HBITMAP copy = CreateBitmapIndirect(&bm);
  ASSERT_NE(copy, nullptr);
  SelectObject(dc, copy);
  EXPECT_EQ(GetPixel(dc, 0, 0), RGB(1, 2, 3));
  SelectObject(dc, old);
  DeleteObject(copy);
  DeleteObject(bmp);
  DeleteDC(dc);
  const uint8_t rows8[] = {1, 2};
  EXPECT_EQ(CreateBitmap(2, 1, 1, 8, rows8), nullptr);  // no table to read them by
  BITMAP shortRows{0, 4, 1, 2, 1, 32, rows32};
  EXPECT_EQ(CreateBitmapIndirect(&shortRows), nullptr);
}

TEST(GdiObject, PalettesGiveTheirEntries) {
  struct {
    WORD version, count;
    PALETTEENTRY entries[3];
  } lp{0x300, 3, {{1, 2, 3, 0}, {4, 5, 6, 0}, {7, 8, 9, 0}}};
  HPALETTE pal = CreatePalette(reinterpret_cast<LOGPALETTE*>(&lp));
  ASSERT_NE(pal, nullptr);
  EXPECT_EQ(GetPaletteEntries(pal, 0, 0, nullptr), 3u);
  PALETTEENTRY got[3] = {};
  EXPECT_EQ(GetPaletteEntries(pal, 1, 5, got), 2u);
  EXPECT_EQ(got[0].peRed, 4);
  EXPECT_EQ(got[1].peBlue, 9);
  HDC dc = CreateCompatibleDC(nullptr);
  HDC screen = GetDC(nullptr);
  HBITMAP bmp = CreateCompatibleBitmap(screen, 2, 1);
  ReleaseDC(nullptr, screen);
  HGDIOBJ oldBmp = SelectObject(dc, bmp);
  HPALETTE old = SelectPalette(dc, pal, FALSE_);
  EXPECT_EQ(old, GetStockObject(DEFAULT_PALETTE));
  EXPECT_EQ(RealizePalette(dc), 0u);
  SetPixel(dc, 0, 0, PALETTEINDEX(2));
  EXPECT_EQ(GetPixel(dc, 0, 0), RGB(7, 8, 9));
  SelectPalette(dc, old, FALSE_);
  EXPECT_TRUE(DeleteObject(pal));
  SelectObject(dc, oldBmp);
  DeleteObject(bmp);
  DeleteDC(dc);
  lp.version = 0x200;
  EXPECT_EQ(CreatePalette(reinterpret_cast<LOGPALETTE*>(&lp)), nullptr);
}

TEST(GdiObject, ScreenCapabilitiesAreThoseOfA96DpiTrueColourDisplay) {
  HDC screen = GetDC(nullptr);
  EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSX), 96);
  EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSY), 96);
  EXPECT_EQ(GetDeviceCaps(screen, BITSPIXEL), 32);
  EXPECT_EQ(GetDeviceCaps(screen, PLANES), 1);
  EXPECT_EQ(GetDeviceCaps(screen, NUMCOLORS), -1);
  EXPECT_EQ(GetDeviceCaps(screen, RASTERCAPS) & RC_PALETTE, 0);
  EXPECT_EQ(GetDeviceCaps(screen, TECHNOLOGY), DT_RASDISPLAY);
  EXPECT_EQ(GetDeviceCaps(screen, PHYSICALOFFSETX), 0);
  HDC mem = CreateCompatibleDC(screen);
  EXPECT_EQ(GetDeviceCaps(mem, BITSPIXEL), 32);  // the device's, not its bitmap's
  EXPECT_EQ(GetDeviceCaps(mem, HORZRES), GetDeviceCaps(screen, HORZRES));
  DeleteDC(mem);
  EXPECT_EQ(ReleaseDC(nullptr, screen), 1);
  EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSX), 0);  // released
}

TEST(GdiObject, PrinterDcIsAWhitePageWithPrinterCapabilities) {
  HDC ic = CreateICA("winspool", "Qv Printer", nullptr, nullptr);
  ASSERT_NE(ic, nullptr);
  EXPECT_EQ(GetDeviceCaps(ic, LOGPIXELSX), 300);
  EXPECT_EQ(GetDeviceCaps(ic, TECHNOLOGY), DT_RASPRINTER);
  int offsetX = GetDeviceCaps(ic, PHYSICALOFFSETX);
  EXPECT_EQ(GetDeviceCaps(ic, PHYSICALWIDTH),
            GetDeviceCaps(ic, HORZRES) + 2 * offsetX);
  EXPECT_FALSE(Rectangle(ic, 0, 0, 10, 10));  // an information DC draws nothing
  EXPECT_EQ(GetPixel(ic, 0, 0), CLR_INVALID);
  DeleteDC(ic);
  HDC page = CreateDCA(nullptr, "Qv Printer", nullptr, nullptr);
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(GetPixel(page, 5, 5), RGB(255, 255, 255));
  int w = GetDeviceCaps(page, HORZRES), h = GetDeviceCaps(page, VERTRES);
  EXPECT_EQ(GetPixel(page, w - 1, h - 1), RGB(255, 255, 255));
  EXPECT_EQ(GetPixel(page, w, 0), CLR_INVALID);
  PatBlt(page, 10, 10, 5, 5, BLACKNESS);
  EXPECT_EQ(GetPixel(page, 12, 12), RGB(0, 0, 0));
  DeleteDC(page);
  EXPECT_EQ(CreateDCA(nullptr, "No Such Printer", nullptr, nullptr), nullptr);
  HDC display = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
  EXPECT_EQ(GetDeviceCaps(display, LOGPIXELSX), 96);
  DeleteDC(display);
}

TEST(GdiObject, WindowDcDrawsIntoTheClientArea) {
  HWND wnd = CreateHeadlessWindow(20, 10);
  ASSERT_NE(wnd, nullptr);
  RECT client;
  ASSERT_TRUE(GetClientRect(wnd, &client));
  EXPECT_EQ(client.right, 20);
  EXPECT_EQ(client.bottom, 10);
  HDC dc = GetDC(wnd);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(GetPixel(dc, 0, 0), RGB(255, 255, 255));
  PatBlt(dc, 0, 0, 5, 5, BLACKNESS);
  EXPECT_EQ(ReleaseDC(wnd, dc), 1);
  // A second DC sees what the first drew.
  HDC again = GetDC(wnd);
  EXPECT_EQ(GetPixel(again, 4, 4), RGB(0, 0, 0));
  EXPECT_EQ(GetPixel(again, 5, 5), RGB(255, 255, 255));
  EXPECT_EQ(GetPixel(again, 20, 0), CLR_INVALID);
  EXPECT_EQ(ReleaseDC(nullptr, again), 0);  // not the screen's
  EXPECT_TRUE(DestroyWindow(wnd));
  // The window's pixels were the screen's: a DC of a destroyed window reads
  // and draws nothing.
  EXPECT_EQ(GetPixel(again, 4, 4), CLR_INVALID);
  EXPECT_FALSE(PatBlt(again, 0, 0, 5, 5, BLACKNESS));
  EXPECT_EQ(ReleaseDC(wnd, again), 1);
  EXPECT_FALSE(IsWindow(wnd));
  EXPECT_EQ(GetDC(wnd), nullptr);
  EXPECT_EQ(CreateHeadlessWindow(0, 10), nullptr);
}

TEST(GdiObject, InvalidArgumentsAreRefusedWithoutEffect) {
  HDC dc = CreateCompatibleDC(nullptr);
  EXPECT_EQ(SetROP2(dc, 0), 0);
  EXPECT_EQ(SetROP2(dc, 17), 0);
  EXPECT_EQ(GetROP2(dc), R2_COPYPEN);
  EXPECT_EQ(SetBkMode(dc, 3), 0);
  EXPECT_EQ(SetMapMode(dc, 2), 0);  // only MM_TEXT and MM_ANISOTROPIC
  EXPECT_EQ(SetStretchBltMode(dc, 0), 0);
  EXPECT_EQ(CreateHatchBrush(6, 0), nullptr);
  LOGBRUSH pattern{BS_PATTERN, 0, 0};
  EXPECT_EQ(CreateBrushIndirect(&pattern), nullptr);
  LOGBRUSH solid{BS_SOLID, 0, 0};
  EXPECT_EQ(ExtCreatePen(PS_COSMETIC | PS_SOLID, 3, &solid, 0, nullptr), nullptr);
  EXPECT_EQ(GetDeviceCaps(reinterpret_cast<HDC>(0x12345), LOGPIXELSX), 0);
  EXPECT_FALSE(DeleteDC(reinterpret_cast<HDC>(0x12345)));
  EXPECT_FALSE(DeleteObject(dc));  // DCs go with DeleteDC
  EXPECT_TRUE(DeleteDC(dc));
  EXPECT_FALSE(DeleteDC(dc));
}

TEST(GdiObject, AnisotropicMappingScalesByTheExtents) {
  HDC dc = CreateCompatibleDC(nullptr);
  EXPECT_TRUE(SetWindowExtEx(dc, 100, 100, nullptr));  // ignored in MM_TEXT
  SIZE ext;
  GetWindowExtEx(dc, &ext);
  EXPECT_EQ(ext.cx, 1);
  SetMapMode(dc, MM_ANISOTROPIC);
  SetWindowExtEx(dc, 100, 100, nullptr);
  SetViewportExtEx(dc, 50, 200, nullptr);
  POINT p{10, 10};
  LPtoDP(dc, &p, 1);
  EXPECT_EQ(p.x, 5);
  EXPECT_EQ(p.y, 20);
  DPtoLP(dc, &p, 1);
  EXPECT_EQ(p.x, 10);
  EXPECT_EQ(p.y, 10);
  EXPECT_FALSE(SetWindowExtEx(dc, 0, 10, nullptr));
  DeleteDC(dc);
}

}  // namespace
