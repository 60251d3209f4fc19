// The drop-down list: choices from the template, the pop-up's list view,
// the current choice in the command and typing in a combo box.
#include "controls/toolbars/VDropDownList.h"

#include <algorithm>
#include <vector>

#include "controls/controls/ControlTemplates.h"
#include "controls/text/VEntryFilters.h"
#include "controls/text/VTextEditFrame.h"
#include "controls/toolbars/VDropDownListView.h"
#include "controls/toolbars/VDropDownWindow.h"
#include "framework/core/containers/VNumericArrays.h"
#include "framework/core/containers/VStringArray.h"
#include "framework/core/strings/VUniString.h"
#include "framework/system/environment/VSystemServices.h"
#include "framework/system/resources/VResourceFile.h"
#include "graphics/GraphicsGlobals.h"
#include "graphics/VPort.h"
#include "views/VCommand.h"
#include "views/VEvent.h"
#include "views/VScrollContainer.h"
#include "views/VShortcut.h"

namespace {

constexpr int32_t kListDropListElement = 3;
constexpr int16_t kDefaultLines = 5;
// The point an opening by key carries: no press on the arrow.
constexpr int32_t kNoPoint = -32000;

// Pop-up rows: ten points at the screen's resolution, and a margin.
int16_t PopUpLineHeight() {
  const int32_t dpi = gScreenLogPixelsY > 0 ? gScreenLogPixelsY : 96;
  return static_cast<int16_t>(dpi * 10 / 72 + 4);
}

void ItemText(const VDropItem& item, VStr<255>& out) { out.SetMacPText(item.text); }

}  // namespace

VDropDownList::VDropDownList(VFrame* parent) : VListControl(parent) {
  fLineHeight = PopUpLineHeight();
}

VDropDownList::VDropDownList(VFrame* parent, VPort*, VResourceFile* file, int16_t templateId,
                             int32_t commandId)
    : VListControl(parent) {
  SetResourceId(templateId);
  fLineHeight = PopUpLineHeight();
  if (commandId != 0) AttachCommand(commandId);
  if (templateId == 0 || file == nullptr) return;
  std::vector<uint8_t> bytes;
  VDropTemplate t;
  if (!FetchTemplate(file, kResTypeDropDownList, templateId, bytes) ||
      !ReadDropTemplate(bytes.data(), bytes.size(), t))
    return;
  if (commandId == 0) AttachCommand(t.header.commandId);
  fEditable = (t.flags & kDropEditable) != 0 ? 1 : 0;
  SetEnabled(true);
  fVisibleLines = t.lines != 0 ? t.lines : kDefaultLines;
  MoveTo(t.header.left, t.header.top, 1);
  ResizeTo(t.header.width, t.header.height, 1);
  ApplyHeader(file, t.header, 1);  // the command is bound already
  if (fCommand != nullptr) BuildChoices(file, t);
  fFilter = MakeEntryFilter(t.filterKind);
}

VDropDownList::~VDropDownList() {
  delete fFilter;
  fFilter = nullptr;
}

