// The process window: start handshake, the process body and its event loop.
#include "views/VProcessWindow.h"

#include "boundary/HostRecords.h"
#include "framework/system/environment/VFlagHolder.h"
#include "framework/system/environment/VSystemServices.h"
#include "views/VEvent.h"
#include "views/VFrame.h"
#include "views/VShortcut.h"
#include "views/VWindowView.h"
#include "graphics/VPort.h"
#include "graphics/VShape.h"
#include "host/context/HostCalls.h"
#include "host/context/HostProcessEvents.h"
#include "host/context/HostProcesses.h"
#include "host/context/HostServices.h"
#include "platform/toolbox/TbxPorts.h"
#include "platform/toolbox/TbxResources.h"
#include "platform/toolbox/TbxWindowTracking.h"
#include "platform/toolbox/TbxWindows.h"
#include "platform/win32/WinInput.h"
#include "platform/win32/WinWindowState.h"

namespace {

constexpr uint32_t kDefaultStack = 16000;
constexpr uint16_t kAllEvents = 0xFFFF;
constexpr int32_t kCloseRequest = -994;
constexpr int32_t kNoPosition = -32000;
// The least size the grow box gives a window.
constexpr int16_t kLeastSide = 32;

// The resource file current when the last start began, for the new process.
int16_t gStartResourceFile = -1;

// Restores the current port when the scope ends.
class PortKeeper {
 public:
  PortKeeper() { Tbx::GetPort(&fSaved); }
  ~PortKeeper() { Tbx::SetPort(fSaved); }
  PortKeeper(const PortKeeper&) = delete;
  PortKeeper& operator=(const PortKeeper&) = delete;

 private:
  Tbx::GrafPtr fSaved = nullptr;
};

void RaiseFlag() {
  if (gFlagHolder != nullptr) gFlagHolder->SetFlag(1);
}

uint32_t HostWindowOf(VFrame* frame) {
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(frame->GetWindowHandle()));
}

Tbx::WindowRef ToolboxWindowOf(VFrame* frame) {
  VWindowView* view = frame->GetWindowView();
  return view != nullptr ? view->GetToolboxWindow() : nullptr;
}

// The window view of an emulation window; null for a record that is not
// one of the emulation's.
VWindowView* ViewOf(Tbx::WindowRef window) {
  HWND native = window != nullptr ? Tbx::GetNativeWindow(window) : nullptr;
  return native != nullptr ? FindWindowView(native) : nullptr;
}

// The event's position in the view's client coordinates.
VEvent LocalEvent(const HostEventRecord& record, VWindowView* view) {
  VEvent event(record);
  POINT p{record.whereH, record.whereV};
  ScreenToClient(view->GetNativeWindow(), &p);
  event.Set(p.x, p.y);
  return event;
}

}  // namespace

VProcessWindow::VProcessWindow(VFrame* owner, const VString* title, uint32_t stackSize, bool local)
    : VTask(owner), fLocal(local ? 1 : 0) {
  if (title != nullptr) fTitle.Assign(*title);
  fStackSize = stackSize == 0 ? kDefaultStack : stackSize;
  fEventLoop = 1;
  fStarterProcess = static_cast<uint32_t>(HostGetCurrentProcess());
}

VProcessWindow::~VProcessWindow() = default;

void VProcessWindow::Delay(int32_t milliseconds) {
  HostDelayProcess(milliseconds * 6 / 100, static_cast<int32_t>(fProcess));
}

void VProcessWindow::Pause() { HostProcessControl88(static_cast<int32_t>(fProcess)); }

void VProcessWindow::Resume() { HostProcessControl87(static_cast<int32_t>(fProcess)); }

bool VProcessWindow::Start() {
  gStartResourceFile = Tbx::CurResFile();
  VProcessHandshake handshake(this);
  fProcess = static_cast<uint32_t>(
      HostNewProcess(&VProcessWindow::ProcessWindowMain, fTitle, static_cast<int32_t>(fStackSize), fLocal != 0));
  // A host that made no process would leave nobody to acknowledge: fail now
  // instead of waiting for ever.
  if (fProcess == 0) return false;
  handshake.WaitForAcknowledge();
  return true;
}

void VProcessWindow::Close() {
  fState = kTaskEnded;
  if (fProcess == 0 || static_cast<uint32_t>(HostGetCurrentProcess()) == fProcess) return;
  Pause();
  while (fProcess != 0) HostWait(-1);
}

