// The window menu bar on the main window: installing and uninstalling, the
// main window's menu procedure recording choices and passing on what is not
// a framework bar's.
#include "controls/menus/VWinMenuBar.h"

#include <gtest/gtest.h>

#include "boundary/FourCC.h"
#include "controls/looks/LookPainterMaker.h"
#include "controls/menus/MenuGlobals.h"
#include "controls/menus/VMenu.h"
#include "controls/menus/VMenuItem.h"
#include "controls/tests/ControlTestSupport.h"
#include "framework/system/environment/VSystemServices.h"
#include "graphics/VIconShape.h"
#include "graphics/VLookPainter.h"
#include "platform/gdi/WinGdi.h"
#include "platform/win32/WinPaint.h"
#include "platform/win32/WinFileDialogs.h"
#include "platform/win32/WinMessages.h"
#include "platform/toolbox/TbxTraps.h"
#include "platform/win32/WinWindowState.h"
#include "views/VWindowUtilities.h"

namespace {

VStr<255> Str(const char* text) {
  VStr<255> s;
  s.SetCText(text, kCharSetMac);
  return s;
}

std::vector<UINT> gOwnMessages;
LRESULT OwnProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m >= WM_DRAWITEM) gOwnMessages.push_back(m);
  return m == WM_COMMAND ? 77 : DefWindowProcA(w, m, wp, lp);
}

std::vector<uint8_t> MenuBytes(const std::string& title, int32_t item) {
  StoredBytes b;
  b.Title(title).I32(10).U16(2);
  for (int i = 0; i < 2; ++i) {
    b.Title("Item").U16(0).U16(0).I32(item);
    b.U8('T').U8('E').U8('X').U8('T').U8(0).U8(0).U16(0);
  }
  return b.bytes;
}

class WinMenuBars : public ControlTest {
 protected:
  void SetUp() override {
    // The looks' colours, as the module has them.
    VLookPainterMakerService::Install(&kLookPainterMaker);
    ControlTest::SetUp();
    saved_ = gSystemServices;
    gSystemServices = &services_;
    main_ = CreateHeadlessWindow(200, 100);
    SetWindowLongPtrA(main_, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(&OwnProc));
    SetForegroundWindow(main_);
    hostMenu_ = CreateMenu();
    SetMenu(main_, hostMenu_);
    InitMenuGlobals();
    InstallMenuWindowProc();
    gOwnMessages.clear();
    host_->Add(10);
    host_->Add(20, "Item");
    file_ = std::make_unique<StoredResourceFile>();
    StoredBytes bar;
    bar.Fill(64, 0).U16(2).U16(1).U16(2);
    file_->Add(FourCC("XMBR"), 1, bar.bytes);
    file_->Add(FourCC("XMNU"), 1, MenuBytes("File", 20));
    file_->Add(FourCC("XMNU"), 2, MenuBytes("Edit", 20));
  }
  void TearDown() override {
    RemoveMenuWindowProc();
    FreeMenuGlobals();
    DestroyWindow(main_);
    DestroyMenu(hostMenu_);
    gSystemServices = saved_;
    file_.reset();
    ControlTest::TearDown();
    VLookPainterMakerService::Remove(&kLookPainterMaker);
  }
  VSystemServices services_;
  VSystemServices* saved_ = nullptr;
  HWND main_ = nullptr;
  HMENU hostMenu_ = nullptr;
  std::unique_ptr<StoredResourceFile> file_;
};

