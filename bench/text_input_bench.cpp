// Keys and the mouse in the editing area's text view over the reference
// documents: 1,000 characters typed by key events at the end of a 50-,
// 500- and 2,000-page document (the cost of a key should not grow with the
// document), and a selection dragged over 10, 100 and 1,000 lines (each
// step draws what changed, so the cost grows with the lines crossed, not
// with the document). Each caret key (the arrows, with Shift and Command,
// Backspace and Delete) near the end of the 50-, 500- and 2,000-page
// document and of a plain text of the same length: the cost of a step
// should be that of a step, whatever the length; Left, Shift+Left and
// Backspace in the middle and near the start of the plain text cost what
// Right costs there. In the continuous view,
// the drawing of the view at the caret near the end, as a key redraws it,
// and Go to page 2, to the middle page and to the last page from the
// middle page, each the first walk there since the text changed: each
// costs the same at every length. Command-Right over the plain text of
// 500 pages with an emoji on every line costs what it costs without them.
#include <benchmark/benchmark.h>

#include <cstring>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "area/view/xMorvaFrame.h"
#include "area/view/xMorvaMouse.h"
#include "area/xMorvaMain.h"
#include "area/xMorvaPlugIn.h"
#include "bench/AreaBenchSupport.h"
#include "bench/BenchMain.h"
#include "bench/ReferenceDocument.h"
#include "boundary/ModuleExports.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaLayoutInterface.h"
#include "document/xMorvaUndo.h"
#include "engine/xMorvaDocumentEngineServices.h"
#include "engine/xMorvaElementStream.h"
#include "engine/xMorvaEngine.h"
#include "framework/system/resources/VMacResourceFile.h"
#include "graphics/VCharWidthCache.h"
#include "graphics/VDIBPort.h"
#include "graphics/VGraphicsStart.h"
#include "host/context/VHostContext.h"
#include "platform/toolbox/TbxResources.h"
#include "views/VEvent.h"
#include "views/VShortcut.h"

