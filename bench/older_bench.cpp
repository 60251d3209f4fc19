// Older-format documents read: forms of about 1, 10 and 50 MB, made here of
// text paragraphs with three character runs each, a paragraph format now
// and then and a page break every hundred paragraphs, in big-endian order.
// In process, each run reports the bytes read a second and the peak
// resident memory per file byte; as a whole process (no other program
// reads the format), the wall time and peak memory of opening the file and
// laying the document out once.
//
// Beside them, documents of 50, 500 and 2,000 pages with a header and a
// footer form, in both byte orders: the read's cost a page stays level.
// And documents of those pages where every page starts with a page break
// and a paragraph format right behind it (centred, indented, with tab stops
// on even pages, plain on odd ones), read beside the same document written
// as RTF and read back: the older read stays as dear a page as the RTF one.
//
// `older_bench --open FILE` is that whole process; `older_bench --once
// PAGES LITTLE` reads one document of pages once in `MeasuredRead`, for
// valgrind to count alone (--tool=callgrind --toggle-collect='*MeasuredRead*');
// `older_bench --once-breaks PAGES RTF` reads the document with a break and a
// format a page once, as the older format (RTF 0) or as RTF (1), there too;
// `older_bench --rtf-of-breaks PAGES OUT` writes that document as RTF, and
// `older_bench --older-of-breaks PAGES OUT` in the older format, for the
// stand-in host to open both.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <malloc.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bench/BenchMain.h"
#include "bench/FormatBench.h"
#include "bench/ProcessBench.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaLayoutInterface.h"
#include "engine/xMorvaDocumentEngineServices.h"
#include "engine/xMorvaEngine.h"
#include "framework/core/memory/VHeap.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/memory/VWinMemoryMgr.h"
#include "framework/system/files/VFile.h"
#include "framework/system/files/VFileStream.h"
#include "graphics/VGraphicsStart.h"
#include "interchange/older/xMorvaV2import.h"
#include "interchange/rtf/xMorvaExportRTF.h"
#include "interchange/rtf/xMorvaImportRTF.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {


// Numbers and chunks of the form, big-endian or, with `little`, each
// number and tag byte-reversed.
void PutBig(std::string& out, uint32_t value, int bytes, bool little = false) {
  for (int i = 0; i < bytes; ++i) out += char(value >> (8 * (little ? i : bytes - 1 - i)));
}

std::string Tag(const char* tag, bool little) {
  std::string out(tag, 4);
  if (little) std::reverse(out.begin(), out.end());
  return out;
}

std::string Chunk(const char* tag, const std::string& data, bool little = false) {
  std::string out = Tag(tag, little);
  PutBig(out, uint32_t(data.size()), 4, little);
  out += data;
  if (data.size() % 2 != 0) out += '\0';
  return out;
}

std::string Form(const char* type, const std::string& chunks, bool little = false) {
  return Chunk("FORM", Tag(type, little) + chunks, little);
}

std::string Run(uint16_t font, uint8_t size, uint8_t face, uint16_t start, bool little) {
  std::string out;
  PutBig(out, font, 2, little);
  out += char(size);
  out += char(face);
  out += std::string(4, '\0');
  PutBig(out, start, 2, little);
  return out;
}

std::string TextParagraph(const std::string& text, bool little = false) {
  std::string record(4, '\0');
  PutBig(record, 3, 2, little);
  const std::string runs = Run(20, 12, 0, 0, little) + Run(22, 14, 1, 10, little) + Run(20, 0, 4, 30, little);
  return Form("PARA",
              Chunk("PARA", record, little) + Chunk("TEXT", text, little) + Chunk("STYL", runs, little), little);
}

// An indented paragraph format with two tab stops, centred when asked; or,
// with `plain`, the left-aligned one without indents or stops.
std::string FormatParagraph(bool little = false, bool centred = false, bool plain = false) {
  std::string record(3, '\0');
  record += char(2);
  PutBig(record, plain ? 0 : 36, 2, little);
  PutBig(record, plain ? 0 : 54, 2, little);
  PutBig(record, 468, 2, little);
  record += char(centred ? 1 : 0);
  record += char(0);
  record += char(plain ? 0 : 2);
  record += '\0';
  if (!plain) {
    PutBig(record, 0x4000 + 72, 2, little);
    PutBig(record, 144, 2, little);
  }
  return Form("PARA", Chunk("PARA", record, little), little);
}

