// The spelling engine library (libqvspell.so): its records and its entry
// points, exported by ordinal (QvOrdinal1 to QvOrdinal16, C linkage) and
// fetched by the word processor at run time. Words are checked by Hunspell
// against a dictionary named by a ".lex" path: its base name is the
// dictionary's (en_US.lex: en_US.aff and en_US.dic beside it, else in the
// system's Hunspell folder). Text is zero-terminated UTF-8; offsets and
// lengths count characters (code points). Results are 16-bit, 0 success.
#pragma once

#include <cstdint>

// Lists of word 9 and 10.
constexpr uint32_t kQvSpellIgnoreList = 0xFFFE;
constexpr uint32_t kQvSpellChangeList = 0xFFFD;

// The check's modes.
constexpr uint16_t kQvSpellFindNext = 2;
constexpr uint16_t kQvSpellFirstSuggestions = 3;
constexpr uint16_t kQvSpellMoreSuggestions = 4;

// Call states of the input record.
constexpr uint16_t kQvSpellFirstCall = 2;
constexpr uint16_t kQvSpellContinuing = 1;

// Statuses of the result record.
constexpr uint16_t kQvSpellNothingFound = 0;
constexpr uint16_t kQvSpellWordNotFound = 1;
constexpr uint16_t kQvSpellReplacementKnown = 2;
constexpr uint16_t kQvSpellNoMoreSuggestions = 8;

// Result codes.
constexpr uint16_t kQvSpellOK = 0;
constexpr uint16_t kQvSpellBadInstance = 1;
constexpr uint16_t kQvSpellNoDictionary = 2;
constexpr uint16_t kQvSpellBadArgument = 3;

constexpr uint16_t kQvSpellSuggestionBufferSize = 256;
constexpr uint16_t kQvSpellSecondBufferSize = 32;

// What the caller hands the check: the characters left from `text` to the
// end of the chunk, the call state and the dictionaries in use.
struct QvSpellInput {
  uint16_t charactersLeft;
  uint16_t reserved1;  // 1
  uint16_t reserved2;  // 1
  uint16_t state;
  const char* text;
  uintptr_t* mainDictionaries;
  uintptr_t* userDictionary;
};

// What the check answers: the word's offset and length from `text`, the
// status, and for suggestions the zero-terminated strings one after the
// other in the buffer.
struct QvSpellResult {
  uint16_t wordOffset;
  uint16_t wordLength;
  uint16_t status;
  uint16_t suggestionCount;
  uint16_t reserved;
  uint16_t bufferSize;
  char* buffer;
  char* secondBuffer;
  uint16_t secondSize;
};

// The entry points, by ordinal.
using QvSpellOpen = uint16_t (*)(uintptr_t* instance, uint8_t* information);                // 2
using QvSpellSetOptions = uint16_t (*)(uintptr_t instance, uint32_t options);                // 3
using QvSpellCheck = uint16_t (*)(uintptr_t instance, uint16_t mode, QvSpellInput* input,   // 4
                                  QvSpellResult* result);
using QvSpellClose = uint16_t (*)(uintptr_t instance, uint32_t flag);                        // 5
using QvSpellTestDictionary = uint16_t (*)(const char* path, uint16_t language, uint32_t* out);  // 6
using QvSpellOpenDictionary = uint16_t (*)(uintptr_t instance, const char* path, const char* second,  // 7
                                           uint32_t a, uint32_t b, uint16_t language, uintptr_t* list);
using QvSpellOpenUserDictionary = uint16_t (*)(uintptr_t instance, const char* path, uint32_t a,  // 8
                                               uint32_t list, uintptr_t* id, uint8_t* flag);
using QvSpellAddWord = uint16_t (*)(uintptr_t instance, uintptr_t list, const char* word);   // 9
using QvSpellChangeAlways = uint16_t (*)(uintptr_t instance, uint32_t list, const char* word,  // 10
                                         const char* replacement);
using QvSpellCloseUserDictionary = uint16_t (*)(uintptr_t instance, uintptr_t id, uint32_t flag);  // 16
