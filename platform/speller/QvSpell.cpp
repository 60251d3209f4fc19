// The spelling engine library on Hunspell: engine instances with their
// dictionaries, the word finder, suggestions, the ignore-all and
// change-always lists, and the user dictionary kept as a word list file.
#include "platform/speller/QvSpell.h"

#include <hunspell/hunspell.hxx>
#include <locale.h>
#include <sys/stat.h>
#include <wctype.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#define QV_SPELL_ENTRY extern "C" __attribute__((visibility("default")))

namespace {

constexpr const char* kSystemDictionaryFolder = "/usr/share/hunspell/";

struct Instance {
  std::unique_ptr<Hunspell> dictionary;
  // The dictionary's own word characters besides the letters.
  std::u32string extraWordCharacters;
  std::set<std::string> ignored;
  std::map<std::string, std::string> changes;
  std::string userPath;
  // Suggestions of the word asked last, and how many were handed out.
  std::vector<std::string> suggestions;
  size_t handedOut = 0;
};

std::mutex sLock;
std::map<uintptr_t, std::unique_ptr<Instance>> sInstances;
uintptr_t sNextInstance = 1;

Instance* Find(uintptr_t instance) {
  auto it = sInstances.find(instance);
  return it != sInstances.end() ? it->second.get() : nullptr;
}

bool Exists(const std::string& path) {
  struct stat info{};
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// The dictionary's files for a ".lex" path: beside it, else the system's.
bool DictionaryFiles(const char* lex, std::string& aff, std::string& dic) {
  if (lex == nullptr || *lex == 0) return false;
  std::string path = lex;
  const size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  const size_t dot = base.rfind('.');
  if (dot != std::string::npos && dot > 0) base.resize(dot);
  if (base.empty() || base.find("..") != std::string::npos) return false;
  std::vector<std::string> folders;
  if (!folder.empty()) folders.push_back(folder);
  folders.push_back(kSystemDictionaryFolder);
  for (const std::string& where : folders) {
    aff = where + base + ".aff";
    dic = where + base + ".dic";
    if (Exists(aff) && Exists(dic)) return true;
  }
  return false;
}

// ---- UTF-8, one code point at a time; a malformed byte counts as one
// character of its own (U+FFFD) so that offsets never run past the text.
char32_t Decode(const std::string& text, size_t& at) {
  const auto byte = [&](size_t i) { return uint8_t(text[i]); };
  const uint8_t lead = byte(at);
  size_t length = lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3 : (lead >> 3) == 30 ? 4 : 0;
  if (length == 0 || at + length > text.size()) {
    ++at;
    return 0xFFFD;
  }
  char32_t c = length == 1 ? lead : lead & (0x7F >> length);
  for (size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) {
      ++at;
      return 0xFFFD;
    }
    c = (c << 6) | (byte(at + i) & 0x3F);
  }
  at += length;
  return c;
}

// Letters are told by the C library's UTF-8 character classes; the locale
// goes with the library when it is unloaded.
struct Utf8Classes {
  locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr);
  ~Utf8Classes() {
    if (locale != nullptr) freelocale(locale);
  }
};

locale_t Utf8Locale() {
  static Utf8Classes classes;
  return classes.locale;
}

bool IsLetter(char32_t c) {
  locale_t locale = Utf8Locale();
  return locale != nullptr ? iswalpha_l(wint_t(c), locale) != 0 : (c < 128 && std::isalpha(int(c)));
}

// A combining mark (an accent written after its letter, a vowel sign, a
// virama): it goes with the letter before it, as in Hunspell's reader, so
// that no word ends inside a letter with its marks.
bool IsMark(char32_t c) {
  if (c < 0x0300) return false;
  locale_t locale = Utf8Locale();
  static const wctype_t combining = locale != nullptr ? wctype_l("combining", locale) : 0;
  return combining != 0 && iswctype_l(wint_t(c), combining, locale) != 0;
}

