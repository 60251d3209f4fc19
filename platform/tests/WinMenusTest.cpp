// Menu handles and their items: building, reading back, changing, sub-menus,
// a window's menu bar, the counted beeps, and the calls that must fail.
#include <gtest/gtest.h>

#include <string>

#include "platform/win32/WinMenus.h"
#include "platform/win32/WinTypes.h"

namespace {

MENUITEMINFOA Info(UINT mask) {
  MENUITEMINFOA info{};
  info.cbSize = sizeof(info);
  info.fMask = mask;
  return info;
}

BOOL AddString(HMENU menu, UINT id, const char* text, UINT state = MFS_ENABLED) {
  MENUITEMINFOA info = Info(MIIM_ID | MIIM_TYPE | MIIM_STATE);
  info.wID = id;
  info.fState = state;
  info.dwTypeData = const_cast<char*>(text);
  return InsertMenuItemA(menu, 0xFFFF, TRUE_, &info);
}

std::string TextAt(HMENU menu, UINT position) {
  char text[8] = {};
  MENUITEMINFOA info = Info(MIIM_TYPE);
  info.dwTypeData = text;
  info.cch = sizeof(text);
  if (!GetMenuItemInfoA(menu, position, TRUE_, &info)) return "<none>";
  return std::string(text) + "/" + std::to_string(info.cch);
}

TEST(WinMenus, ItemsKeepWhatTheyAreGivenAndTextsAreCutToTheBuffer) {
  HMENU menu = CreatePopupMenu();
  ASSERT_TRUE(AddString(menu, 7, "Open\tCtrl+O"));
  ASSERT_TRUE(AddString(menu, 9, "Close", MFS_GRAYED));
  MENUITEMINFOA drawn = Info(0x3F);
  drawn.fType = MFT_OWNERDRAW | MFT_MENUBARBREAK;
  drawn.wID = 11;
  drawn.dwItemData = 0x1234;
  ASSERT_TRUE(InsertMenuItemA(menu, 1, TRUE_, &drawn));  // between the two
  EXPECT_EQ(GetMenuItemCount(menu), 3);
  EXPECT_EQ(TextAt(menu, 0), "Open\tCt/11");
  EXPECT_EQ(TextAt(menu, 2), "Close/5");

  MENUITEMINFOA back = Info(0x3F);
  ASSERT_TRUE(GetMenuItemInfoA(menu, 11, FALSE_, &back));  // by command
  EXPECT_EQ(back.fType, MFT_OWNERDRAW | MFT_MENUBARBREAK);
  EXPECT_EQ(back.dwItemData, 0x1234u);
  MENUITEMINFOA state = Info(MIIM_STATE);
  state.fState = MFS_CHECKED;
  ASSERT_TRUE(SetMenuItemInfoA(menu, 2, TRUE_, &state));
  MENUITEMINFOA read = Info(MIIM_STATE | MIIM_ID);
  ASSERT_TRUE(GetMenuItemInfoA(menu, 2, TRUE_, &read));
  EXPECT_EQ(read.fState, MFS_CHECKED);
  EXPECT_EQ(read.wID, 9u);
  EXPECT_EQ(TextAt(menu, 2), "Close/5");  // a state change keeps the text
  EXPECT_TRUE(DestroyMenu(menu));
}

TEST(WinMenus, SubMenusAreFoundByCommandAndDestroyedWithTheirMenu) {
  size_t before = CountHeadlessMenus();
  HMENU top = CreateMenu();
  HMENU sub = CreatePopupMenu();
  ASSERT_TRUE(AddString(sub, 42, "Deep"));
  MENUITEMINFOA item = Info(MIIM_SUBMENU | MIIM_TYPE);
  item.hSubMenu = sub;
  item.dwTypeData = const_cast<char*>("Sub");
  ASSERT_TRUE(InsertMenuItemA(top, 0, TRUE_, &item));
  EXPECT_EQ(GetSubMenu(top, 0), sub);
  MENUITEMINFOA deep = Info(MIIM_ID);
  ASSERT_TRUE(GetMenuItemInfoA(top, 42, FALSE_, &deep));
  EXPECT_EQ(deep.wID, 42u);
  // A menu cannot become its own descendant.
  MENUITEMINFOA loop = Info(MIIM_SUBMENU);
  loop.hSubMenu = top;
  EXPECT_FALSE(InsertMenuItemA(sub, 0, TRUE_, &loop));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(GetMenuItemCount(sub), 1);

  HWND window = CreateHeadlessWindow(20, 20);
  EXPECT_TRUE(SetMenu(window, top));
  EXPECT_EQ(GetMenu(window), top);
  EXPECT_TRUE(DestroyMenu(top));
  EXPECT_FALSE(IsMenu(sub));
  EXPECT_EQ(GetMenu(window), nullptr);
  EXPECT_EQ(CountHeadlessMenus(), before);
  DestroyWindow(window);
}

TEST(WinMenus, BadCallsFailAndChangeNothing) {
  HMENU menu = CreatePopupMenu();
  ASSERT_TRUE(AddString(menu, 1, "One"));
  HMENU dead = CreatePopupMenu();
  DestroyMenu(dead);
  MENUITEMINFOA good = Info(MIIM_STATE | MIIM_TYPE);
  good.fState = MFS_CHECKED;
  good.dwTypeData = const_cast<char*>("Changed");
  MENUITEMINFOA wrongSize = good;
  wrongSize.cbSize = 44;
  MENUITEMINFOA badSub = Info(MIIM_SUBMENU | MIIM_STATE);
  badSub.hSubMenu = dead;
  badSub.fState = MFS_CHECKED;
  struct Case {
    const char* name;
    HMENU menu;
    UINT item;
    BOOL byPosition;
    const MENUITEMINFOA* info;
    DWORD error;
  };
  const Case cases[] = {
      {"dead menu", dead, 0, TRUE_, &good, ERROR_INVALID_HANDLE},
      {"null menu", nullptr, 0, TRUE_, &good, ERROR_INVALID_HANDLE},
      {"wrong size", menu, 0, TRUE_, &wrongSize, ERROR_INVALID_PARAMETER},
      {"no info", menu, 0, TRUE_, nullptr, ERROR_INVALID_PARAMETER},
      {"position past the end", menu, 5, TRUE_, &good, ERROR_INVALID_PARAMETER},
      {"unknown command", menu, 77, FALSE_, &good, ERROR_INVALID_PARAMETER},
      {"dead sub-menu", menu, 0, TRUE_, &badSub, ERROR_INVALID_PARAMETER},
  };
  for (const Case& c : cases) {
    SetLastError(0);
    EXPECT_FALSE(SetMenuItemInfoA(c.menu, c.item, c.byPosition, c.info)) << c.name;
    EXPECT_EQ(GetLastError(), c.error) << c.name;
  }
  EXPECT_EQ(TextAt(menu, 0), "One/3");
  MENUITEMINFOA state = Info(MIIM_STATE);
  ASSERT_TRUE(GetMenuItemInfoA(menu, 0, TRUE_, &state));
  EXPECT_EQ(state.fState, MFS_ENABLED);
  EXPECT_EQ(GetMenuItemCount(dead), -1);
  EXPECT_FALSE(RemoveMenu(menu, 3, MF_BYPOSITION));
  EXPECT_TRUE(DeleteMenu(menu, 1, MF_BYCOMMAND));
  EXPECT_EQ(GetMenuItemCount(menu), 0);
  EXPECT_FALSE(SetMenu(nullptr, menu));
  DestroyMenu(menu);
}

TEST(WinMenus, BeepsAreCountedInOrder) {
  ResetHeadlessBeeps();
  MessageBeep(0);
  MessageBeep(0x30);
  EXPECT_EQ(GetHeadlessBeeps(), (std::vector<UINT>{0, 0x30}));
  ResetHeadlessBeeps();
  EXPECT_TRUE(GetHeadlessBeeps().empty());
}

}  // namespace
