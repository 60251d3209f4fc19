// Menus from 'XMNU': loading with string references and sub-menus, the
// Win32 menus they realise (states, marks, shortcut texts, balanced
// columns, distinct command ids), refreshing, and choosing items.
#include "controls/menus/VMenu.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "boundary/FourCC.h"
#include "controls/menus/MenuGlobals.h"
#include "controls/menus/MenuResource.h"
#include "controls/menus/VMenuItem.h"
#include "controls/menus/VMenuItemRef.h"
#include "controls/tests/ControlTestSupport.h"
#include "framework/core/strings/VUniString.h"
#include "platform/win32/WinMenuTracking.h"
#include "platform/win32/WinWindowState.h"
#include "views/VCommand.h"
#include "views/VShortcut.h"

namespace {

constexpr uint32_t kXMNU = FourCC("XMNU");

struct StoredItem {
  std::string text;
  const char* kind;
  int32_t command;
  uint8_t flags = 0;
  int16_t parameter = 0;
};

std::vector<uint8_t> MenuBytes(const std::string& title, int32_t command,
                               const std::vector<StoredItem>& items) {
  StoredBytes b;
  b.Title(title).I32(command).U16(uint16_t(items.size()));
  for (const StoredItem& i : items) {
    b.Title(i.text).U16(0).U16(0).I32(i.command);
    for (int c = 0; c < 4; ++c) b.U8(uint8_t(i.kind[c]));
    b.U8(i.flags).U8(0).U16(uint16_t(i.parameter));
  }
  return b.bytes;
}

std::string Text(const VString& s) {
  char text[300];
  s.GetCText(text, sizeof text, kCharSetMac);
  return text;
}

struct Shown {
  UINT type = 0;
  UINT state = 0;
  UINT id = 0;
  HMENU sub = nullptr;
  HBITMAP checked = nullptr;
  std::string text;
};

Shown At(HMENU menu, int position) {
  char text[128] = {};
  MENUITEMINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = 0x3F;
  info.dwTypeData = text;
  info.cch = sizeof text;
  Shown s;
  if (!GetMenuItemInfoA(menu, UINT(position), TRUE_, &info)) return s;
  s = {info.fType, info.fState, info.wID, info.hSubMenu, info.hbmpChecked,
       (info.fType & (MFT_SEPARATOR | MFT_OWNERDRAW)) ? "" : text};
  return s;
}

class Menus : public ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    InitMenuGlobals();
    file_ = std::make_unique<StoredResourceFile>();
    host_->Add(10);  // the menus' own command
  }
  void TearDown() override {
    ControlTest::TearDown();
    file_.reset();
    FreeMenuGlobals();
    RECT screen{0, 0, 1024, 768};
    SetHeadlessScreens(&screen, 1);
  }
  VMenu* Make(int16_t id, int32_t command = 0) {
    if (opened_ == nullptr) opened_ = file_->Open();
    return new VMenu(host_, nullptr, command, opened_, id);
  }
  std::unique_ptr<StoredResourceFile> file_;
  VResourceFile* opened_ = nullptr;
};

