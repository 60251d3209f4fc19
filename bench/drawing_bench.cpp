// Drawing of the document body over the 500-page reference document: the
// view scrolled to page 400 and that page drawn (the page found from its
// top, every line of it measured and drawn, the selection region rebuilt),
// pages 3 to 5 printed through the print job into a three-page PDF, and
// every page of the 50-, 500- and 2,000-page documents printed into one,
// of the reference text and of Vietnamese (decomposed and precomposed) and
// emoji text.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "bench/BenchMain.h"
#include "bench/ReferenceDocument.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaUndo.h"
#include "engine/xMorvaDocumentDrawing.h"
#include "engine/xMorvaDocumentEngineServices.h"
#include "engine/xMorvaDocumentLayout.h"
#include "engine/xMorvaEngine.h"
#include "engine/xMorvaFont.h"
#include "engine/xMorvaLines.h"
#include "engine/xMorvaPages.h"
#include "framework/core/VService.h"
#include "framework/core/values/VPictureMaker.h"
#include "graphics/VDIBPort.h"
#include "graphics/VGraphicsStart.h"
#include "graphics/pictures/VPictureData.h"
#include "graphics/printing/VWinPrinter.h"
#include "platform/print/WinPrint.h"

namespace {

// A document holding the reference text in its body and its footer,
// composed and paged by its own layout.
struct PagedDocument {
  explicit PagedDocument(int32_t pageCount, BenchText text = BenchText::kReference)
      : document(new xMorvaDocument(nullptr)) {
    // Lines 600 pixels wide, as the reference document's lines are laid out.
    xMorvaDocParams& params = document->Params();
    params.SetViewMode(0);
    params.SetColumns(1);
    params.SetBinding(0);
    params.SetLeftMargin(40);
    params.SetRightMargin(40);
    params.SetPageSize(680, 1000);
    for (bool first : {false, true}) {
      xMorvaPageBands& bands = params.GetBands(first);
      bands.bottomMargin = std::max(bands.bottomMargin, 60);
      bands.footerTop = 50;
      bands.footerBottom = 20;
    }
    document->GetUndo()->Suspend();
    auto* body = static_cast<xMorvaEngine*>(document->GetPart(kPartBody));
    {
      // The made elements go as soon as the parts hold their copy, so that
      // the peak the printing benchmark reports is the document's and the
      // job's, not this maker's.
      const ReferenceDocument reference = MakeBenchText(pageCount, text);
      body->InsertBytes(0u, reference.stream.data(), uint32_t(reference.stream.size()));
      body->SetLength(reference.positions);
      auto* footer = static_cast<xMorvaEngine*>(document->GetPart(kPartFooter));
      footer->InsertBytes(0u, reference.footer.data(), uint32_t(reference.footer.size()));
      footer->SetLength(reference.footerPositions);
    }
    document->GetUndo()->Resume();
    body->SetSelection(10, 200);
    layout = dynamic_cast<xMorvaDocumentLayout*>(document->GetLayout());
    if (layout == nullptr || layout->GetDrawing() == nullptr) return;
    layout->ComposeAll();
    // Pages of 45 lines of the text's line height (the least of the first
    // lines: the first holds a picture).
    const xMorvaLines& lines = *layout->GetLines(0);
    int32_t lineHeight = 0;
    for (int32_t i = 0; i < std::min(lines.GetLineCount(), 50); ++i) {
      const int32_t height = lines.GetLine(i).height;
      if (height > 0 && (lineHeight == 0 || height < lineHeight)) lineHeight = height;
    }
    if (lineHeight == 0) lineHeight = 16;
    const xMorvaPageBands& bands = params.GetBands(false);
    params.SetPageSize(680, bands.topMargin + bands.bottomMargin + 45 * lineHeight + lineHeight / 2);
    layout->Repaginate();
  }
  int32_t PageCount() const { return layout != nullptr ? layout->GetPages().GetPageCount() : 0; }

