// Loading a text stored as 'wENG': the 500-page reference document (3 MB
// of element stream) saved in either byte order and loaded through the
// swap, the repair and the fix-ups, and once more followed by line
// composition and pagination; and variants whose extra items each cost the repair or the
// fix-ups a change (host expressions rebuilt, "0103" tabs grown, redundant
// records dropped), at a quarter, half and all of their count, so that the
// time per item shows whether the load stays linear; beside them, a memcpy
// of the same stored bytes (the yardstick: warm, into the same buffer each
// time, and cold, into freshly mapped pages) and the save in either order.
// Every row counts the page faults of an iteration (`faults`), which show
// whether a load or a save takes fresh pages from the system.
// With QV_BASELINE_BENCH naming this program built from another commit,
// `AgainstBaseline` runs the load and the save in both programs in nine
// interleaved pairs (each pair's first program taking turns) and reports
// the medians of both and the median of the pairs' ratios, ours over theirs.
#include <benchmark/benchmark.h>
#include <sys/mman.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/BenchMain.h"
#include "bench/ReferenceDocument.h"
#include "engine/xMorvaElementStream.h"
#include "engine/xMorvaEngine.h"
#include "engine/xMorvaFont.h"
#include "engine/xMorvaLines.h"
#include "engine/xMorvaPages.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/VHandleStream.h"
#include "graphics/VBitmapPort.h"
#include "graphics/VGraphicsStart.h"

namespace {

constexpr int32_t kPages = 500;
const std::vector<int32_t> kSheets{1};
constexpr int32_t kFonts = 4;

const ReferenceDocument& Reference() {
  static const ReferenceDocument document = MakeReferenceDocument(kPages);
  return document;
}

// The resource of a stream, written by the engine in either order.
std::vector<uint8_t> Stored(const std::vector<uint8_t>& stream, bool otherOrder) {
  xMorvaEngine engine(nullptr, xMorvaEngine::kBodyGranule);
  engine.InsertBytes(0u, stream.data(), uint32_t(stream.size()));
  VMemHandle handle = 0;
  std::vector<uint8_t> bytes;
  {
    VHandleStream out(handle);
    out.OpenWrite();
    engine.WriteResource(out, otherOrder);
    out.CloseWrite(1);
  }
  const auto* data = static_cast<const uint8_t*>(gMemoryMgr->LockHandle(handle));
  bytes.assign(data, data + gMemoryMgr->GetHandleSize(handle));
  gMemoryMgr->UnlockHandle(handle);
  gMemoryMgr->DisposeHandle(handle);
  return bytes;
}

// The reference stream with `item` put in front of every n-th character
// unit, `count` times; what Stored writes of it. For "0103" streams the
// version in the header is changed afterwards.
std::vector<uint8_t> WithItems(const std::vector<uint8_t>& item, int32_t count) {
  const std::vector<uint8_t>& base = Reference().stream;
  const int32_t every = std::max<int32_t>(1, Reference().positions / std::max<int32_t>(1, count));
  std::vector<uint8_t> stream;
  stream.reserve(base.size() + item.size() * size_t(count));
  int32_t units = 0;
  int32_t added = 0;
  for (uint32_t at = 0; at < base.size();) {
    const StreamItem next = ReadStreamItem(base.data() + at, uint32_t(base.size()) - at);
    if (next.kind == StreamItem::kUnit && next.unit != kUnitParagraphEnd && ++units % every == 0 && added < count) {
      stream.insert(stream.end(), item.begin(), item.end());
      ++added;
    }
    stream.insert(stream.end(), base.begin() + at, base.begin() + at + next.size);
    at += next.size;
  }
  return stream;
}

std::vector<uint8_t> Bytes(std::initializer_list<uint32_t> longs, std::initializer_list<uint8_t> tail) {
  std::vector<uint8_t> bytes;
  for (uint32_t value : longs) {
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(uint8_t(value >> shift));
  }
  bytes.insert(bytes.end(), tail.begin(), tail.end());
  return bytes;
}

// A stored host expression: head (0, 24001, 17, 17), object of 3 bytes.
std::vector<uint8_t> HostExpression() {
  return Bytes({uint32_t(xMorvaElementCode::ExprQv) << 16, 17, 17, 3, 0, 0}, {0, 0, 'r', 'e', 'f'});
}
// A tab of the oldest layout: a 10-byte cache.
std::vector<uint8_t> OldTab() {
  return Bytes({uint32_t(xMorvaElementCode::Tab) << 16, 10, 10}, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
}
// A letter-case record of the default value: redundant everywhere.
std::vector<uint8_t> RedundantRecord() { return Bytes({uint32_t(kPropLetterCase) << 16, 0}, {}); }

// The page faults of this process so far, minor and major.
int64_t PageFaults() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return int64_t(usage.ru_minflt) + int64_t(usage.ru_majflt);
}

// Counts the page faults of the timed loop, per iteration; made before the
// loop and reported after it.
class FaultCounter {
 public:
  FaultCounter() : fStart(PageFaults()) {}
  void Report(benchmark::State& state) const {
    const double iterations = double(std::max<int64_t>(1, int64_t(state.iterations())));
    state.counters["faults"] = double(PageFaults() - fStart) / iterations;
  }

