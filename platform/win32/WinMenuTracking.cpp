// Pop-up menu tracking on the headless screen, driven by the menu script.
#include "platform/win32/WinMenuTracking.h"

#include <algorithm>
#include <deque>
#include <mutex>
#include <utility>

#include "platform/gdi/GdiSnapshot.h"
#include "platform/gdi/WinGdi.h"
#include "platform/win32/WinSysColors.h"
#include "platform/win32/WinFileDialogs.h"
#include "platform/win32/WinInput.h"
#include "platform/win32/WinMessages.h"
#include "platform/win32/WinPaint.h"
#include "platform/win32/WinWindowState.h"

namespace {

struct Step {
  enum Kind { kPosition, kText, kHover, kCancel, kSnapshot } kind;
  int a = 0;
  int b = 0;
  std::string text;
};

std::mutex gLock;
std::deque<Step> gSteps;
HWND gMenuWindow = nullptr;
std::vector<TrackedMenuItem> gLastTracked;
bool gSnapshotFailed = false;
std::string gChoiceFailed;

// A string item's width: the text at an average of 7 pixels a character,
// with room for the marks and the sub-menu arrow.
constexpr int kCharWidth = 7;
constexpr int kMargins = 30;

bool TakeStep(Step& step) {
  std::lock_guard guard(gLock);
  if (gSteps.empty()) return false;
  step = gSteps.front();
  gSteps.pop_front();
  return true;
}

void Push(Step step) {
  std::lock_guard guard(gLock);
  gSteps.push_back(std::move(step));
}

MENUITEMINFOA Read(HMENU menu, UINT position, char* text, UINT capacity) {
  MENUITEMINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_TYPE | MIIM_DATA;
  info.dwTypeData = text;
  info.cch = capacity;
  if (!GetMenuItemInfoA(menu, position, TRUE_, &info)) info.fType = MFT_SEPARATOR;
  return info;
}

// The command id of the first item whose text (up to a tab) is `text`,
// through sub-menus; the item's state too. False when none.
bool FindText(HMENU menu, const std::string& text, MENUITEMINFOA& found, int depth = 0) {
  const int n = GetMenuItemCount(menu);
  for (int p = 0; p < n && depth < 64; ++p) {
    char buffer[256] = {};
    MENUITEMINFOA info = Read(menu, UINT(p), buffer, sizeof buffer);
    if (info.fType & (MFT_SEPARATOR | MFT_OWNERDRAW)) continue;
    std::string title(buffer);
    title = title.substr(0, title.find('\t'));
    if (title == text) {
      found = info;
      return true;
    }
    if (info.hSubMenu != nullptr && FindText(info.hSubMenu, text, found, depth + 1)) return true;
  }
  return false;
}

}  // namespace

void ScriptMenuChoosePosition(int position) { Push({Step::kPosition, position, 0, {}}); }
void ScriptMenuChooseText(const std::string& text) { Push({Step::kText, 0, 0, text}); }
void ScriptMenuHover(int x, int y) { Push({Step::kHover, x, y, {}}); }
void ScriptMenuCancel() { Push({Step::kCancel, 0, 0, {}}); }
void ScriptMenuSnapshot(const std::string& path) { Push({Step::kSnapshot, 0, 0, path}); }
bool TakeMenuSnapshotFailure() {
  std::lock_guard guard(gLock);
  return std::exchange(gSnapshotFailed, false);
}
void ResetMenuScript() {
  std::lock_guard guard(gLock);
  gSteps.clear();
  gChoiceFailed.clear();
}
HWND GetTrackedMenuWindow() { return gMenuWindow; }
std::string TakeMenuChoiceFailure() {
  std::lock_guard guard(gLock);
  return std::exchange(gChoiceFailed, std::string());
}
void NoteMenuChoiceFailure(const ScriptedMenuStep& step) {
  std::lock_guard guard(gLock);
  gChoiceFailed = step.kind == ScriptedMenuStep::kText ? "menu choose \"" + step.text + "\": no item shows that text"
                                                       : "menu choose " + std::to_string(step.position) + ": no such item";
}

bool TakeScriptedMenuStep(ScriptedMenuStep& out) {
  Step step;
  if (!TakeStep(step)) return false;
  out = ScriptedMenuStep{};
  switch (step.kind) {
    case Step::kPosition: out.kind = ScriptedMenuStep::kPosition; out.position = step.a; break;
    case Step::kText: out.kind = ScriptedMenuStep::kText; out.text = step.text; break;
    case Step::kHover: out.kind = ScriptedMenuStep::kHover; out.x = step.a; out.y = step.b; break;
    case Step::kCancel: out.kind = ScriptedMenuStep::kCancel; break;
    case Step::kSnapshot: out.kind = ScriptedMenuStep::kSnapshot; out.text = step.text; break;
  }
  return true;
}

void NoteMenuSnapshotFailure() {
  std::lock_guard guard(gLock);
  gSnapshotFailed = true;
}
std::vector<TrackedMenuItem> GetLastTrackedMenu() {
  std::lock_guard guard(gLock);
  return gLastTracked;
}

void WinRemoveQueued(int (*classify)(UINT message, void* context), void* context);

namespace {

// Whether a left-button press waits in the queue; nothing is taken out.
bool PressPosted() {
  bool found = false;
  WinRemoveQueued(
      [](UINT message, void* context) {
        if (message == WM_LBUTTONDOWN) *static_cast<bool*>(context) = true;
        return 0;
      },
      &found);
  return found;
}

}  // namespace

