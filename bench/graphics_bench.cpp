// Port measuring and drawing: character widths from the shared font cache
// next to asking GDI each time, a run measured whole, a rectangle filled on
// an unscaled and on a zoomed port, and rectangles made on the stack.
#include <benchmark/benchmark.h>

#include <cstring>

#include "bench/BenchMain.h"
#include "framework/core/memory/VHeap.h"
#include "framework/core/memory/VWinMemoryMgr.h"
#include "graphics/VDIBPort.h"
#include "graphics/VGraphicsStart.h"
#include "graphics/VScaledPort.h"
#include "graphics/VShape.h"
#include "platform/gdi/WinGdi.h"

namespace {

const char16_t kText[] = u"The quick brown fox jumps over the lazy dog, again and again!!";
constexpr int32_t kLength = 62;

void UseArial(VPort& port) {
  VStr<80> name;
  name.SetChars("Arial", 0, 5, kCharSetAnsi);
  port.SetFontName(name);
  port.SetFontSize(10, false);
}

void CachedCharWidths(benchmark::State& state) {
  VDIBPort port(64, 64, 32);
  UseArial(port);
  for (auto _ : state) {
    float sum = 0.0f;
    for (int32_t i = 0; i < kLength; ++i) sum += port.CharWidth(kText[i]);
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * kLength);
}

void GdiCharWidths(benchmark::State& state) {
  VDIBPort port(64, 64, 32);
  UseArial(port);
  port.PrepareFont(VPort::kFontDirtyGdiFont);
  for (auto _ : state) {
    LONG sum = 0;
    for (int32_t i = 0; i < kLength; ++i) {
      SIZE extent;
      GetTextExtentPoint32W(port.GetCurrentDC(), kText + i, 1, &extent);
      sum += extent.cx;
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * kLength);
}

void MeasureRun(benchmark::State& state) {
  VDIBPort port(64, 64, 32);
  UseArial(port);
  for (auto _ : state) benchmark::DoNotOptimize(port.MeasureText(kText, kLength, kTextUnicode));
}

void PaintRect(benchmark::State& state) {
  VDIBPort dib(256, 256, 32);
  VScaledPort port(dib.GetCurrentDC(), state.range(0) ? 1.5 : 1.0, state.range(0) ? 1.5 : 1.0);
  int32_t i = 0;
  for (auto _ : state) {
    port.SetFillColor(RGB(uint8_t(i), 0, 0));
    port.PaintRect(i & 63, 7, 100, 100);
    ++i;
  }
}

void MakeRects(benchmark::State& state) {
  for (auto _ : state) {
    VRect a(1, 2, 3, 4);
    VRect b(5, 6, 7, 8);
    a.Intersect(b);
    benchmark::DoNotOptimize(a);
  }
}

}  // namespace

BENCHMARK(CachedCharWidths);
BENCHMARK(GdiCharWidths);
BENCHMARK(MeasureRun);
BENCHMARK(PaintRect)->ArgName("zoomed")->Arg(0)->Arg(1);
BENCHMARK(MakeRects);

int main(int argc, char** argv) { return RunBenchmarksWithCoreServices(argc, argv, &InitGraphics, &ExitGraphics); }