std::string PageBreak(bool little = false) {
  std::string record(3, '\0');
  record += char(1);
  record += std::string(5 * 2 + 2 + 4, '\0');
  PutBig(record, 0xFFFFFFFF, 4, little);
  return Form("PARA", Chunk("PARA", record, little), little);
}

std::string FontTable(bool little = false) {
  std::string fonts;
  for (const auto& [number, name] : {std::pair<uint16_t, std::string>{20, "Arial"}, {22, "Courier New"}}) {
    std::string record;
    PutBig(record, number, 2, little);
    record += char(name.size());
    record += name;
    fonts += Chunk("FNTS", record, little);
  }
  return Form("FNTS", fonts, little);
}

const std::string kOlderText =
    "The quick brown fox jumps over the lazy dog, and then\tit runs on a while longer than that.";

// A document of `pages` pages of about 3,000 characters, with a header and
// a footer form at the start of their chunks, in either byte order.
std::string OlderDocumentOfPages(int32_t pages, bool little) {
  std::string chunks = FontTable(little);
  for (const char* tag : {"HIDR", "FUTR"}) {
    const std::string nested = Form("QMVT", FontTable(little) + TextParagraph(kOlderText, little), little);
    chunks += Chunk(tag, nested, little);
  }
  // The paragraph format follows a page's first paragraph, as a format
  // right behind a page break is set by walking the text from its start.
  for (int32_t page = 0; page < pages; ++page) {
    for (int32_t i = 0; i < 33; ++i) {
      chunks += TextParagraph(kOlderText, little);
      if (i == 0) chunks += FormatParagraph(little);
    }
    chunks += PageBreak(little);
  }
  return Form("QMVT", chunks, little);
}

// A document of `pages` pages of about 3,000 characters, each page started
// by a page break and a paragraph format right behind it (the first page
// by the format alone), the format centred and indented with tab stops on
// even pages and plain on odd ones.
std::string OlderDocumentOfBreaksAndFormats(int32_t pages) {
  std::string chunks = FontTable();
  for (int32_t page = 0; page < pages; ++page) {
    if (page > 0) chunks += PageBreak();
    chunks += FormatParagraph(false, true, page % 2 != 0);
    for (int32_t i = 0; i < 33; ++i) chunks += TextParagraph(kOlderText);
  }
  return Form("QMVT", chunks);
}

// The same document written as RTF: read as the older format, then written.
std::string RtfOfBreaksAndFormats(int32_t pages) {
  const std::string bytes = OlderDocumentOfBreaksAndFormats(pages);
  auto document = std::make_unique<xMorvaDocument>(nullptr);
  xMorvaV2import reader;
  if (reader.ImportV2Bytes(*document, reinterpret_cast<const uint8_t*>(bytes.data()), uint32_t(bytes.size()),
                           false) != 0)
    return {};
  return WrittenBytes([&](VStream& stream) {
    xMorvaExportRTF writer;
    writer.ExportRtf(*document, stream, false);
  });
}

bool ReadBreaksAndFormats(xMorvaDocument& document, const std::string& bytes, bool rtf) {
  if (rtf) {
    xMorvaImportRTF reader;
    return reader.ImportRtfBytes(document, reinterpret_cast<const uint8_t*>(bytes.data()), uint32_t(bytes.size()),
                                 false) == 0;
  }
  xMorvaV2import reader;
  return reader.ImportV2Bytes(document, reinterpret_cast<const uint8_t*>(bytes.data()), uint32_t(bytes.size()),
                              false) == 0;
}

// A document of about `megabytes` MB.
std::string OlderDocument(int64_t megabytes) {
  std::string chunks = FontTable();
  const std::string& text = kOlderText;
  const size_t target = size_t(megabytes) * 1000 * 1000;
  for (int64_t i = 0; chunks.size() < target; ++i) {
    if (i % 20 == 0) chunks += FormatParagraph();
    if (i % 100 == 99) chunks += PageBreak();
    chunks += TextParagraph(text);
  }
  return Form("QMVT", chunks);
}

