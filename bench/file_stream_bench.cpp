// File stream and memory resource file: 16 MB of 32-bit values written and
// read one at a time through the stream's buffer, with the buffer's default
// size and with none; and opening a container of 2000 resources and loading
// each one.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <string>

#include "bench/BenchMain.h"
#include "framework/core/memory/VHeap.h"
#include "framework/core/memory/VWinMemoryMgr.h"
#include "framework/system/files/VFileStream.h"
#include "framework/system/resources/VMemoryResourceFile.h"

namespace {

constexpr uint32_t kCount = 4u * 1024 * 1024;

std::string ScratchPath() {
  char pattern[] = "/tmp/qvbenchXXXXXX";
  const int fd = mkstemp(pattern);
  if (fd >= 0) close(fd);
  return pattern;
}

void PutLongs(benchmark::State& state) {
  const std::string path = ScratchPath();
  for (auto _ : state) {
    VFile file(path.c_str());
    VFileStream stream(&file, false);
    stream.OpenWrite();
    if (state.range(0) == 0) stream.SetBufferSize(0);
    for (uint32_t i = 0; i < kCount; ++i) stream.PutLong(static_cast<int32_t>(i));
    stream.CloseWrite(1);
  }
  std::remove(path.c_str());
  state.SetBytesProcessed(int64_t(state.iterations()) * kCount * 4);
}

void GetLongs(benchmark::State& state) {
  const std::string path = ScratchPath();
  {
    VFile file(path.c_str());
    VFileStream stream(&file, false);
    stream.OpenWrite();
    for (uint32_t i = 0; i < kCount; ++i) stream.PutLong(static_cast<int32_t>(i));
    stream.CloseWrite(1);
  }
  for (auto _ : state) {
    VFile file(path.c_str());
    VFileStream stream(&file, false);
    stream.OpenRead();
    if (state.range(0) == 0) stream.SetBufferSize(0);
    int64_t sum = 0;
    for (uint32_t i = 0; i < kCount; ++i) sum += stream.GetLong();
    benchmark::DoNotOptimize(sum);
    stream.CloseRead();
  }
  std::remove(path.c_str());
  state.SetBytesProcessed(int64_t(state.iterations()) * kCount * 4);
}

void LoadEveryResource(benchmark::State& state) {
  VMemHandle block = gMemoryMgr->NewHandle(0, 0);
  {
    VMemoryResourceFile file(block, 1);
    const std::string data(100, 'x');
    for (int16_t id = 1; id <= 2000; ++id) file.AddResource(FourCC("dat "), id, nullptr, data.data(), 100);
  }
  for (auto _ : state) {
    VMemoryResourceFile file(block, 0);
    for (int16_t id = 1; id <= 2000; ++id) {
      const VResourceRef ref = file.GetResource(FourCC("dat "), id, nullptr);
      file.ReleaseResource(ref);
    }
  }
  gMemoryMgr->DisposeHandle(block);
}

}  // namespace

BENCHMARK(PutLongs)->ArgName("buffered")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(GetLongs)->ArgName("buffered")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(LoadEveryResource)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) { return RunBenchmarksWithCoreServices(argc, argv); }
