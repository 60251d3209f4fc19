// The font menu: the command's font checked, a value that is no font name
// replaced by the first font, choosing and refreshing, its self-drawn rows;
// and the 'XMNU' item kinds that open font, colour and pattern menus.
#include "controls/menus/VFontMenu.h"

#include <gtest/gtest.h>

#include "boundary/FourCC.h"
#include "controls/menus/MenuGlobals.h"
#include "controls/menus/VGridMenu.h"
#include "controls/menus/VMenu.h"
#include "controls/menus/VMenuItemRef.h"
#include "controls/tests/ControlTestSupport.h"
#include "framework/core/containers/VStringArray.h"
#include "framework/system/environment/VSystemServices.h"
#include "graphics/VDIBPort.h"
#include "platform/win32/WinWindowState.h"

namespace {

std::string FontText(const VString& s) {
  char text[300];
  s.GetCText(text, sizeof text, kCharSetMac);
  return text;
}

UINT StateAt(HMENU menu, int position) {
  MENUITEMINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_STATE;
  GetMenuItemInfoA(menu, UINT(position), TRUE_, &info);
  return info.fState;
}

class FontMenus : public ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    InitMenuGlobals();
    saved_ = gSystemServices;
    gSystemServices = &services_;
    services_.LoadFontLists();
    fonts_ = services_.GetFontList(true);
    font_ = host_->Add(60, "Font");
  }
  void TearDown() override {
    gSystemServices = saved_;
    FreeMenuGlobals();
    ControlTest::TearDown();
  }
  VSystemServices services_;
  VSystemServices* saved_ = nullptr;
  VStringArray* fonts_ = nullptr;
  VCommand* font_ = nullptr;
};

TEST_F(FontMenus, RealizeChecksTheCommandsFontAfterANumberBecameTheFirstName) {
  ASSERT_NE(fonts_, nullptr);
  ASSERT_GE(fonts_->Count(), 2);
  font_->SetLong(nullptr, 12, 0);
  VFontMenu menu(host_, nullptr, 60, 1);
  EXPECT_EQ(menu.CountItems(), fonts_->Count());
  menu.Realize(nullptr, false, false);
  ASSERT_NE(menu.GetHandle(), nullptr);
  EXPECT_EQ(FontText(*static_cast<VString*>(font_->GetValue())), FontText(*fonts_->GetAt(1)));
  ASSERT_EQ(GetMenuItemCount(menu.GetHandle()), fonts_->Count());
  EXPECT_EQ(StateAt(menu.GetHandle(), 0), MFS_CHECKED);
  EXPECT_EQ(StateAt(menu.GetHandle(), 1), MFS_ENABLED);
  // The command changes: the bar's menu listens and moves the check.
  font_->SetString(nullptr, *fonts_->GetAt(2), 0);
  EXPECT_EQ(StateAt(menu.GetHandle(), 0), MFS_ENABLED);
  EXPECT_EQ(StateAt(menu.GetHandle(), 1), MFS_CHECKED);
  font_->SetEnabled(false, 0);
  EXPECT_EQ(StateAt(menu.GetHandle(), 1), MFS_CHECKED | MFS_GRAYED);
  font_->SetEnabled(true, 0);
  // Every font's id leads back to its position.
  MENUITEMINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_ID;
  ASSERT_TRUE(GetMenuItemInfoA(menu.GetHandle(), 1, TRUE_, &info));
  ASSERT_NE(LookUpMenuItemRef(uint16_t(info.wID)), nullptr);
  EXPECT_EQ(LookUpMenuItemRef(uint16_t(info.wID))->GetPosition(), 2);
  host_->sent.clear();
  for (int32_t i : {1, 0, fonts_->Count() + 1}) menu.ChooseItem(i);
  EXPECT_EQ(host_->sent, (std::vector<SentMessage>{{60, 0}}));
  EXPECT_EQ(FontText(*static_cast<VString*>(font_->GetValue())), FontText(*fonts_->GetAt(1)));
  menu.Unrealize(true);
  EXPECT_EQ(CountMenuItemRefs(), 0u);
}

