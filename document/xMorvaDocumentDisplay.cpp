// What the document's area shows around the text (view mode, rulers, scroll
// bars and bars, headers and footers), the ranges within which the ruler
// markers may be dragged, and the insertion of a block of units.
#include <algorithm>

#include "document/xMorvaDocument.h"
#include "document/xMorvaDocumentArea.h"
#include "document/xMorvaLayoutInterface.h"
#include "document/xMorvaProperties.h"
#include "document/xMorvaText.h"
#include "document/xMorvaUndo.h"

namespace {

// The narrowest text an indent may leave, pixels.
constexpr int32_t kNarrowestText = 50;
// View flags of the parameters.
constexpr int32_t kFlagRulers = 2;
constexpr int32_t kFlagHorizontalScrollBars = 7;
constexpr int32_t kFlagVerticalScrollBars = 8;
// Set, they leave out the split box beside the horizontal scroll bar and the
// one above the vertical bar (a new document and a file written before the
// flags had a use keep 0: both boxes).
constexpr int32_t kFlagNoHorizontalSplitBox = 45;
constexpr int32_t kFlagNoVerticalSplitBox = 46;

}  // namespace

void xMorvaDocument::DrawDocument(xMorvaSelectionState* selection, VPort& port, int32_t visibleLeft,
                                  int32_t visibleTop, int32_t visibleWidth, int32_t visibleHeight,
                                  int32_t pageLeft) {
  if (fLayout) {
    fLayout->DrawDocument(selection, port, visibleLeft, visibleTop, visibleWidth, visibleHeight,
                          pageLeft);
  }
}

void xMorvaDocument::DrawPageForPrinting(VPort& port, int32_t page, int32_t x, int32_t y) {
  if (fLayout) fLayout->DrawPageForPrinting(port, page, x, y);
}

bool xMorvaDocument::MayShow(bool show) const { return !show || !fArea->IsDisplaySuppressed(); }

void xMorvaDocument::ApplyViewOptions(bool keepTitle) {
  if (fArea == nullptr) return;
  fArea->UnloadWinSpeller();
  ScrollFramesToOrigin();
  ShowHorizontalScrollBars(fParams.GetViewFlag(kFlagHorizontalScrollBars) != 0, false);
  ShowVerticalScrollBars(fParams.GetViewFlag(kFlagVerticalScrollBars) != 0, false);
  ShowPaneElementA(fParams.GetViewFlag(kFlagNoHorizontalSplitBox) == 0, false);
  ShowPaneElementB(fParams.GetViewFlag(kFlagNoVerticalSplitBox) == 0, false);
  if (!fArea->IsDisplaySuppressed()) {
    ShowRulers(fParams.GetViewFlag(kFlagRulers) != 0, false);
    fArea->ShowBars(fInfos.GetLocked() != 0);
  }
  fArea->ApplyViewOptions(keepTitle);
  UpdateStyleSheetMenu();
}

void xMorvaDocument::ScrollFramesToOrigin() {
  if (fArea != nullptr) fArea->ScrollFramesToOrigin();
}

void xMorvaDocument::SetViewMode(int16_t mode) {
  fParams.SetViewMode(mode);
  // Continuous text shows the body alone.
  if (mode == 1 && !IsBodyCurrent()) SelectBody();
  ShowRulers(fParams.GetViewFlag(kFlagRulers) != 0, true);
}

void xMorvaDocument::ShowRulers(bool show, bool relayout) {
  if (fArea == nullptr || !MayShow(show)) return;
  const bool pageView = fParams.GetViewMode() == 0;
  // The vertical ruler measures pages: it shows in page view only.
  fArea->ShowRulerElements(show, show && pageView, pageView);
  if (relayout) fArea->Relayout();
  if (!pageView) {
    UpdateFrameContentSize();
    fArea->UpdateCaret(false);
  }
}

void xMorvaDocument::ShowHorizontalScrollBars(bool show, bool relayout) {
  if (fArea == nullptr) return;
  fArea->ShowScrollBars(true, show);
  if (relayout) fArea->Relayout();
}

void xMorvaDocument::ShowVerticalScrollBars(bool show, bool relayout) {
  if (fArea == nullptr) return;
  fArea->ShowScrollBars(false, show);
  if (relayout) fArea->Relayout();
}

void xMorvaDocument::ShowPaneElementA(bool show, bool relayout) {
  if (fArea == nullptr) return;
  fArea->ShowPaneElement(0, show);
  if (relayout) fArea->Relayout();
}

void xMorvaDocument::ShowPaneElementB(bool show, bool relayout) {
  if (fArea == nullptr) return;
  fArea->ShowPaneElement(1, show);
  if (relayout) fArea->Relayout();
}

