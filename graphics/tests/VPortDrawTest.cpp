// Exact pixels of the drawing primitives: rectangles, ovals and round
// rectangles in the four verbs, inversion, regions, two-segment lines,
// pixels and flood fill, the copies between ports and into frames, and
// picture shapes in their six placements.
#include <gtest/gtest.h>

#include <cstring>

#include "framework/core/strings/VUniString.h"
#include "graphics/GraphicsGlobals.h"
#include "graphics/GraphicsHooks.h"
#include "graphics/VMetafilePort.h"
#include "graphics/VPort.h"
#include "graphics/VRegion.h"
#include "graphics/VScaledPort.h"
#include "graphics/VShape.h"
#include "graphics/pictures/VEmfPictureData.h"
#include "graphics/pictures/VPictureShape.h"
#include "graphics/tests/GraphicsTestSupport.h"
#include "platform/gdi/WinGdiMetafile.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

// The colours of the box's pixels, row by row, as 1 for `ink` and 0 else.
std::string Mask(const Canvas& c, COLORREF ink, int32_t x, int32_t y, int32_t w, int32_t h) {
  std::string out;
  for (int32_t j = y; j < y + h; ++j) {
    for (int32_t i = x; i < x + w; ++i) out += c.Pixel(i, j) == ink ? '1' : '0';
    out += '\n';
  }
  return out;
}

// An enhanced metafile of w x h pixels: red with a white square of 2 x 2 in
// its top-left corner.
VEmfPictureData* RedPicture(int32_t w, int32_t h) {
  VMetafilePort recorder(nullptr, 0, 0, w, h);
  recorder.SetFillColor(kRed);
  recorder.PaintRect(0, 0, w, h);
  recorder.SetFillColor(kWhite);
  recorder.PaintRect(0, 0, 2, 2);
  return new VEmfPictureData(recorder.EndRecording(), true);
}

}  // namespace

TEST(VPortDraw, FrameAndEraseCoverTheSameBox) {
  Canvas canvas(16, 16);
  VPort port(canvas.dc());
  port.SetPenColor(kBlack);
  port.SetBackColor(kBlue);
  port.EraseRect(0, 0, 10, 10);
  EXPECT_EQ(canvas.CountAll(kBlue), 100);
  EXPECT_EQ(canvas.Count(kBlue, 0, 0, 10, 10), 100);
  port.FrameRect(0, 0, 10, 10);
  EXPECT_EQ(canvas.CountAll(kBlack), 36);
  EXPECT_EQ(canvas.Pixel(9, 9), kBlack);
  EXPECT_EQ(canvas.Pixel(10, 10), kWhite);
}

TEST(VPortDraw, ScaledFillsMapEachEdge) {
  for (int verb = 0; verb < 2; ++verb) {
    Canvas canvas(16, 16);
    VPort port(canvas.dc());
    port.PushScale(2.0, 2.0);
    port.SetBackColor(kBlue);
    port.SetFillColor(kBlue);
    if (verb == 0) {
      port.EraseRect(1, 1, 3, 3);
    } else {
      port.PaintVRect(VRect(1, 1, 3, 3));
    }
    // Rectangle(2, 2, 9, 9) with the null pen fills the device box 2 to 7.
    EXPECT_EQ(canvas.CountAll(kBlue), 36) << verb;
    EXPECT_EQ(canvas.Count(kBlue, 2, 2, 6, 6), 36) << verb;
  }
}

TEST(VPortDraw, InvertIgnoresZoom) {
  Canvas canvas(16, 16);
  VScaledPort port(canvas.dc(), 2.0, 2.0);
  port.PushOrigin(1, 1);
  port.InvertRect(1, 1, 3, 2);
  // Origin (2, 2) in device pixels after the zoomed push, box unscaled.
  int32_t ox = port.GetOriginX();
  int32_t oy = port.GetOriginY();
  EXPECT_EQ(canvas.CountAll(kBlack), 6);
  EXPECT_EQ(canvas.Count(kBlack, ox + 1, oy + 1, 3, 2), 6);
  port.InvertVRect(VRect(1, 1, 3, 2));
  EXPECT_EQ(canvas.CountAll(kWhite), 256);
}

