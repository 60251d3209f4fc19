// Word files read: .doc files of 50, 200 and 800 pages of 3,000 characters,
// plain and heavily formatted, made once by LibreOffice
// (`soffice --headless --convert-to doc`) from RTF generated here and kept
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

xMorvaDocumentEngineServices gEngine;

void Start() {
  InitGraphics();
  VService<xMorvaEngineServices>::Install(&gEngine);
}

void Stop() {
  VService<xMorvaEngineServices>::Install(nullptr);
  ExitGraphics();
}

constexpr int32_t kWordPages[] = {50, 200, 800};
constexpr int32_t kCharactersPerPage = 3000;
enum Kind : int64_t { kPlain = 0, kFormatted = 1 };
const char* KindName(int64_t kind) { return kind == kPlain ? "plain" : "formatted"; }

// The same words every time, from a small generator of our own.
class Words {
 public:
  uint32_t Next(uint32_t limit) {
    fState = fState * 1664525u + 1013904223u;
    return (fState >> 8) % limit;
  }
  const char* Word() {
    static const char* const kWords[] = {
        "the",    "document", "reads",  "pages",  "of",       "text",     "with",   "runs",
        "and",    "tables",   "stored", "bytes",  "property", "paragraph", "styled", "import",
        "column", "margin",   "header", "letter", "value",    "number",   "cell",   "row"};
    return kWords[Next(sizeof kWords / sizeof kWords[0])];
  }

 private:
  uint32_t fState = 20261207u;
};

// RTF of `pages` pages. Plain: paragraphs of 300 to 500 characters. Formatted:
// every few words a run of its own (bold, italic, underlined, another size,
// font or colour), centred, indented and tabbed paragraphs with space
// around them, and a table of three rows every third page.
std::string GeneratedRtf(int64_t kind, int32_t pages) {
  Words words;
  std::string rtf =
      "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Liberation Serif;}{\\f1\\fswiss Liberation Sans;}"
      "{\\f2\\fmodern Liberation Mono;}}{\\colortbl;\\red200\\green0\\blue0;\\red0\\green120\\blue0;"
      "\\red0\\green0\\blue200;}\n";
  for (int32_t page = 0; page < pages; ++page) {
    int32_t written = 0;
    int32_t paragraph = 0;
    if (kind == kFormatted && page % 3 == 2) {
      for (int row = 0; row < 3; ++row) {
        rtf += "\\trowd\\trgaph108\\trqc\\clbrdrt\\brdrs\\clbrdrb\\brdrs\\cellx3000\\clcbpat2\\cellx6000"
               "\\cellx8000\n";
        for (int cell = 0; cell < 3; ++cell) {
          rtf += cell == 1 ? "\\pard\\intbl\\qc " : "\\pard\\intbl ";
          rtf += words.Word();
          rtf += " ";
          rtf += words.Word();
          rtf += "\\cell";
          written += 16;
        }
        rtf += "\\row\n";
      }
    }
    while (written < kCharactersPerPage) {
      const int32_t length = 300 + int32_t(words.Next(200));
      rtf += "\\pard";
      if (kind == kFormatted) {
        switch (paragraph++ % 4) {
          case 0: rtf += "\\sb120\\sa240"; break;
          case 1: rtf += "\\qc"; break;
          case 2: rtf += "\\li720\\fi-360\\tx2000\\tqr\\tx6000"; break;
          default: rtf += "\\qj\\sl360\\slmult1"; break;
        }
      }
      rtf += " ";
      int32_t inParagraph = 0;
      int32_t runLeft = 0;
      bool open = false;
      while (inParagraph < length) {
        if (kind == kFormatted && runLeft-- <= 0) {
          if (open) rtf += "}";
          static const char* const kRuns[] = {"{\\b ",   "{\\i ",   "{\\ul ",  "{\\fs28 ", "{\\f1 ",
                                              "{\\cf1 ", "{\\cf3\\b\\i ", "{\\f2\\fs20 ", "{"};
          rtf += kRuns[words.Next(sizeof kRuns / sizeof kRuns[0])];
          open = true;
          runLeft = 2 + int32_t(words.Next(4));
        }
        const char* word = words.Word();
        rtf += word;
        rtf += kind == kFormatted && paragraph % 4 == 3 && inParagraph == 40 ? "\\tab " : " ";
        inParagraph += int32_t(std::strlen(word)) + 1;
      }
      if (open) rtf += "}";
      rtf += "\\par\n";
      written += inParagraph;
    }
  }
  rtf += "}\n";
  return rtf;
}

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
  const int result = RunBenchmarksWithCoreServices(argc, argv, &Start, &Stop);
  std::error_code ignored;
  fs::remove_all(Folder(), ignored);
  return result;
}
