// Split boxes, splitter bars and the splitter drag, scripted on the input
// timeline in a headless window: which drags split, move or join, the band
// in the not-xor checkerboard, the screen left as it was, the limits of the
// band, the cursors and the bar's drawing.
#include <string>
#include <vector>

#include <cstring>

#include "framework/system/environment/VCursor.h"
#include "framework/system/resources/VMacResourceFile.h"
#include "views/tests/PaneTestSupport.h"
#include "platform/toolbox/TbxCursor.h"
#include "platform/toolbox/TbxResources.h"

namespace {

// Notes the band after every move and samples the screen under the band
// at the first move.
class NotingDragger : public VSplitterDragger {
 public:
  using VSplitterDragger::VSplitterDragger;
  void TrackMove(VPort& port, VFrame* previous, VFrame* target, int32_t dx, int32_t dy) override {
    VSplitterDragger::TrackMove(port, previous, target, dx, dy);
    bands.push_back(GetBandPosition());
    if (onMove) onMove();
  }
  std::vector<int32_t> bands;
  std::function<void()> onMove;
};

class Splitters : public PaneTest {
 protected:
  // A 300 x 300 root pane at (0, 0) of the window holding a document with
  // a top ruler 20 high and a left ruler 30 wide.
  void SetUp() override {
    PaneTest::SetUp();
    pane_ = Make(300, 300);
    pane_->SetTopView(new RulerView(root_, 10, 20), false);
    pane_->SetLeftView(new RulerView(root_, 30, 10), true);
  }
  void TearDown() override {
    ResetHeadlessInput();
    PaneTest::TearDown();
  }
  // Presses at window point (x, y) with `clicks` and holds the button
  // through the moves (window points, 10 ms apart) until the script runs
  // out, which lets the button go.
  void Drag(int32_t x, int32_t y, const std::vector<POINT>& moves, int16_t clicks = 1) {
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
  std::vector<COLORREF> Screen() {
    std::vector<COLORREF> v;
    HDC dc = GetDC(window_);
    for (int y = 0; y < 300; ++y) {
      for (int x = 0; x < 300; ++x) v.push_back(GetPixel(dc, x, y));
    }
    ReleaseDC(window_, dc);
    return v;
  }
  // A fresh window and pane for the next case.
  void Reset() {
    TearDown();
    SetUp();
  }
  VPaneView* pane_ = nullptr;
};

TEST_F(Splitters, SplitBoxDragsSplitBeyondFivePixels) {
  // The vertical box is at (284, 0), the horizontal one at (0, 284).
  const struct {
    bool vertical;
    int32_t distance;
    bool splits;
    int32_t bar;
  } cases[] = {
      {true, 6, true, 6},
      {true, 5, false, 0},
      {true, -8, false, 0},
      {true, 100, true, 100},
      {false, 40, true, 40},
      {false, 5, false, 0},
      // Far past the pane: the position is held to the pane less the bar.
      {true, 2000, true, 295},
      {false, 70000, true, 295},
  };
  for (const auto& c : cases) {
    const int32_t x = c.vertical ? 290 : 2;
    const int32_t y = c.vertical ? 2 : 290;
    const POINT end = c.vertical ? POINT{x, y + c.distance} : POINT{x + c.distance, y};
    Drag(x, y, {POINT{x, y}, end});
    ASSERT_EQ(pane_->IsSplit(), c.splits) << c.vertical << " " << c.distance;
    if (c.splits) {
      const Box bar = BoxOf(pane_->GetSplitterBar());
      EXPECT_EQ(c.vertical ? bar.y : bar.x, c.bar) << c.distance;
      EXPECT_EQ(pane_->GetOrientation(), c.vertical ? 1 : 0);
      EXPECT_GE(BoxOf(pane_->GetSecondChild()).h, 0);
      EXPECT_GE(BoxOf(pane_->GetSecondChild()).w, 0);
      // Both panes carry the rulers.
      EXPECT_NE(pane_->GetSecondChild()->GetTopView(), nullptr);
      EXPECT_NE(pane_->GetSecondChild()->GetTopView(), pane_->GetFirstChild()->GetTopView());
    } else {
      EXPECT_EQ(BoxOf(doc_), (Box{30, 20, 254, 264}));
    }
    Reset();
  }
}

TEST_F(Splitters, SplitterDragsMoveOrJoin) {
  // A stacked split at 100: the bar covers y 100 to 105.
  const struct {
    int32_t distance;
    bool joined;
    bool keepsFirst;
    int32_t bar;
  } cases[] = {
      {30, false, false, 130},  {-84, false, false, 16}, {-85, true, false, 0},
      {179, false, false, 279}, {180, true, true, 0},    {0, false, false, 100},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(pane_->Split(1, 100));
    VScrolledView* second = pane_->GetSecondChild()->GetContentView(0);
    Drag(150, 102, {POINT{150, 102}, POINT{150, 102 + c.distance}});
    ASSERT_EQ(!pane_->IsSplit(), c.joined) << c.distance;
    if (c.joined) {
      EXPECT_EQ(pane_->GetContentView(0), c.keepsFirst ? doc_ : second) << c.distance;
      EXPECT_EQ(BoxOf(pane_->GetContentView(0)), (Box{30, 20, 254, 264}));
    } else {
      EXPECT_EQ(BoxOf(pane_->GetSplitterBar()), (Box{0, c.bar, 300, 5})) << c.distance;
    }
    Reset();
  }
}

TEST_F(Splitters, DoubleClickJoinsKeepingTheSecondPane) {
  for (uint8_t orientation : {1, 0}) {
    ASSERT_TRUE(pane_->Split(orientation, 120));
    VScrolledView* second = pane_->GetSecondChild()->GetContentView(0);
    const int32_t x = orientation == 1 ? 150 : 122;
    const int32_t y = orientation == 1 ? 122 : 150;
    // The double click's second press runs no drag: the script is not read.
    Drag(x, y, {POINT{x, y + 50}}, 2);
    EXPECT_FALSE(pane_->IsSplit());
    EXPECT_EQ(pane_->GetContentView(0), second);
    EXPECT_EQ(BoxOf(second), (Box{30, 20, 254, 264}));
    Reset();
  }
}

TEST_F(Splitters, BandIsACheckerboardAndLeavesTheScreenAsItWas) {
  pane_->SetMinimumPaneSize(-1, 80);
  ASSERT_TRUE(pane_->Split(1, 100));
  pane_->Invalidate(2);
  const std::vector<COLORREF> before = Screen();
  int32_t sx = 0, sy = 0;
  root_->LocalToScreen(sx, sy);
  std::vector<HeadlessInputEntry> script{{0, {sx + 150, sy + 102}, HEADLESS_LEFT_BUTTON, {0}},
                                         {10, {sx + 150, sy + 142}, HEADLESS_LEFT_BUTTON, {0}},
                                         {20, {sx + 150, sy + 102}, HEADLESS_LEFT_BUTTON, {0}}};
  ASSERT_TRUE(LoadHeadlessInput(script.data(), script.size(), 0));
  VEvent down(150, 102, 0, false, false, false, false, false, 1, 0);
  NotingDragger d(pane_, down, 100, 0, 295, 1);
  std::vector<COLORREF> during;
  d.onMove = [&] {
    if (!during.empty()) return;
    HDC dc = GetDC(window_);
    for (int x = 40; x < 44; ++x) during.push_back(GetPixel(dc, x, 141));
    ReleaseDC(window_, dc);
  };
  d.Track();
  UnloadHeadlessInput();
  EXPECT_EQ(d.bands, (std::vector<int32_t>{140, 100}));
  // Every other pixel of the band is inverted by the black of the pattern;
  // the others are mixed with the port's back colour.
  const COLORREF under = before[141 * 300 + 40];
  const COLORREF inverted = under ^ 0xFFFFFF;
  ASSERT_EQ(during.size(), 4u);
  EXPECT_TRUE(during[0] == inverted || during[1] == inverted);
  EXPECT_NE(during[0], during[1]);
  EXPECT_EQ(during[0], during[2]);
  EXPECT_EQ(during[1], during[3]);
  EXPECT_EQ(Screen(), before);
  // The pane drag that ends where it began leaves the bar and the screen.
  Drag(150, 102, {POINT{150, 150}, POINT{150, 102}});
  EXPECT_EQ(BoxOf(pane_->GetSplitterBar()).y, 100);
  EXPECT_EQ(Screen(), before);
}

TEST_F(Splitters, BandStaysAtALimitUntilTheMouseComesBack) {
  const struct {
    std::vector<int32_t> ys;  // mouse y per poll after the press at 50
    std::vector<int32_t> bands;
  } cases[] = {
      {{130, 110, 90}, {100, 100, 90}},
      {{-20, -5, 30}, {0, 0, 30}},
      {{80, 150, 60, 50}, {80, 100, 60, 50}},
  };
  for (const auto& c : cases) {
    int32_t sx = 0, sy = 0;
    pane_->LocalToScreen(sx, sy);
    std::vector<HeadlessInputEntry> script{{0, {sx + 10, sy + 50}, HEADLESS_LEFT_BUTTON, {0}}};
    ULONGLONG t = 0;
    for (int32_t y : c.ys)
      script.push_back({t += 10, {sx + 10, sy + y}, HEADLESS_LEFT_BUTTON, {0}});
    ASSERT_TRUE(LoadHeadlessInput(script.data(), script.size(), 0));
    VEvent down(10, 50, 0, false, false, false, false, false, 1, 0);
    NotingDragger d(pane_, down, 50, 0, 100, 1);
    d.Track();
    UnloadHeadlessInput();
    EXPECT_EQ(d.bands, c.bands);
    EXPECT_EQ(d.GetBand().GetTop(), c.bands.back());
    EXPECT_EQ(d.GetBand().GetWidth(), 300);
  }
}

TEST_F(Splitters, HandlesShowTheirCursorsAndTheBarDrawsItsLine) {
  ASSERT_TRUE(pane_->Split(1, 100));
  VPaneView* first = pane_->GetFirstChild();
  const struct {
    VFrame* frame;
    int32_t cursor;
  } cases[] = {{first->GetVerticalSplitBox(), 9011},
               {first->GetHorizontalSplitBox(), 9010},
               {pane_->GetSplitterBar(), 9011}};
  for (const auto& c : cases) EXPECT_EQ(c.frame->GetCursorId(), c.cursor);
  VSplitterBar upright(nullptr, 0);
  EXPECT_EQ(upright.GetCursorId(), 9010);

  pane_->Invalidate(2);
  const std::vector<COLORREF> s = Screen();
  const COLORREF face = RGB(16 * 9, 100, 90);
  for (int y = 100; y < 105; ++y) {
    EXPECT_EQ(s[y * 300 + 0], face) << y;
    EXPECT_EQ(s[y * 300 + 298], face) << y;
    EXPECT_EQ(s[y * 300 + 299], RGB(0, 0, 0)) << y;
  }
  ASSERT_TRUE(first->Split(0, 100));
  pane_->Invalidate(2);
  const std::vector<COLORREF> t = Screen();
  // The upright bar at x 100 to 105 in the top pane, 100 high: its last
  // row is black.
  EXPECT_EQ(t[0 * 300 + 102], face);
  EXPECT_EQ(t[98 * 300 + 102], face);
  EXPECT_EQ(t[99 * 300 + 102], RGB(0, 0, 0));
  // Split boxes are drawn as their own elements.
  EXPECT_EQ(t[1 * 300 + 290], RGB(24 * 9, 100, 90));
}

TEST_F(Splitters, ScrollingMovesTheBandsWithTheContent) {
  auto* top = dynamic_cast<RulerView*>(pane_->GetTopView());
  auto* left = dynamic_cast<RulerView*>(pane_->GetLeftView());
  ASSERT_NE(top, nullptr);
  ASSERT_NE(left, nullptr);
  const struct { int32_t dx, dy; } steps[] = {{30, 0}, {0, 40}, {-7, 13}, {500, 500}, {-2000, 0}};
  std::vector<std::vector<COLORREF>> shots[2];
  for (bool moving : {false, true}) {
    pane_->SetScrollsByMovingPixels(moving);
    doc_->ScrollTo(0, 0, false, 0);
    pane_->Layout(1);
    pane_->Invalidate(2);
    for (const auto& s : steps) {
      pane_->ScrollBy(s.dx, s.dy, 2);
      EXPECT_EQ(top->GetScrollX(), doc_->GetScrollX()) << s.dx;
      EXPECT_EQ(left->GetScrollY(), doc_->GetScrollY()) << s.dy;
      EXPECT_EQ(top->GetScrollY(), 0);
      EXPECT_EQ(left->GetScrollX(), 0);
      shots[moving ? 1 : 0].push_back(Screen());
    }
  }
  // Moving pixels shows exactly what redrawing shows.
  for (size_t i = 0; i < shots[0].size(); ++i) EXPECT_EQ(shots[1][i], shots[0][i]) << i;
  EXPECT_EQ(doc_->GetScrollX(), 0);
  EXPECT_EQ(doc_->GetScrollY(), 40 + 13 + 500);
  // Scrolling without drawing at once moves them too.
  pane_->ScrollBy(25, -100, 1);
  EXPECT_EQ(top->GetScrollX(), 25);
  EXPECT_EQ(left->GetScrollY(), doc_->GetScrollY());
}

// The module's resource file as the host opens it before start.
TEST(SplitterCursors, BothAreWholeRecordsWithTheirMaskAround) {
  const std::string path = QV_RESOURCE_FILE;
  uint8_t pascal[256];
  ASSERT_LT(path.size(), 256u);
  pascal[0] = static_cast<uint8_t>(path.size());
  std::memcpy(pascal + 1, path.data(), path.size());
  const int16_t previous = Tbx::CurResFile();
  const int16_t ref = Tbx::OpenResFile(pascal);
  ASSERT_GE(ref, 0);
  {
    VMacResourceFile file(ref);
    VCursor cursor(&file);
    std::vector<Tbx::Cursor> seen;
    for (int16_t id : {kCursorSplitUpright, kCursorSplitAcross}) {
      EXPECT_EQ(file.GetResourceSizeById(FourCC("CURS"), id),
                static_cast<uint32_t>(Tbx::kCursorRecordSize))
          << id;
      cursor.SetId(id);
      const Tbx::HeadlessCursorState state = Tbx::GetHeadlessCursorState();
      EXPECT_EQ(state.shown, -1) << id;
      int bits = 0;
      for (int i = 0; i < 32; ++i) {
        EXPECT_EQ(state.record.data[i] & ~state.record.mask[i], 0) << id;
        bits += state.record.data[i] != 0;
      }
      EXPECT_GT(bits, 8) << id;
      // The hot spot in the middle, vertical then horizontal, big-endian.
      EXPECT_EQ((std::vector<uint8_t>(state.record.hotSpot, state.record.hotSpot + 4)),
                (std::vector<uint8_t>{0, 7, 0, 7}));
      seen.push_back(state.record);
    }
    EXPECT_NE(std::memcmp(&seen[0], &seen[1], sizeof(Tbx::Cursor)), 0);
  }
  Tbx::CloseResFile(ref);
  if (previous >= 0) Tbx::UseResFile(previous);
  Tbx::InitCursor();
}

}  // namespace
