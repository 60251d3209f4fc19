// Regions made from polygons a metafile may give: five points near 900,000
// made into a region, turned inside out and selected as a clip, next to the
// same shape drawn small. Each reports the time per thousand rows of the
// region it makes; a region operation on such input is expected to take no
// more than a few milliseconds per thousand rows.
#include <benchmark/benchmark.h>

#include "platform/gdi/WinGdi.h"

namespace {

// The five points, divided by `shrink`.
HRGN Five(int shrink) {
  POINT five[] = {{900000, 900100}, {-899000, 900000}, {-900000, -899500},
                  {899900, -900000}, {0, 12}};
  for (POINT& p : five) {
    p.x /= shrink;
    p.y /= shrink;
  }
  return CreatePolygonRgn(five, 5, WINDING);
}

int64_t RowsOf(HRGN region) {
  RECT box{};
  GetRgnBox(region, &box);
  return int64_t{box.bottom} - box.top;
}

void PerThousandRows(benchmark::State& state, int64_t rows) {
  state.counters["per1000rows"] = benchmark::Counter(
      static_cast<double>(rows) / 1000.0,
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void MakePolygonRegion(benchmark::State& state) {
  const int shrink = static_cast<int>(state.range(0));
  int64_t rows = 0;
  for (auto _ : state) {
    HRGN region = Five(shrink);
    rows = RowsOf(region);
    DeleteObject(region);
  }
  PerThousandRows(state, rows);
}

void InvertPolygonRegion(benchmark::State& state) {
  HRGN region = Five(static_cast<int>(state.range(0)));
  HRGN inverse = CreateRectRgn(0, 0, 0, 0);
  RECT box{};
  GetRgnBox(region, &box);
  HRGN frame = CreateRectRgn(box.left - 1, box.top - 1, box.right + 1, box.bottom + 1);
  for (auto _ : state) benchmark::DoNotOptimize(CombineRgn(inverse, frame, region, RGN_DIFF));
  PerThousandRows(state, RowsOf(region));
  DeleteObject(frame);
  DeleteObject(inverse);
  DeleteObject(region);
}

void SelectPolygonRegionAsClip(benchmark::State& state) {
  HRGN region = Five(static_cast<int>(state.range(0)));
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateBitmap(256, 256, 1, 32, nullptr);
  HGDIOBJ old = SelectObject(dc, bitmap);
  for (auto _ : state) benchmark::DoNotOptimize(SelectClipRgn(dc, region));
  PerThousandRows(state, RowsOf(region));
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  DeleteObject(region);
}

}  // namespace

// 1: the points as a file gives them; 30: the same shape some 60,000 rows tall.
BENCHMARK(MakePolygonRegion)->Arg(1)->Arg(30)->Unit(benchmark::kMillisecond);
BENCHMARK(InvertPolygonRegion)->Arg(1)->Arg(30)->Unit(benchmark::kMillisecond);
BENCHMARK(SelectPolygonRegionAsClip)->Arg(1)->Arg(30)->Unit(benchmark::kMillisecond);
