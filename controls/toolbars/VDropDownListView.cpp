// The list of choices of a drop-down list's pop-up.
#include "controls/toolbars/VDropDownListView.h"

#include <algorithm>

#include "controls/text/VTextEditFrame.h"
#include "framework/core/containers/VArray.h"
#include "framework/system/environment/VSystemServices.h"
#include "graphics/VPort.h"
#include "views/VEvent.h"
#include "views/VShortcut.h"

namespace {

constexpr int32_t kListListRowElement = 3;
constexpr int32_t kListBackgroundColor = 27;
// Two characters typed within this many ticks search together.
constexpr uint32_t kSearchJoinTicks = 15;
// Auto-scroll while pressing above or below the list waits this long
// between rows.
constexpr uint32_t kAutoScrollTicks = 2;

std::u16string Lower(const VString& s) {
  std::u16string out;
  for (int32_t i = 1; i <= s.GetLength(); ++i) {
    char16_t c = s.GetCharAt(i);
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    out.push_back(c);
  }
  return out;
}

}  // namespace

VDropDownListView::VDropDownListView(VFrame* parent, VListControl* list, VArray* choices,
                                     int32_t rowHeight, bool fontList)
    : VScrolledView(parent),
      fList(list),
      fChoices(choices),
      fRowHeight(rowHeight > 0 ? rowHeight : 1),
      fFontList(fontList ? 1 : 0) {
  SetWidthFollowsView(true);
  Refresh(false);
}

int32_t VDropDownListView::RowCount() const { return fChoices != nullptr ? fChoices->Count() : 0; }

int32_t VDropDownListView::GetCurrentRow() const {
  return fChoices != nullptr ? fChoices->GetCurrent() : 0;
}

void VDropDownListView::RowText(int32_t row, VString& out) const {
  out.SetEmpty(false);
  if (fChoices != nullptr && row >= 1 && row <= fChoices->Count()) fChoices->FormatTo(out, nullptr, row);
}

void VDropDownListView::Refresh(bool select) {
  SetContentHeight(RowCount() * fRowHeight, false, 0);
  if (select) ScrollRowIntoView(GetCurrentRow());
}

int32_t VDropDownListView::GetVerticalLineStep(bool) { return fRowHeight; }

int32_t VDropDownListView::ConstrainVerticalStep(int32_t step) {
  // A step lands the top of the view on a row's top.
  const int32_t target = GetScrollY() + step;
  const int32_t snapped = (target / fRowHeight) * fRowHeight;
  return snapped - GetScrollY();
}

void VDropDownListView::ScrollRowIntoView(int32_t row) {
  if (row < 1 || row > RowCount()) return;
  const int32_t top = (row - 1) * fRowHeight;
  if (top < GetScrollY()) {
    ScrollToY(top, true, 0);
  } else if (top + fRowHeight > GetScrollY() + GetHeight()) {
    ScrollToY(top + fRowHeight - GetHeight(), true, 0);
  }
}

void VDropDownListView::SetCurrentRow(int32_t row, bool notify) {
  if (fChoices == nullptr || row < 0 || row > RowCount()) return;
  if (row == GetCurrentRow()) return;
  fChoices->SetCurrent(row);
  ScrollRowIntoView(row);
  Invalidate(1);
  if (notify && fParent != nullptr) NotifyParent(this, kMsgPopUpCurrentChanged, row);
}

void VDropDownListView::MouseWithin(int32_t y) {
  const int32_t n = RowCount();
  if (n == 0) return;
  // Below the last row (a short list in a taller pop-up) the last row
  // stays the one under the mouse.
  const int32_t row = std::clamp(std::max(0, y) / fRowHeight + 1, 1, n);
  SetCurrentRow(row, false);
}

// ---- Drawing.

void VDropDownListView::DrawContent(VPort& port) {
  port.SetFillColorIndex(kListBackgroundColor);
  port.PaintRect(0, 0, GetWidth(), std::max(GetHeight(), GetContentHeight()));
  const int32_t first = std::max(1, GetScrollY() / fRowHeight + 1);
  const int32_t last = std::min(RowCount(), (GetScrollY() + GetHeight()) / fRowHeight + 1);
  VStr<255> text;
  for (int32_t row = first; row <= last; ++row) {
    RowText(row, text);
    if (fFontList != 0) {
      port.SetFontName(text);
      port.SetFontSize(10.0, false);
    } else {
      port.UseStandardFont(5);
    }
    const int32_t rect[4] = {0, (row - 1) * fRowHeight, GetWidth(), fRowHeight};
    DrawLookElementText(port, kListListRowElement, row == GetCurrentRow() ? -100 : 0, &text, rect, 0);
  }
}

