// HTML read and written: in process, pages of about 1, 4 and 16 MB (the
// reference document at that length written as HTML); and as whole
// processes, the same pages opened (read, then laid out once) and saved
// back as HTML by this program, beside LibreOffice (`soffice --headless
// --convert-to html`) and AbiWord (`abiword --to=html`) converting the same
// page. Each whole-process run reports its wall time and the process's
// peak resident memory.
//
// `html_bench --convert IN OUT` is the whole process of ours: it starts the
// services, opens IN, lays the document out, writes OUT and ends.
// `html_bench --reference PAGES OUT` writes the reference document as HTML.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <malloc.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "bench/BenchMain.h"
#include "bench/FormatBench.h"
#include "bench/ProcessBench.h"
#include "bench/ReferenceDocument.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaLayoutInterface.h"
#include "engine/xMorvaDocumentEngineServices.h"
#include "engine/xMorvaEngine.h"
#include "framework/core/memory/VHeap.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/memory/VWinMemoryMgr.h"
#include "framework/core/streams/VHandleStream.h"
#include "framework/system/files/VFile.h"
#include "framework/system/files/VFileStream.h"
#include "graphics/VGraphicsStart.h"
#include "interchange/html/xMorvaExportHTML.h"
#include "interchange/html/xMorvaImportHTML.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {


std::string Exported(xMorvaDocument& document) {
  return WrittenBytes([&document](VStream& stream) {
    xMorvaExportHTML writer;
    writer.ExportHTMLDocument(document, stream, "");
  });
}

// The reference document of `pages` pages, as HTML.
std::string ReferenceHtml(int32_t pages) {
  auto document = std::make_unique<xMorvaDocument>(nullptr);
  FillWithReferenceDocument(*document, pages);
  return Exported(*document);
}

fs::path Folder() { return BenchFolder("qv-html-bench"); }
fs::path ReferenceFile(int32_t pages) { return MadeReferenceFile(Folder(), pages, ".html"); }
int32_t PagesForMegabytes(int64_t megabytes) { return ::PagesForMegabytes(Folder(), ".html", megabytes); }

void ImportHtml(benchmark::State& state) {
  const std::string page = ReadFile(ReferenceFile(PagesForMegabytes(state.range(0))));
  auto document = std::make_unique<xMorvaDocument>(nullptr);
  ResetPeak();
  const int64_t before = StatusBytes("VmRSS:");
  for (auto _ : state) {
    xMorvaImportHTML reader;
    reader.ImportHTMLBytes(*document, reinterpret_cast<const uint8_t*>(page.data()), uint32_t(page.size()), "");
    if (document->GetPart(kPartBody) == nullptr ||
        static_cast<xMorvaEngine*>(document->GetPart(kPartBody))->GetLength() < 2) {
      state.SkipWithError("the page did not read");
    }
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(page.size()));
  state.counters["file_MB"] = double(page.size()) / 1e6;
  state.counters["peak_RSS_per_file_byte"] = double(StatusBytes("VmHWM:") - before) / double(page.size());
}

void ExportHtml(benchmark::State& state) {
  const std::string page = ReadFile(ReferenceFile(PagesForMegabytes(state.range(0))));
  auto document = std::make_unique<xMorvaDocument>(nullptr);
  xMorvaImportHTML reader;
  reader.ImportHTMLBytes(*document, reinterpret_cast<const uint8_t*>(page.data()), uint32_t(page.size()), "");
  ResetPeak();
  const int64_t before = StatusBytes("VmRSS:");
  size_t written = 0;
  for (auto _ : state) {
    VMemHandle handle = 0;
    VHandleStream stream(handle);
    stream.OpenWrite();
    xMorvaExportHTML writer;
    if (!writer.ExportHTMLDocument(*document, stream, "")) state.SkipWithError("the page was not written");
    stream.CloseWrite(1);
    written = handle != 0 ? gMemoryMgr->GetHandleSize(handle) : 0;
    if (handle != 0) gMemoryMgr->DisposeHandle(handle);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(written));
  state.counters["file_MB"] = double(written) / 1e6;
  state.counters["peak_RSS_per_file_byte"] = double(StatusBytes("VmHWM:") - before) / double(written);
}

