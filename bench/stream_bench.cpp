// Handle stream throughput: 100 MB of 32-bit values written and read as one
// array and one value at a time, in this machine's order and swapped, next to
// a plain memcpy of the same bytes.
#include <benchmark/benchmark.h>

#include <cstring>
#include <numeric>
#include <vector>

#include "bench/BenchMain.h"
#include "framework/core/memory/VHeap.h"
#include "framework/core/memory/VWinMemoryMgr.h"
#include "framework/core/streams/VHandleStream.h"

namespace {

constexpr uint32_t kBytes = 100u * 1024 * 1024;
constexpr uint32_t kCount = kBytes / 4;

std::vector<int32_t> Values() {
  std::vector<int32_t> values(kCount);
  std::iota(values.begin(), values.end(), -int32_t(kCount / 2));
  return values;
}

// Data order: Macintosh (swapped on this machine) or this machine's own.
void SetOrders(VStream& stream, bool swap) {
  stream.SetByteOrders(swap ? kByteOrderSetMacintosh : kByteOrderSetThisMachine,
                       kByteOrderSetThisMachine);
}

VMemHandle FilledHandle(bool swap) {
  const std::vector<int32_t> values = Values();
  VMemHandle h = 0;
  VHandleStream stream(h);
  SetOrders(stream, swap);
  stream.OpenWrite();
  stream.PutLongArray(values.data(), kCount);
  stream.CloseWrite(1);
  return h;
}

void Memcpy(benchmark::State& state) {
  const std::vector<int32_t> source = Values();
  std::vector<int32_t> destination(kCount);
  for (auto _ : state) {
    std::memcpy(destination.data(), source.data(), kBytes);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * kBytes);
}

void PutLongArray(benchmark::State& state) {
  const bool swap = state.range(0) != 0;
  const std::vector<int32_t> values = Values();
  for (auto _ : state) {
    VMemHandle h = 0;
    VHandleStream stream(h);
    SetOrders(stream, swap);
    stream.OpenWrite();
    stream.PutLongArray(values.data(), kCount);
    if (stream.CloseWrite(1) != 0) state.SkipWithError("write failed");
    state.PauseTiming();
    gMemoryMgr->DisposeHandle(h);
    state.ResumeTiming();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * kBytes);
}

void GetLongArray(benchmark::State& state) {
  const bool swap = state.range(0) != 0;
  VMemHandle h = FilledHandle(swap);
  std::vector<int32_t> values(kCount);
  for (auto _ : state) {
    VHandleStream stream(h);
    SetOrders(stream, swap);
    stream.OpenRead();
    uint32_t count = kCount;
    stream.GetLongArray(values.data(), count);
    if (stream.CloseRead() != 0 || count != kCount) state.SkipWithError("read failed");
    benchmark::ClobberMemory();
  }
  gMemoryMgr->DisposeHandle(h);
  state.SetBytesProcessed(int64_t(state.iterations()) * kBytes);
}

void PutLong(benchmark::State& state) {
  const bool swap = state.range(0) != 0;
  for (auto _ : state) {
    VMemHandle h = 0;
    VHandleStream stream(h);
    SetOrders(stream, swap);
    stream.OpenWrite();
    for (uint32_t i = 0; i < kCount; ++i) stream.PutLong(int32_t(i));
    if (stream.CloseWrite(1) != 0) state.SkipWithError("write failed");
    state.PauseTiming();
    gMemoryMgr->DisposeHandle(h);
    state.ResumeTiming();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * kBytes);
}

void GetLong(benchmark::State& state) {
  const bool swap = state.range(0) != 0;
  VMemHandle h = FilledHandle(swap);
  for (auto _ : state) {
    VHandleStream stream(h);
    SetOrders(stream, swap);
    stream.OpenRead();
    int64_t sum = 0;
    for (uint32_t i = 0; i < kCount; ++i) sum += stream.GetLong();
    benchmark::DoNotOptimize(sum);
    if (stream.CloseRead() != 0) state.SkipWithError("read failed");
  }
  gMemoryMgr->DisposeHandle(h);
  state.SetBytesProcessed(int64_t(state.iterations()) * kBytes);
}

}  // namespace

BENCHMARK(Memcpy)->Unit(benchmark::kMillisecond);
BENCHMARK(PutLongArray)->ArgName("swap")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(GetLongArray)->ArgName("swap")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(PutLong)->ArgName("swap")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(GetLong)->ArgName("swap")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) { return RunBenchmarksWithCoreServices(argc, argv); }