BOOL TrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND window, const void*) {
  const int n = GetMenuItemCount(menu);
  // One menu at a time, as on the real screen.
  if (n < 0 || !IsWindow(window) || gMenuWindow != nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE_;
  }
  SendMessageA(window, WM_ENTERMENULOOP, TRUE_, 0);
  SendMessageA(window, WM_INITMENU, reinterpret_cast<WPARAM>(menu), 0);

  // Lay the items out in one column: owner-drawn ones as the window says.
  std::vector<RECT> rows(static_cast<size_t>(n));
  std::vector<MENUITEMINFOA> items(static_cast<size_t>(n));
  std::vector<TrackedMenuItem> shown;
  int width = 0;
  int top = 0;
  for (int p = 0; p < n; ++p) {
    char text[256] = {};
    MENUITEMINFOA info = Read(menu, UINT(p), text, sizeof text);
    int w = 0;
    int h = GetSystemMetrics(SM_CYMENU);
    if (info.fType & MFT_SEPARATOR) {
      h /= 2;
    } else if (info.fType & MFT_OWNERDRAW) {
      MEASUREITEMSTRUCT measure{ODT_MENU, 0, info.wID, 0, 0, info.dwItemData};
      SendMessageA(window, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure));
      w = int(measure.itemWidth) + GetSystemMetrics(SM_CXMENUCHECK);
      h = int(measure.itemHeight);
    } else {
      w = static_cast<int>(std::string(text).size()) * kCharWidth + kMargins;
    }
    MENUITEMINFOA marks{};
    marks.cbSize = sizeof marks;
    marks.fMask = MIIM_CHECKMARKS;
    GetMenuItemInfoA(menu, UINT(p), TRUE_, &marks);
    shown.push_back({info.fType, info.fState, marks.hbmpChecked != nullptr,
                     (info.fType & (MFT_SEPARATOR | MFT_OWNERDRAW)) ? "" : text});
    width = std::max(width, w);
    rows[size_t(p)] = RECT{0, top, 0, top + h};
    items[size_t(p)] = info;
    top += h;
  }
  {
    std::lock_guard guard(gLock);
    gLastTracked = shown;
  }
  gMenuWindow = CreateHeadlessWindow(std::max(width, 1), std::max(top, 1));
  if (gMenuWindow != nullptr) SetHeadlessWindowOrigin(gMenuWindow, x, y);
  HDC dc = gMenuWindow != nullptr ? GetDC(gMenuWindow) : nullptr;
  if (dc != nullptr) {
    // The menu window shows the menu colour wherever its items draw nothing.
    HBRUSH ground = CreateSolidBrush(GetSysColor(COLOR_MENU));
    HGDIOBJ before = SelectObject(dc, ground);
    PatBlt(dc, 0, 0, std::max(width, 1), std::max(top, 1), PATCOPY);
    SelectObject(dc, before);
    DeleteObject(ground);
  }
  for (int p = 0; p < n && dc != nullptr; ++p) {
    rows[size_t(p)].right = width;
    if ((items[size_t(p)].fType & MFT_OWNERDRAW) == 0) continue;
    DRAWITEMSTRUCT draw{ODT_MENU, 0, items[size_t(p)].wID, ODA_DRAWENTIRE, 0,
                        reinterpret_cast<HWND>(menu), dc, rows[size_t(p)], items[size_t(p)].dwItemData};
    SendMessageA(window, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw));
  }

  UINT chosen = 0;
  bool clicked = false;
  Step step;
  while (TakeStep(step)) {
    if (step.kind == Step::kHover) {
      SetCursorPos(step.a, step.b);
      SendMessageA(window, WM_ENTERIDLE, 2 /* MSGF_MENU */, reinterpret_cast<LPARAM>(gMenuWindow));
      // A press the window posted meanwhile lands outside the menu and
      // closes it, as a click beside an open menu does.
      if (PressPosted()) break;
      continue;
    }
    if (step.kind == Step::kSnapshot) {
      // What the open menu shows now.
      if (dc == nullptr || !GdiWritePng(dc, step.text.c_str())) {
        std::lock_guard guard(gLock);
        gSnapshotFailed = true;
      }
      continue;
    }
    MENUITEMINFOA found{};
    bool have = false;
    if (step.kind == Step::kPosition && step.a >= 1 && step.a <= n) {
      found = items[size_t(step.a - 1)];
      have = true;
    } else if (step.kind == Step::kText) {
      have = FindText(menu, step.text, found);
    }
    if (!have && step.kind != Step::kCancel) {
      ScriptedMenuStep missed;
      missed.kind = step.kind == Step::kText ? ScriptedMenuStep::kText : ScriptedMenuStep::kPosition;
      missed.position = step.a;
      missed.text = step.text;
      NoteMenuChoiceFailure(missed);
    }
    // Separators, sub-menu titles and disabled items choose nothing.
    if (have && (found.fType & MFT_SEPARATOR) == 0 && found.hSubMenu == nullptr &&
        (found.fState & MFS_DISABLED) == 0) {
      chosen = found.wID;
      clicked = true;
    }
    // A refused choice beeps, as a click on a disabled item does.
    if (!clicked && step.kind != Step::kCancel) MessageBeep(0);
    break;
  }
  if (dc != nullptr) ReleaseDC(gMenuWindow, dc);
  if (gMenuWindow != nullptr) DestroyWindow(gMenuWindow);
  gMenuWindow = nullptr;
  SendMessageA(window, WM_EXITMENULOOP, TRUE_, 0);
  // An item without id (a grid's one owner-drawn item) is clicked like any
  // other; its WM_COMMAND carries 0, and TPM_RETURNCMD cannot tell it from
  // no choice.
  if (!clicked) return FALSE_;
  if (flags & TPM_RETURNCMD) return static_cast<BOOL>(chosen);
  PostMessageA(window, WM_COMMAND, chosen, 0);
  return TRUE_;
}
