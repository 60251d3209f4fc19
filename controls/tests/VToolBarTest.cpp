// The status bar: its two groups split at 'XTAB', the size-box gap, and the
// progress gauge that takes the left group's place.
#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <vector>

#include "controls/bars/BarResources.h"
#include "controls/bars/VToolBar.h"
#include "controls/controls/VPushButton.h"
#include "controls/tests/ControlTestSupport.h"
#include "views/VDockView.h"

namespace {

uint32_t Kind(const char* k) {
  return uint32_t(uint8_t(k[0])) << 24 | uint32_t(uint8_t(k[1])) << 16 |
         uint32_t(uint8_t(k[2])) << 8 | uint8_t(k[3]);
}

class StatusBars : public ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    file_ = std::make_unique<StoredResourceFile>();
    for (int16_t id : {1, 2, 3}) {
      StoredBytes button;
      const bool wide = id == 2;
      button.I32(0).I32(0).I32(0).I32(wide ? 30 : 20).I32(wide ? 18 : 20).Title("");
      button.U16(0).U16(0).U8(0);
      file_->Add(kResTypeButton, id, button.bytes);
    }
    // Left: buttons 1 and 2; right, from the right edge: 3 and 2. An
    // unknown kind and a pattern chooser are not status bar kinds.
    StoredBytes bar;
    bar.U8(0).U8(kBarFlagShown).I32(0).I32(0).Title("").U16(7);
    for (auto [kind, id] : std::vector<std::pair<const char*, int16_t>>{
             {"XBUT", 1}, {"ZZZZ", 1}, {"XBUT", 2}, {"XTAB", 0}, {"XBUT", 3}, {"XPCH", 1},
             {"XBUT", 2}}) {
      bar.I32(int32_t(Kind(kind))).U16(uint16_t(id));
    }
    file_->Add(kResTypeToolBar, 500, bar.bytes);
    opened_ = file_->Open();
  }
  void TearDown() override {
    delete dock_;
    file_.reset();
    ControlTest::TearDown();
  }
  VToolBar* Make(VFrame* parent, int32_t width, int32_t height, int16_t id = 500) {
    dock_ = new VDockView(parent);
    dock_->ResizeTo(width, height, 0);
    return new VToolBar(dock_, nullptr, opened_, id);
  }
  static int32_t X(const VFrame* f) {
    int32_t x = 0, y = 0;
    f->GetPosition(x, y);
    return x;
  }
  static int32_t Y(const VFrame* f) {
    int32_t x = 0, y = 0;
    f->GetPosition(x, y);
    return y;
  }
  std::unique_ptr<StoredResourceFile> file_;
  VResourceFile* opened_ = nullptr;
  VDockView* dock_ = nullptr;
};

TEST_F(StatusBars, GroupsSplitAtTheTabAndPlaceFromBothEdges) {
  VToolBar* bar = Make(host_, 300, 150);
  EXPECT_EQ(dock_->GetToolBar(), bar);
  EXPECT_EQ(bar->GetHeight(), 25);
  EXPECT_EQ(bar->GetWidth(), 300);
  const auto& left = bar->GetLeftItems();
  const auto& right = bar->GetRightItems();
  ASSERT_EQ(left.size(), 2u);
  ASSERT_EQ(right.size(), 2u);
  // The right group from 300 - 4, 4 pixels apart, its first item rightmost.
  EXPECT_EQ(X(right[0]), 276);
  EXPECT_EQ(Y(right[0]), 3);
  EXPECT_EQ(X(right[1]), 242);
  EXPECT_EQ(Y(right[1]), 4);
  EXPECT_EQ(X(left[0]), 4);
  EXPECT_EQ(X(left[1]), 28);
  int32_t x = 0, y = 0;
  bar->GetPosition(x, y);
  EXPECT_EQ(y, 150 - 25);
}

// A control that does not fit is left out whole, the left group's first
// one last, and the bar is the same whether it was made at its width or
// sized to it from a wider or a narrower one.
TEST_F(StatusBars, ControlsThatDoNotFitAreLeftOutWhole) {
  struct Row {
    int32_t width;
    int32_t left0, left1, right0, right1;  // x, or -1: left out
  };
  const Row rows[] = {
      {300, 4, 28, 276, 242},
      {120, 4, 28, 96, 62},    // every control, 4 pixels apart
      {119, 4, -1, 95, 61},    // the second left control goes first
      {80, 4, -1, 56, -1},     // then the right group from its last
      {40, 4, -1, -1, -1},     // the first left control stays longest
      {20, -1, -1, -1, -1},
  };
  for (const Row& row : rows) {
    for (const int32_t from : {row.width, 300, 20}) {
      SCOPED_TRACE(testing::Message() << row.width << " from " << from);
      delete dock_;
      VToolBar* bar = Make(host_, from, 150);
      if (from != row.width) bar->ResizeTo(row.width, 25, 0);
      const VFrame* controls[] = {bar->GetLeftItems()[0], bar->GetLeftItems()[1], bar->GetRightItems()[0],
                                  bar->GetRightItems()[1]};
      const int32_t want[] = {row.left0, row.left1, row.right0, row.right1};
      for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(controls[i]->IsShown() ? X(controls[i]) : -1, want[i]) << "control " << i;
      }
      ExpectShownApart({std::begin(controls), std::end(controls)}, row.width);
    }
  }
}

