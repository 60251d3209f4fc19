// The menu bar: its 'XMBA' strings and close button, its menus handed to
// the window menu bar in the order its buttons stand, and the tracking that
// moves to a neighbouring button or closes the open menu.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "controls/bars/BarResources.h"
#include "controls/bars/VMenuBar.h"
#include "controls/controls/VPushButton.h"
#include "controls/menus/VWinMenuBar.h"
#include "controls/tests/ControlTestSupport.h"
#include "controls/toolbars/VMenuButton.h"
#include "graphics/VBitmapPort.h"
#include "platform/win32/WinInput.h"
#include "platform/win32/WinMenuTracking.h"
#include "platform/win32/WinMessages.h"
#include "platform/win32/WinWindowState.h"
#include "views/VDockView.h"
#include "views/VEvent.h"

namespace {

constexpr uint32_t kMenuButtonKind = 0x584D4255;  // 'XMBU'
constexpr uint32_t kButtonKind = 0x58425554;      // 'XBUT'
constexpr uint32_t kTextKind = 0x54455854;        // 'TEXT'

// Notes each value its command takes.
class Watcher : public VControl {
 public:
  Watcher(VFrame* parent, int32_t id) : VControl(parent) { AttachCommand(id); }
  void CommandValueChanged(int32_t) override { seen.push_back(GetLongValue()); }
  std::vector<int32_t> seen;
};

class MenuBars : public ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    SetActiveWindow(window_);
    ResetMenuScript();
    file_ = std::make_unique<StoredResourceFile>();
    const char* titles[] = {"File", "Edit", "Style"};
    for (int i = 0; i < 3; ++i) {
      const auto id = static_cast<int16_t>(11 + i);
      host_->Add(600 + i);
      StoredBytes button;
      button.I32(600 + i).I32(0).I32(0).I32(0).I32(0).Title(titles[i]).U16(0).U16(0);
      button.I32(int32_t(kTextKind)).U16(uint16_t(id));
      file_->Add(kResTypeMenuButton, id, button.bytes);
      StoredBytes menu;
      menu.Title(titles[i]).I32(600 + i).U16(1);
      menu.Title("Item").U16(0).U16(0).I32(700 + i).I32(int32_t(kTextKind)).U8(0).U8(0).U16(0);
      file_->Add(FourCC("XMNU"), id, menu.bytes);
    }
    host_->Add(20);
    StoredBytes close;
    close.I32(20).I32(0).I32(0).I32(16).I32(16).Title("x").U16(0).U16(0).U8(0);
    file_->Add(kResTypeButton, kMenuBarCloseTemplate, close.bytes);
    StoredBytes plain;
    plain.I32(0).I32(0).I32(0).I32(20).I32(20).Title("").U16(0).U16(0).U8(0);
    file_->Add(kResTypeButton, 1, plain.bytes);
    // Bar 100: the three menu buttons; bar 101: a button beside them.
    AddBar(100, {{kMenuButtonKind, 13}, {kMenuButtonKind, 11}, {kMenuButtonKind, 12}});
    AddBar(101, {{kMenuButtonKind, 11}, {kMenuButtonKind, 12}, {kButtonKind, 1}});
    opened_ = file_->Open();
    host_->ResizeTo(300, 200, 0);
    dock_ = new VDockView(host_);
    dock_->ResizeTo(300, 200, 0);
  }
  void TearDown() override {
    delete dock_;
    file_.reset();
    ResetMenuScript();
    ControlTest::TearDown();
  }
  void AddBar(int16_t id, const std::vector<std::pair<uint32_t, int16_t>>& items) {
    StoredBytes b;
    b.U8(kDockTop).U8(kBarFlagShown | kBarFlagGrip | kBarFlagCloseButton).I32(0).I32(0);
    b.Title("Menus").Title("First").Title("Second").U16(uint16_t(items.size()));
    for (auto [kind, item] : items) b.I32(int32_t(kind)).U16(uint16_t(item));
    file_->Add(kResTypeMenuBar, id, b.bytes);
  }
  VMenuBar* Make(int16_t id) { return new VMenuBar(dock_, &port_, opened_, id); }
  std::vector<VMenuButton*> Buttons(VMenuBar* bar) {
    std::vector<VMenuButton*> buttons;
    for (VFrame* f : bar->GetSubFrames()) {
      if (f->GetKind() == kResTypeMenuButton) buttons.push_back(static_cast<VMenuButton*>(f));
    }
    return buttons;
  }
  POINT ScreenCentre(VFrame* f) {
    int32_t x = 0, y = 0;
    f->LocalToScreen(x, y);
    return POINT{x + f->GetWidth() / 2, y + f->GetHeight() / 2};
  }
  // A press at the centre of a button of the bar, in the bar's coordinates.
  VEvent PressOn(VFrame* button) {
    int32_t x = 0, y = 0;
    button->GetPosition(x, y);
    return VEvent(x + button->GetWidth() / 2, y + button->GetHeight() / 2, 0, false, false,
                  false, false, false, 1, 0);
  }
  VBitmapPort port_;
  std::unique_ptr<StoredResourceFile> file_;
  VResourceFile* opened_ = nullptr;
  VDockView* dock_ = nullptr;
};

