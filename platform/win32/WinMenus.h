// Menus of the headless windows: menu handles with their items (strings,
// separators, owner-drawn items, sub-menus), a window's menu bar, and the
// beep that a refused choice makes. Handles are 32-bit values in a table of
// their own.
#pragma once

#include <cstddef>
#include <vector>

#include "platform/win32/WinWindows.h"

struct HMENU__;
using HMENU = HMENU__*;

// The menu messages a window's procedure gets. WM_COMMAND (0x0111) is
// declared with the dialogs' messages.
constexpr UINT WM_DRAWITEM = 0x002B;
constexpr UINT WM_MEASUREITEM = 0x002C;
constexpr UINT WM_INITMENU = 0x0116;
constexpr UINT WM_MENUSELECT = 0x011F;
constexpr UINT WM_ENTERIDLE = 0x0121;
constexpr UINT WM_ENTERMENULOOP = 0x0211;
constexpr UINT WM_EXITMENULOOP = 0x0212;
constexpr UINT WM_PALETTECHANGED = 0x0311;

// lParam of WM_MEASUREITEM and WM_DRAWITEM for a menu's owner-drawn item.
constexpr UINT ODT_MENU = 1;
constexpr UINT ODA_DRAWENTIRE = 0x0001;
constexpr UINT ODA_SELECT = 0x0002;
constexpr UINT ODS_SELECTED = 0x0001;
struct MEASUREITEMSTRUCT {
  UINT CtlType;
  UINT CtlID;
  UINT itemID;
  UINT itemWidth;
  UINT itemHeight;
  ULONG_PTR itemData;
};
struct DRAWITEMSTRUCT {
  UINT CtlType;
  UINT CtlID;
  UINT itemID;
  UINT itemAction;
  UINT itemState;
  HWND hwndItem;  // the menu's handle, as a window handle's bits
  HDC hDC;
  RECT rcItem;
  ULONG_PTR itemData;
};

// fMask bits.
constexpr UINT MIIM_STATE = 0x0001;
constexpr UINT MIIM_ID = 0x0002;
constexpr UINT MIIM_SUBMENU = 0x0004;
constexpr UINT MIIM_CHECKMARKS = 0x0008;
constexpr UINT MIIM_TYPE = 0x0010;
constexpr UINT MIIM_DATA = 0x0020;
// fType bits.
constexpr UINT MFT_STRING = 0x0000;
constexpr UINT MFT_MENUBARBREAK = 0x0020;
constexpr UINT MFT_MENUBREAK = 0x0040;
constexpr UINT MFT_OWNERDRAW = 0x0100;
constexpr UINT MFT_SEPARATOR = 0x0800;
// fState bits.
constexpr UINT MFS_ENABLED = 0x0000;
constexpr UINT MFS_GRAYED = 0x0003;
constexpr UINT MFS_DISABLED = 0x0003;
constexpr UINT MFS_CHECKED = 0x0008;
constexpr UINT MFS_HILITE = 0x0080;

// One item as the item calls read and write it: with MIIM_TYPE a string
// item's text is dwTypeData (cch bytes to read it into; null asks for the
// length alone). The item data and the text are addresses, so they are
// pointer-wide; the handles keep their 32-bit values.
struct MENUITEMINFOA {
  UINT cbSize;
  UINT fMask;
  UINT fType;
  UINT fState;
  UINT wID;
  HMENU hSubMenu;
  HBITMAP hbmpChecked;
  HBITMAP hbmpUnchecked;
  ULONG_PTR dwItemData;
  char* dwTypeData;
  UINT cch;
  HBITMAP hbmpItem;
};

// A menu bar (CreateMenu) or a pop-up menu (CreatePopupMenu), empty.
QV_PLATFORM_API HMENU CreateMenu();
QV_PLATFORM_API HMENU CreatePopupMenu();
// Destroys the menu with the sub-menus its items hold; a menu still set as a
// window's menu is taken off that window first.
QV_PLATFORM_API BOOL DestroyMenu(HMENU menu);
QV_PLATFORM_API BOOL IsMenu(HMENU menu);
// -1 with ERROR_INVALID_HANDLE for a handle that names no menu.
QV_PLATFORM_API int GetMenuItemCount(HMENU menu);
// `item` is a 0-based position with `byPosition`, else a command id searched
// through the sub-menus too. Inserting at a position past the end appends;
// inserting by command puts the new item before the one found. A wrong
// cbSize, a sub-menu that is not a menu (or is the menu itself or one of its
// ancestors) are refused with ERROR_INVALID_PARAMETER.
QV_PLATFORM_API BOOL InsertMenuItemA(HMENU menu, UINT item, BOOL byPosition,
                                     const MENUITEMINFOA* info);
QV_PLATFORM_API BOOL GetMenuItemInfoA(HMENU menu, UINT item, BOOL byPosition, MENUITEMINFOA* info);
QV_PLATFORM_API BOOL SetMenuItemInfoA(HMENU menu, UINT item, BOOL byPosition,
                                      const MENUITEMINFOA* info);
// Removes the item; DeleteMenu also destroys its sub-menu.
constexpr UINT MF_BYCOMMAND = 0x0000;
constexpr UINT MF_BYPOSITION = 0x0400;
QV_PLATFORM_API BOOL RemoveMenu(HMENU menu, UINT item, UINT flags);
QV_PLATFORM_API BOOL DeleteMenu(HMENU menu, UINT item, UINT flags);
// The sub-menu of the item at a position; null when it has none.
QV_PLATFORM_API HMENU GetSubMenu(HMENU menu, int position);

// The menu bar of a top-level window (null: none). SetMenu answers FALSE for
// a dead window or a handle that names no menu.
QV_PLATFORM_API BOOL SetMenu(HWND window, HMENU menu);
QV_PLATFORM_API HMENU GetMenu(HWND window);

// Beeps are not heard here; they are counted, each with its kind.
QV_PLATFORM_API BOOL MessageBeep(UINT kind);

// ---- For the stand-in host and tests.
// The beeps made since the last reset, the oldest first.
QV_PLATFORM_API std::vector<UINT> GetHeadlessBeeps();
QV_PLATFORM_API void ResetHeadlessBeeps();
// How many menus are alive.
QV_PLATFORM_API size_t CountHeadlessMenus();
