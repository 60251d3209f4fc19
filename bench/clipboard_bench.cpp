// Styled text through the clipboard's own flavour: about 1 MB of the
// reference document copied as an 'xMo7' stream, and that stream pasted
// into the middle of the 500-page reference document of another document
// (a read of the stream, fonts and sheets mapped, one insertion of the
// bytes, the paragraph transitions and one undo step). And the copy
// command on the whole reference document of 50, 500 and 2,000 pages:
// every flavour the document puts ('xMo7', the ruler, 'TEXT' with its
// 'styl', RTF), whose cost should follow the text, not its style runs
// times the installed fonts.
#include <benchmark/benchmark.h>

#include <memory>

#include "area/files/xMorvaFileFormats.h"
#include "bench/BenchMain.h"
#include "bench/FormatBench.h"
#include "bench/ProcessBench.h"
#include "bench/ReferenceDocument.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaUndo.h"
#include "engine/xMorvaDocumentEngineServices.h"
#include "engine/xMorvaEngine.h"
#include "engine/xMorvaTextTransferEngine.h"
#include "framework/core/VService.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/VMemoryStream.h"
#include "framework/system/environment/VClipboard.h"
#include "graphics/VGraphicsStart.h"
#include "interchange/rtf/xMorvaRtfFormats.h"
#include "interchange/text/xMorvaClipboardFilters.h"
#include "platform/toolbox/TbxScrap.h"

namespace {

xMorvaDocumentEngineServices sEngines;

// A document whose body holds the 500-page reference document.
std::unique_ptr<xMorvaDocument> LoadedDocument() {
  static const ReferenceDocument chosen = MakeReferenceDocument(500);
  std::unique_ptr<xMorvaDocument> document(new xMorvaDocument(nullptr));
  auto* body = static_cast<xMorvaEngine*>(document->GetPart(kPartBody));
  body->InsertBytes(0u, chosen.stream.data(), uint32_t(chosen.stream.size()));
  body->SetLength(chosen.positions);
  return document;
}

xMorvaEngine& Body(xMorvaDocument& document) { return *static_cast<xMorvaEngine*>(document.GetPart(kPartBody)); }

// The copied range: from the start up to about 1 MB of element bytes.
void SelectAboutOneMegabyte(xMorvaEngine& body) {
  int32_t end = body.GetLength();
  body.SetSelection(0, end);
  while (body.GetSelEndOffset() > 1000000 && end > 0) {
    end = end * 99 / 100;
    body.SetSelection(0, end);
  }
}

void CopyOneMegabyte(benchmark::State& state) {
  VInstalledService<xMorvaEngineServices> installed(&sEngines);
  auto source = LoadedDocument();
  xMorvaEngine& body = Body(*source);
  SelectAboutOneMegabyte(body);
  uint64_t bytes = 0;
  for (auto _ : state) {
    const VMemHandle stream = body.WriteStream(*source);
    if (stream == 0) {
      state.SkipWithError("copy failed");
      break;
    }
    bytes = gMemoryMgr->GetHandleSize(stream);
    gMemoryMgr->DisposeHandle(stream);
  }
  state.counters["stream_MB"] = double(bytes) / 1e6;
}

void PasteOneMegabyteInTheMiddle(benchmark::State& state) {
  VInstalledService<xMorvaEngineServices> installed(&sEngines);
  auto source = LoadedDocument();
  SelectAboutOneMegabyte(Body(*source));
  const VMemHandle stream = Body(*source).WriteStream(*source);
  const uint32_t size = gMemoryMgr->GetHandleSize(stream);
  const void* bytes = gMemoryMgr->LockHandle(stream);
  for (auto _ : state) {
    state.PauseTiming();
    auto target = LoadedDocument();
    target->GetUndo()->Resume();
    xMorvaEngine& body = Body(*target);
    const int32_t middle = body.GetLength() / 2;
    body.SetSelection(middle, middle);
    VMemoryStream in(bytes, size);
    in.OpenRead();
    state.ResumeTiming();
    if (body.PasteStreamWithUndo(in, *target) != 0) {
      state.SkipWithError("paste failed");
      break;
    }
    state.PauseTiming();
    in.CloseRead();
    target.reset();
    state.ResumeTiming();
  }
  gMemoryMgr->UnlockHandle(stream);
  gMemoryMgr->DisposeHandle(stream);
  state.counters["stream_MB"] = double(size) / 1e6;
}

// The copy command on the whole document: select all, copy. `peak_MB` is
// the process's peak from the document's making to the copy's end, and
// `copy_MB` what the copy added to the memory the document held.
void CopyWholeDocument(benchmark::State& state) {
  const auto pages = int32_t(state.range(0));
  ResetPeak();
  VInstalledService<xMorvaEngineServices> installed(&sEngines);
  xMorvaTextTransferEngine transfer;
  VInstalledService<xMorvaTextTransferServices> installedTransfer(&transfer);
  xMorvaClipboardFilters filters;
  VInstalledService<xMorvaInterchangeServices> installedFilters(&filters);
  InstallRtfFormats();
  VClipboard clipboard;
  gClipboard = &clipboard;
  auto document = std::make_unique<xMorvaDocument>(nullptr);
  FillWithReferenceDocument(*document, pages);
  xMorvaEngine& body = Body(*document);
  body.SetSelection(0, body.GetLength());
  const int64_t before = StatusBytes("VmRSS:");
  for (auto _ : state) {
    document->CopySelection();
    if (!clipboard.HasData(FourCC("RTF ")) || !clipboard.HasData(FourCC("styl")))
      state.SkipWithError("the copy put too little");
  }
  const int64_t peak = StatusBytes("VmHWM:");
  state.counters["pages"] = pages;
  state.counters["positions"] = body.GetLength();
  state.counters["peak_MB"] = double(peak) / 1e6;
  state.counters["copy_MB"] = double(peak - before) / 1e6;
  document.reset();
  gClipboard = nullptr;
  Tbx::ZeroScrap();
  RemoveRtfFormats();
}

}  // namespace

BENCHMARK(CopyWholeDocument)->ArgName("pages")->Arg(50)->Arg(500)->Arg(2000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(CopyOneMegabyte)->Unit(benchmark::kMillisecond);
BENCHMARK(PasteOneMegabyteInTheMiddle)->Unit(benchmark::kMillisecond)->Iterations(5);

int main(int argc, char** argv) {
  return RunBenchmarksWithCoreServices(argc, argv, &InitGraphics, &ExitGraphics);
}
