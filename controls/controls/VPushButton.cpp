// The push button: sizing from its template, the three kinds of press
// tracking on the mouse timeline, group chains and drawing through the look.
#include "controls/controls/VPushButton.h"

#include <algorithm>
#include <vector>

#include "controls/controls/ControlTemplates.h"
#include "framework/core/strings/VUniString.h"
#include "framework/core/values/VLong.h"
#include "framework/system/environment/VSystemServices.h"
#include "graphics/VIconShape.h"
#include "graphics/VPort.h"
#include "platform/toolbox/TbxEnvironment.h"
#include "views/VCommand.h"
#include "views/VEvent.h"

namespace {

// The last button of the group chain being copied; null while none is open.
VPushButton* gOpenGroupChain = nullptr;

constexpr int32_t kButtonFallbackWidth = 60;
constexpr int32_t kButtonFallbackHeight = 20;
constexpr int32_t kButtonLeast = 16;
// The margin a single 'cicn' icon gets on each side together.
constexpr int32_t kSingleIconMargin = 4;

// Element kinds of the look.
constexpr int32_t kElementButton = 9;
constexpr int32_t kElementFlatButton = 10;
constexpr int32_t kElementButtonTitle = 11;

// An icon that no file holds keeps no data; the button then has none.
VIconShape* LoadButtonIcon(VResourceFile* file, int16_t id) {
  if (id == 0) return nullptr;
  auto* icon = new VIconShape(file, id);
  if (icon->GetData() == 0) {
    delete icon;
    return nullptr;
  }
  return icon;
}

VIconShape* CopyButtonIcon(const VIconShape* icon) {
  return icon != nullptr ? new VIconShape(*icon) : nullptr;
}

}  // namespace

void VPushButton::ResetOpenGroupChain() { gOpenGroupChain = nullptr; }
VPushButton* VPushButton::GetOpenGroupChain() { return gOpenGroupChain; }

VPushButton::VPushButton(VFrame* parent) : VControl(parent) { SetEnabled(true); }

VPushButton::VPushButton(VFrame* parent, VPort* port, VResourceFile* file, int16_t templateId,
                         int32_t commandId)
    : VControl(parent) {
  SetEnabled(true);
  if (commandId != 0) AttachCommand(commandId);
  if (templateId == 0 || file == nullptr) return;
  std::vector<uint8_t> bytes;
  VButtonTemplate t;
  if (!FetchTemplate(file, kResTypeButton, templateId, bytes) ||
      !ReadButtonTemplate(bytes.data(), bytes.size(), t)) {
    MoveTo(0, 0, 1);
    ResizeTo(kButtonFallbackWidth, kButtonFallbackHeight, 1);
    return;
  }
  ApplyHeader(file, t.header, commandId);
  fAutoRepeat = (t.flags & kButtonAutoRepeat) != 0 ? 1 : 0;
  fToggle = (t.flags & kButtonToggle) != 0 ? 1 : 0;
  fAltFont = (t.flags & kButtonAltFont) != 0 ? 1 : 0;
  fNoFrame = (t.flags & kButtonNoFrame) != 0 ? 1 : 0;
  const bool iconList = (t.flags & kButtonIconList) != 0;
  LoadIcons(file, t.iconId, iconList);
  SizeFromIconAndTitle(port, t.header.width, t.header.height, iconList);
  MoveTo(t.header.left, t.header.top, 1);
}

VPushButton::VPushButton(VFrame* parent, VPort* port, VIconShape* icon, const VString& title,
                         int32_t commandId)
    : VControl(parent) {
  SetEnabled(true);
  if (commandId != 0) AttachCommand(commandId);
  fIcon = icon;
  fOwnsIcons = 1;
  if (title.GetLength() != 0) SetTitle(title);
  SizeFromIconAndTitle(port, 0, 0, false);
  MoveTo(0, 0, 1);
}

