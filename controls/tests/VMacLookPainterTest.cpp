// The Macintosh look: its fixed palette, fonts and sizes, and the elements
// it draws otherwise than the Windows look, by pixel.
#include <gtest/gtest.h>

#include <vector>

#include "controls/looks/VMacLookPainter.h"
#include "controls/tests/LookTestSupport.h"
#include "graphics/VShape.h"

namespace {

constexpr COLORREF kFace = RGB(221, 221, 221);
constexpr COLORREF kLight = RGB(238, 238, 238);
constexpr COLORREF kDark = RGB(102, 102, 102);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kGreyText = RGB(136, 136, 136);
constexpr COLORREF kGround = kLookGround;

struct Probe {
  int32_t x, y;
  COLORREF color;
};

class MacLook : public testing::Test {
 protected:
  void Draw(int32_t kind, int32_t state, int32_t x, int32_t y, int32_t w, int32_t h) {
    canvas_.Clear();
    EXPECT_TRUE(look_.DrawElement(canvas_.port(), kind, state, x, y, w, h, nullptr, 0));
  }
  COLORREF At(int32_t x, int32_t y) const { return canvas_.At(x, y); }
  LookCanvas canvas_{40, 40};
  VMacLookPainter look_;
};

TEST_F(MacLook, FixedColoursAndSizes) {
  const std::pair<int32_t, COLORREF> colors[] = {
      {0, kWhite},  {16, RGB(0, 255, 255)}, {17, kFace},  {18, kFace},    {19, kLight},
      {20, kLight}, {21, kDark},            {22, kDark},  {23, RGB(153, 153, 153)},
      {24, kWhite}, {25, kBlack},           {26, kBlack}, {27, kWhite},   {28, kBlack},
      {29, kGreyText}, {30, RGB(153, 204, 255)}, {31, kBlack}, {32, kWhite}, {33, kFace},
      {34, kDark},  {35, kWhite},           {36, RGB(255, 255, 170)}, {37, 0xFFFFFFFF},
      {-1, 0xFFFFFFFF},
  };
  for (const auto& [index, want] : colors) EXPECT_EQ(look_.GetColor(index), want) << index;
  const std::pair<int32_t, int32_t> metrics[] = {{0, 0}, {1, 16}, {2, 16}, {3, 16},
                                                 {4, 0}, {5, 16}, {6, 16}, {7, 0}};
  for (const auto& [id, want] : metrics) EXPECT_EQ(look_.GetMetric(id), want) << id;
}

TEST_F(MacLook, FixedFontsAndNoneForIdThree) {
  const struct {
    int32_t id;
    const char16_t* face;  // null: no such font
    int16_t size;
    uint8_t bold;
  } cases[] = {
      {0, u"Arial", 10, 1},          {1, u"MS Sans Serif", 8, 0}, {2, u"Arial", 10, 1},
      {3, nullptr, 0, 0},            {4, u"MS Sans Serif", 8, 0}, {5, u"MS Sans Serif", 8, 0},
      {6, u"Times New Roman", 10, 0}, {7, u"Arial", 10, 0},       {8, nullptr, 0, 0},
      {-1, nullptr, 0, 0},
  };
  for (const auto& c : cases) {
    VStr<255> name = LookText(u"untouched");
    int16_t size = -1;
    uint8_t bold = 9, italic = 9;
    EXPECT_EQ(look_.GetFont(nullptr, c.id, name, size, bold, italic), c.face != nullptr) << c.id;
    const VStr<255> want = LookText(c.face != nullptr ? c.face : u"untouched");
    EXPECT_EQ(name.Compare(want, true), 0) << c.id;
    EXPECT_EQ(size, c.face != nullptr ? c.size : -1) << c.id;
    if (c.face != nullptr) {
      EXPECT_EQ(bold, c.bold) << c.id;
      EXPECT_EQ(italic, 0) << c.id;
    }
  }
}

TEST_F(MacLook, ElementsByPixel) {
  const struct {
    int32_t kind, state;
    std::vector<Probe> probes;  // box (4, 4, 12, 10)
  } cases[] = {
      {16, 0, {{4, 8, kLight}, {9, 4, kLight}, {9, 13, kDark}, {15, 8, kDark}, {9, 9, kGround}}},
      {16, -100, {{4, 8, kLight}, {9, 13, kDark}}},
      {17, 0, {{4, 8, kDark}, {9, 13, kLight}, {15, 8, kLight}}},
      // Both button kinds take the two-ring bevel.
      {9, 0, {{4, 8, kLight}, {9, 13, kBlack}, {9, 12, kDark}, {9, 8, kFace}}},
      {10, 3, {{4, 8, kLight}, {9, 13, kBlack}, {9, 12, kDark}}},
      {10, 0, {{4, 8, kFace}, {9, 13, kFace}}},
      {9, 1, {{4, 8, kBlack}, {9, 13, kLight}, {5, 8, kDark}, {9, 5, kDark}}},
      {10, -100, {{4, 8, kBlack}, {5, 8, kDark}}},
      {4, 0, {{4, 8, kDark}, {5, 8, kBlack}, {9, 8, kWhite}}},
      {4, -96, {{9, 8, kWhite}}},
      {4, -100, {{9, 8, RGB(153, 204, 255)}}},
      {31, 0, {{4, 4, RGB(77, 77, 77)}, {15, 13, RGB(77, 77, 77)}}},
      // Pop-up box: white, framed, with its shadow one pixel out.
      {32, 0, {{4, 4, kBlack}, {9, 8, kWhite}, {5, 13, kGround}, {6, 13, kBlack}, {15, 5, kGround},
               {15, 6, kBlack}, {14, 12, kBlack}}},
      {36, 0, {{4, 4, kBlack}, {9, 8, kWhite}, {15, 13, kBlack}}},
      {37, 0, {{4, 4, kBlack}, {9, 8, kWhite}}},
  };
  for (const auto& c : cases) {
    Draw(c.kind, c.state, 4, 4, 12, 10);
    for (const Probe& p : c.probes) {
      EXPECT_EQ(At(p.x, p.y), p.color) << c.kind << "/" << c.state << " at " << p.x << "," << p.y;
    }
  }
}

TEST_F(MacLook, CheckBoxesAndRadioButtonsAreCrossedSquares) {
  // The 12-pixel box at (4, 4) of a 20-pixel high element.
  const struct {
    int32_t kind, state;
    COLORREF frame, inside;
    bool cross;
  } cases[] = {
      {13, 0, kBlack, kWhite, false},      {13, 1, kBlack, kWhite, true},
      {13, 2, kBlack, RGB(179, 179, 179), false}, {13, -99, kBlack, kWhite, true},
      {13, -97, kBlack, RGB(179, 179, 179), false}, {13, -95, kGreyText, kWhite, true},
      {13, -94, kGreyText, RGB(179, 179, 179), false}, {12, 1, kBlack, kWhite, true},
      {12, -96, kGreyText, kWhite, false}, {12, 44, kBlack, kWhite, false},
  };
  for (const auto& c : cases) {
    Draw(c.kind, c.state, 0, 0, 40, 20);
    EXPECT_EQ(At(4, 4), c.frame) << c.kind << "/" << c.state;
    EXPECT_EQ(At(15, 15), c.frame) << c.kind << "/" << c.state;
    EXPECT_EQ(At(6, 5), c.inside) << c.kind << "/" << c.state;
    EXPECT_EQ(At(8, 8), c.cross ? c.frame : c.inside) << c.kind << "/" << c.state;
    EXPECT_EQ(At(8, 12), c.cross ? c.frame : c.inside) << c.kind << "/" << c.state;
  }
}

TEST_F(MacLook, GripHatchingReachesLeftUnlessTheCallerClips) {
  Draw(14, 0, 10, 0, 10, 10);
  EXPECT_EQ(At(13, 0), kDark);
  EXPECT_EQ(At(12, 1), kDark);
  EXPECT_EQ(At(14, 0), kLight);
  EXPECT_EQ(At(15, 0), kGround);
  EXPECT_EQ(At(9, 4), kDark);  // past the box's left edge
  canvas_.Clear();
  canvas_.port().PushClip(false);
  canvas_.port().ClipToRect(VRect(10, 0, 10, 10), false);
  look_.DrawElement(canvas_.port(), 14, 0, 10, 0, 10, 10, nullptr, 0);
  canvas_.port().PopClip();
  EXPECT_EQ(At(9, 4), kGround);
  EXPECT_EQ(At(12, 1), kDark);
}

TEST_F(MacLook, ArrowsSitAtTheTopLeftCorner) {
  LookResources resources;
  ASSERT_TRUE(resources.IsOpen());
  // "ArrowLeftMac": its tip at (1, 6) of the image, so (2, 7) here.
  Draw(26, 0, 0, 0, 16, 16);
  EXPECT_EQ(At(2, 7), kBlack);
  EXPECT_EQ(At(3, 7), kWhite);
  Draw(26, -100, 0, 0, 16, 16);
  EXPECT_EQ(At(2, 7), kBlack);
  Draw(26, 2, 0, 0, 16, 16);
  EXPECT_EQ(At(2, 7), kFace);
}

}  // namespace
