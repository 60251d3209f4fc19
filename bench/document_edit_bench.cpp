// Whole-document edits through the document's change protocol over the
// 50-, 500- and 2,000-page reference documents, each on a fresh composed
// document: select all, then bold, plain text (the six style properties in
// one step), a font, a size or a colour (each rewrites the records of its
// property over the whole text and composes every line again); the undo
// and the redo of the bold; the bold and its undo over Vietnamese
// (decomposed and precomposed) and emoji text; and the
// whole reference document pasted into the middle of a copy of itself
// (one insertion and the new lines spliced into the table).
#include <benchmark/benchmark.h>

#include <map>
#include <memory>

#include "bench/BenchMain.h"
#include "bench/ReferenceDocument.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaLayoutInterface.h"
#include "document/xMorvaUndo.h"
#include "engine/xMorvaDocumentEngineServices.h"
#include "engine/xMorvaEngine.h"
#include "engine/xMorvaTextTransferEngine.h"
#include "framework/core/VService.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "graphics/VGraphicsStart.h"

namespace {

xMorvaDocumentEngineServices sEngines;
xMorvaTextTransferEngine sTransfer;

void Start() {
  InitGraphics();
  VService<xMorvaEngineServices>::Install(&sEngines);
  xMorvaTextTransferSlot::Install(&sTransfer);
}

void Stop() {
  xMorvaTextTransferSlot::Remove(&sTransfer);
  VService<xMorvaEngineServices>::Remove(&sEngines);
  ExitGraphics();
}

// The reference document of `pages` pages, its plain text (kPlainText), or
// another text.
constexpr int kPlainText = -1;
const ReferenceDocument& Reference(int32_t pages, int text) {
  static std::map<std::pair<int32_t, int>, ReferenceDocument> documents;
  auto it = documents.find({pages, text});
  if (it == documents.end()) {
    ReferenceDocument reference = MakeBenchText(pages, text == kPlainText ? BenchText::kReference : BenchText(text));
    if (text == kPlainText) MakePlain(reference);
    it = documents.emplace(std::make_pair(pages, text), std::move(reference)).first;
  }
  return it->second;
}

// A document without an area whose body holds the reference text (or its
// plain text, or another), composed and paginated, with undo recording.
std::unique_ptr<xMorvaDocument> LoadedDocument(int32_t pages, int text = int(BenchText::kReference)) {
  std::unique_ptr<xMorvaDocument> document(new xMorvaDocument(nullptr));
  const ReferenceDocument& reference = Reference(pages, text);
  auto* body = static_cast<xMorvaEngine*>(document->GetPart(kPartBody));
  document->GetUndo()->Suspend();
  body->InsertBytes(0u, reference.stream.data(), uint32_t(reference.stream.size()));
  body->SetLength(reference.positions);
  document->GetUndo()->Resume();
  body->SetSelection(0, 0);
  if (xMorvaLayoutInterface* layout = document->GetLayout()) layout->ComposeAll();
  return document;
}

enum Command { kBold, kPlain, kFont, kSize, kColour };

void SelectAllAndFormat(benchmark::State& state) {
  const auto pages = int32_t(state.range(0));
  const auto command = Command(state.range(1));
  for (auto _ : state) {
    state.PauseTiming();
    auto document = LoadedDocument(pages);
    xMorvaTextInterface* body = document->GetPart(kPartBody);
    state.ResumeTiming();
    body->SetSelection(0, body->GetLength());
    switch (command) {
      case kBold: document->ApplySelectionAttribute(kPropBold, 1); break;  // command 502
      case kPlain: document->DoCommand(501); break;
      case kFont: document->ApplySelectionAttribute(kPropFont, 2); break;
      case kSize: document->ApplySelectionAttribute(kPropSize, 18); break;
      case kColour: document->DoCommand(603); break;  // text colour 0x0000FF
    }
    state.PauseTiming();
    if (static_cast<xMorvaEngine*>(body)->GetPropertyState(command == kPlain ? kPropItalic : kPropBold) != 1 &&
        (command == kBold || command == kPlain)) {
      state.SkipWithError("the property is not uniform");
    }
    document.reset();
    state.ResumeTiming();
  }
  state.counters["pages"] = pages;
}

void SelectAllArgs(benchmark::internal::Benchmark* b) {
  for (int command : {kBold, kPlain, kFont, kSize, kColour}) {
    for (int32_t pages : kReferencePages) b->Args({pages, command});
  }
}

// Select all and bold, then (timed) its undo, or its undo and redo: each
// puts back or takes out the bold records over the whole text and
// composes every line again, of the reference document or of its plain
// text (whose every line breaks anew at each step). The cost should grow
// with the pages, no faster.
void UndoAndRedoOfBold(benchmark::State& state) {
  const auto pages = int32_t(state.range(0));
  const bool redo = state.range(1) != 0;
  const bool plain = state.range(2) != 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto document = LoadedDocument(pages, plain ? kPlainText : int(BenchText::kReference));
    xMorvaTextInterface* body = document->GetPart(kPartBody);
    body->SetSelection(0, body->GetLength());
    document->ApplySelectionAttribute(kPropBold, 1);
    document->GetUndo()->Commit();
    if (redo) document->GetUndo()->Undo();
    state.ResumeTiming();
    if (redo)
      document->GetUndo()->Redo();
    else
      document->GetUndo()->Undo();
    state.PauseTiming();
    document.reset();
    state.ResumeTiming();
  }
  state.counters["pages"] = pages;
}