TEST(VPortDraw, OvalsAndRoundRectsStayInTheirBoxInEveryVerb) {
  for (int verb = 0; verb < 4; ++verb) {
    Canvas canvas(24, 24);
    VPort port(canvas.dc());
    port.SetPenColor(kRed);
    port.SetFillColor(kRed);
    port.SetBackColor(kRed);
    const VRect box(4, 4, 12, 10);
    const VRoundRectShape round(4, 4, 12, 10, 4, 4);
    switch (verb) {
      case 0: port.FrameOval(box); port.FrameRoundRect(round); break;
      case 1: port.PaintOval(box); port.PaintRoundRect(round); break;
      case 2: port.EraseOval(box); port.EraseRoundRect(round); break;
      case 3: port.PaintAndFrameOval(box); port.PaintAndFrameRoundRect(round); break;
    }
    const RECT ink = canvas.InkBox(kWhite);
    EXPECT_GE(ink.left, 4) << verb;
    EXPECT_GE(ink.top, 4) << verb;
    EXPECT_LE(ink.right, 16) << verb;
    EXPECT_LE(ink.bottom, 14) << verb;
    // Round corners: the box's corner pixel stays clear.
    EXPECT_EQ(canvas.Pixel(4, 4), kWhite) << verb;
    EXPECT_GT(canvas.CountAll(kRed), verb == 0 ? 20 : 80) << verb;
  }
}

TEST(VPortDraw, RegionsAreMovedByTheOriginAndNotScaled) {
  Canvas canvas(24, 24);
  VPort port(canvas.dc());
  port.PushOrigin(2, 3);
  VRegion region(1, 1, 4, 3);
  port.SetFillColor(kRed);
  port.PaintRegion(region);
  EXPECT_EQ(Mask(canvas, kRed, 3, 4, 4, 3), "1111\n1111\n1111\n");
  EXPECT_EQ(canvas.CountAll(kRed), 12);
  port.InvertRegion(region);
  EXPECT_EQ(canvas.Count(RGB(0, 255, 255), 3, 4, 4, 3), 12);
  port.SetBackColor(kBlue);
  port.EraseRegion(region);
  EXPECT_EQ(canvas.CountAll(kBlue), 12);
  port.SetPenColor(kBlack);
  port.FrameRegion(VRegion(10, 10, 4, 4));
  EXPECT_EQ(canvas.CountAll(kBlack), 12);
  EXPECT_EQ(canvas.Pixel(13, 13), kBlack);
  EXPECT_EQ(canvas.Pixel(14, 14), kWhite);
  EXPECT_EQ(canvas.Pixel(11, 11), kWhite);
}

TEST(VPortDraw, ScaledRegionsFrameNothingAndPaintAtTheMappedCorner) {
  Canvas canvas(24, 24);
  VPort port(canvas.dc());
  port.PushScale(2.0, 2.0);
  VRegion region(3, 2, 2, 2);
  port.SetPenColor(kBlack);
  port.FrameRegion(region);
  EXPECT_EQ(canvas.CountAll(kBlack), 0);
  port.SetFillColor(kRed);
  port.PaintRegion(region);
  EXPECT_EQ(canvas.CountAll(kRed), 4);
  EXPECT_EQ(canvas.Count(kRed, 6, 4, 2, 2), 4);
}

TEST(VPortDraw, TwoSegmentsAndPixels) {
  Canvas canvas(16, 16);
  VPort port(canvas.dc());
  port.SetPenColor(kRed);
  port.DrawTwoSegments(1, 1, 4, 0, 0, 3);
  EXPECT_EQ(Mask(canvas, kRed, 1, 1, 5, 4), "11111\n00001\n00001\n00000\n");
  port.DrawTwoSegmentsTo(8, 8, 8, 12, 12, 12);
  EXPECT_EQ(canvas.Count(kRed, 8, 8, 1, 4), 4);
  EXPECT_EQ(canvas.Count(kRed, 9, 12, 3, 1), 3);
  port.PushOrigin(1, 1);
  port.SetPixel(0, 0, kBlue);
  EXPECT_EQ(canvas.Pixel(1, 1), kBlue);
  EXPECT_EQ(port.GetPixel(0, 0), kBlue);
}

