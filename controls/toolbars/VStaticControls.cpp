// Static text, icon control, lock-key indicator and the check-box kinds.
#include "controls/toolbars/VStaticControls.h"

#include <algorithm>

#include "controls/controls/ControlTemplates.h"
#include "framework/core/strings/VUniString.h"
#include "framework/core/values/VValue.h"
#include "framework/system/resources/VResourceFile.h"
#include "framework/system/environment/VSystemServices.h"
#include "graphics/VIconShape.h"
#include "graphics/VPort.h"
#include "views/VCommand.h"

namespace {

constexpr int32_t kStaticBackground = 0;
constexpr int32_t kStaticLockKey = 2;
constexpr int32_t kStaticIconTitle = 11;
constexpr int32_t kStaticFrame = 17;
constexpr int32_t kStaticTextEnabledColor = 25;
constexpr int32_t kStaticTextDisabledColor = 29;
constexpr int32_t kStaticFallbackWidth = 60;
constexpr int32_t kStaticFallbackHeight = 20;

void Fallback(VFrame& frame) {
  frame.MoveTo(0, 0, 1);
  frame.ResizeTo(kStaticFallbackWidth, kStaticFallbackHeight, 1);
}

// Fetches and reads a template; false leaves the fallback to the caller.
template <typename T, typename Read>
bool Load(VResourceFile* file, uint32_t type, int16_t id, T& t, Read read,
          bool (*fetch)(VResourceFile*, uint32_t, int16_t, std::vector<uint8_t>&)) {
  std::vector<uint8_t> bytes;
  return fetch(file, type, id, bytes) && read(bytes.data(), bytes.size(), t);
}

}  // namespace

// ---- Static text.

VStaticText::VStaticText(VFrame* parent, VPort*, VResourceFile* file, int16_t templateId,
                         int32_t commandId)
    : VControl(parent) {
  SetResourceId(templateId);
  if (commandId != 0) AttachCommand(commandId);
  VStaticTextTemplate t;
  std::vector<uint8_t> bytes;
  if (!FetchTemplate(file, kResTypeStaticText, templateId, bytes) ||
      !ReadStaticTextTemplate(bytes.data(), bytes.size(), t)) {
    Fallback(*this);
    return;
  }
  if (commandId == 0) AttachCommand(t.header.commandId);
  fColumnStep = t.columnStep;
  MoveTo(t.header.left, t.header.top, 1);
  ResizeTo(t.header.width, t.header.height, 1);
}

VFrame* VStaticText::Clone(VFrame* newParent, int32_t word) {
  auto* copy = new VStaticText(newParent);
  copy->CopyFrom(newParent, *this, word);
  return copy;
}

void VStaticText::CopyFrom(VFrame* newParent, const VFrame& source, int32_t word) {
  VControl::CopyFrom(newParent, source, word);
  if (const auto* other = dynamic_cast<const VStaticText*>(&source)) fColumnStep = other->fColumnStep;
}

void VStaticText::DrawContent(VPort& port) {
  if (fDisplayMode != 0 && fDisplayMode != 1) return;
  const int32_t whole[4] = {0, 0, GetWidth(), GetHeight()};
  DrawLookElement(port, kStaticBackground, 0, whole, 0);
  DrawLookElement(port, kStaticFrame, 0, whole, 0);
  if (fDisplayMode != 0 || fCommand == nullptr || fCommand->GetValue() == nullptr) return;
  VStr<255> text;
  fCommand->GetValue()->FormatTo(text, nullptr, kWholeValue);
  if (text.GetLength() == 0) return;
  port.SetTextColorIndex(fCommandEnabled != 0 ? kStaticTextEnabledColor : kStaticTextDisabledColor);
  port.UseStandardFont(1);
  // Tab characters split the text into columns a column step apart.
  int32_t column = 0;
  int32_t start = 1;
  const int32_t length = text.GetLength();
  for (int32_t i = 1; i <= length + 1; ++i) {
    if (i <= length && text.GetCharAt(i) != u'\t') continue;
    VStr<255> field;
    field.CopyText(text);
    field.KeepRange(start, i - start);
    port.MoveTo(column * fColumnStep + 5, GetHeight() - 3, true);
    port.DrawString(field);
    ++column;
    start = i + 1;
  }
}

