// The check box base: sizing from 'XCHK', the click cycle tracked on the
// mouse timeline, and drawing in the value's or the disabled state.
#include "controls/controls/VCheckBox.h"

#include <algorithm>
#include <vector>

#include "controls/controls/ControlTemplates.h"
#include "framework/core/values/VLong.h"
#include "framework/system/environment/VSystemServices.h"
#include "graphics/VPort.h"
#include "views/VCommand.h"
#include "views/VEvent.h"

namespace {

constexpr int32_t kCheckFallbackWidth = 120;
constexpr int32_t kCheckFallbackHeight = 20;
// Room for the box and the gap before the title.
constexpr float kCheckTitleMargin = 24.0f;

}  // namespace

VCheckBox::VCheckBox(VFrame* parent) : VControl(parent) {
  SetEnabled(true);
  SetDrawsParentBehind(true);
}

VCheckBox::VCheckBox(VFrame* parent, VPort* port, VResourceFile* file, int16_t templateId,
                     int32_t commandId)
    : VControl(parent) {
  SetEnabled(true);
  SetDrawsParentBehind(true);
  if (commandId != 0) AttachCommand(commandId);
  if (templateId == 0 || file == nullptr) return;
  std::vector<uint8_t> bytes;
  VCheckTemplate t;
  if (!FetchTemplate(file, kResTypeCheckBox, templateId, bytes) ||
      !ReadCheckTemplate(bytes.data(), bytes.size(), t)) {
    MoveTo(0, 0, 1);
    ResizeTo(kCheckFallbackWidth, kCheckFallbackHeight, 1);
    return;
  }
  ApplyHeader(file, t.header, commandId);
  fThreeState = (t.flags & kCheckThreeState) != 0 ? 1 : 0;
  int32_t width = t.header.width;
  const VString* title = GetTitle();
  if (title != nullptr && title->GetLength() != 0 && port != nullptr) {
    port->UseStandardFont(2);
    const auto measured = static_cast<int32_t>(port->MeasureString(*title) + kCheckTitleMargin);
    width = std::max(width, measured);
  }
  if (width == 0) width = kCheckFallbackWidth;
  const int32_t height = t.header.height != 0 ? t.header.height : kCheckFallbackHeight;
  MoveTo(t.header.left, t.header.top, 1);
  ResizeTo(width, height, 1);
}

void VCheckBox::EnsureValue() {
  if (fCommand == nullptr) return;
  const VValue* old = fCommand->GetValue();
  if (old != nullptr && old->GetKind() == kValueLong) return;
  fCommand->SetValue(this, new VLong(old != nullptr ? old->GetLong(kWholeValue) : 0), true, 1);
}

void VCheckBox::CopyFrom(VFrame* newParent, const VFrame& source, int32_t word) {
  VControl::CopyFrom(newParent, source, word);
  const auto* from = dynamic_cast<const VCheckBox*>(&source);
  if (from == nullptr) return;
  fThreeState = from->fThreeState;
  fElementKind = from->fElementKind;
}

bool VCheckBox::MouseDown(VEvent&) {
  if (fCommandEnabled == 0 || fCommand == nullptr) return true;
  EnsureValue();
  const int32_t current = GetLongValue();
  int32_t pressed = kStatePressed;
  int32_t next = 1;
  if (current == 1) {
    pressed = kStatePressedOn;
    next = fThreeState != 0 ? 2 : (StaysOnWhenClicked() ? 1 : 0);
  } else if (current == 2) {
    pressed = kStatePressedMixed;
    next = 0;
  }
  VPort* port = GetPort();
  if (port == nullptr) return true;
  const int16_t look = port->GetLook();
  FlushWindow();
  bool inside = false;
  const int32_t w = GetWidth();
  const int32_t h = GetHeight();
  auto drawNow = [&](int32_t state) {
    if (VPort* p = GetPort()) {
      p->DrawThemeElement(fElementKind, state, 0, 0, w, h, nullptr, 0);
      FlushWindow();
    }
  };
  do {
    int32_t x = 0;
    int32_t y = 0;
    GetMouseLocation(x, y);
    const bool now = ContainsLocal(VPoint(x, y));
    if (now != inside) {
      inside = now;
      drawNow(inside ? pressed : current);
    }
  } while (VSystemServices::IsAnyMouseButtonDown());
  if (inside) {
    drawNow(next);
    if (next != current && fCommand != nullptr) {
      const int32_t id = fCommand->GetId();
      fCommand->SetLong(this, next, 1);
      NotifyParent(this, id, 0);
      if ((look == 3 || look == 4) && next == 0) Invalidate(2);
    }
  } else {
    FlushWindow();
  }
  EndToolTip();
  return true;
}

void VCheckBox::DrawContent(VPort& port) {
  const VString* title = GetTitle();
  const VString* text = title != nullptr && title->GetLength() != 0 ? title : nullptr;
  if (fDisplayMode == 1) {
    port.DrawThemeElement(fElementKind, 0, 0, 0, GetWidth(), GetHeight(), text, 0);
    return;
  }
  if (fDisplayMode != 0) return;
  const int32_t value = GetLongValue();
  int32_t state = value;
  if (fCommand == nullptr || fCommandEnabled == 0) {
    state = value == 1 ? kStateDisabledOn : value == 2 ? kStateDisabledMixed : kStateDisabled;
  }
  port.DrawThemeElement(fElementKind, state, 0, 0, GetWidth(), GetHeight(), text, 0);
}