TEST_F(MenuBars, BuildsItsStringsCloseButtonAndFullWidthRow) {
  VMenuBar* bar = Make(100);
  EXPECT_EQ(bar->GetKind(), kResTypeMenuBar);
  EXPECT_EQ(dock_->GetBarSide(bar), kDockTop);
  EXPECT_EQ(bar->GetWidth(), 300);
  EXPECT_EQ(bar->GetFirstString().GetLength(), 5);
  EXPECT_EQ(bar->GetSecondString().GetLength(), 6);
  VPushButton* close = bar->GetCloseButton();
  ASSERT_NE(close, nullptr);
  EXPECT_EQ(close->GetCommandId(), kMenuBarCloseCommand);
  int32_t x = 0, y = 0;
  close->GetPosition(x, y);
  EXPECT_EQ(x, 300 - close->GetWidth() - 4);
  EXPECT_EQ(y, 3);
  // On a side the close button goes and the buttons span the bar.
  bar->SetDockSide(kDockLeft);
  EXPECT_FALSE(close->IsVisible());
  for (VMenuButton* b : Buttons(bar)) EXPECT_EQ(b->GetSide(), kDockLeft);
  bar->SetDockSide(kDockTop);
  EXPECT_TRUE(close->IsVisible());
  bar->SetCloseButton(false, opened_);
  EXPECT_EQ(bar->GetCloseButton(), nullptr);
  bar->SetCloseButton(true, opened_);
  EXPECT_NE(bar->GetCloseButton(), nullptr);
}

TEST_F(MenuBars, AMissingResourceLeavesAnEmptyUndockedBar) {
  VMenuBar* bar = Make(199);
  EXPECT_EQ(dock_->GetBarSide(bar), -1);
  EXPECT_TRUE(bar->GetSubFrames().empty());
  EXPECT_EQ(bar->GetCloseButton(), nullptr);
  EXPECT_EQ(bar->InstallWindowMenuBar()->CountMenus(), 0);
}

TEST_F(MenuBars, WindowMenuBarTakesTheMenusInTheOrderTheButtonsStand) {
  VMenuBar* bar = Make(100);
  std::vector<VMenuButton*> buttons = Buttons(bar);  // Style, File, Edit
  ASSERT_EQ(buttons.size(), 3u);
  // Moved to stand File, Edit, Style from the left.
  buttons[1]->MoveTo(20, 2, 0);
  buttons[2]->MoveTo(80, 2, 0);
  buttons[0]->MoveTo(140, 2, 0);
  std::vector<VMenuBase*> own;
  for (VMenuButton* b : buttons) own.push_back(b->GetMenu());
  const std::vector<VMenuBase*> menus = {own[1], own[2], own[0]};
  VWinMenuBar* windowBar = bar->InstallWindowMenuBar();
  ASSERT_NE(windowBar, nullptr);
  EXPECT_EQ(bar->InstallWindowMenuBar(), windowBar);  // once
  ASSERT_EQ(windowBar->CountMenus(), 3);
  for (int32_t i = 1; i <= 3; ++i) EXPECT_EQ(windowBar->GetMenu(i), menus[size_t(i - 1)]);
  // Only menu buttons: the whole bar goes and gives its room back.
  EXPECT_FALSE(bar->IsVisible());
  EXPECT_TRUE(bar->GetHiddenControls().empty());
  EXPECT_EQ(dock_->GetTopMargin(), 0);
  for (VMenuButton* b : buttons) EXPECT_EQ(b->GetMenu(), nullptr);

  bar->RemoveWindowMenuBar();
  bar->RemoveWindowMenuBar();
  EXPECT_EQ(bar->GetWindowMenuBar(), nullptr);
  EXPECT_TRUE(bar->IsVisible());
  EXPECT_EQ(dock_->GetTopMargin(), bar->GetHeight());
  for (size_t i = 0; i < 3; ++i) EXPECT_EQ(buttons[i]->GetMenu(), own[i]);
}

