// The list control base: the box, the arrow, the text frame of a combo box
// and the nested event loop of the pop-up.
#include "controls/toolbars/VListControl.h"

#include <algorithm>

#include "controls/text/VTextEditFrame.h"
#include "controls/toolbars/VDropDownListView.h"
#include "controls/toolbars/VDropDownWindow.h"
#include "framework/system/environment/VSystemServices.h"
#include "graphics/VLookPainter.h"
#include "graphics/VPort.h"
#include "host/context/HostProcesses.h"
#include "platform/toolbox/TbxEvents.h"
#include "platform/toolbox/TbxWindows.h"
#include "platform/win32/WinMessages.h"
#include "platform/win32/WinWindowState.h"
#include "platform/win32/WinWindows.h"
#include "views/VCommandMgr.h"
#include "views/VEvent.h"
#include "views/VShortcut.h"

namespace {

constexpr int32_t kListEditFrameElement = 4;
constexpr int32_t kListDropArrowElement = 30;
constexpr int32_t kMetricArrowWidth = 6;
// Events the pop-up leaves behind when it closes: mouse-down, key-down and
// key-up.
constexpr int16_t kLeftoverEvents = 0x1a;
// The gap between the control and its pop-up, and the margin kept from the
// client area's edges.
constexpr int32_t kPopUpGap = 2;
constexpr int32_t kPopUpMargin = 4;

// Set while a pop-up's loop runs.
bool gPopUpOpen = false;

}  // namespace

VListControl::VListControl(VFrame* parent) : VControl(parent) {}

VListControl::~VListControl() {
  DeletePopUp();
  DropTextFrame();
}

void VListControl::DeletePopUp() {
  VDropDownWindow* window = fPopUp;
  fPopUp = nullptr;
  if (window == nullptr) return;
  window->Close();
  delete window;
  // Closing the pop-up window suspended the focus manager it shares with
  // the control's window, which is still the active one: the manager goes
  // on, and the control has its focus (and a combo box its text) again.
  VCommandMgr* manager = GetFocusManager();
  if (manager != nullptr) manager->Resume();
  if (!IsFocused() && manager != nullptr && GetFocusFrame() == this) {
    // How the pop-up ended is the derived class's to read afterwards.
    const uint8_t cancelled = fCancelled;
    const uint8_t committing = fCommitting;
    TakeFocus();
    fCancelled = cancelled;
    fCommitting = committing;
  }
}

void VListControl::DropTextFrame() {
  VTextEditFrame* frame = fTextFrame;
  fTextFrame = nullptr;
  if (frame == nullptr) return;
  frame->LoseFocus(nullptr);
  frame->Close();
  delete frame;
}

// ---- Geometry.

void VListControl::GetArrowRect(int32_t* rect) {
  VLookPainter* painter = GetLookPainter();
  const int32_t arrow = painter != nullptr ? painter->GetMetric(kMetricArrowWidth) : 16;
  rect[0] = GetWidth() - arrow;
  rect[1] = 2;
  rect[2] = arrow;
  rect[3] = GetHeight() - 4;
  if (fFramed == 0) {
    // Unframed, the arrow takes one more pixel above and below.
    rect[1] -= 1;
    rect[3] += 2;
  }
}

void VListControl::GetTextRect(int32_t* rect) {
  VLookPainter* painter = GetLookPainter();
  const int32_t arrow = painter != nullptr ? painter->GetMetric(kMetricArrowWidth) : 16;
  const int32_t w = GetWidth();
  const int32_t h = GetHeight();
  if (h >= 18) {
    if (fFramed != 0) {
      rect[0] = 4, rect[1] = 4, rect[2] = w - arrow - 4, rect[3] = h - 8;
    } else {
      rect[0] = 3, rect[1] = 3, rect[2] = w - arrow - 3, rect[3] = h - 4;
    }
  } else if (fFramed != 0) {
    rect[0] = 2, rect[1] = 2, rect[2] = w - arrow, rect[3] = h - 4;
  } else {
    rect[0] = 1, rect[1] = 1, rect[2] = w - arrow - 1, rect[3] = h - 2;
  }
}

int32_t VListControl::GetPopUpHeight(int32_t) { return 70; }

void VListControl::GetLastPopUpRect(int32_t* rect) const { std::copy(fLastPopUp, fLastPopUp + 4, rect); }