// ---- Mouse.

bool VDropDownListView::MouseDown(VEvent&) {
  uint32_t lastStep = 0;
  do {
    int32_t x = 0;
    int32_t y = 0;
    GetMouseLocation(x, y);
    const uint32_t now = VSystemServices::TickCount60();
    if (y < GetScrollY() || y >= GetScrollY() + GetHeight()) {
      // Outside the view the list scrolls a row at a time, not faster
      // than every few ticks.
      if (now - lastStep > kAutoScrollTicks) {
        lastStep = now;
        const int32_t row = y < GetScrollY() ? GetScrollY() / fRowHeight
                                             : (GetScrollY() + GetHeight()) / fRowHeight + 1;
        if (row >= 1 && row <= RowCount()) SetCurrentRow(row, false);
      }
    } else {
      MouseWithin(y);
    }
  } while (VSystemServices::IsAnyMouseButtonDown());
  if (fParent != nullptr) NotifyParent(this, kMsgClosePopUp, 0);
  return true;
}

bool VDropDownListView::MouseUp(VEvent&) {
  if (fParent != nullptr) NotifyParent(this, kMsgClosePopUp, 0);
  return true;
}

// ---- Keys.

int32_t VDropDownListView::FindRow(const VString& text) const {
  const int32_t n = RowCount();
  if (n == 0 || text.GetLength() == 0) return 0;
  const std::u16string key = Lower(text);
  const int32_t current = GetCurrentRow();
  VStr<255> row;
  for (int pass = 0; pass < 4; ++pass) {
    const bool contains = pass >= 2;
    const int32_t from = (pass % 2 == 0) ? current + 1 : 1;
    for (int32_t i = from; i <= n; ++i) {
      RowText(i, row);
      const std::u16string r = Lower(row);
      const size_t at = r.find(key);
      if (contains ? at != std::u16string::npos : at == 0) return i;
    }
  }
  return 0;
}

int32_t VDropDownListView::HandleKey(VEvent& event) {
  const int16_t code = KeyCodeOfEvent(event);
  const int32_t n = RowCount();
  switch (code) {
    case kKeyHome:
    case kKeyEnd:
      if (fParent != nullptr)
        NotifyParent(this, kMsgScrollVertically, code == kKeyHome ? -GetContentHeight() : GetContentHeight());
      return kKeyHandled;
    case kKeyPageUp:
    case kKeyPageDown:
      if (fParent != nullptr)
        NotifyParent(this, kMsgScrollVertically, code == kKeyPageUp ? -GetHeight() : GetHeight());
      return kKeyHandled;
    case kKeyUp:
    case kKeyDown: {
      if (n == 0) return kKeyHandled;
      const int32_t current = GetCurrentRow();
      int32_t row = current;
      if (current < 1) {
        row = code == kKeyUp ? n : 1;
      } else if (code == kKeyUp) {
        row = std::max(1, current - 1);
      } else {
        row = std::min(n, current + 1);
      }
      if (row != current) SetCurrentRow(row, true);
      return kKeyHandled;
    }
    default: break;
  }
  const char16_t c = event.GetCharacter();
  // Tab and characters typed with Ctrl (the command flag) are not searched.
  if (c == 0 || c == u'\t' || event.IsCommand()) return kKeyNotHandled;
  const uint32_t now = VSystemServices::TickCount60();
  if (now - fLastKeyTime > kSearchJoinTicks) fSearchText.SetEmpty(false);
  fLastKeyTime = now;
  if (fSearchText.GetLength() < 255) fSearchText.AppendUniChar(c);
  const int32_t found = FindRow(fSearchText);
  if (found > 0) {
    fChoices->SetCurrent(found);
    ScrollRowIntoView(found);
    Invalidate(1);
    if (fParent != nullptr) NotifyParent(this, kMsgPopUpCurrentChanged, found);
  }
  return kKeyHandled;
}
