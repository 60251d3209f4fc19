// The document statistics dialog: nineteen values of the body set once
// when the form opens; the undo and picture-cache buttons empty their
// memory and show the new size.
#include "dialogs/xMorvaDocumentStatisticsDialog.h"

#include <algorithm>

#include "area/xMorvaBarState.h"
#include "dialogs/xMorvaFormObjectName.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaLayoutInterface.h"
#include "document/xMorvaPagePicturesInterface.h"
#include "document/xMorvaUndo.h"
#include "engine/xMorvaEngine.h"

namespace {

constexpr const char* kUndoBuffer = "vUndoBuffer";
constexpr const char* kPictureCache = "vPictCache";

// A count or size as the form's 32-bit number, held at the largest one.
int32_t Shown(uint64_t value) { return static_cast<int32_t>(std::min<uint64_t>(value, INT32_MAX)); }

xMorvaEngine* PartText(const xMorvaDocument& document, int16_t part) {
  return dynamic_cast<xMorvaEngine*>(document.GetPart(part));
}

}  // namespace

xMorvaDocumentStatisticsDialog::xMorvaDocumentStatisticsDialog(xMorvaPlugIn* area, xMorvaDocument& document)
    : xMorvaDialog(area, "mvDocumentStatistics"), fDocument(document) {}

int32_t xMorvaDocumentStatisticsDialog::UndoBufferSize(const xMorvaDocument& document) {
  const xMorvaUndo* undo = document.GetUndo();
  return undo != nullptr ? std::max(undo->GetEnd(), 0) : 0;
}

bool xMorvaDocumentStatisticsDialog::AfterOpen() {
  xMorvaLayoutInterface* layout = fDocument.GetLayout();
  HostFormSetLong("vNbLines", layout != nullptr ? layout->GetLineCount(kPartBody) : 0);
  HostFormSetLong("vNbPages", layout != nullptr ? layout->GetPageCount() : 0);
  xMorvaTextStatistics counts;
  xMorvaEngine* body = PartText(fDocument, kPartBody);
  if (body != nullptr) body->GetTextStatistics(counts);
  HostFormSetLong("vNbChars", Shown(counts.characters));
  HostFormSetLong("vNbWords", Shown(counts.words));
  HostFormSetLong("vNbParagraphs", Shown(counts.paragraphs));
  HostFormSetLong("vNbPictures", Shown(counts.pictures));
  HostFormSetLong("vNbObjects", Shown(counts.hostExpressions));
  HostFormSetLong("vNbSoftHyphens", Shown(counts.softHyphens));
  HostFormSetLong("vNbPageBreaks", Shown(counts.pageBreaks));
  HostFormSetLong("vNbColumnBreaks", Shown(counts.columnBreaks));
  HostFormSetLong("vNbDateTime", Shown(counts.datesAndTimes));
  HostFormSetLong("vNbPageNumbers", Shown(counts.pageNumbers));
  HostFormSetLong("vNbHyperlinks", Shown(counts.hyperlinks));
  HostFormSetLong("vNbRTFexpressions", Shown(counts.htmlExpressions2));
  HostFormSetLong("vNbHTMLexpressions", Shown(counts.htmlExpressions));
  xMorvaPagePicturesInterface* pictures = fDocument.GetPagePictures();
  HostFormSetLong("vPicturesInPage", pictures != nullptr ? pictures->GetCount() : 0);
  HostFormSetLong("vSize", body != nullptr ? Shown(body->GetStreamSize()) : 0);
  HostFormSetLong(kUndoBuffer, UndoBufferSize(fDocument));
  HostFormSetLong(kPictureCache, fDocument.PictureCacheSize());
  return true;
}

void xMorvaDocumentStatisticsDialog::ItemHit(const VString& objectName, int16_t) {
  if (IsFormObject(objectName, "bClearUndoBuffer")) {
    if (xMorvaUndo* undo = fDocument.GetUndo()) undo->Clear(false);
    // Undo and redo are no longer offered in the menus and tools.
    if (GetArea() != nullptr) UpdateBarState(*GetArea(), true);
    HostFormSetLong(kUndoBuffer, UndoBufferSize(fDocument));
  } else if (IsFormObject(objectName, "bClearPictureCache")) {
    fDocument.ResetAllPictureCaches();
    HostFormSetLong(kPictureCache, fDocument.PictureCacheSize());
  }
}

bool RunDocumentStatisticsDialog(xMorvaPlugIn& area, xMorvaDocument& document) {
  xMorvaDocumentStatisticsDialog dialog(&area, document);
  return dialog.Run();
}
