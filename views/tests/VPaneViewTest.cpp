// Split panes: corner sizes, the leaf's layout with bands, corners, bars
// and boxes, the branch's proportional layout, splitting, joining, moving
// the bar, the focus and the messages that reach every leaf.
#include <string>
#include <vector>

#include "framework/core/containers/VArrayListOf.h"
#include "views/tests/PaneTestSupport.h"

namespace {

TEST(PaneCorners, SizeByModeAndNeighbouringBands) {
  const struct {
    uint8_t mode;
    int32_t a, b, w, h;
  } cases[] = {
      {0, 0, 30, 0, 0},   {0, 20, 0, 20, 20},  {0, 20, 30, 30, 20}, {1, 20, 0, 0, 0},
      {1, 0, 30, 30, 30}, {1, 20, 30, 30, 20}, {2, 20, 0, 20, 20},  {2, 20, 30, 0, 0},
      {3, 0, 30, 30, 30}, {3, 20, 30, 0, 0},   {4, 0, 0, 0, 0},     {4, 20, 30, 30, 20},
      {4, 20, 0, 20, 20}, {4, 0, 30, 30, 30},  {5, 20, 0, 0, 0},    {5, 20, 30, 30, 20},
      {6, 20, 30, 0, 0},  {255, 20, 30, 0, 0},
  };
  for (const auto& c : cases) {
    int32_t w = -1, h = -1;
    VPaneView::CornerSize(c.mode, c.a, c.b, w, h);
    EXPECT_EQ((std::pair{w, h}), (std::pair{c.w, c.h})) << int{c.mode} << " " << c.a << " " << c.b;
  }
}

class Panes : public PaneTest {};

TEST_F(Panes, LeafPlacesContentBandsCornerBarsAndBoxes) {
  VPaneView* pane = Make(300, 200);
  auto* top = new RulerView(root_, 10, 20);
  auto* left = new RulerView(root_, 30, 10);
  auto* corner = new VFrame(root_, nullptr);
  pane->SetTopView(top, false);
  pane->SetLeftView(left, false);
  pane->SetTopLeftView(corner, false);
  pane->SetTopLeftMode(0);
  doc_->ScrollTo(40, 70, false, 0);
  pane->Layout(1);
  EXPECT_EQ(BoxOf(doc_), (Box{30, 20, 254, 164}));
  EXPECT_EQ(BoxOf(pane->GetVerticalSplitBox()), (Box{284, 0, 16, 5}));
  EXPECT_EQ(BoxOf(pane->GetVerticalBar()), (Box{284, 5, 16, 180}));
  EXPECT_EQ(BoxOf(pane->GetHorizontalSplitBox()), (Box{0, 184, 5, 16}));
  EXPECT_EQ(BoxOf(pane->GetHorizontalBar()), (Box{5, 184, 280, 16}));
  EXPECT_EQ(BoxOf(corner), (Box{0, 0, 30, 20}));
  EXPECT_EQ(BoxOf(top), (Box{30, 0, 254, 20}));
  EXPECT_EQ(BoxOf(left), (Box{0, 20, 30, 164}));
  // The bands follow the content's scroll on their own axis.
  EXPECT_EQ(top->GetScrollX(), 40);
  EXPECT_EQ(top->GetContentWidth(), 1000);
  EXPECT_EQ(left->GetScrollY(), 70);
  EXPECT_EQ(left->GetContentHeight(), 1000);
  EXPECT_EQ(pane->GetVerticalBar()->GetValue(), 70);
  EXPECT_EQ(pane->GetVerticalBar()->GetMaximum(), 1000 - 164);

  // Without the left band the corner of mode 0 is square and the top band
  // starts after it; mode 5 hides it and the band starts at 0.
  pane->ShowLeftView(false, true);
  EXPECT_FALSE(pane->IsLeftViewShown());
  EXPECT_EQ(BoxOf(corner), (Box{0, 0, 20, 20}));
  EXPECT_EQ(BoxOf(top), (Box{20, 0, 264, 20}));
  EXPECT_EQ(BoxOf(doc_), (Box{0, 20, 284, 164}));
  pane->SetTopLeftMode(5);
  EXPECT_EQ(BoxOf(corner), kHidden);
  EXPECT_EQ(BoxOf(top), (Box{0, 0, 284, 20}));
  // Modes above 5 are laid out as hidden.
  pane->ShowLeftView(true, false);
  pane->SetTopLeftMode(9);
  EXPECT_EQ(BoxOf(corner), kHidden);
  EXPECT_EQ(BoxOf(top), (Box{30, 0, 254, 20}));

  // Detaching leaves the view a sub-frame of the pane, out of the layout.
  EXPECT_EQ(pane->DetachTopView(true), top);
  EXPECT_EQ(pane->GetTopView(), nullptr);
  EXPECT_EQ(top->GetParent(), pane);
  EXPECT_EQ(BoxOf(doc_), (Box{30, 0, 254, 184}));
}

TEST_F(Panes, BottomAndRightBandsWithTheOtherThreeCorners) {
  VPaneView* pane = Make(300, 200);
  auto* bottom = new RulerView(root_, 10, 10);
  auto* right = new RulerView(root_, 12, 10);
  VFrame* corners[3];
  for (VFrame*& c : corners) c = new VFrame(root_, nullptr);
  pane->SetBottomView(bottom, false);
  pane->SetRightView(right, false);
  pane->SetTopRightView(corners[0], false);
  pane->SetBottomLeftView(corners[1], false);
  pane->SetBottomRightView(corners[2], false);
  pane->SetTopRightMode(4);
  pane->SetBottomLeftMode(4);
  pane->SetBottomRightMode(4);
  EXPECT_EQ(BoxOf(doc_), (Box{0, 0, 272, 174}));
  EXPECT_EQ(BoxOf(bottom), (Box{10, 174, 262, 10}));
  EXPECT_EQ(BoxOf(right), (Box{272, 12, 12, 162}));
  EXPECT_EQ(BoxOf(corners[0]), (Box{272, 0, 12, 12}));
  EXPECT_EQ(BoxOf(corners[1]), (Box{0, 174, 10, 10}));
  EXPECT_EQ(BoxOf(corners[2]), (Box{272, 174, 12, 10}));
  EXPECT_EQ(right->GetContentHeight(), 1000);
}

TEST_F(Panes, BarViewsSitBesideTheBarsAndHideWithoutThem) {
  VPaneView* pane = Make(300, 200);
  auto* hv = new VFrame(root_, nullptr);
  auto* vv = new VFrame(root_, nullptr);
  auto* bc = new VFrame(root_, nullptr);
  hv->ResizeTo(40, 3, 0);
  vv->ResizeTo(3, 30, 0);
  pane->SetHorizontalBarView(hv, false);
  pane->SetVerticalBarView(vv, false);
  pane->SetBarCornerView(bc, true);
  EXPECT_EQ(BoxOf(vv), (Box{284, 0, 16, 30}));
  EXPECT_EQ(BoxOf(pane->GetVerticalSplitBox()), (Box{284, 30, 16, 5}));
  EXPECT_EQ(BoxOf(pane->GetVerticalBar()), (Box{284, 35, 16, 150}));
  EXPECT_EQ(BoxOf(hv), (Box{0, 184, 40, 16}));
  EXPECT_EQ(BoxOf(pane->GetHorizontalSplitBox()), (Box{40, 184, 5, 16}));
  EXPECT_EQ(BoxOf(pane->GetHorizontalBar()), (Box{45, 184, 240, 16}));
  EXPECT_EQ(BoxOf(bc), (Box{284, 184, 16, 16}));
  // Removing the horizontal bar takes its box; the box comes back with it.
  pane->SetHorizontalBar(false, true);
  EXPECT_EQ(pane->GetHorizontalSplitBox(), nullptr);
  EXPECT_TRUE(pane->IsHorizontalSplitBoxWanted());
  EXPECT_EQ(BoxOf(hv), kHidden);
  EXPECT_EQ(BoxOf(bc), kHidden);
  EXPECT_EQ(BoxOf(doc_), (Box{0, 0, 284, 200}));
  // Hiding took the bar view's width; it is given back by its owner.
  hv->ResizeTo(40, 3, 0);
  pane->SetHorizontalBar(true, true);
  ASSERT_NE(pane->GetHorizontalSplitBox(), nullptr);
  EXPECT_EQ(BoxOf(pane->GetHorizontalSplitBox()), (Box{40, 184, 5, 16}));
  pane->SetHorizontalSplitBox(false, true);
  EXPECT_EQ(pane->GetHorizontalSplitBox(), nullptr);
  EXPECT_EQ(BoxOf(pane->GetHorizontalBar()), (Box{40, 184, 245, 16}));
}

TEST_F(Panes, LeafWithoutContentIsLeftAloneAndCannotSplit) {
  auto* pane = new VPaneView(root_, true, true, true, true);
  pane->ResizeTo(300, 200, 0);
  const Box bar = BoxOf(pane->GetVerticalBar());
  ValidateRect(window_, nullptr);
  pane->Layout(1);
  EXPECT_EQ(BoxOf(pane->GetVerticalBar()), bar);
  EXPECT_FALSE(Invalid(150, 100));
  EXPECT_FALSE(pane->Split(1, 50));
  EXPECT_FALSE(pane->IsSplit());
}

TEST_F(Panes, SplitPlacesBarAndChildrenAndScrollsTheClone) {
  const struct {
    uint8_t orientation;
    int32_t size, minimum, position;
    bool splits;
    int32_t bar;  // where the bar goes
  } cases[] = {
      {1, 300, -1, 50, true, 50},    {0, 300, -1, 50, true, 50},    {1, 160, 80, 50, false, 0},
      {1, 200, 80, 20, true, 80},    {1, 200, 80, 150, true, 115},  {0, 200, 80, 150, true, 115},
      {1, 300, -1, -1, false, 0},    {1, 300, -1, 0, true, 0},      {1, 300, -1, 295, true, 295},
      {1, 300, -1, 5000, true, 295}, {0, 300, -1, 5000, true, 295}, {1, 4, -1, 2, false, 0},
  };
  for (const auto& c : cases) {
    const bool stacked = c.orientation == 1;
    VPaneView* pane = Make(stacked ? 240 : c.size, stacked ? c.size : 240);
    pane->SetMinimumPaneSize(c.minimum, c.minimum);
    const std::string label = std::to_string(c.orientation) + " " + std::to_string(c.size) + " " +
                              std::to_string(c.position);
    ASSERT_EQ(pane->Split(c.orientation, c.position), c.splits) << label;
    if (!c.splits) {
      EXPECT_EQ(pane->GetContentView(0), doc_) << label;
      delete pane;
      continue;
    }
    VPaneView* first = pane->GetFirstChild();
    VPaneView* second = pane->GetSecondChild();
    const int32_t rest = c.size - c.bar - 5;
    if (stacked) {
      EXPECT_EQ(BoxOf(pane->GetSplitterBar()), (Box{0, c.bar, 240, 5})) << label;
      EXPECT_EQ(BoxOf(first), (Box{0, 0, 240, c.bar})) << label;
      EXPECT_EQ(BoxOf(second), (Box{0, c.bar + 5, 240, rest})) << label;
    } else {
      EXPECT_EQ(BoxOf(pane->GetSplitterBar()), (Box{c.bar, 0, 5, 240})) << label;
      EXPECT_EQ(BoxOf(first), (Box{0, 0, c.bar, 240})) << label;
      EXPECT_EQ(BoxOf(second), (Box{c.bar + 5, 0, rest, 240})) << label;
    }
    // The first child took everything; the branch keeps nothing.
    EXPECT_EQ(first->GetContentView(0), doc_) << label;
    EXPECT_EQ(pane->GetContentView(0), doc_) << label;
    EXPECT_EQ(pane->GetVerticalBar(), nullptr);
    EXPECT_EQ(pane->GetHorizontalSplitBox(), nullptr);
    EXPECT_NE(first->GetVerticalBar(), nullptr);
    EXPECT_EQ(first->GetParentPane(), pane);
    EXPECT_EQ(second->GetParentPane(), pane);
    // The clone continues where the first pane ends, within the document.
    auto* clone = dynamic_cast<DocView*>(second->GetContentView(0));
    ASSERT_NE(clone, nullptr) << label;
    EXPECT_NE(clone, doc_);
    const int32_t scroll = stacked ? clone->GetScrollY() : clone->GetScrollX();
    const int32_t view = stacked ? clone->GetHeight() : clone->GetWidth();
    EXPECT_EQ(scroll, std::max(0, std::min(c.bar, 1000 - view))) << label;
    EXPECT_GE(second->GetWidth(), 0);
    EXPECT_GE(second->GetHeight(), 0);
    EXPECT_FALSE(pane->Split(c.orientation, 10)) << "a branch splits no more";
    delete pane;
  }
}

TEST_F(Panes, BranchSharesNewRoomByProportion) {
  const struct {
    int32_t height, first, second;
  } cases[] = {{405, 132, 268}, {205, 68, 132}, {305, 100, 200}};
  for (const auto& c : cases) {
    VPaneView* pane = Make(240, 305);
    ASSERT_TRUE(pane->Split(1, 100));
    pane->ResizeTo(240, c.height, 1);
    EXPECT_EQ(BoxOf(pane->GetFirstChild()), (Box{0, 0, 240, c.first})) << c.height;
    EXPECT_EQ(BoxOf(pane->GetSplitterBar()), (Box{0, c.first, 240, 5})) << c.height;
    EXPECT_EQ(BoxOf(pane->GetSecondChild()), (Box{0, c.first + 5, 240, c.second})) << c.height;
    // Each child laid out its own content again.
    EXPECT_EQ(pane->GetSecondChild()->GetContentView(0)->GetHeight(), c.second - 16);
    delete pane;
  }
}

TEST_F(Panes, SplitBoxShowsOnlyWhenTwoPanesOfTheMinimumFit) {
  const struct {
    int32_t height;
    bool shown;
  } cases[] = {{162, true}, {160, false}, {161, false}};
  for (const auto& c : cases) {
    VPaneView* pane = Make(240, c.height);
    pane->SetMinimumPaneSize(-1, 80);
    pane->Layout(1);
    if (c.shown) {
      EXPECT_EQ(BoxOf(pane->GetVerticalSplitBox()), (Box{224, 0, 16, 5})) << c.height;
      EXPECT_EQ(BoxOf(pane->GetVerticalBar()).y, 5);
    } else {
      EXPECT_EQ(BoxOf(pane->GetVerticalSplitBox()), kHidden) << c.height;
      EXPECT_EQ(BoxOf(pane->GetVerticalBar()).y, 0);
    }
    delete pane;
  }
}

TEST_F(Panes, MoveSplitterKeepsTheMinimumSize) {
  const struct {
    int32_t minimum, delta, bar;
  } cases[] = {{80, -50, 80},  {80, 50, 150},   {80, 1000, 215}, {-1, -50, 50},
               {-1, 30, 130}, {-1, 1000, 295}, {-1, -500, 0}};
  for (const auto& c : cases) {
    VPaneView* pane = Make(240, 300);
    ASSERT_TRUE(pane->Split(1, 100));
    pane->SetMinimumPaneSize(-1, c.minimum);
    pane->MoveSplitter(c.delta);
    EXPECT_EQ(BoxOf(pane->GetSplitterBar()), (Box{0, c.bar, 240, 5})) << c.delta;
    EXPECT_EQ(pane->GetFirstChild()->GetHeight(), c.bar);
    EXPECT_EQ(BoxOf(pane->GetSecondChild()), (Box{0, c.bar + 5, 240, 295 - c.bar}));
    delete pane;
  }
  // On a leaf nothing moves and nothing joins.
  VPaneView* leaf = Make(240, 300);
  leaf->MoveSplitter(20);
  leaf->Unsplit(true);
  leaf->DragSplitterBy(-500);
  EXPECT_FALSE(leaf->IsSplit());
  EXPECT_EQ(BoxOf(doc_), (Box{0, 0, 224, 284}));
}

TEST_F(Panes, JoiningKeepsOneSubtreeAndGivesTheFocusBack) {
  VPaneView* pane = Make(300, 300);
  ASSERT_TRUE(pane->Split(1, 100));
  VPaneView* second = pane->GetSecondChild();
  ASSERT_TRUE(second->Split(0, 100));
  auto* clone = pane->GetSecondChild()->GetFirstChild()->GetContentView(0);
  clone->TakeFocus();
  EXPECT_EQ(pane->GetContentView(1), clone);
  EXPECT_EQ(pane->GetContentView(0), doc_);

  // Removing the top pane lifts the side-by-side branch into the root.
  pane->Unsplit(true);
  EXPECT_TRUE(pane->IsSplit());
  EXPECT_EQ(pane->GetOrientation(), VPaneView::kSideBySide);
  EXPECT_EQ(BoxOf(pane->GetSplitterBar()).x, 100);
  EXPECT_EQ(BoxOf(pane->GetSplitterBar()).h, 300);
  EXPECT_EQ(pane->GetFirstChild()->GetParentPane(), pane);
  EXPECT_EQ(pane->GetContentView(0), clone);
  EXPECT_EQ(root_->GetFocusFrame(), clone);

  // Removing the focused pane hands the focus to the kept leaf's content.
  VScrolledView* right = pane->GetSecondChild()->GetContentView(0);
  pane->Unsplit(true);
  EXPECT_FALSE(pane->IsSplit());
  EXPECT_EQ(pane->GetContentView(0), right);
  EXPECT_EQ(root_->GetFocusFrame(), right);
  EXPECT_EQ(pane->GetContentView(1), right);
  EXPECT_EQ(BoxOf(right), (Box{0, 0, 284, 284}));
  EXPECT_NE(pane->GetVerticalSplitBox(), nullptr);
  EXPECT_EQ(pane->GetSubFrames().size(), 5u);
}

TEST_F(Panes, SplitKeepsTheFocusOnTheContent) {
  VPaneView* pane = Make(300, 300);
  doc_->TakeFocus();
  ASSERT_TRUE(pane->Split(1, 100));
  EXPECT_EQ(root_->GetFocusFrame(), doc_);
  EXPECT_EQ(pane->GetContentView(1), doc_);
}

TEST_F(Panes, ContentSizeChangeReachesEveryLeaf) {
  VPaneView* pane = Make(300, 300);
  ASSERT_TRUE(pane->Split(1, 100));
  ASSERT_TRUE(pane->GetSecondChild()->Split(0, 100));
  VArrayListOf<VPaneView*> leaves;
  pane->CollectLeaves(leaves);
  ASSERT_EQ(leaves.Count(), 3);
  std::vector<DocView*> docs;
  for (int32_t i = 1; i <= 3; ++i) {
    docs.push_back(dynamic_cast<DocView*>(leaves.GetAt(i)->GetContentView(0)));
    ASSERT_NE(docs.back(), nullptr);
  }
  EXPECT_EQ(docs[0], doc_);
  for (DocView* d : docs) d->layouts = 0;
  docs[2]->SetContentSize(1000, 2000, true, 0);
  for (DocView* d : docs) EXPECT_EQ(d->layouts, 1);
  EXPECT_EQ(leaves.GetAt(3)->GetVerticalBar()->GetMaximum(), 2000 - docs[2]->GetHeight());
  // Edge tests against the root pane.
  EXPECT_TRUE(leaves.GetAt(1)->IsTopLeftPane());
  EXPECT_TRUE(leaves.GetAt(1)->IsTopRightPane());
  EXPECT_TRUE(leaves.GetAt(2)->IsBottomLeftPane());
  EXPECT_FALSE(leaves.GetAt(2)->IsBottomRightPane());
  EXPECT_TRUE(leaves.GetAt(3)->IsBottomRightPane());
  EXPECT_FALSE(pane->IsAtTopEdge());
}

}  // namespace
