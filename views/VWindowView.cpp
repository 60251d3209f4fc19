// VWindowView: windows made or attached, the port lending, the end of the
// message chain, the click-through check, pointer tracking, zoom and the
// window list.
#include "views/VWindowView.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "framework/core/strings/VUniString.h"
#include "framework/system/environment/VSystemServices.h"
#include "views/VCommandMgr.h"
#include "views/VEvent.h"
#include "graphics/VOffscreenPort.h"
#include "graphics/VRegion.h"
#include "graphics/VShape.h"
#include "host/context/HostCalls.h"
#include "host/context/HostProcesses.h"
#include "host/context/HostServices.h"
#include "platform/gdi/WinGdi.h"
#include "platform/toolbox/TbxDrag.h"
#include "platform/toolbox/TbxWindows.h"
#include "platform/win32/WinInput.h"
#include "platform/win32/WinPaint.h"
#include "platform/win32/WinWindowState.h"
#include "platform/win32/WinWindows.h"

namespace {

int16_t Inset(LONG v) { return static_cast<int16_t>(v < 0 ? 0 : (v > INT16_MAX ? INT16_MAX : v)); }

std::vector<VWindowView*>& WindowList() {
  static std::vector<VWindowView*> list;
  return list;
}

// The host knows windows by a 32-bit reference: the handle's low bits.
uint32_t HostReference(HWND window) {
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(window));
}

}  // namespace

VWindowView* FindWindowView(HWND window) {
  if (window == nullptr) return nullptr;
  for (VWindowView* v : WindowList()) {
    if (v->GetWindowHandle() == window) return v;
  }
  return nullptr;
}

VWindowView* JoinHostWindowView(VFrame* frame, Tbx::WindowRecord* window) {
  if (frame == nullptr || window == nullptr) return nullptr;
  VWindowView* view = FindWindowView(Tbx::GetNativeWindow(window));
  if (view == nullptr) view = new VWindowView(nullptr, window);
  frame->SetParentQuietly(view);
  return view;
}

void LeaveHostWindowView(VFrame* frame, VWindowView* view) {
  if (view == nullptr) return;
  if (frame != nullptr && frame->GetParent() == view) frame->SetParentQuietly(nullptr);
  if (HWND native = view->GetWindowHandle()) InvalidateWindowRect(native, nullptr, false);
  if (view->GetSubFrames().empty()) delete view;
}

void InvalidateWindowRect(HWND window, const RECT* rect, bool validate) {
  if (window == nullptr || !IsWindow(window)) return;
  if (validate) {
    ValidateRect(window, rect);
  } else {
    InvalidateRect(window, rect, FALSE_);
  }
}

void InvalidateWindowRgn(HWND window, HRGN region, bool validate) {
  if (window == nullptr || !IsWindow(window)) return;
  if (validate) {
    ValidateRgn(window, region);
  } else {
    InvalidateRgn(window, region, FALSE_);
  }
}

// ---- Construction.

VWindowView::VWindowView(VFrame* owner, uint16_t kind, bool closeBox, bool growBox, bool zoomBox)
    : VView(nullptr), fOwner(owner), fMgr(new VCommandMgr(this)) {
  Create(kind, closeBox, growBox, zoomBox);
  Enlist();
}

VWindowView::VWindowView(VWindowDelegate* delegate, uint16_t kind, bool closeBox, bool growBox,
                         bool zoomBox)
    : VView(nullptr), fMgr(new VCommandMgr(this)) {
  Create(kind, closeBox, growBox, zoomBox);
  SetDelegate(delegate);
  Enlist();
}

VWindowView::VWindowView(VFrame* owner, Tbx::WindowRecord* window)
    : VView(nullptr), fOwner(owner), fMgr(new VCommandMgr(this)) {
  AttachTo(window);
  Enlist();
}

VWindowView::VWindowView(HWND nativeWindow) : VView(nullptr), fMgr(new VCommandMgr(this)) {
  Tbx::WindowRecord* record = Tbx::GetNativeWindowRecord(nativeWindow);
  if (record != nullptr) {
    AttachTo(record);
  } else {
    fNativeWindow = nativeWindow;
    UpdateOrigin(false);
  }
  Enlist();
}