 private:
  int64_t fStart;
};

void Load(benchmark::State& state, const std::vector<uint8_t>& stored, bool compose) {
  const FaultCounter faults;
  for (auto _ : state) {
    xMorvaEngine engine(nullptr, xMorvaEngine::kBodyGranule);
    bool damaged = false;
    if (!engine.LoadResourceBytes(stored.data(), uint32_t(stored.size()), kSheets, kFonts, damaged)) {
      state.SkipWithError("load failed");
      break;
    }
    if (compose) {
      BenchDocument document;
      VBitmapPort port;
      xMorvaFont font(&port, &document);
      xMorvaLines lines(&document, &engine, 0, 20);
      if (lines.ComposeAll(font) != 0) state.SkipWithError("composition failed");
      xMorvaPages pages(&document, &lines);
      if (pages.ComputePageBreaks(0) != 0) state.SkipWithError("pagination failed");
      benchmark::DoNotOptimize(pages.GetPageCount());
    }
    benchmark::DoNotOptimize(engine.GetLength());
  }
  faults.Report(state);
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(stored.size()));
  state.counters["MB"] = double(stored.size()) / 1e6;
}

void LoadReference(benchmark::State& state) {
  const bool bigEndian = state.range(0) != 0;
  const bool compose = state.range(1) != 0;
  Load(state, Stored(Reference().stream, bigEndian), compose);
}

// The yardstick of the load and the save: a copy of the same stored bytes
// with memcpy. range(0) 0: warm, into the same buffer each time; 1: cold,
// into pages freshly mapped for each copy and given back after it, as a
// block that takes new memory from the system for every load would.
void CopyReference(benchmark::State& state) {
  const bool cold = state.range(0) != 0;
  const std::vector<uint8_t> stored = Stored(Reference().stream, false);
  std::vector<uint8_t> copy(cold ? 0 : stored.size());
  const FaultCounter faults;
  for (auto _ : state) {
    void* target = copy.data();
    if (cold) {
      target = mmap(nullptr, stored.size(), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
      if (target == MAP_FAILED) {
        state.SkipWithError("no memory");
        break;
      }
    }
    std::memcpy(target, stored.data(), stored.size());
    benchmark::DoNotOptimize(target);
    benchmark::ClobberMemory();
    if (cold) munmap(target, stored.size());
  }
  faults.Report(state);
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(stored.size()));
  state.counters["MB"] = double(stored.size()) / 1e6;
}

// Saving the reference document: the stream written as 'wENG' into a
// handle stream, either byte order.
void SaveReference(benchmark::State& state) {
  const bool bigEndian = state.range(0) != 0;
  xMorvaEngine engine(nullptr, xMorvaEngine::kBodyGranule);
  engine.InsertBytes(0u, Reference().stream.data(), uint32_t(Reference().stream.size()));
  uint64_t bytes = 0;
  const FaultCounter faults;
  for (auto _ : state) {
    VMemHandle handle = 0;
    {
      VHandleStream out(handle);
      out.OpenWrite();
      if (!engine.WriteResource(out, bigEndian)) state.SkipWithError("save failed");
      out.CloseWrite(1);
    }
    bytes += gMemoryMgr->GetHandleSize(handle);
    gMemoryMgr->DisposeHandle(handle);
  }
  faults.Report(state);
  state.SetBytesProcessed(int64_t(bytes));
}