void xMorvaDocument::ShowToolBar(bool show, bool relayout) {
  if (fArea == nullptr || !MayShow(show)) return;
  if (fArea->ShowBar(xMorvaDocumentArea::kBarTool, show) && relayout) fArea->Relayout();
}

bool xMorvaDocument::IsToolBarShown() const {
  return fArea != nullptr && fArea->IsBarShown(xMorvaDocumentArea::kBarTool);
}

void xMorvaDocument::ShowDockBar(bool show, bool relayout) {
  if (fArea == nullptr || fArea->GetSizeState() == 4 || !MayShow(show)) return;
  if (fArea->ShowBar(xMorvaDocumentArea::kBarDock, show) && relayout) fArea->Relayout();
}

bool xMorvaDocument::IsDockBarShown() const {
  return fArea != nullptr && fArea->IsBarShown(xMorvaDocumentArea::kBarDock);
}

void xMorvaDocument::SetDockBarState(uint8_t state) { ShowDockBar(state != 0, false); }

void xMorvaDocument::ShowBar(int16_t n, bool show, bool relayout) {
  if (fArea == nullptr || n < 0 || n > 3 || !MayShow(show)) return;
  if (fArea->ShowBar(n, show) && relayout) fArea->Relayout();
}

bool xMorvaDocument::IsBarShown(int16_t n) const {
  return fArea != nullptr && n >= 0 && n <= 3 && fArea->IsBarShown(n);
}

void xMorvaDocument::SetBarState(int16_t n, uint8_t state) { ShowBar(n, state != 0, false); }

void xMorvaDocument::RefreshRulers() {
  if (fArea == nullptr || fParams.GetViewFlag(kFlagRulers) == 0) return;
  fArea->RefreshRulers(fParams, fParams.GetViewMode() == 0);
}

// ---- Headers and footers

void xMorvaDocument::ShowBand(bool header, bool show) {
  const bool firstPage = fCaretPage == 0 && fParams.GetDifferentFirstPage() != 0;
  xMorvaPageBands& bands = fParams.GetBands(firstPage);
  (header ? bands.headerShown : bands.footerShown) = show ? 1 : 0;
  if (show) {
    int32_t& margin = header ? bands.topMargin : bands.bottomMargin;
    const int32_t band = header ? bands.headerBottom : bands.footerTop;
    if (margin < band) {
      margin = band;
      // The text area of every page changes.
      UpdateFrameContentSize();
    }
  } else if (header ? IsHeaderCurrent() : IsFooterCurrent()) {
    SelectBody();
  }
}

void xMorvaDocument::ShowHeader(bool show) { ShowBand(true, show); }
void xMorvaDocument::ShowFooter(bool show) { ShowBand(false, show); }

// ---- Widths and ranges

int32_t xMorvaDocument::CurrentTextWidth(const xMorvaTextInterface* text) const {
  if (text == nullptr) text = fCurrent;
  return fParams.ColumnWidth(text != fParts[kPartBody].get());
}

void xMorvaDocument::TextWidthRange(int32_t& min, int32_t& max) const {
  min = 0;
  max = CurrentTextWidth();
}

int32_t xMorvaDocument::GetWidestIndentSum() const {
  int32_t widest = 0;
  for (int16_t part = 0; part < kPartCount; ++part) {
    if (!fParts[part]) continue;
    // The body's sum times its columns may pass 32 bits.
    int64_t sum = fParts[part]->GetMaxIndentSum();
    if (part == kPartBody) sum *= fParams.GetColumns();
    if (sum > widest) widest = int32_t(std::min<int64_t>(sum, INT32_MAX));
  }
  return widest;
}

void xMorvaDocument::GetLeftIndentRange(const xMorvaProperties& properties, int32_t& min, int32_t& max) const {
  const int32_t first = properties.GetProperty(kPropFirstLineIndent);
  min = first < 0 ? -first : 0;
  max = CurrentTextWidth() - properties.GetProperty(kPropRightIndent) - kNarrowestText;
}

void xMorvaDocument::GetRightIndentRange(const xMorvaProperties& properties, int32_t& min, int32_t& max) const {
  const int32_t first = properties.GetProperty(kPropFirstLineIndent);
  min = 0;
  max = CurrentTextWidth() - (properties.GetProperty(kPropLeftIndent) + std::max(first, 0)) - kNarrowestText;
}

void xMorvaDocument::GetFirstLineRange(const xMorvaProperties& properties, int32_t& min, int32_t& max) const {
  const int32_t left = properties.GetProperty(kPropLeftIndent);
  min = -left;
  max = CurrentTextWidth() - properties.GetProperty(kPropRightIndent) - left - kNarrowestText;
}

