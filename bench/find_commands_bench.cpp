// Replace all (command 112) on an offscreen area's document of N words, one
// word in ten a match: the commands' round trip with the find, the new text
// built in one walk and put in place, and the lines and pages brought up to
// date after; then the same with the undo history recording, each pass
// followed by the undo that takes it back. Expected linear in the words.
// And whole-word searches over texts of the reference document's 50, 500
// and 2,000 pages, Latin or Latin and CJK words touching: a find of a word
// the text does not hold, and a replace all of a word, back and forth.
// Whether a word ends where a Latin and a CJK word touch is asked only at
// a candidate match's two ends, so both cost what the search without the
// script rule cost. Two builds compare exactly by instructions, counted on
// the timed calls alone: valgrind --tool=callgrind --collect-atstart=no
// --toggle-collect='xMorvaEngine::SearchText*' (a find) or
// 'xMorvaMain::ExecuteCommand*' (a replace all).
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <string>

#include "area/xMorvaMain.h"
#include "area/xMorvaPlugIn.h"
#include "bench/AreaBenchSupport.h"
#include "bench/BenchMain.h"
#include "bench/ReferenceDocument.h"
#include "boundary/HostRecords.h"
#include "boundary/ModuleExports.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaLayoutInterface.h"
#include "document/xMorvaText.h"
#include "engine/xMorvaDocumentEngineServices.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/strings/VUniString.h"
#include "framework/system/resources/VMacResourceFile.h"
#include "graphics/VCharWidthCache.h"
#include "host/context/VHostContext.h"
#include "platform/toolbox/TbxHandles.h"
#include "platform/toolbox/TbxResources.h"

