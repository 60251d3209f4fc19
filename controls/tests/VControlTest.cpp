// The control base: binding by id, the enabled rule, value-dirty marks and
// the tool tip's states on the tick clock.
#include "controls/controls/VControl.h"

#include <gtest/gtest.h>

#include "controls/tests/ControlTestSupport.h"
#include "framework/core/host/VHostBridge.h"
#include "framework/core/values/VLong.h"
#include "framework/system/environment/VFlagHolder.h"
#include "framework/system/environment/VSystemServices.h"
#include "platform/win32/WinTime.h"

namespace {

// Notes the tool tips the module asks the host to show.
class TipHost : public VHostBridge {
 public:
  uint8_t SwapResource(uint8_t, uint32_t, uint32_t, void*) override { return 0; }
  int32_t HostOpenWindowAt(const VString& text, VFrame* frame, const VPoint* place) override {
    char c[256];
    text.GetCText(c, sizeof c, kCharSetMac);
    tips.push_back(c);
    frames.push_back(frame);
    places.push_back(place);
    return 0;
  }
  std::vector<std::string> tips;
  std::vector<VFrame*> frames;
  std::vector<const VPoint*> places;
};

class ControlBase : public ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    VHostBridgeService::Install(&bridge_);
    saved_ = gFlagHolder;
    gFlagHolder = &flag_;
  }
  void TearDown() override {
    gFlagHolder = saved_;
    VHostBridgeService::Remove(&bridge_);
    ControlTest::TearDown();
  }
  // A control of 40 x 20 at (20, 20) of the host; the mouse rests at
  // control point (x, y) and, from `laterMs` of the clock on, at (lx, ly).
  VControl* Rested(int32_t id, int32_t x, int32_t y, ULONGLONG laterMs = 0, int32_t lx = 0,
                   int32_t ly = 0) {
    auto* c = new VControl(host_);
    c->SetEnabled(true);
    c->MoveTo(20, 20, 0);
    c->ResizeTo(40, 20, 0);
    c->AttachCommand(id);
    int32_t sx = 0, sy = 0;
    c->LocalToScreen(sx, sy);
    std::vector<HeadlessInputEntry> script{{0, {sx + x, sy + y}, 0, {0}}};
    if (laterMs != 0) script.push_back({laterMs, {sx + lx, sy + ly}, 0, {0}});
    // A far entry keeps the clock virtual while the test moves it on.
    script.push_back({10000000, {sx + x, sy + y}, 0, {0}});
    EXPECT_TRUE(LoadHeadlessInput(script.data(), script.size(), 0));
    return c;
  }
  void Ticks(uint32_t n) { AdvanceHeadlessClock(ULONGLONG{n} * 1000 / 60 + 1); }
  // Moves the clock on to `ms` milliseconds of the script.
  void ClockTo(ULONGLONG ms) {
    const ULONGLONG now = GetTickCount64();
    if (ms > now) AdvanceHeadlessClock(ms - now);
  }
  TipHost bridge_;
  VFlagHolder flag_;
  VFlagHolder* saved_ = nullptr;
};

}  // namespace

TEST_F(ControlBase, UnboundControlClickSendsNothing) {
  VControl c(host_);
  c.AttachCommand(0);
  VEvent e;
  EXPECT_TRUE(c.MouseDown(e));
  EXPECT_TRUE(host_->sent.empty());
  EXPECT_EQ(c.GetCommand(), nullptr);
  EXPECT_EQ(c.GetCommandId(), 0);
}

TEST_F(ControlBase, UnknownIdLeavesItUnboundAndRebindingMovesTheListener) {
  VCommand* a = host_->Add(200);
  VCommand* b = host_->Add(201);
  VControl c(host_);
  c.AttachCommand(999);
  EXPECT_EQ(c.GetCommand(), nullptr);
  c.AttachCommand(200);
  EXPECT_EQ(c.GetCommand(), a);
  c.AttachCommand(201);
  EXPECT_EQ(c.GetCommand(), b);
  c.SetValueDirty(false);
  a->SetLong(nullptr, 5, 0);
  EXPECT_FALSE(c.IsValueDirty()) << "no longer listening to the old command";
  b->SetLong(nullptr, 5, 0);
  EXPECT_TRUE(c.IsValueDirty());
  VEvent e;
  c.MouseDown(e);
  EXPECT_EQ(host_->sent, (std::vector<SentMessage>{{201, 0}}));
  EXPECT_EQ(c.GetToolTipState(), kTipDone);
}

