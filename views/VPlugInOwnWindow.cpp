// An area too small in its host window runs in a window of its own: the
// window's modal event loop, fed by the host's event queue, and the area's
// return to its home window when the window closes.
#include <cctype>
#include <cstring>
#include <vector>

#include "boundary/HostRecords.h"
#include "framework/system/environment/VCursor.h"
#include "framework/system/environment/VSystemServices.h"
#include "views/VPlugIn.h"
#include "views/VWindowMenuBar.h"
#include "views/VWindowView.h"
#include "graphics/VShape.h"
#include "host/context/HostCalls.h"
#include "host/context/HostRequests.h"
#include "host/context/HostServices.h"
#include "views/VWindowUtilities.h"
#include "platform/toolbox/TbxPorts.h"
#include "platform/toolbox/TbxRegions.h"
#include "platform/toolbox/TbxWindowTracking.h"
#include "platform/toolbox/TbxWindows.h"
#include "platform/win32/WinInput.h"
#include "platform/win32/WinPaint.h"

namespace {

constexpr uint16_t kEventIdle = 0;
constexpr uint16_t kEventMouseDown = 1;
constexpr uint16_t kEventMouseUp = 2;
constexpr uint16_t kEventKeyDown = 3;
constexpr uint16_t kEventKeyUp = 4;
constexpr uint16_t kEventAutoKey = 5;
constexpr uint16_t kEventUpdate = 6;
constexpr uint16_t kEventMouseMoved = 18;
// The modifier bits of keys (the low byte holds the button and activation
// bits); Command-Q closes the window only with the command key alone.
constexpr uint16_t kKeyModifierBits = 0xFF00;
constexpr uint16_t kCommandKey = 0x100;

Tbx::Rect ContentRect(Tbx::WindowRef window) {
  int32_t left = 0, top = 0, width = 0, height = 0;
  Tbx::GetWindowBounds(window, &left, &top, &width, &height);
  return Tbx::Rect{static_cast<int16_t>(top), static_cast<int16_t>(left),
                   static_cast<int16_t>(top + height), static_cast<int16_t>(left + width)};
}

// The host knows windows by a 32-bit reference: the handle's low bits.
uint32_t WindowReference(VWindowView* view) {
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(view->GetNativeWindow()));
}

}  // namespace

