// Toolbars built from 'XBAR' in a dock: placing on each side, separators
// that open a line, the floating shape, hiding, and the state written back.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "controls/bars/BarResources.h"
#include "controls/bars/VToolBar.h"
#include "controls/bars/VToolBarItemDragger.h"
#include "controls/bars/VToolBarItem.h"
#include "controls/controls/VPushButton.h"
#include "controls/tests/ControlTestSupport.h"
#include "views/VDockFloatingBarWindow.h"
#include "views/VDockView.h"

namespace {

struct Item {
  const char* kind;
  int16_t id;
};

uint32_t KindOf(const char* kind) {
  return uint32_t(uint8_t(kind[0])) << 24 | uint32_t(uint8_t(kind[1])) << 16 |
         uint32_t(uint8_t(kind[2])) << 8 | uint8_t(kind[3]);
}

std::vector<uint8_t> StoredBar(uint8_t side, uint8_t flags, int32_t left, int32_t top,
                               const std::string& title, const std::vector<Item>& items) {
  StoredBytes b;
  b.U8(side).U8(flags).I32(left).I32(top).Title(title).U16(uint16_t(items.size()));
  for (const Item& item : items) b.I32(int32_t(KindOf(item.kind))).U16(uint16_t(item.id));
  return b.bytes;
}

// Notes the messages that come up from the dock.
class DockParent : public VView {
 public:
  explicit DockParent(VFrame* parent) : VView(parent) { ResizeTo(300, 200, 0); }
  bool NotifyParent(VFrame* sender, int32_t message, intptr_t parameter) override {
    messages.push_back(message);
    return VView::NotifyParent(sender, message, parameter);
  }
  std::vector<int32_t> messages;
};

class DockedToolBars : public ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    file_ = std::make_unique<StoredResourceFile>();
    // Buttons 1 and 3: 20 x 20; button 2: 30 x 18.
    for (int16_t id : {1, 2, 3}) {
      StoredBytes button;
      const bool wide = id == 2;
      button.I32(0).I32(0).I32(0).I32(wide ? 30 : 20).I32(wide ? 18 : 20).Title("");
      button.U16(0).U16(0).U8(0);
      file_->Add(kResTypeButton, id, button.bytes);
    }
    parent_ = new DockParent(host_);
    dock_ = new VDockView(parent_);
    dock_->ResizeTo(300, 200, 0);
  }
  void TearDown() override {
    delete parent_;
    file_.reset();
    ControlTest::TearDown();
  }
  // Every resource is added before the file is first opened.
  VToolBarItem* Make(int16_t id, const std::vector<uint8_t>& bytes) {
    file_->Add(kResTypeToolBar, id, bytes);
    return Make(id);
  }
  VToolBarItem* Make(int16_t id) { return new VToolBarItem(dock_, nullptr, Opened(), id); }
  VResourceFile* Opened() {
    if (opened_ == nullptr) opened_ = file_->Open();
    return opened_;
  }
  static void ExpectPlace(const VFrame* f, int32_t x, int32_t y, int32_t w, int32_t h) {
    int32_t fx = 0, fy = 0;
    f->GetPosition(fx, fy);
    EXPECT_EQ(fx, x);
    EXPECT_EQ(fy, y);
    EXPECT_EQ(f->GetWidth(), w);
    EXPECT_EQ(f->GetHeight(), h);
  }
  std::unique_ptr<StoredResourceFile> file_;
  VResourceFile* opened_ = nullptr;
  DockParent* parent_ = nullptr;
  VDockView* dock_ = nullptr;
};

constexpr uint8_t kShownWithGrip = kBarFlagShown | kBarFlagGrip;