VPushButton::~VPushButton() {
  if (fGroupCommand != nullptr) fGroupCommand->RemoveListener(&fGroupListener);
  fGroupCommand = nullptr;
  // Neighbours and the open chain must not keep pointing at this button.
  if (fPrevious != nullptr && fPrevious->fNext == this) fPrevious->fNext = fNext;
  if (fNext != nullptr && fNext->fPrevious == this) fNext->fPrevious = fPrevious;
  if (gOpenGroupChain == this) gOpenGroupChain = nullptr;
  DeleteIcons();
}

void VPushButton::DeleteIcons() {
  if (fOwnsIcons != 0) {
    delete fIcon;
    delete fPressedIcon;
    delete fMixedIcon;
    delete fDisabledIcon;
  }
  fIcon = fPressedIcon = fMixedIcon = fDisabledIcon = nullptr;
  fOwnsIcons = 0;
}

void VPushButton::LoadIcons(VResourceFile* file, int16_t iconId, bool iconList) {
  if (iconId == 0) return;
  if (!iconList) {
    fIcon = LoadButtonIcon(file, iconId);
    fOwnsIcons = 1;
    return;
  }
  std::vector<uint8_t> bytes;
  VIconIdList list;
  // A missing or short list gives a button without icon.
  if (!FetchTemplate(file, kResTypeIconList, iconId, bytes) ||
      !ReadIconList(bytes.data(), bytes.size(), list))
    return;
  fIcon = LoadButtonIcon(file, list.ids[0]);
  fPressedIcon = LoadButtonIcon(file, list.ids[1]);
  fMixedIcon = LoadButtonIcon(file, list.ids[2]);
  fDisabledIcon = LoadButtonIcon(file, list.ids[3]);
  fOwnsIcons = 1;
}

void VPushButton::SizeFromIconAndTitle(VPort* port, int32_t width, int32_t height, bool iconList) {
  int32_t w = 0;
  int32_t h = 0;
  if (fIcon != nullptr) {
    const int32_t margin = iconList ? 0 : kSingleIconMargin;
    w = fIcon->GetWidth() + margin;
    h = fIcon->GetHeight() + margin;
  }
  const VString* title = GetTitle();
  if (title != nullptr && title->GetLength() != 0 && port != nullptr) {
    port->UseStandardFont(2);
    w = static_cast<int32_t>(static_cast<float>(w) + port->MeasureString(*title) + 16.0f);
    h = std::max<int32_t>(h, port->GetLineHeight() + 4);
  }
  w = std::max(w, width);
  h = std::max(h, height);
  ResizeTo(w == 0 ? kButtonLeast : w, h == 0 ? kButtonLeast : h, 1);
}

void VPushButton::SetAltFont(uint8_t on) {
  const uint8_t v = on != 0 ? 1 : 0;
  if (v == fAltFont) return;
  fAltFont = v;
  if (IsShown()) Invalidate(1);
}

// ---- Value.

void VPushButton::EnsureValue() {
  if (fCommand == nullptr) return;
  const VValue* old = fCommand->GetValue();
  if (old != nullptr && old->GetKind() == kValueLong) return;
  auto* value = new VLong(old != nullptr ? old->GetLong(kWholeValue) : 0);
  fCommand->SetValue(this, value, true, 1);
}

void VPushButton::SetValueQuietly(int32_t n) {
  if (fCommand != nullptr && fCommand->GetValue() != nullptr)
    fCommand->GetValue()->SetLong(n, kWholeValue);
}

void VPushButton::ClearCommand() { VControl::ClearCommand(); }

// ---- Groups.

int32_t VPushButton::GetGroupCommandId() const {
  return fGroupCommand != nullptr ? fGroupCommand->GetId() : 0;
}