bool IsWordCharacter(const Instance& instance, char32_t c) {
  if (c == 0) return false;
  if (instance.extraWordCharacters.find(c) != std::u32string::npos) return true;
  return IsLetter(c);
}

// Punctuation that a dictionary counts among its word characters (the
// full stop, the hyphen, the apostrophes): no letter and no digit.
bool IsPunctuation(char32_t c) { return !IsLetter(c) && !IsMark(c) && !(c >= U'0' && c <= U'9'); }

// A word without its soft hyphens (U+00AD, UTF-8 C2 AD), which mark where
// a line may break and are no part of its spelling.
std::string WithoutSoftHyphens(std::string word) {
  for (size_t at = word.find("\xC2\xAD"); at != std::string::npos; at = word.find("\xC2\xAD", at))
    word.erase(at, 2);
  return word;
}

// The words of the text as Hunspell's own text reader finds them: runs of
// letters and the dictionary's word characters with the marks after them,
// with an apostrophe kept between two word characters. A soft hyphen between two word characters
// belongs to the word's characters (a change replaces it with the word) and
// not to its text, which is looked up. Punctuation at a word's end (a full
// stop among the French or German word characters) belongs to it only as
// far as the dictionary knows the word with it ("etc.", "z.B."): otherwise
// the word ends before it, so that a change replaces the letters alone and
// the sentence keeps its full stop. A run without a letter or a digit is
// no word.
struct Word {
  size_t firstCharacter;
  size_t characters;
  std::string text;
};

std::vector<Word> Words(const Instance& instance, const std::string& text, size_t characterLimit) {
  std::vector<char32_t> chars;
  std::vector<size_t> starts;
  size_t at = 0;
  while (at < text.size() && chars.size() < characterLimit) {
    starts.push_back(at);
    chars.push_back(Decode(text, at));
  }
  starts.push_back(at);
  const size_t end = chars.size();
  std::vector<Word> words;
  size_t i = 0;
  while (i < end) {
    if (!IsWordCharacter(instance, chars[i])) {
      ++i;
      continue;
    }
    const size_t first = i;
    while (i < end) {
      if (IsWordCharacter(instance, chars[i]) || IsMark(chars[i])) {
        ++i;
      } else if ((chars[i] == U'\'' || chars[i] == U'\u2019' || chars[i] == U'\u00AD') && i + 1 < end &&
                 IsWordCharacter(instance, chars[i + 1])) {
        ++i;
      } else {
        break;
      }
    }
    const auto textOf = [&](size_t last) {
      return WithoutSoftHyphens(text.substr(starts[first], starts[last] - starts[first]));
    };
    size_t core = i;
    while (core > first && IsPunctuation(chars[core - 1])) --core;
    if (core == first) continue;
    size_t last = core;
    // A word without closing punctuation is looked up once, by the check.
    for (size_t with = core; core < i && with <= i && instance.dictionary; ++with) {
      if (instance.dictionary->spell(textOf(with))) {
        last = with;
        break;
      }
    }
    words.push_back({first, last - first, textOf(last)});
  }
  return words;
}

// The buffer takes as many whole zero-terminated strings as fit.
uint16_t FillSuggestions(Instance& instance, QvSpellResult& result) {
  uint16_t count = 0;
  size_t used = 0;
  const size_t size = result.buffer != nullptr ? result.bufferSize : 0;
  while (instance.handedOut < instance.suggestions.size()) {
    const std::string& s = instance.suggestions[instance.handedOut];
    if (used + s.size() + 1 > size) break;
    std::memcpy(result.buffer + used, s.c_str(), s.size() + 1);
    used += s.size() + 1;
    ++instance.handedOut;
    ++count;
  }
  if (used < size) result.buffer[used] = 0;
  result.suggestionCount = count;
  return count;
}

std::string TextOf(const QvSpellInput& input) {
  // The text is zero-terminated; the characters left bound what is read.
  return input.text != nullptr ? std::string(input.text) : std::string();
}

}  // namespace