TEST_F(MenuBars, AnotherControlKeepsTheBarAndOnlyTheMenuButtonsHide) {
  VMenuBar* bar = Make(101);
  const std::vector<VMenuButton*> buttons = Buttons(bar);
  ASSERT_EQ(buttons.size(), 2u);
  VFrame* other = bar->GetSubFrames().back();
  bar->InstallWindowMenuBar();
  EXPECT_TRUE(bar->IsVisible());
  EXPECT_TRUE(other->IsVisible());
  EXPECT_FALSE(bar->GetCloseButton()->IsVisible());
  ASSERT_EQ(bar->GetHiddenControls().size(), 2u);
  for (VMenuButton* b : buttons) EXPECT_FALSE(b->IsVisible());
  bar->RemoveWindowMenuBar();
  EXPECT_TRUE(bar->GetCloseButton()->IsVisible());
  for (VMenuButton* b : buttons) {
    EXPECT_TRUE(b->IsVisible());
    EXPECT_NE(b->GetMenu(), nullptr);
  }
  EXPECT_TRUE(bar->GetHiddenControls().empty());
  // Deleted while installed, the bar gives its menus back first.
  bar->InstallWindowMenuBar();
}

TEST_F(MenuBars, ASecondPressOnTheOpenMenusButtonOnlyClosesIt) {
  VMenuBar* bar = Make(100);
  VMenuButton* file = Buttons(bar)[1];
  Watcher watcher(host_, 600);
  // The menu is closed by a press that is still held over its button.
  const POINT over = ScreenCentre(file);
  std::vector<HeadlessInputEntry> held;
  for (ULONGLONG t = 0; t < 200; t += 10) held.push_back({t, over, HEADLESS_LEFT_BUTTON, {0}});
  ASSERT_TRUE(LoadHeadlessInput(held.data(), held.size(), 0));
  ScriptMenuCancel();
  VEvent press = PressOn(file);
  EXPECT_TRUE(bar->DispatchMouse(press));
  EXPECT_EQ(watcher.seen, (std::vector<int32_t>{-100, 0}));
  EXPECT_EQ(bar->GetLastPressed(), file);
  // That press, when it arrives, opens nothing.
  VEvent again = PressOn(file);
  EXPECT_TRUE(bar->DispatchMouse(again));
  EXPECT_EQ(watcher.seen.size(), 2u);
  EXPECT_EQ(bar->GetLastPressed(), nullptr);
  UnloadHeadlessInput();
}

TEST_F(MenuBars, RestingOnTheNeighbouringButtonOpensItsMenu) {
  VMenuBar* bar = Make(100);
  VMenuButton* file = Buttons(bar)[1];
  VMenuButton* edit = Buttons(bar)[2];
  Watcher fileWatch(host_, 600);
  Watcher editWatch(host_, 601);
  const POINT neighbour = ScreenCentre(edit);
  ScriptMenuHover(neighbour.x, neighbour.y);
  ScriptMenuChoosePosition(1);  // never reached: the menu ends first
  VEvent press = PressOn(file);
  EXPECT_TRUE(bar->DispatchMouse(press));
  EXPECT_EQ(fileWatch.seen, (std::vector<int32_t>{-100, 0}));
  EXPECT_EQ(bar->GetLastPressed(), nullptr);
  // The press waits in the queue at the neighbour's place in the window.
  MSG msg{};
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_LBUTTONDOWN, WM_LBUTTONDOWN, PM_REMOVE));
  POINT client = neighbour;
  ScreenToClient(window_, &client);
  EXPECT_EQ(static_cast<int32_t>(msg.lParam & 0xFFFF), client.x);
  EXPECT_EQ(static_cast<int32_t>((msg.lParam >> 16) & 0xFFFF), client.y);
  // Delivered to the bar, it opens the neighbour's menu.
  ScriptMenuCancel();
  int32_t bx = 0, by = 0;
  bar->LocalToScreen(bx, by);
  VEvent next(neighbour.x - bx, neighbour.y - by, 0, false, false, false, false, false, 1, 0);
  EXPECT_TRUE(bar->DispatchMouse(next));
  EXPECT_EQ(editWatch.seen, (std::vector<int32_t>{-100, 0}));
}

}  // namespace