void VWindowView::Enlist() {
  auto& list = WindowList();
  if (std::find(list.begin(), list.end(), this) == list.end()) list.push_back(this);
}

void VWindowView::Create(uint16_t kind, bool closeBox, bool growBox, bool zoomBox) {
  fAttached = 0;
  fKind = kind;
  int16_t definition = 0;
  switch (kind) {
    case 1: definition = Tbx::dBoxProc; break;
    case 2:
      definition = Tbx::movableDBoxProc;
      fCloseBox = closeBox;
      fTitleBar = 1;
      break;
    case 3: definition = Tbx::plainDBox; break;
    case 4: definition = Tbx::altDBoxProc; break;
    case 5:
      definition = growBox ? (zoomBox ? Tbx::zoomDocProc : Tbx::documentProc)
                           : (zoomBox ? Tbx::zoomNoGrow : Tbx::noGrowDocProc);
      fCloseBox = closeBox;
      fGrowBox = growBox;
      fZoomBox = zoomBox;
      fTitleBar = 1;
      break;
    case 6:
      definition = Tbx::floatProc;
      fCloseBox = closeBox;
      fGrowBox = growBox;
      fZoomBox = zoomBox;
      fTitleBar = 1;
      break;
    case 7:
    case 8: definition = Tbx::plainDBox; break;
    default: break;
  }
  fDefinition = definition;
  if (kind == 6) HostCall357(2);
  if (kind == 7 || kind == 8) HostCall357(8);
  const Tbx::Rect bounds{-500, -500, -400, -400};
  const uint8_t empty[1] = {0};
  fWindow = Tbx::NewCWindow(nullptr, &bounds, empty, true, definition, Tbx::kInFront,
                            fCloseBox != 0, reinterpret_cast<intptr_t>(this));
  fNativeWindow = Tbx::GetNativeWindow(fWindow);
  if (fNativeWindow != nullptr) HostObjectFlag418(HostReference(fNativeWindow), GetEnabledByte());
  HostCall357(0);
  UpdateOrigin(false);
  if (fWindow != nullptr) Tbx::HideWindow(fWindow);
  fVisible = 0;
  if (fWindow != nullptr) {
    Tbx::SetPort(reinterpret_cast<Tbx::GrafPtr>(&fWindow->port));
    const Tbx::Rect whole = fWindow->port.portRect;
    Tbx::ClipRect(&whole);
  }
}

void VWindowView::AttachTo(Tbx::WindowRecord* window) {
  fAttached = 1;
  fWindow = window;
  fNativeWindow = Tbx::GetNativeWindow(window);
  UpdateOrigin(false);
  const int16_t variant = window != nullptr ? window->procID : 0;
  switch (variant) {
    case 0:
    case 4:
    case 8:
    case 12:
      fKind = 5;
      fTitleBar = 1;
      break;
    case 1: fKind = 1; break;
    case 2: fKind = 3; break;
    case 3: fKind = 4; break;
    case 5:
      fKind = 2;
      fTitleBar = 1;
      break;
    default:
      fKind = 0;
      fTitleBar = 1;
      break;
  }
  fDefinition = variant;
  if (window != nullptr) {
    fCloseBox = window->goAwayFlag ? 1 : 0;
    fZoomBox = window->spareFlag ? 1 : 0;
    uint8_t title[256];
    Tbx::GetWTitle(window, title);
    VStr<255> text;
    text.SetPText(title, kCharSetAnsi);
    VFrame::SetTitle(text);
  }
  fGrowBox =
      fNativeWindow != nullptr && (GetWindowLongA(fNativeWindow, GWL_STYLE) & WS_THICKFRAME) != 0
          ? 1
          : 0;
}

