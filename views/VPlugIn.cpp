// The plug-in area: its set-up in the host's window, its ports, focus,
// messages and command states, and the other plug-in kinds' registration.
// The area events are in VPlugInEvents.cpp, the interface block in
// VPlugInInterface.cpp.
#include "views/VPlugIn.h"

#include <algorithm>

#include "boundary/HostRecords.h"
#include "boundary/HostSelectors.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/system/environment/VClipboard.h"
#include "framework/system/environment/VSystemServices.h"
#include "framework/system/resources/VMacResourceFile.h"
#include "views/VCommand.h"
#include "views/VCommandMgr.h"
#include "views/VEvent.h"
#include "views/VPlugInDocMgr.h"
#include "views/VWindowView.h"
#include "graphics/VDIBPort.h"
#include "graphics/VOffscreenPort.h"
#include "host/context/HostProcesses.h"
#include "host/context/HostServices.h"
#include "host/context/HostStructure.h"
#include "host/dialog/VDialQv.h"
#include "host/package/VPackage.h"
#include "platform/gdi/WinGdi.h"
#include "platform/toolbox/TbxPorts.h"
#include "platform/toolbox/TbxWindows.h"

namespace {

// The host keeps the area's object in the cell that entry 3 of the
// parameter array points at.
void StoreInCell(void* params, VPlugInObject* object) {
  auto** array = static_cast<void**>(params);
  if (array == nullptr) return;
  auto** cell = static_cast<VPlugInObject**>(array[kAreaObjectCellEntry]);
  if (cell != nullptr) *cell = object;
}

// Makes `port` current for the scope and puts the one before back.
class CurrentPortScope {
 public:
  explicit CurrentPortScope(Tbx::GrafPtr port) {
    Tbx::GetPort(&fSaved);
    if (port != nullptr) Tbx::SetPort(port);
  }
  ~CurrentPortScope() { Tbx::SetPort(fSaved); }
  CurrentPortScope(const CurrentPortScope&) = delete;
  CurrentPortScope& operator=(const CurrentPortScope&) = delete;

 private:
  Tbx::GrafPtr fSaved = nullptr;
};

Tbx::GrafPtr WindowPortOf(VWindowView* view) {
  if (view == nullptr || view->GetToolboxWindow() == nullptr) return nullptr;
  return &view->GetToolboxWindow()->port;
}

}  // namespace

// ---- Construction.

VPlugIn::VPlugIn(VPackage* package, int32_t resourceOffset, void** areaParams) : VDockView(nullptr) {
  fPackage = package;
  SetUpWindow(areaParams);
  TakeResourceOffset(resourceOffset);
  if (fPackage != nullptr) {
    fSharedFile = fPackage->AcquireSharedResourceFile(static_cast<uint16_t>(GetResourceId()), fAreaName);
  }
}

VPlugIn::VPlugIn(VPackage* package, int32_t resourceOffset) : VDockView(nullptr) {
  fPackage = package;
  SetUpWindow(nullptr);
  TakeResourceOffset(resourceOffset);
}

void VPlugIn::TakeResourceOffset(int32_t resourceOffset) {
  fResourceOffset = resourceOffset;
  if (fPackage == nullptr) return;
  SetResourceId(static_cast<int16_t>(fPackage->GetResourceBase() + resourceOffset));
  if (VMacResourceFile* file = fPackage->GetResourceFile()) {
    // The package's routine names: item `offset` names the area after a
    // leading marker character that is no part of the name.
    file->GetIndString(&fAreaName, static_cast<int16_t>(fPackage->GetResourceBase()),
                       static_cast<int16_t>(resourceOffset));
    fAreaName.KeepRange(2, 100);
  }
}

VPlugIn::VPlugIn(VPackage* package, VDialQv* ownerDialog, const VString& name, void** areaParams)
    : VDockView(nullptr) {
  fPackage = package;
  fOwnerDialog = ownerDialog;
  fStandAlone = ownerDialog == nullptr ? 1 : 0;
  if (ownerDialog != nullptr) ownerDialog->AddUserAreaObject(this);
  SetResourceId(0);
  fAreaName.SetString(name, kWholeValue);
  SetUpWindow(areaParams);
}

