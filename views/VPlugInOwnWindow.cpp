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

// One stay of the area in its own window: what it takes from its home to
// return there, the window and its port, the windows hidden meanwhile and
// the event parameters the loop hands the area. The steps run in order:
// Open, Run until the size state leaves 4, Close.
class VPlugIn::OwnWindowSession {
 public:
  OwnWindowSession(VPlugIn* area, VWindowMenuBar* menuBar, VWindowView* home,
                   Tbx::WindowRef homeWindow)
      : area_(area), menuBar_(menuBar), home_(home), homeWindow_(homeWindow) {}
  OwnWindowSession(const OwnWindowSession&) = delete;
  OwnWindowSession& operator=(const OwnWindowSession&) = delete;

  void Open();
  void Run();
  void Close();

 private:
  void RememberHome();
  void MakeWindow();
  void HideOtherWindows();
  void ShowOwnWindow();
  void PrepareEventParameters();
  // Hands the event record to the area with the window's port set and its
  // content rectangle as the area's.
  void Pass();
  // Passes the event with its point made local to the window.
  void PassLocal(Tbx::Point where);
  // Carries out the choice waiting from the window's menu bar; false when
  // none waits.
  bool TakeMenuChoice();
  // No event: an idle event, or a mouse move when the mouse moved.
  void PassIdle();
  void DispatchEvent();
  void MouseDown(Tbx::Point where);
  void Drag(Tbx::Point where);
  void Grow(Tbx::Point where);
  void Zoom(int16_t part, Tbx::Point where);
  void KeyDown();
  void Update();

  VPlugIn* const area_;
  VWindowMenuBar* const menuBar_;
  VWindowView* const home_;
  const Tbx::WindowRef homeWindow_;
  int32_t homeX_ = 0, homeY_ = 0, homeWidth_ = 0, homeHeight_ = 0;
  bool menuBarShown_ = false;
  Tbx::GrafPtr savedPort_ = nullptr;
  Tbx::Rect homeContent_{0, 0, 0, 0};
  bool moved_ = false;
  std::vector<Tbx::WindowRef> hidden_;
  bool modeSwitched_ = false;
  VWindowView* window_ = nullptr;
  Tbx::WindowRef own_ = nullptr;
  Tbx::CGrafPtr ownPort_ = nullptr;
  Tbx::Rect portRect_{0, 0, 0, 0};
  VMenuChoice* choices_ = nullptr;
  // The loop's event parameters: the record, the window's content
  // rectangle, the object name and the cell holding the area.
  HostEventRecord record_{};
  int16_t rect_[4] = {0, 0, 0, 0};
  uint8_t name_[32] = {0};
  VPlugInObject* cell_ = nullptr;
  void* params_[4] = {&record_, rect_, name_, &cell_};
};

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
  {
    OwnWindowSession session(this, menuBar, home, homeWindow);
    session.Open();
    session.Run();
    session.Close();
  }
  fSizeState = 1;
  UpdateSizeState();
  RemovePopUpMenuSelectPatch(savedPopUp);
}

void VPlugIn::OwnWindowSession::Open() {
  RememberHome();
  MakeWindow();
  HideOtherWindows();
  ShowOwnWindow();
  PrepareEventParameters();
}

void VPlugIn::OwnWindowSession::RememberHome() {
  // The area's place in its home window, which it takes again on return:
  // the own window's size would otherwise hide that it is still too small.
  area_->GetPosition(homeX_, homeY_);
  homeWidth_ = area_->GetWidth();
  homeHeight_ = area_->GetHeight();

  menuBarShown_ = menuBar_->IsMenuBarShown();
  menuBar_->ShowMenuBar(true);
  Tbx::GetPort(&savedPort_);
  homeContent_ = ContentRect(homeWindow_);

  uint8_t stateFlag = 0;
  int16_t stateWord = 0;
  HostGetState178(stateFlag, stateWord);
  modeSwitched_ = stateFlag != 0;
  if (modeSwitched_) HostSetMode179Zero();
}

void VPlugIn::OwnWindowSession::MakeWindow() {
  window_ = new VWindowView(area_, 5, true, true, true);
  VRect place;
  if (gSystemServices != nullptr) gSystemServices->PositionFrameBelowMenuBar(*window_, place);
  if (place.GetWidth() <= 5 || place.GetHeight() <= 5) {
    // No main window to place it in: the main screen below the menu bar.
    place =
        VRect(5, VSystemServices::GetMenuBarHeight() + 5, VSystemServices::GetScreenRight() - 10,
              VSystemServices::GetScreenBottom() - VSystemServices::GetMenuBarHeight() - 10);
  }
  area_->fWindowView = window_;
  window_->MoveTo(place.GetLeft() + 5, place.GetTop() + 5, 0);
  window_->ResizeTo(place.GetWidth() - 5, place.GetHeight() - 5, 0);
  if (const VString* title = area_->GetTitle(); title != nullptr && title->GetLength() > 0)
    window_->SetTitle(*title);
  area_->SetParent(window_);
  own_ = window_->GetToolboxWindow();
}