void VPushButton::AttachGroupCommand(int32_t id) {
  if (fGroupCommand != nullptr) fGroupCommand->RemoveListener(&fGroupListener);
  fGroupCommand = id != 0 ? FindCommand(id) : nullptr;
  if (fGroupCommand == nullptr) return;
  fGroupCommand->AddListener(&fGroupListener);
  const VValue* value = fGroupCommand->GetValue();
  if (value != nullptr && value->GetKind() == kValueLong) return;
  // The first button to join a group without a selection becomes selected.
  fGroupCommand->SetValue(nullptr, new VLong(GetCommandId()), true, 1);
  if (fCommand == nullptr) return;
  VValue* own = fCommand->GetValue();
  if (own == nullptr || own->GetKind() != kValueLong) {
    fCommand->SetValue(nullptr, new VLong(1), true, 1);
  } else {
    fCommand->SetLong(nullptr, 1, 1);
  }
}

VFrame* VPushButton::Clone(VFrame* newParent, int32_t word) {
  auto* copy = new VPushButton(newParent);
  copy->CopyFrom(newParent, *this, word);
  return copy;
}

void VPushButton::CopyFrom(VFrame* newParent, const VFrame& source, int32_t word) {
  VControl::CopyFrom(newParent, source, word);
  if (!source.IsControl()) return;
  const auto* from = dynamic_cast<const VPushButton*>(&source);
  if (from == nullptr) return;
  if (from->fGroupCommand != nullptr) {
    AttachGroupCommand(from->fGroupCommand->GetId());
    fPrevious = gOpenGroupChain;
    if (gOpenGroupChain != nullptr) gOpenGroupChain->fNext = this;
    fNext = nullptr;
    gOpenGroupChain = from->fNext != nullptr ? this : nullptr;
  } else {
    fPrevious = fNext = nullptr;
    gOpenGroupChain = nullptr;
  }
  // The copy keeps icons of its own, so that it outlives its source safely.
  DeleteIcons();
  fIcon = CopyButtonIcon(from->fIcon);
  fPressedIcon = CopyButtonIcon(from->fPressedIcon);
  fMixedIcon = CopyButtonIcon(from->fMixedIcon);
  fDisabledIcon = CopyButtonIcon(from->fDisabledIcon);
  fOwnsIcons = 1;
  fHotTrack = from->fHotTrack;
  fAltFont = from->fAltFont;
  fAutoRepeat = from->fAutoRepeat;
  fToggle = from->fToggle;
  fNoFrame = from->fNoFrame;
}

// ---- Mouse.

void VPushButton::AdjustCursor(VEvent& event) {
  VControl::AdjustCursor(event);
  if (fHotTrack == 0) return;
  fHighlighted = 1;
  Invalidate(2);
}

void VPushButton::CursorHook() {
  VControl::CursorHook();
  if (fHotTrack == 0) return;
  fHighlighted = 0;
  Invalidate(2);
}

bool VPushButton::MouseDown(VEvent& event) {
  if (fCommandEnabled == 0) return true;
  if (fGroupCommand != nullptr) {
    if (TrackGroup(event) && fGroupCommand != nullptr && fGroupCommand->GetValue() != nullptr)
      NotifyParent(this, fGroupCommand->GetId(), fGroupCommand->GetLong());
  } else if (fToggle != 0) {
    if (TrackToggle(event)) NotifyParent(this, GetCommandId(), 0);
  } else if (TrackPress(event)) {
    NotifyParent(this, GetCommandId(), 0);
  }
  EndToolTip();
  return true;
}

bool VPushButton::TrackPress(VEvent&) {
  EnsureValue();
  if (fCommand == nullptr) return false;
  const int32_t remembered = fCommand->GetLong();
  bool inside = false;
  if (GetPort() == nullptr) return false;
  FlushWindow();
  fHighlighted = 1;
  bool first = true;
  bool waiting = true;
  const uint32_t start = VSystemServices::TickCount60();
  const uint32_t doubleClick = Tbx::GetDblTime();
  do {
    int32_t x = 0;
    int32_t y = 0;
    GetMouseLocation(x, y);
    const bool now = ContainsLocal(VPoint(x, y));
    if (now != inside) {
      inside = now;
      SetValueQuietly(inside ? kStatePressed : 0);
      Redraw();
    }
    if (fAutoRepeat != 0) {
      if (waiting) waiting = VSystemServices::TickCount60() - start <= doubleClick;
      if (inside && fCommand != nullptr && fParent != nullptr && (first || !waiting)) {
        FlushWindow();
        NotifyParent(this, fCommand->GetId(), 0);
        first = false;
      }
    }
  } while (VSystemServices::IsAnyMouseButtonDown());
  // The command sent during tracking may have gone.
  SetValueQuietly(remembered);
  Redraw();
  fHighlighted = 0;
  return fAutoRepeat != 0 ? false : inside;
}

