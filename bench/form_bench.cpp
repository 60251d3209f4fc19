// Areas of a host form, made one after another in the stand-in host as a
// list form with an area a row is opened: 10, 100 and 1,000 areas of the
// word processor in a grid on one form window, each line followed by the
// update events the host sends for what the form needs drawn. Making an
// area should cost the same whatever already stands on the form: the
// counters give the median cost of an area in the first and in the last
// tenth, and their ratio.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "bench/BenchMain.h"
#include "qvhost/QvHost.h"
#include "qvhost/ScriptRunner.h"

namespace {

// The form's content and the grid of its areas: 25 columns of 32 x 15
// pixels, 40 rows, all of them inside the form.
constexpr int32_t kFormWidth = 800;
constexpr int32_t kFormHeight = 600;
constexpr int32_t kColumns = 25;
constexpr int32_t kAreaWidth = 32;
constexpr int32_t kAreaHeight = 15;

std::string AreaLine(int32_t i) {
  const int32_t x = (i % kColumns) * kAreaWidth;
  const int32_t y = (i / kColumns) * kAreaHeight;
  return "area a" + std::to_string(i) + " create form at list " + std::to_string(x) + " " + std::to_string(y) +
         " " + std::to_string(kAreaWidth) + " " + std::to_string(kAreaHeight) + "\n";
}

// One area made: its line run in the host. Apart, so that valgrind can
// count the instructions of the areas alone
// (--toggle-collect='*MakeArea*').
[[gnu::noinline]] ScriptRunner::Outcome MakeArea(QvHost& host, std::ostream& transcript, int32_t i) {
  return ScriptRunner(host, transcript).Run(AreaLine(i));
}

void BM_AreasOnAForm(benchmark::State& state) {
  const int32_t count = int32_t(state.range(0));
  std::vector<double> seconds(size_t(count), 0.0);
  std::ostream transcript(nullptr);  // the host's transcript goes nowhere
  std::string error;
  for (auto _ : state) {
    state.PauseTiming();
    QvHostConfig config;
    config.modulePath = QVHOST_MODULE_PATH;
    config.moduleResourcePath = QVHOST_MODULE_RESOURCES;
    config.hostResourcePath = QVHOST_HOST_RESOURCES;
    auto host = std::make_unique<QvHost>(std::move(config));
    if (!host->Load(&error)) return state.SkipWithError(("the host did not load: " + error).c_str());
    const std::string form =
        "start\nform list 0 40 " + std::to_string(kFormWidth) + " " + std::to_string(kFormHeight) + "\n";
    if (!ScriptRunner(*host, transcript).Run(form).ok()) return state.SkipWithError("the form did not open");
    state.ResumeTiming();
    for (int32_t i = 0; i < count; ++i) {
      const auto begin = std::chrono::steady_clock::now();
      const ScriptRunner::Outcome made = MakeArea(*host, transcript, i);
      seconds[size_t(i)] += std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
      if (!made.ok()) return state.SkipWithError(("area " + std::to_string(i) + ": " + made.error).c_str());
    }
    state.PauseTiming();
    ScriptRunner(*host, transcript).Run("stop\n");
    host.reset();
    state.ResumeTiming();
  }
  // The median of an area's cost over a tenth of the areas, in
  // microseconds: a median, so that a pause of this shared machine in one
  // area's line does not count for the tenth.
  auto tenth = [&](int32_t which) {
    std::vector<double> part(seconds.begin() + count * which / 10, seconds.begin() + count * (which + 1) / 10);
    if (part.empty()) return 0.0;
    std::nth_element(part.begin(), part.begin() + ptrdiff_t(part.size() / 2), part.end());
    return 1e6 * part[part.size() / 2] / double(state.iterations());
  };
  const double first = tenth(0);
  const double last = tenth(9);
  state.counters["areas"] = count;
  state.counters["first_tenth_us"] = first;
  state.counters["last_tenth_us"] = last;
  state.counters["last_over_first"] = first > 0 ? last / first : 0;
}
BENCHMARK(BM_AreasOnAForm)->ArgName("areas")->Arg(10)->Arg(100)->Arg(1000)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return RunBenchmarksWithCoreServices(argc, argv, nullptr, nullptr); }
