// VFontMenu: the Win32 menu of font names and its self-drawn form.
#include "controls/menus/VFontMenu.h"

#include <algorithm>
#include <vector>

#include "controls/menus/VMenu.h"
#include "controls/menus/VMenuItemRef.h"
#include "framework/core/containers/VStringArray.h"
#include "framework/core/values/VValue.h"
#include "framework/system/environment/VSystemServices.h"
#include "graphics/VPort.h"
#include "platform/win32/WinWindowState.h"
#include "views/VCommand.h"

namespace {

// The check drawn before the current font: character 18 of the Macintosh
// set.
constexpr uint8_t kCheckChar = 18;

}  // namespace

VFontMenu::VFontMenu(VFrame* owner, VPort*, int32_t commandId, uint8_t fontList)
    : VMenuBase(owner), fFontList(fontList) {
  TakeCommand(commandId);
}

VFontMenu::VFontMenu(VMenuBase* parentMenu, VPort*, int32_t commandId, uint8_t fontList)
    : VMenuBase(parentMenu), fFontList(fontList) {
  TakeCommand(commandId);
}

VStringArray* VFontMenu::GetFonts() const {
  return gSystemServices != nullptr ? gSystemServices->GetFontList(fFontList != 0) : nullptr;
}

int32_t VFontMenu::CountItems() const {
  const VStringArray* fonts = GetFonts();
  return fonts != nullptr ? fonts->Count() : 0;
}

int32_t VFontMenu::CurrentIndex() const {
  const VStringArray* fonts = GetFonts();
  if (fonts == nullptr || fCommand == nullptr) return 0;
  const VValue* value = fCommand->GetValue();
  if (value == nullptr || value->GetKind() != kValueString) return 0;
  const auto* current = static_cast<const VString*>(value);
  for (int32_t i = 1; i <= fonts->Count(); ++i) {
    const VString* name = fonts->GetAt(i);
    if (name != nullptr && name->Compare(*current, true) == 0) return i;
  }
  return 0;
}

UINT VFontMenu::ItemState(int32_t index, int32_t current) const {
  const bool enabled = fCommand != nullptr && fCommand->IsEnabled();
  return (enabled ? MFS_ENABLED : MFS_GRAYED) | (index == current ? MFS_CHECKED : 0);
}

void VFontMenu::Realize(VPort*, bool asPopUp, bool) {
  // A sub-menu's Win32 menu goes when its parent's is destroyed.
  if (fHandle != nullptr && !IsMenu(fHandle)) {
    RemoveMenuItemRefs(this);
    fHandle = nullptr;
  }
  if (fHandle != nullptr) {
    Refresh(fCommand);
    return;
  }
  VStringArray* fonts = GetFonts();
  const int32_t count = CountItems();
  if (fCommand != nullptr && count > 0) {
    const VValue* value = fCommand->GetValue();
    if (value == nullptr || value->GetKind() != kValueString) {
      fCommand->SetString(nullptr, *fonts->GetAt(1), 1);
    }
  }
  if (!asPopUp && fCommand != nullptr) fCommand->AddTitleListener(this);
  fHandle = asPopUp ? CreatePopupMenu() : CreateMenu();
  if (fHandle == nullptr) return;
  const int32_t current = CurrentIndex();
  const int32_t rows = VMenu::RowsPerColumn(count, GetSystemMetrics(SM_CYSCREEN),
                                            GetSystemMetrics(SM_CYMENU));
  std::vector<char> text;
  for (int32_t i = 1; i <= count; ++i) {
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STATE | MIIM_ID | MIIM_TYPE | MIIM_DATA;
    info.fType = MFT_STRING;
    if (i > 1 && (i - 1) % rows == 0) info.fType |= MFT_MENUBARBREAK;
    info.fState = ItemState(i, current);
    const auto* record = new VMenuItemRef(this, static_cast<int16_t>(std::min(i, 32767)));
    info.wID = record->GetIndex();
    // Past the registry's room (or the 16-bit positions) a font can never
    // be told apart when chosen: it is shown, disabled.
    if (info.wID == 0 || i > 32767) {
      info.wID = 0;
      info.fState = MFS_GRAYED;
      delete record;
    }
    const VString& name = *fonts->GetAt(i);
    text.assign(static_cast<size_t>(name.GetLength()) * 2 + 2, '\0');
    name.GetCText(text.data(), static_cast<int32_t>(text.size()), kCharSetAnsi);
    info.dwTypeData = text.data();
    InsertMenuItemA(fHandle, UINT(i), TRUE_, &info);
  }
}

void VFontMenu::Refresh(VCommand*) {
  if (fHandle == nullptr) return;
  const int32_t current = CurrentIndex();
  const int n = GetMenuItemCount(fHandle);
  for (int position = 0; position < n; ++position) {
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STATE;
    info.fState = ItemState(position + 1, current);
    SetMenuItemInfoA(fHandle, UINT(position), TRUE_, &info);
  }
}

void VFontMenu::ChooseItem(int32_t index) {
  const VStringArray* fonts = GetFonts();
  if (fCommand == nullptr || fonts == nullptr || index < 1 || index > fonts->Count()) return;
  fCommand->SetString(nullptr, *fonts->GetAt(index), 1);
  SendCommand(fCommand->GetId(), 0);
}

// ---- The self-drawn form.

