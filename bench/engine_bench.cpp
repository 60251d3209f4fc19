// The text engine over the reference document: typing 1,000 characters at
// the end, the middle and the start of the text with undo recording (each
// keystroke inserts its unit and moves the stream behind it), and 10,000
// random selections, each a walk from the nearest mark, the last stop or
// the cache point behind it; and
// line composition alone: typing at the end and inside one long paragraph
// (each keystroke composes from the line before it until the lines meet
// the old ones again) and a whole rebuild, as select-all and a font change
// make it; and typing at the end, the middle and the start through the
// document, whose change protocol composes the lines again and paginates
// from one page before them until a page begins as it began before; and
// characters or Returns at the end with a page number or a page count on
// the first page, which must cost what they cost without one; and a whole
// rebuild of a text of emoji, Persian and letters with marks.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <ctime>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bench/BenchMain.h"
#include "bench/ReferenceDocument.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaLayoutInterface.h"
#include "document/xMorvaUndo.h"
#include "engine/xMorvaDocumentEngineServices.h"
#include "engine/xMorvaEngine.h"
#include "engine/xMorvaFont.h"
#include "engine/xMorvaLines.h"
#include "document/xMorvaProperties.h"
#include "engine/xMorvaElementStream.h"
#include "graphics/VBitmapPort.h"
#include "graphics/VGraphicsStart.h"
#include "framework/core/memory/VHeap.h"
#include "framework/core/memory/VWinMemoryMgr.h"

namespace {

// The time this thread has run: on a machine shared with other work the
// figures of wall time grow with the load, these do not.
std::chrono::nanoseconds ThreadTime() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

const ReferenceDocument& Reference(int32_t pages) {
  static std::map<int32_t, ReferenceDocument> documents;
  auto it = documents.find(pages);
  if (it == documents.end()) it = documents.emplace(pages, MakeReferenceDocument(pages)).first;
  return it->second;
}

// The reference document's plain text with a line of emoji and Persian
// over a stretch of every line: clusters each of several units.
const ReferenceDocument& EmojiText(int32_t pages) {
  static std::map<int32_t, ReferenceDocument> documents;
  auto it = documents.find(pages);
  if (it == documents.end()) it = documents.emplace(pages, MakeBenchText(pages, BenchText::kEmoji)).first;
  return it->second;
}

// An engine loaded with the reference document, its undo history beside it.
struct LoadedText {
  explicit LoadedText(int32_t pages, bool emoji = false)
      : undo(document), engine(&undo, xMorvaEngine::kBodyGranule) {
    const ReferenceDocument& reference = emoji ? EmojiText(pages) : Reference(pages);
    undo.Suspend();
    engine.InsertBytes(0u, reference.stream.data(), uint32_t(reference.stream.size()));
    engine.SetLength(reference.positions);
    undo.Resume();
  }
  BenchDocument document;
  xMorvaUndo undo;
  xMorvaEngine engine;
};

// kEndAfterMove: typing at the end, each key followed by a move of as
// many bytes as a key at the start moves (outside the timed layout): the
// layout of a key at the end with the caches as a key at the start leaves
// them.
enum Place { kEnd, kMiddle, kStart, kEndAfterMove };

void Typing(benchmark::State& state) {
  const auto pages = int32_t(state.range(0));
  const auto place = Place(state.range(1));
  constexpr int32_t kKeys = 1000;
  uint64_t movedBytes = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto text = std::make_unique<LoadedText>(pages);
    const int32_t length = text->engine.GetLength();
    const int32_t caret = place == kEnd ? length : place == kMiddle ? length / 2 : 0;
    text->engine.SetSelection(caret, caret);
    movedBytes += uint64_t(text->engine.GetStreamSize() - text->engine.GetSelStartOffset()) * kKeys;
    state.ResumeTiming();
    for (int32_t i = 0; i < kKeys; ++i) {
      if (text->engine.TypeCharacterWithUndo(char16_t('a' + i % 26)) != 0) {
        state.SkipWithError("typing failed");
        break;
      }
    }
    state.PauseTiming();
    text.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * kKeys);
  state.counters["MB_moved_per_key"] =
      benchmark::Counter(double(movedBytes) / 1e6 / double(state.iterations() * kKeys));
}

