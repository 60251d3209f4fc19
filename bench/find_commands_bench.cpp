// Replace all (command 112) on an offscreen area's document of N words, one
// word in ten a match: the commands' round trip with the find, the new text
// built in one walk and put in place, and the lines and pages brought up to
// date after; then the same with the undo history recording, each pass
// followed by the undo that takes it back. Expected linear in the words.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <string>

#include "area/xMorvaMain.h"
#include "area/xMorvaPlugIn.h"
#include "bench/AreaBenchSupport.h"
#include "bench/BenchMain.h"
#include "boundary/HostRecords.h"
#include "boundary/ModuleExports.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaLayoutInterface.h"
#include "document/xMorvaText.h"
#include "engine/xMorvaDocumentEngineServices.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/strings/VUniString.h"
#include "framework/system/resources/VMacResourceFile.h"
#include "graphics/VCharWidthCache.h"
#include "host/context/VHostContext.h"
#include "platform/toolbox/TbxHandles.h"
#include "platform/toolbox/TbxResources.h"

namespace {


void Start() {
  OpenAreaServices();
}

void Stop() {
  CloseAreaServices();
}

// A host text record over a handle of the text's bytes.
struct HostText {
  explicit HostText(const char* text) {
    record.length = int16_t(std::strlen(text));
    record.handle = uint32_t(Tbx::NewHandle(record.length));
    std::memcpy(Tbx::HLock(record.handle), text, size_t(record.length));
    Tbx::HUnlock(record.handle);
  }
  ~HostText() { Tbx::DisposeHandle(record.handle); }
  HostTextRecord record{};
};

// N words in paragraphs of 100; every tenth word is "alpha".
void FillWords(xMorvaTextInterface& text, int64_t words) {
  std::u16string characters;
  characters.reserve(size_t(words) * 6);
  for (int64_t i = 0; i < words; ++i) {
    characters += i % 10 == 9 ? u"alpha" : u"words";
    characters += i % 100 == 99 ? u'\r' : u' ';
  }
  VStrInHandle string;
  string.SetUniChars(characters.data(), 0, int32_t(characters.size()));
  VMemHandle units = gMemoryMgr->NewEmptyHandle();
  uint32_t positions = 0, bytes = 0;
  if (text.StringToUnits(string, units, positions, bytes, false)) text.InsertHandle(units, int32_t(positions));
  gMemoryMgr->DisposeHandle(units);
  text.SetSelection(0, 0);
}

// Replace all on N words, back and forth; with `undo`, the history records
// and each replacement is undone at once.
void RunReplaceAll(benchmark::State& state, bool undo) {
  auto package = std::make_unique<xMorvaMain>(nullptr);
  package->Init();
  gCurrentPackage = package.get();
  auto* area = new xMorvaPlugIn(package.get());
  area->ReloadCommands();
  xMorvaDocument& document = *area->GetDocument();
  FillWords(*document.GetCurrentPart(), state.range(0));
  // Undo keeps every replaced word: the first benchmark measures the
  // replacing alone, with recording off; the second records and undoes.
  document.SetAreaSetting(2, undo ? 1 : 0, nullptr);
  document.GetLayout()->ComposeAll();
  uint32_t reference = area->GetReference();
  // Each pass replaces back what the one before replaced.
  HostText alpha("alpha"), omega("omega");
  int16_t whole = 1, matchCase = 1, all = 0, wrap = 1;
  void* forth[] = {&reference, &alpha.record, &omega.record, &whole, &matchCase, &all, &wrap};
  void* back[] = {&reference, &omega.record, &alpha.record, &whole, &matchCase, &all, &wrap};
  int32_t result = 0;
  bool forward = true;
  for (auto _ : state) {
    package->ExecuteCommand(112, forward ? forth : back, &result);
    if (result != 1) state.SkipWithError("nothing was replaced");
    if (undo) {
      document.DoCommand(1);
    } else {
      forward = !forward;
    }
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
  state.counters["matches"] = double(state.range(0) / 10);
  gCurrentPackage = nullptr;
  package.reset();
}
void BM_ReplaceAll(benchmark::State& state) { RunReplaceAll(state, false); }
void BM_ReplaceAllAndUndo(benchmark::State& state) { RunReplaceAll(state, true); }
BENCHMARK(BM_ReplaceAll)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_ReplaceAllAndUndo)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

int main(int argc, char** argv) { return RunBenchmarksWithCoreServices(argc, argv, &Start, &Stop); }
