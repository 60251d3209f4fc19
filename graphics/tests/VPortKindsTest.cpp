// Tests of the port kinds: zoomed drawing, offscreen drawing copied back
// whole, by rectangle and by region (once or kept), DIB and bitmap ports.
#include <gtest/gtest.h>

#include <cstring>

#include "graphics/GraphicsHooks.h"
#include "graphics/VBitmapPort.h"
#include "graphics/VDIBPort.h"
#include "graphics/VOffscreenPort.h"
#include "graphics/VRegion.h"
#include "graphics/VScaledPort.h"
#include "graphics/tests/GraphicsTestSupport.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kGreen = RGB(0, 255, 0);

struct TestFrame {
  VFrameArea area;
};

bool TestFrameArea(const VFrame* frame, VFrameArea* area) {
  *area = reinterpret_cast<const TestFrame*>(frame)->area;
  return true;
}

const VFrameAreaProc kTestFrameArea{&TestFrameArea};

const VFrame* AsFrame(const TestFrame& f) { return reinterpret_cast<const VFrame*>(&f); }

class Offscreen : public testing::Test {
 protected:
  void SetUp() override { VFrameAreaService::Install(&kTestFrameArea); }
  void TearDown() override { VFrameAreaService::Remove(&kTestFrameArea); }
};

void UseFont(VPort& port, const char* face, double size) {
  VStr<80> name;
  name.SetChars(face, 0, int32_t(std::strlen(face)), kCharSetAnsi);
  port.SetFontName(name);
  port.SetFontSize(size, false);
}

}  // namespace

TEST(VScaledPort, UnitZoomBehavesAsAPlainPort) {
  Canvas plain(20, 20), scaled(20, 20);
  {
    VPort port(plain.dc());
    port.SetFillPatternIndex(3);
    port.PaintRect(1, 2, 13, 11);
    port.DrawLine(0, 19, 19, 0);
  }
  {
    VScaledPort port(scaled.dc(), 1.0, 1.0);
    EXPECT_FALSE(port.IsZoomOn());
    EXPECT_TRUE(port.IsScaled());
    port.SetFillPatternIndex(3);
    port.PaintRect(1, 2, 13, 11);
    port.DrawLine(0, 19, 19, 0);
  }
  EXPECT_EQ(plain.Pixels(), scaled.Pixels());
}

TEST(VScaledPort, ZoomScalesBoxesOriginsAndPens) {
  Canvas canvas(60, 60);
  VScaledPort port(canvas.dc(), 2.0, 2.0);
  EXPECT_TRUE(port.IsZoomOn());
  port.PushOrigin(5, 5);
  EXPECT_EQ(port.GetOriginX(), 10);
  EXPECT_EQ(port.GetOriginY(), 10);
  port.SetFillColor(kRed);
  port.PaintRect(1, 1, 3, 3);  // device (12, 12) to (18, 18)
  EXPECT_EQ(canvas.CountAll(kRed), 36);
  EXPECT_EQ(canvas.Count(kRed, 12, 12, 6, 6), 36);
  int32_t x = 0, y = 0;
  port.GetOrigin(x, y);
  EXPECT_EQ(x, 5);
  port.PopOrigin();
  EXPECT_EQ(port.GetOriginX(), 0);
  EXPECT_EQ(port.GetOriginY(), 0);
  // Pen width 1 becomes 2 device pixels.
  port.DrawLine(0, 25, 20, 25);
  EXPECT_EQ(canvas.Count(kBlack, 10, 48, 1, 5), 2);
  double px = 0, py = 0;
  port.MoveTo(10, 20, true);
  port.GetPenPosition(px, py);
  EXPECT_EQ(px, 10);
  EXPECT_EQ(py, 20);
}

TEST(VScaledPort, ZoomedPortsFillTheGreysWithTheStockBrushes) {
  Canvas canvas(16, 16);
  VScaledPort port(canvas.dc(), 2.0, 2.0);
  port.SetFillColor(kRed);
  port.SetFillPatternIndex(3);
  port.PaintRect(0, 0, 4, 4);
  EXPECT_EQ(canvas.Count(RGB(128, 128, 128), 0, 0, 8, 8), 64);
  port.SetFillPatternIndex(2);
  port.PaintRect(4, 0, 4, 4);
  EXPECT_EQ(canvas.Count(RGB(192, 192, 192), 8, 0, 8, 8), 64);
}

