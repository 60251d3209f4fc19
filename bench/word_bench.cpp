// Word files read: .doc files of 50, 200 and 800 pages of 3,000 characters,
// plain and heavily formatted, made once by LibreOffice
// (`soffice --headless --convert-to doc`) from the generated RTF that the
// Word benchmarks share (bench/FormatBench.h), and kept
// beside this program. As whole processes, each is opened and saved in our
// own format by the stand-in host (qvhost, commands 48 and 50 on an
// offscreen area), beside LibreOffice converting it to ODT, AbiWord to RTF
// and antiword to text; each run reports its wall time and the process's
// peak resident memory. In process, the import alone at each size reports
// pages read a second, which stays level from 200 to 800 pages when the
// piece map and the run pages take time in proportion to the file.
//
// `word_bench --rtf KIND PAGES OUT` writes the generated RTF (KIND plain or
// formatted).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bench/BenchMain.h"
#include "bench/FormatBench.h"
#include "bench/ProcessBench.h"
#include "bench/WordHostBench.h"
#include "document/xMorvaDocument.h"
#include "engine/xMorvaDocumentEngineServices.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/VHandleStream.h"
#include "graphics/VGraphicsStart.h"
#include "interchange/word/xMorvaImportWord.h"

namespace fs = std::filesystem;

namespace {


constexpr int32_t kWordPages[] = {50, 200, 800};
enum Kind : int64_t { kPlain = kGeneratedPlain, kFormatted = kGeneratedFormatted };
const char* KindName(int64_t kind) { return kind == kPlain ? "plain" : "formatted"; }

// The folder beside this program where the made files stay between runs.
fs::path CacheFolder() {
  const fs::path folder = fs::read_symlink("/proc/self/exe").parent_path() / "word-bench-files";
  fs::create_directories(folder);
  return folder;
}

// LibreOffice's .doc of the generated RTF, made once; empty when it cannot be.
fs::path DocFile(int64_t kind, int32_t pages) {
  const fs::path folder = CacheFolder();
  const std::string stem = std::string(KindName(kind)) + "-" + std::to_string(pages);
  const fs::path doc = folder / (stem + ".doc");
  if (fs::exists(doc)) return doc;
  if (!HasProgram("soffice")) return {};
  const fs::path rtf = folder / (stem + ".rtf");
  double seconds = 0;
  int64_t peak = 0;
  if (!RunSelf({"--rtf", KindName(kind), std::to_string(pages), rtf.string()}, seconds, peak)) return {};
  RunProcess({"soffice", "-env:UserInstallation=file://" + (folder / "profile").string(), "--headless",
              "--infilter=Rich Text Format", "--convert-to", "doc:MS Word 97", "--outdir", folder.string(),
              rtf.string()},
             seconds, peak);
  return fs::exists(doc) ? doc : fs::path();
}

fs::path Folder() { return BenchFolder("qv-word-bench"); }

void WholeProcess(benchmark::State& state) {
  const auto converter = WordConverter(state.range(0));
  const int64_t kind = state.range(1);
  const int32_t pages = int32_t(state.range(2));
  const fs::path input = DocFile(kind, pages);
  if (input.empty()) return state.SkipWithError("LibreOffice could not make the .doc file");
  const fs::path output = Folder() / ("out-" + std::to_string(converter));
  fs::create_directories(output);
  std::string why;
  const std::vector<std::string> command =
      WordConverterCommand(converter, input, output, Folder(), CacheFolder() / "profile", why);
  if (command.empty()) return state.SkipWithError(why.c_str());
  TimeWholeProcess(state, command, input, pages);
}

// The import alone, into a document: pages a second stay level as the file
// grows when nothing in it is quadratic.
void ImportWord(benchmark::State& state) {
  const int64_t kind = state.range(0);
  const int32_t pages = int32_t(state.range(1));
  const fs::path input = DocFile(kind, pages);
  if (input.empty()) return state.SkipWithError("LibreOffice could not make the .doc file");
  const std::string bytes = ReadFile(input);
  auto document = std::make_unique<xMorvaDocument>(nullptr);
  ResetPeak();
  const int64_t before = StatusBytes("VmRSS:");
  for (auto _ : state) {
    VMemHandle handle = gMemoryMgr->NewHandleFromData(bytes.data(), uint32_t(bytes.size()));
    VHandleStream file(handle);
    xMorvaImportWord reader;
    if (reader.ImportWordDocument(document.get(), &file) != 0) state.SkipWithError("the file did not read");
    file.CloseRead();
    gMemoryMgr->DisposeHandle(handle);
  }
  state.counters["pages_per_s"] = benchmark::Counter(double(pages), benchmark::Counter::kIsIterationInvariantRate);
  state.counters["file_MB"] = double(bytes.size()) / 1e6;
  state.counters["peak_RSS_per_file_byte"] = double(StatusBytes("VmHWM:") - before) / double(bytes.size());
}

void Converters(benchmark::internal::Benchmark* b) {
  for (int64_t converter : {kOurs, kLibreOffice, kAbiWord, kAntiword})
    for (int64_t kind : {kPlain, kFormatted})
      for (int64_t pages : kWordPages) b->Args({converter, kind, pages});
}

void Sizes(benchmark::internal::Benchmark* b) {
  for (int64_t kind : {kPlain, kFormatted})
    for (int64_t pages : kWordPages) b->Args({kind, pages});
}

// The whole processes first, while this process is small. The peers take
// seconds a file: one run each.
BENCHMARK(WholeProcess)
    ->ArgNames({"converter", "formatted", "pages"})
    ->Apply(Converters)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(ImportWord)->ArgNames({"formatted", "pages"})->Apply(Sizes)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (argc == 5 && std::strcmp(argv[1], "--rtf") == 0) {
    std::ofstream(argv[4], std::ios::binary)
        << GeneratedRtf(std::strcmp(argv[2], "plain") == 0 ? kPlain : kFormatted, std::atoi(argv[3]));
    return 0;
  }
  const int result = RunBenchmarksWithCoreServices(argc, argv, &StartFormatServices, &StopFormatServices);
  std::error_code ignored;
  fs::remove_all(Folder(), ignored);
  return result;
}