TEST_F(ControlBase, CommandGoingAwayUnbinds) {
  VCommand* a = host_->Add(200);
  VControl c(host_);
  c.AttachCommand(200);
  host_->commands.erase(200);
  delete a;
  EXPECT_EQ(c.GetCommand(), nullptr);
}

TEST_F(ControlBase, EnabledRuleNeedsEveryFlag) {
  VCommand* a = host_->Add(200);
  VControl c(host_);
  c.SetEnabled(true);
  c.AttachCommand(200);
  EXPECT_TRUE(c.IsEnabled());
  a->SetEnabled(false, 0);
  EXPECT_FALSE(c.IsEnabled());
  a->SetEnabled(true, 0);
  c.SetVisible(false);
  EXPECT_FALSE(c.IsEnabled());
  c.SetVisible(true);
  c.SetHiddenByParent(true);
  EXPECT_FALSE(c.IsEnabled());
  c.SetHiddenByParent(false);
  c.SetEnabled(false);
  EXPECT_FALSE(c.IsEnabled());
}

TEST_F(ControlBase, SameEnabledStateNeitherStoresNorRedraws) {
  host_->Add(200);
  VControl c(host_);
  c.MoveTo(0, 0, 0);
  c.ResizeTo(30, 30, 0);
  c.AttachCommand(200);
  ValidateRect(window_, nullptr);
  c.CommandEnabledChanged(true, 1);
  EXPECT_FALSE(Invalid(15, 15));
  c.CommandEnabledChanged(false, 1);
  EXPECT_FALSE(c.IsCommandEnabled());
  EXPECT_TRUE(Invalid(15, 15));
}

TEST_F(ControlBase, HidingStillMarksTheValueDirtyAndShowingRedraws) {
  VControl c(host_);
  c.MoveTo(0, 0, 0);
  c.ResizeTo(30, 30, 0);
  c.SetValueDirty(false);
  ValidateRect(window_, nullptr);
  c.SetVisible(false);
  EXPECT_TRUE(c.IsValueDirty());
  c.SetValueDirty(false);
  ValidateRect(window_, nullptr);
  c.SetVisible(true);
  EXPECT_TRUE(c.IsValueDirty());
  EXPECT_TRUE(Invalid(15, 15));
}

TEST_F(ControlBase, EnsureValueGivesZeroAndGetValueCopiesIt) {
  VCommand* a = host_->Add(200);
  VControl c(host_);
  VLong out(9);
  c.GetValue(out);
  EXPECT_EQ(out.GetLong(kWholeValue), 0) << "cleared without command";
  c.AttachCommand(200);
  out.SetLong(9, kWholeValue);
  c.GetValue(out);
  ASSERT_NE(a->GetValue(), nullptr);
  EXPECT_EQ(out.GetLong(kWholeValue), 0);
  a->SetLong(nullptr, 7, 0);
  c.GetValue(out);
  EXPECT_EQ(out.GetLong(kWholeValue), 7);
}

TEST_F(ControlBase, TipShowsAfterTheDelayWithTheShortcut) {
  host_->Add(200, "Bold");
  host_->shortcut = std::make_unique<VCommandKey>(200, 'B', true, false, false, false);
  VControl* c = Rested(200, 5, 5);
  flag_.SetFlag(1);  // after a click: the full delay applies
  VEvent e;
  c->AdjustCursor(e);
  EXPECT_EQ(c->GetToolTipState(), kTipWaiting);
  Ticks(29);
  c->Idle(false);
  EXPECT_TRUE(bridge_.tips.empty()) << "29 ticks are not enough";
  Ticks(1);
  c->Idle(true);
  EXPECT_TRUE(bridge_.tips.empty()) << "the idle flag skips the tip";
  c->Idle(false);
  ASSERT_EQ(bridge_.tips.size(), 1u);
  EXPECT_EQ(bridge_.tips[0].substr(0, 6), "Bold (");
  EXPECT_EQ(bridge_.tips[0].back(), ')');
  EXPECT_EQ(bridge_.frames[0], c);
  EXPECT_EQ(bridge_.places[0], nullptr);
  EXPECT_EQ(c->GetToolTipState(), kTipShown);
}

