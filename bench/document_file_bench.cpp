// Saving and loading a whole document in the own format: bodies of about 1,
// 10 and 50 MB of element stream (the reference document at that length,
// with its header), with and without the preview of the first page, beside
// a memcpy of the same bytes. Each run reports its speed and its peak
// resident memory above what the process held before it, per byte of file:
// saving and loading are expected to stay linear and within about three
// times the file. And the save command's road into the document's own file,
// in a folder that holds nothing else and in one that holds 10,000 other
// files: the full folder is expected to cost the save's processor time no
// more than a tenth over the empty one.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "area/files/xMorvaDocumentFile.h"
#include "area/files/xMorvaOpenSave.h"
#include "area/view/xMorvaPicturesInPage.h"
#include "bench/BenchMain.h"
#include "bench/ProcessBench.h"
#include "bench/ReferenceDocument.h"
#include "document/xMorvaDocument.h"
#include "engine/xMorvaDocumentEngineServices.h"
#include "engine/xMorvaEngine.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/VHandleStream.h"
#include "framework/core/streams/VMemoryStream.h"
#include "framework/core/values/VPictureMaker.h"
#include "framework/system/files/VFile.h"
#include "graphics/VGraphicsStart.h"
#include "graphics/pictures/VPictureData.h"

namespace {

// About 6 KB of element stream per reference page.
constexpr int32_t kBytesPerPage = 6000;

xMorvaDocumentEngineServices gEngine;
xMorvaPicturesInPageMaker gPictures;

void Start() {
  InitGraphics();
  VService<xMorvaEngineServices>::Install(&gEngine);
  VService<xMorvaPagePicturesMaker>::Install(&gPictures);
  VService<const VPictureMaker>::Install(&kPictureValueMaker);
}

void Stop() {
  VService<const VPictureMaker>::Install(nullptr);
  VService<xMorvaPagePicturesMaker>::Install(nullptr);
  VService<xMorvaEngineServices>::Install(nullptr);
  ExitGraphics();
}

// Resident memory in bytes: now, and the peak since the last reset.
int64_t StatusKilobytes(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field, 0) == 0) return std::stoll(line.substr(std::strlen(field))) * 1024;
  }
  return 0;
}
std::unique_ptr<xMorvaDocument> NewDocumentOfPages(int32_t pages) {
  auto document = std::make_unique<xMorvaDocument>(nullptr);
  document->Reset(false);
  const ReferenceDocument reference = MakeReferenceDocument(pages);
  auto* body = static_cast<xMorvaEngine*>(document->GetPart(kPartBody));
  body->InsertBytes(0u, reference.stream.data(), uint32_t(reference.stream.size()));
  body->SetLength(int32_t(body->RecountPositions()));
  auto* footer = static_cast<xMorvaEngine*>(document->GetPart(kPartFooter));
  footer->InsertBytes(0u, reference.footer.data(), uint32_t(reference.footer.size()));
  footer->SetLength(int32_t(footer->RecountPositions()));
  return document;
}

std::unique_ptr<xMorvaDocument> NewDocument(int32_t megabytes) {
  return NewDocumentOfPages(megabytes * 1000000 / kBytesPerPage);
}

std::vector<uint8_t> Saved(xMorvaDocument& document, bool preview) {
  VMemHandle handle = 0;
  std::vector<uint8_t> bytes;
  VHandleStream stream(handle);
  stream.OpenWrite();
  WriteDocument(document, stream, preview, false);
  stream.CloseWrite(1);
  const auto* data = static_cast<const uint8_t*>(gMemoryMgr->LockHandle(handle));
  bytes.assign(data, data + gMemoryMgr->GetHandleSize(handle));
  gMemoryMgr->UnlockHandle(handle);
  gMemoryMgr->DisposeHandle(handle);
  return bytes;
}

