// The host-language commands on the selection and the caret's place: word
// and paragraph bounds (100, 101), the caret placed by page, column, line
// and character (106) and read back (134), the caret's geometry (129),
// deleting what is selected (162), and the edited part (163, 164).
#include <algorithm>

#include "area/commands/xMorvaTextCommandSupport.h"
#include "area/commands/xMorvaTextCommands.h"
#include "area/xMorvaCommandParams.h"
#include "area/xMorvaMain.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaText.h"
#include "engine/xMorvaDocumentLayout.h"
#include "engine/xMorvaEngine.h"
#include "engine/xMorvaLineRecord.h"
#include "engine/xMorvaLines.h"
#include "engine/xMorvaPages.h"

namespace {

namespace params = xMorvaCommandParams;
using xMorvaTextCommands::ResolveTextArea;
using xMorvaTextCommands::TextArea;

constexpr int32_t kErrorPageRange = 1086;
constexpr int32_t kErrorColumnRange = 1087;
constexpr int32_t kErrorLineRange = 1088;

// The body position of (page, column, line, character) as command 106 gives
// them, or a code. Page is the display number; column, line and character
// count from 1 (column and character below 1 are taken as 1; a line below
// 1 stands for the column's start).
int32_t BodyPositionOf(xMorvaDocument& document, int32_t page, int32_t column, int32_t line,
                       int32_t character, int32_t& position) {
  auto* layout = static_cast<xMorvaDocumentLayout*>(document.GetLayout());
  if (layout == nullptr) return kErrorPageRange;
  layout->Update();
  const int64_t index = int64_t(page) - document.GetParams().GetFirstPageNumber();
  if (index < 0 || index >= layout->GetPageCount()) return kErrorPageRange;
  const int32_t pageIndex = int32_t(index);
  const int32_t columnIndex = std::max(column, 1) - 1;
  if (columnIndex >= std::max<int32_t>(document.GetParams().GetColumns(), 1)) return kErrorColumnRange;
  const xMorvaPages& pages = layout->GetPages();
  int32_t linesBefore = 0;
  uint32_t bytesBefore = 0;
  pages.GetPageStart(pageIndex, columnIndex, linesBefore, position, bytesBefore);
  if (line > 0) {
    if (line > pages.GetColumnLineCount(pageIndex, columnIndex)) return kErrorLineRange;
    const xMorvaLines* lines = layout->GetLines(kPartBody);
    for (int32_t i = 0; i < line - 1; ++i) position += lines->GetLine(linesBefore + i).positions;
  }
  position += std::max(character, 1) - 1;
  return 0;
}

void PlaceCaret(xMorvaMain& package, void** p) {
  TextArea area;
  if (!ResolveTextArea(package, p, area)) return;
  int32_t position = 0;
  const int32_t code = BodyPositionOf(*area.document, params::LongAt(p, 1), params::LongAt(p, 2),
                                      params::LongAt(p, 3), params::LongAt(p, 4), position);
  if (code == 0) {
    area.document->SelectBody();
    xMorvaTextInterface* body = area.document->GetCurrentPart();
    if (body != nullptr) body->SetSelection(position, position);
    area.document->Refresh(true, false);
  }
  package.ReportCommandError(code);
}

// Command 134: page (display number), column, line in the column and
// character in the line of the caret, as command 106 takes them.
void ReadCaretPlace(xMorvaMain& package, void** p) {
  for (int i = 1; i <= 4; ++i) params::PutLongAt(p, i, 0);
  TextArea area;
  if (!ResolveTextArea(package, p, area)) return;
  xMorvaDocument& document = *area.document;
  if (document.GetCaret().IsVisible()) document.UpdateCaret(true);
  int32_t x = 0, y = 0, top = 0, height = 0;
  document.GetCaretGeometry(x, y, top, height);
  int32_t page = 0, line = 0, character = 0, column = 0;
  document.GetCaretStatus(page, line, character, column);
  params::PutLongAt(p, 1, page + document.GetParams().GetFirstPageNumber());
  params::PutLongAt(p, 2, column + 1);
  params::PutLongAt(p, 3, line);
  params::PutLongAt(p, 4, character);
  package.ReportCommandError(0);
}

// Command 129: the caret's x, its y and its line's height, in the display
// unit.
void ReadCaretGeometry(xMorvaMain& package, void** p) {
  for (int i = 1; i <= 3; ++i) params::PutRealAt(p, i, 0);
  TextArea area;
  if (!ResolveTextArea(package, p, area)) return;
  int32_t x = 0, y = 0, top = 0, height = 0;
  area.document->GetCaretGeometry(x, y, top, height);
  const xMorvaDocParams& unit = area.document->GetParams();
  params::PutRealAt(p, 1, unit.ToDisplayUnit(x));
  params::PutRealAt(p, 2, unit.ToDisplayUnit(y));
  params::PutRealAt(p, 3, unit.ToDisplayUnit(height));
  package.ReportCommandError(0);
}

void DeleteSelected(xMorvaMain& package, void** p) {
  TextArea area;
  if (!ResolveTextArea(package, p, area)) return;
  xMorvaDocument& document = *area.document;
  int32_t code = 0;
  if (document.DeletePagePicture(-1)) {
    document.Refresh(false, true);
  } else if (area.text != nullptr && area.text->HasSelection()) {
    document.BeginChange();
    code = area.text->DeleteSelectionWithUndo();
    document.EndChange();
    document.Refresh(true, true);
  }
  package.ReportCommandError(code);
}

}  // namespace

namespace xMorvaTextCommands {

void RunSelectionCommand(xMorvaMain& package, int32_t n, void** p, void* result) {
  switch (n) {
    case 100:
    case 101: {
      TextArea area;
      if (!ResolveTextArea(package, p, area)) return;
      if (n == 100) {
        params::PutLongAt(p, 1, area.engine->GetWordStart());
        params::PutLongAt(p, 2, area.engine->GetWordEnd());
        params::PutWordAt(p, 3, area.engine->SelectionEndsWithSpace() ? 1 : 0);
      } else {
        params::PutLongAt(p, 1, area.text->GetParagraphStart());
        params::PutLongAt(p, 2, area.text->GetParagraphEnd());
      }
      package.ReportCommandError(0);
      break;
    }
    case 106: PlaceCaret(package, p); break;
    case 129: ReadCaretGeometry(package, p); break;
    case 134: ReadCaretPlace(package, p); break;
    case 162: DeleteSelected(package, p); break;
    case 163: {
      TextArea area;
      if (!ResolveTextArea(package, p, area)) return;
      const int32_t code = area.document->SwitchEditedPart(params::WordAt(p, 1));
      if (code == 0) area.document->Refresh(true, true);
      package.ReportCommandError(code);
      break;
    }
    case 164: {
      params::PutValue<int32_t>(result, 0);
      TextArea area;
      if (!ResolveTextArea(package, p, area)) return;
      params::PutValue<int32_t>(result, area.document->CurrentPartNumber());
      package.ReportCommandError(0);
      break;
    }
    default: break;
  }
}

}  // namespace xMorvaTextCommands