  xMorvaDocumentEngineServices engines;
  VInstalledService<xMorvaEngineServices> installed{&engines};
  VInstalledService<const VPictureMaker> maker{&kPictureValueMaker};
  std::unique_ptr<xMorvaDocument> document;
  xMorvaDocumentLayout* layout = nullptr;
};

// The 500-page document the drawing benchmarks share, made on first use and
// released before the graphics layer and the heap stop under it.
std::unique_ptr<PagedDocument> gPaged500;

PagedDocument& Paged500() {
  if (!gPaged500) gPaged500 = std::make_unique<PagedDocument>(500);
  return *gPaged500;
}

void StopDrawing() {
  gPaged500.reset();
  ExitGraphics();
}

// The process's peak resident memory so far, in megabytes.
double PeakMegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return double(usage.ru_maxrss) / 1024.0;
}

void ScrollToPage400AndDraw(benchmark::State& state) {
  PagedDocument& paged = Paged500();
  const xMorvaDocParams& params = paged.document->GetParams();
  const int32_t width = params.GetPageWidth() + 40;
  const int32_t height = params.GetPageHeight() + 8;
  VDIBPort canvas(width, height, 32);
  canvas.SetFillColor(0xFFFFFF);
  canvas.SetFillPatternIndex(6);
  canvas.PaintRect(0, 0, width, height);
  xMorvaSelectionState selection;
  if (paged.PageCount() < 400) {
    state.SkipWithError("the reference document has fewer than 400 pages");
    return;
  }
  for (auto _ : state) {
    // The scroll: the page's top in the view, then its visible band drawn.
    const int32_t top = paged.layout->GetDrawing()->GetPageTop(399) - 4;
    canvas.PushOrigin(0, -top);
    paged.document->GetLayout()->SetDrawingMode(kDrawPaint);
    paged.document->DrawDocument(&selection, canvas, 0, top, width, height, 10);
    canvas.PopOrigin();
  }
  // Something of the page was drawn.
  const auto* bits = static_cast<const uint32_t*>(canvas.GetBits());
  int64_t ink = 0;
  for (int32_t i = 0; i < width * height; ++i) ink += (bits[i] & 0xFFFFFF) == 0;
  if (ink == 0) state.SkipWithError("nothing was drawn");
  state.counters["ink_pixels"] = double(ink);
  state.counters["pages"] = paged.PageCount();
  state.counters["lines"] = paged.layout->GetLines(0)->GetLineCount();
}

// Typing at the end of the body, each key composed, paged and its line
// drawn again (the band of the caret's line, as the view redraws it).
void TypingAtEndWithRedraw(benchmark::State& state) {
  PagedDocument paged(int32_t(state.range(0)));
  if (paged.layout == nullptr) {
    state.SkipWithError("no layout");
    return;
  }
  xMorvaDocument& document = *paged.document;
  xMorvaTextInterface* body = document.GetPart(kPartBody);
  const xMorvaDocParams& params = document.GetParams();
  const int32_t width = params.GetPageWidth() + 40;
  VDIBPort canvas(width, 64, 32);
  xMorvaSelectionState selection;
  body->SetSelection(body->GetLength(), body->GetLength());
  document.BeginChange();
  body->InsertParagraphEndWithUndo();
  document.EndChange();
  constexpr int32_t kKeys = 1000;
  for (auto _ : state) {
    for (int32_t i = 0; i < kKeys; ++i) {
      document.BeginChange();
      body->TypeCharacterWithUndo(char16_t(i % 7 == 6 ? ' ' : 'a' + i % 26));
      document.EndChange();
      xMorvaLineLocation where;
      document.LocateOffset(body->GetSelStartOffset(), where);
      canvas.PushOrigin(0, -where.top);
      document.DrawDocument(&selection, canvas, 0, where.top, width, where.height, 10);
      canvas.PopOrigin();
    }
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * kKeys);
  state.counters["pages"] = paged.PageCount();
}

