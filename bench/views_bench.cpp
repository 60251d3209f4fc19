// Frames in a headless window: a view of 500 shown sibling frames, each
// drawn at once (its visible region less the siblings above it), 1,000
// pointer moves over them and the whole view drawn.
#include <benchmark/benchmark.h>

#include "bench/BenchMain.h"
#include "framework/views/VEvent.h"
#include "framework/views/VFrameServices.h"
#include "framework/views/VWindowView.h"
#include "graphics/VGraphicsStart.h"
#include "graphics/VPort.h"
#include "platform/win32/WinWindows.h"

namespace {

constexpr int kFrames = 500;

// A window 500 x 400 whose view holds 500 frames of 40 x 30 in rows of 25,
// each overlapping the next by half.
struct Scene {
  Scene() {
    VFrameAreaService::Install(&kFrameAreaProc);
    VFrameWindowService::Install(&kFrameWindowProc);
    window = CreateHeadlessWindow(500, 400);
    root = new VWindowView(window);
    for (int i = 0; i < kFrames; ++i) {
      const int32_t rect[4] = {(i % 25) * 20, (i / 25) * 20, 40, 30};
      new VFrame(root, rect);
    }
  }
  ~Scene() {
    delete root;
    DestroyWindow(window);
    VFrameWindowService::Remove(&kFrameWindowProc);
    VFrameAreaService::Remove(&kFrameAreaProc);
  }
  HWND window;
  VWindowView* root;
};

void InvalidateEachAtOnce(benchmark::State& state) {
  Scene scene;
  for (auto _ : state) {
    for (VFrame* f : scene.root->GetSubFrames()) f->Invalidate(2);
  }
  state.SetItemsProcessed(state.iterations() * kFrames);
}

void PointerMoves(benchmark::State& state) {
  Scene scene;
  for (auto _ : state) {
    for (int i = 0; i < 1000; ++i) {
      VEvent move((i * 7) % 500, (i * 3) % 400, 0, true, false, false, false, false, 0, 0);
      scene.root->PointerMoved(move);
    }
  }
  state.SetItemsProcessed(state.iterations() * 1000);
}

void DrawWholeView(benchmark::State& state) {
  Scene scene;
  for (auto _ : state) {
    VPort* port = scene.root->GetPort();
    if (port != nullptr) scene.root->Draw(*port);
    scene.root->FlushWindow();
  }
}

}  // namespace

BENCHMARK(InvalidateEachAtOnce)->Unit(benchmark::kMillisecond);
BENCHMARK(PointerMoves);
BENCHMARK(DrawWholeView)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  return RunBenchmarksWithCoreServices(argc, argv, &InitGraphics, &ExitGraphics);
}
