// The grid menus: the one owner-drawn item, the colour grid with its
// choice-list rows, and the pattern grid.
#include "controls/menus/VGridMenu.h"

#include <algorithm>
#include <set>

#include "boundary/FourCC.h"
#include "controls/menus/VMenuItemRef.h"
#include "controls/menus/VWinMenuBar.h"
#include "framework/core/containers/VArray.h"
#include "framework/core/values/VValue.h"
#include "framework/system/environment/VSystemServices.h"
#include "framework/system/resources/VResourceFile.h"
#include "graphics/VIconShape.h"
#include "graphics/VPort.h"
#include "graphics/VShape.h"
#include "views/VCommand.h"

namespace {

VResourceFile* ModuleFile() {
  return gSystemServices != nullptr ? gSystemServices->GetModuleResourceFile() : nullptr;
}

constexpr int16_t kGridResourceId = 9000;

// Reads a resource of the module's file through `read`; false when it is
// missing or its bytes are refused.
template <typename Read>
bool ReadModuleResource(uint32_t type, Read read) {
  VResourceFile* file = ModuleFile();
  if (file == nullptr) return false;
  uint8_t owned = 0;
  const VResourceRef ref = file->GetResource(type, kGridResourceId, &owned);
  if (ref == 0) return false;
  bool answer = false;
  if (const auto* data = static_cast<const uint8_t*>(file->LockResource(ref))) {
    answer = read(data, file->GetResourceSize(ref));
    file->UnlockResource(ref);
  }
  file->ReleaseResource(ref);
  return answer;
}

}  // namespace

namespace {

std::set<const VGridDrawData*>& LiveDrawData() {
  static std::set<const VGridDrawData*> live;
  return live;
}

}  // namespace

VGridDrawData::VGridDrawData(VGridMenu* menu) : VMenuDrawData(menu) { LiveDrawData().insert(this); }

VGridDrawData::~VGridDrawData() { LiveDrawData().erase(this); }

VGridDrawData* VGridDrawData::FindLive(intptr_t address) {
  const auto& live = LiveDrawData();
  const auto found = live.find(reinterpret_cast<const VGridDrawData*>(address));
  return found != live.end() ? const_cast<VGridDrawData*>(*found) : nullptr;
}

VGridMenu* VGridDrawData::GetGridMenu() const { return static_cast<VGridMenu*>(fMenu); }

VGridMenu::~VGridMenu() {
  if (fDrawData != nullptr) ForgetGridDrawData(fDrawData.get());
}

void VGridMenu::Realize(VPort*, bool asPopUp, bool) {
  // A sub-menu's Win32 menu goes when its parent's is destroyed.
  if (fHandle != nullptr && !IsMenu(fHandle)) fHandle = nullptr;
  if (fHandle != nullptr) return;
  if (fDrawData == nullptr) fDrawData = std::make_unique<VGridDrawData>(this);
  fHandle = asPopUp ? CreatePopupMenu() : CreateMenu();
  if (fHandle == nullptr) return;
  if (!asPopUp && fCommand != nullptr) fCommand->AddTitleListener(this);
  // The choice is never told by a command id: the window procedure's
  // tracking keeps the highlighted cell instead.
  MENUITEMINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_STATE | MIIM_TYPE | MIIM_DATA;
  info.fType = MFT_OWNERDRAW;
  info.fState = MFS_ENABLED;
  info.dwItemData = reinterpret_cast<ULONG_PTR>(static_cast<VMenuDrawData*>(fDrawData.get()));
  InsertMenuItemA(fHandle, 1, TRUE_, &info);
  LoadResource();
}

void VGridMenu::Unrealize(bool recursive) {
  ReleaseResource();
  RemoveMenuItemRefs(this);
  if (fDrawData != nullptr) {
    ForgetGridDrawData(fDrawData.get());
    fDrawData.reset();
  }
  VMenuBase::Unrealize(recursive);
}

int32_t VGridMenu::CurrentNumber(int32_t none) const {
  if (fCommand == nullptr) return none;
  const VValue* value = fCommand->GetValue();
  return value != nullptr && value->GetKind() == kValueLong ? fCommand->GetLong() : none;
}

void VGridMenu::ChooseNumber(int32_t number, int32_t missing) {
  if (fCommand == nullptr || number == CurrentNumber(missing)) return;
  fCommand->SetLong(nullptr, number, 1);
  SendCommand(fCommand->GetId(), 0);
}

// ---- The colour menu.

VColorMenu::VColorMenu(VFrame* owner, VPort*, int32_t commandId) : VGridMenu(owner) {
  TakeCommand(commandId);
}

