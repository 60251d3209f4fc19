// The area events: what the area does with each event record the host
// sends, and the answer it writes back into the record.
#include <cstring>

#include "boundary/HostRecords.h"
#include "boundary/HostSelectors.h"
#include "framework/core/host/VHostBridge.h"
#include "framework/core/streams/ByteSwap.h"
#include "framework/system/environment/VClipboard.h"
#include "framework/system/environment/VCursor.h"
#include "framework/system/environment/VFlagHolder.h"
#include "framework/system/environment/VSystemServices.h"
#include "views/VCommand.h"
#include "views/VCommandMgr.h"
#include "views/VDragTypeList.h"
#include "views/VEvent.h"
#include "views/VPlugIn.h"
#include "views/VPlugInDocMgr.h"
#include "views/VWindowMenuBar.h"
#include "views/VWindowView.h"
#include "graphics/VOffscreenPort.h"
#include "graphics/VScaledPort.h"
#include "graphics/VShape.h"
#include "host/context/HostServices.h"
#include "host/context/VHostContext.h"
#include "platform/gdi/WinGdi.h"
#include "platform/toolbox/TbxPorts.h"
#include "platform/toolbox/TbxRegions.h"
#include "platform/toolbox/TbxWindows.h"

namespace {

uint32_t HostVersion() { return gHostContext != nullptr ? gHostContext->GetHostVersion() : 0; }

// Saves the current port and device and puts them back at the end.
class SavedGWorld {
 public:
  SavedGWorld() { Tbx::GetGWorld(&fPort, &fDevice); }
  ~SavedGWorld() { Tbx::SetGWorld(fPort, fDevice); }
  SavedGWorld(const SavedGWorld&) = delete;
  SavedGWorld& operator=(const SavedGWorld&) = delete;
  Tbx::GrafPtr Port() const { return fPort; }

 private:
  Tbx::CGrafPtr fPort = nullptr;
  Tbx::GDHandle fDevice = 0;
};

// A key event with the framework's key code of the key as its key word, so
// that the focus handling sees Tab.
VEvent KeyEvent(const HostEventRecord& record, const VShortcut& key) {
  VEvent event(record.whereH, record.whereV, record.when, false, false,
                (record.modifiers & kHostModifierCommand) != 0, (record.modifiers & kHostModifierOption) != 0,
                (record.modifiers & kHostModifierShift) != 0, 0, static_cast<uint16_t>(key.GetKeyCode()));
  event.SetCharacter(key.GetCharacter());
  return event;
}

}  // namespace

void VPlugIn::SetRefreshDeadline() {
  uint32_t due = VSystemServices::TickCount60() + static_cast<uint32_t>(fIdleInterval);
  // 0 stands for "nothing pending"; a deadline that falls on it moves on a
  // tick rather than being lost.
  if (due == 0) due = 1;
  fNextIdle = due;
}

bool VPlugIn::IsDeadlinePassed(uint32_t now) const {
  return fNextIdle != 0 && static_cast<int32_t>(now - fNextIdle) >= 0;
}

void VPlugIn::PendingWork() { DispatchIdle(true); }

void VPlugIn::SetToolTipFlag() {
  if (gFlagHolder != nullptr) gFlagHolder->SetFlag(1);
}

