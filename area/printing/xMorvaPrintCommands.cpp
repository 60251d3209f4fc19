// The printing commands of an editing area: print, print merge, page setup
// and preview, and the page as it prints.
#include "area/printing/xMorvaPrintCommands.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "area/xMorvaCommandParams.h"
#include "area/xMorvaHostObject.h"
#include "area/xMorvaMain.h"
#include "area/xMorvaPlugIn.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaLayoutInterface.h"
#include "graphics/GraphicsGlobals.h"
#include "graphics/VPort.h"
#include "graphics/printing/VPrintSettings.h"
#include "host/context/HostStructure.h"

namespace {

// The current printed page, shared by every document as the page-number
// elements and command 26 read it.
int32_t sCurrentPrintedPage = 1;

// The last page a print merge asks the print settings for: every page of
// every record may print.
constexpr int32_t kMergeLastPage = 9999;

// The column rule: pen width 1, look colour 10, pen pattern 6, copy mode.
constexpr int32_t kRuleColourIndex = 10;
constexpr int32_t kRulePatternIndex = 6;

// Screen pixels to hundredths of a millimetre, rounded to whole millimetres.
int32_t PixelsToHundredths(int32_t pixels) {
  const int32_t dpi = std::max<int32_t>(1, gScreenLogPixelsX);
  return int32_t(double(pixels) * 2.54 / dpi * 10.0 + 0.5) * 100;
}

std::string NameOf(const VString& name) {
  char buffer[256] = {};
  name.GetCText(buffer, sizeof buffer, kCharSetAnsi);
  return buffer;
}

// The job's name: the area's name, the separator and the document's name.
std::string JobName(xMorvaPlugIn& area, xMorvaDocument& document, const char* separator) {
  VStr<255> name;
  document.GetDocumentName(name);
  return NameOf(area.GetAreaName()) + separator + NameOf(name);
}

// Printing lays the document out with the printer's widths; the option is
// put back as it was when the job ends, however it ends.
class PrinterMetricsOn {
 public:
  explicit PrinterMetricsOn(xMorvaDocument& document)
      : fDocument(document), fFormer(document.GetParams().GetPrinterMetrics()) {
    if (fFormer == 0) {
      fDocument.SetPrinterMetrics(1);
      fDocument.Refresh(false, true);
    }
  }
  ~PrinterMetricsOn() {
    if (fFormer == 0) {
      fDocument.SetPrinterMetrics(0);
      fDocument.Refresh(false, true);
    }
  }
  PrinterMetricsOn(const PrinterMetricsOn&) = delete;
  PrinterMetricsOn& operator=(const PrinterMetricsOn&) = delete;

 private:
  xMorvaDocument& fDocument;
  uint8_t fFormer;
};

// The print job of the document's print settings: ended whatever happens;
// the current printed page reads 1 again afterwards.
class PrintJob {
 public:
  PrintJob(VPrintSettings& printer, const std::string& name) : fPrinter(printer), fPort(printer.BeginDocument(name)) {}
  ~PrintJob() { End(); }
  PrintJob(const PrintJob&) = delete;
  PrintJob& operator=(const PrintJob&) = delete;
  VPort* Port() const { return fPort; }
  // Ends the job once: true when it started and printed whole, its end
  // included (the output may still fail there, a full disk for one).
  bool End() {
    xMorvaPrinting::SetCurrentPrintedPage(1);
    if (fPort == nullptr) return false;
    fPort = nullptr;
    return fPrinter.EndDocument();
  }
  // Before every page but the job's first: the next page of the job.
  bool BeginPage() {
    if (!fFirst && !fPrinter.NextPage()) return false;
    fFirst = false;
    return true;
  }

 private:
  VPrintSettings& fPrinter;
  VPort* fPort;
  bool fFirst = true;
};

void DrawColumnRules(xMorvaDocument& document, VPort& port, int32_t page) {
  const xMorvaDocParams& params = document.GetParams();
  xMorvaLayoutInterface* layout = document.GetLayout();
  const int32_t columns = params.GetColumns();
  if (params.GetColumnLines() == 0 || layout == nullptr || columns < 2) return;
  const int32_t top = params.TopMargin(page);
  const int32_t bottom = params.GetPageHeight() - params.BottomMargin(page);
  for (int32_t k = 0; k + 1 < columns; ++k) {
    // A rule only between two columns that both hold lines.
    if (layout->GetColumnLineCount(page, k) <= 0 || layout->GetColumnLineCount(page, k + 1) <= 0) continue;
    const int32_t x = params.ColumnLeft(page, k) + params.ColumnWidth(false) + params.GetColumnSpacing() / 2;
    port.SetPenWidth(1);
    port.SetPenColorIndex(kRuleColourIndex);
    port.SetPenPatternIndex(kRulePatternIndex);
    port.SetPenMode(0);
    port.DrawLine(x, top, x, bottom);
  }
}

}  // namespace