bool VPushButton::TrackToggle(VEvent&) {
  EnsureValue();
  if (fCommand == nullptr) return false;
  const int32_t remembered = fCommand->GetLong();
  if (GetPort() == nullptr) return false;
  FlushWindow();
  fHighlighted = 1;
  fWasOn = remembered == 1 ? 1 : 0;
  bool inside = false;
  do {
    int32_t x = 0;
    int32_t y = 0;
    GetMouseLocation(x, y);
    const bool now = ContainsLocal(VPoint(x, y));
    if (now != inside) {
      inside = now;
      SetValueQuietly(inside ? kStatePressed : 0);
      Redraw();
    }
  } while (VSystemServices::IsAnyMouseButtonDown());
  fWasOn = 0;
  if (inside) {
    SetValueQuietly(remembered == 1 ? 0 : 1);
  } else {
    SetValueQuietly(remembered);
  }
  fHighlighted = 0;
  Redraw();
  FlushWindow();
  return inside;
}

bool VPushButton::TrackGroup(VEvent&) {
  if (fGroupCommand == nullptr || fParent == nullptr) return false;
  VPushButton* head = this;
  // A chain is finite, but a damaged one could loop: stop at a repeat.
  std::vector<VPushButton*> chain;
  while (head->fPrevious != nullptr &&
         std::find(chain.begin(), chain.end(), head->fPrevious) == chain.end()) {
    chain.push_back(head);
    head = head->fPrevious;
  }
  chain.clear();
  for (VPushButton* b = head; b != nullptr; b = b->fNext) {
    if (std::find(chain.begin(), chain.end(), b) != chain.end()) break;
    chain.push_back(b);
  }
  const VValue* groupValue = fGroupCommand->GetValue();
  if (groupValue == nullptr || groupValue->GetKind() != kValueLong)
    fGroupCommand->SetValue(nullptr, new VLong(head->GetCommandId()), true, 1);
  for (VPushButton* b : chain) b->EnsureValue();
  if (fGroupCommand == nullptr) return false;
  const int32_t selectedId = fGroupCommand->GetLong();
  VPushButton* selected = nullptr;
  for (VPushButton* b : chain) {
    if (b->GetCommandId() == selectedId) {
      selected = b;
      break;
    }
  }
  VPushButton* tracked = nullptr;
  fHighlighted = 1;
  int32_t lastX = INT32_MIN;
  int32_t lastY = INT32_MIN;
  do {
    int32_t x = 0;
    int32_t y = 0;
    GetMouseLocation(x, y);
    int32_t ox = 0;
    int32_t oy = 0;
    GetOrigin(ox, oy);
    x += ox;
    y += oy;
    if (x == lastX && y == lastY) continue;
    lastX = x;
    lastY = y;
    VPushButton* hit = nullptr;
    for (VPushButton* b : chain) {
      int32_t bx = 0;
      int32_t by = 0;
      b->GetOrigin(bx, by);
      if (b->ContainsLocal(VPoint(x - bx, y - by)) && b->fCommand != nullptr &&
          b->fCommand->IsEnabled()) {
        hit = b;
        break;
      }
    }
    if (hit == tracked) continue;
    if (tracked != nullptr) {
      tracked->SetValueQuietly(tracked == selected ? 1 : 0);
      tracked->Redraw();
    }
    if (hit != nullptr) {
      hit->SetValueQuietly(kStatePressed);
      hit->Redraw();
    }
    tracked = hit;
  } while (VSystemServices::IsAnyMouseButtonDown());
  if (tracked != nullptr && fGroupCommand != nullptr) {
    VLong value(tracked->GetCommandId());
    fGroupCommand->SetValue(nullptr, &value, false, 1);
    tracked->SetValueQuietly(1);
    tracked->Redraw();
    if (selected != nullptr && selected != tracked) {
      selected->SetValueQuietly(0);
      selected->Redraw();
    }
  }
  FlushWindow();
  fHighlighted = 0;
  return tracked != selected;
}

