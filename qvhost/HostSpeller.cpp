// The host's spellers: words are runs of letters; a word not in the list
// (compared without case) is selected in the module's area, in order. The
// engine also corrects the few misspellings it knows.
#include "qvhost/HostSpeller.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "boundary/HostServiceSelectors.h"
#include "platform/toolbox/TbxHandleLocker.h"
#include "platform/toolbox/TbxHandles.h"

namespace {

const char* const kWords[] = {"a",   "an",   "and", "are",  "check", "in",   "is",   "it",    "of",   "on",
                              "one", "text", "the", "this", "to",    "two",  "was",  "word",  "words", "with"};

bool Known(const std::string& word) {
  std::string lower(word);
  for (char& c : lower) c = char(std::tolower(static_cast<unsigned char>(c)));
  return std::find_if(std::begin(kWords), std::end(kWords), [&](const char* w) { return lower == w; }) !=
         std::end(kWords);
}

bool Letter(uint8_t c) { return std::isalpha(c) != 0 || c >= 0xC0; }

// The misspellings the engine corrects (compared as written).
struct Correction {
  const char* word;
  const char* replacement;
};
const Correction kCorrections[] = {{"teh", "the"}, {"adn", "and"}, {"wrd", "word"}, {"thiss", "this"}};

const char* CorrectionOf(const std::string& word) {
  for (const Correction& c : kCorrections)
    if (word == c.word) return c.replacement;
  return nullptr;
}

bool gServiceOffered = true;
// The longest word the engine looks at, asked of the module on a check's
// first chunk; longer runs of letters are no words.
uint32_t gLongestWord = 0;

uint16_t CallModule(HostEngineRecord& record, HostEngineBlock& block) {
  record.operation = block.operation;
  HostEngineBlock* pointer = &block;
  return record.callBack(&pointer);
}

// One chunk: each word it does not know is selected, and replaced when the
// engine knows the right spelling; a chunk without such a word still asks
// for the next. An answer other than 0 from the module ends the chunk
// without asking for more.
void CheckChunk(const HostEngineLink* link) {
  if (link == nullptr || link->record == nullptr || link->record->callBack == nullptr) return;
  HostEngineRecord& record = *link->record;
  const Tbx::Handle handle = record.textHandle;
  const int32_t size = handle != 0 ? Tbx::GetHandleSize(handle) : 0;
  const uint32_t length = std::min<uint32_t>(record.chunkLength, size > 0 ? uint32_t(size) : 0);
  std::string text;
  if (length > 0) {
    Tbx::HandleLocker locked(handle);
    if (locked) text.assign(locked.As<const char>(), length);
  }
  HostSpellingChunks().push_back(text);
  HostEngineBlock block{};
  if (record.firstCall != 0) {
    block.operation = 4;
    block.area = record.area;
    gLongestWord = CallModule(record, block) == 0 ? block.start : 0;
  }
  int64_t shift = 0;
  bool asked = false;
  uint32_t i = 0;
  while (i < text.size()) {
    if (!Letter(uint8_t(text[i]))) {
      ++i;
      continue;
    }
    const uint32_t start = i;
    while (i < text.size() && Letter(uint8_t(text[i]))) ++i;
    const std::string word = text.substr(start, i - start);
    if (Known(word) || (gLongestWord != 0 && word.size() > gLongestWord)) continue;
    HostSpellingFound().push_back(word);
    block = HostEngineBlock{};
    block.operation = 0;
    block.start = uint32_t(start + shift);
    block.end = uint32_t(i + shift);
    block.area = record.area;
    asked = true;
    if (CallModule(record, block) != 0) return;
    const char* replacement = CorrectionOf(word);
    if (replacement == nullptr) continue;
    block.operation = 1;
    block.text[0] = uint8_t(std::strlen(replacement));
    std::memcpy(block.text + 1, replacement, block.text[0]);
    if (CallModule(record, block) != 0) return;
    shift += int64_t(block.text[0]) - int64_t(word.size());
  }
  if (!asked) {
    block = HostEngineBlock{};
    block.start = block.end = uint32_t(length + shift);
    block.area = record.area;
    CallModule(record, block);
  }
}

}  // namespace

void HostSpellingOfferService(bool offered) { gServiceOffered = offered; }

std::vector<std::string>& HostSpellingChunks() {
  static std::vector<std::string> chunks;
  return chunks;
}

int32_t& HostSpellingChecksEnded() {
  static int32_t ended = 0;
  return ended;
}

std::vector<std::string>& HostSpellingFound() {
  static std::vector<std::string> found;
  return found;
}

void HostSpellingService(void* first, void* second) {
  // The engine's requests are small numbers where the service gets a record.
  const auto request = reinterpret_cast<uintptr_t>(first);
  if (request == kSpellingEngineCheck) {
    CheckChunk(static_cast<const HostEngineLink*>(second));
    return;
  }
  if (request == kSpellingEngineEnd) {
    ++HostSpellingChecksEnded();
    gLongestWord = 0;
    return;
  }
  if (first != nullptr) {
    auto* hello = static_cast<HostSpellingHello*>(first);
    if (hello->word == kSpellingServiceAsk && gServiceOffered) hello->word = kSpellingServiceReady;
    return;
  }
  auto* check = static_cast<HostSpellingCheck*>(second);
  if (check == nullptr || check->text == nullptr || check->callBack == nullptr) return;
  uint32_t i = 0;
  while (i < check->textSize) {
    if (!Letter(check->text[i])) {
      ++i;
      continue;
    }
    const uint32_t start = i;
    while (i < check->textSize && Letter(check->text[i])) ++i;
    const std::string word(reinterpret_cast<const char*>(check->text) + start, i - start);
    if (Known(word)) continue;
    HostSpellingFound().push_back(word);
    HostSpellingRequest request{0, check->selectionStart + start, check->selectionStart + i, nullptr, 0,
                                check->area};
    check->callBack(&request);
  }
}
