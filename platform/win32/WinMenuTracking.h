// Pop-up menus tracked on the headless screen: the open menu is a top
// window of its own, its owner-drawn items are measured and drawn by the
// owner window, and what the user does comes from a script of menu steps
// that the stand-in host or a test sets.
#pragma once

#include <string>
#include <vector>

#include "platform/win32/WinMenus.h"

constexpr UINT TPM_RIGHTBUTTON = 0x0002;
constexpr UINT TPM_RETURNCMD = 0x0100;

// Shows the menu at the screen point for `window` and takes the next
// scripted steps: hovers (the cursor moves there and the window gets
// WM_ENTERIDLE) until a choice or a cancel; a left-button press posted while
// the window handles WM_ENTERIDLE closes the menu as a cancel. A choice of an enabled command
// item posts WM_COMMAND (its id) to the window and answers TRUE (the id with
// TPM_RETURNCMD, posting nothing). A cancel, a choice of anything else, or
// no step left answers FALSE. The window gets WM_ENTERMENULOOP and
// WM_INITMENU first, WM_MEASUREITEM and WM_DRAWITEM for owner-drawn items,
// and WM_EXITMENULOOP last.
QV_PLATFORM_API BOOL TrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND window,
                                      const void* params);

// ---- Set by the stand-in host and by tests.
// The steps, in order: choose the item at a 1-based position of the menu
// shown, choose the first item (searched through sub-menus) whose text is
// `text` up to a tab, move the cursor to (x, y), cancel, take a snapshot.
QV_PLATFORM_API void ScriptMenuChoosePosition(int position);
QV_PLATFORM_API void ScriptMenuChooseText(const std::string& text);
QV_PLATFORM_API void ScriptMenuHover(int x, int y);
QV_PLATFORM_API void ScriptMenuCancel();
// Writes what the open menu window shows as a PNG file and goes on to the
// next step; TakeMenuSnapshotFailure answers (and clears) whether a
// snapshot could not be written.
QV_PLATFORM_API void ScriptMenuSnapshot(const std::string& path);
QV_PLATFORM_API bool TakeMenuSnapshotFailure();
// A choice the menu shown has no item for (a text no text item shows, as
// an owner-drawn item shows none; a position past the last item) closes
// the menu as a cancel with a beep; TakeMenuChoiceFailure answers (and
// clears) what the last such choice asked for, empty when none.
QV_PLATFORM_API std::string TakeMenuChoiceFailure();
QV_PLATFORM_API void ResetMenuScript();
// The items of the last menu shown, as it showed them: type, state, the
// checked-mark bitmap (a mixed mark has one of its own) and the text.
struct TrackedMenuItem {
  UINT type = 0;
  UINT state = 0;
  bool ownMark = false;
  std::string text;
};
QV_PLATFORM_API std::vector<TrackedMenuItem> GetLastTrackedMenu();
// The window of the menu being tracked; null outside tracking.
QV_PLATFORM_API HWND GetTrackedMenuWindow();

// ---- For the Toolbox emulation's menus, which take the same script.
// One step of the script: choose a 1-based position, choose by text, hover
// at (x, y), cancel, take a snapshot (path in `text`).
struct ScriptedMenuStep {
  enum Kind { kPosition, kText, kHover, kCancel, kSnapshot } kind = kCancel;
  int position = 0;
  int x = 0;
  int y = 0;
  std::string text;
};
// Takes the next step; false when the script has none left.
QV_PLATFORM_API bool TakeScriptedMenuStep(ScriptedMenuStep& step);
// Counts a snapshot that could not be taken (TakeMenuSnapshotFailure tells).
QV_PLATFORM_API void NoteMenuSnapshotFailure();
// Notes a choice that found no item (TakeMenuChoiceFailure tells).
QV_PLATFORM_API void NoteMenuChoiceFailure(const ScriptedMenuStep& step);