TEST(VScaledPort, MetricsAreInPortUnitsOnAPrinterPage) {
  HDC printer = NewPrinterInfoDC(288);
  ASSERT_NE(printer, nullptr);
  HDC page = CreateDCA("winspool", "Test printer 288", nullptr, nullptr);
  ASSERT_NE(page, nullptr);
  {
    VScaledPort port(page, 3.0, 3.0);
    UseFont(port, "Arial", 12);
    const int32_t ascent = port.GetFontAscent();
    TEXTMETRICA tm{};
    ASSERT_TRUE(GetTextMetricsA(page, &tm));
    // 12 points at 288 dots per inch: a 48-pixel font on the page.
    LOGFONTA font{};
    GetObjectA(GetCurrentObject(page, OBJ_FONT), sizeof font, &font);
    EXPECT_EQ(font.lfHeight, -48);
    EXPECT_EQ(ascent, (tm.tmAscent + tm.tmExternalLeading) / 3);
    // Widths come back in screen units.
    SIZE extent{};
    GetTextExtentPoint32W(page, u"Wide", 4, &extent);
    EXPECT_FLOAT_EQ(port.MeasureText(u"Wide", 4, kTextUnicode), extent.cx / 3.0f);
  }
  DeleteDC(page);
  DeleteDC(printer);
}

TEST_F(Offscreen, DrawingGoesToTheBitmapUntilItIsCopiedBack) {
  Canvas screen(60, 40, kGreen);
  VOffscreenPort port(screen.dc());
  TestFrame frame{{10, 5, 30, 20, false, 0, 0}};
  port.BeginOffscreen(AsFrame(frame));
  ASSERT_TRUE(port.IsOffscreen());
  int32_t ox = 0, oy = 0;
  port.GetOffscreenOffset(ox, oy);
  EXPECT_EQ(ox, 10);
  EXPECT_EQ(oy, 5);
  port.SetFillColor(kRed);
  port.PaintRect(12, 7, 4, 3);  // window coordinates
  EXPECT_EQ(screen.CountAll(kRed), 0);
  port.CopyToScreen(false);
  EXPECT_FALSE(port.IsOffscreen());
  EXPECT_EQ(screen.Count(kRed, 12, 7, 4, 3), 12);
  EXPECT_EQ(screen.CountAll(kRed), 12);
  // Only the frame's box was copied.
  EXPECT_EQ(screen.CountAll(kGreen), 60 * 40 - 600);
  EXPECT_EQ(screen.Count(kGreen, 0, 0, 60, 5), 300);
  EXPECT_EQ(port.GetOriginX(), 0);
  HRGN probe = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetClipRgn(screen.dc(), probe), 0);
  DeleteObject(probe);
}

TEST_F(Offscreen, CopiesWithKeepGoOnOffscreenAndTheLastEndsIt) {
  Canvas screen(50, 30, kGreen);
  VOffscreenPort port(screen.dc());
  port.PushOrigin(2, 1);
  port.ClipToRect(VRect(-2, -1, 48, 29), false);
  HRGN before = CreateRectRgn(0, 0, 0, 0);
  ASSERT_EQ(GetClipRgn(screen.dc(), before), 1);
  TestFrame frame{{0, 0, 40, 20, false, 0, 0}};
  port.BeginOffscreen(AsFrame(frame));
  port.SetFillColor(kRed);
  port.PaintRect(0, 0, 5, 5);
  port.CopyRectToScreen(VRect(0, 0, 5, 5), true);
  EXPECT_TRUE(port.IsOffscreen());
  EXPECT_EQ(screen.Count(kRed, 2, 1, 5, 5), 25);
  port.SetFillColor(kBlue);
  port.PaintRect(10, 0, 5, 5);
  port.CopyRectToScreen(VRect(10, 0, 5, 5), true);
  EXPECT_EQ(screen.Count(kBlue, 12, 1, 5, 5), 25);
  port.SetFillColor(kBlack);
  port.PaintRect(20, 0, 5, 5);
  port.CopyToScreen(false);
  EXPECT_EQ(screen.Count(kRed, 2, 1, 5, 5), 25);
  EXPECT_EQ(screen.Count(kBlue, 12, 1, 5, 5), 25);
  EXPECT_EQ(screen.Count(kBlack, 22, 1, 5, 5), 25);
  EXPECT_FALSE(port.IsOffscreen());
  EXPECT_EQ(port.GetOriginX(), 2);
  EXPECT_EQ(port.GetOriginY(), 1);
  HRGN after = CreateRectRgn(0, 0, 0, 0);
  ASSERT_EQ(GetClipRgn(screen.dc(), after), 1);
  EXPECT_TRUE(EqualRgn(before, after));
  DeleteObject(before);
  DeleteObject(after);
  // Drawing goes to the screen again.
  port.SetFillColor(kRed);
  port.PaintRect(40, 20, 2, 2);
  EXPECT_EQ(screen.Count(kRed, 42, 21, 2, 2), 4);
}