VWindowView::~VWindowView() {
  // The sub-frames go while the window's answers still stand.
  Close();
  delete fPort;
  fPort = nullptr;
  if (fWindowDC != nullptr) ReleaseDC(fNativeWindow, fWindowDC);
  fWindowDC = nullptr;
  int32_t counter = 0;
  fMgr->HandleMessage(nullptr, kMsgGetCounter, reinterpret_cast<intptr_t>(&counter));
  if (counter == 1) {
    delete fMgr;
  } else {
    fMgr->HandleMessage(nullptr, kMsgCounter, 0);
  }
  fMgr = nullptr;
  auto& list = WindowList();
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
  if (fAttached == 0 && fWindow != nullptr) Tbx::DisposeWindow(fWindow);
  fWindow = nullptr;
  if (fDelegate != nullptr) fDelegate->Detached(this);
}

void VWindowView::SetDelegate(VWindowDelegate* delegate) {
  if (fDelegate != nullptr) fDelegate->Detached(this);
  fDelegate = delegate;
  if (fDelegate != nullptr) fDelegate->Attached(this);
}

void VWindowView::SetFocusManager(VCommandMgr* manager) {
  if (manager == nullptr || manager == fMgr) return;
  manager->HandleMessage(nullptr, kMsgMergeManager, reinterpret_cast<intptr_t>(fMgr));
  if (fMgr != nullptr) {
    int32_t counter = 0;
    fMgr->HandleMessage(nullptr, kMsgGetCounter, reinterpret_cast<intptr_t>(&counter));
    if (counter == 1) {
      delete fMgr;
    } else {
      fMgr->HandleMessage(nullptr, kMsgCounter, 0);
    }
  }
  fMgr = manager;
  fMgr->HandleMessage(nullptr, kMsgCounter, 1);
}

// ---- Place.

void VWindowView::UpdateOrigin(bool) {
  if (fNativeWindow == nullptr || !IsWindow(fNativeWindow)) return;
  POINT corner{0, 0};
  ClientToScreen(fNativeWindow, &corner);
  RECT client{0, 0, 0, 0};
  GetClientRect(fNativeWindow, &client);
  fX = corner.x;
  fY = corner.y;
  fWidth = client.right - client.left;
  fHeight = client.bottom - client.top;
  UpdateFrameInsets();
  fVisible = ::IsWindowVisible(fNativeWindow) ? 1 : 0;
  fOriginX = 0;
  fOriginY = 0;
}

void VWindowView::MoveTo(int32_t x, int32_t y, int16_t) {
  if (fAttached != 0 || fWindow == nullptr) {
    UpdateOrigin(false);
    return;
  }
  Tbx::MoveWindow(fWindow, static_cast<int16_t>(x), static_cast<int16_t>(y), false);
  fX = x;
  fY = y;
}

void VWindowView::ResizeTo(int32_t width, int32_t height, int16_t mode) {
  if (fAttached != 0 || fWindow == nullptr) {
    UpdateOrigin(false);
    return;
  }
  Tbx::SizeWindow(fWindow, static_cast<int16_t>(width), static_cast<int16_t>(height), true);
  const auto& subs = GetSubFrames();
  if (subs.size() > 1) {
    VView::ResizeTo(width, height, mode);
  } else {
    VFrame::ResizeTo(width, height, mode);
    if (subs.size() == 1) {
      subs.front()->MoveTo(0, 0, mode);
      subs.front()->ResizeTo(width, height, mode);
    }
  }
}

void VWindowView::SetTitle(const VString& text) {
  VFrame::SetTitle(text);
  if (fNativeWindow == nullptr || !IsWindow(fNativeWindow)) return;
  char narrow[257];
  text.GetCText(narrow, sizeof narrow, kCharSetAnsi);
  narrow[256] = '\0';
  SetWindowTextA(fNativeWindow, narrow);
}

void VWindowView::SetVisible(bool visible) {
  if ((fVisible != 0) == visible) return;
  if (visible) {
    if (fWindow != nullptr) Tbx::ShowWindow(fWindow);
    fVisible = 1;
    TakeFocus();
  } else {
    LoseFocus(nullptr);
    if (fWindow != nullptr) Tbx::HideWindow(fWindow);
    fVisible = 0;
  }
}