// With `atEnd`, each selection starts within 200 positions of the text's
// end, where typing at the end places the caret: the cost to compare a
// selection anywhere with.
void RandomSelections(benchmark::State& state) {
  const auto pages = int32_t(state.range(0));
  const bool atEnd = state.range(1) != 0;
  LoadedText text(pages);
  const int32_t length = text.engine.GetLength();
  constexpr int32_t kSelections = 10000;
  std::mt19937 random(ReferenceDocument::kSeed);
  std::uniform_int_distribution<int32_t> where(atEnd ? length - 200 : 0, length);
  // One walk over the whole text first, as the first selection at its end
  // makes: it leaves the marks the walks start from.
  text.engine.SetSelection(length, length);
  std::uniform_int_distribution<int32_t> extent(0, 200);
  // The places are drawn before the timing: drawing them costs a fifth of
  // a selection at the end.
  std::vector<std::pair<int32_t, int32_t>> selections(kSelections);
  for (auto& [start, end] : selections) {
    start = where(random);
    end = start + extent(random);
  }
  for (auto _ : state) {
    for (const auto& [start, end] : selections) text.engine.SetSelection(start, end);
    benchmark::DoNotOptimize(text.engine.GetSelEndOffset());
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * kSelections);
  const ReferenceDocument& reference = Reference(pages);
  state.counters["units"] = reference.positions;
  state.counters["MB"] = double(reference.stream.size()) / 1e6;
  state.counters["lines"] = reference.lines;
}

// The reference text composed into lines on a measuring port.
struct ComposedText {
  explicit ComposedText(int32_t pages, bool emoji = false)
      : text(pages, emoji), font(&port, &text.document), lines(&text.document, &text.engine, 0, 20) {
    lines.ComposeAll(font);
  }
  LoadedText text;
  VBitmapPort port;
  xMorvaFont font;
  xMorvaLines lines;
};

void ComposeTypingAtEnd(benchmark::State& state) {
  const auto pages = int32_t(state.range(0));
  constexpr int32_t kKeys = 1000;
  auto composed = std::make_unique<ComposedText>(pages);
  xMorvaEngine& engine = composed->text.engine;
  int32_t linesAtStart = composed->lines.GetLineCount();
  for (auto _ : state) {
    for (int32_t i = 0; i < kKeys; ++i) {
      const uint32_t end = engine.GetStreamSize();
      const xMorvaLines::Change change = composed->lines.RemoveForChange(end, end);
      uint8_t unit[2];
      PutStreamUnit(unit, uint16_t(i % 7 == 6 ? ' ' : 'a' + i % 26));
      engine.InsertBytes(end, unit, 2);
      if (composed->lines.RecomposeAfterChange(composed->font, change, end + 2) != 0) {
        state.SkipWithError("composition failed");
        break;
      }
    }
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * kKeys);
  state.counters["lines"] = linesAtStart;
}

