// The window menu bar's Toolbox menu bar: built from the menus, the
// optional item switched, choices waiting until executed, and removed.
#include "controls/menus/VToolboxMenuBar.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/toolbox/TbxMenus.h"
#include "platform/toolbox/TbxWindowTracking.h"
#include "platform/win32/WinMenuTracking.h"
#include "views/VFrame.h"

namespace {

class Owner : public VFrame {
 public:
  Owner() : VFrame(nullptr, nullptr) {}
  bool NotifyParent(VFrame*, int32_t message, intptr_t) override {
    commands.push_back(message);
    return true;
  }
  std::vector<int32_t> commands;
};

TEST(ToolboxMenuBar, BuildsFromItsMenusAndLeavesOutTheOptionalItemWhenOff) {
  Owner owner;
  VToolboxMenuBar bar(&owner);
  const int16_t file = bar.AddMenu("File");
  bar.AddItem(file, "Open", 101);
  const int16_t close = bar.AddItem(file, "Close", 102);
  const int16_t edit = bar.AddMenu("Edit");
  bar.AddItem(edit, "Undo", 1);
  EXPECT_EQ(bar.AddItem(9, "None", 5), 0);
  bar.SetOptionalItem(file, close);
  EXPECT_TRUE(bar.GetBuiltMenus().empty());
  ASSERT_NE(bar.BuildToolboxMenuBar(), nullptr);
  EXPECT_EQ(bar.GetBuiltMenus(), (std::vector<std::string>{"File: Open, Close", "Edit: Undo"}));
  bar.SwitchOptionalItem(false);
  EXPECT_EQ(bar.GetBuiltMenus(), (std::vector<std::string>{"File: Open", "Edit: Undo"}));
  EXPECT_FALSE(bar.Choose(file, close));
  bar.RemoveToolboxMenuBar();
  EXPECT_FALSE(bar.IsBuilt());
  EXPECT_FALSE(bar.Choose(file, 1));
}

TEST(ToolboxMenuBar, AChoiceWaitsAndItsMenuSendsTheCommand) {
  Owner owner;
  VToolboxMenuBar bar(&owner);
  const int16_t file = bar.AddMenu("File");
  bar.AddItem(file, "Open", 101);
  bar.AddItem(file, "Close", 102);
  VMenuChoice* choice = bar.BuildToolboxMenuBar();
  struct Case {
    int16_t menu, item;
    bool taken;
  } cases[] = {{file, 2, true}, {file, 3, false}, {2, 1, false}, {file, 0, false}};
  for (const Case& c : cases) {
    *choice = VMenuChoice{};
    EXPECT_EQ(bar.Choose(c.menu, c.item), c.taken) << c.menu << "." << c.item;
    EXPECT_EQ(choice->item, c.taken ? c.item : 0);
  }
  bar.Choose(file, 2);
  choice->menu->ExecuteItem(choice->item);
  choice->menu->ExecuteItem(7);  // no such item: nothing
  EXPECT_EQ(owner.commands, std::vector<int32_t>{102});
  // The bar's shown state is its own.
  EXPECT_FALSE(bar.IsMenuBarShown());
  bar.ShowMenuBar(true);
  EXPECT_TRUE(bar.IsMenuBarShown());
}

TEST(ToolboxMenuBar, ItsToolboxMenusTakeTheScriptedSelection) {
  Owner owner;
  VToolboxMenuBar bar(&owner);
  const int16_t file = bar.AddMenu("File");
  bar.AddItem(file, "Open", 101);
  const int16_t close = bar.AddItem(file, "Close", 102);
  bar.AddItem(file, "Quit", 103);
  bar.SetOptionalItem(file, close);
  EXPECT_FALSE(bar.TakeToolboxChoice((VToolboxMenuBar::kToolboxMenuBase + 1) << 16 | 1));
  VMenuChoice* choice = bar.BuildToolboxMenuBar();
  ASSERT_EQ(Tbx::CountMenuBarMenus(), 1);
  bar.SwitchOptionalItem(false);
  Tbx::MenuRef shown = Tbx::GetMenuHandle(VToolboxMenuBar::kToolboxMenuBase + 1);
  ASSERT_EQ(Tbx::CountMenuItems(shown), 2);
  // The Toolbox's second item is the bar's third while Close is off.
  ResetMenuScript();
  ScriptMenuChooseText("Quit");
  const int32_t selection = Tbx::MenuSelect(Tbx::Point{5, 5});
  EXPECT_EQ(selection, ((VToolboxMenuBar::kToolboxMenuBase + 1) << 16) | 2);
  ASSERT_TRUE(bar.TakeToolboxChoice(selection));
  EXPECT_EQ(choice->item, 3);
  EXPECT_FALSE(bar.TakeToolboxChoice((VToolboxMenuBar::kToolboxMenuBase + 2) << 16 | 1));
  EXPECT_FALSE(bar.TakeToolboxChoice(((VToolboxMenuBar::kToolboxMenuBase + 1) << 16) | 3));
  bar.RemoveToolboxMenuBar();
  EXPECT_EQ(Tbx::CountMenuBarMenus(), 0);
  ResetMenuScript();
}

}  // namespace
