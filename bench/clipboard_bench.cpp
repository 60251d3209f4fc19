// Styled text through the clipboard's own flavour: about 1 MB of the
// reference document copied as an 'xMo7' stream, and that stream pasted
// into the middle of the 500-page reference document of another document
// (a read of the stream, fonts and sheets mapped, one insertion of the
// bytes, the paragraph transitions and one undo step).
#include <benchmark/benchmark.h>

#include <memory>

#include "bench/BenchMain.h"
#include "bench/ReferenceDocument.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaUndo.h"
#include "engine/xMorvaDocumentEngineServices.h"
#include "engine/xMorvaEngine.h"
#include "framework/core/VService.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/VMemoryStream.h"
#include "graphics/VGraphicsStart.h"

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

}  // namespace

BENCHMARK(CopyOneMegabyte)->Unit(benchmark::kMillisecond);
BENCHMARK(PasteOneMegabyteInTheMiddle)->Unit(benchmark::kMillisecond)->Iterations(5);

int main(int argc, char** argv) {
  return RunBenchmarksWithCoreServices(argc, argv, &InitGraphics, &ExitGraphics);
}