namespace {


void Start() {
  OpenAreaServices();
}

void Stop() {
  CloseAreaServices();
}

// A host text record over a handle of the text's bytes.
struct HostText {
  explicit HostText(const char* text) {
    record.length = int16_t(std::strlen(text));
    record.handle = uint32_t(Tbx::NewHandle(record.length));
    std::memcpy(Tbx::HLock(record.handle), text, size_t(record.length));
    Tbx::HUnlock(record.handle);
  }
  ~HostText() { Tbx::DisposeHandle(record.handle); }
  HostTextRecord record{};
};

// Puts the characters into the text as one insertion, the caret at the start.
void InsertCharacters(xMorvaTextInterface& text, const std::u16string& characters) {
  VStrInHandle string;
  string.SetUniChars(characters.data(), 0, int32_t(characters.size()));
  VMemHandle units = gMemoryMgr->NewEmptyHandle();
  uint32_t positions = 0, bytes = 0;
  if (text.StringToUnits(string, units, positions, bytes, false)) text.InsertHandle(units, int32_t(positions));
  gMemoryMgr->DisposeHandle(units);
  text.SetSelection(0, 0);
}

// N words in paragraphs of 100; every tenth word is "alpha".
void FillWords(xMorvaTextInterface& text, int64_t words) {
  std::u16string characters;
  characters.reserve(size_t(words) * 6);
  for (int64_t i = 0; i < words; ++i) {
    characters += i % 10 == 9 ? u"alpha" : u"words";
    characters += i % 100 == 99 ? u'\r' : u' ';
  }
  InsertCharacters(text, characters);
}

// A started package, current, with one area of its own.
xMorvaPlugIn* StartArea(std::unique_ptr<xMorvaMain>& package) {
  package = std::make_unique<xMorvaMain>(nullptr);
  package->Init();
  gCurrentPackage = package.get();
  auto* area = new xMorvaPlugIn(package.get());
  area->ReloadCommands();
  return area;
}

// Replace all on N words, back and forth; with `undo`, the history records
// and each replacement is undone at once.
void RunReplaceAll(benchmark::State& state, bool undo) {
  std::unique_ptr<xMorvaMain> package;
  xMorvaPlugIn* area = StartArea(package);
  xMorvaDocument& document = *area->GetDocument();
  FillWords(*document.GetCurrentPart(), state.range(0));
  // Undo keeps every replaced word: the first benchmark measures the
  // replacing alone, with recording off; the second records and undoes.
  document.SetAreaSetting(2, undo ? 1 : 0, nullptr);
  document.GetLayout()->ComposeAll();
  uint32_t reference = area->GetReference();
  // Each pass replaces back what the one before replaced.
  HostText alpha("alpha"), omega("omega");
  int16_t whole = 1, matchCase = 1, all = 0, wrap = 1;
  void* forth[] = {&reference, &alpha.record, &omega.record, &whole, &matchCase, &all, &wrap};
  void* back[] = {&reference, &omega.record, &alpha.record, &whole, &matchCase, &all, &wrap};
  int32_t result = 0;
  bool forward = true;
  for (auto _ : state) {
    package->ExecuteCommand(112, forward ? forth : back, &result);
    if (result != 1) state.SkipWithError("nothing was replaced");
    if (undo) {
      document.DoCommand(1);
    } else {
      forward = !forward;
    }
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
  state.counters["matches"] = double(state.range(0) / 10);
  gCurrentPackage = nullptr;
  package.reset();
}

// Pages of words in paragraphs of 100 words: "alpha" every tenth word,
// and with `cjk` every other word a Latin word and a CJK word touching.
void FillPages(xMorvaTextInterface& text, int64_t pages, bool cjk) {
  static const char16_t* const kLatin[] = {u"words", u"text", u"page", u"lines", u"search"};
  static const char16_t* const kMixed[] = {u"words", u"\u6771\u4EAC", u"Tokyo\u6771\u4EAC", u"page",
                                           u"\u5927\u962A\u5E9C"};
  std::u16string characters;
  const size_t units = size_t(pages) * ReferenceDocument::kUnitsPerPage;
  characters.reserve(units + 16);
  for (size_t i = 0; characters.size() < units; ++i) {
    characters += i % 10 == 9 ? u"alpha" : (cjk ? kMixed : kLatin)[i % 5];
    characters += i % 100 == 99 ? u'\r' : u' ';
  }
  InsertCharacters(text, characters);
}

// range(0) pages, range(1) 1 for Latin and CJK; range(2) 0 a find of an
// absent word, 1 a replace all of "alpha" and back.
void BM_WholeWordSearch(benchmark::State& state) {
  std::unique_ptr<xMorvaMain> package;
  xMorvaPlugIn* area = StartArea(package);
  xMorvaDocument& document = *area->GetDocument();
  xMorvaTextInterface& text = *document.GetCurrentPart();
  FillPages(text, state.range(0), state.range(1) != 0);
  document.SetAreaSetting(2, 0, nullptr);
  document.GetLayout()->ComposeAll();
  const int32_t length = text.GetLength();
  uint32_t reference = area->GetReference();
  HostText alpha("alpha"), omega("omega");
  int16_t whole = 1, matchCase = 1, all = 0, wrap = 1;
  void* forth[] = {&reference, &alpha.record, &omega.record, &whole, &matchCase, &all, &wrap};
  void* back[] = {&reference, &omega.record, &alpha.record, &whole, &matchCase, &all, &wrap};
  VStrInHandle absent;
  absent.SetUniChars(u"Osaka", 0, 5);
  int32_t result = 0;
  bool forward = true;
  for (auto _ : state) {
    if (state.range(2) == 0) {
      if (text.SearchText(0, length, absent, nullptr, nullptr, true, false)) state.SkipWithError("found");
    } else {
      package->ExecuteCommand(112, forward ? forth : back, &result);
      if (result != 1) state.SkipWithError("nothing was replaced");
      forward = !forward;
    }
  }
  state.SetItemsProcessed(state.iterations() * length);
  gCurrentPackage = nullptr;
  package.reset();
}
BENCHMARK(BM_WholeWordSearch)
    ->ArgsProduct({{kReferencePages[0], kReferencePages[1], kReferencePages[2]}, {0, 1}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

void BM_ReplaceAll(benchmark::State& state) { RunReplaceAll(state, false); }
void BM_ReplaceAllAndUndo(benchmark::State& state) { RunReplaceAll(state, true); }
BENCHMARK(BM_ReplaceAll)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_ReplaceAllAndUndo)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

int main(int argc, char** argv) { return RunBenchmarksWithCoreServices(argc, argv, &Start, &Stop); }