// range(0): the kind of item (0 host expressions, 1 "0103" tabs, 2
// redundant records); range(1): how many.
void LoadWithItems(benchmark::State& state) {
  const auto kind = int32_t(state.range(0));
  const auto count = int32_t(state.range(1));
  const std::vector<uint8_t> item = kind == 0 ? HostExpression() : kind == 1 ? OldTab() : RedundantRecord();
  std::vector<uint8_t> stored = Stored(WithItems(item, count), false);
  // The oldest layout: every tab of 10 bytes grows to 14 on load.
  if (kind == 1) std::copy_n("3010", 4, stored.begin() + 4);
  Load(state, stored, false);
  state.counters["items"] = count;
}

void ItemArgs(benchmark::internal::Benchmark* b) {
  const int32_t counts[] = {5000, 100000, 50000};
  for (int kind = 0; kind < 3; ++kind) {
    for (int32_t part : {4, 2, 1}) b->Args({kind, counts[kind] / part});
  }
}

// ---- Interleaved pairs against another build

constexpr const char* kPairedRows[] = {"LoadReference/big_endian:0/compose:0", "LoadReference/big_endian:1/compose:0",
                                       "SaveReference/big_endian:0"};
constexpr int kPairs = 9;

// The time in milliseconds of one row of `program` run as a process of its
// own (its JSON report's processor time, which other processes on the
// machine disturb less than the wall clock); negative when it failed.
double RowMilliseconds(const std::string& program, const std::string& row) {
  const std::string command = "'" + program + "' --benchmark_filter='^" + row +
                              "$' --benchmark_min_time=0.5 --benchmark_format=json 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return -1;
  std::string output;
  char buffer[4096];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
  if (pclose(pipe) != 0) return -1;
  const size_t at = output.find("\"cpu_time\":");
  return at == std::string::npos ? -1 : std::atof(output.c_str() + at + 11);
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n == 0 ? 0.0 : n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

void AgainstBaseline(benchmark::State& state) {
  const char* baseline = std::getenv("QV_BASELINE_BENCH");
  if (baseline == nullptr || !std::filesystem::exists(baseline)) {
    state.SkipWithError("QV_BASELINE_BENCH names no program");
    return;
  }
  const std::string ours = std::filesystem::read_symlink("/proc/self/exe").string();
  const std::string row = kPairedRows[state.range(0)];
  std::vector<double> mine, theirs, ratios;
  for (auto _ : state) {
    for (int pair = 0; pair < kPairs; ++pair) {
      double a = 0;
      double b = 0;
      if (pair % 2 == 0) {
        a = RowMilliseconds(ours, row);
        b = RowMilliseconds(baseline, row);
      } else {
        b = RowMilliseconds(baseline, row);
        a = RowMilliseconds(ours, row);
      }
      if (a <= 0 || b <= 0) {
        state.SkipWithError("a paired run failed");
        return;
      }
      mine.push_back(a);
      theirs.push_back(b);
      ratios.push_back(a / b);
    }
    state.SetIterationTime(Median(mine) / 1000.0);
  }
  state.counters["ours_ms"] = Median(mine);
  state.counters["baseline_ms"] = Median(theirs);
  state.counters["ratio"] = Median(ratios);
  state.counters["pairs"] = kPairs;
  state.SetLabel(row);
}

}  // namespace

BENCHMARK(CopyReference)->ArgName("cold")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(SaveReference)->ArgName("big_endian")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(LoadReference)->ArgNames({"big_endian", "compose"})->Args({0, 0})->Args({1, 0})->Args({0, 1})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(LoadWithItems)->ArgNames({"kind", "count"})->Apply(ItemArgs)->Unit(benchmark::kMillisecond);
BENCHMARK(AgainstBaseline)->ArgName("row")->DenseRange(0, 2)->UseManualTime()->Iterations(1)
    ->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  return RunBenchmarksWithCoreServices(argc, argv, &InitGraphics, &ExitGraphics);
}