// Typing in the middle of one paragraph of `lines` lines: composition
// begins at the line before the keystroke and ends where the lines meet
// those of before. With `words` 0 the text repeats one pattern (every line
// as full as the others, so that a word pushed on pushes one from each
// following line for a long way); with 1 its words have random lengths
// of 1 to 12 letters, as prose has.
void ComposeTypingInLongParagraph(benchmark::State& state) {
  const auto lineCount = int32_t(state.range(0));
  const bool prose = state.range(1) != 0;
  constexpr int32_t kKeys = 200;
  BenchDocument document;
  xMorvaUndo undo(document);
  xMorvaEngine engine(&undo, xMorvaEngine::kBodyGranule);
  undo.Suspend();
  std::vector<uint8_t> bytes;
  std::mt19937 random(ReferenceDocument::kSeed);
  int32_t wordLeft = 1 + int32_t(random() % 12);
  for (int32_t i = 0; i < lineCount * ReferenceDocument::kUnitsPerLine; ++i) {
    uint16_t unit = i % 6 == 5 ? ' ' : uint16_t('a' + i % 26);
    if (prose) {
      unit = wordLeft-- == 0 ? ' ' : uint16_t('a' + random() % 26);
      if (unit == ' ') wordLeft = 1 + int32_t(random() % 12);
    }
    bytes.push_back(uint8_t(unit));
    bytes.push_back(uint8_t(unit >> 8));
  }
  engine.InsertBytes(0u, bytes.data(), uint32_t(bytes.size()));
  VBitmapPort port;
  xMorvaFont font(&port, &document);
  xMorvaLines lines(&document, &engine, 0, 20);
  lines.ComposeAll(font);
  int64_t composedLines = 0;
  // The time of composition alone, without the move of the stream's
  // bytes behind the keystroke.
  std::chrono::steady_clock::duration composing{};
  std::chrono::nanoseconds composingCpu{};
  for (auto _ : state) {
    for (int32_t i = 0; i < kKeys; ++i) {
      const uint32_t at = (engine.GetStreamSize() / 4) * 2;
      const auto before = std::chrono::steady_clock::now();
      const auto beforeCpu = ThreadTime();
      const xMorvaLines::Change change = lines.RemoveForChange(at, at);
      const auto removed = std::chrono::steady_clock::now();
      const auto removedCpu = ThreadTime();
      uint8_t unit[2];
      PutStreamUnit(unit, uint16_t('a' + i % 26));
      engine.InsertBytes(at, unit, 2);
      const auto inserted = std::chrono::steady_clock::now();
      const auto insertedCpu = ThreadTime();
      lines.RecomposeAfterChange(font, change, at + 2);
      composing += (removed - before) + (std::chrono::steady_clock::now() - inserted);
      composingCpu += (removedCpu - beforeCpu) + (ThreadTime() - insertedCpu);
      composedLines += lines.GetLastReplaced().newCount;
    }
  }
  state.counters["compose_us_per_key"] =
      std::chrono::duration<double, std::micro>(composing).count() / double(state.iterations() * kKeys);
  state.counters["compose_cpu_us_per_key"] =
      std::chrono::duration<double, std::micro>(composingCpu).count() / double(state.iterations() * kKeys);
  state.SetItemsProcessed(int64_t(state.iterations()) * kKeys);
  state.counters["lines"] = lines.GetLineCount();
  state.counters["lines_composed_per_key"] =
      double(composedLines) / double(state.iterations() * kKeys);
}

// A property record put at the start of a paragraph in the middle of the
// text: that paragraph is composed again.
void ComposePropertyChange(benchmark::State& state) {
  const auto pages = int32_t(state.range(0));
  auto composed = std::make_unique<ComposedText>(pages);
  xMorvaEngine& engine = composed->text.engine;
  constexpr int32_t kChanges = 100;
  // The start of the paragraph that holds the middle of the text.
  const int32_t middleCaret = engine.GetLength() / 2;
  engine.SetSelection(middleCaret, middleCaret);
  const uint32_t paragraphStart = engine.GetParagraphStartOffset();
  for (auto _ : state) {
    for (int32_t i = 0; i < kChanges; ++i) {
      const xMorvaLines::Change change = composed->lines.RemoveForChange(paragraphStart, paragraphStart);
      uint8_t record[8];
      PutPropertyRecord(record, kPropBold, uint32_t(i % 2));
      engine.InsertBytes(paragraphStart, record, 8);
      composed->lines.RecomposeAfterChange(composed->font, change, paragraphStart + 8);
    }
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * kChanges);
}

