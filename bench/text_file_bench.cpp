// Plain text files in and out of a document: reading 1, 10 and 100 MB of
// Windows text (lines of about 80 characters ending CR LF) into a reset
// document, opening 10 MB of UTF-16 text behind its mark (the text test,
// then the read), and writing the same document back as 'ASCW' and as 'ASCU';
// and the reference document saved as the save chooser's plain text saves
// it, its question (whether Windows text carries every character) asked
// before the write. `--write-once PAGES OUT` writes that plain text once,
// for valgrind to count (see WriteOnce), and `--write-once-plain PAGES OUT`
// the same of the reference document made a plain text.
// Each run reports its speed and its peak resident memory above what the
// process held before it, per byte of file.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "area/files/xMorvaFileFormats.h"
#include "area/files/xMorvaOpenSave.h"
#include "bench/BenchMain.h"
#include "bench/FormatBench.h"
#include "bench/ProcessBench.h"
#include "bench/ReferenceDocument.h"
#include "document/xMorvaDocument.h"
#include "engine/xMorvaDocumentEngineServices.h"
#include "framework/core/memory/VHeap.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/memory/VWinMemoryMgr.h"
#include "framework/core/streams/VHandleStream.h"
#include "framework/core/streams/VMemoryStream.h"
#include "graphics/VGraphicsStart.h"
#include "interchange/text/xMorvaPlainText.h"
#include "interchange/text/xMorvaTextFormats.h"

namespace {


int64_t StatusKilobytes(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field, 0) == 0) return std::stoll(line.substr(std::strlen(field))) * 1024;
  }
  return 0;
}

// Text of `megabytes` MB: words and tabs, lines ending CR LF.
std::vector<uint8_t> MakeText(int64_t megabytes) {
  static const char kLine[] =
      "The quick brown fox jumps over the lazy dog\tand keeps running, 1234567890.\r\n";
  const size_t size = size_t(megabytes) * 1000000;
  std::vector<uint8_t> text;
  text.reserve(size + sizeof kLine);
  while (text.size() < size) text.insert(text.end(), kLine, kLine + sizeof kLine - 1);
  return text;
}

// UTF-16 text of `megabytes` MB behind the mark FF FE: lines of Latin and
// Japanese words with an emoji and its skin tone, ending CR LF.
std::vector<uint8_t> MakeMarkedText(int64_t megabytes) {
  static const char16_t kLine[] =
      u"The quick brown fox \U0001F44D\U0001F3FD jumps over the lazy dog, \u6771\u4EAC\u2192\u5927\u962A 1234.\r\n";
  const size_t size = size_t(megabytes) * 1000000;
  std::vector<uint8_t> text = {0xFF, 0xFE};
  text.reserve(size + sizeof kLine);
  while (text.size() < size)
    for (size_t i = 0; i + 1 < std::size(kLine); ++i) text.insert(text.end(), {uint8_t(kLine[i]), uint8_t(kLine[i] >> 8)});
  return text;
}

void Report(benchmark::State& state, size_t fileBytes, int64_t before) {
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(fileBytes));
  state.counters["file_MB"] = double(fileBytes) / 1e6;
  state.counters["peak_RSS_per_file_byte"] =
      double(StatusKilobytes("VmHWM:") - before) / double(fileBytes);
}

int32_t Import(xMorvaDocument& document, const std::vector<uint8_t>& text) {
  VMemoryStream stream(text.data(), uint32_t(text.size()));
  stream.OpenRead();
  xMorvaImportTEXT reader;
  const int32_t code = reader.ImportText(document, stream, kTextEncodingWindows, false);
  stream.CloseRead();
  return code;
}

void ImportText(benchmark::State& state) {
  const std::vector<uint8_t> text = MakeText(state.range(0));
  auto document = std::make_unique<xMorvaDocument>(nullptr);
  ResetPeak();
  const int64_t before = StatusKilobytes("VmRSS:");
  for (auto _ : state) {
    if (Import(*document, text) != 0) state.SkipWithError("the text did not read");
  }
  Report(state, text.size(), before);
}

// A marked text opened as the open commands take it by its content: the
// text test of its first 4,096 bytes, then the read.
void OpenMarkedText(benchmark::State& state) {
  const std::vector<uint8_t> text = MakeMarkedText(state.range(0));
  auto document = std::make_unique<xMorvaDocument>(nullptr);
  ResetPeak();
  const int64_t before = StatusKilobytes("VmRSS:");
  for (auto _ : state) {
    if (!IsTextSample(text.data(), uint32_t(std::min<size_t>(text.size(), 4096)), false))
      state.SkipWithError("the text test refused the text");
    VMemoryStream stream(text.data(), uint32_t(text.size()));
    stream.OpenRead();
    xMorvaImportTEXT reader;
    if (reader.ImportText(*document, stream, kTextEncodingUtf16, false) != 0) state.SkipWithError("the text did not read");
    stream.CloseRead();
  }
  Report(state, text.size(), before);
}

