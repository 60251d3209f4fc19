// The dock: its description, the layout of the four edges with their rows,
// columns, overlaps, clamps and corner reserve, the content rectangle, the
// layout asked while hidden or left for the idle, the user's toolbar
// dialog, bar drags answered by a scripted dragger, and the saved layout.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "framework/core/memory/VMemoryMgr.h"
#include "framework/system/environment/VSystemServices.h"
#include "framework/system/resources/VMemoryResourceFile.h"
#include "views/VDockView.h"
#include "views/VPlugIn.h"
#include "views/tests/PaneTestSupport.h"
#include "views/tests/StoredResourceFile.h"

namespace {

constexpr uint32_t kXDOK = FourCC("XDOK");

class TestBar : public VDockBar {
 public:
  TestBar(VFrame* parent, int16_t id, int32_t w, int32_t h) : VDockBar(parent) {
    SetResourceId(id);
    ResizeTo(w, h, 0);
  }
  void GetFloatingSize(int32_t& w, int32_t& h) override {
    w = 80;
    h = 40;
  }
  int32_t GetDockedLength(bool horizontal) override { return horizontal ? 1000 : 90; }
  int32_t GetDockedThickness(bool horizontal) override { return horizontal ? 20 : 24; }
  void SetDockSide(int16_t side) override { sides.push_back(side); }
  void StoreState(VResourceFile*) override { ++stored; }
  std::vector<int16_t> sides;
  int stored = 0;
};

// A view under the dock that notes the messages coming up.
class Listener : public VView {
 public:
  explicit Listener(VFrame* parent) : VView(parent) {}
  bool NotifyParent(VFrame*, int32_t message, intptr_t) override {
    messages.push_back(message);
    return false;
  }
  std::vector<int32_t> messages;
};

class Dock : public HeadlessWindowTest {
 protected:
  void SetUp() override {
    HeadlessWindowTest::SetUp();
    root_->ResizeTo(400, 400, 0);
    listener_ = new Listener(root_);
    dock_ = new VDockView(listener_);
    dock_->ResizeTo(300, 200, 0);
  }
  TestBar* Bar(int16_t side, int32_t w, int32_t h, int16_t id = 0) {
    auto* bar = new TestBar(dock_, id, w, h);
    dock_->DockBar(bar, side, kDockNoPosition, kDockNoPosition, true);
    return bar;
  }
  Listener* listener_ = nullptr;
  VDockView* dock_ = nullptr;
};

TEST(DockDescription, ItemsAreHeldToTheIdsTheDataHolds) {
  auto bytes = [](std::vector<int16_t> words, bool oddByte = false) {
    std::vector<uint8_t> v(words.size() * 2);
    std::memcpy(v.data(), words.data(), v.size());
    if (oddByte) v.push_back(7);
    return v;
  };
  const struct {
    std::vector<uint8_t> data;
    bool ok;
    int16_t menu, tool;
    std::vector<int16_t> items;
  } cases[] = {
      {bytes({5, 6, 2, 7, 8}), true, 5, 6, {7, 8}},
      {bytes({5, 6, 3, 7, 8}), true, 5, 6, {7, 8}},      // count claims one more
      {bytes({5, 6, 32767, 7}, true), true, 5, 6, {7}},  // a stray byte is no id
      {bytes({0, 0, -2, 7, 8}), true, 0, 0, {}},         // negative count
      {bytes({5, 6, 1, 7, 8}), true, 5, 6, {7}},         // fewer than held
      {bytes({5, 6}), false, 0, 0, {}},                  // no whole head
      {bytes({5, 6}, true), false, 0, 0, {}},            // a head a byte short
      {{}, false, 0, 0, {}},
  };
  for (const auto& c : cases) {
    VDockDescription out;
    EXPECT_EQ(ReadDockDescription(c.data.data(), c.data.size(), out), c.ok) << c.data.size();
    EXPECT_EQ(out.menuBarId, c.menu);
    EXPECT_EQ(out.toolBarId, c.tool);
    EXPECT_EQ(out.itemIds, c.items) << c.data.size();
  }
}

TEST_F(Dock, TopBarsOverlappingByMoreThanFifteenPixelsStartANewRow) {
  // A is 100 x 20 at (0, 0); B, 100 x 20, is laid out from the x given.
  const struct {
    int32_t dockWidth, bx;
    Box b;
    int32_t topMargin;
  } cases[] = {
      {300, 85, {101, 0, 100, 20}, 20},   // 15 pixels: right of A
      {300, 84, {84, 20, 100, 20}, 40},   // 16 pixels: the row below
      {300, 100, {101, 0, 100, 20}, 20},  // touching counts as overlapping
      {300, 101, {101, 0, 100, 20}, 20},  // clear of A
      {300, 500, {270, 0, 100, 20}, 20},  // 30 pixels stay inside the dock
      {300, -5, {0, 20, 100, 20}, 40},    // no negative x
      {20, 50, {0, 20, 100, 20}, 40},     // narrower than 30: x 0
  };
  for (const auto& c : cases) {
    dock_->ResizeTo(c.dockWidth, 200, 0);
    TestBar* a = Bar(kDockTop, 100, 20);
    TestBar* b = Bar(kDockTop, 100, 20);
    b->MoveTo(c.bx, 7, 0);
    dock_->Relayout();
    EXPECT_EQ(BoxOf(a), (Box{0, 0, 100, 20}));
    EXPECT_EQ(BoxOf(b), c.b) << c.bx;
    EXPECT_EQ(dock_->GetTopMargin(), c.topMargin) << c.bx;
    delete a;
    delete b;
    EXPECT_EQ(dock_->CountBars(), 0);
  }
}

TEST_F(Dock, BarsWithoutPositionGoToTheEndOfTheirSide) {
  TestBar* a = Bar(kDockTop, 50, 20, 1);
  TestBar* b = Bar(kDockTop, 50, 20, 2);
  // A given position is moved one pixel outward and goes before the first
  // bar beyond it: y -1 comes before every bar of the first row.
  auto* c = new TestBar(dock_, 3, 50, 20);
  dock_->DockBar(c, kDockTop, 200, 0, true);
  EXPECT_EQ(dock_->GetBars(kDockTop), (std::vector<VDockBar*>{c, a, b}));
  EXPECT_EQ(BoxOf(c), (Box{200, 0, 50, 20}));
  EXPECT_EQ(BoxOf(a), (Box{0, 0, 50, 20}));
  // Both without position start at x 0: B overlaps A by all its width.
  EXPECT_EQ(BoxOf(b), (Box{0, 20, 50, 20}));
  EXPECT_EQ(a->sides, (std::vector<int16_t>{kDockTop}));
  EXPECT_EQ(dock_->FindBar(2), b);
  EXPECT_EQ(dock_->FindBar(9), nullptr);
  // Bars are drawn after (above) the content view.
  auto* content = new VView(dock_);
  dock_->SetContentView(content);
  dock_->Relayout();
  EXPECT_EQ(dock_->GetSubFrames().back(), b);
  EXPECT_EQ(dock_->GetSubFrames().front(), content);
}

TEST_F(Dock, TheContentViewGetsWhatTheFourSidesAndTheStripLeave) {
  auto* content = new VView(dock_);
  dock_->SetContentView(content);
  EXPECT_EQ(BoxOf(content), (Box{0, 0, 300, 200}));
  auto* strip = new TestBar(dock_, 0, 10, 16);
  dock_->SetToolBar(strip);
  TestBar* top = Bar(kDockTop, 120, 20);
  TestBar* bottom = Bar(kDockBottom, 120, 18);
  TestBar* left = Bar(kDockLeft, 24, 60);
  TestBar* left2 = Bar(kDockLeft, 24, 60);
  TestBar* right = Bar(kDockRight, 30, 60);
  EXPECT_EQ(BoxOf(strip), (Box{0, 184, 300, 16}));
  EXPECT_EQ(BoxOf(top), (Box{0, 0, 120, 20}));
  EXPECT_EQ(BoxOf(bottom), (Box{0, 166, 120, 18}));
  // Columns start below the top bars; the second overlaps the first by
  // more than 15 pixels and goes right of it.
  EXPECT_EQ(BoxOf(left), (Box{0, 20, 24, 60}));
  EXPECT_EQ(BoxOf(left2), (Box{24, 20, 24, 60}));
  EXPECT_EQ(BoxOf(right), (Box{270, 20, 30, 60}));
  EXPECT_EQ(dock_->GetBottomMargin(), 34);
  EXPECT_EQ(dock_->GetLeftMargin(), 48);
  EXPECT_EQ(dock_->GetRightMargin(), 30);
  EXPECT_EQ(BoxOf(content), (Box{48, 20, 222, 146}));
  EXPECT_EQ(dock_->CountBars(), 5);
  EXPECT_EQ(dock_->CountUserBars(), 3);  // top, left, right less the tool bar
  // A column bar near the bottom is held 30 pixels above the bottom bars.
  left->MoveTo(0, 190, 0);
  dock_->Relayout();
  EXPECT_EQ(BoxOf(left), (Box{0, 136, 24, 60}));
}

TEST_F(Dock, AGrowBoxKeepsBottomBarsClearOfTheCorner) {
  const struct {
    bool growBox;
    bool strip;
    int32_t x;
    int32_t expected;
  } cases[] = {
      {true, false, 250, 183},                             // right edge past 283: 300 - 100 - 17
      {true, false, 150, 150},  {false, false, 250, 250},  // only the 30-pixel clamp
      {false, false, 290, 270}, {true, true, 250, 250},    // a tool bar strip takes the corner
  };
  for (const auto& c : cases) {
    root_->SetGrowBox(c.growBox);
    TestBar* strip = nullptr;
    if (c.strip) {
      strip = new TestBar(dock_, 0, 10, 16);
      dock_->SetToolBar(strip);
    }
    TestBar* b = Bar(kDockBottom, 100, 20);
    b->MoveTo(c.x, 0, 0);
    dock_->Relayout();
    int32_t x = 0, y = 0;
    b->GetPosition(x, y);
    EXPECT_EQ(x, c.expected) << c.growBox << " " << c.x;
    EXPECT_EQ(y, c.strip ? 164 : 180);
    delete b;
    dock_->SetToolBar(nullptr);
  }
  // Right bars keep the corner clear when nothing is docked at the bottom.
  root_->SetGrowBox(true);
  TestBar* r = Bar(kDockRight, 24, 60);
  r->MoveTo(0, 150, 0);
  dock_->Relayout();
  EXPECT_EQ(BoxOf(r), (Box{276, 123, 24, 60}));
}

TEST_F(Dock, LayoutsWaitForShowingAndForTheIdle) {
  dock_->SetVisible(false);
  TestBar* a = Bar(kDockTop, 100, 20);
  a->MoveTo(290, 5, 0);
  dock_->Relayout();
  EXPECT_TRUE(dock_->IsRelayoutWhenShown());
  EXPECT_EQ(BoxOf(a), (Box{290, 5, 100, 20}));
  dock_->SetVisible(true);
  EXPECT_FALSE(dock_->IsRelayoutWhenShown());
  EXPECT_EQ(BoxOf(a), (Box{270, 0, 100, 20}));

  auto* b = new TestBar(dock_, 0, 40, 20);
  dock_->DockBar(b, kDockLeft, kDockNoPosition, kDockNoPosition, false);
  EXPECT_TRUE(dock_->IsRelayoutOnIdle());
  EXPECT_EQ(dock_->GetLeftMargin(), 0);
  dock_->DispatchIdle(true);
  EXPECT_FALSE(dock_->IsRelayoutOnIdle());
  EXPECT_EQ(BoxOf(b), (Box{0, 20, 40, 20}));

  // Resizing lays out again.
  dock_->ResizeTo(200, 200, 1);
  EXPECT_EQ(BoxOf(a), (Box{170, 0, 100, 20}));
  dock_->UndockBar(a, false);
  EXPECT_EQ(dock_->GetBarSide(a), -1);
  EXPECT_TRUE(dock_->IsRelayoutOnIdle());
  dock_->UndockBar(nullptr, true);
}

// ---- The user's toolbar dialog.

std::vector<VToolBarChoice> gOffered;
bool gConfirm = true;
const VToolBarsUserDialogRunner kFakeDialog{[](std::vector<VToolBarChoice>& bars) {
  gOffered = bars;
  for (auto& b : bars) b.shown = b.id != 2;
  return gConfirm;
}};

TEST_F(Dock, MessageThirtyThreeRunsTheToolbarDialog) {
  TestBar* a = Bar(kDockTop, 100, 20, 1);
  TestBar* b = Bar(kDockTop, 100, 20, 2);
  a->SetTitle("Format");
  // No dialog: no.
  EXPECT_FALSE(a->NotifyParent(a, kMsgDockUserBars, 0));
  EXPECT_EQ(std::count(listener_->messages.begin(), listener_->messages.end(), kMsgDockBarsChanged),
            0);

  VInstalledService<const VToolBarsUserDialogRunner> dialog(&kFakeDialog);
  gConfirm = false;
  EXPECT_FALSE(a->NotifyParent(a, kMsgDockUserBars, 0));
  EXPECT_TRUE(b->IsShown());
  gConfirm = true;
  EXPECT_TRUE(a->NotifyParent(a, kMsgDockUserBars, 0));
  ASSERT_EQ(gOffered.size(), 2u);
  EXPECT_EQ(gOffered[0].id, 1);
  EXPECT_EQ(gOffered[0].title.GetLength(), 6);
  EXPECT_TRUE(gOffered[1].shown);
  EXPECT_FALSE(b->IsShown());
  EXPECT_FALSE(dock_->IsBarDisplayed(2));
  EXPECT_TRUE(dock_->IsBarDisplayed(1));
  EXPECT_EQ(std::count(listener_->messages.begin(), listener_->messages.end(), kMsgDockBarsChanged),
            1);
  // Hidden bars are left out of the layout.
  b->MoveTo(0, 0, 0);
  dock_->Relayout();
  EXPECT_EQ(dock_->GetTopMargin(), 20);
}

TEST_F(Dock, AnAreaAnswersMessageThirtyThreeAsItsDock) {
  VPlugIn area(nullptr, 1);
  auto* bar = new TestBar(&area, 2, 100, 20);
  area.DockBar(bar, kDockTop, kDockNoPosition, kDockNoPosition, true);
  EXPECT_FALSE(bar->NotifyParent(bar, kMsgDockUserBars, 0));
  VInstalledService<const VToolBarsUserDialogRunner> dialog(&kFakeDialog);
  gConfirm = true;
  EXPECT_TRUE(bar->NotifyParent(bar, kMsgDockUserBars, 0));
  EXPECT_FALSE(area.IsBarDisplayed(2));
  // A bar the area deletes leaves its lists.
  delete bar;
  EXPECT_EQ(area.CountBars(), 0);
}

// ---- Bars made from the description.

std::vector<std::pair<char, int16_t>> gMade;
const VDockBarMakers kFakeMakers{
    [](VDockView* dock, VObject*, VResourceFile*, int16_t id) -> VDockBar* {
      gMade.push_back({'m', id});
      auto* bar = new TestBar(dock, id, 300, 18);
      dock->DockBar(bar, kDockTop, kDockNoPosition, kDockNoPosition, false);
      return bar;
    },
    [](VDockView* dock, VObject*, VResourceFile*, int16_t id) {
      gMade.push_back({'t', id});
      dock->SetToolBar(new TestBar(dock, id, 10, 16));
    },
    [](VDockView* dock, VObject*, VResourceFile*, int16_t id) {
      gMade.push_back({'i', id});
      dock->DockBar(new TestBar(dock, id, 60, 20), kDockTop, kDockNoPosition, kDockNoPosition,
                    false);
    },
};

TEST_F(Dock, TheDescriptionBuildsItsBarsThroughTheInstalledMakers) {
  StoredResourceFile res;
  // Stored big-endian; the count claims four items, the data holds two.
  res.Add(kXDOK, 128, StoredBytes().U16(5).U16(6).U16(4).U16(7).U16(8).bytes);
  res.Add(kXDOK, 129, StoredBytes().U16(5).bytes);
  VResourceFile* file = res.Open();
  ASSERT_NE(file, nullptr);

  dock_->LoadDockDescription(nullptr, file, 128);
  EXPECT_EQ(dock_->GetResourceId(), 128);
  EXPECT_EQ(dock_->CountBars(), 0);  // no makers: no bar

  VInstalledService<const VDockBarMakers> makers(&kFakeMakers);
  gMade.clear();
  dock_->LoadDockDescription(nullptr, file, 130);  // missing
  dock_->LoadDockDescription(nullptr, file, 129);  // shorter than its head
  EXPECT_TRUE(gMade.empty());
  dock_->LoadDockDescription(nullptr, file, 128);
  EXPECT_EQ(gMade, (std::vector<std::pair<char, int16_t>>{{'m', 5}, {'t', 6}, {'i', 7}, {'i', 8}}));
  ASSERT_NE(dock_->GetDockBar(), nullptr);
  EXPECT_EQ(dock_->GetDockBar()->GetResourceId(), 5);
  EXPECT_EQ(dock_->GetToolBar()->GetResourceId(), 6);
  // Laid out at once: the menu bar's row, then the two items below it.
  EXPECT_FALSE(dock_->IsRelayoutOnIdle());
  EXPECT_EQ(BoxOf(dock_->FindBar(7)), (Box{0, 18, 60, 20}));
  // Touching the menu bar's row counts as overlapping it: a third row.
  EXPECT_EQ(BoxOf(dock_->FindBar(8)), (Box{0, 38, 60, 20}));
  EXPECT_EQ(dock_->CountUserBars(), 1);
  // A bar deleted by its owner leaves the dock's lists.
  delete dock_->GetToolBar();
  EXPECT_EQ(dock_->GetToolBar(), nullptr);
  delete dock_->GetDockBar();
  EXPECT_EQ(dock_->GetDockBar(), nullptr);
  EXPECT_EQ(dock_->CountBars(), 2);
}

TEST_F(Dock, TheSavedLayoutRewritesTheBarIdsWithinTheCount) {
  const VMemHandle block = gMemoryMgr->NewHandleClear(0, 0);
  ASSERT_NE(block, 0u);
  {
    VMemoryResourceFile memory(block, 1);
    const int16_t words[] = {5, 0, 2, 0, 0};
    memory.AddResource(kXDOK, 128, nullptr, words, sizeof words);
    TestBar* menu = Bar(kDockTop, 200, 18, 5);
    TestBar* left = Bar(kDockLeft, 24, 60, 11);
    TestBar* top = Bar(kDockTop, 60, 20, 12);
    TestBar* bottom = Bar(kDockBottom, 60, 20, 13);
    auto* strip = new TestBar(dock_, 14, 10, 16);
    dock_->SetToolBar(strip);
    EXPECT_FALSE(dock_->WriteDockLayout(memory, 127));
    EXPECT_TRUE(dock_->WriteDockLayout(memory, 128));
    for (TestBar* b : {menu, left, top, bottom, strip}) EXPECT_EQ(b->stored, 1);

    uint8_t owned = 0;
    const VResourceRef ref = memory.GetResource(kXDOK, 128, &owned);
    ASSERT_NE(ref, 0u);
    ASSERT_EQ(memory.GetResourceSize(ref), 10u);
    int16_t got[5] = {};
    std::memcpy(got, memory.LockResource(ref), sizeof got);
    memory.UnlockResource(ref);
    // Left first, then top without the menu bar; the count of 2 stops
    // the bottom bar's id.
    EXPECT_EQ(std::vector<int16_t>(got, got + 5), (std::vector<int16_t>{5, 0, 2, 11, 12}));
  }
  gMemoryMgr->DisposeHandle(block);
}

// ---- Dragging a bar with a scripted dragger.

VBarDragSetup gSetup;
VBarDragResult gAnswer;
bool gDragged = true;
const VBarDraggerRunner kScriptedDragger{[](VDockView*, VDockBar*, int32_t, int32_t,
                                            const VBarDragSetup& setup, VBarDragResult& result) {
  gSetup = setup;
  result = gAnswer;
  return gDragged;
}};

struct FloatingLog {
  std::vector<std::pair<int32_t, int32_t>> added;
  int removed = 0;
  bool open = true;
  bool shown = false;
};
FloatingLog* gFloating = nullptr;
class FakeFloatingWindow : public VDockFloatingWindow {
 public:
  void AddBar(VDockBar*, int32_t x, int32_t y) override { gFloating->added.push_back({x, y}); }
  void RemoveBar(VDockBar*) override { ++gFloating->removed; }
  void Show(bool shown) override { gFloating->shown = shown; }
  bool IsOpen() override { return gFloating->open; }
  void Close() override {}
};
const VDockFloatingWindowMaker kFakeFloating{
    [](VDockView*) -> VDockFloatingWindow* { return new FakeFloatingWindow; }};

TEST_F(Dock, ADraggedBarMovesToTheSideTheDraggerAnswers) {
  TestBar* a = Bar(kDockTop, 100, 20, 1);
  TestBar* b = Bar(kDockLeft, 24, 60, 2);
  dock_->TrackBar(a, 10, 5);  // no dragger installed: nothing
  EXPECT_EQ(dock_->GetBarSide(a), kDockTop);

  VInstalledService<const VBarDraggerRunner> dragger(&kScriptedDragger);
  gDragged = true;
  gAnswer = {kDockTop, 10, 5, 0, 0};  // same place
  dock_->TrackBar(a, 10, 5);
  EXPECT_EQ(BoxOf(a), (Box{0, 0, 100, 20}));
  // The outlines and zones follow the bar's sizes and the margins
  // (top 20, left 24): horizontal length held to 300 - 24.
  EXPECT_EQ(gSetup.side, kDockTop);
  EXPECT_EQ(gSetup.outlines[0].GetWidth(), 80);
  EXPECT_EQ(gSetup.outlines[1].GetWidth(), 276);
  EXPECT_EQ(gSetup.outlines[1].GetHeight(), 20);
  EXPECT_EQ(gSetup.outlines[2].GetWidth(), 24);
  EXPECT_EQ(gSetup.outlines[2].GetHeight(), 90);
  const Box zones[4] = {{0, 20, 48, 180}, {0, 0, 300, 40}, {276, 20, 24, 180}, {0, 180, 300, 20}};
  for (int i = 0; i < 4; ++i) {
    const VRect& z = gSetup.zones[i];
    EXPECT_EQ((Box{z.GetLeft(), z.GetTop(), z.GetWidth(), z.GetHeight()}), zones[i]) << i;
  }

  gAnswer = {kDockRight, 250, 100, 0, 0};
  dock_->TrackBar(a, 10, 5);
  EXPECT_EQ(dock_->GetBarSide(a), kDockRight);
  EXPECT_EQ(a->sides.back(), kDockRight);
  EXPECT_EQ(dock_->GetTopMargin(), 0);
  int32_t x = 0, y = 0;
  a->GetPosition(x, y);
  EXPECT_EQ(x, 200);  // 300 - its width
  EXPECT_EQ(y, 93);   // 100 - 5 - 2: the pixel outward is on x only
  EXPECT_EQ(dock_->GetRightMargin(), 100);
  EXPECT_EQ(BoxOf(b), (Box{0, 20, 24, 60}));

  // Floating without a window for it: the bar stays in the dock.
  gAnswer = {kDockFloating, 0, 0, 40, 40};
  dock_->TrackBar(b, 3, 3);
  EXPECT_EQ(dock_->GetBarSide(b), kDockTop);

  // With one: placed on the screen, below the menu bar.
  FloatingLog log;
  gFloating = &log;
  VInstalledService<const VDockFloatingWindowMaker> floating(&kFakeFloating);
  gAnswer = {kDockFloating, 0, 0, -50, -50};
  a->GetPosition(x, y);
  dock_->TrackBar(a, x + 10, y + 5);
  EXPECT_EQ(dock_->GetBarSide(a), kDockFloating);
  ASSERT_EQ(log.added.size(), 1u);
  EXPECT_EQ(log.added[0],
            (std::pair<int32_t, int32_t>{3, VSystemServices::GetMenuBarHeight() - 2}));
  EXPECT_TRUE(log.shown);
  dock_->SetVisible(false);
  EXPECT_FALSE(log.shown);
  dock_->SetVisible(true);
  EXPECT_TRUE(log.shown);
  // It follows the window the dock is in: hidden and shown with it.
  listener_->SetVisible(false);
  EXPECT_FALSE(log.shown);
  listener_->SetVisible(true);
  EXPECT_TRUE(log.shown);
  // A closed window goes at the next idle, with its bars' list.
  log.open = false;
  dock_->Idle(true);
  EXPECT_EQ(dock_->GetFloatingWindow(), nullptr);
  EXPECT_TRUE(dock_->GetBars(kDockFloating).empty());
  gFloating = nullptr;
  // The drag that did not happen changes nothing.
  gDragged = false;
  gAnswer = {kDockBottom, 0, 190, 0, 0};
  dock_->TrackBar(b, 3, 3);
  EXPECT_EQ(dock_->GetBarSide(b), kDockTop);
}

}  // namespace