void VPlugIn::HandleEvent(void** params) {
  if (params == nullptr) return;
  auto* record = static_cast<HostEventRecord*>(params[kAreaEventRecordEntry]);
  if (record == nullptr) return;
  // A closed area answers nothing more: its views are gone.
  if (fClosed != 0) {
    if (record->what != kAreaEventDelete) record->modifiers = kAreaAnswerNotHandled;
    return;
  }
  SavedGWorld saved;
  void** outerParams = fParams;
  fParams = params;

  // The visible rectangle: the bounding box of the current port's visible
  // region.
  if (saved.Port() != nullptr) {
    Tbx::RgnHandle region = Tbx::NewRgn();
    Tbx::GetPortVisibleRegion(saved.Port(), region);
    Tbx::Rect box{0, 0, 0, 0};
    Tbx::GetRegionBounds(region, &box);
    Tbx::DisposeRgn(region);
    fVisibleX = box.left;
    fVisibleY = box.top;
    fVisibleW = box.right - box.left;
    fVisibleH = box.bottom - box.top;
  }

  switch (record->what) {
    case 0: HandleIdle(); break;
    case 1: HandleMouseDown(*record); break;
    case 2: HandleMouseUp(*record); break;
    case 3:
    case 5: HandleKeyDown(*record); break;
    case 4:
      fKeyDown = 0;
      fCommandMgr->Idle();
      break;
    case 6: HandleUpdate(*record); break;
    case kAreaEventCreate:
      UpdateSizeState();
      EnsureDocMgr();
      SetLookIndex(IsFormArea() ? static_cast<int16_t>(HostGetValue164()) : 2);
      fNoWindow = 0;
      InitInterface(nullptr, 0);
      if (auto** cell = static_cast<VPlugInObject**>(params[kAreaObjectCellEntry])) *cell = this;
      Activate(true);
      if (IsBoundToHostData()) fDocMgr->LoadFromField(this);
      SetRefreshDeadline();
      break;
    case kAreaEventDelete: HandleClose(*record); break;
    case 18: HandleMouseMoved(*record); break;
    case 20: record->message = IsEnabled() ? kAreaAnswerEnabled : 0; break;
    case kAreaEventActivate:
      if (fSizeState == 0) {
        record->modifiers = kAreaAnswerNotHandled;
        break;
      }
      PendingWork();
      SetToolTipFlag();
      if (record->when == 1) Activate(true);
      if (fHasFocus == 0) {
        if (IsEnabled()) {
          TakeFocus();
        } else {
          record->modifiers = kAreaAnswerNotHandled;
        }
      }
      break;
    case kAreaEventDeactivate:
      if (fSizeState == 0) {
        record->modifiers = kAreaAnswerNotHandled;
        break;
      }
      PendingWork();
      SetToolTipFlag();
      if (record->when == 1) Activate(false);
      if (!CanLoseFocus()) {
        record->message = kAreaAnswerKeepFocus;
      } else if (record->message == 1) {
        DeactivateByHost();
      } else {
        LoseFocus(nullptr);
      }
      break;
    case 25: HandleMoveResize(); break;
    case 30: case 31: case 32: case 33: case 34: case 35: HandleEditEvent(record->what); break;
    case 38:
      if (record->modifiers == 1) {
        TakeFocus();
      } else if (!CanLoseFocus()) {
        record->message = kAreaAnswerKeepFocus;
      } else {
        LoseFocus(nullptr);
      }
      break;
    case 39: {
      VEvent event(*record);
      event.SetClickCount();
      PendingWork();
      int32_t x = 0, y = 0;
      GetOrigin(x, y);
      event.Offset(-x, -y);
      DispatchWheel(event);
      SetRefreshDeadline();
      break;
    }
    case 43: UpdateCommands(1); break;
    case 69:
      if (IsBoundToHostData()) fDocMgr->LoadFromField(this);
      record->modifiers = kAreaAnswerReloaded;
      break;
    case 70:
      if (IsBoundToHostData() && (HostVersion() >= kHostVersionSaveEvents || record->when == 0)) {
        fDocMgr->SaveToField(this);
      }
      break;
    case kAreaEventLeave:
      if (fFormTable != 0 && fFormPage != 0) SetVisible(fFormPage == static_cast<int16_t>(record->when & 0xFFFF));
      break;
    case 80: case 82: case 83: HandleDrag(*record); break;
    case 81: break;
    case kAreaEventCreateFromRecord: HandleExtendedInit(*record); break;
    default: record->modifiers = kAreaAnswerNotHandled; break;
  }
  // An item chosen in a window menu bar meanwhile waits as the bar's
  // pending choice; it is carried out now, after the event's own handling.
  if (const VMenuBarChoiceTaker* taker = VMenuBarChoiceService::Get()) taker->takePendingChoices();

  // The own window asked for by this event runs before the host gets its
  // answer, with the area holding the focus for it. An area that never had
  // the focus (too small, it refused the host's activation) takes it as an
  // activation gives it, when enabled, so that its text is the target of
  // the keys typed and of the clicks made in the window; it gives it back
  // afterwards.
  if (fSizeState == 2) {
    const uint8_t hadFocus = fHasFocus;
    if (hadFocus == 0 && IsEnabled()) TakeFocus();
    fHasFocus = 1;
    RunOwnWindow();
    if (hadFocus == 0) {
      DispatchIdle(true);
      LoseFocus(nullptr);
      fHasFocus = 0;
    }
  }
  fParams = outerParams;
}