void VListControl::ResizeTo(int32_t width, int32_t height, int16_t mode) {
  VView::ResizeTo(width, height, mode);
  if (fTextFrame == nullptr) return;
  int32_t r[4];
  GetTextRect(r);
  fTextFrame->MoveTo(r[0], r[1], mode);
  fTextFrame->ResizeTo(r[2], r[3], mode);
}

// ---- Drawing.

void VListControl::DrawContent(VPort& port) {
  if (fDisplayMode != 0 && fDisplayMode != 1) return;
  const int32_t state = fDisplayMode == 1 || fCommandEnabled != 0 ? 0 : kStateDisabled;
  int32_t box[4] = {0, 0, GetWidth(), GetHeight()};
  if (fFramed == 0) box[0] = -1, box[1] = -1, box[2] += 2, box[3] += 2;
  DrawLookElement(port, kListEditFrameElement, state, box, 0);
  int32_t arrow[4];
  GetArrowRect(arrow);
  DrawLookElement(port, kListDropArrowElement, state, arrow, 0);
  if (fTextFrame != nullptr) return;
  int32_t text[4];
  GetTextRect(text);
  DrawCurrent(port, text);
}

// ---- Mouse and focus.

bool VListControl::MouseDown(VEvent& event) {
  if (IsHiddenByParent() || fCommandEnabled == 0 || !IsVisible() || fCommand == nullptr)
    return true;
  fCommitting = 0;
  EndToolTip();
  if (!IsFocused()) RequestFocus();
  if (!IsFocused()) return true;
  if (fTextFrame != nullptr) {
    int32_t x = 0;
    int32_t y = 0;
    fTextFrame->GetPosition(x, y);
    if (fTextFrame->ContainsLocal(VPoint(event.GetX() - x, event.GetY() - y))) {
      event.Offset(-x, -y);
      const bool answer = fTextFrame->MouseDown(event);
      event.Offset(x, y);
      return answer;
    }
    int32_t arrow[4];
    GetArrowRect(arrow);
    const bool onArrow = event.GetX() >= arrow[0] && event.GetX() < arrow[0] + arrow[2] &&
                         event.GetY() >= arrow[1] && event.GetY() < arrow[1] + arrow[3];
    if (HasChoices() && onArrow) OpenList(event);
    return true;
  }
  // Without a text frame a click anywhere on the box opens the list.
  if (HasChoices()) OpenList(event);
  return true;
}

void VListControl::LoseFocus(VFrame* next) {
  VControl::LoseFocus(next);
  DropTextFrame();
  if (IsShown()) Invalidate(1);
}

void VListControl::TakeFocus() {
  VControl::TakeFocus();
  if (IsEditable()) {
    if (fTextFrame == nullptr) fTextFrame = CreateTextFrame();
    if (fTextFrame != nullptr) fTextFrame->TakeFocus();
  }
  fCancelled = 0;
  fCommitting = 0;
}

bool VListControl::NotifyParent(VFrame* sender, int32_t message, intptr_t parameter) {
  if (message == kMsgPopUpCurrentChanged) {
    RefreshPopUp();
    // The box shows the new current choice at once, while the loop runs.
    if (fTrackPort != nullptr) {
      fTrackPort->PushClip(false);
      fTrackPort->ClipToFrame(this, nullptr, true);
      DrawContent(*fTrackPort);
      fTrackPort->PopClip();
    }
    return true;
  }
  if (message == kMsgClosePopUp) {
    fOpen = 0;
    return true;
  }
  if (message >= 3 && message <= 7 && fTextFrame != nullptr)
    return fTextFrame->NotifyParent(sender, message, parameter);
  return fParent != nullptr && fParent->NotifyParent(sender, message, parameter);
}

void VListControl::OnActivate(bool) { fOpen = 0; }

void VListControl::Close() {
  DeletePopUp();
  DropTextFrame();
}

bool VListControl::AcceptsScrapType(uint32_t type) {
  return fTextFrame != nullptr && fTextFrame->AcceptsScrapType(type);
}

int32_t VListControl::UpdateEditCommands() {
  return fTextFrame != nullptr ? fTextFrame->UpdateEditCommands() : 0;
}

// ---- The pop-up.

void VListControl::KeyRelay::HandleKey(VShortcut& key) {
  VEvent event(-32000, -32000, VSystemServices::TickCount60(), false, false, key.IsCommand(), false,
               false, 0, static_cast<uint16_t>(key.GetKeyCode()));
  event.SetCharacter(key.GetCharacter());
  fList.HandleKey(event);
}