void VDropDownList::BuildChoices(VResourceFile* file, const VDropTemplate& t) {
  VArray* list = nullptr;
  bool borrowed = false;
  VStr<255> text;
  switch (t.source) {
    case FourCC("STR#"): {
      // The first item (or the title) names the list, by number or by name.
      if (!t.items.empty()) {
        ItemText(t.items.front(), text);
      } else if (const VString* title = GetTitle()) {
        text.CopyText(*title);
      }
      const int32_t id = text.GetLong(kWholeValue);
      list = id != 0 ? file->NewStringList(static_cast<int16_t>(id)) : file->NewNamedStringList(&text);
      break;
    }
    case FourCC("RES#"): {
      if (t.items.empty()) break;
      const uint8_t* p = t.items.front().text;
      // A name shorter than four characters is padded with spaces.
      uint32_t type = 0;
      for (int i = 0; i < 4; ++i) type = (type << 8) | (i < p[0] ? p[1 + i] : uint8_t(' '));
      list = file->GetResourceNames(type);
      break;
    }
    case FourCC("TEXT"): {
      auto* strings = new VStringArray;
      for (const VDropItem& item : t.items) {
        VStr<255> resolved;
        file->ResolveStringRef(&resolved, item.text);
        strings->AppendString(resolved, false);
      }
      list = strings;
      break;
    }
    case FourCC("LONG"): {
      auto* numbers = new VLongArray;
      for (const VDropItem& item : t.items) {
        ItemText(item, text);
        numbers->AppendLong(text.GetLong(kWholeValue), false);
      }
      list = numbers;
      break;
    }
    case FourCC("REAL"): {
      auto* numbers = new VRealArray;
      for (const VDropItem& item : t.items) {
        ItemText(item, text);
        numbers->AppendReal(text.GetReal(kWholeValue), false);
      }
      list = numbers;
      break;
    }
    case FourCC("FONT"):
    case FourCC("FNTT"):
      if (gSystemServices != nullptr) {
        list = gSystemServices->GetFontList(t.source == FourCC("FONT"));
        borrowed = true;
        if (t.source == FourCC("FONT")) fFontChoices = 1;
      }
      break;
    default: break;
  }
  if (list == nullptr) return;
  list->SetSorted((t.flags & kDropSorted) != 0);
  list->SetCurrent(1);
  fCommand->SetChoiceList(list, borrowed);
  VStr<255> current;
  if (list->Count() > 0) list->FormatTo(current, nullptr, 1);
  fCommand->SetString(this, current, 1);
}

VFrame* VDropDownList::Clone(VFrame* newParent, int32_t word) {
  auto* copy = new VDropDownList(newParent);
  copy->CopyFrom(newParent, *this, word);
  return copy;
}

void VDropDownList::CopyFrom(VFrame* newParent, const VFrame& source, int32_t word) {
  VControl::CopyFrom(newParent, source, word);
  const auto* other = dynamic_cast<const VDropDownList*>(&source);
  if (other == nullptr) return;
  fEditable = other->fEditable;
  fFramed = other->fFramed;
  fVisibleLines = other->fVisibleLines;
  fLineHeight = other->fLineHeight;
  fFontChoices = other->fFontChoices;
}

void VDropDownList::SetEntryFilter(VEntryFilter* filter) {
  if (filter != fFilter) delete fFilter;
  fFilter = filter;
  if (fTextFrame != nullptr) fTextFrame->SetFilter(fFilter, false);
}

// ---- Value and choices.

void VDropDownList::CurrentChoiceText(VString& out) const {
  out.SetEmpty(false);
  VArray* list = fCommand != nullptr ? fCommand->GetChoiceList() : nullptr;
  if (list == nullptr) return;
  const int32_t current = list->GetCurrent();
  if (current >= 1 && current <= list->Count()) list->FormatTo(out, nullptr, current);
}

void VDropDownList::EnsureValue() {
  if (fCommand == nullptr) return;
  const VValue* old = fCommand->GetValue();
  if (old != nullptr && old->GetKind() == kValueString) return;
  auto* text = new VStr<255>;
  if (old != nullptr) {
    text->SetFromValue(*old);
  } else {
    CurrentChoiceText(*text);
  }
  fCommand->SetValue(this, text, true, 1);
}

bool VDropDownList::HasChoices() {
  VArray* list = fCommand != nullptr ? fCommand->GetChoiceList() : nullptr;
  return list != nullptr && list->Count() >= 1;
}

int32_t VDropDownList::GetPopUpHeight(int32_t available) {
  VArray* list = fCommand != nullptr ? fCommand->GetChoiceList() : nullptr;
  int32_t n = list != nullptr ? list->Count() : 0;
  if (n == 0 || fLineHeight <= 0) return 0;
  n = std::min<int32_t>(n, fVisibleLines);
  const int32_t room = std::max(0, available) / fLineHeight;
  if (n > room) n = room;
  return n * fLineHeight;
}

void VDropDownList::RefreshPopUp() {
  EnsureValue();
  if (fCommand == nullptr) return;
  VStr<255> text;
  CurrentChoiceText(text);
  fCommand->SetString(this, text, 1);
  if (fTextFrame != nullptr) {
    fTextFrame->SetValueText(text);
    fTextFrame->SelectAll();
    fTextFrame->SetChanged(true);
  }
}

// ---- The pop-up.

