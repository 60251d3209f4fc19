// The document object: its parts, the current part, the change protocol,
// the redraw after a change, the reset to an empty document and the page
// size taken from the printer's paper.
#include "document/xMorvaDocument.h"

#include <algorithm>
#include <cmath>

#include "document/DocumentUnits.h"
#include "document/xMorvaAreaServices.h"
#include "document/xMorvaDocumentArea.h"
#include "document/xMorvaEngineServices.h"
#include "document/xMorvaLayoutInterface.h"
#include "document/xMorvaText.h"
#include "document/xMorvaUndo.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/VByteReader.h"
#include "framework/core/strings/VString.h"
#include "framework/core/strings/VUniString.h"
#include "framework/system/resources/VMemoryResourceFile.h"
#include "graphics/GraphicsGlobals.h"
#include "graphics/VBitmapPort.h"
#include "graphics/VDIBPort.h"
#include "graphics/printing/VWinPrinter.h"

namespace {

// Granules of the parts' streams: the body grows in large steps.
constexpr uint16_t kBodyGranule = 16000;
constexpr uint16_t kPartGranule = 128;

// Order in which the parts are made and cleared: the body, then the
// first-page, left-page and common headers and footers.
constexpr int16_t kMemberOrder[kPartCount] = {kPartBody,       kPartFirstHeader, kPartFirstFooter,
                                              kPartLeftHeader, kPartLeftFooter,  kPartHeader,
                                              kPartFooter};

// The paper when neither the printer nor the package gives one: A4 with
// 2 cm margins.
constexpr int32_t kFallbackPaper[6] = {21000, 29700, 2000, 2000, 2000, 2000};

// The size the line port is made with.
constexpr int32_t kLinePortWidth = 8;
constexpr int32_t kLinePortHeight = 1;

}  // namespace

xMorvaDocument::xMorvaDocument(xMorvaDocumentArea* area) : fArea(area) {
  fOffscreen = area != nullptr && !area->HasHostWindow() ? 1 : 0;
  NewStyleSheetStore();
  fPrinter.reset(new VWinPrinter());
  fMeasuringPort.reset(new VBitmapPort());
  fLinePort.reset(new VDIBPort(kLinePortWidth, kLinePortHeight, 32));

  // The default font: the package's 'STR ' resource, else the standard
  // sans-serif face.
  fDefaultFontName = "Arial";
  if (VMemHandle name = CopyDocumentPackageResource(0x53545220)) {  // 'STR '
    const uint32_t size = gMemoryMgr->GetHandleSize(name);
    const auto* bytes = static_cast<const uint8_t*>(gMemoryMgr->LockHandle(name));
    if (bytes != nullptr && size >= 1 && bytes[0] != 0 && bytes[0] < size) {
      fDefaultFontName.assign(reinterpret_cast<const char*>(bytes + 1),
                              std::min<uint32_t>(bytes[0], 63));
    }
    gMemoryMgr->UnlockHandle(name);
    gMemoryMgr->DisposeHandle(name);
  }

  ResetFontTable();

  fPrinterMetricsApplied = fParams.GetPrinterMetrics();
  FitPageToPaper(true, true);
  AttachReferencePrinter();

  fUndo.reset(new xMorvaUndo(*this));
  BuildParts();
  if (fLayout) fLayout->ComposeAll();
  SelectBody();
  // Only an area in a host window records undo steps.
  if (area == nullptr || fOffscreen) fUndo->Suspend();
  // An area's document reads and writes its own clipboard flavours.
  if (area != nullptr) RegisterScrapTypes();
}

void xMorvaDocument::ResetFontTable() {
  VStrInHandle name;
  name.SetAnsiCText(fDefaultFontName.c_str());
  fFonts.Reset(name);
  // The default font counts as known even where the system lacks it: text
  // in it falls back to a face the system has.
}

xMorvaDocument::~xMorvaDocument() {
  if (fArea != nullptr) UnregisterScrapTypes();
  DeleteParts();
  // The ports let go of the printer before it goes.
  if (fPrinterMetricsApplied) UsePrinterForMeasuring(false);
  fLinePort.reset();
  fMeasuringPort.reset();
  fPrinter.reset();
  fUndo.reset();
  DeleteStyleSheetStore();
}