void VPlugIn::HandleIdle() {
  if (fSizeState == 0) return;
  if (fKeyDown != 0) {
    SetRefreshDeadline();
    fKeyDown = VSystemServices::IsAnyKeyDown(true) ? 1 : 0;
    if (fKeyDown == 0) fCommandMgr->Idle();
  }
  if (fKeyDown != 0) return;
  if (fHotFrame != nullptr && fWindowView != nullptr) {
    int32_t x = 0, y = 0, left = 0, top = 0;
    fWindowView->GetMouseLocation(x, y);
    GetOrigin(left, top);
    if (x < left || x > left + GetWidth() || y < top || y > top + GetHeight()) {
      fLastMouseX = -1;
      fLastMouseY = -1;
      VFrame* hot = fHotFrame;
      fHotFrame = nullptr;
      hot->CursorHook();
      if (gCursor != nullptr) gCursor->SetId(-1);
    }
  }
  if (fHasFocus != 0 && AskParentState()) fCommandMgr->Idle();
  DispatchIdle(false);
  FollowClipboard();
  if (!IsDeadlinePassed(VSystemServices::TickCount60())) return;
  if (fHasFocus != 0) UpdateCommands(1);
  if (!fUpdateRegion.IsEmpty() && fWindowView != nullptr && fWindowView->GetWindowHandle() != nullptr) {
    const RECT rect{fUpdateRegion.GetLeft(), fUpdateRegion.GetTop(),
                    fUpdateRegion.GetLeft() + fUpdateRegion.GetWidth(),
                    fUpdateRegion.GetTop() + fUpdateRegion.GetHeight()};
    ::InvalidateWindowRect(fWindowView->GetWindowHandle(), &rect, false);
  }
  fUpdateRegion.SetEmpty();
  fNextIdle = 0;
}

void VPlugIn::FollowClipboard() {
  // The clipboard is not this module's alone: the host's own Copy and other
  // programs change it without an event of the area.
  if (fHasFocus != 0 && gClipboard != nullptr && gClipboard->GetChangeCount() != fClipboardChanges)
    UpdateCommands(1);
}

void VPlugIn::HandleMouseDown(HostEventRecord& record) {
  if (fSizeState == 0) {
    fSizeState = 2;
    return;
  }
  VEvent event(record);
  event.SetClickCount();
  PendingWork();
  SetToolTipFlag();
  FollowClipboard();
  fMouseDown = 1;
  int32_t x = 0, y = 0;
  GetOrigin(x, y);
  event.Offset(-x, -y);
  DispatchMouse(event);
  SetRefreshDeadline();
  record.message = kAreaAnswerTaken;
}

void VPlugIn::HandleMouseUp(HostEventRecord& record) {
  VEvent event;
  event.SetFromHostEvent(record);
  PendingWork();
  SetToolTipFlag();
  fMouseDown = 0;
  int32_t x = 0, y = 0;
  GetOrigin(x, y);
  event.Offset(-x, -y);
  DispatchMouse(event);
  fMouseDown = VSystemServices::IsAnyMouseButtonDown() ? 1 : 0;
  SetRefreshDeadline();
}

void VPlugIn::HandleKeyDown(HostEventRecord& record) {
  if (!fLastKey.SetFromKeyEvent(record)) return;
  fKeyDown = 1;
  if (record.message == 0) return;
  PendingWork();
  SetToolTipFlag();
  FollowClipboard();
  VEvent key = KeyEvent(record, fLastKey);
  int32_t result = fCommandMgr->DispatchKey(key, false);
  if (result == kKeyNotHandled && fCommandMgr->GetTarget() != this) result = HandleKey(key);
  if (result == kKeyNotHandled) {
    for (int32_t i = 1; i <= fShortcuts.Count(); ++i) {
      VCommandKey* entry = fShortcuts.GetAt(i);
      if (entry == nullptr || !entry->Matches(fLastKey)) continue;
      result = kKeyTargetMoved;
      VCommand* command = FindCommand(entry->GetCommandId());
      if (command != nullptr && command->IsEnabled()) {
        if (entry->GetExtraFlag()) command->SetLong(nullptr, command->GetLong() == 0 ? 1 : 0, 1);
        HandleMessage(this, entry->GetCommandId(), 0);
      }
      break;
    }
  }
  switch (result) {
    case kKeyNotHandled: record.message = kAreaAnswerNotHandled; break;
    case kKeyLeavesForward: record.message = kAreaAnswerTabForward; break;
    case kKeyLeavesBackward: record.message = kAreaAnswerTabBackward; break;
    default: record.message = kAreaAnswerTaken; break;
  }
  SetRefreshDeadline();
}

