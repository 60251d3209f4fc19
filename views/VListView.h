// VListView: columns side by side in a scrolled view, each column the
// elements of one array, one element per row, with the current row shared
// by every column. VCheckListView: a column of check boxes beside a column
// of names. Both tell their owner of selection changes and confirmations
// with message codes the owner chooses.
#pragma once

#include <cstdint>
#include <vector>

#include "views/VScrolledView.h"

class VArray;
class VScrollContainer;

class VListView : public VScrolledView {
 public:
  // Either message may be 0: none is sent.
  VListView(VScrollContainer* container, int32_t selectionMessage, int32_t confirmMessage);
  ~VListView() override;

  // ---- Added operations.
  // Heights below 1 are taken as 1.
  virtual void SetRowHeight(int32_t height);
  // A click at `row` of the column of `array`; false when nothing changed.
  virtual bool ClickCell(VArray* array, int32_t row, VArray* previousColumn, int32_t previousRow);

  // ---- Overrides.
  void ResizeTo(int32_t width, int32_t height, int16_t mode) override;
  void DrawContent(VPort& port) override;
  bool MouseDown(VEvent& event) override;
  // The key is taken from the event's host record when it has one, else
  // from its key word; 0 when handled, 1 when not.
  int32_t HandleKey(VEvent& event) override;

  // The array is not owned; the list keeps no copy of it.
  void AddColumn(VArray* array, int32_t width, bool stretch);
  void RemoveColumn(VArray* array);
  void RemoveAllColumns();
  // 1-based; null when there is no such column.
  VArray* GetColumnArray(int32_t n) const;
  int32_t GetColumnWidth(int32_t n) const;
  int32_t GetColumnCount() const { return static_cast<int32_t>(fColumns.size()); }
  VArray* GetCurrentColumn() const { return fCurrentColumn; }
  void BeginUpdate() { ++fUpdateLock; }
  void EndUpdate();
  void SelectRow(int32_t row);
  int32_t GetRowHeight() const { return fRowHeight; }
  // The key handling of HandleKey for a framework key code.
  int32_t HandleKeyCode(int16_t keyCode);

 protected:
  void UpdateContentSize(int32_t mode);
  void SendSelection(VArray* array);
  int32_t GetSelectionMessage() const { return fSelectionMessage; }

 private:
  struct Column {
    VArray* array;
    int16_t width;
    int32_t stretch;
  };
  std::vector<Column> fColumns;
  VArray* fCurrentColumn = nullptr;
  int32_t fSelectionMessage;
  int32_t fConfirmMessage;
  int16_t fUpdateLock = 0;
  int16_t fRowHeight = 14;
};

class VCheckListView : public VListView {
 public:
  VCheckListView(VScrollContainer* container, int32_t selectionMessage, int32_t confirmMessage);

  // A click in the check column toggles the row's box.
  bool ClickCell(VArray* array, int32_t row, VArray* previousColumn, int32_t previousRow) override;
  int32_t HandleKey(VEvent& event) override;
  // A check column 20 wide and a name column taking the rest.
  void SetColumns(VArray* checks, VArray* names);
  int32_t HandleCheckKeyCode(int16_t keyCode);
};
