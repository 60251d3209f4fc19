// VCellGridView: the items of an array shown as a grid of equal cells,
// filled row by row as wide as the view allows, with one selected item.
// Subclasses draw a cell; VIconGridView draws each item's colour icon.
#pragma once

#include <cstdint>
#include <map>

#include "views/VScrolledView.h"

class VArray;
class VIconShape;

class VCellGridView : public VScrolledView {
 public:
  // Cell sides below 1 are taken as 1. Either message may be 0: none.
  VCellGridView(VFrame* parent, int32_t cellWidth, int32_t cellHeight, int32_t selectionMessage,
                int32_t confirmMessage);
  ~VCellGridView() override;

  // Draws item (1-based) in its cell; `immediate` when drawn outside a
  // whole-view drawing, over what the cell showed before.
  virtual void DrawCell(VPort& port, int32_t item, bool selected, bool immediate) = 0;

  // The array is not owned. With select-first the first item is selected.
  void SetArray(VArray* array);
  VArray* GetArray() const { return fArray; }
  void SetSelectFirst(bool on) { fSelectFirst = on ? 1 : 0; }
  // Redraws the old and the new cell at once and scrolls the new one into
  // view; an item outside 1 .. count selects none.
  void Select(int32_t item);
  int32_t GetSelected() const { return fSelected; }
  int32_t GetColumns() const;
  int32_t GetRows() const;
  // The cell of an item in content coordinates.
  void GetCellRect(int32_t item, int32_t& x, int32_t& y) const;
  int32_t GetCellWidth() const { return fCellWidth; }
  int32_t GetCellHeight() const { return fCellHeight; }
  // The keys by framework key code; 0 when handled, 1 when not.
  int32_t HandleKeyCode(int16_t keyCode, bool shift);

  // ---- Overrides.
  void ResizeTo(int32_t width, int32_t height, int16_t mode) override;
  void DrawContent(VPort& port) override;
  bool MouseDown(VEvent& event) override;
  int32_t HandleKey(VEvent& event) override;
  int32_t GetVerticalLineStep(bool backwards) override;
  int32_t GetVerticalPageStep(bool backwards) override;

 private:
  void UpdateContentSize();
  void DrawCellNow(int32_t item);
  void Send(int32_t message);

  int16_t fCellWidth;
  int16_t fCellHeight;
  int32_t fSelected = 0;
  uint8_t fSelectFirst = 0;
  VArray* fArray = nullptr;
  int32_t fSelectionMessage;
  int32_t fConfirmMessage;
};

// 40 x 40 cells, each showing the colour icon whose 'cicn' id is the item's
// value, centred; the selected cell framed two pixels wide.
class VIconGridView : public VCellGridView {
 public:
  VIconGridView(VFrame* parent, int32_t selectionMessage, int32_t confirmMessage);
  ~VIconGridView() override;

  void DrawCell(VPort& port, int32_t item, bool selected, bool immediate) override;

 private:
  std::map<int32_t, VIconShape*> fIcons;
};