void VPlugIn::HandleUpdate(HostEventRecord& record) {
  switch (record.when) {
    case 0: Draw(record); break;
    case 1: break;
    case 2:
      if (HostVersion() < kHostVersionSaveEvents && IsBoundToHostData()) fDocMgr->LoadFromField(this);
      break;
    default: record.modifiers = kAreaAnswerNotHandled; break;
  }
}

int32_t VPlugIn::ExtraPixel() const { return fFormTable <= 0 && IsFormArea() ? 1 : 0; }

bool VPlugIn::IsDoubleBuffered() const { return fSizeState == 4 || (fFormTable <= 0 && IsFormArea()); }

bool VPlugIn::FollowHostRect(int32_t extra) {
  const auto* rect = fParams != nullptr ? static_cast<const int16_t*>(fParams[1]) : nullptr;
  if (rect == nullptr) return false;
  int32_t x = 0, y = 0;
  GetPosition(x, y);
  const int32_t width = rect[3] - rect[1] + extra;
  const int32_t height = rect[2] - rect[0] + extra;
  if (x == rect[1] && y == rect[0] && GetWidth() == width && GetHeight() == height) return false;
  if (fSizeState != 4 && fWindowView != nullptr) fWindowView->UpdateOrigin(false);
  MoveTo(rect[1], rect[0], 1);
  ResizeTo(width, height, 1);
  UpdateSizeState();
  return true;
}

void VPlugIn::HandleMoveResize() { FollowHostRect(ExtraPixel()); }

void VPlugIn::Draw(HostEventRecord&) {
  const int16_t look = GetLookIndex();
  if (fSizeState != 4 && fWindowView != nullptr) fWindowView->UpdateOrigin(false);
  Tbx::GrafPtr current = nullptr;
  Tbx::GetPort(&current);
  const int32_t extra = fSizeState == 4 || (fFormTable <= 0 && IsFormArea()) ? 1 : 0;
  if (FollowHostRect(extra)) {
    // The move and the resize have invalidated the area's old and new
    // places, all that changed: the rest of the window stays as it is, so
    // that an area's first update on a form of many areas redraws none of
    // the others.
    Tbx::SetPort(current);
    fUpdateRegion.SetEmpty();
  }
  // The host prints a form by sending its areas an update with the page's
  // port current: that port belongs to no window, and the area goes onto
  // it as it is, not into its window's buffer.
  if (current != nullptr && Tbx::GetWindowFromPort(current) == nullptr) {
    DrawIntoDevicePort(current);
    Tbx::SetPort(current);
    fNextIdle = 0;
    return;
  }
  HDC dc = current != nullptr ? Tbx::GetPortHDC(current) : nullptr;
  if (dc != nullptr) {
    // What the host asks to be drawn: its clip, or the whole area without
    // one.
    HRGN clip = CreateRectRgn(0, 0, 0, 0);
    if (GetClipRgn(dc, clip) == 1) {
      VRegion asked(clip, false);
      fUpdateRegion.Union(asked);
    } else {
      int32_t x = 0, y = 0;
      GetOrigin(x, y);
      fUpdateRegion.UnionBox(x, y, GetWidth(), GetHeight());
    }
    DeleteObject(clip);
  }

  VPort* port = IsDoubleBuffered() ? GetPort() : nullptr;
  VOffscreenPort* own = nullptr;
  VRegion savedClip;
  if (port != nullptr) {
    port->GetClipRegion(savedClip);
    port->SetClipRegion(fUpdateRegion);
    fUpdateRegion.SetEmpty();
    port->BeginOffscreen(this);
  } else if (dc != nullptr) {
    own = new VOffscreenPort(dc);
    own->GetClipRegion(savedClip);
    own->SetClipRegion(fUpdateRegion);
    fUpdateRegion.SetEmpty();
    int32_t x = 0, y = 0;
    GetOrigin(x, y);
    own->PushOrigin(x, y);
    port = own;
  }
  if (port != nullptr) {
    port->SetLook(look);
    Draw(*port);
    if (own == nullptr) {
      NotifyParent(this, kMsgDrawGrowBox, reinterpret_cast<intptr_t>(port));
      port->CopyToScreen(false);
      port->SetClipRegion(savedClip);
      FlushWindow();
    } else {
      own->SetClipRegion(savedClip);
      delete own;
    }
  }
  Tbx::SetPort(current);
  if (current != nullptr) Tbx::EndPortDrawing(current);
  fNextIdle = 0;
}