void VListControl::TrackPopUp(VEvent& event) {
  // One pop-up at a time: the loop's procedures and flags are shared.
  if (gPopUpOpen) {
    fCancelled = 1;
    return;
  }
  fTrackPort = GetPort();
  if (fTrackPort == nullptr) {
    fCancelled = 1;
    return;
  }
  int32_t text[4];
  int32_t arrow[4];
  GetTextRect(text);
  GetArrowRect(arrow);
  const bool pressed = event.GetX() >= arrow[0] && event.GetX() < arrow[0] + arrow[2] &&
                       event.GetY() >= arrow[1] && event.GetY() < arrow[1] + arrow[3];
  if (pressed) DrawLookElement(*fTrackPort, kListDropArrowElement, kStatePressed, arrow, 0);

  // The control in its window's client coordinates, and the distance from
  // those to the screen.
  int32_t left = 0;
  int32_t top = 0;
  GetOrigin(left, top);
  int32_t screenX = 0;
  int32_t screenY = 0;
  LocalToScreen(screenX, screenY);
  const int32_t toScreenX = screenX - left;
  const int32_t toScreenY = screenY - top;

  fPopUp = new VDropDownWindow(this);
  fPopUp->SetLookIndex(GetEffectiveLookIndex());
  fPopUp->SetFocusManager(GetFocusManager());

  HWND main = gSystemServices != nullptr ? gSystemServices->GetMainWindow() : nullptr;
  // Outside a host (no main window known) the control's own window holds
  // the pop-up.
  if (main == nullptr) main = GetWindowHandle();
  RECT client{0, 0, 0, 0};
  if (main != nullptr) GetClientRect(main, &client);
  const int32_t clientW = client.right - client.left;
  const int32_t clientH = client.bottom - client.top;
  const int32_t w = GetWidth();
  const int32_t h = GetHeight();
  const int32_t above = top - kPopUpMargin - VSystemServices::GetMenuBarHeight();
  const int32_t below = clientH - top - h - kPopUpMargin;
  const int32_t popW = GetPopUpWidth();
  // With no room on either side nothing fits: the room counts as none.
  const int32_t popH = GetPopUpHeight(std::max(0, std::max(above, below)));
  const int32_t popLeft = left + popW + kPopUpGap <= clientW ? left + kPopUpGap : left + w - kPopUpGap - popW;
  const int32_t popTop = top + h + popH + kPopUpGap <= clientH ? top + h + kPopUpGap : top - kPopUpGap - popH;
  fLastPopUp[0] = popLeft, fLastPopUp[1] = popTop, fLastPopUp[2] = popW, fLastPopUp[3] = popH;
  if (popH <= 0 || popW <= 0) {
    // A pop-up without a row to show does not open.
    DeletePopUp();
    if (pressed) DrawLookElement(*fTrackPort, kListDropArrowElement, 0, arrow, 0);
    FlushWindow();
    fTrackPort = nullptr;
    fCancelled = 1;
    return;
  }
  fPopUp->MoveTo(popLeft + toScreenX, popTop + toScreenY, 0);
  fPopUp->ResizeTo(popW, popH, 0);

  BuildPopUp(*fPopUp);
  fPopUp->SetVisible(true);
  if (VPort* port = fPopUp->GetPort()) {
    fPopUp->Draw(*port);
    fPopUp->FlushWindow();
  }
  RunPopUpLoop(main, pressed, arrow);
  DeletePopUp();
  // What the pop-up left unread goes: twice, as a key can bring its
  // character behind it.
  Tbx::FlushEvents(kLeftoverEvents, 0);
  Tbx::FlushEvents(kLeftoverEvents, 0);
}

