// The colour and pattern menus: their sizes, the cells under points, the
// choices they make, the highlight that vanishes when drawn twice, and the
// cell chosen through pop-up tracking and through the window menu bar.
#include "controls/menus/VGridMenu.h"

#include <gtest/gtest.h>

#include "boundary/FourCC.h"
#include "controls/looks/LookPainterMaker.h"
#include "controls/menus/MenuGlobals.h"
#include "controls/menus/VMenu.h"
#include "controls/menus/VWinMenuBar.h"
#include "controls/tests/ControlTestSupport.h"
#include "controls/toolbars/VMenuButton.h"
#include "framework/core/containers/VStringArray.h"
#include "framework/system/environment/VSystemServices.h"
#include "graphics/VDIBPort.h"
#include "platform/gdi/WinGdi.h"
#include "platform/win32/WinFileDialogs.h"
#include "platform/win32/WinInput.h"
#include "platform/win32/WinMenuTracking.h"
#include "platform/win32/WinMessages.h"
#include "platform/win32/WinWindowState.h"
#include "platform/win32/WinWindows.h"

namespace {

// Colour i of the test palette: distinct, with a zero top byte.
uint32_t ColorOf(size_t i) { return uint32_t(0x010203 * (i + 1)) & 0xFFFFFF; }

std::vector<uint32_t> TestPalette(size_t n) {
  std::vector<uint32_t> colors;
  for (size_t i = 0; i < n; ++i) colors.push_back(ColorOf(i));
  return colors;
}

VStringArray* Choices(std::initializer_list<const char*> texts) {
  auto* list = new VStringArray();
  for (const char* text : texts) {
    auto* s = new VStr<255>();
    s->SetCText(text, kCharSetMac);
    list->AppendObject(s, false);
  }
  return list;
}

class GridMenus : public ControlTest {
 protected:
  void SetUp() override {
    VLookPainterMakerService::Install(&kLookPainterMaker);
    ControlTest::SetUp();
    InitMenuGlobals();
    saved_ = gSystemServices;
    gSystemServices = &services_;
    color_ = host_->Add(50, "Colour");
    pattern_ = host_->Add(51, "Pattern");
  }
  void TearDown() override {
    ResetMenuScript();
    gSystemServices = saved_;
    FreeMenuGlobals();
    ControlTest::TearDown();
    VLookPainterMakerService::Remove(&kLookPainterMaker);
  }
  VSystemServices services_;
  VSystemServices* saved_ = nullptr;
  VCommand* color_ = nullptr;
  VCommand* pattern_ = nullptr;
};

TEST_F(GridMenus, SizesNormalSmallAndWithAChoiceList) {
  VColorMenu colors(host_, nullptr, 50);
  VPatternMenu patterns(host_, nullptr, 51);
  VDIBPort port(10, 10, 32);
  struct Row {
    VGridMenu* menu;
    bool small;
    int32_t width, height;
  };
  const Row rows[] = {{&colors, false, 162, 194}, {&colors, true, 113, 131},
                      {&patterns, false, 158, 110}, {&patterns, true, 103, 79}};
  for (const Row& r : rows) {
    r.menu->SetSmallFont(r.small);
    int32_t width = 0;
    int32_t height = 1000;
    r.menu->Measure(&port, width, height);
    EXPECT_EQ(width, r.width) << r.small;
    EXPECT_EQ(height, r.height) << r.small;
    EXPECT_EQ(r.menu->GetWidth(), r.width);
  }
  // Each row of the choice list adds a line and two pixels, after a gap.
  color_->SetChoiceList(Choices({"Auto", "None"}), false);
  colors.SetSmallFont(false);
  int32_t width = 0;
  int32_t height = 1000;
  colors.Measure(&port, width, height);
  port.UseStandardFont(0);
  EXPECT_EQ(height, 194 + 2 + 2 * (port.GetLineHeight() + 2));
}

TEST_F(GridMenus, ColourCellsUnderPoints) {
  VColorMenu colors(host_, nullptr, 50);
  color_->SetChoiceList(Choices({"Auto", "None"}), false);
  VDIBPort port(10, 10, 32);
  int32_t width = 0;
  int32_t height = 1000;
  colors.Measure(&port, width, height);
  port.UseStandardFont(0);
  const int32_t row = port.GetLineHeight() + 2;
  struct Row {
    int32_t x, y, cell;
  };
  const Row rows[] = {
      {2, 2, 1},      {10, 2, 1},      {11, 2, 2},     {158, 158, 256}, {2, 12, 17},
      {1, 2, 0},      {2, 1, 0},       {160, 20, 0},   // the outer gaps
      {20, 161, 0},                                    // under the last row: no cell, not a list row
      {20, 170, 0},                                    // the swatch band
      {20, 196, 257}, {20, 196 + row, 258},            // the choice list's rows
  };
  for (const Row& r : rows) EXPECT_EQ(colors.CellAt(r.x, r.y, height), r.cell) << r.x << "," << r.y;
  int32_t left = 0, top = 0, w = 0, h = 0;
  colors.GetItemBounds(257, left, top, w, h);
  EXPECT_EQ(top, 16 * 8 + 18 * 2 + 32);  // where the first row is drawn
  EXPECT_EQ(colors.CellAt(left + 1, top + 1, height), 257);
  colors.GetItemBounds(18, left, top, w, h);
  EXPECT_EQ(colors.CellAt(left + 3, top + 3, height), 18);
}

TEST_F(GridMenus, ChoosingAColourOrARowSendsOnlyAChange) {
  VColorMenu colors(host_, nullptr, 50);
  colors.ChooseItem(3);  // no palette yet: nothing
  colors.SetPalette(TestPalette(20));
  color_->SetChoiceList(Choices({"Auto", "None"}), false);
  VDIBPort port(10, 10, 32);
  int32_t width = 0;
  int32_t height = 1000;
  colors.Measure(&port, width, height);
  VStr<255> text;
  text.SetCText("red", kCharSetMac);
  color_->SetString(nullptr, text, 0);
  host_->sent.clear();
  struct Row {
    int32_t cell;
    int32_t value;
    size_t sent;
  };
  const Row rows[] = {
      {3, int32_t(ColorOf(2)), 1},       // a text value counts as none
      {3, int32_t(ColorOf(2)), 1},       // the same colour again: nothing sent
      {258, int32_t(0xFF000002), 2},     // row 2 of the choice list
      {21, int32_t(0xFF000002), 2},      // past the short palette
      {259, int32_t(0xFF000002), 2},     // past the choice list
      {0, int32_t(0xFF000002), 2},
      {20, int32_t(ColorOf(19)), 3},
  };
  for (const Row& r : rows) {
    colors.ChooseItem(r.cell);
    EXPECT_EQ(color_->GetLong(), r.value) << r.cell;
    EXPECT_EQ(host_->sent.size(), r.sent) << r.cell;
  }
  EXPECT_EQ(host_->sent.back(), (SentMessage{50, 0}));
  // A list replaced since the measure shows no rows until measured again.
  color_->SetChoiceList(Choices({"Other"}), false);
  colors.ChooseItem(257);
  EXPECT_EQ(host_->sent.size(), 3u);
  // Without a command the menu neither tracks nor chooses.
  VColorMenu orphan(host_, nullptr, 999);
  orphan.SetPalette(TestPalette(4));
  orphan.ChooseItem(1);
  int32_t chosen = 9;
  EXPECT_EQ(orphan.TrackHilite(&port, 162, 194, 3, 3, 0, chosen), 0);
  EXPECT_EQ(chosen, 0);
  EXPECT_EQ(host_->sent.size(), 3u);
}

TEST_F(GridMenus, TheColourHighlightVanishesWhenDrawnTwice) {
  VColorMenu colors(host_, nullptr, 50);
  colors.SetPalette(TestPalette(256));
  color_->SetLong(nullptr, int32_t(ColorOf(40)), 0);
  VDIBPort port(162, 194, 32);
  port.SetFillColor(RGB(250, 250, 250));
  port.PaintRect(0, 0, 162, 194);
  int32_t width = 0;
  int32_t height = 1000;
  colors.Measure(&port, width, height);
  colors.Draw(&port, width, height);
  // The current colour (cell 41) is framed and shown in the swatch.
  EXPECT_EQ(port.GetPixel(10, 162 + 10) & 0xFFFFFF, ColorOf(40));
  const auto* bits = static_cast<const uint32_t*>(port.GetBits());
  auto grid = [&] { return std::vector<uint32_t>(bits, bits + 162 * 162); };
  const std::vector<uint32_t> before = grid();
  int32_t chosen = 0;
  EXPECT_EQ(colors.TrackHilite(&port, width, height, 13, 13, -1, chosen), 18);
  EXPECT_EQ(chosen, 18);
  EXPECT_NE(grid(), before);
  // The second swatch shows the highlighted colour.
  EXPECT_EQ(port.GetPixel(9 * 2 + 8 * 8 + 4, 162 + 10) & 0xFFFFFF, ColorOf(17));
  EXPECT_EQ(colors.TrackHilite(&port, width, height, 13, 13, 18, chosen), 18);
  EXPECT_EQ(colors.TrackHilite(&port, width, height, 300, 13, 18, chosen), 0);
  EXPECT_EQ(grid(), before);
}

TEST_F(GridMenus, PatternCellsBoundsAndChoices) {
  VPatternMenu patterns(host_, nullptr, 51);
  std::vector<std::array<uint8_t, kPatternSize>> list(3);
  patterns.SetPatterns(list);
  struct Row {
    int32_t x, y, cell;
  };
  const Row rows[] = {{1, 1, 1}, {26, 1, 1}, {27, 1, 2}, {157, 109, 0}, {155, 107, 36},
                      {157, 5, 0},  // right of the last column: not the next row
                      {5, 109, 0}, {0, 5, 0}, {5, 110, 0}};
  for (const Row& r : rows) {
    EXPECT_EQ(patterns.CellAt(r.x, r.y, 158, 110), r.cell) << r.x << "," << r.y;
  }
  patterns.SetSmallFont(true);
  int32_t left = 0, top = 0, w = 0, h = 0;
  patterns.GetItemBounds(8, left, top, w, h);
  EXPECT_EQ((std::vector<int32_t>{left, top, w, h}), (std::vector<int32_t>{27, 19, 26, 18}));
  host_->sent.clear();
  for (int32_t cell : {4, 4, 5, 1, 37, 0}) patterns.ChooseItem(cell);
  EXPECT_EQ(pattern_->GetLong(), 1);
  EXPECT_EQ(host_->sent, (std::vector<SentMessage>{{51, 0}, {51, 0}}));
}

TEST_F(GridMenus, APopUpChoosesTheHoveredCellAndACancelChoosesNothing) {
  StoredResourceFile file;
  StoredBytes palette;
  palette.U16(256).Fill(14, 0);
  for (int i = 0; i < 256; ++i) palette.U16(uint16_t(i << 8)).U16(0x1100).U16(0x2200).Fill(10, 0);
  file.Add(FourCC("pltt"), 9000, palette.bytes);
  services_.SetModuleResourceFile(file.Open());
  HWND active = CreateHeadlessWindow(100, 100);
  SetActiveWindow(active);
  VColorMenu colors(host_, nullptr, 50);
  struct Row {
    std::vector<POINT> hovers;
    bool cancel;
    int32_t value;
    size_t sent;
  };
  // The menu opens at (40, 40); cell 18 lies at (12..20, 12..20) in it.
  const Row rows[] = {
      {{{53, 53}}, false, 0x221111, 1},
      {{{53, 53}, {43, 43}}, false, 0x221100, 2},
      {{{63, 53}}, true, 0x221100, 2},      // Escape over a cell chooses nothing
      {{{63, 53}, {500, 500}}, false, 0x221100, 2},  // moved off the menu
  };
  host_->sent.clear();
  for (const Row& r : rows) {
    ResetMenuScript();
    for (const POINT& p : r.hovers) ScriptMenuHover(p.x, p.y);
    if (r.cancel) {
      ScriptMenuCancel();
    } else {
      ScriptMenuChoosePosition(1);
    }
    colors.TrackPopUp(40, 40, false);
    EXPECT_EQ(color_->GetLong(), r.value);
    EXPECT_EQ(host_->sent.size(), r.sent);
    EXPECT_EQ(colors.GetHandle(), nullptr);
    EXPECT_EQ(GetRememberedGrid(), nullptr);
  }
  services_.SetModuleResourceFile(nullptr);
  DestroyWindow(active);
}

// A colour menu button: the area hears the chosen colour in the command while
// the command runs; once the menu has closed the command holds the button's
// normal state again.
TEST_F(GridMenus, AColourMenuButtonSendsItsChoiceBeforeItsStateReturnsToNormal) {
  StoredResourceFile file;
  StoredBytes palette;
  palette.U16(256).Fill(14, 0);
  for (int i = 0; i < 256; ++i) palette.U16(uint16_t(i << 8)).U16(0x1100).U16(0x2200).Fill(10, 0);
  file.Add(FourCC("pltt"), 9000, palette.bytes);
  // A command above 100, which the area runs.
  VCommand* chosen = host_->Add(150, "Colour");
  StoredBytes button;
  button.I32(150).I32(0).I32(0).I32(0).I32(0).Title("Colour").U16(0).U16(0).I32(int32_t(FourCC("HCOL")));
  button.U16(0);
  file.Add(kResTypeMenuButton, 20, button.bytes);
  VResourceFile* opened = file.Open();
  services_.SetModuleResourceFile(opened);
  HWND active = CreateHeadlessWindow(100, 100);
  SetActiveWindow(active);
  VMenuButton colour(host_, nullptr, opened, 20, 0);
  ASSERT_NE(colour.GetMenu(), nullptr);
  std::vector<int32_t> heard;
  host_->onCommand = [&](int32_t id) {
    if (id == 150) heard.push_back(chosen->GetLong());
  };
  int32_t x = 0, y = 0;
  colour.LocalToScreen(x, y);
  ResetMenuScript();
  ScriptMenuHover(x + 13, y + colour.GetHeight() + 13);  // cell 18 of the grid under it
  ScriptMenuChoosePosition(1);
  VEvent press(1, 1, 0, false, false, false, false, false, 1, 0);
  colour.MouseDown(press);
  EXPECT_EQ(heard, (std::vector<int32_t>{0x221111}));
  EXPECT_EQ(chosen->GetLong(), 0);
  host_->onCommand = nullptr;
  services_.SetModuleResourceFile(nullptr);
  DestroyWindow(active);
}

TEST_F(GridMenus, ACellOfAGridInTheMenuBarIsThePendingChoice) {
  StoredResourceFile file;
  StoredBytes bar;
  bar.Fill(64, 0).U16(1).U16(1);
  file.Add(FourCC("XMBR"), 1, bar.bytes);
  StoredBytes menu;
  menu.Title("Format").I32(10).U16(2);
  for (const char* kind : {"HCOL", "HPAT"}) {
    menu.Title("Grid").U16(0).U16(0).I32(std::string(kind) == "HCOL" ? 50 : 51);
    for (int c = 0; c < 4; ++c) menu.U8(uint8_t(kind[c]));
    menu.U8(0).U8(0).U16(0);
  }
  file.Add(FourCC("XMNU"), 1, menu.bytes);
  host_->Add(10);
  VResourceFile* opened = file.Open();
  HWND main = CreateHeadlessWindow(300, 200);
  SetForegroundWindow(main);
  InstallMenuWindowProc();
  {
    VWinMenuBar menuBar(host_, opened, 1);
    menuBar.Install();
    auto* format = static_cast<VMenu*>(menuBar.GetMenu(1));
    auto* grid = static_cast<VColorMenu*>(static_cast<VSubMenuItem*>(format->GetItem(1))->GetSubMenu());
    ASSERT_NE(grid, nullptr);
    EXPECT_TRUE(grid->IsGrid());
    ASSERT_NE(static_cast<VSubMenuItem*>(format->GetItem(2))->GetSubMenu(), nullptr);
    grid->SetPalette(TestPalette(256));
    // The bar's grid opens in a window of its own over everything.
    HWND open = CreateHeadlessWindow(162, 194);
    SetHeadlessWindowOrigin(open, 100, 100);
    SetWindowLongPtrA(open, GWL_USERDATA, reinterpret_cast<LONG_PTR>(grid->GetDrawData()));
    MEASUREITEMSTRUCT measure{ODT_MENU, 0, 0, 0, 0,
                              reinterpret_cast<ULONG_PTR>(static_cast<VMenuDrawData*>(grid->GetDrawData()))};
    EXPECT_EQ(SendMessageA(main, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure)), 1);
    EXPECT_EQ(int32_t(measure.itemWidth), 162 - GetSystemMetrics(SM_CXMENUCHECK));
    EXPECT_EQ(int32_t(measure.itemHeight), 194);
    SetCursorPos(100 + 13, 100 + 13);
    SendMessageA(main, WM_ENTERIDLE, 2, 0);
    EXPECT_EQ(grid->GetHighlightedCell(), 18);
    EXPECT_EQ(SendMessageA(main, WM_COMMAND, 0, 0), 0);
    EXPECT_EQ(menuBar.GetPendingMenu(), grid);
    EXPECT_EQ(menuBar.GetPendingPosition(), 18);
    // A window on top whose user data is its own is no grid's.
    int32_t foreign[4] = {0, 0, 0, 0};
    HWND other = CreateHeadlessWindow(50, 50);
    SetHeadlessWindowOrigin(other, 100, 100);
    SetWindowLongPtrA(other, GWL_USERDATA, reinterpret_cast<LONG_PTR>(foreign));
    SendMessageA(main, WM_ENTERIDLE, 2, 0);
    EXPECT_EQ(GetRememberedGrid(), nullptr);
    DestroyWindow(other);
    SendMessageA(main, WM_ENTERIDLE, 2, 0);
    EXPECT_EQ(GetRememberedGrid(), grid->GetDrawData());
    // Off the menu the highlight goes, and no cell is remembered.
    SetCursorPos(5, 5);
    SendMessageA(main, WM_ENTERIDLE, 2, 0);
    EXPECT_EQ(grid->GetHighlightedCell(), -1);
    EXPECT_EQ(GetRememberedGrid(), nullptr);
    DestroyWindow(open);
  }
  RemoveMenuWindowProc();
  DestroyWindow(main);
}

