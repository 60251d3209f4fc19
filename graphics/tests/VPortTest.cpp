// Tests of the port's state and its drawing without text: exact pixels of
// fills, patterns, lines, transfer modes, origins, clips and the binding to
// a device context.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>

#include "framework/system/environment/VSystemServices.h"
#include "graphics/GraphicsHooks.h"
#include "graphics/VLookPainter.h"
#include "graphics/VPort.h"
#include "graphics/VRegion.h"
#include "graphics/tests/GraphicsTestSupport.h"
#include "platform/gdi/GdiExtra.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kGreen = RGB(0, 255, 0);

// Runs a test body as if on another system family, then puts the code back.
class SystemCode {
 public:
  explicit SystemCode(int32_t code) : fSaved(gOSCode) { gOSCode = code; }
  ~SystemCode() { gOSCode = fSaved; }

 private:
  int32_t fSaved;
};

bool PatternBit(const uint8_t pattern[8], int32_t x, int32_t y) {
  return ((pattern[y & 7] >> (7 - (x & 7))) & 1) != 0;
}

}  // namespace

TEST(VPort, NewPortUsesLookKind2AndSetLookMapsKinds) {
  VPort port;
  EXPECT_EQ(port.GetLook(), 2);
  EXPECT_EQ(port.SetLook(0), 2);
  EXPECT_EQ(port.GetLook(), 3);
  port.SetLook(1);
  EXPECT_EQ(port.GetLook(), 2);
  port.SetLook(4);
  EXPECT_EQ(port.GetLook(), 3);
  EXPECT_EQ(port.SetLook(-2), 3);
  EXPECT_EQ(port.GetLook(), 3);
  port.SetLook(5);
  EXPECT_EQ(port.GetLook(), 2);
  port.SetLook(3);
  EXPECT_EQ(port.GetLook(), 3);
  port.SetLook(-1);
  EXPECT_EQ(port.GetLook(), 2);
  EXPECT_EQ(port.GetLookPainter(), LookPainterForKind(2));
}

TEST(VPort, APortWithoutDCDrawsNothingAndKeepsUnsetColours) {
  VPort port;
  EXPECT_EQ(port.GetCurrentDC(), nullptr);
  EXPECT_EQ(port.GetPenColor(), 0xFFFFFFFFu);
  port.PaintRect(0, 0, 10, 10);
  port.DrawLine(0, 0, 5, 5);
  port.PushClip(true);
  port.PopClip();
  EXPECT_EQ(port.MeasureText(u"abc", 3, kTextUnicode), 0.0f);
}

TEST(VPort, AttachAppliesTheLookDefaults) {
  Canvas canvas(8, 8);
  VPort port(canvas.dc());
  EXPECT_EQ(port.GetBackColor(), kWhite);
  EXPECT_EQ(port.GetFillColor(), kBlack);
  EXPECT_EQ(port.GetPenColor(), kBlack);
  EXPECT_EQ(port.GetTextColor(), kBlack);
  EXPECT_EQ(port.GetPenWidth(), 1);
  EXPECT_EQ(port.GetPenMode(), 0);
  EXPECT_EQ(port.GetTextMode(), 1);
  uint8_t pattern[8];
  port.GetFillPattern(pattern);
  for (uint8_t b : pattern) EXPECT_EQ(b, 0xFF);
  VStr<80> name;
  port.GetFontName(name);
  EXPECT_EQ(name.GetLength(), 13);
  EXPECT_EQ(name.GetCharAt(1), u'M');
  EXPECT_EQ(port.GetFontSize(), 8.0);
  EXPECT_EQ(GetTextAlign(canvas.dc()), TA_BASELINE | TA_UPDATECP);
}

