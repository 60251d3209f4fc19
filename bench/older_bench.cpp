// Older-format documents read: forms of about 1, 10 and 50 MB, made here of
// text paragraphs with three character runs each, a paragraph format now
// and then and a page break every hundred paragraphs, in big-endian order.
// In process, each run reports the bytes read a second and the peak
// resident memory per file byte; as a whole process (no other program
// reads the format), the wall time and peak memory of opening the file and
// laying the document out once.
//
// `older_bench --open FILE` is that whole process.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <malloc.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
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

extern char** environ;

namespace fs = std::filesystem;

namespace {


// Big-endian numbers and chunks of the form.
void PutBig(std::string& out, uint32_t value, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) out += char(value >> (8 * i));
}

std::string Chunk(const char* tag, const std::string& data) {
  std::string out(tag, 4);
  PutBig(out, uint32_t(data.size()), 4);
  out += data;
  if (data.size() % 2 != 0) out += '\0';
  return out;
}

std::string Form(const char* type, const std::string& chunks) {
  return Chunk("FORM", std::string(type, 4) + chunks);
}

std::string Run(uint16_t font, uint8_t size, uint8_t face, uint16_t start) {
  std::string out;
  PutBig(out, font, 2);
  out += char(size);
  out += char(face);
  out += std::string(4, '\0');
  PutBig(out, start, 2);
  return out;
}

std::string TextParagraph(const std::string& text) {
  std::string record(4, '\0');
  PutBig(record, 3, 2);
  const std::string runs = Run(20, 12, 0, 0) + Run(22, 14, 1, 10) + Run(20, 0, 4, 30);
  return Form("PARA", Chunk("PARA", record) + Chunk("TEXT", text) + Chunk("STYL", runs));
}

std::string FormatParagraph() {
  std::string record(3, '\0');
  record += char(2);
  PutBig(record, 36, 2);
  PutBig(record, 54, 2);
  PutBig(record, 468, 2);
  record += char(0);
  record += char(0);
  record += char(2);
  record += '\0';
  PutBig(record, 0x4000 + 72, 2);
  PutBig(record, 144, 2);
  return Form("PARA", Chunk("PARA", record));
}

std::string PageBreak() {
  std::string record(3, '\0');
  record += char(1);
  record += std::string(5 * 2 + 2 + 4, '\0');
  PutBig(record, 0xFFFFFFFF, 4);
  return Form("PARA", Chunk("PARA", record));
}

// A document of about `megabytes` MB.
std::string OlderDocument(int64_t megabytes) {
  std::string fonts;
  for (const auto& [number, name] : {std::pair<uint16_t, std::string>{20, "Arial"}, {22, "Courier New"}}) {
    std::string record;
    PutBig(record, number, 2);
    record += char(name.size());
    record += name;
    fonts += Chunk("FNTS", record);
  }
  std::string chunks = Form("FNTS", fonts);
  const std::string text =
      "The quick brown fox jumps over the lazy dog, and then\tit runs on a while longer than that.";
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

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--open") == 0) return Open(argv[2]);
  const int result = RunBenchmarksWithCoreServices(argc, argv, &StartFormatServices, &StopFormatServices);
  std::error_code ignored;
  fs::remove_all(Folder(), ignored);
  return result;
}