TEST_F(Offscreen, ARegionCopiesOnlyWhatLiesInsideItAndTheSavedClip) {
  Canvas screen(40, 40, kGreen);
  VOffscreenPort port(screen.dc());
  port.ClipToRect(VRect(0, 0, 25, 40), false);
  TestFrame frame{{5, 5, 30, 30, false, 0, 0}};
  port.BeginOffscreen(AsFrame(frame));
  port.SetFillColor(kRed);
  port.PaintRect(0, 0, 40, 40);  // the whole bitmap
  VRegion region(20, 10, 30, 5);  // reaches out of the frame and the clip
  port.CopyRegionToScreen(region, false);
  EXPECT_EQ(screen.CountAll(kRed), 25);
  EXPECT_EQ(screen.Count(kRed, 20, 10, 5, 5), 25);
}

TEST_F(Offscreen, AScrolledFrameCopiesFromTheRectangleLessTheScroll) {
  Canvas screen(60, 60, kGreen);
  VOffscreenPort port(screen.dc());
  TestFrame frame{{10, 10, 40, 40, true, 4, 6}};
  port.BeginOffscreen(AsFrame(frame));
  port.SetFillColor(kRed);
  // Content at (20, 22) appears, scrolled, at (16, 16).
  port.PaintRect(16, 16, 6, 6);
  port.CopyRectToScreen(VRect(20, 22, 6, 6), false);
  EXPECT_EQ(screen.Count(kRed, 16, 16, 6, 6), 36);
  EXPECT_EQ(screen.CountAll(kRed), 36);
}

TEST_F(Offscreen, EndingWithoutACopyLeavesTheScreenAlone) {
  Canvas screen(30, 30, kGreen);
  VOffscreenPort port(screen.dc());
  TestFrame frame{{0, 0, 30, 30, false, 0, 0}};
  port.BeginOffscreen(AsFrame(frame));
  const uint32_t depth = port.GetCurrentDC() != screen.dc();
  EXPECT_EQ(depth, 1u);
  HDC memory = port.GetCurrentDC();
  port.BeginOffscreen(AsFrame(frame));  // a second begin does nothing
  EXPECT_EQ(port.GetCurrentDC(), memory);
  port.SetFillColor(kRed);
  port.PaintRect(0, 0, 30, 30);
  port.EndOffscreen();
  EXPECT_FALSE(port.IsOffscreen());
  EXPECT_EQ(screen.CountAll(kGreen), 900);
  port.CopyToScreen(false);  // nothing to copy
  EXPECT_EQ(screen.CountAll(kGreen), 900);
  // ResetState and destruction end offscreen drawing as well.
  port.BeginOffscreen(AsFrame(frame));
  port.ResetState();
  EXPECT_FALSE(port.IsOffscreen());
  port.BeginOffscreen(AsFrame(frame));
}

TEST_F(Offscreen, ABitmapThatCannotBeMadeLeavesThePortOnItsDC) {
  Canvas screen(20, 20);
  VOffscreenPort port(screen.dc());
  TestFrame frame{{0, 0, 1 << 30, 1 << 30, false, 0, 0}};
  port.BeginOffscreen(AsFrame(frame));
  EXPECT_FALSE(port.IsOffscreen());
  port.SetFillColor(kRed);
  port.PaintRect(0, 0, 3, 3);
  EXPECT_EQ(screen.CountAll(kRed), 9);
  port.PopClip();
  port.PopOrigin();
  EXPECT_EQ(port.GetOriginX(), 0);
}

TEST_F(Offscreen, TextDrawnOffscreenMatchesTextDrawnDirectly) {
  Canvas direct(120, 30), buffered(120, 30);
  TestFrame frame{{0, 0, 120, 30, false, 0, 0}};
  for (Canvas* canvas : {&direct, &buffered}) {
    VOffscreenPort port(canvas->dc());
    UseFont(port, "Arial", 12);
    port.SetTextColor(kRed);
    port.SetFillPatternIndex(3);
    port.SetFillColor(kBlue);
    if (canvas == &buffered) port.BeginOffscreen(AsFrame(frame));
    // The pattern covers everything, the new bitmap's black too.
    port.PaintRect(0, 0, 120, 30);
    port.SetPenMode(2);
    port.MoveTo(4, 20, true);
    port.DrawTextRun(u"Twice the same", 14, kTextUnicode);
    port.DrawLine(0, 26, 100, 26);
    if (canvas == &buffered) port.CopyToScreen(false);
  }
  EXPECT_EQ(direct.Pixels(), buffered.Pixels());
  EXPECT_GT(direct.CountAll(kRed), 0);
}