TEST(VPort, DetachPutsTheDCBackAsItWas) {
  Canvas canvas(8, 8);
  HDC dc = canvas.dc();
  HGDIOBJ pen = GetCurrentObject(dc, OBJ_PEN);
  HGDIOBJ brush = GetCurrentObject(dc, OBJ_BRUSH);
  HGDIOBJ font = GetCurrentObject(dc, OBJ_FONT);
  SetTextAlign(dc, TA_RIGHT);
  ::SetTextColor(dc, kGreen);
  SetBkColor(dc, kBlue);
  {
    VPort port(dc);
    port.SetFillColor(kRed);
    port.PaintRect(0, 0, 4, 4);
    port.DrawLine(0, 6, 6, 6);
    port.MeasureText(u"x", 1, kTextUnicode);
  }
  EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), pen);
  EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), brush);
  EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), font);
  EXPECT_EQ(GetTextAlign(dc), TA_RIGHT);
  EXPECT_EQ(::GetTextColor(dc), kGreen);
  EXPECT_EQ(GetBkColor(dc), kBlue);

  // Two ports on one DC, as two areas of one form share their window's, let
  // go in the order they were made or the other: no font of theirs is left.
  for (const bool madeOrder : {true, false}) {
    const int fonts = GdiExtraCountObjects(OBJ_FONT);
    std::unique_ptr<VPort> ports[2];
    for (auto& port : ports)
      (port = std::make_unique<VPort>(dc))->MeasureText(u"x", 1, kTextUnicode);
    ports[madeOrder ? 0 : 1].reset();
    ports[madeOrder ? 1 : 0].reset();
    EXPECT_EQ(GdiExtraCountObjects(OBJ_FONT), fonts) << madeOrder;
    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), font) << madeOrder;
  }
}

TEST(VPort, PaintRectFillsExactlyTheBox) {
  Canvas canvas(20, 20);
  VPort port(canvas.dc());
  port.SetFillColor(kRed);
  port.PaintRect(3, 4, 10, 6);
  EXPECT_EQ(canvas.Count(kRed, 3, 4, 10, 6), 60);
  EXPECT_EQ(canvas.CountAll(kRed), 60);
  EXPECT_EQ(canvas.Pixel(13, 4), kWhite);
  EXPECT_EQ(canvas.Pixel(3, 10), kWhite);
}

TEST(VPort, EmptyAndNegativeBoxesPaintNothing) {
  Canvas canvas(20, 20);
  VPort port(canvas.dc());
  port.SetFillColor(kRed);
  port.PaintRect(10, 10, 0, 5);
  port.PaintRect(10, 10, 5, 0);
  port.PaintRect(10, 10, -5, 5);
  port.PaintRect(10, 10, 5, -5);
  port.PaintAndFrameRect(10, 10, -4, -4);
  port.PaintAndFrameRect(10, 10, 0, 4);
  port.PaintVRectChecked(VRect::FromEdges(10, 10, 5, 15));
  EXPECT_EQ(canvas.CountAll(kWhite), 400);
}

TEST(VPort, PaintAndFrameRectOutlinesTheSamePixelsItFills) {
  Canvas canvas(20, 20);
  VPort port(canvas.dc());
  port.SetFillColor(kRed);
  port.SetPenColor(kBlue);
  port.PaintAndFrameRect(0, 0, 10, 10);
  // The frame covers pixels 0 to 9, the fill what lies inside.
  EXPECT_EQ(canvas.Count(kBlue, 0, 0, 10, 10), 36);
  EXPECT_EQ(canvas.Count(kRed, 1, 1, 8, 8), 64);
  EXPECT_EQ(canvas.Pixel(10, 0), kWhite);
  EXPECT_EQ(canvas.Pixel(0, 10), kWhite);
}

TEST(VPort, NullPenFillOnAScaledPortAddsThePixelBeforeTruncation) {
  Canvas canvas(40, 40);
  VPort port(canvas.dc());
  port.PushScale(2.0, 2.0);
  port.SetFillColor(kRed);
  // Device box (2, 2) to (8, 8): Rectangle(2, 2, 9, 9) with the null pen.
  port.PaintRect(1, 1, 3, 3);
  EXPECT_EQ(canvas.Count(kRed, 2, 2, 6, 6), 36);
  EXPECT_EQ(canvas.CountAll(kRed), 36);
}

TEST(VPort, HorizontalPatternBecomesTheHatchBrushInTheFillColour) {
  Canvas canvas(16, 16);
  VPort port(canvas.dc());
  port.SetFillColor(kRed);
  port.SetBackColor(kGreen);
  port.SetFillPatternIndex(7);  // 00 00 00 FF 00 00 00 FF
  port.PaintRect(0, 0, 16, 16);
  for (int32_t y = 0; y < 16; ++y) {
    const COLORREF expected = (y & 7) == 3 ? kRed : kGreen;
    EXPECT_EQ(canvas.Count(expected, 0, y, 16, 1), 16) << "row " << y;
  }
}