void xMorvaDocument::GetLeftAndFirstRangeOfSelection(int32_t& min, int32_t& max) const {
  min = 0;
  max = 0;
  if (fCurrent == nullptr) return;
  max = CurrentTextWidth() - fCurrent->GetPropertyExtreme(kPropRightIndent, true, true) - kNarrowestText;
}

void xMorvaDocument::GetLeftIndentRangeOfSelection(int32_t& min, int32_t& max) const {
  min = 0;
  max = 0;
  if (fCurrent == nullptr) return;
  const int32_t smallestFirst = fCurrent->GetPropertyExtreme(kPropFirstLineIndent, true, false);
  min = smallestFirst < 0 ? -smallestFirst : 0;
  max = CurrentTextWidth() - fCurrent->GetMaxRightIndentSum() - kNarrowestText;
}

void xMorvaDocument::GetRightIndentRangeOfSelection(int32_t& min, int32_t& max) const {
  min = 0;
  max = 0;
  if (fCurrent == nullptr) return;
  max = CurrentTextWidth() - fCurrent->GetMaxLeftIndentSum() - kNarrowestText;
}

void xMorvaDocument::GetFirstLineRangeOfSelection(int32_t& min, int32_t& max) const {
  min = 0;
  max = 0;
  if (fCurrent == nullptr) return;
  min = -fCurrent->GetPropertyExtreme(kPropLeftIndent, true, false);
  max = CurrentTextWidth() - fCurrent->GetMaxSideIndentSum() - kNarrowestText;
}

void xMorvaDocument::GetLeftMarginRange(int32_t& min, int32_t& max) const {
  const int32_t binding = fParams.GetBinding();
  min = std::max(fPrintableArea.GetLeft() - binding, 0);
  max = fParams.GetPageWidth() - fParams.GetRightMargin() - binding - GetWidestIndentSum() -
        fParams.MinimumColumnsWidth();
}

void xMorvaDocument::GetRightMarginRange(int32_t& min, int32_t& max) const {
  min = fParams.GetPageWidth() - fPrintableArea.GetWidth() - fPrintableArea.GetLeft();
  max = fParams.GetPageWidth() - fParams.GetLeftMargin() - fParams.GetBinding() - GetWidestIndentSum() -
        fParams.MinimumColumnsWidth();
}

void xMorvaDocument::GetTopMarginRange(bool firstPage, int32_t& min, int32_t& max) const {
  const xMorvaPageBands& bands = fParams.GetBands(firstPage);
  min = bands.headerShown != 0 ? bands.headerBottom : fPrintableArea.GetTop();
  max = fParams.GetPageHeight() - bands.bottomMargin - kNarrowestText;
}

void xMorvaDocument::GetBottomMarginRange(bool firstPage, int32_t& min, int32_t& max) const {
  const xMorvaPageBands& bands = fParams.GetBands(firstPage);
  min = bands.footerShown != 0 ? bands.footerTop
                               : fParams.GetPageHeight() - fPrintableArea.GetTop() - fPrintableArea.GetHeight();
  max = fParams.GetPageHeight() - bands.topMargin - kNarrowestText;
}

void xMorvaDocument::GetHeaderTopRange(bool firstPage, int32_t& min, int32_t& max) const {
  min = fPrintableArea.GetTop();
  max = fParams.GetBands(firstPage).headerBottom;
}

void xMorvaDocument::GetHeaderBottomRange(bool firstPage, int32_t& min, int32_t& max) const {
  const xMorvaPageBands& bands = fParams.GetBands(firstPage);
  min = bands.headerTop;
  max = bands.topMargin;
}

void xMorvaDocument::GetFooterTopRange(bool firstPage, int32_t& min, int32_t& max) const {
  const xMorvaPageBands& bands = fParams.GetBands(firstPage);
  min = bands.footerBottom;
  max = bands.bottomMargin;
}

void xMorvaDocument::GetFooterBottomRange(bool firstPage, int32_t& min, int32_t& max) const {
  min = fParams.GetPageHeight() - fPrintableArea.GetTop() - fPrintableArea.GetHeight();
  max = fParams.GetBands(firstPage).footerTop;
}

// ---- Insertion and undo

int32_t xMorvaDocument::InsertUnits(VMemHandle units, int32_t count, bool refresh) {
  xMorvaTextInterface* text = fCurrent;
  if (text == nullptr) return kErrorTextCannotGrow;
  BeginChange();
  const int32_t error = text->InsertHandleWithUndo(units, count);
  if (error == 0 && refresh) text->RefreshComputedElements(text->GetSelStartOffset(), text->GetSelEndOffset());
  EndChange();
  const int32_t end = text->GetSelEnd();
  text->SetSelection(end, end);
  return error;
}

void xMorvaDocument::Undo() {
  if (fUndo) fUndo->Undo();
}

void xMorvaDocument::Redo() {
  if (fUndo) fUndo->Redo();
}
