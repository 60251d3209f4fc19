// Frames in a headless window: a view of 500 shown sibling frames, each
// drawn at once (its visible region less the siblings above it), 1,000
// pointer moves over them and the whole view drawn. Splitter drags over a
// screen of ten overlapping windows, one poll at a time.
#include <benchmark/benchmark.h>

#include <vector>

#include "bench/BenchMain.h"
#include "framework/core/containers/VNumericArrays.h"
#include "framework/core/containers/VStringArray.h"
#include "framework/core/strings/VUniString.h"
#include "framework/system/environment/VEnvironmentLinks.h"
#include "views/VEvent.h"
#include "views/VFrameServices.h"
#include "views/VListView.h"
#include "views/VPaneView.h"
#include "views/VScrollContainer.h"
#include "views/VScrolledView.h"
#include "views/VSplitter.h"
#include "views/VWindowView.h"
#include "graphics/VGraphicsEnvironmentLink.h"
#include "graphics/VGraphicsStart.h"
#include "graphics/VPort.h"
#include "platform/toolbox/TbxEnvironment.h"
#include "platform/win32/WinInput.h"
#include "platform/win32/WinWindowState.h"
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

// Ten framework windows of 300 x 300, each 20 pixels right of and below the
// one before; the last holds a split pane with a document.
struct Desk {
  Desk() {
    ResetHeadlessInput();
    ResetHeadlessWindowState();
    Tbx::ClearMainWindowRecord();
    VFrameAreaService::Install(&kFrameAreaProc);
    VFrameWindowService::Install(&kFrameWindowProc);
    VEnvironmentGraphicsService::Install(GraphicsEnvironmentLink());
    for (int i = 0; i < 10; ++i) {
      auto* w = new VWindowView(static_cast<VFrame*>(nullptr), 5, true, true, false);
      w->MoveTo(50 + i * 20, 50 + i * 20, 0);
      w->ResizeTo(300, 300, 0);
      w->SetVisible(true);
      windows.push_back(w);
    }
    pane = new VPaneView(windows.back(), true, true, true, true);
    pane->ResizeTo(300, 300, 0);
    auto* doc = new VScrolledView(pane);
    doc->SetContentSize(1000, 1000, false, 0);
    pane->SetContentView(doc, true);
    pane->Split(1, 100);
  }
  ~Desk() {
    for (VWindowView* w : windows) delete w;
    ResetHeadlessInput();
    VEnvironmentGraphicsService::Remove(GraphicsEnvironmentLink());
    VFrameWindowService::Remove(&kFrameWindowProc);
    VFrameAreaService::Remove(&kFrameAreaProc);
  }
  std::vector<VWindowView*> windows;
  VPaneView* pane = nullptr;
};

// Every poll sees the mouse moved: the band is erased and drawn again and
// the frame under the mouse searched through the window list.
void SplitterDragPoll(benchmark::State& state) {
  Desk desk;
  constexpr int kPolls = 200;
  int32_t sx = 0, sy = 0;
  desk.pane->LocalToScreen(sx, sy);
  std::vector<HeadlessInputEntry> script;
  for (int i = 0; i <= kPolls; ++i) {
    const LONG y = sy + 102 + (i % 100) * (i / 100 % 2 == 0 ? 1 : -1);
    script.push_back({static_cast<ULONGLONG>(i), {sx + 150, y}, HEADLESS_LEFT_BUTTON, {0}});
  }
  for (auto _ : state) {
    LoadHeadlessInput(script.data(), script.size(), 0);
    VEvent down(150, 102, 0, false, false, false, false, false, 1, 0);
    VSplitterDragger drag(desk.pane, down, 100, 0, 295, 1);
    drag.Track();
    UnloadHeadlessInput();
  }
  state.SetItemsProcessed(state.iterations() * kPolls);
}

// A list of 10,000 rows of a name and a number in a 300 x 400 container,
// paged from the top to the end, each page drawn at once.
void PageThroughList(benchmark::State& state) {
  VFrameAreaService::Install(&kFrameAreaProc);
  VFrameWindowService::Install(&kFrameWindowProc);
  HWND window = CreateHeadlessWindow(400, 400);
  auto* root = new VWindowView(window);
  root->ResizeTo(400, 400, 0);
  VStringArray names;
  VLongArray numbers;
  VStr<255> text;
  for (int i = 0; i < 10000; ++i) {
    const std::u16string s = u"row " + std::u16string(1, static_cast<char16_t>(u'a' + i % 26));
    text.SetUniChars(s.data(), 0, static_cast<int32_t>(s.size()));
    names.AppendString(text, false);
    numbers.AppendLong(i, false);
  }
  auto* owner = new VScrollContainer(root, true, false);
  owner->ResizeTo(300, 400, 0);
  auto* list = new VListView(owner, 0, 0);
  owner->SetContentView(list, true);
  list->AddColumn(&names, 200, true);
  list->AddColumn(&numbers, 80, false);
  int64_t pages = 0;
  for (auto _ : state) {
    list->ScrollTo(0, 0, true, 1);
    while (list->GetScrollY() + list->GetHeight() < list->GetContentHeight()) {
      owner->ScrollBy(0, list->GetVerticalPageStep(false), 2);
      ++pages;
    }
  }
  state.SetItemsProcessed(pages);
  delete root;
  DestroyWindow(window);
  VFrameWindowService::Remove(&kFrameWindowProc);
  VFrameAreaService::Remove(&kFrameAreaProc);
}

}  // namespace

BENCHMARK(PageThroughList)->Unit(benchmark::kMillisecond);
BENCHMARK(SplitterDragPoll)->Unit(benchmark::kMillisecond);
BENCHMARK(InvalidateEachAtOnce)->Unit(benchmark::kMillisecond);
BENCHMARK(PointerMoves);
BENCHMARK(DrawWholeView)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  return RunBenchmarksWithCoreServices(argc, argv, &InitGraphics, &ExitGraphics);
}
