// The main of the benchmark programs that need the core services.
#include "bench/BenchMain.h"

#include <benchmark/benchmark.h>

#include "framework/core/memory/VHeap.h"
#include "framework/core/memory/VWinMemoryMgr.h"

int RunBenchmarksWithCoreServices(int argc, char** argv, void (*start)(), void (*stop)()) {
  // The heap first, then the memory manager over it; undone in reverse.
  gHeap = new VHeap();
  gMemoryMgr = new VWinMemoryMgr();
  if (start != nullptr) start();
  benchmark::Initialize(&argc, argv);
  const bool unrecognized = benchmark::ReportUnrecognizedArguments(argc, argv);
  if (!unrecognized) benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (stop != nullptr) stop();
  delete gMemoryMgr;
  gMemoryMgr = nullptr;
  gHeap->Destroy();
  delete gHeap;
  gHeap = nullptr;
  return unrecognized ? 1 : 0;
}
