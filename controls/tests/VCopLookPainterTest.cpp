// The third look: its 59 colours, fonts and sizes, and its own drawings of
// tracks, thumbs, arrows, grips, pop-up boxes and fields, by pixel.
#include <gtest/gtest.h>

#include <vector>

#include "controls/looks/VCopLookPainter.h"
#include "controls/tests/LookTestSupport.h"

namespace {

constexpr COLORREF kFace = RGB(221, 221, 221);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kGround = kLookGround;
constexpr COLORREF kGrey41 = RGB(170, 170, 170);
constexpr COLORREF kGrey46 = RGB(85, 85, 85);
constexpr COLORREF kThumb = RGB(153, 153, 255);

struct Probe {
  int32_t x, y;
  COLORREF color;
};

class CopLook : public testing::Test {
 protected:
  void Draw(int32_t kind, int32_t state, int32_t x, int32_t y, int32_t w, int32_t h) {
    canvas_.Clear();
    EXPECT_TRUE(look_.DrawElement(canvas_.port(), kind, state, x, y, w, h, nullptr, 0));
  }
  COLORREF At(int32_t x, int32_t y) const { return canvas_.At(x, y); }
  LookCanvas canvas_{48, 40};
  VCopLookPainter look_;
};

TEST_F(CopLook, PaletteFontsAndSizes) {
  const std::pair<int32_t, COLORREF> colors[] = {
      {10, kBlack},  {17, kFace},  {19, RGB(238, 238, 238)}, {20, kWhite},
      {21, RGB(136, 136, 136)},    {22, RGB(102, 102, 102)}, {23, RGB(153, 153, 153)},
      // The emulation answers black, so selected text is white.
      {28, kWhite},  {30, RGB(153, 204, 255)},  {34, RGB(51, 51, 153)},
      {36, RGB(255, 255, 170)},    {37, RGB(238, 238, 238)}, {38, kFace},
      {41, kGrey41}, {46, kGrey46}, {48, RGB(34, 34, 34)},   {50, RGB(204, 204, 255)},
      {51, kThumb},  {55, RGB(0, 0, 85)}, {56, kBlack},      {57, RGB(102, 102, 204)},
      {58, RGB(0, 0, 136)},        {59, 0xFFFFFFFF},         {-1, 0xFFFFFFFF},
  };
  for (const auto& [index, want] : colors) EXPECT_EQ(look_.GetColor(index), want) << index;
  const std::pair<int32_t, int32_t> metrics[] = {{0, 0}, {1, 16}, {2, 16}, {3, 16},
                                                 {4, 0}, {5, 24}, {6, 22}, {7, 0}};
  for (const auto& [id, want] : metrics) EXPECT_EQ(look_.GetMetric(id), want) << id;
  VStr<255> name;
  int16_t size = -1;
  uint8_t bold = 0, italic = 0;
  EXPECT_FALSE(look_.GetFont(nullptr, 3, name, size, bold, italic));
  EXPECT_EQ(size, -1);
  EXPECT_TRUE(look_.GetFont(nullptr, 0, name, size, bold, italic));
  EXPECT_EQ(name.Compare(LookText(u"Arial"), true), 0);
  EXPECT_EQ(size, 10);
  EXPECT_EQ(bold, 1);
}

TEST_F(CopLook, ElementsByPixel) {
  const struct {
    int32_t kind, state;
    std::vector<Probe> probes;  // box (4, 4, 12, 10)
  } cases[] = {
      {0, 0, {{4, 4, kFace}, {15, 13, kFace}, {16, 14, kGround}}},
      {31, 0, {{4, 4, RGB(68, 68, 68)}}},
      {37, 0, {{4, 8, kWhite}, {9, 13, kGrey41}, {9, 8, kFace}}},
      {36, 0, {{4, 4, kBlack}, {9, 8, kWhite}}},
      {38, 0, {{4, 4, kBlack}, {9, 8, kWhite}}},
      {16, 0, {{4, 8, kWhite}, {9, 13, kGrey41}}},
      {17, 0, {{4, 8, RGB(136, 136, 136)}, {9, 13, kWhite}}},
      {3, -96, {{9, 8, kWhite}}},
      {7, 0, {{4, 4, RGB(136, 136, 136)}, {4, 5, kWhite}, {15, 4, kFace}}},
      // Push button: a dark outer ring, white and grey inner edges.
      {9, 0, {{4, 8, RGB(102, 102, 102)}, {9, 13, kBlack}, {5, 8, kWhite}, {9, 12, RGB(153, 153, 153)}}},
      {9, 1, {{9, 8, RGB(136, 136, 136)}, {4, 8, RGB(34, 34, 34)}, {5, 8, kGrey46}}},
      {10, 0, {{4, 8, kFace}, {9, 13, kFace}}},
      {10, 3, {{4, 8, kWhite}, {9, 13, RGB(153, 153, 153)}}},
      {10, -96, {{4, 8, kFace}}},
      {9, -96, {{4, 8, kGrey41}, {9, 13, RGB(153, 153, 153)}}},
      {9, -98, {{4, 8, kGround}, {9, 8, kGround}}},
      // Tracks: inactive and disabled plain, otherwise grooved.
      {19, -93, {{4, 4, RGB(238, 238, 238)}, {15, 13, RGB(238, 238, 238)}}},
      {19, 0, {{4, 4, kGrey41}, {4, 5, RGB(119, 119, 119)}, {5, 6, RGB(136, 136, 136)}}},
      {20, -96, {{9, 8, RGB(238, 238, 238)}}},
      {23, 0, {{4, 4, kBlack}, {9, 8, kGround}}},
      {23, -93, {{4, 4, kGrey46}}},
      {24, 0, {{9, 8, kGrey46}, {4, 8, kBlack}, {16, 8, kBlack}}},
      {25, -93, {{9, 8, kFace}, {9, 4, kFace}}},
      {25, -100, {{9, 4, kGrey46}}},
      {26, -93, {{4, 4, kGround}, {9, 8, kGround}}},
      {21, -93, {{4, 4, kBlack}, {5, 12, kThumb}, {9, 8, RGB(51, 51, 153)}}},
  };
  for (const auto& c : cases) {
    Draw(c.kind, c.state, 4, 4, 12, 10);
    for (const Probe& p : c.probes) {
      EXPECT_EQ(At(p.x, p.y), p.color) << c.kind << "/" << c.state << " at " << p.x << "," << p.y;
    }
  }
}

TEST_F(CopLook, ArrowsAreTrianglesOfFourLines) {
  // 16 x 16: ax = 4, ay = 9 for up and down; ax = 9, ay = 4 for the sides.
  const struct {
    int32_t kind;
    Probe base, tip, beside;
  } cases[] = {
      {29, {4, 6, kBlack}, {7, 9, kBlack}, {6, 9, kFace}},
      {28, {10, 9, kBlack}, {7, 6, kBlack}, {8, 6, kFace}},
      {26, {9, 4, kBlack}, {6, 7, kBlack}, {6, 6, kFace}},
      {27, {6, 10, kBlack}, {9, 7, kBlack}, {9, 6, kFace}},
  };
  for (const auto& c : cases) {
    Draw(c.kind, 0, 0, 0, 16, 16);
    for (const Probe& p : {c.base, c.tip, c.beside}) {
      EXPECT_EQ(At(p.x, p.y), p.color) << c.kind << " at " << p.x << "," << p.y;
    }
    // Rows or columns of 7, 5, 3 and 1 pixels.
    EXPECT_EQ(canvas_.Count(kBlack, 2, 2, 12, 12), 16) << c.kind;
  }
  Draw(29, -96, 0, 0, 16, 16);
  EXPECT_EQ(At(7, 9), RGB(119, 119, 119));
  EXPECT_EQ(At(1, 1), kFace);
}

TEST_F(CopLook, ThumbsHaveARidgedGripFromTenPixels) {
  Draw(22, 0, 0, 0, 16, 30);  // gx = 4, gy = 11
  EXPECT_EQ(At(5, 11), RGB(204, 204, 255));
  EXPECT_EQ(At(10, 12), RGB(51, 51, 153));
  EXPECT_EQ(At(4, 11), RGB(238, 238, 238));
  EXPECT_EQ(At(4, 17), RGB(238, 238, 238));
  Draw(21, -100, 0, 0, 30, 16);  // gx = 11, gy = 4, one colour further on
  EXPECT_EQ(At(11, 5), RGB(153, 153, 255));
  EXPECT_EQ(At(12, 10), RGB(0, 0, 136));
  EXPECT_EQ(At(11, 4), RGB(204, 204, 255));
  for (int32_t kind : {21, 22}) {
    Draw(kind, 0, 0, 0, 9, 30);
    EXPECT_EQ(canvas_.Count(RGB(51, 51, 153), 0, 0, 9, 30), 0) << kind;
    EXPECT_EQ(canvas_.Count(RGB(238, 238, 238), 0, 0, 9, 30), 0) << kind;
    EXPECT_EQ(At(0, 0), kBlack) << kind;
  }
}

TEST_F(CopLook, PopUpBoxesRoundedWithADoubleChevron) {
  Draw(32, 0, 0, 0, 40, 20);
  EXPECT_EQ(At(2, 0), kBlack);
  EXPECT_EQ(At(1, 0), kGround);
  EXPECT_EQ(At(1, 1), kBlack);
  EXPECT_EQ(At(28, 4), kBlack);
  EXPECT_EQ(canvas_.Count(kBlack, 25, 7, 6, 1), 6);
  EXPECT_EQ(At(2, 5), kWhite);
  EXPECT_EQ(At(18, 5), kGrey41);
  Draw(32, 0, 0, 0, 25, 20);  // too narrow for the highlight and separator
  EXPECT_EQ(At(2, 5), kFace);
  EXPECT_EQ(At(3, 5), kFace);
  Draw(32, -100, 0, 0, 25, 20);
  EXPECT_EQ(At(3, 5), kGrey41);
  Draw(32, -96, 0, 0, 40, 20);
  EXPECT_EQ(At(2, 0), RGB(136, 136, 136));
}

TEST_F(CopLook, EditFieldMarginFollowsItsHeight) {
  Draw(4, 0, 0, 0, 30, 17);
  EXPECT_EQ(At(2, 2), kWhite);
  EXPECT_EQ(At(1, 1), kBlack);
  EXPECT_EQ(At(0, 0), kGrey41);
  Draw(4, 0, 0, 0, 30, 18);
  EXPECT_EQ(At(2, 2), kFace);
  EXPECT_EQ(At(3, 3), kWhite);
  Draw(4, -96, 0, 0, 30, 18);
  EXPECT_EQ(At(1, 1), kGrey46);
  EXPECT_EQ(At(0, 0), kFace);
}

TEST_F(CopLook, DottedGripKeepsItsDotsOnEvenAndOddRows) {
  // The second pattern is laid in mask mode, which leaves the grey of the
  // first and darkens every other pixel of every other row; the patterns
  // swap on odd rows, so the dots move one column with the box.
  constexpr COLORREF kGrey40 = RGB(187, 187, 187);
  constexpr COLORREF kDot = RGB(187 & 85, 187 & 85, 187 & 85);
  for (int32_t y : {4, 5}) {
    Draw(14, 0, 4, y, 20, 12);  // lying: 6 pixels thick
    EXPECT_EQ(canvas_.Count(kGround, 4, y, 20, 6), 0) << y;
    EXPECT_EQ(canvas_.Count(kGround, 4, y + 6, 20, 1), 20) << y;
    EXPECT_EQ(canvas_.Count(kGrey40, 4, y, 20, 1), 20) << y;
    EXPECT_EQ(canvas_.Count(kDot, 4, y + 1, 20, 1), 10) << y;
    const bool even = y % 2 == 0;
    EXPECT_EQ(At(5, y + 1), even ? kDot : kGrey40) << y;
    EXPECT_EQ(At(4, y + 1), even ? kGrey40 : kDot) << y;
  }
  Draw(14, 0, 4, 4, 10, 30);  // upright: 6 pixels wide
  EXPECT_EQ(canvas_.Count(kGround, 4, 4, 6, 30), 0);
  EXPECT_EQ(canvas_.Count(kGround, 10, 4, 1, 30), 30);
}

}  // namespace
