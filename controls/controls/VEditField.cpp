// The edit field: the command's text shown, edited in a text-edit frame
// while focused, and committed on Return or Enter.
#include "controls/controls/VEditField.h"

#include <vector>

#include "controls/controls/ControlTemplates.h"
#include "controls/text/VEntryFilters.h"
#include "controls/text/VTextEditFrame.h"
#include "framework/core/strings/VUniString.h"
#include "graphics/VPort.h"
#include "views/VCommand.h"
#include "views/VEvent.h"
#include "views/VShortcut.h"

namespace {

constexpr int32_t kElementEditFrame = 4;
// The frame's inset from each edge of the field.
constexpr int32_t kEditInset = 2;

}  // namespace

VEditField::VEditField(VFrame* parent) : VControl(parent) {
  SetEnabled(true);
  fValueDirty = 1;
}

VEditField::VEditField(VFrame* parent, VPort*, VResourceFile* file, int16_t templateId,
                       int32_t commandId)
    : VControl(parent) {
  SetResourceId(templateId);
  SetEnabled(true);
  fValueDirty = 1;
  if (commandId != 0) AttachCommand(commandId);
  if (templateId == 0 || file == nullptr) return;
  std::vector<uint8_t> bytes;
  VEditTemplate t;
  if (!FetchTemplate(file, kResTypeEditField, templateId, bytes) ||
      !ReadEditTemplate(bytes.data(), bytes.size(), t))
    return;
  ApplyHeader(file, t.header, commandId);
  fFilter = MakeEntryFilter(t.filterKind);
  MoveTo(t.header.left, t.header.top, 1);
  ResizeTo(t.header.width, t.header.height, 1);
}

VEditField::~VEditField() {
  DropTextFrame();
  delete fFilter;
  fFilter = nullptr;
}

void VEditField::DropTextFrame() {
  VTextEditFrame* frame = fTextFrame;
  fTextFrame = nullptr;
  if (frame == nullptr) return;
  frame->LoseFocus(nullptr);
  delete frame;
}

VFrame* VEditField::Clone(VFrame* newParent, int32_t word) {
  auto* copy = new VEditField(newParent);
  copy->CopyFrom(newParent, *this, word);
  return copy;
}

void VEditField::ResizeTo(int32_t width, int32_t height, int16_t mode) {
  VControl::ResizeTo(width, height, mode);
  if (fTextFrame == nullptr) return;
  fTextFrame->MoveTo(kEditInset, kEditInset, mode);
  fTextFrame->ResizeTo(width - 2 * kEditInset, height - 2 * kEditInset, mode);
}

void VEditField::SetEnabled(bool enabled) {
  VControl::SetEnabled(enabled);
  SetCursorId(enabled ? 1 : 0);
}

void VEditField::SetEntryFilter(VEntryFilter* filter) {
  if (filter != fFilter) delete fFilter;
  fFilter = filter;
  if (fTextFrame != nullptr) fTextFrame->SetFilter(fFilter, false);
}

void VEditField::EnsureValue() {
  if (fCommand == nullptr) return;
  const VValue* old = fCommand->GetValue();
  if (old != nullptr && old->GetKind() == kValueString) return;
  auto* text = new VStr<255>;
  if (old != nullptr) text->SetFromValue(*old);
  fCommand->SetValue(this, text, true, 1);
}

// ---- The text frame.

VTextEditFrame* VEditField::CreateTextFrame() {
  const int32_t rect[4] = {kEditInset, kEditInset, GetWidth() - 2 * kEditInset,
                           GetHeight() - 2 * kEditInset};
  auto* frame = new VTextEditFrame(this, rect);
  frame->SetChanged(false);
  if (fCommand != nullptr) {
    VStr<255> value;
    fCommand->CopyValue(value);
    frame->SetValueText(value);
  }
  frame->SetFilter(fFilter, false);
  frame->Invalidate(2);
  return frame;
}

void VEditField::TakeFocus() {
  VControl::TakeFocus();
  if (fTextFrame == nullptr) {
    fTextFrame = CreateTextFrame();
    fValueDirty = 0;
  }
  fTextFrame->TakeFocus();
  fTextFrame->SelectAll();
}

void VEditField::LoseFocus(VFrame* next) {
  VControl::LoseFocus(next);
  DropTextFrame();
  CommandValueChanged(1);
}

void VEditField::SetVisible(bool visible) {
  if (IsVisible() == visible) return;
  VControl::SetVisible(visible);
  if (!IsFocused()) return;
  // A hidden field cannot edit: its uncommitted text goes with the focus.
  SetFocusedFlag(false);
  DropTextFrame();
  NotifyParent(this, kMsgLostFocus, 0);
}

void VEditField::Close() { DropTextFrame(); }

