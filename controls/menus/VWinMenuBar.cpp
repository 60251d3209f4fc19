// VWinMenuBar and the menu window procedures.
#include "controls/menus/VWinMenuBar.h"

#include <algorithm>
#include <utility>

#include "boundary/FourCC.h"
#include "controls/menus/MenuResource.h"
#include "controls/menus/VGridMenu.h"
#include "controls/menus/VMenu.h"
#include "controls/menus/VMenuItem.h"
#include "controls/menus/VMenuItemRef.h"
#include "framework/system/environment/VSystemServices.h"
#include "framework/system/resources/VResourceFile.h"
#include "graphics/VBitmapPort.h"
#include "platform/gdi/WinGdi.h"
#include "platform/win32/WinFileDialogs.h"
#include "platform/win32/WinInput.h"
#include "platform/win32/WinMenuTracking.h"
#include "platform/win32/WinPaint.h"
#include "platform/win32/WinMessages.h"
#include "platform/win32/WinWindowState.h"
#include "views/VCommand.h"
#include "views/VWindowUtilities.h"

namespace {

std::vector<VWinMenuBar*>& Bars() {
  static std::vector<VWinMenuBar*> bars;
  return bars;
}

// The main window's own procedure while the menu procedure is on it, and
// the one MenuWindowProc hands messages on to.
WNDPROC gMainEarlierProc = nullptr;
HWND gMainWindow = nullptr;
WNDPROC gMenuEarlierProc = nullptr;

// The draw data of the last owner-drawn item measured, when it was a grid's
// (null after an ordinary item), and of the grid the cursor was last over.
VGridDrawData* gCurrentGrid = nullptr;
VGridDrawData* gRememberedGrid = nullptr;

// The grid highlight follows the cursor over the open menu window (the top
// window); outside it the highlight goes.
void TrackGrid() {
  POINT cursor{};
  GetCursorPos(&cursor);
  HWND top = GetTopWindow(nullptr);
  RECT bounds{};
  if (top == nullptr || !GetWindowRect(top, &bounds)) return;
  const int32_t width = bounds.right - bounds.left;
  const int32_t height = bounds.bottom - bounds.top;
  const bool inside = cursor.x >= bounds.left && cursor.x < bounds.right &&
                      cursor.y >= bounds.top && cursor.y < bounds.bottom;
  if (!inside) {
    if (gRememberedGrid != nullptr && gRememberedGrid->GetGridMenu()->IsGrid()) {
      VGridMenu* menu = gRememberedGrid->GetGridMenu();
      HDC dc = GetDC(top);
      {
        VPort port(dc);
        POINT local = cursor;
        ScreenToClient(top, &local);
        int32_t none = 0;
        menu->TrackHilite(&port, width, height, local.x, local.y, menu->GetHighlightedCell(), none);
      }
      ReleaseDC(top, dc);
      menu->SetHighlightedCell(-1);
    }
    gRememberedGrid = nullptr;
    return;
  }
  gRememberedGrid = nullptr;
  POINT local = cursor;
  ScreenToClient(top, &local);
  // The top window may be another than a menu's, with user data of its own.
  VGridDrawData* data = VGridDrawData::FindLive(GetWindowLongPtrA(top, GWL_USERDATA));
  if (data == nullptr) return;
  gRememberedGrid = data;
  VGridMenu* menu = data->GetGridMenu();
  if (!menu->IsGrid() || gCurrentGrid == nullptr) return;
  HDC dc = GetDC(top);
  {
    VPort port(dc);
    int32_t chosen = 0;
    const int32_t cell =
        menu->TrackHilite(&port, width, height, local.x, local.y, menu->GetHighlightedCell(), chosen);
    menu->SetHighlightedCell(cell);
  }
  ReleaseDC(top, dc);
}

HWND MainWindow() {
  return gSystemServices != nullptr ? gSystemServices->GetMainWindow() : nullptr;
}

UINT EntryState(const VMenuBase* menu) {
  const VCommand* command = menu->GetCommand();
  return command != nullptr && command->IsEnabled() ? MFS_ENABLED : MFS_GRAYED;
}

}  // namespace

