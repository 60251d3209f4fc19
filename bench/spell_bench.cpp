// The spelling engine library's word finder over 10,000, 100,000 and
// 1,000,000 words of text (one word in twenty misspelled), beside
// `hunspell -l` over the same text with the same dictionary.
#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "platform/speller/QvSpell.h"

namespace {

std::string Words(int64_t count) {
  static const char* const kWords[] = {"the", "printer", "letter", "invoice", "ready", "customer", "table",
                                       "record", "page", "column", "header", "footer", "picture", "document",
                                       "spelling", "word", "sentence", "paragraph", "morning", "recieve"};
  std::string text;
  for (int64_t i = 0; i < count; ++i) {
    text += kWords[i % 20];
    text += (i % 12 == 11) ? ". " : " ";
  }
  return text;
}

struct Engine {
  void* library = dlopen(QV_SPELL_LIBRARY, RTLD_NOW | RTLD_LOCAL);
  uintptr_t instance = 0;
  QvSpellCheck check = nullptr;
  Engine() {
    if (library == nullptr) return;
    auto open = reinterpret_cast<QvSpellOpen>(dlsym(library, "QvOrdinal2"));
    auto dictionary = reinterpret_cast<QvSpellOpenDictionary>(dlsym(library, "QvOrdinal7"));
    check = reinterpret_cast<QvSpellCheck>(dlsym(library, "QvOrdinal4"));
    uint8_t information[11] = {};
    uintptr_t list = 0;
    if (open == nullptr || dictionary == nullptr || open(&instance, information) != 0 ||
        dictionary(instance, "en_US.lex", "", 1, 1, 0, &list) != 0)
      check = nullptr;
  }
};

// Sentences of at most 32,000 characters, as the word processor hands them.
int64_t FindAll(Engine& engine, const std::string& text) {
  int64_t found = 0;
  char buffer[kQvSpellSuggestionBufferSize];
  char second[kQvSpellSecondBufferSize];
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('.', start);
    end = end == std::string::npos ? text.size() : std::min(end + 1, start + 32000);
    const std::string sentence = text.substr(start, end - start);
    QvSpellInput input{uint16_t(sentence.size()), 1, 1, kQvSpellFirstCall, sentence.c_str(), nullptr, nullptr};
    QvSpellResult result{0, 0, 0, 0, 0, sizeof buffer, buffer, second, sizeof second};
    while (engine.check(engine.instance, kQvSpellFindNext, &input, &result) == 0 &&
           result.status != kQvSpellNothingFound) {
      ++found;
      const uint16_t past = uint16_t(result.wordOffset + result.wordLength);
      input.text += past;  // ASCII text: a character a byte
      input.charactersLeft = uint16_t(input.charactersLeft - past);
      input.state = kQvSpellContinuing;
    }
    start = end;
  }
  return found;
}

void SpellEngine(benchmark::State& state) {
  static Engine engine;
  if (engine.check == nullptr) {
    state.SkipWithError("the engine library did not load");
    return;
  }
  const std::string text = Words(state.range(0));
  int64_t found = 0;
  for (auto _ : state) found = FindAll(engine, text);
  state.SetItemsProcessed(int64_t(state.iterations()) * state.range(0));
  state.counters["misspelled"] = double(found);
}

void SpellHunspellPeer(benchmark::State& state) {
  char path[] = "/tmp/qv-spell-bench-XXXXXX";
  const int fd = mkstemp(path);
  if (fd < 0) {
    state.SkipWithError("no scratch file");
    return;
  }
  close(fd);
  std::ofstream(path) << Words(state.range(0)) << "\n";
  const std::string command = std::string("hunspell -i utf-8 -d /usr/share/hunspell/en_US -l < ") + path + " | wc -l";
  int64_t found = 0;
  for (auto _ : state) {
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr || std::fscanf(pipe, "%ld", &found) != 1) found = -1;
    if (pipe != nullptr) pclose(pipe);
  }
  unlink(path);
  state.SetItemsProcessed(int64_t(state.iterations()) * state.range(0));
  state.counters["misspelled"] = double(found);
}

}  // namespace

BENCHMARK(SpellEngine)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(SpellHunspellPeer)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(1);