TEST(VDIBPort, AnswersTheAskedSizeWhileItsBitmapIsAtLeast8By1) {
  VDIBPort port(5, 0, 1);
  EXPECT_EQ(port.GetWidth(), 5);
  EXPECT_EQ(port.GetHeight(), 0);
  ASSERT_NE(port.GetCurrentDC(), nullptr);
  DIBSECTION section{};
  ASSERT_EQ(GetObjectA(port.GetSection(), sizeof section, &section), int(sizeof section));
  EXPECT_EQ(section.dsBm.bmWidth, 8);
  EXPECT_EQ(section.dsBm.bmHeight, 1);
  EXPECT_EQ(section.dsBm.bmBitsPixel, 1);
  // Index 0 of a one-bit DIB is white, 1 black.
  EXPECT_EQ(GetPixel(port.GetCurrentDC(), 0, 0), kWhite);
  static_cast<uint8_t*>(port.GetBits())[0] = 0x80;
  EXPECT_EQ(GetPixel(port.GetCurrentDC(), 0, 0), kBlack);
  EXPECT_EQ(GetPixel(port.GetCurrentDC(), 1, 0), kWhite);
}

TEST(VDIBPort, DrawsIntoTopDownPixelsOfTheDepthAsked) {
  VDIBPort port(16, 8, 32);
  ASSERT_NE(port.GetCurrentDC(), nullptr);
  port.SetFillColor(kRed);
  port.PaintRect(2, 1, 3, 2);
  const auto* pixels = static_cast<const uint32_t*>(port.GetBits());
  EXPECT_EQ(pixels[1 * 16 + 2] & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(pixels[2 * 16 + 4] & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(pixels[0] & 0xFFFFFF, 0u);
  EXPECT_EQ(pixels[3 * 16 + 2] & 0xFFFFFF, 0u);

  VDIBPort device(4, 4, 0);
  EXPECT_EQ(device.GetDepth(), 32);
  VDIBPort indexed(4, 4, 8);
  ASSERT_NE(indexed.GetCurrentDC(), nullptr);
  indexed.SetFillColor(kWhite);
  indexed.PaintRect(0, 0, 4, 4);
  EXPECT_EQ(GetPixel(indexed.GetCurrentDC(), 3, 3), kWhite);
}

TEST(VDIBPort, ADepthWithoutABitmapLeavesAPortThatDrawsNothing) {
  VDIBPort port(10, 10, 3);
  EXPECT_EQ(port.GetCurrentDC(), nullptr);
  EXPECT_EQ(port.GetBits(), nullptr);
  port.PaintRect(0, 0, 5, 5);
  EXPECT_EQ(port.GetWidth(), 10);
}

TEST(VBitmapPort, HoldsAOnePixelBitmapOfTheScreensFormatUntilGivenOne) {
  HBITMAP mine = nullptr;
  {
    VBitmapPort port;
    HDC dc = port.GetCurrentDC();
    ASSERT_NE(dc, nullptr);
    BITMAP placeholder{};
    ASSERT_GT(GetObjectA(GetCurrentObject(dc, OBJ_BITMAP), sizeof placeholder, &placeholder), 0);
    EXPECT_EQ(placeholder.bmWidth, 1);
    EXPECT_EQ(placeholder.bmHeight, 1);
    EXPECT_EQ(placeholder.bmBitsPixel, 32);
    mine = CreateCompatibleBitmap(dc, 10, 10);
    HGDIOBJ out = SelectObject(dc, mine);
    DeleteObject(out);
    port.SetFillColor(kRed);
    port.PaintRect(0, 0, 10, 10);
    EXPECT_EQ(GetPixel(dc, 9, 9), kRed);
  }
  // Whatever bitmap the port held last goes with it.
  EXPECT_EQ(GetObjectType(mine), 0u);
}

TEST_F(Offscreen, TheDrawingModeIsSetUpAgainOnTheBitmap) {
  // Both start black: the screen here, a new bitmap there.
  Canvas direct(120, 30, kBlack), buffered(120, 30, kBlack);
  TestFrame frame{{0, 0, 120, 30, false, 0, 0}};
  for (Canvas* canvas : {&direct, &buffered}) {
    VOffscreenPort port(canvas->dc());
    UseFont(port, "Arial", 12);
    port.SetTextColor(kRed);
    port.SetBackColor(kBlue);
    // The base DC is set up for text before the bitmap takes over.
    port.PrepareText();
    if (canvas == &buffered) port.BeginOffscreen(AsFrame(frame));
    port.MoveTo(4, 20, true);
    port.DrawTextRun(u"Transparent red", 15, kTextUnicode);
    if (canvas == &buffered) port.CopyToScreen(false);
  }
  EXPECT_GT(direct.CountAll(kRed), 0);
  EXPECT_EQ(direct.CountAll(kBlue), 0);
  EXPECT_EQ(direct.Pixels(), buffered.Pixels());
}