// Select all and bold over another text, then (timed) the bold, or its
// undo.
void BoldOverText(benchmark::State& state) {
  const auto pages = int32_t(state.range(0));
  const bool undo = state.range(1) != 0;
  const auto text = int(state.range(2));
  for (auto _ : state) {
    state.PauseTiming();
    auto document = LoadedDocument(pages, text);
    xMorvaTextInterface* body = document->GetPart(kPartBody);
    body->SetSelection(0, body->GetLength());
    if (undo) {
      document->ApplySelectionAttribute(kPropBold, 1);
      document->GetUndo()->Commit();
    }
    state.ResumeTiming();
    if (undo)
      document->GetUndo()->Undo();
    else
      document->ApplySelectionAttribute(kPropBold, 1);
    state.PauseTiming();
    document.reset();
    state.ResumeTiming();
  }
  state.counters["pages"] = pages;
}

void PasteDocumentInTheMiddle(benchmark::State& state) {
  const auto pages = int32_t(state.range(0));
  // The whole reference document as the clipboard's stream.
  auto source = LoadedDocument(pages);
  xMorvaTextInterface* sourceBody = source->GetPart(kPartBody);
  sourceBody->SetSelection(0, sourceBody->GetLength());
  const VMemHandle stream = sTransfer.WriteStream(*source, *sourceBody);
  source.reset();
  if (stream == 0) {
    state.SkipWithError("copy failed");
    return;
  }
  int32_t lines = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto document = LoadedDocument(pages);
    xMorvaTextInterface* body = document->GetPart(kPartBody);
    const int32_t middle = body->GetLength() / 2;
    body->SetSelection(middle, middle);
    state.ResumeTiming();
    if (document->PasteStreamHandle(stream, false) != 0) {
      state.SkipWithError("paste failed");
      break;
    }
    state.PauseTiming();
    lines = document->GetLayout() != nullptr ? document->GetLayout()->GetPageCount() : 0;
    document.reset();
    state.ResumeTiming();
  }
  gMemoryMgr->DisposeHandle(stream);
  state.counters["pages_after"] = lines;
}

}  // namespace

BENCHMARK(SelectAllAndFormat)->ArgNames({"pages", "bold0_plain1_font2_size3_colour4"})->Apply(SelectAllArgs)
    ->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(UndoAndRedoOfBold)->ArgNames({"pages", "undo0_redo1", "plain"})
    ->ArgsProduct({{50, 500, 2000}, {0, 1}, {0, 1}})->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BoldOverText)->ArgNames({"pages", "bold0_undo1", "nfd1_nfc2_emoji3"})
    ->ArgsProduct({{50, 500, 2000}, {0, 1}, {1, 2, 3}})->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(PasteDocumentInTheMiddle)->ArgName("pages")->Arg(50)->Arg(500)->Arg(2000)
    ->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char** argv) { return RunBenchmarksWithCoreServices(argc, argv, &Start, &Stop); }