void VListControl::RunPopUpLoop(HWND main, bool pressedArrow, const int32_t* arrow) {
  gPopUpOpen = true;
  fOpen = 1;
  fCancelled = 0;
  fCommitting = 0;
  HostCall143();
  bool buttonDown = VSystemServices::IsAnyMouseButtonDown();
  bool arrowShownPressed = pressedArrow;
  int32_t lastX = 0;
  int32_t lastY = 0;
  VSystemServices::GetMousePosition(lastX, lastY);

  HWND popUp = fPopUp->GetNativeWindow();
  VPopUpKeyTarget* savedTarget = gPopUpKeyTarget;
  const WNDPROC savedOwnerProc = gReplacedOwnerProc;
  const WNDPROC savedPopUpProc = gReplacedPopUpProc;
  gPopUpKeyTarget = &fKeys;
  gPopUpPainted = 0;
  gReplacedOwnerProc = nullptr;
  // A window without a procedure of its own answers null: the swap is
  // remembered apart, so that it is undone all the same.
  const bool ownerSwapped = main != nullptr && main != popUp;
  if (ownerSwapped)
    gReplacedOwnerProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(main, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(&AppActivateWindowProc)));
  gReplacedPopUpProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(popUp, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(&ChildControlWindowProc)));
  HWND savedCapture = SetCapture(popUp);
  HWND savedFocus = SetFocus(popUp);

  while (fOpen != 0) {
    // One pass of the host's and the emulation's event handling.
    HostCall144();
    MSG msg{};
    const bool more = GetMessageA(&msg, nullptr, 0, 0) != 0;
    if (more) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    HostCall143();
    if (!more) {
      // Nothing more can come: the pop-up cannot stay open for good.
      ClosePopUp(true);
      break;
    }
    if (fOpen == 0 || fPopUp == nullptr) break;

    if (gPopUpPainted != 0) {
      gPopUpPainted = 0;
      Tbx::BeginUpdate(fPopUp->GetToolboxWindow());
      if (VPort* port = fPopUp->GetPort()) {
        fPopUp->Draw(*port);
        fPopUp->FlushWindow();
      }
      Tbx::EndUpdate(fPopUp->GetToolboxWindow());
    }
    if (fTextFrame != nullptr) fTextFrame->Idle(false);

    const bool down = VSystemServices::IsAnyMouseButtonDown();
    if (arrowShownPressed && !down) {
      arrowShownPressed = false;
      DrawLookElement(*fTrackPort, kListDropArrowElement, 0, arrow, 0);
    }
    int32_t x = 0;
    int32_t y = 0;
    VSystemServices::GetMousePosition(x, y);
    int32_t wx = 0;
    int32_t wy = 0;
    fPopUp->LocalToScreen(wx, wy);
    const int32_t localX = x - wx;
    const int32_t localY = y - wy;
    const bool inside = localX >= 0 && localX < fPopUp->GetWidth() && localY >= 0 &&
                        localY < fPopUp->GetHeight();
    if (down == buttonDown) {
      if ((x != lastX || y != lastY) && inside) {
        // The row under the mouse is highlighted, pressed or not.
        VFrame* under = fPopUp->FindFrameAt(VPoint(localX, localY));
        if (auto* view = dynamic_cast<VDropDownListView*>(under)) {
          int32_t cx = 0;
          int32_t cy = 0;
          view->GetMouseLocation(cx, cy);
          view->MouseWithin(cy);
        }
      }
    } else if (inside) {
      // The click goes to the pop-up's own handling, with the capture, the
      // focus and the window's procedure given back for its time.
      ReleaseCapture();
      SetWindowLongPtrA(popUp, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(gReplacedPopUpProc));
      VEvent click(localX, localY, VSystemServices::TickCount60(), !down, false, false, false,
                   false, 1, 0);
      fPopUp->DispatchMouse(click);
      if (fPopUp != nullptr && IsWindow(popUp)) {
        SetWindowLongPtrA(popUp, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(&ChildControlWindowProc));
        SetCapture(popUp);
        SetFocus(popUp);
      }
    } else if (down) {
      // A press outside the pop-up cancels it.
      ClosePopUp(true);
    }
    buttonDown = down;
    lastX = x;
    lastY = y;
  }

  if (IsWindow(popUp))
    SetWindowLongPtrA(popUp, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(gReplacedPopUpProc));
  if (ownerSwapped && IsWindow(main))
    SetWindowLongPtrA(main, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(gReplacedOwnerProc));
  gPopUpKeyTarget = savedTarget;
  gReplacedOwnerProc = savedOwnerProc;
  gReplacedPopUpProc = savedPopUpProc;
  if (savedCapture != nullptr && IsWindow(savedCapture)) {
    SetCapture(savedCapture);
  } else {
    ReleaseCapture();
  }
  if (savedFocus != nullptr && IsWindow(savedFocus)) SetFocus(savedFocus);
  HostCall144();
  gPopUpOpen = false;
  PopUpClosed();
  FlushWindow();
  fTrackPort = nullptr;
}