TEST_F(DockedToolBars, TopBarPlacesGripButtonsAndSeparatorInARow) {
  VToolBarItem* bar =
      Make(300, StoredBar(kDockTop, kShownWithGrip | kBarFlagSpare, 40, 0, "Format",
                          {{"XBUT", 1}, {"XSPC", 0}, {"XBUT", 2}}));
  EXPECT_EQ(dock_->GetBarSide(bar), kDockTop);
  EXPECT_EQ(bar->GetResourceId(), 300);
  EXPECT_TRUE(bar->IsDisplayed());
  EXPECT_TRUE(bar->HasSpareFlag());
  ASSERT_NE(bar->GetTitle(), nullptr);
  EXPECT_EQ(bar->GetTitle()->GetLength(), 6);
  // 4 + grip 10 + 20 + separator 8 + 30 by the tallest control + 4.
  EXPECT_EQ(bar->GetWidth(), 72);
  EXPECT_EQ(bar->GetHeight(), 24);
  const auto& subs = bar->GetSubFrames();
  ASSERT_EQ(subs.size(), 4u);
  EXPECT_EQ(subs[0], bar->GetGrip());
  ExpectPlace(subs[0], 2, 2, 8, 20);
  ExpectPlace(subs[1], 12, 2, 20, 20);
  ExpectPlace(subs[2], 32, 2, 8, 20);
  ExpectPlace(subs[3], 40, 3, 30, 18);
}

TEST_F(DockedToolBars, SeparatorOpeningTheLineIsHiddenAndTakesNoRoom) {
  VToolBarItem* bar = Make(301, StoredBar(kDockLeft, kShownWithGrip, 0, 30, "",
                                          {{"XSPC", 0}, {"XBUT", 1}, {"XTSP", 0}, {"XBUT", 2}}));
  EXPECT_EQ(dock_->GetBarSide(bar), kDockLeft);
  // The widest control + 4 by 4 + grip 10 + 20 + 8 + 18.
  EXPECT_EQ(bar->GetWidth(), 34);
  EXPECT_EQ(bar->GetHeight(), 60);
  const auto& subs = bar->GetSubFrames();
  ASSERT_EQ(subs.size(), 5u);
  ExpectPlace(subs[0], 2, 2, 30, 8);
  int32_t x = 0, y = 0;
  subs[1]->GetPosition(x, y);
  EXPECT_EQ(x, 1000);
  EXPECT_EQ(y, 1000);
  ExpectPlace(subs[2], 2, 12, 20, 20);
  ExpectPlace(subs[3], 2, 32, 30, 8);
  ExpectPlace(subs[4], 2, 40, 30, 18);
}

TEST_F(DockedToolBars, FullWidthBarStaysAtLeftZeroAndFollowsTheDock) {
  VToolBarItem* bar = Make(302, StoredBar(kDockBottom, kShownWithGrip | kBarFlagFullWidth, 50,
                                          150, "", {{"XBUT", 1}}));
  int32_t x = 0, y = 0;
  bar->GetPosition(x, y);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(bar->GetWidth(), 300);
  dock_->ResizeTo(260, 180, 0);
  bar->GetPosition(x, y);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 180 - 24);
  EXPECT_EQ(bar->GetWidth(), 260);
}

TEST_F(DockedToolBars, OneControlFloatsAtItsWidthPlus4ByItsHeightPlus6) {
  file_->Add(kResTypeToolBar, 304,
             StoredBar(kDockTop, kShownWithGrip, 0, 30, "", {{"XBUT", 2}}));
  VToolBarItem* one = Make(303, StoredBar(kDockTop, kShownWithGrip, 0, 0, "", {{"XBUT", 1}}));
  int32_t w = 0, h = 0;
  one->FloatingSize(w, h);
  EXPECT_EQ(w, 24);
  EXPECT_EQ(h, 26);
  VToolBarItem* flat = Make(304);
  flat->FloatingSize(w, h);
  EXPECT_EQ(w, 34);
  EXPECT_EQ(h, 24);  // 18 + 6 is below the least height
}