void Report(benchmark::State& state, size_t fileBytes, int64_t before) {
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(fileBytes));
  state.counters["file_MB"] = double(fileBytes) / 1e6;
  state.counters["peak_RSS_per_file_byte"] = double(StatusKilobytes("VmHWM:") - before) / double(fileBytes);
}

void SaveDocument(benchmark::State& state) {
  auto document = NewDocument(int32_t(state.range(0)));
  const bool preview = state.range(1) != 0;
  size_t size = Saved(*document, preview).size();
  ResetPeak();
  const int64_t before = StatusKilobytes("VmRSS:");
  for (auto _ : state) {
    VMemHandle handle = 0;
    VHandleStream stream(handle);
    stream.OpenWrite();
    benchmark::DoNotOptimize(WriteDocument(*document, stream, preview, false));
    stream.CloseWrite(1);
    size = gMemoryMgr->GetHandleSize(handle);
    gMemoryMgr->DisposeHandle(handle);
  }
  Report(state, size, before);
}

void LoadDocument(benchmark::State& state) {
  std::vector<uint8_t> file;
  {
    auto document = NewDocument(int32_t(state.range(0)));
    file = Saved(*document, state.range(1) != 0);
  }
  auto document = std::make_unique<xMorvaDocument>(nullptr);
  ResetPeak();
  const int64_t before = StatusKilobytes("VmRSS:");
  for (auto _ : state) {
    VMemoryStream stream(file.data(), uint32_t(file.size()));
    stream.OpenRead();
    const int32_t code = ReadDocument(*document, stream, false);
    stream.CloseRead();
    if (code != 0) state.SkipWithError("the document did not read whole");
  }
  Report(state, file.size(), before);
}

// The save command (103) of a document of a few pages kept in its own file,
// in a folder with `others` other files.
void SaveInFolder(benchmark::State& state) {
  // In the temporary folder (TMPDIR): on a memory volume, the disk's
  // flushes cost nothing and the processor time is the save's own.
  std::string pattern = (std::filesystem::temp_directory_path() / "qvsavebenchXXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) {
    state.SkipWithError("no folder");
    return;
  }
  const std::string folder = pattern;
  for (int64_t i = 0; i < state.range(0); ++i) std::ofstream(folder + "/other" + std::to_string(i));
  {
    auto document = NewDocumentOfPages(int32_t(state.range(1)));
    xMorvaKeptFile kept;
    const std::string path = folder + "/doc.qmv";
    if (ExportDocumentFile(*document, kept, std::make_unique<VFile>(path.c_str()), kTypeOwnDocument) != 0)
      state.SkipWithError("the document could not be written");
    for (auto _ : state) {
      if (SaveKeptFile(*document, kept) != 0) {
        state.SkipWithError("the save failed");
        break;
      }
    }
  }
  std::filesystem::remove_all(folder);
}

// The same bytes copied once: the ceiling of any save or load.
void CopyBytes(benchmark::State& state) {
  const size_t size = size_t(state.range(0)) * 1000000;
  std::vector<uint8_t> from(size, 0x5A);
  std::vector<uint8_t> to(size);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), size);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(size));
}

void Sizes(benchmark::internal::Benchmark* b) {
  for (int64_t megabytes : {1, 10, 50}) {
    for (int64_t preview : {0, 1}) b->Args({megabytes, preview});
  }
}

BENCHMARK(SaveDocument)->ArgNames({"MB", "preview"})->Apply(Sizes)->Unit(benchmark::kMillisecond);
BENCHMARK(LoadDocument)->ArgNames({"MB", "preview"})->Apply(Sizes)->Unit(benchmark::kMillisecond);
BENCHMARK(SaveInFolder)
    ->ArgNames({"others", "pages"})
    ->ArgsProduct({{0, 10000}, {1, 20}})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(CopyBytes)->ArgName("MB")->Arg(1)->Arg(10)->Arg(50)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return RunBenchmarksWithCoreServices(argc, argv, &Start, &Stop); }
