// The control base: binding to a command, the enabled rule and the tool
// tip's timing on the tick clock.
#include "controls/controls/VControl.h"

#include <cstring>

#include "controls/controls/ControlTemplates.h"
#include "framework/core/strings/VUniString.h"
#include "framework/core/values/VValue.h"
#include "framework/system/environment/VFlagHolder.h"
#include "framework/system/environment/VSystemServices.h"
#include "framework/system/resources/VResourceFile.h"
#include "views/VCommand.h"
#include "views/VEvent.h"
#include "views/VShortcut.h"
#include "views/VWindowView.h"

VControl::VControl(VFrame* parent) : VView(parent) {}

VControl::~VControl() {
  if (fCommand != nullptr) fCommand->RemoveListener(this);
  fCommand = nullptr;
}

// ---- The command.

void VControl::Bind(VCommand* command) {
  if (fCommand != nullptr) fCommand->RemoveListener(this);
  fCommand = command;
  if (fCommand == nullptr) return;
  fCommand->AddListener(this);
  CommandEnabledChanged(fCommand->IsEnabled(), 1);
}

void VControl::AttachCommand(int32_t id) {
  Bind(nullptr);
  if (id == 0) return;
  // An id that no command answers leaves the control unbound.
  Bind(FindCommand(id));
}

int32_t VControl::GetCommandId() const { return fCommand != nullptr ? fCommand->GetId() : 0; }

int32_t VControl::GetLongValue() const {
  return fCommand != nullptr && fCommand->GetValue() != nullptr ? fCommand->GetLong() : 0;
}

void VControl::EnsureValue() {
  if (fCommand != nullptr && fCommand->GetValue() == nullptr) fCommand->SetLong(this, 0, 1);
}

void VControl::GetValue(VValue& out) {
  EnsureValue();
  if (fCommand != nullptr) {
    fCommand->CopyValue(out);
  } else {
    out.Clear();
  }
}

void VControl::CommandValueChanged(int32_t mode) {
  fValueDirty = 1;
  if (IsShown()) Invalidate(static_cast<int16_t>(mode));
}

void VControl::CommandEnabledChanged(bool enabled, int32_t mode) {
  const uint8_t e = enabled ? 1 : 0;
  if (e == fCommandEnabled) return;
  fCommandEnabled = e;
  if (IsShown()) Invalidate(static_cast<int16_t>(mode));
}

// ---- Template steps.

bool VControl::FetchTemplate(VResourceFile* file, uint32_t type, int16_t id,
                             std::vector<uint8_t>& bytes) {
  if (file == nullptr || id == 0) return false;
  uint8_t owned = 0;
  const VResourceRef ref = file->GetResource(type, id, &owned);
  if (ref == 0) return false;
  const auto* data = static_cast<const uint8_t*>(file->LockResource(ref));
  if (data != nullptr) bytes.assign(data, data + file->GetResourceSize(ref));
  if (data != nullptr) file->UnlockResource(ref);
  file->ReleaseResource(ref);
  return data != nullptr;
}

void VControl::ApplyHeader(VResourceFile* file, const VControlHeader& header, int32_t commandId) {
  // The constructor's id wins over the template's.
  if (commandId == 0) AttachCommand(header.commandId);
  if (header.title[0] == 0) return;
  VStr<255> title;
  if (file != nullptr) {
    file->ResolveStringRef(&title, header.title);
  } else {
    title.SetMacPText(header.title);
  }
  SetTitle(title);
}

// ---- Frame operations.

void VControl::SetVisible(bool visible) {
  if (IsVisible() == visible) return;
  VView::SetVisible(visible);
  CommandValueChanged(1);
}

bool VControl::MouseDown(VEvent&) {
  if (fCommand != nullptr && fParent != nullptr) NotifyParent(this, fCommand->GetId(), 0);
  EndToolTip();
  return true;
}

bool VControl::IsEnabled() const { return fCommandEnabled != 0 && VView::IsEnabled(); }

void VControl::AdjustCursor(VEvent& event) {
  VView::AdjustCursor(event);
  const uint32_t now = VSystemServices::TickCount60();
  fTipStamp = now;
  // Right after another tip (the shared flag clear) this one shows at the
  // next idle pass; after a click or a key it waits the full delay.
  if (gFlagHolder == nullptr || gFlagHolder->GetFlag() == 0)
    fTipStamp = now - VSystemServices::GetToolTipDelay();
  if (fTipState != kTipShown && fTipState != kTipsOff) fTipState = kTipWaiting;
}

void VControl::AdjustCursorWithin(VEvent& event) {
  VView::AdjustCursorWithin(event);
  // Any movement within the control restarts the wait at the full delay.
  if (fTipState == kTipWaiting) fTipStamp = VSystemServices::TickCount60();
}

void VControl::CursorHook() {
  VView::CursorHook();
  if (fTipState == kTipsOff) return;
  if (fTipState == kTipShown && gFlagHolder != nullptr) gFlagHolder->SetFlag(0);
  fTipState = kTipIdle;
}

void VControl::Idle(bool flag) {
  const uint32_t delay = VSystemServices::GetToolTipDelay();
  const uint32_t now = VSystemServices::TickCount60();
  if (fTipState == kTipWaiting) {
    if (flag || fCommand == nullptr) return;
    if (!NotifyParent(this, kMsgIsFocused, 0)) return;
    if (now - fTipStamp < delay) return;
    ShowToolTip();
  } else if (fTipState == kTipShown) {
    int32_t x = 0;
    int32_t y = 0;
    GetMouseLocation(x, y);
    // Both edges count as inside.
    if (x < 0 || x > GetWidth() || y < 0 || y > GetHeight()) {
      if (gFlagHolder != nullptr) gFlagHolder->SetFlag(0);
      fTipState = kTipIdle;
    } else if (now - fTipStamp > 10 * delay) {
      if (gFlagHolder != nullptr) gFlagHolder->SetFlag(0);
      fTipState = kTipDone;
    }
  }
}

void VControl::ShowToolTip() {
  VStr<255> text;
  text.CopyText(fCommand->GetTitle());
  if (const VCommandKey* key = FindShortcut(fCommand->GetId())) {
    VStr<80> keyText;
    key->GetShortcutText(keyText);
    text.AppendCText(" (", kCharSetMac);
    text.CopyText(keyText);
    text.AppendCText(")", kCharSetMac);
  }
  if (text.GetLength() == 0) return;
  if (gFlagHolder != nullptr) gFlagHolder->ForwardToHost(text, this, nullptr);
  fTipState = kTipShown;
}

void VControl::CopyFrom(VFrame* newParent, const VFrame& source, int32_t word) {
  VView::CopyFrom(newParent, source, word);
  if (!source.IsControl()) return;
  Bind(static_cast<const VControl&>(source).fCommand);
}