void VDropDownList::BuildPopUp(VDropDownWindow& window) {
  VArray* list = fCommand != nullptr ? fCommand->GetChoiceList() : nullptr;
  if (list == nullptr) return;
  fScroller = new VScrollContainer(&window, true, false);
  fScroller->MoveTo(0, 0, 0);
  fScroller->ResizeTo(window.GetWidth(), window.GetHeight(), 0);
  // Rows as high as the pop-up's lines, so that the height it was given
  // holds whole rows.
  fListView = new VDropDownListView(fScroller, this, list, fLineHeight, fFontChoices != 0);
  fScroller->SetContentView(fListView, true);
  // The bar shows only when the rows do not fit.
  fScroller->SetVerticalBar(list->Count() * fLineHeight > window.GetHeight(), true);
  fListView->Refresh(true);
}

void VDropDownList::OpenList(VEvent& event) {
  if (fParent == nullptr || fCommand == nullptr) return;
  if (fTextFrame != nullptr) fTextFrame->SelectAll();
  VArray* list = fCommand->GetChoiceList();
  int32_t remembered = 1;
  if (list != nullptr && fCommand->GetValue() != nullptr) {
    const int32_t found = list->FindValue(*fCommand->GetValue(), 1, true, 0);
    if (found >= 1) remembered = found;
  }
  if (list != nullptr) list->SetCurrent(remembered);
  // Moving through the open list shows each row in the command's value; a
  // cancelled pop-up puts the value from before back with the row.
  VStr<255> oldText;
  const bool hadValue = fCommand->GetValue() != nullptr;
  if (hadValue) fCommand->GetValue()->FormatTo(oldText, nullptr, kWholeValue);
  TrackPopUp(event);
  fScroller = nullptr;
  fListView = nullptr;
  list = fCommand != nullptr ? fCommand->GetChoiceList() : nullptr;
  if (fCancelled != 0) {
    if (list != nullptr) list->SetCurrent(remembered);
    VStr<255> now;
    if (fCommand != nullptr && fCommand->GetValue() != nullptr)
      fCommand->GetValue()->FormatTo(now, nullptr, kWholeValue);
    if (fCommand != nullptr && hadValue && now.Compare(oldText, true) != 0) {
      fCommand->SetString(this, oldText, 1);
      if (fTextFrame != nullptr) {
        fTextFrame->SetValueText(oldText);
        fTextFrame->SelectAll();
        fTextFrame->SetChanged(false);
      }
    }
  } else if (fCommitting == 0 && fCommand != nullptr) {
    fCommitting = 1;
    VStr<255> text;
    CurrentChoiceText(text);
    fCommand->SetString(this, text, 1);
    NotifyParent(this, fCommand->GetId(), 0);
  }
  Invalidate(1);
}

// ---- Typing.

VTextEditFrame* VDropDownList::CreateTextFrame() {
  if (fTextFrame != nullptr) return fTextFrame;
  int32_t rect[4];
  GetTextRect(rect);
  auto* frame = new VTextEditFrame(this, rect);
  frame->SetFilter(fFilter, false);
  frame->SetChanged(false);
  if (fCommand != nullptr && fCommand->GetValue() != nullptr) {
    VStr<255> value;
    fCommand->CopyValue(value);
    frame->SetValueText(value);
    frame->Invalidate(2);
  }
  return frame;
}

void VDropDownList::TakeFocus() {
  VListControl::TakeFocus();
  if (fTextFrame != nullptr) fTextFrame->SelectAll();
}

bool VDropDownList::IsModified() const { return fTextFrame != nullptr && fTextFrame->IsChanged(); }

bool VDropDownList::Commit() { return fCancelled != 0 ? true : CommitText(); }

