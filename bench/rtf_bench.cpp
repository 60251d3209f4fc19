// RTF read and written: in process, files of about 1, 4 and 16 MB (the
// reference document at that length written as RTF); and as whole
// processes, the reference document of 50, 500 and 2,000 pages written as
// RTF, opened (read, then laid out once) and saved back as RTF by this
// program, beside LibreOffice (`soffice --headless --convert-to rtf`) and
// AbiWord (`abiword --to=rtf`) converting the same file. Each whole-process
// run reports its wall time and the process's peak resident memory.
//
// `rtf_bench --convert IN OUT` is the whole process of ours: it starts the
// services, opens IN, lays the document out, writes OUT and ends.
// `rtf_bench --reference PAGES OUT` writes the reference document as RTF.
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
#include "interchange/rtf/xMorvaExportRTF.h"
#include "interchange/rtf/xMorvaImportRTF.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {


std::string Exported(xMorvaDocument& document) {
  return WrittenBytes([&document](VStream& stream) {
    xMorvaExportRTF writer;
    writer.ExportRtf(document, stream, false);
  });
}

// The reference document of `pages` pages, as RTF.
std::string ReferenceRtf(int32_t pages) {
  auto document = std::make_unique<xMorvaDocument>(nullptr);
  FillWithReferenceDocument(*document, pages);
  return Exported(*document);
}

fs::path Folder() { return BenchFolder("qv-rtf-bench"); }
fs::path ReferenceFile(int32_t pages) { return MadeReferenceFile(Folder(), pages, ".rtf"); }
int32_t PagesForMegabytes(int64_t megabytes) { return ::PagesForMegabytes(Folder(), ".rtf", megabytes); }

void ImportRtf(benchmark::State& state) {
  const std::string rtf = ReadFile(ReferenceFile(PagesForMegabytes(state.range(0))));
  auto document = std::make_unique<xMorvaDocument>(nullptr);
  ResetPeak();
  const int64_t before = StatusBytes("VmRSS:");
  for (auto _ : state) {
    xMorvaImportRTF reader;
    if (reader.ImportRtfBytes(*document, reinterpret_cast<const uint8_t*>(rtf.data()), uint32_t(rtf.size()),
                              false) != 0) {
      state.SkipWithError("the file did not read");
    }
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(rtf.size()));
  state.counters["file_MB"] = double(rtf.size()) / 1e6;
  state.counters["peak_RSS_per_file_byte"] = double(StatusBytes("VmHWM:") - before) / double(rtf.size());
}

void ExportRtf(benchmark::State& state) {
  const std::string rtf = ReadFile(ReferenceFile(PagesForMegabytes(state.range(0))));
  auto document = std::make_unique<xMorvaDocument>(nullptr);
  xMorvaImportRTF reader;
  reader.ImportRtfBytes(*document, reinterpret_cast<const uint8_t*>(rtf.data()), uint32_t(rtf.size()), false);
  ResetPeak();
  const int64_t before = StatusBytes("VmRSS:");
  size_t written = 0;
  for (auto _ : state) {
    VMemHandle handle = 0;
    VHandleStream stream(handle);
    stream.OpenWrite();
    xMorvaExportRTF writer;
    if (!writer.ExportRtf(*document, stream, false)) state.SkipWithError("the file was not written");
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
  const int32_t pages = int32_t(state.range(1));
  const fs::path input = ReferenceFile(pages);
  const fs::path output = Folder() / ("out-" + std::to_string(converter));
  fs::create_directories(output);
  std::vector<std::string> command;
  switch (converter) {
    case kOurs:
      command = {fs::read_symlink("/proc/self/exe").string(), "--convert", input.string(),
                 (output / "reference.rtf").string()};
      break;
    case kLibreOffice:
      if (!HasProgram("soffice")) return state.SkipWithError("soffice is not installed");
      command = {"soffice", "-env:UserInstallation=file://" + (Folder() / "profile").string(), "--headless",
                 "--convert-to", "rtf", "--outdir", output.string(), input.string()};
      break;
    case kAbiWord:
      if (!HasProgram("abiword")) return state.SkipWithError("abiword is not installed");
      command = {"abiword", "--to=" + (output / "reference.rtf").string(), input.string()};
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
    xMorvaImportRTF reader;
    const bool read = reading.OpenRead() == 0 && reader.ImportRtf(*document, reading, false) == 0;
    reading.CloseRead();
    if (xMorvaLayoutInterface* layout = document->GetLayout()) layout->ComposeAll();
    VFile target(out);
    target.Create(true);
    VFileStream writing(&target, false);
    xMorvaExportRTF writer;
    const bool written = writing.OpenWrite() == 0 && writer.ExportRtf(*document, writing, false);
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
    for (int64_t pages : kReferencePages) b->Args({converter, pages});
  }
}

// The whole processes first, while this process is small (see
// ReferenceFile).
// The peers take seconds to tens of seconds a file: one run each.
BENCHMARK(WholeProcess)
    ->ArgNames({"converter", "pages"})
    ->Apply(Converters)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(ImportRtf)->ArgName("MB")->Apply(Sizes)->Unit(benchmark::kMillisecond);
BENCHMARK(ExportRtf)->ArgName("MB")->Apply(Sizes)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "--convert") == 0) return Convert(argv[2], argv[3]);
  if (argc == 4 && std::strcmp(argv[1], "--reference") == 0) {
    // The reference document of PAGES pages as RTF, for trying other
    // programs on it by hand.
    gHeap = new VHeap();
    gMemoryMgr = new VWinMemoryMgr();
    StartFormatServices();
    std::ofstream(argv[3], std::ios::binary) << ReferenceRtf(std::atoi(argv[2]));
    StopFormatServices();
    return 0;
  }
  const int result = RunBenchmarksWithCoreServices(argc, argv, &StartFormatServices, &StopFormatServices);
  std::error_code ignored;
  fs::remove_all(Folder(), ignored);
  return result;
}