void xMorvaDocument::BuildParts() {
  for (int16_t part : kMemberOrder) {
    fParts[part].reset(
        NewDocumentText(fUndo.get(), part == kPartBody ? kBodyGranule : kPartGranule));
  }
  xMorvaTextInterface* parts[kPartCount] = {};
  for (int16_t part = 0; part < kPartCount; ++part) {
    if (!fParts[part]) return;
    parts[part] = fParts[part].get();
  }
  fLayout.reset(NewDocumentLayout(*this, parts, fMeasuringPort.get()));
}

void xMorvaDocument::DeleteParts() {
  fCurrent = nullptr;
  fLayout.reset();
  for (int16_t part : kMemberOrder) fParts[part].reset();
}

void xMorvaDocument::NewStyleSheetStore() {
  fStyleSheets.reset();
  if (fStyleSheetHandle == 0) {
    fStyleSheetHandle = gMemoryMgr->NewHandle(0, 0);
  } else {
    gMemoryMgr->SetHandleSize(fStyleSheetHandle, 0);
  }
  if (fStyleSheetHandle != 0) fStyleSheets.reset(new VMemoryResourceFile(fStyleSheetHandle, 1));
}

bool xMorvaDocument::AdoptStore(VMemHandle handle) {
  DeleteStyleSheetStore();
  if (handle == 0) return false;
  fStyleSheetHandle = handle;
  fStyleSheets.reset(new VMemoryResourceFile(handle, 0));
  return fStyleSheets->IsOpen();
}

xMorvaPagePicturesInterface* xMorvaDocument::GetPagePictures() {
  if (!fPagePictures) {
    if (xMorvaPagePicturesMaker* maker = xMorvaPagePicturesSlot::Get()) fPagePictures.reset(maker->NewPagePictures());
  }
  return fPagePictures.get();
}

void xMorvaDocument::DeleteStyleSheetStore() {
  fStyleSheets.reset();
  if (fStyleSheetHandle != 0) gMemoryMgr->DisposeHandle(fStyleSheetHandle);
  fStyleSheetHandle = 0;
}

// ---- Interfaces.

int32_t xMorvaDocument::GetTextWidth(int16_t part) {
  if (part == kPartBody) return fParams.ColumnWidth(false);
  return fParams.ColumnWidth(true);
}

VStreamProgress* xMorvaDocument::NewProgressStatus(int16_t messageIndex, uint32_t total) {
  if (fArea == nullptr) return nullptr;
  return fArea->NewProgressGauge(kProgressTextsListOffset, messageIndex, total);
}

VMemHandle xMorvaDocument::CopyResource(uint32_t type, int16_t id) {
  if (!fStyleSheets) return 0;
  uint8_t owned = 0;
  const VResourceRef ref = fStyleSheets->GetResource(type, id, &owned);
  if (ref == 0) return 0;
  const VMemHandle copy = gMemoryMgr->DuplicateHandle(ref);
  if (owned) fStyleSheets->ReleaseResource(ref);
  return copy;
}

bool xMorvaDocument::PutResource(uint32_t type, int16_t id, const void* data, uint32_t size) {
  return fStyleSheets && fStyleSheets->ReplaceResource(type, id, data, size);
}


// ---- Parts.

xMorvaTextInterface* xMorvaDocument::GetPart(int16_t part) const {
  return part >= 0 && part < kPartCount ? fParts[part].get() : nullptr;
}

int16_t xMorvaDocument::GetCurrentPartNumber() const { return fCurrentNumber; }

void xMorvaDocument::SetCurrentPart(xMorvaUndoEngine& engine) {
  for (int16_t part = 0; part < kPartCount; ++part) {
    if (fParts[part] && static_cast<xMorvaUndoEngine*>(fParts[part].get()) == &engine) {
      SetCurrentPart(part);
      return;
    }
  }
}

xMorvaUndoEngine* xMorvaDocument::GetEditedPart(int32_t& page) {
  page = fHeaderFooterPage;
  return fCurrent;
}

void xMorvaDocument::RestoreEditedPart(xMorvaUndoEngine& engine, int32_t page) {
  SetCurrentPart(engine);
  if (static_cast<xMorvaUndoEngine*>(fCurrent) == &engine) fHeaderFooterPage = page;
}

void xMorvaDocument::SetCurrentPart(int16_t part) {
  if (part < 0 || part >= kPartCount) return;
  fCurrent = fParts[part].get();
  fCurrentNumber = part;
  switch (part) {
    case kPartFirstHeader:
    case kPartFirstFooter:
      fHeaderFooterPage = 0;
      break;
    case kPartLeftHeader:
    case kPartLeftFooter:
      fHeaderFooterPage = 1;
      break;
    case kPartHeader:
    case kPartFooter:
      fHeaderFooterPage = fParams.GetDifferentFirstPage() ? 2 : 0;
      break;
    default:
      break;
  }
}