bool VDropDownList::CommitText() {
  if (fParent == nullptr) return false;
  EndToolTip();
  if (fCommand == nullptr) return false;
  if (fCommitting != 0) return true;
  fCommitting = 1;
  EnsureValue();
  if (fTextFrame == nullptr) return NotifyParent(this, fCommand->GetId(), 0);
  if (!fTextFrame->IsChanged()) return true;
  VStr<255> oldText;
  if (const VValue* v = fCommand->GetValue()) v->FormatTo(oldText, nullptr, kWholeValue);
  VStr<255> newText;
  fTextFrame->GetValueText(newText);
  fCommand->SetString(this, newText, 1);
  const bool accepted = NotifyParent(this, fCommand->GetId(), 0);
  // The executor may have unbound the list or taken its focus.
  if (fCommand == nullptr) return accepted;
  if (accepted) {
    if (fTextFrame != nullptr) {
      VStr<255> shown;
      if (const VValue* v = fCommand->GetValue()) v->FormatTo(shown, nullptr, kWholeValue);
      fTextFrame->SetValueText(shown);
      fTextFrame->SetChanged(false);
    }
  } else {
    fCommand->SetString(this, oldText, 1);
    if (fTextFrame != nullptr) fTextFrame->TakeFocus();
  }
  return accepted;
}

bool VDropDownList::NotifyParent(VFrame* sender, int32_t message, intptr_t parameter) {
  if (message >= 1 && message <= 7 && fTextFrame != nullptr)
    return fTextFrame->NotifyParent(sender, message, parameter);
  return VListControl::NotifyParent(sender, message, parameter);
}

int32_t VDropDownList::GetCursorIdAt(VEvent& event) {
  if (!IsEditable()) return 0;
  int32_t r[4];
  GetTextRect(r);
  const bool inText = event.GetX() >= r[0] && event.GetX() < r[0] + r[2] && event.GetY() >= r[1] &&
                      event.GetY() < r[1] + r[3];
  return inText ? 1 : 0;
}

int32_t VDropDownList::HandleKey(VEvent& event) {
  // A list the user cannot see leaves the key to whoever comes next.
  if (!IsVisible() || IsHiddenByParent()) return kKeyNotHandled;
  EndToolTip();
  fCommitting = 0;
  const int16_t code = KeyCodeOfEvent(event);
  switch (code) {
    case kKeyTab:
      CommitText();
      fOpen = 0;
      return kKeyNotHandled;
    case kKeyReturn:
    case kKeyEnter:
      CommitText();
      fOpen = 0;
      return kKeyHandled;
    case kKeyHome:
    case kKeyEnd:
    case kKeyPageUp:
    case kKeyPageDown:
    case kKeyUp:
    case kKeyDown:
      if (fOpen == 0) {
        if (HasChoices()) {
          VEvent at(kNoPoint, kNoPoint, event.GetWhen(), false, false, false, false, false, 0, 0);
          OpenList(at);
        }
      } else if (fListView != nullptr) {
        fListView->HandleKey(event);
      }
      return kKeyHandled;
    case kKeyEscape:
      ClosePopUp(true);
      return kKeyHandled;
    default: break;
  }
  if (fTextFrame != nullptr) {
    const int32_t answer = fTextFrame->HandleKey(event);
    if (answer == kKeyHandled && fOpen != 0 && fListView != nullptr && fCommand != nullptr) {
      // Type-ahead: the typed text selects the first choice that matches.
      fCancelled = 0;
      VStr<255> typed;
      fTextFrame->GetText(typed);
      const int32_t found = fListView->FindRow(typed);
      if (found > 0) fListView->SetCurrentRow(found, false);
    }
    return answer;
  }
  if (fOpen != 0 && fListView != nullptr) return fListView->HandleKey(event);
  return kKeyNotHandled;
}

// ---- Drawing.

void VDropDownList::DrawCurrent(VPort& port, const int32_t* rect) {
  if (fDisplayMode == 1) {
    VStr<255> none;
    DrawLookElementText(port, kListDropListElement, 0, &none, rect, 0);
    return;
  }
  if (fDisplayMode != 0 || fCommand == nullptr || fCommand->GetValue() == nullptr) return;
  VStr<255> text;
  fCommand->GetValue()->FormatTo(text, nullptr, kWholeValue);
  if (text.GetLength() == 0) return;
  const int32_t state = fCommandEnabled != 0 ? 0 : kStateDisabled;
  if (fFontChoices != 0) {
    port.SetFontName(text);
    port.SetFontSize(10.0, false);
  } else {
    port.UseStandardFont(5);
  }
  DrawLookElementText(port, kListDropListElement, state, &text, rect, 0);
}
