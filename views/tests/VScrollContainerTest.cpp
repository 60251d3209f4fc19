// Scroll containers: where the content view and the bars go, the bars'
// numbers, steps kept in range, the scroll messages, and scrolling by moving
// pixels giving the very pixels of a full redraw.
#include <array>

#include "views/VScrollContainer.h"
#include "views/tests/ScrollTestSupport.h"
#include "graphics/VLookPainter.h"
#include "graphics/VPort.h"
#include "graphics/VRegion.h"
#include "graphics/VShape.h"

namespace {

// Bars 16 pixels thick; every element a plain box whose colour tells its
// kind and state, so that a bar's thumb shows in the pixels.
class BoxLook : public VLookPainter {
 public:
  bool DrawElement(VPort& port, int32_t kind, int32_t state, int32_t x, int32_t y, int32_t w,
                   int32_t h, const VString*, int32_t) override {
    port.SetFillPatternIndex(6);
    port.SetFillColorRGB(static_cast<uint8_t>(kind * 9), static_cast<uint8_t>(state * 40), 90);
    port.PaintRect(x, y, w, h);
    return true;
  }
  COLORREF GetColor(int32_t index) override { return RGB(index, 200, 200); }
  bool GetFont(HDC, int32_t, VString&, int16_t&, uint8_t&, uint8_t&) override { return false; }
  int32_t GetMetric(int32_t id) override {
    const int32_t metrics[] = {1, 0, 16, 10, 0};
    return id >= 0 && id < 5 ? metrics[id] : 0;
  }
};

// A 600 x 600 content of 10-pixel cells, each its own colour. With
// `movesPixels` a scroll moves the pixels on the screen and draws only the
// uncovered strip.
class CellView : public VScrolledView {
 public:
  explicit CellView(VFrame* parent) : VScrolledView(parent) {}
  void DrawContent(VPort& port) override {
    if (!inScroll) ++wholeDraws;
    port.SetFillPatternIndex(6);
    for (int cy = 0; cy < 60; ++cy) {
      for (int cx = 0; cx < 60; ++cx) {
        port.SetFillColorRGB(static_cast<uint8_t>(cx * 4), static_cast<uint8_t>(cy * 4), 30);
        port.PaintRect(cx * 10, cy * 10, 10, 10);
      }
    }
  }
  void ScrollBy(VPort* port, int32_t dx, int32_t dy) override {
    if (!movesPixels) {
      VScrolledView::ScrollBy(port, dx, dy);
      return;
    }
    VRegion uncovered;
    VFrame::ScrollPixels(-dx, -dy, uncovered);
    VScrolledView::ScrollBy(port, dx, dy);
    const VRect strip(uncovered.GetLeft() + GetScrollX(), uncovered.GetTop() + GetScrollY(),
                      uncovered.GetWidth(), uncovered.GetHeight());
    redrawnArea += strip.GetWidth() * strip.GetHeight();
    port->PushClip(false);
    port->ClipToFrame(this, &strip, true);
    inScroll = true;
    DrawContent(*port);
    inScroll = false;
    port->PopClip();
    port->CopyRectToScreen(strip, true);
    SetDrawsParentBehind(false);
  }
  bool movesPixels = false;
  int32_t redrawnArea = 0;
  bool inScroll = false;
  int32_t wholeDraws = 0;
};

struct Box {
  int32_t x, y, w, h;
  bool operator==(const Box&) const = default;
};

Box BoxOf(const VFrame* f) {
  Box b{};
  f->GetPosition(b.x, b.y);
  b.w = f->GetWidth();
  b.h = f->GetHeight();
  return b;
}

class Containers : public HeadlessWindowTest {
 protected:
  void SetUp() override {
    HeadlessWindowTest::SetUp();
    for (int i = 0; i < kLookPainterCount; ++i) {
      saved_[i] = gLookPainters[i];
      gLookPainters[i] = &look_;
    }
    // The bars take their thickness from the look they inherit.
    root_->SetLookIndex(2);
  }
  void TearDown() override {
    HeadlessWindowTest::TearDown();
    for (int i = 0; i < kLookPainterCount; ++i) gLookPainters[i] = saved_[i];
  }
  // A container filling the 200 x 200 window with a cell view of the size.
  VScrollContainer* Make(bool vertical, bool horizontal, int32_t cw, int32_t ch) {
    auto* c = new VScrollContainer(root_, vertical, horizontal);
    c->ResizeTo(200, 200, 0);
    cells_ = new CellView(c);
    cells_->SetContentSize(cw, ch, false, 0);
    c->SetContentView(cells_, true);
    return c;
  }
  std::vector<COLORREF> Snapshot() {
    std::vector<COLORREF> pixels;
    HDC dc = GetDC(window_);
    for (int y = 0; y < 200; ++y) {
      for (int x = 0; x < 200; ++x) pixels.push_back(GetPixel(dc, x, y));
    }
    ReleaseDC(window_, dc);
    return pixels;
  }
  BoxLook look_;
  std::array<VLookPainter*, kLookPainterCount> saved_{};
  CellView* cells_ = nullptr;
};

TEST_F(Containers, LaysOutContentAndBarsWithOverlapAndGrowBoxCorner) {
  struct Case {
    bool vertical, horizontal, growBox;
    Box content, vbar, hbar;
  };
  const Case cases[] = {
      // Both bars overlap by one pixel; the corner square stays free.
      {true, true, false, {0, 0, 184, 184}, {184, 0, 16, 185}, {0, 184, 185, 16}},
      {true, false, false, {0, 0, 184, 200}, {184, 0, 16, 200}, {}},
      {false, true, false, {0, 0, 200, 184}, {}, {0, 184, 200, 16}},
      {false, false, false, {0, 0, 200, 200}, {}, {}},
      // Equal thicknesses in the grow-box corner: nothing changes.
      {true, true, true, {0, 0, 184, 184}, {184, 0, 16, 185}, {0, 184, 185, 16}},
      // One bar in the grow-box corner is shortened by the box.
      {true, false, true, {0, 0, 184, 200}, {184, 0, 16, 184}, {}},
      {false, true, true, {0, 0, 200, 184}, {}, {0, 184, 184, 16}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(std::to_string(k.vertical) + std::to_string(k.horizontal) +
                 std::to_string(k.growBox));
    root_->SetGrowBox(k.growBox);
    VScrollContainer* c = Make(k.vertical, k.horizontal, 600, 600);
    EXPECT_EQ(c->IsInGrowBoxCorner(), k.growBox);
    EXPECT_EQ(BoxOf(cells_), k.content);
    ASSERT_EQ(c->GetVerticalBar() != nullptr, k.vertical);
    ASSERT_EQ(c->GetHorizontalBar() != nullptr, k.horizontal);
    if (k.vertical) {
      EXPECT_EQ(BoxOf(c->GetVerticalBar()), k.vbar);
      EXPECT_TRUE(c->GetVerticalBar()->IsActive());
      EXPECT_EQ(c->GetVerticalBar()->GetMaximum(), 600 - k.content.h);
      EXPECT_EQ(c->GetVerticalBar()->GetPageSize(), k.content.h);
    }
    if (k.horizontal) {
      EXPECT_EQ(BoxOf(c->GetHorizontalBar()), k.hbar);
      EXPECT_EQ(c->GetHorizontalBar()->GetMaximum(), 600 - k.content.w);
    }
    c->Close();
    delete c;
  }
}

TEST_F(Containers, ContentSmallerThanTheViewLeavesBarsInactive) {
  VScrollContainer* c = Make(true, true, 100, 600);
  EXPECT_FALSE(c->GetHorizontalBar()->IsActive());
  EXPECT_TRUE(c->GetVerticalBar()->IsActive());
  // No step fits: bars and content stay.
  EXPECT_TRUE(c->NotifyParent(cells_, kMsgScrollHorizontally, 30));
  EXPECT_EQ(cells_->GetScrollX(), 0);
  EXPECT_EQ(c->GetHorizontalBar()->GetValue(), 0);
  // A container smaller than its bars gives an empty content, not a
  // negative one.
  c->ResizeTo(10, 10, 0);
  EXPECT_EQ(cells_->GetWidth(), 0);
  EXPECT_EQ(cells_->GetHeight(), 0);
}

TEST_F(Containers, StepsAreCutAtTheEndsAndTheBarsFollow) {
  VScrollContainer* c = Make(true, true, 600, 600);
  struct Step {
    int32_t message;
    intptr_t parameter;
    int32_t x, y;
  };
  const auto both = [](int16_t dx, int16_t dy) {
    return static_cast<intptr_t>((static_cast<uint32_t>(static_cast<uint16_t>(dx)) << 16) |
                                 static_cast<uint16_t>(dy));
  };
  const Step steps[] = {
      {kMsgScrollVertically, 50, 0, 50},
      {kMsgScrollHorizontally, 1000, 416, 50},  // cut at the end
      {kMsgScrollBothWays, both(-20, 20), 396, 70},
      {kMsgScrollBothWays, both(20, -100), 416, 0},
      {kMsgScrollVertically, -5, 416, 0},  // already at the start
  };
  for (const Step& s : steps) {
    EXPECT_TRUE(c->NotifyParent(cells_, s.message, s.parameter));
    EXPECT_EQ(cells_->GetScrollX(), s.x);
    EXPECT_EQ(cells_->GetScrollY(), s.y);
    EXPECT_EQ(c->GetHorizontalBar()->GetValue(), s.x);
    EXPECT_EQ(c->GetVerticalBar()->GetValue(), s.y);
  }
}

TEST_F(Containers, ResizeKeepsTheScrollPositionInRange) {
  VScrollContainer* c = Make(true, true, 600, 600);
  c->NotifyParent(cells_, kMsgScrollVertically, 416);
  c->NotifyParent(cells_, kMsgScrollHorizontally, 416);
  ASSERT_EQ(cells_->GetScrollY(), 416);
  c->ResizeTo(400, 300, 0);
  EXPECT_EQ(cells_->GetScrollX(), 600 - 384);
  EXPECT_EQ(cells_->GetScrollY(), 600 - 284);
  EXPECT_EQ(c->GetHorizontalBar()->GetValue(), 216);
  EXPECT_EQ(c->GetVerticalBar()->GetValue(), 316);
  // Growing past the content puts it back at the start, the bars inactive.
  c->ResizeTo(700, 700, 0);
  EXPECT_EQ(cells_->GetScrollX(), 0);
  EXPECT_EQ(cells_->GetScrollY(), 0);
  EXPECT_FALSE(c->GetVerticalBar()->IsActive());
}

TEST_F(Containers, OtherMessagesReachTheParentUnchangedAndAnOrphanAnswersNone) {
  StubOwner parent;
  auto* c = new VScrollContainer(&parent, true, false);
  EXPECT_TRUE(c->NotifyParent(c->GetVerticalBar(), 1234, 77));
  EXPECT_EQ(parent.log, std::vector<std::string>{"1234:77"});
  c->Close();
  delete c;
  auto* orphan = new VScrollContainer(nullptr, true, true);
  auto* content = new CellView(orphan);
  content->SetContentSize(600, 600, false, 0);
  orphan->SetContentView(content, true);
  EXPECT_FALSE(orphan->NotifyParent(content, kMsgScrollVertically, 20));
  EXPECT_EQ(content->GetScrollY(), 0);
  orphan->Close();
  delete orphan;
}

TEST_F(Containers, LiveDrawingEndsOnCloseAndReplacedViewsGo) {
  VScrollContainer* c = Make(true, true, 600, 600);
  c->NotifyParent(c->GetVerticalBar(), kMsgBarTrackingBegins, 0);
  ASSERT_TRUE(c->IsDrawingLive());
  c->DrawBarNow(c->GetVerticalBar());
  c->SetHorizontalBar(false, true);
  EXPECT_EQ(c->GetHorizontalBar(), nullptr);
  EXPECT_EQ(cells_->GetHeight(), 200);
  c->SetContentView(new CellView(c), true);
  EXPECT_NE(c->GetContentView(), cells_);
  c->Close();
  EXPECT_FALSE(c->IsDrawingLive());
  EXPECT_EQ(c->GetContentView(), nullptr);
  delete c;
}

// Each step, drawn at once, must leave the pixels a full redraw gives.
TEST_F(Containers, MovingPixelsAndRedrawingGiveTheRedrawnPixels) {
  // The area the content draws itself when it moves its pixels: the
  // uncovered strip, or all of it when the step is as large as the view.
  struct Step {
    int32_t message;
    intptr_t parameter;
    int32_t drawnArea;
  };
  const Step steps[] = {
      {kMsgScrollVertically, 7, 184 * 7},      {kMsgScrollHorizontally, 13, 184 * 13},
      {kMsgScrollVertically, -3, 184 * 3},     {kMsgScrollHorizontally, 1000, 184 * 184},
      {kMsgScrollVertically, 500, 184 * 184},  {kMsgScrollHorizontally, -40, 184 * 40},
      {kMsgScrollHorizontally, 0, 0},
  };
  for (const bool moving : {true, false}) {
    SCOPED_TRACE(moving ? "moving pixels" : "redrawing");
    VScrollContainer* c = Make(true, true, 600, 600);
    c->SetScrollsByMovingPixels(moving);
    cells_->movesPixels = moving;
    c->Invalidate(2);
    const std::vector<COLORREF> start = Snapshot();
    for (const Step& s : steps) {
      const int32_t before = cells_->redrawnArea;
      const int32_t wholeBefore = cells_->wholeDraws;
      c->NotifyParent(cells_, s.message, s.parameter);
      if (moving) {
        EXPECT_EQ(cells_->redrawnArea - before, s.drawnArea) << s.parameter;
        // Content that moved its own pixels is not drawn again whole; a
        // step of 0 moves nothing, so the content is drawn as it stands.
        EXPECT_EQ(cells_->wholeDraws - wholeBefore, s.parameter == 0 ? 1 : 0) << s.parameter;
      }
      const std::vector<COLORREF> scrolled = Snapshot();
      c->Invalidate(2);
      EXPECT_EQ(scrolled, Snapshot()) << s.message << " " << s.parameter;
    }
    EXPECT_NE(start, Snapshot());
    c->Close();
    delete c;
  }
}

}  // namespace