VColorMenu::VColorMenu(VMenuBase* parentMenu, VPort*, int32_t commandId) : VGridMenu(parentMenu) {
  TakeCommand(commandId);
}

void VColorMenu::LoadResource() {
  std::vector<uint32_t> colors;
  if (ReadModuleResource(FourCC("pltt"), [&](const uint8_t* data, size_t size) {
        return ReadPaletteColors(data, size, colors) == kMenuLoaded;
      })) {
    SetPalette(std::move(colors));
  }
}

void VColorMenu::ReleaseResource() {
  fColors.clear();
  fHavePalette = false;
}

void VColorMenu::SetPalette(std::vector<uint32_t> colors) {
  fColors = std::move(colors);
  fColors.resize(std::min(fColors.size(), kPaletteCells));
  fHavePalette = true;
}

int32_t VColorMenu::ListCount() const {
  // The list is the command's, borrowed: a list replaced since the measure
  // is not read through the old pointer, and rows it no longer has are none.
  const VArray* list = fCommand != nullptr ? fCommand->GetChoiceList() : nullptr;
  if (list == nullptr || list != fChoiceList) return 0;
  return std::clamp(fListRowCount, 0, list->Count());
}

void VColorMenu::Measure(VPort* port, int32_t& width, int32_t& height) {
  width = 16 * Size() + 17 * Gap();
  height = width + Band();
  fChoiceList = fCommand != nullptr ? fCommand->GetChoiceList() : nullptr;
  fListRowCount = 0;
  if (fChoiceList != nullptr && port != nullptr) {
    port->UseStandardFont(fSmallFont ? 1 : 0);
    fListRowCount = fChoiceList->Count();
    fListRowHeight = port->GetLineHeight() + 2;
    height += Gap() + fListRowHeight * ListCount();
  }
  fWidth = width;
}

void VColorMenu::DrawListRow(VPort* port, int32_t row, int32_t width, int32_t state) {
  VStr<255> text;
  fChoiceList->FormatTo(text, nullptr, row);
  const int32_t y = 18 * Gap() + 16 * Size() + Band() + (row - 1) * fListRowHeight;
  port->DrawThemeElement(fSmallFont ? 6 : 5, state, 0, y, width, fListRowHeight, &text, 0);
}

void VColorMenu::Draw(VPort* port, int32_t width, int32_t) {
  if (!fHavePalette || port == nullptr) return;
  const int32_t s = Size();
  const int32_t g = Gap();
  const int32_t current = CurrentNumber(-1);
  bool framed = false;
  for (int32_t row = 1; row <= 16; ++row) {
    for (int32_t column = 1; column <= 16; ++column) {
      // A short palette leaves the cells beyond it empty.
      const size_t entry = size_t((row - 1) * 16 + column - 1);
      if (entry >= fColors.size()) continue;
      const int32_t x = g + (column - 1) * (s + g);
      const int32_t y = g + (row - 1) * (s + g);
      port->SetFillColor(fColors[entry]);
      port->PaintRect(x, y, s, s);
      if (!framed && int32_t(fColors[entry]) == current) {
        framed = true;
        port->SetPenWidth(1);
        port->SetPenColorIndex(10);
        port->FrameRect(x - g, y - g, s + 2 * g, s + 2 * g);
      }
    }
  }
  // The swatch shows the current colour; a choice-list row is no colour.
  if (current >= 0 && (uint32_t(current) & 0xFF000000u) == 0) {
    port->SetFillColor(uint32_t(current));
    port->PaintRect(g, GridBottom(), 7 * g + 8 * s, Band());
  }
  for (int32_t row = 1; row <= ListCount(); ++row) DrawListRow(port, row, width, 0);
}

int32_t VColorMenu::CellAt(int32_t x, int32_t y, int32_t height) const {
  const int32_t s = Size();
  const int32_t g = Gap();
  const int32_t width = 16 * s + 17 * g;
  const int32_t listTop = height - fListRowHeight * ListCount();
  if (x < g || x > width - 2 * g || y < g || y > height - 2 * g) return 0;
  if (y >= listTop && ListCount() > 0) {
    const int32_t row = 1 + (y - GridBottom() - Band() - g) / fListRowHeight;
    return row >= 1 && row <= ListCount() ? 256 + row : 0;
  }
  if (y > GridBottom()) return 0;
  // The gap under the last row (and right of the last column) belongs to no
  // cell: counted on, it would name a choice-list row or the next row.
  const int32_t row = (y - 1) / (s + g);
  const int32_t column = (x - 1) / (s + g);
  if (row > 15 || column > 15) return 0;
  return row * 16 + 1 + column;
}