void xMorvaDocument::SelectBody() {
  fCurrent = fParts[kPartBody].get();
  fCurrentNumber = kPartBody;
}

namespace {

// The first page's part, the left pages' or the common one.
int16_t PartOfPage(const xMorvaDocParams& params, int32_t page, int16_t first, int16_t left, int16_t common) {
  if (page == 0 && params.GetDifferentFirstPage()) return first;
  if ((page & 1) != 0 && params.GetDifferentLeftRight()) return left;
  return common;
}

}  // namespace

int16_t HeaderPartOfPage(const xMorvaDocParams& params, int32_t page) {
  return PartOfPage(params, page, kPartFirstHeader, kPartLeftHeader, kPartHeader);
}

int16_t FooterPartOfPage(const xMorvaDocParams& params, int32_t page) {
  return PartOfPage(params, page, kPartFirstFooter, kPartLeftFooter, kPartFooter);
}

int16_t xMorvaDocument::HeaderForPage(int32_t page) const { return HeaderPartOfPage(fParams, page); }

int16_t xMorvaDocument::FooterForPage(int32_t page) const { return FooterPartOfPage(fParams, page); }

void xMorvaDocument::SelectHeaderForPage(int32_t page) {
  const int16_t part = HeaderForPage(page);
  fCurrent = fParts[part].get();
  fCurrentNumber = part;
  fHeaderFooterPage = page;
}

void xMorvaDocument::SelectFooterForPage(int32_t page) {
  const int16_t part = FooterForPage(page);
  fCurrent = fParts[part].get();
  fCurrentNumber = part;
  fHeaderFooterPage = page;
}

bool xMorvaDocument::IsHeaderCurrent() const {
  return fCurrentNumber == kPartHeader || fCurrentNumber == kPartLeftHeader ||
         fCurrentNumber == kPartFirstHeader;
}

bool xMorvaDocument::IsFooterCurrent() const {
  return fCurrentNumber == kPartFooter || fCurrentNumber == kPartLeftFooter ||
         fCurrentNumber == kPartFirstFooter;
}

void xMorvaDocument::RecomposeCurrentPart() {
  if (fLayout) fLayout->ComposePart(fCurrentNumber);
}

int32_t xMorvaDocument::TotalTextSize() const {
  int64_t total = 0;
  for (const auto& part : fParts) {
    if (part) total += part->GetStreamSize();
  }
  return int32_t(std::min<int64_t>(total, INT32_MAX));
}

int32_t xMorvaDocument::PictureCacheSize() const {
  uint64_t total = 0;
  for (const auto& part : fParts) {
    if (part) total += part->PictureCacheSize();
  }
  return int32_t(std::min<uint64_t>(total, INT32_MAX));
}

void xMorvaDocument::ResetAllPictureCaches() {
  for (const auto& part : fParts) {
    if (part) part->ResetPictureCaches();
  }
}

// ---- The change protocol.

void xMorvaDocument::BeginChange() {
  fChangeInProgress = 1;
  fChange = ChangeRecord();
  xMorvaTextInterface* text = fCurrent;
  if (text == nullptr) return;
  const int32_t end = text->GetSelEnd();
  const bool atParagraphEnd = text->HasSelection() && end == text->GetParagraphEnd();
  // A selection that ends at its paragraph's end takes the next position in
  // while measured, so that the paragraph end's records count. The text
  // reads that on from the selection's end: a long selection is not walked
  // again, twice.
  uint32_t paragraphEnd = text->GetParagraphEndOffset();
  fChange.recordBytes = text->GetParagraphRecordBytes();
  if (atParagraphEnd && text->GetLength() > end)
    text->MeasureOnePositionMore(paragraphEnd, fChange.recordBytes);
  fChange.paragraphStart = text->GetParagraphStartOffset();
  fChange.byteLength =
      paragraphEnd > fChange.paragraphStart + fChange.recordBytes
          ? paragraphEnd - fChange.paragraphStart - fChange.recordBytes
          : 0;
  fChange.pageIndex = fCaretPage;
}

