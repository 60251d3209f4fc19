// Growth of the containers one element at a time: a million pushes on a long
// stack, whose handle is resized once every ten pushes, a million appends to
// a typed array of longs, whose store grows by its 64-byte granule, next to a
// plain std::vector of the same values.
#include <benchmark/benchmark.h>

#include <vector>

#include "bench/BenchMain.h"
#include "framework/core/containers/VNumericArrays.h"
#include "framework/core/memory/VHandleArray.h"
#include "framework/core/memory/VHeap.h"
#include "framework/core/memory/VWinMemoryMgr.h"

namespace {

constexpr uint32_t kCount = 1000000;

void VectorPushBack(benchmark::State& state) {
  for (auto _ : state) {
    std::vector<uint32_t> v;
    for (uint32_t i = 0; i < kCount; ++i) v.push_back(i);
    benchmark::DoNotOptimize(v.data());
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * kCount);
}

void LongStackPush(benchmark::State& state) {
  for (auto _ : state) {
    VLongStack stack;
    for (uint32_t i = 0; i < kCount; ++i) {
      if (!stack.Push(i)) {
        state.SkipWithError("push refused");
        break;
      }
    }
    benchmark::DoNotOptimize(stack.GetCount());
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * kCount);
}

void LongStackPushPop(benchmark::State& state) {
  for (auto _ : state) {
    VLongStack stack;
    for (uint32_t i = 0; i < kCount; ++i) stack.Push(i);
    uint32_t sum = 0;
    while (!stack.IsEmpty()) sum += stack.Pop();
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * kCount * 2);
}

// Each append inserts one element at the end (one resize of the store, which
// mostly stays inside its block) and stores it through the array's setter.
void LongArrayAppend(benchmark::State& state) {
  for (auto _ : state) {
    VLongArray array;
    for (uint32_t i = 0; i < kCount; ++i) {
      if (array.AppendLong(int32_t(i), false) != int32_t(i) + 1) {
        state.SkipWithError("append refused");
        break;
      }
    }
    benchmark::DoNotOptimize(array.Count());
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * kCount);
}

}  // namespace

BENCHMARK(VectorPushBack)->Unit(benchmark::kMillisecond);
BENCHMARK(LongStackPush)->Unit(benchmark::kMillisecond);
BENCHMARK(LongStackPushPop)->Unit(benchmark::kMillisecond);
BENCHMARK(LongArrayAppend)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) { return RunBenchmarksWithCoreServices(argc, argv); }
