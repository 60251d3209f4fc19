// The Windows look: system metrics, colours and fonts, and its elements by
// pixel on a 32-bit canvas, images included.
#include <gtest/gtest.h>

#include <vector>

#include "controls/looks/VWinLookPainter.h"
#include "controls/tests/LookTestSupport.h"
#include "graphics/VIconShape.h"
#include "platform/gdi/WinGdi.h"
#include "platform/win32/WinSysColors.h"

namespace {

constexpr COLORREF kFace = RGB(212, 208, 200);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kShadow = RGB(128, 128, 128);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kHighlight = RGB(10, 36, 106);
constexpr COLORREF kGround = kLookGround;

struct Probe {
  int32_t x, y;
  COLORREF color;
};

class WinLook : public testing::Test {
 protected:
  // Clears the canvas and draws one element in (x, y, w, h).
  void Draw(int32_t kind, int32_t state, int32_t x, int32_t y, int32_t w, int32_t h) {
    canvas_.Clear();
    EXPECT_TRUE(look_.DrawElement(canvas_.port(), kind, state, x, y, w, h, nullptr, 0));
  }
  COLORREF At(int32_t x, int32_t y) const { return canvas_.At(x, y); }
  LookCanvas canvas_{40, 40};
  VWinLookPainter look_;
};

TEST_F(WinLook, MetricsAreTheSystemScrollBarSizes) {
  const std::pair<int32_t, int32_t> cases[] = {{0, 1},  {1, 16}, {2, 16}, {3, 16}, {4, 0},
                                               {5, 16}, {6, 16}, {7, 0},  {-1, 0}};
  for (const auto& [id, want] : cases) EXPECT_EQ(look_.GetMetric(id), want) << id;
}

TEST_F(WinLook, ColoursAreFixedThenSystemRoles) {
  const std::pair<int32_t, COLORREF> cases[] = {
      {0, kWhite},      {5, kShadow},     {10, kBlack},       {15, RGB(255, 15, 255)},
      {16, RGB(0, 255, 255)},             {17, kFace},        {18, kFace},
      {19, kFace},      {20, kWhite},     {21, kShadow},      {22, RGB(64, 64, 64)},
      {23, GetSysColor(COLOR_SCROLLBAR)}, {24, kWhite},       {25, kBlack},
      {26, kBlack},     {27, kWhite},     {28, kWhite},       {29, kShadow},
      {30, kHighlight}, {31, kBlack},     {32, kWhite},       {33, kFace},
      {34, kHighlight}, {35, kBlack},     {36, RGB(255, 255, 225)},
      {37, 0xFFFFFFFF}, {58, 0xFFFFFFFF}, {-1, 0xFFFFFFFF},
  };
  for (const auto& [index, want] : cases) EXPECT_EQ(look_.GetColor(index), want) << index;
}

TEST_F(WinLook, FontsAreTheSystemFontsThenTwoFixedOnes) {
  HDC screen = CreateCompatibleDC(nullptr);
  const struct {
    int32_t id;
    HDC dc;
    bool known;
    const char16_t* face;
    int16_t size;
  } cases[] = {
      {0, nullptr, true, u"MS Sans Serif", 8},   {1, screen, true, u"MS Sans Serif", 8},
      {2, nullptr, true, u"MS Sans Serif", 8},   {3, nullptr, true, u"MS Sans Serif", 8},
      {4, nullptr, true, u"MS Sans Serif", 8},   {5, screen, true, u"MS Sans Serif", 8},
      {6, nullptr, true, u"Times New Roman", 10}, {7, nullptr, true, u"Arial", 10},
      {8, nullptr, false, nullptr, 0},            {-1, nullptr, false, nullptr, 0},
  };
  for (const auto& c : cases) {
    VStr<255> name = LookText(u"untouched");
    int16_t size = -1;
    uint8_t bold = 9, italic = 9;
    EXPECT_EQ(look_.GetFont(c.dc, c.id, name, size, bold, italic), c.known) << c.id;
    if (!c.known) {
      EXPECT_EQ(size, -1) << c.id;
      EXPECT_EQ(name.Compare(LookText(u"untouched"), true), 0) << c.id;
      continue;
    }
    EXPECT_EQ(name.Compare(LookText(c.face), true), 0) << c.id;
    EXPECT_EQ(size, c.size) << c.id;
    EXPECT_EQ(bold + italic, 0) << c.id;
  }
  DeleteDC(screen);
}

TEST_F(WinLook, ElementsByPixel) {
  const struct {
    int32_t kind, state;
    std::vector<Probe> probes;  // box (4, 4, 12, 10)
  } cases[] = {
      // Panel: the face over the box, its right and bottom edges included.
      {0, 0, {{4, 4, kFace}, {15, 13, kFace}, {16, 13, kGround}, {15, 14, kGround}}},
      {1, 0, {{4, 4, kShadow}, {15, 4, kShadow}, {16, 4, kGround}, {4, 5, kWhite}}},
      {3, 0, {{4, 4, kWhite}, {15, 13, kWhite}}},
      {3, -100, {{4, 4, kHighlight}, {10, 10, kHighlight}}},
      {4, 0, {{4, 8, kShadow}, {5, 8, kBlack}, {9, 12, kFace}, {15, 8, kWhite}, {9, 8, kWhite}}},
      {4, -100, {{5, 8, kBlack}, {9, 8, kHighlight}, {7, 8, kWhite}}},
      {7, 0, {{4, 4, kShadow}, {15, 4, kFace}, {4, 13, kFace}}},
      // Push button: raised two-ring bevel with the black outer edge.
      {9, 0, {{4, 8, kWhite}, {9, 13, kBlack}, {15, 8, kBlack}, {9, 12, kShadow}, {14, 8, kShadow},
              {9, 8, kFace}}},
      {9, -100, {{4, 8, kBlack}, {9, 4, kBlack}, {9, 13, kWhite}, {9, 12, kWhite}, {9, 8, kFace}}},
      // Flat button: no bevel in 0 and -96, the one-ring bevel when hot.
      {10, 0, {{4, 8, kFace}, {9, 13, kFace}}},
      {10, -96, {{4, 8, kFace}, {15, 8, kFace}}},
      {10, 3, {{4, 8, kWhite}, {9, 13, kShadow}, {15, 8, kShadow}}},
      {10, 4, {{4, 8, kShadow}, {9, 13, kWhite}}},
      // A button state outside the list draws no face and no bevel.
      {9, 6, {{4, 4, kGround}, {9, 8, kGround}}},
      {10, -98, {{4, 4, kGround}, {9, 8, kGround}}},
      {14, 0, {{5, 5, kWhite}, {12, 5, kWhite}, {13, 5, kGround}, {5, 6, kGround}, {13, 7, kShadow}}},
      {15, 0, {{4, 8, kShadow}, {15, 8, kShadow}, {4, 9, kWhite}, {4, 7, kGround}}},
      {16, 0, {{4, 8, kWhite}, {9, 4, kWhite}, {9, 13, kShadow}, {15, 8, kShadow}, {9, 9, kGround}}},
      {16, -100, {{4, 8, kWhite}, {9, 13, kBlack}}},
      {17, 0, {{4, 8, kShadow}, {9, 13, kWhite}, {15, 8, kWhite}}},
      {17, -100, {{4, 8, kBlack}, {9, 13, kWhite}}},
      {18, 0, {{4, 4, kShadow}, {14, 12, kShadow}, {5, 5, kWhite}, {15, 13, kWhite}, {16, 14, kGround}}},
      {21, 0, {{9, 13, kBlack}, {15, 8, kBlack}, {5, 8, kWhite}, {9, 9, kFace}, {14, 8, kShadow}}},
      {24, 0, {{9, 13, kBlack}, {5, 8, kWhite}, {9, 9, kFace}}},
      {23, 0, {{4, 4, kGround}, {9, 9, kGround}}},
      {26, -100, {{4, 4, kShadow}, {15, 13, kShadow}, {9, 8, kFace}}},
      {31, 0, {{4, 4, kHighlight}, {15, 13, kHighlight}}},
  };
  for (const auto& c : cases) {
    Draw(c.kind, c.state, 4, 4, 12, 10);
    for (const Probe& p : c.probes) {
      EXPECT_EQ(At(p.x, p.y), p.color) << c.kind << "/" << c.state << " at " << p.x << "," << p.y;
    }
  }
}

TEST_F(WinLook, UprightAndSquareGripsAndSeparators) {
  Draw(14, 0, 4, 4, 8, 12);  // upright: inset to (5, 5, 6, 10)
  EXPECT_EQ(At(5, 12), kWhite);
  EXPECT_EQ(At(5, 14), kShadow);
  EXPECT_EQ(At(7, 8), kShadow);
  EXPECT_EQ(At(6, 8), kGround);
  Draw(14, 0, 4, 4, 10, 10);  // square: the lying variant
  EXPECT_EQ(At(5, 7), kShadow);
  EXPECT_EQ(At(7, 8), kGround);
  Draw(15, 0, 4, 4, 6, 12);  // upright separator at x = 4 + 3 - 1
  EXPECT_EQ(At(6, 4), kShadow);
  EXPECT_EQ(At(7, 15), kWhite);
  EXPECT_EQ(At(5, 8), kGround);
}

TEST_F(WinLook, CheckeredFacesAndTracksFollowTheDeviceOrigin) {
  // The same device pixel takes the same colour of the checker wherever
  // the box starts.
  for (int32_t kind : {9, 19}) {
    const int32_t state = kind == 9 ? 1 : 0;
    Draw(kind, state, 4, 4, 20, 20);
    const COLORREF a = At(10, 10), b = At(11, 10);
    EXPECT_NE(a, b) << kind;
    EXPECT_EQ(At(11, 11), a) << kind;
    Draw(kind, state, 5, 4, 20, 20);
    EXPECT_EQ(At(10, 10), a) << kind;
    EXPECT_EQ(At(11, 10), b) << kind;
  }
  Draw(19, 0, 0, 0, 8, 8);
  const COLORREF track = GetSysColor(COLOR_SCROLLBAR);
  EXPECT_TRUE((At(0, 0) == track && At(1, 0) == kWhite) || (At(0, 0) == kWhite && At(1, 0) == track));
  Draw(20, -100, 0, 0, 8, 8);
  EXPECT_TRUE(At(0, 0) == RGB(64, 64, 64) || At(1, 0) == RGB(64, 64, 64));
  // A mixed button keeps a plain rim around its checker.
  Draw(9, 2, 4, 4, 20, 20);
  EXPECT_EQ(canvas_.Count(kWhite, 10, 10, 4, 4), 8);
}

TEST_F(WinLook, ImagesAreMadeOncePerPainter) {
  VWinLookPainter other;
  VIconShape* first = look_.Image(4);
  EXPECT_EQ(look_.Image(4), first);
  EXPECT_NE(other.Image(4), first);
  // Without a resource file the image has no icon and draws nothing.
  EXPECT_EQ(first->GetId(), -1);
  Draw(13, 1, 0, 0, 40, 21);
  EXPECT_EQ(At(6, 6), kGround);
}

class WinLookImages : public WinLook {
 protected:
  LookResources resources_;
};

TEST_F(WinLookImages, CheckBoxesAndRadioButtonsShowTheirStateImage) {
  ASSERT_TRUE(resources_.IsOpen());
  // The 13-pixel box sits at (4, 4) in a 21-pixel high element.
  const struct {
    int32_t kind, state;
    std::vector<Probe> probes;
  } cases[] = {
      {13, 0, {{4, 4, kShadow}, {6, 6, kWhite}, {13, 7, kWhite}}},
      {13, 1, {{6, 6, kWhite}, {13, 7, kBlack}}},
      {13, -95, {{6, 6, kFace}, {13, 7, kShadow}}},
      {13, -96, {{6, 6, kFace}, {13, 7, kFace}}},
      {13, 77, {{6, 6, kWhite}, {13, 7, kWhite}}},  // unlisted: the normal image
      {12, 1, {{9, 8, kBlack}, {4, 4, kGround}, {8, 4, kShadow}}},
      {12, -100, {{9, 8, kFace}, {4, 4, kGround}}},
  };
  for (const auto& c : cases) {
    Draw(c.kind, c.state, 0, 0, 40, 21);
    for (const Probe& p : c.probes) {
      EXPECT_EQ(At(p.x, p.y), p.color) << c.kind << "/" << c.state << " at " << p.x << "," << p.y;
    }
  }
}

TEST_F(WinLookImages, ArrowsAreCentredOnTheBevelledButton) {
  ASSERT_TRUE(resources_.IsOpen());
  for (int32_t kind : {29, 30}) {
    Draw(kind, 0, 0, 0, 16, 16);  // "ArrowBottom", 7 x 4, at (4, 5)
    EXPECT_EQ(canvas_.Count(kBlack, 4, 5, 7, 1), 7) << kind;
    EXPECT_EQ(At(7, 8), kBlack) << kind;
    EXPECT_EQ(At(3, 5), kFace) << kind;
    EXPECT_EQ(At(6, 8), kFace) << kind;
  }
  Draw(26, 0, 0, 0, 16, 16);  // "ArrowLeft", 4 x 7, at (5, 4)
  EXPECT_EQ(canvas_.Count(kBlack, 8, 4, 1, 7), 7);
  EXPECT_EQ(At(5, 7), kBlack);
  EXPECT_EQ(At(5, 6), kFace);
  // Only states 0, -100 and -96 show the arrow; -96 greys it.
  Draw(29, 1, 0, 0, 16, 16);
  EXPECT_EQ(canvas_.Count(kBlack, 2, 2, 12, 12), 0);
  // Greyed: no black left, a white copy one pixel right and down.
  Draw(29, -96, 0, 0, 16, 16);
  EXPECT_EQ(canvas_.Count(kBlack, 2, 2, 12, 12), 0);
  EXPECT_EQ(At(8, 9), kWhite);
}

}  // namespace