void xMorvaDocument::EndChange() {
  if (fCurrent != nullptr) {
    // The lines of the edited paragraphs are composed again: the lines
    // know every byte the edit changed, in whichever paragraph (an undo
    // replay may reach beyond the selection's), and the body re-paginates
    // from one page before the first line composed.
    // A run of edits that brings the lines up to date once at its end
    // leaves them pending here: they gather the span of all its changes.
    if (fLayoutDeferred != 0) {
      fChangeInProgress = 0;
      return;
    }
    if (fLayout) fLayout->Update();
    if (IsBodyCurrent()) {
      if (fChange.pageIndex > 0) --fChange.pageIndex;
      if (!(fInHostCommand && fOffscreen)) UpdateFrameContentSize();
    }
  }
  fChangeInProgress = 0;
}

bool xMorvaDocument::SetLayoutDeferred(bool on) {
  const bool previous = fLayoutDeferred != 0;
  fLayoutDeferred = on ? 1 : 0;
  return previous;
}

void xMorvaDocument::Refresh(bool scroll, bool contentSize) {
  if (fArea == nullptr) return;
  if (fInHostCommand && fOffscreen) {
    fArea->UpdateBarState();
    fArea->UpdateCommands(0);
    return;
  }
  if (contentSize) UpdateFrameContentSize();
  fArea->DrawSelection();
  UpdateCaret(scroll);
  fArea->UpdateBarState();
  fArea->UpdateCommands(0);
}

void xMorvaDocument::ShowSelection(bool scroll) {
  if (fArea == nullptr) return;
  fArea->ShowSelection(scroll);
  // A selection the mouse or the keys made changes what the bars show and
  // which of cut, copy and clear apply: the bars are asked to follow it and
  // the edit commands take their states now, so that the menu, the buttons
  // and the shortcuts act on this selection and not on the one before.
  fArea->UpdateBarState();
  fArea->UpdateCommands(0);
}

void xMorvaDocument::GetContentSize(int32_t& width, int32_t& height) const {
  width = fParams.FrameWidth();
  const int32_t pages = fLayout ? std::max(fLayout->GetPageCount(), 1) : 1;
  if (fParams.GetViewMode() == 0) {
    height = pages * (fParams.GetPageHeight() + 4) + 4;
  } else {
    const int32_t lines = fLayout ? fLayout->GetBodyLinesHeight() : fParams.GetPageHeight();
    height = lines + 8 + 3 * pages;
  }
}

void xMorvaDocument::UpdateFrameContentSize() {
  if (fArea == nullptr) return;
  int32_t width = 0;
  int32_t height = 0;
  GetContentSize(width, height);
  fArea->SetContentSize(width, height);
}

// ---- Reset.

void xMorvaDocument::Reset(bool keepFile) {
  fParams.SetDefaults();
  fInfos.Reset();
  fSelectionBackward = 0;
  fTypingResync = 1;
  fWriteBackHeld = false;
  if (!keepFile) {
    VStr<255> name;
    GetDocumentListString(name, kDocumentTextsListOffset, 21);
    char text[256] = {};
    name.GetCText(text, sizeof text, kCharSetAnsi);
    fDocumentName = text;
    fModified = false;
  }
  NewStyleSheetStore();
  SaveDefaultStyleSheet();
  UpdateStyleSheetMenu();
  if (fPagePictures) fPagePictures->Clear();
  if (fUndo) fUndo->Clear(false);
  for (int16_t part : kMemberOrder) {
    if (fParts[part]) fParts[part]->Clear();
  }
  SelectBody();
  UpdateReferencePrinter();
  UpdateCaret(true);
}

// ---- Printer and page.

void xMorvaDocument::SetPrinterMetrics(uint8_t value) {
  fParams.SetPrinterMetrics(value);
  UpdateReferencePrinter();
}

VPrintSettings* xMorvaDocument::GetPrinter() const { return fPrinter.get(); }
VPort* xMorvaDocument::GetMeasuringPort() const { return fMeasuringPort.get(); }
VPort* xMorvaDocument::GetLinePort() const { return fLinePort.get(); }

void xMorvaDocument::UsePrinterForMeasuring(bool on) {
  for (VPort* port : {static_cast<VPort*>(fMeasuringPort.get()), static_cast<VPort*>(fLinePort.get())}) {
    if (port == nullptr) continue;
    port->ClearReferencePrinter();
    if (on && fPrinter) port->SetReferencePrinter(fPrinter.get());
  }
}

