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
// `html_bench --reference PAGES OUT` writes the reference document as HTML;
// `html_bench --write-once PAGES OUT` writes it once, for valgrind to count.
#include <benchmark/benchmark.h>

#include "bench/ReferenceDocument.h"
#include "bench/StreamFormatBench.h"
#include "document/xMorvaDocument.h"
#include "engine/xMorvaEngine.h"
#include "interchange/html/xMorvaExportHTML.h"
#include "interchange/html/xMorvaImportHTML.h"

namespace {

const StreamFormat kHtml{
    "qv-html-bench", ".html", "html",
    [](xMorvaDocument& document, const std::string& bytes) {
      xMorvaImportHTML reader;
      reader.ImportHTMLBytes(document, reinterpret_cast<const uint8_t*>(bytes.data()), uint32_t(bytes.size()),
                             "");
      // The page read when its body holds more than the closing paragraph end.
      auto* body = static_cast<xMorvaEngine*>(document.GetPart(kPartBody));
      return body != nullptr && body->GetLength() >= 2;
    },
    [](xMorvaDocument& document, VStream& stream) {
      xMorvaImportHTML reader;
      return reader.ImportHTMLDocument(document, stream, "") == 0;
    },
    [](xMorvaDocument& document, VStream& stream, const char* path) {
      xMorvaExportHTML writer;
      return writer.ExportHTMLDocument(document, stream, path);
    }};

void ImportHtml(benchmark::State& state) {
  TimeImport(state, kHtml, StreamFormatPagesForMegabytes(kHtml, state.range(0)));
}

void ExportHtml(benchmark::State& state) {
  TimeExport(state, kHtml, StreamFormatPagesForMegabytes(kHtml, state.range(0)));
}

// The reference document of 50, 500 and 2,000 pages saved as HTML, as a
// save writes it: what a save costs a page, beside rtf_bench's SaveRtf.
void SaveHtml(benchmark::State& state) { TimeExport(state, kHtml, int32_t(state.range(0))); }

void WholeProcess(benchmark::State& state) {
  TimeConversion(state, kHtml, Converter(state.range(0)), StreamFormatPagesForMegabytes(kHtml, state.range(1)));
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
// MadeReferenceFile).
// The peers take seconds to tens of seconds a file: one run each.
BENCHMARK(WholeProcess)
    ->ArgNames({"converter", "MB"})
    ->Apply(Converters)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(ImportHtml)->ArgName("MB")->Apply(Sizes)->Unit(benchmark::kMillisecond);
BENCHMARK(ExportHtml)->ArgName("MB")->Apply(Sizes)->Unit(benchmark::kMillisecond);
BENCHMARK(SaveHtml)
    ->ArgName("pages")
    ->Apply([](benchmark::internal::Benchmark* b) {
      for (int64_t pages : kReferencePages) b->Arg(pages);
    })
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return StreamFormatBenchMain(argc, argv, kHtml); }