void VColorMenu::ToggleCellFrame(VPort* port, int32_t cell) {
  const int32_t s = Size();
  const int32_t g = Gap();
  port->SetPenColorIndex(33);
  port->FrameRect((s + g) * ((cell - 1) % 16), (s + g) * ((cell - 1) / 16), s + 2 * g, s + 2 * g);
}

int32_t VColorMenu::TrackHilite(VPort* port, int32_t width, int32_t height, int32_t x, int32_t y,
                                int32_t previous, int32_t& chosen) {
  chosen = 0;
  if (fCommand == nullptr || port == nullptr) return 0;
  const int32_t cell = CellAt(x, y, height);
  if (previous < 0) previous = 0;
  if (cell != previous) {
    const int16_t keptWidth = static_cast<int16_t>(port->GetPenWidth());
    const int16_t keptMode = port->GetPenMode();
    port->SetPenWidth(static_cast<int16_t>(Gap()));
    port->SetPenMode(2);
    if (previous >= 1 && previous <= 256) {
      ToggleCellFrame(port, previous);
    } else if (previous > 256 && previous - 256 <= ListCount()) {
      port->SetPenMode(0);
      DrawListRow(port, previous - 256, width, 0);
      port->SetPenMode(2);
    }
    if (cell >= 1 && cell <= 256) {
      ToggleCellFrame(port, cell);
      port->SetPenMode(0);
      const size_t entry = size_t(cell - 1);
      if (entry < fColors.size()) {
        port->SetFillColor(fColors[entry]);
        port->PaintRect(9 * Gap() + 8 * Size(), GridBottom(), 7 * Gap() + 8 * Size(), Band());
      }
    } else if (cell > 256) {
      port->SetPenMode(0);
      DrawListRow(port, cell - 256, width, -100);
    }
    port->SetPenMode(keptMode);
    port->SetPenWidth(keptWidth);
  }
  chosen = cell;
  return cell;
}

void VColorMenu::GetItemBounds(int32_t cell, int32_t& left, int32_t& top, int32_t& width,
                               int32_t& height) const {
  const int32_t s = Size();
  const int32_t g = Gap();
  if (cell >= 1 && cell <= 256) {
    left = (s + g) * ((cell - 1) % 16);
    top = (s + g) * ((cell - 1) / 16);
    width = height = s;
    return;
  }
  // Row 1 (cell 257) is the first row under the swatch, where Draw puts it.
  left = g;
  top = 16 * s + 18 * g + Band() + (cell - 257) * fListRowHeight;
  width = 15 * g + 16 * s;
  height = fListRowHeight;
}

void VColorMenu::ChooseItem(int32_t cell) {
  if (!fHavePalette || fCommand == nullptr) return;
  int32_t color = 0;
  if (cell >= 1 && cell <= 256) {
    // A cell beyond a short palette shows nothing and chooses nothing.
    if (size_t(cell - 1) >= fColors.size()) return;
    color = int32_t(fColors[size_t(cell - 1)]);
  } else if (cell > 256 && cell - 256 <= ListCount()) {
    color = int32_t(uint32_t(cell - 256) | 0xFF000000u);
  } else {
    return;
  }
  ChooseNumber(color, -1);
}

// ---- The pattern menu.

VPatternMenu::VPatternMenu(VFrame* owner, VPort*, int32_t commandId) : VGridMenu(owner) {
  TakeCommand(commandId);
}

VPatternMenu::VPatternMenu(VMenuBase* parentMenu, VPort*, int32_t commandId)
    : VGridMenu(parentMenu) {
  TakeCommand(commandId);
}

VPatternMenu::~VPatternMenu() = default;

void VPatternMenu::LoadResource() {
  std::vector<std::array<uint8_t, kPatternSize>> patterns;
  if (ReadModuleResource(FourCC("PAT#"), [&](const uint8_t* data, size_t size) {
        return ReadPatternList(data, size, patterns) == kMenuLoaded;
      })) {
    SetPatterns(std::move(patterns));
  }
}

void VPatternMenu::ReleaseResource() {
  fPatterns.clear();
  fHavePatterns = false;
}

void VPatternMenu::SetPatterns(std::vector<std::array<uint8_t, kPatternSize>> patterns) {
  fPatterns = std::move(patterns);
  fPatterns.resize(std::min(fPatterns.size(), kPatternCells));
  fHavePatterns = true;
}

void VPatternMenu::Measure(VPort*, int32_t& width, int32_t& height) {
  width = 6 * CellWidth() + 7 * Gap();
  height = 6 * CellHeight() + 7 * Gap();
  fWidth = width;
}