bool VWindowView::AskParentState() { return fWindow != nullptr && fWindow->hilited; }

// ---- Focus and keys.

int32_t VWindowView::HandleKey(VEvent& event) { return fMgr->DispatchKey(event, true); }

void VWindowView::LoseFocus(VFrame*) {
  if (fFocused == 0) return;
  Activate(false);
  fMgr->Suspend();
  fFocused = 0;
}

void VWindowView::TakeFocus() {
  if (fFocused != 0) return;
  fFocused = 1;
  fMgr->Resume();
  Activate(true);
}

void VWindowView::SetEnabled(bool enabled) {
  if ((fEnabled != 0) == enabled) return;
  fEnabled = enabled ? 1 : 0;
  if (fNativeWindow != nullptr && IsWindow(fNativeWindow)) {
    HostObjectFlag418(HostReference(fNativeWindow), fEnabled);
  }
}

void VWindowView::Close() {
  if (fMgr != nullptr) fMgr->Suspend();
  VView::Close();
}

void VWindowView::DispatchIdle(bool flag) {
  if (!flag && fFocused != 0) fMgr->EnsureTarget();
  VView::DispatchIdle(flag);
}

// ---- Messages.

bool VWindowView::NotifyParent(VFrame* sender, int32_t message, intptr_t parameter) {
  return HandleMessage(sender, message, parameter);
}

bool VWindowView::HandleMessage(VFrame* sender, int32_t message, intptr_t parameter) {
  if (message >= kMsgGetFocusManager && message <= kMsgLostFocus) {
    return fMgr != nullptr && fMgr->HandleMessage(sender, message, parameter);
  }
  switch (message) {
    case kMsgFrameLeaving:
      if (sender != nullptr && sender == fUnderPointer) fUnderPointer = nullptr;
      return fMgr != nullptr && fMgr->HandleMessage(sender, message, parameter);
    case kMsgDeactivate:
    case kMsgActivate: return HandleActivationMessage(message);
    case kMsgIsFocused: return fFocused != 0;
    case kMsgFrameUnderPointer:
      if (parameter != 0) *reinterpret_cast<VFrame**>(parameter) = fUnderPointer;
      return true;
    case kMsgDrawGrowBox: return DrawGrowBox(reinterpret_cast<VPort*>(parameter));
    default: break;
  }
  if (fOwner != nullptr) return fOwner->NotifyParent(sender, message, parameter);
  if (fDelegate != nullptr) return fDelegate->HandleMessage(sender, message, parameter);
  return false;
}

VCommand* VWindowView::FindCommand(int32_t commandId) {
  if (fDelegate != nullptr) {
    if (VCommand* c = fDelegate->FindCommand(commandId)) return c;
  }
  return fOwner != nullptr ? fOwner->FindCommand(commandId) : nullptr;
}

// ---- Mouse.

bool VWindowView::DispatchMouse(VEvent& event) {
  if (fClickCheck != 0 && !event.IsButtonUp() && fMgr != nullptr) {
    VFrame* target = fMgr->GetTarget();
    if (target != nullptr) {
      int32_t ox = 0;
      int32_t oy = 0;
      target->GetOrigin(ox, oy);
      const bool elsewhere = target->GetWindowView() != this;
      const bool outside = event.GetX() < ox || event.GetX() >= ox + target->GetWidth() ||
                           event.GetY() < oy || event.GetY() >= oy + target->GetHeight();
      // A target that will not let go (a field whose text does not
      // validate) keeps the focus and the click goes no further.
      if ((elsewhere || outside) && !target->CanLoseFocus()) return true;
    }
  }
  return VView::DispatchMouse(event);
}

void VWindowView::DispatchWheel(VEvent& event) {
  for (VFrame* f : GetSubFrames()) {
    if (!f->IsShown() || !f->Contains(event)) continue;
    event.Offset(-f->fX, -f->fY);
    f->DispatchWheel(event);
    return;
  }
}

