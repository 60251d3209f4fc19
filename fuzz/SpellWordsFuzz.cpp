// Fuzz target of the spelling engine library's word finder and its user
// dictionary reader. The first byte chooses the characters handed over
// (the whole text or a part); the rest is the text, as any document may
// hold it, and also a user dictionary file. Every word found must lie
// inside the characters handed over, and the search must get past it.
#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/speller/QvSpell.h"

namespace {

struct Engine {
  void* library = dlopen(QV_SPELL_LIBRARY, RTLD_NOW | RTLD_LOCAL);
  uintptr_t instance = 0;
  uintptr_t list = 0;
  template <typename Entry>
  Entry Get(int ordinal) {
    const std::string name = "QvOrdinal" + std::to_string(ordinal);
    return library != nullptr ? reinterpret_cast<Entry>(dlsym(library, name.c_str())) : nullptr;
  }
  Engine() {
    auto open = Get<QvSpellOpen>(2);
    auto dictionary = Get<QvSpellOpenDictionary>(7);
    uint8_t information[11] = {};
    if (open == nullptr || dictionary == nullptr || open(&instance, information) != 0) std::abort();
    if (dictionary(instance, "en_US.lex", "", 1, 1, 0, &list) != 0) std::abort();
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Engine engine;
  static auto check = engine.Get<QvSpellCheck>(4);
  static auto user = engine.Get<QvSpellOpenUserDictionary>(8);
  if (size == 0) return 0;
  const uint8_t choice = data[0];
  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  // The same bytes as a user dictionary: any line is a word or nothing.
  if ((choice & 0x80) != 0) {
    char path[] = "/tmp/qv-spell-fuzz-XXXXXX";
    const int fd = mkstemp(path);
    if (fd >= 0) {
      if (write(fd, text.data(), text.size()) < 0) std::abort();
      close(fd);
      uintptr_t id = 0;
      uint8_t flag = 0;
      user(engine.instance, path, 1, kQvSpellIgnoreList, &id, &flag);
      unlink(path);
    }
  }
  const std::string zeroEnded = text.c_str();  // the text stops at its first zero
  char buffer[kQvSpellSuggestionBufferSize];
  char second[kQvSpellSecondBufferSize];
  QvSpellInput input{uint16_t(choice & 0x7F ? (choice & 0x7F) * 16 : 0xFFFF), 1, 1, kQvSpellFirstCall,
                     zeroEnded.c_str(), nullptr, nullptr};
  QvSpellResult result{0, 0, 0, 0, 0, sizeof buffer, buffer, second, sizeof second};
  for (int guard = 0; guard < 4096; ++guard) {
    if (check(engine.instance, kQvSpellFindNext, &input, &result) != 0) std::abort();
    if (result.status == kQvSpellNothingFound) break;
    if (result.wordLength == 0 || uint32_t(result.wordOffset) + result.wordLength > input.charactersLeft) std::abort();
    // Past the word: the pointer moves by its characters' bytes.
    size_t at = 0;
    const std::string rest = input.text;
    for (uint32_t n = 0; n < uint32_t(result.wordOffset) + result.wordLength && at < rest.size(); ++n) {
      const uint8_t lead = uint8_t(rest[at]);
      size_t length = lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3 : (lead >> 3) == 30 ? 4 : 1;
      bool whole = at + length <= rest.size();
      for (size_t i = 1; whole && i < length; ++i) whole = (uint8_t(rest[at + i]) & 0xC0) == 0x80;
      at += whole ? length : 1;
    }
    if (at == 0) std::abort();
    input.text += at;
    input.charactersLeft = uint16_t(input.charactersLeft - result.wordOffset - result.wordLength);
    input.state = kQvSpellContinuing;
  }
  return 0;
}