QV_SPELL_ENTRY uint16_t QvOrdinal1() { return kQvSpellOK; }

QV_SPELL_ENTRY uint16_t QvOrdinal2(uintptr_t* instance, uint8_t* information) {
  if (instance == nullptr) return kQvSpellBadArgument;
  std::lock_guard<std::mutex> guard(sLock);
  *instance = sNextInstance++;
  sInstances[*instance] = std::make_unique<Instance>();
  if (information != nullptr) std::memset(information, 0, 11);
  return kQvSpellOK;
}

QV_SPELL_ENTRY uint16_t QvOrdinal3(uintptr_t instance, uint32_t) {
  std::lock_guard<std::mutex> guard(sLock);
  return Find(instance) != nullptr ? kQvSpellOK : kQvSpellBadInstance;
}

QV_SPELL_ENTRY uint16_t QvOrdinal4(uintptr_t instance, uint16_t mode, QvSpellInput* input, QvSpellResult* result) {
  std::lock_guard<std::mutex> guard(sLock);
  Instance* self = Find(instance);
  if (self == nullptr) return kQvSpellBadInstance;
  if (!self->dictionary) return kQvSpellNoDictionary;
  if (input == nullptr || result == nullptr) return kQvSpellBadArgument;
  result->suggestionCount = 0;
  const std::string text = TextOf(*input);
  if (mode == kQvSpellFindNext) {
    for (const Word& word : Words(*self, text, input->charactersLeft)) {
      if (self->ignored.count(word.text) != 0) continue;
      auto change = self->changes.find(word.text);
      if (change != self->changes.end()) {
        self->suggestions = {change->second};
        self->handedOut = 0;
        FillSuggestions(*self, *result);
        result->wordOffset = uint16_t(word.firstCharacter);
        result->wordLength = uint16_t(word.characters);
        result->status = kQvSpellReplacementKnown;
        return kQvSpellOK;
      }
      if (self->dictionary->spell(word.text)) continue;
      result->wordOffset = uint16_t(word.firstCharacter);
      result->wordLength = uint16_t(word.characters);
      result->status = kQvSpellWordNotFound;
      return kQvSpellOK;
    }
    result->status = kQvSpellNothingFound;
    return kQvSpellOK;
  }
  if (mode == kQvSpellFirstSuggestions || mode == kQvSpellMoreSuggestions) {
    if (mode == kQvSpellFirstSuggestions) {
      // The word: the characters left from the text pointer.
      std::string word;
      size_t at = 0;
      for (uint16_t n = 0; n < input->charactersLeft && at < text.size(); ++n) Decode(text, at);
      word = WithoutSoftHyphens(text.substr(0, at));
      self->suggestions = word.empty() ? std::vector<std::string>() : self->dictionary->suggest(word);
      self->handedOut = 0;
    }
    FillSuggestions(*self, *result);
    result->status = self->handedOut >= self->suggestions.size() ? kQvSpellNoMoreSuggestions : kQvSpellWordNotFound;
    return kQvSpellOK;
  }
  return kQvSpellBadArgument;
}

QV_SPELL_ENTRY uint16_t QvOrdinal5(uintptr_t instance, uint32_t) {
  std::lock_guard<std::mutex> guard(sLock);
  return sInstances.erase(instance) != 0 ? kQvSpellOK : kQvSpellBadInstance;
}

QV_SPELL_ENTRY uint16_t QvOrdinal6(const char* path, uint16_t, uint32_t* out) {
  std::string aff, dic;
  const bool found = DictionaryFiles(path, aff, dic);
  if (out != nullptr) *out = found ? 1 : 0;
  return found ? kQvSpellOK : kQvSpellNoDictionary;
}