TEST_F(DockedToolBars, FloatingShapeIsTheWrapNearestFourToThree) {
  // Six 20 x 20 buttons: one row is 124 x 46; the wraps at 104, 84, 64, 44
  // and 24 give ratios 2.26, 1.83, 0.94, 0.33 and 0.18; 64 x 68 is nearest.
  std::vector<Item> items(6, Item{"XBUT", 1});
  VToolBarItem* bar = Make(305, StoredBar(kDockTop, kShownWithGrip, 0, 0, "", items));
  int32_t w = 0, h = 0;
  bar->FloatingSize(w, h);
  EXPECT_EQ(w, 64);
  EXPECT_EQ(h, 68);
  // Laid out floating at that size, the buttons stand three to a row: the
  // layout wraps at x + 2 + width where the measure wraps at x + 4 + width.
  bar->SetDockSide(kDockFloating);
  EXPECT_EQ(bar->GetWidth(), 64);
  EXPECT_EQ(bar->GetHeight(), 68);
  const auto& subs = bar->GetSubFrames();
  ASSERT_EQ(subs.size(), 7u);
  ExpectPlace(subs[1], 2, 2, 20, 20);
  ExpectPlace(subs[3], 42, 2, 20, 20);
  ExpectPlace(subs[4], 2, 24, 20, 20);
  ExpectPlace(subs[6], 42, 24, 20, 20);
  int32_t x = 0, y = 0;
  subs[0]->GetPosition(x, y);
  EXPECT_EQ(x, 1000);  // no grip while floating
}

TEST_F(DockedToolBars, FloatingLayoutKeepsRowsPastItsTable) {
  // Forty 20-pixel buttons in a bar 24 wide: one a row, past the 32 rows
  // whose heights are kept.
  std::vector<Item> items(40, Item{"XBUT", 1});
  VToolBarItem* bar = Make(306, StoredBar(kDockTop, kShownWithGrip, 0, 0, "", items));
  bar->SetDockSide(kDockFloating);
  bar->ResizeTo(24, 40 * 22, 0);
  bar->Layout();
  const auto& subs = bar->GetSubFrames();
  ASSERT_EQ(subs.size(), 41u);
  for (size_t i = 1; i <= 40; ++i) {
    int32_t x = 0, y = 0;
    subs[i]->GetPosition(x, y);
    EXPECT_EQ(x, 2) << i;
    EXPECT_EQ(y, 2 + int32_t(i - 1) * 22) << i;
  }
}

TEST_F(DockedToolBars, HidingSendsBarsChangedAndFloatingSavesItsDockedPlace) {
  VDockFloatingWindowService::Install(&kDockFloatingBarWindowMaker);
  VToolBarItem* bar =
      Make(307, StoredBar(kDockTop, kShownWithGrip, 40, 0, "", {{"XBUT", 1}, {"XBUT", 3}}));
  int32_t left = 0, top = 0;
  bar->GetPosition(left, top);
  dock_->UndockBar(bar, true);
  dock_->DockBar(bar, kDockFloating, 100, 100, true);
  EXPECT_EQ(bar->GetSide(), kDockFloating);
  EXPECT_EQ(bar->GetPreviousSide(), kDockTop);
  EXPECT_EQ(bar->GetWidth(), 44);

  bar->SaveState(Opened());
  {
    uint8_t owned = 0;
    const VResourceRef ref = Opened()->GetResource(kResTypeToolBar, 307, &owned);
    const auto* data = static_cast<const uint8_t*>(Opened()->LockResource(ref));
    ASSERT_NE(data, nullptr);
    int32_t savedLeft = 0, savedTop = 0;
    std::memcpy(&savedLeft, data + kBarLeftOffset, 4);
    std::memcpy(&savedTop, data + kBarTopOffset, 4);
    EXPECT_EQ(data[kBarSideOffset], kDockTop);
    EXPECT_EQ(data[kBarFlagsOffset], kShownWithGrip);
    EXPECT_EQ(savedLeft, left);
    EXPECT_EQ(savedTop, top);
    Opened()->UnlockResource(ref);
    if (owned != 0) Opened()->ReleaseResource(ref);
  }

  // Hidden from its floating window: back on its side, not displayed.
  EXPECT_TRUE(bar->NotifyParent(bar, kMsgHideBar, 0));
  EXPECT_EQ(dock_->GetBarSide(bar), kDockTop);
  EXPECT_FALSE(bar->IsVisible());
  EXPECT_FALSE(bar->IsDisplayed());
  EXPECT_EQ(parent_->messages.back(), kMsgDockBarsChanged);
  bar->SaveState(Opened());
  uint8_t owned = 0;
  const VResourceRef ref = Opened()->GetResource(kResTypeToolBar, 307, &owned);
  const auto* data = static_cast<const uint8_t*>(Opened()->LockResource(ref));
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(data[kBarFlagsOffset], kBarFlagGrip);
  Opened()->UnlockResource(ref);
  if (owned != 0) Opened()->ReleaseResource(ref);
  delete parent_;
  parent_ = nullptr;
  VDockFloatingWindowService::Remove(&kDockFloatingBarWindowMaker);
}