TEST(VPortDraw, FloodFillFillsTheSeedAreaAndKeepsTheFillColour) {
  Canvas canvas(12, 12);
  VPort port(canvas.dc());
  port.SetPenColor(kBlack);
  port.FrameRect(2, 2, 6, 6);
  port.SetFillColor(kBlue);
  port.FloodFill(4, 4, kRed);
  EXPECT_EQ(canvas.CountAll(kRed), 16);
  EXPECT_EQ(canvas.Count(kRed, 3, 3, 4, 4), 16);
  EXPECT_EQ(port.GetFillColor(), kBlue);
}

TEST(VPortDraw, CopyModesSelectTheirRasterOperations) {
  struct Case {
    int16_t mode;
    DWORD rop;
  };
  const Case cases[] = {{0, SRCCOPY},     {1, SRCPAINT},  {2, SRCINVERT}, {3, SRCERASE},
                        {4, NOTSRCCOPY},  {5, MERGEPAINT}, {6, SRCCOPY},  {7, NOTSRCERASE},
                        {8, SRCCOPY},     {9, SRCAND},    {10, SRCCOPY},  {-1, SRCCOPY},
                        {0x55, SRCCOPY}};
  for (const Case& c : cases) EXPECT_EQ(VPort::CopyModeRop(c.mode), c.rop) << c.mode;

  // Source red over destination blue: SRCAND gives black, SRCPAINT magenta.
  const struct {
    int16_t mode;
    COLORREF result;
  } pixels[] = {{0, kRed}, {1, RGB(255, 0, 255)}, {9, kBlack}, {4, RGB(0, 255, 255)}};
  for (const auto& p : pixels) {
    Canvas from(8, 8, kRed);
    Canvas to(8, 8, kBlue);
    VPort source(from.dc());
    VPort target(to.dc());
    target.PushOrigin(1, 1);
    source.CopyBits(VRect(0, 0, 2, 2), target, VRect(1, 1, 2, 2), p.mode);
    EXPECT_EQ(to.Count(p.result, 2, 2, 2, 2), 4) << p.mode;
    EXPECT_EQ(to.CountAll(kBlue), 60) << p.mode;
  }
}

TEST(VPortDraw, CopyBitsStretchesWhenTheSizesDiffer) {
  Canvas from(8, 8, kRed);
  Canvas to(16, 16);
  VPort source(from.dc());
  VPort target(to.dc());
  source.CopyBits(VRect(0, 0, 2, 2), target, VRect(0, 0, 6, 4), 0);
  EXPECT_EQ(to.CountAll(kRed), 24);
}

namespace {

struct FrameWindow {
  HDC dc;
  VRect visible;
  int begun = 0;
  int ended = 0;
};
FrameWindow* gFrameWindow = nullptr;

bool TestVisible(const VFrame*, VRegion* region) {
  region->SetRect(gFrameWindow->visible);
  return true;
}
HDC TestBegin(const VFrame*) {
  ++gFrameWindow->begun;
  return gFrameWindow->dc;
}
void TestEnd(const VFrame*) { ++gFrameWindow->ended; }
bool TestArea(const VFrame*, VFrameArea* area) {
  *area = VFrameArea{4, 4, 20, 20, true, 1, 2};
  return true;
}
const VFrameWindowProc kFrameWindow{&TestVisible, &TestBegin, &TestEnd};
const VFrameAreaProc kFrameArea{&TestArea};

}  // namespace

