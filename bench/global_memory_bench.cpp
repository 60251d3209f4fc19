// Moveable global blocks grown as a document's stream grows while a file is
// read: in steps of a few kilobytes, each step's bytes written, to 1, 16 and
// 64 MB. Reports the bytes a second the block takes in.
#include <benchmark/benchmark.h>

#include <cstring>

#include "platform/win32/WinMemory.h"

namespace {

constexpr SIZE_T kStep = 8 * 1024;

void GrowInSteps(benchmark::State& state) {
  const SIZE_T total = SIZE_T(state.range(0)) * 1024 * 1024;
  for (auto _ : state) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 0);
    for (SIZE_T size = kStep; size <= total; size += kStep) {
      if (GlobalReAlloc(block, size, GMEM_MOVEABLE) != block) state.SkipWithError("the block did not grow");
      auto* bytes = static_cast<uint8_t*>(GlobalLock(block));
      std::memset(bytes + size - kStep, int(size / kStep), kStep);
      GlobalUnlock(block);
    }
    benchmark::DoNotOptimize(GlobalSize(block));
    GlobalFree(block);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(total));
}
BENCHMARK(GrowInSteps)->Arg(1)->Arg(16)->Arg(64)->Unit(benchmark::kMillisecond);

}  // namespace