void VFontMenu::Measure(VPort* port, int32_t& width, int32_t& height) {
  if (port == nullptr) return;
  port->UseStandardFont(fSmallFont ? 1 : 0);
  const VStringArray* fonts = GetFonts();
  const int32_t count = CountItems();
  int32_t widest = 0;
  for (int32_t i = 1; i <= count; ++i) {
    widest = std::max(widest, static_cast<int32_t>(port->MeasureString(*fonts->GetAt(i))));
  }
  fCheckWidth = static_cast<int16_t>(port->MeasureChar(kCheckChar, 1));
  fRowHeight = static_cast<int16_t>(std::max<int32_t>(port->GetLineHeight(), 1));
  width = widest + fCheckWidth + 10;
  fTotalHeight = fRowHeight * count;
  fFirstVisible = 1;
  fScroll = 0;
  fCurrentRow = static_cast<int16_t>(CurrentIndex());
  if (fTotalHeight > height) {
    // At least one row shows, however low the room.
    fLastVisible = static_cast<int16_t>(std::max(height / fRowHeight - 1, 1));
    height = fRowHeight * (fLastVisible + 1);
  } else {
    height = fTotalHeight;
    fLastVisible = static_cast<int16_t>(count);
  }
  fWidth = width;
}

int32_t VFontMenu::RowTop(int32_t index) const {
  const int32_t band = fFirstVisible > 1 ? fRowHeight : 0;
  return band + fRowHeight * (index - fFirstVisible);
}

void VFontMenu::DrawBand(VPort* port, int32_t top, int32_t width, bool highlighted) {
  port->SetFillColorIndex(highlighted ? 10 : 0);
  port->PaintRect(0, top, width, fRowHeight);
}

void VFontMenu::DrawRow(VPort* port, int32_t index, int32_t width, bool highlighted) {
  const VStringArray* fonts = GetFonts();
  if (fonts == nullptr || index < 1 || index > fonts->Count()) return;
  port->PushOrigin(0, RowTop(index));
  port->UseStandardFont(fSmallFont ? 1 : 0);
  port->SetFillColorIndex(highlighted ? 10 : 0);
  port->PaintRect(0, 0, width, fRowHeight);
  port->SetTextColorIndex(highlighted ? 0 : 10);
  const int32_t ascent = port->GetFontAscent();
  if (index == fCurrentRow) {
    port->MoveTo(4, ascent, true);
    port->DrawTextRun(&kCheckChar, 1, 1);
  }
  port->MoveTo(fCheckWidth + 4, ascent, true);
  port->DrawString(*fonts->GetAt(index));
  port->PopOrigin();
}

void VFontMenu::Draw(VPort* port, int32_t width, int32_t height) {
  if (port == nullptr) return;
  const bool scrolls = fTotalHeight > height;
  const int32_t first = scrolls ? fFirstVisible : 1;
  const int32_t last = scrolls ? fLastVisible : CountItems();
  if (scrolls && first > 1) DrawBand(port, 0, width, fScroll == 1);
  for (int32_t i = first; i <= last; ++i) DrawRow(port, i, width, false);
  if (scrolls && last < CountItems()) DrawBand(port, height - fRowHeight, width, fScroll == 2);
}

int32_t VFontMenu::TrackHilite(VPort* port, int32_t width, int32_t height, int32_t x, int32_t y,
                               int32_t previous, int32_t& chosen) {
  chosen = 0;
  if (port == nullptr || fRowHeight <= 0) return 0;
  const int32_t count = CountItems();
  const bool scrolls = fTotalHeight > height;
  int16_t state = 0;
  if (scrolls && fFirstVisible > 1 && y >= 0 && y < fRowHeight) state = 1;
  if (scrolls && fLastVisible < count && y >= height - fRowHeight && y < height) state = 2;
  if (state != 0) {
    fScroll = state;
    const bool fast = state == 1 ? fFirstVisible >= 4 && y < fRowHeight / 2
                                 : count - fLastVisible >= 4 && y > height - fRowHeight / 2;
    const int32_t visible = fLastVisible - fFirstVisible;
    const int32_t step = (fast ? 3 : 1) * (state == 1 ? -1 : 1);
    fFirstVisible = static_cast<int16_t>(std::clamp(fFirstVisible + step, 1, std::max(count - visible, 1)));
    fLastVisible = static_cast<int16_t>(std::min(fFirstVisible + visible, count));
    Draw(port, width, height);
    return 0;
  }
  if (fScroll != 0) {
    fScroll = 0;
    Draw(port, width, height);
  }
  int32_t row = 0;
  if (0 < x && x < width && 0 < y && y < height) {
    const int32_t band = scrolls && fFirstVisible > 1 ? fRowHeight : 0;
    row = y < band ? 0 : (y - band) / fRowHeight + fFirstVisible;
    if (row > (scrolls ? fLastVisible : count)) row = 0;
  }
  if (fCommand == nullptr || !fCommand->IsEnabled()) row = 0;
  if (row != previous) {
    if (previous >= 1 && previous <= count) DrawRow(port, previous, width, false);
    if (row != 0) DrawRow(port, row, width, true);
  }
  chosen = row;
  return row;
}

void VFontMenu::GetItemBounds(int32_t index, int32_t& left, int32_t& top, int32_t& width,
                              int32_t& height) const {
  left = 0;
  top = RowTop(index);
  width = fWidth;
  height = fRowHeight;
}
