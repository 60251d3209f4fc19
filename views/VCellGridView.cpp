#include "views/VCellGridView.h"

#include <algorithm>

#include "framework/core/containers/VArray.h"
#include "framework/system/environment/VSystemServices.h"
#include "views/VEvent.h"
#include "views/VShortcut.h"
#include "graphics/VIconShape.h"
#include "graphics/VPort.h"
#include "graphics/VRegion.h"

namespace {

constexpr int32_t kIconCell = 40;
constexpr int32_t kColorSelection = 30;

int16_t Side(int32_t v) { return static_cast<int16_t>(std::clamp(v, 1, 32767)); }

}  // namespace

VCellGridView::VCellGridView(VFrame* parent, int32_t cellWidth, int32_t cellHeight,
                             int32_t selectionMessage, int32_t confirmMessage)
    : VScrolledView(parent),
      fCellWidth(Side(cellWidth)),
      fCellHeight(Side(cellHeight)),
      fSelectionMessage(selectionMessage),
      fConfirmMessage(confirmMessage) {
  SetWidthFollowsView(true);
}

VCellGridView::~VCellGridView() = default;

int32_t VCellGridView::GetColumns() const { return std::max(1, GetWidth() / fCellWidth); }

int32_t VCellGridView::GetRows() const {
  const int32_t count = fArray != nullptr ? fArray->Count() : 0;
  const int32_t columns = GetColumns();
  return static_cast<int32_t>((int64_t{count} + columns - 1) / columns);
}

void VCellGridView::GetCellRect(int32_t item, int32_t& x, int32_t& y) const {
  const int32_t columns = GetColumns();
  x = (item - 1) % columns * fCellWidth;
  y = (item - 1) / columns * fCellHeight;
}

void VCellGridView::UpdateContentSize() {
  SetContentHeight(
      static_cast<int32_t>(std::min<int64_t>(int64_t{GetRows()} * fCellHeight, INT32_MAX)), true,
      1);
}

void VCellGridView::SetArray(VArray* array) {
  fArray = array;
  fSelected = fSelectFirst != 0 && array != nullptr && array->Count() > 0 ? 1 : 0;
  UpdateContentSize();
  Invalidate(1);
}

void VCellGridView::ResizeTo(int32_t width, int32_t height, int16_t mode) {
  VScrolledView::ResizeTo(width, height, mode);
  UpdateContentSize();
}

int32_t VCellGridView::GetVerticalLineStep(bool) { return fCellHeight; }

int32_t VCellGridView::GetVerticalPageStep(bool) {
  const int32_t cells = (GetHeight() + fCellHeight - 1) / fCellHeight;
  return std::max(1, cells) * fCellHeight;
}

// ---- Drawing.

void VCellGridView::DrawContent(VPort& port) {
  port.EraseRect(GetScrollX(), GetScrollY(), GetWidth(), GetHeight());
  const int32_t count = fArray != nullptr ? fArray->Count() : 0;
  if (count == 0) return;
  const int32_t columns = GetColumns();
  const int32_t firstRow = GetScrollY() / fCellHeight;
  const int32_t lastRow = (GetScrollY() + GetHeight()) / fCellHeight;
  for (int32_t row = firstRow; row <= lastRow; ++row) {
    for (int32_t column = 0; column < columns; ++column) {
      const int64_t item = int64_t{row} * columns + column + 1;
      if (item > count) return;
      DrawCell(port, static_cast<int32_t>(item), item == fSelected, false);
    }
  }
}

void VCellGridView::DrawCellNow(int32_t item) {
  if (fArray == nullptr || item < 1 || item > fArray->Count()) return;
  VPort* port = GetPort();
  if (port == nullptr) {
    int32_t x = 0, y = 0;
    GetCellRect(item, x, y);
    InvalidateRect(x, y, fCellWidth, fCellHeight, 1);
    return;
  }
  VRegion visible;
  GetVisibleRegion(visible);
  port->PushClip(false);
  port->ClipToRegion(visible, false);
  DrawCell(*port, item, item == fSelected, true);
  port->PopClip();
  // The flush hands the port back with its origins popped.
  FlushWindow();
}