void VWindowView::PointerMoved(VEvent& event) {
  fLastX = event.GetX();
  fLastY = event.GetY();
  const bool inside = fLastX >= 0 && fLastX < fWidth && fLastY >= 0 && fLastY < fHeight;
  VFrame* f = inside ? FindClickTarget(VPoint(fLastX, fLastY), false) : nullptr;
  if (f == nullptr) {
    if (fUnderPointer != nullptr) fUnderPointer->CursorHook();
    fUnderPointer = nullptr;
    return;
  }
  const int32_t dx = f->fOriginX;
  const int32_t dy = f->fOriginY;
  event.Offset(-dx, -dy);
  if (f != fUnderPointer) {
    if (fUnderPointer != nullptr) fUnderPointer->CursorHook();
    fUnderPointer = f;
    f->UpdateCursor(event, true);
  } else {
    f->UpdateCursor(event, false);
  }
  if (fUnderPointer != nullptr && GetAsyncKeyState(VK_LBUTTON) < 0 &&
      fUnderPointer->IsSpecialTarget()) {
    fUnderPointer->DragHookAt(event);
  }
  event.Offset(dx, dy);
}

bool VWindowView::DrawGrowBox(VPort* given) {
  if (fGrowBox == 0) return false;
  VPort* port = given != nullptr ? given : GetPort();
  if (port == nullptr) return false;
  // The sender's port may stand at the sender's origin: back to the view's.
  int32_t ox = 0;
  int32_t oy = 0;
  port->GetOrigin(ox, oy);
  port->PushOrigin(fOriginX - ox, fOriginY - oy);
  port->PushClip(false);
  port->ClipToFrame(this, nullptr, true);
  port->DrawGrowBox(fWidth - 16, fHeight - 16);
  port->PopClip();
  port->PopOrigin();
  if (given == nullptr) FlushWindow();
  return true;
}

// ---- Dragging.

void DragWindowView(VWindowView* view) {
  if (view == nullptr) return;
  if (GetAsyncKeyState(VK_CONTROL) >= 0) view->TakeFocus();
  Tbx::WindowRecord* window = view->GetToolboxWindow();
  if (window == nullptr || view->IsAttached() || GetAsyncKeyState(VK_LBUTTON) >= 0) return;
  Tbx::GrafPtr saved = nullptr;
  Tbx::GetPort(&saved);
  Tbx::GrafPtr desktop = nullptr;
  Tbx::GetWMgrPort(&desktop);
  Tbx::SetPort(desktop);
  Tbx::RgnHandle outline = Tbx::NewRgn();
  Tbx::RgnHandle clip = Tbx::NewRgn();
  Tbx::RgnHandle other = Tbx::NewRgn();
  Tbx::GetWindowStructureRgn(window, outline);
  // The outline shows on the desktop but not over the windows in front.
  Tbx::CopyRgn(Tbx::GetGrayRgn(), clip);
  for (Tbx::WindowRef w = Tbx::FrontWindow(); w != nullptr && w != window;
       w = Tbx::GetNextWindow(w)) {
    if (!Tbx::IsWindowVisible(w)) continue;
    Tbx::GetWindowStructureRgn(w, other);
    Tbx::DiffRgn(clip, other, clip);
  }
  Tbx::SetPortClipRegion(desktop, clip);
  POINT mouse{0, 0};
  GetCursorPos(&mouse);
  const Tbx::Point start{static_cast<int16_t>(mouse.y), static_cast<int16_t>(mouse.x)};
  Tbx::Rect bounds{0, 0, 0, 0};
  Tbx::GetPortBounds(desktop, &bounds);
  const int32_t moved =
      Tbx::DragGrayRgn(outline, start, &bounds, &bounds, Tbx::noConstraint, nullptr);
  Tbx::DisposeRgn(other);
  Tbx::DisposeRgn(clip);
  Tbx::DisposeRgn(outline);
  if (moved != 0 && moved != Tbx::kDragAborted) {
    const auto dx = static_cast<int16_t>(moved & 0xFFFF);
    const auto dy = static_cast<int16_t>((static_cast<uint32_t>(moved) >> 16) & 0xFFFF);
    int32_t x = 0;
    int32_t y = 0;
    view->GetPosition(x, y);
    view->MoveTo(x + dx, y + dy, 1);
  }
  Tbx::SetPort(saved);
}