// When the wait ends: right after another tip (flag clear) at once, after a
// click the full delay; a move within the control restarts the wait.
TEST_F(ControlBase, TipWaits) {
  struct Row {
    uint8_t flag;
    bool movedWithin;
    uint32_t ticks;
    bool shown;
  };
  const std::vector<Row> rows = {{0, false, 0, true},  {1, false, 0, false}, {1, false, 30, true},
                                 {0, true, 20, false}, {0, true, 30, true}};
  host_->Add(200, "Bold");
  for (const Row& r : rows) {
    VControl* c = Rested(200, 5, 5);
    flag_.SetFlag(r.flag);
    VEvent e;
    c->AdjustCursor(e);
    if (r.movedWithin) c->AdjustCursorWithin(e);
    Ticks(r.ticks);
    c->Idle(false);
    EXPECT_EQ(c->GetToolTipState() == kTipShown, r.shown) << int(r.flag) << " " << r.ticks;
    delete c;
  }
}

TEST_F(ControlBase, NoTipWithoutTextFocusOrCommand) {
  host_->Add(200, "");
  VControl* c = Rested(200, 5, 5);
  VEvent e;
  c->AdjustCursor(e);
  Ticks(40);
  c->Idle(false);
  EXPECT_TRUE(bridge_.tips.empty()) << "empty title, no shortcut";
  EXPECT_EQ(c->GetToolTipState(), kTipWaiting);
  host_->Add(201, "Italic");
  c->AttachCommand(201);
  host_->focused = false;
  c->Idle(false);
  EXPECT_TRUE(bridge_.tips.empty()) << "the window has no focus";
  host_->focused = true;
  c->AttachCommand(0);
  c->Idle(false);
  EXPECT_TRUE(bridge_.tips.empty()) << "unbound";
}

// Where the mouse is once the tip shows, and what becomes of it.
TEST_F(ControlBase, ShownTipEdgesAreInclusive) {
  struct Row {
    int32_t x, y;
    uint32_t ticks;
    uint8_t state;
    uint8_t flagAfter;
  };
  const std::vector<Row> rows = {
      {40, 20, 0, kTipShown, 1},   // the right and bottom edges are inside
      {0, 0, 0, kTipShown, 1},     {41, 5, 0, kTipIdle, 0}, {5, 21, 0, kTipIdle, 0},
      {-1, 5, 0, kTipIdle, 0},     {5, 5, 270, kTipShown, 1},  // ten delays exactly
      {5, 5, 271, kTipDone, 0},
  };
  host_->Add(200, "Bold");
  for (const Row& r : rows) {
    // The wait starts a delay before the entry (the flag is clear), so the
    // tip is 30 ticks old when shown; 4505 ms is tick 270 (300 since), 4525
    // ms tick 271.
    VControl* c = Rested(200, 5, 5, 50, r.x, r.y);
    flag_.SetFlag(0);
    VEvent e;
    c->AdjustCursor(e);
    c->Idle(false);
    ASSERT_EQ(c->GetToolTipState(), kTipShown);
    flag_.SetFlag(1);
    ClockTo(r.ticks == 0 ? 100 : r.ticks == 270 ? 4505 : 4525);
    c->Idle(false);
    EXPECT_EQ(c->GetToolTipState(), r.state) << r.x << "," << r.y << " +" << r.ticks;
    EXPECT_EQ(flag_.GetFlag(), r.flagAfter) << r.x << "," << r.y << " +" << r.ticks;
    delete c;
  }
}

TEST_F(ControlBase, LeavingAndSwitchingTipsOff) {
  host_->Add(200, "Bold");
  VControl* c = Rested(200, 5, 5);
  VEvent e;
  c->AdjustCursor(e);
  c->Idle(false);
  ASSERT_EQ(c->GetToolTipState(), kTipShown);
  flag_.SetFlag(1);
  c->CursorHook();
  EXPECT_EQ(c->GetToolTipState(), kTipIdle);
  EXPECT_EQ(flag_.GetFlag(), 0);
  c->SetToolTipsEnabled(false);
  EXPECT_FALSE(c->AreToolTipsEnabled());
  c->AdjustCursor(e);
  c->MouseDown(e);
  c->CursorHook();
  EXPECT_EQ(c->GetToolTipState(), kTipsOff);
  c->SetToolTipsEnabled(true);
  EXPECT_EQ(c->GetToolTipState(), kTipIdle);
}

TEST_F(ControlBase, CopyBindsToTheSourceCommand) {
  VCommand* a = host_->Add(200);
  a->SetEnabled(false, 0);
  VControl c(host_);
  c.AttachCommand(200);
  VControl copy(host_);
  copy.CopyFrom(host_, c, 0);
  EXPECT_EQ(copy.GetCommand(), a);
  EXPECT_FALSE(copy.IsCommandEnabled());
  EXPECT_TRUE(copy.IsControl());
}