TEST_F(WinMenuBars, InstallingTwiceAndUninstallingTwiceRestoresTheFirstMenu) {
  VWinMenuBar bar(host_, file_->Open(), 1);
  ASSERT_EQ(bar.CountMenus(), 2);
  bar.Install();
  bar.Install();
  ASSERT_NE(bar.GetHandle(), nullptr);
  EXPECT_EQ(GetMenu(main_), bar.GetHandle());
  ASSERT_EQ(GetMenuItemCount(bar.GetHandle()), 2);
  char text[16] = {};
  MENUITEMINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_TYPE | MIIM_SUBMENU;
  info.dwTypeData = text;
  info.cch = sizeof text;
  ASSERT_TRUE(GetMenuItemInfoA(bar.GetHandle(), 1, TRUE_, &info));
  EXPECT_STREQ(text, "Edit");
  EXPECT_EQ(info.hSubMenu, bar.GetMenu(2)->GetHandle());
  bar.Uninstall();
  EXPECT_EQ(GetMenu(main_), bar.GetHandle());
  bar.Uninstall();
  EXPECT_EQ(GetMenu(main_), hostMenu_);
  EXPECT_FALSE(bar.IsInstalled());
}

TEST_F(WinMenuBars, TheMainProcedureRecordsChoicesAndPassesOnTheRest) {
  VWinMenuBar bar(host_, file_->Open(), 1);
  // No framework bar shown: the host's own menu gets every message.
  SendMessageA(main_, WM_INITMENU, 0, 0);
  EXPECT_EQ(SendMessageA(main_, WM_COMMAND, 5, 0), 77);
  EXPECT_EQ(gOwnMessages, (std::vector<UINT>{WM_INITMENU, WM_COMMAND}));
  bar.Install();
  gOwnMessages.clear();
  MENUITEMINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_ID;
  ASSERT_TRUE(GetMenuItemInfoA(bar.GetMenu(2)->GetHandle(), 1, TRUE_, &info));
  struct Row {
    WPARAM wParam;
    LRESULT answer;
    VMenuBase* menu;
    int16_t position;
    size_t ownMessages;
  };
  const Row rows[] = {
      {0xF060, 77, nullptr, 0, 1},                 // a system command
      {0x4321, 0, nullptr, 0, 1},                  // an id nobody holds
      {info.wID, 0, bar.GetMenu(2), 2, 1},         // the second item of "Edit"
  };
  for (const Row& r : rows) {
    bar.SetPendingChoice(nullptr, 0);
    EXPECT_EQ(SendMessageA(main_, WM_COMMAND, r.wParam, 0), r.answer) << r.wParam;
    EXPECT_EQ(bar.GetPendingMenu(), r.menu) << r.wParam;
    EXPECT_EQ(bar.GetPendingPosition(), r.position) << r.wParam;
    EXPECT_EQ(gOwnMessages.size(), r.ownMessages) << r.wParam;
  }
  // Menu-loop messages of the bar reach the window's own procedure too.
  SendMessageA(main_, WM_INITMENU, 0, 0);
  EXPECT_EQ(gOwnMessages.back(), WM_INITMENU);
}

}  // namespace

namespace {

TEST_F(WinMenuBars, OwnerDrawnItemsAreMeasuredAndDrawnThroughTheMainProcedure) {
  VWinMenuBar bar(host_, file_->Open(), 1);
  auto* menu = static_cast<VMenu*>(bar.GetMenu(1));
  auto* drawn = new VTextMenuItem(menu, 20, Str("Icon"), new VIconShape(nullptr, 9300));
  ASSERT_TRUE(drawn->HasIcon());
  bar.Install();
  MENUITEMINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_TYPE | MIIM_DATA;
  ASSERT_TRUE(GetMenuItemInfoA(menu->GetHandle(), 2, TRUE_, &info));
  EXPECT_EQ(info.fType & MFT_OWNERDRAW, MFT_OWNERDRAW);
  MEASUREITEMSTRUCT measure{ODT_MENU, 0, 0, 0, 0, info.dwItemData};
  EXPECT_EQ(SendMessageA(main_, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure)), 1);
  EXPECT_EQ(int32_t(measure.itemWidth), menu->GetWidth() - GetSystemMetrics(SM_CXMENUCHECK));
  EXPECT_EQ(int32_t(measure.itemHeight), drawn->GetHeight());
  EXPECT_GT(drawn->GetHeight(), 0);

