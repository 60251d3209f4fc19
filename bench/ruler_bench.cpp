// The horizontal ruler while a marker is dragged: each step of the drag
// draws the whole ruler again into its port (scale, bands, the markers of
// the paragraph), for paragraphs of 0, 16 and 256 tab stops.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <string>

#include "area/view/xMorvaFrame.h"
#include "area/view/xMorvaRuler.h"
#include "area/xMorvaMain.h"
#include "area/xMorvaPlugIn.h"
#include "bench/AreaBenchSupport.h"
#include "bench/BenchMain.h"
#include "boundary/ModuleExports.h"
#include "document/xMorvaDocParams.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaTabs.h"
#include "document/xMorvaText.h"
#include "engine/xMorvaDocumentEngineServices.h"
#include "framework/system/resources/VMacResourceFile.h"
#include "graphics/VCharWidthCache.h"
#include "graphics/VDIBPort.h"
#include "host/context/VHostContext.h"
#include "platform/toolbox/TbxResources.h"
#include "views/VPaneView.h"

namespace {


void Start() {
  OpenAreaServices();
}

void Stop() {
  CloseAreaServices();
}

// One step of a tab stop's drag: the dragged value moves a pixel and the
// ruler is drawn again, as the dragger has it drawn after every step.
void BM_RulerDragStep(benchmark::State& state) {
  auto package = std::make_unique<xMorvaMain>(nullptr);
  package->Init();
  gCurrentPackage = package.get();
  auto* area = new xMorvaPlugIn(package.get());
  area->ReloadCommands();
  xMorvaDocument* document = area->GetDocument();
  document->Params().SetViewMode(0);
  document->Params().SetViewFlag(2, 1);
  document->ShowRulers(true, true);
  area->GetPaneView()->ResizeTo(1000, 600, 0);
  area->GetPaneView()->Layout(1);
  xMorvaHRuler* ruler = area->GetFrames().front()->GetHRuler();
  xMorvaTabs tabs;
  for (int64_t i = 0; i < state.range(0); ++i)
    tabs.AddStop(MakeTabStop(int16_t(2 + i * 2), 0, kTabLeft));
  document->BeginChange();
  document->GetCurrentPart()->SetTabsWithUndo(tabs);
  document->EndChange();
  VDIBPort canvas(ruler->GetWidth(), ruler->GetHeight(), 32);
  ruler->SetDragKind(xMorvaRuler::kDragTab);
  int32_t value = 0;
  for (auto _ : state) {
    ruler->SetDragValue(value);
    value = (value + 1) % 500;
    ruler->DrawContent(canvas);
    benchmark::ClobberMemory();
  }
  ruler->SetDragKind(0);
  state.counters["stops"] = double(document->GetCurrentPart()->GetCurrentTabs().Count());
  state.SetItemsProcessed(state.iterations());
  // The package lets its areas go with it.
  gCurrentPackage = nullptr;
  package.reset();
}
BENCHMARK(BM_RulerDragStep)->Arg(0)->Arg(16)->Arg(256)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) { return RunBenchmarksWithCoreServices(argc, argv, &Start, &Stop); }
