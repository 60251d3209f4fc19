// The menu bar: its 'XMBA' construction, close button, menu tracking across
// its buttons and the window menu bar it can hand its menus to.
#include "controls/bars/VMenuBar.h"

#include <algorithm>

#include "controls/bars/BarResources.h"
#include "controls/controls/VPushButton.h"
#include "controls/menus/VMenuBase.h"
#include "controls/menus/VWinMenuBar.h"
#include "controls/toolbars/VMenuButton.h"
#include "framework/system/environment/VSystemServices.h"
#include "framework/system/resources/VResourceFile.h"
#include "graphics/VBitmapPort.h"
#include "platform/win32/WinInput.h"
#include "platform/win32/WinMessages.h"
#include "platform/win32/WinWindowState.h"
#include "platform/win32/WinWindows.h"
#include "views/VDockView.h"
#include "views/VEvent.h"
#include "views/VWindowView.h"

namespace {

constexpr WPARAM kMenuIdleSource = 2;  // MSGF_MENU
// Systems above this version code report the button reliably in idle.
constexpr int32_t kOldestMenuIdleSystem = 2;

// The one menu tracking that may run at a time.
struct MenuBarTracking {
  VMenuBar* bar = nullptr;
  VMenuButton* open = nullptr;
  int32_t originX = 0;
  int32_t originY = 0;
  HWND window = nullptr;
  WNDPROC saved = nullptr;
  bool switched = false;
};
MenuBarTracking gMenuBarTracking;

LPARAM PointParam(const POINT& p) {
  return static_cast<LPARAM>((static_cast<uint32_t>(p.y & 0xFFFF) << 16) |
                             static_cast<uint32_t>(p.x & 0xFFFF));
}

// While a menu of the bar is open: when the mouse rests on another menu
// button of the bar, ends the open menu by a press there, which starts the
// tracking of that button's menu.
LRESULT MenuBarTrackingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  MenuBarTracking& t = gMenuBarTracking;
  const bool buttonDown = GetKeyState(VK_LBUTTON) < 0;
  if (message == WM_ENTERIDLE && wParam == kMenuIdleSource && t.bar != nullptr &&
      (VSystemServices::GetSystemVersion() > kOldestMenuIdleSystem || buttonDown)) {
    POINT p{0, 0};
    GetCursorPos(&p);
    if (WindowFromPoint(p) == t.window) {
      ScreenToClient(t.window, &p);
      VMenuButton* under = t.bar->MenuButtonAt(p.x - t.originX, p.y - t.originY);
      // The open menu's own button would only open it again.
      if (under != nullptr && under != t.open) {
        t.switched = true;
        if (buttonDown) PostMessageA(t.window, WM_LBUTTONUP, 0, PointParam(p));
        PostMessageA(t.window, WM_LBUTTONDOWN, MK_LBUTTON, PointParam(p));
        return 0;
      }
    }
  }
  return t.saved != nullptr ? CallWindowProcA(t.saved, window, message, wParam, lParam)
                            : DefWindowProcA(window, message, wParam, lParam);
}

bool IsMenuButton(const VFrame* f) { return f != nullptr && f->GetKind() == kResTypeMenuButton; }

}  // namespace

VMenuBar::VMenuBar(VDockView* dock, VPort* port, VResourceFile* file, int16_t id)
    : VToolBarItem(dock, id) {
  fResourceType = kResTypeMenuBar;
  fFullWidth = 1;
  VBarDescription description;
  const bool found = ReadDescription(file, kResTypeMenuBar, id, description);
  if (found) {
    fHasCloseButton = (description.flags & kBarFlagCloseButton) != 0 ? 1 : 0;
    if (file != nullptr && description.firstString[0] != 0)
      file->ResolveStringRef(&fFirstString, description.firstString);
    if (file != nullptr && description.secondString[0] != 0)
      file->ResolveStringRef(&fSecondString, description.secondString);
  }
  Build(port, file, description, found);
}

VMenuBar::~VMenuBar() {
  // Half gone, the bar is not laid out again.
  GiveMenusBack(false);
  if (gMenuBarTracking.bar == this) gMenuBarTracking.bar = nullptr;
}

uint32_t VMenuBar::GetKind() const { return kResTypeMenuBar; }

void VMenuBar::Close() {
  GiveMenusBack(false);
  VToolBarItem::Close();
}

bool VMenuBar::IsBarOnlyControl(const VFrame* f) const {
  return f != nullptr && f == static_cast<const VFrame*>(fCloseButton);
}

void VMenuBar::MakeBarOnlyControls(VPort* port, VResourceFile* file) {
  if (fHasCloseButton != 0 && fCloseButton == nullptr)
    fCloseButton = new VPushButton(this, port, file, kMenuBarCloseTemplate, kMenuBarCloseCommand);
}

void VMenuBar::SetCloseButton(bool on, VResourceFile* file) {
  if (on == (fHasCloseButton != 0)) return;
  fHasCloseButton = on ? 1 : 0;
  if (!on) {
    if (fCloseButton != nullptr) {
      VPushButton* button = fCloseButton;
      fCloseButton = nullptr;
      button->Close();
      delete button;
    }
  } else {
    VBitmapPort port;
    MakeBarOnlyControls(&port, file);
  }
  Layout();
}

// ---- Side and layout.

void VMenuBar::SetSide(uint8_t side) {
  VToolBarItem::SetSide(side);
  const bool across = side == kDockTop || side == kDockBottom;
  if (fCloseButton != nullptr) fCloseButton->SetVisible(across);
  // A vertical or floating bar is as wide as its widest control, which
  // its menu buttons then span.
  if (!across && GetParent() != nullptr) VDockBar::ResizeTo(WidestControl(), GetHeight(), 0);
  for (VFrame* f : GetSubFrames()) {
    if (IsMenuButton(f)) static_cast<VMenuButton*>(f)->SetSide(side);
  }
}