TEST(VPortDraw, CopyToFramePlacesInTheFrameAndClipsToItsVisibleRegion) {
  Canvas from(8, 8, kRed);
  Canvas window(32, 32);
  VPort source(from.dc());
  FrameWindow frame{window.dc(), VRect(0, 0, 32, 6)};
  gFrameWindow = &frame;
  VFrameWindowService::Install(&kFrameWindow);
  VFrameAreaService::Install(&kFrameArea);
  const auto* anyFrame = reinterpret_cast<const VFrame*>(&frame);
  // Frame at (4, 4) scrolled by (1, 2): target (2, 2) lands at (5, 4).
  source.CopyToFrame(VRect(0, 0, 4, 4), anyFrame, VRect(2, 2, 4, 4), 0);
  EXPECT_EQ(window.CountAll(kRed), 8);
  EXPECT_EQ(window.Count(kRed, 5, 4, 4, 2), 8);
  EXPECT_EQ(frame.begun, 1);
  EXPECT_EQ(frame.ended, 1);
  // An empty visible region copies nothing and makes no port current.
  frame.visible = VRect(0, 0, 0, 0);
  source.CopyToFrame(VRect(0, 0, 4, 4), anyFrame, VRect(10, 10, 4, 4), 0);
  EXPECT_EQ(window.CountAll(kRed), 8);
  EXPECT_EQ(frame.begun, 1);
  VFrameAreaService::Remove(&kFrameArea);
  VFrameWindowService::Remove(&kFrameWindow);
  gFrameWindow = nullptr;
}

TEST(VPortDraw, TransparentCopyLeavesWhiteOutWithOrWithoutTheSystemRoutine) {
  for (int withRoutine = 0; withRoutine < 2; ++withRoutine) {
    const VTransparentBltProc saved = gTransparentBlt;
    if (withRoutine == 0) gTransparentBlt = nullptr;
    Canvas from(4, 4, kRed);
    from.SetPixelValue(0, 0, kWhite);
    Canvas to(8, 8, kBlue);
    VPort port(to.dc());
    EXPECT_EQ(port.TransparentCopy(to.dc(), 2, 2, 4, 4, from.dc(), 0, 0), 1);
    EXPECT_EQ(to.Pixel(2, 2), kBlue) << withRoutine;
    EXPECT_EQ(to.Count(kRed, 2, 2, 4, 4), 15) << withRoutine;
    EXPECT_EQ(to.CountAll(kBlue), 49) << withRoutine;
    gTransparentBlt = saved;
  }
}

TEST(VPortDraw, PictureShapesInTheSixPlacements) {
  struct Case {
    int16_t placement;
    VRect box;
    RECT red;  // the picture's rectangle on the canvas
    int32_t redCount;  // at most; a scaled white corner may grow by a pixel
  };
  // A 10 x 8 picture (2 x 2 white corner) in boxes of the canvas.
  const Case cases[] = {
      {1, VRect(5, 5, 30, 30), {5, 5, 15, 13}, 76},
      {2, VRect(0, 0, 30, 20), {10, 6, 20, 14}, 76},
      {5, VRect(0, 0, 20, 16), {0, 0, 20, 16}, 320 - 16},
      {4, VRect(0, 0, 20, 30), {0, 0, 20, 16}, 320 - 16},
      {6, VRect(0, 0, 20, 30), {0, 7, 20, 23}, 320 - 16},
      {6, VRect(0, 0, 40, 16), {10, 0, 30, 16}, 320 - 16},
  };
  for (const Case& c : cases) {
    Canvas canvas(48, 48);
    VPort port(canvas.dc());
    VPictureShape shape(RedPicture(10, 8));
    ASSERT_EQ(shape.GetWidth(), 10);
    ASSERT_EQ(shape.GetHeight(), 8);
    shape.Assign(c.box);
    shape.SetPlacement(c.placement);
    port.DrawPictureShape(shape);
    const RECT ink = canvas.InkBox(kWhite);
    EXPECT_EQ(ink.left, c.red.left) << c.placement;
    EXPECT_EQ(ink.top, c.red.top) << c.placement;
    EXPECT_EQ(ink.right, c.red.right) << c.placement;
    EXPECT_EQ(ink.bottom, c.red.bottom) << c.placement;
    EXPECT_LE(canvas.CountAll(kRed), c.redCount) << c.placement;
    EXPECT_GE(canvas.CountAll(kRed), c.redCount - 9) << c.placement;
    EXPECT_EQ(canvas.CountAll(kRed) + canvas.Count(kWhite, c.red.left, c.red.top,
                                                   c.red.right - c.red.left,
                                                   c.red.bottom - c.red.top),
              (c.red.right - c.red.left) * (c.red.bottom - c.red.top))
        << c.placement;
  }
}