TEST_F(StatusBars, TheSizeBoxKeepsTwentyPixelsAtTheWindowsCorner) {
  root_->SetGrowBox(true);
  VToolBar* bar = Make(root_, 320, 240);
  const VFrame* rightmost = bar->GetRightItems()[0];
  EXPECT_EQ(X(rightmost) + rightmost->GetWidth(), 320 - 20);
  root_->SetGrowBox(false);
  bar->Layout();
  EXPECT_EQ(X(rightmost) + rightmost->GetWidth(), 320 - 4);
}

TEST_F(StatusBars, MissingResourceGivesAnEmptyBar26High) {
  VToolBar* bar = Make(host_, 200, 100, 599);
  EXPECT_EQ(bar->GetHeight(), 26);
  EXPECT_TRUE(bar->GetLeftItems().empty());
  EXPECT_TRUE(bar->GetRightItems().empty());
}

TEST_F(StatusBars, ProgressTakesTheLeftGroupsPlaceAndGivesItBack) {
  VToolBar* bar = Make(host_, 400, 150);
  const std::vector<VFrame*> left = bar->GetLeftItems();
  for (int round = 0; round < 2; ++round) {
    bar->ShowProgress(nullptr, 0, 0, 100);
    bar->ShowProgress(nullptr, 0, 0, 100);  // replaces the first gauge
    VProgressGauge* gauge = bar->GetProgress();
    ASSERT_NE(gauge, nullptr);
    EXPECT_EQ(bar->GetSubFrames().size(), 5u);
    EXPECT_EQ(bar->GetLeftItems().front(), gauge);
    EXPECT_EQ(gauge->GetWidth(), 169);
    EXPECT_EQ(gauge->GetHeight(), 20);
    EXPECT_EQ(X(gauge), 4);
    for (VFrame* f : left) EXPECT_FALSE(f->IsVisible());
    bar->AdvanceProgress(50);
    EXPECT_EQ(gauge->GetFilled(), 79);
    bar->HideProgress();
    EXPECT_EQ(bar->GetProgress(), nullptr);
    EXPECT_EQ(bar->GetLeftItems(), left);
    EXPECT_EQ(bar->GetSubFrames().size(), 4u);
    for (VFrame* f : left) EXPECT_TRUE(f->IsVisible());
  }
  bar->HideProgress();  // no gauge: nothing
  bar->AdvanceProgress(5);
}

TEST_F(StatusBars, GaugeGrowsPixelByPixelAndSurvivesEveryTotal) {
  VToolBar* bar = Make(host_, 400, 150);
  // On a total of 1000, advancing by 1 redraws once a pixel of 158.
  bar->ShowProgress(nullptr, 0, 0, 1000);
  VProgressGauge* gauge = bar->GetProgress();
  int redraws = 0;
  for (int i = 1; i <= 1000; ++i) {
    const int32_t before = gauge->GetFilled();
    const bool grew = gauge->Advance(1);
    redraws += grew ? 1 : 0;
    EXPECT_EQ(grew, gauge->GetFilled() == before + 1) << i;
    EXPECT_EQ(gauge->GetFilled(), i * 158 / 1000) << i;  // full at the total
  }
  EXPECT_EQ(redraws, 158);

  constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
  struct Row {
    const char* name;
    int32_t total;
    std::vector<int32_t> steps;
    int32_t filled;
    int32_t current;
  };
  const std::vector<Row> rows = {
      {"total 0 shows full", 0, {5, 10}, 158, 15},
      {"total -1 shows full", -1, {1}, 158, 1},
      {"largest total, half", kMax, {kMax / 2}, 78, kMax / 2},
      {"largest total, whole", kMax, {kMax / 2, kMax / 2, 1}, 158, kMax},
      {"past the total stays full", 100, {60, 60, kMax}, 158, 100},
      {"a step back is made up before the gauge grows", 100, {-50, 10}, 0, -40},
      {"and then it grows", 100, {-50, 60}, 15, 10},
      {"back below the start", 100, {-kMax, -kMax}, 0, std::numeric_limits<int32_t>::min()},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    bar->ShowProgress(nullptr, 0, 0, row.total);
    for (int32_t step : row.steps) bar->AdvanceProgress(step);
    ASSERT_NE(bar->GetProgress(), nullptr);
    EXPECT_EQ(bar->GetProgress()->GetFilled(), row.filled);
    EXPECT_EQ(bar->GetProgress()->GetCurrent(), row.current);
  }
}

}  // namespace