// ---- Zoom.

void VWindowView::Zoom() {
  if (fWindow == nullptr || fAttached != 0) return;
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
  if (fZoomed != 0) {
    top = fSaved[0];
    left = fSaved[1];
    bottom = fSaved[2];
    right = fSaved[3];
    fZoomed = 0;
  } else {
    if (gSystemServices == nullptr) return;
    fSaved[0] = static_cast<int16_t>(fY);
    fSaved[1] = static_cast<int16_t>(fX);
    fSaved[2] = static_cast<int16_t>(fY + fHeight);
    fSaved[3] = static_cast<int16_t>(fX + fWidth);
    VRect area;
    gSystemServices->FitFrameToMainWindow(area);
    left = area.GetLeft() + 10;
    top = area.GetTop() + VSystemServices::GetMenuBarHeight() + 10 + (fTitleBar != 0 ? 20 : 0);
    right = area.GetLeft() + area.GetWidth() - 10;
    bottom = area.GetTop() + area.GetHeight() - 10;
    fZoomed = 1;
  }
  const bool shown = fVisible != 0;
  Tbx::HideWindow(fWindow);
  MoveTo(left, top, 0);
  ResizeTo(right - left, bottom - top, 0);
  if (shown) Tbx::ShowWindow(fWindow);
}

// ---- Port and window.

HWND VWindowView::GetWindowHandle() {
  return fNativeWindow != nullptr && IsWindow(fNativeWindow) ? fNativeWindow : nullptr;
}

HDC VWindowView::GetWindowDC() {
  if (fWindowDC == nullptr && GetWindowHandle() != nullptr) fWindowDC = GetDC(fNativeWindow);
  return fWindowDC;
}

VPort* VWindowView::GetPort() {
  if (GetWindowHandle() == nullptr) return nullptr;
  if (fPort != nullptr) {
    if (fPortUses >= 1) return nullptr;
    fPort->SetThemeDefaults();
  } else {
    HDC dc = GetWindowDC();
    if (dc == nullptr) return nullptr;
    fPort = new VOffscreenPort(dc);
  }
  fPort->SetLook(static_cast<int16_t>(HostGetValue164()));
  if (GetLookIndex() > -2) fPort->SetLook(GetLookIndex());
  ++fPortUses;
  return fPort;
}

void VWindowView::FlushWindow() {
  if (fPortUses == 0 || fPort == nullptr) return;
  fPort->EndOffscreen();
  --fPortUses;
  if (fAttached != 0) {
    delete fPort;
    fPort = nullptr;
  } else {
    fPort->ResetState();
  }
  GdiFlush();
}

void VWindowView::InvalidateWindowRect(HWND window, const RECT& rect, bool validate) {
  ::InvalidateWindowRect(window, &rect, validate);
}

void VWindowView::GetVisibleRegion(VRegion& region) const {
  if (IsWindow(fNativeWindow)) {
    region.SetBox(0, 0, GetWidth(), GetHeight());
  } else {
    region.SetEmpty();
  }
}

void VWindowView::GetFrameInsets(int16_t& left, int16_t& top, int16_t& right,
                                 int16_t& bottom) const {
  left = fInsetLeft;
  top = fInsetTop;
  right = fInsetRight;
  bottom = fInsetBottom;
}

void VWindowView::UpdateFrameInsets() {
  RECT outer{0, 0, 0, 0};
  RECT client{0, 0, 0, 0};
  if (!GetWindowRect(fNativeWindow, &outer) || !GetClientRect(fNativeWindow, &client)) return;
  POINT corners[2] = {{client.left, client.top}, {client.right, client.bottom}};
  MapWindowPoints(fNativeWindow, nullptr, corners, 2);
  fInsetLeft = Inset(corners[0].x - outer.left);
  fInsetTop = Inset(corners[0].y - outer.top);
  fInsetRight = Inset(outer.right - corners[1].x);
  fInsetBottom = Inset(outer.bottom - corners[1].y);
}