void PrintPages3To5(benchmark::State& state) {
  PagedDocument& paged = Paged500();
  char folder[] = "/tmp/qvprintbenchXXXXXX";
  if (mkdtemp(folder) == nullptr) {
    state.SkipWithError("no scratch folder");
    return;
  }
  const std::string pdf = std::string(folder) + "/pages.pdf";
  SetHeadlessPrintOutput(pdf.c_str());
  for (auto _ : state) {
    VWinPrinter printer;
    printer.SetFirstPage(3);
    printer.SetLastPage(5);
    VPort* port = printer.BeginDocument("Reference pages 3 to 5");
    if (port == nullptr || printer.GetPageCount() != 3) {
      state.SkipWithError("the print job did not start");
      break;
    }
    for (int32_t page = 3; page <= 5; ++page) {
      paged.document->DrawPageForPrinting(*port, page - 1, 0, 0);
      printer.NextPage();
    }
    printer.EndDocument();
  }
  ResetHeadlessPrinting();
  unlink(pdf.c_str());
  rmdir(folder);
}

// Every page of the document printed into one PDF. The time of a page
// (page_time) should not grow with the document; print_peak_MB is what the
// job added to the process's peak memory, raster_Mpixels the page pixels it
// made for raster calls.
void PrintEveryPageOf(benchmark::State& state, BenchText text) {
  PagedDocument paged(int32_t(state.range(0)), text);
  const int32_t pages = paged.PageCount();
  char folder[] = "/tmp/qvprintbenchXXXXXX";
  if (pages == 0 || mkdtemp(folder) == nullptr) {
    state.SkipWithError("no pages or no scratch folder");
    return;
  }
  const std::string pdf = std::string(folder) + "/all.pdf";
  ResetHeadlessPrinting();
  SetHeadlessPrintOutput(pdf.c_str());
  const double peakBefore = PeakMegabytes();
  for (auto _ : state) {
    VWinPrinter printer;
    printer.SetFirstPage(1);
    printer.SetLastPage(pages);
    VPort* port = printer.BeginDocument("Reference document");
    if (port == nullptr || printer.GetPageCount() != pages) {
      state.SkipWithError("the print job did not start");
      break;
    }
    for (int32_t page = 0; page < pages; ++page) {
      paged.document->DrawPageForPrinting(*port, page, 0, 0);
      printer.NextPage();
    }
    printer.EndDocument();
  }
  state.counters["pages"] = pages;
  state.counters["page_time"] = benchmark::Counter(
      pages, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  state.counters["print_peak_MB"] = PeakMegabytes() - peakBefore;
  state.counters["peak_MB"] = PeakMegabytes();
  state.counters["raster_Mpixels"] = double(HeadlessPrintPagePixels()) / 1e6;
  struct stat info{};
  if (stat(pdf.c_str(), &info) == 0) state.counters["pdf_MB"] = double(info.st_size) / 1048576.0;
  ResetHeadlessPrinting();
  // QV_KEEP keeps the PDF for a look (its path goes to the error stream).
  if (getenv("QV_KEEP") != nullptr) {
    fprintf(stderr, "kept %s\n", pdf.c_str());
    return;
  }
  unlink(pdf.c_str());
  rmdir(folder);
}

void PrintEveryPage(benchmark::State& state) { PrintEveryPageOf(state, BenchText::kReference); }
void PrintEveryPageOfText(benchmark::State& state) { PrintEveryPageOf(state, BenchText(state.range(1))); }

}  // namespace

BENCHMARK(ScrollToPage400AndDraw)->Unit(benchmark::kMillisecond);
BENCHMARK(TypingAtEndWithRedraw)->ArgName("pages")->Arg(50)->Arg(500)->Arg(2000)
    ->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(PrintPages3To5)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(PrintEveryPage)->ArgName("pages")->Arg(50)->Arg(500)->Arg(2000)
    ->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(PrintEveryPageOfText)->ArgNames({"pages", "nfd1_nfc2_emoji3"})->ArgsProduct({{50, 500, 2000}, {1, 2, 3}})
    ->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char** argv) {
  return RunBenchmarksWithCoreServices(argc, argv, &InitGraphics, &StopDrawing);
}