void ExportText(benchmark::State& state) {
  auto document = std::make_unique<xMorvaDocument>(nullptr);
  size_t size = 0;
  {
    const std::vector<uint8_t> text = MakeText(state.range(0));
    if (Import(*document, text) != 0) state.SkipWithError("the text did not read");
  }
  const uint32_t type = state.range(1) != 0 ? kTypeTextUnicode : kTypeTextWindows;
  ResetPeak();
  const int64_t before = StatusKilobytes("VmRSS:");
  for (auto _ : state) {
    VMemHandle handle = 0;
    VHandleStream stream(handle);
    stream.OpenWrite();
    xMorvaExportTEXT writer;
    if (!writer.ExportText(*document, stream, type))
      state.SkipWithError("the text was not written");
    stream.CloseWrite(1);
    size = gMemoryMgr->GetHandleSize(handle);
    gMemoryMgr->DisposeHandle(handle);
  }
  Report(state, size, before);
}

// The chooser's plain text of a text that needs no question: the question,
// then the write through the table of formats.
void SavePlainTextAsChosen(benchmark::State& state) {
  auto document = std::make_unique<xMorvaDocument>(nullptr);
  FillWithReferenceDocument(*document, int32_t(state.range(0)));
  InstallTextFormats();
  const xMorvaFormatWriter write = xMorvaFileFormats::FindWriter(kTypeTextWindows);
  size_t size = 0;
  for (auto _ : state) {
    if (!xMorvaFileFormats::CarriesEveryCharacter(*document, kTypeTextWindows))
      state.SkipWithError("the text would be asked about");
    size = WrittenBytes([&](VStream& stream) {
             if (!write(*document, stream, kTypeTextWindows, false))
               state.SkipWithError("the text was not written");
           }).size();
  }
  RemoveTextFormats();
  state.counters["pages"] = double(state.range(0));
  state.counters["file_MB"] = double(size) / 1e6;
}

BENCHMARK(ImportText)
    ->ArgName("MB")
    ->Arg(1)
    ->Arg(10)
    ->Arg(100)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK(OpenMarkedText)->ArgName("MB")->Arg(10)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(ExportText)
    ->ArgNames({"MB", "utf16"})
    ->Args({1, 0})
    ->Args({10, 0})
    ->Args({100, 0})
    ->Args({1, 1})
    ->Args({10, 1})
    ->Args({100, 1})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK(SavePlainTextAsChosen)
    ->ArgName("pages")
    ->Arg(kReferencePages[0])
    ->Arg(kReferencePages[1])
    ->Arg(kReferencePages[2])
    ->Unit(benchmark::kMillisecond);

// The reference document of `pages` pages written once as the chooser's
// plain text in `MeasuredTextWrite`, for an instruction count of the write
// alone (valgrind --tool=callgrind --toggle-collect='*MeasuredTextWrite*'),
// and the bytes put in `out` to be compared from one build to the next.
// (The bytes are handed back through `out`: a returned call would leave the
// function before the write, as a jump, and nothing would be counted.)
__attribute__((noinline)) void MeasuredTextWrite(xMorvaDocument& document, uint32_t type, std::string& out) {
  const xMorvaFormatWriter write = xMorvaFileFormats::FindWriter(type);
  out = WrittenBytes([&](VStream& stream) { write(document, stream, type, false); });
}

// With `plain`, the reference document made a plain text.
int WriteOnce(int32_t pages, const char* out, bool plain) {
  gHeap = new VHeap();
  gMemoryMgr = new VWinMemoryMgr();
  StartFormatServices();
  InstallTextFormats();
  {
    auto document = std::make_unique<xMorvaDocument>(nullptr);
    if (plain)
      FillWithPlainReferenceDocument(*document, pages);
    else
      FillWithReferenceDocument(*document, pages);
    std::string bytes;
    MeasuredTextWrite(*document, kTypeTextWindows, bytes);
    std::ofstream(out, std::ios::binary) << bytes;
  }
  RemoveTextFormats();
  StopFormatServices();
  return 0;
}

}  // namespace

// `text_file_bench --write-once PAGES OUT` writes the reference document of
// pages once as plain text to OUT, `--write-once-plain PAGES OUT` that
// document made a plain text; else the benchmarks.
int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "--write-once") == 0) return WriteOnce(std::atoi(argv[2]), argv[3], false);
  if (argc == 4 && std::strcmp(argv[1], "--write-once-plain") == 0)
    return WriteOnce(std::atoi(argv[2]), argv[3], true);
  return RunBenchmarksWithCoreServices(argc, argv, &StartFormatServices, &StopFormatServices);
}