bool VEditField::NotifyParent(VFrame* sender, int32_t message, intptr_t parameter) {
  if (message >= 1 && message <= 7 && fTextFrame != nullptr)
    return fTextFrame->NotifyParent(sender, message, parameter);
  return fParent != nullptr && fParent->NotifyParent(sender, message, parameter);
}

bool VEditField::AcceptsScrapType(uint32_t type) {
  return fTextFrame != nullptr && fTextFrame->AcceptsScrapType(type);
}

int32_t VEditField::UpdateEditCommands() {
  return fTextFrame != nullptr ? fTextFrame->UpdateEditCommands() : 0;
}

bool VEditField::IsModified() const { return fTextFrame != nullptr && fTextFrame->IsChanged(); }

// ---- Mouse and keys.

bool VEditField::MouseDown(VEvent& event) {
  if (!GetEnabledByte() || fCommandEnabled == 0) return true;
  if (!IsFocused()) RequestFocus();
  if (fTextFrame == nullptr || !IsFocused()) return true;
  int32_t x = 0;
  int32_t y = 0;
  fTextFrame->GetPosition(x, y);
  event.Offset(-x, -y);
  const bool answer = fTextFrame->MouseDown(event);
  event.Offset(x, y);
  return answer;
}

int32_t VEditField::HandleKey(VEvent& event) {
  if (IsHiddenByParent() || !IsFocused() || !IsVisible() || fTextFrame == nullptr)
    return kKeyNotHandled;
  EndToolTip();
  const int32_t answer = fTextFrame->HandleKey(event);
  if (answer == kKeyHandled) return kKeyHandled;
  // Return and Enter, which the frame leaves, commit; a key with the
  // command flag is neither.
  const int16_t code = KeyCodeOfEvent(event);
  if ((KeyFlagsOfEvent(event) & kKeyFlagCommand) == 0 && (code == kKeyReturn || code == kKeyEnter)) {
    if (IsModified()) CommitText();
    return kKeyHandled;
  }
  return answer;
}

bool VEditField::CommitText() {
  EndToolTip();
  if (fCommand == nullptr || fTextFrame == nullptr || !fTextFrame->IsChanged()) return true;
  EnsureValue();
  VValue* value = fCommand != nullptr ? fCommand->GetValue() : nullptr;
  if (value == nullptr) return true;
  VStr<255> oldText;
  value->FormatTo(oldText, nullptr, kWholeValue);
  VStr<255> newText;
  fTextFrame->GetValueText(newText);
  value->SetString(newText, kWholeValue);
  const bool accepted = NotifyParent(this, fCommand->GetId(), 0);
  // The executor may have unbound the field or taken its focus.
  value = fCommand != nullptr ? fCommand->GetValue() : nullptr;
  if (!accepted) {
    if (value != nullptr) value->SetString(oldText, kWholeValue);
    if (fTextFrame != nullptr) {
      fTextFrame->SetValueText(newText);
      fTextFrame->SetChanged(true);
      fTextFrame->TakeFocus();
    }
    return false;
  }
  if (fTextFrame != nullptr && value != nullptr) {
    VStr<255> shown;
    value->FormatTo(shown, nullptr, kWholeValue);
    fTextFrame->SetValueText(shown);
    fTextFrame->SetChanged(false);
  }
  return true;
}

// ---- Drawing.

void VEditField::DrawContent(VPort& port) {
  port.UseStandardFont(5);
  const int32_t w = GetWidth();
  const int32_t h = GetHeight();
  if (fDisplayMode == 1) {
    port.DrawThemeElement(kElementEditFrame, 0, 0, 0, w, h, nullptr, 0);
    return;
  }
  if (fDisplayMode != 0) return;
  if (fCommand == nullptr || fCommandEnabled == 0) {
    port.DrawThemeElement(kElementEditFrame, kStateDisabled, 0, 0, w, h, nullptr, 0);
    return;
  }
  if (fTextFrame != nullptr) {
    if (fValueDirty != 0) {
      fValueDirty = 0;
      EnsureValue();
      const VValue* value = fCommand != nullptr ? fCommand->GetValue() : nullptr;
      if (value != nullptr && value->GetKind() == kValueString) {
        VStr<255> text;
        value->FormatTo(text, nullptr, kWholeValue);
        fTextFrame->SetValueText(text);
      }
    }
    port.DrawThemeElement(kElementEditFrame, 0, 0, 0, w, h, nullptr, 0);
    return;
  }
  EnsureValue();
  fValueDirty = 0;
  const VValue* value = fCommand != nullptr ? fCommand->GetValue() : nullptr;
  if (value != nullptr && value->GetKind() == kValueString) {
    VStr<255> text;
    value->FormatTo(text, nullptr, kWholeValue);
    port.DrawThemeElement(kElementEditFrame, fCommandEnabled != 0 ? 0 : kStateDisabled, 0, 0, w,
                          h, &text, 0);
  } else {
    port.DrawThemeElement(kElementEditFrame, kStateDisabled, 0, 0, w, h, nullptr, 0);
  }
}