void VPlugIn::DrawIntoDevicePort(Tbx::GrafPort* current) {
  HDC dc = Tbx::GetPortHDC(current);
  if (dc == nullptr) return;
  // Lengths are screen pixels: a device of another resolution (a printer)
  // gets them scaled, so the area keeps the size it shows on the screen.
  double sx = 1.0;
  double sy = 1.0;
  ScreenToDeviceScale(dc, sx, sy);
  {
    VScaledPort port(dc, sx, sy);
    port.SetLook(GetLookIndex());
    port.PushClip(false);
    int32_t x = 0, y = 0;
    GetOrigin(x, y);
    port.PushOrigin(x, y);
    port.ClipToRect(VRect(0, 0, GetWidth(), GetHeight()), true);
    Draw(port);
    port.PopOrigin();
    port.PopClip();
  }
  fUpdateRegion.SetEmpty();
  Tbx::EndPortDrawing(current);
}

void VPlugIn::HandleMouseMoved(HostEventRecord& record) {
  if (fSizeState == 0) return;
  if (record.whereH == fLastMouseX && record.whereV == fLastMouseY) return;
  VEvent event(record);
  fMouseDown = VSystemServices::IsAnyMouseButtonDown() ? 1 : 0;
  if (fMouseDown != 0 && fHotFrame != nullptr && fHotFrame->IsSpecialTarget()) {
    int32_t hx = 0, hy = 0;
    fHotFrame->GetOrigin(hx, hy);
    event.Set(fLastMouseX - hx, fLastMouseY - hy);
    PendingWork();
    fHotFrame->DragHookAt(event);
    int32_t x = 0, y = 0;
    if (fWindowView != nullptr) fWindowView->GetMouseLocation(x, y);
    record.whereH = static_cast<int16_t>(x);
    record.whereV = static_cast<int16_t>(y);
    record.when = VSystemServices::TickCount60();
    fMouseDown = VSystemServices::IsAnyMouseButtonDown() ? 1 : 0;
  }
  fLastMouseX = record.whereH;
  fLastMouseY = record.whereV;
  event.Set(fLastMouseX, fLastMouseY);
  VFrame* frame = FindClickTarget(event, false);
  if (frame == nullptr) {
    VFrame* hot = fHotFrame;
    fHotFrame = nullptr;
    if (hot != nullptr) hot->CursorHook();
    return;
  }
  int32_t fx = 0, fy = 0;
  frame->GetOrigin(fx, fy);
  event.Offset(-fx, -fy);
  if (frame == fHotFrame) {
    frame->UpdateCursor(event, false);
    return;
  }
  VFrame* old = fHotFrame;
  fHotFrame = frame;
  if (old != nullptr) old->CursorHook();
  frame->UpdateCursor(event, true);
}

void VPlugIn::HandleClose(HostEventRecord& record) {
  PendingWork();
  SetToolTipFlag();
  fCommandMgr->Suspend();
  const bool forced = record.message == kAreaForcedClose;
  const bool mayClose = IsBoundToHostData() || CanClose(!forced);
  if (!mayClose && !forced) {
    record.message = kAreaAnswerCloseRefused;
    return;
  }
  BeforeClose();
  Close();
  fClosed = 1;
}

void VPlugIn::Close() { VView::Close(); }

void VPlugIn::HandleEditEvent(uint16_t code) {
  static constexpr int32_t kCommandOfCode[] = {1, 3, 4, 5, 6, 7};
  const int32_t id = kCommandOfCode[code - 30];
  FollowClipboard();
  VCommand* command = FindCommand(id);
  if (command == nullptr || !command->IsEnabled()) return;
  VFrame* target = GetFocusFrame();
  if (code == 30) {
    // Undo goes to the frame that keeps an undo history, or to the area.
    if (target == nullptr || !target->HandlesEditCommands()) target = HandlesEditCommands() ? this : nullptr;
  }
  if (target == nullptr) return;
  PendingWork();
  if (target == this) {
    HandleMessage(this, id, 0);
  } else {
    // The focus frame passes a command it does not take up to the area,
    // which must not hand it back down.
    fEditDispatch = 1;
    target->NotifyParent(this, id, 0);
    fEditDispatch = 0;
  }
  SetRefreshDeadline();
}