void VPlugIn::SetUpWindow(void** areaParams) {
  fCommandMgr = new VCommandMgr(this);
  fSizeState = 1;
  fLookBackground = 1;
  fNextIdle = 0;
  fIdleInterval = 2;
  fLastMouseX = 0;
  fLastMouseY = 0;
  SetLookIndex(-2);

  if (areaParams == nullptr) {
    if (fPackage != nullptr) fPackage->AddOffscreenPlugIn(this);
    fRegistered = kRegisteredOffscreen;
    fNoWindow = 1;
    fVariableKind = 0;
    fFormTable = 0;
    fFormPage = -1;
    MoveTo(0, 0, 1);
    ResizeTo(200, 200, 1);
    return;
  }

  if (IsFormArea() && fPackage != nullptr) {
    fPackage->AddFormPlugIn(this);
    fRegistered = kRegisteredForm;
  }
  // The window view of the host window whose port is current, shared by
  // every area of that window.
  Tbx::GrafPtr port = nullptr;
  Tbx::GetPort(&port);
  Tbx::WindowRef window = port != nullptr ? Tbx::GetWindowFromPort(port) : nullptr;
  fWindowView = JoinHostWindowView(this, window);
  StoreInCell(areaParams, this);

  const auto* record = static_cast<const HostEventRecord*>(areaParams[kAreaEventRecordEntry]);
  if (record != nullptr) {
    if (record->what == kAreaEventCreate) {
      // `when` -1 is the host's "no table".
      fFormTable = record->when == 0xFFFFFFFFu ? 0 : static_cast<int16_t>(record->when & 0xFFFF);
      fFormPage = record->whereH;
    } else if (record->what == kAreaEventCreateFromRecord) {
      if (const auto* area = HostPointer<const HostAreaRecord>(record->message)) {
        fFormTable = area->table;
        fFormPage = area->page;
      }
    } else if (const auto* description = HostPointer<const HostAreaDescription>(record->message)) {
      fFormTable = description->table;
      fFormPage = description->page;
    }
    fVariableKind = static_cast<uint8_t>(record->whereV & 0xFF);
  }
  if (fFormTable == 0) {
    fVariableKind = 0;
    fFormPage = -1;
  } else if (const auto* name = static_cast<const uint8_t*>(areaParams[2])) {
    fObjectName.SetPText(name, kResCharSetMac);
  }
  if (const auto* rect = static_cast<const int16_t*>(areaParams[1])) {
    const int32_t extra = fFormTable <= 0 ? 1 : 0;
    MoveTo(rect[1], rect[0], 1);
    ResizeTo(rect[3] - rect[1], rect[2] - rect[0] + extra, 1);
  }
}

VPlugIn::~VPlugIn() {
  // The sub-frames go first, while the area still answers their messages.
  VView::Close();
  fHotFrame = nullptr;
  int32_t counter = 0;
  fCommandMgr->HandleMessage(nullptr, kMsgGetCounter, reinterpret_cast<intptr_t>(&counter));
  if (counter == 1) {
    delete fCommandMgr;
  } else {
    fCommandMgr->HandleMessage(nullptr, kMsgCounter, 0);
  }
  fCommandMgr = nullptr;
  fShortcuts.RemoveAll(false);
  delete fDocMgr;
  fDocMgr = nullptr;
  if (fPackage != nullptr) {
    if (fRegistered == kRegisteredForm) fPackage->RemoveFormPlugIn(this);
    if (fRegistered == kRegisteredOffscreen) fPackage->RemoveOffscreenPlugIn(this);
  }
  delete fPort;
  fPort = nullptr;
  VWindowView* view = fWindowView;
  fWindowView = nullptr;
  LeaveHostWindowView(this, view);
  if (fInterfaceBlock != 0 && gMemoryMgr != nullptr) gMemoryMgr->DisposeHandle(fInterfaceBlock);
  fInterfaceBlock = 0;
  if (fSharedFile != nullptr && fPackage != nullptr) fPackage->ReleaseSharedResourceFile(fSharedFile);
  fSharedFile = nullptr;
}

// ---- Frame operations.

bool VPlugIn::Contains(const VPoint& p) const {
  int32_t x = 0;
  int32_t y = 0;
  GetOrigin(x, y);
  return p.GetX() >= x && p.GetX() < x + GetWidth() && p.GetY() >= y && p.GetY() < y + GetHeight();
}

void VPlugIn::DrawContent(VPort& port) {
  if (fLookBackground != 0) {
    const int32_t rect[4] = {0, 0, GetWidth(), GetHeight()};
    DrawLookElement(port, 0, 0, rect, 0);
  } else {
    port.SetBackColorIndex(0);
    port.EraseRect(0, 0, GetWidth(), GetHeight());
  }
}

void VPlugIn::InvalidateChild(VFrame* frame) {
  SetRefreshDeadline();
  if (frame == nullptr) return;
  int32_t x = 0;
  int32_t y = 0;
  frame->GetOrigin(x, y);
  fUpdateRegion.UnionBox(x, y, frame->GetWidth(), frame->GetHeight());
}

