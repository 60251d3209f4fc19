// The framework heap against the C library's malloc on the same deterministic
// mix of small allocations and frees over a live set of objects.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "framework/core/memory/VHeap.h"

namespace {

// One step of the mix: the slot to replace and the size of its new object.
struct Step {
  uint32_t slot;
  uint32_t size;
};

// Sizes 8..256, slots of a live set of `live` objects, from a fixed
// linear congruential sequence so both allocators see the same work.
std::vector<Step> MakeMix(uint32_t live, size_t steps) {
  std::vector<Step> mix(steps);
  uint32_t x = 2463534242u;
  for (Step& s : mix) {
    x = x * 1664525u + 1013904223u;
    s.slot = (x >> 8) % live;
    x = x * 1664525u + 1013904223u;
    s.size = 8 + (x >> 8) % 249;
  }
  return mix;
}

constexpr size_t kSteps = 1 << 16;

template <typename Alloc, typename Free>
void RunMix(benchmark::State& state, Alloc alloc, Free release) {
  const uint32_t live = static_cast<uint32_t>(state.range(0));
  const std::vector<Step> mix = MakeMix(live, kSteps);
  std::vector<void*> slots(live, nullptr);
  for (uint32_t i = 0; i < live; ++i) slots[i] = alloc(8 + i % 249);
  for (auto _ : state) {
    for (const Step& s : mix) {
      release(slots[s.slot]);
      void* p = alloc(s.size);
      *static_cast<volatile char*>(p) = 1;
      slots[s.slot] = p;
    }
    benchmark::ClobberMemory();
  }
  for (void* p : slots) release(p);
  state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(kSteps));
}

void BM_VHeapMix(benchmark::State& state) {
  VHeap heap;
  RunMix(state, [&](size_t n) { return heap.Allocate(n); }, [&](void* p) { heap.Free(p); });
}

void BM_MallocMix(benchmark::State& state) {
  RunMix(state, [](size_t n) { return std::malloc(n); }, [](void* p) { std::free(p); });
}

}  // namespace

BENCHMARK(BM_VHeapMix)->Arg(100)->Arg(1000)->Arg(10000);
BENCHMARK(BM_MallocMix)->Arg(100)->Arg(1000)->Arg(10000);
