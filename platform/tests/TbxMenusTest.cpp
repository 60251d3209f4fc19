// The Toolbox emulation's menus: the bar's order, and the scripted choice
// that the pop-up menu trap and the menu bar's selection answer.
#include "platform/toolbox/TbxMenus.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/toolbox/TbxTraps.h"
#include "platform/toolbox/TbxWindowTracking.h"
#include "platform/win32/WinMenuTracking.h"
#include "platform/win32/WinMenus.h"

namespace {

const uint8_t* P(const char* text) {
  static uint8_t buffers[8][64];
  static int next = 0;
  uint8_t* out = buffers[next++ % 8];
  out[0] = static_cast<uint8_t>(std::strlen(text));
  std::memcpy(out + 1, text, out[0]);
  return out;
}

TEST(TbxMenus, TheBarKeepsItsOrderAndTheScriptChooses) {
  using namespace Tbx;
  MenuRef file = NewMenu(128, P("File"));
  MenuRef edit = NewMenu(129, P("Edit"));
  for (const char* item : {"New", "Open"}) AppendMenuItemText(file, P(item));
  for (const char* item : {"Cut", "Copy", "Paste"}) AppendMenuItemText(edit, P(item));
  DisableMenuItem(edit, 3);
  EXPECT_EQ(CountMenuItems(edit), 3);
  EXPECT_EQ(GetMenuItemString(edit, 2), "Copy");
  EXPECT_EQ(MenuSelect(Point{5, 5}), 0);  // an empty bar chooses nothing
  InsertMenu(edit, 0);
  InsertMenu(file, 129);  // before Edit
  InsertMenu(file, 0);    // already there: stays
  ASSERT_EQ(CountMenuBarMenus(), 2);
  EXPECT_EQ(GetMenuHandle(129), edit);
  struct Row {
    void (*script)();
    int32_t answer;
    size_t beeps;
    const char* failure;  // what the script is told it asked for in vain
  };
  const Row rows[] = {
      {[] { ScriptMenuChooseText("Copy"); }, (129 << 16) | 2, 0, ""},
      {[] { ScriptMenuHover(1, 1), ScriptMenuChoosePosition(2); }, (128 << 16) | 2, 0, ""},
      {[] { ScriptMenuChooseText("Paste"); }, 0, 1, ""},  // disabled
      {[] { ScriptMenuChooseText("Print"); }, 0, 1, "menu choose \"Print\": no item shows that text"},
      {[] { ScriptMenuChoosePosition(9); }, 0, 1, "menu choose 9: no such item"},
      {[] { ScriptMenuCancel(); }, 0, 0, ""},
      {[] {}, 0, 0, ""},
  };
  for (const Row& r : rows) {
    ResetMenuScript();
    ResetHeadlessBeeps();
    r.script();
    EXPECT_EQ(MenuSelect(Point{5, 5}), r.answer);
    EXPECT_EQ(GetHeadlessBeeps().size(), r.beeps);
    EXPECT_EQ(TakeMenuChoiceFailure(), r.failure);
  }
  // The pop-up trap's own routine chooses in the menu it is given only.
  ResetMenuScript();
  ScriptMenuChooseText("Copy");
  EXPECT_EQ(PopUpMenuSelect(file, 10, 10, 1), 0);
  ScriptMenuChoosePosition(1);
  EXPECT_EQ(PopUpMenuSelect(edit, 10, 10, 1), (129 << 16) | 1);
  ScriptMenuSnapshot("/tmp/never.png");
  ScriptMenuCancel();
  EXPECT_EQ(PopUpMenuSelect(edit, 10, 10, 1), 0);
  EXPECT_TRUE(TakeMenuSnapshotFailure());  // nothing is drawn to show
  EXPECT_EQ(PopUpMenuSelect(nullptr, 0, 0, 0), 0);
  DeleteMenu(128);
  EXPECT_EQ(GetMenuHandle(128), nullptr);
  DisposeMenu(edit);
  EXPECT_EQ(CountMenuBarMenus(), 0);
  DisposeMenu(file);
  ClearMenuBar();
  ResetMenuScript();
}

}  // namespace