TEST_F(DockedToolBars, TheGripDragsTheBarToAnotherSide) {
  VBarDraggerService::Install(&kToolBarItemDraggerRunner);
  VToolBarItem* bar =
      Make(308, StoredBar(kDockTop, kShownWithGrip, 40, 0, "", {{"XBUT", 1}, {"XBUT", 2}}));
  int32_t gx = 0, gy = 0, dx = 0, dy = 0;
  bar->GetGrip()->LocalToScreen(gx, gy);
  dock_->LocalToScreen(dx, dy);
  // Pressed on the grip, dragged to the left edge half-way down, released.
  std::vector<HeadlessInputEntry> path;
  const POINT grip{gx + 4, gy + 4};
  const POINT left{dx + 5, dy + 100};
  for (ULONGLONG t = 0; t < 60; t += 10) path.push_back({t, grip, HEADLESS_LEFT_BUTTON, {0}});
  for (ULONGLONG t = 60; t < 120; t += 10) path.push_back({t, left, HEADLESS_LEFT_BUTTON, {0}});
  path.push_back({120, left, 0, {0}});
  ASSERT_TRUE(LoadHeadlessInput(path.data(), path.size(), 0));
  VEvent press(6, 6, 0, false, false, false, false, false, 1, 0);
  EXPECT_TRUE(bar->GetGrip()->MouseDown(press));
  UnloadHeadlessInput();
  EXPECT_EQ(dock_->GetBarSide(bar), kDockLeft);
  EXPECT_EQ(bar->GetSide(), kDockLeft);
  EXPECT_EQ(bar->GetPreviousSide(), kDockTop);
  // A column: the widest control + 4 by 4 + grip 10 + 20 + 18.
  EXPECT_EQ(bar->GetWidth(), 34);
  EXPECT_EQ(bar->GetHeight(), 52);
  VBarDraggerService::Remove(&kToolBarItemDraggerRunner);
}

TEST_F(DockedToolBars, ADockOfWidthZeroLeavesEveryBarInPlace) {
  file_->Add(kResTypeToolBar, 310, StoredBar(kDockBottom, kBarFlagShown, 0, 0, "",
                                             {{"XBUT", 1}, {"XTAB", 0}, {"XBUT", 2}}));
  VToolBarItem* bar = Make(309, StoredBar(kDockTop, kShownWithGrip | kBarFlagFullWidth, 40, 0,
                                          "", {{"XSPC", 0}, {"XBUT", 1}, {"XBUT", 2}}));
  auto* status = new VToolBar(dock_, nullptr, Opened(), 310);
  dock_->ResizeTo(0, 0, 0);
  EXPECT_EQ(bar->GetWidth(), 0);
  int32_t x = 0, y = 0;
  bar->GetPosition(x, y);
  EXPECT_EQ(x, 0);
  // The status bar places nothing that would fall outside it.
  EXPECT_EQ(status->GetWidth(), 0);
  status->GetRightItems()[0]->GetPosition(x, y);
  EXPECT_EQ(x, 300 - 4 - 30);  // where the wider dock put it
  int32_t w = 0, h = 0;
  bar->FloatingSize(w, h);
  EXPECT_EQ(w, 4 + 20 + 30);
  bar->SetDockSide(kDockFloating);
  bar->ResizeTo(1, 1, 0);  // narrower than any control: one a row
  const auto& subs = bar->GetSubFrames();
  subs[2]->GetPosition(x, y);
  EXPECT_EQ(x, 2);
  subs[3]->GetPosition(x, y);
  EXPECT_EQ(x, 2);
  EXPECT_EQ(y, 2 + 20 + 2);
}