TEST_F(Menus, LoadsTitlesKindsAndSubMenusAndRefusesToNestAnAncestor) {
  for (int32_t id : {20, 21, 22, 23}) host_->Add(id, "Named");
  StoredBytes strs;
  strs.U16(1).U8(4).U8('E').U8('d').U8('i').U8('t');
  file_->Add(FourCC("STR#"), 700, strs.bytes);
  file_->Add(kXMNU, 1, MenuBytes(":700,1", 10, {{"Cut", "TEXT", 20, 0, 7},
                                                {"", "LINE", 0},
                                                {"x", "NAME", 21, kMenuItemCheck},
                                                {"2", "HIER", 22},
                                                {"2", "HIER", 99},  // unresolved
                                                {"", "PICT", 23},   // not an item
                                                {"1", "HIER", 23}}));
  // Menu 2 names itself and menu 1, both being loaded around it.
  file_->Add(kXMNU, 2, MenuBytes("Sub", 0, {{"Deep", "TEXT", 20}, {"2", "HIER", 22}, {"1", "HIER", 23}}));
  std::vector<uint8_t> cut = MenuBytes("Bad", 10, {{"a", "TEXT", 20}});
  cut[37] = 2;  // two items counted, one stored
  file_->Add(kXMNU, 4, cut);
  std::unique_ptr<VMenu> menu(Make(1));
  EXPECT_EQ(Text(menu->GetTitle()), "Edit");
  ASSERT_EQ(menu->GetCommand(), host_->FindCommand(10));
  ASSERT_EQ(menu->CountItems(), 6);
  VStr<255> title;
  menu->GetItem(1)->GetTitle(title);
  EXPECT_EQ(Text(title), "Cut");
  EXPECT_EQ(menu->GetItem(1)->GetParameter(), 7);
  EXPECT_TRUE(menu->GetItem(2)->IsSeparator());
  menu->GetItem(3)->GetTitle(title);
  EXPECT_EQ(Text(title), "Named");
  EXPECT_TRUE(menu->GetItem(3)->IsCheckItem());

  VMenuBase* sub = static_cast<VSubMenuItem*>(menu->GetItem(4))->GetSubMenu();
  ASSERT_NE(sub, nullptr);
  menu->GetItem(4)->GetTitle(title);
  EXPECT_EQ(Text(title), "Sub");
  EXPECT_EQ(static_cast<VSubMenuItem*>(menu->GetItem(5))->GetSubMenu(), nullptr);
  // Menu 1 inside itself, and inside its sub-menu: no sub-menu either time.
  EXPECT_EQ(static_cast<VSubMenuItem*>(menu->GetItem(6))->GetSubMenu(), nullptr);
  ASSERT_EQ(sub->CountItems(), 3);
  EXPECT_EQ(static_cast<VSubMenuItem*>(sub->GetItem(2))->GetSubMenu(), nullptr);
  EXPECT_EQ(static_cast<VSubMenuItem*>(sub->GetItem(3))->GetSubMenu(), nullptr);
  EXPECT_EQ(menu->FindItem(20), menu->GetItem(1));
  EXPECT_EQ(menu->FindSubMenu(22), sub);
  EXPECT_EQ(menu->FindItem(77), nullptr);

  // Bad resources give empty menus and say why.
  VMenu empty(host_, nullptr, 10, nullptr, 0);
  EXPECT_EQ(empty.LoadFromResource(nullptr, opened_, 4), kMenuResourceCorrupt);
  EXPECT_EQ(empty.LoadFromResource(nullptr, opened_, 5), kMenuResourceMissing);
  EXPECT_EQ(empty.CountItems(), 0);
}