void VProcessWindow::ShowWindows(bool show) {
  for (VFrame* frame : fFrames) {
    Tbx::WindowRef window = ToolboxWindowOf(frame);
    if (window == nullptr || !frame->IsShown()) continue;
    if (show)
      Tbx::ShowWindow(window);
    else
      Tbx::HideWindow(window);
  }
}

void VProcessWindow::AddFrame(VFrame* frame) {
  if (frame == nullptr) return;
  VTask::AddFrame(frame);
  HostProcessCall92(HostWindowOf(frame), static_cast<int32_t>(fProcess));
}

void VProcessWindow::ProcessWindowMain() {
  HostWait(-1);
  VProcessHandshake* handshake = VProcessHandshake::Registered();
  auto* window = handshake != nullptr ? dynamic_cast<VProcessWindow*>(handshake->GetObject()) : nullptr;
  if (window == nullptr) {
    HostCall86();
    return;
  }
  if (window->fProcess == 0) window->fProcess = static_cast<uint32_t>(HostGetCurrentProcess());
  if (gStartResourceFile >= 0) Tbx::UseResFile(gStartResourceFile);
  {
    PortKeeper port;
    window->OpenWindows();
  }
  handshake->Acknowledge();
  if (window->fEventLoop != 0)
    window->RunEventLoop();
  else
    window->RunSimpleLoop();
  window->Finish();
}

void VProcessWindow::Finish() {
  Ended();
  fProcess = 0;
  if (fDeleteWhenDone != 0) delete this;
  HostCall86();
}

void VProcessWindow::RunSimpleLoop() {
  bool keepRunning = true;
  while (keepRunning && fState < kTaskEnded) {
    HostWait(1);
    keepRunning = KeepRunning();
    if (fState < kTaskEnded && HostProcessShouldStop()) fState = kTaskEnded;
  }
}

void VProcessWindow::RunEventLoop() {
  int32_t lastX = kNoPosition;
  int32_t lastY = kNoPosition;
  bool buttonDown = false;
  while (fState < kTaskEnded) {
    HostEventRecord record{};
    {
      PortKeeper port;
      if (!HostNextProcessEvent(kAllEvents, fSleepTicks, record)) continue;
    }
    if (HostOfferProcessEvent(record)) continue;
    switch (record.what) {
      case 0:
        HandleIdle(lastX, lastY, buttonDown);
        break;
      case 1:
        HandleMouseDown(record, buttonDown);
        break;
      case 2:
        HandleMouseUp(record, buttonDown);
        break;
      case 3:
      case 5:
        HandleKey(record);
        break;
      case 6:
        HandleUpdate(record);
        break;
      case 33:
        RaiseFlag();
        fState = kTaskEnded;
        break;
      default:
        break;
    }
  }
}

VFrame* VProcessWindow::FrameOfView(const VWindowView* view) const {
  if (view == nullptr) return nullptr;
  for (VFrame* frame : fFrames) {
    if (frame == view || frame->GetWindowView() == view) return frame;
  }
  return nullptr;
}

void VProcessWindow::HandleIdle(int32_t& lastX, int32_t& lastY, bool& buttonDown) {
  Idle();
  POINT mouse{0, 0};
  GetCursorPos(&mouse);
  Tbx::WindowRef window = nullptr;
  Tbx::FindWindow(Tbx::Point{static_cast<int16_t>(mouse.y), static_cast<int16_t>(mouse.x)}, &window);
  VWindowView* view = ViewOf(window);
  if (FrameOfView(view) != nullptr && (mouse.x != lastX || mouse.y != lastY)) {
    lastX = mouse.x;
    lastY = mouse.y;
    POINT local = mouse;
    ScreenToClient(view->GetNativeWindow(), &local);
    VEvent event;
    event.Set(local.x, local.y);
    event.SetButtonDown(buttonDown);
    view->PointerMoved(event);
  }
  {
    PortKeeper port;
    const std::vector<VFrame*> frames = fFrames;
    for (VFrame* frame : frames) {
      if (!HasFrame(frame)) continue;
      if (Tbx::WindowRef w = ToolboxWindowOf(frame)) Tbx::SetPort(Tbx::GetWindowPort(w));
      frame->DispatchIdle(false);
    }
  }
  buttonDown = false;
}