TEST(VPortDraw, TiledAndClippedPicturesStayInTheBox) {
  Canvas canvas(48, 48);
  VPort port(canvas.dc());
  VPictureShape shape(RedPicture(10, 8));
  shape.Assign(VRect(3, 3, 25, 20));
  shape.SetPlacement(3);
  port.DrawPictureShape(shape);
  // Tiles of 10 x 8 from (3, 3), cut at the box: 3 x 3 white corners.
  EXPECT_EQ(canvas.InkBox(kWhite).right, 28);
  EXPECT_EQ(canvas.InkBox(kWhite).bottom, 23);
  EXPECT_EQ(canvas.CountAll(kRed), 25 * 20 - 9 * 4);
  // Placement 1 of a picture larger than the box is clipped to it.
  Canvas small(48, 48);
  VPort smallPort(small.dc());
  shape.Assign(VRect(0, 0, 6, 5));
  shape.SetPlacement(1);
  smallPort.DrawPictureShape(shape);
  EXPECT_EQ(small.CountAll(kRed), 30 - 4);
  // Placement 5 never clips.
  shape.SetPlacement(5);
  Canvas stretched(48, 48);
  VPort stretchedPort(stretched.dc());
  stretchedPort.DrawPictureShape(shape);
  EXPECT_EQ(stretched.InkBox(kWhite).right, 6);
}

TEST(VPortDraw, TransparentPicturesLeaveWhiteOut) {
  Canvas canvas(24, 24, kBlue);
  VPort port(canvas.dc());
  VPictureShape shape(RedPicture(10, 8));
  shape.SetTransferMode(8);
  port.DrawPictureShape(shape);
  EXPECT_EQ(canvas.Pixel(0, 0), kBlue);
  EXPECT_EQ(canvas.CountAll(kRed), 76);
  EXPECT_EQ(canvas.CountAll(kWhite), 0);
}

TEST(VPortDraw, EmptyPicturesAndUnknownPlacementsDrawNothing) {
  for (int16_t placement : {1, 2, 3, 4, 5, 6, 0, 7}) {
    Canvas canvas(24, 24);
    VPort port(canvas.dc());
    VPictureShape empty(new VEmfPictureData);
    empty.Assign(VRect(0, 0, 20, 20));
    empty.SetPlacement(placement);
    port.DrawPictureShape(empty);
    VPictureShape none(nullptr);
    port.DrawPictureShape(none);
    VPictureShape full(RedPicture(10, 8));
    full.SetPlacement(placement);
    full.Assign(VRect(0, 0, 20, 20));
    if (placement == 0 || placement == 7) port.DrawPictureShape(full);
    EXPECT_EQ(canvas.CountAll(kWhite), 24 * 24) << placement;
  }
}

TEST(VPortDraw, TextBlocksMeasureTheirLines) {
  auto text = [](const char* chars) {
    VStr<80> s;
    s.SetChars(chars, 0, int32_t(std::strlen(chars)), kCharSetAnsi);
    return s;
  };
  Canvas canvas(16, 16);
  VPort port(canvas.dc());
  int32_t w = -1;
  int32_t h = -1;
  port.MeasureTextBlock(text(""), w, h);
  EXPECT_EQ(w, 0);
  EXPECT_EQ(h, 0);
  int32_t oneW;
  int32_t oneH;
  port.MeasureTextBlock(text("Wide line"), oneW, oneH);
  EXPECT_GT(oneW, 20);
  EXPECT_GT(oneH, 5);
  port.MeasureTextBlock(text("Wide line\r\nab"), w, h);
  EXPECT_EQ(w, oneW);
  EXPECT_EQ(h, 2 * oneH);
  // Nothing is drawn by measuring.
  EXPECT_EQ(canvas.CountAll(kWhite), 256);
}