void ImportOlder(benchmark::State& state) {
  const std::string bytes = OlderDocument(state.range(0));
  auto document = std::make_unique<xMorvaDocument>(nullptr);
  malloc_trim(0);
  std::ofstream("/proc/self/clear_refs") << "5";
  const int64_t before = StatusBytes("VmRSS:");
  for (auto _ : state) {
    xMorvaV2import reader;
    if (reader.ImportV2Bytes(*document, reinterpret_cast<const uint8_t*>(bytes.data()), uint32_t(bytes.size()),
                             false) != 0) {
      state.SkipWithError("the document did not read");
    }
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
  state.counters["file_MB"] = double(bytes.size()) / 1e6;
  state.counters["peak_RSS_per_file_byte"] = double(StatusBytes("VmHWM:") - before) / double(bytes.size());
}

// Documents of 50, 500 and 2,000 pages with a header and a footer form,
// in each byte order: the cost a page stays level as the pages grow.
void ImportOlderPages(benchmark::State& state) {
  const std::string bytes = OlderDocumentOfPages(int32_t(state.range(0)), state.range(1) != 0);
  auto document = std::make_unique<xMorvaDocument>(nullptr);
  for (auto _ : state) {
    xMorvaV2import reader;
    if (reader.ImportV2Bytes(*document, reinterpret_cast<const uint8_t*>(bytes.data()), uint32_t(bytes.size()),
                             false) != 0) {
      state.SkipWithError("the document did not read");
    }
  }
  state.counters["pages_per_s"] =
      benchmark::Counter(double(state.range(0)), benchmark::Counter::kIsIterationInvariantRate);
}

// The document with a break and a format a page read as the older format
// (`rtf` 0) or as the RTF of it (1): its cost a page stays level, and the
// older read's stays near the RTF read's.
void ImportOlderBreaksAndFormats(benchmark::State& state) {
  const auto pages = int32_t(state.range(0));
  const bool rtf = state.range(1) != 0;
  const std::string bytes = rtf ? RtfOfBreaksAndFormats(pages) : OlderDocumentOfBreaksAndFormats(pages);
  for (auto _ : state) {
    auto document = std::make_unique<xMorvaDocument>(nullptr);
    if (!ReadBreaksAndFormats(*document, bytes, rtf)) state.SkipWithError("the document did not read");
  }
  state.counters["pages_per_s"] = benchmark::Counter(double(pages), benchmark::Counter::kIsIterationInvariantRate);
}

fs::path Folder() {
  static const fs::path folder = [] {
    fs::path path = fs::temp_directory_path() / ("qv-older-bench-" + std::to_string(getpid()));
    fs::create_directories(path);
    return path;
  }();
  return folder;
}

void WholeProcess(benchmark::State& state) {
  const fs::path file = Folder() / ("document-" + std::to_string(state.range(0)) + ".qmv");
  if (!fs::exists(file)) std::ofstream(file, std::ios::binary) << OlderDocument(state.range(0));
  int64_t peak = 0;
  for (auto _ : state) {
    double seconds = 0;
    int64_t bytes = 0;
    if (!RunSelf({"--open", file.string()}, seconds, bytes)) {
      state.SkipWithError("the document did not open");
      return;
    }
    state.SetIterationTime(seconds);
    peak = std::max(peak, bytes);
  }
  state.counters["file_MB"] = double(fs::file_size(file)) / 1e6;
  state.counters["peak_RSS_MB"] = double(peak) / 1e6;
}

// Our whole process: open through a file stream, as the open command
// does, and lay the document out once.
int Open(const char* path) {
  gHeap = new VHeap();
  gMemoryMgr = new VWinMemoryMgr();
  StartFormatServices();
  int result = 1;
  {
    auto document = std::make_unique<xMorvaDocument>(nullptr);
    VFile source(path);
    VFileStream reading(&source, false);
    xMorvaV2import reader;
    if (reading.OpenRead() == 0 && reader.ImportV2Document(*document, reading, false) == 0) result = 0;
    reading.CloseRead();
    if (xMorvaLayoutInterface* layout = document->GetLayout()) layout->ComposeAll();
  }
  StopFormatServices();
  return result;
}

// The whole processes first, while this process is small: a process
// started later counts the memory of the one that starts it.
BENCHMARK(WholeProcess)
    ->ArgName("MB")
    ->Arg(1)
    ->Arg(10)
    ->Arg(50)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(ImportOlder)->ArgName("MB")->Arg(1)->Arg(10)->Arg(50)->Unit(benchmark::kMillisecond);
BENCHMARK(ImportOlderPages)
    ->ArgNames({"pages", "little"})
    ->ArgsProduct({{50, 500, 2000}, {0, 1}})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(ImportOlderBreaksAndFormats)
    ->ArgNames({"pages", "rtf"})
    ->ArgsProduct({{50, 500, 2000}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

// One document of pages read once into a new document, for an instruction
// count of the read alone (`--once PAGES LITTLE`).
__attribute__((noinline)) int32_t MeasuredRead(xMorvaDocument& document, const std::string& bytes) {
  xMorvaV2import reader;
  return reader.ImportV2Bytes(document, reinterpret_cast<const uint8_t*>(bytes.data()), uint32_t(bytes.size()),
                              false);
}

int ReadOnce(int32_t pages, bool little) {
  gHeap = new VHeap();
  gMemoryMgr = new VWinMemoryMgr();
  StartFormatServices();
  int32_t result = 1;
  {
    const std::string bytes = OlderDocumentOfPages(pages, little);
    auto document = std::make_unique<xMorvaDocument>(nullptr);
    result = MeasuredRead(*document, bytes);
  }
  StopFormatServices();
  return result == 0 ? 0 : 1;
}

// The document with a break and a format a page read once into a new
// document, for an instruction count of the read alone (`--once-breaks
// PAGES RTF`); the bytes are made before, uncounted.
__attribute__((noinline)) bool MeasuredBreaksRead(xMorvaDocument& document, const std::string& bytes, bool rtf) {
  return ReadBreaksAndFormats(document, bytes, rtf);
}

int ReadBreaksOnce(int32_t pages, bool rtf) {
  gHeap = new VHeap();
  gMemoryMgr = new VWinMemoryMgr();
  StartFormatServices();
  bool read = false;
  {
    const std::string bytes = rtf ? RtfOfBreaksAndFormats(pages) : OlderDocumentOfBreaksAndFormats(pages);
    auto document = std::make_unique<xMorvaDocument>(nullptr);
    read = !bytes.empty() && MeasuredBreaksRead(*document, bytes, rtf);
  }
  StopFormatServices();
  return read ? 0 : 1;
}

// The RTF of the document with a break and a format a page, to compare
// what the read made from one build to the next (`--rtf-of-breaks PAGES OUT`).
int WriteRtfOfBreaks(int32_t pages, const char* out) {
  gHeap = new VHeap();
  gMemoryMgr = new VWinMemoryMgr();
  StartFormatServices();
  const std::string rtf = RtfOfBreaksAndFormats(pages);
  std::ofstream(out, std::ios::binary) << rtf;
  StopFormatServices();
  return rtf.empty() ? 1 : 0;
}

// The older document with a break and a format a page, for the stand-in
// host to open beside the RTF of the same text (`--older-of-breaks PAGES
// OUT`).
int WriteOlderOfBreaks(int32_t pages, const char* out) {
  std::ofstream(out, std::ios::binary) << OlderDocumentOfBreaksAndFormats(pages);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--open") == 0) return Open(argv[2]);
  if (argc == 4 && std::strcmp(argv[1], "--once") == 0) return ReadOnce(std::atoi(argv[2]), std::atoi(argv[3]) != 0);
  if (argc == 4 && std::strcmp(argv[1], "--once-breaks") == 0)
    return ReadBreaksOnce(std::atoi(argv[2]), std::atoi(argv[3]) != 0);
  if (argc == 4 && std::strcmp(argv[1], "--rtf-of-breaks") == 0) return WriteRtfOfBreaks(std::atoi(argv[2]), argv[3]);
  if (argc == 4 && std::strcmp(argv[1], "--older-of-breaks") == 0)
    return WriteOlderOfBreaks(std::atoi(argv[2]), argv[3]);
  const int result = RunBenchmarksWithCoreServices(argc, argv, &StartFormatServices, &StopFormatServices);
  std::error_code ignored;
  fs::remove_all(Folder(), ignored);
  return result;
}