  // Drawn selected into a window's DC: the row takes the highlight colour.
  HDC dc = GetDC(main_);
  DRAWITEMSTRUCT draw{ODT_MENU, 0, 0, ODA_SELECT, ODS_SELECTED, nullptr, dc,
                      RECT{0, 10, 120, 10 + drawn->GetHeight()}, info.dwItemData};
  EXPECT_EQ(SendMessageA(main_, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw)), 1);
  const COLORREF highlight = LookPainterForKind(2)->GetColor(34) & 0xFFFFFF;
  EXPECT_EQ(GetPixel(dc, 118, 11) & 0xFFFFFF, highlight);
  EXPECT_NE(GetPixel(dc, 118, 9) & 0xFFFFFF, highlight);
  ReleaseDC(main_, dc);
  EXPECT_TRUE(gOwnMessages.empty());
}

}  // namespace

namespace {

TEST_F(WinMenuBars, ThePendingChoiceIsChosenOnceAndCleared) {
  VWinMenuBar bar(host_, file_->Open(), 1);
  bar.Install();
  host_->sent.clear();
  bar.SetPendingChoice(bar.GetMenu(2), 1);
  TakePendingMenuBarChoices();
  EXPECT_EQ(bar.GetPendingMenu(), nullptr);
  EXPECT_EQ(bar.GetPendingPosition(), 0);
  TakePendingMenuBarChoices();
  // Half a choice chooses nothing.
  bar.SetPendingChoice(bar.GetMenu(2), 0);
  TakePendingMenuBarChoices();
  EXPECT_EQ(host_->sent, (std::vector<SentMessage>{{20, 0}}));
}

}  // namespace

namespace {

HWND gCalloutWindow = nullptr;
WPARAM gCalloutId = 0;
LRESULT gCalloutAnswer = 0;
int32_t CalloutSelect(void*, int16_t, int16_t, int16_t) {
  gCalloutAnswer = SendMessageA(gCalloutWindow, WM_COMMAND, gCalloutId, 0);
  return 0;
}

TEST_F(WinMenuBars, WhileAToolboxPopUpIsSelectedTheWindowGetsItsOwnMessages) {
  VWinMenuBar bar(host_, file_->Open(), 1);
  bar.Install();
  MENUITEMINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_ID;
  ASSERT_TRUE(GetMenuItemInfoA(bar.GetMenu(1)->GetHandle(), 0, TRUE_, &info));
  gCalloutWindow = main_;
  gCalloutId = info.wID;
  const Tbx::TrapRoutine own = Tbx::NGetTrapAddress(Tbx::kTrapPopUpMenuSelect, Tbx::kToolboxTrap);
  Tbx::NSetTrapAddress(reinterpret_cast<Tbx::TrapRoutine>(&CalloutSelect), Tbx::kTrapPopUpMenuSelect,
                       Tbx::kToolboxTrap);
  const Tbx::TrapRoutine saved = InstallPopUpMenuSelectPatch();
  gOwnMessages.clear();
  Tbx::PopUpMenuSelect(nullptr, 0, 0, 1);
  RemovePopUpMenuSelectPatch(saved);
  Tbx::NSetTrapAddress(own, Tbx::kTrapPopUpMenuSelect, Tbx::kToolboxTrap);
  EXPECT_EQ(gCalloutAnswer, 77);
  EXPECT_EQ(gOwnMessages, (std::vector<UINT>{WM_COMMAND}));
  EXPECT_EQ(bar.GetPendingMenu(), nullptr);
  // Outside the call-out the same id is the bar's choice.
  EXPECT_EQ(SendMessageA(main_, WM_COMMAND, gCalloutId, 0), 0);
  EXPECT_EQ(bar.GetPendingMenu(), bar.GetMenu(1));
}

}  // namespace
