// Cell grids: columns and rows by the view's width, steps, clicks, keys
// and their messages, cells redrawn at once on a selection, and the icon
// grid's frame round the selected cell.
#include <string>
#include <vector>

#include "framework/core/containers/VNumericArrays.h"
#include "views/VCellGridView.h"
#include "views/VScrollContainer.h"
#include "views/VShortcut.h"
#include "views/tests/PaneTestSupport.h"

namespace {

// Notes every cell drawn as "item[s][i]" (selected, immediate) and paints
// it grey, darker when selected.
class NotingGrid : public VCellGridView {
 public:
  NotingGrid(VFrame* parent, int32_t cw, int32_t ch) : VCellGridView(parent, cw, ch, 801, 802) {}
  void DrawCell(VPort& port, int32_t item, bool selected, bool immediate) override {
    drawn.push_back(std::to_string(item) + (selected ? "s" : "") + (immediate ? "i" : ""));
    int32_t x = 0, y = 0;
    GetCellRect(item, x, y);
    port.SetFillPatternIndex(6);
    port.SetFillColorRGB(selected ? 60 : 200, 200, 200);
    port.PaintRect(x, y, GetCellWidth(), GetCellHeight());
  }
  bool NotifyParent(VFrame* sender, int32_t message, intptr_t parameter) override {
    return VCellGridView::NotifyParent(sender, message, parameter);
  }
  std::vector<std::string> drawn;
};

class Messages : public VScrollContainer {
 public:
  explicit Messages(VFrame* parent) : VScrollContainer(parent, true, false) {}
  bool NotifyParent(VFrame* sender, int32_t message, intptr_t parameter) override {
    if (message == 801 || message == 802) {
      log.push_back(message);
      return true;
    }
    return VScrollContainer::NotifyParent(sender, message, parameter);
  }
  std::vector<int32_t> log;
};

class Grids : public PaneTest {
 protected:
  // A grid 100 x 60 (the container less its 16-pixel bar) of `count` items.
  NotingGrid* Make(int32_t count, int32_t cw = 25, int32_t ch = 20, int32_t width = 100) {
    owner_ = new Messages(root_);
    owner_->ResizeTo(width + 16, 60, 0);
    grid_ = new NotingGrid(owner_, cw, ch);
    owner_->SetContentView(grid_, true);
    items_.SetCount(0, true);
    for (int32_t i = 1; i <= count; ++i) items_.AppendLong(i, false);
    grid_->SetArray(&items_);
    return grid_;
  }
  Messages* owner_ = nullptr;
  NotingGrid* grid_ = nullptr;
  VLongArray items_;
};

TEST_F(Grids, ColumnsAndRowsFollowTheWidth) {
  const struct {
    int32_t count, cw, ch, width;
    int32_t columns, rows, height;
  } cases[] = {
      {10, 25, 20, 100, 4, 3, 60}, {10, 30, 20, 100, 3, 4, 80}, {10, 200, 20, 100, 1, 10, 200},
      {0, 25, 20, 100, 4, 0, 0},   {4, 25, 20, 100, 4, 1, 20},  {10, 0, 0, 5, 5, 2, 2},
  };
  for (const auto& c : cases) {
    NotingGrid* g = Make(c.count, c.cw, c.ch, c.width);
    EXPECT_EQ(g->GetColumns(), c.columns) << c.count << " " << c.cw << " " << c.width;
    EXPECT_EQ(g->GetRows(), c.rows);
    EXPECT_EQ(g->GetContentHeight(), c.height);
    delete owner_;
  }
}

TEST_F(Grids, StepsAreWholeCells) {
  NotingGrid* g = Make(40, 25, 20);
  EXPECT_EQ(g->GetVerticalLineStep(false), 20);
  EXPECT_EQ(g->GetVerticalPageStep(false), 60);
  owner_->ResizeTo(116, 65, 1);
  EXPECT_EQ(g->GetVerticalPageStep(true), 80);
}

TEST_F(Grids, KeysMoveTheSelectionWithinTheItems) {
  NotingGrid* g = Make(10);  // 4 columns
  const struct {
    int32_t from;
    int16_t key;
    bool shift;
    int32_t to, answer;
    std::vector<int32_t> log;
  } cases[] = {
      {1, kKeyTab, false, 2, 0, {801}},    {2, kKeyTab, true, 1, 0, {801}},
      {1, kKeyTab, true, 1, 0, {}},        {5, kKeyRight, false, 6, 0, {801}},
      {5, kKeyLeft, false, 4, 0, {801}},   {10, kKeyRight, false, 10, 0, {}},
      {2, kKeyDown, false, 6, 0, {801}},   {9, kKeyDown, false, 9, 0, {}},
      {7, kKeyUp, false, 3, 0, {801}},     {3, kKeyUp, false, 3, 0, {}},
      {5, kKeyPageUp, false, 1, 0, {801}}, {5, kKeyPageDown, false, 10, 0, {801}},
      {5, kKeyReturn, false, 5, 0, {802}}, {5, kKeyEnter, false, 5, 0, {802}},
      {5, kKeySpace, false, 5, 1, {}},     {0, kKeyDown, false, 1, 0, {801}},
  };
  for (const auto& c : cases) {
    g->Select(c.from);
    owner_->log.clear();
    EXPECT_EQ(g->HandleKeyCode(c.key, c.shift), c.answer) << c.from << " " << c.key;
    EXPECT_EQ(g->GetSelected(), c.to) << c.from << " " << c.key;
    EXPECT_EQ(owner_->log, c.log) << c.from << " " << c.key;
  }
}

TEST_F(Grids, ClicksSelectTheCellUnderTheMouse) {
  NotingGrid* g = Make(10);
  const struct {
    int32_t x, y;
    int16_t clicks;
    int32_t selected;
    std::vector<int32_t> log;
  } cases[] = {
      {30, 25, 1, 6, {801}}, {30, 25, 1, 6, {}},  {30, 25, 2, 6, {802}},
      {99, 59, 1, 6, {}},    {60, 50, 1, 6, {}},  {30, 45, 1, 10, {801}},
      {80, 45, 1, 10, {}},   {0, 0, 1, 1, {801}}, {120, 0, 1, 1, {}},
  };
  for (const auto& c : cases) {
    owner_->log.clear();
    VEvent click(c.x, c.y, 0, false, false, false, false, false, c.clicks, 0);
    EXPECT_TRUE(g->MouseDown(click));
    EXPECT_EQ(g->GetSelected(), c.selected) << c.x << "," << c.y;
    EXPECT_EQ(owner_->log, c.log) << c.x << "," << c.y;
  }
}

TEST_F(Grids, SelectingRedrawsBothCellsAtOnceAndScrollsToTheNew) {
  NotingGrid* g = Make(40);  // 10 rows of 4 in a 60-pixel view
  g->Select(2);
  g->drawn.clear();
  g->Select(3);
  EXPECT_EQ(g->drawn, (std::vector<std::string>{"2i", "3si"}));
  EXPECT_EQ(g->GetScrollY(), 0);
  g->Select(21);  // row 6: y 100 to 120
  EXPECT_EQ(g->GetScrollY(), 60);
  g->Select(5);
  EXPECT_EQ(g->GetScrollY(), 20);
  g->Select(99);
  EXPECT_EQ(g->GetSelected(), 0);
  // A whole drawing paints the visible rows only: rows 2 to 5 here.
  g->drawn.clear();
  owner_->Invalidate(2);
  ASSERT_FALSE(g->drawn.empty());
  EXPECT_EQ(g->drawn.front(), "5");
  EXPECT_EQ(g->drawn.back(), "20");
}

TEST_F(Grids, IconGridFramesTheSelectedCell) {
  owner_ = new Messages(root_);
  owner_->ResizeTo(136, 80, 0);
  auto* icons = new VIconGridView(owner_, 0, 0);
  owner_->SetContentView(icons, true);
  for (int32_t i = 1; i <= 5; ++i) items_.AppendLong(-20000 - i, false);
  icons->SetArray(&items_);
  EXPECT_EQ(icons->GetColumns(), 3);
  icons->Select(5);  // cell at (40, 40)
  int32_t ox = 0, oy = 0;
  icons->GetOrigin(ox, oy);
  const COLORREF frame = look_.GetColor(30);
  EXPECT_EQ(Pixel(ox + 41, oy + 41), frame);
  EXPECT_EQ(Pixel(ox + 42, oy + 60), frame);
  EXPECT_EQ(Pixel(ox + 78, oy + 78), frame);
  EXPECT_NE(Pixel(ox + 43, oy + 60), frame);
  EXPECT_NE(Pixel(ox + 40, oy + 40), frame);
  icons->Select(1);
  EXPECT_NE(Pixel(ox + 41, oy + 41), frame);
  EXPECT_EQ(Pixel(ox + 1, oy + 1), frame);
}

}  // namespace
