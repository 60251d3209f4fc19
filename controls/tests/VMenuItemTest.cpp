// Menu items and the self-drawn menu: measuring rows and columns, the marks
// and embossed titles items draw, hit-testing and scrolling.
#include "controls/menus/VMenuItem.h"

#include <gtest/gtest.h>

#include "controls/looks/LookPainterMaker.h"
#include "controls/menus/MenuGlobals.h"
#include "controls/menus/VMenu.h"
#include "controls/tests/ControlTestSupport.h"
#include "controls/tests/LookTestSupport.h"
#include "graphics/VIconShape.h"
#include "graphics/VLookPainter.h"
#include "platform/win32/WinWindowState.h"
#include "views/VCommand.h"
#include "views/VShortcut.h"

namespace {

constexpr int16_t kIcon13 = 9300;  // a 13 x 13 'cicn' of the module's file

VStr<255> Str(const char* text) {
  VStr<255> s;
  s.SetCText(text, kCharSetMac);
  return s;
}

class MenuItems : public ControlTest {
 protected:
  void SetUp() override {
    // The looks' colours, as the module has them.
    VLookPainterMakerService::Install(&kLookPainterMaker);
    ControlTest::SetUp();
    canvas_ = std::make_unique<LookCanvas>(160, 200);
    InitMenuGlobals();
    host_->Add(10);
    menu_ = std::make_unique<VMenu>(host_, nullptr, 10, nullptr, 0);
  }
  void TearDown() override {
    menu_.reset();
    canvas_.reset();
    FreeMenuGlobals();
    ControlTest::TearDown();
    VLookPainterMakerService::Remove(&kLookPainterMaker);
  }
  VTextMenuItem* Text(int32_t command, const char* title, VIconShape* icon = nullptr) {
    return new VTextMenuItem(menu_.get(), command, Str(title), icon);
  }
  // Black pixels in the mark column of the row drawn at the top.
  int32_t MarkPixels(VMenuItem* item) {
    canvas_->Clear();
    menu_->DrawItem(&canvas_->port(), item, 120, false);
    return canvas_->Count(RGB(0, 0, 0), 0, 0, GetSystemMetrics(SM_CXMENUCHECK), item->GetHeight());
  }
  LookResources resources_;
  // Made once the looks are there: a port takes its look painter when made.
  std::unique_ptr<LookCanvas> canvas_;
  std::unique_ptr<VMenu> menu_;
};

TEST_F(MenuItems, RowsMeasureAsTheirKindSays) {
  host_->Add(20, "Open");
  host_->shortcut = std::make_unique<VCommandKey>(20, 0x1F, true, false, true, false);
  VPort* port = &canvas_->port();
  port->UseStandardFont(0);
  VSeparatorMenuItem line(menu_.get());
  VTextMenuItem* plain = Text(20, "Open");
  VTextMenuItem* icon = Text(0, "Open", new VIconShape(nullptr, kIcon13));
  ASSERT_TRUE(icon->HasIcon());
  struct Row {
    VMenuItem* item;
    int16_t rowHeight, height;
  };
  const Row rows[] = {{&line, 17, 8}, {&line, 1, 0}, {plain, 16, 16}, {icon, 10, 15}, {icon, 16, 16}};
  int16_t mark = 0, title = 0, modifier = 0, key = 0;
  for (const Row& r : rows) {
    EXPECT_EQ(r.item->Measure(port, r.rowHeight, mark, title, modifier, key), r.height) << r.rowHeight;
    EXPECT_EQ(r.item->GetHeight(), r.height);
  }
  const int16_t titleWidth = static_cast<int16_t>(port->MeasureString(Str("Open")));
  EXPECT_EQ(title, titleWidth + 13 + 4);  // the icon and its gap before the title
  plain->Measure(port, 16, mark, title, modifier, key);
  EXPECT_EQ(mark, GetSystemMetrics(SM_CXMENUCHECK));
  EXPECT_EQ(title, titleWidth);
  VStr<255> full;
  host_->shortcut->GetShortcutText(full);
  EXPECT_GT(key, 0);
  EXPECT_GT(modifier, 0);
  EXPECT_EQ(modifier + key, static_cast<int16_t>(port->MeasureString(full)));
}

TEST_F(MenuItems, MenuMeasuresColumnsAndScrollsWhenShort) {
  for (int32_t id = 20; id < 30; ++id) Text(host_->Add(id, "Item")->GetId(), "Item");
  new VSeparatorMenuItem(menu_.get());
  host_->FindCommand(22)->SetEnabled(false, 0);
  VPort* port = &canvas_->port();
  int32_t width = 0;
  int32_t height = 1000;
  menu_->Measure(port, width, height);
  const int32_t row = menu_->GetRowUnit();
  ASSERT_GT(row, 0);
  EXPECT_EQ(height, 10 * row + row / 2);
  EXPECT_EQ(width, GetSystemMetrics(SM_CXMENUCHECK) + static_cast<int32_t>(port->MeasureString(Str("Item"))));
  EXPECT_EQ(menu_->GetLastVisible(), 11);

  // Hit-testing: rows, the disabled row, the separator, outside.
  int32_t chosen = -1;
  struct Hit {
    int32_t x, y, answer;
  };
  const Hit hits[] = {{5, row / 2, 1}, {5, row + 1, 2}, {5, 2 * row + 1, 0},
                      {5, 10 * row + 1, 0}, {-3, 5, 0}, {5, height + 4, 0}};
  for (const Hit& h : hits) {
    EXPECT_EQ(menu_->TrackHilite(port, width, height, h.x, h.y, 0, chosen), h.answer) << h.y;
    EXPECT_EQ(chosen, h.answer);
  }

  // Four rows of room: three rows and the arrow band show.
  height = 4 * row;
  menu_->Measure(port, width, height);
  EXPECT_EQ(menu_->GetLastVisible(), 2);
  EXPECT_EQ(height, 3 * row);
  EXPECT_EQ(menu_->TrackHilite(port, width, height, 5, height - row + 1, 0, chosen), 0);
  EXPECT_EQ(menu_->GetFirstVisible(), 2);
  EXPECT_EQ(menu_->TrackHilite(port, width, height, 5, 1, 0, chosen), 0);
  EXPECT_EQ(menu_->GetFirstVisible(), 1);
  int32_t left = 0, top = 0, w = 0, h = 0;
  menu_->GetItemBounds(2, left, top, w, h);
  EXPECT_EQ(top, row);
  EXPECT_EQ(h, row);
}

TEST_F(MenuItems, MarksAndEmbossedTitles) {
  VCommand* check = host_->Add(20, "Ruler");
  VCommand* group = host_->Add(30, "", true);
  VCommand* member = host_->Add(31, "Left");
  member->SetGroupCommand(group);
  group->AddMember(member);
  auto* checkItem = new VTextMenuItem(menu_.get(), 20, nullptr, nullptr, 0, true);
  VTextMenuItem* memberItem = Text(31, "Left");
  int32_t width = 0;
  int32_t height = 400;
  menu_->Measure(&canvas_->port(), width, height);
  ASSERT_NE(GetMenuMarkIcon(kMenuMarkCheck), nullptr);
  const int32_t checkPixels = MarkPixels(checkItem);  // no value: no mark
  EXPECT_EQ(checkPixels, 0);
  check->SetLong(nullptr, 1, 0);
  const int32_t checked = MarkPixels(checkItem);
  check->SetLong(nullptr, 2, 0);
  const int32_t mixed = MarkPixels(checkItem);
  EXPECT_GT(checked, 0);
  EXPECT_GT(mixed, 0);
  EXPECT_NE(checked, mixed);
  group->SetLong(nullptr, kCommandGroupMixed, 0);
  EXPECT_EQ(MarkPixels(memberItem), mixed);
  group->SetLong(nullptr, 31, 0);
  EXPECT_EQ(MarkPixels(memberItem), checked);

  // A disabled title is drawn in the grey text colour, an enabled one in
  // the window text colour.
  group->SetLong(nullptr, 0, 0);
  auto inked = [&](COLORREF colour) {
    canvas_->Clear();
    menu_->DrawItem(&canvas_->port(), memberItem, 120, false);
    return canvas_->Count(colour, 0, 0, 120, memberItem->GetHeight());
  };
  const COLORREF text = LookPainterForKind(2)->GetColor(25) & 0xFFFFFF;
  const COLORREF grey = LookPainterForKind(2)->GetColor(29) & 0xFFFFFF;
  EXPECT_GT(inked(text), 0);
  EXPECT_EQ(inked(grey), 0);
  member->SetEnabled(false, 0);
  EXPECT_EQ(inked(text), 0);
  EXPECT_GT(inked(grey), 0);
}

}  // namespace