TEST_F(Menus, RealizeShowsStatesMarksAndShortcutsThenRefreshes) {
  VCommand* group = host_->Add(30, "", true);
  VCommand* left = host_->Add(31, "Left");
  VCommand* right = host_->Add(32, "Right");
  for (VCommand* member : {left, right}) {
    member->SetGroupCommand(group);
    group->AddMember(member);
  }
  VCommand* check = host_->Add(33, "Ruler");
  VCommand* off = host_->Add(34, "Off");
  off->SetEnabled(false, 0);
  host_->shortcut = std::make_unique<VCommandKey>(33, 0x1F, true, false, false, false);
  file_->Add(kXMNU, 1, MenuBytes("Align", 10, {{"x", "NAME", 31}, {"x", "NAME", 32},
                                               {"", "LINE", 0}, {"x", "NAME", 33, kMenuItemCheck},
                                               {"x", "NAME", 34}, {"Lost", "TEXT", 99}}));
  std::unique_ptr<VMenu> menu(Make(1));
  group->SetLong(nullptr, 32, 0);
  check->SetLong(nullptr, 2, 0);
  menu->Realize(nullptr, false, false);
  HMENU h = menu->GetHandle();
  ASSERT_EQ(GetMenuItemCount(h), 6);
  VStr<255> keyText;
  host_->shortcut->GetShortcutText(keyText);
  struct Row {
    int position;
    UINT type, state;
    bool mixed;
    std::string text;
  };
  const Row rows[] = {
      {0, MFT_STRING, MFS_ENABLED, false, "Left"},
      {1, MFT_STRING, MFS_CHECKED, false, "Right"},
      {2, MFT_SEPARATOR, 0, false, ""},
      {3, MFT_STRING, MFS_CHECKED, true, "Ruler\t" + Text(keyText)},
      {4, MFT_STRING, MFS_GRAYED, false, "Off"},
      {5, MFT_STRING, MFS_GRAYED, false, "Lost"},
  };
  for (const Row& r : rows) {
    const Shown s = At(h, r.position);
    EXPECT_EQ(s.type, r.type) << r.position;
    EXPECT_EQ(s.state, r.state) << r.position;
    EXPECT_EQ(s.checked == GetMixedMarkBitmap(), r.mixed) << r.position;
    EXPECT_EQ(s.text, r.text) << r.position;
    if (r.type != MFT_SEPARATOR) {
      ASSERT_NE(LookUpMenuItemRef(uint16_t(s.id)), nullptr) << r.position;
      EXPECT_EQ(LookUpMenuItemRef(uint16_t(s.id))->GetPosition(), r.position + 1);
    }
  }
  // The commands change: the menu listens and refreshes itself in place.
  group->SetLong(nullptr, kCommandGroupMixed, 0);
  check->SetLong(nullptr, 1, 0);
  off->SetEnabled(true, 0);
  host_->FindCommand(10)->SetTitle(VStr<255>());
  EXPECT_EQ(menu->GetHandle(), h);
  EXPECT_EQ(At(h, 0).checked, GetMixedMarkBitmap());
  EXPECT_EQ(At(h, 1).checked, GetMixedMarkBitmap());
  EXPECT_EQ(At(h, 3).state, MFS_CHECKED);
  EXPECT_EQ(At(h, 3).checked, nullptr);
  EXPECT_EQ(At(h, 4).state, MFS_ENABLED);
  // A disabled menu command disables every item.
  host_->FindCommand(10)->SetEnabled(false, 0);
  EXPECT_EQ(At(h, 0).state & MFS_GRAYED, MFS_GRAYED);
  menu->Unrealize(true);
  EXPECT_EQ(CountMenuItemRefs(), 0u);
  EXPECT_FALSE(IsMenu(h));
}

TEST_F(Menus, ColumnsAreBalancedAndIdsDistinctAcrossMenus) {
  host_->Add(40, "Item");
  std::vector<StoredItem> items(40, StoredItem{"", "NAME", 40});
  items[6] = {"", "LINE", 0};  // separators take a row too
  file_->Add(kXMNU, 1, MenuBytes("Long", 10, items));
  file_->Add(kXMNU, 2, MenuBytes("Short", 10, {{"a", "TEXT", 40}, {"b", "TEXT", 40}}));
  RECT screen{0, 0, 800, 15 * GetSystemMetrics(SM_CYMENU) + 5};
  ASSERT_TRUE(SetHeadlessScreens(&screen, 1));
  std::unique_ptr<VMenu> tall(Make(1));
  std::unique_ptr<VMenu> small(Make(2));
  tall->Realize(nullptr, true, false);
  small->Realize(nullptr, true, false);
  std::vector<int> breaks;
  std::set<UINT> ids;
  for (VMenu* m : {tall.get(), small.get()}) {
    for (int p = 0; p < GetMenuItemCount(m->GetHandle()); ++p) {
      const Shown s = At(m->GetHandle(), p);
      if (s.type & MFT_MENUBARBREAK) breaks.push_back(p + 1);
      if (!(s.type & MFT_SEPARATOR)) {
        EXPECT_TRUE(ids.insert(s.id).second) << p;
      }
    }
  }
  EXPECT_EQ(breaks, (std::vector<int>{15, 29}));
  // Freed indexes go to the next menu realised.
  const std::set<UINT> before = ids;
  small->Unrealize(true);
  std::unique_ptr<VMenu> again(Make(2));
  again->Realize(nullptr, true, false);
  EXPECT_TRUE(before.count(At(again->GetHandle(), 0).id));

  struct Row {
    int32_t items, bottom, row, rows;
  };
  const Row rows[] = {{40, 300, 20, 14}, {5, 300, 20, 15}, {45, 300, 20, 15},
                      {3, 10, 19, 1},    {0, 0, 19, 1},   {3, 200, 0, 3}};
  for (const Row& r : rows) {
    EXPECT_EQ(VMenu::RowsPerColumn(r.items, r.bottom, r.row), r.rows) << r.items << "/" << r.bottom;
  }
}