enum Converter : int64_t { kOurs = 0, kLibreOffice = 1, kAbiWord = 2 };

void WholeProcess(benchmark::State& state) {
  const auto converter = Converter(state.range(0));
  const int32_t pages = PagesForMegabytes(state.range(1));
  const fs::path input = ReferenceFile(pages);
  const fs::path output = Folder() / ("out-" + std::to_string(converter));
  fs::create_directories(output);
  std::vector<std::string> command;
  switch (converter) {
    case kOurs:
      command = {fs::read_symlink("/proc/self/exe").string(), "--convert", input.string(),
                 (output / "reference.html").string()};
      break;
    case kLibreOffice:
      if (!HasProgram("soffice")) return state.SkipWithError("soffice is not installed");
      command = {"soffice", "-env:UserInstallation=file://" + (Folder() / "profile").string(), "--headless",
                 "--convert-to", "html", "--outdir", output.string(), input.string()};
      break;
    case kAbiWord:
      if (!HasProgram("abiword")) return state.SkipWithError("abiword is not installed");
      command = {"abiword", "--to=" + (output / "reference.html").string(), input.string()};
      break;
  }
  TimeWholeProcess(state, command, input, pages);
}

// Our whole process: open, lay out once, save.
int Convert(const char* in, const char* out) {
  gHeap = new VHeap();
  gMemoryMgr = new VWinMemoryMgr();
  StartFormatServices();
  int result = 1;
  {
    // Through file streams, as the open and save commands go.
    auto document = std::make_unique<xMorvaDocument>(nullptr);
    VFile source(in);
    VFileStream reading(&source, false);
    xMorvaImportHTML reader;
    const bool read = reading.OpenRead() == 0 && reader.ImportHTMLDocument(*document, reading, "") == 0;
    reading.CloseRead();
    if (xMorvaLayoutInterface* layout = document->GetLayout()) layout->ComposeAll();
    VFile target(out);
    target.Create(true);
    VFileStream writing(&target, false);
    xMorvaExportHTML writer;
    const bool written = writing.OpenWrite() == 0 && writer.ExportHTMLDocument(*document, writing, out);
    if (writing.CloseWrite(1) == 0 && read && written) result = 0;
  }
  StopFormatServices();
  return result;
}

void Sizes(benchmark::internal::Benchmark* b) {
  for (int64_t megabytes : {1, 4, 16}) b->Arg(megabytes);
}

void Converters(benchmark::internal::Benchmark* b) {
  for (int64_t converter : {kOurs, kLibreOffice, kAbiWord}) {
    for (int64_t megabytes : {1, 4, 16}) b->Args({converter, megabytes});
  }
}

// The whole processes first, while this process is small (see
// ReferenceFile).
// The peers take seconds to tens of seconds a file: one run each.
BENCHMARK(WholeProcess)
    ->ArgNames({"converter", "MB"})
    ->Apply(Converters)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(ImportHtml)->ArgName("MB")->Apply(Sizes)->Unit(benchmark::kMillisecond);
BENCHMARK(ExportHtml)->ArgName("MB")->Apply(Sizes)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "--convert") == 0) return Convert(argv[2], argv[3]);
  if (argc == 4 && std::strcmp(argv[1], "--reference") == 0) {
    // The reference document of PAGES pages as HTML, for trying other
    // programs on it by hand.
    gHeap = new VHeap();
    gMemoryMgr = new VWinMemoryMgr();
    StartFormatServices();
    std::ofstream(argv[3], std::ios::binary) << ReferenceHtml(std::atoi(argv[2]));
    StopFormatServices();
    return 0;
  }
  const int result = RunBenchmarksWithCoreServices(argc, argv, &StartFormatServices, &StopFormatServices);
  std::error_code ignored;
  fs::remove_all(Folder(), ignored);
  return result;
}
