// The editing area as the host language drives it: a command's round trip
// (the reference looked up among many live areas, the work, the closing
// report) and the idle refresh of an area's bars and status over selections
// of growing length.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "area/xMorvaBarState.h"
#include "area/xMorvaMain.h"
#include "area/xMorvaPlugIn.h"
#include "bench/AreaBenchSupport.h"
#include "bench/BenchMain.h"
#include "bench/ProcessBench.h"
#include "boundary/ModuleExports.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaText.h"
#include "engine/xMorvaDocumentEngineServices.h"
#include "framework/core/memory/VHeap.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/strings/VUniString.h"
#include "framework/system/resources/VMacResourceFile.h"
#include "graphics/VCharWidthCache.h"
#include "host/context/VHostContext.h"
#include "platform/toolbox/TbxResources.h"

namespace {


void Start() {
  OpenAreaServices();
}

void Stop() {
  CloseAreaServices();
}

// A package with `count` offscreen areas, each with its commands.
struct Areas {
  explicit Areas(int64_t count) : package(new xMorvaMain(nullptr)) {
    package->Init();
    gCurrentPackage = package.get();
    for (int64_t i = 0; i < count; ++i) {
      auto* area = new xMorvaPlugIn(package.get());
      area->ReloadCommands();
      last = area;
    }
  }
  ~Areas() {
    // The package lets its areas go with it.
    gCurrentPackage = nullptr;
    package.reset();
  }
  std::unique_ptr<xMorvaMain> package;
  xMorvaPlugIn* last = nullptr;
};

// Command 2 (a text command) and command 115 (a command's value, text,
// title and enabled state after a refresh) on the last of N live areas.
void BM_CommandRoundTrip(benchmark::State& state) {
  Areas areas(state.range(0));
  uint32_t reference = areas.last->GetReference();
  int32_t id = 502;
  int32_t value = 0;
  uint8_t text[256] = {}, title[256] = {};
  int16_t enabled = 0;
  int32_t start = 0, end = 0;
  void* second[] = {&reference, &start, &end};
  void* state115[] = {&reference, &id, &value, text, title, &enabled};
  int32_t result = 0;
  for (auto _ : state) {
    areas.package->ExecuteCommand(2, second, &result);
    areas.package->ExecuteCommand(115, state115, &result);
    benchmark::DoNotOptimize(value);
  }
  state.SetItemsProcessed(state.iterations() * 2);
}
BENCHMARK(BM_CommandRoundTrip)->Arg(1)->Arg(100)->Arg(10000)->Unit(benchmark::kMicrosecond);

// The refresh an idle event runs two ticks after a request, over a
// selection of N characters (one paragraph of words).
void BM_IdleRefresh(benchmark::State& state) {
  Areas areas(1);
  xMorvaPlugIn* area = areas.last;
  xMorvaTextInterface* text = area->GetDocument()->GetCurrentPart();
  std::u16string characters;
  for (int64_t i = 0; i < state.range(0); ++i) characters += (i % 6 == 5) ? u' ' : char16_t(u'a' + i % 26);
  VStrInHandle string;
  string.SetUniCText(characters.c_str());
  VMemHandle units = gMemoryMgr->NewEmptyHandle();
  uint32_t positions = 0, bytes = 0;
  if (text->StringToUnits(string, units, positions, bytes, false)) {
    text->InsertHandle(units, static_cast<int32_t>(positions));
  }
  gMemoryMgr->DisposeHandle(units);
  text->SetSelection(0, text->GetLength());
  uint32_t now = 1000;
  for (auto _ : state) {
    UpdateBarState(*area, false);
    area->ServeRefreshes(now);
    area->ServeRefreshes(now + 2);
    now += 3;
  }
  state.counters["characters"] = text->GetLength();
}
BENCHMARK(BM_IdleRefresh)->Arg(10)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);

// N offscreen areas made, all alive at once, then closed with their
// package: the time per area stays level from 100 to 10,000 when nothing
// the areas share (the font cache above all) grows with their number, and
// the memory the process holds after closing them is where it was before.
void BM_MakeAndCloseAreas(benchmark::State& state) {
  const int64_t count = state.range(0);
  ResetPeak();
  const int64_t before = StatusBytes("VmRSS:");
  state.counters["heap_before_KB"] = double(mallinfo2().uordblks) / 1024.0;
  state.counters["vheap_used_before_KB"] = double(gHeap->GetUsedBytes()) / 1024.0;
  int64_t peak = 0;
  for (auto _ : state) {
    Areas areas(count);
    peak = std::max(peak, StatusBytes("VmRSS:"));
  }
  ResetPeak();
  const int64_t after = StatusBytes("VmRSS:");
  state.counters["heap_KB"] = double(mallinfo2().uordblks) / 1024.0;
  state.counters["vheap_used_KB"] = double(gHeap->GetUsedBytes()) / 1024.0;
  state.counters["vheap_arena_KB"] = double(gHeap->GetArenaBytes()) / 1024.0;
  state.counters["us_per_area"] = benchmark::Counter(
      double(count) * 1e-6, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  state.counters["live_KB_per_area"] = double(peak - before) / 1024.0 / double(count);
  state.counters["kept_KB"] = double(after - before) / 1024.0;
}
BENCHMARK(BM_MakeAndCloseAreas)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv) { return RunBenchmarksWithCoreServices(argc, argv, &Start, &Stop); }