void VPlugIn::OwnWindowSession::HideOtherWindows() {
  // Every other host window goes out of sight, the dock's floating bars
  // excepted; the walk starts again at the front after each one.
  for (Tbx::WindowRef w = Tbx::FrontWindow(); w != nullptr;) {
    if (w == own_ || !Tbx::IsWindowVisible(w) || area_->IsFloatingBarWindow(w)) {
      w = Tbx::GetNextWindow(w);
      continue;
    }
    Tbx::HideWindow(w);
    hidden_.push_back(w);
    w = Tbx::FrontWindow();
  }
}

void VPlugIn::OwnWindowSession::ShowOwnWindow() {
  window_->SetVisible(true);
  Tbx::ShowWindow(own_);
  window_->SetEnabled(true);
  HostObjectCall421(WindowReference(window_));
  ownPort_ = Tbx::GetWindowPort(own_);
  Tbx::SetPort(ownPort_);
  Tbx::GetPortBounds(ownPort_, &portRect_);
  Tbx::ClipRect(&portRect_);
  choices_ = menuBar_->BuildToolboxMenuBar();
  area_->OwnWindowOpened();
}

void VPlugIn::OwnWindowSession::PrepareEventParameters() {
  area_->fObjectName.GetPText(name_, 31, kResCharSetMac);
  cell_ = area_;
}

void VPlugIn::OwnWindowSession::Pass() {
  Tbx::SetPort(ownPort_);
  Tbx::GetPortBounds(ownPort_, &portRect_);
  Tbx::ClipRect(&portRect_);
  rect_[0] = 0;
  rect_[1] = 0;
  rect_[2] = portRect_.bottom;
  rect_[3] = portRect_.right;
  area_->HandleEvent(params_);
}

void VPlugIn::OwnWindowSession::PassLocal(Tbx::Point where) {
  Tbx::SetPort(ownPort_);
  Tbx::Point local = where;
  Tbx::GlobalToLocal(&local);
  record_.whereH = local.h;
  record_.whereV = local.v;
  Pass();
}

void VPlugIn::OwnWindowSession::Run() {
  while (area_->fSizeState == 4) {
    Tbx::SystemTask();
    if (TakeMenuChoice()) continue;
    record_ = HostEventRecord{};
    if (HostCall361(-1, record_, 3) == 0) {
      PassIdle();
      continue;
    }
    DispatchEvent();
  }
}

bool VPlugIn::OwnWindowSession::TakeMenuChoice() {
  if (choices_ == nullptr || choices_->menu == nullptr || choices_->item == 0) return false;
  VMenuItemExecutor* menu = choices_->menu;
  const int16_t item = choices_->item;
  choices_->menu = nullptr;
  choices_->item = 0;
  menu->ExecuteItem(item);
  return true;
}

void VPlugIn::OwnWindowSession::PassIdle() {
  POINT mouse{0, 0};
  GetCursorPos(&mouse);
  Tbx::SetPort(ownPort_);
  Tbx::Point local{static_cast<int16_t>(mouse.y), static_cast<int16_t>(mouse.x)};
  Tbx::GlobalToLocal(&local);
  Tbx::GetPortBounds(ownPort_, &portRect_);
  const bool outside = !Tbx::PtInRect(local, &portRect_);
  const bool noLast = area_->fLastMouseX == -1 && area_->fLastMouseY == -1;
  const bool still = local.h == area_->fLastMouseX && local.v == area_->fLastMouseY;
  record_.whereH = local.h;
  record_.whereV = local.v;
  record_.when = VSystemServices::TickCount60();
  if ((noLast && outside) || still) {
    record_.what = kEventIdle;
  } else {
    record_.what = kEventMouseMoved;
    if (outside && gCursor != nullptr) gCursor->SetId(0);
  }
  Pass();
}

void VPlugIn::OwnWindowSession::DispatchEvent() {
  const Tbx::Point where{record_.whereV, record_.whereH};
  switch (record_.what) {
    case kEventMouseDown: MouseDown(where); break;
    case kEventMouseUp: PassLocal(where); break;
    case kEventKeyDown: KeyDown(); break;
    case kEventKeyUp:
    case kEventAutoKey: Pass(); break;
    case kEventUpdate: Update(); break;
    default: break;
  }
}

