// An area of a host form as the host drives it: an idle event with nothing
// pending (hosts send them all the time), and a key routed from the host's
// record through the command manager to a frame three levels down.
#include <benchmark/benchmark.h>

#include "bench/BenchMain.h"
#include "boundary/HostRecords.h"
#include "boundary/HostSelectors.h"
#include "views/VFrameServices.h"
#include "views/VPlugIn.h"
#include "graphics/VGraphicsStart.h"
#include "host/package/VPackage.h"
#include "platform/toolbox/TbxWindows.h"

namespace {

class BenchPackage : public VPackage {
 public:
  BenchPackage() : VPackage(nullptr) {}
  void ExecuteCommand(int32_t, void*, void*) override {}
};

// The frame at the end of the chain: it takes every key.
class KeyTaker : public VFrame {
 public:
  explicit KeyTaker(VFrame* parent) : VFrame(parent, nullptr) {}
  int32_t HandleKey(VEvent&) override {
    ++keys;
    return 0;
  }
  int64_t keys = 0;
};

// A host window 400 x 300 with one area filling it: area, view, view,
// frame.
struct Scene {
  Scene() {
    VFrameAreaService::Install(&kFrameAreaProc);
    VFrameWindowService::Install(&kFrameWindowProc);
    Tbx::Rect bounds{40, 40, 340, 440};
    const uint8_t title[] = {4, 'F', 'o', 'r', 'm'};
    window = Tbx::NewCWindow(nullptr, &bounds, title, true, Tbx::documentProc, Tbx::kInFront, true, 0);
    Tbx::SetPort(&window->port);
    record.what = kAreaEventCreate;
    area = new VPlugIn(&package, 1, params);
    auto* outer = new VView(area);
    auto* inner = new VView(outer);
    taker = new KeyTaker(inner);
    taker->SetEnabled(true);
    taker->RequestFocus();
    Send(kAreaEventActivate, 0);
  }
  ~Scene() {
    delete area;
    Tbx::SetPort(nullptr);
    Tbx::DisposeWindow(window);
    VFrameWindowService::Remove(&kFrameWindowProc);
    VFrameAreaService::Remove(&kFrameAreaProc);
  }
  void Send(uint16_t what, uintptr_t message) {
    record = HostEventRecord{};
    record.what = what;
    record.message = message;
    area->HandleEvent(params);
  }

  BenchPackage package;
  Tbx::WindowRef window = nullptr;
  HostEventRecord record{};
  int16_t rect[4] = {0, 0, 300, 400};
  uint8_t name[1] = {0};
  void* cell = nullptr;
  void* params[kAreaEventParamCount] = {&record, rect, name, &cell};
  VPlugIn* area = nullptr;
  KeyTaker* taker = nullptr;
};

void IdleWithNothingPending(benchmark::State& state) {
  Scene scene;
  scene.Send(0, 0);  // the deadline of the activation passes
  for (auto _ : state) scene.Send(0, 0);
  state.SetItemsProcessed(state.iterations());
}

void KeyThroughThreeLevels(benchmark::State& state) {
  Scene scene;
  for (auto _ : state) {
    scene.Send(3, (0x00 << 8) | 'a');
    benchmark::DoNotOptimize(scene.record.message);
  }
  if (scene.taker->keys == 0) state.SkipWithError("the key did not reach the frame");
  state.SetItemsProcessed(state.iterations());
}

}  // namespace

BENCHMARK(IdleWithNothingPending);
BENCHMARK(KeyThroughThreeLevels);

int main(int argc, char** argv) {
  return RunBenchmarksWithCoreServices(argc, argv, &InitGraphics, &ExitGraphics);
}