void xMorvaDocument::AttachReferencePrinter() {
  fPrinterMetricsApplied = fParams.GetPrinterMetrics() ? 1 : 0;
  if (fPrinterMetricsApplied) UsePrinterForMeasuring(true);
}

void xMorvaDocument::UpdateReferencePrinter() {
  const uint8_t wanted = fParams.GetPrinterMetrics() ? 1 : 0;
  if (wanted != fPrinterMetricsApplied) {
    fPrinterMetricsApplied = wanted;
    UsePrinterForMeasuring(wanted != 0);
  }
  // Every part measures again, the headers and footers first, and the
  // body is paginated from its first page; a reader that fills the whole
  // document leaves that to the open that runs it, which composes once.
  if (fLayout && fLayoutDeferred == 0) fLayout->ComposeAll();
}

void xMorvaDocument::GetMinimumMargins(int32_t& left, int32_t& top, int32_t& right,
                                       int32_t& bottom) const {
  left = fMinLeft;
  top = fMinTop;
  right = fMinRight;
  bottom = fMinBottom;
}

int32_t xMorvaDocument::PaperToPixels(int32_t hundredths) {
  // Whole millimetres, rounded.
  const int32_t millimetres = (hundredths + 50) / 100;
  return int32_t(millimetres * 0.1 / 2.54 * gScreenLogPixelsX);
}

void xMorvaDocument::GetPageTwips(int32_t& width, int32_t& height) const {
  const int32_t pageWidth = fParams.GetPageWidth();
  const int32_t pageHeight = fParams.GetPageHeight();
  width = PixelsToTwips(pageWidth);
  height = PixelsToTwips(pageHeight);
  auto twips = [](int32_t hundredths) { return int32_t((int64_t(hundredths) * 1440 + 1270) / 2540); };
  auto is = [&](int32_t w, int32_t h) { return PaperToPixels(w) == pageWidth && PaperToPixels(h) == pageHeight; };
  const uint16_t code = VPrintSettings::FindPaper([&](int32_t w, int32_t h) { return is(w, h) || is(h, w); });
  if (code == 0) return;
  int32_t paperWidth = 0;
  int32_t paperHeight = 0;
  VPrintSettings::DevModePaperToPaperSize(code, paperWidth, paperHeight);
  const bool upright = is(paperWidth, paperHeight);
  width = twips(upright ? paperWidth : paperHeight);
  height = twips(upright ? paperHeight : paperWidth);
}

namespace {

// The printer takes the paper of the page of `params`, across when
// `landscape`, with the page's margins: false when there is no printer or
// no page.
bool GivePrinterThePage(VPrintSettings* printer, const xMorvaDocParams& params, bool landscape) {
  const int32_t width = params.GetPageWidth();
  const int32_t height = params.GetPageHeight();
  if (printer == nullptr || width <= 0 || height <= 0) return false;
  const int32_t resolution = GetScreenResolution();
  auto hundredths = [resolution](int32_t pixels) {
    return int32_t(int64_t(std::max(pixels, 0)) * 2540 / resolution);
  };
  const xMorvaPageBands& bands = params.GetBands(false);
  printer->TakePaperOfPage(hundredths(width), hundredths(height), landscape, hundredths(params.GetLeftMargin()),
                           hundredths(bands.topMargin), hundredths(params.GetRightMargin()),
                           hundredths(bands.bottomMargin));
  return true;
}

}  // namespace

void xMorvaDocument::TakePaperFromPage(bool landscape) {
  if (!GivePrinterThePage(fPrinter.get(), fParams, landscape)) return;
  // The printer's information context went with its old paper: the ports
  // that measure on it take the new one.
  AttachReferencePrinter();
  // The page takes the paper's size; the margins stay the file's, even
  // where a band reaches into the printer's unprintable edge.
  FitPageToPaper(false, true);
  UpdateReferencePrinter();
}

void xMorvaDocument::FitPageToPrintRecord() {
  int32_t paperWidth = 0;
  int32_t paperHeight = 0;
  if (fPrinter) fPrinter->GetPaperSize(paperWidth, paperHeight);
  const bool pageIsPaper = paperWidth > 0 && paperHeight > 0 && PaperToPixels(paperWidth) == fParams.GetPageWidth() &&
                           PaperToPixels(paperHeight) == fParams.GetPageHeight();
  // A record of another paper gives the printer the page's. The page stays
  // the size the file states: that paper, fitted in whole millimetres,
  // would make a page of no named paper a pixel smaller at each reading.
  if (!pageIsPaper) {
    if (!GivePrinterThePage(fPrinter.get(), fParams, false)) return;
    AttachReferencePrinter();
  }
  FitPageToPaper(false, pageIsPaper);
  UpdateReferencePrinter();
}

