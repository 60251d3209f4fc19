// The document statistics dialog ("mvDocumentStatistics"): counts and sizes
// of the document's body, read once when the form opens, and two buttons
// that act at once: one empties the undo history, the other the decoded
// pictures kept for drawing.
#pragma once

#include <cstdint>

#include "dialogs/xMorvaDialog.h"

class xMorvaDocumentStatisticsDialog : public xMorvaDialog {
 public:
  xMorvaDocumentStatisticsDialog(xMorvaPlugIn* area, xMorvaDocument& document);

  bool AfterOpen() override;
  void ItemHit(const VString& objectName, int16_t page) override;

  // Bytes the undo history uses.
  static int32_t UndoBufferSize(const xMorvaDocument& document);

 private:
  xMorvaDocument& fDocument;
};

// Runs the dialog on the area's document (command 802); it has no result.
bool RunDocumentStatisticsDialog(xMorvaPlugIn& area, xMorvaDocument& document);