TEST(VPort, OtherPatternsTakeTheFillColourOnSetBitsAlignedToTheDevice) {
  Canvas canvas(24, 24);
  VPort port(canvas.dc());
  static const uint8_t kPattern[8] = {0xC0, 0x60, 0x30, 0x18, 0x0C, 0x06, 0x03, 0x81};
  port.SetFillColor(kBlue);
  port.SetBackColor(kRed);
  port.SetFillPattern(kPattern);
  port.PaintRect(3, 5, 17, 13);
  int32_t wrong = 0;
  for (int32_t y = 0; y < 24; ++y) {
    for (int32_t x = 0; x < 24; ++x) {
      COLORREF expected = kWhite;
      if (x >= 3 && x < 20 && y >= 5 && y < 18) expected = PatternBit(kPattern, x, y) ? kBlue : kRed;
      wrong += canvas.Pixel(x, y) != expected;
    }
  }
  EXPECT_EQ(wrong, 0);
}

TEST(VPort, GreyIsAPatternBrushUnzoomedAndTheStockGreyZoomed) {
  Canvas canvas(16, 16);
  {
    VPort port(canvas.dc());
    port.SetFillColor(kBlack);
    port.SetFillPatternIndex(3);  // 55 AA ...
    port.PaintRect(0, 0, 8, 8);
  }
  uint8_t grey[8];
  PatternFromIndex(3, grey);
  for (int32_t y = 0; y < 8; ++y) {
    for (int32_t x = 0; x < 8; ++x) {
      EXPECT_EQ(canvas.Pixel(x, y), PatternBit(grey, x, y) ? kBlack : kWhite) << x << "," << y;
    }
  }
}