// ---- Drawing.

int32_t VPushButton::StateForDrawing() const {
  int32_t state = kStateDisabled;
  if (fCommand != nullptr && fCommandEnabled != 0) state = GetLongValue();
  if (fWasOn != 0) state = state == 0 ? 4 : kStatePressedOn;
  if (fHighlighted != 0) {
    if (state == 0) {
      state = 3;
    } else if (state == 1) {
      state = 4;
    } else if (state == 2) {
      state = 5;
    }
  }
  return state;
}

void VPushButton::DrawIconAt(VPort& port, VIconShape& icon, int32_t x, int32_t y,
                             int16_t transform) {
  icon.SetPosition(x, y);
  port.DrawIcon(icon, transform);
}

void VPushButton::DrawContent(VPort& port) {
  const VString* title = GetTitle();
  const bool hasTitle = title != nullptr && title->GetLength() != 0;
  if (hasTitle) port.UseStandardFont(fAltFont != 0 ? 3 : 2);
  const int32_t w = GetWidth();
  const int32_t h = GetHeight();
  if (fDisplayMode > 1) return;
  if (fDisplayMode == 1) {
    if (fIcon == nullptr) {
      port.DrawThemeElement(kElementButton, 0, 0, 0, w, h, hasTitle ? title : nullptr, 0);
      return;
    }
    if (fNoFrame == 0) port.DrawThemeElement(kElementButton, 0, 0, 0, w, h, nullptr, 0);
    DrawIconAt(port, *fIcon, (w - fIcon->GetWidth()) / 2, (h - fIcon->GetHeight()) / 2, 0);
    if (hasTitle) {
      const int32_t x = fIcon->GetWidth() + 4;
      port.DrawThemeElement(kElementButtonTitle, 0, x, 0, w - x, h, title, 0);
    }
    return;
  }
  const int32_t state = StateForDrawing();
  if (fIcon == nullptr) {
    port.DrawThemeElement(kElementButton, state, 0, 0, w, h, hasTitle ? title : nullptr, 0);
    return;
  }
  if (fNoFrame == 0)
    port.DrawThemeElement(fHotTrack != 0 ? kElementFlatButton : kElementButton, state, 0, 0, w, h,
                          nullptr, 0);
  int32_t dx = (w - fIcon->GetWidth()) >> 1;
  int32_t dy = (h - fIcon->GetHeight()) >> 1;
  if (fNoFrame == 0) {
    if (state == kStatePressed || state == 1 || state == 4) {
      dx += 1;
      dy += 1;
    } else if (state == kStatePressedOn) {
      dx += 2;
      dy += 2;
    }
  }
  if (state == kStateDisabled) {
    if (fDisabledIcon != nullptr) {
      DrawIconAt(port, *fDisabledIcon, dx, dy, 0);
    } else {
      DrawIconAt(port, *fIcon, dx, dy, 2);
    }
  } else if (state == 2 || state == 5) {
    if (fMixedIcon != nullptr) {
      DrawIconAt(port, *fMixedIcon, dx, dy, 0);
    } else {
      DrawIconAt(port, *fIcon, dx, dy, 1);
    }
  } else if ((state == kStatePressed || state == 1) && fPressedIcon != nullptr) {
    DrawIconAt(port, *fPressedIcon, dx, dy, 0);
  } else {
    DrawIconAt(port, *fIcon, dx, dy, 0);
  }
  if (hasTitle) {
    const int32_t x = fIcon->GetWidth() + 4;
    port.DrawThemeElement(kElementButtonTitle, state, x, 0, w - x, h, title, 0);
  }
}