void VPlugIn::InvalidateWindowRect(HWND window, const RECT& rect, bool validate) {
  if (fWindowView == nullptr || window != fWindowView->GetWindowHandle()) {
    VDockView::InvalidateWindowRect(window, rect, validate);
    return;
  }
  // A sub-frame's place before its first layout, or a margin drawn round
  // the content view, may reach past the area.
  int32_t x = 0;
  int32_t y = 0;
  GetOrigin(x, y);
  const RECT cut{std::max<LONG>(rect.left, x), std::max<LONG>(rect.top, y),
                 std::min<LONG>(rect.right, x + GetWidth()), std::min<LONG>(rect.bottom, y + GetHeight())};
  if (cut.left >= cut.right || cut.top >= cut.bottom) return;
  VDockView::InvalidateWindowRect(window, cut, validate);
}

void VPlugIn::SetTitle(const VString& text) {
  VView::SetTitle(text);
  if (fFormTable <= 0 && fWindowView != nullptr) {
    HostSetWindowTitle66(text, this, WindowPortOf(fWindowView));
  }
  if (fSizeState == 4 && fWindowView != nullptr) fWindowView->SetTitle(text);
}

bool VPlugIn::AskParentState() { return fWindowView != nullptr && fWindowView->AskParentState(); }

void VPlugIn::LoseFocus(VFrame*) {
  fCommandMgr->Suspend();
  fHasFocus = 0;
  // What the user does while the area is without the focus (in a dialog
  // it ran, in another window) comes between the last press and the next:
  // the next one starts a new click run, so the press that opened a dialog
  // and the first one after it never make a double click.
  if (gSystemServices != nullptr) gSystemServices->EndClickRun();
}

void VPlugIn::TakeFocus() {
  fHasFocus = 1;
  fCommandMgr->Resume();
  fCommandMgr->EnsureTarget();
  // The frame that had the focus when the area lost it (to another window,
  // a dialog the area ran) has it again: without it the area's text would
  // take no more clicks until something else gave it the focus.
  fCommandMgr->RestoreTarget();
  UpdateCommands(2);
}

bool VPlugIn::CanLoseFocus() { return fCommandMgr->CanLeave(); }

bool VPlugIn::NotifyParent(VFrame* sender, int32_t message, intptr_t parameter) {
  return HandleMessage(sender, message, parameter);
}

VFrame* VPlugIn::FindClickTarget(const VPoint& p, bool) {
  int32_t x = 0;
  int32_t y = 0;
  GetPosition(x, y);
  return VView::FindClickTarget(VPoint(p.GetX() - x, p.GetY() - y), false);
}

void VPlugIn::SetEnabled(bool enabled) { fEnabledByte = enabled ? 1 : 0; }

bool VPlugIn::IsEnabled() const { return IsShown() && fEnabledByte != 0; }

void VPlugIn::Draw(VPort& port) {
  if (fSizeState == 0) {
    DrawTooSmall(port);
  } else {
    VView::Draw(port);
  }
}

bool VPlugIn::DispatchMouse(VEvent& event) {
  if (!event.IsButtonUp()) {
    VFrame* focus = fCommandMgr->GetTarget();
    if (focus != nullptr && focus != this && focus->GetWindowView() == GetWindowView()) {
      // The focus frame's rectangle relative to the area.
      int32_t fx = 0, fy = 0, ax = 0, ay = 0;
      focus->GetOrigin(fx, fy);
      GetOrigin(ax, ay);
      fx -= ax;
      fy -= ay;
      const bool inside = event.GetX() >= fx && event.GetX() < fx + focus->GetWidth() &&
                          event.GetY() >= fy && event.GetY() < fy + focus->GetHeight();
      if (!inside && !focus->CanLoseFocus()) return true;
    }
  }
  return VView::DispatchMouse(event);
}

void VPlugIn::DispatchWheel(VEvent& event) {
  const std::vector<VFrame*>& frames = GetSubFrames();
  for (auto it = frames.rbegin(); it != frames.rend(); ++it) {
    VFrame* f = *it;
    if (!f->IsShown() || !f->Contains(event)) continue;
    int32_t x = 0;
    int32_t y = 0;
    f->GetPosition(x, y);
    event.Offset(-x, -y);
    f->DispatchWheel(event);
    return;
  }
}

