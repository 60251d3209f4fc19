// The array dialog's live preview after one change: the table text built
// again in the preview engine, recomposed and drawn as a picture, for 8
// numbered columns of 200 lines and for 5 columns of 50 lines, one of them
// a host field column (the host answers its records from memory). Typing
// in an entry rebuilds it every time, so it should stay under 50 ms.
#include <benchmark/benchmark.h>

#include <memory>

#include "area/xMorvaMain.h"
#include "area/xMorvaPlugIn.h"
#include "bench/AreaBenchSupport.h"
#include "bench/BenchMain.h"
#include "dialogs/xMorvaDialogNewArray.h"
#include "document/xMorvaDocument.h"
#include "graphics/pictures/VEmfPictureData.h"

namespace {

void Start() { OpenAreaServices(); }
void Stop() { CloseAreaServices(); }

void BM_ArrayPreviewAfterOneChange(benchmark::State& state) {
  auto package = std::make_unique<xMorvaMain>(nullptr);
  package->Init();
  gCurrentPackage = package.get();
  auto* area = new xMorvaPlugIn(package.get());
  xMorvaDocument* document = area->GetDocument();
  {
    xMorvaDialogNewArray dialog(area, document);
    if (!dialog.MakePreview()) {
      state.SkipWithError("no preview engine");
    } else {
      xMorvaArrayTable& table = dialog.GetTable();
      table.AddTemplate(xMorvaArrayTemplate());
      table.MakeLineRecords();
      table.SetColumns(int32_t(state.range(0)));
      table.SetLines(int32_t(state.range(1)));
      for (int32_t c = 1; c <= table.GetColumns(); ++c) table.ColumnAt(c).kind = xMorvaArrayTable::kNumbered;
      if (state.range(2) != 0) {
        table.ColumnAt(1).kind = xMorvaArrayTable::kFieldValues;
        table.ColumnAt(1).fieldTable = 1;
        table.ColumnAt(1).fieldNumber = 1;
      }
      int32_t start = 1;
      for (auto _ : state) {
        // One change: the second column's start value.
        table.ColumnAt(2).start = start = start % 9 + 1;
        std::unique_ptr<VEmfPictureData> picture = dialog.DrawPreview();
        benchmark::DoNotOptimize(picture.get());
      }
      state.counters["lines"] = double(table.GetLines());
    }
  }
  gCurrentPackage = nullptr;
  package.reset();
}
BENCHMARK(BM_ArrayPreviewAfterOneChange)->Args({8, 200, 0})->Args({5, 50, 1})->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return RunBenchmarksWithCoreServices(argc, argv, &Start, &Stop); }
