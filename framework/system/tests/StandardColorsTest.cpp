// Standard colours and fonts: the fixed table without a look painter, the
// painter's answers unchanged with one, the painter of the look the host
// reports, and the split of a colour into its bytes.
#include "framework/system/resources/StandardColors.h"

#include <gtest/gtest.h>

#include "framework/core/strings/VUniString.h"
#include "framework/system/environment/VEnvironmentLinks.h"
#include "testsupport/FakeHost.h"

namespace {

TEST(StandardColor, WithoutAPainterTheFixedTableAnswers) {
  const VLookQueries* previous = VLookQueryService::Install(nullptr);
  EXPECT_EQ(StandardColor(0), 0xFFFFFFu);
  EXPECT_EQ(StandardColor(1), 0xE6E6E6u);
  EXPECT_EQ(StandardColor(5), 0x808080u);
  EXPECT_EQ(StandardColor(9), 0x1A1A1Au);
  EXPECT_EQ(StandardColor(10), 0x000000u);
  EXPECT_EQ(StandardColor(11), 0x0000FFu);  // red in the low byte
  EXPECT_EQ(StandardColor(12), 0x00FF00u);
  EXPECT_EQ(StandardColor(13), 0xFF0000u);
  EXPECT_EQ(StandardColor(14), 0x00FFFFu);
  EXPECT_EQ(StandardColor(16), 0xFFFF00u);
  VLookQueryService::Install(previous);
}

TEST(StandardColor, Index15HasGreen15) {
  const VLookQueries* previous = VLookQueryService::Install(nullptr);
  uint8_t r = 0, g = 0, b = 0;
  SplitColor(StandardColor(15), &r, &g, &b);
  EXPECT_EQ(r, 255);
  EXPECT_EQ(g, 15);
  EXPECT_EQ(b, 255);
  VLookQueryService::Install(previous);
}

TEST(StandardColor, IndexesOutsideTheTableAnswerNoColour) {
  const VLookQueries* previous = VLookQueryService::Install(nullptr);
  EXPECT_EQ(StandardColor(17), 0xFFFFFFFFu);
  EXPECT_EQ(StandardColor(-1), 0xFFFFFFFFu);
  EXPECT_EQ(StandardColor(INT32_MIN), 0xFFFFFFFFu);
  VLookQueryService::Install(previous);
}

TEST(SplitColor, TakesTheBytesFromTheLowest) {
  uint8_t r = 0, g = 0, b = 0;
  SplitColor(0x00FF8040, &r, &g, &b);
  EXPECT_EQ(r, 0x40);
  EXPECT_EQ(g, 0x80);
  EXPECT_EQ(b, 0xFF);
  // The top byte is not a colour.
  SplitColor(0x7F000000, &r, &g, &b);
  EXPECT_EQ(r, 0);
  EXPECT_EQ(g, 0);
  EXPECT_EQ(b, 0);
  SplitColor(0x123456, nullptr, &g, nullptr);
  EXPECT_EQ(g, 0x34);
}

// ---- With look painters: five painters of the test's own, told apart by
// their address, and queries that answer from the painter's number.

int sPainters[5];

VLookPainter* Painter(int32_t index) { return reinterpret_cast<VLookPainter*>(&sPainters[index]); }
int32_t NumberOf(VLookPainter& painter) {
  return static_cast<int32_t>(reinterpret_cast<int*>(&painter) - sPainters);
}

struct FakeGraphics : VEnvironmentGraphics {
  bool empty = false;
  void SetRectPosition(VRect&, int32_t, int32_t) override {}
  void SetRectSize(VRect&, int32_t, int32_t) override {}
  void GetRectSize(const VRect&, int32_t& w, int32_t& h) override { w = h = 0; }
  void RectToMacRect(const VRect&, Tbx::Rect&) override {}
  VLookPainter* GetLookPainter(int32_t index) override { return empty ? nullptr : Painter(index); }
  bool PictureLibraryStarted() override { return false; }
};

HDC sLastDC = nullptr;

const VLookQueries kQueries = {
    [](VLookPainter& painter, int32_t index) -> uint32_t {
      return 0x10000u * static_cast<uint32_t>(NumberOf(painter)) + static_cast<uint32_t>(index);
    },
    [](VLookPainter& painter, HDC dc, int32_t kind, VString& name, int16_t& size, uint8_t& bold,
       uint8_t& italic) {
      sLastDC = dc;
      if (kind > 7) return false;
      name.SetCText(NumberOf(painter) == 0 ? "Geneva" : "Arial", kCharSetAnsi);
      size = static_cast<int16_t>(8 + kind);
      bold = kind == 1;
      italic = 0;
      return true;
    },
};

class WithPainters : public testing::Test {
 protected:
  void SetUp() override {
    previousQueries_ = VLookQueryService::Install(&kQueries);
    previousGraphics_ = VEnvironmentGraphicsService::Install(&graphics_);
  }
  void TearDown() override {
    VEnvironmentGraphicsService::Install(previousGraphics_);
    VLookQueryService::Install(previousQueries_);
  }
  FakeHost host_;
  FakeGraphics graphics_;
  const VLookQueries* previousQueries_ = nullptr;
  VEnvironmentGraphics* previousGraphics_ = nullptr;
};

TEST_F(WithPainters, TheCurrentPaintersColourIsAnsweredUnchanged) {
  host_.SetLookValue(3);
  EXPECT_EQ(StandardColor(15), 0x30000u + 15);
  // Indexes the fixed table lacks go to the painter too.
  EXPECT_EQ(StandardColor(30), 0x30000u + 30);
  EXPECT_EQ(StandardColor(-1), 0x30000u + 0xFFFFFFFFu);
}

TEST_F(WithPainters, ALookOutsideTheTableTakesPainter2) {
  host_.SetLookValue(9);
  EXPECT_EQ(StandardColor(1), 0x20000u + 1);
}

TEST_F(WithPainters, AnEmptyPainterSlotFallsBackOnTheTable) {
  graphics_.empty = true;
  EXPECT_EQ(StandardColor(15), 0xFF0FFFu);
  VStr<31> name;
  int16_t size = -1;
  uint8_t bold = 9, italic = 9;
  EXPECT_FALSE(StandardFont(nullptr, 5, &name, size, bold, italic));
}

TEST_F(WithPainters, StandardFontPassesItsArgumentsAndGivesThePaintersAnswer) {
  host_.SetLookValue(0);
  VStr<31> name;
  int16_t size = 0;
  uint8_t bold = 9, italic = 9;
  auto* dc = reinterpret_cast<HDC>(&name);
  ASSERT_TRUE(StandardFont(dc, 1, &name, size, bold, italic));
  EXPECT_EQ(sLastDC, dc);
  EXPECT_EQ(name.CompareCText("Geneva", kCharSetAnsi, true), 0);
  EXPECT_EQ(size, 9);
  EXPECT_EQ(bold, 1);
  EXPECT_EQ(italic, 0);
  EXPECT_FALSE(StandardFont(nullptr, 8, &name, size, bold, italic));
}

TEST_F(WithPainters, ANullNameStillGetsAnAnswer) {
  int16_t size = 0;
  uint8_t bold = 0, italic = 0;
  EXPECT_TRUE(StandardFont(nullptr, 5, nullptr, size, bold, italic));
  EXPECT_EQ(size, 13);
}

TEST(StandardFont, WithoutAPainterAnswersFalse) {
  const VLookQueries* previous = VLookQueryService::Install(nullptr);
  VStr<31> name;
  int16_t size = 0;
  uint8_t bold = 0, italic = 0;
  EXPECT_FALSE(StandardFont(nullptr, 5, &name, size, bold, italic));
  VLookQueryService::Install(previous);
}

}  // namespace