void VPlugIn::HandleDrag(HostEventRecord& record) {
  if (HostVersion() <= kHostVersionDragEvents) return;
  if (GetDragTypes() == nullptr || record.message == 0) return;
  int32_t sx = 0, sy = 0;
  LocalToScreen(sx, sy);
  if (record.what == 83) {
    auto* feedback = HostPointer<HostDragFeedbackRecord>(record.message);
    const auto* block = HostPointer<const uint8_t>(feedback->dragReference);
    VDragTypeList types;
    if (block != nullptr) types.Assign(block);
    int32_t rect[4] = {feedback->left, feedback->top, feedback->right - feedback->left,
                       feedback->bottom - feedback->top};
    VPoint point(feedback->h - sx, feedback->v - sy);
    DragEventData(reinterpret_cast<intptr_t>(&types), static_cast<intptr_t>(feedback->item),
                  reinterpret_cast<intptr_t>(rect), reinterpret_cast<intptr_t>(&point), feedback->phase);
    if (feedback->phase != 1) {
      feedback->left = static_cast<int16_t>(rect[0] - sx);
      feedback->top = static_cast<int16_t>(rect[1] - sy);
      feedback->right = static_cast<int16_t>(rect[0] - sx + rect[2]);
      feedback->bottom = static_cast<int16_t>(rect[1] - sy + rect[3]);
    }
    record.modifiers = kAreaAnswerDragYes;
    return;
  }
  auto* drag = HostPointer<HostDragRecord>(record.message);
  const auto* block = HostPointer<const uint8_t>(drag->dragReference);
  VDragTypeList types;
  if (block != nullptr) types.Assign(block);
  if (record.what == 80) {
    VPoint point(record.whereH - sx, record.whereV - sy);
    record.modifiers = AcceptsDrag(&types, drag->value, point) ? kAreaAnswerDragYes : kAreaAnswerDragNo;
    return;
  }
  VPoint point(drag->dropH - sx, drag->dropV - sy);
  PrepareDrop(drag);
  DragEvent(reinterpret_cast<intptr_t>(&types), static_cast<intptr_t>(drag->value),
            reinterpret_cast<intptr_t>(&point));
}

void VPlugIn::HandleExtendedInit(HostEventRecord& record) {
  const auto* area = HostPointer<const HostAreaRecord>(record.message);
  EnsureDocMgr();
  UpdateSizeState();
  fNoWindow = 0;
  SetLookIndex(IsFormArea() && area != nullptr && area->version > 0x605 ? static_cast<int16_t>(area->look - 1)
                                                                         : 2);
  if (!fDocMgr->UsesFormData()) {
    InitInterface(nullptr, 0);
  } else {
    const void* data = area != nullptr ? HostPointer<const void>(area->data) : nullptr;
    uint32_t size = area != nullptr ? area->dataSize : 0;
    if (data != nullptr && size >= 8) {
      // The data begins with the manager's kind and version, in either
      // byte order; a newer version or another kind is not ours to read.
      uint32_t words[2];
      std::memcpy(words, data, sizeof words);
      const uint32_t kind = fDocMgr->GetSignature();
      const uint32_t version = fDocMgr->GetVersion();
      const bool plain = words[0] == kind && words[1] <= version;
      SwapArray32(words, 2);
      const bool swapped = words[0] == kind && words[1] <= version;
      if (!plain && !swapped) {
        data = nullptr;
        size = 0;
      }
    } else {
      // Too short to carry the kind and version: no data.
      data = nullptr;
      size = 0;
    }
    InitInterface(data, size);
  }
  if (fParams != nullptr) {
    if (auto** cell = static_cast<VPlugInObject**>(fParams[kAreaObjectCellEntry])) *cell = this;
  }
  if (IsBoundToHostData()) fDocMgr->LoadFromField(this);
  record.modifiers = kAreaAnswerInitialised;
}