void VProcessWindow::HandleMouseDown(const HostEventRecord& record, bool& buttonDown) {
  RaiseFlag();
  buttonDown = true;
  for (VFrame* frame : std::vector<VFrame*>(fFrames)) {
    if (HasFrame(frame)) frame->DispatchIdle(true);
  }
  const Tbx::Point where{record.whereV, record.whereH};
  Tbx::WindowRef window = nullptr;
  const int16_t part = Tbx::FindWindow(where, &window);
  if (part == Tbx::inMenuBar) {
    Tbx::MenuSelect(where);  // the headless menu bar chooses nothing to handle
    Tbx::HiliteMenu(0);
    return;
  }
  VWindowView* view = ViewOf(window);
  VFrame* frame = FrameOfView(view);
  if (frame == nullptr) return;  // a window of another task
  PortKeeper port;
  switch (part) {
    case Tbx::inGoAway:
      if (Tbx::TrackGoAway(window, where)) view->HandleMessage(frame, kCloseRequest, 0);
      break;
    case Tbx::inDrag:
      DragWindowView(view);
      break;
    case Tbx::inGrow: {
      VRect main(0, 0, 0x7FFF, 0x7FFF);
      if (gSystemServices != nullptr) gSystemServices->FitFrameToMainWindow(main);
      const Tbx::Rect limits{kLeastSide, kLeastSide, static_cast<int16_t>(std::max(main.GetHeight(), int32_t{kLeastSide})),
                             static_cast<int16_t>(std::max(main.GetWidth(), int32_t{kLeastSide}))};
      const int32_t size = Tbx::GrowWindow(window, where, &limits);
      if (size != 0) view->ResizeTo(size & 0xFFFF, (size >> 16) & 0xFFFF, 1);
      break;
    }
    case Tbx::inZoomIn:
    case Tbx::inZoomOut:
      if (Tbx::TrackBox(window, where, part)) view->Zoom();
      break;
    case Tbx::inContent:
      if (Tbx::FrontWindow() != window) {
        Tbx::SelectWindow(window);
        view->TakeFocus();
        break;
      }
      {
        VEvent event = LocalEvent(record, view);
        event.SetClickCount();
        view->DispatchMouse(event);
      }
      break;
    default:
      break;
  }
}

void VProcessWindow::HandleMouseUp(const HostEventRecord& record, bool& buttonDown) {
  RaiseFlag();
  Tbx::WindowRef window = nullptr;
  Tbx::FindWindow(Tbx::Point{record.whereV, record.whereH}, &window);
  VWindowView* view = ViewOf(window);
  if (FrameOfView(view) == nullptr) return;
  VEvent event = LocalEvent(record, view);
  view->DispatchMouse(event);
  buttonDown = false;
}

void VProcessWindow::HandleKey(const HostEventRecord& record) {
  RaiseFlag();
  VShortcut shortcut(record);
  VFrame* target = nullptr;
  if (CountFrames() > 1) {
    for (VFrame* frame : fFrames) {
      if (HostObjectFlag422(HostWindowOf(frame))) {
        target = frame;
        break;
      }
    }
  } else if (CountFrames() == 1 && HostObjectFlag422(HostWindowOf(fFrames.front()))) {
    target = fFrames.front();
  }
  // With no active frame the key goes nowhere.
  if (target != nullptr) DeliverShortcut(target, shortcut, record);
}

void VProcessWindow::DeliverShortcut(VFrame* target, const VShortcut&, const HostEventRecord& record) {
  VEvent event(record);
  target->DispatchKey(event);
}

void VProcessWindow::HandleUpdate(const HostEventRecord& record) {
  auto* window = reinterpret_cast<Tbx::WindowRef>(record.message);
  VWindowView* view = ViewOf(window);
  VFrame* frame = FrameOfView(view);
  if (frame == nullptr) return;
  frame->DispatchIdle(true);
  const int32_t look = HostGetValue164();
  PortKeeper port;
  Tbx::SetPort(Tbx::GetWindowPort(window));
  Tbx::BeginUpdate(window);
  if (VPort* drawing = view->GetPort()) {
    drawing->SetLook(static_cast<int16_t>(look));
    frame->Draw(*drawing);
    view->FlushWindow();
  }
  Tbx::EndUpdate(window);
}
