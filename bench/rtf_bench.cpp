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
// Beside them, the undo of the reference document pasted as RTF.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "bench/ReferenceDocument.h"
#include "bench/FormatBench.h"
#include "bench/StreamFormatBench.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaUndo.h"
#include "engine/xMorvaEngine.h"
#include "framework/core/memory/VHeap.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/memory/VWinMemoryMgr.h"
#include "interchange/rtf/xMorvaExportRTF.h"
#include "interchange/rtf/xMorvaImportRTF.h"

namespace {

const StreamFormat kRtf{
    "qv-rtf-bench", ".rtf", "rtf",
    [](xMorvaDocument& document, const std::string& bytes) {
      xMorvaImportRTF reader;
      return reader.ImportRtfBytes(document, reinterpret_cast<const uint8_t*>(bytes.data()),
                                   uint32_t(bytes.size()), false) == 0;
    },
    [](xMorvaDocument& document, VStream& stream) {
      xMorvaImportRTF reader;
      return reader.ImportRtf(document, stream, false) == 0;
    },
    [](xMorvaDocument& document, VStream& stream, const char*) {
      xMorvaExportRTF writer;
      return writer.ExportRtf(document, stream, false);
    }};

void ImportRtf(benchmark::State& state) {
  TimeImport(state, kRtf, StreamFormatPagesForMegabytes(kRtf, state.range(0)));
}

void ExportRtf(benchmark::State& state) {
  TimeExport(state, kRtf, StreamFormatPagesForMegabytes(kRtf, state.range(0)));
}

// The reference document of 50, 500 and 2,000 pages saved as RTF, as a
// save writes it: what a save costs a page.
void SaveRtf(benchmark::State& state) { TimeExport(state, kRtf, int32_t(state.range(0))); }

// The reference document of 50, 500 and 2,000 pages as RTF pasted into a
// short document with undo recording, then (timed) the paste's undo.
std::unique_ptr<xMorvaDocument> PastedDocument(const std::string& rtf) {
  auto document = std::make_unique<xMorvaDocument>(nullptr);
  document->GetUndo()->Resume();
  auto* body = static_cast<xMorvaEngine*>(document->GetPart(kPartBody));
  body->TypeCharacter(u'a');
  body->TypeCharacter(u'b');
  body->SetSelection(1, 1);
  xMorvaImportRTF reader;
  if (reader.ImportRtfBytes(*document, reinterpret_cast<const uint8_t*>(rtf.data()), uint32_t(rtf.size()), true) != 0)
    return nullptr;
  return document;
}

void UndoRtfPaste(benchmark::State& state) {
  const std::string rtf = ReadFile(StreamFormatReferenceFile(kRtf, int32_t(state.range(0))));
  for (auto _ : state) {
    state.PauseTiming();
    auto document = PastedDocument(rtf);
    state.ResumeTiming();
    if (document == nullptr) {
      state.SkipWithError("the paste did not read");
      break;
    }
    document->Undo();
    state.PauseTiming();
    document.reset();
    state.ResumeTiming();
  }
  state.counters["pages"] = double(state.range(0));
}

// `--undo-paste-once PAGES [FILE]`: the paste of the reference document of
// pages as RTF (or of FILE's RTF, another writer's, PAGES then unused),
// then its undo alone in `MeasuredUndo`, for valgrind to count
// (--tool=callgrind --toggle-collect='*MeasuredUndo*').
__attribute__((noinline)) void MeasuredUndo(xMorvaDocument& document) { document.Undo(); }

int UndoPasteOnce(int32_t pages, const char* file) {
  gHeap = new VHeap();
  gMemoryMgr = new VWinMemoryMgr();
  StartFormatServices();
  bool undone = false;
  {
    std::string rtf;
    if (file != nullptr) {
      rtf = ReadFile(file);
    } else {
      auto reference = std::make_unique<xMorvaDocument>(nullptr);
      FillWithReferenceDocument(*reference, pages);
      rtf = WrittenBytes([&](VStream& stream) { kRtf.write(*reference, stream, ""); });
    }
    auto document = PastedDocument(rtf);
    if (document != nullptr) {
      MeasuredUndo(*document);
      undone = true;
    }
  }
  StopFormatServices();
  return undone ? 0 : 1;
}

void WholeProcess(benchmark::State& state) {
  TimeConversion(state, kRtf, Converter(state.range(0)), int32_t(state.range(1)));
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
// MadeReferenceFile).
// The peers take seconds to tens of seconds a file: one run each.
BENCHMARK(WholeProcess)
    ->ArgNames({"converter", "pages"})
    ->Apply(Converters)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(ImportRtf)->ArgName("MB")->Apply(Sizes)->Unit(benchmark::kMillisecond);
BENCHMARK(ExportRtf)->ArgName("MB")->Apply(Sizes)->Unit(benchmark::kMillisecond);
BENCHMARK(UndoRtfPaste)
    ->ArgName("pages")
    ->Apply([](benchmark::internal::Benchmark* b) {
      for (int64_t pages : kReferencePages) b->Arg(pages);
    })
    ->Unit(benchmark::kMillisecond);
BENCHMARK(SaveRtf)
    ->ArgName("pages")
    ->Apply([](benchmark::internal::Benchmark* b) {
      for (int64_t pages : kReferencePages) b->Arg(pages);
    })
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if ((argc == 3 || argc == 4) && std::strcmp(argv[1], "--undo-paste-once") == 0)
    return UndoPasteOnce(std::atoi(argv[2]), argc == 4 ? argv[3] : nullptr);
  return StreamFormatBenchMain(argc, argv, kRtf);
}
