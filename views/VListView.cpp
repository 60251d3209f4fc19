#include "views/VListView.h"

#include <algorithm>

#include "framework/core/containers/VArray.h"
#include "framework/core/containers/VStringArray.h"
#include "framework/core/strings/VUniString.h"
#include "framework/core/values/VValue.h"
#include "views/VEvent.h"
#include "views/VScrollBar.h"
#include "views/VScrollContainer.h"
#include "views/VShortcut.h"
#include "graphics/VPort.h"

namespace {

constexpr int32_t kElementListCell = 3;
constexpr int32_t kElementCheckBox = 13;
constexpr int32_t kStateSelected = -100;
constexpr int32_t kColorListBackground = 27;
constexpr int32_t kStandardFontList = 5;
constexpr int32_t kCheckColumnWidth = 20;

int16_t KeyCodeOf(const VEvent& event) {
  if (event.HasHostRecord()) {
    VHostEventRecord record{};
    event.GetHostRecord(record);
    return VShortcut(record).GetKeyCode();
  }
  return static_cast<int16_t>(event.GetKeyWord());
}

void Toggle(VArray* array) {
  if (array == nullptr || array->GetCurrent() < 1) return;
  array->SetBoolean(array->GetBoolean(-1) ? 0 : 1, -1);
}

}  // namespace

VListView::VListView(VScrollContainer* container, int32_t selectionMessage, int32_t confirmMessage)
    : VScrolledView(container),
      fSelectionMessage(selectionMessage),
      fConfirmMessage(confirmMessage) {
  SetEnabled(true);
  const VScrollBar* bar = container != nullptr ? container->GetHorizontalBar() : nullptr;
  SetWidthFollowsView(!(bar != nullptr && bar->IsShown()));
}

VListView::~VListView() = default;

// ---- Columns.

void VListView::AddColumn(VArray* array, int32_t width, bool stretch) {
  fColumns.push_back(Column{array, static_cast<int16_t>(width), stretch ? 1 : 0});
  if (fCurrentColumn == nullptr) fCurrentColumn = array;
  UpdateContentSize(1);
}

void VListView::RemoveColumn(VArray* array) {
  auto it = std::find_if(fColumns.begin(), fColumns.end(),
                         [array](const Column& c) { return c.array == array; });
  if (it != fColumns.end()) fColumns.erase(it);
  if (fCurrentColumn == array) fCurrentColumn = nullptr;
  if (fCurrentColumn == nullptr && !fColumns.empty()) fCurrentColumn = fColumns.front().array;
  UpdateContentSize(1);
}

void VListView::RemoveAllColumns() {
  fColumns.clear();
  fCurrentColumn = nullptr;
  UpdateContentSize(1);
}

VArray* VListView::GetColumnArray(int32_t n) const {
  return n >= 1 && n <= GetColumnCount() ? fColumns[static_cast<size_t>(n - 1)].array : nullptr;
}

int32_t VListView::GetColumnWidth(int32_t n) const {
  return n >= 1 && n <= GetColumnCount() ? fColumns[static_cast<size_t>(n - 1)].width : 0;
}

void VListView::EndUpdate() {
  if (fUpdateLock > 0) --fUpdateLock;
  if (fUpdateLock == 0) UpdateContentSize(1);
}

void VListView::SetRowHeight(int32_t height) {
  // Drawing and clicks divide by the height.
  fRowHeight = static_cast<int16_t>(std::clamp(height, 1, 32767));
  UpdateContentSize(1);
}

// ---- Sizes.

void VListView::UpdateContentSize(int32_t mode) {
  if (fUpdateLock > 0) return;
  ++fUpdateLock;
  if (!fColumns.empty()) {
    int32_t total = 0;
    int32_t rows = 0;
    for (const Column& c : fColumns) {
      total += c.width;
      if (c.array != nullptr) rows = std::max(rows, c.array->Count());
    }
    const int32_t width = GetWidth();
    if (!WidthFollowsView() || total == width) {
      if (total != GetContentWidth()) SetContentWidth(total, true, mode);
    } else {
      // The spare width is shared by the stretch columns in proportion to
      // their widths; what rounding leaves goes to the last column.
      const int32_t spare = width - total;
      int32_t left = spare;
      if (total > 0) {
        for (Column& c : fColumns) {
          if (c.stretch == 0) continue;
          const auto share = static_cast<int32_t>(static_cast<double>(spare) * c.width / total);
          c.width = static_cast<int16_t>(c.width + share);
          left -= share;
        }
      }
      if (fColumns.back().stretch != 0) {
        fColumns.back().width = static_cast<int16_t>(fColumns.back().width + left);
      }
    }
    SetContentHeight(static_cast<int32_t>(std::min<int64_t>(int64_t{rows} * fRowHeight, INT32_MAX)),
                     true, mode);
  }
  --fUpdateLock;
}

void VListView::ResizeTo(int32_t width, int32_t height, int16_t mode) {
  VScrolledView::ResizeTo(width, height, mode);
  UpdateContentSize(mode);
}

// ---- Drawing.