namespace {


void DeleteAreas();

void Start() {
  InitGraphics();
  OpenAreaServices();
}

void Stop() {
  DeleteAreas();
  CloseAreaServices();
  ExitGraphics();
}

// An area whose document holds the reference text of `pages` pages in page
// view (or its plain text), composed, with its text view.
// The plain text with an emoji and its skin tone (four units) in place of
// four units of every line: a cluster whose edges the neighbours alone do
// not tell, on each line the word keys cross.
void PutEmojiOnEveryLine(ReferenceDocument& reference) {
  static const char16_t kEmoji[4] = {0xD83D, 0xDC4D, 0xD83C, 0xDFFD};
  std::vector<uint8_t>& s = reference.stream;
  const size_t line = 2 * size_t(ReferenceDocument::kUnitsPerLine);
  // From the first line's middle unit (a unit's first byte: an odd offset
  // would put the halves of two units together instead).
  for (size_t at = 2 * size_t(ReferenceDocument::kUnitsPerLine / 2); at + 8 <= s.size(); at += line) {
    bool plain = true;
    for (size_t i = 0; i < 4; ++i) plain = plain && StreamUnit(&s[at + 2 * i]) >= 0x20;
    if (!plain) continue;
    for (size_t i = 0; i < 4; ++i) PutStreamUnit(&s[at + 2 * i], kEmoji[i]);
  }
}

struct TextArea {
  explicit TextArea(int32_t pages, bool plain = false, bool emoji = false) : package(new xMorvaMain(nullptr)) {
    package->Init();
    gCurrentPackage = package.get();
    area = new xMorvaPlugIn(package.get());
    document = area->GetDocument();
    document->Params().SetViewMode(0);
    ReferenceDocument reference = MakeReferenceDocument(pages);
    if (plain) MakePlain(reference);
    if (plain && emoji) PutEmojiOnEveryLine(reference);
    document->GetUndo()->Suspend();
    text = static_cast<xMorvaEngine*>(document->GetPart(kPartBody));
    text->InsertBytes(0u, reference.stream.data(), uint32_t(reference.stream.size()));
    text->SetLength(reference.positions);
    document->GetUndo()->Resume();
    text->SetSelection(0, 0);
    if (xMorvaLayoutInterface* layout = document->GetLayout()) layout->ComposeAll();
    document->UpdateFrameContentSize();
    frame = area->GetFrames().empty() ? nullptr : area->GetFrames().front();
    if (frame != nullptr) frame->ResizeTo(document->GetParams().GetPageWidth() + 40, 600, 0);
  }
  ~TextArea() {
    gCurrentPackage = nullptr;
    package.reset();
  }
  std::unique_ptr<xMorvaMain> package;
  xMorvaPlugIn* area = nullptr;
  xMorvaDocument* document = nullptr;
  xMorvaEngine* text = nullptr;
  xMorvaFrame* frame = nullptr;
};

std::map<int32_t, std::unique_ptr<TextArea>>* sAreas = nullptr;

TextArea& AreaOf(int32_t pages, bool plain = false, bool emoji = false) {
  if (sAreas == nullptr) sAreas = new std::map<int32_t, std::unique_ptr<TextArea>>;
  std::unique_ptr<TextArea>& slot = (*sAreas)[emoji ? -pages - 100000 : plain ? -pages : pages];
  if (!slot) slot = std::make_unique<TextArea>(pages, plain, emoji);
  gCurrentPackage = slot->package.get();
  return *slot;
}

void DeleteAreas() {
  delete sAreas;
  sAreas = nullptr;
}

// One character key a run, 1,000 runs at the document's end: the words of
// a sentence with a space between them.
void BM_TypingAtTheEnd(benchmark::State& state) {
  TextArea& area = AreaOf(int32_t(state.range(0)));
  if (area.frame == nullptr) {
    state.SkipWithError("the area has no text view");
    return;
  }
  const int32_t before = area.text->GetLength();
  area.text->SetSelection(before, before);
  static const char kWords[] = "the quick brown fox jumps over the lazy dog ";
  size_t next = 0;
  for (auto _ : state) {
    const char16_t c = char16_t(kWords[next]);
    next = (next + 1) % (sizeof kWords - 1);
    const VShortcut key(c, int16_t(c), false, false, false);
    benchmark::DoNotOptimize(area.frame->KeyDown(key));
  }
  const int32_t typed = area.text->GetLength() - before;
  if (typed != int32_t(state.iterations())) state.SkipWithError("a key was not typed");
  // What was typed goes again (outside the timed loop), so that each run
  // starts from its reference text.
  area.text->SetSelection(before, area.text->GetLength());
  area.document->BeginChange();
  area.text->DeleteSelectionWithUndo();
  area.document->EndChange();
  if (xMorvaUndo* undo = area.document->GetUndo()) undo->Commit();
  state.counters["pages"] = double(state.range(0));
}
BENCHMARK(BM_TypingAtTheEnd)
    ->ArgName("pages")
    ->Arg(50)
    ->Arg(500)
    ->Arg(2000)
    ->Iterations(1000)
    ->Unit(benchmark::kMicrosecond);

// The caret keys, each with its modifiers.
struct CaretKey {
  const char* name;
  int16_t code;
  bool command;
  bool shift;
};
constexpr CaretKey kCaretKeys[] = {
    {"Right", kKeyRight, false, false},          {"Left", kKeyLeft, false, false},
    {"ShiftRight", kKeyRight, false, true},      {"ShiftLeft", kKeyLeft, false, true},
    {"CommandRight", kKeyRight, true, false},    {"CommandLeft", kKeyLeft, true, false},
    {"CommandShiftLeft", kKeyLeft, true, true},  {"Backspace", kKeyBackspace, false, false},
    {"Delete", kKeyDelete, false, false},
};

// One key a run with the caret at `caret`, put back there outside the timed
// part, and a deletion undone there too.
void RunCaretKey(benchmark::State& state, const CaretKey& key, TextArea& area, int32_t caret) {
  const int32_t length = area.text->GetLength();
  const VShortcut shortcut(0, key.code, key.command, false, key.shift);
  area.document->SetSelectionBackward(false);
  area.text->SetSelection(caret, caret);
  bool moved = true;
  for (auto _ : state) {
    benchmark::DoNotOptimize(area.frame->KeyDown(shortcut));
    state.PauseTiming();
    moved = moved && (area.text->GetSelStart() != caret || area.text->GetSelEnd() != caret ||
                      area.text->GetLength() != length);
    if (area.text->GetLength() != length) {
      area.document->GetUndo()->Commit();
      area.document->Undo();
    }
    area.document->SetSelectionBackward(false);
    area.text->SetSelection(caret, caret);
    state.ResumeTiming();
  }
  if (!moved) state.SkipWithError("the key did nothing");
  if (area.text->GetLength() != length) state.SkipWithError("a deletion was not undone");
}

// The caret 40 positions before the text's end (the last page's last
// paragraph). Arguments: the key, the pages, and 1 for the plain text.
void BM_CaretKey(benchmark::State& state) {
  const CaretKey& key = kCaretKeys[state.range(0)];
  TextArea& area = AreaOf(int32_t(state.range(1)), state.range(2) != 0);
  if (area.frame == nullptr) {
    state.SkipWithError("the area has no text view");
    return;
  }
  RunCaretKey(state, key, area, area.text->GetLength() - 40);
  state.SetLabel(std::string(key.name) + (state.range(2) != 0 ? " plain" : " reference"));
  state.counters["pages"] = double(state.range(1));
}
BENCHMARK(BM_CaretKey)
    ->ArgNames({"key", "pages", "plain"})
    ->ArgsProduct({benchmark::CreateDenseRange(0, int64_t(std::size(kCaretKeys)) - 1, 1), {50, 500, 2000}, {0, 1}})
    ->Iterations(200)
    ->Unit(benchmark::kMicrosecond);

// Right, Left, Shift+Left, Backspace and Delete in the plain text (one run
// of characters from its start to its end), with the caret in its middle
// or 40 positions after its start: a step back costs what a step forward
// costs (Left and Shift+Left what Right costs, Backspace what Delete
// costs), wherever it is taken. Arguments: the key (an index of
// kCaretKeys), the pages, and the place: 0 the middle, 1 near the start.
void BM_CaretKeyInPlainText(benchmark::State& state) {
  const CaretKey& key = kCaretKeys[state.range(0)];
  TextArea& area = AreaOf(int32_t(state.range(1)), true);
  if (area.frame == nullptr) {
    state.SkipWithError("the area has no text view");
    return;
  }
  RunCaretKey(state, key, area, state.range(2) == 0 ? area.text->GetLength() / 2 : 40);
  state.SetLabel(std::string(key.name) + (state.range(2) == 0 ? " middle" : " start"));
  state.counters["pages"] = double(state.range(1));
}
BENCHMARK(BM_CaretKeyInPlainText)
    ->ArgNames({"key", "pages", "middle0_start1"})
    ->ArgsProduct({{0, 1, 3, 7, 8}, {50, 500, 2000}, {0, 1}})
    ->Iterations(200)
    ->Unit(benchmark::kMicrosecond);

// Command-Right from the start of the plain text of 500 pages with an
// emoji on every line, one key a run, the caret going on from where the
// last key left it (back to the start at the end): a word step costs what
// it costs in a text without emoji, the clusters' edges asked of the
// break iterator only beside the emoji.
void BM_CommandRightOverEmojiLines(benchmark::State& state) {
  TextArea& area = AreaOf(int32_t(state.range(0)), true, state.range(1) != 0);
  if (area.frame == nullptr) {
    state.SkipWithError("the area has no text view");
    return;
  }
  const VShortcut key(0, kKeyRight, true, false, false);
  area.document->SetSelectionBackward(false);
  area.text->SetSelection(0, 0);
  const int32_t length = area.text->GetLength();
  int64_t crossed = 0;
  for (auto _ : state) {
    const int32_t from = area.text->GetSelStart();
    benchmark::DoNotOptimize(area.frame->KeyDown(key));
    crossed += area.text->GetSelStart() - from;
    if (area.text->GetSelStart() >= length) {
      state.PauseTiming();
      area.text->SetSelection(0, 0);
      state.ResumeTiming();
    }
  }
  if (crossed <= 0) state.SkipWithError("the key did not move");
  state.SetLabel(state.range(1) != 0 ? "emoji" : "plain");
  state.counters["pages"] = double(state.range(0));
  state.counters["units_per_key"] = double(crossed) / double(state.iterations());
}
BENCHMARK(BM_CommandRightOverEmojiLines)
    ->ArgNames({"pages", "emoji"})
    ->Args({500, 0})
    ->Args({500, 1})
    ->Iterations(20000)
    ->Unit(benchmark::kMicrosecond);

// The view in the continuous view scrolled to the caret 40 positions
// before the text's end and drawn, as a key's update draws it. Arguments:
// the pages, and 1 for the plain text.
void BM_ContinuousViewDraw(benchmark::State& state) {
  TextArea& area = AreaOf(int32_t(state.range(0)), state.range(1) != 0);
  if (area.frame == nullptr) {
    state.SkipWithError("the area has no text view");
    return;
  }
  area.document->SetViewMode(1);
  const int32_t caret = area.text->GetLength() - 40;
  area.text->SetSelection(caret, caret);
  area.document->ShowSelection(true);
  VDIBPort canvas(area.frame->GetWidth(), area.frame->GetHeight(), 32);
  for (auto _ : state) {
    canvas.PushOrigin(0, -area.frame->GetScrollY());
    area.frame->DrawContent(canvas);
    canvas.PopOrigin();
  }
  if (area.frame->GetScrollY() == 0) state.SkipWithError("the view did not scroll to the caret");
  area.document->SetViewMode(0);
  state.SetLabel(state.range(1) != 0 ? "plain" : "reference");
  state.counters["pages"] = double(state.range(0));
}
BENCHMARK(BM_ContinuousViewDraw)
    ->ArgNames({"pages", "plain"})
    ->ArgsProduct({{50, 500, 2000}, {0, 1}})
    ->Unit(benchmark::kMicrosecond);

// Go to page (the command's steps: the caret to the page's first position,
// then the view to the caret) from the middle page, in the continuous
// view, to page 2, the middle page or the last. Each run starts where the
// text has just changed (a unit at its start written again): only the way
// to the middle page, where the caret was set, has been walked. Arguments:
// the pages, 1 for the plain text, and the page: 0 the second, 1 the
// middle, 2 the last.
void BM_GoToPage(benchmark::State& state) {
  TextArea& area = AreaOf(int32_t(state.range(0)), state.range(1) != 0);
  xMorvaLayoutInterface* layout = area.document->GetLayout();
  if (area.frame == nullptr || layout == nullptr) {
    state.SkipWithError("the area has no text view");
    return;
  }
  area.document->SetViewMode(1);
  const int32_t pages = area.document->GetBodyPageCount();
  const int32_t middle = pages / 2;
  const int32_t target = state.range(2) == 0 ? 1 : state.range(2) == 1 ? middle : pages - 1;
  bool landed = true;
  for (auto _ : state) {
    state.PauseTiming();
    area.document->GetUndo()->Suspend();
    const uint8_t* stream = area.text->LockStream();
    const uint8_t first[2] = {stream[0], stream[1]};
    area.text->UnlockStream();
    area.text->ReplaceBytes(0u, first, 2);
    area.document->GetUndo()->Resume();
    layout->Update();
    const int32_t start = layout->GetPageFirstPosition(middle);
    area.text->SetSelection(start, start);
    area.document->ShowSelection(true);
    state.ResumeTiming();
    area.document->GoToPage(target);
    area.document->ShowSelection(true);
    state.PauseTiming();
    landed = landed && area.text->GetSelStart() == layout->GetPageFirstPosition(target);
    state.ResumeTiming();
  }
  if (!landed) state.SkipWithError("the caret is not at the page's first position");
  area.document->SetViewMode(0);
  state.SetLabel(state.range(1) != 0 ? "plain" : "reference");
  state.counters["pages"] = pages;
}
BENCHMARK(BM_GoToPage)
    ->ArgNames({"pages", "plain", "second0_middle1_last2"})
    ->ArgsProduct({{50, 500, 2000}, {0, 1}, {0, 1, 2}})
    ->Iterations(5)
    ->Unit(benchmark::kMicrosecond);

// A drag from the first line down over N lines, one step a line.
void BM_SelectionDrag(benchmark::State& state) {
  TextArea& area = AreaOf(50);
  if (area.frame == nullptr) {
    state.SkipWithError("the area has no text view");
    return;
  }
  const int32_t lines = int32_t(state.range(0));
  area.text->SetSelection(0, 0);
  int32_t x = 0, y = 0, top = 0, height = 0;
  area.document->GetCaretGeometry(x, y, top, height);
  if (height <= 0) {
    state.SkipWithError("no line at the text's start");
    return;
  }
  x += area.frame->TextInset() + 2;
  y = top + height / 2;
  int64_t redraws = 0;
  int32_t reached = 0;
  for (auto _ : state) {
    xMorvaTextHit hit;
    xMorvaMouse::HitTest(*area.document, x - area.frame->TextInset(), y, false, hit);
    VEvent press(x, y, 0, false, false, false, false, false, 1, 0);
    xMorvaSelectionDragger dragger(*area.frame, press, x, y, hit.position, hit.offset, hit.position, hit.offset,
                                   hit);
    for (int32_t i = 0; i < lines; ++i) dragger.Step(0, height);
    int32_t anchor = 0;
    dragger.GetResult(anchor, reached);
    redraws += dragger.GetRedraws();
  }
  if (reached <= 0) state.SkipWithError("the drag selected nothing");
  state.counters["lines"] = lines;
  state.counters["selected"] = reached;
  state.counters["redraws"] = benchmark::Counter(double(redraws), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_SelectionDrag)->ArgName("lines")->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return RunBenchmarksWithCoreServices(argc, argv, &Start, &Stop); }