void xMorvaDocument::FitPageToPaper(bool fitMargins, bool fitPage) {
  int32_t paperWidth = 0;
  int32_t paperHeight = 0;
  int32_t unprintable[4] = {};  // left, top, right, bottom
  int32_t margins[4] = {};
  if (fPrinter) {
    fPrinter->GetPaperSize(paperWidth, paperHeight);
    fPrinter->GetMinimumMargins(unprintable[0], unprintable[1], unprintable[2], unprintable[3]);
    fPrinter->GetMargins(margins[0], margins[1], margins[2], margins[3]);
  }
  if (paperWidth <= 0 || paperHeight <= 0) {
    // The package's paper, with no unprintable margins.
    int32_t values[6];
    std::copy(std::begin(kFallbackPaper), std::end(kFallbackPaper), values);
    if (VMemHandle paper = CopyDocumentPackageResource(kPaperResourceType)) {
      const auto* bytes = static_cast<const uint8_t*>(gMemoryMgr->LockHandle(paper));
      const uint32_t size = gMemoryMgr->GetHandleSize(paper);
      // The package's resource file hands its own types over in native
      // order.
      if (bytes != nullptr && size >= sizeof values) {
        VByteReader reader(bytes, size, VByteReader::kNative);
        for (int32_t& value : values) value = reader.I32();
      }
      gMemoryMgr->UnlockHandle(paper);
      gMemoryMgr->DisposeHandle(paper);
    }
    paperWidth = values[0];
    paperHeight = values[1];
    std::copy(values + 2, values + 6, margins);
    std::fill(std::begin(unprintable), std::end(unprintable), 0);
  }
  const int32_t width = PaperToPixels(paperWidth);
  const int32_t height = PaperToPixels(paperHeight);
  int32_t offsets[4];
  for (int i = 0; i < 4; ++i) offsets[i] = PaperToPixels(unprintable[i]);
  // An unprintable margin of 0 stays 0: the paper has none.
  fMinLeft = unprintable[0] != 0 ? offsets[0] + 1 : 0;
  fMinTop = unprintable[1] != 0 ? offsets[1] + 1 : 0;
  fMinRight = unprintable[2] != 0 ? offsets[2] + 1 : 0;
  fMinBottom = unprintable[3] != 0 ? offsets[3] + 1 : 0;
  if (fitPage) fParams.SetPageSize(width, height);
  fPrintableArea = VRect(offsets[0], offsets[1], width - offsets[0] - offsets[2],
                         height - offsets[1] - offsets[3]);
  if (!fitMargins) return;

  fParams.SetLeftMargin(std::max(fParams.GetLeftMargin(), fMinLeft));
  fParams.SetRightMargin(std::max(fParams.GetRightMargin(), fMinRight));
  xMorvaPageBands& bands = fParams.GetBands(fParams.UsesFirstPageLayout(fHeaderFooterPage));
  if (!bands.headerShown) {
    bands.topMargin = std::max(bands.topMargin, fMinTop);
  } else if (bands.headerTop < fMinTop) {
    const int32_t shift = fMinTop - bands.headerTop;
    bands.headerTop += shift;
    bands.headerBottom += shift;
    bands.topMargin += shift;
  }
  if (!bands.footerShown) {
    bands.bottomMargin = std::max(bands.bottomMargin, fMinBottom);
  } else if (bands.footerBottom < fMinBottom) {
    const int32_t shift = fMinBottom - bands.footerBottom;
    bands.footerBottom += shift;
    bands.footerTop += shift;
    bands.bottomMargin += shift;
  }
  // A page too short for its unprintable margins gets bands in proportion.
  const int32_t pageHeight = fParams.GetPageHeight();
  if (pageHeight < 2 * std::max(fMinTop, fMinBottom) + 50) {
    int32_t q = (pageHeight - 50) / 4;
    if (q < 0) q = pageHeight / 5;
    for (bool first : {false, true}) {
      xMorvaPageBands& b = fParams.GetBands(first);
      b.headerTop = b.footerTop = q / 2;
      b.headerBottom = b.footerBottom = q;
    }
    xMorvaPageBands& other = fParams.GetBands(false);
    other.topMargin = other.bottomMargin = q + q / 2;
  }
}
