// Host commands over documents of growing size, each expected to grow
// linearly: the statistics of the text (command 143, its words), and the
// whole text copied as an element stream (127) and inserted into an empty
// area (128, which checks the stream whole before it reaches the text),
// for streams of about 256 KB, 1 MB and 4 MB.
#include <benchmark/benchmark.h>

#include <cstring>
#include <map>
#include <memory>
#include <string>

#include "area/xMorvaMain.h"
#include "area/xMorvaPlugIn.h"
#include "bench/BenchMain.h"
#include "bench/ReferenceDocument.h"
#include "boundary/ModuleExports.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaText.h"
#include "document/xMorvaUndo.h"
#include "engine/xMorvaDocumentEngineServices.h"
#include "engine/xMorvaTextTransferEngine.h"
#include "framework/system/resources/VMacResourceFile.h"
#include "graphics/VCharWidthCache.h"
#include "host/context/VHostContext.h"
#include "platform/toolbox/TbxHandles.h"
#include "platform/toolbox/TbxResources.h"

namespace {

xMorvaDocumentEngineServices sEngine;
xMorvaTextTransferEngine sTransfer;
int16_t sResourceFile = -1;

void Start() {
  xMorvaEngineServiceSlot::Install(&sEngine);
  xMorvaTextTransferSlot::Install(&sTransfer);
  const std::string path = QV_RESOURCE_FILE;
  uint8_t pascal[256];
  pascal[0] = static_cast<uint8_t>(path.size());
  std::memcpy(pascal + 1, path.data(), path.size());
  sResourceFile = Tbx::OpenResFile(pascal);
  if (sResourceFile >= 0) Tbx::SetResFileSwapProc(sResourceFile, &SwapRsrcProc);
  Tbx::UseResFile(sResourceFile);
  gModuleResFile = new VMacResourceFile(sResourceFile);
}

void Stop() {
  delete gModuleResFile;
  gModuleResFile = nullptr;
  if (sResourceFile >= 0) Tbx::CloseResFile(sResourceFile);
  FreeFontCache();
  xMorvaTextTransferSlot::Remove(&sTransfer);
  xMorvaEngineServiceSlot::Remove(&sEngine);
}

const ReferenceDocument& Reference(int32_t pages) {
  static std::map<int32_t, ReferenceDocument> documents;
  auto it = documents.find(pages);
  if (it == documents.end()) it = documents.emplace(pages, MakeReferenceDocument(pages)).first;
  return it->second;
}

// The reference document runs at about 6 KB of stream a page.
constexpr int32_t kPagesOfSize[] = {43, 170, 680};

// A package with a source area holding the reference document and an
// empty target area, both without a form.
struct TwoAreas {
  explicit TwoAreas(int32_t pages) : package(new xMorvaMain(nullptr)) {
    package->Init();
    gCurrentPackage = package.get();
    source = new xMorvaPlugIn(package.get());
    target = new xMorvaPlugIn(package.get());
    const ReferenceDocument& reference = Reference(pages);
    xMorvaTextInterface* text = source->GetDocument()->GetCurrentPart();
    text->InsertBytes(0, int32_t(reference.stream.size()));
    std::memcpy(text->LockStream(), reference.stream.data(), reference.stream.size());
    text->UnlockStream();
    text->SetLength(reference.positions);
    text->SetSelection(0, reference.positions);
    bytes = reference.stream.size();
  }
  ~TwoAreas() {
    gCurrentPackage = nullptr;
    package.reset();
  }
  int32_t Run(int32_t n, xMorvaPlugIn* area, void* parameter, void* result) {
    uint32_t reference = area->GetReference();
    void* params[4] = {&reference, parameter, nullptr, nullptr};
    package->ExecuteCommand(n, params, result);
    int32_t code = -1;
    void* last[2] = {&reference, nullptr};
    package->ExecuteCommand(28, last, &code);
    return code;
  }
  std::unique_ptr<xMorvaMain> package;
  xMorvaPlugIn* source = nullptr;
  xMorvaPlugIn* target = nullptr;
  size_t bytes = 0;
};

void BM_Statistics(benchmark::State& state) {
  TwoAreas areas(int32_t(state.range(0)));
  int32_t kind = 1;
  int32_t words = 0;
  for (auto _ : state) {
    if (areas.Run(143, areas.source, &kind, &words) != 0) state.SkipWithError("143 failed");
    benchmark::DoNotOptimize(words);
  }
  state.counters["words"] = words;
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(areas.bytes));
}
BENCHMARK(BM_Statistics)
    ->Arg(kPagesOfSize[0])->Arg(kPagesOfSize[1])->Arg(kPagesOfSize[2])->Unit(benchmark::kMillisecond);

void BM_CopyStream(benchmark::State& state) {
  TwoAreas areas(int32_t(state.range(0)));
  size_t copied = 0;
  for (auto _ : state) {
    uint32_t handle = 0;
    if (areas.Run(127, areas.source, nullptr, &handle) != 0) state.SkipWithError("127 failed");
    copied = size_t(Tbx::GetHandleSize(handle));
    Tbx::DisposeHandle(handle);
  }
  state.counters["stream bytes"] = double(copied);
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(copied));
}
BENCHMARK(BM_CopyStream)
    ->Arg(kPagesOfSize[0])->Arg(kPagesOfSize[1])->Arg(kPagesOfSize[2])->Unit(benchmark::kMillisecond);

void BM_InsertStream(benchmark::State& state) {
  TwoAreas areas(int32_t(state.range(0)));
  uint32_t handle = 0;
  areas.Run(127, areas.source, nullptr, &handle);
  const auto copied = int64_t(Tbx::GetHandleSize(handle));
  xMorvaTextInterface* text = areas.target->GetDocument()->GetCurrentPart();
  for (auto _ : state) {
    state.PauseTiming();
    text->SetSelection(0, text->GetLength());
    text->DeleteSelectionWithUndo();
    if (xMorvaUndo* undo = areas.target->GetDocument()->GetUndo()) undo->Clear(false);
    state.ResumeTiming();
    if (areas.Run(128, areas.target, &handle, nullptr) != 0) state.SkipWithError("128 failed");
  }
  Tbx::DisposeHandle(handle);
  state.counters["stream bytes"] = double(copied);
  state.SetBytesProcessed(int64_t(state.iterations()) * copied);
}
BENCHMARK(BM_InsertStream)
    ->Arg(kPagesOfSize[0])->Arg(kPagesOfSize[1])->Arg(kPagesOfSize[2])->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return RunBenchmarksWithCoreServices(argc, argv, &Start, &Stop); }