TEST(VPort, PatternFromIndexGivesTheStandardTableAndIgnoresBadIndexes) {
  uint8_t p[8];
  PatternFromIndex(3, p);
  const uint8_t grey[8] = {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA};
  EXPECT_EQ(std::memcmp(p, grey, 8), 0);
  PatternFromIndex(0, p);
  for (uint8_t b : p) EXPECT_EQ(b, 0x00);
  PatternFromIndex(1, p);
  for (uint8_t b : p) EXPECT_EQ(b, 0x00);
  PatternFromIndex(5, p);
  for (uint8_t b : p) EXPECT_EQ(b, 0xFF);
  PatternFromIndex(6, p);
  for (uint8_t b : p) EXPECT_EQ(b, 0xFF);
  uint8_t keep[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  PatternFromIndex(13, keep);
  PatternFromIndex(-1, keep);
  EXPECT_EQ(keep[0], 1);
  EXPECT_EQ(keep[7], 8);
}

TEST(VPort, EmptyFillPatternPaintsTheStockWhite) {
  Canvas canvas(8, 8, kBlue);
  VPort port(canvas.dc());
  port.SetBackColor(kRed);
  port.SetFillPatternIndex(0);
  port.PaintRect(0, 0, 4, 4);
  EXPECT_EQ(canvas.Count(kWhite, 0, 0, 4, 4), 16);
}

TEST(VPort, BackColourSetAfterAFillReachesTheNextPatternFill) {
  Canvas canvas(16, 8);
  VPort port(canvas.dc());
  port.SetFillColor(kBlack);
  port.SetFillPatternIndex(3);
  port.SetBackColor(kRed);
  port.PaintRect(0, 0, 8, 8);
  port.SetBackColor(kBlue);
  port.PaintRect(8, 0, 8, 8);
  EXPECT_EQ(canvas.Count(kRed, 0, 0, 8, 8), 32);
  EXPECT_EQ(canvas.Count(kBlue, 8, 0, 8, 8), 32);
}

TEST(VPort, SettingColoursMarksTheirGroupsForRebuilding) {
  Canvas canvas(8, 8);
  VPort port(canvas.dc());
  port.PaintRect(0, 0, 1, 1);
  port.DrawLine(0, 0, 1, 0);
  port.PrepareErase();
  port.ReleaseErase();
  EXPECT_FALSE(port.IsPenDirty());
  EXPECT_FALSE(port.IsFillDirty());
  EXPECT_FALSE(port.IsEraseDirty());
  port.SetFillColor(kRed);
  EXPECT_TRUE(port.IsFillDirty());
  EXPECT_FALSE(port.IsPenDirty());
  EXPECT_FALSE(port.IsEraseDirty());
  port.PaintRect(0, 0, 1, 1);
  port.SetBackColorIndex(2);
  EXPECT_TRUE(port.IsFillDirty());
  EXPECT_TRUE(port.IsPenDirty());
  EXPECT_TRUE(port.IsEraseDirty());
}

TEST(VPort, ColoursByIndexComeFromTheLookPainter) {
  Canvas canvas(8, 8);
  VPort port(canvas.dc());
  port.SetFillColorIndex(11);
  EXPECT_EQ(port.GetFillColor(), kRed);
  port.SetPenColorIndex(13);
  EXPECT_EQ(port.GetPenColor(), kBlue);
  port.SetTextColorIndex(2);
  EXPECT_EQ(port.GetTextColor(), RGB(204, 204, 204));
  // RGB colours are masked to 24 bits on a true-colour device.
  port.SetFillColor(0x12345678u);
  EXPECT_EQ(port.GetFillColor(), 0x345678u);
}

TEST(VPort, NotXorDrawingTwiceRestoresEveryByte) {
  Canvas canvas(32, 32);
  canvas.FillNoise();
  const std::vector<uint32_t> before = canvas.Pixels();
  VPort port(canvas.dc());
  port.SetPenMode(2);
  port.SetPenColor(RGB(12, 200, 77));
  port.SetFillColor(RGB(90, 14, 250));
  port.SetFillPatternIndex(9);
  for (int pass = 0; pass < 2; ++pass) {
    port.PaintAndFrameRect(2, 3, 20, 17);
    port.DrawLine(0, 31, 31, 0);
    port.PaintRect(10, 10, 15, 15);
  }
  EXPECT_EQ(canvas.Pixels(), before);
  // And once changes something.
  port.PaintRect(10, 10, 15, 15);
  EXPECT_NE(canvas.Pixels(), before);
}

TEST(VPort, MaskModeAndsThePenIntoTheDevice) {
  Canvas canvas(8, 8, RGB(0xF0, 0x0F, 0xFF));
  VPort port(canvas.dc());
  port.SetPenMode(1);
  port.SetFillColor(RGB(0x3C, 0xFF, 0x00));
  port.PaintRect(0, 0, 4, 4);
  EXPECT_EQ(canvas.Pixel(0, 0), RGB(0x30, 0x0F, 0x00));
  EXPECT_EQ(canvas.Pixel(5, 5), RGB(0xF0, 0x0F, 0xFF));
}

TEST(VPort, ThinLineLeavesOutItsLastPixel) {
  Canvas canvas(20, 20);
  VPort port(canvas.dc());
  port.DrawLine(2, 5, 12, 5);
  EXPECT_EQ(canvas.Count(kBlack, 0, 5, 20, 1), 10);
  EXPECT_EQ(canvas.Pixel(2, 5), kBlack);
  EXPECT_EQ(canvas.Pixel(11, 5), kBlack);
  EXPECT_EQ(canvas.Pixel(12, 5), kWhite);
  EXPECT_EQ(canvas.CountAll(kBlack), 10);
}

TEST(VPort, WidePenLineReachesItsEndPoint) {
  Canvas canvas(30, 30);
  VPort port(canvas.dc());
  port.SetPenWidth(2);
  port.DrawLine(5, 10, 15, 10);
  RECT ink = canvas.InkBox(kWhite);
  EXPECT_EQ(ink.left, 5);
  EXPECT_EQ(ink.right, 16);
}

TEST(VPort, EmptyPenPatternDrawsNothingAndFullPatternASolidLine) {
  Canvas canvas(20, 20);
  VPort port(canvas.dc());
  port.SetPenPatternIndex(0);
  port.DrawLine(0, 3, 19, 3);
  EXPECT_EQ(canvas.CountAll(kBlack), 0);
  port.SetPenPatternIndex(6);
  port.DrawLine(0, 3, 19, 3);
  EXPECT_EQ(canvas.CountAll(kBlack), 19);
}

TEST(VPort, PatternPenOfThe9xFamilyIsDrawnPointByPoint) {
  SystemCode code(3);
  static const uint8_t kDots[8] = {0x55, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55};
  Canvas canvas(20, 4, kGreen);
  VPort port(canvas.dc());
  port.SetPenPattern(kDots);
  port.SetPenColor(kRed);
  port.SetBackColor(kBlue);
  port.DrawLine(0, 1, 10, 1);
  EXPECT_TRUE(port.IsPatternPen());
  // That family reaches the end point; bit (x & 7) from the low bit.
  for (int32_t x = 0; x <= 10; ++x) {
    EXPECT_EQ(canvas.Pixel(x, 1), (x & 1) == 0 ? kRed : kBlue) << x;
  }
  EXPECT_EQ(canvas.Pixel(11, 1), kGreen);
  // In not-xor mode only the set bits are drawn, in the pen colour.
  port.SetPenMode(2);
  port.DrawLine(0, 2, 10, 2);
  for (int32_t x = 0; x <= 10; ++x) {
    EXPECT_EQ(canvas.Pixel(x, 2), (x & 1) == 0 ? kRed : kGreen) << x;
  }
}

TEST(VPort, PolyLineFollowsItsStepsUntilTheZeroPair) {
  Canvas canvas(20, 20);
  VPort port(canvas.dc());
  const int32_t steps[] = {5, 0, 0, 5, 0, 0, 7, 7};
  port.DrawPolyLineBy(2, 2, steps);
  EXPECT_EQ(canvas.Count(kBlack, 2, 2, 5, 1), 5);
  EXPECT_EQ(canvas.Count(kBlack, 7, 2, 1, 5), 5);
  EXPECT_EQ(canvas.CountAll(kBlack), 10);
  port.DrawLineBy(0, 15, 4, 0);
  EXPECT_EQ(canvas.Count(kBlack, 0, 15, 20, 1), 4);
}

TEST(VPort, OriginMovesDrawingAndPopsBackExactly) {
  Canvas canvas(20, 20);
  VPort port(canvas.dc());
  port.PushOrigin(5, 6);
  port.SetFillColor(kRed);
  port.PaintRect(0, 0, 2, 2);
  EXPECT_EQ(canvas.Count(kRed, 5, 6, 2, 2), 4);
  int32_t x = 0, y = 0;
  port.GetOrigin(x, y);
  EXPECT_EQ(x, 5);
  EXPECT_EQ(y, 6);
  port.PopOrigin();
  EXPECT_EQ(port.GetOriginX(), 0);
  EXPECT_EQ(port.GetOriginY(), 0);
  // Popping an empty stack takes 0 off.
  port.PopOrigin();
  EXPECT_EQ(port.GetOriginX(), 0);
}

TEST(VPort, ScaleStackMultipliesAndAnUnmatchedPopIsIgnored) {
  Canvas canvas(8, 8);
  VPort port(canvas.dc());
  port.PopScale();
  EXPECT_EQ(port.GetScaleX(), 1.0);
  EXPECT_EQ(port.GetScaleY(), 1.0);
  EXPECT_FALSE(port.IsDeviceScaleOn());
  port.PushOrigin(3, 4);
  port.PushScale(2.0, 3.0);
  EXPECT_TRUE(port.IsDeviceScaleOn());
  EXPECT_EQ(port.GetOriginX(), 6);
  EXPECT_EQ(port.GetOriginY(), 12);
  port.PushScale(0.5, 1.0 / 3.0);
  EXPECT_FALSE(port.IsDeviceScaleOn());
  port.PopScale();
  EXPECT_EQ(port.GetScaleX(), 2.0);
  EXPECT_DOUBLE_EQ(port.GetScaleY(), 3.0);
  port.PopScale();
  port.PopScale();
  EXPECT_EQ(port.GetScaleX(), 1.0);
  EXPECT_FALSE(std::isnan(port.GetScaleY()));
  EXPECT_DOUBLE_EQ(port.GetScaleY(), 1.0);
}

TEST(VPort, FlagStackSavesTheSpareFlag) {
  VPort port;
  port.PushFlag(5);
  EXPECT_EQ(port.GetSpareFlag(), 5);
  port.PushFlag(9);
  port.PopFlag();
  EXPECT_EQ(port.GetSpareFlag(), 5);
  port.PopFlag();
  EXPECT_EQ(port.GetSpareFlag(), 0);
  port.PopFlag();
  EXPECT_EQ(port.GetSpareFlag(), 0);
}

TEST(VPort, PushClipThenPopClipLeavesTheClipAsItWas) {
  Canvas canvas(20, 20);
  VPort port(canvas.dc());
  HRGN probe = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetClipRgn(canvas.dc(), probe), 0);
  port.PushClip(false);
  port.ClipToRect(VRect(2, 2, 5, 5), false);
  EXPECT_EQ(GetClipRgn(canvas.dc(), probe), 1);
  port.PopClip();
  EXPECT_EQ(GetClipRgn(canvas.dc(), probe), 0);

  port.ClipToRect(VRect(1, 1, 10, 10), false);
  port.PushClip(true);
  // Excluding the saved clip's box leaves nothing to draw on.
  port.SetFillColor(kRed);
  port.PaintRect(0, 0, 20, 20);
  EXPECT_EQ(canvas.CountAll(kRed), 0);
  port.PopClip();
  port.PaintRect(0, 0, 20, 20);
  EXPECT_EQ(canvas.CountAll(kRed), 100);
  EXPECT_EQ(canvas.Count(kRed, 1, 1, 10, 10), 100);
  // A pop with nothing saved removes the clip.
  port.PopClip();
  EXPECT_EQ(GetClipRgn(canvas.dc(), probe), 0);
  DeleteObject(probe);
}

