// The grid menus: menus shown as one owner-drawn Win32 item that the menu
// window procedure measures, draws and tracks, whose choice is the cell
// under the cursor rather than a command id. VColorMenu shows a 16 x 16
// grid of palette colours (and rows of its command's choice list) and keeps
// the chosen colour in its command's value; VPatternMenu shows a 6 x 6 grid
// of fill patterns and keeps the chosen cell.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "controls/menus/GridResources.h"
#include "controls/menus/VMenuBase.h"
#include "controls/menus/VMenuItem.h"

class VArray;
class VGridMenu;
class VIconShape;

// What the grid's one owner-drawn item carries: its menu.
class VGridDrawData : public VMenuDrawData {
 public:
  explicit VGridDrawData(VGridMenu* menu);
  ~VGridDrawData() override;
  VGridDrawData(const VGridDrawData&) = delete;
  VGridDrawData& operator=(const VGridDrawData&) = delete;
  VGridMenu* GetGridMenu() const;
  // The draw data at this address, when one lives there: a window's user
  // data is only taken for a grid's once it is known to be one.
  static VGridDrawData* FindLive(intptr_t address);
};

class VGridMenu : public VMenuBase {
 public:
  using VMenuBase::VMenuBase;
  // Forgets the draw data wherever the menu window procedure keeps it.
  ~VGridMenu() override;

  // Makes the draw data and the one owner-drawn item, then loads the
  // resource the grid shows.
  void Realize(VPort* port, bool asPopUp, bool measureAfter) override;
  // Releases the resource and the draw data, then the Win32 menu.
  void Unrealize(bool recursive) override;
  bool IsGrid() const override { return true; }
  int32_t GetWidth() const override { return fWidth; }
  virtual void LoadResource() {}
  virtual void ReleaseResource() {}

  VGridDrawData* GetDrawData() const { return fDrawData.get(); }
  // The cell the window procedure's tracking highlights; -1 for none.
  int16_t GetHighlightedCell() const { return fHighlighted; }
  void SetHighlightedCell(int32_t cell) { fHighlighted = static_cast<int16_t>(cell); }

 protected:
  // The command's value read as a number, or `none` when it has no number
  // value.
  int32_t CurrentNumber(int32_t none) const;
  // Sets the command's value to the number (a new number value when it had
  // none or one of another kind) and sends the command, when that changes
  // it.
  void ChooseNumber(int32_t number, int32_t missing);

  std::unique_ptr<VGridDrawData> fDrawData;
  int16_t fHighlighted = -1;
  int32_t fWidth = 0;
};

class VColorMenu : public VGridMenu {
 public:
  VColorMenu(VFrame* owner, VPort* port, int32_t commandId);
  VColorMenu(VMenuBase* parentMenu, VPort* port, int32_t commandId);

  // The module's 'pltt' 9000.
  void LoadResource() override;
  void ReleaseResource() override;
  // Takes these colours as the palette (tests, and callers with their own).
  void SetPalette(std::vector<uint32_t> colors);
  bool HasPalette() const { return fHavePalette; }

  void Measure(VPort* port, int32_t& width, int32_t& height) override;
  void Draw(VPort* port, int32_t width, int32_t height) override;
  // Cells 1 to 256 are the grid's, 257 and up the choice list's rows.
  int32_t TrackHilite(VPort* port, int32_t width, int32_t height, int32_t x, int32_t y,
                      int32_t previous, int32_t& chosen) override;
  void GetItemBounds(int32_t cell, int32_t& left, int32_t& top, int32_t& width,
                     int32_t& height) const override;
  void ChooseItem(int32_t cell) override;

  // The cell under a point of a menu `height` high; 0 for none.
  int32_t CellAt(int32_t x, int32_t y, int32_t height) const;

 private:
  int32_t Size() const { return fSmallFont ? 6 : 8; }
  int32_t Gap() const { return fSmallFont ? 1 : 2; }
  int32_t Band() const { return fSmallFont ? 18 : 32; }
  int32_t GridBottom() const { return 16 * Size() + 17 * Gap(); }
  int32_t ListCount() const;
  // Draws a choice-list row in the element state.
  void DrawListRow(VPort* port, int32_t row, int32_t width, int32_t state);
  // The not-xor frame of a grid cell's highlight: drawing it twice removes it.
  void ToggleCellFrame(VPort* port, int32_t cell);

  std::vector<uint32_t> fColors;
  bool fHavePalette = false;
  VArray* fChoiceList = nullptr;  // the command's, borrowed
  int32_t fListRowHeight = 0;
  int32_t fListRowCount = 0;
};

class VPatternMenu : public VGridMenu {
 public:
  VPatternMenu(VFrame* owner, VPort* port, int32_t commandId);
  VPatternMenu(VMenuBase* parentMenu, VPort* port, int32_t commandId);
  ~VPatternMenu() override;

  // The module's 'PAT#' 9000.
  void LoadResource() override;
  void ReleaseResource() override;
  void SetPatterns(std::vector<std::array<uint8_t, kPatternSize>> patterns);
  bool HasPatterns() const { return fHavePatterns; }

  void Measure(VPort* port, int32_t& width, int32_t& height) override;
  void Draw(VPort* port, int32_t width, int32_t height) override;
  int32_t TrackHilite(VPort* port, int32_t width, int32_t height, int32_t x, int32_t y,
                      int32_t previous, int32_t& chosen) override;
  void GetItemBounds(int32_t cell, int32_t& left, int32_t& top, int32_t& width,
                     int32_t& height) const override;
  void ChooseItem(int32_t cell) override;

  int32_t CellAt(int32_t x, int32_t y, int32_t width, int32_t height) const;

 private:
  int32_t CellWidth() const { return fSmallFont ? 16 : 24; }
  int32_t CellHeight() const { return fSmallFont ? 12 : 16; }
  int32_t Gap() const { return fSmallFont ? 1 : 2; }
  // Erases, fills and frames cell n as Draw shows it.
  void DrawCell(VPort* port, int32_t cell);

  std::vector<std::array<uint8_t, kPatternSize>> fPatterns;
  bool fHavePatterns = false;
  std::unique_ptr<VIconShape> fIcon;
};