VWinMenuBar::VWinMenuBar(VFrame* owner, VResourceFile* file, int16_t menuBarId) : fOwner(owner) {
  Bars().push_back(this);
  LoadFromResource(file, menuBarId);
}

VWinMenuBar::~VWinMenuBar() {
  for (VMenuBase* menu : fMenus) {
    if (menu->GetCommand() != nullptr) menu->GetCommand()->RemoveMenuBarListener(this);
  }
  std::erase(Bars(), this);
  for (VMenuBase* menu : fOwnedMenus) delete menu;
  fOwnedMenus.clear();
  fMenus.clear();
  if (fHandle != nullptr) {
    // The menus' own Win32 menus went with them; the bar's entries are all
    // that is left.
    HWND main = MainWindow();
    if (main != nullptr && ::GetMenu(main) == fHandle) SetMenu(main, nullptr);
    DestroyMenu(fHandle);
  }
}

const std::vector<VWinMenuBar*>& VWinMenuBar::AllBars() { return Bars(); }

int32_t VWinMenuBar::LoadFromResource(VResourceFile* file, int16_t menuBarId) {
  if (file == nullptr) return kMenuResourceMissing;
  uint8_t owned = 0;
  const VResourceRef ref = file->GetResource(FourCC("XMBR"), menuBarId, &owned);
  if (ref == 0) return kMenuResourceMissing;
  std::vector<int16_t> ids;
  int32_t answer = kMenuResourceCorrupt;
  if (const auto* data = static_cast<const uint8_t*>(file->LockResource(ref))) {
    answer = ReadMenuBarRecord(data, file->GetResourceSize(ref), ids);
    file->UnlockResource(ref);
  }
  file->ReleaseResource(ref);
  for (int16_t id : ids) AddMenu(new VMenu(this, nullptr, 0, file, id), true);
  return answer;
}

bool VWinMenuBar::AddMenu(VMenuBase* menu, bool owned) {
  fMenus.push_back(menu);
  if (owned) fOwnedMenus.push_back(menu);
  return fInstalled != 0;
}

VMenuBase* VWinMenuBar::GetMenu(int32_t index) const {
  if (index < 1 || index > CountMenus()) return nullptr;
  return fMenus[static_cast<size_t>(index - 1)];
}

void VWinMenuBar::Install() {
  fEarlierMenus.push_back(::GetMenu(MainWindow()));
  Show();
}

void VWinMenuBar::Show() {
  if (fInstalled != 0) return;
  fInstalled = 1;
  if (fHandle == nullptr) {
    fHandle = CreateMenu();
    if (fHandle == nullptr) return;
    // Owner-drawn items are measured on a port like the screen's.
    VBitmapPort port;
    for (VMenuBase* menu : fMenus) {
      menu->Realize(&port, false, true);
      MENUITEMINFOA info{};
      info.cbSize = sizeof info;
      info.fMask = MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_CHECKMARKS | MIIM_TYPE | MIIM_DATA;
      info.fType = MFT_STRING;
      info.hSubMenu = menu->GetHandle();
      info.fState = EntryState(menu);
      if (menu->GetCommand() != nullptr) menu->GetCommand()->AddMenuBarListener(this);
      char text[512];
      menu->GetTitle().GetCText(text, sizeof text, kCharSetAnsi);
      info.dwTypeData = text;
      InsertMenuItemA(fHandle, UINT(GetMenuItemCount(fHandle)), TRUE_, &info);
    }
  }
  SetMenu(MainWindow(), fHandle);
}

void VWinMenuBar::Uninstall() {
  fInstalled = 0;
  HMENU earlier = nullptr;
  if (!fEarlierMenus.empty()) {
    earlier = fEarlierMenus.back();
    fEarlierMenus.pop_back();
  }
  SetMenu(MainWindow(), earlier);
}