TEST(VPort, ClipsIntersectAndRegionsClipAsTheyStand) {
  Canvas canvas(20, 20);
  VPort port(canvas.dc());
  port.PushOrigin(2, 0);
  port.ClipToRect(VRect(0, 0, 10, 10), false);   // device (2, 0, 10, 10)
  port.ClipToRect(VRect(5, 5, 10, 10), true);    // device (7, 5, 10, 10)
  port.SetFillColor(kRed);
  port.PaintRect(-2, 0, 20, 20);
  EXPECT_EQ(canvas.CountAll(kRed), 25);
  EXPECT_EQ(canvas.Count(kRed, 7, 5, 5, 5), 25);

  VRegion region(0, 0, 3, 3);
  port.ClipToRegion(region, false);  // device coordinates, the origin aside
  port.SetFillColor(kBlue);
  port.PaintRect(-2, 0, 20, 20);
  EXPECT_EQ(canvas.CountAll(kBlue), 9);
  EXPECT_EQ(canvas.Count(kBlue, 0, 0, 3, 3), 9);
}

TEST(VPort, ClipRegionQueries) {
  Canvas canvas(20, 20);
  VPort port(canvas.dc());
  VRegion clip(7, 7, 1, 1);
  port.GetClipRegion(clip);
  EXPECT_EQ(clip.GetLeft(), -32768);
  EXPECT_EQ(clip.GetTop(), -32768);
  EXPECT_EQ(clip.GetWidth(), 65535);
  EXPECT_EQ(clip.GetHeight(), 65535);
  EXPECT_TRUE(port.RegionMeetsClip(VRegion(100, 100, 5, 5)));

  port.SetClipRegion(VRegion(0, 0, 5, 5));
  port.GetClipRegion(clip);
  EXPECT_EQ(clip.GetLeft(), 0);
  EXPECT_EQ(clip.GetWidth(), 5);
  EXPECT_TRUE(port.RegionMeetsClip(VRegion(4, 4, 5, 5)));
  EXPECT_FALSE(port.RegionMeetsClip(VRegion(5, 0, 5, 5)));
  EXPECT_TRUE(port.IsVRectVisible(VRect(3, 3, 4, 4)));
  EXPECT_FALSE(port.IsVRectVisible(VRect(6, 6, 4, 4)));
}