TEST_F(Menus, ItemsPastTheRegistryAreDisabled) {
  host_->Add(40, "Item");
  std::vector<std::unique_ptr<VMenuItemRef>> held;
  for (int i = 1; i < kMaxMenuItemRef; ++i) held.push_back(std::make_unique<VMenuItemRef>(nullptr, 0));
  file_->Add(kXMNU, 1, MenuBytes("M", 10, {{"a", "TEXT", 40}, {"b", "TEXT", 40}}));
  std::unique_ptr<VMenu> menu(Make(1));
  menu->Realize(nullptr, true, false);
  EXPECT_EQ(At(menu->GetHandle(), 0).id, kMaxMenuItemRef);
  EXPECT_EQ(At(menu->GetHandle(), 0).state, MFS_ENABLED);
  EXPECT_EQ(At(menu->GetHandle(), 1).id, 0u);
  EXPECT_EQ(At(menu->GetHandle(), 1).state, MFS_GRAYED);
  held.clear();
}

TEST_F(Menus, ChoosingAGroupACheckAndAPlainItem) {
  VCommand* group = host_->Add(30, "", true);
  VCommand* member = host_->Add(31, "Left");
  member->SetGroupCommand(group);
  group->AddMember(member);
  VCommand* check = host_->Add(33, "Ruler");
  VStr<255> text;
  text.SetCText("on", kCharSetMac);
  check->SetString(nullptr, text, 0);
  host_->Add(35, "Plain");
  file_->Add(kXMNU, 1, MenuBytes("M", 10, {{"", "NAME", 31, 0, 4}, {"", "NAME", 33, kMenuItemCheck, 5},
                                           {"", "NAME", 35, 0, 6}, {"", "NAME", 99}, {"", "LINE", 0}}));
  std::unique_ptr<VMenu> menu(Make(1));
  host_->sent.clear();
  for (int32_t p : {1, 2, 2, 3, 4, 5, 0, 9}) menu->ChooseItem(p);
  EXPECT_EQ(host_->sent, (std::vector<SentMessage>{{30, 4}, {33, 5}, {33, 5}, {35, 6}}));
  EXPECT_EQ(member->GetLong(), 1);
  EXPECT_EQ(check->GetLong(), 0);  // a text became 1, then toggled to 0
}

TEST_F(Menus, TrackPopUpTakesTheScriptedChoiceThroughSubMenus) {
  host_->Add(35, "Plain");
  host_->Add(36, "Deep");
  host_->Add(22, "Sub");
  file_->Add(kXMNU, 1, MenuBytes("M", 10, {{"", "NAME", 35, 0, 6}, {"2", "HIER", 22}}));
  file_->Add(kXMNU, 2, MenuBytes("S", 10, {{"", "NAME", 36, 0, 8}}));
  HWND active = CreateHeadlessWindow(100, 100);
  SetActiveWindow(active);
  std::unique_ptr<VMenu> menu(Make(1));
  struct Row {
    void (*script)();
    std::vector<SentMessage> sent;
  };
  const Row rows[] = {
      {[] { ScriptMenuChooseText("Plain"); }, {{35, 6}}},
      {[] { ScriptMenuChooseText("Deep"); }, {{36, 8}}},
      {[] { ScriptMenuCancel(); }, {}},
  };
  for (const Row& r : rows) {
    ResetMenuScript();
    r.script();
    host_->sent.clear();
    menu->TrackPopUp(40, 40, false);
    EXPECT_EQ(host_->sent, r.sent);
    EXPECT_EQ(menu->GetHandle(), nullptr);
    EXPECT_EQ(CountMenuItemRefs(), 0u);
  }
  ResetMenuScript();
  DestroyWindow(active);
}

}  // namespace
