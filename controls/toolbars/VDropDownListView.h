// VDropDownListView: the scrolled list of choices inside a drop-down list's
// pop-up window. One row per element of the choice list; the current row
// is drawn pressed. The mouse hovers a row current, a release closes the
// pop-up with that choice, keys move through or search the list.
#pragma once

#include <cstdint>

#include "framework/core/strings/VUniString.h"
#include "views/VScrolledView.h"

class VArray;
class VListControl;

// Sent to the parent chain when the current row changes while open.
constexpr int32_t kMsgPopUpCurrentChanged = -1000;
// Sent to the parent chain to close the pop-up with the current row.
constexpr int32_t kMsgClosePopUp = -994;

class VDropDownListView : public VScrolledView {
 public:
  // Rows of `rowHeight` pixels over the choices (borrowed); `fontList`
  // draws each row in the font it names.
  VDropDownListView(VFrame* parent, VListControl* list, VArray* choices, int32_t rowHeight,
                    bool fontList);

  void DrawContent(VPort& port) override;
  bool MouseDown(VEvent& event) override;
  bool MouseUp(VEvent& event) override;
  int32_t HandleKey(VEvent& event) override;
  int32_t GetVerticalLineStep(bool backwards) override;
  // Steps snap to whole rows.
  int32_t ConstrainVerticalStep(int32_t step) override;

  // The mouse is over content point y: its row becomes current.
  virtual void MouseWithin(int32_t y);
  // Recomputes the content height; with `select` the current row is
  // scrolled into view.
  virtual void Refresh(bool select);

  // Makes row `row` (1-based; 0 none) current, scrolling it into view.
  void SetCurrentRow(int32_t row, bool notify);
  int32_t GetCurrentRow() const;
  int32_t GetRowHeight() const { return fRowHeight; }
  int32_t RowCount() const;
  // The type-ahead search over the rows from the one after `after` on,
  // then from the first: a row starting with the text, then one holding
  // it; 0 when none does.
  int32_t FindRow(const VString& text) const;

 private:
  void RowText(int32_t row, VString& out) const;
  void ScrollRowIntoView(int32_t row);

  VListControl* fList;
  VArray* fChoices;
  int32_t fRowHeight;
  VStr<255> fSearchText;
  uint32_t fLastKeyTime = 0;
  uint8_t fFontList;
};
