// The Windows look: metrics, colour roles from the system colours, the
// fixed fonts, and the elements the views draw, checked by pixels on a
// 32-bit memory canvas.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/looks/VWinLookPainter.h"
#include "framework/core/strings/VUniString.h"
#include "graphics/VPort.h"
#include "platform/gdi/WinGdi.h"
#include "platform/win32/WinSysColors.h"

namespace {

constexpr COLORREF kFace = RGB(212, 208, 200);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kShadow = RGB(128, 128, 128);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kHighlight = RGB(10, 36, 106);
constexpr COLORREF kGround = RGB(1, 2, 3);

class WinLook : public testing::Test {
 protected:
  void SetUp() override {
    dc_ = CreateCompatibleDC(nullptr);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = 40;
    info.bmiHeader.biHeight = -40;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    old_ = SelectObject(dc_, bitmap_);
    port_ = new VPort(dc_);
  }
  void TearDown() override {
    delete port_;
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  // Clears the canvas and draws one element in (x, y, w, h).
  void Draw(int32_t kind, int32_t state, int32_t x, int32_t y, int32_t w, int32_t h) {
    port_->SetFillPatternIndex(6);
    port_->SetFillColor(kGround);
    port_->PaintRect(0, 0, 40, 40);
    EXPECT_TRUE(look_.DrawElement(*port_, kind, state, x, y, w, h, nullptr, 0));
  }
  COLORREF At(int x, int y) { return GetPixel(dc_, x, y); }
  VWinLookPainter look_;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  VPort* port_ = nullptr;
};

TEST_F(WinLook, MetricsAreTheSystemScrollBarSizes) {
  const std::pair<int32_t, int32_t> cases[] = {{0, 1},  {1, 16}, {2, 16}, {3, 16}, {4, 0},
                                               {5, 16}, {6, 16}, {7, 0},  {-1, 0}};
  for (const auto& [id, want] : cases) EXPECT_EQ(look_.GetMetric(id), want) << id;
}

TEST_F(WinLook, ColoursAreFixedThenSystemRoles) {
  const std::pair<int32_t, COLORREF> cases[] = {
      {0, kWhite},
      {5, kShadow},
      {10, kBlack},
      {15, RGB(255, 15, 255)},
      {16, RGB(0, 255, 255)},
      {17, kFace},
      {18, kFace},
      {20, kWhite},
      {21, kShadow},
      {22, RGB(64, 64, 64)},
      {23, GetSysColor(COLOR_SCROLLBAR)},
      {27, kWhite},
      {28, kWhite},
      {29, kShadow},
      {30, kHighlight},
      {34, kHighlight},
      {36, RGB(255, 255, 225)},
      {37, 0xFFFFFFFF},
      {-1, 0xFFFFFFFF},
  };
  for (const auto& [index, want] : cases) EXPECT_EQ(look_.GetColor(index), want) << index;
}

TEST_F(WinLook, OnlyTheTwoNamedFontsAreKnown) {
  VStr<255> name;
  int16_t size = -1;
  uint8_t bold = 9, italic = 9;
  EXPECT_FALSE(look_.GetFont(nullptr, 5, name, size, bold, italic));
  EXPECT_EQ(size, -1);
  EXPECT_TRUE(look_.GetFont(nullptr, 7, name, size, bold, italic));
  EXPECT_EQ(size, 10);
  EXPECT_EQ(bold + italic, 0);
  VStr<255> arial;
  arial.SetUniChars(u"Arial", 0, 5);
  EXPECT_EQ(name.Compare(arial, true), 0);
  EXPECT_TRUE(look_.GetFont(nullptr, 6, name, size, bold, italic));
  EXPECT_FALSE(look_.GetFont(nullptr, 8, name, size, bold, italic));
}

TEST_F(WinLook, ElementsByPixel) {
  const struct {
    int32_t kind, state;
    std::vector<std::pair<POINT, COLORREF>> probes;  // box (4, 4, 12, 10)
  } cases[] = {
      // Panel: the face colour over the box.
      {0, 0, {{{4, 4}, kFace}, {{15, 13}, kFace}, {{16, 14}, kGround}}},
      // List cell face: window colour, highlight when selected.
      {3, 0, {{{4, 4}, kWhite}, {{15, 13}, kWhite}}},
      {3, -100, {{{4, 4}, kHighlight}, {{10, 10}, kHighlight}}},
      // Raised bevel: light left and top, shadow bottom and right.
      {16,
       0,
       {{{4, 8}, kWhite},
        {{9, 4}, kWhite},
        {{9, 13}, kShadow},
        {{15, 8}, kShadow},
        {{9, 9}, kGround}}},
      {16, -100, {{{4, 8}, kWhite}, {{9, 13}, kBlack}}},
      // Sunken: the other way round.
      {17, 0, {{{4, 8}, kShadow}, {{9, 13}, kWhite}, {{15, 8}, kWhite}}},
      // Thumb and split box: face, black outer right-bottom, light inner.
      {21,
       0,
       {{{9, 13}, kBlack},
        {{15, 8}, kBlack},
        {{5, 8}, kWhite},
        {{9, 9}, kFace},
        {{14, 8}, kShadow}}},
      {24, 0, {{{9, 13}, kBlack}, {{5, 8}, kWhite}, {{9, 9}, kFace}}},
      // The scroll-bar frame draws nothing.
      {23, 0, {{{4, 4}, kGround}, {{9, 9}, kGround}}},
      // A kind the look does not draw: white framed in black.
      {36, 0, {{{4, 4}, kBlack}, {{9, 9}, kWhite}, {{15, 13}, kBlack}}},
  };
  for (const auto& c : cases) {
    Draw(c.kind, c.state, 4, 4, 12, 10);
    for (const auto& [p, color] : c.probes) {
      EXPECT_EQ(At(p.x, p.y), color) << c.kind << "/" << c.state << " at " << p.x << "," << p.y;
    }
  }
}

TEST_F(WinLook, TrackIsACheckerOfTrackColourAndWhite) {
  Draw(19, 0, 0, 0, 8, 8);
  const COLORREF track = GetSysColor(COLOR_SCROLLBAR);
  const COLORREF a = At(0, 0), b = At(1, 0);
  EXPECT_NE(a, b);
  EXPECT_TRUE((a == track && b == kWhite) || (a == kWhite && b == track));
  EXPECT_EQ(At(1, 1), a);
  Draw(20, -100, 0, 0, 8, 8);
  EXPECT_TRUE(At(0, 0) == RGB(64, 64, 64) || At(1, 0) == RGB(64, 64, 64));
}

}  // namespace
