// Word 97 written: in process, the reference document of 50, 500 and 2,000
// pages written as a Word file; and as whole processes, the reference
// document opened as RTF and saved as Word 97, and a Word 97 file of it
// opened and saved as RTF, by this program beside LibreOffice
// (`soffice --headless --convert-to`) and AbiWord (`abiword --to=`) doing the
// same, and our stand-in host (qvhost, commands 48 and 50 on an offscreen
// area) doing it as a host would. And documents of 10,000, 40,000 and
// 160,000 paragraphs, from the same generated RTF, saved as Word 97 by the
// stand-in host, LibreOffice and AbiWord. Each whole-process run reports its
// wall time and peak resident memory.
//
// SaveWithoutPageNumbers times the in-process RTF and Word 97 saves of the
// reference document without its footer, whose page numbers would
// otherwise give the format before the body is looked at.
//
// `word_export_bench --convert IN OUT` is the whole process of ours: it
// starts the services, opens IN (RTF, or Word when its name ends in .doc),
// lays the document out, writes OUT (Word when its name ends in .doc, else
// RTF) and ends. `word_export_bench --reference PAGES OUT` writes the
// reference document, as Word when OUT ends in .doc, else as RTF;
// `word_export_bench --paragraphs N OUT` the generated RTF of N paragraphs.
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
#include "bench/ReferenceDocument.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaLayoutInterface.h"
#include "engine/xMorvaDocumentEngineServices.h"
#include "framework/core/memory/VHeap.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/memory/VWinMemoryMgr.h"
#include "framework/core/streams/VHandleStream.h"
#include "framework/system/files/VFile.h"
#include "framework/system/files/VFileStream.h"
#include "graphics/VGraphicsStart.h"
#include "interchange/rtf/xMorvaExportRTF.h"
#include "interchange/rtf/xMorvaImportRTF.h"
#include "interchange/word/xMorvaExportWord.h"
#include "interchange/word/xMorvaImportWord.h"

namespace fs = std::filesystem;

