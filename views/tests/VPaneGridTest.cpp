// Pane grids: rows and columns inserted and removed, panes laid out
// between the dividers, divider drags and double clicks on the input
// timeline, split boxes that insert rows, scrolling by row and column, and
// the dividers' drawing and cursors.
#include <string>
#include <vector>

#include "views/VPaneGrid.h"
#include "views/tests/PaneTestSupport.h"

namespace {

class Grid : public PaneTest {
 protected:
  // A 300 x 200 grid at (0, 0) with one pane holding a document.
  void SetUp() override {
    PaneTest::SetUp();
    grid_ = new VPaneGrid(root_);
    grid_->ResizeTo(300, 200, 0);
    auto* pane = new VGridPane(root_);
    pane->SetVerticalBar(true, false);
    pane->SetHorizontalBar(true, false);
    pane->SetVerticalSplitBox(true, false);
    pane->SetHorizontalSplitBox(true, false);
    doc_ = new DocView(pane);
    pane->SetContentView(doc_, false);
    grid_->AddFirstPane(pane);
  }
  void TearDown() override {
    ResetHeadlessInput();
    PaneTest::TearDown();
  }
  std::vector<Box> Panes() {
    std::vector<Box> boxes;
    for (int32_t r = 1; r <= grid_->GetRowCount(); ++r) {
      for (int32_t c = 1; c <= grid_->GetColumnCount(); ++c) {
        VGridPane* p = grid_->GetPaneAt(r, c);
        boxes.push_back(p != nullptr ? BoxOf(p) : Box{-1, -1, -1, -1});
      }
    }
    return boxes;
  }
  void Drag(int32_t x, int32_t y, std::vector<POINT> moves, int16_t clicks = 1) {
    int32_t sx = 0, sy = 0;
    root_->LocalToScreen(sx, sy);
    std::vector<HeadlessInputEntry> script{{0, {sx + x, sy + y}, HEADLESS_LEFT_BUTTON, {0}}};
    ULONGLONG t = 0;
    for (const POINT& m : moves) {
      script.push_back({t += 10, {sx + m.x, sy + m.y}, HEADLESS_LEFT_BUTTON, {0}});
    }
    ASSERT_TRUE(LoadHeadlessInput(script.data(), script.size(), 0));
    VEvent down(x, y, 0, false, false, false, false, false, clicks, 0);
    root_->DispatchMouse(down);
    UnloadHeadlessInput();
  }
  VPaneGrid* grid_ = nullptr;
};

TEST_F(Grid, RowsAndColumnsAreInsertedBetweenDividers) {
  EXPECT_EQ(Panes(), (std::vector<Box>{{0, 0, 300, 200}}));
  ASSERT_TRUE(grid_->InsertRowOrColumn(true, 1, 80, false, 0));
  EXPECT_EQ(Panes(), (std::vector<Box>{{0, 0, 300, 80}, {0, 85, 300, 115}}));
  ASSERT_TRUE(grid_->InsertRowOrColumn(false, 1, 100, false, 0));
  EXPECT_EQ(Panes(),
            (std::vector<Box>{
                {0, 0, 100, 80}, {105, 0, 195, 80}, {0, 85, 100, 115}, {105, 85, 195, 115}}));
  // The second row split again: a third row between.
  ASSERT_TRUE(grid_->InsertRowOrColumn(true, 2, 50, false, 0));
  EXPECT_EQ(grid_->GetRowCount(), 3);
  EXPECT_EQ(BoxOf(grid_->GetPaneAt(2, 2)), (Box{105, 85, 195, 50}));
  EXPECT_EQ(BoxOf(grid_->GetPaneAt(3, 1)), (Box{0, 140, 100, 60}));
  // Each pane its own content; the new ones go on where the old end.
  EXPECT_NE(grid_->GetPaneAt(3, 2)->GetContentView(0), doc_);
  EXPECT_EQ(grid_->GetPaneAt(2, 1)->GetContentView(0)->GetScrollY(), 85);
  EXPECT_EQ(grid_->GetPaneAt(1, 2)->GetContentView(0)->GetScrollX(), 105);
  // Resizing the grid gives the room to the last row and column.
  grid_->ResizeTo(400, 260, 1);
  EXPECT_EQ(BoxOf(grid_->GetPaneAt(3, 2)), (Box{105, 140, 295, 120}));
}

TEST_F(Grid, InsertsThatDoNotFitAreRefused) {
  const struct {
    bool row;
    int32_t index, position, minimum;
    bool inserted;
  } cases[] = {
      {true, 1, -1, -1, false},  {true, 1, 196, -1, false}, {true, 1, 195, -1, true},
      {true, 2, 10, -1, false},  {true, 0, 10, -1, false},  {false, 1, 150, 150, false},
      {false, 1, 10, 100, true}, {true, 1, 0, -1, true},
  };
  for (const auto& c : cases) {
    TearDown();
    SetUp();
    grid_->GetPaneAt(1, 1)->SetMinimumPaneSize(c.minimum, c.minimum);
    EXPECT_EQ(grid_->InsertRowOrColumn(c.row, c.index, c.position, true, 0), c.inserted)
        << c.row << " " << c.index << " " << c.position;
    EXPECT_EQ(grid_->GetPanes().size(), c.inserted ? 2u : 1u);
    if (c.inserted && c.minimum != -1) {
      // Both sides keep the minimum.
      EXPECT_EQ(BoxOf(grid_->GetPaneAt(1, 1)).w, 100);
      EXPECT_EQ(BoxOf(grid_->GetPaneAt(1, 2)).w, 195);
    }
  }
}

TEST_F(Grid, RemovingGivesTheRoomToTheNeighbour) {
  ASSERT_TRUE(grid_->InsertRowOrColumn(true, 1, 60, false, 0));
  ASSERT_TRUE(grid_->InsertRowOrColumn(true, 2, 60, false, 0));  // rows 0-60, 65-125, 130-200
  grid_->RemoveRowOrColumn(true, 2);
  EXPECT_EQ(Panes(), (std::vector<Box>{{0, 0, 300, 60}, {0, 65, 300, 135}}));
  grid_->RemoveRowOrColumn(true, 2);
  EXPECT_EQ(Panes(), (std::vector<Box>{{0, 0, 300, 200}}));
  // The last row stays; bad indexes change nothing.
  grid_->RemoveRowOrColumn(true, 1);
  grid_->RemoveRowOrColumn(false, 3);
  EXPECT_EQ(Panes(), (std::vector<Box>{{0, 0, 300, 200}}));
  EXPECT_EQ(grid_->GetPaneAt(1, 1)->GetContentView(0), doc_);
}

TEST_F(Grid, DividerDragsMoveOrRemove) {
  // Row divider at y 100 (rows 0-100 and 105-200).
  const struct {
    int32_t distance;
    std::vector<Box> panes;
  } cases[] = {
      {30, {{0, 0, 300, 130}, {0, 135, 300, 65}}},
      {-100, {{0, 0, 300, 0}, {0, 5, 300, 195}}},
      {-101, {{0, 0, 300, 200}}},
      {95, {{0, 0, 300, 195}, {0, 200, 300, 0}}},
      {96, {{0, 0, 300, 200}}},
  };
  for (const auto& c : cases) {
    TearDown();
    SetUp();
    ASSERT_TRUE(grid_->InsertRowOrColumn(true, 1, 100, false, 0));
    Drag(150, 102, {POINT{150, 102 + c.distance}});
    EXPECT_EQ(Panes(), c.panes) << c.distance;
  }
}

TEST_F(Grid, DoubleClicksRemoveAndLockedDividersStay) {
  ASSERT_TRUE(grid_->InsertRowOrColumn(false, 1, 100, false, 0));
  VScrolledView* right = grid_->GetPaneAt(1, 2)->GetContentView(0);
  grid_->SetLastDividersLocked(false, true);
  Drag(102, 50, {POINT{150, 50}});
  Drag(102, 50, {}, 2);
  EXPECT_EQ(grid_->GetColumnCount(), 2);
  grid_->SetLastDividersLocked(false, false);
  Drag(102, 50, {}, 2);
  ASSERT_EQ(grid_->GetColumnCount(), 1);
  EXPECT_EQ(grid_->GetPaneAt(1, 1)->GetContentView(0), right);
  EXPECT_EQ(BoxOf(grid_->GetPaneAt(1, 1)), (Box{0, 0, 300, 200}));
}

TEST_F(Grid, SplitBoxesInsertRowsAndColumns) {
  // The pane's vertical box is at (284, 0), its horizontal one at (0, 184).
  Drag(290, 2, {POINT{290, 7}});
  EXPECT_EQ(grid_->GetRowCount(), 1);
  Drag(290, 2, {POINT{290, 72}});
  EXPECT_EQ(grid_->GetRowCount(), 2);
  EXPECT_EQ(BoxOf(grid_->GetPaneAt(1, 1)).h, 70);
  Drag(2, 60, {POINT{2, 60}});    // a press that does not move inserts nothing
  Drag(2, 56, {POINT{122, 56}});  // the first row's box is at (0, 54)
  EXPECT_EQ(grid_->GetColumnCount(), 2);
  EXPECT_EQ(BoxOf(grid_->GetPaneAt(2, 1)).w, 120);
}

TEST_F(Grid, PanesOfARowScrollAcrossAndOfAColumnUpAndDown) {
  ASSERT_TRUE(grid_->InsertRowOrColumn(true, 1, 100, false, 0));
  ASSERT_TRUE(grid_->InsertRowOrColumn(false, 1, 150, false, 0));
  auto scroll = [this](int r, int c) {
    VScrolledView* v = grid_->GetPaneAt(r, c)->GetContentView(0);
    return std::pair{v->GetScrollX(), v->GetScrollY()};
  };
  const auto before = std::vector{scroll(1, 1), scroll(1, 2), scroll(2, 1), scroll(2, 2)};
  grid_->GetPaneAt(1, 1)->NotifyParent(nullptr, kMsgScrollHorizontally, 20);
  grid_->GetPaneAt(1, 1)->NotifyParent(nullptr, kMsgScrollVertically, 30);
  EXPECT_EQ(scroll(1, 1), (std::pair{before[0].first + 20, before[0].second + 30}));
  EXPECT_EQ(scroll(1, 2), (std::pair{before[1].first + 20, before[1].second}));
  EXPECT_EQ(scroll(2, 1), (std::pair{before[2].first, before[2].second + 30}));
  EXPECT_EQ(scroll(2, 2), before[3]);
}

TEST_F(Grid, DividersDrawAndShowTheirCursors) {
  ASSERT_TRUE(grid_->InsertRowOrColumn(true, 1, 100, false, 0));
  ASSERT_TRUE(grid_->InsertRowOrColumn(false, 1, 150, false, 0));
  VPaneGridDividers* d = grid_->GetDividers();
  const struct {
    int32_t x, y, divider, cursor;
  } cases[] = {{10, 101, -1, 9011}, {152, 20, 1, 9010}, {10, 20, 0, 0}, {152, 104, -1, 9011}};
  for (const auto& c : cases) {
    EXPECT_EQ(d->DividerAt(c.x, c.y), c.divider) << c.x << "," << c.y;
    VEvent e(c.x, c.y, 0, false, false, false, false, false, 0, 0);
    EXPECT_EQ(d->GetCursorIdAt(e), c.cursor);
    EXPECT_EQ(d->ContainsLocal(VPoint(c.x, c.y)), c.divider != 0);
  }
  grid_->Invalidate(2);
  const COLORREF face = RGB(16 * 9, 100, 90);
  EXPECT_EQ(Pixel(10, 101), face);
  EXPECT_EQ(Pixel(10, 104), RGB(0, 0, 0));
  EXPECT_EQ(Pixel(151, 20), face);
  EXPECT_EQ(Pixel(154, 20), RGB(0, 0, 0));
  grid_->SetDividerThickness(3);
  grid_->Invalidate(2);
  EXPECT_EQ(Pixel(10, 101), RGB(0, 0, 0));
  EXPECT_EQ(BoxOf(grid_->GetPaneAt(2, 1)).y, 103);
}

TEST_F(Grid, FocusedContentIsFoundInAnyPane) {
  ASSERT_TRUE(grid_->InsertRowOrColumn(true, 1, 100, false, 0));
  VScrolledView* lower = grid_->GetPaneAt(2, 1)->GetContentView(0);
  EXPECT_EQ(grid_->GetPaneAt(1, 1)->GetContentView(1), nullptr);
  lower->TakeFocus();
  VFrame* found = nullptr;
  EXPECT_TRUE(
      grid_->NotifyParent(grid_, kMsgGetFocusedContent, reinterpret_cast<intptr_t>(&found)));
  EXPECT_EQ(found, lower);
}

}  // namespace