void VPlugIn::OwnWindowSession::MouseDown(Tbx::Point where) {
  area_->PendingWork();
  area_->SetToolTipFlag();
  Tbx::WindowRef hit = nullptr;
  const int16_t part = Tbx::FindWindow(where, &hit);
  if (part == Tbx::inSysWindow) {
    Tbx::SystemClick(where, hit);
    return;
  }
  if (part == Tbx::inMenuBar) {
    // The item chosen in the window's menu bar waits as its choice, which
    // the loop carries out next.
    const int32_t selection = Tbx::MenuSelect(where);
    Tbx::HiliteMenu(0);
    if (selection != 0) menuBar_->TakeToolboxChoice(selection);
    return;
  }
  if (hit != own_) return;
  if (part == Tbx::inContent) {
    PassLocal(where);
  } else if (part == Tbx::inDrag) {
    Drag(where);
  } else if (part == Tbx::inGrow) {
    Grow(where);
  } else if (part == Tbx::inGoAway) {
    if (Tbx::TrackGoAway(own_, where)) area_->HandleMessage(area_, kMsgOwnWindow, 0);
  } else if (part == Tbx::inZoomIn || part == Tbx::inZoomOut) {
    Zoom(part, where);
  }
}

void VPlugIn::OwnWindowSession::Drag(Tbx::Point where) {
  moved_ = true;
  Tbx::Rect desk{0, 0, 0, 0};
  Tbx::GetRegionBounds(Tbx::GetGrayRgn(), &desk);
  Tbx::DragWindow(own_, where, &desk);
  window_->UpdateOrigin(false);
}

void VPlugIn::OwnWindowSession::Grow(Tbx::Point where) {
  Tbx::Rect desk{0, 0, 0, 0};
  Tbx::GetRegionBounds(Tbx::GetGrayRgn(), &desk);
  const Tbx::Rect limits{area_->fMinHeight, area_->fMinWidth,
                         static_cast<int16_t>(desk.bottom - desk.top),
                         static_cast<int16_t>(desk.right - desk.left)};
  const int32_t size = Tbx::GrowWindow(own_, where, &limits);
  if (size != 0) {
    moved_ = true;
    window_->ResizeTo(size & 0xFFFF, (static_cast<uint32_t>(size) >> 16) & 0xFFFF, 1);
    ::InvalidateWindowRect(window_->GetWindowHandle(), nullptr, false);
  }
}

void VPlugIn::OwnWindowSession::Zoom(int16_t part, Tbx::Point where) {
  if (!Tbx::TrackBox(own_, where, part)) return;
  if (!moved_) {
    // The first zoom lays the window exactly over the home window's
    // content.
    moved_ = true;
    Tbx::HideWindow(own_);
    Tbx::MoveWindow(own_, homeContent_.left, homeContent_.top, false);
    Tbx::SizeWindow(own_, static_cast<int16_t>(homeContent_.right - homeContent_.left),
                    static_cast<int16_t>(homeContent_.bottom - homeContent_.top), true);
    Tbx::ShowWindow(own_);
    Tbx::SelectWindow(own_);
  } else {
    Tbx::ZoomWindow(own_, part, true);
  }
  window_->UpdateOrigin(false);
}

void VPlugIn::OwnWindowSession::KeyDown() {
  if ((record_.modifiers & kKeyModifierBits) == kCommandKey &&
      std::toupper(static_cast<int>(record_.message & 0xFF)) == 'Q') {
    area_->fSizeState = 3;
    return;
  }
  Pass();
}

void VPlugIn::OwnWindowSession::Update() {
  auto* target = reinterpret_cast<Tbx::WindowRef>(record_.message);
  if (target == own_) {
    Tbx::BeginUpdate(own_);
    record_.when = 0;
    Pass();
    Tbx::EndUpdate(own_);
  } else if (Tbx::GetNativeWindow(target) != nullptr) {
    Tbx::BeginUpdate(target);
    Tbx::EndUpdate(target);
  }
}

void VPlugIn::OwnWindowSession::Close() {
  // Back home: the Toolbox menu bar goes, the hidden windows come back in
  // the reverse order of hiding, and the area returns to its home window.
  menuBar_->RemoveToolboxMenuBar();
  for (auto it = hidden_.rbegin(); it != hidden_.rend(); ++it) {
    Tbx::ShowWindow(*it);
    Tbx::SelectWindow(*it);
  }
  if (homeWindow_ != nullptr) Tbx::SelectWindow(homeWindow_);
  area_->SetParent(nullptr);
  Tbx::SetPort(savedPort_);
  window_->Close();
  delete window_;
  area_->fWindowView = home_;
  area_->SetParentQuietly(home_);
  area_->MoveTo(homeX_, homeY_, 1);
  area_->ResizeTo(homeWidth_, homeHeight_, 1);
  HostObjectCall421(WindowReference(home_));
  area_->SetHiddenByParent(false);
  if (modeSwitched_) HostSetMode179One();
  if (!menuBarShown_) menuBar_->ShowMenuBar(false);
  area_->RelayoutDock();
  area_->OwnWindowClosed();
  Tbx::SetPort(savedPort_);
}