namespace {


bool IsWordName(const std::string& name) { return name.size() > 4 && name.compare(name.size() - 4, 4, ".doc") == 0; }

std::string Written(xMorvaDocument& document, bool word) {
  return WrittenBytes([&document, word](VStream& stream) {
    if (word) {
      xMorvaExportWord writer;
      writer.ExportWordDocument(&document, &stream);
    } else {
      xMorvaExportRTF writer;
      writer.ExportRtf(document, stream, false);
    }
  });
}

fs::path Folder() { return BenchFolder("qv-word-export-bench"); }

// The stand-in host's command that opens `in` as `inType` and saves `out`
// as `outType`; empty when qvhost is not built.
std::vector<std::string> HostCommand(const fs::path& in, const std::string& inType, const fs::path& out,
                                     const std::string& outType) {
  const fs::path host = HostProgram();
  if (host.empty()) return {};
  const fs::path script = Folder() / (out.parent_path().filename().string() + "-" + out.stem().string() + ".qvs");
  WriteHostConversionScript(script, in, inType, out, outType);
  return {host.string(), script.string()};
}

void ExportWord(benchmark::State& state) {
  auto document = std::make_unique<xMorvaDocument>(nullptr);
  FillWithReferenceDocument(*document, int32_t(state.range(0)));
  ResetPeak();
  const int64_t before = StatusBytes("VmRSS:");
  size_t written = 0;
  for (auto _ : state) {
    VMemHandle handle = 0;
    VHandleStream stream(handle);
    stream.OpenWrite();
    xMorvaExportWord writer;
    if (writer.ExportWordDocument(document.get(), &stream) != 0) state.SkipWithError("the file was not written");
    stream.CloseWrite(1);
    written = handle != 0 ? gMemoryMgr->GetHandleSize(handle) : 0;
    if (handle != 0) gMemoryMgr->DisposeHandle(handle);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(written));
  state.counters["file_MB"] = double(written) / 1e6;
  state.counters["peak_RSS_per_file_byte"] = double(StatusBytes("VmHWM:") - before) / double(written);
}

// The reference document without its footer saved as RTF (format 0) or
// Word 97 (1): with no page number in a header or footer, the writers'
// page-number format is the body's to give.
void SaveWithoutPageNumbers(benchmark::State& state) {
  const bool word = state.range(0) == 1;
  auto document = std::make_unique<xMorvaDocument>(nullptr);
  FillWithReferenceDocument(*document, int32_t(state.range(1)), false);
  size_t written = 0;
  for (auto _ : state) {
    const std::string bytes = Written(*document, word);
    written = bytes.size();
    benchmark::DoNotOptimize(bytes.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(written));
  state.counters["file_MB"] = double(written) / 1e6;
}

// kOurs is this program's own conversion, kHost the stand-in host's.
enum Converter : int64_t { kOurs = 0, kLibreOffice = 1, kAbiWord = 2, kHost = 3 };
// 0: RTF opened, Word saved; 1: Word opened, RTF saved.
enum Direction : int64_t { kToWord = 0, kFromWord = 1 };

void WholeProcess(benchmark::State& state) {
  const auto converter = Converter(state.range(0));
  const auto direction = Direction(state.range(1));
  const int32_t pages = int32_t(state.range(2));
  const fs::path input = MadeReferenceFile(Folder(), pages, direction == kToWord ? ".rtf" : ".doc");
  const std::string extension = direction == kToWord ? "doc" : "rtf";
  const fs::path output = Folder() / ("out-" + std::to_string(converter) + "-" + std::to_string(direction));
  fs::create_directories(output);
  std::vector<std::string> command;
  switch (converter) {
    case kOurs:
      command = {fs::read_symlink("/proc/self/exe").string(), "--convert", input.string(),
                 (output / ("reference." + extension)).string()};
      break;
    case kLibreOffice:
      if (!HasProgram("soffice")) return state.SkipWithError("soffice is not installed");
      command = {"soffice", "-env:UserInstallation=file://" + (Folder() / "profile").string(), "--headless",
                 "--convert-to", extension, "--outdir", output.string(), input.string()};
      break;
    case kAbiWord:
      if (!HasProgram("abiword")) return state.SkipWithError("abiword is not installed");
      command = {"abiword", "--to=" + (output / ("reference." + extension)).string(), input.string()};
      break;
    case kHost:
      command = HostCommand(input, direction == kToWord ? "RTF " : "DOC8", output / ("reference." + extension),
                            direction == kToWord ? "DOC8" : "RTF ");
      if (command.empty()) return state.SkipWithError("qvhost is not built");
      break;
  }
  TimeWholeProcess(state, command, input, pages);
}

constexpr int32_t kParagraphCounts[] = {10000, 40000, 160000};

// The generated RTF of `paragraphs` paragraphs, made once by a process of
// its own.
fs::path ParagraphsFile(int32_t paragraphs) {
  const fs::path path = Folder() / ("paragraphs-" + std::to_string(paragraphs) + ".rtf");
  double seconds = 0;
  int64_t peak = 0;
  if (!fs::exists(path)) RunSelf({"--paragraphs", std::to_string(paragraphs), path.string()}, seconds, peak);
  return path;
}

// The same RTF of many short paragraphs saved as Word 97 by each: the run
// and paragraph pages are written in one pass over the text.
void ParagraphsToWord(benchmark::State& state) {
  const auto converter = Converter(state.range(0));
  const int32_t paragraphs = int32_t(state.range(1));
  const fs::path input = ParagraphsFile(paragraphs);
  if (!fs::exists(input)) return state.SkipWithError("the RTF was not made");
  const fs::path output = Folder() / ("paragraphs-out-" + std::to_string(converter));
  fs::create_directories(output);
  const fs::path written = output / (input.stem().string() + ".doc");
  std::vector<std::string> command;
  switch (converter) {
    case kLibreOffice:
      if (!HasProgram("soffice")) return state.SkipWithError("soffice is not installed");
      command = {"soffice", "-env:UserInstallation=file://" + (Folder() / "profile").string(), "--headless",
                 "--convert-to", "doc", "--outdir", output.string(), input.string()};
      break;
    case kAbiWord:
      if (!HasProgram("abiword")) return state.SkipWithError("abiword is not installed");
      command = {"abiword", "--to=" + written.string(), input.string()};
      break;
    default:
      command = HostCommand(input, "RTF ", written, "DOC8");
      if (command.empty()) return state.SkipWithError("qvhost is not built");
      break;
  }
  int64_t peak = 0;
  for (auto _ : state) {
    double seconds = 0;
    int64_t bytes = 0;
    if (!RunProcess(command, seconds, bytes) || !fs::exists(written)) {
      state.SkipWithError("the conversion failed");
      return;
    }
    state.SetIterationTime(seconds);
    peak = std::max(peak, bytes);
  }
  state.counters["paragraphs"] = paragraphs;
  state.counters["file_MB"] = double(fs::file_size(input)) / 1e6;
  state.counters["doc_MB"] = double(fs::file_size(written)) / 1e6;
  state.counters["peak_RSS_MB"] = double(peak) / 1e6;
}

// Our whole process: open, lay out once, save.
int Convert(const char* in, const char* out) {
  gHeap = new VHeap();
  gMemoryMgr = new VWinMemoryMgr();
  StartFormatServices();
  int result = 1;
  {
    auto document = std::make_unique<xMorvaDocument>(nullptr);
    document->Reset(false);
    VFile source(in);
    VFileStream reading(&source, false);
    bool read = false;
    if (IsWordName(in)) {
      xMorvaImportWord reader;
      read = reader.ImportWordDocument(document.get(), &reading) == 0;
    } else {
      xMorvaImportRTF reader;
      read = reading.OpenRead() == 0 && reader.ImportRtf(*document, reading, false) == 0;
      reading.CloseRead();
    }
    if (xMorvaLayoutInterface* layout = document->GetLayout()) layout->ComposeAll();
    VFile target(out);
    target.Create(true);
    VFileStream writing(&target, false);
    bool written = writing.OpenWrite() == 0;
    if (written && IsWordName(out)) {
      xMorvaExportWord writer;
      written = writer.ExportWordDocument(document.get(), &writing) == 0;
    } else if (written) {
      xMorvaExportRTF writer;
      written = writer.ExportRtf(*document, writing, false);
    }
    if (writing.CloseWrite(1) == 0 && read && written) result = 0;
  }
  StopFormatServices();
  return result;
}

void Pages(benchmark::internal::Benchmark* b) {
  for (int64_t pages : kReferencePages) b->Arg(pages);
}

void Converters(benchmark::internal::Benchmark* b) {
  for (int64_t direction : {kToWord, kFromWord}) {
    for (int64_t converter : {kOurs, kHost, kLibreOffice, kAbiWord}) {
      for (int64_t pages : kReferencePages) b->Args({converter, direction, pages});
    }
  }
}

// The whole processes first, while this process is small; the peers take
// seconds a file: one run each.
BENCHMARK(WholeProcess)
    ->ArgNames({"converter", "from_word", "pages"})
    ->Apply(Converters)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(ParagraphsToWord)
    ->ArgNames({"converter", "paragraphs"})
    ->ArgsProduct({{kHost, kLibreOffice, kAbiWord},
                   {kParagraphCounts[0], kParagraphCounts[1], kParagraphCounts[2]}})
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(ExportWord)->ArgName("pages")->Apply(Pages)->Unit(benchmark::kMillisecond);
BENCHMARK(SaveWithoutPageNumbers)
    ->ArgNames({"word", "pages"})
    ->ArgsProduct({{0, 1}, {kReferencePages[0], kReferencePages[1], kReferencePages[2]}})
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "--convert") == 0) return Convert(argv[2], argv[3]);
  if (argc == 4 && std::strcmp(argv[1], "--paragraphs") == 0) {
    std::ofstream(argv[3], std::ios::binary) << GeneratedRtfOfParagraphs(kGeneratedFormatted, std::atoi(argv[2]));
    return 0;
  }
  if (argc == 4 && std::strcmp(argv[1], "--reference") == 0) {
    gHeap = new VHeap();
    gMemoryMgr = new VWinMemoryMgr();
    StartFormatServices();
    {
      auto document = std::make_unique<xMorvaDocument>(nullptr);
      FillWithReferenceDocument(*document, std::atoi(argv[2]));
      const std::string bytes = Written(*document, IsWordName(argv[3]));
      std::ofstream(argv[3], std::ios::binary) << bytes;
    }
    StopFormatServices();
    return 0;
  }
  const int result = RunBenchmarksWithCoreServices(argc, argv, &StartFormatServices, &StopFormatServices);
  std::error_code ignored;
  fs::remove_all(Folder(), ignored);
  return result;
}