void ComposeAll(benchmark::State& state) {
  const auto pages = int32_t(state.range(0));
  auto composed = std::make_unique<ComposedText>(pages);
  for (auto _ : state) {
    if (composed->lines.ComposeAll(composed->font) != 0) state.SkipWithError("composition failed");
  }
  const ReferenceDocument& reference = Reference(pages);
  state.SetItemsProcessed(int64_t(state.iterations()) * reference.positions);
  state.counters["lines"] = composed->lines.GetLineCount();
}

// Typing 1,000 characters at the end of the reference document through
// the document: BeginChange, the keystroke, EndChange (composition of the
// last paragraph and pagination of the last pages).
// Typing through the document (recomposition and repagination at each
// key) at the end, the middle or the start of the body.
// With a field, a page number or a page count stands in the first
// paragraph of the first page: the pages before the one typed on keep
// their numbers, so typing at the end costs what it costs without it. The
// key is a character or a Return (a new paragraph, which now and then
// starts a page and changes the page count).
enum Field { kNoField, kPageNumberField, kPageCountField };
enum Key { kCharacterKey, kReturnKey };

void TypeThroughDocument(benchmark::State& state, int32_t pages, Place place, Field field, Key key) {
  constexpr int32_t kKeys = 1000;
  xMorvaDocumentEngineServices engines;
  VInstalledService<xMorvaEngineServices> installed(&engines);
  xMorvaDocument document(nullptr);
  xMorvaTextInterface* body = document.GetPart(kPartBody);
  const ReferenceDocument& reference = Reference(pages);
  const VMemHandle handle =
      gMemoryMgr->NewHandleFromData(reference.stream.data(), uint32_t(reference.stream.size()));
  if (handle == 0 || body == nullptr || document.GetLayout() == nullptr ||
      body->InsertHandle(handle, reference.positions) != 0) {
    state.SkipWithError("no document");
    return;
  }
  gMemoryMgr->DisposeHandle(handle);
  if (field != kNoField) {
    // Ten characters into the first paragraph.
    body->SetSelection(10, 10);
    document.BeginChange();
    const int32_t status = static_cast<xMorvaEngine*>(body)->InsertPageNumberField(
        field == kPageCountField ? kPageNumberCount : 0u, true);
    document.EndChange();
    if (status != 0) {
      state.SkipWithError("no field");
      return;
    }
  }
  const int32_t length = body->GetLength();
  int32_t caret = place == kEnd || place == kEndAfterMove ? length : place == kMiddle ? length / 2 : 0;
  // Typing starts a paragraph of its own, so that every size composes
  // the same paragraph at each keystroke.
  body->SetSelection(caret, caret);
  document.BeginChange();
  body->InsertParagraphEndWithUndo();
  document.EndChange();
  if (place == kEnd || place == kEndAfterMove) ++caret;
  std::vector<uint8_t> moved(place == kEndAfterMove ? body->GetStreamSize() + 2 : 0);
  const int32_t pageCount = document.GetLayout()->GetPageCount();
  // The time of the change protocol (composition and pagination) alone,
  // without the keystroke's insertion, which moves the stream's bytes
  // behind the caret and records the undo step.
  std::chrono::steady_clock::duration layout{};
  std::chrono::nanoseconds layoutCpu{};
  for (auto _ : state) {
    body->SetSelection(caret, caret);
    for (int32_t i = 0; i < kKeys; ++i) {
      const auto before = std::chrono::steady_clock::now();
      const auto beforeCpu = ThreadTime();
      document.BeginChange();
      const auto begun = std::chrono::steady_clock::now();
      const auto begunCpu = ThreadTime();
      if (key == kReturnKey)
        body->InsertParagraphEndWithUndo();
      else
        body->TypeCharacterWithUndo(char16_t(i % 7 == 6 ? ' ' : 'a' + i % 26));
      if (!moved.empty()) {
        std::memmove(moved.data() + 2, moved.data(), moved.size() - 2);
        benchmark::DoNotOptimize(moved.data());
      }
      const auto typed = std::chrono::steady_clock::now();
      const auto typedCpu = ThreadTime();
      document.EndChange();
      layout += (begun - before) + (std::chrono::steady_clock::now() - typed);
      layoutCpu += (begunCpu - beforeCpu) + (ThreadTime() - typedCpu);
    }
  }
  state.counters["layout_us_per_key"] =
      std::chrono::duration<double, std::micro>(layout).count() / double(state.iterations() * kKeys);
  state.counters["layout_cpu_us_per_key"] =
      std::chrono::duration<double, std::micro>(layoutCpu).count() / double(state.iterations() * kKeys);
  state.SetItemsProcessed(int64_t(state.iterations()) * kKeys);
  state.counters["pages"] = pageCount;
}