void VMenuBar::Layout() {
  VToolBarItem::Layout();
  if (fCloseButton != nullptr)
    fCloseButton->MoveTo(GetWidth() - fCloseButton->GetWidth() - 4, 3, 1);
}

VMenuButton* VMenuBar::MenuButtonAt(int32_t x, int32_t y) const {
  const VPoint p(x, y);
  for (VFrame* f : GetSubFrames()) {
    if (IsMenuButton(f) && f->IsShown() && f->Contains(p)) return static_cast<VMenuButton*>(f);
  }
  return nullptr;
}

// ---- Tracking.

bool VMenuBar::DispatchMouse(VEvent& event) {
  if (event.IsButtonUp() || event.IsContextual()) return VToolBarItem::DispatchMouse(event);
  TrackMenus(event);
  return true;
}

void VMenuBar::TrackMenus(VEvent& event) {
  VMenuButton* const taken = fLastPressed;
  fLastPressed = nullptr;
  VMenuButton* hit = nullptr;
  for (VFrame* f : GetSubFrames()) {
    if (!f->IsShown() || !f->Contains(event)) continue;
    if (IsMenuButton(f)) {
      hit = static_cast<VMenuButton*>(f);
      continue;
    }
    if (!f->IsControl()) continue;
    int32_t fx = 0, fy = 0;
    f->GetPosition(fx, fy);
    event.Offset(-fx, -fy);
    f->DispatchMouse(event);
    event.Offset(fx, fy);
    return;
  }
  if (hit == nullptr) {
    VFrame::DispatchMouse(event);
    return;
  }
  // A second press on the button of the menu it closed opens nothing.
  if (hit == taken) return;

  MenuBarTracking& t = gMenuBarTracking;
  const MenuBarTracking outer = t;
  t = MenuBarTracking();
  t.bar = this;
  t.open = hit;
  t.window = GetActiveWindow();
  if (t.window != nullptr) {
    // The bar's origin in the window's client area, where the posted
    // presses land.
    int32_t ox = 0, oy = 0;
    LocalToScreen(ox, oy);
    POINT origin{ox, oy};
    ScreenToClient(t.window, &origin);
    t.originX = origin.x;
    t.originY = origin.y;
    t.saved = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
        t.window, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(&MenuBarTrackingProc)));
  }
  t.switched = false;

  // Pressed while its menu is tracked, then up again.
  hit->MouseDown(event);

  if (!t.switched && GetKeyState(VK_LBUTTON) < 0) {
    int32_t x = 0, y = 0;
    GetMouseLocation(x, y);
    if (hit->Contains(VPoint(x, y))) fLastPressed = hit;
  }
  if (t.window != nullptr) SetWindowLongPtrA(t.window, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(t.saved));
  t = outer;
  // The menu took the mouse: the frame that had it is told it left.
  if (auto* under = static_cast<VFrame*>(Query(kMsgFrameUnderPointer))) under->CursorHook();
}

// ---- The window menu bar.

VWinMenuBar* VMenuBar::InstallWindowMenuBar() {
  if (fWindowMenuBar != nullptr) return fWindowMenuBar;
  fWindowMenuBar = new VWinMenuBar(this, nullptr, 0);
  std::vector<VMenuButton*> buttons;
  int32_t others = 0;
  for (VFrame* f : GetSubFrames()) {
    if (!f->IsVisible() || !f->IsControl()) continue;
    if (IsMenuButton(f)) {
      buttons.push_back(static_cast<VMenuButton*>(f));
    } else if (f != static_cast<VFrame*>(fCloseButton) && f != static_cast<VFrame*>(fGrip)) {
      ++others;
    }
  }
  if (others == 0) {
    // Nothing else to show: the whole bar goes.
    fHidWholeBar = 1;
    SetVisible(false);
  } else if (fCloseButton != nullptr) {
    fCloseButton->SetVisible(false);
  }
  // The menus go to the window in the order the buttons stand.
  std::stable_sort(buttons.begin(), buttons.end(), [](const VMenuButton* a, const VMenuButton* b) {
    return VFrame::ComparePositions(*a, *b) < 0;
  });
  for (VMenuButton* button : buttons) {
    if (others != 0) {
      fHiddenControls.push_back(button);
      button->SetVisible(false);
    }
    if (VMenuBase* menu = button->LendMenu()) fWindowMenuBar->AddMenu(menu, false);
  }
  fWindowMenuBar->Install();
  if (fDock != nullptr) fDock->Relayout();
  return fWindowMenuBar;
}

void VMenuBar::RemoveWindowMenuBar() { GiveMenusBack(true); }

void VMenuBar::GiveMenusBack(bool relayout) {
  if (fWindowMenuBar == nullptr) return;
  VWinMenuBar* windowBar = fWindowMenuBar;
  fWindowMenuBar = nullptr;
  if (windowBar->IsInstalled()) windowBar->Uninstall();
  delete windowBar;
  if (fHidWholeBar != 0) {
    fHidWholeBar = 0;
    SetVisible(true);
  } else {
    for (VFrame* f : fHiddenControls) f->SetVisible(true);
    if (fCloseButton != nullptr) fCloseButton->SetVisible(true);
  }
  fHiddenControls.clear();
  for (VFrame* f : GetSubFrames()) {
    if (IsMenuButton(f)) static_cast<VMenuButton*>(f)->TakeMenuBack();
  }
  if (relayout && fDock != nullptr) fDock->Relayout();
}
