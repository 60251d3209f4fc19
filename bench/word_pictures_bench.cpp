// Word documents with a picture a page and fields in every paragraph, of
// 50, 200 and 800 pages (made by LibreOffice from an RTF we write): read in
// process, and as whole processes: the stand-in host (qvhost, commands 48
// and 50 on an offscreen area) opening each (read, then laid out) and
// saving it in our own format, beside LibreOffice (`soffice --headless
// --convert-to odt`) and AbiWord (`abiword --to=rtf`) converting the same
// file. Each whole-process run reports its wall time and the process's
// peak resident memory. Without LibreOffice the files cannot be made and
// the benchmarks say so.
#include <benchmark/benchmark.h>

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
#include "graphics/pictures/VQuickTimePictures.h"
#include "interchange/word/xMorvaImportWord.h"
#include "platform/quicktime/QtPictures.h"

namespace fs = std::filesystem;

namespace {

xMorvaDocumentEngineServices gEngine;
constexpr int64_t kPages[] = {50, 200, 800};
// About a page of 12-point text: paragraphs of two lines each.
constexpr int kParagraphsPerPage = 18;

void Start() {
  InitGraphics();
  StartQuickTime();
  VService<xMorvaEngineServices>::Install(&gEngine);
}

void Stop() {
  VService<xMorvaEngineServices>::Install(nullptr);
  StopQuickTime();
  ExitGraphics();
}

fs::path Folder() { return BenchFolder("qv-word-pictures-bench"); }

// The RTF of `pages` pages: each paragraph with a page number and a date
// field, each page with a PNG picture of 64 x 48 pixels.
std::string SourceRtf(int32_t pages) {
  QtRaster raster{64, 48, std::vector<uint8_t>(64 * 48 * 4)};
  for (size_t i = 0; i < raster.pixels.size(); ++i) raster.pixels[i] = uint8_t(i * 7);
  const std::vector<uint8_t> png = QtWritePng(raster);
  static const char kHex[] = "0123456789abcdef";
  std::string hex;
  for (uint8_t b : png) {
    hex += kHex[b >> 4];
    hex += kHex[b & 15];
  }
  std::string rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Times New Roman;}}\n";
  for (int32_t page = 0; page < pages; ++page) {
    rtf += "\\pard {\\pict\\pngblip\\picw64\\pich48\\picwgoal960\\pichgoal720\n" + hex + "}\\par\n";
    for (int p = 0; p < kParagraphsPerPage; ++p) {
      rtf += "Paragraph " + std::to_string(p + 1) + " on page {\\field{\\*\\fldinst PAGE }{\\fldrslt " +
             std::to_string(page + 1) +
             "}}, written {\\field{\\*\\fldinst DATE \\\\@ \"dd/MM/yyyy\" }{\\fldrslt 07/12/2026}} with "
             "enough words after its fields to fill a second line of the page.\\par\n";
    }
    if (page + 1 < pages) rtf += "\\page\n";
  }
  return rtf + "}\n";
}

// The Word file of `pages` pages, made once by LibreOffice; empty when it
// cannot be made.
fs::path WordFile(int32_t pages) {
  const fs::path doc = Folder() / ("pictures-" + std::to_string(pages) + ".doc");
  if (fs::exists(doc)) return doc;
  if (!HasProgram("soffice")) return {};
  const fs::path rtf = Folder() / ("pictures-" + std::to_string(pages) + ".rtf");
  std::ofstream(rtf, std::ios::binary) << SourceRtf(pages);
  double seconds = 0;
  int64_t peak = 0;
  if (!RunProcess({"soffice", "-env:UserInstallation=file://" + (Folder() / "profile").string(), "--headless",
                   "--infilter=Rich Text Format", "--convert-to", "doc:MS Word 97", "--outdir",
                   Folder().string(), rtf.string()},
                  seconds, peak))
    return {};
  return fs::exists(doc) ? doc : fs::path();
}

void ImportWord(benchmark::State& state) {
  const fs::path path = WordFile(int32_t(state.range(0)));
  if (path.empty()) return state.SkipWithError("soffice is needed to make the file");
  const std::string bytes = ReadFile(path);
  auto document = std::make_unique<xMorvaDocument>(nullptr);
  ResetPeak();
  const int64_t before = StatusBytes("VmRSS:");
  int32_t dropped = 0;
  for (auto _ : state) {
    VMemHandle handle = gMemoryMgr->NewHandleFromData(bytes.data(), uint32_t(bytes.size()));
    VHandleStream stream(handle);
    xMorvaImportWord reader;
    if (reader.ImportWordDocument(document.get(), &stream) != 0) state.SkipWithError("the file did not read");
    dropped = reader.DroppedPictures();
    stream.CloseRead();
    gMemoryMgr->DisposeHandle(handle);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
  state.counters["file_MB"] = double(bytes.size()) / 1e6;
  state.counters["pictures_dropped"] = dropped;
  state.counters["peak_RSS_per_file_byte"] = double(StatusBytes("VmHWM:") - before) / double(bytes.size());
}

void WholeProcess(benchmark::State& state) {
  const auto converter = WordConverter(state.range(0));
  const int32_t pages = int32_t(state.range(1));
  const fs::path input = WordFile(pages);
  if (input.empty()) return state.SkipWithError("soffice is needed to make the file");
  const fs::path output = Folder() / ("out-" + std::to_string(converter));
  fs::create_directories(output);
  std::string why;
  const std::vector<std::string> command =
      WordConverterCommand(converter, input, output, Folder(), Folder() / "profile", why);
  if (command.empty()) return state.SkipWithError(why.c_str());
  TimeWholeProcess(state, command, input, pages);
}

void Converters(benchmark::internal::Benchmark* b) {
  for (int64_t converter : {kOurs, kLibreOffice, kAbiWord})
    for (int64_t pages : kPages) b->Args({converter, pages});
}

// The whole processes first, while this process is small; the peers take
// seconds a file: one run each.
BENCHMARK(WholeProcess)
    ->ArgNames({"converter", "pages"})
    ->Apply(Converters)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(ImportWord)->ArgName("pages")->Arg(50)->Arg(200)->Arg(800)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  const int result = RunBenchmarksWithCoreServices(argc, argv, &Start, &Stop);
  std::error_code ignored;
  fs::remove_all(Folder(), ignored);
  return result;
}