namespace {

struct TestFrame {
  VFrameArea area;
};

bool TestFrameArea(const VFrame* frame, VFrameArea* area) {
  *area = reinterpret_cast<const TestFrame*>(frame)->area;
  return true;
}

const VFrameAreaProc kTestFrameArea{&TestFrameArea};

const VFrame* AsFrame(const TestFrame& f) { return reinterpret_cast<const VFrame*>(&f); }

}  // namespace

TEST(VPort, ClipToFramePlacesTheFrameInWindowCoordinates) {
  VFrameAreaService::Install(&kTestFrameArea);
  Canvas canvas(40, 40);
  VPort port(canvas.dc());
  port.PushOrigin(100, 100);  // frames do not go through the origin
  TestFrame frame{{10, 12, 8, 6, true, 3, 4}};
  port.ClipToFrame(AsFrame(frame), nullptr, false);
  port.SetFillColor(kRed);
  port.PaintRect(-100, -100, 40, 40);
  EXPECT_EQ(canvas.CountAll(kRed), 48);
  EXPECT_EQ(canvas.Count(kRed, 10, 12, 8, 6), 48);
  EXPECT_TRUE(port.IsFrameVisible(AsFrame(frame), nullptr));

  // A shape is placed at the frame's origin, less the scroll position.
  VRect inside(5, 6, 2, 2);
  port.ClipToFrame(AsFrame(frame), &inside, false);
  port.SetFillColor(kBlue);
  port.PaintRect(-100, -100, 40, 40);
  EXPECT_EQ(canvas.CountAll(kBlue), 4);
  EXPECT_EQ(canvas.Count(kBlue, 12, 14, 2, 2), 4);
  VFrameAreaService::Remove(&kTestFrameArea);
}