VCommandKey* VPlugIn::FindShortcut(int32_t commandId) const {
  for (int32_t i = 1; i <= fShortcuts.Count(); ++i) {
    VCommandKey* key = fShortcuts.GetAt(i);
    if (key != nullptr && key->GetCommandId() == commandId) return key;
  }
  return nullptr;
}

VCommand* VPlugIn::FindCommand(int32_t commandId) { return fCommands.GetCommand(commandId); }

void VPlugIn::GetVisibleRegion(VRegion& region) const {
  region.SetBox(fVisibleX, fVisibleY, fVisibleW, fVisibleH);
}

void VPlugIn::GetVisibleRect(int32_t& x, int32_t& y, int32_t& w, int32_t& h) const {
  x = fVisibleX;
  y = fVisibleY;
  w = fVisibleW;
  h = fVisibleH;
}

// ---- The drawing port: one lending at a time, ended by FlushWindow.

VPort* VPlugIn::GetPort() {
  if (fPortInUse != 0) return nullptr;
  if (fPort == nullptr) {
    if (fWindowView == nullptr) {
      fPort = new VDIBPort(16, 16, 0);
    } else {
      CurrentPortScope current(WindowPortOf(fWindowView));
      fPort = new VOffscreenPort(fWindowView->GetWindowDC());
    }
  } else {
    fPort->SetThemeDefaults();
  }
  fPortInUse = 1;
  // An area not yet initialised has no look of its own (-2) and keeps the
  // port's.
  if (GetLookIndex() > -2) fPort->SetLook(GetLookIndex());
  int32_t x = 0;
  int32_t y = 0;
  GetOrigin(x, y);
  fPort->PushOrigin(x, y);
  return fPort;
}

void VPlugIn::FlushWindow() {
  if (fPortInUse == 0 || fPort == nullptr) return;
  fPort->EndOffscreen();
  if (fWindowView != nullptr) {
    CurrentPortScope current(WindowPortOf(fWindowView));
    GdiFlush();
  }
  fPortInUse = 0;
  if (fFormTable <= 0) {
    fPort->ResetState();
  } else {
    delete fPort;
    fPort = nullptr;
  }
}

// ---- Size state.

void VPlugIn::UpdateSizeState() {
  // A form area without a table keeps the host's size; one in its own
  // window keeps the window's. A request or a closing falls back here.
  if (fFormTable <= 0 && fWindowView != nullptr) return;
  if (fSizeState == 4) return;
  fSizeState = GetWidth() < fMinWidth || GetHeight() < fMinHeight ? 0 : 1;
}

void VPlugIn::SetMinimumSize(int16_t width, int16_t height) {
  fMinWidth = width;
  fMinHeight = height;
  UpdateSizeState();
}

void VPlugIn::RequestOwnWindow() {
  if (fSizeState == 0 || fSizeState == 1) fSizeState = 2;
}

void VPlugIn::CloseOwnWindow() {
  if (fSizeState == 4) fSizeState = 3;
}

// ---- Document manager, commands and shortcuts.

VPlugInDocMgr* VPlugIn::NewDocMgr() { return new VPlugInDocMgr(); }

void VPlugIn::EnsureDocMgr() {
  if (fDocMgr != nullptr) return;
  fDocMgr = NewDocMgr();
  if (fDocMgr != nullptr) fDocMgr->BindField(fFormTable, fObjectName, fVariableKind != 0);
}

VPlugInDocMgr* VPlugIn::GetDocMgr() {
  EnsureDocMgr();
  return fDocMgr;
}

bool VPlugIn::IsBoundToHostData() { return GetDocMgr() != nullptr && fDocMgr->IsFieldUsable(); }

void VPlugIn::LoadShortcutResource(VResourceFile* file, int16_t id) {
  // The loader empties the list without deleting; the old keys go first.
  if (file == nullptr || !file->HasResource(kResTypeKeyShortcuts, id)) return;
  fShortcuts.RemoveAll(false);
  LoadKeyShortcuts(fShortcuts, file, id);
}

void VPlugIn::AddCommand(int32_t id, const VString& title) { fCommands.AddCommand(id, title); }
void VPlugIn::DeleteCommand(int32_t id) { fCommands.DeleteCommand(id); }

// ---- Messages.