TEST_F(DockedToolBars, MissingResourceLeavesAnEmptyUndockedBar) {
  auto* bar = new VToolBarItem(dock_, nullptr, Opened(), 399);
  EXPECT_EQ(dock_->GetBarSide(bar), -1);
  EXPECT_TRUE(bar->GetSubFrames().empty());
  bar->SaveState(Opened());  // nothing to write, nothing written
  EXPECT_FALSE(Opened()->HasResource(kResTypeToolBar, 399));
}

// ---- The readers, one row a case.

TEST(BarDescriptions, BadInputIsRefusedOrBounded) {
  auto bar = [](uint8_t side, uint16_t count, size_t items) {
    NativeBytes b;
    b.U8(side).U8(0xA0).I32(5).I32(6).Text("T", 200);
    b.I16(static_cast<int16_t>(count));
    for (size_t i = 0; i < items; ++i) b.I32(int32_t(FourCC("XBUT"))).I16(int16_t(i + 1));
    return b.bytes;
  };
  std::vector<uint8_t> headOnly = bar(2, 0, 0);
  headOnly.resize(kBarItemsOffset);
  std::vector<uint8_t> menu = bar(2, 0, 0);
  menu.resize(kBarItemsOffset);
  NativeBytes strings;
  strings.Text("File", 4).Text("Edit", 4);
  menu.insert(menu.end(), strings.bytes.begin(), strings.bytes.end());
  std::vector<uint8_t> menuWithItem = menu;
  NativeBytes item;
  item.I16(1).I32(int32_t(FourCC("XMBU"))).I16(7);
  menuWithItem.insert(menuWithItem.end(), item.bytes.begin(), item.bytes.end());

  struct Row {
    const char* name;
    std::vector<uint8_t> bytes;
    bool menuBar;
    bool read;
    bool itemsRead;
    size_t items;
    uint8_t side;
  };
  const std::vector<Row> rows = {
      {"empty", {}, false, false, false, 0, 0},
      {"one short of the head", std::vector<uint8_t>(41, 0), false, false, false, 0, 0},
      {"head without count", headOnly, false, true, false, 0, 2},
      {"two items", bar(3, 2, 2), false, true, true, 2, 3},
      {"count past the data", bar(1, 3, 2), false, true, false, 0, 1},
      {"count far past the data", bar(1, 0xFFFF, 1), false, true, false, 0, 1},
      {"unknown side", bar(9, 1, 1), false, true, true, 1, 2},
      {"menu bar short of its strings", bar(2, 0, 0), true, false, false, 0, 0},
      {"menu bar without items", menu, true, true, false, 0, 2},
      {"menu bar with an item", menuWithItem, true, true, true, 1, 2},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    VBarDescription d;
    const bool read = row.menuBar ? ReadMenuBarDescription(row.bytes.data(), row.bytes.size(), d)
                                  : ReadBarDescription(row.bytes.data(), row.bytes.size(), d);
    EXPECT_EQ(read, row.read);
    EXPECT_EQ(d.itemsRead, row.itemsRead);
    EXPECT_EQ(d.items.size(), row.items);
    EXPECT_EQ(d.side, row.side);
    if (!read) continue;
    EXPECT_EQ(d.flags, 0xA0);
    EXPECT_EQ(d.left, 5);
    EXPECT_EQ(d.top, 6);
    EXPECT_EQ(d.title[0], 31);  // a length byte of 200 holds to the field
    if (row.menuBar) {
      EXPECT_EQ(d.firstString[0], 4);
      EXPECT_EQ(std::memcmp(d.secondString + 1, "Edit", 4), 0);
    }
  }
}

}  // namespace