void VWinMenuBar::UpdateMenuItemTitle(VCommand* command) {
  if (fHandle == nullptr) return;
  for (size_t k = 0; k < fMenus.size(); ++k) {
    if (fMenus[k]->GetCommand() != command) continue;
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STATE;
    info.fState = EntryState(fMenus[k]);
    SetMenuItemInfoA(fHandle, UINT(k), TRUE_, &info);
    fMenus[k]->Refresh(command);
  }
}

// ---- The window procedures.

WNDPROC SetMenuEarlierProc(WNDPROC procedure) { return std::exchange(gMenuEarlierProc, procedure); }

LRESULT MenuWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // While a Toolbox pop-up menu is being selected, its messages are not ours.
  if (IsPopUpMenuTracking()) return CallWindowProcA(gMenuEarlierProc, window, message, wParam, lParam);
  switch (message) {
    case WM_MEASUREITEM: {
      auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
      auto* data = measure != nullptr ? reinterpret_cast<VMenuDrawData*>(measure->itemData) : nullptr;
      if (data != nullptr && data->IsMenuItem()) {
        auto* item = static_cast<VMenuItem*>(data);
        const int32_t width = data->GetMenu()->GetWidth();
        measure->itemWidth = UINT(std::max(width - GetSystemMetrics(SM_CXMENUCHECK), 0));
        measure->itemHeight = UINT(std::max<int16_t>(item->GetHeight(), 0));
        gCurrentGrid = nullptr;
      } else if (data != nullptr) {
        auto* grid = static_cast<VGridDrawData*>(data);
        gCurrentGrid = grid;
        int32_t width = 0;
        int32_t height = GetSystemMetrics(SM_CYSCREEN);
        HDC dc = GetDC(window);
        {
          VPort port(dc);
          grid->GetGridMenu()->Measure(&port, width, height);
        }
        ReleaseDC(window, dc);
        grid->GetGridMenu()->SetHighlightedCell(-1);
        measure->itemWidth = UINT(std::max(width - GetSystemMetrics(SM_CXMENUCHECK), 0));
        measure->itemHeight = UINT(std::max(height, 0));
      }
      return 1;
    }
    case WM_DRAWITEM: {
      auto* draw = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
      auto* data = draw != nullptr ? reinterpret_cast<VMenuDrawData*>(draw->itemData) : nullptr;
      if (data != nullptr && data->IsMenuItem()) {
        auto* item = static_cast<VMenuItem*>(data);
        VPort port(draw->hDC);
        port.UseStandardFont(item->IsSmallFont() ? 1 : 0);
        const bool selected =
            (draw->itemAction & ODA_SELECT) != 0 && (draw->itemState & ODS_SELECTED) != 0;
        // Items of later columns start at their own left edge, not the
        // menu window's.
        port.PushOrigin(draw->rcItem.left, draw->rcItem.top);
        data->GetMenu()->DrawItem(&port, item, draw->rcItem.right - draw->rcItem.left, selected);
        port.PopOrigin();
      } else if (data != nullptr) {
        // The open menu's window keeps the grid it shows, for the tracking
        // to find under the cursor; a window that already carries other
        // data keeps it.
        if (HWND shown = GetTrackedMenuWindow()) {
          const LONG_PTR kept = GetWindowLongPtrA(shown, GWL_USERDATA);
          if (kept == 0) {
            SetWindowLongPtrA(shown, GWL_USERDATA, reinterpret_cast<LONG_PTR>(data));
          } else if (kept != reinterpret_cast<LONG_PTR>(data)) {
            MessageBeep(0xFFFFFFFF);
          }
        }
        VPort port(draw->hDC);
        port.PushOrigin(draw->rcItem.left, draw->rcItem.top);
        static_cast<VGridDrawData*>(data)->GetGridMenu()->Draw(
            &port, draw->rcItem.right - draw->rcItem.left, draw->rcItem.bottom - draw->rcItem.top);
        port.PopOrigin();
      }
      return 1;
    }
    case WM_ENTERIDLE:
      if (gCurrentGrid != nullptr) TrackGrid();
      break;
    case WM_EXITMENULOOP:
      SendMessageA(GetActiveWindow(), WM_LBUTTONUP, 0, 0);
      break;
    case WM_PALETTECHANGED:
      return 1;
    default:
      break;
  }
  return CallWindowProcA(gMenuEarlierProc, window, message, wParam, lParam);
}