// ---- Icon control.

VIconControl::VIconControl(VFrame* parent, VPort* port, VResourceFile* file, int16_t templateId,
                           int32_t commandId)
    : VControl(parent), fFile(file) {
  SetResourceId(templateId);
  if (commandId != 0) AttachCommand(commandId);
  VIconControlTemplate t;
  std::vector<uint8_t> bytes;
  if (!FetchTemplate(file, kResTypeIconControl, templateId, bytes) ||
      !ReadIconControlTemplate(bytes.data(), bytes.size(), t)) {
    Fallback(*this);
    return;
  }
  if (commandId == 0) AttachCommand(t.header.commandId);
  fValues = std::make_shared<const std::vector<int16_t>>(t.values);
  fIcons = std::make_shared<const std::vector<int16_t>>(t.icons);
  if (t.header.title[0] != 0) {
    VStr<255> title;
    file->ResolveStringRef(&title, t.header.title);
    SetTitle(title);
  }
  MakeIcon();
  int32_t w = fIcon != nullptr ? fIcon->GetWidth() + 4 : 4;
  int32_t h = fIcon != nullptr ? fIcon->GetHeight() + 4 : 4;
  const int32_t line = port != nullptr ? port->GetLineHeight() + 4 : 0;
  const VString* title = GetTitle();
  if (title != nullptr && title->GetLength() > 0 && port != nullptr) {
    port->UseStandardFont(2);
    w = static_cast<int32_t>(port->MeasureString(*title));
  }
  h = std::max(h, line);
  w = std::max<int32_t>(w, t.header.width);
  h = std::max<int32_t>(h, t.header.height);
  MoveTo(t.header.left, t.header.top, 1);
  ResizeTo(w != 0 ? w : 16, h != 0 ? h : 16, 1);
}

VIconControl::~VIconControl() {
  if (fOwnsIcon != 0) delete fIcon;
  fIcon = nullptr;
}

int16_t VIconControl::CurrentIconId() const {
  if (fCommand == nullptr || fCommand->GetValue() == nullptr || fValues == nullptr) return 0;
  const auto word = static_cast<int16_t>(fCommand->GetLong());
  for (size_t i = 0; i < fValues->size(); ++i)
    if ((*fValues)[i] == word) return (*fIcons)[i];
  return 0;
}

void VIconControl::MakeIcon() {
  if (fOwnsIcon != 0) delete fIcon;
  fIcon = nullptr;
  fOwnsIcon = 1;
  const int16_t id = CurrentIconId();
  if (id != 0) fIcon = new VIconShape(fFile, id);
}

VFrame* VIconControl::Clone(VFrame* newParent, int32_t word) {
  auto* copy = new VIconControl(newParent);
  copy->CopyFrom(newParent, *this, word);
  return copy;
}

void VIconControl::CopyFrom(VFrame* newParent, const VFrame& source, int32_t word) {
  VControl::CopyFrom(newParent, source, word);
  const auto* other = dynamic_cast<const VIconControl*>(&source);
  if (other == nullptr) return;
  fValues = other->fValues;
  fIcons = other->fIcons;
  fFile = other->fFile;
  if (fOwnsIcon != 0) delete fIcon;
  fIcon = other->fIcon;
  fOwnsIcon = 0;
}