TEST(VPort, PaintVRectCheckedPaintsTheCheckerAndRestoresTheState) {
  Canvas canvas(16, 16);
  VPort port(canvas.dc());
  port.SetFillColor(kRed);
  port.SetBackColor(kBlue);
  port.SetFillPatternIndex(7);
  port.PaintVRectChecked(VRect(0, 0, 8, 8));
  const COLORREF grey = RGB(204, 204, 204);
  for (int32_t y = 0; y < 8; ++y) {
    for (int32_t x = 0; x < 8; ++x) {
      const bool fore = (y < 4) == (x < 4);
      EXPECT_EQ(canvas.Pixel(x, y), fore ? grey : kWhite) << x << "," << y;
    }
  }
  EXPECT_EQ(port.GetFillColor(), kRed);
  EXPECT_EQ(port.GetBackColor(), kBlue);
  uint8_t pattern[8];
  port.GetFillPattern(pattern);
  EXPECT_EQ(pattern[3], 0xFF);
  EXPECT_EQ(pattern[0], 0x00);
}

TEST(VPort, ThemeElementFallsBackOnAPlainBox) {
  Canvas canvas(20, 20, kGreen);
  VPort port(canvas.dc());
  port.DrawThemeElement(9, 0, 2, 2, 10, 8, nullptr, 0);
  EXPECT_EQ(canvas.Count(kBlack, 2, 2, 10, 8), 2 * 10 + 2 * 6);
  EXPECT_EQ(canvas.Count(kWhite, 3, 3, 8, 6), 48);
}

TEST(VPort, ResetStateEmptiesTheStacksButKeepsColours) {
  Canvas canvas(20, 20);
  VPort port(canvas.dc());
  port.SetFillColor(kRed);
  port.PushOrigin(4, 4);
  port.PushScale(2.0, 2.0);
  port.PushClip(false);
  port.ClipToRect(VRect(0, 0, 1, 1), false);
  port.SetTextAngle(30.0f);
  port.ResetState();
  EXPECT_EQ(port.GetOriginX(), 0);
  EXPECT_FALSE(port.IsDeviceScaleOn());
  EXPECT_EQ(port.GetTextAngle(), 0.0f);
  EXPECT_EQ(port.GetFillColor(), kRed);
  EXPECT_TRUE(port.IsFillDirty());
  port.PopOrigin();
  EXPECT_EQ(port.GetOriginX(), 0);
}

TEST(VPort, PenPositionAdvancesWithTheCarriedFraction) {
  Canvas canvas(8, 8);
  VPort port(canvas.dc());
  port.MoveTo(0.0, 0.0, true);
  const double expected[] = {2, 5, 7};
  for (double e : expected) {
    port.AdvancePen(2.3f);
    double x = 0, y = 0;
    port.GetPenPosition(x, y);
    EXPECT_EQ(x, e);
  }
  port.PushPenPosition();
  port.MoveTo(50.0, 60.0, true);
  port.PopPenPosition();
  double x = 0, y = 0;
  port.GetPenPosition(x, y);
  EXPECT_EQ(x, 7.0);
  EXPECT_NEAR(port.GetTextCarry(), -0.1f, 1e-5);
  port.Move(3, 4);
  port.GetPenPosition(x, y);
  EXPECT_EQ(x, 10.0);
  EXPECT_EQ(y, 4.0);
}

TEST(VPort, AccessorsKeepTheirValues) {
  VPort port;
  port.SetAccessorFlag(1, 7);
  EXPECT_EQ(port.GetAccessorFlag(1), 7);
  EXPECT_EQ(port.GetAccessorFlag(0), 0);
  EXPECT_EQ(port.GetAccessorFlag(2), 0);
  port.SetAccessorReals(1.5, 2.5);
  EXPECT_EQ(port.GetAccessorReal(1), 2.5);
  port.ClearAccessorReals();
  EXPECT_EQ(port.GetAccessorReal(0), 0.0);
}