bool VPlugIn::HandleMessage(VFrame* sender, int32_t message, intptr_t parameter) {
  // Nothing answers once the area is being taken down.
  if (fCommandMgr == nullptr) return false;
  if (message >= kMsgGetFocusManager && message <= kMsgLostFocus) {
    return fCommandMgr->HandleMessage(sender, message, parameter);
  }
  switch (message) {
    case kMsgFrameLeaving:
      if (sender != nullptr && sender == fHotFrame) fHotFrame = nullptr;
      ForgetFrame(sender);
      return fCommandMgr->HandleMessage(sender, message, parameter);
    case kMsgDeactivate:
    case kMsgActivate: return HandleActivationMessage(message);
    case kMsgOwnerFocusMayMove:
      if (fHasFocus == 0 && fWindowView != nullptr && fFormTable > 0) {
        HostVariableOp306(fObjectName, fVariableKind != 0 ? 2 : 1);
      }
      return fHasFocus != 0;
    case kMsgIsFocused:
      return AskParentState();
    case kMsgToolbarCommand:
      return DoCommand(sender, message, parameter);
    case kMsgOwnerFocusTold:
      DispatchIdle(true);
      return true;
    case kMsgFrameUnderPointer:
      if (parameter != 0) *reinterpret_cast<VFrame**>(parameter) = fHotFrame;
      return true;
    case kMsgDrawGrowBox:
      if (fFormTable <= 0) return fWindowView != nullptr && fWindowView->NotifyParent(sender, message, parameter);
      return true;
    case kMsgOwnWindow:
      if (fSizeState == 1) {
        RequestOwnWindow();
      } else {
        CloseOwnWindow();
      }
      return true;
    case kMsgDockMessage:
      // The dock's own message: the user's toolbar dialog, no without one.
      return RunUserBarsDialog();
    default:
      break;
  }
  if (message >= 1 && message <= 7) {
    // A target that does not take the edit command passes it up to the
    // area again; the second arrival answers no instead of going round.
    if (fEditDispatch != 0) return false;
    VFrame* target = nullptr;
    fCommandMgr->HandleMessage(this, kMsgGetFocusFrame, reinterpret_cast<intptr_t>(&target));
    if (target == nullptr) return false;
    fEditDispatch = 1;
    const bool answer = target->NotifyParent(sender, message, parameter);
    fEditDispatch = 0;
    return answer;
  }
  if (message >= 1) {
    if (fOwnerDialog != nullptr) {
      const bool answer = fOwnerDialog->HandleMessage(sender, message, static_cast<int16_t>(parameter));
      fOwnerDialog->HostFormEndChanges();
      return answer;
    }
    return DoCommand(sender, message, parameter);
  }
  return false;
}

void VPlugIn::UpdateCommands(int32_t reason) {
  VFrame* frame = nullptr;
  fCommandMgr->HandleMessage(this, fHasFocus != 0 ? kMsgGetFocusFrame : kMsgGetDefaultFrame,
                             reinterpret_cast<intptr_t>(&frame));
  int32_t editBits = 0;
  int32_t undoBits = 0;
  bool haveSource = false;
  if (gClipboard != nullptr) fClipboardChanges = gClipboard->GetChangeCount();
  if (frame != nullptr) {
    editBits = frame->UpdateEditCommands();
    if ((editBits & 0x10) != 0) {
      // Paste stays available only for a type on the clipboard that the
      // frame takes, tried from the last type to the first.
      editBits &= ~0x10;
      if (gClipboard != nullptr) {
        for (int32_t n = gClipboard->Refresh(); n >= 1; --n) {
          if (frame->AcceptsScrapType(gClipboard->GetAvailableType(n))) {
            editBits |= 0x10;
            break;
          }
        }
      }
    }
    if (frame->HandlesEditCommands()) {
      haveSource = true;
      undoBits = editBits;
    }
  }
  if (!haveSource && frame != this && HandlesEditCommands()) undoBits = UpdateEditCommands();
  const int32_t flags = (editBits & ~3) | (undoBits & 3);
  VStr<255> undoTitle;
  VStr<255> redoTitle;
  if (VResourceFile* file = GetModuleFile()) {
    file->GetIndString(&undoTitle, kEditTitleList, (undoBits & 1) != 0 ? 1 : 3);
    file->GetIndString(&redoTitle, kEditTitleList, (undoBits & 2) != 0 ? 2 : 4);
  }
  const bool changed =
      fCommands.UpdateEditCommands(static_cast<uint8_t>(flags & 0x7F), undoTitle, redoTitle, false);
  if (fHasFocus != 0 && (reason == 2 || changed) && fSizeState != 4) {
    HostCall307(flags, undoTitle, redoTitle);
  }
}

VResourceFile* VPlugIn::GetModuleFile() const {
  return fPackage != nullptr ? fPackage->GetResourceFile() : nullptr;
}

VMacResourceFile* VPlugIn::GetPrefsFile() const {
  return fPackage != nullptr ? fPackage->GetPrefsFile() : nullptr;
}
