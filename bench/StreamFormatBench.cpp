// The benchmarks of a format read and written through streams.
#include "bench/StreamFormatBench.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include "bench/BenchMain.h"
#include "bench/FormatBench.h"
#include "bench/ProcessBench.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaLayoutInterface.h"
#include "framework/core/memory/VHeap.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/memory/VWinMemoryMgr.h"
#include "framework/core/streams/VHandleStream.h"
#include "framework/system/files/VFile.h"
#include "framework/system/files/VFileStream.h"

namespace fs = std::filesystem;

namespace {

fs::path Folder(const StreamFormat& format) { return BenchFolder(format.folder); }

// The reference document of `pages` pages, in the format.
std::string ReferenceBytes(const StreamFormat& format, int32_t pages) {
  auto document = std::make_unique<xMorvaDocument>(nullptr);
  FillWithReferenceDocument(*document, pages);
  return WrittenBytes([&](VStream& stream) { format.write(*document, stream, ""); });
}

// Our whole process: open, lay out once, save, through file streams as the
// open and save commands go.
int Convert(const StreamFormat& format, const char* in, const char* out) {
  gHeap = new VHeap();
  gMemoryMgr = new VWinMemoryMgr();
  StartFormatServices();
  int result = 1;
  {
    auto document = std::make_unique<xMorvaDocument>(nullptr);
    VFile source(in);
    VFileStream reading(&source, false);
    const bool read = reading.OpenRead() == 0 && format.read(*document, reading);
    reading.CloseRead();
    if (xMorvaLayoutInterface* layout = document->GetLayout()) layout->ComposeAll();
    VFile target(out);
    target.Create(true);
    VFileStream writing(&target, false);
    const bool written = writing.OpenWrite() == 0 && format.write(*document, writing, out);
    if (writing.CloseWrite(1) == 0 && read && written) result = 0;
  }
  StopFormatServices();
  return result;
}

// The reference document of `pages` pages (`--write-once`), or that
// document made a plain text (`--write-once-plain`), made in memory, written once in
// `MeasuredWrite` for an instruction count of the write alone
// (valgrind --tool=callgrind --toggle-collect='*MeasuredWrite*'), and the
// bytes put in `out` to be compared from one build to the next.
// (The bytes are handed back through `out`: a returned call would leave the
// function before the write, as a jump, and nothing would be counted.)
__attribute__((noinline)) void MeasuredWrite(const StreamFormat& format, xMorvaDocument& document, std::string& out) {
  out = WrittenBytes([&](VStream& stream) { format.write(document, stream, ""); });
}

// With `plain`, the reference document made a plain text.
int WriteOnce(const StreamFormat& format, int32_t pages, const char* out, bool plain) {
  gHeap = new VHeap();
  gMemoryMgr = new VWinMemoryMgr();
  StartFormatServices();
  {
    auto document = std::make_unique<xMorvaDocument>(nullptr);
    if (plain)
      FillWithPlainReferenceDocument(*document, pages);
    else
      FillWithReferenceDocument(*document, pages);
    std::string bytes;
    MeasuredWrite(format, *document, bytes);
    std::ofstream(out, std::ios::binary) << bytes;
  }
  StopFormatServices();
  return 0;
}

}  // namespace

std::string StreamFormatReferenceFile(const StreamFormat& format, int32_t pages) {
  return MadeReferenceFile(Folder(format), pages, format.extension).string();
}

int32_t StreamFormatPagesForMegabytes(const StreamFormat& format, int64_t megabytes) {
  return PagesForMegabytes(Folder(format), format.extension, megabytes);
}

void TimeImport(benchmark::State& state, const StreamFormat& format, int32_t pages) {
  const std::string bytes = ReadFile(StreamFormatReferenceFile(format, pages));
  auto document = std::make_unique<xMorvaDocument>(nullptr);
  ResetPeak();
  const int64_t before = StatusBytes("VmRSS:");
  for (auto _ : state) {
    if (!format.readBytes(*document, bytes)) state.SkipWithError("the file did not read");
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
  state.counters["file_MB"] = double(bytes.size()) / 1e6;
  state.counters["peak_RSS_per_file_byte"] = double(StatusBytes("VmHWM:") - before) / double(bytes.size());
}

void TimeExport(benchmark::State& state, const StreamFormat& format, int32_t pages) {
  const std::string bytes = ReadFile(StreamFormatReferenceFile(format, pages));
  auto document = std::make_unique<xMorvaDocument>(nullptr);
  format.readBytes(*document, bytes);
  ResetPeak();
  const int64_t before = StatusBytes("VmRSS:");
  size_t written = 0;
  for (auto _ : state) {
    VMemHandle handle = 0;
    VHandleStream stream(handle);
    stream.OpenWrite();
    if (!format.write(*document, stream, "")) state.SkipWithError("the file was not written");
    stream.CloseWrite(1);
    written = handle != 0 ? gMemoryMgr->GetHandleSize(handle) : 0;
    if (handle != 0) gMemoryMgr->DisposeHandle(handle);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(written));
  state.counters["file_MB"] = double(written) / 1e6;
  state.counters["peak_RSS_per_file_byte"] = double(StatusBytes("VmHWM:") - before) / double(written);
}

void TimeConversion(benchmark::State& state, const StreamFormat& format, Converter converter, int32_t pages) {
  const fs::path input = StreamFormatReferenceFile(format, pages);
  const fs::path output = Folder(format) / ("out-" + std::to_string(converter));
  fs::create_directories(output);
  const fs::path converted = output / ("reference" + format.extension);
  std::vector<std::string> command;
  switch (converter) {
    case kOurs:
      command = {fs::read_symlink("/proc/self/exe").string(), "--convert", input.string(), converted.string()};
      break;
    case kLibreOffice:
      if (!HasProgram("soffice")) return state.SkipWithError("soffice is not installed");
      command = {"soffice", "-env:UserInstallation=file://" + (Folder(format) / "profile").string(),
                 "--headless", "--convert-to", format.peerType, "--outdir", output.string(), input.string()};
      break;
    case kAbiWord:
      if (!HasProgram("abiword")) return state.SkipWithError("abiword is not installed");
      command = {"abiword", "--to=" + converted.string(), input.string()};
      break;
  }
  TimeWholeProcess(state, command, input, pages);
}

int StreamFormatBenchMain(int argc, char** argv, const StreamFormat& format) {
  if (argc == 4 && std::strcmp(argv[1], "--convert") == 0) return Convert(format, argv[2], argv[3]);
  if (argc == 4 && std::strcmp(argv[1], "--write-once") == 0)
    return WriteOnce(format, std::atoi(argv[2]), argv[3], false);
  if (argc == 4 && std::strcmp(argv[1], "--write-once-plain") == 0)
    return WriteOnce(format, std::atoi(argv[2]), argv[3], true);
  if (argc == 4 && std::strcmp(argv[1], "--reference") == 0) {
    // Also for trying other programs on it by hand.
    gHeap = new VHeap();
    gMemoryMgr = new VWinMemoryMgr();
    StartFormatServices();
    std::ofstream(argv[3], std::ios::binary) << ReferenceBytes(format, std::atoi(argv[2]));
    StopFormatServices();
    return 0;
  }
  const int result = RunBenchmarksWithCoreServices(argc, argv, &StartFormatServices, &StopFormatServices);
  std::error_code ignored;
  fs::remove_all(Folder(format), ignored);
  return result;
}
