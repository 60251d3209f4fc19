// Pop-up menus tracked from the menu script: choices post WM_COMMAND,
// refused ones beep, owner-drawn items are measured and drawn by the owner.
#include "platform/win32/WinMenuTracking.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/gdi/GdiSnapshot.h"
#include "platform/gdi/WinGdi.h"
#include "platform/win32/WinSysColors.h"
#include "platform/win32/WinFileDialogs.h"
#include "platform/win32/WinInput.h"
#include "platform/win32/WinMessages.h"
#include "platform/win32/WinWindowState.h"

namespace {

std::vector<UINT> gSeen;
LRESULT Owner(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_MEASUREITEM) reinterpret_cast<MEASUREITEMSTRUCT*>(lp)->itemHeight = 30;
  if (m >= WM_DRAWITEM && m != WM_PAINT) gSeen.push_back(m);
  return DefWindowProcA(w, m, wp, lp);
}

void Add(HMENU menu, UINT id, const char* text, UINT type = MFT_STRING, UINT state = 0) {
  MENUITEMINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_ID | MIIM_TYPE | MIIM_STATE;
  info.wID = id;
  info.fType = type;
  info.fState = state;
  info.dwTypeData = const_cast<char*>(text);
  InsertMenuItemA(menu, 0xFFFF, TRUE_, &info);
}

TEST(WinMenuTracking, ScriptedStepsChooseOrRefuse) {
  HWND window = CreateHeadlessWindow(50, 50);
  SetWindowLongPtrA(window, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(&Owner));
  HMENU menu = CreatePopupMenu();
  Add(menu, 11, "Cut\tCtrl+X");
  Add(menu, 0, "", MFT_SEPARATOR);
  Add(menu, 12, "Paste", MFT_STRING, MFS_GRAYED);
  Add(menu, 13, nullptr, MFT_OWNERDRAW);
  Add(menu, 0, nullptr, MFT_OWNERDRAW);  // a grid: one item without id
  struct Row {
    void (*script)();
    BOOL answer;
    WPARAM posted;
    size_t beeps;
    const char* failure;  // what the script is told it asked for in vain
  };
  const Row rows[] = {
      {[] { ScriptMenuChooseText("Cut"); }, TRUE_, 11, 0, ""},
      {[] { ScriptMenuHover(5, 5), ScriptMenuChoosePosition(4); }, TRUE_, 13, 0, ""},
      {[] { ScriptMenuChoosePosition(5); }, TRUE_, 0, 0, ""},   // clicked, its command id 0
      {[] { ScriptMenuChoosePosition(2); }, FALSE_, 0, 1, ""},  // a separator
      {[] { ScriptMenuChooseText("Paste"); }, FALSE_, 0, 1, ""},
      // An owner-drawn item shows no text to choose it by.
      {[] { ScriptMenuChooseText("Grid"); }, FALSE_, 0, 1, "menu choose \"Grid\": no item shows that text"},
      {[] { ScriptMenuChoosePosition(9); }, FALSE_, 0, 1, "menu choose 9: no such item"},
      {[] { ScriptMenuCancel(); }, FALSE_, 0, 0, ""},
      {[] {}, FALSE_, 0, 0, ""},  // the script ran out
  };
  for (const Row& r : rows) {
    ResetMenuScript();
    ResetHeadlessBeeps();
    ResetHeadlessMessages();
    r.script();
    gSeen.clear();
    EXPECT_EQ(TrackPopupMenuEx(menu, TPM_RIGHTBUTTON, 100, 80, window, nullptr), r.answer) << r.posted;
    MSG msg{};
    const BOOL queued = PeekMessageA(&msg, window, WM_COMMAND, WM_COMMAND, PM_REMOVE);
    EXPECT_EQ(queued != 0, r.answer != 0);
    if (queued) {
      EXPECT_EQ(msg.wParam, r.posted);
    }
    EXPECT_EQ(GetHeadlessBeeps().size(), r.beeps);
    EXPECT_EQ(TakeMenuChoiceFailure(), r.failure);
    ASSERT_GE(gSeen.size(), 4u);
    EXPECT_EQ(gSeen.front(), WM_ENTERMENULOOP);
    EXPECT_EQ(gSeen.back(), WM_EXITMENULOOP);
    EXPECT_NE(std::find(gSeen.begin(), gSeen.end(), WM_DRAWITEM), gSeen.end());
    EXPECT_EQ(GetTrackedMenuWindow(), nullptr);
  }
  // The menu as it was shown stays readable after it closed.
  const std::vector<TrackedMenuItem> shown = GetLastTrackedMenu();
  ASSERT_EQ(shown.size(), 5u);
  EXPECT_EQ(shown[0].text, "Cut\tCtrl+X");
  EXPECT_EQ(shown[1].type, MFT_SEPARATOR);
  EXPECT_EQ(shown[2].state, MFS_GRAYED);
  EXPECT_EQ(shown[3].type, MFT_OWNERDRAW);
  EXPECT_FALSE(TrackPopupMenuEx(nullptr, 0, 0, 0, window, nullptr));
  DestroyMenu(menu);
  DestroyWindow(window);
  ResetMenuScript();
}

TEST(WinMenuTracking, ASnapshotShowsTheOpenMenu) {
  HWND window = CreateHeadlessWindow(50, 50);
  SetWindowLongPtrA(window, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(&Owner));
  HMENU menu = CreatePopupMenu();
  Add(menu, 11, "Cut");
  Add(menu, 13, nullptr, MFT_OWNERDRAW);
  char folder[] = "/tmp/qvmenusnapXXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  const std::string path = std::string(folder) + "/menu.png";
  ResetMenuScript();
  ScriptMenuSnapshot(path);
  ScriptMenuSnapshot(std::string(folder) + "/missing/menu.png");
  ScriptMenuCancel();
  EXPECT_FALSE(TrackPopupMenuEx(menu, TPM_RIGHTBUTTON, 10, 10, window, nullptr));
  EXPECT_TRUE(TakeMenuSnapshotFailure());   // the second could not be written
  EXPECT_FALSE(TakeMenuSnapshotFailure());  // and the failure is told once
  HBITMAP shown = GdiReadPng(path.c_str());
  ASSERT_NE(shown, nullptr);
  BITMAP info{};
  ASSERT_GT(GetObjectA(shown, sizeof info, &info), 0);
  // One string row and the owner-drawn row 30 high, in the menu colour.
  EXPECT_EQ(info.bmHeight, GetSystemMetrics(SM_CYMENU) + 30);
  const auto* pixels = static_cast<const uint32_t*>(info.bmBits);
  // A DIB pixel holds red in its third byte, a colour reference in its first.
  const DWORD ground = GetSysColor(COLOR_MENU);
  EXPECT_EQ(pixels[0] & 0xFFFFFF, ((ground & 0xFF) << 16) | (ground & 0xFF00) | ((ground >> 16) & 0xFF));
  DeleteObject(shown);
  std::filesystem::remove_all(folder);
  DestroyMenu(menu);
  DestroyWindow(window);
}

}  // namespace