void VIconControl::DrawContent(VPort& port) {
  if (fDisplayMode != 0 && fDisplayMode != 1) return;
  const int32_t w = GetWidth();
  const int32_t h = GetHeight();
  const VString* title = GetTitle();
  const bool titled = title != nullptr && title->GetLength() > 0;
  int32_t state = 0;
  if (fDisplayMode == 0) {
    if (fValueDirty != 0) {
      fValueDirty = 0;
      MakeIcon();
    }
    state = fCommand == nullptr || fCommandEnabled == 0 ? kStateDisabled : GetLongValue();
  }
  const int32_t whole[4] = {0, 0, w, h};
  DrawLookElementText(port, kStaticBackground, state, titled ? title : nullptr, whole, 0);
  if (fDisplayMode == 0) DrawLookElement(port, kStaticFrame, 0, whole, 0);
  if (fIcon == nullptr) return;
  const int32_t iw = fIcon->GetWidth();
  const int32_t ih = fIcon->GetHeight();
  fIcon->SetPosition(titled || fDisplayMode == 1 ? 0 : (w - iw) / 2, (h - ih) / 2);
  if (fDisplayMode == 0 && state == kStateDisabled) {
    port.DrawIconOffline(*fIcon);
  } else if (fDisplayMode == 0 && state == kStateMixed) {
    port.DrawIconDisabled(*fIcon);
  } else {
    port.DrawIcon(*fIcon, 0);
  }
  if (titled) {
    const int32_t rest[4] = {iw + 4, 0, w - iw - 4, h};
    DrawLookElementText(port, kStaticIconTitle, state, title, rest, 0);
  }
}

// ---- Lock-key indicator.

VIconList::VIconList(VFrame* parent, VPort* port, VResourceFile* file, int16_t templateId,
                     int32_t commandId)
    : VControl(parent) {
  SetResourceId(templateId);
  if (commandId != 0) AttachCommand(commandId);
  VLockTemplate t;
  std::vector<uint8_t> bytes;
  if (!FetchTemplate(file, kResTypeLockIndicator, templateId, bytes) ||
      !ReadLockTemplate(bytes.data(), bytes.size(), t)) {
    Fallback(*this);
    return;
  }
  // The template's command id names the key, not a command.
  fKey = t.header.commandId;
  if (t.header.title[0] != 0) {
    VStr<255> title;
    file->ResolveStringRef(&title, t.header.title);
    SetTitle(title);
  }
  int32_t w = t.header.width;
  int32_t h = t.header.height;
  if (port != nullptr) {
    port->UseStandardFont(5);
    if (const VString* title = GetTitle())
      w = std::max(w, static_cast<int32_t>(port->MeasureString(*title)));
    h = std::max<int32_t>(h, port->GetLineHeight());
  }
  MoveTo(t.header.left, t.header.top, 1);
  ResizeTo(w, h, 1);
  fLockOn = KeyState() ? 1 : 0;
}

bool VIconList::KeyState() const {
  if (fKey == kLockKeyCaps) return VSystemServices::IsCapsLockOn();
  if (fKey == kLockKeyNum) return VSystemServices::IsNumLockOn();
  return false;
}

VFrame* VIconList::Clone(VFrame* newParent, int32_t word) {
  auto* copy = new VIconList(newParent);
  copy->CopyFrom(newParent, *this, word);
  return copy;
}

void VIconList::CopyFrom(VFrame* newParent, const VFrame& source, int32_t word) {
  VControl::CopyFrom(newParent, source, word);
  if (const auto* other = dynamic_cast<const VIconList*>(&source)) fKey = other->fKey;
}

void VIconList::DrawContent(VPort& port) {
  // Other keys draw nothing.
  if (fKey != kLockKeyCaps && fKey != kLockKeyNum) return;
  fLockOn = KeyState() ? 1 : 0;
  const int32_t whole[4] = {0, 0, GetWidth(), GetHeight()};
  port.UseStandardFont(5);
  DrawLookElementText(port, kStaticLockKey, fLockOn != 0 ? 0 : kStateDisabled, GetTitle(), whole, 0);
}

void VIconList::Idle(bool flag) {
  VControl::Idle(flag);
  if ((fKey == kLockKeyCaps || fKey == kLockKeyNum) && KeyState() != (fLockOn != 0)) Invalidate(1);
}

// ---- Check-box kinds.

VFrame* VCheckBoxItem::Clone(VFrame* newParent, int32_t word) {
  auto* copy = new VCheckBoxItem(newParent);
  copy->CopyFrom(newParent, *this, word);
  return copy;
}

VFrame* VRadioButton::Clone(VFrame* newParent, int32_t word) {
  auto* copy = new VRadioButton(newParent);
  copy->CopyFrom(newParent, *this, word);
  return copy;
}
