// xMorvaColumnsDialog: the number of text columns of the document's pages,
// their width, the spacing between them and the line drawn between them,
// with a preview of the page (document command 756). Width and spacing are
// coupled: the columns always fill the text width of the page.
#pragma once

#include <cstdint>

#include "dialogs/xMorvaDialog.h"
#include "document/xMorvaDocParams.h"

class xMorvaColumnsDialog : public xMorvaDialog {
 public:
  // The side of the square the page preview is drawn into.
  static constexpr int32_t kPreviewSize = 175;

  // Works on a copy of the document's parameters.
  xMorvaColumnsDialog(xMorvaPlugIn* area, xMorvaDocument& document);
  ~xMorvaColumnsDialog() override;

  // The working parameters, for the caller after an accepted run.
  const xMorvaDocParams& GetParams() const { return fParams; }

  bool BeforeOpen() override;
  bool AfterOpen() override;
  void ItemHit(const VString& objectName, int16_t page) override;

 private:
  // The widest left + first-line + right indent of the body's paragraphs.
  int32_t BodyIndentSum();

  xMorvaDocument& fDocument;
  xMorvaDocParams fParams;
};

// The largest spacing that leaves every one of the columns `indentSum` + 50
// pixels wide within the text width; never below 0, and 0 for one column.
int32_t ColumnSpacingLimit(const xMorvaDocParams& params, int32_t indentSum);

// The number of columns (held to 1..10), with a spacing that no longer
// fits cut to the largest that does.
void ChangeColumnCount(xMorvaDocParams& params, int32_t columns, int32_t indentSum);

// A column width typed in pixels: held to 50 (or the widest possible when
// that is narrower) and the text width shared by the columns, the spacing
// then made what fills the rest. Nothing changes with one column.
void ChangeColumnWidth(xMorvaDocParams& params, int32_t width);

// A spacing typed in pixels, held to 0 and ColumnSpacingLimit. Nothing
// changes with one column.
void ChangeColumnSpacing(xMorvaDocParams& params, int32_t spacing, int32_t indentSum);

// Command 756: the dialog on the area's document, `params` its parameters
// on entry and what the user accepted on return true.
bool RunColumnsDialog(xMorvaPlugIn& area, xMorvaDocParams& params);
