// The editing area's text view drawing one page of a 1,000-page document:
// the view scrolled to page 1 and to page 500, the visible part drawn as an
// update draws it. The costs should be the same: the drawing steps over the
// pages above the view at once.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <string>

#include "area/view/xMorvaFrame.h"
#include "area/xMorvaMain.h"
#include "area/xMorvaPlugIn.h"
#include "bench/AreaBenchSupport.h"
#include "bench/BenchMain.h"
#include "bench/ReferenceDocument.h"
#include "boundary/ModuleExports.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaUndo.h"
#include "engine/xMorvaDocumentEngineServices.h"
#include "engine/xMorvaDocumentLayout.h"
#include "engine/xMorvaEngine.h"
#include "engine/xMorvaPages.h"
#include "framework/system/resources/VMacResourceFile.h"
#include "graphics/VCharWidthCache.h"
#include "graphics/VDIBPort.h"
#include "graphics/VGraphicsStart.h"
#include "host/context/VHostContext.h"
#include "platform/toolbox/TbxResources.h"

namespace {


void Start() {
  InitGraphics();
  OpenAreaServices();
}

struct PagedArea;
void DeletePaged();

void Stop() {
  // The area goes before the services and the heap it stands on.
  DeletePaged();
  CloseAreaServices();
  ExitGraphics();
}

// An offscreen area whose document holds the reference text of 1,000 pages
// in page view, and its text view.
struct PagedArea {
  PagedArea() : package(new xMorvaMain(nullptr)) {
    package->Init();
    gCurrentPackage = package.get();
    area = new xMorvaPlugIn(package.get());
    xMorvaDocument& document = *area->GetDocument();
    document.Params().SetViewMode(0);
    const ReferenceDocument reference = MakeReferenceDocument(1000);
    document.GetUndo()->Suspend();
    auto* body = static_cast<xMorvaEngine*>(document.GetPart(kPartBody));
    body->InsertBytes(0u, reference.stream.data(), uint32_t(reference.stream.size()));
    body->SetLength(reference.positions);
    document.GetUndo()->Resume();
    body->SetSelection(0, 0);
    if (auto* layout = dynamic_cast<xMorvaDocumentLayout*>(document.GetLayout())) {
      layout->ComposeAll();
      pages = layout->GetPages().GetPageCount();
    }
    document.UpdateFrameContentSize();
    frame = area->GetFrames().empty() ? nullptr : area->GetFrames().front();
    if (frame != nullptr) frame->ResizeTo(document.GetParams().GetPageWidth() + 40, 600, 0);
  }
  ~PagedArea() {
    gCurrentPackage = nullptr;
    package.reset();
  }
  std::unique_ptr<xMorvaMain> package;
  xMorvaPlugIn* area = nullptr;
  xMorvaFrame* frame = nullptr;
  int32_t pages = 0;
};

PagedArea* sPaged = nullptr;

PagedArea& Paged() {
  if (sPaged == nullptr) sPaged = new PagedArea();
  return *sPaged;
}

void DeletePaged() {
  delete sPaged;
  sPaged = nullptr;
}

// The view scrolled to the top of page N (1-based) and drawn.
void BM_TextViewDrawsPage(benchmark::State& state) {
  PagedArea& paged = Paged();
  const int32_t page = int32_t(state.range(0));
  if (paged.frame == nullptr || paged.pages < page) {
    state.SkipWithError("the reference document has too few pages");
    return;
  }
  xMorvaFrame& frame = *paged.frame;
  const xMorvaDocParams& params = paged.area->GetDocument()->GetParams();
  // Pages stand one under the other, 4 pixels apart.
  const int32_t top = (page - 1) * (params.GetPageHeight() + 4);
  frame.ScrollTo(0, top, false, 0);
  VDIBPort canvas(frame.GetWidth(), frame.GetHeight(), 32);
  for (auto _ : state) {
    canvas.PushOrigin(0, -frame.GetScrollY());
    frame.DrawContent(canvas);
    canvas.PopOrigin();
  }
  const auto* bits = static_cast<const uint32_t*>(canvas.GetBits());
  int64_t ink = 0;
  for (int32_t i = 0; i < frame.GetWidth() * frame.GetHeight(); ++i) ink += (bits[i] & 0xFFFFFF) == 0;
  if (ink == 0) state.SkipWithError("nothing was drawn");
  state.counters["pages"] = paged.pages;
  state.counters["scroll_y"] = frame.GetScrollY();
}
BENCHMARK(BM_TextViewDrawsPage)->ArgName("page")->Arg(1)->Arg(500)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return RunBenchmarksWithCoreServices(argc, argv, &Start, &Stop); }
