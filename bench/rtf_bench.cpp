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

#include "bench/ReferenceDocument.h"
#include "bench/StreamFormatBench.h"
#include "document/xMorvaDocument.h"
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
BENCHMARK(SaveRtf)
    ->ArgName("pages")
    ->Apply([](benchmark::internal::Benchmark* b) {
      for (int64_t pages : kReferencePages) b->Arg(pages);
    })
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return StreamFormatBenchMain(argc, argv, kRtf); }