void VCellGridView::Select(int32_t item) {
  const int32_t count = fArray != nullptr ? fArray->Count() : 0;
  if (item < 1 || item > count) item = 0;
  if (item == fSelected) return;
  const int32_t old = fSelected;
  fSelected = item;
  DrawCellNow(old);
  DrawCellNow(item);
  if (item == 0) return;
  int32_t x = 0, y = 0;
  GetCellRect(item, x, y);
  if (y < GetScrollY()) {
    ScrollTo(GetScrollX(), y, true, 1);
  } else if (y + fCellHeight > GetScrollY() + GetHeight()) {
    ScrollTo(GetScrollX(), y + fCellHeight - GetHeight(), true, 1);
  }
}

// ---- Mouse and keys.

void VCellGridView::Send(int32_t message) {
  if (message != 0) NotifyParent(this, message, reinterpret_cast<intptr_t>(fArray));
}

bool VCellGridView::MouseDown(VEvent& event) {
  const int32_t x = event.GetX();
  const int32_t y = event.GetY();
  const int32_t columns = GetColumns();
  if (x < 0 || y < 0 || x / fCellWidth >= columns) return true;
  const int64_t item = int64_t{y / fCellHeight} * columns + x / fCellWidth + 1;
  if (fArray == nullptr || item > fArray->Count()) return true;
  const bool changed = item != fSelected;
  Select(static_cast<int32_t>(item));
  if (event.IsDoubleClick()) {
    Send(fConfirmMessage);
  } else if (changed) {
    Send(fSelectionMessage);
  }
  return true;
}

int32_t VCellGridView::HandleKey(VEvent& event) {
  int16_t code = static_cast<int16_t>(event.GetKeyWord());
  if (event.HasHostRecord()) {
    VHostEventRecord record{};
    event.GetHostRecord(record);
    code = VShortcut(record).GetKeyCode();
  }
  return HandleKeyCode(code, event.IsShift());
}

int32_t VCellGridView::HandleKeyCode(int16_t keyCode, bool shift) {
  const int32_t count = fArray != nullptr ? fArray->Count() : 0;
  int32_t target = fSelected;
  switch (keyCode) {
    case kKeyReturn:
    case kKeyEnter:
      if (fConfirmMessage == 0) return kKeyNotHandled;
      Send(fConfirmMessage);
      return 0;
    case kKeyTab: target += shift ? -1 : 1; break;
    case kKeyLeft: target -= 1; break;
    case kKeyRight: target += 1; break;
    case kKeyPageUp: target = 1; break;
    case kKeyPageDown: target = count; break;
    case kKeyUp: target -= GetColumns(); break;
    case kKeyDown: target = fSelected == 0 ? 1 : target + GetColumns(); break;
    default: return kKeyNotHandled;
  }
  // A move past either end stays where it was.
  if (count > 0 && target >= 1 && target <= count && target != fSelected) {
    Select(target);
    Send(fSelectionMessage);
  }
  return 0;
}

// ---- Icon grid.

VIconGridView::VIconGridView(VFrame* parent, int32_t selectionMessage, int32_t confirmMessage)
    : VCellGridView(parent, kIconCell, kIconCell, selectionMessage, confirmMessage) {}

VIconGridView::~VIconGridView() {
  for (auto& [id, icon] : fIcons) delete icon;
  fIcons.clear();
}

void VIconGridView::DrawCell(VPort& port, int32_t item, bool selected, bool immediate) {
  VArray* array = GetArray();
  if (array == nullptr) return;
  int32_t x = 0, y = 0;
  GetCellRect(item, x, y);
  if (immediate) port.EraseRect(x, y, kIconCell, kIconCell);
  const int32_t id = array->GetLong(item);
  VIconShape*& icon = fIcons[id];
  if (icon == nullptr) {
    VResourceFile* file =
        gSystemServices != nullptr ? gSystemServices->GetModuleResourceFile() : nullptr;
    icon = new VIconShape(file, static_cast<int16_t>(id));
  }
  icon->SetPosition(x + (kIconCell - icon->GetWidth()) / 2,
                    y + (kIconCell - icon->GetHeight()) / 2);
  port.DrawIcon(*icon, 0);
  if (!selected) return;
  port.SetPenColorIndex(kColorSelection);
  port.SetPenWidth(1);
  port.FrameRect(x + 1, y + 1, 38, 38);
  port.FrameRect(x + 2, y + 2, 36, 36);
}