void VPatternMenu::DrawCell(VPort* port, int32_t cell) {
  const int32_t g = Gap();
  const int32_t x = g + ((cell - 1) % 6) * (CellWidth() + g);
  const int32_t y = g + ((cell - 1) / 6) * (CellHeight() + g);
  port->SetPenMode(1);
  port->SetPenWidth(1);
  port->SetPenColorIndex(10);
  port->SetBackColorIndex(0);
  port->SetFillColorIndex(10);
  port->EraseRect(x, y, CellWidth(), CellHeight());
  if (cell == 1) {
    if (fIcon != nullptr) {
      fIcon->SetPosition(x + (CellWidth() - fIcon->GetWidth()) / 2 + 1,
                         y + (CellHeight() - fIcon->GetHeight()) / 2 + 1);
      port->DrawIcon(*fIcon, 0);
    }
  } else if (size_t(cell - 2) < fPatterns.size()) {
    port->SetFillPattern(fPatterns[size_t(cell - 2)].data());
    port->PaintRect(x, y, CellWidth(), CellHeight());
    port->SetFillPatternIndex(6);
  }
  port->FrameRect(x, y, CellWidth(), CellHeight());
  if (cell == CurrentNumber(0)) {
    port->SetPenColorIndex(11);
    const int32_t out = fSmallFont ? 0 : 1;
    port->FrameRect(x - out, y - out, CellWidth() + 2 * out, CellHeight() + 2 * out);
  }
}

void VPatternMenu::Draw(VPort* port, int32_t, int32_t) {
  if (!fHavePatterns || port == nullptr) return;
  if (fIcon == nullptr) {
    VResourceFile* file = ModuleFile();
    const int16_t id = fSmallFont ? 9017 : 9016;
    if (file != nullptr && file->HasResource(FourCC("cicn"), id)) {
      fIcon = std::make_unique<VIconShape>(file, id);
    }
  }
  const int16_t keptMode = port->GetPenMode();
  for (int32_t cell = 1; cell <= 36; ++cell) DrawCell(port, cell);
  port->SetFillPatternIndex(6);
  port->SetPenMode(keptMode);
}

int32_t VPatternMenu::CellAt(int32_t x, int32_t y, int32_t width, int32_t height) const {
  if (!(0 < x && x < width && 0 < y && y < height)) return 0;
  // The gap right of the last column and under the last row is no cell;
  // counted on it would name the next row's first cell, or a 37th.
  const int32_t row = (y - 1) / (CellHeight() + Gap());
  const int32_t column = (x - 1) / (CellWidth() + Gap());
  if (row > 5 || column > 5) return 0;
  return row * 6 + 1 + column;
}

int32_t VPatternMenu::TrackHilite(VPort* port, int32_t width, int32_t height, int32_t x,
                                  int32_t y, int32_t previous, int32_t& chosen) {
  chosen = 0;
  if (fCommand == nullptr || port == nullptr) return 0;
  const int32_t cell = CellAt(x, y, width, height);
  if (previous < 0) previous = 0;
  if (cell != previous) {
    const int16_t keptMode = port->GetPenMode();
    const int32_t g = Gap();
    if (previous >= 1 && previous <= 36) {
      if (!fSmallFont) {
        // The outset frame reached into the gap: the menu's frame repaints
        // it there first.
        const int32_t px = g + ((previous - 1) % 6) * (CellWidth() + g) - 1;
        const int32_t py = g + ((previous - 1) / 6) * (CellHeight() + g) - 1;
        port->PushClip(false);
        port->ClipToRect(VRect(px, py, CellWidth() + 2, CellHeight() + 2), true);
        DrawFrame(port, width, height);
        port->PopClip();
      }
      DrawCell(port, previous);
    }
    if (cell != 0) {
      DrawCell(port, cell);
      const int32_t out = fSmallFont ? 0 : 1;
      port->SetPenColorIndex(13);
      port->FrameRect(g + ((cell - 1) % 6) * (CellWidth() + g) - out,
                      g + ((cell - 1) / 6) * (CellHeight() + g) - out, CellWidth() + 2 * out,
                      CellHeight() + 2 * out);
    }
    port->SetFillPatternIndex(6);
    port->SetPenMode(keptMode);
  }
  chosen = cell;
  return cell;
}

void VPatternMenu::GetItemBounds(int32_t cell, int32_t& left, int32_t& top, int32_t& width,
                                 int32_t& height) const {
  // The normal pitch, whatever the font.
  left = 1 + 26 * ((cell - 1) % 6);
  top = 1 + 18 * ((cell - 1) / 6);
  width = 26;
  height = 18;
}

void VPatternMenu::ChooseItem(int32_t cell) {
  if (fCommand == nullptr || cell < 1 || cell > 36) return;
  // A cell past a short list shows nothing and chooses nothing.
  if (cell >= 2 && size_t(cell - 2) >= fPatterns.size()) return;
  ChooseNumber(cell, -1);
}