void DocumentTyping(benchmark::State& state) {
  TypeThroughDocument(state, int32_t(state.range(0)), Place(state.range(1)), kNoField, kCharacterKey);
}

// Characters or Returns at the end of the body, without a field, with a
// page number or with a page count on the first page.
void DocumentTypingWithField(benchmark::State& state) {
  TypeThroughDocument(state, int32_t(state.range(0)), kEnd, Field(state.range(1)), Key(state.range(2)));
}

void DocumentTypingArgs(benchmark::internal::Benchmark* b) {
  for (int32_t pages : kReferencePages) {
    for (int place : {kEnd, kMiddle, kStart, kEndAfterMove}) b->Args({pages, place});
  }
}

void TypingArgs(benchmark::internal::Benchmark* b) {
  for (int32_t pages : kReferencePages) {
    for (int place : {kEnd, kMiddle, kStart}) b->Args({pages, place});
  }
}

}  // namespace

BENCHMARK(Typing)->ArgNames({"pages", "end0_mid1_start2"})->Apply(TypingArgs)->Unit(benchmark::kMillisecond);
BENCHMARK(RandomSelections)->ArgNames({"pages", "anywhere0_end1"})->ArgsProduct({{50, 500, 2000}, {0, 1}})
    ->Unit(benchmark::kMillisecond)->Iterations(20);

BENCHMARK(ComposeTypingAtEnd)->ArgName("pages")->Arg(50)->Arg(500)->Arg(2000)
    ->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(ComposeTypingInLongParagraph)->ArgNames({"lines", "words"})
    ->ArgsProduct({{10, 1000, 10000}, {0, 1}})
    ->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(ComposePropertyChange)->ArgName("pages")->Arg(50)->Arg(500)->Arg(2000)
    ->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(DocumentTyping)->ArgNames({"pages", "end0_mid1_start2_endmoved3"})->Apply(DocumentTypingArgs)
    ->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(DocumentTypingWithField)
    ->ArgNames({"pages", "none0_number1_count2", "char0_return1"})
    ->ArgsProduct({{50, 500, 2000}, {kNoField, kPageNumberField, kPageCountField}, {kCharacterKey, kReturnKey}})
    ->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(ComposeAll)->ArgName("pages")->Arg(50)->Arg(500)->Arg(2000)->Unit(benchmark::kMillisecond)
    ->Iterations(1);

// A whole rebuild of the emoji text, whose clusters of several units are
// measured shaped.
void ComposeEmojiText(benchmark::State& state) {
  const auto pages = int32_t(state.range(0));
  auto composed = std::make_unique<ComposedText>(pages, true);
  for (auto _ : state) {
    if (composed->lines.ComposeAll(composed->font) != 0) state.SkipWithError("composition failed");
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * EmojiText(pages).positions);
  state.counters["lines"] = composed->lines.GetLineCount();
}
BENCHMARK(ComposeEmojiText)->ArgName("pages")->Arg(50)->Arg(500)->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char** argv) {
  return RunBenchmarksWithCoreServices(argc, argv, &InitGraphics, &ExitGraphics);
}