namespace xMorvaPrinting {

int32_t GetCurrentPrintedPage() { return sCurrentPrintedPage; }
void SetCurrentPrintedPage(int32_t page) { sCurrentPrintedPage = page; }

void PaperBeforePrinting(xMorvaDocument& document) {
  VPrintSettings* printer = document.GetPrinter();
  if (printer == nullptr) return;
  const xMorvaDocParams& params = document.GetParams();
  const int32_t page = std::max<int32_t>(0, document.GetHeaderFooterPage());
  const int32_t top = params.HasHeader(page) ? params.HeaderTop(page) : params.TopMargin(page);
  const int32_t bottom = params.HasFooter(page) ? params.FooterBottom(page) : params.BottomMargin(page);
  VPrintRecord record;
  printer->GetRecord(record);
  record.paperWidth = PixelsToHundredths(params.GetPageWidth());
  record.paperHeight = PixelsToHundredths(params.GetPageHeight());
  record.marginTop = PixelsToHundredths(top);
  record.marginBottom = PixelsToHundredths(bottom);
  printer->SetRecord(record);
}

void PrintPages(xMorvaDocument& document, VPort& port, int32_t page) {
  SetCurrentPrintedPage(page);
  document.DrawPageForPrinting(port, page, 0, 0);
  DrawColumnRules(document, port, page);
}

bool CheckPaperChange(xMorvaPlugIn& area) {
  xMorvaDocument* document = area.GetDocument();
  VPrintSettings* printer = document != nullptr ? document->GetPrinter() : nullptr;
  if (printer == nullptr) return false;
  VPrintRecord before;
  printer->GetRecord(before);
  if (!printer->PrintDialog(nullptr)) return false;
  VPrintRecord after;
  printer->GetRecord(after);
  if (!VPrintSettings::SamePrintRecord(before, after) || !VPrintSettings::MarginsWithinMinimum(after)) {
    xMorvaPrintDialogs* dialogs = xMorvaPrintDialogSlot::Get();
    const int16_t answer = dialogs != nullptr ? dialogs->RunPaperQuestion(area) : kPaperPrintAsIs;
    if (answer == kPaperCancel) return false;
    if (answer == kPaperFitDocument) {
      document->FitPageToPaper(true, true);
      document->UpdateReferencePrinter();
      document->Refresh(false, true);
      const int32_t count = document->GetBodyPageCount();
      if (count < printer->GetLastPage()) printer->SetLastPage(count);
    }
  }
  document->AttachReferencePrinter();
  return true;
}

int32_t PrintCommand(xMorvaPlugIn& area, bool askPaper, int32_t first, int32_t last) {
  xMorvaDocument* document = area.GetDocument();
  VPrintSettings* printer = document != nullptr ? document->GetPrinter() : nullptr;
  if (printer == nullptr) return kErrorPrintJob;
  PaperBeforePrinting(*document);
  PrinterMetricsOn metrics(*document);
  const int32_t count = document->GetBodyPageCount();
  if (first == 0) {
    first = 1;
    last = count;
  }
  printer->SetFirstPage(first);
  printer->SetLastPage(last);
  if (askPaper && !CheckPaperChange(area)) return 0;
  area.CallEventCallback(kEventPrinting, 0);
  // The range as the settings hold it, within the document: "to" at most
  // the page count — counted again, since fitting the document to the
  // paper lays it out anew —, "from" at most "to" and at least the first
  // page.
  const int32_t to = std::min(printer->GetLastPage(), document->GetBodyPageCount());
  const int32_t from = std::max(1, std::min(printer->GetFirstPage(), to));
  if (to < 1) return 0;
  printer->SetFirstPage(from);
  printer->SetLastPage(to);
  bool fine = false;
  {
    PrintJob job(*printer, JobName(area, *document, "-"));
    if (job.Port() != nullptr) {
      fine = true;
      for (int32_t page = from; page <= to && fine; ++page) {
        fine = job.BeginPage();
        if (fine) PrintPages(*document, *job.Port(), page - 1);
      }
    }
    fine = job.End() && fine;
  }
  document->SetHostOutcome(fine);
  return fine ? 0 : kErrorPrintJob;
}

int32_t MailingCommand(xMorvaPlugIn& area, bool askDialog, bool askPaper, int16_t table) {
  xMorvaDocument* document = area.GetDocument();
  VPrintSettings* printer = document != nullptr ? document->GetPrinter() : nullptr;
  if (printer == nullptr) return kErrorPrintJob;
  document->SetHostOutcome(false);
  PaperBeforePrinting(*document);
  PrinterMetricsOn metrics(*document);
  if (askDialog) {
    xMorvaPrintDialogs* dialogs = xMorvaPrintDialogSlot::Get();
    if (dialogs == nullptr || !dialogs->RunMailing(area, table)) return 0;
  }
  const uint32_t records = HostGetRecordCount(uint16_t(table));
  if (records == 0) {
    if (askDialog) {
      if (xMorvaMain* package = area.GetMorvaPackage()) package->ShowAlert(10);
    }
    return kErrorEmptyTable;
  }
  printer->SetFirstPage(1);
  printer->SetLastPage(kMergeLastPage);
  if (askPaper && !CheckPaperChange(area)) return 0;
  // The chosen range, over the running page number of the whole merge.
  const int32_t from = std::max(1, printer->GetFirstPage());
  const int32_t to = printer->GetLastPage();

  uint16_t allParts = 0;
  document->GetAreaSetting(16, allParts, nullptr);
  int32_t code = 0;
  bool fine = false;
  {
    PrintJob job(*printer, JobName(area, *document, ":"));
    if (job.Port() != nullptr) {
      fine = true;
      if (allParts != 0) document->ApplyToAllParts(0);
      int64_t c = 1;
      for (uint32_t r = 1; r <= records && fine; ++r) {
        if (HostGotoRecord(uint16_t(table), r, 1, 1) != 0) {
          code = kErrorNoRecord;
          fine = false;
          break;
        }
        document->UpdateDateTimeFields();
        const int32_t p = document->GetBodyPageCount();
        // A record none of whose pages falls in the range prints nothing
        // and hears nothing.
        if (c + p <= from || c > to) {
          c += p;
          continue;
        }
        area.CallEventCallback(kEventPrinting, table);
        for (int32_t i = 0; i < p && fine; ++i, ++c) {
          if (c < from || c > to) continue;
          // The job asks for a page only before one that prints, so a range
          // that ends early leaves no blank page behind.
          fine = job.BeginPage();
          if (fine) PrintPages(*document, *job.Port(), i);
        }
      }
      if (allParts != 0) document->ApplyToAllParts(1);
    }
    fine = job.End() && fine;
  }
  if (!fine && code == 0) code = kErrorPrintJob;
  document->SetHostOutcome(fine);
  return code;
}

void PageSetupCommand(xMorvaPlugIn& area) {
  xMorvaDocument* document = area.GetDocument();
  VPrintSettings* printer = document != nullptr ? document->GetPrinter() : nullptr;
  if (printer == nullptr) return;
  PaperBeforePrinting(*document);
  const bool accepted = printer->PageSetupDialog();
  document->SetHostOutcome(accepted);
  if (!accepted) return;
  document->AttachReferencePrinter();
  document->FitPageToPaper(true, true);
  document->UpdateReferencePrinter();
  document->Refresh(false, true);
  document->SetModified();
}

void PrintPreviewCommand(xMorvaPlugIn& area) {
  xMorvaDocument* document = area.GetDocument();
  if (document == nullptr) return;
  PaperBeforePrinting(*document);
  PrinterMetricsOn metrics(*document);
  xMorvaPrintDialogs* dialogs = xMorvaPrintDialogSlot::Get();
  const bool accepted = dialogs != nullptr && dialogs->RunPrintPreview(area);
  document->SetHostOutcome(accepted);
}

namespace {
// The editing area behind the command's reference, or null.
xMorvaPlugIn* ResolveEditingArea(xMorvaMain& package, void** p) {
  xMorvaDocument* document = nullptr;
  xMorvaHostObject* object = nullptr;
  if (!package.ResolveArea(p, document, object)) return nullptr;
  xMorvaPlugIn* area = object->GetAreaObject();
  if (area == nullptr) package.ReportCommandError(0);
  return area;
}
}  // namespace

void CommandPrint(xMorvaMain& package, void** p) {
  xMorvaPlugIn* area = ResolveEditingArea(package, p);
  if (area == nullptr) return;
  xMorvaDocument& document = *area->GetDocument();
  const bool option = (xMorvaCommandParams::ValueAt<uint8_t>(p, 1) & 0xFF) != 0;
  const int16_t count = xMorvaCommandParams::WordAt(p, 2);
  if (count < 0) {
    package.ReportCommandError(0);
    return;
  }
  // The printout's all-parts option, when it differs from the document's,
  // for the time of the printing only.
  uint16_t own = 0;
  document.GetAreaSetting(16, own, nullptr);
  const bool changed = option != (own != 0);
  if (changed) document.ApplyToAllParts(option ? 1 : 0);
  int32_t code = 0;
  const int32_t runs = std::max<int32_t>(1, count);
  for (int32_t run = 0; run < runs && code == 0; ++run) code = PrintCommand(*area, false, 0, 0);
  if (changed) document.ApplyToAllParts(own != 0 ? 1 : 0);
  package.ReportCommandError(code);
}

void CommandMailing(xMorvaMain& package, void** p) {
  xMorvaPlugIn* area = ResolveEditingArea(package, p);
  if (area == nullptr) return;
  const int16_t table = xMorvaCommandParams::WordAt(p, 1);
  const bool askPaper = xMorvaCommandParams::WordAt(p, 2) != 0;
  const int32_t code = MailingCommand(*area, false, askPaper, table);
  area->GetDocument()->Refresh(true, true);
  package.ReportCommandError(code);
}

void CommandPrintedPage(void* result) { xMorvaCommandParams::PutValue(result, GetCurrentPrintedPage()); }

}  // namespace xMorvaPrinting