TEST_F(FontMenus, SelfDrawnRowsFitTheRoomAndTrackTheCursor) {
  ASSERT_NE(fonts_, nullptr);
  font_->SetString(nullptr, *fonts_->GetAt(1), 0);
  VFontMenu menu(host_, nullptr, 60, 1);
  VDIBPort port(300, 400, 32);
  int32_t width = 0;
  int32_t height = 10000;
  menu.Measure(&port, width, height);
  port.UseStandardFont(0);
  const int32_t row = port.GetLineHeight();
  EXPECT_EQ(height, row * fonts_->Count());
  EXPECT_GT(width, 10);
  // Three rows of room: two rows and the band below.
  height = 3 * row + 1;
  menu.Measure(&port, width, height);
  EXPECT_EQ(menu.GetLastVisible(), 2);
  EXPECT_EQ(height, 3 * row);
  menu.Draw(&port, width, height);
  int32_t chosen = 0;
  EXPECT_EQ(menu.TrackHilite(&port, width, height, 5, row + 2, 0, chosen), 2);
  EXPECT_EQ(chosen, 2);
  int32_t left = 0, top = 0, w = 0, h = 0;
  menu.GetItemBounds(2, left, top, w, h);
  EXPECT_EQ(top, row);
  EXPECT_EQ(h, row);
  // The band below scrolls by one row near its top, by three near the
  // bottom edge with four rows or more below, and chooses nothing.
  if (fonts_->Count() > 6) {
    EXPECT_EQ(menu.TrackHilite(&port, width, height, 5, height - row + 1, 2, chosen), 0);
    EXPECT_EQ(menu.GetFirstVisible(), 2);
    EXPECT_EQ(menu.TrackHilite(&port, width, height, 5, height - 1, 0, chosen), 0);
    EXPECT_EQ(menu.GetFirstVisible(), 5);
    EXPECT_EQ(menu.GetLastVisible(), 6);
  }
}

TEST_F(FontMenus, ItemKindsOpenTheirMenusOnlyWithACommand) {
  StoredResourceFile file;
  StoredBytes b;
  struct Stored {
    const char* kind;
    int32_t command;
  };
  const Stored stored[] = {{"FONT", 60}, {"FNTT", 60}, {"HCOL", 61}, {"HPAT", 62}, {"HCOL", 99}};
  b.Title("Format").I32(10).U16(uint16_t(std::size(stored)));
  for (const Stored& s : stored) {
    b.Title("Sub").U16(0).U16(0).I32(s.command);
    for (int c = 0; c < 4; ++c) b.U8(uint8_t(s.kind[c]));
    b.U8(0).U8(0).U16(0);
  }
  file.Add(FourCC("XMNU"), 1, b.bytes);
  host_->Add(10);
  host_->Add(61, "Colour");
  host_->Add(62, "Pattern");
  VMenu menu(host_, nullptr, 0, file.Open(), 1);
  ASSERT_EQ(menu.CountItems(), 5);
  for (int32_t p = 1; p <= 5; ++p) {
    ASSERT_TRUE(menu.GetItem(p)->HasSubMenu()) << p;
    EXPECT_EQ(static_cast<VSubMenuItem*>(menu.GetItem(p))->GetSubMenu(), nullptr) << p;
  }
  EXPECT_EQ(static_cast<VFontMenuItem*>(menu.GetItem(1))->GetFontList(), 1);
  EXPECT_EQ(static_cast<VFontMenuItem*>(menu.GetItem(2))->GetFontList(), 0);
  menu.Realize(nullptr, true, false);
  auto sub = [&](int32_t p) { return static_cast<VSubMenuItem*>(menu.GetItem(p))->GetSubMenu(); };
  EXPECT_NE(dynamic_cast<VFontMenu*>(sub(1)), nullptr);
  EXPECT_NE(dynamic_cast<VColorMenu*>(sub(3)), nullptr);
  EXPECT_NE(dynamic_cast<VPatternMenu*>(sub(4)), nullptr);
  EXPECT_EQ(sub(5), nullptr);
  EXPECT_EQ(sub(3)->GetCommand(), host_->FindCommand(61));
  // The grid is one owner-drawn item in the sub-menu the item opens.
  MENUITEMINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_SUBMENU;
  ASSERT_TRUE(GetMenuItemInfoA(menu.GetHandle(), 2, TRUE_, &info));
  EXPECT_EQ(info.hSubMenu, sub(3)->GetHandle());
  ASSERT_EQ(GetMenuItemCount(sub(3)->GetHandle()), 1);
  info.fMask = MIIM_TYPE | MIIM_DATA;
  ASSERT_TRUE(GetMenuItemInfoA(sub(3)->GetHandle(), 0, TRUE_, &info));
  EXPECT_EQ(info.fType, MFT_OWNERDRAW);
  EXPECT_EQ(info.dwItemData,
            reinterpret_cast<ULONG_PTR>(static_cast<VMenuDrawData*>(static_cast<VColorMenu*>(sub(3))->GetDrawData())));
  menu.Unrealize(true);
  EXPECT_EQ(static_cast<VColorMenu*>(sub(3))->GetDrawData(), nullptr);
}

}  // namespace
