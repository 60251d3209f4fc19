// VPaneGrid: panes in a grid of rows and columns separated by draggable
// dividers. A pane's split box inserts a row or column at the drag's
// distance; dragging a divider moves it, or removes a row or column when
// dragged past its neighbour; a double click on a divider removes the row
// or column before it. Panes of a row scroll horizontally together and
// panes of a column vertically.
#pragma once

#include <cstdint>
#include <vector>

#include "views/VPaneView.h"
#include "views/VView.h"

class VGridPane;
class VPaneGridDividers;

// A divider drag: (+-index << 16) | (delta & 0xFFFF), a negative index for a
// row divider; a divider double click: +-index.
enum : int32_t {
  kMsgDividerDragged = -976,
  kMsgDividerDoubleClicked = -975,
};

class VPaneGrid : public VView {
 public:
  explicit VPaneGrid(VFrame* parent);
  ~VPaneGrid() override;

  void ResizeTo(int32_t width, int32_t height, int16_t mode) override;
  bool NotifyParent(VFrame* sender, int32_t message, intptr_t parameter) override;
  void Close() override;
  void RemoveSubView(VFrame* frame) override;

  // ---- Added operations.
  // Every pane of the row of the pane at (row, column) scrolls across by
  // dx, every pane of its column up or down by dy.
  virtual void ScrollTogether(int32_t dx, int32_t dy, int32_t row, int32_t column, int32_t mode);
  // Splits row (or column) `index` at `position` from its start: the new
  // row after it holds clones of its panes. False for a position beyond
  // the row, or when the minimum pane size leaves no room for two.
  virtual bool InsertRowOrColumn(bool row, int32_t index, int32_t position, bool adjust,
                                 int32_t flag);
  virtual int32_t AdjustInsertPosition(bool, int32_t, int32_t position) { return position; }
  virtual void Unused() {}
  // Removes row (or column) `index` with its panes and the divider next to
  // it; the last row or column stays.
  virtual void RemoveRowOrColumn(bool row, int32_t index);
  // Room kept at the last row's bottom and the last column's right for the
  // window's grow box.
  virtual int32_t GetGrowBoxReserve();
  virtual void SetCurrent(int32_t row, int32_t column);

  // The first pane of an empty grid: the grid becomes 1 x 1.
  void AddFirstPane(VGridPane* pane);
  VGridPane* GetPaneAt(int32_t row, int32_t column) const;
  void LayoutPanes();
  int32_t GetDividerThickness() const { return fThickness; }
  void SetDividerThickness(int32_t thickness);
  void SetLastDividersLocked(bool rowLocked, bool columnLocked);
  int32_t GetRowCount() const { return fRows; }
  int32_t GetColumnCount() const { return fColumns; }
  int32_t GetCurrentRow() const { return fCurrentRow; }
  int32_t GetCurrentColumn() const { return fCurrentColumn; }
  VPaneGridDividers* GetDividers() const { return fDividers; }
  const std::vector<VGridPane*>& GetPanes() const { return fPanes; }
  void SetScrollsByMovingPixels(bool on) { fMovesPixels = on ? 1 : 0; }

  // Start and end of row (or column) `index` (1-based) in grid pixels.
  void GetSpan(bool row, int32_t index, int32_t& start, int32_t& end);

 private:
  void MoveDivider(bool row, int32_t index, int32_t delta);
  bool TrackPaneSplitBox(VSplitBox* box, VEvent& event);

  VPaneGridDividers* fDividers;
  // The panes in the order they came; the view's list owns them.
  std::vector<VGridPane*> fPanes;
  int16_t fRows = 0;
  int16_t fColumns = 0;
  int16_t fCurrentRow = 0;
  int16_t fCurrentColumn = 0;
  int16_t fThickness = 5;
  VPort* fClipPort = nullptr;
  uint8_t fMovesPixels = 0;
};

// Draws the dividers and drags them; it covers the grid but answers only
// for points on a divider.
class VPaneGridDividers : public VFrame {
 public:
  explicit VPaneGridDividers(VPaneGrid* grid);

  void DrawContent(VPort& port) override;
  bool MouseDown(VEvent& event) override;
  bool ContainsLocal(const VPoint& p) const override;
  bool Contains(const VPoint& p) const override;
  int32_t GetCursorIdAt(VEvent& event) override;

  // The divider under a local point: +-index (negative for a row divider),
  // 0 for none.
  int32_t DividerAt(int32_t x, int32_t y) const;

  std::vector<int16_t> fRowDividers;
  std::vector<uint8_t> fRowLocked;
  std::vector<int16_t> fColumnDividers;
  std::vector<uint8_t> fColumnLocked;
  uint8_t fLastRowLocked = 0;
  uint8_t fLastColumnLocked = 0;

 private:
  bool IsLocked(bool row, int32_t index) const;
  VPaneGrid* fGrid;
};

class VGridPane : public VPaneView {
 public:
  // No scroll bars and no split boxes.
  explicit VGridPane(VFrame* parent);

  bool NotifyParent(VFrame* sender, int32_t message, intptr_t parameter) override;
  VFrame* Clone(VFrame* newParent, int32_t word) override;
  void CopyFrom(VFrame* newParent, const VFrame& source, int32_t word) override;
  void SetHorizontalBar(bool wanted, bool relayout) override;
  void SetVerticalBar(bool wanted, bool relayout) override;

  int32_t GetRow() const { return fRow; }
  int32_t GetColumn() const { return fColumn; }
  void SetPlace(int32_t row, int32_t column) {
    fRow = static_cast<int16_t>(row);
    fColumn = static_cast<int16_t>(column);
  }
  void SetBarsDisabled(bool on) { fBarsDisabled = on ? 1 : 0; }

 private:
  int16_t fRow = 1;
  int16_t fColumn = 1;
  uint8_t fBarsDisabled = 0;
  uint8_t fSpare = 0;
};