TEST_F(GridMenus, AMenuWindowKeepsTheFirstGridItWasGivenAndBeepsAtAnother) {
  VColorMenu first(host_, nullptr, 50);
  VPatternMenu second(host_, nullptr, 51);
  first.Realize(nullptr, true, false);
  second.Realize(nullptr, true, false);
  HMENU both = CreatePopupMenu();
  for (VGridMenu* grid : {static_cast<VGridMenu*>(&first), static_cast<VGridMenu*>(&second)}) {
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_TYPE | MIIM_DATA;
    info.fType = MFT_OWNERDRAW;
    info.dwItemData = reinterpret_cast<ULONG_PTR>(static_cast<VMenuDrawData*>(grid->GetDrawData()));
    InsertMenuItemA(both, 9, TRUE_, &info);
  }
  HWND owner = CreateHeadlessWindow(50, 50);
  SetWindowLongPtrA(owner, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(&MenuWindowProc));
  const WNDPROC saved = SetMenuEarlierProc(&DefWindowProcA);
  ResetHeadlessBeeps();
  ResetMenuScript();
  ScriptMenuHover(5, 5);  // over the first grid: the window's data is the first
  ScriptMenuCancel();
  EXPECT_FALSE(TrackPopupMenuEx(both, TPM_RIGHTBUTTON, 0, 0, owner, nullptr));
  EXPECT_EQ(GetHeadlessBeeps(), (std::vector<UINT>{0xFFFFFFFF}));
  EXPECT_EQ(GetRememberedGrid(), first.GetDrawData());
  SetMenuEarlierProc(saved);
  DestroyWindow(owner);
  DestroyMenu(both);
  first.Unrealize(true);
  EXPECT_EQ(GetRememberedGrid(), nullptr);
  second.Unrealize(true);
}

}  // namespace
