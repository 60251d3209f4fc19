// The host's spelling service: words are runs of letters; a word not in the
// list (compared without case) is selected in the module's area, in order.
#include "qvhost/HostSpeller.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "boundary/HostServiceSelectors.h"

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

}  // namespace

std::vector<std::string>& HostSpellingFound() {
  static std::vector<std::string> found;
  return found;
}

void HostSpellingService(void* first, void* second) {
  if (first != nullptr) {
    auto* hello = static_cast<HostSpellingHello*>(first);
    if (hello->word == kSpellingServiceAsk) hello->word = kSpellingServiceReady;
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
