// The point-based text commands over growing inputs: text inserted by
// command 19 (1,000 to 30,000 characters), 32,000 positions read by
// command 20 at the start, middle and end of documents of 10^4 to 10^6
// positions, and every host expression of a document selected in turn by
// command 59 kind 1 (100 to 10,000 expressions). Each selection would walk
// the element stream from its start, so the loop over all of them would
// grow with the square of their number; the engine counts on from the last
// element found, and the loop grows linearly.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "area/xMorvaMain.h"
#include "area/xMorvaPlugIn.h"
#include "bench/AreaBenchSupport.h"
#include "bench/BenchMain.h"
#include "boundary/HostRecords.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaUndo.h"
#include "engine/xMorvaEngine.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/strings/VUniString.h"
#include "framework/core/values/VLong.h"
#include "host/context/VHostContext.h"
#include "platform/toolbox/TbxHandles.h"

namespace {

// A package with one area without a form.
struct OneArea {
  OneArea() : package(new xMorvaMain(nullptr)) {
    package->Init();
    gCurrentPackage = package.get();
    area = new xMorvaPlugIn(package.get());
  }
  ~OneArea() {
    gCurrentPackage = nullptr;
    package.reset();
  }
  xMorvaEngine& Engine() { return *static_cast<xMorvaEngine*>(area->GetDocument()->GetCurrentPart()); }
  // Runs command n with up to three parameters after the area: its code.
  int32_t Run(int32_t n, std::vector<void*> more, void* result) {
    uint32_t reference = area->GetReference();
    std::vector<void*> params{&reference};
    params.insert(params.end(), more.begin(), more.end());
    params.resize(8, nullptr);
    package->ExecuteCommand(n, params.data(), result);
    int32_t code = -1;
    void* last[2] = {&reference, nullptr};
    package->ExecuteCommand(28, last, &code);
    return code;
  }
  // Replaces the text by the element stream `bytes` of `positions`.
  void Load(const std::vector<uint8_t>& bytes, int32_t positions) {
    xMorvaEngine& engine = Engine();
    engine.SelectAll();
    engine.DeleteSelectionWithUndo();
    engine.InsertBytes(0, int32_t(bytes.size()));
    std::memcpy(engine.LockStream(), bytes.data(), bytes.size());
    engine.UnlockStream();
    engine.SetLength(positions);
    engine.SetSelection(0, 0);
    if (xMorvaUndo* undo = area->GetDocument()->GetUndo()) undo->Clear(false);
  }
  std::unique_ptr<xMorvaMain> package;
  xMorvaPlugIn* area = nullptr;
};

// Letters in lines of 60 with a paragraph end after each: n units.
std::string Lines(int32_t n) {
  std::string text;
  text.reserve(size_t(n));
  for (int32_t i = 0; i < n; ++i) text.push_back(i % 61 == 60 ? '\r' : char('a' + i % 26));
  return text;
}

// The element stream of n positions of lines, made by the engine's own
// conversion.
std::vector<uint8_t> LineStream(xMorvaEngine& engine, int32_t n) {
  VStrInHandle text;
  const std::string letters = Lines(n);
  text.SetChars(letters.data(), 0, int32_t(letters.size()), kCharSetMac);
  const VMemHandle handle = gMemoryMgr->NewHandle(0, 0);
  uint32_t units = 0, bytes = 0;
  engine.StringToUnits(text, handle, units, bytes, false);
  std::vector<uint8_t> stream(bytes);
  std::memcpy(stream.data(), gMemoryMgr->LockHandle(handle), bytes);
  gMemoryMgr->UnlockHandle(handle);
  gMemoryMgr->DisposeHandle(handle);
  return stream;
}

void BM_InsertText(benchmark::State& state) {
  OneArea one;
  const std::string letters = Lines(int32_t(state.range(0)));
  HostTextRecord record{int16_t(letters.size()), uint32_t(Tbx::NewHandle(int32_t(letters.size())))};
  std::memcpy(Tbx::HLock(record.handle), letters.data(), letters.size());
  Tbx::HUnlock(record.handle);
  for (auto _ : state) {
    state.PauseTiming();
    one.Load({}, 0);
    state.ResumeTiming();
    if (one.Run(19, {&record}, nullptr) != 0) state.SkipWithError("19 failed");
  }
  Tbx::DisposeHandle(record.handle);
  state.SetItemsProcessed(int64_t(state.iterations()) * state.range(0));
}
BENCHMARK(BM_InsertText)->Arg(1000)->Arg(10000)->Arg(30000)->Unit(benchmark::kMillisecond);

// range(0): positions of the document; range(1): 0 start, 1 middle, 2 end.
void BM_ReadRange(benchmark::State& state) {
  OneArea one;
  const auto positions = int32_t(state.range(0));
  one.Load(LineStream(one.Engine(), positions), positions);
  constexpr int32_t kRange = 32000;
  // A document shorter than the range is read whole from wherever.
  const int32_t last = std::max(positions - kRange, 0);
  int32_t start = state.range(1) == 0 ? 0 : state.range(1) == 1 ? last / 2 : last;
  int32_t end = start + kRange;
  for (auto _ : state) {
    HostTextRecord text{};
    if (one.Run(20, {&start, &end}, &text) != 0) state.SkipWithError("20 failed");
    benchmark::DoNotOptimize(text.length);
    if (text.handle != 0) Tbx::DisposeHandle(text.handle);
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * kRange);
}
BENCHMARK(BM_ReadRange)
    ->ArgsProduct({{10000, 100000, 1000000}, {0, 1, 2}})
    ->Unit(benchmark::kMicrosecond);

// The stream of n host expressions, each followed by a space and every
// tenth by a paragraph end, built from the bytes of one the engine made.
// (In one long paragraph each selection would walk to its end.)
std::vector<uint8_t> ExpressionStream(xMorvaEngine& engine, int32_t n) {
  static const uint8_t kReference[] = {'R', 'E', 'F'};
  engine.InsertHostExpression(kReference, sizeof kReference, false, new VLong(7));
  const uint32_t size = engine.GetStreamSize();
  std::vector<uint8_t> one(engine.LockStream(), engine.LockStream() + size);
  engine.UnlockStream();
  engine.UnlockStream();
  std::vector<uint8_t> stream;
  stream.reserve((one.size() + 2) * size_t(n));
  for (int32_t i = 0; i < n; ++i) {
    stream.insert(stream.end(), one.begin(), one.end());
    const char16_t after = i % 10 == 9 ? u'\r' : u' ';
    stream.insert(stream.end(), reinterpret_cast<const uint8_t*>(&after),
                  reinterpret_cast<const uint8_t*>(&after) + 2);
  }
  return stream;
}

// range(1): 0 in turn from the first, 1 from the last back to the first,
// where each selection walks from the start as it would without the
// engine's count.
void BM_SelectEveryExpression(benchmark::State& state) {
  OneArea one;
  const auto n = int32_t(state.range(0));
  const bool backward = state.range(1) != 0;
  one.Load(ExpressionStream(one.Engine(), n), 2 * n);
  int16_t kind = 1;
  int32_t unused = 0;
  for (auto _ : state) {
    for (int32_t i = 1; i <= n; ++i) {
      int32_t a = backward ? n + 1 - i : i;
      if (one.Run(59, {&kind, &a, &unused}, nullptr) != 0) {
        state.SkipWithError("59 failed");
        break;
      }
    }
  }
  state.counters["per expression"] =
      benchmark::Counter(double(state.iterations()) * double(n), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_SelectEveryExpression)
    ->ArgsProduct({{100, 1000, 10000}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

void Start() { OpenAreaServices(); }
void Stop() { CloseAreaServices(); }

}  // namespace

int main(int argc, char** argv) { return RunBenchmarksWithCoreServices(argc, argv, &Start, &Stop); }