void VListView::DrawContent(VPort& port) {
  port.SetFillColorIndex(kColorListBackground);
  port.SetFillPatternIndex(6);
  port.PaintRect(GetScrollX(), GetScrollY(), GetWidth(), GetHeight());
  const int32_t rh = fRowHeight;
  const int32_t first = GetScrollY() / rh;
  const int32_t last = (GetScrollY() + GetHeight() + rh) / rh;
  int32_t x = 0;
  for (const Column& c : fColumns) {
    VArray* array = c.array;
    port.PushOrigin(x, 0);
    x += c.width;
    if (array == nullptr) {
      port.PopOrigin();
      continue;
    }
    const int32_t count = array->Count();
    int32_t selected = array->GetCurrent();
    if (selected < first || selected > last) selected = 0;
    if (array->GetElementKind() == kValueBoolean) {
      for (int32_t row = std::max(first, 1); row <= last && row <= count; ++row) {
        port.DrawThemeElement(kElementCheckBox, array->GetBoolean(row) ? 1 : 0, 0, (row - 1) * rh,
                              c.width, rh, nullptr, 0);
      }
    } else {
      port.UseStandardFont(kStandardFontList);
      auto* strings = dynamic_cast<VStringArray*>(array);
      VStr<255> text;
      for (int32_t row = std::max(first, 1); row <= last && (row <= count || row <= selected);
           ++row) {
        const VString* shown = nullptr;
        if (strings != nullptr) {
          shown = strings->GetAt(row);
        } else {
          text.SetEmpty(false);
          array->FormatTo(text, nullptr, row);
          shown = &text;
        }
        const int32_t rect[4] = {0, (row - 1) * rh, c.width, rh};
        DrawLookElementText(port, kElementListCell, row == selected ? kStateSelected : 0, shown,
                            rect, 0);
      }
    }
    port.PopOrigin();
  }
}

// ---- Mouse and keys.

void VListView::SendSelection(VArray* array) {
  if (fSelectionMessage != 0) {
    NotifyParent(this, fSelectionMessage, reinterpret_cast<intptr_t>(array));
  }
}

bool VListView::ClickCell(VArray*, int32_t, VArray*, int32_t) { return false; }

bool VListView::MouseDown(VEvent& event) {
  if (fColumns.empty()) return true;
  if (event.IsDoubleClick() && fConfirmMessage != 0 && fCurrentColumn != nullptr) {
    NotifyParent(this, fConfirmMessage, reinterpret_cast<intptr_t>(fCurrentColumn));
    return true;
  }
  VArray* previous = fCurrentColumn;
  const int32_t y = event.GetY();
  // Above the first row (a negative point) there is no row.
  const int32_t row = y < 0 ? 0 : y / fRowHeight + 1;
  fCurrentColumn = nullptr;
  int32_t right = 0;
  for (const Column& c : fColumns) {
    right += c.width;
    if (right >= event.GetX()) {
      fCurrentColumn = c.array;
      break;
    }
  }
  VArray* firstArray = fColumns.front().array;
  const int32_t previousRow = firstArray != nullptr ? firstArray->GetCurrent() : 0;
  bool changed = row != previousRow;
  for (const Column& c : fColumns) {
    if (c.array != nullptr) c.array->SetCurrent(row);
  }
  // The cell hears of every click, also one that changed the row.
  if (fCurrentColumn != nullptr && ClickCell(fCurrentColumn, row, previous, previousRow)) {
    changed = true;
  }
  if (changed) {
    Invalidate(2);
    SendSelection(fCurrentColumn);
  }
  return true;
}

int32_t VListView::HandleKey(VEvent& event) { return HandleKeyCode(KeyCodeOf(event)); }

int32_t VListView::HandleKeyCode(int16_t keyCode) {
  if (fColumns.empty()) return kKeyNotHandled;
  switch (keyCode) {
    case kKeyReturn:
    case kKeyEnter:
      if (fConfirmMessage == 0) return kKeyNotHandled;
      NotifyParent(this, fConfirmMessage, reinterpret_cast<intptr_t>(fCurrentColumn));
      return 0;
    case kKeyUp:
    case kKeyDown: {
      VArray* array = fColumns.front().array;
      if (array == nullptr) return 0;
      const int32_t r = array->GetCurrent();
      if (keyCode == kKeyDown && r < array->Count()) {
        SelectRow(r + 1);
        SendSelection(array);
      } else if (keyCode == kKeyUp && r > 1) {
        SelectRow(r - 1);
        SendSelection(array);
      }
      return 0;
    }
    default: return kKeyNotHandled;
  }
}

void VListView::SelectRow(int32_t row) {
  for (const Column& c : fColumns) {
    if (c.array != nullptr) c.array->SetCurrent(row);
  }
  const int32_t top = (row - 1) * fRowHeight;
  if (top < GetScrollY()) {
    ScrollTo(GetScrollX(), top, true, 1);
  } else if (top + fRowHeight > GetScrollY() + GetHeight()) {
    ScrollTo(GetScrollX(), top + fRowHeight - GetHeight(), true, 1);
  } else {
    Invalidate(2);
  }
}

// ---- Check list.

VCheckListView::VCheckListView(VScrollContainer* container, int32_t selectionMessage,
                               int32_t confirmMessage)
    : VListView(container, selectionMessage, confirmMessage) {}

bool VCheckListView::ClickCell(VArray* array, int32_t row, VArray*, int32_t) {
  if (array == nullptr || array != GetColumnArray(1)) return false;
  // A click below the last row would find the last row current (the array
  // clamps the index) and must not toggle it.
  if (row < 1 || row > array->Count()) return false;
  Toggle(array);
  return true;
}

int32_t VCheckListView::HandleKey(VEvent& event) { return HandleCheckKeyCode(KeyCodeOf(event)); }

int32_t VCheckListView::HandleCheckKeyCode(int16_t keyCode) {
  VArray* checks = GetColumnArray(1);
  if (keyCode == kKeySpace && checks != nullptr && checks->GetCurrent() >= 1) {
    Toggle(checks);
    Invalidate(2);
    SendSelection(checks);
    return 0;
  }
  return HandleKeyCode(keyCode);
}

void VCheckListView::SetColumns(VArray* checks, VArray* names) {
  BeginUpdate();
  RemoveAllColumns();
  AddColumn(checks, kCheckColumnWidth, false);
  AddColumn(names, GetWidth() - kCheckColumnWidth, true);
  EndUpdate();
}