void VPlugIn::RunOwnWindow() {
  VWindowMenuBar* menuBar = GetWindowMenuBar();
  VWindowView* home = fWindowView;
  Tbx::WindowRef homeWindow = home != nullptr ? home->GetToolboxWindow() : nullptr;
  if (menuBar == nullptr || home == nullptr) {
    // Nothing to open the window with: the area stays where it is.
    fSizeState = 1;
    UpdateSizeState();
    return;
  }

  fSizeState = 4;
  // Pop-up menus in the window track with the tracking flag set.
  const Tbx::TrapRoutine savedPopUp = InstallPopUpMenuSelectPatch();

  // The area's place in its home window, which it takes again on return:
  // the own window's size would otherwise hide that it is still too small.
  int32_t homeX = 0, homeY = 0;
  GetPosition(homeX, homeY);
  const int32_t homeWidth = GetWidth();
  const int32_t homeHeight = GetHeight();

  const bool menuBarShown = menuBar->IsMenuBarShown();
  menuBar->ShowMenuBar(true);
  Tbx::GrafPtr savedPort = nullptr;
  Tbx::GetPort(&savedPort);
  const Tbx::Rect homeContent = ContentRect(homeWindow);
  bool moved = false;
  std::vector<Tbx::WindowRef> hidden;

  uint8_t stateFlag = 0;
  int16_t stateWord = 0;
  HostGetState178(stateFlag, stateWord);
  const bool modeSwitched = stateFlag != 0;
  if (modeSwitched) HostSetMode179Zero();

  auto* window = new VWindowView(this, 5, true, true, true);
  VRect place;
  if (gSystemServices != nullptr) gSystemServices->PositionFrameBelowMenuBar(*window, place);
  if (place.GetWidth() <= 5 || place.GetHeight() <= 5) {
    // No main window to place it in: the main screen below the menu bar.
    place =
        VRect(5, VSystemServices::GetMenuBarHeight() + 5, VSystemServices::GetScreenRight() - 10,
              VSystemServices::GetScreenBottom() - VSystemServices::GetMenuBarHeight() - 10);
  }
  fWindowView = window;
  window->MoveTo(place.GetLeft() + 5, place.GetTop() + 5, 0);
  window->ResizeTo(place.GetWidth() - 5, place.GetHeight() - 5, 0);
  if (const VString* title = GetTitle(); title != nullptr && title->GetLength() > 0)
    window->SetTitle(*title);
  SetParent(window);
  Tbx::WindowRef own = window->GetToolboxWindow();

  // Every other host window goes out of sight, the dock's floating bars
  // excepted; the walk starts again at the front after each one.
  for (Tbx::WindowRef w = Tbx::FrontWindow(); w != nullptr;) {
    if (w == own || !Tbx::IsWindowVisible(w) || IsFloatingBarWindow(w)) {
      w = Tbx::GetNextWindow(w);
      continue;
    }
    Tbx::HideWindow(w);
    hidden.push_back(w);
    w = Tbx::FrontWindow();
  }

  window->SetVisible(true);
  Tbx::ShowWindow(own);
  window->SetEnabled(true);
  HostObjectCall421(WindowReference(window));
  Tbx::CGrafPtr ownPort = Tbx::GetWindowPort(own);
  Tbx::SetPort(ownPort);
  Tbx::Rect portRect{0, 0, 0, 0};
  Tbx::GetPortBounds(ownPort, &portRect);
  Tbx::ClipRect(&portRect);
  VMenuChoice* choices = menuBar->BuildToolboxMenuBar();
  OwnWindowOpened();

  // The loop's event parameters: the record, the window's content
  // rectangle, the object name and the cell holding the area.
  HostEventRecord record{};
  int16_t rect[4] = {0, 0, 0, 0};
  uint8_t name[32] = {0};
  fObjectName.GetPText(name, 31, kResCharSetMac);
  VPlugInObject* cell = this;
  void* params[4] = {&record, rect, name, &cell};

  auto pass = [&]() {
    Tbx::SetPort(ownPort);
    Tbx::GetPortBounds(ownPort, &portRect);
    Tbx::ClipRect(&portRect);
    rect[0] = 0;
    rect[1] = 0;
    rect[2] = portRect.bottom;
    rect[3] = portRect.right;
    HandleEvent(params);
  };

  while (fSizeState == 4) {
    Tbx::SystemTask();
    if (choices != nullptr && choices->menu != nullptr && choices->item != 0) {
      VMenuItemExecutor* menu = choices->menu;
      const int16_t item = choices->item;
      choices->menu = nullptr;
      choices->item = 0;
      menu->ExecuteItem(item);
      continue;
    }
    record = HostEventRecord{};
    if (HostCall361(-1, record, 3) == 0) {
      POINT mouse{0, 0};
      GetCursorPos(&mouse);
      Tbx::SetPort(ownPort);
      Tbx::Point local{static_cast<int16_t>(mouse.y), static_cast<int16_t>(mouse.x)};
      Tbx::GlobalToLocal(&local);
      Tbx::GetPortBounds(ownPort, &portRect);
      const bool outside = !Tbx::PtInRect(local, &portRect);
      const bool noLast = fLastMouseX == -1 && fLastMouseY == -1;
      const bool still = local.h == fLastMouseX && local.v == fLastMouseY;
      record.whereH = local.h;
      record.whereV = local.v;
      record.when = VSystemServices::TickCount60();
      if ((noLast && outside) || still) {
        record.what = kEventIdle;
      } else {
        record.what = kEventMouseMoved;
        if (outside && gCursor != nullptr) gCursor->SetId(0);
      }
      pass();
      continue;
    }
    const Tbx::Point where{record.whereV, record.whereH};
    switch (record.what) {
      case kEventMouseDown: {
        PendingWork();
        SetToolTipFlag();
        Tbx::WindowRef hit = nullptr;
        const int16_t part = Tbx::FindWindow(where, &hit);
        if (part == Tbx::inSysWindow) {
          Tbx::SystemClick(where, hit);
          break;
        }
        if (part == Tbx::inMenuBar) {
          // The item chosen in the window's menu bar waits as its choice,
          // which the loop carries out next.
          const int32_t selection = Tbx::MenuSelect(where);
          Tbx::HiliteMenu(0);
          if (selection != 0) menuBar->TakeToolboxChoice(selection);
          break;
        }
        if (hit != own) break;
        if (part == Tbx::inContent) {
          Tbx::SetPort(ownPort);
          Tbx::Point local = where;
          Tbx::GlobalToLocal(&local);
          record.whereH = local.h;
          record.whereV = local.v;
          pass();
        } else if (part == Tbx::inDrag) {
          moved = true;
          Tbx::Rect desk{0, 0, 0, 0};
          Tbx::GetRegionBounds(Tbx::GetGrayRgn(), &desk);
          Tbx::DragWindow(own, where, &desk);
          window->UpdateOrigin(false);
        } else if (part == Tbx::inGrow) {
          Tbx::Rect desk{0, 0, 0, 0};
          Tbx::GetRegionBounds(Tbx::GetGrayRgn(), &desk);
          const Tbx::Rect limits{fMinHeight, fMinWidth,
                                 static_cast<int16_t>(desk.bottom - desk.top),
                                 static_cast<int16_t>(desk.right - desk.left)};
          const int32_t size = Tbx::GrowWindow(own, where, &limits);
          if (size != 0) {
            moved = true;
            window->ResizeTo(size & 0xFFFF, (static_cast<uint32_t>(size) >> 16) & 0xFFFF, 1);
            ::InvalidateWindowRect(window->GetWindowHandle(), nullptr, false);
          }
        } else if (part == Tbx::inGoAway) {
          if (Tbx::TrackGoAway(own, where)) HandleMessage(this, kMsgOwnWindow, 0);
        } else if (part == Tbx::inZoomIn || part == Tbx::inZoomOut) {
          if (Tbx::TrackBox(own, where, part)) {
            if (!moved) {
              // The first zoom lays the window exactly over the home
              // window's content.
              moved = true;
              Tbx::HideWindow(own);
              Tbx::MoveWindow(own, homeContent.left, homeContent.top, false);
              Tbx::SizeWindow(own, static_cast<int16_t>(homeContent.right - homeContent.left),
                              static_cast<int16_t>(homeContent.bottom - homeContent.top), true);
              Tbx::ShowWindow(own);
              Tbx::SelectWindow(own);
            } else {
              Tbx::ZoomWindow(own, part, true);
            }
            window->UpdateOrigin(false);
          }
        }
        break;
      }
      case kEventMouseUp: {
        Tbx::SetPort(ownPort);
        Tbx::Point local = where;
        Tbx::GlobalToLocal(&local);
        record.whereH = local.h;
        record.whereV = local.v;
        pass();
        break;
      }
      case kEventKeyDown:
        if ((record.modifiers & kKeyModifierBits) == kCommandKey &&
            std::toupper(static_cast<int>(record.message & 0xFF)) == 'Q') {
          fSizeState = 3;
          break;
        }
        pass();
        break;
      case kEventKeyUp:
      case kEventAutoKey: pass(); break;
      case kEventUpdate: {
        auto* target = reinterpret_cast<Tbx::WindowRef>(record.message);
        if (target == own) {
          Tbx::BeginUpdate(own);
          record.when = 0;
          pass();
          Tbx::EndUpdate(own);
        } else if (Tbx::GetNativeWindow(target) != nullptr) {
          Tbx::BeginUpdate(target);
          Tbx::EndUpdate(target);
        }
        break;
      }
      default: break;
    }
  }

  // Back home: the Toolbox menu bar goes, the hidden windows come back in
  // the reverse order of hiding, and the area returns to its home window.
  menuBar->RemoveToolboxMenuBar();
  for (auto it = hidden.rbegin(); it != hidden.rend(); ++it) {
    Tbx::ShowWindow(*it);
    Tbx::SelectWindow(*it);
  }
  if (homeWindow != nullptr) Tbx::SelectWindow(homeWindow);
  SetParent(nullptr);
  Tbx::SetPort(savedPort);
  window->Close();
  delete window;
  fWindowView = home;
  SetParentQuietly(home);
  MoveTo(homeX, homeY, 1);
  ResizeTo(homeWidth, homeHeight, 1);
  HostObjectCall421(WindowReference(home));
  SetHiddenByParent(false);
  if (modeSwitched) HostSetMode179One();
  if (!menuBarShown) menuBar->ShowMenuBar(false);
  RelayoutDock();
  OwnWindowClosed();
  Tbx::SetPort(savedPort);

  fSizeState = 1;
  UpdateSizeState();
  RemovePopUpMenuSelectPatch(savedPopUp);
}