QV_SPELL_ENTRY uint16_t QvOrdinal7(uintptr_t instance, const char* path, const char*, uint32_t, uint32_t, uint16_t,
                                   uintptr_t* list) {
  std::string aff, dic;
  if (!DictionaryFiles(path, aff, dic)) return kQvSpellNoDictionary;
  std::lock_guard<std::mutex> guard(sLock);
  Instance* self = Find(instance);
  if (self == nullptr) return kQvSpellBadInstance;
  self->dictionary = std::make_unique<Hunspell>(aff.c_str(), dic.c_str());
  self->extraWordCharacters.clear();
  const std::string& extra = self->dictionary->get_wordchars_cpp();
  for (size_t at = 0; at < extra.size();) self->extraWordCharacters.push_back(Decode(extra, at));
  if (list != nullptr) *list = instance;
  return kQvSpellOK;
}

QV_SPELL_ENTRY uint16_t QvOrdinal8(uintptr_t instance, const char* path, uint32_t, uint32_t, uintptr_t* id,
                                   uint8_t* flag) {
  std::lock_guard<std::mutex> guard(sLock);
  Instance* self = Find(instance);
  if (self == nullptr) return kQvSpellBadInstance;
  if (!self->dictionary) return kQvSpellNoDictionary;
  self->userPath = path != nullptr ? path : "";
  // The user's words, one a line, join the dictionary.
  std::ifstream words(self->userPath);
  std::string word;
  while (std::getline(words, word)) {
    if (!word.empty()) self->dictionary->add(word);
  }
  if (id != nullptr) *id = instance;
  if (flag != nullptr) *flag = 1;
  return kQvSpellOK;
}

// A word handed in is looked up, ignored, added and changed without its
// soft hyphens, as the words of a text are.
QV_SPELL_ENTRY uint16_t QvOrdinal9(uintptr_t instance, uintptr_t list, const char* given) {
  std::lock_guard<std::mutex> guard(sLock);
  Instance* self = Find(instance);
  if (self == nullptr) return kQvSpellBadInstance;
  if (given == nullptr || std::strchr(given, '\n') != nullptr) return kQvSpellBadArgument;
  const std::string word = WithoutSoftHyphens(given);
  if (word.empty()) return kQvSpellBadArgument;
  if (list == kQvSpellIgnoreList) {
    self->ignored.insert(word);
    return kQvSpellOK;
  }
  if (!self->dictionary || list != instance) return kQvSpellNoDictionary;
  self->dictionary->add(word);
  if (!self->userPath.empty()) {
    std::ofstream file(self->userPath, std::ios::app);
    file << word << '\n';
  }
  return kQvSpellOK;
}

QV_SPELL_ENTRY uint16_t QvOrdinal10(uintptr_t instance, uint32_t list, const char* word, const char* replacement) {
  std::lock_guard<std::mutex> guard(sLock);
  Instance* self = Find(instance);
  if (self == nullptr) return kQvSpellBadInstance;
  if (list != kQvSpellChangeList || word == nullptr || replacement == nullptr) return kQvSpellBadArgument;
  const std::string key = WithoutSoftHyphens(word);
  if (key.empty()) return kQvSpellBadArgument;
  self->changes[key] = replacement;
  return kQvSpellOK;
}

QV_SPELL_ENTRY uint16_t QvOrdinal11() { return kQvSpellOK; }
QV_SPELL_ENTRY uint16_t QvOrdinal12() { return kQvSpellOK; }
QV_SPELL_ENTRY uint16_t QvOrdinal13() { return kQvSpellOK; }
QV_SPELL_ENTRY uint16_t QvOrdinal14() { return kQvSpellOK; }
QV_SPELL_ENTRY uint16_t QvOrdinal15() { return kQvSpellOK; }

QV_SPELL_ENTRY uint16_t QvOrdinal16(uintptr_t instance, uintptr_t, uint32_t) {
  std::lock_guard<std::mutex> guard(sLock);
  Instance* self = Find(instance);
  if (self == nullptr) return kQvSpellBadInstance;
  self->userPath.clear();
  return kQvSpellOK;
}