LRESULT MainMenuWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const bool menuMessage = message == WM_DRAWITEM || message == WM_MEASUREITEM ||
                           message == WM_COMMAND || message == WM_INITMENU ||
                           message == WM_MENUSELECT || message == WM_ENTERIDLE ||
                           message == WM_ENTERMENULOOP;
  VWinMenuBar* bar = nullptr;
  if (menuMessage && !IsPopUpMenuTracking()) {
    const HMENU shown = ::GetMenu(window);
    for (VWinMenuBar* candidate : Bars()) {
      if (shown != nullptr && candidate->GetHandle() == shown) bar = candidate;
    }
  }
  // The host's own menus, and the system commands of any menu, stay the
  // window's own business.
  if (bar == nullptr || (message == WM_COMMAND && (wParam & 0xFFFF) >= 0xF000)) {
    return CallWindowProcA(gMainEarlierProc, window, message, wParam, lParam);
  }
  if (message != WM_COMMAND) {
    const WNDPROC saved = gMenuEarlierProc;
    gMenuEarlierProc = gMainEarlierProc;
    const LRESULT result = CallWindowProcA(MenuWindowProc, window, message, wParam, lParam);
    gMenuEarlierProc = saved;
    return result;
  }
  if (const VMenuItemRef* record = LookUpMenuItemRef(static_cast<uint16_t>(wParam & 0xFFFF))) {
    bar->SetPendingChoice(record->GetMenu(), record->GetPosition());
  } else if (gRememberedGrid != nullptr && gRememberedGrid->GetGridMenu()->GetHighlightedCell() > 0) {
    VGridMenu* grid = gRememberedGrid->GetGridMenu();
    bar->SetPendingChoice(grid, grid->GetHighlightedCell());
  }
  return 0;
}

VGridDrawData* GetRememberedGrid() { return gRememberedGrid; }

void ClearRememberedGrid() { gRememberedGrid = nullptr; }

void ForgetGridDrawData(const VMenuDrawData* data) {
  if (gCurrentGrid == data) gCurrentGrid = nullptr;
  if (gRememberedGrid == data) gRememberedGrid = nullptr;
}

void InstallMenuWindowProc() {
  gMainWindow = MainWindow();
  if (gMainWindow == nullptr) return;
  gMainEarlierProc = SetWindowProc(gMainWindow, MainMenuWindowProc);
}

void RemoveMenuWindowProc() {
  if (gMainWindow != nullptr && IsWindow(gMainWindow)) SetWindowProc(gMainWindow, gMainEarlierProc);
  gMainWindow = nullptr;
  gMainEarlierProc = nullptr;
  // No grid outlives the module's menus.
  gCurrentGrid = nullptr;
  gRememberedGrid = nullptr;
}

void TakePendingMenuBarChoices() {
  // A choice may delete or make bars: walk a copy, and skip bars gone since.
  const std::vector<VWinMenuBar*> bars = Bars();
  for (VWinMenuBar* bar : bars) {
    if (std::find(Bars().begin(), Bars().end(), bar) == Bars().end()) continue;
    VMenuBase* menu = bar->GetPendingMenu();
    const int16_t position = bar->GetPendingPosition();
    bar->SetPendingChoice(nullptr, 0);
    if (menu != nullptr && position != 0) menu->ChooseItem(position);
  }
}

const VMenuBarChoiceTaker kMenuBarChoiceTaker{&TakePendingMenuBarChoices};
